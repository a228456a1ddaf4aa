// skin/objects/skin_popup_menu.cpp
#include "skin/objects/skin_popup_menu.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "skin/core/draw_helpers.h"
#include "skin/core/monitor_helper.h"
#include "skin/core/schema_names.h"
#include "skin/core/skin_class.h"
#include "skin/core/skin_manager.h"
#include "skin/core/skin_metrics.h"
#include "skin/core/skin_schema.h"
#include "skin/core/sound_player.h"
#include "skin/core/win_types.h"
#include "skin/objects/menu_layout.h"
#include "skin/objects/skin_object.h"

namespace {

constexpr UINT kSystemMenuFlag = 0x200;

// MENU parts.
constexpr int kPopupBackground = 9;
constexpr int kPopupBorders = 10;
constexpr int kPopupCheck = 11;
constexpr int kPopupCheckBackground = 12;
constexpr int kPopupGutter = 13;
constexpr int kPopupItem = 14;
constexpr int kPopupSeparator = 15;
constexpr int kPopupSubmenu = 16;
constexpr int kSystemClose = 17;
constexpr int kSystemMaximize = 18;
constexpr int kSystemMinimize = 19;
constexpr int kSystemRestore = 20;
constexpr int kBorderSize = 2403;
constexpr int kGutterWidth = 28;

HBITMAP const kBitmapSystem = HBMMENU_SYSTEM;

bool IsPress(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_NCLBUTTONDOWN ||
           message == WM_NCRBUTTONDOWN;
}

// The label and the accelerator of an item's text (split at its first tab).
void SplitText(const std::string& text, std::string* label, std::string* accelerator) {
    const size_t tab = text.find('\t');
    *label = text.substr(0, tab);
    *accelerator = tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

// An item bitmap of the item's own: none of the system's HBMMENU_ values
// (the owner's callback among them).
bool IsOwnBitmap(HBITMAP bitmap) {
    return bitmap != HBMMENU_CALLBACK &&
           reinterpret_cast<uintptr_t>(bitmap) > reinterpret_cast<uintptr_t>(HBMMENU_POPUP_MINIMIZE) &&
           ::GetObjectType(bitmap) == OBJ_BITMAP;
}

// The plain look's check mark, a tick or for a radio item a bullet, centred in `square`.
void DrawPlainCheck(HDC dc, const RECT& square, bool bullet, COLORREF color) {
    const int x = (square.left + square.right) / 2 - 3;
    const int y = (square.top + square.bottom) / 2 - 3;
    if (bullet) {
        HBRUSH brush = ::CreateSolidBrush(color);
        HPEN pen = ::CreatePen(PS_SOLID, 1, color);
        HGDIOBJ oldBrush = ::SelectObject(dc, brush);
        HGDIOBJ oldPen = ::SelectObject(dc, pen);
        ::Ellipse(dc, x, y, x + 7, y + 7);
        ::SelectObject(dc, oldPen);
        ::SelectObject(dc, oldBrush);
        ::DeleteObject(pen);
        ::DeleteObject(brush);
        return;
    }
    // Seven columns three pixels high, down to the tick's foot and up again.
    static constexpr int kDrop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i)
        PlymFillSolidRect(dc, x + i, y + kDrop[i], 1, 3, color);
}

// An item's bitmap copied in, centred in `square` and cut to it; the
// rectangle it covers (empty when it cannot be drawn).
RECT CopyItemBitmap(HDC dc, HBITMAP bitmap, const RECT& square) {
    BITMAP info{};
    if (!::GetObjectA(bitmap, sizeof info, &info))
        return RECT{};
    const int width = std::min<int>(info.bmWidth, square.right - square.left);
    const int height = std::min<int>(info.bmHeight, square.bottom - square.top);
    const RECT drawn{square.left + (square.right - square.left - width) / 2,
                     square.top + (square.bottom - square.top - height) / 2, 0, 0};
    HDC source = ::CreateCompatibleDC(dc);
    if (!source)
        return RECT{};
    HGDIOBJ old = ::SelectObject(source, bitmap);
    const BOOL copied = old && ::BitBlt(dc, drawn.left, drawn.top, width, height, source, 0, 0, SRCCOPY);
    if (old)
        ::SelectObject(source, old);
    ::DeleteDC(source);
    return copied ? RECT{drawn.left, drawn.top, drawn.left + width, drawn.top + height} : RECT{};
}

SIZE TextSize(HDC dc, const std::string& text) {
    RECT r{0, 0, 0, 0};
    if (text.empty())
        return {0, 0};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

// ---- items ---------------------------------------------------------------------------------

BOOL CPlymSkinPopupMenuItem::Read(UINT mask, MENUITEMINFOA* info, char* text, UINT size) const {
    std::memset(info, 0, sizeof *info);
    info->cbSize = sizeof *info;
    info->fMask = mask;
    info->dwTypeData = text;
    info->cch = size;
    if (IsSystemMenuBarItem())
        return FALSE;
    return m_menu && ::GetMenuItemInfoA(m_menu, static_cast<UINT>(m_index), TRUE, info);
}

UINT CPlymSkinPopupMenuItem::GetState() const {
    MENUITEMINFOA info;
    return Read(MIIM_STATE, &info) ? info.fState : 0;
}

UINT CPlymSkinPopupMenuItem::GetId() const {
    MENUITEMINFOA info;
    return Read(MIIM_ID, &info) ? info.wID : 0;
}

UINT CPlymSkinPopupMenuItem::GetType() const {
    MENUITEMINFOA info;
    return Read(MIIM_FTYPE, &info) ? info.fType : 0;
}

HMENU CPlymSkinPopupMenuItem::GetSubMenu() const {
    if (IsSystemMenuBarItem())
        return m_menu;
    return m_menu ? ::GetSubMenu(m_menu, m_index) : nullptr;
}

ULONG_PTR CPlymSkinPopupMenuItem::GetItemData() const {
    MENUITEMINFOA info;
    return Read(MIIM_DATA, &info) ? info.dwItemData : 0;
}

HBITMAP CPlymSkinPopupMenuItem::GetBitmap() const {
    MENUITEMINFOA info;
    return Read(MIIM_BITMAP, &info) ? info.hbmpItem : nullptr;
}

std::string CPlymSkinPopupMenuItem::GetText() const {
    char text[257] = {};
    const int length = m_menu && !IsSystemMenuBarItem()
                           ? ::GetMenuStringA(m_menu, static_cast<UINT>(m_index), text, 257, MF_BYPOSITION)
                           : 0;
    return std::string(text, static_cast<size_t>(std::clamp(length, 0, 256)));
}

BOOL CPlymSkinPopupMenuItem::IsMdiButton() const {
    if (!m_popup || !m_popup->m_menuBar || GetSubMenu())
        return FALSE;
    const UINT id = GetId();
    return (id == SC_CLOSE || id == SC_RESTORE || id == SC_MINIMIZE) && (GetType() & MFT_BITMAP);
}

BOOL CPlymSkinPopupMenuItem::IsMdiIcon() const {
    return m_popup && m_popup->m_menuBar && GetBitmap() == kBitmapSystem;
}

BOOL CPlymSkinPopupMenuItem::IsSystemMenuBarItem() const {
    return m_popup && m_popup->m_menuBar && m_popup->m_systemMenu;
}

// ---- a popup ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPlymSkinPopupMenu, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

CPlymSkinPopupMenu::CPlymSkinPopupMenu(HMENU menu, HWND owner, BOOL menuBar)
    : m_menuBar(menuBar), m_owner(owner) {
    SetMenu(menu);
}

CPlymSkinPopupMenu::~CPlymSkinPopupMenu() {
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
}

void CPlymSkinPopupMenu::SetMenu(HMENU menu) {
    m_menu = menu;
    m_items.clear();
    m_selected = -1;
    m_expanded = -1;
    RefreshItems();
}

void CPlymSkinPopupMenu::RefreshItems() {
    const int count = m_menu && ::IsMenu(m_menu) ? ::GetMenuItemCount(m_menu) : 0;
    const int items = m_menuBar && m_systemMenu ? 1 : std::max(count, 0);
    if (items == GetItemCount())
        return;
    m_items.clear();
    for (int i = 0; i < items; ++i) {
        auto item = std::make_unique<CPlymSkinPopupMenuItem>();
        item->m_index = i;
        item->m_menu = m_menu;
        item->m_popup = this;
        m_items.push_back(std::move(item));
    }
}

CPlymSkinPopupMenuItem* CPlymSkinPopupMenu::GetItem(int index) const {
    return index >= 0 && index < GetItemCount() ? m_items[static_cast<size_t>(index)].get() : nullptr;
}

CPlymSkinManagerSchema* CPlymSkinPopupMenu::Schema() const {
    if (m_tracker && m_tracker->m_schema)
        return m_tracker->m_schema;
    return GetPlymSkinManager()->GetSchema();
}

BOOL CPlymSkinPopupMenu::CreateMenuWindow() {
    static const bool registered = [] {
        UINT style = CS_SAVEBITS | CS_DBLCLKS;
        BOOL shadow = FALSE;
        if (::SystemParametersInfoA(SPI_GETDROPSHADOW, 0, &shadow, 0) && shadow)
            style |= CS_DROPSHADOW;
        return PlymRegisterWindowClass(nullptr, kClassName, style, ::LoadCursor(nullptr, IDC_ARROW),
                                       nullptr) != FALSE;
    }();
    if (!registered)
        return FALSE;
    DWORD exStyle = WS_EX_TOOLWINDOW;
    if (m_owner && (::GetWindowLongPtrA(m_owner, GWL_EXSTYLE) & (WS_EX_LAYOUTRTL | WS_EX_RIGHT)))
        exStyle |= WS_EX_LAYOUTRTL;
    return CreateEx(exStyle, kClassName, "", WS_POPUP, 0, 0, 100, 100, m_owner, nullptr);
}

BOOL CPlymSkinPopupMenu::IsThemed() const {
    CPlymSkinManagerSchema* schema = Schema();
    if (!schema)
        return FALSE;
    CPlymSkinManagerClass* menuClass = schema->GetThemeClass("MENU");
    if (menuClass->GetThemeInt(kPopupBackground, 0, kBorderSize, 0) == 0)
        return FALSE;
    for (const auto& item : m_items) {
        if (item->IsOwnerDraw())
            return FALSE;
    }
    return TRUE;
}

SIZE CPlymSkinPopupMenu::Measure() {
    RefreshItems();
    const BOOL themed = IsThemed();
    CPlymSkinManagerSchema* schema = Schema();
    HDC dc = ::GetDC(m_hWnd);
    CPlymFontDC font(dc, schema ? schema->GetMetrics()->GetMenuFont() : nullptr);
    HFONT bold = nullptr;
    LOGFONTA logFont{};
    if (::GetObjectA(::GetCurrentObject(dc, OBJ_FONT), sizeof logFont, &logFont)) {
        logFont.lfWeight = FW_BOLD;
        bold = ::CreateFontIndirectA(&logFont);
    }
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    std::vector<plym::PopupItemInput> inputs;
    for (int i = 0; i < GetItemCount(); ++i) {
        const CPlymSkinPopupMenuItem* item = &ItemAt(i);
        plym::PopupItemInput input;
        const UINT type = item->GetType();
        input.newColumn = (type & (MF_MENUBREAK | MF_MENUBARBREAK)) != 0;
        if (item->IsOwnerDraw()) {
            MEASUREITEMSTRUCT measure{};
            measure.CtlType = ODT_MENU;
            measure.itemID = item->GetId();
            measure.itemData = item->GetItemData();
            measure.itemHeight = static_cast<UINT>(TextSize(dc, " ").cy);
            ::SendMessageA(m_owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
            const plym::Size s = plym::PopupOwnerDrawItemSize(static_cast<int>(measure.itemWidth),
                                                              static_cast<int>(measure.itemHeight));
            input.size = s;
        } else if (item->IsSeparator()) {
            input.size = {0, plym::PopupSeparatorHeight(themed != FALSE)};
        } else {
            std::string label;
            std::string accelerator;
            SplitText(item->GetText(), &label, &accelerator);
            HGDIOBJ old = item->IsDefault() && bold ? ::SelectObject(dc, bold) : nullptr;
            const SIZE l = TextSize(dc, label);
            const SIZE a = TextSize(dc, accelerator);
            if (old)
                ::SelectObject(dc, old);
            input.size =
                plym::PopupTextItemSize(l.cx, a.cx, std::max<int>(tm.tmHeight, l.cy), themed != FALSE);
        }
        inputs.push_back(input);
    }
    if (bold)
        ::DeleteObject(bold);
    font.RestoreFont();
    ::ReleaseDC(m_hWnd, dc);
    std::vector<plym::Rect> rects;
    const plym::Size size = plym::LayoutPopup(inputs, &rects);
    for (int i = 0; i < GetItemCount(); ++i)
        ItemAt(i).m_rect = ToWinRect(rects[static_cast<size_t>(i)]);
    return {size.cx, size.cy};
}

void CPlymSkinPopupMenu::ShowAt(POINT origin, SIZE size) {
    GetPlymSoundPlayer()->QueueSound(CPlymSoundPlayer::kMenuPopup);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, origin.x, origin.y, size.cx, size.cy,
                   SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    ::UpdateWindow(m_hWnd);
}

int CPlymSkinPopupMenu::ItemFromPoint(POINT screen) const {
    POINT p = screen;
    if (m_menuBar) {
        if (!m_owner)
            return -1;
        const CPoint w = PlymScreenToWindow(m_owner, screen);
        p = {w.x, w.y};
    } else {
        if (!m_hWnd)
            return -1;
        RECT window{};
        ::GetWindowRect(m_hWnd, &window);
        if (!::PtInRect(&window, screen))
            return -1;
        ::ScreenToClient(m_hWnd, &p);
    }
    for (int i = 0; i < GetItemCount(); ++i) {
        if (::PtInRect(&ItemAt(i).m_rect, p))
            return i;
    }
    return -1;
}

RECT CPlymSkinPopupMenu::ItemScreenRect(int index) const {
    const CPlymSkinPopupMenuItem* item = GetItem(index);
    if (!item)
        return RECT{};
    RECT r = item->m_rect;
    if (m_menuBar) {
        RECT window{};
        ::GetWindowRect(m_owner, &window);
        ::OffsetRect(&r, window.left, window.top);
    } else {
        ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

void CPlymSkinPopupMenu::Redraw() {
    if (m_menuBar) {
        if (m_owner)
            ::SendMessageA(m_owner, WM_NCPAINT, 1, 0);
        return;
    }
    if (m_hWnd) {
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        ::UpdateWindow(m_hWnd);
    }
}

void CPlymSkinPopupMenu::OnPaint() {
    PAINTSTRUCT ps{};
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    if (dc) {
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        CPlymBufferDC buffer(dc, client);
        PaintMenu(buffer.m_hDC);
    }
    ::EndPaint(m_hWnd, &ps);
}

void CPlymSkinPopupMenu::PaintMenu(HDC dc) {
    CPlymSkinManagerSchema* schema = Schema();
    if (!schema)
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const BOOL themed = IsThemed();
    const CPlymSkinManagerMetrics* metrics = schema->GetMetrics();
    if (themed) {
        CPlymSkinManagerClass* menuClass = schema->GetThemeClass("MENU");
        schema->DrawThemeBackground(dc, menuClass, kPopupBorders, 0, &client);
        RECT inner = client;
        ::InflateRect(&inner, -3, -3);
        schema->DrawThemeBackground(dc, menuClass, kPopupBackground, 0, &inner);
        const RECT gutter{inner.left, inner.top, inner.left + kGutterWidth, inner.bottom};
        schema->DrawThemeBackground(dc, menuClass, kPopupGutter, 0, &gutter);
    } else {
        PlymFillSolidRect(dc, client, metrics->ColorAt(COLOR_MENU));
        RECT edge = client;
        PlymDrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    }
    CPlymFontDC font(dc, metrics->GetMenuFont());
    ::SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < GetItemCount(); ++i)
        DrawItem(dc, i, themed);
}

void CPlymSkinPopupMenu::DrawItem(HDC dc, int index, BOOL themed) {
    CPlymSkinManagerSchema* schema = Schema();
    const CPlymSkinPopupMenuItem* item = &ItemAt(index);
    const RECT& rect = item->m_rect;
    const BOOL selected = index == m_selected;
    const UINT state = item->GetState();
    const CPlymSkinManagerMetrics* metrics = schema->GetMetrics();
    CPlymSkinManagerClass* menuClass = schema->GetThemeClass("MENU");
    if (item->IsOwnerDraw()) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = item->GetId();
        draw.itemAction = ODA_DRAWENTIRE;
        if (selected)
            draw.itemState |= ODS_SELECTED;
        if (state & MF_GRAYED)
            draw.itemState |= ODS_GRAYED;
        if (state & (MF_GRAYED | MF_DISABLED))
            draw.itemState |= ODS_DISABLED;
        if (state & MF_CHECKED)
            draw.itemState |= ODS_CHECKED;
        if (state & MFS_DEFAULT)
            draw.itemState |= ODS_DEFAULT;
        draw.hwndItem = reinterpret_cast<HWND>(m_menu);
        draw.hDC = dc;
        draw.rcItem = rect;
        draw.itemData = item->GetItemData();
        ::SendMessageA(m_owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        return;
    }
    if (item->IsSeparator()) {
        if (themed) {
            const RECT line{rect.left + kGutterWidth, rect.top, rect.right, rect.bottom};
            schema->DrawThemeBackground(dc, menuClass, kPopupSeparator, 0, &line);
        } else {
            const int y = (rect.top + rect.bottom) / 2;
            PlymFillSolidRect(dc, RECT{rect.left + 1, y - 1, rect.right - 1, y}, metrics->Shadow());
            PlymFillSolidRect(dc, RECT{rect.left + 1, y, rect.right - 1, y + 1}, metrics->Highlight());
        }
        return;
    }
    const BOOL enabled = item->IsEnabled();
    if (selected) {
        if (themed)
            schema->DrawThemeBackground(dc, menuClass, kPopupItem, 2, &rect);
        else
            PlymFillSolidRect(dc, rect, metrics->ColorAt(COLOR_HIGHLIGHT));
    }
    const RECT glyph{rect.left + 1, (rect.top + rect.bottom) / 2 - 10, rect.left + 21,
                     (rect.top + rect.bottom) / 2 + 10};
    const COLORREF textColor = metrics->ColorAt(!enabled   ? COLOR_GRAYTEXT
                                                : selected ? COLOR_HIGHLIGHTTEXT
                                                           : COLOR_MENUTEXT);
    ::SetTextColor(dc, textColor);
    HBITMAP bitmap = item->GetBitmap();
    // A bitmap of the item's own stands in the check's square; a check then
    // shows behind it (themed) or as a sunken frame around it (plain).
    const bool ownBitmap = IsOwnBitmap(bitmap);
    RECT square{};
    ::IntersectRect(&square, &glyph, &rect);
    if (state & MF_CHECKED) {
        if (themed) {
            schema->DrawThemeBackground(dc, menuClass, kPopupCheckBackground, enabled ? 2 : 1, &glyph);
            if (!ownBitmap)
                schema->DrawThemeBackground(dc, menuClass, kPopupCheck, enabled ? 1 : 2, &glyph);
        } else if (!ownBitmap) {
            DrawPlainCheck(dc, square, (item->GetType() & MFT_RADIOCHECK) != 0, textColor);
        }
    }
    if (ownBitmap) {
        RECT drawn = CopyItemBitmap(dc, bitmap, square);
        if ((state & MF_CHECKED) && !themed && !::IsRectEmpty(&drawn)) {
            ::InflateRect(&drawn, 1, 1);
            PlymDrawEdge(dc, &drawn, BDR_SUNKENOUTER, BF_RECT);
        }
    }
    const struct {
        HBITMAP bitmap;
        int part;
        const char* glyphText;
    } systemBitmaps[] = {{HBMMENU_POPUP_CLOSE, kSystemClose, "r"},
                         {HBMMENU_POPUP_RESTORE, kSystemRestore, "2"},
                         {HBMMENU_POPUP_MAXIMIZE, kSystemMaximize, "1"},
                         {HBMMENU_POPUP_MINIMIZE, kSystemMinimize, "0"}};
    for (const auto& system : systemBitmaps) {
        if (bitmap != system.bitmap)
            continue;
        if (themed) {
            schema->DrawThemeBackground(dc, menuClass, system.part, enabled ? 1 : 2, &glyph);
        } else {
            const int height = -::MulDiv(8, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
            HFONT marlett =
                ::CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, "Marlett");
            HGDIOBJ old = ::SelectObject(dc, marlett);
            RECT r = glyph;
            ::DrawTextA(dc, system.glyphText, 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            ::SelectObject(dc, old);
            ::DeleteObject(marlett);
        }
    }
    if (item->GetSubMenu()) {
        const RECT arrow{rect.right - 16, rect.top, rect.right - 4, rect.bottom};
        if (themed) {
            schema->DrawThemeBackground(dc, menuClass, kPopupSubmenu, enabled ? 1 : 2, &arrow);
        } else {
            const int y = (rect.top + rect.bottom) / 2;
            PlymDrawTriangle(dc, POINT{arrow.left + 4, y - 4}, POINT{arrow.left + 4, y + 4},
                             POINT{arrow.left + 8, y}, textColor);
        }
    }
    std::string label;
    std::string accelerator;
    SplitText(item->GetText(), &label, &accelerator);
    const int textLeft = rect.left + (themed ? kGutterWidth + 6 : 22);
    RECT labelRect{textLeft, rect.top, rect.right - 20, rect.bottom};
    ::DrawTextA(dc, label.c_str(), static_cast<int>(label.size()), &labelRect,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (!accelerator.empty()) {
        RECT acceleratorRect{textLeft, rect.top, rect.right - 20, rect.bottom};
        ::DrawTextA(dc, accelerator.c_str(), static_cast<int>(accelerator.size()), &acceleratorRect,
                    DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
}

// ---- the tracker -----------------------------------------------------------------------------

CPlymSkinMenuTracker::CPlymSkinMenuTracker(HWND owner) : m_owner(owner) {
    UINT delay = 0;
    m_showDelay = ::SystemParametersInfoA(SPI_GETMENUSHOWDELAY, 0, &delay, 0) ? delay : 400;
    CPlymSkinObject* object = GetPlymSkinManager()->FindSkinObject(owner);
    m_schema = object ? object->GetActiveSchema() : GetPlymSkinManager()->GetSchema();
}

CPlymSkinMenuTracker::~CPlymSkinMenuTracker() {
    for (CPlymSkinPopupMenu* popup : {m_root, m_other}) {
        if (popup && popup->m_menuBar)
            popup->m_tracker = nullptr;  // the frame's
        else if (popup)
            popup->Release();
    }
}

void CPlymSkinMenuTracker::Notify(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_noNotify && m_owner && ::IsWindow(m_owner))
        ::SendMessageA(m_owner, message, wParam, lParam);
}

CPlymSkinPopupMenu* CPlymSkinMenuTracker::Innermost() const {
    CPlymSkinPopupMenu* popup = m_root;
    while (popup && popup->m_child)
        popup = popup->m_child;
    return popup;
}

void CPlymSkinMenuTracker::InitTracking(BOOL keyboard) {
    m_keyboard = keyboard;
    m_mouseStarted = !keyboard;
    ::SetCapture(m_owner);
    m_capture = m_owner;
    Notify(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_owner), MAKELPARAM(HTCAPTION, 0));
    Notify(WM_INITMENU, reinterpret_cast<WPARAM>(m_root->m_menu), 0);
    m_initialised = TRUE;
}

UINT_PTR CPlymSkinMenuTracker::TrackPopup(HMENU menu, UINT flags, int x, int y) {
    m_rightButton = (flags & TPM_RIGHTBUTTON) != 0;
    m_returnCommand = (flags & TPM_RETURNCMD) != 0;
    m_noNotify = (flags & TPM_NONOTIFY) != 0;
    m_root = new CPlymSkinPopupMenu(menu, m_owner, FALSE);
    m_root->m_systemMenu = (flags & kSystemMenuFlag) != 0;
    m_root->m_tracker = this;
    if (!m_root->CreateMenuWindow())
        return 0;
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_STYLE;
    m_notifyByPos = ::GetMenuInfo(menu, &info) && (info.dwStyle & MNS_NOTIFYBYPOS);
    Notify(WM_ENTERMENULOOP, 0, 0);
    InitTracking(FALSE);
    Notify(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, m_root->m_systemMenu ? 1 : 0));
    m_root->m_initialised = TRUE;
    const SIZE size = m_root->Measure();
    const bool rtl = (::GetWindowLongPtrA(m_owner, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    const RECT work = GetPlymMonitorHelper()->WorkAreaFromPoint(POINT{x, y});
    const plym::PopupPlacement place =
        plym::PlaceTrackedPopup(x, y, {size.cx, size.cy}, flags, rtl, ToPlymRect(work));
    m_root->m_dropLeft = place.dropLeft;
    m_root->ShowAt(POINT{place.origin.x, place.origin.y}, size);
    m_buttonDownAtOpen = ::GetKeyState(m_rightButton ? VK_RBUTTON : VK_LBUTTON) < 0;
    m_buttonDown = m_buttonDownAtOpen;
    RunLoop();
    FinishTracking();
    return m_returnCommand ? m_chosenId : TRUE;
}

void CPlymSkinMenuTracker::BeginBarRun(CPlymSkinPopupMenu* bar, CPlymSkinPopupMenu* systemMenu) {
    m_root = bar;
    m_other = systemMenu;
    for (CPlymSkinPopupMenu* popup : {bar, systemMenu}) {
        if (!popup)
            continue;
        popup->m_tracker = this;
        if (popup->m_systemMenu)
            ::SetMenuDefaultItem(popup->m_menu, SC_CLOSE, FALSE);
    }
}

void CPlymSkinMenuTracker::SwitchToOther() {
    CPlymSkinPopupMenu* old = m_root;
    if (!old || !m_other)
        return;
    const BOOL wasOpen = old->m_child != nullptr || old->m_barPopupOpen;
    HideSubPopups(old);
    old->m_selected = -1;
    old->m_clickToggles = FALSE;
    old->m_barPopupOpen = FALSE;
    old->Redraw();
    m_root = m_other;
    m_other = old;
    m_root->m_clickToggles = FALSE;
    m_root->m_barPopupOpen = wasOpen;
}

void CPlymSkinMenuTracker::CrossBarEnd(int step) {
    // Past either end of the bar to the system menu; past the system menu
    // rightwards to the bar's first item, leftwards to its last.
    if (!m_other || m_other->GetItemCount() == 0)
        return;
    const BOOL wasOpen = m_root->m_child != nullptr;
    SwitchToOther();
    SelectItem(m_root, step > 0 ? 0 : m_root->GetItemCount() - 1);
    if (wasOpen)
        ShowSubPopup(m_root);
}

void CPlymSkinMenuTracker::OpenSystemMenuByKey() {
    if (!m_root->m_systemMenu && m_other && m_other->m_systemMenu)
        SwitchToOther();
    if (!m_root->m_systemMenu || m_root->GetItemCount() == 0) {
        EndTracking();
        return;
    }
    SelectItem(m_root, 0);
    ShowSubPopup(m_root);
}

BOOL CPlymSkinMenuTracker::TryOtherPopupByKey(UINT character) {
    if (!m_other)
        return FALSE;
    if (character == ' ') {
        if (!m_other->m_systemMenu)
            return FALSE;
        OpenSystemMenuByKey();
        return TRUE;
    }
    if (FindItemByKey(m_other, character).kind == plym::MenuKeyResult::kNoMatch)
        return FALSE;
    SwitchToOther();
    OnChar(character);  // found there now
    return TRUE;
}

void CPlymSkinMenuTracker::TrackBarByMouse(CPlymSkinPopupMenu* bar,
                                           CPlymSkinPopupMenu* systemMenu,
                                           POINT point) {
    BeginBarRun(bar, systemMenu);
    Notify(WM_ENTERMENULOOP, 0, 0);
    InitTracking(FALSE);
    bar->m_clickToggles = FALSE;
    // The loop starts with the press that opened it.
    MSG press{};
    press.hwnd = m_owner;
    press.message = WM_LBUTTONDOWN;
    press.pt = point;
    BOOL removed = FALSE;
    m_inLoop = TRUE;
    OnButtonDown(press, FALSE, &removed);
    RunLoop();
    FinishTracking();
}

void CPlymSkinMenuTracker::TrackBarByKey(CPlymSkinPopupMenu* bar,
                                         CPlymSkinPopupMenu* systemMenu,
                                         UINT character) {
    if (::GetKeyState(VK_LBUTTON) < 0 || ::GetKeyState(VK_RBUTTON) < 0)
        return;
    BeginBarRun(bar, systemMenu);
    Notify(WM_ENTERMENULOOP, 0, 0);
    InitTracking(TRUE);
    m_inLoop = TRUE;
    const BOOL child = (::GetWindowLongPtrA(m_owner, GWL_STYLE) & WS_CHILD) != 0;
    if (character == 0) {
        SelectItem(bar, 0);
    } else if (character == ' ' || (character == '-' && child)) {
        OpenSystemMenuByKey();
    } else {
        OnChar(character);
        if (m_root->m_selected < 0 && !m_exitDone)
            EndTracking();
    }
    RunLoop();
    FinishTracking();
}

void CPlymSkinMenuTracker::FinishTracking() {
    if (!m_exitDone)
        EndTracking();
}

void CPlymSkinMenuTracker::RunLoop() {
    m_inLoop = !m_exitDone;
    BOOL idleArmed = TRUE;
    MSG msg{};
    while (m_inLoop && !m_exitDone && ::GetCapture() == m_capture) {
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (idleArmed) {
                CPlymSkinPopupMenu* innermost = Innermost();
                Notify(WM_ENTERIDLE, MSGF_MENU,
                       reinterpret_cast<LPARAM>(innermost ? innermost->m_hWnd : nullptr));
                idleArmed = FALSE;
                continue;
            }
            ::WaitMessage();
            continue;
        }
        const BOOL press = IsPress(msg.message);
        BOOL removed = FALSE;
        if (!press) {
            if (!::PeekMessageA(&msg, msg.hwnd, msg.message, msg.message, PM_REMOVE))
                continue;
            removed = TRUE;
            if (msg.message == WM_QUIT) {
                // Not ours: it ends the menu and goes on to the loop outside.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                EndTracking();
                break;
            }
        }
        const BOOL handled = HandleMessage(msg, &removed);
        if (!handled && removed) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (msg.message != WM_TIMER && msg.message != WM_PAINT)
            idleArmed = TRUE;
    }
    m_inLoop = FALSE;
}

BOOL CPlymSkinMenuTracker::HandleMessage(const MSG& msg, BOOL* removed) {
    switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
            return OnMouseMove(msg.pt);
        case WM_LBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
            return OnButtonDown(msg, FALSE, removed);
        case WM_RBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
            return OnButtonDown(msg, TRUE, removed);
        case WM_LBUTTONUP:
        case WM_NCLBUTTONUP:
            return OnButtonUp(msg.pt);
        case WM_RBUTTONUP:
        case WM_NCRBUTTONUP:
            return m_rightButton ? OnButtonUp(msg.pt) : TRUE;
        case WM_LBUTTONDBLCLK:
        case WM_NCLBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_NCRBUTTONDBLCLK:
            return OnDoubleClick(msg.pt);
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            if (m_buttonDown)
                return TRUE;
            m_keyboard = TRUE;
            switch (msg.wParam) {
                case VK_CANCEL:
                case VK_RETURN:
                case VK_MENU:
                case VK_ESCAPE:
                case VK_LEFT:
                case VK_RIGHT:
                case VK_UP:
                case VK_DOWN:
                case VK_F1:
                case VK_F10:
                    OnKey(static_cast<UINT>(msg.wParam));
                    return TRUE;
                case VK_TAB:
                    if (m_root->m_menuBar && !m_root->m_child)
                        EndTracking();
                    return TRUE;
                default:
                    ::TranslateMessage(&msg);
                    return TRUE;
            }
        }
        case WM_KEYUP:
            ::TranslateMessage(&msg);
            return TRUE;
        case WM_CHAR:
        case WM_SYSCHAR:
            OnChar(static_cast<UINT>(msg.wParam));
            return TRUE;
        case WM_SYSKEYUP:
            return TRUE;
        case WM_TIMER:
            for (CPlymSkinPopupMenu* popup = m_root; popup; popup = popup->m_child) {
                if (popup->m_hWnd != msg.hwnd || !popup->m_hWnd)
                    continue;
                if (msg.wParam == CPlymSkinPopupMenu::kOpenTimer) {
                    ::KillTimer(popup->m_hWnd, CPlymSkinPopupMenu::kOpenTimer);
                    popup->m_openTimer = 0;
                    ShowSubPopup(popup);
                    return TRUE;
                }
                if (msg.wParam == CPlymSkinPopupMenu::kCloseTimer) {
                    HideSubPopups(popup);
                    return TRUE;
                }
            }
            return FALSE;
        default:
            return FALSE;
    }
}

CPlymSkinPopupMenu* CPlymSkinMenuTracker::HitMenu(POINT point, int* index) const {
    *index = -1;
    for (CPlymSkinPopupMenu* popup = Innermost(); popup; popup = popup->m_parent) {
        if (popup->m_menuBar) {
            const int i = popup->ItemFromPoint(point);
            if (i >= 0) {
                *index = i;
                return popup;
            }
            continue;
        }
        RECT window{};
        ::GetWindowRect(popup->m_hWnd, &window);
        if (::PtInRect(&window, point)) {
            *index = popup->ItemFromPoint(point);
            return popup;
        }
    }
    if (m_other) {
        const int i = m_other->ItemFromPoint(point);
        if (i >= 0) {
            *index = i;
            return m_other;
        }
    }
    return nullptr;
}

BOOL CPlymSkinMenuTracker::OnMouseMove(POINT point) {
    if (point.x == m_lastMouse.x && point.y == m_lastMouse.y)
        return TRUE;
    m_lastMouse = point;
    int index = -1;
    CPlymSkinPopupMenu* popup = HitMenu(point, &index);
    if (m_keyboard) {
        if (!popup)
            return TRUE;
        m_keyboard = FALSE;
    }
    if (!popup) {
        CPlymSkinPopupMenu* innermost = Innermost();
        if (innermost && !innermost->m_menuBar)
            SelectItem(innermost, -1);
        return TRUE;
    }
    if (popup == m_other) {
        // Dragged onto the menu beside the bar: it takes over.
        if (!m_buttonDown) {
            SelectItem(m_root, -1);
            return TRUE;
        }
        SwitchToOther();
    }
    if (popup->m_menuBar) {
        if (index >= 0 && index != popup->m_selected) {
            const BOOL wasOpen = popup->m_child != nullptr;
            SelectItem(popup, index);
            if (wasOpen || popup->m_barPopupOpen)
                ShowSubPopup(popup);
        }
        return TRUE;
    }
    if (index < 0)
        return TRUE;
    SelectItem(popup, index);
    const CPlymSkinPopupMenuItem* item = &popup->ItemAt(index);
    if (item->IsEnabled() && item->GetSubMenu() && popup->m_expanded != index && !popup->m_openTimer) {
        popup->m_openTimer = ::SetTimer(popup->m_hWnd, CPlymSkinPopupMenu::kOpenTimer, m_showDelay, nullptr);
        if (!popup->m_openTimer)
            ShowSubPopup(popup);
    }
    return TRUE;
}

void CPlymSkinMenuTracker::PressItem(CPlymSkinPopupMenu* popup, int index) {
    if (index < 0)
        return;
    if (index == popup->m_selected) {
        popup->m_clickToggles = TRUE;
        if (popup->m_child) {
            HideSubPopups(popup);
            if (popup->m_menuBar)
                popup->m_barPopupOpen = FALSE;
        } else {
            ShowSubPopup(popup);
        }
        return;
    }
    SelectItem(popup, index);
    ShowSubPopup(popup);
}

BOOL CPlymSkinMenuTracker::OnButtonDown(const MSG& msg, BOOL right, BOOL* removed) {
    int index = -1;
    CPlymSkinPopupMenu* popup = HitMenu(msg.pt, &index);
    const auto take = [&] {
        // A press on a menu always leaves the queue, whatever it did.
        if (!*removed) {
            MSG taken;
            ::PeekMessageA(&taken, msg.hwnd, msg.message, msg.message, PM_REMOVE);
            *removed = TRUE;
        }
    };
    if (right && m_rightButton) {
        if (popup) {
            take();
            m_buttonDown = TRUE;
            OnDoubleClick(msg.pt);
        } else {
            EndTracking();
        }
        return TRUE;
    }
    m_keyboard = FALSE;
    if (!popup) {
        // Off every menu: the run ends and the press goes to its window.
        EndTracking();
        return TRUE;
    }
    take();
    if (right)
        return TRUE;
    if (popup == m_other)
        SwitchToOther();
    m_buttonDown = TRUE;
    PressItem(popup, index);
    return TRUE;
}

BOOL CPlymSkinMenuTracker::OnButtonUp(POINT point) {
    if (!m_buttonDown)
        return TRUE;
    m_buttonDown = FALSE;
    int index = -1;
    CPlymSkinPopupMenu* popup = HitMenu(point, &index);
    if (!popup) {
        if (m_root->m_menuBar || !m_buttonDownAtOpen)
            EndTracking();
        m_buttonDownAtOpen = FALSE;  // the first release is forgiven once
        return TRUE;
    }
    m_buttonDownAtOpen = FALSE;
    if (index < 0 || index != popup->m_selected)
        return TRUE;
    const CPlymSkinPopupMenuItem* item = popup->GetItem(index);
    if (popup->m_menuBar) {
        if (!popup->m_systemMenu && item->IsEnabled() && !item->IsSeparator() && !item->GetSubMenu())
            Execute(popup, index);
        else if (popup->m_clickToggles && !popup->m_child)
            EndTracking();
        return TRUE;
    }
    if (popup->m_openTimer) {
        ::KillTimer(popup->m_hWnd, CPlymSkinPopupMenu::kOpenTimer);
        popup->m_openTimer = 0;
        ShowSubPopup(popup);
        return TRUE;
    }
    if (item->IsEnabled() && !item->IsSeparator() && !item->GetSubMenu())
        Execute(popup, index);
    return TRUE;
}

BOOL CPlymSkinMenuTracker::OnDoubleClick(POINT point) {
    int index = -1;
    CPlymSkinPopupMenu* popup = HitMenu(point, &index);
    if (!popup) {
        EndTracking();
        return TRUE;
    }
    const CPlymSkinPopupMenuItem* item = popup->GetItem(index);
    if (!item || !item->IsEnabled() || item->IsSeparator())
        return TRUE;
    if (HMENU sub = item->GetSubMenu()) {
        const UINT position = ::GetMenuDefaultItem(sub, TRUE, GMDI_USEDISABLED);
        if (position == static_cast<UINT>(-1))
            return TRUE;
        SelectItem(popup, index);
        ShowSubPopup(popup);
        if (popup->m_child) {
            const CPlymSkinPopupMenuItem* inner = popup->m_child->GetItem(static_cast<int>(position));
            if (inner && inner->IsEnabled() && !inner->GetSubMenu())
                Execute(popup->m_child, static_cast<int>(position));
        }
        return TRUE;
    }
    Execute(popup, index);
    return TRUE;
}

void CPlymSkinMenuTracker::EnterItem(CPlymSkinPopupMenu* popup, int index) {
    const CPlymSkinPopupMenuItem* item = popup->GetItem(index);
    if (!item || !item->IsEnabled()) {
        EndTracking();
        return;
    }
    if (item->GetSubMenu()) {
        if (popup->m_selected != index)
            SelectItem(popup, index);
        ShowSubPopup(popup);
        return;
    }
    Execute(popup, index);
}

void CPlymSkinMenuTracker::MoveSelection(CPlymSkinPopupMenu* popup, int step) {
    const int n = popup->GetItemCount();
    if (n == 0)
        return;
    int index = popup->m_selected;
    for (int k = 0; k < n; ++k) {
        index = index < 0 ? (step > 0 ? 0 : n - 1) : (index + step + n) % n;
        if (!popup->ItemAt(index).IsSeparator()) {
            SelectItem(popup, index);
            return;
        }
    }
}

void CPlymSkinMenuTracker::MoveAlongBar(int step) {
    CPlymSkinPopupMenu* bar = m_root;
    if (!bar || !bar->m_menuBar)
        return;
    const int next = bar->m_selected + step;
    if (next < 0 || next >= bar->GetItemCount()) {
        CrossBarEnd(step);
        return;
    }
    const BOOL wasOpen = bar->m_child != nullptr;
    if (wasOpen)
        HideSubPopups(bar);
    SelectItem(bar, next);
    if (wasOpen)
        ShowSubPopup(bar);
}

void CPlymSkinMenuTracker::OnKey(UINT key) {
    CPlymSkinPopupMenu* popup = Innermost();
    if (!popup)
        return;
    if (popup->m_hWnd && (::GetWindowLongPtrA(popup->m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)) {
        if (key == VK_LEFT)
            key = VK_RIGHT;
        else if (key == VK_RIGHT)
            key = VK_LEFT;
    }
    switch (key) {
        case VK_RETURN:
            if (popup->m_selected < 0)
                EndTracking();
            else
                EnterItem(popup, popup->m_selected);
            return;
        case VK_MENU:
        case VK_F10:
        case VK_CANCEL:
            EndTracking();
            return;
        case VK_ESCAPE:
            if (popup->m_parent)
                HideSubPopups(popup->m_parent);
            else
                EndTracking();
            return;
        case VK_UP:
        case VK_DOWN:
            if (popup->m_menuBar) {
                if (popup->m_selected >= 0)
                    ShowSubPopup(popup);
                return;
            }
            MoveSelection(popup, key == VK_DOWN ? 1 : -1);
            return;
        case VK_RIGHT:
            if (!popup->m_menuBar && popup->m_selected >= 0) {
                const CPlymSkinPopupMenuItem* item = popup->GetItem(popup->m_selected);
                if (item->IsEnabled() && item->GetSubMenu()) {
                    ShowSubPopup(popup);
                    return;
                }
            }
            MoveAlongBar(1);
            return;
        case VK_LEFT:
            if (!popup->m_menuBar && popup->m_parent && !popup->m_parent->m_menuBar) {
                HideSubPopups(popup->m_parent);
                return;
            }
            MoveAlongBar(-1);
            return;
        default:
            return;
    }
}

plym::MenuKeyResult CPlymSkinMenuTracker::FindItemByKey(const CPlymSkinPopupMenu* popup, UINT character) {
    std::vector<plym::MenuKeyItem> items;
    for (int i = 0; i < popup->GetItemCount(); ++i) {
        const CPlymSkinPopupMenuItem* item = &popup->ItemAt(i);
        plym::MenuKeyItem key;
        key.skipped = item->IsSeparator() || item->IsMdiButton();
        key.text = key.skipped ? std::string() : item->GetText();
        key.enabled = item->IsEnabled() != FALSE;
        items.push_back(key);
    }
    return plym::FindItemByKey(items, static_cast<char>(character), popup->m_selected);
}

void CPlymSkinMenuTracker::OnChar(UINT character) {
    CPlymSkinPopupMenu* popup = Innermost();
    if (!popup || character == 0)
        return;
    const plym::MenuKeyResult found = FindItemByKey(popup, character);
    switch (found.kind) {
        case plym::MenuKeyResult::kOnlyDisabled:
            EndTracking();
            return;
        case plym::MenuKeyResult::kExecute:
            SelectItem(popup, found.index);
            EnterItem(popup, found.index);
            return;
        case plym::MenuKeyResult::kSelect:
            SelectItem(popup, found.index);
            return;
        case plym::MenuKeyResult::kNoMatch:
            break;
    }
    if (popup->m_menuBar && TryOtherPopupByKey(character))
        return;
    UINT flags = 0;
    if (popup->m_systemMenu)
        flags |= MF_SYSMENU;
    if (!popup->m_menuBar)
        flags |= MF_POPUP;
    const LRESULT answer = m_noNotify ? 0
                                      : ::SendMessageA(m_owner, WM_MENUCHAR, MAKEWPARAM(character, flags),
                                                       reinterpret_cast<LPARAM>(popup->m_menu));
    const int index = LOWORD(answer);
    switch (HIWORD(answer)) {
        case MNC_CLOSE:
            EndTracking();
            return;
        case MNC_EXECUTE:
            if (index < popup->GetItemCount()) {
                SelectItem(popup, index);
                EnterItem(popup, index);
            }
            return;
        case MNC_SELECT:
            if (index < popup->GetItemCount())
                SelectItem(popup, index);
            return;
        default:
            ::MessageBeep(0);
            if (popup->m_menuBar)
                EndTracking();
            return;
    }
}

void CPlymSkinMenuTracker::SendMenuSelect(CPlymSkinPopupMenu* popup) {
    const CPlymSkinPopupMenuItem* item = popup->GetItem(popup->m_selected);
    if (!item) {
        Notify(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), reinterpret_cast<LPARAM>(popup->m_menu));
        return;
    }
    UINT flags = (item->GetState() | item->GetType()) & 0xFFFF;
    const BOOL sub = item->GetSubMenu() != nullptr;
    if (sub)
        flags |= MF_POPUP;
    if (m_mouseStarted)
        flags |= MF_MOUSESELECT;
    if (popup->m_systemMenu)
        flags |= MF_SYSMENU;
    const UINT low = sub ? static_cast<UINT>(popup->m_selected) : item->GetId();
    Notify(WM_MENUSELECT, MAKEWPARAM(low, flags), reinterpret_cast<LPARAM>(popup->m_menu));
}

void CPlymSkinMenuTracker::SelectItem(CPlymSkinPopupMenu* popup, int index) {
    if (!popup)
        return;
    CPlymSkinPopupMenu* parent = popup->m_parent;
    if (index >= 0 && parent && parent->m_closePending) {
        // An item of this submenu is taken while its close timer runs (the
        // pointer crossed a sibling of its item on the way, and may have
        // touched it again since): it stays open, and its item is the
        // parent's selection again.
        ::KillTimer(parent->m_hWnd, CPlymSkinPopupMenu::kCloseTimer);
        ::KillTimer(parent->m_hWnd, CPlymSkinPopupMenu::kOpenTimer);
        parent->m_closeTimer = 0;
        parent->m_openTimer = 0;
        parent->m_closePending = FALSE;
        if (parent->m_selected != parent->m_expanded) {
            parent->m_selected = parent->m_expanded;
            parent->Redraw();
            SendMenuSelect(parent);
        }
    }
    if (index == popup->m_selected)
        return;
    if (popup->m_openTimer) {
        ::KillTimer(popup->m_hWnd, CPlymSkinPopupMenu::kOpenTimer);
        popup->m_openTimer = 0;
    }
    if (popup->m_closePending && index == popup->m_expanded) {
        // Back on the open item before its child closed: it stays open.
        ::KillTimer(popup->m_hWnd, CPlymSkinPopupMenu::kCloseTimer);
        popup->m_closeTimer = 0;
        popup->m_closePending = FALSE;
    } else if (popup->m_child && popup->m_expanded == popup->m_selected) {
        if (popup->m_menuBar) {
            HideSubPopups(popup);
        } else if (!popup->m_closePending) {
            popup->m_closeTimer =
                ::SetTimer(popup->m_hWnd, CPlymSkinPopupMenu::kCloseTimer, m_showDelay, nullptr);
            popup->m_closePending = TRUE;
            if (!popup->m_closeTimer)
                HideSubPopups(popup);
        }
    }
    popup->m_selected = index;
    popup->Redraw();
    SendMenuSelect(popup);
}

void CPlymSkinMenuTracker::ShowSubPopup(CPlymSkinPopupMenu* popup) {
    const CPlymSkinPopupMenuItem* item = popup ? popup->GetItem(popup->m_selected) : nullptr;
    if (!item || !item->IsEnabled())
        return;
    HMENU sub = item->GetSubMenu();
    if (!sub || ::GetMenuItemCount(sub) <= 0)
        return;
    if (popup->m_child) {
        if (!popup->m_closePending)
            return;
        HideSubPopups(popup);
    }
    const int index = popup->m_selected;
    Notify(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(index, popup->m_systemMenu ? 1 : 0));
    auto* child = new CPlymSkinPopupMenu(sub, m_owner, FALSE);
    child->m_systemMenu = popup->m_systemMenu;
    child->m_tracker = this;
    child->m_initialised = TRUE;
    if (!child->CreateMenuWindow()) {
        Notify(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(sub),
               MAKELPARAM(0, popup->m_systemMenu ? MF_SYSMENU : 0));
        child->Release();
        return;
    }
    popup->m_child = child;
    child->m_parent = popup;
    if (popup->m_menuBar)
        popup->m_barPopupOpen = TRUE;
    ::UpdateWindow(m_owner);
    const SIZE size = child->Measure();
    const RECT itemRect = popup->ItemScreenRect(index);
    const RECT monitor = GetPlymMonitorHelper()->MonitorRectFromRect(itemRect);
    const LONG_PTR ownerEx = ::GetWindowLongPtrA(m_owner, GWL_EXSTYLE);
    const plym::PopupPlacement place = plym::PlaceSubmenu(
        ToPlymRect(itemRect), {size.cx, size.cy}, popup->m_menuBar != FALSE, popup->m_dropLeft != FALSE,
        (ownerEx & (WS_EX_LAYOUTRTL | WS_EX_RIGHT)) != 0, ::IsIconic(m_owner) != FALSE,
        ::GetSystemMetrics(SM_CYMENUSIZE), ToPlymRect(monitor));
    child->m_dropLeft = place.dropLeft;
    child->ShowAt(POINT{place.origin.x, place.origin.y}, size);
    popup->m_expanded = index;
    if (m_keyboard)
        MoveSelection(child, 1);
}

void CPlymSkinMenuTracker::HideSubPopups(CPlymSkinPopupMenu* popup) {
    if (!popup)
        return;
    if (popup->m_closeTimer && popup->m_hWnd)
        ::KillTimer(popup->m_hWnd, CPlymSkinPopupMenu::kCloseTimer);
    popup->m_closeTimer = 0;
    popup->m_closePending = FALSE;
    CPlymSkinPopupMenu* child = popup->m_child;
    if (!child)
        return;
    HideSubPopups(child);
    if (!child->m_menuBar) {
        if (child->m_initialised)
            Notify(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(child->m_menu),
                   MAKELPARAM(0, child->m_systemMenu ? MF_SYSMENU : 0));
        if (child->m_hWnd)
            child->DestroyWindow();
    }
    popup->m_child = nullptr;
    child->m_parent = nullptr;
    child->Release();
    popup->m_expanded = -1;
    if (popup->m_menuBar)
        popup->m_barPopupOpen = FALSE;
    SendMenuSelect(popup);
}

void CPlymSkinMenuTracker::Execute(CPlymSkinPopupMenu* popup, int index) {
    const CPlymSkinPopupMenuItem* item = popup->GetItem(index);
    if (!item)
        return;
    m_chosenId = item->GetId();
    m_hasCommand = TRUE;
    if (popup->m_systemMenu) {
        m_commandMessage = WM_SYSCOMMAND;
        m_commandWParam = m_chosenId;
        m_commandLParam = 0;
    } else if (m_notifyByPos) {
        m_commandMessage = WM_MENUCOMMAND;
        m_commandWParam = static_cast<WPARAM>(index);
        m_commandLParam = reinterpret_cast<LPARAM>(popup->m_menu);
    } else {
        m_commandMessage = WM_COMMAND;
        m_commandWParam = m_chosenId;
        m_commandLParam = 0;
    }
    EndTracking();
}

void CPlymSkinMenuTracker::EndTracking() {
    if (m_exitDone)
        return;
    m_exitDone = TRUE;
    m_inLoop = FALSE;
    if (m_root) {
        HideSubPopups(m_root);
        m_root->m_selected = -1;
        m_root->m_clickToggles = FALSE;
        m_root->m_barPopupOpen = FALSE;
        m_root->Redraw();
    }
    if (m_capture && ::GetCapture() == m_capture)
        ::ReleaseCapture();
    if (m_root && !m_root->m_menuBar) {
        if (m_root->m_initialised) {
            Notify(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(m_root->m_menu),
                   MAKELPARAM(0, m_root->m_systemMenu ? MF_SYSMENU : 0));
            m_root->m_initialised = FALSE;
        }
        if (m_root->m_hWnd)
            m_root->DestroyWindow();
    }
    Notify(WM_EXITMENULOOP, 0, 0);
    if (!m_hasCommand)
        return;
    GetPlymSoundPlayer()->QueueSound(CPlymSoundPlayer::kMenuCommand);
    if (m_returnCommand || !m_owner || !::IsWindow(m_owner))
        return;
    ::SendMessageA(m_owner, m_commandMessage, m_commandWParam, m_commandLParam);
    if (m_commandMessage == WM_SYSCOMMAND && ::IsWindow(m_owner))
        ::SendMessageA(m_owner, WM_NCPAINT, 1, 0);
}

BOOL TrackSkinnedPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner, const RECT* /*exclude*/) {
    if (!owner || !::IsWindow(owner) || !menu || !::IsMenu(menu) || ::GetMenuItemCount(menu) <= 0)
        return 0;
    CPlymSkinMenuTracker tracker(owner);
    return static_cast<BOOL>(tracker.TrackPopup(menu, flags, x, y));
}
