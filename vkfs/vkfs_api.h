// vkfs/vkfs_api.h
//
// The recording access library (VKFS): the GUI's one door to a recorder's disk.
// FSAddDisk opens a disk through whichever reader understands it (format 1,
// format 2 or dvrfs) and hands back a handle; the other calls start and stop the
// disk's worker threads - a month search, a day search, and per slot 0..3 one
// play and one export - or set flags those threads read.
//
// Handles: FSDiskHandle is a non-zero 32-bit id of a live disk object, 0 for
// none. Every call given 0, or an id that FSRemoveDisk already removed, does
// nothing (and returns 0 where it returns a value). Slots outside 0..3 are
// ignored, and a null callback is never called.
//
// Threads: callbacks run on the library's worker threads, one at a time per
// job. Records and buffers handed to a callback belong to the library and are
// valid only during the call. From inside a callback only FSRequestData and
// FSSeekPlay take effect: every start and stop (and FSRemoveDisk) waits for
// worker threads, and a worker cannot wait for itself, so one made on a
// worker of the same disk does nothing.
//
// Readers: the format 1 and 2 readers keep their tables process-wide, and
// each FSAddDisk starts them afresh (clearing their search handles and reader
// slots), so one disk at a time is in use: remove a disk before adding the
// next.
//
// End of data: play delivers one whole frame (40-byte header plus payload) per
// data call; export one raw block per call. A call with a length below 1
// marks the end: at the end of the last record, after a seek into no record,
// and when the reader fails, so a caller never waits for data forever. Its
// length is 0, except for an export that did not reach its record's end (the
// stream could not be opened, the record was not found or could not be
// entered, a read failed): that one ends with FS_EXPORT_FAILED.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "platform/callconv.h"

#ifdef _WIN32
#include <windows.h>
typedef HWND FSHwnd;
#else
typedef void* FSHwnd;  // an opaque window handle where there are no windows
#endif

#ifdef __cplusplus
extern "C" {
#endif

// A point in time, passed by value: year counted from 2000.
typedef struct RecTime {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
} RecTime;

// The months a month search covers: years counted from 2000.
typedef struct SearchMonTime {
    int32_t startYear;
    int32_t startMonth;
    int32_t endYear;
    int32_t endMonth;
} SearchMonTime;

// Which reader serves a disk.
typedef enum FSReaderKind {
    FS_READER_DVRFS = 0,
    FS_READER_VEKFS = 1,   // on-disk format version 1 (vekfs_api)
    FS_READER_VEKFS2 = 2,  // on-disk format version 2 (vekfs2_api)
} FSReaderKind;

typedef uint32_t FSDiskHandle;

// The length of the end call of an export that failed; below 1, as every end.
enum { FS_EXPORT_FAILED = -1 };

// Handed to every search callback; the library's own memory, reused for the
// next call.
typedef struct FSPlayParam {
    int32_t channel;  // 0-based
    FSReaderKind kind;
    void* user;            // the search's user pointer
    void* window;          // the window given to FSAddDisk (none for the month search)
    FSHwnd* windows;       // the window array given to the search call
    int32_t recordIndex;   // the record's key in its slot's table (day search)
    int32_t monthRunning;  // 0 once the month search has finished
    int32_t dayRunning;    // 0 once the day search has finished
    RecTime start;         // the month or the record
    RecTime end;
} FSPlayParam;

// One month of a month search (148 bytes).
typedef struct FSMonthResult {
    int32_t year;  // counted from 2000
    int32_t month;
    int32_t zero[4];
    uint32_t days[31];  // index day - 1: non-zero when the day holds recordings; bits tell their types
} FSMonthResult;

// One recording of a day search (224 bytes). The first 40 bytes carry the event
// descriptor of the format 1 and 2 readers, bytes 40 to 155 the find result of
// the dvrfs reader; a play or export seeks with what it finds here.
typedef struct FSRecordInfo {
    uint8_t searchHandle;   // +0   descriptor bytes 0..3
    uint8_t listChannel;    // +1
    uint8_t overwritten;    // +2
    uint8_t eventIndex;     // +3
    uint32_t listPosition;  // +4
    uint32_t location;      // +8
    uint16_t passWord;      // +12  format 1: the descriptor's word at 56
    uint8_t channel;        // +14  descriptor bytes 16..19
    uint8_t attr1;          // +15
    uint8_t attr2;          // +16
    uint8_t byte19;         // +17
    uint8_t reserved18[2];  // +18
    uint32_t dataStart;     // +20
    uint32_t indexStart;    // +24
    uint32_t indexEnd;      // +28
    uint32_t mediaFirst;    // +32  format 2 only
    uint32_t mediaLast;     // +36  format 2 only
    uint32_t dvrWords[4];   // +40  dvrfs: find result words 56, 60, 64, 68
    char diskPath[80];      // +56  dvrfs: the disk that holds the record
    uint32_t dvrTail[5];    // +136 dvrfs: find result words 152..168
    int32_t typeBit;        // +156 one of 1, 2, 4, 8, 128 (0: none)
    int32_t dataLength;     // +160
    int32_t lengthHigh;     // +164 dvrfs: high length word, else 0
    int32_t recordCount;    // +168 records of this channel in the search (dvrfs: 0)
    RecTime start;          // +172
    RecTime end;            // +196
    int32_t reserved220;    // +220
} FSRecordInfo;

// Month search: records are FSMonthResult; day search: FSRecordInfo. The final
// call of a search has no record.
typedef int(VEK_CALL* FSSearchCallback)(FSReaderKind kind, void* record, FSPlayParam* param);
// Play: one whole frame; export: one raw block. A length below 1: the end
// (FS_EXPORT_FAILED: an export that failed).
typedef int(VEK_CALL* FSDataCallback)(uintptr_t user, unsigned char* data, int length);
// Play has reached a record spanning start..end.
typedef int(VEK_CALL* FSTimeCallback)(uintptr_t user, RecTime start, RecTime end);

// Opens a disk: the first reader (format 1, format 2, dvrfs) that accepts it
// serves it. 0 when none does. `window` is handed back in FSPlayParam::window.
FSDiskHandle VEK_CALL
FSAddDisk(void* window, int channels, int diskNumber, const char* path, FSSearchCallback monthCallback);
// Stops every job of the disk, frees its searches and closes it: 1 when the
// reader closed cleanly, else 0.
int VEK_CALL FSRemoveDisk(FSDiskHandle disk);
// Reports every month of the range to the FSAddDisk callback, then once with no
// record. A month search still running or finished is stopped first.
void VEK_CALL FSSearchByMon(FSDiskHandle disk, SearchMonTime range, FSHwnd* windows, void* user);
void VEK_CALL FSStopMonSearch(FSDiskHandle disk);
// Lists the recordings from..to of the channels given per slot (-1: none) into
// the slots' tables of `group` (0 play, 1 export), through `callback`, then
// once with no record. A day search still running or finished is stopped first.
void VEK_CALL FSSearchByDay(FSDiskHandle disk,
                            RecTime from,
                            RecTime to,
                            FSHwnd* windows,
                            FSSearchCallback callback,
                            void* user,
                            int group,
                            const int channels[4]);
void VEK_CALL FSStopDaySearch(FSDiskHandle disk);
// Plays the records of the slot's table from the first one, as whole frames.
void VEK_CALL FSPlay(FSDiskHandle disk,
                     RecTime from,
                     RecTime to,
                     int slot,
                     uintptr_t user,
                     FSDataCallback data,
                     FSTimeCallback time);
void VEK_CALL FSStopPlay(FSDiskHandle disk, int slot);
// Continues play at the first key frame at or after `time`.
void VEK_CALL FSSeekPlay(FSDiskHandle disk, RecTime time, int slot);
// Flow control: 0 holds delivery, 1 resumes it.
void VEK_CALL FSRequestData(FSDiskHandle disk, int slot, int on);
// Exports the record of `channel` (found in the export group's tables) that
// starts at `from`, from its first key frame to its end, in raw blocks. A
// channel that is in none of the export group's slots starts nothing, and
// nothing is called back.
void VEK_CALL
FSExport(FSDiskHandle disk, RecTime from, RecTime to, int channel, uintptr_t user, FSDataCallback data);
void VEK_CALL FSStopExport(FSDiskHandle disk, int slot);

#ifdef __cplusplus
}  // extern "C"

static_assert(sizeof(RecTime) == 24);
static_assert(sizeof(SearchMonTime) == 16);
static_assert(sizeof(FSMonthResult) == 148);
static_assert(sizeof(FSRecordInfo) == 224);
static_assert(offsetof(FSRecordInfo, passWord) == 12);
static_assert(offsetof(FSRecordInfo, channel) == 14);
static_assert(offsetof(FSRecordInfo, dataStart) == 20);
static_assert(offsetof(FSRecordInfo, mediaFirst) == 32);
static_assert(offsetof(FSRecordInfo, dvrWords) == 40);
static_assert(offsetof(FSRecordInfo, diskPath) == 56);
static_assert(offsetof(FSRecordInfo, dvrTail) == 136);
static_assert(offsetof(FSRecordInfo, typeBit) == 156);
static_assert(offsetof(FSRecordInfo, recordCount) == 168);
static_assert(offsetof(FSRecordInfo, start) == 172);
static_assert(offsetof(FSRecordInfo, end) == 196);
#endif
