// tests/controls/paint_model_test.cpp
//
// The bitmap button's frame choice, gradient bands, the owner-drawn menu's
// item sizes and the picture static's image placement.
#include <gtest/gtest.h>

#include <tuple>

#include "controls/bmp_button_frame.h"
#include "controls/gradient_bands.h"
#include "controls/paint_layout.h"

namespace {

using namespace controls;

struct FrameCase {
    bool checked, disabled, hovered, selected;
    ButtonFrame frame;
};

class ButtonFrameTest : public testing::TestWithParam<FrameCase> {};

TEST_P(ButtonFrameTest, FirstMatchingStateWins) {
    const FrameCase& c = GetParam();
    EXPECT_EQ(ChooseFrame({c.checked, c.disabled, c.hovered, c.selected}), c.frame);
}

INSTANTIATE_TEST_SUITE_P(States,
                         ButtonFrameTest,
                         testing::Values(
                             // checked shows the pressed frame whatever else holds
                             FrameCase{true, true, true, true, kFramePressed},
                             FrameCase{true, false, false, false, kFramePressed},
                             FrameCase{true, true, false, false, kFramePressed},
                             // disabled wins over hover
                             FrameCase{false, true, true, false, kFrameDisabled},
                             FrameCase{false, true, false, true, kFrameDisabled},
                             // a press without a hover first stays normal
                             FrameCase{false, false, false, true, kFrameNormal},
                             FrameCase{false, false, false, false, kFrameNormal},
                             FrameCase{false, false, true, true, kFramePressed},
                             FrameCase{false, false, true, false, kFrameHovered}));

TEST(ButtonFrame, OffsetsRoundTheFrameWidthDown) {
    EXPECT_EQ(FrameOffset(400, kFrameDisabled), 300);
    EXPECT_EQ(FrameOffset(103, kFrameHovered), 25);  // 103 / 4 = 25
    EXPECT_EQ(FrameOffset(103, kFrameDisabled), 75);
    EXPECT_EQ(FrameOffset(3, kFramePressed), 0);
}

// The gradient every caller draws: grey 0x545454 at the top to black.
constexpr uint32_t kGrey = 0x545454;

int Covered(const std::vector<GradientBand>& bands, bool horizontal) {
    int total = 0;
    for (const auto& b : bands)
        total += horizontal ? b.width : b.height;
    return total;
}

TEST(Gradient, BandSizeFollowsTheExtent) {
    EXPECT_EQ(GradientBandSize(100), 1);
    EXPECT_EQ(GradientBandSize(255), 1);  // 255 / 128 = 1 is below 2
    EXPECT_EQ(GradientBandSize(256), 2);
    EXPECT_EQ(GradientBandSize(300), 2);
    EXPECT_EQ(GradientBandSize(0), 1);
}

TEST(Gradient, HundredPixelsGiveHundredOnePixelBandsFromGreyToBlack) {
    const auto bands = GradientBands(0, 0, 40, 100, kGrey, 0, false, true);
    ASSERT_EQ(bands.size(), 100u);
    // Band k lies k pixels above the bottom with k percent of the grey.
    EXPECT_EQ(bands.front(), (GradientBand{0, 99, 40, 1, 0x000000}));  // 0x54 / 100 truncates to 0
    EXPECT_EQ(bands[49], (GradientBand{0, 50, 40, 1, 0x2A2A2A}));
    EXPECT_EQ(bands.back(), (GradientBand{0, 0, 40, 1, kGrey}));
}

TEST(Gradient, ThreeHundredPixelsGiveTwoPixelBandsCoveringTheRectangle) {
    const auto bands = GradientBands(5, 10, 25, 310, kGrey, 0, false, true);
    ASSERT_EQ(bands.size(), 150u);
    EXPECT_EQ(bands.front(), (GradientBand{5, 308, 20, 2, 0x000000}));
    EXPECT_EQ(bands.back(), (GradientBand{5, 10, 20, 2, kGrey}));
    EXPECT_EQ(Covered(bands, false), 300);
}

TEST(Gradient, LastBandIsClippedToTheRectangle) {
    // 301 px: 2-px bands, the 151st would start one pixel above the top.
    for (bool aFirst : {true, false}) {
        const auto bands = GradientBands(0, 100, 10, 401, 0xFFFFFF, 0x000000, false, aFirst);
        ASSERT_EQ(bands.size(), 151u);
        for (const auto& b : bands) {
            EXPECT_GE(b.y, 100);
            EXPECT_LE(b.y + b.height, 401);
        }
        EXPECT_EQ(Covered(bands, false), 301);
        // The cut band keeps colour A (no channel past 0xFF).
        EXPECT_EQ(bands.back().height, 1);
        EXPECT_EQ(bands.back().color, 0xFFFFFFu);
        EXPECT_EQ(bands.back().y, aFirst ? 100 : 400);
    }
}

TEST(Gradient, ChannelsAreInterpolatedSeparately) {
    // B + (A - B) * offset / extent per channel, truncating toward zero.
    EXPECT_EQ(GradientColor(0x0000FF, 0xFF0000, 1, 3), 0xAA0055u);
    EXPECT_EQ(GradientColor(0x102030, 0x102030, 7, 9), 0x102030u);
    EXPECT_EQ(GradientColor(0xFFFFFF, 0, 10, 5), 0xFFFFFFu);  // offset clamped to the extent
}

TEST(Gradient, HorizontalPaintsWholeBandsOnlyWithAAtTheChosenSide) {
    const auto left = GradientBands(0, 0, 301, 8, kGrey, 0, true, true);
    ASSERT_EQ(left.size(), 150u);
    EXPECT_EQ(left.front(), (GradientBand{299, 0, 2, 8, 0x000000}));
    EXPECT_EQ(left.back(), (GradientBand{1, 0, 2, 8, 0x535353}));  // pixel 0 stays unpainted
    const auto right = GradientBands(0, 0, 301, 8, kGrey, 0, true, false);
    EXPECT_EQ(right.front().x, 0);
    EXPECT_EQ(right.back().x, 298);
    EXPECT_TRUE(GradientBands(0, 0, 0, 8, kGrey, 0, true, true).empty());
    EXPECT_TRUE(GradientBands(0, 5, 10, 5, kGrey, 0, false, true).empty());
}

TEST(MenuItem, HiddenItemsTakeNoRoomAndSeparatorsFourPixels) {
    EXPECT_EQ(MenuItemSize(0xFFFFFFFF, 100, 20), (PaintSize{0, 0}));
    EXPECT_EQ(MenuItemSize(0xFFFFFFFE, 100, 20), (PaintSize{0, 0}));
    EXPECT_EQ(MenuItemSize(kMenuSeparator, 100, 20), (PaintSize{100, 4}));
    EXPECT_EQ(MenuItemSize(kMenuText, 100, 20), (PaintSize{100, 20}));
}

TEST(PictureFit, StretchesCentresOrScalesKeepingTheRatio) {
    EXPECT_EQ(FitImage({200, 100}, {50, 50}, false), (PixelRect{0, 0, 200, 100}));
    EXPECT_EQ(FitImage({200, 100}, {50, 50}, true), (PixelRect{75, 25, 50, 50}));
    EXPECT_EQ(FitImage({200, 100}, {400, 100}, true), (PixelRect{0, 25, 200, 50}));
    EXPECT_EQ(FitImage({200, 100}, {100, 400}, true), (PixelRect{87, 0, 25, 100}));
    EXPECT_EQ(FitImage({200, 100}, {0, 10}, true), PixelRect{});
}

}  // namespace
