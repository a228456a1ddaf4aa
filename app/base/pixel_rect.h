// app/base/pixel_rect.h
//
// The playback models compute in client-pixel rectangles (winlib/pixel_rect.h).
#pragma once

#include "winlib/pixel_rect.h"

namespace play {

using winlib::PixelRect;

}  // namespace play
