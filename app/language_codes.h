// app/language_codes.h
//
// The language codes of the configuration and the resource-only modules that
// hold their texts, beside the executable. English (256) is the program's own
// string table; any code not listed here behaves as English too (an ini file
// without a language key gives 0).
#pragma once

inline constexpr int kLangEnglish = 256;
inline constexpr int kLangChineseSimplified = 257;
inline constexpr int kLangChineseTraditional = 258;
inline constexpr int kLangRussian = 259;
inline constexpr int kLangItalian = 260;
inline constexpr int kLangJapanese = 261;

// The module of a language, relative to the executable's folder; nullptr when
// the language has none.
inline const char* LanguageModuleName(int language) {
    switch (language) {
        case kLangChineseSimplified:
            return "Language\\LanguageCHS.dll";
        case kLangChineseTraditional:
            return "Language\\LanguageCHT.dll";
        case kLangRussian:
            return "Language\\LanguageRUS.dll";
        case kLangItalian:
            return "Language\\LanguageIT.dll";
        case kLangJapanese:
            return "Language\\LanguageJPN.dll";
        default:
            return nullptr;
    }
}

// The face of the GUI fonts: SimSun ("宋体" in code page 936) for simplified
// Chinese, Arial for every other language.
inline constexpr const char* kFaceSimSun = "\xCB\xCE\xCC\xE5";
inline constexpr const char* kFaceArial = "Arial";

inline const char* UiFontFace(int language) {
    return language == kLangChineseSimplified ? kFaceSimSun : kFaceArial;
}
