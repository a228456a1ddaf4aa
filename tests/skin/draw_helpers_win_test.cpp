// tests/skin/draw_helpers_win_test.cpp
//
// The drawing helpers under Wine: the skinned DrawEdge, given the system's
// colours, draws exactly what the system's DrawEdge draws; the buffer DCs
// copy back (or not); bitmap resources become DIB sections only when their
// pixels are all there; only a right-to-left layout reads as one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/core/color_manager.h"
#include "skin/core/draw_helpers.h"
#include "tests/skin/png_corpus.h"
#include "tests/skin/skin_win_support.h"
#include "tests/skin/win_skin_support.h"

namespace {

using skintest::Canvas;

constexpr COLORREF kBackground = RGB(0x12, 0x34, 0x56);

PlymEdgeColors SystemColors() {
    return {::GetSysColor(COLOR_3DHIGHLIGHT), ::GetSysColor(COLOR_3DLIGHT), ::GetSysColor(COLOR_3DSHADOW),
            ::GetSysColor(COLOR_3DDKSHADOW),  ::GetSysColor(COLOR_3DFACE),  ::GetSysColor(COLOR_WINDOWFRAME),
            ::GetSysColor(COLOR_WINDOW)};
}

TEST(DrawHelpersTest, SkinnedDrawEdgeWithSystemColoursMatchesTheSystem) {
    const UINT edges[] = {EDGE_RAISED,     EDGE_SUNKEN,     EDGE_ETCHED,     EDGE_BUMP,
                          BDR_RAISEDOUTER, BDR_SUNKENOUTER, BDR_RAISEDINNER, BDR_SUNKENINNER};
    const UINT flags[] = {BF_RECT,           BF_RECT | BF_SOFT,   BF_RECT | BF_FLAT,
                          BF_RECT | BF_MONO, BF_LEFT | BF_TOP,    BF_RIGHT | BF_BOTTOM,
                          BF_TOP | BF_RIGHT, BF_RECT | BF_MIDDLE, BF_RECT | BF_ADJUST | BF_SOFT};
    const PlymEdgeColors colors = SystemColors();
    for (UINT edge : edges) {
        for (UINT flag : flags) {
            SCOPED_TRACE("edge " + std::to_string(edge) + " flags " + std::to_string(flag));
            Canvas system(16, 12, kBackground);
            Canvas skinned(16, 12, kBackground);
            RECT systemRect{2, 1, 14, 11};
            RECT skinnedRect = systemRect;
            ASSERT_TRUE(::DrawEdge(system.Dc(), &systemRect, edge, flag));
            ASSERT_TRUE(PlymDrawEdge(skinned.Dc(), &skinnedRect, edge, flag, colors));
            EXPECT_TRUE(::EqualRect(&systemRect, &skinnedRect));
            for (int y = 0; y < 12; ++y) {
                for (int x = 0; x < 16; ++x) {
                    ASSERT_EQ(skinned.At(x, y), system.At(x, y)) << "at " << x << "," << y;
                }
            }
        }
    }
}

TEST(DrawHelpersTest, PushButtonFrameControlIsASoftEdgeAroundTheFace) {
    PlymEdgeColors colors{RGB(250, 250, 250), RGB(200, 200, 200), RGB(100, 100, 100), RGB(10, 10, 10),
                          RGB(150, 150, 150), RGB(1, 1, 1),       RGB(2, 2, 2)};
    Canvas canvas(10, 10, kBackground);
    RECT rect{0, 0, 10, 10};
    ASSERT_TRUE(PlymDrawFrameControl(canvas.Dc(), &rect, DFC_BUTTON, DFCS_BUTTONPUSH, colors));
    EXPECT_EQ(canvas.At(0, 0), colors.highlight);   // soft raised outer, top left
    EXPECT_EQ(canvas.At(9, 5), colors.darkShadow);  // outer, right
    EXPECT_EQ(canvas.At(1, 1), colors.light);       // soft raised inner
    EXPECT_EQ(canvas.At(8, 5), colors.shadow);
    EXPECT_EQ(canvas.At(5, 5), colors.face);
    EXPECT_EQ(rect.left, 2);

    Canvas pushed(10, 10, kBackground);
    rect = {0, 0, 10, 10};
    ASSERT_TRUE(PlymDrawFrameControl(pushed.Dc(), &rect, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED, colors));
    EXPECT_EQ(pushed.At(0, 0), colors.darkShadow);  // soft sunken outer
    EXPECT_EQ(pushed.At(9, 5), colors.highlight);

    rect = {0, 0, 10, 10};
    EXPECT_FALSE(PlymDrawFrameControl(canvas.Dc(), &rect, DFC_CAPTION, DFCS_CAPTIONCLOSE, colors));

    // Without colours given, the colour manager's are used.
    GetPlymColorManager()->SetOverride(COLOR_3DFACE, RGB(9, 99, 199));
    rect = {0, 0, 10, 10};
    ASSERT_TRUE(PlymDrawFrameControl(canvas.Dc(), &rect, DFC_BUTTON, DFCS_BUTTONPUSH));
    EXPECT_EQ(canvas.At(5, 5), RGB(9, 99, 199));
    GetPlymColorManager()->SetOverride(COLOR_3DFACE, plym::kNoColor);
}

TEST(DrawHelpersTest, BufferDCsCopyBackUnlessCancelled) {
    Canvas canvas(20, 20, kBackground);
    {
        CPlymBufferDC buffer(canvas.Dc(), RECT{5, 5, 15, 15});
        PlymFillSolidRect(buffer, 0, 0, 10, 10, RGB(1, 2, 3));  // the buffer's own coordinates
    }
    EXPECT_EQ(canvas.At(5, 5), RGB(1, 2, 3));
    EXPECT_EQ(canvas.At(14, 14), RGB(1, 2, 3));
    EXPECT_EQ(canvas.At(15, 15), kBackground);
    {
        CPlymBufferDC buffer(canvas.Dc(), RECT{0, 0, 20, 20});
        PlymFillSolidRect(buffer, 0, 0, 20, 20, RGB(9, 9, 9));
        buffer.CancelCopy();
    }
    EXPECT_EQ(canvas.At(0, 0), kBackground);
    {
        CPlymBufferDCEx buffer(canvas.Dc(), 10, 0, 20, 10);
        PlymFillSolidRect(buffer, 12, 2, 2, 2, RGB(7, 8, 9));  // the target's coordinates
    }
    EXPECT_EQ(canvas.At(12, 2), RGB(7, 8, 9));
    EXPECT_EQ(canvas.At(14, 2), canvas.At(10, 0));
}

TEST(DrawHelpersTest, OnlyARightToLeftLayoutCountsAsRightToLeft) {
    Canvas canvas(4, 4, kBackground);
    const struct {
        DWORD layout;
        BOOL rtl;
    } layouts[] = {{0, FALSE},
                   {LAYOUT_RTL, TRUE},
                   {LAYOUT_BITMAPORIENTATIONPRESERVED, FALSE},
                   {LAYOUT_RTL | LAYOUT_BITMAPORIENTATIONPRESERVED, TRUE}};
    for (const auto& l : layouts) {
        SetLayout(canvas.Dc(), l.layout);
        EXPECT_EQ(HasRTLLayout(canvas.Dc()), l.rtl) << l.layout;
    }
    // A DC whose layout cannot be read: GetLayout answers GDI_ERROR.
    ASSERT_EQ(GetLayout(nullptr), GDI_ERROR);
    EXPECT_FALSE(HasRTLLayout(nullptr));
}

// A packed 32-bit DIB: `rows` rows of `width` pixels, pixel value 0xAABBGGRR
// style bytes B = x, G = y, R = 0x40, A = 0x80; `height` may be negative.
std::vector<uint8_t> Dib32(int width, int height, size_t cut) {
    std::vector<uint8_t> d(40, 0);
    auto put = [&d](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            d[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(0, 40);
    put(4, static_cast<uint32_t>(width));
    put(8, static_cast<uint32_t>(height));
    d[12] = 1;
    d[14] = 32;
    const int rows = height < 0 ? -height : height;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width; ++x)
            d.insert(d.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0x40, 0x80});
    }
    d.resize(d.size() - cut);
    return d;
}

TEST(DrawHelpersTest, BitmapResourceBecomesASectionOnlyWhenWhole) {
    skintest::PngRecipe rgb;
    rgb.width = rgb.height = 1;
    rgb.samples = {1, 2, 3};
    const std::string module = skintest::FreshFolder("dib_section") + "pictures.dll";
    ASSERT_TRUE(skintest::MakeModuleCopy(module, {{"", 2, "WHOLE", Dib32(3, 2, 0)},
                                                  {"", 2, "SHORT", Dib32(3, 2, 1)},
                                                  {"PNG", 0, "RGB", skintest::EncodePng(rgb)}}));
    HMODULE pictures = ::LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(pictures, nullptr);

    BOOL alpha = FALSE;
    HBITMAP whole = PlymLoadResourceDibSection(pictures, "WHOLE", &alpha);
    ASSERT_NE(whole, nullptr);
    EXPECT_TRUE(alpha);
    int width = 0;
    int height = 0;
    const std::vector<uint8_t> pixels = skintest::BitmapPixels(whole, &width, &height);
    ASSERT_EQ(pixels.size(), 24u);
    // Bottom-up rows: the resource's first row is the picture's bottom row.
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[1], 1);
    EXPECT_EQ(pixels[4 * 3 + 1], 0);
    ::DeleteObject(whole);

    alpha = TRUE;
    EXPECT_EQ(PlymLoadResourceDibSection(pictures, "SHORT", &alpha), nullptr);
    EXPECT_FALSE(alpha);
    HBITMAP png = PlymLoadResourceDibSection(pictures, "RGB", &alpha);
    ASSERT_NE(png, nullptr);
    EXPECT_FALSE(alpha);  // three channels
    ::DeleteObject(png);
    EXPECT_EQ(PlymLoadResourceDibSection(pictures, "NONE", &alpha), nullptr);
    ::FreeLibrary(pictures);
}

}  // namespace
