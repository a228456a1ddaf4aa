// app/map/offset_db_path_win32.cpp
//
// The executable's path is read in UTF-16 and handed to SQLite in UTF-8: the
// ANSI form would turn a folder name outside the code page into '?'.
#include <windows.h>

#include <vector>

#include "app/map/offset_db.h"

std::string OffsetDbPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return kOffsetDbFileName;
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768)
            return kOffsetDbFileName;
        path.resize(path.size() * 2);
    }
    std::wstring folder(path.begin(), path.end());
    folder.resize(folder.find_last_of(L'\\') == std::wstring::npos ? 0 : folder.find_last_of(L'\\') + 1);
    const int wide = static_cast<int>(folder.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, folder.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, folder.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8 + kOffsetDbFileName;
}
