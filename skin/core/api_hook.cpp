// skin/core/api_hook.cpp
#include "skin/core/api_hook.h"

#include <dbghelp.h>

#include <cstring>
#include <memory>

#include "skin/core/module_list.h"
#include "skin/core/os_version_info.h"
#include "skin/core/skin_manager.h"
#include "skin/core/unpatched_gdi.h"

namespace {

using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using GetModuleHandleAFn = HMODULE(WINAPI*)(LPCSTR);
using LoadLibraryAFn = HMODULE(WINAPI*)(LPCSTR);

template <typename Fn>
Fn AsFunction(FARPROC address) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
}

// On the Windows 9x family the system's exports above the application space
// can be "push address; ret" thunks: the pushed address is the function.
bool IsPushThunk(const void* address) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    return address > system.lpMaximumApplicationAddress && *static_cast<const BYTE*>(address) == 0x68;
}

FARPROC ThunkTarget(FARPROC address) {
    if (!address || !GetPlymOSVersionInfo().OnWin9xFamily() ||
        !IsPushThunk(reinterpret_cast<const void*>(address)))
        return address;
    uint32_t operand = 0;
    std::memcpy(&operand, reinterpret_cast<const BYTE*>(address) + 1, sizeof operand);
    return reinterpret_cast<FARPROC>(static_cast<uintptr_t>(operand));
}

// Writes one import entry, lifting the page's protection for the write.
BOOL WriteImportEntry(ULONG_PTR* entry, FARPROC value) {
    MEMORY_BASIC_INFORMATION region{};
    if (!VirtualQuery(entry, &region, sizeof region))
        return FALSE;
    constexpr DWORD kExecutable =
        PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    // A page that also holds code keeps it runnable.
    const DWORD writable = (region.Protect & kExecutable) ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE;
    DWORD previous = 0;
    if (!VirtualProtect(entry, sizeof *entry, writable, &previous))
        return FALSE;
    *entry = reinterpret_cast<ULONG_PTR>(value);
    VirtualProtect(entry, sizeof *entry, previous, &previous);
    return TRUE;
}

// The address range of a loaded module.
struct ModuleRange {
    HMODULE module = nullptr;
    uintptr_t base = 0;
    uintptr_t end = 0;

    void Compute(HMODULE loaded) {
        module = loaded;
        base = end = 0;
        PlymModuleInfo info;
        if (loaded && CPlymSkinManagerModuleList().GetModuleInfo(loaded, &info)) {
            base = reinterpret_cast<uintptr_t>(info.base);
            end = base + info.size;
        }
    }
    bool Holds(uintptr_t address) const { return address > base && address < end; }
};

}  // namespace

// ---- one entry -------------------------------------------------------------------------

CPlymSkinManagerApiFunction::CPlymSkinManagerApiFunction(CPlymSkinManagerApiHook* owner,
                                                         const char* module,
                                                         const char* function,
                                                         FARPROC unpatched,
                                                         FARPROC replacement)
    : m_owner(owner), m_unpatched(ThunkTarget(unpatched)), m_replacement(replacement) {
    lstrcpynA(m_module, module, sizeof m_module);
    lstrcpynA(m_function, function, sizeof m_function);
}

BOOL CPlymSkinManagerApiFunction::Hook() {
    m_hooked = m_owner->PatchAllModules(m_module, m_unpatched, m_replacement);
    return m_hooked;
}

void CPlymSkinManagerApiFunction::Unhook() {
    if (!m_hooked)
        return;
    m_owner->PatchAllModules(m_module, m_replacement, m_unpatched);
    m_hooked = FALSE;
}

BOOL CPlymSkinManagerApiFunction::HookModule(HMODULE module) {
    if (!m_unpatched)
        return FALSE;
    if (m_owner->PatchModuleImports(m_module, m_unpatched, m_replacement, module))
        m_hooked = TRUE;
    return m_hooked;
}

// ---- the engine --------------------------------------------------------------------------

CPlymSkinManagerApiHook::CPlymSkinManagerApiHook() {
    // The system's own functions, before anything is patched.
    for (int id = 0; id < plym::kHookCount; ++id) {
        const plym::HookRow* row = plym::FindHookRow(id);
        if (plym::EqualsIgnoringAsciiCase(row->module, plym::kUxThemeModule))
            continue;
        HMODULE module = GetModuleHandleA(row->module);
        if (!module)
            module = LoadLibraryA(row->module);
        m_system[id] = module ? ThunkTarget(GetProcAddress(module, row->function)) : nullptr;
    }
    for (const char* name : {"SHLWAPI.DLL", "COMCTL32.DLL"})
        m_excluded.push_back({nullptr, name, TRUE});
    for (const char* name : {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "WININET.DLL", "MSCTF.DLL"})
        m_excluded.push_back({nullptr, name, FALSE});
}

CPlymSkinManagerApiHook::~CPlymSkinManagerApiHook() {
    UnhookAll();
}

void CPlymSkinManagerApiHook::RefreshExcludedModules() {
    const auto getModule = AsFunction<GetModuleHandleAFn>(GetSystemAddress(plym::kHookGetModuleHandleA));
    for (ExcludedModule& excluded : m_excluded)
        excluded.module = getModule ? getModule(excluded.name.c_str()) : nullptr;
}

BOOL CPlymSkinManagerApiHook::IsExcludedModule(HMODULE module) const {
    const BOOL win9x = GetPlymOSVersionInfo().OnWin9xFamily();
    for (const ExcludedModule& excluded : m_excluded) {
        if (excluded.module == module && (!excluded.win9xOnly || win9x))
            return TRUE;
    }
    return FALSE;
}

void CPlymSkinManagerApiHook::HookAll() {
    const auto hold = m_table.Lock();
    if (m_installed)
        return;
    RefreshExcludedModules();
    for (int id : plym::HookAllOrder(GetPlymSkinManager()->GetHookedGroups())) {
        const plym::HookRow* row = plym::FindHookRow(id);
        HookFunction(id, row->module, row->function, PlymHookReplacement(id));
    }
    m_installed = TRUE;
}

void CPlymSkinManagerApiHook::UnhookAll() {
    const auto hold = m_table.Lock();
    if (!m_installed)
        return;
    m_table.RemoveAll([](CPlymSkinManagerApiFunction& entry) { entry.Unhook(); });
    PlymSetUnpatchedDeleteObject(nullptr);
    m_installed = FALSE;
}

FARPROC CPlymSkinManagerApiHook::GetOriginalAddress(int id) const {
    return reinterpret_cast<FARPROC>(m_table.Unpatched(id));
}

FARPROC CPlymSkinManagerApiHook::FindReplacement(const char* module, const char* function) const {
    for (int id = 0; id < plym::kHookCount; ++id) {
        const plym::HookRow* row = plym::FindHookRow(id);
        if (row && plym::EqualsIgnoringAsciiCase(row->module, module) &&
            plym::EqualsIgnoringAsciiCase(row->function, function))
            return reinterpret_cast<FARPROC>(m_table.Replacement(id));
    }
    return nullptr;
}

FARPROC CPlymSkinManagerApiHook::GetSystemAddress(int id) const {
    return id >= 0 && id < plym::kHookCount ? m_system[id] : nullptr;
}

CPlymSkinManagerApiFunction* CPlymSkinManagerApiHook::GetEntry(int id) const {
    return m_table.At(id);
}

CPlymSkinManagerApiFunction* CPlymSkinManagerApiHook::FindHookEntry(const char* module,
                                                                    const char* function) const {
    CPlymSkinManagerApiFunction* found = nullptr;
    m_table.ForEach([&](CPlymSkinManagerApiFunction& entry) {
        if (!found && plym::EqualsIgnoringAsciiCase(entry.GetModuleName(), module) &&
            plym::EqualsIgnoringAsciiCase(entry.GetFunctionName(), function))
            found = &entry;
    });
    return found;
}

BOOL CPlymSkinManagerApiHook::HookFunction(int id,
                                           const char* module,
                                           const char* function,
                                           FARPROC replacement) {
    const auto hold = m_table.Lock();
    if (id < 0 || id >= plym::kHookCount || m_table.At(id) || FindHookEntry(module, function))
        return FALSE;
    FARPROC unpatched = nullptr;
    // The visual-style entries patch nothing: GetProcAddress serves them.
    if (!plym::EqualsIgnoringAsciiCase(module, plym::kUxThemeModule)) {
        const auto getProc = AsFunction<GetProcAddressFn>(GetSystemAddress(plym::kHookGetProcAddress));
        const auto getModule = AsFunction<GetModuleHandleAFn>(GetSystemAddress(plym::kHookGetModuleHandleA));
        const auto load = AsFunction<LoadLibraryAFn>(GetSystemAddress(plym::kHookLoadLibraryA));
        if (!getProc || !getModule)
            return FALSE;
        HMODULE library = getModule(module);
        unpatched = library ? getProc(library, function) : nullptr;
        if (!unpatched && load && (library = load(module)) != nullptr)
            unpatched = getProc(library, function);
        if (!unpatched)
            return FALSE;
    }
    auto* entry = new CPlymSkinManagerApiFunction(this, module, function, unpatched, replacement);
    m_table.Put(id, std::unique_ptr<CPlymSkinManagerApiFunction>(entry),
                reinterpret_cast<uintptr_t>(entry->GetUnpatched()), reinterpret_cast<uintptr_t>(replacement));
    if (id == plym::kHookDeleteObject)
        PlymSetUnpatchedDeleteObject(
            reinterpret_cast<PlymDeleteObjectFn>(reinterpret_cast<void (*)()>(entry->GetUnpatched())));
    entry->Hook();
    return TRUE;
}

BOOL CPlymSkinManagerApiHook::PatchAllModules(const char* module, FARPROC oldAddress, FARPROC newAddress) {
    if (!oldAddress || !newAddress)
        return FALSE;
    const HMODULE self = GetModuleHandleA(nullptr);
    BOOL patched = FALSE;
    CPlymSkinManagerModuleList modules;
    for (HMODULE target = modules.First(); target; target = modules.Next()) {
        if (target != self && !IsExcludedModule(target) &&
            PatchModuleImports(module, oldAddress, newAddress, target))
            patched = TRUE;
    }
    if (PatchModuleImports(module, oldAddress, newAddress, self))
        patched = TRUE;
    return patched;
}

BOOL CPlymSkinManagerApiHook::PatchModuleImports(const char* module,
                                                 FARPROC oldAddress,
                                                 FARPROC newAddress,
                                                 HMODULE target) {
    if (!target || !oldAddress || !newAddress)
        return FALSE;
    CPlymScopedLock lock(&m_patchLock);
    ULONG size = 0;
    auto* imports = static_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        ImageDirectoryEntryToData(target, TRUE, IMAGE_DIRECTORY_ENTRY_IMPORT, &size));
    if (!imports)
        return FALSE;
    auto* base = reinterpret_cast<BYTE*>(target);
    const BOOL win9x = GetPlymOSVersionInfo().OnWin9xFamily();
    for (; imports->Name; ++imports) {
        if (!plym::EqualsIgnoringAsciiCase(reinterpret_cast<const char*>(base + imports->Name), module))
            continue;
        auto* entry = reinterpret_cast<ULONG_PTR*>(base + imports->FirstThunk);
        for (; *entry; ++entry) {
            auto* value = reinterpret_cast<void*>(*entry);
            if (*entry == reinterpret_cast<ULONG_PTR>(oldAddress))
                return WriteImportEntry(entry, newAddress);
            // Windows 9x: a push thunk whose operand is the old address.
            if (win9x && IsPushThunk(value)) {
                uint32_t operand = 0;
                std::memcpy(&operand, static_cast<BYTE*>(value) + 1, sizeof operand);
                if (operand == reinterpret_cast<uintptr_t>(oldAddress)) {
                    const auto replaced = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(newAddress));
                    DWORD previous = 0;
                    if (!VirtualProtect(static_cast<BYTE*>(value) + 1, sizeof replaced,
                                        PAGE_EXECUTE_READWRITE, &previous))
                        return FALSE;
                    std::memcpy(static_cast<BYTE*>(value) + 1, &replaced, sizeof replaced);
                    VirtualProtect(static_cast<BYTE*>(value) + 1, sizeof replaced, previous, &previous);
                    return TRUE;
                }
            }
        }
    }
    return FALSE;
}

void CPlymSkinManagerApiHook::OnModuleLoaded(HMODULE module, DWORD flags) {
    const auto hold = m_table.Lock();
    RefreshExcludedModules();
    // A module mapped as data (its handle tagged in the low bits) has no
    // import table to patch.
    constexpr DWORD kAsData =
        LOAD_LIBRARY_AS_DATAFILE | 0x20 /* AS_IMAGE_RESOURCE */ | 0x40 /* DATAFILE_EXCLUSIVE */;
    if (!module || (reinterpret_cast<uintptr_t>(module) & 3) != 0 || (flags & kAsData) ||
        IsExcludedModule(module))
        return;
    m_table.ForEach([module](CPlymSkinManagerApiFunction& entry) { entry.HookModule(module); });
}

BOOL CPlymSkinManagerApiHook::IsSystemModuleAddress(uintptr_t address) {
    // The system's window-procedure handles.
    if (address >= 0xFFFF0000u && address <= 0xFFFFFFFFu)
        return TRUE;
    static CPlymCritSec lock;
    static ModuleRange user32, comctl32, ntdll;
    static bool computed = false;
    CPlymScopedLock hold(&lock);
    if (!computed) {
        computed = true;
        user32.Compute(GetModuleHandleA("USER32.DLL"));
        ntdll.Compute(GetModuleHandleA("NTDLL.DLL"));
    }
    if (const HMODULE loaded = GetModuleHandleA("COMCTL32.DLL"); loaded != comctl32.module)
        comctl32.Compute(loaded);
    return user32.Holds(address) || comctl32.Holds(address) ||
           (GetPlymOSVersionInfo().OnXPOrLater() && ntdll.Holds(address));
}

CPlymSkinManagerApiHook* GetPlymSkinManagerApiHook() {
    static CPlymSkinManagerApiHook engine;
    return &engine;
}

FARPROC PlymSystemFunction(int id) {
    CPlymSkinManagerApiHook* engine = GetPlymSkinManagerApiHook();
    FARPROC original = engine->GetOriginalAddress(id);
    return original ? original : engine->GetSystemAddress(id);
}
