// tests/skin/skin_win_support.cpp
#include "tests/skin/skin_win_support.h"

namespace skintest {

Canvas::Canvas(int width, int height, COLORREF fill)
    : width_(width), height_(height), dc_(::CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint8_t*>(bits);
    old_ = ::SelectObject(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    const COLORREF oldBack = ::SetBkColor(dc_, fill);
    ::ExtTextOutA(dc_, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    ::SetBkColor(dc_, oldBack);
}

Canvas::~Canvas() {
    ::SelectObject(dc_, old_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
}

COLORREF Canvas::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0xFFFFFFFF;
    ::GdiFlush();
    const uint8_t* p = bits_ + (static_cast<size_t>(y) * width_ + x) * 4;
    return RGB(p[2], p[1], p[0]);
}

uint8_t Canvas::AlphaAt(int x, int y) const {
    ::GdiFlush();
    return bits_[(static_cast<size_t>(y) * width_ + x) * 4 + 3];
}

std::vector<uint8_t> BitmapPixels(HBITMAP bitmap, int* width, int* height) {
    BITMAP info{};
    if (!::GetObjectA(bitmap, sizeof info, &info))
        return {};
    *width = info.bmWidth;
    *height = info.bmHeight;
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
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

std::vector<uint8_t> Utf16Bytes(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

}  // namespace skintest
