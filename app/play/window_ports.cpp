// app/play/window_ports.cpp
#include "app/play/window_ports.h"

#include "app/browse/device_list_model.h"
#include "app/browse/file_list_model.h"
#include "app/download/file_download_dlg.h"
#include "app/messages.h"
#include "app/play/playback_frame_wnd.h"

namespace play {

namespace {

bool ValidPane(int pane) {
    return pane >= 0 && pane < kPaneCount;
}

}  // namespace

// ---- configuration ----------------------------------------------------------------------

bool ConfigPlaySettings::DiskMode() const {
    return config_ == nullptr || config_->m_mode == 1;
}

FSDiskHandle ConfigPlaySettings::DiskHandle() const {
    return config_ != nullptr ? config_->m_diskHandle : 0;
}

int ConfigPlaySettings::LoginHandle() const {
    return config_ != nullptr ? config_->m_loginHandle : 0;
}

bool ConfigPlaySettings::NetworkLoggedIn() const {
    return config_ != nullptr && config_->m_netFlag != 0;
}

RecordSpan ConfigPlaySettings::ChosenRecord(int pane) const {
    RecordSpan span;
    if (config_ == nullptr || !ValidPane(pane))
        return span;
    const auto& records = config_->m_paneRecords[pane];
    const auto chosen = records.find(0);
    if (chosen != records.end()) {
        span.start = chosen->second.start;
        span.end = chosen->second.end;
    }
    return span;
}

bool ConfigPlaySettings::GpsEnabled() const {
    return config_ != nullptr && config_->m_gps != 0;
}

int ConfigPlaySettings::GpsCount() const {
    return config_ != nullptr ? static_cast<int>(config_->m_gpsTable.size()) : 0;
}

int ConfigPlaySettings::FindGpsIndexByTime(int hour, int minute, int second) const {
    if (config_ == nullptr)
        return -1;
    GpsTimeKey key{};
    key.Hour = static_cast<uint8_t>(hour);
    key.Minute = static_cast<uint8_t>(minute);
    key.Second = static_cast<uint8_t>(second);
    return config_->FindGpsIndexByTime(key);
}

std::string ConfigPlaySettings::CapturePath() const {
    return config_ != nullptr ? std::string(config_->m_capturePath) : std::string();
}

std::string ConfigPlaySettings::ClipPath() const {
    return config_ != nullptr ? std::string(config_->m_clipPath) : std::string();
}

std::string ConfigPlaySettings::SourceName() const {
    return config_ != nullptr ? std::string(config_->m_modeText.GetString()) : std::string();
}

int ConfigPlaySettings::VideoType() const {
    return config_ != nullptr ? config_->m_videoType : 0;
}

bool ConfigPlaySettings::SyncPlay() const {
    return config_ != nullptr && config_->m_syncPlay != FALSE;
}

bool ConfigPlaySettings::ShowWatermark() const {
    return config_ != nullptr && config_->m_showWatermark != FALSE;
}

bool ConfigPlaySettings::SensorPanelSetting() const {
    return config_ != nullptr && config_->m_mimic != 0;
}

bool ConfigPlaySettings::PaneHasRecords(int pane) const {
    return ValidPane(pane) && (g_diskPaneHasRecords[pane] != 0 || g_netPaneHasRecords[pane] != 0);
}

std::string ConfigPlaySettings::LoadLangString(int id) const {
    return config_ != nullptr ? std::string(config_->LoadLangString(id).GetString()) : std::string();
}

void DirTreeFileSystem::MakeDirTree(const std::string& path) {
    ::MakeDirTree(path.c_str());
}

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
