// skin/core/plym_types.h
//
// The plain value types of the skinning framework's portable layer: colours
// (COLORREF, 0x00BBGGRR), rectangles, points, sizes and the 60-byte font
// record laid out as LOGFONTA, so that the Windows layer can copy them into the
// API structures field by field. Also the window-style bits that frame
// geometry reads, with their Windows values.
#pragma once

#include <cstdint>

namespace plym {

using Color = uint32_t;                         // COLORREF: red in the low byte
inline constexpr Color kNoColor = 0xFFFFFFFFu;  // -1: "none" / "not set"

inline constexpr Color Rgb(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16);
}
inline constexpr int RedOf(Color c) {
    return static_cast<int>(c & 0xFF);
}
inline constexpr int GreenOf(Color c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline constexpr int BlueOf(Color c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect&) const = default;
};

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const Size&) const = default;
};

// Margins and widths that a skin gives are kept within this, so that
// rectangle arithmetic on them cannot overflow.
inline constexpr int32_t kMaxSkinExtent = 32767;

inline int32_t ClampSkinExtent(int32_t value) {
    return value < 0 ? 0 : (value > kMaxSkinExtent ? kMaxSkinExtent : value);
}

// Sizing or content margins (left, top, right, bottom widths) within 0 .. kMaxSkinExtent.
inline Rect ClampSkinMargins(const Rect& m) {
    return {ClampSkinExtent(m.left), ClampSkinExtent(m.top), ClampSkinExtent(m.right),
            ClampSkinExtent(m.bottom)};
}

// LOGFONTA, field for field (60 bytes).
struct LogFont {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    char faceName[32] = {};
    bool operator==(const LogFont&) const = default;
};
static_assert(sizeof(LogFont) == 60, "LogFont mirrors LOGFONTA");

// Window style bits (Windows values).
inline constexpr uint32_t kWsMaximize = 0x01000000;
inline constexpr uint32_t kWsMinimize = 0x20000000;
inline constexpr uint32_t kWsChild = 0x40000000;
inline constexpr uint32_t kWsCaption = 0x00C00000;  // border and dialog frame together
inline constexpr uint32_t kWsBorder = 0x00800000;
inline constexpr uint32_t kWsDlgFrame = 0x00400000;
inline constexpr uint32_t kWsThickFrame = 0x00040000;
inline constexpr uint32_t kWsSysMenu = 0x00080000;
inline constexpr uint32_t kWsDisabled = 0x08000000;

// Extended window style bits (Windows values).
inline constexpr uint32_t kWsExDlgModalFrame = 0x00000001;
inline constexpr uint32_t kWsExToolWindow = 0x00000080;
inline constexpr uint32_t kWsExWindowEdge = 0x00000100;
inline constexpr uint32_t kWsExClientEdge = 0x00000200;
inline constexpr uint32_t kWsExStaticEdge = 0x00020000;

}  // namespace plym
