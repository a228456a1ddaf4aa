// winlib/hooks.h
//
// The program's few calls whose effect reaches past its own windows: message
// boxes, starting a program (the restart after a settings change), the folder
// browser and the file dialogs, where the executable lives and how a raw
// drive is named. Product
// code makes these calls only through the functions below. Each goes to the
// real API unless a replacement is installed, which is how the in-process
// GUI tests answer message boxes, see restarts without starting anything,
// pick folders and files, and move the executable's folder and the drives into a test
// folder.
//
// Replacements are process-wide and meant to be installed by a test before
// the code under test runs (not thread-safe against concurrent installs).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace winlib {

struct Hooks {
    // (owner, text, caption, MB_* type) -> IDOK, IDCANCEL, ...
    std::function<int(HWND, const char*, const char*, UINT)> messageBox;
    // (owner, verb, file, parameters, directory, show) -> > 32 on success
    std::function<HINSTANCE(HWND, const char*, const char*, const char*, const char*, int)> shellExecute;
    // (owner, title, chosen folder) -> false when the user cancelled
    std::function<bool(HWND, const char*, std::string&)> browseForFolder;
    // (owner, save, filter, title, default extension, chosen file) -> false when cancelled
    std::function<bool(HWND, bool, const char*, const char*, const char*, std::string&)> chooseFile;
    // The full path of the running executable.
    std::function<std::string()> exePath;
    // The device path of physical drive n ("\\.\PhysicalDrive<n>").
    std::function<std::string(int)> physicalDrivePath;
};

// Installs `hooks` (an empty member means the real call) and returns the ones
// installed before.
Hooks SetHooks(Hooks hooks);
// Back to the real calls.
void ResetHooks();

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);
HINSTANCE ShellExecuteProgram(HWND owner,
                              const char* verb,
                              const char* file,
                              const char* parameters,
                              const char* directory,
                              int show);
// Shows the folder browser (title above the tree); true and the folder when
// one was chosen.
bool BrowseForFolder(HWND owner, const char* title, std::string& folder);
// Shows the system's file-open dialog (save: the file-save dialog, with the
// read-only box hidden and `defaultExtension`, without its dot, added to a
// name that has none). The filter is in the class library's form
// ("AVI files|*.avi|All files|*.*||"). True and the file when one was chosen.
bool ChooseFile(HWND owner,
                bool save,
                const char* filter,
                const char* title,
                const char* defaultExtension,
                std::string& file);
std::string ExePath();
// ExePath up to its last backslash (no trailing backslash).
std::string ExeFolder();
std::string PhysicalDrivePath(int drive);

}  // namespace winlib

// The message box of the application: caption = the application's name.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
// The text is string resource `promptId` of the resource module.
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = UINT(-1));
