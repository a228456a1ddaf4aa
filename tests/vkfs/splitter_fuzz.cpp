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
#include "tools/framestream.h"
#include "vkfs/frame_splitter.h"

namespace {

using media::kFrameHeaderSize;
using media::kMaxFrameSize;

using Input = vektest::FuzzInput;

constexpr auto Check = vektest::FuzzCheck;

// The stream and its edits.
std::vector<uint8_t> MakeStream(Input& in) {
    vektools::StreamSpec recipe;
    recipe.seed = in.U32();
    recipe.channel = in.U8();
    recipe.videoFrames = 1 + in.U8() % 64;
    const uint8_t flags = in.U8();
    recipe.audio = flags & 1;
    recipe.extUnits = (flags >> 1) & 3;
    if (flags & 8) {
        recipe.junkEvery = 1 + in.U8() % 5;
        recipe.junkLength = in.U16() % 700;
    }
    recipe.gop = 1 + in.U8() % 12;
    recipe.iMin = 40, recipe.iMax = 40 + in.U16() % 8192;
    recipe.pMin = 0, recipe.pMax = in.U16() % 2048;
    if (flags & 16)  // a frame around the 512,000-byte limit
        recipe.sizes.push_back({static_cast<uint32_t>(in.U8() % recipe.videoFrames), 511900u + in.U8()});
    std::vector<uint8_t> s = vektools::BuildStream(recipe).bytes;

    for (int edits = in.U8() % 24; edits > 0 && !s.empty(); edits--) {
        const size_t at = in.U32() % s.size();
        switch (in.U8() % 6) {
            case 0:
                s[at] = in.U8();
                break;
            case 1:  // a word, aimed at a header's payload length or not
                if (at + 4 <= s.size())
                    platform::PutU32(&s[at], in.U32());
                break;
            case 2: {  // a stray magic
                const uint8_t magic[5] = {'V', 'k', 'F', 'm', in.U8()};
                s.insert(s.begin() + static_cast<long>(at), magic, magic + 5);
                break;
            }
            case 3:
                s.erase(s.begin() + static_cast<long>(at),
                        s.begin() + static_cast<long>(std::min(s.size(), at + 1 + in.U8())));
                break;
            case 4:
                s.resize(at);
                break;
            default:
                s.insert(s.begin() + static_cast<long>(at), in.U8() % 64, in.U8());
                break;
        }
    }
    return s;
}

// Where the frames of the whole stream lie (offset, length), by a plain scan
// from `from`.
std::vector<std::pair<size_t, size_t>> Reference(const std::vector<uint8_t>& s, size_t from) {
    std::vector<std::pair<size_t, size_t>> frames;
    size_t pos = from;
    const size_t n = s.size();
    while (true) {
        size_t m = pos;
        while (m + 5 <= n && std::memcmp(&s[m], "VkFm", 4) != 0)
            m++;
        if (m + 5 > n || n - m < kFrameHeaderSize)
            break;
        const uint32_t payload = platform::GetU32(&s[m + 12]);
        if (payload > kMaxFrameSize - kFrameHeaderSize) {
            pos = m + kFrameHeaderSize;
            continue;
        }
        const size_t length = kFrameHeaderSize + payload;
        if (n - m < length)
            break;
        frames.emplace_back(m, length);
        pos = m + length;
    }
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const std::vector<uint8_t> stream = MakeStream(in);
    size_t skip = in.U16() % 1024;

    std::vector<size_t> cuts;
    for (int n = 1 + in.U8() % 16; n > 0; n--) {
        const size_t unit = 1 + in.U16();
        cuts.push_back(std::min(vkfs::kReadBlockSize, unit * (1 + in.U8() % 8)));
    }
    skip = std::min({skip, std::max(cuts[0], stream.size() / 2048), stream.size()});  // in the first block

    static vkfs::FrameBuffer buffer;  // 1 MB: made once, as a play slot does
    buffer.Reset(false);
    const auto want = Reference(stream, skip);
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
