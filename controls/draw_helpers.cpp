// controls/draw_helpers.cpp
#include "controls/draw_helpers.h"

#include <commctrl.h>

#include "winlib/winlib.h"

namespace controls {

void StretchBitmap(HDC dc, HBITMAP bitmap, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    if (!bitmap || w <= 0 || h <= 0)
        return;
    const CBitmapDC source(dc, bitmap);
    if (!source.IsReady())
        return;
    if (w == sw && h == sh) {
        ::BitBlt(dc, x, y, w, h, source, sx, sy, SRCCOPY);
    } else {
        const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, x, y, w, h, source, sx, sy, sw, sh, SRCCOPY);
        ::SetStretchBltMode(dc, oldMode);
    }
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
    BITMAP info{};
    if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info))
        return;
    StretchBitmap(dc, bitmap, x, y, info.bmWidth, info.bmHeight, 0, 0, info.bmWidth, info.bmHeight);
}

HBITMAP LoadResourceBitmap(UINT id) {
    return static_cast<HBITMAP>(
        ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

HWND CreateTooltip(HWND owner, int delayMs) {
    constexpr LPARAM kLongest = 32767;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    const HWND tooltip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                                           nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (tooltip == nullptr)
        return nullptr;
    ::SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, kLongest);
    ::SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, kLongest);
    ::SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, delayMs);
    ::SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_RESHOW, delayMs);
    return tooltip;
}

void RelayToTooltip(HWND tooltip, HWND owner, UINT message, UINT flags, CPoint point) {
    if (tooltip == nullptr)
        return;
    MSG msg{owner, message, flags, MAKELPARAM(point.x, point.y), 0, {}};
    ::SendMessageA(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

HCURSOR LoadResourceCursor(UINT id, LPCSTR fallback) {
    if (HCURSOR own = ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)))
        return own;
    return ::LoadCursorA(nullptr, fallback);
}

}  // namespace controls

namespace controls {

BOOL CreateArialFont(CFont& font, int height, int weight) {
    LOGFONTA face{};
    face.lfHeight = height;
    face.lfWeight = weight;
    face.lfCharSet = DEFAULT_CHARSET;
    face.lfQuality = PROOF_QUALITY;
    face.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(face.lfFaceName, "Arial", LF_FACESIZE);
    return font.CreateFontIndirect(&face);
}

}  // namespace controls
