// app/base/play_ports.h
//
// What the play panes and the playback tool bar need from the rest of the
// program, as small interfaces: the playback library, the recording access
// library, the network library, the time bar, the configuration, the file
// system, the clock, the map panes and their own windows. The controllers make
// every decision; the objects behind these interfaces only carry calls out
// (the dialogs, and adapters over VekPlay, VKFS, VekNet and AppConfig), so the
// controllers are tested with recording fakes.
//
// Each interface holds exactly the calls the panes and the tool bar make, named
// after the library call they stand for. Handles are the libraries' 32-bit ids
// (0 = none); windows are opaque values the views hand out.
//
// Threads: everything is called on the GUI thread, except what a StreamSink
// does when the recording access library or the network library delivers
// data (their own threads): Player::InputNetFrame, DiskSource::RequestData,
// Player::ShowWaterMark (from the draw callback), PlaySettings' GPS and
// watermark reads, and MapPanes::HasWindow / PostDrawTrack. Those must be
// safe to call from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/base/timebar_record.h"
#include "vkfs/vkfs_api.h"

namespace play {

// VekPlayInputNetFrame: the input is full and the frame was not taken.
inline constexpr uint32_t kPlayerInputFull = 0x8007000E;
// VekPlay notice codes (wParam of WM_PLAYLIB_NOTIFY).
inline constexpr int kNotifyWantData = 1;
inline constexpr int kNotifyEnd = 11;
// VekPlayCreatePlayInstance types.
inline constexpr int kStreamInstance = 1;
inline constexpr int kSyncMasterInstance = 4;

// A local date and time of the wall clock.
struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Where recorded data goes: a play pane. The recording access library calls
// the first two on its play thread, the network library the third on its own.
class StreamSink {
  public:
    virtual ~StreamSink() = default;
    // One whole frame; no data or length 0 marks the end of the records.
    virtual void OnDiskData(const uint8_t* data, int length) = 0;
    // Play has reached a record spanning start..end.
    virtual void OnRecordSpan(const RecTime& start, const RecTime& end) = 0;
    // One frame from the network: 0 when it was not taken, 1 otherwise.
    virtual int OnNetData(const uint8_t* data, int length) = 0;
};

// The playback library (VekPlay).
class Player {
  public:
    virtual ~Player() = default;
    virtual uint32_t CreatePlayInstance(int type) = 0;
    virtual void DestroyPlayInstance(uint32_t handle) = 0;
    virtual void SetPlayWnd(uint32_t handle, uintptr_t window) = 0;
    virtual void SetCallbackMessage(uint32_t handle, uintptr_t window, unsigned message, uintptr_t user) = 0;
    // Registers the pane's draw callback (the watermark logo) with the user word.
    virtual void RegisterDrawFun(uint32_t handle, uintptr_t user) = 0;
    virtual void StartPlay(uint32_t handle) = 0;
    virtual void StopPlay(uint32_t handle) = 0;
    virtual void SetPlayMode(uint32_t handle, int mode) = 0;
    virtual int GetPlayMode(uint32_t handle) = 0;
    // kPlayerInputFull when the frame was not taken; a null frame or length 0
    // is the end mark.
    virtual uint32_t InputNetFrame(uint32_t handle, const uint8_t* frame, uint32_t length) = 0;
    virtual uint64_t GetCurPlayedTime(uint32_t handle) = 0;  // microseconds since 1970 UTC
    virtual void OpenSound(uint32_t handle) = 0;
    virtual void CloseSound(uint32_t handle) = 0;
    virtual int GetPlayVolume(uint32_t handle) = 0;                            // VekPlayGetPlayVolume_s
    virtual void SetPlayVolume(int volume) = 0;                                // one volume for all sound
    virtual int CapturePicture(uint32_t handle, const std::string& path) = 0;  // -1 failed
    // Type 1 ".mp4", 2 ".avi"; 0 when the clip started.
    virtual int StartLocalRecord(uint32_t handle, const std::string& path, int type) = 0;
    virtual void StopLocalRecord(uint32_t handle) = 0;
    virtual void AddSyncPlayInstance(uint32_t master, uint32_t member) = 0;
    virtual bool ShowWaterMark(uint32_t handle) = 0;
};

// Play from the recorder's disk (VKFS), per slot 0..3.
class DiskSource {
  public:
    virtual ~DiskSource() = default;
    // reportSpans: call the sink's OnRecordSpan at each record.
    virtual void Play(FSDiskHandle disk,
                      const RecTime& from,
                      const RecTime& to,
                      int slot,
                      StreamSink* sink,
                      bool reportSpans) = 0;
    virtual void StopPlay(FSDiskHandle disk, int slot) = 0;
    virtual void SeekPlay(FSDiskHandle disk, const RecTime& time, int slot) = 0;
    virtual void RequestData(FSDiskHandle disk, int slot, bool on) = 0;
};

// A remote record play: the channel and the span, each a date and a time
// (the record-play request's two record times).
struct NetPlayRequest {
    int channel = 0;
    RecfileTime start;
    RecfileTime end;
};

// Play from a recorder over the network (VekNet).
class NetSource {
  public:
    virtual ~NetSource() = default;
    virtual uint32_t StartRecordPlay(int login,
                                     const NetPlayRequest& request,
                                     StreamSink* sink) = 0;  // 0 failed
    virtual void ReqRecordData(uint32_t play) = 0;
    virtual void ReposRecordData(uint32_t play, const RecfileTime& position, const RecfileTime& end) = 0;
    virtual void ReplayRecordData(uint32_t play) = 0;
    virtual void StopRecordPlay(uint32_t play) = 0;
};

// The recording time bar of the playback frame: one row per pane, a cursor per
// row and one common cursor for a sync group.
class TimeBar {
  public:
    virtual ~TimeBar() = default;
    virtual int GetRecordCount(int row) const = 0;
    // 0 no seek, 1 inside a record (*out the target), 2 the next record's start.
    virtual int FindRecordAt(int row, RecfileTime* out) const = 0;
    virtual void SetCursorTime(int row, int hour, int minute, int second, bool common) = 0;
    virtual void ShowCursor(int row, bool show, bool common) = 0;
    virtual void ClearRecords(int row) = 0;
};

// A record chosen for a pane: its span.
struct RecordSpan {
    RecTime start{};
    RecTime end{};
};

// What the configuration object (and the lists' has-records flags) tell.
class PlaySettings {
  public:
    virtual ~PlaySettings() = default;
    virtual bool DiskMode() const = 0;  // else the network
    virtual FSDiskHandle DiskHandle() const = 0;
    virtual int LoginHandle() const = 0;
    virtual bool NetworkLoggedIn() const = 0;
    virtual RecordSpan ChosenRecord(int pane) const = 0;
    virtual bool GpsEnabled() const = 0;  // the GPS switch
    virtual int GpsCount() const = 0;     // fixes in the GPS table
    virtual int FindGpsIndexByTime(int hour, int minute, int second) const = 0;
    virtual std::string CapturePath() const = 0;
    virtual std::string ClipPath() const = 0;
    virtual std::string SourceName() const = 0;  // "Local", or the recorder's name
    virtual int VideoType() const = 0;           // 0 ".mp4", 1 ".avi"
    virtual bool SyncPlay() const = 0;           // the Sync Playback check
    virtual bool ShowWatermark() const = 0;
    virtual bool SensorPanelSetting() const = 0;      // [Mimic]
    virtual bool PaneHasRecords(int pane) const = 0;  // the disk or the network list
    virtual std::string LoadLangString(int id) const = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Creates every folder along the path; existing ones are fine.
    virtual void MakeDirTree(const std::string& path) = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual CivilTime LocalNow() const = 0;
    // Nothing when the system cannot convert the time.
    virtual std::optional<CivilTime> LocalTimeOf(int64_t secondsSince1970) const = 0;
    virtual void SleepMs(int ms) = 0;
};

// The system's clock and sleep.
class SystemClock final : public Clock {
  public:
    CivilTime LocalNow() const override;
    std::optional<CivilTime> LocalTimeOf(int64_t secondsSince1970) const override;
    void SleepMs(int ms) override;
};

// The map panes of the track view, one per play pane; a pane may have no
// window (no map grid).
class MapPanes {
  public:
    virtual ~MapPanes() = default;
    virtual bool HasWindow(int pane) const = 0;
    virtual void PostClear(int pane) = 0;                      // WM_MAP_CLEAR
    virtual void PostCarPosition(int pane, int gpsIndex) = 0;  // WM_MAP_CAR_POSITION
    virtual void PostDrawTrack(int pane, int lastIndex) = 0;   // WM_MAP_DRAW_TRACK
    virtual void SetTimeText(int pane, const std::string& text) = 0;
};

// A play pane's window.
class PaneView {
  public:
    virtual ~PaneView() = default;
    virtual uintptr_t Window() const = 0;                    // gets WM_PLAYLIB_NOTIFY
    virtual uintptr_t VideoWindow() const = 0;               // the video area VekPlay draws into
    virtual void SetVideoIdle(bool idle) = 0;                // the video area's idle picture
    virtual void ShowTimeText(const std::string& text) = 0;  // repaints the time, no erase
    virtual void EraseVideo() = 0;
    virtual void Repaint() = 0;              // the whole pane, no erase
    virtual void SetPlayTimer(bool on) = 0;  // timer 103, 1000 ms
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void PostPaneSelected(int pane) = 0;  // WM_PANE_SELECTED to the grid
};

// The tool bar's window and controls.
class ToolbarView {
  public:
    virtual ~ToolbarView() = default;
    virtual uintptr_t Window() const = 0;  // gets the sync master's WM_PLAYLIB_NOTIFY
    virtual void EnableControl(int id, bool enable) = 0;
    virtual void ShowControl(int id, bool show) = 0;
    virtual void SetLatched(int id, bool latched) = 0;  // a button's checked look
    virtual void SetCaption(int id, const std::string& text) = 0;
    virtual void SetStateText(const std::string& text) = 0;
    virtual void SetVolume(int position) = 0;       // the volume slider
    virtual void EnableSyncCheck(bool enable) = 0;  // Sync Playback of the view type selector
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void PostToFrame(unsigned message, uintptr_t wParam) = 0;
    virtual void OpenDownload(int pane) = 0;   // the pane's download dialog, filled from its row
    virtual void StopDownloads(int pane) = 0;  // every download of the pane's dialog
};

}  // namespace play
