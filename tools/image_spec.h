// tools/image_spec.h
//
// Plain-data description of a recorder disk image: the disk, its partitions,
// the files in each partition's table, and the events of each file with the
// frames they hold. The builder (image_builder.h) derives everything the
// recorder would from this (frame layout, key-frame index, event records, file
// entries, partition records, the check word); the fields here are only the
// choices a recording makes, plus deliberate damage.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "reader/format.h"
#include "tools/framestream.h"

namespace vektools {

inline constexpr uint64_t kMiB = 1024 * 1024;
// Default offset of an event's first frame in a fresh data file: past the entry
// copy at byte 0, and deliberately not on a 1024-byte boundary.
inline constexpr uint32_t kFirstDataStart = 1224;

// Builds a packed time from calendar fields (year in full, e.g. 2023).
vekfs::packed_time Packed(int year, int month, int day, int hour, int minute, int second);
// Adds seconds to a packed time through the calendar.
vekfs::packed_time AddSeconds(vekfs::packed_time t, int64_t seconds);

// The frames of one event.
struct StreamParams {
    uint8_t fps = 25;
    uint32_t gop = 25;
    uint32_t keysPerSecond = 0;  // non-zero: overrides gop
    uint32_t leadingP = 0;
    uint16_t width = 352;
    uint16_t height = 288;
    uint8_t videoCodec = 0;
    uint32_t iMin = 2000, iMax = 6000;
    uint32_t pMin = 200, pMax = 1200;
    bool audio = false;
    AudioParams audioParams;
    uint8_t extUnits = 0;
    uint32_t seconds = 0;  // frames for this long; 0: the event's duration (at least 1 s)
    std::vector<SizeOverride> sizes;
};

enum class EventState : uint8_t {
    Complete,  // "Even" with every field set
    Writing,   // "EvWr": frames and key-frame entries written, end, data length and index end still 0
};

enum class FrameSource : uint8_t {
    Stream,     // real "VkFm" frames from the stream library
    IndexOnly,  // key-frame entries only (one per second), no frame bytes: for huge counts
};

struct EventSpec {
    vekfs::packed_time start = 0;
    vekfs::packed_time end = 0;
    uint32_t typeBits = 1;
    uint8_t attr22 = 0;
    uint8_t attr23 = 0;
    uint8_t skip = 0;
    uint16_t pass38 = 0;      // v1 only
    uint32_t mediaFirst = 0;  // v2 only
    uint32_t mediaLast = 0;   // v2 only
    EventState state = EventState::Complete;
    FrameSource source = FrameSource::Stream;
    StreamParams stream;
    uint32_t indexOnlyEntries = 0;
    std::optional<uint16_t> number;  // the record's event number; slot + 1 when empty
    uint32_t dataStart = 0;          // 0: right after the previous event's frames
};

enum class IendPlacement : uint8_t {
    BelowLast,  // "Iend" in the entry just below the last entry written
    None,       // no marker at all
};

struct FileSpec {
    uint16_t position = 0;  // 0-based in the file table
    uint8_t channel = 0;
    uint8_t dataType = 0;
    uint8_t state = vekfs::kFileClosed;   // kFileClosed or kFileWriting
    std::optional<uint32_t> endSequence;  // closed files: close order when empty
    uint32_t firstDataStart = kFirstDataStart;
    IendPlacement iend = IendPlacement::BelowLast;
    std::vector<EventSpec> events;  // slot order
};

enum class CopyDamage : uint8_t {
    None,
    PartMagic,      // the partition record's magic broken
    PartGarbage,    // the partition record overwritten with pseudo-random bytes
    Absent,         // the copy never written (reads as zeros)
    StaleReserved,  // reserved bytes 32-39 of the partition record differ from the other copies
};

struct PartitionSpec {
    uint16_t fileCount = 4;  // entries in the table; positions without a FileSpec are free
    uint8_t state = 0;
    uint8_t repairFlag = 0;
    uint8_t validBits = 0x0F;
    std::array<CopyDamage, vekfs::kIndexCopies> copyDamage{};
    std::vector<FileSpec> files;
};

struct DiskSpec {
    int version = 2;
    uint8_t diskState = 0;
    uint8_t fsType = 0;
    uint32_t channels = vekfs::kMaxRecChannels;  // channels the disk was formatted for
    uint32_t fileTableOffset = 0;                // 0: 512
    uint32_t eventAreaOffset = 0;                // 0: after the largest file table, on 4 KB
    uint32_t copySize = 0;                       // 0: the largest index, rounded up to 1 MiB
    uint64_t firstPartitionStart = kMiB;
    uint64_t deviceSize = 0;           // 0: the end of the last partition's last data file
    bool mbr = true;                   // a partition table entry and 0x55AA in sector 0
    std::optional<uint32_t> capacity;  // the capacity word; default the device size in MiB

    // Deliberate faults of the parameter block (the check word is computed after
    // them unless corruptXor).
    bool corruptXor = false;                   // one bit of the check word flipped
    std::optional<uint32_t> magic;             // instead of "Vkfs"
    std::optional<uint16_t> versionWord;       // instead of the version, at +16
    std::optional<uint16_t> versionAgainWord;  // at +18
    std::optional<uint8_t> partCount;          // instead of the number of partitions
    std::optional<uint32_t> copySizeWord;      // stored instead of the copy size used for the layout
};

// A special case a test will look for, by name.
struct Mark {
    std::string name;
    int partition = -1;
    int filePosition = -1;
    int slot = -1;
    std::string note;
};

struct ImageSpec {
    std::string scenario;
    std::string variant;
    uint32_t seed = 1;
    DiskSpec disk;
    std::vector<PartitionSpec> partitions;
    std::vector<Mark> marks;
    // Problems the self-check must find in this image (tags, see image_check.h),
    // and no others.
    std::vector<std::string> expectedProblems;
};

}  // namespace vektools
