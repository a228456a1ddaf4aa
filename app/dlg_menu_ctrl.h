// app/dlg_menu_ctrl.h
//
// CDlgMenuCtrl: the mode bar along the top of the main window (a child
// dialog). Three of its bitmap buttons choose the page the main window shows
// (recorder disk, network recorder, local files) by posting a mode message to
// it; two open the settings dialog and the about box modally. The button of
// the mode shown is disabled, so it draws the disabled frame of the strip,
// which marks the mode.
//
// Every button has the strip and a caption. The remote and file play buttons
// would otherwise be invisible (owner-drawn with nothing to draw) yet still
// clickable; they take their captions from the language strings like the
// others and sit after the other three, 120 pixels each, and take part in
// marking the mode.
//
// The space the bar keeps at its right end for a logo stays empty.
#pragma once

#include "app/app_config.h"
#include "app/pub_skin.h"
#include "controls/bmp_button.h"
#include "res/resource.h"
#include "winlib/winlib.h"

class CDlgMenuCtrl : public CDialog {
  public:
    enum { IDD = IDD_MENU_CTRL };

    static constexpr int kButtonWidth = 120;
    static constexpr COLORREF kCaptionColor = RGB(255, 255, 255);
    static constexpr int kCaptionHeight = 21;
    static constexpr int kCaptionInsetY = 5;

    CDlgMenuCtrl() : CDialog(IDD) {}

    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }
    // Disables button `id` and enables the others; a button not among them
    // (settings, about) leaves every mode button enabled.
    void SelectButton(UINT id);

    CBmpButton m_localPlay;
    CBmpButton m_remotePlay;
    CBmpButton m_help;
    CBmpButton m_config;
    CBmpButton m_filePlay;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // The bar is never ended by Enter or Escape.
    void OnOK() override {}
    void OnCancel() override {}

    afx_msg void OnPaint();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnLocalPlay();
    afx_msg void OnRemotePlay();
    afx_msg void OnFilePlay();
    afx_msg void OnConfig();
    afx_msg void OnHelpAbout();
    DECLARE_MESSAGE_MAP()

  private:
    CString Text(int id) const { return m_pConfig != nullptr ? m_pConfig->LoadLangString(id) : CString(); }

    CBitmap m_background;
    int m_backWidth = 0;
    int m_backHeight = 0;
    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
    BOOL m_created = FALSE;
};
