// tests/controls/skin_list_win_test.cpp
//
// The skinned list on a page under Wine: row stripes (also below the last
// item and in an empty list), the bitmap scroll bars beside it (placement,
// pictures, showing and hiding with the list), arrow auto-repeat, dragging
// the thumb by whole rows, and the thumb's clamp on a short bar.
#include <gtest/gtest.h>

#include <string>

#include "tests/controls/controls_page.h"

namespace {

using controls_test::PageTest;
using controls_test::Pump;
using controls_test::PumpUntil;
using controls_test::RectInParent;

constexpr COLORREF kEven = 0xB4B4B4;
constexpr COLORREF kOdd = 0xA0A0A0;
// control_pictures.txt
constexpr COLORREF kVTop = RGB(0x80, 0x40, 0x20);
constexpr COLORREF kVUp = RGB(0xD0, 0x40, 0x40);
constexpr COLORREF kVChannel = RGB(0x40, 0x40, 0x70);
constexpr COLORREF kVDown = RGB(0x40, 0xD0, 0x40);
constexpr COLORREF kVBottom = RGB(0x20, 0x80, 0x40);
constexpr COLORREF kVThumb = RGB(0xF0, 0xF0, 0x50);
constexpr COLORREF kHLeft = RGB(0xC0, 0x30, 0x30);
constexpr COLORREF kHRight = RGB(0x30, 0xC0, 0x30);
constexpr COLORREF kHChannel = RGB(0x30, 0x30, 0x60);
constexpr COLORREF kHeaderBack = 0x76554C;

class SkinListTest : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        list().InsertColumn(0, "Name", LVCFMT_LEFT, 120);
        list().InsertColumn(1, "Size", LVCFMT_LEFT, 100);
        list().MoveWindow(10, 60, 300, 200);
        Pump();
    }
    CSkinListCtrl& list() { return page.list; }
    void Fill(int count) {
        for (int i = 0; i < count; ++i)
            list().InsertItem(i, ("item " + std::to_string(i)).c_str());
        list().SendMessage(WM_SIZE);  // re-read the scroll state
        Pump();
    }
    int Top() { return list().GetTopIndex(); }
    CSkinVerticleScrollbar& vbar() { return list().VerticalBar(); }
    LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
    int BarHeight() { return RectInParent(vbar().m_hWnd).Height(); }
    // Presses the vertical bar at y (bar pixels) and lets go there.
    void Click(int y) {
        vbar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(6, y));
        vbar().SendMessage(WM_LBUTTONUP, 0, At(6, y));
        Pump();
    }
};

TEST_F(SkinListTest, RowsAreStripedBelowTheItemsToo) {
    Fill(3);
    const int row = list().RowHeight();
    CRect first;
    ASSERT_TRUE(list().GetItemRect(0, &first, LVIR_BOUNDS));
    const vekgui::Snapshot shot = Shot(list());
    // Right of the columns the list paints nothing of its own: the stripes show.
    for (int i = 0; i < 8; ++i) {
        const int y = first.top + i * row + row / 2;
        EXPECT_EQ(shot.At(280, y), i % 2 == 0 ? kEven : kOdd)
            << "row " << i << " " << vekgui::ColorText(shot.At(280, y));
    }
    // Inside the cells the rows keep their colours (custom draw).
    EXPECT_EQ(shot.At(110, first.top + row / 2), kEven);
    EXPECT_EQ(shot.At(110, first.top + row + row / 2), kOdd);
}

TEST_F(SkinListTest, EmptyListStripesFromBelowTheHeaderStartingEven) {
    CRect header = RectInParent(list().Header().m_hWnd);
    const int row = list().RowHeight();
    EXPECT_GT(row, 4);
    const vekgui::Snapshot shot = Shot(list());
    const int below = header.Height();
    EXPECT_EQ(shot.At(150, below + row / 2), kEven) << vekgui::ColorText(shot.At(150, below + row / 2));
    EXPECT_EQ(shot.At(150, below + row + row / 2), kOdd);
    EXPECT_EQ(shot.At(150, below + 4 * row + row / 2), kEven);
    // The header is painted from its own pictures, not by the list.
    const vekgui::Snapshot head = Shot(list().Header());
    EXPECT_GT(head.Count(CRect(0, 0, head.Width(), head.Height()), kHeaderBack) +
                  head.Count(CRect(0, 0, head.Width(), head.Height()), RGB(0x4E, 0x62, 0x76)),
              0);
}

TEST_F(SkinListTest, BarsLieAlongTheListAndFollowItsSizeAndVisibility) {
    const CRect l = RectInParent(list().m_hWnd);
    EXPECT_EQ(RectInParent(vbar().m_hWnd), CRect(l.right, l.top, l.right + 12, l.bottom + 12));
    EXPECT_EQ(RectInParent(list().HorizontalBar().m_hWnd),
              CRect(l.left, l.bottom, l.right + 1, l.bottom + 12));
    list().MoveWindow(20, 70, 250, 150);
    EXPECT_EQ(RectInParent(vbar().m_hWnd), CRect(270, 70, 282, 232));

    list().ShowWindow(SW_HIDE);
    EXPECT_FALSE(vbar().IsWindowVisible());
    EXPECT_FALSE(list().HorizontalBar().IsWindowVisible());
    list().ShowWindow(SW_SHOW);
    EXPECT_TRUE(vbar().IsWindowVisible());
    EXPECT_TRUE(list().HorizontalBar().IsWindowVisible());
}

TEST_F(SkinListTest, BarsAreDrawnFromTheirPictures) {
    Fill(50);
    const int h = BarHeight();
    const vekgui::Snapshot v = Shot(vbar());
    EXPECT_EQ(v.At(5, 5), kVTop);
    EXPECT_EQ(v.At(5, 20), kVUp);
    EXPECT_EQ(v.At(5, 36 + 13), kVThumb) << "a list with more rows than a page shows the thumb at the top";
    EXPECT_EQ(v.At(5, 100), kVChannel);
    EXPECT_EQ(v.At(5, h - 20), kVDown);
    EXPECT_EQ(v.At(5, h - 5), kVBottom);
    const vekgui::Snapshot hbar = Shot(list().HorizontalBar());
    EXPECT_EQ(hbar.At(5, 5), kHLeft);
    EXPECT_EQ(hbar.At(100, 5), kHChannel);  // no horizontal scrolling: no thumb
    EXPECT_EQ(hbar.At(hbar.Width() - 5, 5), kHRight);
}

TEST_F(SkinListTest, ShortClickOnAnArrowScrollsOneLineOnRelease) {
    Fill(50);
    const int down = BarHeight() - 25;
    vbar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(6, down));
    EXPECT_EQ(Top(), 0) << "nothing scrolls on the press";
    vbar().SendMessage(WM_LBUTTONUP, 0, At(6, down));
    EXPECT_EQ(Top(), 1);
    Click(20);  // the up arrow
    EXPECT_EQ(Top(), 0);
}

TEST_F(SkinListTest, HeldArrowRepeatsUntilReleased) {
    Fill(50);
    const int down = BarHeight() - 25;
    vbar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(6, down));
    EXPECT_EQ(::GetCapture(), vbar().m_hWnd);
    EXPECT_TRUE(PumpUntil([&] { return Top() >= 3; }, 5000)) << "top " << Top();
    vbar().SendMessage(WM_LBUTTONUP, 0, At(6, down));
    EXPECT_NE(::GetCapture(), vbar().m_hWnd);
    const int released = Top();
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(Top(), released) << "no repeat after the release";
    // The thumb followed the list.
    EXPECT_GT(vbar().Model().thumb(), 36);
}

TEST_F(SkinListTest, DraggingTheThumbScrollsWholeRows) {
    Fill(50);
    vbar().UpdateThumb();
    const double perUnit = vbar().Model().pixelsPerUnit();
    ASSERT_GT(perUnit, 0.0);
    vbar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(6, 40));
    ASSERT_TRUE(vbar().Model().thumbHeld());
    // Thumb top = mouse - 13; 3.5 units down the travel is row 3.
    const int y = 36 + 13 + static_cast<int>(3.5 * perUnit);
    vbar().SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(6, y));
    EXPECT_EQ(Top(), 3);
    vbar().SendMessage(WM_LBUTTONUP, 0, At(6, y));
    EXPECT_EQ(Top(), 3) << "the end of a drag does not page";
}

TEST_F(SkinListTest, ThumbStaysInItsTravel) {
    Fill(50);
    list().EnsureVisible(49, FALSE);
    vbar().UpdateThumb();
    const int h = BarHeight();
    EXPECT_EQ(vbar().Model().thumb(), h - 62);
    EXPECT_EQ(Shot(vbar()).At(5, h - 62 + 13), kVThumb);

    // A bar shorter than 98 pixels has no travel: the thumb stays at 36.
    list().MoveWindow(10, 60, 300, 80);
    Pump();
    vbar().UpdateThumb();
    EXPECT_LT(BarHeight(), 98);
    EXPECT_EQ(vbar().Model().thumb(), 36);
    EXPECT_EQ(vbar().Model().pixelsPerUnit(), 0.0);
    vbar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(6, 40));
    const int before = Top();
    vbar().SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(6, 70));
    EXPECT_EQ(Top(), before) << "no travel, no drag";
    vbar().SendMessage(WM_LBUTTONUP, 0, At(6, 70));
}

TEST_F(SkinListTest, FewRowsHideTheThumb) {
    Fill(2);
    vbar().UpdateThumb();
    EXPECT_FALSE(vbar().Model().thumbVisible());
    EXPECT_EQ(Shot(vbar()).At(5, 36 + 13), kVChannel);
    Click(100);  // paging a list that cannot scroll changes nothing
    EXPECT_EQ(Top(), 0);
}

}  // namespace
