// skin/core/module_list.cpp
#include "skin/core/module_list.h"

#include <tlhelp32.h>

#include <algorithm>

namespace {

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}

// What the process has, looked up once.
struct ModuleApis {
    HMODULE psapi = nullptr;
    BOOL(WINAPI* enumProcessModules)(HANDLE, HMODULE*, DWORD, LPDWORD) = nullptr;
    BOOL(WINAPI* getModuleInformation)(HANDLE, HMODULE, void*, DWORD) = nullptr;
    HANDLE(WINAPI* createSnapshot)(DWORD, DWORD) = nullptr;
    BOOL(WINAPI* module32First)(HANDLE, MODULEENTRY32*) = nullptr;
    BOOL(WINAPI* module32Next)(HANDLE, MODULEENTRY32*) = nullptr;
    BOOL available = FALSE;

    ModuleApis() {
        psapi = LoadLibraryA("PSAPI.DLL");
        enumProcessModules = Lookup<decltype(enumProcessModules)>(psapi, "EnumProcessModules");
        getModuleInformation = Lookup<decltype(getModuleInformation)>(psapi, "GetModuleInformation");
        if (!enumProcessModules || !getModuleInformation)
            psapi = nullptr;
        const HMODULE kernel = GetModuleHandleA("KERNEL32");
        createSnapshot = Lookup<decltype(createSnapshot)>(kernel, "CreateToolhelp32Snapshot");
        module32First = Lookup<decltype(module32First)>(kernel, "Module32First");
        module32Next = Lookup<decltype(module32Next)>(kernel, "Module32Next");
        available = psapi != nullptr || createSnapshot != nullptr;
    }
};

const ModuleApis& Apis() {
    static const ModuleApis apis;
    return apis;
}

class CPsapiModuleEnumerator : public CPlymModuleEnumerator {
  public:
    explicit CPsapiModuleEnumerator(DWORD processId) : m_processId(processId) {}

    HMODULE First() override {
        m_modules.clear();
        m_next = 0;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, m_processId);
        if (!process)
            return nullptr;
        DWORD needed = 0;
        if (Apis().enumProcessModules(process, nullptr, 0, &needed) && needed > 0) {
            m_modules.resize(needed / sizeof(HMODULE));
            DWORD filled = 0;
            if (!Apis().enumProcessModules(process, m_modules.data(),
                                           static_cast<DWORD>(m_modules.size() * sizeof(HMODULE)), &filled))
                filled = 0;
            // Modules loaded in between are left for the next enumeration.
            m_modules.resize(std::min<size_t>(m_modules.size(), filled / sizeof(HMODULE)));
        }
        CloseHandle(process);
        return Next();
    }

    HMODULE Next() override { return m_next < m_modules.size() ? m_modules[m_next++] : nullptr; }

    BOOL GetModuleInfo(HMODULE module, PlymModuleInfo* info) override {
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, m_processId);
        if (!process)
            return FALSE;
        struct {
            void* base;
            DWORD size;
            void* entryPoint;
        } record{};  // MODULEINFO
        const BOOL ok = Apis().getModuleInformation(process, module, &record, sizeof record);
        CloseHandle(process);
        if (ok)
            *info = {record.base, record.size, record.entryPoint};
        return ok;
    }

  private:
    DWORD m_processId;
    std::vector<HMODULE> m_modules;
    size_t m_next = 0;
};

class CToolHelpModuleEnumerator : public CPlymModuleEnumerator {
  public:
    explicit CToolHelpModuleEnumerator(DWORD processId) : m_processId(processId) {}
    ~CToolHelpModuleEnumerator() override { CloseSnapshot(); }

    HMODULE First() override {
        CloseSnapshot();
        m_snapshot = Apis().createSnapshot(TH32CS_SNAPMODULE, m_processId);
        if (m_snapshot == INVALID_HANDLE_VALUE)
            m_snapshot = nullptr;
        MODULEENTRY32 entry{};
        entry.dwSize = sizeof entry;
        return m_snapshot && Apis().module32First(m_snapshot, &entry) ? entry.hModule : nullptr;
    }

    HMODULE Next() override {
        MODULEENTRY32 entry{};
        entry.dwSize = sizeof entry;
        return m_snapshot && Apis().module32Next(m_snapshot, &entry) ? entry.hModule : nullptr;
    }

    BOOL GetModuleInfo(HMODULE module, PlymModuleInfo* info) override {
        HANDLE snapshot = Apis().createSnapshot(TH32CS_SNAPMODULE, m_processId);
        if (snapshot == INVALID_HANDLE_VALUE)
            return FALSE;
        MODULEENTRY32 entry{};
        entry.dwSize = sizeof entry;
        BOOL found = FALSE;
        for (BOOL more = Apis().module32First(snapshot, &entry); more && !found;
             more = Apis().module32Next(snapshot, &entry)) {
            if (entry.hModule == module) {
                *info = {entry.modBaseAddr, entry.modBaseSize, nullptr};
                found = TRUE;
            }
        }
        CloseHandle(snapshot);
        return found;
    }

  private:
    void CloseSnapshot() {
        if (m_snapshot)
            CloseHandle(m_snapshot);
        m_snapshot = nullptr;
    }

    DWORD m_processId;
    HANDLE m_snapshot = nullptr;
};

}  // namespace

CPlymSkinManagerModuleList::CPlymSkinManagerModuleList(DWORD processId) {
    if (Apis().psapi)
        m_enumerator = std::make_unique<CPsapiModuleEnumerator>(processId);
    else if (Apis().createSnapshot && Apis().module32First && Apis().module32Next)
        m_enumerator = std::make_unique<CToolHelpModuleEnumerator>(processId);
}

BOOL CPlymSkinManagerModuleList::IsAvailable() {
    return Apis().available;
}
