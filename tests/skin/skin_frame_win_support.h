// tests/skin/skin_frame_win_support.h
//
// What the Wine tests of the skinned frames and menus share: the state-coded
// skin opened by the skin manager in this process, top-level test windows
// whose procedure records the system commands, scroll notifications and menu
// commands it gets, their non-client area printed into a canvas
// (WM_PRINT with PRF_NONCLIENT), and the mouse driven through the input queue.
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
        PumpFor(50);
    }

    HWND MakeWindow(DWORD style,
                    DWORD exStyle,
                    HMENU menu = nullptr,
                    int width = kWidth,
                    int height = kHeight) {
        const HWND window = CreateWindowExA(exStyle, "SkinFrameTestWindow", "Frame", style, kLeft, kTop,
                                            width, height, nullptr, menu, GetModuleHandleA(nullptr), nullptr);
        windows_.push_back(window);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        UpdateWindow(window);
        PumpFor(100);
        return window;
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

    static void Input(DWORD flags, int x, int y) {
        const int w = GetSystemMetrics(SM_CXSCREEN);
        const int h = GetSystemMetrics(SM_CYSCREEN);
        INPUT input{};
        input.type = INPUT_MOUSE;
        // The system maps 0..65535 onto the screen truncating: round up.
        input.mi.dx = static_cast<LONG>((x * 65536LL + w - 1) / w);
        input.mi.dy = static_cast<LONG>((y * 65536LL + h - 1) / h);
        input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &input, sizeof input);
    }
    // A key pressed or released through the input queue.
    static void KeyInput(WORD key, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
    }
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
    void MoveMouse(int x, int y) {
        Input(MOUSEEVENTF_MOVE, x, y);
        last_ = {x, y};
    }
    void Press() { Input(MOUSEEVENTF_LEFTDOWN, last_.x, last_.y); }
    void Release() { Input(MOUSEEVENTF_LEFTUP, last_.x, last_.y); }
    void RightPress() { Input(MOUSEEVENTF_RIGHTDOWN, last_.x, last_.y); }
    void RightRelease() { Input(MOUSEEVENTF_RIGHTUP, last_.x, last_.y); }

    // Input a user gives over time: each step from another thread, 80 ms
    // apart, while this thread pumps (and runs the frames' modal loops).
    void Gesture(const std::vector<std::function<void()>>& steps) {
        std::thread user([&steps] {
            for (const auto& step : steps) {
                step();
                Sleep(80);
            }
        });
        PumpFor(static_cast<DWORD>(steps.size()) * 80 + 400);
        user.join();
    }

    static void PumpFor(DWORD ms) {
        const DWORD end = GetTickCount() + ms;
        MSG msg;
        do {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            Sleep(10);
        } while (static_cast<LONG>(end - GetTickCount()) > 0);
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
    POINT last_{0, 0};
};
