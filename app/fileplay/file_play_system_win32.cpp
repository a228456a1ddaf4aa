// app/fileplay/file_play_system_win32.cpp
#include "app/fileplay/file_play_system_win32.h"

#include <commdlg.h>

#include <memory>

#include "app/fileplay/file_play_names.h"

namespace play {

void Win32FolderLister::List(const std::string& folder, const std::function<bool(const FolderEntry&)>& each) {
    WIN32_FIND_DATAA found{};
    const std::string pattern = folder + "\\*.*";
    HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        FolderEntry entry;
        entry.name.assign(found.cFileName, strnlen(found.cFileName, sizeof found.cFileName));
        entry.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!each(entry))
            break;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

bool Win32FolderLister::IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsExistingFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool ChooseVideoFiles(HWND owner,
                      const std::string& filter,
                      const std::string& title,
                      bool many,
                      std::vector<std::string>* files) {
    // The filter's '|' separators become the NULs the system reads.
    std::string filters = filter;
    for (char& c : filters) {
        if (c == '|')
            c = '\0';
    }
    filters.push_back('\0');
    const size_t size = many ? kOpenFilesBufferSize : MAX_PATH;
    const std::unique_ptr<char[]> buffer(new char[size]());
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filters.c_str();
    request.lpstrFile = buffer.get();
    request.nMaxFile = static_cast<DWORD>(size);  // all of it, so that a long selection fits
    request.lpstrTitle = title.c_str();
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | (many ? OFN_ALLOWMULTISELECT : 0);
    if (!::GetOpenFileNameA(&request)) {
        ::CommDlgExtendedError();  // a cancel, or a selection past the buffer: nothing is added
        return false;
    }
    *files = SplitOpenDialogFiles(buffer.get(), size);
    return !files->empty();
}

}  // namespace play
