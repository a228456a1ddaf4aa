// app/base/zoom_tooltip.h
//
// What the recording time bar and the sensor chart share about their two zoom
// buttons: the tooltip that names them ("Zoom In", "Zoom Out"; shown after
// half a second, as long as the pointer stays), the mouse messages relayed to
// it, and the cursors of the two (resource 171 over a button and while
// dragging, 172 otherwise; the system's hand and arrow where the module has
// none).
#pragma once

#include "app/app_config.h"
#include "controls/draw_helpers.h"
#include "winlib/winlib.h"

namespace play_wnd {

// A tooltip owned by `owner` with one tool per zoom button (0 in, 1 out) at
// its rectangle in the owner's client; texts from `texts`. NULL when the
// system could not make one. The owner destroys it.
HWND CreateZoomTooltip(HWND owner, const RECT (&buttons)[2], const AppConfig& texts);
// Passes a mouse message of `owner` on to its tooltip (none: nothing).
using controls::RelayToTooltip;
// Cursor resource 171 or 172 of the program, or the system's stand-in.
HCURSOR LoadZoomCursor(int resource);

}  // namespace play_wnd
