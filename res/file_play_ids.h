// res/file_play_ids.h
//
// Ids of the local file player's resources: the page (IDD_FILE_PLAY, in
// resource.h), its control bar, play list and open popup, their pictures and
// controls, and the commands of the bar's tool menu.
#pragma once

// Dialog templates.
#define IDD_PLAY_LIST 228       // the play list right of the video
#define IDD_FILE_PLAY_CTRL 229  // the control bar under the video
#define IDD_OPEN_FILE 233       // the open popup centred on the video

// Pictures. Button strips of four frames (normal, hovered, pressed or
// latched, disabled), key colour 0xFF00FF.
#define IDB_FP_LIST_TITLE 195  // the play list's title button: playback.rc's IDB_PANEL_BUTTON
#define IDB_FP_POPUP_BACK 232  // the open popup's background, a pattern brush
#define IDB_FP_POPUP_OPEN 234  // the popup's "Open file" button
#define IDB_FP_POPUP_FOLDER 235
#define IDB_FP_SPEED_UP 236
#define IDB_FP_SPEED_DOWN 237
#define IDB_FP_VOLUME_CHANNEL 238  // the volume slider: channel, its filled part
#define IDB_FP_VOLUME_CHANNEL_ACTIVE 239
#define IDB_FP_NEXT 241
#define IDB_FP_OPEN 243
#define IDB_FP_PAUSE 244
#define IDB_FP_PLAY 245
#define IDB_FP_PREVIOUS 247
#define IDB_FP_CAPTURE 248
#define IDB_FP_STOP 249
#define IDB_FP_MUTE 251
#define IDB_FP_LIST_SHOW 252
#define IDB_FP_LIST_ADD 253
#define IDB_FP_LIST_CLEAR 254
#define IDB_FP_LIST_DELETE 255
#define IDB_FP_SEEK_THUMB 257  // the seek slider's thumb: normal, dragged, disabled
#define IDB_FP_SEEK_THUMB_ACTIVE 259
#define IDB_FP_SEEK_THUMB_DISABLED 260
#define IDB_FP_VOLUME_THUMB 261  // the volume slider's thumb: normal, dragged, disabled
#define IDB_FP_VOLUME_THUMB_ACTIVE 263
#define IDB_FP_VOLUME_THUMB_DISABLED 264
#define IDB_FP_SEEK_CHANNEL 265  // the seek slider: channel, its filled part
#define IDB_FP_SEEK_CHANNEL_ACTIVE 266
#define IDB_FP_TOOLS 267
#define IDB_FP_LIST_IMAGES 268  // the play list's row images, 18 x 18: idle, playing; white is the mask
#define IDB_FP_WATERMARK 278
// The watermark logo is the play panes' (IDB_PANE_LOGO, 276).

// The page.
#define IDC_FP_VIDEO 1000  // the video window the playback library draws into

// The control bar.
#define IDC_FP_SPEED_DOWN 1014
#define IDC_FP_SPEED_UP 1015
#define IDC_FP_PLAY 1184
#define IDC_FP_PAUSE 1185
#define IDC_FP_SEEK 1195
#define IDC_FP_NEXT 1199
#define IDC_FP_PREVIOUS 1200
#define IDC_FP_OPEN 1201
#define IDC_FP_CAPTURE 1202
#define IDC_FP_LIST_SHOW 1203
#define IDC_FP_TOOLS 1204  // created hidden
#define IDC_FP_VOLUME 1205
#define IDC_FP_MUTE 1206
#define IDC_FP_STOP 1212
#define IDC_FP_TIME 1213   // "00:01:02 / 00:10:00", hidden until a file plays
#define IDC_FP_STATE 1215  // "x0" while idle, "x1", "Pause", "Speed Up x2", ...
#define IDC_FP_WATERMARK 1237

// The play list.
#define IDC_PLAY_LIST_DELETE 1100
#define IDC_PLAY_LIST_CLEAR 1101
#define IDC_PLAY_LIST_ROWS 1186
#define IDC_PLAY_LIST_TITLE 1190
#define IDC_PLAY_LIST_ADD 1191

// The open popup.
#define IDC_OPEN_FILE 1210
#define IDC_OPEN_FOLDER 1211

// Commands of the bar's tool menu: the .264-to-AVI converter and the export.
#define ID_FP_CONVERT 4640
#define ID_FP_EXPORT 4641
