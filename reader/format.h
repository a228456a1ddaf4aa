// reader/format.h
//
// The recorder's on-disk format, versions 1 and 2: the one definition of its
// records for the whole system (the reader, the recording access library and
// the image tools). The 40-byte header in front of every frame is
// media/frame_header.h.
//
// Layout of a recorder disk:
//   byte 256          disk parameter block (128 bytes) inside sector 0, which also
//                     holds the MBR
//   partition p       starts at disk_param.part_start[p]; its first 512 MB hold four
//                     copies of its index, copy k at part_start + k * copy_size
//   index copy        +0 partition record, +file_table_offset the file table,
//                     +event_area_offset one block of 256 event records per file
//   data file j       (0-based position in the file table) 256 MB at
//                     part_start + (j + 2) * 256 MB: a copy of its file entry at
//                     byte 0, frames from each event's data start upward, and the
//                     key-frame index growing downward from the end of the file
//
// All integers are little-endian. Records are decoded field by field into the
// structs below; each struct keeps the bytes it was decoded from (`raw`), and the
// encoder starts from them, so reserved bytes survive a read-modify-write.
//
// Versions differ only in the file entry (64 / 112 bytes, 4 / 16 day bitmaps)
// and the event record (40 / 48 bytes, with its later fields moved); see
// FormatTraits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/le_bytes.h"

namespace vekfs {

using platform::FourCC;

// ---- geometry -----------------------------------------------------------------

inline constexpr uint64_t kDiskParamOffset = 256;
inline constexpr size_t kDiskParamSize = 128;
inline constexpr int kMaxPartitions = 4;
inline constexpr int kIndexCopies = 4;
inline constexpr uint64_t kDataFileSize = 0x10000000;          // 256 MB
inline constexpr uint64_t kIndexAreaSize = 2 * kDataFileSize;  // four copies fit in 512 MB
inline constexpr size_t kPartInfoSize = 40;
inline constexpr int kEventsPerBlock = 256;
inline constexpr size_t kKframeEntrySize = 16;
inline constexpr uint32_t kKframesPerPage = 256;  // 4096-byte index pages
inline constexpr size_t kKframePageSize = kKframesPerPage * kKframeEntrySize;
inline constexpr uint32_t kOpenEndSequence = 0xFFFFFFFF;  // file still being written
inline constexpr int kMaxRecChannels = 128;

// ---- magics (little-endian words of their four bytes) -------------------------

inline constexpr uint32_t kMagicDisk = FourCC("Vkfs");
inline constexpr uint32_t kMagicPart = FourCC("Part");
inline constexpr uint32_t kMagicFile = FourCC("File");
inline constexpr uint32_t kMagicEvent = FourCC("Even");
inline constexpr uint32_t kMagicEventWriting = FourCC("EvWr");
inline constexpr uint32_t kMagicIend = FourCC("Iend");

// ---- versions -----------------------------------------------------------------

struct FormatTraits {
    uint16_t version;     // as stored twice in the parameter block
    size_t fileInfoSize;  // file table entry
    size_t eventSize;     // event record
    int dayBitmapWords;   // day bitmaps in a file entry, one per type bit

    constexpr size_t EventBlockSize() const { return eventSize * kEventsPerBlock; }
};

inline constexpr FormatTraits kFormatV1{1, 64, 40, 4};
inline constexpr FormatTraits kFormatV2{2, 112, 48, 16};

// The traits of a stored version word, or null for an unknown version.
const FormatTraits* TraitsForVersion(uint32_t version);

// ---- time ---------------------------------------------------------------------

// Packed time: bits 31-26 year - 2000, 25-22 month, 21-17 day, 16-12 hour,
// 11-6 minute, 5-0 second. Compared as unsigned integers, packed times order in
// time.
using packed_time = uint32_t;

// Broken-down time as passed through the reader interface (8 bytes).
struct vekfs_time {
    uint16_t year = 0;  // counted from 2000
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    uint8_t pad = 0;

    friend bool operator==(const vekfs_time&, const vekfs_time&) = default;
};

inline constexpr uint32_t kMonthKeyMask = 0xffc00000;

// A broken-down time from calendar fields, the year in full (2023).
constexpr vekfs_time calendar_time(int year, int month, int day, int hour, int minute, int second) {
    return vekfs_time{static_cast<uint16_t>(year - 2000),
                      static_cast<uint8_t>(month),
                      static_cast<uint8_t>(day),
                      static_cast<uint8_t>(hour),
                      static_cast<uint8_t>(minute),
                      static_cast<uint8_t>(second),
                      0};
}

// Packs by masking each field to its width (hour 24 still packs; nothing clamps).
packed_time pack_time(const vekfs_time& t);
vekfs_time unpack_time(packed_time v);

inline uint32_t month_key(packed_time v) {
    return v & kMonthKeyMask;
}
// Half-hour slot 0..47 of the time of day (hour * 2, plus 1 from minute 30 on).
inline int halfhour_slot(packed_time v) {
    return static_cast<int>(((v >> 12) & 0x1f) * 2 + (v & 0xfff) / 1920);
}

// Seconds since 1970-01-01 00:00:00 UTC of a packed time, and back. Fields out
// of their calendar range are taken arithmetically (day 0 is the last day of the
// month before), so a damaged time never faults.
int64_t packed_to_unix_seconds(packed_time v);
packed_time unix_seconds_to_packed(int64_t seconds);
// Seconds since 1970-01-01 00:00:00 UTC of a calendar date (year in full) at
// second `second_of_day`, with the same arithmetic for fields out of range.
int64_t civil_to_unix_seconds(int64_t year, int month, int day, int64_t second_of_day);

// ---- disk parameter block (128 bytes at byte 256) -----------------------------

struct disk_param {
    uint32_t magic = 0;                                 // +0 "Vkfs"
    uint32_t capacity = 0;                              // +4
    uint8_t part_count = 0;                             // +12, at most 4
    uint8_t disk_state = 0;                             // +14, 3 or more: unusable
    uint8_t fs_type = 0;                                // +15, 0-3 accepted (3 raw disk)
    uint16_t version = 0;                               // +16
    uint16_t version_again = 0;                         // +18
    uint32_t file_table_offset = 0;                     // +20, inside an index copy
    uint32_t event_area_offset = 0;                     // +24, inside an index copy
    uint32_t few_channels = 0;                          // +36, set to 1 in memory with state 2
    uint32_t channels = 0;                              // +52, channels the disk was formatted for
    std::array<uint64_t, kMaxPartitions> part_start{};  // +72
    uint32_t copy_size = 0;                             // +104, bytes in one index copy
    std::array<uint8_t, kMaxPartitions> valid_bits{};   // +116, bits 0-3: usable copies
    uint32_t check_sum = 0;                             // +124, XOR of the 31 words at 0..120

    std::array<uint8_t, kDiskParamSize> raw{};  // bytes as read (reserved ones kept)
};

disk_param decode_disk_param(const uint8_t* bytes);
// Encodes the fields over `raw`; the check word is written as it stands in the
// struct (see disk_param_xor).
void encode_disk_param(const disk_param& p, uint8_t* out);
// XOR of the 31 little-endian words at offsets 0..120 of an encoded block.
uint32_t disk_param_xor(const uint8_t* bytes);

// ---- partition record (40 bytes at +0 of an index copy) ------------------------

struct part_info {
    uint32_t magic = 0;           // +0 "Part"
    uint16_t file_count = 0;      // +4
    uint16_t free_count = 0;      // +6, free file entries; free MB = this * 256
    uint8_t state = 0;            // +10, 2 or more: skipped by searches
    uint8_t repair_flag = 0;      // +11, 1: stopped uncleanly, repair on mount
    packed_time type0_start = 0;  // +16
    packed_time type0_end = 0;    // +20
    packed_time type1_start = 0;  // +24
    packed_time type1_end = 0;    // +28

    std::array<uint8_t, kPartInfoSize> raw{};
};

part_info decode_part_info(const uint8_t* bytes);
void encode_part_info(const part_info& p, uint8_t* out);

// ---- file entry (64 / 112 bytes) ----------------------------------------------

inline constexpr size_t kMaxFileInfoSize = 112;
inline constexpr int kMaxDayBitmapWords = 16;

enum file_state : uint8_t { kFileFree = 0, kFileClosed = 1, kFileWriting = 2 };

struct file_info {
    uint32_t magic = 0;                                     // +0 "File"
    uint16_t number = 0;                                    // +4, 1-based: entry j holds j + 1
    uint16_t event_count = 0;                               // +6
    uint8_t state = 0;                                      // +8, file_state; 3 and above invalid
    uint8_t channel = 0;                                    // +9
    uint8_t data_type = 0;                                  // +10
    packed_time start = 0;                                  // +12
    packed_time end = 0;                                    // +16
    uint32_t end_sequence = 0;                              // +20, kOpenEndSequence while written
    uint32_t data_end = 0;                                  // +24
    uint32_t index_end = 0;                                 // +28
    uint32_t switch_word = 0;                               // +32
    std::array<uint32_t, kMaxDayBitmapWords> day_bitmap{};  // +36, dayBitmapWords of them

    std::array<uint8_t, kMaxFileInfoSize> raw{};
};

file_info decode_file_info(const uint8_t* bytes, const FormatTraits& f);
void encode_file_info(const file_info& e, const FormatTraits& f, uint8_t* out);

// ---- event record (40 / 48 bytes) ---------------------------------------------

inline constexpr size_t kMaxEventSize = 48;

struct pevent_info {
    uint32_t magic = 0;        // +0 "Even", "EvWr" while written, 0 unused
    packed_time start = 0;     // +4
    uint32_t data_start = 0;   // +8, file offset of the first frame
    uint32_t index_start = 0;  // +12, just above the first key-frame entry
    uint32_t type_bits = 0;    // +16
    uint16_t number = 0;       // +20, 1-based slot
    uint8_t attr22 = 0;        // +22, passed through
    uint8_t attr23 = 0;        // +23, passed through
    packed_time end = 0;       // v1 +24, v2 +28
    uint32_t data_length = 0;  // v1 +28, v2 +32
    uint32_t index_end = 0;    // v1 +32, v2 +36: offset of the last (lowest) entry
    uint8_t skip = 0;          // v1 +36, v2 +40: non-zero events are ignored
    uint16_t pass38 = 0;       // v1 +38, passed through
    uint32_t media_first = 0;  // v2 +24, passed through
    uint32_t media_last = 0;   // v2 +44, passed through

    std::array<uint8_t, kMaxEventSize> raw{};
};

pevent_info decode_pevent_info(const uint8_t* bytes, const FormatTraits& f);
void encode_pevent_info(const pevent_info& e, const FormatTraits& f, uint8_t* out);

// ---- key-frame index entry (16 bytes) ------------------------------------------
//
// Entries grow downward from the end of the data file: the file's first key frame
// at byte 0x10000000 - 16, each later one 16 bytes lower, and "Iend" in the marker
// of the entry just below the last one written. A key-frame number is an entry's
// byte offset / 16; an event's entries run from index_end / 16 (its last) up to
// index_start / 16 - 1 (its first).

struct kframe_entry {
    uint32_t marker = 0;   // +0, kMagicIend below the last entry
    packed_time time = 0;  // +4
    uint32_t offset = 0;   // +8, file offset of the key frame's header
    uint32_t length = 0;   // +12, frame length in bytes
};

kframe_entry decode_kframe_entry(const uint8_t* bytes);
void encode_kframe_entry(const kframe_entry& e, uint8_t* out);

inline constexpr uint32_t kframe_number(uint64_t byte_offset) {
    return static_cast<uint32_t>(byte_offset / kKframeEntrySize);
}
inline constexpr uint32_t kFirstKframeNumber = kframe_number(kDataFileSize - kKframeEntrySize);

// ---- in-memory search interface shared with the recording access library -------

// Event descriptor, 64 bytes: built by searches, given back to the time seek.
struct event_desc {
    uint8_t handle = 0;        // +0 search handle owning the list
    uint8_t list_channel = 0;  // +1 0 for search type 2, else the channel
    uint8_t overwritten = 0;   // +2
    uint8_t event_index = 0;   // +3 slot within the file's event block
    uint32_t list_pos = 0;     // +4 position in its list after sorting
    uint32_t location = 0;     // +8 file position | partition << 16 | disk << 24
    uint32_t type_bits = 0;    // +12
    uint8_t channel = 0;       // +16
    uint8_t attr22 = 0;        // +17
    uint8_t attr23 = 0;        // +18
    uint8_t unused19 = 0;      // +19
    uint8_t pad20[4] = {};     // +20
    vekfs_time start{};        // +24
    vekfs_time end{};          // +32
    uint32_t data_start = 0;   // +40
    uint32_t data_length = 0;  // +44
    uint32_t index_start = 0;  // +48
    uint32_t index_end = 0;    // +52
    uint32_t media_first = 0;  // +56: v1 the event's u16 at 38, v2 its first media word
    uint32_t media_last = 0;   // +60: v2 the last media word
};
static_assert(sizeof(vekfs_time) == 8);
static_assert(sizeof(event_desc) == 64);

inline constexpr uint32_t make_location(uint32_t file_pos, uint32_t partition, uint32_t disk) {
    return (file_pos & 0xffff) | ((partition & 0xff) << 16) | ((disk & 0xff) << 24);
}
inline constexpr uint32_t location_file(uint32_t loc) {
    return loc & 0xffff;
}
inline constexpr uint32_t location_partition(uint32_t loc) {
    return (loc >> 16) & 0xff;
}
inline constexpr uint32_t location_disk(uint32_t loc) {
    return loc >> 24;
}

enum search_type : uint8_t {
    kSearchMonth = 0,
    kSearchHalfHour = 1,
    kSearchOneList = 2,
    kSearchPerChannel = 3,
};

// Search request, 32 bytes.
struct search_param {
    uint8_t data_type = 0;    // +0
    uint8_t search_type = 0;  // +1 search_type
    uint8_t exact = 0;        // +2 1: an event must have every bit of type_mask
    uint8_t pad3 = 0;
    uint32_t type_mask = 0;     // +4
    uint32_t channel_mask = 0;  // +8 bit c = channel c
    uint32_t pad12 = 0;
    vekfs_time start{};  // +16
    vekfs_time end{};    // +24
};
static_assert(sizeof(search_param) == 32);

struct event_list {
    event_desc* events = nullptr;
    int32_t count = 0;
};

// ---- placement -------------------------------------------------------------------

// Byte offset of index copy `copy` of a partition starting at `part_start`.
inline constexpr uint64_t index_copy_offset(uint64_t part_start, uint32_t copy_size, int copy) {
    return part_start + static_cast<uint64_t>(copy) * copy_size;
}
// Byte offset of data file position j of a partition.
inline constexpr uint64_t data_file_offset(uint64_t part_start, uint32_t file_pos) {
    return part_start + (static_cast<uint64_t>(file_pos) + 2) * kDataFileSize;
}
// Offset, inside an index copy, of the event block of 1-based file number n.
inline constexpr uint64_t event_block_offset(const disk_param& p, const FormatTraits& f, uint32_t n) {
    return p.event_area_offset + static_cast<uint64_t>(n - 1) * f.EventBlockSize();
}

// Checks of a decoded parameter block beyond its check word: the values the
// rest of the reader uses as counts, sizes and offsets must describe a disk
// that can exist. Returns null when sound, else a short reason.
const char* disk_param_impossible(const disk_param& p, const FormatTraits& f);

}  // namespace vekfs
