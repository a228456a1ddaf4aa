// app/play/pane_controller.cpp
#include "app/play/pane_controller.h"

#include "app/base/capture_names.h"
#include "app/base/play_speed.h"
#include "app/messages.h"
#include "app/play/toolbar_controller.h"

namespace play {

namespace {

// Microseconds to whole seconds, to the nearest.
int64_t RoundedSeconds(uint64_t micros) {
    return static_cast<int64_t>(micros / 1000000 + (micros % 1000000 >= 500000 ? 1 : 0));
}

uint8_t Byte(int v) {
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

}  // namespace

PaneController::PaneController(const PaneLinks& links) : links_(links) {}

void PaneController::SetPaneIndex(int index) {
    if (index >= -1 && index < kPaneCount)
        paneIndex_ = index;
}

void PaneController::Initialise() {
    SetTimeText(FormatTimeText(links_.clock.LocalNow()));
}

void PaneController::SetSpeedLevel(int level) {
    speedLevel_ = ClampSpeedLevel(level);
}

size_t PaneController::heldFrames() const {
    std::lock_guard<std::mutex> lock(heldMutex_);
    return held_.size();
}

// ---- commands ---------------------------------------------------------------------------

void PaneController::PlayCtrl(int command, bool syncStart) {
    speedLevel_ = 0;
    if (toolbar_)
        toolbar_->PaneSpeedReset(paneIndex());
    if (paneIndex() < 0)
        return;
    const uint32_t handle = playHandle();
    switch (command) {
        case kPlayCommand:
            Play(syncStart);
            break;
        case kStopCommand:
            if (playing_)
                Stop(syncStart);
            break;
        case kPauseCommand:
            if (!playing_)
                break;
            links_.player.SetPlayMode(handle, kModePause);
            playMode_ = kModePause;
            if (!syncStart) {
                ToolbarText(Text(kStringPause));
                ShowToolbarState(ToolbarState::Paused);
            }
            break;
        case kNextFrameCommand:
            if (!playing_)
                break;
            links_.player.SetPlayMode(handle, kModeStep);
            playMode_ = kModeStep;
            if (!syncStart)
                ToolbarText(Text(kStringNextFrame));
            break;
        default:
            break;
    }
}

void PaneController::Play(bool syncStart) {
    if (playing_) {
        // Resume from a pause, a step or a speed.
        playMode_ = kModeNormal;
        links_.player.SetPlayMode(playHandle(), kModeNormal);
        if (!syncStarted_) {
            ToolbarText(SpeedLevelText(0));
            ShowToolbarState(ToolbarState::Playing);
        }
        links_.view.SetVideoIdle(false);
        return;
    }
    DropHeldFrames();
    syncStarted_ = syncStart;
    if (links_.settings.DiskMode())
        StartDisk(syncStart);
    else
        StartNetwork(syncStart);
    playMode_ = kModeNormal;
    links_.view.SetPlayTimer(true);
    links_.view.SetVideoIdle(false);
}

bool PaneController::CreateInstance() {
    const uint32_t handle = links_.player.CreatePlayInstance(kStreamInstance);
    playHandle_ = handle;
    if (handle == 0)
        return false;
    links_.player.SetPlayWnd(handle, links_.view.VideoWindow());
    links_.player.SetCallbackMessage(handle, links_.view.Window(), WM_PLAYLIB_NOTIFY, UserWord());
    return true;
}

void PaneController::StartDisk(bool syncStart) {
    fromDisk_ = true;
    disk_ = links_.settings.DiskHandle();
    if (!CreateInstance()) {
        StartFailed(syncStart);
        return;
    }
    const uint32_t handle = playHandle();
    if (!syncStart) {
        links_.player.StartPlay(handle);
        ToolbarText(SpeedLevelText(0));
        ShowToolbarState(ToolbarState::Playing);
    }
    links_.player.RegisterDrawFun(handle, UserWord());
    // Only now: the play thread delivers its first key frame at once.
    const int pane = paneIndex();
    const RecordSpan record = links_.settings.ChosenRecord(pane);
    links_.disk.Play(disk_, record.start, record.end, pane, this, links_.settings.GpsEnabled());
    ShowCursorAt(0, 0, 0);
    playing_ = true;
    playMode_ = kModeNormal;
}

RecfileTime PaneController::DayAt(int hour, int minute, int second) const {
    RecfileTime t;
    if (playDay_) {
        t.year = static_cast<uint16_t>(playDay_->year < 0       ? 0
                                       : playDay_->year > 65535 ? 65535
                                                                : playDay_->year);
        t.month = Byte(playDay_->month);
        t.day = Byte(playDay_->day);
    } else {
        t.year = 65535;
        t.month = 255;
        t.day = 255;
    }
    t.hour = Byte(hour);
    t.minute = Byte(minute);
    t.second = Byte(second);
    return t;
}

void PaneController::StartNetwork(bool syncStart) {
    fromDisk_ = false;
    disk_ = 0;
    if (!CreateInstance()) {
        StartFailed(syncStart);
        return;
    }
    const uint32_t handle = playHandle();
    NetPlayRequest request;
    request.channel = paneIndex();
    request.start = DayAt(0, 0, 0);
    request.end = DayAt(23, 59, 59);
    if (!syncStart)
        links_.player.StartPlay(handle);
    links_.player.RegisterDrawFun(handle, UserWord());
    netPlayHandle_ = links_.net.StartRecordPlay(links_.settings.LoginHandle(), request, this);
    if (netPlayHandle_ != 0) {
        ShowCursorAt(0, 0, 0);
        playing_ = true;
        ToolbarText(SpeedLevelText(0));
        ShowToolbarState(ToolbarState::Playing);
        return;
    }
    links_.player.StopPlay(handle);
    links_.player.DestroyPlayInstance(handle);
    playHandle_ = 0;
    StartFailed(syncStart);
}

void PaneController::StartFailed(bool syncStart) {
    HideCursor(syncStart);
    playing_ = false;
    ShowToolbarState(ToolbarState::Stopped);
}

void PaneController::Stop(bool syncStart) {
    const int pane = paneIndex();
    const uint32_t handle = playHandle();
    if (clipRecording_)
        FinishClip();
    if (fromDisk_) {
        links_.disk.StopPlay(disk_, pane);
        links_.clock.SleepMs(200);
    }
    // Whatever the mode: the network library must not feed a destroyed instance.
    if (netPlayHandle_ != 0) {
        links_.net.StopRecordPlay(netPlayHandle_);
        netPlayHandle_ = 0;
    }
    DropHeldFrames();
    if (!syncStart) {
        links_.player.StopPlay(handle);
        ToolbarText("0x");
        ShowToolbarState(ToolbarState::Stopped);
        playMode_ = kModeStopped;
        if (toolbar_)
            toolbar_->PaneStopped(pane);
    }
    if (!(toolbar_ && toolbar_->muted()))
        links_.player.CloseSound(handle);
    links_.player.DestroyPlayInstance(handle);
    playHandle_ = 0;
    links_.view.SetPlayTimer(false);

    SetTimeText(kNoTimeText);
    links_.view.EraseVideo();
    HideCursor(syncStart);
    syncStarted_ = false;
    playing_ = false;
    playMode_ = kModeStopped;
    links_.view.SetVideoIdle(true);
    if (links_.maps.HasWindow(pane)) {
        links_.maps.PostClear(pane);
        links_.maps.SetTimeText(pane, timeText_);
    }
    links_.view.Repaint();
}

void PaneController::SeekPlay() {
    const int pane = paneIndex();
    if (pane < 0)
        return;
    RecfileTime target;
    const int result = links_.timeBar.FindRecordAt(pane, &target);
    if (result == 0) {
        // An empty row, or a time after the last record: no jump.
        if (!syncStarted_)
            UpdatePlayTime();
        return;
    }
    const uint32_t handle = playHandle();
    if (handle == 0)
        return;
    if (fromDisk_) {
        links_.player.SetPlayMode(handle, kModeReposition);
        DropHeldFrames();
        links_.disk.SeekPlay(disk_, RecTimeFromRecfileTime(target), pane);
    } else {
        if (netPlayHandle_ != 0)
            links_.net.ReposRecordData(netPlayHandle_, DayAt(target.hour, target.minute, target.second),
                                       DayAt(23, 59, 59));
        links_.player.SetPlayMode(handle, kModeReposition);
        if (netPlayHandle_ != 0)
            links_.net.ReplayRecordData(netPlayHandle_);
    }
    if (result == 1)
        ShowCursorAt(target.hour, target.minute, target.second);
}

void PaneController::SetPlaySpeed() {
    const uint32_t handle = playHandle();
    if (handle == 0)
        return;
    const int mode = ModeForSpeedLevel(speedLevel_);
    links_.player.SetPlayMode(handle, mode);
    playMode_ = mode;
    ToolbarText(SpeedLevelText(speedLevel_));
    ShowToolbarState(ToolbarState::Speed);
}

// ---- snapshots and clips ----------------------------------------------------------------

void PaneController::CaptureSnapshot() {
    if (!playing_ || !timeValid_)
        return;
    const CivilTime now = links_.clock.LocalNow();
    const std::string folder =
        CaptureFolder(links_.settings.CapturePath(), links_.settings.SourceName(), now);
    links_.files.MakeDirTree(folder);
    if (links_.player.CapturePicture(playHandle(), SnapshotPath(folder, paneIndex(), now)) == -1)
        links_.view.ShowMessage(Text(kStringCaptureFailed));
}

void PaneController::ToggleClipRecord() {
    if (!playing_ || !timeValid_)
        return;
    if (clipRecording_) {
        FinishClip();
        return;
    }
    const CivilTime now = links_.clock.LocalNow();
    const int videoType = links_.settings.VideoType();
    const std::string folder = CaptureFolder(links_.settings.ClipPath(), links_.settings.SourceName(), now);
    links_.files.MakeDirTree(folder);
    const std::string file = ClipFilePath(folder, paneIndex(), now, videoType);
    if (links_.player.StartLocalRecord(playHandle(), file, ClipRecordType(videoType)) != 0)
        return;  // nothing records, so nothing latches
    clipRecording_ = true;
    if (toolbar_)
        toolbar_->PaneClipChanged(paneIndex(), true);
}

void PaneController::FinishClip() {
    links_.player.StopLocalRecord(playHandle());
    clipRecording_ = false;
    if (toolbar_)
        toolbar_->PaneClipChanged(paneIndex(), false);
}

// ---- selection, time, notices -----------------------------------------------------------

void PaneController::SelectPane(int gridSelected) {
    const int pane = paneIndex();
    if (pane < 0 || pane == gridSelected)
        return;
    const bool muted = toolbar_ && toolbar_->muted();
    if (!muted && toolbar_) {
        // Sound follows the selection.
        const uint32_t previous = toolbar_->PaneHandle(gridSelected);
        if (previous != 0)
            links_.player.CloseSound(previous);
    }
    if (links_.timeBar.GetRecordCount(pane) <= 0) {
        if (!links_.settings.SyncPlay())
            ShowToolbarState(ToolbarState::None);
    } else if (playing_) {
        const uint32_t handle = playHandle();
        const uint32_t source = syncStarted_ && toolbar_ ? toolbar_->syncMaster() : handle;
        ShowToolbarState(StateForMode(links_.player.GetPlayMode(source)));
        if (toolbar_)
            toolbar_->ShowClipLook(clipRecording_);
        const int toolbarLevel = toolbar_ ? toolbar_->SpeedLevel(pane) : 0;
        if (!muted && toolbarLevel == 0 && speedLevel_ == 0)
            links_.player.OpenSound(handle);
    } else {
        ShowToolbarState(ToolbarState::Stopped);
    }
    links_.view.PostPaneSelected(pane);
}

void PaneController::UpdatePlayTime() {
    if (!playing_)
        return;
    const uint32_t handle = playHandle();
    const uint64_t played = links_.player.GetCurPlayedTime(handle);
    if (played == 0) {
        timeValid_ = false;
        return;
    }
    timeValid_ = true;
    const std::optional<CivilTime> local = links_.clock.LocalTimeOf(RoundedSeconds(played));
    if (!local)
        return;
    SetTimeText(FormatTimeText(*local));
    CivilTime cursor = *local;
    if (syncStarted_ && toolbar_ && toolbar_->syncMaster() != 0) {
        const uint64_t master = links_.player.GetCurPlayedTime(toolbar_->syncMaster());
        if (master != 0) {
            if (const std::optional<CivilTime> m = links_.clock.LocalTimeOf(RoundedSeconds(master)))
                cursor = *m;
        }
    }
    ShowCursorAt(cursor.hour, cursor.minute, cursor.second);
    if (links_.settings.GpsCount() > 0) {
        const int index = links_.settings.FindGpsIndexByTime(cursor.hour, cursor.minute, cursor.second);
        if (index >= 0) {
            const int pane = paneIndex();
            const int map = syncStarted_ ? 0 : pane;
            if (links_.maps.HasWindow(map))
                links_.maps.PostCarPosition(map, index);
            if (links_.maps.HasWindow(pane))
                links_.maps.SetTimeText(pane, timeText_);
        }
    }
}

int PaneController::OnPlayLibMessage(int code, uintptr_t user) {
    if (user == 0 || user != UserWord() || !playing_)
        return 0;
    if (code == kNotifyWantData) {
        if (fromDisk_) {
            std::lock_guard<std::mutex> lock(heldMutex_);
            if (OfferHeldFrames())
                links_.disk.RequestData(disk_, paneIndex(), true);
        } else if (netPlayHandle_ != 0) {
            links_.net.ReqRecordData(netPlayHandle_);
        }
    } else if (code == kNotifyEnd) {
        // A sync member's end is the master's business.
        if (!syncStarted_)
            PlayCtrl(kStopCommand, false);
    }
    return 0;
}

bool PaneController::ShouldDrawLogo() const {
    const uint32_t handle = playHandle();
    return handle != 0 && links_.player.ShowWaterMark(handle) && links_.settings.ShowWatermark();
}

// ---- data -------------------------------------------------------------------------------

void PaneController::OnDiskData(const uint8_t* data, int length) {
    const uint32_t handle = playHandle();
    if (handle == 0)
        return;
    if (data == nullptr || length <= 0) {
        data = nullptr;
        length = 0;
    }
    std::lock_guard<std::mutex> lock(heldMutex_);
    if (held_.empty()) {
        const uint32_t result = links_.player.InputNetFrame(handle, data, static_cast<uint32_t>(length));
        if (result != kPlayerInputFull)
            return;
    }
    // Refused, or behind a frame still kept: keep it in order and hold delivery.
    if (held_.size() < kMaxHeldFrames)
        held_.push_back(length > 0 ? std::vector<uint8_t>(data, data + length) : std::vector<uint8_t>{});
    links_.disk.RequestData(disk_, paneIndex(), false);
}

void PaneController::OnRecordSpan(const RecTime& /*start*/, const RecTime& /*end*/) {
    const int count = links_.settings.GpsCount();
    if (count < 1)
        return;
    const int map = syncStarted_ ? 0 : paneIndex();
    if (links_.maps.HasWindow(map))
        links_.maps.PostDrawTrack(map, count - 1);
}

int PaneController::OnNetData(const uint8_t* data, int length) {
    const uint32_t handle = playHandle();
    if (handle == 0)
        return 1;
    if (data == nullptr || length <= 0) {
        data = nullptr;
        length = 0;
    }
    return links_.player.InputNetFrame(handle, data, static_cast<uint32_t>(length)) == kPlayerInputFull ? 0
                                                                                                        : 1;
}

// Called with heldMutex_ held.
bool PaneController::OfferHeldFrames() {
    const uint32_t handle = playHandle();
    while (!held_.empty()) {
        const std::vector<uint8_t>& frame = held_.front();
        const uint8_t* data = frame.empty() ? nullptr : frame.data();
        if (links_.player.InputNetFrame(handle, data, static_cast<uint32_t>(frame.size())) ==
            kPlayerInputFull)
            return false;
        held_.pop_front();
    }
    return true;
}

void PaneController::DropHeldFrames() {
    std::lock_guard<std::mutex> lock(heldMutex_);
    held_.clear();
}

// ---- helpers ----------------------------------------------------------------------------

void PaneController::ShowCursorAt(int hour, int minute, int second) {
    const bool common = syncStarted_;
    links_.timeBar.SetCursorTime(paneIndex(), hour, minute, second, common);
    links_.timeBar.ShowCursor(paneIndex(), true, common);
}

void PaneController::HideCursor(bool common) {
    links_.timeBar.ShowCursor(paneIndex(), false, common);
}

void PaneController::SetTimeText(const std::string& text) {
    timeText_ = text;
    links_.view.ShowTimeText(text);
}

void PaneController::ToolbarText(const std::string& text) {
    if (toolbar_)
        toolbar_->SetSpeedText(text);
}

void PaneController::ShowToolbarState(ToolbarState state) {
    if (toolbar_)
        toolbar_->SetButtonState(state);
}

std::string PaneController::Text(int id) const {
    return links_.settings.LoadLangString(id);
}

}  // namespace play
