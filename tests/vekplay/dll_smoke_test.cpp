// tests/vekplay/dll_smoke_test.cpp
//
// VekPlay.dll under Wine, called the way the program calls it: instances on a
// real window, notices arriving as posted messages in this thread's queue,
// pictures drawn with GDI into the window, snapshots, clips, real H.264, and
// destroy joining the render thread. Time is real here, so every wait has a
// deadline and the test pumps messages while it waits, as the GUI thread would.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/common/temp_dir.h"
#include "tests/vekplay/bmp_read.h"
#include "tools/framestream.h"
#include "tools/h264_split.h"
#include "vekplay/frame_card.h"
#include "vekplay/play_file.h"
#include "vekplay/vekplay_api.h"

namespace {

constexpr UINT kNotifyMessage = WM_APP + 11;
constexpr uintptr_t kUser = 0x5150;
const std::string kFixtures = VEKPLAY_TEST_FIXTURES;

struct Notice {
    WPARAM code;
    LPARAM user;
};
std::vector<Notice> gNotices;

LRESULT CALLBACK PlayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kNotifyMessage) {
        gNotices.push_back({wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int CountNotices(WPARAM code) {
    int n = 0;
    for (const Notice& x : gNotices)
        n += x.code == code;
    return n;
}

// Pumps this thread's messages until `done` or `timeoutMs`.
template <typename Done>
bool PumpUntil(Done&& done, DWORD timeoutMs = 30000) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

struct DrawState {
    std::atomic<int> calls{0};
    std::atomic<bool> hadDc{false};
    std::atomic<int> width{0}, height{0};
    std::atomic<int> watermark{-1};
    std::atomic<DWORD> thread{0};
    std::atomic<int> sleepMs{0};
    VEKPLAY_HANDLE handle = 0;
};

void VEK_CALL OnDraw(HDC dc, int32_t width, int32_t height, uintptr_t user) {
    auto* s = reinterpret_cast<DrawState*>(user);
    s->hadDc = dc != nullptr;
    s->width = width;
    s->height = height;
    s->thread = GetCurrentThreadId();
    s->watermark = VekShowWaterMark(s->handle);
    // An overlay, as the program's logo: a white block at the top left.
    RECT r{0, 0, 4, 4};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (s->sleepMs)
        Sleep(static_cast<DWORD>(s->sleepMs.load()));
    s->calls++;
}

std::vector<std::vector<uint8_t>> WholeFrames(const vektools::Stream& s) {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& f : s.frames)
        out.emplace_back(s.bytes.begin() + static_cast<long>(f.offset),
                         s.bytes.begin() + static_cast<long>(f.offset + 40 + f.size));
    return out;
}

vektools::StreamSpec CardSpec(uint32_t frames) {
    vektools::StreamSpec recipe;
    recipe.startUs = 1709640000000000ULL;
    recipe.videoFrames = frames;
    recipe.gop = 25;
    recipe.iMin = 600;
    recipe.iMax = 900;
    recipe.pMin = 100;
    recipe.pMax = 300;
    return recipe;
}

class DllSmokeTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlayWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VekPlaySmokeWindow";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        RegisterClassA(&wc);
        VekUseWaterMarkDecorder(1);
        VekPlayInitPlayLib(0, 0, 0);
    }
    static void TearDownTestSuite() { VekPlayDeinitPlayLib(); }

    void SetUp() override {
        gNotices.clear();
        // Topmost and off to the side: the test reads its pixels back, and other
        // GUI tests may open windows on the same desktop meanwhile.
        window_ = CreateWindowExA(WS_EX_TOPMOST, "VekPlaySmokeWindow", "VekPlay smoke",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 820, 640, 420, 340, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        // Its first paint (the black background) comes before any picture.
        ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(window_, nullptr, FALSE); }, 10000))
            << "the play window never painted";
    }
    void TearDown() override { DestroyWindow(window_); }

    VEKPLAY_HANDLE MakeStream() {
        const VEKPLAY_HANDLE h = VekPlayCreatePlayInstance(1);
        EXPECT_NE(h, 0u);
        EXPECT_EQ(VekPlaySetPlayWnd(h, window_), 0);
        EXPECT_EQ(VekPlaySetCallbackMessage(h, window_, kNotifyMessage, kUser), 0);
        return h;
    }

    // Feeds every frame as the program's data callbacks do: a refused frame is
    // offered again after code 1 arrives. Returns the refusals.
    int FeedWithFlowControl(VEKPLAY_HANDLE h, const std::vector<std::vector<uint8_t>>& frames) {
        int refusals = 0;
        for (size_t n = 0; n < frames.size();) {
            const int32_t rc =
                VekPlayInputNetFrame(h, frames[n].data(), static_cast<uint32_t>(frames[n].size()));
            if (static_cast<uint32_t>(rc) == VEKPLAY_INPUT_FULL) {
                const int wanted = CountNotices(VEKPLAY_NOTIFY_WANT_DATA);
                refusals++;
                EXPECT_TRUE(PumpUntil([&] { return CountNotices(VEKPLAY_NOTIFY_WANT_DATA) > wanted; }));
                continue;
            }
            EXPECT_EQ(rc, 0);
            n++;
        }
        return refusals;
    }

    std::string Temp(const char* name) { return temp_.File(name); }

    HWND window_ = nullptr;
    vektest::TempDir temp_;
};

TEST_F(DllSmokeTest, StreamAtX16EndsWithCode11AndItsSnapshotMarkerIsAFrameTime) {
    const vektools::Stream s = vektools::BuildStream(CardSpec(250));
    const auto frames = WholeFrames(s);
    const VEKPLAY_HANDLE h = MakeStream();
    DrawState draw;
    draw.handle = h;
    ASSERT_EQ(VekPlayRegisterDrawFun(h, &OnDraw, reinterpret_cast<uintptr_t>(&draw)), 0);
    ASSERT_EQ(VekPlayStartPlay(h), 0);
    ASSERT_EQ(VekPlaySetPlayMode(h, 0x13, 0), 0);
    const int refusals = FeedWithFlowControl(h, frames);
    ASSERT_EQ(VekPlayInputNetFrame(h, nullptr, 0), 0);
    ASSERT_TRUE(PumpUntil([] { return CountNotices(VEKPLAY_NOTIFY_END) > 0; }));
    EXPECT_EQ(CountNotices(VEKPLAY_NOTIFY_WANT_DATA), refusals) << "one code 1 per refusal";
    for (const Notice& n : gNotices)
        EXPECT_EQ(n.user, static_cast<LPARAM>(kUser));
    EXPECT_EQ(VekPlayGetCurPlayedTime(h), s.frames.back().timeUs);

    // The draw callback ran on the render thread with the window's memory DC.
    EXPECT_GT(draw.calls, 0);
    EXPECT_TRUE(draw.hadDc);
    EXPECT_NE(draw.thread, GetCurrentThreadId());
    EXPECT_EQ(draw.watermark, 1);
    RECT client{};
    GetClientRect(window_, &client);
    EXPECT_EQ(draw.width, client.right);
    EXPECT_EQ(draw.height, client.bottom);

    // The window shows the card, overlay included.
    HDC dc = GetDC(window_);
    const COLORREF overlay = GetPixel(dc, 1, 1);
    const COLORREF ground = GetPixel(dc, client.right - 5, client.bottom - 5);
    ReleaseDC(window_, dc);
    EXPECT_EQ(overlay, RGB(255, 255, 255));
    EXPECT_NEAR(GetRValue(ground), 0x28, 8);
    EXPECT_NEAR(GetGValue(ground), 0x30, 8);
    EXPECT_NEAR(GetBValue(ground), 0x40, 8);

    const std::string snap = Temp("vekplay_smoke.bmp");
    ASSERT_EQ(VekPlayCapturePicture(h, snap.c_str()), 0);
    vekplay::test::BmpImage image;
    std::string why;
    ASSERT_TRUE(vekplay::test::ReadBmp(snap, &image, &why)) << why;
    uint64_t time = 0;
    ASSERT_TRUE(vekplay::ReadCardMarker(image.pixels.data(), image.width, image.height, image.stride, &time));
    EXPECT_GE(time, s.frames.front().timeUs);
    EXPECT_LE(time, s.frames.back().timeUs);
    EXPECT_EQ(time, VekPlayGetCurPlayedTime(h));
    EXPECT_EQ(VekPlayCapturePicture(h, "Z:\\no\\such\\folder\\x.bmp"), -1);
    EXPECT_EQ(VekPlayDestroyPlayInstance(h), 0);
}

TEST_F(DllSmokeTest, FullInputRefusesAndCode1FollowsOnceItDrains) {
    const vektools::Stream s = vektools::BuildStream(CardSpec(400));
    const auto frames = WholeFrames(s);
    const VEKPLAY_HANDLE h = MakeStream();
    // Not started: nothing drains, so the input fills (five seconds of video).
    size_t taken = 0;
    int32_t rc = 0;
    while (taken < frames.size() &&
           (rc = VekPlayInputNetFrame(h, frames[taken].data(),
                                      static_cast<uint32_t>(frames[taken].size()))) == 0)
        taken++;
    EXPECT_EQ(static_cast<uint32_t>(rc), VEKPLAY_INPUT_FULL);
    EXPECT_LT(taken, frames.size());
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(CountNotices(VEKPLAY_NOTIFY_WANT_DATA), 0);

    VekPlaySetPlayMode(h, 0x13, 0);
    VekPlayStartPlay(h);
    ASSERT_TRUE(PumpUntil([] { return CountNotices(VEKPLAY_NOTIFY_WANT_DATA) > 0; }));
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(CountNotices(VEKPLAY_NOTIFY_WANT_DATA), 1);
    // The refused frame, offered again, is taken.
    EXPECT_EQ(VekPlayInputNetFrame(h, frames[taken].data(), static_cast<uint32_t>(frames[taken].size())), 0);
    EXPECT_EQ(VekPlayDestroyPlayInstance(h), 0);
}

TEST_F(DllSmokeTest, ClipReopensWithTheFileReaderAndHoldsTheFramesShown) {
    const vektools::Stream s = vektools::BuildStream(CardSpec(100));
    const auto frames = WholeFrames(s);
    const VEKPLAY_HANDLE h = MakeStream();
    const std::string clip = Temp("vekplay_smoke_clip.mp4");
    ASSERT_EQ(VekPlayStartlocalrecord(h, clip.c_str(), 1, 0), 0);
    VekPlaySetPlayMode(h, 0x13, 0);
    VekPlayStartPlay(h);
    FeedWithFlowControl(h, frames);
    VekPlayInputNetFrame(h, nullptr, 0);
    ASSERT_TRUE(PumpUntil([] { return CountNotices(VEKPLAY_NOTIFY_END) > 0; }));
    uint64_t first = 0, last = 0;
    ASSERT_EQ(VekPlayStoplocalrecord(h, &first, &last), 0);
    EXPECT_EQ(first, s.frames.front().timeUs);
    EXPECT_EQ(last, s.frames.back().timeUs);

    // Through the library's own file instance...
    const VEKPLAY_HANDLE player = VekPlayCreatePlayInstance(0);
    ASSERT_EQ(VekPlayOpenPlayFile(player, clip.c_str()), 0);
    uint64_t a = 0, b = 0;
    ASSERT_EQ(VekPlayGetPlayFileTimeRange(player, &a, &b), 0);
    EXPECT_EQ(a, first);
    EXPECT_EQ(b, last);
    EXPECT_EQ(VekPlayDestroyPlayInstance(player), 0);
    // ...and frame for frame through the reader.
    std::string why;
    auto file = vekplay::PlayFile::Open(clip.c_str(), &why);
    ASSERT_TRUE(file) << why;
    ASSERT_EQ(file->count(), frames.size());
    for (size_t k = 0; k < frames.size(); k++) {
        vekplay::Frame f;
        ASSERT_TRUE(file->Read(k, &f));
        EXPECT_EQ(f.bytes, frames[k]) << k;
    }
    file.reset();
    EXPECT_EQ(VekPlayDestroyPlayInstance(h), 0);
}

std::vector<uint8_t> Reference(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%03d.bgr", n);
    std::ifstream in(kFixtures + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void ExpectSnapshotNear(const std::string& path, int n) {
    vekplay::test::BmpImage image;
    std::string why;
    ASSERT_TRUE(vekplay::test::ReadBmp(path, &image, &why)) << why;
    const std::vector<uint8_t> ref = Reference(n);
    ASSERT_EQ(ref.size(), image.pixels.size()) << "frame " << n;
    int worst = 0;
    double sum = 0;
    for (size_t i = 0; i < ref.size(); i++) {
        const int d = std::abs(ref[i] - image.pixels[i]);
        worst = std::max(worst, d);
        sum += d;
    }
    EXPECT_LE(worst, 6) << "frame " << n;
    EXPECT_LT(sum / static_cast<double>(ref.size()), 1.0) << "frame " << n;
}

TEST_F(DllSmokeTest, RealVideoPlaysAndASeekShowsTheFrameFfmpegDecodes) {
    std::vector<uint8_t> h264;
    std::string error;
    ASSERT_TRUE(vektools::ReadWholeFile(kFixtures + "/stream.h264", &h264, &error)) << error;
    const std::vector<vektools::AccessUnit> units = vektools::SplitAccessUnits(h264.data(), h264.size());
    vektools::StreamSpec recipe = CardSpec(static_cast<uint32_t>(units.size()));
    recipe.accessUnits = &units;
    vektools::FindPictureSize(units, &recipe.width, &recipe.height);
    const vektools::Stream s = vektools::BuildStream(recipe);

    // As a stream at x16 to its end.
    const VEKPLAY_HANDLE h = MakeStream();
    VekPlaySetPlayMode(h, 0x13, 0);
    VekPlayStartPlay(h);
    FeedWithFlowControl(h, WholeFrames(s));
    VekPlayInputNetFrame(h, nullptr, 0);
    ASSERT_TRUE(PumpUntil([] { return CountNotices(VEKPLAY_NOTIFY_END) > 0; }));
    const std::string snap = Temp("vekplay_smoke_real.bmp");
    ASSERT_EQ(VekPlayCapturePicture(h, snap.c_str()), 0);
    ExpectSnapshotNear(snap, 99);
    EXPECT_EQ(VekPlayDestroyPlayInstance(h), 0);

    // As a file, seeking to a delta frame.
    const std::string path = Temp("vekplay_smoke_real.264");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(s.bytes.data()),
                  static_cast<std::streamsize>(s.bytes.size()));
    }
    const VEKPLAY_HANDLE player = VekPlayCreatePlayInstance(0);
    VekPlaySetPlayWnd(player, window_);
    VekPlaySetCallbackMessage(player, window_, kNotifyMessage, kUser);
    ASSERT_EQ(VekPlayOpenPlayFile(player, path.c_str()), 0);
    ASSERT_EQ(VekPlaySetCurPlayedTime(player, s.frames[37].timeUs), 0);
    ASSERT_TRUE(PumpUntil([&] { return VekPlayGetCurPlayedTime(player) == s.frames[37].timeUs; }, 10000));
    ASSERT_EQ(VekPlayCapturePicture(player, snap.c_str()), 0);
    ExpectSnapshotNear(snap, 37);
    EXPECT_EQ(VekPlayDestroyPlayInstance(player), 0);
}

TEST_F(DllSmokeTest, SoundSwitchesAndVolumesWithOrWithoutASoundDevice) {
    vektools::StreamSpec recipe = CardSpec(25);
    recipe.audio = true;
    recipe.audioParams = vektools::AudioParams{8000, 1, 8, 164, 1, 1};  // G.711 A-law
    const vektools::Stream s = vektools::BuildStream(recipe);
    const VEKPLAY_HANDLE h = MakeStream();
    EXPECT_EQ(VekPlayOpenSound(h), 0);
    EXPECT_EQ(VekPlaySetPlayVolume_s(h, 35), 0);
    EXPECT_EQ(VekPlayGetPlayVolume_s(h), 35);
    EXPECT_EQ(VekPlaySetPlayVolume(80), 0);
    VekPlayStartPlay(h);
    FeedWithFlowControl(h, WholeFrames(s));
    VekPlayInputNetFrame(h, nullptr, 0);
    // One second at normal speed, with sound (a prefix without audio drivers
    // has no device: the sound is dropped and play goes on).
    ASSERT_TRUE(PumpUntil([] { return CountNotices(VEKPLAY_NOTIFY_END) > 0; }, 10000));
    EXPECT_EQ(VekPlayGetCurPlayedTime(h), recipe.startUs + 24 * 40000) << "the last video frame";
    EXPECT_EQ(VekPlayCloseSound(h), 0);
    EXPECT_EQ(VekPlayDestroyPlayInstance(h), 0);
}

TEST_F(DllSmokeTest, AfterDestroyNoCallbackRunsAndNothingIsPosted) {
    const vektools::Stream s = vektools::BuildStream(CardSpec(600));
    const auto frames = WholeFrames(s);
    for (int round = 0; round < 3; round++) {
        const VEKPLAY_HANDLE h = MakeStream();
        DrawState draw;
        draw.handle = h;
        draw.sleepMs = 3;
        VekPlayRegisterDrawFun(h, &OnDraw, reinterpret_cast<uintptr_t>(&draw));
        for (const auto& f : frames)
            if (VekPlayInputNetFrame(h, f.data(), static_cast<uint32_t>(f.size())) != 0)
                break;
        VekPlaySetPlayMode(h, 0x13, 0);
        VekPlayStartPlay(h);
        ASSERT_TRUE(PumpUntil([&] { return draw.calls > 5; }));
        ASSERT_EQ(VekPlayDestroyPlayInstance(h), 0);
        const int calls = draw.calls;
        // What was posted before destroy returned may still be queued: take it.
        PumpUntil([] { return false; }, 50);
        const size_t notices = gNotices.size();
        PumpUntil([] { return false; }, 300);
        EXPECT_EQ(draw.calls, calls);
        EXPECT_EQ(gNotices.size(), notices);
        EXPECT_EQ(VekPlayStartPlay(h), -1) << "the handle is stale now";
    }
}

}  // namespace
