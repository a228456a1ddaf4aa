// app/play/timebar_wnd.h
//
// CVideoRecordTimeCtrl: the recording time bar's window, a thin shell over
// play::TimebarModel (app/play/timebar_model.h), which holds the rows, the
// geometry, the cursors and what mouse and keys do. The window feeds it its
// client size, input and tick counts, paints what it returns (double-buffered)
// and posts WM_TIMEBAR_SEEK (control id, row or -1) to its parent when a
// click seeks. The clicked time stays in the model; the play panes read it back
// through FindRecordAt.
//
// The disk list, the network list, the panes, the tool bar and the download
// dialog call the functions below on the GUI thread; Port() is the same bar as
// the panes' and tool bar's TimeBar interface, repainting on every change.
//
// Cursor resources 171 (over a zoom button and while dragging) and 172 (over
// the bar) come from the program's resources; where the module has none, the
// system's hand and arrow stand in.
#pragma once

#include "app/app_config.h"
#include "app/play/model_time_bar.h"
#include "app/play/timebar_model.h"
#include "winlib/winlib.h"

class CVideoRecordTimeCtrl : public CWnd {
  public:
    CVideoRecordTimeCtrl();
    ~CVideoRecordTimeCtrl() override;

    // Registers our window class when m_className is empty and creates the
    // bar as a visible child with an empty caption.
    virtual BOOL Create(const RECT& rect, CWnd* parent, UINT id);

    // Records of a row (0..3; other rows are ignored). Adding and clearing repaint.
    void AddRecord(int row, const play::_recfile_info_t& record);
    void ClearRecords(int row);
    int GetRecordCount(int row) const { return m_model.GetRecordCount(row); }
    // The download dialog reads and writes its rows' records in place.
    const play::_recfile_info_t* GetRecord(int row, int index) const { return m_model.Record(row, index); }
    BOOL SetRecord(int row, int index, const play::_recfile_info_t& record);

    void SetRowName(int row, LPCSTR name);
    void SetCursorTime(int row, int hour, int minute, int second, int common);
    void ShowCursor(int row, int show, int common);

    // The seek target of a row, from the clicked time: 0 no seek, 1 inside a
    // record (*out = the clicked time on its date), 2 the next record's start.
    int FindRecordAt(int row, play::RecfileTime* out) const { return m_model.FindRecordAt(row, out); }
    // A seek chosen elsewhere (a double click on the recording list) becomes
    // the clicked time that FindRecordAt reads.
    void SetClickedTime(int hour, int minute, int second) { m_model.SetClickedTime(hour, minute, second); }

    play::TimeBar& Port() { return m_port; }
    const play::TimebarModel& Model() const { return m_model; }

    CString m_className;

  protected:
    afx_msg int OnCreate(LPCREATESTRUCTA cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnSetFocus(CWnd* old);
    afx_msg void OnKillFocus(CWnd* next);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    int OnCreateBar();
    void Respond(const play::TimebarResponse& response);
    void RelayToTooltip(UINT message, UINT flags, CPoint point);
    void Repaint();

    void PaintRows(CDC& dc, int width);
    void PaintRuler(CDC& dc, int width);
    void PaintBars(CDC& dc) const;
    void PaintCursors(CDC& dc) const;
    void PaintZoomButtons(CDC& dc);

    play::TimebarModel m_model;
    play::ModelTimeBar m_port;
    AppConfig m_fontConfig;  // only for the user-interface font
    CFont m_nameFont;
    CFont m_rulerFont;
    CImageList m_zoomImages;
    HWND m_tooltip = nullptr;
    HCURSOR m_cursor = nullptr;
    BOOL m_tracking = FALSE;
};
