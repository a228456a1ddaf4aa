// app/play/playback_tool_wnd.h
//
// CDlgPlaybackTool: the playback tool bar under the video grid (template
// IDD_PLAYBACK_TOOL). A thin window over play::ToolbarController, which makes
// every decision: the dialog forwards its sixteen picture buttons, the volume
// slider and its messages, shows what it is told through play::ToolbarView and
// owns the ports the controller works through.
//
// Controls (res/play_pane_ids.h): Play, Pause, Stop, Speed Down, Speed Up,
// Next Frame, Capture, Mute, Video Clip, Download, Play All, Stop All, One
// Wnd, Four Wnd, Full Screen (IDC_TOOL_*) and the sensor panel button
// (IDC_BAR_POSITION); the state text IDC_TOOL_STATE and the volume slider
// IDC_TOOL_VOLUME. Placed by play::LayOutToolbar.
//
// A button's caption (Mute On / Mute Off, Full Screen / Exit Screen, Bottom /
// Up) is its tooltip and window text: the faces are pictures only.
//
// The tool bar finds its playback frame (its parent) in its initialisation and
// reaches through it the frame's time bar, type selector (the Sync Playback
// check) and download dialogs; it knows the panes by their controllers, which
// the frame ties to its own (CDlgPlayWnd::AttachToolBar). On WM_DESTROY it
// stops every pane and empties the time bar.
#pragma once

#include "app/base/library_ports.h"
#include "app/base/play_child_wnd.h"
#include "app/play/toolbar_controller.h"
#include "app/play/window_ports.h"
#include "controls/bitmap_slider.h"
#include "controls/bmp_button.h"
#include "controls/color_static.h"
#include "res/play_pane_ids.h"
#include "res/playback_ids.h"

class CDlgPlayback;

class CDlgPlaybackTool : public CPlayChildDialog, private play::ToolbarView {
  public:
    enum { IDD = IDD_PLAYBACK_TOOL };
    static constexpr int kButtonCount = 16;

    CDlgPlaybackTool();
    ~CDlgPlaybackTool() override;

    // What the recording lists and the main window call.
    // Starts one pane (-1: as the Play button does, the sync group in sync mode).
    void PlayPane(int pane);
    void SyncSeekAll();
    void StopAllAndClear();
    BOOL HasSyncMaster() const { return m_controller.syncMaster() != 0; }
    uint32_t syncMaster() const { return m_controller.syncMaster(); }
    void ShowDownloadButton(BOOL show);
    // The per-pane play-mode and clip words back to nothing (a mode change).
    void ClearPaneFlags();
    void SetButtonState(play::ToolbarState state) { m_controller.SetButtonState(state); }
    void SetSpeedText(LPCSTR text) { m_controller.SetSpeedText(text != nullptr ? text : ""); }

    play::ToolbarController& Controller() { return m_controller; }
    const play::ToolbarController& Controller() const { return m_controller; }
    // The button of a control id, or NULL.
    CBmpButton* Button(int id);

    CColorStatic m_stateText;
    CBitmapSlider m_volume;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    void PaintFace(CDC& dc, const CRect& client) override;
    afx_msg void OnButton(UINT id);
    afx_msg LRESULT OnPaneSelected(WPARAM pane, LPARAM);
    afx_msg LRESULT OnRecordsChanged(WPARAM, LPARAM);
    afx_msg LRESULT OnPlayLibNotify(WPARAM code, LPARAM user);
    afx_msg LRESULT OnStopAllPlay(WPARAM, LPARAM);
    afx_msg LRESULT OnSliderMoving(WPARAM control, LPARAM position);
    afx_msg LRESULT OnTimebarSeek(WPARAM, LPARAM);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    // ToolbarView.
    uintptr_t Window() const override { return reinterpret_cast<uintptr_t>(m_hWnd); }
    void EnableControl(int id, bool enable) override;
    void ShowControl(int id, bool show) override;
    void SetLatched(int id, bool latched) override;
    void SetCaption(int id, const std::string& text) override;
    void SetStateText(const std::string& text) override;
    void SetVolume(int position) override;
    void EnableSyncCheck(bool enable) override;
    void ShowMessage(const std::string& text) override;
    void PostToFrame(unsigned message, uintptr_t wParam) override;
    void OpenDownload(int pane) override;
    void StopDownloads(int pane) override;

    play::VekPlayPlayer m_player;
    play::TimeBarLink m_timeBar;
    play::ConfigPlaySettings m_settings;
    play::ToolbarController m_controller;

    CBmpButton m_buttons[kButtonCount];
    CDlgPlayback* m_frame = nullptr;
};
