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

#include "reader/format.h"

namespace vekplay {

inline constexpr size_t kHeaderSize = vekfs::kFrameHeaderSize;      // 40
inline constexpr uint32_t kMaxPayload = vekfs::kMaxFrameSize - 40;  // header + payload <= 512,000

struct Frame {
    vekfs::frame_header header;
    std::vector<uint8_t> bytes;  // header and payload (40 + header.size bytes)

    const uint8_t* payload() const { return bytes.data() + kHeaderSize; }
    uint32_t payloadSize() const { return header.size; }
    uint64_t time() const { return header.time_us; }
    char type() const { return static_cast<char>(header.type); }
    bool IsVideo() const { return header.type == vekfs::kFrameKey || header.type == vekfs::kFrameVideo; }
    bool IsKey() const { return header.type == vekfs::kFrameKey; }
    bool IsAudio() const { return header.type == vekfs::kFrameAudio; }
};

using FramePtr = std::shared_ptr<const Frame>;

enum class FrameCheck {
    kOk,
    kTooShort,  // fewer than 40 bytes
    kBadMagic,  // no "VkFm"
    kBadType,   // not 'I', 'P' or 'A'
    kBadSize,   // payload longer than the bytes given, or the frame over 512,000 bytes
};

// Checks the header at `data` against the `length` bytes given and, when sound
// and `out` is given, copies the frame (header and header.size payload bytes;
// bytes beyond them are not part of the frame).
FrameCheck ParseFrame(const uint8_t* data, size_t length, Frame* out);

// Checks only the 40 header bytes: magic, type and a payload size within the
// limit. `*payload` receives the payload size.
bool HeaderLooksValid(const uint8_t* header, uint32_t* payload);

}  // namespace vekplay
