// media/frame_header.cpp
#include "media/frame_header.h"

#include <cstring>

namespace media {

using platform::GetU16;
using platform::GetU32;
using platform::GetU64;
using platform::GetU8;
using platform::PutU16;
using platform::PutU32;
using platform::PutU64;
using platform::PutU8;

frame_header decode_frame_header(const uint8_t* b) {
    frame_header h;
    std::memcpy(h.raw.data(), b, kFrameHeaderSize);
    h.magic = GetU32(b + 0);
    h.type = GetU8(b + 4);
    h.codec = GetU8(b + 5);
    h.channel = GetU8(b + 6);
    h.ext_units = GetU8(b + 7);
    h.size = GetU32(b + 12);
    h.time_us = GetU64(b + 16);
    if (h.type == kFrameAudio) {
        h.audio_rate = GetU32(b + 32);
        h.audio_channels = GetU8(b + 36);
        h.audio_bits2 = GetU8(b + 37);
        h.audio_block = GetU16(b + 38);
    } else {
        h.width = GetU16(b + 32);
        h.height = GetU16(b + 34);
        h.fps = GetU8(b + 36);
    }
    return h;
}

void encode_frame_header(const frame_header& h, uint8_t* b) {
    std::memcpy(b, h.raw.data(), kFrameHeaderSize);
    PutU32(b + 0, h.magic);
    PutU8(b + 4, h.type);
    PutU8(b + 5, h.codec);
    PutU8(b + 6, h.channel);
    PutU8(b + 7, h.ext_units);
    PutU32(b + 12, h.size);
    PutU64(b + 16, h.time_us);
    if (h.type == kFrameAudio) {
        PutU32(b + 32, h.audio_rate);
        PutU8(b + 36, h.audio_channels);
        PutU8(b + 37, h.audio_bits2);
        PutU16(b + 38, h.audio_block);
    } else {
        PutU16(b + 32, h.width);
        PutU16(b + 34, h.height);
        PutU8(b + 36, h.fps);
    }
}

int frame_type_number(uint8_t type_letter) {
    switch (type_letter) {
        case kFrameKey:
            return 1;
        case kFrameVideo:
            return 2;
        case kFrameAudio:
            return 3;
        default:
            return 0;
    }
}

FrameCheck CheckFrame(const uint8_t* data, size_t length) {
    if (!data || length < kFrameHeaderSize)
        return FrameCheck::kTooShort;
    if (!IsFrameMagic(data))
        return FrameCheck::kBadMagic;
    if (!IsFrameType(FrameTypeAt(data)))
        return FrameCheck::kBadType;
    const uint32_t size = FramePayloadSize(data);
    if (size > kMaxFramePayload || size > length - kFrameHeaderSize)
        return FrameCheck::kBadSize;
    return FrameCheck::kOk;
}

bool HeaderLooksValid(const uint8_t* header, uint32_t* payload) {
    if (!IsFrameMagic(header) || !IsFrameType(FrameTypeAt(header)))
        return false;
    const uint32_t size = FramePayloadSize(header);
    if (size > kMaxFramePayload)
        return false;
    if (payload)
        *payload = size;
    return true;
}

}  // namespace media
