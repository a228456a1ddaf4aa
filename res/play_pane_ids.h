// res/play_pane_ids.h
//
// Ids of the play panes' and the playback tool bar's resources: pictures and
// controls (the dialog ids are in playback_ids.h, which also holds the tool
// bar's sensor-panel button IDC_BAR_POSITION).
#pragma once

// Pictures of the pane.
#define IDB_PANE_TITLE 136  // the title strip: 5-pixel end caps, the middle stretched
#define IDB_PANE_LOGO 276   // the watermark logo blended over a pane's picture

// Pictures of the tool bar: button strips of four frames (normal, hovered,
// pressed or latched, disabled), key colour 0xFF00FF.
#define IDB_TOOL_PLAY 153
#define IDB_TOOL_PAUSE 154
#define IDB_TOOL_STOP 155
#define IDB_TOOL_SPEED_DOWN 156
#define IDB_TOOL_SPEED_UP 157
#define IDB_TOOL_ONE_WND 159
#define IDB_TOOL_FOUR_WND 160
#define IDB_TOOL_FULL_SCREEN 163
#define IDB_TOOL_CAPTURE 164
#define IDB_TOOL_MUTE 165
#define IDB_TOOL_VIDEO_CLIP 191
#define IDB_TOOL_SENSOR_PANEL 206
#define IDB_TOOL_NEXT_FRAME 269
#define IDB_TOOL_DOWNLOAD 273
#define IDB_TOOL_PLAY_ALL 274
#define IDB_TOOL_STOP_ALL 275
// The volume slider: background, channel and its filled part, thumb strip.
#define IDB_VOLUME_BACK 150
#define IDB_VOLUME_CHANNEL_ACTIVE 168
#define IDB_VOLUME_CHANNEL 169
#define IDB_VOLUME_THUMB 170

// Controls of the pane.
#define IDC_PLAY_VIDEO 1000  // the video area the playback library draws into
#define IDC_PLAY_LABEL 1001  // a plain label, kept hidden

// Controls of the tool bar.
#define IDC_TOOL_PLAY 1011
#define IDC_TOOL_PAUSE 1012
#define IDC_TOOL_STOP 1013
#define IDC_TOOL_SPEED_DOWN 1014
#define IDC_TOOL_SPEED_UP 1015
#define IDC_TOOL_NEXT_FRAME 1016
#define IDC_TOOL_CAPTURE 1017
#define IDC_TOOL_MUTE 1018
#define IDC_TOOL_VOLUME 1019
#define IDC_TOOL_STATE 1020
#define IDC_TOOL_VIDEO_CLIP 1021
#define IDC_TOOL_DOWNLOAD 1022
#define IDC_TOOL_PLAY_ALL 1023
#define IDC_TOOL_STOP_ALL 1024
#define IDC_TOOL_ONE_WND 1039
#define IDC_TOOL_FOUR_WND 1040
#define IDC_TOOL_FULL_SCREEN 1041
