// app/dlg_menu_ctrl.cpp
#include "app/dlg_menu_ctrl.h"

#include "app/about_dlg.h"
#include "app/messages.h"
#include "app/settings_dlg.h"

namespace {

// Language strings of the captions.
constexpr int kStrLocalPlay = 105;   // "Local Play"
constexpr int kStrConfig = 148;      // "Config"
constexpr int kStrHelp = 107;        // "Help"
constexpr int kStrRemotePlay = 323;  // "Remote Play"
constexpr int kStrFilePlay = 324;    // "File Play"

// wParam of the local mode message.
constexpr WPARAM kLocalModeWord = 1037;

}  // namespace

BEGIN_MESSAGE_MAP(CDlgMenuCtrl, CDialog)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_BN_CLICKED(IDC_LOCAL_PLAY, &CDlgMenuCtrl::OnLocalPlay)
ON_BN_CLICKED(IDC_REMOTE_PLAY, &CDlgMenuCtrl::OnRemotePlay)
ON_BN_CLICKED(IDC_FILE_PLAY, &CDlgMenuCtrl::OnFilePlay)
ON_BN_CLICKED(IDC_CONFIG, &CDlgMenuCtrl::OnConfig)
ON_BN_CLICKED(IDC_HELP_ABOUT, &CDlgMenuCtrl::OnHelpAbout)
END_MESSAGE_MAP()

void CDlgMenuCtrl::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LOCAL_PLAY, m_localPlay);
    DDX_Control(dx, IDC_REMOTE_PLAY, m_remotePlay);
    DDX_Control(dx, IDC_HELP_ABOUT, m_help);
    DDX_Control(dx, IDC_CONFIG, m_config);
    DDX_Control(dx, IDC_FILE_PLAY, m_filePlay);
}

BOOL CDlgMenuCtrl::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_background.LoadBitmap(IDB_MENU_BACK)) {
        BITMAP info = {};
        m_background.GetBitmap(&info);
        m_backWidth = info.bmWidth;
        m_backHeight = info.bmHeight;
    }
    const struct {
        CBmpButton& button;
        int text;
    } buttons[] = {{m_localPlay, kStrLocalPlay},
                   {m_config, kStrConfig},
                   {m_help, kStrHelp},
                   {m_remotePlay, kStrRemotePlay},
                   {m_filePlay, kStrFilePlay}};
    for (const auto& b : buttons) {
        b.button.SetImageFile(IDB_MENU_BUTTON, RGB(255, 0, 255), 0);
        b.button.SetCaption(0, kCaptionInsetY, 0, Text(b.text), kCaptionColor, kCaptionHeight);
    }
    SelectButton(IDC_LOCAL_PLAY);
    m_created = TRUE;
    return TRUE;
}

void CDlgMenuCtrl::SelectButton(UINT id) {
    for (CBmpButton* button : {&m_localPlay, &m_config, &m_help})
        if (button->m_hWnd != nullptr)
            button->EnableWindow(static_cast<UINT>(button->GetDlgCtrlID()) != id);
}

void CDlgMenuCtrl::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (!m_created)
        return;
    CRect client;
    GetClientRect(&client);
    int x = client.left + 1;
    for (CBmpButton* button : {&m_localPlay, &m_config, &m_help, &m_remotePlay, &m_filePlay}) {
        button->MoveWindow(x, client.top, kButtonWidth, client.Height());
        x += kButtonWidth;
    }
    InvalidateRect(nullptr, FALSE);
}

BOOL CDlgMenuCtrl::OnEraseBkgnd(CDC*) {
    return TRUE;  // OnPaint covers the whole bar
}

void CDlgMenuCtrl::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (m_background.GetSafeHandle() == nullptr) {
        dc.FillSolidRect(&client, RGB(0, 0, 0));
        return;
    }
    CBitmapDC memory(dc, m_background);
    dc.SetStretchBltMode(COLORONCOLOR);
    dc.StretchBlt(client.left, client.top, client.Width(), client.Height(), &memory, 0, 0, m_backWidth,
                  m_backHeight, SRCCOPY);
}

void CDlgMenuCtrl::OnLocalPlay() {
    GetParent()->PostMessage(WM_MODE_LOCAL_PLAYBACK, kLocalModeWord, 0);
    SelectButton(IDC_LOCAL_PLAY);
}

void CDlgMenuCtrl::OnRemotePlay() {
    GetParent()->PostMessage(WM_MODE_REMOTE_PLAYBACK, 0, 0);
    SelectButton(IDC_REMOTE_PLAY);
}

void CDlgMenuCtrl::OnFilePlay() {
    GetParent()->PostMessage(WM_MODE_FILE_PLAY, 0, 0);
    SelectButton(IDC_FILE_PLAY);
}

void CDlgMenuCtrl::OnConfig() {
    CDlgSetting dialog(this);
    dialog.SetConfigAndSkin(m_pConfig, m_pSkin);
    dialog.DoModal();
}

void CDlgMenuCtrl::OnHelpAbout() {
    CAboutDlg dialog(this);
    dialog.SetConfigAndSkin(m_pConfig, m_pSkin);
    dialog.DoModal();
}
