// tests/skin/image_icons_win_test.cpp
//
// The image manager's icon store under Wine: a store of alpha images and
// icons, some in shared cells, written and read back by Serialize; an icon
// set given two icons of one width; a lone bitmap of another depth read as
// premultiplied; and the strips' pixels as cells come and go.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "skin/core/icon_store_stream.h"
#include "skin/core/image_icons.h"
#include "skin/core/image_manager.h"
#include "tests/skin/icon_store_fake.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint8_t* SectionPixels(HBITMAP bitmap) {
    DIBSECTION section{};
    if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof section, &section) != sizeof section)
        return nullptr;
    return static_cast<uint8_t*>(section.dsBm.bmBits);
}

// A bottom-up 32-bit bitmap whose pixel i is (seed + i, seed, 0x40, alpha(i)).
HBITMAP AlphaBitmap(CPlymImageManager& manager, int width, int height, uint8_t seed, bool opaque = false) {
    void* bits = nullptr;
    HBITMAP bitmap = manager.CreateDIB32(nullptr, width, height, &bits);
    auto* p = static_cast<uint8_t*>(bits);
    for (int i = 0; i < width * height; ++i) {
        p[i * 4 + 0] = static_cast<uint8_t>(seed + i);
        p[i * 4 + 1] = seed;
        p[i * 4 + 2] = 0x40;
        p[i * 4 + 3] = opaque ? 0xFF : static_cast<uint8_t>(i * 16);
    }
    return bitmap;
}

Bytes Premultiplied(HBITMAP bitmap, int pixels) {
    Bytes p(SectionPixels(bitmap), SectionPixels(bitmap) + pixels * 4);
    for (int i = 0; i < pixels; ++i) {
        for (int c = 0; c < 3; ++c)
            p[i * 4 + c] = static_cast<uint8_t>(p[i * 4 + c] * p[i * 4 + 3] / 255);
    }
    return p;
}

// An icon of a solid colour with a transparent left half (black under the
// mask, as icons without XOR pixels are).
HICON SolidIcon(int size, COLORREF colour) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP colourBitmap = ::CreateCompatibleBitmap(screen, size, size);
    HBITMAP mask = ::CreateBitmap(size, size, 1, 1, nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, colourBitmap);
    HBRUSH brush = ::CreateSolidBrush(colour);
    RECT all{0, 0, size, size};
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ::PatBlt(dc, 0, 0, size / 2, size, BLACKNESS);
    ::SelectObject(dc, mask);
    ::PatBlt(dc, 0, 0, size, size, BLACKNESS);
    ::PatBlt(dc, 0, 0, size / 2, size, WHITENESS);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    ICONINFO info{TRUE, 0, 0, mask, colourBitmap};
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(mask);
    ::DeleteObject(colourBitmap);
    return icon;
}

// The icon drawn over a background: pixel colours, 0x00RRGGBB.
std::vector<uint32_t> Drawn(HICON icon, int size, COLORREF background) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP canvas = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, canvas);
    HBRUSH brush = ::CreateSolidBrush(background);
    RECT all{0, 0, size, size};
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + size * size);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(canvas);
    return pixels;
}

Bytes Store(CPlymImageManager& manager) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    manager.Serialize(ar);
    return file.GetBytes();
}

void Load(CPlymImageManager& manager, const Bytes& bytes) {
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    manager.Serialize(ar);
}

// A new icon of `set` under `width` (the set takes it).
CPlymImageManagerIcon* NewIcon(CPlymImageManager& manager, UINT id, int width) {
    CPlymImageManagerIconSet* set = manager.GetIconSet(id);
    if (set == nullptr) {
        set = new CPlymImageManagerIconSet(id, &manager);
        manager.m_mapIconSets.SetAt(id, set);
    }
    auto* icon = new CPlymImageManagerIcon(id, width, width, set);
    set->SetIcon(static_cast<UINT>(width), icon);
    return icon;
}

// `image` takes `loose` through Copy (a shared cell when the manager shares).
void Put(CPlymImageManagerImage& image, CPlymImageManagerImage& loose) {
    CPlymImageManagerImage::Copy(image, loose);
    loose.Clear();
}

TEST(ImageIconsTest, AStoreOfAlphaImagesAndIconsReadsBackThroughSerialize) {
    CPlymImageManager manager;
    HBITMAP alpha = AlphaBitmap(manager, 16, 16, 0x10);
    const Bytes premultiplied = Premultiplied(alpha, 16 * 16);
    CPlymImageManagerImage loose;
    loose.SetBitmap(alpha);
    CPlymImageManagerIcon* small = NewIcon(manager, 68300, 16);
    Put(small->GetImage(0), loose);  // into a shared 16 x 16 cell
    ASSERT_NE(small->GetImage(0).m_pCell, nullptr);
    loose.SetBitmap(AlphaBitmap(manager, 16, 16, 0x90));
    Put(small->GetImage(3), loose);  // the strip's second cell
    HICON solid = SolidIcon(32, RGB(200, 30, 90));
    const std::vector<uint32_t> onWhite = Drawn(solid, 32, RGB(255, 255, 255));
    const std::vector<uint32_t> onBlack = Drawn(solid, 32, RGB(0, 0, 0));
    loose.SetIcon(solid);
    manager.m_bUseSharedResources = FALSE;
    Put(NewIcon(manager, 68300, 32)->GetImage(6), loose);  // a free-standing icon
    manager.m_bUseSharedResources = TRUE;
    EXPECT_EQ(manager.GetResource(16, 16)->GetStripWidth(), 32);

    const Bytes bytes = Store(manager);
    // The cell went out as a 16 x 16 alpha bitmap of its own with the
    // premultiplied pixels, the icon as colour and mask.
    vektest::FakeIconStore stored;
    vektest::LoadIcons(stored, bytes);
    const plym::DibRecord& cell = stored.sets.at(68300).at(16)->images[0].first;
    ASSERT_FALSE(cell.IsEmpty());
    EXPECT_EQ(cell.header[4], 16);  // biWidth: the cell, not the strip
    EXPECT_EQ(cell.header[14], 32);
    EXPECT_EQ(cell.bits, premultiplied);
    EXPECT_TRUE(stored.sets.at(68300).at(16)->images[0].second.IsEmpty());
    EXPECT_FALSE(stored.sets.at(68300).at(32)->images[6].second.IsEmpty());

    CPlymImageManager back;
    Load(back, bytes);
    EXPECT_EQ(back.GetHighestCommandId(), 68300u);
    CPlymImageManagerIconSet* set = back.GetIconSet(68300);
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->m_mapIcons.GetCount(), 2);
    CPlymImageManagerImage& image0 = set->GetIcon(16)->GetImage(0);
    ASSERT_NE(image0.m_pCell, nullptr);
    EXPECT_TRUE(image0.IsAlpha());
    CPlymImageManagerImage copy;
    CPlymImageManagerImage::Copy(copy, image0);  // free-standing
    ASSERT_NE(copy.m_pBits, nullptr);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(copy.m_pBits), static_cast<uint8_t*>(copy.m_pBits) + 16 * 16 * 4),
              premultiplied);
    copy.Clear();
    CPlymImageManagerImage& icon = set->GetIcon(32)->GetImage(6);
    CPlymImageManagerImage::Copy(copy, icon);
    ASSERT_NE(copy.GetIcon(), nullptr);
    EXPECT_EQ(Drawn(copy.GetIcon(), 32, RGB(255, 255, 255)), onWhite);
    EXPECT_EQ(Drawn(copy.GetIcon(), 32, RGB(0, 0, 0)), onBlack);
    copy.Clear();

    // Loading again empties and refills; the strips follow.
    Load(back, bytes);
    EXPECT_EQ(back.GetResource(16, 16)->GetCellsInUse(), 2u);
    Load(back, {0x00, 0x00});
    EXPECT_EQ(back.GetIconSet(68300), nullptr);
}

TEST(ImageIconsTest, ASecondIconOfTheSameWidthReleasesTheFirst) {
    CPlymImageManager manager;
    CPlymImageManagerImage loose;
    loose.SetBitmap(AlphaBitmap(manager, 16, 16, 0x20));
    Put(NewIcon(manager, 7, 16)->GetImage(0), loose);
    Bytes bytes = Store(manager);
    // One icon record after the icon count: repeat it and count two.
    const size_t countAt = 2 + 4 + 23;
    ASSERT_EQ(bytes[countAt], 1);
    bytes[countAt] = 2;
    const Bytes icon(bytes.begin() + static_cast<std::ptrdiff_t>(countAt + 2), bytes.end());
    bytes.insert(bytes.end(), icon.begin(), icon.end());

    CPlymImageManager back;
    Load(back, bytes);
    EXPECT_EQ(back.GetIconSet(7)->m_mapIcons.GetCount(), 1);
    // The replaced icon gave its cell back.
    EXPECT_EQ(back.GetResource(16, 16)->GetCellsInUse(), 1u);
}

TEST(ImageIconsTest, ALoneBitmapOfAnotherDepthIsConvertedEvenWhenStoredAsPremultiplied) {
    // Image 0 of a version-36 record: a 24-bit 16 x 16 bitmap alone.
    plym::DibRecord record;
    record.header.assign(52, 0);
    const int32_t header[] = {40, 16, 16};
    std::memcpy(record.header.data(), header, sizeof header);
    record.header[12] = 1;
    record.header[14] = 24;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            record.bits.push_back(static_cast<uint8_t>(x));  // B
            record.bits.push_back(0x22);                     // G
            record.bits.push_back(0x33);                     // R
        }
    }
    vektest::FakeIconStore fake;
    fake.Add(9, 16).images[0].first = record;
    CPlymImageManager manager;
    Load(manager, vektest::StoreIcons(fake));
    CPlymImageManagerImage& image = manager.GetIconSet(9)->GetIcon(16)->GetImage(0);
    ASSERT_NE(image.m_pCell, nullptr);
    CPlymImageManagerImage copy;
    CPlymImageManagerImage::Copy(copy, image);
    const uint8_t* p = static_cast<const uint8_t*>(copy.PreMultiply());
    ASSERT_NE(p, nullptr);
    for (int x : {0, 1, 15}) {
        EXPECT_EQ(p[x * 4 + 0], x) << x;
        EXPECT_EQ(p[x * 4 + 1], 0x22) << x;
        EXPECT_EQ(p[x * 4 + 2], 0x33) << x;
    }
    copy.Clear();
}

TEST(ImageIconsTest, StripsKeepTheirPixelsAsCellsComeAndGo) {
    CPlymImageManager manager;
    CPlymImageManagerResource* strip = manager.GetResource(8, 4);
    CPlymImageManagerImage images[3];
    Bytes expected[3];
    for (int i = 0; i < 3; ++i) {
        HBITMAP bitmap = AlphaBitmap(manager, 8, 4, static_cast<uint8_t>(0x30 * i), true);
        expected[i] = Premultiplied(bitmap, 32);
        CPlymImageManagerImage loose;
        loose.SetBitmap(bitmap);
        images[i].m_pImageManager = &manager;
        Put(images[i], loose);
        ASSERT_NE(images[i].m_pCell, nullptr);
        EXPECT_EQ(images[i].m_pCell->left, 8 * i);
    }
    EXPECT_EQ(strip->GetStripWidth(), 24);
    for (int i = 0; i < 3; ++i) {
        CPlymImageManagerImage copy;
        CPlymImageManagerImage::Copy(copy, images[i]);
        EXPECT_EQ(Bytes(static_cast<uint8_t*>(copy.m_pBits), static_cast<uint8_t*>(copy.m_pBits) + 32 * 4),
                  expected[i])
            << i;
    }
    images[1].Clear();
    CPlymImageManagerImage loose;
    loose.SetBitmap(AlphaBitmap(manager, 8, 4, 0x99, true));
    Put(images[1], loose);
    EXPECT_EQ(images[1].m_pCell->left, 8);  // the freed cell, not a new one
    EXPECT_EQ(strip->GetStripWidth(), 24);
    // An image whose stored size is not its bitmap's is not packed, and the
    // cell taken for it is given back.
    CPlymImageManagerImage odd;
    odd.SetBitmap(AlphaBitmap(manager, 4, 2, 0x11, true));
    odd.m_nWidth = 8;
    odd.m_nHeight = 4;
    EXPECT_EQ(strip->Add(odd), nullptr);
    EXPECT_EQ(strip->GetCellsInUse(), 3u);
    odd.Clear();
    for (CPlymImageManagerImage& image : images)
        image.Clear();
    EXPECT_EQ(strip->GetStrip(), nullptr);
    EXPECT_EQ(strip->GetMask(), nullptr);
    EXPECT_EQ(strip->GetStripWidth(), 0);
}

}  // namespace
