// winlib/hooks.cpp
#include "winlib/hooks.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <utility>

#include "winlib/app.h"
#include "winlib/wnd.h"

namespace {

winlib::Hooks& Installed() {
    static winlib::Hooks hooks;
    return hooks;
}

}  // namespace

namespace winlib {

Hooks SetHooks(Hooks hooks) {
    return std::exchange(Installed(), std::move(hooks));
}

void ResetHooks() {
    Installed() = Hooks{};
}

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    if (Installed().messageBox)
        return Installed().messageBox(owner, text, caption, type);
    return ::MessageBoxA(owner, text, caption, type);
}

HINSTANCE ShellExecuteProgram(HWND owner,
                              const char* verb,
                              const char* file,
                              const char* parameters,
                              const char* directory,
                              int show) {
    if (Installed().shellExecute)
        return Installed().shellExecute(owner, verb, file, parameters, directory, show);
    return ::ShellExecuteA(owner, verb, file, parameters, directory, show);
}

bool BrowseForFolder(HWND owner, const char* title, std::string& folder) {
    if (Installed().browseForFolder)
        return Installed().browseForFolder(owner, title, folder);
    BROWSEINFOA info{};
    char display[MAX_PATH] = {};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderA(&info);
    if (!chosen)
        return false;
    char path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListA(chosen, path) != FALSE;
    ::CoTaskMemFree(chosen);
    if (ok)
        folder = path;
    return ok;
}

bool ChooseFile(HWND owner,
                bool save,
                const char* filter,
                const char* title,
                const char* defaultExtension,
                std::string& file) {
    if (Installed().chooseFile)
        return Installed().chooseFile(owner, save, filter, title, defaultExtension, file);
    // The filter's '|' separators become the NULs the system reads.
    std::string filters = filter ? filter : "";
    for (char& c : filters)
        if (c == '|')
            c = '\0';
    filters.push_back('\0');
    char path[MAX_PATH] = {};
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filters.c_str();
    request.lpstrFile = path;
    request.nMaxFile = MAX_PATH;
    request.lpstrTitle = title;
    request.lpstrDefExt = save ? defaultExtension : nullptr;
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (save ? 0 : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = save ? ::GetSaveFileNameA(&request) : ::GetOpenFileNameA(&request);
    if (!chosen)
        return false;
    file = path;
    return true;
}

std::string ExePath() {
    if (Installed().exePath)
        return Installed().exePath();
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

std::string ExeFolder() {
    std::string path = ExePath();
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string PhysicalDrivePath(int drive) {
    if (Installed().physicalDrivePath)
        return Installed().physicalDrivePath(drive);
    return "\\\\.\\PhysicalDrive" + std::to_string(drive);
}

}  // namespace winlib

int AfxMessageBox(LPCSTR text, UINT type, UINT) {
    CWinApp* app = AfxGetApp();
    HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
    if (owner && !::IsWindowEnabled(owner))
        owner = ::GetActiveWindow();  // a modal dialog is up
    return winlib::ShowMessageBox(owner, text, app && app->m_pszAppName ? app->m_pszAppName : "", type);
}

int AfxMessageBox(UINT promptId, UINT type, UINT) {
    CString text;
    text.LoadString(promptId);
    return AfxMessageBox(text, type, 0);
}
