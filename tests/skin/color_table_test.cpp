// tests/skin/color_table_test.cpp
//
// The colour manager's palette: blends, the contrast rules in the weighted
// colour space with their worked numbers, the derived colours of a refresh,
// and the classification of the system's visual style.
#include <gtest/gtest.h>

#include "skin/core/color_table.h"

namespace {

using plym::Color;
using plym::ColorTable;

constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;

TEST(ColorTableTest, ContrastOperationsGiveTheWorkedNumbers) {
    const struct {
        const char* what;
        Color result, expected;
    } cases[] = {
        {"EnsureContrast(black, black, 50): threshold 100, from white",
         ColorTable::EnsureContrast(kBlack, kBlack, 50), 0x3A3A3A},
        {"EnsureContrast(white, white, 50): threshold 50, from black",
         ColorTable::EnsureContrast(kWhite, kWhite, 50), 0xE2E2E2},
        {"EnsureContrast(grey, grey, 50)", ColorTable::EnsureContrast(0x808080, 0x808080, 50), 0x636363},
        {"LimitContrast(black, white, 35)", ColorTable::LimitContrast(kBlack, kWhite, 35), 0x282828},
        {"LimitContrast(white, black, 35)", ColorTable::LimitContrast(kWhite, kBlack, 35), 0xEBEBEB},
        {"BlendColors(white, black, 50)", ColorTable::BlendColors(kWhite, kBlack, 50), 0x808080},
        {"BlendColors(white, black, 500)", ColorTable::BlendColors(kWhite, kBlack, 500), 0x808080},
        {"BlendColors per byte", ColorTable::BlendColors(0x0000FF, 0xFF0000, 165), 0xD5002A},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, c.expected) << c.what;
}

TEST(ColorTableTest, ContrastIsEnoughOnlyBeyondTheThreshold) {
    for (Color a : {kBlack, kWhite, Color{0x3A84C4}, Color{0x808080}})
        EXPECT_FALSE(ColorTable::IsContrastEnough(a, a, false, 0));
    // Black and white lie about 441 apart: enough for 220 plain, not for 221
    // adapted from black (twice that).
    EXPECT_TRUE(ColorTable::IsContrastEnough(kBlack, kWhite, false, 440));
    EXPECT_FALSE(ColorTable::IsContrastEnough(kBlack, kWhite, false, 441));
    EXPECT_TRUE(ColorTable::IsContrastEnough(kBlack, kWhite, true, 220));
    EXPECT_FALSE(ColorTable::IsContrastEnough(kBlack, kWhite, true, 221));
    EXPECT_TRUE(ColorTable::IsContrastEnough(kWhite, kBlack, true, 440));
    // What EnsureContrast gives is far enough by its own measure.
    const Color moved = ColorTable::EnsureContrast(0x202022, 0x242426, 80);
    EXPECT_TRUE(ColorTable::IsContrastEnough(0x202022, moved, true, 75));
}

TEST(ColorTableTest, GetColorReturnsOverridesAndColoursGivenAsIs) {
    ColorTable table;
    plym::ColorSources sources;
    sources.sysColor = [](int n) { return static_cast<Color>(n * 0x010101); };
    table.RefreshColors(sources);
    EXPECT_EQ(table.GetColor(200), 200u);
    EXPECT_EQ(table.GetColor(0x00FF00), 0x00FF00u);
    EXPECT_EQ(table.GetColor(0), 0u);
    EXPECT_EQ(table.GetColor(5), 0x050505u);
    table.SetOverride(0, 0x123456);
    table.SetOverride(5, 0x654321);
    EXPECT_EQ(table.GetColor(0), 0x123456u);
    EXPECT_EQ(table.GetColor(5), 0x654321u);
    table.SetOverride(5, plym::kNoColor);
    EXPECT_EQ(table.GetColor(5), 0x050505u);
}

// The classic grey system colours.
Color ClassicColor(int n) {
    switch (n) {
        case 5:
            return kWhite;
        case 13:
            return 0x6A240A;
        case 14:
            return kWhite;
        case 15:
            return 0xC8D0D4;
        case 16:
            return 0x808080;
        case 17:
            return 0x808080;
        case 18:
            return kBlack;
        default:
            return 0x404040;
    }
}

TEST(ColorTableTest, OnALowColourDisplayDerivedColoursArePlainCopies) {
    ColorTable table;
    plym::ColorSources sources;
    sources.sysColor = ClassicColor;
    sources.lowColor = true;
    sources.hasTreeViewBorder = true;
    sources.treeViewBorder = 0x010203;
    table.RefreshColors(sources);
    EXPECT_EQ(table.GetColor(30), ClassicColor(15));
    EXPECT_EQ(table.GetColor(31), ClassicColor(5));
    EXPECT_EQ(table.GetColor(36), ClassicColor(5));
    EXPECT_EQ(table.GetColor(57), ClassicColor(16));  // the tree-view query is skipped too
    EXPECT_EQ(table.GetColor(22), ClassicColor(22));
    EXPECT_EQ(table.Gradient(2).start.color, ClassicColor(15));
    EXPECT_EQ(table.Gradient(2).end.color, ClassicColor(15));
}

TEST(ColorTableTest, RefreshBlendsCorrectsAndBrightensInItsOrder) {
    ColorTable table;
    plym::ColorSources sources;
    sources.sysColor = ClassicColor;
    sources.hasTreeViewBorder = true;
    sources.treeViewBorder = 0x010203;
    table.RefreshColors(sources);
    // 30: blend of window and face at 165 per mille, pulled back towards the
    // face while it stands out more than 35.
    const Color blended = ColorTable::BlendColors(kWhite, ClassicColor(15), 165);
    EXPECT_EQ(table.GetColor(30), ColorTable::IsContrastEnough(ClassicColor(15), blended, true, 35)
                                      ? ColorTable::LimitContrast(ClassicColor(15), blended, 35)
                                      : blended);
    // 48: the face brightened: 0xD4 is its largest byte, so each byte * 247 / 212.
    EXPECT_EQ(table.GetColor(48), plym::Rgb(247, 208 * 247 / 212, 200 * 247 / 212));
    // 22: the face plus 15 a byte; 57: the tree view's border.
    EXPECT_EQ(table.GetColor(22), plym::Rgb(0xD4 + 15, 0xD0 + 15, 0xC8 + 15));
    EXPECT_EQ(table.GetColor(57), 0x010203u);
    EXPECT_EQ(table.GetColor(59), 0u);
    EXPECT_EQ(table.GetColor(34),
              plym::Rgb(plym::RedOf(table.GetColor(31)) * 3 / 4, plym::GreenOf(table.GetColor(31)) * 3 / 4,
                        plym::BlueOf(table.GetColor(31)) * 3 / 4));
}

TEST(ColorTableTest, HighContrastCopiesInsteadOfBlending) {
    ColorTable table;
    plym::ColorSources sources;
    sources.sysColor = [](int n) -> Color {
        return n == 15 ? kBlack : n == 18 ? kWhite : n == 13 ? 0x00FFFF : 0x808080;
    };
    table.RefreshColors(sources);
    EXPECT_EQ(table.GetColor(31), 0x00FFFFu);  // 31 <- 13, far enough from 30 (the black face)
    EXPECT_EQ(table.GetColor(49), 0x7F7F7Fu);  // black face
    EXPECT_EQ(table.GetColor(48), 0x232323u);
}

TEST(ColorTableTest, ThemeFollowsTheVisualStyleNames) {
    const struct {
        plym::ThemeProbe probe;
        bool royale, aero;
        int expected;
    } cases[] = {
        {{true, false, true, "C:\\WINDOWS\\Resources\\Themes\\Luna\\Luna.msstyles", "NormalColor"},
         true,
         true,
         1},
        {{true, false, true, "luna.msstyles", "HomeStead"}, true, true, 2},
        {{true, false, true, "x\\WinXP.Luna.vyrstyles", "metallic"}, true, true, 3},
        {{true, false, true, "royale.msstyles", "NormalColor"}, true, true, 4},
        {{true, false, true, "royale.msstyles", "NormalColor"}, false, true, 0},
        {{true, false, true, "Aero.msstyles", "NormalColor"}, true, true, 5},
        {{true, false, true, "Aero.msstyles", "NormalColor"}, true, false, 0},
        {{true, false, true, "C:\\Movarel\\Vista.vyrstyles", "NORMALBLACK.INI"}, true, true, 0},
        {{false, false, true, "luna.msstyles", "normalcolor"}, true, true, 0},
        {{true, true, true, "luna.msstyles", "normalcolor"}, true, true, 0},
        {{true, false, false, "luna.msstyles", "normalcolor"}, true, true, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plym::DetectSystemTheme(c.probe, c.royale, c.aero), c.expected) << c.probe.fileName;
}

TEST(ColorTableTest, GradientsFollowTheTheme) {
    ColorTable table;
    plym::ColorSources sources;
    sources.sysColor = ClassicColor;
    sources.detectedTheme = 2;
    table.RefreshColors(sources);
    EXPECT_EQ(table.Gradient(1).start.color, 0x82C0AFu);
    EXPECT_FLOAT_EQ(table.Gradient(4).factor, 0.3f);
    EXPECT_EQ(table.GetColor(54), 0x588060u);
    EXPECT_EQ(table.Gradient(9).start.color, 0x4B8EFEu);
    table.themeColorsOff = true;
    table.SetGradients(false);
    EXPECT_EQ(table.Gradient(1).start.color, ClassicColor(16));
    EXPECT_EQ(table.Gradient(2).end.color, ColorTable::BlendColors(ClassicColor(15), kWhite, 215));
    table.themeColorsOff = false;
    table.themeSetting = 3;
    EXPECT_EQ(table.GetCurrentTheme(), 3);
    table.themeSetting = 7;
    EXPECT_EQ(table.GetCurrentTheme(), 2);
}

}  // namespace
