// vkfs/dvrfs_source.cpp
//
// Disks of the third format, through the dvrfs reader inside VKFS. Every
// search runs on a channel handle of its own: a month search asks each
// channel for each month's summary, a day search walks each slot's channel
// with a range find. A play or export reads through a channel handle too: a
// play finds its records from its start time on and walks that find, an
// export finds the one record it exports.
#include <algorithm>
#include <string>

#include "vkfs/month_range.h"
#include "vkfs/reader_ops.h"
#include "vkfs/record_source.h"

namespace vkfs {

namespace {

// The reader probe's second dvrfs argument, as the library has always passed it.
constexpr int kDvrfsSecondArgument = 8;

RecTime DayEnd(const RecTime& t) {
    return MakeRecTime(t.year, t.month, t.day, 23, 59, 59);
}

RecTime LaterOf(const RecTime& a, const RecTime& b) {
    return CompareRecTime(a, b) >= 0 ? a : b;
}

dvrfs_find_query Query(DvrfsFindKind kind, const RecTime& from, const RecTime& to) {
    dvrfs_find_query query;
    query.kind = kind;
    ToSixInts(from, query.start);
    ToSixInts(to, query.end);
    return query;
}

class DvrfsSource final : public RecordSource {
  public:
    DvrfsSource(DvrfsLibrary& reader, const DiskArgs& disk, int diskId, ProcessLog& log)
        : reader_(reader), channels_(disk.channels), path_(disk.path), diskId_(diskId), log_(log) {}

    FSReaderKind Kind() const override { return FS_READER_DVRFS; }

    void SearchMonths(const SearchMonTime& range, const MonthFound& found) override {
        for (int channel = 0; channel < channels_; channel++) {
            const int handle = reader_.Open(channel, 0);
            if (handle < 0) {
                log_.Write("dvrfs open channel failed---%d", kPlaceDvrfsOpenMonth);
                continue;
            }
            ForEachMonth(range, [&](int year, int month) {
                dvrfs_find_query query =
                    Query(kDvrfsFindMonth, MonthStart(year, month), MonthEnd(year, month));
                dvrfs_month_result summary;
                const int rc = reader_.FindStart(handle, &query, &summary, 0);
                reader_.FindStop(handle);
                if (!Found(rc, kPlaceDvrfsMonthKept))
                    return;
                FSMonthResult result = MonthFromDvrfs(summary);
                found(channel, year, month, result);
            });
            reader_.Close(handle, 0);
        }
    }

    void SearchDay(int,
                   const RecTime& from,
                   const RecTime& to,
                   const std::array<int, kSlotCount>& channels,
                   const RecordFound& found) override {
        for (int slot = 0; slot < kSlotCount; slot++) {
            const int channel = channels[static_cast<size_t>(slot)];
            if (channel == -1)
                continue;
            const int handle = reader_.Open(channel, 0);
            if (handle < 0) {
                log_.Write("dvrfs open channel failed---%d", kPlaceDvrfsOpenDay);
                continue;
            }
            dvrfs_find_query query = Query(kDvrfsFindRange, from, to);
            dvrfs_find_result result;
            int rc = reader_.FindStart(handle, &query, &result, 0);
            for (int count = 0; Found(rc, count == 0 ? kPlaceDvrfsDayKept : kPlaceDvrfsFindNext); count++) {
                FSRecordInfo record = RecordFromFindResult(result);
                found(slot, count, record);
                rc = reader_.FindNext(handle, &result);
                // No more results is the find's natural end, not an error.
                if (rc != kDvrfsOk && rc != kDvrfsIndexChanged && rc != kDvrfsNoMore)
                    log_.Write("dvrfs_find_next error(ret = %d)---%d", rc, kPlaceDvrfsFindNext);
            }
            reader_.FindStop(handle);
            reader_.Close(handle, 0);
        }
    }

    int KeptSearch(int) const override { return -1; }

    int OpenStream(int channel) override { return reader_.Open(channel, 0); }

    void CloseStream(int stream) override {
        reader_.FindStop(stream);
        reader_.Close(stream, 0);
    }

    // A play reads through a handle on its channel and starts with the first
    // record a find from its start to the end of that day finds, at the start
    // time when that lies inside the record.
    bool BeginPlay(const StreamRequest& play, int* stream, PlayPosition* first) override {
        *stream = OpenStream(play.channel);
        if (*stream < 0) {
            *stream = -1;
            return false;
        }
        dvrfs_find_query query = Query(kDvrfsFindRange, play.from, DayEnd(play.from));
        dvrfs_find_result result;
        if (!Found(reader_.FindStart(*stream, &query, &result, 0), kPlacePlayFindKept)) {
            CloseStream(*stream);
            *stream = -1;
            return false;
        }
        first->record = RecordFromFindResult(result);
        first->index =
            static_cast<size_t>(std::max(0, FindRecordIndex(play.records, first->record.start, kGroupPlay)));
        first->at = LaterOf(play.from, first->record.start);
        return true;
    }

    // The next result of the play's find, while the slot's records of the day
    // search go on. A fetch that fails is asked again; no more results is the end.
    NextStep NextRecord(const StreamRequest& play, int stream, PlayPosition* position) override {
        dvrfs_find_result result;
        const int rc = reader_.FindNext(stream, &result);
        if (position->index + 1 >= play.records.size())
            return NextStep::kEnd;
        if (!Found(rc, kPlacePlayNextKept))
            return rc == kDvrfsNoMore ? NextStep::kEnd : NextStep::kRetry;
        ++position->index;
        position->record = RecordFromFindResult(result);
        position->at = position->record.start;
        return NextStep::kEnter;
    }

    int Enter(int stream, const RecTime& at, const FSRecordInfo& record) override {
        int time[6];
        ToSixInts(at, time);
        const dvrfs_find_result target = FindResultFromRecord(record);
        return reader_.TimeSeek(stream, time, 0, 1, &target);
    }

    // A new find from the time (to the end of its day for a play, to the
    // export's end for an export) before the seek; an export takes the found
    // record when it starts later than the time.
    bool SeekTo(const StreamRequest& request,
                int stream,
                const RecTime& time,
                const FSRecordInfo& record) override {
        const bool play = request.group == kGroupPlay;
        reader_.FindStop(stream);
        dvrfs_find_query query = Query(kDvrfsFindRange, time, play ? DayEnd(time) : request.to);
        dvrfs_find_result result;
        int rc = reader_.FindStart(stream, &query, &result, 0);
        if (!Found(rc, kPlaceJumpFindKept)) {
            log_.Write("JumpProcess failed: start find failed(nRet=%d)---%d", rc, kPlaceJumpFind);
            return false;
        }
        FSRecordInfo target = record;
        if (!play && CompareRecTime(FromSixInts(result.start), time) > 0)
            target = RecordFromFindResult(result);
        // Into the record at the time asked for, not at the record's start.
        rc = Enter(stream, LaterOf(time, target.start), target);
        if (rc != 0) {
            log_.Write("JumpProcess failed: start find failed(nRet=%d)---%d", rc, kPlaceJumpSeek);
            return false;
        }
        return true;
    }

    BlockRead Read(int stream, uint8_t* into, size_t length) override {
        int unused = 0;
        return BlockReadOf(reader_.Read(stream, into, static_cast<int>(length), &unused), kDvrfsEndOfRecord);
    }

    // Only an export's read failure is logged.
    void LogFailure(StreamFailure what, int code) override {
        if (what == StreamFailure::kExportRead)
            log_.Write("dvrfs export failed: read data failed(nRet=%d)---%d", code, kPlaceDvrfsExportRead);
    }

    int Close() override {
        reader_.RemoveDisk(path_.c_str(), 0, diskId_);
        return reader_.Exit(0) == 0 ? 1 : 0;
    }

  private:
    // True when a find handed back a result: 0, or -23 (the index changed
    // under the find, the result is still valid), which is logged with `place`.
    bool Found(int rc, int place) {
        if (rc == kDvrfsOk)
            return true;
        if (rc != kDvrfsIndexChanged)
            return false;
        log_.Write("dvrfs find result kept, index changed(ret = %d)---%d", rc, place);
        return true;
    }

    DvrfsLibrary& reader_;
    const int channels_;
    const std::string path_;
    const int diskId_;
    ProcessLog& log_;
};

}  // namespace

ProbeOutcome OpenDvrfsSource(const DiskArgs& given, ProcessLog& log) {
    DvrfsLibrary& reader = Readers().dvrfs;
    ProbeOutcome outcome;
    // The program asks for 128 channels, more than a dvrfs disk holds and
    // more than the reader starts with: it is given the channels such a disk can have.
    DiskArgs disk = given;
    disk.channels = std::min(disk.channels, kDvrfsMaxChannels);
    if (reader.Init(disk.channels, kDvrfsSecondArgument, disk.diskNumber) != 0) {
        log.Write("dvrfs init failed!---%d", kPlaceDvrfsInit);
        return outcome;
    }
    const int id = reader.AddDisk(disk.path);
    if (id < 0) {
        reader.Exit(0);
        log.Write("dvrfs add disk failed!---%d", kPlaceDvrfsAddDisk);
        outcome.tryNext = true;
        return outcome;
    }
    outcome.source = std::make_unique<DvrfsSource>(reader, disk, id, log);
    return outcome;
}

}  // namespace vkfs
