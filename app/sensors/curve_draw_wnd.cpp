// app/sensors/curve_draw_wnd.cpp
#include "app/sensors/curve_draw_wnd.h"

#include "app/base/zoom_tooltip.h"
#include "app/language_codes.h"
#include "controls/draw_gradient.h"
#include "controls/mem_dc.h"
#include "res/playback_ids.h"

namespace {

constexpr int kLabelFontHeight = -11;
constexpr int kHoverFontTenths = 90;  // 9 points
constexpr int kHoverBoxWidth = 80;
constexpr int kHoverBoxHeight = 30;

RECT ToRect(const play::PixelRect& r) {
    return {r.x, r.y, r.right(), r.bottom()};
}

}  // namespace

CString CCurveDraw::s_className;

BEGIN_MESSAGE_MAP(CCurveDraw, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CCurveDraw::CCurveDraw() = default;

CCurveDraw::~CCurveDraw() = default;

BOOL CCurveDraw::Create(const RECT& rect, CWnd* parent, UINT id) {
    if (s_className.IsEmpty())
        s_className = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
    return CWnd::Create(s_className, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

void CCurveDraw::SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
    m_pConfig = config;
    m_pSkin = skin;
}

void CCurveDraw::SetRange(float min, float max, LPCSTR unit, int quantity) {
    m_model.SetRange(min, max, unit != nullptr ? unit : "", static_cast<play::SensorQuantity>(quantity));
    Repaint();
}

void CCurveDraw::SetLineColors(const COLORREF* colours, int count) {
    if (colours == nullptr || count <= 0)
        return;
    m_colours = colours;
    m_colourCount = count;
    Repaint();
}

void CCurveDraw::Repaint() {
    if (m_hWnd != nullptr)
        Invalidate(FALSE);
}

// ---- messages --------------------------------------------------------------------------

int CCurveDraw::OnCreate(LPCREATESTRUCTA) {
    if (Default() == -1)
        return -1;
    CBitmap strip;
    if (m_zoomImages.Create(play::kChartZoomButtonSize, play::kChartZoomButtonSize, ILC_COLOR32 | ILC_MASK, 8,
                            0) &&
        strip.LoadBitmap(IDB_TIMEBAR_ZOOM))
        m_zoomImages.Add(&strip, RGB(255, 0, 255));
    m_ownConfig.CreateUiFont(m_labelFont, kLabelFontHeight, FW_NORMAL);
    m_hoverFont.CreatePointFont(kHoverFontTenths, kFaceSimSun);
    const RECT buttons[2] = {ToRect(m_model.ZoomButtonRect(0)), ToRect(m_model.ZoomButtonRect(1))};
    m_tooltip = play_wnd::CreateZoomTooltip(m_hWnd, buttons, m_ownConfig);
    m_cursor = play_wnd::LoadZoomCursor(play::kChartCursorFree);
    return 0;
}

void CCurveDraw::OnDestroy() {
    if (m_tooltip != nullptr) {
        ::DestroyWindow(m_tooltip);
        m_tooltip = nullptr;
    }
    Default();
}

void CCurveDraw::OnSize(UINT, int cx, int cy) {
    m_model.Resize(cx, cy);
    Repaint();
}

BOOL CCurveDraw::OnEraseBkgnd(CDC*) {
    return TRUE;  // the paint covers the whole chart
}

void CCurveDraw::OnMouseMove(UINT flags, CPoint point) {
    play_wnd::RelayToTooltip(m_tooltip, m_hWnd, WM_MOUSEMOVE, flags, point);
    if (!m_tracking) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
        m_tracking = ::TrackMouseEvent(&track);
    }
    Respond(m_model.MouseMove(point.x, point.y, (flags & MK_LBUTTON) != 0));
}

void CCurveDraw::OnMouseLeave() {
    m_tracking = FALSE;
    Respond(m_model.MouseLeave());
}

void CCurveDraw::OnLButtonDown(UINT flags, CPoint point) {
    play_wnd::RelayToTooltip(m_tooltip, m_hWnd, WM_LBUTTONDOWN, flags, point);
    Respond(m_model.LeftButtonDown(point.x, point.y));
}

void CCurveDraw::OnLButtonUp(UINT flags, CPoint point) {
    play_wnd::RelayToTooltip(m_tooltip, m_hWnd, WM_LBUTTONUP, flags, point);
    Respond(m_model.LeftButtonUp(point.x, point.y));
}

BOOL CCurveDraw::OnSetCursor(CWnd*, UINT hitTest, UINT) {
    if (hitTest != HTCLIENT)
        return static_cast<BOOL>(Default());
    ::SetCursor(m_cursor);
    return TRUE;
}

void CCurveDraw::Respond(const play::ChartResponse& response) {
    if (response.cursor != 0) {
        m_cursor = play_wnd::LoadZoomCursor(response.cursor);
        ::SetCursor(m_cursor);
    }
    if (response.capture)
        SetCapture();
    if (response.release && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (response.repaint)
        Repaint();
}

// ---- painting --------------------------------------------------------------------------

void CCurveDraw::OnPaint() {
    PaintBuffered(*this, [this](CDC& dc, const CRect& client) {
        dc.FillSolidRect(&client, play::kChartBackground);
        DrawGradient(&dc, CRect(0, 0, client.Width(), play::kChartMarginTop), play::kChartStripTop,
                     play::kChartStripBottom, FALSE, TRUE);
        const int saved = dc.SaveDC();
        dc.SetBkMode(TRANSPARENT);
        const play::ChartPlot plot = m_model.Plot();
        PaintGrid(dc, plot);
        PaintLabels(dc);
        PaintZoomButtons(dc);
        PaintCurves(dc);
        dc.RestoreDC(saved);
    });
}

void CCurveDraw::PaintGrid(CDC& dc, const play::ChartPlot& plot) {
    {
        const CPen dotted(PS_DOT, 1, play::kChartGrid);
        const CGdiSelection selected(dc, dotted);
        for (int k = 1; k + 1 < plot.valueLines; ++k) {
            dc.MoveTo(plot.left + 1, plot.ValueLineY(k));
            dc.LineTo(plot.right, plot.ValueLineY(k));
        }
        for (int k = 1; k < play::kChartTimeCells; ++k) {
            dc.MoveTo(plot.TimeLineX(k), plot.top + 1);
            dc.LineTo(plot.TimeLineX(k), plot.bottom);
        }
    }
    const CPen frame(PS_SOLID, 1, play::kChartFrame);
    const CGdiSelection selected(dc, frame);
    const POINT corners[] = {{plot.left, plot.top},
                             {plot.right, plot.top},
                             {plot.right, plot.bottom},
                             {plot.left, plot.bottom},
                             {plot.left, plot.top}};
    dc.Polyline(corners, 5);
}

void CCurveDraw::PaintLabels(CDC& dc) {
    const CGdiSelection font(dc, m_labelFont);
    dc.SetTextColor(play::kChartText);
    const auto draw = [&dc](const play::ChartLabel& label) {
        RECT box = ToRect(label.box);
        const UINT format = label.centred ? DT_CENTER | DT_VCENTER : DT_LEFT | DT_TOP;
        dc.DrawText(label.text.c_str(), static_cast<int>(label.text.size()), &box,
                    format | DT_SINGLELINE | DT_NOCLIP);
    };
    for (const play::ChartLabel& label : m_model.ValueLabels())
        draw(label);
    for (const play::ChartLabel& label : m_model.TimeLabels())
        draw(label);
    draw(m_model.UnitLabel());

    // The time under the pointer.
    const std::string& hover = m_model.hoverText();
    if (!hover.empty()) {
        const CGdiSelection hoverFont(dc, m_hoverFont.GetSafeHandle() != nullptr ? m_hoverFont : m_labelFont);
        dc.SetTextColor(play::kChartHoverText);
        RECT box = {m_model.hoverX() - kHoverBoxWidth / 2, 0, m_model.hoverX() + kHoverBoxWidth / 2,
                    kHoverBoxHeight};
        dc.DrawText(hover.c_str(), static_cast<int>(hover.size()), &box,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void CCurveDraw::PaintZoomButtons(CDC& dc) {
    if (m_zoomImages.GetSafeHandle() == nullptr)
        return;
    for (int button = 0; button < 2; ++button) {
        const int image = m_model.ZoomImage(button, m_zoomImages.GetImageCount());
        if (image < 0)
            continue;
        const play::PixelRect r = m_model.ZoomButtonRect(button);
        const int nudge = m_model.pressedButton() == button ? 1 : 0;
        m_zoomImages.Draw(&dc, image, CPoint(r.x + nudge, r.y + nudge), ILD_TRANSPARENT);
    }
}

void CCurveDraw::PaintCurves(CDC& dc) {
    if (m_colours == nullptr || m_colourCount <= 0)
        return;
    for (const play::ChartKey& key : m_model.Keys(m_colourCount)) {
        RECT r = ToRect(key.rect);
        dc.FillSolidRect(&r, m_colours[key.colour]);
    }
    if (m_pConfig == nullptr || m_pConfig->m_gpsTable.empty())
        return;
    for (const play::ChartCurve& curve : m_model.Curves(m_pConfig->m_gpsTable, m_colourCount)) {
        const COLORREF colour = m_colours[curve.colour];
        if (curve.dots) {
            for (const play::ChartPoint& p : curve.points)
                dc.SetPixel(p.x, p.y, colour);
            continue;
        }
        if (curve.points.size() < 2)
            continue;
        const CPen pen(PS_SOLID, 1, colour);
        const CGdiSelection selected(dc, pen);
        std::vector<POINT> points;
        points.reserve(curve.points.size());
        for (const play::ChartPoint& p : curve.points)
            points.push_back({p.x, p.y});
        dc.Polyline(points.data(), static_cast<int>(points.size()));
    }
}
