// app/fileplay/open_file_wnd.h
//
// CDlgOpenFile: the small popup centred on the file player's video while
// nothing plays (template IDD_OPEN_FILE): "Open file" runs the control bar's
// open-file command; the folder button asks for a folder, clears the play
// list (which stops the file that plays) and scans the folder on a thread of
// its own (play::FolderScan).
//
// The scan thread never touches a window: it posts WM_FOLDER_SCAN_FOUND to
// the popup when paths start to wait, and the popup adds them to the play
// list on the GUI thread, a batch at a time; while more wait, the next batch
// comes with a timer, which the system delivers only after the user's input,
// so the page answers the user while a large folder fills the list. A second
// scan stops the first; the popup's destruction stops and joins its scan.
//
// Look: the background is bitmap 232 as a pattern brush; "Open file" (bitmap
// 234, its caption inset (25, 5), white) and the folder button (bitmap 235)
// side by side 140 pixels below the top.
#pragma once

#include <string>

#include "app/base/play_child_wnd.h"
#include "app/fileplay/file_play_system_win32.h"
#include "app/fileplay/folder_walk.h"
#include "controls/bmp_button.h"
#include "res/file_play_ids.h"

class CDlgFilePlay;

class CDlgOpenFile : public CPlayChildDialog {
  public:
    enum { IDD = IDD_OPEN_FILE };
    // Paths added to the play list per message.
    static constexpr size_t kPathsPerBatch = 64;
    static constexpr UINT_PTR kScanTimer = 104;

    CDlgOpenFile();
    ~CDlgOpenFile() override;

    // The page ties the popup to itself before creating it.
    void AttachPage(CDlgFilePlay* page) { m_page = page; }

    // Clears the play list and scans `folder` into it (what the folder button
    // does once a folder is chosen).
    void ScanFolder(const std::string& folder);
    bool Scanning() const { return m_scan.Running(); }
    const std::string& LastFolder() const { return m_lastFolder; }

    CBmpButton m_open;
    CBmpButton m_folder;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    void PaintFace(CDC& dc, const CRect& client) override;
    afx_msg void OnOpenFile();
    afx_msg void OnOpenFolder();
    afx_msg LRESULT OnScanFound(WPARAM, LPARAM);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    void AddFoundBatch();

    CDlgFilePlay* m_page = nullptr;
    CBitmap m_back;
    CBrush m_backBrush;
    std::string m_lastFolder;
    play::Win32FolderLister m_lister;
    play::FolderScan m_scan{m_lister};
};
