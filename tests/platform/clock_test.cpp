// tests/platform/clock_test.cpp
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/sync.h"

namespace platform {
namespace {

// Sets the process's time zone for one test and puts the old one back. POSIX
// and the Windows C runtime read the same "NAME[+|-]HOURS" form, hours being
// what to add to local time to get UTC.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        Apply(zone);
    }
    ~ScopedTimeZone() { Apply(old_ ? old_->c_str() : nullptr); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    static void Apply(const char* zone) {
#ifdef _WIN32
        _putenv_s("TZ", zone ? zone : "");
        _tzset();
#else
        if (zone)
            setenv("TZ", zone, 1);
        else
            unsetenv("TZ");
        tzset();
#endif
    }
    std::optional<std::string> old_;
};

TEST(ClockTest, FormatsLocalTimeFieldByField) {
    ScopedTimeZone utc("UTC0");
    EXPECT_EQ(FormatLocalTime(0), "1970-01-01 00:00:00");
    EXPECT_EQ(FormatLocalTime(951782399), "2000-02-28 23:59:59");
    EXPECT_EQ(FormatLocalTime(951782400 + 3600 * 13 + 60 * 5 + 9), "2000-02-29 13:05:09");
    EXPECT_EQ(FormatLocalTime(1700000000), "2023-11-14 22:13:20");

    std::tm tm = {};
    ASSERT_TRUE(LocalTime(1700000000, &tm));
    EXPECT_EQ(tm.tm_year, 123);
    EXPECT_EQ(tm.tm_mon, 10);
    EXPECT_EQ(tm.tm_mday, 14);
    EXPECT_EQ(tm.tm_wday, 2);  // a Tuesday
    EXPECT_EQ(tm.tm_hour, 22);
}

TEST(ClockTest, LocalTimeFollowsTheTimeZone) {
    ScopedTimeZone beijing("CST-8");
    EXPECT_EQ(FormatLocalTime(0), "1970-01-01 08:00:00");
    EXPECT_EQ(FormatLocalTime(1700000000), "2023-11-15 06:13:20");
    std::tm tm = {};
    ASSERT_TRUE(LocalTime(1700000000, &tm));
    EXPECT_EQ(tm.tm_mday, 15);
}

TEST(ClockTest, WallClockIsMicrosecondsSinceTheEpoch) {
    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    const int64_t micros = WallClockMicros();
    const int64_t after = static_cast<int64_t>(std::time(nullptr));
    EXPECT_GE(micros / 1000000, before - 1);
    EXPECT_LE(micros / 1000000, after + 1);
}

TEST(ClockTest, TickMovesForward) {
    const uint64_t first = TickMs();
    EXPECT_GE(TickMs(), first);
    SleepMs(20);
    EXPECT_GT(TickMs(), first);
}

}  // namespace
}  // namespace platform
