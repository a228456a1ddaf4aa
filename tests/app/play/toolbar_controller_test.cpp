// tests/app/play/toolbar_controller_test.cpp
#include "app/play/toolbar_controller.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/base/play_speed.h"
#include "app/messages.h"
#include "tests/app/play/play_fakes.h"

namespace {

using namespace playtest;
using Calls = std::vector<std::string>;

// States over the twelve controls, as the ids' last two digits in the order
// Play, Pause, Stop, Speed Down, Speed Up, Next Frame, Capture, Video Clip,
// Mute, volume, Play All, Stop All.
std::string EnabledText(int state, bool sync) {
    FakeToolbarView view;
    const auto on = play::EnabledInState(static_cast<play::ToolbarState>(state), sync);
    if (!on)
        return "unchanged";
    for (size_t i = 0; i < on->size(); ++i)
        view.EnableControl(kStateControls[i], (*on)[i]);
    return view.EnabledSet();
}

class ButtonStates : public testing::TestWithParam<std::tuple<int, bool, std::string>> {};

TEST_P(ButtonStates, EnableTheListedControls) {
    const auto [state, sync, enabled] = GetParam();
    EXPECT_EQ(EnabledText(state, sync), enabled);
}

INSTANTIATE_TEST_SUITE_P(All,
                         ButtonStates,
                         testing::Values(std::tuple(0, false, ""),
                                         std::tuple(1, false, "11 12 13 14 15 16 17 21 18 19 23 24"),
                                         std::tuple(1, true, "11 12 13 14 15 17 21 18 19 23 24"),
                                         std::tuple(2, false, "12 13 14 15 16 17 21 18 19 24"),
                                         std::tuple(2, true, "12 13 14 15 17 21 18 19 24"),
                                         std::tuple(3, true, "11 13 14 15 17 21 18 19 23 24"),
                                         std::tuple(4, false, "11 12 13 14 15 17 21 18 19 23 24"),
                                         std::tuple(5, false, "11 13 16 17 21 18 19 23 24"),
                                         std::tuple(6, true, "11 23"),
                                         std::tuple(7, false, "unchanged"),
                                         std::tuple(-1, false, "unchanged")));

class Toolbar : public testing::Test {
  protected:
    Toolbar() {
        rig.AddRecord(0);
        rig.AddRecord(1);
    }
    ToolbarController& bar() { return *rig.toolbar; }
    // Starts the panes with records as a sync group: master 101, members 102, 103.
    void StartSync() {
        rig.settings.sync = true;
        bar().OnPlay();
    }

    PlayRig rig;
};

TEST_F(Toolbar, SpeedDownCyclesThroughTheSlowLevelsAndUpStartsAtTwice) {
    bar().OnPlay();
    std::vector<std::string> texts;
    for (int i = 0; i < 5; ++i) {
        bar().OnSpeedDown();
        texts.push_back(rig.toolbarView.stateText);
    }
    EXPECT_EQ(texts, (Calls{"-2x", "-4x", "-8x", "-16x", "-2x"}));
    EXPECT_EQ(rig.player.modes[101], (std::vector<int>{4, 5, 6, 7, 4}));
    bar().OnSpeedUp();
    EXPECT_EQ(rig.toolbarView.stateText, "2x");
    EXPECT_EQ(rig.player.modes[101].back(), 0x10);
    EXPECT_EQ(bar().PaneMode(0), 0x10);
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "11 12 13 14 15 17 21 18 19 23 24");  // state 4
    EXPECT_EQ(rig.log.Count("CloseSound(101)"), 6);  // sound only at normal speed
}

// The pane's level and the tool bar's level of the pane never part.
TEST_F(Toolbar, SpeedLevelsStayEqualAfterAPauseOrARestart) {
    bar().OnPlay();
    bar().OnSpeedUp();
    bar().OnSpeedUp();  // 4x
    bar().OnPause();
    EXPECT_EQ(rig.pane(0).speedLevel(), bar().SpeedLevel(0));
    bar().OnSpeedUp();
    EXPECT_EQ(rig.player.modes[101].back(), 0x10);
    EXPECT_EQ(bar().PaneMode(0), 0x10);
    EXPECT_EQ(rig.toolbarView.stateText, "2x");

    bar().OnSpeedUp();  // 4x, then the stream ends and the pane plays again
    rig.pane(0).OnPlayLibMessage(kNotifyEnd, rig.pane(0).UserWord());
    rig.pane(0).PlayCtrl(kPlayCommand, false);
    EXPECT_EQ(std::tuple(rig.pane(0).speedLevel(), bar().SpeedLevel(0)), std::tuple(0, 0));
    bar().OnSpeedDown();
    EXPECT_EQ(rig.toolbarView.stateText, "-2x");
    EXPECT_EQ(rig.pane(0).speedLevel(), bar().SpeedLevel(0));
}

TEST_F(Toolbar, SyncPlayStartsEveryPaneWithRecordsPausedThenTheMaster) {
    StartSync();
    EXPECT_EQ(rig.log.IndexOf("Create(4)=101"), 0);
    EXPECT_TRUE(rig.log.Before("SetCallbackMessage(101)", "Create(1)=102"));
    EXPECT_TRUE(rig.log.Before("FSPlay(disk 7,slot 0)", "AddSync(101,102)"));
    EXPECT_TRUE(rig.log.Before("AddSync(101,102)", "Create(1)=103"));
    EXPECT_TRUE(rig.log.Before("AddSync(101,103)", "StartPlay(101)"));
    EXPECT_FALSE(rig.log.Has("StartPlay(102)"));
    EXPECT_FALSE(rig.log.Has("StartPlay(103)"));
    EXPECT_FALSE(rig.log.Has("Create(1)=104"));  // panes 2 and 3 have no records
    EXPECT_EQ(rig.player.users[101], bar().UserWord());
    EXPECT_TRUE(rig.pane(1).syncStarted());
    EXPECT_EQ(bar().syncMaster(), 101u);
    EXPECT_EQ(std::tuple(bar().PaneMode(0), bar().PaneMode(1), bar().PaneMode(2)), std::tuple(1, 1, 0));
    EXPECT_EQ(rig.toolbarView.stateText, "1x");
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "12 13 14 15 17 21 18 19 24");
    EXPECT_EQ(rig.toolbarView.syncCheck, false);
    EXPECT_TRUE(rig.log.Has("OpenSound(102)"));
}

TEST_F(Toolbar, SyncPlayIsRefusedWhileAPanePlays) {
    rig.pane(3).PlayCtrl(kPlayCommand, false);
    rig.log.Clear();
    StartSync();
    EXPECT_EQ(rig.toolbarView.messages, Calls{"s222"});
    EXPECT_TRUE(rig.log.calls.empty());
    EXPECT_FALSE(bar().syncActive());
    EXPECT_EQ(bar().syncMaster(), 0u);
}

TEST_F(Toolbar, SyncPauseAndStepGoThroughTheMaster) {
    StartSync();
    rig.log.Clear();
    bar().OnPause();
    EXPECT_EQ(rig.log.calls, Calls{"SetPlayMode(101,3)"});
    EXPECT_EQ(std::tuple(bar().PaneMode(0), bar().PaneMode(1), bar().PaneMode(2)), std::tuple(3, 3, 0));
    EXPECT_EQ(rig.toolbarView.stateText, "s128");
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "11 13 14 15 17 21 18 19 23 24");

    bar().OnNextFrame();  // each member steps itself
    EXPECT_TRUE(rig.log.Has("SetPlayMode(102,48)"));
    EXPECT_TRUE(rig.log.Has("SetPlayMode(103,48)"));
    EXPECT_EQ(rig.toolbarView.stateText, "s132");
    rig.log.Clear();
    bar().OnPlay();  // after stepping, the members resume
    EXPECT_TRUE(rig.log.Has("SetPlayMode(102,1)"));
    EXPECT_FALSE(rig.log.Has("SetPlayMode(101,1)"));
    bar().OnPlay();
    EXPECT_TRUE(rig.log.Has("SetPlayMode(101,1)"));
}

TEST_F(Toolbar, SyncSpeedSetsEveryLevelAndTellsTheMaster) {
    StartSync();
    bar().OnPaneSelected(2);  // a pane without records is selected
    bar().OnSpeedDown();
    EXPECT_EQ(rig.player.modes[101], std::vector<int>{4});
    EXPECT_TRUE(rig.player.modes[102].empty());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::tuple(bar().SpeedLevel(i), rig.pane(i).speedLevel()), std::tuple(-1, -1)) << i;
    EXPECT_EQ(rig.toolbarView.stateText, "-2x");
}

TEST_F(Toolbar, SyncStopDestroysTheMasterFirstAndTheMembersWithoutStopCalls) {
    StartSync();
    rig.log.Clear();
    bar().OnStop();
    EXPECT_EQ(rig.log.IndexOf("StopPlay(101)"), 0);
    EXPECT_EQ(rig.log.IndexOf("Destroy(101)"), 1);
    EXPECT_TRUE(rig.log.Has("Destroy(102)"));
    EXPECT_TRUE(rig.log.Has("Destroy(103)"));
    EXPECT_FALSE(rig.log.Has("StopPlay(102)"));
    EXPECT_FALSE(rig.pane(0).playing());
    EXPECT_FALSE(bar().syncActive());
    EXPECT_EQ(rig.toolbarView.stateText, "0x");
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "11 23");
    EXPECT_EQ(rig.toolbarView.syncCheck, true);
}

TEST_F(Toolbar, TheMastersEndStopsTheGroup) {
    StartSync();
    bar().OnPlayLibNotify(kNotifyWantData, bar().UserWord());
    bar().OnPlayLibNotify(kNotifyEnd, 0);
    EXPECT_EQ(bar().syncMaster(), 101u);
    bar().OnPlayLibNotify(kNotifyEnd, bar().UserWord());
    EXPECT_EQ(bar().syncMaster(), 0u);
    EXPECT_FALSE(rig.pane(1).playing());
}

TEST_F(Toolbar, SyncSeekRestartsTheMasterAroundTheMembersSeeks) {
    StartSync();
    rig.timeBar.model.SetClickedTime(10, 15, 0);
    rig.log.Clear();
    bar().OnTimebarSeek();
    EXPECT_EQ(rig.log.calls.front(), "StopPlay(101)");
    EXPECT_EQ(rig.log.calls.back(), "StartPlay(101)");
    EXPECT_EQ(rig.log.Count("FSSeekPlay(slot 0)") + rig.log.Count("FSSeekPlay(slot 1)"), 2);
    EXPECT_TRUE(rig.log.Has("Cursor(common,10:15:00)"));
}

TEST_F(Toolbar, SyncCheckComesBackOnlyWhenAllFourPanesStopped) {
    bar().OnPlayAll();  // sync off: panes 0 and 1 play on their own
    EXPECT_TRUE(rig.pane(0).playing() && rig.pane(1).playing());
    EXPECT_EQ(rig.toolbarView.syncCheck, false);
    bar().OnStop();  // the selected pane 0
    EXPECT_EQ(rig.toolbarView.syncCheck, false);
    rig.pane(1).OnPlayLibMessage(kNotifyEnd, rig.pane(1).UserWord());  // pane 1 ends by itself
    EXPECT_EQ(rig.toolbarView.syncCheck, true);
}

TEST_F(Toolbar, VideoClipLookFollowsTheSelectedPaneOnly) {
    bar().OnPlayAll();
    bar().OnPaneSelected(1);
    bar().OnVideoClip();  // pane 1 records
    bar().OnPaneSelected(0);
    EXPECT_FALSE(rig.toolbarView.latched[IDC_TOOL_VIDEO_CLIP]);
    bar().OnVideoClip();                                               // pane 0 records
    rig.pane(1).OnPlayLibMessage(kNotifyEnd, rig.pane(1).UserWord());  // pane 1 ends, its clip with it
    EXPECT_TRUE(rig.log.Has("StopClip(102)"));
    EXPECT_FALSE(bar().ClipFlag(1));
    EXPECT_TRUE(rig.toolbarView.latched[IDC_TOOL_VIDEO_CLIP]);
}

// Leaving the page's mode: its panes' words go, so a later selection shows
// them idle and unlatched.
TEST_F(Toolbar, AModeChangeForgetsThePanesModesAndClips) {
    bar().OnPlay();
    bar().OnVideoClip();
    ASSERT_TRUE(bar().ClipFlag(0));
    bar().ClearPaneWords();
    EXPECT_EQ(std::tuple(bar().PaneMode(0), bar().ClipFlag(0)), std::tuple(0, false));
    bar().OnPaneSelected(0);
    EXPECT_EQ(rig.toolbarView.stateText, "0x");
    EXPECT_FALSE(rig.toolbarView.latched[IDC_TOOL_VIDEO_CLIP]);
}

TEST_F(Toolbar, PlayAllWithSyncOnIsPlay) {
    rig.settings.sync = true;
    bar().OnPlayAll();
    EXPECT_EQ(bar().syncMaster(), 101u);
    EXPECT_TRUE(rig.log.Has("AddSync(101,103)"));
}

TEST_F(Toolbar, StopAllAndClearEmptiesEveryRow) {
    bar().OnPlayAll();
    bar().StopAllAndClear();
    EXPECT_FALSE(rig.pane(0).playing() || rig.pane(1).playing());
    EXPECT_TRUE(rig.log.Has("ClearRow(3)"));
    EXPECT_EQ(rig.timeBar.GetRecordCount(0), 0);
    EXPECT_EQ(rig.toolbarView.downloads.size(), 4u);
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "");
    EXPECT_FALSE(rig.toolbarView.enabled[IDC_TOOL_DOWNLOAD]);
    EXPECT_EQ(rig.toolbarView.syncCheck, true);
}

TEST_F(Toolbar, SelectionShowsThePanesStateAndClip) {
    bar().OnPlay();
    bar().OnPause();
    bar().OnPaneSelected(1);  // records, never played
    EXPECT_EQ(rig.toolbarView.stateText, "0x");
    EXPECT_TRUE(rig.toolbarView.enabled[IDC_TOOL_PLAY]);
    bar().OnPaneSelected(2);  // no records
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "");
    EXPECT_FALSE(rig.toolbarView.enabled[IDC_TOOL_DOWNLOAD]);
    bar().OnPaneSelected(0);  // paused
    EXPECT_EQ(rig.toolbarView.stateText, "s128");
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "11 13 14 15 17 21 18 19 23 24");
    bar().OnPaneSelected(9);
    EXPECT_EQ(bar().selectedPane(), 0);
}

TEST_F(Toolbar, MuteAndVolume) {
    bar().OnPlay();
    rig.log.Clear();
    bar().OnMute();
    EXPECT_EQ(rig.toolbarView.captions[IDC_TOOL_MUTE], "s138");
    EXPECT_FALSE(rig.toolbarView.latched[IDC_TOOL_MUTE]);
    bar().OnMute();
    EXPECT_EQ(rig.toolbarView.captions[IDC_TOOL_MUTE], "s137");
    EXPECT_EQ(rig.log.calls, (Calls{"CloseSound(101)", "OpenSound(101)"}));
    bar().OnSliderMoving(IDC_TOOL_VOLUME, 35);
    bar().OnSliderMoving(IDC_TOOL_STATE, 99);
    EXPECT_EQ(rig.log.calls.back(), "SetPlayVolume(35)");
    EXPECT_EQ(rig.toolbarView.volume, 35);
}

TEST_F(Toolbar, InitialisationAndFrameButtons) {
    rig.settings.diskMode = false;
    rig.settings.mimic = false;
    bar().Initialise();
    EXPECT_EQ(rig.toolbarView.EnabledSet(), "");
    EXPECT_TRUE(rig.toolbarView.shown[IDC_TOOL_DOWNLOAD]);
    EXPECT_FALSE(rig.toolbarView.shown[IDC_BAR_POSITION]);
    EXPECT_TRUE(rig.toolbarView.latched[IDC_TOOL_MUTE]);
    EXPECT_EQ(rig.toolbarView.stateText, "s158");

    bar().OnOneWnd();
    bar().OnFullScreen();
    bar().OnSensorPanel();
    bar().OnDownload();
    using Post = std::pair<unsigned, uintptr_t>;
    EXPECT_EQ(rig.toolbarView.posts,
              (std::vector<Post>{{WM_PANE_LAYOUT, 1055}, {WM_FULL_SCREEN, 1}, {WM_BAR_POSITION, 1}}));
    EXPECT_EQ(rig.toolbarView.captions[IDC_TOOL_FULL_SCREEN], "s136");
    EXPECT_FALSE(rig.toolbarView.enabled[IDC_BAR_POSITION]);
    EXPECT_EQ(rig.toolbarView.captions[IDC_BAR_POSITION], "s221");
    EXPECT_EQ(rig.toolbarView.downloads, Calls{"open 0"});

    rig.settings.loggedIn = true;
    bar().OnRecordsChanged();
    EXPECT_TRUE(rig.toolbarView.enabled[IDC_TOOL_DOWNLOAD]);
}

}  // namespace
