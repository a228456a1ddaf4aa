// tests/winlib/winlib_test_res.h
#pragma once

#define IDD_HOST 100
#define IDD_PAGE_EDIT 101
#define IDD_PAGE_SWATCH 102
#define IDD_INNER 103

#define IDC_PAGE_EDIT 1001
#define IDC_SWATCH 1002
#define IDC_LABEL 1003
#define IDC_LIST 1004
#define IDC_PLAIN 1005
