// The month calendar's model: its date maths (month lengths, weekdays, the
// locale's first day, ranges, navigation), the grid, marks, the selection
// rules of the mouse and the caption, how a day cell looks, and the tool bar's
// layout and auto-repeat pace.
#include <gtest/gtest.h>

#include <vector>

#include "controls/month_calendar_model.h"

namespace controls {
namespace {

CalendarTime At(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return CalendarTime::Make(y, m, d, h, mi, s);
}

// The calendar as the network page shows it: 192 x 191 with its 29-pixel
// tool bar (images 9 pixels high).
constexpr int kWidth = 192;
constexpr int kBar = 29;
constexpr int kHeight = kBar + kCalendarGridHeight;

MonthCalendarModel Calendar(const CalendarTime& date, int firstDay = 0) {
    MonthCalendarModel model(date);
    model.SetFirstDayOfWeek(firstDay);
    model.Layout(kWidth, kHeight, kBar);
    return model;
}

// The centre of a day's cell.
struct Point {
    int x, y;
};
Point Centre(const MonthCalendarModel& m, int day) {
    const PixelRect r = m.DayRect(day);
    return {r.x + r.width / 2, r.y + r.height / 2};
}

TEST(MonthCalendarDates, MonthLengthsWeekdaysAndTheLocalesFirstDay) {
    const struct {
        int month, year, days;
    } lengths[] = {{2, 2023, 28}, {2, 2024, 29},  {2, 1900, 28}, {2, 2000, 29},
                   {4, 2024, 30}, {12, 2024, 31}, {0, 2024, 0},  {13, 2024, 0}};
    for (const auto& c : lengths)
        EXPECT_EQ(GetDaysInMonth(c.month, c.year), c.days) << c.year << "-" << c.month;

    EXPECT_EQ(Weekday(1970, 1, 1), 4);
    EXPECT_EQ(Weekday(2000, 1, 1), 6);
    EXPECT_EQ(Weekday(2024, 3, 5), 2);
    EXPECT_EQ(Weekday(2090, 12, 31), 0);

    // "0" is Monday, "6" Sunday; an empty or odd text gives Monday.
    const struct {
        const char* text;
        int first;
    } locales[] = {{"0", 1}, {"3", 4}, {"5", 6}, {"6", 0}, {"", 1}, {nullptr, 1}, {"#", 1}};
    for (const auto& c : locales)
        EXPECT_EQ(FirstDayOfWeekFromLocale(c.text), c.first) << (c.text ? c.text : "(null)");

    EXPECT_FALSE(At(2023, 2, 29).Valid());
    EXPECT_FALSE(At(2024, 3, 5, 24).Valid());
    EXPECT_EQ(At(2023, 2, 29).year, -1);
    EXPECT_EQ(CaptionTitle(At(2024, 3, 5)), "2024-03");
    EXPECT_EQ(CaptionTitle(At(2023, 2, 29)), "-001--1");
}

TEST(MonthCalendarDates, RangeAndRefusedDates) {
    MonthCalendarModel m(At(2024, 3, 5, 10, 20));
    EXPECT_TRUE(m.Minimum().SameMoment(At(1990, 1, 1)));
    EXPECT_TRUE(m.Maximum().SameMoment(At(2090, 12, 31, 23, 59, 59)));
    EXPECT_FALSE(m.SetDate(At(1989, 12, 31, 23, 59, 59)));
    EXPECT_FALSE(m.SetDate(At(2091, 1, 1)));
    EXPECT_FALSE(m.SetDate(At(2023, 2, 29)));
    EXPECT_TRUE(m.GetDate().SameMoment(At(2024, 3, 5, 10, 20)));

    // The zero date and anything past 2090 end the range at 2090; an earlier
    // maximum and a later minimum are kept.
    m.SetDateRange(CalendarTime::Zero(), CalendarTime::Zero());
    EXPECT_TRUE(m.Minimum().SameMoment(At(1990, 1, 1)));
    EXPECT_TRUE(m.Maximum().SameMoment(At(2090, 12, 31, 23, 59, 59)));
    m.SetDateRange(At(2020, 1, 1), At(3000, 1, 1));
    EXPECT_TRUE(m.Minimum().SameMoment(At(2020, 1, 1)));
    EXPECT_TRUE(m.Maximum().SameMoment(At(2090, 12, 31, 23, 59, 59)));
    m.SetDateRange(At(1980, 1, 1), At(2024, 3, 20));
    EXPECT_TRUE(m.Minimum().SameMoment(At(1990, 1, 1)));
    EXPECT_TRUE(m.Maximum().SameMoment(At(2024, 3, 20)));
    EXPECT_FALSE(m.SetDate(At(2024, 3, 21)));
    EXPECT_TRUE(m.InRange(20));
    EXPECT_FALSE(m.InRange(21));
}

TEST(MonthCalendarDates, NavigationClampsTheDayAndTheRangeAndAlwaysClearsTheMarks) {
    const CalendarTime today = At(2026, 12, 9);
    const struct {
        CalendarTime from;
        int button;
        bool moves;
        CalendarTime to;
    } cases[] = {
        {At(2023, 3, 31, 8, 30), 1, true, At(2023, 2, 28, 8, 30)},  // Forward Month
        {At(2024, 3, 31), 1, true, At(2024, 2, 29)},
        {At(2024, 2, 29), 0, true, At(2023, 2, 28)},  // Forward Year
        {At(2024, 1, 15), 1, true, At(2023, 12, 15)},
        {At(2024, 12, 15), 3, true, At(2025, 1, 15)},                            // Next Month
        {At(2024, 6, 15, 7, 45, 30), 2, true, At(2026, 12, 9, 7, 45)},           // Today keeps the clock
        {At(2090, 6, 15), 4, true, At(2090, 12, 31, 23, 59, 59)},                // Next Year, clamped
        {At(2090, 12, 31, 23, 59, 59), 4, false, At(2090, 12, 31, 23, 59, 59)},  // a second press beeps
        {At(1990, 3, 1), 0, true, At(1990, 1, 1)},
        {At(1990, 1, 1), 1, false, At(1990, 1, 1)},
    };
    for (const auto& c : cases) {
        MonthCalendarModel m = Calendar(c.from);
        m.SetDayMarked(1, 4);
        EXPECT_EQ(m.Navigate(c.button, today), c.moves) << c.button;
        EXPECT_TRUE(m.GetDate().SameMoment(c.to))
            << c.button << ": " << m.GetDate().year << "-" << m.GetDate().month << "-" << m.GetDate().day;
        EXPECT_FALSE(m.IsMarked(5)) << "cleared, also after a beep";
    }
}

// Mended: an index outside 0..30 changes nothing, negative ones included; a
// zero mark leaves a mark.
TEST(MonthCalendarMarks, OnlyIndexesZeroToThirtyMarkAndZeroDoesNotClear) {
    MonthCalendarModel m = Calendar(At(2024, 3, 5));
    for (int index : {-1, -31, 31, 255})
        EXPECT_FALSE(m.SetDayMarked(1, index)) << index;
    for (int day = 0; day <= 32; ++day)
        EXPECT_FALSE(m.IsMarked(day)) << day;
    EXPECT_TRUE(m.SetDayMarked(1, 0));
    EXPECT_TRUE(m.SetDayMarked(1, 30));
    EXPECT_TRUE(m.SetDayMarked(0, 30));
    EXPECT_TRUE(m.IsMarked(1));
    EXPECT_TRUE(m.IsMarked(31));
    m.ClearMarkedDays(false);
    EXPECT_TRUE(m.IsMarked(1));
    m.ClearMarkedDays(true);
    EXPECT_FALSE(m.IsMarked(1));
}

TEST(MonthCalendarGrid, CellsFollowTheWeekdaysFromTheGridsTopLeft) {
    // March 2024 begins on a Friday. Grid 172 x 116 from (10, 41): cells 24 x 19.
    MonthCalendarModel m = Calendar(At(2024, 3, 5));
    EXPECT_EQ(m.GridRect(), (PixelRect{10, 41, 172, 116}));
    EXPECT_EQ(m.DaysInShownMonth(), 31);
    EXPECT_EQ(m.DayRect(1), (PixelRect{130, 41, 24, 19}));
    EXPECT_EQ(m.DayRect(2), (PixelRect{154, 41, 24, 19}));
    EXPECT_EQ(m.DayRect(3), (PixelRect{10, 60, 24, 19}));
    EXPECT_EQ(m.DayRect(31), (PixelRect{10, 136, 24, 19}));
    EXPECT_EQ(m.DayRect(32), PixelRect{});
    EXPECT_EQ(m.HitTest(131, 42), 1);
    EXPECT_EQ(m.HitTest(9, 42), 0);
    EXPECT_EQ(m.HitTest(40, 42), 0);  // before the 1st

    const CaptionLayout caption = LayoutCaption(188, kCaptionHeight);
    EXPECT_EQ(caption.title, (PixelRect{0, 0, 188, 21}));
    EXPECT_EQ(caption.weekdays, (PixelRect{0, 22, 188, 14}));
    EXPECT_EQ(caption.columns[0], (PixelRect{10, 23, 24, 12}));
    EXPECT_EQ(caption.columns[6], (PixelRect{154, 23, 24, 12}));
}

// Mended: a first day other than Sunday moves the grid's columns, the
// caption's names and the weekday selection together.
TEST(MonthCalendarGrid, TheFirstDayOfTheWeekRotatesColumnsNamesAndWeekdaySelection) {
    const struct {
        int firstDay;
        int columnOfThe1st;  // March 2024: a Friday
        int weekdayOfColumn1;
    } cases[] = {{0, 6, 0}, {1, 5, 1}, {6, 7, 6}};
    for (const auto& c : cases) {
        MonthCalendarModel m = Calendar(At(2024, 3, 5), c.firstDay);
        EXPECT_EQ(m.ColumnOf(1), c.columnOfThe1st) << c.firstDay;
        EXPECT_EQ(m.WeekdayOfColumn(1), c.weekdayOfColumn1) << c.firstDay;
        for (int d = 1; d <= 31; ++d)
            EXPECT_EQ(Weekday(2024, 3, d), m.WeekdayOfColumn(m.ColumnOf(d))) << c.firstDay << " day " << d;

        // The caption's column 2 ("MON" when Sunday comes first) selects the
        // days drawn under it; with Control held the earlier ones stay.
        m.SetSelectionMode(1);
        m.SelectWeekday(2, true);
        std::vector<int> want;
        for (int d = 1; d <= 31; ++d)
            if (Weekday(2024, 3, d) == m.WeekdayOfColumn(2))
                want.push_back(d);
        EXPECT_EQ(m.SelectedDays(), want) << c.firstDay;
        m.SelectWeekday(3, false);
        EXPECT_EQ(m.SelectedDays().size(), want.size() + 4u) << c.firstDay;
        m.SelectWeekday(2, false);  // toggled off again
        EXPECT_EQ(m.SelectedDays().size(), 4u) << c.firstDay;

        // The outline closes a row at columns 1 and 7.
        m.SelectWeekday(1, true);
        for (int column = 2; column <= 7; ++column)
            m.SelectWeekday(column, false);
        CalendarColours colours;
        for (int d = 1; d <= 31; ++d) {
            const DayLook look = m.LookOf(d, colours, CalendarTime{});
            EXPECT_EQ(look.outlineLeft, m.ColumnOf(d) == 1 || d == 1) << c.firstDay << " day " << d;
            EXPECT_EQ(look.outlineRight, m.ColumnOf(d) == 7 || d == 31) << c.firstDay << " day " << d;
            EXPECT_EQ(look.outlineTop, d <= 7) << c.firstDay << " day " << d;
            EXPECT_EQ(look.outlineBottom, d >= 25) << c.firstDay << " day " << d;
        }
    }
}

TEST(MonthCalendarSelection, AClickInOneDayModeChoosesTheDayKeepingTheClock) {
    MonthCalendarModel m = Calendar(At(2024, 3, 5, 14, 30, 12));
    const Point p = Centre(m, 20);
    CalendarResponse down = m.LButtonDown(p.x, p.y, true, false, false);
    EXPECT_EQ(down.cursor, kCursorPressed);
    EXPECT_EQ(m.Pressed(), 20);
    EXPECT_FALSE(down.dateChanged);
    CalendarResponse up = m.LButtonUp(p.x, p.y, false);
    EXPECT_TRUE(up.dateChanged);
    EXPECT_EQ(up.capture, CalendarResponse::Capture::kRelease);
    EXPECT_TRUE(m.GetDate().SameMoment(At(2024, 3, 20, 14, 30, 0)));
    EXPECT_TRUE(m.IsSelected(20));
    EXPECT_FALSE(m.IsSelected(5));
    EXPECT_EQ(m.Pressed(), 0);

    // Released elsewhere: nothing chosen.
    const Point q = Centre(m, 21);
    m.LButtonDown(p.x, p.y, true, false, false);
    EXPECT_FALSE(m.LButtonUp(q.x, q.y, false).dateChanged);
    EXPECT_TRUE(m.GetDate().SameMoment(At(2024, 3, 20, 14, 30, 0)));

    // A day outside the range cannot be pressed.
    m.SetDateRange(At(1990, 1, 1), At(2024, 3, 25));
    const Point late = Centre(m, 26);
    m.LButtonDown(late.x, late.y, true, false, false);
    EXPECT_EQ(m.Pressed(), 0);
    EXPECT_FALSE(m.LButtonUp(late.x, late.y, false).dateChanged);
    EXPECT_EQ(m.LookOf(26, CalendarColours{}, CalendarTime{}).text, kGrayText);
}

TEST(MonthCalendarSelection, MultiModeClicksControlToggleAndShiftRuns) {
    MonthCalendarModel m = Calendar(At(2024, 3, 5));
    ASSERT_TRUE(m.SetSelectionMode(1));
    EXPECT_FALSE(m.SetSelectionMode(1));
    const auto click = [&m](int day, bool shift, bool control) {
        const Point p = Centre(m, day);
        m.LButtonDown(p.x, p.y, true, shift, control);
        return m.LButtonUp(p.x, p.y, control);
    };
    EXPECT_TRUE(click(10, false, false).dateChanged);
    EXPECT_EQ(m.SelectedDays(), (std::vector<int>{10}));
    EXPECT_EQ(m.GetDate().day, 10);
    click(12, false, true);
    click(14, false, true);
    EXPECT_EQ(m.SelectedDays(), (std::vector<int>{10, 12, 14}));
    click(12, false, true);  // toggled off
    EXPECT_EQ(m.SelectedDays(), (std::vector<int>{10, 14}));
    click(20, false, false);  // a plain click starts over
    EXPECT_EQ(m.SelectedDays(), (std::vector<int>{20}));

    // Shift: the run before the day anchors the range.
    click(3, false, true);
    click(4, false, true);  // runs 3-4 and 20
    click(8, true, false);
    EXPECT_EQ(m.SelectedDays(), (std::vector<int>{3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(m.Anchor(), -1) << "the range ends with the button";

    // Dragging past the anchor and back gives the days between anchor and mouse.
    {
        const Point from = Centre(m, 15);
        m.LButtonDown(from.x, from.y, true, false, false);
        m.LButtonUp(from.x, from.y, false);
        m.LButtonDown(from.x, from.y, true, true, false);  // anchored on the run "15"
        EXPECT_EQ(m.Anchor(), 15);
        const Point to = Centre(m, 18);
        m.MouseMove(to.x, to.y, true, true, true);
        EXPECT_EQ(m.SelectedDays(), (std::vector<int>{15, 16, 17, 18}));
        const Point back = Centre(m, 13);
        m.MouseMove(back.x, back.y, true, true, true);
        EXPECT_EQ(m.SelectedDays(), (std::vector<int>{13, 14, 15}));
        EXPECT_EQ(m.RangeEnd(), 13);
        EXPECT_EQ(m.Pressed(), 0) << "a drag forgets the pressed day";
        EXPECT_FALSE(m.LButtonUp(back.x, back.y, false).dateChanged);
    }

    // A new month keeps the selected cells: the weekday of the 1st moves from
    // Friday (March) to Monday (April), so each day moves by 4.
    ASSERT_TRUE(m.SetDate(At(2024, 4, 1)));
    EXPECT_EQ(m.SelectedDays(), (std::vector<int>{17, 18, 19}));
}

// Mended: shift-click with no run anchors on the clicked day, and the search
// for a run before it goes down to day 1.
TEST(MonthCalendarSelection, ShiftClickWithoutARunAnchorsOnTheDayAndFindsARunOnDay1) {
    MonthCalendarModel m = Calendar(At(2024, 3, 5));
    m.SetSelectionMode(1);
    const Point p = Centre(m, 9);
    CalendarResponse r = m.LButtonDown(p.x, p.y, true, true, false);
    EXPECT_EQ(m.Anchor(), 9);
    EXPECT_EQ(m.SelectedDays(), (std::vector<int>{9}));
    for (int day : r.repaintDays)
        EXPECT_TRUE(day >= 1 && day <= 31) << day;
    m.LButtonUp(p.x, p.y, false);

    // A run on days 1-2: shift-click on day 6 selects 1..6.
    const Point one = Centre(m, 1);
    m.LButtonDown(one.x, one.y, true, false, false);
    m.LButtonUp(one.x, one.y, false);
    const Point two = Centre(m, 2);
    m.LButtonDown(two.x, two.y, true, false, true);
    m.LButtonUp(two.x, two.y, true);
    ASSERT_EQ(m.SelectedDays(), (std::vector<int>{1, 2}));
    const Point six = Centre(m, 6);
    m.LButtonDown(six.x, six.y, true, true, false);
    EXPECT_EQ(m.Anchor(), 1);
    EXPECT_EQ(m.SelectedDays(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    m.LButtonUp(six.x, six.y, false);

    // With only a run after the day, that run's first day anchors it.
    const Point twenty = Centre(m, 20);
    m.LButtonDown(twenty.x, twenty.y, true, false, false);
    m.LButtonUp(twenty.x, twenty.y, false);
    const Point seventeen = Centre(m, 17);
    m.LButtonDown(seventeen.x, seventeen.y, true, true, false);
    EXPECT_EQ(m.Anchor(), 20);
    EXPECT_EQ(m.SelectedDays(), (std::vector<int>{17, 18, 19, 20}));
}

TEST(MonthCalendarSelection, HoverCaptureAndLosingTheFocus) {
    MonthCalendarModel m = Calendar(At(2024, 3, 5));
    const Point p = Centre(m, 12);
    CalendarResponse over = m.MouseMove(p.x, p.y, false, false, false);
    EXPECT_EQ(over.capture, CalendarResponse::Capture::kTake);
    EXPECT_EQ(over.cursor, kCursorNormal);
    EXPECT_EQ(m.Hovered(), 12);
    EXPECT_EQ(m.MouseMove(p.x, p.y, false, false, true).capture, CalendarResponse::Capture::kKeep);
    CalendarResponse away = m.MouseMove(1, 1, false, false, true);
    EXPECT_EQ(away.capture, CalendarResponse::Capture::kRelease);
    EXPECT_EQ(away.repaintDays, (std::vector<int>{12}));

    m.LButtonDown(p.x, p.y, true, false, false);
    EXPECT_EQ(m.MouseMove(1, 1, false, true, true).capture, CalendarResponse::Capture::kKeep)
        << "a pressed day keeps the mouse";
    const CalendarResponse lost = m.KillFocus();
    EXPECT_EQ(lost.capture, CalendarResponse::Capture::kRelease);
    EXPECT_EQ(lost.repaintDays, (std::vector<int>{12}));
    EXPECT_EQ(m.Pressed(), 0);
    EXPECT_EQ(m.Hovered(), 0);
    EXPECT_EQ(m.LButtonDown(0, 0, false, false, false).capture, CalendarResponse::Capture::kRelease);
}

TEST(MonthCalendarLook, MarkedTodaySelectedAndTheHoverFrames) {
    CalendarColours c;
    c.background = 0x545454;
    c.dayText = 0xFFFFFF;
    c.selectedBackground = 0x00C1ED;
    c.selectedText = 0x000000;
    c.todayBackground = 0x545454;
    c.todayText = 0x0000FF;
    const CalendarTime today = At(2024, 3, 7);
    MonthCalendarModel m = Calendar(At(2024, 3, 5));
    m.SetDayMarked(1, 6);  // today, marked
    m.SetDayMarked(1, 4);  // the selected day, marked
    m.SetDayMarked(1, 9);
    using F = DayLook::Frame;
    const struct {
        int day;
        DayLook look;
    } cases[] = {
        {5, {true, 0x00C1ED, 0x0D5A0D, false, false, false, false, F::kSunken}},      // selected and marked
        {7, {true, std::nullopt, 0xFFFFFF, false, false, false, false, F::kSunken}},  // today, marked
        {10, {true, std::nullopt, 0xFFFFFF, false, false, false, false, F::kNone}},   // marked
        {11, {false, std::nullopt, 0xFFFFFF, false, false, false, false, F::kNone}},
    };
    for (const auto& k : cases)
        EXPECT_EQ(m.LookOf(k.day, c, today), k.look) << k.day;
    m.ClearMarkedDays(true);
    EXPECT_EQ(m.LookOf(7, c, today),
              (DayLook{false, 0x545454, 0x0000FF, false, false, false, false, F::kSunken}));
    EXPECT_EQ(m.LookOf(5, c, today).text, 0x000000u);

    // Hovered: raised; pressed under the mouse: sunken; pressed, mouse elsewhere: raised.
    const Point p = Centre(m, 11);
    m.MouseMove(p.x, p.y, false, false, false);
    EXPECT_EQ(m.LookOf(11, c, today).frame, F::kRaised);
    m.LButtonDown(p.x, p.y, true, false, false);
    EXPECT_EQ(m.LookOf(11, c, today).frame, F::kSunken);
    const Point q = Centre(m, 12);
    m.MouseMove(q.x, q.y, false, true, true);
    EXPECT_EQ(m.LookOf(11, c, today).frame, F::kRaised);
    EXPECT_EQ(m.LookOf(12, c, today).frame, F::kNone);
}

TEST(MonthCalendarToolBar, ButtonsAndTheAutoRepeatPace) {
    EXPECT_EQ(ToolBarButtonHeight(9), 18);
    EXPECT_EQ(ToolBarHeight(9), 29);
    const ToolBarLayout bar = LayoutToolBar(188, 29, 9);
    EXPECT_EQ(bar.buttons[0], (PixelRect{10, 6, 18, 18}));
    EXPECT_EQ(bar.buttons[1], (PixelRect{29, 6, 18, 18}));
    EXPECT_EQ(bar.buttons[2], (PixelRect{48, 6, 92, 18}));
    EXPECT_EQ(bar.buttons[3], (PixelRect{141, 6, 18, 18}));
    EXPECT_EQ(bar.buttons[4], (PixelRect{160, 6, 18, 18}));
    EXPECT_EQ(ToolBarHitTest(bar, 100, 10), kTodayButton);
    EXPECT_EQ(ToolBarHitTest(bar, 28, 10), -1);

    // Held for 4 seconds: 11 steps at 300 ms, then one every 100 ms.
    AutoRepeat repeat;
    repeat.Start();
    int interval = kRepeatFirstMs;
    std::vector<int> steps;
    for (int t = interval; t <= 4000; t += interval) {
        steps.push_back(t);
        if (const auto next = repeat.Tick())
            interval = *next;
    }
    ASSERT_EQ(steps.size(), 18u);
    EXPECT_EQ(steps[10], 3300);
    EXPECT_EQ(steps[11], 3400);
    EXPECT_EQ(steps.back(), 4000);
}

}  // namespace
}  // namespace controls
