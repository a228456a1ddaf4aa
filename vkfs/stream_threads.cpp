// vkfs/stream_threads.cpp
//
// The play and export threads of a slot, for every reader: what differs
// between the readers is the disk's RecordSource.
//
// A play enters its first record (which one, and where, its source says), then
// walks on record by record, reading 0x50000-byte blocks into the slot's frame
// buffer and handing each whole frame to the data callback. Each turn, in
// order: the stop; the end of a record (on to the next, or one end mark after
// the last); a pending seek; one block read while delivery is on. Flow control
// (FSRequestData 0) holds the splitter between frames until delivery resumes,
// a seek is asked for or the play is stopped. A turn that read is followed at
// once by the next; one that did not pauses, 3 ms while delivery is on and
// 40 ms while it is off. Pauses wait on the job's stop event, so a stop never
// waits for one to run out.
//
// A seek to a time after the last key frame of its record goes on with the
// record that follows. A next record the reader cannot hand over now is asked
// for again after 100 ms, up to ten times in a row; then the play ends.
//
// An export reads one record, from its first key frame at the export's start
// to the record's end, and hands over raw blocks one right after the other,
// then one call of length 0.
//
// Every way a job ends without its stop - no records, no stream to read
// through, a reader failure, a seek into no record - sends one end mark (no
// data, length 0), so the caller never waits for data that cannot come. The
// job then waits for its stop. An export that does not reach its record's
// end marks it with the length FS_EXPORT_FAILED instead, so that a file cut
// short is not taken for the whole record.
#include <vector>

#include "vkfs/fs_disk.h"

namespace vkfs {

bool FSDisk::StopRequested(StreamJob& job) {
    if (!job.stopSeen && job.stopFlag->load())
        job.stopSeen = true;
    return job.stopSeen;
}

void FSDisk::Pause(StreamJob& job, uint32_t ms) {
    // On the stop event, so that a stop ends the pause at once.
    if (job.stop->Wait(ms))
        job.stopSeen = true;
}

void FSDisk::SendEnd(const StreamJob& job, int length) {
    if (job.data)
        job.data(job.user, nullptr, length);
}

void FSDisk::ReportRecord(const StreamJob& job, const FSRecordInfo& record) {
    if (job.time)
        job.time(job.user, record.start, record.end);
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
    if (read)
        return;
    Pause(job, slots_[static_cast<size_t>(job.slot)].deliver ? kDeliverTurnMs : kIdleTurnMs);
}

void FSDisk::IdleUntilStopped(StreamJob& job) {
    while (!StopRequested(job))
        Pause(job, kIdleTurnMs);
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
        if (!s.frames.Next(&frame, &frameLength))
            return;
        if (job.data)
            job.data(job.user, frame, static_cast<int>(frameLength));
    }
}

FSDisk::Jump FSDisk::JumpProcess(StreamJob& job, const RecTime& time, int stream, size_t* index) {
    const bool play = job.group == kGroupPlay;
    // The frame buffer and the time callback belong to the slot's play: an
    // export seeking on the same slot leaves them alone.
    if (play)
        slots_[static_cast<size_t>(job.slot)].frames.Reset(false);
    const int found = FindRecordIndex(job.records, time, job.group);
    if (found < 0)
        return Jump::kNoRecord;
    *index = static_cast<size_t>(found);
    const FSRecordInfo& record = job.records[*index].second;
    if (!source_->SeekTo(job, stream, time, record))
        return Jump::kNotEntered;
    if (play)
        ReportRecord(job, record);
    return Jump::kEntered;
}

std::optional<FSDisk::Jump> FSDisk::TakePendingSeek(StreamJob& job, int stream, PlayPosition* position) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    if (!s.seekPending.exchange(0))
        return std::nullopt;
    RecTime time;
    {
        std::lock_guard<std::mutex> hold(s.seekLock);
        time = s.seekTime;
    }
    size_t index = 0;
    const Jump jump = JumpProcess(job, time, stream, &index);
    if (jump == Jump::kNoRecord) {
        s.deliver = 0;
        SendEnd(job);
        return jump;
    }
    position->index = index;
    position->record = job.records[index].second;
    s.deliver = 1;
    return jump;
}

int FSDisk::EnterPosition(StreamJob& job, int stream, const PlayPosition& position) {
    slots_[static_cast<size_t>(job.slot)].frames.Reset(false);
    return source_->Enter(stream, position.at, position.record);
}

// ---- play --------------------------------------------------------------------------

void FSDisk::PlayThread(StreamJob& job) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    const auto end = [&] {
        s.deliver = 0;
        SendEnd(job);
        IdleAfterEnd(job);
    };

    int stream = -1;
    PlayPosition position;
    const bool begun = source_->BeginPlay(job, &stream, &position);
    s.play.stream = stream;
    if (!begun)
        return end();
    ReportRecord(job, position.record);
    if (const int rc = EnterPosition(job, stream, position); rc != 0) {
        source_->LogFailure(StreamFailure::kPlayFirstSeek, rc);
        return end();
    }

    bool ended = false;  // the current record has been read to its end
    bool atEnd = false;  // past the last record: the end mark has gone out
    int retries = 0;     // failed asks for the next record, in a row
    while (!StopRequested(job)) {
        if (ended && !atEnd) {
            NextStep next = source_->NextRecord(job, stream, &position);
            if (next == NextStep::kRetry && ++retries >= kNextRecordTries)
                next = NextStep::kEnd;
            if (next != NextStep::kRetry)
                retries = 0;
            switch (next) {
                case NextStep::kEnd:
                    s.deliver = 0;
                    SendEnd(job);
                    atEnd = true;
                    break;
                case NextStep::kEnter:
                    // A record the reader cannot enter stays "ended": the next
                    // turn goes on to the one after it.
                    ReportRecord(job, position.record);
                    if (EnterPosition(job, stream, position) == 0)
                        ended = false;
                    break;
                case NextStep::kPassOver:
                    break;
                case NextStep::kRetry:
                    Pause(job, kNextRecordRetryMs);
                    break;
            }
        }

        if (const std::optional<Jump> sought = TakePendingSeek(job, stream, &position)) {
            if (*sought != Jump::kNoRecord) {
                // Into the record; or, sought after its last key frame, on
                // with the record that follows it.
                ended = *sought == Jump::kNotEntered;
                atEnd = false;
                retries = 0;
            }
        }

        bool read = false;
        if (!s.seekPending && s.deliver && !ended) {
            const BlockRead block = source_->Read(stream, s.frames.WriteArea(), kReadBlockSize);
            read = true;
            switch (block.what) {
                case BlockRead::kData:
                    SplitFrames(job, block.length, block.skip);
                    break;
                case BlockRead::kRecordEnd:
                    ended = true;
                    break;
                case BlockRead::kFailed:
                    // Reading on would fail the same way every turn: the
                    // record is over for this play.
                    source_->LogFailure(StreamFailure::kPlayRead, block.code);
                    ended = true;
                    break;
            }
        }
        PauseAfterTurn(job, read);
    }
}

// ---- export ------------------------------------------------------------------------

void FSDisk::ExportThread(StreamJob& job) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    const int stream = source_->OpenStream(job.channel);
    if (stream < 0) {
        source_->LogFailure(StreamFailure::kExportOpen, stream);
        SendEnd(job, FS_EXPORT_FAILED);
        IdleUntilStopped(job);
        return;
    }
    s.exporter.stream = stream;

    std::vector<uint8_t> block(kReadBlockSize);
    size_t index = 0;
    if (JumpProcess(job, job.from, stream, &index) != Jump::kEntered) {
        SendEnd(job, FS_EXPORT_FAILED);
        s.exportActive = 0;
    }
    bool first = true;
    while (!StopRequested(job)) {
        if (!s.exportActive) {
            Pause(job, kIdleTurnMs);
            continue;
        }
        const BlockRead read = source_->Read(stream, block.data(), kReadBlockSize);
        switch (read.what) {
            case BlockRead::kData: {
                // The first block starts at the 1 KB boundary before the key
                // frame: what lies in front of it is not part of the record.
                const size_t skip = first ? read.skip : 0;
                first = false;
                if (read.length > skip && job.data)
                    job.data(job.user, block.data() + skip, static_cast<int>(read.length - skip));
                // Straight on to the next block: the caller's writer paces
                // the export, as a play's decoder paces the play.
                break;
            }
            case BlockRead::kRecordEnd:
                if (job.data)
                    job.data(job.user, block.data(), 0);
                s.exportActive = 0;
                break;
            case BlockRead::kFailed:
                source_->LogFailure(StreamFailure::kExportRead, read.code);
                SendEnd(job, FS_EXPORT_FAILED);
                s.exportActive = 0;
                break;
        }
    }
}

}  // namespace vkfs
