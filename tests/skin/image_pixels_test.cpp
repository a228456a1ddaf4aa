// tests/skin/image_pixels_test.cpp
//
// The image manager's pixel maths: when pixels count as having alpha, what
// premultiplying does to them, and the own blend and its stretch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "skin/core/image_pixels.h"

namespace {

std::vector<uint8_t> Pixels(std::initializer_list<uint8_t> alphas) {
    std::vector<uint8_t> p;
    for (uint8_t a : alphas)
        p.insert(p.end(), {200, 100, 51, a});
    return p;
}

TEST(ImagePixelsTest, AlphaTestDoesNotDependOnPixelOrder) {
    struct Case {
        std::string name;
        std::vector<uint8_t> pixels;
        bool alpha;
    };
    const std::vector<Case> cases = {
        {"transparent_then_opaque", Pixels({0, 0, 255}), true},
        // Bottom-up images list their transparent top rows last.
        {"opaque_then_transparent", Pixels({255, 0, 0}), true},
        {"partial", Pixels({255, 17, 255}), true},
        {"all_opaque", Pixels({255, 255}), false},
        {"all_zero_filler", Pixels({0, 0, 0}), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> pixels = c.pixels;
        EXPECT_EQ(plym::PixelsHaveAlpha(pixels.data(), pixels.size() / 4), c.alpha);
        EXPECT_EQ(plym::PremultiplyPixels(pixels.data(), pixels.size() / 4), c.alpha);
        if (!c.alpha) {
            EXPECT_EQ(pixels, c.pixels);  // not blackened
        }
    }
}

TEST(ImagePixelsTest, PremultiplyTruncatesAndBlendClamps) {
    std::vector<uint8_t> pixels = Pixels({128, 0, 255});
    ASSERT_TRUE(plym::PremultiplyPixels(pixels.data(), 3));
    EXPECT_EQ(pixels, (std::vector<uint8_t>{100, 50, 25, 128, 0, 0, 0, 0, 200, 100, 51, 255}));

    EXPECT_EQ(plym::BlendChannel(100, 200, 128), 100 + 200 * 127 / 255);
    EXPECT_EQ(plym::BlendChannel(0, 77, 0), 77);
    // A source that is not really premultiplied would overflow a byte.
    EXPECT_EQ(plym::BlendChannel(250, 250, 10), 255);

    // Two pixels, source read mirrored: each destination pixel gets the other end's source.
    const std::vector<uint8_t> source = {10, 10, 10, 255, 0, 0, 0, 0};
    std::vector<uint8_t> destination = {90, 90, 90, 7, 90, 90, 90, 7};
    plym::BlendPixels(source.data(), true, destination.data(), false, 2, 1);
    EXPECT_EQ(destination, (std::vector<uint8_t>{90, 90, 90, 7, 10, 10, 10, 7}));

    // Stretching keeps the alpha byte: the right two pixels of a 3 x 1 row to 4 x 2.
    const std::vector<uint8_t> three = {1, 1, 1, 10, 2, 2, 2, 20, 3, 3, 3, 30};
    std::vector<uint8_t> stretched(4 * 2 * 4);
    plym::StretchPixels(three.data(), 3, 1, 1, 0, 2, 1, stretched.data(), 4, 2);
    EXPECT_EQ(std::vector<uint8_t>(stretched.begin(), stretched.begin() + 16),
              (std::vector<uint8_t>{2, 2, 2, 20, 2, 2, 2, 20, 3, 3, 3, 30, 3, 3, 3, 30}));
    EXPECT_TRUE(std::equal(stretched.begin(), stretched.begin() + 16, stretched.begin() + 16));

    std::vector<uint8_t> row = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3};
    plym::MirrorPixelRows(row.data(), 3, 1);
    EXPECT_EQ(row, (std::vector<uint8_t>{3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1}));
    EXPECT_EQ(plym::PixelToColorRef(0x80112233u, false), 0x332211u);
    EXPECT_EQ(plym::PixelToColorRef(0x80112233u, true), 0x80332211u);
}

}  // namespace
