// tests/skin/frame_geometry_test.cpp
//
// Frame arithmetic without a window: MulDiv as Windows rounds it, caption
// button sizes and places, the see-through shape of frame images scanned from
// pixels, cached per frame kind and cut out of a window region, and the parts
// and states of a scroll bar's pieces.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "skin/core/frame_geometry.h"
#include "skin/core/plym_muldiv.h"
#include "skin/core/theme_class_core.h"
#include "tests/skin/skin_test_support.h"

namespace {

using plym::Rect;

TEST(PlymMulDivTest, RoundsHalfAwayFromZeroAndFailsWithMinusOne) {
    const struct {
        int a, b, c, expected;
    } cases[] = {
        {25, 18, 21, 21},
        {4, 4, 21, 1},
        {3, 1, 2, 2},
        {-3, 1, 2, -2},
        {3, -1, 2, -2},
        {3, 1, -2, -2},
        {-3, -1, -2, -2},
        {5, 1, 4, 1},
        {7, 1, 4, 2},
        {0, -5, 3, 0},
        {1, 1, 0, -1},
        {INT_MAX, 2, 1, -1},
        {INT_MIN, 1, 1, -1},
        {INT_MAX, 2, 2, INT_MAX},
        {-INT_MAX, 1, 1, -INT_MAX},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {8, 96, 72, 11},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlymMulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

TEST(CaptionButtonTest, SizeFollowsTheCloseButtonCellRoundingLikeMulDiv) {
    const struct {
        const char* ini;
        int imageWidth, imageHeight;
        int s;
        plym::Size expected;
    } cases[] = {
        {"ImageFile = b.bmp\nImageCount = 2\n", 50, 21, 18, {22, 18}},  // 1 + 21
        {"ImageFile = b.bmp\n", 13, 13, 18, {18, 18}},
        {"ImageFile = b.bmp\nImageCount = 2\nImageLayout = Vertical\n", 25, 42, 18, {22, 18}},
        {"ImageFile = b.bmp\nImageCount = 8\n", 200, 21, 20, {25, 20}},
        {"BgType = BorderFill\nImageFile = b.bmp\n", 25, 21, 18, {18, 18}},
        {"ImageFile = missing.bmp\n", 25, 21, 18, {18, 18}},
        {"", 25, 21, 18, {18, 18}},
        {"ImageFile = b.bmp\nImageCount = 30\nImageLayout = Vertical\n",
         25,
         21,
         18,
         {18, 18}},  // no cell height
    };
    for (const auto& c : cases) {
        plym::SchemaStore store;
        skintest::Parse(&store, std::string("[Window.CloseButton]\n") + c.ini);
        plym::ThemeClassCore window(&store, "WINDOW", plym::kClassWindow);
        const plym::ImageInfoFn images = [&](const std::string& path, plym::ImageInfo* info) {
            if (path != "B.BMP")
                return false;
            *info = {c.imageWidth, c.imageHeight, false};
            return true;
        };
        EXPECT_EQ(window.GetCaptionButtonSize(c.s, images), c.expected) << c.ini;
    }
}

TEST(CaptionButtonTest, RowStandsAtTheRightOfTheCaption) {
    // A dialog: caption, system menu, modal frame with window edge; caption 25.
    plym::FrameMetrics metrics;
    metrics.captionHeight = 25;
    const uint32_t style = plym::kWsCaption | plym::kWsSysMenu;
    const uint32_t exStyle = plym::kWsExDlgModalFrame | plym::kWsExWindowEdge;
    const int n = plym::GetBorderCount(style, exStyle, true, false, metrics.borderMultiplier);
    EXPECT_EQ(n, 3);
    const Rect borders = plym::FrameBorders(style, exStyle, metrics);
    EXPECT_EQ(borders, (Rect{3, 28, 3, 3}));
    const plym::CaptionButtonRow row = plym::CaptionButtonGeometry(borders, n, style, exStyle, metrics);
    EXPECT_EQ(row.size, 20);
    EXPECT_EQ(row.offset, 1);
    EXPECT_EQ(plym::CaptionButtonRect(300, borders, n, {25, 20}, row.offset, 0), (Rect{270, 5, 295, 25}));
    EXPECT_EQ(plym::CaptionButtonRect(300, borders, n, {25, 20}, row.offset, 1), (Rect{243, 5, 268, 25}));
    EXPECT_EQ(plym::CaptionButtonsLeft(300, borders, n, {25, 20}, 2), 243);
    EXPECT_EQ(plym::CaptionButtonsLeft(300, borders, n, {25, 20}, 0), 297);

    // A sizeable window with a client edge: thick frame, border multiplier 2.
    metrics.borderMultiplier = 2;
    const uint32_t sizeable = plym::kWsCaption | plym::kWsThickFrame;
    EXPECT_EQ(plym::GetBorderCount(sizeable, plym::kWsExClientEdge, true, true, 2), 5);
    EXPECT_EQ(plym::FrameBorders(sizeable, plym::kWsExClientEdge, metrics), (Rect{5, 30, 5, 5}));
    const plym::CaptionButtonRow edged =
        plym::CaptionButtonGeometry({5, 30, 5, 5}, 3, sizeable, plym::kWsExClientEdge, metrics);
    EXPECT_EQ(edged.size, 30 - 3 - 5 - 2);
    EXPECT_EQ(edged.offset, (2 + 1) / 2 - 1);
}

constexpr plym::Color kKey = 0xFF00FF;
constexpr plym::Color kBody = 0x1E1C1C;

// A w x h image of body colour with the listed pixels see-through.
plym::PixelImage Image(int w, int h, const std::vector<std::pair<int, int>>& keyed) {
    plym::PixelImage image{w, h, std::vector<plym::Color>(static_cast<size_t>(w * h), kBody)};
    for (auto [x, y] : keyed)
        image.pixels[static_cast<size_t>(y * w + x)] = kKey;
    return image;
}

// A caption 20 x 8 whose top row is see-through and whose corners are round
// (radius 3) in the key colour, with sizing margins 5 left and right.
plym::PixelImage RoundCaption() {
    std::vector<std::pair<int, int>> keyed;
    for (int x = 0; x < 20; ++x)
        keyed.push_back({x, 0});
    for (auto [x, y] : {std::pair{0, 1}, {1, 1}, {0, 2}})
        keyed.insert(keyed.end(), {{x, y}, {19 - x, y}});
    return Image(20, 8, keyed);
}

TEST(FrameRegionTest, ScanOfAKeyColouredCornerGivesNearFarRunsAndSeeThroughLines) {
    plym::FrameRegionPart caption;
    caption.margins = {5, 2, 5, 0};
    plym::ScanFramePart(RoundCaption(), plym::kSideCaption, 20, 8, kKey, &caption);
    EXPECT_EQ(caption.nearRects, (std::vector<Rect>{{0, 0, 5, 1}, {0, 1, 2, 2}, {0, 2, 1, 3}}));
    // From the far margin (x 15) on.
    EXPECT_EQ(caption.farRects, (std::vector<Rect>{{0, 0, 5, 1}, {3, 1, 5, 2}, {4, 2, 5, 3}}));
    EXPECT_EQ(caption.seeThroughLines, 1);

    // A bottom edge counts from its last row; a left edge by columns.
    plym::FrameRegionPart bottom;
    bottom.margins = {3, 0, 3, 0};
    plym::ScanFramePart(Image(10, 3, {{0, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {9, 2}}), plym::kSideBottom, 10,
                        3, kKey, &bottom);
    EXPECT_EQ(bottom.nearRects, (std::vector<Rect>{{0, 2, 1, 3}}));
    EXPECT_EQ(bottom.farRects, (std::vector<Rect>{{2, 2, 3, 3}}));
    EXPECT_EQ(bottom.seeThroughLines, 1);
    plym::FrameRegionPart left;
    left.margins = {0, 2, 0, 2};
    plym::ScanFramePart(Image(3, 8, {{0, 0}, {0, 1}, {1, 0}, {0, 7}}), plym::kSideLeft, 3, 8, kKey, &left);
    EXPECT_EQ(left.nearRects, (std::vector<Rect>{{0, 0, 1, 2}, {1, 0, 2, 1}}));
    EXPECT_EQ(left.farRects, (std::vector<Rect>{{0, 1, 1, 2}}));
    EXPECT_EQ(left.seeThroughLines, 0);

    // Margins that cover the whole image leave no middle to call see-through.
    plym::FrameRegionPart covered;
    covered.margins = {10, 0, 10, 0};
    plym::ScanFramePart(Image(20, 2, {}), plym::kSideCaption, 20, 2, kKey, &covered);
    EXPECT_EQ(covered.seeThroughLines, 0);
}

// Renders the frame parts of a fake skin and counts the calls.
struct FakeFrameImages {
    std::map<int, int> renders;  // part -> calls
    plym::RenderFramePartFn Render() {
        return [this](int part, bool fixedWidth, int size, plym::PixelImage* image, Rect* margins,
                      plym::Color* key) {
            ++renders[part];
            *key = kKey;
            if (part == 1 || part == 2) {
                EXPECT_FALSE(fixedWidth);
                *image = RoundCaption();
                *margins = {5, 2, 5, 0};
                return true;
            }
            if (part == 9 || part == 12) {
                EXPECT_FALSE(fixedWidth);
                *image = Image(20, size, {{0, size - 1}, {19, size - 1}});
                *margins = {3, 0, 3, 0};
                return true;
            }
            EXPECT_TRUE(fixedWidth);
            *image = Image(size, 10, {{0, 0}});
            *margins = {0, 2, 0, 2};
            return true;
        };
    }
};

TEST(FrameRegionTest, FramesOfOneKindShareAnEntryAndANarrowWindowGetsATemporaryOne) {
    FakeFrameImages images;
    plym::FrameRegionCache cache;
    std::unique_ptr<plym::FrameRegion> temporary;
    const plym::FrameRegion* first = cache.Find(8, 4, 0, 100, images.Render(), &temporary);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ((std::map<int, int>{{1, 1}, {7, 1}, {8, 1}, {9, 1}}), images.renders);
    EXPECT_EQ(cache.Find(8, 4, 0, 300, images.Render(), &temporary), first);
    EXPECT_EQ(images.renders[1], 1);
    EXPECT_EQ(cache.EntryCount(), 1u);

    const plym::FrameRegion* tool = cache.Find(8, 4, 0x80, 100, images.Render(), &temporary);
    EXPECT_NE(tool, first);
    EXPECT_EQ(images.renders[2] + images.renders[10] + images.renders[11] + images.renders[12], 4);
    EXPECT_EQ(cache.EntryCount(), 2u);

    const plym::FrameRegion* narrow = cache.Find(8, 4, 0, 8, images.Render(), &temporary);
    ASSERT_NE(narrow, nullptr);
    EXPECT_TRUE(narrow->temporary);
    EXPECT_EQ(narrow, temporary.get());
    EXPECT_EQ(cache.EntryCount(), 2u);
    const Rect& margins = narrow->parts[plym::kRegionCaption].margins;
    EXPECT_EQ(margins.left, PlymMulDiv(8, 5, 10));
    EXPECT_EQ(margins.right, 8 - 5);

    cache.Clear();
    EXPECT_EQ(cache.EntryCount(), 0u);
    const plym::RenderFramePartFn noCaption = [](int, bool, int, plym::PixelImage*, Rect*, plym::Color*) {
        return false;
    };
    EXPECT_EQ(cache.Find(8, 4, 0, 100, noCaption, &temporary), nullptr);
}

TEST(FrameRegionTest, CutoutsPlaceEachPartAtItsEdgeOfTheWindow) {
    FakeFrameImages images;
    plym::FrameRegionCache cache;
    std::unique_ptr<plym::FrameRegion> temporary;
    const plym::FrameRegion* region = cache.Find(8, 4, 0, 100, images.Render(), &temporary);
    ASSERT_NE(region, nullptr);
    const std::vector<Rect> cutouts = plym::FrameRegionCutouts(*region, 100, 60);
    const std::vector<Rect> expected = {
        // caption: near corner, far corner from x 95, the see-through top row
        {0, 0, 5, 1},
        {0, 1, 2, 2},
        {0, 2, 1, 3},
        {95, 0, 100, 1},
        {98, 1, 100, 2},
        {99, 2, 100, 3},
        {5, 0, 95, 1},
        // bottom edge (4 high) at y 56: its two lowest corner pixels
        {0, 59, 1, 60},
        {99, 59, 100, 60},
        // left edge from y 8, right edge at x 96
        {0, 8, 1, 9},
        {96, 8, 97, 9},
    };
    EXPECT_EQ(cutouts, expected);
    EXPECT_EQ(plym::MaximizedFrameRegion(4, 800, 600, false), (Rect{4, 4, 796, 596}));
    EXPECT_EQ(plym::MaximizedFrameRegion(4, 800, 600, true), (Rect{4, 4, 808, 608}));
}

plym::ScrollBarPosInfo HorizontalBar() {
    return skintest::HorizontalBar(16, 30, 40);
}

TEST(ScrollBarPlanTest, PiecesTakeTheirStateFromHotPressedAndEnabled) {
    using Piece = plym::ScrollBarPiece;
    const plym::ScrollBarPosInfo bar = HorizontalBar();
    const plym::ScrollBarTracking idle;
    plym::ScrollBarPlan plan = plym::PlanScrollBar(bar, idle, false, 20);
    ASSERT_TRUE(plan.draw);
    EXPECT_EQ(plan.fill, (Rect{0, 0, 100, 16}));
    EXPECT_EQ(plan.pieces, (std::vector<Piece>{{1, 9, {0, 0, 16, 16}},
                                               {1, 13, {84, 0, 100, 16}},
                                               {4, 1, {16, 0, 30, 16}},
                                               {2, 1, {30, 0, 40, 16}},
                                               {8, 1, {30, 0, 40, 16}},
                                               {5, 1, {40, 0, 84, 16}}}));

    // A hot thumb makes the bar live: with 20 arrow cells the arrows hover.
    plym::ScrollBarPosInfo hot = bar;
    hot.hotPart = plym::kHitThumb;
    plan = plym::PlanScrollBar(hot, idle, false, 20);
    EXPECT_EQ(plan.pieces[0].state, 19);
    EXPECT_EQ(plan.pieces[1].state, 20);
    EXPECT_EQ(plan.pieces[3].state, 2);
    EXPECT_EQ(plan.pieces[4].state, 2);
    plan = plym::PlanScrollBar(hot, idle, false, 16);
    EXPECT_EQ(plan.pieces[0].state, 9);

    // Dragging the thumb presses it; nothing is hot while tracking.
    plym::ScrollBarTracking dragging{true, true, true, false};
    plan = plym::PlanScrollBar(hot, dragging, false, 16);
    EXPECT_EQ(plan.pieces[3].state, 3);
    plym::ScrollBarPosInfo arrow = bar;
    arrow.hotPart = plym::kHitFirstArrow;
    plan = plym::PlanScrollBar(arrow, plym::ScrollBarTracking{true, true, false, true}, false, 16);
    EXPECT_EQ(plan.pieces[0].state, 11);
    plan = plym::PlanScrollBar(arrow, plym::ScrollBarTracking{true, false, false, false}, false, 20);
    EXPECT_EQ(plan.pieces[0].state, 9);  // another bar is tracked: not hot, not live

    // A thumb 9 wide has no gripper; a vertical one needs 14.
    plym::ScrollBarPosInfo narrow = bar;
    narrow.thumbEnd = 39;
    EXPECT_EQ(plym::PlanScrollBar(narrow, idle, false, 16).pieces.size(), 5u);
    plym::ScrollBarPosInfo vertical = bar;
    vertical.vertical = 1;
    vertical.thumbEnd = 43;
    plan = plym::PlanScrollBar(vertical, idle, false, 16);
    EXPECT_EQ(plan.pieces[0], (Piece{1, 1, {0, 0, 16, 16}}));
    EXPECT_EQ(plan.pieces[1].state, 5);
    EXPECT_EQ(plan.pieces.size(), 5u);
    vertical.thumbEnd = 44;
    plan = plym::PlanScrollBar(vertical, idle, false, 16);
    EXPECT_EQ(plan.pieces[4], (Piece{9, 1, {0, 30, 16, 44}}));
}

TEST(ScrollBarPlanTest, AnEmptyRangeOrADisabledControlIsDrawnDisabledWithoutThumb) {
    plym::ScrollBarPosInfo empty = HorizontalBar();
    empty.maximum = 9;  // 9 - 10 - 0 + 1 = 0
    plym::ScrollBarPlan plan = plym::PlanScrollBar(empty, {}, false, 20);
    EXPECT_EQ(plan.pieces, (std::vector<plym::ScrollBarPiece>{
                               {1, 12, {0, 0, 16, 16}}, {1, 16, {84, 0, 100, 16}}, {5, 4, {16, 0, 84, 16}}}));
    plym::ScrollBarPosInfo control = HorizontalBar();
    control.barKind = 2;
    EXPECT_EQ(plym::PlanScrollBar(control, {}, true, 20).pieces[0].state, 12);
    EXPECT_EQ(plym::PlanScrollBar(control, {}, false, 20).pieces[0].state, 9);
    plym::ScrollBarPosInfo extreme = HorizontalBar();
    extreme.minimum = INT_MIN;
    extreme.maximum = INT_MAX;
    extreme.page = 0;
    EXPECT_EQ(plym::PlanScrollBar(extreme, {}, false, 20).pieces[0].state, 9);
    plym::ScrollBarPosInfo flat = HorizontalBar();
    flat.crossEnd = flat.crossStart;
    EXPECT_FALSE(plym::PlanScrollBar(flat, {}, false, 20).draw);
}

}  // namespace
