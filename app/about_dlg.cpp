// app/about_dlg.cpp
#include "app/about_dlg.h"

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pConfig != nullptr) {
        SetWindowText(m_pConfig->LoadLangString(153));                   // "About Corvane Movarel"
        SetDlgItemText(IDC_ABOUT_NAME, m_pConfig->LoadLangString(151));  // "Corvane Movarel"
        SetDlgItemText(IDC_ABOUT_VERSION, m_pConfig->LoadLangString(325));
        SetDlgItemText(IDOK, m_pConfig->LoadLangString(154));  // "OK"
    }
    return TRUE;
}
