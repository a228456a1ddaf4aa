// tests/skin/paint_prediction.h
//
// What a skin image's PaintPart should leave at a pixel, worked out from the
// image's pixels and the nine-grid plan alone (skin/core/skin_image_layout.h):
// the colours the source pixels around the mapped one would give (a stretch
// may pick a neighbour), or the background where nothing is painted or the
// key colour is left out, blended over the background for alpha images.
#pragma once

#include <cstdint>
#include <vector>

#include "skin/core/plym_types.h"

namespace skintest {

// Top-down 32-bit pixels: B, G, R, A.
struct TopDownImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra;

    // The colour (0x00BBGGRR) and alpha of a pixel.
    plym::Color ColorAt(int x, int y) const;
    uint8_t AlphaAt(int x, int y) const;
};

struct PaintCall {
    plym::Rect destination;
    plym::Rect source;
    plym::Rect margins;
    plym::Color key = plym::kNoColor;
    int sizingType = 1;
    bool borderOnly = false;
    bool alpha = false;  // premultiplied pixels, blended
};

// The colours (0x00BBGGRR) the pixel at (x, y) may have.
std::vector<plym::Color> PredictedColors(const TopDownImage& image,
                                         const PaintCall& call,
                                         int x,
                                         int y,
                                         plym::Color background);

// Whether `actual` is one of `predicted`, within `tolerance` per channel.
bool MatchesPrediction(plym::Color actual, const std::vector<plym::Color>& predicted, int tolerance);

}  // namespace skintest
