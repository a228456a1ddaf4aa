// app/play/page_layout.cpp
#include "app/play/page_layout.h"

#include <algorithm>
#include <cstdio>

namespace play {

namespace {

int NonNegative(int v) {
    return v < 0 ? 0 : v;
}

}  // namespace

std::optional<ViewType> ViewTypeFromCommand(int command) {
    switch (command) {
        case kViewTypeVideoCommand:
            return ViewType::Video;
        case kViewTypeMapCommand:
            return ViewType::Map;
        case kViewTypeVideoMapCommand:
            return ViewType::VideoMap;
        default:
            return std::nullopt;
    }
}

PageRects LayOutPage(PageKind kind, const PixelRect& client, bool sensorPanelHidden) {
    const int l = client.x;
    const int t = client.y;
    const int r = client.right();
    const int b = client.bottom();
    const int listWidth = kind == PageKind::Disk ? kDiskListWidth : kNetworkListWidth;
    const int x0 = l + listWidth + 1;
    const int frameWidth = NonNegative(r - x0);

    PageRects page;
    page.list = {l, t, listWidth, NonNegative(b - t)};
    page.sensorPanel = {{x0, b - kSensorPanelHeight, frameWidth, kSensorPanelHeight}, !sensorPanelHidden};
    if (sensorPanelHidden)
        page.frame = {x0, t, frameWidth, NonNegative(b - t)};
    else
        page.frame = {x0, t, frameWidth, NonNegative(b - kSensorPanelHeight - t)};
    return page;
}

bool SensorPanelHiddenAtStart(PageKind kind, int mimicSetting) {
    return kind == PageKind::Network || mimicSetting != 1;
}

FrameRects LayOutFrame(const PixelRect& client, ViewType type, bool hasMapGrid) {
    const int l = client.x;
    const int t = client.y;
    const int w = NonNegative(client.width);
    const int h = NonNegative(client.height - kFrameFixedHeight);
    const int contentTop = t + kTypeSelectorHeight;

    FrameRects frame;
    frame.typeSelector = {l, t, w, kTypeSelectorHeight};
    if (type == ViewType::VideoMap) {
        const int middle = l + w / 2;
        frame.videoGrid = {{l, contentTop, middle - l, h}, true};
        frame.mapGrid = {{middle, contentTop, l + w - middle, h}, hasMapGrid};
    } else {
        frame.videoGrid = {{l, contentTop, w, h}, type != ViewType::Map};
        frame.mapGrid = {{l, contentTop, w, h}, hasMapGrid && type == ViewType::Map};
    }
    frame.toolBar = {l, contentTop + h, w, kToolBarHeight};
    frame.strip = {l, contentTop + h + kToolBarHeight, w, kStripHeight};
    return frame;
}

TypeSelectorRects LayOutTypeSelector(const PixelRect& client, bool gps, bool viewButtons, bool watermark) {
    constexpr int kBox = 16;
    constexpr int kTitleWidth = 110;
    constexpr int kSyncLabelWidth = 100;
    constexpr int kWatermarkLabelWidth = 110;
    constexpr int kGap = 10;
    constexpr int kCheckGap = 4;

    TypeSelectorRects s;
    const int h = NonNegative(client.height);
    const int x = client.x + 1;
    s.videoButton = {{x, client.y, kViewButtonWidth, h}, viewButtons};
    s.trackButton = {{x + kViewButtonWidth, client.y, kViewButtonWidth, h}, viewButtons && gps};
    s.videoTrackButton = {{x + 2 * kViewButtonWidth, client.y, kViewButtonWidth, h}, viewButtons && gps};

    const int y = client.y + (h - kBox) / 2;
    int at = client.x + NonNegative(client.width) / 2;
    s.title = {at, y, kTitleWidth, kBox};
    at += kTitleWidth + kGap;
    s.syncCheck = {at, y, kBox, kBox};
    at += kBox + kCheckGap;
    s.syncLabel = {at, y, kSyncLabelWidth, kBox};
    at += kSyncLabelWidth + kGap;
    s.watermarkCheck = {{at, y, kBox, kBox}, watermark};
    at += kBox + kCheckGap;
    s.watermarkLabel = {{at, y, kWatermarkLabelWidth, kBox}, watermark};
    return s;
}

SeekDestination RouteTimebarSeek(int row) {
    if (row == -1)
        return {SeekRoute::ToolBar, -1};
    if (row >= 0 && row < kPaneCount)
        return {SeekRoute::Pane, row};
    return {};
}

std::string TimebarRowName(std::string_view word, int row) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d", row + 1);
    return std::string(word) + number;
}

}  // namespace play
