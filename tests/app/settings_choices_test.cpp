// The settings dialog's decisions: which language entry shows a configured
// code and which code a pick gives, and what OK and APPLY do with the system
// page's choices against the configuration.
#include "app/settings_choices.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

TEST(LanguageCombo, EntriesShowTheirCodesAndCodesWithoutAnEntryAreKept) {
    struct Case {
        int code;
        int entry;
    };
    for (const Case& c : {Case{256, 0}, Case{259, 1}, Case{0, 0}, Case{999, 0}, Case{-1, 0}, Case{257, -1},
                          Case{258, -1}, Case{260, -1}, Case{261, -1}}) {
        EXPECT_EQ(LanguageEntryOf(c.code), c.entry) << c.code;
        // Not picking keeps the configured code, whatever it is.
        EXPECT_EQ(LanguageOfEntry(-1, c.code), c.code);
        // Picking gives the entry's code.
        EXPECT_EQ(LanguageOfEntry(0, c.code), 256);
        EXPECT_EQ(LanguageOfEntry(1, c.code), 259);
    }
}

TEST(SettingsStep, AChangeOfAnyOfTheFourAsksForARestartUnderBothButtons) {
    const SystemChoices config{256, 0, 0, 0};
    const SystemChoices changed[] = {{259, 0, 0, 0}, {256, 1, 0, 0}, {256, 0, 1, 0}, {256, 0, 0, 1}};
    for (const SystemChoices& page : changed) {
        EXPECT_EQ(DecideSettingsStep(SettingsButton::Ok, page, config), SettingsStep::AskRestart);
        EXPECT_EQ(DecideSettingsStep(SettingsButton::Apply, page, config), SettingsStep::AskRestart);
    }
    EXPECT_EQ(DecideSettingsStep(SettingsButton::Ok, config, config), SettingsStep::WriteAndClose);
    EXPECT_EQ(DecideSettingsStep(SettingsButton::Apply, config, config), SettingsStep::WriteAndStay);
}

// GPS on in the configuration: the page shows it (hidden) and OK compares it
// like APPLY, so nothing changed means no question.
TEST(SettingsStep, OkWithGpsOnAndNothingChangedAsksNothing) {
    const SystemChoices config{256, 1, 0, 1};
    EXPECT_EQ(DecideSettingsStep(SettingsButton::Ok, config, config), SettingsStep::WriteAndClose);
    EXPECT_EQ(DecideSettingsStep(SettingsButton::Ok, {256, 1, 0, 0}, config), SettingsStep::AskRestart);
}

}  // namespace
}  // namespace shell
