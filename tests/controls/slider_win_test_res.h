// tests/controls/slider_win_test_res.h
#pragma once

#define IDD_SLIDERS 100
#define IDB_BAR_BACK 150
#define IDB_BAR_ACTIVE 168
#define IDB_BAR_CHANNEL 169
#define IDB_BAR_THUMB 170
#define IDB_SEEK_THUMB 257
#define IDB_SEEK_THUMB_DRAG 259
#define IDB_SEEK_THUMB_OFF 260
#define IDB_SEEK_CHANNEL 265
#define IDB_SEEK_ACTIVE 266
#define IDB_SEEK_VCHANNEL 267
#define IDB_SEEK_VACTIVE 268
#define IDC_BAR 1001
#define IDC_SEEK 1002
