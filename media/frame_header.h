// media/frame_header.h
//
// The 40-byte header in front of every recorded frame: on the recorder's disk,
// in the streams the access library and the network library hand on, in the
// .264 container and behind every AVI chunk. One codec for all of them.
// Little endian:
//
//   0   "VkFm"
//   4   u8   type: 'I' key frame, 'P' delta frame, 'A' audio
//   5   u8   codec
//   6   u8   channel
//   7   u8   extension length in 8-byte units
//   12  u32  payload bytes
//   16  u64  time, microseconds since 1970-01-01 UTC
//   32  video: u16 width, u16 height (+34), u8 frames per second (+36)
//       audio: u32 sample rate, u8 channels (+36), u8 twice the bits per
//              sample (+37), u16 one block with its 4-byte prefix (+38)
//
// A frame is its header and its payload, at most 512,000 bytes together; a
// header that announces a longer frame is damaged. Frames come from disks,
// files and the network, so nothing in a header is trusted before a check.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/le_bytes.h"

namespace media {

inline constexpr uint32_t kFrameHeaderSize = 40;
inline constexpr uint32_t kMaxFrameSize = 512000;  // header and payload; longer frames are damaged
inline constexpr uint32_t kMaxFramePayload = kMaxFrameSize - kFrameHeaderSize;
inline constexpr uint32_t kMagicFrame = platform::FourCC("VkFm");

enum frame_type : uint8_t { kFrameKey = 'I', kFrameVideo = 'P', kFrameAudio = 'A' };

struct frame_header {
    uint32_t magic = 0;     // +0 "VkFm"
    uint8_t type = 0;       // +4 'I', 'P' or 'A'
    uint8_t codec = 0;      // +5
    uint8_t channel = 0;    // +6
    uint8_t ext_units = 0;  // +7, extension length in 8-byte units
    uint32_t size = 0;      // +12, payload bytes
    uint64_t time_us = 0;   // +16, microseconds since 1970-01-01 UTC
    // Stream parameters read by the export writers; which apply depends on type.
    uint16_t width = 0;          // video +32
    uint16_t height = 0;         // video +34
    uint8_t fps = 0;             // video +36
    uint32_t audio_rate = 0;     // audio +32
    uint8_t audio_channels = 0;  // audio +36
    uint8_t audio_bits2 = 0;     // audio +37, twice the bits per sample
    uint16_t audio_block = 0;    // audio +38, one block with its 4-byte prefix

    std::array<uint8_t, kFrameHeaderSize> raw{};  // bytes as read (reserved ones kept)
};

frame_header decode_frame_header(const uint8_t* bytes);
// Encodes the fields over `raw`, so reserved bytes survive a read-modify-write.
void encode_frame_header(const frame_header& h, uint8_t* out);

// Bytes a frame takes in the recorder's data area: header, payload padded to 8
// bytes, and its extension; frames there therefore start on 8-byte boundaries.
inline constexpr uint64_t frame_space(uint32_t size, uint8_t ext_units) {
    return ((static_cast<uint64_t>(size) + 7) / 8 + ext_units) * 8 + kFrameHeaderSize;
}

// Type numbers: the reader's diagnostics count I 1, P 2, A 3; the recording
// access library I 1, P 2, A 4.
int frame_type_number(uint8_t type_letter);

// ---- fields in place, for code that walks a stream of frames --------------------

constexpr bool IsFrameType(uint8_t letter) {
    return letter == kFrameKey || letter == kFrameVideo || letter == kFrameAudio;
}
// The first four of `p`'s bytes are "VkFm".
inline bool IsFrameMagic(const uint8_t* p) {
    return platform::GetU32(p) == kMagicFrame;
}
inline uint8_t FrameTypeAt(const uint8_t* header) {
    return header[4];
}
inline uint32_t FramePayloadSize(const uint8_t* header) {
    return platform::GetU32(header + 12);
}
inline uint64_t FrameTimeUs(const uint8_t* header) {
    return platform::GetU64(header + 16);
}
inline void PutFramePayloadSize(uint8_t* header, uint32_t size) {
    platform::PutU32(header + 12, size);
}

// ---- checks --------------------------------------------------------------------

enum class FrameCheck {
    kOk,
    kTooShort,  // fewer than 40 bytes
    kBadMagic,  // no "VkFm"
    kBadType,   // not 'I', 'P' or 'A'
    kBadSize,   // payload longer than the bytes given, or the frame over 512,000 bytes
};

// Checks the header at `data` against the `length` bytes given (bytes beyond
// header and payload are not part of the frame and do not count).
FrameCheck CheckFrame(const uint8_t* data, size_t length);

// Checks only the 40 header bytes: magic, type and a payload size within the
// limit. `*payload` (when given) receives the payload size.
bool HeaderLooksValid(const uint8_t* header, uint32_t* payload);

}  // namespace media
