// app/base/timebar_record.cpp
#include "app/base/timebar_record.h"

#include "veknet/veknet_api.h"
#include "vkfs/vkfs_api.h"

namespace play {

int64_t TimeKey(const RecfileTime& t) {
    return (int64_t{t.year} << 40) | (int64_t{t.month} << 32) | (int64_t{t.day} << 24) |
           (int64_t{t.hour} << 16) | (int64_t{t.minute} << 8) | int64_t{t.second};
}

namespace {

uint8_t Byte(int32_t v) {
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

}  // namespace

RecfileTime RecfileTimeFromRecTime(const RecTime& t) {
    RecfileTime r;
    const int32_t year = t.year < 0 ? 2000 : t.year > 65535 - 2000 ? 65535 : 2000 + t.year;
    r.year = static_cast<uint16_t>(year);
    r.month = Byte(t.month);
    r.day = Byte(t.day);
    r.hour = Byte(t.hour);
    r.minute = Byte(t.minute);
    r.second = Byte(t.second);
    return r;
}

RecTime RecTimeFromRecfileTime(const RecfileTime& t) {
    return RecTime{int32_t{t.year} - 2000, t.month, t.day, t.hour, t.minute, t.second};
}

NetRecordTime NetRecordTimeOf(const RecfileTime& t) {
    NetRecordTime n{};
    n.year = t.year;
    n.month = t.month;
    n.day = t.day;
    n.hour = t.hour;
    n.minute = t.minute;
    n.second = t.second;
    return n;
}

RecfileTime RecfileTimeOfNetTime(const NetRecordTime& t) {
    RecfileTime r;
    r.year = t.year;
    r.month = t.month;
    r.day = t.day;
    r.hour = t.hour;
    r.minute = t.minute;
    r.second = t.second;
    r.spare = t.reserved;
    return r;
}

uint32_t RecordTypeColour(int32_t type) {
    switch (type) {
        case 1:
            return 0x00FF00;
        case 2:
            return 0x0000FF;
        case 4:
            return 0x00FFFF;
        case 8:
            return 0xFF0000;
        case 16:
        case 32:
        case 64:
        case 128:
            return 0xFFAA00;
        case -1:
            return 0xFFA346;
        default:
            return 0x00FF00;
    }
}

int PaintPriority(int32_t type) {
    switch (type) {
        case 2:
            return 40;
        case 4:
            return 35;
        case 8:
            return 30;
        case 16:
        case 32:
        case 64:
        case 128:
            return 10;
        case 1:
            return 5;
        default:
            return 0;
    }
}

}  // namespace play
