// skin/core/image_pixels.h
//
// Pixel maths of the image manager on 32-bit B, G, R, A pixel arrays, without
// a device context: premultiplying, mirroring, the framework's own alpha
// blend, and turning a pixel into a colour value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plym {

// Whether 32-bit pixels carry real per-pixel alpha: some alpha strictly
// between 0 and 255, or both fully transparent and fully opaque pixels.
// Pixels that are all opaque, or all 0 (the unused fourth byte of an RGB
// bitmap), carry none. The answer does not depend on the pixels' order.
bool PixelsHaveAlpha(const uint8_t* bgra, size_t pixelCount);

// Premultiplies every pixel (c = c * a / 255, truncated) when the pixels
// have alpha (PixelsHaveAlpha) and leaves them as they are otherwise, so an
// image without alpha is not blackened. Returns whether they have alpha.
bool PremultiplyPixels(uint8_t* bgra, size_t pixelCount);

// Reverses every row of a 32-bit pixel array in place.
void MirrorPixelRows(uint8_t* pixels, int width, int height);

// Nearest-neighbour stretch of 32-bit pixels, alpha included: the source
// rectangle (sx, sy, sw, sh; y from the top) of a bottom-up `source` array
// of sourceWidth x sourceHeight into a bottom-up `out` array of width x
// height. Source pixels outside the array read as 0.
void StretchPixels(const uint8_t* source,
                   int sourceWidth,
                   int sourceHeight,
                   int sx,
                   int sy,
                   int sw,
                   int sh,
                   uint8_t* out,
                   int width,
                   int height);

// One channel of a premultiplied source over a destination:
// s + d * (255 - a) / 255, truncated, at most 255.
uint8_t BlendChannel(uint8_t source, uint8_t destination, uint8_t sourceAlpha);

// The own blend: the premultiplied `source` over `destination` (colour
// channels; the destination keeps its fourth byte), both
// `width` x `height` 32-bit arrays, the result in `destination`. A mirrored
// side is read right to left (its DC has a right-to-left layout); the result
// stays where the destination pixel was read.
void BlendPixels(const uint8_t* source,
                 bool sourceMirrored,
                 uint8_t* destination,
                 bool destinationMirrored,
                 int width,
                 int height);

// A pixel's 32-bit value (B | G << 8 | R << 16 | A << 24) as a colour value
// 0x00BBGGRR, with the alpha byte kept in the top 8 bits when `alpha`.
uint32_t PixelToColorRef(uint32_t pixel, bool alpha);

// The 32-bit value of the pixel at `p`.
inline uint32_t PixelAt(const uint8_t* p) {
    return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace plym
