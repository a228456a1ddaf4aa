// app/play/play_layouts.cpp
#include "app/play/play_layouts.h"

#include <algorithm>

#include "app/play/toolbar_controller.h"

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
    constexpr int kMain[] = {kPlayButton,    kPauseButton,     kStopButton,    kSpeedDownButton,
                             kSpeedUpButton, kNextFrameButton, kCaptureButton, kVideoClipButton,
                             kPlayAllButton, kStopAllButton,   kDownloadButton};
    constexpr int kLayout[] = {kOneWndButton, kFourWndButton, kFullScreenButton};
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
    out.push_back({kSensorPanelButton, {l + 499, t + 1, 28, 23}});
    out.push_back({kStateText, {l + 567, t + 1, 80, 25}});
    out.push_back({kMuteButton, {r - 175, t + 3, 24, 20}});
    out.push_back({kVolumeSlider, {r - 146, t + 3, 140, 20}});
    return out;
}

}  // namespace play
