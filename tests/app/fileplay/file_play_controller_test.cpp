// The file player's control bar over recording fakes: a file played from the
// first library call to the stop, the speed cycle, seek and mute, snapshots,
// and the mended faults (a failed open leaves no instance, the end notice acts
// only on the library's own code for the instance open now).
#include <gtest/gtest.h>

#include "tests/app/fileplay/file_play_fakes.h"

namespace {

using namespace playtest;

constexpr int kPlayControls[] = {IDC_FP_PLAY,    IDC_FP_STOP,     IDC_FP_PREVIOUS,   IDC_FP_NEXT,
                                 IDC_FP_CAPTURE, IDC_FP_SPEED_UP, IDC_FP_SPEED_DOWN, IDC_FP_SEEK};

std::vector<int> EnabledPlayControls(const FakeFilePlayView& view) {
    return view.Enabled({IDC_FP_PLAY, IDC_FP_STOP, IDC_FP_PREVIOUS, IDC_FP_NEXT, IDC_FP_CAPTURE,
                         IDC_FP_SPEED_UP, IDC_FP_SPEED_DOWN, IDC_FP_SEEK});
}

const std::vector<int> kIdleControls = {IDC_FP_PLAY, IDC_FP_PREVIOUS, IDC_FP_NEXT};
const std::vector<int> kAllPlayControls(std::begin(kPlayControls), std::end(kPlayControls));

TEST(FilePlayController, PlaysPausesResumesAndStopsAFileThroughTheLibrary) {
    FilePlayRig rig;
    EXPECT_EQ(rig.view.stateText, "x0");
    EXPECT_FALSE(rig.view.Shown(IDC_FP_TIME));
    EXPECT_FALSE(rig.view.Shown(IDC_FP_PAUSE));
    EXPECT_FALSE(rig.view.Shown(IDC_FP_TOOLS));
    EXPECT_TRUE(rig.view.Shown(IDC_FP_WATERMARK));
    EXPECT_EQ(EnabledPlayControls(rig.view), kIdleControls);

    rig.list.AddPath("C:\\v\\a.avi");
    rig.bar.PlayPath("C:\\v\\a.avi");
    EXPECT_EQ(rig.log.calls,
              (std::vector<std::string>{"Create(0)=101", "SetPlayWnd(101,240)",
                                        "SetCallbackMessage(101,176,32779,101)", "Open(101,C:\\v\\a.avi)",
                                        "TimeRange(101)", "StartPlay(101)", "OpenSound(101)",
                                        "SetPlayVolume(101,50)", "RegisterDrawFun(101,176)"}));
    EXPECT_EQ(rig.bar.startSeconds(), 1709640000);
    EXPECT_EQ(rig.bar.lengthSeconds(), 100);
    EXPECT_EQ(rig.view.seekMax, 100);
    EXPECT_EQ(rig.view.seekPos, 0);
    EXPECT_EQ(rig.view.volumePos, 50);
    EXPECT_EQ(rig.view.timeText, "00:00:00 / 00:01:40");
    EXPECT_EQ(rig.view.stateText, "x1");
    EXPECT_TRUE(rig.view.timer);
    EXPECT_FALSE(rig.view.popupShown);
    EXPECT_TRUE(rig.view.Shown(IDC_FP_TIME));
    EXPECT_TRUE(rig.view.Shown(IDC_FP_PAUSE));
    EXPECT_FALSE(rig.view.Shown(IDC_FP_PLAY));
    EXPECT_EQ(EnabledPlayControls(rig.view), kAllPlayControls);
    EXPECT_EQ(rig.rows.Images(), std::vector<int>{1});

    // The played time, rounded to the nearest second from the file's start.
    rig.player.played = 1709640041500000;
    rig.bar.OnTimer();
    EXPECT_EQ(rig.view.timeText, "00:00:42 / 00:01:40");
    EXPECT_EQ(rig.view.seekPos, 42);
    rig.player.played = 0;  // no time yet: nothing changes
    rig.bar.OnTimer();
    EXPECT_EQ(rig.view.timeText, "00:00:42 / 00:01:40");

    rig.log.Clear();
    rig.bar.OnPause();
    EXPECT_EQ(rig.log.calls, (std::vector<std::string>{"SetPlayMode(101,3)", "CloseSound(101)"}));
    EXPECT_EQ(rig.view.stateText, "s128");
    EXPECT_TRUE(rig.bar.paused());
    EXPECT_TRUE(rig.view.Shown(IDC_FP_PLAY));

    rig.log.Clear();
    rig.bar.OnPlay();  // resumes the instance
    EXPECT_EQ(rig.log.calls, (std::vector<std::string>{"SetPlayMode(101,1)", "OpenSound(101)"}));
    EXPECT_EQ(rig.view.stateText, "x1");
    EXPECT_FALSE(rig.bar.paused());

    rig.log.Clear();
    rig.bar.OnStop();
    EXPECT_EQ(rig.log.calls,
              (std::vector<std::string>{"CloseSound(101)", "StopPlay(101)", "Close(101)", "Destroy(101)"}));
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    EXPECT_EQ(rig.view.stateText, "x0");
    EXPECT_EQ(rig.view.timeText, "");
    EXPECT_FALSE(rig.view.Shown(IDC_FP_TIME));
    EXPECT_FALSE(rig.view.timer);
    EXPECT_TRUE(rig.view.popupShown);
    EXPECT_EQ(rig.view.seekPos, 0);
    EXPECT_EQ(rig.view.erased, 1);
    EXPECT_EQ(EnabledPlayControls(rig.view), kIdleControls);
    EXPECT_EQ(rig.rows.Images(), std::vector<int>{0});
    EXPECT_EQ(rig.bar.currentPath(), "C:\\v\\a.avi");  // Play plays it again
}

TEST(FilePlayController, SpeedButtonsCycleAndWrapAndKeepTheSoundClosedUntilAResume) {
    FilePlayRig rig;
    rig.bar.OnSpeedUp();  // nothing open: nothing happens
    EXPECT_EQ(rig.bar.speedLevel(), 0);
    rig.bar.PlayPath("C:\\v\\a.avi");

    struct Press {
        bool up;
        int mode;
        const char* text;
    };
    const Press presses[] = {
        {false, 4, "s130 x1/2"},  {false, 5, "s130 x1/4"}, {false, 6, "s130 x1/8"},
        {false, 7, "s130 x1/16"}, {false, 4, "s130 x1/2"},  // below x1/16: back to x1/2
        {true, 1, "x1"},          {true, 16, "s131 x2"},   {true, 17, "s131 x4"},
        {true, 18, "s131 x8"},    {true, 19, "s131 x16"},  {true, 16, "s131 x2"},  // above x16: back to x2
        {false, 1, "x1"},
    };
    for (const Press& p : presses) {
        rig.log.Clear();
        p.up ? rig.bar.OnSpeedUp() : rig.bar.OnSpeedDown();
        EXPECT_EQ(rig.log.calls, (std::vector<std::string>{"SetPlayMode(101," + std::to_string(p.mode) + ")",
                                                           "CloseSound(101)"}))
            << p.text;
        EXPECT_EQ(rig.view.stateText, p.text);
    }
    // Back at x1 through the buttons, the sound stays closed; Pause then Play
    // returns to x1 with sound.
    rig.log.Clear();
    rig.bar.OnPause();
    rig.bar.OnSpeedDown();  // paused: nothing
    EXPECT_EQ(rig.bar.speedLevel(), 0);
    rig.bar.OnPlay();
    EXPECT_EQ(rig.log.calls, (std::vector<std::string>{"SetPlayMode(101,3)", "CloseSound(101)",
                                                       "SetPlayMode(101,1)", "OpenSound(101)"}));
    EXPECT_EQ(rig.view.stateText, "x1");
}

TEST(FilePlayController, SeekRestartsAtTheTimeWithTheSpeedKeptAndMuteDecidesTheSound) {
    FilePlayRig rig;
    rig.bar.OnSeek(10);  // nothing open
    EXPECT_TRUE(rig.log.calls.empty());
    rig.bar.PlayPath("C:\\v\\a.avi");
    rig.bar.OnSpeedUp();
    rig.bar.OnPause();

    rig.log.Clear();
    rig.bar.OnSeek(50);
    EXPECT_EQ(rig.log.calls,
              (std::vector<std::string>{"SetCurPlayedTime(101,1709640050000000)", "StopPlay(101)",
                                        "CloseSound(101)", "StartPlay(101)", "SetPlayMode(101,16)",
                                        "CloseSound(101)", "OpenSound(101)", "RegisterDrawFun(101,176)"}));
    EXPECT_EQ(rig.view.stateText, "s131 x2");
    EXPECT_TRUE(rig.view.timer);
    EXPECT_TRUE(rig.view.Shown(IDC_FP_PAUSE));
    EXPECT_FALSE(rig.bar.paused());  // it plays on: the speed buttons work again
    rig.bar.OnSpeedUp();
    EXPECT_EQ(rig.view.stateText, "s131 x4");

    // Muted, the next seek and stop leave the sound alone.
    rig.bar.OnMute();
    EXPECT_TRUE(rig.view.checked[IDC_FP_MUTE]);
    EXPECT_EQ(rig.view.tooltips[IDC_FP_MUTE], "s138");
    rig.log.Clear();
    rig.bar.OnSeek(500);  // past the end: the last second
    rig.bar.OnStop();
    EXPECT_EQ(rig.log.calls,
              (std::vector<std::string>{"SetCurPlayedTime(101,1709640100000000)", "StopPlay(101)",
                                        "StartPlay(101)", "SetPlayMode(101,17)", "RegisterDrawFun(101,176)",
                                        "StopPlay(101)", "Close(101)", "Destroy(101)"}));
    rig.bar.OnMute();
    EXPECT_EQ(rig.view.tooltips[IDC_FP_MUTE], "s137");

    // The volume is kept while idle and applied by the next play.
    rig.bar.OnVolume(70);
    EXPECT_EQ(rig.view.volumePos, 70);
    rig.log.Clear();
    rig.bar.OnPlay();
    EXPECT_TRUE(rig.log.Has("SetPlayVolume(102,70)"));
    rig.bar.OnVolume(20);
    EXPECT_TRUE(rig.log.Has("SetPlayVolume(102,20)"));
}

// The library's sound switch: Mute silences the playing file at once and
// keeps it silent through a resume, a seek and a speed change; unmute opens
// it at once where the file plays at normal speed, and otherwise leaves it to
// the next resume.
TEST(FilePlayController, MuteClosesTheSoundAtOnceAndUnmuteAtNormalSpeedOpensIt) {
    FilePlayRig rig;
    rig.bar.PlayPath("C:\\v\\a.avi");
    const uint32_t h = rig.bar.playHandle();
    const auto sounding = [&] { return rig.player.sounding.count(h) == 1; };
    ASSERT_TRUE(sounding());

    rig.bar.OnMute();
    EXPECT_FALSE(sounding()) << "muted while playing";
    rig.bar.OnPause();
    rig.bar.OnPlay();
    rig.bar.OnSeek(10);
    rig.bar.OnSpeedUp();
    EXPECT_FALSE(sounding()) << "resume, seek and speed keep a muted file silent";

    rig.bar.OnMute();  // unmuted at x2
    EXPECT_FALSE(sounding());
    rig.bar.OnPause();
    rig.bar.OnPlay();  // resumed at x1
    EXPECT_TRUE(sounding());
    rig.bar.OnMute();
    EXPECT_FALSE(sounding());
    rig.bar.OnMute();  // unmuted at x1
    EXPECT_TRUE(sounding());

    // A file that began muted gets the stored volume with its sound.
    rig.bar.OnStop();
    rig.bar.OnMute();
    rig.bar.OnVolume(30);
    rig.bar.OnPlay();
    const uint32_t second = rig.bar.playHandle();
    EXPECT_EQ(rig.player.sounding.count(second), 0u);
    rig.log.Clear();
    rig.bar.OnMute();
    EXPECT_EQ(rig.player.sounding.count(second), 1u);
    EXPECT_TRUE(rig.log.Has("SetPlayVolume(" + H(second) + ",30)"));
    EXPECT_EQ(rig.view.volumePos, 30);
}

TEST(FilePlayController, AFileThatFailsToOpenLeavesNoInstanceSoTheNextPlayOpensAgain) {
    FilePlayRig rig;
    rig.player.failOpen = {"C:\\v\\bad.264"};
    rig.bar.PlayPath("C:\\v\\bad.264");
    EXPECT_EQ(rig.log.calls, (std::vector<std::string>{"Create(0)=101", "SetPlayWnd(101,240)",
                                                       "SetCallbackMessage(101,176,32779,101)",
                                                       "Open(101,C:\\v\\bad.264)", "Destroy(101)"}));
    EXPECT_EQ(rig.view.messages, (std::vector<std::pair<std::string, std::string>>{{"s275", "s276"}}));
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    EXPECT_EQ(rig.view.stateText, "x0");
    EXPECT_TRUE(rig.view.popupShown);

    rig.log.Clear();
    rig.bar.OnPlay();  // tries the file again, rather than "resuming" nothing
    EXPECT_TRUE(rig.log.Has("Open(102,C:\\v\\bad.264)"));
    EXPECT_FALSE(rig.log.Has("SetPlayMode(101,1)"));
    EXPECT_EQ(rig.view.messages.size(), 2u);
    EXPECT_EQ(rig.view.stateText, "x0");
    EXPECT_EQ(EnabledPlayControls(rig.view), kIdleControls);

    rig.player.failCreate = true;  // no instance at all
    rig.bar.OnPlay();
    EXPECT_EQ(rig.view.messages.size(), 3u);
    EXPECT_EQ(rig.bar.playHandle(), 0u);
}

TEST(FilePlayController, TheEndNoticeActsOnlyOnTheLibrarysEndCodeForTheFileOpenNow) {
    FilePlayRig rig;
    rig.list.AddPath("C:\\v\\a.264");
    rig.list.AddPath("C:\\v\\b.264");
    rig.list.OnDoubleClick(0);
    ASSERT_EQ(rig.OpenFile(), "C:\\v\\a.264");
    const uint32_t h = rig.bar.playHandle();

    rig.bar.OnPlayLibNotice(1, h);         // the library's "wants data": not an end
    rig.bar.OnPlayLibNotice(0, 0);         // the message number used for something else
    rig.bar.OnPlayLibNotice(11, h + 100);  // the late end of an instance gone
    EXPECT_EQ(rig.OpenFile(), "C:\\v\\a.264");
    EXPECT_EQ(rig.bar.playHandle(), h);

    rig.bar.OnPlayLibNotice(11, h);  // the end of this file: the next one plays
    EXPECT_EQ(rig.OpenFile(), "C:\\v\\b.264");
    rig.bar.OnPlayLibNotice(11, rig.bar.playHandle());  // the end of the last: stop
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    EXPECT_TRUE(rig.view.popupShown);
    EXPECT_EQ(rig.list.currentIndex(), 2);
}

TEST(FilePlayController, AFileOfNoLengthStopsAtOnceAndOneWithoutATimeRangePlaysWithoutIt) {
    FilePlayRig rig;
    rig.player.rangeLast = rig.player.rangeFirst + 999999;  // under a second
    rig.bar.PlayPath("C:\\v\\a.avi");
    EXPECT_TRUE(rig.log.Before("TimeRange(101)", "Destroy(101)"));
    EXPECT_FALSE(rig.log.Has("StartPlay(101)"));
    EXPECT_EQ(rig.bar.playHandle(), 0u);
    EXPECT_EQ(rig.view.barRepaints, 1);

    rig.player.rangeLast = rig.player.rangeFirst - 5;  // out of order: no length either
    rig.bar.OnPlay();
    EXPECT_EQ(rig.bar.playHandle(), 0u);

    rig.player.rangeKnown = false;
    rig.view.seekMax = -1;
    rig.bar.OnPlay();
    EXPECT_NE(rig.bar.playHandle(), 0u);
    EXPECT_EQ(rig.view.seekMax, -1);
    EXPECT_EQ(rig.bar.lengthSeconds(), 0);
    EXPECT_EQ(rig.view.stateText, "x1");
}

TEST(FilePlayController, SnapshotGoesToCaptureLabelDateAndFileName) {
    FilePlayRig rig;
    rig.bar.OnSnapshot();  // nothing open: nothing
    EXPECT_TRUE(rig.log.calls.empty());
    rig.bar.PlayPath("C:\\videos\\clip 7.avi");
    rig.log.Clear();
    rig.bar.OnSnapshot();
    const std::string folder = "D:\\DVR\\Capture\\Local\\2024-03-05\\clip 7.avi";
    EXPECT_EQ(rig.log.calls, (std::vector<std::string>{"MakeDirTree(" + folder + ")",
                                                       "Capture(101," + folder + "\\20240305-140709.bmp)"}));
    EXPECT_EQ(rig.view.messages.back().first, "s278");

    rig.player.captureResult = -1;
    rig.settings.source = "10.0.0.7";
    rig.bar.OnSnapshot();
    EXPECT_TRUE(
        rig.log.Has("Capture(101,D:\\DVR\\Capture\\10.0.0.7\\2024-03-05\\clip 7.avi\\20240305-140709.bmp)"));
    EXPECT_EQ(rig.view.messages.back().first, "s277");
}

TEST(FilePlayController, WatermarkAndListButtonsToggleTheirSwitchesAndTooltips) {
    FilePlayRig rig;
    EXPECT_FALSE(rig.bar.ShouldDrawLogo());  // nothing open
    rig.bar.PlayPath("C:\\v\\a.avi");
    EXPECT_TRUE(rig.bar.ShouldDrawLogo());
    rig.bar.OnWatermark();
    EXPECT_FALSE(rig.bar.ShouldDrawLogo());
    EXPECT_EQ(rig.view.tooltips[IDC_FP_WATERMARK], "s302");
    rig.bar.OnWatermark();
    EXPECT_EQ(rig.view.tooltips[IDC_FP_WATERMARK], "s303");
    rig.player.watermark = false;  // the library does not show its watermark
    EXPECT_FALSE(rig.bar.ShouldDrawLogo());

    rig.bar.OnShowHideList();
    rig.bar.OnShowHideList();
    EXPECT_EQ(rig.view.listPosts, (std::vector<bool>{false, true}));
    EXPECT_EQ(rig.view.tooltips[IDC_FP_LIST_SHOW], "s272");
}

}  // namespace
