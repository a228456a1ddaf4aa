// tests/vekplay/api_test.cpp
//
// The exported calls as the program makes them: handles (stale ones included),
// instance types, modes, the watermark switch, volumes, clips through the AVI
// writer and back through the file reader, and destroying while the render
// thread is inside the draw callback.
#include "vekplay/vekplay_api.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "tests/common/temp_dir.h"
#include "tests/common/wait_for.h"
#include "tests/vekplay/test_host.h"
#include "vekplay/play_file.h"
#include "vekplay/play_registry.h"

namespace vekplay {
namespace {

constexpr int64_t kFrameUs = 40000;

class ApiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetHost(host_);
        VekUseWaterMarkDecorder(0);
        VekPlayInitPlayLib(0, 0, 0);
    }
    void TearDown() override {
        VekPlayDeinitPlayLib();
        EXPECT_EQ(InstanceCount(), 0u);
        SetHost(nullptr);
    }
    static void Feed(VEKPLAY_HANDLE h, const test::TestFrames& t, size_t from, size_t to) {
        for (size_t n = from; n < to; n++)
            ASSERT_EQ(VekPlayInputNetFrame(h, t.frames[n].data(), static_cast<uint32_t>(t.frames[n].size())),
                      0);
    }
    VirtualClock& clock() { return host_->vclock(); }

    std::shared_ptr<test::TestHost> host_ = std::make_shared<test::TestHost>();
};

TEST_F(ApiTest, InstanceTypesAndHandles) {
    const VEKPLAY_HANDLE file = VekPlayCreatePlayInstance(0);
    const VEKPLAY_HANDLE stream = VekPlayCreatePlayInstance(1);
    const VEKPLAY_HANDLE master = VekPlayCreatePlayInstance(4);
    EXPECT_NE(file, 0u);
    EXPECT_NE(stream, 0u);
    EXPECT_NE(master, 0u);
    EXPECT_NE(file, stream);
    EXPECT_NE(stream, master);
    for (int type : {-1, 2, 3, 5, 99})
        EXPECT_EQ(VekPlayCreatePlayInstance(type), 0u) << type;
    EXPECT_EQ(InstanceCount(), 3u);

    EXPECT_EQ(VekPlayDestroyPlayInstance(stream), 0);
    EXPECT_EQ(VekPlayDestroyPlayInstance(stream), -1);
    const VEKPLAY_HANDLE again = VekPlayCreatePlayInstance(1);
    EXPECT_NE(again, stream) << "a destroyed handle is not given out again";
    EXPECT_EQ(InstanceCount(), 3u);
}

TEST_F(ApiTest, StaleHandlesFailSafely) {
    const VEKPLAY_HANDLE h = VekPlayCreatePlayInstance(1);
    ASSERT_EQ(VekPlayDestroyPlayInstance(h), 0);
    uint8_t frame[64] = {};
    uint64_t a = 1, b = 2;
    for (VEKPLAY_HANDLE stale : {h, VEKPLAY_HANDLE{0}, VEKPLAY_HANDLE{0xFFFFFFFF}}) {
        EXPECT_EQ(VekPlaySetPlayWnd(stale, nullptr), -1);
        EXPECT_EQ(VekPlaySetCallbackMessage(stale, nullptr, 1, 2), -1);
        EXPECT_EQ(VekPlayRegisterDrawFun(stale, nullptr, 0), -1);
        EXPECT_EQ(VekPlayStartPlay(stale), -1);
        EXPECT_EQ(VekPlayStopPlay(stale), -1);
        EXPECT_EQ(VekPlaySetPlayMode(stale, 1, 0), -1);
        EXPECT_EQ(VekPlayGetPlayMode(stale), -1);
        EXPECT_EQ(VekPlayInputNetFrame(stale, frame, sizeof frame), -1)
            << "not 'full': the caller would wait for a notice that never comes";
        EXPECT_EQ(VekPlayInputNetFrame(stale, nullptr, 0), -1);
        EXPECT_EQ(VekPlayOpenPlayFile(stale, "x.264"), -1);
        EXPECT_EQ(VekPlayClosePlayFile(stale), -1);
        EXPECT_EQ(VekPlayGetPlayFileTimeRange(stale, &a, &b), -1);
        EXPECT_EQ(VekPlayGetCurPlayedTime(stale), 0u);
        EXPECT_EQ(VekPlaySetCurPlayedTime(stale, 5), -1);
        EXPECT_EQ(VekPlayOpenSound(stale), -1);
        EXPECT_EQ(VekPlayCloseSound(stale), -1);
        EXPECT_EQ(VekPlaySetPlayVolume_s(stale, 5), -1);
        EXPECT_EQ(VekPlayGetPlayVolume_s(stale), -1);
        EXPECT_EQ(VekPlayCapturePicture(stale, "x.bmp"), -1);
        EXPECT_EQ(VekPlayStartlocalrecord(stale, "x.avi", 2, 0), -1);
        EXPECT_EQ(VekPlayStoplocalrecord(stale, &a, &b), -1);
        EXPECT_EQ(VekPlayAddSyncPlayInstance(stale, stale), -1);
        EXPECT_EQ(VekShowWaterMark(stale), 0);
        EXPECT_EQ(VekPlayDestroyPlayInstance(stale), -1);
    }
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 2u);
}

TEST_F(ApiTest, DeinitDestroysEverythingAndTheLibraryCanStartAgain) {
    const VEKPLAY_HANDLE master = VekPlayCreatePlayInstance(4);
    const VEKPLAY_HANDLE member = VekPlayCreatePlayInstance(1);
    ASSERT_EQ(VekPlayAddSyncPlayInstance(master, member), 0);
    const VEKPLAY_HANDLE file = VekPlayCreatePlayInstance(0);
    VekPlayStartPlay(master);
    EXPECT_EQ(VekPlayDeinitPlayLib(), 0);
    EXPECT_EQ(InstanceCount(), 0u);
    EXPECT_EQ(VekPlayStartPlay(file), -1);
    EXPECT_EQ(VekPlayGetPlayMode(member), -1);
    VekPlayInitPlayLib(0, 0, 0);
    EXPECT_NE(VekPlayCreatePlayInstance(1), 0u);
}

TEST_F(ApiTest, ModesSwitchesAndVolumes) {
    const VEKPLAY_HANDLE h = VekPlayCreatePlayInstance(1);
    EXPECT_EQ(VekPlayGetPlayMode(h), 2) << "stopped";
    EXPECT_EQ(VekPlayStartPlay(h), 0);
    EXPECT_EQ(VekPlayGetPlayMode(h), 1) << "starts at normal speed";
    for (int mode : {3, 0x30, 7, 6, 5, 4, 0x10, 0x11, 0x12, 0x13, 1}) {
        EXPECT_EQ(VekPlaySetPlayMode(h, mode, 0), 0);
        EXPECT_EQ(VekPlayGetPlayMode(h), mode);
    }
    EXPECT_EQ(VekPlaySetPlayMode(h, 2, 0), 0);
    EXPECT_EQ(VekPlayGetPlayMode(h), 1);
    for (int mode : {0, 8, 0x0F, 0x14, 0x31, -1})
        EXPECT_EQ(VekPlaySetPlayMode(h, mode, 0), -1) << mode;
    EXPECT_EQ(VekPlayGetPlayMode(h), 1);

    EXPECT_EQ(VekShowWaterMark(h), 0);
    VekUseWaterMarkDecorder(1);
    EXPECT_EQ(VekShowWaterMark(h), 1);
    VekUseWaterMarkDecorder(0);
    EXPECT_EQ(VekShowWaterMark(h), 0);

    EXPECT_EQ(VekPlaySetPlayVolume_s(h, 40), 0);
    EXPECT_EQ(VekPlayGetPlayVolume_s(h), 40);
    VekPlaySetPlayVolume_s(h, 250);
    EXPECT_EQ(VekPlayGetPlayVolume_s(h), 100);
    VekPlaySetPlayVolume_s(h, -3);
    EXPECT_EQ(VekPlayGetPlayVolume_s(h), 0);
    VekPlaySetPlayVolume(70);
    EXPECT_EQ(GlobalVolume(), 70);
    VekPlaySetPlayVolume(1000);
    EXPECT_EQ(GlobalVolume(), 100);

    const auto inst = FindInstance(h);
    EXPECT_FALSE(inst->sound());
    EXPECT_EQ(VekPlayOpenSound(h), 0);
    EXPECT_TRUE(inst->sound());
    EXPECT_EQ(VekPlayCloseSound(h), 0);
    EXPECT_FALSE(inst->sound());
}

TEST_F(ApiTest, ClipHoldsTheFramesPlayedFromTheNextKeyFrame) {
    const vektest::TempDir temp;
    const test::TestFrames t = test::MakeFrames(test::CardSpec(60, 10));
    const VEKPLAY_HANDLE h = VekPlayCreatePlayInstance(1);
    Feed(h, t, 0, 60);
    VekPlayStartPlay(h);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 5 - 1));  // 0..4 shown
    const std::string clip = temp.File("clip.mp4");
    ASSERT_EQ(VekPlayStartlocalrecord(h, clip.c_str(), 1, 0), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 25));  // 5..29 shown
    uint64_t first = 0, last = 0;
    ASSERT_EQ(VekPlayStoplocalrecord(h, &first, &last), 0);
    EXPECT_EQ(first, t.record(10).timeUs);
    EXPECT_EQ(last, t.record(29).timeUs);
    EXPECT_EQ(VekPlayStoplocalrecord(h, &first, &last), -1) << "no clip running";

    std::string why;
    auto file = PlayFile::Open(clip.c_str(), &why);
    ASSERT_TRUE(file) << why;
    EXPECT_EQ(file->kind(), FileKind::kAvi) << "a .mp4 name holds AVI data";
    ASSERT_EQ(file->count(), 20u);
    for (size_t k = 0; k < 20; k++) {
        Frame f;
        ASSERT_TRUE(file->Read(k, &f));
        EXPECT_EQ(f.bytes, t.frames[10 + k]) << k;
    }
    // The library's own file instance opens it too.
    const VEKPLAY_HANDLE player = VekPlayCreatePlayInstance(0);
    ASSERT_EQ(VekPlayOpenPlayFile(player, clip.c_str()), 0);
    ASSERT_EQ(VekPlayGetPlayFileTimeRange(player, &first, &last), 0);
    EXPECT_EQ(first, t.record(10).timeUs);
    EXPECT_EQ(last, t.record(29).timeUs);

    EXPECT_EQ(VekPlayStartlocalrecord(h, temp.File("no/such/dir/c.avi").c_str(), 2, 0), -1);
    EXPECT_EQ(VekPlayStartlocalrecord(h, nullptr, 2, 0), -1);
}

TEST_F(ApiTest, DestroyFinishesAClipInProgress) {
    const vektest::TempDir temp;
    const test::TestFrames t = test::MakeFrames(test::CardSpec(30, 10));
    const VEKPLAY_HANDLE h = VekPlayCreatePlayInstance(1);
    const std::string clip = temp.File("clip_destroy.avi");
    ASSERT_EQ(VekPlayStartlocalrecord(h, clip.c_str(), 2, 0), 0);
    Feed(h, t, 0, 30);
    VekPlayStartPlay(h);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 30));
    ASSERT_EQ(VekPlayDestroyPlayInstance(h), 0);
    std::string why;
    auto file = PlayFile::Open(clip.c_str(), &why);
    ASSERT_TRUE(file) << why;
    EXPECT_EQ(file->count(), 30u);
    // Finished properly: the writer's index is at the end.
    std::FILE* f = std::fopen(clip.c_str(), "rb");
    ASSERT_TRUE(f);
    std::vector<char> bytes(1 << 20);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("idx1"), std::string::npos);
}

struct CallbackState {
    std::atomic<VEKPLAY_HANDLE> handle{0};
    std::atomic<int> calls{0};
    std::atomic<int> watermarkOn{0};
};

void VEK_CALL CallingBack(VekPlayDC, int32_t, int32_t, uintptr_t user) {
    auto* s = reinterpret_cast<CallbackState*>(user);
    s->calls++;
    // What the program's overlay does: ask the library while it draws.
    // (While the instance is being destroyed its handle is already stale: 0.)
    s->watermarkOn += VekShowWaterMark(s->handle);
    VekPlayGetCurPlayedTime(s->handle);
    VekPlayGetPlayMode(s->handle);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

TEST_F(ApiTest, DestroyWhileTheDrawCallbackCallsTheLibraryDoesNotDeadlock) {
    SetHost(std::make_shared<test::TestHost>(false));  // real time
    VekUseWaterMarkDecorder(1);
    const test::TestFrames t = test::MakeFrames(test::CardSpec(500));
    for (int round = 0; round < 5; round++) {
        CallbackState state;
        const VEKPLAY_HANDLE h = VekPlayCreatePlayInstance(1);
        state.handle = h;
        ASSERT_EQ(VekPlayRegisterDrawFun(h, &CallingBack, reinterpret_cast<uintptr_t>(&state)), 0);
        for (const auto& f : t.frames)
            if (VekPlayInputNetFrame(h, f.data(), static_cast<uint32_t>(f.size())) != 0)
                break;
        VekPlaySetPlayMode(h, 0x13, 0);
        VekPlayStartPlay(h);
        ASSERT_TRUE(vektest::WaitFor([&] { return state.calls >= 3 + round; }))
            << "round " << round << ": the draw callback ran " << state.calls.load() << " times, not "
            << 3 + round;
        ASSERT_EQ(VekPlayDestroyPlayInstance(h), 0);
        const int calls = state.calls;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(state.calls, calls) << "no callback after destroy returned";
        EXPECT_GT(state.watermarkOn, 0);
    }
}

}  // namespace
}  // namespace vekplay
