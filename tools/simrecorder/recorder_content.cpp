// tools/simrecorder/recorder_content.cpp
#include "tools/simrecorder/recorder_content.h"

#include "media/frame_cutter.h"

namespace simrecorder {

uint64_t RecordFrames::TotalBytes() const {
    uint64_t total = 0;
    for (const FrameRef& f : frames)
        total += f.size;
    return total;
}

RecordFrames CutFrames(const uint8_t* data, size_t size) {
    RecordFrames out;
    media::FrameCutter cutter(true);
    auto keep = [&out](const uint8_t* frame, uint32_t length, bool) {
        FrameRef ref;
        ref.offset = out.bytes.size();
        ref.size = length;
        ref.timeUs = media::FrameTimeUs(frame);
        ref.key = media::FrameTypeAt(frame) == media::kFrameKey;
        out.bytes.insert(out.bytes.end(), frame, frame + length);
        out.frames.push_back(ref);
    };
    while (size > 0) {
        const uint32_t block =
            static_cast<uint32_t>(size < media::kMaxFeedBlock ? size : media::kMaxFeedBlock);
        cutter.Feed(data, block, 0, keep);
        data += block;
        size -= block;
    }
    return out;
}

}  // namespace simrecorder
