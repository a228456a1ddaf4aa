// tests/skin/menu_layout_test.cpp
//
// Skinned menus' arithmetic without a window: the menu bar's rows, wrapping
// and right-hugging items, a popup's columns and size, where a tracked popup
// and a submenu open, and the mnemonic search.
#include <gtest/gtest.h>

#include <vector>

#include "skin/objects/menu_layout.h"

namespace {

using plym::Rect;

TEST(MenuBarLayout, WrapsAndHugsTheRightEdgeOfTheLastRowOnly) {
    EXPECT_EQ(plym::MenuBarItemWidth(plym::MenuBarItemKind::kText, 30, 6, 19), 30 + 12 + 2);
    EXPECT_EQ(plym::MenuBarItemWidth(plym::MenuBarItemKind::kSeparator, 30, 6, 19), 6);
    EXPECT_EQ(plym::MenuBarItemWidth(plym::MenuBarItemKind::kMdiIcon, 30, 6, 19), 20);
    EXPECT_EQ(plym::MenuBarItemWidth(plym::MenuBarItemKind::kMdiButton, 30, 6, 19), 19);

    const Rect bar{4, 30, 204, 30};
    const struct {
        std::vector<plym::MenuBarItemInput> items;
        std::vector<Rect> rects;
        int bottom;
    } cases[] = {
        // one row: bottom = top + h + 1
        {{{50}, {50}}, {{4, 30, 54, 49}, {54, 30, 104, 49}}, 50},
        // the third item passes the edge and wraps; the right-justified one
        // after it hugs the right edge of the second row
        {{{70}, {70}, {70}, {30, true}},
         {{4, 30, 74, 49}, {74, 30, 144, 49}, {4, 49, 74, 68}, {174, 49, 204, 68}},
         69},
        // right-justified on the first row, which is not the last: it stays
        {{{30, true}, {150}, {70}}, {{4, 30, 34, 49}, {34, 30, 184, 49}, {4, 49, 74, 68}}, 69},
        // MDI buttons pack right, each left of the one after it
        {{{20}, {60}, {19, false, true}, {19, false, true}, {19, false, true}},
         {{4, 30, 24, 49}, {24, 30, 84, 49}, {147, 30, 166, 49}, {166, 30, 185, 49}, {185, 30, 204, 49}},
         50},
        // an item wider than the bar stays on its own row
        {{{300}, {20}}, {{4, 30, 304, 49}, {4, 49, 24, 68}}, 69},
    };
    for (const auto& c : cases) {
        std::vector<Rect> rects;
        EXPECT_EQ(plym::LayoutMenuBar(c.items, bar, 19, &rects), c.bottom);
        EXPECT_EQ(rects, c.rects);
    }
}

TEST(PopupLayout, ItemSizesColumnsAndSize) {
    EXPECT_EQ(plym::PopupTextItemSize(40, 20, 13, true), (plym::Size{148, 22}));
    EXPECT_EQ(plym::PopupTextItemSize(40, 20, 13, false), (plym::Size{121, 17}));
    EXPECT_EQ(plym::PopupTextItemSize(40, 0, 30, false), (plym::Size{101, 30}));
    EXPECT_EQ(plym::PopupSeparatorHeight(true), 6);
    EXPECT_EQ(plym::PopupSeparatorHeight(false), 9);
    EXPECT_EQ(plym::PopupOwnerDrawItemSize(50, 20), (plym::Size{62, 20}));

    std::vector<Rect> rects;
    const plym::Size size =
        plym::LayoutPopup({{{100, 22}}, {{80, 6}}, {{120, 22}}, {{50, 22}, true}, {{40, 17}}}, &rects);
    EXPECT_EQ(
        rects,
        (std::vector<Rect>{
            {3, 3, 123, 25}, {3, 25, 123, 31}, {3, 31, 123, 53}, {127, 3, 177, 25}, {127, 25, 177, 42}}));
    EXPECT_EQ(size, (plym::Size{180, 56}));
}

TEST(PopupPlacement, FlipsOrClampsIntoTheWorkArea) {
    const Rect work{0, 0, 800, 600};
    const plym::Size size{100, 200};
    const struct {
        int x, y;
        uint32_t flags;
        bool rtl;
        int left, top;
        bool dropLeft;
    } cases[] = {
        {10, 10, 0, false, 10, 10, false},
        {300, 10, plym::kTpmRightAlign, false, 200, 10, true},
        {300, 10, 0, true, 200, 10, true},  // a right-to-left owner flips the alignment
        {300, 10, plym::kTpmRightAlign, true, 300, 10, false},
        {750, 10, 0, false, 650, 10, true},                        // flipped to end at x
        {790, 10, plym::kTpmCenterAlign, false, 700, 10, true},    // centred: clamped
        {10, 500, 0, false, 10, 300, false},                       // flipped above
        {10, 100, plym::kTpmBottomAlign, false, 10, 100, false},   // above the top: flipped below
        {10, 590, plym::kTpmVCenterAlign, false, 10, 400, false},  // centred: clamped
        {50, 10, plym::kTpmRightAlign, false, 50, 10, true},       // left of the area: starts at x
    };
    for (const auto& c : cases) {
        const plym::PopupPlacement p = plym::PlaceTrackedPopup(c.x, c.y, size, c.flags, c.rtl, work);
        EXPECT_EQ(p.origin, (plym::Point{c.left, c.top})) << c.x << "," << c.y << " " << c.flags;
        EXPECT_EQ(p.dropLeft, c.dropLeft) << c.x << "," << c.y << " " << c.flags;
    }

    const Rect monitor{0, 0, 800, 600};
    const plym::Size sub{100, 150};
    const struct {
        Rect item;
        bool fromBar, parentLeft;
        int left, top;
        bool dropLeft;
    } subs[] = {
        {{200, 50, 300, 70}, false, false, 297, 47, false},
        {{200, 50, 300, 70}, false, true, 103, 47, true},   // the parent drops left
        {{700, 50, 800, 70}, false, false, 603, 47, true},  // no room on the right
        {{200, 500, 300, 520}, false, false, 297, 370, false},
        {{10, 30, 60, 49}, true, false, 10, 49, false},
        {{10, 580, 60, 599}, true, false, 10, 430, false},  // above the bar
    };
    for (const auto& s : subs) {
        const plym::PopupPlacement p =
            plym::PlaceSubmenu(s.item, sub, s.fromBar, s.parentLeft, false, false, 19, monitor);
        EXPECT_EQ(p.origin, (plym::Point{s.left, s.top})) << s.item.left << "," << s.item.top;
        EXPECT_EQ(p.dropLeft, s.dropLeft) << s.item.left << "," << s.item.top;
    }
}

TEST(MenuMnemonics, MnemonicFirstThenFirstLetterAndSharedKeysOnlySelect) {
    const std::vector<plym::MenuKeyItem> items = {
        {"&Open"}, {"-", true, true},    {"&Options"},       {"&Save\tCtrl+S"},
        {"Exit"},  {"&Disabled", false}, {"Fish && &Chips"}, {"&&Literal"},
    };
    using Kind = plym::MenuKeyResult::Kind;
    const struct {
        char key;
        int start;
        Kind kind;
        int index;
    } cases[] = {
        {'o', -1, Kind::kSelect, 0},  // two items share it: only the selection moves
        {'O', 0, Kind::kSelect, 2},   // the next one after the selection
        {'o', 2, Kind::kSelect, 0},   // wrapping round
        {'s', -1, Kind::kExecute, 3},       {'e', -1, Kind::kExecute, 4},  // no mnemonic: the first letter
        {'d', -1, Kind::kOnlyDisabled, -1}, {'c', -1, Kind::kExecute, 6},
        {'l', -1, Kind::kNoMatch, -1},  // "&&" is a literal ampersand
        {'z', -1, Kind::kNoMatch, -1},
    };
    for (const auto& c : cases) {
        const plym::MenuKeyResult r = plym::FindItemByKey(items, c.key, c.start);
        EXPECT_EQ(r.kind, c.kind) << c.key << " " << c.start;
        EXPECT_EQ(r.index, c.index) << c.key << " " << c.start;
    }
}

}  // namespace
