// app/play/zoom_tooltip.cpp
#include "app/play/zoom_tooltip.h"

#include "res/playback_ids.h"

namespace play_wnd {

namespace {

constexpr int kStrZoomIn = 142;   // "Zoom In"
constexpr int kStrZoomOut = 143;  // "Zoom Out"
constexpr int kTooltipDelayMs = 500;
constexpr int kTooltipLongest = 32767;

}  // namespace

HWND CreateZoomTooltip(HWND owner, const RECT (&buttons)[2], const AppConfig& texts) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    HWND tooltip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                                     nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (tooltip == nullptr)
        return nullptr;
    for (int button = 0; button < 2; ++button) {
        CString text = texts.LoadLangString(button == 0 ? kStrZoomIn : kStrZoomOut);
        TTTOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = owner;
        tool.uId = static_cast<UINT_PTR>(button);
        tool.rect = buttons[button];
        tool.lpszText = const_cast<LPSTR>(text.GetString());
        ::SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    ::SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, kTooltipLongest);
    ::SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, kTooltipLongest);
    ::SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, kTooltipDelayMs);
    ::SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_RESHOW, kTooltipDelayMs);
    return tooltip;
}

void RelayToTooltip(HWND tooltip, HWND owner, UINT message, UINT flags, CPoint point) {
    if (tooltip == nullptr)
        return;
    MSG msg{owner, message, flags, MAKELPARAM(point.x, point.y), 0, {}};
    ::SendMessageA(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

HCURSOR LoadZoomCursor(int resource) {
    if (HCURSOR own = ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resource)))
        return own;
    return ::LoadCursorA(nullptr, resource == IDC_TIMEBAR_GRAB ? IDC_HAND : IDC_ARROW);
}

}  // namespace play_wnd
