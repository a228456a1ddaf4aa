// tests/controls/slider_page.h
//
// The page the sliders' window tests share: a modeless dialog with two
// notifying statics, which keeps what the sliders post to it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "controls/slider_messages.h"
#include "tests/controls/slider_win_test_res.h"
#include "tests/gui/harness/pixels.h"
#include "winlib/winlib.h"

namespace slider_test {

// Lets pending messages run, except mouse input from the shared pointer: the
// tests send the mouse messages they mean, and a real pointer over a
// captured slider would move its thumb.
inline void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
            continue;
        CWinApp::PumpMessage(msg);
    }
    winlib::DeleteTempMaps();
}

struct Posted {
    UINT message = 0;
    WPARAM id = 0;
    LPARAM position = 0;
    bool operator==(const Posted&) const = default;
};

inline void PrintTo(const Posted& p, std::ostream* out) {
    *out << "{0x" << std::hex << p.message << std::dec << ", id " << p.id << ", pos " << p.position << "}";
}

class CSliderPage : public CDialog {
  public:
    CSliderPage() : CDialog(IDD_SLIDERS) {}
    std::vector<Posted> posted;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case controls::WM_SLIDER_MOVING:
            case controls::WM_SLIDER_RELEASED:
            case controls::WM_BMPSLIDER_MOVING:
            case controls::WM_BMPSLIDER_CHANGED:
                posted.push_back({message, wParam, lParam});
                return 0;
            default:
                return CDialog::WindowProc(message, wParam, lParam);
        }
    }
};

class SliderPageTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(page.Create(IDD_SLIDERS));
        page.SetWindowPos(nullptr, 10, 10, 640, 480, SWP_NOZORDER | SWP_SHOWWINDOW);
        Pump();
    }
    void TearDown() override {
        page.DestroyWindow();
        Pump();
    }
    // What the sliders posted since the last call.
    std::vector<Posted> TakePosted() {
        Pump();
        std::vector<Posted> taken;
        taken.swap(page.posted);
        return taken;
    }
    static vekgui::Snapshot Shot(const CWnd& wnd) { return vekgui::Snapshot::Capture(wnd.m_hWnd); }
    static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

    CSliderPage page;
};

}  // namespace slider_test
