// Golden-byte tests of the on-disk records in both format versions.
//
// Each record is decoded from a buffer whose byte i holds i (+ a base), so the
// expected field values below are the little-endian words at the documented
// offsets written out by hand: a field read from the wrong offset or width
// shows at once. Encoding the decoded record must give the buffer back byte for
// byte, reserved bytes included.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "reader/format.h"

namespace vekfs {
namespace {

template <size_t N>
std::array<uint8_t, N> Ramp(uint8_t base = 0) {
    std::array<uint8_t, N> a{};
    for (size_t i = 0; i < N; i++)
        a[i] = static_cast<uint8_t>(base + i);
    return a;
}

TEST(DiskParam, DecodesEveryFieldAtItsOffsetAndKeepsReservedBytes) {
    const auto bytes = Ramp<kDiskParamSize>();
    const disk_param p = decode_disk_param(bytes.data());
    EXPECT_EQ(p.magic, 0x03020100u);
    EXPECT_EQ(p.capacity, 0x07060504u);
    EXPECT_EQ(p.part_count, 12);
    EXPECT_EQ(p.disk_state, 14);
    EXPECT_EQ(p.fs_type, 15);
    EXPECT_EQ(p.version, 0x1110);
    EXPECT_EQ(p.version_again, 0x1312);
    EXPECT_EQ(p.file_table_offset, 0x17161514u);
    EXPECT_EQ(p.event_area_offset, 0x1b1a1918u);
    EXPECT_EQ(p.few_channels, 0x27262524u);
    EXPECT_EQ(p.channels, 0x37363534u);
    EXPECT_EQ(p.part_start[0], 0x4f4e4d4c4b4a4948u);
    EXPECT_EQ(p.part_start[3], 0x6766656463626160u);
    EXPECT_EQ(p.copy_size, 0x6b6a6968u);
    EXPECT_EQ(p.valid_bits[0], 116);
    EXPECT_EQ(p.valid_bits[3], 119);
    EXPECT_EQ(p.check_sum, 0x7f7e7d7cu);

    std::array<uint8_t, kDiskParamSize> out{};
    encode_disk_param(p, out.data());
    EXPECT_EQ(out, bytes);
}

TEST(DiskParam, EncodingAFieldTouchesOnlyItsBytes) {
    const auto bytes = Ramp<kDiskParamSize>(0x80);
    disk_param p = decode_disk_param(bytes.data());
    p.valid_bits[2] = 0x0e;
    p.disk_state = 2;
    std::array<uint8_t, kDiskParamSize> out{};
    encode_disk_param(p, out.data());
    for (size_t i = 0; i < kDiskParamSize; i++) {
        if (i == 118)
            EXPECT_EQ(out[i], 0x0e);
        else if (i == 14)
            EXPECT_EQ(out[i], 2);
        else
            EXPECT_EQ(out[i], bytes[i]) << "byte " << i;
    }
}

TEST(DiskParam, CheckWordIsTheXorOfTheFirst31Words) {
    std::array<uint8_t, kDiskParamSize> b{};
    platform::PutU32(b.data() + 0, kMagicDisk);
    platform::PutU32(b.data() + 120, 0x00ff00ffu);
    platform::PutU32(b.data() + 124, 0xdeadbeefu);  // not part of the sum
    EXPECT_EQ(disk_param_xor(b.data()), kMagicDisk ^ 0x00ff00ffu);
}

TEST(PartInfo, GoldenBytes) {
    const auto bytes = Ramp<kPartInfoSize>();
    const part_info p = decode_part_info(bytes.data());
    EXPECT_EQ(p.magic, 0x03020100u);
    EXPECT_EQ(p.file_count, 0x0504);
    EXPECT_EQ(p.free_count, 0x0706);
    EXPECT_EQ(p.state, 10);
    EXPECT_EQ(p.repair_flag, 11);
    EXPECT_EQ(p.type0_start, 0x13121110u);
    EXPECT_EQ(p.type0_end, 0x17161514u);
    EXPECT_EQ(p.type1_start, 0x1b1a1918u);
    EXPECT_EQ(p.type1_end, 0x1f1e1d1cu);
    std::array<uint8_t, kPartInfoSize> out{};
    encode_part_info(p, out.data());
    EXPECT_EQ(out, bytes);
}

TEST(FileInfo, GoldenBytesInBothVersions) {
    for (const FormatTraits* f : {&kFormatV1, &kFormatV2}) {
        SCOPED_TRACE(f->version);
        std::vector<uint8_t> bytes(f->fileInfoSize);
        for (size_t i = 0; i < bytes.size(); i++)
            bytes[i] = static_cast<uint8_t>(i);
        const file_info e = decode_file_info(bytes.data(), *f);
        EXPECT_EQ(e.magic, 0x03020100u);
        EXPECT_EQ(e.number, 0x0504);
        EXPECT_EQ(e.event_count, 0x0706);
        EXPECT_EQ(e.state, 8);
        EXPECT_EQ(e.channel, 9);
        EXPECT_EQ(e.data_type, 10);
        EXPECT_EQ(e.start, 0x0f0e0d0cu);
        EXPECT_EQ(e.end, 0x13121110u);
        EXPECT_EQ(e.end_sequence, 0x17161514u);
        EXPECT_EQ(e.data_end, 0x1b1a1918u);
        EXPECT_EQ(e.index_end, 0x1f1e1d1cu);
        EXPECT_EQ(e.switch_word, 0x23222120u);
        EXPECT_EQ(e.day_bitmap[0], 0x27262524u);
        EXPECT_EQ(e.day_bitmap[3], 0x33323130u);
        if (f->version == 2)
            EXPECT_EQ(e.day_bitmap[15], 0x63626160u);
        else
            EXPECT_EQ(e.day_bitmap[4], 0u);  // version 1 holds four words only

        std::vector<uint8_t> out(f->fileInfoSize);
        encode_file_info(e, *f, out.data());
        EXPECT_EQ(out, bytes);
    }
}

TEST(EventRecord, Version1Layout) {
    const auto bytes = Ramp<40>();
    const pevent_info e = decode_pevent_info(bytes.data(), kFormatV1);
    EXPECT_EQ(e.magic, 0x03020100u);
    EXPECT_EQ(e.start, 0x07060504u);
    EXPECT_EQ(e.data_start, 0x0b0a0908u);
    EXPECT_EQ(e.index_start, 0x0f0e0d0cu);
    EXPECT_EQ(e.type_bits, 0x13121110u);
    EXPECT_EQ(e.number, 0x1514);
    EXPECT_EQ(e.attr22, 22);
    EXPECT_EQ(e.attr23, 23);
    EXPECT_EQ(e.end, 0x1b1a1918u);
    EXPECT_EQ(e.data_length, 0x1f1e1d1cu);
    EXPECT_EQ(e.index_end, 0x23222120u);
    EXPECT_EQ(e.skip, 36);
    EXPECT_EQ(e.pass38, 0x2726);
    std::array<uint8_t, 40> out{};
    encode_pevent_info(e, kFormatV1, out.data());
    EXPECT_EQ(out, bytes);  // byte 37 is reserved and survives
}

TEST(EventRecord, Version2Layout) {
    const auto bytes = Ramp<48>();
    const pevent_info e = decode_pevent_info(bytes.data(), kFormatV2);
    EXPECT_EQ(e.type_bits, 0x13121110u);
    EXPECT_EQ(e.media_first, 0x1b1a1918u);
    EXPECT_EQ(e.end, 0x1f1e1d1cu);
    EXPECT_EQ(e.data_length, 0x23222120u);
    EXPECT_EQ(e.index_end, 0x27262524u);
    EXPECT_EQ(e.skip, 40);
    EXPECT_EQ(e.media_last, 0x2f2e2d2cu);
    std::array<uint8_t, 48> out{};
    encode_pevent_info(e, kFormatV2, out.data());
    EXPECT_EQ(out, bytes);  // bytes 41-43 are reserved and survive
}

TEST(KframeEntry, GoldenBytes) {
    const auto bytes = Ramp<16>();
    const kframe_entry e = decode_kframe_entry(bytes.data());
    EXPECT_EQ(e.marker, 0x03020100u);
    EXPECT_EQ(e.time, 0x07060504u);
    EXPECT_EQ(e.offset, 0x0b0a0908u);
    EXPECT_EQ(e.length, 0x0f0e0d0cu);
    std::array<uint8_t, 16> out{};
    encode_kframe_entry(e, out.data());
    EXPECT_EQ(out, bytes);
}

TEST(PackedTime, BoundsOrderAndSlots) {
    const vekfs_time first{0, 1, 1, 0, 0, 0, 0};
    const vekfs_time last{63, 12, 31, 23, 59, 59, 0};
    EXPECT_EQ(pack_time(first), 0x00420000u);
    EXPECT_EQ(pack_time(last), 0xff3f7efbu);
    EXPECT_EQ(unpack_time(pack_time(last)), last);
    EXPECT_EQ(unpack_time(0x00420000u), first);

    // Unsigned order is time order, across every field boundary.
    const vekfs_time ordered[] = {
        {13, 5, 31, 23, 59, 59, 0}, {13, 6, 1, 0, 0, 0, 0}, {13, 6, 1, 0, 0, 1, 0},
        {13, 6, 1, 0, 1, 0, 0},     {13, 6, 1, 1, 0, 0, 0}, {13, 12, 31, 23, 59, 59, 0},
        {14, 1, 1, 0, 0, 0, 0},
    };
    for (size_t i = 1; i < std::size(ordered); i++)
        EXPECT_LT(pack_time(ordered[i - 1]), pack_time(ordered[i])) << i;

    EXPECT_EQ(halfhour_slot(pack_time({13, 6, 1, 0, 0, 0, 0})), 0);
    EXPECT_EQ(halfhour_slot(pack_time({13, 6, 1, 10, 29, 59, 0})), 20);
    EXPECT_EQ(halfhour_slot(pack_time({13, 6, 1, 10, 30, 0, 0})), 21);
    EXPECT_EQ(halfhour_slot(pack_time({13, 6, 1, 23, 59, 59, 0})), 47);

    EXPECT_EQ(month_key(pack_time({13, 6, 1, 0, 0, 0, 0})), month_key(pack_time({13, 6, 30, 23, 0, 0, 0})));
    EXPECT_NE(month_key(pack_time({13, 6, 1, 0, 0, 0, 0})), month_key(pack_time({13, 7, 1, 0, 0, 0, 0})));
}

TEST(PackedTime, PackingMasksInsteadOfClamping) {
    // Hour 24 still packs into its five bits: it reads back as 24.
    EXPECT_EQ(unpack_time(pack_time({13, 6, 1, 24, 0, 0, 0})).hour, 24);
    // Out-of-range fields cannot spill into their neighbours.
    EXPECT_EQ(pack_time({13, 6, 1, 0, 0, 64, 0}), pack_time({13, 6, 1, 0, 0, 0, 0}));
}

TEST(PackedTime, UnixSecondsRoundTrip) {
    EXPECT_EQ(packed_to_unix_seconds(0x00420000u), 946684800);  // 2000-01-01 00:00:00 UTC
    const packed_time t = pack_time({13, 11, 18, 17, 45, 30, 0});
    EXPECT_EQ(packed_to_unix_seconds(t), 1384796730);
    EXPECT_EQ(unix_seconds_to_packed(1384796730), t);
    // Leap day and year end.
    for (packed_time v : {pack_time({12, 2, 29, 12, 0, 0, 0}), pack_time({15, 12, 31, 23, 59, 59, 0})})
        EXPECT_EQ(unix_seconds_to_packed(packed_to_unix_seconds(v)), v);
    // A damaged day 0 or month 0 does not fault; day 0 is the day before the 1st.
    EXPECT_EQ(packed_to_unix_seconds(pack_time({13, 3, 0, 0, 0, 0, 0})),
              packed_to_unix_seconds(pack_time({13, 2, 28, 0, 0, 0, 0})));
    EXPECT_EQ(packed_to_unix_seconds(pack_time({13, 0, 1, 0, 0, 0, 0})),
              packed_to_unix_seconds(pack_time({12, 12, 1, 0, 0, 0, 0})));
}

TEST(Traits, Sizes) {
    EXPECT_EQ(kFormatV1.EventBlockSize(), 10240u);
    EXPECT_EQ(kFormatV2.EventBlockSize(), 12288u);
    EXPECT_EQ(TraitsForVersion(1), &kFormatV1);
    EXPECT_EQ(TraitsForVersion(2), &kFormatV2);
    EXPECT_EQ(TraitsForVersion(3), nullptr);
    EXPECT_EQ(kFirstKframeNumber, 0xffffffu);
}

TEST(Location, PacksFilePartitionAndDisk) {
    const uint32_t loc = make_location(513, 3, 7);
    EXPECT_EQ(loc, 0x07030201u);
    EXPECT_EQ(location_file(loc), 513u);
    EXPECT_EQ(location_partition(loc), 3u);
    EXPECT_EQ(location_disk(loc), 7u);
}

}  // namespace
}  // namespace vekfs
