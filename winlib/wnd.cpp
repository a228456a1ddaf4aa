// winlib/wnd.cpp
#include "winlib/wnd.h"

#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "winlib/app.h"
#include "winlib/gdi.h"
#include "winlib/hooks.h"
#include "winlib/thread_state.h"

// Grants the layer's own functions access to CWnd's private flags.
struct WndAccess {
    static void SetTemporary(CWnd* w) { w->m_temporary = true; }
    static bool Subclassed(const CWnd* w) { return w->m_subclassed; }
    static void SetSubclassed(CWnd* w, bool on) { w->m_subclassed = on; }
    static void SetSuper(CWnd* w, WNDPROC proc) { w->m_pfnSuper = proc; }
    static WNDPROC Super(const CWnd* w) { return w->m_pfnSuper; }
    static void SetOwns(CWnd* w, bool on) { w->m_ownsWindow = on; }
};

namespace winlib::detail {

CurrentMessage& Current() {
    thread_local CurrentMessage current;
    return current;
}

}  // namespace winlib::detail

MSG* AfxGetCurrentMessage() {
    MSG* current = &winlib::detail::Current();
    current->time = static_cast<DWORD>(::GetMessageTime());
    const DWORD position = ::GetMessagePos();
    current->pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    return current;
}

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {

LRESULT CALLBACK WinlibWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The one handle-to-object map. Windows belong to the thread that made them,
// but other threads may look objects up, hence the lock.
std::mutex gMapLock;
std::unordered_map<HWND, CWnd*>& PermanentMap() {
    static auto* map = new std::unordered_map<HWND, CWnd*>();  // never destroyed: windows may outlive statics
    return *map;
}

// Temporary wrappers of this thread, one per handle.
std::unordered_map<HWND, std::unique_ptr<CWnd>>& TempMap() {
    thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>> map;
    return map;
}

// Windows whose object let go while someone else had subclassed them on top of
// our procedure (a skin layer, say): our procedure stays in their chain, so it
// passes their messages on to the window's own procedure from here.
std::unordered_map<HWND, WNDPROC>& Orphans() {
    static auto* map = new std::unordered_map<HWND, WNDPROC>();
    return *map;
}

bool AddPermanent(HWND hwnd, CWnd* wnd) {
    std::lock_guard<std::mutex> lock(gMapLock);
    return PermanentMap().emplace(hwnd, wnd).second;
}

void RemovePermanent(HWND hwnd, CWnd* wnd) {
    std::lock_guard<std::mutex> lock(gMapLock);
    auto it = PermanentMap().find(hwnd);
    if (it != PermanentMap().end() && it->second == wnd)
        PermanentMap().erase(it);
}

WNDPROC CurrentProc(HWND hwnd) {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
}

// Routes the window's messages through WinlibWndProc, keeping its own procedure.
void InstallProc(CWnd* wnd, HWND hwnd) {
    {
        // Our procedure is still in the window's chain: route it there again.
        std::lock_guard<std::mutex> lock(gMapLock);
        auto it = Orphans().find(hwnd);
        if (it != Orphans().end()) {
            WndAccess::SetSuper(wnd, it->second);
            WndAccess::SetSubclassed(wnd, true);
            Orphans().erase(it);
            return;
        }
    }
    const auto old = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WinlibWndProc)));
    WndAccess::SetSuper(wnd, old != &WinlibWndProc ? old : nullptr);
    WndAccess::SetSubclassed(wnd, true);
}

// The window is gone (WM_NCDESTROY has been handled): forget it.
void FinalNcDestroy(CWnd* wnd, HWND hwnd) {
    if (WndAccess::Subclassed(wnd) && CurrentProc(hwnd) == &WinlibWndProc && WndAccess::Super(wnd))
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WndAccess::Super(wnd)));
    RemovePermanent(hwnd, wnd);
    wnd->m_hWnd = nullptr;
    WndAccess::SetSuper(wnd, nullptr);
    WndAccess::SetSubclassed(wnd, false);
    WndAccess::SetOwns(wnd, false);
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == wnd) {
        app->m_pMainWnd = nullptr;
        if (app->IsRunning())
            ::PostQuitMessage(0);
    }
    wnd->PostNcDestroy();
}

LRESULT CALLBACK WinlibWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd) {
        WNDPROC original = nullptr;
        {
            std::lock_guard<std::mutex> lock(gMapLock);
            auto it = Orphans().find(hwnd);
            if (it != Orphans().end()) {
                original = it->second;
                if (message == WM_NCDESTROY)
                    Orphans().erase(it);
            }
        }
        return original ? ::CallWindowProcA(original, hwnd, message, wParam, lParam)
                        : ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    auto& current = winlib::detail::Current();
    const winlib::detail::CurrentMessage saved = current;
    current.hwnd = hwnd;
    current.message = message;
    current.wParam = wParam;
    current.lParam = lParam;
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "winlib: exception in the handler of message 0x%04X: %s\n", message, e.what());
    } catch (...) {
        std::fprintf(stderr, "winlib: exception in the handler of message 0x%04X\n", message);
    }
    current = saved;
    if (message == WM_NCDESTROY)
        FinalNcDestroy(wnd, hwnd);
    return result;
}

// ---- creation hook ------------------------------------------------------------------

struct PendingCreate {
    CWnd* wnd;
    LPCSTR className;
    bool done;
};

thread_local PendingCreate* tPending = nullptr;
thread_local HHOOK tCbtHook = nullptr;

bool ClassMatches(HWND hwnd, LPCSTR className) {
    if (IS_INTRESOURCE(className))
        return ::GetClassLongA(hwnd, GCW_ATOM) == static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(className));
    char actual[256] = {};
    ::GetClassNameA(hwnd, actual, sizeof actual);
    return ::lstrcmpiA(actual, className) == 0;
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && tPending && !tPending->done) {
        const auto hwnd = reinterpret_cast<HWND>(wParam);
        if (ClassMatches(hwnd, tPending->className)) {
            tPending->done = true;
            CWnd* wnd = tPending->wnd;
            if (AddPermanent(hwnd, wnd)) {
                wnd->m_hWnd = hwnd;
                wnd->PreSubclassWindow();
                InstallProc(wnd, hwnd);
            }
        }
    }
    return ::CallNextHookEx(tCbtHook, code, wParam, lParam);
}

}  // namespace

namespace winlib {

HWND CreateHooked(CWnd* wnd, LPCSTR className, HWND (*create)(void* context), void* context) {
    PendingCreate pending{wnd, className, false};
    PendingCreate* const outer = tPending;
    tPending = &pending;
    bool installed = false;
    if (!tCbtHook) {
        tCbtHook = ::SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, ::GetCurrentThreadId());
        installed = tCbtHook != nullptr;
    }
    HWND hwnd = create(context);
    if (installed) {
        ::UnhookWindowsHookEx(tCbtHook);
        tCbtHook = nullptr;
    }
    tPending = outer;
    // Should the hook have missed the window, route it through the object from now on.
    if (hwnd && !pending.done && !wnd->m_hWnd)
        wnd->SubclassWindow(hwnd);
    WndAccess::SetOwns(wnd, hwnd != nullptr && wnd->m_hWnd == hwnd);
    return wnd->m_hWnd == hwnd ? hwnd : nullptr;
}

LPCSTR DefaultWndClass() {
    return AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW));
}

void DeleteTempMaps() {
    auto& temps = TempMap();
    for (auto it = temps.begin(); it != temps.end();) {
        if (!::IsWindow(it->first))
            it = temps.erase(it);
        else
            ++it;
    }
    detail::DeleteTempGdiObjects();
}

}  // namespace winlib

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    thread_local std::map<std::string, std::string> registered;
    char name[96];
    std::snprintf(name, sizeof name, "WinlibWnd:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    auto it = registered.find(name);
    if (it != registered.end())
        return it->second.c_str();
    WNDCLASSA wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return registered.emplace(name, name).first->second.c_str();
}

// ---- CWnd ------------------------------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_temporary || !m_hWnd)
        return;
    if (m_ownsWindow && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    if (m_hWnd)
        Detach();  // not ours, or it could not be destroyed here
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    if (!window)
        return nullptr;
    std::lock_guard<std::mutex> lock(gMapLock);
    auto it = PermanentMap().find(window);
    return it == PermanentMap().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND window) {
    if (!window)
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(window))
        return wnd;
    auto& slot = TempMap()[window];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = window;
        WndAccess::SetTemporary(slot.get());
    }
    return slot.get();
}

BOOL CWnd::Attach(HWND window) {
    if (!window || m_hWnd || m_temporary)
        return FALSE;
    if (!AddPermanent(window, this))
        return FALSE;
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND window = m_hWnd;
    // Our procedure must not stay on a window no object answers for: take it
    // off, or when another procedure sits on top of it, leave the way through.
    if (window && m_subclassed && m_pfnSuper) {
        if (CurrentProc(window) == &WinlibWndProc) {
            ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        } else if (::IsWindow(window)) {
            std::lock_guard<std::mutex> lock(gMapLock);
            Orphans()[window] = m_pfnSuper;
        }
    }
    if (window)
        RemovePermanent(window, this);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    m_subclassed = false;
    m_ownsWindow = false;
    return window;
}

BOOL CWnd::SubclassWindow(HWND window) {
    if (!::IsWindow(window) || !Attach(window))
        return FALSE;
    PreSubclassWindow();
    InstallProc(this, window);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent)
        return FALSE;
    HWND item = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return item ? SubclassWindow(item) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    return Detach();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&) {
    return TRUE;
}

namespace {
struct CreateArgs {
    CREATESTRUCTA cs;
};
}  // namespace

BOOL CWnd::CreateEx(DWORD exStyle,
                    LPCSTR className,
                    LPCSTR windowName,
                    DWORD style,
                    int x,
                    int y,
                    int width,
                    int height,
                    HWND parent,
                    HMENU idOrMenu,
                    LPVOID param) {
    if (m_hWnd)
        return FALSE;
    CreateArgs args{};
    CREATESTRUCTA& cs = args.cs;
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = idOrMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs))
        return FALSE;
    if (!cs.lpszClass)
        cs.lpszClass = winlib::DefaultWndClass();
    if (!cs.lpszClass)
        return FALSE;
    HWND hwnd = winlib::CreateHooked(
        this, cs.lpszClass,
        [](void* context) -> HWND {
            const CREATESTRUCTA& c = static_cast<CreateArgs*>(context)->cs;
            return ::CreateWindowExA(c.dwExStyle, c.lpszClass, c.lpszName, c.style, c.x, c.y, c.cx, c.cy,
                                     c.hwndParent, c.hMenu, c.hInstance, c.lpCreateParams);
        },
        &args);
    return hwnd != nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle,
                    LPCSTR className,
                    LPCSTR windowName,
                    DWORD style,
                    const RECT& rect,
                    CWnd* parent,
                    UINT id,
                    LPVOID param) {
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    if (m_temporary)
        return ::DestroyWindow(m_hWnd);
    HWND window = m_hWnd;
    const BOOL ok = ::DestroyWindow(window);
    // An attached window that does not route through us never sees
    // WM_NCDESTROY here: forget it ourselves.
    if (ok && m_hWnd == window && !::IsWindow(window))
        Detach();
    return ok;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

namespace {

bool IsCtlColor(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// The object of the control an owner-draw message is about, or NULL.
CWnd* OwnerDrawChild(HWND parent, UINT message, LPARAM lParam) {
    switch (message) {
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            return item && item->CtlType != ODT_MENU ? CWnd::FromHandlePermanent(item->hwndItem) : nullptr;
        }
        case WM_MEASUREITEM: {
            const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
            if (!item || item->CtlType == ODT_MENU)
                return nullptr;
            return CWnd::FromHandlePermanent(::GetDlgItem(parent, static_cast<int>(item->CtlID)));
        }
        case WM_COMPAREITEM: {
            const auto* item = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam);
            return item ? CWnd::FromHandlePermanent(item->hwndItem) : nullptr;
        }
        case WM_DELETEITEM: {
            const auto* item = reinterpret_cast<const DELETEITEMSTRUCT*>(lParam);
            return item ? CWnd::FromHandlePermanent(item->hwndItem) : nullptr;
        }
        default:
            return nullptr;
    }
}

}  // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT r = 0;
    switch (message) {
        case WM_COMMAND:
            if (!OnCommand(wParam, lParam))
                return FALSE;
            *result = 0;
            return TRUE;
        case WM_NOTIFY:
            if (!OnNotify(wParam, lParam, &r))
                return FALSE;
            *result = r;
            return TRUE;
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_COMPAREITEM:
        case WM_DELETEITEM:
            if (CWnd* child = OwnerDrawChild(m_hWnd, message, lParam);
                child && child != this && child->OnChildNotify(message, wParam, lParam, &r)) {
                *result = r;
                return TRUE;
            }
            break;
        default:
            if (IsCtlColor(message)) {
                CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
                if (child && child != this && child->OnChildNotify(message, wParam, lParam, &r)) {
                    *result = r;
                    return TRUE;
                }
                return DispatchMsg(
                    winlib::MsgArgs{winlib::kCtlColorKey, wParam, lParam, 0, message - WM_CTLCOLORMSGBOX},
                    result);
            }
            break;
    }
    return DispatchMsg(winlib::MsgArgs{message, wParam, lParam, 0, 0}, result);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const auto& current = winlib::detail::Current();
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const auto control = reinterpret_cast<HWND>(lParam);
    UINT code = HIWORD(wParam);
    if (!control) {
        code = 0;  // menu items and accelerators are plain commands
    } else if (CWnd* child = FromHandlePermanent(control); child && child != this) {
        LRESULT ignored = 0;
        if (child->OnChildNotify(WM_COMMAND, wParam, lParam, &ignored))
            return TRUE;
    }
    return DispatchMsg(winlib::MsgArgs{WM_COMMAND, wParam, lParam, id, code}, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header)
        return FALSE;
    if (CWnd* child = FromHandlePermanent(header->hwndFrom); child && child != this) {
        if (child->OnChildNotify(WM_NOTIFY, wParam, lParam, result))
            return TRUE;
    }
    return DispatchMsg(
        winlib::MsgArgs{WM_NOTIFY, wParam, lParam, static_cast<UINT>(header->idFrom), header->code}, result);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    using winlib::kReflectBase;
    if (message == WM_COMMAND)
        return DispatchMsg(
            winlib::MsgArgs{kReflectBase + WM_COMMAND, wParam, lParam, LOWORD(wParam), HIWORD(wParam)},
            result);
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header)
            return FALSE;
        return DispatchMsg(winlib::MsgArgs{kReflectBase + WM_NOTIFY, wParam, lParam,
                                           static_cast<UINT>(header->idFrom), header->code},
                           result);
    }
    if (IsCtlColor(message))
        return DispatchMsg(winlib::MsgArgs{kReflectBase + winlib::kCtlColorKey, wParam, lParam, 0,
                                           message - WM_CTLCOLORMSGBOX},
                           result);
    return DispatchMsg(winlib::MsgArgs{kReflectBase + message, wParam, lParam, 0, 0}, result);
}

// ---- wrappers ------------------------------------------------------------------------------

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    const DWORD style = GetStyle();
    const DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       swpFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
    const DWORD style = GetExStyle();
    const DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       swpFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void CWnd::GetWindowText(CString& text) const {
    text = GetWindowTextString();
}

CString CWnd::GetWindowTextString() const {
    const int length = ::GetWindowTextLengthA(m_hWnd);
    CString text;
    if (length > 0) {
        ::GetWindowTextA(m_hWnd, text.GetBuffer(length + 1), length + 1);
        text.ReleaseBuffer();
    }
    return text;
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    HWND item = ::GetDlgItem(m_hWnd, id);
    text = item ? CWnd::FromHandle(item)->GetWindowTextString() : CString();
    return text.GetLength();
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

void CWnd::ClientToScreen(LPRECT r) const {
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&r->left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&r->right));
}

void CWnd::ScreenToClient(LPRECT r) const {
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&r->left));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&r->right));
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
    RECT area{};
    HWND around = alternateOwner ? alternateOwner->m_hWnd : nullptr;
    if (!around)
        around = (GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
    if (around && (GetStyle() & WS_CHILD)) {
        ::GetClientRect(around, &area);
    } else if (around && ::IsWindowVisible(around) && !::IsIconic(around)) {
        ::GetWindowRect(around, &area);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT self{};
    ::GetWindowRect(m_hWnd, &self);
    const int w = self.right - self.left, h = self.bottom - self.top;
    ::SetWindowPos(m_hWnd, nullptr, area.left + (area.right - area.left - w) / 2,
                   area.top + (area.bottom - area.top - h) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep) {
    for (HWND child = ::GetTopWindow(m_hWnd); child; child = ::GetNextWindow(child, GW_HWNDNEXT)) {
        ::SendMessageA(child, message, wParam, lParam);
        if (deep && ::GetTopWindow(child))
            CWnd::FromHandle(child)->SendMessageToDescendants(message, wParam, lParam, TRUE);
    }
}

CDC* CWnd::GetDC() {
    return CDC::FromHandle(::GetDC(m_hWnd));
}

CDC* CWnd::GetWindowDC() {
    return CDC::FromHandle(::GetWindowDC(m_hWnd));
}

int CWnd::ReleaseDC(CDC* dc) {
    return dc ? ::ReleaseDC(m_hWnd, dc->m_hDC) : 0;
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    if (!caption)
        caption = AfxGetApp() && AfxGetApp()->m_pszAppName ? AfxGetApp()->m_pszAppName : "";
    return winlib::ShowMessageBox(m_hWnd, text, caption, type);
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
    ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->m_hObject : nullptr), redraw);
}

CFont* CWnd::GetFont() const {
    return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
}

void CWnd::DragAcceptFiles(BOOL accept) {
    ::DragAcceptFiles(m_hWnd, accept);
}
