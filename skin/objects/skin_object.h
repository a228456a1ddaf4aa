// skin/objects/skin_object.h
//
// CPlymSkinObject: the base of every skinned window, one object per window
// handle, made by the skin manager's AttachSkinObject (skin_manager.h) from
// its class map. It gets the window's messages by one of two routes and offers
// them to the message map of the derived class, where the frames and control
// skins draw:
//
//   - the subclass route: the framework's window procedure replaces the
//     window's, for windows whose own procedure lies in a system module and
//     for objects that ask for it (force subclass);
//   - the default-procedure route: the window keeps its procedure; when that
//     calls DefWindowProc, DefDlgProc, DefFrameProc, DefMDIChildProc or
//     CallWindowProc, the replaced function (api_hook.h) offers the message to
//     the skin object first (PlymRouteDefProc).
//
// Every routed message pushes a descriptor of the call that would have run
// without the skin (skin/core/def_proc.h); the object's DefWindowProc -- so
// also CWnd::Default in a handler -- calls what the top one names.
//
// Reference counted (CCmdTarget): the window map holds one reference and each
// pushed descriptor one more, so an object detached while one of its messages
// is being handled lives until that message is done; the last release deletes
// it. A skin object answers from its own message map only: the program's own
// window objects reflect control notifications, not the skin.
//
// Messages run in the thread that owns the window. The object lock guards the
// descriptor stack.
#pragma once

#include <windows.h>

#include <string>

#include "skin/core/def_proc.h"
#include "skin/core/plym_sync.h"
#include "winlib/gdi.h"
#include "winlib/wnd.h"

class CPlymSkinManager;
class CPlymSkinManagerSchema;
class CPlymSkinManagerMetrics;
class CPlymSkinManagerClass;

// The messages the framework registers when the program starts.
// A skinned window answers WM_PLYMSKIN_QUERYSTATE (wParam 0, lParam 0) with
// nonzero to switch skinning off for itself; WM_PLYMSKIN_UPDATESTATE makes
// its skin object ask again. WM_PLYMHOOK_SINKREMOVED tells a subclassed
// window that the framework leaves it (wParam: the framework's procedure,
// lParam: the procedure it would put back); nonzero: the window has put its
// procedures in order itself.
extern const UINT WM_PLYMSKIN_UPDATESTATE;
extern const UINT WM_PLYMSKIN_QUERYSTATE;
extern const UINT WM_PLYMHOOK_SINKREMOVED;

class CPlymSkinObject : public CWnd {
    DECLARE_DYNCREATE(CPlymSkinObject)

  public:
    CPlymSkinObject();
    ~CPlymSkinObject() override;

    LONG AddRef() { return InternalAddRef(); }
    // The references left; the object is gone at 0.
    LONG Release() { return InternalRelease(); }

    // ---- what derived skins override -------------------------------------------------
    // The skin changed (enabled before, enabled now): ReloadSkinMetrics here.
    virtual void ApplySkinChange(BOOL previous, BOOL now);
    virtual void ReloadSkinMetrics() {}
    // After AttachToWindow: asks a live window whether it switches skinning
    // off; an object attached later than at creation reloads its metrics.
    virtual void AfterSubclass(const CREATESTRUCTA* create, BOOL automatic);
    virtual void BeforeUnsubclass(BOOL /*destroying*/) {}
    // A message on the subclass route: TRUE when the message map handled it
    // (pass-through messages and default-procedure-only ones are not offered).
    virtual BOOL RouteSubclassMessage(UINT message, WPARAM* wParam, LPARAM* lParam, LRESULT* result);
    // A message on the default-procedure route, likewise;
    // WM_PLYMSKIN_QUERYSTATE is answered 0 here.
    virtual BOOL RouteDefProcMessage(UINT message, WPARAM* wParam, LPARAM* lParam, LRESULT* result);
    // Whether a message of a window on the default-procedure route waits for
    // the default procedure: not WM_TIMER, and never for a window whose own
    // procedure is the system's.
    virtual BOOL IsDefaultProcOnly(UINT message);
    // Messages the skin never sees: WM_SETCURSOR, WM_NOTIFY, WM_COMMAND,
    // WM_ACTIVATE. WM_PLYMSKIN_UPDATESTATE asks the window again here.
    virtual BOOL IsPassThroughMessage(UINT message);

    // ---- window and routes -------------------------------------------------------------
    // Takes `window` on: the subclass route for a window whose procedure lies
    // in a system module or when the object forces it, the default-procedure
    // route otherwise; then AfterSubclass.
    void AttachToWindow(HWND window, const CREATESTRUCTA* create, BOOL automatic);
    // Installs the framework's window procedure (once).
    void SubclassWindow();
    // Leaves the window: the framework's procedure goes, unless the window
    // answers WM_PLYMHOOK_SINKREMOVED with nonzero (not asked when
    // destroying); then BeforeUnsubclass. A window whose procedure is no
    // longer the framework's (someone subclassed it later, or the handle now
    // names another window) is left as it is.
    void Unsubclass(BOOL destroying);

    void PushDefProc(UINT message, int kind, FARPROC procedure, UINT_PTR extra);
    void PopDefProc();
    // The message of the innermost routed call, 0 when none.
    UINT GetCurrentDefProcMessage();
    // What the top descriptor names (the previous procedure when none).
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The window's previous procedure with the message, as if unskinned.
    LRESULT CallDefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message map of this object only.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // ---- the skin it draws with --------------------------------------------------------
    // Its own schema when it has one, else the manager's current one.
    CPlymSkinManagerSchema* GetActiveSchema() const;
    CPlymSkinManagerMetrics* GetSkinMetrics() const;
    // Skin colour n, or the colour manager's without a skin.
    COLORREF GetSkinColor(int n) const;
    BOOL IsSkinActive() const;
    CPlymSkinManagerClass* LookupThemeClass();

    WNDPROC* GetSuperWndProcAddr() { return &m_previousProc; }
    WNDPROC GetPreviousProc() const { return m_previousProc; }
    CPlymSkinManager* GetManager() const { return m_manager; }
    void SetManager(CPlymSkinManager* manager) { m_manager = manager; }
    const std::string& GetThemeClassName() const { return m_themeClassName; }
    BOOL IsWindowsForms() const { return m_windowsForms; }
    void SetWindowsForms(BOOL on) { m_windowsForms = on; }
    BOOL IsSkinningOff() const { return m_skinningOff; }
    BOOL IsUnicodeWindow() const { return m_unicode; }
    BOOL HasSystemProc() const { return m_systemProc; }
    BOOL IsSubclassed() const { return m_subclassed; }
    // Draws with `schema` (the object takes a reference) instead of the
    // manager's; NULL goes back to the manager's.
    void SetOwnSchema(CPlymSkinManagerSchema* schema);

    // The framework's window procedure (the subclass route).
    static LRESULT CALLBACK SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  protected:
    std::string m_themeClassName = "WINDOW";
    BOOL m_forceSubclass = FALSE;

  private:
    LONG_PTR GetWindowProcWord() const;
    void SetWindowProcWord(LONG_PTR proc) const;

    WNDPROC m_previousProc = nullptr;
    CPlymSkinManager* m_manager = nullptr;
    BOOL m_windowsForms = FALSE;
    BOOL m_skinningOff = FALSE;
    BOOL m_unicode = FALSE;
    CPlymCritSec m_lock;
    BOOL m_systemProc = FALSE;
    BOOL m_subclassed = FALSE;
    CPlymSkinManagerSchema* m_ownSchema = nullptr;
    plym::DefProcStack m_calls;
};

// The default-procedure route, shared by the replaced default procedures:
// TRUE when the skin handled the message (then `result` is its result); the
// caller runs `unpatched` otherwise. `kind` names the replaced function
// (skin/core/def_proc.h); `extra` is CallWindowProc's target procedure or
// DefFrameProc's MDI client.
BOOL PlymRouteDefProc(HWND window,
                      FARPROC unpatched,
                      int kind,
                      UINT_PTR extra,
                      UINT message,
                      WPARAM* wParam,
                      LPARAM* lParam,
                      LRESULT* result);

// One entry of the skin manager's class map: the runtime class of the skin
// objects it makes (NULL: windows of its classes are never skinned).
// Reference counted: each window-class name of the entry holds one.
class CPlymSkinObjectClassInfo : public CCmdTarget {
  public:
    explicit CPlymSkinObjectClassInfo(const CRuntimeClass* objectClass) : m_objectClass(objectClass) {}
    // A new skin object for a window of `className`, NULL without a class.
    CPlymSkinObject* CreateObject(const char* className, const CREATESTRUCTA* create) const;
    const CRuntimeClass* GetObjectClass() const { return m_objectClass; }

  private:
    const CRuntimeClass* m_objectClass;
};

// The DC a skin object paints a message on: the DC the message carries in its
// wParam (WM_PRINTCLIENT, a WM_PAINT sent with a DC), else BeginPaint's, ended
// by the destructor. Throws CResourceException when there is no DC.
class CPlymSkinObjectPaintDC : public CDC {
  public:
    explicit CPlymSkinObjectPaintDC(CWnd* window);
    ~CPlymSkinObjectPaintDC() override;
    CPlymSkinObjectPaintDC(const CPlymSkinObjectPaintDC&) = delete;
    CPlymSkinObjectPaintDC& operator=(const CPlymSkinObjectPaintDC&) = delete;

    PAINTSTRUCT m_ps{};  // m_ps.hdc is nonzero only when BeginPaint was used

  private:
    HWND m_window;
};
