// skin/core/frame_geometry.cpp
#include "skin/core/frame_geometry.h"

#include <algorithm>

#include "skin/core/plym_muldiv.h"

namespace plym {
namespace {

// SCROLLBAR parts.
constexpr int kArrowButton = 1;
constexpr int kThumbHorz = 2;
constexpr int kThumbVert = 3;
constexpr int kLowerTrackHorz = 4;
constexpr int kUpperTrackHorz = 5;
constexpr int kLowerTrackVert = 6;
constexpr int kUpperTrackVert = 7;
constexpr int kGripperHorz = 8;
constexpr int kGripperVert = 9;
constexpr int kStateNormal = 1;
constexpr int kStateHot = 2;
constexpr int kStatePressed = 3;
constexpr int kStateDisabled = 4;
constexpr int kBarControl = 2;  // SB_CTL

int CaptionHeight(uint32_t exStyle, const FrameMetrics& metrics) {
    return (exStyle & kWsExToolWindow) ? metrics.smallCaptionHeight : metrics.captionHeight;
}

// Arrow states for one end of a bar: disabled, pressed, hot, hover, normal.
struct ArrowStates {
    int disabled, pressed, hot, hover, normal;
};
constexpr ArrowStates kLeftArrow{12, 11, 10, 19, 9};
constexpr ArrowStates kRightArrow{16, 15, 14, 20, 13};
constexpr ArrowStates kUpArrow{4, 3, 2, 17, 1};
constexpr ArrowStates kDownArrow{8, 7, 6, 18, 5};

Rect Offset(const Rect& r, int dx, int dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

}  // namespace

int GetBorderCount(uint32_t style, uint32_t exStyle, bool frame, bool clientEdge, int borderMultiplier) {
    int count = 0;
    if (frame) {
        if (exStyle & kWsExWindowEdge)
            count = 2;
        else if (exStyle & kWsExStaticEdge)
            count = 1;
        if ((style & (kWsBorder | kWsDlgFrame)) || (exStyle & kWsExDlgModalFrame))
            count += 1;
        if (style & kWsThickFrame)
            count += borderMultiplier;
    }
    if (clientEdge && (exStyle & kWsExClientEdge))
        count += 2;
    return count;
}

bool UsesMaximizedBorders(uint32_t style) {
    return (style & kWsMaximize) && (style & kWsCaption) == kWsCaption && !(style & kWsChild);
}

Rect MaximizedFrameBorders(int b, uint32_t exStyle, const FrameMetrics& metrics) {
    return {b, b + CaptionHeight(exStyle, metrics), b, b};
}

Rect FrameBorders(uint32_t style, uint32_t exStyle, const FrameMetrics& metrics) {
    Rect borders;
    if ((style & kWsCaption) == kWsCaption)
        borders.top = CaptionHeight(exStyle, metrics);
    const int count = GetBorderCount(style, exStyle, true, false, metrics.borderMultiplier);
    int dx = count * metrics.borderWidth;
    int dy = count * metrics.borderHeight;
    if (exStyle & kWsExClientEdge) {
        dx += metrics.edgeWidth;
        dy += metrics.edgeHeight;
    }
    borders.left += dx;
    borders.right += dx;
    borders.top += dy;
    borders.bottom += dy;
    return borders;
}

CaptionButtonRow CaptionButtonGeometry(const Rect& borders,
                                       int n,
                                       uint32_t style,
                                       uint32_t exStyle,
                                       const FrameMetrics& metrics) {
    CaptionButtonRow row;
    row.offset = (exStyle & (kWsExWindowEdge | kWsExStaticEdge)) ? 1 : 0;
    if (style & kWsThickFrame)
        row.offset += (metrics.borderMultiplier + 1) / 2;
    row.size = borders.top - metrics.borderWidth * n - 5;
    if (exStyle & kWsExClientEdge) {
        row.size -= 2;
        row.offset -= 1;
    }
    return row;
}

Rect CaptionButtonRect(int windowWidth, const Rect& borders, int n, Size button, int offset, int index) {
    const int left = windowWidth - button.cx - n - 2 - index * (button.cx + 2);
    const int top = (borders.top - button.cy) / 2 + offset;
    return {left, top, left + button.cx, top + button.cy};
}

int CaptionButtonsLeft(int windowWidth, const Rect& borders, int n, Size button, int count) {
    if (count <= 0)
        return windowWidth - n;
    return CaptionButtonRect(windowWidth, borders, n, button, 0, count - 1).left;
}

ScrollBarPlan PlanScrollBar(const ScrollBarPosInfo& bar,
                            const ScrollBarTracking& tracking,
                            bool windowDisabled,
                            int arrowCells) {
    ScrollBarPlan plan;
    const int pressed =
        tracking.onThisBar && (tracking.draggingThumb || tracking.overPressed) ? bar.hotPart : 0;
    const int hot = tracking.active ? 0 : bar.hotPart;
    const bool live = tracking.onThisBar || (!tracking.active && bar.hotPart > 0);
    if (bar.crossEnd - bar.crossStart <= 0)
        return plan;
    plan.draw = true;
    plan.fill = bar.barRect;

    // Values set by a program: the range test must not overflow.
    const int64_t span = int64_t{bar.maximum} - bar.page - bar.minimum + 1;
    const bool enabled = span > 0 && !(bar.barKind == kBarControl && windowDisabled);
    int thumbOffset = bar.thumbStart - bar.trackStart;
    int thumbSize = bar.thumbEnd - bar.thumbStart;
    if (!enabled || bar.thumbEnd > bar.trackEnd) {
        thumbOffset = 0;
        thumbSize = 0;
    }

    const bool vertical = bar.vertical != 0;
    // A rectangle from `from` to `to` along the bar, across all of it.
    const auto along = [&](int from, int to) -> Rect {
        return vertical ? Rect{bar.crossStart, from, bar.crossEnd, to}
                        : Rect{from, bar.crossStart, to, bar.crossEnd};
    };
    const auto arrowState = [&](const ArrowStates& states, int code) {
        if (!enabled)
            return states.disabled;
        if (pressed == code)
            return states.pressed;
        if (hot == code)
            return states.hot;
        if (live && arrowCells == 20)
            return states.hover;
        return states.normal;
    };
    plan.pieces.push_back({kArrowButton, arrowState(vertical ? kUpArrow : kLeftArrow, kHitFirstArrow),
                           along(bar.barStart, bar.trackStart)});
    plan.pieces.push_back({kArrowButton, arrowState(vertical ? kDownArrow : kRightArrow, kHitSecondArrow),
                           along(bar.trackEnd, bar.barEnd)});

    if (bar.trackEnd - bar.trackStart <= 0)
        return plan;
    const auto pieceState = [&](int code) {
        if (!enabled)
            return kStateDisabled;
        if (pressed == code)
            return kStatePressed;
        if (hot == code)
            return kStateHot;
        return kStateNormal;
    };
    const int thumbStart = bar.trackStart + thumbOffset;
    const int thumbEnd = thumbStart + thumbSize;
    if (thumbOffset > 0) {
        plan.pieces.push_back({vertical ? kLowerTrackVert : kLowerTrackHorz, pieceState(kHitTrackBefore),
                               along(bar.trackStart, thumbStart)});
    }
    if (thumbSize > 0) {
        const int state = pieceState(kHitThumb);
        const Rect thumb = along(thumbStart, thumbEnd);
        plan.pieces.push_back({vertical ? kThumbVert : kThumbHorz, state, thumb});
        if (vertical ? thumbSize > 13 : thumbSize > 9)
            plan.pieces.push_back({vertical ? kGripperVert : kGripperHorz, state, thumb});
    }
    if (bar.trackEnd > thumbEnd) {
        plan.pieces.push_back({vertical ? kUpperTrackVert : kUpperTrackHorz, pieceState(kHitTrackAfter),
                               along(thumbEnd, bar.trackEnd)});
    }
    return plan;
}

void ScanFramePart(const PixelImage& image,
                   int side,
                   int width,
                   int height,
                   Color key,
                   FrameRegionPart* part) {
    const int w = std::clamp(width, 0, image.width);
    const int h = std::clamp(height, 0, image.height);
    const Rect& m = part->margins;
    const auto see = [&](int x, int y) { return image.At(x, y) == key; };
    bool counting = true;
    part->seeThroughLines = 0;
    if (side == kSideCaption || side == kSideBottom) {
        const int nearEnd = std::clamp(m.left, 0, w);
        const int shift = w - m.right;  // far coordinates start at the far margin
        const int farStart = std::clamp(shift, 0, w);
        const int innerEnd = farStart;
        for (int y = 0; y < h; ++y) {
            int run = 0;
            while (run < nearEnd && see(run, y))
                ++run;
            if (run > 0)
                part->nearRects.push_back({0, y, run, y + 1});
            for (int x = w - 1; x >= farStart;) {
                if (!see(x, y)) {
                    --x;
                    continue;
                }
                const int end = x + 1;
                while (x >= farStart && see(x, y))
                    --x;
                part->farRects.push_back({x + 1 - shift, y, end - shift, y + 1});
            }
            if (counting) {
                // An empty middle is no proof that the line is see-through.
                const int row = side == kSideCaption ? y : h - 1 - y;
                bool all = nearEnd < innerEnd;
                for (int x = nearEnd; all && x < innerEnd; ++x)
                    all = see(x, row);
                if (all)
                    ++part->seeThroughLines;
                else
                    counting = false;
            }
        }
        return;
    }
    const int nearEnd = std::clamp(m.top, 0, h);
    const int shift = h - m.bottom;
    const int farStart = std::clamp(shift, 0, h);
    const int innerEnd = farStart;
    for (int x = 0; x < w; ++x) {
        int run = 0;
        while (run < nearEnd && see(x, run))
            ++run;
        if (run > 0)
            part->nearRects.push_back({x, 0, x + 1, run});
        for (int y = h - 1; y >= farStart;) {
            if (!see(x, y)) {
                --y;
                continue;
            }
            const int end = y + 1;
            while (y >= farStart && see(x, y))
                --y;
            part->farRects.push_back({x, y + 1 - shift, x + 1, end - shift});
        }
        if (counting) {
            const int column = side == kSideLeft ? x : w - 1 - x;
            bool all = nearEnd < innerEnd;
            for (int y = nearEnd; all && y < innerEnd; ++y)
                all = see(column, y);
            if (all)
                ++part->seeThroughLines;
            else
                counting = false;
        }
    }
}

const FrameRegion* FrameRegionCache::Find(int topBorder,
                                          int leftBorder,
                                          uint32_t toolWindow,
                                          int width,
                                          const RenderFramePartFn& render,
                                          std::unique_ptr<FrameRegion>* temporary) {
    for (const auto& entry : entries_) {
        if (entry->topBorder == topBorder && entry->leftBorder == leftBorder &&
            entry->toolWindow == toolWindow) {
            const Rect& m = entry->parts[kRegionCaption].margins;
            if (int64_t{width} >= int64_t{m.left} + m.right)
                return entry.get();
            break;
        }
    }
    auto entry = std::make_unique<FrameRegion>();
    entry->topBorder = topBorder;
    entry->leftBorder = leftBorder;
    entry->toolWindow = toolWindow;
    const bool tool = toolWindow != 0;
    const int captionPart = tool ? 2 : 1;
    const int leftPart = tool ? 10 : 7;
    const int rightPart = tool ? 11 : 8;
    const int bottomPart = tool ? 12 : 9;

    PixelImage image;
    Color key = 0;
    FrameRegionPart& caption = entry->parts[kRegionCaption];
    if (!render(captionPart, false, topBorder, &image, &caption.margins, &key))
        return nullptr;
    caption.margins = ClampSkinMargins(caption.margins);
    int scanWidth = image.width;
    if (int64_t{width} < int64_t{caption.margins.left} + caption.margins.right) {
        entry->temporary = true;
        scanWidth = width;
        const int oldLeft = caption.margins.left;
        caption.margins.left = PlymMulDiv(width, oldLeft, oldLeft + caption.margins.right);
        caption.margins.right = width - oldLeft;
    }
    ScanFramePart(image, kSideCaption, scanWidth, image.height, key, &caption);

    const struct {
        int index;
        int part;
        bool fixedWidth;
        int side;
    } edges[] = {
        {kRegionLeft, leftPart, true, kSideLeft},
        {kRegionRight, rightPart, true, kSideRight},
        {kRegionBottom, bottomPart, false, kSideBottom},
    };
    for (const auto& edge : edges) {
        PixelImage edgeImage;
        Color edgeKey = 0;
        FrameRegionPart& target = entry->parts[edge.index];
        if (render(edge.part, edge.fixedWidth, leftBorder, &edgeImage, &target.margins, &edgeKey)) {
            target.margins = ClampSkinMargins(target.margins);
            ScanFramePart(edgeImage, edge.side, edgeImage.width, edgeImage.height, edgeKey, &target);
        } else {
            target = FrameRegionPart{};
        }
    }
    if (entry->temporary) {
        *temporary = std::move(entry);
        return temporary->get();
    }
    entries_.push_back(std::move(entry));
    return entries_.back().get();
}

std::vector<Rect> FrameRegionCutouts(const FrameRegion& region, int width, int height) {
    std::vector<Rect> cutouts;
    const int l = region.leftBorder;
    const int t = region.topBorder;
    const auto add = [&](const std::vector<Rect>& rects, int dx, int dy) {
        for (const Rect& r : rects)
            cutouts.push_back(Offset(r, dx, dy));
    };
    const auto addRect = [&](const Rect& r) {
        if (!r.IsEmpty())
            cutouts.push_back(r);
    };

    const FrameRegionPart& caption = region.parts[kRegionCaption];
    add(caption.nearRects, 0, 0);
    add(caption.farRects, width - caption.margins.right, 0);
    if (caption.seeThroughLines > 0)
        addRect({caption.margins.left, 0, width - caption.margins.right, caption.seeThroughLines});

    const FrameRegionPart& bottom = region.parts[kRegionBottom];
    add(bottom.nearRects, 0, height - l);
    add(bottom.farRects, width - bottom.margins.right, height - l);
    if (bottom.seeThroughLines > 0)
        addRect({bottom.margins.left, height - bottom.seeThroughLines, width - bottom.margins.right, height});

    const FrameRegionPart& left = region.parts[kRegionLeft];
    add(left.nearRects, 0, t);
    add(left.farRects, 0, height - left.margins.bottom - l);
    if (left.seeThroughLines > 0)
        addRect({0, left.margins.top + t, left.seeThroughLines, height - left.margins.bottom - l});

    const FrameRegionPart& right = region.parts[kRegionRight];
    add(right.nearRects, width - l, t);
    add(right.farRects, width - l, height - right.margins.bottom - l);
    if (right.seeThroughLines > 0)
        addRect(
            {width - right.seeThroughLines, right.margins.top + t, width, height - right.margins.bottom - l});
    return cutouts;
}

Rect MaximizedFrameRegion(int b, int width, int height, bool workAreaAsWideAsWindow) {
    if (workAreaAsWideAsWindow)
        return {b, b, width + 2 * b, height + 2 * b};
    return {b, b, width - b, height - b};
}

}  // namespace plym
