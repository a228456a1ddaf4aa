// skin/core/resource_manager.h
//
// CPlymResourceManager: the skinning framework's access to its own resources
// (strings, menus, bitmaps, cursors, dialog templates, HTML, icons). Each
// request is tried first in the framework's resource module, when one is
// set, and then in the application's resource module (AfxGetResourceHandle).
// The manager knows the language of the framework module and converts
// strings between UTF-16 and that language's ANSI code page.
//
// Every load returns NULL, FALSE or 0 when neither module has the resource;
// nothing is reported. Resource bytes are read strictly inside their size.
// One instance per process (GetPlymResourceManager); GUI thread only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

#include "skin/core/resource_text.h"
#include "winlib/cstring.h"

class CPlymResourceManager {
  public:
    CPlymResourceManager();
    virtual ~CPlymResourceManager();
    CPlymResourceManager(const CPlymResourceManager&) = delete;
    CPlymResourceManager& operator=(const CPlymResourceManager&) = delete;

    // String `id` in the current language's code page; the length, 0 when
    // missing. `missing` (when given) is TRUE when nothing was found.
    virtual int LoadString(CString& text, UINT id, BOOL* missing);
    virtual int LoadString(CString& text, UINT id);
    virtual HMENU LoadMenu(UINT id);
    // Runs `loader` (the class library's own loader, e.g. CBitmap::LoadBitmap)
    // with the framework module as the application's resource handle; FALSE
    // when the loader fails.
    virtual BOOL LoadWithFrameworkResources(const std::function<BOOL()>& loader);
    virtual HBITMAP LoadBitmap(UINT id);
    virtual HCURSOR LoadCursor(UINT id);
    // The dialog template `id` locked in memory, or NULL; `size` its bytes.
    virtual const void* LockDialogTemplate(UINT id, DWORD* size = nullptr);
    // The loaded dialog template `name` (a name or MAKEINTRESOURCE id), or NULL;
    // `module` (when given) is the module that holds it.
    virtual HGLOBAL LoadDialogTemplate(LPCSTR name, HMODULE* module = nullptr);
    // The HTML resource `name`: TRUE when it is there with a positive size.
    virtual BOOL LoadHtml(LPCSTR name, const void** bytes = nullptr, DWORD* size = nullptr);
    // The icon `name` at its own size.
    virtual HICON LoadIcon(LPCSTR name);
    // The icon `name` at cx x cy (LoadImage), framework module first when it holds the icon group.
    virtual HICON LoadImage(LPCSTR name, int cx, int cy);
    // From `module`'s icon group `name`, the entry the system picks for cx x cy.
    virtual HICON LoadIconBySize(HMODULE module, LPCSTR name, int cx, int cy);
    // Frees the framework module.
    virtual void Close();
    virtual WORD GetLanguageId() const { return m_language->id; }
    // The framework module's language, or English (United States).
    virtual void UpdateLanguage();

    // The framework's resource module (owned from now on: Close frees it);
    // the language follows it.
    void SetResourceModule(HMODULE module);
    HMODULE GetResourceModule() const { return m_module; }
    const plym::PlymLanguage& GetLanguage() const { return *m_language; }
    // `text` converted from the current language's code page.
    std::wstring AnsiToWide(const char* text) const;

  private:
    HRSRC FindIn(HMODULE* module, LPCSTR name, LPCSTR type) const;

    HMODULE m_module = nullptr;
    const plym::PlymLanguage* m_language;
};

CPlymResourceManager* GetPlymResourceManager();

// For its lifetime, when a framework module is set, makes it the
// application's resource handle, and puts the previous one back after.
class CPlymResourceHandleSwitch {
  public:
    explicit CPlymResourceHandleSwitch(HMODULE frameworkModule);
    ~CPlymResourceHandleSwitch();
    CPlymResourceHandleSwitch(const CPlymResourceHandleSwitch&) = delete;
    CPlymResourceHandleSwitch& operator=(const CPlymResourceHandleSwitch&) = delete;

  private:
    HINSTANCE m_previous = nullptr;
    bool m_switched = false;
};
