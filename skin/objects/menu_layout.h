// skin/objects/menu_layout.h
//
// The arithmetic of skinned menus that needs no window: the menu bar's items
// placed in rows under the caption (wrapping, right-justified items and MDI
// buttons packed to the right of the last row), a popup's items in columns
// and its size, where a tracked popup and a submenu open on the screen, and
// the mnemonic search of a menu's item texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin/core/plym_types.h"

namespace plym {

// TrackPopupMenu alignment flags.
inline constexpr uint32_t kTpmCenterAlign = 0x0004;
inline constexpr uint32_t kTpmRightAlign = 0x0008;
inline constexpr uint32_t kTpmVCenterAlign = 0x0010;
inline constexpr uint32_t kTpmBottomAlign = 0x0020;

// ---- the menu bar ----------------------------------------------------------------------

enum class MenuBarItemKind { kText, kSeparator, kMdiIcon, kMdiButton };

// The width of a bar item: MDI icon 20, separator 6, MDI button h, text its
// width (ampersands removed) + 2 average character widths + 2.
int MenuBarItemWidth(MenuBarItemKind kind, int textWidth, int averageCharWidth, int rowHeight);

struct MenuBarItemInput {
    int width = 0;
    bool rightJustify = false;  // MF_RIGHTJUSTIFY
    bool mdiButton = false;
};

// Places the items in rows of height `rowHeight` from the bar's left and
// top; an item that would pass the right edge starts a new row unless it is
// the first of its row. Right-justified items and MDI buttons at the end of
// the last row hug its right edge. Returns the bar's bottom: last row top + h + 1.
int LayoutMenuBar(const std::vector<MenuBarItemInput>& items,
                  const Rect& bar,
                  int rowHeight,
                  std::vector<Rect>* rects);

// ---- popups ------------------------------------------------------------------------------

// Item sizes in a popup: the themed look (a popup border in the skin) or the plain one.
Size PopupTextItemSize(int labelWidth, int acceleratorWidth, int textHeight, bool themed);
int PopupSeparatorHeight(bool themed);
Size PopupOwnerDrawItemSize(int measuredWidth, int measuredHeight);

struct PopupItemInput {
    Size size;
    bool newColumn = false;  // MF_MENUBREAK or MF_MENUBARBREAK
};

// Lays the items out in columns from (3, 3); every item of a column takes the
// column's width; a break starts a column 4 pixels right of the previous.
// Returns the popup's size.
Size LayoutPopup(const std::vector<PopupItemInput>& items, std::vector<Rect>* rects);

struct PopupPlacement {
    Point origin;
    bool dropLeft = false;
};

// A popup tracked at (x, y) with TPM_ flags, held inside the work area.
PopupPlacement PlaceTrackedPopup(int x,
                                 int y,
                                 Size size,
                                 uint32_t flags,
                                 bool ownerRightToLeft,
                                 const Rect& work);

// A submenu of a bar item (`fromBar`) or beside a popup item; `item` in screen
// coordinates, `monitor` the monitor's rectangle, `menuRowHeight` SM_CYMENUSIZE.
PopupPlacement PlaceSubmenu(const Rect& item,
                            Size size,
                            bool fromBar,
                            bool parentDropsLeft,
                            bool ownerRightToLeft,
                            bool ownerMinimized,
                            int menuRowHeight,
                            const Rect& monitor);

// ---- mnemonics ---------------------------------------------------------------------------

struct MenuKeyItem {
    std::string text;
    bool enabled = true;
    bool skipped = false;  // separators and a bar's MDI buttons
};

struct MenuKeyResult {
    enum Kind { kNoMatch, kOnlyDisabled, kExecute, kSelect } kind = kNoMatch;
    int index = -1;  // the item to execute or select
};

// Searches after `start` (-1: from the first item), wrapping once: an
// "&c" mnemonic first (compared in upper case), else a text starting with c.
// One enabled match is executed, several are only selected in turn.
MenuKeyResult FindItemByKey(const std::vector<MenuKeyItem>& items, char c, int start);

}  // namespace plym
