// app/browse/file_list_wnd.h
//
// CDlgFileList: the recording list page, the left part of the disk playback
// page (child dialog IDD_FILE_LIST). A thin shell over browse::FileListModel,
// which makes every decision (app/browse/file_list_model.h): the dialog
// forwards its buttons, its status timer, the two search-done messages and the
// list's double click, and does what the model asks through the
// FileListPage calls (its controls, the configuration object, the calendar,
// the folder picker, the posts from the search threads) and through
// the page's browse::ListPlayback (the time bar, tool bar and panes of the
// frame beside it).
//
// Layout (browse::LayoutFileList): the list on top, the buttons Select
// Channel / Select Disk and Clear / Export in two rows under it, the calendar
// (CDlgCalendar, made here), the status line at the bottom.
//
// The Export button and the export command (ID_FILE_LIST_EXPORT) open the
// export-by-date dialog, the converter command (ID_FILE_LIST_CONVERT) the
// .264-to-AVI converter, both modal, with the page's configuration and skin.
//
// The page calls SetConfigAndSkin and SetPlayback before creating it, then
// Reset (a change of
// mode), CloseDisk (also the main window, when the recorder's drive is gone)
// and PageDestroyed (the page's window is going: the disk is let go while the
// frame still exists).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/base/play_child_wnd.h"
#include "app/browse/calendar_wnd.h"
#include "app/browse/disk_library.h"
#include "app/browse/drive_locator_win32.h"
#include "app/browse/file_list_model.h"
#include "app/browse/list_playback.h"
#include "controls/bmp_button.h"
#include "controls/color_static.h"
#include "controls/skin_list_ctrl.h"
#include "res/file_list_ids.h"
#include "res/playback_ids.h"

class CDlgFileList : public CPlayChildDialog, public CalendarDayOwner, private browse::FileListPage {
  public:
    enum { IDD = IDD_FILE_LIST };
    CDlgFileList();
    ~CDlgFileList() override;

    // The frame beside the list, before the list's window is made (nullptr:
    // none).
    void SetPlayback(browse::ListPlayback* playback) {
        m_playback = playback != nullptr ? playback : &m_noPlayback;
    }
    void Reset();
    void CloseDisk();
    void PageDestroyed();
    // The calendar's day (also after the channel chooser): the whole-day search.
    void OnSearchDay(const std::string& day) override;

    // NULL before the window is created.
    const browse::FileListModel* Model() const { return m_model.get(); }

    CDlgCalendar m_dlgCalendar;
    CBmpButton m_btnSelectDisk;
    CBmpButton m_btnExport;
    CBmpButton m_btnSelectChannel;
    CBmpButton m_btnClear;
    CSkinListCtrl m_listRows;
    CColorStatic m_status;
    CImageList m_typeImages;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    afx_msg void OnSelectDisk();
    afx_msg void OnClear();
    afx_msg void OnExport();
    afx_msg void OnConvert();
    afx_msg void OnSelectChannel();
    afx_msg void OnRowDoubleClick(NMHDR* header, LRESULT* result);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg LRESULT OnMonthSearchDone(WPARAM, LPARAM);
    afx_msg LRESULT OnDaySearchDone(WPARAM, LPARAM);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    void SetUpList();

    // browse::FileListPage.
    std::optional<std::string> PickFolder() override;
    browse::CalendarDate Today() override;
    void EnableDiskControls(bool enable) override;
    void EnableClear(bool enable) override;
    void ShowStatus(const std::string& text) override;
    void SetStatusTimer(bool on) override;
    void ShowRows(const std::vector<browse::ListRow>& rows) override;
    void SetCalendarDays(const std::vector<std::string>& days) override;
    void StoreDiskFolder(const std::string& folder) override;
    void StorePhysicalDrive(int drive) override;
    void StoreDiskHandle(FSDiskHandle disk) override;
    void ClearGpsTable() override;
    void PostMonthSearchDone() override;
    void PostDaySearchDone() override;
    void PostRecordsChanged() override;

    browse::VkfsDiskLibrary m_disks;
    browse::Win32DriveLocator m_drives;
    browse::NoPlayback m_noPlayback;
    browse::ListPlayback* m_playback = &m_noPlayback;
    // Where the pane records go when there is no configuration object.
    browse::PaneRecordMap m_ownPaneRecords[browse::kPaneCount];
    std::unique_ptr<browse::FileListModel> m_model;
    HWND m_window = nullptr;  // this page, for the search threads' posts
};
