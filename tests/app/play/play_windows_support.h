// tests/app/play/play_windows_support.h
//
// What the window tests of the playback side share: a top-level host that
// stands in for the main window (and records the seeks its children post),
// running pending messages, rectangles in a parent's coordinates, and mouse
// clicks injected at the system's input queue.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/base/pixel_rect.h"
#include "app/messages.h"
#include "tests/gui/harness/pump.h"
#include "tests/gui/harness/real_input.h"
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
// user's click arrives (move, press, release), each step once the one before
// took effect: "" or why the click did not happen.
inline std::string InjectClick(vekgui::Hand& hand, HWND window, int x, int y) {
    POINT p = {x, y};
    ::ClientToScreen(window, &p);
    return hand.Run(window, {vekgui::MoveTo(p.x, p.y), vekgui::Press(), vekgui::Release()}, Pump);
}

}  // namespace play_test
