// vkfs/exports.cpp
//
// The twelve exported functions: each looks its handle up and hands the call
// to the disk object. An unknown handle (0, or one already removed) does
// nothing.
#include <memory>

#include "vkfs/disk_registry.h"
#include "vkfs/vkfs_api.h"

using vkfs::Disks;
using vkfs::FSDisk;

extern "C" {

FSDiskHandle VEK_CALL
FSAddDisk(void* window, int channels, int diskNumber, const char* path, FSSearchCallback monthCallback) {
    auto disk = std::make_shared<FSDisk>(window, channels, diskNumber, path, monthCallback);
    if (!disk->Probe())
        return 0;
    const FSDiskHandle handle = Disks().Add(disk);
    if (handle == 0)
        disk->Close();
    return handle;
}

int VEK_CALL FSRemoveDisk(FSDiskHandle handle) {
    // Not from inside one of the disk's own callbacks: its job would wait for
    // itself, and the disk would go away under it.
    const std::shared_ptr<FSDisk> found = Disks().Find(handle);
    if (!found || found->OnOwnWorker())
        return 0;
    const std::shared_ptr<FSDisk> disk = Disks().Take(handle);
    return disk ? disk->Close() : 0;
}

void VEK_CALL FSSearchByMon(FSDiskHandle handle, SearchMonTime range, FSHwnd* windows, void* user) {
    if (auto disk = Disks().Find(handle))
        disk->SearchByMonth(range, windows, user);
}

void VEK_CALL FSStopMonSearch(FSDiskHandle handle) {
    if (auto disk = Disks().Find(handle))
        disk->StopMonthSearch();
}

void VEK_CALL FSSearchByDay(FSDiskHandle handle,
                            RecTime from,
                            RecTime to,
                            FSHwnd* windows,
                            FSSearchCallback callback,
                            void* user,
                            int group,
                            const int channels[4]) {
    if (auto disk = Disks().Find(handle))
        disk->SearchByDay(from, to, windows, callback, user, group, channels);
}

void VEK_CALL FSStopDaySearch(FSDiskHandle handle) {
    if (auto disk = Disks().Find(handle))
        disk->StopDaySearch();
}

void VEK_CALL FSPlay(FSDiskHandle handle,
                     RecTime from,
                     RecTime to,
                     int slot,
                     uintptr_t user,
                     FSDataCallback data,
                     FSTimeCallback time) {
    if (auto disk = Disks().Find(handle))
        disk->Play(slot, from, to, user, data, time);
}

void VEK_CALL FSStopPlay(FSDiskHandle handle, int slot) {
    if (auto disk = Disks().Find(handle))
        disk->StopPlay(slot);
}

void VEK_CALL FSSeekPlay(FSDiskHandle handle, RecTime time, int slot) {
    if (auto disk = Disks().Find(handle))
        disk->SeekPlay(slot, time);
}

void VEK_CALL FSRequestData(FSDiskHandle handle, int slot, int on) {
    if (auto disk = Disks().Find(handle))
        disk->RequestData(slot, on);
}

void VEK_CALL
FSExport(FSDiskHandle handle, RecTime from, RecTime to, int channel, uintptr_t user, FSDataCallback data) {
    if (auto disk = Disks().Find(handle))
        disk->Export(channel, from, to, user, data);
}

void VEK_CALL FSStopExport(FSDiskHandle handle, int slot) {
    if (auto disk = Disks().Find(handle))
        disk->StopExport(slot);
}

}  // extern "C"
