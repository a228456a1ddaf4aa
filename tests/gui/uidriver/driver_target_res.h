// tests/gui/uidriver/driver_target_res.h
#pragma once

#define IDD_TARGET 100
#define IDC_NAME 1001
#define IDC_KIND 1002
#define IDC_FLAG 1003
#define IDC_ASK 1004
#define IDC_ANSWER 1005
#define IDC_SWATCH 1006
#define IDC_KIND_SEEN 1007
