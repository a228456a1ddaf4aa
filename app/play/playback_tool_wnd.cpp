// app/play/playback_tool_wnd.cpp
#include "app/play/playback_tool_wnd.h"

#include <optional>

#include "app/base/play_layouts.h"
#include "app/messages.h"
#include "app/play/playback_frame_wnd.h"
#include "controls/draw_gradient.h"

namespace {

using namespace play;

constexpr COLORREF kKeyColour = RGB(255, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBarTop = 0x545454;
constexpr COLORREF kBarBottom = 0x1E1E1E;
constexpr int kStateFontHeight = -12;
constexpr COLORREF kStateBack = RGB(0, 0, 0);

// The volume slider's geometry and pictures.
constexpr int kVolumeMargin = 13;
constexpr int kVolumeMax = 100;

struct ButtonRecipe {
    int id;
    UINT bitmap;
    int tooltip;  // language string
    void (ToolbarController::*action)();
    bool wait;  // under the wait cursor: starting or stopping panes waits for the libraries' threads
};

constexpr ButtonRecipe kButtons[CDlgPlaybackTool::kButtonCount] = {
    {IDC_TOOL_PLAY, IDB_TOOL_PLAY, 127, &ToolbarController::OnPlay, true},
    {IDC_TOOL_PAUSE, IDB_TOOL_PAUSE, 128, &ToolbarController::OnPause, false},
    {IDC_TOOL_STOP, IDB_TOOL_STOP, 129, &ToolbarController::OnStop, true},
    {IDC_TOOL_SPEED_DOWN, IDB_TOOL_SPEED_DOWN, 130, &ToolbarController::OnSpeedDown, true},
    {IDC_TOOL_SPEED_UP, IDB_TOOL_SPEED_UP, 131, &ToolbarController::OnSpeedUp, true},
    {IDC_TOOL_NEXT_FRAME, IDB_TOOL_NEXT_FRAME, 132, &ToolbarController::OnNextFrame, false},
    {IDC_TOOL_CAPTURE, IDB_TOOL_CAPTURE, 139, &ToolbarController::OnCapture, true},
    {IDC_TOOL_ONE_WND, IDB_TOOL_ONE_WND, 133, &ToolbarController::OnOneWnd, false},
    {IDC_TOOL_FOUR_WND, IDB_TOOL_FOUR_WND, 134, &ToolbarController::OnFourWnd, false},
    {IDC_TOOL_FULL_SCREEN, IDB_TOOL_FULL_SCREEN, kStringFullScreen, &ToolbarController::OnFullScreen, false},
    {IDC_TOOL_MUTE, IDB_TOOL_MUTE, kStringMuteOn, &ToolbarController::OnMute, false},
    {IDC_TOOL_VIDEO_CLIP, IDB_TOOL_VIDEO_CLIP, 156, &ToolbarController::OnVideoClip, true},
    {IDC_BAR_POSITION, IDB_TOOL_SENSOR_PANEL, kStringBottom, &ToolbarController::OnSensorPanel, false},
    {IDC_TOOL_DOWNLOAD, IDB_TOOL_DOWNLOAD, 287, &ToolbarController::OnDownload, false},
    {IDC_TOOL_PLAY_ALL, IDB_TOOL_PLAY_ALL, 300, &ToolbarController::OnPlayAll, true},
    {IDC_TOOL_STOP_ALL, IDB_TOOL_STOP_ALL, 301, &ToolbarController::OnStopAll, false},
};

// The wait cursor while an action runs (starting or stopping panes waits for
// the libraries' threads).
class WaitCursor {
  public:
    WaitCursor() : old_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(old_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR old_;
};

}  // namespace

BEGIN_MESSAGE_MAP(CDlgPlaybackTool, CPlayChildDialog)
ON_CONTROL_RANGE(BN_CLICKED, IDC_TOOL_PLAY, IDC_TOOL_FULL_SCREEN, &CDlgPlaybackTool::OnButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_BAR_POSITION, IDC_BAR_POSITION, &CDlgPlaybackTool::OnButton)
ON_MESSAGE(WM_PANE_SELECTED, &CDlgPlaybackTool::OnPaneSelected)
ON_MESSAGE(WM_RECORDS_CHANGED, &CDlgPlaybackTool::OnRecordsChanged)
ON_MESSAGE(WM_PLAYLIB_NOTIFY, &CDlgPlaybackTool::OnPlayLibNotify)
ON_MESSAGE(WM_STOP_ALL_PLAY, &CDlgPlaybackTool::OnStopAllPlay)
ON_MESSAGE(WM_SLIDER_MOVING, &CDlgPlaybackTool::OnSliderMoving)
ON_MESSAGE(WM_TIMEBAR_SEEK, &CDlgPlaybackTool::OnTimebarSeek)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgPlaybackTool::CDlgPlaybackTool()
    : CPlayChildDialog(IDD, Face::Painted),
      m_controller(ToolbarLinks{m_player, m_timeBar, m_settings, *this}) {}

CDlgPlaybackTool::~CDlgPlaybackTool() {
    for (int i = 0; i < play::kPaneCount; ++i) {
        play::PaneController* pane = m_controller.Pane(i);
        if (pane != nullptr && pane->toolbar() == &m_controller)
            pane->AttachToolbar(nullptr);
    }
    // A sync master still alive plays nothing any more.
    if (const uint32_t master = m_controller.syncMaster()) {
        m_player.StopPlay(master);
        m_player.DestroyPlayInstance(master);
    }
}

CBmpButton* CDlgPlaybackTool::Button(int id) {
    for (int i = 0; i < kButtonCount; ++i) {
        if (kButtons[i].id == id)
            return &m_buttons[i];
    }
    return nullptr;
}

// ---- what others call ---------------------------------------------------------------------

void CDlgPlaybackTool::PlayPane(int pane) {
    WaitCursor wait;
    m_controller.PlayPane(pane);
}

void CDlgPlaybackTool::SyncSeekAll() {
    m_controller.SyncSeekAll();
}

void CDlgPlaybackTool::StopAllAndClear() {
    m_controller.StopAllAndClear();
}

void CDlgPlaybackTool::ShowDownloadButton(BOOL show) {
    m_controller.ShowDownloadButton(show != FALSE);
}

void CDlgPlaybackTool::ClearPaneFlags() {
    m_controller.ClearPaneWords();
}

// ---- window -------------------------------------------------------------------------------

void CDlgPlaybackTool::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    for (int i = 0; i < kButtonCount; ++i)
        DDX_Control(dx, kButtons[i].id, m_buttons[i]);
    DDX_Control(dx, IDC_TOOL_STATE, m_stateText);
}

BOOL CDlgPlaybackTool::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_settings.SetConfig(m_pConfig);
    m_frame = FindFrame(m_hWnd, 1);
    if (m_frame != nullptr)
        m_timeBar.SetTarget(&m_frame->m_dlgBar.m_timeBar.Port());
    for (int i = 0; i < kButtonCount; ++i) {
        m_buttons[i].SetImageFile(kButtons[i].bitmap, kKeyColour, 0);
        m_buttons[i].SetTooltipText(m_settings.LoadLangString(kButtons[i].tooltip).c_str());
    }
    m_stateText.SetTextStyle(kWhite, kStateFontHeight);
    // The text changes in place: it paints its own dark box, so a new text
    // never lands on the old one.
    m_stateText.SetBackground(kStateBack);
    if (m_volume.SubclassDlgItem(IDC_TOOL_VOLUME, this)) {
        m_volume.SetMargin(kVolumeMargin, kVolumeMargin);
        m_volume.SetBackgroundImage(IDB_VOLUME_BACK);
        m_volume.SetChannelImages(IDB_VOLUME_CHANNEL, IDB_VOLUME_CHANNEL_ACTIVE, 0);
        m_volume.SetRange(0, kVolumeMax);
        m_volume.SetThumbImages(IDB_VOLUME_THUMB);
    }
    m_controller.Initialise();
    ChildrenMade();
    return TRUE;
}

void CDlgPlaybackTool::PlaceChildren() {
    play_wnd::PlaceControls(*this, LayOutToolbar(play_wnd::ClientOf(*this)));
    Invalidate(FALSE);
}

void CDlgPlaybackTool::PaintFace(CDC& dc, const CRect& client) {
    DrawGradient(&dc, client, kBarTop, kBarBottom, FALSE, TRUE);
}

void CDlgPlaybackTool::OnButton(UINT id) {
    for (const ButtonRecipe& button : kButtons) {
        if (button.id != static_cast<int>(id))
            continue;
        std::optional<WaitCursor> wait;
        if (button.wait)
            wait.emplace();
        (m_controller.*button.action)();
        return;
    }
}

LRESULT CDlgPlaybackTool::OnPaneSelected(WPARAM pane, LPARAM) {
    m_controller.OnPaneSelected(static_cast<int>(pane));
    return 0;
}

LRESULT CDlgPlaybackTool::OnRecordsChanged(WPARAM, LPARAM) {
    m_controller.OnRecordsChanged();
    return 0;
}

LRESULT CDlgPlaybackTool::OnPlayLibNotify(WPARAM code, LPARAM user) {
    m_controller.OnPlayLibNotify(static_cast<int>(code), static_cast<uintptr_t>(user));
    return 0;
}

LRESULT CDlgPlaybackTool::OnStopAllPlay(WPARAM, LPARAM) {
    m_controller.OnStopAllPlay();
    return 0;
}

LRESULT CDlgPlaybackTool::OnSliderMoving(WPARAM control, LPARAM position) {
    m_controller.OnSliderMoving(static_cast<int>(control), static_cast<int>(position));
    return 0;
}

LRESULT CDlgPlaybackTool::OnTimebarSeek(WPARAM, LPARAM) {
    m_controller.OnTimebarSeek();
    return 0;
}

void CDlgPlaybackTool::OnDestroy() {
    m_controller.StopAllAndClear();
    Default();
}

// ---- ToolbarView --------------------------------------------------------------------------

void CDlgPlaybackTool::EnableControl(int id, bool enable) {
    if (HWND control = ::GetDlgItem(m_hWnd, id))
        ::EnableWindow(control, enable ? TRUE : FALSE);
}

void CDlgPlaybackTool::ShowControl(int id, bool show) {
    if (HWND control = ::GetDlgItem(m_hWnd, id))
        ::ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

void CDlgPlaybackTool::SetLatched(int id, bool latched) {
    if (CBmpButton* button = Button(id))
        button->SetCheckState(latched ? TRUE : FALSE);
}

void CDlgPlaybackTool::SetCaption(int id, const std::string& text) {
    CBmpButton* button = Button(id);
    if (button == nullptr || button->m_hWnd == nullptr)
        return;
    button->SetWindowText(text.c_str());
    button->SetTooltipText(text.c_str());
}

void CDlgPlaybackTool::SetStateText(const std::string& text) {
    if (m_stateText.m_hWnd != nullptr)
        m_stateText.SetWindowText(text.c_str());
}

void CDlgPlaybackTool::SetVolume(int position) {
    if (m_volume.m_hWnd != nullptr)
        m_volume.SetPos(position);
}

void CDlgPlaybackTool::EnableSyncCheck(bool enable) {
    if (m_frame == nullptr || m_frame->m_dlgType.m_hWnd == nullptr)
        return;
    if (HWND check = ::GetDlgItem(m_frame->m_dlgType.m_hWnd, IDC_SYNC_PLAY))
        ::EnableWindow(check, enable ? TRUE : FALSE);
}

void CDlgPlaybackTool::ShowMessage(const std::string& text) {
    MessageBox(text.c_str());
}

void CDlgPlaybackTool::PostToFrame(unsigned message, uintptr_t wParam) {
    const HWND frame = m_frame != nullptr ? m_frame->m_hWnd : ::GetParent(m_hWnd);
    if (frame != nullptr)
        ::PostMessageA(frame, message, static_cast<WPARAM>(wParam), 0);
}

void CDlgPlaybackTool::OpenDownload(int pane) {
    if (m_frame == nullptr || pane < 0 || pane >= play::kPaneCount)
        return;
    CDlgFileDownload& download = m_frame->m_dlgDownload[pane];
    if (download.m_hWnd == nullptr)
        return;
    download.FillRecordList(&m_frame->m_dlgBar.m_timeBar);
    download.ShowWindow(SW_SHOW);
}

void CDlgPlaybackTool::StopDownloads(int pane) {
    if (m_frame != nullptr && play::ValidPane(pane))
        m_frame->m_dlgDownload[pane].StopAllDownloads();
}
