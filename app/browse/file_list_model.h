// app/browse/file_list_model.h
//
// The recording list page (CDlgFileList) without its window. The page opens a
// recorder's disk, has its months searched for days with recordings, lists one
// day's recordings of the chosen channels and plays the one double-clicked.
// FileListModel makes every decision and keeps every table of the page; the
// dialog only forwards its buttons, timer and messages to it and does what the
// FileListPage and PlaybackControl calls ask (its controls, the configuration
// object, the calendar, the tool bar, time bar and panes). The recording access
// library is reached through DiskLibrary, the system's drive query through
// DriveLocator.
//
// The road of a disk: OnSelectDisk closes any open disk, asks for a folder,
// maps its drive letter to a physical drive (drive 0, the system disk, is
// refused), adds "\\.\PhysicalDrive<n>" with 128 channels and searches the
// months from January ten years back to this month, animating the status line
// every 400 ms. The month search's callback collects the days; its done message
// hands them to the calendar, which selects the earliest and asks for its day
// search. The day search's callback keeps each record for its pane; its done
// message fills the list (in row order), the time bar and the per-pane flags.
// The drive number goes to the configuration only once the disk has opened: a
// stick that no reader accepted is not the recorder's drive, and pulling it
// out is nothing to report.
//
// Threads: the two callbacks run on the library's search threads. What they
// touch (the day table, the pending records, the pane record tables, the done
// flags) is kept under one lock, and the GUI thread acts on their results only
// after the done message that the callback posts last.
//
// A record of a channel that is not among the searched channels has no pane:
// it is skipped (no row, no pane record, no flag), so nothing can index a pane
// table with -1 or play the sync master by accident. A row whose channel is
// not among the chosen channels plays nothing.
//
// CloseDisk acts whenever a disk is open, also one whose month search found no
// day (so a disk is never left added under a new one). It first stops both
// searches and the status timer, then the panes, then removes the disk, and
// only then clears the tables, so no search thread writes into what it clears.
// When it ends a month search it enables Select Disk and the calendar again.
// It does not pause before the removal: the stops wait for the threads.
//
// A done message is acted on only when the current search's last callback
// sent it: one left over from a closed disk or from a day search that a newer
// one replaced is ignored (it would otherwise stop the newer search or fill
// the list with another day's records).
//
// The month search's days are checked: a day that is not in its month
// (outside 1..31 or past the month's end) is not added. A day string that is
// not a date searches nothing. Chosen channels outside 0..127 are empty
// places.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "app/base/pane_has_records.h"
#include "app/base/pixel_rect.h"
#include "app/base/timebar_record.h"
#include "app/browse/calendar_model.h"
#include "app/browse/channel_chooser_model.h"
#include "app/browse/disk_library.h"
#include "app/browse/record_rows.h"
#include "vkfs/vkfs_api.h"

namespace browse {

inline constexpr int kDiskChannels = 128;  // given to FSAddDisk
inline constexpr int kPaneCount = 4;
inline constexpr int kStatusTimerId = 10;
inline constexpr int kStatusTimerMs = 400;
inline constexpr int kStatusDots = 18;  // dots before the text starts again

// Language strings of the page.
inline constexpr int kStrSelectFolder = 170;  // "Select Folder"
inline constexpr int kStrSearching = 171;     // "Searching, Please wait"
inline constexpr int kStrFinished = 172;      // "Search Finished"
inline constexpr int kStrSearchState = 173;   // "Search State"

// Colours (COLORREF, 0x00BBGGRR).
inline constexpr uint32_t kFileListBackground = 0x514845;
inline constexpr uint32_t kFileListRowsBackground = 0xA0A0A0;
inline constexpr uint32_t kFileListRowsText = 0xE0E0E0;

using PaneRecordMap = std::map<int, FSRecordInfo>;

struct FileListTexts {
    std::string searching;    // kStrSearching
    std::string finished;     // kStrFinished
    std::string searchState;  // kStrSearchState
};

// One recording found by the day search, kept until the list is filled.
struct DayRecordItem {
    RecTime start{};
    RecTime end{};
    int channelNumber = 0;  // one-based
    uint32_t length = 0;
    int32_t typeBit = 0;
    int pane = 0;  // the channel's place among the searched channels
};

// Where a double-clicked row seeks, laid out as a SYSTEMTIME: two-digit year,
// month, day of week 0, day, hour, minute, second, 0.
struct RowSeekTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
    bool operator==(const RowSeekTime&) const = default;
};

// The page's own controls, the configuration object and the calendar.
class FileListPage {
  public:
    virtual ~FileListPage() = default;

    // The folder picker (title kStrSelectFolder); nothing when cancelled.
    virtual std::optional<std::string> PickFolder() = 0;
    virtual CalendarDate Today() = 0;  // local time

    virtual void EnableDiskControls(bool enable) = 0;  // Select Disk and the calendar
    virtual void EnableClear(bool enable) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void SetStatusTimer(bool on) = 0;  // timer kStatusTimerId, kStatusTimerMs
    virtual void ShowRows(const std::vector<ListRow>& rows) = 0;
    // CDlgCalendar::SetDays; the calendar then asks OnSearchDay for its day.
    virtual void SetCalendarDays(const std::vector<std::string>& days) = 0;

    virtual void StoreDiskFolder(const std::string& folder) = 0;
    virtual void StorePhysicalDrive(int drive) = 0;
    virtual void StoreDiskHandle(FSDiskHandle disk) = 0;
    virtual void ClearGpsTable() = 0;

    // Called on the library's search threads: post WM_MONTH_SEARCH_DONE or
    // WM_DAY_SEARCH_DONE to the page, WM_RECORDS_CHANGED to the tool bar.
    virtual void PostMonthSearchDone() = 0;
    virtual void PostDaySearchDone() = 0;
    virtual void PostRecordsChanged() = 0;
};

// The playback side: tool bar, time bar, play panes and the playback frame.
class PlaybackControl {
  public:
    virtual ~PlaybackControl() = default;

    virtual void StopAllAndClear() = 0;  // every pane stopped, the time bar emptied
    virtual void AddTimebarRecord(int row, const play::_recfile_info_t& record) = 0;
    virtual bool HasSyncMaster() = 0;
    virtual bool PaneHasPlay(int pane) = 0;
    virtual void PlayPane(int pane) = 0;  // -1: the sync master
    virtual void SetCursorTime(int row, int hour, int minute, int second, bool common) = 0;
    virtual void StoreSeekTime(const RowSeekTime& time) = 0;
    virtual void SyncSeekAll() = 0;
    virtual void SeekPane(int pane) = 0;
    virtual void SelectPane(int pane) = 0;
};

// From January ten years back to this month, years counted from 2000.
SearchMonTime MonthSearchRange(int year, int month);

// Where the page's controls go in its client rectangle: the list on top, the
// four 135 x 25 buttons in two rows under it, the calendar, the status line.
struct FileListLayout {
    play::PixelRect list;
    play::PixelRect selectChannel, selectDisk;
    play::PixelRect clear, exportButton;
    play::PixelRect calendar;
    play::PixelRect status;
};
FileListLayout LayoutFileList(const play::PixelRect& client);

class FileListModel {
  public:
    struct Links {
        DiskLibrary& disks;
        DriveLocator& drives;
        FileListPage& page;
        PlaybackControl& playback;
    };
    // The configuration object's pane record tables and g_diskPaneHasRecords.
    struct Shared {
        std::span<PaneRecordMap, kPaneCount> paneRecords;
        std::span<int, kPaneCount> paneHasRecords;
    };
    // Handed through to the library: the window given to FSAddDisk and the
    // address of the page's window handle given to the searches.
    struct Windows {
        void* page = nullptr;
        FSHwnd* handles = nullptr;
    };

    FileListModel(const Links& links, const Shared& shared, const Windows& windows, FileListTexts texts);
    FileListModel(const FileListModel&) = delete;
    FileListModel& operator=(const FileListModel&) = delete;

    void OnSelectDisk();
    void CloseDisk();
    void Reset();  // a change of mode: the flags cleared, the disk closed
    void OnSearchDay(const std::string& day);
    // The channel chooser accepted: the new channels, then the selected day again.
    void OnChannelsChosen(const ChosenChannels& channels);
    void OnStatusTimer();
    void OnMonthSearchDone();
    void OnDaySearchDone();
    // A double click: row -1 when none is selected; syncPlay is the
    // configuration's Sync Playback.
    void OnPlayRow(int row, bool syncPlay);

    // -1 failure, 1 drive 0 (refused), 0 found (PhysicalDrive() holds it).
    int ResolvePhysicalDrive(const std::string& folder);

    static int VEK_CALL MonthSearchCallback(FSReaderKind kind, void* record, FSPlayParam* param);
    static int VEK_CALL DaySearchCallback(FSReaderKind kind, void* record, FSPlayParam* param);

    FSDiskHandle DiskHandle() const { return disk_; }
    int PhysicalDrive() const { return physicalDrive_; }
    bool MonthSearchRunning() const { return monthSearchRunning_; }
    int DayCount() const;
    std::vector<std::string> Days() const;  // in the order found
    const std::string& SelectedDay() const { return selectedDay_; }
    const ChosenChannels& Channels() const { return channels_; }
    const std::vector<ListRow>& Rows() const { return rows_; }
    const std::string& StatusText() const { return status_; }

  private:
    void AddMonth(const FSMonthResult& month);
    void AddRecord(const FSRecordInfo& record, const FSPlayParam& param);
    void FillList(const std::vector<DayRecordItem>& items);
    void ClearPaneRecords();

    DiskLibrary& disks_;
    DriveLocator& drives_;
    FileListPage& page_;
    PlaybackControl& playback_;
    Shared shared_;
    Windows windows_;
    FileListTexts texts_;

    FSDiskHandle disk_ = 0;
    int physicalDrive_ = 0;
    bool monthSearchRunning_ = false;
    std::string status_;
    int statusDots_ = 0;
    std::string selectedDay_;
    ChosenChannels channels_{0, 1, 2, 3};
    std::vector<ListRow> rows_;

    // Shared with the search threads.
    mutable std::mutex lock_;
    std::vector<std::string> days_;
    std::set<std::string> dayIndex_;
    std::vector<DayRecordItem> pending_;
    ChosenChannels searchChannels_{-1, -1, -1, -1};
    bool monthDone_ = false;
    bool dayDone_ = false;
};

}  // namespace browse
