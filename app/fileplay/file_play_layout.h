// app/fileplay/file_play_layout.h
//
// Where the parts of the local file player go, as pure functions of a client
// rectangle; the dialogs move their children there on WM_SIZE. Widths and
// heights are never negative.
//
//   page      the video window from (2, 2) to E = the right edge less 300
//             (the play list shown) or less 2 (hidden), 80 pixels above the
//             bottom; the play list right of it; the control bar under the
//             video; the 150 x 170 open popup centred on the video
//   bar       the seek slider along the top between the two small speed
//             buttons, the time and state texts below its left end, the row
//             of Open, Previous, Play/Pause, Next, Stop, Mute and volume in
//             the middle, the list, snapshot, watermark and tool buttons at
//             the right
//   list      the title at the top left, the list under it, Add, Delete and
//             Clear along the bottom right
//   popup     "Open file" and the folder button 140 pixels below its top
#pragma once

#include <vector>

#include "app/base/pixel_rect.h"
#include "app/base/play_layouts.h"

namespace play {

inline constexpr int kFileBarHeight = 80;
inline constexpr int kFileListWidth = 300;
inline constexpr int kOpenPopupWidth = 150;
inline constexpr int kOpenPopupHeight = 170;

struct FilePageRects {
    PixelRect video;
    PixelRect list;
    bool listShown = true;
    PixelRect bar;
    PixelRect popup;
};
FilePageRects LayOutFilePage(const PixelRect& client, bool listShown);

// Each control of a dialog with its place in the dialog's client area.
std::vector<ToolbarPlacement> LayOutFileBar(const PixelRect& client);
std::vector<ToolbarPlacement> LayOutPlayList(const PixelRect& client);
std::vector<ToolbarPlacement> LayOutOpenPopup(const PixelRect& client);

}  // namespace play
