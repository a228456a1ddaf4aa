// tests/skin/image_dib_test.cpp
//
// Packed DIBs as bitmap resources hold them, read from their own header
// before any pixel is touched.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "skin/core/image_dib.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

struct DibShape {
    uint32_t headerSize = 40;
    int32_t width = 2;
    int32_t height = 2;
    uint16_t planes = 1;
    uint16_t bitCount = 32;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;  // written after the first 40 header bytes
    size_t pixelBytes = 0;        // pixel bytes appended (after the colour table)
    size_t colorEntries = 0;
};

// A DIB whose pixel byte i (counted from the first pixel byte) is i & 0xFF.
std::vector<uint8_t> MakeDib(const DibShape& s) {
    std::vector<uint8_t> d;
    Put32(d, s.headerSize);
    Put32(d, static_cast<uint32_t>(s.width));
    Put32(d, static_cast<uint32_t>(s.height));
    Put16(d, s.planes);
    Put16(d, s.bitCount);
    Put32(d, s.compression);
    Put32(d, 0);  // biSizeImage: never trusted
    Put32(d, 0);
    Put32(d, 0);
    Put32(d, s.colorsUsed);
    Put32(d, 0);
    for (uint32_t m : s.masks)
        Put32(d, m);
    while (d.size() < s.headerSize)
        d.push_back(0);
    for (size_t i = 0; i < s.colorEntries; ++i)
        Put32(d, 0x00102030);
    for (size_t i = 0; i < s.pixelBytes; ++i)
        d.push_back(static_cast<uint8_t>(i));
    return d;
}

struct ValidatorCase {
    std::string name;
    DibShape shape;
    size_t cut;  // bytes removed from the end
    bool accepted;
    size_t pixelOffset = 0;
    size_t stride = 0;
};

TEST(ImageDibTest, BitmapResourceIsValidatedFromItsOwnHeader) {
    const uint32_t bgraMasks[] = {0xFF0000, 0xFF00, 0xFF};
    std::vector<ValidatorCase> cases = {
        {"32bit_v3", {40, 2, 2, 1, 32, 0, 0, {}, 16}, 0, true, 40, 8},
        {"32bit_v3_one_byte_short", {40, 2, 2, 1, 32, 0, 0, {}, 16}, 1, false},
        {"32bit_top_down", {40, 2, -3, 1, 32, 0, 0, {}, 24}, 0, true, 40, 8},
        {"32bit_top_down_short", {40, 2, -3, 1, 32, 0, 0, {}, 16}, 0, false},
        {"32bit_v5_header", {124, 1, 1, 1, 32, 0, 0, {}, 4}, 0, true, 124, 4},
        {"32bit_v5_header_cut", {124, 1, 1, 1, 32, 0, 0, {}, 0}, 100, false},
        {"32bit_bitfields_v3",
         {40, 1, 1, 1, 32, 3, 0, {bgraMasks[0], bgraMasks[1], bgraMasks[2]}, 4},
         0,
         true,
         52,
         4},
        {"32bit_bitfields_v3_masks_missing", {40, 1, 1, 1, 32, 3, 0, {}, 0}, 0, false},
        {"32bit_bitfields_v4",
         {108, 1, 1, 1, 32, 3, 0, {bgraMasks[0], bgraMasks[1], bgraMasks[2]}, 4},
         0,
         true,
         108,
         4},
        {"24bit_rows_padded", {40, 3, 2, 1, 24, 0, 0, {}, 24}, 0, true, 40, 12},
        {"24bit_rows_unpadded", {40, 3, 2, 1, 24, 0, 0, {}, 18}, 0, false},
        {"8bit_full_palette", {40, 4, 1, 1, 8, 0, 0, {}, 4, 256}, 0, true, 40 + 1024, 4},
        {"8bit_palette_missing", {40, 4, 1, 1, 8, 0, 0, {}, 4, 0}, 0, false},
        {"4bit_used_colours", {40, 9, 1, 1, 4, 0, 3, {}, 8, 3}, 0, true, 52, 8},
        {"4bit_too_many_colours", {40, 1, 1, 1, 4, 0, 17, {}, 4, 17}, 0, false},
        {"header_size_below_40", {12, 1, 1, 1, 32, 0, 0, {}, 4}, 0, false},
        {"header_size_past_end", {4000, 1, 1, 1, 32, 0, 0, {}, 4}, 100, false},
        {"two_planes", {40, 1, 1, 2, 32, 0, 0, {}, 4}, 0, false},
        {"zero_width", {40, 0, 1, 1, 32, 0, 0, {}, 4}, 0, false},
        {"negative_width", {40, -1, 1, 1, 32, 0, 0, {}, 4}, 0, false},
        {"zero_height", {40, 1, 0, 1, 32, 0, 0, {}, 4}, 0, false},
        {"most_negative_height", {40, 1, INT32_MIN, 1, 32, 0, 0, {}, 4}, 0, false},
        {"rle_compressed", {40, 1, 1, 1, 8, 1, 0, {}, 4, 256}, 0, false},
        {"odd_bit_count", {40, 1, 1, 1, 12, 0, 0, {}, 4}, 0, false},
        // 64-bit sizes: a 32-bit product would wrap to a few bytes.
        {"huge_width", {40, 0x7FFFFFFF, 0x7FFFFFFF, 1, 32, 0, 0, {}, 64}, 0, false},
        {"huge_height_wraps_32_bits", {40, 0x40000000, 4, 1, 32, 0, 0, {}, 64}, 0, false},
        {"nine_bytes", {40, 1, 1, 1, 32, 0, 0, {}, 0}, 31, false},
    };
    for (const ValidatorCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = MakeDib(c.shape);
        bytes.resize(bytes.size() - c.cut);
        plym::PackedDib dib;
        ASSERT_EQ(plym::ReadPackedDib(bytes.data(), bytes.size(), dib), c.accepted);
        if (!c.accepted)
            continue;
        EXPECT_EQ(dib.pixelOffset, c.pixelOffset);
        EXPECT_EQ(dib.stride, c.stride);
        EXPECT_LE(dib.pixelOffset + dib.pixelBytes, bytes.size());
    }
}

TEST(ImageDibTest, TopDownBgraPixelsAreCopiedBottomUp) {
    const std::vector<uint8_t> bytes = MakeDib({40, 1, -3, 1, 32, 0, 0, {}, 12});
    plym::PackedDib dib;
    ASSERT_TRUE(plym::ReadPackedDib(bytes.data(), bytes.size(), dib));
    ASSERT_TRUE(plym::IsBgraDib(dib));
    EXPECT_TRUE(dib.topDown);
    std::vector<uint8_t> out(dib.pixelBytes);
    plym::CopyBgraDibBottomUp(bytes.data(), dib, out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>{8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3}));

    // Masks other than B, G, R bytes are not read as BGRA.
    const std::vector<uint8_t> swapped = MakeDib({40, 1, 1, 1, 32, 3, 0, {0xFF, 0xFF00, 0xFF0000}, 4});
    ASSERT_TRUE(plym::ReadPackedDib(swapped.data(), swapped.size(), dib));
    EXPECT_FALSE(plym::IsBgraDib(dib));
}

}  // namespace
