// res/resource.h
//
// Resource ids of Movarel.exe. Language-string ids are plain numbers in
// strings_en.rc and in the language modules.
#pragma once

#define IDR_MAINFRAME 128  // the program's icon

// Commands.
#ifndef ID_HELP
#define ID_HELP 0xE146  // help (the application object answers it)
#endif

// Dialog templates (the settings dialog's and the about box's: settings_ids.h).
#define IDD_MOVAREL_DIALOG 102   // the main window
#define IDD_REMOTE_PLAYBACK 130  // the network playback page
#define IDD_MENU_CTRL 131        // the mode bar
#define IDD_LOCAL_PLAYBACK 132   // the recorder-disk playback page
#define IDD_FILE_PLAY 215        // the local file player page

// Bitmaps.
#define IDB_MENU_BACK 146    // the mode bar's background, stretched over the bar
#define IDB_MENU_BUTTON 147  // the mode bar's buttons: normal, hovered, pressed, disabled

// The mode bar's buttons.
#define IDC_LOCAL_PLAY 1021
#define IDC_REMOTE_PLAY 1022
#define IDC_HELP_ABOUT 1023
#define IDC_CONFIG 1041
#define IDC_FILE_PLAY 1184
