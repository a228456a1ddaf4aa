// app/system_time_compare.h
//
// CompareSystemTime orders two calendar times by year, month, day, hour,
// minute and second: -1, 0 or 1. Milliseconds and the day of the week take no
// part. It works on any record with the members of a Windows SYSTEMTIME, so
// the same code serves the program and the native tests.
#pragma once

template <class Time>
int CompareSystemTime(const Time& a, const Time& b) {
    const int left[] = {a.wYear, a.wMonth, a.wDay, a.wHour, a.wMinute, a.wSecond};
    const int right[] = {b.wYear, b.wMonth, b.wDay, b.wHour, b.wMinute, b.wSecond};
    for (int i = 0; i < 6; i++) {
        if (left[i] != right[i])
            return left[i] < right[i] ? -1 : 1;
    }
    return 0;
}
