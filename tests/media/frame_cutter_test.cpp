// tests/media/frame_cutter_test.cpp
#include "media/frame_cutter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/media/writer_test_support.h"
#include "tools/framestream.h"

namespace {

using media::FindFrameHeader;
using media::FrameCutter;
using namespace media_test;

struct Cut {
    std::vector<Bytes> frames;
    std::vector<size_t> firstKeys;  // indexes of frames reported as ending the wait
};

// Feeds `stream` in blocks of `block` bytes (all at once for 0).
Cut CutStream(FrameCutter& cutter, const Bytes& stream, size_t block) {
    Cut out;
    const auto take = [&](const uint8_t* f, uint32_t size, bool firstKey) {
        if (firstKey)
            out.firstKeys.push_back(out.frames.size());
        out.frames.emplace_back(f, f + size);
    };
    if (block == 0)
        block = stream.size();
    for (size_t at = 0; at < stream.size(); at += block) {
        const size_t n = std::min(block, stream.size() - at);
        cutter.Feed(stream.data() + at, static_cast<uint32_t>(n), 0, take);
    }
    return out;
}

Cut CutStream(const Bytes& stream, size_t block, bool typed = false) {
    FrameCutter cutter(typed);
    return CutStream(cutter, stream, block);
}

std::string Types(const Cut& c) {
    std::string t;
    for (const Bytes& f : c.frames)
        t += static_cast<char>(f[4]);
    return t;
}

TEST(FindFrameHeader, FindsMagicWithRoomForTheTypeByteAndFiltersLettersWhenTyped) {
    Bytes b = {'x', 'V', 'k', 'F', 'm', 'Q', 'V', 'k', 'F', 'm', 'A', 'V', 'k', 'F', 'm'};
    EXPECT_EQ(FindFrameHeader(b.data(), 0, static_cast<uint32_t>(b.size()), nullptr), 1);
    int type = 0;
    EXPECT_EQ(FindFrameHeader(b.data(), 0, static_cast<uint32_t>(b.size()), &type), 6);
    EXPECT_EQ(type, media::kCutTypeAudio);
    // The last magic has no type byte before the end: not a candidate yet.
    EXPECT_EQ(FindFrameHeader(b.data(), 7, static_cast<uint32_t>(b.size()), nullptr), -1);
    EXPECT_EQ(FindFrameHeader(b.data(), 0, 6, nullptr), 1);
    EXPECT_EQ(FindFrameHeader(b.data(), 0, 5, nullptr), -1);
    EXPECT_EQ(FindFrameHeader(b.data(), 20, 10, nullptr), -1);
    b[5] = 'I';
    EXPECT_EQ(FindFrameHeader(b.data(), 0, static_cast<uint32_t>(b.size()), &type), 1);
    EXPECT_EQ(type, media::kCutTypeKey);
    b[5] = 'P';
    EXPECT_EQ(FindFrameHeader(b.data(), 0, static_cast<uint32_t>(b.size()), &type), 1);
    EXPECT_EQ(type, media::kCutTypeDelta);
}

TEST(FrameCutter, LeadingDeltaFramesAreDroppedAndTheFirstKeyFrameEndsTheWait) {
    Bytes s;
    Append(&s, MakeFrame({.type = 'P', .timeUs = 1}));
    Append(&s, MakeFrame({.type = 'A', .timeUs = 2}));
    Append(&s, MakeFrame({.type = 'I', .timeUs = 3}));
    Append(&s, MakeFrame({.type = 'P', .timeUs = 4}));
    Append(&s, MakeFrame({.type = 'I', .timeUs = 5}));
    const Cut c = CutStream(s, 0);
    EXPECT_EQ(Types(c), "IPI");
    ASSERT_EQ(c.firstKeys, std::vector<size_t>{0});
    EXPECT_EQ(U64(c.frames[0], 16), 3u);
}

// Every block size, from one byte up, cuts the same frames as one whole feed:
// headers split anywhere (20/20 among them) are completed and handed on once.
TEST(FrameCutter, BlockBoundariesAnywhereGiveTheSameFramesOnce) {
    vektools::StreamSpec recipe;
    recipe.videoFrames = 30;
    recipe.gop = 7;
    recipe.leadingP = 2;
    recipe.audio = true;
    recipe.extUnits = 1;
    recipe.junkEvery = 5;
    recipe.junkLength = 11;
    recipe.iMin = 60, recipe.iMax = 300, recipe.pMin = 1, recipe.pMax = 90;
    const vektools::Stream stream = BuildStream(recipe);
    const Cut whole = CutStream(stream.bytes, 0);
    const auto firstKey = std::find_if(stream.frames.begin(), stream.frames.end(),
                                       [](const vektools::FrameRecord& f) { return f.type == 'I'; });
    ASSERT_EQ(whole.frames.size(), static_cast<size_t>(stream.frames.end() - firstKey));
    for (size_t block : {1u, 2u, 3u, 7u, 20u, 39u, 40u, 41u, 64u, 333u, 4096u}) {
        SCOPED_TRACE(block);
        const Cut c = CutStream(stream.bytes, block);
        EXPECT_EQ(c.frames, whole.frames);
    }

    // A header split 20/20 over two calls.
    Bytes two;
    Append(&two, MakeFrame({.type = 'I', .payload = 10, .timeUs = 1}));
    Append(&two, MakeFrame({.type = 'P', .payload = 10, .timeUs = 2}));
    FrameCutter cutter(false);
    std::vector<uint64_t> times;
    const auto take = [&](const uint8_t* f, uint32_t, bool) { times.push_back(platform::GetU64(f + 16)); };
    cutter.Feed(two.data(), 50 + 20, 0, take);
    EXPECT_EQ(times, std::vector<uint64_t>{1});
    EXPECT_EQ(cutter.held(), 20u);
    cutter.Feed(two.data() + 70, static_cast<uint32_t>(two.size() - 70), 0, take);
    EXPECT_EQ(times, (std::vector<uint64_t>{1, 2}));
    EXPECT_EQ(cutter.held(), 0u);
}

TEST(FrameCutter, FramesAbove512000BytesAreSkippedAndTheCutterResynchronises) {
    Bytes s;
    Append(&s, MakeFrame({.type = 'I', .payload = 511960, .timeUs = 1}));  // exactly 512,000
    Append(&s, MakeFrame({.type = 'P', .payload = 511961, .timeUs = 2}));  // one over
    Append(&s, MakeFrame({.type = 'P', .payload = 16, .timeUs = 3}));
    for (size_t block : {0u, 40000u, 327680u}) {
        SCOPED_TRACE(block);
        const Cut c = CutStream(s, block);
        ASSERT_EQ(c.frames.size(), 2u);
        EXPECT_EQ(c.frames[0].size(), 512000u);
        EXPECT_EQ(U64(c.frames[1], 16), 3u);
    }
}

// A length near 2^32 must not wrap "40 + length" into a small frame size.
TEST(FrameCutter, LengthNearTwoToThe32IsGarbageNotAWrappedSmallFrame) {
    for (uint32_t length : {0xFFFFFFFFu, 0xFFFFFFD8u, 0xFFFFFFE0u, 0x80000000u}) {
        SCOPED_TRACE(length);
        Bytes s;
        Append(&s, MakeFrame({.type = 'I', .payload = 8, .timeUs = 1}));
        Append(&s,
               MakeFrame({.type = 'P', .payload = 24, .timeUs = 2, .lengthGiven = true, .length = length}));
        Append(&s, MakeFrame({.type = 'P', .payload = 8, .timeUs = 3}));
        const Cut c = CutStream(s, 0);
        ASSERT_EQ(c.frames.size(), 2u);
        EXPECT_EQ(U64(c.frames[1], 16), 3u);
        for (const Bytes& f : c.frames)
            EXPECT_EQ(f.size(), 48u);
    }
}

// When nothing more is found, at most 39 bytes wait for the next block, and
// never bytes of a frame already handed on: here the key frame's payload ends
// with the first 25 bytes of a header-like sequence that the next block would
// otherwise complete into a phantom frame.
TEST(FrameCutter, BytesOfAFrameAlreadyHandedOnAreNeverKeptAgain) {
    Bytes phantom = MakeFrame({.type = 'P', .payload = 4, .timeUs = 99});
    Bytes key = MakeFrame({.type = 'I', .payload = 64, .timeUs = 1});
    std::copy(phantom.begin(), phantom.begin() + 25, key.end() - 25);
    Bytes next(phantom.begin() + 25, phantom.end());
    Append(&next, MakeFrame({.type = 'P', .payload = 8, .timeUs = 2}));

    FrameCutter cutter(false);
    std::vector<uint64_t> times;
    const auto take = [&](const uint8_t* f, uint32_t, bool) { times.push_back(platform::GetU64(f + 16)); };
    cutter.Feed(key.data(), static_cast<uint32_t>(key.size()), 0, take);
    EXPECT_EQ(cutter.held(), 0u);
    cutter.Feed(next.data(), static_cast<uint32_t>(next.size()), 0, take);
    EXPECT_EQ(times, (std::vector<uint64_t>{1, 2}));

    // Unread bytes still wait: a magic split 2/2 over two calls after junk.
    FrameCutter split(false);
    times.clear();
    Bytes junk(100, 'x');
    junk[98] = 'V', junk[99] = 'k';
    Bytes rest = MakeFrame({.type = 'I', .payload = 8, .timeUs = 7});
    rest.erase(rest.begin(), rest.begin() + 2);
    split.Feed(junk.data(), static_cast<uint32_t>(junk.size()), 0, take);
    EXPECT_EQ(split.held(), 39u);
    split.Feed(rest.data(), static_cast<uint32_t>(rest.size()), 0, take);
    EXPECT_EQ(times, std::vector<uint64_t>{7});
}

TEST(FrameCutter, TypedSearchSkipsMagicsOfOtherLettersUntypedTreatsThemAsFrames) {
    Bytes s;
    Append(&s, MakeFrame({.type = 'I', .payload = 8, .timeUs = 1}));
    Append(&s, MakeFrame({.type = 'X', .payload = 8, .timeUs = 2}));
    Append(&s, MakeFrame({.type = 'A', .payload = 8, .timeUs = 3}));
    EXPECT_EQ(Types(CutStream(s, 0, /*typed=*/true)), "IA");
    EXPECT_EQ(Types(CutStream(s, 0, /*typed=*/false)), "IXA");
}

TEST(FrameCutter, OneFeedLargerThanTheBufferStepIsTakenInPieces) {
    vektools::StreamSpec recipe;
    recipe.videoFrames = 200;
    recipe.iMin = 20000, recipe.iMax = 60000, recipe.pMin = 5000, recipe.pMax = 20000;
    const vektools::Stream stream = BuildStream(recipe);
    ASSERT_GT(stream.bytes.size(), 2u * media::kCutBufferSize);
    const Cut whole = CutStream(stream.bytes, 0);
    EXPECT_EQ(whole.frames.size(), 200u);
    EXPECT_EQ(whole.frames, CutStream(stream.bytes, media::kMaxFeedBlock).frames);
}

TEST(FrameCutter, ResetForgetsHeldBytesAndWaitsForAKeyFrameAgain) {
    Bytes s;
    Append(&s, MakeFrame({.type = 'I', .payload = 8, .timeUs = 1}));
    Append(&s, MakeFrame({.type = 'P', .payload = 8, .timeUs = 2}));
    FrameCutter cutter(false);
    Cut c = CutStream(cutter, Bytes(s.begin(), s.begin() + 60), 0);
    EXPECT_EQ(cutter.held(), 12u);
    EXPECT_FALSE(cutter.waiting());
    cutter.Reset();
    EXPECT_EQ(cutter.held(), 0u);
    EXPECT_TRUE(cutter.waiting());
    c = CutStream(cutter, Bytes(s.begin() + 48, s.end()), 0);
    EXPECT_TRUE(c.frames.empty());  // the P frame waits for a key frame
}

}  // namespace
