// skin/objects/frame_layout.cpp
#include "skin/objects/frame_layout.h"

#include <algorithm>
#include <climits>

#include "skin/core/plym_muldiv.h"

namespace plym {

std::vector<CaptionButtonPlan> CaptionButtonsFor(uint32_t style, uint32_t exStyle, bool closeGrayed) {
    std::vector<CaptionButtonPlan> buttons;
    const bool tool = (exStyle & kWsExToolWindow) != 0;
    const bool mdiChild = (exStyle & kWsExMdiChild) != 0;
    const bool sysMenu = (style & kWsSysMenu) != 0;
    const bool minimized = (style & kWsMinimize) != 0;
    const bool maximized = (style & kWsMaximize) != 0;
    const bool minMax = !tool && sysMenu && (style & (kWsMinimizeBox | kWsMaximizeBox));
    if (sysMenu) {
        const bool enabled = tool || mdiChild || !closeGrayed;
        buttons.push_back({kScClose, kHtClose, tool ? kPartSmallCloseButton : kPartCloseButton, enabled});
    }
    if (minMax) {
        const bool maximizeBox = (style & kWsMaximizeBox) != 0;
        if (!maximized)
            buttons.push_back({kScMaximize, kHtMaxButton, kPartMaxButton, maximizeBox});
        else if (!minimized)
            buttons.push_back({kScRestore, kHtMaxButton, kPartRestoreButton, maximizeBox});
        const bool minimizeBox = (style & kWsMinimizeBox) != 0;
        buttons.push_back({minimized ? kScRestore : kScMinimize, kHtMinButton,
                           minimized ? kPartRestoreButton : kPartMinButton, minimizeBox});
    }
    if ((exStyle & kWsExContextHelp) && !tool && sysMenu)
        buttons.push_back({kScContextHelp, kHtHelp, kPartHelpButton, true});
    return buttons;
}

int CaptionButtonState(bool enabled, bool isHot, bool isPressed, bool otherPressed, bool active) {
    int state = 1;
    if (!enabled)
        state = 4;
    else if (isPressed && isHot)
        state = 3;
    else if (isHot && !otherPressed)
        state = 2;
    return active ? state : state + 4;
}

int MinimumTrackWidth(int buttonCount, int topBorder, int cySize, int cxEdge) {
    return buttonCount * topBorder + cySize + 2 * cxEdge;
}

void SetupScrollBarLayout(ScrollBarPosInfo* bar, const Rect& rect, int arrow, const ScrollBarRange& range) {
    const bool vertical = bar->vertical != 0;
    bar->minimum = range.minimum;
    bar->maximum = range.maximum;
    bar->page = range.page;
    bar->position = range.position;
    bar->barRect = rect;
    bar->barStart = vertical ? rect.top : rect.left;
    bar->barEnd = vertical ? rect.bottom : rect.right;
    bar->crossStart = vertical ? rect.left : rect.top;
    bar->crossEnd = vertical ? rect.right : rect.bottom;
    const int length = bar->barEnd - bar->barStart;
    arrow = std::max(0, std::min(arrow, length / 2));
    bar->trackStart = bar->barStart + arrow;
    bar->trackEnd = bar->barEnd - arrow;
    // A program may set any range: the count of positions is held in an int.
    const int64_t wide = int64_t{range.maximum} - range.minimum + 1;
    const int count = static_cast<int>(std::clamp<int64_t>(wide, INT_MIN, INT_MAX));
    int thumb = arrow;
    if (range.page != 0 && count != 0)
        thumb = std::max(arrow / 2, PlymMulDiv(bar->trackEnd - bar->trackStart, range.page, count));
    bar->thumbLength = thumb;
    bar->thumbTravel = length - 2 * arrow - thumb;
    bar->travelStart = bar->trackStart;
    if (range.page >= 1 && count == range.page)
        bar->thumbStart = bar->travelStart - 1;
    else
        bar->thumbStart = bar->travelStart + PlymMulDiv(range.position - range.minimum, bar->thumbTravel,
                                                        count - std::max(range.page, 1));
    bar->thumbEnd = bar->thumbStart + thumb;
}

int ScrollBarHitCode(const ScrollBarPosInfo& bar, int x, int y) {
    const Rect& r = bar.barRect;
    if (!bar.present || x < r.left || x >= r.right || y < r.top || y >= r.bottom)
        return 0;
    const int c = bar.vertical ? y : x;
    if (c < bar.trackStart)
        return kHitFirstArrow;
    if (c >= bar.trackEnd)
        return kHitSecondArrow;
    if (c < bar.thumbStart)
        return kHitTrackBefore;
    if (c < bar.thumbEnd)
        return kHitThumb;
    return kHitTrackAfter;
}

int ScrollPosFromPixel(const ScrollBarPosInfo& bar, int p) {
    if (p < bar.travelStart)
        return bar.minimum;
    if (p >= bar.travelStart + bar.thumbTravel)
        return bar.page ? bar.maximum + 1 - bar.page : bar.maximum;
    if (bar.thumbTravel == 0)
        return bar.minimum - 1;
    const int span = bar.maximum - bar.minimum - (bar.page ? bar.page - 1 : 0);
    return bar.minimum + PlymMulDiv(span, p - bar.travelStart, bar.thumbTravel);
}

int DragThumbPixel(const ScrollBarPosInfo& bar, const Rect& tolerance, int thumbOffset, int x, int y) {
    if (x < tolerance.left || x >= tolerance.right || y < tolerance.top || y >= tolerance.bottom)
        return bar.dragOrigin;
    const int c = bar.vertical ? y : x;
    const int last = bar.travelStart + std::max(bar.thumbTravel, 0);
    return std::clamp(thumbOffset + c, bar.travelStart, last);
}

Rect DragToleranceRect(const ScrollBarPosInfo& bar, int alongSlack) {
    const int width = bar.crossEnd - bar.crossStart;
    const int along0 = bar.barStart - alongSlack;
    const int along1 = bar.barEnd + alongSlack;
    const int cross0 = bar.crossStart - 8 * width;
    const int cross1 = bar.crossEnd + 8 * width;
    return bar.vertical ? Rect{cross0, along0, cross1, along1} : Rect{along0, cross0, along1, cross1};
}

}  // namespace plym
