// tests/skin/control_skin_maths_test.cpp
//
// The control skins' decisions without a window: which part and state each
// control shows, the track bar's layout, value pixels, ticks and selection
// marks, the progress bar's chunks and marquee, and the spin's halves.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <tuple>
#include <vector>

#include "skin/objects/control_layout.h"
#include "skin/objects/control_states.h"

namespace {

using plym::PartState;
using plym::Rect;

TEST(ControlStatesTest, ButtonsTakeTheirPartAndStateFromKindCheckAndMouse) {
    using namespace plym;
    const struct {
        uint32_t style;
        bool enabled, pushed, hot;
        int check;
        PartState expected;
    } cases[] = {
        {kBsPushButton, true, false, false, 0, {1, 1}},
        {kBsPushButton, true, false, true, 0, {1, 2}},
        {kBsPushButton, true, true, true, 0, {1, 3}},
        {kBsPushButton, false, true, true, 0, {1, 4}},
        {kBsDefPushButton, true, false, false, 0, {1, 5}},
        {kBsDefPushButton, true, false, true, 0, {1, 2}},
        {kBsAutoCheckBox | kBsPushLike, true, false, false, 1, {1, 3}},
        {kBsAutoCheckBox | kBsPushLike, true, false, false, 0, {1, 1}},
        {kBsAutoRadioButton, true, false, false, 0, {2, 1}},
        {kBsAutoRadioButton, true, false, true, 1, {2, 6}},
        {kBsRadioButton, false, false, false, 1, {2, 8}},
        {kBsAutoCheckBox, true, true, true, 0, {3, 3}},
        {kBsCheckBox, true, false, false, 1, {3, 5}},
        {kBsAuto3State, true, false, false, 2, {3, 9}},
        {kBsAuto3State, true, false, true, 2, {3, 10}},
        {kBs3State, true, true, false, 2, {3, 11}},
        {kBsAuto3State, false, false, false, 2, {3, 12}},
        {kBsAutoCheckBox, true, false, false, 2, {3, 5}},  // only 3-state kinds are indeterminate
        {kBsGroupBox, true, false, true, 0, {4, 1}},
        {kBsGroupBox, false, false, false, 0, {4, 2}},
    };
    for (const auto& c : cases) {
        ButtonFacts facts;
        facts.style = c.style;
        facts.kind = ButtonKind(c.style, 255);
        facts.enabled = c.enabled;
        facts.pushed = c.pushed;
        facts.hot = c.hot;
        facts.check = c.check;
        EXPECT_EQ(ButtonPartState(facts), c.expected) << "style " << std::hex << c.style;
    }
    EXPECT_EQ(ButtonKind(kBsPushButton, kBsGroupBox), kBsGroupBox);
    EXPECT_FALSE(IsSkinnedButtonKind(ButtonKind(kBsOwnerDraw, 255)));
    EXPECT_FALSE(IsSkinnedButtonKind(ButtonKind(0x0E, 255)));  // command links and the like
    EXPECT_TRUE(IsSkinnedButtonKind(ButtonKind(kBsAutoRadioButton, 255)));

    EXPECT_EQ(ButtonTextPlacement(kBsPushButton, kBsPushButton).horizontal, TextPlacement::kCenter);
    EXPECT_EQ(ButtonTextPlacement(kBsAutoCheckBox, kBsAutoCheckBox).horizontal, TextPlacement::kLeft);
    EXPECT_EQ(ButtonTextPlacement(kBsPushButton | kBsLeft, kBsPushButton).horizontal, TextPlacement::kLeft);
    EXPECT_EQ(ButtonTextPlacement(kBsAutoCheckBox | kBsRight, kBsAutoCheckBox).horizontal,
              TextPlacement::kRight);
    const TextPlacement top = ButtonTextPlacement(kBsAutoCheckBox | kBsTop | kBsMultiLine, kBsAutoCheckBox);
    EXPECT_EQ(top.vertical, TextPlacement::kTop);
    EXPECT_TRUE(top.multiline);
    EXPECT_EQ(ButtonTextPlacement(kBsPushButton | kBsVCenter, 0).vertical, TextPlacement::kMiddle);
}

TEST(ControlStatesTest, ComboPickerHeaderToolBarAndThumbStates) {
    using namespace plym;
    // A drop-down shows PRESSED only while dropped with the button held.
    EXPECT_EQ(ComboBoxState(true, true, true, true), 3);
    EXPECT_EQ(ComboBoxState(true, false, true, true), 2);
    EXPECT_EQ(ComboBoxState(true, false, true, false), 1);
    EXPECT_EQ(ComboBoxState(true, true, false, false), 1);
    EXPECT_EQ(ComboBoxState(false, true, true, true), 4);
    EXPECT_EQ(DatePickerState(true, true), 2);
    EXPECT_EQ(DatePickerState(false, true), 4);
    EXPECT_EQ(DatePickerCheckState(true, false), 1);
    EXPECT_EQ(DatePickerCheckState(true, true), 5);
    EXPECT_EQ(DatePickerCheckState(false, true), 8);
    EXPECT_EQ(HeaderItemState(false, true), 1);
    EXPECT_EQ(HeaderItemState(true, false), 2);
    EXPECT_EQ(HeaderItemState(true, true), 3);

    const struct {
        uint8_t tbState;
        bool hot;
        int expected;
    } toolBar[] = {
        {kTbStateEnabled, false, 1},
        {kTbStateEnabled, true, 2},
        {kTbStateEnabled | kTbStateChecked, true, 5},
        {kTbStateEnabled | kTbStateChecked | kTbStatePressed, true, 3},
        {kTbStatePressed, true, 4},
    };
    for (const auto& c : toolBar)
        EXPECT_EQ(ToolBarButtonState(ToolBarItemState(c.tbState, c.hot)), c.expected) << int(c.tbState);
    EXPECT_EQ(ChooseToolBarButtonParts(kBtnsDropDown, kTbStyleExDrawDDArrows, 13),
              (ToolBarButtonParts{3, 4, 5}));
    EXPECT_EQ(ChooseToolBarButtonParts(kBtnsWholeDropDown, kTbStyleExDrawDDArrows, 13),
              (ToolBarButtonParts{3, 4, 13}));
    EXPECT_EQ(ChooseToolBarButtonParts(kBtnsDropDown, 0, 13), (ToolBarButtonParts{1, 0, 0}));

    const struct {
        uint32_t style;
        int part;
    } thumbs[] = {
        {0, 4}, {kTbsTop, 5}, {kTbsBoth, 3}, {kTbsVert, 8}, {kTbsVert | kTbsTop, 7}, {kTbsVert | kTbsBoth, 6},
    };
    for (const auto& c : thumbs)
        EXPECT_EQ(TrackBarThumbPart(c.style), c.part) << c.style;
    EXPECT_EQ(TrackBarThumbState(false, true, true, true), 5);
    EXPECT_EQ(TrackBarThumbState(true, true, true, true), 3);
    EXPECT_EQ(TrackBarThumbState(true, false, true, true), 4);
    EXPECT_EQ(TrackBarThumbState(true, false, false, true), 2);
    EXPECT_EQ(TrackBarThumbState(true, false, false, false), 1);
}

TEST(TrackBarLayoutTest, ThumbSizeBandAndValuePixels) {
    using namespace plym;
    const TrackBarMetrics m{17, 2, 2};
    const struct {
        uint32_t style;
        Rect client;
        int fixedLength;
        TrackBarLayout expected;
    } cases[] = {
        // h = 4 * 17 / 3 = 22, w = 11.
        {0, {0, 0, 200, 30}, 0, {13, 2, 187, 24, 11, 22, 174, 0}},
        // Too low for 22: h = 18 - 3 * 2 = 12, w = 7.
        {0, {0, 0, 200, 18}, 0, {9, 2, 191, 14, 7, 12, 182, 0}},
        // Selection range: 12 * 3 / 4 = 9, then the rule twice: 9 -> 10 -> 11, w 5.
        {kTbsEnableSelRange, {0, 0, 200, 18}, 0, {7, 2, 193, 13, 5, 11, 186, kTbsEnableSelRange}},
        // Fixed length 20 with a selection range: w = 9 * 20 / 20 | 1; ticks on top move the band 8 down.
        {kTbsFixedLength | kTbsEnableSelRange | kTbsTop,
         {0, 0, 200, 40},
         20,
         {11, 10, 189, 30, 9, 20, 178, kTbsFixedLength | kTbsEnableSelRange | kTbsTop}},
        // No ticks: no room made for them on top.
        {kTbsBoth | kTbsNoTicks, {0, 0, 200, 30}, 0, {13, 2, 187, 24, 11, 22, 174, kTbsBoth | kTbsNoTicks}},
        // A fixed length below two edges is raised to them; a track never shorter than 1.
        {kTbsFixedLength, {0, 0, 6, 30}, 1, {5, 2, 1, 6, 3, 4, 1, kTbsFixedLength}},
        // Vertical: laid out turned.
        {kTbsVert, TurnRect({0, 0, 30, 200}), 0, {13, 2, 187, 24, 11, 22, 174, kTbsVert}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LayOutTrackBar(c.style, c.client, c.fixedLength, m), c.expected) << c.style;

    const TrackBarLayout layout = LayOutTrackBar(0, {0, 0, 200, 30}, 0, m);
    EXPECT_EQ(TrackBarValuePixel(layout, 0, 0, 100), 13);
    EXPECT_EQ(TrackBarValuePixel(layout, 50, 0, 100), 100);  // 13 + MulDiv(50, 173, 100) = 13 + 87
    EXPECT_EQ(TrackBarValuePixel(layout, 100, 0, 100), 186);
    EXPECT_EQ(TrackBarValuePixel(layout, 7, 7, 7), 13);
    EXPECT_EQ(TurnRect({1, 2, 3, 4}), (Rect{2, 1, 4, 3}));
}

std::vector<plym::TickLine> Sorted(std::vector<plym::TickLine> lines) {
    std::sort(lines.begin(), lines.end(), [](const plym::TickLine& a, const plym::TickLine& b) {
        return std::tie(a.along, a.acrossFrom, a.acrossTo) < std::tie(b.along, b.acrossFrom, b.acrossTo);
    });
    return lines;
}

TEST(TrackBarLayoutTest, TicksEveryFrequencyEntryEndTicksLongerAndSelectionTriangles) {
    using namespace plym;
    const TrackBarMetrics m{17, 2, 2};
    TrackBarTickFacts facts;
    facts.minimum = 0;
    facts.maximum = 100;
    facts.tickValues = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    facts.frequency = 3;
    const TrackBarLayout below = LayOutTrackBar(0, {0, 0, 200, 30}, 0, m);
    // Base line 25 under the band; the 3rd, 6th and 9th entries (30, 60, 90).
    EXPECT_EQ(Sorted(PlanTrackBarTicks(below, facts)),
              Sorted({{13, 25, 29}, {186, 25, 29}, {65, 25, 28}, {117, 25, 28}, {169, 25, 28}}));
    facts.frequency = 0;
    EXPECT_EQ(Sorted(PlanTrackBarTicks(below, facts)), Sorted({{13, 25, 29}, {186, 25, 29}}));

    // Both sides: the upper row grows up from the line above the band (top 10).
    const TrackBarLayout both = LayOutTrackBar(kTbsBoth, {0, 0, 200, 40}, 0, m);
    EXPECT_EQ(Sorted(PlanTrackBarTicks(both, facts)),
              Sorted({{13, 33, 37}, {186, 33, 37}, {13, 6, 10}, {186, 6, 10}}));
    const TrackBarLayout topOnly = LayOutTrackBar(kTbsTop, {0, 0, 200, 40}, 0, m);
    EXPECT_EQ(Sorted(PlanTrackBarTicks(topOnly, facts)), Sorted({{13, 6, 10}, {186, 6, 10}}));
    EXPECT_TRUE(PlanTrackBarTicks(LayOutTrackBar(kTbsNoTicks, {0, 0, 200, 40}, 0, m), facts).empty());

    // A selection from 30 to 70 on a band whose pixels are 10 + value: marks of
    // 3, 2 and 1 pixels ending on the row's third line, tapering outwards.
    TrackBarLayout sel;
    sel.bandLeft = 10;
    sel.bandRight = 111;
    sel.bandTop = 2;
    sel.bandBottom = 20;
    sel.style = kTbsEnableSelRange;
    facts.selectionStart = 30;
    facts.selectionEnd = 70;
    EXPECT_EQ(Sorted(PlanTrackBarTicks(sel, facts)), Sorted({{10, 21, 25},
                                                             {110, 21, 25},
                                                             {40, 21, 24, true},
                                                             {39, 22, 24, true},
                                                             {38, 23, 24, true},
                                                             {80, 21, 24, true},
                                                             {81, 22, 24, true},
                                                             {82, 23, 24, true}}));
    facts.selectionStart = 70;
    EXPECT_EQ(PlanTrackBarTicks(sel, facts).size(), 2u);  // start not below end: no marks
}

plym::ProgressFacts Bar(Rect fill, int low, int high, int position, int chunk = -1, int gap = -1) {
    plym::ProgressFacts facts;
    facts.fill = fill;
    facts.vertical = fill.Height() > fill.Width();
    facts.low = low;
    facts.high = high;
    facts.position = position;
    facts.chunkSize = chunk;
    facts.gapSize = gap;
    return facts;
}

std::vector<Rect> Pieces(int top, int bottom, std::vector<std::pair<int, int>> spans) {
    std::vector<Rect> rects;
    for (const auto& [from, to] : spans)
        rects.push_back({from, top, to, bottom});
    return rects;
}

TEST(ProgressLayoutTest, ChunksFromTheStartTheLastInsideTheFill) {
    using namespace plym;
    // 12 high: chunks of 8 (two thirds), gaps of 2.
    const Rect fill{0, 0, 100, 12};
    const struct {
        ProgressFacts facts;
        std::vector<Rect> expected;
    } cases[] = {
        {Bar(fill, 0, 100, 50), Pieces(0, 12, {{0, 8}, {10, 18}, {20, 28}, {30, 38}, {40, 48}})},
        {Bar(fill, 0, 100, 0), {}},
        // MulDiv(100, 1, 3) = 33: four chunks.
        {Bar(fill, 0, 3, 1), Pieces(0, 12, {{0, 8}, {10, 18}, {20, 28}, {30, 38}})},
        // Full on 95 pixels: the tenth chunk stops one pixel inside the end.
        {Bar({0, 0, 95, 12}, 0, 10, 10), Pieces(0, 12,
                                                {{0, 8},
                                                 {10, 18},
                                                 {20, 28},
                                                 {30, 38},
                                                 {40, 48},
                                                 {50, 58},
                                                 {60, 68},
                                                 {70, 78},
                                                 {80, 88},
                                                 {90, 94}})},
        // A chunk of 1 (or 0) without a gap fills one block.
        {Bar(fill, 0, 100, 50, 1, 0), Pieces(0, 12, {{0, 50}})},
        {Bar(fill, 0, 100, 50, 0, 0), Pieces(0, 12, {{0, 50}})},
        // A chunk of 0 with a gap counts as 1.
        {Bar(fill, 0, 100, 5, 0, 1), Pieces(0, 12, {{0, 1}, {2, 3}, {4, 5}})},
        // Vertical: chunks of 8 (two thirds of 12 wide) up from the bottom.
        {Bar({0, 0, 12, 100}, 0, 100, 25), {{0, 92, 12, 100}, {0, 82, 12, 90}, {0, 72, 12, 80}}},
        // A reversed range fills as far as the position goes.
        {Bar(fill, 100, 0, 50), Pieces(0, 12, {{0, 8}, {10, 18}, {20, 28}, {30, 38}, {40, 48}})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlanProgressChunks(c.facts), c.expected)
            << c.facts.low << ".." << c.facts.high << " at " << c.facts.position;
    }
}

// Ranges up to every int: the differences fit no int, the pixels do.
TEST(RangeLayoutTest, TrackBarsAndProgressBarsPlaceRangesSpanningEveryInt) {
    using namespace plym;
    const TrackBarLayout layout = LayOutTrackBar(0, {0, 0, 200, 30}, 0, {17, 2, 2});
    const struct {
        int value;
        int pixel;
    } values[] = {{INT_MIN, 13}, {-1, 99}, {0, 100}, {INT_MAX, 186}};
    for (const auto& v : values) {
        EXPECT_EQ(TrackBarValuePixel(layout, v.value, INT_MIN, INT_MAX), v.pixel) << v.value;
        EXPECT_EQ(TrackBarValuePixel(layout, v.value, INT_MAX, INT_MIN), 199 - v.pixel) << v.value;
    }

    const Rect fill{0, 0, 100, 12};
    const struct {
        int low, high, position;
        std::vector<Rect> expected;
    } bars[] = {
        {INT_MIN, INT_MAX, INT_MIN, {}},
        {INT_MIN, INT_MAX, 0, Pieces(0, 12, {{0, 50}})},
        {INT_MIN, INT_MAX, INT_MAX, Pieces(0, 12, {{0, 100}})},
        {INT_MAX, INT_MIN, INT_MIN, Pieces(0, 12, {{0, 100}})},
        {-1, INT_MAX, INT_MAX, Pieces(0, 12, {{0, 100}})},
    };
    for (const auto& b : bars)
        EXPECT_EQ(PlanProgressChunks(Bar(fill, b.low, b.high, b.position, 1, 0)), b.expected)
            << b.low << ".." << b.high << " at " << b.position;
}

TEST(ProgressLayoutTest, AnEmptyRangeDrawsAnEmptyBar) {
    // MulDiv(extent, position - low, 0) is -1; the bar stays empty.
    for (const int position : {0, 5, 100})
        EXPECT_TRUE(plym::PlanProgressChunks(Bar({0, 0, 100, 12}, 5, 5, position)).empty()) << position;
    EXPECT_TRUE(plym::PlanProgressChunks(Bar({0, 0, 100, 12}, 5, 5, 5, 1, 0)).empty());
}

TEST(ProgressLayoutTest, MarqueeChunksWrapAndStepByChunkAndGap) {
    using namespace plym;
    const ProgressFacts chunked = Bar({0, 0, 100, 12}, 0, 100, 0);
    EXPECT_EQ(PlanProgressMarquee(chunked, 75),
              Pieces(0, 12, {{75, 83}, {85, 93}, {95, 100}, {5, 13}, {15, 23}}));
    EXPECT_EQ(PlanProgressMarquee(chunked, 0),
              Pieces(0, 12, {{0, 8}, {10, 18}, {20, 28}, {30, 38}, {40, 48}}));
    const ProgressFacts solid = Bar({0, 0, 100, 12}, 0, 100, 0, 1, 0);
    EXPECT_EQ(PlanProgressMarquee(solid, 80), Pieces(0, 12, {{80, 100}, {0, 20}}));
    EXPECT_EQ(PlanProgressMarquee(solid, 10), Pieces(0, 12, {{10, 50}}));

    EXPECT_EQ(NextMarqueePosition(chunked, 40), 50);
    EXPECT_EQ(NextMarqueePosition(chunked, 95), 0);
    EXPECT_EQ(NextMarqueePosition(solid, 40), 48);
    EXPECT_EQ(NextMarqueePosition(solid, 96), 0);
    // 30 ms ticks step twice, 100 ms ticks once.
    EXPECT_EQ(MarqueeStepsPerTick(30), 2);
    EXPECT_EQ(MarqueeStepsPerTick(50), 2);
    EXPECT_EQ(MarqueeStepsPerTick(51), 1);
    EXPECT_EQ(MarqueeStepsPerTick(100), 1);
}

TEST(SpinLayoutTest, HalvesPiecesAndStates) {
    using namespace plym;
    const Rect vertical{0, 0, 16, 20};
    EXPECT_EQ(SpinHalfAt(false, vertical, {5, 5}), kSpinIncrease);
    EXPECT_EQ(SpinHalfAt(false, vertical, {5, 15}), kSpinDecrease);
    EXPECT_EQ(SpinHalfAt(false, vertical, {5, 10}), kSpinNone);
    EXPECT_EQ(SpinHalfAt(false, vertical, {5, 20}), kSpinNone);
    EXPECT_EQ(SpinHalfAt(false, vertical, {-1, 5}), kSpinNone);
    const Rect horizontal{0, 0, 21, 10};
    EXPECT_EQ(SpinHalfAt(true, horizontal, {9, 5}), kSpinDecrease);
    EXPECT_EQ(SpinHalfAt(true, horizontal, {11, 5}), kSpinIncrease);
    EXPECT_EQ(SpinHalfAt(true, horizontal, {10, 5}), kSpinNone);

    const struct {
        int half;
        bool enabled;
        int pressed, hot;
        int expected;
    } states[] = {
        {kSpinIncrease, false, kSpinNone, kSpinNone, 4},
        {kSpinIncrease, true, kSpinNone, kSpinNone, 1},
        {kSpinIncrease, true, kSpinNone, kSpinIncrease, 2},
        {kSpinIncrease, true, kSpinIncrease, kSpinIncrease, 3},
        {kSpinIncrease, true, kSpinIncrease, kSpinNone, 2},  // dragged off: hot, not pressed
        {kSpinIncrease, true, kSpinIncrease, kSpinDecrease, 2},
        {kSpinDecrease, true, kSpinIncrease, kSpinDecrease, 1},  // over while the other is pressed
        {kSpinDecrease, true, kSpinIncrease, kSpinNone, 1},
    };
    for (const auto& c : states)
        EXPECT_EQ(SpinHalfState(c.half, c.enabled, c.pressed, c.hot), c.expected)
            << c.half << " pressed " << c.pressed << " hot " << c.hot;

    SpinPiece first, second;
    PlanSpinPieces({0, 0, 16, 21}, false, &first, &second);
    EXPECT_EQ(first, (SpinPiece{1, kSpinIncrease, {0, 0, 16, 10}}));
    EXPECT_EQ(second, (SpinPiece{2, kSpinDecrease, {0, 11, 16, 21}}));  // row 10 belongs to neither
    PlanSpinPieces({0, 0, 20, 10}, true, &first, &second);
    EXPECT_EQ(first, (SpinPiece{4, kSpinDecrease, {0, 0, 10, 10}}));
    EXPECT_EQ(second, (SpinPiece{3, kSpinIncrease, {10, 0, 20, 10}}));

    EXPECT_EQ(SpinButtonArea(vertical, kUdsAlignRight, true), (Rect{0, 1, 15, 19}));
    EXPECT_EQ(SpinButtonArea(vertical, kUdsAlignLeft, true), (Rect{1, 1, 16, 19}));
    EXPECT_EQ(SpinButtonArea(vertical, kUdsAlignRight, false), vertical);
    EXPECT_EQ(SpinButtonArea(vertical, 0, true), vertical);
}

}  // namespace
