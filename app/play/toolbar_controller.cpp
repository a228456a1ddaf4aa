// app/play/toolbar_controller.cpp
#include "app/play/toolbar_controller.h"

#include "app/base/play_speed.h"
#include "app/messages.h"
#include "app/play/pane_controller.h"
#include "app/play/pane_grid.h"

namespace play {

namespace {

// Positions in kStateControls.
enum StateControl {
    kPlay,
    kPause,
    kStop,
    kSpeedDown,
    kSpeedUp,
    kNextFrame,
    kCapture,
    kVideoClip,
    kMute,
    kVolume,
    kPlayAll,
    kStopAll,
};

bool Stopped(int mode) {
    return mode == kModeNone || mode == kModeStopped;
}

}  // namespace

std::optional<std::array<bool, 12>> EnabledInState(ToolbarState state, bool syncActive) {
    std::array<bool, 12> on;
    on.fill(true);
    switch (state) {
        case ToolbarState::None:
            on.fill(false);
            break;
        case ToolbarState::All:
            on[kNextFrame] = !syncActive;
            break;
        case ToolbarState::Playing:
            on[kPlay] = on[kPlayAll] = false;
            on[kNextFrame] = !syncActive;
            break;
        case ToolbarState::Paused:
            on[kPause] = on[kNextFrame] = false;
            break;
        case ToolbarState::Speed:
            on[kNextFrame] = false;
            break;
        case ToolbarState::Stepping:
            on[kPause] = on[kSpeedUp] = on[kSpeedDown] = false;
            break;
        case ToolbarState::Stopped:
            on.fill(false);
            on[kPlay] = on[kPlayAll] = true;
            break;
        default:
            return std::nullopt;
    }
    return on;
}

ToolbarState StateForMode(int mode) {
    switch (mode) {
        case kModeNormal:
            return ToolbarState::Playing;
        case kModePause:
            return ToolbarState::Paused;
        case kModeStopped:
            return ToolbarState::Stopped;
        case kModeStep:
            return ToolbarState::Stepping;
        default:
            return ToolbarState::Speed;
    }
}

ToolbarController::ToolbarController(const ToolbarLinks& links) : links_(links) {}

void ToolbarController::AttachPane(int index, PaneController* pane) {
    if (ValidPane(index))
        panes_[index] = pane;
}

PaneController* ToolbarController::Pane(int index) const {
    return ValidPane(index) ? panes_[index] : nullptr;
}

uint32_t ToolbarController::PaneHandle(int pane) const {
    const PaneController* p = Pane(pane);
    return p ? p->playHandle() : 0;
}

bool ToolbarController::RowHasRecords(int pane) const {
    return Pane(pane) != nullptr && links_.timeBar.GetRecordCount(pane) > 0;
}

bool ToolbarController::PaneHasRecords(int pane) const {
    return links_.settings.PaneHasRecords(pane);
}

int ToolbarController::SpeedLevel(int pane) const {
    return ValidPane(pane) ? speedLevel_[pane] : 0;
}

int ToolbarController::PaneMode(int pane) const {
    return ValidPane(pane) ? paneMode_[pane] : 0;
}

bool ToolbarController::ClipFlag(int pane) const {
    return ValidPane(pane) && clipFlag_[pane];
}

std::string ToolbarController::Text(int id) const {
    return links_.settings.LoadLangString(id);
}

std::string ToolbarController::ModeText(int mode) const {
    switch (mode) {
        case kModeNone:
        case kModeStopped:
            return "0x";
        case kModeNormal:
            return SpeedLevelText(0);
        case kModePause:
            return Text(kStringPause);
        case kModeStep:
            return Text(kStringNextFrame);
        default:
            return "";  // a speed: the selected pane's level
    }
}

void ToolbarController::Initialise() {
    SetButtonState(ToolbarState::None);
    links_.view.EnableControl(IDC_TOOL_DOWNLOAD, false);
    links_.view.ShowControl(IDC_TOOL_DOWNLOAD, !links_.settings.DiskMode());
    links_.view.ShowControl(IDC_BAR_POSITION, links_.settings.SensorPanelSetting());
    links_.view.SetLatched(IDC_TOOL_MUTE, true);
    links_.view.SetStateText(Text(kStringState));
}

void ToolbarController::SetButtonState(ToolbarState state) {
    const std::optional<std::array<bool, 12>> on = EnabledInState(state, syncActive_);
    if (!on)
        return;
    for (size_t i = 0; i < kStateControls.size(); ++i)
        links_.view.EnableControl(kStateControls[i], (*on)[i]);
}

void ToolbarController::SetSpeedText(const std::string& text) {
    links_.view.SetStateText(text.empty() ? SpeedLevelText(speedLevel_[selectedPane_]) : text);
}

void ToolbarController::ShowClipLook(bool latched) {
    links_.view.SetLatched(IDC_TOOL_VIDEO_CLIP, latched);
}

void ToolbarController::ShowDownloadButton(bool show) {
    links_.view.ShowControl(IDC_TOOL_DOWNLOAD, show);
}

void ToolbarController::ClearPaneWords() {
    paneMode_.fill(kModeNone);
    clipFlag_.fill(false);
}

// ---- what the panes report --------------------------------------------------------------

void ToolbarController::PaneSpeedReset(int pane) {
    if (ValidPane(pane))
        speedLevel_[pane] = 0;
}

void ToolbarController::PaneStopped(int pane) {
    if (!ValidPane(pane))
        return;
    paneMode_[pane] = kModeStopped;
    UpdateSyncCheck();
}

void ToolbarController::PaneClipChanged(int pane, bool recording) {
    if (!ValidPane(pane))
        return;
    clipFlag_[pane] = recording;
    if (pane == selectedPane_)
        ShowClipLook(recording);
}

void ToolbarController::UpdateSyncCheck() {
    for (int mode : paneMode_) {
        if (!Stopped(mode))
            return;
    }
    links_.view.EnableSyncCheck(true);
}

// ---- play -------------------------------------------------------------------------------

void ToolbarController::PlayPane(int pane) {
    if (pane == -1) {
        OnPlay();
        return;
    }
    if (!ValidPane(pane))
        return;
    syncActive_ = links_.settings.SyncPlay();
    speedLevel_[pane] = 0;
    paneMode_[pane] = kModeNormal;
    if (PaneController* p = Pane(pane))
        p->PlayCtrl(kPlayCommand, syncActive_);
    links_.view.EnableSyncCheck(false);
}

void ToolbarController::OnPlay() {
    syncActive_ = links_.settings.SyncPlay();
    if (!syncActive_) {
        speedLevel_[selectedPane_] = 0;
        paneMode_[selectedPane_] = kModeNormal;
        if (PaneController* p = Pane(selectedPane_))
            p->PlayCtrl(kPlayCommand, false);
        SoundStep();
        return;
    }
    StartSyncPlay();
}

void ToolbarController::StartSyncPlay() {
    Player& player = links_.player;
    if (syncMaster_ != 0) {
        if (paneMode_[selectedPane_] == kModeStep) {
            for (int i = 0; i < kPaneCount; ++i) {
                if (RowHasRecords(i))
                    panes_[i]->PlayCtrl(kPlayCommand, true);
            }
        } else {
            player.SetPlayMode(syncMaster_, kModeNormal);
        }
        links_.view.SetVolume(player.GetPlayVolume(syncMaster_));
        GroupStep();
        SoundStep();
        return;
    }
    for (const PaneController* p : panes_) {
        if (p && p->playing()) {
            links_.view.ShowMessage(Text(kStringStopAllFirst));
            syncActive_ = false;
            return;
        }
    }
    const uint32_t master = player.CreatePlayInstance(kSyncMasterInstance);
    if (master == 0)
        return;
    syncMaster_ = master;
    player.SetCallbackMessage(master, links_.view.Window(), WM_PLAYLIB_NOTIFY, UserWord());
    // Every member starts paused; the master starts them all at once.
    for (int i = 0; i < kPaneCount; ++i) {
        if (!RowHasRecords(i))
            continue;
        panes_[i]->PlayCtrl(kPlayCommand, true);
        if (const uint32_t member = panes_[i]->playHandle())
            player.AddSyncPlayInstance(master, member);
    }
    player.StartPlay(master);
    links_.view.EnableSyncCheck(false);
    links_.view.SetVolume(player.GetPlayVolume(master));
    GroupStep();
    SoundStep();
}

void ToolbarController::GroupStep() {
    for (int i = 0; i < kPaneCount; ++i) {
        if (!PaneHasRecords(i))
            continue;
        paneMode_[i] = kModeNormal;
        speedLevel_[i] = 0;
        if (panes_[i])
            panes_[i]->SetSpeedLevel(0);
    }
    SetSpeedText(SpeedLevelText(0));
    SetButtonState(ToolbarState::Playing);
}

void ToolbarController::SoundStep() {
    const uint32_t handle = PaneHandle(selectedPane_);
    if (!muted_ && handle != 0) {
        links_.view.SetVolume(links_.player.GetPlayVolume(handle));
        links_.player.OpenSound(handle);
    }
    links_.view.EnableSyncCheck(false);
}

void ToolbarController::OnPlayAll() {
    syncActive_ = links_.settings.SyncPlay();
    if (syncActive_) {
        OnPlay();
        return;
    }
    for (int i = 0; i < kPaneCount; ++i) {
        if (RowHasRecords(i))
            panes_[i]->PlayCtrl(kPlayCommand, false);
    }
    for (int i = 0; i < kPaneCount; ++i) {
        if (PaneHasRecords(i)) {
            paneMode_[i] = kModeNormal;
            speedLevel_[i] = 0;
        }
    }
    SoundStep();
}

// ---- pause, step, speed -----------------------------------------------------------------

void ToolbarController::OnPause() {
    if (!syncActive_) {
        paneMode_[selectedPane_] = kModePause;
        if (PaneController* p = Pane(selectedPane_))
            p->PlayCtrl(kPauseCommand, false);
        return;
    }
    // Every member is paused through the master alone.
    for (int i = 0; i < kPaneCount; ++i) {
        if (PaneHasRecords(i))
            paneMode_[i] = kModePause;
    }
    if (syncMaster_ != 0)
        links_.player.SetPlayMode(syncMaster_, kModePause);
    SetSpeedText(Text(kStringPause));
    SetButtonState(ToolbarState::Paused);
}

void ToolbarController::OnNextFrame() {
    if (!syncActive_) {
        paneMode_[selectedPane_] = kModeStep;
        SetButtonState(ToolbarState::Stepping);
        if (PaneController* p = Pane(selectedPane_))
            p->PlayCtrl(kNextFrameCommand, false);
        return;
    }
    if (syncMaster_ == 0)
        return;
    for (int i = 0; i < kPaneCount; ++i) {
        if (RowHasRecords(i))
            panes_[i]->PlayCtrl(kNextFrameCommand, true);
    }
    for (int i = 0; i < kPaneCount; ++i) {
        if (PaneHasRecords(i))
            paneMode_[i] = kModeStep;
    }
    SetSpeedText(Text(kStringNextFrame));
    SetButtonState(ToolbarState::Stepping);
}

void ToolbarController::StepSpeed(bool up) {
    const int level = StepSpeedLevel(speedLevel_[selectedPane_], up);
    const int mode = ModeForSpeedLevel(level);
    if (syncActive_) {
        for (int i = 0; i < kPaneCount; ++i) {
            speedLevel_[i] = level;
            if (panes_[i])
                panes_[i]->SetSpeedLevel(level);
            if (PaneHasRecords(i))
                paneMode_[i] = mode;
        }
        if (syncMaster_ != 0) {
            links_.player.SetPlayMode(syncMaster_, mode);
            SetSpeedText("");
            SetButtonState(ToolbarState::Speed);
        }
    } else {
        speedLevel_[selectedPane_] = level;
        paneMode_[selectedPane_] = mode;
        if (PaneController* p = Pane(selectedPane_)) {
            p->SetSpeedLevel(level);
            p->SetPlaySpeed();
        }
    }
    // Sound plays at normal speed only.
    const uint32_t handle = PaneHandle(selectedPane_);
    if (!muted_ && handle != 0)
        links_.player.CloseSound(handle);
}

// ---- stop -------------------------------------------------------------------------------

void ToolbarController::OnStop() {
    if (syncActive_) {
        StopSync();
    } else {
        if (PaneController* p = Pane(selectedPane_))
            p->PlayCtrl(kStopCommand, false);
        clipFlag_[selectedPane_] = false;
        paneMode_[selectedPane_] = kModeStopped;
    }
    UpdateSyncCheck();
}

void ToolbarController::StopSync() {
    // The master goes first; the members are then only destroyed.
    if (syncMaster_ != 0) {
        links_.player.StopPlay(syncMaster_);
        links_.player.DestroyPlayInstance(syncMaster_);
        syncMaster_ = 0;
    }
    for (int i = 0; i < kPaneCount; ++i) {
        if (RowHasRecords(i))
            panes_[i]->PlayCtrl(kStopCommand, true);
    }
    syncActive_ = false;
    for (int i = 0; i < kPaneCount; ++i) {
        speedLevel_[i] = 0;
        clipFlag_[i] = false;
        if (PaneHasRecords(i))
            paneMode_[i] = kModeStopped;
    }
    SetSpeedText("0x");
    SetButtonState(ToolbarState::Stopped);
    ShowClipLook(false);
}

void ToolbarController::OnStopAll() {
    if (syncActive_) {
        StopSync();
    } else {
        for (int i = 0; i < kPaneCount; ++i) {
            if (RowHasRecords(i))
                panes_[i]->PlayCtrl(kStopCommand, false);
        }
        for (int i = 0; i < kPaneCount; ++i) {
            if (PaneHasRecords(i))
                paneMode_[i] = kModeStopped;
            clipFlag_[i] = false;
        }
    }
    ShowClipLook(false);
    UpdateSyncCheck();
}

void ToolbarController::StopAllAndClear() {
    OnStopAll();
    SetButtonState(ToolbarState::None);
    links_.view.EnableControl(IDC_TOOL_DOWNLOAD, false);
    for (int i = 0; i < kPaneCount; ++i) {
        links_.view.StopDownloads(i);
        links_.timeBar.ClearRecords(i);
    }
}

void ToolbarController::SyncSeekAll() {
    if (syncMaster_ == 0)
        return;
    links_.player.StopPlay(syncMaster_);
    for (int i = 0; i < kPaneCount; ++i) {
        if (RowHasRecords(i))
            panes_[i]->SeekPlay();
    }
    links_.player.StartPlay(syncMaster_);
}

// ---- other buttons ----------------------------------------------------------------------

void ToolbarController::OnCapture() {
    if (PaneController* p = Pane(selectedPane_))
        p->CaptureSnapshot();
}

void ToolbarController::OnVideoClip() {
    // The pane reports whether a clip runs (PaneClipChanged).
    if (PaneController* p = Pane(selectedPane_))
        p->ToggleClipRecord();
}

void ToolbarController::OnMute() {
    muted_ = !muted_;
    const uint32_t handle = PaneHandle(selectedPane_);
    links_.view.SetLatched(IDC_TOOL_MUTE, !muted_);
    links_.view.SetCaption(IDC_TOOL_MUTE, Text(muted_ ? kStringMuteOff : kStringMuteOn));
    if (handle == 0)
        return;
    if (muted_)
        links_.player.CloseSound(handle);
    else if (speedLevel_[selectedPane_] == 0 && paneMode_[selectedPane_] == kModeNormal)
        links_.player.OpenSound(handle);
}

void ToolbarController::OnOneWnd() {
    links_.view.PostToFrame(WM_PANE_LAYOUT, kOnePaneCommand);
}

void ToolbarController::OnFourWnd() {
    links_.view.PostToFrame(WM_PANE_LAYOUT, kFourPaneCommand);
}

void ToolbarController::OnFullScreen() {
    fullScreen_ = !fullScreen_;
    links_.view.PostToFrame(WM_FULL_SCREEN, fullScreen_ ? 1 : 0);
    links_.view.SetCaption(IDC_TOOL_FULL_SCREEN, Text(fullScreen_ ? kStringExitScreen : kStringFullScreen));
    links_.view.EnableControl(IDC_BAR_POSITION, !fullScreen_);
}

void ToolbarController::OnSensorPanel() {
    sensorPanelOff_ = !sensorPanelOff_;
    links_.view.PostToFrame(WM_BAR_POSITION, sensorPanelOff_ ? 1 : 0);
    links_.view.SetLatched(IDC_BAR_POSITION, sensorPanelOff_);
    links_.view.SetCaption(IDC_BAR_POSITION, Text(sensorPanelOff_ ? kStringUp : kStringBottom));
}

void ToolbarController::OnDownload() {
    links_.view.OpenDownload(selectedPane_);
}

// ---- messages ---------------------------------------------------------------------------

void ToolbarController::OnPaneSelected(int pane) {
    if (!ValidPane(pane))
        return;
    selectedPane_ = pane;
    if (!PaneHasRecords(pane)) {
        ShowClipLook(false);
        links_.view.EnableControl(IDC_TOOL_PLAY, false);
        links_.view.EnableControl(IDC_TOOL_DOWNLOAD, false);
        SetSpeedText("0x");
        SetButtonState(ToolbarState::None);
        return;
    }
    links_.view.EnableControl(IDC_TOOL_PLAY, true);
    links_.view.EnableControl(IDC_TOOL_DOWNLOAD, true);
    const int mode = paneMode_[pane];
    SetSpeedText(ModeText(mode));
    // A pane nothing was applied to yet leaves the buttons as they are.
    if (mode != kModeNone)
        SetButtonState(StateForMode(mode));
    ShowClipLook(clipFlag_[pane]);
}

void ToolbarController::OnRecordsChanged() {
    if (!PaneHasRecords(selectedPane_))
        return;
    links_.view.EnableControl(IDC_TOOL_PLAY, true);
    links_.view.EnableControl(IDC_TOOL_PLAY_ALL, true);
    if (links_.settings.NetworkLoggedIn())
        links_.view.EnableControl(IDC_TOOL_DOWNLOAD, true);
}

void ToolbarController::OnPlayLibNotify(int code, uintptr_t user) {
    // The master's end: every member has played out.
    if (code != kNotifyEnd || user != UserWord() || !syncActive_ || syncMaster_ == 0)
        return;
    StopSync();
    UpdateSyncCheck();
}

void ToolbarController::OnStopAllPlay() {
    OnStop();
    SetButtonState(ToolbarState::None);
}

void ToolbarController::OnSliderMoving(int control, int position) {
    if (control != IDC_TOOL_VOLUME)
        return;
    links_.player.SetPlayVolume(position);
    links_.view.SetVolume(position);
}

}  // namespace play
