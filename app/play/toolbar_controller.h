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
// The buttons' state (ToolbarState) decides which of twelve controls are
// enabled: Play, Pause, Stop, Speed Down, Speed Up, Next Frame, Capture, Video
// Clip, Mute, the volume slider, Play All, Stop All (EnabledInState). A pane's
// play mode gives the state its buttons show (StateForMode); the panes and the
// tool bar both go through that one table.
//
// The Sync Playback check comes back when every pane is stopped, and a pane
// that never played counts as stopped; it is looked at whenever a pane stops,
// also by itself at the end of its stream.
//
// The Video Clip button follows the clip of the selected pane only: the flag
// of a pane is what its pane reports (set when a clip really started, cleared
// when it ended or the pane stopped), never flipped ahead of it.
//
// Speed steps keep the pane's own level equal to the tool bar's level of the
// pane (in sync, every pane's), so the two never disagree; the sync master
// gets the mode of the new level even when the selected pane has no records.
//
// A selection message refreshes the buttons even when it names the pane
// already selected: the first pane is selected from the start, and its first
// selection message must still show its state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/base/play_ports.h"
#include "app/play/page_layout.h"
#include "res/play_pane_ids.h"
#include "res/playback_ids.h"

namespace play {

class PaneController;

// The twelve controls the buttons' state decides, in the order of
// EnabledInState's array.
inline constexpr std::array<int, 12> kStateControls = {
    IDC_TOOL_PLAY,     IDC_TOOL_PAUSE,      IDC_TOOL_STOP,     IDC_TOOL_SPEED_DOWN,
    IDC_TOOL_SPEED_UP, IDC_TOOL_NEXT_FRAME, IDC_TOOL_CAPTURE,  IDC_TOOL_VIDEO_CLIP,
    IDC_TOOL_MUTE,     IDC_TOOL_VOLUME,     IDC_TOOL_PLAY_ALL, IDC_TOOL_STOP_ALL};

// Which of kStateControls a moment of play leaves enabled.
enum class ToolbarState {
    None = 0,      // nothing: no pane with records is selected, or play was torn down
    All = 1,       // everything (Next Frame not in sync)
    Playing = 2,   // all but Play and Play All (Next Frame not in sync)
    Paused = 3,    // all but Pause and Next Frame
    Speed = 4,     // at another speed: all but Next Frame
    Stepping = 5,  // all but Pause, Speed Up and Speed Down
    Stopped = 6,   // only Play and Play All
};

// Whether each control of kStateControls is enabled in `state`; nothing for a
// value that names no state.
std::optional<std::array<bool, 12>> EnabledInState(ToolbarState state, bool syncActive);

// The state the buttons show for a pane playing in `mode` (a play mode of the
// playback library, app/base/play_speed.h): a speed mode is Speed.
ToolbarState StateForMode(int mode);

// Language strings of the tool bar.
inline constexpr int kStringFullScreen = 135;
inline constexpr int kStringExitScreen = 136;
inline constexpr int kStringMuteOn = 137;
inline constexpr int kStringMuteOff = 138;
inline constexpr int kStringState = 158;
inline constexpr int kStringBottom = 220;
inline constexpr int kStringUp = 221;
inline constexpr int kStringStopAllFirst = 222;

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

    void SetButtonState(ToolbarState state);
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
    bool RowHasRecords(int pane) const;
    bool PaneHasRecords(int pane) const;
    void StartSyncPlay();
    void StopSync();
    void StepSpeed(bool up);
    void SoundStep();
    void GroupStep();
    void UpdateSyncCheck();
    std::string Text(int id) const;
    // The state text of a pane in `mode`; empty for a speed (SetSpeedText
    // shows the pane's level then).
    std::string ModeText(int mode) const;

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
