// controls/bmp_button.h
//
// CBmpButton: the owner-drawn push or toggle button of every page. Its face is
// one frame of a four-frame bitmap strip (normal, hovered, pressed or checked,
// disabled; frame width = strip width / 4) chosen from the button's state
// (controls/bmp_button_frame.h), with an optional caption drawn over it in
// Arial and an optional tooltip.
//
// Dialogs hold the buttons as members, subclass them from dialog items
// (DDX_Control or SubclassDlgItem: the owner-draw style is added then), load
// the strip with SetImageFile in their initialisation and handle the plain
// BN_CLICKED; the button posts nothing of its own. The template sizes the
// button to one frame. GUI thread only.
//
// Hover: the first WM_MOUSEMOVE asks for WM_MOUSEHOVER (1 ms) and
// WM_MOUSELEAVE; the button is hovered between the two. A press that was not
// preceded by a hover shows the normal frame. Checked wins over every other
// state.
#pragma once

#include "winlib/winlib.h"

class CBmpButton : public CButton {
  public:
    CBmpButton();
    ~CBmpButton() override;

    // Loads the strip from bitmap resource `id` of the resource module. On
    // failure it says "call SetImageFile() load bitmap failed!" and returns
    // FALSE; the button then draws nothing of its own. The strip is copied
    // without transparency, so the key colour and the extra value (callers
    // pass 0xFF00FF and 0) do not change the drawing. Does not repaint.
    BOOL SetImageFile(UINT id, COLORREF transparent = RGB(255, 0, 255), int extra = 0);

    // Latches the button in the pressed frame (toggle buttons).
    void SetCheckState(BOOL checked);
    BOOL GetCheckState() const { return m_checked; }

    // A caption drawn over the face from (x inset, y inset) of the button to
    // its bottom right, centred, in Arial of `fontHeight` logical units and
    // `color`; it becomes the window's text as well. The form with the unused
    // int is the one the pages call.
    void SetCaption(int xInset, int yInset, int unused, LPCSTR text, COLORREF color, int fontHeight);
    void SetCaption(int xInset, int yInset, LPCSTR text, COLORREF color, int fontHeight) {
        SetCaption(xInset, yInset, 0, text, color, fontHeight);
    }
    const CString& GetCaption() const { return m_caption; }

    // Creates the tooltip on first use; a non-empty text becomes its text.
    void SetTooltipText(LPCSTR text);

    // For tests and owners that look: what the face shows now.
    BOOL IsHovered() const { return m_hovered; }
    HBITMAP GetStrip() const { return m_strip; }

    void DrawItem(LPDRAWITEMSTRUCT item) override;
    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    void PreSubclassWindow() override;
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

  private:
    void RepaintFace();

    BOOL m_hovered = FALSE;
    BOOL m_tracking = FALSE;
    BOOL m_checked = FALSE;
    HBITMAP m_strip = nullptr;
    COLORREF m_captionColor = 0;
    CString m_caption;
    CString m_tooltipText;
    HWND m_tooltip = nullptr;
    UINT m_captionFormat = DT_CENTER;
    int m_captionX = 0;
    int m_captionY = 0;
    int m_captionHeight = 18;
};
