// vkfs/vekfs_source.cpp
//
// Disks of on-disk format 1 and 2, through the vekfs_api and vekfs2_api
// readers. A month search is one reader search per month. A day search keeps
// its search handle: every time seek checks the descriptor it is given against
// the event list it came from, so the lists must live on until the group's
// next day search or the disk's removal. Plays and exports read through
// reader slots, and a play walks the records of its slot's list.
#include <algorithm>
#include <array>
#include <mutex>
#include <vector>

#include "vkfs/month_range.h"
#include "vkfs/reader_ops.h"
#include "vkfs/record_source.h"

namespace vkfs {

namespace {

constexpr uint32_t kAllTypes = 0xffffffffu;
constexpr uint32_t kMonthChannels = 0x0000ffffu;
constexpr uint32_t kAllChannels = 0xffffffffu;

// What tells the two reader builds apart in VKFS's log.
struct VekfsProfile {
    FSReaderKind kind;
    const char* probeName;   // "<name> init failed!", "<name> add disk failed!"
    const char* readerName;  // "export failed: <name>_read_start"
    const char* playName;    // "<name> play failed: read data failed"
    LogPlace init, addDisk, dayFind;
    LogPlace playReadStart, playSeek, playRead;
    LogPlace exportReadStart, exportRead;
};

constexpr VekfsProfile kVekfs1{FS_READER_VEKFS,
                               "vkfs",
                               "vekfs",
                               "vek",
                               kPlaceVkfsInit,
                               kPlaceVkfsAddDisk,
                               kPlaceDayFindVekfs,
                               kPlacePlayReadStartVekfs,
                               kPlacePlaySeekVekfs,
                               kPlacePlayReadVekfs,
                               kPlaceExportReadStartVekfs,
                               kPlaceExportReadVekfs};

constexpr VekfsProfile kVekfs2{FS_READER_VEKFS2,
                               "vkfs2",
                               "vekfs2",
                               "vek2",
                               kPlaceVkfs2Init,
                               kPlaceVkfs2AddDisk,
                               kPlaceDayFindVekfs2,
                               kPlacePlayReadStartVekfs2,
                               kPlacePlaySeekVekfs2,
                               kPlacePlayReadVekfs2,
                               kPlaceExportReadStartVekfs2,
                               kPlaceExportReadVekfs2};

vekfs::search_param SearchParam(uint8_t type, uint32_t channelMask, const RecTime& from, const RecTime& to) {
    vekfs::search_param p;
    p.data_type = 0;
    p.search_type = type;
    p.exact = 0;
    p.type_mask = kAllTypes;
    p.channel_mask = channelMask;
    p.start = ToVekfsTime(from);
    p.end = ToVekfsTime(to);
    return p;
}

size_t SkipOf(int firstOffset, int length) {
    if (firstOffset <= 0)
        return 0;
    return static_cast<size_t>(std::min(firstOffset, length));
}

class VekfsSource final : public RecordSource {
  public:
    VekfsSource(const VekfsProfile& profile, VekfsLibrary& reader, int diskNumber, ProcessLog& log)
        : profile_(profile), reader_(reader), diskNumber_(diskNumber), log_(log) {}

    FSReaderKind Kind() const override { return profile_.kind; }

    void SearchMonths(const SearchMonTime& range, const MonthFound& found) override {
        ForEachMonth(range, [&](int year, int month) {
            vekfs::search_param p = SearchParam(vekfs::kSearchMonth, kMonthChannels, MonthStart(year, month),
                                                MonthEnd(year, month));
            FSMonthResult result{};
            result.year = year;
            result.month = month;
            const int rc = reader_.FindStart(&p, result.days);
            // A month search takes no handle (the reader answers with one past
            // its last), and the day search's kept handle is left alone.
            if (rc < 0)
                return;
            reader_.FindStop(rc);
            found(0, year, month, result);
        });
    }

    void SearchDay(int group,
                   const RecTime& from,
                   const RecTime& to,
                   const std::array<int, kSlotCount>& channels,
                   const RecordFound& found) override {
        const int handle = KeepNewSearch(static_cast<size_t>(group), from, to);
        if (handle < 0)
            return;
        for (int slot = 0; slot < kSlotCount; slot++) {
            const int channel = channels[static_cast<size_t>(slot)];
            if (channel == -1)
                continue;
            std::vector<vekfs::event_desc> events;
            const int rc = reader_.WithEventList(handle, channel, [&](const vekfs::event_list& list) {
                if (list.events && list.count > 0)
                    events.assign(list.events, list.events + list.count);
            });
            if (rc != 0)
                continue;
            const int count = static_cast<int>(events.size());
            for (int i = 0; i < count; i++) {
                FSRecordInfo record = RecordFromDescriptor(events[static_cast<size_t>(i)], count, Kind());
                found(slot, i, record);
            }
        }
    }

    int KeptSearch(int group) const override {
        std::lock_guard<std::mutex> hold(lock_);
        return kept_[static_cast<size_t>(group)];
    }

    int OpenStream(int channel) override { return reader_.ReadStart(channel); }
    void CloseStream(int stream) override { reader_.ReadStop(stream); }

    // A play starts at the start of the first record of its slot's list; the
    // range given to FSPlay is not used (FSSeekPlay reaches other times).
    bool BeginPlay(const StreamRequest& play, int* stream, PlayPosition* first) override {
        if (play.records.empty())
            return false;
        *stream = OpenStream(play.channel);
        if (*stream < 0) {
            *stream = -1;
            log_.Write("vek play failed: vekfs_read_start---%d", profile_.playReadStart);
            return false;
        }
        first->index = 0;
        first->record = play.records[0].second;
        first->at = first->record.start;
        return true;
    }

    // A record that starts where the previous one ends, or later, is entered
    // at its start. Records that overlap are entered one second after the
    // previous one's end; one that ends before then is passed over.
    NextStep NextRecord(const StreamRequest& play, int, PlayPosition* position) override {
        if (position->index + 1 >= play.records.size())
            return NextStep::kEnd;
        const FSRecordInfo previous = position->record;
        position->record = play.records[++position->index].second;
        const RecTime& start = position->record.start;
        position->at = CompareRecTime(previous.end, start) <= 0 ? start : AddOneSecond(previous.end);
        return CompareRecTime(position->at, position->record.end) <= 0 ? NextStep::kEnter
                                                                       : NextStep::kPassOver;
    }

    int Enter(int stream, const RecTime& at, const FSRecordInfo& record) override {
        vekfs::vekfs_time time = ToVekfsTime(at);
        vekfs::event_desc desc = DescriptorFromRecord(record, Kind());
        return reader_.TimeSeek(stream, &time, 0, 1, &desc);
    }

    bool SeekTo(const StreamRequest&, int stream, const RecTime& time, const FSRecordInfo& record) override {
        return Enter(stream, time, record) == 0;
    }

    // A read of 0 is the record's end.
    BlockRead Read(int stream, uint8_t* into, size_t length) override {
        int firstOffset = 0;
        const int n = reader_.Read(stream, into, static_cast<int>(length), &firstOffset);
        return BlockReadOf(n, 0, SkipOf(firstOffset, n));
    }

    void LogFailure(StreamFailure what, int code) override {
        const VekfsProfile& p = profile_;
        switch (what) {
            case StreamFailure::kPlayFirstSeek:
                log_.Write("vek play failed: dvrFs seek failed, nRet=%d---%d", code, p.playSeek);
                break;
            case StreamFailure::kPlayRead:
                log_.Write("%s play failed: read data failed(nRet=%d)---%d", p.playName, code, p.playRead);
                break;
            case StreamFailure::kExportOpen:
                log_.Write("export failed: %s_read_start---%d", p.readerName, p.exportReadStart);
                break;
            case StreamFailure::kExportRead:
                log_.Write("export failed: read data failed(nRet=%d)---%d", code, p.exportRead);
                break;
        }
    }

    int Close() override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            for (int& kept : kept_) {
                if (kept >= 0)
                    reader_.FindStop(kept);
                kept = -1;
            }
        }
        reader_.RemoveDisk(diskNumber_);
        return reader_.Exit(1) == 0 ? 1 : 0;
    }

  private:
    // Ends the group's kept search and starts the new one, which the group
    // keeps: its handle, or -1 (logged).
    int KeepNewSearch(size_t group, const RecTime& from, const RecTime& to) {
        int previous;
        {
            std::lock_guard<std::mutex> hold(lock_);
            previous = kept_[group];
            kept_[group] = -1;
        }
        if (previous >= 0)
            reader_.FindStop(previous);

        vekfs::search_param p = SearchParam(vekfs::kSearchPerChannel, kAllChannels, from, to);
        const int handle = reader_.FindStart(&p, nullptr);
        if (handle < 0) {
            log_.Write("find failed by day!---%d", profile_.dayFind);
            return -1;
        }
        std::lock_guard<std::mutex> hold(lock_);
        kept_[group] = handle;
        return handle;
    }

    const VekfsProfile& profile_;
    VekfsLibrary& reader_;
    const int diskNumber_;
    ProcessLog& log_;

    mutable std::mutex lock_;
    std::array<int, kGroupCount> kept_{-1, -1};
};

ProbeOutcome OpenVekfs(const VekfsProfile& profile,
                       VekfsLibrary& reader,
                       const DiskArgs& disk,
                       ProcessLog& log) {
    ProbeOutcome outcome;
    if (reader.Init(disk.channels) != 0) {
        log.Write("%s init failed!---%d", profile.probeName, profile.init);
        return outcome;
    }
    if (reader.AddDisk(disk.diskNumber, disk.path) == 0) {
        outcome.source = std::make_unique<VekfsSource>(profile, reader, disk.diskNumber, log);
        return outcome;
    }
    reader.Exit(1);
    log.Write("%s add disk failed!---%d", profile.probeName, profile.addDisk);
    outcome.tryNext = true;
    return outcome;
}

}  // namespace

ProbeOutcome OpenVekfsSource(const DiskArgs& disk, ProcessLog& log) {
    return OpenVekfs(kVekfs1, Readers().v1, disk, log);
}

ProbeOutcome OpenVekfs2Source(const DiskArgs& disk, ProcessLog& log) {
    return OpenVekfs(kVekfs2, Readers().v2, disk, log);
}

}  // namespace vkfs
