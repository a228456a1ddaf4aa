// tests/media/frame_header_test.cpp
//
// Golden-byte tests of the frame header codec: the header is decoded from a
// buffer whose byte i holds i, so the expected field values below are the
// little-endian words at the documented offsets written out by hand. Encoding
// the decoded header must give the buffer back byte for byte.
#include "media/frame_header.h"

#include <gtest/gtest.h>

#include <array>

namespace media {
namespace {

template <size_t N>
std::array<uint8_t, N> Ramp() {
    std::array<uint8_t, N> a{};
    for (size_t i = 0; i < N; i++)
        a[i] = static_cast<uint8_t>(i);
    return a;
}

TEST(FrameHeader, VideoAndAudioParametersShareTheirBytes) {
    auto bytes = Ramp<kFrameHeaderSize>();
    bytes[4] = 'I';
    frame_header v = decode_frame_header(bytes.data());
    EXPECT_EQ(v.codec, 5);
    EXPECT_EQ(v.channel, 6);
    EXPECT_EQ(v.ext_units, 7);
    EXPECT_EQ(v.size, 0x0f0e0d0cu);
    EXPECT_EQ(v.time_us, 0x1716151413121110u);
    EXPECT_EQ(v.width, 0x2120);
    EXPECT_EQ(v.height, 0x2322);
    EXPECT_EQ(v.fps, 0x24);
    std::array<uint8_t, kFrameHeaderSize> out{};
    encode_frame_header(v, out.data());
    EXPECT_EQ(out, bytes);

    bytes[4] = 'A';
    const frame_header a = decode_frame_header(bytes.data());
    EXPECT_EQ(a.audio_rate, 0x23222120u);
    EXPECT_EQ(a.audio_channels, 0x24);
    EXPECT_EQ(a.audio_bits2, 0x25);
    EXPECT_EQ(a.audio_block, 0x2726);
    encode_frame_header(a, out.data());
    EXPECT_EQ(out, bytes);
}

TEST(FrameHeader, SpaceIsPaddedToEightBytesPlusExtension) {
    EXPECT_EQ(frame_space(1, 0), 48u);
    EXPECT_EQ(frame_space(8, 0), 48u);
    EXPECT_EQ(frame_space(9, 0), 56u);
    EXPECT_EQ(frame_space(0, 0), 40u);
    EXPECT_EQ(frame_space(9, 2), 72u);
    // A length near 2^32 must not wrap.
    EXPECT_EQ(frame_space(0xffffffffu, 0), 0x100000000ull + 40);
    EXPECT_EQ(frame_type_number('I'), 1);
    EXPECT_EQ(frame_type_number('P'), 2);
    EXPECT_EQ(frame_type_number('A'), 3);
    EXPECT_EQ(frame_type_number('X'), 0);
}

}  // namespace
}  // namespace media
