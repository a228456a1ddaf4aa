// app/gps_search.h
//
// Searches of a GPS table (ordered by time of day) by time key. Distances are
// in seconds of the day: hour, minute and second of the key minus those of the
// record; year, month and day take no part.
//
// FindGpsIndexByTime: the index of the fix at exactly the key's second, or -1
// (empty table, key before the first or after the last fix, no fix at that
// second).
//
// FindGpsRangeByTime: the fixes from `start` to `end`. first is 0 when start
// lies before the first fix, else the fix found for start (its exact second,
// or the last one the binary search probed); last likewise for end, or the
// last index when end lies after the last fix. Both are -1 for an empty
// table, for a span that lies wholly before or after the table, and when first
// is not below last - so a span inside the second of a single fix is no range.
#pragma once

#include "app/gps_record.h"

int GpsDistance(const GpsTimeKey& key, const GpsRecord& record);

int FindGpsIndexByTime(const GpsRecord* table, int count, const GpsTimeKey& key);
void FindGpsRangeByTime(const GpsRecord* table,
                        int count,
                        const GpsTimeKey& start,
                        const GpsTimeKey& end,
                        int* first,
                        int* last);
