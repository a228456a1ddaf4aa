// tests/media/avi_writer_test.cpp
#include "media/avi_file_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "media/avi_output.h"
#include "tests/media/writer_test_support.h"
#include "tools/framestream.h"

namespace {

using namespace media_test;

// Writes `stream` through CVekAviFileWirte in blocks of `block` bytes (all at
// once for 0) and reads the file back through idx1.
AviFile WriteAvi(const ScratchDir& dir, const Bytes& stream, size_t block = 0, const char* name = "out.avi") {
    const std::string path = dir.Path(name);
    CVekAviFileWirte w;
    EXPECT_EQ(w.Open(path.c_str()), 1);
    if (block == 0)
        block = stream.size() ? stream.size() : 1;
    for (size_t at = 0; at < stream.size(); at += block)
        w.Write(stream.data() + at, static_cast<unsigned>(std::min(block, stream.size() - at)));
    EXPECT_EQ(w.Close(), 1);
    return ReadAvi(path);
}

std::string Tags(const AviFile& f) {
    std::string t;
    for (const AviChunk& c : f.chunks)
        t += (t.empty() ? "" : " ") + c.tag;
    return t;
}

Bytes Zeros(size_t n) {
    return Bytes(n, 0);
}
Bytes Slice(const Bytes& b, size_t at, size_t n) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(at),
                 b.begin() + static_cast<std::ptrdiff_t>(at + n));
}

FrameSpec Video(char type, uint64_t timeUs, uint32_t payload = 100) {
    FrameSpec f;
    f.type = type;
    f.timeUs = timeUs;
    f.payload = payload;
    f.width = 704;
    f.height = 576;
    f.fps = 25;
    return f;
}

FrameSpec Audio(uint64_t timeUs, uint32_t payload, uint16_t block, uint8_t codec = 1, uint8_t channels = 1) {
    FrameSpec f;
    f.type = 'A';
    f.timeUs = timeUs;
    f.payload = payload;
    f.block = block;
    f.codec = codec;
    f.channels = channels;
    f.rate = 8000;
    f.twiceBits = 16;
    return f;
}

TEST(AviWriter, HeaderAreaOfAVideoOnlyFile) {
    ScratchDir dir;
    Bytes s;
    Append(&s, MakeFrame(Video('I', 1000000000)));
    Append(&s, MakeFrame(Video('P', 1000040000, 51)));
    Append(&s, MakeFrame(Video('P', 1003080000, 60)));
    const AviFile f = WriteAvi(dir, s);
    const Bytes& b = f.bytes;
    ASSERT_EQ(f.chunks.size(), 3u);

    EXPECT_EQ(Tag(b, 0), "RIFF");
    EXPECT_EQ(U32(b, 4), b.size() - 8);
    EXPECT_EQ(Tag(b, 8), "AVI ");
    EXPECT_EQ(Tag(b, 12), "LIST");
    EXPECT_EQ(U32(b, 16), 212u - 20u);
    EXPECT_EQ(Tag(b, 20), "hdrl");
    // avih
    EXPECT_EQ(Tag(b, 24), "avih");
    EXPECT_EQ(U32(b, 28), 56u);
    const uint32_t avih[14] = {40000, 10000000, 0, 0x10030, 3, 0, 1, 0, 704, 576, 0, 0, 0, 0};
    for (int i = 0; i < 14; i++)
        EXPECT_EQ(U32(b, 32 + 4 * i), avih[i]) << "avih word " << i;
    // video stream list
    EXPECT_EQ(Tag(b, 88), "LIST");
    EXPECT_EQ(U32(b, 92), 116u);
    EXPECT_EQ(Tag(b, 96), "strl");
    EXPECT_EQ(Tag(b, 100), "strh");
    EXPECT_EQ(U32(b, 104), 56u);
    EXPECT_EQ(Tag(b, 108), "vids");
    EXPECT_EQ(Tag(b, 112), "H264");
    const uint32_t strh[10] = {1, 0, 0, 40000, 1000000, 0, 3, 0, 0, 0xFFFFFFFF};
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(U32(b, 116 + 4 * i), strh[i]) << "strh word " << i + 2;
    EXPECT_EQ(Slice(b, 156, 8), Zeros(8));
    EXPECT_EQ(Tag(b, 164), "strf");
    EXPECT_EQ(U32(b, 168), 40u);
    EXPECT_EQ(U32(b, 172), 40u);
    EXPECT_EQ(U32(b, 176), 704u);
    EXPECT_EQ(U32(b, 180), 576u);
    EXPECT_EQ(U16(b, 184), 1u);
    EXPECT_EQ(U16(b, 186), 12u);
    EXPECT_EQ(Tag(b, 188), "H264");
    EXPECT_EQ(U32(b, 192), 704u * 576u * 4u);
    EXPECT_EQ(Slice(b, 196, 16), Zeros(16));
    // JUNK: span 1003 s - 1000 s
    EXPECT_EQ(Tag(b, 212), "JUNK");
    EXPECT_EQ(U32(b, 216), 2028u - 212u);
    EXPECT_EQ(U32(b, 220), 0u);
    EXPECT_EQ(U32(b, 224), 3u);
    EXPECT_EQ(Slice(b, 228, 2036 - 228), Zeros(2036 - 228));
    // movi
    EXPECT_EQ(Tag(b, 2036), "LIST");
    EXPECT_EQ(U32(b, 2040), f.idx1 - 2044);
    EXPECT_EQ(Tag(b, 2044), "movi");
    EXPECT_EQ(Tag(b, 2048), "00db");
}

// The audio stream's list sits at 212 and moves the JUNK to 320; the audio
// bit rate counts every channel.
TEST(AviWriter, HeaderAreaWithAudioAndBitRateOverAllChannels) {
    struct Case {
        uint8_t codec, channels;
        uint32_t formatTag, bits, bytesPerSecond;
    } cases[] = {
        {1, 1, 6, 8, 8000},     // A-law mono: 8 bits from the header (16 / 2)
        {1, 2, 6, 8, 16000},    // A-law stereo
        {0, 2, 1, 8, 16000},    // PCM: bits from the header
        {2, 1, 7, 8, 8000},     // mu-law: 8 bits by its format
        {4, 1, 0x64, 4, 4000},  // ADPCM: 4 bits
        {1, 0, 6, 8, 0},        // no channels given: the stream is still described (2 streams, 2 lists)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.codec) * 10 + c.channels);
        ScratchDir dir;
        Bytes s;
        Append(&s, MakeFrame(Video('I', 5000000)));
        Append(&s, MakeFrame(Audio(5010000, 328, 164, c.codec, c.channels)));  // two blocks of 160
        Append(&s, MakeFrame(Video('P', 5040000)));
        const AviFile f = WriteAvi(dir, s);
        const Bytes& b = f.bytes;
        EXPECT_EQ(Tags(f), "00db 01wb 01wb 00dc");
        EXPECT_EQ(U32(b, 16), 320u - 20u);
        EXPECT_EQ(U32(b, 32 + 4 * 6), 2u) << "streams";
        EXPECT_EQ(Tag(b, 212), "LIST");
        EXPECT_EQ(U32(b, 216), 100u);
        EXPECT_EQ(Tag(b, 220), "strl");
        EXPECT_EQ(Tag(b, 224), "strh");
        EXPECT_EQ(U32(b, 228), 64u);
        EXPECT_EQ(Tag(b, 232), "auds");
        const uint32_t strh[12] = {0, 0, 0, 0, 160, c.bytesPerSecond, 0, 2, 0, 0xFFFFFFFF, 160, 0};
        for (int i = 0; i < 12; i++)
            EXPECT_EQ(U32(b, 236 + 4 * i), strh[i]) << "audio strh word " << i + 1;
        EXPECT_EQ(Slice(b, 280, 16), Zeros(16));
        EXPECT_EQ(Tag(b, 296), "strf");
        EXPECT_EQ(U32(b, 300), 16u);
        EXPECT_EQ(U16(b, 304), c.formatTag);
        EXPECT_EQ(U16(b, 306), c.channels);
        EXPECT_EQ(U32(b, 308), 8000u);
        EXPECT_EQ(U32(b, 312), c.bytesPerSecond);
        EXPECT_EQ(U16(b, 316), 160u);
        EXPECT_EQ(U16(b, 318), c.bits);
        EXPECT_EQ(Tag(b, 320), "JUNK");
        EXPECT_EQ(U32(b, 324), 2028u - 320u);
        EXPECT_EQ(Slice(b, 336, 2036 - 336), Zeros(2036 - 336));
    }
}

TEST(AviWriter, AudioChunksHoldTheBlockWithoutItsPrefixAndA48ByteTrailer) {
    ScratchDir dir;
    Bytes s;
    Append(&s, MakeFrame(Video('I', 1)));
    Bytes a = MakeFrame(Audio(2, 20, 10));  // two blocks of 10: prefix 4, data 6
    Append(&s, a);
    const AviFile f = WriteAvi(dir, s);
    ASSERT_EQ(f.chunks.size(), 3u);
    for (int k = 0; k < 2; k++) {
        const AviChunk& c = f.chunks[1 + k];
        EXPECT_EQ(c.tag, "01wb");
        EXPECT_EQ(c.flags, 0u);
        EXPECT_EQ(c.payload, Slice(a, 40 + 10 * k + 4, 6));
        Bytes want = Slice(a, 0, 40);
        platform::PutU32(want.data() + 12, 10);
        Append(&want, Slice(a, 40 + 10 * k, 4));
        Append(&want, Zeros(4));
        EXPECT_EQ(c.trailer, want);
    }
}

TEST(AviWriter, OddPayloadPlusTrailerGetsOnePadByte) {
    ScratchDir dir;
    Bytes s;
    Append(&s, MakeFrame(Video('I', 1, 51)));  // 51 + 40 odd
    Append(&s, MakeFrame(Video('P', 2, 50)));  // even
    Append(&s, MakeFrame(Audio(3, 5, 5)));     // 1 + 48 odd
    Append(&s, MakeFrame(Video('P', 4, 7)));
    const AviFile f = WriteAvi(dir, s);
    ASSERT_EQ(Tags(f), "00db 00dc 01wb 00dc");
    EXPECT_EQ(f.chunks[0].offset, 2048u);
    EXPECT_EQ(f.chunks[1].offset, 2048u + 8 + 51 + 40 + 1);
    EXPECT_EQ(f.bytes[2048 + 8 + 51 + 40], 0);
    EXPECT_EQ(f.chunks[2].offset, f.chunks[1].offset + 8 + 50 + 40);
    EXPECT_EQ(f.chunks[3].offset, f.chunks[2].offset + 8 + 1 + 48 + 1);
    EXPECT_EQ(f.bytes[f.chunks[2].offset + 8 + 1 + 48], 0);
    EXPECT_EQ(f.idx1, f.chunks[3].offset + 8 + 7 + 40 + 1);
}

TEST(AviWriter, AudioBeforeTheFirstVideoChunkIsDroppedAndLeavesOneStream) {
    ScratchDir dir;
    Bytes only;
    Append(&only, MakeFrame(Audio(1, 164, 164)));
    Append(&only, MakeFrame(Video('P', 2)));
    Append(&only, MakeFrame(Audio(3, 164, 164)));
    Append(&only, MakeFrame(Video('I', 4)));
    const AviFile f = WriteAvi(dir, only, 0, "one.avi");
    EXPECT_EQ(Tags(f), "00db");
    EXPECT_EQ(U32(f.bytes, 32 + 4 * 6), 1u) << "streams";
    EXPECT_EQ(U32(f.bytes, 16), 212u - 20u);
    EXPECT_EQ(Tag(f.bytes, 212), "JUNK");

    Bytes later = only;
    Append(&later, MakeFrame(Audio(5, 164, 164)));
    const AviFile g = WriteAvi(dir, later, 0, "two.avi");
    EXPECT_EQ(Tags(g), "00db 01wb");
    EXPECT_EQ(U32(g.bytes, 32 + 4 * 6), 2u);
}

TEST(AviWriter, FrameRateZeroGivesZeroMicrosecondsPerFrameAndScale) {
    ScratchDir dir;
    FrameSpec v = Video('I', 1);
    v.fps = 0;
    const AviFile f = WriteAvi(dir, MakeFrame(v));
    EXPECT_EQ(U32(f.bytes, 32), 0u);
    EXPECT_EQ(U32(f.bytes, 108 + 20), 0u) << "strh scale";
    EXPECT_EQ(U32(f.bytes, 108 + 24), 1000000u) << "strh rate";
}

TEST(AviWriter, Idx1ListsEveryChunkWithFlagsAbsoluteOffsetsAndPayloadLengths) {
    ScratchDir dir;
    vektools::StreamSpec recipe;
    recipe.videoFrames = 50;
    recipe.gop = 12;
    recipe.leadingP = 2;
    recipe.audio = true;
    recipe.extUnits = 1;
    const vektools::Stream s = BuildStream(recipe);
    const AviFile f = WriteAvi(dir, s.bytes, 4000);

    std::vector<const vektools::FrameRecord*> kept;
    bool video = false;
    for (const auto& r : s.frames) {
        if (!video && r.type != 'I')
            continue;
        video = true;
        kept.push_back(&r);
    }
    ASSERT_EQ(f.chunks.size(), kept.size());  // one 164-byte block per audio frame
    uint32_t at = 2048;
    std::vector<uint64_t> videoTimes;
    for (size_t i = 0; i < kept.size(); i++) {
        const vektools::FrameRecord& r = *kept[i];
        const AviChunk& c = f.chunks[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(c.offset, at);
        if (r.type == 'A') {
            EXPECT_EQ(c.tag, "01wb");
            EXPECT_EQ(c.flags, 0u);
            EXPECT_EQ(c.length, r.size - 4);
        } else {
            EXPECT_EQ(c.tag, r.type == 'I' ? "00db" : "00dc");
            EXPECT_EQ(c.flags, r.type == 'I' ? 0x10u : 0u);
            EXPECT_EQ(c.length, r.size);
            EXPECT_EQ(c.trailer, Slice(s.bytes, r.offset, 40));
            EXPECT_EQ(c.payload, Slice(s.bytes, r.offset + 40, r.size));
            videoTimes.push_back(r.timeUs);
        }
        const uint32_t body = c.length + static_cast<uint32_t>(c.trailer.size());
        at += 8 + body + (body & 1);
    }
    EXPECT_EQ(f.idx1, at);
    EXPECT_EQ(f.frameTimes, videoTimes);
}

// The movi list ends where idx1 starts, the RIFF form covers the whole file,
// and the file ends right after the frame times, so readers that go by the
// list sizes find the index.
TEST(AviWriter, ListSizesAgreeWithTheIndexAndTheFileEndsAfterTheFrameTimes) {
    ScratchDir dir;
    Bytes s;
    for (int i = 0; i < 7; i++)
        Append(&s, MakeFrame(Video(i % 3 ? 'P' : 'I', 1000000u * i, 33u + i)));
    const AviFile f = WriteAvi(dir, s);
    const Bytes& b = f.bytes;
    ASSERT_EQ(f.chunks.size(), 7u);
    EXPECT_EQ(U32(b, 2040), f.idx1 - 2044);
    EXPECT_EQ(U32(b, 4), b.size() - 8);
    EXPECT_EQ(b.size(), f.idx1 + 8 + 7 * 16 + 8 + 7 * 8);
    EXPECT_EQ(U32(b, 32 + 12) & 0x10, 0x10u) << "has-index flag";
    EXPECT_EQ(f.frameTimes.size(), 7u);
    EXPECT_EQ(f.frameTimes[6], 6000000u);
}

TEST(AviWriter, AudioBlockSizesBelowFiveOrAboveThePayloadDropTheFrame) {
    struct Case {
        uint32_t payload;
        uint16_t block;
        size_t chunks;
    } cases[] = {
        {20, 0, 0},  {20, 1, 0},  {20, 3, 0},  {20, 4, 0},  // no data, or none at all
        {20, 21, 0},                                        // larger than the payload
        {20, 5, 4},  {20, 20, 1}, {25, 10, 2},              // a partial last block is left out
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.payload) + "/" + std::to_string(c.block));
        ScratchDir dir;
        Bytes s;
        Append(&s, MakeFrame(Video('I', 1)));
        FrameSpec a = Audio(2, c.payload, c.block);
        Bytes frame = MakeFrame(a);
        platform::PutU16(frame.data() + 38, c.block);  // block 0 must stay 0
        Append(&s, frame);
        const AviFile f = WriteAvi(dir, s);
        EXPECT_EQ(f.chunks.size(), 1 + c.chunks);
        EXPECT_EQ(U32(f.bytes, 32 + 4 * 6), c.chunks ? 2u : 1u);
        if (c.chunks) {
            EXPECT_EQ(U32(f.bytes, 232 + 20), c.block - 4u) << "scale";
            EXPECT_EQ(U32(f.bytes, 232 + 32), c.chunks) << "length in blocks";
        }
    }
}

TEST(AviWriter, AStreamWithoutKeyFrameGivesHeaderEmptyIndexAndEmptyFrameTimes) {
    ScratchDir dir;
    Bytes s;
    Append(&s, MakeFrame(Video('P', 1)));
    Append(&s, MakeFrame(Audio(2, 164, 164)));
    const AviFile f = WriteAvi(dir, s);
    ASSERT_EQ(f.bytes.size(), 2048u + 8 + 8);
    EXPECT_EQ(f.idx1, 2048u);
    EXPECT_EQ(U32(f.bytes, 2040), 4u);
    EXPECT_EQ(U32(f.bytes, 32 + 16), 0u) << "frames";
    EXPECT_TRUE(f.chunks.empty());
}

TEST(AviWriter, WithoutAnOpenFileWriteDoesNothingAndAFailedOpenReportsError2) {
    ScratchDir dir;
    const Bytes frame = MakeFrame(Video('I', 1));
    CVekAviFileWirte w;
    w.Write(frame.data(), static_cast<unsigned>(frame.size()));
    AviClearLastError();
    EXPECT_EQ(w.Open(dir.Path("missing/folder/x.avi").c_str()), 0);
    EXPECT_EQ(AviGetLastError(), kAviErrCreate);
    EXPECT_FALSE(w.IsOpen());
    w.Write(frame.data(), static_cast<unsigned>(frame.size()));
    EXPECT_EQ(w.Close(), 1);
}

TEST(AviWriter, AnExistingLongerFileIsCutToTheNewLength) {
    ScratchDir dir;
    const std::string path = dir.Path("old.avi");
    WriteFile(path, Bytes(100000, 0xEE));
    CVekAviFileWirte w;
    ASSERT_EQ(w.Open(path.c_str()), 1);
    const Bytes frame = MakeFrame(Video('I', 1));
    w.Write(frame.data(), static_cast<unsigned>(frame.size()));
    ASSERT_EQ(w.Close(), 1);
    const AviFile f = ReadAvi(path);
    EXPECT_EQ(f.bytes.size(), 2048u + 8 + 100 + 40 + 8 + 16 + 8 + 8);
    EXPECT_EQ(Slice(f.bytes, 228, 2036 - 228), Zeros(2036 - 228));
}

// Chunks that would take the finished file past its limit are refused with
// error 1; the file stays valid up to there.
TEST(AviOutput, TheSizeLimitRefusesChunksAndTheFileIsFinishedUpToIt) {
    ScratchDir dir;
    const std::string path = dir.Path("limit.avi");
    AviOutput* avi = AviOpenOutput(path.c_str());
    ASSERT_NE(avi, nullptr);
    avi->fileLimit = 2048 + 5 * (8 + 100 + 40) + (8 + 16 * 5) + (8 + 8 * 5);  // room for exactly five
    const Bytes frame = MakeFrame(Video('I', 7000000));
    AviSetVideo(avi, 704, 576, 25, "H264", 12);
    int written = 0;
    AviClearLastError();
    for (int i = 0; i < 8; i++)
        if (AviWriteFrame(avi, frame.data() + 40, 100, true, frame.data(), 40) == 0)
            written++;
    EXPECT_EQ(written, 5);
    EXPECT_EQ(AviGetLastError(), kAviErrTooLarge);
    EXPECT_EQ(AviClose(avi), 0);
    const AviFile f = ReadAvi(path);
    EXPECT_EQ(f.chunks.size(), 5u);
    EXPECT_EQ(f.bytes.size(), 2048u + 5 * 148 + 88 + 48);
}

// A chunk larger than the write-behind buffer goes to the file at once, in its
// place between the chunks buffered before and after it.
TEST(AviOutput, AChunkLargerThanTheWriteBufferKeepsItsPlace) {
    ScratchDir dir;
    const std::string path = dir.Path("large.avi");
    AviOutput* avi = AviOpenOutput(path.c_str());
    ASSERT_NE(avi, nullptr);
    AviSetVideo(avi, 704, 576, 25, "H264", 12);
    const Bytes header = MakeFrame(Video('I', 1000000));
    Bytes large(kAviWriteBuffer + 3);
    for (size_t i = 0; i < large.size(); i++)
        large[i] = static_cast<uint8_t>(i * 7);
    const Bytes small(101, 0x5A);
    ASSERT_EQ(AviWriteFrame(avi, small.data(), 101, true, header.data(), 40), 0);
    ASSERT_EQ(AviWriteFrame(avi, large.data(), static_cast<uint32_t>(large.size()), false, header.data(), 40),
              0);
    ASSERT_EQ(AviWriteFrame(avi, small.data(), 101, false, header.data(), 40), 0);
    EXPECT_EQ(AviClose(avi), 0);
    const AviFile f = ReadAvi(path);
    ASSERT_EQ(f.chunks.size(), 3u);
    EXPECT_EQ(f.chunks[0].payload, small);
    EXPECT_EQ(f.chunks[1].payload, large);
    EXPECT_EQ(f.chunks[1].offset, 2048u + 8 + 101 + 40 + 1);
    EXPECT_EQ(f.chunks[2].offset, f.chunks[1].offset + 8 + large.size() + 40 + 1);
    EXPECT_EQ(f.chunks[2].payload, small);
    EXPECT_EQ(f.frameTimes, std::vector<uint64_t>(3, 1000000));
}

TEST(AviOutput, AFileOpenedForReadingRefusesWritesWithError7) {
    ScratchDir dir;
    AviOutput* avi = AviOpenOutput(dir.Path("mode.avi").c_str());
    ASSERT_NE(avi, nullptr);
    avi->mode = 1;
    const uint8_t trailer[40] = {};
    AviClearLastError();
    EXPECT_EQ(AviWriteFrame(avi, trailer, 1, true, trailer, 40), -1);
    EXPECT_EQ(AviGetLastError(), kAviErrNotWritable);
    EXPECT_EQ(AviWriteAudio(avi, trailer, 1, trailer, 40), -1);
    EXPECT_EQ(AviWriteFrame(nullptr, trailer, 1, true, trailer, 40), -1);
    EXPECT_EQ(AviClose(avi), 0);
}

}  // namespace
