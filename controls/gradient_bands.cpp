// controls/gradient_bands.cpp
#include "controls/gradient_bands.h"

#include <algorithm>

namespace controls {

int GradientBandSize(int extent) {
    const int band = extent / 128;
    return band >= 2 ? band : 1;
}

uint32_t GradientColor(uint32_t colorA, uint32_t colorB, int offset, int extent) {
    if (extent <= 0)
        return colorB;
    const int64_t o = std::clamp(offset, 0, extent);
    uint32_t color = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int64_t a = (colorA >> shift) & 0xFF;
        const int64_t b = (colorB >> shift) & 0xFF;
        const int64_t c = b + (a - b) * o / extent;
        color |= static_cast<uint32_t>(c) << shift;
    }
    return color;
}

std::vector<GradientBand> GradientBands(int left,
                                        int top,
                                        int right,
                                        int bottom,
                                        uint32_t colorA,
                                        uint32_t colorB,
                                        bool horizontal,
                                        bool aFirst) {
    std::vector<GradientBand> bands;
    const int width = right - left;
    const int height = bottom - top;
    if (width <= 0 || height <= 0)
        return bands;
    const int extent = horizontal ? width : height;
    const int band = GradientBandSize(extent);
    bands.reserve(static_cast<size_t>(extent / band + 1));

    if (!horizontal) {
        for (int k = 1, remaining = extent; remaining >= 1; ++k, remaining -= band) {
            const int offset = k * band;
            // Band k from the B end: B at the bottom when A comes first.
            int y = aFirst ? top + extent - offset : top + offset - band;
            int y2 = y + band;
            y = std::max(y, top);
            y2 = std::min(y2, bottom);
            bands.push_back({left, y, width, y2 - y, GradientColor(colorA, colorB, offset, extent)});
        }
        return bands;
    }
    for (int k = 1, remaining = extent; remaining >= band; ++k, remaining -= band) {
        const int offset = k * band;
        const int x = aFirst ? left + extent - offset : left + offset - band;
        bands.push_back({x, top, band, height, GradientColor(colorA, colorB, offset, extent)});
    }
    return bands;
}

}  // namespace controls
