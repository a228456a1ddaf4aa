// tests/controls/controls_page.h
//
// The page the controls' window tests share: a modeless dialog holding one of
// each control, bound with DDX_Control as the program's pages bind them, and
// small helpers to let pending messages run and to read pixels.
#pragma once

#include <gtest/gtest.h>

#include "controls/bmp_button.h"
#include "controls/color_static.h"
#include "controls/show_static.h"
#include "controls/skin_list_ctrl.h"
#include "tests/controls/controls_win_test_res.h"
#include "tests/gui/harness/pixels.h"
#include "tests/gui/harness/pump.h"
#include "winlib/winlib.h"

namespace controls_test {

using vekgui::Pump;
using vekgui::PumpFor;
using vekgui::PumpUntil;

class CControlsPage : public CDialog {
  public:
    CControlsPage() : CDialog(IDD_CONTROLS) {}
    CBmpButton button;
    CBmpButton toggle;
    CSkinListCtrl list;
    CColorStatic label;
    CShowStaic picture;

  protected:
    void DoDataExchange(CDataExchange* dx) override {
        CDialog::DoDataExchange(dx);
        DDX_Control(dx, IDC_BUTTON, button);
        DDX_Control(dx, IDC_TOGGLE, toggle);
        DDX_Control(dx, IDC_LIST, list);
        DDX_Control(dx, IDC_LABEL, label);
        DDX_Control(dx, IDC_PICTURE, picture);
    }
};

// A window's rectangle in its parent's client coordinates.
inline CRect RectInParent(HWND window) {
    CRect r;
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class PageTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(page.Create(IDD_CONTROLS));
        page.SetWindowPos(nullptr, 10, 10, 640, 480, SWP_NOZORDER | SWP_SHOWWINDOW);
        Pump();
    }
    void TearDown() override {
        page.DestroyWindow();
        Pump();
    }
    vekgui::Snapshot Shot(CWnd& wnd) { return vekgui::Snapshot::Capture(wnd.m_hWnd); }

    CControlsPage page;
};

}  // namespace controls_test
