// reader/sector_io.h
//
// Byte ranges of the disk read and written in whole 512-byte sectors. A range
// that does not start or end on a sector boundary goes through a one-sector
// bounce buffer at its head and tail (read-modify-write when writing); the whole
// sectors between move straight between the device and the caller's buffer.
//
// Results: the length (non-negative) on success; -1 no device, a bad length or
// no memory; -2 positioning the device failed; -3 a read or write failed or was
// short. Every failure prints its error line.
#pragma once

#include <cstdint>

#include "platform/raw_device.h"

namespace vekfs {

inline constexpr int kSectorErrNoHandle = -1;
inline constexpr int kSectorErrSeek = -2;
inline constexpr int kSectorErrTransfer = -3;

int pc_read_data(platform::RawDevice* device, void* buffer, uint64_t offset, int length);
int pc_write_data(platform::RawDevice* device, const void* data, uint64_t offset, int length);

}  // namespace vekfs
