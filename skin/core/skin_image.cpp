// skin/core/skin_image.cpp
#include "skin/core/skin_image.h"

#include "skin/core/draw_helpers.h"
#include "skin/core/image_manager.h"
#include "skin/core/image_pixels.h"
#include "skin/core/win_types.h"

namespace {

// A memory DC compatible with `like` holding `bitmap` for the block.
class Selected {
  public:
    Selected(HDC like, HBITMAP bitmap) : dc_(::CreateCompatibleDC(like)) {
        if (dc_ != nullptr)
            old_ = ::SelectObject(dc_, bitmap);
    }
    ~Selected() {
        if (dc_ == nullptr)
            return;
        if (old_ != nullptr)
            ::SelectObject(dc_, old_);
        ::DeleteDC(dc_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

    bool ok() const { return dc_ != nullptr && old_ != nullptr; }
    HDC dc() const { return dc_; }

  private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

CPlymSkinImage::CPlymSkinImage(HBITMAP bitmap, BOOL alpha, const plym::SchemaStore* schema)
    : m_bitmap(bitmap), m_alpha(alpha), m_schema(schema) {
    BITMAP info{};
    if (m_bitmap != nullptr && ::GetObjectA(m_bitmap, sizeof info, &info)) {
        m_width = info.bmWidth;
        m_height = info.bmHeight;
    }
}

CPlymSkinImage::~CPlymSkinImage() {
    if (m_bitmap != nullptr)
        ::DeleteObject(m_bitmap);
}

void CPlymSkinImage::PrepareSolidRects(int imageCount, BOOL horizontal, const RECT& sizingMargins) {
    if (m_solidRectsReady)
        return;
    m_solidRectsReady = TRUE;
    uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    HBITMAP copy = GetPlymImageManager()->CopyAs32(m_bitmap, &bits, &width, &height);
    if (copy == nullptr)
        return;
    // The table is kept in the image's own coordinates, mirrored or not.
    if (m_mirrored)
        plym::MirrorPixelRows(bits, width, height);
    m_solidRects = plym::FindSolidRects({bits, width, height}, imageCount, horizontal != FALSE,
                                        ToPlymRect(sizingMargins), m_alpha != FALSE);
    ::DeleteObject(copy);
}

bool CPlymSkinImage::SolidFill(const plym::Rect& source, COLORREF key, bool* fill, COLORREF* color) const {
    if (!m_solidRectsReady)
        return false;
    const plym::SolidRect* solid = plym::FindSolidRectFor(m_solidRects, source);
    if (solid == nullptr)
        return false;
    COLORREF c = solid->color & 0xFFFFFF;
    if (c != key && m_schema != nullptr)
        c = m_schema->FilterColor(c);
    *color = c;
    if (m_alpha) {
        const uint32_t alpha = solid->color >> 24;
        if (alpha != 0 && alpha != 255)
            return false;  // partly transparent: blended normally
        *fill = alpha == 255;
        return true;
    }
    *fill = (solid->color & 0xFFFFFF) != key;
    return true;
}

bool CPlymSkinImage::PaintSolid(HDC dc,
                                const RECT& destination,
                                const plym::Rect& source,
                                COLORREF key) const {
    bool fill = false;
    COLORREF color = 0;
    if (!SolidFill(source, key, &fill, &color))
        return false;
    if (fill)
        PlymFillSolidRect(dc, destination, color);
    return true;
}

BOOL CPlymSkinImage::PaintPart(HDC dc,
                               const RECT& destination,
                               const RECT& source,
                               const RECT& sizingMargins,
                               COLORREF key,
                               int sizingType,
                               BOOL borderOnly) {
    if (m_bitmap == nullptr)
        return FALSE;
    if (sizingMargins.top + sizingMargins.bottom > source.bottom - source.top)
        return TRUE;
    if (PaintSolid(dc, destination, ToPlymRect(source), key))
        return TRUE;
    m_lastKey = key;
    if (key == CLR_INVALID || m_alpha) {
        PaintGrid(dc, destination, source, sizingMargins, key, sizingType, borderOnly);
        return TRUE;
    }

    // Through a bitmap of the destination's size filled with the key colour,
    // copied to the DC without it.
    ApplyColorFilters(key);
    const int w = destination.right - destination.left;
    const int h = destination.bottom - destination.top;
    if (w <= 0 || h <= 0)
        return TRUE;
    HBITMAP buffer = ::CreateCompatibleBitmap(dc, w, h);
    if (buffer == nullptr)
        return FALSE;
    BOOL ok = FALSE;
    {
        Selected memory(dc, buffer);
        if (memory.ok()) {
            const RECT all{0, 0, w, h};
            PlymFillSolidRect(memory.dc(), all, key);
            PaintGrid(memory.dc(), all, source, sizingMargins, key, sizingType, borderOnly);
            ok = GetPlymImageManager()->CopyTransparent(dc, destination, memory.dc(), all, key);
        }
    }
    ::DeleteObject(buffer);
    return ok;
}

void CPlymSkinImage::PaintGrid(HDC dc,
                               const RECT& destination,
                               const RECT& source,
                               const RECT& margins,
                               COLORREF key,
                               int sizingType,
                               BOOL borderOnly) {
    FollowLayout(m_alpha && m_mirrorAllowed && HasRTLLayout(dc));
    Selected image(dc, m_bitmap);
    if (!image.ok())
        return;
    CPlymImageManager& images = *GetPlymImageManager();
    const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    std::vector<plym::Blit> blits;
    for (const plym::GridPiece& piece : plym::SliceNineGrid(ToPlymRect(destination), ToPlymRect(source),
                                                            ToPlymRect(margins), borderOnly != FALSE)) {
        if (PaintSolid(dc, ToWinRect(piece.destination), piece.source, key))
            continue;
        blits.clear();
        plym::AppendPieceBlits(piece, sizingType == plym::kSizingTile, blits);
        for (const plym::Blit& blit : blits) {
            RECT from = ToWinRect(blit.source);
            if (m_mirrored)
                from = {m_width - from.right, from.top, m_width - from.left, from.bottom};
            const RECT to = ToWinRect(blit.destination);
            const int w = to.right - to.left;
            const int h = to.bottom - to.top;
            const int sw = from.right - from.left;
            const int sh = from.bottom - from.top;
            if (m_alpha) {
                images.BlendImage(dc, to, image.dc(), from);
            } else if (w == sw && h == sh) {
                ::BitBlt(dc, to.left, to.top, w, h, image.dc(), from.left, from.top, SRCCOPY);
            } else {
                ::StretchBlt(dc, to.left, to.top, w, h, image.dc(), from.left, from.top, sw, sh, SRCCOPY);
            }
        }
    }
    ::SetStretchBltMode(dc, oldMode);
}

void CPlymSkinImage::FollowLayout(bool rtl) {
    if (rtl == (m_mirrored != FALSE))
        return;
    HBITMAP swapped = GetPlymImageManager()->MirrorBitmap(m_bitmap);
    if (swapped == nullptr)
        return;
    ::DeleteObject(m_bitmap);
    m_bitmap = swapped;
    m_mirrored = rtl ? TRUE : FALSE;
}

void CPlymSkinImage::ApplyColorFilters(COLORREF key) {
    if (m_colorFiltered)
        return;
    m_colorFiltered = TRUE;
    if (m_schema == nullptr)
        return;
    uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    HBITMAP copy = GetPlymImageManager()->CopyAs32(m_bitmap, &bits, &width, &height);
    if (copy == nullptr)
        return;
    bool changed = false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* p = bits + i * 4;
        const COLORREF color = plym::PixelToColorRef(plym::PixelAt(p), false);
        if (color == key)
            continue;
        const COLORREF filtered = m_schema->FilterColor(color) & 0xFFFFFF;
        if (filtered == color)
            continue;
        p[0] = GetBValue(filtered);
        p[1] = GetGValue(filtered);
        p[2] = GetRValue(filtered);
        changed = true;
    }
    if (!changed) {
        ::DeleteObject(copy);
        return;
    }
    ::DeleteObject(m_bitmap);
    m_bitmap = copy;
}

IPlymSkinImage* CPlymSkinImageCache::Fetch(IPlymSkinFile* file,
                                           const std::string& path,
                                           const plym::SchemaStore* schema) {
    if (file == nullptr || path.empty())
        return nullptr;
    const auto cached = m_images.find(path);
    if (cached != m_images.end())
        return cached->second.get();
    IPlymSkinImage* image = file->LoadSkinImage(path.c_str(), schema);
    if (image != nullptr)
        m_images.emplace(path, std::unique_ptr<IPlymSkinImage>(image));
    return image;
}
