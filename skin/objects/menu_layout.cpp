// skin/objects/menu_layout.cpp
#include "skin/objects/menu_layout.h"

#include <algorithm>
#include <cctype>

namespace plym {

int MenuBarItemWidth(MenuBarItemKind kind, int textWidth, int averageCharWidth, int rowHeight) {
    switch (kind) {
        case MenuBarItemKind::kMdiIcon:
            return 20;
        case MenuBarItemKind::kSeparator:
            return 6;
        case MenuBarItemKind::kMdiButton:
            return rowHeight;
        case MenuBarItemKind::kText:
            break;
    }
    return textWidth + 2 * averageCharWidth + 2;
}

int LayoutMenuBar(const std::vector<MenuBarItemInput>& items,
                  const Rect& bar,
                  int rowHeight,
                  std::vector<Rect>* rects) {
    rects->assign(items.size(), Rect{});
    int x = bar.left;
    int top = bar.top;
    for (size_t i = 0; i < items.size(); ++i) {
        const int width = std::max(items[i].width, 0);
        if (x > bar.left && x + width > bar.right) {
            x = bar.left;
            top += rowHeight;
        }
        (*rects)[i] = {x, top, x + width, top + rowHeight};
        x += width;
    }
    int right = bar.right;
    for (size_t i = items.size(); i-- > 0;) {
        Rect& r = (*rects)[i];
        if (r.top != top || !(items[i].rightJustify || items[i].mdiButton))
            break;
        const int width = r.Width();
        r.right = right;
        r.left = right - width;
        right = r.left;
    }
    return top + rowHeight + 1;
}

Size PopupTextItemSize(int labelWidth, int acceleratorWidth, int textHeight, bool themed) {
    const int minimum = themed ? 22 : 17;
    return {labelWidth + acceleratorWidth + (themed ? 88 : 61), std::max(textHeight, minimum)};
}

int PopupSeparatorHeight(bool themed) {
    return themed ? 6 : 9;
}

Size PopupOwnerDrawItemSize(int measuredWidth, int measuredHeight) {
    return {measuredWidth + 12, measuredHeight};
}

Size LayoutPopup(const std::vector<PopupItemInput>& items, std::vector<Rect>* rects) {
    rects->assign(items.size(), Rect{});
    int left = 3;
    int top = 3;
    int tallest = 3;
    size_t columnStart = 0;
    int columnWidth = 0;
    const auto closeColumn = [&](size_t end) {
        for (size_t k = columnStart; k < end; ++k)
            (*rects)[k].right = (*rects)[k].left + columnWidth;
    };
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].newColumn && i > columnStart) {
            closeColumn(i);
            left += columnWidth + 4;
            top = 3;
            columnStart = i;
            columnWidth = 0;
        }
        const Size s = items[i].size;
        (*rects)[i] = {left, top, left + s.cx, top + s.cy};
        top += s.cy;
        tallest = std::max(tallest, top);
        columnWidth = std::max(columnWidth, s.cx);
    }
    closeColumn(items.size());
    return {left + columnWidth + 3, tallest + 3};
}

PopupPlacement PlaceTrackedPopup(int x,
                                 int y,
                                 Size size,
                                 uint32_t flags,
                                 bool ownerRightToLeft,
                                 const Rect& work) {
    PopupPlacement placement;
    const bool centre = (flags & kTpmCenterAlign) != 0;
    bool right = (flags & kTpmRightAlign) != 0;
    if (ownerRightToLeft && !centre)
        right = !right;
    int left = x;
    if (right) {
        left = x - size.cx;
        placement.dropLeft = true;
    } else if (centre) {
        left = x - size.cx / 2;
    }
    const bool vcentre = (flags & kTpmVCenterAlign) != 0;
    int top = y;
    if (flags & kTpmBottomAlign)
        top = y - size.cy;
    else if (vcentre)
        top = y - size.cy / 2;

    if (left + size.cx > work.right) {
        left = !centre && x - size.cx >= work.left ? x - size.cx : work.right - size.cx;
        placement.dropLeft = true;
    }
    if (left < work.left)
        left = x + size.cx <= work.right && !centre ? x : work.left;
    if (top + size.cy > work.bottom)
        top = !vcentre && y - size.cy >= work.top ? y - size.cy : work.bottom - size.cy;
    if (top < work.top)
        top = !vcentre && y + size.cy <= work.bottom ? y : work.top;
    placement.origin = {left, top};
    return placement;
}

PopupPlacement PlaceSubmenu(const Rect& item,
                            Size size,
                            bool fromBar,
                            bool parentDropsLeft,
                            bool ownerRightToLeft,
                            bool ownerMinimized,
                            int menuRowHeight,
                            const Rect& monitor) {
    PopupPlacement placement;
    int x = 0;
    int y = 0;
    if (fromBar) {
        x = item.left;
        if (ownerRightToLeft) {
            x = item.right - size.cx;
            placement.dropLeft = true;
        }
        y = item.bottom;
        if (ownerMinimized && item.top - size.cy >= monitor.top)
            y = item.top - size.cy;
    } else {
        x = item.right - 3;
        y = item.top - 3;
        if (parentDropsLeft || x + size.cx > monitor.right) {
            x = item.left - size.cx + 3;
            placement.dropLeft = true;
        }
    }
    if (y + size.cy > monitor.bottom)
        y = fromBar ? item.bottom - menuRowHeight - size.cy : item.bottom - size.cy;
    x = std::max(std::min(x, monitor.right - size.cx), monitor.left);
    y = std::max(std::min(y, monitor.bottom - size.cy), monitor.top);
    // Still over the parent item: beside it if there is room.
    const Rect inner{x + 3, y + 3, x + size.cx - 3, y + size.cy - 3};
    const bool covers = inner.left < item.right && item.left < inner.right && inner.top < item.bottom &&
                        item.top < inner.bottom;
    if (covers) {
        if (item.right + size.cx <= monitor.right)
            x = item.right;
        else if (item.left - size.cx >= monitor.left)
            x = item.left - size.cx;
    }
    placement.origin = {x, y};
    return placement;
}

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// The character after the text's mnemonic '&', 0 when it has none.
char MnemonicOf(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text[i + 1];
    }
    return 0;
}

}  // namespace

MenuKeyResult FindItemByKey(const std::vector<MenuKeyItem>& items, char c, int start) {
    MenuKeyResult result;
    const int n = static_cast<int>(items.size());
    if (n == 0)
        return result;
    const char key = Upper(c);
    const int first = start < 0 || start >= n ? 0 : start + 1;
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<int> matches;
        for (int k = 0; k < n; ++k) {
            const int i = (first + k) % n;
            const MenuKeyItem& item = items[static_cast<size_t>(i)];
            if (item.skipped || item.text.empty())
                continue;
            const char candidate = pass == 0 ? MnemonicOf(item.text) : item.text[0];
            if (candidate && Upper(candidate) == key)
                matches.push_back(i);
        }
        if (matches.empty())
            continue;
        std::vector<int> enabled;
        for (int i : matches) {
            if (items[static_cast<size_t>(i)].enabled)
                enabled.push_back(i);
        }
        if (enabled.empty()) {
            result.kind = MenuKeyResult::kOnlyDisabled;
            return result;
        }
        result.kind = enabled.size() == 1 ? MenuKeyResult::kExecute : MenuKeyResult::kSelect;
        result.index = enabled.front();
        return result;
    }
    return result;
}

}  // namespace plym
