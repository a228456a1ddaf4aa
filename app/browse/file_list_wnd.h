// app/browse/file_list_wnd.h
//
// CDlgFileList: the recording list page of the disk playback page.
// (A stand-in until the real dialog lands.)
#pragma once

#include "app/play/page_children_placeholder.h"

class CDlgFileList : public CPlaceholderChild {
  public:
    enum { IDD = IDD_FILE_LIST };
    CDlgFileList() : CPlaceholderChild(IDD) {}
    void Reset() { ++m_resets; }
    void CloseDisk() { ++m_diskCloses; }
    // The page is being destroyed.
    void PageDestroyed() {}
    int m_resets = 0;
    int m_diskCloses = 0;
};
