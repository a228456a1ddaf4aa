// skin/objects/skin_frame.cpp
#include "skin/objects/skin_frame.h"

#include <algorithm>
#include <string>

#include "skin/core/api_hook.h"
#include "skin/core/draw_helpers.h"
#include "skin/core/hook_table.h"
#include "skin/core/skin_class.h"
#include "skin/core/skin_manager.h"
#include "skin/core/skin_metrics.h"
#include "skin/core/skin_schema.h"
#include "skin/core/win_types.h"
#include "skin/objects/frame_layout.h"

namespace {

// Alt went down alone; its release opens the keyboard menu.
BOOL g_menuKeyPending = FALSE;

constexpr UINT kIsActiveIcon = 0x0035;  // WM_ISACTIVEICON
constexpr int kFlatVStyle = 0x0100;     // WSB_PROP_VSTYLE

// Whether flat scroll bars are set up on the window (COMCTL32's own
// FlatSB_GetScrollProp answers; it never does under Wine).
BOOL FlatScrollBarsActive(HWND window) {
    using Fn = BOOL(WINAPI*)(HWND, int, LPINT);
    static const Fn query = [] {
        HMODULE comctl = GetModuleHandleA("COMCTL32.DLL");
        return comctl ? reinterpret_cast<Fn>(
                            reinterpret_cast<void (*)()>(GetProcAddress(comctl, "FlatSB_GetScrollProp")))
                      : nullptr;
    }();
    INT value = 0;
    return query && query(window, kFlatVStyle, &value);
}

DWORD StyleOf(HWND window) {
    return static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_STYLE));
}

// The frame object of a window, NULL when it has none.
CPlymSkinObjectFrame* FrameOf(HWND window) {
    CPlymSkinObject* object = GetPlymSkinManager()->FindSkinObject(window);
    return object && object->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectFrame))
               ? static_cast<CPlymSkinObjectFrame*>(object)
               : nullptr;
}

POINT PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

// A message of the frame's map: the handler's FALSE leaves it to the default.
#define PLYM_FRAME_MESSAGE(msg, fn) \
    WINLIB_ENTRY(msg, 0, 0, 0, return self->fn(a.wParam, a.lParam, &r) != FALSE;)

IMPLEMENT_DYNCREATE(CPlymSkinObjectFrame, CPlymSkinObject)

BEGIN_MESSAGE_MAP(CPlymSkinObjectFrame, CPlymSkinObject)
PLYM_FRAME_MESSAGE(WM_CREATE, OnCreateMsg)
PLYM_FRAME_MESSAGE(WM_NCPAINT, OnNcPaintMsg)
PLYM_FRAME_MESSAGE(WM_NCCALCSIZE, OnNcCalcSizeMsg)
PLYM_FRAME_MESSAGE(WM_NCHITTEST, OnNcHitTestMsg)
PLYM_FRAME_MESSAGE(WM_NCMOUSEMOVE, OnNcMouseMoveMsg)
PLYM_FRAME_MESSAGE(WM_NCMOUSELEAVE, OnNcMouseLeaveMsg)
PLYM_FRAME_MESSAGE(WM_NCLBUTTONDOWN, OnNcLButtonDownMsg)
PLYM_FRAME_MESSAGE(WM_NCLBUTTONDBLCLK, OnNcLButtonDownMsg)
PLYM_FRAME_MESSAGE(WM_NCRBUTTONUP, OnNcRButtonUpMsg)
PLYM_FRAME_MESSAGE(WM_NCACTIVATE, OnNcActivateMsg)
PLYM_FRAME_MESSAGE(WM_SETTEXT, OnSetTextMsg)
PLYM_FRAME_MESSAGE(WM_STYLECHANGED, OnStyleChangedMsg)
PLYM_FRAME_MESSAGE(WM_WINDOWPOSCHANGING, OnWindowPosChangingMsg)
PLYM_FRAME_MESSAGE(WM_WINDOWPOSCHANGED, OnWindowPosChangedMsg)
PLYM_FRAME_MESSAGE(WM_PRINT, OnPrintMsg)
PLYM_FRAME_MESSAGE(WM_GETMINMAXINFO, OnGetMinMaxInfoMsg)
PLYM_FRAME_MESSAGE(WM_SYSCOMMAND, OnSysCommandMsg)
PLYM_FRAME_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMsg)
PLYM_FRAME_MESSAGE(WM_SYSKEYDOWN, OnSysKeyDownMsg)
PLYM_FRAME_MESSAGE(WM_SYSKEYUP, OnSysKeyUpMsg)
PLYM_FRAME_MESSAGE(WM_KEYUP, OnKeyUpMsg)
WINLIB_ENTRY(::winlib::kCtlColorKey,
             0,
             0,
             0,
             return self->OnCtlColorMsg(WM_CTLCOLORMSGBOX + a.code, a.wParam, a.lParam, &r) != FALSE;)
END_MESSAGE_MAP()

CPlymSkinObjectFrame::CPlymSkinObjectFrame() {
    m_vertBar.vertical = 1;
    m_vertBar.barKind = SB_VERT;
    m_horzBar.barKind = SB_HORZ;
}

CPlymSkinObjectFrame::~CPlymSkinObjectFrame() {
    ClearButtons();
    if (m_tabPaneBrush)
        DeleteObject(m_tabPaneBrush);
}

void CPlymSkinObjectFrame::ClearButtons() {
    for (CCaptionButton* button : m_buttons)
        delete button;
    m_buttons.clear();
    m_hotButton = nullptr;
    m_pressedButton = nullptr;
}

// ---- small facts -------------------------------------------------------------------------

DWORD CPlymSkinObjectFrame::Style() const {
    return StyleOf(m_hWnd);
}

DWORD CPlymSkinObjectFrame::ExStyle() const {
    return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE));
}

BOOL CPlymSkinObjectFrame::HasFullCaption() const {
    return (Style() & WS_CAPTION) == WS_CAPTION;
}

DWORD CPlymSkinObjectFrame::ActiveOptions() const {
    return IsSkinActive() ? GetManager()->GetHookedGroups() : 0;
}

BOOL CPlymSkinObjectFrame::IsNonClientSkinned() const {
    return (ActiveOptions() & kPlymHookFrames) != 0;
}

BOOL CPlymSkinObjectFrame::IsMenuKeyPending() {
    return g_menuKeyPending;
}

POINT CPlymSkinObjectFrame::ScreenToWindowPoint(int x, int y) const {
    const CPoint p = PlymScreenToWindow(m_hWnd, POINT{x, y});
    return {p.x, p.y};
}

const CPlymSkinObjectFrame::CCaptionButton* CPlymSkinObjectFrame::GetCaptionButton(int index) const {
    return index >= 0 && index < GetCaptionButtonCount() ? m_buttons[static_cast<size_t>(index)] : nullptr;
}

COLORREF CPlymSkinObjectFrame::GetClientEdgeColor() {
    return GetSkinColor(COLOR_WINDOW);
}

// ---- the schema's view --------------------------------------------------------------------

HWND CPlymSkinObjectFrame::SkinFrameView::GetFrameWindow() const {
    return m_frame->m_hWnd;
}

RECT CPlymSkinObjectFrame::SkinFrameView::GetStoredFrameBorders() const {
    return m_frame->m_borders;
}

BOOL CPlymSkinObjectFrame::SkinFrameView::IsFrameActive() const {
    return m_frame->m_active;
}

int CPlymSkinObjectFrame::SkinFrameView::GetCaptionButtonCount() const {
    return m_frame->GetCaptionButtonCount();
}

void CPlymSkinObjectFrame::SkinFrameView::DrawCaptionButton(int index,
                                                            HDC dc,
                                                            const RECT& rect,
                                                            BOOL active) {
    if (index < 0 || index >= m_frame->GetCaptionButtonCount())
        return;
    CCaptionButton* button = m_frame->m_buttons[static_cast<size_t>(index)];
    button->m_rect = rect;
    button->DrawButton(dc, active);
}

HBRUSH CPlymSkinObjectFrame::SkinFrameView::GetClientBrush(HDC dc) {
    return m_frame->GetClientBrush(dc);
}

COLORREF CPlymSkinObjectFrame::SkinFrameView::GetClientEdgeColor() {
    return m_frame->GetClientEdgeColor();
}

const char* CPlymSkinObjectFrame::SkinFrameView::GetThemeClassName() const {
    return m_frame->m_themeClassName.c_str();
}

plym::ScrollBarTracking CPlymSkinObjectFrame::SkinFrameView::GetScrollTracking(
    const plym::ScrollBarPosInfo& bar) const {
    plym::ScrollBarTracking tracking;
    const SCROLLBARTRACKINFO* info = m_frame->m_tracking.get();
    if (!info || !info->notify)
        return tracking;
    tracking.active = true;
    tracking.onThisBar = info->bar == &bar || (info->bar && info->bar->barKind == bar.barKind);
    tracking.draggingThumb = info->dragging != FALSE;
    tracking.overPressed = info->over != FALSE;
    return tracking;
}

void CPlymSkinObjectFrame::CCaptionButton::DrawButton(HDC dc, BOOL active) {
    CPlymSkinManagerSchema* schema = m_frame->GetActiveSchema();
    if (!schema)
        return;
    const bool isHot = m_frame->m_hotButton == this;
    const bool isPressed = m_frame->m_pressedButton == this;
    const bool otherPressed = m_frame->m_pressedButton && !isPressed;
    const int state =
        plym::CaptionButtonState(m_enabled != FALSE, isHot, isPressed, otherPressed, active != FALSE);
    schema->DrawThemeBackground(dc, schema->GetThemeClass("WINDOW"), m_part, state, &m_rect);
}

// ---- caption buttons, hot state, hit test -----------------------------------------------

void CPlymSkinObjectFrame::UpdateCaptionButtons() {
    const DWORD style = Style();
    const DWORD exStyle = ExStyle();
    if (style == m_lastStyle && exStyle == m_lastExStyle)
        return;
    ClearButtons();
    m_lastStyle = style;
    m_lastExStyle = exStyle;
    if ((style & WS_CAPTION) != WS_CAPTION)
        return;
    bool closeGrayed = false;
    if (style & WS_SYSMENU) {
        if (HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
            const UINT state = ::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
            closeGrayed = state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED));
        }
    }
    for (const plym::CaptionButtonPlan& plan : plym::CaptionButtonsFor(style, exStyle, closeGrayed)) {
        auto* button = new CCaptionButton;
        button->m_hitCode = plan.hitCode;
        button->m_part = plan.part;
        button->m_frame = this;
        button->m_command = plan.command;
        button->m_enabled = plan.enabled ? TRUE : FALSE;
        m_buttons.push_back(button);
    }
}

CPlymSkinObjectFrame::CCaptionButton* CPlymSkinObjectFrame::CaptionButtonFromPoint(int x, int y) {
    const POINT p = ScreenToWindowPoint(x, y);
    const DWORD style = Style();
    const bool maximizedTop = (style & WS_MAXIMIZE) && !(style & WS_CHILD);
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        CCaptionButton* button = m_buttons[i];
        if (!button->m_enabled)
            continue;
        RECT r = button->m_rect;
        if (maximizedTop) {
            r.top -= 2;
            if (i == 0)
                r.right += 2;
        }
        if (PtInRect(&r, p))
            return button;
    }
    return nullptr;
}

int CPlymSkinObjectFrame::HitTest(int x, int y) {
    const POINT p = ScreenToWindowPoint(x, y);
    if (m_vertBar.present && ScrollBarHitTest(&m_vertBar, p.x, p.y))
        return HTVSCROLL;
    if (m_horzBar.present && ScrollBarHitTest(&m_horzBar, p.x, p.y))
        return HTHSCROLL;
    if (m_vertBar.present && m_horzBar.present) {
        const RECT& v = ToWinRect(m_vertBar.barRect);
        const RECT& h = ToWinRect(m_horzBar.barRect);
        const RECT corner{std::min(v.left, v.right), h.top, std::max(v.left, v.right), h.bottom};
        if (PtInRect(&corner, p) && IsSizeGripVisible())
            return (ExStyle() & WS_EX_LAYOUTRTL) ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
    }
    if (CCaptionButton* button = CaptionButtonFromPoint(x, y))
        return button->m_hitCode;
    return 0;
}

BOOL CPlymSkinObjectFrame::UpdateHotState(int x, int y) {
    const bool clear = x == -1 && y == -1;
    CCaptionButton* button = clear ? nullptr : CaptionButtonFromPoint(x, y);
    if (button != m_hotButton) {
        m_hotButton = button;
        if (!button)
            ::KillTimer(m_hWnd, kHotStateTimer);
        RepaintNonClient();
        if (button) {
            ::SetTimer(m_hWnd, kHotStateTimer, 50, &FrameTimerProc);
            return TRUE;
        }
    }
    if (m_tracking)
        return TRUE;
    BOOL hot = m_hotButton != nullptr;
    const POINT p = clear ? POINT{INT_MIN / 2, INT_MIN / 2} : ScreenToWindowPoint(x, y);
    bool earlierHot = false;
    for (SCROLLBARPOSINFO* bar : {&m_horzBar, &m_vertBar}) {
        if (!bar->present)
            continue;
        const int part = clear ? 0 : ScrollBarHitTest(bar, p.x, p.y);
        if (part != bar->hotPart) {
            bar->hotPart = part;
            if (!part && !earlierHot && !m_hotButton)
                ::KillTimer(m_hWnd, kHotStateTimer);
            RedrawScrollBar(bar);
        }
        if (part) {
            ::SetTimer(m_hWnd, kHotStateTimer, 50, &FrameTimerProc);
            earlierHot = true;
            hot = TRUE;
        }
    }
    return hot;
}

void CALLBACK CPlymSkinObjectFrame::FrameTimerProc(HWND window, UINT message, UINT_PTR id, DWORD /*time*/) {
    if (message != WM_TIMER)
        return;
    CPlymSkinObjectFrame* frame = FrameOf(window);
    if (!frame) {
        ::KillTimer(window, id);
        return;
    }
    if (id == kScrollStateTimer) {
        ::KillTimer(window, id);
        frame->RefreshScrollBarStyles();
        return;
    }
    if (id != kHotStateTimer || ::GetCapture())
        return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const int code = frame->HitTest(cursor.x, cursor.y);
    RECT windowRect{};
    ::GetWindowRect(window, &windowRect);
    if (code && code != HTCLIENT && code != HTBOTTOMLEFT && code != HTBOTTOMRIGHT &&
        PtInRect(&windowRect, cursor))
        return;
    ::KillTimer(window, id);
    frame->UpdateHotState(-1, -1);
}

void CALLBACK CPlymSkinObjectFrame::ScrollStateTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time) {
    FrameTimerProc(window, message, id, time);
}

CPlymSkinObjectFrame::CCaptionButton* CPlymSkinObjectFrame::FindCaptionButton(int hitCode, UINT command) {
    for (CCaptionButton* button : m_buttons) {
        if (button->m_hitCode == hitCode && button->m_command == command)
            return button;
    }
    return nullptr;
}

void CPlymSkinObjectFrame::TrackCaptionButton() {
    if (!m_hotButton)
        return;
    // The buttons can be rebuilt while the press lasts (a style change,
    // DrawMenuBar, a skin change): the held button is known by its hit code
    // and command, and found afresh after every message.
    const int hitCode = m_hotButton->m_hitCode;
    const UINT command = m_hotButton->m_command;
    bool over = true;  // the cursor is over the held button
    const auto follow = [&] {
        CCaptionButton* held = FindCaptionButton(hitCode, command);
        CCaptionButton* pressed = over ? held : nullptr;
        const bool changed = pressed != m_pressedButton;
        m_hotButton = held;
        m_pressedButton = pressed;
        if (changed)
            RepaintNonClient();
    };
    ::SetCapture(m_hWnd);
    m_pressedButton = m_hotButton;
    RepaintNonClient();
    BOOL clicked = FALSE;
    MSG msg{};
    for (;;) {
        if (::GetCapture() != m_hWnd)
            break;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_LBUTTONUP) {
            follow();
            clicked = m_pressedButton != nullptr;
            break;
        }
        if (msg.message == WM_NCMOUSELEAVE)
            continue;
        if (msg.message == WM_MOUSEMOVE) {
            POINT p = PointOf(msg.lParam);
            ::ClientToScreen(msg.hwnd, &p);
            const POINT w = ScreenToWindowPoint(p.x, p.y);
            const CCaptionButton* held = FindCaptionButton(hitCode, command);
            over = held && PtInRect(&held->m_rect, w);
            follow();
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        follow();
    }
    m_hotButton = nullptr;
    m_pressedButton = nullptr;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    RepaintNonClient();
    if (clicked)
        ::SendMessageA(m_hWnd, WM_SYSCOMMAND, command, 0);
}

// ---- painting ----------------------------------------------------------------------------

void CPlymSkinObjectFrame::PaintNonClient(HDC dc) {
    if (m_ncGuard > 0)
        return;
    CPlymSkinManagerSchema* schema = GetActiveSchema();
    if (!schema || !dc)
        return;
    schema->DrawThemeFrameCaption(dc, &m_skinFrame);
    const bool dragging = m_tracking && m_tracking->dragging && m_tracking->nonClient;
    for (SCROLLBARPOSINFO* bar : {&m_vertBar, &m_horzBar}) {
        if (!bar->present)
            continue;
        if (!dragging)
            SetupScrollBar(bar);
        const plym::Rect& r = bar->barRect;
        if (r.IsEmpty())
            continue;
        CPlymBufferDCEx buffer(dc, r.left, r.top, r.right, r.bottom);
        DrawScrollBar(buffer.m_hDC, bar);
    }
    if (m_vertBar.present && m_horzBar.present) {
        const plym::Rect& v = m_vertBar.barRect;
        const plym::Rect& h = m_horzBar.barRect;
        RECT corner = (ExStyle() & WS_EX_LEFTSCROLLBAR) ? RECT{v.left, v.bottom, h.left, h.bottom}
                                                        : RECT{h.right, v.bottom, v.right, h.bottom};
        if (corner.right > corner.left && corner.bottom > corner.top) {
            PlymFillSolidRect(dc, corner, schema->GetFaceColor(m_hWnd));
            if (IsSizeGripVisible())
                schema->DrawThemeBackground(dc, schema->GetThemeClass("SCROLLBAR"), 10, 1, &corner);
        }
    }
}

void CPlymSkinObjectFrame::RepaintNonClient() {
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return;
    if (!(ActiveOptions() & kPlymHookFrames)) {
        ::SendMessageA(m_hWnd, WM_NCPAINT, 1, 0);
        return;
    }
    HDC dc = ::GetWindowDC(m_hWnd);
    if (!dc)
        return;
    PaintNonClient(dc);
    ::ReleaseDC(m_hWnd, dc);
}

BOOL CPlymSkinObjectFrame::IsSizeGripVisible() {
    HWND window = m_hWnd;
    HWND sizing = nullptr;
    while (window) {
        const DWORD style = StyleOf(window);
        if (style & WS_THICKFRAME) {
            sizing = window;
            break;
        }
        if (!(style & WS_CHILD) || (style & WS_CAPTION) == WS_CAPTION)
            return FALSE;
        window = ::GetParent(window);
    }
    if (!sizing || ::IsZoomed(sizing))
        return FALSE;
    RECT mine{};
    ::GetWindowRect(m_hWnd, &mine);
    RECT client{};
    ::GetClientRect(sizing, &client);
    ::MapWindowPoints(sizing, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const CPlymSkinManagerMetrics* metrics = GetSkinMetrics();
    const int edgeX = metrics ? metrics->EdgeWidth() : GetSystemMetrics(SM_CXEDGE);
    const int edgeY = metrics ? metrics->EdgeHeight() : GetSystemMetrics(SM_CYEDGE);
    return mine.right + edgeX >= client.right && mine.bottom + edgeY >= client.bottom;
}

// ---- brushes and colours -----------------------------------------------------------------

HBRUSH CPlymSkinObjectFrame::GetClientBrush(HDC dc) {
    return GetParentCtlBrush(dc, GetClientBrushMessage());
}

HBRUSH CPlymSkinObjectFrame::GetParentCtlBrush(HDC dc, UINT message) {
    const CPlymSkinManagerMetrics* metrics = GetSkinMetrics();
    const auto colorBrush = [metrics](int n) {
        HBRUSH brush = metrics ? metrics->GetColorBrush(n) : nullptr;
        return brush ? brush : GetSysColorBrush(n);
    };
    const bool windowColored = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    const HWND parent = (Style() & WS_CHILD) ? ::GetParent(m_hWnd) : nullptr;
    if (!parent)
        return colorBrush(COLOR_BTNFACE);
    const LRESULT answer =
        ::SendMessageA(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd));
    if (answer > 0 && answer < 31)
        return colorBrush(static_cast<int>(answer) - 1);
    if (answer)
        return reinterpret_cast<HBRUSH>(answer);
    return colorBrush(windowColored ? COLOR_WINDOW : COLOR_BTNFACE);
}

HBRUSH CPlymSkinObjectFrame::FillParentBackground(HDC dc, const RECT& rect, UINT message) {
    const HWND parent = (Style() & WS_CHILD) ? ::GetParent(m_hWnd) : nullptr;
    LRESULT answer = 0;
    if (parent)
        answer =
            ::SendMessageA(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd));
    if (!answer) {
        PlymFillSolidRect(dc, rect, GetSkinColor(COLOR_BTNFACE));
        const CPlymSkinManagerMetrics* metrics = GetSkinMetrics();
        HBRUSH face = metrics ? metrics->GetColorBrush(COLOR_BTNFACE) : nullptr;
        return face ? face : GetSysColorBrush(COLOR_BTNFACE);
    }
    HBRUSH brush = GetParentCtlBrush(dc, message);
    FillRect(dc, &rect, brush);
    return brush;
}

HBRUSH CPlymSkinObjectFrame::GetDialogBackgroundBrush(HDC dc, HWND child, UINT /*type*/) {
    CPlymSkinManagerMetrics* metrics = GetSkinMetrics();
    HBRUSH dialogBrush = metrics ? metrics->GetFaceBrush() : GetSysColorBrush(COLOR_BTNFACE);
    if (m_dialogKind == kTabPageDialog && metrics) {
        if (m_tabPaneMetrics != metrics) {
            if (m_tabPaneBrush)
                DeleteObject(m_tabPaneBrush);
            m_tabPaneBrush = nullptr;
            m_tabPaneMetrics = metrics;
            CPlymSkinManagerSchema* schema = GetActiveSchema();
            CPlymSkinManagerClass* tab = schema ? schema->GetThemeClass("TAB") : nullptr;
            const std::string path = tab ? tab->GetThemeString(10, 0, 3007, "") : std::string();
            IPlymSkinImage* image = path.empty() ? nullptr : tab->FetchImage(path);
            if (image && image->PixelWidth() > 0 && image->PixelHeight() > 0) {
                const RECT whole{0, 0, image->PixelWidth(), image->PixelHeight()};
                HDC screen = ::GetDC(nullptr);
                HBITMAP bitmap = CreateCompatibleBitmap(screen, whole.right, whole.bottom);
                ::ReleaseDC(nullptr, screen);
                if (bitmap) {
                    {
                        CBitmapDC paint(nullptr, bitmap);
                        if (paint.IsReady())
                            image->PaintPart(paint.m_hDC, whole, whole, RECT{}, CLR_INVALID, 0, FALSE);
                    }
                    m_tabPaneBrush = CreatePatternBrush(bitmap);
                    DeleteObject(bitmap);
                }
            }
        }
        if (!m_tabPaneBrush)
            return dialogBrush;
        if (child && child != m_hWnd) {
            RECT mine{};
            RECT theirs{};
            ::GetWindowRect(m_hWnd, &mine);
            ::GetWindowRect(child, &theirs);
            SetBrushOrgEx(dc, mine.left - theirs.left, mine.top - theirs.top, nullptr);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSkinColor(COLOR_BTNTEXT));
        }
        return m_tabPaneBrush;
    }
    SetBkColor(dc, GetSkinColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSkinColor(COLOR_BTNTEXT));
    return dialogBrush;
}

BOOL CPlymSkinObjectFrame::OnCtlColorMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (m_themeClassName == "COMBOBOX" || !GetSkinMetrics())
        return FALSE;
    const auto dc = reinterpret_cast<HDC>(wParam);
    const auto child = reinterpret_cast<HWND>(lParam);
    switch (message) {
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            SetBkColor(dc, GetSkinColor(COLOR_WINDOW));
            SetTextColor(dc, GetSkinColor(COLOR_WINDOWTEXT));
            *result = reinterpret_cast<LRESULT>(GetSkinMetrics()->GetWindowBrush());
            return TRUE;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
            *result =
                reinterpret_cast<LRESULT>(GetDialogBackgroundBrush(dc, child, message - WM_CTLCOLORMSGBOX));
            return TRUE;
        default:
            return FALSE;
    }
}

// ---- routes --------------------------------------------------------------------------------

BOOL CPlymSkinObjectFrame::IsPassThroughMessage(UINT message) {
    const DWORD options = ActiveOptions();
    if (message == WM_ENTERIDLE && (options & kPlymHookFrames)) {
        constexpr DWORD kAll = WS_CAPTION | WS_VISIBLE | WS_MINIMIZE;
        if ((Style() & kAll) == kAll)
            RepaintNonClient();
    }
    if (message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK)
        g_menuKeyPending = FALSE;
    if (m_ncGuard > 0 &&
        (message == WM_NCCALCSIZE || message == WM_STYLECHANGED || message == WM_STYLECHANGING))
        return TRUE;
    if (!(options & kPlymHookFrames)) {
        switch (message) {
            case WM_NCPAINT:
            case WM_NCCALCSIZE:
            case WM_NCHITTEST:
            case WM_NCLBUTTONDOWN:
            case WM_NCLBUTTONDBLCLK:
            case WM_WINDOWPOSCHANGED:
            case WM_NCMOUSEMOVE:
            case WM_NCMOUSELEAVE:
            case WM_NCACTIVATE:
            case WM_WINDOWPOSCHANGING:
            case WM_PRINT:
                return TRUE;
            default:
                break;
        }
    }
    return CPlymSkinObject::IsPassThroughMessage(message);
}

BOOL CPlymSkinObjectFrame::IsDefaultProcOnly(UINT message) {
    const BOOL base = CPlymSkinObject::IsDefaultProcOnly(message);
    // A window subclassed by force keeps its own procedure first, but its
    // tracking limits are the frame's.
    if (base && message == WM_GETMINMAXINFO && m_forceSubclass && IsSubclassed())
        return FALSE;
    return base;
}

BOOL CPlymSkinObjectFrame::RouteSubclassMessage(UINT message,
                                                WPARAM* wParam,
                                                LPARAM* lParam,
                                                LRESULT* result) {
    const bool ctlColor = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
    if (ctlColor && !IsPassThroughMessage(message) &&
        (!IsDefaultProcOnly(message) || (m_dialogKind == kTabPageDialog && IsSkinningOff())))
        return OnCtlColorMsg(message, *wParam, *lParam, result);
    if (message == WM_ERASEBKGND && m_dialogKind == kTabPageDialog && GetSkinMetrics()) {
        const auto dc = reinterpret_cast<HDC>(*wParam);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        FillRect(dc, &client, GetDialogBackgroundBrush(dc, m_hWnd, CTLCOLOR_DLG));
        *result = TRUE;
        return TRUE;
    }
    return CPlymSkinObject::RouteSubclassMessage(message, wParam, lParam, result);
}

BOOL CPlymSkinObjectFrame::RouteDefProcMessage(UINT message,
                                               WPARAM* wParam,
                                               LPARAM* lParam,
                                               LRESULT* result) {
    return CPlymSkinObject::RouteDefProcMessage(message, wParam, lParam, result);
}

// ---- life ----------------------------------------------------------------------------------

void CPlymSkinObjectFrame::ApplySkinChange(BOOL previous, BOOL now) {
    if (now) {
        RefreshScrollBarStyles();
        if (!previous)
            m_active = ::SendMessageA(m_hWnd, kIsActiveIcon, 0, 0) != 0;
    }
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ReloadSkinMetrics();
    m_regionCx = 0;
    m_regionCy = 0;
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    UpdateFrameRegion(window.right - window.left, window.bottom - window.top);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CPlymSkinObjectFrame::ReloadSkinMetrics() {
    CPlymSkinObject::ReloadSkinMetrics();
    m_regionCx = 0;
    m_regionCy = 0;
    m_lastStyle = static_cast<DWORD>(-1);
    ::PostMessageA(m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
}

void CPlymSkinObjectFrame::AfterSubclass(const CREATESTRUCTA* create, BOOL automatic) {
    CPlymSkinObject::AfterSubclass(create, automatic);
    if (!automatic)
        AdjustFrameToSkin();
}

void CPlymSkinObjectFrame::BeforeUnsubclass(BOOL destroying) {
    if (!destroying && m_regionApplied && m_hWnd && ::IsWindow(m_hWnd)) {
        ::SetWindowRgn(m_hWnd, nullptr, TRUE);
        m_regionApplied = FALSE;
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    ::KillTimer(m_hWnd, kHotStateTimer);
}

void CPlymSkinObjectFrame::OnDrawMenuBar() {
    m_lastStyle = static_cast<DWORD>(-1);
    UpdateCaptionButtons();
    RefreshMenuBar();
    RepaintNonClient();
}

void CPlymSkinObjectFrame::AdjustFrameToSkin() {
    CPlymSkinManager* manager = GetManager();
    if (!manager || !manager->IsEnabled() || !HasFullCaption())
        return;
    const DWORD style = Style();
    if ((manager->GetHookedGroups() & kPlymHookMetrics) && !(style & WS_CHILD)) {
        using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD);
        const auto system = reinterpret_cast<AdjustFn>(
            reinterpret_cast<void (*)()>(PlymSystemFunction(plym::kHookAdjustWindowRectEx)));
        const auto skin = reinterpret_cast<AdjustFn>(
            reinterpret_cast<void (*)()>(PlymHookReplacement(plym::kHookAdjustWindowRectEx)));
        RECT window{};
        ::GetWindowRect(m_hWnd, &window);
        RECT bySystem = window;
        RECT bySkin = window;
        if (system && skin && system(&bySystem, style, FALSE, ExStyle()) &&
            skin(&bySkin, style, FALSE, ExStyle())) {
            const int dx = (bySkin.right - bySkin.left) - (bySystem.right - bySystem.left);
            const int dy = (bySkin.bottom - bySkin.top) - (bySystem.bottom - bySystem.top);
            if (dx || dy)
                ::SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left + dx,
                               window.bottom - window.top + dy,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
    }
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    UpdateFrameRegion(window.right - window.left, window.bottom - window.top);
}

void CPlymSkinObjectFrame::UpdateFrameRegion(int cx, int cy) {
    if (m_regionBusy || !m_hWnd)
        return;
    m_regionBusy = TRUE;
    if (!HasFullCaption()) {
        if (m_regionApplied) {
            m_regionApplied = FALSE;
            ::SetWindowRgn(m_hWnd, nullptr, TRUE);
        }
    } else if (cx != m_regionCx || cy != m_regionCy) {
        CPlymSkinManagerSchema* schema = GetActiveSchema();
        if (schema && (ActiveOptions() & kPlymHookFrames)) {
            schema->GetFrameBorders(&m_borders, Style(), ExStyle());
            if (HRGN region = schema->GetFrameRegion(&m_skinFrame, cx, cy)) {
                if (::SetWindowRgn(m_hWnd, region, TRUE))
                    m_regionApplied = TRUE;
                else
                    DeleteObject(region);
            }
        } else if (m_regionApplied) {
            m_regionApplied = FALSE;
            ::SetWindowRgn(m_hWnd, nullptr, TRUE);
        }
    }
    m_regionCx = cx;
    m_regionCy = cy;
    m_regionBusy = FALSE;
}

void CPlymSkinObjectFrame::SendGuardedNcCalcSize() {
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    if ((Style() & WS_CHILD) && ::GetParent(m_hWnd))
        ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&window), 2);
    ++m_ncGuard;
    ::SendMessageA(m_hWnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&window));
    --m_ncGuard;
}

void CPlymSkinObjectFrame::RefreshScrollBarStyles() {
    if (!(ActiveOptions() & kPlymHookFrames) || !::IsWindow(m_hWnd))
        return;
    constexpr DWORD kBits = WS_HSCROLL | WS_VSCROLL | WS_DLGFRAME;
    const DWORD style = Style();
    if (!(style & kBits))
        return;
    ++m_ncGuard;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(style & ~kBits));
    SendGuardedNcCalcSize();
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(style));
    --m_ncGuard;
}

// ---- system commands -----------------------------------------------------------------------

BOOL CPlymSkinObjectFrame::HandleSysCommand(UINT command, LPARAM lParam) {
    if (!(ActiveOptions() & kPlymHookPopupMenus))
        return FALSE;
    if (command == SC_MOUSEMENU)
        return TRUE;
    if (command != SC_KEYMENU)
        return FALSE;
    if (!(Style() & WS_CHILD))
        return TRUE;
    HWND window = m_hWnd;
    while (window && (StyleOf(window) & WS_CHILD) && !(StyleOf(window) & WS_SYSMENU))
        window = ::GetParent(window);
    if (window && window != m_hWnd && (::GetMenu(window) || (StyleOf(window) & WS_SYSMENU))) {
        if (CPlymSkinObjectFrame* frame = FrameOf(window))
            frame->HandleSysCommand(command, lParam);
    }
    return TRUE;
}

// ---- message handlers ----------------------------------------------------------------------

BOOL CPlymSkinObjectFrame::OnCreateMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const LRESULT created = DefWindowProc(WM_CREATE, wParam, lParam);
    if (created != -1)
        AdjustFrameToSkin();
    *result = created == -1 ? -1 : 0;
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnNcPaintMsg(WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT* result) {
    if (FlatScrollBarsActive(m_hWnd))
        return FALSE;
    UpdateCaptionButtons();
    HDC dc = ::GetWindowDC(m_hWnd);
    if (dc) {
        PaintNonClient(dc);
        ::ReleaseDC(m_hWnd, dc);
    }
    *result = 0;
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnNcCalcSizeMsg(WPARAM /*wParam*/, LPARAM lParam, LRESULT* result) {
    if (FlatScrollBarsActive(m_hWnd)) {
        m_horzBar.present = 0;
        m_vertBar.present = 0;
        return FALSE;
    }
    CPlymSkinManagerSchema* schema = GetActiveSchema();
    auto* rect = reinterpret_cast<RECT*>(lParam);  // the first rectangle either way
    if (!schema || !rect)
        return FALSE;
    const DWORD style = Style();
    const DWORD exStyle = ExStyle();
    schema->GetFrameBorders(&m_borders, style, exStyle);
    rect->left += m_borders.left;
    rect->top += m_borders.top;
    rect->right -= m_borders.right;
    rect->bottom -= m_borders.bottom;
    m_vertBar.present = (style & WS_VSCROLL) ? 1 : 0;
    m_horzBar.present = (style & WS_HSCROLL) ? 1 : 0;
    const CPlymSkinManagerMetrics* metrics = schema->GetMetrics();
    if (m_vertBar.present) {
        if (exStyle & (WS_EX_LEFTSCROLLBAR | WS_EX_LAYOUTRTL))
            rect->left += metrics->VScrollWidth();
        else
            rect->right -= metrics->VScrollWidth();
    }
    if (m_horzBar.present)
        rect->bottom -= metrics->HScrollHeight();
    if (rect->bottom < rect->top)
        rect->bottom = rect->top;
    if (rect->right < rect->left)
        rect->right = rect->left;
    *result = 0;
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnNcHitTestMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const LRESULT byDefault = DefWindowProc(WM_NCHITTEST, wParam, lParam);
    const POINT p = PointOf(lParam);
    if (const int own = HitTest(p.x, p.y)) {
        *result = own;
        return TRUE;
    }
    switch (byDefault) {
        case HTCLOSE:
        case HTMAXBUTTON:
        case HTMINBUTTON:
        case HTHELP:
        case HTMENU:
            *result = HTCAPTION;
            break;
        case HTVSCROLL:
        case HTHSCROLL:
            *result = FlatScrollBarsActive(m_hWnd) ? byDefault : HTCLIENT;
            break;
        default:
            *result = byDefault;
            break;
    }
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnNcMouseMoveMsg(WPARAM /*wParam*/, LPARAM lParam, LRESULT* result) {
    const POINT p = PointOf(lParam);
    *result = 0;
    return UpdateHotState(p.x, p.y);
}

BOOL CPlymSkinObjectFrame::OnNcMouseLeaveMsg(WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT* result) {
    *result = 0;
    return UpdateHotState(-1, -1);
}

BOOL CPlymSkinObjectFrame::OnNcLButtonDownMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    if (m_hotButton) {
        TrackCaptionButton();
        return TRUE;
    }
    const POINT screen = PointOf(lParam);
    const POINT p = ScreenToWindowPoint(screen.x, screen.y);
    for (SCROLLBARPOSINFO* bar : {&m_vertBar, &m_horzBar}) {
        if (bar->present && ScrollBarHitTest(bar, p.x, p.y)) {
            TrackScrollBar(p.x, p.y, bar, GetKeyState(VK_SHIFT) < 0);
            return TRUE;
        }
    }
    switch (wParam) {
        case HTMAXBUTTON:
        case HTMINBUTTON:
        case HTCLOSE:
        case HTHELP:
            return TRUE;
        default:
            return FALSE;
    }
}

BOOL CPlymSkinObjectFrame::OnNcRButtonUpMsg(WPARAM /*wParam*/, LPARAM lParam, LRESULT* result) {
    const POINT screen = PointOf(lParam);
    const POINT p = ScreenToWindowPoint(screen.x, screen.y);
    const bool onBar = (m_vertBar.present && ScrollBarHitTest(&m_vertBar, p.x, p.y)) ||
                       (m_horzBar.present && ScrollBarHitTest(&m_horzBar, p.x, p.y));
    if (!onBar)
        return FALSE;
    SendGuardedNcCalcSize();
    ::SendMessageA(m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), lParam);
    RefreshScrollBarStyles();
    *result = 0;
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnNcActivateMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!HasFullCaption())
        return FALSE;
    if (m_dialogKind == kDialog) {
        const bool wide = ::SendMessageA(m_hWnd, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(m_hWnd),
                                         NF_QUERY) == NFR_UNICODE;
        const LONG_PTR word =
            wide ? ::GetWindowLongPtrW(m_hWnd, DWLP_DLGPROC) : ::GetWindowLongPtrA(m_hWnd, DWLP_DLGPROC);
        const auto address = static_cast<uintptr_t>(word);
        if (address && ((address >> 16) & 0xFFFF) != 0xFFFF) {
            const auto procedure = reinterpret_cast<DLGPROC>(word);
            procedure(m_hWnd, WM_NCACTIVATE, wParam, lParam);
        }
    }
    BOOL state = wParam != 0;
    if (!state && !::IsWindowEnabled(m_hWnd))
        state = FALSE;
    if (ExStyle() & WS_EX_MDICHILD) {
        if (HWND client = ::GetParent(m_hWnd)) {
            const auto active = reinterpret_cast<HWND>(::SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
            if (active && active != m_hWnd) {
                ::SendMessageA(active, WM_NCACTIVATE, state, 0);
                ::SendMessageA(active, WM_NCPAINT, 1, 0);
            }
        }
    }
    m_active = state;
    RepaintNonClient();
    *result = TRUE;
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnSetTextMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!HasFullCaption() || !(ActiveOptions() & kPlymHookFrames))
        return FALSE;
    *result = DefWindowProc(WM_SETTEXT, wParam, lParam);
    RepaintNonClient();
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnStyleChangedMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_STYLECHANGED, wParam, lParam);
    if (CPlymSkinManagerSchema* schema = GetActiveSchema())
        schema->GetFrameBorders(&m_borders, Style(), ExStyle());
    m_regionCx = 0;
    m_regionCy = 0;
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    UpdateFrameRegion(window.right - window.left, window.bottom - window.top);
    if (HasFullCaption())
        ::PostMessageA(m_hWnd, WM_NCPAINT, 1, 0);
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnWindowPosChangingMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_WINDOWPOSCHANGING, wParam, lParam);
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (pos && !(pos->flags & SWP_NOSIZE) && !(ExStyle() & WS_EX_LAYOUTRTL)) {
        RECT window{};
        ::GetWindowRect(m_hWnd, &window);
        if (pos->cx != window.right - window.left || pos->cy != window.bottom - window.top)
            UpdateFrameRegion(pos->cx, pos->cy);
    }
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnWindowPosChangedMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_WINDOWPOSCHANGED, wParam, lParam);
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (pos && !(pos->flags & SWP_NOSIZE) && (pos->cx != m_regionCx || pos->cy != m_regionCy))
        UpdateFrameRegion(pos->cx, pos->cy);
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnPrintMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    if (static_cast<DWORD>(lParam) != PRF_NONCLIENT) {
        ++m_ncGuard;
        *result = DefWindowProc(WM_PRINT, wParam, lParam);
        --m_ncGuard;
    }
    if (lParam & PRF_NONCLIENT) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        if (!FlatScrollBarsActive(m_hWnd)) {
            m_vertBar.present = (Style() & WS_VSCROLL) ? 1 : 0;
            m_horzBar.present = (Style() & WS_HSCROLL) ? 1 : 0;
        }
        if ((ExStyle() & WS_EX_LAYOUTRTL) && !HasRTLLayout(dc))
            PlymSetLayout(dc, LAYOUT_RTL);
        UpdateCaptionButtons();
        PaintNonClient(dc);
    }
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnGetMinMaxInfoMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_GETMINMAXINFO, wParam, lParam);
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    const DWORD options = ActiveOptions();
    if (!info || !(options & kPlymHookFrames))
        return TRUE;
    if (HasFullCaption()) {
        UpdateCaptionButtons();
        const int width = plym::MinimumTrackWidth(GetCaptionButtonCount(), m_borders.top,
                                                  GetSystemMetrics(SM_CYSIZE), GetSystemMetrics(SM_CXEDGE));
        info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, width);
        info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, m_borders.top + m_borders.bottom);
    }
    if ((options & kPlymHookMetrics) && (ExStyle() & WS_EX_MDICHILD)) {
        info->ptMaxSize.y += m_borders.top + info->ptMaxPosition.y;
        info->ptMaxPosition.y = -m_borders.top;
    }
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnSysCommandMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const UINT command = static_cast<UINT>(wParam) & 0xFFF0;
    const DWORD options = ActiveOptions();
    constexpr DWORD kMdiOptions = kPlymHookMetrics | kPlymHookFrames;
    if (command == SC_MAXIMIZE && (options & kMdiOptions) == kMdiOptions && (ExStyle() & WS_EX_MDICHILD) &&
        !::IsZoomed(m_hWnd)) {
        *result = DefWindowProc(WM_SYSCOMMAND, wParam, lParam);
        if (HWND client = ::GetParent(m_hWnd)) {
            RECT area{};
            ::GetClientRect(client, &area);
            ::SetWindowPos(m_hWnd, nullptr, -m_borders.left, -m_borders.top,
                           area.right + m_borders.left + m_borders.right,
                           area.bottom + m_borders.top + m_borders.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return TRUE;
    }
    if (HandleSysCommand(command, lParam)) {
        *result = 0;
        return TRUE;
    }
    if (command == SC_MOVE && ::IsIconic(m_hWnd) && (options & kPlymHookFrames)) {
        DefWindowProc(WM_NCPAINT, 1, 0);
        RepaintNonClient();
    }
    *result = DefWindowProc(WM_SYSCOMMAND, wParam, lParam);
    if (command == SC_MINIMIZE && (options & kPlymHookFrames))
        RepaintNonClient();
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnEraseBkgndMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const CPlymSkinManagerMetrics* metrics = GetSkinMetrics();
    const auto classBrush = static_cast<uintptr_t>(::GetClassLongPtrA(m_hWnd, GCLP_HBRBACKGROUND));
    if (!metrics || classBrush < 1 || classBrush > 30)
        return FALSE;
    HBRUSH skinBrush = metrics->GetColorBrush(static_cast<int>(classBrush) - 1);
    if (!skinBrush)
        return FALSE;
    ::SetClassLongPtrA(m_hWnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(skinBrush));
    *result = DefWindowProc(WM_ERASEBKGND, wParam, lParam);
    ::SetClassLongPtrA(m_hWnd, GCLP_HBRBACKGROUND, static_cast<LONG_PTR>(classBrush));
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnSysKeyDownMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (wParam != VK_MENU || (lParam & (1 << 30)))
        return FALSE;
    g_menuKeyPending = TRUE;
    *result = 0;
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnSysKeyUpMsg(WPARAM wParam, LPARAM /*lParam*/, LRESULT* result) {
    if (wParam != VK_MENU || !g_menuKeyPending)
        return FALSE;
    g_menuKeyPending = FALSE;
    HWND top = m_hWnd;
    while (top && (StyleOf(top) & WS_CHILD) && ::GetParent(top))
        top = ::GetParent(top);
    ::SendMessageA(top, WM_SYSCOMMAND, SC_KEYMENU, 0);
    *result = 0;
    return TRUE;
}

BOOL CPlymSkinObjectFrame::OnKeyUpMsg(WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT* /*result*/) {
    return FALSE;
}
