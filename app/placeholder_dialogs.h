// app/placeholder_dialogs.h
//
// Stand-ins for the dialogs the main window and its mode bar open but that
// are built later: the local file player page and the settings and about
// boxes. Each has the class
// name, template and the calls of the dialog it stands in for, so the main
// window and the mode bar use them as they will use the real ones; the pages
// are empty and remember what they were asked (tests look), the boxes show
// only their captions. The real dialogs replace this file.
#pragma once

#include "app/app_config.h"
#include "app/pub_skin.h"
#include "res/resource.h"
#include "winlib/winlib.h"

// What the main window asks of each of its three pages.
class CPlaceholderPage : public CDialog {
  public:
    explicit CPlaceholderPage(UINT templateId) : CDialog(templateId) {}

    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }
    // Another mode was chosen: the page lets go of what it shows.
    void ResetPage() { ++m_resets; }
    // The view type bar's Sync Playback and Show Watermark checks.
    void SetViewChecks(BOOL syncPlay, BOOL showWatermark) {
        m_syncCheck = syncPlay;
        m_watermarkCheck = showWatermark;
    }
    // The per-pane words of the page's panes (records on the time bar, ...).
    void ClearPaneFlags() { ++m_paneFlagClears; }
    // The tool bar's download button.
    void ShowDownloadButton(BOOL show) { m_downloadShown = show; }
    // The sensor panel that WM_COORD_RANGE is meant for.
    CWnd* SensorPanel() { return this; }

    int m_resets = 0;
    int m_paneFlagClears = 0;
    BOOL m_syncCheck = -1;
    BOOL m_watermarkCheck = -1;
    BOOL m_downloadShown = -1;
    int m_coordRanges = 0;
    WPARAM m_lastCoordRange = 0;

  protected:
    afx_msg LRESULT OnCoordRange(WPARAM coords, LPARAM);
    DECLARE_MESSAGE_MAP()
    // A page is never ended by Enter or Escape.
    void OnOK() override {}
    void OnCancel() override {}

    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
};

class CDlgFilePlay : public CPlaceholderPage {
  public:
    enum { IDD = IDD_FILE_PLAY };
    CDlgFilePlay() : CPlaceholderPage(IDD) {}
};

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
