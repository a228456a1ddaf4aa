// tests/skin/theme_names_test.cpp
//
// The outputs of the visual-style name query always end inside their buffers:
// cut names are terminated, and a failed query leaves empty strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "skin/core/theme_names.h"

namespace {

using Text = std::u16string;

TEST(ThemeNamesTest, QueryOutputsAreTerminatedWhateverTheQueryLeft) {
    // A query that fills every buffer to its last character without a NUL.
    const auto fillAll = [](int32_t result) {
        return [result](char16_t* a, int na, char16_t* b, int nb, char16_t* c, int nc) {
            for (auto [buffer, n] : {std::pair{a, na}, {b, nb}, {c, nc}})
                std::fill(buffer, buffer + n, u'x');
            return result;
        };
    };
    char16_t file[8];
    char16_t color[4];
    char16_t size[1];
    EXPECT_EQ(plym::QueryThemeNames(fillAll(0), file, 8, color, 4, size, 1), 0);
    EXPECT_EQ(Text(file), u"xxxxxxx");
    EXPECT_EQ(Text(color), u"xxx");
    EXPECT_EQ(Text(size), u"");

    const int32_t failure = static_cast<int32_t>(0x80004005u);
    EXPECT_EQ(plym::QueryThemeNames(fillAll(failure), file, 8, color, 4, size, 1), failure);
    EXPECT_EQ(Text(file), u"");
    EXPECT_EQ(Text(color), u"");

    // Buffers the caller does not want are left alone.
    EXPECT_EQ(plym::QueryThemeNames([](char16_t*, int, char16_t*, int, char16_t*, int) { return 0; }, file, 8,
                                    static_cast<char16_t*>(nullptr), 0, size, 0),
              0);
}

TEST(ThemeNamesTest, CopiedNamesAreCutToTheBufferAndTerminated) {
    char16_t buffer[6] = {u'?', u'?', u'?', u'?', u'?', u'?'};
    plym::CopyThemeName(buffer, 6, std::u16string_view(u"C:\\Movarel\\Vista.vyrstyles"));
    EXPECT_EQ(Text(buffer), u"C:\\Mo");
    plym::CopyThemeName(buffer, 6, std::u16string_view(u"ab"));
    EXPECT_EQ(Text(buffer), u"ab");
    plym::CopyThemeName(buffer, 1, std::u16string_view(u"ab"));
    EXPECT_EQ(buffer[0], u'\0');
    plym::CopyThemeName(buffer, 0, std::u16string_view(u"ab"));  // nothing written
    plym::CopyThemeName(static_cast<char16_t*>(nullptr), 6, std::u16string_view(u"ab"));
}

}  // namespace
