// vkfs/stream_threads.cpp
//
// The play and export threads of a slot.
//
// A play walks the records the last play-group day search kept for its slot,
// from the first, reading 0x50000-byte blocks into the slot's frame buffer and
// handing each whole frame to the data callback. Each turn, in order: the stop;
// the first record (seek to its start); the end of a record (on to the next,
// or one end mark after the last); a pending seek; one block read while
// delivery is on. Flow control (FSRequestData 0) holds the splitter between
// frames until delivery resumes, a seek is asked for or the play is stopped.
// A turn that read is followed at once by the next; one that did not pauses,
// 3 ms while delivery is on and 40 ms while it is off. Pauses
// wait on the job's stop event, so a stop never waits for one to run out.
//
// An export reads one record, from its first key frame at the export's start
// to the record's end, and hands over raw blocks, then one call of length 0.
//
// Every way a job ends without its stop - no records, a reader failure, a seek
// into no record - sends one end mark (no data, length 0), so the caller never
// waits for data that cannot come. The job then waits for its stop.
#include <algorithm>
#include <vector>

#include "vkfs/fs_disk.h"

namespace vkfs {

namespace {

RecTime LaterOf(const RecTime& a, const RecTime& b) {
    return CompareRecTime(a, b) >= 0 ? a : b;
}

RecTime DayEnd(const RecTime& t) {
    return MakeRecTime(t.year, t.month, t.day, 23, 59, 59);
}

size_t SkipOf(int firstOffset, int length) {
    if (firstOffset <= 0) return 0;
    return static_cast<size_t>(std::min(firstOffset, length));
}

}  // namespace

bool FSDisk::StopRequested(StreamJob& job) {
    if (!job.stopSeen && job.stopFlag->load()) job.stopSeen = true;
    return job.stopSeen;
}

void FSDisk::Pause(StreamJob& job, uint32_t ms) {
    // On the stop event, so that a stop ends the pause at once.
    if (job.stop->Wait(ms)) job.stopSeen = true;
}

void FSDisk::SendEnd(const StreamJob& job) {
    if (job.data) job.data(job.user, nullptr, 0);
}

void FSDisk::ReportRecord(const StreamJob& job, const FSRecordInfo& record) {
    if (job.time) job.time(job.user, record.start, record.end);
}

void FSDisk::IdleAfterEnd(StreamJob& job) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    while (!StopRequested(job)) {
        if (s.seekPending.exchange(0)) {
            s.deliver = 0;
            SendEnd(job);
        }
        Pause(job, kIdleTurnMs);
    }
}

void FSDisk::PauseAfterTurn(StreamJob& job, bool read) {
    // A turn that read goes straight on to the next (which takes the next
    // block, or the next record after the end of one): the caller holds
    // delivery back with FSRequestData when it has enough.
    if (read) return;
    Pause(job, slots_[static_cast<size_t>(job.slot)].deliver ? kDeliverTurnMs : kIdleTurnMs);
}

void FSDisk::IdleUntilStopped(StreamJob& job) {
    while (!StopRequested(job)) Pause(job, kIdleTurnMs);
}

void FSDisk::SplitFrames(StreamJob& job, size_t length, size_t skip) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    s.frames.Commit(length, skip);
    while (true) {
        if (s.seekPending || StopRequested(job)) {
            s.frames.Reset(false);  // the seek or the stop starts afresh
            return;
        }
        if (!s.deliver) {
            Pause(job, kHeldDeliveryMs);
            continue;
        }
        uint8_t* frame = nullptr;
        size_t frameLength = 0;
        if (!s.frames.Next(&frame, &frameLength)) return;
        if (job.data) job.data(job.user, frame, static_cast<int>(frameLength));
    }
}

int FSDisk::JumpProcess(StreamJob& job, const RecTime& time, int readerSlotOrHandle) {
    const bool play = job.group == kGroupPlay;
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    // The frame buffer and the time callback belong to the slot's play: an
    // export seeking on the same slot leaves them alone.
    if (play) s.frames.Reset(false);
    const int index = FindRecordIndex(job.records, time, job.group);
    if (index < 0) return -1;
    const FSRecordInfo& record = job.records[static_cast<size_t>(index)].second;

    if (kind_ == FS_READER_DVRFS) {
        DvrfsLibrary& dvrfs = readers_.dvrfs;
        dvrfs.FindStop(readerSlotOrHandle);
        dvrfs_find_query query;
        query.kind = kDvrfsFindRange;
        ToSixInts(time, query.start);
        ToSixInts(play ? DayEnd(time) : job.to, query.end);
        dvrfs_find_result found;
        int rc = dvrfs.FindStart(readerSlotOrHandle, &query, &found, 0);
        if (!DvrfsFound(rc, kPlaceJumpFindKept)) {
            log_.Write("JumpProcess failed: start find failed(nRet=%d)---%d", rc, kPlaceJumpFind);
            return -1;
        }
        dvrfs_find_result target = FindResultFromRecord(record);
        if (!play && CompareRecTime(FromSixInts(found.start), time) > 0) target = found;
        // Into the record at the time asked for, not at the record's start.
        int at[6];
        ToSixInts(LaterOf(time, FromSixInts(target.start)), at);
        rc = dvrfs.TimeSeek(readerSlotOrHandle, at, 0, 1, &target);
        if (rc != 0) {
            log_.Write("JumpProcess failed: start find failed(nRet=%d)---%d", rc, kPlaceJumpSeek);
            return -1;
        }
    } else {
        vekfs::vekfs_time at = ToVekfsTime(time);
        vekfs::event_desc desc = DescriptorFromRecord(record, kind_);
        if (vekfs()->TimeSeek(readerSlotOrHandle, &at, 0, 1, &desc) != 0) return -1;
    }

    if (play) ReportRecord(job, record);
    return index;
}

// ---- play, format 1 and 2 ------------------------------------------------------

bool FSDisk::TakePendingSeek(StreamJob& job, int readerSlotOrHandle, size_t* current, FSRecordInfo* record) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    if (!s.seekPending.exchange(0)) return false;
    RecTime time;
    {
        std::lock_guard<std::mutex> hold(s.seekLock);
        time = s.seekTime;
    }
    const int index = JumpProcess(job, time, readerSlotOrHandle);
    if (index < 0) {
        s.deliver = 0;
        SendEnd(job);
        return false;
    }
    *current = static_cast<size_t>(index);
    *record = job.records[*current].second;
    s.deliver = 1;
    return true;
}

void FSDisk::PlayThreadVekfs(StreamJob& job) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    VekfsLibrary* reader = vekfs();
    const bool v2 = kind_ == FS_READER_VEKFS2;

    if (job.records.empty()) {
        s.deliver = 0;
        SendEnd(job);
        IdleAfterEnd(job);
        return;
    }
    const int readerSlot = reader->ReadStart(job.channel);
    if (readerSlot < 0) {
        if (v2)
            log_.Write("vek play failed: vekfs_read_start---%d", kPlacePlayReadStartVekfs2);
        else
            log_.Write("vek play failed: vekfs_read_start---%d", kPlacePlayReadStartVekfs);
        s.deliver = 0;
        SendEnd(job);
        IdleAfterEnd(job);
        return;
    }
    s.playReaderSlot = readerSlot;

    const auto seek = [&](const RecTime& time, const FSRecordInfo& record) {
        vekfs::vekfs_time at = ToVekfsTime(time);
        vekfs::event_desc desc = DescriptorFromRecord(record, kind_);
        s.frames.Reset(false);
        return reader->TimeSeek(readerSlot, &at, 0, 1, &desc);
    };

    size_t current = 0;
    FSRecordInfo record = job.records[0].second;
    bool first = true;
    bool ended = false;  // the current record has been read to its end
    bool atEnd = false;  // past the last record: the end mark has gone out
    while (!StopRequested(job)) {
        if (first) {
            ReportRecord(job, record);
            const int rc = seek(record.start, record);
            if (rc != 0) {
                log_.Write("vek play failed: dvrFs seek failed, nRet=%d---%d", rc,
                           v2 ? kPlacePlaySeekVekfs2 : kPlacePlaySeekVekfs);
                s.deliver = 0;
                SendEnd(job);
                IdleAfterEnd(job);
                return;
            }
            first = false;
            ended = false;
        }

        if (ended && !atEnd) {
            if (current + 1 >= job.records.size()) {
                s.deliver = 0;
                SendEnd(job);
                atEnd = true;
            } else {
                const FSRecordInfo previous = record;
                record = job.records[++current].second;
                // Records that overlap are entered one second after the
                // previous one's end; one that ends before then is passed over,
                // as is one the reader cannot enter (it stays "ended").
                const RecTime at = CompareRecTime(previous.end, record.start) < 0
                                       ? record.start
                                       : AddOneSecond(previous.end);
                if (CompareRecTime(at, record.end) <= 0) {
                    ReportRecord(job, record);
                    if (seek(at, record) == 0) ended = false;
                }
            }
        }

        if (TakePendingSeek(job, readerSlot, &current, &record)) {
            ended = false;
            atEnd = false;
        }

        bool read = false;
        if (!s.seekPending && s.deliver && !ended) {
            int firstOffset = 0;
            const int n = reader->Read(readerSlot, s.frames.WriteArea(), static_cast<int>(kReadBlockSize),
                                       &firstOffset);
            read = true;
            if (n == 0) {
                ended = true;
            } else if (n < 0) {
                // Reading on would fail the same way every turn: the record is
                // over for this play.
                if (v2)
                    log_.Write("vek2 play failed: read data failed(nRet=%d)---%d", n, kPlacePlayReadVekfs2);
                else
                    log_.Write("vek play failed: read data failed(nRet=%d)---%d", n, kPlacePlayReadVekfs);
                ended = true;
            } else {
                SplitFrames(job, static_cast<size_t>(n), SkipOf(firstOffset, n));
            }
        }
        PauseAfterTurn(job, read);
    }
}

// ---- play, dvrfs -------------------------------------------------------------------

void FSDisk::PlayThreadDvrfs(StreamJob& job) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    DvrfsLibrary& dvrfs = readers_.dvrfs;
    const int handle = s.playDvrfsHandle;

    dvrfs_find_query query;
    query.kind = kDvrfsFindRange;
    ToSixInts(job.from, query.start);
    ToSixInts(DayEnd(job.from), query.end);
    dvrfs_find_result found;
    int rc = dvrfs.FindStart(handle, &query, &found, 0);
    if (!DvrfsFound(rc, kPlacePlayFindKept)) {
        dvrfs.FindStop(handle);
        dvrfs.Close(handle, 0);
        s.playDvrfsHandle = -1;
        s.deliver = 0;
        SendEnd(job);
        IdleAfterEnd(job);
        return;
    }

    const auto seek = [&](const RecTime& time, const dvrfs_find_result& target) {
        int at[6];
        ToSixInts(time, at);
        s.frames.Reset(false);
        return dvrfs.TimeSeek(handle, at, 0, 1, &target);
    };

    FSRecordInfo record = RecordFromFindResult(found);
    size_t current = static_cast<size_t>(std::max(0, FindRecordIndex(job.records, record.start, kGroupPlay)));
    ReportRecord(job, record);
    if (seek(LaterOf(job.from, record.start), found) != 0) {
        s.deliver = 0;
        SendEnd(job);
        IdleAfterEnd(job);
        return;
    }

    bool ended = false;
    bool atEnd = false;
    while (!StopRequested(job)) {
        if (ended && !atEnd) {
            rc = dvrfs.FindNext(handle, &found);
            // A failed fetch ends the play too: none of dvrfs's failures goes
            // away by asking again, and the caller waits for the end.
            if (!DvrfsFound(rc, kPlacePlayNextKept) || current + 1 >= job.records.size()) {
                s.deliver = 0;
                SendEnd(job);
                atEnd = true;
            } else {
                ++current;
                record = RecordFromFindResult(found);
                ReportRecord(job, record);
                if (seek(record.start, found) == 0) ended = false;
            }
        }

        if (TakePendingSeek(job, handle, &current, &record)) {
            ended = false;
            atEnd = false;
        }

        bool read = false;
        if (!s.seekPending && s.deliver && !ended) {
            int unused = 0;
            const int n = dvrfs.Read(handle, s.frames.WriteArea(), static_cast<int>(kReadBlockSize), &unused);
            read = true;
            if (n < 0)
                ended = true;  // -7 the record's end; any other failure ends the record too
            else if (n > 0)
                SplitFrames(job, static_cast<size_t>(n), 0);
        }
        PauseAfterTurn(job, read);
    }
}

// ---- export ------------------------------------------------------------------------

void FSDisk::ExportThreadVekfs(StreamJob& job) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    VekfsLibrary* reader = vekfs();
    const bool v2 = kind_ == FS_READER_VEKFS2;

    const int readerSlot = reader->ReadStart(job.channel);
    if (readerSlot < 0) {
        if (v2)
            log_.Write("export failed: vekfs2_read_start---%d", kPlaceExportReadStartVekfs2);
        else
            log_.Write("export failed: vekfs_read_start---%d", kPlaceExportReadStartVekfs);
        SendEnd(job);
        IdleUntilStopped(job);
        return;
    }
    s.exportReaderSlot = readerSlot;

    std::vector<uint8_t> block(kReadBlockSize);
    if (JumpProcess(job, job.from, readerSlot) < 0) {
        SendEnd(job);
        s.exportActive = 0;
    }
    bool first = true;
    while (!StopRequested(job)) {
        if (!s.exportActive) {
            Pause(job, kIdleTurnMs);
            continue;
        }
        int firstOffset = 0;
        const int n = reader->Read(readerSlot, block.data(), static_cast<int>(kReadBlockSize), &firstOffset);
        if (n > 0) {
            // The first block starts at the 1 KB boundary before the key frame:
            // what lies in front of it is not part of the record.
            const size_t skip = first ? SkipOf(firstOffset, n) : 0;
            first = false;
            if (static_cast<size_t>(n) > skip && job.data)
                job.data(job.user, block.data() + skip, static_cast<int>(static_cast<size_t>(n) - skip));
            Pause(job, kDeliverTurnMs);
        } else if (n == 0) {
            if (job.data) job.data(job.user, block.data(), 0);
            s.exportActive = 0;
        } else {
            log_.Write("export failed: read data failed(nRet=%d)---%d", n,
                       v2 ? kPlaceExportReadVekfs2 : kPlaceExportReadVekfs);
            SendEnd(job);
            s.exportActive = 0;
        }
    }
}

void FSDisk::ExportThreadDvrfs(StreamJob& job) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    DvrfsLibrary& dvrfs = readers_.dvrfs;

    const int handle = dvrfs.Open(job.channel, 0);
    if (handle < 0) {
        SendEnd(job);
        IdleUntilStopped(job);
        return;
    }
    s.exportDvrfsHandle = handle;

    std::vector<uint8_t> block(kReadBlockSize);
    if (JumpProcess(job, job.from, handle) < 0) {
        SendEnd(job);
        s.exportActive = 0;
    }
    while (!StopRequested(job)) {
        if (!s.exportActive) {
            Pause(job, kIdleTurnMs);
            continue;
        }
        int unused = 0;
        const int n = dvrfs.Read(handle, block.data(), static_cast<int>(kReadBlockSize), &unused);
        if (n > 0) {
            if (job.data) job.data(job.user, block.data(), n);
            Pause(job, kDeliverTurnMs);
        } else if (n == kDvrfsEndOfRecord) {
            if (job.data) job.data(job.user, block.data(), 0);
            s.exportActive = 0;
        } else if (n < 0) {
            log_.Write("dvrfs export failed: read data failed(nRet=%d)---%d", n, kPlaceDvrfsExportRead);
            SendEnd(job);
            s.exportActive = 0;
        } else {
            Pause(job, kDeliverTurnMs);
        }
    }
}

}  // namespace vkfs
