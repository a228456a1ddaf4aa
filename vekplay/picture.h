// vekplay/picture.h
//
// A picture as the library shows it and takes snapshots of: 24-bit pixels in the
// order a Windows device-independent bitmap wants them (blue, green, red), rows
// top-down, each row padded to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vekplay {

struct Picture {
    int width = 0;
    int height = 0;
    size_t stride = 0;  // bytes per row
    std::vector<uint8_t> pixels;
    uint64_t time = 0;  // of the frame shown
    bool card = false;  // a frame card, not a decoded picture

    static size_t StrideFor(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }

    void Allocate(int w, int h) {
        width = w;
        height = h;
        stride = StrideFor(w);
        pixels.assign(stride * static_cast<size_t>(h), 0);
    }
    uint8_t* Row(int y) { return pixels.data() + stride * static_cast<size_t>(y); }
    const uint8_t* Row(int y) const { return pixels.data() + stride * static_cast<size_t>(y); }
};

using PicturePtr = std::shared_ptr<const Picture>;

}  // namespace vekplay
