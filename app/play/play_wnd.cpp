// app/play/play_wnd.cpp
#include "app/play/play_wnd.h"

#include "app/base/pane_face.h"
#include "app/base/play_layouts.h"
#include "app/messages.h"
#include "app/play/playback_frame_wnd.h"
#include "app/play/toolbar_controller.h"

namespace {

constexpr UINT_PTR kPlayTimer = 103;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kTitleFontHeight = -12;
constexpr int kTitleLeft = 6;  // where the title text starts
constexpr int kStrPlaybackWindow = 102;

COLORREF Colour(uint32_t bgr) {
    return static_cast<COLORREF>(bgr);
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgPlayWnd, CPlayChildDialog)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_TIMER()
ON_MESSAGE(WM_PLAYLIB_NOTIFY, &CDlgPlayWnd::OnPlayLibNotify)
ON_MESSAGE(WM_TIMEBAR_SEEK, &CDlgPlayWnd::OnTimebarSeek)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgPlayWnd::CDlgPlayWnd()
    : CPlayChildDialog(IDD, Face::Painted),
      m_player(this),
      m_controller(
          play::PaneLinks{m_player, m_disk, m_net, m_timeBar, m_settings, m_files, m_clock, m_maps, *this}) {}

CDlgPlayWnd::~CDlgPlayWnd() {
    // The frame's other parts may be gone already (members go before the
    // windows): let go of them, then stop what still plays before the window
    // and the logo go.
    m_timeBar.SetTarget(nullptr);
    m_maps.SetFrame(nullptr);
    AttachToolBar(nullptr);
    if (m_controller.playing())
        m_controller.PlayCtrl(play::kStopCommand, m_controller.syncStarted());
}

void CDlgPlayWnd::SetPaneIndex(int index) {
    m_controller.SetPaneIndex(index);
}

void CDlgPlayWnd::AttachToolBar(play::ToolbarController* toolBar) {
    play::ToolbarController* const old = m_controller.toolbar();
    if (old == toolBar)
        return;
    if (old != nullptr && old->Pane(PaneIndex()) == &m_controller)
        old->AttachPane(PaneIndex(), nullptr);
    m_controller.AttachToolbar(toolBar);
    if (toolBar != nullptr)
        toolBar->AttachPane(PaneIndex(), &m_controller);
}

// ---- commands -----------------------------------------------------------------------------

void CDlgPlayWnd::PlayCtrl(int command, BOOL syncStart) {
    m_controller.PlayCtrl(command, syncStart != FALSE);
}

void CDlgPlayWnd::SeekPlay() {
    m_controller.SeekPlay();
}

void CDlgPlayWnd::SetPlaySpeed() {
    m_controller.SetPlaySpeed();
}

void CDlgPlayWnd::CaptureSnapshot() {
    m_controller.CaptureSnapshot();
}

void CDlgPlayWnd::ToggleClipRecord() {
    m_controller.ToggleClipRecord();
}

void CDlgPlayWnd::SelectPane() {
    const auto* grid = dynamic_cast<const CPaneGridDialog*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
    m_controller.SelectPane(grid != nullptr ? grid->Grid().selectedPane() : -1);
}

void CDlgPlayWnd::SetTimeText(LPCSTR text) {
    ShowTimeText(text != nullptr ? text : "");
}

void CDlgPlayWnd::SetPlayDay(int year, int month, int day, BOOL valid) {
    if (valid)
        m_controller.SetPlayDay(play::PlayDate{year, month, day});
    else
        m_controller.SetPlayDay(std::nullopt);
}

// ---- window -------------------------------------------------------------------------------

void CDlgPlayWnd::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PLAY_VIDEO, m_videoArea);
}

BOOL CDlgPlayWnd::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_settings.SetConfig(m_pConfig);
    if (CDlgPlayback* frame = play::FindFrame(m_hWnd, 2)) {
        m_timeBar.SetTarget(&frame->m_dlgBar.m_timeBar.Port());
        m_maps.SetFrame(frame);
    }
    m_logo.Load(IDB_PANE_LOGO);
    if (m_pConfig != nullptr)
        m_pConfig->CreateUiFont(m_font, kTitleFontHeight, FW_NORMAL);
    else
        CreateArialFont(m_font, kTitleFontHeight, FW_NORMAL);
    m_videoArea.SetBkColor(RGB(0, 0, 0));
    m_videoArea.SetShowImage(TRUE);
    m_controller.Initialise();
    ChildrenMade();
    return TRUE;
}

void CDlgPlayWnd::PlaceChildren() {
    const play::PaneRects r = play::LayOutPlayPane(play_wnd::ClientOf(*this));
    m_timeRect.SetRect(r.timeText.x, r.timeText.y, r.timeText.right(), r.timeText.bottom());
    m_videoArea.MoveWindow(r.video.x, r.video.y, r.video.width, r.video.height);
    Invalidate(FALSE);
}

bool CDlgPlayWnd::InVideoArea(CPoint point) const {
    if (m_videoArea.m_hWnd == nullptr)
        return false;
    CRect area;
    m_videoArea.GetWindowRect(&area);
    ScreenToClient(&area);
    return ::PtInRect(&area, point) != FALSE;
}

void CDlgPlayWnd::PaintFace(CDC& dc, const CRect& client) {
    DrawPaneFace(dc, client);

    dc.SetBkMode(TRANSPARENT);
    const CGdiSelection selectedFont(dc, m_font);
    const CString word = m_pConfig != nullptr ? m_pConfig->LoadLangString(kStrPlaybackWindow) : CString();
    const std::string title = play::PaneTitle(word.GetString(), PaneIndex());
    CRect titleRect(client.left + kTitleLeft, client.top, m_timeRect.left,
                    client.top + play::kPaneTitleHeight);
    dc.SetTextColor(Colour(play::kPaneTitleColour));
    dc.DrawText(title.c_str(), -1, &titleRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    CRect timeRect = m_timeRect;
    dc.SetTextColor(kWhite);
    dc.DrawText(TimeText().c_str(), -1, &timeRect, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void CDlgPlayWnd::OnLButtonDown(UINT, CPoint point) {
    if (InVideoArea(point))
        SelectPane();
    Default();
}

void CDlgPlayWnd::OnLButtonDblClk(UINT, CPoint point) {
    if (InVideoArea(point)) {
        if (CWnd* grid = GetParent())
            grid->PostMessage(WM_PANE_TOGGLE_LAYOUT, static_cast<WPARAM>(PaneIndex()), 0);
    }
    Default();
}

void CDlgPlayWnd::OnTimer(UINT_PTR id) {
    if (id != kPlayTimer) {
        Default();
        return;
    }
    m_controller.UpdatePlayTime();
}

LRESULT CDlgPlayWnd::OnPlayLibNotify(WPARAM code, LPARAM user) {
    return m_controller.OnPlayLibMessage(static_cast<int>(code), static_cast<uintptr_t>(user));
}

LRESULT CDlgPlayWnd::OnTimebarSeek(WPARAM, LPARAM) {
    SeekPlay();
    return 0;
}

void CDlgPlayWnd::OnDestroy() {
    // No library thread may call into a pane that is gone.
    if (m_controller.playing())
        m_controller.PlayCtrl(play::kStopCommand, m_controller.syncStarted());
    KillTimer(kPlayTimer);
    Default();
}

// ---- PaneView -----------------------------------------------------------------------------

void CDlgPlayWnd::SetVideoIdle(bool idle) {
    if (m_videoArea.m_hWnd != nullptr)
        m_videoArea.SetShowImage(idle ? TRUE : FALSE);
}

void CDlgPlayWnd::ShowTimeText(const std::string&) {
    if (m_hWnd != nullptr)
        InvalidateRect(&m_timeRect, FALSE);
}

void CDlgPlayWnd::EraseVideo() {
    if (m_videoArea.m_hWnd != nullptr)
        m_videoArea.Invalidate(TRUE);
}

void CDlgPlayWnd::Repaint() {
    if (m_hWnd != nullptr)
        Invalidate(FALSE);
}

void CDlgPlayWnd::SetPlayTimer(bool on) {
    play_wnd::SetPlayTimer(*this, on);
}

void CDlgPlayWnd::ShowMessage(const std::string& text) {
    MessageBox(text.c_str());
}

void CDlgPlayWnd::PostPaneSelected(int pane) {
    if (CWnd* grid = GetParent())
        grid->PostMessage(WM_PANE_SELECTED, static_cast<WPARAM>(pane), 0);
}

// ---- the logo -----------------------------------------------------------------------------

void CDlgPlayWnd::PaintOverlay(VekPlayDC dc, int width, int height) {
    if (m_controller.ShouldDrawLogo())
        play_wnd::BlendLogo(dc, m_logo, width, height);
}
