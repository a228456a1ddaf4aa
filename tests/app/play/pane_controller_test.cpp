// tests/app/play/pane_controller_test.cpp
#include "app/play/pane_controller.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/base/capture_names.h"
#include "app/base/play_speed.h"
#include "tests/app/play/play_fakes.h"

namespace {

using namespace playtest;
using Calls = std::vector<std::string>;

constexpr uint64_t kMarch1 = 1709251200ull * 1000000;  // 2024-03-01 00:00:00 UTC in microseconds
constexpr uint64_t kHour = 3600ull * 1000000;

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

class Pane : public testing::Test {
  protected:
    Pane() { rig.AddRecord(0); }
    PaneController& pane0() { return rig.pane(0); }
    void Deliver(const std::string& frame) {
        rig.disk.sink[0]->OnDiskData(Bytes(frame), static_cast<int>(frame.size()));
    }
    void Notify(int code) { pane0().OnPlayLibMessage(code, pane0().UserWord()); }

    PlayRig rig;
};

TEST_F(Pane, DiskPlayStartsTheInstanceBeforeTheFirstKeyFrameArrives) {
    rig.disk.firstFrame = "I1";
    pane0().PlayCtrl(kPlayCommand, false);
    EXPECT_EQ(rig.log.calls, (Calls{"Create(1)=101", "SetPlayWnd(101)", "SetCallbackMessage(101)",
                                    "StartPlay(101)", "RegisterDrawFun(101)", "FSPlay(disk 7,slot 0)",
                                    "Input(101)", "Cursor(0,00:00:00)", "ShowCursor(0)"}));
    EXPECT_EQ(rig.player.inputs[101], Calls{"I1"});
    EXPECT_EQ(rig.player.users[101], pane0().UserWord());
    EXPECT_TRUE(pane0().playing());
    EXPECT_EQ(pane0().playMode(), kModeNormal);
    EXPECT_EQ(rig.toolbarView.stateText, "1x");
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "12 13 14 15 17 21 18 19 24");  // state 2, in sync
    EXPECT_TRUE(rig.paneViews[0].timer);
    EXPECT_FALSE(rig.paneViews[0].idle);
}

TEST_F(Pane, PlayPausePlayResumesWithModeOneOnly) {
    pane0().PlayCtrl(kPlayCommand, false);
    pane0().PlayCtrl(kPauseCommand, false);
    EXPECT_EQ(rig.toolbarView.stateText, "s128");
    pane0().PlayCtrl(kPlayCommand, false);
    EXPECT_EQ(rig.log.Count("StartPlay(101)"), 1);
    EXPECT_EQ(rig.log.Count("Create(1)=101"), 1);
    EXPECT_EQ(rig.player.modes[101], (std::vector<int>{kModePause, kModeNormal}));
    EXPECT_EQ(rig.toolbarView.stateText, "1x");
    pane0().PlayCtrl(kNextFrameCommand, false);
    EXPECT_EQ(rig.player.modes[101].back(), kModeStep);
    EXPECT_EQ(rig.toolbarView.stateText, "s132");
}

TEST_F(Pane, CommandsOnAnIdlePaneDoNothing) {
    for (int command : {kStopCommand, kPauseCommand, kNextFrameCommand})
        pane0().PlayCtrl(command, false);
    pane0().SeekPlay();
    pane0().SetPlaySpeed();
    pane0().UpdatePlayTime();
    EXPECT_TRUE(rig.log.calls.empty());
}

TEST_F(Pane, StopTearsDownInOrderAndResetsTheToolbar) {
    rig.maps.withWindows = true;
    pane0().PlayCtrl(kPlayCommand, false);
    rig.log.Clear();
    pane0().PlayCtrl(kStopCommand, false);
    EXPECT_EQ(rig.log.calls,
              (Calls{"FSStopPlay(disk 7,slot 0)", "Sleep(200)", "StopPlay(101)", "CloseSound(101)",
                     "Destroy(101)", "HideCursor(0)", "MapClear(0)", "MapText(0,0000-00-00 00:00:00)"}));
    EXPECT_EQ(rig.toolbarView.stateText, "0x");
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "11 23");
    EXPECT_EQ(rig.toolbar->PaneMode(0), kModeStopped);
    EXPECT_FALSE(pane0().playing());
    EXPECT_EQ(pane0().playHandle(), 0u);
    EXPECT_EQ(rig.paneViews[0].timeText, kNoTimeText);
    EXPECT_TRUE(rig.paneViews[0].idle);
    EXPECT_FALSE(rig.paneViews[0].timer);
}

TEST_F(Pane, SyncMemberStartsPausedAndStopsWithoutStopCallOrTexts) {
    pane0().PlayCtrl(kPlayCommand, true);
    EXPECT_FALSE(rig.log.Has("StartPlay(101)"));
    EXPECT_TRUE(rig.log.Has("Cursor(common,00:00:00)"));
    EXPECT_TRUE(pane0().syncStarted());
    rig.toolbarView.stateText = "unchanged";
    rig.log.Clear();
    pane0().PlayCtrl(kStopCommand, true);
    EXPECT_TRUE(rig.log.Has("Destroy(101)"));
    EXPECT_FALSE(rig.log.Has("StopPlay(101)"));
    EXPECT_TRUE(rig.log.Has("HideCursor(common)"));
    EXPECT_EQ(rig.toolbarView.stateText, "unchanged");
    EXPECT_FALSE(pane0().syncStarted());
}

TEST_F(Pane, AnInstanceThatCannotBeMadeStartsNothing) {
    rig.player.failCreate = {kStreamInstance};
    pane0().PlayCtrl(kPlayCommand, false);
    EXPECT_FALSE(rig.log.Has("FSPlay(disk 7,slot 0)"));
    EXPECT_FALSE(pane0().playing());
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "11 23");
}

TEST_F(Pane, EndOfStreamStopsALonePaneButNotASyncMember) {
    pane0().PlayCtrl(kPlayCommand, false);
    pane0().OnPlayLibMessage(kNotifyEnd, 0);  // no pane given: ignored
    EXPECT_TRUE(pane0().playing());
    Notify(kNotifyEnd);
    EXPECT_FALSE(pane0().playing());

    rig.AddRecord(1);
    rig.pane(1).PlayCtrl(kPlayCommand, true);
    rig.pane(1).OnPlayLibMessage(kNotifyEnd, rig.pane(1).UserWord());
    EXPECT_TRUE(rig.pane(1).playing());
}

// A refused frame is kept and offered again before delivery resumes.
TEST_F(Pane, RefusedFramesAreOfferedAgainInOrderBeforeDeliveryResumes) {
    pane0().PlayCtrl(kPlayCommand, false);
    Deliver("I1");
    rig.player.refuseNext = 1;
    Deliver("P2");
    EXPECT_EQ(rig.log.calls.back(), "FSRequestData(slot 0,0)");
    Deliver("P3");  // a source that keeps sending queues behind the kept frame
    EXPECT_EQ(pane0().heldFrames(), 2u);

    rig.player.refuseNext = 1;  // still full when asked again
    Notify(kNotifyWantData);
    EXPECT_FALSE(rig.log.Has("FSRequestData(slot 0,1)"));
    EXPECT_EQ(pane0().heldFrames(), 2u);

    rig.log.Clear();
    Notify(kNotifyWantData);
    EXPECT_EQ(rig.log.calls, (Calls{"Input(101)", "Input(101)", "FSRequestData(slot 0,1)"}));
    Deliver("P4");
    EXPECT_EQ(rig.player.inputs[101], (Calls{"I1", "P2", "P3", "P4"}));

    // The end mark is kept the same way.
    rig.player.refuseNext = 1;
    rig.disk.sink[0]->OnDiskData(nullptr, 0);
    Notify(kNotifyWantData);
    EXPECT_EQ(rig.player.inputs[101].back(), "<end>");
}

TEST_F(Pane, SeekAndStopDropKeptFrames) {
    pane0().PlayCtrl(kPlayCommand, false);
    rig.player.refuseNext = 1;
    Deliver("P1");
    rig.timeBar.model.SetClickedTime(10, 30, 0);
    pane0().SeekPlay();
    EXPECT_EQ(pane0().heldFrames(), 0u);
    rig.player.refuseNext = 1;
    Deliver("P2");
    pane0().PlayCtrl(kStopCommand, false);
    EXPECT_EQ(pane0().heldFrames(), 0u);
}

TEST_F(Pane, DiskSeekJumpsInsideARecordOrToTheNextOne) {
    rig.AddRecord(0, 13, 14);
    pane0().PlayCtrl(kPlayCommand, false);

    rig.timeBar.model.SetClickedTime(10, 30, 5);
    rig.log.Clear();
    pane0().SeekPlay();
    EXPECT_EQ(rig.log.calls,
              (Calls{"SetPlayMode(101,2)", "FSSeekPlay(slot 0)", "Cursor(0,10:30:05)", "ShowCursor(0)"}));
    const RecTime& t = rig.disk.seeks.back();
    EXPECT_EQ(std::tuple(t.year, t.month, t.day, t.hour, t.minute, t.second),
              std::tuple(24, 3, 1, 10, 30, 5));

    rig.timeBar.model.SetClickedTime(12, 0, 0);  // in the gap: to the next record's start, cursor stays
    rig.log.Clear();
    pane0().SeekPlay();
    EXPECT_EQ(rig.log.calls, (Calls{"SetPlayMode(101,2)", "FSSeekPlay(slot 0)"}));
    EXPECT_EQ(rig.disk.seeks.back().hour, 13);
}

TEST_F(Pane, SeekOnAnEmptyRowOrPastTheLastRecordOnlyRefreshesTheTime) {
    pane0().PlayCtrl(kPlayCommand, false);
    rig.player.played[101] = kMarch1 + 15 * kHour;
    rig.timeBar.model.SetClickedTime(15, 0, 0);  // after the last record
    rig.log.Clear();
    pane0().SeekPlay();
    EXPECT_EQ(rig.log.calls, (Calls{"Cursor(0,15:00:00)", "ShowCursor(0)"}));
    EXPECT_EQ(rig.paneViews[0].timeText, "2024-03-01 15:00:00");

    rig.pane(3).PlayCtrl(kPlayCommand, false);  // no records on its row
    rig.log.Clear();
    rig.pane(3).SeekPlay();
    EXPECT_FALSE(rig.log.Has("SetPlayMode(102,2)"));
    EXPECT_TRUE(rig.disk.seeks.empty());
}

TEST_F(Pane, NetworkPlayAsksForTheWholePlayDay) {
    rig.settings.diskMode = false;
    pane0().SetPlayDay(PlayDate{2024, 3, 1});
    pane0().PlayCtrl(kPlayCommand, false);
    EXPECT_TRUE(rig.log.Before("StartPlay(101)", "NetStart=77"));
    EXPECT_TRUE(rig.log.Before("RegisterDrawFun(101)", "NetStart=77"));
    const NetPlayRequest& r = rig.net.requests.at(0);
    EXPECT_EQ(r.channel, 0);
    EXPECT_EQ(std::tuple(r.start.year, r.start.month, r.start.day, r.start.hour), std::tuple(2024, 3, 1, 0));
    EXPECT_EQ(std::tuple(r.end.hour, r.end.minute, r.end.second), std::tuple(23, 59, 59));
    EXPECT_EQ(pane0().netPlayHandle(), 77u);
    EXPECT_EQ(rig.toolbarView.stateText, "1x");

    rig.player.refuseNext = 1;
    EXPECT_EQ(pane0().OnNetData(Bytes("P1"), 2), 0);
    EXPECT_EQ(pane0().OnNetData(Bytes("P1"), 2), 1);
    Notify(kNotifyWantData);
    EXPECT_TRUE(rig.log.Has("NetReq(77)"));

    // A seek with no known day asks for 65535-255-255.
    pane0().SetPlayDay(std::nullopt);
    rig.timeBar.model.SetClickedTime(10, 20, 0);
    rig.log.Clear();
    pane0().SeekPlay();
    EXPECT_EQ(rig.log.calls, (Calls{"NetRepos(77)", "SetPlayMode(101,2)", "NetReplay(77)",
                                    "Cursor(0,10:20:00)", "ShowCursor(0)"}));
    const RecfileTime& pos = rig.net.repos.back().first;
    EXPECT_EQ(std::tuple(pos.year, pos.month, pos.day, pos.hour, pos.minute),
              std::tuple(65535, 255, 255, 10, 20));
    EXPECT_EQ(rig.net.repos.back().second.second, 59);
}

TEST_F(Pane, FailedNetworkStartTearsDownButArmsTheTimer) {
    rig.settings.diskMode = false;
    rig.net.startResult = 0;
    pane0().PlayCtrl(kPlayCommand, false);
    EXPECT_TRUE(rig.log.Before("NetStart=0", "StopPlay(101)"));
    EXPECT_TRUE(rig.log.Before("StopPlay(101)", "Destroy(101)"));
    EXPECT_FALSE(pane0().playing());
    EXPECT_EQ(pane0().playHandle(), 0u);
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "11 23");
    EXPECT_TRUE(rig.paneViews[0].timer);
    EXPECT_TRUE(rig.paneViews[0].messages.empty());
}

// The network play ends before the instance goes, whatever the mode now is.
class PaneNetworkStop : public Pane, public testing::WithParamInterface<bool> {};

TEST_P(PaneNetworkStop, EndsNetworkPlayBeforeDestroyingTheInstance) {
    rig.settings.diskMode = false;
    pane0().PlayCtrl(kPlayCommand, false);
    rig.settings.diskMode = GetParam();
    pane0().PlayCtrl(kStopCommand, false);
    EXPECT_TRUE(rig.log.Before("NetStop(77)", "Destroy(101)"));
    EXPECT_FALSE(rig.log.Has("FSStopPlay(disk 7,slot 0)"));
    EXPECT_EQ(pane0().netPlayHandle(), 0u);
}

INSTANTIATE_TEST_SUITE_P(ModeAtStop, PaneNetworkStop, testing::Bool());

TEST_F(Pane, PlayedTimeRoundsToTheSecondAndDrivesCursorAndMap) {
    rig.settings.gpsCount = 5;
    rig.maps.withWindows = true;
    pane0().PlayCtrl(kPlayCommand, false);
    pane0().UpdatePlayTime();  // nothing shown yet
    EXPECT_FALSE(pane0().timeValid());
    pane0().CaptureSnapshot();
    EXPECT_FALSE(rig.log.Has("MakeDirTree(D:\\DVR\\Capture\\Local\\2024-03-05)"));

    rig.player.played[101] = kMarch1 + 14 * kHour + 499999;
    pane0().UpdatePlayTime();
    EXPECT_EQ(pane0().timeText(), "2024-03-01 14:00:00");
    rig.player.played[101] = kMarch1 + 14 * kHour + 500000;
    rig.log.Clear();
    pane0().UpdatePlayTime();
    EXPECT_TRUE(pane0().timeValid());
    EXPECT_EQ(rig.paneViews[0].timeText, "2024-03-01 14:00:01");
    EXPECT_EQ(rig.log.calls, (Calls{"Cursor(0,14:00:01)", "ShowCursor(0)", "MapCar(0,50401)",
                                    "MapText(0,2024-03-01 14:00:01)"}));
}

TEST_F(Pane, SyncMemberCursorFollowsTheMaster) {
    rig.settings.sync = true;
    rig.AddRecord(1);
    rig.toolbar->OnPlay();  // master 101, members 102 and 103
    rig.player.played[102] = kMarch1 + 10 * kHour;
    rig.player.played[101] = kMarch1 + 10 * kHour + 2000000;
    rig.log.Clear();
    pane0().UpdatePlayTime();
    EXPECT_EQ(pane0().timeText(), "2024-03-01 10:00:00");
    EXPECT_EQ(rig.log.calls, (Calls{"Cursor(common,10:00:02)", "ShowCursor(common)"}));
}

class PaneSnapshot : public Pane, public testing::WithParamInterface<int> {};

TEST_P(PaneSnapshot, NamedByChannelAndTheWallClockOfTheClick) {
    const int index = GetParam();
    rig.AddRecord(index);
    rig.pane(index).PlayCtrl(kPlayCommand, false);
    rig.player.played[101] = kMarch1 + 3 * kHour;  // the played time is not used
    rig.log.Clear();
    rig.pane(index).CaptureSnapshot();
    const std::string folder = "D:\\DVR\\Capture\\Local\\2024-03-05";
    const std::string file = folder + "\\ch0" + std::to_string(index + 1) + "-20240305-140709.bmp";
    EXPECT_EQ(rig.log.calls, (Calls{"MakeDirTree(" + folder + ")", "Capture(101," + file + ")"}));
    EXPECT_TRUE(rig.paneViews[index].messages.empty());
}

INSTANTIATE_TEST_SUITE_P(FirstAndLast, PaneSnapshot, testing::Values(0, 3));

TEST_F(Pane, FailedSnapshotSaysSo) {
    rig.player.captureResult = -1;
    pane0().PlayCtrl(kPlayCommand, false);
    pane0().CaptureSnapshot();
    EXPECT_EQ(rig.paneViews[0].messages, Calls{"s277"});
}

TEST_F(Pane, ClipStartsInTheDatedFolderAndLatchesOnlyWhenItRuns) {
    rig.settings.videoType = 1;
    pane0().PlayCtrl(kPlayCommand, false);
    rig.log.Clear();
    rig.toolbar->OnVideoClip();
    const std::string folder = "D:\\DVR\\Clip\\Local\\2024-03-05";
    EXPECT_EQ(rig.log.calls, (Calls{"MakeDirTree(" + folder + ")",
                                    "StartClip(101," + folder + "\\ch01-20240305-140709.avi,2)"}));
    EXPECT_TRUE(pane0().clipRecording());
    EXPECT_TRUE(rig.toolbar->ClipFlag(0));
    EXPECT_TRUE(rig.toolbarView.latched[IDC_TOOL_VIDEO_CLIP]);
    rig.toolbar->OnVideoClip();
    EXPECT_TRUE(rig.log.Has("StopClip(101)"));
    EXPECT_FALSE(rig.toolbarView.latched[IDC_TOOL_VIDEO_CLIP]);
    EXPECT_FALSE(rig.toolbar->ClipFlag(0));

    // A clip the library does not start latches nothing.
    rig.player.startClipResult = -1;
    rig.settings.videoType = 0;
    rig.toolbar->OnVideoClip();
    EXPECT_TRUE(rig.log.Has("StartClip(101," + folder + "\\ch01-20240305-140709.mp4,1)"));
    EXPECT_FALSE(pane0().clipRecording());
    EXPECT_FALSE(rig.toolbar->ClipFlag(0));
    EXPECT_FALSE(rig.toolbarView.latched[IDC_TOOL_VIDEO_CLIP]);
}

TEST_F(Pane, StopFinishesARunningClipEvenWithoutPlayedTime) {
    pane0().PlayCtrl(kPlayCommand, false);
    rig.toolbar->OnVideoClip();
    pane0().UpdatePlayTime();  // played time 0: time no longer valid
    pane0().PlayCtrl(kStopCommand, false);
    EXPECT_TRUE(rig.log.Before("StopClip(101)", "FSStopPlay(disk 7,slot 0)"));
    EXPECT_TRUE(rig.log.Before("StopClip(101)", "Destroy(101)"));
    EXPECT_FALSE(pane0().clipRecording());
    EXPECT_FALSE(rig.toolbar->ClipFlag(0));
    EXPECT_FALSE(rig.toolbarView.latched[IDC_TOOL_VIDEO_CLIP]);
}

class PaneSelection : public Pane, public testing::WithParamInterface<std::tuple<int, std::string>> {};

TEST_P(PaneSelection, ShowsTheSelectedPanesModeAndMovesTheSound) {
    const auto [mode, enabled] = GetParam();
    rig.settings.sync = false;
    rig.toolbar->OnPlay();  // the tool bar now holds the sync flag off
    rig.AddRecord(1);
    rig.pane(1).PlayCtrl(kPlayCommand, false);  // 102
    rig.player.reportedMode[102] = mode;
    rig.log.Clear();
    rig.pane(1).SelectPane(0);
    EXPECT_EQ(rig.toolbarView.EnabledSet(), enabled);
    EXPECT_EQ(rig.log.calls, (Calls{"CloseSound(101)", "OpenSound(102)"}));
    EXPECT_EQ(rig.paneViews[1].selected, std::vector<int>{1});
}

INSTANTIATE_TEST_SUITE_P(Modes,
                         PaneSelection,
                         testing::Values(std::tuple(kModeNormal, "12 13 14 15 16 17 21 18 19 24"),
                                         std::tuple(kModePause, "11 13 14 15 17 21 18 19 23 24"),
                                         std::tuple(kModeStopped, "11 23"),
                                         std::tuple(kModeStep, "11 13 16 17 21 18 19 23 24"),
                                         std::tuple(0x11, "11 12 13 14 15 17 21 18 19 23 24")));

TEST_F(Pane, SelectingAnIdleOrEmptyPane) {
    rig.settings.sync = false;
    rig.toolbar->OnPlay();
    rig.AddRecord(1);
    rig.pane(1).SelectPane(0);  // records, not playing
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "11 23");
    rig.pane(2).SelectPane(0);  // no records
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "");
    rig.log.Clear();
    pane0().SelectPane(0);  // already selected: nothing at all
    EXPECT_TRUE(rig.log.calls.empty());
    EXPECT_TRUE(rig.paneViews[0].selected.empty());
}

TEST_F(Pane, TrackAndLogoFollowTheSettings) {
    EXPECT_FALSE(pane0().ShouldDrawLogo());
    pane0().PlayCtrl(kPlayCommand, false);
    EXPECT_TRUE(pane0().ShouldDrawLogo());
    rig.settings.watermark = false;
    EXPECT_FALSE(pane0().ShouldDrawLogo());

    rig.maps.withWindows = true;
    pane0().OnRecordSpan({}, {});
    EXPECT_FALSE(rig.log.Has("MapTrack(0,2)"));  // no GPS table
    rig.settings.gpsCount = 3;
    rig.AddRecord(2);
    rig.pane(2).PlayCtrl(kPlayCommand, true);
    rig.pane(2).OnRecordSpan({}, {});  // a sync member draws on map pane 0
    EXPECT_TRUE(rig.log.Has("MapTrack(0,2)"));
}

// The play thread delivers while the GUI thread drains the player and answers
// its notices: every frame arrives once, in order.
class SmallQueuePlayer final : public Player {
  public:
    uint32_t CreatePlayInstance(int) override { return 1; }
    void DestroyPlayInstance(uint32_t) override {}
    void SetPlayWnd(uint32_t, uintptr_t) override {}
    void SetCallbackMessage(uint32_t, uintptr_t, unsigned, uintptr_t) override {}
    void RegisterDrawFun(uint32_t, uintptr_t) override {}
    void StartPlay(uint32_t) override {}
    void StopPlay(uint32_t) override {}
    void SetPlayMode(uint32_t, int) override {}
    int GetPlayMode(uint32_t) override { return 1; }
    uint32_t InputNetFrame(uint32_t, const uint8_t* frame, uint32_t length) override {
        std::lock_guard<std::mutex> lock(mutex);
        if (queue.size() >= 3) {
            refused = true;
            return kPlayerInputFull;
        }
        queue.emplace_back(frame, frame + length);
        return 0;
    }
    uint64_t GetCurPlayedTime(uint32_t) override { return 0; }
    void OpenSound(uint32_t) override {}
    void CloseSound(uint32_t) override {}
    int GetPlayVolume(uint32_t) override { return 0; }
    void SetPlayVolume(int) override {}
    int CapturePicture(uint32_t, const std::string&) override { return 0; }
    int StartLocalRecord(uint32_t, const std::string&, int) override { return 0; }
    void StopLocalRecord(uint32_t) override {}
    void AddSyncPlayInstance(uint32_t, uint32_t) override {}
    bool ShowWaterMark(uint32_t) override { return false; }

    std::mutex mutex;
    std::deque<std::string> queue;
    bool refused = false;
};

// Delivers frames "0", "1", ... on its own thread while delivery is on.
class ThreadedDisk final : public DiskSource {
  public:
    ~ThreadedDisk() override { Join(); }
    void Play(FSDiskHandle, const RecTime&, const RecTime&, int, StreamSink* sink, bool) override {
        worker_ = std::thread([this, sink] {
            for (int i = 0; i < kFrames && !stop_; ++i) {
                while (!deliver_ && !stop_)
                    std::this_thread::yield();
                const std::string frame = std::to_string(i);
                sink->OnDiskData(reinterpret_cast<const uint8_t*>(frame.data()),
                                 static_cast<int>(frame.size()));
            }
            finished = true;
        });
    }
    void StopPlay(FSDiskHandle, int) override { Join(); }
    void SeekPlay(FSDiskHandle, const RecTime&, int) override {}
    void RequestData(FSDiskHandle, int, bool on) override { deliver_ = on; }
    void Join() {
        stop_ = true;
        if (worker_.joinable())
            worker_.join();
    }

    static constexpr int kFrames = 2000;
    std::atomic<bool> finished{false};

  private:
    std::thread worker_;
    std::atomic<bool> deliver_{true};
    std::atomic<bool> stop_{false};
};

TEST(PaneThreads, EveryFrameFromThePlayThreadIsTakenOnceInOrder) {
    PlayRig rig;
    SmallQueuePlayer player;
    ThreadedDisk disk;
    PaneController pane(PaneLinks{player, disk, rig.net, rig.timeBar, rig.settings, rig.files, rig.clock,
                                  rig.maps, rig.paneViews[0]});
    pane.SetPaneIndex(0);
    pane.PlayCtrl(kPlayCommand, false);
    std::vector<std::string> shown;
    while (shown.size() < ThreadedDisk::kFrames) {
        bool wantData = false;
        {
            std::lock_guard<std::mutex> lock(player.mutex);
            if (!player.queue.empty()) {
                shown.push_back(player.queue.front());
                player.queue.pop_front();
            } else if (player.refused) {
                player.refused = false;  // drained: the library asks for data again
                wantData = true;
            } else if (disk.finished && pane.heldFrames() == 0) {
                break;  // everything delivered that ever will be
            }
        }
        if (wantData)
            pane.OnPlayLibMessage(kNotifyWantData, pane.UserWord());
        std::this_thread::yield();
    }
    disk.Join();
    ASSERT_EQ(shown.size(), size_t{ThreadedDisk::kFrames});
    for (size_t i = 0; i < shown.size(); ++i)
        ASSERT_EQ(shown[i], std::to_string(i));
    pane.PlayCtrl(kStopCommand, false);
}

}  // namespace
