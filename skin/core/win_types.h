// skin/core/win_types.h
//
// The portable value types of the skin data layer turned into the Win32
// ones and back.
#pragma once

#include <windows.h>

#include <cstring>

#include "skin/core/plym_types.h"

inline RECT ToWinRect(const plym::Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

inline plym::Rect ToPlymRect(const RECT& r) {
    return {static_cast<int32_t>(r.left), static_cast<int32_t>(r.top), static_cast<int32_t>(r.right),
            static_cast<int32_t>(r.bottom)};
}

// The header of a top-down 32-bit DIB section, width x height.
inline BITMAPINFO TopDownDibInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

inline LOGFONTA ToLogFontA(const plym::LogFont& font) {
    LOGFONTA out{};
    out.lfHeight = font.height;
    out.lfWidth = font.width;
    out.lfEscapement = font.escapement;
    out.lfOrientation = font.orientation;
    out.lfWeight = font.weight;
    out.lfItalic = font.italic;
    out.lfUnderline = font.underline;
    out.lfStrikeOut = font.strikeOut;
    out.lfCharSet = font.charSet;
    out.lfOutPrecision = font.outPrecision;
    out.lfClipPrecision = font.clipPrecision;
    out.lfQuality = font.quality;
    out.lfPitchAndFamily = font.pitchAndFamily;
    static_assert(sizeof(out.lfFaceName) == sizeof(font.faceName));
    std::memcpy(out.lfFaceName, font.faceName, sizeof(out.lfFaceName));
    out.lfFaceName[sizeof(out.lfFaceName) - 1] = '\0';
    return out;
}

inline plym::LogFont ToPlymLogFont(const LOGFONTA& font) {
    plym::LogFont out;
    out.height = font.lfHeight;
    out.width = font.lfWidth;
    out.escapement = font.lfEscapement;
    out.orientation = font.lfOrientation;
    out.weight = font.lfWeight;
    out.italic = font.lfItalic;
    out.underline = font.lfUnderline;
    out.strikeOut = font.lfStrikeOut;
    out.charSet = font.lfCharSet;
    out.outPrecision = font.lfOutPrecision;
    out.clipPrecision = font.lfClipPrecision;
    out.quality = font.lfQuality;
    out.pitchAndFamily = font.lfPitchAndFamily;
    std::memcpy(out.faceName, font.lfFaceName, sizeof(out.faceName));
    out.faceName[sizeof(out.faceName) - 1] = '\0';
    return out;
}
