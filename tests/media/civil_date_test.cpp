// tests/media/civil_date_test.cpp
//
// Day numbers of calendar dates: known days (values from Python's datetime),
// the arithmetic reading of out-of-range fields, and the way back for every
// day of 800 years.
#include "media/civil_date.h"

#include <gtest/gtest.h>

namespace media {
namespace {

struct KnownDay {
    int64_t year;
    int month;
    int day;
    int64_t days;
};

TEST(CivilDate, KnownDaysBothWays) {
    const KnownDay cases[] = {
        {1970, 1, 1, 0},      {1969, 12, 31, -1},    {2000, 2, 29, 11016}, {2000, 3, 1, 11017},
        {2024, 2, 29, 19782}, {2063, 12, 31, 34332}, {2100, 3, 1, 47541},  {1600, 1, 1, -135140},
    };
    for (const KnownDay& c : cases) {
        EXPECT_EQ(DaysFromCivil(c.year, c.month, c.day), c.days) << c.year << "-" << c.month << "-" << c.day;
        int64_t y = 0;
        int m = 0;
        int d = 0;
        CivilFromDays(c.days, &y, &m, &d);
        EXPECT_EQ(y, c.year) << c.days;
        EXPECT_EQ(m, c.month) << c.days;
        EXPECT_EQ(d, c.day) << c.days;
    }
}

TEST(CivilDate, FieldsOutOfRangeCarryIntoTheNeighbours) {
    EXPECT_EQ(DaysFromCivil(2023, 13, 1), DaysFromCivil(2024, 1, 1));
    EXPECT_EQ(DaysFromCivil(2024, 0, 31), DaysFromCivil(2023, 12, 31));
    EXPECT_EQ(DaysFromCivil(2024, -11, 1), DaysFromCivil(2023, 1, 1));
    EXPECT_EQ(DaysFromCivil(2024, 3, 0), DaysFromCivil(2024, 2, 29));
    EXPECT_EQ(DaysFromCivil(2023, 3, 0), DaysFromCivil(2023, 2, 28));
    EXPECT_EQ(DaysFromCivil(2024, 1, 32), DaysFromCivil(2024, 2, 1));
}

TEST(CivilDate, EveryDayOfEightCenturiesRoundTrips) {
    const int64_t first = DaysFromCivil(1600, 1, 1);
    const int64_t last = DaysFromCivil(2399, 12, 31);
    int64_t year = 1600;
    int month = 1;
    int day = 1;
    for (int64_t n = first; n <= last; n++) {
        int64_t y = 0;
        int m = 0;
        int d = 0;
        CivilFromDays(n, &y, &m, &d);
        // Each day is the one after the day before: the next day of the
        // month, or the first of the next month after a day 28 to 31.
        if (n > first) {
            const bool nextDay = y == year && m == month && d == day + 1;
            const bool nextMonth =
                d == 1 && day >= 28 && m == month % 12 + 1 && y == (month == 12 ? year + 1 : year);
            ASSERT_TRUE(nextDay || nextMonth) << n << ": " << y << "-" << m << "-" << d;
        }
        ASSERT_EQ(DaysFromCivil(y, m, d), n);
        year = y;
        month = m;
        day = d;
    }
    EXPECT_EQ(year, 2399);
    EXPECT_EQ(month, 12);
    EXPECT_EQ(day, 31);
}

}  // namespace
}  // namespace media
