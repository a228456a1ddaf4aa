// skin/objects/skin_object.cpp
#include "skin/objects/skin_object.h"

#include <cstdio>
#include <exception>

#include "skin/core/api_hook.h"
#include "skin/core/color_manager.h"
#include "skin/core/os_version_info.h"
#include "skin/core/skin_manager.h"
#include "skin/core/skin_schema.h"

const UINT WM_PLYMSKIN_UPDATESTATE = RegisterWindowMessageA("WM_PLYMSKIN_UPDATESTATE");
const UINT WM_PLYMSKIN_QUERYSTATE = RegisterWindowMessageA("WM_PLYMSKIN_QUERYSTATE");
const UINT WM_PLYMHOOK_SINKREMOVED = RegisterWindowMessageA("WM_PLYMHOOK_SINKREMOVED");

namespace {

// Marks a window whose procedure chain holds the framework's window
// procedure; the property dies with the window, so a handle that names
// another window by now is never given a dead window's procedure.
constexpr const char* kSubclassProperty = "PlymSkinObjectSubclass";

template <typename Fn>
Fn AsFunction(uintptr_t address) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
}

LRESULT UnpatchedCallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    using Fn = LRESULT(WINAPI*)(WNDPROC, HWND, UINT, WPARAM, LPARAM);
    const auto call =
        AsFunction<Fn>(reinterpret_cast<uintptr_t>(PlymSystemFunction(plym::kHookCallWindowProcA)));
    return call ? call(procedure, window, message, wParam, lParam) : 0;
}

// The system's calls for plym::CallDefProc.
struct Win32DefProcCalls {
    using Result = LRESULT;
    using Window = HWND;
    using WParam = WPARAM;
    using LParam = LPARAM;

    static LRESULT Previous(uintptr_t previous, HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
        return UnpatchedCallWindowProcA(reinterpret_cast<WNDPROC>(previous), window, message, wParam, lParam);
    }
    static LRESULT Chain(uintptr_t procedure,
                         uintptr_t target,
                         HWND window,
                         uint32_t message,
                         WPARAM wParam,
                         LPARAM lParam) {
        using Fn = LRESULT(WINAPI*)(WNDPROC, HWND, UINT, WPARAM, LPARAM);
        return AsFunction<Fn>(procedure)(reinterpret_cast<WNDPROC>(target), window, message, wParam, lParam);
    }
    static LRESULT Plain(uintptr_t procedure, HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
        using Fn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
        return AsFunction<Fn>(procedure)(window, message, wParam, lParam);
    }
    static LRESULT Frame(uintptr_t procedure,
                         HWND window,
                         uintptr_t client,
                         uint32_t message,
                         WPARAM wParam,
                         LPARAM lParam) {
        using Fn = LRESULT(WINAPI*)(HWND, HWND, UINT, WPARAM, LPARAM);
        return AsFunction<Fn>(procedure)(window, reinterpret_cast<HWND>(client), message, wParam, lParam);
    }
};

// Stores a routed message in the thread's current-message record and puts
// the saved record back when it goes.
class CurrentMessageScope {
  public:
    CurrentMessageScope(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
        : m_record(AfxGetCurrentMessage()), m_saved(*m_record) {
        m_record->hwnd = window;
        m_record->message = message;
        m_record->wParam = wParam;
        m_record->lParam = lParam;
    }
    ~CurrentMessageScope() { *m_record = m_saved; }
    CurrentMessageScope(const CurrentMessageScope&) = delete;
    CurrentMessageScope& operator=(const CurrentMessageScope&) = delete;

  private:
    MSG* m_record;
    MSG m_saved;
};

// One pushed descriptor, popped however the routing ends.
class DefProcScope {
  public:
    DefProcScope(CPlymSkinObject* object, UINT message, int kind, FARPROC procedure, UINT_PTR extra)
        : m_object(object) {
        m_object->PushDefProc(message, kind, procedure, extra);
    }
    ~DefProcScope() { m_object->PopDefProc(); }
    DefProcScope(const DefProcScope&) = delete;
    DefProcScope& operator=(const DefProcScope&) = delete;

  private:
    CPlymSkinObject* m_object;
};

// Runs a router; an exception from a handler counts as not handled.
template <typename Route>
BOOL RouteSafely(UINT message, Route route) {
    try {
        return route();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skin: exception in the handler of message 0x%04X: %s\n", message, e.what());
    } catch (...) {
        std::fprintf(stderr, "skin: exception in the handler of message 0x%04X\n", message);
    }
    return FALSE;
}

}  // namespace

IMPLEMENT_DYNCREATE(CPlymSkinObject, CWnd)

CPlymSkinObject::CPlymSkinObject() = default;

CPlymSkinObject::~CPlymSkinObject() {
    SetOwnSchema(nullptr);
    m_hWnd = nullptr;  // the window is not ours: CWnd must not touch it
}

void CPlymSkinObject::ApplySkinChange(BOOL /*previous*/, BOOL /*now*/) {
    ReloadSkinMetrics();
}

void CPlymSkinObject::AfterSubclass(const CREATESTRUCTA* /*create*/, BOOL automatic) {
    m_skinningOff = m_hWnd && ::IsWindow(m_hWnd) && ::SendMessageA(m_hWnd, WM_PLYMSKIN_QUERYSTATE, 0, 0) != 0;
    if (!automatic)
        ReloadSkinMetrics();
}

BOOL CPlymSkinObject::RouteSubclassMessage(UINT message, WPARAM* wParam, LPARAM* lParam, LRESULT* result) {
    if (IsPassThroughMessage(message) || IsDefaultProcOnly(message))
        return FALSE;
    return OnWndMsg(message, *wParam, *lParam, result);
}

BOOL CPlymSkinObject::RouteDefProcMessage(UINT message, WPARAM* wParam, LPARAM* lParam, LRESULT* result) {
    if (IsPassThroughMessage(message))
        return FALSE;
    if (message == WM_PLYMSKIN_QUERYSTATE) {
        *result = 0;
        return TRUE;
    }
    return OnWndMsg(message, *wParam, *lParam, result);
}

BOOL CPlymSkinObject::IsDefaultProcOnly(UINT message) {
    return message != WM_TIMER && !m_systemProc;
}

BOOL CPlymSkinObject::IsPassThroughMessage(UINT message) {
    switch (message) {
        case WM_SETCURSOR:
        case WM_NOTIFY:
        case WM_COMMAND:
        case WM_ACTIVATE:
            return TRUE;
        default:
            break;
    }
    if (message == WM_PLYMSKIN_UPDATESTATE)
        m_skinningOff = ::SendMessageA(m_hWnd, WM_PLYMSKIN_QUERYSTATE, 0, 0) != 0;
    return FALSE;
}

LONG_PTR CPlymSkinObject::GetWindowProcWord() const {
    return m_unicode ? ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) : ::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC);
}

void CPlymSkinObject::SetWindowProcWord(LONG_PTR proc) const {
    if (m_unicode)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, proc);
    else
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, proc);
}

void CPlymSkinObject::AttachToWindow(HWND window, const CREATESTRUCTA* create, BOOL automatic) {
    m_hWnd = window;
    m_unicode = ::IsWindowUnicode(window);
    m_previousProc = reinterpret_cast<WNDPROC>(GetWindowProcWord());
    const auto previous = reinterpret_cast<uintptr_t>(m_previousProc);
    m_systemProc = CPlymSkinManagerApiHook::IsSystemModuleAddress(previous);
    // The Windows 9x family's procedures of the system lie high.
    if (!m_systemProc && GetPlymOSVersionInfo().OnWin9xFamily() && previous >= 0x70000001u &&
        previous != reinterpret_cast<uintptr_t>(&SkinWindowProc))
        m_systemProc = TRUE;
    if (m_systemProc || m_forceSubclass)
        SubclassWindow();
    AfterSubclass(create, automatic);
}

void CPlymSkinObject::SubclassWindow() {
    if (m_subclassed)
        return;
    m_previousProc = reinterpret_cast<WNDPROC>(GetWindowProcWord());
    SetWindowProcWord(reinterpret_cast<LONG_PTR>(&SkinWindowProc));
    ::SetPropA(m_hWnd, kSubclassProperty, reinterpret_cast<HANDLE>(1));
    m_subclassed = TRUE;
}

void CPlymSkinObject::Unsubclass(BOOL destroying) {
    if (m_subclassed) {
        if (::IsWindow(m_hWnd) && ::GetPropA(m_hWnd, kSubclassProperty)) {
            LRESULT answer = 0;
            if (!destroying)
                answer =
                    ::SendMessageA(m_hWnd, WM_PLYMHOOK_SINKREMOVED, reinterpret_cast<WPARAM>(&SkinWindowProc),
                                   reinterpret_cast<LPARAM>(m_previousProc));
            if (destroying || answer == 0)
                SetWindowProcWord(reinterpret_cast<LONG_PTR>(m_previousProc));
            ::RemovePropA(m_hWnd, kSubclassProperty);
        }
        m_subclassed = FALSE;
    }
    BeforeUnsubclass(destroying);
}

void CPlymSkinObject::PushDefProc(UINT message, int kind, FARPROC procedure, UINT_PTR extra) {
    AddRef();
    CPlymScopedLock lock(&m_lock);
    m_calls.Push({kind, reinterpret_cast<uintptr_t>(procedure), extra, message});
}

void CPlymSkinObject::PopDefProc() {
    {
        CPlymScopedLock lock(&m_lock);
        m_calls.Pop();
    }
    Release();
}

UINT CPlymSkinObject::GetCurrentDefProcMessage() {
    CPlymScopedLock lock(&m_lock);
    return m_calls.CurrentMessage();
}

LRESULT CPlymSkinObject::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Only the owning thread pushes and pops.
    const plym::DefProcDescriptor* top = m_calls.Top();
    const plym::DefProcDescriptor call = top ? *top : plym::DefProcDescriptor{};
    return plym::CallDefProc<Win32DefProcCalls>(&call, reinterpret_cast<uintptr_t>(m_previousProc), m_hWnd,
                                                message, wParam, lParam);
}

LRESULT CPlymSkinObject::CallDefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    DefProcScope call(this, message, plym::kDefProcPrevious, nullptr, 0);
    return DefWindowProc(message, wParam, lParam);
}

BOOL CPlymSkinObject::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return DispatchMsg(
            winlib::MsgArgs{winlib::kCtlColorKey, wParam, lParam, 0, message - WM_CTLCOLORMSGBOX}, result);
    if (message == WM_COMMAND)
        return DispatchMsg(
            winlib::MsgArgs{message, wParam, lParam, LOWORD(wParam), lParam ? HIWORD(wParam) : 0u}, result);
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header)
            return FALSE;
        return DispatchMsg(
            winlib::MsgArgs{message, wParam, lParam, static_cast<UINT>(header->idFrom), header->code},
            result);
    }
    return DispatchMsg(winlib::MsgArgs{message, wParam, lParam, 0, 0}, result);
}

CPlymSkinManagerSchema* CPlymSkinObject::GetActiveSchema() const {
    if (m_ownSchema)
        return m_ownSchema;
    return m_manager ? m_manager->GetSchema() : nullptr;
}

CPlymSkinManagerMetrics* CPlymSkinObject::GetSkinMetrics() const {
    CPlymSkinManagerSchema* schema = GetActiveSchema();
    return schema ? schema->GetMetrics() : nullptr;
}

COLORREF CPlymSkinObject::GetSkinColor(int n) const {
    if (const CPlymSkinManagerMetrics* metrics = GetSkinMetrics())
        return metrics->ColorAt(n);
    return GetPlymColorManager()->GetColor(static_cast<uint32_t>(n));
}

BOOL CPlymSkinObject::IsSkinActive() const {
    return !m_skinningOff && m_hWnd && m_manager && m_manager->IsEnabled();
}

CPlymSkinManagerClass* CPlymSkinObject::LookupThemeClass() {
    return m_manager ? m_manager->GetThemeClass(this, m_themeClassName.c_str()) : nullptr;
}

void CPlymSkinObject::SetOwnSchema(CPlymSkinManagerSchema* schema) {
    if (schema)
        schema->AddRef();
    if (m_ownSchema)
        m_ownSchema->Release();
    m_ownSchema = schema;
}

LRESULT CALLBACK CPlymSkinObject::SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CPlymSkinManager* manager = GetPlymSkinManager();
    CPlymSkinObject* object = manager->FindSkinObject(window);
    if (!object)
        return 0;  // only between a detach and the procedure's removal
    const WNDPROC previous = object->m_previousProc;
    if (!manager->IsEnabled()) {
        if (message == WM_NCDESTROY)
            manager->DetachSkinObject(window, TRUE);
        return UnpatchedCallWindowProcA(previous, window, message, wParam, lParam);
    }
    CurrentMessageScope current(window, message, wParam, lParam);
    BOOL handled = FALSE;
    LRESULT result = 0;
    if (message == WM_NCDESTROY) {
        manager->DetachSkinObject(window, TRUE);  // the object may be gone now
    } else if (!object->m_skinningOff || message == WM_PLYMSKIN_UPDATESTATE) {
        DefProcScope call(object, message, plym::kDefProcPrevious, nullptr, 0);
        handled = RouteSafely(
            message, [&] { return object->RouteSubclassMessage(message, &wParam, &lParam, &result); });
    }
    if (!handled)
        result = UnpatchedCallWindowProcA(previous, window, message, wParam, lParam);
    return result;
}

BOOL PlymRouteDefProc(HWND window,
                      FARPROC unpatched,
                      int kind,
                      UINT_PTR extra,
                      UINT message,
                      WPARAM* wParam,
                      LPARAM* lParam,
                      LRESULT* result) {
    CPlymSkinManager* manager = GetPlymSkinManager();
    plym::DefRouteFacts facts;
    facts.enabled = manager->IsEnabled() != FALSE;
    if (!facts.enabled)
        return FALSE;
    CPlymSkinObject* object = manager->FindSkinObject(window);
    facts.hasObject = object != nullptr;
    if (object) {
        facts.skinningOff = object->IsSkinningOff() != FALSE;
        facts.message = message;
        facts.currentDefProcMessage = object->GetCurrentDefProcMessage();
        facts.ncDestroy = message == WM_NCDESTROY;
        facts.subclassed = object->IsSubclassed() != FALSE;
        facts.kind = kind;
        if (kind == plym::kDefProcCallWindowProc) {
            facts.defaultProcOnly = object->IsDefaultProcOnly(message) != FALSE;
            facts.target = extra;
            facts.targetInSystemModule = CPlymSkinManagerApiHook::IsSystemModuleAddress(extra) != FALSE;
            facts.win9x = GetPlymOSVersionInfo().OnWin9xFamily();
        }
    }
    switch (plym::ChooseDefProcRoute(facts)) {
        case plym::DefRoute::kPass:
            return FALSE;
        case plym::DefRoute::kDetachAndPass:
            manager->DetachSkinObject(window, TRUE);
            return FALSE;
        case plym::DefRoute::kRoute:
            break;
    }
    CurrentMessageScope current(window, message, *wParam, *lParam);
    DefProcScope call(object, message, kind, unpatched, extra);
    return RouteSafely(message, [&] { return object->RouteDefProcMessage(message, wParam, lParam, result); });
}

CPlymSkinObject* CPlymSkinObjectClassInfo::CreateObject(const char* /*className*/,
                                                        const CREATESTRUCTA* /*create*/) const {
    if (!m_objectClass || !m_objectClass->IsDerivedFrom(RUNTIME_CLASS(CPlymSkinObject)))
        return nullptr;
    return static_cast<CPlymSkinObject*>(m_objectClass->CreateObject());
}

CPlymSkinObjectPaintDC::CPlymSkinObjectPaintDC(CWnd* window) : m_window(window->m_hWnd) {
    const MSG* current = AfxGetCurrentMessage();
    auto given = reinterpret_cast<HDC>(current->wParam);
    const DWORD type = given && current->hwnd == m_window ? ::GetObjectType(given) : 0;
    HDC dc = nullptr;
    if (type == OBJ_DC || type == OBJ_MEMDC)
        dc = given;
    else
        dc = ::BeginPaint(m_window, &m_ps);
    if (!dc || !Attach(dc)) {
        if (m_ps.hdc)
            ::EndPaint(m_window, &m_ps);
        AfxThrowResourceException();
    }
}

CPlymSkinObjectPaintDC::~CPlymSkinObjectPaintDC() {
    Detach();
    if (m_ps.hdc)
        ::EndPaint(m_window, &m_ps);
}
