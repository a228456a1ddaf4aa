// skin/core/image_manager.h
//
// CPlymImageManager: the framework's image service. For the skin it
// supplies the pixel primitives skin images need (transparent copy, alpha
// blending of premultiplied 32-bit bitmaps, 32-bit DIBs, premultiplying,
// mirroring) and the loaders that turn a resource or a file into a bitmap,
// recognising PNG data and 32-bit bitmaps with alpha.
//
// A loaded bitmap "has alpha" when it is a PNG that gave four channels, or a
// 32-bit bitmap; an RGB PNG has none. Bitmaps handed out belong to the
// caller. One instance per process (GetPlymImageManager); GUI thread only.
//
// It also owns the icon store (skin/core/image_icons.h): icon sets by command
// id, image lists, and the shared strips by cell size (key height << 16 |
// width), serialised by Serialize in the layout of
// skin/core/icon_store_stream.h. Nothing in this program fills it; it is
// emptied when the manager goes at exit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "winlib/collections.h"

class CArchive;
class CPlymPropExchange;
class CPlymImageManagerIconSet;
class CPlymImageManagerImageList;
class CPlymImageManagerResource;

class CPlymImageManager {
  public:
    CPlymImageManager() = default;
    virtual ~CPlymImageManager() { RemoveAll(); }
    CPlymImageManager(const CPlymImageManager&) = delete;
    CPlymImageManager& operator=(const CPlymImageManager&) = delete;

    // Copies `source`'s rectangle to `destination` (stretched when the sizes
    // differ), leaving out the pixels of colour `transparent`: msimg32's
    // TransparentBlt when present, else CopyTransparentMasked. TRUE when
    // every step succeeded.
    BOOL CopyTransparent(HDC dc,
                         const RECT& destination,
                         HDC source,
                         const RECT& sourceRect,
                         COLORREF transparent);
    // The same through a monochrome mask (SRCAND of the mask, SRCPAINT of the
    // colour copy with the transparent pixels blacked out).
    BOOL CopyTransparentMasked(HDC dc,
                               const RECT& destination,
                               HDC source,
                               const RECT& sourceRect,
                               COLORREF transparent);

    // Draws a premultiplied 32-bit source with per-pixel alpha: msimg32's
    // AlphaBlend when present, else BlendImageOwn.
    BOOL BlendImage(HDC dc, const RECT& destination, HDC source, const RECT& sourceRect);
    // The framework's own blend through two 32-bit DIBs of the destination's
    // size (skin/core/image_pixels.h, BlendPixels).
    BOOL BlendImageOwn(HDC dc, const RECT& destination, HDC source, const RECT& sourceRect);

    // A BI_RGB 32-bit DIB section, bottom-up; `bits` gets its pixels.
    HBITMAP CreateDIB32(HDC dc, int width, int height, void** bits);
    // A 32-bit bitmap's header (bottom-up) and pixels; FALSE for other depths.
    BOOL GetBitmapBits32(HDC dc, HBITMAP bitmap, BITMAPINFOHEADER& header, std::vector<uint8_t>& bits);
    // A bottom-up 32-bit DIB copy of any bitmap; `bits` gets its pixels,
    // `width` and `height` its size.
    HBITMAP CopyAs32(HBITMAP bitmap, uint8_t** bits, int* width, int* height);
    // A premultiplied 32-bit copy of `bitmap`. `hasAlpha` tells whether the
    // pixels carry alpha (skin::PixelsHaveAlpha); without, the copy holds
    // the pixels unchanged.
    HBITMAP PremultiplyBitmap(HBITMAP bitmap, BOOL* hasAlpha);
    // A 32-bit copy with every row reversed (for right-to-left drawing).
    HBITMAP MirrorBitmap(HBITMAP bitmap);

    HBITMAP BitmapFromResource(HMODULE module, LPCSTR name, BOOL* hasAlpha);
    // A PNG file, a 32-bit BMP file, or any picture OLE can load (drawn over
    // the button-face colour). The path is in the system's ANSI code page.
    HBITMAP BitmapFromFile(LPCSTR path, BOOL* hasAlpha);

    BOOL IsPngResource(HMODULE module, LPCSTR name);
    BOOL IsAlphaBitmapResource(HMODULE module, LPCSTR name);
    BOOL IsPngFile(LPCSTR path);
    BOOL IsAlphaBitmapFile(LPCSTR path);

    // ---- the icon store ----
    // The icon set of that command, or NULL.
    CPlymImageManagerIconSet* GetIconSet(UINT command) const;
    // Empties and releases every icon set, frees every resource and image list.
    void RemoveAll();
    // The strip of that cell size, made empty on first request.
    CPlymImageManagerResource* GetResource(int width, int height);
    // Stores or loads the whole store (loading empties it first). A set whose
    // check string is wrong throws CArchiveException badClass, data that ends
    // early endOfFile; the sets read before stay in the store.
    void Serialize(CArchive& ar);
    void ExchangeIconSets(CPlymPropExchange* px);
    void ExchangeIconSet(UINT command, CPlymPropExchange* section);
    UINT GetHighestCommandId() const { return m_nHighestCommand; }

    BOOL m_bUseSharedResources = TRUE;
    CMap<UINT, UINT, CPlymImageManagerIconSet*, CPlymImageManagerIconSet*> m_mapIconSets;
    CArray<CPlymImageManagerImageList*, CPlymImageManagerImageList*> m_arrImageLists;
    CMap<DWORD, DWORD, CPlymImageManagerResource*, CPlymImageManagerResource*> m_mapResources;

  private:
    class Store;

    UINT m_nHighestCommand = 68266;
};

CPlymImageManager* GetPlymImageManager();
