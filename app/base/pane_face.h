// app/base/pane_face.h
//
// The face the play panes and the map panes share: black, framed by a 2-pixel
// line of 0x646464, with the title strip (bitmap 136, loaded once for every
// pane of the process) over its top 14 pixels: the strip's 5-pixel end caps
// as they are, its middle stretched between them. The panes draw their texts
// over it.
#pragma once

#include "winlib/winlib.h"

void DrawPaneFace(CDC& dc, const CRect& client);
