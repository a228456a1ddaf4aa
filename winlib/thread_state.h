// winlib/thread_state.h
//
// Per-thread state of the layer, shared by its sources (not part of the
// interface): the message being handled (for CWnd::Default) and the
// temporary GDI wrappers.
#pragma once

#include <windows.h>

namespace winlib::detail {

// The message the innermost window procedure call on this thread handles.
struct CurrentMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
CurrentMessage& Current();

// Frees the temporary GDI wrappers of this thread (gdi.cpp).
void DeleteTempGdiObjects();

}  // namespace winlib::detail
