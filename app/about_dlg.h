// app/about_dlg.h
//
// CAboutDlg: the about box the mode bar's Help button runs modally: the
// program's icon, name and version, and OK.
#pragma once

#include "app/app_config.h"
#include "app/pub_skin.h"
#include "res/resource.h"
#include "res/settings_ids.h"
#include "winlib/winlib.h"

class CAboutDlg : public CDialog {
  public:
    enum { IDD = IDD_ABOUTBOX };
    explicit CAboutDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}

    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }

  protected:
    BOOL OnInitDialog() override;

  private:
    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
};
