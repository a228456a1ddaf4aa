// app/fileplay/file_play_system_win32.h
//
// The file player's ways to the computer's disks (Windows): the folder lister
// the drop and the scan walk with, and the system's file-open dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/base/file_play_ports.h"

namespace play {

// FindFirstFile / FindNextFile over "<folder>\*.*"; safe on any thread.
class Win32FolderLister final : public FolderLister {
  public:
    void List(const std::string& folder, const std::function<bool(const FolderEntry&)>& each) override;
    bool IsFolder(const std::string& path) override;
};

// The bytes the open dialog may fill with the chosen files when it lets the
// user choose many (the folder and every name, NUL-separated).
inline constexpr size_t kOpenFilesBufferSize = 102400;

// Shows the file-open dialog (read-only box hidden) with `filter` in the class
// library's form ("264 file(*.264)|*.264|...||") and `title`; `many` lets the
// user choose many files. True and the chosen files (full paths) on OK; false
// when cancelled or when the selection did not fit.
bool ChooseVideoFiles(HWND owner,
                      const std::string& filter,
                      const std::string& title,
                      bool many,
                      std::vector<std::string>* files);

// A file (not a folder) at `path`.
bool IsExistingFile(const std::string& path);

}  // namespace play
