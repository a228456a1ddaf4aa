// tests/controls/controls_win_test_res.h
#pragma once

#define IDD_CONTROLS 100
#define IDB_TEST_STRIP 300
#define IDB_TEST_PICTURE 301
#define IDC_BUTTON 1001
#define IDC_TOGGLE 1002
#define IDC_LIST 1003
#define IDC_LABEL 1004
#define IDC_PICTURE 1005
