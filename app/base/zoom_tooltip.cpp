// app/base/zoom_tooltip.cpp
#include "app/base/zoom_tooltip.h"

#include "res/playback_ids.h"

namespace play_wnd {

namespace {

constexpr int kStrZoomIn = 142;   // "Zoom In"
constexpr int kStrZoomOut = 143;  // "Zoom Out"
constexpr int kTooltipDelayMs = 500;

}  // namespace

HWND CreateZoomTooltip(HWND owner, const RECT (&buttons)[2], const AppConfig& texts) {
    HWND tooltip = controls::CreateTooltip(owner, kTooltipDelayMs);
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
    return tooltip;
}

HCURSOR LoadZoomCursor(int resource) {
    return controls::LoadResourceCursor(resource, resource == IDC_TIMEBAR_GRAB ? IDC_HAND : IDC_ARROW);
}

}  // namespace play_wnd
