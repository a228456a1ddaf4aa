// skin/core/skin_manager.cpp
#include "skin/core/skin_manager.h"

#include <utility>

#include "skin/core/api_hook.h"
#include "skin/core/color_manager.h"
#include "skin/core/module_handle.h"
#include "skin/core/module_list.h"
#include "skin/core/os_version_info.h"
#include "skin/core/skin_file.h"
#include "skin/core/skin_metrics.h"
#include "skin/core/skin_schema.h"
#include "skin/core/sound_player.h"
#include "skin/objects/skin_object_classes.h"
#include "winlib/app.h"

namespace {

constexpr UINT kGetTabControl = 0x474;  // PSM_GETTABCONTROL
constexpr size_t kWindowMapBuckets = 199;
constexpr DWORD kWizardFlags = 0x20 | 0x2000 | 0x1000000;

// A thread's creation hook, unhooked when the thread ends.
struct PlymSkinThreadState {
    HHOOK cbtHook = nullptr;
    ~PlymSkinThreadState() {
        if (cbtHook)
            UnhookWindowsHookEx(cbtHook);
    }
};

PlymSkinThreadState& ThreadState() {
    thread_local PlymSkinThreadState state;
    return state;
}

// Whether `size` bytes at `address` can be read now.
bool IsReadable(const void* address, size_t size) {
    MEMORY_BASIC_INFORMATION region{};
    if (!address || !VirtualQuery(address, &region, sizeof region) || region.State != MEM_COMMIT)
        return false;
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (!(region.Protect & kReadable) || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)))
        return false;
    const auto start = reinterpret_cast<uintptr_t>(address);
    const auto end = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    return start + size >= start && start + size <= end;
}

BOOL CALLBACK PostColorChange(HWND window, LPARAM /*unused*/) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        PostMessageA(window, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

}  // namespace

CPlymSkinManager* GetPlymSkinManager() {
    static CPlymSkinManager* const manager = new CPlymSkinManager();
    return manager;
}

CPlymSkinManager::CPlymSkinManager() {
    m_skinFile = new CPlymSkinManagerResourceFile(this);
    m_classNames = plym::MakeStandardSkinClassMap();
    m_classInfos.assign(static_cast<size_t>(m_classNames.EntryCount()), nullptr);
    for (const auto& [name, entry] : m_classNames.Names()) {
        CPlymSkinObjectClassInfo*& info = m_classInfos[static_cast<size_t>(entry)];
        if (info)
            info->InternalAddRef();  // an alias
        else
            info = new CPlymSkinObjectClassInfo(PlymSkinObjectClass(m_classNames.ObjectClass(entry).c_str()));
    }
    m_windows.reserve(kWindowMapBuckets);
    CPlymModuleHandle comctl;
    if (comctl.Attach("COMCTL32.DLL"))
        m_comCtlVersion = comctl.GetDllVersion();
    if (m_comCtlVersion == 0)
        m_comCtlVersion = 0x40000;
    m_win9x = GetPlymOSVersionInfo().OnWin9xFamily();
    GetPlymSkinManagerApiHook();
    if (HMODULE user32 = GetModuleHandleA("USER32")) {
        m_setWinEventHook = reinterpret_cast<SetWinEventHookFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetWinEventHook")));
        m_unhookWinEvent = reinterpret_cast<UnhookWinEventFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(user32, "UnhookWinEvent")));
    }
    if (m_setWinEventHook && m_unhookWinEvent)
        m_winEventHook = m_setWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_REORDER, nullptr, &WinEventProc,
                                           GetCurrentProcessId(), 0, 0);
    InstallThreadHook();
}

CPlymSkinManager::~CPlymSkinManager() {
    CloseSkinFile();
    RemoveColorFilters();
    ReleaseSchema();
    m_skinFile->Release();
    for (const auto& [name, entry] : m_classNames.Names())
        m_classInfos[static_cast<size_t>(entry)]->InternalRelease();
    m_classInfos.clear();
    DetachAllSkinObjects(TRUE);
    GetPlymSkinManagerApiHook()->UnhookAll();
    if (m_winEventHook && GetModuleHandleA("USER32") && m_unhookWinEvent)
        m_unhookWinEvent(m_winEventHook);
}

CPlymSkinManagerClass* CPlymSkinManager::GetThemeClass(CPlymSkinObject* object, const char* classList) {
    CPlymSkinManagerSchema* schema = object ? object->GetActiveSchema() : GetSchema();
    if (!schema || !classList)
        return nullptr;
    const std::string name = plym::ChooseThemeClassName(classList);
    return name.empty() ? nullptr : schema->GetThemeClass(name);
}

void CPlymSkinManager::BroadcastSkinChange(BOOL previous, BOOL now) {
    if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd)
        SendMessageA(main->m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
    EnumWindows(&PostColorChange, 0);
    // Objects may leave the map while they are told (a window destroyed by
    // another's change, a dead handle detached): walk a snapshot whose
    // references keep every object alive until the walk is over, and tell
    // only objects that still serve their window.
    const std::vector<std::pair<HWND, CPlymSkinObject*>> snapshot = SnapshotWindows();
    for (const auto& [window, object] : snapshot) {
        if (FindSkinObject(window) != object)
            continue;
        if (IsWindow(window))
            object->ApplySkinChange(previous, now);
        else
            DetachSkinObject(window, FALSE);
    }
    for (const auto& entry : snapshot)
        entry.second->Release();
}

CPlymSkinObject* CPlymSkinManager::AttachSkinObject(HWND window,
                                                    const char* className,
                                                    const CREATESTRUCTA* create,
                                                    BOOL automatic) {
    if (!window || !className)
        return nullptr;
    const plym::SkinObjectChoice choice = plym::ChooseSkinObject(m_classNames, className);
    CPlymSkinObject* object = nullptr;
    if (choice.kind == plym::SkinObjectChoice::kEntry)
        object = m_classInfos[static_cast<size_t>(choice.entry)]->CreateObject(className, create);
    if (choice.kind == plym::SkinObjectChoice::kApplicationFrame || (!object && choice.windowsForms))
        object = new CPlymSkinObjectApplicationFrame;
    if (!object)
        return nullptr;
    if (choice.windowsForms)
        object->SetWindowsForms(TRUE);
    if (choice.dialog && object->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectFrame)))
        static_cast<CPlymSkinObjectFrame*>(object)->SetDialogKind(
            IsTabPageDialog(create) ? CPlymSkinObjectFrame::kTabPageDialog : CPlymSkinObjectFrame::kDialog);
    AttachObject(window, object, create, automatic);
    return object;
}

void CPlymSkinManager::AttachObject(HWND window,
                                    CPlymSkinObject* object,
                                    const CREATESTRUCTA* create,
                                    BOOL automatic) {
    // An object the window has already leaves first: it is released, and the
    // window's procedure is its own again before the new object reads it.
    if (FindSkinObject(window))
        DetachSkinObject(window, FALSE);
    object->SetManager(this);
    {
        CPlymScopedLock lock(&m_lock);
        m_windows[window] = object;
    }
    object->AttachToWindow(window, create, automatic);
}

void CPlymSkinManager::SetHookedGroups(DWORD options) {
    m_applyOptions = options;
    if (!m_enabled)
        return;
    CPlymSkinManagerApiHook* engine = GetPlymSkinManagerApiHook();
    engine->UnhookAll();
    engine->HookAll();
    ReloadAndBroadcast(TRUE);
}

void CPlymSkinManager::ReloadAndBroadcast(BOOL previous) {
    if (CPlymSkinManagerSchema* schema = GetSchema())
        schema->ReloadMetrics();
    GetPlymColorManager()->RefreshColors();
    BroadcastSkinChange(previous, m_enabled);
}

BOOL CPlymSkinManager::OpenSkin(const char* path, const char* iniName) {
    ReleaseSchema();
    GetPlymSkinManagerApiHook()->UnhookAll();
    GetPlymSoundPlayer()->Stop();
    const BOOL previous = m_enabled;
    if (CPlymColorManager::IsLowColorDisplay(nullptr) || !CPlymSkinManagerModuleList::IsAvailable() ||
        !ReadSkin(path, iniName)) {
        m_enabled = FALSE;
        ReleaseSchema();
        GetPlymColorManager()->RefreshColors();
        BroadcastSkinChange(previous, FALSE);
        return FALSE;
    }
    m_enabled = TRUE;
    GetPlymSkinManagerApiHook()->HookAll();
    ReloadAndBroadcast(previous);
    return TRUE;
}

BOOL CPlymSkinManager::ReadSkin(const char* path, const char* iniName) {
    m_skinFile->Close();
    if (!path || !m_skinFile->Open(path, iniName ? iniName : ""))
        return FALSE;
    ReleaseSchema();
    CPlymSkinManagerSchema* schema = m_skinFile->CreateSchema();
    if (!schema)
        return FALSE;
    schema->SetSkinPath(path);
    m_schema = schema;
    return schema->ReadProperties() >= 0;
}

void CPlymSkinManager::ReleaseSchema() {
    CPlymSkinManagerSchema* schema = m_schema.exchange(nullptr);
    if (!schema)
        return;
    // The replaced colour functions of other threads may still read it.
    m_schemaReaders.Retire();
    schema->Release();
}

void CPlymSkinManager::CloseSkinFile() {
    m_skinFile->Close();
}

CPlymSkinManagerMetrics* CPlymSkinManager::GetMetrics() const {
    CPlymSkinManagerSchema* schema = GetSchema();
    return schema ? schema->GetMetrics() : nullptr;
}

COLORREF CPlymSkinManager::GetThemeSysColor(int propertyId) {
    const int n = propertyId - plym::kPropFirstSysColor;
    CPlymSkinManagerSchema* schema = GetSchema();
    if (!schema)
        return GetSysColor(n);
    return plym::IsSkinColorIndex(n) ? schema->GetMetrics()->ColorAt(n) : static_cast<COLORREF>(-1);
}

BOOL CPlymSkinManager::GetThemeSysBool(int propertyId) {
    bool value = false;
    CPlymSkinManagerSchema* schema = GetSchema();
    if (!schema ||
        schema->GetBoolProperty(plym::kClassSysMetrics, 0, 0, propertyId, &value) != plym::kResultOk)
        return FALSE;
    return value ? TRUE : FALSE;
}

void CPlymSkinManager::FilterColor(COLORREF* color) {
    for (const auto& filter : m_colorFilters)
        filter->FilterColor(color);
}

CPlymSkinObject* CPlymSkinManager::FindSkinObject(HWND window) {
    CPlymScopedLock lock(&m_lock);
    const auto found = m_windows.find(window);
    return found == m_windows.end() ? nullptr : found->second;
}

LONG CPlymSkinManager::DetachSkinObject(HWND window, BOOL destroying) {
    CPlymSkinObject* object = nullptr;
    {
        CPlymScopedLock lock(&m_lock);
        const auto found = m_windows.find(window);
        if (found == m_windows.end())
            return 0;
        object = found->second;
        m_windows.erase(found);
    }
    object->Unsubclass(destroying);
    return object->Release();
}

void CPlymSkinManager::DetachAllSkinObjects(BOOL leaveWindows) {
    CPlymScopedLock lock(&m_lock);
    // A window told that the framework leaves it may detach itself or others
    // (it destroys a window, say): walk a snapshot whose references keep
    // every object alive, and let go only of entries still in the map.
    while (!m_windows.empty()) {  // again for windows attached meanwhile
        for (const auto& [window, object] : SnapshotWindows()) {
            if (leaveWindows && FindSkinObject(window) == object)
                object->Unsubclass(FALSE);
            if (FindSkinObject(window) == object) {
                m_windows.erase(window);
                object->Release();
            }
            object->Release();
        }
    }
}

std::vector<std::pair<HWND, CPlymSkinObject*>> CPlymSkinManager::SnapshotWindows() {
    CPlymScopedLock lock(&m_lock);
    std::vector<std::pair<HWND, CPlymSkinObject*>> snapshot;
    snapshot.reserve(m_windows.size());
    for (const auto& [window, object] : m_windows) {
        object->AddRef();
        snapshot.emplace_back(window, object);
    }
    return snapshot;
}

size_t CPlymSkinManager::GetSkinObjectCount() {
    CPlymScopedLock lock(&m_lock);
    return m_windows.size();
}

void CPlymSkinManager::InstallThreadHook() {
    PlymSkinThreadState& state = ThreadState();
    if (!state.cbtHook)
        state.cbtHook = SetWindowsHookExA(WH_CBT, &CbtHookProc, nullptr, GetCurrentThreadId());
}

LRESULT CALLBACK CPlymSkinManager::CbtHookProc(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallNextHookEx(ThreadState().cbtHook, code, wParam, lParam);
    CPlymSkinManager* manager = GetPlymSkinManager();
    if (code == HCBT_CREATEWND && manager->m_autoSkinNewWindows) {
        const auto window = reinterpret_cast<HWND>(wParam);
        char className[50] = {};
        GetClassNameA(window, className, sizeof className);
        const auto* created = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
        manager->AttachSkinObject(window, className, created ? created->lpcs : nullptr, TRUE);
    }
    return result;
}

BOOL CPlymSkinManager::IsTabPageDialog(const CREATESTRUCTA* create) {
    if (!create || !create->hwndParent)
        return FALSE;
    const DWORD style = static_cast<DWORD>(create->style);
    if (!(style & WS_CHILD) || !(style & DS_CONTROL))
        return FALSE;
    HWND parent = create->hwndParent;
    if (CPlymSkinObject* object = FindSkinObject(parent);
        object && object->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectFrame)) &&
        static_cast<CPlymSkinObjectFrame*>(object)->GetDialogKind() == CPlymSkinObjectFrame::kTabPageDialog)
        return TRUE;
    // Only a dialog's user word can be a property sheet's record; it is read
    // only where it can be read.
    char parentClass[16] = {};
    GetClassNameA(parent, parentClass, sizeof parentClass);
    if (lstrcmpA(parentClass, "#32770") != 0)
        return FALSE;
    const auto tab = reinterpret_cast<HWND>(SendMessageA(parent, kGetTabControl, 0, 0));
    if (!tab || !IsWindow(tab))
        return FALSE;
    const auto* record = reinterpret_cast<const LONG_PTR*>(GetWindowLongPtrA(parent, DWLP_USER));
    if (!IsReadable(record, 3 * sizeof(LONG_PTR)))
        return FALSE;
    return reinterpret_cast<HWND>(record[0]) == parent && (static_cast<DWORD>(record[2]) & kWizardFlags) == 0;
}

void CALLBACK CPlymSkinManager::WinEventProc(HWINEVENTHOOK /*hook*/,
                                             DWORD event,
                                             HWND window,
                                             LONG objectId,
                                             LONG /*childId*/,
                                             DWORD /*thread*/,
                                             DWORD /*time*/) {
    CPlymSkinManager* manager = GetPlymSkinManager();
    if (event != EVENT_OBJECT_REORDER || objectId != OBJID_WINDOW ||
        !(manager->m_applyOptions & kPlymHookFrames) || !manager->m_enabled)
        return;
    CPlymSkinObject* object = manager->FindSkinObject(window);
    constexpr DWORD kBordersOrBars = WS_BORDER | WS_DLGFRAME | WS_VSCROLL | WS_HSCROLL;
    if (object && IsWindow(window) &&
        (static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & kBordersOrBars))
        SetTimer(window, CPlymSkinObjectFrame::kScrollStateTimer, 1000,
                 &CPlymSkinObjectFrame::ScrollStateTimerProc);
}
