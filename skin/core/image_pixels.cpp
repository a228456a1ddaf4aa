// skin/core/image_pixels.cpp
#include "skin/core/image_pixels.h"

#include <algorithm>

namespace plym {

bool PixelsHaveAlpha(const uint8_t* bgra, size_t pixelCount) {
    bool transparent = false;
    bool opaque = false;
    for (size_t i = 0; i < pixelCount; ++i) {
        const uint8_t a = bgra[i * 4 + 3];
        if (a == 0) {
            transparent = true;
        } else if (a == 255) {
            opaque = true;
        } else {
            return true;
        }
    }
    return transparent && opaque;
}

bool PremultiplyPixels(uint8_t* bgra, size_t pixelCount) {
    if (!PixelsHaveAlpha(bgra, pixelCount))
        return false;
    for (size_t i = 0; i < pixelCount; ++i) {
        uint8_t* p = bgra + i * 4;
        const unsigned a = p[3];
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<uint8_t>(p[c] * a / 255);
    }
    return true;
}

void MirrorPixelRows(uint8_t* pixels, int width, int height) {
    if (width <= 1 || height <= 0)
        return;
    const size_t stride = static_cast<size_t>(width) * 4;
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        uint8_t* row = pixels + y * stride;
        for (size_t l = 0, r = static_cast<size_t>(width) - 1; l < r; ++l, --r)
            std::swap_ranges(row + l * 4, row + l * 4 + 4, row + r * 4);
    }
}

void StretchPixels(const uint8_t* source,
                   int sourceWidth,
                   int sourceHeight,
                   int sx,
                   int sy,
                   int sw,
                   int sh,
                   uint8_t* out,
                   int width,
                   int height) {
    if (width <= 0 || height <= 0)
        return;
    for (int y = 0; y < height; ++y) {
        // The source pixel under the centre of the destination pixel.
        const int64_t fromY = sy + (int64_t{2} * y + 1) * sh / (int64_t{2} * height);
        uint8_t* row = out + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) * 4;
        for (int x = 0; x < width; ++x) {
            const int64_t fromX = sx + (int64_t{2} * x + 1) * sw / (int64_t{2} * width);
            uint8_t* p = row + static_cast<size_t>(x) * 4;
            if (fromX < 0 || fromY < 0 || fromX >= sourceWidth || fromY >= sourceHeight) {
                std::fill(p, p + 4, uint8_t{0});
                continue;
            }
            const size_t at =
                (static_cast<size_t>(sourceHeight - 1 - fromY) * static_cast<size_t>(sourceWidth) +
                 static_cast<size_t>(fromX)) *
                4;
            std::copy(source + at, source + at + 4, p);
        }
    }
}

uint8_t BlendChannel(uint8_t source, uint8_t destination, uint8_t sourceAlpha) {
    const unsigned value = source + destination * (255u - sourceAlpha) / 255u;
    return static_cast<uint8_t>(std::min(value, 255u));
}

void BlendPixels(const uint8_t* source,
                 bool sourceMirrored,
                 uint8_t* destination,
                 bool destinationMirrored,
                 int width,
                 int height) {
    if (width <= 0 || height <= 0)
        return;
    const size_t w = static_cast<size_t>(width);
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        const uint8_t* sourceRow = source + y * w * 4;
        uint8_t* destinationRow = destination + y * w * 4;
        for (size_t x = 0; x < w; ++x) {
            const uint8_t* s = sourceRow + (sourceMirrored ? w - 1 - x : x) * 4;
            uint8_t* d = destinationRow + (destinationMirrored ? w - 1 - x : x) * 4;
            for (int c = 0; c < 3; ++c)
                d[c] = BlendChannel(s[c], d[c], s[3]);
        }
    }
}

uint32_t PixelToColorRef(uint32_t pixel, bool alpha) {
    const uint32_t blue = pixel & 0xFF;
    const uint32_t green = (pixel >> 8) & 0xFF;
    const uint32_t red = (pixel >> 16) & 0xFF;
    const uint32_t color = red | green << 8 | blue << 16;
    return alpha ? color | (pixel & 0xFF000000u) : color;
}

}  // namespace plym
