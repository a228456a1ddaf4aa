// tests/gui/harness/pixels.h
//
// Pixel probes: a copy of what a window shows, as 32-bit pixels a test can
// read by client coordinates. Capture repaints the window first (so pending
// WM_PAINT has run) and copies its client area from the window's device
// context; the copy is what the window drew, children included.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vekgui {

class Snapshot {
  public:
    // Empty (Valid() false) when the window cannot be read.
    static Snapshot Capture(HWND window);

    bool Valid() const { return width_ > 0 && height_ > 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The colour at client (x, y); 0xFFFFFFFF outside the image.
    COLORREF At(int x, int y) const;
    // How many pixels in the rectangle have exactly `color`.
    int Count(const RECT& area, COLORREF color) const;
    // Writes a 24-bit .bmp, for looking at a failure.
    bool SaveBmp(const std::string& path) const;

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;  // 0x00RRGGBB, top-down
};

// "RRGGBB" for messages.
std::string ColorText(COLORREF color);

}  // namespace vekgui
