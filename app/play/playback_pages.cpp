// app/play/playback_pages.cpp
#include "app/play/playback_pages.h"

#include "app/messages.h"

BEGIN_MESSAGE_MAP(CPlaybackPage, CPlayChildDialog)
ON_MESSAGE(WM_FULL_SCREEN, &CPlaybackPage::OnFullScreen)
ON_MESSAGE(WM_BAR_POSITION, &CPlaybackPage::OnBarPosition)
ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CPlaybackPage::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_mainWindow = ::GetParent(m_hWnd);
    return TRUE;
}

void CPlaybackPage::PlaceChildren() {
    const play::PageRects r = play::LayOutPage(m_kind, play_wnd::ClientOf(*this), m_sensorPanelHidden);
    List().MoveWindow(r.list.x, r.list.y, r.list.width, r.list.height);
    m_dlgPlayback.MoveWindow(r.frame.x, r.frame.y, r.frame.width, r.frame.height);
    const play::PixelRect& panel = r.sensorPanel.rect;
    m_dlgMimic.MoveWindow(panel.x, panel.y, panel.width, panel.height);
    m_dlgMimic.ShowWindow(r.sensorPanel.shown ? SW_SHOW : SW_HIDE);
    Invalidate(FALSE);
}

LRESULT CPlaybackPage::OnFullScreen(WPARAM on, LPARAM) {
    // The frame went to the desktop (1) or came back (0).
    if (m_mainWindow != nullptr)
        ::ShowWindow(m_mainWindow, on == 1 ? SW_HIDE : SW_SHOW);
    if (on != 1)
        LayOut();
    return 0;
}

LRESULT CPlaybackPage::OnBarPosition(WPARAM, LPARAM) {
    m_sensorPanelHidden = !m_sensorPanelHidden;
    LayOut();
    return 0;
}

void CPlaybackPage::OnDestroy() {
    Default();
    ListDestroyed();
}

BOOL CDlgLocalPlayback::OnInitDialog() {
    CPlaybackPage::OnInitDialog();
    m_dlgFileList.SetPlayback(&m_listPlayback);
    play_wnd::CreateChild(m_dlgFileList, CDlgFileList::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_dlgPlayback, CDlgPlayback::IDD, this, m_pConfig, m_pSkin, TRUE);
    m_listPlayback.SetFrame(&m_dlgPlayback);
    play_wnd::CreateChild(m_dlgMimic, CDlgMimic::IDD, this, m_pConfig, m_pSkin, TRUE);
    m_sensorPanelHidden =
        play::SensorPanelHiddenAtStart(play::PageKind::Disk, m_pConfig != nullptr ? m_pConfig->m_mimic : 0);
    ChildrenMade();
    return TRUE;
}

BOOL CDlgRemotePlayback::OnInitDialog() {
    CPlaybackPage::OnInitDialog();
    m_dlgDeviceList.SetPlayback(&m_listPlayback);
    play_wnd::CreateChild(m_dlgDeviceList, CDlgDeviceList::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_dlgMimic, CDlgMimic::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_dlgPlayback, CDlgPlayback::IDD, this, m_pConfig, m_pSkin, TRUE);
    m_listPlayback.SetFrame(&m_dlgPlayback);
    m_dlgPlayback.m_viewType = static_cast<int>(play::ViewType::Video);
    m_dlgPlayback.ApplyViewType(m_dlgPlayback.m_viewType);
    m_dlgPlayback.m_dlgType.ShowViewButtons(FALSE);
    if (CWnd* button = m_dlgPlayback.m_dlgTool.GetDlgItem(IDC_BAR_POSITION))
        button->ShowWindow(SW_HIDE);
    ChildrenMade();
    return TRUE;
}
