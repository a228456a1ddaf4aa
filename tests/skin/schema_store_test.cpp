// tests/skin/schema_store_test.cpp
//
// The skin INI parser and property store: both skins this project ships (our
// own dark skin and the state-coded test skin) are read with every section,
// headers and values parse as the skin format says, look-ups fall back in
// their fixed order, and the getters report their three results.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "skin/core/plym_muldiv.h"
#include "skin/core/schema_store.h"
#include "tests/skin/skin_test_support.h"

namespace {

using plym::SchemaKey;
using plym::SchemaStore;
using skintest::Parse;

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The INI read independently of the parser: each section header with the
// property names under it.
struct Section {
    std::string header;  // between the brackets
    std::vector<std::string> names;
    std::vector<std::string> values;
};

std::vector<Section> Sections(const std::string& text) {
    std::vector<Section> sections;
    skintest::TextLines lines(text);
    std::string line;
    while (lines.ReadLine(&line)) {
        line = Trimmed(line.substr(0, line.find(';')));
        if (line.empty())
            continue;
        if (line.front() == '[') {
            sections.push_back({line.substr(1, line.size() - 2), {}, {}});
        } else if (!sections.empty() && line.find('=') != std::string::npos) {
            sections.back().names.push_back(Trimmed(line.substr(0, line.find('='))));
            sections.back().values.push_back(Trimmed(line.substr(line.find('=') + 1)));
        }
    }
    return sections;
}

struct ShippedSkin {
    const char* name;
    const char* path;
    size_t sections;  // as counted when the skin was written: a guard against a truncated file
};

void PrintTo(const ShippedSkin& skin, std::ostream* out) {
    *out << skin.path;
}

class ShippedSkinTest : public testing::TestWithParam<ShippedSkin> {};

TEST_P(ShippedSkinTest, EverySectionAndPropertyIsRead) {
    const std::string text = skintest::ReadFile(GetParam().path);
    ASSERT_FALSE(text.empty()) << GetParam().path;
    SchemaStore store;
    Parse(&store, text);

    const std::vector<Section> sections = Sections(text);
    EXPECT_EQ(sections.size(), GetParam().sections);
    size_t properties = 0;
    for (const Section& section : sections) {
        const uint32_t key = store.ParseSectionKey(Upper(section.header));
        ASSERT_NE(key, 0u) << "[" << section.header << "] is dropped";
        for (size_t i = 0; i < section.names.size(); ++i) {
            int kind = 0;
            const int id = plym::GetSchemaPropertyId(section.names[i], &kind);
            ASSERT_NE(id, 0) << section.names[i] << " in [" << section.header << "] is no property";
            const plym::SchemaProperty* property = store.FindExact(key + static_cast<uint32_t>(id));
            ASSERT_NE(property, nullptr) << section.names[i] << " in [" << section.header << "]";
            EXPECT_EQ(property->kind, kind);
            ++properties;
        }
    }
    EXPECT_EQ(store.PropertyCount(), properties);
}

INSTANTIATE_TEST_SUITE_P(Skins,
                         ShippedSkinTest,
                         testing::Values(ShippedSkin{"Vista", VEK_VISTA_SKIN_INI, 99},
                                         ShippedSkin{"StateCoded", VEK_STATE_CODED_SKIN_INI, 401}),
                         [](const testing::TestParamInfo<ShippedSkin>& skin) { return skin.param.name; });

TEST(StateCodedSkinTest, EverySectionFillsTheColourOfItsClassPartAndState) {
    const std::string text = skintest::ReadFile(VEK_STATE_CODED_SKIN_INI);
    SchemaStore store;
    Parse(&store, text);
    int coded = 0;
    for (const Section& section : Sections(text)) {
        const uint32_t key = store.ParseSectionKey(Upper(section.header));
        const plym::SchemaProperty* fill = store.FindExact(key + plym::kPropFillColor);
        if (!fill)
            continue;
        const skintest::KeyParts parts = skintest::SplitKey(key);
        EXPECT_EQ(fill->color, plym::Rgb(parts.classCode * 8, parts.part * 6, parts.state * 12))
            << "[" << section.header << "]";
        ++coded;
    }
    EXPECT_GT(coded, 300);
}

TEST(SchemaStoreTest, SectionHeadersIgnoreCaseAndAnUnknownNameDropsTheWholeSection) {
    SchemaStore store;
    const uint32_t hot = SchemaKey(7, 1, 2, 0);
    EXPECT_EQ(store.ParseSectionKey("BUTTON.PUSHBUTTON(HOT)"), hot);
    Parse(&store,
          "[Button.PushButton(Hot)]\n"
          "BorderSize = 3\n"
          "[BUTTON.PUSHBUTTON(HOT)]\n"
          "ImageCount = 4\n"
          "[Button.PushButton(Warm)]\n"  // no such state
          "BorderSize = 9\n"
          "[Button.Knob]\n"  // no such part
          "BorderSize = 9\n"
          "[Button::PushButton]\n"  // ':' is never ours
          "BorderSize = 9\n"
          "[Button]\n"
          "NoSuchName = 9\n");
    ASSERT_NE(store.FindExact(hot + plym::kPropBorderSize), nullptr);
    EXPECT_EQ(store.FindExact(hot + plym::kPropBorderSize)->number, 3);
    EXPECT_EQ(store.FindExact(hot + plym::kPropImageCount)->number, 4);
    EXPECT_EQ(store.PropertyCount(), 2u);
}

// The tab parts spelt "...BOTHEDGE" have their states filed under
// "...BOTHEDGES": both spellings name the same part and states.
TEST(SchemaStoreTest, BothEdgeTabSectionsAreReadInEitherSpelling) {
    SchemaStore store;
    Parse(&store,
          "[Tab.TabItemBothEdge(Hot)]\n"
          "BorderSize = 1\n"
          "[Tab.TopTabItemBothEdge(Selected)]\n"
          "BorderSize = 2\n"
          "[Tab.TabItemBothEdges(Disabled)]\n"
          "BorderSize = 3\n"
          "[Tab.TopTabItemBothEdges]\n"
          "BorderSize = 4\n");
    const struct { int part, state, value; } cases[] = {{4, 2, 1}, {8, 3, 2}, {4, 4, 3}, {8, 0, 4}};
    for (const auto& c : cases) {
        const plym::SchemaProperty* property =
            store.FindExact(SchemaKey(15, c.part, c.state, plym::kPropBorderSize));
        ASSERT_NE(property, nullptr) << "part " << c.part << " state " << c.state;
        EXPECT_EQ(property->number, c.value);
    }
}

TEST(SchemaStoreTest, ValuesParseByKind) {
    SchemaStore store;
    store.SetDisplayInfo({120, 204});
    Parse(&store,
          "; a comment line\n"
          "[Button]\n"
          "TextColor = 255 0 0 ; red, the comment and the spaces dropped\n"
          "BorderColor = 010 0x10 16\n"  // octal, hexadecimal, decimal
          "EdgeLightColor = 300 7\n"     // bytes wrap; blue never read
          "SizingMargins = 1,2,3,4\n"
          "ContentMargins = 5, 6\n"
          "CaptionFont = Segoe UI, 8, Bold\n"
          "GlyphFont = Segoe UI, 8\n"
          "Font = A very long face name that no font has, 10, bold\n"
          "BgType = BorderFill\n"
          "SizingType = Nonsense\n"
          "Transparent = True\n"
          "BorderOnly = yes\n"
          "Offset = 0x10,-3\n"
          "BorderSize = 12abc\n"
          "IntList = 1, 2, 3\n"
          "ImageFile = Images\\Frame.bmp\n");
    const auto at = [&](int id) { return store.FindExact(SchemaKey(7, 0, 0, static_cast<uint32_t>(id))); };
    EXPECT_EQ(at(3803)->color, plym::Rgb(255, 0, 0));
    EXPECT_EQ(at(3801)->color, plym::Rgb(8, 16, 16));
    EXPECT_EQ(at(3804)->color, plym::Rgb(300 & 0xFF, 7, 0));
    EXPECT_EQ(at(3601)->rect, (plym::Rect{1, 3, 2, 4}));  // written left, right, top, bottom
    EXPECT_EQ(at(3602)->rect, (plym::Rect{5, 0, 6, 0}));
    const plym::LogFont& bold = at(801)->font;
    EXPECT_STREQ(bold.faceName, "SEGOE UI");
    EXPECT_EQ(bold.weight, 700);
    EXPECT_EQ(bold.height, -PlymMulDiv(8, 120, 72));
    EXPECT_EQ(bold.charSet, 204);
    EXPECT_EQ(at(2601)->font.weight, 400);
    EXPECT_EQ(std::string(at(210)->font.faceName), std::string("A VERY LONG FACE NAME THAT NO F"));
    EXPECT_EQ(at(210)->font.height, -PlymMulDiv(10, 120, 72));
    EXPECT_EQ(at(4001)->number, 1);
    EXPECT_EQ(at(4004)->number, -1);
    EXPECT_EQ(at(2201)->number, 1);
    EXPECT_EQ(at(2203)->number, 0);
    EXPECT_EQ(at(3401)->position, (plym::Point{16, -3}));
    EXPECT_EQ(at(2403)->number, 12);
    EXPECT_EQ(at(211), nullptr);  // integer lists are not kept
    EXPECT_EQ(at(3001)->text, "IMAGES\\FRAME.BMP");
    EXPECT_TRUE(store.Premultiply());
}

TEST(SchemaStoreTest, AlphaLevel255InDocumentationTurnsPremultiplyingOff) {
    SchemaStore store;
    Parse(&store, "[Documentation]\nAlphaLevel = 255\n");
    EXPECT_FALSE(store.Premultiply());
}

// What a look-up finds first, from the most specific section on.
TEST(SchemaStoreTest, LookupFallsBackFromTheStateToTheClassAndThenToGlobals) {
    const std::string all =
        "[Globals]\nBorderSize = 5\n"
        "[Button]\nBorderSize = 4\n"
        "[Button.PushButton]\nBorderSize = 3\n"
        "[Button(Hot)]\nBorderSize = 2\n"  // no state table for the class: dropped
        "[Button.PushButton(Hot)]\nBorderSize = 1\n";
    SchemaStore store;
    Parse(&store, all);
    const struct {
        int part, state, expected;
    } lookups[] = {
        {1, 2, 1},  // (c, p, s)
        {1, 3, 3},  // no (c, p, PRESSED): (c, p, 0)
        {1, 0, 3},  // state 0 starts at (c, p, 0)
        {0, 0, 4},  // (c, 0, 0)
        {2, 1, 4},  // a part without entries: (c, 0, 0)
    };
    for (const auto& l : lookups) {
        int value = 0;
        EXPECT_EQ(store.GetIntProperty(7, l.part, l.state, plym::kPropBorderSize, &value), plym::kResultOk);
        EXPECT_EQ(value, l.expected) << "part " << l.part << " state " << l.state;
    }

    // (c, 0, s) comes before (c, p, 0) when the part has no entry for the state.
    SchemaStore scroll;
    Parse(&scroll,
          "[Scrollbar.ThumbBtnHorz]\nBorderSize = 3\n"
          "[Scrollbar(Hot)]\nBorderSize = 2\n"
          "[Edit.EditText]\nBorderSize = 6\n");
    int value = 0;
    scroll.GetIntProperty(21, 2, 2, plym::kPropBorderSize, &value);
    EXPECT_EQ(value, 2);
    scroll.GetIntProperty(21, 2, 1, plym::kPropBorderSize, &value);
    EXPECT_EQ(value, 3);
    // Only [Globals] is shared between classes.
    EXPECT_EQ(scroll.GetIntProperty(22, 0, 0, plym::kPropBorderSize, &value), plym::kResultAbsent);
    Parse(&scroll, "[Globals]\nBorderSize = 5\n");
    scroll.GetIntProperty(22, 3, 4, plym::kPropBorderSize, &value);
    EXPECT_EQ(value, 5);
}

TEST(SchemaStoreTest, GettersReportSuccessAbsenceAndWrongKind) {
    SchemaStore store;
    store.SetColorFilter([](plym::Color c) { return c ^ 0xFFFFFF; });
    Parse(&store,
          "[Button]\nBorderSize = 2\nTransparent = True\nFillColor = 10 20 30\nCaptionFont = Tahoma, 8\n");
    int number = 0;
    bool flag = false;
    plym::Color color = 0;
    plym::LogFont font;
    EXPECT_EQ(store.GetIntProperty(7, 1, 1, plym::kPropBorderSize, &number), plym::kResultOk);
    EXPECT_EQ(number, 2);
    EXPECT_EQ(store.GetBoolProperty(7, 0, 0, plym::kPropTransparent, &flag), plym::kResultOk);
    EXPECT_TRUE(flag);
    EXPECT_EQ(store.GetColorProperty(7, 0, 0, plym::kPropFillColor, &color), plym::kResultOk);
    EXPECT_EQ(color, plym::Rgb(10, 20, 30) ^ 0xFFFFFF);  // through the colour filter
    EXPECT_EQ(store.GetFontProperty(7, 0, 0, plym::kPropCaptionFont, &font), plym::kResultOk);
    EXPECT_STREQ(font.faceName, "TAHOMA");

    number = 77;
    EXPECT_EQ(store.GetIntProperty(7, 0, 0, plym::kPropImageCount, &number), plym::kResultAbsent);
    EXPECT_EQ(store.GetIntProperty(7, 0, 0, plym::kPropFillColor, &number), plym::kResultWrongKind);
    EXPECT_EQ(store.GetColorProperty(7, 0, 0, plym::kPropBorderSize, &color), plym::kResultWrongKind);
    EXPECT_EQ(store.GetBoolProperty(7, 0, 0, plym::kPropBorderSize, &flag), plym::kResultWrongKind);
    EXPECT_EQ(store.GetFontProperty(7, 0, 0, plym::kPropFillColor, &font), plym::kResultWrongKind);
    EXPECT_EQ(number, 77);  // untouched on failure
}

TEST(SchemaStoreTest, ALaterLineReplacesAnEarlierOneAndAReadStartsAfresh) {
    SchemaStore store;
    Parse(&store, "[Button]\nBorderSize = 2\nBorderSize = 7\nFillColor = 1 2 3\n");
    int number = 0;
    store.GetIntProperty(7, 0, 0, plym::kPropBorderSize, &number);
    EXPECT_EQ(number, 7);
    Parse(&store, "[Edit]\nBorderSize = 1\n");
    EXPECT_EQ(store.PropertyCount(), 1u);
}

}  // namespace
