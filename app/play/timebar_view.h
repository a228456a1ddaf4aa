// app/play/timebar_view.h
//
// Geometry of the recording time bar: where a time of day lies in pixels and
// which time a pixel shows, at six zoom levels, in a client of a given size,
// scrolled by a given amount. Plain data; the time bar model owns one.
//
// Layout of the client (pixels):
//
//   y 0..24    the ruler: zoom buttons at the left, time labels over the grid
//   y 25..96   four rows of 18, each a name left of x 80 and its bars
//   x 80 .. width-10   the bar area; twelve cells of the day fill it
//
// The view always shows twelve cells. A cell is 7200 s at zoom 0 (the whole day
// in view) down to 300 s at zoom 5 (one hour in view). Cells are at least one
// pixel wide however narrow the client, so nothing divides by zero.
//
// X positions "in the day" count from the start of the day (TimeToX); client
// positions add the left margin and the scroll offset, which is 0 at the start
// of the day and negative when later times are scrolled into view.
#pragma once

#include <optional>

namespace play {

inline constexpr int kTimebarRowCount = 4;
inline constexpr int kTimebarLeftMargin = 80;
inline constexpr int kTimebarRightMargin = 10;
inline constexpr int kTimebarHeaderHeight = 25;
inline constexpr int kTimebarRowHeight = 18;
inline constexpr int kTimebarBarTop = 3;  // below a row's top
inline constexpr int kTimebarBarHeight = 16;
inline constexpr int kTimebarCellsInView = 12;
inline constexpr int kTimebarMaxZoom = 5;
inline constexpr int kSecondsPerDay = 86400;

// Seconds one cell spans at a zoom level (0..5; others are clamped).
int SecondsPerCell(int zoom);
// Cells of the whole day: 12, 24, 48, 96, 144, 288.
int CellsPerDay(int zoom);
// Grid lines of the whole day: one more than the cells.
int GridCount(int zoom);
// (width - both margins) / 12, at least 1.
int CellWidth(int clientWidth);

// A clock time of the day.
struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};
bool operator==(const ClockTime& a, const ClockTime& b);

struct TimebarView {
    int width = 0;
    int height = 0;
    int zoom = 0;     // 0..5
    int scrollX = 0;  // pixels, <= 0

    int cellWidth() const { return CellWidth(width); }
    int barLeft() const { return kTimebarLeftMargin; }
    int barRight() const;  // one past the bar area's last pixel
    // Client x of the day's start (the first grid line).
    int dayLeft() const { return kTimebarLeftMargin + scrollX; }

    // Pixels from the day's start to the time: whole cells, then the share of the
    // cell rounded to the nearest pixel (halves round down). Times before or after
    // the day count as its start or end.
    int TimeToX(int hour, int minute, int second) const;
    // The time a client x shows: the cell under x, then its share of the cell's
    // seconds. Nothing when x lies on no cell of the day.
    std::optional<ClockTime> XToTime(int clientX) const;

    // Row 0..3 under a client y, or -1: the ruler and the pixels below the
    // fourth row are no row.
    int RowAt(int clientY) const;
    bool InBarArea(int clientX) const { return clientX >= barLeft() && clientX < barRight(); }
    int RowTop(int row) const { return kTimebarHeaderHeight + row * kTimebarRowHeight; }

    // Scrolling keeps the view inside the day: scrollX runs from MinScroll()
    // (the last grid line at the right end of the twelve cells) to 0.
    int MinScroll() const;
    int ClampScroll(int scroll) const;
    bool FirstGridLineVisible() const { return scrollX >= 0; }
    bool LastGridLineVisible() const { return scrollX <= MinScroll(); }
    // Grid lines whose client x lies in the twelve cells of the view.
    int FirstVisibleGrid() const;
    int LastVisibleGrid() const;
    int GridLineX(int index) const { return dayLeft() + index * cellWidth(); }
};

}  // namespace play
