// tests/controls/bmp_slider_win_test.cpp
//
// The file player's slider under Wine: keys, dragging with the grab offset,
// the pictures it draws (active channel, dragged and disabled thumbs,
// transparency through masks, the focus rectangle), the vertical form, and
// fit-to-image.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "controls/bmp_slider.h"
#include "tests/controls/slider_page.h"

namespace {

using controls::PixelRect;
using controls::WM_BMPSLIDER_CHANGED;
using controls::WM_BMPSLIDER_MOVING;
using slider_test::Posted;
using slider_test::Pump;

// slider_test_pictures.txt
constexpr COLORREF kChannel = RGB(0x30, 0x50, 0x70);
constexpr COLORREF kActive = RGB(0x70, 0xA0, 0x30);
constexpr COLORREF kVChannel = RGB(0x50, 0x30, 0x70);
constexpr COLORREF kVActive = RGB(0xA0, 0x70, 0x30);
constexpr COLORREF kThumb = RGB(0xE0, 0xE0, 0xE0);
constexpr COLORREF kThumbDrag = RGB(0xE0, 0x80, 0x20);
constexpr COLORREF kThumbOff = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kKey = RGB(0xFF, 0x00, 0xFF);

// The seek slider of the file player: a 120 x 12 channel, a 10 x 12 thumb,
// range 0..100, so the thumb centre runs from 5 to 115.
class BmpSliderTest : public slider_test::SliderPageTest {
  protected:
    void SetUp() override {
        SliderPageTest::SetUp();
        ASSERT_TRUE(slider.SubclassDlgItem(IDC_SEEK, &page));
        slider.MoveWindow(10, 40, 120, 12);
        ASSERT_TRUE(slider.SetChannelImages(IDB_SEEK_CHANNEL, IDB_SEEK_ACTIVE));
        ASSERT_TRUE(slider.SetThumbImages(IDB_SEEK_THUMB, IDB_SEEK_THUMB_DRAG, IDB_SEEK_THUMB_OFF));
        slider.SetRange(0, 100, TRUE);
        id = static_cast<WPARAM>(slider.GetDlgCtrlID());
        Pump();
    }
    void TearDown() override {
        slider.DestroyWindow();
        SliderPageTest::TearDown();
    }
    LRESULT Mouse(UINT message, int along) { return slider.SendMessage(message, 0, At(along, 6)); }
    COLORREF ThumbCentre() {
        const PixelRect r = slider.Model().ThumbRect();
        return Shot(slider).At(r.x + r.width / 2, r.y + r.height / 2);
    }
    // Pixels of the top row that are not `colour` (the focus rectangle's dots).
    int TopRowOff(COLORREF colour) {
        const vekgui::Snapshot shot = Shot(slider);
        return shot.Width() - shot.Count(CRect(0, 0, shot.Width(), 1), colour);
    }

    CBmpSlider slider;
    WPARAM id = 0;
};

TEST_F(BmpSliderTest, EveryKeyStepIsClampedAndPostsChanged) {
    const struct {
        int start;
        UINT key;
        int expected;
    } steps[] = {
        {100, VK_NEXT, 100}, {50, VK_NEXT, 70}, {10, VK_PRIOR, 0},  {50, VK_END, 100}, {50, VK_HOME, 0},
        {50, VK_LEFT, 49},   {0, VK_UP, 0},     {50, VK_RIGHT, 51}, {50, VK_DOWN, 51},
    };
    for (const auto& step : steps) {
        slider.SetPos(step.start);
        TakePosted();
        slider.SendMessage(WM_KEYDOWN, step.key, 0);
        EXPECT_EQ(slider.GetPos(), step.expected) << "key " << step.key << " from " << step.start;
        EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_BMPSLIDER_CHANGED, id, step.expected}}))
            << "key " << step.key << " from " << step.start;
    }
    slider.SendMessage(WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(TakePosted().empty()) << "other keys are left to default processing";
    EXPECT_TRUE(slider.SendMessage(WM_GETDLGCODE) & DLGC_WANTARROWS);
}

TEST_F(BmpSliderTest, DragKeepsWhereTheThumbWasGrabbed) {
    slider.SetPos(50);
    Mouse(WM_LBUTTONDOWN, 63);  // 3 px right of the centre, 60
    EXPECT_EQ(::GetCapture(), slider.m_hWnd);
    EXPECT_TRUE(TakePosted().empty()) << "the thumb has not moved";
    Mouse(WM_MOUSEMOVE, 83);  // centre 80: (80 - 5) / 110 of the range
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_BMPSLIDER_MOVING, id, 68}}));
    EXPECT_EQ(ThumbCentre(), kThumbDrag);
    EXPECT_EQ(Shot(slider).At(70, 6), kActive) << "filled up to the thumb";
    Mouse(WM_LBUTTONUP, 83);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_BMPSLIDER_CHANGED, id, 68}}));
    EXPECT_EQ(ThumbCentre(), kThumb);

    // Far from the thumb the centre jumps under the mouse, and stays in the travel.
    Mouse(WM_LBUTTONDOWN, 20);
    Mouse(WM_MOUSEMOVE, -40);
    Mouse(WM_LBUTTONUP, -40);
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_BMPSLIDER_MOVING, id, 13},
                                                 {WM_BMPSLIDER_MOVING, id, 0},
                                                 {WM_BMPSLIDER_CHANGED, id, 0}}));
    EXPECT_EQ(slider.Model().ThumbRect(), (PixelRect{0, 0, 10, 12}));

    // Another window taking the mouse ends the drag where the thumb is.
    Mouse(WM_LBUTTONDOWN, 60);
    ::SetCapture(page.m_hWnd);
    Mouse(WM_MOUSEMOVE, 100);
    ::ReleaseCapture();
    EXPECT_EQ(TakePosted(),
              (std::vector<Posted>{{WM_BMPSLIDER_MOVING, id, 50}, {WM_BMPSLIDER_CHANGED, id, 50}}));
    EXPECT_EQ(ThumbCentre(), kThumb);
}

TEST_F(BmpSliderTest, DisabledSliderShowsItsThirdThumbAndIgnoresInput) {
    slider.SetPos(50);
    slider.EnableWindow(FALSE);
    EXPECT_EQ(ThumbCentre(), kThumbOff);
    EXPECT_EQ(Shot(slider).At(20, 6), kChannel) << "no active channel while disabled";
    Mouse(WM_LBUTTONDOWN, 20);
    Mouse(WM_LBUTTONUP, 20);
    slider.SendMessage(WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_TRUE(TakePosted().empty());
    EXPECT_EQ(slider.GetPos(), 50);
    slider.EnableWindow(TRUE);
    EXPECT_EQ(ThumbCentre(), kThumb);
    EXPECT_EQ(Shot(slider).At(20, 6), kActive);
}

TEST_F(BmpSliderTest, PicturesLoadAllOrNothing) {
    EXPECT_FALSE(slider.SetThumbImages(IDB_SEEK_THUMB, IDB_SEEK_THUMB_DRAG, 4242));
    EXPECT_EQ(slider.Model().ThumbRect().width, 0);
    EXPECT_FALSE(slider.SetChannelImages(IDB_SEEK_CHANNEL, 4242));
    const vekgui::Snapshot shot = Shot(slider);
    EXPECT_EQ(shot.Count(CRect(0, 0, 120, 12), kChannel), 0);
    EXPECT_TRUE(slider.SetChannelImages(0));
    EXPECT_TRUE(slider.SetChannelImages(IDB_SEEK_CHANNEL, 0, 4242));
    EXPECT_EQ(slider.GetThirdChannelId(), 4242u) << "kept, not loaded";
    EXPECT_EQ(Shot(slider).At(60, 6), kChannel);
}

// The thumb's key-colour frame: left out when drawn transparently (given as
// the colour of its pixel (0, 0) or by value), drawn as it is otherwise.
class BmpSliderThumbTest : public BmpSliderTest,
                           public testing::WithParamInterface<std::tuple<BOOL, COLORREF>> {};

TEST_P(BmpSliderThumbTest, KeyColourShowsTheChannelOnlyWhenTransparent) {
    const auto [transparent, colour] = GetParam();
    ASSERT_TRUE(slider.SetThumbImages(IDB_SEEK_THUMB, IDB_SEEK_THUMB_DRAG, 0, transparent, colour, 0, 0));
    slider.SetPos(50);
    const PixelRect r = slider.Model().ThumbRect();
    ASSERT_EQ(r, (PixelRect{55, 0, 10, 12}));
    const vekgui::Snapshot shot = Shot(slider);
    EXPECT_EQ(shot.At(r.x + 5, 6), kThumb);
    EXPECT_EQ(shot.At(r.x, 6), transparent ? kActive : kKey) << "frame left of the centre";
    EXPECT_EQ(shot.At(r.right() - 1, 6), transparent ? kChannel : kKey) << "frame right of the centre";
    EXPECT_EQ(shot.At(r.x + 3, 0), transparent ? kActive : kKey) << "top of the frame";
}

std::string ThumbName(const testing::TestParamInfo<std::tuple<BOOL, COLORREF>>& param) {
    const auto [transparent, colour] = param.param;
    if (!transparent)
        return "Opaque";
    return colour == CBmpSlider::kPixelColour ? "KeyFromPixel" : "KeyByValue";
}

INSTANTIATE_TEST_SUITE_P(Frames,
                         BmpSliderThumbTest,
                         testing::Values(std::tuple(FALSE, CBmpSlider::kPixelColour),
                                         std::tuple(TRUE, CBmpSlider::kPixelColour),
                                         std::tuple(TRUE, kKey)),
                         ThumbName);

// The focus rectangle comes and goes with the focus, also when the paint
// starts from the screen (a transparent channel), which still shows the last
// rectangle drawn.
class BmpSliderFocusTest : public BmpSliderTest, public testing::WithParamInterface<BOOL> {};

TEST_P(BmpSliderFocusTest, FocusRectangleComesAndGoes) {
    // A transparent colour the channel does not hold: it still covers everything.
    ASSERT_TRUE(slider.SetChannelImages(IDB_SEEK_CHANNEL, 0, 0, GetParam(), RGB(1, 2, 3), 0, 0));
    EXPECT_EQ(TopRowOff(kChannel), 10) << "only the thumb";
    slider.SendMessage(WM_SETFOCUS);
    EXPECT_GT(TopRowOff(kChannel), 40);
    EXPECT_GT(TopRowOff(kChannel), 40) << "a second paint while focused still shows it";
    slider.SendMessage(WM_KILLFOCUS);
    EXPECT_EQ(TopRowOff(kChannel), 10);
}

std::string ChannelName(const testing::TestParamInfo<BOOL>& param) {
    return param.param ? "Transparent" : "Opaque";
}

INSTANTIATE_TEST_SUITE_P(Channel, BmpSliderFocusTest, testing::Values(FALSE, TRUE), ChannelName);

TEST_F(BmpSliderTest, TransparentChannelShowsTheParentAndTheThumbLeavesNoTrace) {
    const COLORREF under = Shot(page).At(400, 300);  // the page's own background
    // Every pixel of the channel is its pixel (0, 0)'s colour: all of it is see-through.
    ASSERT_TRUE(slider.SetChannelImages(IDB_SEEK_CHANNEL, 0, 0, TRUE, CBmpSlider::kPixelColour, 0, 0));
    slider.SetPos(50);
    // The page paints its background under the slider, then the slider over it.
    page.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(Shot(slider).At(30, 6), under);
    EXPECT_EQ(ThumbCentre(), kThumb);
    slider.SetPos(90);
    const vekgui::Snapshot shot = Shot(slider);
    EXPECT_EQ(shot.At(60, 6), under) << "the old place shows what was under the thumb";
    EXPECT_EQ(shot.At(slider.Model().CentreOf(90), 6), kThumb);
}

// A parent painted in two colours, the left half and the right.
class CTwoColours : public CWnd {
  public:
    static constexpr COLORREF kLeft = RGB(0xC0, 0x20, 0x20);
    static constexpr COLORREF kRight = RGB(0x20, 0xC0, 0x40);

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ERASEBKGND)
            return TRUE;
        if (message != WM_PAINT)
            return CWnd::WindowProc(message, wParam, lParam);
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(CRect(0, 0, client.Width() / 2, client.Height()), kLeft);
        dc.FillSolidRect(CRect(client.Width() / 2, 0, client.Width(), client.Height()), kRight);
        return 0;
    }
};

// A transparent slider moved or resized by its parent (one that clips its
// children or not) shows what lies under its new place, also where its thumb
// was: nothing it saw at the old place comes along.
class BmpSliderMovedTest : public BmpSliderTest, public testing::WithParamInterface<DWORD> {};

TEST_P(BmpSliderMovedTest, TransparentSliderShowsWhatLiesUnderItsNewPlace) {
    constexpr COLORREF kLeft = CTwoColours::kLeft, kRight = CTwoColours::kRight;
    CTwoColours parent;  // below the page's own slider
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE | GetParam(), 0, 100, 400, 100,
                                page.m_hWnd, nullptr));
    CBmpSlider s;
    ASSERT_TRUE(s.Create("", WS_CHILD | WS_VISIBLE, CRect(20, 40, 140, 52), &parent, 1022));
    // All of the channel is see-through; the thumb's key-colour frame too.
    ASSERT_TRUE(s.SetChannelImages(IDB_SEEK_CHANNEL, 0, 0, TRUE, CBmpSlider::kPixelColour, 0, 0));
    ASSERT_TRUE(s.SetThumbImages(IDB_SEEK_THUMB, 0, 0, TRUE, CBmpSlider::kPixelColour, 0, 0));
    s.SetRange(0, 100);
    s.SetPos(50);  // thumb 55..64, its frame 55..56 and 63..64
    parent.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    vekgui::Snapshot shot = Shot(s);
    EXPECT_EQ(shot.At(20, 6), kLeft);
    EXPECT_EQ(shot.At(55, 6), kLeft) << "the thumb's frame";
    EXPECT_EQ(shot.At(60, 6), kThumb);

    const struct {
        const char* what;
        CRect place;  // in the parent
        int pos;
    } steps[] = {
        {"moved onto the right half", CRect(240, 40, 360, 52), 50},
        {"its thumb moved there", CRect(240, 40, 360, 52), 10},
        {"moved back", CRect(20, 40, 140, 52), 90},
        {"widened over both halves", CRect(100, 40, 300, 52), 20},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        s.MoveWindow(step.place.left, step.place.top, step.place.Width(), step.place.Height());
        s.SetPos(step.pos);
        Pump();
        shot = Shot(s);
        // The thumb's face lies inside its 2-pixel key-colour frame.
        const PixelRect thumb = s.Model().ThumbRect();
        for (int x = 0; x < step.place.Width(); x++) {
            const bool face = x >= thumb.x + 2 && x < thumb.right() - 2;
            const COLORREF want = face ? kThumb : step.place.left + x < 200 ? kLeft : kRight;
            ASSERT_EQ(shot.At(x, 6), want) << "x " << x << ", thumb at " << thumb.x;
        }
    }
    s.DestroyWindow();
    parent.DestroyWindow();
}

std::string ParentName(const testing::TestParamInfo<DWORD>& param) {
    return param.param ? "ClipsChildren" : "PaintsUnderChildren";
}

INSTANTIATE_TEST_SUITE_P(Parent,
                         BmpSliderMovedTest,
                         testing::Values(DWORD{0}, DWORD{WS_CLIPCHILDREN}),
                         ParentName);

TEST_F(BmpSliderTest, VerticalSliderRunsTopToBottom) {
    CBmpSlider v;
    v.SetVertical(TRUE);
    ASSERT_TRUE(v.Create("", WS_CHILD | WS_VISIBLE, CRect(300, 20, 312, 140), &page, 1020));
    ASSERT_TRUE(v.SetChannelImages(IDB_SEEK_VCHANNEL, IDB_SEEK_VACTIVE));
    ASSERT_TRUE(v.SetThumbImages(IDB_SEEK_THUMB, IDB_SEEK_THUMB_DRAG));
    v.SetRange(0, 100);
    // Centre from 6 to 114; a press at y 60 grabs nothing and takes the thumb there.
    v.SendMessage(WM_LBUTTONDOWN, 0, At(5, 60));
    EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_BMPSLIDER_MOVING, 1020, 50}}));
    EXPECT_EQ(v.Model().ThumbRect(), (PixelRect{0, 54, 10, 12}));
    vekgui::Snapshot shot = Shot(v);
    EXPECT_EQ(shot.At(5, 60), kThumbDrag);
    EXPECT_EQ(shot.At(11, 50), kVActive) << "the channel is wider than the thumb";
    EXPECT_EQ(shot.At(5, 20), kVActive);
    EXPECT_EQ(shot.At(5, 100), kVChannel);
    v.SendMessage(WM_LBUTTONUP, 0, At(5, 60));
    v.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(TakePosted(),
              (std::vector<Posted>{{WM_BMPSLIDER_CHANGED, 1020, 50}, {WM_BMPSLIDER_CHANGED, 1020, 51}}));
    v.DestroyWindow();
}

TEST_F(BmpSliderTest, FitToImageHoldsTheWindowAtTheChannelSize) {
    CBmpSlider f;
    f.SetFitToImage(TRUE);
    ASSERT_TRUE(f.Create("", WS_CHILD | WS_VISIBLE, CRect(300, 200, 500, 230), &page, 1021));
    ASSERT_TRUE(f.SetChannelImages(IDB_SEEK_CHANNEL));
    CRect client;
    f.GetClientRect(&client);
    EXPECT_EQ(client.Size(), CSize(120, 12));
    f.MoveWindow(300, 200, 300, 40);
    f.GetClientRect(&client);
    EXPECT_EQ(client.Size(), CSize(120, 12));

    HCURSOR hand = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
    f.SetSliderCursor(hand);
    EXPECT_TRUE(
        f.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(f.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), hand);
    f.DestroyWindow();
}

}  // namespace
