// vkfs/dvrfs_entry.h
//
// The entry points of the third-format reader (dvrfs) that the recording
// access library calls, and the two records they exchange with it. dvrfs lives
// inside VKFS and exports nothing. Results: 0 or a handle on success; -1
// general failure, -2 no more results, -3 a disk was added or removed since the
// find started, -5 handle not open, -6 no running find, or a read before any
// time seek, -7 end of record, -8 bad argument, -9 record no longer matching,
// -13 disk lost, -14 raw read failed, -16 index inconsistent, -23 a result
// handed back while the index changed under the find (the result is valid).
#pragma once

#include <cstdint>

namespace vkfs {

// A dvrfs disk holds at most this many channels; the reader refuses to start
// with more.
inline constexpr int kDvrfsMaxChannels = 16;

inline constexpr int kDvrfsOk = 0;
inline constexpr int kDvrfsNoMore = -2;
inline constexpr int kDvrfsEndOfRecord = -7;
inline constexpr int kDvrfsIndexChanged = -23;

enum DvrfsFindKind : int32_t {
    kDvrfsFindRange = 0,  // the records of a time range, one result per call
    kDvrfsFindMonth = 1,  // the month summary: day words of the earliest month
};

// A find request (56 bytes). Times are six ints: year counted from 2000,
// month, day, hour, minute, second.
struct dvrfs_find_query {
    int32_t typeMask = -1;  // all record types
    int32_t kind = kDvrfsFindRange;
    int32_t start[6] = {};
    int32_t end[6] = {};
};
static_assert(sizeof(dvrfs_find_query) == 56);

// One record found by a range find (172 bytes).
struct dvrfs_find_result {
    int32_t start[6] = {};
    int32_t end[6] = {};      // the end date is the start date
    uint32_t lengthLow = 0;   // +48 bytes: sector count x 512
    uint32_t lengthHigh = 0;  // +52 sector count >> 23
    uint32_t word56 = 0;      // +56 passed through
    uint32_t split7 = 0;      // +60 passed through
    uint32_t split06 = 0;     // +64 passed through
    uint32_t recordType = 0;  // +68 type bits; bit 31 class 1, bit 30 otherwise
    char diskPath[80] = {};   // +72
    int32_t diskSet = 0;      // +152
    uint32_t word156 = 0;     // +156 passed through
    int32_t channel = 0;      // +160
    uint32_t diskId = 0;      // +164
    uint32_t lastSector = 0;  // +168
};
static_assert(sizeof(dvrfs_find_result) == 172);

// What a month-summary find hands back (148 bytes): the month as six ints
// (year, month, then zeros) and one day word per day.
struct dvrfs_month_result {
    int32_t month[6] = {};
    uint32_t days[31] = {};
};
static_assert(sizeof(dvrfs_month_result) == 148);

}  // namespace vkfs

// Library start and stop, disks.
int dvrfs_init(int channels, int secondArgument, int diskGroup);
int dvrfs_exit(int force);
int dvrfs_add_disk(const char* path);
int dvrfs_remove_disk(const char* path, int force, int diskGroup);
// Channel handles.
int dvrfs_open(int channel, int rwflag);
int dvrfs_close(int handle, int force);
// Finds: `out` is a dvrfs_find_result for a range find and a dvrfs_month_result
// for a month summary.
int dvrfs_find_start(unsigned handle, vkfs::dvrfs_find_query* query, void* out, int diskSet);
int dvrfs_find_next(unsigned handle, void* out);
int dvrfs_find_stop(unsigned handle);
// Positions the handle in `record` at `time` (six ints), then reads from there.
int dvrfs_tseek(unsigned handle,
                const int time[6],
                int direction,
                int count,
                const vkfs::dvrfs_find_result* record);
int dvrfs_read(int handle, void* buffer, int length, int* out);
