// app/play/file_list_playback.h
//
// What the recording list asks of the playback side (browse::PlaybackControl),
// and the network recorder list (browse::NetPlayback), done on the playback
// frame next to the list: its recording time bar, its tool bar and its four
// play panes.
//
// The page holds one, hands it to its list before the list's window is made
// and hands it the frame once it has made that (it makes the list first);
// before that the calls do nothing.
//
// A double-clicked row's start becomes the time bar's clicked time: that is
// the time the panes read back when they seek (FindRecordAt), so the seek
// goes to the row and not to wherever the bar was last clicked.
#pragma once

#include "app/browse/list_playback.h"
#include "winlib/winlib.h"

class CDlgPlayback;

class FileListPlayback final : public browse::ListPlayback {
  public:
    // The frame next to the list, its windows made (GUI thread, before any
    // search runs).
    void SetFrame(CDlgPlayback* frame);
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
    // The network list's; also the disk list's day search, from its thread.
    void ClearRecords(int row) override;
    void SetPlayDay(int pane, std::optional<browse::CalendarDate> day) override;
    void PostRecordsChanged() override;

  private:
    // The frame while its window lives; nullptr otherwise.
    CDlgPlayback* Frame() const;

    CDlgPlayback* m_frame = nullptr;
    HWND m_toolBar = nullptr;
};
