// tests/skin/theme_class_core_test.cpp
//
// A theme class over a parsed skin: the property cache with its kind check,
// and the part-drawing decisions (image cell per state, true-size placement,
// frame edges never border-only, glyphs, border fills, part sizes).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/core/theme_class_core.h"
#include "tests/skin/skin_test_support.h"

namespace {

using plym::Rect;

// Images by upper-case path.
plym::ImageInfoFn Images(std::vector<std::pair<std::string, plym::ImageInfo>> known) {
    return [known](const std::string& path, plym::ImageInfo* info) {
        for (const auto& [name, image] : known) {
            if (name == path) {
                *info = image;
                return true;
            }
        }
        return false;
    };
}

TEST(ThemeClassCoreTest, AWrongKindCountsAsAbsentAndDoesNotHideTheRightOne) {
    plym::SchemaStore skin;
    skintest::Parse(&skin, "[Button.PushButton]\nTextColor = 1 2 3\nBorderSize = 4\n");
    plym::ThemeClassCore button(&skin, "BUTTON", 7);
    EXPECT_EQ(button.GetThemeInt(1, 2, plym::kPropTextColor, 99), 99);
    EXPECT_EQ(button.GetThemeColor(1, 2, plym::kPropTextColor, 0), plym::Rgb(1, 2, 3));
    EXPECT_EQ(button.GetThemeInt(1, 2, plym::kPropTextColor, 99), 99);  // now cached as a colour
    EXPECT_EQ(button.GetThemeInt(1, 2, plym::kPropBorderSize, 0), 4);
    EXPECT_EQ(button.GetThemeInt(1, 2, plym::kPropImageCount, 7), 7);  // absent, and cached so
    EXPECT_EQ(button.GetThemeString(1, 2, plym::kPropImageFile, "none"), "none");
    EXPECT_EQ(button.GetThemeRect(0, 0, plym::kPropSizingMargins, Rect{1, 1, 1, 1}), (Rect{1, 1, 1, 1}));
}

TEST(ThemeClassCoreTest, ImagePartsShowTheCellOfTheirState) {
    plym::SchemaStore skin;
    skintest::Parse(
        &skin,
        "[Scrollbar.ArrowBtn]\nImageFile = A.bmp\nImageCount = 16\nImageLayout = Vertical\n"
        "SizingMargins = 2, 3, 4, 5\n"
        "[Window.CloseButton]\nImageFile = C.bmp\nImageCount = 8\nTransparent = True\n"
        "[Window.FrameLeft]\nImageFile = L.bmp\nBorderOnly = True\n"
        "[Button.CheckBox]\nImageFile = K.bmp\nImageCount = 4\nSizingType = TrueSize\nVAlign = Bottom\n"
        "[Button.RadioButton]\nImageFile = R.bmp\nImageSelectType = Size\nImageFile1 = R1.bmp\n"
        "BorderOnly = True\n");
    const plym::ImageInfoFn images = Images({{"A.BMP", {16, 256, false}},
                                             {"C.BMP", {200, 21, false}},
                                             {"L.BMP", {4, 8, false}},
                                             {"K.BMP", {52, 13, true}},
                                             {"R1.BMP", {13, 13, false}}});
    plym::ThemeClassCore scroll(&skin, "SCROLLBAR", 21);
    plym::BackgroundPlan plan = scroll.PlanBackground(1, 6, {0, 0, 17, 17}, images);
    ASSERT_EQ(plan.kind, plym::BackgroundPlan::kImage);
    EXPECT_EQ(plan.image.source, (Rect{0, 80, 16, 96}));
    EXPECT_EQ(plan.image.destination, (Rect{0, 0, 17, 17}));
    EXPECT_EQ(plan.image.margins, (Rect{2, 4, 3, 5}));
    EXPECT_EQ(plan.image.key, plym::kNoColor);
    EXPECT_FALSE(plan.image.horizontal);
    EXPECT_EQ(scroll.PlanBackground(1, 17, {0, 0, 17, 17}, images).image.source, (Rect{0, 0, 16, 16}));
    EXPECT_EQ(scroll.PlanBackground(1, 0, {0, 0, 17, 17}, images).image.source, (Rect{0, 0, 16, 16}));

    plym::ThemeClassCore window(&skin, "WINDOW", 6);
    plan = window.PlanBackground(18, 6, {0, 0, 22, 18}, images);
    EXPECT_EQ(plan.image.source, (Rect{125, 0, 150, 21}));
    EXPECT_EQ(plan.image.key, 0xFF00FFu);
    EXPECT_TRUE(plan.image.horizontal);
    EXPECT_FALSE(window.PlanBackground(7, 1, {0, 0, 4, 100}, images).image.borderOnly);  // frame edges never

    plym::ThemeClassCore button(&skin, "BUTTON", 7);
    plan = button.PlanBackground(3, 2, {10, 10, 40, 30}, images);
    EXPECT_EQ(plan.image.source, (Rect{13, 0, 26, 13}));
    EXPECT_EQ(plan.image.destination, (Rect{18, 17, 31, 30}));  // centred across, at the bottom
    EXPECT_EQ(plan.image.margins, (Rect{}));
    plan = button.PlanBackground(2, 1, {0, 0, 13, 13}, images);
    EXPECT_EQ(plan.image.path, "R1.BMP");
    EXPECT_TRUE(plan.image.borderOnly);
    EXPECT_EQ(button.PlanBackground(4, 1, {0, 0, 13, 13}, images).kind, plym::BackgroundPlan::kFail);
}

TEST(ThemeClassCoreTest, GlyphsAreCentredInTheContentInTrueSize) {
    plym::SchemaStore skin;
    skintest::Parse(&skin,
                    "[ComboBox]\nImageFile = F.bmp\nImageCount = 4\nImageLayout = Vertical\n"
                    "GlyphType = ImageGlyph\nGlyphImageFile = G.bmp\nGlyphTransparent = True\n"
                    "ContentMargins = 1, 1, 2, 2\n");
    plym::ThemeClassCore combo(&skin, "COMBOBOX", 23);
    const plym::BackgroundPlan plan = combo.PlanBackground(
        1, 3, {0, 0, 17, 20}, Images({{"F.BMP", {16, 64, false}}, {"G.BMP", {9, 36, false}}}));
    ASSERT_TRUE(plan.hasGlyph);
    EXPECT_EQ(plan.glyph.path, "G.BMP");
    EXPECT_EQ(plan.glyph.source, (Rect{0, 18, 9, 27}));
    EXPECT_EQ(plan.glyph.destination, (Rect{4, 5, 13, 14}));
    EXPECT_EQ(plan.glyph.key, 0xFF00FFu);
    EXPECT_EQ(plan.glyph.sizingType, plym::kSizingTrueSize);
}

TEST(ThemeClassCoreTest, BorderFillPaintsBandsThenTheFillUnlessBorderOnly) {
    plym::SchemaStore skin;
    skintest::Parse(&skin,
                    "[Edit]\nBgType = BorderFill\nBorderSize = 2\nBorderColor = 1 1 1\nFillColor = 2 2 2\n"
                    "[Edit.EditText(Disabled)]\nBorderOnly = True\n"
                    "[Edit.Caret]\nBorderSize = 0\n"
                    "[ListBox]\nBgType = BorderFill\nFillColor = 3 3 3\n");
    plym::ThemeClassCore edit(&skin, "EDIT", 22);
    const Rect r{0, 0, 10, 6};
    const plym::Color border = plym::Rgb(1, 1, 1);
    EXPECT_EQ(edit.PlanBorderFill(1, 1, r),
              (std::vector<plym::SolidFill>{{{0, 0, 10, 2}, border},
                                            {{0, 4, 10, 6}, border},
                                            {{0, 0, 2, 6}, border},
                                            {{8, 0, 10, 6}, border},
                                            {{2, 2, 8, 4}, plym::Rgb(2, 2, 2)}}));
    EXPECT_EQ(edit.PlanBorderFill(1, 4, r).size(), 4u);
    EXPECT_EQ(edit.PlanBorderFill(2, 1, r), (std::vector<plym::SolidFill>{{r, plym::Rgb(2, 2, 2)}}));
    plym::ThemeClassCore list(&skin, "LISTBOX", 4);
    EXPECT_EQ(list.PlanBorderFill(0, 0, r), (std::vector<plym::SolidFill>{{r, plym::Rgb(3, 3, 3)}}));
    EXPECT_EQ(list.PlanBackground(0, 0, r, nullptr).kind, plym::BackgroundPlan::kBorderFill);

    // A border wider than half the rectangle: the bands meet inside it and
    // nothing is left to fill.
    struct Narrow {
        Rect rect;
        std::vector<plym::SolidFill> fills;
    };
    const Narrow narrow[] = {
        {{0, 0, 3, 10},
         {{{0, 0, 3, 2}, border}, {{0, 8, 3, 10}, border}, {{0, 0, 2, 10}, border}, {{1, 0, 3, 10}, border}}},
        {{5, 5, 15, 6},
         {{{5, 5, 15, 6}, border},
          {{5, 5, 15, 6}, border},
          {{5, 5, 7, 6}, border},
          {{13, 5, 15, 6}, border}}},
        {{0, 0, 4, 4},
         {{{0, 0, 4, 2}, border}, {{0, 2, 4, 4}, border}, {{0, 0, 2, 4}, border}, {{2, 0, 4, 4}, border}}},
        {{0, 0, 0, 4}, {}},
    };
    for (const Narrow& n : narrow)
        EXPECT_EQ(edit.PlanBorderFill(1, 1, n.rect), n.fills) << n.rect.right << "x" << n.rect.bottom;
}

TEST(ThemeClassCoreTest, PartSizesComeFromTheCellOrTheRectangle) {
    plym::SchemaStore skin;
    skintest::Parse(&skin,
                    "[Button.CheckBox]\nImageFile = K.bmp\nImageCount = 12\nImageLayout = Vertical\n"
                    "SizingType = TrueSize\n"
                    "[Button.PushButton]\nImageFile = P.bmp\nImageCount = 5\nUniformSizing = True\n"
                    "[Window.Caption]\nImageFile = U.bmp\nImageCount = 5\nImageLayout = Vertical\n"
                    "UniformSizing = True\n"
                    "[Button.GroupBox]\nBgType = BorderFill\n");
    plym::ThemeClassCore button(&skin, "BUTTON", 7);
    const plym::ImageInfoFn images =
        Images({{"K.BMP", {13, 156, false}}, {"P.BMP", {100, 10, false}}, {"U.BMP", {20, 4, false}}});
    plym::Size size{-1, -1};
    const Rect rect{0, 0, 50, 30};
    EXPECT_TRUE(button.GetThemePartSize(3, 1, &rect, 1, &size, images));
    EXPECT_EQ(size, (plym::Size{13, 13}));
    EXPECT_TRUE(button.GetThemePartSize(3, 1, &rect, 2, &size, images));
    EXPECT_EQ(size, (plym::Size{13, 13}));
    EXPECT_TRUE(button.GetThemePartSize(1, 1, &rect, 2, &size, images));
    EXPECT_EQ(size, (plym::Size{60, 30}));  // uniform: 30 * 20 / 10
    EXPECT_TRUE(button.GetThemePartSize(1, 1, nullptr, 2, &size, images));
    EXPECT_EQ(size, (plym::Size{0, 0}));
    // Five cells in four rows: a cell without height keeps the rectangle's width.
    plym::ThemeClassCore window(&skin, "WINDOW", 6);
    EXPECT_TRUE(window.GetThemePartSize(1, 1, &rect, 1, &size, images));
    EXPECT_EQ(size, (plym::Size{20, 0}));
    EXPECT_TRUE(window.GetThemePartSize(1, 1, &rect, 2, &size, images));
    EXPECT_EQ(size, (plym::Size{50, 30}));
    size = {-1, -1};
    EXPECT_TRUE(button.GetThemePartSize(1, 1, &rect, 0, &size, images));
    EXPECT_EQ(size, (plym::Size{-1, -1}));
    EXPECT_FALSE(button.GetThemePartSize(4, 1, &rect, 1, &size, images));
    EXPECT_FALSE(button.GetThemePartSize(5, 1, &rect, 1, &size, images));
}

}  // namespace
