// vkfs/records.cpp
#include "vkfs/records.h"

#include <cstring>

namespace vkfs {

namespace {

constexpr int kYearBase = 2000;

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int yearFrom2000, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    if (month == 2 && IsLeap(yearFrom2000 + kYearBase))
        return 29;
    return kDays[month - 1];
}

template <typename T>
int Order(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace

int CompareRecTime(const RecTime& a, const RecTime& b) {
    const int32_t fa[6] = {a.year, a.month, a.day, a.hour, a.minute, a.second};
    const int32_t fb[6] = {b.year, b.month, b.day, b.hour, b.minute, b.second};
    for (int i = 0; i < 6; i++) {
        if (const int o = Order(fa[i], fb[i]))
            return o;
    }
    return 0;
}

RecTime MakeRecTime(int year, int month, int day, int hour, int minute, int second) {
    return RecTime{year, month, day, hour, minute, second};
}

RecTime AddOneSecond(const RecTime& t) {
    RecTime r = t;
    if (++r.second < 60)
        return r;
    r.second = 0;
    if (++r.minute < 60)
        return r;
    r.minute = 0;
    if (++r.hour < 24)
        return r;
    r.hour = 0;
    if (++r.day <= DaysInMonth(r.year, r.month))
        return r;
    r.day = 1;
    if (++r.month <= 12)
        return r;
    r.month = 1;
    ++r.year;
    return r;
}

vekfs::vekfs_time ToVekfsTime(const RecTime& t) {
    vekfs::vekfs_time v;
    v.year = static_cast<uint16_t>(t.year);
    v.month = static_cast<uint8_t>(t.month);
    v.day = static_cast<uint8_t>(t.day);
    v.hour = static_cast<uint8_t>(t.hour);
    v.minute = static_cast<uint8_t>(t.minute);
    v.second = static_cast<uint8_t>(t.second);
    return v;
}

RecTime FromVekfsTime(const vekfs::vekfs_time& t) {
    return RecTime{t.year, t.month, t.day, t.hour, t.minute, t.second};
}

void ToSixInts(const RecTime& t, int32_t out[6]) {
    out[0] = t.year;
    out[1] = t.month;
    out[2] = t.day;
    out[3] = t.hour;
    out[4] = t.minute;
    out[5] = t.second;
}

RecTime FromSixInts(const int32_t in[6]) {
    return RecTime{in[0], in[1], in[2], in[3], in[4], in[5]};
}

int TypeBitV1(uint32_t t) {
    if ((t & 0x6) == 0x6)
        return 2;
    if (t & 0x1)
        return 1;
    if (t & 0x4)
        return 8;
    if (t & 0x2)
        return 4;
    return 0;
}

int TypeBitV2(uint32_t t) {
    if (t & 0x38)
        return 128;
    if ((t & 0x6) == 0x6)
        return 2;
    if (t & 0x2)
        return 4;
    if (t & 0x4)
        return 8;
    if (t & 0x1)
        return 1;
    return 0;
}

int TypeBitFor(FSReaderKind kind, uint32_t typeBits) {
    return kind == FS_READER_VEKFS2 ? TypeBitV2(typeBits) : TypeBitV1(typeBits);
}

FSRecordInfo RecordFromDescriptor(const vekfs::event_desc& d, int count, FSReaderKind kind) {
    FSRecordInfo r{};
    r.searchHandle = d.handle;
    r.listChannel = d.list_channel;
    r.overwritten = d.overwritten;
    r.eventIndex = d.event_index;
    r.listPosition = d.list_pos;
    r.location = d.location;
    if (kind == FS_READER_VEKFS)
        r.passWord = static_cast<uint16_t>(d.media_first);
    r.channel = d.channel;
    r.attr1 = d.attr22;
    r.attr2 = d.attr23;
    r.byte19 = d.unused19;
    r.dataStart = d.data_start;
    r.indexStart = d.index_start;
    r.indexEnd = d.index_end;
    if (kind == FS_READER_VEKFS2) {
        r.mediaFirst = d.media_first;
        r.mediaLast = d.media_last;
    }
    r.typeBit = TypeBitFor(kind, d.type_bits);
    r.dataLength = static_cast<int32_t>(d.data_length);
    r.lengthHigh = 0;
    r.recordCount = count;
    r.start = FromVekfsTime(d.start);
    r.end = FromVekfsTime(d.end);
    return r;
}

vekfs::event_desc DescriptorFromRecord(const FSRecordInfo& r, FSReaderKind kind) {
    vekfs::event_desc d;
    d.handle = r.searchHandle;
    d.list_channel = r.listChannel;
    d.overwritten = r.overwritten;
    d.event_index = r.eventIndex;
    d.list_pos = r.listPosition;
    d.location = r.location;
    d.type_bits = static_cast<uint32_t>(r.typeBit);
    d.channel = r.channel;
    d.attr22 = r.attr1;
    d.attr23 = r.attr2;
    d.unused19 = r.byte19;
    d.start = ToVekfsTime(r.start);
    d.end = ToVekfsTime(r.end);
    d.data_start = r.dataStart;
    d.data_length = static_cast<uint32_t>(r.dataLength);
    d.index_start = r.indexStart;
    d.index_end = r.indexEnd;
    if (kind == FS_READER_VEKFS2) {
        d.media_first = r.mediaFirst;
        d.media_last = r.mediaLast;
    } else {
        d.media_first = r.passWord;
    }
    return d;
}

FSRecordInfo RecordFromFindResult(const dvrfs_find_result& f) {
    FSRecordInfo r{};
    r.dvrWords[0] = f.word56;
    r.dvrWords[1] = f.split7;
    r.dvrWords[2] = f.split06;
    r.dvrWords[3] = f.recordType;
    std::memcpy(r.diskPath, f.diskPath, sizeof r.diskPath);
    r.diskPath[sizeof r.diskPath - 1] = '\0';
    r.dvrTail[0] = static_cast<uint32_t>(f.diskSet);
    r.dvrTail[1] = f.word156;
    r.dvrTail[2] = static_cast<uint32_t>(f.channel);
    r.dvrTail[3] = f.diskId;
    r.dvrTail[4] = f.lastSector;
    r.typeBit = TypeBitV1(f.recordType);
    r.dataLength = static_cast<int32_t>(f.lengthLow);
    r.lengthHigh = static_cast<int32_t>(f.lengthHigh);
    r.recordCount = 0;
    r.start = FromSixInts(f.start);
    r.end = FromSixInts(f.end);
    return r;
}

dvrfs_find_result FindResultFromRecord(const FSRecordInfo& r) {
    dvrfs_find_result f;
    ToSixInts(r.start, f.start);
    ToSixInts(r.end, f.end);
    f.lengthLow = static_cast<uint32_t>(r.dataLength);
    f.lengthHigh = static_cast<uint32_t>(r.lengthHigh);
    f.word56 = r.dvrWords[0];
    f.split7 = r.dvrWords[1];
    f.split06 = r.dvrWords[2];
    f.recordType = r.dvrWords[3];
    std::memcpy(f.diskPath, r.diskPath, sizeof f.diskPath);
    f.diskPath[sizeof f.diskPath - 1] = '\0';
    f.diskSet = static_cast<int32_t>(r.dvrTail[0]);
    f.word156 = r.dvrTail[1];
    f.channel = static_cast<int32_t>(r.dvrTail[2]);
    f.diskId = r.dvrTail[3];
    f.lastSector = r.dvrTail[4];
    return f;
}

FSMonthResult MonthFromDvrfs(const dvrfs_month_result& m) {
    FSMonthResult r{};
    r.year = m.month[0];
    r.month = m.month[1];
    for (int d = 0; d < 31; d++)
        r.days[d] = m.days[d];
    return r;
}

int FindRecordIndex(const RecordList& records, const RecTime& t, int group) {
    for (size_t i = 0; i < records.size(); i++) {
        const FSRecordInfo& r = records[i].second;
        const bool hit = group == 0 ? CompareRecTime(r.start, t) <= 0 && CompareRecTime(t, r.end) < 0
                                    : CompareRecTime(r.start, t) == 0 && CompareRecTime(r.end, t) >= 0;
        if (hit)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace vkfs
