// app/play/window_ports.cpp
#include "app/play/window_ports.h"

#include "app/base/pane_count.h"
#include "app/messages.h"
#include "app/play/playback_frame_wnd.h"

namespace play {

// ---- time bar -----------------------------------------------------------------------------

int TimeBarLink::GetRecordCount(int row) const {
    return target_ != nullptr ? target_->GetRecordCount(row) : 0;
}

int TimeBarLink::FindRecordAt(int row, RecfileTime* out) const {
    return target_ != nullptr ? target_->FindRecordAt(row, out) : 0;
}

void TimeBarLink::SetCursorTime(int row, int hour, int minute, int second, bool common) {
    if (target_ != nullptr)
        target_->SetCursorTime(row, hour, minute, second, common);
}

void TimeBarLink::ShowCursor(int row, bool show, bool common) {
    if (target_ != nullptr)
        target_->ShowCursor(row, show, common);
}

void TimeBarLink::ClearRecords(int row) {
    if (target_ != nullptr)
        target_->ClearRecords(row);
}

// ---- map panes ----------------------------------------------------------------------------

CDlgMapWnd* MapGridPanes::Pane(int pane) const {
    if (frame_ == nullptr || !ValidPane(pane) || !frame_->HasMapGrid())
        return nullptr;
    CDlgMapWnd& map = frame_->m_dlgTrack.m_panes[pane];
    return map.m_hWnd != nullptr ? &map : nullptr;
}

HWND MapGridPanes::BridgeWindow(int pane) const {
    const CDlgMapWnd* map = Pane(pane);
    return map != nullptr ? map->BridgeWindow() : nullptr;
}

bool MapGridPanes::HasWindow(int pane) const {
    return Pane(pane) != nullptr;
}

void MapGridPanes::PostClear(int pane) {
    if (HWND window = BridgeWindow(pane))
        ::PostMessageA(window, WM_MAP_CLEAR, 0, 0);
}

void MapGridPanes::PostCarPosition(int pane, int gpsIndex) {
    if (HWND window = BridgeWindow(pane))
        ::PostMessageA(window, WM_MAP_CAR_POSITION, static_cast<WPARAM>(gpsIndex), 0);
}

void MapGridPanes::PostDrawTrack(int pane, int lastIndex) {
    if (HWND window = BridgeWindow(pane))
        ::PostMessageA(window, WM_MAP_DRAW_TRACK, 0, static_cast<LPARAM>(lastIndex));
}

void MapGridPanes::SetTimeText(int pane, const std::string& text) {
    if (CDlgMapWnd* map = Pane(pane))
        map->SetTimeText(text.c_str());
}

CDlgPlayback* FindFrame(HWND child, int levels) {
    HWND window = child;
    for (int i = 0; i < levels && window != nullptr; ++i)
        window = ::GetParent(window);
    return dynamic_cast<CDlgPlayback*>(CWnd::FromHandlePermanent(window));
}

}  // namespace play
