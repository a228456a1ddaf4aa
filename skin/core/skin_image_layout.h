// skin/core/skin_image_layout.h
//
// The geometry of painting a skin image, without a device context: which
// cells and nine-grid pieces of an image are one solid colour (so they can
// be filled instead of copied), and how a source cell with sizing margins is
// cut into corners, edges and centre and copied, stretched or tiled into a
// destination. The skin image (skin_image.h) runs these plans with GDI.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

// A rectangle as GDI gives it: left and top inside, right and bottom outside.
struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(const SkinRect& inner) const {
        return inner.left >= left && inner.top >= top && inner.right <= right && inner.bottom <= bottom;
    }
    bool operator==(const SkinRect&) const = default;
};

// Sizing margins in the order of the skin's SIZINGMARGINS: left, right, top,
// bottom.
struct SkinMargins {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;

    bool IsZero() const { return left == 0 && right == 0 && top == 0 && bottom == 0; }
    bool operator==(const SkinMargins&) const = default;
};

// Sizing types of a skin part.
inline constexpr int kSizingTrueSize = 0;
inline constexpr int kSizingStretch = 1;
inline constexpr int kSizingTile = 2;

// A part of an image in which every pixel has one value: the rectangle (in
// image coordinates, top-down) and the colour as a colour value, with the
// alpha byte in the top 8 bits for an image with alpha.
struct SolidRect {
    SkinRect rect;
    uint32_t color = 0;
    bool operator==(const SolidRect&) const = default;
};

// A 32-bit image as a bottom-up pixel array (the layout of a bottom-up DIB
// section): row 0 of `bits` is the image's bottom row.
struct BottomUpPixels {
    const uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;

    uint32_t At(int x, int y) const;  // y counts from the top
};

// The solid rectangles of an image cut into `imageCount` cells (side by side
// when `horizontal`, else stacked): a cell whose pixels all have one value is
// one rectangle; otherwise, when the margins are not all 0, each of the five
// inner nine-grid pieces of the cell (the left, top, right and bottom bands
// between the corners, and the centre) that is uniform is one.
std::vector<SolidRect> FindSolidRects(const BottomUpPixels& image,
                                      int imageCount,
                                      bool horizontal,
                                      const SkinMargins& margins,
                                      bool alphaImage);

// The solid rectangle that holds all of `source`, or NULL.
const SolidRect* FindSolidRectFor(const std::vector<SolidRect>& rects, const SkinRect& source);

// One nine-grid piece: where it goes and where it comes from. Corners are
// copied at their size; edges and centre are stretched or tiled.
struct GridPiece {
    SkinRect destination;
    SkinRect source;
    bool corner = false;
    bool operator==(const GridPiece&) const = default;
};

// The destination and the source cut by the margins into corners, edges and
// centre (top row left to right, then the middle row, then the bottom row);
// the centre is left out with `borderOnly`, and pieces empty on either side
// are left out.
std::vector<GridPiece> SliceNineGrid(const SkinRect& destination,
                                     const SkinRect& source,
                                     const SkinMargins& margins,
                                     bool borderOnly);

// One copy: same sizes copy, different sizes stretch.
struct Blit {
    SkinRect destination;
    SkinRect source;
    bool operator==(const Blit&) const = default;
};

// The copies that paint one piece: a corner is one copy; an edge or the
// centre is one stretched copy, or with `tile` (sizing type TILE) copies of
// the source laid from the piece's top left in both directions, the last ones
// cut to the piece. A source one pixel wide or high is stretched, not tiled.
void AppendPieceBlits(const GridPiece& piece, bool tile, std::vector<Blit>& out);

}  // namespace skin
