// app/fileplay/play_list_wnd.h
//
// CDlgPlayList: the file player's play list right of the video (template
// IDD_PLAY_LIST). A thin window over play::PlayList, which keeps the paths
// and the rules (app/fileplay/play_list.h): the dialog hands it its buttons and
// the list's double click and shows its rows (play::PlayListView).
//
// Look: the title button (bitmap 195, disabled, "Play List") at the top left;
// the list under it (CSkinListCtrl, one column "FILE", dark rows, the idle and
// playing images of bitmap 268); Add, Delete and Clear at the bottom right
// (play::LayOutPlayList). The face is 0x514843 with a black strip at the
// bottom and a grey-to-black gradient along the top.
//
// Add shows the file-open dialog with many files allowed; every chosen file
// goes in. A right click on a row does nothing.
#pragma once

#include <string>

#include "app/base/play_child_wnd.h"
#include "app/fileplay/play_list.h"
#include "controls/bmp_button.h"
#include "controls/skin_list_ctrl.h"
#include "res/file_play_ids.h"

class CDlgFilePlayCtrl;

class CDlgPlayList : public CPlayChildDialog, private play::PlayListView {
  public:
    enum { IDD = IDD_PLAY_LIST };

    CDlgPlayList();

    // The page ties the list to its control bar before creating it.
    void AttachControlBar(CDlgFilePlayCtrl* bar);

    int AddPath(const std::string& path) { return m_model.AddPath(path); }
    std::string PrevPath() { return m_model.PrevPath(); }
    std::string NextPath() { return m_model.NextPath(); }
    std::string CurrentPath() { return m_model.CurrentPath(); }
    void ClearList() { m_model.ClearList(); }
    play::PlayList& Model() { return m_model; }

    CSkinListCtrl m_list;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    void PaintFace(CDC& dc, const CRect& client) override;
    afx_msg void OnAdd();
    afx_msg void OnDelete();
    afx_msg void OnClear();
    afx_msg void OnRowDoubleClick(NMHDR* header, LRESULT* result);
    afx_msg void OnRowRightClick(NMHDR* header, LRESULT* result);
    afx_msg LRESULT OnMarkNone(WPARAM, LPARAM);
    afx_msg LRESULT OnMarkCurrent(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

  private:
    // PlayListView.
    void InsertRow(int row, const std::string& name) override;
    void DeleteRow(int row) override;
    void DeleteAllRows() override;
    void SetRowImage(int row, int image) override;
    void Redraw() override;

    std::string Text(int id) const;

    play::PlayList m_model;
    CImageList m_images;
    CBmpButton m_title;
    CBmpButton m_add;
    CBmpButton m_delete;
    CBmpButton m_clear;
};
