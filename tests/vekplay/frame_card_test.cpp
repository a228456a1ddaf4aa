// tests/vekplay/frame_card_test.cpp
//
// Frame cards: the marker reads back to the frame time for any time, survives
// the trip through a BMP file, and is not found where there is none; the text
// time is the UTC calendar time.
#include "vekplay/frame_card.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/common/temp_dir.h"
#include "tests/vekplay/bmp_read.h"
#include "vekplay/bmp_file.h"

namespace vekplay {
namespace {

TEST(FrameCardTest, MarkerReadsBackEveryTime) {
    const uint64_t times[] = {0,
                              1,
                              1709640000000000ULL,
                              1709640000040000ULL,
                              0x0123456789ABCDEFULL,
                              UINT64_MAX,
                              0x8000000000000000ULL};
    for (uint64_t t : times) {
        CardInfo info;
        info.type = 'P';
        info.timeUs = t;
        info.size = 1234;
        Picture p;
        DrawCard(info, &p);
        EXPECT_TRUE(p.card);
        EXPECT_EQ(p.time, t);
        uint64_t read = 0;
        ASSERT_TRUE(ReadCardMarker(p, &read)) << t;
        EXPECT_EQ(read, t);
    }
}

TEST(FrameCardTest, CardSizeFollowsTheHeaderWithinBounds) {
    Picture p;
    CardInfo info;
    info.width = 704;
    info.height = 576;
    DrawCard(info, &p);
    EXPECT_EQ(p.width, 704);
    EXPECT_EQ(p.height, 576);
    for (auto [w, h] : {std::pair{0, 0}, {100, 80}, {65535, 65535}, {704, 20000}}) {
        info.width = static_cast<uint16_t>(w);
        info.height = static_cast<uint16_t>(h);
        DrawCard(info, &p);
        EXPECT_GE(p.width, 320);
        EXPECT_LE(p.width, 1920);
        EXPECT_GE(p.height, 240);
        EXPECT_LE(p.height, 1088);
        uint64_t t = 1;
        EXPECT_TRUE(ReadCardMarker(p, &t));
    }
}

TEST(FrameCardTest, NoMarkerInOtherPictures) {
    Picture grey;
    grey.Allocate(352, 288);
    std::fill(grey.pixels.begin(), grey.pixels.end(), 0x80);
    uint64_t t = 0;
    EXPECT_FALSE(ReadCardMarker(grey, &t));

    // All black reads as time 0 with a wrong check byte.
    Picture black;
    black.Allocate(352, 288);
    EXPECT_FALSE(ReadCardMarker(black, &t));

    // One cell flipped: the check byte catches it.
    CardInfo info;
    info.timeUs = 1709640000000000ULL;
    Picture card;
    DrawCard(info, &card);
    uint8_t* px = card.Row(kMarkerTop + 3 * kMarkerCell + 5) + (kMarkerLeft + 2 * kMarkerCell + 5) * 3;
    const uint8_t flipped = px[0] ? 0 : 0xFF;
    for (int y = 0; y < kMarkerCell; y++)
        for (int x = 0; x < kMarkerCell; x++) {
            uint8_t* q = card.Row(kMarkerTop + 3 * kMarkerCell + y) + (kMarkerLeft + 2 * kMarkerCell + x) * 3;
            q[0] = q[1] = q[2] = flipped;
        }
    EXPECT_FALSE(ReadCardMarker(card, &t));

    EXPECT_FALSE(ReadCardMarker(nullptr, 352, 288, 352 * 3, &t));
    Picture tiny;
    tiny.Allocate(40, 40);
    EXPECT_FALSE(ReadCardMarker(tiny, &t));
}

TEST(FrameCardTest, SnapshotFileHoldsThePictureRowForRow) {
    const vektest::TempDir temp;
    CardInfo info;
    info.channel = 2;
    info.type = 'I';
    info.timeUs = 1709640000123000ULL;
    info.size = 4096;
    info.width = 355;  // odd width: rows are padded in the file
    info.height = 290;
    Picture card;
    DrawCard(info, &card);
    const std::string path = temp.File("card.bmp");
    ASSERT_TRUE(WriteBmp24(path.c_str(), card));

    test::BmpImage image;
    std::string why;
    ASSERT_TRUE(test::ReadBmp(path, &image, &why)) << why;
    ASSERT_EQ(image.width, 355);
    ASSERT_EQ(image.height, 290);
    for (int y = 0; y < image.height; y++)
        ASSERT_EQ(0, std::memcmp(image.At(0, y), card.Row(y), image.stride)) << "row " << y;
    uint64_t t = 0;
    ASSERT_TRUE(ReadCardMarker(image.pixels.data(), image.width, image.height, image.stride, &t));
    EXPECT_EQ(t, info.timeUs);

    EXPECT_FALSE(WriteBmp24(path.c_str(), Picture{}));
    EXPECT_FALSE(WriteBmp24(temp.File("no/such/folder/x.bmp").c_str(), card));
}

TEST(FrameCardTest, TimeTextIsUtcCalendarTime) {
    EXPECT_EQ(FormatFrameTime(0), "1970-01-01 00:00:00.000");
    EXPECT_EQ(FormatFrameTime(1709640000000000ULL), "2024-03-05 12:00:00.000");
    EXPECT_EQ(FormatFrameTime(951782400123456ULL), "2000-02-29 00:00:00.123");  // leap day of a century year
    EXPECT_EQ(FormatFrameTime(4102444799999999ULL), "2099-12-31 23:59:59.999");
    EXPECT_FALSE(FormatFrameTime(UINT64_MAX).empty());
}

}  // namespace
}  // namespace vekplay
