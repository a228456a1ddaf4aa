// app/fileplay/file_play_ctrl_wnd.cpp
#include "app/fileplay/file_play_ctrl_wnd.h"

#include "app/fileplay/file_play_layout.h"
#include "app/fileplay/file_play_system_win32.h"
#include "app/fileplay/file_play_wnd.h"
#include "app/messages.h"
#include "res/play_pane_ids.h"

namespace {

constexpr UINT_PTR kPlayTimer = 103;
constexpr COLORREF kKeyColour = RGB(255, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kTextHeight = -12;
constexpr int kVolumeMax = 100;
constexpr int kToolsItemWidth = 100;
constexpr int kToolsItemHeight = 20;

// Language strings.
constexpr int kStr264ToAvi = 112;
constexpr int kStrSelectVideoFile = 169;
constexpr int kStrVideoFilter = 274;

struct ButtonRecipe {
    int id;
    UINT bitmap;
    int tooltip;  // language string
    void (play::FilePlayController::*action)();
};

constexpr ButtonRecipe kButtons[CDlgFilePlayCtrl::kButtonCount] = {
    {IDC_FP_PLAY, IDB_FP_PLAY, 127, &play::FilePlayController::OnPlay},
    {IDC_FP_PAUSE, IDB_FP_PAUSE, 128, &play::FilePlayController::OnPause},
    {IDC_FP_STOP, IDB_FP_STOP, 129, &play::FilePlayController::OnStop},
    {IDC_FP_PREVIOUS, IDB_FP_PREVIOUS, 268, &play::FilePlayController::OnPrevious},
    {IDC_FP_NEXT, IDB_FP_NEXT, 269, &play::FilePlayController::OnNext},
    {IDC_FP_SPEED_DOWN, IDB_FP_SPEED_DOWN, 130, &play::FilePlayController::OnSpeedDown},
    {IDC_FP_SPEED_UP, IDB_FP_SPEED_UP, 131, &play::FilePlayController::OnSpeedUp},
    {IDC_FP_MUTE, IDB_FP_MUTE, 137, &play::FilePlayController::OnMute},
    {IDC_FP_OPEN, IDB_FP_OPEN, 270, nullptr},  // the open dialog
    {IDC_FP_CAPTURE, IDB_FP_CAPTURE, 139, &play::FilePlayController::OnSnapshot},
    {IDC_FP_LIST_SHOW, IDB_FP_LIST_SHOW, 272, &play::FilePlayController::OnShowHideList},
    {IDC_FP_TOOLS, IDB_FP_TOOLS, 259, nullptr},  // the tool menu
    {IDC_FP_WATERMARK, IDB_FP_WATERMARK, 303, &play::FilePlayController::OnWatermark},
};

CDlgFilePlayCtrl::ExportDialogOpener& InstalledOpener() {
    static CDlgFilePlayCtrl::ExportDialogOpener opener = nullptr;
    return opener;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgFilePlayCtrl, CPlayChildDialog)
ON_CONTROL_RANGE(BN_CLICKED, IDC_FP_SPEED_DOWN, IDC_FP_SPEED_UP, &CDlgFilePlayCtrl::OnButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_FP_PLAY, IDC_FP_PAUSE, &CDlgFilePlayCtrl::OnButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_FP_NEXT, IDC_FP_MUTE, &CDlgFilePlayCtrl::OnButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_FP_STOP, IDC_FP_STOP, &CDlgFilePlayCtrl::OnButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_FP_WATERMARK, IDC_FP_WATERMARK, &CDlgFilePlayCtrl::OnButton)
ON_COMMAND_RANGE(ID_FP_CONVERT, ID_FP_EXPORT, &CDlgFilePlayCtrl::OnExportCommand)
ON_WM_TIMER()
ON_MESSAGE(WM_FILEPLAY_END, &CDlgFilePlayCtrl::OnFilePlayEnd)
ON_MESSAGE(WM_BMPSLIDER_CHANGED, &CDlgFilePlayCtrl::OnSliderChanged)
ON_WM_MEASUREITEM()
ON_WM_DRAWITEM()
ON_WM_DESTROY()
END_MESSAGE_MAP()

void CDlgFilePlayCtrl::SetExportDialogOpener(ExportDialogOpener opener) {
    InstalledOpener() = opener;
}

CDlgFilePlayCtrl::CDlgFilePlayCtrl()
    : CPlayChildDialog(IDD, Face::Painted, kBlack),
      m_player(this),
      m_controller(play::FilePlayLinks{m_player, *this, m_settings, m_files, m_clock}, WM_FILEPLAY_END),
      m_toolsMenu(kToolsItemWidth, kToolsItemHeight) {}

CDlgFilePlayCtrl::~CDlgFilePlayCtrl() {
    // No render thread may draw with a bar that is gone.
    if (m_controller.playHandle() != 0)
        m_controller.StopAndForget();
}

void CDlgFilePlayCtrl::AttachPage(CDlgFilePlay* page) {
    m_page = page;
    m_controller.AttachPlayList(page != nullptr ? &page->m_playList.Model() : nullptr);
}

CBmpButton* CDlgFilePlayCtrl::Button(int id) {
    for (int i = 0; i < kButtonCount; ++i) {
        if (kButtons[i].id == id)
            return &m_buttons[i];
    }
    return nullptr;
}

std::string CDlgFilePlayCtrl::Text(int id) const {
    return m_settings.LoadLangString(id);
}

// ---- window -------------------------------------------------------------------------------

void CDlgFilePlayCtrl::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    for (int i = 0; i < kButtonCount; ++i)
        DDX_Control(dx, kButtons[i].id, m_buttons[i]);
    DDX_Control(dx, IDC_FP_TIME, m_timeText);
    DDX_Control(dx, IDC_FP_STATE, m_stateText);
}

BOOL CDlgFilePlayCtrl::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_settings.SetConfig(m_pConfig);
    for (int i = 0; i < kButtonCount; ++i) {
        m_buttons[i].SetImageFile(kButtons[i].bitmap, kKeyColour, 0);
        m_buttons[i].SetTooltipText(Text(kButtons[i].tooltip).c_str());
    }
    // Both texts change in place over a face painted around them: each fills
    // its own black box.
    for (CColorStatic* text : {&m_timeText, &m_stateText}) {
        text->SetTextStyle(kWhite, kTextHeight);
        text->SetBackground(kBlack);
    }
    if (m_seek.SubclassDlgItem(IDC_FP_SEEK, this)) {
        m_seek.SetChannelImages(IDB_FP_SEEK_CHANNEL, IDB_FP_SEEK_CHANNEL_ACTIVE, IDB_FP_SEEK_CHANNEL);
        m_seek.SetThumbImages(IDB_FP_SEEK_THUMB, IDB_FP_SEEK_THUMB_ACTIVE, IDB_FP_SEEK_THUMB_DISABLED, TRUE,
                              CBmpSlider::kPixelColour);
        m_seek.SetPageSize(1);
    }
    if (m_volume.SubclassDlgItem(IDC_FP_VOLUME, this)) {
        m_volume.SetChannelImages(IDB_FP_VOLUME_CHANNEL, IDB_FP_VOLUME_CHANNEL_ACTIVE, IDB_FP_VOLUME_CHANNEL,
                                  TRUE, CBmpSlider::kPixelColour);
        m_volume.SetThumbImages(IDB_FP_VOLUME_THUMB, IDB_FP_VOLUME_THUMB_ACTIVE, IDB_FP_VOLUME_THUMB_DISABLED,
                                TRUE, CBmpSlider::kPixelColour);
        m_volume.SetPageSize(1);
        m_volume.SetRange(0, kVolumeMax);
    }
    m_logo.Load(IDB_PANE_LOGO);

    m_toolsMenu.CreatePopupMenu();
    m_convertItem.text = Text(kStr264ToAvi).c_str();
    m_toolsMenu.AppendItem(0, ID_FP_CONVERT, &m_convertItem);

    m_controller.Initialise(m_pConfig != nullptr && m_pConfig->m_watermark != 0);
    ChildrenMade();
    return TRUE;
}

void CDlgFilePlayCtrl::PlaceChildren() {
    play_wnd::PlaceControls(*this, play::LayOutFileBar(play_wnd::ClientOf(*this)));
    Invalidate(FALSE);
}

void CDlgFilePlayCtrl::PaintFace(CDC& dc, const CRect& client) {
    dc.FillSolidRect(&client, kBlack);
}

void CDlgFilePlayCtrl::OnButton(UINT id) {
    if (id == IDC_FP_OPEN) {
        OnOpenFile();
        return;
    }
    if (id == IDC_FP_TOOLS) {
        ShowToolsMenu();
        return;
    }
    for (const ButtonRecipe& button : kButtons) {
        if (button.id == static_cast<int>(id) && button.action != nullptr) {
            (m_controller.*button.action)();
            return;
        }
    }
}

void CDlgFilePlayCtrl::OnOpenFile() {
    std::vector<std::string> chosen;
    if (!play::ChooseVideoFiles(m_hWnd, Text(kStrVideoFilter), Text(kStrSelectVideoFile), false, &chosen))
        return;
    const std::string& path = chosen.front();
    if (!play::IsExistingFile(path))
        return;
    if (m_page != nullptr)
        m_page->m_playList.AddPath(path);
    m_controller.PlayPath(path);
}

void CDlgFilePlayCtrl::ShowToolsMenu() {
    CWnd* tools = GetDlgItem(IDC_FP_TOOLS);
    if (tools == nullptr || m_toolsMenu.m_hMenu == nullptr)
        return;
    CRect r;
    tools->GetWindowRect(&r);
    m_toolsMenu.TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN, r.left, r.bottom, this);
}

void CDlgFilePlayCtrl::OnExportCommand(UINT command) {
    if (ExportDialogOpener opener = InstalledOpener())
        opener(command, this, m_pConfig, m_pSkin);
}

void CDlgFilePlayCtrl::OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure) {
    if (measure != nullptr && measure->CtlType == ODT_MENU) {
        m_toolsMenu.MeasureItem(measure);
        return;
    }
    CPlayChildDialog::OnMeasureItem(id, measure);
}

void CDlgFilePlayCtrl::OnDrawItem(int id, LPDRAWITEMSTRUCT draw) {
    if (draw != nullptr && draw->CtlType == ODT_MENU) {
        m_toolsMenu.DrawItem(draw);
        return;
    }
    CPlayChildDialog::OnDrawItem(id, draw);
}

void CDlgFilePlayCtrl::OnTimer(UINT_PTR id) {
    if (id != kPlayTimer) {
        Default();
        return;
    }
    m_controller.OnTimer();
}

LRESULT CDlgFilePlayCtrl::OnFilePlayEnd(WPARAM code, LPARAM user) {
    m_controller.OnPlayLibNotice(static_cast<int>(code), static_cast<uintptr_t>(user));
    return 0;
}

LRESULT CDlgFilePlayCtrl::OnSliderChanged(WPARAM control, LPARAM position) {
    if (control == IDC_FP_SEEK)
        m_controller.OnSeek(static_cast<int>(position));
    else if (control == IDC_FP_VOLUME)
        m_controller.OnVolume(static_cast<int>(position));
    return 0;
}

void CDlgFilePlayCtrl::OnDestroy() {
    Default();
    m_controller.OnDestroy();
    KillTimer(kPlayTimer);
    m_toolsMenu.DestroyMenu();
}

// ---- FilePlayView -------------------------------------------------------------------------

uintptr_t CDlgFilePlayCtrl::VideoWindow() const {
    return m_page != nullptr ? reinterpret_cast<uintptr_t>(m_page->VideoWindow()) : 0;
}

void CDlgFilePlayCtrl::EnableControl(int id, bool enable) {
    if (HWND control = ::GetDlgItem(m_hWnd, id))
        ::EnableWindow(control, enable ? TRUE : FALSE);
}

void CDlgFilePlayCtrl::ShowControl(int id, bool show) {
    if (HWND control = ::GetDlgItem(m_hWnd, id))
        ::ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

void CDlgFilePlayCtrl::SetChecked(int id, bool checked) {
    if (CBmpButton* button = Button(id))
        button->SetCheckState(checked ? TRUE : FALSE);
}

void CDlgFilePlayCtrl::SetTooltip(int id, const std::string& text) {
    CBmpButton* button = Button(id);
    if (button != nullptr && button->m_hWnd != nullptr)
        button->SetTooltipText(text.c_str());
}

void CDlgFilePlayCtrl::SetTimeText(const std::string& text) {
    if (m_timeText.m_hWnd != nullptr)
        m_timeText.SetWindowText(text.c_str());
}

void CDlgFilePlayCtrl::SetStateText(const std::string& text) {
    if (m_stateText.m_hWnd != nullptr)
        m_stateText.SetWindowText(text.c_str());
}

void CDlgFilePlayCtrl::SetSeekRange(int max) {
    if (m_seek.m_hWnd != nullptr)
        m_seek.SetRange(0, max, TRUE);
}

void CDlgFilePlayCtrl::SetSeekPos(int position) {
    if (m_seek.m_hWnd != nullptr)
        m_seek.SetPos(position);
}

void CDlgFilePlayCtrl::SetVolumePos(int position) {
    if (m_volume.m_hWnd != nullptr)
        m_volume.SetPos(position);
}

void CDlgFilePlayCtrl::SetPlayTimer(bool on) {
    play_wnd::SetPlayTimer(*this, on);
}

void CDlgFilePlayCtrl::ShowMessage(const std::string& text, const std::string& caption) {
    MessageBox(text.c_str(), caption.empty() ? nullptr : caption.c_str());
}

void CDlgFilePlayCtrl::ShowOpenPopup(bool show) {
    if (m_page != nullptr)
        m_page->ShowOpenPopup(show ? TRUE : FALSE);
}

void CDlgFilePlayCtrl::EraseVideo() {
    const HWND video = reinterpret_cast<HWND>(VideoWindow());
    if (video != nullptr)
        ::InvalidateRect(video, nullptr, TRUE);
}

void CDlgFilePlayCtrl::RepaintBar() {
    if (m_hWnd != nullptr)
        Invalidate(FALSE);
}

void CDlgFilePlayCtrl::PostPlayListShown(bool shown) {
    if (m_page != nullptr && m_page->m_hWnd != nullptr)
        m_page->PostMessage(WM_PLAYLIST_SHOW, shown ? 1 : 0, 0);
}

// ---- the logo -----------------------------------------------------------------------------

void CDlgFilePlayCtrl::PaintOverlay(VekPlayDC dc, int, int) {
    // The logo at its own size from the top left.
    if (m_controller.ShouldDrawLogo())
        play_wnd::BlendLogo(dc, m_logo, m_logo.width, m_logo.height);
}
