// skin/core/skin_image.h
//
// CPlymSkinImage: one decoded skin bitmap that paints any cell of itself into
// any rectangle: corners at their size and edges and centre stretched or
// tiled by the sizing margins (skin/core/skin_image_layout.h), a key colour
// left out, per-pixel alpha blended, the colour filters of the skin applied,
// and its left-right mirror used on right-to-left device contexts. Cells and
// nine-grid pieces of one colour are found once and filled instead of copied.
//
// CPlymSkinImageCache: the images of one theme class, each loaded once per
// path through the skin file; it owns them.
//
// GUI thread only.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "skin/core/schema_store.h"
#include "skin/core/skin_image_layout.h"
#include "skin/core/skin_interfaces.h"

class CPlymSkinImage : public IPlymSkinImage {
  public:
    // Takes `bitmap`; `alpha`: a premultiplied 32-bit image with per-pixel
    // alpha. `schema` (may be NULL) gives the colour filters.
    CPlymSkinImage(HBITMAP bitmap, BOOL alpha, const plym::SchemaStore* schema);
    ~CPlymSkinImage() override;
    CPlymSkinImage(const CPlymSkinImage&) = delete;
    CPlymSkinImage& operator=(const CPlymSkinImage&) = delete;

    int PixelWidth() const override { return m_width; }
    int PixelHeight() const override { return m_height; }
    BOOL HasAlpha() const override { return m_alpha; }
    void SetMirrorAllowed(BOOL allowed) override { m_mirrorAllowed = allowed; }
    // Once per image: the solid cells of `imageCount` cells along the layout,
    // or of their nine-grid pieces.
    void PrepareSolidRects(int imageCount, BOOL horizontal, const RECT& sizingMargins) override;
    // Nothing is drawn when the source's top and bottom margins are more than
    // its height. `key` CLR_INVALID: no key colour.
    BOOL PaintPart(HDC dc,
                   const RECT& destination,
                   const RECT& source,
                   const RECT& sizingMargins,
                   COLORREF key,
                   int sizingType,
                   BOOL borderOnly) override;
    // Passes every pixel except those of `key` through the colour filters, once.
    void ApplyColorFilters(COLORREF key);

    HBITMAP GetBitmap() const { return m_bitmap; }
    const std::vector<plym::SolidRect>& GetSolidRects() const { return m_solidRects; }
    BOOL IsMirrored() const { return m_mirrored; }

  private:
    // The solid colour of `source` in the fast-path sense: TRUE with `fill`
    // (or no fill: nothing to draw) when the rectangle lies in a solid
    // rectangle and can be handled without copying pixels.
    bool SolidFill(const plym::Rect& source, COLORREF key, bool* fill, COLORREF* color) const;
    // Fills `destination` as SolidFill says; false when the pixels must be copied.
    bool PaintSolid(HDC dc, const RECT& destination, const plym::Rect& source, COLORREF key) const;
    void PaintGrid(HDC dc,
                   const RECT& destination,
                   const RECT& source,
                   const RECT& margins,
                   COLORREF key,
                   int sizingType,
                   BOOL borderOnly);
    // Holds the mirror image while `rtl`, the image itself otherwise.
    void FollowLayout(bool rtl);

    BOOL m_mirrorAllowed = TRUE;
    HBITMAP m_bitmap;
    BOOL m_alpha;
    BOOL m_colorFiltered = FALSE;
    BOOL m_mirrored = FALSE;
    BOOL m_solidRectsReady = FALSE;
    int m_width = 0;
    int m_height = 0;
    COLORREF m_lastKey = CLR_INVALID;
    std::vector<plym::SolidRect> m_solidRects;
    const plym::SchemaStore* m_schema;
};

class CPlymSkinImageCache {
  public:
    // NULL for a missing skin file or path; the cached image when there is
    // one; otherwise the skin file's image for `path` (premultiplied as
    // `schema` says), cached when there is one.
    IPlymSkinImage* Fetch(IPlymSkinFile* file, const std::string& path, const plym::SchemaStore* schema);
    void RemoveAll() { m_images.clear(); }
    size_t GetCount() const { return m_images.size(); }

  private:
    std::map<std::string, std::unique_ptr<IPlymSkinImage>> m_images;
};
