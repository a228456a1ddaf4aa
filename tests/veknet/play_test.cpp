// Remote play against the simulated recorder: whole frames in order, flow
// control with the refused frame offered again, reposition and replay, the
// end mark, and stops after which nothing is called.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "platform/le_bytes.h"
#include "tests/veknet/veknet_test_support.h"

namespace veknet::testing {
namespace {

// Every offer of the data callback; the answer comes from `answer` (1 when unset).
struct PlayLog {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::vector<uint8_t>> offers;  // an end mark is an empty entry
    std::vector<int32_t> answers;
    std::function<int32_t(size_t offer, const uint8_t* frame)> answer;
    std::atomic<bool> stopped{false};
    std::atomic<int> afterStop{0};

    static int32_t VEK_CALL Callback(const uint8_t* buffer, uint32_t length, uintptr_t user) {
        auto* self = reinterpret_cast<PlayLog*>(user);
        if (self->stopped.load())
            self->afterStop++;
        size_t n = 0;
        {
            std::lock_guard<std::mutex> hold(self->lock);
            self->offers.emplace_back(buffer, buffer + (buffer ? length : 0));
            n = self->offers.size();
        }
        const int32_t a = self->answer ? self->answer(n - 1, buffer) : 1;
        std::lock_guard<std::mutex> hold(self->lock);
        self->answers.push_back(a);
        self->changed.notify_all();
        return a;
    }
    size_t Answered() {
        std::lock_guard<std::mutex> hold(lock);
        return answers.size();
    }
    bool WaitAnswered(size_t n, int ms = 20000) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, std::chrono::milliseconds(ms), [&] { return answers.size() >= n; });
    }
    bool WaitEndMark(int ms = 30000) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, std::chrono::milliseconds(ms), [&] {
            return !offers.empty() && offers.back().empty() && answers.size() == offers.size() &&
                   answers.back();
        });
    }
    // The frames taken, in order.
    std::vector<std::vector<uint8_t>> Taken() {
        std::lock_guard<std::mutex> hold(lock);
        std::vector<std::vector<uint8_t>> taken;
        for (size_t i = 0; i < answers.size(); i++)
            if (answers[i] && !offers[i].empty())
                taken.push_back(offers[i]);
        return taken;
    }
};

uint64_t FrameTime(const std::vector<uint8_t>& frame) {
    return platform::GetU64(frame.data() + 16);
}

class PlayTest : public VekNetTest {
  protected:
    void SetUp() override {
        VekNetTest::SetUp();
        StartRecorder();
        login_ = LogIn();
    }
    uint32_t Play(PlayLog* log, int channel, NetRecordTime start, NetRecordTime end) {
        NetRecordPlayParam p{};
        p.channel = channel;
        p.reserved4 = -1;
        p.start = start;
        p.end = end;
        p.dataCallback = &PlayLog::Callback;
        p.user = reinterpret_cast<uintptr_t>(log);
        return VekNetStartRecordPlay(login_, &p);
    }
    // The frames the recorder serves for records `first`..`last` of a channel.
    std::vector<std::vector<uint8_t>> Served(uint32_t channel, size_t first, size_t last) {
        std::vector<std::vector<uint8_t>> frames;
        for (size_t i = first; i <= last; i++) {
            const auto record = table_->Frames(channel, i);
            for (const simrecorder::FrameRef& f : record->frames)
                frames.emplace_back(record->Data(f), record->Data(f) + f.size);
        }
        return frames;
    }
    uint32_t login_ = 0;
};

// The pane's decoder refuses a frame when full and asks for data once it has
// room: nothing may be lost or reordered, and nothing comes while it is full.
TEST_F(PlayTest, EveryTenthFrameRefusedResumesOnlyOnRequestWithThatFrame) {
    PlayLog log;
    std::atomic<size_t> refusals{0};
    size_t taken = 0;  // only the delivery thread counts
    log.answer = [&](size_t, const uint8_t* frame) -> int32_t {
        // The tenth, twentieth... frame taken is refused once.
        if (!frame)
            return 1;
        if ((taken + 1) % 10 == 0 && refusals.load() < (taken + 1) / 10) {
            refusals++;
            return 0;
        }
        taken++;
        return 1;
    };
    // The first record of channel 1 on 2024-03-05 (09:05:00 for 10 s).
    uint32_t play = Play(&log, 1, Time(2024, 3, 5, 9, 0, 0), Time(2024, 3, 5, 9, 30, 0));
    ASSERT_NE(play, 0u);
    size_t seen = 0;
    for (int round = 0;; round++) {
        // Wait for the next refusal (or the end).
        ASSERT_TRUE(WaitFor([&] {
            std::lock_guard<std::mutex> hold(log.lock);
            return log.answers.size() > seen &&
                   (log.answers.back() == 0 || (log.offers.back().empty() && log.answers.back()));
        })) << "round "
            << round;
        size_t refusedAt = 0;
        std::vector<uint8_t> refused;
        {
            std::lock_guard<std::mutex> hold(log.lock);
            seen = log.answers.size();
            if (log.answers.back() != 0)
                break;  // the end mark
            refusedAt = seen - 1;
            refused = log.offers.back();
        }
        if (round < 3) {
            // Delivery holds until asked for.
            platform::SleepMs(60);
            EXPECT_EQ(log.Answered(), seen) << "round " << round;
        }
        EXPECT_EQ(VekNetReqRecordData(play), 0);
        ASSERT_TRUE(log.WaitAnswered(refusedAt + 2));
        std::lock_guard<std::mutex> hold(log.lock);
        EXPECT_EQ(log.offers[refusedAt + 1], refused) << "round " << round;
        seen = refusedAt + 1;
    }
    EXPECT_EQ(log.Taken(), Served(1, 0, 0));
    EXPECT_GE(refusals.load(), 70u);  // 750 frames
    EXPECT_EQ(VekNetStopRecordPlay(&play), 0);
    EXPECT_EQ(play, 0u);
}

TEST_F(PlayTest, PlaysTheDaysRecordsInOrderThenMarksTheEnd) {
    PlayLog log;
    uint32_t play = Play(&log, 2, Time(2024, 3, 5), Time(2024, 3, 5, 23, 59, 59));
    ASSERT_NE(play, 0u);
    ASSERT_TRUE(log.WaitEndMark());
    platform::SleepMs(100);
    const std::vector<std::vector<uint8_t>> taken = log.Taken();
    EXPECT_EQ(taken, Served(2, 0, 2));
    EXPECT_EQ(log.Answered(), taken.size() + 1) << "one end mark, nothing after it";
    VekNetStopRecordPlay(&play);
}

TEST_F(PlayTest, RepositionThenReplayStartsAtThePosition) {
    PlayLog log;
    uint32_t play = Play(&log, 1, Time(2024, 3, 5), Time(2024, 3, 5, 23, 59, 59));
    ASSERT_NE(play, 0u);
    ASSERT_TRUE(log.WaitAnswered(30));
    // Four seconds into the second record (11:05:00).
    const NetRecordTime times[2] = {Time(2024, 3, 5, 11, 5, 4), Time(2024, 3, 5, 23, 59, 59)};
    ASSERT_EQ(VekNetReposRecordData(play, times), 0);
    const size_t before = log.Answered();
    platform::SleepMs(100);
    EXPECT_EQ(log.Answered(), before) << "nothing between reposition and replay";
    ASSERT_EQ(VekNetReplayRecordData(play), 0);
    ASSERT_TRUE(log.WaitEndMark());

    std::vector<std::vector<uint8_t>> after;
    {
        std::lock_guard<std::mutex> hold(log.lock);
        after.assign(log.offers.begin() + static_cast<std::ptrdiff_t>(before), log.offers.end() - 1);
    }
    const std::vector<std::vector<uint8_t>> served = Served(1, 1, 2);
    const uint64_t target = FrameTime(served.front()) + 4000000;
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.front()[4], 'I');
    EXPECT_EQ(FrameTime(after.front()), target);
    // From there on exactly what the recorder holds, to the end of the day.
    const auto from = std::find(served.begin(), served.end(), after.front());
    ASSERT_NE(from, served.end());
    EXPECT_EQ(after, std::vector<std::vector<uint8_t>>(from, served.end()));

    // A position in no record ends the play with the end mark at once.
    const NetRecordTime late[2] = {Time(2024, 3, 5, 20, 0, 0), Time(2024, 3, 5, 23, 59, 59)};
    const size_t ends = log.Answered();
    VekNetReposRecordData(play, late);
    VekNetReplayRecordData(play);
    ASSERT_TRUE(log.WaitAnswered(ends + 1));
    std::lock_guard<std::mutex> hold(log.lock);
    EXPECT_TRUE(log.offers.back().empty());
}

TEST_F(PlayTest, NoCallbackAfterStopReturns) {
    PlayLog log;
    uint32_t play = Play(&log, 0, Time(2024, 3, 5), Time(2024, 3, 5, 23, 59, 59));
    ASSERT_NE(play, 0u);
    ASSERT_TRUE(log.WaitAnswered(50));
    EXPECT_EQ(VekNetStopRecordPlay(&play), 0);
    log.stopped = true;
    platform::SleepMs(200);
    EXPECT_EQ(log.afterStop.load(), 0);
    EXPECT_EQ(VekNetReqRecordData(play), -1) << "a stopped handle is stale";
}

TEST_F(PlayTest, StopFromInsideTheCallbackEndsItThere) {
    PlayLog log;
    std::atomic<uint32_t> handle{0};
    log.answer = [&](size_t offer, const uint8_t*) -> int32_t {
        if (offer == 5) {
            uint32_t h = handle.load();
            VekNetStopRecordPlay(&h);
            log.stopped = true;
        }
        return 1;
    };
    handle = Play(&log, 0, Time(2024, 3, 5), Time(2024, 3, 5, 23, 59, 59));
    ASSERT_NE(handle.load(), 0u);
    ASSERT_TRUE(WaitFor([&] { return log.stopped.load(); }));
    platform::SleepMs(200);
    EXPECT_EQ(log.Answered(), 6u);
    EXPECT_EQ(log.afterStop.load(), 0) << "the call that stopped was the last";
}

TEST_F(PlayTest, StoppingTheLoginStopsItsPlays) {
    PlayLog log;
    const uint32_t play = Play(&log, 0, Time(2024, 3, 5), Time(2024, 3, 5, 23, 59, 59));
    ASSERT_NE(play, 0u);
    ASSERT_TRUE(log.WaitAnswered(10));
    EXPECT_EQ(VekNetConnectionStop(&login_), 0);
    log.stopped = true;
    platform::SleepMs(100);
    EXPECT_EQ(log.afterStop.load(), 0);
    EXPECT_EQ(VekNetReqRecordData(play), -1);
}

TEST_F(PlayTest, NothingToPlayGivesNoHandle) {
    PlayLog log;
    EXPECT_EQ(Play(&log, 0, Time(2024, 3, 6), Time(2024, 3, 6, 23, 59, 59)), 0u) << "a day without records";
    EXPECT_EQ(Play(&log, 7, Time(2024, 3, 5), Time(2024, 3, 5, 23, 59, 59)), 0u) << "no such channel";
    EXPECT_EQ(Play(&log, 0, Time(65535, 255, 255), Time(65535, 255, 255, 23, 59, 59)), 0u) << "no date";
    NetRecordPlayParam p{};
    p.start = Time(2024, 3, 5);
    p.end = Time(2024, 3, 5, 23, 59, 59);
    EXPECT_EQ(VekNetStartRecordPlay(login_, &p), 0u) << "no callback";
    EXPECT_EQ(VekNetStartRecordPlay(login_, nullptr), 0u);
}

TEST_F(PlayTest, LinkDroppedMidPlayEndsWithTheEndMark) {
    simrecorder::SimOptions options;
    options.dropAfterBytes = 300000;
    StartRecorder(options);
    login_ = LogIn();
    PlayLog log;
    uint32_t play = Play(&log, 3, Time(2024, 3, 5), Time(2024, 3, 5, 23, 59, 59));
    ASSERT_NE(play, 0u);
    ASSERT_TRUE(log.WaitEndMark());
    EXPECT_LT(log.Taken().size(), Served(3, 0, 2).size());
    ASSERT_TRUE(statuses_.WaitCount(WindowOf(login_), 2));
    EXPECT_EQ(statuses_.Of(WindowOf(login_)).back(), uint32_t{VEKNET_STATUS_LINK_LOST});
    VekNetStopRecordPlay(&play);
}

}  // namespace
}  // namespace veknet::testing
