// controls/my_menu.cpp
#include "controls/my_menu.h"

#include "controls/control_bitmaps.h"
#include "controls/draw_helpers.h"
#include "controls/paint_layout.h"

namespace {

constexpr COLORREF kItemBack = RGB(0x52, 0x52, 0x52);
constexpr int kStripWidth = 18;

}  // namespace

CMyMenu::CMyMenu(int itemWidth, int itemHeight)
    : m_side(controls::LoadResourceBitmap(IDB_MENU_SIDE)),
      m_check(controls::LoadResourceBitmap(IDB_MENU_CHECK)),
      m_itemWidth(itemWidth),
      m_itemHeight(itemHeight) {}

CMyMenu::~CMyMenu() {
    DestroyMenu();
    if (m_side)
        ::DeleteObject(m_side);
    if (m_check)
        ::DeleteObject(m_check);
}

BOOL CMyMenu::CreatePopupMenu() {
    DestroyMenu();
    m_hMenu = ::CreatePopupMenu();
    return m_hMenu != nullptr;
}

BOOL CMyMenu::DestroyMenu() {
    if (!m_hMenu)
        return FALSE;
    const BOOL ok = ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    return ok;
}

BOOL CMyMenu::AppendItem(UINT flags, UINT_PTR id, MyMenuItem* item) {
    return ::AppendMenuA(m_hMenu, flags | MF_OWNERDRAW, id, reinterpret_cast<LPCSTR>(item));
}

BOOL CMyMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner) {
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->GetSafeHwnd() : nullptr, nullptr);
}

void CMyMenu::MeasureItem(LPMEASUREITEMSTRUCT measure) {
    const auto* item = reinterpret_cast<const MyMenuItem*>(measure->itemData);
    const controls::PaintSize size =
        controls::MenuItemSize(item ? item->type : controls::kMenuText, m_itemWidth, m_itemHeight);
    measure->itemWidth = static_cast<UINT>(size.width);
    measure->itemHeight = static_cast<UINT>(size.height);
}

void CMyMenu::DrawItem(LPDRAWITEMSTRUCT draw) {
    const auto* item = reinterpret_cast<const MyMenuItem*>(draw->itemData);
    if (!item || item->type == controls::kMenuHidden1 || item->type == controls::kMenuHidden2)
        return;
    const RECT& r = draw->rcItem;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return;

    CDC* target = CDC::FromHandle(draw->hDC);
    CBitmap canvas;
    if (!canvas.CreateCompatibleBitmap(target, width, height))
        return;
    CBitmapDC memory(*target, canvas);
    if (!memory.IsReady())
        return;
    const RECT whole = {0, 0, width, height};
    memory.FillSolidRect(&whole, kItemBack);
    controls::DrawBitmap(memory, m_side, 0, 0);
    if (draw->itemState & ODS_CHECKED)
        controls::StretchBitmap(memory, m_check, 2, 2, 14, 14, 0, 0, 14, 14);

    CFont font;
    controls::CreateArialFont(font, 14, FW_NORMAL);
    const CGdiSelection selectedFont(memory, font);
    memory.SetTextColor(RGB(255, 255, 255));
    CRect text(kStripWidth, 0, width, height);
    memory.FillSolidRect(&text, kItemBack);
    text.left += 1;
    text.top += 1;
    text.right -= 1;
    text.bottom -= 1;

    if (item->type == controls::kMenuSeparator) {
        const CPen pen(PS_SOLID, 1, RGB(0xC5, 0xC2, 0xB8));
        const CGdiSelection selectedPen(memory, pen);
        const int middle = (text.top + text.bottom) / 2;
        memory.MoveTo(text.left, middle);
        memory.LineTo(text.right, middle);
    } else {
        const bool grayed = (draw->itemState & ODS_GRAYED) != 0;
        if ((draw->itemState & ODS_SELECTED) && !grayed) {
            const CPen pen(PS_SOLID, 1, RGB(0x31, 0x6A, 0xC5));
            const CBrush brush(RGB(0xBD, 0xCB, 0xE7));
            const CGdiSelection selectedPen(memory, pen);
            const CGdiSelection selectedBrush(memory, brush);
            memory.Rectangle(&text);
            memory.SetTextColor(RGB(0, 0, 0));
        } else if (grayed) {
            memory.SetTextColor(RGB(0xC0, 0xC0, 0xC0));
        }
        memory.SetBkMode(TRANSPARENT);
        CRect label = text;
        label.left += 12;
        memory.DrawText(item->text, &label, DT_VCENTER | DT_SINGLELINE);
    }
    target->BitBlt(r.left, r.top, width, height, &memory, 0, 0, SRCCOPY);
}
