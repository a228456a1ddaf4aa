// tests/skin/png_corpus.cpp
#include "tests/skin/png_corpus.h"

#include <zlib.h>

#include <cstdio>

namespace skintest {

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

int ChannelsOf(int colorType) {
    switch (colorType) {
        case kRgb:
            return 3;
        case kGreyAlpha:
            return 2;
        case kRgba:
            return 4;
        default:
            return 1;
    }
}

// Appends one scan line (filter type 0) of the pixels at columns x0, x0 + dx, ...
void AppendRow(std::vector<uint8_t>& raw, const PngRecipe& recipe, int y, int x0, int dx) {
    const int channels = ChannelsOf(recipe.colorType);
    raw.push_back(0);
    unsigned bits = 0;
    int used = 0;
    for (int x = x0; x < recipe.width; x += dx) {
        for (int c = 0; c < channels; ++c) {
            const uint16_t v = recipe.samples[(static_cast<size_t>(y) * recipe.width + x) * channels + c];
            if (recipe.bitDepth == 16) {
                raw.push_back(static_cast<uint8_t>(v >> 8));
                raw.push_back(static_cast<uint8_t>(v));
            } else if (recipe.bitDepth == 8) {
                raw.push_back(static_cast<uint8_t>(v));
            } else {
                bits = bits << recipe.bitDepth | (v & ((1u << recipe.bitDepth) - 1));
                used += recipe.bitDepth;
                if (used == 8) {
                    raw.push_back(static_cast<uint8_t>(bits));
                    bits = 0;
                    used = 0;
                }
            }
        }
    }
    if (used > 0)
        raw.push_back(static_cast<uint8_t>(bits << (8 - used)));
}

}  // namespace

std::vector<uint8_t> PngSignature() {
    return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
}

void AppendChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    Put32(out, static_cast<uint32_t>(crc));
}

std::vector<uint8_t> IhdrData(uint32_t width, uint32_t height, int bitDepth, int colorType, bool interlaced) {
    std::vector<uint8_t> d;
    Put32(d, width);
    Put32(d, height);
    d.push_back(static_cast<uint8_t>(bitDepth));
    d.push_back(static_cast<uint8_t>(colorType));
    d.push_back(0);
    d.push_back(0);
    d.push_back(interlaced ? 1 : 0);
    return d;
}

std::vector<uint8_t> EncodePng(const PngRecipe& recipe) {
    std::vector<uint8_t> out = PngSignature();
    AppendChunk(out, "IHDR",
                IhdrData(static_cast<uint32_t>(recipe.width), static_cast<uint32_t>(recipe.height),
                         recipe.bitDepth, recipe.colorType, recipe.interlaced));
    if (recipe.gamma) {
        std::vector<uint8_t> d;
        Put32(d, *recipe.gamma);
        AppendChunk(out, "gAMA", d);
    }
    if (!recipe.palette.empty()) {
        std::vector<uint8_t> d;
        for (const auto& entry : recipe.palette)
            d.insert(d.end(), entry.begin(), entry.end());
        AppendChunk(out, "PLTE", d);
    }
    if (!recipe.paletteAlpha.empty())
        AppendChunk(out, "tRNS", recipe.paletteAlpha);
    if (recipe.transparentColor) {
        std::vector<uint8_t> d;
        const int values = recipe.colorType == kGrey ? 1 : 3;
        for (int i = 0; i < values; ++i) {
            d.push_back(static_cast<uint8_t>((*recipe.transparentColor)[i] >> 8));
            d.push_back(static_cast<uint8_t>((*recipe.transparentColor)[i]));
        }
        AppendChunk(out, "tRNS", d);
    }
    if (recipe.background) {
        std::vector<uint8_t> d;
        if (recipe.colorType == kPalette) {
            d.push_back(static_cast<uint8_t>((*recipe.background)[0]));
        } else {
            const int values = recipe.colorType == kRgb || recipe.colorType == kRgba ? 3 : 1;
            for (int i = 0; i < values; ++i) {
                d.push_back(static_cast<uint8_t>((*recipe.background)[i] >> 8));
                d.push_back(static_cast<uint8_t>((*recipe.background)[i]));
            }
        }
        AppendChunk(out, "bKGD", d);
    }

    std::vector<uint8_t> raw;
    if (recipe.interlaced) {
        // Adam7: start column, start row, column step, row step of each pass.
        static const int kPasses[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                          {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
        for (const auto& pass : kPasses) {
            if (pass[0] >= recipe.width)
                continue;
            for (int y = pass[1]; y < recipe.height; y += pass[3])
                AppendRow(raw, recipe, y, pass[0], pass[2]);
        }
    } else {
        for (int y = 0; y < recipe.height; ++y)
            AppendRow(raw, recipe, y, 0, 1);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);
    AppendChunk(out, "IDAT", packed);
    AppendChunk(out, "IEND", {});
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace skintest
