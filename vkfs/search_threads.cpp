// vkfs/search_threads.cpp
//
// The month and day search threads. Each runs once through its work, reports
// the end with one call that has no record, then waits for its stop (a stop
// during the pass waits for the pass to finish).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "vkfs/fs_disk.h"

namespace vkfs {

namespace {

constexpr uint32_t kAllTypes = 0xffffffffu;
constexpr uint32_t kMonthChannels = 0x0000ffffu;
constexpr uint32_t kAllChannels = 0xffffffffu;

RecTime MonthStart(int year, int month) {
    return MakeRecTime(year, month, 1, 0, 0, 0);
}
RecTime MonthEnd(int year, int month) {
    return MakeRecTime(year, month, 31, 23, 59, 59);
}

// Calls fn(year, month) for every month of the range, in order: from the
// start month (a start month above 12 skips the start year) to December, and
// in the end year to the end month.
template <typename Fn>
void ForEachMonth(const SearchMonTime& range, Fn&& fn) {
    for (int64_t y = range.startYear; y <= range.endYear; y++) {
        const bool startYear = y == range.startYear;
        if (startYear && range.startMonth > 12) continue;
        const int first = startYear ? std::max(range.startMonth, 1) : 1;
        const int last = y == range.endYear ? std::min(range.endMonth, 12) : 12;
        for (int m = first; m <= last; m++) fn(static_cast<int>(y), m);
    }
}

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

}  // namespace

// ---- month ------------------------------------------------------------------------

void FSDisk::MonthThread(const MonthJob& job) {
    FSPlayParam param{};
    param.kind = kind_;
    param.user = job.user;
    param.window = nullptr;
    param.windows = job.windows;
    if (kind_ == FS_READER_DVRFS)
        MonthPassDvrfs(job, param);
    else
        MonthPassVekfs(job, param);

    monthRunning_ = 0;
    param.monthRunning = 0;
    param.dayRunning = dayRunning_;
    if (monthCallback_) monthCallback_(kind_, nullptr, &param);
    job.stop->Wait();
}

void FSDisk::MonthPassVekfs(const MonthJob& job, FSPlayParam& param) {
    VekfsLibrary* reader = vekfs();
    ForEachMonth(job.range, [&](int year, int month) {
        vekfs::search_param p = SearchParam(vekfs::kSearchMonth, kMonthChannels, MonthStart(year, month),
                                            MonthEnd(year, month));
        FSMonthResult result{};
        result.year = year;
        result.month = month;
        const int rc = reader->FindStart(&p, result.days);
        // A month search takes no handle (the reader answers with one past its
        // last), and the day search's kept handle is left alone.
        if (rc >= 0) reader->FindStop(rc);
        if (rc >= 0 && monthCallback_) {
            param.channel = 0;
            param.recordIndex = 0;
            param.monthRunning = monthRunning_;
            param.dayRunning = dayRunning_;
            param.start = MonthStart(year, month);
            param.end = MonthEnd(year, month);
            monthCallback_(kind_, &result, &param);
        }
    });
}

void FSDisk::MonthPassDvrfs(const MonthJob& job, FSPlayParam& param) {
    DvrfsLibrary& dvrfs = readers_.dvrfs;
    for (int channel = 0; channel < channels_; channel++) {
        const int handle = dvrfs.Open(channel, 0);
        if (handle < 0) {
            log_.Write("dvrfs open channel failed---%d", kPlaceDvrfsOpenMonth);
            continue;
        }
        ForEachMonth(job.range, [&](int year, int month) {
            dvrfs_find_query query;
            query.kind = kDvrfsFindMonth;
            ToSixInts(MonthStart(year, month), query.start);
            ToSixInts(MonthEnd(year, month), query.end);
            dvrfs_month_result found;
            const int rc = dvrfs.FindStart(handle, &query, &found, 0);
            dvrfs.FindStop(handle);
            if (DvrfsFound(rc, kPlaceDvrfsMonthKept) && monthCallback_) {
                FSMonthResult result = MonthFromDvrfs(found);
                param.channel = channel;
                param.recordIndex = 0;
                param.monthRunning = monthRunning_;
                param.dayRunning = dayRunning_;
                param.start = MonthStart(year, month);
                param.end = MonthEnd(year, month);
                monthCallback_(FS_READER_DVRFS, &result, &param);
            }
        });
        dvrfs.Close(handle, 0);
    }
}

bool FSDisk::DvrfsFound(int rc, int place) {
    if (rc == kDvrfsOk) return true;
    if (rc != kDvrfsIndexChanged) return false;
    log_.Write("dvrfs find result kept, index changed(ret = %d)---%d", rc, place);
    return true;
}

// ---- day --------------------------------------------------------------------------

void FSDisk::DayThread(const DayJob& job) {
    {
        std::lock_guard<std::mutex> hold(tables_);
        for (auto& table : recordTable_[static_cast<size_t>(job.group)]) table.clear();
    }
    FSPlayParam param{};
    param.kind = kind_;
    param.user = job.user;
    param.window = window_;
    param.windows = job.windows;
    param.start = job.from;
    param.end = job.to;
    if (kind_ == FS_READER_DVRFS)
        DayPassDvrfs(job, param);
    else
        DayPassVekfs(job, param);

    dayRunning_ = 0;
    param.dayRunning = 0;
    param.monthRunning = monthRunning_;
    if (job.callback) job.callback(kind_, nullptr, &param);
    job.stop->Wait();
}

void FSDisk::DayPassVekfs(const DayJob& job, FSPlayParam& param) {
    VekfsLibrary* reader = vekfs();
    const auto group = static_cast<size_t>(job.group);
    int previous;
    {
        std::lock_guard<std::mutex> hold(tables_);
        previous = keptSearch_[group];
        keptSearch_[group] = -1;
    }
    if (previous >= 0) reader->FindStop(previous);

    vekfs::search_param p = SearchParam(vekfs::kSearchPerChannel, kAllChannels, job.from, job.to);
    const int handle = reader->FindStart(&p, nullptr);
    if (handle < 0) {
        log_.Write("find failed by day!---%d",
                   kind_ == FS_READER_VEKFS2 ? kPlaceDayFindVekfs2 : kPlaceDayFindVekfs);
        return;
    }
    // The lists must outlive the search: every seek of a play or export checks
    // its descriptor against the list it came from.
    {
        std::lock_guard<std::mutex> hold(tables_);
        keptSearch_[group] = handle;
    }

    for (int slot = 0; slot < kSlotCount; slot++) {
        const int channel = job.channels[static_cast<size_t>(slot)];
        if (channel == -1) continue;
        std::vector<vekfs::event_desc> events;
        const int rc = reader->WithEventList(handle, channel, [&](const vekfs::event_list& list) {
            if (list.events && list.count > 0) events.assign(list.events, list.events + list.count);
        });
        if (rc != 0) continue;
        const int count = static_cast<int>(events.size());
        for (int i = 0; i < count; i++) {
            FSRecordInfo record = RecordFromDescriptor(events[static_cast<size_t>(i)], count, kind_);
            {
                std::lock_guard<std::mutex> hold(tables_);
                recordTable_[group][static_cast<size_t>(slot)][i] = record;
            }
            if (!job.callback) continue;
            param.channel = channel;
            param.recordIndex = i;
            param.monthRunning = monthRunning_;
            param.dayRunning = 1;
            job.callback(kind_, &record, &param);
        }
    }
}

void FSDisk::DayPassDvrfs(const DayJob& job, FSPlayParam& param) {
    DvrfsLibrary& dvrfs = readers_.dvrfs;
    const auto group = static_cast<size_t>(job.group);
    for (int slot = 0; slot < kSlotCount; slot++) {
        const int channel = job.channels[static_cast<size_t>(slot)];
        if (channel == -1) continue;
        const int handle = dvrfs.Open(channel, 0);
        if (handle < 0) {
            log_.Write("dvrfs open channel failed---%d", kPlaceDvrfsOpenDay);
            continue;
        }
        dvrfs_find_query query;
        query.kind = kDvrfsFindRange;
        ToSixInts(job.from, query.start);
        ToSixInts(job.to, query.end);
        dvrfs_find_result found;
        int rc = dvrfs.FindStart(handle, &query, &found, 0);
        for (int count = 0; DvrfsFound(rc, count == 0 ? kPlaceDvrfsDayKept : kPlaceDvrfsFindNext); count++) {
            FSRecordInfo record = RecordFromFindResult(found);
            {
                std::lock_guard<std::mutex> hold(tables_);
                recordTable_[group][static_cast<size_t>(slot)][count] = record;
            }
            if (job.callback) {
                param.channel = channel;
                param.recordIndex = count;
                param.monthRunning = monthRunning_;
                param.dayRunning = 1;
                job.callback(FS_READER_DVRFS, &record, &param);
            }
            rc = dvrfs.FindNext(handle, &found);
            if (rc != kDvrfsOk && rc != kDvrfsIndexChanged)
                log_.Write("dvrfs_find_next error(ret = %d)---%d", rc, kPlaceDvrfsFindNext);
        }
        dvrfs.FindStop(handle);
        dvrfs.Close(handle, 0);
    }
}

}  // namespace vkfs
