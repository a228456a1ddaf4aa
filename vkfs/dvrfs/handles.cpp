// vkfs/dvrfs/handles.cpp
//
// Channel handles: the lowest free of 2048, at most 15 read opens per
// channel. This system only reads, so write opens are refused. Closing a
// handle releases everything it holds: its find, the two raw devices and the
// sector buffer of its last time seek, so that any number of plays can open
// and close handles.
#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/log.h"
#include "vkfs/dvrfs_entry.h"

using namespace vkfs;
using namespace vkfs::dvrfs;

int dvrfs_open(int channel, int rwflag) {
    std::lock_guard<std::mutex> hold(GlobalMutex());
    Library* lib = TheLibrary();
    if (!lib) {
        Log("all the system is not initialized!");
        return kFail;
    }
    if (channel < 0 || channel >= lib->channels) {
        Log("channel: %d is invalid!", channel);
        return kFail;
    }
    if (rwflag != 0) {
        Log("rwflag is invalid!");
        return kFail;
    }
    int& opens = lib->readOpens[static_cast<size_t>(channel)];
    if (opens >= kMaxReadOpens) {
        Log("channel: %d open error! R open reach the limit!", channel);
        return kFail;
    }
    for (int i = 0; i < kMaxHandles; i++) {
        auto& slot = lib->handles[static_cast<size_t>(i)];
        if (slot)
            continue;
        slot = std::make_unique<Handle>();
        slot->channel = channel;
        opens++;
        return i;
    }
    Log("channel: %d alloc rd failed!", channel);
    return kFail;
}

int dvrfs_close(int handle, int force) {
    if (force) {
        Log("dvrfs do not surport force to close channel now!");
        return kFail;
    }
    std::lock_guard<std::mutex> hold(GlobalMutex());
    Library* lib = TheLibrary();
    if (!lib || handle < 0 || handle >= kMaxHandles || !lib->handles[static_cast<size_t>(handle)]) {
        Log("handle null!");
        return kNotOpen;
    }
    auto& slot = lib->handles[static_cast<size_t>(handle)];
    ReleaseHandle(*slot);
    lib->readOpens[static_cast<size_t>(slot->channel)]--;
    slot.reset();
    return kOk;
}
