// app/sensors/sensor_panel_wnd.cpp
#include "app/sensors/sensor_panel_wnd.h"

#include <algorithm>
#include <cstring>

#include "app/messages.h"

namespace {

constexpr int kButtonIds[play::kSensorButtonCount] = {
    IDC_SENSOR_SPEED, IDC_SENSOR_ACCELERATION, IDC_SENSOR_TEMPERATURE, IDC_SENSOR_VOLTAGE, IDC_SENSOR_ALARM};
constexpr int kButtonTexts[play::kSensorButtonCount] = {174, 175, 176, 177, 232};
// Labels 1226..1231; the inputs' labels keep "IO1".."IO8" of the template.
constexpr int kLabelTexts[] = {202, 203, 204, 205, 206, 207};

constexpr COLORREF kCaptionColour = RGB(255, 255, 255);
constexpr int kCaptionInsetY = 3;
constexpr int kCaptionHeight = 16;
constexpr COLORREF kKeyLabelColour = 0xFAFA00;    // speed and acceleration
constexpr COLORREF kOtherLabelColour = 0xFFFF00;  // temperature, voltage, the inputs
constexpr int kLabelFontHeight = -12;

}  // namespace

BEGIN_MESSAGE_MAP(CDlgMimic, CPlayChildDialog)
ON_MESSAGE(WM_COORD_RANGE, &CDlgMimic::OnCoordRange)
ON_BN_CLICKED(IDC_SENSOR_SPEED, &CDlgMimic::OnSpeed)
ON_BN_CLICKED(IDC_SENSOR_ACCELERATION, &CDlgMimic::OnAcceleration)
ON_BN_CLICKED(IDC_SENSOR_TEMPERATURE, &CDlgMimic::OnTemperature)
ON_BN_CLICKED(IDC_SENSOR_VOLTAGE, &CDlgMimic::OnVoltage)
ON_BN_CLICKED(IDC_SENSOR_ALARM, &CDlgMimic::OnAlarm)
END_MESSAGE_MAP()

CDlgMimic::CDlgMimic() : CPlayChildDialog(IDD, Face::Dialog, kFace) {}

void CDlgMimic::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    for (int i = 0; i < play::kSensorButtonCount; ++i)
        DDX_Control(dx, kButtonIds[i], m_buttons[i]);
    for (int i = 0; i < play::kSensorLabelCount; ++i)
        DDX_Control(dx, IDC_SENSOR_LABEL_FIRST + i, m_labels[i]);
}

BOOL CDlgMimic::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_curve.SetConfigAndSkin(m_pConfig, m_pSkin);
    m_curve.Create(CRect(0, 0, 0, 0), this, IDC_SENSOR_CHART);

    for (int i = 0; i < play::kSensorButtonCount; ++i) {
        m_buttons[i].SetImageFile(IDB_SENSOR_BUTTON, RGB(255, 0, 255), 0);
        const CString text = m_pConfig != nullptr ? m_pConfig->LoadLangString(kButtonTexts[i]) : CString();
        m_buttons[i].SetCaption(0, kCaptionInsetY, 0, text, kCaptionColour, kCaptionHeight);
    }
    for (int i = 0; i < play::kSensorLabelCount; ++i) {
        // The labels change places over the panel: they fill their own background.
        m_labels[i].SetBackground(kFace);
        m_labels[i].SetTextStyle(i < 4 ? kKeyLabelColour : kOtherLabelColour, kLabelFontHeight);
        if (i < static_cast<int>(std::size(kLabelTexts)) && m_pConfig != nullptr)
            m_labels[i].SetWindowText(m_pConfig->LoadLangString(kLabelTexts[i]));
    }

    if (m_pConfig != nullptr) {
        m_pConfig->ReadConfig();
        TakeRanges(m_pConfig->m_coordSet.range);
    }
    SelectQuantity(static_cast<int>(play::SensorQuantity::Speed));
    m_initialised = TRUE;
    ChildrenMade();
    return TRUE;
}

void CDlgMimic::PlaceChildren() {
    const play::SensorPanelRects r = play::LayOutSensorPanel(play_wnd::ClientOf(*this));
    play_wnd::Place(m_curve, r.chart);
    for (int i = 0; i < play::kSensorLabelCount; ++i)
        play_wnd::Place(m_labels[i], r.labels[i]);
    for (int i = 0; i < play::kSensorButtonCount; ++i)
        play_wnd::Place(m_buttons[i], r.buttons[i]);
}

void CDlgMimic::SelectQuantity(int quantity) {
    m_quantity = std::clamp(quantity, 0, play::kSensorButtonCount - 1);
    const play::SensorQuantitySetup& setup =
        play::QuantitySetup(static_cast<play::SensorQuantity>(m_quantity));
    for (int i = 0; i < play::kSensorLabelCount; ++i) {
        const bool shown = i >= setup.firstLabel && i < setup.firstLabel + setup.labelCount;
        if (m_labels[i].m_hWnd != nullptr)
            m_labels[i].ShowWindow(shown ? SW_SHOW : SW_HIDE);
    }
    for (int i = 0; i < play::kSensorButtonCount; ++i)
        if (m_buttons[i].m_hWnd != nullptr)
            m_buttons[i].EnableWindow(i != m_quantity);
    m_lineColours.assign(setup.colours.begin(), setup.colours.end());
    m_curve.SetLineColors(m_lineColours.data(), static_cast<int>(m_lineColours.size()));
    RangeChart();
}

void CDlgMimic::RangeChart() {
    const play::SensorQuantitySetup& setup =
        play::QuantitySetup(static_cast<play::SensorQuantity>(m_quantity));
    const CString unit = m_pConfig != nullptr ? m_pConfig->LoadLangString(setup.unitString) : CString();
    if (setup.rangePair < 0)
        m_curve.SetRange(setup.fixedMin, setup.fixedMax, unit, m_quantity);
    else
        m_curve.SetRange(m_ranges[2 * setup.rangePair], m_ranges[2 * setup.rangePair + 1], unit, m_quantity);
}

void CDlgMimic::TakeRanges(const float* ranges) {
    std::memcpy(m_ranges, ranges, sizeof m_ranges);
}

LRESULT CDlgMimic::OnCoordRange(WPARAM ranges, LPARAM) {
    if (ranges == 0)
        return 0;
    TakeRanges(reinterpret_cast<const float*>(ranges));
    if (m_initialised && m_quantity != static_cast<int>(play::SensorQuantity::Alarm))
        RangeChart();
    return 0;
}

void CDlgMimic::OnSpeed() {
    SelectQuantity(0);
}

void CDlgMimic::OnAcceleration() {
    SelectQuantity(1);
}

void CDlgMimic::OnTemperature() {
    SelectQuantity(2);
}

void CDlgMimic::OnVoltage() {
    SelectQuantity(3);
}

void CDlgMimic::OnAlarm() {
    SelectQuantity(4);
}
