// The GPS searches by time of day: hits, misses between fixes, the edges of
// the table, spans that overhang it, and a table of one fix.
#include <gtest/gtest.h>

#include <vector>

#include "app/gps_search.h"

namespace {

GpsTimeKey At(int h, int m, int s) {
    // The date differs from the table's: only the time of day counts.
    return {24, 2, 29, static_cast<uint8_t>(h), static_cast<uint8_t>(m), static_cast<uint8_t>(s)};
}

// Fixes at 10:00:00, 10:00:10, ... every ten seconds.
std::vector<GpsRecord> Table(int count) {
    std::vector<GpsRecord> table(static_cast<size_t>(count));
    for (int i = 0; i < count; i++) {
        GpsRecord& r = table[static_cast<size_t>(i)] = {};
        r.Year = 23;
        r.Month = 12;
        r.Day = 15;
        r.Hour = 10;
        r.Minute = static_cast<uint8_t>(i * 10 / 60);
        r.Second = static_cast<uint8_t>(i * 10 % 60);
    }
    return table;
}

TEST(GpsSearch, DistanceIsSecondsOfTheDay) {
    GpsRecord r = {};
    r.Hour = 10;
    r.Minute = 1;
    r.Second = 5;
    EXPECT_EQ(GpsDistance(At(10, 1, 5), r), 0);
    EXPECT_EQ(GpsDistance(At(11, 0, 0), r), 3600 - 65);
    EXPECT_EQ(GpsDistance(At(9, 59, 59), r), -66);
}

TEST(GpsSearch, IndexByTime) {
    const std::vector<GpsRecord> t = Table(25);
    const int n = static_cast<int>(t.size());
    EXPECT_EQ(FindGpsIndexByTime(t.data(), n, At(10, 0, 0)), 0);
    EXPECT_EQ(FindGpsIndexByTime(t.data(), n, At(10, 4, 0)), 24);
    EXPECT_EQ(FindGpsIndexByTime(t.data(), n, At(10, 2, 10)), 13);
    EXPECT_EQ(FindGpsIndexByTime(t.data(), n, At(10, 2, 11)), -1);  // between fixes
    EXPECT_EQ(FindGpsIndexByTime(t.data(), n, At(9, 59, 59)), -1);  // before the first
    EXPECT_EQ(FindGpsIndexByTime(t.data(), n, At(10, 4, 1)), -1);   // after the last
    EXPECT_EQ(FindGpsIndexByTime(t.data(), 0, At(10, 0, 0)), -1);
    EXPECT_EQ(FindGpsIndexByTime(nullptr, 5, At(10, 0, 0)), -1);
}

TEST(GpsSearch, RangeByTime) {
    const std::vector<GpsRecord> t = Table(25);
    const int n = static_cast<int>(t.size());
    struct Case {
        GpsTimeKey start, end;
        int first, last;
    };
    const Case cases[] = {
        {At(10, 0, 0), At(10, 4, 0), 0, 24},   // exactly the table
        {At(9, 0, 0), At(11, 0, 0), 0, 24},    // overhangs both ends
        {At(10, 1, 0), At(10, 2, 0), 6, 12},   // exact hits inside
        {At(10, 1, 0), At(10, 1, 0), -1, -1},  // one second: no range
        {At(9, 0, 0), At(9, 59, 59), -1, -1},  // wholly before
        {At(10, 4, 1), At(11, 0, 0), -1, -1},  // wholly after
        {At(9, 0, 0), At(10, 0, 0), -1, -1},   // ends on the first fix: first == last
        {At(10, 4, 0), At(11, 0, 0), -1, -1},  // starts on the last fix
    };
    for (const Case& c : cases) {
        int first = 7, last = 7;
        FindGpsRangeByTime(t.data(), n, c.start, c.end, &first, &last);
        EXPECT_EQ(first, c.first) << int(c.start.Minute) << ':' << int(c.start.Second);
        EXPECT_EQ(last, c.last) << int(c.end.Minute) << ':' << int(c.end.Second);
    }
    // Between fixes the search settles on the last fix it probed, next to the key.
    int first = 0, last = 0;
    FindGpsRangeByTime(t.data(), n, At(10, 0, 55), At(10, 3, 25), &first, &last);
    EXPECT_TRUE(first == 5 || first == 6) << first;
    EXPECT_TRUE(last == 20 || last == 21) << last;

    FindGpsRangeByTime(t.data(), 0, At(10, 0, 0), At(10, 4, 0), &first, &last);
    EXPECT_EQ(first, -1);
    EXPECT_EQ(last, -1);
    FindGpsRangeByTime(t.data(), n, At(10, 0, 0), At(10, 4, 0), nullptr, nullptr);  // no crash
}

TEST(GpsSearch, OneFixTable) {
    const std::vector<GpsRecord> t = Table(1);
    EXPECT_EQ(FindGpsIndexByTime(t.data(), 1, At(10, 0, 0)), 0);
    int first = 0, last = 0;
    FindGpsRangeByTime(t.data(), 1, At(10, 0, 0), At(10, 0, 0), &first, &last);
    EXPECT_EQ(first, -1);
    EXPECT_EQ(last, -1);
    FindGpsRangeByTime(t.data(), 1, At(9, 0, 0), At(11, 0, 0), &first, &last);
    EXPECT_EQ(first, -1);  // first 0, last 0: still no range
    EXPECT_EQ(last, -1);
}

}  // namespace
