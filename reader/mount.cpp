// reader/mount.cpp
//
// Mounting and removing disks, and recovering a partition's index from its
// spare copies when the working copy cannot be read.
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "reader/diag.h"
#include "reader/disk_param_io.h"
#include "reader/reader.h"
#include "reader/sector_io.h"

namespace vekfs {

namespace {

constexpr size_t kCopyChunk = 512 * 1024;
// Each recovery drops one valid copy, so a partition recovers at most twice;
// the bound only guards the loop.
constexpr int kMaxIndexAttempts = kIndexCopies + 1;

}  // namespace

int Reader::add_disk(int disk_number, const char* path) {
    if (disk_number < 0 || disk_number >= kMaxDisks) {
        VEKFS_ERR("hdd num > max hdd num");
        return VEKFS_ERR_RANGE;
    }
    if (path == nullptr) {
        VEKFS_ERR("param which input is err");
        return VEKFS_ERR_NULL_PARAM;
    }
    const std::string devicePath(path);

    disk_param block;
    int ret = get_disk_param(profile_, devicePath, &block);
    if (ret == 0)
        ret = valid_vekfs_format_disk(profile_, block);
    if (ret != 0) {
        VEKFS_ERR("ret = %d", ret);
        return ret;
    }

    if (block.channels < static_cast<uint32_t>(maxChannels_)) {
        VEKFS_ERR("Warning disk %s only support %d channels!", path, static_cast<int>(block.channels));
        block.few_channels = 1;
        block.disk_state = 2;
    }
    if (block.fs_type == 3 && profile_.announcesRawDisk)
        VEKFS_INFO("add raw disk now!");
    if (block.fs_type > 3) {
        VEKFS_ERR("disk param err not support fs type now!");
        return VEKFS_ERR_FAIL;
    }

    std::unique_ptr<disk_info_t> disk(new (std::nothrow) disk_info_t);
    if (!disk) {
        VEKFS_ERR("new disk_info_t failed");
        return VEKFS_ERR_NO_MEMORY;
    }

    uint16_t largest = 0;
    for (int p = 0; p < block.part_count; p++) {
        part_info& part = disk->parts[static_cast<size_t>(p)];
        ret = repair_record(p, &block, &part, devicePath);
        if (ret != 0) {
            VEKFS_ERR("add disk repair record:%s part:%d failed! ret=%d", path, p, ret);
            part.state = 2;
        } else {
            largest = std::max(largest, part.file_count);
            VEKFS_INFO("add disk repair record:%s part:%d sucess!", path, p);
        }
    }

    uint32_t free_files = 0;
    for (int p = 0; p < block.part_count; p++)
        free_files += disk->parts[static_cast<size_t>(p)].free_count;
    VEKFS_INFO("disk%d free size=%uMB", disk_number, free_files * 256u);

    disk->number = disk_number;
    disk->param = block;
    disk->path = devicePath;

    std::lock_guard<std::mutex> guard(lock_);
    // Mounting a number that is already mounted replaces its record.
    if (!disks_[static_cast<size_t>(disk_number)])
        mountedCount_++;
    disks_[static_cast<size_t>(disk_number)] = std::move(disk);
    largestFileCount_ = std::max(largestFileCount_, largest);
    return VEKFS_OK;
}

int Reader::remove_disk(int disk_number) {
    std::lock_guard<std::mutex> guard(lock_);
    if (disk_number < 0 || disk_number >= kMaxDisks || !disks_[static_cast<size_t>(disk_number)]) {
        VEKFS_INFO("disk %d not added", disk_number);
        return VEKFS_OK;
    }
    disks_[static_cast<size_t>(disk_number)].reset();
    mountedCount_--;
    recount_largest_file_count();
    return VEKFS_OK;
}

// Caller holds lock_.
void Reader::recount_largest_file_count() {
    uint16_t largest = 0;
    for (const auto& d : disks_) {
        if (!d)
            continue;
        for (int p = 0; p < d->param.part_count && p < kMaxPartitions; p++)
            largest = std::max(largest, d->parts[static_cast<size_t>(p)].file_count);
    }
    largestFileCount_ = largest;
}

int Reader::repair_record(int partition, disk_param* block, part_info* out, const std::string& path) {
    auto device = open_disk(profile_, path);
    if (!device)
        return VEKFS_ERR_FAIL;
    const FormatTraits& f = profile_.format;

    for (int attempt = 0; attempt < kMaxIndexAttempts; attempt++) {
        const int copy = get_disk_working_index(*block, partition, 1);
        if (copy < 0) {
            VEKFS_ERR("can't find valid index!");
            return VEKFS_ERR_FAIL;
        }
        const uint64_t at =
            index_copy_offset(block->part_start[static_cast<size_t>(partition)], block->copy_size, copy);
        uint8_t bytes[kPartInfoSize];
        const int rc = pc_read_data(device.get(), bytes, at, kPartInfoSize);
        if (rc == kSectorErrSeek) {
            VEKFS_ERR("set file point failed");
            return VEKFS_ERR_FAIL;
        }
        if (rc < 0) {
            VEKFS_ERR("read file %s failed ret=%d", path.c_str(), rc);
            if (dealwith_index_error(block, partition, device.get(), path) != 0)
                return VEKFS_ERR_FAIL;
            continue;
        }
        *out = decode_part_info(bytes);
        if (out->magic != kMagicPart) {
            VEKFS_ERR("part info magic %#x err", out->magic);
            if (dealwith_index_error(block, partition, device.get(), path) != 0)
                return VEKFS_ERR_FAIL;
            continue;
        }
        // The file table and the event blocks of every file must lie inside the
        // copy; a count that says otherwise would send every search past it.
        const uint64_t table_end = block->file_table_offset + uint64_t{out->file_count} * f.fileInfoSize;
        const uint64_t events_end = block->event_area_offset + uint64_t{out->file_count} * f.EventBlockSize();
        if (table_end > block->copy_size || events_end > block->copy_size) {
            VEKFS_ERR("part info file count %d err", out->file_count);
            return VEKFS_ERR_FAIL;
        }
        if (out->free_count > out->file_count) {
            VEKFS_ERR("part info free count %d err", out->free_count);
            out->free_count = out->file_count;
        }
        if (out->state < 2 && out->repair_flag == 1)
            return repair_partition(block, out, path, device.get(), partition);
        return VEKFS_OK;
    }
    VEKFS_ERR("can't find valid index!");
    return VEKFS_ERR_FAIL;
}

int Reader::dealwith_index_error(disk_param* block,
                                 int partition,
                                 platform::RawDevice* device,
                                 const std::string& path) {
    VEKFS_INFO("deal with index error start");
    if (device == nullptr) {
        VEKFS_ERR("invalid fd!");
        return VEKFS_ERR_FAIL;
    }
    if (partition < 0 || partition >= kMaxPartitions) {
        VEKFS_ERR("invalid param!");
        return VEKFS_ERR_FAIL;
    }
    const size_t p = static_cast<size_t>(partition);

    int valid[kIndexCopies];
    int found = 0;
    for (int copy = 0; copy < kIndexCopies; copy++)
        if (block->valid_bits[p] & (1u << copy))
            valid[found++] = copy;
    if (found < 3) {
        VEKFS_ERR("all index file is err!");
        return VEKFS_ERR_FAIL;
    }
    const int failing = valid[0];
    const int source = valid[1];
    const int spare = valid[2];

    // Drop the failing copy on the disk. The block written is the one on the disk
    // with only that bit cleared: the mount's in-memory changes (disk state 2 and
    // the word at +36 for a disk formatted for fewer channels) are not the
    // recorder's to keep.
    disk_param on_disk;
    int ret = get_disk_param(profile_, path, &on_disk);
    if (ret == 0)
        ret = valid_vekfs_format_disk(profile_, on_disk);
    if (ret == 0) {
        on_disk.valid_bits[p] = static_cast<uint8_t>(on_disk.valid_bits[p] & ~(1u << failing));
        ret = set_disk_param(profile_, path, &on_disk);
    }
    if (ret != 0) {
        VEKFS_ERR("ret = %d", ret);
        return ret;
    }
    block->valid_bits[p] = static_cast<uint8_t>(block->valid_bits[p] & ~(1u << failing));

    std::unique_ptr<uint8_t[]> chunk(new (std::nothrow) uint8_t[kCopyChunk]);
    if (!chunk) {
        VEKFS_ERR("mem align failed");
        return VEKFS_ERR_FAIL;
    }
    const uint64_t start = block->part_start[p];
    const uint64_t from = index_copy_offset(start, block->copy_size, source);
    const uint64_t to = index_copy_offset(start, block->copy_size, spare);
    uint64_t done = 0;
    while (done < block->copy_size) {
        const uint64_t left = block->copy_size - done;
        const int n = static_cast<int>(std::min<uint64_t>(left, kCopyChunk));
        const bool remainder = left < kCopyChunk;
        const int rc = pc_read_data(device, chunk.get(), from + done, n);
        if (rc == kSectorErrSeek) {
            VEKFS_ERR(remainder ? "read seek file err!" : "set file pointer err!");
            return VEKFS_ERR_FAIL;
        }
        if (rc < 0) {
            VEKFS_ERR("read file err!");
            return VEKFS_ERR_FAIL;
        }
        // A failed write leaves a stale spare; reads keep using the working copy,
        // so the mount goes on, but the failure is reported.
        const int wrc = pc_write_data(device, chunk.get(), to + done, n);
        if (wrc < 0)
            VEKFS_ERR("write file err! copy%d offset %llu ret=%d", spare,
                      static_cast<unsigned long long>(done), wrc);
        done += static_cast<uint64_t>(n);
    }
    VEKFS_INFO("deal with index error sucess");
    return VEKFS_OK;
}

}  // namespace vekfs
