// app/download/file_download_dlg.h
//
// CDlgFileDownload: a pane's download dialog (template IDD_FILE_DOWNLOAD), a
// thin window over play::FileDownloadModel (app/download/file_download_model.h).
// Each playback frame makes four, hidden, one per pane; the tool bar's
// Download button fills the pane's dialog from its time-bar row and shows
// it, and its stop-all empties the rows' downloads before the row is
// cleared.
//
// The list is a CCheckListCtrl with the columns Index, Start Time, End Time,
// State, SIZE and the hidden target path, grid lines, full-row select and
// alternate rows (odd 0xB4B4B4, even 0xA0A0A0). Start (1234) queues the
// checked idle rows, Stop (1235) stops the checked waiting or downloading
// ones; timer 600 starts the next waiting row every 500 ms while the window
// lives. The close box hides the dialog and leaves its downloads running;
// WM_DESTROY stops them all.
//
// VekNet reports a download's progress (code 295) and end (290) on a thread
// of its own through DownloadEventCallback, which posts them as
// WM_DOWNLOAD_PROGRESS and WM_DOWNLOAD_DONE (app/messages.h: numbers of our
// own, not the system's 290 and 295) with the download's tag; the dialog
// consumes both.
#pragma once

#include <memory>

#include "app/base/play_child_wnd.h"
#include "app/download/file_download_model.h"
#include "controls/check_list_ctrl.h"
#include "res/playback_ids.h"

class CVideoRecordTimeCtrl;

class CDlgFileDownload : public CPlayChildDialog,
                         private play::DownloadView,
                         private play::DownloadSettings,
                         private play::DownloadRecords {
  public:
    enum { IDD = IDD_FILE_DOWNLOAD };
    CDlgFileDownload();
    ~CDlgFileDownload() override;

    void SetPaneIndex(int pane) { m_paneIndex = pane; }
    // The library the downloads go through (not owned; before Create). VekNet
    // unless set.
    void SetLibrary(play::DownloadLibrary* library) { m_library = library; }
    // Caption and rows from the pane's row of `timeBar`; nothing before the
    // window exists.
    void FillRecordList(CVideoRecordTimeCtrl* timeBar);
    // Stops every waiting or downloading row, then hides the dialog.
    void StopAllDownloads();
    // Null before the window exists.
    const play::FileDownloadModel* Model() const { return m_model.get(); }

    // VekNet's event callback: `user` is the download's route.
    static void VEK_CALL DownloadEventCallback(int32_t code, int32_t value, uintptr_t user);

    int m_paneIndex = 0;
    CCheckListCtrl m_list;

  protected:
    BOOL OnInitDialog() override;
    afx_msg void OnStart();
    afx_msg void OnStop();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg LRESULT OnDownloadDone(WPARAM result, LPARAM tag);
    afx_msg LRESULT OnDownloadProgress(WPARAM percent, LPARAM tag);
    DECLARE_MESSAGE_MAP()

  private:
    // DownloadView
    void SetCaption(const std::string& text) override;
    void DeleteAllRows() override;
    void InsertRow(int row,
                   const std::array<std::string, play::kDownloadColumns>& texts,
                   uint32_t data) override;
    void SetStateText(int row, const std::string& text) override;
    void SetRowData(int row, uint32_t data) override;
    bool IsChecked(int row) const override;
    bool TakeQueuedEnd(uint32_t tag, int32_t* result) override;
    void Hide() override;
    // DownloadSettings
    std::string RecordPath() const override;
    std::string ModeText() const override;
    int VideoType() const override;
    uint32_t LoginHandle() const override;
    std::string Text(int id) const override;
    void MakeDirTree(const std::string& folder) override;
    // DownloadRecords: the pane's row of the time bar
    int Count() const override;
    const play::_recfile_info_t* Get(int index) const override;
    void Set(int index, const play::_recfile_info_t& record) override;

    play::VekNetDownloadLibrary m_vekNet;
    play::DownloadLibrary* m_library = nullptr;
    CVideoRecordTimeCtrl* m_timeBar = nullptr;
    std::unique_ptr<play::FileDownloadModel> m_model;
};
