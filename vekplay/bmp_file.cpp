// vekplay/bmp_file.cpp
#include "vekplay/bmp_file.h"

#include <cstring>

#include "platform/le_bytes.h"
#include "vekplay/file_io.h"

namespace vekplay {

namespace {
constexpr uint32_t kFileHeader = 14;
constexpr uint32_t kInfoHeader = 40;
}  // namespace

std::vector<uint8_t> EncodeBmp24(const Picture& picture) {
    using platform::PutU16;
    using platform::PutU32;
    const uint32_t stride = static_cast<uint32_t>(Picture::StrideFor(picture.width));
    const uint32_t image = stride * static_cast<uint32_t>(picture.height);
    std::vector<uint8_t> out(kFileHeader + kInfoHeader + image, 0);
    uint8_t* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    PutU32(p + 2, static_cast<uint32_t>(out.size()));
    PutU32(p + 10, kFileHeader + kInfoHeader);
    uint8_t* info = p + kFileHeader;
    PutU32(info + 0, kInfoHeader);
    PutU32(info + 4, static_cast<uint32_t>(picture.width));
    PutU32(info + 8, static_cast<uint32_t>(picture.height));
    PutU16(info + 12, 1);   // planes
    PutU16(info + 14, 24);  // bits per pixel
    PutU32(info + 16, 0);   // BI_RGB
    PutU32(info + 20, image);
    PutU32(info + 24, 2835);  // 72 dpi
    PutU32(info + 28, 2835);
    uint8_t* bits = info + kInfoHeader;
    const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
    for (int y = 0; y < picture.height; y++)
        std::memcpy(bits + static_cast<size_t>(picture.height - 1 - y) * stride, picture.Row(y), rowBytes);
    return out;
}

bool WriteBmp24(const char* path, const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() < picture.stride * static_cast<size_t>(picture.height) ||
        picture.stride < static_cast<size_t>(picture.width) * 3)
        return false;
    const std::vector<uint8_t> bytes = EncodeBmp24(picture);
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

}  // namespace vekplay
