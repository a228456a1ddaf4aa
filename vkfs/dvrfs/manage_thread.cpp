// vkfs/dvrfs/manage_thread.cpp
//
// The disk-manage thread: once a tick it counts the idle seconds of every
// mounted disk that no handle is positioned on, and sends a disk idle for
// longer than the limit to sleep. A disk asked for again wakes up
// (TouchDisk). Sleeping changes nothing on this platform but the disk's state
// and the console line. The disk list is read under the library's mutex.
#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/log.h"

namespace vkfs::dvrfs {

void ManageThread(Library* lib, uint32_t tickMs, uint32_t idleSeconds) {
    // One tick counts as one second of idleness, whatever its length.
    while (!lib->manageStop.Wait(tickMs)) {
        std::lock_guard<std::mutex> hold(GlobalMutex());
        for (const auto& disk : lib->disks) {
            if (!disk->awake || disk->positionedHandles > 0 || disk->rawId == lib->currentDisk)
                continue;
            if (++disk->idleSeconds > idleSeconds) {
                Print("disk:%d go to sleep!", disk->rawId);
                disk->awake = false;
            }
        }
    }
}

}  // namespace vkfs::dvrfs
