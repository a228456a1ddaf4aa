// controls/show_static.cpp
#include "controls/show_static.h"

#include "controls/draw_helpers.h"
#include "controls/mem_dc.h"
#include "controls/paint_layout.h"

BEGIN_MESSAGE_MAP(CShowStaic, CStatic)
ON_WM_PAINT()
END_MESSAGE_MAP()

CShowStaic::CShowStaic() = default;
CShowStaic::~CShowStaic() = default;

void CShowStaic::SetBkColor(COLORREF color) {
    m_bkColor = color;
    if (IsWindow())
        Invalidate(FALSE);
}

void CShowStaic::SetImage(HBITMAP image) {
    m_image = image;
    if (IsWindow())
        Invalidate(FALSE);
}

void CShowStaic::SetShowImage(BOOL show) {
    m_showImage = show;
    if (IsWindow())
        Invalidate(FALSE);
}

void CShowStaic::SetKeepAspect(BOOL keep) {
    m_keepAspect = keep;
    if (IsWindow())
        Invalidate(FALSE);
}

void CShowStaic::Draw(HDC dc, const RECT& client) {
    const CBrush brush(m_bkColor);
    ::FillRect(dc, &client, brush);
    BITMAP info{};
    if (!m_showImage || !m_image || !::GetObjectA(m_image, sizeof info, &info))
        return;
    const controls::PixelRect at =
        controls::FitImage({client.right - client.left, client.bottom - client.top},
                           {info.bmWidth, info.bmHeight}, m_keepAspect != FALSE);
    controls::StretchBitmap(dc, m_image, client.left + at.x, client.top + at.y, at.width, at.height, 0, 0,
                            info.bmWidth, info.bmHeight);
}

void CShowStaic::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (m_doubleBuffer) {
        CMemDC memory(&dc, &client);
        Draw(memory, client);
    } else {
        Draw(dc, client);
    }
}
