// skin/objects/skin_frame_scrollbar.cpp
//
// The frame's own scroll bars: their rectangles beside the client area, their
// layout from the window's scroll information, drawing through the schema,
// and the modal tracking of a press -- an arrow or the track repeating its
// command, or the thumb dragged.
#include <windows.h>

#include "skin/core/draw_helpers.h"
#include "skin/core/skin_metrics.h"
#include "skin/core/skin_schema.h"
#include "skin/core/win_types.h"
#include "skin/objects/frame_layout.h"
#include "skin/objects/skin_frame.h"

RECT CPlymSkinObjectFrame::GetScrollBarRect(int kind) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (kind == SB_CTL)
        return client;
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    OffsetRect(&client, origin.x - window.left, origin.y - window.top);
    const CPlymSkinManagerMetrics* metrics = GetSkinMetrics();
    const int width = metrics ? metrics->VScrollWidth() : GetSystemMetrics(SM_CXVSCROLL);
    const int height = metrics ? metrics->HScrollHeight() : GetSystemMetrics(SM_CYHSCROLL);
    if (kind == SB_HORZ)
        return {client.left, client.bottom, client.right, client.bottom + height};
    if (ExStyle() & WS_EX_LEFTSCROLLBAR)
        return {client.left - width, client.top, client.left, client.bottom};
    return {client.right, client.top, client.right + width, client.bottom};
}

void CPlymSkinObjectFrame::SetupScrollBar(SCROLLBARPOSINFO* bar) {
    if (!bar)
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (!::GetScrollInfo(m_hWnd, bar->barKind, &info))
        info = SCROLLINFO{};
    const CPlymSkinManagerMetrics* metrics = GetSkinMetrics();
    int arrow = 0;
    if (bar->vertical)
        arrow = metrics ? metrics->VScrollArrowHeight() : GetSystemMetrics(SM_CYVSCROLL);
    else
        arrow = metrics ? metrics->HScrollArrowWidth() : GetSystemMetrics(SM_CXHSCROLL);
    plym::SetupScrollBarLayout(bar, ToPlymRect(GetScrollBarRect(bar->barKind)), arrow,
                               {info.nMin, info.nMax, static_cast<int>(info.nPage), info.nPos});
}

int CPlymSkinObjectFrame::ScrollBarHitTest(const SCROLLBARPOSINFO* bar, int x, int y) const {
    return bar ? plym::ScrollBarHitCode(*bar, x, y) : 0;
}

void CPlymSkinObjectFrame::DrawScrollBar(HDC dc, SCROLLBARPOSINFO* bar) {
    if (CPlymSkinManagerSchema* schema = GetActiveSchema())
        schema->DrawFrameScrollBar(dc, &m_skinFrame, bar);
}

void CPlymSkinObjectFrame::RedrawScrollBar(SCROLLBARPOSINFO* bar) {
    if (!bar || !bar->present || !m_hWnd || !::IsWindow(m_hWnd))
        return;
    const bool control = bar->barKind == SB_CTL;
    HDC dc = control ? ::GetDC(m_hWnd) : ::GetWindowDC(m_hWnd);
    if (!dc)
        return;
    if (!(m_tracking && m_tracking->dragging && m_tracking->bar == bar))
        SetupScrollBar(bar);
    const plym::Rect& r = bar->barRect;
    if (!r.IsEmpty()) {
        CPlymBufferDCEx buffer(dc, r.left, r.top, r.right, r.bottom);
        DrawScrollBar(buffer.m_hDC, bar);
    }
    ::ReleaseDC(m_hWnd, dc);
}

void CPlymSkinObjectFrame::RepaintScrollBar(int bar) {
    if (!IsNonClientSkinned() || (bar != SB_HORZ && bar != SB_VERT))
        return;
    RedrawScrollBar(GetScrollBarInfo(bar));
}

BOOL CPlymSkinObjectFrame::GetScrollTrackPos(int bar, int* position) {
    if (!m_tracking || !m_tracking->dragging || m_tracking->barKind != bar || !position)
        return FALSE;
    *position = m_tracking->currentPos;
    return TRUE;
}

void CPlymSkinObjectFrame::SendScroll(int command, int position) {
    SCROLLBARTRACKINFO* info = m_tracking.get();
    if (!info || !info->notify)
        return;
    ::SendMessageA(info->notify, info->vertical ? WM_VSCROLL : WM_HSCROLL,
                   MAKEWPARAM(static_cast<WORD>(command), static_cast<WORD>(position)),
                   reinterpret_cast<LPARAM>(info->control));
}

POINT CPlymSkinObjectFrame::TrackingPoint(LPARAM lParam) const {
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (m_tracking && m_tracking->nonClient) {
        ::ClientToScreen(m_hWnd, &p);
        p = ScreenToWindowPoint(p.x, p.y);
    }
    return p;
}

void CPlymSkinObjectFrame::TrackScrollBar(int x, int y, SCROLLBARPOSINFO* bar, BOOL shift, HWND control) {
    if (!bar || m_tracking)
        return;
    const int code = ScrollBarHitTest(bar, x, y);
    if (!code)
        return;
    auto info = std::make_unique<SCROLLBARTRACKINFO>();
    info->bar = bar;
    info->vertical = bar->vertical ? TRUE : FALSE;
    info->barKind = bar->barKind;
    if (bar->barKind == SB_CTL) {
        info->control = control ? control : m_hWnd;
        info->notify = ::GetParent(info->control);
        info->nonClient = FALSE;
    } else {
        info->notify = m_hWnd;
        info->nonClient = TRUE;
    }
    const auto along = [bar](int from, int to) {
        return bar->vertical ? RECT{bar->crossStart, from, bar->crossEnd, to}
                             : RECT{from, bar->crossStart, to, bar->crossEnd};
    };
    bool thumbDrag = false;
    switch (code) {
        case plym::kHitFirstArrow:
            info->command = SB_LINEUP;
            info->trackRect = along(bar->barStart, bar->trackStart);
            break;
        case plym::kHitSecondArrow:
            info->command = SB_LINEDOWN;
            info->trackRect = along(bar->trackEnd, bar->barEnd);
            break;
        case plym::kHitThumb:
            thumbDrag = true;
            break;
        case plym::kHitTrackAfter:
            info->command = SB_PAGEDOWN;
            info->trackRect = along(bar->thumbEnd, bar->trackEnd);
            thumbDrag = shift != FALSE;
            break;
        default:
            info->command = SB_PAGEUP;
            info->trackRect = along(bar->trackStart, bar->thumbStart);
            thumbDrag = shift != FALSE;
            break;
    }
    bar->hotPart = code;
    const int c = bar->vertical ? y : x;
    if (thumbDrag) {
        if (bar->trackEnd - bar->trackStart <= bar->thumbLength) {
            bar->hotPart = 0;
            return;
        }
        bar->hotPart = plym::kHitThumb;
        info->command = 4;
        const int slack = 2 * GetSystemMetrics(bar->vertical ? SM_CYVTHUMB : SM_CXHTHUMB);
        info->trackRect = ToWinRect(plym::DragToleranceRect(*bar, slack));
        bar->dragOrigin = bar->thumbStart;
        info->lastThumbPixel = bar->thumbStart;
        info->currentPos = bar->position;
        info->trackPos = bar->position;
        // With shift the thumb jumps to centre on the cursor; else it keeps
        // where the cursor took it.
        info->thumbOffset = shift ? -(bar->thumbLength / 2) : bar->thumbStart - c;
        info->dragging = TRUE;
    }
    m_tracking = std::move(info);
    if (thumbDrag)
        SendScroll(SB_THUMBTRACK, bar->position);
    ::SetCapture(m_hWnd);
    if (m_tracking->dragging)
        ScrollDragHandler(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    else
        ScrollButtonHandler(WM_LBUTTONDOWN, x, y);
    MSG msg{};
    while (m_tracking && m_tracking->notify && ::GetCapture() == m_hWnd) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_TIMER && msg.hwnd == m_hWnd && msg.wParam == kScrollRepeatTimer) {
            ScrollRepeatStep();
            continue;
        }
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST && msg.message != WM_MOUSEWHEEL &&
            msg.message != WM_MOUSEHWHEEL) {
            const POINT p = TrackingPoint(msg.lParam);
            if (m_tracking->dragging)
                ScrollDragHandler(msg.message, p.x, p.y, msg.wParam);
            else
                ScrollButtonHandler(msg.message, p.x, p.y);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // Capture lost or a quit: a cancel that still ends the scrolling.
    if (m_tracking && m_tracking->notify)
        EndScrollTracking();
    ::KillTimer(m_hWnd, kScrollRepeatTimer);
    bar->hotPart = 0;
    m_tracking.reset();
    RedrawScrollBar(bar);
}

void CPlymSkinObjectFrame::ScrollButtonHandler(UINT message, int x, int y) {
    SCROLLBARTRACKINFO* info = m_tracking.get();
    if (!info || (message != 0 && (message < WM_MOUSEFIRST || message > WM_MOUSELAST)))
        return;
    SCROLLBARPOSINFO* bar = info->bar;
    if (info->command == SB_PAGEUP || info->command == SB_PAGEDOWN) {
        LONG& end = bar->vertical
                        ? (info->command == SB_PAGEUP ? info->trackRect.bottom : info->trackRect.top)
                        : (info->command == SB_PAGEUP ? info->trackRect.right : info->trackRect.left);
        end = info->command == SB_PAGEUP ? bar->thumbStart : bar->thumbEnd;
    }
    const BOOL wasOver = info->over;
    const POINT p{x, y};
    const BOOL over = PtInRect(&info->trackRect, p);
    if (over != info->over) {
        info->over = over;
        RedrawScrollBar(bar);
    }
    if (message == WM_LBUTTONUP) {
        EndScrollTracking();
        return;
    }
    UINT delay = 0;
    if (message == WM_LBUTTONDOWN) {
        ::KillTimer(m_hWnd, kScrollRepeatTimer);
        delay = GetDoubleClickTime() * 4 / 5;
    } else if (message == WM_MOUSEMOVE) {
        delay = GetDoubleClickTime() / 10;
    }
    if (delay && over && !wasOver) {
        info->timer = ::SetTimer(m_hWnd, kScrollRepeatTimer, delay, nullptr);
        SendScroll(info->command, 0);
    }
}

void CPlymSkinObjectFrame::ScrollRepeatStep() {
    SCROLLBARTRACKINFO* info = m_tracking.get();
    if (!info || info->dragging)
        return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    POINT p = cursor;
    if (info->nonClient) {
        p = ScreenToWindowPoint(cursor.x, cursor.y);
    } else {
        ::ScreenToClient(m_hWnd, &p);
    }
    ScrollButtonHandler(0, p.x, p.y);
    if (m_tracking && m_tracking->over) {
        m_tracking->timer = ::SetTimer(m_hWnd, kScrollRepeatTimer, GetDoubleClickTime() / 10, nullptr);
        SendScroll(m_tracking->command, 0);
    }
}

void CPlymSkinObjectFrame::ScrollDragHandler(UINT message, int x, int y, WPARAM keys) {
    SCROLLBARTRACKINFO* info = m_tracking.get();
    if (!info || message < WM_MOUSEFIRST || message > WM_MOUSELAST)
        return;
    SCROLLBARPOSINFO* bar = info->bar;
    MoveThumb(plym::DragThumbPixel(*bar, ToPlymRect(info->trackRect), info->thumbOffset, x, y));
    const POINT p{x, y};
    info->over = PtInRect(&info->trackRect, p);
    // The button's state as the message saw it: the thread's key state may
    // already know of a release still queued behind this message.
    if (message == WM_LBUTTONUP || (message == WM_MOUSEMOVE && !(keys & MK_LBUTTON)))
        EndScrollTracking();
}

void CPlymSkinObjectFrame::MoveThumb(int pixel) {
    SCROLLBARTRACKINFO* info = m_tracking.get();
    if (!info || pixel == info->lastThumbPixel)
        return;
    SCROLLBARPOSINFO* bar = info->bar;
    const int position = plym::ScrollPosFromPixel(*bar, pixel);
    if (position != info->currentPos) {
        info->currentPos = position;
        info->trackPos = position;
        SendScroll(SB_THUMBTRACK, position);
    }
    if (!m_tracking)
        return;
    bar->thumbStart = pixel;
    bar->thumbEnd = pixel + bar->thumbLength;
    m_tracking->lastThumbPixel = pixel;
    RedrawScrollBar(bar);
}

void CPlymSkinObjectFrame::EndScrollTracking() {
    SCROLLBARTRACKINFO* info = m_tracking.get();
    if (!info || !info->notify)
        return;
    const bool drag = info->command == 4;
    const bool cancelled = ::GetCapture() != m_hWnd;
    info->command = -1;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (drag) {
        if (!cancelled)
            SendScroll(SB_THUMBPOSITION, info->currentPos);
        RedrawScrollBar(info->bar);
    } else {
        ::KillTimer(m_hWnd, kScrollRepeatTimer);
    }
    SendScroll(SB_ENDSCROLL, 0);
    if (m_tracking)
        m_tracking->notify = nullptr;
}
