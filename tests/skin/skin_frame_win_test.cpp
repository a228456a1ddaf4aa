// tests/skin/skin_frame_win_test.cpp
//
// Skinned window frames under Wine, with the state-coded test skin opened by
// the skin manager (options 7) in this test program: the caption buttons read
// back by pixel through WM_PRINT(PRF_NONCLIENT), and the mouse driven through
// the input queue (SendInput) over the caption buttons and a scroll bar's
// thumb.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "skin/core/skin_manager.h"
#include "skin/core/skin_metrics.h"
#include "skin/objects/frame_layout.h"
#include "skin/objects/skin_application_frame.h"
#include "skin/objects/skin_object_classes.h"
#include "skin/objects/skin_popup_menu.h"
#include "tests/gui/harness/known_desktop.h"
#include "tests/skin/guarded_heap.h"
#include "tests/skin/skin_frame_win_support.h"
#include "tests/skin/win_skin_support.h"

namespace {

using skintest::Coded;
using vekgui::MoveTo;
using vekgui::Press;
using vekgui::Release;

TEST_F(SkinFrameWinTest, AToolWindowShowsOnlyTheSmallCloseButton) {
    const HWND window =
        MakeWindow(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, WS_EX_TOOLWINDOW);
    CPlymSkinObjectFrame* frame = FrameOf(window);
    ASSERT_NE(frame, nullptr);
    const auto canvas = Print(window);
    ASSERT_EQ(frame->GetCaptionButtonCount(), 1);
    const auto* close = frame->GetCaptionButton(0);
    EXPECT_EQ(close->m_part, 19);
    EXPECT_EQ(canvas->At(CentreX(close->m_rect), CentreY(close->m_rect)), Coded(6, 19, 0));
    // The caption is the small one, and no other button is drawn anywhere on it.
    RECT borders{};
    frame->GetFrameBorders(&borders);
    for (int x = 0; x < kWidth; ++x) {
        for (int y = 0; y < borders.top; ++y) {
            const COLORREF c = canvas->At(x, y);
            for (int part : {15, 17, 18, 21, 23})
                ASSERT_NE(GetGValue(c), part * 6) << x << "," << y;
        }
    }
}

TEST_F(SkinFrameWinTest, AGrayedCloseButtonIsNeverHot) {
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0);
    EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    DrawMenuBar(window);  // the skin's replacement rebuilds the caption buttons
    CPlymSkinObjectFrame* frame = FrameOf(window);
    Print(window);
    ASSERT_EQ(frame->GetCaptionButtonCount(), 3);
    const RECT close = ScreenRect(window, frame->GetCaptionButton(0)->m_rect);
    const RECT maximize = ScreenRect(window, frame->GetCaptionButton(1)->m_rect);

    ASSERT_TRUE(Gesture(window, {MoveTo(CentreX(close), CentreY(close))}));
    EXPECT_EQ(frame->GetHotButton(), nullptr);
    const auto overClose = Print(window);
    const RECT closeRect = frame->GetCaptionButton(0)->m_rect;
    EXPECT_EQ(overClose->At(CentreX(closeRect), CentreY(closeRect)), Coded(6, 18, 4));
    // A press there does nothing either.
    ASSERT_TRUE(Gesture(window, {Press(), Release()}));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Commands(), std::vector<UINT>{});

    // The enabled maximize button beside it does turn hot.
    ASSERT_TRUE(Gesture(window, {MoveTo(CentreX(maximize), CentreY(maximize))}));
    EXPECT_EQ(frame->GetHotButton(), frame->GetCaptionButton(1));
    const auto overMaximize = Print(window);
    const RECT maximizeRect = frame->GetCaptionButton(1)->m_rect;
    EXPECT_EQ(overMaximize->At(CentreX(maximizeRect), CentreY(maximizeRect)), Coded(6, 17, 2));
}

TEST_F(SkinFrameWinTest, AClickCountsOnlyWhenReleasedOverTheButtonItWasPressedOn) {
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0);
    CPlymSkinObjectFrame* frame = FrameOf(window);
    Print(window);
    const RECT close = ScreenRect(window, frame->GetCaptionButton(0)->m_rect);
    const int x = CentreX(close);
    const int y = CentreY(close);

    // Pressed, dragged off and released there: no command.
    ASSERT_TRUE(Gesture(window, {MoveTo(x, y), Press(), MoveTo(x - 80, y + 60), Release()}));
    EXPECT_EQ(Commands(), std::vector<UINT>{});
    EXPECT_EQ(frame->GetPressedButton(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);

    // Pressed, dragged off, brought back and released: the close command.
    ASSERT_TRUE(Gesture(window, {MoveTo(x, y), Press(), MoveTo(x - 80, y + 60), MoveTo(x, y), Release()}));
    EXPECT_EQ(Commands(), std::vector<UINT>{SC_CLOSE});
}

TEST_F(SkinFrameWinTest, AThumbDraggedPastEightBarWidthsSnapsBack) {
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
    SetScrollInfo(window, SB_VERT, &info, TRUE);
    CPlymSkinObjectFrame* frame = FrameOf(window);
    Print(window);
    const SCROLLBARPOSINFO* bar = frame->GetScrollBarInfo(SB_VERT);
    ASSERT_TRUE(bar->present);
    RECT thumb{bar->crossStart, bar->thumbStart, bar->crossEnd, bar->thumbEnd};
    thumb = ScreenRect(window, thumb);
    const int x = CentreX(thumb);
    const int y = CentreY(thumb);
    const int width = bar->crossEnd - bar->crossStart;

    ASSERT_TRUE(Gesture(window, {MoveTo(x, y), Press(), MoveTo(x, y + 60),  // dragged down the bar
                                 MoveTo(x - 8 * width - 20, y + 60),  // far beside it: back to the start
                                 Release()}));
    const std::vector<Scroll> scrolls = Scrolls();
    ASSERT_GE(scrolls.size(), 4u);
    EXPECT_EQ(scrolls.front().code, SB_THUMBTRACK);
    EXPECT_EQ(scrolls.front().position, 0);
    bool movedDown = false;
    for (const Scroll& s : scrolls)
        movedDown = movedDown || (s.code == SB_THUMBTRACK && s.position > 0);
    EXPECT_TRUE(movedDown);
    const Scroll& end = scrolls[scrolls.size() - 1];
    const Scroll& position = scrolls[scrolls.size() - 2];
    const Scroll& snapped = scrolls[scrolls.size() - 3];
    EXPECT_EQ(snapped.code, SB_THUMBTRACK);
    EXPECT_EQ(snapped.position, 0);
    EXPECT_EQ(position.code, SB_THUMBPOSITION);
    EXPECT_EQ(position.position, 0);
    EXPECT_EQ(end.code, SB_ENDSCROLL);
    EXPECT_EQ(frame->GetScrollTracking(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SkinFrameWinTest, ACaptionButtonRebuiltDuringItsPressIsFoundAfreshUnderTheGuardedHeap) {
    // Every block made from here on faults once freed: a read of the caption
    // buttons the style change below throws away ends the program.
    skintest::GuardedHeapScope guarded;
    const DWORD style = WS_OVERLAPPEDWINDOW;
    const HWND window = MakeWindow(style, 0);
    CPlymSkinObjectFrame* frame = FrameOf(window);
    Print(window);
    ASSERT_EQ(frame->GetCaptionButtonCount(), 3);
    const RECT close = ScreenRect(window, frame->GetCaptionButton(0)->m_rect);
    const int x = CentreX(close);
    const int y = CentreY(close);
    const size_t freedBefore = skintest::GuardedBlocksFreed();

    // Pressed, dragged off; the style loses its minimize and maximize boxes
    // (the buttons are rebuilt); back over the close button and released.
    ASSERT_TRUE(Gesture(window, {MoveTo(x, y), Press(), MoveTo(x - 80, y + 60),
                                 vekgui::Act("the style change",
                                             [&] {
                                                 SetWindowLongPtrA(
                                                     window, GWL_STYLE,
                                                     style & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
                                                 SetWindowPos(window, nullptr, 0, 0, 0, 0,
                                                              SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                                                                  SWP_NOACTIVATE | SWP_FRAMECHANGED);
                                             }),
                                 MoveTo(x - 81, y + 61), MoveTo(x, y), Release()}));
    ASSERT_EQ(frame->GetCaptionButtonCount(), 1);
    EXPECT_GT(skintest::GuardedBlocksFreed(), freedBefore);  // the old buttons went
    EXPECT_EQ(Commands(), std::vector<UINT>{SC_CLOSE});
    EXPECT_EQ(frame->GetPressedButton(), nullptr);
    EXPECT_EQ(frame->GetHotButton(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SkinFrameWinTest, ShiftAndAPressOnTheTrackCentreTheThumbOnTheCursor) {
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
    SetScrollInfo(window, SB_VERT, &info, TRUE);
    CPlymSkinObjectFrame* frame = FrameOf(window);
    Print(window);
    const SCROLLBARPOSINFO bar = *frame->GetScrollBarInfo(SB_VERT);
    ASSERT_TRUE(bar.present);
    ASSERT_EQ(bar.thumbStart, bar.travelStart);  // at the top
    // Two thirds down the track, well below the thumb.
    const int c = bar.trackStart + (bar.trackEnd - bar.trackStart) * 2 / 3;
    ASSERT_GT(c, bar.thumbEnd + bar.thumbLength);
    RECT at{bar.crossStart, c, bar.crossEnd, c + 1};
    at = ScreenRect(window, at);
    const int centred = c - bar.thumbLength / 2;
    const int expected = plym::ScrollPosFromPixel(bar, centred);
    ASSERT_GT(expected, 0);

    ASSERT_TRUE(Gesture(window, {MoveTo(CentreX(at), at.top), vekgui::KeyDown(VK_SHIFT), Press(), Release(),
                                 vekgui::KeyUp(VK_SHIFT)}));
    const std::vector<Scroll> scrolls = Scrolls();
    ASSERT_GE(scrolls.size(), 3u);
    EXPECT_EQ(scrolls.front().code, SB_THUMBTRACK);  // a drag, not a page down
    const Scroll& position = scrolls[scrolls.size() - 2];
    EXPECT_EQ(position.code, SB_THUMBPOSITION);
    EXPECT_EQ(position.position, expected);
    EXPECT_EQ(scrolls.back().code, SB_ENDSCROLL);
}

TEST_F(SkinFrameWinTest, AMenuBarOfTwoRowsMovesTheClientTopToBorderPlusTwoRowsPlusOne) {
    HMENU menu = CreateMenu();
    for (int i = 1; i <= 5; ++i)
        AppendMenuA(menu, MF_STRING, 100 + i, ("&Menu number " + std::to_string(i)).c_str());
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, menu);
    auto* frame = static_cast<CPlymSkinObjectApplicationFrame*>(FrameOf(window));
    ASSERT_TRUE(frame->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectApplicationFrame)));
    ASSERT_TRUE(frame->HasMenuBar());
    std::set<LONG> rows;
    CPlymSkinPopupMenu* bar = frame->GetBarPopup();
    ASSERT_EQ(bar->GetItemCount(), 5);
    for (int i = 0; i < bar->GetItemCount(); ++i)
        rows.insert(bar->ItemAt(i).m_rect.top);
    ASSERT_EQ(rows.size(), 2u);

    RECT borders{};
    frame->GetFrameBorders(&borders);
    const int h = GetSystemMetrics(SM_CYMENUSIZE);
    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    POINT client{0, 0};
    ClientToScreen(window, &client);
    EXPECT_EQ(client.y - windowRect.top, borders.top + 2 * h + 1);
    EXPECT_EQ(frame->GetMenuBarRect().bottom, borders.top + 2 * h + 1);
    EXPECT_EQ(frame->HitTest(windowRect.left + borders.left + 2, windowRect.top + borders.top + h + 2),
              HTMENU);

    // The bar is the button face with its last row in the window colour.
    const auto canvas = Print(window);
    const CPlymSkinManagerMetrics* metrics = GetPlymSkinManager()->GetMetrics();
    const RECT& barRect = frame->GetMenuBarRect();
    EXPECT_EQ(canvas->At(barRect.right - 3, barRect.top + h + 2), metrics->ColorAt(COLOR_BTNFACE));
    EXPECT_EQ(canvas->At(barRect.right - 3, barRect.bottom - 1), metrics->ColorAt(COLOR_WINDOW));
}

TEST_F(SkinFrameWinTest, ScreenshotOfASkinnedDialogFrame) {
    ASSERT_TRUE(GetPlymSkinManager()->OpenSkin(VEK_VISTA_SKIN_MODULE, "NormalBlack.ini"));
    ASSERT_TRUE(Gesture(nullptr, {MoveTo(kLeft + 400, kTop + 400)}));  // away from the caption buttons
    const HWND dialog =
        CreateWindowExA(WS_EX_DLGMODALFRAME, "#32770", "Skinned dialog",
                        WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VSCROLL, kLeft, kTop, 300,
                        200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    windows_.push_back(dialog);
    CreateWindowExA(0, "Static", "A skinned dialog frame", WS_CHILD | WS_VISIBLE, 16, 16, 200, 20, dialog,
                    nullptr, GetModuleHandleA(nullptr), nullptr);
    CreateWindowExA(0, "Button", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 16, 60, 80, 26, dialog,
                    nullptr, GetModuleHandleA(nullptr), nullptr);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 30, 20, 0};
    SetScrollInfo(dialog, SB_VERT, &info, TRUE);
    Show(dialog);
    CPlymSkinObjectFrame* frame = FrameOf(dialog);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetDialogKind(), CPlymSkinObjectFrame::kDialog);
    RECT r{};
    GetWindowRect(dialog, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    skintest::Canvas canvas(w, h, RGB(0, 0, 0));
    SendMessageA(dialog, WM_PRINT, reinterpret_cast<WPARAM>(canvas.Dc()),
                 PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND);
    EXPECT_TRUE(SaveScreenshot(canvas, w, h, "skinned_dialog_frame.bmp"));
    ASSERT_EQ(frame->GetCaptionButtonCount(), 1);  // a dialog: close only

    // The frame read back: its edges, its caption left of the text and its
    // close button (over the caption) are the skin's WINDOW parts over the
    // frame's own borders.
    RECT b{};
    frame->GetFrameBorders(&b);
    ASSERT_GT(b.left, 0);
    ASSERT_GT(b.top, b.left);
    const int state = frame->IsFrameActive() ? 1 : 2;
    const RECT close = frame->GetCaptionButton(0)->m_rect;
    const struct {
        int part, state;
        RECT rect;   // where the part goes
        RECT probe;  // what is compared
    } parts[] = {
        {7, state, {0, b.top, b.left, h - b.bottom}, {0, b.top, b.left, h - b.bottom}},            // left
        {8, state, {w - b.right, b.top, w, h - b.bottom}, {w - b.right, b.top, w, h - b.bottom}},  // right
        {9, state, {0, h - b.bottom, w, h}, {0, h - b.bottom, w, h}},                              // bottom
        {1, state, {0, 0, w, b.top}, {0, 0, b.left, b.top}},                                       // caption
        {18,
         frame->IsFrameActive() ? 1 : 5,
         close,
         {close.left + 2, close.top + 2, close.right - 2, close.bottom - 2}},
    };
    CPlymSkinManagerClass* windowClass = GetPlymSkinManager()->GetThemeClass(nullptr, "WINDOW");
    ASSERT_NE(windowClass, nullptr);
    for (const auto& p : parts) {
        SCOPED_TRACE("part " + std::to_string(p.part));
        ASSERT_FALSE(IsRectEmpty(&p.probe));
        skintest::Canvas expected(w, h, RGB(0, 0, 0));
        if (p.part == 18) {
            ASSERT_TRUE(windowClass->DrawThemeBackground(expected.Dc(), 1, state, &parts[3].rect));
        }
        ASSERT_TRUE(windowClass->DrawThemeBackground(expected.Dc(), p.part, p.state, &p.rect));
        int differing = 0;
        for (int y = p.probe.top; y < p.probe.bottom; ++y) {
            for (int x = p.probe.left; x < p.probe.right; ++x)
                differing += canvas.At(x, y) != expected.At(x, y) ? 1 : 0;
        }
        EXPECT_EQ(differing, 0);
    }
}

// The skin's own popup menus run with option 8 (popup menus) on.
class SkinPopupMenuWinTest : public SkinFrameWinTest {
  protected:
    DWORD Options() const override { return 15; }

    // The popup object of a menu window.
    static CPlymSkinPopupMenu* PopupOf(HWND menuWindow) {
        return static_cast<CPlymSkinPopupMenu*>(CWnd::FromHandlePermanent(menuWindow));
    }
    static void PostChar(HWND window, char c) { PostMessageA(window, WM_CHAR, static_cast<WPARAM>(c), 0); }
};

TEST_F(SkinPopupMenuWinTest, ReturnCommandGivesTheChosenIdAndSendsNothing) {
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 11, "&First");
    AppendMenuA(menu, MF_STRING, 12, "&Second\tCtrl+S");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 13, "&Third");
    State().idleSteps.push_back([&](HWND menuWindow) {
        // First idle, the first item selected: the popup read back, saved, and
        // the second item chosen.
        CPlymSkinPopupMenu* popup = PopupOf(menuWindow);
        ASSERT_NE(popup, nullptr);
        RECT r{};
        GetClientRect(menuWindow, &r);
        skintest::Canvas canvas(r.right, r.bottom);
        popup->PaintMenu(canvas.Dc());
        const CPlymSkinManagerMetrics* metrics = GetPlymSkinManager()->GetMetrics();
        const RECT& first = popup->ItemAt(0).m_rect;
        const RECT& second = popup->ItemAt(1).m_rect;
        EXPECT_EQ(canvas.At(first.right - 4, first.top + 2), metrics->ColorAt(COLOR_HIGHLIGHT));
        EXPECT_EQ(canvas.At(second.right - 4, second.top + 2), metrics->ColorAt(COLOR_MENU));
        EXPECT_TRUE(SaveScreenshot(canvas, r.right, r.bottom, "skinned_popup_menu.bmp"));
        PostKey(window, VK_DOWN);
        PostKey(window, VK_RETURN);
    });
    PostKey(window, VK_DOWN);
    const UINT chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN, kLeft + 40, kTop + 60, 0, window, nullptr);
    EXPECT_EQ(chosen, 12u);
    EXPECT_EQ(State().idleCount, 1u);
    EXPECT_EQ(Commands(), std::vector<UINT>{});
    EXPECT_EQ(OpenMenuWindows(), 0);
    DestroyMenu(menu);
}

TEST_F(SkinPopupMenuWinTest, EscapeClosesOneLevelAndASharedMnemonicOnlyMovesTheSelection) {
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0);
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 31, "Sub &A");
    AppendMenuA(sub, MF_STRING, 32, "Sub &B");
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 21, "&Copy");
    AppendMenuA(menu, MF_STRING, 22, "C&ut");
    AppendMenuA(menu, MF_STRING, 23, "&Cancel all");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&More");
    AppendMenuA(menu, MF_STRING, 24, "&Paste");
    std::vector<int> windows;
    State().idleSteps = {
        [&](HWND) {
            // "c" twice selected Copy, then Cancel all; nothing ran.
            windows.push_back(OpenMenuWindows());
            PostKey(window, VK_DOWN);  // More
            PostKey(window, VK_RIGHT);
        },
        [&](HWND) {
            windows.push_back(OpenMenuWindows());  // the submenu is open
            PostKey(window, VK_ESCAPE);
        },
        [&](HWND) {
            windows.push_back(OpenMenuWindows());  // only the submenu closed
            PostChar(window, 'p');
        },
    };
    PostChar(window, 'c');
    PostChar(window, 'c');
    const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD, kLeft + 40, kTop + 60, 0, window, nullptr);
    EXPECT_EQ(chosen, 24u);
    EXPECT_EQ(windows, (std::vector<int>{1, 2, 1}));
    const std::vector<UINT>& selected = State().selected;
    ASSERT_GE(selected.size(), 2u);
    EXPECT_EQ(selected[0], 21u);
    EXPECT_EQ(selected[1], 23u);
    EXPECT_EQ(Commands(), std::vector<UINT>{});
    DestroyMenu(menu);
}

// Posts Escape to `window` from another thread while a tracking run of this
// thread outlives ten seconds, so that a run that never ends fails the test
// instead of hanging it.
class EscapeAfterTimeout {
  public:
    explicit EscapeAfterTimeout(HWND window)
        : thread_([this, window] {
              for (int waited = 0; !done_; waited += 50) {
                  if (waited >= 10000)
                      PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
                  Sleep(50);
              }
          }) {}
    ~EscapeAfterTimeout() {
        done_ = true;
        thread_.join();
    }
    EscapeAfterTimeout(const EscapeAfterTimeout&) = delete;
    EscapeAfterTimeout& operator=(const EscapeAfterTimeout&) = delete;

  private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// The visible menu windows of a thread, in Z order.
std::vector<HWND> VisibleMenuWindows(DWORD thread) {
    std::vector<HWND> found;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM list) -> BOOL {
            char name[64] = {};
            GetClassNameA(window, name, sizeof name);
            if (lstrcmpA(name, CPlymSkinPopupMenu::kClassName) == 0 && IsWindowVisible(window))
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(SkinPopupMenuWinTest, ASubmenuOpenedByTheKeyboardStartsOnItsFirstItem) {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 111, "&New");
    AppendMenuA(file, MF_STRING, 112, "&Open");
    HMENU edit = CreatePopupMenu();
    AppendMenuA(edit, MF_STRING, 121, "&Undo");
    AppendMenuA(edit, MF_STRING, 122, "&Redo");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    HMENU more = CreatePopupMenu();
    AppendMenuA(more, MF_STRING, 131, "Sub &A");
    AppendMenuA(more, MF_STRING, 132, "Sub &B");
    HMENU context = CreatePopupMenu();
    AppendMenuA(context, MF_POPUP, reinterpret_cast<UINT_PTR>(more), "&More");
    AppendMenuA(context, MF_STRING, 133, "&Last");
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, bar);
    ASSERT_TRUE(Gesture(window, {MoveTo(1, 1)}));  // off every menu
    const struct {
        const char* entry;
        bool onBar;  // the bar's run (Alt alone: its first item selected), else a context menu
        std::vector<UINT> keys;
        UINT chosen;
    } cases[] = {
        {"Right into a popup's submenu", false, {VK_DOWN, VK_RIGHT, VK_RETURN}, 131},
        {"Down on a bar item", true, {VK_DOWN, VK_RETURN}, 111},
        {"Right along the bar with its popup open", true, {VK_DOWN, VK_RIGHT, VK_RETURN}, 121},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        State() = Recorded{};
        for (UINT key : c.keys)
            PostKey(window, key);
        {
            EscapeAfterTimeout rescue(window);
            if (c.onBar) {
                SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
            } else {
                const UINT chosen =
                    TrackPopupMenu(context, TPM_RETURNCMD, kLeft + 40, kTop + 60, 0, window, nullptr);
                if (chosen)
                    State().commands.push_back(0x10000 | chosen);
            }
        }
        EXPECT_EQ(Commands(), std::vector<UINT>{0x10000 | c.chosen});
        EXPECT_EQ(OpenMenuWindows(), 0);
        PumpPending();
    }
    DestroyMenu(context);
}

// Steps run every 20 ms on the menu's own thread by a thread timer, which the
// menu loop dispatches: they read the open menus as the loop leaves them.
struct MenuSteps {
    std::function<bool()> step;  // TRUE: done
    static MenuSteps*& Current() {
        static MenuSteps* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
        if (Current() && Current()->step())
            KillTimer(nullptr, timer);
    }
};

TEST_F(SkinPopupMenuWinTest, ADiagonalMoveAcrossASiblingIntoTheSubmenuKeepsItOpenPastTheCloseDelay) {
    UINT savedDelay = 400;
    SystemParametersInfoA(SPI_GETMENUSHOWDELAY, 0, &savedDelay, 0);
    // Long enough for a loaded machine to move the pointer on before it runs out.
    constexpr UINT kDelay = 600;
    SystemParametersInfoA(SPI_SETMENUSHOWDELAY, kDelay, nullptr, 0);
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0);
    ASSERT_TRUE(Gesture(window, {MoveTo(1, 1)}));
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 61, "Sub &A");
    AppendMenuA(sub, MF_STRING, 62, "Sub &B");
    AppendMenuA(sub, MF_STRING, 63, "Sub &C");
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&Open");
    AppendMenuA(menu, MF_STRING, 71, "&Next");
    AppendMenuA(menu, MF_STRING, 72, "&Last");

    // Each step aims the pointer at an item once, and the menus must show it
    // there within the step's deadline. The aim is made again only by the
    // rule every move keeps (now and then the display's pointer moves and the
    // system's stays), never because the menu did not react: a step that does
    // not hold ends the run, saying whether the menu took the move.
    enum { kStart, kSubmenuOpen, kOnSibling, kInSubmenu, kWaited } reached = kStart;
    const char* const kStepNames[] = {"the parent item opening its submenu", "the sibling selected",
                                      "the submenu's last item selected"};
    constexpr DWORD kStepMs = 5000;
    CPlymSkinPopupMenu* root = nullptr;
    DWORD stepFrom = 0;
    std::optional<vekgui::PointerMove> aimed;
    size_t aimFrom = 0;
    const auto aim = [&](const RECT& item) {
        const POINT p{CentreX(item), CentreY(item)};
        if (aimed && vekgui::Same(aimed->To(), p)) {
            aimed->MakeUnlessTaken();
            return;
        }
        aimed.emplace(p);
        aimFrom = hand_.TakenCount();
        aimed->Make();
    };
    const auto next = [&](auto stage) {
        reached = stage;
        stepFrom = GetTickCount();
    };
    std::string failed;
    DWORD inSubmenuAt = 0;
    bool openAfterDelay = false;
    int rootSelectedAfterDelay = -1;
    const auto finish = [&] {
        openAfterDelay = root && root->m_child;
        rootSelectedAfterDelay = root ? root->m_selected : -1;
        PostKey(window, VK_ESCAPE);
        PostKey(window, VK_ESCAPE);
        return true;
    };
    MenuSteps steps;
    steps.step = [&] {
        if (!root) {
            const std::vector<HWND> shown = VisibleMenuWindows(GetCurrentThreadId());
            if (!shown.empty()) {
                root = PopupOf(shown.front());
                stepFrom = GetTickCount();
            }
            return false;
        }
        if (reached <= kOnSibling && GetTickCount() - stepFrom > kStepMs) {
            const POINT to = aimed ? aimed->To() : POINT{-1, -1};
            const std::string at = vekgui::PointText(to);
            failed =
                std::string(kStepNames[reached]) + " did not come within " + std::to_string(kStepMs) +
                " ms; " +
                (hand_.TookMoveAt(to, aimFrom) ? "the menu took the move to " + at
                                               : "the menu took no move to " + at + " (sent " +
                                                     std::to_string(aimed ? aimed->Made() : 0) + " times)");
            return finish();
        }
        switch (reached) {
            case kStart:
                // On the parent item until its submenu opens beside it ...
                if (root->m_child)
                    next(kSubmenuOpen);
                else if (root->m_selected != 0)
                    aim(root->ItemScreenRect(0));
                return false;
            case kSubmenuOpen:
                // ... across the sibling below it (its close timer starts) ...
                if (!root->m_child)
                    return finish();
                if (root->m_selected == 1)
                    next(kOnSibling);
                else
                    aim(root->ItemScreenRect(1));
                return false;
            case kOnSibling:
                // ... and on into the submenu's last item.
                if (!root->m_child)
                    return finish();
                if (root->m_child->m_selected == 2 && root->m_selected == 0) {
                    next(kInSubmenu);
                    inSubmenuAt = GetTickCount();
                } else {
                    aim(root->m_child->ItemScreenRect(2));
                }
                return false;
            default:
                if (GetTickCount() - inSubmenuAt < 2 * kDelay + 500)
                    return false;
                reached = kWaited;
                return finish();
        }
    };
    MenuSteps::Current() = &steps;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &MenuSteps::Tick);
    UINT chosen = 0;
    {
        EscapeAfterTimeout rescue(window);
        chosen = TrackPopupMenu(menu, TPM_RETURNCMD, kLeft + 40, kTop + 60, 0, window, nullptr);
    }
    KillTimer(nullptr, timer);
    MenuSteps::Current() = nullptr;
    SystemParametersInfoA(SPI_SETMENUSHOWDELAY, savedDelay, nullptr, 0);
    EXPECT_EQ(failed, "");
    EXPECT_EQ(chosen, 0u);
    EXPECT_EQ(reached, kWaited);
    EXPECT_TRUE(openAfterDelay);           // the submenu is still open under the pointer
    EXPECT_EQ(rootSelectedAfterDelay, 0);  // and its parent item selected again
    PumpPending();
    DestroyMenu(menu);
}

TEST_F(SkinPopupMenuWinTest, ABarItemWithoutASubmenuSendsItsCommandOnAClickOnEnterAndOnItsMnemonic) {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 91, "&Open");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_STRING, 81, "&Run");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, bar);
    auto* frame = static_cast<CPlymSkinObjectApplicationFrame*>(FrameOf(window));
    ASSERT_TRUE(frame->HasMenuBar());
    const RECT run = ScreenRect(window, frame->GetBarPopup()->ItemAt(0).m_rect);
    const struct {
        const char* how;
        std::function<void()> run;
    } cases[] = {
        {"a click",
         [&] {
             ASSERT_TRUE(Gesture(window, {MoveTo(CentreX(run), CentreY(run)), Press(), Release()}));
         }},
        {"Enter",  // Alt alone selects the first item
         [&] {
             ASSERT_TRUE(Gesture(window, {MoveTo(1, 1)}));
             PostKey(window, VK_RETURN);
             SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
         }},
        {"its mnemonic", [&] { SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 'r'); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        State() = Recorded{};
        {
            EscapeAfterTimeout rescue(window);
            c.run();
        }
        EXPECT_EQ(Commands(), std::vector<UINT>{0x10000 | 81});
        EXPECT_EQ(GetCapture(), nullptr);
        PumpPending();
    }
}

TEST_F(SkinPopupMenuWinTest, ThePlainLookDrawsCheckMarksAndItemBitmaps) {
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0);
    ASSERT_TRUE(Gesture(window, {MoveTo(1, 1)}));
    constexpr COLORREF kPicture = RGB(20, 180, 60);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HDC paint = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(paint, bitmap);
    HBRUSH brush = CreateSolidBrush(kPicture);
    const RECT all{0, 0, 16, 16};
    FillRect(paint, &all, brush);
    DeleteObject(brush);
    SelectObject(paint, old);
    DeleteDC(paint);
    ReleaseDC(nullptr, screen);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 1, "&Checked");
    AppendMenuA(menu, MF_STRING, 2, "&Plain");
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 3, "&Bullet");
    AppendMenuA(menu, MF_STRING, 4, "P&icture");
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    info.fType = MFT_STRING | MFT_RADIOCHECK;
    SetMenuItemInfoA(menu, 2, TRUE, &info);
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = bitmap;
    SetMenuItemInfoA(menu, 3, TRUE, &info);
    struct Square {
        int marked = 0;   // pixels other than the menu's background
        int picture = 0;  // pixels of the item's bitmap
    };
    std::vector<Square> squares;
    bool themed = true;
    State().idleSteps.push_back([&](HWND menuWindow) {
        CPlymSkinPopupMenu* popup = PopupOf(menuWindow);
        ASSERT_NE(popup, nullptr);
        themed = popup->IsThemed() != FALSE;
        RECT r{};
        GetClientRect(menuWindow, &r);
        skintest::Canvas canvas(r.right, r.bottom);
        popup->PaintMenu(canvas.Dc());
        const COLORREF background = GetPlymSkinManager()->GetMetrics()->ColorAt(COLOR_MENU);
        for (int i = 0; i < popup->GetItemCount(); ++i) {
            // The square left of the label, inside the item.
            const RECT& item = popup->ItemAt(i).m_rect;
            Square square;
            for (int y = item.top; y < item.bottom; ++y) {
                for (int x = item.left + 1; x < item.left + 21; ++x) {
                    const COLORREF c = canvas.At(x, y);
                    square.marked += c != background;
                    square.picture += c == kPicture;
                }
            }
            squares.push_back(square);
        }
        EXPECT_TRUE(SaveScreenshot(canvas, r.right, r.bottom, "skinned_popup_menu_checks.bmp"));
        PostKey(window, VK_ESCAPE);
    });
    {
        EscapeAfterTimeout rescue(window);
        TrackPopupMenu(menu, TPM_RETURNCMD, kLeft + 40, kTop + 60, 0, window, nullptr);
    }
    EXPECT_FALSE(themed);  // the state-coded skin gives popups no border
    ASSERT_EQ(squares.size(), 4u);
    EXPECT_GT(squares[0].marked, 0);  // the check mark
    EXPECT_EQ(squares[1].marked, 0);
    EXPECT_GT(squares[2].marked, 0);  // the radio bullet
    EXPECT_GE(squares[3].picture, 16 * 16);
    DestroyMenu(menu);
    DeleteObject(bitmap);
}

TEST_F(SkinPopupMenuWinTest, AQuitTakenInsideTheMenuLoopIsPostedAgainAndEndsIt) {
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 41, "&Only");
    PostQuitMessage(7);
    const DWORD start = GetTickCount();
    const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD, kLeft + 40, kTop + 60, 0, window, nullptr);
    EXPECT_EQ(chosen, 0u);
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(OpenMenuWindows(), 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    DestroyMenu(menu);
}

TEST_F(SkinPopupMenuWinTest, ARightPressOnASeparatorLeavesTheQueue) {
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 51, "&One");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 52, "&Two");
    size_t idleAfterPress = 0;
    POINT separator{};
    std::string failed;
    // Each idle notice comes once the loop has taken what the step before
    // sent; the press waits for the pointer over the separator.
    State().idleSteps = {
        [&](HWND menuWindow) {
            const RECT r = PopupOf(menuWindow)->ItemScreenRect(1);
            separator = {CentreX(r), CentreY(r)};
            vekgui::SendMoveNow(separator);
        },
        [&](HWND menuWindow) {
            POINT now{};
            GetCursorPos(&now);
            if (now.x != separator.x || now.y != separator.y || WindowFromPoint(now) != menuWindow) {
                failed = "the right press was not sent: the pointer is at " + std::to_string(now.x) + "," +
                         std::to_string(now.y) + ", not over the separator";
                PostKey(window, VK_ESCAPE);
                return;
            }
            vekgui::SendButtonNow(separator, true, true);
            idleAfterPress = State().idleCount;
        },
        [&](HWND) { vekgui::SendButtonNow(separator, true, false); },  // idle again: the press has gone
        [&](HWND) { PostKey(window, VK_ESCAPE); },                     // keys count once the button is up
    };
    // Should the press stay queued the loop spins on it and never falls idle
    // again: a posted Escape (seen before input) ends it then.
    HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread watchdog([&, window] {
        if (WaitForSingleObject(ended, 4000) != WAIT_TIMEOUT)
            return;
        vekgui::SendButtonNow(separator, true, false);
        do
            PostKey(window, VK_ESCAPE);
        while (WaitForSingleObject(ended, 100) == WAIT_TIMEOUT);
    });
    const UINT chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, kLeft + 40, kTop + 60, 0, window, nullptr);
    SetEvent(ended);
    watchdog.join();
    CloseHandle(ended);
    EXPECT_EQ(failed, "");
    EXPECT_EQ(chosen, 0u);
    EXPECT_GT(idleAfterPress, 0u);
    EXPECT_GE(State().idleCount, 4u);
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_RBUTTONDOWN, WM_RBUTTONDOWN, PM_NOREMOVE));
    PumpPending();
    DestroyMenu(menu);
}

}  // namespace
