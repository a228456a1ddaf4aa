// app/play/play_child_wnd.h
//
// What every dialog of the playback pages shares: it is handed the
// configuration and the skin object before it is created (SetConfigAndSkin),
// and it is a part of a page, never ended by Enter or Escape.
#pragma once

#include "app/app_config.h"
#include "app/play/page_layout.h"
#include "app/pub_skin.h"
#include "winlib/winlib.h"

class CPlayChildDialog : public CDialog {
  public:
    explicit CPlayChildDialog(UINT templateId) : CDialog(templateId) {}

    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }
    AppConfig* Config() const { return m_pConfig; }

  protected:
    void OnOK() override {}
    void OnCancel() override {}

    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
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

// Fills the client with `colour` through a memory bitmap (the paint handler of
// the plain backgrounds).
void PaintSolidBackground(CWnd& wnd, COLORREF colour);

// The client area in pixels, as the layouts take it.
play::PixelRect ClientOf(const CWnd& wnd);
// Moves a child to its rectangle (parent client pixels), and shows or hides
// it; a child whose window is not made yet is left alone.
void Place(CWnd& wnd, const play::PixelRect& r);
void Place(CWnd& wnd, const play::Placement& p);

}  // namespace play_wnd
