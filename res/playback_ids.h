// res/playback_ids.h
//
// Resource ids of the two playback pages and what they hold: the playback
// frame, its view type selector, the video and map grids, the time-bar strip,
// and the children whose content comes with their own dialogs (play and map
// panes, tool bar, recording list, network list, sensor panel, download
// dialog). res/playback.rc holds the templates.
#pragma once

// Dialog templates.
#ifndef IDD_REMOTE_PLAYBACK
#define IDD_REMOTE_PLAYBACK 130  // the network playback page
#endif
#ifndef IDD_LOCAL_PLAYBACK
#define IDD_LOCAL_PLAYBACK 132  // the recorder-disk playback page
#endif
#define IDD_MIMIC 133           // the sensor panel
#define IDD_PLAY_WND 134        // a play pane
#define IDD_MAP_WND 138         // a map pane
#define IDD_VIDEO_PLAYBACK 139  // the video grid of four play panes
#define IDD_TRACK_PLAYBACK 140  // the map grid of four map panes
#define IDD_PLAYBACK_TYPE 142   // the view type selector
#define IDD_FILE_LIST 143       // the recording list of the disk page
#define IDD_PLAYBACK_TOOL 144   // the playback tool bar
#define IDD_PLAYBACK_BAR 145    // the strip holding the recording time bar
#define IDD_PLAYBACK 190        // the playback frame
#define IDD_DEVICE_LIST 192     // the recorder list of the network page
#define IDD_FILE_DOWNLOAD 271   // a pane's download dialog

// Bitmaps.
#define IDB_VIEW_TYPE_BUTTON 166  // the view type buttons: normal, hovered, pressed, disabled (170 x 25 each)
#define IDB_TIMEBAR_ZOOM 174      // the time bar's zoom buttons: in, out (18 x 18 each, key 0xFF00FF)
// The 120 x 25 buttons of the network list and the play list's title: normal,
// hovered, pressed, disabled.
#define IDB_PANEL_BUTTON 195

// Cursors of the time bar.
#define IDC_TIMEBAR_GRAB 171   // over a zoom button and while dragging a cursor
#define IDC_TIMEBAR_POINT 172  // over the bar

// Controls.
#define IDC_TIMEBAR 1        // the time bar in its strip
#define IDC_VIEW_VIDEO 1006  // view type buttons
#define IDC_VIEW_TRACK 1007
#define IDC_VIEW_VIDEO_TRACK 1008
#define IDC_VIEW_TITLE 1009      // "Video Playback"
#define IDC_SYNC_PLAY 1044       // check: Sync Playback
#define IDC_SHOW_WATERMARK 1236  // check: Show Watermark
#define IDC_SYNC_PLAY_LABEL 1246
#define IDC_WATERMARK_LABEL 1247
#define IDC_BAR_POSITION 1134  // the tool bar's sensor panel button
