// tests/app/fileplay/file_play_fakes.h
//
// Recording fakes of what the file player's control bar and play list call
// (the playback library's file calls, the bar's window, the list's rows), and
// a rig that wires a real FilePlayController and PlayList to them with the
// play panes' fakes for the configuration, folders and clock (play_fakes.h).
// Library calls go to the shared log ("Create(0)=101", "Open(101,C:\v\a.avi)")
// so tests check their order.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/fileplay/file_play_controller.h"
#include "app/fileplay/play_list.h"
#include "res/file_play_ids.h"
#include "tests/app/play/play_fakes.h"

namespace playtest {

inline constexpr unsigned kEndMessage = 0x800B;
inline constexpr uintptr_t kBarWindow = 0xB0;
inline constexpr uintptr_t kVideoWindow = 0xF0;

class FakeFilePlayer final : public FilePlayer {
  public:
    explicit FakeFilePlayer(CallLog& log) : log_(log) {}

    uint32_t CreatePlayInstance(int type) override {
        const uint32_t h = failCreate ? 0 : next_++;
        log_.Add("Create(" + std::to_string(type) + ")=" + H(h));
        return h;
    }
    void DestroyPlayInstance(uint32_t h) override {
        open.erase(h);
        sounding.erase(h);
        log_.Add("Destroy(" + H(h) + ")");
    }
    void SetPlayWnd(uint32_t h, uintptr_t window) override {
        log_.Add("SetPlayWnd(" + H(h) + "," + std::to_string(window) + ")");
    }
    void SetCallbackMessage(uint32_t h, uintptr_t window, unsigned message, uintptr_t user) override {
        log_.Add("SetCallbackMessage(" + H(h) + "," + std::to_string(window) + "," + std::to_string(message) +
                 "," + std::to_string(user) + ")");
    }
    void RegisterDrawFun(uint32_t h, uintptr_t user) override {
        log_.Add("RegisterDrawFun(" + H(h) + "," + std::to_string(user) + ")");
    }
    int OpenPlayFile(uint32_t h, const std::string& path) override {
        log_.Add("Open(" + H(h) + "," + path + ")");
        if (failOpen.count(path))
            return -1;
        open.insert(h);
        return 0;
    }
    void ClosePlayFile(uint32_t h) override { log_.Add("Close(" + H(h) + ")"); }
    int GetPlayFileTimeRange(uint32_t h, uint64_t* first, uint64_t* last) override {
        log_.Add("TimeRange(" + H(h) + ")");
        if (!rangeKnown)
            return -1;
        *first = rangeFirst;
        *last = rangeLast;
        return 0;
    }
    void StartPlay(uint32_t h) override { log_.Add("StartPlay(" + H(h) + ")"); }
    void StopPlay(uint32_t h) override { log_.Add("StopPlay(" + H(h) + ")"); }
    void SetPlayMode(uint32_t h, int mode) override {
        log_.Add("SetPlayMode(" + H(h) + "," + std::to_string(mode) + ")");
    }
    uint64_t GetCurPlayedTime(uint32_t) override { return played; }
    void SetCurPlayedTime(uint32_t h, uint64_t t) override {
        log_.Add("SetCurPlayedTime(" + H(h) + "," + std::to_string(t) + ")");
    }
    void OpenSound(uint32_t h) override {
        sounding.insert(h);
        log_.Add("OpenSound(" + H(h) + ")");
    }
    void CloseSound(uint32_t h) override {
        sounding.erase(h);
        log_.Add("CloseSound(" + H(h) + ")");
    }
    void SetPlayVolume(uint32_t h, int v) override {
        log_.Add("SetPlayVolume(" + H(h) + "," + std::to_string(v) + ")");
    }
    int CapturePicture(uint32_t h, const std::string& path) override {
        log_.Add("Capture(" + H(h) + "," + path + ")");
        return captureResult;
    }
    bool ShowWaterMark(uint32_t) override { return watermark; }

    bool failCreate = false;
    std::set<std::string> failOpen;
    bool rangeKnown = true;
    // 2024-03-05 12:00:00.4 UTC to 100.9 s later: start 1709640000 s, length 100 s.
    uint64_t rangeFirst = 1709640000400000;
    uint64_t rangeLast = 1709640101300000;
    uint64_t played = 0;
    int captureResult = 0;
    bool watermark = true;
    std::set<uint32_t> open;      // instances with a file open
    std::set<uint32_t> sounding;  // instances whose sound is open, as the library's switch stands

  private:
    CallLog& log_;
    uint32_t next_ = 101;
};

class FakeFilePlayView final : public FilePlayView {
  public:
    uintptr_t Window() const override { return kBarWindow; }
    uintptr_t VideoWindow() const override { return kVideoWindow; }
    void EnableControl(int id, bool enable) override { enabled[id] = enable; }
    void ShowControl(int id, bool show) override { shown[id] = show; }
    void SetChecked(int id, bool on) override { checked[id] = on; }
    void SetTooltip(int id, const std::string& text) override { tooltips[id] = text; }
    void SetTimeText(const std::string& text) override { timeText = text; }
    void SetStateText(const std::string& text) override { stateText = text; }
    void SetSeekRange(int max) override { seekMax = max; }
    void SetSeekPos(int position) override { seekPos = position; }
    void SetVolumePos(int position) override { volumePos = position; }
    void SetPlayTimer(bool on) override { timer = on; }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        messages.emplace_back(text, caption);
    }
    void ShowOpenPopup(bool show) override { popupShown = show; }
    void EraseVideo() override { ++erased; }
    void RepaintBar() override { ++barRepaints; }
    void PostPlayListShown(bool on) override { listPosts.push_back(on); }

    // The enabled controls among `ids`, in order.
    std::vector<int> Enabled(std::initializer_list<int> ids) const {
        std::vector<int> out;
        for (int id : ids)
            if (enabled.count(id) && enabled.at(id))
                out.push_back(id);
        return out;
    }
    bool Shown(int id) const { return shown.count(id) && shown.at(id); }

    std::map<int, bool> enabled;
    std::map<int, bool> shown;
    std::map<int, bool> checked;
    std::map<int, std::string> tooltips;
    std::string timeText;
    std::string stateText;
    int seekMax = -1;
    int seekPos = -1;
    int volumePos = -1;
    bool timer = false;
    std::vector<std::pair<std::string, std::string>> messages;
    bool popupShown = true;
    int erased = 0;
    int barRepaints = 0;
    std::vector<bool> listPosts;
};

// The rows as the list control would show them: name and image.
class FakePlayListView final : public PlayListView {
  public:
    void InsertRow(int row, const std::string& name) override { rows.insert(rows.begin() + row, {name, 0}); }
    void DeleteRow(int row) override { rows.erase(rows.begin() + row); }
    void DeleteAllRows() override { rows.clear(); }
    void SetRowImage(int row, int image) override { rows.at(static_cast<size_t>(row)).second = image; }
    void Redraw() override { ++redraws; }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& row : rows)
            names.push_back(row.first);
        return names;
    }
    std::vector<int> Images() const {
        std::vector<int> images;
        for (const auto& row : rows)
            images.push_back(row.second);
        return images;
    }

    std::vector<std::pair<std::string, int>> rows;
    int redraws = 0;
};

// A bar and a list wired together, as the page wires them.
struct FilePlayRig {
    FilePlayRig() {
        bar.AttachPlayList(&list);
        list.AttachPlayer(&bar);
        bar.Initialise(true);
    }

    // The file now open, or "" when none.
    std::string OpenFile() const {
        const uint32_t h = bar.playHandle();
        if (h == 0 || !player.open.count(h))
            return "";
        for (auto it = log.calls.rbegin(); it != log.calls.rend(); ++it)
            if (it->rfind("Open(" + H(h) + ",", 0) == 0)
                return it->substr(5 + H(h).size() + 1, it->size() - 5 - H(h).size() - 2);
        return "";
    }

    CallLog log;
    FakeFilePlayer player{log};
    FakeFilePlayView view;
    FakeSettings settings;
    FakeFiles files{log};
    FakeClock clock{log};
    FilePlayController bar{FilePlayLinks{player, view, settings, files, clock}, kEndMessage};
    FakePlayListView rows;
    PlayList list{rows};
};

}  // namespace playtest
