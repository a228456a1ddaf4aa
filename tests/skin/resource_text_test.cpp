// tests/skin/resource_text_test.cpp
//
// String-table blocks read strictly inside their bytes, and the rule that
// picks a module's language.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/core/resource_text.h"

namespace {

std::vector<uint8_t> Block(const std::vector<std::u16string>& entries) {
    std::vector<uint8_t> b;
    for (const std::u16string& e : entries) {
        b.push_back(static_cast<uint8_t>(e.size()));
        b.push_back(static_cast<uint8_t>(e.size() >> 8));
        for (char16_t c : e) {
            b.push_back(static_cast<uint8_t>(c));
            b.push_back(static_cast<uint8_t>(c >> 8));
        }
    }
    return b;
}

TEST(ResourceTextTest, StringBlockEntriesAreFoundInsideTheBlockOnly) {
    const std::vector<uint8_t> block = Block({u"zero", u"", u"two", u"\x41F\x440\x438"});
    std::u16string text;
    ASSERT_TRUE(plym::FindStringInBlock(block.data(), block.size(), 0x30, text));
    EXPECT_EQ(text, u"zero");
    ASSERT_TRUE(plym::FindStringInBlock(block.data(), block.size(), 0x33, text));
    EXPECT_EQ(text, u"\x41F\x440\x438");
    EXPECT_FALSE(plym::FindStringInBlock(block.data(), block.size(), 0x31, text));  // empty entry
    EXPECT_FALSE(plym::FindStringInBlock(block.data(), block.size(), 0x34, text));  // past the block
    // A length that runs past the end.
    EXPECT_FALSE(plym::FindStringInBlock(block.data(), block.size() - 1, 0x33, text));
    EXPECT_FALSE(plym::FindStringInBlock(block.data(), block.size() - 1, 0x3F, text));
    EXPECT_EQ(plym::StringBlockOf(0x33), 4u);
}

TEST(ResourceTextTest, ModuleLanguageIsTheFirstButEnglishLetsTheWalkGoOn) {
    struct Case {
        std::vector<uint16_t> offered;
        uint16_t language;
        size_t taken;  // offers made before the walk stopped
    };
    const std::vector<Case> cases = {
        {{0, 0x419, 0x411}, 0x419, 2},
        {{1033, 0, 0x405, 0x411}, 0x405, 3},
        {{1033, 0}, 1033, 2},
        {{0, 0}, 0, 2},
    };
    for (const Case& c : cases) {
        plym::ModuleLanguagePicker picker;
        size_t taken = 0;
        for (uint16_t language : c.offered) {
            ++taken;
            if (!picker.Offer(language))
                break;
        }
        EXPECT_EQ(picker.Language(), c.language);
        EXPECT_EQ(taken, c.taken);
    }
    EXPECT_EQ(plym::PlymLanguageOf(0x419).codePage, 1251u);
    EXPECT_EQ(plym::PlymLanguageOf(0x411).gdiCharset, 128u);
    EXPECT_EQ(plym::PlymLanguageOf(0x401).codePage, 1256u);
    EXPECT_EQ(plym::PlymLanguageOf(0x405).gdiCharset, 238u);
    EXPECT_EQ(plym::PlymLanguageOf(0x7777).id, 1033);  // unknown: English (United States)
    EXPECT_EQ(plym::PlymLanguages()[0].id, 0x419);
    EXPECT_EQ(plym::PlymLanguages()[plym::kPlymLanguageCount - 1].id, 0x404);
}

}  // namespace
