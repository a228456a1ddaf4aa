// app/browse/calendar_model.h
//
// The month calendar of the recording list page without its window: the year
// and month combos, the 31 day buttons (which are shown, which enabled, which
// selected), and the day search a change asks for. The CDlgCalendar is a shell
// over it: it fills its combos and buttons from what the model says after every
// call, and hands the day string a call returns to the recording list page.
//
// A day is a string of six digits, two each for the year counted from 2000, the
// month and the day ("%02d%02d%02d"). SetDays sorts the days, offers their
// years and the months of the first year, shows the first month and selects its
// earliest day; every change of month does the same, and the day of the
// selected button is what the page searches. With no day (no disk) a click only
// moves the selection.
//
// A day string that is not a date (not six digits, a month outside 1..12, a
// day outside 1..31 or past the end of its month) is left out of the table: it
// marks no button and offers no year or month. A month in which no day is
// marked selects no day and searches nothing. A click on a day the shown month
// does not have (a hidden button) does nothing. SetDays with no day shows
// today's month with nothing marked.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/base/pixel_rect.h"

namespace browse {

struct CalendarDate {
    int year = 2000;  // full year
    int month = 1;
    int day = 1;
    bool operator==(const CalendarDate&) const = default;
};

inline constexpr int kCalendarDayButtons = 31;

// Months of 31 and 30 days; February 29 days in years divisible by 4.
int DaysInMonth(int year, int month);
// Weekday of the first of the month, Sunday 0.
int FirstWeekday(int year, int month);
// "%02d%02d%02d" of the year counted from 2000, the month and the day.
std::string DayString(const CalendarDate& date);
std::optional<CalendarDate> ParseDayString(std::string_view day);

class CalendarModel {
  public:
    // As created: the combos hold today's year and month, today's button is
    // selected, no day is marked.
    explicit CalendarModel(const CalendarDate& today);

    // Each returns the day to search, if any.
    std::optional<std::string> SetDays(const std::vector<std::string>& days);
    std::optional<std::string> SelectYear(int index);   // the year combo's choice
    std::optional<std::string> SelectMonth(int index);  // the month combo's choice
    std::optional<std::string> ShowMonth();
    std::optional<std::string> OnDayClicked(int day);  // 1..31

    const std::vector<int>& Years() const { return years_; }  // full years, as the combo lists them
    int YearIndex() const { return yearIndex_; }
    const std::vector<int>& Months() const { return months_; }
    int MonthIndex() const { return monthIndex_; }
    int ShownYear() const;
    int ShownMonth() const;

    int VisibleDays() const { return visibleDays_; }  // buttons shown: 28 to 31
    int FirstColumn() const { return firstColumn_; }  // column of day 1, Sunday 0
    bool DayMarked(int day) const;                    // enabled: the day holds recordings
    int SelectedDay() const { return selected_; }     // 0: none
    int DayCount() const { return static_cast<int>(days_.size()); }
    const std::vector<std::string>& Days() const { return days_; }

  private:
    void FillMonths();
    std::optional<std::string> Select(int day);

    CalendarDate today_;
    std::vector<std::string> days_;  // sorted
    std::vector<int> years_;
    std::vector<int> months_;
    int yearIndex_ = 0;
    int monthIndex_ = 0;
    int visibleDays_ = 31;
    int firstColumn_ = 0;
    std::array<bool, kCalendarDayButtons> marked_{};
    int selected_ = 0;
    bool forceReselect_ = false;
};

// Where the calendar's controls go in a client rectangle.
struct CalendarLayout {
    play::PixelRect yearLabel;
    play::PixelRect yearCombo;  // height: the drop-down's
    play::PixelRect monthLabel;
    play::PixelRect monthCombo;
    std::array<play::PixelRect, 7> weekdays;  // Sunday first
    play::PixelRect dayArea;
};
CalendarLayout LayoutCalendar(const play::PixelRect& client);
// A day button (30 x 20) with day 1 in column `firstColumn`, rows wrapping
// after Saturday.
play::PixelRect DayButtonRect(int day, int firstColumn, const play::PixelRect& client);

// Colours (COLORREF, 0x00BBGGRR).
inline constexpr uint32_t kCalendarBackground = 0x514845;
inline constexpr uint32_t kCalendarFrame = 0x7D7D7D;
inline constexpr uint32_t kCalendarWeekdayStrip = 0x2E2B29;
inline constexpr uint32_t kCalendarSelection = 0x0000FF;
inline constexpr uint32_t kCalendarLabelText = 0xE1E100;
inline constexpr uint32_t kCalendarDayText = 0xE0E0E0;

}  // namespace browse
