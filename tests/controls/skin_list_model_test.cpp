// tests/controls/skin_list_model_test.cpp
//
// The skinned list's stripes and its bitmap scroll bars: thumb placement and
// clamping, auto-repeat, dragging and paging.
#include <gtest/gtest.h>

#include <tuple>

#include "controls/skin_list_model.h"

namespace {

using namespace controls;

constexpr uint32_t kEven = 0xB4B4B4;
constexpr uint32_t kOdd = 0xA0A0A0;

TEST(ListStripes, EmptyListStripesAPageFromBelowTheHeaderStartingEven) {
    StripeLayout layout;
    layout.countPerPage = 3;
    layout.rowHeight = 17;
    layout.firstTop = 21;
    const auto bands = ListStripes(layout);
    ASSERT_EQ(bands.size(), 4u);  // rows 0..3
    EXPECT_EQ(bands[0], (StripeBand{21, 38, kEven}));
    EXPECT_EQ(bands[1], (StripeBand{38, 55, kOdd}));
    EXPECT_EQ(bands[3], (StripeBand{72, 89, kOdd}));
}

TEST(ListStripes, RowsPastTheLastItemComeFromTheRowHeight) {
    StripeLayout layout;
    layout.itemCount = 2;
    layout.countPerPage = 5;
    layout.itemTops = {-4, 13};  // scrolled by 4 pixels
    layout.rowHeight = 17;
    const auto bands = ListStripes(layout);
    ASSERT_EQ(bands.size(), 6u);
    EXPECT_EQ(bands[0], (StripeBand{-4, 13, kEven}));
    EXPECT_EQ(bands[1], (StripeBand{13, 30, kOdd}));
    EXPECT_EQ(bands[2], (StripeBand{30, 47, kEven}));
    EXPECT_EQ(bands[5], (StripeBand{81, 98, kOdd}));
}

TEST(ListStripes, MoreItemsThanAPageStripeEveryItem) {
    StripeLayout layout;
    layout.itemCount = 4;
    layout.countPerPage = 2;
    layout.itemTops = {0, 10, 20, 30};
    layout.rowHeight = 10;
    layout.evenColor = 1;
    layout.oddColor = 2;
    const auto bands = ListStripes(layout);
    ASSERT_EQ(bands.size(), 5u);
    EXPECT_EQ(bands[4], (StripeBand{40, 50, 1}));
}

// A vertical bar over a list 300 px high: 12 x 312, travel 214 px.
ScrollBarModel Vertical(int length, int limit, int pos) {
    ScrollBarModel bar(BarOrientation::Vertical);
    bar.SetLength(length);
    bar.Update(limit, pos);
    return bar;
}

ScrollBarModel Horizontal(int length, int limit, int pos) {
    ScrollBarModel bar(BarOrientation::Horizontal);
    bar.SetLength(length);
    bar.Update(limit, pos);
    return bar;
}

TEST(ScrollThumb, FollowsThePositionAndStaysInItsTravel) {
    // (312 - 98) / 10 = 21.4 px a unit
    EXPECT_EQ(Vertical(312, 10, 0).thumb(), 36);
    EXPECT_EQ(Vertical(312, 10, 5).thumb(), 36 + 107);
    EXPECT_EQ(Vertical(312, 10, 10).thumb(), 250);  // 214 + 36 = 250 = h - 62
    EXPECT_EQ(Vertical(312, 10, 30).thumb(), 250);  // past the limit: clamped
    // (400 - 75) / 100 = 3.25 px a unit
    EXPECT_EQ(Horizontal(400, 100, 3).thumb(), 25 + 9);
    EXPECT_EQ(Horizontal(400, 100, 100).thumb(), 349);  // w - 51
}

TEST(ScrollThumb, NoLimitOrNoTravelKeepsTheThumbAtItsStart) {
    for (auto [length, limit, pos] : {std::tuple(312, 0, 0), std::tuple(312, 0, 7), std::tuple(98, 10, 5),
                                      std::tuple(60, 10, 5), std::tuple(0, 0, 0)}) {
        const ScrollBarModel bar = Vertical(length, limit, pos);
        EXPECT_EQ(bar.thumb(), 36) << length << " " << limit;
        EXPECT_EQ(bar.pixelsPerUnit(), 0.0);
    }
    EXPECT_FALSE(Vertical(312, 0, 0).thumbVisible());
    for (int width : {75, 76, 40})
        EXPECT_EQ(Horizontal(width, 50, 20).thumb(), 25) << width;
}

TEST(ScrollThumb, DraggingWithoutTravelOrLimitScrollsNothing) {
    for (auto [length, limit] : {std::tuple(98, 10), std::tuple(312, 0)}) {
        ScrollBarModel bar = Vertical(length, limit == 0 ? 1 : limit, 0);
        bar.ButtonDown(5, 40);
        ASSERT_TRUE(bar.thumbHeld());
        const BarStep step = bar.MouseMove(5, 80, limit, 0);
        EXPECT_EQ(step.dragUnits, 0) << length << " " << limit;
        EXPECT_EQ(bar.thumb(), length == 98 ? 36 : 67);  // the thumb still follows the mouse
    }
}

TEST(ScrollThumb, DraggingScrollsByWholeUnitsFromTheCurrentPosition) {
    ScrollBarModel bar = Vertical(312, 10, 2);  // thumb at 36 + 42 = 78
    ASSERT_EQ(bar.thumb(), 78);
    EXPECT_EQ(bar.ButtonDown(6, 80).capture, true);
    // The thumb's top goes to the mouse less 13: 130 - 13 - 36 = 81 px = 3.78 units.
    BarStep step = bar.MouseMove(6, 130, 10, 2);
    EXPECT_EQ(step.dragUnits, 1);
    EXPECT_TRUE(step.repaint);
    EXPECT_EQ(bar.thumb(), 117);
    step = bar.MouseMove(6, 0, 10, 3);  // above the bar: unit -2 (the list stops at 0), thumb clamped
    EXPECT_EQ(step.dragUnits, -5);
    EXPECT_EQ(bar.thumb(), 36);
    step = bar.ButtonUp(6, 0);
    EXPECT_EQ(step.pages, 0);  // the end of a drag pages nothing
    EXPECT_TRUE(step.release);
    EXPECT_FALSE(bar.thumbHeld());
}

TEST(ScrollArrows, HoldingRepeatsAfterTheDelayAndTheReleaseAddsALine) {
    ScrollBarModel bar = Vertical(312, 10, 0);
    BarStep step = bar.ButtonDown(6, 312 - 37 + 5);  // down arrow: (0, h - 37)-(12, h - 11)
    EXPECT_TRUE(step.capture);
    EXPECT_TRUE(step.startDelay);
    EXPECT_EQ(step.lines, 0);  // nothing on the press
    EXPECT_TRUE(bar.Timer(ScrollBarModel::kDelayTimer).startRepeat);
    ScrollBarModel held = Vertical(312, 10, 0);
    held.ButtonDown(6, 280);
    held.Timer(ScrollBarModel::kDelayTimer);
    for (int i = 0; i < 3; ++i) {
        step = held.Timer(ScrollBarModel::kRepeatTimer);
        EXPECT_EQ(step.lines, 1);
        EXPECT_TRUE(step.updateThumb);
    }
    step = held.ButtonUp(6, 280);
    EXPECT_EQ(step.lines, 1);
    EXPECT_TRUE(step.stopTimers);
    EXPECT_EQ(held.Timer(ScrollBarModel::kRepeatTimer).lines, 0);

    // Losing the mouse to another window while held stops the repeat.
    held.ButtonDown(6, 20);
    EXPECT_TRUE(held.CaptureLost().stopTimers);
    EXPECT_FALSE(held.backHeld());
    EXPECT_EQ(held.Timer(ScrollBarModel::kRepeatTimer).lines, 0);
    EXPECT_FALSE(held.CaptureLost().stopTimers) << "nothing held, nothing to stop";
}

TEST(ScrollArrows, VerticalStepsOnlyOnTheArrowThatWasHeld) {
    ScrollBarModel bar = Vertical(312, 10, 5);
    bar.ButtonDown(6, 20);                     // up arrow
    EXPECT_EQ(bar.ButtonUp(6, 20).lines, -1);  // short click: one line up
    bar.ButtonDown(6, 20);
    const BarStep moved = bar.ButtonUp(6, 290);  // released over the down arrow
    EXPECT_EQ(moved.lines, 0);
    EXPECT_EQ(moved.pages, 1);  // below the thumb: a page down
}

TEST(ScrollArrows, HorizontalStepsOnEitherArrowWhateverWasPressed) {
    ScrollBarModel bar = Horizontal(400, 100, 50);
    bar.ButtonDown(390, 5);                    // right arrow
    EXPECT_EQ(bar.ButtonUp(10, 5).lines, -1);  // released on the left arrow
    bar.ButtonDown(200, 5);                    // channel
    EXPECT_EQ(bar.ButtonUp(390, 5).lines, 1);
}

TEST(ScrollPaging, ReleaseOffTheThumbPagesTowardsTheMouse) {
    ScrollBarModel bar = Vertical(312, 10, 5);  // thumb 143..169
    bar.ButtonDown(6, 60);
    EXPECT_EQ(bar.ButtonUp(6, 60).pages, -1);
    bar.ButtonDown(6, 200);
    EXPECT_EQ(bar.ButtonUp(6, 200).pages, 1);
    bar.ButtonDown(6, 143);  // on the thumb's first pixel: held, no page
    EXPECT_EQ(bar.ButtonUp(6, 150).pages, 0);
    ScrollBarModel h = Horizontal(400, 100, 0);  // thumb 25..51
    h.ButtonDown(300, 5);
    EXPECT_EQ(h.ButtonUp(300, 5).pages, 1);
}

TEST(ScrollBarParts, HitRectanglesFollowTheLength) {
    const ScrollBarModel v = Vertical(312, 10, 0);
    EXPECT_EQ(v.BackArrowRect(), (BarRect{0, 11, 12, 37}));
    EXPECT_EQ(v.ForwardArrowRect(), (BarRect{0, 275, 12, 301}));
    EXPECT_EQ(v.HitTest(5, 40), BarPart::Thumb);
    const ScrollBarModel h = Horizontal(400, 0, 0);
    EXPECT_EQ(h.ForwardArrowRect(), (BarRect{374, 0, 400, 20}));
    EXPECT_EQ(h.HitTest(30, 5), BarPart::None);  // no thumb without a limit
}

}  // namespace
