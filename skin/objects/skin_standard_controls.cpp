// skin/objects/skin_standard_controls.cpp
//
// The skins of the system's controls: buttons, combo boxes, scroll bars, and
// the edit and list boxes that keep their own scroll bars.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "skin/core/draw_helpers.h"
#include "skin/core/schema_names.h"
#include "skin/core/skin_class.h"
#include "skin/core/skin_manager.h"
#include "skin/core/skin_metrics.h"
#include "skin/objects/control_skin_support.h"
#include "skin/objects/control_states.h"
#include "skin/objects/skin_controls.h"

using plymskin::FromRECT;

using plymskin::PointOf;
using plymskin::ToRECT;
using plymskin::TrackLeave;

namespace {

std::wstring WindowTextW(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::clamp(copied, 0, length)));
    return text;
}

// Runs `run` with WS_VISIBLE taken off the window's style, so that whatever
// the control paints meanwhile stays off the screen.
template <typename Run>
LRESULT RunHidden(HWND window, int* guard, Run run) {
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    const bool visible = (style & WS_VISIBLE) != 0;
    ++*guard;
    if (visible)
        ::SetWindowLongPtrW(window, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
    const LRESULT result = run();
    if (visible)
        ::SetWindowLongPtrW(window, GWL_STYLE, ::GetWindowLongPtrW(window, GWL_STYLE) | WS_VISIBLE);
    --*guard;
    return result;
}

}  // namespace

// ==== Button ================================================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectButton, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectButton, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_CREATE, OnCreateButton)
PLYM_SKIN_MESSAGE(WM_PAINT, OnPaintButton)
PLYM_SKIN_MESSAGE(WM_PRINTCLIENT, OnPaintButton)
WINLIB_ENTRY(WM_ERASEBKGND, 0, 0, 0, r = TRUE; return true;)
PLYM_SKIN_MESSAGE(WM_MOUSEMOVE, OnMouseMoveButton)
PLYM_SKIN_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveButton)
PLYM_SKIN_MESSAGE(WM_SETFOCUS, OnStateMessage)
PLYM_SKIN_MESSAGE(WM_KILLFOCUS, OnStateMessage)
PLYM_SKIN_MESSAGE(WM_ENABLE, OnStateMessage)
PLYM_SKIN_MESSAGE(WM_CAPTURECHANGED, OnStateMessage)
PLYM_SKIN_MESSAGE(BM_SETCHECK, OnStateMessage)
PLYM_SKIN_MESSAGE(BM_SETSTYLE, OnStateMessage)
PLYM_SKIN_MESSAGE(WM_UPDATEUISTATE, OnStateMessage)
PLYM_SKIN_MESSAGE(BM_SETSTATE, OnSetStateButton)
PLYM_SKIN_MESSAGE(WM_SETTEXT, OnSetTextButton)
END_MESSAGE_MAP()

CPlymSkinObjectButton::CPlymSkinObjectButton() {
    m_themeClassName = "BUTTON";
}

int CPlymSkinObjectButton::Kind() const {
    return plym::ButtonKind(static_cast<uint32_t>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)), m_kindOverride);
}

BOOL CPlymSkinObjectButton::RouteSubclassMessage(UINT message,
                                                 WPARAM* wParam,
                                                 LPARAM* lParam,
                                                 LRESULT* result) {
    if (!plym::IsSkinnedButtonKind(Kind()))
        return FALSE;
    return CPlymSkinObjectFrame::RouteSubclassMessage(message, wParam, lParam, result);
}

BOOL CPlymSkinObjectButton::RouteDefProcMessage(UINT message,
                                                WPARAM* wParam,
                                                LPARAM* lParam,
                                                LRESULT* result) {
    if (!plym::IsSkinnedButtonKind(Kind()))
        return FALSE;
    return CPlymSkinObjectFrame::RouteDefProcMessage(message, wParam, lParam, result);
}

BOOL CPlymSkinObjectButton::IsDefaultProcOnly(UINT message) {
    if (message == WM_TIMER)
        return FALSE;
    const bool ctlColor = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
    if (!ctlColor && IsSubclassed())
        return FALSE;
    if (HasSystemProc())
        return TRUE;
    return CPlymSkinObjectFrame::IsDefaultProcOnly(message);
}

BOOL CPlymSkinObjectButton::OnCreateButton(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    OnCreateMsg(wParam, lParam, result);  // the default, then the frame fitted to the skin
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

void CPlymSkinObjectButton::PaintButton(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (Kind() == plym::kBsGroupBox) {
        DrawButton(dc, client);
        return;
    }
    CPlymBufferDC buffer(dc, client);
    FillParentBackground(buffer.GetSafeHdc(), client, WM_CTLCOLORBTN);
    DrawButton(buffer.GetSafeHdc(), client);
}

BOOL CPlymSkinObjectButton::OnPaintButton(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return plymskin::PaintMessage(this, wParam, lParam, result, [this](HDC dc) { PaintButton(dc); });
}

BOOL CPlymSkinObjectButton::OnMouseMoveButton(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_MOUSEMOVE, wParam, lParam);
    if (Kind() == plym::kBsGroupBox)
        return TRUE;
    plymskin::FollowHover(m_hWnd, &m_hot, lParam);
    return TRUE;
}

BOOL CPlymSkinObjectButton::OnMouseLeaveButton(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_MOUSELEAVE, wParam, lParam);
    plymskin::SetMark(m_hWnd, &m_hot, FALSE);
    return TRUE;
}

BOOL CPlymSkinObjectButton::OnStateMessage(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const MSG* current = AfxGetCurrentMessage();
    *result = DefWindowProc(current->message, wParam, lParam);
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectButton::OnSetStateButton(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = RunHidden(m_hWnd, &m_ncGuard, [&] { return DefWindowProc(BM_SETSTATE, wParam, lParam); });
    m_pushed = wParam != 0;
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectButton::OnSetTextButton(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = RunHidden(m_hWnd, &m_ncGuard, [&] {
        LRESULT answer = 0;
        if (!OnSetTextMsg(wParam, lParam, &answer))
            answer = DefWindowProc(WM_SETTEXT, wParam, lParam);
        return answer;
    });
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

void CPlymSkinObjectButton::DrawButton(HDC dc, const RECT& rect) {
    CPlymSkinManagerClass* theme = LookupThemeClass();
    if (!theme)
        return;
    const auto style = static_cast<uint32_t>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    plym::ButtonFacts facts;
    facts.style = style;
    facts.kind = Kind();
    facts.enabled = ::IsWindowEnabled(m_hWnd) != FALSE;
    facts.pushed = m_pushed != FALSE;
    facts.hot = m_hot || ::GetCapture() == m_hWnd;
    facts.check = static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
    const plym::PartState look = plym::ButtonPartState(facts);

    CPlymFontDC font(dc, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF textColor = facts.enabled ? GetSkinColor(COLOR_BTNTEXT) : GetSkinColor(COLOR_GRAYTEXT);
    const COLORREF oldText = ::SetTextColor(
        dc,
        look.part == plym::kButtonPartCheck
            ? theme->GetThemeColor(look.part, look.state, plym::kPropTextColor, GetSkinColor(COLOR_BTNTEXT))
            : textColor);
    const std::wstring text = WindowTextW(m_hWnd);
    const plym::TextPlacement placement = plym::ButtonTextPlacement(style, facts.kind);
    UINT format = placement.horizontal == plym::TextPlacement::kCenter  ? DT_CENTER
                  : placement.horizontal == plym::TextPlacement::kRight ? DT_RIGHT
                                                                        : DT_LEFT;
    if (placement.multiline) {
        format |= DT_WORDBREAK;
    } else {
        format |= DT_SINGLELINE;
        format |= placement.vertical == plym::TextPlacement::kTop      ? DT_TOP
                  : placement.vertical == plym::TextPlacement::kBottom ? DT_BOTTOM
                                                                       : DT_VCENTER;
    }
    if (plymskin::AcceleratorsHidden(m_hWnd))
        format |= DT_HIDEPREFIX;

    RECT content = rect;
    if (look.part == plym::kButtonPartGroup) {
        // The frame runs through the middle of the caption's line.
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        RECT frame = rect;
        frame.top += metrics.tmHeight / 2;
        theme->DrawThemeBackground(dc, look.part, look.state, &frame);
        if (!text.empty()) {
            RECT caption{rect.left + 8, rect.top, rect.right - 8, rect.top + metrics.tmHeight};
            RECT measured = caption;
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured,
                        DT_CALCRECT | DT_SINGLELINE | (format & DT_HIDEPREFIX));
            caption.right = std::min(caption.right, measured.right + 2);
            RECT strip = caption;
            strip.left -= 2;
            if (const CPlymSkinManagerMetrics* skinMetrics = GetSkinMetrics())
                strip.left = std::max(strip.left, rect.left + skinMetrics->EdgeWidth());
            FillParentBackground(dc, strip, WM_CTLCOLORBTN);
            theme->DrawThemeText(dc, look.part, look.state, text.c_str(), static_cast<int>(text.size()),
                                 DT_LEFT | DT_SINGLELINE | DT_VCENTER | (format & DT_HIDEPREFIX), &caption);
        }
        ::SetTextColor(dc, oldText);
        ::SetBkMode(dc, oldMode);
        return;
    }

    if (look.part == plym::kButtonPartPush) {
        theme->DrawThemeBackground(dc, look.part, look.state, &rect);
        ::InflateRect(&content, -3, -3);
        if (look.state == 3)
            ::OffsetRect(&content, 1, 1);
    } else {
        SIZE glyph{13, 13};
        SIZE skinGlyph{};
        if (theme->GetThemePartSize(look.part, 1, nullptr, 2, &skinGlyph) && skinGlyph.cx > 0 &&
            skinGlyph.cy > 0)
            glyph = skinGlyph;
        const bool textLeft = (style & BS_LEFTTEXT) != 0;
        RECT box{};
        box.top = rect.top + (rect.bottom - rect.top - glyph.cy) / 2;
        box.bottom = box.top + glyph.cy;
        box.left = textLeft ? rect.right - glyph.cx : rect.left;
        box.right = box.left + glyph.cx;
        theme->DrawThemeBackground(dc, look.part, look.state, &box);
        if (textLeft)
            content.right = box.left - 4;
        else
            content.left = box.right + 4;
    }

    const UINT imageKind = (style & BS_ICON) ? IMAGE_ICON : (style & BS_BITMAP) ? IMAGE_BITMAP : 0;
    const auto image =
        imageKind ? reinterpret_cast<HANDLE>(::SendMessageW(m_hWnd, BM_GETIMAGE, imageKind, 0)) : nullptr;
    if (image) {
        SIZE size{16, 16};
        if (imageKind == IMAGE_ICON) {
            const CSize iconSize = PlymGetIconSize(static_cast<HICON>(image));
            size = {iconSize.cx, iconSize.cy};
        } else {
            BITMAP bitmap{};
            if (::GetObjectW(image, sizeof bitmap, &bitmap))
                size = {bitmap.bmWidth, bitmap.bmHeight};
        }
        const int x = content.left + (content.right - content.left - size.cx) / 2;
        const int y = content.top + (content.bottom - content.top - size.cy) / 2;
        ::DrawStateW(
            dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image), 0, x, y, size.cx, size.cy,
            (imageKind == IMAGE_ICON ? DST_ICON : DST_BITMAP) | (facts.enabled ? DSS_NORMAL : DSS_DISABLED));
    } else if (!text.empty()) {
        RECT textRect = content;
        if (placement.multiline && placement.vertical != plym::TextPlacement::kTop) {
            RECT measured = content;
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT);
            const int height = measured.bottom - measured.top;
            const int room = content.bottom - content.top;
            if (height < room)
                textRect.top +=
                    placement.vertical == plym::TextPlacement::kBottom ? room - height : (room - height) / 2;
        }
        theme->DrawThemeText(dc, look.part, look.state, text.c_str(), static_cast<int>(text.size()), format,
                             &textRect);
    }
    if (plymskin::FocusShown(m_hWnd)) {
        RECT focus = content;
        if (look.part != plym::kButtonPartPush && !text.empty()) {
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &focus, format | DT_CALCRECT);
            ::InflateRect(&focus, 1, 1);
            ::IntersectRect(&focus, &focus, &rect);
        }
        ::SetTextColor(dc, GetSkinColor(COLOR_BTNTEXT));
        ::DrawFocusRect(dc, &focus);
    }
    ::SetTextColor(dc, oldText);
    ::SetBkMode(dc, oldMode);
}

// ==== ComboBox ==============================================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectComboBox, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectComboBox, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_CREATE, OnCreateCombo)
PLYM_SKIN_MESSAGE(WM_PAINT, OnPaintCombo)
PLYM_SKIN_MESSAGE(WM_PRINTCLIENT, OnPrintClientCombo)
WINLIB_ENTRY(WM_ERASEBKGND, 0, 0, 0, r = TRUE; return true;)
PLYM_SKIN_MESSAGE(WM_MOUSEMOVE, OnMouseMoveCombo)
PLYM_SKIN_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveCombo)
PLYM_SKIN_MESSAGE(WM_SETFOCUS, OnStateMessage)
PLYM_SKIN_MESSAGE(WM_KILLFOCUS, OnStateMessage)
PLYM_SKIN_MESSAGE(WM_CAPTURECHANGED, OnStateMessage)
PLYM_SKIN_MESSAGE(WM_ENABLE, OnStateMessage)
PLYM_SKIN_MESSAGE(WM_UPDATEUISTATE, OnStateMessage)
PLYM_SKIN_MESSAGE(WM_LBUTTONUP, OnStateMessage)
PLYM_SKIN_MESSAGE(BM_SETSTYLE, OnStateMessage)
END_MESSAGE_MAP()

CPlymSkinObjectComboBox::CPlymSkinObjectComboBox() {
    m_themeClassName = "COMBOBOX";
}

UINT CPlymSkinObjectComboBox::GetClientBrushMessage() {
    if (!::IsWindowEnabled(m_hWnd))
        return WM_CTLCOLORSTATIC;
    const HWND edit = ::GetWindow(m_hWnd, GW_CHILD);
    if (edit && (::GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY))
        return WM_CTLCOLORSTATIC;
    return WM_CTLCOLOREDIT;
}

BOOL CPlymSkinObjectComboBox::OnCreateCombo(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    OnCreateMsg(wParam, lParam, result);  // the default, then the frame fitted to the skin
    if (*result == -1)
        return TRUE;
    plymskin::InvalidateNoErase(m_hWnd);
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
    ++m_ncGuard;
    if (style & WS_BORDER)
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_BORDER));
    if (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE))
        ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE,
                            exStyle & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    --m_ncGuard;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

BOOL CPlymSkinObjectComboBox::OnPaintCombo(WPARAM, LPARAM, LRESULT* result) {
    CPlymSkinObjectPaintDC dc(this);
    DrawComboBox(dc.GetSafeHdc());
    *result = 0;
    return TRUE;
}

BOOL CPlymSkinObjectComboBox::OnPrintClientCombo(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (m_painting || !(lParam & PRF_CLIENT))
        return FALSE;
    DrawComboBox(reinterpret_cast<HDC>(wParam));
    *result = TRUE;
    return TRUE;
}

BOOL CPlymSkinObjectComboBox::OnMouseMoveCombo(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_MOUSEMOVE, wParam, lParam);
    plymskin::FollowHover(m_hWnd, &m_hot, lParam);
    return TRUE;
}

BOOL CPlymSkinObjectComboBox::OnMouseLeaveCombo(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_MOUSELEAVE, wParam, lParam);
    plymskin::SetMark(m_hWnd, &m_hot, FALSE);
    return TRUE;
}

BOOL CPlymSkinObjectComboBox::OnStateMessage(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(AfxGetCurrentMessage()->message, wParam, lParam);
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

void CPlymSkinObjectComboBox::DrawComboBox(HDC dc) {
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    const UINT type = static_cast<UINT>(style & 3);
    if (type != CBS_DROPDOWN && type != CBS_DROPDOWNLIST) {
        DrawSimpleComboField(dc);
        return;
    }
    CPlymSkinManagerClass* theme = LookupThemeClass();
    CPlymSkinManagerMetrics* metrics = GetSkinMetrics();
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const bool dropped =
        ::GetKeyState(VK_LBUTTON) < 0 && ::SendMessageW(m_hWnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
    const bool hot = m_hot || ::GetCapture() == m_hWnd;
    const bool enabled = ::IsWindowEnabled(m_hWnd) != FALSE;
    const bool buttonLeft = (::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) & WS_EX_RIGHT) != 0;

    CPlymBufferDC buffer(dc, client);
    const HDC bdc = buffer.GetSafeHdc();
    const HBRUSH background = FillParentBackground(bdc, client, GetClientBrushMessage());
    m_painting = TRUE;
    DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(bdc), 0);
    m_painting = FALSE;
    ::SelectClipRgn(bdc, nullptr);
    if (!theme || !metrics)
        return;

    const int state = plym::ComboBoxState(enabled, ::GetKeyState(VK_LBUTTON) < 0, dropped, hot);
    const int bgType = theme->GetThemeEnumValue(0, state, plym::kPropBgType, plym::kBgTypeImageFile);
    plym::Rect r = FromRECT(client);
    const RECT strip = ToRECT(plym::ComboSystemButtonStrip(r, metrics->SystemVScrollWidth(), buttonLeft));
    ::FillRect(bdc, &strip, background);
    const int b = metrics->VScrollWidth();
    if (bgType == plym::kBgTypeImageFile) {
        const RECT field = ToRECT(plym::ComboTextField(r, b, buttonLeft));
        ::ExcludeClipRect(bdc, field.left, field.top, field.right, field.bottom);
        theme->DrawThemeBackground(bdc, 0, state, &client);
        ::SelectClipRgn(bdc, nullptr);
    } else if (bgType == plym::kBgTypeBorderFill) {
        const COLORREF border = theme->GetThemeColor(0, state, plym::kPropBorderColor, CLR_INVALID);
        plymskin::DrawBorder(bdc, client, border);
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        plym::Rect inner = r;
        if (buttonLeft)
            inner.left += b;
        else
            inner.right -= b;
        PlymDrawBrushFrame(bdc, ToRECT(inner), 2, background);
    }
    const RECT button = ToRECT(plym::ComboButtonRect(r, b, buttonLeft));
    theme->DrawThemeBackground(bdc, 1, state, &button);
}

void CPlymSkinObjectComboBox::DrawSimpleComboField(HDC dc) {
    RECT field{};
    ::GetClientRect(m_hWnd, &field);
    const auto itemHeight =
        static_cast<int>(::SendMessageW(m_hWnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    field.bottom = std::min<LONG>(field.bottom, field.top + itemHeight + 2 * ::GetSystemMetrics(SM_CYBORDER));
    const HBRUSH brush = GetClientBrush(dc);
    CPlymSkinManagerClass* edit = GetManager() ? GetManager()->GetThemeClass(this, "EDIT") : nullptr;
    if (edit &&
        edit->GetThemeEnumValue(0, 0, plym::kPropBgType, plym::kBgTypeImageFile) == plym::kBgTypeBorderFill) {
        plymskin::DrawBorder(dc, field, edit->GetThemeColor(0, 0, plym::kPropBorderColor, CLR_INVALID));
        ::InflateRect(&field, -1, -1);
        PlymDrawBrushFrame(dc, field, 1, brush);
        ::InflateRect(&field, -1, -1);
        PlymDrawBrushFrame(dc, field, 1, brush);
        return;
    }
    const CPlymSkinManagerMetrics* metrics = GetSkinMetrics();
    const COLORREF shadow = metrics ? metrics->Shadow() : ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = metrics ? metrics->Highlight() : ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = metrics ? metrics->DarkShadow() : ::GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF light = metrics ? metrics->Light() : ::GetSysColor(COLOR_3DLIGHT);
    // A sunken edge: shadow then dark shadow at the top and left, highlight
    // then light at the bottom and right.
    const auto edgeLine = [dc](const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
        PlymFillSolidRect(dc, r.left, r.top, r.right - r.left, 1, topLeft);
        PlymFillSolidRect(dc, r.left, r.top, 1, r.bottom - r.top, topLeft);
        PlymFillSolidRect(dc, r.left, r.bottom - 1, r.right - r.left, 1, bottomRight);
        PlymFillSolidRect(dc, r.right - 1, r.top, 1, r.bottom - r.top, bottomRight);
    };
    edgeLine(field, shadow, highlight);
    ::InflateRect(&field, -1, -1);
    edgeLine(field, dark, light);
    ::InflateRect(&field, -1, -1);
    PlymDrawBrushFrame(dc, field, 1, brush);
}

// ==== ScrollBar =============================================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectScrollBar, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectScrollBar, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_CREATE, OnCreateBar)
PLYM_SKIN_MESSAGE(WM_PAINT, OnPaintBar)
PLYM_SKIN_MESSAGE(WM_PRINTCLIENT, OnPaintBar)
PLYM_SKIN_MESSAGE(WM_ENABLE, OnEnableBar)
PLYM_SKIN_MESSAGE(WM_MOUSEMOVE, OnMouseMoveBar)
PLYM_SKIN_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveBar)
PLYM_SKIN_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownBar)
PLYM_SKIN_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDownBar)
PLYM_SKIN_MESSAGE(SBM_SETSCROLLINFO, OnSetInfoBar)
PLYM_SKIN_MESSAGE(SBM_SETPOS, OnSetInfoBar)
PLYM_SKIN_MESSAGE(SBM_GETSCROLLINFO, OnGetInfoBar)
PLYM_SKIN_MESSAGE(WM_SETFOCUS, OnSetFocusBar)
END_MESSAGE_MAP()

CPlymSkinObjectScrollBar::CPlymSkinObjectScrollBar() {
    m_themeClassName = "SCROLLBAR";
    m_bar.barKind = SB_CTL;
    m_bar.present = 1;
}

BOOL CPlymSkinObjectScrollBar::IsSizeBox() const {
    return (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & (SBS_SIZEBOX | SBS_SIZEGRIP)) != 0;
}

BOOL CPlymSkinObjectScrollBar::OnCreateBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    OnCreateMsg(wParam, lParam, result);  // the default, then the frame fitted to the skin
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

void CPlymSkinObjectScrollBar::PaintBar(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    CPlymBufferDC buffer(dc, client);
    const HDC bdc = buffer.GetSafeHdc();
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    if (IsSizeBox()) {
        FillParentBackground(bdc, client, WM_CTLCOLORSTATIC);
        if (style & SBS_SIZEGRIP) {
            if (CPlymSkinManagerClass* theme = LookupThemeClass())
                theme->DrawThemeBackground(bdc, 10, 1, &client);
        }
        return;
    }
    m_bar.vertical = (style & SBS_VERT) ? 1 : 0;
    m_bar.barKind = SB_CTL;
    m_bar.present = 1;
    const SCROLLBARTRACKINFO* tracking = GetScrollTracking();
    if (!(tracking && tracking->bar == &m_bar && tracking->dragging))
        SetupScrollBar(&m_bar);
    DrawScrollBar(bdc, &m_bar);
}

BOOL CPlymSkinObjectScrollBar::OnPaintBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return plymskin::PaintMessage(this, wParam, lParam, result, [this](HDC dc) { PaintBar(dc); });
}

BOOL CPlymSkinObjectScrollBar::OnEnableBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_ENABLE, wParam, lParam);
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectScrollBar::OnMouseMoveBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    if (IsSizeBox())
        return FALSE;
    const POINT point = PointOf(lParam);
    const int part = ScrollBarHitTest(&m_bar, point.x, point.y);
    if (part != m_bar.hotPart) {
        m_bar.hotPart = part;
        RedrawScrollBar(&m_bar);
    }
    if (part)
        TrackLeave(m_hWnd);
    (void)wParam;
    return TRUE;
}

BOOL CPlymSkinObjectScrollBar::OnMouseLeaveBar(WPARAM, LPARAM, LRESULT* result) {
    *result = 0;
    if (m_bar.hotPart) {
        m_bar.hotPart = 0;
        RedrawScrollBar(&m_bar);
    }
    return TRUE;
}

BOOL CPlymSkinObjectScrollBar::OnLButtonDownBar(WPARAM, LPARAM lParam, LRESULT* result) {
    *result = 0;
    if (IsSizeBox())
        return TRUE;  // a size box or grip takes no clicks
    const POINT point = PointOf(lParam);
    TrackScrollBar(point.x, point.y, &m_bar, ::GetKeyState(VK_SHIFT) < 0, m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectScrollBar::OnSetInfoBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const UINT message = AfxGetCurrentMessage()->message;
    BOOL redraw = FALSE;
    if (message == SBM_SETSCROLLINFO) {
        redraw = static_cast<BOOL>(wParam);
        *result = DefWindowProc(message, FALSE, lParam);
    } else {
        redraw = static_cast<BOOL>(lParam);
        *result = DefWindowProc(message, wParam, FALSE);
    }
    if (redraw && ::IsWindowVisible(m_hWnd) && !IsSizeBox())
        RedrawScrollBar(&m_bar);
    return TRUE;
}

BOOL CPlymSkinObjectScrollBar::OnGetInfoBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(SBM_GETSCROLLINFO, wParam, lParam);
    auto* info = reinterpret_cast<SCROLLINFO*>(lParam);
    const SCROLLBARTRACKINFO* tracking = GetScrollTracking();
    if (info && (info->fMask & SIF_TRACKPOS) && tracking && tracking->bar == &m_bar && tracking->dragging)
        info->nTrackPos = tracking->trackPos;
    return TRUE;
}

BOOL CPlymSkinObjectScrollBar::OnSetFocusBar(WPARAM, LPARAM, LRESULT* result) {
    *result = 0;
    return TRUE;
}

// ==== User32Control, Edit, ListBox ==========================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectUser32Control, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectUser32Control, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_HSCROLL, OnDefaultThenSync)
PLYM_SKIN_MESSAGE(WM_VSCROLL, OnDefaultThenSync)
PLYM_SKIN_MESSAGE(WM_KEYDOWN, OnDefaultThenSync)
PLYM_SKIN_MESSAGE(WM_CHAR, OnDefaultThenSync)
PLYM_SKIN_MESSAGE(WM_MOUSEWHEEL, OnDefaultThenSync)
PLYM_SKIN_MESSAGE(WM_WINDOWPOSCHANGED, OnDefaultThenSync)
PLYM_SKIN_MESSAGE(WM_ERASEBKGND, OnEraseThenSync)
END_MESSAGE_MAP()

BOOL CPlymSkinObjectUser32Control::ShouldSyncScrollBars() {
    return GetManager() && GetManager()->m_comCtlVersion < 0x60000 && ::IsWindow(m_hWnd);
}

void CPlymSkinObjectUser32Control::SyncScrollBars() {
    if (!ShouldSyncScrollBars())
        return;
    for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
        if (!GetScrollBarInfo(bar)->present)
            continue;
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_POS;
        if (!::GetScrollInfo(m_hWnd, bar, &info))
            continue;
        SCROLLINFO& cached = m_cachedBars[bar];
        if (cached.nPos == info.nPos && cached.nMax == info.nMax && cached.nMin == info.nMin)
            continue;
        cached = info;
        RepaintScrollBar(bar);
    }
}

BOOL CPlymSkinObjectUser32Control::OnDefaultThenSync(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const UINT message = AfxGetCurrentMessage()->message;
    if (message != WM_WINDOWPOSCHANGED || !OnWindowPosChangedMsg(wParam, lParam, result))
        *result = DefWindowProc(message, wParam, lParam);
    SyncScrollBars();
    return TRUE;
}

BOOL CPlymSkinObjectUser32Control::OnEraseThenSync(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!OnEraseBkgndMsg(wParam, lParam, result))
        *result = DefWindowProc(WM_ERASEBKGND, wParam, lParam);
    SyncScrollBars();
    return TRUE;
}

IMPLEMENT_DYNCREATE(CPlymSkinObjectEdit, CPlymSkinObjectUser32Control)

CPlymSkinObjectEdit::CPlymSkinObjectEdit() {
    m_themeClassName = "EDIT";
    m_backgroundMessage = WM_CTLCOLOREDIT;
}

UINT CPlymSkinObjectEdit::GetClientBrushMessage() {
    if (!::IsWindowEnabled(m_hWnd) || (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ES_READONLY))
        return WM_CTLCOLORSTATIC;
    return WM_CTLCOLOREDIT;
}

void CPlymSkinObjectEdit::PaintNonClient(HDC dc) {
    // An up-down control attached to the edit overlaps it by two pixels; its
    // strip is left to it.
    const HWND next = ::GetWindow(m_hWnd, GW_HWNDNEXT);
    RECT mine{}, theirs{};
    if (next && ::IsWindowVisible(next) && ::GetWindowRect(m_hWnd, &mine) && ::GetWindowRect(next, &theirs)) {
        const bool rows = theirs.top < mine.bottom && theirs.bottom > mine.top;
        if (rows && theirs.left == mine.right - 2)
            ::ExcludeClipRect(dc, mine.right - mine.left - 2, std::max(theirs.top - mine.top, 0L),
                              mine.right - mine.left, std::min(theirs.bottom, mine.bottom) - mine.top);
        else if (rows && theirs.right == mine.left + 2)
            ::ExcludeClipRect(dc, 0, std::max(theirs.top - mine.top, 0L), 2,
                              std::min(theirs.bottom, mine.bottom) - mine.top);
    }
    CPlymSkinObjectUser32Control::PaintNonClient(dc);
}

IMPLEMENT_DYNCREATE(CPlymSkinObjectListBox, CPlymSkinObjectUser32Control)

CPlymSkinObjectListBox::CPlymSkinObjectListBox() {
    m_themeClassName = "LISTBOX";
    m_backgroundMessage = WM_CTLCOLORLISTBOX;
}
