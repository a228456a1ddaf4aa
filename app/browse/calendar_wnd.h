// app/browse/calendar_wnd.h
//
// CDlgCalendar: the month calendar under the recording list (child dialog
// IDD_CALENDAR). A thin shell over browse::CalendarModel, which decides the
// years and months offered, which day buttons show and which are enabled (the
// days with recordings) and which is selected; after every call the dialog
// copies that into its combos and buttons, and hands the day the model asks
// to search to its owner, the recording list page.
//
// The owner is the parent window's object when it is a CalendarDayOwner
// (the recording list page); without one, a click only moves the selection.
//
// The selected day button is framed in red, one pixel outside the button,
// on the calendar's own background. The labels are filled with the colour
// behind them (the window paints around its children, so nothing else would).
#pragma once

#include <string>
#include <vector>

#include "app/base/play_child_wnd.h"
#include "app/browse/calendar_model.h"
#include "controls/bmp_button.h"
#include "controls/color_static.h"
#include "res/file_list_ids.h"

// Today in local time.
browse::CalendarDate LocalToday();

// Whoever searches the day the calendar selects.
class CalendarDayOwner {
  public:
    virtual ~CalendarDayOwner() = default;
    virtual void OnSearchDay(const std::string& day) = 0;
};

class CDlgCalendar : public CPlayChildDialog {
  public:
    enum { IDD = IDD_CALENDAR };
    CDlgCalendar();

    // Replaces the days with recordings ("YYMMDD"), shows the first month and
    // selects (and searches) its earliest day.
    void SetDays(const std::vector<std::string>& days);

    const browse::CalendarModel& Model() const { return m_model; }

    CComboBox m_comboYear;
    CComboBox m_comboMonth;
    CColorStatic m_labelYear;
    CColorStatic m_labelMonth;
    CColorStatic m_weekdays[7];
    CBmpButton m_days[browse::kCalendarDayButtons];

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    void PaintFace(CDC& dc, const CRect& client) override;
    afx_msg void OnDayClicked(UINT id);
    afx_msg void OnYearChosen();
    afx_msg void OnMonthChosen();
    DECLARE_MESSAGE_MAP()

  private:
    // Acts on what a model call returned: shows the model, searches the day.
    void Apply(const std::optional<std::string>& day);
    void ShowModel();

    browse::CalendarModel m_model;
    CalendarDayOwner* m_owner = nullptr;
};
