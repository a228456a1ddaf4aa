// skin/objects/control_skin_support.h
//
// What the control skins' sources share: the message-map entry that hands a
// message to a handler of the form BOOL f(WPARAM, LPARAM, LRESULT*), the
// conversions between the portable rectangles and the system's, and small
// steps every control skin takes (the leave notification, an invalidation
// without erase, the focus cue the control shows).
#pragma once

#include <windows.h>

#include "skin/core/plym_types.h"

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
