// app/play/timebar_view.cpp
#include "app/play/timebar_view.h"

#include <algorithm>
#include <cstdint>

namespace play {

namespace {

constexpr int kSecondsPerCell[kTimebarMaxZoom + 1] = {7200, 3600, 1800, 900, 600, 300};

int ClampZoom(int zoom) {
    return std::clamp(zoom, 0, kTimebarMaxZoom);
}

}  // namespace

int SecondsPerCell(int zoom) {
    return kSecondsPerCell[ClampZoom(zoom)];
}

int CellsPerDay(int zoom) {
    return kSecondsPerDay / SecondsPerCell(zoom);
}

int GridCount(int zoom) {
    return CellsPerDay(zoom) + 1;
}

int CellWidth(int clientWidth) {
    // Window sizes are 16-bit; the cap keeps a whole day's pixels inside int.
    const int64_t w = (int64_t{clientWidth} - kTimebarLeftMargin - kTimebarRightMargin) / kTimebarCellsInView;
    return static_cast<int>(std::clamp<int64_t>(w, 1, 0xFFFF));
}

bool operator==(const ClockTime& a, const ClockTime& b) {
    return a.hour == b.hour && a.minute == b.minute && a.second == b.second;
}

int TimebarView::barRight() const {
    return std::max(width - kTimebarRightMargin, kTimebarLeftMargin);
}

int TimebarView::TimeToX(int hour, int minute, int second) const {
    const int64_t spc = SecondsPerCell(zoom);
    const int64_t cw = cellWidth();
    const int64_t s =
        std::clamp(int64_t{hour} * 3600 + int64_t{minute} * 60 + second, int64_t{0}, int64_t{kSecondsPerDay});
    const int64_t cell = s / spc;
    const int64_t share = (s - cell * spc) * cw;  // seconds into the cell, times the cell width
    int64_t x = cell * cw + share / spc;
    if (2 * (share % spc) > spc)
        ++x;
    return static_cast<int>(std::min<int64_t>(x, INT32_MAX));
}

// Multiplies before dividing: dividing the cell's seconds by its width first
// loses up to a pixel's worth of seconds at every pixel of the cell (at 77-pixel
// cells of 300 s, the right end of a cell read 3:48 into it), and in cells wider
// than their seconds every pixel read the cell's start.
std::optional<ClockTime> TimebarView::XToTime(int clientX) const {
    const int64_t cw = cellWidth();
    const int64_t offset = int64_t{clientX} - dayLeft();
    if (offset < 0)
        return std::nullopt;
    const int64_t cell = offset / cw;
    if (cell >= CellsPerDay(zoom))
        return std::nullopt;
    const int64_t spc = SecondsPerCell(zoom);
    const int64_t total = cell * spc + spc * (offset - cell * cw) / cw;
    ClockTime t{static_cast<int>(total / 3600), static_cast<int>(total % 3600 / 60),
                static_cast<int>(total % 60)};
    if (t.hour < 0 || t.hour > 23)
        t.hour = 0;
    if (t.minute < 0 || t.minute > 59)
        t.minute = 0;
    if (t.second < 0 || t.second > 59)
        t.second = 0;
    return t;
}

int TimebarView::RowAt(int clientY) const {
    if (clientY < kTimebarHeaderHeight)
        return -1;
    const int row = (clientY - kTimebarHeaderHeight) / kTimebarRowHeight;
    return row < kTimebarRowCount ? row : -1;
}

int TimebarView::MinScroll() const {
    return -(CellsPerDay(zoom) - kTimebarCellsInView) * cellWidth();
}

int TimebarView::ClampScroll(int scroll) const {
    return std::clamp(scroll, MinScroll(), 0);
}

int TimebarView::FirstVisibleGrid() const {
    const int cw = cellWidth();
    return std::clamp((-scrollX + cw - 1) / cw, 0, GridCount(zoom) - 1);
}

int TimebarView::LastVisibleGrid() const {
    const int cw = cellWidth();
    return std::clamp((kTimebarCellsInView * cw - scrollX) / cw, 0, GridCount(zoom) - 1);
}

}  // namespace play
