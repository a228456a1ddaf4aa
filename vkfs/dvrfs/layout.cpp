// vkfs/dvrfs/layout.cpp
#include "vkfs/dvrfs/layout.h"

#include <cstring>

#include "platform/le_bytes.h"

namespace vkfs::dvrfs {

using platform::GetU16;
using platform::GetU32;
using platform::PutU16;
using platform::PutU32;

namespace {

constexpr size_t kMagicAt = 0, kGroupAt = 4, kVersionAt = 32, kFirstGeometryAt = 36, kLastGeometryAt = 108;
constexpr size_t kIndexBaseAt = 20, kChannelSizeAt = 24;
constexpr size_t kSecondIndexAt = 0, kPrevAt = 4, kNextAt = 8, kCountAt = 24;

const uint8_t* EntryAt(const uint8_t* sector, uint32_t k) {
    return sector + kDayChannelHeaderBytes + static_cast<size_t>(k) * kRecEntryBytes;
}

}  // namespace

size_t GeometryOffset(size_t i) {
    return i < 12 ? kFirstGeometryAt + 4 * i : kLastGeometryAt;
}

FormatInfo DecodeFormat(const uint8_t* s) {
    FormatInfo f;
    std::memcpy(f.bytes.data(), s, kFormatBytes);
    f.magic = GetU32(s + kMagicAt);
    f.group = GetU32(s + kGroupAt);
    f.version = GetU32(s + kVersionAt);
    for (size_t i = 0; i < f.geometry.size(); i++)
        f.geometry[i] = GetU32(s + GeometryOffset(i));
    return f;
}

void EncodeFormat(const FormatInfo& f, uint8_t* s) {
    std::memcpy(s, f.bytes.data(), kFormatBytes);
    for (size_t i = 0; i < f.geometry.size(); i++)
        PutU32(s + GeometryOffset(i), f.geometry[i]);
    PutU32(s + kMagicAt, f.magic);
    PutU32(s + kGroupAt, f.group);
    PutU32(s + kVersionAt, f.version);
}

bool GeometrySound(const FormatInfo& f) {
    for (uint32_t word : f.geometry)
        if (word == 0 || word == 0xFFFFFFFFu)
            return false;
    return true;
}

DataInfo DecodeDataInfo(const uint8_t* s) {
    return DataInfo{GetU32(s + kIndexBaseAt), GetU32(s + kChannelSizeAt)};
}

void EncodeDataInfo(const DataInfo& info, uint8_t* s) {
    PutU32(s + kIndexBaseAt, info.indexBase);
    PutU32(s + kChannelSizeAt, info.channelSize);
}

IndexPlace MonthEntryPlace(uint32_t i) {
    if (i == 0)
        return IndexPlace{0, kMonthEntryBytes};
    return IndexPlace{(i + 1) / 2, i % 2 == 1 ? 0 : kMonthEntryBytes};
}

MonthEntry DecodeMonthEntry(const uint8_t* e) {
    MonthEntry m;
    m.year = GetU16(e);
    m.month = GetU16(e + 2);
    for (int d = 1; d <= kDaysInMonthEntry; d++) {
        m.flags[static_cast<size_t>(d)] = GetU32(e + 8 * d);
        m.first[static_cast<size_t>(d)] = GetU32(e + 8 * d + 4);
    }
    return m;
}

void EncodeMonthEntry(const MonthEntry& m, uint8_t* e) {
    PutU16(e, m.year);
    PutU16(e + 2, m.month);
    for (int d = 1; d <= kDaysInMonthEntry; d++) {
        PutU32(e + 8 * d, m.flags[static_cast<size_t>(d)]);
        PutU32(e + 8 * d + 4, m.first[static_cast<size_t>(d)]);
    }
}

DayChannelHeader DecodeDayChannel(const uint8_t* s) {
    DayChannelHeader h;
    h.secondIndex = GetU32(s + kSecondIndexAt);
    h.prev = GetU32(s + kPrevAt);
    h.next = GetU32(s + kNextAt);
    h.count = GetU16(s + kCountAt);
    return h;
}

void EncodeDayChannel(const DayChannelHeader& h, uint8_t* s) {
    PutU32(s + kSecondIndexAt, h.secondIndex);
    PutU32(s + kPrevAt, h.prev);
    PutU32(s + kNextAt, h.next);
    PutU16(s + kCountAt, h.count);
}

TimeOfDay UnpackTime(uint32_t packed) {
    return TimeOfDay{static_cast<int>(packed & 0xFF), static_cast<int>((packed >> 8) & 0xFF),
                     static_cast<int>((packed >> 16) & 0xFF)};
}

uint32_t PackTime(int hour, int minute, int second) {
    return static_cast<uint32_t>(hour & 0xFF) | static_cast<uint32_t>(minute & 0xFF) << 8 |
           static_cast<uint32_t>(second & 0xFF) << 16;
}

RecEntry DecodeRecEntry(const uint8_t* sector, uint32_t k) {
    const uint8_t* p = EntryAt(sector, k);
    RecEntry e;
    e.start = GetU32(p);
    e.end = GetU32(p + 4);
    e.sectors = GetU32(p + 8);
    e.word12 = GetU32(p + 12);
    e.word16 = GetU16(p + 16);
    e.types = GetU32(p + 24);
    e.lastSector = GetU32(p + 32);
    e.split = p[36];
    e.classByte = p[37];
    e.skip = p[38];
    return e;
}

void EncodeRecEntry(const RecEntry& e, uint8_t* sector, uint32_t k) {
    uint8_t* p = sector + kDayChannelHeaderBytes + static_cast<size_t>(k) * kRecEntryBytes;
    PutU32(p, e.start);
    PutU32(p + 4, e.end);
    PutU32(p + 8, e.sectors);
    PutU32(p + 12, e.word12);
    PutU16(p + 16, e.word16);
    PutU32(p + 24, e.types);
    PutU32(p + 32, e.lastSector);
    p[36] = e.split;
    p[37] = e.classByte;
    p[38] = e.skip;
}

SecondEntry DecodeSecondEntry(const uint8_t* sector, uint32_t e) {
    const uint8_t* p = sector + SecondEntryOffset(e);
    return SecondEntry{GetU32(p), GetU32(p + 4)};
}

void EncodeSecondEntry(const SecondEntry& s, uint8_t* sector, uint32_t e) {
    uint8_t* p = sector + SecondEntryOffset(e);
    PutU32(p, s.dataSector);
    PutU32(p + 4, s.secondWord);
}

BitmapEntry DecodeBitmapEntry(const uint8_t* sector, uint64_t block) {
    const uint8_t* p = sector + BitmapOffset(block);
    return BitmapEntry{GetU32(p), p[12]};
}

void EncodeBitmapEntry(const BitmapEntry& b, uint8_t* sector, uint64_t block) {
    uint8_t* p = sector + BitmapOffset(block);
    PutU32(p, b.next);
    p[12] = b.owner;
}

}  // namespace vkfs::dvrfs
