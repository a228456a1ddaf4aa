// app/browse/calendar_model.cpp
#include "app/browse/calendar_model.h"

#include <algorithm>
#include <cstdio>

namespace browse {

int DaysInMonth(int year, int month) {
    switch (month) {
        case 1:
        case 3:
        case 5:
        case 7:
        case 8:
        case 10:
        case 12:
            return 31;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            return year % 4 == 0 ? 29 : 28;
        default:
            return 0;
    }
}

int FirstWeekday(int year, int month) {
    if (month < 1 || month > 12)
        return 0;
    static constexpr int kMonthOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int y = month < 3 ? year - 1 : year;
    return ((y + y / 4 - y / 100 + y / 400 + kMonthOffset[month - 1] + 1) % 7 + 7) % 7;
}

std::string DayString(const CalendarDate& date) {
    char text[48];
    std::snprintf(text, sizeof text, "%02d%02d%02d", date.year - 2000, date.month, date.day);
    return text;
}

std::optional<CalendarDate> ParseDayString(std::string_view day) {
    if (day.size() != 6 || !std::all_of(day.begin(), day.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto two = [&](size_t at) { return (day[at] - '0') * 10 + (day[at + 1] - '0'); };
    const CalendarDate date{2000 + two(0), two(2), two(4)};
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > DaysInMonth(date.year, date.month))
        return std::nullopt;
    return date;
}

CalendarModel::CalendarModel(const CalendarDate& today)
    : today_(today), years_{today.year}, months_{today.month} {
    visibleDays_ = std::max(DaysInMonth(today.year, today.month), 28);
    firstColumn_ = FirstWeekday(today.year, today.month);
    selected_ = today.day >= 1 && today.day <= visibleDays_ ? today.day : 0;
}

int CalendarModel::ShownYear() const {
    return years_.empty() ? today_.year : years_[yearIndex_];
}

int CalendarModel::ShownMonth() const {
    return months_.empty() ? today_.month : months_[monthIndex_];
}

bool CalendarModel::DayMarked(int day) const {
    return day >= 1 && day <= kCalendarDayButtons && marked_[day - 1];
}

std::optional<std::string> CalendarModel::SetDays(const std::vector<std::string>& days) {
    days_.clear();
    for (const std::string& day : days)
        if (ParseDayString(day))
            days_.push_back(day);
    std::sort(days_.begin(), days_.end());
    days_.erase(std::unique(days_.begin(), days_.end()), days_.end());

    years_.clear();
    for (const std::string& day : days_) {
        const int year = ParseDayString(day)->year;
        if (years_.empty() || years_.back() != year)
            years_.push_back(year);
    }
    if (years_.empty()) {
        years_ = {today_.year};
        months_ = {today_.month};
        yearIndex_ = monthIndex_ = 0;
        return ShowMonth();
    }
    return SelectYear(0);
}

void CalendarModel::FillMonths() {
    months_.clear();
    for (const std::string& day : days_) {
        const CalendarDate date = *ParseDayString(day);
        if (date.year == ShownYear() && (months_.empty() || months_.back() != date.month))
            months_.push_back(date.month);
    }
}

std::optional<std::string> CalendarModel::SelectYear(int index) {
    if (index < 0 || index >= static_cast<int>(years_.size()))
        return std::nullopt;
    yearIndex_ = index;
    if (days_.empty())
        return std::nullopt;
    FillMonths();
    monthIndex_ = 0;
    return ShowMonth();
}

std::optional<std::string> CalendarModel::SelectMonth(int index) {
    if (index < 0 || index >= static_cast<int>(months_.size()))
        return std::nullopt;
    monthIndex_ = index;
    return ShowMonth();
}

std::optional<std::string> CalendarModel::ShowMonth() {
    const int year = ShownYear(), month = ShownMonth();
    marked_.fill(false);
    visibleDays_ = DaysInMonth(year, month);
    firstColumn_ = FirstWeekday(year, month);
    int earliest = 0;
    for (const std::string& day : days_) {
        const CalendarDate date = *ParseDayString(day);
        if (date.year != year || date.month != month)
            continue;
        marked_[date.day - 1] = true;
        if (earliest == 0)
            earliest = date.day;
    }
    // With no table the selection stays where it was (today's button).
    if (!days_.empty())
        selected_ = earliest;
    forceReselect_ = true;
    return Select(selected_);
}

std::optional<std::string> CalendarModel::OnDayClicked(int day) {
    if (day < 1 || day > visibleDays_)
        return std::nullopt;
    return Select(day);
}

std::optional<std::string> CalendarModel::Select(int day) {
    const int previous = selected_;
    selected_ = day;
    if (previous == day && !forceReselect_)
        return std::nullopt;
    forceReselect_ = false;
    if (days_.empty() || day == 0)
        return std::nullopt;
    return DayString({ShownYear(), ShownMonth(), day});
}

CalendarLayout LayoutCalendar(const play::PixelRect& client) {
    const int l = client.x, t = client.y, r = client.right(), b = client.bottom();
    CalendarLayout layout;
    layout.yearLabel = {l + 6, t + 8, 40, 22};
    layout.yearCombo = {l + 46, t + 8, 70, 200};
    layout.monthLabel = {r - 120, t + 8, 40, 22};
    layout.monthCombo = {r - 80, t + 8, 70, 200};
    for (int i = 0; i < 7; i++)
        layout.weekdays[i] = {l + 5 + i * (r - l) / 7, t + 35, 35, 20};
    layout.dayArea = {l + 5, t + 60, r - 4 - (l + 5), b - 5 - (t + 60)};
    return layout;
}

play::PixelRect DayButtonRect(int day, int firstColumn, const play::PixelRect& client) {
    const int columnWidth = client.width / 7;
    const int rowPitch = (client.height - 65) / 6;
    const int cell = firstColumn + day - 1;
    return {client.x + 5 + cell % 7 * columnWidth, client.y + 62 + cell / 7 * rowPitch, 30, 20};
}

}  // namespace browse
