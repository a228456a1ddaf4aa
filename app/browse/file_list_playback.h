// app/browse/file_list_playback.h
//
// What the recording list asks of the playback side (browse::PlaybackControl),
// done on the playback frame next to the list: its recording time bar, its
// tool bar and its four play panes.
//
// The frame is found among the page's children when first needed (the page
// creates the list before the frame). With no frame (a list on its own) the
// calls do nothing.
//
// A double-clicked row's start becomes the time bar's clicked time: that is
// the time the panes read back when they seek (FindRecordAt), so the seek
// goes to the row and not to wherever the bar was last clicked.
#pragma once

#include <atomic>

#include "app/browse/file_list_model.h"
#include "winlib/winlib.h"

class CDlgPlayback;

class FileListPlayback final : public browse::PlaybackControl {
  public:
    // `page` is the list's parent, whose children include the frame.
    void SetPage(HWND page) { m_page = page; }
    CDlgPlayback* Frame();
    // The tool bar's window, for the day search's thread to post to; NULL
    // until the frame was found.
    HWND ToolBarWindow() const { return m_toolBar.load(); }

    void StopAllAndClear() override;
    void AddTimebarRecord(int row, const play::_recfile_info_t& record) override;
    bool HasSyncMaster() override;
    bool PaneHasPlay(int pane) override;
    void PlayPane(int pane) override;
    void SetCursorTime(int row, int hour, int minute, int second, bool common) override;
    void StoreSeekTime(const browse::RowSeekTime& time) override;
    void SyncSeekAll() override;
    void SeekPane(int pane) override;
    void SelectPane(int pane) override;

  private:
    HWND m_page = nullptr;
    CDlgPlayback* m_frame = nullptr;
    HWND m_frameWindow = nullptr;
    std::atomic<HWND> m_toolBar{nullptr};
};
