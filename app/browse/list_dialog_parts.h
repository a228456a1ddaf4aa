// app/browse/list_dialog_parts.h
//
// What the recording list page and the export dialog share: the small images
// of their rows' record types (bitmap IDB_RECORD_TYPES, 15 x 15, white is the
// mask) and running the channel chooser for their channels.
#pragma once

#include "app/app_config.h"
#include "app/browse/channel_chooser_model.h"
#include "app/pub_skin.h"
#include "winlib/winlib.h"

// Makes `images` from the record-type strip and gives them to `list` as its
// small images, with whole rows selected.
void SetUpRecordTypeImages(CImageList& images, CListCtrl& list);

// Runs the channel chooser modally over `owner` with `channels` checked; true
// and the chosen channels in `channels` when it was accepted.
bool ChooseChannels(CWnd* owner, AppConfig* config, CPubSkin* skin, browse::ChosenChannels& channels);
