// app/browse/file_list_model.cpp
#include "app/browse/file_list_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace browse {

namespace {

// The pane of a channel: its place among the chosen channels, or -1.
int PaneOf(const ChosenChannels& channels, int channel) {
    if (channel < 0)
        return -1;
    const auto it = std::find(channels.begin(), channels.end(), channel);
    return it == channels.end() ? -1 : static_cast<int>(it - channels.begin());
}

}  // namespace

SearchMonTime MonthSearchRange(int year, int month) {
    return SearchMonTime{year - 2010, 1, year - 2000, month};
}

FileListLayout LayoutFileList(const play::PixelRect& client) {
    const int l = client.x, t = client.y, r = client.right(), b = client.bottom();
    FileListLayout layout;
    layout.list = {l, t, r - l - 12, b - 290 - 12 - t};
    layout.selectChannel = {l, b - 290, 135, 25};
    layout.selectDisk = {l + 135, b - 290, 135, 25};
    layout.clear = {l, b - 265, 135, 25};
    layout.exportButton = {l + 135, b - 265, 135, 25};
    layout.calendar = {l, b - 240, r - l, 220};
    layout.status = {l + 1, b - 20, r - l - 2, 20};
    return layout;
}

FileListModel::FileListModel(const Links& links,
                             const Shared& shared,
                             const Windows& windows,
                             FileListTexts texts)
    : disks_(links.disks),
      drives_(links.drives),
      page_(links.page),
      playback_(links.playback),
      shared_(shared),
      windows_(windows),
      texts_(std::move(texts)),
      status_(texts_.searchState) {}

int FileListModel::DayCount() const {
    std::lock_guard hold(lock_);
    return static_cast<int>(days_.size());
}

std::vector<std::string> FileListModel::Days() const {
    std::lock_guard hold(lock_);
    return days_;
}

// ---- disk ------------------------------------------------------------------------------

int FileListModel::ResolvePhysicalDrive(const std::string& folder) {
    if (folder.size() < 2 || !std::isalpha(static_cast<unsigned char>(folder[0])) || folder[1] != ':')
        return -1;
    const std::optional<int> drive = drives_.PhysicalDriveOf("\\\\.\\" + folder.substr(0, 2));
    if (!drive || *drive < 0)
        return -1;
    if (*drive == 0)
        return 1;
    physicalDrive_ = *drive;
    return 0;
}

void FileListModel::OnSelectDisk() {
    CloseDisk();
    page_.EnableDiskControls(false);
    const CalendarDate today = page_.Today();

    const std::optional<std::string> folder = page_.PickFolder();
    if (!folder || ResolvePhysicalDrive(*folder) != 0) {
        page_.EnableDiskControls(true);
        return;
    }
    page_.StoreDiskFolder(*folder);

    char path[64];
    std::snprintf(path, sizeof path, "\\\\.\\PhysicalDrive%d", physicalDrive_);
    disk_ = disks_.AddDisk(windows_.page, kDiskChannels, physicalDrive_, path, &MonthSearchCallback);
    page_.StoreDiskHandle(disk_);
    if (disk_ == 0) {
        // A drive no reader accepted is not the recorder's: its removal is
        // nothing to report.
        physicalDrive_ = 0;
        page_.EnableDiskControls(true);
        return;
    }
    page_.StorePhysicalDrive(physicalDrive_);

    {
        std::lock_guard hold(lock_);
        monthDone_ = false;
    }
    monthSearchRunning_ = true;
    disks_.SearchByMon(disk_, MonthSearchRange(today.year, today.month), windows_.handles, this);
    statusDots_ = 0;
    status_ = texts_.searching;
    page_.ShowStatus(status_);
    page_.SetStatusTimer(true);
}

void FileListModel::CloseDisk() {
    if (disk_ == 0)
        return;
    page_.EnableClear(false);

    // Nothing may write into the tables while they are cleared: the searches
    // and the animation end first, then the panes, then the disk goes.
    disks_.StopDaySearch(disk_);
    disks_.StopMonSearch(disk_);
    const bool endedMonthSearch = monthSearchRunning_;
    monthSearchRunning_ = false;
    page_.SetStatusTimer(false);
    playback_.StopAllAndClear();
    disks_.RemoveDisk(disk_);
    disk_ = 0;
    page_.StoreDiskHandle(0);

    {
        std::lock_guard hold(lock_);
        days_.clear();
        dayIndex_.clear();
        pending_.clear();
        monthDone_ = dayDone_ = false;
    }
    std::fill(shared_.paneHasRecords.begin(), shared_.paneHasRecords.end(), 0);
    status_ = texts_.searchState;
    page_.ShowStatus(status_);
    rows_.clear();
    page_.ShowRows(rows_);
    ClearPaneRecords();
    physicalDrive_ = 0;
    page_.StorePhysicalDrive(0);
    page_.ClearGpsTable();
    page_.SetCalendarDays({DayString(page_.Today())});

    if (endedMonthSearch)
        page_.EnableDiskControls(true);
    page_.EnableClear(true);
}

void FileListModel::Reset() {
    std::fill(shared_.paneHasRecords.begin(), shared_.paneHasRecords.end(), 0);
    CloseDisk();
}

// ---- month search ----------------------------------------------------------------------

int VEK_CALL FileListModel::MonthSearchCallback(FSReaderKind, void* record, FSPlayParam* param) {
    if (param == nullptr || param->user == nullptr)
        return 1;
    auto* self = static_cast<FileListModel*>(param->user);
    if (param->monthRunning) {
        if (record != nullptr)
            self->AddMonth(*static_cast<const FSMonthResult*>(record));
        return 1;
    }
    {
        std::lock_guard hold(self->lock_);
        self->monthDone_ = true;
    }
    self->page_.PostMonthSearchDone();
    return 1;
}

void FileListModel::AddMonth(const FSMonthResult& month) {
    if (month.year < 0 || month.year > 99 || month.month < 1 || month.month > 12)
        return;
    const int length = DaysInMonth(2000 + month.year, month.month);
    std::lock_guard hold(lock_);
    for (int day = 1; day <= length; day++) {
        if (month.days[day - 1] == 0)
            continue;
        std::string text = DayString({2000 + month.year, month.month, day});
        if (dayIndex_.insert(text).second)
            days_.push_back(std::move(text));
    }
}

void FileListModel::OnMonthSearchDone() {
    {
        std::lock_guard hold(lock_);
        if (!monthDone_)
            return;  // left over from a search that was stopped
        monthDone_ = false;
    }
    if (!monthSearchRunning_)
        return;
    disks_.StopMonSearch(disk_);
    monthSearchRunning_ = false;
    page_.SetStatusTimer(false);
    status_ = texts_.finished;
    page_.ShowStatus(status_);
    const std::vector<std::string> days = Days();
    if (!days.empty())
        page_.SetCalendarDays(days);
    page_.EnableDiskControls(true);
}

void FileListModel::OnStatusTimer() {
    if (!monthSearchRunning_)
        return;
    status_ += ".";
    page_.ShowStatus(status_);
    if (++statusDots_ >= kStatusDots) {
        status_ = texts_.searching;
        statusDots_ = 0;
    }
}

// ---- day search ------------------------------------------------------------------------

void FileListModel::OnSearchDay(const std::string& day) {
    selectedDay_ = day;
    if (disk_ != 0)
        disks_.StopDaySearch(disk_);
    {
        // What the stopped search found goes with it.
        std::lock_guard hold(lock_);
        pending_.clear();
        dayDone_ = false;
    }
    if (DayCount() == 0)
        return;

    rows_.clear();
    page_.ShowRows(rows_);
    ClearPaneRecords();
    playback_.StopAllAndClear();

    const std::optional<CalendarDate> date = ParseDayString(day);
    if (!date)
        return;
    const int year = date->year - 2000;
    {
        std::lock_guard hold(lock_);
        searchChannels_ = channels_;
    }
    disks_.SearchByDay(disk_, RecTime{year, date->month, date->day, 0, 0, 0},
                       RecTime{year, date->month, date->day, 23, 59, 59}, windows_.handles,
                       &DaySearchCallback, this, 0, channels_.data());
    page_.ClearGpsTable();
}

void FileListModel::OnChannelsChosen(const ChosenChannels& channels) {
    for (int i = 0; i < kPaneCount; i++)
        channels_[i] = channels[i] >= 0 && channels[i] < kDiskChannels ? channels[i] : -1;
    OnSearchDay(selectedDay_);
}

int VEK_CALL FileListModel::DaySearchCallback(FSReaderKind, void* record, FSPlayParam* param) {
    if (param == nullptr || param->user == nullptr)
        return 1;
    auto* self = static_cast<FileListModel*>(param->user);
    if (param->dayRunning) {
        if (record != nullptr)
            self->AddRecord(*static_cast<const FSRecordInfo*>(record), *param);
        return 1;
    }
    {
        std::lock_guard hold(self->lock_);
        self->dayDone_ = true;
    }
    self->page_.PostDaySearchDone();
    self->page_.PostRecordsChanged();
    return 1;
}

void FileListModel::AddRecord(const FSRecordInfo& record, const FSPlayParam& param) {
    std::lock_guard hold(lock_);
    const int pane = PaneOf(searchChannels_, param.channel);
    if (pane < 0)
        return;  // not a channel that was asked for: it has no pane
    pending_.push_back(DayRecordItem{record.start, record.end, param.channel + 1,
                                     static_cast<uint32_t>(record.dataLength), record.typeBit, pane});
    shared_.paneRecords[pane][param.recordIndex] = record;
}

void FileListModel::OnDaySearchDone() {
    std::vector<DayRecordItem> items;
    {
        std::lock_guard hold(lock_);
        if (!dayDone_)
            return;  // left over from a search that a newer one replaced
        dayDone_ = false;
        items.swap(pending_);
    }
    FillList(items);
    disks_.StopDaySearch(disk_);
}

void FileListModel::FillList(const std::vector<DayRecordItem>& items) {
    std::fill(shared_.paneHasRecords.begin(), shared_.paneHasRecords.end(), 0);
    for (const DayRecordItem& item : items) {
        ListRow row = MakeRow(item.start, item.end, item.channelNumber, item.length, item.typeBit);
        rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(RowInsertPosition(rows_, row)),
                     std::move(row));
        shared_.paneHasRecords[item.pane] = 1;
        playback_.AddTimebarRecord(item.pane,
                                   TimebarRecordOf(item.start, item.end, item.typeBit, item.length));
    }
    page_.ShowRows(rows_);
}

void FileListModel::ClearPaneRecords() {
    std::lock_guard hold(lock_);
    for (PaneRecordMap& records : shared_.paneRecords)
        records.clear();
}

// ---- play ------------------------------------------------------------------------------

void FileListModel::OnPlayRow(int row, bool syncPlay) {
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    const std::optional<RowStart> start = ParseRow(rows_[row].file, rows_[row].id);
    if (!start)
        return;
    const int pane = PaneOf(channels_, start->channel);
    if (pane < 0)
        return;

    const RowSeekTime seek{static_cast<uint16_t>(start->year),
                           static_cast<uint16_t>(start->month),
                           0,
                           static_cast<uint16_t>(start->day),
                           static_cast<uint16_t>(start->hour),
                           static_cast<uint16_t>(start->minute),
                           static_cast<uint16_t>(start->second),
                           0};
    if (syncPlay) {
        if (!playback_.HasSyncMaster())
            playback_.PlayPane(-1);
        playback_.SetCursorTime(pane, start->hour, start->minute, start->second, true);
        playback_.StoreSeekTime(seek);
        playback_.SyncSeekAll();
    } else {
        if (!playback_.PaneHasPlay(pane))
            playback_.PlayPane(pane);
        playback_.SetCursorTime(pane, start->hour, start->minute, start->second, true);
        playback_.StoreSeekTime(seek);
        playback_.SeekPane(pane);
    }
    playback_.SelectPane(pane);
}

}  // namespace browse
