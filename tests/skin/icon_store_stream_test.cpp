// tests/skin/icon_store_stream_test.cpp
//
// The icon store's stored form over a store without GDI (icon_store_fake.h):
// the bytes at version 36 and what each older version holds, a round trip,
// the check string, truncated data, bitmap records a section cannot be made
// from, and the shared strips' cell order.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "skin/core/icon_store_stream.h"
#include "skin/core/image_strip.h"
#include "tests/skin/icon_store_fake.h"

namespace {

using Bytes = std::vector<uint8_t>;
using vektest::FakeIconStore;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void PutU32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

// A 40-byte header and a colour table of `entries`, for a width x height
// bitmap of `bits` bits per pixel.
Bytes Header(int32_t width, int32_t height, uint16_t bits, uint32_t sizeImage, uint32_t entries = 3) {
    Bytes h(40 + entries * 4, 0);
    PutU32(h, 0, 40);
    PutU32(h, 4, static_cast<uint32_t>(width));
    PutU32(h, 8, static_cast<uint32_t>(height));
    h[12] = 1;
    h[14] = static_cast<uint8_t>(bits);
    PutU32(h, 20, sizeImage);
    return h;
}

plym::DibRecord Alpha(int32_t width, int32_t height, uint8_t seed) {
    plym::DibRecord r;
    const uint32_t size = static_cast<uint32_t>(width * height * 4);
    r.header = Header(width, height, 32, size);
    for (uint32_t i = 0; i < size; ++i)
        r.bits.push_back(static_cast<uint8_t>(seed + i));
    return r;
}

// The bytes of a record as the stream holds it (counts below 0xFFFF).
Bytes Record(const Bytes& header, const Bytes& bits) {
    return Bytes{static_cast<uint8_t>(header.size()), static_cast<uint8_t>(header.size() >> 8)} + header +
           Bytes{static_cast<uint8_t>(bits.size()), static_cast<uint8_t>(bits.size() >> 8)} + bits;
}

int LoadCause(FakeIconStore& store, const Bytes& bytes) {
    try {
        vektest::LoadIcons(store, bytes);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}

const Bytes kCheck = {22,  'C', 'P', 'l', 'y', 'm', 'I', 'm', 'a', 'g', 'e', 'M',
                      'a', 'n', 'a', 'g', 'e', 'r', 'I', 'c', 'o', 'n', 's'};

TEST(IconStoreStreamTest, VersionThirtySixBytes) {
    FakeIconStore store;
    vektest::FakeIcon& icon = store.Add(0x1234, 16);
    icon.height = 16;
    icon.images[0].first = Alpha(1, 1, 0x10);
    icon.images[1].first = Alpha(1, 1, 0x50);  // images 1, 2 and 7 are never stored
    const Bytes golden =
        Bytes{0x01, 0x00,              // one icon set
              0x34, 0x12, 0x00, 0x00}  // its command id
        + kCheck +                     //
        Bytes{0x01, 0x00,              // one icon
              0x10, 0x00, 0x00, 0x00,  // width 16
              0x10, 0x00, 0x00, 0x00,  // height 16
              0x24, 0x00, 0x00, 0x00,  // version 36
              0x34, 0x00,              // image 0: a 52-byte header
              0x28, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01,
              0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00,
              0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
              0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //
              0x04, 0x00, 0x10, 0x11, 0x12, 0x13,  // its 4 pixel bytes
              0x00, 0x00,                          // no mask
              0x00, 0x00, 0x00, 0x00,              // image 6: empty
              0x00, 0x00, 0x00, 0x00,              // image 3
              0x00, 0x00, 0x00, 0x00,              // image 4
              0x00, 0x00, 0x00, 0x00};             // image 5
    EXPECT_EQ(vektest::StoreIcons(store), golden);
}

TEST(IconStoreStreamTest, ASetOfIconsReadsBackEqual) {
    FakeIconStore store;
    store.Add(68000, 16).images[0].first = Alpha(16, 15, 1);
    vektest::FakeIcon& big = store.Add(68000, 32);
    big.height = 32;
    big.images[6].first = Alpha(32, 32, 2);  // colour and mask
    big.images[6].second.header = Header(32, 32, 1, 128);
    big.images[6].second.bits.assign(128, 0x0F);
    big.images[5].first = Alpha(32, 32, 3);
    store.Add(70000, 24).images[3].first = Alpha(24, 24, 4);
    store.sets[5];  // a set without icons

    FakeIconStore back;
    back.Add(1, 16);  // emptied by the load
    vektest::LoadIcons(back, vektest::StoreIcons(store));
    EXPECT_TRUE(back == store);
    EXPECT_EQ(back.highestCommandId, 70000u);
    EXPECT_EQ(back.sets.at(68000).at(32)->images[6].loadedVersion, plym::kIconRecordVersion);

    // An "IconSet" count of 0 empties the store.
    vektest::LoadIcons(back, {0x00, 0x00});
    EXPECT_TRUE(back.sets.empty());
}

TEST(IconStoreStreamTest, EachVersionHoldsItsImages) {
    const struct {
        int32_t version;
        int records;  // empty image records of the icon at this version
        std::vector<int> images;
        bool premultiplied;
    } cases[] = {
        {7, 3, {0, 6, 3}, false},
        {16, 4, {0, 6, 3, 4}, false},
        {24, 5, {0, 6, 3, 4, 5}, false},
        {36, 5, {0, 6, 3, 4, 5}, true},
    };
    for (const auto& c : cases) {
        // Set 1: an icon of width 16 at this version, then one of width 32 at
        // 36, which only reads right when the first took its own bytes.
        Bytes bytes =
            Bytes{0x01, 0x00, 0x01, 0x00, 0x00, 0x00} + kCheck +
            Bytes{0x02, 0x00, 0x10, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, static_cast<uint8_t>(c.version),
                  0x00, 0x00, 0x00};
        bytes = bytes + Bytes(static_cast<size_t>(c.records) * 4, 0x00);
        bytes = bytes + Bytes{0x20, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x24, 0x00, 0x00, 0x00} +
                Bytes(5 * 4, 0x00);
        FakeIconStore store;
        ASSERT_EQ(LoadCause(store, bytes), CArchiveException::none) << c.version;
        const vektest::FakeIcon& icon = *store.sets.at(1).at(16);
        for (int i = 0; i < 8; ++i) {
            const bool read = std::find(c.images.begin(), c.images.end(), i) != c.images.end();
            EXPECT_EQ(icon.images[i].loadedVersion, read ? c.version : 0) << c.version << " image " << i;
        }
        EXPECT_EQ(store.sets.at(1).at(32)->height, 32) << c.version;
        EXPECT_EQ(plym::IconPixelsPremultiplied(c.version), c.premultiplied) << c.version;
    }
}

TEST(IconStoreStreamTest, AWrongCheckStringKeepsTheSetsReadBefore) {
    FakeIconStore store;
    store.Add(1, 16).images[0].first = Alpha(16, 16, 9);
    store.Add(2, 16);
    Bytes bytes = vektest::StoreIcons(store);
    // The second set's check string starts after the first set's bytes.
    FakeIconStore first;
    first.Add(1, 16).images[0].first = Alpha(16, 16, 9);
    const size_t secondCheck = vektest::StoreIcons(first).size() + 4 + 1;
    ASSERT_EQ(bytes[secondCheck], 'C');
    bytes[secondCheck] = 'X';

    FakeIconStore back;
    back.Add(99, 16);
    EXPECT_EQ(LoadCause(back, bytes), CArchiveException::badClass);
    EXPECT_EQ(back.sets.size(), 1u);
    EXPECT_TRUE(*back.sets.at(1).at(16) == *store.sets.at(1).at(16));
    EXPECT_EQ(back.highestCommandId, plym::kFirstHighestCommandId);
}

TEST(IconStoreStreamTest, TruncatedDataEndsWithEndOfFile) {
    FakeIconStore store;
    store.Add(1, 16).images[0].first = Alpha(16, 16, 1);
    store.Add(2, 32).images[4].first = Alpha(32, 32, 2);
    const Bytes bytes = vektest::StoreIcons(store);
    FakeIconStore first;
    first.Add(1, 16).images[0].first = Alpha(16, 16, 1);
    const size_t firstSetEnd = vektest::StoreIcons(first).size();
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        FakeIconStore back;
        ASSERT_EQ(LoadCause(back, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut))),
                  CArchiveException::endOfFile)
            << "cut at " << cut;
        if (cut >= firstSetEnd + 4) {  // the first set and the second's id are in
            EXPECT_TRUE(*back.sets.at(1).at(16) == *store.sets.at(1).at(16)) << "cut at " << cut;
        }
    }
}

TEST(IconStoreStreamTest, BitmapRecordsASectionCannotBeMadeFromLeaveTheImageEmpty) {
    Bytes wide = Header(1, 1, 32, 4);
    PutU32(wide, 4, 40000);
    Bytes tall = Header(1, 1, 32, 4);
    PutU32(tall, 8, static_cast<uint32_t>(-40000));
    Bytes rle = Header(1, 1, 8, 4, 256);
    rle[16] = 1;
    Bytes manyColours = Header(1, 1, 8, 4, 256);
    PutU32(manyColours, 32, 257);
    Bytes smallHeader = Header(1, 1, 32, 4);
    PutU32(smallHeader, 0, 12);
    Bytes bigSection = Header(4096, 4096, 32, 4);
    PutU32(bigSection, 4, 4097);  // 64 MiB and one row more
    const Bytes four = {1, 2, 3, 4};
    const struct {
        const char* what;
        Bytes record;
        Bytes kept;  // pixel bytes kept; empty: refused
    } cases[] = {
        {"a header of 16 bytes", Record(Bytes(16, 0), four), {}},
        {"a 32-bit header without its colour table", Record(Header(1, 1, 32, 4, 0), four), {}},
        {"an 8-bit header with 3 colours", Record(Header(1, 1, 8, 4), four), {}},
        {"biSize 12", Record(smallHeader, four), {}},
        {"a biSizeImage of 256 MB", Record(Header(1, 1, 32, 0x10000000), four), {}},
        {"no pixels", Record(Header(1, 1, 32, 4), {}), {}},
        {"width 0", Record(Header(0, 1, 32, 0), four), {}},
        {"width 40000", Record(wide, four), {}},
        {"height -40000", Record(tall, four), {}},
        {"7 bits per pixel", Record(Header(1, 1, 7, 4), four), {}},
        {"run-length coded", Record(rle, four), {}},
        {"257 colours", Record(manyColours, four), {}},
        {"a section above 64 MiB", Record(bigSection, four), {}},
        {"more pixels than the section", Record(Header(1, 1, 32, 4), {1, 2, 3, 4, 5, 6, 7, 8}), four},
        {"a biSizeImage of 0", Record(Header(1, 1, 32, 0), {1, 2, 3, 4, 5, 6}), four},
        {"a biSizeImage below the section", Record(Header(1, 1, 32, 2), four), {1, 2}},
        {"a top-down bitmap", Record(Header(1, -1, 32, 4), four), four},
    };
    const plym::DibRecord mask = Alpha(2, 2, 7);
    for (const auto& c : cases) {
        // Image 0's first record is the case, its second a good one; image 6
        // must still read right.
        const Bytes bytes =
            Bytes{0x01, 0x00, 0x01, 0x00, 0x00, 0x00} + kCheck +
            Bytes{0x01, 0x00, 0x10, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x24, 0x00, 0x00, 0x00} +
            c.record + Record(mask.header, mask.bits) + Record(mask.header, mask.bits) +
            Bytes(2 + 4 * 3, 0x00);
        FakeIconStore store;
        ASSERT_EQ(LoadCause(store, bytes), CArchiveException::none) << c.what;
        const vektest::FakeIcon& icon = *store.sets.at(1).at(16);
        EXPECT_EQ(icon.images[0].first.bits, c.kept) << c.what;
        EXPECT_EQ(icon.images[0].first.IsEmpty(), c.kept.empty()) << c.what;
        EXPECT_TRUE(icon.images[0].second == mask) << c.what;
        EXPECT_TRUE(icon.images[6].first == mask) << c.what;
    }
}

TEST(StripCellsTest, TheLastFreedCellIsReusedFirstAndAllFreeResetsTheStrip) {
    plym::StripCells strip(16, 15, nullptr);
    EXPECT_EQ(strip.TakeFreeCell(), nullptr);
    PLYM_IMAGERESOURCE_INFO* cells[3];
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(strip.GrownWidth(), 16 * (i + 1));
        cells[i] = strip.AddCell();
        EXPECT_EQ(cells[i]->left, 16 * i);
        EXPECT_EQ(cells[i]->right, 16 * (i + 1));
        EXPECT_EQ(cells[i]->bottom, 15);
    }
    using Result = plym::StripCells::FreeResult;
    EXPECT_EQ(strip.Free(cells[1]), Result::kFreed);
    EXPECT_EQ(strip.Free(cells[0]), Result::kFreed);
    EXPECT_EQ(strip.Free(cells[0]), Result::kNotInUse);
    EXPECT_EQ(strip.TakeFreeCell(), cells[0]);
    EXPECT_EQ(strip.TakeFreeCell(), cells[1]);
    EXPECT_EQ(strip.TakeFreeCell(), nullptr);
    EXPECT_EQ(strip.StripWidth(), 48);

    EXPECT_EQ(strip.Free(cells[2]), Result::kFreed);
    EXPECT_EQ(strip.Free(cells[0]), Result::kFreed);
    EXPECT_EQ(strip.Free(cells[1]), Result::kReset);
    EXPECT_EQ(strip.StripWidth(), 0);
    EXPECT_EQ(strip.CellsInUse() + strip.FreeCells(), 0u);
    EXPECT_EQ(strip.AddCell()->left, 0);
}

}  // namespace
