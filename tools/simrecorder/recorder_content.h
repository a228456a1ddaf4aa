// tools/simrecorder/recorder_content.h
//
// What the simulated recorder serves: per channel, records in start order,
// and the frames of each record. Two sources: a table of generated records
// (generated_content.h) and a recorder disk image read through VKFS
// (image_content.h). Both are called from several connection threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "veknet/protocol.h"

namespace simrecorder {

struct RecordEntry {
    uint32_t channel = 0;
    veknet::WireTime start;
    veknet::WireTime end;
    int32_t type = 0;  // 1, 2, 4, 8 or 128
};

// One frame of a record: header and payload at `offset` of the record's bytes.
struct FrameRef {
    size_t offset = 0;
    uint32_t size = 0;
    uint64_t timeUs = 0;
    bool key = false;
};

struct RecordFrames {
    std::vector<uint8_t> bytes;
    std::vector<FrameRef> frames;

    const uint8_t* Data(const FrameRef& f) const { return bytes.data() + f.offset; }
    uint64_t TotalBytes() const;
};

// Cuts a record's bytes into whole frames, from the first key frame on, the
// way the program's writers cut a stream: padding, extension bytes and
// garbage between frames are left out, so the result's bytes are the frames
// back to back.
RecordFrames CutFrames(const uint8_t* data, size_t size);

class RecorderContent {
  public:
    virtual ~RecorderContent() = default;
    virtual uint32_t ChannelCount() const = 0;
    // The channel's records in start order (none for a channel out of range).
    // Cheap: a month query lists every record of a month.
    virtual std::vector<RecordEntry> Records(uint32_t channel) = 0;
    // The length in bytes the recorder reports for record `index` of
    // Records(channel) (a day query's items carry it); 0 when unknown.
    virtual uint32_t Length(uint32_t channel, size_t index) = 0;
    // The frames of record `index` of Records(channel); null when it cannot be read.
    virtual std::shared_ptr<const RecordFrames> Frames(uint32_t channel, size_t index) = 0;
};

}  // namespace simrecorder
