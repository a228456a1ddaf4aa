// winlib/wnd.h
//
// CWnd: one object per window, found from its handle through one map.
//
// The map. A window made by CWnd::CreateEx or CDialog::Create/DoModal is entered
// into the map before its first message: a thread-local creation hook (WH_CBT,
// installed only for the duration of the create call) sees HCBT_CREATEWND,
// checks that the window is the one being made (class and parent), subclasses
// it to our window procedure and enters it. So even WM_GETMINMAXINFO and
// WM_NCCREATE reach the object. Existing windows (dialog items) join the map
// through SubclassWindow / SubclassDlgItem (DDX_Control), which first calls
// PreSubclassWindow. WM_NCDESTROY removes the entry, restores the original
// procedure, clears m_hWnd and, for the application's main window, clears
// CWinApp::m_pMainWnd; then PostNcDestroy runs (an object may delete itself
// there).
//
// The procedure. Every message goes to the object's virtual WindowProc, whose
// default offers it to OnWndMsg (the message map) and otherwise to
// DefWindowProc (the window's original procedure, e.g. the button's or the
// dialog manager's, or ::DefWindowProc). So an override of WindowProc sees
// every message first and the default procedure runs last. No C++ exception
// leaves the window procedure.
//
// Reflection. Before a parent's own map, a control's WM_COMMAND notifications,
// WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM and WM_CTLCOLOR* are offered to the
// control's object (OnChildNotify). The control classes answer WM_DRAWITEM /
// WM_MEASUREITEM with their virtual DrawItem / MeasureItem; others use the
// *_REFLECT map entries. What the control does not take goes to the parent's
// map, then to default processing.
//
// Temporary objects. FromHandle for a window without an object (e.g. a
// GetDlgItem of a control nobody subclassed) returns a wrapper that does not
// own or subclass the window. Such wrappers live until the message loop is next
// idle: do not keep the pointer.
//
// Deliberately not done: tool tips, OLE control containment, docking, command
// routing beyond the window itself, windows on several threads sharing objects
// (an object belongs to the thread that made its window).
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "winlib/cstring.h"
#include "winlib/geometry.h"
#include "winlib/msgmap.h"

class CDC;
class CFont;
class CScrollBar;

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)

  public:
    CWnd();
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }  // NOLINT
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object of `window`: its permanent object, or a temporary wrapper
    // (NULL for a NULL handle).
    static CWnd* FromHandle(HWND window);
    // The permanent object of `window`, or NULL.
    static CWnd* FromHandlePermanent(HWND window);

    // Associates an existing window without subclassing it (no messages reach
    // the object). Detach undoes that.
    BOOL Attach(HWND window);
    HWND Detach();
    // Associates an existing window and routes its messages through the
    // object; PreSubclassWindow runs first.
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // Creation. `className` NULL means our default class (arrow cursor, no
    // background brush). Returns FALSE (and m_hWnd NULL) when the window could
    // not be made.
    BOOL CreateEx(DWORD exStyle,
                  LPCSTR className,
                  LPCSTR windowName,
                  DWORD style,
                  int x,
                  int y,
                  int width,
                  int height,
                  HWND parent,
                  HMENU idOrMenu,
                  LPVOID param = nullptr);
    BOOL CreateEx(DWORD exStyle,
                  LPCSTR className,
                  LPCSTR windowName,
                  DWORD style,
                  const RECT& rect,
                  CWnd* parent,
                  UINT id,
                  LPVOID param = nullptr);
    // A child window (WS_CHILD is added).
    BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    virtual BOOL DestroyWindow();

    // ---- the message path -------------------------------------------------------
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled now.
    LRESULT Default();

    // Offered each queued message before it is dispatched, from the target
    // window up its parents (see CWinApp::PumpMessage). TRUE swallows it.
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A message the parent reflects to this control; TRUE when handled.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void PreSubclassWindow() {}
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual void PostNcDestroy() {}

    // ---- wrappers --------------------------------------------------------------
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

    void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
    int GetWindowText(LPSTR buffer, int size) const { return ::GetWindowTextA(m_hWnd, buffer, size); }
    void GetWindowText(CString& text) const;
    CString GetWindowTextString() const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetDlgItemText(int id, LPCSTR text) { ::SetDlgItemTextA(m_hWnd, id, text); }
    int GetDlgItemText(int id, CString& text) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) {
        ::SetDlgItemInt(m_hWnd, id, value, isSigned);
    }
    UINT GetDlgItemInt(int id, BOOL* ok = nullptr, BOOL isSigned = TRUE) const {
        return ::GetDlgItemInt(m_hWnd, id, ok, isSigned);
    }
    void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }

    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    void GetDlgItem(int id, HWND* window) const { *window = ::GetDlgItem(m_hWnd, id); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
    CWnd* GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }
    CWnd* SetParent(CWnd* parent) {
        return FromHandle(::SetParent(m_hWnd, parent ? parent->m_hWnd : nullptr));
    }
    CWnd* GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
    static CWnd* GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
    static CWnd* FindWindow(LPCSTR className, LPCSTR windowName) {
        return FromHandle(::FindWindowA(className, windowName));
    }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    static CWnd* GetCapture() { return FromHandle(::GetCapture()); }

    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    BOOL IsChild(const CWnd* other) const { return other && ::IsChild(m_hWnd, other->m_hWnd); }
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void MoveWindow(const RECT* rect, BOOL repaint = TRUE) {
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
    }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
    void ClientToScreen(LPRECT r) const;
    void ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
    void ScreenToClient(LPRECT r) const;
    void CenterWindow(CWnd* alternateOwner = nullptr);

    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void InvalidateRgn(HRGN rgn, BOOL erase = TRUE) { ::InvalidateRgn(m_hWnd, rgn, erase); }
    void ValidateRect(const RECT* rect) { ::ValidateRect(m_hWnd, rect); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(const RECT* rect = nullptr,
                      HRGN rgn = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, rect, rgn, flags);
    }
    void SetRedraw(BOOL redraw = TRUE) { ::SendMessageA(m_hWnd, WM_SETREDRAW, redraw, 0); }
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* dc);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendDlgItemMessageA(m_hWnd, id, message, wParam, lParam);
    }
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE);

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) {
        return ::SetTimer(m_hWnd, id, elapse, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

    // Through the message-box hook (winlib/hooks.h). A NULL caption is the
    // application's name.
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;
    HICON SetIcon(HICON icon, BOOL big) {
        return reinterpret_cast<HICON>(
            ::SendMessageA(m_hWnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    HICON GetIcon(BOOL big) const {
        return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, WM_GETICON, big ? ICON_BIG : ICON_SMALL, 0));
    }
    BOOL SetWindowRgn(HRGN rgn, BOOL redraw) { return ::SetWindowRgn(m_hWnd, rgn, redraw); }
    void DragAcceptFiles(BOOL accept = TRUE);
    BOOL OpenClipboard() { return ::OpenClipboard(m_hWnd); }
    void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }

  protected:
    // Default handlers for the ON_WM_* entries: each gives the message its
    // default processing. Override in a class and map the message there.
    int OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
    void OnDestroy() { Default(); }
    void OnNcDestroy() { Default(); }
    void OnClose() { Default(); }
    void OnPaint() { Default(); }
    void OnNcPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
    void OnSize(UINT, int, int) { Default(); }
    void OnMove(int, int) { Default(); }
    void OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    BOOL OnDeviceChange(UINT, DWORD_PTR) { return static_cast<BOOL>(Default()); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnShowWindow(BOOL, UINT) { Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    void OnEnable(BOOL) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }
    void OnRButtonUp(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    BOOL OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
    void OnMouseLeave() { Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
    UINT OnGetDlgCode() { return static_cast<UINT>(Default()); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnKeyUp(UINT, UINT, UINT) { Default(); }
    void OnChar(UINT, UINT, UINT) { Default(); }
    void OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
    void OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
    void OnContextMenu(CWnd*, CPoint) { Default(); }
    LRESULT OnNcHitTest(CPoint) { return Default(); }
    void OnCaptureChanged(CWnd*) { Default(); }
    void OnWindowPosChanged(WINDOWPOS*) { Default(); }
    void OnDropFiles(HDROP) { Default(); }
    HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
    void OnDrawItem(int, LPDRAWITEMSTRUCT) { Default(); }
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT) { Default(); }

    // Offers a reflected message to this object's *_REFLECT map entries.
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    WNDPROC m_pfnSuper = nullptr;  // the window's own procedure, called by DefWindowProc
    bool m_ownsWindow = false;     // made by us: the destructor destroys it

  private:
    friend struct WndAccess;
    bool m_temporary = false;   // a FromHandle wrapper: owns and routes nothing
    bool m_subclassed = false;  // our procedure is installed on the window
};

// A scroll bar control; only its handle is used.
class CScrollBar : public CWnd {};

namespace winlib {

// Frees the temporary window and GDI wrappers (FromHandle). The message loops
// call it when the queue is empty.
void DeleteTempMaps();

// Runs `create` with the creation hook set to enter the first window of class
// `className` (a name or an atom) made on this thread into the map as `wnd`,
// subclassed. The class check skips the helper windows the system makes on
// the thread (IME, OLE). Used by CWnd::CreateEx and CDialog.
HWND CreateHooked(CWnd* wnd, LPCSTR className, HWND (*create)(void* context), void* context);

// The name of the class CWnd::Create uses when none is given.
LPCSTR DefaultWndClass();

}  // namespace winlib

// The message this thread's innermost window procedure call handles (window,
// message, wParam, lParam, as CWnd::Default reads them), with the time and
// point of the last queued message filled in. A layer that routes messages on
// its own (the skin) saves the record, stores its message and puts the saved
// one back.
MSG* AfxGetCurrentMessage();

// Registers (once per distinct set of arguments) a window class with the
// default procedure and returns its name.
LPCSTR AfxRegisterWndClass(UINT classStyle,
                           HCURSOR cursor = nullptr,
                           HBRUSH background = nullptr,
                           HICON icon = nullptr);
