// skin/core/image_icons.h
//
// The image manager's icon store (skin/core/image_manager.h): icon images
// kept by command id and width, small images packed into shared 32-bit
// strips, and the GDI side of the store's stream (skin/core/icon_store_stream.h).
//
//   CPlymImageManagerImage      one image: an icon, a 32-bit alpha bitmap
//                               (premultiplied once its pixel pointer is set),
//                               or a cell of a shared strip
//   CPlymImageManagerIcon       the images 0 .. 7 of one command at one width
//   CPlymImageManagerIconSet    a command's icons by width
//   CPlymImageManagerResource   the strip of one cell size, with its mask
//   CPlymImageManagerImageList  an image list with the icons entered in it
//
// Icon sets and icons are reference counted (the last InternalRelease deletes
// them); resources, cells and image lists are deleted directly. A resource's
// lock guards its cells, strips and pixels; everything else runs on the GUI
// thread. In this program nothing fills the store; the manager empties it at
// exit.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "skin/core/icon_store_stream.h"
#include "skin/core/image_strip.h"
#include "skin/core/plym_sync.h"
#include "winlib/collections.h"
#include "winlib/msgmap.h"

class CPlymImageManager;
class CPlymImageManagerIconSet;

class CPlymImageManagerImage {
  public:
    CPlymImageManagerImage() = default;
    ~CPlymImageManagerImage() { Clear(); }
    CPlymImageManagerImage(const CPlymImageManagerImage&) = delete;
    CPlymImageManagerImage& operator=(const CPlymImageManagerImage&) = delete;

    // No icon, no bitmap and no cell, or a size of 0 x 0.
    BOOL IsEmpty() const;
    // Its own bitmap, or a cell holding alpha pixels.
    BOOL IsAlpha() const;
    // Its own bitmap, else its cell's strip, else NULL.
    HBITMAP GetBitmap() const;
    HICON GetIcon() const { return m_hIcon; }
    SIZE GetSize() const { return {m_nWidth, m_nHeight}; }
    // The size of what it holds: the cell size, the icon's (half the mask's
    // height for a monochrome icon), the bitmap's, or 0 x 0.
    SIZE GetExtent() const;

    // Clear, then take the handle (owned) and its extent as the size.
    void SetIcon(HICON icon);
    void SetBitmap(HBITMAP bitmap);
    // Gives up what it owns; manager, size and may-share stay.
    void Clear();
    // The premultiplied pixels: made from the bitmap the first time (the
    // image then holds the premultiplied copy); NULL without a bitmap.
    void* PreMultiply();

    // `destination` becomes a copy of `source`: in a shared cell when the
    // destination has a manager that shares, the source may be shared and is
    // not empty; else a free-standing icon or bitmap. The source's bitmap may
    // be replaced by its premultiplied copy on the way.
    static void Copy(CPlymImageManagerImage& destination, CPlymImageManagerImage& source);

  private:
    void Take(HICON icon, HBITMAP bitmap);

  public:
    HICON m_hIcon = nullptr;
    HBITMAP m_hBitmap = nullptr;
    void* m_pBits = nullptr;  // set: the bitmap is premultiplied
    BOOL m_bOwns = FALSE;
    CPlymImageManager* m_pImageManager = nullptr;
    PLYM_IMAGERESOURCE_INFO* m_pCell = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
    BOOL m_bMayShare = TRUE;
};

class CPlymImageManagerIcon : public CCmdTarget, public CPlymSerializable, public plym::IconImageCodec {
  public:
    CPlymImageManagerIcon(UINT command, int width, int height, CPlymImageManagerIconSet* iconSet);
    ~CPlymImageManagerIcon() override { ClearImages(TRUE); }

    // Images 1 .. 7, and image 0 too when asked.
    void ClearImages(BOOL withBase);
    // The icon record: height, version, images 0, 6, 3, 4, 5.
    void Serialize(CArchive& ar) override;

    CPlymImageManagerImage& GetImage(int index) { return m_images[index]; }

    UINT m_nCommand;
    int m_nWidth;
    int m_nHeight;
    CPlymImageManagerImage m_images[8];
    CPlymImageManagerIconSet* m_pIconSet;

  private:
    // Stores image `index` through a free-standing premultiplied copy.
    void SaveImage(int index, plym::DibRecord& first, plym::DibRecord& second) override;
    // An alpha bitmap alone, or a colour bitmap with its mask made an icon
    // through an image list; then copied in (so it may land in a cell).
    void RestoreImage(int index,
                      const plym::DibRecord* first,
                      const plym::DibRecord* second,
                      int32_t version) override;
};

class CPlymImageManagerIconSet : public CCmdTarget {
  public:
    CPlymImageManagerIconSet(UINT command, CPlymImageManager* manager)
        : m_nCommand(command), m_pImageManager(manager) {}
    ~CPlymImageManagerIconSet() override { RemoveAll(); }

    // Every icon cleared and released; the map emptied.
    void RemoveAll();
    // Enters `icon` (the set takes its reference) under `width`, releasing
    // the icon it replaces.
    void SetIcon(UINT width, CPlymImageManagerIcon* icon);
    CPlymImageManagerIcon* GetIcon(UINT width) const;

    CMap<UINT, UINT, CPlymImageManagerIcon*, CPlymImageManagerIcon*> m_mapIcons;
    UINT m_nCommand;
    CPlymImageManager* m_pImageManager;
};

// A memory DC compatible with the screen that holds one bitmap at a time and
// puts back the one it replaced.
class CPlymStripDC {
  public:
    CPlymStripDC();
    ~CPlymStripDC();
    CPlymStripDC(const CPlymStripDC&) = delete;
    CPlymStripDC& operator=(const CPlymStripDC&) = delete;

    // Selects `bitmap`, or with NULL the bitmap it first replaced.
    void SetBitmap(HBITMAP bitmap);
    HDC GetSafeHdc() const { return m_hDC; }

  private:
    HDC m_hDC = nullptr;
    HGDIOBJ m_hReplaced = nullptr;
};

class CPlymImageManagerResource {
  public:
    CPlymImageManagerResource(CPlymImageManager* manager, int cellWidth, int cellHeight);
    ~CPlymImageManagerResource();
    CPlymImageManagerResource(const CPlymImageManagerResource&) = delete;
    CPlymImageManagerResource& operator=(const CPlymImageManagerResource&) = delete;

    // The cell `image` was packed into; NULL when the image is empty, of
    // another size, or cannot be packed (nothing is reported).
    PLYM_IMAGERESOURCE_INFO* Add(CPlymImageManagerImage& image);
    // `image` becomes a free-standing bitmap (alpha cell) or icon made from
    // the cell.
    void Extract(const PLYM_IMAGERESOURCE_INFO* cell, CPlymImageManagerImage& image);
    // Gives a cell back; the strip is dropped when every cell is free.
    void FreeCell(PLYM_IMAGERESOURCE_INFO* cell);

    HBITMAP GetStrip() const { return m_hStrip; }
    HBITMAP GetMask() const { return m_hMask; }
    int GetStripWidth();
    size_t GetCellsInUse();

  private:
    PLYM_IMAGERESOURCE_INFO* AllocCell();
    void Reset();
    void DropStrip();

    HBITMAP m_hStrip = nullptr;
    HBITMAP m_hMask = nullptr;
    CPlymStripDC m_dc;
    uint8_t* m_pBits = nullptr;
    CPlymImageManager* m_pImageManager;
    plym::StripCells m_cells;
    CPlymCritSec m_lock;
};

class CPlymImageManagerImageList {
  public:
    CPlymImageManagerImageList() = default;
    ~CPlymImageManagerImageList() { Clear(); }
    CPlymImageManagerImageList(const CPlymImageManagerImageList&) = delete;
    CPlymImageManagerImageList& operator=(const CPlymImageManagerImageList&) = delete;

    // Destroys the list when it owns it and releases its icons.
    void Clear();

    HIMAGELIST m_hImageList = nullptr;
    BOOL m_bOwnsHandle = FALSE;
    CMap<UINT, UINT, CPlymImageManagerIcon*, CPlymImageManagerIcon*> m_mapIcons;
};
