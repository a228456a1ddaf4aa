// app/browse/export_model.h
//
// The export-by-date dialog (CDlg264Export) without its window. The user
// searches one day of the recorder disk within a time span for up to four
// channels, selects rows of the result and exports each to an AVI file in the
// destination folder, one after the other, with a progress bar per file.
// ExportModel makes every decision and keeps every table of the dialog; the
// dialog forwards its buttons and messages and does what the ExportPage calls
// ask (its controls, the configuration object, the posts from the library's
// threads). The access library is reached through DiskLibrary and
// ExportStreams, the system's drive query through DriveLocator.
//
// The disk: the one the recording list has open (the configuration's disk
// handle), else one the dialog opens itself from a picked folder, exactly as
// the list does, keeps for its further searches and removes when it closes. The drive number goes to
// the configuration only once the disk has opened, so a stick that no reader
// accepted is never taken for the recorder's drive when it is pulled out.
//
// Searching uses the export group (1) of the library: its records, its kept
// search and its channel table are apart from the play group's, so a search
// here neither stops nor disturbs the panes playing from the list's disk, and
// the list's rows and pane records stay valid. Nothing here touches the panes.
//
// Rows: FILE "hh:mm:ss-hh:mm:ss" (start and end), ID "cc-YYMMDD" (channel
// number and start date), SIZE "%.2fM", the record type, and the channel
// number in a hidden column. A row exports its own record: its start and end,
// not whatever day the date picker shows after the search. The file is
// destination + "ch0" + ID + "-" + FILE without ':' + extension (".avi" for
// video type 1, else ".mp4"; both hold AVI data).
//
// Progress: the library's export thread hands over raw blocks; each goes to
// the AVI writer and posts the per mille of the record's length written so
// far, at most 999 (an export also carries up to 1023 bytes in front of its
// first frame, and a record of length 0 stays at 0). The end is its own
// message: the row's writer is closed and the text shows 100% only when the
// export reached the record's end and every write reached the disk. Else the
// row failed: the text shows the error, what reached the file stays there,
// and the run goes on with the next row; a run with a failed row ends showing
// the error. Every message carries the tag of the row's export, so messages of
// a stopped or finished export that arrive late change nothing.
//
// A row whose export goes silent fails too: the dialog's watch timer ticks
// every kExportWatchMs while a run goes on, and a row that has not been called
// back for kExportSilentTicks ticks in a row is ended (its export stopped, its
// file closed). So a run ends by itself when its export never began (the disk
// was closed, or the channel is in none of the export group's slots) or was
// stopped from outside (a pulled drive, let go by the main window).
//
// Threads: the search callback appends under a lock, and the dialog reads the
// results only after the done message the callback posts last. The data
// callback writes into the writer, which the dialog closes only after the
// export thread has been stopped (FSStopExport waits for it).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/browse/calendar_model.h"
#include "app/browse/channel_chooser_model.h"
#include "app/browse/disk_library.h"
#include "app/browse/progress_text.h"
#include "vkfs/vkfs_api.h"

class CVekAviFileWirte;

namespace browse {

inline constexpr int kExportGroup = 1;  // the library's export group of record tables
inline constexpr int kExportSlots = 4;
inline constexpr uint32_t kExportEndTag = 1;  // the tag's low bit: the row has ended
// The per mille of the end message of an export that did not reach its
// record's end (kProgressDone: one that did).
inline constexpr int kExportFailedEnd = -1;
inline constexpr int kExportWatchTimerId = 11;
inline constexpr int kExportWatchMs = 1000;
inline constexpr int kExportSilentTicks = 4;

// Language strings of the dialog.
inline constexpr int kStrExportCaption = 113;      // "Export video files"
inline constexpr int kStrExportNoSelection = 310;  // "At least one selected export file"
inline constexpr int kStrExportError = 276;        // "Error"

// A recording the export's day search found.
struct ExportRecord {
    RecTime start{};
    RecTime end{};
    int channelNumber = 0;  // one-based
    uint64_t length = 0;    // bytes (a dvrfs record's high length word included)
    int32_t typeBit = 0;
};

struct ExportRow {
    std::string file;     // "hh:mm:ss-hh:mm:ss"
    std::string id;       // "cc-YYMMDD"
    std::string size;     // "%.2fM"
    std::string type;     // the record type's name, empty for other bits
    std::string channel;  // one-based, the hidden column
    int image = 0;        // small image, as the recording list chooses it
    bool operator==(const ExportRow&) const = default;
};

// Names of the record types: bits 1, 2, 4, 8 and 128.
struct ExportTexts {
    std::string normal;       // 283
    std::string motion;       // 320
    std::string alarm;        // 232
    std::string io;           // 318
    std::string intelligent;  // 319
    std::string error;        // kStrExportError
};

struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// What the pickers say: the day and the span of it to search.
struct ExportSpan {
    CalendarDate day;
    ClockTime from{0, 0, 0};
    ClockTime to{23, 59, 59};
};

ExportRow MakeExportRow(const ExportRecord& record, const ExportTexts& texts);
// The destination folder and extension of a configuration's video type.
std::string DefaultExportFolder(int videoType);
std::string ExportExtension(int videoType);
std::string ExportFileName(const std::string& folder, const ExportRow& row, const std::string& extension);
// Per mille of `done` bytes of a row of `expected` bytes while it runs: at
// most kProgressMidMax, 0 when the length is not known.
int ExportProgress(uint64_t done, uint64_t expected);

// The dialog's controls and the configuration object.
class ExportPage {
  public:
    virtual ~ExportPage() = default;

    virtual void EnableSearch(bool enable) = 0;
    virtual void EnableExport(bool enable) = 0;
    virtual void EnableDestination(bool enable) = 0;
    virtual void SetProgress(int perMille) = 0;
    virtual void ShowProgressText(const std::string& text) = 0;
    virtual void ShowRows(const std::vector<ExportRow>& rows) = 0;
    virtual std::vector<int> SelectedRows() = 0;  // ascending
    virtual ExportSpan Span() = 0;
    virtual void ShowDestination(const std::string& folder) = 0;
    virtual void MakeFolder(const std::string& folder) = 0;  // failure ignored
    // The folder picker (title 170, "Select Folder"); nothing when cancelled.
    virtual std::optional<std::string> PickFolder() = 0;
    virtual void TellNoSelection() = 0;  // message box kStrExportNoSelection
    // The watch timer: OnWatchTimer every kExportWatchMs while it is on.
    virtual void SetWatchTimer(bool on) = 0;

    virtual FSDiskHandle DiskHandle() = 0;
    virtual void StoreDiskHandle(FSDiskHandle disk) = 0;
    virtual void StoreDiskFolder(const std::string& folder) = 0;
    virtual void StorePhysicalDrive(int drive) = 0;

    // Called on the library's threads.
    virtual void PostDaySearchDone() = 0;
    virtual void PostProgress(int perMille, uint32_t tag) = 0;
};

// The library's export calls.
class ExportStreams {
  public:
    virtual ~ExportStreams() = default;
    virtual void Export(FSDiskHandle disk,
                        RecTime from,
                        RecTime to,
                        int channel,
                        uintptr_t user,
                        FSDataCallback data) = 0;
    virtual void StopExport(FSDiskHandle disk, int slot) = 0;
};

class VkfsExportStreams : public ExportStreams {
  public:
    void Export(FSDiskHandle disk, RecTime from, RecTime to, int channel, uintptr_t user, FSDataCallback data)
        override;
    void StopExport(FSDiskHandle disk, int slot) override;
};

class ExportModel {
  public:
    struct Links {
        DiskLibrary& disks;
        ExportStreams& streams;
        DriveLocator& drives;
        ExportPage& page;
    };

    // `windows`: the address of the dialog's window handle, for the search.
    ExportModel(const Links& links, FSHwnd* windows, ExportTexts texts);
    ~ExportModel();
    ExportModel(const ExportModel&) = delete;
    ExportModel& operator=(const ExportModel&) = delete;

    // The destination and extension of the video type; the folder is made.
    void Init(int videoType);
    void OnSearch();
    void OnDaySearchDone();
    void OnExport();
    void OnProgress(int perMille, uint32_t tag);
    void OnWatchTimer();
    void OnStop();
    void OnPickDestination();
    void OnChannelsChosen(const ChosenChannels& channels);
    // The dialog closes: StopWork, and a disk this dialog opened removed.
    void StopAll();
    // Before a search: the search and the exports stopped, the writer closed.
    void StopWork();

    static int VEK_CALL DaySearchCallback(FSReaderKind kind, void* record, FSPlayParam* param);
    static int VEK_CALL DataCallback(uintptr_t user, unsigned char* data, int length);

    const std::vector<ExportRow>& Rows() const { return rows_; }
    const std::string& Destination() const { return destination_; }
    const std::string& Extension() const { return extension_; }
    const ChosenChannels& Channels() const { return channels_; }
    bool OwnsDisk() const { return ownDisk_; }
    bool Exporting() const { return current_ >= 0; }

  private:
    bool OpenOwnDisk();
    void ExportNext();
    // The current row has ended, at its record's end or not: its export
    // stopped and its writer closed, then the next row or the end of the run.
    void FinishRow(bool reachedEnd);
    void StopExports(FSDiskHandle disk);
    // Closes the writer; false when a write failed.
    bool CloseWriter();
    // The run is over; `showError`: the error text is shown.
    void EndRun(bool showError);
    // No run: the timer off, the queue empty, late messages ignored.
    void ClearRun();

    DiskLibrary& disks_;
    ExportStreams& streams_;
    DriveLocator& drives_;
    ExportPage& page_;
    FSHwnd* windows_;
    ExportTexts texts_;

    std::string destination_;
    std::string extension_;
    ChosenChannels channels_{0, 1, 2, 3};
    bool ownDisk_ = false;
    FSDiskHandle lastDisk_ = 0;  // searched or exported on last, for the destructor

    std::vector<ExportRecord> records_;  // in row order
    std::vector<ExportRow> rows_;
    std::vector<int> queue_;  // the selected rows of the export run
    size_t next_ = 0;         // in queue_
    int current_ = -1;        // the row being exported, -1 none
    bool runFailed_ = false;  // a row of the run failed
    uint32_t callsSeen_ = 0;  // calls_ at the last watch tick
    int silentTicks_ = 0;     // watch ticks in a row without a call

    // Shared with the library's threads.
    std::mutex lock_;
    std::vector<ExportRecord> found_;
    bool searchDone_ = false;
    std::unique_ptr<CVekAviFileWirte> writer_;
    std::atomic<uint32_t> tag_{0};  // of the running export, end bit clear
    std::atomic<uint64_t> written_{0};
    uint64_t expected_ = 0;
    std::atomic<uint32_t> calls_{0};   // data calls of the current row
    std::atomic<bool> inCall_{false};  // a data call is under way
};

}  // namespace browse
