// app/settings_dlg.h
//
// CDlgSetting: the settings dialog the mode bar's Config button runs
// modally, with its two pages: the folders page (CDlgPathSet: where
// snapshots, clips and downloads go, and the video type of clips and exports)
// and the system page (CDlgSystemSet: language, watermark, and the sensor
// panel and GPS switches, the last two hidden). The page buttons at the left
// show one page at a time; the page shown has its button disabled.
//
// The dialog reads the ini file again when it opens and shows what the
// configuration then holds (with no ini file: the folders the configuration
// starts with). OK and APPLY store the folders and the video type into the
// configuration at once and tell the main window the chart ranges
// (WM_COORD_RANGE). The system page's settings take effect only at start-up
// (app/settings_choices.h): when one of them changed, the user is asked
// whether to restart. Cancel there puts the page back as the configuration
// has it and leaves the dialog open; OK stores the settings, writes the ini
// file, starts the program anew and ends this process: the dialog closes,
// and its OK ends every loop with WM_QUIT, its APPLY closes the main window.
// Without a change, OK writes the ini file and closes, APPLY writes it and
// stays open. CANCLE, Escape and the close box leave without saving; Enter
// is OK.
#pragma once

#include "app/app_config.h"
#include "app/pub_skin.h"
#include "app/settings_choices.h"
#include "res/settings_ids.h"
#include "winlib/winlib.h"

// A page of the settings dialog: a child it places, never ended by Enter or
// Escape (those reach the dialog).
class CSettingsPage : public CDialog {
  public:
    explicit CSettingsPage(UINT templateId) : CDialog(templateId) {}
    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }

  protected:
    void OnOK() override {}
    void OnCancel() override {}
    CString Text(int id) const { return m_pConfig != nullptr ? m_pConfig->LoadLangString(id) : CString(); }

    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
};

class CDlgPathSet : public CSettingsPage {
  public:
    enum { IDD = IDD_PATH_SET };
    CDlgPathSet() : CSettingsPage(IDD) {}

    // The configuration's folders and video type into the controls.
    void ShowConfig(const AppConfig& config);
    // The controls into the configuration: each folder at most 259
    // characters; the video type unless none is selected.
    void Store(AppConfig& config);

    CString m_capturePath = kDefaultCapturePath;
    CString m_clipPath = kDefaultClipPath;
    CString m_recordPath = kDefaultRecordPath;

  protected:
    BOOL OnInitDialog() override;
    afx_msg void OnBrowseCapture();
    afx_msg void OnBrowseClip();
    afx_msg void OnBrowseRecord();
    DECLARE_MESSAGE_MAP()

  private:
    void Browse(int editId);
};

class CDlgSystemSet : public CSettingsPage {
  public:
    enum { IDD = IDD_SYSTEM_SET };
    CDlgSystemSet() : CSettingsPage(IDD) {}

    // The configuration's language, watermark, sensor panel and GPS settings
    // into the page.
    void ShowConfig(const AppConfig& config);
    // What the page holds: each setting as the configuration had it until
    // the user changed it here.
    shell::SystemChoices Choices() const { return m_choices; }

  protected:
    BOOL OnInitDialog() override;
    afx_msg void OnLanguagePicked();
    afx_msg void OnWatermark();
    afx_msg void OnGps();
    afx_msg void OnMimic();
    DECLARE_MESSAGE_MAP()

  private:
    shell::SystemChoices m_choices;
};

class CDlgSetting : public CDialog {
  public:
    enum { IDD = IDD_SETTING };
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 400;

    explicit CDlgSetting(CWnd* parent = nullptr);

    void SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
        m_pConfig = config;
        m_pSkin = skin;
    }

    CDlgPathSet m_pathPage;
    CDlgSystemSet m_systemPage;

  protected:
    BOOL OnInitDialog() override;
    void OnOK() override;  // Enter: as the OK button
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnPathSet();
    afx_msg void OnSystemSet();
    afx_msg void OnSettingOk();
    afx_msg void OnSettingCancel();
    afx_msg void OnSettingApply();
    DECLARE_MESSAGE_MAP()

  private:
    void SelectPage(int buttonId);
    void Save(shell::SettingsButton button);
    void LayOut();
    HWND MainWindow() const;
    CString Text(int id) const { return m_pConfig != nullptr ? m_pConfig->LoadLangString(id) : CString(); }

    AppConfig* m_pConfig = nullptr;
    CPubSkin* m_pSkin = nullptr;
    HICON m_hIcon = nullptr;
    BOOL m_ready = FALSE;
};
