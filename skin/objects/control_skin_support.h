// skin/objects/control_skin_support.h
//
// What the control skins' sources share: the message-map entry that hands a
// message to a handler of the form BOOL f(WPARAM, LPARAM, LRESULT*), the
// conversions between the portable rectangles and the system's, and small
// steps every control skin takes (the leave notification, an invalidation
// without erase, the focus cue the control shows).
#pragma once

#include <windows.h>

#include "skin/core/draw_helpers.h"
#include "skin/core/plym_types.h"
#include "skin/objects/skin_object.h"

// A message-map entry whose handler says whether it handled the message.
#define PLYM_SKIN_MESSAGE(msg, fn) \
    WINLIB_ENTRY(msg, 0, 0, 0, return self->fn(a.wParam, a.lParam, &r) != FALSE;)

namespace plymskin {

inline RECT ToRECT(const plym::Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

inline plym::Rect FromRECT(const RECT& r) {
    return plym::Rect{r.left, r.top, r.right, r.bottom};
}

inline POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Asks for one WM_MOUSELEAVE when the mouse leaves the window.
inline void TrackLeave(HWND window) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    ::TrackMouseEvent(&track);
}

inline void InvalidateNoErase(HWND window) {
    ::InvalidateRect(window, nullptr, FALSE);
}

// A one-pixel frame in a skin's border colour; none when the skin gives no
// colour (CLR_INVALID).
inline void DrawBorder(HDC dc, const RECT& rect, COLORREF color) {
    if (color != CLR_INVALID)
        PlymDrawSolidFrame(dc, rect, 1, color);
}

// Stores a hot (or pressed) mark and repaints the control when it changed.
template <typename T>
void SetMark(HWND window, T* mark, T value) {
    if (*mark == value)
        return;
    *mark = value;
    InvalidateNoErase(window);
}

// A mouse move (client point in `lParam`): the control is hot while the mouse
// is inside its client area, and hears when it leaves.
inline void FollowHover(HWND window, BOOL* hot, LPARAM lParam) {
    RECT client{};
    ::GetClientRect(window, &client);
    const BOOL inside = ::PtInRect(&client, PointOf(lParam));
    SetMark(window, hot, inside);
    if (inside)
        TrackLeave(window);
}

// WM_PAINT and WM_PRINTCLIENT of a control skin: `paint` on the paint DC, or
// on the DC WM_PRINTCLIENT gives when it asks for the client area (TRUE).
template <typename Paint>
BOOL PaintMessage(CWnd* object, WPARAM wParam, LPARAM lParam, LRESULT* result, Paint paint) {
    if (AfxGetCurrentMessage()->message == WM_PRINTCLIENT) {
        if (!(lParam & PRF_CLIENT))
            return FALSE;
        paint(reinterpret_cast<HDC>(wParam));
        *result = TRUE;
        return TRUE;
    }
    CPlymSkinObjectPaintDC dc(object);
    paint(dc.GetSafeHdc());
    *result = 0;
    return TRUE;
}

// The control has the focus and shows it.
inline bool FocusShown(HWND window) {
    if (::GetFocus() != window)
        return false;
    const LRESULT ui = ::SendMessageW(window, WM_QUERYUISTATE, 0, 0);
    return (ui & UISF_HIDEFOCUS) == 0;
}

inline bool AcceleratorsHidden(HWND window) {
    return (::SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0;
}

}  // namespace plymskin
