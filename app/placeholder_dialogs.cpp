// app/placeholder_dialogs.cpp
#include "app/placeholder_dialogs.h"

#include "app/messages.h"

BEGIN_MESSAGE_MAP(CPlaceholderPage, CDialog)
ON_MESSAGE(WM_COORD_RANGE, &CPlaceholderPage::OnCoordRange)
END_MESSAGE_MAP()

LRESULT CPlaceholderPage::OnCoordRange(WPARAM coords, LPARAM) {
    ++m_coordRanges;
    m_lastCoordRange = coords;
    return 0;
}

BOOL CPlaceholderBox::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pConfig != nullptr) {
        SetWindowText(m_pConfig->LoadLangString(m_captionId));
        SetDlgItemText(IDOK, m_pConfig->LoadLangString(154));  // "OK"
    }
    return TRUE;
}
