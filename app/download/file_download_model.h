// app/download/file_download_model.h
//
// A pane's download dialog without its window: the rows (one per record of
// the pane's time-bar row), their states and texts, and the downloads it
// starts one after another through the network library. The dialog
// (CDlgFileDownload) forwards its buttons, its 500 ms timer and the
// library's events here and shows what the DownloadView is told.
//
// Row states, kept as the list item's data and in the record's downloadState
// word: idle, waiting (Start queued it), downloading. The record's
// downloadHandle word keeps the library's download id while it runs.
//
//   idle --Start--> waiting --timer, no download busy--> downloading
//   downloading --end event, result 0--> idle, "Complete Download"
//   downloading --end event, any other result--> idle, "Download Failed"
//   downloading --start refused, or no usable path--> idle, "Download Failed"
//   waiting or downloading --Stop--> idle, "Not Download"
//   downloading --the page stops everything--> idle, "Download Failed"
//
// A finished row goes back to idle, so a row still checked is downloaded
// again by the next Start. A download stopped after it had already ended (its
// end event was sent but not yet delivered) shows how it ended. When the page
// stops everything (the recorder went away, logout, a new disk or day), the
// download under way is cut short: its file is incomplete, so the row shows
// the failure whichever of the link's loss and the download's own end comes
// first; waiting rows show "Not Download".
//
// Events. The library calls the dialog's callback on a thread of its own with
// the route of the download as its user value; the callback posts the event
// to the dialog with the route's tag. An event is used only when its tag is
// that of the download running now and the current row is downloading: a
// late end or percentage of a download that was stopped (already queued when
// it was stopped) never finishes or moves another row. Percentages show as
// "N%" with N kept in 0..99: only the end event says the file is complete.
//
// The rows keep the start and end of the record they were filled from. A
// row whose record is no longer at its place in the time-bar row (the row
// was emptied or filled anew by a later query) is never downloaded or written
// back: it fails when its turn comes.
//
// Target paths: RecordPath\<mode text>\CH<pane+1>\YYYYMMDD\HHMMSS-HHMMSS
// (veknet/download_path.h), made when the rows are filled, with ".264"
// (video type 0) or ".avi" (1) added when the download starts. A path that
// would not fit the library's bound, or a mode text that is not one folder
// name, leaves the row's path empty and the row fails when it starts. Only
// the folders above the file are created.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/base/timebar_record.h"
#include "veknet/veknet_api.h"

namespace play {

// Row states.
inline constexpr uint32_t kRowIdle = 0;
inline constexpr uint32_t kRowWaiting = 1;
inline constexpr uint32_t kRowDownloading = 2;

// Language strings of the dialog.
inline constexpr int kStringStartDownload = 288;
inline constexpr int kStringStopDownload = 289;
inline constexpr int kStringIndex = 290;
inline constexpr int kStringStartTime = 291;
inline constexpr int kStringEndTime = 292;
inline constexpr int kStringFileDownload = 293;
inline constexpr int kStringChannel = 294;
inline constexpr int kStringNotDownload = 295;
inline constexpr int kStringWaitDownload = 296;
inline constexpr int kStringDownloading = 297;
inline constexpr int kStringCompleteDownload = 298;
inline constexpr int kStringDownloadFailed = 299;
inline constexpr int kStringStateTitle = 158;
inline constexpr int kStringSizeTitle = 146;

inline constexpr unsigned kDownloadTimerId = 600;
inline constexpr unsigned kDownloadTimerMs = 500;

// The list's columns: check box, index, start, end, state, size, target path
// (hidden).
inline constexpr int kDownloadColumns = 7;
inline constexpr int kColumnState = 4;
inline constexpr int kColumnPath = 6;

// "YYYY-MM-DD HH:MM:SS".
std::string RecordTimeText(const RecfileTime& t);
// "%.2fM" of a length in bytes.
std::string RecordSizeText(uint32_t length);
// The target path without its extension; "" when it cannot be made (see above).
std::string DownloadBasePath(const std::string& recordPath,
                             const std::string& host,
                             int pane,
                             const RecfileTime& start,
                             const RecfileTime& end);
// ".264" for video type 0, ".avi" for 1, "" otherwise.
const char* DownloadExtension(int videoType);
// The folder a target file goes in: the path up to its last separator.
std::string DownloadFolder(const std::string& path);

// Where the library's events of one download go: the dialog's window and the
// download's tag. Lives until the download was stopped.
struct DownloadRoute {
    uintptr_t window = 0;
    uint32_t tag = 0;
};

// The network library's download calls.
class DownloadLibrary {
  public:
    virtual ~DownloadLibrary() = default;
    // The download id, 0 when refused. The request is read during the call only.
    virtual uint32_t StartDownloadRecord(uint32_t login, const NetDownloadRequest& request) = 0;
    // Ends the download (no event after it returns) and sets *download to 0.
    virtual void StopDownloadRecord(uint32_t* download) = 0;
};

// The real library (VekNet).
class VekNetDownloadLibrary final : public DownloadLibrary {
  public:
    uint32_t StartDownloadRecord(uint32_t login, const NetDownloadRequest& request) override;
    void StopDownloadRecord(uint32_t* download) override;
};

// The records of the pane's time-bar row, read and written in place.
class DownloadRecords {
  public:
    virtual ~DownloadRecords() = default;
    virtual int Count() const = 0;
    virtual const _recfile_info_t* Get(int index) const = 0;  // null past the end
    virtual void Set(int index, const _recfile_info_t& record) = 0;
};

// What the configuration object tells and does.
class DownloadSettings {
  public:
    virtual ~DownloadSettings() = default;
    virtual std::string RecordPath() const = 0;
    virtual std::string ModeText() const = 0;  // the recorder's address while logged in
    virtual int VideoType() const = 0;
    virtual uint32_t LoginHandle() const = 0;
    virtual std::string Text(int id) const = 0;               // a language string
    virtual void MakeDirTree(const std::string& folder) = 0;  // every folder along it
};

// The dialog's window and its list.
class DownloadView {
  public:
    virtual ~DownloadView() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void DeleteAllRows() = 0;
    virtual void InsertRow(int row,
                           const std::array<std::string, kDownloadColumns>& texts,
                           uint32_t data) = 0;
    virtual void SetStateText(int row, const std::string& text) = 0;
    virtual void SetRowData(int row, uint32_t data) = 0;
    virtual bool IsChecked(int row) const = 0;
    // Takes the end event of the download `tag` out of the events not yet
    // delivered, dropping any other download's; false when none is there.
    virtual bool TakeQueuedEnd(uint32_t tag, int32_t* result) = 0;
    virtual void Hide() = 0;
};

class FileDownloadModel {
  public:
    // `callback` is given to the library with the address of the running
    // download's route, whose window is `window`.
    FileDownloadModel(int pane,
                      DownloadLibrary& library,
                      DownloadSettings& settings,
                      DownloadView& view,
                      NetDownloadCallback callback,
                      uintptr_t window);
    ~FileDownloadModel();
    FileDownloadModel(const FileDownloadModel&) = delete;
    FileDownloadModel& operator=(const FileDownloadModel&) = delete;

    // The caption and one row per record of `records` (the pane's row; kept
    // until the next fill).
    void Fill(DownloadRecords* records);
    void OnStart();
    void OnStop();
    // Starts the first waiting row when no download runs.
    void OnTimer();
    // Stops every waiting or downloading row, checked or not, then hides.
    void StopAllDownloads();
    // The library's events as the dialog received them.
    void OnDownloadEnd(int32_t result, uint32_t tag);
    void OnDownloadProgress(int32_t percent, uint32_t tag);

    int pane() const { return pane_; }
    int currentRow() const { return current_; }
    bool busy() const { return busy_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    uint32_t RowState(int row) const;
    const std::string& RowPath(int row) const;

  private:
    struct Row {
        uint32_t state = kRowIdle;
        RecfileTime start;
        RecfileTime end;
        std::string basePath;
    };

    bool ValidRow(int row) const { return row >= 0 && row < RowCount(); }
    // The row's record when it is still the one the row was filled from.
    const _recfile_info_t* RecordOf(int row) const;
    void SetState(int row, uint32_t state, int textId);
    void StartRowDownload(int row);
    void StopRow(int row,
                 uint32_t how,
                 int32_t result = VEKNET_DOWNLOAD_OK,
                 int stoppedText = kStringNotDownload);

    const int pane_;
    DownloadLibrary& library_;
    DownloadSettings& settings_;
    DownloadView& view_;
    const NetDownloadCallback callback_;
    const uintptr_t window_;
    DownloadRecords* records_ = nullptr;
    std::vector<Row> rows_;
    int current_ = 0;
    bool busy_ = false;
    uint32_t handle_ = 0;  // the running download, also in its record
    std::unique_ptr<DownloadRoute> route_;
    uint32_t nextTag_ = 1;
};

}  // namespace play
