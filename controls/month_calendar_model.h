// controls/month_calendar_model.h
//
// The month calendar window (CCalendarWnd, controls/month_calendar_wnd.h)
// without its windows: the date it shows with its range, the month's grid of
// day cells, the marked days, the selection (one day, or several in
// multi-selection mode), the mouse rules, the navigation buttons and their
// auto-repeat, the caption's weekday columns and how each day cell looks. The
// windows only forward their messages here and paint what the model says.
//
// Dates are CalendarTime values with a status (valid, invalid, null), as the
// calendar's users hand them in and read them back; a valid one lies between
// the years 100 and 9999 and names a real day and time. Month lengths follow
// the Gregorian rule (February has 29 days in years divisible by 4 and either
// not by 100 or by 400).
//
// Decisions where the behaviour is otherwise open or unsound:
// - A mark index outside 0..30 (day 1..31) is ignored, negative ones too.
// - Shift-click with no selected run before or after the day anchors the run
//   on the clicked day; the search for a run before the day goes down to
//   day 1, so a run that starts on the 1st is found.
// - Dragging a shift range back over its anchor unselects the days of the old
//   range that the new one no longer covers, on either side of the anchor.
// - The first day of the week moves the grid's columns, the caption's
//   weekday names and the weekday selection together: column 1 is always the
//   first day of the week, and the selection outline treats columns 1 and 7
//   as the ends of a row.
// - A date whose fields are not a real date or time counts as invalid; its
//   fields read as -1.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "winlib/pixel_rect.h"

namespace controls {

enum class DateStatus { kValid, kInvalid, kNull };

// A date and time with a status.
struct CalendarTime {
    int year = -1;
    int month = -1;
    int day = -1;
    int hour = -1;
    int minute = -1;
    int second = -1;
    DateStatus status = DateStatus::kNull;

    // Valid when the fields form a real date and time, else invalid.
    static CalendarTime Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    // The zero date of the system's date-time type: 1899-12-30 00:00:00.
    static CalendarTime Zero() { return Make(1899, 12, 30); }

    bool Valid() const { return status == DateStatus::kValid; }
    // Seconds since a fixed day of a valid date (0 for another), for ordering.
    int64_t Key() const;
    bool SameMoment(const CalendarTime& other) const;
};

// Days of `month` (1..12) in `year`; 0 for another month.
int GetDaysInMonth(int month, int year);
// 0 Sunday .. 6 Saturday (proleptic Gregorian).
int Weekday(int year, int month, int day);
// The first day of the week (0 Sunday) from the locale's LOCALE_IFIRSTDAYOFWEEK
// text ("0" Monday .. "6" Sunday): the first character minus '/', modulo 7;
// 1 when that is negative (an empty or odd text).
int FirstDayOfWeekFromLocale(const char* text);

using winlib::PixelRect;

inline constexpr int kCalendarDays = 31;
inline constexpr int kCaptionHeight = 36;
inline constexpr int kCalendarWidth = 192;
inline constexpr int kCalendarGridHeight = 162;  // the height above the tool bar
inline constexpr int kHoverInflate = 3;          // hover repaints reach this far around a cell

// Cursor resources of the calendar and its tool bar.
inline constexpr int kCursorPressed = 171;
inline constexpr int kCursorNormal = 172;

// What the window does after a mouse or focus message.
struct CalendarResponse {
    enum class Capture { kKeep, kTake, kRelease };
    Capture capture = Capture::kKeep;
    int cursor = 0;                // kCursorPressed or kCursorNormal; 0 leaves it
    std::vector<int> repaintDays;  // cells to repaint (inflated by kHoverInflate)
    bool repaintAll = false;
    bool dateChanged = false;  // post WM_CALENDAR_DATE_CHANGED
};

// How one day cell is painted.
struct DayLook {
    enum class Frame { kNone, kSunken, kRaised };
    bool markedFrame = false;      // sunken frame with the marked fill one pixel inside
    std::optional<uint32_t> fill;  // then this fill one pixel inside
    uint32_t text = 0;             // COLORREF, or kGrayText
    bool outlineLeft = false;      // multi mode: the selected block's outline
    bool outlineTop = false;
    bool outlineRight = false;
    bool outlineBottom = false;
    Frame frame = Frame::kNone;  // drawn last
    bool operator==(const DayLook&) const = default;
};

// The calendar's colours (COLORREF).
struct CalendarColours {
    uint32_t background = 0xFFFFFF;
    uint32_t lightEdge = 0xFFFFFF;
    uint32_t darkEdge = 0x404040;
    uint32_t dayText = 0x000000;
    uint32_t selectedBackground = 0xC0C0C0;
    uint32_t selectedText = 0x000000;
    uint32_t todayBackground = 0xE1FFFF;
    uint32_t todayText = 0x000000;
    uint32_t marked = 0x0D5A0D;
};
// Stands for the system's grey text colour in DayLook::text.
inline constexpr uint32_t kGrayText = 0xFF000000;

class MonthCalendarModel {
  public:
    // The current date is `today`; the range 1990-01-01 .. 2090-12-31
    // 23:59:59; no marks; one-day mode; Sunday first.
    explicit MonthCalendarModel(const CalendarTime& today);

    void SetFirstDayOfWeek(int first);  // 0..6, else Sunday
    int FirstDayOfWeek() const { return firstDay_; }

    // ---- the date -----------------------------------------------------------------
    const CalendarTime& GetDate() const { return date_; }
    // False (nothing changed) for an invalid date or one outside the range;
    // otherwise the date, the month's length, the moved multi-selection and
    // the grid are the new month's.
    bool SetDate(const CalendarTime& date);
    // The minimum becomes 1990-01-01 unless it is valid and later; a maximum
    // that is not valid, the zero date or not earlier than 2090-12-31
    // 23:59:59 becomes that date.
    void SetDateRange(const CalendarTime& minimum, const CalendarTime& maximum);
    const CalendarTime& Minimum() const { return minimum_; }
    const CalendarTime& Maximum() const { return maximum_; }
    int DaysInShownMonth() const { return days_; }
    bool InRange(int day) const;

    // Buttons 0 year back, 1 month back, 2 today, 3 month forward, 4 year
    // forward. Every call clears the marks; false means beep (nothing moved
    // or the date was refused).
    bool Navigate(int button, const CalendarTime& today);

    // ---- marks ----------------------------------------------------------------------
    // index = day - 1; a non-zero mark sets the flag, zero leaves it. False
    // when the index is outside 0..30 (nothing changed, nothing to repaint).
    bool SetDayMarked(int mark, int index);
    void ClearMarkedDays(bool clear);
    bool IsMarked(int day) const;

    // ---- selection ------------------------------------------------------------------
    // True when the mode changed (the list is emptied).
    bool SetSelectionMode(int mode);
    int SelectionMode() const { return multi_; }
    const std::vector<int>& SelectedDays() const { return selected_; }
    bool IsSelected(int day) const;
    // The caption's weekday button (column 1..7): with `replace` the list is
    // emptied first; then every day in that column is toggled.
    void SelectWeekday(int column, bool replace);

    // ---- the grid -------------------------------------------------------------------
    // The calendar's client size and its tool bar's height.
    void Layout(int cx, int cy, int barHeight);
    const PixelRect& GridRect() const { return grid_; }
    PixelRect DayRect(int day) const;  // empty for a day the month lacks
    int ColumnOf(int day) const;       // 1..7
    int HitTest(int x, int y) const;   // the day (in range) under the point, 0 for none
    // The weekday (0 Sunday) of caption column 1..7.
    int WeekdayOfColumn(int column) const { return (column - 1 + firstDay_) % 7; }

    // ---- mouse and focus ----------------------------------------------------------------
    CalendarResponse LButtonDown(int x, int y, bool inClient, bool shift, bool control);
    CalendarResponse MouseMove(int x, int y, bool shift, bool leftDown, bool captured);
    CalendarResponse LButtonUp(int x, int y, bool control);
    CalendarResponse KillFocus();
    int Pressed() const { return pressed_; }
    int Hovered() const { return hovered_; }
    int Anchor() const { return anchor_; }
    int RangeEnd() const { return rangeEnd_; }

    // How `day` is painted with `today` the local date.
    DayLook LookOf(int day, const CalendarColours& colours, const CalendarTime& today) const;

  private:
    void Recompute();
    void AddDay(int day, CalendarResponse* r);
    void RemoveDay(int day, CalendarResponse* r);
    void ShiftRange(int day, CalendarResponse* r);

    CalendarTime date_;
    CalendarTime minimum_;
    CalendarTime maximum_;
    int firstDay_ = 0;
    int days_ = 31;
    std::array<bool, kCalendarDays> marks_{};
    int multi_ = 0;
    std::vector<int> selected_;  // ascending
    int anchor_ = -1;
    int rangeEnd_ = -1;
    int hovered_ = 0;
    int pressed_ = 0;
    PixelRect grid_;
    std::array<PixelRect, kCalendarDays> cells_{};
};

// ---- the caption ----------------------------------------------------------------------

// "%04d-%02d" of the year and month (-1 for an invalid date).
std::string CaptionTitle(const CalendarTime& date);
// The caption's bands and weekday columns for its client size.
struct CaptionLayout {
    PixelRect title;     // the top 3/5
    PixelRect weekdays;  // from one pixel below the title to the bottom
    std::array<PixelRect, 7> columns;
};
CaptionLayout LayoutCaption(int cx, int cy);

// ---- the tool bar ---------------------------------------------------------------------

inline constexpr int kToolBarButtons = 5;
inline constexpr int kTodayButton = 2;
inline constexpr int kRepeatTimerId = 1;
inline constexpr int kRepeatFirstMs = 300;
inline constexpr int kRepeatFastMs = 100;
inline constexpr int kRepeatSlowSteps = 10;  // ticks counted before the fast pace

struct ToolBarLayout {
    std::array<PixelRect, kToolBarButtons> buttons;
};
// Button height = 2 x image height; the bar is button height x 3 / 2 + 2 high.
int ToolBarButtonHeight(int imageHeight);
int ToolBarHeight(int imageHeight);
ToolBarLayout LayoutToolBar(int cx, int cy, int imageHeight);
int ToolBarHitTest(const ToolBarLayout& layout, int x, int y);  // -1 for none

// The held button's timer: 300 ms ticks until ten have been counted, then
// the next tick switches to 100 ms.
class AutoRepeat {
  public:
    void Start() {
        repeating_ = true;
        counter_ = 0;
    }
    void Stop() { repeating_ = false; }
    // A tick: the interval to restart the timer with, or nothing to keep it.
    std::optional<int> Tick();
    bool Repeating() const { return repeating_; }

  private:
    bool repeating_ = false;
    int counter_ = 0;
};

}  // namespace controls
