// controls/draw_gradient.h
//
// Background fills the calendar, tool bars and panels share.
//
//   PatFillRect   a solid rectangle through a temporary brush (PatBlt, PATCOPY)
//   DrawGradient  colour A fading into colour B in bands (see
//                 controls/gradient_bands.h for the bands and their colours);
//                 every band stays inside the rectangle. The program's
//                 backgrounds are grey 0x545454 at the top to black.
#pragma once

#include "winlib/winlib.h"

void PatFillRect(CDC* dc, int x, int y, int width, int height, COLORREF color);

// `horizontal` FALSE: top to bottom; `aFirst`: colour A at the top (or left).
void DrawGradient(CDC* dc, const RECT& rect, COLORREF colorA, COLORREF colorB, BOOL horizontal, BOOL aFirst);
