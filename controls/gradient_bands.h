// controls/gradient_bands.h
//
// The bands a gradient fill paints, without a device context: DrawGradient
// (controls/draw_gradient.h) fills each band with PatFillRect.
//
// Colour A fades into colour B in bands of extent / 128 pixels (at least 2;
// otherwise one pixel each). Band k (from 1) lies k bands away from the B end
// and has, per 8-bit channel, B + (A - B) * k * band / extent (integer
// division, truncating). Vertically the bands cover the whole height: when
// the height is not a multiple of the band, the band at the A end is cut to
// the rectangle and keeps colour A rather than running past the edge.
// Horizontally only whole bands are painted, from the B end; the pixels left
// over at the A end stay untouched, and a rectangle narrower than one band
// gets nothing.
#pragma once

#include <cstdint>
#include <vector>

namespace controls {

struct GradientBand {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    uint32_t color = 0;  // COLORREF, 0x00BBGGRR
    bool operator==(const GradientBand&) const = default;
};

// `aFirst`: colour A at the top (vertical) or at the left (horizontal); else
// at the bottom or right.
std::vector<GradientBand> GradientBands(int left,
                                        int top,
                                        int right,
                                        int bottom,
                                        uint32_t colorA,
                                        uint32_t colorB,
                                        bool horizontal,
                                        bool aFirst);

// The band size for an extent: extent / 128 when that is at least 2, else 1.
int GradientBandSize(int extent);

// Channel by channel B + (A - B) * offset / extent; offset is clamped to
// [0, extent].
uint32_t GradientColor(uint32_t colorA, uint32_t colorB, int offset, int extent);

}  // namespace controls
