// app/drive_watch.cpp
#include "app/drive_watch.h"

namespace shell {

bool NoticeTestsDrive(unsigned event) {
    return event != kDeviceArrival;
}

bool ReleaseGoneDrive(RecorderDisk disk, RecorderDiskLink& link) {
    if (disk.drive == 0 || link.DriveOpens(disk.drive))
        return false;

    link.ClosePageDisk();
    // The page may have had nothing to close (or not this disk): what is still
    // open on the disk ends here, before the disk goes.
    if (const FSDiskHandle handle = disk.handle; handle != 0) {
        link.StopDaySearch(handle);
        link.StopMonSearch(handle);
        for (int slot = 0; slot < kDiskSlots; ++slot) {
            link.StopPlay(handle, slot);
            link.StopExport(handle, slot);
        }
        link.RemoveDisk(handle);
    }
    disk.handle = 0;
    disk.drive = 0;
    link.TellDriveGone();
    return true;
}

}  // namespace shell
