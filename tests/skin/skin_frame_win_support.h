// tests/skin/skin_frame_win_support.h
//
// What the Wine tests of the skinned frames and menus share: the state-coded
// skin opened by the skin manager in this process, top-level test windows
// whose procedure records the system commands, scroll notifications and menu
// commands it gets, their non-client area printed into a canvas
// (WM_PRINT with PRF_NONCLIENT), and the mouse and the keys driven through the
// input queue, each step once the one before took effect.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "skin/core/skin_manager.h"
#include "skin/objects/skin_object_classes.h"
#include "skin/objects/skin_popup_menu.h"
#include "tests/gui/harness/real_input.h"
#include "tests/skin/win_skin_support.h"

struct Scroll {
    int code;
    int position;
};

class SkinFrameWinTest : public testing::Test {
  protected:
    static constexpr int kLeft = 60;
    static constexpr int kTop = 60;
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    // The apply options the skin is opened with.
    virtual DWORD Options() const { return 7; }

    void SetUp() override {
        State() = Recorded{};
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SkinFrameTestWindow";
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassA(&wc);
        CPlymSkinManager* manager = GetPlymSkinManager();
        manager->SetHookedGroups(Options());
        ASSERT_TRUE(manager->OpenSkin(VEK_STATE_CODED_SKIN_MODULE, "NormalBlack.ini"));
    }
    void TearDown() override {
        for (HWND window : windows_) {
            if (IsWindow(window))
                DestroyWindow(window);
        }
        PumpPending();
    }

    HWND MakeWindow(DWORD style,
                    DWORD exStyle,
                    HMENU menu = nullptr,
                    int width = kWidth,
                    int height = kHeight) {
        const HWND window = CreateWindowExA(exStyle, "SkinFrameTestWindow", "Frame", style, kLeft, kTop,
                                            width, height, nullptr, menu, GetModuleHandleA(nullptr), nullptr);
        windows_.push_back(window);
        Show(window);
        return window;
    }
    // Shows a top-level window and brings it in front.
    static void Show(HWND window) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        UpdateWindow(window);
        if (!PumpUntil([window] { return IsWindowVisible(window) && GetForegroundWindow() == window; }))
            ADD_FAILURE() << "the window is not shown in front";
    }

    static CPlymSkinObjectFrame* FrameOf(HWND window) {
        CPlymSkinObject* object = GetPlymSkinManager()->FindSkinObject(window);
        return object && object->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectFrame))
                   ? static_cast<CPlymSkinObjectFrame*>(object)
                   : nullptr;
    }

    // The window's non-client area as the frame prints it.
    static std::unique_ptr<skintest::Canvas> Print(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        auto canvas = std::make_unique<skintest::Canvas>(r.right - r.left, r.bottom - r.top, RGB(1, 1, 1));
        SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(canvas->Dc()), PRF_NONCLIENT);
        return canvas;
    }

    // A rectangle in window coordinates on the screen.
    static RECT ScreenRect(HWND window, const RECT& inWindow) {
        RECT w{};
        GetWindowRect(window, &w);
        RECT r = inWindow;
        OffsetRect(&r, w.left, w.top);
        return r;
    }
    static int CentreX(const RECT& r) { return (r.left + r.right) / 2; }
    static int CentreY(const RECT& r) { return (r.top + r.bottom) / 2; }

    static void PostKey(HWND window, UINT key) { PostMessageA(window, WM_KEYDOWN, key, 0); }
    // The skin's menu windows this thread shows.
    static int OpenMenuWindows() {
        int count = 0;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM counter) -> BOOL {
                char name[64] = {};
                GetClassNameA(window, name, sizeof name);
                if (lstrcmpA(name, CPlymSkinPopupMenu::kClassName) == 0 && IsWindowVisible(window))
                    ++*reinterpret_cast<int*>(counter);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&count));
        return count;
    }
    // Input a user gives over time, for `window` (the one its first press is
    // on): each step from another thread once the one before took effect,
    // while this thread pumps (and runs the frames' modal loops).
    testing::AssertionResult Gesture(HWND window, const std::vector<vekgui::InputStep>& steps) {
        const std::string failed = hand_.Run(window, steps, &PumpPending);
        if (failed.empty())
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << failed;
    }

    // Runs this thread's pending messages.
    static void PumpPending() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // False when `done` still does not hold after `ms`.
    template <class Condition>
    static bool PumpUntil(Condition done, DWORD ms = 10000) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > ms)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            PumpPending();
        }
        return true;
    }

    static std::vector<UINT> Commands() { return State().commands; }
    static std::vector<Scroll> Scrolls() { return State().scrolls; }

    // Saves a canvas as a 32-bit BMP under the build's screenshots folder.
    static bool SaveScreenshot(const skintest::Canvas& canvas,
                               int width,
                               int height,
                               const std::string& name) {
        CreateDirectoryA(VEK_SCREENSHOT_DIR, nullptr);
        const std::string path = std::string(VEK_SCREENSHOT_DIR) + "/" + name;
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF c = canvas.At(x, height - 1 - y);
                pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                    static_cast<uint32_t>(GetBValue(c)) | static_cast<uint32_t>(GetGValue(c)) << 8 |
                    static_cast<uint32_t>(GetRValue(c)) << 16;
            }
        }
        BITMAPINFOHEADER info{sizeof info, width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        const DWORD bytes = static_cast<DWORD>(pixels.size() * 4);
        BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof file + sizeof info + bytes), 0, 0,
                              static_cast<DWORD>(sizeof file + sizeof info)};
        FILE* out = std::fopen(path.c_str(), "wb");
        if (!out)
            return false;
        bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                  std::fwrite(&info, sizeof info, 1, out) == 1 &&
                  std::fwrite(pixels.data(), 4, pixels.size(), out) == pixels.size();
        ok = std::fclose(out) == 0 && ok;
        return ok;
    }

    struct Recorded {
        std::vector<UINT> commands;  // WM_SYSCOMMAND (masked) and WM_COMMAND ids + 0x10000
        std::vector<Scroll> scrolls;
        std::vector<UINT> selected;  // WM_MENUSELECT: the id or index
        // Run at each WM_ENTERIDLE of a menu with the menu window, in turn.
        std::vector<std::function<void(HWND)>> idleSteps;
        size_t idleCount = 0;
    };
    static Recorded& State() {
        static Recorded recorded;
        return recorded;
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_SYSCOMMAND: {
                const UINT command = static_cast<UINT>(wParam) & 0xFFF0;
                if (command == SC_CLOSE || command == SC_MINIMIZE || command == SC_MAXIMIZE ||
                    command == SC_RESTORE) {
                    State().commands.push_back(command);
                    return 0;
                }
                break;
            }
            case WM_COMMAND:
                State().commands.push_back(0x10000 | LOWORD(wParam));
                return 0;
            case WM_MENUSELECT:
                if (HIWORD(wParam) != 0xFFFF)
                    State().selected.push_back(LOWORD(wParam));
                return 0;
            case WM_ENTERIDLE:
                if (wParam == MSGF_MENU) {
                    Recorded& state = State();
                    const size_t step = state.idleCount++;
                    if (step < state.idleSteps.size())
                        state.idleSteps[step](reinterpret_cast<HWND>(lParam));
                }
                return 0;
            case WM_VSCROLL:
            case WM_HSCROLL:
                State().scrolls.push_back({LOWORD(wParam), static_cast<short>(HIWORD(wParam))});
                return 0;
            default:
                break;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    std::vector<HWND> windows_;
    vekgui::Hand hand_;
};
