// controls/bmp_button.cpp
#include "controls/bmp_button.h"

#include "controls/bmp_button_frame.h"
#include "controls/draw_helpers.h"

BEGIN_MESSAGE_MAP(CBmpButton, CButton)
ON_WM_MOUSEMOVE()
ON_MESSAGE(WM_MOUSEHOVER, &CBmpButton::OnMouseHover)
ON_MESSAGE(WM_MOUSELEAVE, &CBmpButton::OnMouseLeave)
END_MESSAGE_MAP()

CBmpButton::CBmpButton() = default;

CBmpButton::~CBmpButton() {
    if (m_strip)
        ::DeleteObject(m_strip);
    if (m_tooltip && ::IsWindow(m_tooltip))
        ::DestroyWindow(m_tooltip);
}

void CBmpButton::PreSubclassWindow() {
    ModifyStyle(0, BS_OWNERDRAW);
    ModifyStyle(0, WS_CLIPSIBLINGS);
    CButton::PreSubclassWindow();
}

BOOL CBmpButton::SetImageFile(UINT id, COLORREF /*transparent*/, int /*extra*/) {
    HBITMAP strip = controls::LoadResourceBitmap(id);
    if (!strip) {
        AfxMessageBox("call SetImageFile() load bitmap failed!");
        return FALSE;
    }
    if (m_strip)
        ::DeleteObject(m_strip);
    m_strip = strip;
    return TRUE;
}

void CBmpButton::RepaintFace() {
    if (IsWindow())
        InvalidateRect(nullptr, FALSE);
}

void CBmpButton::SetCheckState(BOOL checked) {
    m_checked = checked ? TRUE : FALSE;
    RepaintFace();
}

void CBmpButton::SetCaption(int xInset,
                            int yInset,
                            int /*unused*/,
                            LPCSTR text,
                            COLORREF color,
                            int fontHeight) {
    m_captionX = xInset;
    m_captionY = yInset;
    m_caption = text;
    m_captionColor = color;
    m_captionHeight = fontHeight;
    // The window's text is the caption too, for whatever reads buttons by
    // their text (accessibility tools, a driver from outside).
    if (IsWindow())
        SetWindowText(m_caption);
    RepaintFace();
}

void CBmpButton::SetTooltipText(LPCSTR text) {
    if (!m_tooltip && IsWindow()) {
        m_tooltip = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                      AfxGetInstanceHandle(), nullptr);
        if (m_tooltip)
            ::SendMessageA(m_tooltip, TTM_ACTIVATE, TRUE, 0);
    }
    if (text && *text && m_tooltip)
        m_tooltipText = text;
}

BOOL CBmpButton::PreTranslateMessage(MSG* msg) {
    if (m_tooltip &&
        (msg->message == WM_MOUSEMOVE || msg->message == WM_LBUTTONDOWN || msg->message == WM_LBUTTONUP)) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = ::GetParent(m_hWnd);
        tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
        ::SendMessageA(m_tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        tool.lpszText = const_cast<LPSTR>(m_tooltipText.GetString());
        ::SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageA(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    }
    return CButton::PreTranslateMessage(msg);
}

void CBmpButton::DrawItem(LPDRAWITEMSTRUCT item) {
    if (!m_strip)
        return;
    BITMAP info{};
    if (!::GetObjectA(m_strip, sizeof info, &info))
        return;

    controls::ButtonFaceState state;
    state.checked = m_checked != FALSE;
    state.disabled = (item->itemState & ODS_DISABLED) != 0;
    state.hovered = m_hovered != FALSE;
    state.selected = (item->itemState & ODS_SELECTED) != 0;
    const controls::ButtonFrame frame = controls::ChooseFrame(state);

    const RECT& r = item->rcItem;
    {
        const CBitmapDC memory(item->hDC, m_strip);
        if (!memory.IsReady())
            return;
        ::BitBlt(item->hDC, 0, 0, r.right - r.left, r.bottom - r.top, memory,
                 controls::FrameOffset(info.bmWidth, frame), 0, SRCCOPY);
    }

    if (m_caption.IsEmpty())
        return;
    LOGFONTA face{};
    face.lfHeight = m_captionHeight;
    face.lfWeight = 255;
    face.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(face.lfFaceName, "Arial", LF_FACESIZE);
    CFont font;
    font.CreateFontIndirect(&face);
    const CGdiSelection selected(item->hDC, font);
    const int oldMode = ::SetBkMode(item->hDC, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(item->hDC, m_captionColor);
    RECT text = {r.left + m_captionX, r.top + m_captionY, r.right, r.bottom};
    ::DrawTextA(item->hDC, m_caption, m_caption.GetLength(), &text, m_captionFormat);
    ::SetTextColor(item->hDC, oldColor);
    ::SetBkMode(item->hDC, oldMode);
}

void CBmpButton::OnMouseMove(UINT flags, CPoint point) {
    if (!m_tracking) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = m_hWnd;
        track.dwHoverTime = 1;
        m_tracking = ::_TrackMouseEvent(&track);
    }
    CButton::OnMouseMove(flags, point);
}

LRESULT CBmpButton::OnMouseHover(WPARAM, LPARAM) {
    m_hovered = TRUE;
    RepaintFace();
    return 0;
}

LRESULT CBmpButton::OnMouseLeave(WPARAM, LPARAM) {
    m_tracking = FALSE;
    m_hovered = FALSE;
    RepaintFace();
    return 0;
}
