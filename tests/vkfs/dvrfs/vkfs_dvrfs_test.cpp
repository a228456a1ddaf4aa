// VKFS on dvrfs disks with the real reader: the probe falling through to it,
// month and day searches, play and export delivering what the disk holds,
// and a result that comes with -23 kept.
#include <gtest/gtest.h>

#include <thread>

#include "tests/vkfs/dvrfs/dvrfs_fixture.h"
#include "tests/vkfs/vkfs_fixture.h"
#include "vkfs/dvrfs/library.h"

namespace vkfs::testing {
namespace {

class VkfsOnDvrfsTest : public VkfsTest {
  protected:
    FSDiskHandle OpenDisk(const DvrfsDisk& disk, int channels = 16) {
        return Open(Mount("vkfs-dvrfs-" + std::to_string(next_++), disk.disk), channels);
    }
    std::vector<SearchCall> Day(FSDiskHandle h, int channel, int group, int day = 6) {
        SearchLog log;
        const int channels[4] = {channel, -1, -1, -1};
        FSSearchByDay(h, At(24, 5, day, 0, 0, 0), At(24, 5, day, 23, 59, 59), nullptr, &SearchLog::Day, &log,
                      group, channels);
        EXPECT_TRUE(log.WaitForFinal());
        FSStopDaySearch(h);
        return log.Calls();
    }
    static RecTime Start(const vektools::DvrfsRecordingFacts& f) {
        return At(f.start[0], f.start[1], f.start[2], f.start[3], f.start[4], f.start[5]);
    }
    int next_ = 0;
};

TEST_F(VkfsOnDvrfsTest, ProbeFallsThroughToDvrfsWithSixteenChannels) {
    // The program asks for 128 channels: dvrfs gets the 16 a dvrfs disk holds,
    // and the month search asks each of them.
    const FSDiskHandle h = OpenDisk(BasicDisk(), 128);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(Logged(" vkfs2 add disk failed!---108"));
    EXPECT_TRUE(dvrfs::LibraryStarted());
    SearchLog months;
    FSSearchByMon(h, SearchMonTime{24, 4, 24, 6}, nullptr, &months);
    ASSERT_TRUE(months.WaitForFinal());
    FSStopMonSearch(h);
    EXPECT_EQ(months.Calls().size(), 6u);
    EXPECT_FALSE(Logged(" dvrfs open channel failed---193"));
    opened_.clear();
    EXPECT_EQ(FSRemoveDisk(h), 1);
    EXPECT_FALSE(dvrfs::LibraryStarted());

    // Any failure of the mount refuses the disk, not only -1: here a read
    // failure (-14) of the stat block.
    auto unreadable = BasicDisk().disk->Clone();
    const uint8_t statAt[4] = {0xD0, 0x07, 0, 0};  // sector 2000, past the sectors searched for the magic
    unreadable->Poke(52, statAt, 4);
    unreadable->AddFault(platform::FaultRule{platform::IoOp::Read, 2000 * 512, 2001 * 512});
    EXPECT_EQ(Open(Mount("unreadable-stat", unreadable), 16), 0u);
    EXPECT_TRUE(Logged(" dvrfs add disk failed!---125"));
    EXPECT_FALSE(dvrfs::LibraryStarted());
}

TEST_F(VkfsOnDvrfsTest, MonthSearchReportsEachChannelsMonths) {
    const FSDiskHandle h = OpenDisk(BasicDisk());
    ASSERT_NE(h, 0u);
    SearchLog log;
    FSSearchByMon(h, SearchMonTime{24, 4, 24, 6}, nullptr, &log);
    ASSERT_TRUE(log.WaitForFinal());
    FSStopMonSearch(h);
    const auto calls = log.Calls();
    // Channel 0 in May and June, channels 1, 2 and 3 in May, then the end.
    ASSERT_EQ(calls.size(), 6u);
    const int want[5][2] = {{0, 5}, {0, 6}, {1, 5}, {2, 5}, {3, 5}};
    for (size_t i = 0; i < 5; i++) {
        EXPECT_EQ(calls[i].kind, FS_READER_DVRFS);
        EXPECT_EQ(calls[i].param.channel, want[i][0]) << i;
        EXPECT_EQ(calls[i].month.month, want[i][1]) << i;
        EXPECT_EQ(calls[i].month.year, 24);
    }
    EXPECT_EQ(calls[0].month.days[5], 0x40000005u);  // types 1 and 4 of class 0 on the 6th
    EXPECT_EQ(calls[0].month.days[6], 0x40000001u);
    EXPECT_EQ(calls[0].month.days[7], 0u);
    EXPECT_EQ(calls[4].month.days[6], 0x40000008u);
    EXPECT_FALSE(calls[5].hasRecord);
    EXPECT_EQ(calls[5].param.monthRunning, 0);
}

TEST_F(VkfsOnDvrfsTest, DaySearchListsTheChannelsRecordsInOrder) {
    const FSDiskHandle h = OpenDisk(BasicDisk());
    ASSERT_NE(h, 0u);
    const auto calls = Day(h, 0, 0);
    ASSERT_EQ(calls.size(), 11u);
    for (int i = 0; i < 10; i++) {
        const SearchCall& c = calls[static_cast<size_t>(i)];
        const auto& f = BasicDisk().facts.recordings[static_cast<size_t>(i)];
        EXPECT_EQ(c.param.recordIndex, i);
        EXPECT_EQ(c.param.channel, 0);
        EXPECT_EQ(c.param.dayRunning, 1);
        EXPECT_TRUE(Same(c.record.start, Start(f)));
        EXPECT_EQ(c.record.dataLength, static_cast<int32_t>(f.sectors * 512));
        EXPECT_EQ(c.record.typeBit, i % 3 == 0 ? 8 : 1);
        EXPECT_EQ(c.record.dvrTail[4], f.lastSector);
    }
    EXPECT_FALSE(calls[10].hasRecord);
    // The find's natural end is no error.
    EXPECT_FALSE(Logged(" dvrfs_find_next error(ret = -2)---541"));
}

TEST_F(VkfsOnDvrfsTest, PlayDeliversTheFramesAcrossBlocksAndRecords) {
    const FSDiskHandle h = OpenDisk(BasicDisk());
    ASSERT_NE(h, 0u);
    ASSERT_EQ(Day(h, 1, 0).size(), 3u);
    const auto& first = BasicDisk().facts.recordings[12];
    const auto& second = BasicDisk().facts.recordings[13];
    StreamLog log;
    FSPlay(h, Start(first), At(24, 5, 6, 23, 59, 59), 0, log.User(), &StreamLog::OnData, &StreamLog::OnTime);
    ASSERT_TRUE(log.WaitForEnds(1));
    FSStopPlay(h, 0);
    auto want = first.frames;
    want.insert(want.end(), second.frames.begin(), second.frames.end());
    const auto frames = log.Frames();
    ASSERT_EQ(frames.size(), want.size());
    for (size_t i = 0; i < want.size(); i++)
        ASSERT_EQ(frames[i], want[i]) << "frame " << i;
    EXPECT_EQ(log.TimeCalls(), 2u);
}

TEST_F(VkfsOnDvrfsTest, ExportHandsOnTheRecordsSectors) {
    const FSDiskHandle h = OpenDisk(BasicDisk());
    ASSERT_NE(h, 0u);
    ASSERT_EQ(Day(h, 1, 1).size(), 3u);
    const auto& f = BasicDisk().facts.recordings[12];
    StreamLog log;
    FSExport(h, Start(f), At(24, 5, 6, 10, 0, 30), 1, log.User(), &StreamLog::OnData);
    ASSERT_TRUE(log.WaitForEnds(1));
    FSStopExport(h, 0);
    std::vector<uint8_t> bytes;
    for (const auto& e : log.Events())
        bytes.insert(bytes.end(), e.bytes.begin(), e.bytes.end());
    EXPECT_TRUE(bytes == f.bytes);
    EXPECT_FALSE(log.Events().back().null);  // the end comes with the block, length 0
}

TEST_F(VkfsOnDvrfsTest, AResultThatComesWithIndexChangedIsKept) {
    // Six recordings of channel 1 on the 6th, four to a link; the second link
    // is broken, so the find that walks into it hands its result back with -23.
    vektools::DvrfsRecipe recipe = SmallRecipe({36000, 36100, 36200, 36300, 36400, 36500, 36000});
    recipe.recordings[6].day = 7;
    recipe.damage.brokenBackLink = 4;
    const DvrfsDisk disk = BuildDisk(recipe);
    const FSDiskHandle h = OpenDisk(disk);
    ASSERT_NE(h, 0u);
    SearchLog log;
    const int channels[4] = {1, -1, -1, -1};
    FSSearchByDay(h, At(24, 5, 6, 0, 0, 0), At(24, 5, 7, 23, 59, 59), nullptr, &SearchLog::Day, &log, 0,
                  channels);
    ASSERT_TRUE(log.WaitForFinal());
    FSStopDaySearch(h);
    const auto calls = log.Calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_TRUE(Same(calls[4].record.start, At(24, 5, 7, 10, 0, 0)));
    EXPECT_TRUE(Logged(" dvrfs find result kept, index changed(ret = -23)---541"));

    // Played from the record the find reached through the broken day.
    StreamLog play;
    FSPlay(h, At(24, 5, 7, 10, 0, 0), At(24, 5, 7, 23, 59, 59), 0, play.User(), &StreamLog::OnData,
           &StreamLog::OnTime);
    ASSERT_TRUE(play.WaitForEnds(1));
    FSStopPlay(h, 0);
    EXPECT_EQ(play.Frames(), disk.facts.recordings[6].frames);
}

}  // namespace
}  // namespace vkfs::testing
