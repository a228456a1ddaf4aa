// vkfs/dvrfs/library.cpp
//
// Starting and stopping the library, and the helpers every part of it shares.
#include "vkfs/dvrfs/library.h"

#include <cstring>

#include "vkfs/dvrfs/log.h"
#include "vkfs/dvrfs/raw_disk.h"
#include "vkfs/dvrfs_entry.h"

namespace vkfs::dvrfs {

namespace {

constexpr uint32_t kDefaultTickMs = 1000;
constexpr uint32_t kDefaultIdleSeconds = 30;

std::unique_ptr<Library> gLibrary;
bool gStopping = false;
std::atomic<uint32_t> gTickMs{kDefaultTickMs};
std::atomic<uint32_t> gIdleSeconds{kDefaultIdleSeconds};

}  // namespace

std::mutex& GlobalMutex() {
    static std::mutex mutex;
    return mutex;
}

Library* TheLibrary() {
    return gStopping ? nullptr : gLibrary.get();
}

void TouchDisk(Disk& disk) {
    disk.idleSeconds = 0;
    if (!disk.awake) {
        Print("wake up disk:%d!", disk.rawId);
        disk.awake = true;
    }
}

int ReadSector(Library& lib, Disk& disk, uint64_t sector, uint8_t* out) {
    TouchDisk(disk);
    int rc = 0;
    const uint8_t* buffer = lib.cache.Request(disk.rawId, sector, &rc);
    if (!buffer) {
        if (rc == kDiskLost)
            disk.lost = true;
        return rc;
    }
    std::memcpy(out, buffer, kSectorBytes);
    lib.cache.Release(buffer);
    return 0;
}

std::shared_ptr<Disk> DiskById(Library& lib, uint32_t id) {
    for (const auto& disk : lib.disks)
        if (static_cast<uint32_t>(disk->rawId) == id)
            return disk;
    return nullptr;
}

void ReleaseHandle(Handle& h) {
    h.find.reset();
    for (int& id : h.rawIds) {
        if (id >= 0)
            dvrfs_raw_close(id);
        id = -1;
    }
    h.rawPath.clear();
    if (h.positioned && h.disk)
        h.disk->positionedHandles--;
    h.positioned = false;
    h.disk.reset();
    h.visitedBlocks.clear();
    h.sectorBuffer.reset();
}

void SetManageTiming(uint32_t tickMs, uint32_t idleSeconds) {
    gTickMs = tickMs;
    gIdleSeconds = idleSeconds;
}

bool LibraryStarted() {
    std::lock_guard<std::mutex> hold(GlobalMutex());
    return gLibrary != nullptr;
}

uint64_t CacheMemoryInUse() {
    std::lock_guard<std::mutex> hold(GlobalMutex());
    return gLibrary ? gLibrary->cache.MemoryInUse() : 0;
}

bool ManageThreadRunning() {
    std::lock_guard<std::mutex> hold(GlobalMutex());
    return gLibrary && gLibrary->manageThread.Joinable();
}

}  // namespace vkfs::dvrfs

using namespace vkfs;
using namespace vkfs::dvrfs;

int dvrfs_init(int channels, int secondArgument, int diskGroup) {
    std::lock_guard<std::mutex> hold(GlobalMutex());
    if (gLibrary || gStopping) {
        // Starting again would pull the tables from under the running one.
        Log("dvrfs has been initialized!");
        return kFail;
    }
    OpenLog();
    Print("\n================ DVRFS RELEASE DATE: %08x ================\n", kReleaseDate);
    if (channels > kMaxChannels || channels < 0) {
        Log("too many channels, max channel num is limited to 16!");
        // Closed, so that the next start can create it again.
        CloseLog();
        return kFail;
    }
    gLibrary = std::make_unique<Library>();
    Library* lib = gLibrary.get();
    lib->diskGroup = diskGroup;
    lib->channels = channels;
    lib->secondArgument = secondArgument;
    const uint32_t tick = gTickMs, idle = gIdleSeconds;
    if (!lib->manageThread.Start([lib, tick, idle] { ManageThread(lib, tick, idle); }))
        Log("dvrfs disk manage thread create failed!");
    return kOk;
}

int dvrfs_exit(int force) {
    if (force) {
        Log("dvrfs do not surport force to exit now!");
        return kFail;
    }
    Library* lib = nullptr;
    {
        std::lock_guard<std::mutex> hold(GlobalMutex());
        lib = TheLibrary();
        if (!lib) {
            Log("all the system is not initialized!");
            return kFail;
        }
        bool open = !lib->disks.empty();
        for (const auto& h : lib->handles)
            open = open || h != nullptr;
        if (open) {
            Log("channel or disk has not been closed!");
            return kFail;
        }
        gStopping = true;
    }
    // The thread takes the mutex for each tick: wait for it without holding it.
    lib->manageStop.Set();
    if (lib->manageThread.Joinable())
        lib->manageThread.Join();
    std::lock_guard<std::mutex> hold(GlobalMutex());
    gLibrary->cache.Check();
    gLibrary.reset();
    gStopping = false;
    CloseLog();
    return kOk;
}
