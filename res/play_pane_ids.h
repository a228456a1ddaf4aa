// res/play_pane_ids.h
//
// Ids of the play panes' and the playback tool bar's resources: pictures and
// controls (the dialog ids are in playback_ids.h).
#pragma once

#define IDB_PANE_LOGO 276  // the watermark logo blended over a pane's picture
