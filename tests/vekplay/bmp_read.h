// tests/vekplay/bmp_read.h
//
// An independent reader of 24-bit BMP files for the tests: checks the headers
// the way an image viewer would and gives top-down rows (3 bytes per pixel,
// blue first), so snapshots can be compared with pictures and markers read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vekplay::test {

struct BmpImage {
    int width = 0;
    int height = 0;
    size_t stride = 0;            // of `pixels` (width * 3, no padding)
    std::vector<uint8_t> pixels;  // top-down, B G R

    const uint8_t* At(int x, int y) const { return pixels.data() + stride * static_cast<size_t>(y) + x * 3u; }
};

inline uint32_t BmpU32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// False with a reason when the file is not a 24-bit uncompressed BMP.
inline bool ReadBmp(const std::string& path, BmpImage* out, std::string* why) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *why = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t buf[65536];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') {
        *why = "no BMP signature";
        return false;
    }
    if (BmpU32(&bytes[2]) != bytes.size()) {
        *why = "file size field is wrong";
        return false;
    }
    const uint32_t offset = BmpU32(&bytes[10]);
    const int32_t width = static_cast<int32_t>(BmpU32(&bytes[18]));
    const int32_t rawHeight = static_cast<int32_t>(BmpU32(&bytes[22]));
    const int bpp = bytes[28] | (bytes[29] << 8);
    if (BmpU32(&bytes[14]) != 40 || bpp != 24 || BmpU32(&bytes[30]) != 0 || width <= 0 || rawHeight == 0) {
        *why = "not a 24-bit BI_RGB bitmap";
        return false;
    }
    const int height = rawHeight < 0 ? -rawHeight : rawHeight;
    const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    if (offset + rowBytes * height > bytes.size()) {
        *why = "pixel data cut short";
        return false;
    }
    out->width = width;
    out->height = height;
    out->stride = static_cast<size_t>(width) * 3;
    out->pixels.resize(out->stride * height);
    for (int y = 0; y < height; y++) {
        const int fileRow = rawHeight > 0 ? height - 1 - y : y;
        std::copy_n(&bytes[offset + rowBytes * fileRow], out->stride, &out->pixels[out->stride * y]);
    }
    return true;
}

}  // namespace vekplay::test
