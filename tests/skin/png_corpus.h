// tests/skin/png_corpus.h
//
// A small PNG writer for the tests, on zlib alone (not libpng, the library
// under test): any colour type and bit depth, palette and tRNS, bKGD, gAMA,
// Adam7 interlacing, and raw chunks for hand-made broken files. The corpus
// is made while the tests run; no picture is kept in the repository.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skintest {

inline constexpr int kGrey = 0;
inline constexpr int kRgb = 2;
inline constexpr int kPalette = 3;
inline constexpr int kGreyAlpha = 4;
inline constexpr int kRgba = 6;

struct PngRecipe {
    int width = 0;
    int height = 0;
    int colorType = kRgb;
    int bitDepth = 8;
    bool interlaced = false;
    // Row-major samples, channels per pixel as the colour type has them (a
    // palette index for palette pictures).
    std::vector<uint16_t> samples;
    std::vector<std::array<uint8_t, 3>> palette;
    std::vector<uint8_t> paletteAlpha;  // tRNS of a palette picture
    // tRNS of a grey (first value) or RGB picture.
    std::optional<std::array<uint16_t, 3>> transparentColor;
    // bKGD: grey value (first), palette index (first) or RGB.
    std::optional<std::array<uint16_t, 3>> background;
    std::optional<uint32_t> gamma;  // gAMA, times 100000
};

// The whole file.
std::vector<uint8_t> EncodePng(const PngRecipe& recipe);

// Pieces for hand-made files.
std::vector<uint8_t> PngSignature();
void AppendChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data);
std::vector<uint8_t> IhdrData(uint32_t width, uint32_t height, int bitDepth, int colorType, bool interlaced);

// Writes `bytes` to `path`; false on failure.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace skintest
