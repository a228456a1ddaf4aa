// app/fileplay/file_play_wnd.h
//
// CDlgFilePlay: the local file player, the third page of the main window
// (template IDD_FILE_PLAY). It plays recording files from the computer's
// disks (".264", ".h264", ".avi", ".nvr") one at a time through the playback
// library, from a play list filled by the open dialogs, by dropping files and
// folders on the page, and by a folder scan.
//
// The page holds the video window the playback library draws into (a
// CShowStaic) and its three parts, made in its initialisation: the play list
// (CDlgPlayList) at the right, the control bar (CDlgFilePlayCtrl) under the
// video, which owns the playback instance, and the open popup (CDlgOpenFile)
// centred on the video while nothing plays. play::LayOutFilePage places them;
// the bar's show/hide button posts WM_PLAYLIST_SHOW to lay them out again.
//
// A drop adds every video file the dropped files and folders hold (sub-folders
// entered; ".avi", ".264", ".h264", ".nvr" in any case) and then plays the
// play list's current row.
//
// ResetPage (another mode was chosen) and the page's destruction clear the
// play list, which stops the file that plays.
#pragma once

#include <string>
#include <vector>

#include "app/base/play_child_wnd.h"
#include "app/fileplay/file_play_ctrl_wnd.h"
#include "app/fileplay/file_play_system_win32.h"
#include "app/fileplay/open_file_wnd.h"
#include "app/fileplay/play_list_wnd.h"
#include "controls/show_static.h"
#include "res/file_play_ids.h"
#include "res/resource.h"

class CDlgFilePlay : public CPlayChildDialog {
  public:
    enum { IDD = IDD_FILE_PLAY };

    CDlgFilePlay();
    ~CDlgFilePlay() override;

    // Another mode was chosen: the play list is cleared (the file stops).
    void ResetPage();
    void ShowOpenPopup(BOOL show);
    HWND VideoWindow() const { return m_video.m_hWnd; }
    BOOL PlayListShown() const { return m_listShown; }

    // What a drop of these files and folders does.
    void AddDropped(const std::vector<std::string>& items);

    // Members in the order they are made.
    CDlgPlayList m_playList;
    CDlgFilePlayCtrl m_ctrl;
    CDlgOpenFile m_openPopup;
    CShowStaic m_video;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    afx_msg LRESULT OnPlayListShow(WPARAM shown, LPARAM);
    afx_msg void OnDropFiles(HDROP drop);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    BOOL m_listShown = TRUE;
    play::Win32FolderLister m_lister;
};
