// vkfs/dvrfs/mount.cpp
//
// Mounting and removing disks. A disk is taken when one of its sectors 0..1024
// starts with the format magic (that sector is the partition offset), its
// format block is version 1 with sound geometry words and matches the
// reference disk's block size and data alignment, its stat block and data
// info header read, and every channel's month index loads into the sector
// cache. A disk whose group word is the library's disk group becomes the
// reference once it has mounted.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/le_bytes.h"

#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/log.h"
#include "vkfs/dvrfs/raw_disk.h"
#include "vkfs/dvrfs_entry.h"

namespace vkfs::dvrfs {

namespace {

constexpr uint32_t kScanChunk = 32;  // sectors read at a time while looking for the magic

// The partition offset: the first sector 0..1024 that starts with the magic.
int FindPartition(int rawId, const std::string& path, uint32_t* offset) {
    const uint64_t size = RawSizeSectors(rawId);
    std::vector<uint8_t> chunk(kScanChunk * kSectorBytes);
    for (uint64_t s = 0; s <= kLastMagicSector && s < size; s += kScanChunk) {
        const uint64_t left = std::min<uint64_t>(kLastMagicSector + 1 - s, size - s);
        const auto count = static_cast<uint32_t>(std::min<uint64_t>(kScanChunk, left));
        const int rc = dvrfs_raw_read(rawId, s, count, chunk.data());
        if (rc < 0) {
            Log("disk: %s format info read failed!", path.c_str());
            return rc;
        }
        for (uint32_t i = 0; i < count; i++) {
            if (platform::GetU32(chunk.data() + static_cast<size_t>(i) * kSectorBytes) == kFormatMagic) {
                *offset = static_cast<uint32_t>(s + i);
                Print("*** 1st partition offset = %d", static_cast<int>(*offset));
                return kOk;
            }
        }
    }
    Log("invalid hdd");
    return kFail;
}

int CheckFormat(const Library& lib, const Disk& disk) {
    const FormatInfo& f = disk.format;
    const char* why = nullptr;
    if (f.magic != kFormatMagic)
        why = "add_disk failed, format is unknown!";
    else if (f.version != kFormatVersion || !GeometrySound(f))
        why = "add_disk failed, format info is destroyed!";
    else if (lib.hasReference &&
             (f.BlockSize() != lib.reference.BlockSize() || f.DataAlign() != lib.reference.DataAlign()))
        why = "add_disk failed, block_size or data_align is not compatible with others!";
    if (!why)
        return kOk;
    Log("%s", why);
    Log("disk: %s format is invalided!", disk.path.c_str());
    return kFail;
}

void ReleaseIndexCache(Library& lib, Disk& disk) {
    for (const uint8_t* sector : disk.indexCache)
        lib.cache.Release(sector);
    disk.indexCache.clear();
}

int Mount(Library& lib, Disk& disk) {
    uint32_t offset = 0;
    if (const int rc = FindPartition(disk.rawId, disk.path, &offset))
        return rc;
    disk.partitionOffset = offset;
    RawSetPartitionOffset(disk.rawId, offset);

    uint8_t sector[kSectorBytes];
    if (const int rc = dvrfs_raw_read(disk.rawId, 0, 1, sector); rc < 0) {
        Log("disk: %s format info read failed!", disk.path.c_str());
        return rc;
    }
    disk.format = DecodeFormat(sector);
    if (const int rc = CheckFormat(lib, disk))
        return rc;

    if (const int rc = dvrfs_raw_read(disk.rawId, disk.format.StatSector(), 1, sector); rc < 0) {
        Log("disk: ID=%d disk stat info read failed!", disk.rawId);
        Log("disk: %s stat is invalided!", disk.path.c_str());
        return rc;
    }
    if (const int rc = dvrfs_raw_read(disk.rawId, disk.format.InfoSector(), 1, sector); rc < 0) {
        Log("disk: ID=%d data_info_head read failed!", disk.rawId);
        Log("disk: %s stat is invalided!", disk.path.c_str());
        return rc;
    }
    disk.info = DecodeDataInfo(sector);
    if (disk.info.channelSize != kChannelIndexSectors) {
        Log("disk->data_info_header.recorder_channel_size = %d", static_cast<int>(disk.info.channelSize));
        Log("disk: %s stat is invalided!", disk.path.c_str());
        return kFail;
    }

    for (int c = 0; c < lib.channels; c++) {
        for (uint32_t k = 0; k < kChannelIndexSectors; k++) {
            const uint64_t at = uint64_t{disk.info.indexBase} + uint64_t{kChannelIndexSectors} * c + k;
            int rc = 0;
            const uint8_t* cached = lib.cache.Request(disk.rawId, at, &rc);
            if (!cached) {
                Log("dvrfs_cache_request sector:%d failed!", static_cast<int>(at));
                Log("disk: %s index cache is invalided!", disk.path.c_str());
                ReleaseIndexCache(lib, disk);
                return rc;
            }
            disk.indexCache.push_back(cached);
        }
    }
    return kOk;
}

// Every open handle's find learns that the disks changed.
void MarkHandlesChanged(Library& lib) {
    for (auto& h : lib.handles)
        if (h)
            h->diskChanged = true;
}

}  // namespace

}  // namespace vkfs::dvrfs

using namespace vkfs;
using namespace vkfs::dvrfs;

int dvrfs_add_disk(const char* path) {
    if (!path) {
        Log("the given disk path is null!");
        return kFail;
    }
    std::lock_guard<std::mutex> hold(GlobalMutex());
    Library* lib = TheLibrary();
    if (!lib) {
        Log("all the system is not initialized!");
        return kFail;
    }
    if (std::strlen(path) >= kPathBytes) {
        Log("disk: %s name is too long!", path);
        return kFail;
    }
    for (const auto& d : lib->disks) {
        if (d->path == path) {
            Log("disk: %s is already added!", path);
            return kFail;
        }
    }
    auto disk = std::make_shared<Disk>();
    disk->path = path;
    disk->rawId = dvrfs_raw_open(disk->path);
    if (disk->rawId < 0) {
        Log("disk: %s open failed!", path);
        return disk->rawId;
    }
    if (const int rc = Mount(*lib, *disk)) {
        dvrfs_raw_close(disk->rawId);
        return rc;
    }
    if (!lib->hasReference && disk->format.group == static_cast<uint32_t>(lib->diskGroup)) {
        lib->reference = disk->format;
        lib->hasReference = true;
    }
    lib->disks.push_back(disk);
    MarkHandlesChanged(*lib);
    return kOk;
}

int dvrfs_remove_disk(const char* path, int force, int diskGroup) {
    if (force) {
        Log("dvrfs do not surport force to remove disk now!");
        return kFail;
    }
    std::lock_guard<std::mutex> hold(GlobalMutex());
    Library* lib = TheLibrary();
    if (!lib) {
        Log("all the system is not initialized!");
        return kFail;
    }
    for (const auto& h : lib->handles) {
        if (h) {
            Log("channel is not closed!");
            return kFail;
        }
    }
    // Group 0 is the list of mounted disks; nothing fills any other group.
    if (diskGroup == 1) {
        Log("disk group :1 has no disk!");
        return kFail;
    }
    if (diskGroup != 0 || lib->disks.empty()) {
        Log("disk group:%d has no disk!", diskGroup);
        return kFail;
    }
    for (auto it = lib->disks.begin(); path && it != lib->disks.end(); ++it) {
        Disk& disk = **it;
        if (disk.path != path)
            continue;
        Log("<%s> is removed.", path);
        ReleaseIndexCache(*lib, disk);
        dvrfs_raw_close(disk.rawId);
        lib->disks.erase(it);
        MarkHandlesChanged(*lib);
        return kOk;
    }
    Log("disk:%s is in use or not exist!", path ? path : "");
    return kFail;
}
