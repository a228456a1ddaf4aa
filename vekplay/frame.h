// vekplay/frame.h
//
// One recorder frame as the library holds it: the 40-byte "VkFm" header, decoded,
// and the header and payload bytes as received. Frames come from callers and
// from files, so every one is checked before anything is trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "media/frame_header.h"

namespace vekplay {

using media::FrameCheck;
using media::HeaderLooksValid;

struct Frame {
    media::frame_header header;
    std::vector<uint8_t> bytes;  // header and payload (40 + header.size bytes)

    const uint8_t* payload() const { return bytes.data() + media::kFrameHeaderSize; }
    uint32_t payloadSize() const { return header.size; }
    uint64_t time() const { return header.time_us; }
    char type() const { return static_cast<char>(header.type); }
    bool IsVideo() const { return header.type == media::kFrameKey || header.type == media::kFrameVideo; }
    bool IsKey() const { return header.type == media::kFrameKey; }
    bool IsAudio() const { return header.type == media::kFrameAudio; }
};

using FramePtr = std::shared_ptr<const Frame>;

// Checks the header at `data` against the `length` bytes given (media::CheckFrame)
// and, when sound and `out` is given, copies the frame (header and header.size
// payload bytes; bytes beyond them are not part of the frame).
FrameCheck ParseFrame(const uint8_t* data, size_t length, Frame* out);

}  // namespace vekplay
