// tests/skin/png_decode_test.cpp
//
// The PNG corpus, made here by our own writer, through the decoder: each file
// decodes to the BGRA pixels and alpha flag worked out independently below,
// or is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <zlib.h>

#include "skin/core/png_decode.h"
#include "tests/skin/png_corpus.h"

namespace {

using plym::PngPicture;
using skintest::PngRecipe;

// Expected B, G, R, A of one pixel.
struct Bgra {
    int b, g, r, a;
};

struct DecodeCase {
    std::string name;
    std::vector<uint8_t> bytes;
    bool decodes;
    int width = 0;
    int height = 0;
    bool alpha = false;
    std::vector<Bgra> pixels;  // top-down
    int tolerance = 0;
};

PngRecipe Recipe(int width, int height, int colorType, int bitDepth, std::vector<uint16_t> samples) {
    PngRecipe s;
    s.width = width;
    s.height = height;
    s.colorType = colorType;
    s.bitDepth = bitDepth;
    s.samples = std::move(samples);
    return s;
}

DecodeCase Refused(std::string name, std::vector<uint8_t> bytes) {
    DecodeCase c;
    c.name = std::move(name);
    c.bytes = std::move(bytes);
    c.decodes = false;
    return c;
}

// The corrected value of `v` for a file gamma of 1.0.
int GammaCorrected(int v) {
    return static_cast<int>(std::lround(255.0 * std::pow(v / 255.0, 1.0 / 2.2)));
}

std::vector<DecodeCase> Corpus() {
    std::vector<DecodeCase> cases;

    cases.push_back({"rgb8",
                     skintest::EncodePng(
                         Recipe(2, 2, skintest::kRgb, 8, {10, 20, 30, 40, 50, 60, 70, 80, 90, 255, 0, 128})),
                     true,
                     2,
                     2,
                     false,
                     {{30, 20, 10, 0}, {60, 50, 40, 0}, {90, 80, 70, 0}, {128, 0, 255, 0}}});

    cases.push_back({"rgba8",
                     skintest::EncodePng(Recipe(2, 1, skintest::kRgba, 8, {1, 2, 3, 0, 200, 100, 50, 128})),
                     true,
                     2,
                     1,
                     true,
                     {{3, 2, 1, 0}, {50, 100, 200, 128}}});

    // 16-bit channels keep their high byte.
    cases.push_back(
        {"rgba16",
         skintest::EncodePng(Recipe(1, 2, skintest::kRgba, 16,
                                    {0x12FF, 0x3400, 0x56AB, 0xFFFF, 0x0001, 0xFE80, 0x8000, 0x7F7F})),
         true,
         1,
         2,
         true,
         {{0x56, 0x34, 0x12, 0xFF}, {0x80, 0xFE, 0x00, 0x7F}}});

    cases.push_back({"grey8",
                     skintest::EncodePng(Recipe(3, 1, skintest::kGrey, 8, {0, 77, 255})),
                     true,
                     3,
                     1,
                     false,
                     {{0, 0, 0, 0}, {77, 77, 77, 0}, {255, 255, 255, 0}}});

    cases.push_back({"grey1",
                     skintest::EncodePng(Recipe(3, 1, skintest::kGrey, 1, {1, 0, 1})),
                     true,
                     3,
                     1,
                     false,
                     {{255, 255, 255, 0}, {0, 0, 0, 0}, {255, 255, 255, 0}}});

    cases.push_back({"grey_alpha8",
                     skintest::EncodePng(Recipe(2, 1, skintest::kGreyAlpha, 8, {60, 255, 90, 10})),
                     true,
                     2,
                     1,
                     true,
                     {{60, 60, 60, 255}, {90, 90, 90, 10}}});

    {
        PngRecipe s = Recipe(3, 1, skintest::kPalette, 8, {2, 0, 1});
        s.palette = {{255, 0, 0}, {0, 255, 0}, {10, 20, 30}};
        cases.push_back({"palette8",
                         skintest::EncodePng(s),
                         true,
                         3,
                         1,
                         false,
                         {{30, 20, 10, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}}});
    }
    for (int depth : {1, 2, 4}) {
        // Entries past the end of tRNS are opaque.
        PngRecipe s = Recipe(3, 1, skintest::kPalette, depth, {0, 1, 0});
        s.palette = {{1, 2, 3}, {4, 5, 6}};
        s.paletteAlpha = {0};
        cases.push_back({"palette" + std::to_string(depth) + "_trns",
                         skintest::EncodePng(s),
                         true,
                         3,
                         1,
                         true,
                         {{3, 2, 1, 0}, {6, 5, 4, 255}, {3, 2, 1, 0}}});
    }
    {
        PngRecipe s = Recipe(2, 1, skintest::kRgb, 8, {9, 8, 7, 1, 2, 3});
        s.transparentColor = {{1, 2, 3}};
        cases.push_back(
            {"rgb8_trns", skintest::EncodePng(s), true, 2, 1, true, {{7, 8, 9, 255}, {3, 2, 1, 0}}});
    }
    {
        // The background is composited under the pixels and the alpha channel goes.
        PngRecipe s = Recipe(2, 1, skintest::kRgba, 8, {10, 20, 30, 255, 99, 99, 99, 0});
        s.background = {{200, 150, 100}};
        cases.push_back(
            {"rgba8_bkgd", skintest::EncodePng(s), true, 2, 1, false, {{30, 20, 10, 0}, {100, 150, 200, 0}}});
    }
    {
        PngRecipe s = Recipe(3, 1, skintest::kRgb, 8, {0, 64, 255, 64, 128, 200, 255, 255, 255});
        s.gamma = 45455;  // 1 / 2.2: the screen's own gamma, no change
        cases.push_back({"rgb8_gama_screen",
                         skintest::EncodePng(s),
                         true,
                         3,
                         1,
                         false,
                         {{255, 64, 0, 0}, {200, 128, 64, 0}, {255, 255, 255, 0}}});
        s.gamma = 100000;  // linear data on a 2.2 screen
        const int g64 = GammaCorrected(64);
        const int g128 = GammaCorrected(128);
        const int g200 = GammaCorrected(200);
        cases.push_back({"rgb8_gama_linear",
                         skintest::EncodePng(s),
                         true,
                         3,
                         1,
                         false,
                         {{255, g64, 0, 0}, {g200, g128, g64, 0}, {255, 255, 255, 0}},
                         1});
    }
    {
        // 10 x 9 exercises every Adam7 pass, including partial ones.
        PngRecipe s = Recipe(10, 9, skintest::kRgb, 8, {});
        std::vector<Bgra> expected;
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 10; ++x) {
                const int r = x * 25, g = y * 28, b = (x * 7 + y * 13) % 256;
                s.samples.insert(s.samples.end(), {static_cast<uint16_t>(r), static_cast<uint16_t>(g),
                                                   static_cast<uint16_t>(b)});
                expected.push_back({b, g, r, 0});
            }
        }
        s.interlaced = true;
        cases.push_back({"rgb8_interlaced", skintest::EncodePng(s), true, 10, 9, false, expected});
    }

    const std::vector<uint8_t> good =
        skintest::EncodePng(Recipe(2, 2, skintest::kRgb, 8, std::vector<uint16_t>(12, 7)));
    {
        std::vector<uint8_t> bad = good;
        bad.at(1) = 'Q';
        cases.push_back(Refused("bad_signature", bad));
    }
    cases.push_back(Refused("truncated_idat", std::vector<uint8_t>(good.begin(), good.end() - 20)));
    cases.push_back(Refused("nine_bytes", std::vector<uint8_t>(good.begin(), good.begin() + 9)));
    cases.push_back(Refused("empty", {}));
    for (uint32_t side : {0x7FFFFFFFu, 16385u}) {
        std::vector<uint8_t> huge = skintest::PngSignature();
        skintest::AppendChunk(huge, "IHDR", skintest::IhdrData(side, 1, 8, skintest::kRgba, false));
        skintest::AppendChunk(huge, "IEND", {});
        cases.push_back(Refused("huge_width_" + std::to_string(side), huge));
    }
    {
        // Within the side limit, but 2^28 pixels: refused before any row is
        // allocated (the image data that follows is never reached).
        std::vector<uint8_t> huge = skintest::PngSignature();
        skintest::AppendChunk(huge, "IHDR", skintest::IhdrData(16384, 16384, 8, skintest::kRgba, false));
        skintest::AppendChunk(huge, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
        skintest::AppendChunk(huge, "IEND", {});
        cases.push_back(Refused("huge_area", huge));
    }
    return cases;
}

TEST(PngDecodeTest, CorpusDecodesToExpectedBgraOrIsRefused) {
    for (const DecodeCase& c : Corpus()) {
        SCOPED_TRACE(c.name);
        PngPicture picture;
        const bool ok = plym::DecodePng(c.bytes.data(), c.bytes.size(), picture);
        ASSERT_EQ(ok, c.decodes);
        if (!ok) {
            EXPECT_TRUE(picture.bgra.empty());
            EXPECT_EQ(picture.width, 0);
            continue;
        }
        ASSERT_EQ(picture.width, c.width);
        ASSERT_EQ(picture.height, c.height);
        EXPECT_EQ(picture.alpha, c.alpha);
        ASSERT_EQ(picture.bgra.size(), c.pixels.size() * 4);
        for (size_t i = 0; i < c.pixels.size(); ++i) {
            SCOPED_TRACE("pixel " + std::to_string(i));
            const uint8_t* p = &picture.bgra[i * 4];
            EXPECT_NEAR(p[0], c.pixels[i].b, c.tolerance);
            EXPECT_NEAR(p[1], c.pixels[i].g, c.tolerance);
            EXPECT_NEAR(p[2], c.pixels[i].r, c.tolerance);
            EXPECT_EQ(p[3], c.pixels[i].a);
        }
    }
}

// A whole one-bit grey picture of zeros: a few kilobytes that decode to
// width x height x 4 bytes.
std::vector<uint8_t> BlankOneBitPng(uint32_t width, uint32_t height) {
    const size_t rowBytes = 1 + (width + 7) / 8;  // filter byte, then the bits
    const std::vector<uint8_t> raw(rowBytes * height, 0);
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    EXPECT_EQ(compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
    packed.resize(packedSize);
    std::vector<uint8_t> png = skintest::PngSignature();
    skintest::AppendChunk(png, "IHDR", skintest::IhdrData(width, height, 1, skintest::kGrey, false));
    skintest::AppendChunk(png, "IDAT", packed);
    skintest::AppendChunk(png, "IEND", {});
    return png;
}

TEST(PngDecodeTest, APictureWhosePixelsNeedMoreThan64MiBIsRefused) {
    const struct {
        uint32_t width, height;
        bool decodes;
    } cases[] = {
        {4096, 4096, true},    // 64 MiB of pixels exactly
        {4096, 4097, false},   // one row more
        {16384, 1025, false},  // every side within the limit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const std::vector<uint8_t> png = BlankOneBitPng(c.width, c.height);
        EXPECT_LT(png.size(), 40000u);
        PngPicture picture;
        ASSERT_EQ(plym::DecodePng(png.data(), png.size(), picture), c.decodes);
        EXPECT_EQ(picture.bgra.size(), c.decodes ? size_t{c.width} * c.height * 4 : 0u);
    }
}

TEST(PngDecodeTest, BackgroundColourIsKeptInEightBits) {
    PngRecipe s = Recipe(1, 1, skintest::kRgba, 16, {0, 0, 0, 0});
    s.background = {{0xAB00, 0x1200, 0xFFFF}};
    PngPicture picture;
    const std::vector<uint8_t> bytes = skintest::EncodePng(s);
    ASSERT_TRUE(plym::DecodePng(bytes.data(), bytes.size(), picture));
    EXPECT_TRUE(picture.hasBackground);
    EXPECT_EQ(picture.backgroundRed, 0xAB);
    EXPECT_EQ(picture.backgroundGreen, 0x12);
    EXPECT_EQ(picture.backgroundBlue, 0xFF);
    EXPECT_EQ(picture.bgra[0], 0xFF);  // the transparent pixel shows the background
    EXPECT_EQ(picture.bgra[2], 0xAB);
}

}  // namespace
