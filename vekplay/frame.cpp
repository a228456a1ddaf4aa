// vekplay/frame.cpp
#include "vekplay/frame.h"

#include "platform/le_bytes.h"

namespace vekplay {

bool HeaderLooksValid(const uint8_t* header, uint32_t* payload) {
    if (platform::GetU32(header) != vekfs::kMagicFrame)
        return false;
    const uint8_t type = header[4];
    if (type != vekfs::kFrameKey && type != vekfs::kFrameVideo && type != vekfs::kFrameAudio)
        return false;
    const uint32_t size = platform::GetU32(header + 12);
    if (size > kMaxPayload)
        return false;
    if (payload)
        *payload = size;
    return true;
}

FrameCheck ParseFrame(const uint8_t* data, size_t length, Frame* out) {
    if (!data || length < kHeaderSize)
        return FrameCheck::kTooShort;
    if (platform::GetU32(data) != vekfs::kMagicFrame)
        return FrameCheck::kBadMagic;
    const uint8_t type = data[4];
    if (type != vekfs::kFrameKey && type != vekfs::kFrameVideo && type != vekfs::kFrameAudio)
        return FrameCheck::kBadType;
    const uint32_t size = platform::GetU32(data + 12);
    if (size > kMaxPayload || size > length - kHeaderSize)
        return FrameCheck::kBadSize;
    if (out) {
        out->header = vekfs::decode_frame_header(data);
        out->bytes.assign(data, data + kHeaderSize + size);
    }
    return FrameCheck::kOk;
}

}  // namespace vekplay
