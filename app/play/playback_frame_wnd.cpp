// app/play/playback_frame_wnd.cpp
#include "app/play/playback_frame_wnd.h"

#include "app/messages.h"
#include "controls/draw_gradient.h"

using play_wnd::ClientOf;
using play_wnd::Place;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kKeyColour = RGB(255, 0, 255);
constexpr COLORREF kFrameBackground = RGB(0, 0, 0);
constexpr COLORREF kGridBackground = 0x2E2E2E;
constexpr COLORREF kSelectorTop = 0x545454;
constexpr int kLabelFontHeight = -12;
constexpr int kButtonFontHeight = 15;
constexpr int kButtonCaptionTop = 5;

// Language strings.
constexpr int kStrVideoButton = 123;  // "Video Playback"
constexpr int kStrTrackButton = 124;  // "Track Playback"
constexpr int kStrBothButton = 125;   // "Video Track"
constexpr int kStrTitle = 126;        // "Video Playback"
constexpr int kStrSync = 150;         // "Sync Playback"
constexpr int kStrWatermark = 302;    // "Show Watermark"
constexpr int kStrWindow = 144;       // "Window"

}  // namespace

// ---- view type selector -----------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgPlaybackType, CPlayChildDialog)
ON_CONTROL_RANGE(BN_CLICKED, IDC_VIEW_VIDEO, IDC_VIEW_VIDEO_TRACK, &CDlgPlaybackType::OnViewButton)
ON_BN_CLICKED(IDC_SYNC_PLAY, &CDlgPlaybackType::OnSyncClicked)
ON_BN_CLICKED(IDC_SHOW_WATERMARK, &CDlgPlaybackType::OnWatermarkClicked)
END_MESSAGE_MAP()

void CDlgPlaybackType::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_VIEW_VIDEO, m_btnVideo);
    DDX_Control(dx, IDC_VIEW_TRACK, m_btnTrack);
    DDX_Control(dx, IDC_VIEW_VIDEO_TRACK, m_btnVideoTrack);
    DDX_Control(dx, IDC_VIEW_TITLE, m_title);
    DDX_Control(dx, IDC_SYNC_PLAY_LABEL, m_syncLabel);
    DDX_Control(dx, IDC_WATERMARK_LABEL, m_watermarkLabel);
}

BOOL CDlgPlaybackType::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    const struct {
        CBmpButton& button;
        int text;
    } buttons[] = {
        {m_btnVideo, kStrVideoButton}, {m_btnTrack, kStrTrackButton}, {m_btnVideoTrack, kStrBothButton}};
    for (const auto& b : buttons) {
        b.button.SetImageFile(IDB_VIEW_TYPE_BUTTON, kKeyColour, 0);
        if (m_pConfig != nullptr)
            b.button.SetCaption(0, kButtonCaptionTop, 0, m_pConfig->LoadLangString(b.text), kWhite,
                                kButtonFontHeight);
    }
    const struct {
        CColorStatic& label;
        int text;
    } labels[] = {{m_title, kStrTitle}, {m_syncLabel, kStrSync}, {m_watermarkLabel, kStrWatermark}};
    for (const auto& l : labels) {
        if (m_pConfig != nullptr)
            l.label.SetWindowText(m_pConfig->LoadLangString(l.text));
        l.label.SetTextStyle(kWhite, kLabelFontHeight);
    }
    // The video view is the one shown at first.
    m_btnVideo.EnableWindow(FALSE);
    m_btnTrack.EnableWindow(TRUE);
    m_btnVideoTrack.EnableWindow(TRUE);
    if (m_pConfig != nullptr)
        SetViewChecks(m_pConfig->m_syncPlay, m_pConfig->m_showWatermark);
    OnSyncClicked();
    ChildrenMade();
    return TRUE;
}

void CDlgPlaybackType::SetViewChecks(BOOL syncPlay, BOOL showWatermark) {
    CheckDlgButton(IDC_SYNC_PLAY, syncPlay ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SHOW_WATERMARK, showWatermark ? BST_CHECKED : BST_UNCHECKED);
}

void CDlgPlaybackType::ShowViewButtons(BOOL show) {
    m_viewButtons = show;
    LayOut();
}

void CDlgPlaybackType::PlaceChildren() {
    const play::TypeSelectorRects r =
        play::LayOutTypeSelector(ClientOf(*this), Gps(), m_viewButtons != FALSE, Watermark());
    Place(m_btnVideo, r.videoButton);
    Place(m_btnTrack, r.trackButton);
    Place(m_btnVideoTrack, r.videoTrackButton);
    Place(m_title, r.title);
    Place(*GetDlgItem(IDC_SYNC_PLAY), r.syncCheck);
    Place(m_syncLabel, r.syncLabel);
    Place(*GetDlgItem(IDC_SHOW_WATERMARK), r.watermarkCheck);
    Place(m_watermarkLabel, r.watermarkLabel);
    Invalidate(FALSE);
}

void CDlgPlaybackType::OnViewButton(UINT id) {
    const int button = static_cast<int>(id - IDC_VIEW_VIDEO);
    CBmpButton* all[] = {&m_btnVideo, &m_btnTrack, &m_btnVideoTrack};
    for (int i = 0; i < 3; ++i)
        all[i]->EnableWindow(i != button);
    if (CWnd* frame = GetParent())
        frame->PostMessage(WM_VIEW_TYPE, static_cast<WPARAM>(play::kViewTypeVideoCommand + button), 0);
}

void CDlgPlaybackType::OnSyncClicked() {
    if (m_pConfig != nullptr)
        m_pConfig->m_syncPlay = IsDlgButtonChecked(IDC_SYNC_PLAY) == BST_CHECKED;
    if (CWnd* frame = GetParent())
        frame->PostMessage(WM_SYNC_PLAY, 0, 0);
}

void CDlgPlaybackType::OnWatermarkClicked() {
    if (m_pConfig != nullptr)
        m_pConfig->m_showWatermark = IsDlgButtonChecked(IDC_SHOW_WATERMARK) == BST_CHECKED;
}

void CDlgPlaybackType::PaintFace(CDC& dc, const CRect& client) {
    DrawGradient(&dc, client, kSelectorTop, kFrameBackground, FALSE, TRUE);
}

// ---- the two grids ------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPaneGridDialog, CPlayChildDialog)
ON_MESSAGE(WM_PANE_SELECTED, &CPaneGridDialog::OnPaneSelected)
ON_MESSAGE(WM_PANE_TOGGLE_LAYOUT, &CPaneGridDialog::OnPaneToggleLayout)
ON_MESSAGE(WM_PANE_LAYOUT, &CPaneGridDialog::OnPaneLayout)
END_MESSAGE_MAP()

BOOL CPaneGridDialog::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    for (int i = 0; i < play::kPaneCount; ++i)
        CreatePane(i);
    ChildrenMade();
    return TRUE;
}

void CPaneGridDialog::PlaceChildren() {
    CRect client;
    GetClientRect(&client);
    const auto places = m_grid.LayOut(client.Width(), client.Height());
    for (int i = 0; i < play::kPaneCount; ++i)
        Place(Pane(i), places[i]);
    Invalidate(FALSE);
}

void CPaneGridDialog::PaintFace(CDC& dc, const CRect& client) {
    dc.FillSolidRect(&client, kGridBackground);
    dc.SelectStockObject(NULL_BRUSH);
    for (const play::PaneFrame& f : m_grid.Frames(client.Width(), client.Height())) {
        const CPen pen(PS_SOLID, 2, f.colour);
        const CGdiSelection selected(dc, pen);
        dc.Rectangle(f.rect.x, f.rect.y, f.rect.right(), f.rect.bottom());
    }
}

LRESULT CPaneGridDialog::OnPaneSelected(WPARAM pane, LPARAM lParam) {
    if (m_grid.Select(static_cast<int>(pane)).changed) {
        Invalidate(FALSE);
        OnSelected(pane, lParam);
    }
    return 0;
}

LRESULT CPaneGridDialog::OnPaneToggleLayout(WPARAM pane, LPARAM) {
    if (m_grid.ToggleLayout(static_cast<int>(pane)))
        LayOut();
    return 0;
}

LRESULT CPaneGridDialog::OnPaneLayout(WPARAM command, LPARAM) {
    if (m_grid.ApplyLayoutCommand(static_cast<int>(command)))
        LayOut();
    return 0;
}

void CDlgVideoPlayback::CreatePane(int index) {
    m_panes[index].SetPaneIndex(index);
    play_wnd::CreateChild(m_panes[index], CDlgPlayWnd::IDD, this, m_pConfig, m_pSkin, TRUE);
}

void CDlgVideoPlayback::OnSelected(WPARAM wParam, LPARAM lParam) {
    if (m_toolBar != nullptr && m_toolBar->m_hWnd != nullptr)
        m_toolBar->SendMessage(WM_PANE_SELECTED, wParam, lParam);
}

void CDlgTrackPlayback::CreatePane(int index) {
    m_panes[index].SetPaneIndex(index);
    play_wnd::CreateChild(m_panes[index], CDlgMapWnd::IDD, this, m_pConfig, m_pSkin, TRUE);
}

BEGIN_MESSAGE_MAP(CDlgTrackPlayback, CPaneGridDialog)
ON_MESSAGE(WM_SYNC_PLAY, &CDlgTrackPlayback::OnSyncPlay)
END_MESSAGE_MAP()

LRESULT CDlgTrackPlayback::OnSyncPlay(WPARAM, LPARAM) {
    m_grid.SetSyncMode(m_pConfig != nullptr && m_pConfig->m_syncPlay);
    LayOut();
    return 0;
}

// ---- the time-bar strip ---------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgPlaybackBar, CPlayChildDialog)
ON_MESSAGE(WM_TIMEBAR_SEEK, &CDlgPlaybackBar::OnTimebarSeek)
END_MESSAGE_MAP()

void CDlgPlaybackBar::SetSeekTargets(CWnd* panes[play::kPaneCount], CWnd* toolBar) {
    for (int i = 0; i < play::kPaneCount; ++i)
        m_panes[i] = panes[i];
    m_toolBar = toolBar;
}

BOOL CDlgPlaybackBar::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_timeBar.Create(CRect(0, 0, 0, 0), this, IDC_TIMEBAR);
    const CString word = m_pConfig != nullptr ? m_pConfig->LoadLangString(kStrWindow) : CString("Window");
    for (int row = 0; row < play::kPaneCount; ++row)
        m_timeBar.SetRowName(row, play::TimebarRowName(word.GetString(), row).c_str());
    ChildrenMade();
    return TRUE;
}

void CDlgPlaybackBar::PlaceChildren() {
    Place(m_timeBar, ClientOf(*this));
}

LRESULT CDlgPlaybackBar::OnTimebarSeek(WPARAM control, LPARAM row) {
    if (control != IDC_TIMEBAR)
        return 0;
    const play::SeekDestination to = play::RouteTimebarSeek(static_cast<int>(row));
    CWnd* target = to.route == play::SeekRoute::Pane      ? m_panes[to.pane]
                   : to.route == play::SeekRoute::ToolBar ? m_toolBar
                                                          : nullptr;
    if (target != nullptr && target->m_hWnd != nullptr)
        target->PostMessage(WM_TIMEBAR_SEEK, 0, 0);
    return 0;
}

// ---- the frame ----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgPlayback, CPlayChildDialog)
ON_MESSAGE(WM_VIEW_TYPE, &CDlgPlayback::OnViewType)
ON_MESSAGE(WM_PANE_LAYOUT, &CDlgPlayback::OnPaneLayout)
ON_MESSAGE(WM_FULL_SCREEN, &CDlgPlayback::OnFullScreen)
ON_MESSAGE(WM_SYNC_PLAY, &CDlgPlayback::OnSyncPlay)
ON_MESSAGE(WM_BAR_POSITION, &CDlgPlayback::OnBarPosition)
END_MESSAGE_MAP()

BOOL CDlgPlayback::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_page = ::GetParent(m_hWnd);
    play_wnd::CreateChild(m_dlgType, CDlgPlaybackType::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_dlgVideo, CDlgVideoPlayback::IDD, this, m_pConfig, m_pSkin, TRUE);
    // The panes and the tool bar reach each other through their controllers.
    for (CDlgPlayWnd& pane : m_dlgVideo.m_panes) {
        if (pane.m_hWnd != nullptr)
            pane.AttachToolBar(&m_dlgTool.Controller());
    }
    if (m_noMapGrid == 0 && m_pConfig != nullptr && m_pConfig->m_gps != 0)
        play_wnd::CreateChild(m_dlgTrack, CDlgTrackPlayback::IDD, this, m_pConfig, m_pSkin, FALSE);
    play_wnd::CreateChild(m_dlgTool, CDlgPlaybackTool::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_dlgBar, CDlgPlaybackBar::IDD, this, m_pConfig, m_pSkin, TRUE);
    for (int i = 0; i < play::kPaneCount; ++i) {
        m_dlgDownload[i].SetPaneIndex(i);
        play_wnd::CreateChild(m_dlgDownload[i], CDlgFileDownload::IDD, this, m_pConfig, m_pSkin, FALSE);
    }
    m_dlgVideo.SetToolBar(&m_dlgTool);
    CWnd* panes[play::kPaneCount];
    for (int i = 0; i < play::kPaneCount; ++i)
        panes[i] = &m_dlgVideo.m_panes[i];
    m_dlgBar.SetSeekTargets(panes, &m_dlgTool);

    ApplyViewType(m_viewType);
    ChildrenMade();
    return TRUE;
}

void CDlgPlayback::ApplyViewType(int type) {
    if (type < static_cast<int>(play::ViewType::Video) || type > static_cast<int>(play::ViewType::VideoMap))
        return;
    m_viewType = type;
    if (m_dlgVideo.m_hWnd != nullptr)
        m_dlgVideo.ShowWindow(type != static_cast<int>(play::ViewType::Map) ? SW_SHOW : SW_HIDE);
    if (HasMapGrid())
        m_dlgTrack.ShowWindow(type != static_cast<int>(play::ViewType::Video) ? SW_SHOW : SW_HIDE);
    LayOut();
}

void CDlgPlayback::PlaceChildren() {
    const play::PixelRect client = ClientOf(*this);
    const play::FrameRects r =
        play::LayOutFrame(client, static_cast<play::ViewType>(m_viewType), HasMapGrid() != FALSE);
    m_contentWidth = r.videoGrid.rect.width;
    m_contentHeight = r.videoGrid.rect.height;
    Place(m_dlgType, r.typeSelector);
    Place(m_dlgVideo, r.videoGrid);
    if (HasMapGrid())
        Place(m_dlgTrack, r.mapGrid);
    Place(m_dlgTool, r.toolBar);
    Place(m_dlgBar, r.strip);
}

LRESULT CDlgPlayback::OnFullScreen(WPARAM on, LPARAM) {
    if (on != 0) {
        if (!m_fullScreen.Enter(reinterpret_cast<uintptr_t>(m_page)))
            return 0;
        ::PostMessageA(m_page, WM_FULL_SCREEN, 1, 0);
        POINT pointer = {};
        ::GetCursorPos(&pointer);
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoA(::MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& m = monitor.rcMonitor;
        ::SetParent(m_hWnd, ::GetDesktopWindow());
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, m.left, m.top, m.right - m.left, m.bottom - m.top,
                       SWP_FRAMECHANGED | SWP_DEFERERASE);
    } else {
        const HWND page = reinterpret_cast<HWND>(m_fullScreen.Leave());
        if (page == nullptr)
            return 0;
        ::SetParent(m_hWnd, page);
        ::PostMessageA(page, WM_FULL_SCREEN, 0, 0);
        ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    return 0;
}

LRESULT CDlgPlayback::OnViewType(WPARAM command, LPARAM) {
    if (const std::optional<play::ViewType> type = play::ViewTypeFromCommand(static_cast<int>(command)))
        ApplyViewType(static_cast<int>(*type));
    return 0;
}

LRESULT CDlgPlayback::OnPaneLayout(WPARAM command, LPARAM lParam) {
    m_dlgVideo.PostMessage(WM_PANE_LAYOUT, command, lParam);
    if (HasMapGrid())
        m_dlgTrack.PostMessage(WM_PANE_LAYOUT, command, lParam);
    return 0;
}

LRESULT CDlgPlayback::OnSyncPlay(WPARAM, LPARAM) {
    if (HasMapGrid())
        m_dlgTrack.PostMessage(WM_SYNC_PLAY, 0, 0);
    return 0;
}

LRESULT CDlgPlayback::OnBarPosition(WPARAM wParam, LPARAM lParam) {
    if (m_page != nullptr)
        ::PostMessageA(m_page, WM_BAR_POSITION, wParam, lParam);
    return 0;
}
