// app/play/timebar_wnd.cpp
#include "app/play/timebar_wnd.h"

#include "app/base/zoom_tooltip.h"
#include "app/messages.h"
#include "controls/draw_gradient.h"
#include "controls/mem_dc.h"
#include "res/playback_ids.h"

namespace {

constexpr int kNameFontHeight = -12;
constexpr int kRulerFontHeight = -10;
constexpr int kHoverBoxWidth = 64;
constexpr int kHoverBoxHeight = 14;

play::TimebarKey KeyOf(UINT key) {
    switch (key) {
        case VK_PRIOR:
            return play::TimebarKey::PageUp;
        case VK_NEXT:
            return play::TimebarKey::PageDown;
        case VK_END:
            return play::TimebarKey::End;
        case VK_HOME:
            return play::TimebarKey::Home;
        case VK_LEFT:
            return play::TimebarKey::Left;
        case VK_UP:
            return play::TimebarKey::Up;
        case VK_RIGHT:
            return play::TimebarKey::Right;
        case VK_DOWN:
            return play::TimebarKey::Down;
        default:
            return play::TimebarKey::Other;
    }
}

RECT ToRect(const play::PixelRect& r) {
    return {r.x, r.y, r.right(), r.bottom()};
}

void Line(CDC& dc, int x0, int y0, int x1, int y1) {
    dc.MoveTo(x0, y0);
    dc.LineTo(x1, y1);
}

}  // namespace

BEGIN_MESSAGE_MAP(CVideoRecordTimeCtrl, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_MOUSEWHEEL()
ON_WM_MOUSELEAVE()
ON_WM_KEYDOWN()
ON_WM_GETDLGCODE()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_WM_SETCURSOR()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CVideoRecordTimeCtrl::CVideoRecordTimeCtrl() : m_port(m_model, [this] { Repaint(); }) {}

CVideoRecordTimeCtrl::~CVideoRecordTimeCtrl() = default;

BOOL CVideoRecordTimeCtrl::Create(const RECT& rect, CWnd* parent, UINT id) {
    if (m_className.IsEmpty())
        m_className = AfxRegisterWndClass(CS_DBLCLKS, nullptr, nullptr, nullptr);
    return CWnd::Create(m_className, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

// ---- what the fillers and the panes call ------------------------------------------------

void CVideoRecordTimeCtrl::AddRecord(int row, const play::_recfile_info_t& record) {
    m_model.AddRecord(row, record);
    Repaint();
}

void CVideoRecordTimeCtrl::ClearRecords(int row) {
    m_port.ClearRecords(row);
}

BOOL CVideoRecordTimeCtrl::SetRecord(int row, int index, const play::_recfile_info_t& record) {
    if (!m_model.SetRecord(row, index, record))
        return FALSE;
    Repaint();
    return TRUE;
}

void CVideoRecordTimeCtrl::SetRowName(int row, LPCSTR name) {
    m_model.SetRowName(row, name != nullptr ? name : "");
    Repaint();
}

void CVideoRecordTimeCtrl::SetCursorTime(int row, int hour, int minute, int second, int common) {
    m_port.SetCursorTime(row, hour, minute, second, common == 1);
}

void CVideoRecordTimeCtrl::ShowCursor(int row, int show, int common) {
    m_port.ShowCursor(row, show != 0, common == 1);
}

void CVideoRecordTimeCtrl::Repaint() {
    if (m_hWnd != nullptr)
        Invalidate(FALSE);
}

// ---- messages --------------------------------------------------------------------------

int CVideoRecordTimeCtrl::OnCreate(LPCREATESTRUCTA) {
    if (Default() == -1)
        return -1;
    return OnCreateBar();
}

void CVideoRecordTimeCtrl::OnSize(UINT, int cx, int cy) {
    m_model.Resize(cx, cy);
    Repaint();
}

BOOL CVideoRecordTimeCtrl::OnEraseBkgnd(CDC*) {
    return TRUE;  // the paint covers the whole bar
}

void CVideoRecordTimeCtrl::OnLButtonDown(UINT flags, CPoint point) {
    RelayToTooltip(WM_LBUTTONDOWN, flags, point);
    SetFocus();
    Respond(m_model.LeftButtonDown(point.x, point.y, ::GetTickCount()));
}

void CVideoRecordTimeCtrl::OnMouseMove(UINT flags, CPoint point) {
    RelayToTooltip(WM_MOUSEMOVE, flags, point);
    if (!m_tracking) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
        m_tracking = ::TrackMouseEvent(&track);
    }
    Respond(m_model.MouseMove(point.x, point.y, (flags & MK_LBUTTON) != 0, ::GetTickCount()));
}

void CVideoRecordTimeCtrl::OnLButtonUp(UINT flags, CPoint point) {
    RelayToTooltip(WM_LBUTTONUP, flags, point);
    Respond(m_model.LeftButtonUp(point.x, point.y));
}

BOOL CVideoRecordTimeCtrl::OnMouseWheel(UINT, short delta, CPoint) {
    Respond(m_model.MouseWheel(delta));
    return FALSE;
}

void CVideoRecordTimeCtrl::OnMouseLeave() {
    m_tracking = FALSE;
    Respond(m_model.MouseLeave());
}

void CVideoRecordTimeCtrl::OnKeyDown(UINT key, UINT, UINT) {
    const play::TimebarResponse response = m_model.KeyDown(KeyOf(key));
    if (!response.handled) {
        Default();
        return;
    }
    Respond(response);
}

UINT CVideoRecordTimeCtrl::OnGetDlgCode() {
    // Tab still moves the focus on.
    if (::GetKeyState(VK_TAB) < 0)
        return static_cast<UINT>(Default());
    return DLGC_WANTALLKEYS;
}

void CVideoRecordTimeCtrl::OnSetFocus(CWnd*) {
    Repaint();
    Default();
}

void CVideoRecordTimeCtrl::OnKillFocus(CWnd*) {
    Repaint();
    Default();
}

BOOL CVideoRecordTimeCtrl::OnSetCursor(CWnd*, UINT hitTest, UINT) {
    if (hitTest != HTCLIENT)
        return static_cast<BOOL>(Default());
    ::SetCursor(m_cursor != nullptr ? m_cursor : play_wnd::LoadZoomCursor(play::kTimebarCursorPoint));
    return TRUE;
}

void CVideoRecordTimeCtrl::OnDestroy() {
    if (m_tooltip != nullptr) {
        ::DestroyWindow(m_tooltip);
        m_tooltip = nullptr;
    }
    Default();
}

int CVideoRecordTimeCtrl::OnCreateBar() {
    CBitmap strip;
    if (m_zoomImages.Create(play::kTimebarZoomButtonSize, play::kTimebarZoomButtonSize,
                            ILC_COLOR32 | ILC_MASK, 2, 0) &&
        strip.LoadBitmap(IDB_TIMEBAR_ZOOM))
        m_zoomImages.Add(&strip, RGB(255, 0, 255));
    m_fontConfig.CreateUiFont(m_nameFont, kNameFontHeight, FW_NORMAL);
    m_fontConfig.CreateUiFont(m_rulerFont, kRulerFontHeight, FW_NORMAL);

    const RECT buttons[2] = {ToRect(play::TimebarModel::ZoomButtonRect(0)),
                             ToRect(play::TimebarModel::ZoomButtonRect(1))};
    m_tooltip = play_wnd::CreateZoomTooltip(m_hWnd, buttons, m_fontConfig);
    m_cursor = play_wnd::LoadZoomCursor(play::kTimebarCursorPoint);
    return 0;
}

void CVideoRecordTimeCtrl::RelayToTooltip(UINT message, UINT flags, CPoint point) {
    play_wnd::RelayToTooltip(m_tooltip, m_hWnd, message, flags, point);
}

void CVideoRecordTimeCtrl::Respond(const play::TimebarResponse& response) {
    if (response.cursor != 0) {
        m_cursor = play_wnd::LoadZoomCursor(response.cursor);
        ::SetCursor(m_cursor);
    }
    if (response.repaint)
        Repaint();
    if (response.seek) {
        if (CWnd* parent = GetParent())
            parent->PostMessage(WM_TIMEBAR_SEEK, static_cast<WPARAM>(GetDlgCtrlID()),
                                static_cast<LPARAM>(response.seek->row));
    }
}

// ---- painting --------------------------------------------------------------------------

void CVideoRecordTimeCtrl::OnPaint() {
    PaintBuffered(*this, [this](CDC& dc, const CRect& client) {
        dc.FillSolidRect(&client, play::kTimebarBackground);
        const int saved = dc.SaveDC();
        dc.SetBkMode(TRANSPARENT);
        PaintRows(dc, client.Width());
        PaintRuler(dc, client.Width());
        PaintBars(dc);
        PaintCursors(dc);
        PaintZoomButtons(dc);
        dc.RestoreDC(saved);
    });
}

void CVideoRecordTimeCtrl::PaintRows(CDC& dc, int width) {
    const play::TimebarView& view = m_model.view();
    {
        const CPen dark(PS_SOLID, 1, play::kTimebarSeparatorDark);
        const CGdiSelection selected(dc, dark);
        for (int row = 0; row < play::kTimebarRowCount; ++row) {
            const int top = view.RowTop(row);
            dc.FillSolidRect(view.barLeft(), top, view.barRight() - view.barLeft(), play::kTimebarRowHeight,
                             play::kTimebarRowBackground);
            Line(dc, 0, top + play::kTimebarRowHeight - 1, width, top + play::kTimebarRowHeight - 1);
        }
        Line(dc, view.barLeft() - 1, view.RowTop(0), view.barLeft() - 1, view.RowTop(play::kTimebarRowCount));
    }

    const CGdiSelection selectedFont(dc, m_nameFont);
    dc.SetTextColor(play::kTimebarText);
    for (int row = 0; row < play::kTimebarRowCount; ++row) {
        const std::string_view name = m_model.RowName(row);
        RECT box = ToRect(play::TimebarModel::RowNameRect(row));
        dc.DrawText(name.data(), static_cast<int>(name.size()), &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
}

void CVideoRecordTimeCtrl::PaintRuler(CDC& dc, int width) {
    const int foot = play::kTimebarHeaderHeight;
    DrawGradient(&dc, CRect(0, 0, width, foot), play::kTimebarRulerTop, play::kTimebarRulerBottom, FALSE,
                 TRUE);
    const CPen light(PS_SOLID, 1, play::kTimebarSeparatorLight);
    const CPen white(PS_SOLID, 1, play::kTimebarWhite);
    {
        const CGdiSelection selected(dc, light);
        Line(dc, 0, foot - 1, width, foot - 1);
    }

    const CGdiSelection selectedPen(dc, white);
    const CGdiSelection selectedFont(dc, m_rulerFont);
    dc.SetTextColor(play::kTimebarText);
    for (const play::TimebarRulerMark& mark : m_model.Ruler()) {
        Line(dc, mark.x, mark.tickTop, mark.x, foot - 1);
        RECT box = ToRect(mark.labelBox);
        dc.DrawText(mark.label.c_str(), static_cast<int>(mark.label.size()), &box,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }

    // The time under the pointer.
    const std::string& hover = m_model.hoverText();
    if (!hover.empty()) {
        dc.SetTextColor(play::kTimebarWhite);
        RECT box = {m_model.hoverX() - kHoverBoxWidth / 2, m_model.hoverY() - kHoverBoxHeight / 2,
                    m_model.hoverX() + kHoverBoxWidth / 2, m_model.hoverY() + kHoverBoxHeight / 2};
        dc.DrawText(hover.c_str(), static_cast<int>(hover.size()), &box,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void CVideoRecordTimeCtrl::PaintBars(CDC& dc) const {
    for (int row = 0; row < play::kTimebarRowCount; ++row) {
        for (const play::TimebarBar& bar : m_model.Bars(row))
            DrawGradient(&dc, ToRect(bar.rect), bar.colour, play::kTimebarBarShade, FALSE, TRUE);
    }
}

void CVideoRecordTimeCtrl::PaintCursors(CDC& dc) const {
    for (const play::TimebarCursorMark& mark : m_model.Cursors()) {
        const CPen pen(PS_SOLID, 1, mark.colour);
        const CGdiSelection selected(dc, pen);
        Line(dc, mark.x, mark.top, mark.x, mark.bottom);
        Line(dc, mark.x - 3, mark.top + 3, mark.x, mark.top);
        Line(dc, mark.x + 3, mark.top + 3, mark.x, mark.top);
    }
}

void CVideoRecordTimeCtrl::PaintZoomButtons(CDC& dc) {
    if (m_zoomImages.GetSafeHandle() == nullptr)
        return;
    for (int button = 0; button < 2; ++button) {
        const play::PixelRect r = play::TimebarModel::ZoomButtonRect(button);
        const int nudge = m_model.pressedButton() == button ? 1 : 0;
        m_zoomImages.Draw(&dc, button, CPoint(r.x + nudge, r.y + nudge), ILD_TRANSPARENT);
    }
}
