// skin/objects/control_layout.cpp
#include "skin/objects/control_layout.h"

#include <algorithm>

#include "skin/core/plym_muldiv.h"
#include "skin/objects/control_states.h"

namespace plym {

Rect TurnRect(const Rect& r) {
    return {r.top, r.left, r.bottom, r.right};
}

namespace {

// MulDiv(a - low, b, high - low) with the differences taken in 64 bits, so
// that a range may span the whole int range (|a - low| < 2^32, |b| <= 2^31).
int MulDivRange(int a, int low, int b, int high) {
    return PlymMulDiv64(static_cast<int64_t>(a) - low, b, static_cast<int64_t>(high) - low);
}

// Raises the thumb height to two edges, makes the width half of it with the
// lowest bit set, and for a selection range narrows a fixed-length thumb or
// lengthens a free one.
void ApplyThumbSizeRule(uint32_t style, const TrackBarMetrics& m, int* h, int* w) {
    *h = std::max(*h, 2 * m.cxEdge);
    *w = (*h / 2) | 1;
    if (style & kTbsEnableSelRange) {
        if (style & kTbsFixedLength)
            *w = (9 * *h / 20) | 1;
        else
            *h += 2 * *w / 9;
    }
}

}  // namespace

TrackBarLayout LayOutTrackBar(uint32_t style,
                              const Rect& client,
                              int fixedThumbLength,
                              const TrackBarMetrics& m) {
    int h = 0;
    int w = 0;
    if (style & kTbsFixedLength) {
        h = fixedThumbLength;
    } else {
        h = 4 * m.cyHScroll / 3;
        if (h > 2 * m.cxEdge && client.bottom < h) {
            h = client.bottom - 3 * m.cyEdge;
            if (style & kTbsEnableSelRange)
                h = h * 3 / 4;
            ApplyThumbSizeRule(style, m, &h, &w);
        }
    }
    ApplyThumbSizeRule(style, m, &h, &w);

    TrackBarLayout layout;
    layout.style = style;
    layout.thumbHeight = h;
    layout.thumbWidth = w;
    const bool ticksOnTop = (style & (kTbsTop | kTbsBoth)) && !(style & kTbsNoTicks);
    layout.bandTop = client.top + 2 + (ticksOnTop ? 8 : 0);
    layout.bandBottom = layout.bandTop + h;
    layout.bandLeft = client.left + w + 2;
    layout.bandRight = client.right - w - 2;
    layout.trackLength = std::max(layout.bandRight - layout.bandLeft, 1);
    return layout;
}

int TrackBarValuePixel(const TrackBarLayout& layout, int value, int minimum, int maximum) {
    if (minimum == maximum)
        return layout.bandLeft;
    const int width = std::max(layout.bandRight - layout.bandLeft, 1);
    return layout.bandLeft + MulDivRange(value, minimum, width - 1, maximum);
}

namespace {

// One row of ticks: `outward` is +1 below the band, -1 above it.
void PlanTickRow(const TrackBarLayout& layout,
                 const TrackBarTickFacts& facts,
                 int base,
                 int outward,
                 std::vector<TickLine>* lines) {
    // A column of `length` pixels from line `from` (0 = the base line) outwards.
    auto column = [&](int along, int from, int length, bool mark) {
        const int a = base + outward * from;
        const int b = base + outward * (from + length - 1);
        lines->push_back({along, std::min(a, b), std::max(a, b) + 1, mark});
    };
    for (const int along : {layout.bandLeft, layout.bandRight - 1})
        column(along, 0, 4, false);
    if (facts.frequency != 0) {
        for (size_t i = 0; i < facts.tickValues.size(); ++i) {
            if ((static_cast<long long>(i) + 1) % facts.frequency == 0)
                column(TrackBarValuePixel(layout, facts.tickValues[i], facts.minimum, facts.maximum), 0, 3,
                       false);
        }
    }
    if ((layout.style & kTbsEnableSelRange) && facts.selectionStart < facts.selectionEnd &&
        facts.selectionEnd >= facts.minimum) {
        const int p = TrackBarValuePixel(layout, facts.selectionStart, facts.minimum, facts.maximum);
        const int q = TrackBarValuePixel(layout, facts.selectionEnd, facts.minimum, facts.maximum);
        for (int k = 0; k < 3; ++k) {
            column(p - k, k, 3 - k, true);
            column(q + k, k, 3 - k, true);
        }
    }
}

}  // namespace

std::vector<TickLine> PlanTrackBarTicks(const TrackBarLayout& layout, const TrackBarTickFacts& facts) {
    std::vector<TickLine> lines;
    const uint32_t style = layout.style;
    if (style & kTbsNoTicks)
        return lines;
    const bool topOnly = (style & kTbsTop) && !(style & kTbsBoth);
    if (!topOnly)
        PlanTickRow(layout, facts, layout.bandBottom + 1, +1, &lines);
    if (style & (kTbsTop | kTbsBoth))
        PlanTickRow(layout, facts, layout.bandTop - 1, -1, &lines);
    return lines;
}

namespace {

int ProgressExtent(const ProgressFacts& f) {
    return std::max(f.vertical ? f.fill.Height() : f.fill.Width(), 0);
}

// A piece [from, to) along the bar as a rectangle: from the left, or up from
// the bottom.
Rect ProgressPiece(const ProgressFacts& f, int from, int to) {
    if (f.vertical)
        return {f.fill.left, f.fill.bottom - to, f.fill.right, f.fill.bottom - from};
    return {f.fill.left + from, f.fill.top, f.fill.left + to, f.fill.bottom};
}

bool IsSolidBar(int chunk, int gap) {
    return chunk <= 1 && gap == 0;
}

}  // namespace

int ProgressChunkSize(const ProgressFacts& f) {
    if (f.chunkSize >= 0)
        return f.chunkSize;
    const int thickness = f.vertical ? f.fill.Width() : f.fill.Height();
    return std::max(thickness, 0) * 2 / 3;
}

int ProgressGapSize(const ProgressFacts& f) {
    return f.gapSize >= 0 ? f.gapSize : 2;
}

std::vector<Rect> PlanProgressChunks(const ProgressFacts& f) {
    std::vector<Rect> chunks;
    const int extent = ProgressExtent(f);
    // An empty range has nothing filled (MulDiv would answer -1).
    if (f.high == f.low || extent == 0)
        return chunks;
    const int length = std::clamp(MulDivRange(f.position, f.low, extent, f.high), 0, extent);
    if (length == 0)
        return chunks;
    const int chunk = ProgressChunkSize(f);
    const int gap = ProgressGapSize(f);
    if (IsSolidBar(chunk, gap)) {
        chunks.push_back(ProgressPiece(f, 0, length));
        return chunks;
    }
    const int c = std::max(chunk, 1);
    const long long step = static_cast<long long>(c) + gap;
    const long long count = (length + step - 1) / step;
    const int last = extent - 1;  // the last chunk stops one pixel inside the fill
    for (long long i = 0; i < count; ++i) {
        const int from = static_cast<int>(i * step);
        const int to = std::min(from + c, last);
        if (to > from)
            chunks.push_back(ProgressPiece(f, from, to));
    }
    return chunks;
}

std::vector<Rect> PlanProgressMarquee(const ProgressFacts& f, int position) {
    std::vector<Rect> chunks;
    const int extent = ProgressExtent(f);
    if (extent == 0)
        return chunks;
    const int chunk = ProgressChunkSize(f);
    const int gap = ProgressGapSize(f);
    const int start = ((position % extent) + extent) % extent;
    if (chunk == 1 && gap == 0) {
        const long long end = static_cast<long long>(start) + 40;
        chunks.push_back(ProgressPiece(f, start, static_cast<int>(std::min<long long>(end, extent))));
        if (end > extent)
            chunks.push_back(
                ProgressPiece(f, 0, static_cast<int>(std::min<long long>(end - extent, extent))));
        return chunks;
    }
    const int c = std::max(chunk, 1);
    const long long step = static_cast<long long>(c) + gap;
    for (int i = 0; i < 5; ++i) {
        const int from = static_cast<int>((start + i * step) % extent);
        const int to = static_cast<int>(std::min<long long>(static_cast<long long>(from) + c, extent));
        chunks.push_back(ProgressPiece(f, from, to));
    }
    return chunks;
}

int NextMarqueePosition(const ProgressFacts& f, int position) {
    const int chunk = ProgressChunkSize(f);
    const int gap = ProgressGapSize(f);
    const long long step = (chunk == 1 && gap == 0) ? 8 : static_cast<long long>(std::max(chunk, 1)) + gap;
    const long long next = static_cast<long long>(position) + step;
    return next >= ProgressExtent(f) ? 0 : static_cast<int>(next);
}

int MarqueeStepsPerTick(int intervalMs) {
    return intervalMs < 51 ? 2 : 1;
}

Rect SpinButtonArea(const Rect& client, uint32_t style, bool buddyHasClientEdge) {
    Rect area = client;
    if (!buddyHasClientEdge || !(style & (kUdsAlignRight | kUdsAlignLeft)))
        return area;
    area.top += 1;
    area.bottom -= 1;
    if (style & kUdsAlignRight)
        area.right -= 1;
    else
        area.left += 1;
    return area;
}

void PlanSpinPieces(const Rect& a, bool horizontal, SpinPiece* first, SpinPiece* second) {
    if (horizontal) {
        const int mid = (a.left + a.right) / 2;
        *first = {4, kSpinDecrease, {a.left, a.top, mid, a.bottom}};
        *second = {3, kSpinIncrease, {a.left + a.right - mid, a.top, a.right, a.bottom}};
    } else {
        const int mid = (a.top + a.bottom) / 2;
        *first = {1, kSpinIncrease, {a.left, a.top, a.right, mid}};
        *second = {2, kSpinDecrease, {a.left, a.top + a.bottom - mid, a.right, a.bottom}};
    }
}

Rect ComboButtonRect(const Rect& r, int buttonWidth, bool buttonLeft) {
    if (buttonLeft)
        return {r.left, r.top, r.left + buttonWidth, r.bottom};
    return {r.right - buttonWidth, r.top, r.right, r.bottom};
}

Rect ComboSystemButtonStrip(const Rect& r, int systemWidth, bool buttonLeft) {
    return ComboButtonRect(r, systemWidth + 3, buttonLeft);
}

Rect ComboTextField(const Rect& r, int buttonWidth, bool buttonLeft) {
    Rect field{r.left + 3, r.top + 3, r.right - 3, r.bottom - 3};
    if (buttonLeft)
        field.left += buttonWidth;
    else
        field.right -= buttonWidth;
    return field;
}

}  // namespace plym
