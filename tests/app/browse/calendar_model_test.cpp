// The calendar (years, months, day buttons, the day a change searches), the
// layout of the calendar and the page, and the channel chooser.
#include <gtest/gtest.h>

#include "app/browse/calendar_model.h"
#include "app/browse/channel_chooser_model.h"
#include "app/browse/file_list_model.h"

namespace browse {
namespace {

std::vector<int> Marked(const CalendarModel& c) {
    std::vector<int> days;
    for (int d = 1; d <= kCalendarDayButtons; d++)
        if (c.DayMarked(d))
            days.push_back(d);
    return days;
}

TEST(CalendarModel, DaysOfTwoYearsOfferTheirYearsAndMonthsAndSearchTheEarliest) {
    CalendarModel c({2024, 6, 15});
    EXPECT_EQ(c.SetDays({"190101", "180312", "180105"}), "180105");
    EXPECT_EQ(c.Years(), std::vector<int>({2018, 2019}));
    EXPECT_EQ(c.Months(), std::vector<int>({1, 3}));
    EXPECT_EQ(c.ShownYear() * 100 + c.ShownMonth(), 201801);
    EXPECT_EQ(Marked(c), std::vector<int>{5});
    EXPECT_EQ(c.SelectedDay(), 5);

    EXPECT_EQ(c.SelectMonth(1), "180312");
    EXPECT_EQ(Marked(c), std::vector<int>{12});
    EXPECT_EQ(c.SelectYear(1), "190101");
    EXPECT_EQ(c.Months(), std::vector<int>{1});
    EXPECT_EQ(c.OnDayClicked(1), std::nullopt);  // the same day again
    EXPECT_EQ(c.OnDayClicked(31), "190131");     // a day without recordings still asks
    EXPECT_EQ(c.SelectYear(2), std::nullopt);    // no such year
}

TEST(CalendarModel, MonthLengthsAndTheWeekdayOfTheFirst) {
    struct Case {
        int year, month, days, firstWeekday;
    } const cases[] = {{2016, 2, 29, 1}, {2018, 2, 28, 4},  {2000, 2, 29, 2}, {2018, 1, 31, 1},
                       {2019, 9, 30, 0}, {2024, 12, 31, 0}, {2023, 11, 30, 3}};
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.year) + "-" + std::to_string(k.month));
        CalendarModel c({2024, 6, 15});
        c.SetDays({DayString({k.year, k.month, 1})});
        EXPECT_EQ(c.VisibleDays(), k.days);
        EXPECT_EQ(c.FirstColumn(), k.firstWeekday);
    }
}

TEST(CalendarModel, DayStringsThatAreNoDateMarkNothing) {
    CalendarModel c({2024, 6, 15});
    EXPECT_EQ(c.SetDays({"180100", "180132", "180230", "181301", "18015", "1801051", "18a105", "180105"}),
              "180105");
    EXPECT_EQ(c.DayCount(), 1);
    EXPECT_EQ(Marked(c), std::vector<int>{5});
    EXPECT_EQ(c.OnDayClicked(0), std::nullopt);
    EXPECT_EQ(c.OnDayClicked(32), std::nullopt);
    EXPECT_EQ(c.SelectedDay(), 5);

    // Nothing valid at all: today's month, nothing marked, nothing searched.
    EXPECT_EQ(c.SetDays({"990231"}), std::nullopt);
    EXPECT_EQ(c.ShownYear() * 100 + c.ShownMonth(), 202406);
    EXPECT_TRUE(Marked(c).empty());
}

TEST(CalendarModel, TodayAloneAfterACloseAndClicksWithoutDays) {
    CalendarModel c({2024, 2, 29});
    EXPECT_EQ(c.SelectedDay(), 29);
    EXPECT_EQ(c.OnDayClicked(3), std::nullopt);  // no day table: the selection only moves
    EXPECT_EQ(c.ShowMonth(), std::nullopt);
    EXPECT_EQ(c.SelectedDay(), 3);

    EXPECT_EQ(c.SetDays({"240229"}), "240229");
    EXPECT_EQ(Marked(c), std::vector<int>{29});
    EXPECT_EQ(c.SelectedDay(), 29);
    EXPECT_EQ(c.OnDayClicked(30), std::nullopt);  // hidden in February
}

TEST(CalendarModel, LayoutOfTheDayButtonsAndTheControls) {
    const play::PixelRect client{10, 20, 280, 305};  // columns of 40, rows of 40
    EXPECT_EQ(DayButtonRect(1, 3, client), (play::PixelRect{135, 82, 30, 20}));
    EXPECT_EQ(DayButtonRect(5, 3, client), (play::PixelRect{15, 122, 30, 20}));
    EXPECT_EQ(DayButtonRect(31, 6, client), (play::PixelRect{55, 282, 30, 20}));
    const CalendarLayout layout = LayoutCalendar(client);
    EXPECT_EQ(layout.monthCombo, (play::PixelRect{210, 28, 70, 200}));
    EXPECT_EQ(layout.weekdays[6], (play::PixelRect{255, 55, 35, 20}));
    EXPECT_EQ(layout.dayArea, (play::PixelRect{15, 80, 271, 240}));

    const FileListLayout page = LayoutFileList({0, 0, 270, 700});
    EXPECT_EQ(page.list, (play::PixelRect{0, 0, 258, 398}));
    EXPECT_EQ(page.selectDisk, (play::PixelRect{135, 410, 135, 25}));
    EXPECT_EQ(page.clear, (play::PixelRect{0, 435, 135, 25}));
    EXPECT_EQ(page.calendar, (play::PixelRect{0, 460, 270, 220}));
    EXPECT_EQ(page.status, (play::PixelRect{1, 680, 268, 20}));
}

TEST(ChannelChooser, NoneCheckedIsAcceptedAndFiveAreRefused) {
    ChannelChooserModel none;
    EXPECT_TRUE(none.OnOK());
    EXPECT_TRUE(none.IsAccepted());
    EXPECT_EQ(none.GetChannels(), (ChosenChannels{-1, -1, -1, -1}));

    ChannelChooserModel chooser;
    chooser.SetChannels({3, -1, 47, 60});
    for (const int channel : {0, 20, 21})
        chooser.SetChecked(channel, true);
    EXPECT_FALSE(chooser.OnOK());
    EXPECT_FALSE(chooser.IsAccepted());
    EXPECT_EQ(chooser.GetChannels(), (ChosenChannels{-1, -1, -1, -1}));
    EXPECT_EQ(std::string(kChannelLimitText),
              "\xe6\x9c\x80\xe5\xa4\x9a\xe5\x8f\xaa\xe8\x83\xbd\xe9\x80\x89\xe6\x8b\xa9"
              "4\xe4\xb8\xaa\xe9\x80\x9a\xe9\x81\x93");

    chooser.SetChecked(20, false);
    EXPECT_TRUE(chooser.OnOK());
    EXPECT_EQ(chooser.GetChannels(), (ChosenChannels{0, 3, 21, 47}));
    EXPECT_EQ(ChannelLabel(0) + ChannelLabel(47), "CH 01CH 48");
}

}  // namespace
}  // namespace browse
