// tests/controls/bitmap_slider_win_test.cpp
//
// The tool bar's slider under Wine, made both ways a page makes it (a notifying
// static of its template, or created): what a press, a drag and a release post
// to the parent, where its pieces are drawn, and an empty range or a control
// narrower than its margins.
#include <gtest/gtest.h>

#include <string>

#include "controls/bitmap_slider.h"
#include "tests/controls/slider_page.h"

namespace {

using controls::WM_SLIDER_MOVING;
using controls::WM_SLIDER_RELEASED;
using slider_test::Posted;
using slider_test::Pump;

// slider_test_pictures.txt
constexpr COLORREF kBack = RGB(0x20, 0x30, 0x40);
constexpr COLORREF kChannel = RGB(0x40, 0x60, 0x80);
constexpr COLORREF kActive = RGB(0x80, 0xC0, 0x40);
constexpr COLORREF kFrames[] = {RGB(0xC0, 0x30, 0x30), RGB(0x30, 0xC0, 0xC0), RGB(0xC0, 0xC0, 0x30)};

enum class Made { FromTemplateStatic, Created };
constexpr UINT kCreatedId = 1010;

// The tool bar's set-up on a 140 x 20 control: margins 13, range 0..100, a
// 10 x 16 thumb frame, so the travel is 114 pixels from x 13.
class BitmapSliderTest : public slider_test::SliderPageTest, public testing::WithParamInterface<Made> {
  protected:
    void SetUp() override {
        SliderPageTest::SetUp();
        if (GetParam() == Made::FromTemplateStatic) {
            ASSERT_TRUE(slider.SubclassDlgItem(IDC_BAR, &page));
            slider.MoveWindow(10, 10, 140, 20);
        } else {
            ::ShowWindow(::GetDlgItem(page, IDC_BAR), SW_HIDE);
            ASSERT_TRUE(slider.Create(nullptr, "", WS_VISIBLE, CRect(10, 10, 150, 30), &page, kCreatedId));
        }
        slider.SetMargin(13, 13);
        ASSERT_TRUE(slider.SetBackgroundImage(IDB_BAR_BACK));
        ASSERT_TRUE(slider.SetChannelImages(IDB_BAR_CHANNEL, IDB_BAR_ACTIVE, 0));
        slider.SetRange(0, 100);
        ASSERT_TRUE(slider.SetThumbImages(IDB_BAR_THUMB));
        id = static_cast<WPARAM>(slider.GetDlgCtrlID());
        Pump();
    }
    void TearDown() override {
        slider.DestroyWindow();
        SliderPageTest::TearDown();
    }
    LRESULT Send(UINT message, int x, int y) { return slider.SendMessage(message, 0, At(x, y)); }
    // The colour at the middle of the thumb the model places.
    COLORREF ThumbColour() {
        const controls::PixelRect r = slider.Model().ThumbRect();
        return Shot(slider).At(r.x + r.width / 2, r.y + r.height / 2);
    }

    CBitmapSlider slider;
    WPARAM id = 0;
};

TEST_P(BitmapSliderTest, PressLeftOfTheTravelPostsZeroAndReleasePostsTheSame) {
    slider.SetRange(10, 50);  // the minimum stays 0
    slider.SetPos(30);
    EXPECT_EQ(slider.GetPos(), 30);
    EXPECT_EQ(slider.Model().min(), 0);
    EXPECT_EQ(slider.Model().max(), 50);

    Send(WM_LBUTTONDOWN, 5, 10);
    EXPECT_EQ(::GetCapture(), slider.m_hWnd);
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_SLIDER_MOVING, id, 0}}));
    EXPECT_EQ(slider.GetPos(), 0);
    Send(WM_LBUTTONUP, 5, 10);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_SLIDER_RELEASED, id, 0}}));

    // Dragging past the right end gives the maximum; halfway gives half.
    Send(WM_LBUTTONDOWN, 13 + 57, 10);
    Send(WM_MOUSEMOVE, 400, 10);
    Send(WM_LBUTTONUP, 400, 10);
    EXPECT_EQ(TakePosted(),
              (std::vector<Posted>{
                  {WM_SLIDER_MOVING, id, 25}, {WM_SLIDER_MOVING, id, 50}, {WM_SLIDER_RELEASED, id, 50}}));
    // Moving without a press only hovers.
    Send(WM_MOUSEMOVE, 30, 10);
    EXPECT_TRUE(TakePosted().empty());

    // Another window taking the mouse ends the press as a release would.
    Send(WM_LBUTTONDOWN, 13 + 57, 10);
    ::SetCapture(page.m_hWnd);
    Send(WM_MOUSEMOVE, 400, 10);
    ::ReleaseCapture();
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_SLIDER_MOVING, id, 25}, {WM_SLIDER_RELEASED, id, 25}}));
}

TEST_P(BitmapSliderTest, PiecesAreDrawnWhereTheModelPlacesThem) {
    slider.SetPos(50);
    const controls::PixelRect thumb = slider.Model().ThumbRect();
    EXPECT_EQ(thumb, (controls::PixelRect{65, 2, 10, 16}));
    const vekgui::Snapshot shot = Shot(slider);
    EXPECT_EQ(shot.At(1, 1), kBack);
    EXPECT_EQ(shot.At(30, 10), kActive) << "filled up to the position";
    EXPECT_EQ(shot.At(120, 10), kChannel);
    EXPECT_EQ(shot.At(120, 7), kBack) << "the channel is its picture's 4 pixels high, centred";
    EXPECT_EQ(shot.At(70, 10), kFrames[0]);
    EXPECT_EQ(shot.At(thumb.x - 1, 10), kActive);
    EXPECT_EQ(shot.At(thumb.right(), 10), kChannel);

    Send(WM_MOUSEMOVE, 70, 10);
    EXPECT_EQ(ThumbColour(), kFrames[1]) << "hovered";
    Send(WM_LBUTTONDOWN, 70, 10);
    EXPECT_EQ(ThumbColour(), kFrames[2]) << "pressed";
    Send(WM_LBUTTONUP, 130, 10);
    EXPECT_EQ(ThumbColour(), kFrames[0]) << "released away from the thumb";
}

TEST_P(BitmapSliderTest, MissingPicturesAreRefusedAndTheOldOnesKept) {
    EXPECT_FALSE(slider.SetBackgroundImage(4242));
    EXPECT_FALSE(slider.SetChannelImages(IDB_BAR_CHANNEL, 4242, 0));
    EXPECT_FALSE(slider.SetThumbImages(4242));
    EXPECT_EQ(Shot(slider).At(120, 10), kChannel);
    EXPECT_EQ(ThumbColour(), kFrames[0]);
}

// An empty range and a control narrower than its margins give no travel:
// nothing divides by zero, the thumb sits at the start and a press gives 0.
using Shrink = void (*)(CBitmapSlider&);
class BitmapSliderNoTravelTest : public BitmapSliderTest {};

TEST_P(BitmapSliderNoTravelTest, ThumbSitsAtTheStart) {
    const Shrink shrinks[] = {
        [](CBitmapSlider& s) { s.SetRange(0, 0); },
        [](CBitmapSlider& s) { s.MoveWindow(10, 10, 20, 20); },
    };
    for (Shrink shrink : shrinks) {
        slider.SetRange(0, 100);
        slider.MoveWindow(10, 10, 140, 20);
        slider.SetPos(60);
        shrink(slider);
        slider.SetPos(60);
        EXPECT_EQ(slider.Model().ThumbRect().x, 13 - 5);
        EXPECT_EQ(ThumbColour(), kFrames[0]);
        Send(WM_LBUTTONDOWN, 100, 10);
        Send(WM_LBUTTONUP, 100, 10);
        EXPECT_EQ(TakePosted(),
                  (std::vector<Posted>{{WM_SLIDER_MOVING, id, 0}, {WM_SLIDER_RELEASED, id, 0}}));
    }
}

std::string MadeName(const testing::TestParamInfo<Made>& param) {
    return param.param == Made::Created ? "Created" : "FromTemplateStatic";
}

INSTANTIATE_TEST_SUITE_P(BothWays,
                         BitmapSliderTest,
                         testing::Values(Made::FromTemplateStatic, Made::Created),
                         MadeName);
INSTANTIATE_TEST_SUITE_P(BothWays,
                         BitmapSliderNoTravelTest,
                         testing::Values(Made::FromTemplateStatic, Made::Created),
                         MadeName);

}  // namespace
