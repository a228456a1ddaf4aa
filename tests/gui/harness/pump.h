// tests/gui/harness/pump.h
//
// Letting the test thread's pending messages (and timers) run: once, until a
// condition holds, or for a while. Messages go through the layer's pump, so
// PreTranslateMessage and the temporary window wrappers behave as in the
// program's own loop.
#pragma once

#include <windows.h>

#include "winlib/winlib.h"

namespace vekgui {

inline void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        CWinApp::PumpMessage(msg);
    winlib::DeleteTempMaps();
}

// False when `done` still does not hold after `ms`.
template <class Condition>
bool PumpUntil(Condition done, DWORD ms = 3000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    return true;
}

inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

}  // namespace vekgui
