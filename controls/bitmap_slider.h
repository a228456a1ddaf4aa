// controls/bitmap_slider.h
//
// CBitmapSlider: the playback tool bar's horizontal slider, drawn from a
// background picture, a channel picture filled up to the position by an active
// channel picture, and a four-frame thumb strip (normal, hovered, pressed, a
// fourth). It posts WM_SLIDER_MOVING while pressed and WM_SLIDER_RELEASED on
// release to its parent (wParam the control id, lParam the position truncated
// to int). The geometry is controls::BitmapSliderModel's.
//
// Made by subclassing a static of a dialog template (SS_NOTIFY, so it gets the
// mouse): SubclassDlgItem, then SetMargin, SetBackgroundImage,
// SetChannelImages, SetRange, SetThumbImages, then SetPos as playback runs.
#pragma once

#include <memory>

#include "controls/slider_model.h"
#include "winlib/winlib.h"

class CBitmapSlider : public CWnd {
  public:
    CBitmapSlider();
    ~CBitmapSlider() override;

    void SetMargin(int left, int right);
    // FALSE when the picture is missing.
    BOOL SetBackgroundImage(UINT id);
    // Both the normal and the active channel must load; the third (0: none)
    // is kept and never drawn.
    BOOL SetChannelImages(UINT normalId, UINT activeId, UINT thirdId);
    // Stores only the maximum; the minimum stays 0.
    void SetRange(int min, int max);
    // The strip of four thumb frames; FALSE when missing.
    BOOL SetThumbImages(UINT id);
    void SetPos(int pos);
    int GetPos() const;

    const controls::BitmapSliderModel& Model() const { return m_model; }

  protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnCaptureChanged(CWnd* gainer);
    DECLARE_MESSAGE_MAP()

  private:
    // The client rectangle into the model (it changes with WM_SIZE only, but
    // a subclassed static may be moved before we see it).
    void SyncClient();
    // Posts what the model says to the parent and repaints.
    void Carry(const controls::SliderEvent& event);

    controls::BitmapSliderModel m_model;
    // Pictures and the strip's memory DC; defined by the implementation.
    struct Pictures;
    std::unique_ptr<Pictures> m_pictures;
};
