// skin/core/image_dib.cpp
#include "skin/core/image_dib.h"

#include <cstring>

namespace plym {

namespace {

constexpr size_t kInfoHeaderSize = 40;    // BITMAPINFOHEADER
constexpr size_t kMaskedHeaderSize = 52;  // the first header that holds the masks itself

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p) {
    return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

bool ReadPackedDib(const uint8_t* data, size_t size, PackedDib& dib) {
    dib = PackedDib{};
    if (data == nullptr || size < kInfoHeaderSize)
        return false;
    const uint32_t headerSize = U32(data);
    if (headerSize < kInfoHeaderSize || headerSize > size)
        return false;
    const int32_t width = static_cast<int32_t>(U32(data + 4));
    const int32_t height = static_cast<int32_t>(U32(data + 8));
    const uint16_t planes = U16(data + 12);
    const uint16_t bitCount = U16(data + 14);
    const uint32_t compression = U32(data + 16);
    const uint32_t colorsUsed = U32(data + 32);
    if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1)
        return false;
    if (!IsPlainDibFormat(bitCount, compression))
        return false;

    uint64_t offset = headerSize;
    if (compression == kDibBitfields) {
        // V2 and later headers hold the masks; after a shorter one they follow it.
        const uint8_t* masks = data + kInfoHeaderSize;
        if (headerSize < kMaskedHeaderSize) {
            if (offset + 12 > size)
                return false;
            masks = data + headerSize;
            offset += 12;
        }
        dib.redMask = U32(masks);
        dib.greenMask = U32(masks + 4);
        dib.blueMask = U32(masks + 8);
    }
    uint32_t colors = colorsUsed;
    if (bitCount <= 8) {
        const uint32_t most = 1u << bitCount;
        if (colors == 0)
            colors = most;
        if (colors > most)
            return false;
    } else if (colors > 256) {
        return false;
    }
    dib.colorTableOffset = static_cast<size_t>(offset);
    offset += uint64_t{colors} * 4;
    const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    const uint64_t stride = (uint64_t{static_cast<uint32_t>(width)} * bitCount + 31) / 32 * 4;
    if (offset > size)
        return false;
    const uint64_t room = size - offset;
    if (stride > room || rows > room / stride)
        return false;  // stride is at least 4
    const uint64_t pixelBytes = stride * rows;

    dib.headerSize = headerSize;
    dib.width = width;
    dib.height = static_cast<int32_t>(rows);
    dib.topDown = height < 0;
    dib.bitCount = bitCount;
    dib.compression = compression;
    dib.colorCount = colors;
    dib.pixelOffset = static_cast<size_t>(offset);
    dib.stride = static_cast<size_t>(stride);
    dib.pixelBytes = static_cast<size_t>(pixelBytes);
    return true;
}

bool IsWholeDibHeader(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 4)
        return false;
    const uint32_t headerSize = U32(data);
    return (headerSize == 12 || headerSize >= kInfoHeaderSize) && headerSize <= size;
}

bool IsAlphaDibHeader(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kInfoHeaderSize)
        return false;
    const uint32_t headerSize = U32(data);
    return headerSize >= kInfoHeaderSize && headerSize <= size && U16(data + 14) == 32;
}

bool IsBgraDib(const PackedDib& dib) {
    if (dib.bitCount != 32)
        return false;
    if (dib.compression == kDibRgb)
        return true;
    return dib.compression == kDibBitfields && dib.redMask == 0xFF0000 && dib.greenMask == 0xFF00 &&
           dib.blueMask == 0xFF;
}

void CopyBgraDibBottomUp(const uint8_t* data, const PackedDib& dib, uint8_t* out) {
    const uint8_t* pixels = data + dib.pixelOffset;
    if (!dib.topDown) {
        std::memcpy(out, pixels, dib.pixelBytes);
        return;
    }
    const size_t rows = static_cast<size_t>(dib.height);
    for (size_t y = 0; y < rows; ++y)
        std::memcpy(out + (rows - 1 - y) * dib.stride, pixels + y * dib.stride, dib.stride);
}

}  // namespace plym
