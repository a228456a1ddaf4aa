// app/play/playback_tool_wnd.h
//
// CDlgPlaybackTool: the playback tool bar under the video grid.
// (A stand-in until the real dialog lands.)
#pragma once

#include "app/play/page_children_placeholder.h"

class CDlgPlaybackTool : public CPlaceholderChild {
  public:
    enum { IDD = IDD_PLAYBACK_TOOL };
    CDlgPlaybackTool() : CPlaceholderChild(IDD) {}
    void ShowDownloadButton(BOOL show) { m_downloadShown = show; }
    // The per-pane words of the tool bar.
    void ClearPaneFlags() { ++m_paneFlagClears; }
    BOOL m_downloadShown = -1;
    int m_paneFlagClears = 0;
};
