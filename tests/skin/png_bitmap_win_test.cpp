// tests/skin/png_bitmap_win_test.cpp
//
// CPlymGraphicBitmapPng under Wine: PNG files and "PNG" resources become
// top-down 32-bit sections holding the decoded pixels, with the alpha flag
// only for four-channel pictures; a 9-byte resource is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/core/png_bitmap.h"
#include "tests/skin/png_corpus.h"
#include "tests/skin/skin_win_support.h"

namespace {

skintest::PngRecipe Recipe(int colorType, std::vector<uint16_t> samples) {
    skintest::PngRecipe s;
    s.width = 2;
    s.height = 2;
    s.colorType = colorType;
    s.samples = std::move(samples);
    return s;
}

const std::vector<uint8_t>& RgbaPng() {
    static const std::vector<uint8_t> bytes = skintest::EncodePng(
        Recipe(skintest::kRgba, {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 40}));
    return bytes;
}

const std::vector<uint8_t>& RgbPng() {
    static const std::vector<uint8_t> bytes =
        skintest::EncodePng(Recipe(skintest::kRgb, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}));
    return bytes;
}

// The section's header and pixels, the top row first in memory (GetObject
// reports the height of a top-down section as positive).
void ExpectTopDownSection(HBITMAP bitmap, const std::vector<uint8_t>& bgra) {
    DIBSECTION section{};
    ASSERT_EQ(::GetObjectA(bitmap, sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBmih.biWidth, 2);
    EXPECT_EQ(section.dsBm.bmHeight, 2);
    EXPECT_EQ(section.dsBmih.biBitCount, 32);
    ASSERT_NE(section.dsBm.bmBits, nullptr);
    const auto* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
    EXPECT_EQ(std::vector<uint8_t>(bits, bits + bgra.size()), bgra);
}

TEST(PngBitmapTest, FilesBecomeTopDownSectionsWithTheDecodersAlphaFlag) {
    const std::string folder = skintest::FreshFolder("png_bitmap");
    ASSERT_TRUE(skintest::WriteFile(folder + "rgba.png", RgbaPng()));
    ASSERT_TRUE(skintest::WriteFile(folder + "rgb.png", RgbPng()));

    CPlymGraphicBitmapPng rgba;
    ASSERT_TRUE(rgba.LoadFromFile((folder + "rgba.png").c_str()));
    EXPECT_TRUE(rgba.HasAlpha());
    ExpectTopDownSection(rgba, {0, 0, 255, 255, 0, 255, 0, 128, 255, 0, 0, 0, 30, 20, 10, 40});

    CPlymGraphicBitmapPng rgb;
    ASSERT_TRUE(rgb.LoadFromFile((folder + "rgb.png").c_str()));
    EXPECT_FALSE(rgb.HasAlpha());
    ExpectTopDownSection(rgb, {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 30, 20, 10, 0});

    // A failed load leaves no bitmap, even where one was loaded before.
    EXPECT_FALSE(rgba.LoadFromFile((folder + "missing.png").c_str()));
    EXPECT_FALSE(rgb.LoadFromFile((folder + "rgba.png.none").c_str()));
    ASSERT_TRUE(skintest::WriteFile(folder + "cut.png",
                                    std::vector<uint8_t>(RgbaPng().begin(), RgbaPng().end() - 30)));
    ASSERT_TRUE(rgba.LoadFromFile((folder + "rgba.png").c_str()));
    EXPECT_FALSE(rgba.LoadFromFile((folder + "cut.png").c_str()));
    EXPECT_EQ(rgba.GetSafeHandle(), nullptr);
    EXPECT_FALSE(rgba.HasAlpha());
}

TEST(PngBitmapTest, ResourcesDecodeAndANineByteOneIsRefused) {
    const std::string module = skintest::FreshFolder("png_resource") + "pictures.dll";
    ASSERT_TRUE(skintest::MakeModuleCopy(
        module, {{"PNG", 0, "RGBA", RgbaPng()},
                 {"PNG", 0, "TINY", std::vector<uint8_t>(RgbaPng().begin(), RgbaPng().begin() + 9)}}));
    HMODULE pictures = ::LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(pictures, nullptr);

    CPlymGraphicBitmapPng picture;
    ASSERT_TRUE(picture.LoadFromResource(pictures, ::FindResourceA(pictures, "RGBA", "PNG")));
    EXPECT_TRUE(picture.HasAlpha());
    ExpectTopDownSection(picture, {0, 0, 255, 255, 0, 255, 0, 128, 255, 0, 0, 0, 30, 20, 10, 40});

    CPlymGraphicBitmapPng tiny;
    HRSRC nine = ::FindResourceA(pictures, "TINY", "PNG");
    ASSERT_NE(nine, nullptr);
    EXPECT_EQ(::SizeofResource(pictures, nine), 9u);
    EXPECT_FALSE(tiny.LoadFromResource(pictures, nine));
    EXPECT_EQ(tiny.GetSafeHandle(), nullptr);
    EXPECT_FALSE(tiny.LoadFromResource(pictures, nullptr));
    ::FreeLibrary(pictures);
}

}  // namespace
