// app/base/play_child_wnd.h
//
// What every dialog of the playback pages shares: it is handed the
// configuration and the skin object before it is created (SetConfigAndSkin),
// it is a part of a page, never ended by Enter or Escape, and it covers its
// client and places its children the same way.
//
// The face. A child with a painted face (Face::Painted) covers its whole
// client in PaintFace, double-buffered, and is never erased first, so it does
// not flicker when it is resized or repainted; the default PaintFace fills
// the face colour. A child with the dialog's face (Face::Dialog) is erased by
// the dialog manager, with the face colour when one is given (WM_CTLCOLORDLG)
// or the system's dialog colour, and paints nothing of its own.
//
// The layout. A child's initialisation ends with ChildrenMade, once its
// children exist; from then on LayOut (on every WM_SIZE, and whenever the
// child calls it) places them through PlaceChildren. Before that it does
// nothing.
#pragma once

#include <vector>

#include "app/app_config.h"
#include "app/base/pixel_rect.h"
#include "app/base/play_layouts.h"
#include "app/pub_skin.h"
#include "controls/resource_picture.h"
#include "winlib/winlib.h"

class CPlayChildDialog : public CDialog {
  public:
    enum class Face { Painted, Dialog };
    // The system's colour (a dialog face only).
    static constexpr COLORREF kSystemFace = CLR_INVALID;

    CPlayChildDialog(UINT templateId, Face face, COLORREF faceColour = kSystemFace);

    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }
    AppConfig* Config() const { return m_pConfig; }

  protected:
    void OnOK() override {}
    void OnCancel() override {}

    // The children exist: they are placed now and on every later LayOut.
    void ChildrenMade();
    void LayOut();
    // Places the children in the client area.
    virtual void PlaceChildren() {}
    // Covers `client` (a painted face); `dc` is a memory DC over the client.
    virtual void PaintFace(CDC& dc, const CRect& client);

    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlType);
    DECLARE_MESSAGE_MAP()

    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;

  private:
    Face m_face;
    COLORREF m_faceColour;
    CBrush m_faceBrush;  // a dialog face of its own colour
    BOOL m_childrenMade = FALSE;
};

namespace play_wnd {

// Creates `child` from its template as a child of `parent`, with the parent's
// configuration and skin, shown or hidden.
inline BOOL CreateChild(CPlayChildDialog& child,
                        UINT templateId,
                        CWnd* parent,
                        AppConfig* config,
                        CPubSkin* skin,
                        BOOL shown) {
    child.SetConfigAndSkin(config, skin);
    if (!child.Create(templateId, parent))
        return FALSE;
    child.ShowWindow(shown ? SW_SHOW : SW_HIDE);
    return TRUE;
}

// The client area in pixels, as the layouts take it.
play::PixelRect ClientOf(const CWnd& wnd);
// Moves a child to its rectangle (parent client pixels), and shows or hides
// it; a child whose window is not made yet is left alone.
void Place(CWnd& wnd, const play::PixelRect& r);
void Place(CWnd& wnd, const play::Placement& p);
// Moves each control of `dialog` to its place (dialog client pixels).
void PlaceControls(CWnd& dialog, const std::vector<play::ToolbarPlacement>& places);

// Timer 103, the played-time tick of a pane and of the file player's bar
// (1000 ms), on or off; nothing before the window exists.
void SetPlayTimer(CWnd& wnd, bool on);

// The watermark logo blended faintly (constant alpha 20) over a picture the
// playback library is drawing, from (0, 0) over width x height pixels.
void BlendLogo(HDC dc, const controls::ResourcePicture& logo, int width, int height);

}  // namespace play_wnd
