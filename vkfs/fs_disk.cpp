// vkfs/fs_disk.cpp
//
// The disk object: probing the readers, closing, and starting and stopping its
// jobs. The thread bodies are in search_threads.cpp and stream_threads.cpp.
#include "vkfs/fs_disk.h"

#include <cstring>
#include <utility>

namespace vkfs {

namespace {

// The reader probe's second dvrfs argument, as the library has always passed it.
constexpr int kDvrfsSecondArgument = 8;

// The disk whose worker runs on this thread, if any.
thread_local const FSDisk* tWorkerOf = nullptr;

// Runs a job's body as that disk's worker.
template <typename Body>
auto AsWorker(const FSDisk* disk, Body body) {
    return [disk, body]() mutable {
        tWorkerOf = disk;
        body();
    };
}

}  // namespace

bool FSDisk::OnOwnWorker() const {
    return tWorkerOf == this;
}

FSDisk::FSDisk(void* window, int channels, int diskNumber, const char* path, FSSearchCallback monthCallback)
    : readers_(Readers()),
      diskNumber_(diskNumber),
      channels_(channels),
      monthCallback_(monthCallback),
      window_(window) {
    if (path) {
        std::strncpy(path_, path, sizeof path_ - 1);
        path_[sizeof path_ - 1] = '\0';
    }
    for (auto& group : channelTable_) group.fill(-1);
    log_.Start();
}

FSDisk::~FSDisk() {
    std::lock_guard<std::mutex> hold(control_);
    StopAllLocked();
}

bool FSDisk::Probe() {
    if (readers_.v1.Init(channels_) != 0) {
        log_.Write("vkfs init failed!---%d", kPlaceVkfsInit);
        return false;
    }
    if (readers_.v1.AddDisk(diskNumber_, path_) == 0) {
        kind_ = FS_READER_VEKFS;
        return true;
    }
    readers_.v1.Exit(1);
    log_.Write("vkfs add disk failed!---%d", kPlaceVkfsAddDisk);

    if (readers_.v2.Init(channels_) != 0) {
        log_.Write("vkfs2 init failed!---%d", kPlaceVkfs2Init);
        return false;
    }
    if (readers_.v2.AddDisk(diskNumber_, path_) == 0) {
        kind_ = FS_READER_VEKFS2;
        return true;
    }
    readers_.v2.Exit(1);
    log_.Write("vkfs2 add disk failed!---%d", kPlaceVkfs2AddDisk);

    if (readers_.dvrfs.Init(channels_, kDvrfsSecondArgument, diskNumber_) != 0) {
        log_.Write("dvrfs init failed!---%d", kPlaceDvrfsInit);
        return false;
    }
    const int id = readers_.dvrfs.AddDisk(path_);
    if (id < 0) {
        readers_.dvrfs.Exit(0);
        log_.Write("dvrfs add disk failed!---%d", kPlaceDvrfsAddDisk);
        return false;
    }
    dvrfsDiskId_ = id;
    kind_ = FS_READER_DVRFS;
    return true;
}

int FSDisk::Close() {
    if (OnOwnWorker()) return 0;
    std::lock_guard<std::mutex> hold(control_);
    if (closed_) return 0;
    StopAllLocked();
    closed_ = true;
    if (kind_ == FS_READER_DVRFS) {
        readers_.dvrfs.RemoveDisk(path_, 0, dvrfsDiskId_);
        return readers_.dvrfs.Exit(0) == 0 ? 1 : 0;
    }
    VekfsLibrary* reader = vekfs();
    {
        std::lock_guard<std::mutex> tables(tables_);
        for (int& kept : keptSearch_) {
            if (kept >= 0) reader->FindStop(kept);
            kept = -1;
        }
    }
    reader->RemoveDisk(diskNumber_);
    return reader->Exit(1) == 0 ? 1 : 0;
}

int FSDisk::KeptSearchHandle(int group) const {
    if (group < 0 || group >= kGroupCount) return -1;
    std::lock_guard<std::mutex> hold(tables_);
    return keptSearch_[static_cast<size_t>(group)];
}

void FSDisk::StopAllLocked() {
    StopMonthLocked();
    StopDayLocked();
    for (int s = 0; s < kSlotCount; s++) {
        StopPlayLocked(s);
        StopExportLocked(s);
    }
}

// ---- month and day searches -------------------------------------------------------

void FSDisk::SearchByMonth(const SearchMonTime& range, FSHwnd* windows, void* user) {
    if (OnOwnWorker()) return;
    std::lock_guard<std::mutex> hold(control_);
    if (closed_) return;
    // A finished search waits for its stop; starting anew stops it here rather
    // than waiting for it forever.
    StopMonthLocked();
    monthStop_ = std::make_unique<platform::Event>(platform::Event::AutoReset);
    monthRunning_ = 1;
    MonthJob job{range, windows, user, monthStop_.get()};
    if (!monthThread_.Start(AsWorker(this, [this, job] { MonthThread(job); }))) {
        monthRunning_ = 0;
        monthStop_.reset();
    }
}

void FSDisk::StopMonthSearch() {
    if (OnOwnWorker()) return;
    std::lock_guard<std::mutex> hold(control_);
    StopMonthLocked();
}

void FSDisk::StopMonthLocked() {
    if (!monthThread_.Joinable() && !monthStop_) return;
    if (monthStop_) monthStop_->Set();
    monthThread_.Join();
    monthStop_.reset();
    monthRunning_ = 0;
}

void FSDisk::SearchByDay(const RecTime& from, const RecTime& to, FSHwnd* windows, FSSearchCallback callback,
                         void* user, int group, const int channels[4]) {
    if (group < 0 || group >= kGroupCount || !channels) return;
    if (OnOwnWorker()) return;
    std::lock_guard<std::mutex> hold(control_);
    if (closed_) return;
    StopDayLocked();
    DayJob job;
    job.from = from;
    job.to = to;
    job.windows = windows;
    job.callback = callback;
    job.user = user;
    job.group = group;
    for (int s = 0; s < kSlotCount; s++) job.channels[static_cast<size_t>(s)] = channels[s];
    {
        std::lock_guard<std::mutex> tables(tables_);
        channelTable_[static_cast<size_t>(group)] = job.channels;
    }
    dayStop_ = std::make_unique<platform::Event>(platform::Event::ManualReset);
    job.stop = dayStop_.get();
    dayRunning_ = 1;
    if (!dayThread_.Start(AsWorker(this, [this, job] { DayThread(job); }))) {
        dayRunning_ = 0;
        dayStop_.reset();
    }
}

void FSDisk::StopDaySearch() {
    if (OnOwnWorker()) return;
    std::lock_guard<std::mutex> hold(control_);
    StopDayLocked();
}

void FSDisk::StopDayLocked() {
    if (!dayThread_.Joinable() && !dayStop_) return;
    if (dayStop_) dayStop_->Set();
    dayThread_.Join();
    dayStop_.reset();
    dayRunning_ = 0;
}

// ---- play -------------------------------------------------------------------------

void FSDisk::Play(int slot, const RecTime& from, const RecTime& to, uintptr_t user, FSDataCallback data,
                  FSTimeCallback time) {
    if (!ValidSlot(slot)) return;
    if (OnOwnWorker()) return;
    std::lock_guard<std::mutex> hold(control_);
    if (closed_) return;
    Slot& s = slots_[static_cast<size_t>(slot)];
    // One play per slot: a play still running there ends first.
    if (s.playThread.Joinable()) StopPlayLocked(slot);

    auto job = std::make_shared<StreamJob>();
    job->slot = slot;
    job->group = kGroupPlay;
    job->from = from;
    job->to = to;
    job->user = user;
    job->data = data;
    job->time = time;
    {
        std::lock_guard<std::mutex> tables(tables_);
        job->channel = channelTable_[kGroupPlay][static_cast<size_t>(slot)];
        for (const auto& entry : recordTable_[kGroupPlay][static_cast<size_t>(slot)])
            job->records.push_back(entry);
    }
    s.playStop = std::make_unique<platform::Event>(platform::Event::AutoReset);
    job->stop = s.playStop.get();
    job->stopFlag = &s.stop;
    if (kind_ == FS_READER_DVRFS && s.playDvrfsHandle < 0) {
        s.playDvrfsHandle = readers_.dvrfs.Open(job->channel, 0);
        if (s.playDvrfsHandle < 0) {
            s.playDvrfsHandle = -1;
            s.playStop.reset();
            return;
        }
    }
    const bool dvrfs = kind_ == FS_READER_DVRFS;
    if (!s.playThread.Start(AsWorker(this, [this, job, dvrfs] {
            if (dvrfs)
                PlayThreadDvrfs(*job);
            else
                PlayThreadVekfs(*job);
        }))) {
        s.playStop.reset();
    }
}

void FSDisk::StopPlay(int slot) {
    if (!ValidSlot(slot)) return;
    if (OnOwnWorker()) return;
    std::lock_guard<std::mutex> hold(control_);
    StopPlayLocked(slot);
}

void FSDisk::StopPlayLocked(int slot) {
    Slot& s = slots_[static_cast<size_t>(slot)];
    s.stop = 1;
    if (s.playStop) s.playStop->Set();
    s.playThread.Join();
    s.playStop.reset();
    // The slot as a new play finds it.
    s.deliver = 1;
    s.seekPending = 0;
    s.stop = 0;
    s.frames.Reset(true);
    if (s.playReaderSlot >= 0) vekfs()->ReadStop(s.playReaderSlot);
    s.playReaderSlot = -1;
    if (s.playDvrfsHandle >= 0) {
        readers_.dvrfs.FindStop(s.playDvrfsHandle);
        readers_.dvrfs.Close(s.playDvrfsHandle, 0);
    }
    s.playDvrfsHandle = -1;
}

void FSDisk::SeekPlay(int slot, const RecTime& time) {
    if (!ValidSlot(slot)) return;
    Slot& s = slots_[static_cast<size_t>(slot)];
    std::lock_guard<std::mutex> hold(s.seekLock);
    s.seekTime = time;
    // Delivery off before the request shows, so that the play thread's "on"
    // after the seek cannot be overtaken by this "off".
    s.deliver = 0;
    s.seekPending = 1;
}

void FSDisk::RequestData(int slot, int on) {
    if (!ValidSlot(slot)) return;
    slots_[static_cast<size_t>(slot)].deliver = on;
}

// ---- export -----------------------------------------------------------------------

void FSDisk::Export(int channel, const RecTime& from, const RecTime& to, uintptr_t user, FSDataCallback data) {
    if (OnOwnWorker()) return;
    std::lock_guard<std::mutex> hold(control_);
    if (closed_) return;
    auto job = std::make_shared<StreamJob>();
    {
        std::lock_guard<std::mutex> tables(tables_);
        const auto& table = channelTable_[kGroupExport];
        int slot = -1;
        for (int i = 0; i < kSlotCount && slot < 0; i++)
            if (table[static_cast<size_t>(i)] == channel) slot = i;
        if (slot < 0) return;
        job->slot = slot;
        job->channel = channel;
        for (const auto& entry : recordTable_[kGroupExport][static_cast<size_t>(slot)])
            job->records.push_back(entry);
    }
    job->group = kGroupExport;
    job->from = from;
    job->to = to;
    job->user = user;
    job->data = data;
    Slot& s = slots_[static_cast<size_t>(job->slot)];
    if (s.exportThread.Joinable()) StopExportLocked(job->slot);
    s.exportStop = std::make_unique<platform::Event>(platform::Event::AutoReset);
    job->stop = s.exportStop.get();
    job->stopFlag = &s.exportStopFlag;
    const bool dvrfs = kind_ == FS_READER_DVRFS;
    if (!s.exportThread.Start(AsWorker(this, [this, job, dvrfs] {
            if (dvrfs)
                ExportThreadDvrfs(*job);
            else
                ExportThreadVekfs(*job);
        }))) {
        s.exportStop.reset();
    }
}

void FSDisk::StopExport(int slot) {
    if (!ValidSlot(slot)) return;
    if (OnOwnWorker()) return;
    std::lock_guard<std::mutex> hold(control_);
    StopExportLocked(slot);
}

void FSDisk::StopExportLocked(int slot) {
    Slot& s = slots_[static_cast<size_t>(slot)];
    s.exportStopFlag = 1;
    if (s.exportStop) s.exportStop->Set();
    s.exportThread.Join();
    s.exportStop.reset();
    s.exportStopFlag = 0;
    s.exportActive = 1;
    if (s.exportReaderSlot >= 0) vekfs()->ReadStop(s.exportReaderSlot);
    s.exportReaderSlot = -1;
    if (s.exportDvrfsHandle >= 0) {
        readers_.dvrfs.FindStop(s.exportDvrfsHandle);
        readers_.dvrfs.Close(s.exportDvrfsHandle, 0);
    }
    s.exportDvrfsHandle = -1;
}

}  // namespace vkfs
