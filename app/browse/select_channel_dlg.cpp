// app/browse/select_channel_dlg.cpp
#include "app/browse/select_channel_dlg.h"

#include <string>

namespace {

// Language strings.
constexpr int kStrChannel = 294;        // "Channel"
constexpr int kStrSelectChannel = 321;  // "Select Channel"
constexpr int kStrSaved = 322;          // "Saved"
constexpr int kStrClear = 149;          // "Clear"

std::wstring Widen(const char* text, UINT codePage) {
    const int length = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// "More than four": the text is UTF-8 in the source and shown as wide text,
// under the application's name.
void ShowLimitBox(HWND owner) {
    const CWinApp* app = AfxGetApp();
    const std::wstring caption = Widen(app != nullptr && app->m_pszAppName ? app->m_pszAppName : "", CP_ACP);
    ::MessageBoxW(owner, Widen(browse::kChannelLimitText, CP_UTF8).c_str(), caption.c_str(), MB_OK);
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgSelectChannel, CDialog)
ON_BN_CLICKED(IDC_CHANNEL_SAVE, &CDlgSelectChannel::OnSave)
ON_BN_CLICKED(IDC_CHANNEL_CLEAR, &CDlgSelectChannel::OnClear)
END_MESSAGE_MAP()

BOOL CDlgSelectChannel::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pConfig != nullptr) {
        SetWindowText(m_pConfig->LoadLangString(kStrSelectChannel));
        SetDlgItemText(IDC_CHANNEL_LABEL, m_pConfig->LoadLangString(kStrChannel));
        SetDlgItemText(IDC_CHANNEL_SAVE, m_pConfig->LoadLangString(kStrSaved));
        SetDlgItemText(IDC_CHANNEL_CLEAR, m_pConfig->LoadLangString(kStrClear));
    }
    for (int i = 0; i < browse::kChooserChannels; i++) {
        SetDlgItemText(IDC_CHANNEL_CH01 + i, browse::ChannelLabel(i).c_str());
        CheckDlgButton(IDC_CHANNEL_CH01 + i, m_model.Checked(i) ? BST_CHECKED : BST_UNCHECKED);
    }
    return TRUE;
}

void CDlgSelectChannel::OnOK() {
    OnSave();
}

void CDlgSelectChannel::OnSave() {
    for (int i = 0; i < browse::kChooserChannels; i++)
        m_model.SetChecked(i, IsDlgButtonChecked(IDC_CHANNEL_CH01 + i) == BST_CHECKED);
    if (!m_model.OnOK()) {
        ShowLimitBox(m_hWnd);
        return;
    }
    SendMessage(WM_CLOSE);
}

void CDlgSelectChannel::OnClear() {
    m_model.Clear();
    for (int i = 0; i < browse::kChooserChannels; i++)
        CheckDlgButton(IDC_CHANNEL_CH01 + i, BST_UNCHECKED);
}
