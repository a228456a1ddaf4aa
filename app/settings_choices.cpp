// app/settings_choices.cpp
#include "app/settings_choices.h"

namespace shell {

int LanguageEntryOf(int code) {
    switch (code) {
        case kLangRussian:
            return kLanguageEntryRussian;
        case kLangChineseSimplified:
        case kLangChineseTraditional:
        case kLangItalian:
        case kLangJapanese:
            return -1;
        default:
            return kLanguageEntryEnglish;
    }
}

int LanguageOfEntry(int entry, int current) {
    switch (entry) {
        case kLanguageEntryEnglish:
            return kLangEnglish;
        case kLanguageEntryRussian:
            return kLangRussian;
        default:
            return current;
    }
}

SettingsStep DecideSettingsStep(SettingsButton button,
                                const SystemChoices& page,
                                const SystemChoices& config) {
    if (!(page == config))
        return SettingsStep::AskRestart;
    return button == SettingsButton::Ok ? SettingsStep::WriteAndClose : SettingsStep::WriteAndStay;
}

}  // namespace shell
