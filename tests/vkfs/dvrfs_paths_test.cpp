// The dvrfs side of VKFS on a scripted dvrfs reader (the format 1 and 2
// readers refuse the disk): the probe falling through to it, month and day
// searches through channel handles and finds, play and export through its
// seeks and reads, and the handles they leave behind.
#include <gtest/gtest.h>

#include <thread>

#include "platform/le_bytes.h"
#include "tests/vkfs/fake_dvrfs.h"
#include "tests/vkfs/fake_reader.h"
#include "tests/vkfs/vkfs_fixture.h"
#include "tools/framestream.h"

namespace vkfs::testing {
namespace {

std::vector<uint8_t> StreamOf(uint32_t seed, uint32_t frames) {
    vektools::StreamSpec recipe;
    recipe.seed = seed;
    recipe.videoFrames = frames;
    recipe.iMin = 30000, recipe.iMax = 90000;
    return vektools::BuildStream(recipe).bytes;
}

std::vector<std::vector<uint8_t>> FramesOf(const std::vector<uint8_t>& stream) {
    std::vector<std::vector<uint8_t>> frames;
    size_t at = 0;
    while (at + 40 <= stream.size()) {
        const size_t payload = platform::GetU32(&stream[at + 12]);
        frames.emplace_back(stream.begin() + static_cast<long>(at),
                            stream.begin() + static_cast<long>(at + 40 + payload));
        at += (payload + 7) / 8 * 8 + 40;
    }
    return frames;
}

class DvrfsPathsTest : public VkfsTest {
  protected:
    void SetUp() override {
        VkfsTest::SetUp();
        v1_.acceptDisk = false;
        v2_.acceptDisk = false;
        a_ = StreamOf(1, 40);
        b_ = StreamOf(2, 30);
        dvrfs_.AddRecord(1, At(24, 5, 6, 10, 0, 0), At(24, 5, 6, 10, 0, 30), a_);
        dvrfs_.AddRecord(1, At(24, 5, 6, 10, 2, 0), At(24, 5, 6, 10, 2, 20), b_);
        dvrfs_.AddRecord(3, At(24, 5, 7, 9, 0, 0), At(24, 5, 7, 9, 0, 10), StreamOf(3, 10));
        dvrfs_.AddRecord(1, At(24, 6, 2, 8, 0, 0), At(24, 6, 2, 8, 0, 10), StreamOf(4, 10));
        readers_ = std::make_unique<ScopedReaderOverride>(&v1_, &v2_, &dvrfs_);
    }
    void TearDown() override {
        VkfsTest::TearDown();
        readers_.reset();
    }
    FSDiskHandle OpenDvrfs() { return Open(FakeDvrfs::kPath, 4); }
    // The disk, with channel 1's records of the 6th searched for the play
    // group (0 when it does not open).
    FSDiskHandle OpenForPlay() {
        const FSDiskHandle h = OpenDvrfs();
        EXPECT_NE(h, 0u);
        if (h)
            SearchDay(h, 0);
        return h;
    }
    // Plays slot 0 from `from` to the end of that day.
    static void PlayFrom(FSDiskHandle h, const RecTime& from, StreamLog& log) {
        FSPlay(h, from, At(from.year, from.month, from.day, 23, 59, 59), 0, log.User(), &StreamLog::OnData,
               &StreamLog::OnTime);
    }
    void SearchDay(FSDiskHandle h, int group, int day = 6) {
        SearchLog log;
        const int channels[4] = {1, -1, -1, -1};
        FSSearchByDay(h, At(24, 5, day, 0, 0, 0), At(24, 5, day, 23, 59, 59), nullptr, &SearchLog::Day, &log,
                      group, channels);
        ASSERT_TRUE(log.WaitForFinal());
        FSStopDaySearch(h);
    }

    FakeVekfs v1_, v2_;
    FakeDvrfs dvrfs_;
    std::unique_ptr<ScopedReaderOverride> readers_;
    std::vector<uint8_t> a_, b_;
};

TEST_F(DvrfsPathsTest, MonthSearchAsksEveryChannelForEveryMonth) {
    dvrfs_.failOpenChannels = {2};
    const FSDiskHandle h = OpenDvrfs();
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(Logged(" vkfs add disk failed!---92"));
    EXPECT_TRUE(Logged(" vkfs2 add disk failed!---108"));
    SearchLog log;
    FSSearchByMon(h, SearchMonTime{24, 5, 24, 6}, nullptr, &log);
    ASSERT_TRUE(log.WaitForFinal());
    FSStopMonSearch(h);
    EXPECT_TRUE(Logged(" dvrfs open channel failed---193"));

    const auto calls = log.Calls();
    ASSERT_EQ(calls.size(), 4u);  // channel 1 in May and June, channel 3 in May, the end
    EXPECT_EQ(calls[0].param.channel, 1);
    EXPECT_EQ(calls[0].month.month, 5);
    EXPECT_NE(calls[0].month.days[5], 0u);
    EXPECT_EQ(calls[1].param.channel, 1);
    EXPECT_EQ(calls[1].month.month, 6);
    EXPECT_NE(calls[1].month.days[1], 0u);
    EXPECT_EQ(calls[2].param.channel, 3);
    EXPECT_NE(calls[2].month.days[6], 0u);
    for (const auto& c : calls)
        EXPECT_EQ(c.kind, FS_READER_DVRFS);
    EXPECT_FALSE(calls[3].hasRecord);
    EXPECT_EQ(calls[3].param.monthRunning, 0);
    EXPECT_EQ(dvrfs_.OpenHandles(), 0);
}

TEST_F(DvrfsPathsTest, DaySearchHandsOnEveryFindResult) {
    const FSDiskHandle h = OpenDvrfs();
    ASSERT_NE(h, 0u);
    SearchLog log;
    const int channels[4] = {1, -1, -1, -1};
    FSSearchByDay(h, At(24, 5, 6, 0, 0, 0), At(24, 5, 6, 23, 59, 59), nullptr, &SearchLog::Day, &log, 0,
                  channels);
    ASSERT_TRUE(log.WaitForFinal());
    const auto calls = log.Calls();
    ASSERT_EQ(calls.size(), 3u);
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(calls[i].kind, FS_READER_DVRFS);
        EXPECT_EQ(calls[i].param.recordIndex, i);
        EXPECT_EQ(calls[i].param.channel, 1);
        EXPECT_STREQ(calls[i].record.diskPath, FakeDvrfs::kPath);
        EXPECT_EQ(calls[i].record.typeBit, 1);
    }
    EXPECT_EQ(calls[0].record.dataLength, static_cast<int32_t>(a_.size()));
    EXPECT_TRUE(Same(calls[1].record.start, At(24, 5, 6, 10, 2, 0)));
    EXPECT_FALSE(Logged(" dvrfs_find_next error(ret = -2)---541"));  // the end of the results is no error
    EXPECT_EQ(dvrfs_.OpenHandles(), 0);

    dvrfs_.failOpenChannels = {1};
    SearchLog failed;
    FSSearchByDay(h, At(24, 5, 6, 0, 0, 0), At(24, 5, 6, 23, 59, 59), nullptr, &SearchLog::Day, &failed, 0,
                  channels);
    ASSERT_TRUE(failed.WaitForFinal());
    EXPECT_EQ(failed.Calls().size(), 1u);
    EXPECT_TRUE(Logged(" dvrfs open channel failed---494"));
}

TEST_F(DvrfsPathsTest, PlayStartsAtThePlayStartAndWalksTheFind) {
    const FSDiskHandle h = OpenForPlay();
    ASSERT_NE(h, 0u);
    StreamLog log;
    PlayFrom(h, At(24, 5, 6, 10, 0, 10), log);
    ASSERT_TRUE(log.WaitForEnds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(log.Ends(), 1u);
    const auto seeks = dvrfs_.SeekTimes();
    ASSERT_EQ(seeks.size(), 2u);
    EXPECT_TRUE(Same(seeks[0], At(24, 5, 6, 10, 0, 10)));  // into the record, not at its start
    EXPECT_TRUE(Same(seeks[1], At(24, 5, 6, 10, 2, 0)));
    auto want = FramesOf(a_);
    const auto more = FramesOf(b_);
    want.insert(want.end(), more.begin(), more.end());
    EXPECT_EQ(log.Frames(), want);
    EXPECT_EQ(log.TimeCalls(), 2u);
    FSStopPlay(h, 0);
    EXPECT_EQ(dvrfs_.OpenHandles(), 0);
}

TEST_F(DvrfsPathsTest, SeekGoesToTheTimeAskedFor) {
    const FSDiskHandle h = OpenForPlay();
    ASSERT_NE(h, 0u);
    StreamLog log;
    log.onData = [h](size_t n) {
        if (n == 1)
            FSRequestData(h, 0, 0);
    };
    PlayFrom(h, At(24, 5, 6, 0, 0, 0), log);
    ASSERT_TRUE(log.WaitForData(1));
    FSSeekPlay(h, At(24, 5, 6, 10, 2, 5), 0);
    ASSERT_TRUE(log.WaitForEnds(1));
    EXPECT_TRUE(Same(dvrfs_.SeekTimes().back(), At(24, 5, 6, 10, 2, 5)));
    const auto frames = log.Frames();
    const auto want = FramesOf(b_);
    ASSERT_GT(frames.size(), want.size());
    EXPECT_EQ(std::vector<std::vector<uint8_t>>(frames.end() - static_cast<long>(want.size()), frames.end()),
              want);

    FSSeekPlay(h, At(24, 5, 6, 10, 1, 0), 0);  // between the records
    ASSERT_TRUE(log.WaitForEnds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(log.Ends(), 2u);
}

TEST_F(DvrfsPathsTest, PlayWhoseChannelCannotBeOpenedEndsOnce) {
    const FSDiskHandle h = OpenForPlay();
    ASSERT_NE(h, 0u);
    dvrfs_.failOpenChannels = {1};
    StreamLog log;
    PlayFrom(h, At(24, 5, 6, 10, 0, 0), log);
    ASSERT_TRUE(log.WaitForEnds(1, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(log.Events().size(), 1u);
    EXPECT_TRUE(log.Events()[0].null);
    FSStopPlay(h, 0);

    // The slot's next play takes a handle of its own.
    dvrfs_.failOpenChannels.clear();
    StreamLog again;
    PlayFrom(h, At(24, 5, 6, 10, 2, 0), again);
    ASSERT_TRUE(again.WaitForEnds(1));
    EXPECT_EQ(again.Frames(), FramesOf(b_));
    FSStopPlay(h, 0);
    EXPECT_EQ(dvrfs_.OpenHandles(), 0);
}

TEST_F(DvrfsPathsTest, AFailedFetchOfTheNextRecordIsAskedForAgain) {
    const FSDiskHandle h = OpenForPlay();
    ASSERT_NE(h, 0u);
    struct Case {
        const char* name;
        int failures;
        bool nextPlayed;
    };
    for (const Case& c : {Case{"passing", 3, true}, Case{"lasting", 1000, false}}) {
        SCOPED_TRACE(c.name);
        dvrfs_.nextFailures = c.failures;
        StreamLog log;
        PlayFrom(h, At(24, 5, 6, 10, 0, 0), log);
        ASSERT_TRUE(log.WaitForEnds(1));
        auto want = FramesOf(a_);
        if (c.nextPlayed) {
            const auto more = FramesOf(b_);
            want.insert(want.end(), more.begin(), more.end());
        }
        EXPECT_EQ(log.Frames(), want);
        EXPECT_EQ(log.TimeCalls(), c.nextPlayed ? 2u : 1u);
        FSStopPlay(h, 0);
        EXPECT_EQ(log.Ends(), 1u);
        dvrfs_.nextFailures = 0;
    }
}

TEST_F(DvrfsPathsTest, AReadOfNothingEndsTheRecord) {
    const FSDiskHandle h = OpenForPlay();
    ASSERT_NE(h, 0u);
    dvrfs_.readNothing = true;
    StreamLog log;
    PlayFrom(h, At(24, 5, 6, 10, 0, 0), log);
    ASSERT_TRUE(log.WaitForEnds(1, 5000));
    EXPECT_TRUE(log.Frames().empty());
    EXPECT_EQ(log.TimeCalls(), 2u);  // each record entered, and over at once
    FSStopPlay(h, 0);
}

TEST_F(DvrfsPathsTest, ExportReadsOneRecordAndEnds) {
    const FSDiskHandle h = OpenDvrfs();
    ASSERT_NE(h, 0u);
    SearchDay(h, 1);
    StreamLog log;
    FSExport(h, At(24, 5, 6, 10, 2, 0), At(24, 5, 6, 10, 2, 20), 1, log.User(), &StreamLog::OnData);
    ASSERT_TRUE(log.WaitForEnds(1));
    std::vector<uint8_t> bytes;
    for (const auto& e : log.Events())
        bytes.insert(bytes.end(), e.bytes.begin(), e.bytes.end());
    EXPECT_EQ(bytes, b_);
    EXPECT_FALSE(log.Events().back().null);
    FSStopExport(h, 0);
    EXPECT_EQ(dvrfs_.OpenHandles(), 0);

    dvrfs_.readResult = -14;
    StreamLog failed;
    FSExport(h, At(24, 5, 6, 10, 0, 0), At(24, 5, 6, 10, 0, 30), 1, failed.User(), &StreamLog::OnData);
    ASSERT_TRUE(failed.WaitForEnds(1));
    EXPECT_TRUE(failed.Events().back().null);
    EXPECT_TRUE(Logged(" dvrfs export failed: read data failed(nRet=-14)---2139"));
    FSStopExport(h, 0);

    dvrfs_.readResult = 0;
    dvrfs_.findResult = -13;
    StreamLog lost;
    FSExport(h, At(24, 5, 6, 10, 0, 0), At(24, 5, 6, 10, 0, 30), 1, lost.User(), &StreamLog::OnData);
    ASSERT_TRUE(lost.WaitForEnds(1));
    EXPECT_TRUE(Logged(" JumpProcess failed: start find failed(nRet=-13)---1804"));
    FSStopExport(h, 0);
    EXPECT_EQ(dvrfs_.OpenHandles(), 0);
}

}  // namespace
}  // namespace vkfs::testing
