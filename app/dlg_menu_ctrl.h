// app/dlg_menu_ctrl.h
//
// CDlgMenuCtrl: the mode bar along the top of the main window (a child
// dialog). Three of its bitmap buttons choose the page the main window shows
// (recorder disk, network recorder, local files) by posting a mode message to
// it; two open the settings dialog and the about box modally. Choosing a
// button enables Local Play, Config and Help except the one chosen, which is
// disabled and so draws the disabled frame of the strip: Local Play is marked
// while the disk page is shown. Remote Play and File Play are never disabled,
// so pressing the mode shown again resets the other pages, as a mode message
// does from any mode.
//
// Every button has the strip and a caption. The remote and file play buttons
// would otherwise be invisible (owner-drawn with nothing to draw) yet still
// clickable; they take their captions from the language strings like the
// others and sit after the other three, 120 pixels each.
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
    // Enables Local Play, Config and Help, except `id` among them, which is
    // disabled; Remote Play and File Play are left as they are.
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
