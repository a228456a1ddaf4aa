// app/lumerad_dlg.h
//
// CLumeradDlg: the main window, a dialog run modally by the application
// object. Along its top the 32-pixel mode bar; below it, from y = 33, one of
// three pages: the recorder-disk playback page, the network playback page and
// the local file player. The bar asks for a page with the mode messages
// (app/messages.h); the main window shows that page, hides and resets the
// others and keeps the mode in the configuration. It starts maximised, with a
// thick frame and a minimum tracking size of 1150 x 750, paints its own
// background black, and never closes on Enter or Escape.
//
// Device changes: when a notice other than an arrival (app/drive_watch.h)
// finds the recorder's drive gone, the open disk is let go completely (the page's list, then every
// search, play and export still running on it, then the disk itself), the
// configuration's handle and drive become 0, and the user is told once.
#pragma once

#include "app/app_config.h"
#include "app/dlg_menu_ctrl.h"
#include "app/fileplay/file_play_wnd.h"
#include "app/play/playback_pages.h"
#include "app/pub_skin.h"
#include "res/resource.h"
#include "winlib/winlib.h"

// The filter the program's dialogs share: TRUE for the Enter and Escape
// key-downs, which would otherwise end the dialog through the dialog manager.
BOOL IsEnterOrEscapeKeyDown(const MSG* msg);

// 1 when "\\.\PhysicalDrive<drive>" cannot be opened for reading because it
// is not there; 0 when it opens, when it is there but refused the open (held
// by another program, or not ours to open), and for drive 0 (no recorder
// disk).
int IsPhysicalDriveGone(int drive);

class CLumeradDlg : public CDialog {
  public:
    enum { IDD = IDD_MOVAREL_DIALOG };

    static constexpr int kBarHeight = 32;
    static constexpr int kPageTop = 33;
    static constexpr int kMinTrackWidth = 1150;
    static constexpr int kMinTrackHeight = 750;
    static constexpr int kStartWidth = 1280;
    static constexpr int kStartHeight = 850;

    explicit CLumeradDlg(CWnd* parent = nullptr);

    // Called before the window is created; only keeps the two pointers.
    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin);

    BOOL PreTranslateMessage(MSG* msg) override;

    // Members in the order they are made.
    CDlgLocalPlayback m_diskPage;
    CDlgRemotePlayback m_netPage;
    CDlgMenuCtrl m_menuBar;
    CDlgFilePlay m_filePage;

  protected:
    BOOL OnInitDialog() override;

    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg BOOL OnDeviceChange(UINT event, DWORD_PTR data);
    afx_msg LRESULT OnModeLocalPlayback(WPARAM, LPARAM);
    afx_msg LRESULT OnModeRemotePlayback(WPARAM, LPARAM);
    afx_msg LRESULT OnModeFilePlay(WPARAM, LPARAM);
    // Passed on to both pages' sensor panels.
    afx_msg LRESULT OnCoordRange(WPARAM coords, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    HICON m_hIcon = nullptr;
    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
    BOOL m_laidOut = FALSE;

  private:
    void LayOut();
    void ShowLocalMode();
    void ShowRemoteMode();
    void ShowFileMode();
    void ReleaseGoneDrive();
};
