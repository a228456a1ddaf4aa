// skin/core/png_decode.h
//
// PNG data to top-down 32-bit BGRA pixels through libpng: what the skin's PNG
// bitmaps (png_bitmap.h) are made from. Portable, so the decoding runs
// natively under the sanitizers and under the fuzzer.
//
// The decoder asks libpng for: 8-bit channels (16-bit ones are stripped),
// palette, low-bit-depth and tRNS images expanded, grey turned into RGB, a
// bKGD colour composited under transparent pixels (which removes the alpha
// channel: such a picture comes out with three channels), a gAMA value
// corrected for a screen gamma of 2.2, and interlaced images de-interlaced.
// Each pixel R, G, B (A) becomes B, G, R, A; a three-channel picture has
// alpha 0 in every pixel and no alpha flag.
//
// The bytes are hostile: a short read, a libpng error, a picture wider or
// taller than kPngMaxSide, or one whose 32-bit pixels would take more than
// kPngMaxPixelBytes, make the decode fail; a picture too large is refused
// from its header, before anything is allocated for its rows. libpng's
// warnings are not printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plym {

inline constexpr uint32_t kPngMaxSide = 16384;
// 64 MiB, as the icon store's bitmap records: 4096 x 4096 pixels.
inline constexpr uint64_t kPngMaxPixelBytes = uint64_t{64} << 20;

struct PngPicture {
    int width = 0;
    int height = 0;
    // The decoder produced four channels (the alpha bytes are real).
    bool alpha = false;
    // A bKGD chunk was composited; its colour in 8 bits per channel.
    bool hasBackground = false;
    uint8_t backgroundRed = 0;
    uint8_t backgroundGreen = 0;
    uint8_t backgroundBlue = 0;
    // Top-down rows of width * 4 bytes: B, G, R, A.
    std::vector<uint8_t> bgra;
};

// Where the PNG bytes come from.
class PngByteSource {
  public:
    virtual ~PngByteSource() = default;
    // Up to `count` bytes into `buffer`; the number read, fewer only at the end.
    virtual size_t Read(void* buffer, size_t count) = 0;
};

class PngMemorySource final : public PngByteSource {
  public:
    PngMemorySource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    size_t Read(void* buffer, size_t count) override;

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// TRUE for the eight-byte PNG signature at the start of `data`.
bool HasPngSignature(const void* data, size_t size);

// Decodes one PNG into `picture`; false (and an empty picture) on any failure.
bool DecodePng(PngByteSource& source, PngPicture& picture);
bool DecodePng(const void* data, size_t size, PngPicture& picture);

}  // namespace plym
