// controls/color_static.cpp
#include "controls/color_static.h"

#include "controls/draw_helpers.h"

BEGIN_MESSAGE_MAP(CColorStatic, CStatic)
ON_WM_CTLCOLOR_REFLECT()
ON_MESSAGE(WM_SETTEXT, &CColorStatic::OnSetText)
ON_MESSAGE(WM_SETFONT, &CColorStatic::OnSetFont)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CColorStatic::CColorStatic()
    : m_bkColor(::GetSysColor(COLOR_BTNFACE)), m_textColor(::GetSysColor(COLOR_BTNTEXT)) {
    m_bkBrush.CreateSolidBrush(m_bkColor);
}

CColorStatic::~CColorStatic() = default;

void CColorStatic::SetTextStyle(COLORREF color, int height) {
    m_textColor = color == 0xFFFFFFFF ? ::GetSysColor(COLOR_BTNTEXT) : color;
    m_fontHeight = height;
    if (IsWindow()) {
        UpdateFont(true);
        Invalidate(TRUE);
    }
}

void CColorStatic::SetBackground(COLORREF color) {
    m_transparent = 0;
    m_bkColor = color;
    m_bkBrush.DeleteObject();
    m_bkBrush.CreateSolidBrush(color);
    if (IsWindow())
        Invalidate(TRUE);
}

void CColorStatic::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    UpdateFont(true);
}

void CColorStatic::UpdateFont(bool giveToStatic) {
    if (m_font.GetSafeHandle() && m_fontMadeHeight == m_fontHeight)
        return;
    CFont font;
    if (!controls::CreateArialFont(font, m_fontHeight, FW_NORMAL))
        return;
    // The static paints with its own font, chosen after the colour message on
    // some systems: it gets ours too. The old font goes once nothing uses it.
    if (giveToStatic && m_hWnd)
        ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.GetSafeHandle()), FALSE);
    m_font.Attach(font.Detach());
    m_fontMadeHeight = m_fontHeight;
}

HBRUSH CColorStatic::CtlColor(CDC* dc, UINT /*ctlType*/) {
    dc->SetTextColor(m_textColor);
    if (!m_font.GetSafeHandle())
        UpdateFont(false);
    if (m_font.GetSafeHandle())
        dc->SelectObject(&m_font);
    if (!m_transparent) {
        dc->SetBkColor(m_bkColor);
        return m_bkBrush;
    }
    dc->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CColorStatic::InvalidateUnder() {
    if (!m_transparent || !IsWindow())
        return;
    CWnd* parent = GetParent();
    if (parent) {
        CRect area;
        GetWindowRect(&area);
        parent->ScreenToClient(&area);
        parent->InvalidateRect(&area, TRUE);
    }
}

LRESULT CColorStatic::OnSetText(WPARAM, LPARAM) {
    InvalidateUnder();
    return Default();
}

LRESULT CColorStatic::OnSetFont(WPARAM, LPARAM) {
    InvalidateUnder();
    return Default();
}

void CColorStatic::OnDestroy() {
    Default();
    m_bkBrush.DeleteObject();
    m_font.DeleteObject();
    m_fontMadeHeight = 0;
}
