// app/base/pixel_rect.h
//
// The page models compute in client-pixel rectangles (winlib/pixel_rect.h) and
// hand their windows placements.
#pragma once

#include "winlib/pixel_rect.h"

namespace play {

using winlib::PixelRect;

// A child's place and whether it is shown.
struct Placement {
    PixelRect rect;
    bool shown = true;
    bool operator==(const Placement&) const = default;
};

}  // namespace play
