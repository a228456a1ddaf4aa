// vkfs/fs_disk.h
//
// One added disk (FSDisk): the reader that serves it (a RecordSource, chosen
// by the probe), its month and day search threads, and per slot 0..3 a play
// thread and an export thread, with the flags, tables and frame buffers they
// work on.
//
// Threads and locks:
//   control_  serialises the starts and stops (thread objects, stop events,
//             and the streams of finished threads). Held while a stop waits
//             for its thread. A start or stop made on one of the disk's own
//             workers (from inside a callback) is ignored: the worker would
//             wait for itself.
//   tables_   the record tables of the day search and the channel tables.
//             Jobs take copies of what they need when they start, so a later
//             search never changes a running job.
//   per slot  the seek time, under its own mutex; every other flag a worker
//             reads is atomic. No VKFS lock is held while a callback runs.
// Reader calls go through the reader library's own lock (reader_ops.h).
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/sync.h"
#include "vkfs/frame_splitter.h"
#include "vkfs/process_log.h"
#include "vkfs/record_source.h"
#include "vkfs/records.h"
#include "vkfs/vkfs_api.h"

namespace vkfs {

inline constexpr size_t kDevicePathSize = 80;

// Pauses of the worker threads, in milliseconds.
inline constexpr uint32_t kDeliverTurnMs = 3;        // after a turn of a delivering play or export
inline constexpr uint32_t kIdleTurnMs = 40;          // between turns of an idle one
inline constexpr uint32_t kHeldDeliveryMs = 10;      // steps of a splitter waiting for FSRequestData(1)
inline constexpr uint32_t kNextRecordRetryMs = 100;  // before a play asks again for its next record
inline constexpr int kNextRecordTries = 10;          // ... at most this often in a row, then it ends

inline bool ValidSlot(int slot) {
    return slot >= 0 && slot < kSlotCount;
}

class FSDisk {
  public:
    FSDisk(void* window, int channels, int diskNumber, const char* path, FSSearchCallback monthCallback);
    ~FSDisk();
    FSDisk(const FSDisk&) = delete;
    FSDisk& operator=(const FSDisk&) = delete;

    // Finds the reader that accepts the disk, in the order of kProbeOrder.
    // False (each failure logged) when none does.
    bool Probe();
    // Stops every job, frees the kept searches and closes the disk in its
    // reader. 1 when the reader closed cleanly, else 0. Later calls do nothing.
    int Close();

    void SearchByMonth(const SearchMonTime& range, FSHwnd* windows, void* user);
    void StopMonthSearch();
    void SearchByDay(const RecTime& from,
                     const RecTime& to,
                     FSHwnd* windows,
                     FSSearchCallback callback,
                     void* user,
                     int group,
                     const int channels[4]);
    void StopDaySearch();
    void Play(int slot,
              const RecTime& from,
              const RecTime& to,
              uintptr_t user,
              FSDataCallback data,
              FSTimeCallback time);
    void StopPlay(int slot);
    void SeekPlay(int slot, const RecTime& time);
    void RequestData(int slot, int on);
    void Export(int channel, const RecTime& from, const RecTime& to, uintptr_t user, FSDataCallback data);
    void StopExport(int slot);

    // True on the thread of one of this disk's jobs (inside a callback).
    bool OnOwnWorker() const;

    FSReaderKind Kind() const { return kind_; }
    const ProcessLog& Log() const { return log_; }
    // The search handle kept from the last day search of a group (-1: none).
    int KeptSearchHandle(int group) const;

  private:
    // A search thread and its stop.
    struct SearchWorker {
        platform::Thread thread;
        std::unique_ptr<platform::Event> stop;
        std::atomic<int> running{0};
    };
    // A slot's play or export thread, its stop, and the stream it reads.
    struct StreamWorker {
        platform::Thread thread;
        std::unique_ptr<platform::Event> stop;
        std::atomic<int> stopFlag{0};  // set by the stop before the event; the turns poll it
        int stream = -1;               // taken by the thread, released by the stop
    };
    struct Slot {
        std::atomic<int> deliver{1};
        std::atomic<int> seekPending{0};
        std::atomic<int> exportActive{1};
        std::mutex seekLock;
        RecTime seekTime{};
        FrameBuffer frames;
        StreamWorker play;
        StreamWorker exporter;
    };

    struct MonthJob {
        SearchMonTime range{};
        FSHwnd* windows = nullptr;
        void* user = nullptr;
    };
    struct DayJob {
        RecTime from{}, to{};
        FSHwnd* windows = nullptr;
        FSSearchCallback callback = nullptr;
        void* user = nullptr;
        int group = 0;
        std::array<int, kSlotCount> channels{};
    };
    // What a play or export thread works with, copied when it starts.
    struct StreamJob : StreamRequest {
        int slot = 0;
        uintptr_t user = 0;
        FSDataCallback data = nullptr;
        FSTimeCallback time = nullptr;
        platform::Event* stop = nullptr;       // set by the stop, after...
        std::atomic<int>* stopFlag = nullptr;  // ...this flag, which the turns poll
        bool stopSeen = false;                 // either, once seen (the event resets itself)
    };

    // ---- searches (search_threads.cpp) ----
    // One pass, reported to the callbacks, then a wait for `stop`.
    void MonthThread(const MonthJob& job, platform::Event& stop);
    void DayThread(const DayJob& job, platform::Event& stop);
    // Stops the search's thread when there is one, then runs `body` on a new
    // one; `body` ends by waiting for the stop event it is given.
    void StartSearchLocked(SearchWorker& search,
                           platform::Event::Kind stopKind,
                           std::function<void(platform::Event& stop)> body);
    void StopSearchLocked(SearchWorker& search);

    // ---- play and export (stream_threads.cpp) ----
    void PlayThread(StreamJob& job);
    void ExportThread(StreamJob& job);
    // The job a play or export of `slot` starts with, reading the slot's
    // channel and records of `group`.
    std::shared_ptr<StreamJob> NewStreamJob(int group,
                                            int slot,
                                            const RecTime& from,
                                            const RecTime& to,
                                            uintptr_t user,
                                            FSDataCallback data,
                                            FSTimeCallback time);
    void StartStreamLocked(StreamWorker& worker,
                           std::shared_ptr<StreamJob> job,
                           void (FSDisk::*body)(StreamJob&));
    // How a seek went.
    enum class Jump {
        kNoRecord,    // no record of the job's list holds the time
        kNotEntered,  // one does, but the stream could not be positioned in it
        kEntered,
    };
    // Seeks the stream into the record of the job's list holding `time`;
    // *index is its position in job.records when there is one.
    Jump JumpProcess(StreamJob& job, const RecTime& time, int stream, size_t* index);
    // Carries out a seek FSSeekPlay left pending on the job's slot, if any:
    // kEntered, with *position naming the record; kNotEntered (the time lies
    // after the record's last key frame), with *position naming the record,
    // whose rest is passed over; kNoRecord, a seek into a gap, which switches
    // delivery off and sends the end mark.
    std::optional<Jump> TakePendingSeek(StreamJob& job, int stream, PlayPosition* position);
    // Positions the play's stream at the position (the frames held go).
    int EnterPosition(StreamJob& job, int stream, const PlayPosition& position);
    // Hands the frames of the block just read into the slot's buffer to the
    // data callback, honouring flow control, seek and stop.
    void SplitFrames(StreamJob& job, size_t length, size_t skip);
    // The end mark: no data, length 0, or FS_EXPORT_FAILED for an export
    // that did not reach its record's end.
    void SendEnd(const StreamJob& job, int length = 0);
    void ReportRecord(const StreamJob& job, const FSRecordInfo& record);
    bool StopRequested(StreamJob& job);
    // Waits `ms`, or less when the job is stopped.
    void Pause(StreamJob& job, uint32_t ms);
    // After an end the play waits for its stop; a seek is answered by one end mark.
    void IdleAfterEnd(StreamJob& job);
    void IdleUntilStopped(StreamJob& job);
    void PauseAfterTurn(StreamJob& job, bool read);
    // Stops the worker's thread and releases its stream.
    void StopStreamLocked(StreamWorker& worker);
    void StopPlayLocked(int slot);
    void StopExportLocked(int slot);
    void StopAllLocked();

    ProcessLog log_;
    const int diskNumber_;
    char path_[kDevicePathSize] = {};
    const int channels_;
    std::unique_ptr<RecordSource> source_;
    FSReaderKind kind_ = FS_READER_VEKFS;
    const FSSearchCallback monthCallback_;
    void* const window_;

    std::mutex control_;
    bool closed_ = false;

    SearchWorker month_;
    SearchWorker day_;
    std::array<Slot, kSlotCount> slots_;

    mutable std::mutex tables_;
    std::array<std::array<int, kSlotCount>, kGroupCount> channelTable_{};
    std::array<std::array<std::map<int, FSRecordInfo>, kSlotCount>, kGroupCount> recordTable_;
};

}  // namespace vkfs
