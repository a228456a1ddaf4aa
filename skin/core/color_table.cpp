// skin/core/color_table.cpp
#include "skin/core/color_table.h"

#include <algorithm>
#include <cmath>

namespace plym {
namespace {

constexpr Color kWhite = 0xFFFFFF;

struct Point3 {
    float x;
    float y;
    float z;
};

constexpr float kSpanX = 195.0f;
constexpr float kSpanY = 390.0f;
constexpr float kSpanZ = 65.0f;

Point3 ToPoint(Color c) {
    return {static_cast<float>(RedOf(c)) * kSpanX / 255.0f, static_cast<float>(GreenOf(c)) * kSpanY / 255.0f,
            static_cast<float>(BlueOf(c)) * kSpanZ / 255.0f};
}

float Dot(const Point3& a, const Point3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float Length(const Point3& p) {
    return std::sqrt(Dot(p, p));
}

Point3 Minus(const Point3& a, const Point3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Point3 Scaled(const Point3& p, float k) {
    return {p.x * k, p.y * k, p.z * k};
}

Point3 Mirrored(const Point3& p) {
    return {kSpanX - p.x, kSpanY - p.y, kSpanZ - p.z};
}

int ToByte(float coordinate, float span) {
    if (std::isnan(coordinate))
        return 0;
    const float clamped = std::clamp(coordinate, 0.0f, span);
    const int value = static_cast<int>(clamped * 255.0f / span + 0.5f);
    return std::clamp(value, 0, 255);
}

Color ToColor(const Point3& p) {
    return Rgb(ToByte(p.x, kSpanX), ToByte(p.y, kSpanY), ToByte(p.z, kSpanZ));
}

// The threshold d for a reference colour a: twice d for black, d once a lies
// 220 or more from black.
float AdaptedThreshold(Color a, int d) {
    const int distance = static_cast<int>(Length(ToPoint(a)));
    return (2.0f - static_cast<float>(std::min(distance, 220)) / 220.0f) * static_cast<float>(d);
}

bool IsBlack(Color c) {
    return (c & kWhite) == 0;
}

bool IsWhite(Color c) {
    return (c & kWhite) == kWhite;
}

int MaxByte(Color c) {
    return std::max({RedOf(c), GreenOf(c), BlueOf(c)});
}

// Each byte of c times num / den (den > 0).
Color ScaleBytes(Color c, int num, int den) {
    return Rgb(RedOf(c) * num / den, GreenOf(c) * num / den, BlueOf(c) * num / den);
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

void PaintColor::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << color << defaultColor;
    else
        ar >> color >> defaultColor;
}

void ColorGradient::Serialize(CArchive& ar) {
    start.Serialize(ar);
    end.Serialize(ar);
    if (ar.IsStoring())
        ar << factor;
    else
        ar >> factor;
}

int DetectSystemTheme(const ThemeProbe& probe, bool detectRoyale, bool detectAero) {
    if (!probe.themeActive || probe.lowColor || !probe.namesOk)
        return 0;
    const std::string file = Lower(probe.fileName);
    const std::string color = Lower(probe.colorName);
    if (Contains(file, "luna.msstyles") || Contains(file, "winxp.luna.vyrstyles")) {
        if (color == "normalcolor")
            return 1;
        if (color == "homestead")
            return 2;
        if (color == "metallic")
            return 3;
    }
    if (detectRoyale && (Contains(file, "royale.msstyles") || Contains(file, "winxp.royale.vyrstyles")))
        return 4;
    if (detectAero && Contains(file, "aero.msstyles"))
        return 5;
    return 0;
}

ColorTable::ColorTable() {
    for (Color& color : overrides_)
        color = kNoColor;
    SetGradient(8, 0x8CD5FF, 0x55ADFF, 0.5f);
    SetGradient(9, 0x4B8EFE, 0x8BCFFF, 0.5f);
    SetGradient(10, 0xC8F2FF, 0x97D4FF, 0.5f);
}

Color ColorTable::GetColor(uint32_t n) const {
    if (n >= kColorTableSize)
        return n;
    return overrides_[n] != kNoColor ? overrides_[n] : colors_[n];
}

void ColorTable::SetOverride(int n, Color color) {
    if (n >= 0 && n < kColorTableSize)
        overrides_[n] = color;
}

const ColorGradient& ColorTable::Gradient(int n) const {
    return gradients_[std::clamp(n, 1, kGradientCount) - 1];
}

void ColorTable::SetGradient(int n, Color start, Color end, float factor) {
    ColorGradient& gradient = gradients_[n - 1];
    gradient.start.color = start;
    gradient.end.color = end;
    gradient.factor = factor;
}

int ColorTable::GetCurrentTheme() const {
    return themeSetting == 6 || themeSetting == 7 ? detectedTheme : themeSetting;
}

Color ColorTable::BlendColors(Color a, Color b, int p) {
    const int64_t base = p < 100 ? 100 : 1000;
    const auto blend = [&](int x, int y) {
        const int64_t value = (int64_t{x} * p + int64_t{y} * (base - p) + base / 2) / base;
        return static_cast<int>(std::clamp<int64_t>(value, 0, 255));
    };
    return Rgb(blend(RedOf(a), RedOf(b)), blend(GreenOf(a), GreenOf(b)), blend(BlueOf(a), BlueOf(b)));
}

bool ColorTable::IsContrastEnough(Color a, Color b, bool adaptive, int d) {
    const float threshold = adaptive ? AdaptedThreshold(a, d) : static_cast<float>(d);
    const Point3 between = Minus(ToPoint(a), ToPoint(b));
    return threshold * threshold < Dot(between, between);
}

Color ColorTable::EnsureContrast(Color a, Color b, int d) {
    const float threshold = AdaptedThreshold(a, d);
    Point3 pa = ToPoint(a);
    Point3 pb = ToPoint(b);
    const float la = Length(pa);
    const float lb = Length(pb);
    const bool fromWhite = lb <= la ? threshold >= la : 442.0f - threshold >= la;
    if (fromWhite) {
        pa = Mirrored(pa);
        pb = Mirrored(pb);
    }
    const float length = std::max(Length(pb), 0.001f);
    const float dot = Dot(pa, pb);
    const float projection = dot / length;
    const Point3 foot = Scaled(pb, dot / (length * length));
    const Point3 offLine = Minus(pa, foot);
    const float h2 = Dot(offLine, offLine);
    // a further from the line than the threshold: the nearest point will do.
    const float s = projection - std::sqrt(std::max(threshold * threshold - h2, 0.0f));
    Point3 moved = Scaled(pb, s / length);
    if (fromWhite)
        moved = Mirrored(moved);
    return ToColor(moved);
}

Color ColorTable::LimitContrast(Color a, Color b, int d) {
    const Point3 pa = ToPoint(a);
    const Point3 pb = ToPoint(b);
    const float distance = Length(Minus(pa, pb));
    if (distance <= 0.0f)
        return b;
    const float k = (distance - AdaptedThreshold(a, d)) / distance;
    return ToColor({pb.x + (pa.x - pb.x) * k, pb.y + (pa.y - pb.y) * k, pb.z + (pa.z - pb.z) * k});
}

void ColorTable::RefreshColors(const ColorSources& sources) {
    detectedTheme = sources.detectedTheme;
    const bool low = sources.lowColor;

    colors_[0] = 0;
    for (int n = 1; n <= 29; ++n)
        colors_[n] = sources.sysColor ? sources.sysColor(n) : 0;

    static constexpr int kCopies[][2] = {
        {30, 15}, {31, 5},  {32, 13}, {33, 13}, {34, 16}, {35, 17}, {36, 5},  {37, 13},
        {38, 16}, {39, 16}, {40, 16}, {41, 5},  {42, 16}, {43, 16}, {44, 8},  {45, 7},
        {46, 18}, {47, 14}, {48, 16}, {49, 14}, {50, 13}, {51, 15}, {52, 16}, {53, 15},
        {54, 16}, {55, 15}, {56, 15}, {57, 16}, {58, 17}, {60, 16}, {61, 16},
    };
    for (const auto& copy : kCopies)
        colors_[copy[0]] = colors_[copy[1]];
    colors_[59] = 0;

    if (!low) {
        const bool highContrast =
            (IsBlack(colors_[15]) && IsWhite(colors_[18])) || (IsWhite(colors_[15]) && IsBlack(colors_[18]));
        if (highContrast) {
            static constexpr int kHighContrastCopies[][2] = {
                {31, 13}, {36, 13}, {45, 14}, {32, 18}, {37, 18}, {50, 13}, {43, 18}, {38, 18},
            };
            for (const auto& copy : kHighContrastCopies)
                colors_[copy[0]] = colors_[copy[1]];
        } else {
            static constexpr int kBlends[][4] = {
                {30, 5, 15, 165}, {31, 13, 5, 30}, {33, 13, 5, 50},  {41, 15, 5, 143},
                {35, 17, 5, 70},  {38, 16, 5, 75}, {39, 16, 5, 70},  {43, 46, 16, 20},
                {61, 46, 16, 15}, {40, 16, 5, 90}, {42, 15, 16, 90},
            };
            for (const auto& blend : kBlends)
                colors_[blend[0]] = Blend(blend[1], blend[2], blend[3]);
        }

        if (IsContrastEnough(colors_[15], colors_[30], true, 35))
            colors_[30] = LimitContrast(colors_[15], colors_[30], 35);
        static constexpr int kContrast[][4] = {
            {31, 30, 31, 50},  {32, 30, 13, 100}, {33, 30, 33, 30},  {35, 41, 35, 80},  {37, 33, 37, 100},
            {38, 30, 38, 85},  {39, 30, 39, 50},  {43, 41, 43, 100}, {61, 30, 61, 100}, {40, 30, 40, 80},
            {44, 41, 44, 180}, {45, 31, 45, 180}, {46, 30, 46, 180}, {47, 33, 47, 180},
        };
        for (const auto& row : kContrast) {
            if (!IsContrastEnough(colors_[row[1]], colors_[row[2]], true, row[3]))
                colors_[row[0]] = EnsureContrast(colors_[row[1]], colors_[row[2]], row[3]);
        }
        if (IsContrastEnough(colors_[41], colors_[35], true, 145))
            colors_[35] = LimitContrast(colors_[41], colors_[35], 145);

        if (!highContrast) {
            const auto mix = [&](int shift) {
                const auto byte = [&](int n) { return static_cast<int>((colors_[n] >> shift) & 0xFF); };
                return byte(30) * 50 / 100 + byte(5) * 40 / 100 + byte(13) * 10 / 100;
            };
            colors_[36] = Rgb(mix(0), mix(8), mix(16));
        }

        const int faceMax = MaxByte(colors_[15]);
        colors_[48] =
            faceMax == 0 ? 0x232323 : ScaleBytes(colors_[15], faceMax + std::min(255 - faceMax, 35), faceMax);
        if (IsBlack(colors_[15])) {
            colors_[49] = 0x7F7F7F;
        } else {
            const int shadowMax = MaxByte(colors_[16]);
            colors_[49] =
                shadowMax == 0 ? 0 : ScaleBytes(colors_[16], std::max(shadowMax - 43, 0), shadowMax);
        }

        colors_[34] = ScaleBytes(colors_[31], 3, 4);
        colors_[22] = Rgb(std::min(RedOf(colors_[15]) + 15, 255), std::min(GreenOf(colors_[15]) + 15, 255),
                          std::min(BlueOf(colors_[15]) + 15, 255));
        colors_[53] = colors_[30];
        colors_[58] = colors_[40];
        colors_[60] = colors_[40];
    }

    SetGradients(low);

    if (!low && sources.hasTreeViewBorder)
        colors_[57] = sources.treeViewBorder;
}

void ColorTable::SetGradients(bool lowColor) {
    const int theme = themeColorsOff ? 0 : GetCurrentTheme();
    struct Row {
        Color start, end;
        float factor;
    };
    // Gradients 1 .. 7 for themes 1, 4, 5; 2; 3.
    static constexpr Row kBlue[7] = {
        {0xD68759, 0x962D00, 0.5f},  {0xF5BE9E, 0xFADAC4, 0.5f}, {0xD68759, 0x962D00, 0.5f},
        {0xFEECDD, 0xE2A981, 0.75f}, {0xFFEFE3, 0xE4AD87, 0.5f}, {0xF6DDCB, 0xDCA179, 0.5f},
        {0xFFEFE3, 0xE7B593, 0.5f},
    };
    static constexpr Row kOlive[7] = {
        {0x82C0AF, 0x447A63, 0.5f}, {0xA7D9D9, 0xE4F1F2, 0.5f}, {0x6F8E78, 0x435B49, 0.5f},
        {0xDEF7F4, 0x91C6B7, 0.3f}, {0xEDFFFF, 0x92C7B8, 0.3f}, {0xD1E6E6, 0x78B4A4, 0.3f},
        {0xD5F0EC, 0x9FCEC2, 0.5f},
    };
    static constexpr Row kSilver[7] = {
        {0xBFA7A8, 0x916F70, 0.5f},  {0xE5D7D7, 0xF7F3F3, 0.5f},  {0xBFA7A8, 0x977677, 0.5f},
        {0xFFF9F9, 0xB79B9C, 0.75f}, {0xFFF9F9, 0xB99D9F, 0.75f}, {0xE2D7D7, 0x9E7E80, 0.75f},
        {0xF1E7E9, 0xCDB9BA, 0.5f},
    };
    const Row* rows = nullptr;
    if (theme == 1 || theme == 4 || theme == 5) {
        rows = kBlue;
        colors_[54] = 0x962D00;
    } else if (theme == 2) {
        rows = kOlive;
        colors_[54] = 0x588060;
    } else if (theme == 3) {
        rows = kSilver;
        colors_[54] = 0x947C7C;
    }
    if (rows) {
        for (int n = 1; n <= 7; ++n)
            SetGradient(n, rows[n - 1].start, rows[n - 1].end, rows[n - 1].factor);
    } else {
        SetGradient(1, colors_[16], colors_[16], 0.5f);
        SetGradient(2, colors_[15], Blend(15, 5, 215), 0.5f);
        SetGradient(3, colors_[15], colors_[16], 0.5f);
        SetGradient(4, Blend(15, 5, 205), colors_[15], 0.5f);
        SetGradient(5, Blend(15, 5, 145), Blend(15, 5, 93), 0.5f);
        SetGradient(6, Blend(15, 5, 40), Blend(15, 16, 95), 0.5f);
        SetGradient(7, Blend(15, 5, 165), Blend(15, 5, 42), 0.5f);
    }
    if (lowColor) {
        SetGradient(4, colors_[15], colors_[15], 0.5f);
        SetGradient(2, colors_[15], colors_[15], 0.5f);
    }
}

}  // namespace plym
