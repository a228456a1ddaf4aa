// skin/core/image_dib.h
//
// Packed device-independent bitmaps, as a bitmap resource holds them (a
// BITMAPINFOHEADER or a later header, optional colour masks, a colour table,
// then the pixel rows): read field by field from hostile bytes and checked
// before a single pixel is touched.
//
// A DIB is accepted only when every byte it promises is there: its header
// (biSize from 40 bytes up, as large as it says), the three colour masks of a
// BI_BITFIELDS bitmap (inside a V4/V5 header, else the 12 bytes after a
// 40-byte one), the colour table, and |height| rows of the pixel array with
// rows padded to 4 bytes, all computed in 64 bits. One plane, 1, 4, 8, 16,
// 24 or 32 bits per pixel, uncompressed (BI_RGB, or BI_BITFIELDS at 16 and 32
// bits); a negative height is a top-down bitmap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plym {

inline constexpr uint32_t kDibRgb = 0;        // BI_RGB
inline constexpr uint32_t kDibBitfields = 3;  // BI_BITFIELDS

// One of the depths above, uncompressed: BI_RGB, or BI_BITFIELDS at 16 and
// 32 bits per pixel.
inline bool IsPlainDibFormat(uint16_t bitCount, uint32_t compression) {
    switch (bitCount) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return false;
    }
    return compression == kDibRgb || (compression == kDibBitfields && (bitCount == 16 || bitCount == 32));
}

struct PackedDib {
    uint32_t headerSize = 0;  // biSize
    int32_t width = 0;
    int32_t height = 0;  // rows, always positive
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = kDibRgb;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t colorCount = 0;      // entries of the colour table
    size_t colorTableOffset = 0;  // after the header and the masks
    size_t pixelOffset = 0;       // after the colour table
    size_t stride = 0;            // bytes per row, a multiple of 4
    size_t pixelBytes = 0;        // stride * height
};

// Reads and checks the DIB at `data`; false when it is not whole (above).
bool ReadPackedDib(const uint8_t* data, size_t size, PackedDib& dib);

// The header is all there: a 12-byte core header, or one of 40 bytes or
// more that is no longer than `size`.
bool IsWholeDibHeader(const uint8_t* data, size_t size);

// A header of at least 40 bytes, complete in `size`, with 32 bits per pixel:
// the test for a bitmap with alpha (the pixels are not checked).
bool IsAlphaDibHeader(const uint8_t* data, size_t size);

// A 32-bit DIB whose pixels are B, G, R, A bytes: BI_RGB, or BI_BITFIELDS
// with the masks 0xFF0000, 0xFF00, 0xFF.
bool IsBgraDib(const PackedDib& dib);

// The pixels of a 32-bit DIB (IsBgraDib) as bottom-up rows of width * 4
// bytes, the layout of a bottom-up 32-bit DIB section: `out` holds
// dib.pixelBytes bytes.
void CopyBgraDibBottomUp(const uint8_t* data, const PackedDib& dib, uint8_t* out);

}  // namespace plym
