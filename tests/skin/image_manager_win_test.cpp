// tests/skin/image_manager_win_test.cpp
//
// The image manager under Wine: loaders that trust the PNG decoder's alpha
// flag and a bitmap resource's own header, file names in the system's code
// page, and the copy and blend primitives against their fallbacks.
#include <gtest/gtest.h>

#include <objbase.h>

#include <cstring>
#include <string>
#include <vector>

#include "skin/core/image_manager.h"
#include "skin/core/resource_manager.h"
#include "tests/skin/png_corpus.h"
#include "tests/skin/skin_win_support.h"
#include "tests/skin/win_skin_support.h"

namespace {

using skintest::AddedResource;
using skintest::Canvas;

std::vector<uint8_t> Png(int colorType, std::vector<uint16_t> samples) {
    skintest::PngRecipe s;
    s.width = 2;
    s.height = 1;
    s.colorType = colorType;
    s.samples = std::move(samples);
    return skintest::EncodePng(s);
}

void Put32(std::vector<uint8_t>& d, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        d[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A packed DIB with a `headerSize`-byte header, `masks` after it when given,
// then `rows` rows of 32-bit pixels (B = x, G = row, R = 0x40, A = 0x80).
std::vector<uint8_t> Dib32(uint32_t headerSize,
                           int32_t width,
                           int32_t height,
                           std::vector<uint32_t> masks = {},
                           uint32_t compression = 0) {
    std::vector<uint8_t> d(headerSize, 0);
    Put32(d, 0, headerSize);
    Put32(d, 4, static_cast<uint32_t>(width));
    Put32(d, 8, static_cast<uint32_t>(height));
    d[12] = 1;
    d[14] = 32;
    Put32(d, 16, compression);
    for (size_t i = 0; i < masks.size(); ++i) {
        if (headerSize >= 52) {
            Put32(d, 40 + i * 4, masks[i]);
        } else {
            d.resize(d.size() + 4);
            Put32(d, d.size() - 4, masks[i]);
        }
    }
    const int rows = height < 0 ? -height : height;
    for (int y = 0; y < rows && width < 64; ++y) {
        for (int x = 0; x < width; ++x)
            d.insert(d.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0x40, 0x80});
    }
    return d;
}

// A 24-bit .bmp file of one colour.
std::vector<uint8_t> Bmp24File(int width, int height, COLORREF color) {
    const int stride = (width * 3 + 3) / 4 * 4;
    std::vector<uint8_t> f(54, 0);
    f[0] = 'B';
    f[1] = 'M';
    Put32(f, 2, static_cast<uint32_t>(54 + stride * height));
    Put32(f, 10, 54);
    Put32(f, 14, 40);
    Put32(f, 18, static_cast<uint32_t>(width));
    Put32(f, 22, static_cast<uint32_t>(height));
    f[26] = 1;
    f[28] = 24;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            f.insert(f.end(), {GetBValue(color), GetGValue(color), GetRValue(color)});
        f.resize(f.size() + static_cast<size_t>(stride - width * 3));
    }
    return f;
}

class ImageManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = skintest::FreshFolder("image_manager");
        ASSERT_TRUE(skintest::WriteFile(folder_ + "rgb.png", Png(skintest::kRgb, {1, 2, 3, 4, 5, 6})));
        ASSERT_TRUE(
            skintest::WriteFile(folder_ + "rgba.png", Png(skintest::kRgba, {1, 2, 3, 0, 4, 5, 6, 255})));
    }

    HMODULE Module(const std::vector<AddedResource>& resources) {
        const std::string path = folder_ + "pictures" + std::to_string(++modules_) + ".dll";
        if (!skintest::MakeModuleCopy(path, resources))
            return nullptr;
        return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }

    CPlymImageManager& images_ = *GetPlymImageManager();
    std::string folder_;
    int modules_ = 0;
};

TEST_F(ImageManagerTest, RgbPngIsNotTreatedAsHavingAlpha) {
    HMODULE module = Module({{"PNG", 0, "RGB", Png(skintest::kRgb, {1, 2, 3, 4, 5, 6})},
                             {"PNG", 0, "RGBA", Png(skintest::kRgba, {1, 2, 3, 0, 4, 5, 6, 255})}});
    ASSERT_NE(module, nullptr);
    struct Case {
        const char* name;
        HBITMAP bitmap;
        BOOL alpha;
    };
    BOOL rgbFile = TRUE, rgbaFile = FALSE, rgbResource = TRUE, rgbaResource = FALSE;
    const Case cases[] = {
        {"rgb file", images_.BitmapFromFile((folder_ + "rgb.png").c_str(), &rgbFile), FALSE},
        {"rgba file", images_.BitmapFromFile((folder_ + "rgba.png").c_str(), &rgbaFile), TRUE},
        {"rgb resource", images_.BitmapFromResource(module, "RGB", &rgbResource), FALSE},
        {"rgba resource", images_.BitmapFromResource(module, "RGBA", &rgbaResource), TRUE},
    };
    const BOOL flags[] = {rgbFile, rgbaFile, rgbResource, rgbaResource};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(cases[i].name);
        ASSERT_NE(cases[i].bitmap, nullptr);
        EXPECT_EQ(flags[i], cases[i].alpha);
        ::DeleteObject(cases[i].bitmap);
    }
    EXPECT_TRUE(images_.IsPngFile((folder_ + "rgb.png").c_str()));
    EXPECT_TRUE(images_.IsPngResource(module, "RGB"));
    EXPECT_FALSE(images_.IsPngResource(module, "NONE"));
    ::FreeLibrary(module);
}

TEST_F(ImageManagerTest, BitmapResourceIsValidatedFromItsOwnHeaderBeforeItsPixels) {
    std::vector<uint8_t> shortByOne = Dib32(40, 3, 2);
    shortByOne.pop_back();
    std::vector<uint8_t> headerPastEnd = Dib32(40, 1, 1);
    Put32(headerPastEnd, 0, 124);
    std::vector<uint8_t> wraps = Dib32(40, 0x40000000, 4);  // 2^32 pixel bytes, none there
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool loads;
        bool topDown;
    };
    const std::vector<Case> cases = {
        {"V3", Dib32(40, 3, 2), true, false},
        {"TOPDOWN", Dib32(40, 3, -2), true, true},
        {"V5", Dib32(124, 3, 2), true, false},
        {"MASKS", Dib32(40, 3, 2, {0xFF0000, 0xFF00, 0xFF}, 3), true, false},
        {"SHORTBYONE", shortByOne, false, false},
        {"HEADERPASTEND", headerPastEnd, false, false},
        {"WRAPS", wraps, false, false},
    };
    std::vector<AddedResource> resources;
    for (const Case& c : cases)
        resources.push_back({"", 2, c.name, c.bytes});
    HMODULE module = Module(resources);
    ASSERT_NE(module, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(images_.IsAlphaBitmapResource(module, c.name) || !c.loads);
        BOOL alpha = FALSE;
        HBITMAP bitmap = images_.BitmapFromResource(module, c.name, &alpha);
        ASSERT_EQ(bitmap != nullptr, c.loads);
        if (!c.loads)
            continue;
        EXPECT_TRUE(alpha);
        int width = 0;
        int height = 0;
        const std::vector<uint8_t> pixels = skintest::BitmapPixels(bitmap, &width, &height);
        ASSERT_EQ(pixels.size(), 24u);
        // Row `y` of the resource; the top row comes first in top-down resources.
        const uint8_t topRow = c.topDown ? 0 : 1;
        EXPECT_EQ(pixels[1], topRow);
        EXPECT_EQ(pixels[3 * 4 + 1], 1 - topRow);
        EXPECT_EQ(pixels[2 * 4 + 0], 2);  // B = x
        EXPECT_EQ(pixels[3], 0x80);
        ::DeleteObject(bitmap);
    }
    ::FreeLibrary(module);
}

TEST_F(ImageManagerTest, FileNamesUseTheSystemCodePageNotTheResourceLanguages) {
    ASSERT_EQ(::GetACP(), 1252u) << "the test needs a code page other than the module's 1251";
    CPlymResourceManager& resources = *GetPlymResourceManager();
    resources.SetResourceModule(::LoadLibraryExA((skintest::ProgramFolder() + "skin_test_module.dll").c_str(),
                                                 nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_EQ(resources.GetLanguage().codePage, 1251u);
    ASSERT_EQ(::CoInitialize(nullptr), S_OK);

    // 0xE9 is U+00E9 in code page 1252 but U+0439 in 1251.
    const std::string path = folder_ + "caf\xE9.bmp";
    ASSERT_TRUE(skintest::WriteFile(path, Bmp24File(5, 3, RGB(200, 100, 50))));
    BOOL alpha = TRUE;
    HBITMAP bitmap = images_.BitmapFromFile(path.c_str(), &alpha);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_FALSE(alpha);
    BITMAP info{};
    ::GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 5);
    EXPECT_EQ(info.bmHeight, 3);
    ::DeleteObject(bitmap);
    EXPECT_EQ(images_.BitmapFromFile((folder_ + "caf\xE8.bmp").c_str(), &alpha), nullptr);

    ::CoUninitialize();
    resources.Close();
    resources.UpdateLanguage();
}

TEST_F(ImageManagerTest, PremultiplyMirrorBlendAndTransparentCopyOnBitmaps) {
    // A 2 x 1 32-bit bitmap: a half-transparent red pixel and an opaque blue one.
    void* bits = nullptr;
    HBITMAP source = images_.CreateDIB32(nullptr, 2, 1, &bits);
    ASSERT_NE(source, nullptr);
    const uint8_t pixels[8] = {0, 0, 200, 128, 90, 0, 0, 255};
    std::memcpy(bits, pixels, sizeof pixels);

    BOOL alpha = FALSE;
    HBITMAP premultiplied = images_.PremultiplyBitmap(source, &alpha);
    ASSERT_NE(premultiplied, nullptr);
    EXPECT_TRUE(alpha);
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> read;
    ASSERT_TRUE(images_.GetBitmapBits32(nullptr, premultiplied, header, read));
    EXPECT_EQ(read, (std::vector<uint8_t>{0, 0, 100, 128, 90, 0, 0, 255}));

    HBITMAP mirrored = images_.MirrorBitmap(source);
    ASSERT_TRUE(images_.GetBitmapBits32(nullptr, mirrored, header, read));
    EXPECT_EQ(read, (std::vector<uint8_t>{90, 0, 0, 255, 0, 0, 200, 128}));
    ::DeleteObject(mirrored);

    // AlphaBlend and the own blend agree, stretched to 4 x 2.
    HDC memory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(memory, premultiplied);
    Canvas blended(4, 2, RGB(0, 200, 0));
    Canvas own(4, 2, RGB(0, 200, 0));
    ASSERT_TRUE(images_.BlendImage(blended.Dc(), RECT{0, 0, 4, 2}, memory, RECT{0, 0, 2, 1}));
    ASSERT_TRUE(images_.BlendImageOwn(own.Dc(), RECT{0, 0, 4, 2}, memory, RECT{0, 0, 2, 1}));
    for (int x : {0, 3}) {
        SCOPED_TRACE(x);
        const COLORREF a = blended.At(x, 1);
        const COLORREF b = own.At(x, 1);
        EXPECT_NEAR(GetRValue(a), GetRValue(b), 2);
        EXPECT_NEAR(GetGValue(a), GetGValue(b), 2);
        EXPECT_NEAR(GetBValue(a), GetBValue(b), 2);
    }
    EXPECT_EQ(own.At(0, 0), RGB(100, 200 * 127 / 255, 0));  // red over green, half covered
    EXPECT_EQ(own.At(3, 0), RGB(0, 0, 90));

    // TransparentBlt and the mask fallback leave out the same pixels, also stretched.
    Canvas picture(2, 1, RGB(255, 0, 255));
    ::SetPixel(picture.Dc(), 1, 0, RGB(10, 20, 30));
    for (RECT target : {RECT{0, 0, 2, 1}, RECT{0, 0, 4, 2}}) {
        Canvas viaBlt(4, 2, RGB(1, 1, 1));
        Canvas viaMask(4, 2, RGB(1, 1, 1));
        ASSERT_TRUE(
            images_.CopyTransparent(viaBlt.Dc(), target, picture.Dc(), RECT{0, 0, 2, 1}, RGB(255, 0, 255)));
        ASSERT_TRUE(images_.CopyTransparentMasked(viaMask.Dc(), target, picture.Dc(), RECT{0, 0, 2, 1},
                                                  RGB(255, 0, 255)));
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(viaMask.At(x, y), viaBlt.At(x, y)) << x << "," << y;
        }
        EXPECT_EQ(viaMask.At(0, 0), RGB(1, 1, 1));
        EXPECT_EQ(viaMask.At(target.right - 1, 0), RGB(10, 20, 30));
    }
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(premultiplied);
    ::DeleteObject(source);
}

}  // namespace
