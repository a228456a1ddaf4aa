// tests/app/play/play_fakes.h
//
// Recording fakes of everything the play panes and the tool bar call, and a
// rig of four panes and one tool bar wired to them. Every call that matters
// for the order of events goes to one shared log ("Create(1)=101",
// "FSPlay(slot 0)", ...), so tests check sequences with Before().
#pragma once

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/base/play_ports.h"
#include "app/play/model_time_bar.h"
#include "app/play/pane_controller.h"
#include "app/play/toolbar_controller.h"
#include "media/civil_date.h"

namespace playtest {

using namespace play;

struct CallLog {
    std::vector<std::string> calls;

    void Add(const std::string& call) { calls.push_back(call); }
    int IndexOf(const std::string& call) const {
        const auto it = std::find(calls.begin(), calls.end(), call);
        return it == calls.end() ? -1 : static_cast<int>(it - calls.begin());
    }
    bool Has(const std::string& call) const { return IndexOf(call) >= 0; }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }
    // Both logged, the first one earlier.
    bool Before(const std::string& a, const std::string& b) const {
        const int ia = IndexOf(a);
        const int ib = IndexOf(b);
        return ia >= 0 && ib >= 0 && ia < ib;
    }
    void Clear() { calls.clear(); }
};

inline std::string H(uint32_t handle) {
    return std::to_string(handle);
}

class FakePlayer final : public Player {
  public:
    explicit FakePlayer(CallLog& log) : log_(log) {}

    uint32_t CreatePlayInstance(int type) override {
        const uint32_t h = failCreate.count(type) ? 0 : next_++;
        log_.Add("Create(" + std::to_string(type) + ")=" + H(h));
        return h;
    }
    void DestroyPlayInstance(uint32_t h) override { log_.Add("Destroy(" + H(h) + ")"); }
    void SetPlayWnd(uint32_t h, uintptr_t) override { log_.Add("SetPlayWnd(" + H(h) + ")"); }
    void SetCallbackMessage(uint32_t h, uintptr_t, unsigned, uintptr_t user) override {
        users[h] = user;
        log_.Add("SetCallbackMessage(" + H(h) + ")");
    }
    void RegisterDrawFun(uint32_t h, uintptr_t) override { log_.Add("RegisterDrawFun(" + H(h) + ")"); }
    void StartPlay(uint32_t h) override { log_.Add("StartPlay(" + H(h) + ")"); }
    void StopPlay(uint32_t h) override { log_.Add("StopPlay(" + H(h) + ")"); }
    void SetPlayMode(uint32_t h, int mode) override {
        modes[h].push_back(mode);
        log_.Add("SetPlayMode(" + H(h) + "," + std::to_string(mode) + ")");
    }
    int GetPlayMode(uint32_t h) override { return reportedMode.count(h) ? reportedMode[h] : 1; }
    uint32_t InputNetFrame(uint32_t h, const uint8_t* frame, uint32_t length) override {
        if (refuseNext > 0) {
            --refuseNext;
            return kPlayerInputFull;
        }
        inputs[h].push_back(frame ? std::string(frame, frame + length) : std::string("<end>"));
        log_.Add("Input(" + H(h) + ")");
        return 0;
    }
    uint64_t GetCurPlayedTime(uint32_t h) override { return played.count(h) ? played[h] : 0; }
    void OpenSound(uint32_t h) override { log_.Add("OpenSound(" + H(h) + ")"); }
    void CloseSound(uint32_t h) override { log_.Add("CloseSound(" + H(h) + ")"); }
    int GetPlayVolume(uint32_t h) override { return 40 + static_cast<int>(h % 10); }
    void SetPlayVolume(int v) override { log_.Add("SetPlayVolume(" + std::to_string(v) + ")"); }
    int CapturePicture(uint32_t h, const std::string& path) override {
        log_.Add("Capture(" + H(h) + "," + path + ")");
        return captureResult;
    }
    int StartLocalRecord(uint32_t h, const std::string& path, int type) override {
        log_.Add("StartClip(" + H(h) + "," + path + "," + std::to_string(type) + ")");
        return startClipResult;
    }
    void StopLocalRecord(uint32_t h) override { log_.Add("StopClip(" + H(h) + ")"); }
    void AddSyncPlayInstance(uint32_t master, uint32_t member) override {
        log_.Add("AddSync(" + H(master) + "," + H(member) + ")");
    }
    bool ShowWaterMark(uint32_t) override { return watermark; }

    std::set<int> failCreate;
    int refuseNext = 0;
    int captureResult = 0;
    int startClipResult = 0;
    bool watermark = true;
    std::map<uint32_t, int> reportedMode;
    std::map<uint32_t, uint64_t> played;
    std::map<uint32_t, std::vector<int>> modes;
    std::map<uint32_t, std::vector<std::string>> inputs;
    std::map<uint32_t, uintptr_t> users;

  private:
    CallLog& log_;
    uint32_t next_ = 101;
};

class FakeDisk final : public DiskSource {
  public:
    explicit FakeDisk(CallLog& log) : log_(log) {}
    void Play(FSDiskHandle disk, const RecTime&, const RecTime&, int slot, StreamSink* s, bool spans)
        override {
        sink[slot] = s;
        reportSpans = spans;
        log_.Add("FSPlay(disk " + std::to_string(disk) + ",slot " + std::to_string(slot) + ")");
        // The play thread's first frame comes at once.
        if (!firstFrame.empty())
            s->OnDiskData(reinterpret_cast<const uint8_t*>(firstFrame.data()),
                          static_cast<int>(firstFrame.size()));
    }
    void StopPlay(FSDiskHandle disk, int slot) override {
        log_.Add("FSStopPlay(disk " + std::to_string(disk) + ",slot " + std::to_string(slot) + ")");
    }
    void SeekPlay(FSDiskHandle, const RecTime& t, int slot) override {
        seeks.push_back(t);
        log_.Add("FSSeekPlay(slot " + std::to_string(slot) + ")");
    }
    void RequestData(FSDiskHandle, int slot, bool on) override {
        log_.Add(std::string("FSRequestData(slot ") + std::to_string(slot) + (on ? ",1)" : ",0)"));
    }

    std::string firstFrame;
    std::array<StreamSink*, 4> sink{};
    bool reportSpans = false;
    std::vector<RecTime> seeks;

  private:
    CallLog& log_;
};

class FakeNet final : public NetSource {
  public:
    explicit FakeNet(CallLog& log) : log_(log) {}
    uint32_t StartRecordPlay(int, const NetPlayRequest& r, StreamSink*) override {
        requests.push_back(r);
        log_.Add("NetStart=" + H(startResult));
        return startResult;
    }
    void ReqRecordData(uint32_t h) override { log_.Add("NetReq(" + H(h) + ")"); }
    void ReposRecordData(uint32_t h, const RecfileTime& pos, const RecfileTime& end) override {
        repos.push_back({pos, end});
        log_.Add("NetRepos(" + H(h) + ")");
    }
    void ReplayRecordData(uint32_t h) override { log_.Add("NetReplay(" + H(h) + ")"); }
    void StopRecordPlay(uint32_t h) override { log_.Add("NetStop(" + H(h) + ")"); }

    uint32_t startResult = 77;
    std::vector<NetPlayRequest> requests;
    std::vector<std::pair<RecfileTime, RecfileTime>> repos;

  private:
    CallLog& log_;
};

// The real time-bar model behind the interface; cursor calls are logged.
class LoggingTimeBar final : public TimeBar {
  public:
    explicit LoggingTimeBar(CallLog& log) : log_(log), inner_(model) {}
    int GetRecordCount(int row) const override { return inner_.GetRecordCount(row); }
    int FindRecordAt(int row, RecfileTime* out) const override { return inner_.FindRecordAt(row, out); }
    void SetCursorTime(int row, int h, int m, int s, bool common) override {
        char text[64];
        std::snprintf(text, sizeof text, "Cursor(%s,%02d:%02d:%02d)",
                      common ? "common" : std::to_string(row).c_str(), h, m, s);
        log_.Add(text);
        inner_.SetCursorTime(row, h, m, s, common);
    }
    void ShowCursor(int row, bool show, bool common) override {
        log_.Add(std::string(show ? "ShowCursor(" : "HideCursor(") +
                 (common ? "common" : std::to_string(row)) + ")");
        inner_.ShowCursor(row, show, common);
    }
    void ClearRecords(int row) override {
        log_.Add("ClearRow(" + std::to_string(row) + ")");
        inner_.ClearRecords(row);
    }

    TimebarModel model;

  private:
    CallLog& log_;
    ModelTimeBar inner_;
};

class FakeSettings final : public PlaySettings {
  public:
    bool DiskMode() const override { return diskMode; }
    FSDiskHandle DiskHandle() const override { return disk; }
    int LoginHandle() const override { return 5; }
    bool NetworkLoggedIn() const override { return loggedIn; }
    RecordSpan ChosenRecord(int) const override { return {}; }
    bool GpsEnabled() const override { return gps; }
    int GpsCount() const override { return gpsCount; }
    int FindGpsIndexByTime(int h, int m, int s) const override {
        return gpsCount ? h * 3600 + m * 60 + s : -1;
    }
    std::string CapturePath() const override { return "D:\\DVR\\Capture"; }
    std::string ClipPath() const override { return "D:\\DVR\\Clip"; }
    std::string SourceName() const override { return source; }
    int VideoType() const override { return videoType; }
    bool SyncPlay() const override { return sync; }
    bool ShowWatermark() const override { return watermark; }
    bool SensorPanelSetting() const override { return mimic; }
    bool PaneHasRecords(int pane) const override { return pane >= 0 && pane < 4 && hasRecords[pane]; }
    std::string LoadLangString(int id) const override { return "s" + std::to_string(id); }

    bool diskMode = true;
    FSDiskHandle disk = 7;
    bool loggedIn = false;
    bool gps = false;
    int gpsCount = 0;
    std::string source = "Local";
    int videoType = 0;
    bool sync = false;
    bool watermark = true;
    bool mimic = true;
    std::array<bool, 4> hasRecords{};
};

class FakeFiles final : public FileSystem {
  public:
    explicit FakeFiles(CallLog& log) : log_(log) {}
    void MakeDirTree(const std::string& path) override { log_.Add("MakeDirTree(" + path + ")"); }

  private:
    CallLog& log_;
};

// Local time is UTC; "now" is fixed.
class FakeClock final : public Clock {
  public:
    explicit FakeClock(CallLog& log) : log_(log) {}
    CivilTime LocalNow() const override { return now; }
    std::optional<CivilTime> LocalTimeOf(int64_t t) const override {
        const int64_t days = t >= 0 ? t / 86400 : (t - 86399) / 86400;
        const int64_t secs = t - days * 86400;
        int64_t y = 0;
        int m = 0;
        int d = 0;
        media::CivilFromDays(days, &y, &m, &d);
        return CivilTime{
            static_cast<int>(y),        m, d, static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
            static_cast<int>(secs % 60)};
    }
    void SleepMs(int ms) override { log_.Add("Sleep(" + std::to_string(ms) + ")"); }

    CivilTime now{2024, 3, 5, 14, 7, 9};

  private:
    CallLog& log_;
};

class FakeMaps final : public MapPanes {
  public:
    explicit FakeMaps(CallLog& log) : log_(log) {}
    bool HasWindow(int pane) const override { return withWindows && pane >= 0 && pane < 4; }
    void PostClear(int pane) override { log_.Add("MapClear(" + std::to_string(pane) + ")"); }
    void PostCarPosition(int pane, int index) override {
        log_.Add("MapCar(" + std::to_string(pane) + "," + std::to_string(index) + ")");
    }
    void PostDrawTrack(int pane, int last) override {
        log_.Add("MapTrack(" + std::to_string(pane) + "," + std::to_string(last) + ")");
    }
    void SetTimeText(int pane, const std::string& text) override {
        log_.Add("MapText(" + std::to_string(pane) + "," + text + ")");
    }

    bool withWindows = false;

  private:
    CallLog& log_;
};

class FakePaneView final : public PaneView {
  public:
    uintptr_t Window() const override { return 0x1000; }
    uintptr_t VideoWindow() const override { return 0x2000; }
    void SetVideoIdle(bool on) override { idle = on; }
    void ShowTimeText(const std::string& text) override { timeText = text; }
    void EraseVideo() override { ++erased; }
    void Repaint() override {}
    void SetPlayTimer(bool on) override { timer = on; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void PostPaneSelected(int pane) override { selected.push_back(pane); }

    bool idle = true;
    bool timer = false;
    int erased = 0;
    std::string timeText;
    std::vector<std::string> messages;
    std::vector<int> selected;
};

class FakeToolbarView final : public ToolbarView {
  public:
    uintptr_t Window() const override { return 0x3000; }
    void EnableControl(int id, bool on) override { enabled[id] = on; }
    void ShowControl(int id, bool show) override { shown[id] = show; }
    void SetLatched(int id, bool on) override { latched[id] = on; }
    void SetCaption(int id, const std::string& text) override { captions[id] = text; }
    void SetStateText(const std::string& text) override { stateText = text; }
    void SetVolume(int v) override { volume = v; }
    void EnableSyncCheck(bool on) override { syncCheck = on; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void PostToFrame(unsigned message, uintptr_t w) override { posts.emplace_back(message, w); }
    void OpenDownload(int pane) override { downloads.push_back("open " + std::to_string(pane)); }
    void StopDownloads(int pane) override { downloads.push_back("stop " + std::to_string(pane)); }

    // The enabled controls among the twelve of the button states, as a string
    // of their ids' last two digits ("11 23").
    std::string EnabledSet() const {
        std::string s;
        for (int id : kStateControls) {
            const auto it = enabled.find(id);
            if (it != enabled.end() && it->second)
                s += (s.empty() ? "" : " ") + std::to_string(id % 100);
        }
        return s;
    }

    std::map<int, bool> enabled;
    std::map<int, bool> shown;
    std::map<int, bool> latched;
    std::map<int, std::string> captions;
    std::string stateText;
    int volume = -1;
    std::optional<bool> syncCheck;
    std::vector<std::string> messages;
    std::vector<std::pair<unsigned, uintptr_t>> posts;
    std::vector<std::string> downloads;
};

// Four panes and the tool bar over one set of fakes. Rows given to AddRecord
// get a record of 10:00:00 to 11:00:00 on 2024-03-01 and count as panes with
// records.
struct PlayRig {
    PlayRig() : player(log), disk(log), net(log), timeBar(log), files(log), clock(log), maps(log) {
        toolbar = std::make_unique<ToolbarController>(ToolbarLinks{player, timeBar, settings, toolbarView});
        for (int i = 0; i < 4; ++i) {
            panes[i] = std::make_unique<PaneController>(
                PaneLinks{player, disk, net, timeBar, settings, files, clock, maps, paneViews[i]});
            panes[i]->SetPaneIndex(i);
            panes[i]->AttachToolbar(toolbar.get());
            toolbar->AttachPane(i, panes[i].get());
        }
    }

    void AddRecord(int row, int fromHour = 10, int toHour = 11) {
        _recfile_info_t r;
        r.start = {2024, 3, 1, static_cast<uint8_t>(fromHour), 0, 0, 0};
        r.end = {2024, 3, 1, static_cast<uint8_t>(toHour), 0, 0, 0};
        r.type = 1;
        timeBar.model.AddRecord(row, r);
        settings.hasRecords[row] = true;
    }
    PaneController& pane(int i) { return *panes[i]; }

    CallLog log;
    FakePlayer player;
    FakeDisk disk;
    FakeNet net;
    LoggingTimeBar timeBar;
    FakeSettings settings;
    FakeFiles files;
    FakeClock clock;
    FakeMaps maps;
    std::array<FakePaneView, 4> paneViews;
    FakeToolbarView toolbarView;
    std::unique_ptr<ToolbarController> toolbar;
    std::array<std::unique_ptr<PaneController>, 4> panes;
};

}  // namespace playtest
