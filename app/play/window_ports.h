// app/play/window_ports.h
//
// The panes' and the tool bar's ports over the playback frame: its time bar
// (TimeBar) and its map panes (MapPanes); those over the configuration are in
// app/base/config_ports.h. Windows only.
//
// The panes and the tool bar are members of the playback frame and are made
// before it knows its children, so these ports start empty and are pointed at
// the frame in the dialogs' initialisation: until then the time bar has no
// records and there is no map pane.
#pragma once

#include <string>

#include "app/base/config_ports.h"
#include "app/base/play_ports.h"

class CDlgMapWnd;
class CDlgPlayback;

namespace play {

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
