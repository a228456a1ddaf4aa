// res/settings_ids.h
//
// Ids of the settings dialog with its two pages and of the about box:
// dialogs, the settings dialog's icon and the controls.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100    // the about box
#define IDD_SETTING 189     // the settings dialog
#define IDD_PATH_SET 207    // its folders page
#define IDD_SYSTEM_SET 231  // its system page

// Pictures.
#define IDI_SETTING 196  // the settings dialog's icon

// The settings dialog.
#define IDC_SETTING_PAGES_BOX 1053   // group box around the page buttons
#define IDC_SETTING_COORD_SET 1054   // page button of the chart ranges (hidden)
#define IDC_SETTING_PATH_SET 1060    // page buttons: "Path Set"
#define IDC_SETTING_SYSTEM_SET 1209  // and "System Set"
#define IDC_SETTING_OK 1090
#define IDC_SETTING_CANCEL 1091
#define IDC_SETTING_APPLY 1092
#define IDC_SETTING_PAGE_FRAME 1093  // frame around the pages

// The folders page.
#define IDC_PATH_CAPTURE_LABEL 1135
#define IDC_PATH_RECORD_LABEL 1136
#define IDC_PATH_CLIP_LABEL 1137
#define IDC_PATH_CAPTURE 1140  // edits
#define IDC_PATH_RECORD 1142
#define IDC_PATH_CLIP 1143
#define IDC_PATH_VIDEO_TYPE_LABEL 1152
#define IDC_PATH_VIDEO_TYPE 1153      // combo: ".mp4", ".avi"
#define IDC_PATH_CAPTURE_BROWSE 1154  // "..." folder browsers
#define IDC_PATH_CLIP_BROWSE 1155
#define IDC_PATH_RECORD_BROWSE 1156
#define IDC_PATH_TITLE 1157

// The system page.
#define IDC_SYSTEM_LANGUAGE_LABEL 1207
#define IDC_SYSTEM_LANGUAGE 1208   // combo: English, Russian
#define IDC_SYSTEM_WATERMARK 1236  // checks: watermark
#define IDC_SYSTEM_MIMIC 1237      // the sensor panel at start (hidden)
#define IDC_SYSTEM_GPS 1238        // GPS (hidden)

// The about box.
#define IDC_ABOUT_NAME 1001
#define IDC_ABOUT_VERSION 1002
