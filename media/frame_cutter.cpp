// media/frame_cutter.cpp
#include "media/frame_cutter.h"

#include <algorithm>

namespace media {

int64_t FindFrameHeader(const uint8_t* buffer, uint32_t start, uint32_t end, int* type) {
    // A candidate needs its magic and the byte after it: p + 5 <= end.
    if (end < 5)
        return -1;
    uint32_t p = start;
    while (p <= end - 5) {
        // Frames follow one another directly or after a few bytes of padding:
        // the next bytes are looked at before the rest is searched.
        const uint32_t near = std::min(p + 8, end - 4);
        while (p < near && buffer[p] != 'V')
            p++;
        if (p == near) {
            const void* v = std::memchr(buffer + p, 'V', end - 4 - p);
            if (!v)
                return -1;
            p = static_cast<uint32_t>(static_cast<const uint8_t*>(v) - buffer);
        }
        if (IsFrameMagic(buffer + p)) {
            if (!type)
                return p;
            switch (FrameTypeAt(buffer + p)) {
                case kFrameKey:
                    *type = kCutTypeKey;
                    return p;
                case kFrameVideo:
                    *type = kCutTypeDelta;
                    return p;
                case kFrameAudio:
                    *type = kCutTypeAudio;
                    return p;
                default:
                    break;
            }
        }
        p++;
    }
    return -1;
}

FrameCutter::FrameCutter(bool typed) : typed_(typed), buffer_(new uint8_t[kCutBufferSize]()) {}

void FrameCutter::Reset() {
    waitForKey_ = true;
    held_ = 0;
    std::memset(buffer_.get(), 0, kCutBufferSize);
}

uint32_t FrameCutter::HeldFrameSize() const {
    const uint8_t* b = buffer_.get();
    if (held_ < kFrameHeaderSize || !IsFrameMagic(b))
        return 0;
    if (typed_ && !IsFrameType(FrameTypeAt(b)))
        return 0;
    const uint32_t payload = FramePayloadSize(b);
    if (payload > kMaxFramePayload || kFrameHeaderSize + payload <= held_)
        return 0;
    return kFrameHeaderSize + payload;
}

void FrameCutter::Keep(const uint8_t* src, uint32_t from, uint32_t total) {
    held_ = total - from;
    if (held_ > 0 && src + from != buffer_.get())
        std::memmove(buffer_.get(), src + from, held_);
}

}  // namespace media
