// The frame splitter: streams from the frame-stream generator (junk between
// frames, padding, extension bytes, audio, oversized frames) fed in blocks
// cut anywhere, checked against the frames the generator wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "platform/le_bytes.h"
#include "tools/framestream.h"
#include "vkfs/frame_splitter.h"

namespace vkfs {
namespace {

using media::kFrameHeaderSize;
using media::kMaxFrameSize;
using Frames = std::vector<std::vector<uint8_t>>;

// Feeds `bytes` block by block (the sizes cycle through `cuts`) and collects
// every frame; checks what stays between blocks on the way.
Frames Split(const std::vector<uint8_t>& bytes, const std::vector<size_t>& cuts, size_t skip = 0) {
    FrameBuffer buffer;
    Frames frames;
    size_t at = 0;
    for (size_t i = 0; at < bytes.size(); i++) {
        const size_t n = std::min({cuts[i % cuts.size()], kReadBlockSize, bytes.size() - at});
        std::memcpy(buffer.WriteArea(), bytes.data() + at, n);
        buffer.Commit(n, i == 0 ? skip : 0);
        at += n;
        uint8_t* frame = nullptr;
        size_t length = 0;
        while (buffer.Next(&frame, &length))
            frames.emplace_back(frame, frame + length);
        EXPECT_LT(buffer.Fill(), size_t{kMaxFrameSize});
    }
    return frames;
}

// What the generator wrote: header and payload of every frame whose length
// is within the limit.
Frames Expected(const vektools::Stream& s) {
    Frames frames;
    for (const auto& f : s.frames) {
        if (f.Length() > kMaxFrameSize)
            continue;
        const auto* p = s.bytes.data() + f.offset;
        frames.emplace_back(p, p + f.Length());
    }
    return frames;
}

void ExpectSameFrames(const Frames& got, const Frames& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); i++)
        ASSERT_EQ(got[i], want[i]) << "frame " << i;
}

vektools::StreamSpec Busy(uint32_t seed) {
    vektools::StreamSpec s;
    s.seed = seed;
    s.channel = 3;
    s.videoFrames = 120;
    s.gop = 12;
    s.iMin = 20000, s.iMax = 60000;
    s.pMin = 100, s.pMax = 9000;
    s.audio = true;
    s.extUnits = 1;
    s.junkEvery = 7;
    s.junkLength = 123;
    return s;
}

TEST(FrameSplitter, WholeFramesWhereverTheBlocksEnd) {
    for (uint32_t seed = 1; seed <= 4; seed++) {
        SCOPED_TRACE(seed);
        const vektools::Stream s = vektools::BuildStream(Busy(seed));
        const Frames want = Expected(s);
        ExpectSameFrames(Split(s.bytes, {kReadBlockSize}), want);
        ExpectSameFrames(Split(s.bytes, {1000, 7, 40, 39, 41, 65536}), want);
        std::mt19937 rng(seed);
        std::vector<size_t> cuts;
        for (int i = 0; i < 64; i++)
            cuts.push_back(1 + rng() % 70000);
        ExpectSameFrames(Split(s.bytes, cuts), want);
    }
}

TEST(FrameSplitter, HeaderSplitOverTwoBlocks) {
    vektools::StreamSpec recipe;
    recipe.videoFrames = 3;
    const vektools::Stream s = vektools::BuildStream(recipe);
    const Frames want = Expected(s);
    const size_t second = s.frames[1].offset;
    // Cut inside the second frame's header at every position.
    for (size_t into = 1; into < kFrameHeaderSize; into++) {
        SCOPED_TRACE(into);
        ExpectSameFrames(Split(s.bytes, {second + into, kReadBlockSize}), want);
    }
}

TEST(FrameSplitter, OversizedFrameIsSkippedAndTheNextFoundAgain) {
    vektools::StreamSpec recipe;
    recipe.videoFrames = 6;
    // Frame 2 is 512,001 bytes long: damaged. Frame 4 is exactly 512,000: whole.
    recipe.sizes = {{2, 512001 - 40}, {4, 512000 - 40}};
    const vektools::Stream s = vektools::BuildStream(recipe);
    const Frames want = Expected(s);
    ASSERT_EQ(want.size(), 5u);
    EXPECT_EQ(want[3].size(), 512000u);
    ExpectSameFrames(Split(s.bytes, {kReadBlockSize}), want);
    ExpectSameFrames(Split(s.bytes, {4096, 333333}), want);
}

TEST(FrameSplitter, PayloadLengthNearTwoToThe32DoesNotWrap) {
    vektools::StreamSpec recipe;
    recipe.videoFrames = 2;
    const vektools::Stream s = vektools::BuildStream(recipe);
    // A header whose 40 + payload wraps to 24 bytes, in front of the real stream.
    std::vector<uint8_t> bytes(kFrameHeaderSize, 0);
    std::memcpy(bytes.data(), "VkFmI", 5);
    platform::PutU32(&bytes[12], 0xFFFFFFF0u);
    bytes.insert(bytes.end(), s.bytes.begin(), s.bytes.end());
    const Frames got = Split(bytes, {kReadBlockSize});
    for (const auto& f : got)
        EXPECT_GE(f.size(), kFrameHeaderSize);
    ExpectSameFrames(got, Expected(s));
}

TEST(FrameSplitter, JunkAndPaddingAreNotFrames) {
    vektools::StreamSpec recipe;
    recipe.videoFrames = 30;
    recipe.junkEvery = 1;
    recipe.junkLength = 1000;
    recipe.extUnits = 3;
    const vektools::Stream s = vektools::BuildStream(recipe);
    ExpectSameFrames(Split(s.bytes, {517}), Expected(s));
}

TEST(FrameSplitter, KeepsWhatTheNextBlockMayComplete) {
    vektools::StreamSpec recipe;
    recipe.videoFrames = 1;
    const vektools::Stream s = vektools::BuildStream(recipe);
    const std::vector<uint8_t> junk(1000, 'x');

    FrameBuffer buffer;
    uint8_t* frame = nullptr;
    size_t length = 0;

    // Fewer than 40 bytes: all kept.
    std::memcpy(buffer.WriteArea(), junk.data(), 20);
    buffer.Commit(20);
    EXPECT_FALSE(buffer.Next(&frame, &length));
    EXPECT_EQ(buffer.Fill(), 20u);

    // No magic in sight: the last 39 bytes stay, where a header may begin.
    buffer.Reset(false);
    std::memcpy(buffer.WriteArea(), junk.data(), junk.size());
    buffer.Commit(junk.size());
    EXPECT_FALSE(buffer.Next(&frame, &length));
    EXPECT_EQ(buffer.Fill(), 39u);

    // Junk ending in the first 39 bytes of a header; the rest completes the frame.
    buffer.Reset(false);
    std::vector<uint8_t> first(junk);
    first.insert(first.end(), s.bytes.begin(), s.bytes.begin() + 39);
    std::memcpy(buffer.WriteArea(), first.data(), first.size());
    buffer.Commit(first.size());
    EXPECT_FALSE(buffer.Next(&frame, &length));
    EXPECT_EQ(buffer.Fill(), 39u);
    const size_t rest = s.bytes.size() - 39;
    std::memcpy(buffer.WriteArea(), s.bytes.data() + 39, rest);
    buffer.Commit(rest);
    ASSERT_TRUE(buffer.Next(&frame, &length));
    EXPECT_EQ(std::vector<uint8_t>(frame, frame + length), Expected(s)[0]);
    EXPECT_FALSE(buffer.Next(&frame, &length));
}

TEST(FrameSplitter, BytesInFrontOfTheFirstFrameAfterASeekAreSkipped) {
    vektools::StreamSpec recipe;
    recipe.videoFrames = 4;
    const vektools::Stream s = vektools::BuildStream(recipe);
    const Frames all = Expected(s);
    // The block starts with the whole first frame; the seek landed on the second.
    const Frames got = Split(s.bytes, {kReadBlockSize}, s.frames[1].offset);
    ExpectSameFrames(got, Frames(all.begin() + 1, all.end()));
}

TEST(FrameSplitter, MagicNeedsItsTypeLetter) {
    const uint8_t bytes[] = {'x', 'V', 'k', 'F', 'm', 'I'};
    EXPECT_EQ(FindFrameMagic(bytes, 6, 0), 1u);
    EXPECT_EQ(FindFrameMagic(bytes, 5, 0), 5u);  // the magic without its letter
    EXPECT_EQ(FindFrameMagic(bytes, 6, 2), 6u);
}

}  // namespace
}  // namespace vkfs
