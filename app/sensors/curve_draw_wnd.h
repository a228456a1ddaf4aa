// app/sensors/curve_draw_wnd.h
//
// CCurveDraw: the sensor panel's curve chart, a child window of its own class
// over play::CurveChart (app/sensors/curve_chart.h), which holds the geometry,
// the zoom, the pan and what the mouse does. The window feeds it its client
// size and the mouse, and paints what it returns, double-buffered: the grid,
// labels, the time under the pointer, the zoom buttons, the curve keys, and
// the curves of the configuration's GPS table.
//
// The panel gives it the range (SetRange) and the curve colours
// (SetLineColors; the array stays the panel's and must live until the next
// call). Its labels and tooltips are the built-in English texts in Arial,
// whatever language is configured: it asks a configuration object of its own
// for them.
#pragma once

#include "app/app_config.h"
#include "app/pub_skin.h"
#include "app/sensors/curve_chart.h"
#include "winlib/winlib.h"

class CCurveDraw : public CWnd {
  public:
    CCurveDraw();
    ~CCurveDraw() override;

    // The value range, the unit text and the quantity (0 speed .. 4 alarm).
    void SetRange(float min, float max, LPCSTR unit, int quantity);
    // Ignored when `colours` is NULL or `count` is not positive.
    void SetLineColors(const COLORREF* colours, int count);
    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin);
    // Registers the class once and makes the chart a visible child.
    virtual BOOL Create(const RECT& rect, CWnd* parent, UINT id);

    const play::CurveChart& Model() const { return m_model; }

  protected:
    afx_msg int OnCreate(LPCREATESTRUCTA cs);
    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    DECLARE_MESSAGE_MAP()

  private:
    void Respond(const play::ChartResponse& response);
    void Repaint();
    void PaintGrid(CDC& dc, const play::ChartPlot& plot);
    void PaintLabels(CDC& dc);
    void PaintZoomButtons(CDC& dc);
    void PaintCurves(CDC& dc);

    static CString s_className;

    play::CurveChart m_model;
    const COLORREF* m_colours = nullptr;  // the panel's
    int m_colourCount = 0;
    AppConfig* m_pConfig = nullptr;  // the GPS table
    CPubSkin* m_pSkin = nullptr;
    AppConfig m_ownConfig;  // English texts and the Arial face
    CFont m_labelFont;
    CFont m_hoverFont;
    CImageList m_zoomImages;
    HWND m_tooltip = nullptr;
    HCURSOR m_cursor = nullptr;
    BOOL m_tracking = FALSE;
};
