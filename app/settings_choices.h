// app/settings_choices.h
//
// What the settings dialog decides without its windows: the language combo's
// entries and the codes they stand for, and what OK and APPLY do with the
// system page's choices.
//
// The language combo offers English (256) and Russian (259), the two
// languages that ship. A configured code that has no entry (257, 258, 260,
// 261: languages whose modules may be installed by hand) selects no entry and
// is kept as it is unless the user picks one; a code that behaves as English
// (0 from an ini file without the key, any unknown number) shows English and
// is likewise kept until a pick.
//
// Language, watermark, the sensor panel switch and GPS take effect only at
// start-up, so a change of any of them asks for a restart. OK and APPLY
// compare the same four settings: the GPS switch the page shows (hidden, set
// from the configuration) counts for both, so a configuration with GPS on
// does not ask for a restart on every OK, and OK never switches GPS off.
// Without a change, OK writes the ini file and closes the dialog, APPLY
// writes it and leaves the dialog open.
#pragma once

#include "app/language_codes.h"

namespace shell {

// The language combo's entries, in order.
inline constexpr int kLanguageEntryEnglish = 0;
inline constexpr int kLanguageEntryRussian = 1;

// The entry that shows `code`: Russian for 259; none (-1) for 257, 258, 260
// and 261; English for every other code.
int LanguageEntryOf(int code);
// The code of the entry the user picked; `current` when the pick is no entry.
int LanguageOfEntry(int entry, int current);

// The system page's settings, each taking effect in a new process.
struct SystemChoices {
    int language = kLangEnglish;
    int watermark = 0;
    int mimic = 0;
    int gps = 0;
    bool operator==(const SystemChoices&) const = default;
};

enum class SettingsButton { Ok, Apply };

enum class SettingsStep {
    WriteAndClose,  // OK with nothing that needs a restart
    WriteAndStay,   // APPLY with nothing that needs a restart
    AskRestart,     // a change: ask whether to restart the program
};

SettingsStep DecideSettingsStep(SettingsButton button,
                                const SystemChoices& page,
                                const SystemChoices& config);

}  // namespace shell
