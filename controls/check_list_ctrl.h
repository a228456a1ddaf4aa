// controls/check_list_ctrl.h
//
// CCheckListCtrl: a report list whose items carry the list view's own check
// boxes (the owner turns on LVS_EX_CHECKBOXES), with a check-all box drawn as
// the image of the first header item (CCheckHeadCtrl) and optional
// alternating row colours.
//
// An item's check is its state image: 1 unchecked, 2 checked. Once
// InitCheckImages ran, every state change of an item sets the header box
// ticked when no item is unchecked (an empty list counts as all checked) and
// empty otherwise, and posts WM_CHECKLIST_CHANGED (control id, 1 all checked
// or 0) to the parent. A click on the header box flips it and checks or
// unchecks every item, one item change (and one post) at a time.
//
// With alternate rows on, a sub-item's text background is the odd-row colour
// on odd items and the even-row colour on even ones; with them off, the
// list's own background colour. The owner subclasses the list from a dialog
// item. GUI thread only.
#pragma once

#include "controls/check_list_messages.h"
#include "winlib/winlib.h"

// The header box's images (bitmap IDB_CHECK_BOXES).
inline constexpr int kCheckHeadEmpty = 1;
inline constexpr int kCheckHeadTicked = 2;

class CCheckHeadCtrl : public CHeaderCtrl {
  public:
    // The image of header item 0 (-1 when it has none).
    int HeadImage() const;
    void SetHeadImage(int image);

  protected:
    afx_msg void OnItemClicked(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()
};

class CCheckListCtrl : public CListCtrl {
  public:
    CCheckListCtrl() = default;
    ~CCheckListCtrl() override = default;

    // Takes over the header and gives its first item the empty box (16
    // pixels wide). Does nothing when already done. TRUE.
    BOOL InitCheckImages();
    void SetAlternateRowColors(BOOL enable, COLORREF oddColor, COLORREF evenColor);
    CCheckHeadCtrl& Header() { return m_header; }

  protected:
    afx_msg void OnItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnCustomDraw(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

  private:
    int m_imagesReady = 0;
    CImageList m_headImages;
    CCheckHeadCtrl m_header;
    COLORREF m_oddColor = 0;
    COLORREF m_evenColor = 0;
    BYTE m_alternate = 0;
};
