// app/play/toolbar_controller.h
//
// The playback tool bar without its window: it acts on the selected play pane
// or, with Sync Playback on, on every pane that has records at once through one
// sync master instance of the playback library. It keeps per pane the speed
// level, the play mode last applied and the clip flag, the mute flag and the
// full-screen and sensor-panel switches, and decides which buttons are enabled
// and what the state text says. The dialog forwards its buttons and messages
// here and shows what the ToolbarView is told.
//
// Button states (SetButtonState) over twelve controls: Play, Pause, Stop, Speed
// Down, Speed Up, Next Frame, Capture, Video Clip, Mute, the volume slider,
// Play All, Stop All:
//   0  none             1  all (Next Frame not in sync)
//   2  playing: all but Play and Play All (Next Frame not in sync)
//   3  paused: all but Pause and Next Frame
//   4  speed: all but Next Frame
//   5  stepping: all but Pause, Speed Up and Speed Down
//   6  stopped: only Play and Play All
// Other values change nothing.
//
// Decisions where the behaviour is otherwise open or unsound:
// - The Sync Playback check comes back when every pane is stopped, and a pane
//   that never played counts as stopped; it is looked at whenever a pane
//   stops, also by itself at the end of its stream.
// - The Video Clip button follows the clip of the selected pane only: the flag
//   of a pane is what its pane reports (set when a clip really started, cleared
//   when it ended or the pane stopped), never flipped ahead of it.
// - Speed steps keep the pane's own level equal to the tool bar's level of the
//   pane (in sync, every pane's); the sync master gets the mode of the new
//   level even when the selected pane has no records.
// - A selection message refreshes the buttons even when it names the pane
//   already selected (the first pane is selected from the start).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/play/page_layout.h"
#include "app/play/play_ports.h"

namespace play {

class PaneController;

// Control ids.
inline constexpr int kPlayButton = 1011;
inline constexpr int kPauseButton = 1012;
inline constexpr int kStopButton = 1013;
inline constexpr int kSpeedDownButton = 1014;
inline constexpr int kSpeedUpButton = 1015;
inline constexpr int kNextFrameButton = 1016;
inline constexpr int kCaptureButton = 1017;
inline constexpr int kMuteButton = 1018;
inline constexpr int kVolumeSlider = 1019;
inline constexpr int kStateText = 1020;
inline constexpr int kVideoClipButton = 1021;
inline constexpr int kDownloadButton = 1022;
inline constexpr int kPlayAllButton = 1023;
inline constexpr int kStopAllButton = 1024;
inline constexpr int kOneWndButton = 1039;
inline constexpr int kFourWndButton = 1040;
inline constexpr int kFullScreenButton = 1041;
inline constexpr int kSensorPanelButton = 1134;

// The twelve controls SetButtonState decides, in the order of the state table.
inline constexpr std::array<int, 12> kStateControls = {
    kPlayButton,    kPauseButton,     kStopButton, kSpeedDownButton, kSpeedUpButton, kNextFrameButton,
    kCaptureButton, kVideoClipButton, kMuteButton, kVolumeSlider,    kPlayAllButton, kStopAllButton};

// Language strings of the tool bar.
inline constexpr int kStringFullScreen = 135;
inline constexpr int kStringExitScreen = 136;
inline constexpr int kStringMuteOn = 137;
inline constexpr int kStringMuteOff = 138;
inline constexpr int kStringState = 158;
inline constexpr int kStringBottom = 220;
inline constexpr int kStringUp = 221;
inline constexpr int kStringStopAllFirst = 222;

// Whether each control of kStateControls is enabled in a state; nothing for a
// state above 6 (or below 0).
std::optional<std::array<bool, 12>> EnabledInState(int state, bool syncActive);

struct ToolbarLinks {
    Player& player;
    TimeBar& timeBar;
    PlaySettings& settings;
    ToolbarView& view;
};

class ToolbarController {
  public:
    explicit ToolbarController(const ToolbarLinks& links);
    ToolbarController(const ToolbarController&) = delete;
    ToolbarController& operator=(const ToolbarController&) = delete;

    void AttachPane(int index, PaneController* pane);
    PaneController* Pane(int index) const;
    void Initialise();

    void SetButtonState(int state);
    // An empty text shows the selected pane's speed level.
    void SetSpeedText(const std::string& text);
    // Starts one pane (-1: the Play button), as the recording lists do.
    void PlayPane(int pane);
    void SyncSeekAll();
    void StopAllAndClear();
    void ShowDownloadButton(bool show);
    // Another mode was chosen: every pane's play-mode and clip words go back to
    // none (the page's panes no longer count as playing or recording).
    void ClearPaneWords();

    // Buttons.
    void OnPlay();
    void OnPause();
    void OnStop();
    void OnSpeedDown() { StepSpeed(false); }
    void OnSpeedUp() { StepSpeed(true); }
    void OnNextFrame();
    void OnCapture();
    void OnVideoClip();
    void OnPlayAll();
    void OnStopAll();
    void OnMute();
    void OnOneWnd();
    void OnFourWnd();
    void OnFullScreen();
    void OnSensorPanel();
    void OnDownload();

    // Messages.
    void OnPaneSelected(int pane);
    void OnRecordsChanged();
    void OnPlayLibNotify(int code, uintptr_t user);
    void OnStopAllPlay();
    void OnSliderMoving(int control, int position);
    void OnTimebarSeek() { SyncSeekAll(); }

    // What the panes read and report.
    bool muted() const { return muted_; }
    uint32_t syncMaster() const { return syncMaster_; }
    bool syncActive() const { return syncActive_; }
    int selectedPane() const { return selectedPane_; }
    int SpeedLevel(int pane) const;
    int PaneMode(int pane) const;
    bool ClipFlag(int pane) const;
    uint32_t PaneHandle(int pane) const;  // 0 when the pane has no instance
    void PaneSpeedReset(int pane);
    void PaneStopped(int pane);  // the pane stopped by itself or by its own stop
    void PaneClipChanged(int pane, bool recording);
    void ShowClipLook(bool latched);
    bool fullScreen() const { return fullScreen_; }
    bool sensorPanelOff() const { return sensorPanelOff_; }
    uintptr_t UserWord() const { return reinterpret_cast<uintptr_t>(this); }

  private:
    static bool ValidPane(int pane) { return pane >= 0 && pane < kPaneCount; }
    bool RowHasRecords(int pane) const;
    bool PaneHasRecords(int pane) const;
    void StartSyncPlay();
    void StopSync();
    void StepSpeed(bool up);
    void SoundStep();
    void GroupStep();
    void UpdateSyncCheck();
    std::string Text(int id) const;

    ToolbarLinks links_;
    std::array<PaneController*, kPaneCount> panes_{};
    uint32_t syncMaster_ = 0;
    bool muted_ = false;
    std::array<int, kPaneCount> speedLevel_{};
    bool sensorPanelOff_ = false;
    std::array<int, kPaneCount> paneMode_{};
    std::array<bool, kPaneCount> clipFlag_{};
    bool fullScreen_ = false;
    bool syncActive_ = true;
    int selectedPane_ = 0;
};

}  // namespace play
