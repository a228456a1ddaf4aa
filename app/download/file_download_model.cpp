// app/download/file_download_model.cpp
#include "app/download/file_download_model.h"

#include <cstdio>

#include "veknet/download_path.h"

namespace play {

namespace {

// How a row ends (StopRow).
constexpr uint32_t kStopDownloading = kRowDownloading;
constexpr uint32_t kStopEnded = 3;

bool SameTime(const RecfileTime& a, const RecfileTime& b) {
    return TimeKey(a) == TimeKey(b);
}

}  // namespace

std::string RecordTimeText(const RecfileTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

std::string RecordSizeText(uint32_t length) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2fM", static_cast<double>(length) / 1048576.0);
    return text;
}

std::string DownloadBasePath(const std::string& recordPath,
                             const std::string& host,
                             int pane,
                             const RecfileTime& start,
                             const RecfileTime& end) {
    // Room is left for the longest extension, so a path shown is one that can start.
    char path[VEKNET_MAX_PATH - 4];
    if (!veknet::FormatDownloadTarget(recordPath.c_str(), host.c_str(), pane + 1, NetRecordTimeOf(start),
                                      NetRecordTimeOf(end), "", path, sizeof path))
        return {};
    return path;
}

const char* DownloadExtension(int videoType) {
    switch (videoType) {
        case 0:
            return ".264";
        case 1:
            return ".avi";
        default:
            return "";
    }
}

std::string DownloadFolder(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

uint32_t VekNetDownloadLibrary::StartDownloadRecord(uint32_t login, const NetDownloadRequest& request) {
    return VekNetStartDownloadRecord(login, &request);
}

void VekNetDownloadLibrary::StopDownloadRecord(uint32_t* download) {
    VekNetStopDownloadRecord(download);
}

FileDownloadModel::FileDownloadModel(int pane,
                                     DownloadLibrary& library,
                                     DownloadSettings& settings,
                                     DownloadView& view,
                                     NetDownloadCallback callback,
                                     uintptr_t window)
    : pane_(pane),
      library_(library),
      settings_(settings),
      view_(view),
      callback_(callback),
      window_(window) {}

FileDownloadModel::~FileDownloadModel() {
    // The library must not call back into a route that is gone.
    if (handle_ != 0)
        library_.StopDownloadRecord(&handle_);
}

uint32_t FileDownloadModel::RowState(int row) const {
    return ValidRow(row) ? rows_[static_cast<size_t>(row)].state : kRowIdle;
}

const std::string& FileDownloadModel::RowPath(int row) const {
    static const std::string none;
    return ValidRow(row) ? rows_[static_cast<size_t>(row)].basePath : none;
}

const _recfile_info_t* FileDownloadModel::RecordOf(int row) const {
    if (records_ == nullptr || !ValidRow(row))
        return nullptr;
    const _recfile_info_t* record = records_->Get(row);
    const Row& r = rows_[static_cast<size_t>(row)];
    if (record == nullptr || !SameTime(record->start, r.start) || !SameTime(record->end, r.end))
        return nullptr;
    return record;
}

void FileDownloadModel::Fill(DownloadRecords* records) {
    char caption[160];
    std::snprintf(caption, sizeof caption, "%s %s%02d", settings_.Text(kStringFileDownload).c_str(),
                  settings_.Text(kStringChannel).c_str(), pane_ + 1);
    view_.SetCaption(caption);
    records_ = records;
    view_.DeleteAllRows();
    rows_.clear();
    const int count = records_ != nullptr ? records_->Count() : 0;
    const std::string recordPath = settings_.RecordPath();
    const std::string host = settings_.ModeText();
    for (int i = 0; i < count; ++i) {
        const _recfile_info_t* record = records_->Get(i);
        if (record == nullptr)
            break;
        Row row;
        row.start = record->start;
        row.end = record->end;
        row.basePath = DownloadBasePath(recordPath, host, pane_, record->start, record->end);
        // Only the download running now is downloading; any other state word
        // that is not waiting is idle.
        row.state = record->downloadState;
        if (row.state == kRowDownloading ? !(busy_ && i == current_) : row.state != kRowWaiting)
            row.state = kRowIdle;
        std::array<std::string, kDownloadColumns> texts;
        texts[1] = std::to_string(i + 1);
        texts[2] = RecordTimeText(record->start);
        texts[3] = RecordTimeText(record->end);
        texts[4] = settings_.Text(row.state == kRowIdle      ? kStringNotDownload
                                  : row.state == kRowWaiting ? kStringWaitDownload
                                                             : kStringDownloading);
        texts[5] = RecordSizeText(record->length);
        texts[6] = row.basePath;
        rows_.push_back(row);
        view_.InsertRow(i, texts, row.state);
    }
}

void FileDownloadModel::SetState(int row, uint32_t state, int textId) {
    Row& r = rows_[static_cast<size_t>(row)];
    r.state = state;
    view_.SetRowData(row, state);
    if (textId != 0)
        view_.SetStateText(row, settings_.Text(textId));
    if (const _recfile_info_t* record = RecordOf(row)) {
        _recfile_info_t copy = *record;
        copy.downloadState = state;
        copy.downloadHandle = state == kRowDownloading ? handle_ : 0;
        records_->Set(row, copy);
    }
}

void FileDownloadModel::OnStart() {
    bool first = true;
    for (int row = 0; row < RowCount(); ++row) {
        if (rows_[static_cast<size_t>(row)].state != kRowIdle || !view_.IsChecked(row))
            continue;
        SetState(row, kRowWaiting, first && !busy_ ? kStringDownloading : kStringWaitDownload);
        first = false;
    }
}

void FileDownloadModel::OnTimer() {
    if (busy_)
        return;
    for (int row = 0; row < RowCount(); ++row) {
        if (rows_[static_cast<size_t>(row)].state == kRowWaiting) {
            current_ = row;
            StartRowDownload(row);
            return;
        }
    }
}

void FileDownloadModel::StartRowDownload(int row) {
    const _recfile_info_t* record = RecordOf(row);
    const std::string& base = rows_[static_cast<size_t>(row)].basePath;
    const std::string path = base + DownloadExtension(settings_.VideoType());
    if (record == nullptr || base.empty() || path.size() >= VEKNET_MAX_PATH) {
        busy_ = false;
        SetState(row, kRowIdle, kStringDownloadFailed);
        return;
    }
    settings_.MakeDirTree(DownloadFolder(path));

    NetRecordItem item{};
    item.word = record->sourceWord;
    item.start = NetRecordTimeOf(record->start);
    item.end = NetRecordTimeOf(record->end);
    item.type = record->type;
    item.length = record->length;
    route_ = std::make_unique<DownloadRoute>();
    route_->window = window_;
    route_->tag = nextTag_++;
    if (nextTag_ == 0)
        nextTag_ = 1;
    NetDownloadRequest request{};
    request.channel = pane_;
    request.record = &item;
    request.path = path.c_str();
    request.callback = callback_;
    request.user = reinterpret_cast<uintptr_t>(route_.get());

    handle_ = library_.StartDownloadRecord(settings_.LoginHandle(), request);
    if (handle_ == 0) {
        route_.reset();
        busy_ = false;
        SetState(row, kRowIdle, kStringDownloadFailed);
        return;
    }
    busy_ = true;
    SetState(row, kRowDownloading, kStringDownloading);
}

void FileDownloadModel::StopRow(int row, uint32_t how, int32_t result, int stoppedText) {
    int text = stoppedText;
    if (how == kStopEnded)
        text = result == VEKNET_DOWNLOAD_OK ? kStringCompleteDownload : kStringDownloadFailed;
    if (how == kStopDownloading || how == kStopEnded) {
        if (handle_ != 0)
            library_.StopDownloadRecord(&handle_);
        handle_ = 0;
        // No event comes after the stop; one that came before it is taken here.
        int32_t ended = 0;
        if (how == kStopDownloading && route_ && view_.TakeQueuedEnd(route_->tag, &ended))
            text = ended == VEKNET_DOWNLOAD_OK ? kStringCompleteDownload : kStringDownloadFailed;
        route_.reset();
        if (how == kStopEnded || row == current_)
            busy_ = false;
        if (how == kStopDownloading)
            current_ = -1;
    }
    SetState(row, kRowIdle, text);
}

void FileDownloadModel::OnStop() {
    for (int row = 0; row < RowCount(); ++row) {
        const uint32_t state = rows_[static_cast<size_t>(row)].state;
        if ((state == kRowWaiting || state == kRowDownloading) && view_.IsChecked(row))
            StopRow(row, state);
    }
}

void FileDownloadModel::StopAllDownloads() {
    for (int row = 0; row < RowCount(); ++row) {
        const uint32_t state = rows_[static_cast<size_t>(row)].state;
        if (state == kRowWaiting || state == kRowDownloading)
            StopRow(row, state, VEKNET_DOWNLOAD_OK,
                    state == kRowDownloading ? kStringDownloadFailed : kStringNotDownload);
    }
    // A download whose row went away with a new fill ends too.
    if (handle_ != 0)
        library_.StopDownloadRecord(&handle_);
    handle_ = 0;
    route_.reset();
    busy_ = false;
    view_.Hide();
}

void FileDownloadModel::OnDownloadEnd(int32_t result, uint32_t tag) {
    if (!route_ || tag != route_->tag || !busy_)
        return;  // a download stopped before its end was taken
    if (RowState(current_) == kRowDownloading) {
        StopRow(current_, kStopEnded, result);
        return;
    }
    if (handle_ != 0)
        library_.StopDownloadRecord(&handle_);
    handle_ = 0;
    route_.reset();
    busy_ = false;
}

void FileDownloadModel::OnDownloadProgress(int32_t percent, uint32_t tag) {
    if (!route_ || tag != route_->tag || !busy_ || RowState(current_) != kRowDownloading)
        return;
    const int32_t shown = percent < 0 ? 0 : percent > 99 ? 99 : percent;
    view_.SetStateText(current_, std::to_string(shown) + "%");
}

}  // namespace play
