// tests/winlib/wnd_test.cpp
//
// Windows and their objects: the handle map from the first message on, the
// message path (WindowProc override first, the map chained to the base
// class, the default procedure last), and the application's main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/gui/harness/pixels.h"
#include "tests/gui/harness/script.h"
#include "winlib/winlib.h"

namespace {

constexpr UINT kMapped = WM_APP + 1;      // handled by the class's own map
constexpr UINT kBaseMapped = WM_APP + 2;  // handled by the base class's map
constexpr UINT kThrows = WM_APP + 3;      // the handler throws

class CBaseProbe : public CWnd {
  protected:
    LRESULT OnBaseMessage(WPARAM wParam, LPARAM) {
        log.push_back("base:" + std::to_string(wParam));
        return 11;
    }

  public:
    std::vector<std::string> log;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseProbe, CWnd)
ON_MESSAGE(kBaseMapped, &CBaseProbe::OnBaseMessage)
END_MESSAGE_MAP()

class CProbeWnd : public CBaseProbe {
  public:
    std::vector<UINT> seen;  // every message, in the order WindowProc saw it
    CString textBeforeDefault;
    CSize lastSize;

    BOOL CreatePopup() { return CreateEx(0, nullptr, "probe", WS_POPUP, 10, 10, 200, 100, nullptr, nullptr); }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        if (message == kMapped)
            log.push_back("proc");
        if (message == WM_SETTEXT)
            textBeforeDefault = GetWindowTextString();
        return CBaseProbe::WindowProc(message, wParam, lParam);
    }
    LRESULT OnMapped(WPARAM, LPARAM) {
        log.push_back("map");
        return 7;
    }
    LRESULT OnThrows(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    afx_msg void OnSize(UINT, int cx, int cy) { lastSize = CSize(cx, cy); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CBaseProbe)
ON_MESSAGE(kMapped, &CProbeWnd::OnMapped)
ON_MESSAGE(kThrows, &CProbeWnd::OnThrows)
ON_WM_SIZE()
END_MESSAGE_MAP()

// Maps every kind of entry; each handler notes its name and arguments.
class CAllEntries : public CWnd {
  public:
    std::vector<std::string> notes;
    BOOL CreatePopup() { return CreateEx(0, nullptr, "all", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr); }

  protected:
    void Note(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        CString text;
        va_list args;
        va_start(args, format);
        text.FormatV(format, args);
        va_end(args);
        notes.push_back(text.str());
    }
    afx_msg void OnTimer(UINT_PTR id) { Note("timer %u", static_cast<unsigned>(id)); }
    afx_msg void OnLButtonDown(UINT flags, CPoint p) { Note("ldown %u %ld,%ld", flags, p.x, p.y); }
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint p) {
        Note("wheel %u %d %ld,%ld", flags, delta, p.x, p.y);
        return TRUE;
    }
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags) { Note("key %u %u %u", key, repeat, flags); }
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
        Note("hscroll %u %u %d", code, pos, bar != nullptr);
    }
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info) { info->ptMinTrackSize = CPoint(1150, 750); }
    afx_msg BOOL OnDeviceChange(UINT event, DWORD_PTR data) {
        Note("device %x %llu", event, static_cast<unsigned long long>(data));
        return TRUE;
    }
    afx_msg void OnSysCommand(UINT id, LPARAM) { Note("syscommand %x", id); }
    afx_msg BOOL OnEraseBkgnd(CDC* dc) {
        Note("erase %d", dc != nullptr);
        return TRUE;
    }
    afx_msg BOOL OnSetCursor(CWnd*, UINT hit, UINT message) {
        Note("cursor %u %x", hit, message);
        return TRUE;
    }
    afx_msg void OnContextMenu(CWnd* wnd, CPoint p) { Note("context %d %ld,%ld", wnd == this, p.x, p.y); }
    afx_msg LRESULT OnNcHitTest(CPoint) { return HTCAPTION; }
    afx_msg UINT OnGetDlgCode() {
        Note("dlgcode");
        return DLGC_WANTARROWS;
    }
    void OnCommandRange(UINT id) { Note("command %u", id); }
    void OnControlRange(UINT id) { Note("control %u", id); }
    void OnNotifyRange(UINT id, NMHDR* header, LRESULT* result) {
        Note("notify %u %d", id, static_cast<int>(header->code));
        *result = 5;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAllEntries, CWnd)
ON_WM_TIMER()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEWHEEL()
ON_WM_KEYDOWN()
ON_WM_HSCROLL()
ON_WM_GETMINMAXINFO()
ON_WM_DEVICECHANGE()
ON_WM_SYSCOMMAND()
ON_WM_ERASEBKGND()
ON_WM_SETCURSOR()
ON_WM_CONTEXTMENU()
ON_WM_NCHITTEST()
ON_WM_GETDLGCODE()
ON_COMMAND_RANGE(200, 210, &CAllEntries::OnCommandRange)
ON_CONTROL_RANGE(EN_CHANGE, 300, 310, &CAllEntries::OnControlRange)
ON_NOTIFY_RANGE(NM_CLICK, 400, 410, &CAllEntries::OnNotifyRange)
END_MESSAGE_MAP()

TEST(WndTest, MapEntriesUnpackTheirArguments) {
    CAllEntries wnd;
    ASSERT_TRUE(wnd.CreatePopup());
    wnd.notes.clear();
    wnd.SendMessage(WM_TIMER, 17);
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, 300));  // signed coordinates
    wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, -120), MAKELPARAM(10, 20));
    wnd.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0x00010003);
    wnd.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 77), 0);
    EXPECT_EQ(wnd.SendMessage(WM_DEVICECHANGE, 0x8004, 1234), TRUE);
    wnd.SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_EQ(wnd.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd.m_hWnd),
                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    wnd.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(wnd.m_hWnd), MAKELPARAM(-1, -1));
    EXPECT_EQ(wnd.SendMessage(WM_NCHITTEST, 0, 0), HTCAPTION);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(205, 0), 0);  // a menu command in the range
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(211, 0), 0);  // outside: nobody
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 10, 10, wnd.m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(305)), nullptr, nullptr);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(305, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
    NMHDR header{wnd.m_hWnd, 401, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 401, reinterpret_cast<LPARAM>(&header)), 5);
    header.code = static_cast<UINT>(NM_DBLCLK);  // another code: nobody
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 401, reinterpret_cast<LPARAM>(&header)), 0);
    HDC dc = ::GetDC(wnd.m_hWnd);
    wnd.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc));
    ::ReleaseDC(wnd.m_hWnd, dc);
    MINMAXINFO info{};
    wnd.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 1150);
    EXPECT_EQ(wnd.notes, (std::vector<std::string>{
                             "timer 17", "ldown 1 -5,300", "wheel 4 -120 10,20", "key 27 3 1",
                             "hscroll 5 77 0", "device 8004 1234", "syscommand f030", "cursor 1 200",
                             "context 1 -1,-1", "command 205", "control 305", "notify 401 -2", "erase 1"}));
}

TEST(WndTest, GetDlgCodeEntryAnswersTheDialogManager) {
    CAllEntries wnd;
    ASSERT_TRUE(wnd.CreatePopup());
    wnd.notes.clear();
    EXPECT_EQ(wnd.SendMessage(WM_GETDLGCODE, VK_LEFT, 0), DLGC_WANTARROWS);
    EXPECT_EQ(wnd.notes, (std::vector<std::string>{"dlgcode"}));
}

// Paints its client area one colour through CPaintDC.
class CPaintedWnd : public CWnd {
  public:
    int paints = 0;

  protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, RGB(0x40, 0x80, 0xC0));
        ++paints;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintedWnd, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(WndTest, PaintHandlerDrawsThroughPaintDC) {
    CPaintedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "painted", WS_POPUP | WS_VISIBLE, 30, 30, 64, 48, nullptr, nullptr));
    const vekgui::Snapshot shot = vekgui::Snapshot::Capture(wnd.m_hWnd);
    ASSERT_TRUE(shot.Valid());
    EXPECT_GT(wnd.paints, 0);
    EXPECT_EQ(shot.Count(CRect(0, 0, 64, 48), RGB(0x40, 0x80, 0xC0)), 64 * 48)
        << vekgui::ColorText(shot.At(10, 10));
    // The update region was validated: no paint is pending.
    EXPECT_FALSE(::GetUpdateRect(wnd.m_hWnd, nullptr, FALSE));
}

void PumpPending() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        CWinApp::PumpMessage(msg);
}

size_t IndexOf(const std::vector<UINT>& seen, UINT message) {
    return static_cast<size_t>(std::find(seen.begin(), seen.end(), message) - seen.begin());
}

TEST(WndTest, ObjectReceivesMessagesFromCreationUntilNcDestroy) {
    CProbeWnd wnd;
    ASSERT_TRUE(wnd.CreatePopup());
    HWND hwnd = wnd.m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &wnd);
    ASSERT_FALSE(wnd.seen.empty());
    // Nothing reaches the window before the object: the first message is one
    // the system sends before or at WM_NCCREATE.
    EXPECT_TRUE(wnd.seen.front() == WM_GETMINMAXINFO || wnd.seen.front() == WM_NCCREATE) << wnd.seen.front();
    EXPECT_LT(IndexOf(wnd.seen, WM_NCCREATE), IndexOf(wnd.seen, WM_CREATE));
    EXPECT_LT(IndexOf(wnd.seen, WM_CREATE), wnd.seen.size());

    wnd.MoveWindow(0, 0, 150, 80);
    EXPECT_EQ(wnd.lastSize, CSize(150, 80));  // ON_WM_SIZE unpacked

    ASSERT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST(WndTest, WindowProcOverrideRunsBeforeTheMapAndTheDefaultLast) {
    CProbeWnd wnd;
    ASSERT_TRUE(wnd.CreatePopup());
    ASSERT_TRUE(wnd.PostMessage(kMapped));
    PumpPending();
    EXPECT_EQ(wnd.log, (std::vector<std::string>{"proc", "map"}));

    EXPECT_EQ(wnd.SendMessage(kMapped), 7);
    EXPECT_EQ(wnd.SendMessage(kBaseMapped, 5), 11);  // the base class's map
    EXPECT_EQ(wnd.log.back(), "base:5");
    EXPECT_EQ(wnd.SendMessage(WM_APP + 9), 0);  // nobody's: the default procedure

    // The default procedure stores the text only after the override has run.
    wnd.SetWindowText("new text");
    EXPECT_STREQ(wnd.textBeforeDefault, "probe");
    EXPECT_STREQ(wnd.GetWindowTextString(), "new text");
}

TEST(WndTest, AnExceptionInAHandlerStaysInTheWindowProcedure) {
    CProbeWnd wnd;
    ASSERT_TRUE(wnd.CreatePopup());
    EXPECT_EQ(wnd.SendMessage(kThrows), 0);
    EXPECT_TRUE(wnd.IsWindow());
    EXPECT_EQ(wnd.SendMessage(kMapped), 7);
}

TEST(WndTest, ForeignWindowsGetTemporaryWrappersAndSubclassingIsUndone) {
    HWND button =
        ::CreateWindowExA(0, "BUTTON", "b", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(button, nullptr);
    CWnd* temp = CWnd::FromHandle(button);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->m_hWnd, button);
    EXPECT_EQ(CWnd::FromHandlePermanent(button), nullptr);
    EXPECT_EQ(CWnd::FromHandle(button), temp);  // one wrapper per handle

    const LONG_PTR original = ::GetWindowLongPtrA(button, GWLP_WNDPROC);
    {
        CProbeWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(button));
        EXPECT_EQ(CWnd::FromHandle(button), &wnd);
        wnd.SendMessage(kMapped);
        EXPECT_EQ(wnd.log, (std::vector<std::string>{"proc", "map"}));
        wnd.SetWindowText("through");  // the button's own procedure still runs
    }
    // The object is gone: the window is the button's again, and still there.
    EXPECT_EQ(::GetWindowLongPtrA(button, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandlePermanent(button), nullptr);
    EXPECT_EQ(vekgui::WindowText(button), "through");
    ::DestroyWindow(button);
}

// Another layer (the skin framework) may subclass a window on top of ours.
WNDPROC gBelowSkin = nullptr;
int gSkinCalls = 0;
LRESULT CALLBACK SkinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMapped)
        ++gSkinCalls;
    return ::CallWindowProcA(gBelowSkin, hwnd, message, wParam, lParam);
}

TEST(WndTest, ASubclassOnTopOfOursKeepsWorkingAfterTheObjectLetsGo) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    {
        CProbeWnd first;
        ASSERT_TRUE(first.SubclassWindow(edit));
        gBelowSkin = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinProc)));
    }
    // The edit box's own procedure still answers through the chain.
    ::SetWindowTextA(edit, "kept");
    EXPECT_EQ(vekgui::WindowText(edit), "kept");
    // A new object takes the old place in the chain: each message once.
    CProbeWnd second;
    ASSERT_TRUE(second.SubclassWindow(edit));
    EXPECT_EQ(::SendMessageA(edit, kMapped, 0, 0), 7);
    EXPECT_EQ(second.log, (std::vector<std::string>{"proc", "map"}));
    EXPECT_EQ(gSkinCalls, 1);
    ::DestroyWindow(edit);
    EXPECT_EQ(second.m_hWnd, nullptr);
}

TEST(WndTest, MainWindowPointerIsClearedWhenItsWindowIsDestroyed) {
    CWinApp app("probe app");
    ASSERT_EQ(AfxGetApp(), &app);
    CProbeWnd wnd;
    ASSERT_TRUE(wnd.CreatePopup());
    app.m_pMainWnd = &wnd;
    EXPECT_EQ(AfxGetMainWnd(), &wnd);
    wnd.DestroyWindow();
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(vekgui::TakeQuitMessage(), -1);  // no loop ran: nothing to end
}

TEST(WndTest, RunEndsWhenTheMainWindowIsDestroyed) {
    CWinApp app("probe app");
    CProbeWnd wnd;
    ASSERT_TRUE(wnd.CreatePopup());
    app.m_pMainWnd = &wnd;
    vekgui::Script script({vekgui::Do([&] { wnd.DestroyWindow(); })});
    EXPECT_EQ(app.Run(), 0);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_FALSE(app.IsRunning());
}

}  // namespace
