// The network login form's decisions: the port edit's filter, the text of
// each login status, the IP combo's items in history order and what choosing
// one of them does, and where the two panels put their rows.
#include <gtest/gtest.h>

#include "app/browse/login_form_model.h"

namespace browse {
namespace {

TEST(LoginForm, ThePortEditTakesDigitsUpTo65535AndPutsBackTheLastTextOtherwise) {
    const struct {
        const char* typed;
        const char* last;
        const char* shown;
        bool restored;
        bool changed;
    } cases[] = {
        {"8000", "800", "8000", false, false},
        {"", "8", "", false, false},
        {"65535", "6553", "65535", false, false},
        {"70000", "7000", "65535", false, true},
        {"99999999999999999999", "9", "65535", false, true},
        {"0008000", "000800", "0008000", false, false},
        {"80a0", "800", "800", true, true},
        {"-1", "", "", true, true},
        {" 80", "80", "80", true, true},
    };
    for (const auto& c : cases) {
        const PortEditResult r = FilterPortText(c.typed, c.last);
        EXPECT_EQ(r.text, c.shown) << c.typed;
        EXPECT_EQ(r.restored, c.restored) << c.typed;
        EXPECT_EQ(r.changed, c.changed) << c.typed;
    }
}

TEST(LoginForm, EachFailedStatusHasItsTextAndTheOthersNone) {
    const struct {
        int status;
        int text;
    } cases[] = {{2, 305}, {103, 306}, {104, 307}, {105, 305}, {106, 308},
                 {101, 0}, {102, 0},   {0, 0},     {107, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(LoginStatusText(c.status), c.text) << c.status;
}

TEST(LoginForm, TheIpComboListsTheHistoryMostRecentFirstThenClear) {
    IpPortList history;
    EXPECT_TRUE(IpComboItems(history).empty()) << "no Clear item without a history";
    EXPECT_FALSE(ChooseIpComboItem(0, history).clearHistory);

    AddIpPortEntry(history, "10.0.0.1", 8000);
    AddIpPortEntry(history, "10.0.0.2", 9000);
    AddIpPortEntry(history, "10.0.0.1", 8001);  // logged in again: first again
    EXPECT_EQ(IpComboItems(history), (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "---Clear---"}));

    EXPECT_EQ(ChooseIpComboItem(0, history).port, "8001");
    EXPECT_EQ(ChooseIpComboItem(1, history).port, "9000");
    const IpComboChoice clear = ChooseIpComboItem(2, history);
    EXPECT_TRUE(clear.clearHistory);
    EXPECT_FALSE(clear.port.has_value());
    EXPECT_FALSE(ChooseIpComboItem(3, history).clearHistory);
    EXPECT_FALSE(ChooseIpComboItem(-1, history).port.has_value());
}

TEST(LoginForm, ThePanelsRowsEveryThirtyPixelsWithValuesFromTheLabelsRightEdge) {
    const PanelLayout form = LayoutLoginForm({0, 0, 240, 210});
    EXPECT_EQ(form.title, (play::PixelRect{90, 2, 100, 25}));
    ASSERT_EQ(form.labels.size(), 5u);
    EXPECT_EQ(form.labels[0], (play::PixelRect{5, 37, 85, 21}));
    EXPECT_EQ(form.values[0], (play::PixelRect{90, 35, 145, 21}));
    EXPECT_EQ(form.labels[4], (play::PixelRect{5, 157, 85, 21}));
    EXPECT_EQ(form.values[4], (play::PixelRect{90, 155, 145, 21}));
    EXPECT_EQ(form.status, (play::PixelRect{5, 185, 230, 21}));

    const PanelLayout info = LayoutDeviceInfo({0, 0, 240, 210});
    EXPECT_EQ(info.title, (play::PixelRect{85, 2, 100, 25}));
    EXPECT_EQ(info.labels[1], (play::PixelRect{5, 67, 100, 21}));
    EXPECT_EQ(info.values[1], (play::PixelRect{105, 65, 130, 21}));
}

}  // namespace
}  // namespace browse
