// app/play/page_children_placeholder.cpp
#include "app/play/page_children_placeholder.h"

#include "app/messages.h"

BEGIN_MESSAGE_MAP(CPlaceholderChild, CPlayChildDialog)
ON_MESSAGE(WM_TIMEBAR_SEEK, &CPlaceholderChild::OnTimebarSeek)
ON_MESSAGE(WM_PANE_SELECTED, &CPlaceholderChild::OnPaneSelected)
ON_MESSAGE(WM_COORD_RANGE, &CPlaceholderChild::OnCoordRange)
END_MESSAGE_MAP()

LRESULT CPlaceholderChild::OnTimebarSeek(WPARAM, LPARAM) {
    ++m_seekRequests;
    return 0;
}

LRESULT CPlaceholderChild::OnPaneSelected(WPARAM pane, LPARAM) {
    ++m_paneSelections;
    m_lastSelected = pane;
    return 0;
}

LRESULT CPlaceholderChild::OnCoordRange(WPARAM coords, LPARAM) {
    ++m_coordRanges;
    m_lastCoordRange = coords;
    return 0;
}
