// skin/core/module_list.h
//
// CPlymSkinManagerModuleList: the modules of a process, through PSAPI's
// module enumeration when "PSAPI.DLL" loads, else through the ToolHelp
// snapshot functions of KERNEL32. Without either no import table can be
// patched, and the skin manager refuses a skin.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

struct PlymModuleInfo {
    void* base = nullptr;
    DWORD size = 0;
    void* entryPoint = nullptr;
};

class CPlymModuleEnumerator {
  public:
    virtual ~CPlymModuleEnumerator() = default;
    virtual HMODULE First() = 0;
    virtual HMODULE Next() = 0;
    virtual BOOL GetModuleInfo(HMODULE module, PlymModuleInfo* info) = 0;
};

class CPlymSkinManagerModuleList {
  public:
    explicit CPlymSkinManagerModuleList(DWORD processId = GetCurrentProcessId());

    // The first module, then the next ones; NULL at the end (or without an
    // enumerator).
    HMODULE First() { return m_enumerator ? m_enumerator->First() : nullptr; }
    HMODULE Next() { return m_enumerator ? m_enumerator->Next() : nullptr; }
    BOOL GetModuleInfo(HMODULE module, PlymModuleInfo* info) {
        return m_enumerator ? m_enumerator->GetModuleInfo(module, info) : FALSE;
    }

    // Whether this process can enumerate its modules at all (checked once).
    static BOOL IsAvailable();

  private:
    std::unique_ptr<CPlymModuleEnumerator> m_enumerator;
};
