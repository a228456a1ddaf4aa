// winlib/thread_state.h
//
// Per-thread state of the layer, shared by its sources (not part of the
// interface): the message being handled (for CWnd::Default) and the
// temporary GDI wrappers.
#pragma once

#include <windows.h>

namespace winlib::detail {

// The message the innermost window procedure call on this thread handles:
// window, message, wParam and lParam, with the time and point of the last
// queued message (AfxGetCurrentMessage hands it out).
using CurrentMessage = MSG;
CurrentMessage& Current();

// Frees the temporary GDI wrappers of this thread (gdi.cpp).
void DeleteTempGdiObjects();

}  // namespace winlib::detail
