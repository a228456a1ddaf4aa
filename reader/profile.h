// reader/profile.h
//
// What differs between the two builds of the reader: the on-disk format version
// it serves and a few habits of its own. One source, two profiles; the export
// layer of each build binds one of them.
#pragma once

#include "platform/raw_device.h"
#include "reader/format.h"

namespace vekfs {

struct ReaderProfile {
    const FormatTraits& format;
    platform::DeviceAccess deviceAccess;  // how the disk is opened for reading and writing
    int bannerMajor;
    int bannerMinor;
    int dumpLevelLimit;         // a dump prints when its level is at most this
    bool announcesRawDisk;      // prints "add raw disk now!" for file-system type 3
    bool echoesOpenFailure;     // also sends a failed open to the debugger output
    bool announcesMaxChannels;  // prints the configured channel maximum at init
};

inline constexpr ReaderProfile kReaderV1{
    kFormatV1, platform::DeviceAccess::ReadWriteThrough, 1, 1, 5, true, true, true};
inline constexpr ReaderProfile kReaderV2{kFormatV2, platform::DeviceAccess::ReadWrite, 2, 2, 1, false, false,
                                         false};

}  // namespace vekfs
