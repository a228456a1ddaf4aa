// vekplay/bmp_file.h
//
// Snapshots: a picture as a 24-bit uncompressed BMP file (BITMAPFILEHEADER,
// BITMAPINFOHEADER with a positive height, so rows bottom-up, each padded to
// 4 bytes), written field by field.
#pragma once

#include <cstdint>
#include <vector>

#include "vekplay/picture.h"

namespace vekplay {

// The whole file.
std::vector<uint8_t> EncodeBmp24(const Picture& picture);
// False when the picture is empty or the file cannot be written.
bool WriteBmp24(const char* path, const Picture& picture);

}  // namespace vekplay
