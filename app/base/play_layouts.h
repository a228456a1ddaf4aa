// app/base/play_layouts.h
//
// Where the children of a play pane and of the playback tool bar go, as pure
// functions of the client rectangle; the dialogs move their controls there on
// WM_SIZE. Widths and heights are never negative.
//
//   pane       the time text in the 14-pixel title strip at the right; the
//              video area below the strip, one pixel inside the frame
//   tool bar   the eleven main buttons (35 x 25, every 36 pixels) from the
//              left, then the three layout buttons (28 x 25, every 29) from
//              x 411, the sensor-panel button at 499, the state text at 567;
//              Mute and the volume slider keep to the right edge
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/base/pixel_rect.h"

namespace play {

inline constexpr int kPaneTitleHeight = 14;
inline constexpr uint32_t kPaneFrameLine = 0x646464;    // the pane's 2-pixel frame
inline constexpr uint32_t kPaneTitleColour = 0xFFFF00;  // "Playback Window:N"

struct PaneRects {
    PixelRect timeText;
    PixelRect video;
};
PaneRects LayOutPlayPane(const PixelRect& client);

// The title of a pane: the word (language string 102) and pane index + 1.
std::string PaneTitle(std::string_view word, int pane);

struct ToolbarPlacement {
    int control = 0;
    PixelRect rect;
    bool operator==(const ToolbarPlacement&) const = default;
};
std::vector<ToolbarPlacement> LayOutToolbar(const PixelRect& client);

}  // namespace play
