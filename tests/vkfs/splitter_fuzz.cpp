// libFuzzer target: the frame splitter fed mutated frame streams in random
// blocks.
//
// The input chooses a generated frame stream (seed, frame count, sizes up to
// past the 512,000-byte limit, audio, extension bytes, junk), edits it (bytes,
// little-endian words over lengths, stray magics, cuts, insertions), and then
// the sizes of the blocks the stream arrives in and the bytes skipped in front
// of the first one. Checked:
//   - every frame handed on starts with "VkFm", is 40 + its payload length
//     long and no longer than 512,000 bytes, and lies inside the buffer;
//   - what is kept between blocks stays below 512,000 bytes;
//   - the frames are exactly those a plain scan of the whole stream finds:
//     the blocks may be cut anywhere without changing a frame.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/le_bytes.h"
#include "tests/common/fuzz_input.h"
#include "tests/common/fuzz_stream.h"
#include "vkfs/frame_splitter.h"

namespace {

using media::kFrameHeaderSize;
using media::kMaxFrameSize;

using Input = vektest::FuzzInput;

constexpr auto Check = vektest::FuzzCheck;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const std::vector<uint8_t> stream = vektest::FuzzFrameStream(in);
    size_t skip = in.U16() % 1024;

    std::vector<size_t> cuts;
    for (int n = 1 + in.U8() % 16; n > 0; n--) {
        const size_t unit = 1 + in.U16();
        cuts.push_back(std::min(vkfs::kReadBlockSize, unit * (1 + in.U8() % 8)));
    }
    skip = std::min({skip, std::max(cuts[0], stream.size() / 2048), stream.size()});  // in the first block

    static vkfs::FrameBuffer buffer;  // 1 MB: made once, as a play slot does
    buffer.Reset(false);
    const auto want = vektest::ScanFrames(stream, skip, false);
    size_t got = 0;
    size_t at = 0;
    for (size_t block = 0; at < stream.size(); block++) {
        // At most about 2,048 blocks a run: tiny blocks for short streams only.
        const size_t cut = std::max(cuts[block % cuts.size()], stream.size() / 2048);
        const size_t n = std::min(cut, stream.size() - at);
        uint8_t* area = buffer.WriteArea();
        std::memcpy(area, stream.data() + at, n);
        buffer.Commit(n, block == 0 ? skip : 0);
        at += n;
        uint8_t* frame = nullptr;
        size_t length = 0;
        while (buffer.Next(&frame, &length)) {
            Check(length >= kFrameHeaderSize && length <= kMaxFrameSize);
            Check(std::memcmp(frame, "VkFm", 4) == 0);
            Check(length == kFrameHeaderSize + platform::GetU32(frame + 12));
            Check(got < want.size() && length == want[got].second &&
                  std::memcmp(frame, stream.data() + want[got].first, length) == 0);
            got++;
        }
        Check(buffer.Fill() < kMaxFrameSize);
    }
    Check(got == want.size());
    return 0;
}
