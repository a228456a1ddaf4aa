// app/play/page_children_placeholder.h
//
// Stand-ins for the parts of the playback pages that come with their own
// dialogs later: the download dialog. It has the class name, template and
// the calls the pages, the frame and the strip make on it, so it is created,
// laid out and addressed as the real one will be; it shows nothing and
// remembers what it was asked (tests look). The real dialog replaces this
// file.
#pragma once

#include "app/play/play_child_wnd.h"
#include "res/playback_ids.h"

// What every stand-in remembers.
class CPlaceholderChild : public CPlayChildDialog {
  public:
    // A dark, empty face.
    explicit CPlaceholderChild(UINT templateId) : CPlayChildDialog(templateId, Face::Dialog, kDarkGrey) {}
    static constexpr COLORREF kDarkGrey = RGB(64, 64, 64);

    int m_seekRequests = 0;       // WM_TIMEBAR_SEEK received
    int m_paneSelections = 0;     // WM_PANE_SELECTED received
    WPARAM m_lastSelected = 0;    // its pane
    int m_coordRanges = 0;        // WM_COORD_RANGE received
    WPARAM m_lastCoordRange = 0;  // its range

  protected:
    afx_msg LRESULT OnTimebarSeek(WPARAM, LPARAM);
    afx_msg LRESULT OnPaneSelected(WPARAM pane, LPARAM);
    afx_msg LRESULT OnCoordRange(WPARAM coords, LPARAM);
    DECLARE_MESSAGE_MAP()
};

class CDlgFileDownload : public CPlaceholderChild {
  public:
    enum { IDD = IDD_FILE_DOWNLOAD };
    CDlgFileDownload() : CPlaceholderChild(IDD) {}
    void SetPaneIndex(int pane) { m_paneIndex = pane; }
    int m_paneIndex = 0;
};
