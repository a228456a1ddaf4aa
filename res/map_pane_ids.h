// res/map_pane_ids.h
//
// Resource ids of the track view's map page bridge (the dialog each map pane
// holds when GPS display is on). The map pane's own template, IDD_MAP_WND, is
// in playback_ids.h with the other parts of the playback frame.
#pragma once

// Dialog templates.
#define IDD_GOOGLE_MAP 137  // the map page bridge: its view of the map page fills it

// Controls.
#define IDC_MAP_VIEW 1150  // the view of the map page, made at run time
