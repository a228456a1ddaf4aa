// app/play/page_children_placeholder.h
//
// Stand-ins for the parts of the playback pages that come with their own
// dialogs later: the play pane, the map pane, the tool bar, the recording
// list, the recorder list, the sensor panel and the download dialog. Each has
// the class name, template and the calls the pages, the frame and the strip
// make on it, so they are created, laid out and addressed as the real ones
// will be; they show nothing and remember what they were asked (tests look).
// The real dialogs replace this file.
#pragma once

#include "app/play/play_child_wnd.h"
#include "res/playback_ids.h"

// What every stand-in remembers.
class CPlaceholderChild : public CPlayChildDialog {
  public:
    explicit CPlaceholderChild(UINT templateId) : CPlayChildDialog(templateId) {}

    int m_seekRequests = 0;     // WM_TIMEBAR_SEEK received
    int m_paneSelections = 0;   // WM_PANE_SELECTED received
    WPARAM m_lastSelected = 0;  // its pane
    int m_coordRanges = 0;      // WM_COORD_RANGE received
    WPARAM m_lastCoordRange = 0;  // its range

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CDlgPlayWnd : public CPlaceholderChild {
  public:
    enum { IDD = IDD_PLAY_WND };
    CDlgPlayWnd() : CPlaceholderChild(IDD) {}
    void SetPaneIndex(int pane) { m_paneIndex = pane; }
    int m_paneIndex = 0;
};

class CDlgMapWnd : public CPlaceholderChild {
  public:
    enum { IDD = IDD_MAP_WND };
    CDlgMapWnd() : CPlaceholderChild(IDD) {}
    void SetPaneIndex(int pane) { m_paneIndex = pane; }
    int m_paneIndex = 0;
};

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

class CDlgFileList : public CPlaceholderChild {
  public:
    enum { IDD = IDD_FILE_LIST };
    CDlgFileList() : CPlaceholderChild(IDD) {}
    void Reset() { ++m_resets; }
    void CloseDisk() { ++m_diskCloses; }
    // The page is being destroyed.
    void PageDestroyed() {}
    int m_resets = 0;
    int m_diskCloses = 0;
};

class CDlgDeviceList : public CPlaceholderChild {
  public:
    enum { IDD = IDD_DEVICE_LIST };
    CDlgDeviceList() : CPlaceholderChild(IDD) {}
    void Reset() { ++m_resets; }
    void PageDestroyed() {}
    int m_resets = 0;
};

class CDlgMimic : public CPlaceholderChild {
  public:
    enum { IDD = IDD_MIMIC };
    CDlgMimic() : CPlaceholderChild(IDD) {}
};

class CDlgFileDownload : public CPlaceholderChild {
  public:
    enum { IDD = IDD_FILE_DOWNLOAD };
    CDlgFileDownload() : CPlaceholderChild(IDD) {}
    void SetPaneIndex(int pane) { m_paneIndex = pane; }
    int m_paneIndex = 0;
};
