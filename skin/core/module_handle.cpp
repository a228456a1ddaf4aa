// skin/core/module_handle.cpp
#include "skin/core/module_handle.h"

#include "skin/core/os_version.h"

BOOL CPlymModuleHandle::Attach(const char* fileName) {
    Release();
    m_module = GetModuleHandleA(fileName);
    if (!m_module)
        return FALSE;
    m_fileName = fileName;
    m_how = kAttached;
    return TRUE;
}

BOOL CPlymModuleHandle::Load(const char* fileName) {
    Release();
    m_module = LoadLibraryA(fileName);
    if (!m_module)
        return FALSE;
    m_fileName = fileName;
    m_how = kLoaded;
    return TRUE;
}

BOOL CPlymModuleHandle::AttachOrLoad(const char* fileName) {
    return Attach(fileName) || Load(fileName);
}

void CPlymModuleHandle::Release() {
    if (m_how == kLoaded && m_module)
        FreeLibrary(m_module);
    m_module = nullptr;
    m_how = kNone;
    m_fileName.clear();
    m_version = {};
    m_versionRead = false;
}

DWORD CPlymModuleHandle::GetDllVersion() {
    if (!m_module)
        return 0;
    if (!m_versionRead) {
        m_versionRead = true;
        using DllGetVersionFn = HRESULT(CALLBACK*)(VersionRecord*);
        const auto getVersion = reinterpret_cast<DllGetVersionFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(m_module, "DllGetVersion")));
        m_version = {};
        m_version.size = sizeof(m_version);
        if (!getVersion || FAILED(getVersion(&m_version)))
            m_version = {};
    }
    return plym::DllVersionWord(m_version.major, m_version.minor);
}

FARPROC CPlymModuleHandle::GetFunction(const char* name, DWORD minimumVersion) {
    if (!m_module)
        return nullptr;
    if (minimumVersion != 0 && !plym::VersionAllows(GetDllVersion(), minimumVersion))
        return nullptr;
    return GetProcAddress(m_module, name);
}
