// tests/gui/harness/pixels.cpp
#include "tests/gui/harness/pixels.h"

#include <cstdio>

namespace vekgui {

Snapshot Snapshot::Capture(HWND window) {
    Snapshot shot;
    if (!::IsWindow(window))
        return shot;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client{};
    ::GetClientRect(window, &client);
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return shot;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC source = ::GetDC(window);
    HDC memory = ::CreateCompatibleDC(source);
    HBITMAP dib = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && dib && bits) {
        HGDIOBJ old = ::SelectObject(memory, dib);
        // What is on the screen; a window drawn only off-screen is printed instead.
        if (!::BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY))
            ::PrintWindow(window, memory, PW_CLIENTONLY);
        ::GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        shot.pixels_.assign(p, p + static_cast<size_t>(width) * static_cast<size_t>(height));
        shot.width_ = width;
        shot.height_ = height;
        ::SelectObject(memory, old);
    }
    if (dib)
        ::DeleteObject(dib);
    if (memory)
        ::DeleteDC(memory);
    ::ReleaseDC(window, source);
    return shot;
}

COLORREF Snapshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0xFFFFFFFF;
    const uint32_t p = pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Snapshot::Count(const RECT& area, COLORREF color) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (At(x, y) == color)
                ++count;
    return count;
}

bool Snapshot::SaveBmp(const std::string& path) const {
    if (!Valid())
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const uint32_t stride = (static_cast<uint32_t>(width_) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * static_cast<uint32_t>(height_);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageSize;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width_;
    info.biHeight = height_;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = imageSize;
    bool ok =
        std::fwrite(&header, sizeof header, 1, file) == 1 && std::fwrite(&info, sizeof info, 1, file) == 1;
    std::vector<uint8_t> row(stride, 0);
    for (int y = height_ - 1; ok && y >= 0; --y) {
        for (int x = 0; x < width_; ++x) {
            const COLORREF c = At(x, y);
            row[static_cast<size_t>(x) * 3] = GetBValue(c);
            row[static_cast<size_t>(x) * 3 + 1] = GetGValue(c);
            row[static_cast<size_t>(x) * 3 + 2] = GetRValue(c);
        }
        ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    return std::fclose(file) == 0 && ok;
}

std::string ColorText(COLORREF color) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

}  // namespace vekgui
