// app/map/map_wnd.h
//
// CDlgMapWnd (template IDD_MAP_WND): one map pane of the map grid, beside the
// play pane of the same index. It draws the panes' face with its title at the
// left ("Track Playback:N", or "Track Playback" alone while synchronised play
// is on) and a time label at the right, and, when GPS display is on in the
// configuration at its creation, holds the map page bridge (CDlgGoogleMap)
// below the title strip, one pixel inside the frame. The play panes' map
// messages go to the bridge's window (BridgeWindow).
//
// A click on the pane selects it in its grid (WM_PANE_SELECTED); a double
// click asks the grid to toggle one pane / four panes (WM_PANE_TOGGLE_LAYOUT).
#pragma once

#include "app/base/play_child_wnd.h"
#include "app/map/google_map_dlg.h"
#include "res/playback_ids.h"

class CDlgMapWnd : public CPlayChildDialog {
  public:
    enum { IDD = IDD_MAP_WND };
    CDlgMapWnd();

    // Set by the grid before the pane is created (0..3).
    void SetPaneIndex(int pane) { m_paneIndex = pane; }
    int PaneIndex() const { return m_paneIndex; }
    // Stores the time label and repaints it (no erase).
    void SetTimeText(LPCSTR text);
    const CString& TimeText() const { return m_timeText; }
    // The bridge's window, NULL when the pane has none (GPS display off).
    HWND BridgeWindow() const { return m_dlgMap.m_hWnd; }

    CDlgGoogleMap m_dlgMap;

  protected:
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    void PaintFace(CDC& dc, const CRect& client) override;
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

  private:
    CString m_timeText = "0000-00-00 00:00:00";
    CRect m_timeRect;
    int m_paneIndex = -1;
    CFont m_font;
};
