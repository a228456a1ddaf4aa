// app/play/file_list_playback.cpp
#include "app/play/file_list_playback.h"

#include "app/base/pane_count.h"
#include "app/messages.h"
#include "app/play/play_wnd.h"
#include "app/play/playback_frame_wnd.h"
#include "app/play/playback_tool_wnd.h"

void FileListPlayback::SetFrame(CDlgPlayback* frame) {
    m_frame = frame;
    m_toolBar = frame != nullptr ? frame->m_dlgTool.m_hWnd : nullptr;
}

CDlgPlayback* FileListPlayback::Frame() const {
    return m_frame != nullptr && ::IsWindow(m_frame->m_hWnd) ? m_frame : nullptr;
}

void FileListPlayback::StopAllAndClear() {
    CDlgPlayback* frame = Frame();
    if (frame == nullptr)
        return;
    frame->m_dlgTool.StopAllAndClear();  // every pane stopped, every time-bar row emptied
}

void FileListPlayback::AddTimebarRecord(int row, const play::_recfile_info_t& record) {
    if (CDlgPlayback* frame = Frame())
        frame->m_dlgBar.m_timeBar.AddRecord(row, record);
}

bool FileListPlayback::HasSyncMaster() {
    CDlgPlayback* frame = Frame();
    return frame != nullptr && frame->m_dlgTool.HasSyncMaster();
}

bool FileListPlayback::PaneHasPlay(int pane) {
    CDlgPlayback* frame = Frame();
    return frame != nullptr && play::ValidPane(pane) && frame->m_dlgVideo.m_panes[pane].HasPlayInstance();
}

void FileListPlayback::PlayPane(int pane) {
    if (CDlgPlayback* frame = Frame(); frame != nullptr && (pane == -1 || play::ValidPane(pane)))
        frame->m_dlgTool.PlayPane(pane);
}

void FileListPlayback::SetCursorTime(int row, int hour, int minute, int second, bool common) {
    if (CDlgPlayback* frame = Frame())
        frame->m_dlgBar.m_timeBar.SetCursorTime(row, hour, minute, second, common ? 1 : 0);
}

void FileListPlayback::StoreSeekTime(const browse::RowSeekTime& time) {
    if (CDlgPlayback* frame = Frame())
        frame->m_dlgBar.m_timeBar.SetClickedTime(time.hour, time.minute, time.second);
}

void FileListPlayback::SyncSeekAll() {
    if (CDlgPlayback* frame = Frame())
        frame->m_dlgTool.SyncSeekAll();
}

void FileListPlayback::SeekPane(int pane) {
    if (CDlgPlayback* frame = Frame(); frame != nullptr && play::ValidPane(pane))
        frame->m_dlgVideo.m_panes[pane].SeekPlay();
}

void FileListPlayback::SelectPane(int pane) {
    if (CDlgPlayback* frame = Frame(); frame != nullptr && play::ValidPane(pane))
        frame->m_dlgVideo.m_panes[pane].SelectPane();
}

void FileListPlayback::ClearRecords(int row) {
    if (CDlgPlayback* frame = Frame(); frame != nullptr && play::ValidPane(row))
        frame->m_dlgBar.m_timeBar.ClearRecords(row);
}

void FileListPlayback::SetPlayDay(int pane, std::optional<browse::CalendarDate> day) {
    if (CDlgPlayback* frame = Frame(); frame != nullptr && play::ValidPane(pane)) {
        if (day)
            frame->m_dlgVideo.m_panes[pane].SetPlayDay(day->year, day->month, day->day, TRUE);
        else
            frame->m_dlgVideo.m_panes[pane].SetPlayDay(0, 0, 0, FALSE);
    }
}

void FileListPlayback::PostRecordsChanged() {
    if (m_toolBar != nullptr)
        ::PostMessageA(m_toolBar, WM_RECORDS_CHANGED, 0, 0);
}
