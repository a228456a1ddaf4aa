// vkfs/record_source.h
//
// The reader that serves a disk, as the disk's jobs see it. Two readers stand
// behind it: the format 1 and 2 readers (vekfs_source.cpp: event lists of a
// kept search, reader slots) and dvrfs (dvrfs_source.cpp: finds on channel
// handles). The jobs - month search, day search, play, export - are written
// once against this interface (search_threads.cpp, stream_threads.cpp).
//
// A play or export reads through a stream of its own: a reader slot, or a
// dvrfs channel handle, -1 for none. The job records it in its slot as soon as
// it has one; the job's stop releases it with CloseStream.
//
// A source logs in its reader's words: its own failures, and the stream
// failures a job reports to it (LogFailure). No source calls back into the
// caller, so no lock of theirs is held across a callback. Every member may be
// called from several of the disk's workers at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "vkfs/process_log.h"
#include "vkfs/records.h"
#include "vkfs/vkfs_api.h"

namespace vkfs {

inline constexpr int kSlotCount = 4;
inline constexpr int kGroupPlay = 0;
inline constexpr int kGroupExport = 1;
inline constexpr int kGroupCount = 2;

// What a play or export reads, copied from the disk's tables when it starts.
struct StreamRequest {
    int group = kGroupPlay;
    int channel = -1;
    RecTime from{}, to{};
    RecordList records;  // the slot's records from the group's last day search
};

// Where a play stands: a record of the request's list and the time to enter it at.
struct PlayPosition {
    size_t index = 0;
    FSRecordInfo record{};
    RecTime at{};
};

// What the play does when a record has been read to its end.
enum class NextStep {
    kEnd,       // no record follows: the end mark goes out
    kEnter,     // enter the position's record at its time
    kPassOver,  // the position's record is passed over; it counts as ended
    kRetry,     // the next record could not be had now: ask again after a pause
};

// One block read from a stream.
struct BlockRead {
    enum What { kData, kRecordEnd, kFailed } what = kRecordEnd;
    size_t length = 0;  // kData: bytes read
    size_t skip = 0;    // kData: bytes in front of the first frame after a seek
    int code = 0;       // kFailed: the reader's result
};

// A reader's read result `n` as a BlockRead: above 0 bytes read (the first
// `skip` of them in front of the first frame); 0 or `endOfRecord` the record's
// end (a read that hands back nothing has nothing more to give); any other
// negative a failure.
BlockRead BlockReadOf(int n, int endOfRecord, size_t skip = 0);

// Stream failures that a job reports, and the source logs in its own words
// (or not at all).
enum class StreamFailure {
    kPlayFirstSeek,  // entering the first record
    kPlayRead,
    kExportOpen,
    kExportRead,
};

class RecordSource {
  public:
    virtual ~RecordSource() = default;

    virtual FSReaderKind Kind() const = 0;

    // ---- searches ----

    // Calls `found` for every month of the range the reader reports (with the
    // channel it reports it for), in the reader's order.
    using MonthFound = std::function<void(int channel, int year, int month, FSMonthResult& result)>;
    virtual void SearchMonths(const SearchMonTime& range, const MonthFound& found) = 0;

    // Lists the records from..to of the channel of each slot (-1: none) into
    // `found`, slot by slot, each channel's in start order with its index (0,
    // 1, ...). A search the reader refuses is logged and lists nothing.
    using RecordFound = std::function<void(int slot, int index, FSRecordInfo& record)>;
    virtual void SearchDay(int group,
                           const RecTime& from,
                           const RecTime& to,
                           const std::array<int, kSlotCount>& channels,
                           const RecordFound& found) = 0;
    // The search handle the last day search of `group` keeps (-1: none).
    virtual int KeptSearch(int group) const = 0;

    // ---- streams ----

    // Opens a stream on `channel`: its id, or a negative result of the reader.
    virtual int OpenStream(int channel) = 0;
    virtual void CloseStream(int stream) = 0;
    // The record a play starts with, on the play's own thread. *stream is the
    // play's stream, opened here (-1 when it could not be, or had to be given
    // up). False: the play has nothing to play.
    virtual bool BeginPlay(const StreamRequest& play, int* stream, PlayPosition* first) = 0;
    // The record that follows the one at *position.
    virtual NextStep NextRecord(const StreamRequest& play, int stream, PlayPosition* position) = 0;
    // Positions the stream in `record` at the time `at`: 0 or the reader's result.
    virtual int Enter(int stream, const RecTime& at, const FSRecordInfo& record) = 0;
    // Positions the stream at `time`, which lies in `record` (the request's
    // record found for it): false when it cannot (logged).
    virtual bool SeekTo(const StreamRequest& request,
                        int stream,
                        const RecTime& time,
                        const FSRecordInfo& record) = 0;
    virtual BlockRead Read(int stream, uint8_t* into, size_t length) = 0;
    virtual void LogFailure(StreamFailure what, int code) = 0;

    // ---- the disk ----

    // Frees the kept searches, removes the disk from its reader and ends the
    // reader: 1 when the reader ended cleanly, else 0.
    virtual int Close() = 0;
};

// What FSAddDisk was given, for the probe.
struct DiskArgs {
    int channels = 0;
    int diskNumber = 0;
    const char* path = "";
};

// One reader's answer to a disk: the source that serves it; or none, and
// whether the probe goes on to the next reader.
struct ProbeOutcome {
    std::unique_ptr<RecordSource> source;
    bool tryNext = false;
};
using SourceOpener = ProbeOutcome (*)(const DiskArgs& disk, ProcessLog& log);

struct ProbeEntry {
    const char* name;
    SourceOpener open;
};

ProbeOutcome OpenVekfsSource(const DiskArgs& disk, ProcessLog& log);
ProbeOutcome OpenVekfs2Source(const DiskArgs& disk, ProcessLog& log);
ProbeOutcome OpenDvrfsSource(const DiskArgs& disk, ProcessLog& log);

// The readers in the order a disk is offered to them; the first that accepts
// it serves it.
inline constexpr std::array<ProbeEntry, 3> kProbeOrder{{
    {"vekfs_api", &OpenVekfsSource},
    {"vekfs2_api", &OpenVekfs2Source},
    {"dvrfs", &OpenDvrfsSource},
}};

// The source of the first reader in kProbeOrder that accepts the disk; null
// (each failure logged) when none does.
std::unique_ptr<RecordSource> ProbeReaders(const DiskArgs& disk, ProcessLog& log);

}  // namespace vkfs
