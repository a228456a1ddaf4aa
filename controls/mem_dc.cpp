// controls/mem_dc.cpp
#include "controls/mem_dc.h"

CMemDC::CMemDC(CDC* target, const RECT* rect, BOOL copyInitial) : m_target(target) {
    if (!target || !target->GetSafeHdc())
        return;
    if (rect)
        m_rect = *rect;
    else
        target->GetClipBox(&m_rect);

    m_memory = !target->IsPrinting();
    if (!m_memory) {
        Attach(target->GetSafeHdc());  // not owned: Detach'ed in the destructor
        return;
    }
    CRect device = m_rect;
    target->LPtoDP(&device);
    if (!CreateCompatibleDC(target) ||
        !m_bitmap.CreateCompatibleBitmap(target, device.Width(), device.Height())) {
        // Nothing to draw into: fall back to drawing on the target itself.
        DeleteDC();
        m_memory = FALSE;
        Attach(target->GetSafeHdc());
        return;
    }
    m_oldBitmap = ::SelectObject(m_hDC, m_bitmap);
    SetMapMode(target->GetMapMode());
    const CSize windowExt = target->GetWindowExt();
    const CSize viewportExt = target->GetViewportExt();
    SetWindowExt(windowExt.cx, windowExt.cy);
    SetViewportExt(viewportExt.cx, viewportExt.cy);
    SetWindowOrg(m_rect.left, m_rect.top);
    if (copyInitial) {
        BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), target, m_rect.left, m_rect.top,
               SRCCOPY);
    } else {
        FillSolidRect(&m_rect, target->GetBkColor());
    }
}

CMemDC::~CMemDC() {
    if (!m_hDC)
        return;
    if (!m_memory) {
        Detach();
        return;
    }
    m_target->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top,
                     SRCCOPY);
    ::SelectObject(m_hDC, m_oldBitmap);
}
