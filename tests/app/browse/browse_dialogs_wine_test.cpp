// The calendar and the channel chooser under Wine: the calendar shows what
// its model decides (years, months, which day buttons show, are enabled and
// selected, where day 1 sits, the red selection frame) and hands the day to
// search to its owner; the chooser refuses five channels with its box and
// stays open, accepts none as four empty places, and accepts nothing when
// closed another way.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/browse/calendar_wnd.h"
#include "app/browse/select_channel_dlg.h"
#include "tests/app/play/play_windows_support.h"
#include "tests/gui/harness/pixels.h"
#include "tests/gui/harness/script.h"

namespace {

using play_test::Pump;
using vekgui::Do;
using vekgui::WaitUntil;

// Stands in for the recording list page: owns the calendar, logs its searches.
class CalendarHost : public play_test::CTestHost, public CalendarDayOwner {
  public:
    void OnSearchDay(const std::string& day) override { searched.push_back(day); }
    std::vector<std::string> searched;
};

class CalendarWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host_.Make(400, 300));
        calendar_.SetConfigAndSkin(&config_, &skin_);
        ASSERT_TRUE(calendar_.Create(CDlgCalendar::IDD, &host_));
        calendar_.MoveWindow(0, 0, 270, 220);
        calendar_.ShowWindow(SW_SHOW);
        Pump();
    }
    void TearDown() override { host_.DestroyWindow(); }

    std::vector<std::string> Items(CComboBox& combo) {
        std::vector<std::string> items;
        for (int i = 0; i < combo.GetCount(); i++) {
            CString text;
            combo.GetLBText(i, text);
            items.emplace_back(text.GetString());
        }
        return items;
    }
    void Choose(CComboBox& combo, int index) {
        combo.SetCurSel(index);
        calendar_.SendMessage(WM_COMMAND, MAKEWPARAM(combo.GetDlgCtrlID(), CBN_SELCHANGE),
                              reinterpret_cast<LPARAM>(combo.m_hWnd));
    }
    // "shown/enabled/checked" of every day button: ".", "s", "e" (shown and
    // enabled) or "x" (also checked), day 1 first.
    std::string Days() {
        std::string days;
        for (CBmpButton& b : calendar_.m_days) {
            const bool shown = (b.GetStyle() & WS_VISIBLE) != 0;
            days += !shown ? '.' : b.GetCheckState() ? 'x' : b.IsWindowEnabled() ? 'e' : 's';
        }
        return days;
    }

    AppConfig config_;
    CPubSkin skin_;
    CalendarHost host_;
    CDlgCalendar calendar_;
};

TEST_F(CalendarWindow, ShowsTheYearsMonthsAndDaysOfItsTableAndSearchesTheEarliest) {
    calendar_.SetDays({"190101", "180312", "180105"});
    EXPECT_EQ(Items(calendar_.m_comboYear), (std::vector<std::string>{"2018", "2019"}));
    EXPECT_EQ(calendar_.m_comboYear.GetCurSel(), 0);
    EXPECT_EQ(Items(calendar_.m_comboMonth), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(calendar_.m_comboMonth.GetCurSel(), 0);
    EXPECT_EQ(Days(), "ssssxssssssssssssssssssssssssss");
    EXPECT_EQ(host_.searched, std::vector<std::string>{"180105"});
    EXPECT_EQ(vekgui::WindowText(calendar_.m_weekdays[0]), "SUN");
    EXPECT_EQ(vekgui::WindowText(calendar_.m_labelMonth), "Month");

    // 1 January 2018 is a Monday: day 1 in the second column; the selected
    // day is framed in red just outside its button.
    RECT client;
    calendar_.GetClientRect(&client);
    const play::PixelRect clientRect{0, 0, client.right, client.bottom};
    EXPECT_EQ(play_test::RectIn(calendar_, calendar_.m_days[0]), browse::DayButtonRect(1, 1, clientRect));
    const play::PixelRect five = play_test::RectIn(calendar_, calendar_.m_days[4]);
    const vekgui::Snapshot shot = vekgui::Snapshot::Capture(calendar_);
    EXPECT_EQ(shot.At(five.x - 1, five.y + 5), browse::kCalendarSelection)
        << vekgui::ColorText(shot.At(five.x - 1, five.y + 5));
    EXPECT_EQ(shot.At(five.x + 5, five.y - 1), browse::kCalendarSelection);
    EXPECT_EQ(shot.At(2, 2), browse::kCalendarBackground);

    Choose(calendar_.m_comboMonth, 1);
    Choose(calendar_.m_comboYear, 1);
    EXPECT_EQ(host_.searched, (std::vector<std::string>{"180105", "180312", "190101"}));
    EXPECT_EQ(Items(calendar_.m_comboMonth), std::vector<std::string>{"1"});
    EXPECT_EQ(Days(), "xssssssssssssssssssssssssssssss");

    // A click on another marked day searches it; on the selected one, nothing.
    calendar_.SetDays({"190101", "190117"});
    vekgui::Click(calendar_, IDC_CALENDAR_DAY1 + 16);
    vekgui::Click(calendar_, IDC_CALENDAR_DAY1 + 16);
    EXPECT_EQ(host_.searched.back(), "190117");
    EXPECT_EQ(host_.searched.size(), 5u);
}

TEST_F(CalendarWindow, FebruaryShows29DaysInYearsDivisibleByFour) {
    calendar_.SetDays({"200229", "190228"});
    EXPECT_EQ(Days(), "sssssssssssssssssssssssssssx...");
    Choose(calendar_.m_comboYear, 1);
    EXPECT_EQ(Days(), "ssssssssssssssssssssssssssssx..");
}

// ---- the channel chooser ---------------------------------------------------------------

// The message box this thread shows over `owner`, or NULL.
HWND BoxOver(HWND owner) {
    struct Search {
        HWND owner, found;
    } search{owner, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            char cls[16] = {};
            ::GetClassNameA(window, cls, sizeof cls);
            if (std::string(cls) == "#32770" && ::GetWindow(window, GW_OWNER) == s->owner &&
                ::IsWindowVisible(window))
                s->found = window;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Every text of a window's static children, as shown (wide).
std::wstring StaticTexts(HWND window) {
    std::wstring texts;
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16] = {}, text[256] = {};
        ::GetClassNameW(child, cls, 16);
        ::GetWindowTextW(child, text, 256);
        if (std::wstring(cls) == L"Static")
            texts += text;
    }
    return texts;
}

class ChannelChooser : public ::testing::Test {
  protected:
    ChannelChooser() { dlg_.SetConfigAndSkin(&config_, &skin_); }
    // Runs the chooser with `steps` (the first waits for it to show).
    void Run(std::vector<vekgui::Step> steps) {
        steps.insert(steps.begin(),
                     WaitUntil([this] { return dlg_.m_hWnd != nullptr && dlg_.IsWindowVisible(); }));
        vekgui::Script script(std::move(steps));
        dlg_.DoModal();
        EXPECT_FALSE(script.TimedOut()) << "stuck at step " << script.StepReached();
    }
    void Check(std::initializer_list<int> channels) {
        for (const int c : channels)
            dlg_.CheckDlgButton(IDC_CHANNEL_CH01 + c, BST_CHECKED);
    }
    std::vector<int> Checked() {
        std::vector<int> checked;
        for (int c = 0; c < browse::kChooserChannels; c++)
            if (dlg_.IsDlgButtonChecked(IDC_CHANNEL_CH01 + c) == BST_CHECKED)
                checked.push_back(c);
        return checked;
    }
    browse::ChosenChannels Result() {
        browse::ChosenChannels result{};
        dlg_.GetChannels(result);
        return result;
    }

    AppConfig config_;
    CPubSkin skin_;
    CDlgSelectChannel dlg_;
};

TEST_F(ChannelChooser, RefusesFiveChannelsWithItsBoxAndStaysOpen) {
    dlg_.SetChannels({0, 1, 2, 3});
    std::wstring text;
    Run({
        Do([this] {
            EXPECT_EQ(Checked(), (std::vector<int>{0, 1, 2, 3}));
            Check({9});
            vekgui::Click(dlg_, IDC_CHANNEL_SAVE);  // the box: the next steps run inside it
        }),
        WaitUntil([this] { return BoxOver(dlg_) != nullptr; }),
        Do([&] {
            text = StaticTexts(BoxOver(dlg_));
            ::PostMessageA(::GetDlgItem(BoxOver(dlg_), IDOK), BM_CLICK, 0, 0);
        }),
        WaitUntil([this] { return BoxOver(dlg_) == nullptr; }),
        Do([this] {
            EXPECT_TRUE(dlg_.IsWindowVisible());
            EXPECT_FALSE(dlg_.IsAccepted());
            dlg_.CheckDlgButton(IDC_CHANNEL_CH01, BST_UNCHECKED);
            vekgui::Click(dlg_, IDC_CHANNEL_SAVE);
        }),
    });
    EXPECT_EQ(text, L"最多只能选择4个通道");
    EXPECT_TRUE(dlg_.IsAccepted());
    EXPECT_EQ(Result(), (browse::ChosenChannels{1, 2, 3, 9}));
}

TEST_F(ChannelChooser, AcceptsNoChannelAsFourEmptyPlaces) {
    dlg_.SetChannels({0, 5, -1, 47});
    Run({
        Do([this] {
            EXPECT_EQ(vekgui::WindowText(dlg_), "Select Channel");
            EXPECT_EQ(vekgui::WindowText(::GetDlgItem(dlg_, IDC_CHANNEL_SAVE)), "Saved");
            EXPECT_EQ(vekgui::WindowText(::GetDlgItem(dlg_, IDC_CHANNEL_CH01 + 47)), "CH 48");
            EXPECT_EQ(Checked(), (std::vector<int>{0, 5, 47}));
            vekgui::Click(dlg_, IDC_CHANNEL_CLEAR);
            EXPECT_TRUE(Checked().empty());
            vekgui::Click(dlg_, IDC_CHANNEL_SAVE);
        }),
    });
    EXPECT_TRUE(dlg_.IsAccepted());
    EXPECT_EQ(Result(), (browse::ChosenChannels{-1, -1, -1, -1}));
}

TEST_F(ChannelChooser, ClosedWithoutSavingAcceptsNothing) {
    dlg_.SetChannels({4, -1, -1, -1});
    Run({Do([this] { dlg_.PostMessage(WM_CLOSE); })});
    EXPECT_FALSE(dlg_.IsAccepted());
    EXPECT_EQ(Result(), (browse::ChosenChannels{-1, -1, -1, -1}));
}

}  // namespace
