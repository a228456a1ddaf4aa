// app/lumerad_dlg.cpp
#include "app/lumerad_dlg.h"

#include <dbt.h>

#include <utility>

#include "app/browse/convert_dlg.h"
#include "app/browse/export_dlg.h"
#include "app/drive_watch.h"
#include "app/messages.h"
#include "controls/mem_dc.h"
#include "vkfs/vkfs_api.h"

static_assert(shell::kDeviceArrival == DBT_DEVICEARRIVAL);

namespace {

// File Play's converter and export commands open their dialogs modally.
void OpenFilePlayDialog(UINT command, CWnd* owner, AppConfig* config, CPubSkin* skin) {
    if (command == ID_FP_CONVERT) {
        CDlg264ToAvi dlg(owner);
        dlg.SetConfigAndSkin(config, skin);
        dlg.DoModal();
    } else {
        CDlg264Export dlg(owner);
        dlg.SetConfigAndSkin(config, skin);
        dlg.DoModal();
    }
}

constexpr int kStrCaption = 151;    // "Corvane Movarel"
constexpr int kStrDriveGone = 315;  // "Equipment has been pulled out!"
constexpr char kLocalModeText[] = "Local";

// The main window's way to the disk page, the access library and the user.
class MainWindowDiskLink : public shell::RecorderDiskLink {
  public:
    MainWindowDiskLink(CWnd& window, CDlgLocalPlayback& diskPage, CString notice)
        : window_(window), diskPage_(diskPage), notice_(std::move(notice)) {}

    bool DriveOpens(int drive) override { return IsPhysicalDriveGone(drive) == 0; }
    void ClosePageDisk() override { diskPage_.CloseDisk(); }
    void StopMonSearch(FSDiskHandle disk) override { FSStopMonSearch(disk); }
    void StopDaySearch(FSDiskHandle disk) override { FSStopDaySearch(disk); }
    void StopPlay(FSDiskHandle disk, int slot) override { FSStopPlay(disk, slot); }
    void StopExport(FSDiskHandle disk, int slot) override { FSStopExport(disk, slot); }
    int RemoveDisk(FSDiskHandle disk) override { return FSRemoveDisk(disk); }
    void TellDriveGone() override { window_.MessageBox(notice_, nullptr, MB_OK); }

  private:
    CWnd& window_;
    CDlgLocalPlayback& diskPage_;
    CString notice_;
};

}  // namespace

BOOL IsEnterOrEscapeKeyDown(const MSG* msg) {
    return msg != nullptr && msg->message == WM_KEYDOWN &&
           (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
}

int IsPhysicalDriveGone(int drive) {
    if (drive == 0)
        return 0;
    HANDLE device = CreateFileA(winlib::PhysicalDrivePath(drive).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        // A drive someone else holds, or one we may not open, is still there.
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? 0 : 1;
    }
    CloseHandle(device);
    return 0;
}

BEGIN_MESSAGE_MAP(CLumeradDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_SIZE()
ON_WM_GETMINMAXINFO()
ON_WM_DEVICECHANGE()
ON_MESSAGE(WM_MODE_LOCAL_PLAYBACK, &CLumeradDlg::OnModeLocalPlayback)
ON_MESSAGE(WM_MODE_REMOTE_PLAYBACK, &CLumeradDlg::OnModeRemotePlayback)
ON_MESSAGE(WM_MODE_FILE_PLAY, &CLumeradDlg::OnModeFilePlay)
ON_MESSAGE(WM_COORD_RANGE, &CLumeradDlg::OnCoordRange)
END_MESSAGE_MAP()

CLumeradDlg::CLumeradDlg(CWnd* parent) : CDialog(IDD, parent) {
    m_hIcon = AfxGetApp() != nullptr ? AfxGetApp()->LoadIcon(IDR_MAINFRAME)
                                     : LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

void CLumeradDlg::SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
    m_pConfig = config;
    m_pSkin = skin;
}

BOOL CLumeradDlg::PreTranslateMessage(MSG* msg) {
    if (IsEnterOrEscapeKeyDown(msg))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CLumeradDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    if (m_pConfig != nullptr)
        SetWindowText(m_pConfig->LoadLangString(kStrCaption));

    m_diskPage.SetConfigAndSkin(m_pConfig, m_pSkin);
    m_diskPage.Create(CDlgLocalPlayback::IDD, this);
    m_diskPage.ShowWindow(SW_SHOW);
    m_netPage.SetConfigAndSkin(m_pConfig, m_pSkin);
    m_netPage.Create(CDlgRemotePlayback::IDD, this);
    m_menuBar.SetConfigAndSkin(m_pConfig, m_pSkin);
    m_menuBar.Create(CDlgMenuCtrl::IDD, this);
    m_menuBar.ShowWindow(SW_SHOW);
    CDlgFilePlayCtrl::SetExportDialogOpener(&OpenFilePlayDialog);
    m_filePage.SetConfigAndSkin(m_pConfig, m_pSkin);
    m_filePage.Create(CDlgFilePlay::IDD, this);

    if (m_pConfig != nullptr)
        m_pConfig->m_modeText = kLocalModeText;
    m_netPage.ShowWindow(SW_HIDE);
    m_filePage.ShowWindow(SW_HIDE);

    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(nullptr, (work.right - work.left - kStartWidth) / 2,
                 (work.bottom - work.top - kStartHeight) / 2, kStartWidth, kStartHeight, SWP_SHOWWINDOW);

    ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
    m_laidOut = TRUE;
    ShowWindow(SW_MAXIMIZE);
    UpdateWindow();
    return TRUE;
}

void CLumeradDlg::LayOut() {
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    if (m_menuBar.m_hWnd != nullptr)
        m_menuBar.MoveWindow(client.left, client.top, width, kBarHeight, TRUE);
    const int top = client.top + kPageTop;
    for (CDialog* page : {static_cast<CDialog*>(&m_diskPage), static_cast<CDialog*>(&m_netPage),
                          static_cast<CDialog*>(&m_filePage)})
        if (page->m_hWnd != nullptr)
            page->MoveWindow(client.left, top, width, client.bottom - top, TRUE);
}

void CLumeradDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (m_laidOut)
        LayOut();
}

void CLumeradDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize.x = kMinTrackWidth;
    info->ptMinTrackSize.y = kMinTrackHeight;
}

HCURSOR CLumeradDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CLumeradDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        const int iconWidth = GetSystemMetrics(SM_CXICON);
        const int iconHeight = GetSystemMetrics(SM_CYICON);
        CRect client;
        GetClientRect(&client);
        dc.DrawIcon((client.Width() - iconWidth + 1) / 2, (client.Height() - iconHeight + 1) / 2, m_hIcon);
        return;
    }
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CMemDC dc(&paint, &client);
    dc.FillSolidRect(&client, RGB(0, 0, 0));
}

// ---- modes ----------------------------------------------------------------------------

LRESULT CLumeradDlg::OnModeLocalPlayback(WPARAM, LPARAM) {
    ShowLocalMode();
    return 0;
}

LRESULT CLumeradDlg::OnModeRemotePlayback(WPARAM, LPARAM) {
    ShowRemoteMode();
    return 0;
}

LRESULT CLumeradDlg::OnModeFilePlay(WPARAM, LPARAM) {
    ShowFileMode();
    return 0;
}

LRESULT CLumeradDlg::OnCoordRange(WPARAM wParam, LPARAM lParam) {
    for (CPlaybackPage* page :
         {static_cast<CPlaybackPage*>(&m_diskPage), static_cast<CPlaybackPage*>(&m_netPage)})
        if (CWnd* panel = page->SensorPanel(); panel != nullptr && panel->m_hWnd != nullptr)
            panel->PostMessage(WM_COORD_RANGE, wParam, lParam);
    return 0;
}

void CLumeradDlg::ShowLocalMode() {
    if (m_pConfig != nullptr)
        m_diskPage.SetViewChecks(m_pConfig->m_syncPlay, m_pConfig->m_showWatermark);
    m_netPage.ClearPaneFlags();
    if (m_pConfig != nullptr) {
        m_pConfig->m_mode = 1;
        m_pConfig->m_modeText = kLocalModeText;
    }
    m_netPage.ResetPage();
    m_filePage.ResetPage();
    m_netPage.ShowWindow(SW_HIDE);
    m_filePage.ShowWindow(SW_HIDE);
    m_diskPage.ShowWindow(SW_SHOW);
    m_diskPage.ShowDownloadButton(FALSE);
}

void CLumeradDlg::ShowRemoteMode() {
    if (m_pConfig != nullptr)
        m_netPage.SetViewChecks(m_pConfig->m_syncPlay, m_pConfig->m_showWatermark);
    m_diskPage.ClearPaneFlags();
    m_diskPage.ResetPage();
    m_filePage.ResetPage();
    m_diskPage.ShowWindow(SW_HIDE);
    m_filePage.ShowWindow(SW_HIDE);
    if (m_pConfig != nullptr) {
        m_pConfig->m_mode = 0;
        m_pConfig->m_modeText = "";
    }
    m_netPage.ShowWindow(SW_SHOW);
    m_netPage.ShowDownloadButton(TRUE);
}

void CLumeradDlg::ShowFileMode() {
    m_diskPage.ClearPaneFlags();
    m_netPage.ClearPaneFlags();
    m_diskPage.ResetPage();
    m_netPage.ResetPage();
    m_filePage.ShowWindow(SW_SHOW);
    m_diskPage.ShowWindow(SW_HIDE);
    m_netPage.ShowWindow(SW_HIDE);
}

// ---- device changes -------------------------------------------------------------------

BOOL CLumeradDlg::OnDeviceChange(UINT event, DWORD_PTR) {
    if (shell::NoticeTestsDrive(event))
        ReleaseGoneDrive();
    return TRUE;
}

void CLumeradDlg::ReleaseGoneDrive() {
    if (m_pConfig == nullptr || m_pConfig->m_physicalDrive == 0)
        return;
    MainWindowDiskLink link(*this, m_diskPage, m_pConfig->LoadLangString(kStrDriveGone));
    shell::ReleaseGoneDrive({m_pConfig->m_diskHandle, m_pConfig->m_physicalDrive}, link);
}
