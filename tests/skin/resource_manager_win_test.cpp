// tests/skin/resource_manager_win_test.cpp
//
// The resource manager under Wine, with the Russian test module as the
// framework's resource module: its language and code page are detected, and
// strings, a dialog template, an icon of the size asked for and an HTML page
// are found in it before the application is tried.
#include <gtest/gtest.h>

#include <string>

#include "skin/core/draw_helpers.h"
#include "skin/core/resource_manager.h"
#include "tests/skin/skin_win_support.h"

namespace {

class ResourceManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = ::LoadLibraryExA((skintest::ProgramFolder() + "skin_test_module.dll").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
        resources_.SetResourceModule(module_);
    }

    HMODULE module_ = nullptr;
    CPlymResourceManager resources_;  // frees the module
};

TEST_F(ResourceManagerTest, FindsStringsInTheModulesLanguage) {
    EXPECT_EQ(resources_.GetLanguageId(), 0x419);
    EXPECT_EQ(resources_.GetLanguage().codePage, 1251u);

    CString text;
    BOOL missing = TRUE;
    ASSERT_EQ(resources_.LoadString(text, 100, &missing), 6);
    EXPECT_FALSE(missing);
    EXPECT_STREQ(text, "\xCF\xF0\xE8\xE2\xE5\xF2");  // "Privet" in code page 1251
    ASSERT_EQ(resources_.LoadString(text, 101), 10);
    EXPECT_STREQ(text, "ascii text");
    ASSERT_GT(resources_.LoadString(text, 130), 0);  // block 9
    EXPECT_STREQ(text, "\xE1\xEB\xEE\xEA 9");

    // Neither the module nor the test program has string 102.
    EXPECT_EQ(resources_.LoadString(text, 102, &missing), 0);
    EXPECT_TRUE(missing);
    EXPECT_TRUE(text.IsEmpty());

    EXPECT_EQ(resources_.AnsiToWide("\xCF"), std::wstring(1, L'\x041F'));
}

TEST_F(ResourceManagerTest, FindsADialogTemplateAnIconOfTheRightSizeAndHtml) {
    DWORD size = 0;
    const auto* dialog = static_cast<const uint8_t*>(resources_.LockDialogTemplate(200, &size));
    ASSERT_NE(dialog, nullptr);
    ASSERT_GE(size, 26u);
    EXPECT_EQ(dialog[0] | dialog[1] << 8, 1);       // DLGTEMPLATEEX version
    EXPECT_EQ(dialog[2] | dialog[3] << 8, 0xFFFF);  // and signature
    EXPECT_EQ(resources_.LockDialogTemplate(201), nullptr);

    for (int side : {16, 32, 48}) {
        SCOPED_TRACE(side);
        HICON icon = resources_.LoadIconBySize(module_, MAKEINTRESOURCEA(300), side, side);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(PlymGetIconSize(icon), CSize(side, side));
        ::DestroyIcon(icon);
    }
    HICON icon = resources_.LoadImage(MAKEINTRESOURCEA(300), 32, 32);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(PlymGetIconSize(icon), CSize(32, 32));
    ::DestroyIcon(icon);
    EXPECT_EQ(resources_.LoadIconBySize(module_, MAKEINTRESOURCEA(301), 32, 32), nullptr);

    const void* page = nullptr;
    DWORD pageSize = 0;
    ASSERT_TRUE(resources_.LoadHtml(MAKEINTRESOURCEA(400), &page, &pageSize));
    EXPECT_EQ(std::string(static_cast<const char*>(page), 6), "<html>");
    EXPECT_FALSE(resources_.LoadHtml(MAKEINTRESOURCEA(401)));

    // Without a framework module the language is English (United States).
    resources_.Close();
    resources_.UpdateLanguage();
    EXPECT_EQ(resources_.GetLanguageId(), 1033);
}

}  // namespace
