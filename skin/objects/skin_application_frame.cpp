// skin/objects/skin_application_frame.cpp
#include "skin/objects/skin_application_frame.h"

#include <string>
#include <vector>

#include "skin/core/draw_helpers.h"
#include "skin/core/skin_manager.h"
#include "skin/core/skin_metrics.h"
#include "skin/core/skin_schema.h"
#include "skin/core/win_types.h"
#include "skin/objects/menu_layout.h"
#include "skin/objects/skin_popup_menu.h"

namespace {

// WINDOW parts of a maximized MDI child's buttons on the bar.
constexpr int kMdiMinButton = 16;
constexpr int kMdiCloseButton = 20;
constexpr int kMdiRestoreButton = 22;
constexpr UINT kSystemMenuFlag = 0x200;

std::string StripAmpersands(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace

IMPLEMENT_DYNCREATE(CPlymSkinObjectApplicationFrame, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectApplicationFrame, CPlymSkinObjectFrame)
WINLIB_ENTRY(WM_CONTEXTMENU, 0, 0, 0, return self->OnContextMenuMsg(a.wParam, a.lParam, &r) != FALSE;)
END_MESSAGE_MAP()

CPlymSkinObjectApplicationFrame::CPlymSkinObjectApplicationFrame() {
    m_barPopup = new CPlymSkinPopupMenu(nullptr, nullptr, TRUE);
}

CPlymSkinObjectApplicationFrame::~CPlymSkinObjectApplicationFrame() {
    m_barPopup->Release();
}

BOOL CPlymSkinObjectApplicationFrame::HasMenuBar() const {
    if (!m_hWnd || (Style() & WS_CHILD))
        return FALSE;
    HMENU menu = ::GetMenu(m_hWnd);
    return menu && ::IsMenu(menu) && ::GetMenuItemCount(menu) > 0;
}

void CPlymSkinObjectApplicationFrame::ClearMenuBar() {
    m_menuBarRect = RECT{};
    if (m_barPopup->m_systemMenu)
        return;  // lent to the system menu for a run
    m_barPopup->SetMenu(nullptr);
    m_barPopup->m_owner = m_hWnd;
}

BOOL CPlymSkinObjectApplicationFrame::OnNcCalcSizeMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!CPlymSkinObjectFrame::OnNcCalcSizeMsg(wParam, lParam, result))
        return FALSE;
    auto* rect = reinterpret_cast<RECT*>(lParam);
    if (!HasMenuBar()) {
        ClearMenuBar();
        return TRUE;
    }
    m_menuBarRect = {m_borders.left, m_borders.top, m_borders.left + (rect->right - rect->left),
                     m_borders.top};
    LayoutMenuBar();
    rect->top += m_menuBarRect.bottom - m_menuBarRect.top;
    if (rect->bottom < rect->top)
        rect->bottom = rect->top;
    return TRUE;
}

void CPlymSkinObjectApplicationFrame::RefreshMenuBar() {
    if (!HasMenuBar()) {
        ClearMenuBar();
        return;
    }
    LayoutMenuBar();
}

void CPlymSkinObjectApplicationFrame::LayoutMenuBar() {
    m_barPopup->m_owner = m_hWnd;
    m_barPopup->m_systemMenu = FALSE;
    m_barPopup->SetMenu(::GetMenu(m_hWnd));
    const int rowHeight = ::GetSystemMetrics(SM_CYMENUSIZE);
    HDC dc = ::GetWindowDC(m_hWnd);
    const CPlymSkinManagerMetrics* metrics = GetSkinMetrics();
    CPlymFontDC font(dc, metrics ? metrics->GetMenuFont() : nullptr);
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    std::vector<plym::MenuBarItemInput> inputs;
    for (int i = 0; i < m_barPopup->GetItemCount(); ++i) {
        const CPlymSkinPopupMenuItem* item = &m_barPopup->ItemAt(i);
        plym::MenuBarItemInput input;
        input.rightJustify = (item->GetType() & MFT_RIGHTJUSTIFY) != 0;
        input.mdiButton = item->IsMdiButton();
        plym::MenuBarItemKind kind = plym::MenuBarItemKind::kText;
        int textWidth = 0;
        if (item->IsMdiIcon()) {
            kind = plym::MenuBarItemKind::kMdiIcon;
        } else if (item->IsSeparator()) {
            kind = plym::MenuBarItemKind::kSeparator;
        } else if (input.mdiButton) {
            kind = plym::MenuBarItemKind::kMdiButton;
        } else {
            const std::string text = StripAmpersands(item->GetText());
            SIZE extent{};
            ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            textWidth = extent.cx;
        }
        input.width = plym::MenuBarItemWidth(kind, textWidth, tm.tmAveCharWidth, rowHeight);
        inputs.push_back(input);
    }
    font.RestoreFont();
    ::ReleaseDC(m_hWnd, dc);
    std::vector<plym::Rect> rects;
    m_menuBarRect.bottom = plym::LayoutMenuBar(inputs, ToPlymRect(m_menuBarRect), rowHeight, &rects);
    for (int i = 0; i < m_barPopup->GetItemCount(); ++i)
        m_barPopup->ItemAt(i).m_rect = ToWinRect(rects[static_cast<size_t>(i)]);
}

int CPlymSkinObjectApplicationFrame::HitTest(int x, int y) {
    if (!::IsRectEmpty(&m_menuBarRect)) {
        RECT window{};
        ::GetWindowRect(m_hWnd, &window);
        RECT inner{m_borders.left, m_borders.top, window.right - window.left - m_borders.right,
                   window.bottom - window.top - m_borders.bottom};
        RECT bar{};
        if (::IntersectRect(&bar, &m_menuBarRect, &inner)) {
            bar.bottom += 1;
            const POINT p = ScreenToWindowPoint(x, y);
            if (::PtInRect(&bar, p))
                return HTMENU;
        }
    }
    return CPlymSkinObjectFrame::HitTest(x, y);
}

BOOL CPlymSkinObjectApplicationFrame::UpdateHotState(int x, int y) {
    if (CPlymSkinObjectFrame::UpdateHotState(x, y))
        return TRUE;
    if (::IsRectEmpty(&m_menuBarRect))
        return FALSE;
    int index = -1;
    if (!(x == -1 && y == -1) && HitTest(x, y) == HTMENU)
        index = m_barPopup->ItemFromPoint(POINT{x, y});
    if (index != m_barPopup->m_selected) {
        m_barPopup->m_selected = index;
        RedrawMenuBar();
    }
    if (index >= 0)
        ::SetTimer(m_hWnd, kHotStateTimer, 50, &FrameTimerProc);
    else
        ::KillTimer(m_hWnd, kHotStateTimer);
    return TRUE;
}

void CPlymSkinObjectApplicationFrame::RedrawMenuBar() {
    if (!m_hWnd || !::IsWindow(m_hWnd) || ::IsRectEmpty(&m_menuBarRect))
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (client.bottom <= client.top) {
        RepaintNonClient();
        return;
    }
    HDC dc = ::GetWindowDC(m_hWnd);
    if (!dc)
        return;
    PaintMenuBar(dc);
    ::ReleaseDC(m_hWnd, dc);
}

void CPlymSkinObjectApplicationFrame::PaintNonClient(HDC dc) {
    if (m_ncGuard > 0)
        return;
    if (!::IsRectEmpty(&m_menuBarRect))
        PaintMenuBar(dc);
    CPlymSkinObjectFrame::PaintNonClient(dc);
}

void CPlymSkinObjectApplicationFrame::PaintMenuBar(HDC target) {
    CPlymSkinManagerSchema* schema = GetActiveSchema();
    const RECT& r = m_menuBarRect;
    if (!schema || r.right <= r.left || r.bottom <= r.top)
        return;
    CPlymBufferDCEx buffer(target, r.left, r.top, r.right, r.bottom);
    HDC dc = buffer.m_hDC;
    PlymFillSolidRect(dc, RECT{r.left, r.top, r.right, r.bottom - 1}, GetSkinColor(COLOR_BTNFACE));
    PlymFillSolidRect(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, GetSkinColor(COLOR_WINDOW));
    CPlymFontDC font(dc, schema->GetMetrics()->GetMenuFont());
    ::SetBkMode(dc, TRANSPARENT);
    CPlymSkinManagerClass* windowClass = schema->GetThemeClass("WINDOW");
    for (int i = 0; i < m_barPopup->GetItemCount(); ++i) {
        const CPlymSkinPopupMenuItem* item = &m_barPopup->ItemAt(i);
        const RECT& rect = item->m_rect;
        const bool selected = i == m_barPopup->m_selected;
        if (item->IsMdiIcon()) {
            const auto child = reinterpret_cast<HWND>(item->GetItemData());
            if (child && ::IsWindow(child)) {
                if (HICON icon = schema->GetFrameIcon(child, TRUE))
                    ::DrawIconEx(dc, (rect.left + rect.right - 16) / 2, (rect.top + rect.bottom - 16) / 2,
                                 icon, 16, 16, 0, nullptr, DI_NORMAL);
            }
        } else if (item->IsMdiButton()) {
            const UINT id = item->GetId();
            const int part = id == SC_RESTORE    ? kMdiRestoreButton
                             : id == SC_MINIMIZE ? kMdiMinButton
                                                 : kMdiCloseButton;
            const int state = !item->IsEnabled() ? 4 : selected ? 2 : 1;
            schema->DrawThemeBackground(dc, windowClass, part, state, &rect);
        } else if (!item->IsSeparator()) {
            if (selected)
                PlymFillSolidRect(dc, rect, GetSkinColor(COLOR_HIGHLIGHT));
            ::SetTextColor(dc, GetSkinColor(!item->IsEnabled() ? COLOR_GRAYTEXT
                                            : selected         ? COLOR_HIGHLIGHTTEXT
                                                               : COLOR_MENUTEXT));
            const std::string text = item->GetText();
            RECT textRect = rect;
            ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                        DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
}

BOOL CPlymSkinObjectApplicationFrame::HandleSysCommand(UINT command, LPARAM lParam) {
    if (!(ActiveOptions() & kPlymHookPopupMenus))
        return CPlymSkinObjectFrame::HandleSysCommand(command, lParam);
    if (command == SC_DEFAULT)
        return TRUE;
    if (command != SC_MOUSEMENU && command != SC_KEYMENU)
        return FALSE;
    RefreshMenuBar();
    // Beside a bar the system menu is a one-item bar of its own; a window
    // without a bar lends its bar popup to it.
    CPlymSkinPopupMenu* bar = m_barPopup;
    CPlymSkinPopupMenu* system = nullptr;
    if (HasMenuBar()) {
        system = new CPlymSkinPopupMenu(nullptr, m_hWnd, TRUE);
        if (!MakeSystemMenuBar(system)) {
            system->Release();
            system = nullptr;
        }
    } else if (!MakeSystemMenuBar(bar)) {
        // No menu to track here: a child hands the key to its parents.
        return CPlymSkinObjectFrame::HandleSysCommand(command, lParam);
    }
    {
        CPlymSkinMenuTracker tracker(m_hWnd);
        if (command == SC_MOUSEMENU)
            tracker.TrackBarByMouse(
                bar, system, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        else
            tracker.TrackBarByKey(bar, system, static_cast<UINT>(lParam));
    }
    if (system)
        system->Release();
    if (m_barPopup->m_systemMenu) {
        // Lent for the run: no menu, no window, not the system menu.
        m_barPopup->m_systemMenu = FALSE;
        m_barPopup->SetMenu(nullptr);
    }
    return TRUE;
}

BOOL CPlymSkinObjectApplicationFrame::MakeSystemMenuBar(CPlymSkinPopupMenu* popup) {
    HMENU menu = (Style() & WS_SYSMENU) ? ::GetSystemMenu(m_hWnd, FALSE) : nullptr;
    if (!menu || !::IsMenu(menu))
        return FALSE;
    popup->m_owner = m_hWnd;
    popup->m_systemMenu = TRUE;
    popup->SetMenu(menu);
    CPlymSkinManagerSchema* schema = GetActiveSchema();
    if (popup->GetItemCount() > 0)
        popup->ItemAt(0).m_rect = schema ? schema->GetFrameIconRect(GetSkinFrame()) : RECT{};
    return TRUE;
}

BOOL CPlymSkinObjectApplicationFrame::OnContextMenuMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!(ActiveOptions() & kPlymHookPopupMenus) || reinterpret_cast<HWND>(wParam) != m_hWnd)
        return FALSE;
    const LRESULT hit = ::SendMessageA(m_hWnd, WM_NCHITTEST, 0, lParam);
    *result = 0;
    switch (hit) {
        case HTMENU:
            return TRUE;
        case HTCAPTION:
        case HTSYSMENU:
        case HTMINBUTTON:
        case HTMAXBUTTON:
        case HTCLOSE: {
            HMENU system = ::GetSystemMenu(m_hWnd, FALSE);
            if (!system)
                return TRUE;
            const UINT preferred = hit == HTSYSMENU                             ? SC_CLOSE
                                   : (::IsIconic(m_hWnd) || ::IsZoomed(m_hWnd)) ? SC_RESTORE
                                                                                : SC_MAXIMIZE;
            ::SetMenuDefaultItem(system, preferred, FALSE);
            TrackSkinnedPopupMenu(system, TPM_RIGHTBUTTON | kSystemMenuFlag,
                                  static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                                  m_hWnd, nullptr);
            return TRUE;
        }
        default:
            return FALSE;
    }
}
