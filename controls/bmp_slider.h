// controls/bmp_slider.h
//
// CBmpSlider: the file player's keyboard-aware slider, horizontal or vertical,
// made from a static (SubclassDlgItem or Create). A channel picture runs along
// the control (an active form of it, when given, fills the part up to the
// thumb); a thumb picture moves over it, with an active form while dragged and
// a third while the control is disabled. Either kind may be drawn
// transparently through a mask. The geometry, drag and keys are
// controls::BmpSliderModel's; the window feeds it sizes, mouse and keys, and
// posts what it answers: WM_BMPSLIDER_MOVING while dragging,
// WM_BMPSLIDER_CHANGED on release and after every key step (wParam the
// control id, lParam the position). GUI thread only.
//
// Size. The control's size is the channel picture's once one is set; with
// fit-to-image the window is made and kept that size. Otherwise a resized
// window takes its new client size as the control's (the channel is tiled
// along it), and a control without a channel picture is its client area.
//
// Transparency. A picture set with the transparent flag is drawn through a
// monochrome mask of its transparent colour, whose pixels in the picture are
// turned black when it is loaded; the colour 0xFF000000 stands for that of
// the picture's own pixel at (x, y). With a transparent channel the paint
// starts from what the screen shows under the control (the parent's
// background) and the thumb puts back what it covered when it moves. That
// background is taken afresh whenever the control is first painted, moved,
// resized or shown: the parent paints the place as if the control were not
// there (also a parent that clips its children), and nothing seen at the old
// place is put back at the new one.
//
// Enabled. The control follows its window's enabled state (WM_ENABLE): a
// disabled slider ignores the mouse and keys and shows its third thumb.
#pragma once

#include "controls/slider_model.h"
#include "winlib/winlib.h"

class CBmpSlider : public CStatic {
  public:
    // The colour that stands for the picture's pixel at (x, y).
    static constexpr COLORREF kPixelColour = 0xFF000000;

    CBmpSlider();
    ~CBmpSlider() override;

    // Repaints with erasing when `redraw` is non-zero.
    void SetRange(int min, int max, BOOL redraw = FALSE);
    // Clamped to the range; repaints.
    void SetPos(int pos);
    int GetPos() const { return m_model.pos(); }
    // Returns the previous step.
    int SetPageSize(int step);

    // Id 0 unloads every channel picture and returns TRUE. Otherwise the
    // normal picture must load (FALSE), then the active one when given (on
    // failure nothing stays loaded: FALSE); the third id is kept, not drawn.
    BOOL SetChannelImages(UINT normalId,
                          UINT activeId = 0,
                          UINT thirdId = 0,
                          BOOL transparent = FALSE,
                          COLORREF transparentColour = kPixelColour,
                          int x = 0,
                          int y = 0);
    // The same for the thumb: normal, dragged (0: none) and disabled (0:
    // none); the thumb is the normal picture's size.
    BOOL SetThumbImages(UINT normalId,
                        UINT activeId = 0,
                        UINT thirdId = 0,
                        BOOL transparent = FALSE,
                        COLORREF transparentColour = kPixelColour,
                        int x = 0,
                        int y = 0);

    // Set-up, before the pictures: the travel runs top to bottom; the window
    // is held at the channel picture's size; pixels kept free at the ends of
    // the travel (and the thumb's offset across it); the mouse cursor over
    // the control (NULL: the window's own).
    void SetVertical(BOOL vertical);
    void SetFitToImage(BOOL fit);
    void SetMargin(int left, int top, int right, int bottom);
    void SetSliderCursor(HCURSOR cursor) { m_cursor = cursor; }

    const controls::BmpSliderModel& Model() const { return m_model; }
    UINT GetThirdChannelId() const { return m_thirdChannelId; }

  protected:
    void PreSubclassWindow() override;
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnCaptureChanged(CWnd* gainer);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnSetFocus(CWnd* old);
    afx_msg void OnKillFocus(CWnd* next);
    afx_msg void OnEnable(BOOL enable);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnWindowPosChanged(WINDOWPOS* pos);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    // Pictures and what the thumb covered; defined by the implementation.
    struct Pictures;

    void FreeChannel();
    void FreeThumbs();
    void FreeSaved();
    // Has the parent paint the place under the control, with the control out
    // of the way, so that the screen there shows the parent's own pixels.
    void TakeBackground();
    // The model's size from the channel picture or the client area.
    void TakeClientSize();
    void Repaint(BOOL erase = FALSE);
    void Post(const controls::SliderEvent& event);
    // The coordinate of `point` along the travel.
    int Along(CPoint point) const;

    controls::BmpSliderModel m_model;
    Pictures* m_pictures;
    HCURSOR m_cursor = nullptr;
    UINT m_thirdChannelId = 0;
    bool m_vertical = false;
    bool m_fitToImage = false;
    bool m_focused = false;
    bool m_focusDrawn = false;
    bool m_backgroundStale = true;
};
