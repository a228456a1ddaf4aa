// app/lumerad_dlg.cpp
#include "app/lumerad_dlg.h"

CLumeradDlg::CLumeradDlg(CWnd* parent) : CDialog(IDD_MOVAREL_DIALOG, parent) {}

void CLumeradDlg::SetConfigAndSkin(AppConfig* config, CPubSkin* skin) {
    m_pConfig = config;
    m_pSkin = skin;
}

BOOL CLumeradDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pConfig != nullptr) SetWindowText(m_pConfig->LoadLangString(151));
    return TRUE;
}
