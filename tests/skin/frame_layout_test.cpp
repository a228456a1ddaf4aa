// tests/skin/frame_layout_test.cpp
//
// A skinned frame's arithmetic without a window: which caption buttons a
// window shows and how each is drawn, and the frame's own scroll bars -- the
// layout from range and page, the element under a point, the position a thumb
// pixel stands for and where a dragged thumb goes.
#include <gtest/gtest.h>

#include <vector>

#include "skin/objects/frame_layout.h"

namespace {

using plym::CaptionButtonPlan;

constexpr uint32_t kSysMenu = 0x00080000;
constexpr uint32_t kMinBox = 0x00020000;
constexpr uint32_t kMaxBox = 0x00010000;
constexpr uint32_t kMaximized = 0x01000000;
constexpr uint32_t kMinimized = 0x20000000;
constexpr uint32_t kTool = 0x00000080;
constexpr uint32_t kHelp = 0x00000400;
constexpr uint32_t kMdiChild = 0x00000040;

TEST(CaptionButtons, FollowTheStyleRightmostFirst) {
    const CaptionButtonPlan close{0xF060, 20, 18, true};
    const CaptionButtonPlan grayClose{0xF060, 20, 18, false};
    const CaptionButtonPlan smallClose{0xF060, 20, 19, true};
    const CaptionButtonPlan maximize{0xF030, 9, 17, true};
    const CaptionButtonPlan restore{0xF120, 9, 21, true};
    const CaptionButtonPlan minimize{0xF020, 8, 15, true};
    const CaptionButtonPlan unminimize{0xF120, 8, 21, true};
    const CaptionButtonPlan help{0xF180, 21, 23, true};
    const struct {
        uint32_t style, exStyle;
        bool closeGrayed;
        std::vector<CaptionButtonPlan> expected;
    } cases[] = {
        {0, 0, false, {}},
        {kSysMenu, 0, false, {close}},
        {kSysMenu, 0, true, {grayClose}},
        {kSysMenu, kMdiChild, true, {close}},                       // an MDI child's close stays enabled
        {kSysMenu | kMinBox | kMaxBox, kTool, true, {smallClose}},  // a tool window: only the small close
        {kSysMenu | kMinBox | kMaxBox, 0, false, {close, maximize, minimize}},
        {kSysMenu | kMinBox | kMaxBox | kMaximized, 0, false, {close, restore, minimize}},
        {kSysMenu | kMinBox | kMaxBox | kMinimized, 0, false, {close, maximize, unminimize}},
        {kSysMenu | kMinBox, 0, false, {close, {0xF030, 9, 17, false}, minimize}},
        {kMinBox | kMaxBox, 0, false, {}},  // no system menu, no buttons
        {kSysMenu, kHelp, false, {close, help}},
        {kSysMenu, kHelp | kTool, false, {smallClose}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plym::CaptionButtonsFor(c.style, c.exStyle, c.closeGrayed), c.expected)
            << std::hex << c.style << " " << c.exStyle << " " << c.closeGrayed;
    }
}

TEST(CaptionButtons, StatesAddFourWhenInactive) {
    const struct {
        bool enabled, hot, pressed, otherPressed, active;
        int state;
    } cases[] = {
        {false, true, true, false, true, 4},  // a disabled button is never hot or pressed
        {true, true, true, false, true, 3},     {true, false, true, false, true, 1},
        {true, true, false, false, true, 2},    {true, true, false, true, true, 1},
        {true, false, false, false, true, 1},   {true, true, false, false, false, 6},
        {false, false, false, false, false, 8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plym::CaptionButtonState(c.enabled, c.hot, c.pressed, c.otherPressed, c.active), c.state)
            << c.enabled << c.hot << c.pressed << c.otherPressed << c.active;
    }
    EXPECT_EQ(plym::MinimumTrackWidth(3, 27, 18, 2), 3 * 27 + 18 + 4);
}

// A vertical bar 17 wide at x 100, from y 10 to 210, arrows 17 long.
plym::ScrollBarPosInfo VerticalBar(int minimum, int maximum, int page, int position) {
    plym::ScrollBarPosInfo bar;
    bar.vertical = 1;
    bar.barKind = 1;
    bar.present = 1;
    plym::SetupScrollBarLayout(&bar, {100, 10, 117, 210}, 17, {minimum, maximum, page, position});
    return bar;
}

TEST(FrameScrollBar, LayoutFromRangePageAndPosition) {
    const struct {
        int minimum, maximum, page, position;
        int thumbLength, thumbStart, travel;
    } cases[] = {
        // track 166 long; range 100, page 10: thumb MulDiv(166, 10, 100) = 17
        {0, 99, 10, 0, 17, 27, 149},
        {0, 99, 10, 90, 17, 27 + 149, 149},  // the last position ends the travel
        {0, 99, 10, 45, 17, 27 + 75, 149},   // MulDiv(45, 149, 90) = 74.5 -> 75
        // a page as big as the range: the thumb covers the track, one pixel early
        {0, 9, 10, 0, 166, 26, 0},
        // no page: the thumb is an arrow long
        {0, 99, 0, 50, 17, 27 + 75, 149},
        // a tiny page: at least half an arrow
        {0, 9999, 1, 0, 8, 27, 158},
        // shifted range
        {-50, 49, 10, -50, 17, 27, 149},
    };
    for (const auto& c : cases) {
        const plym::ScrollBarPosInfo bar = VerticalBar(c.minimum, c.maximum, c.page, c.position);
        EXPECT_EQ(bar.trackStart, 27);
        EXPECT_EQ(bar.trackEnd, 193);
        EXPECT_EQ(bar.thumbLength, c.thumbLength) << c.page << " " << c.position;
        EXPECT_EQ(bar.thumbStart, c.thumbStart) << c.page << " " << c.position;
        EXPECT_EQ(bar.thumbEnd, c.thumbStart + c.thumbLength);
        EXPECT_EQ(bar.thumbTravel, c.travel) << c.page << " " << c.position;
        EXPECT_EQ(bar.crossStart, 100);
        EXPECT_EQ(bar.crossEnd, 117);
    }
    // A bar shorter than two arrows: each arrow takes half.
    plym::ScrollBarPosInfo small;
    plym::SetupScrollBarLayout(&small, {0, 0, 20, 17}, 17, {0, 99, 10, 0});
    EXPECT_EQ(small.trackStart, 10);
    EXPECT_EQ(small.trackEnd, 10);
}

TEST(FrameScrollBar, HitCodesAlongTheBar) {
    const plym::ScrollBarPosInfo bar = VerticalBar(0, 99, 10, 45);  // thumb 102 .. 119
    const struct {
        int x, y, code;
    } cases[] = {
        {108, 10, 60},  {108, 26, 60},  {108, 27, 62},  {108, 101, 62}, {108, 102, 64},
        {108, 118, 64}, {108, 119, 63}, {108, 192, 63}, {108, 193, 61}, {108, 209, 61},
        {108, 210, 0},  {99, 100, 0},   {117, 100, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plym::ScrollBarHitCode(bar, c.x, c.y), c.code) << c.x << "," << c.y;
    plym::ScrollBarPosInfo absent = bar;
    absent.present = 0;
    EXPECT_EQ(plym::ScrollBarHitCode(absent, 108, 100), 0);
}

TEST(FrameScrollBar, PositionFromThumbPixelAndDragPlacement) {
    const plym::ScrollBarPosInfo bar = VerticalBar(0, 99, 10, 0);  // travel 27 .. 176
    const struct {
        int pixel, position;
    } cases[] = {
        {0, 0}, {26, 0}, {27, 0}, {28, 1}, {102, 45}, {175, 89}, {176, 90}, {500, 90},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plym::ScrollPosFromPixel(bar, c.pixel), c.position) << c.pixel;
    plym::ScrollBarPosInfo noPage = VerticalBar(0, 99, 0, 0);
    EXPECT_EQ(plym::ScrollPosFromPixel(noPage, 1000), 99);
    plym::ScrollBarPosInfo full = VerticalBar(0, 9, 10, 0);
    EXPECT_EQ(plym::ScrollPosFromPixel(full, 26), 0);

    // The drag tolerates 2 x 17 along and 8 bar widths across.
    plym::ScrollBarPosInfo dragged = bar;
    dragged.dragOrigin = 27;
    const plym::Rect tolerance = plym::DragToleranceRect(dragged, 34);
    EXPECT_EQ(tolerance, (plym::Rect{100 - 8 * 17, 10 - 34, 117 + 8 * 17, 210 + 34}));
    const struct {
        int x, y, pixel;
    } drags[] = {
        {108, 100, 95},              // offset -5 from the cursor
        {108, 240, 176},             // held at the travel's end
        {108, 0, 27},                // and its start
        {117 + 8 * 17 - 1, 80, 75},  // far across but inside
        {117 + 8 * 17, 80, 27},      // past eight widths: back where the drag began
        {108, 210 + 34, 27},         // past the slack along the bar
    };
    for (const auto& d : drags)
        EXPECT_EQ(plym::DragThumbPixel(dragged, tolerance, -5, d.x, d.y), d.pixel) << d.x << "," << d.y;
}

}  // namespace
