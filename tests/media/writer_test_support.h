// tests/media/writer_test_support.h
//
// What the writer tests share: scratch files removed when the test ends, whole
// file reads, hand-made frames, and a reader of the AVI files our writer makes
// that finds chunks the way other readers do, through idx1.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/le_bytes.h"

namespace media_test {

using Bytes = std::vector<uint8_t>;

class ScratchDir {
  public:
    ScratchDir() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::random_device random;
        dir_ = std::filesystem::temp_directory_path() /
               ("vek_media_" + std::string(test ? test->name() : "test") + "_" + std::to_string(random()));
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  private:
    std::filesystem::path dir_;
};

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline uint16_t U16(const Bytes& b, size_t at) {
    return platform::GetU16(b.data() + at);
}
inline uint32_t U32(const Bytes& b, size_t at) {
    return platform::GetU32(b.data() + at);
}
inline uint64_t U64(const Bytes& b, size_t at) {
    return platform::GetU64(b.data() + at);
}
inline std::string Tag(const Bytes& b, size_t at) {
    return std::string(b.begin() + at, b.begin() + at + 4);
}

// One frame as the recorder writes it, without padding: the 40-byte header and
// `payload` bytes (0x11, 0x12, ...; never 'V').
struct FrameSpec {
    char type = 'I';
    uint32_t payload = 100;
    uint64_t timeUs = 1000000;
    uint8_t codec = 0;
    // video
    uint16_t width = 352, height = 288;
    uint8_t fps = 25;
    // audio
    uint32_t rate = 8000;
    uint8_t channels = 1;
    uint8_t twiceBits = 16;
    uint16_t block = 0;  // 0: the whole payload is one block
    // The length field, when it should say something else than `payload`.
    bool lengthGiven = false;
    uint32_t length = 0;
};

inline Bytes MakeFrame(const FrameSpec& f) {
    Bytes b(40 + static_cast<size_t>(f.payload), 0);
    std::memcpy(b.data(), "VkFm", 4);
    b[4] = static_cast<uint8_t>(f.type);
    b[5] = f.codec;
    platform::PutU32(b.data() + 12, f.lengthGiven ? f.length : f.payload);
    platform::PutU64(b.data() + 16, f.timeUs);
    if (f.type == 'A') {
        platform::PutU32(b.data() + 32, f.rate);
        b[36] = f.channels;
        b[37] = f.twiceBits;
        platform::PutU16(b.data() + 38, f.block ? f.block : static_cast<uint16_t>(f.payload));
    } else {
        platform::PutU16(b.data() + 32, f.width);
        platform::PutU16(b.data() + 34, f.height);
        b[36] = f.fps;
    }
    for (uint32_t i = 0; i < f.payload; i++)
        b[40 + i] = static_cast<uint8_t>(0x11 + i % 0x40);
    return b;
}

inline void Append(Bytes* to, const Bytes& more) {
    to->insert(to->end(), more.begin(), more.end());
}

// A chunk found through idx1.
struct AviChunk {
    std::string tag;
    uint32_t flags = 0;
    uint32_t offset = 0;  // of the tag
    uint32_t length = 0;  // payload bytes (index and chunk header agree)
    Bytes payload;
    Bytes trailer;  // 40 bytes for video, 48 for audio
};

struct AviFile {
    Bytes bytes;
    uint32_t idx1 = 0;  // offset of the idx1 chunk
    std::vector<AviChunk> chunks;
    std::vector<uint64_t> frameTimes;
};

// Reads a file through its movi list size and idx1, as an independent reader
// would; fails the test (and returns what it has) when the structure is broken.
inline AviFile ReadAvi(const std::string& path) {
    AviFile f;
    f.bytes = ReadFile(path);
    const Bytes& b = f.bytes;
    EXPECT_GE(b.size(), 2048u + 16u);
    if (b.size() < 2048 + 16)
        return f;
    EXPECT_EQ(Tag(b, 0), "RIFF");
    EXPECT_EQ(U32(b, 4), b.size() - 8) << "RIFF size";
    EXPECT_EQ(Tag(b, 2036), "LIST");
    EXPECT_EQ(Tag(b, 2044), "movi");
    f.idx1 = 2044 + U32(b, 2040);
    EXPECT_LE(static_cast<size_t>(f.idx1) + 8, b.size()) << "movi size leads past the end";
    if (static_cast<size_t>(f.idx1) + 8 > b.size())
        return f;
    EXPECT_EQ(Tag(b, f.idx1), "idx1");
    const uint32_t n = U32(b, f.idx1 + 4) / 16;
    for (uint32_t i = 0; i < n; i++) {
        const size_t e = f.idx1 + 8 + static_cast<size_t>(i) * 16;
        AviChunk c;
        c.tag = Tag(b, e);
        c.flags = U32(b, e + 4);
        c.offset = U32(b, e + 8);
        c.length = U32(b, e + 12);
        EXPECT_LT(c.offset, f.idx1) << "entry " << i;
        if (c.offset >= f.idx1)
            return f;
        EXPECT_EQ(Tag(b, c.offset), c.tag) << "entry " << i;
        EXPECT_EQ(U32(b, c.offset + 4), c.length) << "entry " << i;
        const size_t trailer = c.tag == "01wb" ? 48 : 40;
        const size_t p = c.offset + 8;
        EXPECT_LE(p + c.length + trailer, f.idx1) << "entry " << i;
        if (p + c.length + trailer > f.idx1)
            return f;
        c.payload.assign(b.begin() + static_cast<std::ptrdiff_t>(p),
                         b.begin() + static_cast<std::ptrdiff_t>(p + c.length));
        c.trailer.assign(b.begin() + static_cast<std::ptrdiff_t>(p + c.length),
                         b.begin() + static_cast<std::ptrdiff_t>(p + c.length + trailer));
        f.chunks.push_back(std::move(c));
    }
    const size_t junk = f.idx1 + 8 + static_cast<size_t>(n) * 16;
    EXPECT_LE(junk + 8, b.size());
    if (junk + 8 > b.size())
        return f;
    EXPECT_EQ(Tag(b, junk), "JUNK");
    const uint32_t times = U32(b, junk + 4) / 8;
    EXPECT_EQ(junk + 8 + static_cast<size_t>(times) * 8, b.size()) << "the file ends after the frame times";
    for (uint32_t i = 0; i < times && junk + 16 + i * 8u <= b.size(); i++)
        f.frameTimes.push_back(U64(b, junk + 8 + i * 8u));
    return f;
}

}  // namespace media_test
