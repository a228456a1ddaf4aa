// app/play/page_children_placeholder.cpp
#include "app/play/page_children_placeholder.h"

#include "app/messages.h"

LRESULT CPlaceholderChild::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMEBAR_SEEK:
            ++m_seekRequests;
            return 0;
        case WM_PANE_SELECTED:
            ++m_paneSelections;
            m_lastSelected = wParam;
            return 0;
        case WM_COORD_RANGE:
            ++m_coordRanges;
            m_lastCoordRange = wParam;
            return 0;
        case WM_CTLCOLORDLG:  // a dark, empty face
            return reinterpret_cast<LRESULT>(::GetStockObject(DKGRAY_BRUSH));
        default:
            return CPlayChildDialog::WindowProc(message, wParam, lParam);
    }
}
