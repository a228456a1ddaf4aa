// app/play/playback_pages.cpp
#include "app/play/playback_pages.h"

#include "app/messages.h"

namespace {

constexpr COLORREF kPageBackground = RGB(0, 0, 0);

}  // namespace

void CPlaybackPage::Initialised() {
    m_mainWindow = ::GetParent(m_hWnd);
    m_initialised = TRUE;
}

void CPlaybackPage::LayOut() {
    if (!m_initialised)
        return;
    const play::PageRects r = play::LayOutPage(m_kind, play_wnd::ClientOf(*this), m_sensorPanelHidden);
    List().MoveWindow(r.list.x, r.list.y, r.list.width, r.list.height);
    m_dlgPlayback.MoveWindow(r.frame.x, r.frame.y, r.frame.width, r.frame.height);
    const play::PixelRect& panel = r.sensorPanel.rect;
    m_dlgMimic.MoveWindow(panel.x, panel.y, panel.width, panel.height);
    m_dlgMimic.ShowWindow(r.sensorPanel.shown ? SW_SHOW : SW_HIDE);
    Invalidate(FALSE);
}

LRESULT CPlaybackPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            LayOut();
            break;
        case WM_FULL_SCREEN:
            if (m_mainWindow != nullptr)
                ::ShowWindow(m_mainWindow, wParam == 1 ? SW_HIDE : SW_SHOW);
            if (wParam != 1)
                LayOut();
            return 0;
        case WM_BAR_POSITION:
            m_sensorPanelHidden = !m_sensorPanelHidden;
            LayOut();
            return 0;
        case WM_DESTROY: {
            const LRESULT result = CPlayChildDialog::WindowProc(message, wParam, lParam);
            ListDestroyed();
            return result;
        }
        case WM_ERASEBKGND:
            return TRUE;
        case WM_PAINT:
            play_wnd::PaintSolidBackground(*this, kPageBackground);
            return 0;
        default:
            break;
    }
    return CPlayChildDialog::WindowProc(message, wParam, lParam);
}

BOOL CDlgLocalPlayback::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    play_wnd::CreateChild(m_dlgFileList, CDlgFileList::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_dlgPlayback, CDlgPlayback::IDD, this, m_pConfig, m_pSkin, TRUE);
    m_dlgFileList.SetPlaybackFrame(&m_dlgPlayback);
    play_wnd::CreateChild(m_dlgMimic, CDlgMimic::IDD, this, m_pConfig, m_pSkin, TRUE);
    Initialised();
    m_sensorPanelHidden =
        play::SensorPanelHiddenAtStart(play::PageKind::Disk, m_pConfig != nullptr ? m_pConfig->m_mimic : 0);
    LayOut();
    return TRUE;
}

BOOL CDlgRemotePlayback::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    play_wnd::CreateChild(m_dlgDeviceList, CDlgDeviceList::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_dlgMimic, CDlgMimic::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_dlgPlayback, CDlgPlayback::IDD, this, m_pConfig, m_pSkin, TRUE);
    m_dlgDeviceList.SetPlaybackFrame(&m_dlgPlayback);
    m_dlgPlayback.m_viewType = static_cast<int>(play::ViewType::Video);
    m_dlgPlayback.ApplyViewType(m_dlgPlayback.m_viewType);
    m_dlgPlayback.m_dlgType.ShowViewButtons(FALSE);
    if (CWnd* button = m_dlgPlayback.m_dlgTool.GetDlgItem(IDC_BAR_POSITION))
        button->ShowWindow(SW_HIDE);
    Initialised();
    LayOut();
    return TRUE;
}
