// tools/image_manifest.h
//
// The raw facts of a built image, for tests to compare a reader's answers with:
// where every partition, data file, event, key-frame entry and frame landed, and
// what each record holds. Offsets inside a data file are file offsets (as the
// records store them); `base` gives the data file's disk offset.
//
// Text form (WriteManifestText): a comment line, then one fact per line, a kind
// word followed by key=value fields, in this order:
//   image      scenario variant version device_size channels file_table_offset
//              event_area_offset copy_size part_count
//   partition  p start files free state repair valid type0_start type0_end
//              type1_start type1_end
//   copy       p k offset damage
//   file       p pos number base channel data_type state end_sequence events start end
//              data_end index_end iend (file offset of the "Iend" entry, or -1) bitmap
//   event      p pos slot number channel magic start end type_bits skip attr22 attr23
//              data_start data_length index_start index_end true_end true_data_length
//              true_index_end kframes frames index_only
//   kframe     p pos slot at offset length time time_us
//   frame      p pos slot n offset type size time_us space
//   mark       name p pos slot note
//   expect     tag
// Times are written as YYYY-MM-DDThh:mm:ss (0 for a zero packed time).
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "reader/format.h"
#include "tools/framestream.h"
#include "tools/image_spec.h"

namespace vektools {

struct KframeFact {
    uint32_t entryAt = 0;      // file offset of the 16-byte entry
    uint32_t frameOffset = 0;  // file offset of the key frame's header
    uint32_t length = 0;       // as stored: 40 + payload
    vekfs::packed_time time = 0;
    uint64_t timeUs = 0;  // the frame header's time
};

struct EventFact {
    int partition = 0;
    int filePosition = 0;
    int slot = 0;
    uint8_t channel = 0;
    uint8_t dataType = 0;
    // The record as written.
    uint32_t magic = 0;
    uint16_t number = 0;
    vekfs::packed_time start = 0;
    vekfs::packed_time end = 0;
    uint32_t typeBits = 0;
    uint8_t skip = 0;
    uint8_t attr22 = 0;
    uint8_t attr23 = 0;
    uint32_t dataStart = 0;
    uint32_t dataLength = 0;
    uint32_t indexStart = 0;
    uint32_t indexEnd = 0;
    // What the frames really span; equal to the record for complete events,
    // and what a writing event would hold had it been closed.
    vekfs::packed_time trueEnd = 0;
    uint32_t trueDataLength = 0;
    uint32_t trueIndexEnd = 0;  // the lowest entry; 0 when the event has none
    bool indexOnly = false;
    std::vector<KframeFact> kframes;  // in recording order (entry offsets falling)
    std::vector<FrameRecord> frames;  // offsets are file offsets; empty when not recorded
};

struct FileFact {
    int partition = 0;
    int position = 0;
    uint64_t base = 0;       // disk offset of the data file
    vekfs::file_info entry;  // the table entry as written (also at data byte 0)
    int64_t iendAt = -1;     // file offset of the "Iend" entry, -1 when none
    int firstEvent = 0;      // index into Manifest::events
    int eventCount = 0;      // facts listed (used slots)
};

struct PartitionFact {
    int index = 0;
    uint64_t start = 0;
    vekfs::part_info record;  // as written to the intact copies
    uint8_t validBits = 0;
    std::array<uint64_t, vekfs::kIndexCopies> copyOffset{};
    std::array<CopyDamage, vekfs::kIndexCopies> copyDamage{};
};

struct Manifest {
    std::string scenario;
    std::string variant;
    int version = 0;
    uint64_t deviceSize = 0;
    vekfs::disk_param param;  // as written
    uint32_t copySize = 0;    // used for the layout (the stored word may differ)
    std::vector<PartitionFact> partitions;
    std::vector<FileFact> files;
    std::vector<EventFact> events;
    std::vector<Mark> marks;
    std::vector<std::string> expectedProblems;

    const FileFact* FindFile(int partition, int position) const;
    const EventFact* FindEvent(int partition, int position, int slot) const;
    // The first mark of that name, or null.
    const Mark* FindMark(const std::string& name) const;
    // The events of one file, in slot order.
    std::vector<const EventFact*> EventsOf(int partition, int position) const;
};

// "2023-12-01T10:15:00", or "0" for 0.
std::string FormatPacked(vekfs::packed_time t);

void WriteManifestText(std::ostream& out, const Manifest& m, bool withFrames = true);

}  // namespace vektools
