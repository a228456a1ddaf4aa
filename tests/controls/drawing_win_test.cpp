// tests/controls/drawing_win_test.cpp
//
// The small drawing pieces under Wine: gradient and pattern fills by pixel,
// the memory DC, the coloured label (one font per control), the picture
// static and the owner-drawn menu's items.
#include <gtest/gtest.h>

#include <algorithm>

#include "controls/draw_gradient.h"
#include "controls/mem_dc.h"
#include "controls/my_menu.h"
#include "tests/controls/controls_page.h"

namespace {

using controls_test::PageTest;
using controls_test::Pump;

constexpr COLORREF kSentinel = RGB(0x11, 0x22, 0x33);

// A 32-bit canvas to draw on and read back.
class Canvas {
  public:
    Canvas(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        dc.CreateCompatibleDC(nullptr);
        bitmap_ = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = ::SelectObject(dc, bitmap_);
        dc.FillSolidRect(0, 0, width, height, kSentinel);
    }
    ~Canvas() {
        ::SelectObject(dc, old_);
        ::DeleteObject(bitmap_);
    }
    COLORREF At(int x, int y) const { return dc.GetPixel(x, y); }
    CDC dc;

  private:
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

TEST(DrawGradientTest, GreyToBlackTopDownInBands) {
    Canvas canvas(30, 320);
    DrawGradient(&canvas.dc, CRect(0, 10, 20, 310), 0x545454, 0x000000, FALSE, TRUE);
    EXPECT_EQ(canvas.At(5, 10), 0x545454u);
    EXPECT_EQ(canvas.At(5, 11), 0x545454u);  // 2-pixel bands over 300 pixels
    EXPECT_EQ(canvas.At(5, 160), 0x2A2A2Au);
    EXPECT_EQ(canvas.At(5, 309), 0x000000u);
    EXPECT_EQ(canvas.At(5, 9), kSentinel);
    EXPECT_EQ(canvas.At(5, 310), kSentinel);
    EXPECT_EQ(canvas.At(20, 100), kSentinel);
}

TEST(DrawGradientTest, LastBandStaysInsideTheRectangle) {
    Canvas canvas(30, 320);
    DrawGradient(&canvas.dc, CRect(0, 10, 20, 311), 0xFFFFFF, 0x000000, FALSE, TRUE);  // 301 px
    EXPECT_EQ(canvas.At(5, 9), kSentinel) << "nothing above the rectangle";
    EXPECT_EQ(canvas.At(5, 10), 0xFFFFFFu);
    DrawGradient(&canvas.dc, CRect(0, 10, 20, 311), 0xFFFFFF, 0x000000, FALSE, FALSE);
    EXPECT_EQ(canvas.At(5, 311), kSentinel) << "nothing below it either";
    EXPECT_EQ(canvas.At(5, 310), 0xFFFFFFu);
}

TEST(DrawGradientTest, HorizontalAndPatternFills) {
    Canvas canvas(110, 10);
    DrawGradient(&canvas.dc, CRect(0, 0, 100, 5), 0x0000FF, 0x000000, TRUE, TRUE);
    EXPECT_EQ(canvas.At(0, 2), 0x0000FFu);
    EXPECT_EQ(canvas.At(99, 2), 0x000002u);  // 255 * 1 / 100
    PatFillRect(&canvas.dc, 100, 0, 5, 5, 0x00FF00);
    EXPECT_EQ(canvas.At(102, 2), 0x00FF00u);
    EXPECT_EQ(canvas.At(105, 2), kSentinel);
}

TEST(MemDCTest, DrawsOffScreenAndCopiesBackItsRectangleOnly) {
    Canvas canvas(60, 60);
    const CRect area(10, 10, 40, 40);
    canvas.dc.SetBkColor(0x00FFFF);
    {
        CMemDC memory(&canvas.dc, &area);
        ASSERT_TRUE(memory.IsMemory());
        EXPECT_EQ(memory.GetPixel(20, 20), 0x00FFFFu) << "starts in the target's background colour";
        memory.FillSolidRect(0, 0, 60, 60, 0x0000FF);  // in the target's coordinates
        EXPECT_EQ(canvas.At(20, 20), kSentinel) << "nothing on the target yet";
    }
    EXPECT_EQ(canvas.At(10, 10), 0x0000FFu);
    EXPECT_EQ(canvas.At(39, 39), 0x0000FFu);
    EXPECT_EQ(canvas.At(9, 9), kSentinel);
    EXPECT_EQ(canvas.At(40, 20), kSentinel);
    {
        canvas.dc.SetPixel(15, 15, 0x00FF00);
        CMemDC memory(&canvas.dc, &area, TRUE);
        EXPECT_EQ(memory.GetPixel(15, 15), 0x00FF00u) << "copied in";
    }
    EXPECT_EQ(canvas.At(15, 15), 0x00FF00u);
}

class StaticsTest : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        page.label.MoveWindow(300, 10, 120, 30);
        page.picture.MoveWindow(300, 60, 100, 50);
        Pump();
    }
};

TEST_F(StaticsTest, LabelDrawsInItsColourOverTheParentWithOneFont) {
    page.label.SetWindowText("HHHH");
    page.label.SetTextStyle(RGB(255, 0, 0), -18);
    vekgui::Snapshot shot = Shot(page.label);
    const CRect all(0, 0, 120, 30);
    EXPECT_GT(shot.Count(all, RGB(255, 0, 0)), 20);
    EXPECT_EQ(shot.At(118, 28), ::GetSysColor(COLOR_BTNFACE)) << "the parent's background shows through";

    int top = 30, bottom = -1;  // the rows with text
    for (int y = 0; y < 30; ++y)
        if (shot.Count(CRect(0, y, 120, y + 1), RGB(255, 0, 0)) > 0) {
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    EXPECT_GE(bottom - top + 1, 11) << "capitals of an 18-unit Arial";
    const HFONT font = page.label.GetTextFont();
    ASSERT_NE(font, nullptr);
    LOGFONTA face{};
    ::GetObjectA(font, sizeof face, &face);
    EXPECT_EQ(face.lfHeight, -18);
    const int wide = shot.Count(all, RGB(255, 0, 0));
    for (int i = 0; i < 20; ++i)
        page.label.RedrawWindow();
    // A shorter text: the parent repaints under the label, so the old text goes.
    page.label.SetWindowText("HH");
    Pump();
    shot = Shot(page.label);
    EXPECT_LT(shot.Count(all, RGB(255, 0, 0)), wide * 3 / 4);
    EXPECT_GT(shot.Count(all, RGB(255, 0, 0)), 0);
    EXPECT_EQ(page.label.GetTextFont(), font) << "colour messages reuse the label's font";

    page.label.SetTextStyle(0xFFFFFFFF, -12);
    Shot(page.label);
    EXPECT_EQ(page.label.GetTextColor(), ::GetSysColor(COLOR_BTNTEXT));
    ::GetObjectA(page.label.GetTextFont(), sizeof face, &face);
    EXPECT_EQ(face.lfHeight, -12) << "a new height makes a new font";
}

TEST_F(StaticsTest, AnOpaqueLabelFillsItsOwnBackgroundAndNewTextReplacesTheOld) {
    // The parent stops painting under its children, as the pages do.
    page.ModifyStyle(0, WS_CLIPCHILDREN);
    page.label.SetWindowText("HHHHHHHH");
    page.label.SetTextStyle(RGB(255, 0, 0), -18);
    page.label.SetBackground(RGB(0, 0, 128));
    Pump();
    vekgui::Snapshot shot = Shot(page.label);
    const CRect all(0, 0, 120, 30);
    EXPECT_EQ(shot.At(118, 28), RGB(0, 0, 128));
    const int wide = shot.Count(all, RGB(255, 0, 0));
    EXPECT_GT(wide, 20);
    EXPECT_NE(page.label.GetTextFont(), nullptr);

    page.label.SetWindowText("H");
    Pump();
    shot = Shot(page.label);
    EXPECT_LT(shot.Count(all, RGB(255, 0, 0)), wide / 4) << "the old text is painted over";
    EXPECT_GT(shot.Count(all, RGB(255, 0, 0)), 0);
    EXPECT_EQ(shot.At(118, 28), RGB(0, 0, 128));
}

TEST_F(StaticsTest, PictureShowsItsBackgroundAndAnImageKeepingItsShape) {
    const vekgui::Snapshot empty = Shot(page.picture);
    EXPECT_EQ(empty.Count(CRect(0, 0, 100, 50), RGB(0, 0, 0)), 100 * 50);

    CBitmap image;
    ASSERT_TRUE(image.LoadBitmap(IDB_TEST_PICTURE));  // 20 x 10
    page.picture.SetImage(image);
    page.picture.SetKeepAspect(TRUE);
    vekgui::Snapshot shot = Shot(page.picture);
    EXPECT_EQ(shot.Count(CRect(0, 0, 100, 50), RGB(0xC0, 0x80, 0x40)), 20 * 10) << "centred at its own size";
    EXPECT_EQ(shot.At(50, 25), RGB(0xC0, 0x80, 0x40));
    page.picture.SetKeepAspect(FALSE);
    shot = Shot(page.picture);
    EXPECT_EQ(shot.Count(CRect(0, 0, 100, 50), RGB(0xC0, 0x80, 0x40)), 100 * 50) << "stretched";
    page.picture.SetImage(nullptr);
}

TEST(MyMenuTest, ItemsMeasureByTypeAndDrawInTheMenuStyle) {
    CMyMenu menu(100, 20);
    MyMenuItem hidden{0, "x", 0xFFFFFFFF};
    MyMenuItem separator{0, "", 0};
    MyMenuItem text{0, "Play", 1};
    MEASUREITEMSTRUCT measure{};
    measure.itemData = reinterpret_cast<ULONG_PTR>(&hidden);
    menu.MeasureItem(&measure);
    EXPECT_EQ(measure.itemWidth, 0u);
    EXPECT_EQ(measure.itemHeight, 0u);
    measure.itemData = reinterpret_cast<ULONG_PTR>(&separator);
    menu.MeasureItem(&measure);
    EXPECT_EQ(measure.itemHeight, 4u);

    Canvas canvas(120, 30);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.hDC = canvas.dc;
    draw.rcItem = {0, 5, 100, 25};
    draw.itemData = reinterpret_cast<ULONG_PTR>(&text);
    draw.itemState = ODS_SELECTED | ODS_CHECKED;
    menu.DrawItem(&draw);
    EXPECT_EQ(canvas.At(1, 6), RGB(0x3A, 0x4A, 0x8A)) << "side strip";
    EXPECT_EQ(canvas.At(5, 10), RGB(0xE0, 0xC0, 0x20)) << "check mark";
    EXPECT_EQ(canvas.At(19, 6), 0xC56A31u) << "highlight frame";
    EXPECT_EQ(canvas.At(95, 15), 0xE7CBBDu) << "highlight fill";
    EXPECT_EQ(canvas.At(105, 15), kSentinel) << "nothing past the item";

    draw.itemState = 0;
    draw.itemData = reinterpret_cast<ULONG_PTR>(&separator);
    menu.DrawItem(&draw);
    EXPECT_EQ(canvas.At(50, 15), 0xB8C2C5u) << "separator line across the middle";
    EXPECT_EQ(canvas.At(50, 8), 0x525252u);
}

}  // namespace
