// tests/skin/menu_key_win_test.cpp
//
// The keyboard's way into the menus of skinned frames under Wine, with the
// state-coded skin: the Alt key pressed and released through the input
// queue (SendInput), the frame's keyboard menu it starts (options 7: the
// window procedure sees the system command), and with the skin's menus on
// (options 15) the menu bar, and the system menu as a one-item bar at the
// caption icon, driven by keys posted at each idle notice of the menu loop
// and by the mouse.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "skin/core/skin_manager.h"
#include "skin/core/skin_schema.h"
#include "skin/objects/skin_application_frame.h"
#include "skin/objects/skin_popup_menu.h"
#include "tests/skin/skin_frame_win_support.h"

namespace {

constexpr char kClassName[] = "SkinMenuKeyTestWindow";

class SkinMenuKeyWinTest : public SkinFrameWinTest {
  protected:
    void SetUp() override {
        SkinFrameWinTest::SetUp();
        Seen() = Observed{};
        Seen().skinMenus = (Options() & kPlymHookPopupMenus) != 0;
        WNDCLASSA wc{};
        wc.lpfnWndProc = &KeyProcedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassA(&wc);
    }

    HWND MakeKeyWindow(HMENU menu = nullptr) {
        const HWND window = CreateWindowExA(0, kClassName, "Keys", WS_OVERLAPPEDWINDOW, kLeft, kTop, kWidth,
                                            kHeight, nullptr, menu, GetModuleHandleA(nullptr), nullptr);
        windows_.push_back(window);
        Show(window);
        SetFocus(window);
        return window;
    }

    static vekgui::InputStep Down(WORD key) { return vekgui::KeyDown(key); }
    static vekgui::InputStep Up(WORD key) { return vekgui::KeyUp(key); }

    static CPlymSkinObjectApplicationFrame* ApplicationFrameOf(HWND window) {
        CPlymSkinObjectFrame* frame = FrameOf(window);
        return frame && frame->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectApplicationFrame))
                   ? static_cast<CPlymSkinObjectApplicationFrame*>(frame)
                   : nullptr;
    }

    // Runs `steps` as user input while a watchdog ends a menu loop that never
    // falls idle as the test expects (Escape posted again and again).
    testing::AssertionResult GestureGuarded(HWND window, const std::vector<vekgui::InputStep>& steps) {
        std::atomic<bool> done{false};
        std::thread watchdog([&done, window] {
            for (int waited = 0; !done; waited += 100) {
                Sleep(100);
                if (waited > 8000)
                    PostKey(window, VK_ESCAPE);
            }
        });
        testing::AssertionResult result = Gesture(window, steps);
        PumpPending();
        done = true;
        watchdog.join();
        return result;
    }

    struct Observed {
        std::vector<std::pair<HWND, LPARAM>> keyMenus;  // SC_KEYMENU reaching the window procedure
        std::vector<std::pair<WPARAM, LPARAM>> menuChars;
        int menuLoops = 0;
        bool skinMenus = false;  // the skin takes SC_KEYMENU on from the default procedure
        // Called at each WM_ENTERIDLE of a menu loop.
        std::function<void()> idle;
    };
    static Observed& Seen() {
        static Observed observed;
        return observed;
    }

    static LRESULT CALLBACK KeyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        Observed& seen = Seen();
        switch (message) {
            case WM_SYSCOMMAND:
                if ((wParam & 0xFFF0) == SC_KEYMENU) {
                    seen.keyMenus.emplace_back(window, lParam);
                    if (!seen.skinMenus)
                        return 0;  // not the system's own menu loop
                }
                break;
            case WM_MENUCHAR:
                seen.menuChars.emplace_back(wParam, lParam);
                return 0;  // MNC_IGNORE
            case WM_ENTERMENULOOP:
                ++seen.menuLoops;
                return 0;
            case WM_ENTERIDLE:
                if (wParam == MSGF_MENU && seen.idle)
                    seen.idle();
                return 0;
            default:
                break;
        }
        return Procedure(window, message, wParam, lParam);
    }
};

TEST_F(SkinMenuKeyWinTest, AltAloneSendsTheKeyMenuToTheTopLevelWindowAndAClickBetweenCancelsIt) {
    const HWND top = MakeKeyWindow();
    const HWND child = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 60, top,
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(FrameOf(child), nullptr);
    SetFocus(child);
    PumpPending();
    ASSERT_EQ(GetFocus(), child);

    // Alone: the keyboard menu of the top-level window, from the child with the focus.
    ASSERT_TRUE(Gesture(top, {Down(VK_MENU), Up(VK_MENU)}));
    const std::vector<std::pair<HWND, LPARAM>> alone{{top, 0}};
    EXPECT_EQ(Seen().keyMenus, alone);

    // A click between press and release: nothing. (The system itself makes
    // such a release a plain key-up; the frame's own rule is shown with the
    // messages posted as they would come without that.)
    RECT client{};
    GetClientRect(top, &client);
    const LPARAM inside = MAKELPARAM(client.right - 20, client.bottom - 20);
    PostMessageA(child, WM_SYSKEYDOWN, VK_MENU, 0x20380001);
    PostMessageA(top, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    PostMessageA(top, WM_LBUTTONUP, 0, inside);
    PostMessageA(child, WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0380001));
    PumpPending();
    EXPECT_EQ(Seen().keyMenus, alone);
    // The same without the click: the keyboard menu.
    PostMessageA(child, WM_SYSKEYDOWN, VK_MENU, 0x20380001);
    PostMessageA(child, WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0380001));
    PumpPending();
    const std::vector<std::pair<HWND, LPARAM>> twice{{top, 0}, {top, 0}};
    EXPECT_EQ(Seen().keyMenus, twice);
}

// The skin's own menus run with option 8 (popup menus) on.
class SkinMenuBarKeyWinTest : public SkinMenuKeyWinTest {
  protected:
    DWORD Options() const override { return 15; }

    // At each idle notice of the menu loop: `observe` records how the menus
    // stand (FALSE: not yet, while a button is down), then the next of `keys`
    // is posted (Escape once they are spent).
    static void OnIdle(HWND window, std::function<bool()> observe, std::vector<UINT> keys) {
        Seen().idle = [window, observe, keys, step = size_t{0}]() mutable {
            if (step <= keys.size() && !observe())
                return;
            PostKey(window, step < keys.size() ? keys[step] : VK_ESCAPE);
            ++step;
        };
    }
};

TEST_F(SkinMenuBarKeyWinTest, AltAloneOnAWindowWithoutABarSelectsTheSystemMenuItem) {
    const HWND window = MakeKeyWindow();
    CPlymSkinObjectApplicationFrame* frame = ApplicationFrameOf(window);
    ASSERT_NE(frame, nullptr);
    ASSERT_FALSE(frame->HasMenuBar());
    CPlymSkinPopupMenu* bar = frame->GetBarPopup();
    const HMENU system = GetSystemMenu(window, FALSE);
    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    RECT borders{};
    frame->GetFrameBorders(&borders);

    std::vector<std::string> seen;
    RECT item{};
    RECT popup{};
    OnIdle(window,
           [&] {
               std::string state = bar->m_systemMenu && bar->GetMenuHandle() == system ? "system" : "?";
               state += " " + std::to_string(bar->m_selected) + " " + std::to_string(OpenMenuWindows());
               if (bar->m_tracker && bar->m_tracker->m_keyboard)
                   state += " keyboard";
               if (GetCapture() != window)
                   state += " no capture";
               if (bar->m_child && bar->m_child->GetMenuHandle() == system) {
                   state += " +system";
                   GetWindowRect(bar->m_child->m_hWnd, &popup);
               }
               if (bar->GetItemCount() == 1)
                   item = bar->ItemAt(0).m_rect;
               seen.push_back(state);
               return true;
           },
           {VK_DOWN, VK_ESCAPE});
    ASSERT_TRUE(GestureGuarded(window, {Down(VK_MENU), Up(VK_MENU)}));
    // Selected in keyboard mode, nothing open; Down opens the system menu,
    // Escape closes it and leaves the item selected.
    EXPECT_EQ(seen, (std::vector<std::string>{"system 0 0 keyboard", "system 0 1 keyboard +system",
                                              "system 0 0 keyboard"}));
    // The item is the caption icon's square; the system menu drops from it.
    EXPECT_GE(item.left, borders.left);
    EXPECT_LE(item.bottom, borders.top);
    EXPECT_EQ(item.right - item.left, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(popup.left, windowRect.left + item.left);
    EXPECT_EQ(popup.top, windowRect.top + item.bottom);
    // The bar popup lent to the run is given back as it was.
    EXPECT_FALSE(bar->m_systemMenu);
    EXPECT_EQ(bar->GetMenuHandle(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Seen().menuLoops, 1);

    // Alt and a letter no item has: the owner is asked, answers "ignore", and
    // the run ends (with a beep); releasing Alt then starts nothing.
    Seen().idle = nullptr;
    ASSERT_TRUE(GestureGuarded(window, {Down(VK_MENU), Down('Q'), Up('Q'), Up(VK_MENU)}));
    const std::vector<std::pair<WPARAM, LPARAM>> asked{
        {MAKEWPARAM('q', MF_SYSMENU), reinterpret_cast<LPARAM>(system)}};
    EXPECT_EQ(Seen().menuChars, asked);
    EXPECT_EQ(Seen().menuLoops, 2);
    EXPECT_EQ(OpenMenuWindows(), 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SkinMenuBarKeyWinTest, BesideABarAltSpaceOpensTheSystemMenuAndADragOntoTheCaptionIconSwitchesToIt) {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 61, "&Open");
    AppendMenuA(file, MF_STRING, 62, "E&xit");
    HMENU edit = CreatePopupMenu();
    AppendMenuA(edit, MF_STRING, 63, "&Cut");
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    const HWND window = MakeKeyWindow(menu);
    CPlymSkinObjectApplicationFrame* frame = ApplicationFrameOf(window);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->HasMenuBar());
    CPlymSkinPopupMenu* bar = frame->GetBarPopup();
    const HMENU system = GetSystemMenu(window, FALSE);

    // The menu open in the run: the innermost popup's, and whether the bar is selected.
    std::vector<std::string> seen;
    const auto observe = [&] {
        CPlymSkinMenuTracker* tracker = bar->m_tracker;
        if (!tracker || tracker->m_buttonDown)
            return false;
        CPlymSkinPopupMenu* innermost = tracker->Innermost();
        const HMENU open = innermost && !innermost->m_menuBar ? innermost->GetMenuHandle() : nullptr;
        seen.push_back(std::string(open == system ? "system"
                                   : open == file ? "file"
                                   : open         ? "?"
                                                  : "none") +
                       (bar->m_selected >= 0 ? " bar selected" : ""));
        return true;
    };

    OnIdle(window, observe, {VK_ESCAPE});
    ASSERT_TRUE(GestureGuarded(window, {Down(VK_MENU), Down(VK_SPACE), Up(VK_SPACE), Up(VK_MENU)}));
    EXPECT_EQ(seen, (std::vector<std::string>{"system", "none"}));
    EXPECT_EQ(GetCapture(), nullptr);

    // Pressed on File (its menu opens) and dragged onto the caption icon:
    // the system menu opens in its place and stays open after the release.
    seen.clear();
    const RECT fileItem = ScreenRect(window, bar->ItemAt(0).m_rect);
    const RECT icon =
        ScreenRect(window, GetPlymSkinManager()->GetSchema()->GetFrameIconRect(frame->GetSkinFrame()));
    OnIdle(window, observe, {VK_ESCAPE});
    ASSERT_TRUE(GestureGuarded(window, {vekgui::MoveTo(CentreX(fileItem), CentreY(fileItem)), vekgui::Press(),
                                        vekgui::MoveTo(CentreX(fileItem) + 2, CentreY(fileItem)),
                                        vekgui::MoveTo(CentreX(icon), CentreY(icon)), vekgui::Release()}));
    EXPECT_EQ(seen, (std::vector<std::string>{"system", "none"}));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(OpenMenuWindows(), 0);
}

TEST_F(SkinMenuBarKeyWinTest, ArrowsPastTheBarsEndsMoveBetweenTheBarAndTheSystemMenu) {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 71, "&Open");
    HMENU view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING, 72, "&Zoom");
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
    const HWND window = MakeKeyWindow(menu);
    CPlymSkinObjectApplicationFrame* frame = ApplicationFrameOf(window);
    ASSERT_NE(frame, nullptr);
    CPlymSkinPopupMenu* bar = frame->GetBarPopup();
    const HMENU system = GetSystemMenu(window, FALSE);

    // Where the selection is (the bar's item or the system menu's) and which menu is open.
    std::vector<std::string> seen;
    OnIdle(window,
           [&] {
               CPlymSkinMenuTracker* tracker = bar->m_tracker;
               CPlymSkinPopupMenu* root = tracker ? tracker->m_root : nullptr;
               if (!root)
                   return false;
               std::string state = (root == bar          ? "bar "
                                    : root->m_systemMenu ? "system "
                                                         : "? ") +
                                   std::to_string(root->m_selected);
               if (root->m_child) {
                   const HMENU open = root->m_child->GetMenuHandle();
                   state += open == system ? " +system" : open == file ? " +file" : " +?";
               }
               seen.push_back(state);
               return true;
           },
           {VK_LEFT, VK_LEFT, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_LEFT, VK_RIGHT});
    ASSERT_TRUE(GestureGuarded(window, {Down(VK_MENU), Up(VK_MENU)}));
    EXPECT_EQ(seen, (std::vector<std::string>{"bar 0", "system 0", "bar 1", "system 0", "bar 0",
                                              "bar 0 +file", "system 0 +system", "bar 0 +file"}));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(OpenMenuWindows(), 0);
}

}  // namespace
