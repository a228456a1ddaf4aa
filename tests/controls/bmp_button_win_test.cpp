// tests/controls/bmp_button_win_test.cpp
//
// The bitmap button on a page under Wine: which frame of its strip the face
// shows (by pixel) for normal, hovered, pressed, disabled and checked, its
// caption, and a strip that does not load.
#include <gtest/gtest.h>

#include "tests/controls/controls_page.h"
#include "tests/gui/harness/test_hooks.h"

namespace {

using controls_test::PageTest;

// The frames of button_strip.bmp (test_pictures.txt).
constexpr COLORREF kNormal = RGB(0x20, 0x40, 0xA0);
constexpr COLORREF kHovered = RGB(0x20, 0xA0, 0x40);
constexpr COLORREF kPressed = RGB(0xA0, 0x20, 0x40);
constexpr COLORREF kDisabled = RGB(0x70, 0x70, 0x70);

class BmpButtonTest : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        for (CBmpButton* b : {&page.button, &page.toggle})
            ASSERT_TRUE(b->SetImageFile(IDB_TEST_STRIP, RGB(255, 0, 255), 0));
        page.button.MoveWindow(10, 10, 40, 24);
        page.toggle.MoveWindow(60, 10, 40, 24);
        controls_test::Pump();
    }
    // The colour in the middle of the button's face (its corner, away from a caption).
    COLORREF Face(CBmpButton& b) {
        const vekgui::Snapshot shot = Shot(b);
        return shot.At(2, 2);
    }
};

TEST_F(BmpButtonTest, SubclassingMakesTheButtonOwnerDrawn) {
    EXPECT_EQ(page.button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_TRUE(page.button.GetStyle() & WS_CLIPSIBLINGS);
}

TEST_F(BmpButtonTest, FaceFollowsHoverPressAndEnable) {
    CBmpButton& b = page.button;
    EXPECT_EQ(Face(b), kNormal) << vekgui::ColorText(Face(b));

    // Pressed before any hover: still the normal frame.
    b.SetState(TRUE);
    EXPECT_EQ(Face(b), kNormal);
    b.SetState(FALSE);

    b.SendMessage(WM_MOUSEHOVER);
    EXPECT_TRUE(b.IsHovered());
    EXPECT_EQ(Face(b), kHovered) << vekgui::ColorText(Face(b));
    b.SetState(TRUE);
    EXPECT_EQ(Face(b), kPressed) << vekgui::ColorText(Face(b));
    b.SetState(FALSE);

    // Disabled wins over hover.
    b.EnableWindow(FALSE);
    EXPECT_EQ(Face(b), kDisabled) << vekgui::ColorText(Face(b));
    b.EnableWindow(TRUE);

    b.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(b.IsHovered());
    EXPECT_EQ(Face(b), kNormal);
}

TEST_F(BmpButtonTest, CheckedShowsThePressedFrameWhateverElseHolds) {
    CBmpButton& t = page.toggle;
    t.SetCheckState(TRUE);
    EXPECT_EQ(Face(t), kPressed);
    t.EnableWindow(FALSE);
    EXPECT_EQ(Face(t), kPressed);
    t.SetCheckState(FALSE);
    EXPECT_EQ(Face(t), kDisabled);
    EXPECT_EQ(Face(page.button), kNormal) << "the other button keeps its own state";
}

TEST_F(BmpButtonTest, CaptionIsDrawnOverTheFace) {
    CBmpButton& b = page.button;
    const RECT face = {0, 0, 40, 24};
    EXPECT_EQ(Shot(b).Count(face, RGB(255, 255, 255)), 0);
    b.SetCaption(0, 3, "WW", RGB(255, 255, 255), 18);
    const vekgui::Snapshot shot = Shot(b);
    EXPECT_GT(shot.Count(face, RGB(255, 255, 255)), 10);
    EXPECT_EQ(shot.At(1, 1), kNormal);  // the inset keeps the top rows clear
    EXPECT_EQ(b.GetCaption(), CString("WW"));
}

TEST_F(BmpButtonTest, MissingStripSaysSoAndKeepsTheFaceItHad) {
    vekgui::TestHooks hooks;
    EXPECT_FALSE(page.button.SetImageFile(4242));
    ASSERT_EQ(hooks.boxes().size(), 1u);
    EXPECT_EQ(hooks.boxes()[0].text, "call SetImageFile() load bitmap failed!");
    EXPECT_EQ(Face(page.button), kNormal);
}

TEST_F(BmpButtonTest, TooltipIsMadeOnceAndCarriesTheText) {
    CBmpButton& b = page.button;
    b.SetTooltipText("Play");
    b.SetTooltipText("Play all");
    struct Found {
        HWND owner;
        int count = 0;
        HWND tip = nullptr;
    } found{::GetAncestor(b.m_hWnd, GA_ROOT)};  // a child cannot own: its top window does
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* f = reinterpret_cast<Found*>(p);
            char name[64] = {};
            ::GetClassNameA(w, name, sizeof name);
            if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 && ::GetWindow(w, GW_OWNER) == f->owner) {
                ++f->count;
                f->tip = w;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    ASSERT_EQ(found.count, 1);

    // The button registers itself with the text when the mouse moves over it.
    MSG move{b.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), 0, {15, 15}};
    b.PreTranslateMessage(&move);
    EXPECT_EQ(::SendMessageA(found.tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    char text[80] = {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = page.m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(b.m_hWnd);
    tool.lpszText = text;
    ::SendMessageA(found.tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, "Play all");
}

TEST(BmpButtonBare, ButtonWithoutStripDrawsNothingOfItsOwn) {
    CBmpButton b;
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.hDC = ::CreateCompatibleDC(nullptr);
    item.rcItem = {0, 0, 10, 10};
    b.DrawItem(&item);  // no strip: nothing happens, nothing crashes
    ::DeleteDC(item.hDC);
    EXPECT_EQ(b.GetStrip(), nullptr);
}

}  // namespace
