// app/browse/device_panels.cpp
#include "app/browse/device_panels.h"

#include <cstdio>

#include "app/browse/login_form_model.h"
#include "app/messages.h"

namespace {

constexpr COLORREF kPanelBackground = RGB(0x54, 0x54, 0x54);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kStatusYellow = RGB(255, 255, 0);
constexpr int kTitleFontHeight = -18;
constexpr int kLabelFontHeight = -12;
constexpr int kComboDropHeight = 150;  // a combo's list below its field
constexpr int kCredentialLimit = 8;    // user name and password

bool IsCombo(CWnd* wnd) {
    char name[16] = {};
    ::GetClassNameA(wnd->m_hWnd, name, sizeof name);
    return ::lstrcmpiA(name, "ComboBox") == 0;
}

}  // namespace

// ---- both panels ------------------------------------------------------------------------------

CDevicePanel::CDevicePanel(UINT templateId) : CPlayChildDialog(templateId, Face::Dialog, kPanelBackground) {}

BOOL CDevicePanel::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE) &&
        (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
        if (msg->wParam == VK_RETURN)
            OnEnterKey();
        return TRUE;
    }
    return CPlayChildDialog::PreTranslateMessage(msg);
}

void CDevicePanel::BindTexts(CDataExchange* dx, int title, const int (&labels)[kRows]) {
    DDX_Control(dx, title, m_title);
    for (int i = 0; i < kRows; ++i)
        DDX_Control(dx, labels[i], m_labels[i]);
}

void CDevicePanel::SetUpTexts(int title, const int (&labels)[kRows]) {
    m_title.SetWindowText(Text(title));
    m_title.SetTextStyle(kWhite, kTitleFontHeight);
    for (int i = 0; i < kRows; ++i) {
        m_labels[i].SetWindowText(Text(labels[i]));
        m_labels[i].SetTextStyle(kWhite, kLabelFontHeight);
    }
}

void CDevicePanel::LayOutRows(const browse::PanelLayout& layout, CWnd* const (&values)[kRows]) {
    play_wnd::Place(m_title, layout.title);
    for (int i = 0; i < kRows; ++i) {
        play_wnd::Place(m_labels[i], layout.labels[i]);
        play::PixelRect value = layout.values[i];
        if (IsCombo(values[i]))
            value.height += kComboDropHeight;
        play_wnd::Place(*values[i], value);
    }
}

// ---- the login form -----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgLogin, CDevicePanel)
ON_CBN_SELCHANGE(IDC_LOGIN_IP, &CDlgLogin::OnIpChosen)
ON_EN_CHANGE(IDC_LOGIN_PORT, &CDlgLogin::OnPortChanged)
ON_WM_TIMER()
END_MESSAGE_MAP()

void CDlgLogin::DoDataExchange(CDataExchange* dx) {
    CDevicePanel::DoDataExchange(dx);
    BindTexts(dx, IDC_LOGIN_TITLE,
              {IDC_LOGIN_IP_LABEL, IDC_LOGIN_PORT_LABEL, IDC_LOGIN_USER_LABEL, IDC_LOGIN_PASSWORD_LABEL,
               IDC_LOGIN_NET_TYPE_LABEL});
    DDX_Control(dx, IDC_LOGIN_IP, m_comboIp);
    DDX_Control(dx, IDC_LOGIN_PORT, m_editPort);
    DDX_Control(dx, IDC_LOGIN_USER, m_editUser);
    DDX_Control(dx, IDC_LOGIN_PASSWORD, m_editPassword);
    DDX_Control(dx, IDC_LOGIN_NET_TYPE, m_comboNetType);
    DDX_Control(dx, IDC_LOGIN_STATUS, m_status);
}

BOOL CDlgLogin::OnInitDialog() {
    CDevicePanel::OnInitDialog();
    SetUpTexts(browse::kStrLoginTitle, {browse::kStrIpAddress, browse::kStrMediaPort, browse::kStrUserName,
                                        browse::kStrPassword, browse::kStrNetType});
    m_status.SetWindowText("");
    m_status.SetTextStyle(kStatusYellow, kLabelFontHeight);
    // Its text changes in place: it fills its own background.
    m_status.SetBackground(kPanelBackground);
    m_comboNetType.AddString(Text(browse::kStrLan));
    m_comboNetType.AddString(Text(browse::kStrInternet));
    m_comboNetType.SetCurSel(0);
    m_editUser.SetLimitText(kCredentialLimit);
    m_editPassword.SetLimitText(kCredentialLimit);
    if (m_pConfig != nullptr)
        m_pConfig->LoadIpPorts();
    FillIpCombo();
    ChildrenMade();
    return TRUE;
}

void CDlgLogin::PlaceChildren() {
    const browse::PanelLayout layout = browse::LayoutLoginForm(play_wnd::ClientOf(*this));
    LayOutRows(layout, {&m_comboIp, &m_editPort, &m_editUser, &m_editPassword, &m_comboNetType});
    play_wnd::Place(m_status, layout.status);
}

void CDlgLogin::OnEnterKey() {
    if (CWnd* list = GetParent())
        list->PostMessage(WM_LOGIN_ENTER, 0, 0);
}

browse::LoginData CDlgLogin::GetLoginData() const {
    browse::LoginData data;
    data.ip = m_comboIp.GetWindowTextString().GetString();
    data.user = m_editUser.GetWindowTextString().GetString();
    data.password = m_editPassword.GetWindowTextString().GetString();
    data.port = static_cast<int>(GetDlgItemInt(IDC_LOGIN_PORT, nullptr, TRUE));
    data.netType = m_comboNetType.GetCurSel();
    return data;
}

void CDlgLogin::ShowStatus(LPCSTR text, BOOL timer) {
    m_status.SetWindowText(text);
    if (timer)
        SetTimer(browse::kLoginStatusTimerId, browse::kLoginStatusShowMs);
    else
        KillTimer(browse::kLoginStatusTimerId);
}

void CDlgLogin::OnTimer(UINT_PTR id) {
    if (id != browse::kLoginStatusTimerId) {
        CDevicePanel::OnTimer(id);
        return;
    }
    m_status.SetWindowText("");
    KillTimer(browse::kLoginStatusTimerId);
}

void CDlgLogin::FillIpCombo() {
    const CString typed = m_comboIp.GetWindowTextString();
    m_comboIp.ResetContent();
    if (m_pConfig != nullptr)
        for (const std::string& item : browse::IpComboItems(m_pConfig->m_ipPorts))
            m_comboIp.AddString(item.c_str());
    m_comboIp.SetWindowText(typed);
}

void CDlgLogin::OnIpChosen() {
    if (m_pConfig == nullptr)
        return;
    const browse::IpComboChoice choice =
        browse::ChooseIpComboItem(m_comboIp.GetCurSel(), m_pConfig->m_ipPorts);
    if (choice.clearHistory) {
        m_pConfig->ClearIpPorts();
        FillIpCombo();
        if (m_comboIp.GetWindowTextString() == CString(browse::kClearHistoryItem))
            m_comboIp.SetWindowText("");
    } else if (choice.port) {
        m_editPort.SetWindowText(choice.port->c_str());
    }
}

void CDlgLogin::OnPortChanged() {
    if (m_settingPort)
        return;
    const std::string typed = m_editPort.GetWindowTextString().GetString();
    const browse::PortEditResult result = browse::FilterPortText(typed, m_lastPort);
    if (result.changed) {
        m_settingPort = true;
        m_editPort.SetWindowText(result.text.c_str());
        const int end = static_cast<int>(result.text.size());
        m_editPort.SetSel(end, end);
        m_settingPort = false;
    }
    m_lastPort = result.text;
}

// ---- the device information panel --------------------------------------------------------------

void CDlgDeviceInfo::DoDataExchange(CDataExchange* dx) {
    CDevicePanel::DoDataExchange(dx);
    BindTexts(dx, IDC_INFO_TITLE,
              {IDC_INFO_NAME_LABEL, IDC_INFO_IP_LABEL, IDC_INFO_PORT_LABEL, IDC_INFO_USER_LABEL,
               IDC_INFO_CHANNELS_LABEL});
}

BOOL CDlgDeviceInfo::OnInitDialog() {
    CDevicePanel::OnInitDialog();
    SetUpTexts(browse::kStrDeviceInfo, {browse::kStrDeviceName, browse::kStrIpAddress, browse::kStrMediaPort,
                                        browse::kStrUserName, browse::kStrChannelNum});
    ChildrenMade();
    return TRUE;
}

void CDlgDeviceInfo::PlaceChildren() {
    LayOutRows(browse::LayoutDeviceInfo(play_wnd::ClientOf(*this)),
               {GetDlgItem(IDC_INFO_NAME), GetDlgItem(IDC_INFO_IP), GetDlgItem(IDC_LOGIN_PORT),
                GetDlgItem(IDC_LOGIN_USER), GetDlgItem(IDC_INFO_CHANNELS)});
}

void CDlgDeviceInfo::SetInfo(LPCSTR ip, LPCSTR name, int port, int channels, LPCSTR user) {
    SetDlgItemText(IDC_INFO_NAME, name);
    SetDlgItemText(IDC_INFO_IP, ip);
    char number[16];
    std::snprintf(number, sizeof number, "%d", port);
    SetDlgItemText(IDC_LOGIN_PORT, number);
    std::snprintf(number, sizeof number, "%d", channels);
    SetDlgItemText(IDC_INFO_CHANNELS, number);
    SetDlgItemText(IDC_LOGIN_USER, user);
}
