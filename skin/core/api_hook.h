// skin/core/api_hook.h
//
// CPlymSkinManagerApiHook: the skin reaches windows it never subclasses, and
// the colours and metrics other code asks the system for, by replacing system
// functions in the import address tables of every module of the process.
// The engine keeps one entry per hook id (hook_table.h), each knowing its
// function's unpatched address and its replacement; HookAll patches them into
// every module (the program's own last), UnhookAll puts the unpatched
// addresses back, and modules loaded later are patched by the replaced
// LoadLibrary functions. The visual-style functions are never patched: the
// replaced GetModuleHandleA and GetProcAddress hand out their replacements.
//
// Modules never patched: KERNEL32, USER32, GDI32, WININET and MSCTF, and on
// the Windows 9x family also SHLWAPI and COMCTL32. An import entry is
// rewritten under VirtualProtect, one module at a time under the patch lock.
// The table changes only on the GUI thread (skin open and change) and in a
// thread that loads a library (which only patches that library), both under
// the table lock, so a library loaded while the skin changes never meets an
// entry being deleted. Replacements run in any thread: they find the
// unpatched functions and the visual-style replacements without a lock, and
// those consulting the manager read its enabled flag and options without one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "skin/core/hook_entries.h"
#include "skin/core/hook_table.h"
#include "skin/core/plym_sync.h"

class CPlymSkinManagerApiHook;

// One replaced function.
class CPlymSkinManagerApiFunction {
  public:
    CPlymSkinManagerApiFunction(CPlymSkinManagerApiHook* owner,
                                const char* module,
                                const char* function,
                                FARPROC unpatched,
                                FARPROC replacement);

    // Patches every module; TRUE when any import entry now calls the
    // replacement. Nothing with a 0 unpatched address.
    BOOL Hook();
    // Puts the unpatched address back where it was replaced.
    void Unhook();
    // Patches one (newly loaded) module.
    BOOL HookModule(HMODULE module);

    BOOL IsHooked() const { return m_hooked; }
    const char* GetModuleName() const { return m_module; }
    const char* GetFunctionName() const { return m_function; }
    FARPROC GetUnpatched() const { return m_unpatched; }
    FARPROC GetReplacement() const { return m_replacement; }

  private:
    CPlymSkinManagerApiHook* m_owner;
    BOOL m_hooked = FALSE;
    char m_module[20] = {};
    char m_function[30] = {};
    FARPROC m_unpatched;
    FARPROC m_replacement;
};

class CPlymSkinManagerApiHook {
  public:
    CPlymSkinManagerApiHook();
    ~CPlymSkinManagerApiHook();
    CPlymSkinManagerApiHook(const CPlymSkinManagerApiHook&) = delete;
    CPlymSkinManagerApiHook& operator=(const CPlymSkinManagerApiHook&) = delete;

    // Installs the table for the manager's apply options (nothing when
    // installed already).
    void HookAll();
    // Removes every replacement and deletes the entries.
    void UnhookAll();
    BOOL IsInstalled() const { return m_installed; }

    // The unpatched address of a hooked id, 0 when the id is not hooked.
    // Any thread.
    FARPROC GetOriginalAddress(int id) const;
    // The replacement installed for (module, function), NULL when there is
    // none. Any thread.
    FARPROC FindReplacement(const char* module, const char* function) const;
    // The system's own function of an id (resolved before anything was
    // patched; 0 for the visual-style ids).
    FARPROC GetSystemAddress(int id) const;
    // Creates and hooks the entry for `id` unless (module, function) has one.
    BOOL HookFunction(int id, const char* module, const char* function, FARPROC replacement);
    // The entries themselves: GUI thread only.
    CPlymSkinManagerApiFunction* FindHookEntry(const char* module, const char* function) const;
    CPlymSkinManagerApiFunction* GetEntry(int id) const;

    // Replaces `oldAddress` by `newAddress` in the imports from `module` of
    // every module but the excluded ones, the program's own last. TRUE when
    // anything was replaced.
    BOOL PatchAllModules(const char* module, FARPROC oldAddress, FARPROC newAddress);
    BOOL PatchModuleImports(const char* module, FARPROC oldAddress, FARPROC newAddress, HMODULE target);
    // A library was loaded (LoadLibrary flags): every entry patches it.
    void OnModuleLoaded(HMODULE module, DWORD flags);
    BOOL IsExcludedModule(HMODULE module) const;

    // Code of the system's window procedures: inside USER32, COMCTL32 and (XP
    // on) NTDLL, or one of the system's procedure handles (0xFFFF0000 ..
    // 0xFFFFFFFF).
    static BOOL IsSystemModuleAddress(uintptr_t address);

  private:
    struct ExcludedModule {
        HMODULE module;
        std::string name;
        BOOL win9xOnly;
    };
    void RefreshExcludedModules();

    // The entries; their lock also guards the excluded modules and is taken
    // before the patch lock.
    plym::HookEntries<CPlymSkinManagerApiFunction> m_table;
    FARPROC m_system[plym::kHookCount] = {};
    BOOL m_installed = FALSE;
    std::vector<ExcludedModule> m_excluded;
    mutable CPlymCritSec m_patchLock;
};

// The hook engine, made on first use.
CPlymSkinManagerApiHook* GetPlymSkinManagerApiHook();

// The function a replacement calls for `id`: the unpatched address while
// hooked, else the system's own.
FARPROC PlymSystemFunction(int id);

// The replacement of a hook id (NULL outside 0 .. 45).
FARPROC PlymHookReplacement(int id);

// Thread-start blocks handed to the CreateThread replacement's threads that
// have not started yet (a CreateThread that fails leaves none behind).
LONG PlymPendingThreadStarts();
