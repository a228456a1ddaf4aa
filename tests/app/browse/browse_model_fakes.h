// Fakes around the recording list and export models: a scripted access
// library whose searches and exports the test plays by hand (the callbacks run
// on the test's thread when it chooses), a drive table, and pages that log what
// they are asked and keep the messages they should post until the test pumps
// them; the list's page hands its calendar's day back to the model as the
// dialogs do.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/browse/export_model.h"
#include "app/browse/file_list_model.h"

namespace browse::testing {

// Every call of interest, in order, from all fakes.
struct CallLog {
    std::vector<std::string> calls;
    void Add(std::string call) { calls.push_back(std::move(call)); }
    int Find(const std::string& call) const {  // first position, -1 when absent
        const auto it = std::find(calls.begin(), calls.end(), call);
        return it == calls.end() ? -1 : static_cast<int>(it - calls.begin());
    }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }
};

inline RecTime At(int year, int month, int day, int hour, int minute, int second) {
    return RecTime{year, month, day, hour, minute, second};
}

class FakeDisks : public DiskLibrary {
  public:
    explicit FakeDisks(CallLog& log) : log_(log) {}

    FSDiskHandle AddDisk(void* window,
                         int count,
                         int number,
                         const char* path,
                         FSSearchCallback cb) override {
        log_.Add("AddDisk " + std::string(path));
        addWindow = window, addChannels = count, addNumber = number, monthCallback = cb;
        return addResult;
    }
    int RemoveDisk(FSDiskHandle) override { return log_.Add("RemoveDisk"), 1; }
    void SearchByMon(FSDiskHandle, SearchMonTime r, FSHwnd* w, void* u) override {
        log_.Add("SearchByMon");
        range = r, windows = w, monthUser = u;
    }
    void StopMonSearch(FSDiskHandle) override { log_.Add("StopMonSearch"); }
    void SearchByDay(FSDiskHandle,
                     RecTime f,
                     RecTime t,
                     FSHwnd* w,
                     FSSearchCallback cb,
                     void* u,
                     int g,
                     const int ch[4]) override {
        log_.Add("SearchByDay");
        from = f, to = t, windows = w, dayCallback = cb, dayUser = u, group = g;
        std::copy(ch, ch + 4, channels.begin());
    }
    void StopDaySearch(FSDiskHandle) override { log_.Add("StopDaySearch"); }

    // What the search threads would report: a month with the given days, a
    // record of a channel (zero-based), and the final calls.
    void Month(int year, int month, const std::vector<int>& days) {
        FSMonthResult result{year, month, {}, {}};
        for (const int d : days)
            result.days[d - 1] = 1;
        Report(monthCallback, monthUser, &result, 0, 0);
    }
    void MonthEnd() { Report(monthCallback, monthUser, nullptr, 0, 0); }
    void Record(int channel, int index, const RecTime& start, const RecTime& end, int length, int type) {
        FSRecordInfo info{};
        info.start = start, info.end = end, info.dataLength = length, info.typeBit = type;
        Report(dayCallback, dayUser, &info, channel, index);
    }
    void DayEnd() { Report(dayCallback, dayUser, nullptr, 0, 0); }

    FSDiskHandle addResult = 7;
    void* addWindow = nullptr;
    int addChannels = 0, addNumber = -1, group = -1;
    FSSearchCallback monthCallback = nullptr, dayCallback = nullptr;
    void *monthUser = nullptr, *dayUser = nullptr;
    FSHwnd* windows = nullptr;
    SearchMonTime range{};
    RecTime from{}, to{};
    std::array<int, 4> channels{};

  private:
    static void Report(FSSearchCallback cb, void* user, void* record, int channel, int index) {
        FSPlayParam param{};
        param.user = user, param.channel = channel, param.recordIndex = index;
        param.monthRunning = param.dayRunning = record != nullptr;
        cb(FS_READER_VEKFS, record, &param);
    }
    CallLog& log_;
};

class FakeDrives : public DriveLocator {
  public:
    std::optional<int> PhysicalDriveOf(const std::string& volume) override {
        const auto it = numbers.find(volume);
        return it == numbers.end() ? std::nullopt : std::optional<int>(it->second);
    }
    std::map<std::string, int> numbers;
};

class FakePage : public FileListPage, public PlaybackControl {
  public:
    FakePage(CallLog& log, CalendarDate date) : today(date), calendar(date), log_(log) {}

    std::optional<std::string> PickFolder() override { return folder; }
    CalendarDate Today() override { return today; }
    void EnableDiskControls(bool on) override { diskControls = on; }
    void EnableClear(bool on) override { clear = on; }
    void ShowStatus(const std::string& text) override { status = text; }
    void SetStatusTimer(bool on) override { log_.Add(on ? "timer on" : "timer off"), timer = on; }
    void ShowRows(const std::vector<ListRow>& shown) override { rows = shown; }
    void SetCalendarDays(const std::vector<std::string>& days) override {
        log_.Add("SetCalendarDays");
        calendarDays = days;
        if (const auto day = calendar.SetDays(days))
            model->OnSearchDay(*day);
    }
    void StoreDiskFolder(const std::string& f) override { storedFolder = f; }
    void StorePhysicalDrive(int drive) override { storedDrive = drive; }
    void StoreDiskHandle(FSDiskHandle disk) override { storedDisk = disk; }
    void ClearGpsTable() override { log_.Add("ClearGpsTable"); }
    void PostMonthSearchDone() override { Post("month done"); }
    void PostDaySearchDone() override { Post("day done"); }
    void PostRecordsChanged() override { Post("records changed"); }

    void StopAllAndClear() override {
        log_.Add("StopAllAndClear");
        for (auto& row : timebar)
            row.clear();
    }
    void AddTimebarRecord(int row, const play::_recfile_info_t& r) override { timebar.at(row).push_back(r); }
    bool HasSyncMaster() override { return syncMaster; }
    bool PaneHasPlay(int pane) override { return panePlaying.at(pane); }
    void PlayPane(int pane) override { log_.Add("PlayPane " + std::to_string(pane)); }
    void SetCursorTime(int row, int h, int m, int s, bool common) override {
        log_.Add("SetCursorTime " + std::to_string(row) + " " + std::to_string(h) + ":" + std::to_string(m) +
                 ":" + std::to_string(s) + (common ? " common" : ""));
    }
    void StoreSeekTime(const RowSeekTime& time) override { seekTime = time; }
    void SyncSeekAll() override { log_.Add("SyncSeekAll"); }
    void SeekPane(int pane) override { log_.Add("SeekPane " + std::to_string(pane)); }
    void SelectPane(int pane) override { log_.Add("SelectPane " + std::to_string(pane)); }

    // Delivers the posted messages, oldest first, to the model.
    void PumpAll() {
        for (;;) {
            std::string message;
            {
                std::lock_guard hold(lock_);
                if (posted_.empty())
                    return;
                message = posted_.front();
                posted_.pop_front();
            }
            Deliver(message);
        }
    }
    // Delivers the posted messages, oldest first, as they come (from a search
    // on a real library thread; up to 30 s for each) until `message` has been
    // delivered. What is posted meanwhile stays queued: a search that the
    // delivery starts may end before this returns, and its message is then
    // there for the next call.
    bool DeliverThrough(const std::string& message) {
        for (;;) {
            std::string next;
            {
                std::unique_lock hold(lock_);
                if (!changed_.wait_for(hold, std::chrono::seconds(30), [&] { return !posted_.empty(); }))
                    return false;
                next = posted_.front();
                posted_.pop_front();
            }
            Deliver(next);
            if (next == message)
                return true;
        }
    }

    FileListModel* model = nullptr;
    std::optional<std::string> folder;
    CalendarDate today;
    CalendarModel calendar;
    bool diskControls = true, clear = true, timer = false, syncMaster = false;
    std::array<bool, 4> panePlaying{};
    std::string status, storedFolder;
    int storedDrive = -1;
    FSDiskHandle storedDisk = 0;
    std::vector<ListRow> rows;
    std::vector<std::string> calendarDays;
    std::array<std::vector<play::_recfile_info_t>, 4> timebar;
    std::optional<RowSeekTime> seekTime;

  private:
    void Deliver(const std::string& message) {
        if (message == "month done")
            model->OnMonthSearchDone();
        if (message == "day done")
            model->OnDaySearchDone();
    }
    void Post(const std::string& message) {
        std::lock_guard hold(lock_);
        posted_.push_back(message);
        changed_.notify_all();
    }
    CallLog& log_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::string> posted_;
};

// A model wired to the fakes (or to another library), with the English texts.
struct FileListRig {
    explicit FileListRig(CalendarDate today, DiskLibrary* library = nullptr)
        : disks(log),
          page(log, today),
          model({library ? *library : disks, drives, page, page},
                {paneRecords, paneFlags},
                {&window, &hwnd},
                {"Searching, Please wait", "Search Finished", "Search State"}) {
        page.model = &model;
    }
    CallLog log;
    FakeDisks disks;
    FakeDrives drives;
    FakePage page;
    PaneRecordMap paneRecords[4];
    int paneFlags[4] = {0, 0, 0, 0};
    int window = 0;
    FSHwnd hwnd = nullptr;
    FileListModel model;
};

// The library's export calls, logged; the test plays the export thread.
class FakeStreams : public ExportStreams {
  public:
    explicit FakeStreams(CallLog& log) : log_(log) {}
    void Export(FSDiskHandle, RecTime f, RecTime t, int channel, uintptr_t u, FSDataCallback cb) override {
        log_.Add("Export " + std::to_string(channel));
        from = f, to = t, user = u, data = cb;
    }
    void StopExport(FSDiskHandle, int slot) override { log_.Add("StopExport " + std::to_string(slot)); }

    // What the export thread would hand over: a block, and the end.
    void Block(std::vector<unsigned char> bytes) { data(user, bytes.data(), static_cast<int>(bytes.size())); }
    void End() { data(user, nullptr, 0); }

    RecTime from{}, to{};
    uintptr_t user = 0;
    FSDataCallback data = nullptr;

  private:
    CallLog& log_;
};

// The export dialog's controls and the configuration object.
class FakeExportPage : public ExportPage {
  public:
    explicit FakeExportPage(CallLog& log) : log_(log) {}

    void EnableSearch(bool on) override { search = on; }
    void EnableExport(bool on) override { exportButton = on; }
    void EnableDestination(bool on) override { destinationButton = on; }
    void SetProgress(int perMille) override { bar.push_back(perMille); }
    void ShowProgressText(const std::string& text) override { texts.push_back(text); }
    void ShowRows(const std::vector<ExportRow>& shown) override { rows = shown; }
    std::vector<int> SelectedRows() override { return selected; }
    ExportSpan Span() override { return span; }
    void ShowDestination(const std::string& f) override { destination = f; }
    void MakeFolder(const std::string& f) override { log_.Add("MakeFolder " + f); }
    std::optional<std::string> PickFolder() override { return folder; }
    void TellNoSelection() override { log_.Add("TellNoSelection"); }
    void SetWatchTimer(bool on) override { watchTimer = on; }
    FSDiskHandle DiskHandle() override { return disk; }
    void StoreDiskHandle(FSDiskHandle d) override { disk = d; }
    void StoreDiskFolder(const std::string& f) override { storedFolder = f; }
    void StorePhysicalDrive(int d) override { storedDrive = d; }
    void PostDaySearchDone() override { Post({0, 0, true}); }
    void PostProgress(int perMille, uint32_t tag) override {
        if (onProgress)
            onProgress();
        Post({perMille, tag, false});
    }

    struct Message {
        int perMille;
        uint32_t tag;
        bool searchDone;
    };
    // Delivers the posted messages, oldest first, to the model.
    void PumpAll() {
        for (;;) {
            Message m;
            {
                std::lock_guard hold(lock_);
                if (posted_.empty())
                    return;
                m = posted_.front();
                posted_.pop_front();
            }
            if (m.searchDone)
                model->OnDaySearchDone();
            else
                model->OnProgress(m.perMille, m.tag);
        }
    }
    // The posted messages, kept for a test to deliver late.
    std::deque<Message> TakePosted() {
        std::lock_guard hold(lock_);
        return std::exchange(posted_, {});
    }
    // Waits (for a library thread) until a message is posted.
    bool WaitForPost() {
        std::unique_lock hold(lock_);
        return changed_.wait_for(hold, std::chrono::seconds(30), [&] { return !posted_.empty(); });
    }

    ExportModel* model = nullptr;
    std::function<void()> onProgress;  // on the posting thread, before the post
    bool search = true, exportButton = true, destinationButton = true, watchTimer = false;
    std::vector<int> bar;
    std::vector<std::string> texts;
    std::vector<ExportRow> rows;
    std::vector<int> selected;
    ExportSpan span;
    std::string destination, storedFolder;
    std::optional<std::string> folder;
    FSDiskHandle disk = 0;
    int storedDrive = -1;

  private:
    void Post(const Message& m) {
        std::lock_guard hold(lock_);
        posted_.push_back(m);
        changed_.notify_all();
    }
    CallLog& log_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Message> posted_;
};

inline ExportTexts EnglishExportTexts() {
    return {"Normal", "Motion", "Alarm", "IO", "Intelligent", "Error"};
}

// An export model wired to the fakes (or to another library).
struct ExportRig {
    explicit ExportRig(DiskLibrary* library = nullptr, ExportStreams* exports = nullptr)
        : disks(log),
          streams(log),
          page(log),
          model({library ? *library : disks, exports ? *exports : streams, drives, page},
                &hwnd,
                EnglishExportTexts()) {
        page.model = &model;
    }
    CallLog log;
    FakeDisks disks;
    FakeStreams streams;
    FakeDrives drives;
    FakeExportPage page;
    FSHwnd hwnd = nullptr;
    ExportModel model;
};

}  // namespace browse::testing
