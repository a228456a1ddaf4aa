// reader/format.cpp
#include "reader/format.h"

#include <algorithm>
#include <cstring>

#include "media/civil_date.h"

namespace vekfs {

using platform::GetU16;
using platform::GetU32;
using platform::GetU64;
using platform::GetU8;
using platform::PutU16;
using platform::PutU32;
using platform::PutU64;
using platform::PutU8;

const FormatTraits* TraitsForVersion(uint32_t version) {
    if (version == kFormatV1.version)
        return &kFormatV1;
    if (version == kFormatV2.version)
        return &kFormatV2;
    return nullptr;
}

// ---- time -------------------------------------------------------------------------

packed_time pack_time(const vekfs_time& t) {
    return ((static_cast<uint32_t>(t.year) & 0x3f) << 26) | ((static_cast<uint32_t>(t.month) & 0xf) << 22) |
           ((static_cast<uint32_t>(t.day) & 0x1f) << 17) | ((static_cast<uint32_t>(t.hour) & 0x1f) << 12) |
           ((static_cast<uint32_t>(t.minute) & 0x3f) << 6) | (static_cast<uint32_t>(t.second) & 0x3f);
}

vekfs_time unpack_time(packed_time v) {
    vekfs_time t;
    t.year = static_cast<uint16_t>(v >> 26);
    t.month = static_cast<uint8_t>((v >> 22) & 0xf);
    t.day = static_cast<uint8_t>((v >> 17) & 0x1f);
    t.hour = static_cast<uint8_t>((v >> 12) & 0x1f);
    t.minute = static_cast<uint8_t>((v >> 6) & 0x3f);
    t.second = static_cast<uint8_t>(v & 0x3f);
    return t;
}

int64_t civil_to_unix_seconds(int64_t year, int month, int day, int64_t second_of_day) {
    return media::DaysFromCivil(year, month, day) * 86400 + second_of_day;
}

int64_t packed_to_unix_seconds(packed_time v) {
    const vekfs_time t = unpack_time(v);
    return civil_to_unix_seconds(2000 + t.year, t.month, t.day, t.hour * 3600 + t.minute * 60 + t.second);
}

packed_time unix_seconds_to_packed(int64_t seconds) {
    const int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const int64_t rest = seconds - days * 86400;
    int64_t year = 0;
    int month = 0;
    int day = 0;
    media::CivilFromDays(days, &year, &month, &day);
    vekfs_time t;
    t.year = static_cast<uint16_t>(std::clamp<int64_t>(year - 2000, 0, 63));
    t.month = static_cast<uint8_t>(month);
    t.day = static_cast<uint8_t>(day);
    t.hour = static_cast<uint8_t>(rest / 3600);
    t.minute = static_cast<uint8_t>(rest / 60 % 60);
    t.second = static_cast<uint8_t>(rest % 60);
    return pack_time(t);
}

// ---- disk parameter block ----------------------------------------------------------

disk_param decode_disk_param(const uint8_t* b) {
    disk_param p;
    std::memcpy(p.raw.data(), b, kDiskParamSize);
    p.magic = GetU32(b + 0);
    p.capacity = GetU32(b + 4);
    p.part_count = GetU8(b + 12);
    p.disk_state = GetU8(b + 14);
    p.fs_type = GetU8(b + 15);
    p.version = GetU16(b + 16);
    p.version_again = GetU16(b + 18);
    p.file_table_offset = GetU32(b + 20);
    p.event_area_offset = GetU32(b + 24);
    p.few_channels = GetU32(b + 36);
    p.channels = GetU32(b + 52);
    for (int i = 0; i < kMaxPartitions; i++)
        p.part_start[i] = GetU64(b + 72 + 8 * i);
    p.copy_size = GetU32(b + 104);
    for (int i = 0; i < kMaxPartitions; i++)
        p.valid_bits[i] = GetU8(b + 116 + i);
    p.check_sum = GetU32(b + 124);
    return p;
}

void encode_disk_param(const disk_param& p, uint8_t* b) {
    std::memcpy(b, p.raw.data(), kDiskParamSize);
    PutU32(b + 0, p.magic);
    PutU32(b + 4, p.capacity);
    PutU8(b + 12, p.part_count);
    PutU8(b + 14, p.disk_state);
    PutU8(b + 15, p.fs_type);
    PutU16(b + 16, p.version);
    PutU16(b + 18, p.version_again);
    PutU32(b + 20, p.file_table_offset);
    PutU32(b + 24, p.event_area_offset);
    PutU32(b + 36, p.few_channels);
    PutU32(b + 52, p.channels);
    for (int i = 0; i < kMaxPartitions; i++)
        PutU64(b + 72 + 8 * i, p.part_start[i]);
    PutU32(b + 104, p.copy_size);
    for (int i = 0; i < kMaxPartitions; i++)
        PutU8(b + 116 + i, p.valid_bits[i]);
    PutU32(b + 124, p.check_sum);
}

uint32_t disk_param_xor(const uint8_t* b) {
    uint32_t x = 0;
    for (size_t off = 0; off <= 120; off += 4)
        x ^= GetU32(b + off);
    return x;
}

const char* disk_param_impossible(const disk_param& p, const FormatTraits& f) {
    if (p.part_count > kMaxPartitions)
        return "more than 4 partitions";
    if (p.channels > kMaxRecChannels)
        return "more than 128 channels";
    if (p.part_count == 0)
        return nullptr;  // nothing below is used without partitions
    if (p.copy_size < kPartInfoSize)
        return "index copy smaller than its partition record";
    if (static_cast<uint64_t>(p.copy_size) * kIndexCopies > kIndexAreaSize)
        return "four index copies pass the 512 MB index area";
    if (p.file_table_offset < kPartInfoSize || p.file_table_offset >= p.copy_size)
        return "file table outside the index copy";
    if (p.event_area_offset < kPartInfoSize || p.event_area_offset >= p.copy_size)
        return "event area outside the index copy";
    if (p.event_area_offset + f.EventBlockSize() > p.copy_size)
        return "event area cannot hold one block";
    for (int i = 0; i < p.part_count; i++) {
        // A partition must at least hold its index area below the first data file.
        if (p.part_start[i] > UINT64_MAX - kIndexAreaSize - kDataFileSize)
            return "partition start out of range";
    }
    return nullptr;
}

// ---- partition record ----------------------------------------------------------------

part_info decode_part_info(const uint8_t* b) {
    part_info p;
    std::memcpy(p.raw.data(), b, kPartInfoSize);
    p.magic = GetU32(b + 0);
    p.file_count = GetU16(b + 4);
    p.free_count = GetU16(b + 6);
    p.state = GetU8(b + 10);
    p.repair_flag = GetU8(b + 11);
    p.type0_start = GetU32(b + 16);
    p.type0_end = GetU32(b + 20);
    p.type1_start = GetU32(b + 24);
    p.type1_end = GetU32(b + 28);
    return p;
}

void encode_part_info(const part_info& p, uint8_t* b) {
    std::memcpy(b, p.raw.data(), kPartInfoSize);
    PutU32(b + 0, p.magic);
    PutU16(b + 4, p.file_count);
    PutU16(b + 6, p.free_count);
    PutU8(b + 10, p.state);
    PutU8(b + 11, p.repair_flag);
    PutU32(b + 16, p.type0_start);
    PutU32(b + 20, p.type0_end);
    PutU32(b + 24, p.type1_start);
    PutU32(b + 28, p.type1_end);
}

// ---- file entry -------------------------------------------------------------------------

file_info decode_file_info(const uint8_t* b, const FormatTraits& f) {
    file_info e;
    std::memcpy(e.raw.data(), b, f.fileInfoSize);
    e.magic = GetU32(b + 0);
    e.number = GetU16(b + 4);
    e.event_count = GetU16(b + 6);
    e.state = GetU8(b + 8);
    e.channel = GetU8(b + 9);
    e.data_type = GetU8(b + 10);
    e.start = GetU32(b + 12);
    e.end = GetU32(b + 16);
    e.end_sequence = GetU32(b + 20);
    e.data_end = GetU32(b + 24);
    e.index_end = GetU32(b + 28);
    e.switch_word = GetU32(b + 32);
    for (int k = 0; k < f.dayBitmapWords; k++)
        e.day_bitmap[k] = GetU32(b + 36 + 4 * k);
    return e;
}

void encode_file_info(const file_info& e, const FormatTraits& f, uint8_t* b) {
    std::memcpy(b, e.raw.data(), f.fileInfoSize);
    PutU32(b + 0, e.magic);
    PutU16(b + 4, e.number);
    PutU16(b + 6, e.event_count);
    PutU8(b + 8, e.state);
    PutU8(b + 9, e.channel);
    PutU8(b + 10, e.data_type);
    PutU32(b + 12, e.start);
    PutU32(b + 16, e.end);
    PutU32(b + 20, e.end_sequence);
    PutU32(b + 24, e.data_end);
    PutU32(b + 28, e.index_end);
    PutU32(b + 32, e.switch_word);
    for (int k = 0; k < f.dayBitmapWords; k++)
        PutU32(b + 36 + 4 * k, e.day_bitmap[k]);
}

// ---- event record -----------------------------------------------------------------------

namespace {

// Where the fields after the common 24 bytes lie in each version.
struct EventLayout {
    size_t end, data_length, index_end, skip;
};
constexpr EventLayout kEventV1{24, 28, 32, 36};
constexpr EventLayout kEventV2{28, 32, 36, 40};

const EventLayout& LayoutOf(const FormatTraits& f) {
    return f.version == 1 ? kEventV1 : kEventV2;
}

}  // namespace

pevent_info decode_pevent_info(const uint8_t* b, const FormatTraits& f) {
    const EventLayout& l = LayoutOf(f);
    pevent_info e;
    std::memcpy(e.raw.data(), b, f.eventSize);
    e.magic = GetU32(b + 0);
    e.start = GetU32(b + 4);
    e.data_start = GetU32(b + 8);
    e.index_start = GetU32(b + 12);
    e.type_bits = GetU32(b + 16);
    e.number = GetU16(b + 20);
    e.attr22 = GetU8(b + 22);
    e.attr23 = GetU8(b + 23);
    e.end = GetU32(b + l.end);
    e.data_length = GetU32(b + l.data_length);
    e.index_end = GetU32(b + l.index_end);
    e.skip = GetU8(b + l.skip);
    if (f.version == 1) {
        e.pass38 = GetU16(b + 38);
    } else {
        e.media_first = GetU32(b + 24);
        e.media_last = GetU32(b + 44);
    }
    return e;
}

void encode_pevent_info(const pevent_info& e, const FormatTraits& f, uint8_t* b) {
    const EventLayout& l = LayoutOf(f);
    std::memcpy(b, e.raw.data(), f.eventSize);
    PutU32(b + 0, e.magic);
    PutU32(b + 4, e.start);
    PutU32(b + 8, e.data_start);
    PutU32(b + 12, e.index_start);
    PutU32(b + 16, e.type_bits);
    PutU16(b + 20, e.number);
    PutU8(b + 22, e.attr22);
    PutU8(b + 23, e.attr23);
    PutU32(b + l.end, e.end);
    PutU32(b + l.data_length, e.data_length);
    PutU32(b + l.index_end, e.index_end);
    PutU8(b + l.skip, e.skip);
    if (f.version == 1) {
        PutU16(b + 38, e.pass38);
    } else {
        PutU32(b + 24, e.media_first);
        PutU32(b + 44, e.media_last);
    }
}

// ---- key-frame entry -----------------------------------------------------------------

kframe_entry decode_kframe_entry(const uint8_t* b) {
    return kframe_entry{GetU32(b + 0), GetU32(b + 4), GetU32(b + 8), GetU32(b + 12)};
}

void encode_kframe_entry(const kframe_entry& e, uint8_t* b) {
    PutU32(b + 0, e.marker);
    PutU32(b + 4, e.time);
    PutU32(b + 8, e.offset);
    PutU32(b + 12, e.length);
}

}  // namespace vekfs
