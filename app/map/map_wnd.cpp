// app/map/map_wnd.cpp
#include "app/map/map_wnd.h"

#include <cstdio>
#include <string>

#include "app/base/pane_face.h"
#include "app/base/play_layouts.h"
#include "app/messages.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kFontHeight = -12;
constexpr int kTitleLeft = 10;
constexpr int kStrTrackPlayback = 103;  // "Track Playback"

}  // namespace

BEGIN_MESSAGE_MAP(CDlgMapWnd, CPlayChildDialog)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CDlgMapWnd::CDlgMapWnd() : CPlayChildDialog(IDD, Face::Painted) {}

BOOL CDlgMapWnd::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    if (m_pConfig != nullptr && m_pConfig->m_gps != 0)
        play_wnd::CreateChild(m_dlgMap, CDlgGoogleMap::IDD, this, m_pConfig, m_pSkin, TRUE);
    if (m_pConfig != nullptr)
        m_pConfig->CreateUiFont(m_font, kFontHeight, FW_NORMAL);
    else
        CreateArialFont(m_font, kFontHeight, FW_NORMAL);
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    m_timeText = text;
    ChildrenMade();
    return TRUE;
}

void CDlgMapWnd::SetTimeText(LPCSTR text) {
    m_timeText = text != nullptr ? text : "";
    if (m_hWnd != nullptr)
        InvalidateRect(&m_timeRect, FALSE);
}

void CDlgMapWnd::PlaceChildren() {
    // The time label and the bridge take the places of a play pane's time and
    // video area.
    const play::PaneRects r = play::LayOutPlayPane(play_wnd::ClientOf(*this));
    m_timeRect.SetRect(r.timeText.x, r.timeText.y, r.timeText.right(), r.timeText.bottom());
    play_wnd::Place(m_dlgMap, r.video);
    Invalidate(FALSE);
}

void CDlgMapWnd::PaintFace(CDC& dc, const CRect& client) {
    DrawPaneFace(dc, client);
    dc.SetBkMode(TRANSPARENT);
    const CGdiSelection font(dc, m_font);
    CRect timeRect = m_timeRect;
    dc.SetTextColor(static_cast<COLORREF>(play::kPaneTitleColour));
    dc.DrawText(m_timeText, &timeRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

    const CString word = m_pConfig != nullptr ? m_pConfig->LoadLangString(kStrTrackPlayback) : CString();
    std::string title = word.GetString();
    if (m_pConfig == nullptr || !m_pConfig->m_syncPlay)
        title += ":" + std::to_string(m_paneIndex + 1);
    CRect titleRect(client.left + kTitleLeft, client.top, m_timeRect.left,
                    client.top + play::kPaneTitleHeight);
    dc.SetTextColor(kWhite);
    dc.DrawText(title.c_str(), static_cast<int>(title.size()), &titleRect,
                DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void CDlgMapWnd::OnLButtonDown(UINT, CPoint) {
    if (CWnd* grid = GetParent())
        grid->PostMessage(WM_PANE_SELECTED, static_cast<WPARAM>(m_paneIndex), 0);
    Default();
}

void CDlgMapWnd::OnLButtonDblClk(UINT, CPoint) {
    if (CWnd* grid = GetParent())
        grid->PostMessage(WM_PANE_TOGGLE_LAYOUT, static_cast<WPARAM>(m_paneIndex), 0);
    Default();
}
