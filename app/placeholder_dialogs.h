// app/placeholder_dialogs.h
//
// Stand-ins for the dialogs the mode bar opens but that are built later: the
// settings and about boxes. Each has the class
// name, template and the calls of the dialog it stands in for, so the main
// window and the mode bar use them as they will use the real ones; the boxes
// show only their captions. The real dialogs replace this file.
#pragma once

#include "app/app_config.h"
#include "app/pub_skin.h"
#include "res/resource.h"
#include "winlib/winlib.h"

// A modal box with its caption and OK button from the language strings.
class CPlaceholderBox : public CDialog {
  public:
    CPlaceholderBox(UINT templateId, int captionId, CWnd* parent)
        : CDialog(templateId, parent), m_captionId(captionId) {}
    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }

  protected:
    BOOL OnInitDialog() override;

    int m_captionId;
    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
};

class CDlgSetting : public CPlaceholderBox {
  public:
    enum { IDD = IDD_SETTING };
    explicit CDlgSetting(CWnd* parent = nullptr) : CPlaceholderBox(IDD, 152, parent) {}  // "Param Config"
};

class CAboutDlg : public CPlaceholderBox {
  public:
    enum { IDD = IDD_ABOUTBOX };
    explicit CAboutDlg(CWnd* parent = nullptr)
        : CPlaceholderBox(IDD, 153, parent) {}  // "About Corvane Movarel"
};
