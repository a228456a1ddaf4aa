// app/base/pane_has_records.h
//
// Per play pane: the last day search put at least one recording on its
// time-bar row. The recording list keeps the disk's flags, the network list
// the recorder's (pane = recorder channel); the panes' settings read both,
// also on the libraries' threads, without a lock: they are plain words the GUI
// thread changes between plays.
#pragma once

extern int g_diskPaneHasRecords[4];
extern int g_netPaneHasRecords[4];
