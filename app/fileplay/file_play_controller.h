// app/fileplay/file_play_controller.h
//
// FilePlayController: the file player's control bar without its window. It
// owns the one playback instance (type 0) the page plays files with and makes
// every decision of the bar: play, pause and resume, stop, previous and next,
// the end of a file, speeds, mute and volume, the seek slider and the played
// time, snapshots, the watermark switch and the play list's show/hide button.
// The dialog (CDlgFilePlayCtrl) hands it its buttons, sliders, timer 103 and
// the playback library's notices and shows what it is told (FilePlayView).
//
// States: idle (no instance), playing, paused. Play makes the instance from
// idle and opens the current path, or resumes after a pause or a speed
// change; Stop (and everything that begins with it: previous, next, the end of
// a file, PlayPath, StopAndForget) closes and destroys it. The open popup is
// shown exactly while idle, and Play and Pause take turns in one place.
//
// Speeds: levels -4..4 (modes 7..4, 1, 0x10..0x13); the buttons step one level
// and wrap -4 -> -1 and +4 -> +1, so repeated presses cycle x1/2 .. x1/16 and
// x2 .. x16. A speed change closes the sound, which stays closed until a
// resume or a seek opens it again. Mute closes the sound at once, and the next
// play, resume or seek leaves it closed; unmute opens it at once where the
// file plays at normal speed (not paused, level 0), and otherwise leaves it to
// the next resume or seek.
//
// Where the bar goes further than a plain reading of its buttons:
//   - a file that fails to open leaves no instance behind: the instance is
//     destroyed at once, so a later Play opens again instead of "resuming" a
//     file that never opened;
//   - the end-of-file notice acts only on the playback library's own end code
//     (11) and only for the instance open now (its handle is the notice's user
//     word), so another use of the message number, or the late end of a file
//     already stopped, plays nothing;
//   - a seek plays on, so it also ends a pause;
//   - a time range that is not in order counts as a length of 0, and the
//     seek range stops at the largest int.
//
// GUI thread only, except ShouldDrawLogo (the render thread's draw callback).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "app/base/file_play_ports.h"
#include "app/base/play_ports.h"

namespace play {

class PlayList;

struct FilePlayLinks {
    FilePlayer& player;
    FilePlayView& view;
    PlaySettings& settings;
    FileSystem& files;
    Clock& clock;
};

class FilePlayController {
  public:
    static constexpr int kDefaultVolume = 50;

    // `endMessage`: what the playback library is to post to the bar
    // (WM_FILEPLAY_END).
    FilePlayController(const FilePlayLinks& links, unsigned endMessage);

    void AttachPlayList(PlayList* list) { list_ = list; }
    // The idle look of the bar; the watermark button shows only when the
    // configuration's watermark setting is on.
    void Initialise(bool watermarkSetting);

    // Buttons.
    void OnPlay();  // OpenAndPlayFile
    void OnPause();
    void OnStop();
    void OnPrevious();
    void OnNext();
    void OnSpeedDown();
    void OnSpeedUp();
    void OnMute();
    void OnSnapshot();
    void OnWatermark();
    void OnShowHideList();
    // Timer 103, the sliders and the playback library's notice.
    void OnTimer();
    void OnSeek(int position);
    void OnVolume(int position);
    void OnPlayLibNotice(int code, uintptr_t user);

    // Stops what plays, then plays `path` (nothing for an empty path).
    void PlayPath(const std::string& path);
    // Stops, and forgets the current path.
    void StopAndForget();
    // The bar's window goes.
    void OnDestroy();

    // The render thread's draw callback asks: a file is open, the library
    // shows its watermark and the switch is on.
    bool ShouldDrawLogo() const;

    uint32_t playHandle() const { return handle_.load(); }
    bool paused() const { return paused_; }
    bool muted() const { return muted_; }
    int speedLevel() const { return speedLevel_; }
    int volume() const { return volume_; }
    bool watermarkOn() const { return watermarkOn_.load(); }
    bool listShown() const { return listShown_; }
    const std::string& currentPath() const { return path_; }
    int64_t startSeconds() const { return start_; }
    int64_t lengthSeconds() const { return length_; }

  private:
    void Stop();
    void PlayNeighbour(bool next);
    void StepSpeed(int step);
    void ApplySpeed();
    void ShowPlaying();
    void EnablePlayControls(bool playing);
    std::string Text(int id) const;

    FilePlayLinks links_;
    unsigned endMessage_;
    PlayList* list_ = nullptr;

    std::atomic<uint32_t> handle_{0};
    std::atomic<bool> watermarkOn_{true};
    bool muted_ = false;
    bool listShown_ = true;
    bool paused_ = false;
    int volume_ = kDefaultVolume;
    int speedLevel_ = 0;
    int64_t start_ = 0;   // the file's first time, whole seconds
    int64_t length_ = 0;  // whole seconds
    std::string path_;
    std::string playedText_;
    std::string lengthText_;
};

}  // namespace play
