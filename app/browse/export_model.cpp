// app/browse/export_model.cpp
#include "app/browse/export_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "app/browse/record_rows.h"
#include "media/avi_file_writer.h"
#include "platform/paths.h"

namespace browse {

namespace {

constexpr int kAddDiskChannels = 128;

std::string TypeText(int32_t typeBit, const ExportTexts& texts) {
    switch (typeBit) {
        case 1:
            return texts.normal;
        case 2:
            return texts.motion;
        case 4:
            return texts.alarm;
        case 8:
            return texts.io;
        case 128:
            return texts.intelligent;
        default:
            return std::string();
    }
}

}  // namespace

// ---- texts -------------------------------------------------------------------------------

ExportRow MakeExportRow(const ExportRecord& record, const ExportTexts& texts) {
    const RecTime& s = record.start;
    const RecTime& e = record.end;
    char file[96];
    std::snprintf(file, sizeof file, "%02d:%02d:%02d-%02d:%02d:%02d", s.hour, s.minute, s.second, e.hour,
                  e.minute, e.second);
    char id[64];
    std::snprintf(id, sizeof id, "%02d-%02d%02d%02d", record.channelNumber, s.year, s.month, s.day);
    ExportRow row;
    row.file = file;
    row.id = id;
    char size[32];
    std::snprintf(size, sizeof size, "%.2fM", static_cast<double>(record.length) / 1024 / 1024);
    row.size = size;
    row.type = TypeText(record.typeBit, texts);
    row.channel = std::to_string(record.channelNumber);
    row.image = record.typeBit == 1 ? kRowImageNormal : kRowImageOther;
    return row;
}

std::string DefaultExportFolder(int videoType) {
    return videoType == 1 ? "D:\\avi" : "D:\\mp4";
}

std::string ExportExtension(int videoType) {
    return videoType == 1 ? ".avi" : ".mp4";
}

std::string ExportFileName(const std::string& folder, const ExportRow& row, const std::string& extension) {
    std::string file = row.file;
    file.erase(std::remove(file.begin(), file.end(), ':'), file.end());
    return folder + platform::kPathSeparator + "ch0" + row.id + "-" + file + extension;
}

int ExportProgress(uint64_t done, uint64_t expected) {
    if (expected == 0)
        return 0;
    if (done >= expected)
        return kProgressMidMax;
    const auto perMille =
        static_cast<int>(static_cast<double>(done) * 1000.0 / static_cast<double>(expected));
    return std::min(perMille, kProgressMidMax);
}

// ---- the library -------------------------------------------------------------------------

void VkfsExportStreams::Export(FSDiskHandle disk,
                               RecTime from,
                               RecTime to,
                               int channel,
                               uintptr_t user,
                               FSDataCallback data) {
    FSExport(disk, from, to, channel, user, data);
}

void VkfsExportStreams::StopExport(FSDiskHandle disk, int slot) {
    FSStopExport(disk, slot);
}

// ---- the model ---------------------------------------------------------------------------

ExportModel::ExportModel(const Links& links, FSHwnd* windows, ExportTexts texts)
    : disks_(links.disks),
      streams_(links.streams),
      drives_(links.drives),
      page_(links.page),
      windows_(windows),
      texts_(std::move(texts)) {}

ExportModel::~ExportModel() {
    // No library thread may call back into a model that is gone. The dialog
    // has normally let everything go already (StopAll); the page is not asked
    // here, as the window may be half destroyed.
    if (lastDisk_ != 0) {
        disks_.StopDaySearch(lastDisk_);
        StopExports(lastDisk_);
    }
}

void ExportModel::Init(int videoType) {
    destination_ = DefaultExportFolder(videoType);
    extension_ = ExportExtension(videoType);
    page_.ShowDestination(destination_);
    page_.MakeFolder(destination_);
    page_.SetProgress(0);
}

// ---- search ------------------------------------------------------------------------------

void ExportModel::OnSearch() {
    page_.EnableSearch(false);
    page_.SetProgress(0);
    page_.ShowProgressText(PercentText(0));
    rows_.clear();
    records_.clear();
    page_.ShowRows(rows_);
    StopWork();

    if (page_.DiskHandle() == 0 && !OpenOwnDisk()) {
        page_.EnableSearch(true);
        return;
    }
    const ExportSpan span = page_.Span();
    const int year = span.day.year - 2000;
    const RecTime from{year,           span.day.month,   span.day.day,
                       span.from.hour, span.from.minute, span.from.second};
    const RecTime to{year, span.day.month, span.day.day, span.to.hour, span.to.minute, span.to.second};
    {
        std::lock_guard hold(lock_);
        found_.clear();
        searchDone_ = false;
    }
    lastDisk_ = page_.DiskHandle();
    disks_.SearchByDay(lastDisk_, from, to, windows_, &DaySearchCallback, this, kExportGroup,
                       channels_.data());
    page_.EnableSearch(true);
}

bool ExportModel::OpenOwnDisk() {
    const std::optional<std::string> folder = page_.PickFolder();
    if (!folder || folder->size() < 2 || !std::isalpha(static_cast<unsigned char>((*folder)[0])) ||
        (*folder)[1] != ':')
        return false;
    const std::optional<int> drive = drives_.PhysicalDriveOf("\\\\.\\" + folder->substr(0, 2));
    if (!drive || *drive <= 0)
        return false;
    page_.StoreDiskFolder(*folder);
    char path[64];
    std::snprintf(path, sizeof path, "\\\\.\\PhysicalDrive%d", *drive);
    const FSDiskHandle disk = disks_.AddDisk(nullptr, kAddDiskChannels, *drive, path, nullptr);
    if (disk == 0)
        return false;
    page_.StoreDiskHandle(disk);
    page_.StorePhysicalDrive(*drive);
    ownDisk_ = true;
    return true;
}

int VEK_CALL ExportModel::DaySearchCallback(FSReaderKind, void* record, FSPlayParam* param) {
    if (param == nullptr || param->user == nullptr)
        return 1;
    auto* self = static_cast<ExportModel*>(param->user);
    if (param->dayRunning) {
        if (record != nullptr) {
            const auto& r = *static_cast<const FSRecordInfo*>(record);
            std::lock_guard hold(self->lock_);
            const uint64_t length = static_cast<uint64_t>(static_cast<uint32_t>(r.lengthHigh)) << 32 |
                                    static_cast<uint32_t>(r.dataLength);
            self->found_.push_back(ExportRecord{r.start, r.end, param->channel + 1, length, r.typeBit});
        }
        return 1;
    }
    {
        std::lock_guard hold(self->lock_);
        self->searchDone_ = true;
    }
    self->page_.PostDaySearchDone();
    return 1;
}

void ExportModel::OnDaySearchDone() {
    {
        std::lock_guard hold(lock_);
        if (!searchDone_)
            return;  // left over from a search that was stopped
        searchDone_ = false;
        records_.swap(found_);
        found_.clear();
    }
    rows_.clear();
    for (const ExportRecord& record : records_)
        rows_.push_back(MakeExportRow(record, texts_));
    page_.ShowRows(rows_);
    disks_.StopDaySearch(page_.DiskHandle());
}

void ExportModel::OnChannelsChosen(const ChosenChannels& channels) {
    for (size_t i = 0; i < channels.size(); i++)
        channels_[i] = channels[i] >= 0 && channels[i] < kAddDiskChannels ? channels[i] : -1;
}

void ExportModel::OnPickDestination() {
    page_.EnableDestination(false);
    page_.SetProgress(0);
    if (const std::optional<std::string> folder = page_.PickFolder()) {
        destination_ = *folder;
        page_.ShowDestination(destination_);
    }
    page_.EnableDestination(true);
}

// ---- export ------------------------------------------------------------------------------

void ExportModel::OnExport() {
    std::vector<int> selected = page_.SelectedRows();
    selected.erase(
        std::remove_if(selected.begin(), selected.end(),
                       [this](int row) { return row < 0 || row >= static_cast<int>(rows_.size()); }),
        selected.end());
    if (selected.empty()) {
        page_.TellNoSelection();
        OnStop();
        return;
    }
    queue_ = std::move(selected);
    next_ = 0;
    ExportNext();
}

void ExportModel::ExportNext() {
    page_.EnableExport(false);
    page_.EnableSearch(false);
    if (next_ == 0)
        runFailed_ = false;
    const int row = queue_[next_++];
    current_ = row;
    const ExportRecord& record = records_[static_cast<size_t>(row)];
    const std::string name = ExportFileName(destination_, rows_[static_cast<size_t>(row)], extension_);

    auto writer = std::make_unique<CVekAviFileWirte>();
    if (!writer->Open(name.c_str())) {
        EndRun(/*showError=*/true);
        return;
    }
    writer_ = std::move(writer);
    written_ = 0;
    expected_ = record.length;
    calls_ = 0;
    callsSeen_ = 0;
    silentTicks_ = 0;
    tag_ += 2;
    page_.SetWatchTimer(true);
    lastDisk_ = page_.DiskHandle();
    streams_.Export(lastDisk_, record.start, record.end, record.channelNumber - 1,
                    reinterpret_cast<uintptr_t>(this), &DataCallback);
}

int VEK_CALL ExportModel::DataCallback(uintptr_t user, unsigned char* data, int length) {
    auto* self = reinterpret_cast<ExportModel*>(user);
    if (self == nullptr)
        return 1;
    self->inCall_ = true;
    self->calls_++;
    const uint32_t tag = self->tag_.load();
    if (data == nullptr || length < 1) {
        self->page_.PostProgress(length < 0 ? kExportFailedEnd : kProgressDone, tag | kExportEndTag);
    } else {
        self->writer_->Write(data, static_cast<unsigned>(length), 0);
        const uint64_t written = self->written_ += static_cast<uint64_t>(length);
        self->page_.PostProgress(ExportProgress(written, self->expected_), tag);
    }
    self->inCall_ = false;
    return 1;
}

void ExportModel::OnProgress(int perMille, uint32_t tag) {
    if (current_ < 0 || (tag & ~kExportEndTag) != tag_.load())
        return;  // of an export that was stopped or has ended
    if ((tag & kExportEndTag) == 0) {
        const int shown = std::clamp(perMille, 0, kProgressMidMax);
        page_.SetProgress(shown);
        page_.ShowProgressText(PercentText(shown));
        return;
    }
    FinishRow(/*reachedEnd=*/perMille != kExportFailedEnd);
}

void ExportModel::OnWatchTimer() {
    if (current_ < 0)
        return;
    // The messages of the row's calls are handled before a timer tick; the
    // count tells of calls whose messages are still on their way, too.
    const uint32_t calls = calls_.load();
    if (calls != callsSeen_ || inCall_) {
        callsSeen_ = calls;
        silentTicks_ = 0;
        return;
    }
    if (++silentTicks_ >= kExportSilentTicks)
        FinishRow(/*reachedEnd=*/false);
}

void ExportModel::FinishRow(bool reachedEnd) {
    StopExports(page_.DiskHandle());
    const bool written = CloseWriter();
    const bool complete = reachedEnd && written;
    if (complete) {
        page_.SetProgress(kProgressDone);
        page_.ShowProgressText(PercentText(kProgressDone));
    } else {
        runFailed_ = true;
        page_.ShowProgressText(texts_.error);
    }
    if (next_ < queue_.size()) {
        ExportNext();
        return;
    }
    // A run whose last row was complete still ends telling of a failed one.
    EndRun(/*showError=*/complete && runFailed_);
}

void ExportModel::EndRun(bool showError) {
    if (showError)
        page_.ShowProgressText(texts_.error);
    ClearRun();
    page_.EnableExport(true);
    page_.EnableSearch(true);
}

void ExportModel::ClearRun() {
    page_.SetWatchTimer(false);
    tag_ += 2;
    current_ = -1;
    queue_.clear();
    next_ = 0;
}

void ExportModel::OnStop() {
    StopExports(page_.DiskHandle());
    CloseWriter();
    EndRun(/*showError=*/false);
}

void ExportModel::StopExports(FSDiskHandle disk) {
    if (disk == 0)
        return;
    for (int slot = 0; slot < kExportSlots; slot++)
        streams_.StopExport(disk, slot);
}

bool ExportModel::CloseWriter() {
    if (!writer_)
        return true;
    const bool ok = writer_->Close() != 0;
    writer_.reset();
    written_ = 0;
    return ok;
}

void ExportModel::StopWork() {
    const FSDiskHandle disk = page_.DiskHandle();
    if (disk != 0) {
        disks_.StopDaySearch(disk);
        StopExports(disk);
    }
    CloseWriter();
    ClearRun();
    std::lock_guard hold(lock_);
    found_.clear();
    searchDone_ = false;
}

void ExportModel::StopAll() {
    StopWork();
    const FSDiskHandle disk = page_.DiskHandle();
    if (ownDisk_) {
        if (disk != 0)
            disks_.RemoveDisk(disk);
        page_.StoreDiskHandle(0);
        page_.StorePhysicalDrive(0);
        ownDisk_ = false;
    }
    lastDisk_ = 0;
}

}  // namespace browse
