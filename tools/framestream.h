// tools/framestream.h
//
// Deterministic "VkFm" frame streams for tests and demo images: video I/P frames
// at a frame rate with a key frame every GOP, audio frames interleaved by time,
// extension bytes, junk between frames, and chosen frame sizes for the edge
// cases (leading P frames, frames over the 512,000-byte limit). The same seed
// always gives the same bytes.
//
// Each frame in the stream takes frame_space(size, ext_units) bytes: the 40-byte
// header, the payload zero-padded to 8 bytes, then ext_units * 8 extension bytes.
// Junk, when asked for, sits in front of a frame's header.
//
// Synthetic payloads are recognisable: video starts like an Annex-B NAL unit
// (00 00 00 01, then 0x65 for I or 0x41 for P), audio with the 4-byte prefix of
// its first block; right after comes a marker "MK c=CCC n=NNNNNNN t=TTTT...;"
// naming the channel, the frame's number in the stream and its time in
// microseconds (see ParseMarker). The rest is pseudo-random bytes that are never
// 0x00 (so no start code appears inside a payload) and never 'V' (so "VkFm"
// never appears inside a payload or junk).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <vector>

#include "tools/h264_split.h"

namespace vektools {

inline constexpr uint32_t kFrameLimit = 512000;  // header + payload above this is damaged

struct AudioParams {
    uint32_t rate = 8000;
    uint8_t channels = 1;
    uint8_t bits = 8;      // per sample; the header stores twice this
    uint16_t block = 164;  // one block including its 4-byte prefix
    uint8_t codec = 1;
    uint16_t blocksPerFrame = 1;

    // Samples in one block ((block - 4) bytes of data); at least 1.
    uint32_t SamplesPerBlock() const;
    // Microseconds one audio frame lasts.
    uint64_t FrameDurationUs() const;
};

// A payload size chosen for one frame, by its number in the stream (0-based,
// counting video and audio frames together).
struct SizeOverride {
    uint32_t frame = 0;
    uint32_t payload = 0;
};

struct StreamSpec {
    uint32_t seed = 1;
    uint8_t channel = 0;
    uint64_t startUs = 0;  // time of the first video frame
    uint32_t videoFrames = 100;

    uint16_t width = 352;
    uint16_t height = 288;
    uint8_t fps = 25;  // 0 is stored as is; frames are then 40 ms apart
    uint8_t videoCodec = 0;
    uint32_t gop = 25;           // a key frame every `gop` video frames; 0: only the first
    uint32_t keysPerSecond = 0;  // non-zero: key frames at this rate instead of `gop`
    uint32_t leadingP = 0;       // P frames before the first key frame

    uint32_t iMin = 2000, iMax = 6000;  // payload size ranges (inclusive)
    uint32_t pMin = 200, pMax = 1200;

    bool audio = false;
    AudioParams audioParams;
    uint64_t audioLeadUs = 0;  // audio starts this long before the first video frame

    uint8_t extUnits = 0;    // extension units (8 bytes) after every frame
    uint32_t junkEvery = 0;  // junk in front of every Nth frame (never the first)
    uint32_t junkLength = 0;
    std::vector<SizeOverride> sizes;

    // When set, video payloads are these access units in order (cycled), and
    // their types come from the units (IDR: 'I'); gop, keysPerSecond, leadingP and
    // the video size ranges are then unused.
    const std::vector<AccessUnit>* accessUnits = nullptr;

    // Microseconds between video frames.
    uint64_t FrameIntervalUs() const { return fps ? 1000000u / fps : 40000u; }
};

struct FrameRecord {
    uint32_t number = 0;  // 0-based in the stream
    uint64_t offset = 0;  // of the header, from the start of the stream
    char type = 0;        // 'I', 'P' or 'A'
    uint32_t size = 0;    // payload bytes
    uint64_t timeUs = 0;
    uint64_t space = 0;  // frame_space(size, extUnits)
    uint8_t extUnits = 0;
    uint32_t junkBefore = 0;  // junk bytes right in front of the header

    // Header plus payload: what a key-frame entry stores as the frame length.
    uint32_t Length() const { return 40 + size; }
};

struct Stream {
    std::vector<uint8_t> bytes;
    std::vector<FrameRecord> frames;
};

// Builds the stream a recipe describes.
Stream BuildStream(const StreamSpec& recipe);

// The marker at the start of a synthetic payload.
struct Marker {
    uint32_t channel = 0;
    uint32_t number = 0;
    uint64_t timeUs = 0;
};
// Finds and reads the marker in a payload; false when there is none (an H.264
// payload, or one too short to hold it).
bool ParseMarker(const uint8_t* payload, size_t size, Marker* out);

// Manifest of a stream: text (a header comment, then one line per frame:
// "number offset type size time_us space ext junk_before") or JSON
// ({"frames":[{...}, ...]}).
void WriteStreamManifestText(std::ostream& out, const std::vector<FrameRecord>& frames);
void WriteStreamManifestJson(std::ostream& out, const std::vector<FrameRecord>& frames);

// Small deterministic generator (splitmix64) shared by the tools.
class Rng {
  public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    // Uniform in [lo, hi] (inclusive); lo when hi < lo.
    uint32_t Range(uint32_t lo, uint32_t hi);
    // A byte that is neither 0x00 nor 'V'.
    uint8_t PayloadByte();

  private:
    uint64_t state_;
};

// Mixes several numbers into one seed.
uint64_t MixSeed(std::initializer_list<uint64_t> parts);

}  // namespace vektools
