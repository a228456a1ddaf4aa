// skin/core/module_handle.h
//
// CPlymModuleHandle: a system library the framework calls into by name. It
// is attached (GetModuleHandleA, not owned) or loaded (LoadLibraryA, owned
// and freed on release); functions that need a minimum library version are
// only handed out when the library's DllGetVersion reports at least that
// version (major << 16 | minor).
#pragma once

#include <windows.h>

#include <string>

class CPlymModuleHandle {
  public:
    enum How { kNone = 0, kAttached = 1, kLoaded = 2 };

    CPlymModuleHandle() = default;
    ~CPlymModuleHandle() { Release(); }
    CPlymModuleHandle(const CPlymModuleHandle&) = delete;
    CPlymModuleHandle& operator=(const CPlymModuleHandle&) = delete;

    BOOL Attach(const char* fileName);
    BOOL Load(const char* fileName);
    BOOL AttachOrLoad(const char* fileName);
    // FreeLibrary only for a library this object loaded.
    void Release();

    HMODULE Handle() const { return m_module; }
    How GetHow() const { return m_how; }
    // The library's version word, 0 when it has no DllGetVersion.
    DWORD GetDllVersion();
    // NULL when missing or when the library is older than `minimumVersion`
    // (0: any version).
    FARPROC GetFunction(const char* name, DWORD minimumVersion = 0);

  private:
    // DLLVERSIONINFO, 20 bytes.
    struct VersionRecord {
        DWORD size;
        DWORD major;
        DWORD minor;
        DWORD build;
        DWORD platform;
    };

    std::string m_fileName;
    HMODULE m_module = nullptr;
    How m_how = kNone;
    VersionRecord m_version{};
    bool m_versionRead = false;
};
