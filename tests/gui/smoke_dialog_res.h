// tests/gui/smoke_dialog_res.h
//
// Ids of the smoke-test dialog (smoke_dialog.rc).
#pragma once

#define IDD_SMOKE 101
#define IDC_SMOKE_NAME 1001
#define IDC_SMOKE_ENABLED 1002
