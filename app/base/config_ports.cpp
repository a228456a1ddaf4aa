// app/base/config_ports.cpp
#include "app/base/config_ports.h"

#include "app/base/pane_count.h"
#include "app/base/pane_has_records.h"

namespace play {

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

}  // namespace play
