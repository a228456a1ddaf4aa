// tests/vekplay/play_instance_test.cpp
//
// A play instance on a virtual clock: pacing at each rate, pause, step,
// reposition, flow control and end notices, malformed input, snapshots, the
// draw callback and shutting down. Every time below is the virtual clock's, so
// intervals are exact.
#include "vekplay/play_instance.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "tests/common/temp_dir.h"
#include "tests/vekplay/bmp_read.h"
#include "tests/vekplay/test_host.h"
#include "vekplay/frame_card.h"

namespace vekplay {
namespace {

using test::CardSpec;
using test::MakeFrames;
using test::TestFrames;

constexpr uintptr_t kWindow = 0x1234;
constexpr uint32_t kMessage = 0x42B;
constexpr uintptr_t kUser = 77;
constexpr int64_t kFrameUs = 40000;

class InstanceTest : public ::testing::Test {
  protected:
    std::shared_ptr<Instance> Make(InstanceKind kind, const InstanceOptions& options = {}) {
        auto i = Instance::Create(nextId_++, kind, host_, options);
        EXPECT_TRUE(i);
        i->SetNotify(kWindow, kMessage, kUser);
        made_.push_back(i);
        return i;
    }
    void TearDown() override {
        for (auto& i : made_)
            i->Shutdown();
        made_.clear();
    }
    VirtualClock& clock() { return host_->vclock(); }
    static void Feed(Instance& i, const TestFrames& t, size_t from, size_t to) {
        for (size_t n = from; n < to && n < t.frames.size(); n++)
            ASSERT_EQ(i.Input(t.frames[n].data(), static_cast<uint32_t>(t.frames[n].size())), 0) << n;
    }
    // Clock intervals between consecutive presents from `from` on.
    std::vector<int64_t> Intervals(size_t from = 0) {
        const auto shown = host_->shown();
        std::vector<int64_t> out;
        for (size_t k = from + 1; k < shown.size(); k++)
            out.push_back(shown[k].at - shown[k - 1].at);
        return out;
    }

    std::shared_ptr<test::TestHost> host_ = std::make_shared<test::TestHost>();
    std::vector<std::shared_ptr<Instance>> made_;
    uint32_t nextId_ = 1;
};

TEST_F(InstanceTest, FramesAreShownAtTheirTimesForEveryRate) {
    struct Case {
        int32_t mode;
        int64_t interval;
    };
    for (const Case c :
         {Case{kModeNormal, kFrameUs}, Case{kModeFast4, kFrameUs / 4}, Case{kModeSlow2, kFrameUs * 2},
          Case{kModeFast16, kFrameUs / 16}, Case{kModeSlow16, kFrameUs * 16}}) {
        SCOPED_TRACE(c.mode);
        host_->Clear();
        const TestFrames t = MakeFrames(CardSpec(20));
        auto inst = Make(InstanceKind::kStream);
        Feed(*inst, t, 0, 20);
        ASSERT_EQ(inst->SetMode(c.mode), 0);
        inst->Start();
        ASSERT_TRUE(clock().RunFor(c.interval * 25));
        const auto shown = host_->shown();
        ASSERT_EQ(shown.size(), 20u);
        for (size_t k = 0; k < shown.size(); k++) {
            EXPECT_EQ(shown[k].time, t.record(k).timeUs);
            EXPECT_TRUE(shown[k].card);
        }
        for (int64_t d : Intervals())
            EXPECT_EQ(d, c.interval);
        EXPECT_EQ(inst->PlayedTime(), t.record(19).timeUs);
        EXPECT_EQ(inst->GetMode(), c.mode);
        inst->Shutdown();
    }
}

TEST_F(InstanceTest, RateChangeKeepsTheMediaPosition) {
    const TestFrames t = MakeFrames(CardSpec(40));
    auto inst = Make(InstanceKind::kStream);
    Feed(*inst, t, 0, 40);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 9 + kFrameUs / 2));  // frames 0..9 shown, half way to 10
    ASSERT_EQ(host_->shown().size(), 10u);
    ASSERT_EQ(inst->SetMode(kModeFast4), 0);
    // Frame 10 is 20 ms of media away: 5 ms at x4.
    ASSERT_TRUE(clock().Advance(kFrameUs / 8 - 1));
    EXPECT_EQ(host_->shown().size(), 10u);
    ASSERT_TRUE(clock().Advance(1));
    EXPECT_EQ(host_->shown().size(), 11u);
}

TEST_F(InstanceTest, PauseHoldsAndPlayResumesWithTheNextFrame) {
    const TestFrames t = MakeFrames(CardSpec(30));
    auto inst = Make(InstanceKind::kStream);
    Feed(*inst, t, 0, 30);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 5 - 1));
    ASSERT_EQ(host_->shown().size(), 5u);
    ASSERT_EQ(inst->SetMode(kModePause), 0);
    EXPECT_EQ(inst->GetMode(), kModePause);
    ASSERT_TRUE(clock().RunFor(5000000));
    EXPECT_EQ(host_->shown().size(), 5u);
    EXPECT_EQ(inst->PlayedTime(), t.record(4).timeUs);

    const int64_t resumedAt = clock().NowUs();
    ASSERT_EQ(inst->SetMode(kModeNormal), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 3 - 1));
    const auto shown = host_->shown();
    ASSERT_EQ(shown.size(), 8u);
    EXPECT_EQ(shown[5].time, t.record(5).timeUs);
    EXPECT_EQ(shown[5].at, resumedAt) << "the next frame comes at once, not after the time paused";
    EXPECT_EQ(shown[6].at - shown[5].at, kFrameUs);
}

TEST_F(InstanceTest, StepShowsExactlyOneFramePerCallThenHolds) {
    const TestFrames t = MakeFrames(CardSpec(30));
    auto inst = Make(InstanceKind::kStream);
    Feed(*inst, t, 0, 30);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 3 - 1));
    ASSERT_EQ(host_->shown().size(), 3u);
    ASSERT_EQ(inst->SetMode(kModePause), 0);
    for (int k = 0; k < 4; k++) {
        ASSERT_EQ(inst->SetMode(kModeStep), 0);
        ASSERT_TRUE(clock().RunFor(1000000));
        ASSERT_EQ(host_->shown().size(), 4u + k);
        EXPECT_EQ(inst->PlayedTime(), t.record(3 + k).timeUs);
        EXPECT_EQ(inst->GetMode(), kModeStep);
    }
    // Steps work from play too, and play afterwards goes on from there.
    ASSERT_EQ(inst->SetMode(kModeNormal), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 2 - 1));
    EXPECT_EQ(host_->shown().size(), 9u);
    EXPECT_EQ(inst->PlayedTime(), t.record(8).timeUs);
}

TEST_F(InstanceTest, RepositionFlushesRestartsAtAKeyFrameAndKeepsTheRate) {
    const TestFrames t = MakeFrames(CardSpec(100, 10));
    auto inst = Make(InstanceKind::kStream);
    Feed(*inst, t, 0, 30);
    ASSERT_EQ(inst->SetMode(kModeFast4), 0);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs / 4 * 5 - 1));
    ASSERT_EQ(host_->shown().size(), 5u);

    ASSERT_EQ(inst->SetMode(kModeReposition), 0);
    EXPECT_EQ(inst->GetMode(), kModeFast4) << "reposition is an act, never the reported mode while playing";
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_EQ(host_->shown().size(), 5u) << "the queue was dropped";

    // The new source starts with two delta frames: they wait for the key frame.
    Feed(*inst, t, 58, 80);
    ASSERT_TRUE(clock().RunFor(kFrameUs / 4 * 22));
    const auto shown = host_->shown();
    ASSERT_GE(shown.size(), 6u);
    EXPECT_EQ(shown[5].time, t.record(60).timeUs);
    EXPECT_EQ(inst->stats().skipped, 2u);
    const auto d = Intervals(5);
    ASSERT_FALSE(d.empty());
    for (int64_t x : d)
        EXPECT_EQ(x, kFrameUs / 4);
    EXPECT_EQ(inst->GetMode(), kModeFast4);

    inst->Stop();
    EXPECT_EQ(inst->GetMode(), kModeReposition) << "2 stands for stopped";
    ASSERT_EQ(inst->SetMode(kModeReposition), 0);
    EXPECT_EQ(inst->GetMode(), kModeReposition);
    inst->Start();
    EXPECT_EQ(inst->GetMode(), kModeFast4);
}

TEST_F(InstanceTest, RepositionWhilePausedShowsTheNewPicture) {
    const TestFrames t = MakeFrames(CardSpec(60, 10));
    auto inst = Make(InstanceKind::kStream);
    Feed(*inst, t, 0, 10);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 2));
    ASSERT_EQ(inst->SetMode(kModePause), 0);
    ASSERT_EQ(inst->SetMode(kModeReposition), 0);
    Feed(*inst, t, 40, 50);
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_EQ(inst->PlayedTime(), t.record(40).timeUs);
    EXPECT_EQ(inst->GetMode(), kModePause);
    const size_t count = host_->shown().size();
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_EQ(host_->shown().size(), count);
}

TEST_F(InstanceTest, FullQueueRefusesThenDrainsToExactlyOneWantData) {
    InstanceOptions options;
    options.queue.maxFrames = 20;
    auto inst = Make(InstanceKind::kStream, options);
    const TestFrames t = MakeFrames(CardSpec(200));

    size_t fed = 0;
    int32_t rc = 0;
    while (fed < t.frames.size()) {
        rc = inst->Input(t.frames[fed].data(), static_cast<uint32_t>(t.frames[fed].size()));
        if (rc != 0)
            break;
        fed++;
    }
    EXPECT_EQ(rc, kInputFull);
    EXPECT_EQ(static_cast<uint32_t>(rc), 0x8007000Eu);
    EXPECT_EQ(fed, 20u);
    // Offering more while refusing changes nothing.
    for (int k = 0; k < 5; k++)
        EXPECT_EQ(inst->Input(t.frames[fed].data(), static_cast<uint32_t>(t.frames[fed].size())), kInputFull);
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_EQ(host_->CountPosts(kCodeWantData), 0) << "nothing drains while not started";

    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 9 - 1));  // 9 frames taken: 11 left, above low water
    EXPECT_EQ(host_->CountPosts(kCodeWantData), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs));  // 10 left: low water
    EXPECT_EQ(host_->CountPosts(kCodeWantData), 1);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 20));
    EXPECT_EQ(host_->CountPosts(kCodeWantData), 1) << "once per episode";
    const auto posts = host_->posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].window, kWindow);
    EXPECT_EQ(posts[0].message, kMessage);
    EXPECT_EQ(posts[0].user, kUser);

    // The source re-offers the refused frame: it plays on without a hole.
    Feed(*inst, t, fed, fed + 10);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 12));
    EXPECT_EQ(inst->stats().skipped, 0u);
    EXPECT_EQ(inst->PlayedTime(), t.record(fed + 9).timeUs);

    // A second episode gives a second notice.
    while (inst->Input(t.frames[fed + 10].data(), static_cast<uint32_t>(t.frames[fed + 10].size())) == 0)
        fed++;
    ASSERT_TRUE(clock().RunFor(kFrameUs * 30));
    EXPECT_EQ(host_->CountPosts(kCodeWantData), 2);
}

TEST_F(InstanceTest, FramesRefusedAndDroppedRestartDecodingAtTheNextKeyFrame) {
    InstanceOptions options;
    options.queue.maxFrames = 4;
    const TestFrames t = MakeFrames(CardSpec(40, 10));
    const auto feedSettled = [&](Instance& i, size_t from, size_t to) {
        for (size_t n = from; n < to; n++) {
            ASSERT_EQ(i.Input(t.frames[n].data(), static_cast<uint32_t>(t.frames[n].size())), 0) << n;
            ASSERT_TRUE(clock().Settle());
        }
    };
    {
        // Frames 4 and 5 refused and never offered again; 6..9 are delta frames
        // that cannot decode without them.
        auto inst = Make(InstanceKind::kStream, options);
        Feed(*inst, t, 0, 4);
        ASSERT_EQ(inst->Input(t.frames[4].data(), static_cast<uint32_t>(t.frames[4].size())), kInputFull);
        ASSERT_EQ(inst->Input(t.frames[5].data(), static_cast<uint32_t>(t.frames[5].size())), kInputFull);
        inst->Start();
        ASSERT_TRUE(clock().RunFor(kFrameUs * 5));
        ASSERT_EQ(host_->CountPosts(kCodeWantData), 1);
        feedSettled(*inst, 6, 15);
        ASSERT_TRUE(clock().RunFor(kFrameUs * 20));
        const auto shown = host_->shown();
        ASSERT_EQ(shown.size(), 4u + 5u);
        EXPECT_EQ(shown[4].time, t.record(10).timeUs);
        EXPECT_EQ(inst->stats().skipped, 4u);
        inst->Shutdown();
    }
    {
        // Only frame 4 refused, and the source goes on with frame 5 as the disk
        // play does: nothing is lost.
        host_->Clear();
        auto inst = Make(InstanceKind::kStream, options);
        Feed(*inst, t, 0, 4);
        ASSERT_EQ(inst->Input(t.frames[4].data(), static_cast<uint32_t>(t.frames[4].size())), kInputFull);
        inst->Start();
        ASSERT_TRUE(clock().RunFor(kFrameUs * 5));
        feedSettled(*inst, 5, 7);
        ASSERT_TRUE(clock().RunFor(kFrameUs * 10));
        const auto shown = host_->shown();
        ASSERT_EQ(shown.size(), 7u);
        for (size_t k = 0; k < 7; k++)
            EXPECT_EQ(shown[k].time, t.record(k).timeUs);
        EXPECT_EQ(inst->stats().skipped, 0u);
    }
}

TEST_F(InstanceTest, EndMarkIsNotifiedAfterTheQueueDrains) {
    const TestFrames t = MakeFrames(CardSpec(10));
    auto inst = Make(InstanceKind::kStream);
    Feed(*inst, t, 0, 10);
    EXPECT_EQ(inst->Input(nullptr, 0), 0);
    const uint8_t* any = t.frames[0].data();
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 5));
    EXPECT_EQ(host_->CountPosts(kCodeEnd), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 10));
    ASSERT_EQ(host_->CountPosts(kCodeEnd), 1);
    const auto shown = host_->shown();
    ASSERT_EQ(shown.size(), 10u);
    const auto posts = host_->posts();
    EXPECT_GE(posts.back().at, shown.back().at);

    // A length of 0 is an end mark as well, and a second stream after it ends too.
    Feed(*inst, t, 0, 2);
    EXPECT_EQ(inst->Input(any, 0), 0);
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_EQ(host_->CountPosts(kCodeEnd), 2);
}

TEST_F(InstanceTest, MalformedInputIsTakenAndDropped) {
    auto inst = Make(InstanceKind::kStream);
    std::vector<uint8_t> junk(100, 0x55);
    EXPECT_EQ(inst->Input(junk.data(), static_cast<uint32_t>(junk.size())), 0);
    const TestFrames t = MakeFrames(CardSpec(2));
    std::vector<uint8_t> cut = t.frames[0];
    cut.resize(cut.size() - 1);  // payload shorter than the header says
    EXPECT_EQ(inst->Input(cut.data(), static_cast<uint32_t>(cut.size())), 0);
    EXPECT_EQ(inst->Input(t.frames[0].data(), 39), 0);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_TRUE(host_->shown().empty());
    EXPECT_EQ(inst->stats().dropped, 3u);
    EXPECT_EQ(host_->CountPosts(kCodeEnd), 0) << "a short frame is not an end mark";
}

TEST_F(InstanceTest, TimeJumpsAndDamagedTimesDoNotStallPlay) {
    vektools::StreamSpec recipe = CardSpec(10);
    TestFrames t = MakeFrames(recipe);
    // Frame 5 onwards an hour later, frame 8 back in 1970.
    for (size_t k = 5; k < 10; k++)
        platform::PutU64(t.frames[k].data() + 16, t.record(k).timeUs + 3600000000ULL);
    platform::PutU64(t.frames[8].data() + 16, 5);
    platform::PutU64(t.frames[9].data() + 16, UINT64_MAX);
    InstanceOptions options;
    options.queue.maxSpanUs = UINT64_MAX;  // the span would count the jump; this is about the clock
    auto inst = Make(InstanceKind::kStream, options);
    Feed(*inst, t, 0, 10);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 10));
    EXPECT_EQ(host_->shown().size(), 10u);
    EXPECT_EQ(inst->PlayedTime(), UINT64_MAX);
}

TEST_F(InstanceTest, SnapshotIsThePictureShown) {
    const vektest::TempDir temp;
    const TestFrames t = MakeFrames(CardSpec(10));
    auto inst = Make(InstanceKind::kStream);
    const std::string path = temp.File("snapshot.bmp");
    EXPECT_EQ(inst->Capture(path.c_str()), -1) << "nothing shown yet";
    Feed(*inst, t, 0, 10);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 6 - 1));
    ASSERT_EQ(inst->Capture(path.c_str()), 0);
    test::BmpImage image;
    std::string why;
    ASSERT_TRUE(test::ReadBmp(path, &image, &why)) << why;
    uint64_t time = 0;
    ASSERT_TRUE(ReadCardMarker(image.pixels.data(), image.width, image.height, image.stride, &time));
    EXPECT_EQ(time, t.record(5).timeUs);
    EXPECT_EQ(time, inst->PlayedTime());
    EXPECT_EQ(inst->Capture(temp.File("missing/dir/x.bmp").c_str()), -1);
    EXPECT_EQ(inst->Capture(nullptr), -1);
}

struct HookLog {
    std::atomic<int> calls{0};
    std::atomic<bool> reentered{false};
    std::atomic<int> shownBefore{-1};
    Instance* instance = nullptr;
    test::TestHost* host = nullptr;
    std::thread::id thread;
};

void VEK_CALL DrawHookFn(void* dc, int32_t width, int32_t height, uintptr_t user) {
    auto* log = reinterpret_cast<HookLog*>(user);
    EXPECT_EQ(dc, nullptr);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    if (log->calls++ == 0)
        log->shownBefore = static_cast<int>(log->host->shown().size());
    log->thread = std::this_thread::get_id();
    // Back into the library from the render thread: no lock is held.
    log->instance->PlayedTime();
    log->instance->SetVolume(30);
    log->instance->GetMode();
    log->reentered = true;
}

TEST_F(InstanceTest, DrawCallbackRunsOnTheRenderThreadBeforeThePictureAndMayCallBack) {
    const TestFrames t = MakeFrames(CardSpec(5));
    auto inst = Make(InstanceKind::kStream);
    HookLog log;
    log.instance = inst.get();
    log.host = host_.get();
    DrawHook hook;
    hook.fn = reinterpret_cast<AnyFunction>(&DrawHookFn);
    hook.user = reinterpret_cast<uintptr_t>(&log);
    inst->SetDrawHook(hook);
    Feed(*inst, t, 0, 5);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 5));
    EXPECT_EQ(log.calls, 5);
    EXPECT_EQ(log.shownBefore, 0) << "called before the first picture was shown";
    EXPECT_TRUE(log.reentered);
    EXPECT_NE(log.thread, std::this_thread::get_id());
    EXPECT_EQ(inst->volume(), 30);
    inst->Shutdown();
}

TEST_F(InstanceTest, ShutdownJoinsAndNothingHappensAfterIt) {
    // Real time here: the render thread runs freely while it is stopped.
    auto realHost = std::make_shared<test::TestHost>(false);
    auto inst = Instance::Create(500, InstanceKind::kStream, realHost);
    inst->SetNotify(kWindow, kMessage, kUser);
    const TestFrames t = MakeFrames(CardSpec(400));
    for (const auto& f : t.frames)
        inst->Input(f.data(), static_cast<uint32_t>(f.size()));
    inst->Input(nullptr, 0);
    ASSERT_EQ(inst->SetMode(kModeFast16), 0);
    inst->Start();
    realHost->WaitFor([&] { return realHost->shownLocked().size() > 3; });
    inst->Shutdown();
    const size_t shown = realHost->shown().size();
    const size_t posts = realHost->posts().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(realHost->shown().size(), shown);
    EXPECT_EQ(realHost->posts().size(), posts);
    // Calls on a shut-down instance are harmless.
    inst->Start();
    inst->SetMode(kModeNormal);
    inst->Input(t.frames[0].data(), static_cast<uint32_t>(t.frames[0].size()));
    inst->Shutdown();
}

void VEK_CALL ShutdownFromHook(void*, int32_t, int32_t, uintptr_t user) {
    reinterpret_cast<Instance*>(user)->Shutdown();
}

TEST_F(InstanceTest, ShutdownFromItsOwnDrawCallbackIsSafe) {
    auto realHost = std::make_shared<test::TestHost>(false);
    std::weak_ptr<Instance> weak;
    {
        auto inst = Instance::Create(501, InstanceKind::kStream, realHost);
        weak = inst;
        DrawHook hook;
        hook.fn = reinterpret_cast<AnyFunction>(&ShutdownFromHook);
        hook.user = reinterpret_cast<uintptr_t>(inst.get());
        inst->SetDrawHook(hook);
        const TestFrames t = MakeFrames(CardSpec(3));
        for (const auto& f : t.frames)
            inst->Input(f.data(), static_cast<uint32_t>(f.size()));
        inst->Start();
        ASSERT_TRUE(realHost->WaitFor([&] { return !realHost->shownLocked().empty(); }));
    }
    // The thread ends by itself and frees the instance.
    for (int k = 0; k < 500 && !weak.expired(); k++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(realHost->shown().size(), 1u);
}

TEST_F(InstanceTest, SoundPlaysOnlyWhenSwitchedOnAtNormalSpeed) {
    vektools::StreamSpec recipe = CardSpec(50);
    recipe.audio = true;
    recipe.audioParams = vektools::AudioParams{8000, 1, 8, 164, 1, 1};  // G.711 A-law, 20 ms blocks
    const TestFrames t = MakeFrames(recipe);
    auto inst = Make(InstanceKind::kStream);
    for (const auto& f : t.frames)
        ASSERT_EQ(inst->Input(f.data(), static_cast<uint32_t>(f.size())), 0);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 10));
    EXPECT_EQ(host_->samples(), 0u) << "sound is off until switched on";
    inst->SetSound(true);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 10));
    const size_t atNormal = host_->samples();
    EXPECT_GE(atNormal, 160u * 18);  // about 400 ms of 8 kHz audio
    EXPECT_EQ(atNormal % 160, 0u);
    EXPECT_GT(inst->stats().audioFrames, 0u);
    ASSERT_EQ(inst->SetMode(kModeFast2), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 10));
    EXPECT_EQ(host_->samples(), atNormal) << "no sound at other speeds";
    EXPECT_TRUE(inst->sound()) << "the switch stays as it was";
}

// Decoding that cannot keep up: on this clock a round of decoding takes 3 ms
// when a frame lasts 2.5 ms at x16. Every frame is still decoded and none is
// skipped, but a picture whose next frame came due while it was decoded is not
// drawn (nor converted), only as long as the last one drawn is recent; the
// last frame is drawn. Decoding that keeps up (0.5 ms a look) draws them all.
TEST(BehindTest, PicturesOvertakenWhileDecodingAreNotDrawnButEveryFrameIsDecoded) {
    struct Case {
        int64_t lookUs;
        bool everyPicture;
    };
    for (const Case c : {Case{500, true}, Case{3000, false}}) {
        SCOPED_TRACE(c.lookUs);
        auto host = std::make_shared<test::TestHost>(c.lookUs);
        const TestFrames t = MakeFrames(CardSpec(100));
        auto inst = Instance::Create(1, InstanceKind::kStream, host);
        ASSERT_TRUE(inst);
        inst->SetNotify(kWindow, kMessage, kUser);
        for (const auto& f : t.frames)
            ASSERT_EQ(inst->Input(f.data(), static_cast<uint32_t>(f.size())), 0);
        inst->Input(nullptr, 0);
        ASSERT_EQ(inst->SetMode(kModeFast16), 0);
        inst->Start();
        ASSERT_TRUE(host->WaitForPost(kCodeEnd));
        const InstanceStats st = inst->stats();
        EXPECT_EQ(st.decoded, 100u);
        EXPECT_EQ(st.skipped, 0u);
        EXPECT_EQ(st.cards, st.presented) << "each card drawn once, and only those drawn";
        const auto shown = host->shown();
        ASSERT_FALSE(shown.empty());
        if (c.everyPicture)
            EXPECT_EQ(shown.size(), 100u);
        else
            EXPECT_LT(shown.size(), 20u);
        for (size_t k = 1; k < shown.size(); k++) {
            EXPECT_GT(shown[k].time, shown[k - 1].time);
            EXPECT_LE(shown[k].at - shown[k - 1].at, 50000)
                << "at least 25 pictures a second, give or take a round";
        }
        EXPECT_EQ(shown.back().time, t.record(99).timeUs);
        EXPECT_EQ(inst->PlayedTime(), t.record(99).timeUs);
        inst->Shutdown();
    }
}

// At x16 frames come 2.5 ms apart, and a 60 Hz screen shows a picture every
// 16.7 ms: of the frames due within one refresh only the last is drawn (and
// converted), at its own time, while every frame is decoded and the last one
// is drawn. Paused while a picture is left undrawn, the pane draws it: it shows
// the last frame decoded.
TEST_F(InstanceTest, AtX16OnlyThePicturesTheScreenCanShowAreDrawn) {
    host_->SetRefresh(kScreenRefreshUs);
    const TestFrames t = MakeFrames(CardSpec(100));
    auto inst = Make(InstanceKind::kStream);
    Feed(*inst, t, 0, 100);
    inst->Input(nullptr, 0);
    ASSERT_EQ(inst->SetMode(kModeFast16), 0);
    inst->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs / 16 * 3));  // frames 0..3 decoded; 1..3 left undrawn
    ASSERT_EQ(host_->shown().size(), 1u);
    ASSERT_EQ(inst->SetMode(kModePause), 0);
    ASSERT_TRUE(clock().Settle());
    ASSERT_EQ(host_->shown().size(), 2u);
    EXPECT_EQ(host_->shown().back().time, t.record(3).timeUs);
    EXPECT_EQ(inst->PlayedTime(), t.record(3).timeUs);
    EXPECT_EQ(inst->stats().decoded, 4u);

    host_->Clear();
    ASSERT_EQ(inst->SetMode(kModeFast16), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs / 16 * 100));
    ASSERT_EQ(host_->CountPosts(kCodeEnd), 1);
    const InstanceStats st = inst->stats();
    EXPECT_EQ(st.decoded, 100u);
    EXPECT_EQ(st.skipped, 0u);
    EXPECT_EQ(st.cards, st.presented);
    const auto shown = host_->shown();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_LE(shown.size(), 100u * kFrameUs / 16 / (kScreenRefreshUs - kFrameUs / 16) + 2);
    for (size_t k = 1; k < shown.size(); k++) {
        // Each at its frame's time.
        EXPECT_EQ((shown[k].at - shown[0].at) * 16, static_cast<int64_t>(shown[k].time - shown[0].time));
        if (k + 1 < shown.size()) {
            EXPECT_LE(shown[k].at - shown[k - 1].at, kScreenRefreshUs);
            EXPECT_GT(shown[k].at - shown[k - 1].at, kScreenRefreshUs - kFrameUs / 16);
        }
    }
    EXPECT_EQ(shown.back().time, t.record(99).timeUs);
    EXPECT_EQ(inst->PlayedTime(), t.record(99).timeUs);
}

}  // namespace
}  // namespace vekplay
