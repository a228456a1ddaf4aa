// skin/core/image_icons.cpp
#include "skin/core/image_icons.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "skin/core/draw_helpers.h"
#include "skin/core/image_manager.h"
#include "skin/core/module_handle.h"
#include "skin/core/prop_exchange.h"

namespace {

// COMCTL32 6 or later draws icons with alpha.
bool ComCtlDrawsAlphaIcons() {
    static const bool six = [] {
        CPlymModuleHandle comctl;
        return comctl.AttachOrLoad("COMCTL32.DLL") && HIWORD(comctl.GetDllVersion()) > 5;
    }();
    return six;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap == nullptr || !::GetObjectA(bitmap, sizeof info, &info))
        return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// The pixels of a DIB section, NULL for other bitmaps.
void* SectionBits(HBITMAP bitmap) {
    DIBSECTION section{};
    if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof section, &section) != sizeof section)
        return nullptr;
    return section.dsBm.bmBits;
}

// A bitmap record of `bitmap` in its own format: an empty record when a
// GetDIBits call fails.
plym::DibRecord RecordOfBitmap(HBITMAP bitmap) {
    plym::DibRecord record;
    if (bitmap == nullptr)
        return record;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    if (dc == nullptr)
        return record;
    BITMAPINFOHEADER format{};
    format.biSize = sizeof format;
    if (::GetDIBits(dc, bitmap, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&format), DIB_RGB_COLORS) &&
        format.biWidth > 0 && format.biHeight != 0) {
        const uint32_t entries = plym::DibRecordColorEntries(format.biBitCount);
        std::vector<uint32_t> info((sizeof format + entries * 4) / 4, 0);  // aligned header and table
        std::memcpy(info.data(), &format, sizeof format);
        const uint64_t bytes = format.biSizeImage != 0
                                   ? format.biSizeImage
                                   : uint64_t{static_cast<uint32_t>(format.biWidth)} *
                                         static_cast<uint32_t>(std::abs(format.biHeight)) * 4;
        std::vector<uint8_t> bits(static_cast<size_t>(bytes));
        const int rows = std::abs(format.biHeight);
        if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(rows), bits.data(),
                        reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS) == rows) {
            record.header.resize(info.size() * 4);
            std::memcpy(record.header.data(), info.data(), record.header.size());
            record.bits = std::move(bits);
        }
    }
    ::DeleteDC(dc);
    return record;
}

// A DIB section made from a record the stream accepted; `bits` gets its pixels.
HBITMAP BitmapOfRecord(const plym::DibRecord* record, void** bits) {
    if (bits != nullptr)
        *bits = nullptr;
    if (record == nullptr || record->IsEmpty())
        return nullptr;
    std::vector<uint32_t> info((record->header.size() + 3) / 4, 0);  // aligned for BITMAPINFO
    std::memcpy(info.data(), record->header.data(), record->header.size());
    void* pixels = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP section = ::CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(info.data()),
                                         DIB_RGB_COLORS, &pixels, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    if (section == nullptr || pixels == nullptr) {
        if (section != nullptr)
            ::DeleteObject(section);
        return nullptr;
    }
    // The stream kept no more than the section holds.
    std::memcpy(pixels, record->bits.data(), record->bits.size());
    if (bits != nullptr)
        *bits = pixels;
    return section;
}

}  // namespace

// ---- images ---------------------------------------------------------------------------------

BOOL CPlymImageManagerImage::IsEmpty() const {
    return (m_hIcon == nullptr && m_hBitmap == nullptr && m_pCell == nullptr) ||
           (m_nWidth == 0 && m_nHeight == 0);
}

BOOL CPlymImageManagerImage::IsAlpha() const {
    return m_hBitmap != nullptr || (m_pCell != nullptr && m_pCell->bAlpha);
}

HBITMAP CPlymImageManagerImage::GetBitmap() const {
    if (m_hBitmap != nullptr)
        return m_hBitmap;
    if (m_pCell != nullptr && m_pCell->pResource != nullptr)
        return m_pCell->pResource->GetStrip();
    return nullptr;
}

SIZE CPlymImageManagerImage::GetExtent() const {
    if (m_pCell != nullptr)
        return {m_pCell->right - m_pCell->left, m_pCell->bottom - m_pCell->top};
    if (m_hIcon != nullptr) {
        ICONINFO info{};
        if (!::GetIconInfo(m_hIcon, &info))
            return {0, 0};
        SIZE size = BitmapSize(info.hbmMask);
        if (info.hbmColor == nullptr)
            size.cy /= 2;  // a monochrome icon: its mask holds both halves
        if (info.hbmColor != nullptr)
            ::DeleteObject(info.hbmColor);
        if (info.hbmMask != nullptr)
            ::DeleteObject(info.hbmMask);
        return size;
    }
    if (m_hBitmap != nullptr)
        return BitmapSize(m_hBitmap);
    return {0, 0};
}

void CPlymImageManagerImage::SetIcon(HICON icon) {
    Take(icon, nullptr);
}

void CPlymImageManagerImage::SetBitmap(HBITMAP bitmap) {
    Take(nullptr, bitmap);
}

void CPlymImageManagerImage::Take(HICON icon, HBITMAP bitmap) {
    Clear();
    m_hIcon = icon;
    m_hBitmap = bitmap;
    m_bOwns = TRUE;
    const SIZE size = GetExtent();
    m_nWidth = size.cx;
    m_nHeight = size.cy;
}

void CPlymImageManagerImage::Clear() {
    if (m_bOwns) {
        if (m_hIcon != nullptr)
            ::DestroyIcon(m_hIcon);
        if (m_hBitmap != nullptr)
            ::DeleteObject(m_hBitmap);
        if (m_pCell != nullptr && m_pCell->pResource != nullptr)
            m_pCell->pResource->FreeCell(m_pCell);
    }
    m_hIcon = nullptr;
    m_hBitmap = nullptr;
    m_pBits = nullptr;
    m_pCell = nullptr;
    m_bOwns = FALSE;
}

void* CPlymImageManagerImage::PreMultiply() {
    if (m_pBits != nullptr)
        return m_pBits;
    if (m_hBitmap == nullptr)
        return nullptr;
    CPlymImageManager* manager = m_pImageManager != nullptr ? m_pImageManager : GetPlymImageManager();
    HBITMAP copy = manager->PremultiplyBitmap(m_hBitmap, nullptr);
    void* bits = SectionBits(copy);
    if (copy == nullptr || bits == nullptr) {
        if (copy != nullptr)
            ::DeleteObject(copy);
        return nullptr;
    }
    SetBitmap(copy);
    m_pBits = bits;
    return m_pBits;
}

void CPlymImageManagerImage::Copy(CPlymImageManagerImage& destination, CPlymImageManagerImage& source) {
    destination.Clear();
    CPlymImageManager* manager = destination.m_pImageManager;
    if (manager == nullptr || source.IsEmpty() || !manager->m_bUseSharedResources || !source.m_bMayShare) {
        if (source.m_hIcon != nullptr) {
            destination.m_hIcon = ::CopyIcon(source.m_hIcon);
        } else if (source.m_hBitmap != nullptr) {
            BITMAPINFOHEADER header{};
            std::vector<uint8_t> pixels;
            CPlymImageManager* any = manager != nullptr ? manager : GetPlymImageManager();
            if (any->GetBitmapBits32(nullptr, source.m_hBitmap, header, pixels)) {
                void* bits = nullptr;
                destination.m_hBitmap = ::CreateDIBSection(
                    nullptr, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
                if (destination.m_hBitmap != nullptr && bits != nullptr) {
                    std::memcpy(bits, pixels.data(), pixels.size());
                    if (source.m_pBits != nullptr)
                        destination.m_pBits = bits;
                }
            }
        } else if (source.m_pCell != nullptr && source.m_pCell->pResource != nullptr) {
            source.m_pCell->pResource->Extract(source.m_pCell, destination);
        }
    } else {
        CPlymImageManagerResource* resource = manager->GetResource(source.m_nWidth, source.m_nHeight);
        if (source.m_pCell != nullptr) {
            CPlymImageManagerImage loose;
            Copy(loose, source);
            destination.m_pCell = resource->Add(loose);
            loose.Clear();
        } else {
            destination.m_pCell = resource->Add(source);
        }
    }
    destination.m_bMayShare = source.m_bMayShare;
    destination.m_nWidth = source.m_nWidth;
    destination.m_nHeight = source.m_nHeight;
    destination.m_bOwns = TRUE;
}

// ---- icons ----------------------------------------------------------------------------------

CPlymImageManagerIcon::CPlymImageManagerIcon(UINT command,
                                             int width,
                                             int height,
                                             CPlymImageManagerIconSet* iconSet)
    : m_nCommand(command), m_nWidth(width), m_nHeight(height), m_pIconSet(iconSet) {
    for (CPlymImageManagerImage& image : m_images)
        image.m_pImageManager = iconSet != nullptr ? iconSet->m_pImageManager : nullptr;
}

void CPlymImageManagerIcon::ClearImages(BOOL withBase) {
    for (int i = withBase ? 0 : 1; i < 8; ++i)
        m_images[i].Clear();
}

void CPlymImageManagerIcon::Serialize(CArchive& ar) {
    int32_t height = m_nHeight;
    plym::SerializeIconRecord(ar, height, *this);
    m_nHeight = height;
}

void CPlymImageManagerIcon::SaveImage(int index, plym::DibRecord& first, plym::DibRecord& second) {
    CPlymImageManagerImage loose;  // no manager: a cell becomes a bitmap or an icon of its own
    CPlymImageManagerImage::Copy(loose, m_images[index]);
    loose.PreMultiply();
    if (loose.IsEmpty()) {
        // two empty records
    } else if (loose.IsAlpha()) {
        first = RecordOfBitmap(loose.GetBitmap());
    } else {
        ICONINFO info{};
        if (loose.GetIcon() != nullptr && ::GetIconInfo(loose.GetIcon(), &info)) {
            first = RecordOfBitmap(info.hbmColor);
            second = RecordOfBitmap(info.hbmMask);
            if (info.hbmColor != nullptr)
                ::DeleteObject(info.hbmColor);
            if (info.hbmMask != nullptr)
                ::DeleteObject(info.hbmMask);
        }
    }
    loose.Clear();
}

void CPlymImageManagerIcon::RestoreImage(int index,
                                         const plym::DibRecord* first,
                                         const plym::DibRecord* second,
                                         int32_t version) {
    void* bits = nullptr;
    HBITMAP colour = BitmapOfRecord(first, &bits);
    HBITMAP mask = BitmapOfRecord(second, nullptr);
    CPlymImageManagerImage loose;
    if (colour != nullptr && mask == nullptr) {
        loose.SetBitmap(colour);
        // Pixels count as premultiplied only when they are 32-bit rows; any
        // other depth is converted (and premultiplied) when next needed.
        BITMAP format{};
        if (plym::IconPixelsPremultiplied(version) && ::GetObjectA(colour, sizeof format, &format) &&
            format.bmBitsPixel == 32)
            loose.m_pBits = bits;
    } else if (colour != nullptr) {
        const SIZE size = BitmapSize(colour);
        HIMAGELIST list = ::ImageList_Create(size.cx, size.cy, ILC_COLOR24 | ILC_MASK, 0, 1);
        if (list != nullptr) {
            if (::ImageList_Add(list, colour, mask) >= 0)
                loose.SetIcon(::ImageList_GetIcon(list, 0, 0));
            ::ImageList_Destroy(list);
        }
        ::DeleteObject(colour);
        ::DeleteObject(mask);
    } else if (mask != nullptr) {
        ::DeleteObject(mask);
    }
    CPlymImageManagerImage::Copy(m_images[index], loose);
    loose.Clear();
}

// ---- icon sets ------------------------------------------------------------------------------

void CPlymImageManagerIconSet::RemoveAll() {
    for (auto& [width, icon] : m_mapIcons) {
        icon->ClearImages(TRUE);
        icon->InternalRelease();
    }
    m_mapIcons.RemoveAll();
}

void CPlymImageManagerIconSet::SetIcon(UINT width, CPlymImageManagerIcon* icon) {
    CPlymImageManagerIcon* replaced = nullptr;
    if (m_mapIcons.Lookup(width, replaced) && replaced != icon) {
        replaced->ClearImages(TRUE);
        replaced->InternalRelease();
    }
    m_mapIcons.SetAt(width, icon);
}

CPlymImageManagerIcon* CPlymImageManagerIconSet::GetIcon(UINT width) const {
    CPlymImageManagerIcon* icon = nullptr;
    return m_mapIcons.Lookup(width, icon) ? icon : nullptr;
}

// ---- strips ---------------------------------------------------------------------------------

CPlymStripDC::CPlymStripDC() {
    HDC screen = ::GetDC(nullptr);
    m_hDC = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
}

CPlymStripDC::~CPlymStripDC() {
    SetBitmap(nullptr);
    if (m_hDC != nullptr)
        ::DeleteDC(m_hDC);
}

void CPlymStripDC::SetBitmap(HBITMAP bitmap) {
    if (m_hDC == nullptr)
        return;
    if (bitmap == nullptr) {
        if (m_hReplaced != nullptr)
            ::SelectObject(m_hDC, m_hReplaced);
        m_hReplaced = nullptr;
        return;
    }
    HGDIOBJ replaced = ::SelectObject(m_hDC, bitmap);
    if (m_hReplaced == nullptr)
        m_hReplaced = replaced;
}

CPlymImageManagerResource::CPlymImageManagerResource(CPlymImageManager* manager,
                                                     int cellWidth,
                                                     int cellHeight)
    : m_pImageManager(manager), m_cells(cellWidth, cellHeight, this) {}

CPlymImageManagerResource::~CPlymImageManagerResource() {
    Reset();
}

int CPlymImageManagerResource::GetStripWidth() {
    CPlymScopedLock lock(&m_lock);
    return m_cells.StripWidth();
}

size_t CPlymImageManagerResource::GetCellsInUse() {
    CPlymScopedLock lock(&m_lock);
    return m_cells.CellsInUse();
}

void CPlymImageManagerResource::DropStrip() {
    m_dc.SetBitmap(nullptr);
    if (m_hStrip != nullptr)
        ::DeleteObject(m_hStrip);
    if (m_hMask != nullptr)
        ::DeleteObject(m_hMask);
    m_hStrip = nullptr;
    m_hMask = nullptr;
    m_pBits = nullptr;
}

void CPlymImageManagerResource::Reset() {
    CPlymScopedLock lock(&m_lock);
    m_cells.Reset();
    DropStrip();
}

PLYM_IMAGERESOURCE_INFO* CPlymImageManagerResource::AllocCell() {
    if (PLYM_IMAGERESOURCE_INFO* cell = m_cells.TakeFreeCell())
        return cell;
    const int grown = m_cells.GrownWidth();
    const int height = m_cells.CellHeight();
    if (grown <= 0)
        return nullptr;
    void* bits = nullptr;
    HBITMAP strip = m_pImageManager->CreateDIB32(m_dc.GetSafeHdc(), grown, height, &bits);
    HBITMAP mask = ::CreateBitmap(grown, height, 1, 1, nullptr);
    if (strip == nullptr || mask == nullptr || bits == nullptr) {
        if (strip != nullptr)
            ::DeleteObject(strip);
        if (mask != nullptr)
            ::DeleteObject(mask);
        return nullptr;  // the strip stays as it was
    }
    if (m_hStrip != nullptr) {
        ::GdiFlush();
        plym::CopyStripRows(m_pBits, m_cells.StripWidth(), static_cast<uint8_t*>(bits), grown, height);
        m_dc.SetBitmap(mask);
        ::DrawStateA(m_dc.GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>(m_hMask), 0, 0, 0,
                     m_cells.StripWidth(), height, DST_BITMAP);
        m_dc.SetBitmap(nullptr);
        ::DeleteObject(m_hStrip);
        ::DeleteObject(m_hMask);
    }
    m_hStrip = strip;
    m_hMask = mask;
    m_pBits = static_cast<uint8_t*>(bits);
    return m_cells.AddCell();
}

PLYM_IMAGERESOURCE_INFO* CPlymImageManagerResource::Add(CPlymImageManagerImage& image) {
    CPlymScopedLock lock(&m_lock);
    const int width = m_cells.CellWidth();
    const int height = m_cells.CellHeight();
    if (image.IsEmpty() || image.m_nWidth != width || image.m_nHeight != height ||
        (image.m_hIcon == nullptr && image.m_hBitmap == nullptr))
        return nullptr;
    PLYM_IMAGERESOURCE_INFO* cell = AllocCell();
    if (cell == nullptr)
        return nullptr;
    if (image.m_hIcon == nullptr) {
        void* pixels = image.PreMultiply();
        if (pixels == nullptr || BitmapSize(image.m_hBitmap).cx != width ||
            BitmapSize(image.m_hBitmap).cy != height) {
            FreeCell(cell);  // not left in use for nothing
            return nullptr;
        }
        ::GdiFlush();
        plym::CopyImageToCell(static_cast<const uint8_t*>(pixels), m_pBits, m_cells.StripWidth(), cell->left,
                              width, height);
        cell->bAlpha = 1;
        return cell;
    }
    ICONINFO info{};
    if (ComCtlDrawsAlphaIcons() && ::GetIconInfo(image.m_hIcon, &info)) {
        BOOL hasAlpha = FALSE;
        HBITMAP copy =
            info.hbmColor != nullptr ? m_pImageManager->PremultiplyBitmap(info.hbmColor, &hasAlpha) : nullptr;
        if (info.hbmColor != nullptr)
            ::DeleteObject(info.hbmColor);
        if (info.hbmMask != nullptr)
            ::DeleteObject(info.hbmMask);
        void* pixels = SectionBits(copy);
        const SIZE size = BitmapSize(copy);
        if (hasAlpha && pixels != nullptr && size.cx == width && size.cy == height) {
            ::GdiFlush();
            plym::CopyImageToCell(static_cast<const uint8_t*>(pixels), m_pBits, m_cells.StripWidth(),
                                  cell->left, width, height);
            cell->bAlpha = 1;
            ::DeleteObject(copy);
            return cell;
        }
        if (copy != nullptr)
            ::DeleteObject(copy);
    }
    const RECT box{cell->left, cell->top, cell->right, cell->bottom};
    m_dc.SetBitmap(m_hStrip);
    PlymFillSolidRect(m_dc.GetSafeHdc(), box, RGB(0, 0, 0));
    ::DrawIconEx(m_dc.GetSafeHdc(), cell->left, cell->top, image.m_hIcon, 0, 0, 0, nullptr, DI_NORMAL);
    m_dc.SetBitmap(nullptr);
    m_dc.SetBitmap(m_hMask);
    PlymFillSolidRect(m_dc.GetSafeHdc(), box, RGB(0, 0, 0));
    ::DrawIconEx(m_dc.GetSafeHdc(), cell->left, cell->top, image.m_hIcon, 0, 0, 0, nullptr, DI_MASK);
    m_dc.SetBitmap(nullptr);
    cell->bAlpha = 0;
    return cell;
}

void CPlymImageManagerResource::Extract(const PLYM_IMAGERESOURCE_INFO* cell, CPlymImageManagerImage& image) {
    CPlymScopedLock lock(&m_lock);
    image.Clear();
    if (cell == nullptr || m_pBits == nullptr)
        return;
    const int width = m_cells.CellWidth();
    const int height = m_cells.CellHeight();
    void* bits = nullptr;
    HBITMAP dib = m_pImageManager->CreateDIB32(m_dc.GetSafeHdc(), width, height, &bits);
    if (dib == nullptr || bits == nullptr) {
        if (dib != nullptr)
            ::DeleteObject(dib);
        return;
    }
    ::GdiFlush();
    plym::CopyCellToImage(m_pBits, m_cells.StripWidth(), cell->left, width, height,
                          static_cast<uint8_t*>(bits));
    if (cell->bAlpha) {
        image.m_hBitmap = dib;
        image.m_pBits = bits;
    } else {
        HBITMAP mask = ::CreateBitmap(width, height, 1, 1, nullptr);
        if (mask != nullptr) {
            CPlymCompatibleDC target(m_dc.GetSafeHdc(), mask);
            CPlymCompatibleDC source(m_dc.GetSafeHdc(), m_hMask);
            ::BitBlt(target.m_hDC, 0, 0, width, height, source.m_hDC, cell->left, cell->top, SRCCOPY);
        }
        ICONINFO info{TRUE, 0, 0, mask, dib};
        image.m_hIcon = mask != nullptr ? ::CreateIconIndirect(&info) : nullptr;
        if (mask != nullptr)
            ::DeleteObject(mask);
        ::DeleteObject(dib);
    }
    image.m_bOwns = TRUE;
}

void CPlymImageManagerResource::FreeCell(PLYM_IMAGERESOURCE_INFO* cell) {
    CPlymScopedLock lock(&m_lock);
    if (m_cells.Free(cell) == plym::StripCells::FreeResult::kReset)
        DropStrip();
}

// ---- image lists ----------------------------------------------------------------------------

void CPlymImageManagerImageList::Clear() {
    if (m_bOwnsHandle && m_hImageList != nullptr)
        ::ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    m_bOwnsHandle = FALSE;
    for (auto& [key, icon] : m_mapIcons)
        icon->InternalRelease();
    m_mapIcons.RemoveAll();
}

// ---- the manager's store --------------------------------------------------------------------

// The manager as the stream sees it.
class CPlymImageManager::Store : public plym::IconStoreModel {
  public:
    explicit Store(CPlymImageManager& manager) : m_manager(manager) {}

    std::vector<uint32_t> GetSetIds() const override {
        std::vector<uint32_t> ids;
        for (const auto& [id, set] : m_manager.m_mapIconSets)
            ids.push_back(id);
        return ids;
    }
    std::vector<uint32_t> GetIconWidths(uint32_t id) const override {
        std::vector<uint32_t> widths;
        if (CPlymImageManagerIconSet* set = m_manager.GetIconSet(id)) {
            for (const auto& [width, icon] : set->m_mapIcons)
                widths.push_back(width);
        }
        return widths;
    }
    CPlymSerializable* FindIcon(uint32_t id, uint32_t width) override {
        CPlymImageManagerIconSet* set = m_manager.GetIconSet(id);
        return set != nullptr ? set->GetIcon(width) : nullptr;
    }
    void RemoveAll() override { m_manager.RemoveAll(); }
    void NoteCommandId(uint32_t id) override {
        if (id > m_manager.m_nHighestCommand)
            m_manager.m_nHighestCommand = id;
    }
    void BeginSet(uint32_t id) override {
        if (CPlymImageManagerIconSet* set = m_manager.GetIconSet(id))
            set->RemoveAll();
        else
            m_manager.m_mapIconSets.SetAt(id, new CPlymImageManagerIconSet(id, &m_manager));
    }
    void RestoreIcon(uint32_t id,
                     uint32_t width,
                     const std::function<void(CPlymSerializable&)>& load) override {
        CPlymImageManagerIconSet* set = m_manager.GetIconSet(id);
        if (set == nullptr)
            return;
        struct Release {
            void operator()(CPlymImageManagerIcon* icon) const { icon->InternalRelease(); }
        };
        std::unique_ptr<CPlymImageManagerIcon, Release> icon(
            new CPlymImageManagerIcon(id, static_cast<int>(width), plym::kLoadedIconHeight, set));
        load(*icon);
        set->SetIcon(width, icon.release());
    }

  private:
    CPlymImageManager& m_manager;
};

CPlymImageManagerIconSet* CPlymImageManager::GetIconSet(UINT command) const {
    CPlymImageManagerIconSet* set = nullptr;
    return m_mapIconSets.Lookup(command, set) ? set : nullptr;
}

void CPlymImageManager::RemoveAll() {
    for (auto& [id, set] : m_mapIconSets) {
        set->RemoveAll();
        set->InternalRelease();
    }
    m_mapIconSets.RemoveAll();
    // The image lists' icons may hold cells: they go before the strips.
    for (CPlymImageManagerImageList* list : m_arrImageLists)
        delete list;
    m_arrImageLists.RemoveAll();
    for (auto& [key, resource] : m_mapResources)
        delete resource;
    m_mapResources.RemoveAll();
}

CPlymImageManagerResource* CPlymImageManager::GetResource(int width, int height) {
    const DWORD key = static_cast<DWORD>(height) << 16 | (static_cast<DWORD>(width) & 0xFFFF);
    CPlymImageManagerResource* resource = nullptr;
    if (!m_mapResources.Lookup(key, resource)) {
        resource = new CPlymImageManagerResource(this, width, height);
        m_mapResources.SetAt(key, resource);
    }
    return resource;
}

void CPlymImageManager::Serialize(CArchive& ar) {
    CPlymPropExchangeArchive px(ar);
    ExchangeIconSets(&px);
}

void CPlymImageManager::ExchangeIconSets(CPlymPropExchange* px) {
    Store store(*this);
    plym::ExchangeIconSets(*px, store);
}

void CPlymImageManager::ExchangeIconSet(UINT command, CPlymPropExchange* section) {
    Store store(*this);
    plym::ExchangeIconSet(command, *section, store);
}
