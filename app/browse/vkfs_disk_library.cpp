// app/browse/vkfs_disk_library.cpp
#include "app/browse/disk_library.h"

namespace browse {

FSDiskHandle VkfsDiskLibrary::AddDisk(void* window,
                                      int channels,
                                      int diskNumber,
                                      const char* path,
                                      FSSearchCallback monthCallback) {
    return FSAddDisk(window, channels, diskNumber, path, monthCallback);
}

int VkfsDiskLibrary::RemoveDisk(FSDiskHandle disk) {
    return FSRemoveDisk(disk);
}

void VkfsDiskLibrary::SearchByMon(FSDiskHandle disk, SearchMonTime range, FSHwnd* windows, void* user) {
    FSSearchByMon(disk, range, windows, user);
}

void VkfsDiskLibrary::StopMonSearch(FSDiskHandle disk) {
    FSStopMonSearch(disk);
}

void VkfsDiskLibrary::SearchByDay(FSDiskHandle disk,
                                  RecTime from,
                                  RecTime to,
                                  FSHwnd* windows,
                                  FSSearchCallback callback,
                                  void* user,
                                  int group,
                                  const int channels[4]) {
    FSSearchByDay(disk, from, to, windows, callback, user, group, channels);
}

void VkfsDiskLibrary::StopDaySearch(FSDiskHandle disk) {
    FSStopDaySearch(disk);
}

}  // namespace browse
