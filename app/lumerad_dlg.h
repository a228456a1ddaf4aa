// app/lumerad_dlg.h
//
// CLumeradDlg: the main window, a dialog run modally by the application
// object. So far it is the bare window: its caption comes from the language
// strings; the mode bar and the pages are still to come.
#pragma once

#include "app/app_config.h"
#include "app/pub_skin.h"
#include "res/resource.h"
#include "winlib/winlib.h"

class CLumeradDlg : public CDialog {
public:
    explicit CLumeradDlg(CWnd* parent = nullptr);

    // Called before the window is created; only keeps the two pointers.
    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin);

protected:
    BOOL OnInitDialog() override;

    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
};
