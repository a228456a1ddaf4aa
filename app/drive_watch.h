// app/drive_watch.h
//
// What the main window does when the system reports a device change: whether
// the notice calls for a look at the recorder's drive, and, when that drive no
// longer opens, how the open disk is let go. Portable; the window supplies
// the drive test, the disk page and the access library through
// RecorderDiskLink (app/drive_watch_win32.cpp has the real one).
//
// Every notice but an arrival looks at the drive, whatever kind of device it
// names: looking costs one open of the drive, and a recorder disk pulled
// together with other devices may be reported only under theirs. So the
// notice's header is never read, and a notice without one (a NULL lParam) is
// as good as any. With no recorder disk (drive 0) nothing is looked at.
//
// A gone drive is always let go completely, whatever the disk page was doing
// (a month search still running, no day found, plays or exports going): the
// page closes its disk first (its list, panes and time bar), then whatever is
// still open on that disk is stopped - both searches, the four plays and the
// four exports - and the disk is removed; the handle and the drive number
// become 0. So the user is told once per pulled drive: the next notice finds
// no recorder disk and does nothing.
#pragma once

#include "vkfs/vkfs_api.h"

namespace shell {

// The system's notice of a device that has arrived.
inline constexpr unsigned kDeviceArrival = 0x8000;  // DBT_DEVICEARRIVAL

inline constexpr int kDiskSlots = 4;  // play and export slots of a disk

// Whether notice `event` calls for a look at the recorder's drive.
bool NoticeTestsDrive(unsigned event);

class RecorderDiskLink {
  public:
    virtual ~RecorderDiskLink() = default;

    // "\\.\PhysicalDrive<drive>" can be opened for reading.
    virtual bool DriveOpens(int drive) = 0;
    // The disk page closes the disk it opened (its searches, panes, tables).
    virtual void ClosePageDisk() = 0;
    // The access library's calls on the disk.
    virtual void StopMonSearch(FSDiskHandle disk) = 0;
    virtual void StopDaySearch(FSDiskHandle disk) = 0;
    virtual void StopPlay(FSDiskHandle disk, int slot) = 0;
    virtual void StopExport(FSDiskHandle disk, int slot) = 0;
    virtual int RemoveDisk(FSDiskHandle disk) = 0;
    // "Equipment has been pulled out!"
    virtual void TellDriveGone() = 0;
};

// The configuration's record of the open recorder disk.
struct RecorderDisk {
    FSDiskHandle& handle;  // 0: none
    int& drive;            // n of "\\.\PhysicalDrive<n>", 0: none
};

// Looks at the recorder's drive; when it is gone, lets the disk go and tells
// the user. True when the drive was found gone.
bool ReleaseGoneDrive(RecorderDisk disk, RecorderDiskLink& link);

}  // namespace shell
