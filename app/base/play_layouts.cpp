// app/base/play_layouts.cpp
#include "app/base/play_layouts.h"

#include <algorithm>

#include "res/play_pane_ids.h"
#include "res/playback_ids.h"

namespace play {

namespace {

PixelRect Rect(int left, int top, int right, int bottom) {
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

}  // namespace

PaneRects LayOutPlayPane(const PixelRect& c) {
    PaneRects r;
    r.timeText = Rect(c.right() - 120, c.y, c.right() - 5, c.y + kPaneTitleHeight);
    r.video = Rect(c.x + 1, c.y + kPaneTitleHeight, c.right() - 1, c.bottom() - 1);
    return r;
}

std::string PaneTitle(std::string_view word, int pane) {
    return std::string(word) + std::to_string(pane + 1);
}

std::vector<ToolbarPlacement> LayOutToolbar(const PixelRect& c) {
    constexpr int kMain[] = {IDC_TOOL_PLAY,     IDC_TOOL_PAUSE,      IDC_TOOL_STOP,    IDC_TOOL_SPEED_DOWN,
                             IDC_TOOL_SPEED_UP, IDC_TOOL_NEXT_FRAME, IDC_TOOL_CAPTURE, IDC_TOOL_VIDEO_CLIP,
                             IDC_TOOL_PLAY_ALL, IDC_TOOL_STOP_ALL,   IDC_TOOL_DOWNLOAD};
    constexpr int kLayout[] = {IDC_TOOL_ONE_WND, IDC_TOOL_FOUR_WND, IDC_TOOL_FULL_SCREEN};
    const int l = c.x;
    const int t = c.y;
    const int r = c.right();
    std::vector<ToolbarPlacement> out;
    int x = l;
    for (int id : kMain) {
        out.push_back({id, {x, t + 1, 35, 25}});
        x += 36;
    }
    x = l + 411;
    for (int id : kLayout) {
        out.push_back({id, {x, t + 1, 28, 25}});
        x += 29;
    }
    out.push_back({IDC_BAR_POSITION, {l + 499, t + 1, 28, 23}});
    out.push_back({IDC_TOOL_STATE, {l + 567, t + 1, 80, 25}});
    out.push_back({IDC_TOOL_MUTE, {r - 175, t + 3, 24, 20}});
    out.push_back({IDC_TOOL_VOLUME, {r - 146, t + 3, 140, 20}});
    return out;
}

}  // namespace play
