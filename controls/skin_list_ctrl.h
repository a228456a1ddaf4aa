// controls/skin_list_ctrl.h
//
// CSkinListCtrl: a report list in the program's dark style (the recording
// list and the file player's play list). Its header is repainted from
// bitmaps with white Arial captions, its rows are striped in two greys (even
// rows from row 0 in 0xB4B4B4, odd ones in 0xA0A0A0, on down the page below
// the last item), and its own scroll bars give way to two bitmap bars that
// live beside it as sibling windows in its parent: a vertical one along its
// right edge and a horizontal one along its bottom. The bars follow the
// list's size and visibility (not a move without a size change) and scroll
// it with the list's own scroll messages; they post nothing to any dialog.
// Thumb placement, arrows and dragging: controls/skin_list_model.h.
//
// The list's own bars are disabled through the flat scroll bar API, so that
// they are neither drawn nor used while the list's scroll ranges keep
// working (under some systems they may still show, disabled).
//
// The owner subclasses the list from a dialog item; the header is taken over
// and the bars are made then. Everything paints through CMemDC. GUI thread
// only.
#pragma once

#include "controls/skin_list_model.h"
#include "winlib/winlib.h"

class CSkinListCtrl;

// The list's own header, painted from bitmaps: a background line, a left
// edge on the first item, a separator before every other one, a right edge on
// each, and the captions centred in white Arial.
class CSkinHeaderCtrl : public CWnd {
  public:
    ~CSkinHeaderCtrl() override;

  protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

  private:
    void LoadPictures();
    bool m_loaded = false;
    HBITMAP m_right = nullptr;  // 176
    HBITMAP m_back = nullptr;   // 177
    HBITMAP m_left = nullptr;   // 178
};

// What the two bars share: the model, the owner list, the bitmaps and the
// mouse and timer handling.
class CSkinScrollbar : public CStatic {
  public:
    ~CSkinScrollbar() override;

    // The list the bar scrolls (not owned).
    void SetOwnerList(CSkinListCtrl* list) { m_list = list; }
    // Re-reads the list's scroll limit and position, places the thumb (kept
    // in its travel) and repaints.
    void UpdateThumb();
    const controls::ScrollBarModel& Model() const { return m_model; }

  protected:
    explicit CSkinScrollbar(controls::BarOrientation orientation);
    int Bar() const { return m_model.vertical() ? SB_VERT : SB_HORZ; }
    // The list's scroll limit (largest position) and position on this bar.
    void ReadList(int* limit, int* pos) const;
    void Carry(const controls::BarStep& step);
    HBITMAP Picture(int slot, UINT id);
    virtual void DrawBar(CDC* dc, const CRect& client) = 0;

    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnCaptureChanged(CWnd* gainer);
    DECLARE_MESSAGE_MAP()

    controls::ScrollBarModel m_model;
    CSkinListCtrl* m_list = nullptr;

  private:
    HBITMAP m_pictures[6] = {};
    bool m_loaded[6] = {};
};

class CSkinVerticleScrollbar : public CSkinScrollbar {
  public:
    CSkinVerticleScrollbar() : CSkinScrollbar(controls::BarOrientation::Vertical) {}

  protected:
    void DrawBar(CDC* dc, const CRect& client) override;
};

class CSkinHorizontalScrollbar : public CSkinScrollbar {
  public:
    CSkinHorizontalScrollbar() : CSkinScrollbar(controls::BarOrientation::Horizontal) {}

  protected:
    void DrawBar(CDC* dc, const CRect& client) override;
};

class CSkinListCtrl : public CListCtrl {
  public:
    CSkinListCtrl();

    void CreateScrollBars();
    void PlaceScrollBars();

    CSkinHeaderCtrl& Header() { return m_header; }
    CSkinVerticleScrollbar& VerticalBar() { return m_vertical; }
    CSkinHorizontalScrollbar& HorizontalBar() { return m_horizontal; }
    COLORREF GetEvenColor() const { return m_evenColor; }
    COLORREF GetOddColor() const { return m_oddColor; }
    // The height of one row: item 0's, or the font's when the list is empty.
    int RowHeight() const;

  protected:
    void PreSubclassWindow() override;
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnKeyUp(UINT key, UINT repeat, UINT flags);
    afx_msg LRESULT OnNcCalcSize(WPARAM calcValidRects, LPARAM params);
    afx_msg void OnDestroy();
    afx_msg void OnCustomDraw(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

  private:
    // The bars follow the list's scroll position.
    void UpdateThumbs();

    CSkinHeaderCtrl m_header;
    CSkinVerticleScrollbar m_vertical;
    CSkinHorizontalScrollbar m_horizontal;
    COLORREF m_evenColor = 0xB4B4B4;
    COLORREF m_oddColor = 0xA0A0A0;
};
