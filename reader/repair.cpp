// reader/repair.cpp
//
// Closing, on the disk itself, the files and events a power loss left open.
//
// A recorder that loses power leaves, per channel, its last data file marked as
// being written (end sequence 0xFFFFFFFF) and that file's last event marked
// "EvWr", with its end time, data length and index end never stored. The
// key-frame index the recorder wrote as it went still tells where the event
// ends: its entries grow downward from the event's index start, and the entry
// just below the last one written carries the marker "Iend". Mounting a
// partition whose record carries the repair flag closes those files and events
// from it and clears the flag.
//
// The disk is evidence to its owner, so the repair writes only the records it
// rebuilds (event record, file entry, partition record), each to the working
// index copy and then the mirror, and the file entry also at byte 0 of its data
// file. Every value read from the disk is checked before it is used as a count,
// an offset or a length; a file whose records cannot be trusted is left exactly
// as it is, with an error line. A failed write is reported and the mount goes on
// (reads use the working copy).
#include <algorithm>
#include <array>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "reader/diag.h"
#include "reader/disk_param_io.h"
#include "reader/reader.h"
#include "reader/sector_io.h"

// Error lines of the repair carry its public name, whichever helper prints them.
#define REPAIR_ERR(...) ::vekfs::DiagError("repair_partition", __LINE__, __VA_ARGS__)

namespace vekfs {

namespace {

constexpr uint32_t kWindowSize = 8 * 1024;  // one read of the key-frame index
constexpr int kMaxWindows = 65;             // 33,280 entries below the index start
// Each index recovery drops one valid copy, so at most two can happen; the
// bound only guards the loops.
constexpr int kMaxIndexAttempts = kIndexCopies + 1;

struct LastKframe {
    uint32_t at = 0;  // file offset of the entry
    kframe_entry entry;
};

enum class Scan { Failed, NotFound, Found };

class PartitionRepair {
  public:
    PartitionRepair(Reader& reader,
                    disk_param& block,
                    part_info& part,
                    const std::string& path,
                    platform::RawDevice* device,
                    int partition)
        : reader_(reader),
          f_(reader.format()),
          block_(block),
          part_(part),
          path_(path),
          device_(device),
          partition_(partition),
          partStart_(block.part_start[static_cast<size_t>(partition)]) {}

    int Run();

  private:
    bool LayoutSound() const;
    int ReadTable();
    void CountEntries();
    int BuildChannelLists();
    int RepairChannel(int channel, uint32_t position);
    Scan FindLastKframe(uint64_t file_base, uint32_t index_start, LastKframe* out);
    int ReadWindow(uint64_t at, uint32_t length);
    int WritePartInfo();

    // Reads from the working copy; a failing read recovers the index from a
    // spare copy and tries again with the new working copy. `what` names the
    // record in the read-failure line ("read <what> failed").
    int ReadIndex(uint64_t in_copy, uint8_t* out, size_t length, const std::string& what);
    // Writes to the working copy, then the mirror. -1 only when the partition
    // has no working copy; failed writes are reported and do not stop the repair.
    int WriteIndex(uint64_t in_copy, const uint8_t* data, size_t length, const char* what);
    int WriteData(uint64_t at, const uint8_t* data, size_t length, const char* what);

    bool Counted(const file_info& e) const {
        return e.magic == kMagicFile && (e.state == kFileClosed || e.state == kFileWriting);
    }
    uint32_t Channels() const { return std::min<uint32_t>(block_.channels, kMaxRecChannels); }

    Reader& reader_;
    const FormatTraits& f_;
    disk_param& block_;
    part_info& part_;
    const std::string& path_;
    platform::RawDevice* device_;
    const int partition_;
    const uint64_t partStart_;

    std::vector<uint8_t> table_;                // the file table as read (and as rewritten)
    std::vector<file_info> entries_;            // decoded, by position
    std::vector<std::vector<uint16_t>> lists_;  // per channel: file numbers by end sequence
    std::vector<uint8_t> events_;               // one event block
    std::array<uint8_t, kWindowSize> window_{};
    uint32_t maxSequence_ = 0;  // highest end sequence handed out so far
};

int PartitionRepair::Run() {
    if (!LayoutSound())
        return VEKFS_ERR_FAIL;

    // 1. the whole file table
    if (int rc = ReadTable(); rc != 0)
        return rc;

    // 2. free entries and end sequence numbers
    CountEntries();

    // 3. per channel, its files ordered by end sequence (an open one sorts last)
    if (int rc = BuildChannelLists(); rc != 0)
        return rc;

    try {
        events_.assign(f_.EventBlockSize(), 0);
    } catch (const std::bad_alloc&) {
        REPAIR_ERR("pevent info malloc failed");
        return VEKFS_ERR_FAIL;
    }

    // 4. each channel's last file, when the recorder left it open
    for (uint32_t ch = 0; ch < lists_.size(); ch++) {
        const std::vector<uint16_t>& list = lists_[ch];
        if (list.empty())
            continue;
        const uint16_t number = list.back();
        const file_info& last = entries_[number - 1u];
        VEKFS_INFO("chn%d repair last file%d, eseq=%u, num=%d", static_cast<int>(ch), number,
                   last.end_sequence, static_cast<int>(list.size()));
        if (last.end_sequence != kOpenEndSequence)
            continue;
        if (int rc = RepairChannel(static_cast<int>(ch), number - 1u); rc != 0)
            return rc;
    }

    // 5. the partition record
    return WritePartInfo();
}

// The file table and every file's event block must lie inside one index copy;
// nothing is read or written otherwise.
bool PartitionRepair::LayoutSound() const {
    const uint64_t count = part_.file_count;
    const uint64_t tableEnd = uint64_t{block_.file_table_offset} + count * f_.fileInfoSize;
    const uint64_t eventsEnd = uint64_t{block_.event_area_offset} + count * f_.EventBlockSize();
    if (block_.file_table_offset < kPartInfoSize || block_.event_area_offset < kPartInfoSize ||
        tableEnd > block_.copy_size || eventsEnd > block_.copy_size) {
        REPAIR_ERR("part info file count %d err", part_.file_count);
        return false;
    }
    return true;
}

int PartitionRepair::ReadTable() {
    const size_t bytes = size_t{part_.file_count} * f_.fileInfoSize;
    try {
        table_.assign(bytes, 0);
        entries_.resize(part_.file_count);
    } catch (const std::bad_alloc&) {
        REPAIR_ERR("file info malloc failed");
        return VEKFS_ERR_FAIL;
    }
    if (ReadIndex(block_.file_table_offset, table_.data(), bytes, "file info") != 0)
        return VEKFS_ERR_FAIL;
    for (size_t j = 0; j < entries_.size(); j++)
        entries_[j] = decode_file_info(table_.data() + j * f_.fileInfoSize, f_);
    return VEKFS_OK;
}

void PartitionRepair::CountEntries() {
    uint16_t freeCount = 0;
    uint32_t minSequence = 0;
    for (const file_info& e : entries_) {
        if (e.magic == kMagicFile && e.state == kFileFree)
            freeCount++;
        if (!Counted(e))
            continue;
        if (e.end_sequence != kOpenEndSequence)
            maxSequence_ = std::max(maxSequence_, e.end_sequence);
        if (e.end_sequence != 0 && (minSequence == 0 || e.end_sequence < minSequence))
            minSequence = e.end_sequence;
    }
    part_.free_count = freeCount;
    VEKFS_INFO("min end_sequence=%u, max end_sequence=%u", minSequence, maxSequence_);
}

int PartitionRepair::BuildChannelLists() {
    const uint32_t channels = Channels();
    std::vector<size_t> sizes(channels, 0);
    for (const file_info& e : entries_)
        if (Counted(e) && e.channel < channels)
            sizes[e.channel]++;

    lists_.resize(channels);
    for (uint32_t ch = 0; ch < channels; ch++) {
        try {
            lists_[ch].reserve(sizes[ch]);
        } catch (const std::bad_alloc&) {
            REPAIR_ERR("set[%d] malloc failed", static_cast<int>(ch));
            return VEKFS_ERR_FAIL;
        }
    }
    for (size_t j = 0; j < entries_.size(); j++) {
        const file_info& e = entries_[j];
        if (Counted(e) && e.channel < channels)
            lists_[e.channel].push_back(static_cast<uint16_t>(j + 1));
    }

    // Selection sort: for each place the smallest remaining end sequence (the
    // first of equals) is swapped in. It is not stable, and which of two open
    // files of a channel ends up last (and is repaired) depends on exactly this
    // order, so no other sort will do.
    std::vector<uint32_t> sequences;
    for (std::vector<uint16_t>& list : lists_) {
        try {
            sequences.resize(list.size());
        } catch (const std::bad_alloc&) {
            REPAIR_ERR("set[%d] malloc failed", static_cast<int>(&list - lists_.data()));
            return VEKFS_ERR_FAIL;
        }
        for (size_t i = 0; i < list.size(); i++)
            sequences[i] = entries_[list[i] - 1u].end_sequence;
        for (size_t i = 0; i + 1 < list.size(); i++) {
            size_t smallest = i;
            for (size_t k = i + 1; k < list.size(); k++)
                if (sequences[k] < sequences[smallest])
                    smallest = k;
            std::swap(list[i], list[smallest]);
            std::swap(sequences[i], sequences[smallest]);
        }
    }
    return VEKFS_OK;
}

int PartitionRepair::RepairChannel(int ch, uint32_t position) {
    const uint32_t number = position + 1;
    const file_info& entry = entries_[position];
    const size_t eventSize = f_.eventSize;

    // Values a sound recorder never leaves: the file is left untouched.
    if (entry.number != number) {
        REPAIR_ERR("chn%d file%u number %d err, file not repaired", ch, number, entry.number);
        return VEKFS_OK;
    }
    if (entry.event_count > kEventsPerBlock) {
        REPAIR_ERR("chn%d file%u event count %d err, file not repaired", ch, number, entry.event_count);
        return VEKFS_OK;
    }
    if (maxSequence_ + 1 >= kOpenEndSequence) {
        // The next number would read as "still being written".
        REPAIR_ERR("chn%d file%u no end_sequence left after %u, file not repaired", ch, number, maxSequence_);
        return VEKFS_OK;
    }

    // a. the file's event block
    char what[48];
    std::snprintf(what, sizeof what, "chn%d pevent info", ch);
    if (ReadIndex(event_block_offset(block_, f_, number), events_.data(), events_.size(), what) != 0)
        return VEKFS_ERR_FAIL;
    auto slotBytes = [&](int slot) { return events_.data() + static_cast<size_t>(slot) * eventSize; };

    // b. the first slot being written or never used
    int slot = -1;
    for (int s = 0; s < kEventsPerBlock; s++) {
        const uint32_t magic = platform::GetU32(slotBytes(s));
        if (magic == kMagicEventWriting || magic == 0) {
            slot = s;
            break;
        }
    }
    const bool writing = slot >= 0 && platform::GetU32(slotBytes(slot)) == kMagicEventWriting;

    int count = 0;
    if (!writing) {
        count = slot < 0 ? kEventsPerBlock : slot;
        VEKFS_INFO("chn%d repair last pevent%d is ok", ch, count);
    } else {
        // c. the event being written: find its last key-frame entry
        VEKFS_INFO("chn%d repair begin", ch);
        pevent_info ev = decode_pevent_info(slotBytes(slot), f_);
        count = slot + 1;
        if (ev.index_start % kKframeEntrySize != 0 || ev.index_start < kKframeEntrySize ||
            ev.index_start > kDataFileSize || ev.index_start <= ev.data_start) {
            REPAIR_ERR("chn%d pevent%d index start %#x data start %#x err, file%u not repaired", ch, count,
                       ev.index_start, ev.data_start, number);
            return VEKFS_OK;
        }
        if (ev.number != count) {
            REPAIR_ERR("chn%d Warning pevent nr conflict!!!", ch);
            ev.number = static_cast<uint16_t>(count);
        }
        VEKFS_INFO("chn%d repair pevent%d", ch, count);

        LastKframe last;
        const Scan scan = FindLastKframe(data_file_offset(partStart_, position), ev.index_start, &last);
        if (scan == Scan::Failed)
            return VEKFS_ERR_FAIL;
        if (scan == Scan::Found) {
            // d. close the event at its last key frame
            const uint64_t dataEnd = uint64_t{last.entry.offset} + last.entry.length;
            if (dataEnd < ev.data_start || dataEnd > kDataFileSize) {
                REPAIR_ERR(
                    "chn%d pevent%d last iframe offset %#x len %#x data start %#x err, file%u not repaired",
                    ch, count, last.entry.offset, last.entry.length, ev.data_start, number);
                return VEKFS_OK;
            }
            ev.magic = kMagicEvent;
            ev.end = last.entry.time;
            ev.data_length = static_cast<uint32_t>(dataEnd - ev.data_start);
            ev.index_end = last.at;
            ev.skip = 0;
        } else {
            // no key frame of its own: the event is dropped
            ev.magic = 0;
            count--;
        }
        encode_pevent_info(ev, f_, slotBytes(slot));
    }

    // e. the file entry, closed
    file_info closed = entry;
    closed.state = kFileClosed;
    closed.event_count = static_cast<uint16_t>(count);
    closed.end_sequence = maxSequence_ + 1;
    if (count > 0) {
        // An open file with no event keeps the ends it has.
        const pevent_info lastEvent = decode_pevent_info(slotBytes(count - 1), f_);
        const uint64_t dataEnd = uint64_t{lastEvent.data_start} + lastEvent.data_length;
        if (dataEnd > kDataFileSize) {
            REPAIR_ERR("chn%d pevent%d data start %#x len %#x err, file%u not repaired", ch, count,
                       lastEvent.data_start, lastEvent.data_length, number);
            return VEKFS_OK;
        }
        closed.data_end = static_cast<uint32_t>(dataEnd);
        closed.index_end = lastEvent.index_end;
    }
    closed.day_bitmap.fill(0);
    closed.start = 0;
    closed.end = 0;
    for (int s = 0; s < count; s++) {
        const pevent_info ev = decode_pevent_info(slotBytes(s), f_);
        if (ev.magic != kMagicEvent || ev.skip == 1)
            continue;
        if (ev.start != 0 && (closed.start == 0 || ev.start < closed.start))
            closed.start = ev.start;
        closed.end = std::max(closed.end, ev.end);
        const uint32_t day = unpack_time(ev.start).day;
        if (day == 0)
            continue;  // no day to mark
        for (int k = 0; k < f_.dayBitmapWords; k++)
            if (ev.type_bits & (1u << k))
                closed.day_bitmap[static_cast<size_t>(k)] |= 1u << (day - 1);
    }

    // Everything is checked: write.
    if (writing) {
        std::snprintf(what, sizeof what, "chn%d pevent%d", ch, slot + 1);
        const uint64_t at = event_block_offset(block_, f_, number) + static_cast<uint64_t>(slot) * eventSize;
        if (WriteIndex(at, slotBytes(slot), eventSize, what) != 0)
            return VEKFS_ERR_FAIL;
    }
    maxSequence_++;
    entries_[position] = closed;
    uint8_t* entryBytes = table_.data() + size_t{position} * f_.fileInfoSize;
    encode_file_info(closed, f_, entryBytes);
    std::snprintf(what, sizeof what, "chn%d file%u", ch, number);
    if (WriteIndex(block_.file_table_offset + uint64_t{position} * f_.fileInfoSize, entryBytes,
                   f_.fileInfoSize, what) != 0)
        return VEKFS_ERR_FAIL;
    WriteData(data_file_offset(partStart_, position), entryBytes, f_.fileInfoSize, what);

    VEKFS_INFO("chn%d repair success", ch);
    return VEKFS_OK;
}

// Walks the key-frame index down from `index_start` in 8 KB windows, testing
// each window's entries from the highest down for "Iend"; the last entry the
// recorder wrote is the one just above the marker.
Scan PartitionRepair::FindLastKframe(uint64_t file_base, uint32_t index_start, LastKframe* out) {
    const uint32_t first = index_start - static_cast<uint32_t>(kKframeEntrySize);  // the event's first entry
    for (int k = 1; k <= kMaxWindows; k++) {
        const uint64_t below = static_cast<uint64_t>(k - 1) * kWindowSize;
        if (below >= index_start)
            break;  // the index reached byte 0 of the file
        const uint32_t hi = index_start - static_cast<uint32_t>(below);
        const uint32_t lo = hi > kWindowSize ? hi - kWindowSize : 0;
        if (ReadWindow(file_base + lo, hi - lo) != 0)
            return Scan::Failed;

        for (uint32_t at = hi - static_cast<uint32_t>(kKframeEntrySize);;
             at -= static_cast<uint32_t>(kKframeEntrySize)) {
            const kframe_entry e = decode_kframe_entry(window_.data() + (at - lo));
            if (e.marker == kMagicIend) {
                if (at == first) {
                    REPAIR_ERR("this is impossible,bad luck!");
                    return Scan::NotFound;
                }
                out->at = at + static_cast<uint32_t>(kKframeEntrySize);
                if (out->at < hi) {
                    out->entry = decode_kframe_entry(window_.data() + (out->at - lo));
                } else {
                    // The marker tops its window: the last entry is the lowest of
                    // the window before, which is read again.
                    if (ReadWindow(file_base + hi, kWindowSize) != 0)
                        return Scan::Failed;
                    out->entry = decode_kframe_entry(window_.data());
                }
                return Scan::Found;
            }
            if (at - lo < kKframeEntrySize)
                break;
        }
        if (lo == 0)
            break;
    }
    REPAIR_ERR("can't find last iframe");
    return Scan::NotFound;
}

int PartitionRepair::ReadWindow(uint64_t at, uint32_t length) {
    const int rc = pc_read_data(device_, window_.data(), at, static_cast<int>(length));
    if (rc == kSectorErrSeek) {
        REPAIR_ERR("set file point err!");
        return VEKFS_ERR_FAIL;
    }
    if (rc < 0) {
        REPAIR_ERR("read iframe failed");
        return VEKFS_ERR_FAIL;
    }
    return VEKFS_OK;
}

int PartitionRepair::WritePartInfo() {
    const uint32_t channels = Channels();
    packed_time start = 0;
    packed_time end = 0;
    for (const file_info& e : entries_) {
        if (!Counted(e) || e.channel >= channels)
            continue;
        if (e.start != 0 && (start == 0 || e.start < start))
            start = e.start;
        end = std::max(end, e.end);
    }
    part_.type0_start = start;
    part_.type0_end = end;
    part_.repair_flag = 0;
    uint8_t bytes[kPartInfoSize];
    encode_part_info(part_, bytes);
    part_.raw = std::to_array(bytes);
    if (WriteIndex(0, bytes, kPartInfoSize, "part info") != 0)
        return VEKFS_ERR_FAIL;
    return VEKFS_OK;
}

int PartitionRepair::ReadIndex(uint64_t in_copy, uint8_t* out, size_t length, const std::string& what) {
    for (int attempt = 0; attempt < kMaxIndexAttempts; attempt++) {
        const int copy = get_disk_working_index(block_, partition_, 1);
        if (copy < 0) {
            REPAIR_ERR("can't find valid index!");
            return VEKFS_ERR_FAIL;
        }
        const uint64_t at = index_copy_offset(partStart_, block_.copy_size, copy) + in_copy;
        const int rc = pc_read_data(device_, out, at, static_cast<int>(length));
        if (rc == kSectorErrSeek) {
            REPAIR_ERR("set file point err!");
            return VEKFS_ERR_FAIL;
        }
        if (rc >= 0)
            return VEKFS_OK;
        REPAIR_ERR("read %s failed", what.c_str());
        if (reader_.dealwith_index_error(&block_, partition_, device_, path_) != 0)
            return VEKFS_ERR_FAIL;
    }
    REPAIR_ERR("can't find valid index!");
    return VEKFS_ERR_FAIL;
}

int PartitionRepair::WriteIndex(uint64_t in_copy, const uint8_t* data, size_t length, const char* what) {
    const int working = get_disk_working_index(block_, partition_, 1);
    const int mirror = get_disk_working_index(block_, partition_, 0);
    if (working < 0 || mirror < 0) {
        REPAIR_ERR("can't find valid index!");
        return VEKFS_ERR_FAIL;
    }
    for (const int copy : {working, mirror}) {
        const uint64_t at = index_copy_offset(partStart_, block_.copy_size, copy) + in_copy;
        const int rc = pc_write_data(device_, data, at, static_cast<int>(length));
        if (rc < 0)
            REPAIR_ERR("write %s to index%d failed ret=%d", what, copy, rc);
    }
    return VEKFS_OK;
}

int PartitionRepair::WriteData(uint64_t at, const uint8_t* data, size_t length, const char* what) {
    const int rc = pc_write_data(device_, data, at, static_cast<int>(length));
    if (rc < 0) {
        REPAIR_ERR("write %s to data area failed ret=%d", what, rc);
        return rc;
    }
    return VEKFS_OK;
}

}  // namespace

int Reader::repair_partition(disk_param* block,
                             part_info* part,
                             const std::string& path,
                             platform::RawDevice* device,
                             int partition) {
    if (block == nullptr || part == nullptr || device == nullptr || partition < 0 ||
        partition >= kMaxPartitions || partition >= block->part_count) {
        REPAIR_ERR("invalid param!");
        return VEKFS_ERR_FAIL;
    }
    PartitionRepair repair(*this, *block, *part, path, device, partition);
    return repair.Run();
}

}  // namespace vekfs
