// CompareSystemTime and the folders MakeDirTree creates.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/dir_tree.h"
#include "app/system_time_compare.h"

namespace {

// The members of a SYSTEMTIME, in its order.
struct Time {
    uint16_t wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

TEST(CompareSystemTime, EachFieldOrdersMillisecondsAndWeekdayDoNot) {
    const Time base = {2023, 12, 5, 15, 10, 30, 45, 500};
    EXPECT_EQ(CompareSystemTime(base, base), 0);
    Time other = base;
    other.wMilliseconds = 999;
    other.wDayOfWeek = 0;
    EXPECT_EQ(CompareSystemTime(base, other), 0);
    uint16_t Time::*const fields[] = {&Time::wYear, &Time::wMonth,  &Time::wDay,
                                      &Time::wHour, &Time::wMinute, &Time::wSecond};
    for (auto field : fields) {
        Time later = base;
        later.*field = static_cast<uint16_t>(later.*field + 1);
        EXPECT_EQ(CompareSystemTime(base, later), -1);
        EXPECT_EQ(CompareSystemTime(later, base), 1);
    }
    // A larger lower field never outweighs a higher one.
    const Time a = {2023, 11, 0, 30, 23, 59, 59, 999};
    const Time b = {2023, 12, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(CompareSystemTime(a, b), -1);
}

TEST(DirTree, PrefixesOutermostFirst) {
    using List = std::vector<std::string>;
    EXPECT_EQ(DirTreePrefixes("D:\\DVR\\Capture\\ch1"),
              (List{"D:", "D:\\DVR", "D:\\DVR\\Capture", "D:\\DVR\\Capture\\ch1"}));
    EXPECT_EQ(DirTreePrefixes("D:\\DVR\\Clip\\"), (List{"D:", "D:\\DVR", "D:\\DVR\\Clip"}));
    EXPECT_EQ(DirTreePrefixes("C:/a\\\\b"), (List{"C:", "C:/a", "C:/a\\\\b"}));
    EXPECT_EQ(DirTreePrefixes("relative"), (List{"relative"}));
    EXPECT_TRUE(DirTreePrefixes("").empty());
    EXPECT_TRUE(DirTreePrefixes("\\").empty());
}

}  // namespace
