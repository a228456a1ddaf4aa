// app/play/playback_frame_wnd.h
//
// The playback frame CDlgPlayback and its parts: the view type selector
// (CDlgPlaybackType), the video grid of four play panes (CDlgVideoPlayback),
// the map grid of four map panes (CDlgTrackPlayback), the tool bar, the strip
// with the recording time bar (CDlgPlaybackBar) and four download dialogs.
//
// Each dialog creates its children in its initialisation and places them on
// WM_SIZE with the pure layouts of app/play/page_layout.h and pane_grid.h;
// the messages between them are posted as the table in app/messages.h says:
//
//   selector  -> frame      WM_VIEW_TYPE, WM_SYNC_PLAY
//   tool bar  -> frame      WM_PANE_LAYOUT, WM_FULL_SCREEN, WM_BAR_POSITION
//   frame     -> grids      WM_PANE_LAYOUT; WM_SYNC_PLAY to the map grid
//   frame     -> page       WM_FULL_SCREEN (1/0), WM_BAR_POSITION
//   pane      -> its grid   WM_PANE_SELECTED (the video grid sends it on to the
//                           tool bar), WM_PANE_TOGGLE_LAYOUT
//   time bar  -> strip      WM_TIMEBAR_SEEK; the strip posts it on (0, 0) to
//                           the play pane of the row, or to the tool bar for
//                           the common cursor
//
// The map grid exists only when the GPS switch is on (and the frame is not
// told to go without one); messages meant for it are skipped otherwise.
#pragma once

#include "app/base/play_child_wnd.h"
#include "app/download/file_download_dlg.h"
#include "app/map/map_wnd.h"
#include "app/play/full_screen_switch.h"
#include "app/play/page_layout.h"
#include "app/play/pane_grid.h"
#include "app/play/play_wnd.h"
#include "app/play/playback_tool_wnd.h"
#include "app/play/timebar_wnd.h"
#include "controls/bmp_button.h"
#include "controls/color_static.h"

class CDlgPlaybackType : public CPlayChildDialog {
  public:
    enum { IDD = IDD_PLAYBACK_TYPE };
    CDlgPlaybackType() : CPlayChildDialog(IDD, Face::Painted) {}

    // The three view buttons (hidden on the network page).
    void ShowViewButtons(BOOL show);
    // The Sync Playback and Show Watermark checks.
    void SetViewChecks(BOOL syncPlay, BOOL showWatermark);

    CBmpButton m_btnVideo;
    CBmpButton m_btnTrack;
    CBmpButton m_btnVideoTrack;
    CColorStatic m_title;
    CColorStatic m_syncLabel;
    CColorStatic m_watermarkLabel;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    void PaintFace(CDC& dc, const CRect& client) override;
    afx_msg void OnViewButton(UINT id);
    afx_msg void OnSyncClicked();
    afx_msg void OnWatermarkClicked();
    DECLARE_MESSAGE_MAP()

  private:
    bool Gps() const { return m_pConfig != nullptr && m_pConfig->m_gps != 0; }
    bool Watermark() const { return m_pConfig != nullptr && m_pConfig->m_watermark != 0; }

    BOOL m_viewButtons = TRUE;
};

// The video grid and the map grid share their layout, framing and messages.
class CPaneGridDialog : public CPlayChildDialog {
  public:
    CPaneGridDialog(UINT templateId, play::PaneGrid::Kind kind)
        : CPlayChildDialog(templateId, Face::Painted), m_grid(kind) {}
    const play::PaneGrid& Grid() const { return m_grid; }

  protected:
    virtual CPlayChildDialog& Pane(int index) = 0;
    // Makes pane `index` (0..3), told its index, shown.
    virtual void CreatePane(int index) = 0;
    // The selection changed (the video grid tells the tool bar).
    virtual void OnSelected(WPARAM, LPARAM) {}

    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    void PaintFace(CDC& dc, const CRect& client) override;
    afx_msg LRESULT OnPaneSelected(WPARAM pane, LPARAM lParam);
    afx_msg LRESULT OnPaneToggleLayout(WPARAM pane, LPARAM);
    afx_msg LRESULT OnPaneLayout(WPARAM command, LPARAM);
    DECLARE_MESSAGE_MAP()

    play::PaneGrid m_grid;
};

class CDlgVideoPlayback : public CPaneGridDialog {
  public:
    enum { IDD = IDD_VIDEO_PLAYBACK };
    CDlgVideoPlayback() : CPaneGridDialog(IDD, play::PaneGrid::Kind::Video) {}
    void SetToolBar(CWnd* toolBar) { m_toolBar = toolBar; }

    CDlgPlayWnd m_panes[play::kPaneCount];

  protected:
    CPlayChildDialog& Pane(int index) override { return m_panes[index]; }
    void CreatePane(int index) override;
    void OnSelected(WPARAM wParam, LPARAM lParam) override;

  private:
    CWnd* m_toolBar = nullptr;
};

class CDlgTrackPlayback : public CPaneGridDialog {
  public:
    enum { IDD = IDD_TRACK_PLAYBACK };
    CDlgTrackPlayback() : CPaneGridDialog(IDD, play::PaneGrid::Kind::Map) {}

    CDlgMapWnd m_panes[play::kPaneCount];

  protected:
    CPlayChildDialog& Pane(int index) override { return m_panes[index]; }
    void CreatePane(int index) override;
    afx_msg LRESULT OnSyncPlay(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
};

class CDlgPlaybackBar : public CPlayChildDialog {
  public:
    enum { IDD = IDD_PLAYBACK_BAR };
    CDlgPlaybackBar() : CPlayChildDialog(IDD, Face::Dialog) {}
    // Where the time bar's seeks go: the play panes by row, and the tool bar.
    void SetSeekTargets(CWnd* panes[play::kPaneCount], CWnd* toolBar);

    CVideoRecordTimeCtrl m_timeBar;

  protected:
    BOOL OnInitDialog() override;
    // The time bar fills the strip.
    void PlaceChildren() override;
    afx_msg LRESULT OnTimebarSeek(WPARAM control, LPARAM row);
    DECLARE_MESSAGE_MAP()

  private:
    CWnd* m_panes[play::kPaneCount] = {};
    CWnd* m_toolBar = nullptr;
};

class CDlgPlayback : public CPlayChildDialog {
  public:
    enum { IDD = IDD_PLAYBACK };
    CDlgPlayback() : CPlayChildDialog(IDD, Face::Painted, RGB(0, 0, 0)) {}

    void ApplyViewType(int type);
    BOOL HasMapGrid() const { return m_dlgTrack.m_hWnd != nullptr; }
    BOOL IsFullScreen() const { return m_fullScreen.active(); }

    CDlgPlaybackType m_dlgType;
    CDlgVideoPlayback m_dlgVideo;
    CDlgTrackPlayback m_dlgTrack;
    CDlgPlaybackTool m_dlgTool;
    CDlgPlaybackBar m_dlgBar;
    CDlgFileDownload m_dlgDownload[play::kPaneCount];

    int m_noMapGrid = 0;  // set before creation: never make the map grid
    int m_viewType = 1;   // 1 video, 2 map, 3 video and map

  protected:
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    afx_msg LRESULT OnViewType(WPARAM command, LPARAM);
    afx_msg LRESULT OnPaneLayout(WPARAM command, LPARAM lParam);
    afx_msg LRESULT OnFullScreen(WPARAM on, LPARAM);
    afx_msg LRESULT OnSyncPlay(WPARAM, LPARAM);
    afx_msg LRESULT OnBarPosition(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

  private:
    HWND m_page = nullptr;  // the page the frame belongs to
    play::FullScreenSwitch m_fullScreen;
    int m_contentHeight = 0;
    int m_contentWidth = 0;
};
