// tests/tools/framestream_test.cpp
#include "tools/framestream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "media/frame_header.h"

namespace vektools {
namespace {

std::string Types(const Stream& s) {
    std::string t;
    for (const FrameRecord& f : s.frames)
        t += f.type;
    return t;
}

media::frame_header HeaderAt(const Stream& s, const FrameRecord& f) {
    return media::decode_frame_header(s.bytes.data() + f.offset);
}

// Every "VkFm" in the bytes, found by searching rather than from the records.
std::vector<uint64_t> MagicOffsets(const std::vector<uint8_t>& bytes) {
    std::vector<uint64_t> at;
    for (size_t i = 0; i + 4 <= bytes.size(); i++)
        if (std::memcmp(bytes.data() + i, "VkFm", 4) == 0)
            at.push_back(i);
    return at;
}

TEST(FrameStream, SameSeedSameBytesOtherSeedOtherPayloadsSamePlan) {
    StreamSpec recipe;
    recipe.seed = 7;
    recipe.videoFrames = 60;
    recipe.audio = true;
    const Stream a = BuildStream(recipe);
    EXPECT_EQ(a.bytes, BuildStream(recipe).bytes);

    recipe.seed = 8;
    const Stream b = BuildStream(recipe);
    EXPECT_NE(a.bytes, b.bytes);
    ASSERT_EQ(a.frames.size(), b.frames.size());
    for (size_t i = 0; i < a.frames.size(); i++) {
        EXPECT_EQ(a.frames[i].type, b.frames[i].type) << i;
        EXPECT_EQ(a.frames[i].timeUs, b.frames[i].timeUs) << i;
    }
}

TEST(FrameStream, FramesTakeTheirSpaceWithZeroPaddingThenTheExtension) {
    StreamSpec recipe;
    recipe.videoFrames = 4;
    recipe.extUnits = 3;
    recipe.sizes = {{0, 1}, {1, 8}, {2, 9}, {3, 0}};
    const Stream s = BuildStream(recipe);
    ASSERT_EQ(s.frames.size(), 4u);
    // 40-byte header + payload rounded up to 8 + 3 * 8 extension bytes.
    const uint64_t space[4] = {40 + 8 + 24, 40 + 8 + 24, 40 + 16 + 24, 40 + 0 + 24};
    uint64_t offset = 0;
    for (int i = 0; i < 4; i++) {
        const FrameRecord& f = s.frames[i];
        EXPECT_EQ(f.offset, offset) << i;
        EXPECT_EQ(f.space, space[i]) << i;
        const media::frame_header h = HeaderAt(s, f);
        EXPECT_EQ(h.magic, media::kMagicFrame);
        EXPECT_EQ(h.size, f.size);
        EXPECT_EQ(h.ext_units, 3);
        const uint8_t* payloadEnd = s.bytes.data() + f.offset + 40 + f.size;
        const uint8_t* extension = s.bytes.data() + f.offset + f.space - 24;
        for (const uint8_t* p = payloadEnd; p < extension; p++)
            EXPECT_EQ(*p, 0) << "padding of frame " << i;
        for (int j = 0; j < 24; j++)
            EXPECT_NE(extension[j], 0) << "extension of frame " << i;
        offset += space[i];
    }
    EXPECT_EQ(s.bytes.size(), offset);
}

TEST(FrameStream, KeyFramePatterns) {
    StreamSpec recipe;
    recipe.videoFrames = 14;
    recipe.leadingP = 3;
    recipe.gop = 5;
    EXPECT_EQ(Types(BuildStream(recipe)), "PPPIPPPPIPPPPI");

    recipe.leadingP = 0;
    recipe.gop = 0;  // only the first
    EXPECT_EQ(Types(BuildStream(recipe)), "IPPPPPPPPPPPPP");

    recipe.videoFrames = 51;
    recipe.keysPerSecond = 2;  // at 25 fps: frames 0, 13, 25, 38, 50
    const Stream s = BuildStream(recipe);
    std::vector<uint32_t> keys;
    for (const FrameRecord& f : s.frames)
        if (f.type == 'I')
            keys.push_back(f.number);
    EXPECT_EQ(keys, (std::vector<uint32_t>{0, 13, 25, 38, 50}));
}

TEST(FrameStream, HeadersCarryTheStreamParameters) {
    StreamSpec recipe;
    recipe.channel = 9;
    recipe.videoFrames = 5;
    recipe.width = 704;
    recipe.height = 576;
    recipe.fps = 12;
    recipe.videoCodec = 2;
    recipe.audio = true;
    recipe.audioParams = {16000, 2, 16, 644, 4, 1};
    const Stream s = BuildStream(recipe);
    int audio = 0;
    for (const FrameRecord& f : s.frames) {
        const media::frame_header h = HeaderAt(s, f);
        EXPECT_EQ(h.channel, 9);
        EXPECT_EQ(h.time_us, f.timeUs);
        if (f.type == 'A') {
            audio++;
            EXPECT_EQ(h.codec, 4);
            EXPECT_EQ(h.audio_rate, 16000u);
            EXPECT_EQ(h.audio_channels, 2);
            EXPECT_EQ(h.audio_bits2, 32);
            EXPECT_EQ(h.audio_block, 644);
            EXPECT_EQ(f.size, 644u);
        } else {
            EXPECT_EQ(h.codec, 2);
            EXPECT_EQ(h.width, 704);
            EXPECT_EQ(h.height, 576);
            EXPECT_EQ(h.fps, 12);
        }
    }
    // 5 frames at 12 fps last 416,666 us; a 644-byte block of 16-bit stereo is
    // 160 samples, 10 ms at 16 kHz: 42 audio frames.
    EXPECT_EQ(audio, 42);
}

TEST(FrameStream, AudioInterleavesByTimeAndMayLeadTheVideo) {
    StreamSpec recipe;
    recipe.startUs = 1000000000;
    recipe.videoFrames = 25;
    recipe.audio = true;  // 164-byte A-law blocks: 20 ms each
    recipe.audioLeadUs = 50000;
    const Stream s = BuildStream(recipe);
    ASSERT_GE(s.frames.size(), 3u);
    EXPECT_EQ(s.frames[0].type, 'A');
    EXPECT_EQ(s.frames[0].timeUs, 1000000000u - 50000);
    EXPECT_EQ(s.frames[1].timeUs, 1000000000u - 30000);
    EXPECT_EQ(s.frames[2].timeUs, 1000000000u - 10000);
    for (size_t i = 1; i < s.frames.size(); i++)
        EXPECT_LE(s.frames[i - 1].timeUs, s.frames[i].timeUs);
    EXPECT_EQ(s.frames.back().type, 'A');
    EXPECT_LT(s.frames.back().timeUs, 1000000000u + 1000000);
}

TEST(FrameStream, JunkSitsInFrontOfEveryNthFrameAndNoPayloadLooksLikeAHeader) {
    StreamSpec recipe;
    recipe.videoFrames = 40;
    recipe.audio = true;
    recipe.junkEvery = 4;
    recipe.junkLength = 13;
    const Stream s = BuildStream(recipe);
    std::vector<uint64_t> offsets;
    uint64_t expected = 0;
    for (const FrameRecord& f : s.frames) {
        EXPECT_EQ(f.junkBefore, (f.number > 0 && f.number % 4 == 0) ? 13u : 0u);
        expected += f.junkBefore;
        EXPECT_EQ(f.offset, expected);
        expected += f.space;
        offsets.push_back(f.offset);
    }
    EXPECT_EQ(MagicOffsets(s.bytes), offsets);
}

TEST(FrameStream, BorderlineAndOversizedFrames) {
    StreamSpec recipe;
    recipe.videoFrames = 3;
    recipe.sizes = {{0, 511960}, {1, 511961}, {2, 1}};
    const Stream s = BuildStream(recipe);
    EXPECT_EQ(s.frames[0].Length(), kFrameLimit);
    EXPECT_EQ(s.frames[1].Length(), kFrameLimit + 1);
    EXPECT_EQ(HeaderAt(s, s.frames[1]).size, 511961u);
    EXPECT_EQ(s.frames[1].space, 40u + 511968);
    EXPECT_EQ(s.frames[2].offset, s.frames[1].offset + 40 + 511968);
    EXPECT_EQ(s.frames[2].space, 48u);  // a 41-byte frame
}

TEST(FrameStream, PayloadsStartLikeTheirKindAndNameTheirFrame) {
    StreamSpec recipe;
    recipe.channel = 4;
    recipe.videoFrames = 30;
    recipe.audio = true;
    recipe.startUs = 1700000000123456;
    const Stream s = BuildStream(recipe);
    for (const FrameRecord& f : s.frames) {
        const uint8_t* p = s.bytes.data() + f.offset + 40;
        if (f.type == 'A') {
            // Block prefix: 00 01, then half the data bytes (160 / 2).
            EXPECT_EQ(std::vector<uint8_t>(p, p + 4), (std::vector<uint8_t>{0x00, 0x01, 80, 0x00}));
        } else {
            const uint8_t nal = f.type == 'I' ? 0x65 : 0x41;
            EXPECT_EQ(std::vector<uint8_t>(p, p + 5), (std::vector<uint8_t>{0, 0, 0, 1, nal}));
        }
        Marker m;
        ASSERT_TRUE(ParseMarker(p, f.size, &m)) << f.number;
        EXPECT_EQ(m.channel, 4u);
        EXPECT_EQ(m.number, f.number);
        EXPECT_EQ(m.timeUs, f.timeUs);
    }
    Marker m;
    const uint8_t tiny[8] = {0, 0, 0, 1, 0x65, 'M', 'K', ' '};
    EXPECT_FALSE(ParseMarker(tiny, sizeof tiny, &m));
}

TEST(FrameStream, AccessUnitsBecomeVideoPayloadsInOrderAndCycle) {
    std::vector<AccessUnit> units = {{{0, 0, 0, 1, 0x65, 1, 2, 3}, true},
                                     {{0, 0, 0, 1, 0x41, 4, 5}, false},
                                     {{0, 0, 0, 1, 0x41, 6}, false}};
    StreamSpec recipe;
    recipe.videoFrames = 5;
    recipe.leadingP = 2;  // unused with access units
    recipe.accessUnits = &units;
    const Stream s = BuildStream(recipe);
    EXPECT_EQ(Types(s), "IPPIP");
    for (const FrameRecord& f : s.frames) {
        const AccessUnit& u = units[f.number % 3];
        ASSERT_EQ(f.size, u.bytes.size());
        EXPECT_EQ(0, std::memcmp(s.bytes.data() + f.offset + 40, u.bytes.data(), f.size));
    }
}

}  // namespace
}  // namespace vektools
