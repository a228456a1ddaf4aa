// app/play/pane_grid.cpp
#include "app/play/pane_grid.h"

namespace play {

namespace {

PixelRect Outside(const PixelRect& r) {
    return {r.x - 1, r.y - 1, r.width + 2, r.height + 2};
}

}  // namespace

PaneGrid::Selection PaneGrid::Select(int pane) {
    Selection s{false, selectedPane_};
    if (ValidPane(pane) && pane != selectedPane_) {
        selectedPane_ = pane;
        s.changed = true;
    }
    return s;
}

bool PaneGrid::ToggleLayout(int pane) {
    if (!ValidPane(pane) || LayoutLocked())
        return false;
    onePane_ = !onePane_;
    selectedPane_ = pane;
    paneCount_ = onePane_ ? 1 : kPaneCount;
    return true;
}

bool PaneGrid::ApplyLayoutCommand(int command) {
    if ((command != kOnePaneCommand && command != kFourPaneCommand) || LayoutLocked())
        return false;
    const int before = paneCount_;
    onePane_ = command == kOnePaneCommand;
    paneCount_ = onePane_ ? 1 : kPaneCount;
    return paneCount_ != before;
}

void PaneGrid::SetSyncMode(bool sync) {
    if (kind_ == Kind::Map)
        syncMode_ = sync;
}

std::array<Placement, kPaneCount> PaneGrid::LayOut(int width, int height) const {
    std::array<Placement, kPaneCount> panes{};
    for (Placement& p : panes)
        p.shown = false;
    const PixelRect client{0, 0, width < 0 ? 0 : width, height < 0 ? 0 : height};
    if (LayoutLocked() || onePane_) {
        const int pane = LayoutLocked() ? 0 : selectedPane_;
        panes[pane] = {client.Inset(kPaneInset), true};
        return panes;
    }
    // Two columns, two rows: the integer square root of the pane count.
    constexpr int n = 2;
    const int cellWidth = client.width / n;
    const int cellHeight = client.height / n;
    for (int i = 0; i < n * n; ++i) {
        const PixelRect cell{(i % n) * cellWidth, (i / n) * cellHeight, cellWidth, cellHeight};
        panes[i] = {cell.Inset(kPaneInset), true};
    }
    return panes;
}

std::vector<PaneFrame> PaneGrid::Frames(int width, int height) const {
    const PixelRect client{0, 0, width < 0 ? 0 : width, height < 0 ? 0 : height};
    if (LayoutLocked() || onePane_)
        return {{Outside(client), kSelectedPaneColour}};
    const PixelRect selected = LayOut(width, height)[selectedPane_].rect;
    return {{Outside(client), kPaneFrameColour}, {Outside(selected), kSelectedPaneColour}};
}

}  // namespace play
