// platform/clock.cpp
#include "platform/clock.h"

#include <chrono>
#include <cstdio>

namespace platform {

int64_t WallClockMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

uint64_t TickMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool LocalTime(std::time_t t, std::tm* out) {
    std::tm result = {};
#ifdef _WIN32
    if (localtime_s(&result, &t) != 0)
        return false;
#else
    if (localtime_r(&t, &result) == nullptr)
        return false;
#endif
    *out = result;
    return true;
}

std::string FormatLocalTime(std::time_t t) {
    std::tm tm = {};
    if (!LocalTime(t, &tm))
        return std::string();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

}  // namespace platform
