// winlib/msgmap.h
//
// Message maps: a static table of handlers per class, chained to the table of
// its base class, and the macros that build it (BEGIN_MESSAGE_MAP, ON_WM_*,
// ON_COMMAND, ON_BN_CLICKED, ON_MESSAGE, ON_NOTIFY, ...), plus CCmdTarget,
// the root of every class that has such a table.
//
// How it works: each entry holds the message (and for WM_COMMAND / WM_NOTIFY
// the notification code and a control id range) and a "thunk", a plain
// function made from a lambda inside the class's own table function. The thunk
// casts the object back to the class, unpacks wParam/lParam and calls the
// handler with the handler's usual signature, so all unpacking lives here in
// one place. A lookup walks the class's entries, then its base's, and so on;
// the first match handles the message.
//
// Handlers are named in the member-pointer form: ON_BN_CLICKED(1021,
// &CDlgMenuCtrl::OnLocal). The ON_WM_* macros take no name and call the
// conventional handler (ON_WM_PAINT -> OnPaint()); CWnd offers each of them
// with default processing, so a class maps only what it overrides.
//
// Reflection: a parent offers a control's WM_COMMAND notification, WM_NOTIFY,
// WM_DRAWITEM, WM_MEASUREITEM and WM_CTLCOLOR* to the control's own object
// first (winlib/wnd.h). The control receives them through the *_REFLECT
// entries below, keyed as kReflectBase + message.
//
// CCmdTarget also carries a reference count (the last InternalRelease calls
// OnFinalRelease, which deletes the object) and runtime class information: a
// class declared with DECLARE_DYNAMIC knows its name and base
// (GetRuntimeClass, IsKindOf), and one declared with DECLARE_DYNCREATE can be
// created from its runtime class or from its name (CRuntimeClass::FromName).
//
// Deliberately not done: command routing through frames and documents, update
// UI handlers, ON_COMMAND_EX, serialisation.
#pragma once

#include <windows.h>

#include <commctrl.h>

// Marks message handlers in class declarations; expands to nothing.
#define afx_msg

class CCmdTarget;
class CWnd;
class CDC;
class CScrollBar;

namespace winlib {

// Reflected messages are looked up under this offset (never posted).
constexpr UINT kReflectBase = 0xBC00;
// All WM_CTLCOLOR* messages are looked up under this one key, with the
// control type (CTLCOLOR_EDIT, ...) as an argument.
constexpr UINT kCtlColorKey = 0x0019;

// What a handler thunk gets: the raw message, plus for WM_COMMAND and WM_NOTIFY
// the control id and the notification code.
struct MsgArgs {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT id;
    UINT code;
};

// Returns true when it handled the message; `result` is the message's result.
using MsgThunk = bool (*)(CCmdTarget* target, const MsgArgs& args, LRESULT& result);

struct MsgMapEntry {
    UINT message;  // 0 ends the table
    UINT code;     // notification code (WM_COMMAND, WM_NOTIFY); ignored otherwise
    UINT idFirst;  // control id range (WM_COMMAND, WM_NOTIFY); ignored otherwise
    UINT idLast;
    MsgThunk thunk;
};

struct MsgMap {
    const MsgMap* (*base)();  // NULL for the root
    const MsgMapEntry* entries;
};

// The first entry of `map` or its bases that matches; NULL when none does.
const MsgMapEntry* FindMsgEntry(const MsgMap* map, UINT message, UINT code, UINT id);

}  // namespace winlib

// A class's name and base, and for creatable classes how to make one.
struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    CCmdTarget* (*m_pfnCreateObject)();           // NULL: not creatable
    const CRuntimeClass* (*m_pfnGetBaseClass)();  // NULL for the root

    // A new object of the class (its owner releases it), NULL when the class
    // cannot be created.
    CCmdTarget* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;

    // The class of that name among the classes linked into the program
    // (IMPLEMENT_DYNAMIC / IMPLEMENT_DYNCREATE), NULL when none is.
    static const CRuntimeClass* FromName(LPCSTR className);
    static CCmdTarget* CreateObject(LPCSTR className);
};

namespace winlib {
// Enters a class into the registry FromName searches (the IMPLEMENT_ macros).
struct RuntimeClassRegistration {
    explicit RuntimeClassRegistration(const CRuntimeClass* runtimeClass);
};
}  // namespace winlib

// Root of the classes with a message map (windows, the application object).
class CCmdTarget {
  public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    static const CRuntimeClass classCCmdTarget;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* runtimeClass) const;

    // The reference count, 1 after construction: for objects that several
    // owners share. Both return the count left; when InternalRelease brings
    // it to 0 it calls OnFinalRelease, which deletes the object.
    LONG InternalAddRef() { return ::InterlockedIncrement(&m_dwRef); }
    LONG InternalRelease();
    LONG GetReferenceCount() const { return m_dwRef; }
    virtual void OnFinalRelease();

    // Looks the message up in this object's map and runs the handler. FALSE
    // when no entry matches (or the handler declined, e.g. a reflected
    // WM_CTLCOLOR that returned no brush).
    BOOL DispatchMsg(const winlib::MsgArgs& args, LRESULT* result);

    // Runs a WM_COMMAND entry (ON_COMMAND, ON_BN_CLICKED, ...) for `id`.
    virtual BOOL OnCmdMsg(UINT id, UINT code);

  protected:
    static const winlib::MsgMap* GetThisMessageMap();
    virtual const winlib::MsgMap* GetMessageMap() const;

    LONG m_dwRef = 1;
};

// ---- runtime classes ----------------------------------------------------------
// clang-format off

#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)

#define DECLARE_DYNAMIC(theClass)                                    \
public:                                                              \
    static const CRuntimeClass class##theClass;                      \
    const CRuntimeClass* GetRuntimeClass() const override;

// Also: static CCmdTarget* CreateObject() (needs a default constructor).
#define DECLARE_DYNCREATE(theClass)                                  \
    DECLARE_DYNAMIC(theClass)                                        \
    static CCmdTarget* CreateObject();

#define WINLIB_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, create)                     \
    const CRuntimeClass theClass::class##theClass = {                                  \
        #theClass, create, []() -> const CRuntimeClass* { return RUNTIME_CLASS(baseClass); }}; \
    const CRuntimeClass* theClass::GetRuntimeClass() const { return RUNTIME_CLASS(theClass); } \
    static const ::winlib::RuntimeClassRegistration winlibRegistration##theClass(RUNTIME_CLASS(theClass));

#define IMPLEMENT_DYNAMIC(theClass, baseClass) WINLIB_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, nullptr)

#define IMPLEMENT_DYNCREATE(theClass, baseClass)                                       \
    CCmdTarget* theClass::CreateObject() { return new theClass; }                      \
    WINLIB_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, &theClass::CreateObject)

// clang-format on

// ---- declaring and defining a map ---------------------------------------------
// clang-format off

#define DECLARE_MESSAGE_MAP()                               \
protected:                                                  \
    static const ::winlib::MsgMap* GetThisMessageMap();     \
    const ::winlib::MsgMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                              \
    const ::winlib::MsgMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const ::winlib::MsgMap* theClass::GetThisMessageMap() {                                 \
        using ThisClass [[maybe_unused]] = theClass;                                        \
        using TheBaseClass = baseClass;                                                     \
        static const ::winlib::MsgMapEntry kEntries[] = {

#define END_MESSAGE_MAP()                                                                   \
        {0, 0, 0, 0, nullptr}};                                                             \
        static const ::winlib::MsgMap kMap = {&TheBaseClass::GetThisMessageMap, kEntries};  \
        return &kMap;                                                                       \
    }

// One entry: message, code, id range and the handler body, which sees `self`
// (the object as ThisClass*), `a` (winlib::MsgArgs) and `r` (LRESULT&).
#define WINLIB_ENTRY(msg, code, id1, id2, body)                                        \
    {static_cast<UINT>(msg), static_cast<UINT>(code), static_cast<UINT>(id1),          \
     static_cast<UINT>(id2),                                                           \
     [](CCmdTarget* target, const ::winlib::MsgArgs& a, LRESULT& r) -> bool {          \
         ThisClass* self = static_cast<ThisClass*>(target);                            \
         (void)self; (void)a; (void)r;                                                 \
         body                                                                          \
     }},

// Unpacking helpers for the entries below.
#define WINLIB_PT(lp) CPoint(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)))
#define WINLIB_WND(x) CWnd::FromHandle(reinterpret_cast<HWND>(x))
#define WINLIB_DC(x) CDC::FromHandle(reinterpret_cast<HDC>(x))
#define WINLIB_NMHDR(x) reinterpret_cast<NMHDR*>(x)
// An entry whose handler takes no result: call, and report the message handled.
#define WINLIB_CALL(msg, call) WINLIB_ENTRY(msg, 0, 0, 0, self->call; return true;)
// An entry whose handler's value is the message's result.
#define WINLIB_RESULT(msg, call) \
    WINLIB_ENTRY(msg, 0, 0, 0, r = static_cast<LRESULT>(self->call); return true;)

// ---- commands and control notifications ----------------------------------------

// void f()
#define ON_COMMAND(id, fn) WINLIB_ENTRY(WM_COMMAND, 0, id, id, (self->*(fn))(); return true;)
// void f(UINT id)
#define ON_COMMAND_RANGE(id1, id2, fn) \
    WINLIB_ENTRY(WM_COMMAND, 0, id1, id2, (self->*(fn))(a.id); return true;)
// void f()
#define ON_CONTROL(code, id, fn) WINLIB_ENTRY(WM_COMMAND, code, id, id, (self->*(fn))(); return true;)
// void f(UINT id)
#define ON_CONTROL_RANGE(code, id1, id2, fn) \
    WINLIB_ENTRY(WM_COMMAND, code, id1, id2, (self->*(fn))(a.id); return true;)
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_DROPDOWN(id, fn) ON_CONTROL(CBN_DROPDOWN, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_STN_CLICKED(id, fn) ON_CONTROL(STN_CLICKED, id, fn)
#define ON_STN_DBLCLK(id, fn) ON_CONTROL(STN_DBLCLK, id, fn)
// void f(NMHDR* header, LRESULT* result)
#define ON_NOTIFY(code, id, fn) \
    WINLIB_ENTRY(WM_NOTIFY, code, id, id, (self->*(fn))(WINLIB_NMHDR(a.lParam), &r); return true;)
// void f(UINT id, NMHDR* header, LRESULT* result)
#define ON_NOTIFY_RANGE(code, id1, id2, fn) \
    WINLIB_ENTRY(WM_NOTIFY, code, id1, id2, (self->*(fn))(a.id, WINLIB_NMHDR(a.lParam), &r); return true;)

// LRESULT f(WPARAM, LPARAM)
#define ON_MESSAGE(msg, fn) WINLIB_ENTRY(msg, 0, 0, 0, r = (self->*(fn))(a.wParam, a.lParam); return true;)

// ---- reflected to the control's own object ---------------------------------------

// void f()  (a WM_COMMAND notification the control sent to its parent)
#define ON_CONTROL_REFLECT(code, fn) \
    WINLIB_ENTRY(::winlib::kReflectBase + WM_COMMAND, code, 0, 0xFFFF, (self->*(fn))(); return true;)
#define ON_BN_CLICKED_REFLECT(fn) ON_CONTROL_REFLECT(BN_CLICKED, fn)
// void f(NMHDR* header, LRESULT* result)
#define ON_NOTIFY_REFLECT(code, fn)                                          \
    WINLIB_ENTRY(::winlib::kReflectBase + WM_NOTIFY, code, 0, 0xFFFFFFFF,    \
                 (self->*(fn))(WINLIB_NMHDR(a.lParam), &r); return true;)
// HBRUSH CtlColor(CDC* dc, UINT ctlType); a NULL brush leaves the parent to answer.
#define ON_WM_CTLCOLOR_REFLECT()                                                          \
    WINLIB_ENTRY(::winlib::kReflectBase + ::winlib::kCtlColorKey, 0, 0, 0,                 \
                 HBRUSH brush = self->CtlColor(WINLIB_DC(a.wParam), a.code);              \
                 r = reinterpret_cast<LRESULT>(brush); return brush != nullptr;)
// void DrawItem(LPDRAWITEMSTRUCT) / void MeasureItem(LPMEASUREITEMSTRUCT) are
// virtual in the control classes and reached without a map entry.

// ---- window messages with their conventional handlers ------------------------------

#define ON_WM_CREATE() WINLIB_RESULT(WM_CREATE, OnCreate(reinterpret_cast<LPCREATESTRUCTA>(a.lParam)))
#define ON_WM_DESTROY() WINLIB_CALL(WM_DESTROY, OnDestroy())
#define ON_WM_NCDESTROY() WINLIB_CALL(WM_NCDESTROY, OnNcDestroy())
#define ON_WM_CLOSE() WINLIB_CALL(WM_CLOSE, OnClose())
#define ON_WM_PAINT() WINLIB_CALL(WM_PAINT, OnPaint())
#define ON_WM_NCPAINT() WINLIB_CALL(WM_NCPAINT, OnNcPaint())
#define ON_WM_ERASEBKGND() WINLIB_RESULT(WM_ERASEBKGND, OnEraseBkgnd(WINLIB_DC(a.wParam)))
#define ON_WM_SIZE() \
    WINLIB_CALL(WM_SIZE, OnSize(static_cast<UINT>(a.wParam), LOWORD(a.lParam), HIWORD(a.lParam)))
#define ON_WM_MOVE() \
    WINLIB_CALL(WM_MOVE, OnMove(static_cast<short>(LOWORD(a.lParam)), static_cast<short>(HIWORD(a.lParam))))
#define ON_WM_GETMINMAXINFO() \
    WINLIB_CALL(WM_GETMINMAXINFO, OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(a.lParam)))
#define ON_WM_SYSCOMMAND() WINLIB_CALL(WM_SYSCOMMAND, OnSysCommand(static_cast<UINT>(a.wParam), a.lParam))
#define ON_WM_QUERYDRAGICON()                                                              \
    WINLIB_ENTRY(WM_QUERYDRAGICON, 0, 0, 0,                                               \
                 r = reinterpret_cast<LRESULT>(self->OnQueryDragIcon()); return true;)
#define ON_WM_DEVICECHANGE()                                                          \
    WINLIB_RESULT(WM_DEVICECHANGE,                                                   \
                  OnDeviceChange(static_cast<UINT>(a.wParam), static_cast<DWORD_PTR>(a.lParam)))
#define ON_WM_TIMER() WINLIB_CALL(WM_TIMER, OnTimer(static_cast<UINT_PTR>(a.wParam)))
#define ON_WM_SHOWWINDOW() \
    WINLIB_CALL(WM_SHOWWINDOW, OnShowWindow(static_cast<BOOL>(a.wParam), static_cast<UINT>(a.lParam)))
#define ON_WM_SETFOCUS() WINLIB_CALL(WM_SETFOCUS, OnSetFocus(WINLIB_WND(a.wParam)))
#define ON_WM_KILLFOCUS() WINLIB_CALL(WM_KILLFOCUS, OnKillFocus(WINLIB_WND(a.wParam)))
#define ON_WM_ENABLE() WINLIB_CALL(WM_ENABLE, OnEnable(static_cast<BOOL>(a.wParam)))
#define WINLIB_MOUSE(msg, fn) WINLIB_CALL(msg, fn(static_cast<UINT>(a.wParam), WINLIB_PT(a.lParam)))
#define ON_WM_LBUTTONDOWN() WINLIB_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() WINLIB_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() WINLIB_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() WINLIB_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() WINLIB_MOUSE(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MOUSEMOVE() WINLIB_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_MOUSEWHEEL()                                                                   \
    WINLIB_RESULT(WM_MOUSEWHEEL, OnMouseWheel(LOWORD(a.wParam), static_cast<short>(HIWORD(a.wParam)), \
                                              WINLIB_PT(a.lParam)))
#define ON_WM_MOUSELEAVE() WINLIB_CALL(WM_MOUSELEAVE, OnMouseLeave())
#define ON_WM_SETCURSOR() \
    WINLIB_RESULT(WM_SETCURSOR, OnSetCursor(WINLIB_WND(a.wParam), LOWORD(a.lParam), HIWORD(a.lParam)))
// UINT OnGetDlgCode(): the DLGC_* keys the control wants from the dialog manager.
#define ON_WM_GETDLGCODE() WINLIB_RESULT(WM_GETDLGCODE, OnGetDlgCode())
#define WINLIB_KEY(msg, fn) \
    WINLIB_CALL(msg, fn(static_cast<UINT>(a.wParam), LOWORD(a.lParam), HIWORD(a.lParam)))
#define ON_WM_KEYDOWN() WINLIB_KEY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() WINLIB_KEY(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() WINLIB_KEY(WM_CHAR, OnChar)
#define WINLIB_SCROLL(msg, fn)                                       \
    WINLIB_CALL(msg, fn(LOWORD(a.wParam), HIWORD(a.wParam),         \
                        reinterpret_cast<CScrollBar*>(WINLIB_WND(a.lParam))))
#define ON_WM_HSCROLL() WINLIB_SCROLL(WM_HSCROLL, OnHScroll)
#define ON_WM_VSCROLL() WINLIB_SCROLL(WM_VSCROLL, OnVScroll)
#define ON_WM_CONTEXTMENU() \
    WINLIB_CALL(WM_CONTEXTMENU, OnContextMenu(WINLIB_WND(a.wParam), WINLIB_PT(a.lParam)))
#define ON_WM_NCHITTEST() WINLIB_RESULT(WM_NCHITTEST, OnNcHitTest(WINLIB_PT(a.lParam)))
#define ON_WM_CAPTURECHANGED() WINLIB_CALL(WM_CAPTURECHANGED, OnCaptureChanged(WINLIB_WND(a.lParam)))
#define ON_WM_WINDOWPOSCHANGED() \
    WINLIB_CALL(WM_WINDOWPOSCHANGED, OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(a.lParam)))
#define ON_WM_DROPFILES() WINLIB_CALL(WM_DROPFILES, OnDropFiles(reinterpret_cast<HDROP>(a.wParam)))
// HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlType), for every WM_CTLCOLOR*.
#define ON_WM_CTLCOLOR()                                                                          \
    WINLIB_ENTRY(::winlib::kCtlColorKey, 0, 0, 0,                                                 \
                 r = reinterpret_cast<LRESULT>(                                                   \
                     self->OnCtlColor(WINLIB_DC(a.wParam), WINLIB_WND(a.lParam), a.code));        \
                 return true;)
// void OnDrawItem(int id, LPDRAWITEMSTRUCT) / void OnMeasureItem(int id, LPMEASUREITEMSTRUCT):
// only what the control's own object did not handle reaches these.
#define ON_WM_DRAWITEM()                                                                          \
    WINLIB_ENTRY(WM_DRAWITEM, 0, 0, 0,                                                            \
                 self->OnDrawItem(static_cast<int>(a.wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(a.lParam)); \
                 r = TRUE; return true;)
#define ON_WM_MEASUREITEM()                                                                       \
    WINLIB_ENTRY(WM_MEASUREITEM, 0, 0, 0,                                                         \
                 self->OnMeasureItem(static_cast<int>(a.wParam),                                  \
                                     reinterpret_cast<LPMEASUREITEMSTRUCT>(a.lParam));            \
                 r = TRUE; return true;)
// clang-format on
