// vkfs/dvrfs/library.h
//
// The dvrfs library's state between dvrfs_init and dvrfs_exit: the control
// record (disk group, channel count, mounted disks in mount order, the
// reference format block), the 2048 channel handles, the sector cache and the
// disk-manage thread.
//
// One global mutex is taken by every call that touches disks or handles, for
// the call's whole run, and by the disk-manage thread for each of its ticks.
// TheLibrary() may only be used under it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/sync.h"
#include "vkfs/dvrfs/find_walk.h"
#include "vkfs/dvrfs/layout.h"
#include "vkfs/dvrfs/sector_cache.h"
#include "vkfs/dvrfs_entry.h"

namespace vkfs::dvrfs {

enum Result : int {
    kOk = 0,
    kFail = -1,
    kNoMore = -2,
    kDiskChanged = -3,
    kNotOpen = -5,
    kNoFind = -6,
    kEndOfRecord = -7,
    kBadArgument = -8,
    kNotFound = -9,
    kDiskLost = -13,
    kReadFailed = -14,
    kInconsistent = -16,
    kIndexChanged = -23,
};

inline constexpr int kMaxChannels = kDvrfsMaxChannels;
inline constexpr int kMaxHandles = 2048;
inline constexpr int kMaxReadOpens = 15;
inline constexpr size_t kPathBytes = 80;
inline constexpr uint32_t kReleaseDate = 0x10072015u;

struct Disk {
    int rawId = -1;  // also the disk's id in find results
    std::string path;
    uint32_t partitionOffset = 0;
    FormatInfo format;
    DataInfo info;
    std::vector<const uint8_t*> indexCache;  // channel x 7 month index sectors
    bool lost = false;                       // a positioning failed: the disk is gone
    // Power state, kept by the disk-manage thread.
    bool awake = true;
    uint32_t idleSeconds = 0;
    int positionedHandles = 0;
};

struct Handle {
    int channel = 0;
    bool diskChanged = false;  // a disk was added or removed since the find started
    std::unique_ptr<Find> find;

    // The read position a time seek sets.
    bool positioned = false;
    std::shared_ptr<Disk> disk;
    uint64_t position = 0;  // data sector
    uint64_t block = 0;
    bool blockValid = false;
    uint32_t secondWord = 0;
    uint32_t dayChannelSector = 0;
    uint32_t entryIndex = 0;
    int32_t start[6] = {};
    int32_t end[6] = {};
    uint32_t lastSector = 0;
    std::set<uint64_t> visitedBlocks;  // blocks entered since the seek: a chain never comes back
    int rawIds[2] = {-1, -1};          // [0] index sectors and bitmap, [1] data
    std::string rawPath;
    std::unique_ptr<uint8_t[]> sectorBuffer;
};

struct Library {
    int diskGroup = 0;
    int currentDisk = -1;  // the disk being written: none, there is no recording side
    int channels = 0;
    int secondArgument = 0;
    std::vector<std::shared_ptr<Disk>> disks;
    bool hasReference = false;
    FormatInfo reference;
    std::array<std::unique_ptr<Handle>, kMaxHandles> handles;
    std::array<int, kMaxChannels> readOpens{};
    bool indexChanged = false;  // raised by a broken chain during the current find call
    SectorCache cache;

    platform::Event manageStop{platform::Event::ManualReset};
    platform::Thread manageThread;
};

std::mutex& GlobalMutex();
// The running library, null when not started (or stopping).
Library* TheLibrary();

// Reads one partition-relative sector of `disk` through the sector cache into
// `out`: 0, or the raw layer's failure (-13 marks the disk lost). Wakes a
// sleeping disk.
int ReadSector(Library& lib, Disk& disk, uint64_t sector, uint8_t* out);
void TouchDisk(Disk& disk);
std::shared_ptr<Disk> DiskById(Library& lib, uint32_t id);
// Ends the handle's find, closes its raw devices and frees its sector buffer.
void ReleaseHandle(Handle& handle);

// The disk-manage thread (manage_thread.cpp).
void ManageThread(Library* lib, uint32_t tickMs, uint32_t idleSeconds);

// ---- settings and state (tests) ----
// The disk-manage thread's tick and idle limit for the next start (defaults
// 1000 ms and 30 s).
void SetManageTiming(uint32_t tickMs, uint32_t idleSeconds);
bool LibraryStarted();
uint64_t CacheMemoryInUse();
bool ManageThreadRunning();

}  // namespace vkfs::dvrfs
