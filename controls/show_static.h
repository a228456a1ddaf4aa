// controls/show_static.h
//
// CShowStaic: the picture area of the play pane and the file player. It
// paints its background colour (black by default) and, when an image is set
// and showing is on, the image over it: stretched over the client area, or
// with its aspect kept (controls/paint_layout.h, FitImage). Double-buffered
// by default.
//
// The image is a bitmap the owner keeps (it is not copied or deleted here);
// SetImage(NULL) takes it away again.
#pragma once

#include "winlib/winlib.h"

class CShowStaic : public CStatic {
  public:
    CShowStaic();
    ~CShowStaic() override;

    void SetBkColor(COLORREF color);
    COLORREF GetBkColor() const { return m_bkColor; }
    void SetImage(HBITMAP image);
    void SetShowImage(BOOL show);
    void SetKeepAspect(BOOL keep);
    void SetDoubleBuffer(BOOL on) { m_doubleBuffer = on; }
    void SetCaption(LPCSTR text) { m_caption = text; }
    const CString& GetCaption() const { return m_caption; }

  protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

  private:
    void Draw(HDC dc, const RECT& client);

    COLORREF m_bkColor = 0;
    BOOL m_showImage = TRUE;
    BOOL m_keepAspect = FALSE;
    HBITMAP m_image = nullptr;  // not owned
    CString m_caption;
    BOOL m_doubleBuffer = TRUE;
};
