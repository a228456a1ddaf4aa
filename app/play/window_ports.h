// app/play/window_ports.h
//
// The panes' and the tool bar's ports over the program's own side: the
// configuration object with the recording lists' has-records flags and the
// language strings (PlaySettings), folder creation (FileSystem), the
// playback frame's time bar (TimeBar) and its map panes (MapPanes). Windows
// only, like the configuration object.
//
// The panes and the tool bar are members of the playback frame and are made
// before it knows its children, so these ports start empty and are pointed at
// the configuration and the frame in the dialogs' initialisation: until then a
// PlaySettings answers with the defaults of a program without a disk, the time
// bar has no records and there is no map pane.
//
// The has-records flags, the GPS table and the watermark switch are read on
// the access library's and the playback library's threads too, without a
// lock: they are plain words the GUI thread changes between plays.
#pragma once

#include <string>

#include "app/app_config.h"
#include "app/base/play_ports.h"

class CDlgMapWnd;
class CDlgPlayback;

namespace play {

class ConfigPlaySettings final : public PlaySettings {
  public:
    void SetConfig(AppConfig* config) { config_ = config; }

    bool DiskMode() const override;
    FSDiskHandle DiskHandle() const override;
    int LoginHandle() const override;
    bool NetworkLoggedIn() const override;
    RecordSpan ChosenRecord(int pane) const override;
    bool GpsEnabled() const override;
    int GpsCount() const override;
    int FindGpsIndexByTime(int hour, int minute, int second) const override;
    std::string CapturePath() const override;
    std::string ClipPath() const override;
    std::string SourceName() const override;
    int VideoType() const override;
    bool SyncPlay() const override;
    bool ShowWatermark() const override;
    bool SensorPanelSetting() const override;
    bool PaneHasRecords(int pane) const override;
    std::string LoadLangString(int id) const override;

  private:
    AppConfig* config_ = nullptr;
};

class DirTreeFileSystem final : public FileSystem {
  public:
    void MakeDirTree(const std::string& path) override;
};

// The frame's time bar, once known.
class TimeBarLink final : public TimeBar {
  public:
    void SetTarget(TimeBar* target) { target_ = target; }

    int GetRecordCount(int row) const override;
    int FindRecordAt(int row, RecfileTime* out) const override;
    void SetCursorTime(int row, int hour, int minute, int second, bool common) override;
    void ShowCursor(int row, bool show, bool common) override;
    void ClearRecords(int row) override;

  private:
    TimeBar* target_ = nullptr;
};

// The map panes of the frame's map grid, which exists only with the GPS switch
// on. The map messages go to the page bridge of the map pane of the same index.
class MapGridPanes final : public MapPanes {
  public:
    void SetFrame(CDlgPlayback* frame) { frame_ = frame; }

    bool HasWindow(int pane) const override;
    void PostClear(int pane) override;
    void PostCarPosition(int pane, int gpsIndex) override;
    void PostDrawTrack(int pane, int lastIndex) override;
    void SetTimeText(int pane, const std::string& text) override;

  private:
    // The map pane when its window exists, or NULL.
    CDlgMapWnd* Pane(int pane) const;
    // Where its map messages go: its page bridge's window, or NULL.
    HWND BridgeWindow(int pane) const;

    CDlgPlayback* frame_ = nullptr;
};

// The playback frame a child of the frame (`levels` windows up) belongs to, or
// NULL when it is not inside one.
CDlgPlayback* FindFrame(HWND child, int levels);

}  // namespace play
