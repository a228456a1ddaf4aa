// controls/mem_dc.h
//
// CMemDC: an off-screen drawing context for flicker-free painting. Made over
// a target DC and a rectangle (logical units; NULL means the target's clip
// box), it draws into a compatible bitmap of the rectangle's device size with
// the target's mapping mode and extents and its window origin moved to the
// rectangle's top-left, so the caller draws in the target's own coordinates.
// The bitmap starts as a copy of the target's pixels (copy-initial) or filled
// with the target's background colour. The destructor copies the rectangle
// back to the target.
//
// On a printer DC there is nothing to flicker: the object then draws straight
// on the target and copies nothing.
#pragma once

#include "winlib/winlib.h"

class CMemDC : public CDC {
  public:
    explicit CMemDC(CDC* target, const RECT* rect = nullptr, BOOL copyInitial = FALSE);
    ~CMemDC() override;
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    // The area drawn, in the target's logical units.
    const CRect& GetRect() const { return m_rect; }
    // FALSE when drawing goes straight to the target (a printer).
    BOOL IsMemory() const { return m_memory; }

  private:
    CBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    CDC* m_target = nullptr;
    CRect m_rect;
    BOOL m_memory = FALSE;
};

// The paint of a window that covers its whole client area: `draw(dc, client)`
// draws through a CMemDC over the client area, in client coordinates; an empty
// client area draws nothing. Called from the window's WM_PAINT handler.
template <class Draw>
void PaintBuffered(CWnd& wnd, Draw&& draw) {
    CPaintDC paint(&wnd);
    CRect client;
    wnd.GetClientRect(&client);
    if (client.IsRectEmpty())
        return;
    CMemDC dc(&paint, &client);
    draw(static_cast<CDC&>(dc), static_cast<const CRect&>(client));
}
