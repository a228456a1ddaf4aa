// skin/core/image_manager.cpp
#include "skin/core/image_manager.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <string>

#include "skin/core/draw_helpers.h"
#include "skin/core/image_dib.h"
#include "skin/core/image_pixels.h"
#include "skin/core/png_bitmap.h"
#include "skin/core/win_types.h"

CPlymImageManager* GetPlymImageManager() {
    static CPlymImageManager manager;
    return &manager;
}

namespace {

const LPCSTR kBitmaps = MAKEINTRESOURCEA(2);  // RT_BITMAP

// The screen DC when `dc` is NULL, released on destruction.
class AnyDC {
  public:
    explicit AnyDC(HDC dc) : dc_(dc != nullptr ? dc : ::GetDC(nullptr)), screen_(dc == nullptr) {}
    ~AnyDC() {
        if (screen_)
            ::ReleaseDC(nullptr, dc_);
    }
    AnyDC(const AnyDC&) = delete;
    AnyDC& operator=(const AnyDC&) = delete;
    operator HDC() const { return dc_; }  // NOLINT

  private:
    HDC dc_;
    bool screen_;
};

// A memory DC holding a bitmap; both deleted on destruction unless the
// bitmap is taken.
class MemoryBitmap {
  public:
    MemoryBitmap(HDC like, HBITMAP bitmap) : dc_(::CreateCompatibleDC(like)), bitmap_(bitmap) {
        if (dc_ != nullptr && bitmap_ != nullptr)
            old_ = ::SelectObject(dc_, bitmap_);
    }
    ~MemoryBitmap() {
        if (dc_ != nullptr && old_ != nullptr)
            ::SelectObject(dc_, old_);
        if (dc_ != nullptr)
            ::DeleteDC(dc_);
        if (bitmap_ != nullptr)
            ::DeleteObject(bitmap_);
    }
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;

    bool ok() const { return dc_ != nullptr && bitmap_ != nullptr && old_ != nullptr; }
    HDC dc() const { return dc_; }

  private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_ = nullptr;
};

// The first `count` bytes of a file; false unless all of them were read.
bool ReadFileStart(LPCSTR path, void* buffer, DWORD count) {
    HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD read = 0;
    const BOOL ok = ::ReadFile(file, buffer, count, &read, nullptr);
    ::CloseHandle(file);
    return ok && read == count;
}

bool HasPngMagic(const void* bytes, size_t size) {
    static const uint8_t kMagic[4] = {137, 'P', 'N', 'G'};
    return bytes != nullptr && size >= 4 && std::memcmp(bytes, kMagic, 4) == 0;
}

const uint8_t* ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type, DWORD* size) {
    HRSRC resource = ::FindResourceA(module, name, type);
    if (resource == nullptr)
        return nullptr;
    *size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    return static_cast<const uint8_t*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
}

// A picture any format OLE knows, rendered at its size over the button face.
HBITMAP BitmapFromOlePicture(LPCSTR path) {
    // File names are in the system's ANSI code page, whatever language the
    // framework's resources are in.
    const int count = ::MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (count <= 1)
        return nullptr;
    std::wstring wide(static_cast<size_t>(count), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), count);
    IPicture* picture = nullptr;
    if (FAILED(::OleLoadPicturePath(wide.data(), nullptr, 0, 0, IID_IPicture,
                                    reinterpret_cast<void**>(&picture))) ||
        picture == nullptr)
        return nullptr;
    HBITMAP result = nullptr;
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    if (SUCCEEDED(picture->get_Width(&himetricWidth)) && SUCCEEDED(picture->get_Height(&himetricHeight))) {
        AnyDC screen(nullptr);
        const int width = ::MulDiv(himetricWidth, ::GetDeviceCaps(screen, LOGPIXELSX), 2540);
        const int height = ::MulDiv(himetricHeight, ::GetDeviceCaps(screen, LOGPIXELSY), 2540);
        HBITMAP bitmap = width > 0 && height > 0 ? ::CreateCompatibleBitmap(screen, width, height) : nullptr;
        HDC memory = bitmap != nullptr ? ::CreateCompatibleDC(screen) : nullptr;
        if (memory != nullptr) {
            HGDIOBJ old = ::SelectObject(memory, bitmap);
            PlymFillSolidRect(memory, RECT{0, 0, width, height}, ::GetSysColor(COLOR_BTNFACE));
            if (SUCCEEDED(picture->Render(memory, 0, 0, width, height, 0, himetricHeight, himetricWidth,
                                          -himetricHeight, nullptr)))
                result = bitmap;
            ::SelectObject(memory, old);
            ::DeleteDC(memory);
        }
        if (result == nullptr && bitmap != nullptr)
            ::DeleteObject(bitmap);
    }
    picture->Release();
    return result;
}

}  // namespace

// ---- copying and blending -------------------------------------------------------------

BOOL CPlymImageManager::CopyTransparent(HDC dc,
                                        const RECT& d,
                                        HDC source,
                                        const RECT& s,
                                        COLORREF transparent) {
    if (auto transparentBlt = GetPlymDrawHelpers().m_pfnTransparentBlt) {
        return transparentBlt(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, source, s.left, s.top,
                              s.right - s.left, s.bottom - s.top, transparent);
    }
    return CopyTransparentMasked(dc, d, source, s, transparent);
}

BOOL CPlymImageManager::CopyTransparentMasked(HDC dc,
                                              const RECT& d,
                                              HDC source,
                                              const RECT& s,
                                              COLORREF transparent) {
    const int sw = s.right - s.left;
    const int sh = s.bottom - s.top;
    const int dw = d.right - d.left;
    const int dh = d.bottom - d.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0)
        return FALSE;
    MemoryBitmap colour(dc, ::CreateCompatibleBitmap(dc, sw, sh));
    MemoryBitmap mask(dc, ::CreateBitmap(sw, sh, 1, 1, nullptr));
    if (!colour.ok() || !mask.ok())
        return FALSE;
    BOOL ok = ::BitBlt(colour.dc(), 0, 0, sw, sh, source, s.left, s.top, SRCCOPY);
    // Pixels of the transparent colour become 1 in the mask.
    ::SetBkColor(colour.dc(), transparent);
    ok = ok && ::BitBlt(mask.dc(), 0, 0, sw, sh, colour.dc(), 0, 0, SRCCOPY);
    if (transparent != RGB(0, 0, 0)) {
        ::SetBkColor(colour.dc(), RGB(0, 0, 0));
        ::SetTextColor(colour.dc(), RGB(255, 255, 255));
        ok = ok && ::BitBlt(colour.dc(), 0, 0, sw, sh, mask.dc(), 0, 0, SRCAND);
    }
    const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    if (sw == dw && sh == dh) {
        ok = ok && ::BitBlt(dc, d.left, d.top, dw, dh, mask.dc(), 0, 0, SRCAND);
        ok = ok && ::BitBlt(dc, d.left, d.top, dw, dh, colour.dc(), 0, 0, SRCPAINT);
    } else {
        ok = ok && ::StretchBlt(dc, d.left, d.top, dw, dh, mask.dc(), 0, 0, sw, sh, SRCAND);
        ok = ok && ::StretchBlt(dc, d.left, d.top, dw, dh, colour.dc(), 0, 0, sw, sh, SRCPAINT);
    }
    ::SetBkColor(dc, oldBack);
    ::SetTextColor(dc, oldText);
    return ok;
}

BOOL CPlymImageManager::BlendImage(HDC dc, const RECT& d, HDC source, const RECT& s) {
    if (auto alphaBlend = GetPlymDrawHelpers().m_pfnAlphaBlend) {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        return alphaBlend(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, source, s.left, s.top,
                          s.right - s.left, s.bottom - s.top, blend);
    }
    return BlendImageOwn(dc, d, source, s);
}

BOOL CPlymImageManager::BlendImageOwn(HDC dc, const RECT& d, HDC source, const RECT& s) {
    const int w = d.right - d.left;
    const int h = d.bottom - d.top;
    if (w <= 0 || h <= 0 || s.right <= s.left || s.bottom <= s.top)
        return FALSE;
    // The source pixels are stretched here, not by GDI, whose stretching
    // modes do not all keep the alpha byte.
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> sourcePixels;
    if (!GetBitmapBits32(source, static_cast<HBITMAP>(::GetCurrentObject(source, OBJ_BITMAP)), header,
                         sourcePixels))
        return FALSE;
    std::vector<uint8_t> stretched(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    plym::StretchPixels(sourcePixels.data(), header.biWidth, header.biHeight, s.left, s.top, s.right - s.left,
                        s.bottom - s.top, stretched.data(), w, h);
    void* destinationBits = nullptr;
    MemoryBitmap destinationCopy(dc, CreateDIB32(dc, w, h, &destinationBits));
    if (!destinationCopy.ok() || !::BitBlt(destinationCopy.dc(), 0, 0, w, h, dc, d.left, d.top, SRCCOPY))
        return FALSE;
    ::GdiFlush();
    const bool rtl = HasRTLLayout(dc) != FALSE;
    plym::BlendPixels(stretched.data(), HasRTLLayout(source) != FALSE, static_cast<uint8_t*>(destinationBits),
                      rtl, w, h);
    return ::BitBlt(dc, d.left, d.top, w, h, destinationCopy.dc(), 0, 0,
                    SRCCOPY | (rtl ? NOMIRRORBITMAP : 0));
}

// ---- 32-bit bitmaps ------------------------------------------------------------------------

HBITMAP CPlymImageManager::CreateDIB32(HDC dc, int width, int height, void** bits) {
    if (bits != nullptr)
        *bits = nullptr;
    if (width <= 0 || height <= 0)
        return nullptr;
    const BITMAPINFO info = TopDownDibInfo(width, -height);  // a positive height: bottom-up
    void* pixels = nullptr;
    HBITMAP section = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bits != nullptr)
        *bits = pixels;
    return section;
}

BOOL CPlymImageManager::GetBitmapBits32(HDC dc,
                                        HBITMAP bitmap,
                                        BITMAPINFOHEADER& header,
                                        std::vector<uint8_t>& bits) {
    BITMAP info{};
    if (bitmap == nullptr || !::GetObjectA(bitmap, sizeof info, &info) || info.bmBitsPixel != 32 ||
        info.bmWidth <= 0 || info.bmHeight <= 0)
        return FALSE;
    header = TopDownDibInfo(info.bmWidth, -info.bmHeight).bmiHeader;  // bottom-up
    bits.assign(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight) * 4, 0);
    AnyDC any(dc);
    return ::GetDIBits(any, bitmap, 0, static_cast<UINT>(info.bmHeight), bits.data(),
                       reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) == info.bmHeight;
}

HBITMAP CPlymImageManager::CopyAs32(HBITMAP bitmap, uint8_t** bits, int* width, int* height) {
    BITMAP info{};
    if (bitmap == nullptr || !::GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return nullptr;
    AnyDC screen(nullptr);
    void* pixels = nullptr;
    HBITMAP copy = CreateDIB32(screen, info.bmWidth, info.bmHeight, &pixels);
    if (copy == nullptr)
        return nullptr;
    BITMAPINFOHEADER header = TopDownDibInfo(info.bmWidth, -info.bmHeight).bmiHeader;  // bottom-up
    if (::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels,
                    reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) != info.bmHeight) {
        ::DeleteObject(copy);
        return nullptr;
    }
    *bits = static_cast<uint8_t*>(pixels);
    *width = info.bmWidth;
    *height = info.bmHeight;
    return copy;
}

HBITMAP CPlymImageManager::PremultiplyBitmap(HBITMAP bitmap, BOOL* hasAlpha) {
    if (hasAlpha != nullptr)
        *hasAlpha = FALSE;
    uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    HBITMAP copy = CopyAs32(bitmap, &bits, &width, &height);
    if (copy == nullptr)
        return nullptr;
    const bool alpha =
        plym::PremultiplyPixels(bits, static_cast<size_t>(width) * static_cast<size_t>(height));
    if (hasAlpha != nullptr)
        *hasAlpha = alpha ? TRUE : FALSE;
    return copy;
}

HBITMAP CPlymImageManager::MirrorBitmap(HBITMAP bitmap) {
    uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    HBITMAP copy = CopyAs32(bitmap, &bits, &width, &height);
    if (copy != nullptr)
        plym::MirrorPixelRows(bits, width, height);
    return copy;
}

// ---- loaders -------------------------------------------------------------------------------

HBITMAP CPlymImageManager::BitmapFromResource(HMODULE module, LPCSTR name, BOOL* hasAlpha) {
    if (hasAlpha != nullptr)
        *hasAlpha = FALSE;
    if (IsPngResource(module, name)) {
        CPlymGraphicBitmapPng picture;
        if (!picture.LoadFromResource(module, ::FindResourceA(module, name, "PNG")))
            return nullptr;
        if (hasAlpha != nullptr)
            *hasAlpha = picture.HasAlpha();
        return picture.DetachBitmap();
    }
    DWORD size = 0;
    const uint8_t* bytes = ResourceBytes(module, name, kBitmaps, &size);
    if (bytes != nullptr && !plym::IsWholeDibHeader(bytes, size))
        return nullptr;
    plym::PackedDib dib;
    if (bytes != nullptr && plym::IsAlphaDibHeader(bytes, size)) {
        // Copied only when the header checks out and every pixel is there;
        // a 32-bit bitmap that is short is refused.
        if (!plym::ReadPackedDib(bytes, size, dib))
            return nullptr;
    }
    if (dib.bitCount == 32 && plym::IsBgraDib(dib)) {
        void* bits = nullptr;
        HBITMAP section = CreateDIB32(nullptr, dib.width, dib.height, &bits);
        if (section == nullptr)
            return nullptr;
        plym::CopyBgraDibBottomUp(bytes, dib, static_cast<uint8_t*>(bits));
        if (hasAlpha != nullptr)
            *hasAlpha = TRUE;
        return section;
    }
    return static_cast<HBITMAP>(::LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HBITMAP CPlymImageManager::BitmapFromFile(LPCSTR path, BOOL* hasAlpha) {
    if (hasAlpha != nullptr)
        *hasAlpha = FALSE;
    if (path == nullptr || *path == '\0')
        return nullptr;
    if (IsPngFile(path)) {
        CPlymGraphicBitmapPng picture;
        if (!picture.LoadFromFile(path))
            return nullptr;
        if (hasAlpha != nullptr)
            *hasAlpha = picture.HasAlpha();
        return picture.DetachBitmap();
    }
    if (IsAlphaBitmapFile(path)) {
        HBITMAP bitmap = static_cast<HBITMAP>(
            ::LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        if (bitmap != nullptr && hasAlpha != nullptr)
            *hasAlpha = TRUE;
        return bitmap;
    }
    return BitmapFromOlePicture(path);
}

BOOL CPlymImageManager::IsPngResource(HMODULE module, LPCSTR name) {
    DWORD size = 0;
    const uint8_t* bytes = ResourceBytes(module, name, "PNG", &size);
    return HasPngMagic(bytes, size);
}

BOOL CPlymImageManager::IsAlphaBitmapResource(HMODULE module, LPCSTR name) {
    DWORD size = 0;
    const uint8_t* bytes = ResourceBytes(module, name, kBitmaps, &size);
    return bytes != nullptr && plym::IsAlphaDibHeader(bytes, size);
}

BOOL CPlymImageManager::IsPngFile(LPCSTR path) {
    uint8_t head[4];
    return ReadFileStart(path, head, sizeof head) && HasPngMagic(head, sizeof head);
}

BOOL CPlymImageManager::IsAlphaBitmapFile(LPCSTR path) {
    // The 14-byte file header, then (the first 40 bytes of) the info header.
    uint8_t head[14 + 40];
    if (!ReadFileStart(path, head, sizeof head) || head[0] != 'B' || head[1] != 'M')
        return FALSE;
    const uint32_t headerSize = head[14] | head[15] << 8 | static_cast<uint32_t>(head[16]) << 16 |
                                static_cast<uint32_t>(head[17]) << 24;
    const unsigned bitCount = head[28] | head[29] << 8;
    return headerSize >= 40 && bitCount == 32;
}
