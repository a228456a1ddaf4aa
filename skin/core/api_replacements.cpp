// skin/core/api_replacements.cpp
//
// The replacements the hook engine patches into the import tables (and hands
// out for the visual-style functions). Each calls the unpatched function
// through PlymSystemFunction, never the import of this module, which may
// point back here.
#include <windows.h>

#include <string>

#include "skin/core/api_hook.h"
#include "skin/core/draw_helpers.h"
#include "skin/core/hook_table.h"
#include "skin/core/schema_names.h"
#include "skin/core/skin_class.h"
#include "skin/core/skin_file.h"
#include "skin/core/skin_manager.h"
#include "skin/core/skin_metrics.h"
#include "skin/core/skin_schema.h"
#include "skin/core/theme_names.h"
#include "skin/core/win_types.h"
#include "skin/objects/skin_object_classes.h"

namespace {

using plym::HookId;

constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005L);

template <typename Fn>
Fn System(HookId id) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(PlymSystemFunction(id)));
}

template <typename Fn>
FARPROC AsFarProc(Fn function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

CPlymSkinManager* Manager() {
    return GetPlymSkinManager();
}

// The skin's metrics while the skin is on, else NULL.
CPlymSkinManagerMetrics* EnabledMetrics() {
    CPlymSkinManager* manager = Manager();
    return manager->IsEnabled() ? manager->GetMetrics() : nullptr;
}

// Metrics are replaced only with all of options 1, 2 and 4, and never while
// the skin reads the system's own values.
CPlymSkinManagerMetrics* MetricsForSizes() {
    constexpr DWORD kAll = kPlymHookMetrics | kPlymHookFrames | kPlymHookColors;
    CPlymSkinManagerMetrics* metrics = EnabledMetrics();
    if (!metrics || metrics->Refreshing() || (Manager()->GetHookedGroups() & kAll) != kAll)
        return nullptr;
    return metrics;
}

// The frame of a window whose non-client area the skin draws.
CPlymSkinObjectFrame* SkinnedFrame(HWND window) {
    CPlymSkinObject* object = Manager()->FindSkinObject(window);
    if (!object || !object->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectFrame)))
        return nullptr;
    auto* frame = static_cast<CPlymSkinObjectFrame*>(object);
    return frame->IsNonClientSkinned() ? frame : nullptr;
}

// A theme handle the current skin handed out, as its class; NULL otherwise.
CPlymSkinManagerClass* ThemeClass(HANDLE theme) {
    CPlymSkinManagerSchema* schema = Manager()->GetSchema();
    return theme && schema ? schema->FindThemeClass(theme) : nullptr;
}

std::string Narrow(LPCWSTR text) {
    std::string out;
    for (; text && *text; ++text)
        out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return out;
}

std::wstring Widen(const std::string& text) {
    std::wstring out;
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length > 1) {
        out.resize(static_cast<size_t>(length));
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), length);
        out.resize(static_cast<size_t>(length) - 1);
    }
    return out;
}

// ---- libraries, threads, classes ---------------------------------------------------------

HMODULE WINAPI SkinLoadLibraryA(LPCSTR name) {
    const HMODULE module = System<HMODULE(WINAPI*)(LPCSTR)>(plym::kHookLoadLibraryA)(name);
    GetPlymSkinManagerApiHook()->OnModuleLoaded(module, 0);
    return module;
}

HMODULE WINAPI SkinLoadLibraryW(LPCWSTR name) {
    const HMODULE module = System<HMODULE(WINAPI*)(LPCWSTR)>(plym::kHookLoadLibraryW)(name);
    GetPlymSkinManagerApiHook()->OnModuleLoaded(module, 0);
    return module;
}

HMODULE WINAPI SkinLoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags) {
    const HMODULE module =
        System<HMODULE(WINAPI*)(LPCSTR, HANDLE, DWORD)>(plym::kHookLoadLibraryExA)(name, file, flags);
    GetPlymSkinManagerApiHook()->OnModuleLoaded(module, flags);
    return module;
}

HMODULE WINAPI SkinLoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) {
    const HMODULE module =
        System<HMODULE(WINAPI*)(LPCWSTR, HANDLE, DWORD)>(plym::kHookLoadLibraryExW)(name, file, flags);
    GetPlymSkinManagerApiHook()->OnModuleLoaded(module, flags);
    return module;
}

FARPROC WINAPI SkinGetProcAddress(HMODULE module, LPCSTR name) {
    const auto real = System<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(plym::kHookGetProcAddress);
    if (reinterpret_cast<uintptr_t>(name) < 65535)  // an ordinal
        return real(module, name);
    const bool pseudo = reinterpret_cast<uintptr_t>(module) == plym::kUxThemePseudoHandle;
    std::string moduleName = pseudo ? plym::kUxThemeModule : "";
    if (!pseudo) {
        char path[MAX_PATH] = {};
        if (GetModuleFileNameA(module, path, sizeof path))
            moduleName = std::string(plym::ModuleFilePart(path));
    }
    if (plym::EqualsIgnoringAsciiCase(moduleName, "UxTheme.dll")) {
        if (FARPROC replacement = GetPlymSkinManagerApiHook()->FindReplacement(plym::kUxThemeModule, name))
            return replacement;
    }
    if (pseudo) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return real(module, name);
}

HMODULE WINAPI SkinGetModuleHandleA(LPCSTR name) {
    if (name && plym::EqualsIgnoringAsciiCase(name, "UxTheme.dll") &&
        (Manager()->GetHookedGroups() & kPlymHookColors))
        return reinterpret_cast<HMODULE>(plym::kUxThemePseudoHandle);
    return System<HMODULE(WINAPI*)(LPCSTR)>(plym::kHookGetModuleHandleA)(name);
}

// What a thread started through the replaced CreateThread runs first.
struct ThreadStart {
    LPTHREAD_START_ROUTINE routine;
    LPVOID parameter;
};
LONG g_pendingThreadStarts = 0;

DWORD WINAPI SkinThreadStart(LPVOID block) {
    const ThreadStart start = *static_cast<ThreadStart*>(block);
    HeapFree(GetProcessHeap(), 0, block);
    InterlockedDecrement(&g_pendingThreadStarts);
    Manager()->InstallThreadHook();
    return start.routine(start.parameter);
}

HANDLE WINAPI SkinCreateThread(LPSECURITY_ATTRIBUTES attributes,
                               SIZE_T stackSize,
                               LPTHREAD_START_ROUTINE routine,
                               LPVOID parameter,
                               DWORD flags,
                               LPDWORD threadId) {
    using Fn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
    const auto real = System<Fn>(plym::kHookCreateThread);
    CPlymSkinManager* manager = Manager();
    if (!manager->IsEnabled() || !manager->m_skinNewThreads || !routine)
        return real(attributes, stackSize, routine, parameter, flags, threadId);
    auto* block = static_cast<ThreadStart*>(HeapAlloc(GetProcessHeap(), 0, sizeof(ThreadStart)));
    if (!block)
        return real(attributes, stackSize, routine, parameter, flags, threadId);
    *block = {routine, parameter};
    InterlockedIncrement(&g_pendingThreadStarts);
    HANDLE thread = real(attributes, stackSize, &SkinThreadStart, block, flags, threadId);
    if (!thread) {
        // The thread never runs: the block is still ours.
        const DWORD error = GetLastError();
        InterlockedDecrement(&g_pendingThreadStarts);
        HeapFree(GetProcessHeap(), 0, block);
        SetLastError(error);
    }
    return thread;
}

template <typename ClassRecord>
ATOM RegisterWithSystemProc(const ClassRecord* record, HookId registerId, bool wide) {
    using Fn = ATOM(WINAPI*)(const ClassRecord*);
    const auto real = System<Fn>(registerId);
    if (!record)
        return real(record);
    const auto procedure = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(record->lpfnWndProc));
    // A class whose procedure is one of our default procedures gets the
    // system's own: classes outlive the skin.
    const HookId pairs[][2] = {
        {plym::kHookDefWindowProcA, plym::kHookDefWindowProcW},
        {plym::kHookDefFrameProcA, plym::kHookDefFrameProcW},
        {plym::kHookDefMDIChildProcA, plym::kHookDefMDIChildProcW},
        {plym::kHookDefDlgProcA, plym::kHookDefDlgProcW},
    };
    for (const auto& pair : pairs) {
        const HookId id = pair[wide ? 1 : 0];
        if (procedure == PlymHookReplacement(id)) {
            ClassRecord copy = *record;
            copy.lpfnWndProc =
                reinterpret_cast<WNDPROC>(reinterpret_cast<void (*)()>(PlymSystemFunction(id)));
            return real(&copy);
        }
    }
    return real(record);
}

ATOM WINAPI SkinRegisterClassA(const WNDCLASSA* record) {
    return RegisterWithSystemProc(record, plym::kHookRegisterClassA, false);
}

ATOM WINAPI SkinRegisterClassW(const WNDCLASSW* record) {
    return RegisterWithSystemProc(record, plym::kHookRegisterClassW, true);
}

// ---- colours and drawing -------------------------------------------------------------------

DWORD WINAPI SkinGetSysColor(int n) {
    plym::ReadEpochScope reading(Manager()->SchemaReaders());
    if (CPlymSkinManagerMetrics* metrics = EnabledMetrics(); metrics && plym::IsSkinColorIndex(n)) {
        const COLORREF color = metrics->ColorAt(n);
        if (color != static_cast<COLORREF>(-1))
            return color;
    }
    return System<DWORD(WINAPI*)(int)>(plym::kHookGetSysColor)(n);
}

HBRUSH WINAPI SkinGetSysColorBrush(int n) {
    plym::ReadEpochScope reading(Manager()->SchemaReaders());
    if (CPlymSkinManagerMetrics* metrics = EnabledMetrics(); metrics && plym::IsSkinBrushIndex(n)) {
        if (HBRUSH brush = metrics->GetColorBrush(n))
            return brush;
    }
    return System<HBRUSH(WINAPI*)(int)>(plym::kHookGetSysColorBrush)(n);
}

int WINAPI SkinFillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    plym::ReadEpochScope reading(Manager()->SchemaReaders());
    const auto value = reinterpret_cast<uintptr_t>(brush);
    if (CPlymSkinManagerMetrics* metrics = EnabledMetrics(); metrics && value >= 1 && value <= 30) {
        if (HBRUSH skin = metrics->GetColorBrush(static_cast<int>(value) - 1))
            brush = skin;
    }
    return System<int(WINAPI*)(HDC, const RECT*, HBRUSH)>(plym::kHookFillRect)(dc, rect, brush);
}

BOOL WINAPI SkinDeleteObject(HGDIOBJ object) {
    plym::ReadEpochScope reading(Manager()->SchemaReaders());
    // The skin's brushes are handed to every caller of GetSysColorBrush; no
    // caller may delete them.
    if (CPlymSkinManagerMetrics* metrics = Manager()->GetMetrics();
        metrics && metrics->IsMetricsBrush(static_cast<HBRUSH>(object)))
        return FALSE;
    return System<BOOL(WINAPI*)(HGDIOBJ)>(plym::kHookDeleteObject)(object);
}

BOOL WINAPI SkinDrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags) {
    if (Manager()->IsEnabled())
        return PlymDrawEdge(dc, rect, edge, flags);
    return System<BOOL(WINAPI*)(HDC, LPRECT, UINT, UINT)>(plym::kHookDrawEdge)(dc, rect, edge, flags);
}

BOOL WINAPI SkinDrawFrameControl(HDC dc, LPRECT rect, UINT type, UINT state) {
    if (Manager()->IsEnabled() && PlymDrawFrameControl(dc, rect, type, state))
        return TRUE;
    return System<BOOL(WINAPI*)(HDC, LPRECT, UINT, UINT)>(plym::kHookDrawFrameControl)(dc, rect, type, state);
}

// ---- visual styles ---------------------------------------------------------------------------

HANDLE WINAPI SkinOpenThemeData(HWND window, LPCWSTR classList) {
    CPlymSkinManager* manager = Manager();
    if (!manager->IsEnabled() || !classList)
        return nullptr;
    return manager->GetThemeClass(manager->FindSkinObject(window), Narrow(classList).c_str());
}

HRESULT WINAPI
SkinDrawThemeBackground(HANDLE theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip) {
    CPlymSkinManagerClass* themeClass = ThemeClass(theme);
    if (!themeClass || !rect)
        return kFail;
    HRGN saved = nullptr;
    int hadClip = 0;
    const bool clipping = clip && !EqualRect(clip, rect);
    if (clipping) {
        saved = CreateRectRgn(0, 0, 0, 0);
        hadClip = saved ? GetClipRgn(dc, saved) : -1;
        IntersectClipRect(dc, clip->left, clip->top, clip->right, clip->bottom);
    }
    const BOOL drawn = themeClass->DrawThemeBackground(dc, part, state, rect);
    if (clipping) {
        SelectClipRgn(dc, hadClip == 1 ? saved : nullptr);
        if (saved)
            System<BOOL(WINAPI*)(HGDIOBJ)>(plym::kHookDeleteObject)(saved);
    }
    return drawn ? S_OK : kFail;
}

HRESULT WINAPI SkinCloseThemeData(HANDLE /*theme*/) {
    return S_OK;  // theme classes belong to the schema
}

HRESULT WINAPI SkinGetThemeColor(HANDLE theme, int part, int state, int propertyId, COLORREF* color) {
    CPlymSkinManagerClass* themeClass = ThemeClass(theme);
    if (!themeClass || !color || !themeClass->FindProperty(plym::kKindColor, part, state, propertyId))
        return kFail;
    *color = themeClass->GetThemeColor(part, state, propertyId, 0);
    return S_OK;
}

HRESULT WINAPI SkinGetThemeInt(HANDLE theme, int part, int state, int propertyId, int* value) {
    CPlymSkinManagerClass* themeClass = ThemeClass(theme);
    if (!themeClass || !value || !themeClass->FindProperty(plym::kKindInt, part, state, propertyId))
        return kFail;
    *value = themeClass->GetThemeInt(part, state, propertyId, 0);
    return S_OK;
}

BOOL WINAPI SkinIsAppThemed() {
    return TRUE;
}

BOOL WINAPI SkinIsThemeActive() {
    return TRUE;
}

HRESULT WINAPI SkinGetCurrentThemeName(LPWSTR fileName,
                                       int fileChars,
                                       LPWSTR colorName,
                                       int colorChars,
                                       LPWSTR sizeName,
                                       int sizeChars) {
    // The skin file names a skin only while a schema was read from it.
    CPlymSkinManagerResourceFile* file = Manager()->GetSchema() ? Manager()->GetSkinFile() : nullptr;
    const auto query = [file](LPWSTR fileOut, int fileMax, LPWSTR colorOut, int colorMax, LPWSTR sizeOut,
                              int sizeMax) -> HRESULT {
        if (!file || file->GetPath().IsEmpty())
            return kFail;
        plym::CopyThemeName<WCHAR>(fileOut, fileMax, Widen(file->GetPath().str()));
        plym::CopyThemeName<WCHAR>(colorOut, colorMax, Widen(plym::ThemeColorName(file->GetIniName().str())));
        plym::CopyThemeName<WCHAR>(sizeOut, sizeMax, std::wstring_view());
        return S_OK;
    };
    return plym::QueryThemeNames(query, fileName, fileChars, colorName, colorChars, sizeName, sizeChars);
}

BOOL WINAPI SkinGetThemeSysBool(HANDLE /*theme*/, int propertyId) {
    return Manager()->GetThemeSysBool(propertyId);
}

COLORREF WINAPI SkinGetThemeSysColor(HANDLE /*theme*/, int propertyId) {
    plym::ReadEpochScope reading(Manager()->SchemaReaders());
    return Manager()->GetThemeSysColor(propertyId);
}

HRESULT WINAPI
SkinGetThemePartSize(HANDLE theme, HDC, int part, int state, const RECT* rect, int sizeKind, SIZE* size) {
    CPlymSkinManagerClass* themeClass = ThemeClass(theme);
    if (!themeClass || !size)
        return kFail;
    return themeClass->GetThemePartSize(part, state, rect, sizeKind, size) ? S_OK : kFail;
}

// ---- scroll bars and menus -----------------------------------------------------------------

int WINAPI SkinSetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw) {
    const auto real = System<int(WINAPI*)(HWND, int, LPCSCROLLINFO, BOOL)>(plym::kHookSetScrollInfo);
    CPlymSkinObjectFrame* frame = bar != SB_CTL && redraw ? SkinnedFrame(window) : nullptr;
    if (!frame)
        return real(window, bar, info, redraw);
    const int position = real(window, bar, info, FALSE);
    frame->RepaintScrollBar(bar);
    return position;
}

int WINAPI SkinSetScrollPos(HWND window, int bar, int position, BOOL redraw) {
    const auto real = System<int(WINAPI*)(HWND, int, int, BOOL)>(plym::kHookSetScrollPos);
    CPlymSkinObjectFrame* frame = SkinnedFrame(window);
    if (!frame)
        return real(window, bar, position, redraw);
    const int previous = real(window, bar, position, FALSE);
    if (redraw) {
        if (bar == SB_CTL)
            InvalidateRect(window, nullptr, TRUE);
        else
            frame->RepaintScrollBar(bar);
    }
    return previous;
}

BOOL WINAPI SkinGetScrollInfo(HWND window, int bar, LPSCROLLINFO info) {
    const BOOL ok =
        System<BOOL(WINAPI*)(HWND, int, LPSCROLLINFO)>(plym::kHookGetScrollInfo)(window, bar, info);
    if (ok && info && (info->fMask & SIF_TRACKPOS)) {
        int position = 0;
        if (CPlymSkinObjectFrame* frame = SkinnedFrame(window);
            frame && frame->GetScrollTrackPos(bar, &position))
            info->nTrackPos = position;
    }
    return ok;
}

BOOL WINAPI SkinEnableScrollBar(HWND window, UINT bar, UINT flags) {
    const BOOL ok = System<BOOL(WINAPI*)(HWND, UINT, UINT)>(plym::kHookEnableScrollBar)(window, bar, flags);
    if (CPlymSkinObjectFrame* frame = SkinnedFrame(window)) {
        if (bar == SB_HORZ || bar == SB_BOTH)
            frame->RepaintScrollBar(SB_HORZ);
        if (bar == SB_VERT || bar == SB_BOTH)
            frame->RepaintScrollBar(SB_VERT);
    }
    return ok;
}

BOOL WINAPI SkinDrawMenuBar(HWND window) {
    if (Manager()->IsEnabled() && (Manager()->GetHookedGroups() & kPlymHookFrames)) {
        if (CPlymSkinObjectFrame* frame = SkinnedFrame(window)) {
            frame->OnDrawMenuBar();
            return TRUE;
        }
    }
    return System<BOOL(WINAPI*)(HWND)>(plym::kHookDrawMenuBar)(window);
}

bool SkinTracksPopupMenus() {
    return Manager()->IsEnabled() && (Manager()->GetHookedGroups() & kPlymHookPopupMenus);
}

BOOL WINAPI
SkinTrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect) {
    if (SkinTracksPopupMenus())
        return TrackSkinnedPopupMenu(menu, flags, x, y, owner, nullptr);
    using Fn = BOOL(WINAPI*)(HMENU, UINT, int, int, int, HWND, const RECT*);
    return System<Fn>(plym::kHookTrackPopupMenu)(menu, flags, x, y, reserved, owner, rect);
}

BOOL WINAPI SkinTrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
    if (SkinTracksPopupMenus())
        return TrackSkinnedPopupMenu(menu, flags, x, y, owner, params ? &params->rcExclude : nullptr);
    using Fn = BOOL(WINAPI*)(HMENU, UINT, int, int, HWND, LPTPMPARAMS);
    return System<Fn>(plym::kHookTrackPopupMenuEx)(menu, flags, x, y, owner, params);
}

// ---- metrics -------------------------------------------------------------------------------

int WINAPI SkinGetSystemMetrics(int index) {
    const int value = System<int(WINAPI*)(int)>(plym::kHookGetSystemMetrics)(index);
    const CPlymSkinManagerMetrics* metrics = MetricsForSizes();
    if (!metrics)
        return value;
    switch (index) {
        case SM_CXVSCROLL:
            return metrics->VScrollWidth();
        case SM_CYHSCROLL:
            return metrics->HScrollHeight();
        case SM_CYCAPTION:
            return metrics->CaptionHeight();
        case SM_CXBORDER:
            return metrics->BorderWidth();
        case SM_CYBORDER:
            return metrics->BorderHeight();
        case SM_CYVSCROLL:
            return metrics->VScrollArrowHeight();
        case SM_CXHSCROLL:
            return metrics->HScrollArrowWidth();
        case SM_CYSMCAPTION:
            return metrics->SmallCaptionHeight();
        default:
            return value;
    }
}

// The skin's [SysMetrics] font `id` into `font`, when the skin has it.
void SkinFont(int id, LOGFONTA* font) {
    plym::LogFont skin;
    CPlymSkinManagerSchema* schema = Manager()->GetSchema();
    if (schema && schema->GetFontProperty(plym::kClassSysMetrics, 0, 0, id, &skin) == plym::kResultOk)
        *font = ToLogFontA(skin);
}

BOOL WINAPI SkinSystemParametersInfoA(UINT action, UINT size, PVOID data, UINT update) {
    const BOOL ok = System<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT)>(plym::kHookSystemParametersInfoA)(
        action, size, data, update);
    if (!ok || !data || !MetricsForSizes())
        return ok;
    constexpr int kIconTitleFont = 806;
    constexpr int kStatusFont = 804;
    if (action == SPI_GETICONTITLELOGFONT && size == sizeof(LOGFONTA)) {
        SkinFont(kIconTitleFont, static_cast<LOGFONTA*>(data));
    } else if (action == SPI_GETNONCLIENTMETRICS && (size == 340 || size == sizeof(NONCLIENTMETRICSA))) {
        // The record before Vista (340 bytes) and since: the fonts lie alike.
        auto* metrics = static_cast<NONCLIENTMETRICSA*>(data);
        SkinFont(plym::kPropMenuFont, &metrics->lfMenuFont);
        SkinFont(kStatusFont, &metrics->lfStatusFont);
        SkinFont(plym::kPropCaptionFont, &metrics->lfCaptionFont);
    }
    return ok;
}

BOOL WINAPI SkinAdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    const auto real = System<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD)>(plym::kHookAdjustWindowRectEx);
    CPlymSkinManager* manager = Manager();
    constexpr DWORD kFrameOptions = kPlymHookMetrics | kPlymHookFrames;
    CPlymSkinManagerSchema* schema = manager->GetSchema();
    const bool skinned = rect && manager->IsEnabled() && schema &&
                         (manager->GetHookedGroups() & kFrameOptions) == kFrameOptions;
    const bool maximizedCaption = (style & WS_MAXIMIZE) && (style & WS_CAPTION) == WS_CAPTION;
    if (skinned && !menu && (style & WS_THICKFRAME) && (!maximizedCaption || (style & WS_CHILD))) {
        RECT borders{};
        schema->GetFrameBorders(&borders, style, exStyle);
        rect->left -= borders.left;
        rect->top -= borders.top;
        rect->right += borders.right;
        rect->bottom += borders.bottom;
        return TRUE;
    }
    const BOOL ok = real(rect, style, menu, exStyle);
    if (ok && skinned && (style & WS_CAPTION) == WS_CAPTION) {
        const CPlymSkinManagerMetrics* metrics = schema->GetMetrics();
        rect->top -= (exStyle & WS_EX_TOOLWINDOW)
                         ? metrics->SmallCaptionHeight() - metrics->SystemSmallCaptionHeight()
                         : metrics->CaptionHeight() - metrics->SystemCaptionHeight();
    }
    return ok;
}

// ---- default window procedures ---------------------------------------------------------------

template <HookId id, int kind>
LRESULT WINAPI SkinDefProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const FARPROC unpatched = PlymSystemFunction(id);
    LRESULT result = 0;
    if (PlymRouteDefProc(window, unpatched, kind, 0, message, &wParam, &lParam, &result))
        return result;
    return reinterpret_cast<LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM)>(
        reinterpret_cast<void (*)()>(unpatched))(window, message, wParam, lParam);
}

template <HookId id>
LRESULT WINAPI SkinDefFrameProc(HWND window, HWND client, UINT message, WPARAM wParam, LPARAM lParam) {
    const FARPROC unpatched = PlymSystemFunction(id);
    LRESULT result = 0;
    if (PlymRouteDefProc(window, unpatched, plym::kDefProcDefFrameProc, reinterpret_cast<UINT_PTR>(client),
                         message, &wParam, &lParam, &result))
        return result;
    using Fn = LRESULT(WINAPI*)(HWND, HWND, UINT, WPARAM, LPARAM);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(unpatched))(window, client, message, wParam,
                                                                         lParam);
}

template <HookId id>
LRESULT WINAPI
SkinCallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const FARPROC unpatched = PlymSystemFunction(id);
    LRESULT result = 0;
    if (procedure &&
        PlymRouteDefProc(window, unpatched, plym::kDefProcCallWindowProc,
                         reinterpret_cast<UINT_PTR>(procedure), message, &wParam, &lParam, &result))
        return result;
    using Fn = LRESULT(WINAPI*)(WNDPROC, HWND, UINT, WPARAM, LPARAM);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(unpatched))(procedure, window, message, wParam,
                                                                         lParam);
}

}  // namespace

FARPROC PlymHookReplacement(int id) {
    using namespace plym;
    switch (id) {
        case kHookLoadLibraryA:
            return AsFarProc(&SkinLoadLibraryA);
        case kHookLoadLibraryW:
            return AsFarProc(&SkinLoadLibraryW);
        case kHookLoadLibraryExA:
            return AsFarProc(&SkinLoadLibraryExA);
        case kHookLoadLibraryExW:
            return AsFarProc(&SkinLoadLibraryExW);
        case kHookGetProcAddress:
            return AsFarProc(&SkinGetProcAddress);
        case kHookGetModuleHandleA:
            return AsFarProc(&SkinGetModuleHandleA);
        case kHookRegisterClassA:
            return AsFarProc(&SkinRegisterClassA);
        case kHookRegisterClassW:
            return AsFarProc(&SkinRegisterClassW);
        case kHookGetSysColor:
            return AsFarProc(&SkinGetSysColor);
        case kHookGetSysColorBrush:
            return AsFarProc(&SkinGetSysColorBrush);
        case kHookDrawEdge:
            return AsFarProc(&SkinDrawEdge);
        case kHookDrawFrameControl:
            return AsFarProc(&SkinDrawFrameControl);
        case kHookSetScrollInfo:
            return AsFarProc(&SkinSetScrollInfo);
        case kHookSetScrollPos:
            return AsFarProc(&SkinSetScrollPos);
        case kHookGetScrollInfo:
            return AsFarProc(&SkinGetScrollInfo);
        case kHookEnableScrollBar:
            return AsFarProc(&SkinEnableScrollBar);
        case kHookOpenThemeData:
            return AsFarProc(&SkinOpenThemeData);
        case kHookDrawThemeBackground:
            return AsFarProc(&SkinDrawThemeBackground);
        case kHookCloseThemeData:
            return AsFarProc(&SkinCloseThemeData);
        case kHookGetThemeColor:
            return AsFarProc(&SkinGetThemeColor);
        case kHookGetThemeInt:
            return AsFarProc(&SkinGetThemeInt);
        case kHookIsAppThemed:
            return AsFarProc(&SkinIsAppThemed);
        case kHookIsThemeActive:
            return AsFarProc(&SkinIsThemeActive);
        case kHookGetCurrentThemeName:
            return AsFarProc(&SkinGetCurrentThemeName);
        case kHookGetThemeSysBool:
            return AsFarProc(&SkinGetThemeSysBool);
        case kHookGetThemeSysColor:
            return AsFarProc(&SkinGetThemeSysColor);
        case kHookGetThemePartSize:
            return AsFarProc(&SkinGetThemePartSize);
        case kHookSystemParametersInfoA:
            return AsFarProc(&SkinSystemParametersInfoA);
        case kHookDefWindowProcA:
            return AsFarProc(&SkinDefProc<kHookDefWindowProcA, kDefProcDefWindowProc>);
        case kHookDefWindowProcW:
            return AsFarProc(&SkinDefProc<kHookDefWindowProcW, kDefProcDefWindowProc>);
        case kHookDefMDIChildProcA:
            return AsFarProc(&SkinDefProc<kHookDefMDIChildProcA, kDefProcDefMDIChildProc>);
        case kHookDefMDIChildProcW:
            return AsFarProc(&SkinDefProc<kHookDefMDIChildProcW, kDefProcDefMDIChildProc>);
        case kHookDefFrameProcA:
            return AsFarProc(&SkinDefFrameProc<kHookDefFrameProcA>);
        case kHookDefFrameProcW:
            return AsFarProc(&SkinDefFrameProc<kHookDefFrameProcW>);
        case kHookDefDlgProcA:
            return AsFarProc(&SkinDefProc<kHookDefDlgProcA, kDefProcDefDlgProc>);
        case kHookDefDlgProcW:
            return AsFarProc(&SkinDefProc<kHookDefDlgProcW, kDefProcDefDlgProc>);
        case kHookCallWindowProcA:
            return AsFarProc(&SkinCallWindowProc<kHookCallWindowProcA>);
        case kHookCallWindowProcW:
            return AsFarProc(&SkinCallWindowProc<kHookCallWindowProcW>);
        case kHookCreateThread:
            return AsFarProc(&SkinCreateThread);
        case kHookFillRect:
            return AsFarProc(&SkinFillRect);
        case kHookDeleteObject:
            return AsFarProc(&SkinDeleteObject);
        case kHookAdjustWindowRectEx:
            return AsFarProc(&SkinAdjustWindowRectEx);
        case kHookGetSystemMetrics:
            return AsFarProc(&SkinGetSystemMetrics);
        case kHookTrackPopupMenu:
            return AsFarProc(&SkinTrackPopupMenu);
        case kHookTrackPopupMenuEx:
            return AsFarProc(&SkinTrackPopupMenuEx);
        case kHookDrawMenuBar:
            return AsFarProc(&SkinDrawMenuBar);
        default:
            return nullptr;
    }
}

LONG PlymPendingThreadStarts() {
    return InterlockedCompareExchange(&g_pendingThreadStarts, 0, 0);
}
