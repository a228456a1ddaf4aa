// skin/core/resource_text.cpp
#include "skin/core/resource_text.h"

#include <array>

namespace plym {

bool FindStringInBlock(const void* block, size_t size, uint32_t id, std::u16string& text) {
    text.clear();
    const auto* b = static_cast<const uint8_t*>(block);
    if (b == nullptr)
        return false;
    size_t at = 0;
    for (uint32_t skip = id & 15; skip > 0; --skip) {
        if (size - at < 2)
            return false;
        const size_t length = b[at] | static_cast<size_t>(b[at + 1]) << 8;
        at += 2;
        if (length > (size - at) / 2)
            return false;
        at += length * 2;
    }
    if (size - at < 2)
        return false;
    const size_t length = b[at] | static_cast<size_t>(b[at + 1]) << 8;
    at += 2;
    if (length == 0 || length > (size - at) / 2)
        return false;
    text.resize(length);
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<char16_t>(b[at + i * 2] | b[at + i * 2 + 1] << 8);
    return true;
}

namespace {

// GDI character sets.
constexpr uint32_t kAnsi = 0;
constexpr uint32_t kShiftJis = 128;
constexpr uint32_t kHangul = 129;
constexpr uint32_t kGb2312 = 134;
constexpr uint32_t kBig5 = 136;
constexpr uint32_t kGreek = 161;
constexpr uint32_t kTurkish = 162;
constexpr uint32_t kVietnamese = 163;
constexpr uint32_t kHebrew = 177;
constexpr uint32_t kArabic = 178;
constexpr uint32_t kBaltic = 186;
constexpr uint32_t kRussian = 204;
constexpr uint32_t kThai = 222;
constexpr uint32_t kEastEurope = 238;

constexpr std::array<PlymLanguage, kPlymLanguageCount> kLanguages = {{
    {0x419, 1251, "windows-1251", "Russian", "LANG_RUSSIAN", "Tahoma", kRussian},
    {0x411, 932, "shift-jis", "Japanese", "LANG_JAPANESE", "MS UI Gothic", kShiftJis},
    {0x401, 1256, "windows-1256", "Arabic (Saudi Arabia)", "LANG_ARABIC", "Tahoma", kArabic},
    {0x405, 1250, "windows-1250", "Czech", "LANG_CZECH", "Tahoma", kEastEurope},
    {0x406, 1252, "windows-1252", "Danish", "LANG_DANISH", "Tahoma", kAnsi},
    {0x407, 1252, "windows-1252", "German (Germany)", "LANG_GERMAN", "Tahoma", kAnsi},
    {0x408, 1253, "windows-1253", "Greek", "LANG_GREEK", "Tahoma", kGreek},
    {0x409, 1252, "windows-1252", "English (United States)", "LANG_ENGLISH", "Tahoma", kAnsi},
    {0x40A, 1252, "windows-1252", "Spanish (Traditional Sort)", "LANG_SPANISH", "Tahoma", kAnsi},
    {0x40B, 1252, "windows-1252", "Finnish", "LANG_FINNISH", "Tahoma", kAnsi},
    {0x40C, 1252, "windows-1252", "French (France)", "LANG_FRENCH", "Tahoma", kAnsi},
    {0x40D, 1255, "windows-1255", "Hebrew", "LANG_HEBREW", "Tahoma", kHebrew},
    {0x40E, 1250, "windows-1250", "Hungarian", "LANG_HUNGARIAN", "Tahoma", kEastEurope},
    {0x410, 1252, "windows-1252", "Italian (Italy)", "LANG_ITALIAN", "Tahoma", kAnsi},
    {0x412, 949, "ks_c_5601-1987", "Korean", "LANG_KOREAN", "Gulim", kHangul},
    {0x413, 1252, "windows-1252", "Dutch (Netherlands)", "LANG_DUTCH", "Tahoma", kAnsi},
    {0x414, 1252, "windows-1252", "Norwegian (Bokmal)", "LANG_NORWEGIAN", "Tahoma", kAnsi},
    {0x415, 1250, "windows-1250", "Polish", "LANG_POLISH", "Tahoma", kEastEurope},
    {0x416, 1252, "windows-1252", "Portuguese (Brazil)", "LANG_PORTUGUESE", "Tahoma", kAnsi},
    {0x816, 1252, "windows-1252", "Portuguese (Portugal)", "LANG_PORTUGUESE", "Tahoma", kAnsi},
    {0x418, 1250, "windows-1250", "Romanian", "LANG_ROMANIAN", "Tahoma", kEastEurope},
    {0x41A, 1250, "windows-1250", "Croatian", "LANG_CROATIAN", "Tahoma", kEastEurope},
    {0x41B, 1250, "windows-1250", "Slovak", "LANG_SLOVAK", "Tahoma", kEastEurope},
    {0x424, 1250, "windows-1250", "Slovenian", "LANG_SLOVENIAN", "Tahoma", kEastEurope},
    {0x41D, 1252, "windows-1252", "Swedish", "LANG_SWEDISH", "Tahoma", kAnsi},
    {0x41E, 874, "windows-874", "Thai", "LANG_THAI", "Tahoma", kThai},
    {0x41F, 1254, "windows-1254", "Turkish", "LANG_TURKISH", "Tahoma", kTurkish},
    {0x422, 1251, "windows-1251", "Ukrainian", "LANG_UKRAINIAN", "Tahoma", kRussian},
    {0x402, 1251, "windows-1251", "Bulgarian", "LANG_BULGARIAN", "Tahoma", kRussian},
    {0x425, 1257, "windows-1257", "Estonian", "LANG_ESTONIAN", "Tahoma", kBaltic},
    {0x426, 1257, "windows-1257", "Latvian", "LANG_LATVIAN", "Tahoma", kBaltic},
    {0x427, 1257, "windows-1257", "Lithuanian", "LANG_LITHUANIAN", "Tahoma", kBaltic},
    {0x42A, 1258, "windows-1258", "Vietnamese", "LANG_VIETNAMESE", "Tahoma", kVietnamese},
    {0x804, 936, "gb2312", "Chinese (PRC)", "LANG_CHINESE", "SimSun", kGb2312},
    {0x404, 950, "big5", "Chinese (Taiwan)", "LANG_CHINESE", "PMingLiU", kBig5},
}};

}  // namespace

const PlymLanguage* PlymLanguages() {
    return kLanguages.data();
}

const PlymLanguage& PlymLanguageOf(uint16_t id) {
    const PlymLanguage* english = nullptr;
    for (const PlymLanguage& language : kLanguages) {
        if (language.id == id)
            return language;
        if (language.id == kEnglishUs)
            english = &language;
    }
    return *english;
}

bool ModuleLanguagePicker::Offer(uint16_t language) {
    if (language == 0)
        return true;
    language_ = language;
    return language == kEnglishUs;
}

}  // namespace plym
