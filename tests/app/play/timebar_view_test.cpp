// tests/app/play/timebar_view_test.cpp
#include "app/play/timebar_view.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using play::ClockTime;
using play::TimebarView;

// A client width whose cells are `cell` pixels wide.
int WidthFor(int cell) {
    return cell * play::kTimebarCellsInView + play::kTimebarLeftMargin + play::kTimebarRightMargin;
}

TimebarView View(int cell, int zoom, int scroll = 0) {
    return {WidthFor(cell), 100, zoom, scroll};
}

int SecondsOf(const ClockTime& t) {
    return t.hour * 3600 + t.minute * 60 + t.second;
}

TEST(TimebarView, ZoomLevelsShowTheWholeDayAtZeroAndOneHourAtFive) {
    const int grid[] = {13, 25, 49, 97, 145, 289};
    for (int zoom = 0; zoom <= play::kTimebarMaxZoom; ++zoom) {
        SCOPED_TRACE(zoom);
        EXPECT_EQ(play::GridCount(zoom), grid[zoom]);
        EXPECT_EQ(play::CellsPerDay(zoom) * play::SecondsPerCell(zoom), play::kSecondsPerDay);
    }
    // Zoom 0: the twelve cells end at midnight and there is nothing to scroll.
    const TimebarView day = View(50, 0);
    EXPECT_EQ(day.TimeToX(24, 0, 0), 12 * 50);
    EXPECT_EQ(day.MinScroll(), 0);
    EXPECT_EQ(day.XToTime(day.barLeft() + 12 * 50 - 1)->hour, 23);
    // Zoom 5: the view spans 00:00 to 01:00 and scrolls over the other 23 hours.
    const TimebarView hour = View(50, 5);
    EXPECT_EQ(hour.TimeToX(1, 0, 0), 12 * 50);
    EXPECT_EQ(hour.MinScroll(), -(288 - 12) * 50);
    const TimebarView last = View(50, 5, hour.MinScroll());
    EXPECT_EQ(SecondsOf(*last.XToTime(last.barLeft())), 23 * 3600);
    EXPECT_EQ(last.GridLineX(288), last.barLeft() + 12 * 50);
}

TEST(TimebarView, CellsAreAtLeastOnePixelWideInNarrowClients) {
    for (const auto& [width, cell] :
         {std::pair{-100, 1}, {0, 1}, {50, 1}, {90, 1}, {101, 1}, {102, 1}, {1014, 77}, {1890, 150}}) {
        EXPECT_EQ(play::CellWidth(width), cell) << width;
    }
    // Every conversion works in a client narrower than its margins.
    const TimebarView narrow{40, 100, 5, 0};
    EXPECT_EQ(narrow.TimeToX(0, 5, 0), 1);
    EXPECT_FALSE(narrow.XToTime(narrow.barLeft() - 1));
    EXPECT_EQ(SecondsOf(*narrow.XToTime(narrow.barLeft() + 1)), 300);
}

TEST(TimebarView, TimeToXRoundsHalvesDownAndClampsToTheDay) {
    const TimebarView v = View(100, 1);  // 3600 s in 100 pixels
    EXPECT_EQ(v.TimeToX(1, 30, 0), 150);
    EXPECT_EQ(v.TimeToX(0, 0, 18), 0);  // exactly half a pixel
    EXPECT_EQ(v.TimeToX(0, 0, 19), 1);
    EXPECT_EQ(v.TimeToX(24, 0, 0), 2400);
    EXPECT_EQ(v.TimeToX(255, 255, 255), 2400);
    EXPECT_EQ(v.TimeToX(-1, 0, 0), 0);
}

// Multiplying before dividing: at 77-pixel cells of 300 s the last pixel of a
// cell reads 4:56 into it (dividing first read 3:48).
TEST(TimebarView, XToTimeKeepsTheShareOfTheWholeCell) {
    const TimebarView v = View(77, 5);
    EXPECT_EQ(SecondsOf(*v.XToTime(v.barLeft() + 76)), 296);
    EXPECT_EQ(SecondsOf(*v.XToTime(v.barLeft() + 77)), 300);
    // Cells wider than their seconds still tell the pixels apart.
    const TimebarView wide = View(400, 5);
    EXPECT_EQ(SecondsOf(*wide.XToTime(wide.barLeft() + 200)), 150);
}

TEST(TimebarView, XToTimeOfNoCellIsNothing) {
    const TimebarView v = View(50, 0);
    EXPECT_FALSE(v.XToTime(v.barLeft() - 1));
    EXPECT_FALSE(v.XToTime(v.barLeft() + 12 * 50));
    const TimebarView scrolled = View(50, 3, -100);
    EXPECT_EQ(SecondsOf(*scrolled.XToTime(scrolled.barLeft())), 2 * 900);
}

class TimebarRoundTrip : public testing::TestWithParam<std::tuple<int, int>> {};

// Every pixel of the view reads a time that maps back to that pixel; where a
// pixel is less than two seconds no time can, and the way back lands within
// one second's worth of pixels. Later pixels never read earlier times.
TEST_P(TimebarRoundTrip, EveryPixelOfTheViewMapsBackToItself) {
    const auto [zoom, cell] = GetParam();
    const int spc = play::SecondsPerCell(zoom);
    for (int scroll : {0, View(cell, zoom).MinScroll() / 2, View(cell, zoom).MinScroll()}) {
        const TimebarView v = View(cell, zoom, scroll);
        int previous = -1;
        for (int x = v.barLeft(); x < v.barLeft() + 12 * cell; ++x) {
            const std::optional<ClockTime> t = v.XToTime(x);
            ASSERT_TRUE(t) << x;
            ASSERT_GE(SecondsOf(*t), previous) << x;
            previous = SecondsOf(*t);
            const int back = v.dayLeft() + v.TimeToX(t->hour, t->minute, t->second);
            if (2 * cell <= spc)
                ASSERT_EQ(back, x) << "scroll " << scroll;
            else
                ASSERT_TRUE(back <= x && x - back <= cell / spc + 1) << x << " " << back;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllZooms,
                         TimebarRoundTrip,
                         testing::Combine(testing::Range(0, play::kTimebarMaxZoom + 1),
                                          testing::Values(1, 7, 50, 77, 150, 151, 400)));

TEST(TimebarView, RowsAreZeroToThreeAndNothingElse) {
    const TimebarView v = View(50, 0);
    for (const auto& [y, row] : {std::pair{-5, -1},
                                 {0, -1},
                                 {10, -1},
                                 {24, -1},
                                 {25, 0},
                                 {42, 0},
                                 {43, 1},
                                 {96, 3},
                                 {97, -1},
                                 {99, -1}}) {
        EXPECT_EQ(v.RowAt(y), row) << y;
    }
}

TEST(TimebarView, ScrollStaysInsideTheDayAndTheGridLinesInView) {
    const TimebarView v = View(50, 3);  // 96 cells
    EXPECT_EQ(v.MinScroll(), -84 * 50);
    EXPECT_EQ(v.ClampScroll(10), 0);
    EXPECT_EQ(v.ClampScroll(-5000), -4200);
    EXPECT_TRUE(v.FirstGridLineVisible());
    EXPECT_EQ(std::pair(v.FirstVisibleGrid(), v.LastVisibleGrid()), std::pair(0, 12));
    const TimebarView part = View(50, 3, -25);
    EXPECT_EQ(std::pair(part.FirstVisibleGrid(), part.LastVisibleGrid()), std::pair(1, 12));
    const TimebarView end = View(50, 3, -4200);
    EXPECT_TRUE(end.LastGridLineVisible());
    EXPECT_EQ(std::pair(end.FirstVisibleGrid(), end.LastVisibleGrid()), std::pair(84, 96));
}

}  // namespace
