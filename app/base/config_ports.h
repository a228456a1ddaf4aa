// app/base/config_ports.h
//
// The play panes', the tool bar's and the file player's ports over the
// configuration object (PlaySettings: the recording lists' has-records flags
// and the language strings included) and over folder creation (FileSystem).
// Windows only, like the configuration object.
//
// The panes and the tool bar are members of the playback frame and are made
// before it knows its children, so a PlaySettings starts empty and is pointed
// at the configuration in the dialogs' initialisation: until then it answers
// with the defaults of a program without a disk.
//
// The has-records flags, the GPS table and the watermark switch are read on
// the access library's and the playback library's threads too, without a
// lock: they are plain words the GUI thread changes between plays.
#pragma once

#include <string>

#include "app/app_config.h"
#include "app/base/play_ports.h"

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

}  // namespace play
