// Language strings and fonts under Wine: the program's English table, the test
// language module (ASCII texts marked "[T] ", id 109 left out) placed as the
// Russian and the simplified Chinese module, the fonts' faces, and the Russian
// module that ships against the English table.
#include "app/app_config.h"
#include "tests/app/win_test_support.h"

namespace app_test {
namespace {

class Language : public ExeFolderTest {
  protected:
    // Places the test module as `name` in the program's Language folder.
    void PlaceModule(const char* name) {
        fs::create_directories(dir_ / "Language");
        fs::copy_file(ProgramFolder() / "LanguageTest.dll", dir_ / "Language" / name);
    }

    static std::string FaceOf(const CFont& font) {
        LOGFONTA description = {};
        EXPECT_NE(font.GetLogFont(&description), 0);
        return description.lfFaceName;
    }

    AppConfig config_;
};

TEST_F(Language, EnglishComesFromTheProgramsOwnTable) {
    for (int language : {256, 0, 262}) {
        config_.m_language = language;
        config_.LoadLanguageDll();
        EXPECT_EQ(config_.m_languageModule, nullptr) << language;
        EXPECT_STREQ(config_.LoadLangString(151), "Corvane Movarel");
        EXPECT_STREQ(config_.LoadLangString(109), "Warning");
        EXPECT_STREQ(config_.LoadLangString(201), "264 file(*.264)|*.264|all file(*.*)|*.*||");
        EXPECT_STREQ(config_.LoadLangString(266), "The parameters have been changed, restart software?");
        EXPECT_STREQ(config_.LoadLangString(999), "");  // no such id
    }
}

TEST_F(Language, ModuleTextsReplaceEnglishAndItsGapsShowEmpty) {
    PlaceModule("LanguageRUS.dll");
    config_.m_language = 259;
    config_.LoadLanguageDll();
    ASSERT_NE(config_.m_languageModule, nullptr);
    EXPECT_STREQ(config_.LoadLangString(151), "[T] Corvane Movarel");
    EXPECT_STREQ(config_.LoadLangString(317), "[T] Russian");
    EXPECT_STREQ(config_.LoadLangString(109), "");  // in English, not in the module
    EXPECT_STREQ(config_.LoadLangString(999), "");

    // A change of language at run time reloads nothing.
    const HMODULE loaded = config_.m_languageModule;
    config_.m_language = 257;
    config_.LoadLanguageDll();
    EXPECT_EQ(config_.m_languageModule, loaded);
    EXPECT_STREQ(config_.LoadLangString(151), "[T] Corvane Movarel");
}

TEST_F(Language, MissingModuleLeavesEnglish) {
    config_.m_language = 259;
    config_.LoadLanguageDll();
    EXPECT_EQ(config_.m_languageModule, nullptr);
    EXPECT_STREQ(config_.LoadLangString(151), "Corvane Movarel");
}

TEST_F(Language, SimplifiedChineseUsesSimSunWithOrWithoutItsModule) {
    config_.m_language = 257;
    config_.LoadLanguageDll();
    EXPECT_STREQ(config_.LoadLangString(151), "Corvane Movarel");
    CFont font;
    ASSERT_TRUE(config_.CreateUiFont(font, -12, FW_BOLD));
    EXPECT_EQ(FaceOf(font), "\xCB\xCE\xCC\xE5");  // SimSun in code page 936

    AppConfig withModule;
    PlaceModule("LanguageCHS.dll");
    withModule.m_language = 257;
    withModule.LoadLanguageDll();
    EXPECT_STREQ(withModule.LoadLangString(152), "[T] Param Config");
}

TEST_F(Language, FontFacesAndTheRestOfTheDescription) {
    struct Case {
        int language;
        const char* face;
    };
    for (const Case& c :
         {Case{256, "Arial"}, Case{0, "Arial"}, Case{259, "Arial"}, Case{257, "\xCB\xCE\xCC\xE5"}}) {
        config_.m_language = c.language;
        CFont ui;
        ASSERT_TRUE(config_.CreateUiFont(ui, -14, FW_NORMAL));
        LOGFONTA d = {};
        ui.GetLogFont(&d);
        EXPECT_STREQ(d.lfFaceName, c.face) << c.language;
        EXPECT_EQ(d.lfHeight, -14);
        EXPECT_EQ(d.lfWeight, FW_NORMAL);
        EXPECT_EQ(d.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(d.lfQuality, PROOF_QUALITY);
        EXPECT_EQ(d.lfPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
        CFont arial;
        ASSERT_TRUE(CreateArialFont(arial, 16, FW_BOLD));
        EXPECT_EQ(FaceOf(arial), "Arial") << c.language;
    }
    // A font made again replaces the one it held.
    CFont font;
    config_.m_language = 256;
    config_.CreateUiFont(font, -12, FW_NORMAL);
    config_.m_language = 257;
    config_.CreateUiFont(font, -12, FW_NORMAL);
    EXPECT_EQ(FaceOf(font), "\xCB\xCE\xCC\xE5");
}

// The Russian module that ships beside the program has a text for every id of
// the program's own table, and no other ids.
TEST_F(Language, TheShippedRussianModuleTranslatesEveryText) {
    const fs::path shipped = ProgramFolder().parent_path() / "bin" / "Language" / "LanguageRUS.dll";
    HMODULE russian = LoadLibraryExA(shipped.string().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(russian, nullptr) << shipped;
    int texts = 0;
    for (UINT id = 0; id < 4096; ++id) {
        wchar_t english[512] = {};
        wchar_t translated[512] = {};
        const bool inEnglish = LoadStringW(GetModuleHandleA(nullptr), id, english, 512) > 0;
        const bool inRussian = LoadStringW(russian, id, translated, 512) > 0;
        EXPECT_EQ(inRussian, inEnglish) << id;
        texts += inEnglish ? 1 : 0;
    }
    EXPECT_GT(texts, 170);
    wchar_t config[64] = {};
    LoadStringW(russian, 148, config, 64);
    EXPECT_STREQ(config, L"Настройки");
    FreeLibrary(russian);
}

}  // namespace
}  // namespace app_test
