// winlib/pixel_rect.h
//
// A rectangle in client pixels, given the way windows are moved: left and top,
// then width and height. Portable: the window-free models of controls and
// pages compute with it, and their windows turn it into a CRect.
#pragma once

namespace winlib {

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool Contains(int px, int py) const { return px >= x && px < right() && py >= y && py < bottom(); }
    // Shrunk by d on every side; never narrower or lower than 0.
    PixelRect Inset(int d) const {
        return {x + d, y + d, width > 2 * d ? width - 2 * d : 0, height > 2 * d ? height - 2 * d : 0};
    }
    bool operator==(const PixelRect&) const = default;
};

}  // namespace winlib
