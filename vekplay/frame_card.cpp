// vekplay/frame_card.cpp
#include "vekplay/frame_card.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "media/civil_date.h"

namespace vekplay {

namespace {

constexpr int kDefaultWidth = 352;
constexpr int kDefaultHeight = 288;
constexpr int kGlyphScale = 2;
constexpr int kGlyphAdvance = 6 * kGlyphScale;
constexpr int kLineHeight = 10 * kGlyphScale;
constexpr int kMarkerColumns = 8;
constexpr int kMarkerRows = 9;
constexpr uint8_t kCheckSalt = 0x5A;

struct Glyph {
    char c;
    uint8_t rows[7];  // five bits per row, bit 4 the left column
};

// 5x7 glyphs for what a card says.
constexpr Glyph kFont[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& g : kFont)
        if (g.c == c)
            return &g;
    return nullptr;
}

void FillRect(Picture* p, int x, int y, int w, int h, uint8_t b, uint8_t g, uint8_t r) {
    for (int yy = y; yy < y + h && yy < p->height; yy++) {
        if (yy < 0)
            continue;
        uint8_t* row = p->Row(yy);
        for (int xx = x; xx < x + w && xx < p->width; xx++) {
            if (xx < 0)
                continue;
            row[xx * 3 + 0] = b;
            row[xx * 3 + 1] = g;
            row[xx * 3 + 2] = r;
        }
    }
}

void DrawText(Picture* p, int x, int y, const std::string& text) {
    for (char c : text) {
        if (const Glyph* g = FindGlyph(c)) {
            for (int row = 0; row < 7; row++)
                for (int col = 0; col < 5; col++)
                    if (g->rows[row] & (0x10 >> col))
                        FillRect(p, x + col * kGlyphScale, y + row * kGlyphScale, kGlyphScale, kGlyphScale,
                                 0xF0, 0xF0, 0xF0);
        }
        x += kGlyphAdvance;
    }
}

uint8_t CheckByte(uint64_t t) {
    uint8_t check = kCheckSalt;
    for (int i = 0; i < 8; i++)
        check ^= static_cast<uint8_t>(t >> (8 * i));
    return check;
}

}  // namespace

std::string FormatFrameTime(uint64_t timeUs) {
    const uint64_t seconds = timeUs / 1000000;
    const unsigned millis = static_cast<unsigned>(timeUs % 1000000 / 1000);
    const int64_t days = static_cast<int64_t>(seconds / 86400);
    const unsigned secOfDay = static_cast<unsigned>(seconds % 86400);
    int64_t y = 0;
    int m = 0, d = 0;
    media::CivilFromDays(days, &y, &m, &d);
    char text[64];
    std::snprintf(text, sizeof text, "%04" PRId64 "-%02d-%02d %02u:%02u:%02u.%03u", y, m, d, secOfDay / 3600,
                  secOfDay / 60 % 60, secOfDay % 60, millis);
    return text;
}

void DrawCard(const CardInfo& info, Picture* out) {
    const int width = info.width >= 320 && info.width <= 1920 ? info.width : kDefaultWidth;
    const int height = info.height >= 240 && info.height <= 1088 ? info.height : kDefaultHeight;
    out->Allocate(width, height);
    out->time = info.timeUs;
    out->card = true;
    FillRect(out, 0, 0, width, height, 0x40, 0x30, 0x28);

    // The marker on a grey ground.
    FillRect(out, kMarkerLeft - 4, kMarkerTop - 4, kMarkerColumns * kMarkerCell + 8,
             kMarkerRows * kMarkerCell + 8, 0x80, 0x80, 0x80);
    for (int row = 0; row < kMarkerRows; row++) {
        const uint8_t byte =
            row < 8 ? static_cast<uint8_t>(info.timeUs >> (8 * row)) : CheckByte(info.timeUs);
        for (int col = 0; col < kMarkerColumns; col++) {
            const uint8_t v = (byte & (0x80 >> col)) ? 0xFF : 0x00;
            FillRect(out, kMarkerLeft + col * kMarkerCell, kMarkerTop + row * kMarkerCell, kMarkerCell,
                     kMarkerCell, v, v, v);
        }
    }

    char line[64];
    const int textLeft = kMarkerLeft;
    int y = kMarkerTop + kMarkerRows * kMarkerCell + 14;
    const char type = info.type == 'I' || info.type == 'P' || info.type == 'A' ? info.type : '-';
    std::snprintf(line, sizeof line, "CH%02u %c", static_cast<unsigned>(info.channel) + 1, type);
    DrawText(out, textLeft, y, line);
    y += kLineHeight;
    DrawText(out, textLeft, y, FormatFrameTime(info.timeUs));
    y += kLineHeight;
    std::snprintf(line, sizeof line, "%u BYTES", static_cast<unsigned>(info.size));
    DrawText(out, textLeft, y, line);
}

bool ReadCardMarker(const uint8_t* pixels, int width, int height, size_t stride, uint64_t* timeUs) {
    if (!pixels || width < kMarkerLeft + kMarkerColumns * kMarkerCell ||
        height < kMarkerTop + kMarkerRows * kMarkerCell || stride < static_cast<size_t>(width) * 3)
        return false;
    uint64_t t = 0;
    uint8_t check = 0;
    for (int row = 0; row < kMarkerRows; row++) {
        uint8_t byte = 0;
        for (int col = 0; col < kMarkerColumns; col++) {
            const int x = kMarkerLeft + col * kMarkerCell + kMarkerCell / 2;
            const int y = kMarkerTop + row * kMarkerCell + kMarkerCell / 2;
            const uint8_t* px = pixels + stride * static_cast<size_t>(y) + static_cast<size_t>(x) * 3;
            const int level = (px[0] + px[1] + px[2]) / 3;
            if (level > 64 && level < 192)
                return false;
            if (level >= 192)
                byte = static_cast<uint8_t>(byte | (0x80 >> col));
        }
        if (row < 8)
            t |= static_cast<uint64_t>(byte) << (8 * row);
        else
            check = byte;
    }
    if (check != CheckByte(t))
        return false;
    *timeUs = t;
    return true;
}

}  // namespace vekplay
