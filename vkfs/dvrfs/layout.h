// vkfs/dvrfs/layout.h
//
// The dvrfs on-disk format, decoded and encoded field by field (little
// endian). Sector numbers on the disk are u32 and count from the partition
// offset P: the first sector, at or below sector 1024, whose first word is the
// magic. All byte positions on the device are (P + sector) x 512, in 64 bits.
//
// Format block (124 bytes at the start of sector 0):
//     +0  u32 magic 0x19810213
//     +4  u32 disk group word (the first disk whose word is the library's disk
//             group becomes the reference the others must match)
//     +32 u32 format version, 1
//     +36 u32 block size            +44 u32 data alignment
//     +52 u32 stat block sector     +60 u32 data info header sector
//     +68 u32 data bitmap base      +76 u32 data base
//     +36..+80 and +108: the geometry words, none of them 0 or 0xFFFFFFFF
// Stat block: 28 bytes at the start of its sector, carried unread.
// Data info header (76 bytes at the start of its sector):
//     +20 u32 index base            +24 u32 recorder_channel_size, 7
// Month index of channel c: 7 sectors from index base + 7c.
//     sector 0 +0 u32 n, the number of month entries (at most 13 fit)
//     entry 0 at sector 0 +256; entry i >= 1 in sector (i + 1) / 2, the first
//     half when i is odd, the second half when it is even
// Month entry (256 bytes):
//     +0 u16 year - 2000, +2 u16 month,
//     day d = 1..31: +8d u32 day flags (record types in bits 0..29, bit 30
//     class-1 records, bit 31 class-0 records), +8d+4 u32 first day_channel
//     sector of the day (0: no records)
// day_channel sector (512 bytes), one link of a day's chain:
//     +0 u32 first sector of the day's per-second index (first link only)
//     +4 u32 previous link (0 in the first), +8 u32 next link (0 in the last)
//     +24 u16 number of record entries (at most 11 fit), entries at +40 + 40k
//     previous and next both 0xFFFFFFFF: a free sector
// Record entry (40 bytes):
//     +0 u32 start, +4 u32 end (packed time of day: byte 0 hour, 1 minute,
//        2 second; a start of 0xFFFFFFFF is an empty entry)
//     +8 u32 length in sectors, +12 u32 and +16 u16 handed on to the finder,
//     +24 u32 record types (bits 0..29), +32 u32 last data sector of the record,
//     +36 u8 split byte (handed on), +37 u8 class byte (1: class 1),
//     +38 u8 1: every find passes the entry over
// Per-second index of a channel's day: 86,400 entries of 8 bytes, 64 to a
// sector: +0 u32 data sector of the latest key frame at or before that
// second (0: none), +4 u32 the key frame's second of the day.
// Data: 64 MiB blocks, block n from sector data base + (n << 17).
// Data bitmap: the 16-byte entry of block n at byte (n mod 32) x 16 of sector
// bitmap base + n / 32 + 3:
//     +0  u32 next block of the same recording chain, 0xFFFFFFFF for none
//     +12 u8  channel that owns the block
// A block's data starts at its first sector; a record runs from the sector
// the per-second index names, block by block along the chain, to its last
// data sector.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vkfs::dvrfs {

inline constexpr uint32_t kSectorBytes = 512;
inline constexpr uint32_t kFormatMagic = 0x19810213u;
inline constexpr uint32_t kFormatVersion = 1;
inline constexpr uint32_t kLastMagicSector = 1024;  // the magic is looked for in sectors 0..1024
inline constexpr size_t kFormatBytes = 124;
inline constexpr size_t kStatBytes = 28;
inline constexpr size_t kDataInfoBytes = 76;
inline constexpr uint32_t kChannelIndexSectors = 7;  // recorder_channel_size
inline constexpr uint32_t kMaxMonthEntries = 13;
inline constexpr size_t kMonthEntryBytes = 256;
inline constexpr int kDaysInMonthEntry = 31;
inline constexpr size_t kDayChannelHeaderBytes = 40;
inline constexpr size_t kRecEntryBytes = 40;
inline constexpr uint32_t kMaxDayEntries = 11;  // (512 - 40) / 40
inline constexpr uint32_t kFreeLink = 0xFFFFFFFFu;
inline constexpr uint32_t kEmptyTime = 0xFFFFFFFFu;
inline constexpr uint32_t kSecondsPerDay = 86400;
inline constexpr uint32_t kSecondEntryBytes = 8;
inline constexpr uint32_t kSecondsPerSector = kSectorBytes / kSecondEntryBytes;      // 64
inline constexpr uint32_t kSecondIndexSectors = kSecondsPerDay / kSecondsPerSector;  // 1350
inline constexpr uint32_t kBlockShift = 17;  // sectors per data block: 2^17 (64 MiB)
inline constexpr uint64_t kBlockSectors = uint64_t{1} << kBlockShift;
inline constexpr uint32_t kBitmapEntryBytes = 16;
inline constexpr uint32_t kBitmapEntriesPerSector = kSectorBytes / kBitmapEntryBytes;  // 32
inline constexpr uint32_t kBitmapSkipSectors = 3;
inline constexpr uint32_t kNoBlock = 0xFFFFFFFFu;

// Day flags and the class bits of masks and results.
inline constexpr uint32_t kTypeBits = 0x3FFFFFFFu;
inline constexpr uint32_t kBit30 = 0x40000000u;
inline constexpr uint32_t kBit31 = 0x80000000u;

struct FormatInfo {
    uint32_t magic = 0;
    uint32_t group = 0;
    uint32_t version = 0;
    // +36, +40, ..., +80, +108: the words that must be neither 0 nor all ones.
    std::array<uint32_t, 13> geometry{};
    std::array<uint8_t, kFormatBytes> bytes{};  // as read; the rest is carried unread

    uint32_t BlockSize() const { return geometry[0]; }
    uint32_t DataAlign() const { return geometry[2]; }
    uint32_t StatSector() const { return geometry[4]; }
    uint32_t InfoSector() const { return geometry[6]; }
    uint32_t BitmapBase() const { return geometry[8]; }
    uint32_t DataBase() const { return geometry[10]; }
};
// Geometry word indexes of the named fields.
inline constexpr size_t kGeoBlockSize = 0, kGeoDataAlign = 2, kGeoStat = 4, kGeoInfo = 6, kGeoBitmap = 8,
                        kGeoDataBase = 10;
FormatInfo DecodeFormat(const uint8_t* sector);
// Writes `bytes`, then the magic, group, version and geometry words over them,
// into the sector's first 124 bytes.
void EncodeFormat(const FormatInfo& format, uint8_t* sector);
// Byte offset of geometry word i (0..12).
size_t GeometryOffset(size_t i);
bool GeometrySound(const FormatInfo& format);

struct DataInfo {
    uint32_t indexBase = 0;
    uint32_t channelSize = 0;
};
DataInfo DecodeDataInfo(const uint8_t* sector);
void EncodeDataInfo(const DataInfo& info, uint8_t* sector);

// Where month entry i lies in a channel's month index.
struct IndexPlace {
    uint32_t sector = 0;  // 0..6 within the index
    size_t offset = 0;    // byte in that sector
};
IndexPlace MonthEntryPlace(uint32_t i);

struct MonthEntry {
    uint16_t year = 0;  // counted from 2000
    uint16_t month = 0;
    std::array<uint32_t, kDaysInMonthEntry + 1> flags{};  // index day; [0] unused
    std::array<uint32_t, kDaysInMonthEntry + 1> first{};
    int Key() const { return year * 12 + month; }
};
MonthEntry DecodeMonthEntry(const uint8_t* entry);
void EncodeMonthEntry(const MonthEntry& m, uint8_t* entry);

struct DayChannelHeader {
    uint32_t secondIndex = 0;
    uint32_t prev = 0;
    uint32_t next = 0;
    uint16_t count = 0;
    bool Free() const { return prev == kFreeLink && next == kFreeLink; }
};
DayChannelHeader DecodeDayChannel(const uint8_t* sector);
void EncodeDayChannel(const DayChannelHeader& h, uint8_t* sector);

// A time of day as the index packs it.
struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
    bool Valid() const { return hour <= 23 && minute <= 59 && second <= 59; }
    int Seconds() const { return hour * 3600 + minute * 60 + second; }
};
TimeOfDay UnpackTime(uint32_t packed);
uint32_t PackTime(int hour, int minute, int second);

struct RecEntry {
    uint32_t start = kEmptyTime;
    uint32_t end = kEmptyTime;
    uint32_t sectors = 0;
    uint32_t word12 = 0;
    uint16_t word16 = 0;
    uint32_t types = 0;
    uint32_t lastSector = 0;
    uint8_t split = 0;
    uint8_t classByte = 0;
    uint8_t skip = 0;
    bool Empty() const { return start == kEmptyTime; }
};
// Entry k of a day_channel sector (k < kMaxDayEntries).
RecEntry DecodeRecEntry(const uint8_t* sector, uint32_t k);
void EncodeRecEntry(const RecEntry& e, uint8_t* sector, uint32_t k);

struct SecondEntry {
    uint32_t dataSector = 0;
    uint32_t secondWord = 0;
};
// Sector (from the index's first) and byte offset of second e's entry.
inline uint32_t SecondEntrySector(uint32_t e) {
    return e / kSecondsPerSector;
}
inline size_t SecondEntryOffset(uint32_t e) {
    return (e % kSecondsPerSector) * kSecondEntryBytes;
}
SecondEntry DecodeSecondEntry(const uint8_t* sector, uint32_t e);
void EncodeSecondEntry(const SecondEntry& s, uint8_t* sector, uint32_t e);

struct BitmapEntry {
    uint32_t next = kNoBlock;
    uint8_t owner = 0;
};
// Sector (relative to the partition) of block n's bitmap entry, and its byte.
inline uint64_t BitmapSector(uint32_t bitmapBase, uint64_t block) {
    return bitmapBase + block / kBitmapEntriesPerSector + kBitmapSkipSectors;
}
inline size_t BitmapOffset(uint64_t block) {
    return (block % kBitmapEntriesPerSector) * kBitmapEntryBytes;
}
BitmapEntry DecodeBitmapEntry(const uint8_t* sector, uint64_t block);
void EncodeBitmapEntry(const BitmapEntry& b, uint8_t* sector, uint64_t block);

// First sector of data block n.
inline uint64_t BlockStart(uint32_t dataBase, uint64_t block) {
    return dataBase + (block << kBlockShift);
}

}  // namespace vkfs::dvrfs
