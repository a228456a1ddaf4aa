// tests/media/vek264_writer_test.cpp
#include "media/vek264_file_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/media/writer_test_support.h"
#include "tools/framestream.h"

namespace {

using namespace media_test;

// Writes `stream` fed in blocks of `block` bytes (all at once for 0).
Bytes Write264(const ScratchDir& dir, const Bytes& stream, size_t block = 0) {
    const std::string path = dir.Path("out.264");
    CVek264FileWirte w;
    EXPECT_EQ(w.Open(path.c_str()), 1);
    if (block == 0)
        block = stream.size() ? stream.size() : 1;
    for (size_t at = 0; at < stream.size(); at += block)
        w.Write(stream.data() + at, static_cast<unsigned>(std::min(block, stream.size() - at)));
    EXPECT_EQ(w.Close(), 1);
    return ReadFile(path);
}

struct Container {
    uint64_t indexOffset = 0, firstTime = 0, lastTime = 0;
    std::vector<Bytes> frames;  // header + payload, as stored
    std::vector<std::pair<uint64_t, uint64_t>> index;
};

// Walks the frames from 56 to the index offset by their length fields.
Container Parse(const Bytes& b) {
    Container c;
    EXPECT_GE(b.size(), 72u);
    if (b.size() < 72)
        return c;
    EXPECT_EQ(std::string(b.begin(), b.begin() + 8), "ALVkFile");
    EXPECT_EQ(U32(b, 8), 16u);
    EXPECT_EQ(Tag(b, 12), "Full");
    c.indexOffset = U64(b, 16);
    c.firstTime = U64(b, 40);
    c.lastTime = U64(b, 48);
    size_t at = 56;
    while (at < c.indexOffset && at + 40 <= b.size()) {
        const size_t size = 40 + U32(b, at + 12);
        c.frames.emplace_back(b.begin() + static_cast<std::ptrdiff_t>(at),
                              b.begin() + static_cast<std::ptrdiff_t>(at + size));
        for (size_t p = at + size; p < at + (size + 7) / 8 * 8; p++)
            EXPECT_EQ(b[p], 0) << "padding after the frame at " << at;
        at += (size + 7) / 8 * 8;
    }
    EXPECT_EQ(at, c.indexOffset);
    EXPECT_EQ(std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                          b.begin() + static_cast<std::ptrdiff_t>(at + 8)),
              std::string("ListIdx\0", 8));
    EXPECT_EQ(U16(b, at + 8), 16u);
    EXPECT_EQ(U16(b, at + 10), 16u);
    const uint32_t bytes = U32(b, at + 12);
    EXPECT_EQ(at + 16 + bytes, b.size()) << "the file ends after the index";
    for (uint32_t i = 0; i < bytes / 16; i++)
        c.index.emplace_back(U64(b, at + 16 + i * 16u), U64(b, at + 24 + i * 16u));
    return c;
}

TEST(Vek264Writer, LeadingDeltaFramesAreDroppedAndTheFirstTimeIsTheFirstKeyFrames) {
    ScratchDir dir;
    vektools::StreamSpec recipe;
    recipe.videoFrames = 40;
    recipe.gop = 10;
    recipe.leadingP = 4;
    recipe.audio = true;
    recipe.audioLeadUs = 100000;
    recipe.extUnits = 2;
    const vektools::Stream s = BuildStream(recipe);
    const Container c = Parse(Write264(dir, s.bytes, 1000));

    size_t first = 0;
    while (s.frames[first].type != 'I')
        first++;
    ASSERT_GT(first, 4u);  // leading P frames and early audio
    ASSERT_EQ(c.frames.size(), s.frames.size() - first);
    for (size_t i = 0; i < c.frames.size(); i++) {
        const vektools::FrameRecord& f = s.frames[first + i];
        const Bytes want(s.bytes.begin() + static_cast<std::ptrdiff_t>(f.offset),
                         s.bytes.begin() + static_cast<std::ptrdiff_t>(f.offset + 40 + f.size));
        EXPECT_EQ(c.frames[i], want) << "frame " << i;
    }
    EXPECT_EQ(c.firstTime, s.frames[first].timeUs);
    EXPECT_EQ(c.lastTime, s.frames.back().timeUs);
}

TEST(Vek264Writer, AHeaderSplit20By20OverTwoCallsIsWrittenOnce) {
    ScratchDir dir;
    Bytes s;
    Append(&s, MakeFrame({.type = 'I', .payload = 24, .timeUs = 10}));
    Append(&s, MakeFrame({.type = 'P', .payload = 24, .timeUs = 20}));
    const std::string path = dir.Path("split.264");
    CVek264FileWirte w;
    ASSERT_EQ(w.Open(path.c_str()), 1);
    w.Write(s.data(), 64 + 20);
    w.Write(s.data() + 84, static_cast<unsigned>(s.size() - 84));
    ASSERT_EQ(w.Close(), 1);
    const Container c = Parse(ReadFile(path));
    ASSERT_EQ(c.frames.size(), 2u);
    EXPECT_EQ(U64(c.frames[1], 16), 20u);
    EXPECT_EQ(c.lastTime, 20u);
}

TEST(Vek264Writer, Payload511961IsSkipped511960Written) {
    ScratchDir dir;
    Bytes s;
    Append(&s, MakeFrame({.type = 'I', .payload = 511961, .timeUs = 1}));
    Append(&s, MakeFrame({.type = 'I', .payload = 511960, .timeUs = 2}));
    const Container c = Parse(Write264(dir, s, media::kMaxFeedBlock));
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0].size(), 512000u);
    EXPECT_EQ(c.firstTime, 2u);
}

TEST(Vek264Writer, FramesArePaddedToEightBytes) {
    ScratchDir dir;
    Bytes s;
    Append(&s, MakeFrame({.type = 'I', .payload = 1, .timeUs = 1}));  // 41 bytes + 7
    Append(&s, MakeFrame({.type = 'P', .payload = 8, .timeUs = 2}));  // 48 bytes + 0
    Append(&s, MakeFrame({.type = 'I', .payload = 3, .timeUs = 3}));
    const Bytes b = Write264(dir, s);
    EXPECT_EQ(std::memcmp(b.data() + 56, s.data(), 41), 0);
    EXPECT_EQ(Bytes(b.begin() + 97, b.begin() + 104), Bytes(7, 0));
    EXPECT_EQ(std::memcmp(b.data() + 104, s.data() + 41, 48), 0);
    EXPECT_EQ(Tag(b, 152), "VkFm");
    const Container c = Parse(b);
    EXPECT_EQ(c.indexOffset, 152u + 48u);
}

TEST(Vek264Writer, AStreamWithoutKeyFrameGivesThe72ByteEmptyContainer) {
    ScratchDir dir;
    Bytes s;
    for (int i = 0; i < 5; i++)
        Append(&s, MakeFrame({.type = i % 2 ? 'A' : 'P', .payload = 30, .timeUs = 100u + i}));
    const Bytes b = Write264(dir, s);
    ASSERT_EQ(b.size(), 72u);
    EXPECT_EQ(U64(b, 16), 56u);
    EXPECT_EQ(U64(b, 40), 0u);
    EXPECT_EQ(U64(b, 48), 0u);
    EXPECT_EQ(U32(b, 68), 0u);
    EXPECT_TRUE(Parse(b).index.empty());
}

TEST(Vek264Writer, IndexHoldsEveryKeyFrameWithItsTimeAndTheOffsetOfItsHeader) {
    ScratchDir dir;
    vektools::StreamSpec recipe;
    recipe.videoFrames = 60;
    recipe.gop = 9;
    recipe.audio = true;
    recipe.junkEvery = 4;
    recipe.junkLength = 5;
    const vektools::Stream s = BuildStream(recipe);
    const Bytes b = Write264(dir, s.bytes, 777);
    const Container c = Parse(b);
    std::vector<uint64_t> keyTimes;
    for (const auto& f : s.frames)
        if (f.type == 'I')
            keyTimes.push_back(f.timeUs);
    ASSERT_EQ(c.index.size(), keyTimes.size());
    for (size_t i = 0; i < c.index.size(); i++) {
        EXPECT_EQ(c.index[i].first, keyTimes[i]);
        ASSERT_LT(c.index[i].second + 40, b.size());
        EXPECT_EQ(Tag(b, c.index[i].second), "VkFm");
        EXPECT_EQ(b[c.index[i].second + 4], 'I');
        EXPECT_EQ(U64(b, c.index[i].second + 16), keyTimes[i]);
    }
}

TEST(Vek264Writer, WithoutAnOpenFileWriteDoesNothingAndAFailedOpenKeepsNoFile) {
    ScratchDir dir;
    const Bytes frame = MakeFrame({.type = 'I', .payload = 16, .timeUs = 5});
    CVek264FileWirte w;
    w.Write(frame.data(), static_cast<unsigned>(frame.size()));  // never opened
    EXPECT_EQ(w.Open(dir.Path("no/such/folder/x.264").c_str()), 0);
    EXPECT_FALSE(w.IsOpen());
    w.Write(frame.data(), static_cast<unsigned>(frame.size()));
    EXPECT_EQ(w.Close(), 1);  // nothing was open, nothing failed

    // Nothing fed while closed leaks into the next file.
    const std::string path = dir.Path("after.264");
    ASSERT_EQ(w.Open(path.c_str()), 1);
    ASSERT_EQ(w.Close(), 1);
    EXPECT_EQ(ReadFile(path).size(), 72u);
}

TEST(Vek264Writer, CloseResetsSoTheNextFileStartsFreshWithItsOwnGuid) {
    ScratchDir dir;
    Bytes s;
    Append(&s, MakeFrame({.type = 'I', .payload = 16, .timeUs = 1}));
    Append(&s, MakeFrame({.type = 'P', .payload = 16, .timeUs = 2}));
    CVek264FileWirte w;
    const std::string a = dir.Path("a.264"), b = dir.Path("b.264");
    ASSERT_EQ(w.Open(a.c_str()), 1);
    w.Write(s.data(), 60);  // the P frame is left incomplete in the buffer
    ASSERT_EQ(w.Close(), 1);
    ASSERT_EQ(w.Open(b.c_str()), 1);
    w.Write(s.data() + 56, static_cast<unsigned>(s.size() - 56));  // starts with a P frame
    ASSERT_EQ(w.Close(), 1);
    const Bytes fa = ReadFile(a), fb = ReadFile(b);
    EXPECT_EQ(Parse(fa).frames.size(), 1u);
    EXPECT_EQ(fb.size(), 72u);
    EXPECT_NE(Bytes(fa.begin() + 24, fa.begin() + 40), Bytes(fb.begin() + 24, fb.begin() + 40));
    EXPECT_NE(Bytes(fa.begin() + 24, fa.begin() + 40), Bytes(16, 0));
}

}  // namespace
