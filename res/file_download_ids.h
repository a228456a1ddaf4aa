// res/file_download_ids.h
//
// Control ids of a pane's download dialog (IDD_FILE_DOWNLOAD is in
// playback_ids.h; the header box picture is the controls' IDB_CHECK_BOXES).
#pragma once

#define IDC_DOWNLOAD_LIST 1233   // the records, a check-box list
#define IDC_DOWNLOAD_START 1234  // "Start Download"
#define IDC_DOWNLOAD_STOP 1235   // "Stop Download"
