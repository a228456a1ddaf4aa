// app/fileplay/file_play_controller.cpp
#include "app/fileplay/file_play_controller.h"

#include <algorithm>
#include <climits>

#include "app/base/play_speed.h"
#include "app/fileplay/file_play_names.h"
#include "app/fileplay/play_list.h"
#include "res/file_play_ids.h"

namespace play {

namespace {

constexpr int kFileInstance = 0;
constexpr int kEndCode = kNotifyEnd;
constexpr uint64_t kMicroseconds = 1000000;
constexpr int kMaxVolume = 100;

// Language strings.
constexpr int kStrPause = 128;
constexpr int kStrSpeedDown = 130;
constexpr int kStrSpeedUp = 131;
constexpr int kStrMuteOn = 137;
constexpr int kStrMuteOff = 138;
constexpr int kStrPlayFailed = 275;
constexpr int kStrError = 276;
constexpr int kStrCaptureFailed = 277;
constexpr int kStrCaptureSuccess = 278;
constexpr int kStrShowPlaylist = 271;
constexpr int kStrHidePlaylist = 272;
constexpr int kStrShowWatermark = 302;
constexpr int kStrHideWatermark = 303;

// Enabled only while a file is open; Play, Previous and Next always are.
constexpr int kOpenOnly[] = {IDC_FP_STOP, IDC_FP_CAPTURE, IDC_FP_SPEED_UP, IDC_FP_SPEED_DOWN, IDC_FP_SEEK};
constexpr int kAlways[] = {IDC_FP_PLAY, IDC_FP_PREVIOUS, IDC_FP_NEXT};

}  // namespace

FilePlayController::FilePlayController(const FilePlayLinks& links, unsigned endMessage)
    : links_(links), endMessage_(endMessage) {}

std::string FilePlayController::Text(int id) const {
    return links_.settings.LoadLangString(id);
}

void FilePlayController::Initialise(bool watermarkSetting) {
    FilePlayView& view = links_.view;
    view.SetStateText("x0");
    view.ShowControl(IDC_FP_TIME, false);
    view.ShowControl(IDC_FP_PAUSE, false);
    view.ShowControl(IDC_FP_PLAY, true);
    view.ShowControl(IDC_FP_TOOLS, false);
    view.ShowControl(IDC_FP_WATERMARK, watermarkSetting);
    view.SetVolumePos(0);
    EnablePlayControls(false);
}

void FilePlayController::EnablePlayControls(bool playing) {
    for (int id : kAlways)
        links_.view.EnableControl(id, true);
    for (int id : kOpenOnly)
        links_.view.EnableControl(id, playing);
}

void FilePlayController::ShowPlaying() {
    FilePlayView& view = links_.view;
    view.SetStateText("x1");
    view.ShowControl(IDC_FP_PLAY, false);
    view.ShowControl(IDC_FP_PAUSE, true);
    view.ShowControl(IDC_FP_TIME, true);
    EnablePlayControls(true);
}

// ---- play, pause, stop --------------------------------------------------------------------

void FilePlayController::OnPlay() {
    if (path_.empty())
        return;
    FilePlayer& player = links_.player;
    FilePlayView& view = links_.view;
    uint32_t h = handle_.load();
    if (h != 0) {
        // Resume after a pause or a speed change.
        player.SetPlayMode(h, kModeNormal);
        if (!muted_)
            player.OpenSound(h);
        speedLevel_ = 0;
        paused_ = false;
        ShowPlaying();
        return;
    }

    h = player.CreatePlayInstance(kFileInstance);
    if (h == 0) {
        view.ShowMessage(Text(kStrPlayFailed), Text(kStrError));
        return;
    }
    player.SetPlayWnd(h, view.VideoWindow());
    player.SetCallbackMessage(h, view.Window(), endMessage_, h);
    if (player.OpenPlayFile(h, path_) != 0) {
        // Nothing is left open: a later Play starts again.
        player.DestroyPlayInstance(h);
        view.ShowMessage(Text(kStrPlayFailed), Text(kStrError));
        return;
    }
    handle_ = h;
    start_ = 0;
    length_ = 0;
    lengthText_.clear();

    uint64_t first = 0;
    uint64_t last = 0;
    if (player.GetPlayFileTimeRange(h, &first, &last) == 0) {
        start_ = static_cast<int64_t>(first / kMicroseconds);
        const uint64_t span = last >= first ? (last - first) / kMicroseconds : 0;
        length_ = static_cast<int64_t>(std::min<uint64_t>(span, INT_MAX));
        if (length_ == 0) {
            Stop();
            view.RepaintBar();
            return;
        }
        view.SetSeekRange(static_cast<int>(length_));
        view.SetSeekPos(0);
        lengthText_ = ClockText(length_);
        view.SetTimeText("00:00:00 / " + lengthText_);
    }

    player.StartPlay(h);
    if (!muted_) {
        player.OpenSound(h);
        view.SetVolumePos(volume_);
        player.SetPlayVolume(h, volume_);
    }
    player.RegisterDrawFun(h, view.Window());
    view.SetPlayTimer(true);
    paused_ = false;
    view.ShowOpenPopup(false);
    if (list_ != nullptr)
        list_->MarkCurrent();
    ShowPlaying();
}

void FilePlayController::OnPause() {
    FilePlayView& view = links_.view;
    view.ShowControl(IDC_FP_PAUSE, false);
    view.ShowControl(IDC_FP_PLAY, true);
    if (const uint32_t h = handle_.load()) {
        links_.player.SetPlayMode(h, kModePause);
        if (!muted_)
            links_.player.CloseSound(h);
    }
    view.SetStateText(Text(kStrPause));
    paused_ = true;
}

void FilePlayController::OnStop() {
    Stop();
}

void FilePlayController::Stop() {
    FilePlayView& view = links_.view;
    if (const uint32_t h = handle_.load()) {
        FilePlayer& player = links_.player;
        view.SetPlayTimer(false);
        if (!muted_)
            player.CloseSound(h);
        player.StopPlay(h);
        player.ClosePlayFile(h);
        player.DestroyPlayInstance(h);
        paused_ = false;
        handle_ = 0;
        view.SetSeekPos(0);
        view.ShowControl(IDC_FP_PAUSE, false);
        view.ShowControl(IDC_FP_PLAY, true);
        EnablePlayControls(false);
        view.SetTimeText("");
        view.SetStateText("x0");
        view.EraseVideo();
        view.ShowOpenPopup(true);
        if (list_ != nullptr)
            list_->MarkNone();
    }
    view.ShowControl(IDC_FP_TIME, false);
}

void FilePlayController::PlayPath(const std::string& path) {
    Stop();
    speedLevel_ = 0;
    path_ = path;
    if (!path_.empty())
        OnPlay();
}

void FilePlayController::StopAndForget() {
    Stop();
    path_.clear();
}

void FilePlayController::OnDestroy() {
    if (handle_.load() != 0)
        StopAndForget();
}

// ---- the list -----------------------------------------------------------------------------

void FilePlayController::OnPrevious() {
    PlayNeighbour(false);
}

void FilePlayController::OnNext() {
    PlayNeighbour(true);
}

void FilePlayController::PlayNeighbour(bool next) {
    Stop();
    speedLevel_ = 0;
    std::string path;
    if (list_ != nullptr)
        path = next ? list_->NextPath() : list_->PrevPath();
    if (!path.empty())
        PlayPath(path);
}

void FilePlayController::OnPlayLibNotice(int code, uintptr_t user) {
    const uint32_t h = handle_.load();
    if (code != kEndCode || h == 0 || user != h)
        return;
    OnNext();
}

// ---- speed, sound -------------------------------------------------------------------------

void FilePlayController::OnSpeedDown() {
    StepSpeed(-1);
}

void FilePlayController::OnSpeedUp() {
    StepSpeed(1);
}

void FilePlayController::StepSpeed(int step) {
    if (handle_.load() == 0 || paused_)
        return;
    speedLevel_ += step;
    if (speedLevel_ < kMinSpeedLevel || speedLevel_ > kMaxSpeedLevel)
        speedLevel_ = step;  // past x1/16 back to x1/2, past x16 back to x2
    ApplySpeed();
}

void FilePlayController::ApplySpeed() {
    const uint32_t h = handle_.load();
    links_.view.SetStateText(FileSpeedText(speedLevel_, Text(kStrSpeedDown), Text(kStrSpeedUp)));
    links_.player.SetPlayMode(h, ModeForSpeedLevel(speedLevel_));
    if (!muted_)
        links_.player.CloseSound(h);
}

void FilePlayController::OnMute() {
    muted_ = !muted_;
    links_.view.SetChecked(IDC_FP_MUTE, muted_);
    links_.view.SetTooltip(IDC_FP_MUTE, Text(muted_ ? kStrMuteOff : kStrMuteOn));
    // The file falls silent at once; the sound comes back at once where the
    // file plays at normal speed (elsewhere the next resume or seek opens it).
    const uint32_t h = handle_.load();
    if (h == 0)
        return;
    if (muted_) {
        links_.player.CloseSound(h);
    } else if (!paused_ && speedLevel_ == 0) {
        links_.player.OpenSound(h);
        links_.view.SetVolumePos(volume_);
        links_.player.SetPlayVolume(h, volume_);
    }
}

void FilePlayController::OnVolume(int position) {
    position = std::clamp(position, 0, kMaxVolume);
    links_.view.SetVolumePos(position);
    volume_ = position;
    if (const uint32_t h = handle_.load())
        links_.player.SetPlayVolume(h, position);
}

// ---- time and seek ------------------------------------------------------------------------

void FilePlayController::OnTimer() {
    const uint32_t h = handle_.load();
    if (h == 0)
        return;
    const uint64_t t = links_.player.GetCurPlayedTime(h);
    if (t == 0)
        return;
    const int64_t position =
        std::max<int64_t>(static_cast<int64_t>((t + kMicroseconds / 2) / kMicroseconds) - start_, 0);
    playedText_ = ClockText(position);
    links_.view.SetTimeText(playedText_ + " / " + lengthText_);
    links_.view.SetSeekPos(static_cast<int>(std::min<int64_t>(position, INT_MAX)));
}

void FilePlayController::OnSeek(int position) {
    const uint32_t h = handle_.load();
    if (h == 0)
        return;
    FilePlayer& player = links_.player;
    FilePlayView& view = links_.view;
    position = std::clamp<int>(position, 0, static_cast<int>(length_));
    view.SetPlayTimer(false);
    player.SetCurPlayedTime(h, static_cast<uint64_t>(start_ + position) * kMicroseconds);
    player.StopPlay(h);
    if (!muted_)
        player.CloseSound(h);
    player.StartPlay(h);
    ApplySpeed();
    if (!muted_)
        player.OpenSound(h);
    player.RegisterDrawFun(h, view.Window());
    paused_ = false;
    view.ShowControl(IDC_FP_PLAY, false);
    view.ShowControl(IDC_FP_PAUSE, true);
    view.SetPlayTimer(true);
}

// ---- snapshot, watermark, list ------------------------------------------------------------

void FilePlayController::OnSnapshot() {
    const uint32_t h = handle_.load();
    if (h == 0)
        return;
    const SnapshotTarget target =
        FileSnapshotTarget(links_.settings.CapturePath(), links_.settings.SourceName(), FileNameOf(path_),
                           links_.clock.LocalNow());
    links_.files.MakeDirTree(target.folder);
    const int result = links_.player.CapturePicture(h, target.file);
    links_.view.ShowMessage(Text(result == -1 ? kStrCaptureFailed : kStrCaptureSuccess), "");
}

void FilePlayController::OnWatermark() {
    const bool on = !watermarkOn_.load();
    watermarkOn_ = on;
    links_.view.SetTooltip(IDC_FP_WATERMARK, Text(on ? kStrHideWatermark : kStrShowWatermark));
}

void FilePlayController::OnShowHideList() {
    listShown_ = !listShown_;
    links_.view.SetTooltip(IDC_FP_LIST_SHOW, Text(listShown_ ? kStrHidePlaylist : kStrShowPlaylist));
    links_.view.PostPlayListShown(listShown_);
}

bool FilePlayController::ShouldDrawLogo() const {
    const uint32_t h = handle_.load();
    return h != 0 && watermarkOn_.load() && links_.player.ShowWaterMark(h);
}

}  // namespace play
