// Starting and stopping the reader, its log, mounting and removing disks, the
// raw disk layer, channel handles, the sector cache and the disk-manage thread.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/le_bytes.h"
#include "tests/vkfs/dvrfs/dvrfs_fixture.h"
#include "vkfs/dvrfs/layout.h"
#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/log.h"
#include "vkfs/dvrfs/raw_disk.h"
#include "vkfs/dvrfs/sector_cache.h"

namespace vkfs::testing {
namespace {

using namespace vkfs::dvrfs;

class DvrfsLibraryTest : public DvrfsTest {};

TEST_F(DvrfsLibraryTest, TooManyChannelsLeavesOneLogRecordAndNothingElse) {
    EXPECT_EQ(Start(128), -1);
    EXPECT_TRUE(Printed("================ DVRFS RELEASE DATE: 10072015 ================"));
    EXPECT_EQ(LogBytes(), kLogRecordBytes);
    EXPECT_EQ(LogRecords(), std::vector<std::string>{"too many channels, max channel num is limited to 16!"});
    EXPECT_FALSE(LibraryStarted());
    EXPECT_FALSE(LogIsOpen());
    EXPECT_EQ(dvrfs_open(0, 0), -1);

    // The log was closed, so the next start makes it afresh.
    ASSERT_EQ(Start(16), 0);
    EXPECT_TRUE(ManageThreadRunning());
    EXPECT_EQ(LogBytes(), 0u);
    EXPECT_EQ(Start(4), -1);  // a running library is not started again
    EXPECT_EQ(dvrfs_exit(1), -1);
    EXPECT_TRUE(Logged("dvrfs do not surport force to exit now!"));
    EXPECT_EQ(dvrfs_exit(0), 0);
    EXPECT_FALSE(LibraryStarted());
    for (const char* check :
         {"checking cachelist_working is empty ...", "checking freenode_list     is empty ...",
          "checking cachelist_freev[] is empty ...", "checking scmap_tbl_hptr[]  is empty ...",
          "checking scmap_tbl_hsct[]  is empty ...", "checking status.mem.used ..."})
        EXPECT_TRUE(Printed(check)) << check;
    const auto records = LogRecords();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back(), "cache memory check finish, 0 failed.");
    EXPECT_EQ(dvrfs_exit(0), -1);
}

TEST_F(DvrfsLibraryTest, NoWritableLogFolderRunsWithoutALog) {
    SetLogPath(dir_.File("no-such-folder/dvrfs_log.txt"));
    ASSERT_EQ(Start(), 0);
    EXPECT_FALSE(LogIsOpen());
    const int h = Open(0);
    EXPECT_GE(h, 0);
    EXPECT_EQ(dvrfs_open(0, 1), -1);
    EXPECT_TRUE(Printed("rwflag is invalid!"));
}

struct MagicCase {
    uint32_t sector;
    bool mounts;
};

class DvrfsMagicTest : public DvrfsTest, public ::testing::WithParamInterface<MagicCase> {};

TEST_P(DvrfsMagicTest, FormatBlockIsFoundInTheFirst1025Sectors) {
    vektools::DvrfsRecipe recipe = SmallRecipe({36000});
    recipe.partitionOffset = GetParam().sector;
    const DvrfsDisk disk = BuildDisk(recipe);
    ASSERT_EQ(Start(), 0);
    const int raw = RawHandlesInUse();
    const std::string path = Device("magic", disk.disk);
    const int rc = dvrfs_add_disk(path.c_str());
    if (!GetParam().mounts) {
        EXPECT_EQ(rc, -1);
        EXPECT_TRUE(Logged("invalid hdd"));
        EXPECT_EQ(RawHandlesInUse(), raw);
        return;
    }
    ASSERT_EQ(rc, 0);
    mounted_.push_back(path);
    EXPECT_TRUE(Printed("*** 1st partition offset = " + std::to_string(GetParam().sector)));
    // Everything after it counts from the partition.
    const int h = Open(1);
    dvrfs_find_query q = RangeQuery(At6(24, 5, 6, 0, 0, 0), At6(24, 5, 6, 23, 59, 59));
    dvrfs_find_result r;
    ASSERT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &q, &r, 0), 0);
    EXPECT_EQ(r.lastSector, disk.facts.recordings[0].lastSector);
}

INSTANTIATE_TEST_SUITE_P(Sectors,
                         DvrfsMagicTest,
                         ::testing::Values(MagicCase{0, true},
                                           MagicCase{63, true},
                                           MagicCase{1024, true},
                                           MagicCase{1025, false}));

TEST_F(DvrfsLibraryTest, FormatBlocksThatDoNotFitAreRefused) {
    ASSERT_EQ(Start(), 0);
    const int raw = RawHandlesInUse();
    for (int word : {0, 5, 10, 12}) {
        vektools::DvrfsRecipe recipe = SmallRecipe({36000});
        recipe.damage.zeroGeometryWord = word;
        const std::string path = Device("geometry" + std::to_string(word), BuildDisk(recipe).disk);
        EXPECT_EQ(dvrfs_add_disk(path.c_str()), -1) << word;
        EXPECT_TRUE(Logged("add_disk failed, format info is destroyed!"));
        EXPECT_TRUE(Logged("disk: " + path + " format is invalided!"));
    }
    // The first disk of the library's group is the reference for the others.
    const std::string first = Device("reference", BuildDisk(SmallRecipe({36000})).disk);
    ASSERT_EQ(dvrfs_add_disk(first.c_str()), 0);
    mounted_.push_back(first);
    vektools::DvrfsRecipe other = SmallRecipe({36000});
    other.blockSize = 0x02000000;
    const std::string second = Device("other-block-size", BuildDisk(other).disk);
    EXPECT_EQ(dvrfs_add_disk(second.c_str()), -1);
    EXPECT_TRUE(Logged("add_disk failed, block_size or data_align is not compatible with others!"));
    other.blockSize = 0x04000000;
    other.dataAlign = 0x20000;
    const std::string third = Device("other-align", BuildDisk(other).disk);
    EXPECT_EQ(dvrfs_add_disk(third.c_str()), -1);
    EXPECT_EQ(RawHandlesInUse(), raw + 1);
}

TEST_F(DvrfsLibraryTest, WithoutAReferenceAnyBlockSizeMounts) {
    ASSERT_EQ(Start(), 0);
    for (uint32_t size : {0x04000000u, 0x02000000u}) {
        vektools::DvrfsRecipe recipe = SmallRecipe({36000});
        recipe.group = 7;  // not the library's group 0
        recipe.blockSize = size;
        const std::string path = Device("group7-" + std::to_string(size), BuildDisk(recipe).disk);
        EXPECT_EQ(dvrfs_add_disk(path.c_str()), 0);
        mounted_.push_back(path);
    }
}

TEST_F(DvrfsLibraryTest, MountFailuresCloseTheDevice) {
    ASSERT_EQ(Start(), 0);
    const int raw = RawHandlesInUse();
    const DvrfsDisk good = BuildDisk(SmallRecipe({36000}));

    EXPECT_EQ(dvrfs_add_disk("mem:nothing-there"), -1);
    EXPECT_TRUE(Logged("disk: mem:nothing-there open failed!"));
    EXPECT_EQ(dvrfs_add_disk(std::string(80, 'x').c_str()), -1);
    EXPECT_TRUE(Logged("disk: " + std::string(80, 'x') + " name is too long!"));
    EXPECT_EQ(dvrfs_add_disk(nullptr), -1);

    // A data info header that does not give 7 index sectors a channel.
    auto badInfo = good.disk->Clone();
    uint8_t six[4];
    platform::PutU32(six, 6);
    badInfo->Poke(9 * 512 + 24, six, 4);
    EXPECT_EQ(dvrfs_add_disk(Device("bad-info", badInfo).c_str()), -1);
    EXPECT_TRUE(Logged("disk->data_info_header.recorder_channel_size = 6"));

    // An index base beyond the disk.
    auto farIndex = good.disk->Clone();
    uint8_t far[4];
    platform::PutU32(far, 0xFFFFFF00u);
    farIndex->Poke(9 * 512 + 20, far, 4);
    const std::string farPath = Device("far-index", farIndex);
    EXPECT_EQ(dvrfs_add_disk(farPath.c_str()), -1);
    EXPECT_TRUE(Logged("disk: " + farPath + " index cache is invalided!"));
    EXPECT_EQ(CacheMemoryInUse(), 0u);

    // A stat block that cannot be read (moved past the sectors searched for the magic).
    auto lostStat = good.disk->Clone();
    uint8_t statAt[4];
    platform::PutU32(statAt, 2000);
    lostStat->Poke(52, statAt, 4);
    lostStat->AddFault(platform::FaultRule{platform::IoOp::Read, 2000 * 512, 2001 * 512});
    EXPECT_EQ(dvrfs_add_disk(Device("lost-stat", lostStat).c_str()), -14);
    EXPECT_TRUE(Printed("disk stat info read failed!"));

    const std::string path = Device("good", good.disk);
    ASSERT_EQ(dvrfs_add_disk(path.c_str()), 0);
    mounted_.push_back(path);
    EXPECT_EQ(dvrfs_add_disk(path.c_str()), -1);
    EXPECT_TRUE(Logged("disk: " + path + " is already added!"));
    EXPECT_EQ(RawHandlesInUse(), raw + 1);
    EXPECT_EQ(CacheMemoryInUse(), 16u * 7 * 512);  // every channel's month index
}

TEST_F(DvrfsLibraryTest, RemovalAndExitWaitForHandlesAndDisks) {
    ASSERT_EQ(Start(), 0);
    const std::string path = Device("removed", BuildDisk(SmallRecipe({36000})).disk);
    ASSERT_EQ(dvrfs_add_disk(path.c_str()), 0);
    const int h = dvrfs_open(3, 0);
    ASSERT_GE(h, 0);
    EXPECT_EQ(dvrfs_remove_disk(path.c_str(), 0, 0), -1);
    EXPECT_TRUE(Logged("channel is not closed!"));
    EXPECT_EQ(dvrfs_exit(0), -1);
    EXPECT_TRUE(Logged("channel or disk has not been closed!"));
    EXPECT_EQ(dvrfs_close(h, 1), -1);
    EXPECT_TRUE(Logged("dvrfs do not surport force to close channel now!"));
    EXPECT_EQ(dvrfs_close(h, 0), 0);
    EXPECT_EQ(dvrfs_close(h, 0), -5);

    EXPECT_EQ(dvrfs_remove_disk(path.c_str(), 1, 0), -1);
    EXPECT_TRUE(Logged("dvrfs do not surport force to remove disk now!"));
    EXPECT_EQ(dvrfs_remove_disk(path.c_str(), 0, 1), -1);
    EXPECT_TRUE(Logged("disk group :1 has no disk!"));
    EXPECT_EQ(dvrfs_remove_disk("mem:other", 0, 0), -1);
    EXPECT_TRUE(Logged("disk:mem:other is in use or not exist!"));
    EXPECT_EQ(dvrfs_remove_disk(path.c_str(), 0, 0), 0);
    EXPECT_TRUE(Logged("<" + path + "> is removed."));
    EXPECT_EQ(dvrfs_remove_disk(path.c_str(), 0, 0), -1);
    EXPECT_TRUE(Logged("disk group:0 has no disk!"));
    EXPECT_EQ(dvrfs_exit(0), 0);
    EXPECT_EQ(LogRecords().back(), "cache memory check finish, 0 failed.");
}

TEST_F(DvrfsLibraryTest, HandlesAreTheLowestFreeAndFifteenAChannel) {
    ASSERT_EQ(Start(4), 0);
    EXPECT_EQ(dvrfs_open(4, 0), -1);
    EXPECT_TRUE(Logged("channel: 4 is invalid!"));
    EXPECT_EQ(dvrfs_open(-1, 0), -1);
    EXPECT_EQ(dvrfs_open(2, 1), -1);
    EXPECT_TRUE(Logged("rwflag is invalid!"));
    std::vector<int> opened;
    for (int i = 0; i < kMaxReadOpens; i++)
        opened.push_back(Open(2));
    for (int i = 0; i < kMaxReadOpens; i++)
        EXPECT_EQ(opened[static_cast<size_t>(i)], i);
    EXPECT_EQ(dvrfs_open(2, 0), -1);
    EXPECT_TRUE(Logged("channel: 2 open error! R open reach the limit!"));
    EXPECT_EQ(Open(3), kMaxReadOpens);
    ASSERT_EQ(dvrfs_close(4, 0), 0);
    handles_.erase(std::find(handles_.begin(), handles_.end(), 4));
    EXPECT_EQ(Open(2), 4);  // the lowest free again, and room on the channel again
}

TEST_F(DvrfsLibraryTest, RawLayerSizesInSixtyFourBitsAndReportsFailures) {
    const uint64_t size = uint64_t{3} << 40;  // 3 TiB: more sectors than 32 bits count
    auto big = std::make_shared<platform::MemDisk>(size);
    const uint8_t mark[4] = {'e', 'n', 'd', '!'};
    big->Poke(size - 512, mark, 4);
    const std::string path = Device("three-tib", big);
    const int id = dvrfs_raw_open(path);
    ASSERT_GE(id, 0);
    EXPECT_EQ(RawSizeSectors(id), size / 512);
    uint8_t sector[512];
    EXPECT_EQ(dvrfs_raw_read(id, size / 512 - 1, 1, sector), 512);
    EXPECT_EQ(std::string(sector, sector + 4), "end!");
    EXPECT_EQ(dvrfs_raw_read(id, size / 512, 1, sector), -1);
    EXPECT_TRUE(Printed("read data out of range!"));
    EXPECT_EQ(dvrfs_raw_read(id, 0, 1, nullptr), -1);
    EXPECT_EQ(dvrfs_raw_write(id, 0, 1, sector), -1);
    EXPECT_TRUE(Printed("Not support write function on win32 platform!"));

    big->AddFault(platform::FaultRule{platform::IoOp::Seek, 4096, 4097, 1});
    EXPECT_EQ(dvrfs_raw_read(id, 8, 1, sector), -13);
    big->AddFault(platform::FaultRule{platform::IoOp::Read, 4096, 4097, 1});
    EXPECT_EQ(dvrfs_raw_read(id, 8, 1, sector), -14);
    EXPECT_EQ(dvrfs_raw_read(id, 8, 1, sector), 512);

    // Ids go round: a closed one is not given out again at once.
    const int next = dvrfs_raw_open(path);
    EXPECT_EQ(next, (id + 1) % kMaxRawHandles);
    EXPECT_EQ(dvrfs_raw_close(id), 0);
    const int after = dvrfs_raw_open(path);
    EXPECT_EQ(after, (next + 1) % kMaxRawHandles);
    EXPECT_EQ(dvrfs_raw_close(id), -1);
    EXPECT_EQ(dvrfs_raw_close(kMaxRawHandles), -1);
    EXPECT_EQ(dvrfs_raw_close(next), 0);
    EXPECT_EQ(dvrfs_raw_close(after), 0);
    EXPECT_EQ(dvrfs_raw_open(""), -1);
}

TEST_F(DvrfsLibraryTest, AllRawHandlesInUseIsReported) {
    const std::string path = Device("many", std::make_shared<platform::MemDisk>(1 << 20));
    std::vector<int> ids;
    for (int i = RawHandlesInUse(); i < kMaxRawHandles; i++)
        ids.push_back(dvrfs_raw_open(path));
    EXPECT_EQ(dvrfs_raw_open(path), -1);
    EXPECT_TRUE(Printed("opened too much fd!"));
    for (int id : ids)
        EXPECT_EQ(dvrfs_raw_close(id), 0);
}

TEST_F(DvrfsLibraryTest, CacheCheckFindsWhatWasNotReleased) {
    const std::string path = Device("cache", BuildDisk(SmallRecipe({36000})).disk);
    const int id = dvrfs_raw_open(path);
    ASSERT_GE(id, 0);
    int rc = 0;
    {
        SectorCache cache;
        const uint8_t* a = cache.Request(id, 0, &rc);
        const uint8_t* b = cache.Request(id, 16, &rc);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(platform::GetU32(a), kFormatMagic);
        EXPECT_EQ(cache.MemoryInUse(), 1024u);
        EXPECT_TRUE(cache.Release(a));
        EXPECT_FALSE(cache.Release(a));
        EXPECT_TRUE(Printed("invalid!"));
        EXPECT_FALSE(cache.Release(id, 17));
        EXPECT_TRUE(Printed("sector @{ diskid("));
        EXPECT_EQ(cache.Request(id, uint64_t{1} << 40, &rc), nullptr);
        EXPECT_EQ(rc, -1);
        // b is left out: four checks fail.
        EXPECT_EQ(cache.Check(), 4);
        EXPECT_TRUE(Printed("cachelist_working list not empty!"));
        EXPECT_TRUE(Printed("status.mem.used = 512!"));
        EXPECT_TRUE(Printed("cache memory check finish, 4 failed."));
        EXPECT_EQ(cache.MemoryInUse(), 0u);
        // Releasing everything it handed out leaves a clean cache.
        const uint8_t* c = cache.Request(id, 1, &rc);
        EXPECT_TRUE(cache.Release(id, 1));
        (void)c;
        EXPECT_EQ(cache.Check(), 0);
    }
    EXPECT_EQ(dvrfs_raw_close(id), 0);
}

TEST_F(DvrfsLibraryTest, IdleDisksSleepAndWakeWhenAskedFor) {
    SetManageTiming(5, 2);
    const DvrfsDisk disk = BuildDisk(SmallRecipe({36000}));
    const int h = StartWith(disk);
    ASSERT_TRUE(WaitFor([&] { return Printed(" go to sleep!"); }, 10000));
    EXPECT_FALSE(Printed("wake up disk:"));
    dvrfs_find_query q = RangeQuery(At6(24, 5, 6, 0, 0, 0), At6(24, 5, 6, 23, 59, 59));
    dvrfs_find_result r;
    ASSERT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &q, &r, 0), 0);
    EXPECT_TRUE(Printed("wake up disk:" + std::to_string(r.diskId) + "!"));
    EXPECT_TRUE(Printed("disk:" + std::to_string(r.diskId) + " go to sleep!"));
    dvrfs_find_stop(static_cast<unsigned>(h));
}

}  // namespace
}  // namespace vkfs::testing
