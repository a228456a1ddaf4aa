// tests/skin/skin_win_support.cpp
#include "tests/skin/skin_win_support.h"

#include "skin/core/win_types.h"

namespace skintest {

std::vector<uint8_t> BitmapPixels(HBITMAP bitmap, int* width, int* height) {
    BITMAP info{};
    if (!::GetObjectA(bitmap, sizeof info, &info))
        return {};
    *width = info.bmWidth;
    *height = info.bmHeight;
    BITMAPINFO header = TopDownDibInfo(info.bmWidth, info.bmHeight);
    std::vector<uint8_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight * 4);
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &header,
                                 DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return rows == info.bmHeight ? pixels : std::vector<uint8_t>{};
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string FreshFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "skintest_" + name + "_" + std::to_string(::GetCurrentProcessId());
    // Remove what an earlier run left (one level is all the tests make).
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::DeleteFileA((folder + "\\" + found.cFileName).c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

bool MakeModuleCopy(const std::string& path, const std::vector<AddedResource>& resources) {
    if (!::CopyFileA((ProgramFolder() + "skin_test_module.dll").c_str(), path.c_str(), FALSE))
        return false;
    HANDLE update = ::BeginUpdateResourceA(path.c_str(), FALSE);
    if (update == nullptr)
        return false;
    bool ok = true;
    for (const AddedResource& r : resources) {
        const LPCSTR type = r.type.empty() ? MAKEINTRESOURCEA(r.typeId) : r.type.c_str();
        ok =
            ok && ::UpdateResourceA(update, type, r.name.c_str(), r.language,
                                    const_cast<uint8_t*>(r.bytes.data()), static_cast<DWORD>(r.bytes.size()));
    }
    return ::EndUpdateResourceA(update, ok ? FALSE : TRUE) && ok;
}

}  // namespace skintest
