// app/play/playback_pages.h
//
// The two playback pages of the main window: the recorder-disk page
// CDlgLocalPlayback (the recording list on the left, 270 pixels) and the
// network page CDlgRemotePlayback (the recorder list, 240 pixels). Right of
// the list each holds the playback frame (app/play/playback_frame_wnd.h) and,
// below it when shown, the 190-pixel sensor panel; the layout is
// play::LayOutPage.
//
// The page answers the frame: WM_FULL_SCREEN(1) hides the main window (the
// frame has moved to the desktop), WM_FULL_SCREEN(0) shows it and lays the
// page out again, which gives the frame back its place; WM_BAR_POSITION shows
// or hides the sensor panel. The network page keeps the frame at the video
// view and shows neither the view buttons nor the tool bar's sensor-panel
// button.
//
// The main window calls SetConfigAndSkin before creating a page, and then
// ResetPage, SetViewChecks, ClearPaneFlags, ShowDownloadButton and
// SensorPanel (the window WM_COORD_RANGE goes to).
#pragma once

#include "app/browse/device_list_wnd.h"
#include "app/browse/file_list_wnd.h"
#include "app/play/file_list_playback.h"
#include "app/play/playback_frame_wnd.h"
#include "app/sensors/sensor_panel_wnd.h"

class CPlaybackPage : public CPlayChildDialog {
  public:
    CPlaybackPage(UINT templateId, play::PageKind kind)
        : CPlayChildDialog(templateId, Face::Painted, RGB(0, 0, 0)), m_kind(kind) {}

    // Another mode was chosen: the list lets go of what it shows.
    virtual void ResetPage() = 0;
    void SetViewChecks(BOOL syncPlay, BOOL showWatermark) {
        m_dlgPlayback.m_dlgType.SetViewChecks(syncPlay, showWatermark);
    }
    void ClearPaneFlags() { m_dlgPlayback.m_dlgTool.ClearPaneFlags(); }
    void ShowDownloadButton(BOOL show) { m_dlgPlayback.m_dlgTool.ShowDownloadButton(show); }
    CWnd* SensorPanel() { return &m_dlgMimic; }
    BOOL IsSensorPanelHidden() const { return m_sensorPanelHidden; }

    CDlgPlayback m_dlgPlayback;
    CDlgMimic m_dlgMimic;

  protected:
    virtual CWnd& List() = 0;
    virtual void ListDestroyed() = 0;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    afx_msg LRESULT OnFullScreen(WPARAM on, LPARAM);
    afx_msg LRESULT OnBarPosition(WPARAM, LPARAM);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    HWND m_mainWindow = nullptr;
    BOOL m_sensorPanelHidden = TRUE;
    // What the list asks of the frame; it outlives the list.
    FileListPlayback m_listPlayback;

  private:
    play::PageKind m_kind;
};

class CDlgLocalPlayback : public CPlaybackPage {
  public:
    enum { IDD = IDD_LOCAL_PLAYBACK };
    CDlgLocalPlayback() : CPlaybackPage(IDD, play::PageKind::Disk) {}

    void ResetPage() override { m_dlgFileList.Reset(); }
    // The recorder's drive is gone: the list closes the disk.
    void CloseDisk() { m_dlgFileList.CloseDisk(); }

    CDlgFileList m_dlgFileList;

  protected:
    BOOL OnInitDialog() override;
    CWnd& List() override { return m_dlgFileList; }
    void ListDestroyed() override { m_dlgFileList.PageDestroyed(); }
};

class CDlgRemotePlayback : public CPlaybackPage {
  public:
    enum { IDD = IDD_REMOTE_PLAYBACK };
    CDlgRemotePlayback() : CPlaybackPage(IDD, play::PageKind::Network) {}

    void ResetPage() override { m_dlgDeviceList.Reset(); }

    CDlgDeviceList m_dlgDeviceList;

  protected:
    BOOL OnInitDialog() override;
    CWnd& List() override { return m_dlgDeviceList; }
    void ListDestroyed() override { m_dlgDeviceList.PageDestroyed(); }
};
