// reader/disk_param_io.h
//
// The disk parameter block on the device (128 bytes at byte 256, inside the MBR
// sector), its validation, and the choice of the index copies a partition is
// read from.
#pragma once

#include <memory>
#include <string>

#include "platform/raw_device.h"
#include "reader/format.h"
#include "reader/profile.h"

namespace vekfs {

// Opens the disk at `path` the way the reader always does (read and write,
// shared, existing device; write-through where the profile asks). Prints
// "open disk <path> failed" with the system's reason and returns null on failure.
std::unique_ptr<platform::RawDevice> open_disk(const ReaderProfile& profile, const std::string& path);

// Reads the parameter block: 0, or -1 when the device cannot be opened or read.
int get_disk_param(const ReaderProfile& profile, const std::string& path, disk_param* out);

// Stores the check word (XOR of the first 31 words) and writes the block at byte
// 256, keeping the rest of sector 0. 0 on success; -1 when the device cannot be
// opened; the sector layer's code (-2, -3) when the write fails.
int set_disk_param(const ReaderProfile& profile, const std::string& path, disk_param* block);

// 0 when the block is a parameter block of this profile's format version and
// describes a disk that can exist; else -1 with "not valid vekfs format ...".
int valid_vekfs_format_disk(const ReaderProfile& profile, const disk_param& block);

// The copy (0..3) that partition `partition` is read from (primary = 1: the
// lowest valid copy) or mirrored to (primary = 0: the next valid one). -1 with
// "invalid index file flag!" when the partition has fewer than two valid copies,
// and with "invalid param!" for a partition number outside 0..3.
int get_disk_working_index(const disk_param& block, int partition, int primary);

}  // namespace vekfs
