// controls/draw_gradient.cpp
#include "controls/draw_gradient.h"

#include "controls/gradient_bands.h"

void PatFillRect(CDC* dc, int x, int y, int width, int height, COLORREF color) {
    const CBrush brush(color);
    if (!brush.GetSafeHandle())
        return;
    const CGdiSelection selected(*dc, brush);
    dc->PatBlt(x, y, width, height, PATCOPY);
}

void DrawGradient(CDC* dc, const RECT& rect, COLORREF colorA, COLORREF colorB, BOOL horizontal, BOOL aFirst) {
    for (const controls::GradientBand& band :
         controls::GradientBands(rect.left, rect.top, rect.right, rect.bottom, colorA, colorB,
                                 horizontal != FALSE, aFirst != FALSE))
        PatFillRect(dc, band.x, band.y, band.width, band.height, band.color);
}
