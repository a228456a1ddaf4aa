// app/sensors/sensor_panel_wnd.h
//
// CDlgMimic: the sensor panel below the playback frame of both playback
// pages. Its chart (CCurveDraw, app/sensors/curve_draw_wnd.h) shows one quantity
// of the vehicle's sensor data over the day from the configuration's GPS
// table; five buttons along the bottom choose speed, acceleration,
// temperature, voltage or the eight alarm inputs, and the labels in the
// column at the right name the quantity's curves in their colours.
//
// The value ranges of speed, acceleration, temperature and voltage are the
// configuration's chart ranges: the panel takes them when it is made (after
// reading the ini file again) and whenever WM_COORD_RANGE brings them (wParam
// the address of eight floats: min and max of each). The alarm inputs always
// span 1..8.
#pragma once

#include <vector>

#include "app/base/play_child_wnd.h"
#include "app/sensors/curve_draw_wnd.h"
#include "controls/bmp_button.h"
#include "controls/color_static.h"
#include "res/playback_ids.h"
#include "res/sensor_panel_ids.h"

class CDlgMimic : public CPlayChildDialog {
  public:
    enum { IDD = IDD_MIMIC };
    static constexpr COLORREF kFace = RGB(64, 64, 64);

    CDlgMimic();

    // Chooses the quantity shown (0 speed .. 4 alarm), as its button does.
    void SelectQuantity(int quantity);
    int Quantity() const { return m_quantity; }
    const float* Ranges() const { return m_ranges; }

    CCurveDraw m_curve;
    CBmpButton m_buttons[play::kSensorButtonCount];
    CColorStatic m_labels[play::kSensorLabelCount];

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    afx_msg LRESULT OnCoordRange(WPARAM ranges, LPARAM);
    afx_msg void OnSpeed();
    afx_msg void OnAcceleration();
    afx_msg void OnTemperature();
    afx_msg void OnVoltage();
    afx_msg void OnAlarm();
    DECLARE_MESSAGE_MAP()

  private:
    void TakeRanges(const float* ranges);
    void RangeChart();

    float m_ranges[8] = {};
    std::vector<COLORREF> m_lineColours;  // the chart's curve colours
    BOOL m_initialised = FALSE;
    int m_quantity = 0;
};
