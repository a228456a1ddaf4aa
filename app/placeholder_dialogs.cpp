// app/placeholder_dialogs.cpp
#include "app/placeholder_dialogs.h"

BOOL CPlaceholderBox::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pConfig != nullptr) {
        SetWindowText(m_pConfig->LoadLangString(m_captionId));
        SetDlgItemText(IDOK, m_pConfig->LoadLangString(154));  // "OK"
    }
    return TRUE;
}
