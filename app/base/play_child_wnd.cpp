// app/base/play_child_wnd.cpp
#include "app/base/play_child_wnd.h"

#include "controls/mem_dc.h"

BEGIN_MESSAGE_MAP(CPlayChildDialog, CDialog)
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CPlayChildDialog::CPlayChildDialog(UINT templateId, Face face, COLORREF faceColour)
    : CDialog(templateId), m_face(face), m_faceColour(faceColour) {
    if (m_face == Face::Dialog && m_faceColour != kSystemFace)
        m_faceBrush.CreateSolidBrush(m_faceColour);
}

void CPlayChildDialog::ChildrenMade() {
    m_childrenMade = TRUE;
    LayOut();
}

void CPlayChildDialog::LayOut() {
    if (m_childrenMade)
        PlaceChildren();
}

void CPlayChildDialog::PaintFace(CDC& dc, const CRect& client) {
    dc.FillSolidRect(&client, m_faceColour);
}

BOOL CPlayChildDialog::OnEraseBkgnd(CDC*) {
    if (m_face == Face::Painted)
        return TRUE;  // the paint covers the whole client
    return static_cast<BOOL>(Default());
}

void CPlayChildDialog::OnPaint() {
    if (m_face != Face::Painted) {
        Default();
        return;
    }
    PaintBuffered(*this, [this](CDC& dc, const CRect& client) { PaintFace(dc, client); });
}

void CPlayChildDialog::OnSize(UINT, int, int) {
    LayOut();
    Default();
}

HBRUSH CPlayChildDialog::OnCtlColor(CDC*, CWnd*, UINT ctlType) {
    if (ctlType == CTLCOLOR_DLG && m_faceBrush.GetSafeHandle() != nullptr)
        return m_faceBrush;
    return reinterpret_cast<HBRUSH>(Default());
}

namespace play_wnd {

play::PixelRect ClientOf(const CWnd& wnd) {
    CRect r;
    wnd.GetClientRect(&r);
    return {r.left, r.top, r.Width(), r.Height()};
}

void Place(CWnd& wnd, const play::PixelRect& r) {
    if (wnd.m_hWnd != nullptr)
        wnd.MoveWindow(r.x, r.y, r.width, r.height);
}

void Place(CWnd& wnd, const play::Placement& p) {
    if (wnd.m_hWnd == nullptr)
        return;
    Place(wnd, p.rect);
    wnd.ShowWindow(p.shown ? SW_SHOW : SW_HIDE);
}

void PlaceControls(CWnd& dialog, const std::vector<play::ToolbarPlacement>& places) {
    for (const play::ToolbarPlacement& p : places) {
        if (HWND control = ::GetDlgItem(dialog.m_hWnd, p.control))
            ::MoveWindow(control, p.rect.x, p.rect.y, p.rect.width, p.rect.height, TRUE);
    }
}

void SetPlayTimer(CWnd& wnd, bool on) {
    constexpr UINT_PTR kPlayTimer = 103;
    constexpr UINT kPlayTimerMs = 1000;
    if (wnd.m_hWnd == nullptr)
        return;
    if (on)
        wnd.SetTimer(kPlayTimer, kPlayTimerMs);
    else
        wnd.KillTimer(kPlayTimer);
}

void BlendLogo(HDC dc, const controls::ResourcePicture& logo, int width, int height) {
    constexpr BYTE kLogoAlpha = 20;  // how faintly the logo shows
    if (dc == nullptr || !logo.loaded())
        return;
    const CBitmapDC memory(dc, logo.bitmap);
    if (!memory.IsReady())
        return;
    BLENDFUNCTION blend{};
    blend.BlendOp = AC_SRC_OVER;
    blend.SourceConstantAlpha = kLogoAlpha;
    ::GdiAlphaBlend(dc, 0, 0, width, height, memory, 0, 0, logo.width, logo.height, blend);
}

}  // namespace play_wnd
