// tests/skin/skin_module_win_test.cpp
//
// The skin modules the build makes, loaded as Windows loads them: our skin
// "Vista.vyrstyles" beside the program and the state-coded test skin. Each
// loads as code and as data, holds its INI section "NormalBlack.ini" as
// UTF-16 text with CRLF line ends that the schema reads exactly as it reads
// the INI's ASCII source, names its INI in THEMES_INI, and holds a bitmap for
// every image its INI names.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "skin/core/schema_store.h"
#include "skin/core/skin_file.h"
#include "tests/skin/skin_test_support.h"
#include "tests/skin/win_skin_support.h"

namespace {

struct SkinModule {
    const char* name;
    const char* module;
    const char* iniSource;
};

void PrintTo(const SkinModule& skin, std::ostream* out) {
    *out << skin.module;
}

class SkinModuleTest : public testing::TestWithParam<SkinModule> {};

TEST_P(SkinModuleTest, LoadsAndHoldsItsIniAndEveryImage) {
    HMODULE code = LoadLibraryA(GetParam().module);
    ASSERT_NE(code, nullptr) << GetParam().module << ": error " << GetLastError();
    HMODULE data = LoadLibraryExA(GetParam().module, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(data, nullptr);

    for (HMODULE module : {code, data}) {
        const std::wstring text = skintest::ModuleText(module, "NORMALBLACK_INI");
        ASSERT_GT(text.size(), 100u);
        EXPECT_EQ(text.front(), 0xFEFF);  // UTF-16LE with its byte-order mark
        EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
        size_t bare = 0;
        for (size_t i = 0; i < text.size(); ++i)
            bare += text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r');
        EXPECT_EQ(bare, 0u) << "line feeds without a carriage return";

        EXPECT_NE(skintest::ModuleText(module, "THEMES_INI").find(L"[File.NormalBlack]"), std::wstring::npos);
    }

    auto* file = new CPlymSkinManagerResourceFile();
    ASSERT_TRUE(file->Open(GetParam().module, "NormalBlack.ini"));
    plym::SchemaStore fromModule;
    fromModule.ReadProperties(*file);
    plym::SchemaStore fromSource;
    skintest::Parse(&fromSource, skintest::ReadFile(GetParam().iniSource));
    EXPECT_GT(fromModule.PropertyCount(), 100u);
    EXPECT_EQ(fromModule.PropertyCount(), fromSource.PropertyCount());

    // Every image the INI names is a bitmap resource of the module.
    skintest::TextLines lines(skintest::ReadFile(GetParam().iniSource));
    std::string line;
    int images = 0;
    while (lines.ReadLine(&line)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos || line[0] == ';' || line[0] == '[')
            continue;
        std::string name = line.substr(0, equals);
        name.erase(name.find_last_not_of(' ') + 1);
        if (name != "ImageFile" && name != "GlyphImageFile")
            continue;
        const std::string path = line.substr(line.find_first_not_of(' ', equals + 1));
        IPlymSkinImage* image = file->LoadSkinImage(path.c_str(), nullptr);
        ASSERT_NE(image, nullptr) << path;
        EXPECT_GT(image->PixelWidth(), 0);
        delete image;
        ++images;
    }
    EXPECT_GT(images, 10);
    file->Release();

    FreeLibrary(data);
    FreeLibrary(code);
}

INSTANTIATE_TEST_SUITE_P(Modules,
                         SkinModuleTest,
                         testing::Values(SkinModule{"Vista", VEK_VISTA_SKIN_MODULE, VEK_VISTA_SKIN_INI},
                                         SkinModule{"StateCoded", VEK_STATE_CODED_SKIN_MODULE,
                                                    VEK_STATE_CODED_SKIN_INI}),
                         [](const testing::TestParamInfo<SkinModule>& skin) { return skin.param.name; });

}  // namespace
