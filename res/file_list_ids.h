// res/file_list_ids.h
//
// Ids of the recording list page's, the calendar's and the channel chooser's
// resources: pictures, dialogs and controls (IDD_FILE_LIST is in
// playback_ids.h).
#pragma once

#define IDB_RECORD_TYPES 175  // the list's type images, 15 x 15 each, white is the mask
