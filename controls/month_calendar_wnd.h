// controls/month_calendar_wnd.h
//
// CCalendarWnd: the self-drawn month calendar of the network recorder page.
// A caption on top (the year and month, and the weekday names), the grid of
// the month's days with the days that hold recordings marked, and a tool bar
// at the bottom that steps a year or a month back or forward (holding a button
// repeats it, 11 steps at 300 ms, then every 100 ms) or goes to today. The
// user picks one day (or several in multi-selection mode, with Shift and
// Control; in that mode the caption's weekday names select whole columns).
//
// Every decision is the model's (controls/month_calendar_model.h); the three
// windows forward their messages to it and paint what it says. The owner
// hands over the texts (SetTexts) before Create, the colours after it; it
// marks days (SetDayMarked) when its queries answer and reads the date
// (GetDate) when the calendar posts WM_CALENDAR_DATE_CHANGED (wParam: the
// calendar's control id) after the date changed. Navigating clears every
// mark; a navigation that moves nothing beeps.
//
// The tool bar's images are bitmap IDB_CALENDAR_NAV (month_calendar_ids.h);
// the cursors over the calendar are resources 171 (pressed) and 172 (over
// it), or the system's hand and arrow when the program has none. The first
// day of the week comes from the user's locale. GUI thread only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>

#include "controls/month_calendar_messages.h"
#include "controls/month_calendar_model.h"
#include "winlib/winlib.h"

namespace controls {

// The texts the calendar shows.
struct CalendarTexts {
    std::array<CString, 7> weekdays;  // Sunday first
    CString today;
    std::array<CString, 4> tips;  // year back, month back, month forward, year forward
};

}  // namespace controls

class CCalendarWnd;

// The caption: the year and month on a grey-to-black band, the weekday names
// under it; in multi-selection mode the names are buttons.
class CCalendarCaptionWnd : public CWnd {
  public:
    BOOL Create(CCalendarWnd* owner, UINT id);
    void SetDate(const controls::CalendarTime& date);  // repaints
    void SetSelectionMode(int mode);
    void SetFirstDayOfWeek(int first);
    void SetNames(const std::array<CString, 7>& sundayFirst);

  protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

  private:
    void PaintBands(CDC& dc, const CRect& client);
    int ColumnAt(CPoint point) const;  // 1..7, 0 for none
    void RepaintColumn(int column);

    CCalendarWnd* m_owner = nullptr;
    int m_hovered = 0;
    int m_pressed = 0;
    std::array<CString, 7> m_names;  // Sunday first
    controls::CalendarTime m_date;
    int m_multi = 0;
    int m_firstDay = 0;
    CFont m_titleFont;
    CFont m_nameFont;
};

// The navigation tool bar: five buttons, the middle one "Today".
class CCalendarToolBarWnd : public CWnd {
  public:
    BOOL Create(CCalendarWnd* owner, UINT id);
    void SetTexts(const CString& today, const std::array<CString, 4>& tips);
    void SetColors(COLORREF background, COLORREF lightEdge, COLORREF darkEdge, COLORREF todayText);
    int BarHeight() const { return controls::ToolBarHeight(m_imageHeight); }

  protected:
    afx_msg int OnCreate(LPCREATESTRUCTA create);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnPaint();
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    int HitTest(CPoint point) const;
    void RepaintButton(int button);
    void PlaceTooltips();
    // Tooltip tool `tip` (0..3): its id and button rectangle.
    TTTOOLINFOA Tool(int tip) const;

    CCalendarWnd* m_owner = nullptr;
    COLORREF m_background = RGB(0x54, 0x54, 0x54);
    COLORREF m_lightEdge = 0;
    COLORREF m_darkEdge = 0;
    COLORREF m_todayText = 0;
    CString m_today;
    std::array<CString, 4> m_tips;
    CImageList m_images;
    int m_imageWidth = 10;
    int m_imageHeight = 9;
    controls::ToolBarLayout m_layout{};
    int m_hovered = -1;
    int m_pressed = -1;
    HWND m_tooltip = nullptr;
    controls::AutoRepeat m_repeat;
    BOOL m_tracking = FALSE;
    CFont m_font;
};

class CCalendarWnd : public CWnd {
  public:
    enum { kToolBarId = 1, kCaptionId = 2 };

    CCalendarWnd();
    ~CCalendarWnd() override;

    // Before Create: the weekday names, "Today" and the tool bar's tips.
    void SetTexts(const controls::CalendarTexts& texts) { m_texts = texts; }
    // A child of `parent` (or, with WS_POPUP in `style`, a top-most tool
    // window without a parent window that still reports to `parent`), made at
    // (x, y) and sized to its content: 192 x (tool bar + 162).
    BOOL Create(DWORD style, int x, int y, CWnd* parent, UINT id);

    void SetColors(const controls::CalendarColours& colours);
    const controls::CalendarColours& Colors() const { return m_colours; }
    // The tool bar: background 0x545454, the calendar's edges and day text.
    void UpdateToolBarColors();

    void SetSelectionMode(int mode);
    void SetDayMarked(int mark, int index);
    void ClearMarkedDays(int flag);
    const controls::CalendarTime& GetDate() const { return m_model.GetDate(); }
    BOOL SetDate(const controls::CalendarTime& date);
    void SetDateRange(const controls::CalendarTime& minimum, const controls::CalendarTime& maximum);
    static int GetDaysInMonth(int month, int year) { return controls::GetDaysInMonth(month, year); }
    // A tool bar button, 0..4.
    void Navigate(int button);
    // A caption weekday button (column 1..7).
    void SelectWeekday(int column, bool replace);

    const controls::MonthCalendarModel& Model() const { return m_model; }
    // Where day `day`'s cell lies in the client area (empty when the month lacks it).
    CRect DayRect(int day) const;

    static HCURSOR CursorFor(int resource);

  protected:
    afx_msg int OnCreate(LPCREATESTRUCTA create);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnKillFocus(CWnd* next);
    DECLARE_MESSAGE_MAP()

  private:
    void Respond(const controls::CalendarResponse& response);
    void DateChanged();
    void RepaintDay(int day, int inflate = 0);
    void PaintGrid(CDC& dc, const CRect& client);
    void PaintDay(CDC& dc, int day, const controls::CalendarTime& today);
    static controls::CalendarTime Today();

    controls::MonthCalendarModel m_model;
    controls::CalendarColours m_colours;
    controls::CalendarTexts m_texts;
    CCalendarToolBarWnd m_toolBar;
    CCalendarCaptionWnd m_caption;
    CFont m_dayFont;
    CWnd* m_parent = nullptr;
    BOOL m_popup = FALSE;
};
