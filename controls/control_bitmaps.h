// controls/control_bitmaps.h
//
// Bitmap resource ids the controls load from the program's resources
// (24-bit, drawn without transparency). controls/control_bitmaps.rc binds
// them to the pictures made from controls/control_pictures.txt.
#pragma once

// Skinned list header: item right edge, background and top line (one column
// used), left edge of the first item; 3x21 each.
#define IDB_SKIN_HEADER_RIGHT 176
#define IDB_SKIN_HEADER_BACK 177
#define IDB_SKIN_HEADER_LEFT 178
// Owner-drawn menu: side strip 18x128, check mark 14x14.
#define IDB_MENU_SIDE 212
#define IDB_MENU_CHECK 213
// Horizontal list scroll bar: arrows and thumb 26x12, channel 1x12.
#define IDB_HSCROLL_LEFT 216
#define IDB_HSCROLL_RIGHT 217
#define IDB_HSCROLL_CHANNEL 218
#define IDB_HSCROLL_THUMB 219
// Vertical list scroll bar: channel 12x1, arrows and thumb 12x26, caps
// 12x11 (top) and 11x11 (bottom).
#define IDB_VSCROLL_CHANNEL 221
#define IDB_VSCROLL_DOWN 223
#define IDB_VSCROLL_UP 224
#define IDB_VSCROLL_THUMB 225
#define IDB_VSCROLL_TOP 226
#define IDB_VSCROLL_BOTTOM 227
// Check-box list header: unused, empty box, ticked box; 16x16 each, key 0xFF00FF.
#define IDB_CHECK_BOXES 272
