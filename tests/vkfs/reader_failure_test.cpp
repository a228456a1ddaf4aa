// Plays, exports and searches when the reader fails, on a scripted reader
// serving as format 1 or format 2: the log line of each failure (with the
// place number of its format), one end mark so the caller does not wait
// forever, and reader calls that never overlap however many jobs run.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "platform/le_bytes.h"
#include "tests/common/format_versions.h"
#include "tests/vkfs/fake_reader.h"
#include "tests/vkfs/vkfs_fixture.h"
#include "tools/framestream.h"
#include "vkfs/reader_ops.h"

namespace vkfs::testing {
namespace {

const RecTime kFrom = At(24, 5, 6, 0, 0, 0);
const RecTime kTo = At(24, 5, 6, 23, 59, 59);

vektools::Stream Frames(uint8_t channel, uint32_t seed) {
    vektools::StreamSpec recipe;
    recipe.channel = channel;
    recipe.seed = seed;
    recipe.videoFrames = 60;
    recipe.iMin = 20000, recipe.iMax = 90000;
    recipe.audio = true;
    return vektools::BuildStream(recipe);
}

// Param: the format the scripted reader serves.
class ReaderFailureTest : public VkfsTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        VkfsTest::SetUp();
        refusing_.acceptDisk = false;
        for (int i = 0; i < 2; i++) {
            fake_.AddEvent(2, At(24, 5, 6, 10, i, 0), At(24, 5, 6, 10, i, 30), Frames(2, 1).bytes);
        }
        override_ = std::make_unique<ScopedReaderOverride>(GetParam() == 1 ? &fake_ : &refusing_,
                                                           GetParam() == 1 ? nullptr : &fake_, nullptr);
        disk_ = Open(FakeVekfs::kPath);
        ASSERT_NE(disk_, 0u);
    }
    void TearDown() override {
        VkfsTest::TearDown();
        override_.reset();
    }
    int Place(int v1, int v2) const { return GetParam() == 1 ? v1 : v2; }
    void SearchDay(int group) {
        SearchLog log;
        const int channels[4] = {2, -1, -1, -1};
        FSSearchByDay(disk_, kFrom, kTo, nullptr, &SearchLog::Day, &log, group, channels);
        ASSERT_TRUE(log.WaitForFinal());
        FSStopDaySearch(disk_);
    }
    // The log's messages (the text after the time stamp).
    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (const std::string& line : LogLines()) {
            const size_t blank = line.find(' ', line.find(' ') + 1);
            messages.push_back(blank == std::string::npos ? line : line.substr(blank + 1));
        }
        return messages;
    }
    // One end mark, with no data, and nothing after it.
    static void ExpectOneEnd(const StreamLog& log) {
        ASSERT_TRUE(log.WaitForEnds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(log.Ends(), 1u);
        EXPECT_EQ(log.Events().back().kind, StreamEvent::End);
        EXPECT_TRUE(log.Events().back().null);
    }

    FakeVekfs fake_, refusing_;
    std::unique_ptr<ScopedReaderOverride> override_;
    FSDiskHandle disk_ = 0;
};
VEK_INSTANTIATE_FOR_BOTH_FORMATS(ReaderFailureTest);

TEST_P(ReaderFailureTest, PlayWithoutAReaderSlotEnds) {
    SearchDay(0);
    fake_.readStartResult = -2;
    StreamLog log;
    FSPlay(disk_, kFrom, kTo, 0, log.User(), &StreamLog::OnData, &StreamLog::OnTime);
    ExpectOneEnd(log);
    EXPECT_EQ(Messages().back(), "vek play failed: vekfs_read_start---" + std::to_string(Place(1030, 1185)));
}

TEST_P(ReaderFailureTest, PlayWhoseFirstSeekFailsEnds) {
    SearchDay(0);
    fake_.seekResult = -10;
    StreamLog log;
    FSPlay(disk_, kFrom, kTo, 0, log.User(), &StreamLog::OnData, &StreamLog::OnTime);
    ExpectOneEnd(log);
    EXPECT_EQ(Messages().back(),
              "vek play failed: dvrFs seek failed, nRet=-10---" + std::to_string(Place(1058, 1213)));
    FSStopPlay(disk_, 0);
    EXPECT_EQ(fake_.OpenReaderSlots(), 0);
}

TEST_P(ReaderFailureTest, PlayWhoseReadsFailPassesOnAndEnds) {
    SearchDay(0);
    fake_.readResult = -15;
    StreamLog log;
    FSPlay(disk_, kFrom, kTo, 0, log.User(), &StreamLog::OnData, &StreamLog::OnTime);
    ExpectOneEnd(log);
    EXPECT_EQ(log.TimeCalls(), 2u);  // both records were tried
    const std::string failed = GetParam() == 1 ? "vek play failed: read data failed(nRet=-15)---1142"
                                               : "vek2 play failed: read data failed(nRet=-15)---1297";
    const auto messages = Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), failed), 2) << "one line per record";
}

TEST_P(ReaderFailureTest, ExportWithoutAReaderSlotEnds) {
    SearchDay(1);
    fake_.readStartResult = -2;
    StreamLog log;
    FSExport(disk_, At(24, 5, 6, 10, 0, 0), kTo, 2, log.User(), &StreamLog::OnData);
    ExpectOneEnd(log);
    EXPECT_EQ(Messages().back(), GetParam() == 1 ? "export failed: vekfs_read_start---2188"
                                                 : "export failed: vekfs2_read_start---2258");
}

TEST_P(ReaderFailureTest, ExportWhoseReadFailsEnds) {
    SearchDay(1);
    fake_.readResult = -24;
    StreamLog log;
    FSExport(disk_, At(24, 5, 6, 10, 0, 0), kTo, 2, log.User(), &StreamLog::OnData);
    ExpectOneEnd(log);
    EXPECT_EQ(Messages().back(),
              "export failed: read data failed(nRet=-24)---" + std::to_string(Place(2215, 2285)));
    FSStopExport(disk_, 0);
    EXPECT_EQ(fake_.OpenReaderSlots(), 0);
}

TEST_P(ReaderFailureTest, FailedDaySearchIsLoggedWithItsFormatsPlace) {
    fake_.findStartResult = -13;
    SearchDay(0);
    EXPECT_EQ(Messages().back(), "find failed by day!---" + std::to_string(Place(593, 689)));
}

TEST_P(ReaderFailureTest, PayloadNearTwoToThe32DoesNotBecomeAShortFrame) {
    std::vector<uint8_t> stream(40, 0);
    std::memcpy(stream.data(), "VkFmI", 5);
    platform::PutU32(&stream[12], 0xFFFFFFE8u);  // 40 + this wraps to 16
    const vektools::Stream real = Frames(4, 3);
    stream.insert(stream.end(), real.bytes.begin(), real.bytes.end());
    fake_.AddEvent(4, At(24, 5, 6, 15, 0, 0), At(24, 5, 6, 15, 1, 0), stream);
    SearchLog search;
    const int channels[4] = {4, -1, -1, -1};
    FSSearchByDay(disk_, kFrom, kTo, nullptr, &SearchLog::Day, &search, 0, channels);
    ASSERT_TRUE(search.WaitForFinal());

    StreamLog log;
    FSPlay(disk_, kFrom, kTo, 0, log.User(), &StreamLog::OnData, &StreamLog::OnTime);
    ASSERT_TRUE(log.WaitForEnds(1));
    const auto frames = log.Frames();
    ASSERT_EQ(frames.size(), real.frames.size());
    for (size_t i = 0; i < frames.size(); i++) {
        const auto& f = real.frames[i];
        EXPECT_EQ(frames[i],
                  std::vector<uint8_t>(real.bytes.begin() + static_cast<long>(f.offset),
                                       real.bytes.begin() + static_cast<long>(f.offset + f.Length())));
    }
}

TEST_P(ReaderFailureTest, ReaderCallsNeverOverlap) {
    for (uint8_t ch = 0; ch < 4; ch++)
        fake_.AddEvent(ch, At(24, 5, 6, 12, 0, 0), At(24, 5, 6, 12, 1, 0), Frames(ch, ch + 10u).bytes);
    fake_.callMicros = 100;
    const int channels[4] = {0, 1, 2, 3};
    for (int group : {1, 0}) {
        SearchLog log;
        FSSearchByDay(disk_, kFrom, kTo, nullptr, &SearchLog::Day, &log, group, channels);
        ASSERT_TRUE(log.WaitForFinal());
    }
    SearchLog months;
    FSSearchByMon(disk_, SearchMonTime{20, 1, 25, 12}, nullptr, &months);
    StreamLog plays[4], exports[4];
    for (int s = 0; s < 4; s++) {
        FSPlay(disk_, kFrom, kTo, s, plays[s].User(), &StreamLog::OnData, &StreamLog::OnTime);
        FSExport(disk_, At(24, 5, 6, 12, 0, 0), kTo, s, exports[s].User(), &StreamLog::OnData);
    }
    for (auto& l : plays)
        ASSERT_TRUE(l.WaitForEnds(1));
    for (auto& l : exports)
        ASSERT_TRUE(l.WaitForEnds(1));
    ASSERT_TRUE(months.WaitForFinal());
    EXPECT_EQ(fake_.OverlappingCalls(), 0);
    EXPECT_EQ(plays[0].Frames().size(), Frames(0, 10).frames.size());
}

}  // namespace
}  // namespace vkfs::testing
