// app/browse/disk_library.h
//
// What the recording list page asks of the world outside it: the searches of
// the recording access library (VKFS), and the one system query it makes, which
// physical drive holds a volume. Both sit behind small interfaces so the page's
// model runs against fakes; VkfsDiskLibrary forwards to VKFS's exports, and
// Win32DriveLocator (drive_locator_win32.h) asks Windows.
#pragma once

#include <optional>
#include <string>

#include "vkfs/vkfs_api.h"

namespace browse {

class DiskLibrary {
  public:
    virtual ~DiskLibrary() = default;

    virtual FSDiskHandle AddDisk(void* window,
                                 int channels,
                                 int diskNumber,
                                 const char* path,
                                 FSSearchCallback monthCallback) = 0;
    virtual int RemoveDisk(FSDiskHandle disk) = 0;
    virtual void SearchByMon(FSDiskHandle disk, SearchMonTime range, FSHwnd* windows, void* user) = 0;
    virtual void StopMonSearch(FSDiskHandle disk) = 0;
    virtual void SearchByDay(FSDiskHandle disk,
                             RecTime from,
                             RecTime to,
                             FSHwnd* windows,
                             FSSearchCallback callback,
                             void* user,
                             int group,
                             const int channels[4]) = 0;
    virtual void StopDaySearch(FSDiskHandle disk) = 0;
};

// The real library.
class VkfsDiskLibrary : public DiskLibrary {
  public:
    FSDiskHandle AddDisk(void* window,
                         int channels,
                         int diskNumber,
                         const char* path,
                         FSSearchCallback monthCallback) override;
    int RemoveDisk(FSDiskHandle disk) override;
    void SearchByMon(FSDiskHandle disk, SearchMonTime range, FSHwnd* windows, void* user) override;
    void StopMonSearch(FSDiskHandle disk) override;
    void SearchByDay(FSDiskHandle disk,
                     RecTime from,
                     RecTime to,
                     FSHwnd* windows,
                     FSSearchCallback callback,
                     void* user,
                     int group,
                     const int channels[4]) override;
    void StopDaySearch(FSDiskHandle disk) override;
};

class DriveLocator {
  public:
    virtual ~DriveLocator() = default;

    // The number n of "\\.\PhysicalDrive<n>" that holds the volume (a name such
    // as "\\.\E:"); nothing when the volume cannot be opened or does not say.
    virtual std::optional<int> PhysicalDriveOf(const std::string& volume) = 0;
};

}  // namespace browse
