// libFuzzer target: the writers' frame cutter fed mutated frame streams in
// blocks of any size.
//
// The input chooses a generated frame stream and its edits (as the VKFS
// splitter's target does), the cutter's kind (typed, as the .264 writer
// searches, or untyped, as the AVI writer does), and the sizes of the blocks
// the stream arrives in (up to past the 327,680 bytes one step takes in).
// Halfway the stream may restart with a Reset, as a writer's Close and Open do.
// Checked:
//   - every frame handed on starts with "VkFm" (typed: and 'I', 'P' or 'A'), is
//     40 + its payload length long, no longer than 512,000 bytes;
//   - the first frame handed on after a reset is a key frame, flagged as the
//     one that ended the wait, and no other is flagged;
//   - what is held between blocks stays below 512,000 bytes;
//   - the frames are exactly those a plain scan of the whole stream finds,
//     from its first key frame on: the blocks may be cut anywhere without
//     changing a frame.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "media/frame_cutter.h"
#include "tests/common/fuzz_input.h"
#include "tests/common/fuzz_stream.h"

namespace {

using Input = vektest::FuzzInput;

using vektest::Check;

// Feeds `stream` to the cutter in blocks of the sizes in `cuts` (taken in
// turn) and checks what comes out against the plain scan.
void CutAndCheck(media::FrameCutter& cutter,
                 bool typed,
                 const std::vector<uint8_t>& stream,
                 const std::vector<size_t>& cuts) {
    std::vector<std::pair<size_t, size_t>> want = vektest::ScanFrames(stream, 0, typed);
    const auto key =
        std::find_if(want.begin(), want.end(), [&](const auto& f) { return stream[f.first + 4] == 'I'; });
    want.erase(want.begin(), key);

    size_t got = 0;
    const auto take = [&](const uint8_t* frame, uint32_t size, bool firstKey) {
        Check(size >= media::kFrameHeaderSize && size <= media::kMaxFrameSize);
        Check(std::memcmp(frame, "VkFm", 4) == 0);
        Check(size == media::kFrameHeaderSize + platform::GetU32(frame + 12));
        if (typed)
            Check(frame[4] == 'I' || frame[4] == 'P' || frame[4] == 'A');
        Check(firstKey == (got == 0));
        Check(got < want.size() && size == want[got].second &&
              std::memcmp(frame, stream.data() + want[got].first, size) == 0);
        got++;
    };
    size_t at = 0;
    for (size_t block = 0; at < stream.size(); block++) {
        // At most about 2,048 blocks a run: tiny blocks for short streams only.
        const size_t cut = std::max(cuts[block % cuts.size()], stream.size() / 2048);
        const size_t n = std::min(cut, stream.size() - at);
        cutter.Feed(stream.data() + at, static_cast<uint32_t>(n), 0, take);
        at += n;
        Check(cutter.held() < media::kMaxFrameSize);
        Check(cutter.waiting() == (got == 0));
    }
    Check(got == want.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const bool typed = in.U8() & 1;
    const std::vector<uint8_t> first = vektest::FuzzFrameStream(in);
    std::vector<size_t> cuts;
    for (int n = 1 + in.U8() % 16; n > 0; n--) {
        const size_t unit = 1 + in.U16();
        cuts.push_back(unit * (1 + in.U8() % 8));
    }
    // Made once, as a writer makes its cutter once: the second stream checks
    // that a reset forgets what the first one left.
    static media::FrameCutter cutters[2] = {media::FrameCutter(false), media::FrameCutter(true)};
    media::FrameCutter& cutter = cutters[typed];
    cutter.Reset();
    CutAndCheck(cutter, typed, first, cuts);
    if (!in.Empty()) {
        const std::vector<uint8_t> second = vektest::FuzzFrameStream(in);
        cutter.Reset();
        Check(cutter.held() == 0 && cutter.waiting());
        CutAndCheck(cutter, typed, second, cuts);
    }
    return 0;
}
