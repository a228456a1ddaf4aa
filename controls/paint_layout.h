// controls/paint_layout.h
//
// Sizes and rectangles of the small drawing pieces, without a device context:
// the owner-drawn menu's items (CMyMenu) and where the picture static
// (CShowStaic) puts its image.
#pragma once

#include <cstdint>

#include "winlib/pixel_rect.h"

namespace controls {

// Item types of the owner-drawn menu, the third word of an item's record.
constexpr uint32_t kMenuSeparator = 0;
constexpr uint32_t kMenuText = 1;
constexpr uint32_t kMenuHidden1 = 0xFFFFFFFE;
constexpr uint32_t kMenuHidden2 = 0xFFFFFFFF;

struct PaintSize {
    int width = 0;
    int height = 0;
    bool operator==(const PaintSize&) const = default;
};

// Hidden items take no room, separators are 4 pixels high, text items (and
// any other type) the menu's item size.
PaintSize MenuItemSize(uint32_t type, int itemWidth, int itemHeight);

using winlib::PixelRect;

// Where an image of `image` size goes in a client area of `client` size.
// Without keeping the aspect it fills the client area. Keeping it, an image
// that fits both ways is centred at its own size; a larger one is scaled
// down to fit inside with its width/height ratio and centred along the other
// axis. An empty image or client area gives an empty rectangle.
PixelRect FitImage(PaintSize client, PaintSize image, bool keepAspect);

}  // namespace controls
