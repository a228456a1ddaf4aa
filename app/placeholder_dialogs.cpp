// app/placeholder_dialogs.cpp
#include "app/placeholder_dialogs.h"

#include "app/messages.h"

LRESULT CPlaceholderPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COORD_RANGE) {
        ++m_coordRanges;
        m_lastCoordRange = wParam;
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

BOOL CPlaceholderBox::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pConfig != nullptr) {
        SetWindowText(m_pConfig->LoadLangString(m_captionId));
        SetDlgItemText(IDOK, m_pConfig->LoadLangString(154));  // "OK"
    }
    return TRUE;
}
