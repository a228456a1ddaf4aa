// controls/draw_helpers.h
//
// What the controls share for drawing: copying (part of) a bitmap onto a DC
// without transparency, the way the skinned pieces draw their pictures (a
// NULL bitmap draws nothing), and the labels' Arial font.
#pragma once

#include "winlib/winlib.h"

namespace controls {

// The whole bitmap at (x, y).
void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y);
// Source (sx, sy, sw, sh) stretched to (x, y, w, h).
void StretchBitmap(HDC dc, HBITMAP bitmap, int x, int y, int w, int h, int sx, int sy, int sw, int sh);
// A bitmap resource of the resource module, or NULL. The caller deletes it.
HBITMAP LoadResourceBitmap(UINT id);
// A top-most tooltip window owned by `owner` that shows at once over every
// tool (TTS_ALWAYSTIP): tips as wide as they are, shown `delayMs` after the
// mouse stops (and again as long after a tip went), and left up as long as the
// mouse stays. NULL when it could not be made. The owner adds the tools and
// relays its mouse messages.
HWND CreateTooltip(HWND owner, int delayMs);
// Passes a mouse message of `owner` on to its tooltip (none: nothing).
void RelayToTooltip(HWND tooltip, HWND owner, UINT message, UINT flags, CPoint point);
// A cursor resource of the resource module, else the system's cursor
// `fallback` (IDC_ARROW, IDC_HAND, ...). Shared: never destroyed.
HCURSOR LoadResourceCursor(UINT id, LPCSTR fallback);

}  // namespace controls

namespace controls {

// The labels' Arial: `height` logical units, `weight`, default character
// set, proof quality, variable pitch, Swiss family, all else 0. The same
// font as the application's CreateArialFont; the controls make their own so
// that they do not depend on the application shell.
BOOL CreateArialFont(CFont& font, int height, int weight);

}  // namespace controls
