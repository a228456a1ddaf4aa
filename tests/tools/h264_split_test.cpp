// tests/tools/h264_split_test.cpp
//
// Access-unit splitting, on hand-made NAL sequences and on streams ffmpeg made
// at build time, where ffprobe's packet list (sizes and key flags) is the
// independent account of the units.
#include "tools/h264_split.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace vektools {
namespace {

struct Packet {
    size_t size;
    bool key;
};

const std::string kFixtures = VEK_TEST_FIXTURES;

std::vector<Packet> ReadPackets(const std::string& path) {
    std::vector<Packet> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t comma = line.find(',');
        if (comma == std::string::npos)
            continue;
        out.push_back({std::stoul(line.substr(0, comma)), line[comma + 1] == 'K'});
    }
    return out;
}

std::vector<uint8_t> Join(const std::vector<AccessUnit>& units) {
    std::vector<uint8_t> all;
    for (const AccessUnit& u : units)
        all.insert(all.end(), u.bytes.begin(), u.bytes.end());
    return all;
}

void ExpectSameUnitsAsFfprobe(const std::string& name, uint16_t width, uint16_t height) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(kFixtures + "/" + name + ".h264", &bytes, &error)) << error;
    const std::vector<Packet> packets = ReadPackets(kFixtures + "/" + name + ".csv");
    ASSERT_FALSE(packets.empty());

    const std::vector<AccessUnit> units = SplitAccessUnits(bytes.data(), bytes.size());
    ASSERT_EQ(units.size(), packets.size());
    for (size_t i = 0; i < units.size(); i++) {
        EXPECT_EQ(units[i].bytes.size(), packets[i].size) << "unit " << i;
        EXPECT_EQ(units[i].idr, packets[i].key) << "unit " << i;
    }
    EXPECT_EQ(Join(units), bytes);

    uint16_t w = 0, h = 0;
    ASSERT_TRUE(FindPictureSize(units, &w, &h));
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
}

TEST(H264Split, HighProfileStreamMatchesFfprobe) {
    ExpectSameUnitsAsFfprobe("testsrc_352x288", 352, 288);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(kFixtures + "/testsrc_352x288.h264", &bytes, nullptr));
    const std::vector<AccessUnit> units = SplitAccessUnits(bytes.data(), bytes.size());
    std::vector<size_t> idr;
    for (size_t i = 0; i < units.size(); i++)
        if (units[i].idr)
            idr.push_back(i);
    EXPECT_EQ(idr, (std::vector<size_t>{0, 25, 50, 75}));  // 4 s at 25 fps, -g 25
}

TEST(H264Split, CroppedBaselineStreamMatchesFfprobe) {
    // 120 lines are 8 macroblock rows minus 8 cropped lines.
    ExpectSameUnitsAsFfprobe("testsrc_176x120", 176, 120);
}

TEST(H264Split, UnitBoundaries) {
    const std::vector<uint8_t> lead = {0xAB, 0xCD};
    const std::vector<uint8_t> aud = {0, 0, 0, 1, 0x09, 0xF0};
    const std::vector<uint8_t> sps = {0, 0, 0, 1, 0x67, 0x42, 0x00, 0x1E};
    const std::vector<uint8_t> pps = {0, 0, 0, 1, 0x68, 0xCE};
    const std::vector<uint8_t> idr1 = {0, 0, 1, 0x65, 0x88, 0x84};        // first_mb_in_slice 0
    const std::vector<uint8_t> idr2 = {0, 0, 1, 0x65, 0x40, 0x11, 0x22};  // a later slice, same picture
    const std::vector<uint8_t> p1 = {0, 0, 1, 0x41, 0x9A, 0x01};
    const std::vector<uint8_t> p2 = {0, 0, 1, 0x41, 0x9B, 0x02};  // a new picture without AUD
    const std::vector<uint8_t> sei = {0, 0, 1, 0x06, 0x05, 0x01};
    const std::vector<uint8_t> p3 = {0, 0, 1, 0x41, 0x9A, 0x03, 0x00};  // trailing zero stays in its unit

    std::vector<std::vector<uint8_t>> want = {lead, aud, sps, pps, idr1, idr2};
    std::vector<uint8_t> bytes;
    std::vector<std::vector<uint8_t>> expected(4);
    const auto add = [&](int unit, const std::vector<uint8_t>& nal) {
        bytes.insert(bytes.end(), nal.begin(), nal.end());
        expected[unit].insert(expected[unit].end(), nal.begin(), nal.end());
    };
    for (const auto& n : want)
        add(0, n);
    add(1, aud);
    add(1, p1);
    add(2, p2);
    add(3, sei);
    add(3, p3);

    const std::vector<AccessUnit> units = SplitAccessUnits(bytes.data(), bytes.size());
    ASSERT_EQ(units.size(), 4u);
    for (size_t i = 0; i < 4; i++)
        EXPECT_EQ(units[i].bytes, expected[i]) << "unit " << i;
    EXPECT_TRUE(units[0].idr);
    EXPECT_FALSE(units[1].idr || units[2].idr || units[3].idr);

    uint16_t w = 0, h = 0;
    EXPECT_FALSE(FindPictureSize(units, &w, &h));  // that SPS is cut short
}

TEST(H264Split, BytesWithoutStartCodesAreOneUnit) {
    const std::vector<uint8_t> bytes = {1, 2, 3, 0, 0, 2};
    const std::vector<AccessUnit> units = SplitAccessUnits(bytes.data(), bytes.size());
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].bytes, bytes);
    EXPECT_TRUE(SplitAccessUnits(bytes.data(), 0).empty());
}

}  // namespace
}  // namespace vektools
