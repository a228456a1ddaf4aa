// app/play/pane_grid.h
//
// The video grid of four play panes and the map grid of four map panes: which
// pane is selected, one pane or four, and (map grid only) sync mode, where the
// grid shows map pane 0 alone and ignores one/four requests. Layout and the
// selection frames are pure functions of that state and the client size.
//
//   four panes   2 x 2 cells of width/2 x height/2, filled row by row, each
//                pane 2 pixels inside its cell
//   one pane     the selected pane (map pane 0 in sync mode) fills the client,
//                2 pixels inside it
//
// Panes outside 0..3 are ignored everywhere.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/base/pixel_rect.h"
#include "app/play/page_layout.h"

namespace play {

// WM_PANE_LAYOUT's wParam.
inline constexpr int kOnePaneCommand = 1055;
inline constexpr int kFourPaneCommand = 1056;

inline constexpr uint32_t kSelectedPaneColour = 0x4BFF33;
inline constexpr uint32_t kPaneFrameColour = 0x000000;
inline constexpr int kPaneInset = 2;

// A frame to stroke with a 2-pixel pen; the rectangle already lies one pixel
// outside the one it frames.
struct PaneFrame {
    PixelRect rect;
    uint32_t colour = 0;
};

class PaneGrid {
  public:
    enum class Kind { Video, Map };
    explicit PaneGrid(Kind kind) : kind_(kind), syncMode_(kind == Kind::Map) {}

    struct Selection {
        bool changed = false;
        int previous = 0;
    };
    // WM_PANE_SELECTED: the selection changes when the pane differs.
    Selection Select(int pane);
    // WM_PANE_TOGGLE_LAYOUT: one pane <-> four, the pane selected. True when the
    // grid is to be laid out again.
    bool ToggleLayout(int pane);
    // WM_PANE_LAYOUT with 1055 or 1056. True when the pane count changed.
    bool ApplyLayoutCommand(int command);
    // WM_SYNC_PLAY on the map grid: the Sync Playback flag. Lay out again.
    void SetSyncMode(bool sync);

    std::array<Placement, kPaneCount> LayOut(int width, int height) const;
    std::vector<PaneFrame> Frames(int width, int height) const;

    int selectedPane() const { return selectedPane_; }
    bool onePane() const { return onePane_; }
    int paneCount() const { return paneCount_; }
    bool syncMode() const { return syncMode_; }

  private:
    bool LayoutLocked() const { return kind_ == Kind::Map && syncMode_; }

    Kind kind_;
    bool syncMode_;
    bool onePane_ = false;
    int selectedPane_ = 0;
    int paneCount_ = kPaneCount;
};

}  // namespace play
