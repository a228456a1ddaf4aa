// app/browse/calendar_wnd.cpp
#include "app/browse/calendar_wnd.h"

namespace {

constexpr int kDayFontHeight = 15;
constexpr int kLabelFontHeight = -12;
constexpr int kDayCaptionTop = 2;
constexpr COLORREF kKeyColour = RGB(255, 0, 255);

// Language strings.
constexpr int kStrYear = 114;
constexpr int kStrMonth = 115;
constexpr int kStrSunday = 116;  // to 122, Saturday

CString Number(int value) {
    CString text;
    text.Format("%d", value);
    return text;
}

// Refills a combo when its items differ from `values`, and selects `index`.
void ShowChoices(CComboBox& combo, const std::vector<int>& values, int index) {
    bool same = combo.GetCount() == static_cast<int>(values.size());
    for (size_t i = 0; same && i < values.size(); i++) {
        CString item;
        combo.GetLBText(static_cast<int>(i), item);
        same = item == Number(values[i]);
    }
    if (!same) {
        combo.ResetContent();
        for (const int value : values)
            combo.AddString(Number(value));
    }
    combo.SetCurSel(index);
}

}  // namespace

browse::CalendarDate LocalToday() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

BEGIN_MESSAGE_MAP(CDlgCalendar, CPlayChildDialog)
ON_CONTROL_RANGE(BN_CLICKED,
                 IDC_CALENDAR_DAY1,
                 IDC_CALENDAR_DAY1 + browse::kCalendarDayButtons - 1,
                 &CDlgCalendar::OnDayClicked)
ON_CBN_SELCHANGE(IDC_CALENDAR_YEAR, &CDlgCalendar::OnYearChosen)
ON_CBN_SELCHANGE(IDC_CALENDAR_MONTH, &CDlgCalendar::OnMonthChosen)
END_MESSAGE_MAP()

CDlgCalendar::CDlgCalendar() : CPlayChildDialog(IDD, Face::Painted), m_model(LocalToday()) {}

void CDlgCalendar::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CALENDAR_YEAR, m_comboYear);
    DDX_Control(dx, IDC_CALENDAR_MONTH, m_comboMonth);
    DDX_Control(dx, IDC_CALENDAR_YEAR_LABEL, m_labelYear);
    DDX_Control(dx, IDC_CALENDAR_MONTH_LABEL, m_labelMonth);
    for (int i = 0; i < 7; i++)
        DDX_Control(dx, IDC_CALENDAR_SUNDAY + i, m_weekdays[i]);
    for (int i = 0; i < browse::kCalendarDayButtons; i++)
        DDX_Control(dx, IDC_CALENDAR_DAY1 + i, m_days[i]);
}

BOOL CDlgCalendar::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_owner = dynamic_cast<CalendarDayOwner*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
    for (int i = 0; i < browse::kCalendarDayButtons; i++) {
        m_days[i].SetImageFile(IDB_CALENDAR_DAY, kKeyColour, 0);
        m_days[i].SetCaption(0, kDayCaptionTop, 0, Number(i + 1), browse::kCalendarDayText, kDayFontHeight);
    }
    CColorStatic* labels[] = {&m_labelYear, &m_labelMonth};
    const int labelTexts[] = {kStrYear, kStrMonth};
    // The window paints around its children: each label fills its own
    // background with the colour behind it.
    for (int i = 0; i < 2; i++) {
        if (m_pConfig != nullptr)
            labels[i]->SetWindowText(m_pConfig->LoadLangString(labelTexts[i]));
        labels[i]->SetTextStyle(browse::kCalendarLabelText, kLabelFontHeight);
        labels[i]->SetBackground(browse::kCalendarBackground);
    }
    for (int i = 0; i < 7; i++) {
        if (m_pConfig != nullptr)
            m_weekdays[i].SetWindowText(m_pConfig->LoadLangString(kStrSunday + i));
        m_weekdays[i].SetTextStyle(browse::kCalendarLabelText, kLabelFontHeight);
        m_weekdays[i].SetBackground(browse::kCalendarWeekdayStrip);
    }
    ShowModel();
    ChildrenMade();
    return TRUE;
}

void CDlgCalendar::SetDays(const std::vector<std::string>& days) {
    Apply(m_model.SetDays(days));
}

void CDlgCalendar::Apply(const std::optional<std::string>& day) {
    ShowModel();
    LayOut();
    if (day && m_owner != nullptr)
        m_owner->OnSearchDay(*day);
}

void CDlgCalendar::ShowModel() {
    if (m_hWnd == nullptr)
        return;
    ShowChoices(m_comboYear, m_model.Years(), m_model.YearIndex());
    ShowChoices(m_comboMonth, m_model.Months(), m_model.MonthIndex());
    for (int day = 1; day <= browse::kCalendarDayButtons; day++) {
        CBmpButton& button = m_days[day - 1];
        button.EnableWindow(m_model.DayMarked(day));
        button.SetCheckState(day == m_model.SelectedDay());
    }
}

void CDlgCalendar::PlaceChildren() {
    const play::PixelRect client = play_wnd::ClientOf(*this);
    const browse::CalendarLayout layout = browse::LayoutCalendar(client);
    play_wnd::Place(m_labelYear, layout.yearLabel);
    play_wnd::Place(m_comboYear, layout.yearCombo);
    play_wnd::Place(m_labelMonth, layout.monthLabel);
    play_wnd::Place(m_comboMonth, layout.monthCombo);
    for (int i = 0; i < 7; i++)
        play_wnd::Place(m_weekdays[i], layout.weekdays[i]);
    for (int day = 1; day <= browse::kCalendarDayButtons; day++) {
        CBmpButton& button = m_days[day - 1];
        const bool shown = day <= m_model.VisibleDays();
        if (shown)
            play_wnd::Place(button, browse::DayButtonRect(day, m_model.FirstColumn(), client));
        button.ShowWindow(shown ? SW_SHOW : SW_HIDE);
    }
    Invalidate(FALSE);
}

void CDlgCalendar::PaintFace(CDC& dc, const CRect& client) {
    dc.FillSolidRect(&client, browse::kCalendarBackground);
    CBrush frame(browse::kCalendarFrame);
    dc.FrameRect(&client, &frame);
    const RECT strip{client.left + 1, client.top + 35, client.right - 1, client.top + 55};
    dc.FillSolidRect(&strip, browse::kCalendarWeekdayStrip);
    const int selected = m_model.SelectedDay();
    if (selected >= 1 && selected <= m_model.VisibleDays()) {
        CBmpButton& button = m_days[selected - 1];
        RECT r;
        button.GetWindowRect(&r);
        ScreenToClient(&r);
        ::InflateRect(&r, 1, 1);
        CBrush selection(browse::kCalendarSelection);
        dc.FrameRect(&r, &selection);
    }
}

void CDlgCalendar::OnDayClicked(UINT id) {
    Apply(m_model.OnDayClicked(static_cast<int>(id - IDC_CALENDAR_DAY1) + 1));
}

void CDlgCalendar::OnYearChosen() {
    Apply(m_model.SelectYear(m_comboYear.GetCurSel()));
}

void CDlgCalendar::OnMonthChosen() {
    Apply(m_model.SelectMonth(m_comboMonth.GetCurSel()));
}
