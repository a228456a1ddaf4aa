// Play and export on generated recorder days (both formats), through the
// exported interface: the frames delivered against the frames the image
// builder wrote, flow control, seeks, the end of the day, overlapping records,
// the bytes an export hands over, and stopping everything at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

#include "reader/vekfs_api.h"
#include "tests/common/format_versions.h"
#include "tests/vkfs/vkfs_fixture.h"

namespace vkfs::testing {
namespace {

using Frames = std::vector<std::vector<uint8_t>>;

const RecTime kDayStart = At(kPlayYear, kPlayMonth, kPlayDay, 0, 0, 0);
const RecTime kDayEnd = At(kPlayYear, kPlayMonth, kPlayDay, 23, 59, 59);

void ExpectSameFrames(const Frames& got, const Frames& want) {
    const size_t n = std::min(got.size(), want.size());
    for (size_t i = 0; i < n; i++) {
        if (got[i] != want[i]) {
            ADD_FAILURE() << "frame " << i << " differs (" << got[i].size() << " bytes, expected "
                          << want[i].size() << ")";
            return;
        }
    }
    EXPECT_EQ(got.size(), want.size());
}

void Append(Frames& to, const Frames& more) {
    to.insert(to.end(), more.begin(), more.end());
}

class PlayTest : public VkfsTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        VkfsTest::SetUp();
        OpenImage(PlayDaySpec(GetParam()));
    }
    void OpenImage(const vektools::ImageSpec& recipe) {
        image_ = &Built(recipe);
        disk_ = Open(Mount(recipe.scenario, image_->disk));
        ASSERT_NE(disk_, 0u);
    }

    // A day search of the play (0) or export (1) group, stopped when done.
    void SearchDay(int group, std::array<int, 4> channels) {
        SearchLog log;
        FSSearchByDay(disk_, kDayStart, kDayEnd, nullptr, &SearchLog::Day, &log, group, channels.data());
        ASSERT_TRUE(log.WaitForFinal());
        FSStopDaySearch(disk_);
    }
    void Play(int slot, StreamLog& log) {
        FSPlay(disk_, kDayStart, kDayEnd, slot, log.User(), &StreamLog::OnData, &StreamLog::OnTime);
    }
    // Makes the play on `slot` hold delivery from inside its first data call.
    void HoldAfterFirstFrame(StreamLog& log, int slot) {
        log.onData = [this, slot](size_t n) {
            if (n == 1)
                FSRequestData(disk_, slot, 0);
        };
    }
    // The frames a play of the whole day on `channel` delivers.
    Frames DayFrames(int channel) const {
        Frames frames;
        for (const auto* e : EventsOfChannel(image_->manifest, channel))
            Append(frames, FramesFrom(*image_, *e));
        return frames;
    }
    // The data calls that follow the last time call.
    static Frames FramesAfterLastTimeCall(const StreamLog& log) {
        Frames frames;
        for (const StreamEvent& e : log.Events()) {
            if (e.kind == StreamEvent::Time)
                frames.clear();
            if (e.kind == StreamEvent::Data)
                frames.push_back(e.bytes);
        }
        return frames;
    }
    // Waits a moment and checks that nothing more arrives.
    static void ExpectQuiet(const StreamLog& log) {
        const size_t events = log.Events().size();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        EXPECT_EQ(log.Events().size(), events);
    }

    const BuiltImage* image_ = nullptr;
    FSDiskHandle disk_ = 0;
};
VEK_INSTANTIATE_FOR_BOTH_FORMATS(PlayTest);

TEST_P(PlayTest, DeliversTheDaysFramesInOrderUnderFlowControl) {
    SearchDay(0, {2, -1, -1, -1});
    StreamLog log;
    std::mt19937 rng(static_cast<unsigned>(GetParam()));
    std::atomic<size_t> holds{0};
    // The decoder is full now and then; another thread says it wants data again.
    log.onData = [&](size_t) {
        if (rng() % 24 == 0) {
            holds++;
            FSRequestData(disk_, 0, 0);
        }
    };
    std::atomic<bool> done{false};
    std::thread resumer([&] {
        std::mt19937 r(99);
        while (!done) {
            std::this_thread::sleep_for(std::chrono::microseconds(500 + r() % 4000));
            FSRequestData(disk_, 0, 1);
        }
    });
    Play(0, log);
    const bool ended = log.WaitForEnds(1);
    done = true;
    resumer.join();
    ASSERT_TRUE(ended);
    EXPECT_GT(holds.load(), 10u);

    ExpectSameFrames(log.Frames(), DayFrames(2));
    const auto events = EventsOfChannel(image_->manifest, 2);
    std::vector<StreamEvent> times;
    for (const StreamEvent& e : log.Events())
        if (e.kind == StreamEvent::Time)
            times.push_back(e);
    ASSERT_EQ(times.size(), events.size());
    for (size_t i = 0; i < times.size(); i++) {
        EXPECT_TRUE(Same(times[i].start, FromPacked(events[i]->start))) << i;
        EXPECT_TRUE(Same(times[i].end, FromPacked(events[i]->end))) << i;
    }
    const StreamEvent last = log.Events().back();
    EXPECT_EQ(last.kind, StreamEvent::End);
    EXPECT_TRUE(last.null);
    ExpectQuiet(log);
    EXPECT_EQ(log.Ends(), 1u);
}

TEST_P(PlayTest, FramesBehindExtensionBytesArriveWhole) {
    SearchDay(0, {5, -1, -1, -1});
    StreamLog log;
    Play(0, log);
    ASSERT_TRUE(log.WaitForEnds(1));
    ExpectSameFrames(log.Frames(), DayFrames(5));
}

TEST_P(PlayTest, SeekStartsAtTheKeyFrameAtOrAfterTheTime) {
    SearchDay(0, {2, -1, -1, -1});
    StreamLog log;
    HoldAfterFirstFrame(log, 0);
    Play(0, log);
    ASSERT_TRUE(log.WaitForData(1));
    const auto events = EventsOfChannel(image_->manifest, 2);
    const vektools::EventFact& third = *events[2];  // 10:05:00 to 10:05:40
    const uint32_t target = vektools::Packed(2024, 5, 6, 10, 5, 12);
    FSSeekPlay(disk_, FromPacked(target), 0);
    ASSERT_TRUE(log.WaitForEnds(1));

    Frames want = FramesFrom(*image_, third, target);
    ASSERT_FALSE(want.empty());
    const auto sought = std::find_if(third.kframes.begin(), third.kframes.end(),
                                     [&](const vektools::KframeFact& k) { return k.time >= target; });
    EXPECT_EQ(sought->time, target);  // a key frame every second
    for (size_t i = 3; i < events.size(); i++)
        Append(want, FramesFrom(*image_, *events[i]));
    // The seek reported its record; the records after it follow as usual.
    Frames got;
    bool afterSeek = false;
    for (const StreamEvent& e : log.Events()) {
        if (e.kind == StreamEvent::Time && Same(e.start, FromPacked(third.start)))
            afterSeek = true;
        if (afterSeek && e.kind == StreamEvent::Data)
            got.push_back(e.bytes);
    }
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.front()[4], 'I');
    ExpectSameFrames(got, want);
    EXPECT_EQ(log.Ends(), 1u);
}

TEST_P(PlayTest, SeekIntoAGapEndsOnceAndHoldsDelivery) {
    SearchDay(0, {2, -1, -1, -1});
    StreamLog log;
    HoldAfterFirstFrame(log, 0);
    Play(0, log);
    ASSERT_TRUE(log.WaitForData(1));
    FSSeekPlay(disk_, At(kPlayYear, kPlayMonth, kPlayDay, 10, 3, 0), 0);  // between 10:01:20 and 10:05:00
    ASSERT_TRUE(log.WaitForEnds(1));
    ExpectQuiet(log);
    EXPECT_EQ(log.Ends(), 1u);
    EXPECT_EQ(log.DataCalls(), 1u);
    EXPECT_EQ(log.Events().back().kind, StreamEvent::End);
}

TEST_P(PlayTest, SeekAfterTheLastRecordEndedPlaysTheSoughtRecord) {
    SearchDay(0, {2, -1, -1, -1});
    StreamLog log;
    Play(0, log);
    ASSERT_TRUE(log.WaitForEnds(1));
    ExpectQuiet(log);
    EXPECT_EQ(log.Ends(), 1u);  // the end is told once, however long the play idles

    const auto events = EventsOfChannel(image_->manifest, 2);
    const uint32_t target = vektools::Packed(2024, 5, 6, 10, 1, 5);
    FSSeekPlay(disk_, FromPacked(target), 0);
    ASSERT_TRUE(log.WaitForEnds(2));
    Frames want = FramesFrom(*image_, *events[1], target);
    for (size_t i = 2; i < events.size(); i++)
        Append(want, FramesFrom(*image_, *events[i]));
    Frames got;
    size_t ends = 0;
    for (const StreamEvent& e : log.Events()) {
        if (e.kind == StreamEvent::End)
            ends++;
        if (ends == 1 && e.kind == StreamEvent::Data)
            got.push_back(e.bytes);
    }
    ExpectSameFrames(got, want);
    ExpectQuiet(log);
    EXPECT_EQ(log.Ends(), 2u);
}

TEST_P(PlayTest, OverlappingRecordIsEnteredOneSecondAfterThePreviousEnd) {
    SearchDay(0, {3, -1, -1, -1});
    StreamLog log;
    Play(0, log);
    ASSERT_TRUE(log.WaitForEnds(1));
    const auto events = EventsOfChannel(image_->manifest, 3);
    ASSERT_EQ(events.size(), 3u);
    ASSERT_LT(events[1]->start, events[0]->end);
    Frames want = FramesFrom(*image_, *events[0]);
    Append(want, FramesFrom(*image_, *events[1], vektools::AddSeconds(events[0]->end, 1)));
    Append(want, FramesFrom(*image_, *events[2]));
    ExpectSameFrames(log.Frames(), want);
}

class RecordBoundaryTest : public PlayTest {
  protected:
    void SetUp() override {
        VkfsTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(OpenImage(BoundaryDaySpec(GetParam())));
        SearchDay(0, {6, -1, -1, -1});
        events_ = EventsOfChannel(image_->manifest, 6);
        ASSERT_EQ(events_.size(), 2u);
        ASSERT_EQ(events_[0]->end, events_[1]->start);
    }
    std::vector<const vektools::EventFact*> events_;
};
VEK_INSTANTIATE_FOR_BOTH_FORMATS(RecordBoundaryTest);

TEST_P(RecordBoundaryTest, RecordStartingTheSecondThePreviousEndsIsEnteredAtItsStart) {
    StreamLog log;
    Play(0, log);
    ASSERT_TRUE(log.WaitForEnds(1));
    Frames want = FramesFrom(*image_, *events_[0]);
    Append(want, FramesFrom(*image_, *events_[1]));
    ExpectSameFrames(log.Frames(), want);
}

TEST_P(RecordBoundaryTest, SeekAfterTheLastKeyFrameGoesOnWithTheNextRecord) {
    StreamLog log;
    HoldAfterFirstFrame(log, 0);
    Play(0, log);
    ASSERT_TRUE(log.WaitForData(1));
    ASSERT_LT(events_[0]->kframes.back().time, vektools::Packed(2024, 5, 6, 14, 0, 18));
    FSSeekPlay(disk_, At(kPlayYear, kPlayMonth, kPlayDay, 14, 0, 18), 0);
    ASSERT_TRUE(log.WaitForEnds(1));
    ExpectSameFrames(FramesAfterLastTimeCall(log), FramesFrom(*image_, *events_[1]));
    const auto events = log.Events();
    const auto lastTime = std::find_if(events.rbegin(), events.rend(),
                                       [](const StreamEvent& e) { return e.kind == StreamEvent::Time; });
    ASSERT_NE(lastTime, events.rend());
    EXPECT_TRUE(Same(lastTime->start, FromPacked(events_[1]->start)));
    ExpectQuiet(log);
    EXPECT_EQ(log.Ends(), 1u);
}

TEST_P(PlayTest, SlotWithoutRecordsEndsOnceAndIdles) {
    SearchDay(0, {2, -1, -1, -1});
    StreamLog log;
    Play(1, log);
    ASSERT_TRUE(log.WaitForEnds(1));
    ExpectQuiet(log);
    EXPECT_EQ(log.Events().size(), 1u);
    EXPECT_TRUE(log.Events()[0].null);
    FSStopPlay(disk_, 1);
}

TEST_P(PlayTest, StartAndStopLeaveNoReaderSlotTaken) {
    SearchDay(0, {2, 2, 2, 2});
    for (int i = 0; i < 64; i++) {
        StreamLog log;
        Play(i % 4, log);
        EXPECT_TRUE(log.WaitForData(1));  // the play has its reader slot
        FSStopPlay(disk_, i % 4);
    }
    // Every one of the reader's 64 slots is free again.
    const auto readStart = GetParam() == 1 ? &vekfs_read_start : &vekfs2_read_start;
    const auto readStop = GetParam() == 1 ? &vekfs_read_stop : &vekfs2_read_stop;
    std::vector<int> taken;
    for (int i = 0; i < 64; i++) {
        const int slot = readStart(2);
        EXPECT_GE(slot, 0) << i;
        taken.push_back(slot);
    }
    for (int slot : taken)
        readStop(slot);

    StreamLog last;
    Play(0, last);
    ASSERT_TRUE(last.WaitForEnds(1));
    EXPECT_EQ(last.Frames().size(), DayFrames(2).size());
}

TEST_P(PlayTest, ExportHandsOverTheRecordFromItsFirstKeyFrame) {
    SearchDay(1, {-1, 2, -1, -1});
    const auto events = EventsOfChannel(image_->manifest, 2);
    for (size_t i : {size_t{1}, size_t{3}}) {
        SCOPED_TRACE(i);
        const vektools::EventFact& event = *events[i];
        StreamLog log;
        FSExport(disk_, FromPacked(event.start), FromPacked(event.end), 2, log.User(), &StreamLog::OnData);
        ASSERT_TRUE(log.WaitForEnds(1));
        ExpectQuiet(log);
        std::vector<uint8_t> bytes;
        const auto calls = log.Events();
        for (const StreamEvent& e : calls)
            bytes.insert(bytes.end(), e.bytes.begin(), e.bytes.end());
        EXPECT_TRUE(bytes == RecordBytes(*image_, event)) << bytes.size() << " bytes";
        ASSERT_EQ(log.Ends(), 1u);
        EXPECT_EQ(calls.back().kind, StreamEvent::End);
        EXPECT_FALSE(calls.back().null);  // the end of an export is the block with length 0
        FSStopExport(disk_, 1);
    }

    // A start time at which no record of the channel starts: one end mark.
    StreamLog none;
    FSExport(disk_, At(kPlayYear, kPlayMonth, kPlayDay, 10, 1, 1), kDayEnd, 2, none.User(),
             &StreamLog::OnData);
    ASSERT_TRUE(none.WaitForEnds(1));
    ExpectQuiet(none);
    EXPECT_EQ(none.Events().size(), 1u);
}

// An export seeking on a slot whose play holds frames in its buffer leaves
// the play's buffer and time callback alone.
TEST_P(PlayTest, ExportBesideAPlayOnTheSameSlotLeavesThePlayAlone) {
    SearchDay(1, {2, -1, -1, -1});
    SearchDay(0, {2, -1, -1, -1});
    StreamLog play;
    HoldAfterFirstFrame(play, 0);
    Play(0, play);
    ASSERT_TRUE(play.WaitForData(1));
    const auto events = EventsOfChannel(image_->manifest, 2);
    StreamLog exported;
    FSExport(disk_, FromPacked(events[2]->start), FromPacked(events[2]->end), 2, exported.User(),
             &StreamLog::OnData);
    ASSERT_TRUE(exported.WaitForEnds(1));
    FSRequestData(disk_, 0, 1);
    ASSERT_TRUE(play.WaitForEnds(1));
    ExpectSameFrames(play.Frames(), DayFrames(2));
    EXPECT_EQ(play.TimeCalls(), events.size());
}

TEST_P(PlayTest, RemovingTheDiskStopsEverythingThatRuns) {
    SearchDay(1, {2, 3, 5, 2});
    SearchDay(0, {2, 3, 5, 2});
    SearchLog months, days;
    FSSearchByMon(disk_, SearchMonTime{0, 1, 30, 12}, nullptr, &months);  // 31 years: still running
    const int channels[4] = {2, 3, 5, 2};
    FSSearchByDay(disk_, kDayStart, kDayEnd, nullptr, &SearchLog::Day, &days, 0, channels);
    ASSERT_TRUE(days.WaitForFinal());  // done, waiting for its stop

    StreamLog plays[4], exports[4];
    for (int s = 0; s < 4; s++) {
        HoldAfterFirstFrame(plays[s], s);  // held inside the splitter
        Play(s, plays[s]);
    }
    const auto e2 = EventsOfChannel(image_->manifest, 2);
    const auto e3 = EventsOfChannel(image_->manifest, 3);
    const auto e5 = EventsOfChannel(image_->manifest, 5);
    FSExport(disk_, FromPacked(e2[0]->start), kDayEnd, 2, exports[0].User(), &StreamLog::OnData);
    FSExport(disk_, FromPacked(e3[0]->start), kDayEnd, 3, exports[1].User(), &StreamLog::OnData);
    FSExport(disk_, FromPacked(e5[0]->start), kDayEnd, 5, exports[2].User(), &StreamLog::OnData);
    for (auto& p : plays)
        ASSERT_TRUE(p.WaitForData(1));

    EXPECT_EQ(FSRemoveDisk(disk_), 1);
    opened_.clear();
    std::vector<size_t> counts;
    for (auto& p : plays)
        counts.push_back(p.Events().size());
    for (auto& e : exports)
        counts.push_back(e.Events().size());
    counts.push_back(months.Calls().size());
    counts.push_back(days.Calls().size());

    // Nothing runs any more, and the handle is dead.
    FSRequestData(disk_, 0, 1);
    FSSeekPlay(disk_, kDayStart, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::vector<size_t> after;
    for (auto& p : plays)
        after.push_back(p.Events().size());
    for (auto& e : exports)
        after.push_back(e.Events().size());
    after.push_back(months.Calls().size());
    after.push_back(days.Calls().size());
    EXPECT_EQ(after, counts);
    EXPECT_EQ(FSRemoveDisk(disk_), 0);
}

TEST_P(PlayTest, FourSlotsPlayAtOnce) {
    SearchDay(0, {2, 3, 5, 2});
    StreamLog logs[4];
    for (int s = 0; s < 4; s++)
        Play(s, logs[s]);
    for (auto& l : logs)
        ASSERT_TRUE(l.WaitForEnds(1));
    ExpectSameFrames(logs[0].Frames(), DayFrames(2));
    ExpectSameFrames(logs[3].Frames(), DayFrames(2));
    EXPECT_EQ(logs[2].Frames().size(), DayFrames(5).size());
}

}  // namespace
}  // namespace vkfs::testing
