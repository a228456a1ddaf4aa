// app/play/pane_controller.h
//
// One play pane without its window: it plays one recording at a time through
// one playback-library instance, fed from the recorder's disk (the recording
// access library's play slot of the pane's index) or from a recorder over the
// network, and keeps the pane's play state, speed, seek, played time,
// snapshots and clips. The pane's dialog forwards its commands, timer 103 and
// WM_PLAYLIB_NOTIFY here and shows what the PaneView is told.
//
// Commands (PlayCtrl): 0 play or resume, 1 stop, 2 pause, 3 next frame. The
// second argument starts a pane as a member of the tool bar's sync group (it is
// created paused and the master drives it) or stops it as one (the master is
// already gone, so the instance is only destroyed); either way the tool bar's
// texts are left to the tool bar.
//
// The playback instance is created, wired and started before the disk play
// starts, so the first key frame, which arrives at once on the play thread,
// has an instance to go to.
//
// A frame the playback library refuses because its input is full is kept
// (copied) and delivery is switched off; when the library asks for data again
// the kept frame is offered first, and delivery is switched back on only once
// it was taken. No frame is lost and the order stays. The play thread stops at
// the refusal, so one frame is kept in practice; a source that kept sending
// would queue behind it, up to kMaxHeldFrames. A seek or a stop drops what is
// kept: the library flushes its input for either.
//
// A play remembers where it plays from (disk or network, and which disk), so
// flow control, seeks and the stop go to that source even when the program
// changed mode meanwhile. The stop ends network play whatever the mode, before
// the instance is destroyed, so the network library never feeds a destroyed
// instance.
//
// Stopping a pane finishes a clip in progress (whether or not a played time
// was seen) and clears the clip state of pane and tool bar. A clip that the
// library does not start leaves the pane and the Video Clip button as they
// were. Clip and snapshot folders are created with every missing level.
//
// Every command resets the pane's speed level and the tool bar's level of the
// pane together, so the two never disagree after a pause, a step, a stop or
// the end of the stream.
//
// The pane's time-valid flag, speed level and play mode are single values: a
// pane only ever plays in the slot of its own index.
//
// A sync member's cursor follows the master's played time once the master has
// shown a frame; before that, its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/base/play_ports.h"

namespace play {

class ToolbarController;
enum class ToolbarState;

enum PlayCommand { kPlayCommand = 0, kStopCommand = 1, kPauseCommand = 2, kNextFrameCommand = 3 };

inline constexpr size_t kMaxHeldFrames = 16;

// Language strings of the pane.
inline constexpr int kStringPause = 128;
inline constexpr int kStringNextFrame = 132;
inline constexpr int kStringCaptureFailed = 277;

struct PlayDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

struct PaneLinks {
    Player& player;
    DiskSource& disk;
    NetSource& net;
    TimeBar& timeBar;
    PlaySettings& settings;
    FileSystem& files;
    Clock& clock;
    MapPanes& maps;
    PaneView& view;
};

class PaneController final : public StreamSink {
  public:
    explicit PaneController(const PaneLinks& links);
    ~PaneController() override = default;
    PaneController(const PaneController&) = delete;
    PaneController& operator=(const PaneController&) = delete;

    void AttachToolbar(ToolbarController* toolbar) { toolbar_ = toolbar; }
    ToolbarController* toolbar() const { return toolbar_; }
    void SetPaneIndex(int index);
    // The day a network play covers (set by the network list); nothing: unknown.
    void SetPlayDay(std::optional<PlayDate> day) { playDay_ = day; }
    // The dialog's initialisation: the time text shows the current local time.
    void Initialise();

    void PlayCtrl(int command, bool syncStart);
    // Jumps to the time chosen on the pane's time-bar row (WM_TIMEBAR_SEEK).
    void SeekPlay();
    // Applies the speed level the tool bar set.
    void SetPlaySpeed();
    void CaptureSnapshot();
    void ToggleClipRecord();
    // The pane was clicked while the grid had `gridSelected` selected.
    void SelectPane(int gridSelected);
    // Timer 103.
    void UpdatePlayTime();
    // WM_PLAYLIB_NOTIFY: code and the user word given at registration.
    int OnPlayLibMessage(int code, uintptr_t user);
    // The draw callback: whether to blend the logo over the frame.
    bool ShouldDrawLogo() const;
    // The user word registered with the playback library.
    uintptr_t UserWord() const { return reinterpret_cast<uintptr_t>(this); }

    // StreamSink.
    void OnDiskData(const uint8_t* data, int length) override;
    void OnRecordSpan(const RecTime& start, const RecTime& end) override;
    int OnNetData(const uint8_t* data, int length) override;

    int paneIndex() const { return paneIndex_.load(); }
    bool playing() const { return playing_; }
    uint32_t playHandle() const { return playHandle_.load(); }
    uint32_t netPlayHandle() const { return netPlayHandle_; }
    int speedLevel() const { return speedLevel_; }
    void SetSpeedLevel(int level);
    int playMode() const { return playMode_; }
    bool syncStarted() const { return syncStarted_.load(); }
    bool clipRecording() const { return clipRecording_; }
    bool timeValid() const { return timeValid_; }
    const std::string& timeText() const { return timeText_; }
    size_t heldFrames() const;

  private:
    void Play(bool syncStart);
    void Stop(bool syncStart);
    void StartDisk(bool syncStart);
    void StartNetwork(bool syncStart);
    void StartFailed(bool syncStart);  // no message: the buttons say it
    // Creates and wires the playback instance; false when none was made.
    bool CreateInstance();
    // A time of the play day as the network library takes it; an unknown day
    // is 65535-255-255.
    RecfileTime DayAt(int hour, int minute, int second) const;
    void ShowCursorAt(int hour, int minute, int second);
    void HideCursor(bool common);
    void FinishClip();
    void SetTimeText(const std::string& text);
    // Offers the kept frames again; true when none is left.
    bool OfferHeldFrames();
    void DropHeldFrames();
    void ToolbarText(const std::string& text);
    void ShowToolbarState(ToolbarState state);
    std::string Text(int id) const;

    PaneLinks links_;
    ToolbarController* toolbar_ = nullptr;

    std::atomic<int> paneIndex_{-1};
    std::atomic<uint32_t> playHandle_{0};
    std::atomic<bool> syncStarted_{false};
    bool playing_ = false;
    bool timeValid_ = true;
    int speedLevel_ = 0;
    int playMode_ = 0;
    uint32_t netPlayHandle_ = 0;
    std::optional<PlayDate> playDay_;
    std::string timeText_ = "0000-00-00 00:00:00";
    bool clipRecording_ = false;

    // Where the current play comes from.
    bool fromDisk_ = true;
    FSDiskHandle disk_ = 0;

    // Frames the playback library refused, oldest first; an empty one is the
    // end mark. Guarded: the play thread adds, the GUI thread offers again.
    mutable std::mutex heldMutex_;
    std::deque<std::vector<uint8_t>> held_;
};

}  // namespace play
