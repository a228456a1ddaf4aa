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
