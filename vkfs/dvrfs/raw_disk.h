// vkfs/dvrfs/raw_disk.h
//
// dvrfs's raw disk layer: a process-wide table of 2048 device handles over
// platform::RawDevice, handed out by id (round-robin from the entry after the
// last one given out), each opened read-only with its size in sectors and the
// partition offset that every read adds to its sector.
//
// Opens and closes pass a process-wide semaphore (10 of 12); each handle's
// reads pass a semaphore of its own. The table itself is guarded by a mutex.
//
// Sizes are 64-bit throughout: a disk of 2 TiB or more is sized and read in
// full. Where the system cannot tell a device's geometry (an image file under
// Wine) the size comes from the file.
//
// Read results: the bytes read; -1 a bad id, buffer or a range beyond the
// device; -13 positioning failed (the disk is gone); -14 the read failed.
#pragma once

#include <cstdint>
#include <string>

namespace vkfs::dvrfs {

inline constexpr int kMaxRawHandles = 2048;

int dvrfs_raw_open(const std::string& path);
int dvrfs_raw_read(int id, uint64_t sector, uint32_t count, void* buffer);
// The recorder's side only: refused here.
int dvrfs_raw_write(int id, uint64_t sector, uint32_t count, const void* data);
int dvrfs_raw_close(int id);

// Every later read of `id` adds `offset` sectors.
void RawSetPartitionOffset(int id, uint32_t offset);
// The device's size in sectors (0 for a bad id).
uint64_t RawSizeSectors(int id);
// Handles open now (tests).
int RawHandlesInUse();

}  // namespace vkfs::dvrfs
