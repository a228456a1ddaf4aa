// tests/skin/skin_file_win_test.cpp
//
// The skin file and its images under Wine: both forms of a skin, the INI
// text of a module read whatever its line ends and byte-order mark, image
// paths looked up with '_', images premultiplied as the schema says, and
// every image part of our skin's WINDOW, BUTTON and SCROLLBAR classes painted
// by CPlymSkinImage exactly as the nine-grid plan predicts.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "skin/core/image_manager.h"
#include "skin/core/schema_names.h"
#include "skin/core/skin_file.h"
#include "skin/core/skin_schema.h"
#include "skin/core/win_types.h"
#include "tests/skin/paint_prediction.h"
#include "tests/skin/png_corpus.h"
#include "tests/skin/skin_win_support.h"
#include "tests/skin/utf16_bytes.h"
#include "tests/skin/win_skin_support.h"

namespace {

using skintest::AddedResource;
using skintest::Utf16Bytes;

constexpr COLORREF kBackground = RGB(1, 2, 3);

std::vector<std::string> AllLines(CPlymSkinManagerResourceFile* file) {
    std::vector<std::string> lines;
    CString line;
    while (file->ReadLine(line))
        lines.emplace_back(line.GetString());
    return lines;
}

// The image's pixels, top-down.
skintest::TopDownImage PixelsOf(const CPlymSkinImage& image) {
    skintest::TopDownImage pixels;
    pixels.bgra = skintest::BitmapPixels(image.GetBitmap(), &pixels.width, &pixels.height);
    return pixels;
}

TEST(SkinFileTest, AnIniFileBesideTheModulePathIsReadAndTheModuleNeverLoaded) {
    const std::string folder = skintest::FreshFolder("skin_folder");
    const std::string module = folder + "Skin.vyrstyles";
    ASSERT_TRUE(skintest::MakeModuleCopy(
        module, {{"TEXTFILE", 0, "NORMALBLACK_INI", Utf16Bytes(u"[FromModule]\r\n")}}));
    ASSERT_TRUE(skintest::WriteFile(folder + "NormalBlack.ini",
                                    std::vector<uint8_t>{'[', 'G', ']', '\r', '\n', 'A', '=', '1'}));

    auto* file = new CPlymSkinManagerResourceFile();
    ASSERT_TRUE(file->Open(module.c_str(), "NormalBlack.ini"));
    EXPECT_EQ(file->GetModule(), nullptr);
    EXPECT_EQ(::GetModuleHandleA(module.c_str()), nullptr);
    EXPECT_EQ(AllLines(file), (std::vector<std::string>{"[G]", "A=1"}));
    CString line;
    EXPECT_FALSE(file->ReadLine(line));  // closed at the end

    // Without the file beside it, the module is read.
    EXPECT_FALSE(file->Open(module.c_str(), "Other.ini"));
    ::DeleteFileA((folder + "NormalBlack.ini").c_str());
    ASSERT_TRUE(file->Open(module.c_str(), "NormalBlack.ini"));
    EXPECT_NE(file->GetModule(), nullptr);
    EXPECT_EQ(AllLines(file), (std::vector<std::string>{"[FromModule]"}));
    EXPECT_FALSE(file->Open("", "NormalBlack.ini"));
    file->Release();
}

TEST(SkinFileTest, ModuleIniReadsTheSameWithAnyByteOrderMarkAndLineEnds) {
    const std::string module = skintest::FreshFolder("skin_text") + "Text.vyrstyles";
    ASSERT_TRUE(skintest::MakeModuleCopy(
        module, {{"TEXTFILE", 0, "NORMALBLACK_INI", Utf16Bytes(u"\xFEFF[Globals]\r\nA = 1\r\n\r\nB = 2\r\n")},
                 // LF only, no byte-order mark, and no line end after the last line.
                 {"TEXTFILE", 0, "PLAIN_INI", Utf16Bytes(u"[Globals]\nA = 1\n\nB = 2")},
                 {"TEXTFILE", 0, "THEMES_INI", Utf16Bytes(u"\xFEFF[Themes]\r\n[File.Plain]\r\nx")}}));
    const std::vector<std::string> expected = {"[Globals]", "A = 1", "", "B = 2"};
    auto* file = new CPlymSkinManagerResourceFile();
    ASSERT_TRUE(file->Open(module.c_str(), "NormalBlack.ini"));
    EXPECT_EQ(AllLines(file), expected);
    ASSERT_TRUE(file->Open(module.c_str(), ""));  // THEMES_INI names "Plain"
    EXPECT_STREQ(file->GetIniName(), "Plain_ini");
    EXPECT_EQ(AllLines(file), expected);
    EXPECT_FALSE(file->Open(module.c_str(), "Missing.ini"));
    file->Release();
}

skintest::PngRecipe Picture(int colorType, int width, int height, std::vector<uint16_t> samples) {
    skintest::PngRecipe s;
    s.width = width;
    s.height = height;
    s.colorType = colorType;
    s.samples = std::move(samples);
    return s;
}

TEST(SkinFileTest, ImagePathsUseUnderscoresAndAlphaImagesArePremultipliedAsTheSchemaSays) {
    const std::string module = skintest::FreshFolder("skin_images") + "Images.vyrstyles";
    const std::vector<uint8_t> rgba =
        skintest::EncodePng(Picture(skintest::kRgba, 2, 1, {200, 100, 50, 128, 10, 20, 30, 255}));
    const std::vector<uint8_t> rgb = skintest::EncodePng(Picture(skintest::kRgb, 1, 1, {9, 8, 7}));
    ASSERT_TRUE(skintest::MakeModuleCopy(
        module, {{"PNG", 0, "IMAGES_GLOW_V2_PNG", rgba},
                 {"PNG", 0, "IMAGES_PLAIN_PNG", rgb},
                 {"TEXTFILE", 0, "NORMALBLACK_INI", Utf16Bytes(u"[Globals]\r\n")},
                 {"TEXTFILE", 0, "OPAQUE_INI", Utf16Bytes(u"[Documentation]\r\nAlphaLevel = 255\r\n")}}));
    auto* file = new CPlymSkinManagerResourceFile();
    ASSERT_TRUE(file->Open(module.c_str(), "NormalBlack.ini"));
    CPlymSkinManagerSchema* premultiplying = file->CreateSchema();
    premultiplying->ReadProperties();
    ASSERT_TRUE(premultiplying->Premultiply());

    std::unique_ptr<CPlymSkinImage> glow(file->LoadImage("Images\\Glow.v2.png", premultiplying));
    ASSERT_NE(glow, nullptr);
    EXPECT_TRUE(glow->HasAlpha());
    EXPECT_EQ(glow->PixelWidth(), 2);
    skintest::TopDownImage pixels = PixelsOf(*glow);
    EXPECT_EQ(pixels.ColorAt(0, 0), plym::Rgb(200 * 128 / 255, 100 * 128 / 255, 50 * 128 / 255));
    EXPECT_EQ(pixels.AlphaAt(0, 0), 128);

    std::unique_ptr<CPlymSkinImage> plain(file->LoadImage("Images\\Plain.png", premultiplying));
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->HasAlpha());  // an RGB PNG has no alpha to blend
    EXPECT_EQ(file->LoadImage("Images\\Missing.png", premultiplying), nullptr);

    ASSERT_TRUE(file->Open(module.c_str(), "Opaque.ini"));
    CPlymSkinManagerSchema* opaque = file->CreateSchema();
    opaque->ReadProperties();
    ASSERT_FALSE(opaque->Premultiply());
    glow.reset(file->LoadImage("Images\\Glow.v2.png", opaque));
    ASSERT_NE(glow, nullptr);
    EXPECT_TRUE(glow->HasAlpha());
    EXPECT_EQ(PixelsOf(*glow).ColorAt(0, 0), plym::Rgb(200, 100, 50));  // as loaded

    opaque->Release();
    premultiplying->Release();
    file->Release();
}

// A 6 x 6 cell, nine-grid of 2-pixel margins: corners, edges and centre each
// their own colour; `alpha` is the alpha of the left column and top row.
std::vector<uint16_t> NineGridSamples(bool withAlpha, uint16_t alpha) {
    std::vector<uint16_t> samples;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const int column = x < 2 ? 0 : (x < 4 ? 1 : 2);
            const int row = y < 2 ? 0 : (y < 4 ? 1 : 2);
            samples.insert(samples.end(),
                           {static_cast<uint16_t>(40 + 60 * column), static_cast<uint16_t>(40 + 60 * row),
                            static_cast<uint16_t>(x * 10 + y)});
            if (withAlpha)
                samples.push_back(x == 0 || y == 0 ? alpha : 255);
        }
    }
    return samples;
}

TEST(SkinImageTest, PaintsStretchedTiledBorderOnlyKeyedAndAlphaPartsAsPredicted) {
    const std::string folder = skintest::FreshFolder("skin_paint");
    skintest::PngRecipe grid = Picture(skintest::kRgb, 6, 6, NineGridSamples(false, 0));
    // A key-coloured corner pixel.
    grid.samples[0] = 255;
    grid.samples[1] = 0;
    grid.samples[2] = 255;
    ASSERT_TRUE(skintest::WriteFile(folder + "Grid.png", skintest::EncodePng(grid)));
    ASSERT_TRUE(skintest::WriteFile(
        folder + "Glow.png", skintest::EncodePng(Picture(skintest::kRgba, 6, 6, NineGridSamples(true, 96)))));
    ASSERT_TRUE(skintest::WriteFile(folder + "NormalBlack.ini", {}));
    auto* file = new CPlymSkinManagerResourceFile();
    ASSERT_TRUE(file->Open((folder + "Skin.vyrstyles").c_str(), "NormalBlack.ini"));

    struct Case {
        const char* name;
        const char* image;
        int sizingType;
        bool borderOnly;
        plym::Color key;
    };
    const Case cases[] = {
        {"stretch", "Grid.png", plym::kSizingStretch, false, plym::kNoColor},
        {"tile", "Grid.png", plym::kSizingTile, false, plym::kNoColor},
        {"border only", "Grid.png", plym::kSizingStretch, true, plym::kNoColor},
        {"key colour", "Grid.png", plym::kSizingTile, false, plym::Rgb(255, 0, 255)},
        {"alpha", "Glow.png", plym::kSizingStretch, false, plym::kNoColor},
        {"alpha tiled", "Glow.png", plym::kSizingTile, false, plym::kNoColor},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CPlymSkinImage> image(file->LoadImage(c.image, nullptr));
        ASSERT_NE(image, nullptr);
        const skintest::TopDownImage pixels = PixelsOf(*image);
        const skintest::PaintCall call{{3, 4, 30, 21},
                                       {0, 0, 6, 6},
                                       {2, 2, 2, 2},
                                       c.key,
                                       c.sizingType,
                                       c.borderOnly,
                                       image->HasAlpha() != FALSE};
        skintest::Canvas canvas(34, 25, kBackground);
        image->PrepareSolidRects(1, TRUE, RECT{2, 2, 2, 2});
        ASSERT_TRUE(image->PaintPart(canvas.Dc(), ToWinRect(call.destination), ToWinRect(call.source),
                                     ToWinRect(call.margins), c.key == plym::kNoColor ? CLR_INVALID : c.key,
                                     c.sizingType, c.borderOnly));
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 34; ++x) {
                const std::vector<plym::Color> predicted =
                    skintest::PredictedColors(pixels, call, x, y, kBackground);
                ASSERT_TRUE(skintest::MatchesPrediction(canvas.At(x, y), predicted, call.alpha ? 2 : 0))
                    << x << "," << y << " is " << std::hex << canvas.At(x, y) << ", predicted "
                    << predicted[0];
            }
        }
    }
    file->Release();
}

TEST(SkinImageTest, ASolidPartWhoseColourIsTheKeyDrawsNothing) {
    const std::string folder = skintest::FreshFolder("skin_solid");
    // Two cells: magenta, and green.
    ASSERT_TRUE(skintest::WriteFile(
        folder + "Solid.png", skintest::EncodePng(Picture(
                                  skintest::kRgb, 4, 2, {255, 0, 255, 255, 0, 255, 0, 200, 0, 0, 200, 0,
                                                         255, 0, 255, 255, 0, 255, 0, 200, 0, 0, 200, 0}))));
    ASSERT_TRUE(skintest::WriteFile(folder + "NormalBlack.ini", {}));
    auto* file = new CPlymSkinManagerResourceFile();
    ASSERT_TRUE(file->Open((folder + "Skin.vyrstyles").c_str(), "NormalBlack.ini"));
    std::unique_ptr<CPlymSkinImage> image(file->LoadImage("Solid.png", nullptr));
    ASSERT_NE(image, nullptr);
    image->PrepareSolidRects(2, TRUE, RECT{});
    ASSERT_EQ(image->GetSolidRects().size(), 2u);

    skintest::Canvas canvas(10, 10, kBackground);
    const COLORREF magenta = RGB(255, 0, 255);
    ASSERT_TRUE(image->PaintPart(canvas.Dc(), RECT{0, 0, 10, 10}, RECT{0, 0, 2, 2}, RECT{}, magenta,
                                 plym::kSizingStretch, FALSE));
    EXPECT_EQ(canvas.At(5, 5), kBackground);
    ASSERT_TRUE(image->PaintPart(canvas.Dc(), RECT{0, 0, 10, 10}, RECT{2, 0, 4, 2}, RECT{}, magenta,
                                 plym::kSizingStretch, FALSE));
    EXPECT_EQ(canvas.At(5, 5), RGB(0, 200, 0));
    // Without a key colour the magenta cell is just a colour.
    ASSERT_TRUE(image->PaintPart(canvas.Dc(), RECT{0, 0, 10, 10}, RECT{0, 0, 2, 2}, RECT{}, CLR_INVALID,
                                 plym::kSizingStretch, FALSE));
    EXPECT_EQ(canvas.At(5, 5), magenta);
    file->Release();
}

TEST(SkinImageTest, AnAlphaImageIsMirroredOnARightToLeftDC) {
    const std::string folder = skintest::FreshFolder("skin_mirror");
    // Left pixel red and opaque, right pixel blue and half transparent.
    ASSERT_TRUE(skintest::WriteFile(
        folder + "Glow.png",
        skintest::EncodePng(Picture(skintest::kRgba, 2, 1, {255, 0, 0, 255, 0, 0, 255, 128}))));
    ASSERT_TRUE(skintest::WriteFile(folder + "NormalBlack.ini", {}));
    auto* file = new CPlymSkinManagerResourceFile();
    ASSERT_TRUE(file->Open((folder + "Skin.vyrstyles").c_str(), "NormalBlack.ini"));
    std::unique_ptr<CPlymSkinImage> image(file->LoadImage("Glow.png", nullptr));
    ASSERT_NE(image, nullptr);
    ASSERT_TRUE(image->HasAlpha());
    skintest::Canvas canvas(4, 1, kBackground);
    ::SetLayout(canvas.Dc(), LAYOUT_RTL);
    ASSERT_TRUE(image->PaintPart(canvas.Dc(), RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1}, RECT{}, CLR_INVALID,
                                 plym::kSizingStretch, FALSE));
    EXPECT_TRUE(image->IsMirrored());
    image->SetMirrorAllowed(FALSE);
    ASSERT_TRUE(image->PaintPart(canvas.Dc(), RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1}, RECT{}, CLR_INVALID,
                                 plym::kSizingStretch, FALSE));
    EXPECT_FALSE(image->IsMirrored());  // swapped back
    ::SetLayout(canvas.Dc(), 0);
    image->SetMirrorAllowed(TRUE);
    ASSERT_TRUE(image->PaintPart(canvas.Dc(), RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1}, RECT{}, CLR_INVALID,
                                 plym::kSizingStretch, FALSE));
    EXPECT_FALSE(image->IsMirrored());
    EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0));
    file->Release();
}

// Every image part and state of our skin's WINDOW, BUTTON and SCROLLBAR
// classes, painted into a memory DC by CPlymSkinImage as the schema plans it.
TEST(SkinImageTest, OurSkinsWindowButtonAndScrollBarPartsPaintAsTheImageMathsPredicts) {
    auto* file = new CPlymSkinManagerResourceFile();
    ASSERT_TRUE(file->Open(VEK_VISTA_SKIN_MODULE, "NormalBlack.ini"));
    CPlymSkinManagerSchema* schema = file->CreateSchema();
    file->Release();
    schema->ReadProperties();

    int painted = 0;
    for (const char* className : {"WINDOW", "BUTTON", "SCROLLBAR"}) {
        CPlymSkinManagerClass* themeClass = schema->GetThemeClass(className);
        for (int part = 1; part < 64; ++part) {
            for (int state = 0; state <= 20; ++state) {
                const plym::Rect target{2, 3, 2 + 41, 3 + 27};
                const plym::BackgroundPlan plan =
                    themeClass->PlanBackground(part, state, target, themeClass->ImageInfo());
                if (plan.kind != plym::BackgroundPlan::kImage)
                    continue;
                if (state > plan.image.imageCount)
                    continue;  // the first cell again
                SCOPED_TRACE(std::string(className) + " part " + std::to_string(part) + " state " +
                             std::to_string(state) + " " + plan.image.path);
                auto* image = dynamic_cast<CPlymSkinImage*>(themeClass->FetchImage(plan.image.path));
                ASSERT_NE(image, nullptr);
                const plym::ImagePaint& p = plan.image;
                const skintest::PaintCall call{p.destination,
                                               p.source,
                                               p.margins,
                                               p.key,
                                               p.sizingType,
                                               p.borderOnly,
                                               image->HasAlpha() != FALSE};
                skintest::Canvas canvas(46, 33, kBackground);
                image->SetMirrorAllowed(p.mirror ? TRUE : FALSE);
                image->PrepareSolidRects(p.imageCount, p.horizontal ? TRUE : FALSE, ToWinRect(p.margins));
                ASSERT_TRUE(image->PaintPart(canvas.Dc(), ToWinRect(p.destination), ToWinRect(p.source),
                                             ToWinRect(p.margins),
                                             p.key == plym::kNoColor ? CLR_INVALID : p.key, p.sizingType,
                                             p.borderOnly ? TRUE : FALSE));
                const skintest::TopDownImage pixels = PixelsOf(*image);
                // Probes: the corners and the middle of every piece, and the
                // pixels just outside the destination.
                const plym::Rect& d = p.destination;
                const int xs[] = {d.left - 1,
                                  d.left,
                                  d.left + p.margins.left,
                                  (d.left + d.right) / 2,
                                  d.right - p.margins.right - 1,
                                  d.right - 1,
                                  d.right};
                const int ys[] = {d.top - 1,
                                  d.top,
                                  d.top + p.margins.top,
                                  (d.top + d.bottom) / 2,
                                  d.bottom - p.margins.bottom - 1,
                                  d.bottom - 1,
                                  d.bottom};
                for (int y : ys) {
                    for (int x : xs) {
                        const std::vector<plym::Color> predicted =
                            skintest::PredictedColors(pixels, call, x, y, kBackground);
                        EXPECT_TRUE(
                            skintest::MatchesPrediction(canvas.At(x, y), predicted, call.alpha ? 2 : 0))
                            << x << "," << y << " is " << std::hex << canvas.At(x, y) << ", predicted "
                            << predicted[0];
                    }
                }
                ++painted;
            }
        }
    }
    EXPECT_GT(painted, 40);
    schema->Release();
}

}  // namespace
