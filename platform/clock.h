// platform/clock.h
//
// Clocks and local time:
//   WallClockMicros   microseconds since 1970-01-01 00:00:00 UTC (system clock,
//                     moves when the user sets the clock)
//   TickMs            a monotonic millisecond count from an arbitrary start, for
//                     intervals and time-outs (a 64-bit GetTickCount)
//   LocalTime         the local broken-down time of a time_t (thread-safe)
//   FormatLocalTime   "YYYY-MM-DD HH:MM:SS" in local time, as the logs write it
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace platform {

int64_t WallClockMicros();
uint64_t TickMs();

// False (and *out untouched) when the system cannot convert `t`.
bool LocalTime(std::time_t t, std::tm* out);

// "" when `t` cannot be converted.
std::string FormatLocalTime(std::time_t t);

}  // namespace platform
