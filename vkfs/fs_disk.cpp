// vkfs/fs_disk.cpp
//
// The disk object: probing the readers, closing, and starting and stopping its
// jobs. The thread bodies are in search_threads.cpp and stream_threads.cpp.
#include "vkfs/fs_disk.h"

#include <cstring>
#include <utility>

namespace vkfs {

namespace {

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
    : diskNumber_(diskNumber), channels_(channels), monthCallback_(monthCallback), window_(window) {
    if (path) {
        std::strncpy(path_, path, sizeof path_ - 1);
        path_[sizeof path_ - 1] = '\0';
    }
    for (auto& group : channelTable_)
        group.fill(-1);
    log_.Start();
}

FSDisk::~FSDisk() {
    std::lock_guard<std::mutex> hold(control_);
    StopAllLocked();
}

bool FSDisk::Probe() {
    source_ = ProbeReaders(DiskArgs{channels_, diskNumber_, path_}, log_);
    if (!source_)
        return false;
    kind_ = source_->Kind();
    return true;
}

int FSDisk::Close() {
    if (OnOwnWorker())
        return 0;
    std::lock_guard<std::mutex> hold(control_);
    if (closed_ || !source_)
        return 0;
    StopAllLocked();
    closed_ = true;
    return source_->Close();
}

int FSDisk::KeptSearchHandle(int group) const {
    if (group < 0 || group >= kGroupCount || !source_)
        return -1;
    return source_->KeptSearch(group);
}

void FSDisk::StopAllLocked() {
    StopSearchLocked(month_);
    StopSearchLocked(day_);
    for (int s = 0; s < kSlotCount; s++) {
        StopPlayLocked(s);
        StopExportLocked(s);
    }
}

// ---- month and day searches -------------------------------------------------------

void FSDisk::StartSearchLocked(SearchWorker& search,
                               platform::Event::Kind stopKind,
                               std::function<void(platform::Event& stop)> body) {
    // A finished search waits for its stop; starting anew stops it here rather
    // than waiting for it forever.
    StopSearchLocked(search);
    search.stop = std::make_unique<platform::Event>(stopKind);
    search.running = 1;
    platform::Event& stop = *search.stop;
    if (!search.thread.Start(AsWorker(this, [body = std::move(body), &stop] { body(stop); }))) {
        search.running = 0;
        search.stop.reset();
    }
}

void FSDisk::StopSearchLocked(SearchWorker& search) {
    if (!search.thread.Joinable() && !search.stop)
        return;
    if (search.stop)
        search.stop->Set();
    search.thread.Join();
    search.stop.reset();
    search.running = 0;
}

void FSDisk::SearchByMonth(const SearchMonTime& range, FSHwnd* windows, void* user) {
    if (OnOwnWorker())
        return;
    std::lock_guard<std::mutex> hold(control_);
    if (closed_)
        return;
    const MonthJob job{range, windows, user};
    StartSearchLocked(month_, platform::Event::AutoReset,
                      [this, job](platform::Event& stop) { MonthThread(job, stop); });
}

void FSDisk::StopMonthSearch() {
    if (OnOwnWorker())
        return;
    std::lock_guard<std::mutex> hold(control_);
    StopSearchLocked(month_);
}

void FSDisk::SearchByDay(const RecTime& from,
                         const RecTime& to,
                         FSHwnd* windows,
                         FSSearchCallback callback,
                         void* user,
                         int group,
                         const int channels[4]) {
    if (group < 0 || group >= kGroupCount || !channels)
        return;
    if (OnOwnWorker())
        return;
    std::lock_guard<std::mutex> hold(control_);
    if (closed_)
        return;
    StopSearchLocked(day_);
    DayJob job;
    job.from = from;
    job.to = to;
    job.windows = windows;
    job.callback = callback;
    job.user = user;
    job.group = group;
    for (int s = 0; s < kSlotCount; s++)
        job.channels[static_cast<size_t>(s)] = channels[s];
    {
        std::lock_guard<std::mutex> tables(tables_);
        channelTable_[static_cast<size_t>(group)] = job.channels;
    }
    StartSearchLocked(day_, platform::Event::ManualReset,
                      [this, job](platform::Event& stop) { DayThread(job, stop); });
}

void FSDisk::StopDaySearch() {
    if (OnOwnWorker())
        return;
    std::lock_guard<std::mutex> hold(control_);
    StopSearchLocked(day_);
}

// ---- play -------------------------------------------------------------------------

std::shared_ptr<FSDisk::StreamJob> FSDisk::NewStreamJob(int group,
                                                        int slot,
                                                        const RecTime& from,
                                                        const RecTime& to,
                                                        uintptr_t user,
                                                        FSDataCallback data,
                                                        FSTimeCallback time) {
    auto job = std::make_shared<StreamJob>();
    job->group = group;
    job->slot = slot;
    job->from = from;
    job->to = to;
    job->user = user;
    job->data = data;
    job->time = time;
    std::lock_guard<std::mutex> tables(tables_);
    const auto g = static_cast<size_t>(group), s = static_cast<size_t>(slot);
    job->channel = channelTable_[g][s];
    for (const auto& entry : recordTable_[g][s])
        job->records.push_back(entry);
    return job;
}

void FSDisk::StartStreamLocked(StreamWorker& worker,
                               std::shared_ptr<StreamJob> job,
                               void (FSDisk::*body)(StreamJob&)) {
    worker.stop = std::make_unique<platform::Event>(platform::Event::AutoReset);
    job->stop = worker.stop.get();
    job->stopFlag = &worker.stopFlag;
    if (!worker.thread.Start(AsWorker(this, [this, job, body] { (this->*body)(*job); })))
        worker.stop.reset();
}

void FSDisk::StopStreamLocked(StreamWorker& worker) {
    worker.stopFlag = 1;
    if (worker.stop)
        worker.stop->Set();
    worker.thread.Join();
    worker.stop.reset();
    worker.stopFlag = 0;
    if (worker.stream >= 0)
        source_->CloseStream(worker.stream);
    worker.stream = -1;
}

void FSDisk::Play(int slot,
                  const RecTime& from,
                  const RecTime& to,
                  uintptr_t user,
                  FSDataCallback data,
                  FSTimeCallback time) {
    if (!ValidSlot(slot))
        return;
    if (OnOwnWorker())
        return;
    std::lock_guard<std::mutex> hold(control_);
    if (closed_ || !source_)
        return;
    Slot& s = slots_[static_cast<size_t>(slot)];
    // One play per slot: a play still running there ends first.
    if (s.play.thread.Joinable())
        StopPlayLocked(slot);

    StartStreamLocked(s.play, NewStreamJob(kGroupPlay, slot, from, to, user, data, time),
                      &FSDisk::PlayThread);
}

void FSDisk::StopPlay(int slot) {
    if (!ValidSlot(slot))
        return;
    if (OnOwnWorker())
        return;
    std::lock_guard<std::mutex> hold(control_);
    StopPlayLocked(slot);
}

void FSDisk::StopPlayLocked(int slot) {
    Slot& s = slots_[static_cast<size_t>(slot)];
    StopStreamLocked(s.play);
    // The slot as a new play finds it.
    s.deliver = 1;
    s.seekPending = 0;
    s.frames.Reset(true);
}

void FSDisk::SeekPlay(int slot, const RecTime& time) {
    if (!ValidSlot(slot))
        return;
    Slot& s = slots_[static_cast<size_t>(slot)];
    std::lock_guard<std::mutex> hold(s.seekLock);
    s.seekTime = time;
    // Delivery off before the request shows, so that the play thread's "on"
    // after the seek cannot be overtaken by this "off".
    s.deliver = 0;
    s.seekPending = 1;
}

void FSDisk::RequestData(int slot, int on) {
    if (!ValidSlot(slot))
        return;
    slots_[static_cast<size_t>(slot)].deliver = on;
}

// ---- export -----------------------------------------------------------------------

void FSDisk::Export(int channel,
                    const RecTime& from,
                    const RecTime& to,
                    uintptr_t user,
                    FSDataCallback data) {
    if (OnOwnWorker())
        return;
    std::lock_guard<std::mutex> hold(control_);
    if (closed_ || !source_)
        return;
    int slot = -1;
    {
        std::lock_guard<std::mutex> tables(tables_);
        const auto& table = channelTable_[kGroupExport];
        for (int i = 0; i < kSlotCount && slot < 0; i++)
            if (table[static_cast<size_t>(i)] == channel)
                slot = i;
    }
    if (slot < 0)
        return;
    std::shared_ptr<StreamJob> job = NewStreamJob(kGroupExport, slot, from, to, user, data, nullptr);
    Slot& s = slots_[static_cast<size_t>(slot)];
    if (s.exporter.thread.Joinable())
        StopExportLocked(slot);
    StartStreamLocked(s.exporter, job, &FSDisk::ExportThread);
}

void FSDisk::StopExport(int slot) {
    if (!ValidSlot(slot))
        return;
    if (OnOwnWorker())
        return;
    std::lock_guard<std::mutex> hold(control_);
    StopExportLocked(slot);
}

void FSDisk::StopExportLocked(int slot) {
    Slot& s = slots_[static_cast<size_t>(slot)];
    StopStreamLocked(s.exporter);
    s.exportActive = 1;
}

}  // namespace vkfs
