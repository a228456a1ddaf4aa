// skin/objects/skin_date_picker.cpp
//
// The date picker's skin: the control draws its own face into a buffer, the
// skin finishes it (border, drop-down button, check box), and its drop-down
// calendar gets the skin's colours.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "skin/core/draw_helpers.h"
#include "skin/core/schema_names.h"
#include "skin/core/skin_class.h"
#include "skin/core/skin_manager.h"
#include "skin/objects/control_skin_support.h"
#include "skin/objects/control_states.h"
#include "skin/objects/skin_controls.h"

using plymskin::PointOf;

IMPLEMENT_DYNCREATE(CPlymSkinObjectDateTime, CPlymSkinObjectComboBox)

BEGIN_MESSAGE_MAP(CPlymSkinObjectDateTime, CPlymSkinObjectComboBox)
PLYM_SKIN_MESSAGE(WM_CREATE, OnCreatePicker)
PLYM_SKIN_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownPicker)
END_MESSAGE_MAP()

namespace {

// Common controls 6.10 and later draw the picker's own button through the
// visual-style functions the skin answers.
constexpr DWORD kOwnButtonVersion = 0x6000A;

}  // namespace

CPlymSkinObjectDateTime::CPlymSkinObjectDateTime() {
    m_themeClassName = "COMBOBOX";
}

int CPlymSkinObjectDateTime::PickerState() {
    return plym::DatePickerState(::IsWindowEnabled(m_hWnd) != FALSE, m_hot || ::GetCapture() == m_hWnd);
}

BOOL CPlymSkinObjectDateTime::OnCreatePicker(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // The client edge stays.
    OnCreateMsg(wParam, lParam, result);  // the default, then the frame fitted to the skin
    if (*result != -1 && GetManager() && GetManager()->IsEnabled())
        PlymSetCalendarColors(this, DTM_SETMCCOLOR);
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectDateTime::OnLButtonDownPicker(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    RECT strip{};
    ::GetClientRect(m_hWnd, &strip);
    strip.left = strip.right - ::GetSystemMetrics(SM_CXVSCROLL);
    const bool upDown = (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & DTS_UPDOWN) != 0;
    if (::IsWindowEnabled(m_hWnd) && !upDown && ::PtInRect(&strip, PointOf(lParam))) {
        ::SetFocus(m_hWnd);
        *result = DefWindowProc(WM_SYSKEYDOWN, VK_DOWN, 0);
        // A picker that opens its calendar only from its own click gets it.
        if (!::SendMessageW(m_hWnd, DTM_GETMONTHCAL, 0, 0))
            *result = DefWindowProc(WM_LBUTTONDOWN, wParam, lParam);
        return TRUE;
    }
    *result = DefWindowProc(WM_LBUTTONDOWN, wParam, lParam);
    return TRUE;
}

void CPlymSkinObjectDateTime::DrawComboBox(HDC dc) {
    RECT r{};
    ::GetClientRect(m_hWnd, &r);
    const RECT client = r;
    CPlymBufferDC buffer(dc, client);
    const HDC bdc = buffer.GetSafeHdc();
    const bool enabled = ::IsWindowEnabled(m_hWnd) != FALSE;
    const COLORREF background = GetSkinColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE);
    PlymFillSolidRect(bdc, r, background);
    m_painting = TRUE;
    DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bdc), 0);
    m_painting = FALSE;

    CPlymSkinManagerClass* theme = LookupThemeClass();
    if (!theme)
        return;
    const int state = PickerState();
    const int bgType = theme->GetThemeEnumValue(0, state, plym::kPropBgType, plym::kBgTypeImageFile);
    const int b = ::GetSystemMetrics(SM_CXVSCROLL);
    const bool ownButton = GetManager() && GetManager()->m_comCtlVersion >= kOwnButtonVersion;
    if (ownButton) {
        if (bgType == plym::kBgTypeImageFile) {
            ::ExcludeClipRect(bdc, r.left + 2, r.top + 2, r.right - 2, r.bottom - 2);
            theme->DrawThemeBackground(bdc, 0, state, &r);
        } else if (bgType == plym::kBgTypeBorderFill) {
            plymskin::DrawBorder(bdc, r, theme->GetThemeColor(0, state, plym::kPropBorderColor, CLR_INVALID));
            ::InflateRect(&r, -1, -1);
            PlymDrawSolidFrame(bdc, r, 1, background);
        }
    } else {
        PlymFillSolidRect(bdc, r.right - b - 3, r.top, b + 3, r.bottom - r.top, background);
    }
    ::SelectClipRgn(bdc, nullptr);

    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    if (style & DTS_SHOWNONE) {
        RECT box{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        box.right = std::min(box.right, box.left + (box.bottom - box.top));
        PlymFillSolidRect(bdc, box, background);
        CPlymSkinManagerClass* button = GetManager() ? GetManager()->GetThemeClass(this, "BUTTON") : nullptr;
        if (button) {
            SIZE glyph{13, 13};
            SIZE skinGlyph{};
            if (button->GetThemePartSize(plym::kButtonPartCheck, 0, nullptr, 1, &skinGlyph) &&
                skinGlyph.cx > 0 && skinGlyph.cy > 0)
                glyph = skinGlyph;
            SYSTEMTIME time{};
            const bool set =
                ::SendMessageW(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_NONE;
            RECT glyphRect{};
            glyphRect.left = box.left + (box.right - box.left - glyph.cx) / 2;
            glyphRect.top = box.top + (box.bottom - box.top - glyph.cy) / 2;
            glyphRect.right = glyphRect.left + glyph.cx;
            glyphRect.bottom = glyphRect.top + glyph.cy;
            button->DrawThemeBackground(bdc, plym::kButtonPartCheck, plym::DatePickerCheckState(enabled, set),
                                        &glyphRect);
        }
    }
    if (!ownButton && !(style & DTS_UPDOWN)) {
        const RECT drop{r.right - b, r.top, r.right, r.bottom};
        PlymFillSolidRect(bdc, drop, background);
        theme->DrawThemeBackground(bdc, 1, state, &drop);
    }
}

void CPlymSkinObjectDateTime::PaintNonClient(HDC dc) {
    if (m_ncGuard > 0)
        return;
    CPlymSkinManagerClass* theme = LookupThemeClass();
    const int state = PickerState();
    const bool edge = (::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0;
    if (!theme || !edge ||
        theme->GetThemeEnumValue(0, state, plym::kPropBgType, plym::kBgTypeImageFile) !=
            plym::kBgTypeImageFile) {
        CPlymSkinObjectComboBox::PaintNonClient(dc);
        return;
    }
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const RECT whole{0, 0, window.right - window.left, window.bottom - window.top};
    ::ExcludeClipRect(dc, whole.left + 2, whole.top + 2, whole.right - 2, whole.bottom - 2);
    theme->DrawThemeBackground(dc, 0, state, &whole);
    ::SelectClipRgn(dc, nullptr);
}

void CPlymSkinObjectDateTime::ReloadSkinMetrics() {
    CPlymSkinObjectComboBox::ReloadSkinMetrics();
    PlymSetCalendarColors(this, DTM_SETMCCOLOR);
}
