// Time seeks and reads: positioning by the per-second index, reading whole
// sectors along the block chain to the record's end, and the damage and
// failures a read meets.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/le_bytes.h"
#include "reader/format.h"
#include "tests/vkfs/dvrfs/dvrfs_fixture.h"
#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/raw_disk.h"

namespace vkfs::testing {
namespace {

using namespace vkfs::dvrfs;

constexpr int kBlock = 0x50000;

class DvrfsSeekReadTest : public DvrfsTest {
  protected:
    // The find result of recording `i` of `disk`, found on handle h.
    static dvrfs_find_result ResultOf(int h, const vektools::DvrfsRecordingFacts& f) {
        dvrfs_find_query q = RangeQuery(At6(f.start[0], f.start[1], f.start[2], 0, 0, 0),
                                        At6(f.start[0], f.start[1], f.start[2], 23, 59, 59));
        dvrfs_find_result r{};
        const auto u = static_cast<unsigned>(h);
        int rc = dvrfs_find_start(u, &q, &r, 0);
        while (rc == 0 && std::memcmp(r.start, f.start, sizeof r.start) != 0)
            rc = dvrfs_find_next(u, &r);
        EXPECT_EQ(rc, 0) << "recording not found";
        dvrfs_find_stop(u);
        return r;
    }
    static int Seek(int h, const dvrfs_find_result& r, int secondsIn = 0) {
        int t[6];
        std::memcpy(t, r.start, sizeof t);
        const int at = t[3] * 3600 + t[4] * 60 + t[5] + secondsIn;
        t[3] = at / 3600, t[4] = at / 60 % 60, t[5] = at % 60;
        return dvrfs_tseek(static_cast<unsigned>(h), t, 0, 1, &r);
    }
    // Reads until the record's end (or a failure, whose code lands in *last).
    static std::vector<uint8_t> ReadAll(int h, int* last = nullptr) {
        std::vector<uint8_t> bytes, block(kBlock);
        int rc = 0;
        for (int guard = 0; guard < 10000; guard++) {
            rc = dvrfs_read(h, block.data(), kBlock, nullptr);
            if (rc <= 0)
                break;
            bytes.insert(bytes.end(), block.begin(), block.begin() + rc);
        }
        if (last)
            *last = rc;
        return bytes;
    }
};

TEST_F(DvrfsSeekReadTest, ReadBeforeASeekAndBadLengthsAreRefused) {
    const int h = StartWith(BasicDisk(), 0);
    std::vector<uint8_t> block(kBlock);
    EXPECT_EQ(dvrfs_read(h, block.data(), kBlock, nullptr), -6);
    EXPECT_TRUE(Logged("before read, you should call dvrfs_tseek first!"));
    const dvrfs_find_result r = ResultOf(h, BasicDisk().facts.recordings[0]);
    ASSERT_EQ(Seek(h, r), 0);
    EXPECT_EQ(dvrfs_read(h, block.data(), 0x8000, nullptr), -8);
    EXPECT_TRUE(Logged("the given len is not 10000 aligned!"));
    EXPECT_EQ(dvrfs_read(h, block.data(), 1000, nullptr), -8);
    EXPECT_TRUE(Logged("buf len is not align to KB!"));
    EXPECT_TRUE(Logged("bad initial parm!"));
    EXPECT_EQ(dvrfs_read(h, nullptr, kBlock, nullptr), -8);
    EXPECT_EQ(dvrfs_read(h + 1, block.data(), kBlock, nullptr), -5);
    EXPECT_TRUE(Logged("channel may be closed or not opened!"));
    // A length a few bytes over is cut to whole KB and read.
    EXPECT_EQ(dvrfs_read(h, block.data(), 0x10000 + 100, nullptr), 0x10000);
}

struct RecordCase {
    const char* name;
    int recording;  // of the demo disk
};

class DvrfsWholeRecordTest : public DvrfsSeekReadTest, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(DvrfsWholeRecordTest, SeekToTheStartThenReadGivesTheRecordsBytes) {
    const auto& f = BasicDisk().facts.recordings[static_cast<size_t>(GetParam().recording)];
    const int h = StartWith(BasicDisk(), f.channel);
    const dvrfs_find_result r = ResultOf(h, f);
    ASSERT_EQ(Seek(h, r), 0);
    int last = 0;
    const std::vector<uint8_t> bytes = ReadAll(h, &last);
    EXPECT_EQ(last, -7);
    EXPECT_EQ(bytes.size(), f.bytes.size());
    EXPECT_TRUE(bytes == f.bytes);
    EXPECT_EQ(dvrfs_read(h, std::vector<uint8_t>(kBlock).data(), kBlock, nullptr), -7);
}

INSTANTIATE_TEST_SUITE_P(Records,
                         DvrfsWholeRecordTest,
                         ::testing::Values(RecordCase{"InOneBlock", 0},
                                           RecordCase{"ThirdLinkOfItsDay", 9},
                                           RecordCase{"AcrossTwoBlocks", 12},
                                           RecordCase{"AfterTheBlockChange", 13}),
                         CaseName<RecordCase>);

TEST_F(DvrfsSeekReadTest, ChainsRunWhereverTheBitmapSays) {
    // Blocks handed out 9, then 4: the record runs from the end of block 9 on
    // into block 4, below it.
    vektools::DvrfsRecipe recipe = SmallRecipe({36000}, 30);
    recipe.blockPlan = {9, 4};
    recipe.recordings[0].blockOffset = static_cast<uint32_t>(kBlockSectors - 40);
    const DvrfsDisk disk = BuildDisk(recipe);
    const auto& f = disk.facts.recordings[0];
    ASSERT_EQ(f.blocks, (std::vector<uint32_t>{9, 4}));
    const int h = StartWith(disk);
    ASSERT_EQ(Seek(h, ResultOf(h, f)), 0);
    int last = 0;
    EXPECT_TRUE(ReadAll(h, &last) == f.bytes);
    EXPECT_EQ(last, -7);
}

TEST_F(DvrfsSeekReadTest, SeekLandsOnTheKeyFrameOfItsSecond) {
    const DvrfsDisk disk = BuildDisk(SmallRecipe({36000}, 20));
    const auto& f = disk.facts.recordings[0];
    const int h = StartWith(disk);
    const dvrfs_find_result r = ResultOf(h, f);
    ASSERT_EQ(Seek(h, r, 7), 0);
    const std::vector<uint8_t> bytes = ReadAll(h);
    ASSERT_FALSE(bytes.empty());
    ASSERT_LT(bytes.size(), f.bytes.size());
    // What was read is the record's tail from a sector holding a key frame of
    // second 7, stamped with the recording's own time: 2024-05-06 10:00:07 UTC.
    const size_t from = f.bytes.size() - bytes.size();
    EXPECT_EQ(from % 512, 0u);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), f.bytes.begin() + static_cast<long>(from)));
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "VkFm");
    EXPECT_EQ(bytes[4], 'I');
    EXPECT_EQ(platform::GetU64(bytes.data() + 16), 1714989607000000u);
    // Every frame of every recording of the demo disk lies in its recording's time.
    for (const auto& rec : BasicDisk().facts.recordings) {
        const auto secondsOf = [](const int32_t t[6]) {
            return static_cast<uint64_t>(
                vekfs::civil_to_unix_seconds(2000 + t[0], t[1], t[2], t[3] * 3600 + t[4] * 60 + t[5]));
        };
        for (const auto& frame : rec.frames) {
            const uint64_t us = platform::GetU64(frame.data() + 16);
            EXPECT_GE(us, secondsOf(rec.start) * 1000000);
            EXPECT_LT(us, secondsOf(rec.end) * 1000000);
        }
    }
}

TEST_F(DvrfsSeekReadTest, SeekArgumentsAndRecordsAreChecked) {
    const auto& f = BasicDisk().facts.recordings[0];
    const int h = StartWith(BasicDisk(), 0);
    const dvrfs_find_result r = ResultOf(h, f);
    const auto u = static_cast<unsigned>(h);
    int t[6];
    std::memcpy(t, r.start, sizeof t);

    int other[6] = {24, 5, 7, 8, 0, 0};
    EXPECT_EQ(dvrfs_tseek(u, other, 0, 1, &r), -8);
    EXPECT_TRUE(Logged("bad time,input again!"));
    EXPECT_EQ(dvrfs_tseek(u, t, 2, 1, &r), -8);
    EXPECT_EQ(dvrfs_tseek(u, t, 0, -1, &r), -8);
    EXPECT_EQ(dvrfs_tseek(u, t, 0, 1, nullptr), -8);
    EXPECT_TRUE(Logged("bad param!"));
    EXPECT_EQ(dvrfs_tseek(kMaxHandles, t, 0, 1, &r), -8);
    EXPECT_EQ(dvrfs_tseek(u + 1, t, 0, 1, &r), -5);

    // A time inside the record's day but outside it is not found in the index walk.
    int before[6] = {24, 5, 6, 7, 59, 0};
    EXPECT_EQ(dvrfs_tseek(u, before, 0, 1, &r), -9);
    dvrfs_find_result unknown = r;
    unknown.diskId = 2047;
    EXPECT_EQ(dvrfs_tseek(u, t, 0, 1, &unknown), -13);
    EXPECT_TRUE(Logged("can't get disk_entry"));
    dvrfs_find_result changed = r;
    changed.split06 = 5;
    EXPECT_EQ(dvrfs_tseek(u, t, 0, 1, &changed), -9);
    EXPECT_EQ(dvrfs_tseek(u, t, 0, 1, &r), 0);
}

TEST_F(DvrfsSeekReadTest, DamagedRecordsEndOrFailTheRead) {
    // Recording 0: the bitmap gives its block to channel 9; 1: its last data
    // sector lies before its first; 2: its day lost its per-second index.
    vektools::DvrfsRecipe recipe = SmallRecipe({36000});
    vektools::DvrfsRecording other = recipe.recordings[0];
    other.channel = 2;
    recipe.recordings.push_back(other);
    other.channel = 3;
    recipe.recordings.push_back(other);
    recipe.damage.bitmapOwner = 0;
    recipe.damage.ownerChannel = 9;
    recipe.damage.lastBeforePosition = 1;
    recipe.damage.noSecondIndex = 2;
    const DvrfsDisk disk = BuildDisk(recipe);
    std::vector<uint8_t> block(kBlock);

    const int owner = StartWith(disk, 1);
    ASSERT_EQ(Seek(owner, ResultOf(owner, disk.facts.recordings[0])), 0);
    EXPECT_EQ(dvrfs_read(owner, block.data(), kBlock, nullptr), -16);
    EXPECT_TRUE(Logged("software error!"));
    EXPECT_TRUE(Logged(" ---expect id:1, error id: 9!"));
    EXPECT_TRUE(Logged("dvrfs_read error!ret_value = -16"));

    const int early = Open(2);
    ASSERT_EQ(Seek(early, ResultOf(early, disk.facts.recordings[1])), 0);
    EXPECT_EQ(dvrfs_read(early, block.data(), kBlock, nullptr), -7);

    const int noIndex = Open(3);
    EXPECT_EQ(Seek(noIndex, ResultOf(noIndex, disk.facts.recordings[2])), -16);
    EXPECT_TRUE(Logged("there is error in write func!"));
}

TEST_F(DvrfsSeekReadTest, AFailedReadKeepsThePosition) {
    const DvrfsDisk disk = BuildDisk(SmallRecipe({36000}, 30));
    const auto& f = disk.facts.recordings[0];
    const int h = StartWith(disk);
    ASSERT_EQ(Seek(h, ResultOf(h, f)), 0);
    std::vector<uint8_t> block(kBlock);
    const uint64_t data = (uint64_t{f.firstSector} + 1) * 512;
    disk.disk->AddFault(platform::FaultRule{platform::IoOp::Read, data, data + 512, 1});
    EXPECT_EQ(dvrfs_read(h, block.data(), kBlock, nullptr), -14);
    EXPECT_TRUE(Logged("dvrfs_read error!ret_value = -14"));
    int last = 0;
    EXPECT_TRUE(ReadAll(h, &last) == f.bytes);
    EXPECT_EQ(last, -7);

    // A record rewritten under the reader no longer matches.
    ASSERT_EQ(Seek(h, ResultOf(h, f)), 0);
    const uint8_t empty[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    disk.disk->Poke(uint64_t{f.link} * 512 + 40 + 40 * f.entryIndex, empty, 4);
    EXPECT_EQ(dvrfs_read(h, block.data(), kBlock, nullptr), -9);
}

struct CutCase {
    const char* name;
    bool chainEnds;  // else the next block's read comes up short
};

class DvrfsCutReadTest : public DvrfsSeekReadTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(DvrfsCutReadTest, WhatWasReadBeforeAFailureIsHandedBack) {
    // The record's first 40 sectors end a block; the rest lies in the next.
    vektools::DvrfsRecipe recipe = SmallRecipe({36000}, 30);
    recipe.recordings[0].blockOffset = static_cast<uint32_t>(kBlockSectors - 40);
    const DvrfsDisk disk = BuildDisk(recipe);
    const auto& f = disk.facts.recordings[0];
    ASSERT_EQ(f.blocks.size(), 2u);
    if (GetParam().chainEnds) {
        const uint64_t at = BitmapSector(disk.facts.bitmapBase, f.blocks[0]) * 512;
        std::vector<uint8_t> sector = disk.disk->Bytes(at, 512);
        BitmapEntry entry = DecodeBitmapEntry(sector.data(), f.blocks[0]);
        entry.next = kNoBlock;
        EncodeBitmapEntry(entry, sector.data(), f.blocks[0]);
        disk.disk->Poke(at, sector.data(), sector.size());
    } else {
        const uint64_t next = BlockStart(disk.facts.dataBase, f.blocks[1]) * 512;
        platform::FaultRule rule{platform::IoOp::Read, next, next + 512};
        rule.shortTransfer = true;
        disk.disk->AddFault(rule);
    }
    const int h = StartWith(disk);
    ASSERT_EQ(Seek(h, ResultOf(h, f)), 0);
    std::vector<uint8_t> block(kBlock);
    ASSERT_EQ(dvrfs_read(h, block.data(), kBlock, nullptr), 40 * 512);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 40 * 512, f.bytes.begin()));
    const int code = GetParam().chainEnds ? -16 : -14;
    EXPECT_EQ(Logged("software error!"), GetParam().chainEnds);
    EXPECT_FALSE(Logged("dvrfs_read error!ret_value = " + std::to_string(code)));
    // The failure comes with the next call, from where the last one stopped.
    EXPECT_EQ(dvrfs_read(h, block.data(), kBlock, nullptr), code);
    EXPECT_TRUE(Logged("dvrfs_read error!ret_value = " + std::to_string(code)));
    disk.disk->ClearFaults();
    if (!GetParam().chainEnds) {
        int last = 0;
        const std::vector<uint8_t> rest = ReadAll(h, &last);
        EXPECT_TRUE(std::equal(rest.begin(), rest.end(), f.bytes.begin() + 40 * 512));
        EXPECT_EQ(rest.size(), f.bytes.size() - 40 * 512);
        EXPECT_EQ(last, -7);
    }
}

INSTANTIATE_TEST_SUITE_P(Cuts,
                         DvrfsCutReadTest,
                         ::testing::Values(CutCase{"NextReadComesUpShort", false},
                                           CutCase{"ChainEndsEarly", true}),
                         CaseName<CutCase>);

TEST_F(DvrfsSeekReadTest, ALostDiskStaysLost) {
    const DvrfsDisk disk = BuildDisk(SmallRecipe({36000}, 30));
    const auto& f = disk.facts.recordings[0];
    const int h = StartWith(disk);
    const dvrfs_find_result r = ResultOf(h, f);
    ASSERT_EQ(Seek(h, r), 0);
    disk.disk->AddFault(platform::FaultRule{platform::IoOp::Seek});
    std::vector<uint8_t> block(kBlock);
    EXPECT_EQ(dvrfs_read(h, block.data(), kBlock, nullptr), -13);
    disk.disk->ClearFaults();
    EXPECT_EQ(dvrfs_read(h, block.data(), kBlock, nullptr), -13);
    EXPECT_EQ(Seek(h, r), -13);
}

TEST_F(DvrfsSeekReadTest, CloseReleasesWhatTheSeekOpened) {
    const DvrfsDisk disk = BuildDisk(SmallRecipe({36000}));
    const auto& f = disk.facts.recordings[0];
    const int first = StartWith(disk);
    const dvrfs_find_result r = ResultOf(first, f);
    const int raw = RawHandlesInUse();
    std::vector<uint8_t> block(kBlock);
    for (int i = 0; i < 1000; i++) {
        const int h = dvrfs_open(1, 0);
        ASSERT_GE(h, 0);
        dvrfs_find_query q = RangeQuery(At6(24, 5, 6, 0, 0, 0), At6(24, 5, 6, 23, 59, 59));
        dvrfs_find_result found;
        ASSERT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &q, &found, 0), 0);  // left running
        ASSERT_EQ(Seek(h, r), 0) << i;
        ASSERT_GT(dvrfs_read(h, block.data(), kBlock, nullptr), 0);
        ASSERT_EQ(dvrfs_close(h, 0), 0);
    }
    EXPECT_EQ(RawHandlesInUse(), raw);
    EXPECT_FALSE(Printed("opened too much fd!"));
}

TEST_F(DvrfsSeekReadTest, DataPastTheFirstEighthOfALargeDiskIsRead) {
    // 3 TiB: more sectors than 32 bits count; the record lies far past the
    // first eighth, all a size divided by 8 would let through.
    vektools::DvrfsRecipe recipe = SmallRecipe({36000});
    recipe.blockPlan = {32000};
    recipe.diskBytes = uint64_t{3} << 40;
    const DvrfsDisk disk = BuildDisk(recipe);
    const auto& f = disk.facts.recordings[0];
    ASSERT_GT(uint64_t{f.firstSector} * 512, recipe.diskBytes / 8 * 5);
    const int h = StartWith(disk);
    ASSERT_EQ(Seek(h, ResultOf(h, f)), 0);
    int last = 0;
    EXPECT_TRUE(ReadAll(h, &last) == f.bytes);
    EXPECT_EQ(last, -7);
}

}  // namespace
}  // namespace vkfs::testing
