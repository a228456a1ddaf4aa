// app/base/system_clock.cpp
#include <ctime>

#include "app/base/play_ports.h"
#include "platform/clock.h"
#include "platform/sync.h"

namespace play {

namespace {

CivilTime FromTm(const std::tm& tm) {
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

CivilTime SystemClock::LocalNow() const {
    return LocalTimeOf(platform::WallClockMicros() / 1000000).value_or(CivilTime{});
}

std::optional<CivilTime> SystemClock::LocalTimeOf(int64_t secondsSince1970) const {
    std::tm tm{};
    if (!platform::LocalTime(static_cast<std::time_t>(secondsSince1970), &tm))
        return std::nullopt;
    return FromTm(tm);
}

void SystemClock::SleepMs(int ms) {
    if (ms > 0)
        platform::SleepMs(static_cast<uint32_t>(ms));
}

}  // namespace play
