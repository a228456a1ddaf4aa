// vekplay/frame.cpp
#include "vekplay/frame.h"

namespace vekplay {

FrameCheck ParseFrame(const uint8_t* data, size_t length, Frame* out) {
    const FrameCheck check = media::CheckFrame(data, length);
    if (check == FrameCheck::kOk && out) {
        out->header = media::decode_frame_header(data);
        out->bytes.assign(data, data + media::kFrameHeaderSize + out->header.size);
    }
    return check;
}

}  // namespace vekplay
