// vkfs/month_range.h
//
// The months a month search walks, and the span it asks a reader about for
// each: the 1st 00:00:00 to the 31st 23:59:59, whatever the month's length.
#pragma once

#include <algorithm>
#include <cstdint>

#include "vkfs/records.h"
#include "vkfs/vkfs_api.h"

namespace vkfs {

inline RecTime MonthStart(int year, int month) {
    return MakeRecTime(year, month, 1, 0, 0, 0);
}

inline RecTime MonthEnd(int year, int month) {
    return MakeRecTime(year, month, 31, 23, 59, 59);
}

// Calls fn(year, month) for every month of the range, in order: from the
// start month (a start month above 12 skips the start year) to December, and
// in the end year to the end month.
template <typename Fn>
void ForEachMonth(const SearchMonTime& range, Fn&& fn) {
    for (int64_t y = range.startYear; y <= range.endYear; y++) {
        const bool startYear = y == range.startYear;
        if (startYear && range.startMonth > 12)
            continue;
        const int first = startYear ? std::max(range.startMonth, 1) : 1;
        const int last = y == range.endYear ? std::min(range.endMonth, 12) : 12;
        for (int m = first; m <= last; m++)
            fn(static_cast<int>(y), m);
    }
}

}  // namespace vkfs
