// reader/search.cpp
//
// Searches over every mounted disk: the days of a month that hold recordings
// (month search), the half-hours of a day (half-hour search), and the events of
// a time range as sorted descriptor lists kept in a search handle (event
// searches, one list or one list per channel).
//
// All three share one walk: for each usable partition whose time range meets the
// request, open the device, read the partition's file table from its working
// index copy once, and look at the closed files of the requested channels and
// data type. The event searches read the files' event blocks through a window of
// 40 blocks, so consecutive files of a partition cost one read.
//
// The index is hostile input. An entry whose channel is not a channel, whose
// file number does not match its place (its event block would be another
// file's), whose event count passes the block, or whose event block lies outside
// the index copy is skipped or cut with an error line; nothing on the disk is
// used as an index, a shift or a size before it has been checked.
//
// No lock is held while the disks are read: the walk runs over a snapshot of the
// disk table, builds the lists in its own memory and hands them to the search
// handle under the lock at the end.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "reader/diag.h"
#include "reader/disk_param_io.h"
#include "reader/dump.h"
#include "reader/reader.h"
#include "reader/sector_io.h"

namespace vekfs {

namespace {

constexpr int kMonthWords = 31;
constexpr int kHalfHourSlots = 48;
constexpr uint32_t kEventWindowBlocks = 40;
constexpr size_t kTypeThreeInitialEvents = 200;
constexpr size_t kEventsPerListChannel = 84;  // a one-list search starts with this much room per channel
constexpr size_t kEventListGrowth = 300;
constexpr int kMaskChannels = 32;  // the channel mask has one bit per channel 0..31

enum class WalkKind { Month, HalfHour, Events };

// The parts of a request the walk tests files and events against.
struct Request {
    search_param param;
    packed_time start;  // S
    packed_time end;    // E
    int maxChannels;
};

// The partition being searched: its device and where its index copy lies.
struct PartitionScan {
    int disk = 0;
    int partition = 0;
    platform::RawDevice* device = nullptr;
    uint64_t copyOffset = 0;       // working index copy on the device
    uint32_t eventAreaOffset = 0;  // inside the copy
    uint32_t entries = 0;          // file-table entries read
    uint32_t blocks = 0;           // event blocks that exist and lie inside the copy
};

// The channel's bit of the mask decides: a maximum below 31 has already cut
// the mask to its channels, and with a maximum of 31 or more every bit counts.
bool ChannelSelected(const Request& r, uint32_t channel) {
    if (channel >= kMaskChannels)
        return false;
    return ((r.param.channel_mask >> channel) & 1u) != 0;
}

// The part of a file or event that lies in the request's time range: its end not
// before its start and the two ranges overlapping.
bool OverlapsRequest(const Request& r, packed_time start, packed_time end) {
    return end >= start && start <= r.end && end >= r.start;
}

// The common walk. Visit is called for each closed file of a selected channel
// and the requested data type, with the partition it was found in.
class SearchWalk {
  public:
    SearchWalk(const ReaderProfile& profile, bool dumps, WalkKind kind, const Request& request)
        : profile_(profile), format_(profile.format), dumps_(dumps), kind_(kind), request_(request) {}

    // Allocates the file-table buffer (and, for the event reads, the window).
    // -12 when memory runs out.
    int Prepare(size_t largest_file_count) {
        try {
            table_.resize(largest_file_count * format_.fileInfoSize);
        } catch (const std::bad_alloc&) {
            VEKFS_ERR("malloc index_file_info err");
            return VEKFS_ERR_NO_MEMORY;
        }
        if (kind_ != WalkKind::Month) {
            try {
                window_.resize(kEventWindowBlocks * format_.EventBlockSize());
            } catch (const std::bad_alloc&) {
                VEKFS_ERR("malloc index_event_info err");
                return VEKFS_ERR_NO_MEMORY;
            }
        }
        return VEKFS_OK;
    }

    template <class Visit>
    int Run(const std::vector<disk_info_t>& disks, Visit&& visit) {
        for (const disk_info_t& disk : disks) {
            if (disk.number < 0 || disk.number >= kMaxDisks)
                continue;
            if (disk.param.disk_state >= 3) {
                VEKFS_ERR("disk%d is err", disk.number);
                continue;
            }
            const int parts = std::min<int>(disk.param.part_count, kMaxPartitions);
            for (int p = 0; p < parts; p++) {
                const int rc = ScanPartition(disk, p, visit);
                if (rc < 0)
                    return rc;
            }
        }
        return VEKFS_OK;
    }

    // The event block of file position j in the current partition, through the
    // window. Null with *rc = 0 when the block cannot be read from this copy (the
    // file is skipped); null with *rc < 0 when the read failed.
    const uint8_t* EventBlock(const PartitionScan& scan, uint32_t j, int* rc) {
        *rc = VEKFS_OK;
        if (j >= scan.blocks) {
            VEKFS_ERR("disk%d part%d file%u event block outside the index copy", scan.disk, scan.partition,
                      j + 1);
            return nullptr;
        }
        const size_t blockSize = format_.EventBlockSize();
        if (windowCount_ == 0 || j < windowFirst_ || j - windowFirst_ >= windowCount_) {
            const uint32_t count = std::min(kEventWindowBlocks, scan.blocks - j);
            VEKFS_INFO("read_event:buf:%u-%u,now:%u", windowFirst_, windowFirst_ + windowCount_, j);
            windowCount_ = 0;
            const uint64_t at = scan.copyOffset + scan.eventAreaOffset + static_cast<uint64_t>(j) * blockSize;
            if (pc_read_data(scan.device, window_.data(), at, static_cast<int>(count * blockSize)) < 0) {
                VEKFS_ERR("read event err");
                *rc = VEKFS_ERR_SEARCH_READ;
                return nullptr;
            }
            windowFirst_ = j;
            windowCount_ = count;
        }
        return window_.data() + static_cast<size_t>(j - windowFirst_) * blockSize;
    }

    // Calls fn(event, k) for each event of the file's block. 0, or the first
    // negative result of fn or of the block read.
    template <class Fn>
    int ForEachEvent(const PartitionScan& scan, const file_info& f, uint32_t j, Fn&& fn) {
        int rc = VEKFS_OK;
        const uint8_t* block = EventBlock(scan, j, &rc);
        if (block == nullptr)
            return rc;
        int count = f.event_count;
        if (count > kEventsPerBlock) {
            VEKFS_ERR("disk%d part%d file%u event count %d err", scan.disk, scan.partition, j + 1, count);
            count = kEventsPerBlock;
        }
        for (int k = 0; k < count; k++) {
            const pevent_info e =
                decode_pevent_info(block + static_cast<size_t>(k) * format_.eventSize, format_);
            rc = fn(e, k);
            if (rc < 0)
                return rc;
        }
        return VEKFS_OK;
    }

  private:
    // Whether the partition's time range for the requested data type is in order
    // and meets the request. The format knows data types 0 and 1 only.
    bool PartitionInRange(const part_info& part) const {
        packed_time start = 0;
        packed_time end = 0;
        if (request_.param.data_type == 0) {
            start = part.type0_start;
            end = part.type0_end;
        } else if (request_.param.data_type == 1) {
            start = part.type1_start;
            end = part.type1_end;
        } else {
            return false;
        }
        if (end < start)
            return false;
        if (kind_ == WalkKind::Month) {
            const uint32_t key = month_key(request_.start);
            return month_key(start) <= key && key <= month_key(end);
        }
        return start <= request_.end && end >= request_.start;
    }

    template <class Visit>
    int ScanPartition(const disk_info_t& disk, int p, Visit& visit) {
        const part_info& part = disk.parts[static_cast<size_t>(p)];
        if (part.state >= 2) {
            VEKFS_ERR("disk%d part%d is err", disk.number, p);
            return VEKFS_OK;
        }
        if (!PartitionInRange(part))
            return VEKFS_OK;

        std::unique_ptr<platform::RawDevice> device = open_disk(profile_, disk.path);
        if (!device) {
            if (kind_ == WalkKind::Month)
                VEKFS_ERR("open file %s err", disk.path.c_str());
            else
                VEKFS_ERR("open %s err", disk.path.c_str());
            return VEKFS_ERR_OPEN;
        }
        const int copy = get_disk_working_index(disk.param, p, 1);
        if (copy < 0) {
            VEKFS_ERR("can't find valid index!");
            return VEKFS_OK;
        }

        const disk_param& param = disk.param;
        PartitionScan scan;
        scan.disk = disk.number;
        scan.partition = p;
        scan.device = device.get();
        scan.copyOffset = index_copy_offset(param.part_start[static_cast<size_t>(p)], param.copy_size, copy);
        scan.eventAreaOffset = param.event_area_offset;
        scan.entries = part.file_count;

        // The table must lie inside the index copy; entries past its end are not
        // the table's.
        const uint64_t tableRoom =
            param.file_table_offset < param.copy_size ? param.copy_size - param.file_table_offset : 0;
        if (static_cast<uint64_t>(scan.entries) * format_.fileInfoSize > tableRoom) {
            const auto fits = static_cast<uint32_t>(tableRoom / format_.fileInfoSize);
            VEKFS_ERR("disk%d part%d file table of %u entries passes the index copy, %u read", disk.number, p,
                      scan.entries, fits);
            scan.entries = fits;
        }
        const uint64_t eventRoom =
            param.event_area_offset < param.copy_size ? param.copy_size - param.event_area_offset : 0;
        scan.blocks =
            static_cast<uint32_t>(std::min<uint64_t>(scan.entries, eventRoom / format_.EventBlockSize()));

        const size_t tableBytes = static_cast<size_t>(scan.entries) * format_.fileInfoSize;
        if (tableBytes > table_.size()) {
            try {
                table_.resize(tableBytes);
            } catch (const std::bad_alloc&) {
                VEKFS_ERR("malloc index_file_info err");
                return VEKFS_ERR_NO_MEMORY;
            }
        }
        if (tableBytes > 0) {
            const int rc = pc_read_data(scan.device, table_.data(), scan.copyOffset + param.file_table_offset,
                                        static_cast<int>(tableBytes));
            if (rc == kSectorErrSeek) {
                VEKFS_ERR("set file point err!");
                return VEKFS_ERR_NO_READER;
            }
            if (rc < 0) {
                if (kind_ == WalkKind::Month)
                    VEKFS_ERR("read %s err", disk.path.c_str());
                else
                    VEKFS_ERR("read err");
                return VEKFS_ERR_SEARCH_READ;
            }
        }
        windowFirst_ = 0;
        windowCount_ = 0;

        for (uint32_t j = 0; j < scan.entries; j++) {
            const file_info f =
                decode_file_info(table_.data() + static_cast<size_t>(j) * format_.fileInfoSize, format_);
            if (f.magic != kMagicFile || f.state != kFileClosed)
                continue;
            if (f.channel >= kMaxRecChannels) {
                VEKFS_ERR("disk%d part%d file%u chn%d err", disk.number, p, j + 1, f.channel);
                continue;
            }
            if (!ChannelSelected(request_, f.channel) || f.data_type != request_.param.data_type)
                continue;
            if (f.number != j + 1) {
                VEKFS_ERR("disk%d part%d file%u holds number %d", disk.number, p, j + 1, f.number);
                continue;
            }
            if (dumps_)
                dump_file_info(f);
            const int rc = visit(scan, f, j);
            if (rc < 0)
                return rc;
        }
        return VEKFS_OK;
    }

    const ReaderProfile& profile_;
    const FormatTraits& format_;
    bool dumps_;
    WalkKind kind_;
    const Request& request_;
    std::vector<uint8_t> table_;
    std::vector<uint8_t> window_;
    uint32_t windowFirst_ = 0;  // file position of the first block held
    uint32_t windowCount_ = 0;  // blocks held
};

// The largest file count of the partitions in the snapshot: the file-table
// buffer holds any of them.
size_t LargestFileCount(const std::vector<disk_info_t>& disks) {
    size_t largest = 0;
    for (const disk_info_t& d : disks) {
        const int parts = std::min<int>(d.param.part_count, kMaxPartitions);
        for (int p = 0; p < parts; p++)
            largest = std::max<size_t>(largest, d.parts[static_cast<size_t>(p)].file_count);
    }
    return largest;
}

Request MakeRequest(const search_param& p, int max_channels) {
    return Request{p, pack_time(p.start), pack_time(p.end), max_channels};
}

// The event tests shared by the half-hour and event searches.
bool EventSelected(const Request& r, const pevent_info& e) {
    return e.magic == kMagicEvent && (e.type_bits & r.param.type_mask) != 0 &&
           OverlapsRequest(r, e.start, e.end) && e.skip == 0;
}

}  // namespace

int Reader::search_month(const search_param& p, uint32_t* out) {
    if (out == nullptr) {
        VEKFS_ERR("invalid param output mon");
        return VEKFS_ERR_NULL_PARAM;
    }
    std::fill(out, out + kMonthWords, 0u);

    const Request request = MakeRequest(p, maxChannels_);
    const std::vector<disk_info_t> disks = snapshot_disks();
    SearchWalk walk(profile_, dumps_on(), WalkKind::Month, request);
    if (const int rc = walk.Prepare(LargestFileCount(disks)); rc < 0)
        return rc;

    const uint32_t key = month_key(request.start);
    const bool typeMaskApplies = profile_.format.version != 1;
    const int words = std::min(profile_.format.dayBitmapWords, kMaxDayBitmapWords);
    return walk.Run(disks, [&](const PartitionScan&, const file_info& f, uint32_t) -> int {
        if (month_key(f.start) != key)
            return VEKFS_OK;
        for (int k = 0; k < words; k++) {
            if (typeMaskApplies && ((p.type_mask >> k) & 1u) == 0)
                continue;
            const uint32_t days = f.day_bitmap[static_cast<size_t>(k)];
            // bit d is day d + 1; bit 31 would be a 32nd day and has no word
            for (int d = 0; d < kMonthWords; d++)
                if ((days >> d) & 1u)
                    out[d] |= 1u << k;
        }
        return VEKFS_OK;
    });
}

int Reader::search_halfhour(const search_param& p, uint32_t* out) {
    if (out == nullptr) {
        VEKFS_ERR("param which input is err");
        return VEKFS_ERR_NULL_PARAM;
    }
    // The slots are ORed into: start from a clean array, not the caller's memory.
    std::fill(out, out + kHalfHourSlots, 0u);

    const Request request = MakeRequest(p, maxChannels_);
    const std::vector<disk_info_t> disks = snapshot_disks();
    SearchWalk walk(profile_, dumps_on(), WalkKind::HalfHour, request);
    if (const int rc = walk.Prepare(LargestFileCount(disks)); rc < 0)
        return rc;

    return walk.Run(disks, [&](const PartitionScan& scan, const file_info& f, uint32_t j) -> int {
        if (!OverlapsRequest(request, f.start, f.end))
            return VEKFS_OK;
        return walk.ForEachEvent(scan, f, j, [&](const pevent_info& e, int) -> int {
            if (!EventSelected(request, e))
                return VEKFS_OK;
            const packed_time from = std::max(e.start, request.start);
            const packed_time to = std::min(e.end, request.end);
            // Slots come from the time of day; a damaged hour or minute field can
            // name a slot past the day, which holds nothing.
            const int last = std::min(halfhour_slot(to), kHalfHourSlots - 1);
            for (int s = halfhour_slot(from); s <= last; s++)
                out[s] |= e.type_bits;
            return VEKFS_OK;
        });
    });
}

int Reader::search_events(const search_param& p, int handle) {
    if (handle < 0 || handle >= kMaxSearchHandles)
        return VEKFS_ERR_BAD_HANDLE;

    const Request request = MakeRequest(p, maxChannels_);
    const std::vector<disk_info_t> disks = snapshot_disks();
    SearchWalk walk(profile_, dumps_on(), WalkKind::Events, request);
    if (const int rc = walk.Prepare(LargestFileCount(disks)); rc < 0)
        return rc;

    const bool oneList = p.search_type == kSearchOneList;
    const size_t initialCapacity =
        oneList ? std::max(kTypeThreeInitialEvents,
                           kEventsPerListChannel * static_cast<size_t>(std::popcount(p.channel_mask)))
                : kTypeThreeInitialEvents;
    const bool exact = p.exact == 1;
    const bool versionOne = profile_.format.version == 1;

    std::vector<event_list_store> lists(kMaxRecChannels);
    bool found = false;
    packed_time earliest = 0;
    packed_time latest = 0;
    std::array<uint8_t, kMaxDisks * kMaxPartitions> touched{};

    auto append = [&](int listChannel, const event_desc& d) -> int {
        event_list_store& list = lists[static_cast<size_t>(listChannel)];
        const size_t count = static_cast<size_t>(list.count);
        if (list.events.empty()) {
            try {
                list.events.resize(initialCapacity);
            } catch (const std::bad_alloc&) {
                VEKFS_ERR("malloc event buf err");
                return VEKFS_ERR_NO_MEMORY;
            }
            VEKFS_INFO("malloc:buf:%d, buf_len:%d, data_len:%d", listChannel,
                       static_cast<int>(list.events.size()), list.count);
        } else if (count == list.events.size()) {
            try {
                list.events.resize(list.events.size() + kEventListGrowth);
            } catch (const std::bad_alloc&) {
                VEKFS_ERR("realloc event buf err");
                return VEKFS_ERR_NO_MEMORY;
            }
            VEKFS_INFO("realloc:buf:%d, buf_len:%d, data_len:%d", listChannel,
                       static_cast<int>(list.events.size()), list.count);
        }
        list.events[count] = d;
        list.count++;
        return VEKFS_OK;
    };

    const int rc = walk.Run(disks, [&](const PartitionScan& scan, const file_info& f, uint32_t j) -> int {
        if (!OverlapsRequest(request, f.start, f.end))
            return VEKFS_OK;
        return walk.ForEachEvent(scan, f, j, [&](const pevent_info& e, int k) -> int {
            if (!EventSelected(request, e))
                return VEKFS_OK;
            if (exact && (e.type_bits & p.type_mask) != p.type_mask)
                return VEKFS_OK;
            const int listChannel = oneList ? 0 : f.channel;
            event_desc d;
            d.handle = static_cast<uint8_t>(handle);
            d.list_channel = static_cast<uint8_t>(listChannel);
            d.overwritten = 0;
            d.event_index = static_cast<uint8_t>(k);
            d.location =
                make_location(j, static_cast<uint32_t>(scan.partition), static_cast<uint32_t>(scan.disk));
            d.type_bits = e.type_bits;
            d.channel = f.channel;
            d.attr22 = e.attr22;
            d.attr23 = e.attr23;
            d.start = unpack_time(e.start);
            d.end = unpack_time(e.end);
            d.data_start = e.data_start;
            d.data_length = e.data_length;
            d.index_start = e.index_start;
            d.index_end = e.index_end;
            if (versionOne) {
                d.media_first = e.pass38;
            } else {
                d.media_first = e.media_first;
                d.media_last = e.media_last;
            }
            if (const int r = append(listChannel, d); r < 0)
                return r;
            // The first event sets the range; a cleared handle's 0 is no time.
            earliest = found ? std::min(earliest, e.start) : e.start;
            latest = found ? std::max(latest, e.end) : e.end;
            found = true;
            touched[static_cast<size_t>(scan.disk * kMaxPartitions + scan.partition)] = 1;
            return VEKFS_OK;
        });
    });
    if (rc < 0)
        return rc;

    // Ascending by start, equal starts by channel; equal both stay in walk order
    // (disk, partition, file, event).
    const auto before = [](const event_desc& a, const event_desc& b) {
        const packed_time sa = pack_time(a.start);
        const packed_time sb = pack_time(b.start);
        return sa != sb ? sa < sb : a.channel < b.channel;
    };
    const int maxChannels = std::min(maxChannels_, kMaxRecChannels);
    for (int c = 0; c < maxChannels; c++) {
        event_list_store& list = lists[static_cast<size_t>(c)];
        list.cursor = -1;
        if (list.count == 0)
            continue;
        const auto first = list.events.begin();
        std::stable_sort(first, first + list.count, before);
        for (int32_t i = 0; i < list.count; i++) {
            event_desc& d = list.events[static_cast<size_t>(i)];
            d.list_pos = static_cast<uint32_t>(i);
            if (dumps_on())
                dump_event_desc(d);
        }
    }

    std::lock_guard<std::mutex> guard(lock_);
    search_handle& h = handles_[static_cast<size_t>(handle)];
    h.earliest = earliest;
    h.latest = latest;
    h.touched = touched;
    for (size_t c = 0; c < lists.size(); c++)
        h.lists[c] = std::move(lists[c]);
    return VEKFS_OK;
}

}  // namespace vekfs
