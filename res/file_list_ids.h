// res/file_list_ids.h
//
// Ids of the recording list page's, the calendar's and the channel chooser's
// resources: pictures, dialogs and controls (IDD_FILE_LIST is in
// playback_ids.h).
#pragma once

// Dialog templates.
#define IDD_CALENDAR 151        // the month calendar under the recording list
#define IDD_SELECT_CHANNEL 283  // the channel chooser

// Pictures.
#define IDB_FILE_LIST_BUTTON \
    149                       // the page's four buttons: normal, hovered, pressed, disabled (135 x 25 each)
#define IDB_CALENDAR_DAY 152  // a day button: normal, hovered, selected, disabled (30 x 20 each)
#define IDB_RECORD_TYPES 175  // the list's type images, 15 x 15 each, white is the mask

// The recording list page.
#define IDC_FILE_LIST_SELECT_DISK 1011
#define IDC_FILE_LIST_EXPORT 1012
#define IDC_FILE_LIST_SELECT_CHANNEL 1013
#define IDC_FILE_LIST_ROWS 1040  // the recording list
#define IDC_FILE_LIST_CLEAR 1042
#define IDC_FILE_LIST_STATUS 1059  // "Search State", "Searching, Please wait", ...
#define ID_FILE_LIST_CONVERT 4640  // commands: the .264-to-AVI converter
#define ID_FILE_LIST_EXPORT 4641   // and the export by date

// The calendar.
#define IDC_CALENDAR_YEAR 1025  // combo boxes
#define IDC_CALENDAR_MONTH 1026
#define IDC_CALENDAR_YEAR_LABEL 1027   // "Year"
#define IDC_CALENDAR_MONTH_LABEL 1028  // "Month"
#define IDC_CALENDAR_SUNDAY 1029       // week-day headers 1029 (Sunday) to 1035 (Saturday)
#define IDC_CALENDAR_DAY1 1036         // day buttons: day d is 1035 + d, up to 1066

// The channel chooser.
#define IDC_CHANNEL_CH01 1236   // check boxes: channel i (zero-based) is 1236 + i, up to 1283
#define IDC_CHANNEL_SAVE 1285   // "Saved": accept
#define IDC_CHANNEL_CLEAR 1287  // "Clear": uncheck every box
#define IDC_CHANNEL_LABEL 1288  // "Channel"
