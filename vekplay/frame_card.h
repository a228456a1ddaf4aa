// vekplay/frame_card.h
//
// The picture shown for a video frame that does not decode: a card with the
// frame's channel, type, time and size in text, and the frame time as a
// machine-readable marker that tests read back from snapshots.
//
// Card size: the frame header's picture size when it lies within 320x240 ..
// 1920x1088, else 352x288.
//
// Marker: a grid of 8 x 9 cells, each kMarkerCell pixels square, from
// (kMarkerLeft, kMarkerTop). Rows 0..7 are the bytes of the frame time in
// microseconds, least significant first, the most significant bit of each
// byte in the left column; row 8 is a check byte (every time byte XORed, then
// XOR 0x5A). A set bit is a white cell, a clear one black.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "vekplay/picture.h"

namespace vekplay {

inline constexpr int kMarkerLeft = 16;
inline constexpr int kMarkerTop = 16;
inline constexpr int kMarkerCell = 10;

struct CardInfo {
    uint8_t channel = 0;  // as in the header (0-based); shown as CH01 for 0
    char type = 0;        // 'I', 'P'
    uint64_t timeUs = 0;
    uint32_t size = 0;   // payload bytes
    uint16_t width = 0;  // from the header; 0 or out of range gives the default size
    uint16_t height = 0;
};

// Draws the card into `out` (allocated here); out->time and out->card are set.
void DrawCard(const CardInfo& info, Picture* out);

// Reads the marker from pixels laid out like Picture (top-down rows of `stride`
// bytes, 3 bytes per pixel). False when the picture is too small, a cell is
// neither clearly black nor clearly white, or the check byte does not match.
bool ReadCardMarker(const uint8_t* pixels, int width, int height, size_t stride, uint64_t* timeUs);
inline bool ReadCardMarker(const Picture& p, uint64_t* timeUs) {
    return ReadCardMarker(p.pixels.data(), p.width, p.height, p.stride, timeUs);
}

// "YYYY-MM-DD HH:MM:SS.mmm" of microseconds since 1970 (UTC), for any value.
std::string FormatFrameTime(uint64_t timeUs);

}  // namespace vekplay
