// controls/month_calendar_model.cpp
#include "controls/month_calendar_model.h"

#include <algorithm>
#include <cstdio>

namespace controls {

namespace {

constexpr int kFirstYear = 100;  // the range of the system's date-time type
constexpr int kLastYear = 9999;

// Days since 0000-03-01 (proleptic Gregorian) of a real date.
int64_t DayNumber(int year, int month, int day) {
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = y / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

CalendarTime Invalid() {
    CalendarTime t;
    t.status = DateStatus::kInvalid;
    return t;
}

CalendarTime DefaultMinimum() {
    return CalendarTime::Make(1990, 1, 1);
}

CalendarTime DefaultMaximum() {
    return CalendarTime::Make(2090, 12, 31, 23, 59, 59);
}

bool Earlier(const CalendarTime& a, const CalendarTime& b) {
    return a.Key() < b.Key();
}

}  // namespace

// ---- dates ------------------------------------------------------------------------------

CalendarTime CalendarTime::Make(int year, int month, int day, int hour, int minute, int second) {
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1 ||
        day > GetDaysInMonth(month, year) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return Invalid();
    return CalendarTime{year, month, day, hour, minute, second, DateStatus::kValid};
}

int64_t CalendarTime::Key() const {
    if (!Valid())
        return 0;
    return DayNumber(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

bool CalendarTime::SameMoment(const CalendarTime& other) const {
    return status == other.status && (!Valid() || Key() == other.Key());
}

int GetDaysInMonth(int month, int year) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && year % 4 == 0 && (year % 100 != 0 || year % 400 == 0))
        return 29;
    return kDays[month - 1];
}

int Weekday(int year, int month, int day) {
    // 0000-03-01 was a Wednesday.
    return static_cast<int>((DayNumber(year, month, day) + 3) % 7);
}

int FirstDayOfWeekFromLocale(const char* text) {
    const int c = text != nullptr ? static_cast<unsigned char>(text[0]) : 0;
    const int first = (c - '/') % 7;
    return first < 0 ? 1 : first;
}

// ---- the model ----------------------------------------------------------------------------

MonthCalendarModel::MonthCalendarModel(const CalendarTime& today)
    : date_(today), minimum_(DefaultMinimum()), maximum_(DefaultMaximum()) {
    Recompute();
}

void MonthCalendarModel::SetFirstDayOfWeek(int first) {
    firstDay_ = first >= 0 && first <= 6 ? first : 0;
    Recompute();
}

bool MonthCalendarModel::InRange(int day) const {
    if (!date_.Valid() || day < 1 || day > days_)
        return false;
    const int64_t number = DayNumber(date_.year, date_.month, day);
    return number >= DayNumber(minimum_.year, minimum_.month, minimum_.day) &&
           number <= DayNumber(maximum_.year, maximum_.month, maximum_.day);
}

bool MonthCalendarModel::SetDate(const CalendarTime& date) {
    if (!date.Valid() || Earlier(date, minimum_) || Earlier(maximum_, date))
        return false;
    // The selected days keep their grid cells: shifted by the difference of
    // the weekdays of the two months' first days.
    const int shift =
        date_.Valid() ? Weekday(date_.year, date_.month, 1) - Weekday(date.year, date.month, 1) : 0;
    date_ = date;
    Recompute();
    std::vector<int> moved;
    for (int d : selected_) {
        const int n = d + shift;
        if (n >= 1 && n <= days_)
            moved.push_back(n);
    }
    std::sort(moved.begin(), moved.end());
    selected_ = std::move(moved);
    return true;
}

void MonthCalendarModel::SetDateRange(const CalendarTime& minimum, const CalendarTime& maximum) {
    const CalendarTime lowest = DefaultMinimum();
    minimum_ = minimum.Valid() && Earlier(lowest, minimum) ? minimum : lowest;
    const CalendarTime highest = DefaultMaximum();
    const bool keep =
        maximum.Valid() && !maximum.SameMoment(CalendarTime::Zero()) && Earlier(maximum, highest);
    maximum_ = keep ? maximum : highest;
}

bool MonthCalendarModel::Navigate(int button, const CalendarTime& today) {
    if (button < 0 || button > 4)
        return true;
    int year = date_.year;
    int month = date_.month;
    int day = date_.day;
    int direction = 0;
    switch (button) {
        case 0:
            year -= 1;
            direction = -1;
            break;
        case 1:
            if (--month < 1) {
                month = 12;
                year -= 1;
            }
            direction = -1;
            break;
        case 2:
            year = today.year;
            month = today.month;
            day = today.day;
            break;
        case 3:
            if (++month > 12) {
                month = 1;
                year += 1;
            }
            direction = 1;
            break;
        default:
            year += 1;
            direction = 1;
            break;
    }
    day = std::min(day, GetDaysInMonth(month, year));
    CalendarTime next = CalendarTime::Make(year, month, day, date_.hour, date_.minute, 0);
    if (next.Valid()) {
        if (direction > 0 && Earlier(maximum_, next))
            next = maximum_;
        else if (direction < 0 && Earlier(next, minimum_))
            next = minimum_;
    }
    const bool moved = !next.SameMoment(date_) && SetDate(next);
    ClearMarkedDays(true);
    return moved;
}

// ---- marks --------------------------------------------------------------------------------

bool MonthCalendarModel::SetDayMarked(int mark, int index) {
    if (index < 0 || index >= kCalendarDays)
        return false;
    if (mark != 0)
        marks_[index] = true;
    return true;
}

void MonthCalendarModel::ClearMarkedDays(bool clear) {
    if (clear)
        marks_.fill(false);
}

bool MonthCalendarModel::IsMarked(int day) const {
    return day >= 1 && day <= kCalendarDays && marks_[day - 1];
}

// ---- selection ----------------------------------------------------------------------------

bool MonthCalendarModel::SetSelectionMode(int mode) {
    if (mode == multi_)
        return false;
    multi_ = mode;
    selected_.clear();
    return true;
}

bool MonthCalendarModel::IsSelected(int day) const {
    if (day < 1 || day > days_)
        return false;
    if (multi_ != 0)
        return std::binary_search(selected_.begin(), selected_.end(), day);
    return date_.Valid() && date_.day == day;
}

void MonthCalendarModel::SelectWeekday(int column, bool replace) {
    if (replace)
        selected_.clear();
    for (int d = 1; d <= days_; ++d) {
        if (ColumnOf(d) != column)
            continue;
        if (std::binary_search(selected_.begin(), selected_.end(), d))
            RemoveDay(d, nullptr);
        else
            AddDay(d, nullptr);
    }
}

void MonthCalendarModel::AddDay(int day, CalendarResponse* r) {
    if (day < 1 || day > days_)
        return;
    const auto at = std::lower_bound(selected_.begin(), selected_.end(), day);
    if (at != selected_.end() && *at == day)
        return;
    selected_.insert(at, day);
    if (r != nullptr)
        r->repaintDays.push_back(day);
}

void MonthCalendarModel::RemoveDay(int day, CalendarResponse* r) {
    const auto at = std::lower_bound(selected_.begin(), selected_.end(), day);
    if (at == selected_.end() || *at != day)
        return;
    selected_.erase(at);
    if (r != nullptr)
        r->repaintDays.push_back(day);
}

// ---- the grid -----------------------------------------------------------------------------

void MonthCalendarModel::Layout(int cx, int cy, int barHeight) {
    grid_ = {10, 41, cx - 20, cy - barHeight - 5 - 41};
    Recompute();
}

void MonthCalendarModel::Recompute() {
    days_ = date_.Valid() ? GetDaysInMonth(date_.month, date_.year) : 0;
    cells_.fill(PixelRect{});
    const int width = std::max(0, grid_.width / 7);
    const int height = std::max(0, grid_.height / 6);
    int top = grid_.y;
    for (int d = 1; d <= days_; ++d) {
        const int column = ColumnOf(d);
        cells_[d - 1] = {grid_.x + (column - 1) * width, top, width, height};
        if (column == 7)
            top += height;
    }
}

PixelRect MonthCalendarModel::DayRect(int day) const {
    return day >= 1 && day <= days_ ? cells_[day - 1] : PixelRect{};
}

int MonthCalendarModel::ColumnOf(int day) const {
    if (!date_.Valid())
        return 1;
    return (Weekday(date_.year, date_.month, day) - firstDay_ + 7) % 7 + 1;
}

int MonthCalendarModel::HitTest(int x, int y) const {
    for (int d = 1; d <= days_; ++d)
        if (cells_[d - 1].Contains(x, y) && InRange(d))
            return d;
    return 0;
}

// ---- mouse and focus --------------------------------------------------------------------------

CalendarResponse MonthCalendarModel::LButtonDown(int x, int y, bool inClient, bool shift, bool control) {
    CalendarResponse r;
    if (!inClient) {
        r.capture = CalendarResponse::Capture::kRelease;
        return r;
    }
    const int day = HitTest(x, y);
    pressed_ = hovered_ = day;
    const bool hadSelection = !selected_.empty();
    int anchor = -1;
    int end = -1;
    if (shift) {
        // The selected run nearest before the day, else the one after it.
        for (int d = day - 1; d >= 1 && end < 0; --d)
            if (std::binary_search(selected_.begin(), selected_.end(), d)) {
                end = anchor = d;
                while (anchor > 1 && std::binary_search(selected_.begin(), selected_.end(), anchor - 1))
                    --anchor;
            }
        for (int d = day + 1; d <= days_ && end < 0; ++d)
            if (std::binary_search(selected_.begin(), selected_.end(), d)) {
                anchor = end = d;
                while (end < days_ && std::binary_search(selected_.begin(), selected_.end(), end + 1))
                    ++end;
            }
        if (end < 0 && day != 0)
            anchor = end = day;
        selected_.clear();
    } else if (!control) {
        selected_.clear();
    }
    r.repaintAll = hadSelection && selected_.empty();
    if (day != 0)
        r.repaintDays.push_back(day);
    r.cursor = kCursorPressed;
    if (multi_ != 0 && shift && anchor > 0) {
        anchor_ = anchor;
        rangeEnd_ = end;
        AddDay(anchor_, &r);
        CalendarResponse move = MouseMove(x, y, true, true, false);
        r.repaintDays.insert(r.repaintDays.end(), move.repaintDays.begin(), move.repaintDays.end());
        r.capture = move.capture;
    } else {
        anchor_ = rangeEnd_ = -1;
    }
    return r;
}

void MonthCalendarModel::ShiftRange(int day, CalendarResponse* r) {
    const int low = std::min(anchor_, day);
    const int high = std::max(anchor_, day);
    for (int d = low; d <= high; ++d)
        AddDay(d, r);
    if (rangeEnd_ > 0) {
        for (int d = std::min(anchor_, rangeEnd_); d <= std::max(anchor_, rangeEnd_); ++d)
            if (d < low || d > high)
                RemoveDay(d, r);
    }
    rangeEnd_ = day;
}

CalendarResponse MonthCalendarModel::MouseMove(int x, int y, bool shift, bool leftDown, bool captured) {
    CalendarResponse r;
    const int day = HitTest(x, y);
    if (multi_ != 0 && shift && leftDown && anchor_ > 0 && day != 0) {
        ShiftRange(day, &r);
        if (pressed_ != 0)
            r.repaintDays.push_back(pressed_);
        pressed_ = 0;
    }
    if (day != hovered_) {
        if (hovered_ != 0)
            r.repaintDays.push_back(hovered_);
        if (day != 0)
            r.repaintDays.push_back(day);
        hovered_ = day;
    }
    if (day != 0) {
        if (!captured)
            r.capture = CalendarResponse::Capture::kTake;
    } else if (pressed_ == 0) {
        r.capture = CalendarResponse::Capture::kRelease;
    }
    r.cursor = kCursorNormal;
    return r;
}

CalendarResponse MonthCalendarModel::LButtonUp(int x, int y, bool control) {
    CalendarResponse r;
    r.capture = CalendarResponse::Capture::kRelease;
    anchor_ = rangeEnd_ = -1;
    const int day = HitTest(x, y);
    if (pressed_ != 0 && day == pressed_) {
        const CalendarTime next =
            CalendarTime::Make(date_.year, date_.month, day, date_.hour, date_.minute, 0);
        if (multi_ != 0) {
            if (control && std::binary_search(selected_.begin(), selected_.end(), day))
                RemoveDay(day, &r);
            else
                AddDay(day, &r);
            if (next.Valid()) {
                date_ = next;
                r.dateChanged = true;
            }
            r.cursor = kCursorNormal;
        } else if (next.Valid()) {
            if (date_.Valid())
                r.repaintDays.push_back(date_.day);
            r.repaintDays.push_back(day);
            date_ = next;
            r.dateChanged = true;
        }
    }
    for (int d : {pressed_, hovered_})
        if (d != 0)
            r.repaintDays.push_back(d);
    pressed_ = hovered_ = 0;
    return r;
}

CalendarResponse MonthCalendarModel::KillFocus() {
    CalendarResponse r;
    r.capture = CalendarResponse::Capture::kRelease;
    if (pressed_ != 0)
        r.repaintDays.push_back(pressed_);
    pressed_ = hovered_ = 0;
    anchor_ = rangeEnd_ = -1;
    return r;
}

// ---- painting ---------------------------------------------------------------------------------

DayLook MonthCalendarModel::LookOf(int day, const CalendarColours& colours, const CalendarTime& today) const {
    DayLook look;
    const bool marked = IsMarked(day);
    const bool isToday = today.Valid() && date_.Valid() && today.year == date_.year &&
                         today.month == date_.month && today.day == day;
    const bool selected = IsSelected(day);
    uint32_t text = colours.dayText;
    look.markedFrame = marked;
    if (!selected && isToday && !marked) {
        look.fill = colours.todayBackground;
        text = colours.todayText;
    }
    if (selected) {
        look.fill = colours.selectedBackground;
        text = marked ? colours.marked : colours.selectedText;
        if (multi_ != 0) {
            const int column = ColumnOf(day);
            look.outlineLeft = column == 1 || !IsSelected(day - 1);
            look.outlineTop = !IsSelected(day - 7);
            look.outlineRight = column == 7 || day == days_ || !IsSelected(day + 1);
            look.outlineBottom = !IsSelected(day + 7);
        }
    }
    if (!InRange(day))
        text = kGrayText;
    look.text = text;
    if (pressed_ != 0 && day == pressed_)
        look.frame = hovered_ == pressed_ ? DayLook::Frame::kSunken : DayLook::Frame::kRaised;
    else if (pressed_ == 0 && hovered_ != 0 && day == hovered_)
        look.frame = DayLook::Frame::kRaised;
    else if (isToday || (multi_ == 0 && selected))
        look.frame = DayLook::Frame::kSunken;
    return look;
}

// ---- caption and tool bar ---------------------------------------------------------------------

std::string CaptionTitle(const CalendarTime& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d", date.Valid() ? date.year : -1,
                  date.Valid() ? date.month : -1);
    return text;
}

CaptionLayout LayoutCaption(int cx, int cy) {
    CaptionLayout layout;
    const int titleHeight = cy * 3 / 5;
    layout.title = {0, 0, cx, titleHeight};
    layout.weekdays = {0, titleHeight + 1, cx, cy - titleHeight - 1};
    const int width = (cx - 20) / 7;
    for (int i = 0; i < 7; ++i)
        layout.columns[i] = {10 + i * width, cy / 2 + 5, width, cy - 1 - (cy / 2 + 5)};
    return layout;
}

int ToolBarButtonHeight(int imageHeight) {
    return 2 * imageHeight;
}

int ToolBarHeight(int imageHeight) {
    return ToolBarButtonHeight(imageHeight) * 3 / 2 + 2;
}

ToolBarLayout LayoutToolBar(int cx, int cy, int imageHeight) {
    ToolBarLayout layout;
    const int size = ToolBarButtonHeight(imageHeight);
    const int top = 2 + (cy - 2 - size) / 2;
    const auto at = [&](int left) { return PixelRect{left, top, size, size}; };
    layout.buttons[0] = at(10);
    layout.buttons[1] = at(layout.buttons[0].right() + 1);
    layout.buttons[4] = at(cx - 10 - size);
    layout.buttons[3] = at(layout.buttons[4].x - 1 - size);
    const int todayLeft = layout.buttons[1].right() + 1;
    layout.buttons[2] = {todayLeft, top, layout.buttons[3].x - 1 - todayLeft, size};
    return layout;
}

int ToolBarHitTest(const ToolBarLayout& layout, int x, int y) {
    for (int i = 0; i < kToolBarButtons; ++i)
        if (layout.buttons[i].Contains(x, y))
            return i;
    return -1;
}

std::optional<int> AutoRepeat::Tick() {
    if (!repeating_)
        return std::nullopt;
    if (counter_ >= kRepeatSlowSteps) {
        repeating_ = false;
        return kRepeatFastMs;
    }
    ++counter_;
    return std::nullopt;
}

}  // namespace controls
