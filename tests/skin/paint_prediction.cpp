// tests/skin/paint_prediction.cpp
#include "tests/skin/paint_prediction.h"

#include <algorithm>
#include <cstdlib>

#include "skin/core/image_pixels.h"
#include "skin/core/skin_image_layout.h"

namespace skintest {

plym::Color TopDownImage::ColorAt(int x, int y) const {
    const uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
    return plym::Rgb(p[2], p[1], p[0]);
}

uint8_t TopDownImage::AlphaAt(int x, int y) const {
    return bgra[(static_cast<size_t>(y) * width + x) * 4 + 3];
}

namespace {

bool Inside(const plym::Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The source coordinate under the centre of destination pixel `at`.
int Map(int at, int destinationStart, int destinationSize, int sourceStart, int sourceSize) {
    return sourceStart + ((2 * (at - destinationStart) + 1) * sourceSize) / (2 * destinationSize);
}

}  // namespace

std::vector<plym::Color> PredictedColors(const TopDownImage& image,
                                         const PaintCall& call,
                                         int x,
                                         int y,
                                         plym::Color background) {
    if (call.margins.top + call.margins.bottom > call.source.Height())
        return {background};
    const plym::Blit* found = nullptr;
    std::vector<plym::Blit> blits;
    for (const plym::GridPiece& piece :
         plym::SliceNineGrid(call.destination, call.source, call.margins, call.borderOnly)) {
        plym::AppendPieceBlits(piece, call.sizingType == plym::kSizingTile, blits);
    }
    for (const plym::Blit& blit : blits) {
        if (Inside(blit.destination, x, y))
            found = &blit;  // the last one drawn wins
    }
    if (found == nullptr)
        return {background};

    const plym::Rect& d = found->destination;
    const plym::Rect& s = found->source;
    const int cx = Map(x, d.left, d.Width(), s.left, s.Width());
    const int cy = Map(y, d.top, d.Height(), s.top, s.Height());
    const int spreadX = d.Width() == s.Width() ? 0 : 1;
    const int spreadY = d.Height() == s.Height() ? 0 : 1;
    std::vector<plym::Color> colors;
    for (int oy = -spreadY; oy <= spreadY; ++oy) {
        for (int ox = -spreadX; ox <= spreadX; ++ox) {
            const int sx = std::clamp(cx + ox, s.left, s.right - 1);
            const int sy = std::clamp(cy + oy, s.top, s.bottom - 1);
            if (sx < 0 || sy < 0 || sx >= image.width || sy >= image.height)
                continue;
            plym::Color c = image.ColorAt(sx, sy);
            if (call.key != plym::kNoColor && c == call.key) {
                c = background;
            } else if (call.alpha) {
                const uint8_t a = image.AlphaAt(sx, sy);
                c = plym::Rgb(plym::BlendChannel(static_cast<uint8_t>(plym::RedOf(c)),
                                                 static_cast<uint8_t>(plym::RedOf(background)), a),
                              plym::BlendChannel(static_cast<uint8_t>(plym::GreenOf(c)),
                                                 static_cast<uint8_t>(plym::GreenOf(background)), a),
                              plym::BlendChannel(static_cast<uint8_t>(plym::BlueOf(c)),
                                                 static_cast<uint8_t>(plym::BlueOf(background)), a));
            }
            colors.push_back(c);
        }
    }
    return colors;
}

bool MatchesPrediction(plym::Color actual, const std::vector<plym::Color>& predicted, int tolerance) {
    for (plym::Color c : predicted) {
        if (std::abs(plym::RedOf(actual) - plym::RedOf(c)) <= tolerance &&
            std::abs(plym::GreenOf(actual) - plym::GreenOf(c)) <= tolerance &&
            std::abs(plym::BlueOf(actual) - plym::BlueOf(c)) <= tolerance)
            return true;
    }
    return false;
}

}  // namespace skintest
