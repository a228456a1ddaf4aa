// Record conversions: the record-type bit tables of both formats, the byte
// layout of FSRecordInfo as the GUI reads it, the way back to what the time
// seeks are given, times, and the lookup of the record a seek enters.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <utility>

#include "platform/le_bytes.h"
#include "vkfs/records.h"

namespace vkfs {
namespace {

using platform::GetU16;
using platform::GetU32;

TEST(TypeBit, Format1AndDvrfsTable) {
    const std::pair<uint32_t, int> cases[] = {
        {0x0, 0}, {0x1, 1}, {0x2, 4}, {0x3, 1}, {0x4, 8}, {0x5, 1},
        {0x6, 2}, {0x7, 2}, {0x8, 0}, {0x9, 1}, {0xE, 2}, {0xC0000004, 8},
    };
    for (const auto& [bits, expected] : cases)
        EXPECT_EQ(TypeBitV1(bits), expected) << std::hex << bits;
    EXPECT_EQ(TypeBitFor(FS_READER_VEKFS, 0x6), 2);
    EXPECT_EQ(TypeBitFor(FS_READER_DVRFS, 0x2), 4);
}

TEST(TypeBit, Format2Table) {
    const std::pair<uint32_t, int> cases[] = {
        {0x0, 0},   {0x1, 1},   {0x2, 4},    {0x3, 4},    {0x4, 8},    {0x5, 8},  {0x6, 2},  {0x7, 2},
        {0x8, 128}, {0x9, 128}, {0x10, 128}, {0x20, 128}, {0x3F, 128}, {0x40, 0}, {0x41, 1}, {0xFFFF, 128},
    };
    for (const auto& [bits, expected] : cases)
        EXPECT_EQ(TypeBitV2(bits), expected) << std::hex << bits;
    EXPECT_EQ(TypeBitFor(FS_READER_VEKFS2, 0x8), 128);
}

vekfs::event_desc SampleDescriptor() {
    vekfs::event_desc d;
    d.handle = 3;
    d.list_channel = 7;
    d.overwritten = 0;
    d.event_index = 200;
    d.list_pos = 41;
    d.location = 0x01020005;
    d.type_bits = 0x6;
    d.channel = 7;
    d.attr22 = 0x5A;
    d.attr23 = 0xA5;
    d.unused19 = 0x11;
    d.start = vekfs::vekfs_time{24, 5, 6, 10, 1, 2, 0};
    d.end = vekfs::vekfs_time{24, 5, 6, 10, 31, 59, 0};
    d.data_start = 1224;
    d.data_length = 987654;
    d.index_start = 0x0FFFFFF0;
    d.index_end = 0x0FFFF000;
    d.media_first = 0x11223344;
    d.media_last = 0x55667788;
    return d;
}

std::array<uint8_t, sizeof(FSRecordInfo)> Bytes(const FSRecordInfo& r) {
    std::array<uint8_t, sizeof(FSRecordInfo)> b{};
    std::memcpy(b.data(), &r, sizeof r);
    return b;
}

TEST(RecordInfo, FromDescriptorLaysOutTheBytesTheGuiReads) {
    for (const FSReaderKind kind : {FS_READER_VEKFS, FS_READER_VEKFS2}) {
        SCOPED_TRACE(kind);
        const auto b = Bytes(RecordFromDescriptor(SampleDescriptor(), 12, kind));
        EXPECT_EQ(b[0], 3);
        EXPECT_EQ(b[1], 7);
        EXPECT_EQ(b[2], 0);
        EXPECT_EQ(b[3], 200);
        EXPECT_EQ(GetU32(&b[4]), 41u);
        EXPECT_EQ(GetU32(&b[8]), 0x01020005u);
        EXPECT_EQ(GetU16(&b[12]), kind == FS_READER_VEKFS ? 0x3344 : 0);
        EXPECT_EQ(b[14], 7);
        EXPECT_EQ(b[15], 0x5A);
        EXPECT_EQ(b[16], 0xA5);
        EXPECT_EQ(b[17], 0x11);
        EXPECT_EQ(GetU32(&b[20]), 1224u);
        EXPECT_EQ(GetU32(&b[24]), 0x0FFFFFF0u);
        EXPECT_EQ(GetU32(&b[28]), 0x0FFFF000u);
        EXPECT_EQ(GetU32(&b[32]), kind == FS_READER_VEKFS2 ? 0x11223344u : 0u);
        EXPECT_EQ(GetU32(&b[36]), kind == FS_READER_VEKFS2 ? 0x55667788u : 0u);
        for (size_t i = 40; i < 156; i++)
            ASSERT_EQ(b[i], 0) << "dvrfs byte " << i;
        EXPECT_EQ(GetU32(&b[156]), 2u);
        EXPECT_EQ(GetU32(&b[160]), 987654u);
        EXPECT_EQ(GetU32(&b[164]), 0u);
        EXPECT_EQ(GetU32(&b[168]), 12u);
        const uint32_t start[6] = {24, 5, 6, 10, 1, 2};
        const uint32_t end[6] = {24, 5, 6, 10, 31, 59};
        for (size_t i = 0; i < 6; i++) {
            EXPECT_EQ(GetU32(&b[172 + 4 * i]), start[i]);
            EXPECT_EQ(GetU32(&b[196 + 4 * i]), end[i]);
        }
    }
}

TEST(RecordInfo, BackToTheDescriptorTheSeekChecks) {
    for (const FSReaderKind kind : {FS_READER_VEKFS, FS_READER_VEKFS2}) {
        SCOPED_TRACE(kind);
        const vekfs::event_desc in = SampleDescriptor();
        const vekfs::event_desc out = DescriptorFromRecord(RecordFromDescriptor(in, 1, kind), kind);
        EXPECT_EQ(out.handle, in.handle);
        EXPECT_EQ(out.list_channel, in.list_channel);
        EXPECT_EQ(out.event_index, in.event_index);
        EXPECT_EQ(out.list_pos, in.list_pos);
        EXPECT_EQ(out.location, in.location);
        EXPECT_EQ(out.channel, in.channel);
        EXPECT_EQ(out.attr22, in.attr22);
        EXPECT_EQ(out.attr23, in.attr23);
        EXPECT_EQ(out.start, in.start);
        EXPECT_EQ(out.end, in.end);
        EXPECT_EQ(out.data_start, in.data_start);
        EXPECT_EQ(out.data_length, in.data_length);
        EXPECT_EQ(out.index_start, in.index_start);
        EXPECT_EQ(out.index_end, in.index_end);
        EXPECT_EQ(out.type_bits, 2u);  // the converted bit
        if (kind == FS_READER_VEKFS2) {
            EXPECT_EQ(out.media_first, in.media_first);
            EXPECT_EQ(out.media_last, in.media_last);
        } else {
            EXPECT_EQ(out.media_first, 0x3344u);  // format 1 carries a 16-bit word
        }
    }
}

TEST(RecordInfo, DvrfsFindResultRoundTrip) {
    dvrfs_find_result f;
    const int32_t start[6] = {24, 5, 6, 9, 30, 0};
    const int32_t end[6] = {24, 5, 6, 10, 0, 0};
    std::memcpy(f.start, start, sizeof start);
    std::memcpy(f.end, end, sizeof end);
    f.lengthLow = 0x12345600;
    f.lengthHigh = 2;
    f.word56 = 0xAAAA;
    f.split7 = 1;
    f.split06 = 0x55;
    f.recordType = 0x80000006;
    std::strcpy(f.diskPath, "\\\\.\\PhysicalDrive3");
    f.diskSet = 0;
    f.word156 = 0xBEEF;
    f.channel = 5;
    f.diskId = 9;
    f.lastSector = 777;

    const FSRecordInfo r = RecordFromFindResult(f);
    const auto b = Bytes(r);
    for (size_t i = 0; i < 40; i++)
        ASSERT_EQ(b[i], 0) << i;
    EXPECT_EQ(GetU32(&b[40]), 0xAAAAu);
    EXPECT_EQ(GetU32(&b[44]), 1u);
    EXPECT_EQ(GetU32(&b[48]), 0x55u);
    EXPECT_EQ(GetU32(&b[52]), 0x80000006u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&b[56]), "\\\\.\\PhysicalDrive3");
    EXPECT_EQ(GetU32(&b[140]), 0xBEEFu);
    EXPECT_EQ(GetU32(&b[144]), 5u);
    EXPECT_EQ(GetU32(&b[148]), 9u);
    EXPECT_EQ(GetU32(&b[152]), 777u);
    EXPECT_EQ(r.typeBit, 2);
    EXPECT_EQ(GetU32(&b[160]), 0x12345600u);
    EXPECT_EQ(GetU32(&b[164]), 2u);
    EXPECT_EQ(r.start.hour, 9);
    EXPECT_EQ(r.end.hour, 10);

    const dvrfs_find_result back = FindResultFromRecord(r);
    EXPECT_EQ(std::memcmp(&back, &f, sizeof f), 0);
}

TEST(RecordInfo, UnterminatedDvrfsPathIsCut) {
    dvrfs_find_result f;
    std::memset(f.diskPath, 'x', sizeof f.diskPath);
    const FSRecordInfo r = RecordFromFindResult(f);
    EXPECT_EQ(std::strlen(r.diskPath), sizeof r.diskPath - 1);
}

TEST(RecTimes, CompareAndStep) {
    EXPECT_EQ(CompareRecTime(MakeRecTime(24, 5, 6, 10, 0, 0), MakeRecTime(24, 5, 6, 10, 0, 0)), 0);
    EXPECT_EQ(CompareRecTime(MakeRecTime(24, 5, 6, 10, 0, 0), MakeRecTime(24, 5, 6, 9, 59, 59)), 1);
    EXPECT_EQ(CompareRecTime(MakeRecTime(23, 12, 31, 23, 59, 59), MakeRecTime(24, 1, 1, 0, 0, 0)), -1);

    const std::pair<RecTime, RecTime> steps[] = {
        {MakeRecTime(24, 5, 6, 12, 0, 30), MakeRecTime(24, 5, 6, 12, 0, 31)},
        {MakeRecTime(24, 5, 6, 23, 59, 59), MakeRecTime(24, 5, 7, 0, 0, 0)},
        {MakeRecTime(24, 2, 28, 23, 59, 59), MakeRecTime(24, 2, 29, 0, 0, 0)},  // 2024 is a leap year
        {MakeRecTime(23, 2, 28, 23, 59, 59), MakeRecTime(23, 3, 1, 0, 0, 0)},
        {MakeRecTime(23, 12, 31, 23, 59, 59), MakeRecTime(24, 1, 1, 0, 0, 0)},
    };
    for (const auto& [from, to] : steps)
        EXPECT_EQ(CompareRecTime(AddOneSecond(from), to), 0);
}

TEST(FindRecordIndex, PlayTakesTheRecordHoldingTheTimeExportItsExactStart) {
    RecordList records;
    const auto add = [&](RecTime s, RecTime e) {
        FSRecordInfo r{};
        r.start = s;
        r.end = e;
        records.emplace_back(static_cast<int>(records.size()), r);
    };
    add(MakeRecTime(24, 5, 6, 10, 0, 0), MakeRecTime(24, 5, 6, 10, 0, 30));
    add(MakeRecTime(24, 5, 6, 10, 0, 20), MakeRecTime(24, 5, 6, 10, 0, 50));
    add(MakeRecTime(24, 5, 6, 11, 0, 0), MakeRecTime(24, 5, 6, 11, 0, 0));

    EXPECT_EQ(FindRecordIndex(records, MakeRecTime(24, 5, 6, 10, 0, 0), 0), 0);
    EXPECT_EQ(FindRecordIndex(records, MakeRecTime(24, 5, 6, 10, 0, 25), 0), 0);  // the first that holds it
    EXPECT_EQ(FindRecordIndex(records, MakeRecTime(24, 5, 6, 10, 0, 30), 0), 1);  // the end is not in
    EXPECT_EQ(FindRecordIndex(records, MakeRecTime(24, 5, 6, 10, 0, 50), 0), -1);
    EXPECT_EQ(FindRecordIndex(records, MakeRecTime(24, 5, 6, 11, 0, 0), 0), -1);  // empty span

    EXPECT_EQ(FindRecordIndex(records, MakeRecTime(24, 5, 6, 10, 0, 20), 1), 1);
    EXPECT_EQ(FindRecordIndex(records, MakeRecTime(24, 5, 6, 10, 0, 25), 1), -1);
    EXPECT_EQ(FindRecordIndex(records, MakeRecTime(24, 5, 6, 11, 0, 0), 1), 2);
    EXPECT_EQ(FindRecordIndex({}, MakeRecTime(24, 5, 6, 11, 0, 0), 0), -1);
}

}  // namespace
}  // namespace vkfs
