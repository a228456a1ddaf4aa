// The play panes and the tool bar under Wine with the real libraries: VKFS.dll
// reads a generated recorder disk standing in for "\\.\PhysicalDrive4" and
// VekPlay.dll plays into a playback frame's four panes, driven through the
// tool bar's buttons, pane clicks and the time bar as a user drives them.
//
// The disk holds one two-minute recording per channel 0..3, all from 00:10:00
// of the same day, video only at 10 frames a second. Each frame is drawn as a
// card whose marker holds the frame's time, so a snapshot tells which frame
// a pane showed.
//
// With a GPS table the test fills, the frame's map grid exists and pane 0's
// map pane is told the track and the car (Wine has no HTML engine: its page
// bridge shows the statements instead of the page).
//
// Time is real here: every wait pumps messages until its condition holds,
// with a generous deadline; nothing asserts how long anything took.
//
// With VEK_PLAY_OUT (a Windows path) each test's snapshot and clip folders go
// to a folder of its name there and are kept, and the clip test leaves the
// source record beside them, for the AVI check of play_screenshots_test.py;
// the screenshot goes to VEK_SCREENSHOT_DIR.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "app/base/timebar_record.h"
#include "app/browse/file_list_model.h"
#include "app/map/map_view_win32.h"
#include "app/map/offset_db.h"
#include "app/messages.h"
#include "app/play/playback_frame_wnd.h"
#include "tests/app/play/play_windows_support.h"
#include "tests/gui/harness/script.h"
#include "tests/gui/harness/test_hooks.h"
#include "tests/vekplay/bmp_read.h"
#include "tests/vkfs/vkfs_test_support.h"
#include "tools/image_builder.h"
#include "tools/image_sink.h"
#include "vekplay/frame_card.h"
#include "vekplay/vekplay_api.h"
#include "vkfs/vkfs_api.h"

namespace {

namespace fs = std::filesystem;
using play_test::Pump;
using play_test::PumpFor;
using play_test::PumpUntil;

constexpr int kDrive = 4;
constexpr char kDrivePath[] = "\\\\.\\PhysicalDrive4";
constexpr int kPanes = 4;
constexpr int kRecordSeconds = 120;
constexpr uint64_t kFrameUs = 100000;  // 10 frames a second
constexpr DWORD kWait = 30000;         // a deadline, not an expectation

// Microseconds since 1970 of 2024-05-06 at h:m:s UTC (the recorder's clock; the
// tests run with TZ=UTC, so the panes show the same).
uint64_t DayMicros(int h, int m, int s) {
    using namespace std::chrono;
    const sys_seconds t = sys_days{year{2024} / 5 / 6} + hours{h} + minutes{m} + seconds{s};
    return static_cast<uint64_t>(t.time_since_epoch().count()) * 1000000u;
}

vektools::ImageSpec FourChannelDay() {
    vektools::ImageSpec recipe;
    recipe.scenario = "play-panes-four-channels";
    recipe.disk.version = 2;
    recipe.seed = 12;
    vektools::StreamParams video;
    video.fps = 10;
    video.gop = 10;
    video.iMin = 3000, video.iMax = 8000;
    video.pMin = 300, video.pMax = 1500;
    vektools::PartitionSpec part;
    part.fileCount = kPanes;
    for (int channel = 0; channel < kPanes; ++channel) {
        vektools::FileSpec file;
        file.position = static_cast<uint16_t>(channel);
        file.channel = static_cast<uint8_t>(channel);
        vektools::EventSpec event;
        event.start = vektools::Packed(2024, 5, 6, 0, 10, 0);
        event.end = vektools::AddSeconds(event.start, kRecordSeconds);
        event.stream = video;
        file.events.push_back(event);
        part.files.push_back(file);
    }
    recipe.partitions.push_back(part);
    return recipe;
}

// What a day search hands back, collected on its thread.
struct DayRecords {
    std::mutex mutex;
    std::vector<std::pair<int, FSRecordInfo>> records;  // (record index, record)
    bool done = false;

    static int VEK_CALL Callback(FSReaderKind, void* record, FSPlayParam* param) {
        auto* self = static_cast<DayRecords*>(param->user);
        std::lock_guard<std::mutex> lock(self->mutex);
        if (record == nullptr)
            self->done = true;
        else
            self->records.emplace_back(param->recordIndex, *static_cast<FSRecordInfo*>(record));
        return 0;
    }
    bool Done() {
        std::lock_guard<std::mutex> lock(mutex);
        return done;
    }
};

// The frame time a snapshot's card shows.
uint64_t MarkerOf(const std::string& path) {
    vekplay::test::BmpImage image;
    std::string why;
    EXPECT_TRUE(vekplay::test::ReadBmp(path, &image, &why)) << path << ": " << why;
    uint64_t time = 0;
    EXPECT_TRUE(vekplay::ReadCardMarker(image.pixels.data(), image.width, image.height, image.stride, &time))
        << path;
    return time;
}

// Every file under `folder` whose name starts with `prefix` and ends with `suffix`.
std::vector<fs::path> FilesUnder(const fs::path& folder,
                                 const std::string& prefix,
                                 const std::string& suffix) {
    std::vector<fs::path> found;
    std::error_code error;
    if (!fs::exists(folder, error))
        return found;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.rfind(prefix, 0) == 0 && name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The screen's pixels under a window, as they are (no repaint first: the
// panes' pictures are on the screen only), as a 24-bit bottom-up BMP.
bool SaveScreenOf(HWND window,
                  const std::string& path,
                  std::vector<COLORREF>* pixels,
                  int* width,
                  int* height) {
    RECT r;
    ::GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return false;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // bottom-up, as the file keeps it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory != nullptr && dib != nullptr && bits != nullptr) {
        const HGDIOBJ old = ::SelectObject(memory, dib);
        ok = ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != FALSE;
        ::GdiFlush();
        ::SelectObject(memory, old);
    }
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    if (ok) {
        const auto* p = static_cast<const uint8_t*>(bits);
        pixels->resize(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* px = p + stride * (h - 1 - y) + x * 3;
                (*pixels)[static_cast<size_t>(y) * w + x] = RGB(px[2], px[1], px[0]);
            }
        *width = w;
        *height = h;
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        file.bfSize = static_cast<DWORD>(file.bfOffBits + stride * h);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
        out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride * h));
        ok = out.good();
    }
    if (dib != nullptr)
        ::DeleteObject(dib);
    if (memory != nullptr)
        ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

// VekPlay starts once per process, as the program starts it, with the
// watermark decoder on so that the panes' logo shows when asked for.
class VekPlayLibrary : public ::testing::Environment {
  public:
    void SetUp() override {
        VekUseWaterMarkDecorder(1);
        VekPlayInitPlayLib(0, 0, 0);
    }
    void TearDown() override { VekPlayDeinitPlayLib(); }
};
const auto* const gLibrary = ::testing::AddGlobalTestEnvironment(new VekPlayLibrary);

class PanesOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* dosdevices = std::getenv("VEK_WINE_DOSDEVICES");
        ASSERT_NE(dosdevices, nullptr) << "run under scripts/wine-run, which names the prefix's dosdevices";
        image_ = std::string(dosdevices) + "\\physicaldrive" + std::to_string(kDrive);
        {
            vektools::FileSink sink(image_);
            std::string error;
            ASSERT_TRUE(vektools::BuildImage(FourChannelDay(), sink, nullptr, &error)) << error;
        }
        // A folder of the test's own for snapshots, clips and the library's log.
        const char* out = std::getenv("VEK_PLAY_OUT");
        const fs::path base =
            out != nullptr
                ? fs::path(out)
                : fs::temp_directory_path() / ("vek_play_panes_" + std::to_string(::GetCurrentProcessId()));
        folder_ = base / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        keepFolder_ = out != nullptr;
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        // The access library logs to the working folder.
        oldFolder_ = fs::current_path();
        fs::current_path(folder_);

        disk_ = FSAddDisk(nullptr, 128, kDrive, kDrivePath, nullptr);
        ASSERT_NE(disk_, 0u);
        DayRecords day;
        const int channels[kPanes] = {0, 1, 2, 3};
        FSSearchByDay(disk_, RecTime{24, 5, 6, 0, 0, 0}, RecTime{24, 5, 6, 23, 59, 59}, nullptr,
                      &DayRecords::Callback, &day, 0, channels);
        ASSERT_TRUE(PumpUntil([&] { return day.Done(); }, kWait));
        FSStopDaySearch(disk_);
        ASSERT_EQ(day.records.size(), static_cast<size_t>(kPanes));

        config_.m_mode = 1;
        config_.m_modeText = "Local";
        config_.m_diskHandle = disk_;
        config_.m_syncPlay = FALSE;
        config_.m_showWatermark = FALSE;
        config_.m_videoType = 1;  // ".avi"
        std::snprintf(config_.m_capturePath, sizeof config_.m_capturePath, "%s",
                      (folder_ / "capture").string().c_str());
        std::snprintf(config_.m_clipPath, sizeof config_.m_clipPath, "%s",
                      (folder_ / "clip").string().c_str());
        for (const auto& [index, record] : day.records)
            config_.m_paneRecords[record.channel][index] = record;
    }

    // The frame in its host, the rows filled as the recording list fills them.
    void Open() {
        ASSERT_TRUE(host_.Make(1100, 760));
        frame_.SetConfigAndSkin(&config_, &skin_);
        ASSERT_TRUE(frame_.Create(CDlgPlayback::IDD, &host_));
        frame_.MoveWindow(0, 0, 1100, 760);
        frame_.ShowWindow(SW_SHOW);
        for (int pane = 0; pane < kPanes; ++pane) {
            for (const auto& [index, record] : config_.m_paneRecords[pane]) {
                play::_recfile_info_t r;
                r.colour = 0xFFAA00;
                r.start = play::RecfileTimeFromRecTime(record.start);
                r.end = play::RecfileTimeFromRecTime(record.end);
                r.type = record.typeBit;
                TimeBar().AddRecord(pane, r);
            }
            g_diskPaneHasRecords[pane] = 1;
        }
        Tool().PostMessage(WM_RECORDS_CHANGED, 0, 0);
        Pump();
    }

    void TearDown() override {
        if (host_.m_hWnd != nullptr)
            host_.DestroyWindow();
        Pump();
        for (int& flag : g_diskPaneHasRecords)
            flag = 0;
        if (disk_ != 0) {
            EXPECT_EQ(FSRemoveDisk(disk_), 1);
        }
        if (!oldFolder_.empty())
            fs::current_path(oldFolder_);
        if (!image_.empty())
            ::DeleteFileA(image_.c_str());
        std::error_code error;
        if (!keepFolder_)
            fs::remove_all(folder_, error);
        for (const vekgui::TestHooks::Box& box : hooks_.boxes())
            ADD_FAILURE() << "message box: " << box.text;
    }

    CDlgPlaybackTool& Tool() { return frame_.m_dlgTool; }
    CDlgPlayWnd& Pane(int i) { return frame_.m_dlgVideo.m_panes[i]; }
    CVideoRecordTimeCtrl& TimeBar() { return frame_.m_dlgBar.m_timeBar; }
    std::string StateText() { return vekgui::WindowText(Tool().m_stateText); }
    bool Enabled(int id) { return ::IsWindowEnabled(::GetDlgItem(Tool(), id)) != FALSE; }

    // A user's click: only on an enabled button.
    void Click(int id) {
        ASSERT_TRUE(Enabled(id)) << "button " << id << " is disabled";
        vekgui::Click(Tool(), id);
        Pump();
    }
    // A click in the pane's video area selects it.
    void ClickPane(int i) {
        CRect area;
        Pane(i).m_videoArea.GetWindowRect(&area);
        Pane(i).ScreenToClient(&area);
        const LPARAM at = MAKELPARAM(area.CenterPoint().x, area.CenterPoint().y);
        Pane(i).SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        Pane(i).SendMessage(WM_LBUTTONUP, 0, at);
        Pump();
    }
    uint32_t Handle(int i) { return Pane(i).Controller().playHandle(); }
    uint64_t Played(int i) { return VekPlayGetCurPlayedTime(Handle(i)); }
    // Waits until pane i shows frames at or past `us`.
    bool PlayedReaches(int i, uint64_t us) {
        return PumpUntil([&] { return Handle(i) != 0 && Played(i) >= us; }, kWait);
    }
    // The time of a held picture, once it stays (a pause or step takes effect
    // on the render thread); a picture that never holds gives its last time.
    // With a `witness`, a pane that still plays, the picture stays only over
    // 400 ms in which the witness showed two more frames: a busy machine that
    // gave the render threads no turn does not pass for a held picture.
    uint64_t Settled(int i, int witness = -1) {
        uint64_t before = Played(i);
        for (int n = 0; n < 50; ++n) {
            const uint64_t seen = witness < 0 ? 0 : Played(witness);
            PumpFor(400);
            if (witness >= 0) {
                EXPECT_TRUE(PumpUntil([&] { return Played(witness) >= seen + 2 * kFrameUs; }, kWait))
                    << "pane " << witness << " no longer plays";
            }
            const uint64_t now = Played(i);
            if (now == before)
                break;
            before = now;
        }
        return before;
    }
    std::vector<fs::path> Snapshots(int pane) {
        return FilesUnder(folder_ / "capture" / "Local", "ch0" + std::to_string(pane + 1) + "-", ".bmp");
    }

    AppConfig config_;
    CPubSkin skin_;
    play_test::CTestHost host_;
    CDlgPlayback frame_;
    vekgui::TestHooks hooks_;
    FSDiskHandle disk_ = 0;
    std::string image_;
    fs::path folder_;
    fs::path oldFolder_;
    bool keepFolder_ = false;
};

TEST_F(PanesOnDisk, FourPanesPlayTheirTimeAdvancesAndTheyPauseStepAndStop) {
    Open();
    EXPECT_TRUE(Enabled(IDC_TOOL_PLAY_ALL));
    EXPECT_FALSE(Enabled(IDC_TOOL_PAUSE));
    Click(IDC_TOOL_PLAY_ALL);
    for (int i = 0; i < kPanes; ++i) {
        ASSERT_TRUE(Pane(i).IsPlaying()) << i;
        ASSERT_TRUE(PlayedReaches(i, DayMicros(0, 10, 0))) << "pane " << i << " shows nothing";
    }
    // The played time in the title advances once a second.
    for (int i = 0; i < kPanes; ++i) {
        ASSERT_TRUE(PumpUntil([&] { return Pane(i).TimeText().rfind("2024-05-06 00:10:", 0) == 0; }, kWait))
            << Pane(i).TimeText();
        const std::string first = Pane(i).TimeText();
        ASSERT_TRUE(PumpUntil([&] { return Pane(i).TimeText() > first; }, kWait)) << first;
        EXPECT_TRUE(TimeBar().Model().CursorShown(i)) << i;
    }
    EXPECT_EQ(StateText(), "1x");

    // Pause holds pane 0's picture; the others go on.
    Click(IDC_TOOL_PAUSE);
    EXPECT_EQ(StateText(), "Pause");
    EXPECT_EQ(VekPlayGetPlayMode(Handle(0)), 3);
    const uint64_t held = Settled(0, 1);
    const uint64_t other = Played(1);
    ASSERT_TRUE(PumpUntil([&] { return Played(1) > other; }, kWait));
    EXPECT_EQ(Played(0), held);

    // From play, each Next Frame shows exactly one more frame and holds.
    Click(IDC_TOOL_PLAY);
    ASSERT_TRUE(PumpUntil([&] { return Played(0) > held; }, kWait));
    Click(IDC_TOOL_NEXT_FRAME);
    EXPECT_EQ(StateText(), "Next Frame");
    EXPECT_FALSE(Enabled(IDC_TOOL_PAUSE));
    const uint64_t stepped = Settled(0, 1);
    Click(IDC_TOOL_NEXT_FRAME);
    ASSERT_TRUE(PumpUntil([&] { return Played(0) != stepped; }, kWait));
    EXPECT_EQ(Settled(0, 1), stepped + kFrameUs);

    // Stop ends pane 0 alone (the buttons then show it stopped); Stop All,
    // from a pane that plays, the rest.
    Click(IDC_TOOL_STOP);
    EXPECT_FALSE(Pane(0).IsPlaying());
    EXPECT_EQ(Handle(0), 0u);
    EXPECT_EQ(Pane(0).TimeText(), "0000-00-00 00:00:00");
    EXPECT_EQ(StateText(), "0x");
    EXPECT_TRUE(Enabled(IDC_TOOL_PLAY));
    EXPECT_FALSE(TimeBar().Model().CursorShown(0));
    EXPECT_FALSE(Enabled(IDC_TOOL_STOP_ALL));
    EXPECT_TRUE(Pane(1).IsPlaying());
    ClickPane(1);
    EXPECT_EQ(StateText(), "1x");
    Click(IDC_TOOL_STOP_ALL);
    for (int i = 0; i < kPanes; ++i)
        EXPECT_FALSE(Pane(i).IsPlaying()) << i;
    EXPECT_TRUE(frame_.m_dlgType.GetDlgItem(IDC_SYNC_PLAY)->IsWindowEnabled()) << "every pane stopped";
}

TEST_F(PanesOnDisk, ATimeBarClickSeeksAndTheNextSnapshotShowsAFrameAtOrAfterIt) {
    Open();
    Click(IDC_TOOL_PLAY);
    ASSERT_TRUE(PlayedReaches(0, DayMicros(0, 10, 0)));
    ASSERT_TRUE(PumpUntil([&] { return TimeBar().Model().CursorShown(0); }, kWait))
        << "the timer shows the cursor";

    // Zoomed in to five minutes a cell, a quarter into the cell of 00:10.
    while (TimeBar().Model().view().zoom < 5)
        TimeBar().SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    const play::TimebarView& view = TimeBar().Model().view();
    const int cell = view.cellWidth();
    const LPARAM at = MAKELPARAM(view.dayLeft() + 2 * cell + cell / 4, 25 + 18 / 2);
    TimeBar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    TimeBar().SendMessage(WM_LBUTTONUP, 0, at);
    const play::ClockTime clicked = TimeBar().Model().ClickedTime();
    const uint64_t target = DayMicros(clicked.hour, clicked.minute, clicked.second);
    ASSERT_GT(target, DayMicros(0, 10, 40)) << "the click lies well inside the recording";
    ASSERT_LT(target, DayMicros(0, 12, 0));
    Pump();  // the strip hands the seek to the pane

    ASSERT_TRUE(PlayedReaches(0, target)) << "no jump to the clicked time";
    Click(IDC_TOOL_CAPTURE);
    const auto shots = Snapshots(0);
    ASSERT_EQ(shots.size(), 1u);
    const uint64_t shown = MarkerOf(shots[0].string());
    EXPECT_GE(shown, target) << vekplay::FormatFrameTime(shown);
    EXPECT_LE(shown, DayMicros(0, 12, 0));
}

TEST_F(PanesOnDisk, AtSixteenTimesAPaneReachesTheEndAndStopsByItself) {
    Open();
    ClickPane(1);
    EXPECT_EQ(Tool().Controller().selectedPane(), 1);
    // A double click in the video area shows the pane alone.
    Pane(1).SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 40));
    ASSERT_TRUE(PumpUntil([&] { return frame_.m_dlgVideo.Grid().onePane(); }, kWait));
    EXPECT_TRUE(Pane(1).IsWindowVisible());
    EXPECT_FALSE(Pane(0).IsWindowVisible());
    Click(IDC_TOOL_PLAY);
    ASSERT_TRUE(PlayedReaches(1, DayMicros(0, 10, 0)));
    for (int press = 0; press < 4; ++press)
        Click(IDC_TOOL_SPEED_UP);
    EXPECT_EQ(StateText(), "16x");
    EXPECT_EQ(VekPlayGetPlayMode(Handle(1)), 0x13);
    ASSERT_TRUE(PumpUntil([&] { return !Pane(1).IsPlaying(); }, 4 * kWait)) << "the end never came";
    EXPECT_EQ(Handle(1), 0u);
    EXPECT_EQ(Pane(1).TimeText(), "0000-00-00 00:00:00");
    EXPECT_EQ(StateText(), "0x");
    EXPECT_TRUE(Enabled(IDC_TOOL_PLAY));
    EXPECT_FALSE(Enabled(IDC_TOOL_PAUSE));
    EXPECT_EQ(Tool().Controller().PaneMode(1), 2);
}

TEST_F(PanesOnDisk, SyncPlayKeepsTheFourChannelsWithinOneSecondOfEachOther) {
    config_.m_syncPlay = TRUE;
    Open();
    Click(IDC_TOOL_PLAY);
    ASSERT_TRUE(Tool().HasSyncMaster());
    EXPECT_FALSE(frame_.m_dlgType.GetDlgItem(IDC_SYNC_PLAY)->IsWindowEnabled());
    for (int i = 0; i < kPanes; ++i)
        ASSERT_TRUE(PlayedReaches(i, DayMicros(0, 10, 3))) << "pane " << i;
    EXPECT_TRUE(PumpUntil([&] { return TimeBar().Model().CommonCursorShown(); }, kWait));

    Click(IDC_TOOL_PAUSE);
    for (int i = 0; i < kPanes; ++i)
        Settled(i);
    std::vector<uint64_t> shown;
    for (int i = 0; i < kPanes; ++i) {
        ClickPane(i);
        Click(IDC_TOOL_CAPTURE);
        const auto shots = Snapshots(i);
        ASSERT_EQ(shots.size(), 1u) << "pane " << i;
        shown.push_back(MarkerOf(shots[0].string()));
    }
    const auto [low, high] = std::minmax_element(shown.begin(), shown.end());
    EXPECT_LE(*high - *low, 1000000u)
        << vekplay::FormatFrameTime(*low) << " .. " << vekplay::FormatFrameTime(*high);

    Click(IDC_TOOL_STOP);
    EXPECT_FALSE(Tool().HasSyncMaster());
    for (int i = 0; i < kPanes; ++i)
        EXPECT_FALSE(Pane(i).IsPlaying()) << i;
    EXPECT_TRUE(frame_.m_dlgType.GetDlgItem(IDC_SYNC_PLAY)->IsWindowEnabled());
}

TEST_F(PanesOnDisk, ASnapshotAndAClipAreWrittenUnderTheConfiguredFolders) {
    Open();
    Click(IDC_TOOL_PLAY);
    ASSERT_TRUE(PlayedReaches(0, DayMicros(0, 10, 1)));
    Click(IDC_TOOL_CAPTURE);
    const auto shots = Snapshots(0);
    ASSERT_EQ(shots.size(), 1u);
    const uint64_t shown = MarkerOf(shots[0].string());
    EXPECT_GE(shown, DayMicros(0, 10, 0));
    EXPECT_LT(shown, DayMicros(0, 12, 0));

    CBmpButton& clip = *Tool().Button(IDC_TOOL_VIDEO_CLIP);
    Click(IDC_TOOL_VIDEO_CLIP);
    EXPECT_TRUE(clip.GetCheckState()) << "a clip that started latches the button";
    const uint64_t from = Played(0);
    ASSERT_TRUE(PlayedReaches(0, from + 5000000));
    Click(IDC_TOOL_VIDEO_CLIP);
    EXPECT_FALSE(clip.GetCheckState());
    const auto clips = FilesUnder(folder_ / "clip" / "Local", "ch01-", ".avi");
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_GT(fs::file_size(clips[0]), 2048u);

    // The record the clip was cut from, for the AVI check outside.
    if (keepFolder_) {
        const vkfs::testing::BuiltImage& built = vkfs::testing::Built(FourChannelDay());
        const auto events = vkfs::testing::EventsOfChannel(built.manifest, 0);
        ASSERT_EQ(events.size(), 1u);
        const std::vector<uint8_t> bytes = vkfs::testing::RecordBytes(built, *events[0]);
        std::ofstream((folder_ / "ch01-record.264").string(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

// The track view. Nothing in the program fills the GPS table, so the test does:
// one fix a second over pane 0's recording, driving north-east, inside one
// cell of an offset database made here. Wine has no HTML engine, so each map
// pane's bridge shows the statements it runs instead of the page.
TEST_F(PanesOnDisk, TheMapPaneIsToldTheTrackAtRecordStartAndTheCarAsPlayAdvances) {
    const std::string db = (folder_ / "GoogleMapOffset.db").string();
    {
        sqlite3* made = nullptr;
        ASSERT_EQ(sqlite3_open(db.c_str(), &made), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(made,
                               "CREATE TABLE [min] (Lng TEXT, Lat TEXT, c TEXT, d TEXT);"
                               "INSERT INTO [min] VALUES ('22.5','113.9','0.25','0.5');",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(made);
    }
    ASSERT_EQ(g_offsetDb.OpenOffsetDb(db), 1) << g_offsetDb.LastError();
    ASSERT_EQ(g_offsetDb.LoadOffsetTable(), 1);
    struct CloseDb {
        ~CloseDb() { g_offsetDb.Close(); }
    } closeDb;

    config_.m_gps = 1;
    for (int s = 0; s < kRecordSeconds; ++s) {
        GpsRecord fix{};
        fix.Year = 24;
        fix.Month = 5;
        fix.Day = 6;
        fix.Minute = static_cast<uint8_t>(10 + s / 60);
        fix.Second = static_cast<uint8_t>(s % 60);
        fix.Latitude = 22.51 + s * 0.0002;
        fix.Longitude = 113.91 + s * 0.00025;
        fix.NorthSouth = 'N';
        fix.EastWest = 'E';
        fix.Speed = 36.5f;
        fix.Heading = 51.25f;
        fix.State = 1;
        config_.m_gpsTable.push_back(fix);
    }
    // What the page must be told of fix i: corrected by the one row.
    auto pair = [&](int i) {
        const GpsRecord& f = config_.m_gpsTable[static_cast<size_t>(i)];
        char text[96];
        std::snprintf(text, sizeof text, "%0.14f,%0.14f", f.Longitude + 0.5, f.Latitude + 0.25);
        return std::string(text);
    };
    auto car = [&](int i) {
        const GpsRecord& f = config_.m_gpsTable[static_cast<size_t>(i)];
        char text[160];
        std::snprintf(text, sizeof text, "SetCarPosition(\"%s,51.250000,36.50,1,2024-05-06--00:%02d:%02d\")",
                      pair(i).c_str(), f.Minute, f.Second);
        return std::string(text);
    };

    Open();
    CDlgMapWnd& map = frame_.m_dlgTrack.m_panes[0];
    ASSERT_NE(map.BridgeWindow(), nullptr);
    const auto* view = dynamic_cast<const track::CStatementMapView*>(map.m_dlgMap.View());
    ASSERT_NE(view, nullptr) << "without an HTML engine the statement view stands in";
    EXPECT_TRUE(map.m_dlgMap.PageLoaded());
    EXPECT_EQ(view->Url().rfind(L"file:///", 0), 0u);
    EXPECT_NE(view->Url().find(L"\\GoogleMap\\MapIndex.html"), std::wstring::npos);
    const auto& said = view->Statements();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0], "SetLanguage(\"256\")");

    Click(IDC_TOOL_PLAY);
    auto reached = [&](int fix) {
        for (int i = fix; i < kRecordSeconds; ++i)
            if (std::find(said.begin(), said.end(), car(i)) != said.end())
                return true;
        return false;
    };
    ASSERT_TRUE(PumpUntil([&] { return reached(4); }, kWait)) << said.back();
    ASSERT_TRUE(map.TimeText().Find("2024-05-06 00:10:") == 0) << map.TimeText().GetString();
    Click(IDC_TOOL_STOP);
    Pump();
    EXPECT_EQ(map.TimeText(), CString("0000-00-00 00:00:00"));

    // The track when the record starts...
    std::string path;
    for (int i = 0; i < kRecordSeconds; ++i)
        path += (i > 0 ? "," : "") + pair(i);
    const std::vector<std::string> start = {
        "SetLanguage(\"256\")",
        "clearMarker()",
        "clearCarPath()",
        "InitCarPos()",
        "addMarker(\"" + pair(0) + ",0\")",
        car(0),
        "addMarker(\"" + pair(kRecordSeconds - 1) + ",1\")",
        "drawCarPath(\"" + path + "\")",
    };
    ASSERT_GT(said.size(), start.size() + 3);
    for (size_t i = 0; i < start.size(); ++i)
        EXPECT_EQ(said[i], start[i]) << i;
    // ...then the car, once a second, at the fix of the played second...
    int last = -1;
    size_t cars = 0;
    for (size_t i = start.size(); i + 3 < said.size(); ++i) {
        int at = -1;
        for (int fix = std::max(last, 0); fix < kRecordSeconds && at < 0; ++fix)
            at = said[i] == car(fix) ? fix : -1;
        ASSERT_GE(at, 0) << "not a car position of a fix at or after the last: " << said[i];
        last = at;
        ++cars;
    }
    EXPECT_GE(cars, 3u);
    EXPECT_GE(last, 4);
    // ...and nothing drawn once play stops.
    const std::vector<std::string> stop(said.end() - 3, said.end());
    EXPECT_EQ(stop, (std::vector<std::string>{"clearMarker()", "clearCarPath()", "InitCarPos()"}));
}

TEST_F(PanesOnDisk, ScreenshotOfFourPanesPlaying) {
    config_.m_showWatermark = TRUE;
    Open();
    Click(IDC_TOOL_PLAY_ALL);
    for (int i = 0; i < kPanes; ++i)
        ASSERT_TRUE(PlayedReaches(i, DayMicros(0, 10, 2))) << "pane " << i;
    EXPECT_EQ(StateText(), "1x");
    // The time bar at its closest, where the recordings and cursors show.
    while (TimeBar().Model().view().zoom < 5)
        TimeBar().SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    Pump();
    // Every pane has drawn a new picture since the last paint.
    std::vector<uint64_t> at;
    for (int i = 0; i < kPanes; ++i)
        at.push_back(Played(i));
    for (int i = 0; i < kPanes; ++i)
        ASSERT_TRUE(PumpUntil([&] { return Played(i) > at[i]; }, kWait));

    const char* dir = std::getenv("VEK_SCREENSHOT_DIR");
    const fs::path out = dir != nullptr ? fs::path(dir) : folder_;
    fs::create_directories(out);
    std::vector<COLORREF> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(SaveScreenOf(frame_, (out / "play_panes.bmp").string(), &pixels, &width, &height));
    // Each video area shows a card (light text and marker cells), and the
    // logo's faint grey lies over all of it: the marker's black cells are
    // lifted off black.
    for (int i = 0; i < kPanes; ++i) {
        const play::PixelRect area = play_test::RectIn(frame_, Pane(i).m_videoArea);
        int light = 0, black = 0, lifted = 0;
        for (int y = area.y; y < area.y + area.height && y < height; ++y)
            for (int x = area.x; x < area.x + area.width && x < width; ++x) {
                const COLORREF c = pixels[static_cast<size_t>(y) * width + x];
                const int brightest = std::max({GetRValue(c), GetGValue(c), GetBValue(c)});
                light += GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200;
                black += c == RGB(0, 0, 0);
                lifted += brightest > 0 && brightest < 0x20;
            }
        EXPECT_GT(light, 100) << "pane " << i << " shows no card";
        EXPECT_EQ(black, 0) << "pane " << i << ": no watermark over the picture";
        EXPECT_GT(lifted, 100) << "pane " << i << ": no marker cells under the watermark";
    }
    Click(IDC_TOOL_STOP_ALL);
}

}  // namespace
