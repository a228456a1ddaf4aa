// tests/app/play/play_windows_support.h
//
// What the window tests of the playback side share: a top-level host that
// stands in for the main window (and records the seeks its children post),
// running pending messages, rectangles in a parent's coordinates, and mouse
// clicks injected at the system's input queue.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "app/base/pixel_rect.h"
#include "app/messages.h"
#include "tests/gui/harness/pump.h"
#include "winlib/winlib.h"

namespace play_test {

using vekgui::Pump;
using vekgui::PumpFor;
using vekgui::PumpUntil;

class CTestHost : public CWnd {
  public:
    BOOL Make(int width, int height) {
        return CreateEx(0, nullptr, "Playback host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                        height, nullptr, nullptr);
    }
    struct Seek {
        WPARAM id;
        LPARAM row;
    };
    std::vector<Seek> seeks;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMEBAR_SEEK) {
            seeks.push_back({wParam, lParam});
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// Makes the host `width` x `height` and `page` in it, filling it and shown,
// as the main window makes its pages.
template <class Page, class Config, class Skin>
bool MakePageIn(CTestHost& host, Page& page, Config* config, Skin* skin, int width, int height) {
    if (!host.Make(width, height))
        return false;
    page.SetConfigAndSkin(config, skin);
    if (!page.Create(Page::IDD, &host))
        return false;
    page.MoveWindow(0, 0, width, height);
    page.ShowWindow(SW_SHOW);
    Pump();
    return true;
}

// A window's rectangle in the client coordinates of `parent`.
inline play::PixelRect RectIn(HWND parent, HWND child) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

inline play::PixelRect ClientOf(HWND window) {
    RECT r;
    ::GetClientRect(window, &r);
    return {0, 0, r.right, r.bottom};
}

// A left click at client (x, y) of `window`, through the input queue as a
// user's click arrives (move, press, release).
inline void InjectClick(HWND window, int x, int y) {
    POINT p = {x, y};
    ::ClientToScreen(window, &p);
    const int w = ::GetSystemMetrics(SM_CXSCREEN);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3] = {};
    // The system maps 0..65535 onto the screen truncating: round up so that
    // the pointer lands on the pixel itself.
    for (INPUT& in : input) {
        in.type = INPUT_MOUSE;
        in.mi.dx = static_cast<LONG>((p.x * 65536LL + w - 1) / w);
        in.mi.dy = static_cast<LONG>((p.y * 65536LL + h - 1) / h);
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input[0], sizeof(INPUT));
    // The press goes where the pointer is: let the move arrive first.
    PumpUntil(
        [&] {
            POINT at;
            return ::GetCursorPos(&at) && at.x == p.x && at.y == p.y;
        },
        1000);
    Pump();
    ::SendInput(2, &input[1], sizeof(INPUT));
}

}  // namespace play_test
