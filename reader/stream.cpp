// reader/stream.cpp
//
// Stream reading: the time seek that places a reader slot on a key frame of an
// event, the block reads that follow it, and the key-frame steps.
//
// A seek takes its event from a descriptor that a search handed out. Nothing in
// the descriptor is trusted: its handle, list channel and list position are
// checked against the handle's own list, its location against the disk table,
// and its index and data ranges against the 256 MB data file, before any of
// them is used to address the device. Key-frame entries are read from the disk
// and their frame offsets are checked against the event's data range before the
// read position moves to them.
//
// Key-frame numbering: entry n lies at byte n * 16 of the data file. An event's
// entries run from O = index_start / 16 - 1 (its first key frame) down to
// E = index_end / 16 (its last), so a higher number is an earlier key frame.
//
// Locking: every function here runs with the slot's mutex held by its caller;
// the time seek takes lock_ briefly to look at the search handle and the disk
// table (slot mutex -> lock_, as the lock order allows).
#include <algorithm>
#include <cinttypes>
#include <new>
#include <string>

#include "media/frame_header.h"
#include "reader/diag.h"
#include "reader/disk_param_io.h"
#include "reader/dump.h"
#include "reader/reader.h"
#include "reader/sector_io.h"

namespace vekfs {

namespace {

constexpr int kReadAlign = 1024;

bool page_holds(const reader_slot& s, int64_t number) {
    return s.page_count > 0 && number >= s.page_first &&
           number < static_cast<int64_t>(s.page_first) + s.page_count;
}

// Entry `number` of the slot's page; the page must hold it.
kframe_entry page_entry(const reader_slot& s, int64_t number) {
    const auto index = static_cast<size_t>(number - s.page_first);
    return decode_kframe_entry(s.page.get() + index * kKframeEntrySize);
}

// Reads the page of 256 entries that holds key-frame number `number` (0 <=
// number <= kFirstKframeNumber, so the page lies inside the data file).
// Returns 0 or the sector layer's code; on failure the slot holds no page.
int load_page(reader_slot& s, int64_t number) {
    const auto first = static_cast<uint32_t>(number) / kKframesPerPage * kKframesPerPage;
    s.page_first = first;
    s.page_count = 0;
    const int rc = pc_read_data(s.iframe_hHDD.get(), s.page.get(),
                                s.file_base + static_cast<uint64_t>(first) * kKframeEntrySize,
                                static_cast<int>(kKframePageSize));
    if (rc < 0)
        return rc;
    s.page_count = kKframesPerPage;
    return 0;
}

uint64_t data_end(const reader_slot& s) {
    return static_cast<uint64_t>(s.data_start) + s.data_length;
}

bool offset_in_event(const reader_slot& s, uint32_t offset) {
    return offset >= s.data_start && offset <= data_end(s);
}

// Loads the page holding `number` for the time seek, with the seek's messages
// and codes. 0 or a negative vekfs_err.
int seek_page(reader_slot& s, int64_t number) {
    if (page_holds(s, number))
        return VEKFS_OK;
    const int rc = load_page(s, number);
    if (rc == kSectorErrSeek) {
        VEKFS_ERR("set file point err!");
        return VEKFS_ERR_FAIL;
    }
    if (rc < 0) {
        VEKFS_ERR("read_err:%s", s.iframe_hHDD ? s.iframe_hHDD->LastError().c_str() : "");
        VEKFS_ERR("start:%u, count:%u err", s.page_first, kKframesPerPage);
        return VEKFS_ERR_READ;
    }
    return VEKFS_OK;
}

// Time of entry `number` for the time seek (loading its page); 0 or an error.
int seek_entry_time(reader_slot& s, int64_t number, packed_time* time) {
    if (const int rc = seek_page(s, number); rc < 0)
        return rc;
    *time = page_entry(s, number).time;
    return VEKFS_OK;
}

}  // namespace

int Reader::time_seek(reader_slot& slot, const vekfs_time& time, int direction, const event_desc& event) {
    VEKFS_INFO("seek time:%d-%d-%d %d:%d:%d", time.year, time.month, time.day, time.hour, time.minute,
               time.second);
    const packed_time L = pack_time(time);
    const packed_time M = pack_time(event.start);
    const packed_time N = pack_time(event.end);
    if (L < M || L > N) {
        VEKFS_ERR("input seek_time param err, must in start_time and end_time");
        return VEKFS_ERR_RANGE;
    }

    // The event's key-frame entries must be whole entries inside the data file.
    const int64_t O = static_cast<int64_t>(event.index_start / kKframeEntrySize) - 1;
    const int64_t E = static_cast<int64_t>(event.index_end / kKframeEntrySize);
    if (event.index_start % kKframeEntrySize != 0 || event.index_end % kKframeEntrySize != 0 ||
        event.index_start > kDataFileSize || O < E || N < M) {
        VEKFS_ERR("write ifram offse or time err");
        return VEKFS_ERR_RANGE;
    }

    if (!slot.page) {
        slot.page.reset(new (std::nothrow) uint8_t[kKframePageSize]);
        if (!slot.page) {
            VEKFS_ERR("err");
            return VEKFS_ERR_NO_MEMORY;
        }
    }

    // The descriptor against the list it came from and the disk it names.
    std::string path;
    uint64_t file_base = 0;
    uint8_t overwritten = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (event.handle >= kMaxSearchHandles || !handles_[event.handle].in_use) {
            VEKFS_ERR("%d handle isn't exist", event.handle);
            return VEKFS_ERR_BAD_HANDLE;
        }
        if (event.list_channel >= kMaxRecChannels) {
            VEKFS_ERR("%d invalid chn number", event.list_channel);
            return VEKFS_ERR_CHANNEL;
        }
        const event_list_store& list = handles_[event.handle].lists[event.list_channel];
        if (list.count <= 0 || event.list_pos >= static_cast<uint32_t>(list.count) ||
            event.list_pos >= list.events.size()) {
            VEKFS_ERR("the event is not in memory");
            return VEKFS_ERR_EVENT_NOT_LOADED;
        }
        overwritten = list.events[event.list_pos].overwritten;

        const uint32_t disk_number = location_disk(event.location);
        const uint32_t partition = location_partition(event.location);
        const uint32_t file_pos = location_file(event.location);
        if (disk_number >= kMaxDisks) {
            VEKFS_ERR("disk %u of the event is out of range", disk_number);
            return VEKFS_ERR_RANGE;
        }
        const disk_info_t* disk = disks_[disk_number].get();
        if (disk == nullptr) {
            VEKFS_ERR("disk %u of the event is not mounted", disk_number);
            return VEKFS_ERR_FAIL;
        }
        const uint32_t part_count = std::min<uint32_t>(disk->param.part_count, kMaxPartitions);
        if (partition >= part_count) {
            VEKFS_ERR("partition %u of the event is not on disk %u", partition, disk_number);
            return VEKFS_ERR_FAIL;
        }
        if (file_pos >= disk->parts[partition].file_count) {
            VEKFS_ERR("file %u of the event is not in partition %u", file_pos, partition);
            return VEKFS_ERR_FAIL;
        }
        path = disk->path;
        file_base = data_file_offset(disk->param.part_start[partition], file_pos);
    }

    // From here the slot is being moved: until the seek succeeds it has no
    // position, so a read after a failed seek never takes data from the wrong
    // place.
    slot.sought = false;
    if (slot.has_location && slot.location != event.location)
        slot.iframe_hHDD.reset();
    slot.has_location = true;
    slot.location = event.location;
    slot.event_index = event.event_index;
    slot.file_base = file_base;
    slot.page_first = 0;
    slot.page_count = 0;

    slot.overwritten = overwritten;
    if (slot.overwritten == 1) {
        VEKFS_ERR("the event had been covered");
        return VEKFS_ERR_OVERWRITTEN;
    }

    if (!slot.iframe_hHDD) {
        VEKFS_INFO("open %s iframe_hHDD", path.c_str());
        slot.iframe_hHDD = open_disk(profile_, path);
        if (!slot.iframe_hHDD) {
            VEKFS_ERR("open file %s failed!", path.c_str());
            return VEKFS_ERR_OPEN;
        }
    }

    // Estimate by proportion (later times lie at lower numbers); the walk below
    // corrects it, so it only saves page reads.
    int64_t pos = E;
    if (M != N) {
        pos = E + (O - E) * static_cast<int64_t>(N - L) / static_cast<int64_t>(N - M);
    }
    VEKFS_INFO("estimate index pos:%" PRId64, pos);

    packed_time S = 0;
    if (const int rc = seek_entry_time(slot, pos, &S); rc < 0)
        return rc;
    VEKFS_INFO("estimate index in buf pos:%" PRId64, pos - slot.page_first);

    // n0: the highest number in [E, O] whose time is at least L (the first key
    // frame at or after the time), or -1 when every key frame is earlier.
    int64_t n0 = -1;
    packed_time t = S;
    if (S < L) {
        // Towards later key frames, to the first one at or after L.
        while (pos > E) {
            if (slot.overwritten == 1) {
                VEKFS_ERR("data had already recovered");
                return VEKFS_ERR_OVERWRITTEN;
            }
            pos--;
            if (const int rc = seek_entry_time(slot, pos, &t); rc < 0)
                return rc;
            if (t >= L) {
                n0 = pos;
                break;
            }
        }
    } else {
        // Towards earlier key frames, while the earlier one is still at or after L.
        while (pos < O) {
            if (slot.overwritten == 1) {
                VEKFS_ERR("data had already recovered");
                return VEKFS_ERR_OVERWRITTEN;
            }
            packed_time earlier = 0;
            if (const int rc = seek_entry_time(slot, pos + 1, &earlier); rc < 0)
                return rc;
            if (earlier < L)
                break;
            pos++;
            t = earlier;
        }
        n0 = pos;
    }

    // Direction 0 seeks forward, any other backward (the recording access
    // library always passes 0).
    if (direction == 0) {
        // The first key frame at or after the time; none after the event's last.
        if (n0 < 0) {
            VEKFS_ERR("no key frame at or after the seek time");
            return VEKFS_ERR_FAIL;
        }
        pos = n0;
    } else if (n0 < 0) {
        pos = E;  // every key frame is earlier: the last one
    } else if (t == L || n0 == O) {
        pos = n0;  // a key frame exactly at the time, or none before it
    } else {
        pos = n0 + 1;  // the last key frame before the time
    }

    if (const int rc = seek_page(slot, pos); rc < 0)
        return rc;
    const kframe_entry entry = page_entry(slot, pos);
    slot.data_start = event.data_start;
    slot.data_length = event.data_length;
    if (data_end(slot) > kDataFileSize || !offset_in_event(slot, entry.offset)) {
        VEKFS_ERR("write data err");
        return VEKFS_ERR_FAIL;
    }
    slot.pos = entry.offset;
    slot.cur_kframe = pos;
    slot.high_kframe = O;
    slot.low_kframe = E;
    slot.sought = true;
    return VEKFS_OK;
}

int Reader::read_data(reader_slot& slot, void* buffer, int length, int* first_offset) {
    if (!slot.sought) {
        // Only a seek that found the event overwritten leaves this flag set.
        if (slot.overwritten == 1) {
            VEKFS_ERR("data had already recovered");
            return VEKFS_ERR_OVERWRITTEN;
        }
        VEKFS_INFO("chn%d**********read data end***********", slot.channel);
        return 0;
    }
    const uint64_t end = data_end(slot);
    if (slot.pos >= end) {
        VEKFS_INFO("chn%d**********read data end***********", slot.channel);
        return 0;
    }
    if (length < 0 || length % kReadAlign != 0) {
        VEKFS_ERR("err");
        return VEKFS_ERR_ALIGN;
    }
    if (length == 0) {
        // Nothing asked for: the position (and where its key frame lies) stays.
        *first_offset = 0;
        VEKFS_INFO("data is zero");
        return 0;
    }

    *first_offset = static_cast<int>(slot.pos % kReadAlign);
    slot.pos -= slot.pos % kReadAlign;
    const auto count = static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(length), end - slot.pos));

    // Only the sectors that hold the bytes returned: an event that ends near the
    // end of the device must not fail for the bytes after it.
    const int sectors = static_cast<int>((static_cast<uint32_t>(count) + platform::kSectorSize - 1) /
                                         platform::kSectorSize * platform::kSectorSize);
    const int rc = pc_read_data(slot.iframe_hHDD.get(), buffer, slot.file_base + slot.pos, sectors);
    if (rc == kSectorErrSeek) {
        VEKFS_ERR("set file point err!");
        return VEKFS_ERR_FAIL;
    }
    if (rc < 0) {
        VEKFS_ERR("read_err%s", slot.iframe_hHDD ? slot.iframe_hHDD->LastError().c_str() : "");
        VEKFS_ERR("read data err%u, %d", slot.pos, count);
        return VEKFS_ERR_READ;
    }

    VEKFS_INFO("read_data_from:%u, read_data_len:%d", slot.pos, count);
    slot.pos += static_cast<uint32_t>(count);
    if (slot.overwritten == 1) {
        VEKFS_ERR("data had already recovered");
        return VEKFS_ERR_OVERWRITTEN;
    }
    return count;
}

int Reader::step_kframe(reader_slot& slot, void* buffer, int length, int* first_offset, int step) {
    if (buffer == nullptr || first_offset == nullptr) {
        VEKFS_ERR("para err!");
        return VEKFS_ERR_NULL_PARAM;
    }
    if (!slot.sought) {
        if (slot.overwritten == 1) {
            VEKFS_ERR("data had already recovered");
            return VEKFS_ERR_OVERWRITTEN;
        }
        VEKFS_INFO("chn%d has no key frame position", slot.channel);
        return 0;
    }

    slot.cur_kframe -= step;
    const char* name = step > 0 ? "next" : step < 0 ? "prev" : "cur";
    VEKFS_INFO("%s_index_nu=%" PRId64 ", buf_index=(%u, %u)", name, slot.cur_kframe, slot.page_first,
               slot.page_first + slot.page_count);
    if (slot.cur_kframe < slot.low_kframe || slot.cur_kframe > slot.high_kframe) {
        VEKFS_INFO("chn%d read kf end!", slot.channel);
        return 0;
    }

    if (!page_holds(slot, slot.cur_kframe)) {
        const int rc = load_page(slot, slot.cur_kframe);
        if (rc == kSectorErrSeek) {
            VEKFS_ERR("set file point err!");
            return VEKFS_ERR_FAIL;
        }
        if (rc < 0) {
            VEKFS_ERR("read err");
            return VEKFS_ERR_KFRAME_READ;
        }
    }

    // The position moves only to a key frame inside the event's data.
    const kframe_entry entry = page_entry(slot, slot.cur_kframe);
    if (!offset_in_event(slot, entry.offset)) {
        VEKFS_ERR("write data err");
        return VEKFS_ERR_FAIL;
    }
    slot.pos = entry.offset;

    const int rc = read_data(slot, buffer, length, first_offset);
    if (rc < 0) {
        VEKFS_ERR("read data err!");
        return rc;
    }
    if (rc > 0 && dumps_on()) {
        const auto from = static_cast<size_t>(*first_offset);
        dump_frame_headers(static_cast<const uint8_t*>(buffer), from,
                           std::min(from + media::kFrameHeaderSize, static_cast<size_t>(rc)));
    }
    return rc;
}

}  // namespace vekfs
