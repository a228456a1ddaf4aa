// controls/color_static.h
//
// CColorStatic: a label drawn in a chosen colour and Arial height, with the
// parent's background showing through (the labels of the sensor panel, the
// download and login dialogs). The colour comes from the reflected
// WM_CTLCOLOR*; changing the text or the font first invalidates the label's
// area in the parent, so the old text does not stay under the new one.
//
// A label whose text changes in place over a parent that paints around its
// children (WS_CLIPCHILDREN) cannot show the parent through: SetBackground
// makes it draw on a solid background of its own instead.
//
// The font is made once per control and re-made only when the height
// changes; it lives until the label is destroyed. It is also made the
// static's own font, since some systems select that one after asking the
// parent for colours.
#pragma once

#include "winlib/winlib.h"

class CColorStatic : public CStatic {
  public:
    CColorStatic();
    ~CColorStatic() override;

    // 0xFFFFFFFF means the system's button-text colour. Repaints.
    void SetTextStyle(COLORREF color, int height);
    // From now on the label fills its area with `color` under its text
    // (opaque) rather than showing the parent through. Repaints.
    void SetBackground(COLORREF color);
    COLORREF GetTextColor() const { return m_textColor; }
    int GetFontHeight() const { return m_fontHeight; }
    // The font the label draws with, NULL before its first colour message.
    HFONT GetTextFont() const { return static_cast<HFONT>(m_font.GetSafeHandle()); }

  protected:
    void PreSubclassWindow() override;
    afx_msg HBRUSH CtlColor(CDC* dc, UINT ctlType);
    // A new text or font: the parent repaints what lies under the old one
    // first (a transparent label), then the static takes it.
    afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    void InvalidateUnder();
    // Makes the font when there is none or its height changed; optionally
    // makes it the static's own font as well.
    void UpdateFont(bool giveToStatic);

    BYTE m_transparent = 1;
    CBrush m_bkBrush;
    COLORREF m_bkColor;
    COLORREF m_textColor;
    int m_fontHeight = -12;
    CFont m_font;
    int m_fontMadeHeight = 0;  // the height m_font was made with
};
