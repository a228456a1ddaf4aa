// tests/common/fuzz_stream.h
//
// What the fuzz targets of frame cutting share: a generated frame stream chosen
// and edited by the fuzzer's bytes, and the plain scan of a whole stream that
// says which frames a cutter must find in it however the stream is cut into
// blocks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/le_bytes.h"
#include "tests/common/fuzz_input.h"
#include "tools/framestream.h"

namespace vektest {

// A generated stream (seed, frame count, sizes up to past the 512,000-byte
// limit, audio, extension bytes, junk), then edits: bytes, little-endian words
// over lengths, stray magics, cuts, insertions.
inline std::vector<uint8_t> FuzzFrameStream(FuzzInput& in) {
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
// from `from`: a frame starts at a "VkFm" (typed: only one followed by 'I', 'P'
// or 'A') whose fifth byte is in the stream; a header whose frame would pass
// 512,000 bytes is skipped by 40 bytes; the scan ends at a frame cut short.
inline std::vector<std::pair<size_t, size_t>> ScanFrames(const std::vector<uint8_t>& s,
                                                         size_t from,
                                                         bool typed) {
    constexpr size_t kHeader = 40;
    constexpr uint32_t kLimit = 512000;
    const auto starts = [&](size_t m) {
        return std::memcmp(&s[m], "VkFm", 4) == 0 &&
               (!typed || s[m + 4] == 'I' || s[m + 4] == 'P' || s[m + 4] == 'A');
    };
    std::vector<std::pair<size_t, size_t>> frames;
    size_t pos = from;
    const size_t n = s.size();
    while (true) {
        size_t m = pos;
        while (m + 5 <= n && !starts(m)) {
            const void* v = std::memchr(&s[m + 1], 'V', n - m - 1);
            m = v ? static_cast<size_t>(static_cast<const uint8_t*>(v) - s.data()) : n;
        }
        if (m + 5 > n || n - m < kHeader)
            break;
        const uint32_t payload = platform::GetU32(&s[m + 12]);
        if (payload > kLimit - kHeader) {
            pos = m + kHeader;
            continue;
        }
        const size_t length = kHeader + payload;
        if (n - m < length)
            break;
        frames.emplace_back(m, length);
        pos = m + length;
    }
    return frames;
}

}  // namespace vektest
