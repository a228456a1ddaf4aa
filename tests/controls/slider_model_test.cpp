// tests/controls/slider_model_test.cpp
#include "controls/slider_model.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using controls::BitmapSliderModel;
using controls::BmpSliderModel;
using controls::PixelRect;
using controls::SliderEvent;
using controls::SliderKey;
using controls::SliderNotice;
using controls::ThumbState;

// The tool bar's volume slider: 140 x 20, margins 13, range 0..100, a thumb
// frame of 10 x 16. Its travel is 114 pixels from x 13.
BitmapSliderModel VolumeSlider() {
    BitmapSliderModel s;
    s.SetMargin(13, 13);
    s.SetRange(0, 100);
    s.SetThumbSize(10, 16);
    s.SetClient({0, 0, 140, 20});
    return s;
}

TEST(BitmapSlider, RangeKeepsMinimumZeroAndPositionsClamp) {
    BitmapSliderModel s = VolumeSlider();
    s.SetRange(10, 50);
    EXPECT_EQ(std::tuple(s.min(), s.max()), std::tuple(0, 50));
    s.SetPos(60);
    EXPECT_EQ(s.pos(), 50);
    s.SetPos(-5);
    EXPECT_EQ(s.pos(), 0);
}

TEST(BitmapSlider, ThumbAndChannelFollowThePosition) {
    BitmapSliderModel s = VolumeSlider();
    EXPECT_EQ(s.ThumbRect(), (PixelRect{8, 2, 10, 16}));  // centred on the travel's start
    s.SetPos(50);
    EXPECT_EQ(s.ThumbRect(), (PixelRect{65, 2, 10, 16}));
    EXPECT_EQ(s.ActiveChannelRight(), 70);
    s.SetPos(100);
    EXPECT_EQ(s.ThumbRect().x, 122);
    EXPECT_DOUBLE_EQ(s.PositionAt(13 + 57), 50.0);
    EXPECT_DOUBLE_EQ(s.PositionAt(500), 100.0);
}

TEST(BitmapSlider, ClickLeftOfTheTravelGivesZeroOnPressAndRelease) {
    BitmapSliderModel s = VolumeSlider();
    s.SetPos(40);
    EXPECT_EQ(s.LeftButtonDown(5, 10), (SliderEvent{SliderNotice::Moving, 0}));
    EXPECT_EQ(s.thumbState(), ThumbState::Pressed);
    EXPECT_EQ(s.LeftButtonDown(90, 10), SliderEvent{});  // already pressed
    EXPECT_EQ(s.MouseMove(70, 10), (SliderEvent{SliderNotice::Moving, 50}));
    EXPECT_EQ(s.MouseMove(-30, 10), (SliderEvent{SliderNotice::Moving, 0}));
    EXPECT_EQ(s.LeftButtonUp(-30, 10), (SliderEvent{SliderNotice::Released, 0}));
    EXPECT_FALSE(s.pressed());
    EXPECT_EQ(s.thumbState(), ThumbState::Normal);
    // Hovering the thumb picks its second frame.
    EXPECT_EQ(s.MouseMove(10, 10), SliderEvent{});
    EXPECT_EQ(controls::ThumbFrame(s.thumbState()), 1);
}

TEST(BitmapSlider, EmptyRangeOrTravelPutsThumbAtTheStart) {
    BitmapSliderModel empty = VolumeSlider();
    empty.SetRange(0, 0);
    BitmapSliderModel narrow = VolumeSlider();
    narrow.SetClient({0, 0, 20, 20});  // narrower than its margins
    for (BitmapSliderModel* s : {&empty, &narrow}) {
        s->SetPos(5);
        EXPECT_EQ(s->LeftButtonDown(100, 10).position, 0);
        EXPECT_EQ(s->ThumbRect().x, 8);
        EXPECT_DOUBLE_EQ(s->PositionAt(1000), 0.0);
    }
    EXPECT_EQ(empty.ActiveChannelRight(), 0);
}

// The file player's slider: 200 wide, a 20 x 10 thumb, range 0..100, so the
// thumb centre travels 180 pixels from 10.
BmpSliderModel PositionSlider() {
    BmpSliderModel s;
    s.SetSize(200, 10);
    s.SetThumbSize(20, 10);
    s.SetRange(0, 100);
    return s;
}

TEST(BmpSlider, CentreAndPositionMapBothWays) {
    BmpSliderModel s = PositionSlider();
    EXPECT_EQ(std::tuple(s.CentreOf(0), s.CentreOf(50), s.CentreOf(100)), std::tuple(10, 100, 190));
    EXPECT_EQ(std::tuple(s.PositionAt(100), s.PositionAt(28), s.PositionAt(-40)), std::tuple(50, 10, 0));
    s.SetPos(50);
    EXPECT_EQ(s.ThumbRect(), (PixelRect{90, 0, 20, 10}));

    BmpSliderModel v;
    v.SetVertical(true);
    v.SetSize(10, 110);
    v.SetThumbSize(10, 10);
    v.SetMargins(2, 5, 0, 5);
    v.SetRange(-50, 50);
    v.SetPos(0);
    EXPECT_EQ(v.CentreOf(0), 55);
    EXPECT_EQ(v.ThumbRect(), (PixelRect{2, 50, 10, 10}));
}

TEST(BmpSlider, GrabbedThumbKeepsItsOffsetAndAFarPressJumps) {
    BmpSliderModel s = PositionSlider();
    s.SetPos(50);
    EXPECT_EQ(s.LeftButtonDown(103), SliderEvent{});  // 3 px right of the centre: no move yet
    EXPECT_EQ(s.grabOffset(), 3);
    EXPECT_EQ(s.MouseMove(123), (SliderEvent{SliderNotice::Moving, 61}));
    EXPECT_EQ(s.MouseMove(500), (SliderEvent{SliderNotice::Moving, 100}));
    EXPECT_EQ(s.LeftButtonUp(), (SliderEvent{SliderNotice::Changed, 100}));
    EXPECT_EQ(s.MouseMove(30), SliderEvent{});  // released

    EXPECT_EQ(s.LeftButtonDown(30), (SliderEvent{SliderNotice::Moving, 11}));
    EXPECT_EQ(s.grabOffset(), 0);
}

class BmpSliderKeys : public testing::TestWithParam<std::tuple<int, SliderKey, int>> {};

TEST_P(BmpSliderKeys, StepAndAlwaysReportChanged) {
    const auto [start, key, expected] = GetParam();
    BmpSliderModel s = PositionSlider();
    s.SetPos(start);
    bool handled = false;
    EXPECT_EQ(s.KeyDown(key, &handled), (SliderEvent{SliderNotice::Changed, expected}));
    EXPECT_TRUE(handled);
}

INSTANTIATE_TEST_SUITE_P(Keys,
                         BmpSliderKeys,
                         testing::Values(std::tuple(100, SliderKey::PageDown, 100),
                                         std::tuple(50, SliderKey::PageDown, 70),
                                         std::tuple(10, SliderKey::PageUp, 0),
                                         std::tuple(50, SliderKey::End, 100),
                                         std::tuple(50, SliderKey::Home, 0),
                                         std::tuple(50, SliderKey::Left, 49),
                                         std::tuple(50, SliderKey::Up, 49),
                                         std::tuple(50, SliderKey::Right, 51),
                                         std::tuple(100, SliderKey::Down, 100)));

TEST(BmpSlider, OtherKeysAndADisabledSliderLeaveInputAlone) {
    BmpSliderModel s = PositionSlider();
    bool handled = true;
    EXPECT_EQ(s.KeyDown(SliderKey::Other, &handled), SliderEvent{});
    EXPECT_FALSE(handled);
    s.SetEnabled(false);
    EXPECT_EQ(s.KeyDown(SliderKey::End, &handled), SliderEvent{});
    EXPECT_FALSE(handled);
    EXPECT_EQ(s.LeftButtonDown(150), SliderEvent{});
    EXPECT_FALSE(s.dragging());
    EXPECT_EQ(s.SetPageSize(5), 20);
    EXPECT_EQ(s.pageSize(), 5);

    // Disabled in the middle of a drag: the release ends it without a report,
    // and once enabled again the thumb does not follow a mouse whose button is up.
    BmpSliderModel d = PositionSlider();
    d.LeftButtonDown(100);
    d.SetEnabled(false);
    EXPECT_EQ(d.LeftButtonUp(), SliderEvent{});
    EXPECT_FALSE(d.dragging());
    d.SetEnabled(true);
    EXPECT_EQ(d.MouseMove(150), SliderEvent{});
    EXPECT_EQ(d.pos(), 50);
}

TEST(BmpSlider, EmptyRangeStaysAtTheMinimum) {
    BmpSliderModel equal = PositionSlider();
    equal.SetRange(5, 5);
    BmpSliderModel reversed = PositionSlider();
    reversed.SetRange(7, 3);
    for (BmpSliderModel* s : {&equal, &reversed}) {
        s->SetPos(60);
        EXPECT_EQ(s->pos(), s->min());
        EXPECT_EQ(s->CentreOf(s->pos()), 10);
        s->LeftButtonDown(400);
        s->MouseMove(-400);
        EXPECT_EQ(s->pos(), s->min());
        bool handled = false;
        EXPECT_EQ(s->KeyDown(SliderKey::PageDown, &handled).position, s->min());
    }
}

TEST(BmpSlider, NoTravelKeepsTheThumbAtTheStart) {
    BmpSliderModel narrow = PositionSlider();
    narrow.SetSize(15, 10);  // narrower than the thumb
    narrow.SetPos(60);
    EXPECT_EQ(narrow.ThumbRect().x, 0);
    EXPECT_EQ(narrow.PositionAt(14), 0);
    EXPECT_EQ(narrow.LeftButtonDown(14), SliderEvent{});  // nowhere to drag to
    EXPECT_EQ(narrow.MouseMove(-400), SliderEvent{});
    EXPECT_EQ(narrow.pos(), 60);
}

}  // namespace
