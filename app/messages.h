// app/messages.h
//
// Every private window message of the program: what one of its windows posts
// or sends to another, or registers with the playback and network libraries.
// The receiver's handler says what it does with the words.
//
// Numbers in the WM_USER range are private to our own window classes and
// dialogs. Five messages would collide there with messages the system itself
// sends (11 WM_SETREDRAW, 290 WM_MENURBUTTONUP, 295 WM_CHANGEUISTATE, which
// dialogs get during keyboard navigation; 0x401 and 0x402 DM_SETDEFID and
// DM_REPOSITION, which every dialog understands), so those five live in the
// WM_APP range and their handlers consume them. The playback and
// network libraries' own event codes (end of stream 11, download done 290 and
// progress 295) are unchanged: they are codes inside our messages, translated
// where we receive them, never message numbers.
//
// 0x464 and 0x465 carry two meanings each (search done / slider); their
// receivers never overlap.
#pragma once

#include "controls/check_list_messages.h"
#include "controls/month_calendar_messages.h"
#include "controls/slider_messages.h"

namespace msg {

inline constexpr unsigned kUser = 0x0400;  // WM_USER
inline constexpr unsigned kApp = 0x8000;   // WM_APP

}  // namespace msg

// pane index 0..3 / 0: play or map pane -> its grid and the tool bar
inline constexpr unsigned WM_PANE_SELECTED = msg::kApp + 0x01;
// pane index / 0: pane double click -> grid, one pane or four
inline constexpr unsigned WM_PANE_TOGGLE_LAYOUT = msg::kApp + 0x02;
// as the playback library posts it: file player -> its control bar
inline constexpr unsigned WM_FILEPLAY_END = msg::kApp + 0x0B;
// VekNet download events, translated by our callback -> download dialog
inline constexpr unsigned WM_DOWNLOAD_DONE = msg::kApp + 0x122;      // result / 0
inline constexpr unsigned WM_DOWNLOAD_PROGRESS = msg::kApp + 0x127;  // per cent / 0

// 1037 / 0, 0 / 0, 0 / 0: mode bar -> main window
inline constexpr unsigned WM_MODE_LOCAL_PLAYBACK = 0x40A;
inline constexpr unsigned WM_MODE_REMOTE_PLAYBACK = 0x40B;
inline constexpr unsigned WM_MODE_FILE_PLAY = 0x40F;
// 1045 video, 1046 track, 1047 both / 0: view type selector -> playback page
inline constexpr unsigned WM_VIEW_TYPE = 0x414;
// 1055 one pane, 1056 four panes / 0: tool bar -> both grids
inline constexpr unsigned WM_PANE_LAYOUT = 0x41E;
// 1 full screen, 0 back / 0: tool bar -> page
inline constexpr unsigned WM_FULL_SCREEN = 0x421;
// check state / 0, re-posted as 0 / 0: Sync Playback check -> frame -> map grid
inline constexpr unsigned WM_SYNC_PLAY = 0x428;
// 0 / 0: day-search and day-query callbacks -> tool bar
inline constexpr unsigned WM_RECORDS_CHANGED = 0x429;
// 0 / 0: tool bar button -> frame -> page, show or hide the sensor panel
inline constexpr unsigned WM_BAR_POSITION = 0x42A;
// 1 wants data, 11 end of stream / the registered user value: playback library
inline constexpr unsigned WM_PLAYLIB_NOTIFY = 0x42B;
// address of the configuration's CoordSet / 0: settings -> main -> sensor panels
inline constexpr unsigned WM_COORD_RANGE = 0x42C;
// 0 / 0: -> tool bar, stop every pane
inline constexpr unsigned WM_STOP_ALL_PLAY = 0x42D;
// 1 show, 0 hide / 0: file player control bar -> its page
inline constexpr unsigned WM_PLAYLIST_SHOW = 0x42F;
// 0 / 0: -> play list, every row idle / the current row playing
inline constexpr unsigned WM_PLAYLIST_MARK_NONE = 0x430;
inline constexpr unsigned WM_PLAYLIST_MARK_CURRENT = 0x431;
// 0 / 0: file player's folder scan thread -> open popup, found paths wait
inline constexpr unsigned WM_FOLDER_SCAN_FOUND = msg::kApp + 0x200;
// status code / 0: registered with the network library's connection start
inline constexpr unsigned WM_NET_LOGIN_STATUS = 0x432;
// 0 / last GPS index; GPS index / 0; 0 / 0: -> map page bridge
inline constexpr unsigned WM_MAP_DRAW_TRACK = 0x433;
inline constexpr unsigned WM_MAP_CAR_POSITION = 0x434;
inline constexpr unsigned WM_MAP_CLEAR = 0x435;
// 0 / 0: month- and day-search callbacks -> recording list or export dialog
inline constexpr unsigned WM_MONTH_SEARCH_DONE = 0x464;
inline constexpr unsigned WM_DAY_SEARCH_DONE = 0x465;
// control id / position: bitmap slider -> parent
using controls::WM_SLIDER_MOVING;
using controls::WM_SLIDER_RELEASED;
// per mille of the current file (1000 done) / 0; 0 / 0: export
inline constexpr unsigned WM_EXPORT_PROGRESS = 0x49A;
inline constexpr unsigned WM_EXPORT_FINISHED = 0x49B;
// per mille / elapsed milliseconds; 0 / 0: converter thread -> its dialog
inline constexpr unsigned WM_CONVERT_PROGRESS = 0x49C;
inline constexpr unsigned WM_CONVERT_FINISHED = 0x49D;
// control id / 1 all checked, else 0: check-box list -> parent
using controls::WM_CHECKLIST_CHANGED;
// control id / row or -1: recording time bar -> owner
inline constexpr unsigned WM_TIMEBAR_SEEK = 0x590;
// control id / 0: month calendar -> parent
using controls::WM_CALENDAR_DATE_CHANGED;
// 0 / 0: login dialog -> device list
inline constexpr unsigned WM_LOGIN_ENTER = 0x7E8;
// 0 / 0: the network list's record callbacks -> the network list, records
// kept for the GUI thread
inline constexpr unsigned WM_NET_RECORDS_ARRIVED = msg::kApp + 0x130;
// control id / position: static-based bitmap slider -> parent
using controls::WM_BMPSLIDER_CHANGED;
using controls::WM_BMPSLIDER_MOVING;
