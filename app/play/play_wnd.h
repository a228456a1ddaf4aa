// app/play/play_wnd.h
//
// CDlgPlayWnd: one play pane of the video grid (template IDD_PLAY_WND). It is a
// thin window over play::PaneController, which makes every decision: the
// dialog hands it its commands, timer 103 and WM_PLAYLIB_NOTIFY, shows what it
// is told through play::PaneView, and owns the ports the controller plays
// through (VekPlay, VKFS, VekNet, the configuration, the frame's time bar and
// map panes).
//
// The window: a 2-pixel frame, the title strip (bitmap 136) with "Playback
// Window:N" at the left and the played time at the right, and the video area
// (CShowStaic, IDC_PLAY_VIDEO) below it, which the playback library draws into.
// A click in the video area selects the pane; a double click there asks the
// grid to toggle one pane / four panes. When the watermark is on, the logo
// (bitmap 276) is blended faintly over every picture on the playback library's
// render thread.
//
// The pane finds its playback frame (the grid's parent) in its initialisation
// and ties itself to the frame's time bar and map panes there; the frame ties
// it to its tool bar (AttachToolBar). Outside a frame it still plays, with no
// tool bar, no time bar and no map panes.
//
// Destroying a pane that still plays stops it first, so no library thread
// calls into a pane that is gone.
#pragma once

#include <string>

#include "app/base/library_ports.h"
#include "app/base/play_child_wnd.h"
#include "app/play/pane_controller.h"
#include "app/play/window_ports.h"
#include "controls/resource_picture.h"
#include "controls/show_static.h"
#include "res/play_pane_ids.h"
#include "res/playback_ids.h"

class CDlgPlayWnd : public CPlayChildDialog, private play::PaneView, private play::OverlayPainter {
  public:
    enum { IDD = IDD_PLAY_WND };
    CDlgPlayWnd();
    ~CDlgPlayWnd() override;

    // Set by the grid before the pane is created (0..3).
    void SetPaneIndex(int index);
    int PaneIndex() const { return m_controller.paneIndex(); }

    // Commands: 0 play or resume, 1 stop, 2 pause, 3 next frame; `syncStart`
    // when the tool bar starts or stops the pane as a member of its sync group.
    void PlayCtrl(int command, BOOL syncStart);
    // Jumps to the time chosen on the pane's time-bar row.
    void SeekPlay();
    // Applies the speed level the tool bar set on the pane.
    void SetPlaySpeed();
    void CaptureSnapshot();
    void ToggleClipRecord();
    // Makes this pane the grid's selected one.
    void SelectPane();
    void SetTimeText(LPCSTR text);
    // The day a network play covers (the network list sets it before playing);
    // an invalid date plays an unknown day.
    void SetPlayDay(int year, int month, int day, BOOL valid = TRUE);

    // Whether a playback instance plays in the pane (the recording lists ask).
    BOOL HasPlayInstance() const { return m_controller.playHandle() != 0; }
    BOOL IsPlaying() const { return m_controller.playing(); }
    const std::string& TimeText() const { return m_controller.timeText(); }
    play::PaneController& Controller() { return m_controller; }
    // Ties the pane and the tool bar's controller to each other (the frame
    // does, once it has made its panes); NULL lets go.
    void AttachToolBar(play::ToolbarController* toolBar);

    CShowStaic m_videoArea;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    void PaintFace(CDC& dc, const CRect& client) override;
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg LRESULT OnPlayLibNotify(WPARAM code, LPARAM user);
    afx_msg LRESULT OnTimebarSeek(WPARAM, LPARAM);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    // PaneView.
    uintptr_t Window() const override { return reinterpret_cast<uintptr_t>(m_hWnd); }
    uintptr_t VideoWindow() const override { return reinterpret_cast<uintptr_t>(m_videoArea.m_hWnd); }
    void SetVideoIdle(bool idle) override;
    void ShowTimeText(const std::string& text) override;
    void EraseVideo() override;
    void Repaint() override;
    void SetPlayTimer(bool on) override;
    void ShowMessage(const std::string& text) override;
    void PostPaneSelected(int pane) override;

    // OverlayPainter: the logo, on the render thread.
    void PaintOverlay(VekPlayDC dc, int width, int height) override;

    // Inside the video area, in client coordinates.
    bool InVideoArea(CPoint point) const;

    play::VekPlayPlayer m_player;
    play::VkfsDiskSource m_disk;
    play::VekNetSource m_net;
    play::TimeBarLink m_timeBar;
    play::ConfigPlaySettings m_settings;
    play::DirTreeFileSystem m_files;
    play::SystemClock m_clock;
    play::MapGridPanes m_maps;
    play::PaneController m_controller;

    controls::ResourcePicture m_logo;
    CRect m_timeRect;
    CFont m_font;
};
