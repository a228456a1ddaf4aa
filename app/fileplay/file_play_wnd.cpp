// app/fileplay/file_play_wnd.cpp
#include "app/fileplay/file_play_wnd.h"

#include <shellapi.h>

#include "app/fileplay/file_play_layout.h"
#include "app/fileplay/file_play_names.h"
#include "app/fileplay/folder_walk.h"
#include "app/messages.h"

BEGIN_MESSAGE_MAP(CDlgFilePlay, CPlayChildDialog)
ON_MESSAGE(WM_PLAYLIST_SHOW, &CDlgFilePlay::OnPlayListShow)
ON_WM_DROPFILES()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgFilePlay::CDlgFilePlay() : CPlayChildDialog(IDD, Face::Painted, RGB(0, 0, 0)) {}

CDlgFilePlay::~CDlgFilePlay() {
    // The parts go one by one: none may reach another that is gone.
    m_ctrl.AttachPage(nullptr);
    m_playList.AttachControlBar(nullptr);
    m_openPopup.AttachPage(nullptr);
}

void CDlgFilePlay::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_FP_VIDEO, m_video);
}

BOOL CDlgFilePlay::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_video.SetBkColor(RGB(0, 0, 0));
    m_playList.AttachControlBar(&m_ctrl);
    m_ctrl.AttachPage(this);
    m_openPopup.AttachPage(this);
    play_wnd::CreateChild(m_playList, CDlgPlayList::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_ctrl, CDlgFilePlayCtrl::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_openPopup, CDlgOpenFile::IDD, this, m_pConfig, m_pSkin, TRUE);
    // The popup lies over the video window.
    ::SetWindowPos(m_openPopup.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DragAcceptFiles(TRUE);
    ChildrenMade();
    return TRUE;
}

void CDlgFilePlay::PlaceChildren() {
    const play::FilePageRects r = play::LayOutFilePage(play_wnd::ClientOf(*this), m_listShown != FALSE);
    play_wnd::Place(m_video, r.video);
    play_wnd::Place(m_playList, play::Placement{r.list, r.listShown});
    play_wnd::Place(m_ctrl, r.bar);
    play_wnd::Place(m_openPopup, r.popup);
    Invalidate(FALSE);
}

void CDlgFilePlay::ResetPage() {
    m_playList.ClearList();
}

void CDlgFilePlay::ShowOpenPopup(BOOL show) {
    if (m_openPopup.m_hWnd != nullptr)
        m_openPopup.ShowWindow(show ? SW_SHOW : SW_HIDE);
}

LRESULT CDlgFilePlay::OnPlayListShow(WPARAM shown, LPARAM) {
    m_listShown = shown != 0 ? TRUE : FALSE;
    LayOut();
    return 0;
}

void CDlgFilePlay::AddDropped(const std::vector<std::string>& items) {
    for (const std::string& path : play::CollectDroppedFiles(m_lister, items))
        m_playList.AddPath(path);
    if (m_playList.Model().count() > 0)
        m_ctrl.PlayPath(m_playList.CurrentPath());
}

void CDlgFilePlay::OnDropFiles(HDROP drop) {
    std::vector<std::string> items;
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0 || length > play::kDropPathMax)
            continue;  // a path that long would be cut
        std::string path(length + 1, '\0');
        path.resize(::DragQueryFileA(drop, i, path.data(), length + 1));
        items.push_back(path);
    }
    ::DragFinish(drop);
    AddDropped(items);
}

void CDlgFilePlay::OnDestroy() {
    Default();
    m_playList.ClearList();
}
