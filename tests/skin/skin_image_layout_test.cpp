// tests/skin/skin_image_layout_test.cpp
//
// Nine-grid slicing and the solid-rectangle table on pixel arrays.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "skin/core/skin_image_layout.h"

namespace {

using plym::Blit;
using plym::GridPiece;
using plym::Rect;
using plym::SolidRect;

TEST(SkinImageLayoutTest, NineGridCutsCornersEdgesAndCentre) {
    // Source cell 20 x 12 at x = 10; margins left 3, top 2, right 4, bottom 5.
    const Rect source{10, 0, 30, 12};
    const Rect margins{3, 2, 4, 5};  // left, top, right, bottom widths
    const std::vector<GridPiece> pieces = plym::SliceNineGrid({100, 50, 160, 90}, source, margins, false);
    const std::vector<GridPiece> expected = {
        {{100, 50, 103, 52}, {10, 0, 13, 2}, true},    // top left
        {{103, 50, 156, 52}, {13, 0, 26, 2}, false},   // top
        {{156, 50, 160, 52}, {26, 0, 30, 2}, true},    // top right
        {{100, 52, 103, 85}, {10, 2, 13, 7}, false},   // left
        {{103, 52, 156, 85}, {13, 2, 26, 7}, false},   // centre
        {{156, 52, 160, 85}, {26, 2, 30, 7}, false},   // right
        {{100, 85, 103, 90}, {10, 7, 13, 12}, true},   // bottom left
        {{103, 85, 156, 90}, {13, 7, 26, 12}, false},  // bottom
        {{156, 85, 160, 90}, {26, 7, 30, 12}, true},   // bottom right
    };
    EXPECT_EQ(pieces, expected);

    std::vector<GridPiece> border = expected;
    border.erase(border.begin() + 4);
    EXPECT_EQ(plym::SliceNineGrid({100, 50, 160, 90}, source, margins, true), border);

    // Without margins the whole cell is one stretched piece.
    EXPECT_EQ(plym::SliceNineGrid({0, 0, 5, 5}, source, {}, false),
              (std::vector<GridPiece>{{{0, 0, 5, 5}, source, false}}));

    // A destination narrower than the two side margins keeps its corners at
    // their size (they overlap); the middle column is empty and left out.
    const std::vector<GridPiece> narrow = plym::SliceNineGrid({0, 0, 5, 12}, source, margins, false);
    ASSERT_EQ(narrow.size(), 6u);
    EXPECT_EQ(narrow[0].destination, (Rect{0, 0, 3, 2}));
    EXPECT_EQ(narrow[1].destination, (Rect{1, 0, 5, 2}));
}

TEST(SkinImageLayoutTest, TilingLaysWholeCopiesAndCutsTheLast) {
    std::vector<Blit> blits;
    plym::AppendPieceBlits({{0, 0, 10, 7}, {4, 4, 8, 7}, false}, true, blits);
    const std::vector<Blit> expected = {
        {{0, 0, 4, 3}, {4, 4, 8, 7}}, {{4, 0, 8, 3}, {4, 4, 8, 7}}, {{8, 0, 10, 3}, {4, 4, 6, 7}},
        {{0, 3, 4, 6}, {4, 4, 8, 7}}, {{4, 3, 8, 6}, {4, 4, 8, 7}}, {{8, 3, 10, 6}, {4, 4, 6, 7}},
        {{0, 6, 4, 7}, {4, 4, 8, 5}}, {{4, 6, 8, 7}, {4, 4, 8, 5}}, {{8, 6, 10, 7}, {4, 4, 6, 5}},
    };
    EXPECT_EQ(blits, expected);

    // Stretch, corners, and sources one pixel wide or high are single copies.
    for (const auto& [piece, tile] :
         std::vector<std::pair<GridPiece, bool>>{{{{0, 0, 10, 7}, {4, 4, 8, 7}, false}, false},
                                                 {{{0, 0, 10, 7}, {4, 4, 8, 7}, true}, true},
                                                 {{{0, 0, 10, 7}, {4, 4, 5, 7}, false}, true},
                                                 {{{0, 0, 10, 7}, {4, 4, 8, 5}, false}, true}}) {
        blits.clear();
        plym::AppendPieceBlits(piece, tile, blits);
        EXPECT_EQ(blits, (std::vector<Blit>{{piece.destination, piece.source}}));
    }
}

// A bottom-up 32-bit image filled by a function of (x, y from the top).
struct Image {
    int width, height;
    std::vector<uint8_t> bits;

    template <class F>
    Image(int w, int h, F color) : width(w), height(h), bits(static_cast<size_t>(w) * h * 4) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint32_t v = color(x, y);
                uint8_t* p = &bits[(static_cast<size_t>(h - 1 - y) * w + x) * 4];
                for (int i = 0; i < 4; ++i)
                    p[i] = static_cast<uint8_t>(v >> (8 * i));
            }
        }
    }
    plym::BottomUpPixels View() const { return {bits.data(), width, height}; }
};

TEST(SkinImageLayoutTest, SolidRectsCoverUniformCellsAndNineGridPieces) {
    // Two cells of 6 x 5 side by side. Cell 1 is one colour. Cell 2 has odd
    // corners, uniform bands and a uniform centre, except that its right
    // band has one stray pixel.
    const Image image(12, 5, [](int x, int y) -> uint32_t {
        if (x < 6)
            return 0x80112233;
        const int cx = x - 6;
        const bool left = cx < 1, right = cx >= 4, top = y < 2, bottom = y >= 4;
        if ((left || right) && (top || bottom))
            return 0x01000000u + static_cast<uint32_t>(x * 16 + y);
        if (right && y == 3)
            return 0x7F7F7F7F;
        if (left)
            return 0xFF0000FF;
        if (right)
            return 0xFF00FF00;
        if (top)
            return 0xFFFF0000;
        if (bottom)
            return 0xFF123456;
        return 0xFFABCDEF;
    });
    const Rect margins{1, 2, 2, 1};
    const std::vector<SolidRect> expected = {
        {{0, 0, 6, 5}, 0x80332211},  {{6, 2, 7, 4}, 0xFFFF0000},  // left band
        {{7, 0, 10, 2}, 0xFF0000FF},                              // top band
        {{7, 4, 10, 5}, 0xFF563412},                              // bottom band
        {{7, 2, 10, 4}, 0xFFEFCDAB},                              // centre
    };
    EXPECT_EQ(plym::FindSolidRects(image.View(), 2, true, margins, true), expected);

    // Without alpha the top byte is dropped; without margins only whole cells count.
    EXPECT_EQ(plym::FindSolidRects(image.View(), 2, true, {}, false),
              (std::vector<SolidRect>{{{0, 0, 6, 5}, 0x332211}}));

    // Stacked cells; margins wider than the cell are cut to it.
    const Image stacked(3, 4, [](int, int y) -> uint32_t { return y < 2 ? 0x10 : (y == 3 ? 0x20 : 0x30); });
    EXPECT_EQ(plym::FindSolidRects(stacked.View(), 2, false, {9, 1, 0, 0}, false),
              (std::vector<SolidRect>{{{0, 0, 3, 2}, 0x100000}, {{0, 3, 3, 4}, 0x200000}}));

    const std::vector<SolidRect> rects = plym::FindSolidRects(image.View(), 2, true, margins, true);
    ASSERT_NE(plym::FindSolidRectFor(rects, {8, 2, 9, 3}), nullptr);
    EXPECT_EQ(plym::FindSolidRectFor(rects, {8, 2, 9, 3})->color, 0xFFEFCDABu);
    EXPECT_EQ(plym::FindSolidRectFor(rects, {6, 0, 10, 2}), nullptr);  // spans a corner
}

}  // namespace
