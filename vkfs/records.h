// vkfs/records.h
//
// Record conversions between the readers and the GUI: times, the record-type
// bit, FSRecordInfo from an event descriptor (formats 1 and 2) or a dvrfs find
// result and back, and the lookup of the record a play or export seeks into.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "reader/format.h"
#include "vkfs/dvrfs_entry.h"
#include "vkfs/vkfs_api.h"

namespace vkfs {

// A slot's table of records from the last day search, in key order.
using RecordList = std::vector<std::pair<int, FSRecordInfo>>;

// -1, 0 or 1 as a is before, equal to or after b, field by field from the year.
int CompareRecTime(const RecTime& a, const RecTime& b);
// One second later, carrying through the calendar (years counted from 2000).
RecTime AddOneSecond(const RecTime& t);
RecTime MakeRecTime(int year, int month, int day, int hour, int minute, int second);

vekfs::vekfs_time ToVekfsTime(const RecTime& t);
RecTime FromVekfsTime(const vekfs::vekfs_time& t);
void ToSixInts(const RecTime& t, int32_t out[6]);
RecTime FromSixInts(const int32_t in[6]);

// The record-type bit (1, 2, 4, 8 or 128) of an event's type bits; 0 when the
// event has none of the bits the reader's table knows.
int TypeBitV1(uint32_t typeBits);  // format 1, and dvrfs
int TypeBitV2(uint32_t typeBits);  // format 2
int TypeBitFor(FSReaderKind kind, uint32_t typeBits);

// A day-search record from a descriptor of a list holding `count` records.
FSRecordInfo RecordFromDescriptor(const vekfs::event_desc& d, int count, FSReaderKind kind);
// The descriptor the time seek is given for a record.
vekfs::event_desc DescriptorFromRecord(const FSRecordInfo& r, FSReaderKind kind);

FSRecordInfo RecordFromFindResult(const dvrfs_find_result& f);
dvrfs_find_result FindResultFromRecord(const FSRecordInfo& r);

FSMonthResult MonthFromDvrfs(const dvrfs_month_result& m);

// Position in `records` of the record a seek to `t` enters, or -1:
// group 0 (play) the first whose start <= t < end; group 1 (export) the first
// that starts at t and does not end before it.
int FindRecordIndex(const RecordList& records, const RecTime& t, int group);

}  // namespace vkfs
