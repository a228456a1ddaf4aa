// app/play/play_wnd.h
//
// CDlgPlayWnd: one play pane of the video grid.
// (A stand-in until the real dialog lands.)
#pragma once

#include "app/play/page_children_placeholder.h"

class CDlgPlayWnd : public CPlaceholderChild {
  public:
    enum { IDD = IDD_PLAY_WND };
    CDlgPlayWnd() : CPlaceholderChild(IDD) {}
    void SetPaneIndex(int pane) { m_paneIndex = pane; }
    int m_paneIndex = 0;
};
