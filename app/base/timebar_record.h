// app/base/timebar_record.h
//
// One recording on a row of the recording time bar, as the disk list and the
// network list add it and the download dialog reads and writes it back.
//
// The record is ten 32-bit words and is copied whole between its users: the
// network list copies the recorder's 28-byte record item into words 2 to 8, and
// the download dialog hands words 2 to 8 back to the network library. Its
// layout is therefore pinned. The last word holds the network library's
// download handle, which is a 32-bit id (0 for none), never an address.
#pragma once

#include <cstddef>
#include <cstdint>

struct RecTime;        // vkfs/vkfs_api.h
struct NetRecordTime;  // veknet/veknet_api.h

namespace play {

// A point in time of a time-bar record: full year, then month, day, hour,
// minute, second; one spare byte.
struct RecfileTime {
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    uint8_t spare = 0;
};

struct _recfile_info_t {
    uint32_t colour = 0;         // COLORREF of the bar (0x00BBGGRR)
    uint32_t downloadState = 0;  // 0 when added; the download dialog's row state
    uint32_t sourceWord = 0;     // from the source record, not read by the bar
    RecfileTime start;
    RecfileTime end;
    int32_t type = 0;             // record-type bit: 1, 2, 4, ..., 128 (-1 from the network)
    uint32_t length = 0;          // from the source record, not read by the bar
    uint32_t downloadHandle = 0;  // 0 when added; the network library's download id
};

static_assert(sizeof(RecfileTime) == 8);
static_assert(sizeof(_recfile_info_t) == 40);
static_assert(offsetof(_recfile_info_t, sourceWord) == 8);
static_assert(offsetof(_recfile_info_t, start) == 12);
static_assert(offsetof(_recfile_info_t, end) == 20);
static_assert(offsetof(_recfile_info_t, type) == 28);
static_assert(offsetof(_recfile_info_t, length) == 32);
static_assert(offsetof(_recfile_info_t, downloadHandle) == 36);

// Orders two times as the calendar does (year first); the spare byte is ignored.
int64_t TimeKey(const RecfileTime& t);

// The recording access library counts years from 2000; the record keeps them whole.
RecfileTime RecfileTimeFromRecTime(const RecTime& t);
RecTime RecTimeFromRecfileTime(const RecfileTime& t);
// The network library's time of the same moment and back (both keep the year
// whole; the spare byte comes back, the network time's own goes out 0).
NetRecordTime NetRecordTimeOf(const RecfileTime& t);
RecfileTime RecfileTimeOfNetTime(const NetRecordTime& t);

// Colour of a bar by record-type bit (COLORREF).
uint32_t RecordTypeColour(int32_t type);

// Paint priority by record-type bit: a bar never paints over an earlier bar of
// the row with a higher or equal priority.
int PaintPriority(int32_t type);

}  // namespace play
