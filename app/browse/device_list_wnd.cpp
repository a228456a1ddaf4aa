// app/browse/device_list_wnd.cpp
#include "app/browse/device_list_wnd.h"

#include <span>

#include "app/messages.h"

namespace {

constexpr COLORREF kListBackground = RGB(0x54, 0x54, 0x54);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kKeyColour = RGB(255, 0, 255);
constexpr COLORREF kTreeBackground = 0xBDB9B8;
constexpr COLORREF kTreeText = RGB(0, 0, 0);  // reads on the light background, skinned or not
constexpr COLORREF kTreeImageMask = 0xCFCDCD;
constexpr int kTreeImageSize = 18;
constexpr int kButtonFontHeight = 16;
constexpr int kButtonCaptionTop = 4;

// The calendar's colours on this page.
constexpr controls::CalendarColours kCalendarColours{
    0x545454,  // background
    0xC28F50,  // light edge
    0xC28F50,  // dark edge
    0xFFFFFF,  // day text
    0x00C1ED,  // selected-day background
    0x000000,  // selected-day text
    0x545454,  // today background
    0x0000FF,  // today text
    0x0D5A0D,  // marked days
};

// Language strings of the calendar.
constexpr int kStrSunday = 116;  // "SUN" .. 122 "SAT"
constexpr int kStrToday = 159;
constexpr int kStrForwardYear = 160;  // .. 163 "Next Year"

}  // namespace

BEGIN_MESSAGE_MAP(CDlgDeviceList, CPlayChildDialog)
ON_BN_CLICKED(IDC_DEVICE_LOGIN, &CDlgDeviceList::OnLogin)
ON_BN_CLICKED(IDC_DEVICE_LOGOUT, &CDlgDeviceList::OnLogout)
ON_BN_CLICKED(IDC_MONTH_SEARCH, &CDlgDeviceList::OnMonthSearch)
ON_BN_CLICKED(IDC_DAY_SEARCH, &CDlgDeviceList::OnDaySearch)
ON_MESSAGE(WM_LOGIN_ENTER, &CDlgDeviceList::OnLoginEnter)
ON_MESSAGE(WM_NET_LOGIN_STATUS, &CDlgDeviceList::OnLoginStatus)
ON_MESSAGE(WM_CALENDAR_DATE_CHANGED, &CDlgDeviceList::OnCalendarDateChanged)
ON_MESSAGE(WM_NET_RECORDS_ARRIVED, &CDlgDeviceList::OnRecordsArrived)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgDeviceList::CDlgDeviceList() : CPlayChildDialog(IDD, Face::Painted, kListBackground) {}

CDlgDeviceList::~CDlgDeviceList() {
    // No connection may outlive the model its statuses and records are for.
    if (m_model)
        m_model->OnLogout();
}

void CDlgDeviceList::DoDataExchange(CDataExchange* dx) {
    CPlayChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_DEVICE_TREE, m_tree);
    DDX_Control(dx, IDC_MONTH_SEARCH, m_btnMonthSearch);
    DDX_Control(dx, IDC_DAY_SEARCH, m_btnDaySearch);
    DDX_Control(dx, IDC_DEVICE_LOGIN, m_btnLogin);
    DDX_Control(dx, IDC_DEVICE_LOGOUT, m_btnLogout);
}

BOOL CDlgDeviceList::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_window = m_hWnd;
    browse::DeviceListPage& page = *this;
    m_model = std::make_unique<browse::DeviceListModel>(
        m_net, page, *m_playback, std::span<int, browse::kNetChannels>(g_netPaneHasRecords));

    play_wnd::CreateChild(m_dlgLogin, CDlgLogin::IDD, this, m_pConfig, m_pSkin, TRUE);
    play_wnd::CreateChild(m_dlgInfo, CDlgDeviceInfo::IDD, this, m_pConfig, m_pSkin, FALSE);

    const struct {
        CBmpButton& button;
        int text;
    } buttons[] = {{m_btnLogin, browse::kStrLogin},
                   {m_btnLogout, browse::kStrLogout},
                   {m_btnMonthSearch, browse::kStrMonthSearch},
                   {m_btnDaySearch, browse::kStrDaySearch}};
    for (const auto& b : buttons) {
        b.button.SetImageFile(IDB_DEVICE_BUTTON, kKeyColour, 0);
        b.button.SetCaption(0, kButtonCaptionTop, 0, Text(b.text).c_str(), kWhite, kButtonFontHeight);
    }
    m_btnLogout.EnableWindow(FALSE);
    SetUpTree();
    SetUpCalendar();
    ChildrenMade();
    return TRUE;
}

void CDlgDeviceList::SetUpTree() {
    m_treeImages.Create(kTreeImageSize, kTreeImageSize, ILC_COLOR32 | ILC_MASK, 2, 2);
    CBitmap strip;
    if (strip.LoadBitmap(IDB_DEVICE_TREE))
        m_treeImages.Add(&strip, kTreeImageMask);
    m_tree.SetImageList(&m_treeImages, TVSIL_NORMAL);
    m_tree.SendMessage(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(kTreeBackground));
    m_tree.SendMessage(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(kTreeText));
    m_tree.ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES);
}

void CDlgDeviceList::SetUpCalendar() {
    controls::CalendarTexts texts;
    for (int i = 0; i < 7; ++i)
        texts.weekdays[i] = Text(kStrSunday + i).c_str();
    texts.today = Text(kStrToday).c_str();
    for (int i = 0; i < 4; ++i)
        texts.tips[i] = Text(kStrForwardYear + i).c_str();
    m_calendar.SetTexts(texts);
    m_calendar.Create(WS_CHILD | WS_VISIBLE, 0, 0, this, IDC_DEVICE_CALENDAR);
    m_calendar.SetSelectionMode(0);
    m_calendar.SetColors(kCalendarColours);
    m_calendar.UpdateToolBarColors();
}

void CDlgDeviceList::PlaceChildren() {
    const browse::DeviceListLayout layout = browse::LayoutDeviceList(play_wnd::ClientOf(*this));
    play_wnd::Place(m_dlgLogin, layout.panel);
    play_wnd::Place(m_dlgInfo, layout.panel);
    play_wnd::Place(m_btnLogin, layout.login);
    play_wnd::Place(m_btnLogout, layout.logout);
    play_wnd::Place(m_tree, layout.tree);
    play_wnd::Place(m_btnMonthSearch, layout.monthSearch);
    play_wnd::Place(m_btnDaySearch, layout.daySearch);
    play_wnd::Place(m_calendar, layout.calendar);
    Invalidate(FALSE);
}

// ---- what the page calls ------------------------------------------------------------------------

void CDlgDeviceList::Reset() {
    if (m_model)
        m_model->Reset();
}

void CDlgDeviceList::PageDestroyed() {
    if (m_model)
        m_model->OnLogout();
}

// ---- messages -----------------------------------------------------------------------------------

void CDlgDeviceList::OnLogin() {
    if (m_model)
        m_model->OnLogin();
}

void CDlgDeviceList::OnLogout() {
    if (m_model)
        m_model->OnLogout();
}

void CDlgDeviceList::OnMonthSearch() {
    if (m_model)
        m_model->OnMonthSearch();
}

void CDlgDeviceList::OnDaySearch() {
    if (m_model)
        m_model->OnDaySearch();
}

LRESULT CDlgDeviceList::OnLoginEnter(WPARAM, LPARAM) {
    OnLogin();
    return 0;
}

LRESULT CDlgDeviceList::OnLoginStatus(WPARAM wParam, LPARAM) {
    if (m_model)
        m_model->OnLoginStatus(static_cast<int>(wParam));
    return 0;
}

LRESULT CDlgDeviceList::OnCalendarDateChanged(WPARAM wParam, LPARAM) {
    if (m_model && wParam == IDC_DEVICE_CALENDAR)
        m_model->OnCalendarDateChanged();
    return 0;
}

LRESULT CDlgDeviceList::OnRecordsArrived(WPARAM, LPARAM) {
    if (m_model)
        m_model->OnRecordsArrived();
    return 0;
}

void CDlgDeviceList::OnDestroy() {
    // Normally the page ended the login already (PageDestroyed).
    if (m_model)
        m_model->OnLogout();
    CPlayChildDialog::OnDestroy();
}

// ---- browse::DeviceListPage ---------------------------------------------------------------------

void CDlgDeviceList::PostRecordsArrived() {
    ::PostMessageA(m_window, WM_NET_RECORDS_ARRIVED, 0, 0);
}

browse::LoginData CDlgDeviceList::GetLoginData() {
    return m_dlgLogin.IsWindow() ? m_dlgLogin.GetLoginData() : browse::LoginData{};
}

void CDlgDeviceList::ShowStatus(const std::string& text, bool timer) {
    if (m_dlgLogin.IsWindow())
        m_dlgLogin.ShowStatus(text.c_str(), timer);
}

void CDlgDeviceList::FillIpCombo() {
    if (m_dlgLogin.IsWindow())
        m_dlgLogin.FillIpCombo();
}

void CDlgDeviceList::ShowInfoPanel(bool show) {
    if (m_dlgInfo.IsWindow())
        m_dlgInfo.ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (m_dlgLogin.IsWindow())
        m_dlgLogin.ShowWindow(show ? SW_HIDE : SW_SHOW);
}

void CDlgDeviceList::SetInfo(const browse::DeviceInfo& info) {
    if (m_dlgInfo.IsWindow())
        m_dlgInfo.SetInfo(info.ip.c_str(), info.name.c_str(), info.port, info.channels, info.user.c_str());
}

void CDlgDeviceList::EnableLogin(bool enable) {
    if (m_btnLogin.IsWindow())
        m_btnLogin.EnableWindow(enable);
}

void CDlgDeviceList::EnableLogout(bool enable) {
    if (m_btnLogout.IsWindow())
        m_btnLogout.EnableWindow(enable);
}

void CDlgDeviceList::EnableMonthSearch(bool enable) {
    if (m_btnMonthSearch.IsWindow())
        m_btnMonthSearch.EnableWindow(enable);
}

void CDlgDeviceList::EnableDaySearch(bool enable) {
    if (m_btnDaySearch.IsWindow())
        m_btnDaySearch.EnableWindow(enable);
}

void CDlgDeviceList::InsertDevice(const std::string& root,
                                  const std::array<std::string, browse::kNetChannels>& channels) {
    if (!m_tree.IsWindow())
        return;
    const HTREEITEM device =
        m_tree.InsertItem(root.c_str(), browse::kRootImage, browse::kRootImage, TVI_ROOT, TVI_LAST);
    for (int i = 0; i < browse::kNetChannels; ++i)
        m_channelNodes[i] = m_tree.InsertItem(channels[i].c_str(), browse::kChannelImage,
                                              browse::kChannelImage, device, TVI_LAST);
    m_tree.Expand(device, TVE_EXPAND);
}

void CDlgDeviceList::DeleteAllNodes() {
    m_channelNodes.fill(nullptr);
    if (m_tree.IsWindow())
        m_tree.DeleteAllItems();
}

bool CDlgDeviceList::ChannelChecked(int channel) {
    if (channel < 0 || channel >= browse::kNetChannels || m_channelNodes[channel] == nullptr)
        return false;
    const UINT state = static_cast<UINT>(m_tree.SendMessage(
        TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(m_channelNodes[channel]), TVIS_STATEIMAGEMASK));
    return (state >> 12) == 2;  // state image 2: checked
}

std::optional<browse::CalendarDate> CDlgDeviceList::GetDate() {
    const controls::CalendarTime& date = m_calendar.GetDate();
    if (!date.Valid())
        return std::nullopt;
    return browse::CalendarDate{date.year, date.month, date.day};
}

void CDlgDeviceList::ClearMarkedDays() {
    if (m_calendar.IsWindow())
        m_calendar.ClearMarkedDays(1);
}

void CDlgDeviceList::SetDayMarked(int index) {
    if (m_calendar.IsWindow())
        m_calendar.SetDayMarked(1, index);
}

uint32_t CDlgDeviceList::LoginHandle() {
    return m_pConfig != nullptr ? static_cast<uint32_t>(m_pConfig->m_loginHandle) : m_ownLoginHandle;
}

void CDlgDeviceList::SetLoginHandle(uint32_t handle) {
    if (m_pConfig != nullptr)
        m_pConfig->m_loginHandle = static_cast<int>(handle);
    else
        m_ownLoginHandle = handle;
}

bool CDlgDeviceList::LoggedIn() {
    return m_pConfig != nullptr ? m_pConfig->m_netFlag != 0 : m_ownLoggedIn;
}

void CDlgDeviceList::SetLoggedIn(bool loggedIn) {
    if (m_pConfig != nullptr)
        m_pConfig->m_netFlag = loggedIn ? 1 : 0;
    else
        m_ownLoggedIn = loggedIn;
}

void CDlgDeviceList::SetModeText(const std::string& text) {
    if (m_pConfig != nullptr)
        m_pConfig->m_modeText = text.c_str();
}

void CDlgDeviceList::RememberLogin(const std::string& ip, int port) {
    if (m_pConfig == nullptr)
        return;
    m_pConfig->AddIpPort(ip, port);
    m_pConfig->LoadIpPorts();
}

std::string CDlgDeviceList::Text(int id) {
    return m_pConfig != nullptr ? std::string(m_pConfig->LoadLangString(id).GetString()) : std::string();
}
