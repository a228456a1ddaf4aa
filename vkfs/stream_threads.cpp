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
// An export reads one record, from its first key frame at the export's start
// to the record's end, and hands over raw blocks, then one call of length 0.
//
// Every way a job ends without its stop - no records, a reader failure, a seek
// into no record - sends one end mark (no data, length 0), so the caller never
// waits for data that cannot come. The job then waits for its stop.
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

void FSDisk::SendEnd(const StreamJob& job) {
    if (job.data)
        job.data(job.user, nullptr, 0);
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

int FSDisk::JumpProcess(StreamJob& job, const RecTime& time, int stream) {
    const bool play = job.group == kGroupPlay;
    // The frame buffer and the time callback belong to the slot's play: an
    // export seeking on the same slot leaves them alone.
    if (play)
        slots_[static_cast<size_t>(job.slot)].frames.Reset(false);
    const int index = FindRecordIndex(job.records, time, job.group);
    if (index < 0)
        return -1;
    const FSRecordInfo& record = job.records[static_cast<size_t>(index)].second;
    if (!source_->SeekTo(job, stream, time, record))
        return -1;
    if (play)
        ReportRecord(job, record);
    return index;
}

bool FSDisk::TakePendingSeek(StreamJob& job, int stream, PlayPosition* position) {
    Slot& s = slots_[static_cast<size_t>(job.slot)];
    if (!s.seekPending.exchange(0))
        return false;
    RecTime time;
    {
        std::lock_guard<std::mutex> hold(s.seekLock);
        time = s.seekTime;
    }
    const int index = JumpProcess(job, time, stream);
    if (index < 0) {
        s.deliver = 0;
        SendEnd(job);
        return false;
    }
    position->index = static_cast<size_t>(index);
    position->record = job.records[position->index].second;
    s.deliver = 1;
    return true;
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

    int stream = s.play.stream;
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
    while (!StopRequested(job)) {
        if (ended && !atEnd) {
            switch (source_->NextRecord(job, stream, &position)) {
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
            }
        }

        if (TakePendingSeek(job, stream, &position)) {
            ended = false;
            atEnd = false;
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
                case BlockRead::kNothing:
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
        SendEnd(job);
        IdleUntilStopped(job);
        return;
    }
    s.exporter.stream = stream;

    std::vector<uint8_t> block(kReadBlockSize);
    if (JumpProcess(job, job.from, stream) < 0) {
        SendEnd(job);
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
                Pause(job, kDeliverTurnMs);
                break;
            }
            case BlockRead::kRecordEnd:
                if (job.data)
                    job.data(job.user, block.data(), 0);
                s.exportActive = 0;
                break;
            case BlockRead::kFailed:
                source_->LogFailure(StreamFailure::kExportRead, read.code);
                SendEnd(job);
                s.exportActive = 0;
                break;
            case BlockRead::kNothing:
                Pause(job, kDeliverTurnMs);
                break;
        }
    }
}

}  // namespace vkfs
