// app/settings_dlg.cpp
#include "app/settings_dlg.h"

#include <cstring>

#include "app/messages.h"

namespace {

// Language strings.
constexpr int kStrWarning = 109;
constexpr int kStrCaption = 152;  // "Param Config"
constexpr int kStrOk = 154;       // "OK"
constexpr int kStrCancel = 155;   // "CANCLE"
constexpr int kStrSelectFolder = 170;
constexpr int kStrPathSet = 179;
constexpr int kStrApply = 190;
constexpr int kStrCapturePath = 228;
constexpr int kStrClipPath = 229;
constexpr int kStrRecordPath = 230;
constexpr int kStrVideoType = 231;
constexpr int kStrLanguage = 261;
constexpr int kStrEnglish = 262;
constexpr int kStrSystemSet = 265;
constexpr int kStrRestart = 266;  // "The parameters have been changed, restart software?"
constexpr int kStrEnableWatermark = 304;
constexpr int kStrMimic = 311;
constexpr int kStrEnableGps = 312;
constexpr int kStrRussian = 317;

constexpr const char* kVideoTypes[] = {".mp4", ".avi"};  // index = video type

// Copies `text` into a folder field of the configuration: at most 259
// characters, the rest of the field zero.
void StorePath(char (&field)[kConfigPathSize], const CString& text) {
    memset(field, 0, sizeof field);
    memcpy(field, text.GetString(),
           std::min<size_t>(static_cast<size_t>(text.GetLength()), kConfigPathSize - 1));
}

CString PathText(const char (&field)[kConfigPathSize]) {
    return CString(field, static_cast<int>(strnlen(field, kConfigPathSize - 1)));
}

}  // namespace

// ---- the folders page ----------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgPathSet, CSettingsPage)
ON_BN_CLICKED(IDC_PATH_CAPTURE_BROWSE, &CDlgPathSet::OnBrowseCapture)
ON_BN_CLICKED(IDC_PATH_CLIP_BROWSE, &CDlgPathSet::OnBrowseClip)
ON_BN_CLICKED(IDC_PATH_RECORD_BROWSE, &CDlgPathSet::OnBrowseRecord)
END_MESSAGE_MAP()

BOOL CDlgPathSet::OnInitDialog() {
    CSettingsPage::OnInitDialog();
    const struct {
        int id;
        int text;
    } labels[] = {{IDC_PATH_CAPTURE_LABEL, kStrCapturePath},
                  {IDC_PATH_CLIP_LABEL, kStrClipPath},
                  {IDC_PATH_RECORD_LABEL, kStrRecordPath},
                  {IDC_PATH_VIDEO_TYPE_LABEL, kStrVideoType},
                  {IDC_PATH_TITLE, kStrPathSet}};
    for (const auto& label : labels)
        SetDlgItemText(label.id, Text(label.text));
    for (int edit : {IDC_PATH_CAPTURE, IDC_PATH_CLIP, IDC_PATH_RECORD})
        SendDlgItemMessage(edit, EM_LIMITTEXT, kConfigPathSize - 1, 0);
    for (const char* type : kVideoTypes)
        SendDlgItemMessage(IDC_PATH_VIDEO_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(type));
    return TRUE;
}

void CDlgPathSet::ShowConfig(const AppConfig& config) {
    SetDlgItemText(IDC_PATH_CAPTURE, PathText(config.m_capturePath));
    SetDlgItemText(IDC_PATH_CLIP, PathText(config.m_clipPath));
    SetDlgItemText(IDC_PATH_RECORD, PathText(config.m_recordPath));
    SendDlgItemMessage(IDC_PATH_VIDEO_TYPE, CB_SETCURSEL, static_cast<WPARAM>(config.m_videoType), 0);
}

void CDlgPathSet::Store(AppConfig& config) {
    GetDlgItemText(IDC_PATH_CAPTURE, m_capturePath);
    GetDlgItemText(IDC_PATH_CLIP, m_clipPath);
    GetDlgItemText(IDC_PATH_RECORD, m_recordPath);
    StorePath(config.m_capturePath, m_capturePath);
    StorePath(config.m_clipPath, m_clipPath);
    StorePath(config.m_recordPath, m_recordPath);
    const auto type = static_cast<int>(SendDlgItemMessage(IDC_PATH_VIDEO_TYPE, CB_GETCURSEL, 0, 0));
    if (type >= 0)
        config.m_videoType = type;
}

void CDlgPathSet::Browse(int editId) {
    std::string folder;
    if (winlib::BrowseForFolder(m_hWnd, Text(kStrSelectFolder), folder))
        SetDlgItemText(editId, folder.c_str());
}

void CDlgPathSet::OnBrowseCapture() {
    Browse(IDC_PATH_CAPTURE);
}

void CDlgPathSet::OnBrowseClip() {
    Browse(IDC_PATH_CLIP);
}

void CDlgPathSet::OnBrowseRecord() {
    Browse(IDC_PATH_RECORD);
}

// ---- the system page -----------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgSystemSet, CSettingsPage)
ON_CBN_SELCHANGE(IDC_SYSTEM_LANGUAGE, &CDlgSystemSet::OnLanguagePicked)
ON_BN_CLICKED(IDC_SYSTEM_WATERMARK, &CDlgSystemSet::OnWatermark)
ON_BN_CLICKED(IDC_SYSTEM_GPS, &CDlgSystemSet::OnGps)
ON_BN_CLICKED(IDC_SYSTEM_MIMIC, &CDlgSystemSet::OnMimic)
END_MESSAGE_MAP()

BOOL CDlgSystemSet::OnInitDialog() {
    CSettingsPage::OnInitDialog();
    GetDlgItem(IDC_SYSTEM_GPS)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_SYSTEM_MIMIC)->ShowWindow(SW_HIDE);
    SetDlgItemText(IDC_SYSTEM_LANGUAGE_LABEL, Text(kStrLanguage));
    // In the order of the entries (app/settings_choices.h).
    for (int text : {kStrEnglish, kStrRussian})
        SendDlgItemMessage(IDC_SYSTEM_LANGUAGE, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(Text(text).GetString()));
    SendDlgItemMessage(IDC_SYSTEM_LANGUAGE, CB_SETCURSEL, shell::kLanguageEntryEnglish, 0);
    SetDlgItemText(IDC_SYSTEM_WATERMARK, Text(kStrEnableWatermark));
    SetDlgItemText(IDC_SYSTEM_GPS, Text(kStrEnableGps));
    SetDlgItemText(IDC_SYSTEM_MIMIC, Text(kStrMimic));
    return TRUE;
}

void CDlgSystemSet::ShowConfig(const AppConfig& config) {
    m_choices = {config.m_language, config.m_watermark, config.m_mimic, config.m_gps};
    // A language without an entry selects none.
    SendDlgItemMessage(IDC_SYSTEM_LANGUAGE, CB_SETCURSEL,
                       static_cast<WPARAM>(shell::LanguageEntryOf(m_choices.language)), 0);
    CheckDlgButton(IDC_SYSTEM_WATERMARK, m_choices.watermark == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SYSTEM_GPS, m_choices.gps == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SYSTEM_MIMIC, m_choices.mimic == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void CDlgSystemSet::OnLanguagePicked() {
    const auto entry = static_cast<int>(SendDlgItemMessage(IDC_SYSTEM_LANGUAGE, CB_GETCURSEL, 0, 0));
    m_choices.language = shell::LanguageOfEntry(entry, m_choices.language);
}

void CDlgSystemSet::OnWatermark() {
    m_choices.watermark = IsDlgButtonChecked(IDC_SYSTEM_WATERMARK) == BST_CHECKED ? 1 : 0;
}

void CDlgSystemSet::OnGps() {
    m_choices.gps = IsDlgButtonChecked(IDC_SYSTEM_GPS) == BST_CHECKED ? 1 : 0;
}

void CDlgSystemSet::OnMimic() {
    const bool checked = IsDlgButtonChecked(IDC_SYSTEM_MIMIC) != BST_CHECKED;
    CheckDlgButton(IDC_SYSTEM_MIMIC, checked ? BST_CHECKED : BST_UNCHECKED);
    m_choices.mimic = checked ? 1 : 0;
}

// ---- the dialog ----------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgSetting, CDialog)
ON_WM_SIZE()
ON_BN_CLICKED(IDC_SETTING_PATH_SET, &CDlgSetting::OnPathSet)
ON_BN_CLICKED(IDC_SETTING_SYSTEM_SET, &CDlgSetting::OnSystemSet)
ON_BN_CLICKED(IDC_SETTING_OK, &CDlgSetting::OnSettingOk)
ON_BN_CLICKED(IDC_SETTING_CANCEL, &CDlgSetting::OnSettingCancel)
ON_BN_CLICKED(IDC_SETTING_APPLY, &CDlgSetting::OnSettingApply)
END_MESSAGE_MAP()

CDlgSetting::CDlgSetting(CWnd* parent) : CDialog(IDD, parent) {
    m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_SETTING));
}

BOOL CDlgSetting::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetWindowText(Text(kStrCaption));
    GetDlgItem(IDC_SETTING_COORD_SET)->ShowWindow(SW_HIDE);
    const struct {
        int id;
        int text;
    } buttons[] = {{IDC_SETTING_PATH_SET, kStrPathSet},
                   {IDC_SETTING_SYSTEM_SET, kStrSystemSet},
                   {IDC_SETTING_OK, kStrOk},
                   {IDC_SETTING_CANCEL, kStrCancel},
                   {IDC_SETTING_APPLY, kStrApply}};
    for (const auto& button : buttons)
        SetDlgItemText(button.id, Text(button.text));

    m_pathPage.SetConfigAndSkin(m_pConfig, m_pSkin);
    m_pathPage.Create(CDlgPathSet::IDD, this);
    m_systemPage.SetConfigAndSkin(m_pConfig, m_pSkin);
    m_systemPage.Create(CDlgSystemSet::IDD, this);
    if (m_pConfig != nullptr) {
        // What another program (or a hand) put into the ini file counts.
        m_pConfig->ReadConfig();
        m_pathPage.ShowConfig(*m_pConfig);
        m_systemPage.ShowConfig(*m_pConfig);
    }
    SelectPage(IDC_SETTING_PATH_SET);
    m_ready = TRUE;
    SetWindowPos(nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
    return TRUE;
}

void CDlgSetting::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (m_ready)
        LayOut();
}

void CDlgSetting::LayOut() {
    CRect c;
    GetClientRect(&c);
    const auto place = [this](int id, int x, int y, int width, int height) {
        if (CWnd* control = GetDlgItem(id))
            control->MoveWindow(x, y, width, height);
    };
    place(IDC_SETTING_PAGES_BOX, c.left + 5, c.top + 5, 100, c.Height() - 10);
    int y = c.top + 25;
    for (int id : {IDC_SETTING_PATH_SET, IDC_SETTING_SYSTEM_SET, IDC_SETTING_COORD_SET}) {
        place(id, c.left + 10, y, 90, 23);
        y += 30;
    }
    place(IDC_SETTING_PAGE_FRAME, c.left + 110, c.top + 5, c.right - 5 - (c.left + 110), c.Height() - 40);
    for (CWnd* page : {static_cast<CWnd*>(&m_pathPage), static_cast<CWnd*>(&m_systemPage)})
        if (page->m_hWnd != nullptr)
            page->MoveWindow(c.left + 113, c.top + 13, c.right - 8 - (c.left + 113),
                             c.bottom - 37 - (c.top + 13));
    int x = c.right - 120;
    for (int id : {IDC_SETTING_APPLY, IDC_SETTING_CANCEL, IDC_SETTING_OK}) {
        place(id, x, c.bottom - 30, 80, 23);
        x -= 100;
    }
}

void CDlgSetting::SelectPage(int buttonId) {
    GetDlgItem(IDC_SETTING_PATH_SET)->EnableWindow(buttonId != IDC_SETTING_PATH_SET);
    GetDlgItem(IDC_SETTING_SYSTEM_SET)->EnableWindow(buttonId != IDC_SETTING_SYSTEM_SET);
    m_pathPage.ShowWindow(buttonId == IDC_SETTING_PATH_SET ? SW_SHOW : SW_HIDE);
    m_systemPage.ShowWindow(buttonId == IDC_SETTING_SYSTEM_SET ? SW_SHOW : SW_HIDE);
}

void CDlgSetting::OnPathSet() {
    SelectPage(IDC_SETTING_PATH_SET);
}

void CDlgSetting::OnSystemSet() {
    SelectPage(IDC_SETTING_SYSTEM_SET);
}

void CDlgSetting::OnOK() {
    Save(shell::SettingsButton::Ok);
}

void CDlgSetting::OnSettingOk() {
    Save(shell::SettingsButton::Ok);
}

void CDlgSetting::OnSettingApply() {
    Save(shell::SettingsButton::Apply);
}

void CDlgSetting::OnSettingCancel() {
    EndDialog(IDCANCEL);
}

HWND CDlgSetting::MainWindow() const {
    if (HWND owner = ::GetWindow(m_hWnd, GW_OWNER))
        return owner;
    CWnd* main = AfxGetMainWnd();
    return main != nullptr ? main->m_hWnd : nullptr;
}

void CDlgSetting::Save(shell::SettingsButton button) {
    if (m_pConfig == nullptr) {
        EndDialog(IDCANCEL);
        return;
    }
    AppConfig& config = *m_pConfig;
    const shell::SystemChoices chosen = m_systemPage.Choices();
    m_pathPage.Store(config);
    const HWND main = MainWindow();
    if (main != nullptr)
        ::PostMessageA(main, WM_COORD_RANGE, reinterpret_cast<WPARAM>(&config.m_coordSet), 0);

    const shell::SystemChoices configured{config.m_language, config.m_watermark, config.m_mimic,
                                          config.m_gps};
    switch (shell::DecideSettingsStep(button, chosen, configured)) {
        case shell::SettingsStep::WriteAndClose:
            config.WriteConfig();
            EndDialog(IDOK);
            return;
        case shell::SettingsStep::WriteAndStay:
            config.WriteConfig();
            return;
        case shell::SettingsStep::AskRestart:
            break;
    }
    if (MessageBox(Text(kStrRestart), Text(kStrWarning), MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) {
        m_systemPage.ShowConfig(config);
        return;
    }
    config.m_language = chosen.language;
    config.m_watermark = chosen.watermark;
    config.m_mimic = chosen.mimic;
    config.m_gps = chosen.gps;
    config.WriteConfig();
    winlib::ShellExecuteProgram(nullptr, "open", winlib::ExePath().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // This process ends: OK ends every loop; APPLY closes the main window.
    // Either way this dialog closes, so nothing keeps the process waiting.
    if (button == shell::SettingsButton::Apply && main != nullptr)
        ::PostMessageA(main, WM_CLOSE, 0, 0);
    else
        ::PostQuitMessage(0);
    EndDialog(IDOK);
}
