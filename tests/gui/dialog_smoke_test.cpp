// tests/gui/dialog_smoke_test.cpp
//
// A dialog from a resource template, created under Wine and driven the way a
// user would: the test finds the controls by id, types into the edit box and
// clicks the buttons (BM_CLICK), then checks what the dialog's OK handler read
// back. The modal case is driven from a timer inside the dialog's own modal
// loop; a second timer ends it if the script stalls, so no run waits for a
// person.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "tests/gui/smoke_dialog_res.h"

namespace {

// What the dialog hands back: written by the OK handler only.
struct SmokeResult {
    HWND dialog = nullptr;
    bool modal = false;
    bool okRan = false;
    std::wstring name;
    bool enabled = false;
};

// The dialog's procedure, as a real dialog would have it: OK reads the controls
// into the result, OK and Cancel close the dialog.
INT_PTR CALLBACK SmokeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* result = reinterpret_cast<SmokeResult*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            result = reinterpret_cast<SmokeResult*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            result->dialog = dialog;
            return TRUE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id != IDOK && id != IDCANCEL)
                return FALSE;
            if (id == IDOK && result) {
                wchar_t text[64] = {};
                GetDlgItemTextW(dialog, IDC_SMOKE_NAME, text, 64);
                result->name = text;
                result->enabled = IsDlgButtonChecked(dialog, IDC_SMOKE_ENABLED) == BST_CHECKED;
                result->okRan = true;
            }
            if (result && result->modal)
                EndDialog(dialog, id);
            else
                DestroyWindow(dialog);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

TEST(DialogSmokeTest, ModelessDialogReadsTheControlsOnOk) {
    SmokeResult result;
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SMOKE), nullptr,
                                     SmokeDialogProc, reinterpret_cast<LPARAM>(&result));
    ASSERT_NE(dialog, nullptr) << "CreateDialogParam: error " << GetLastError();
    ShowWindow(dialog, SW_SHOW);
    EXPECT_EQ(result.dialog, dialog);

    HWND edit = GetDlgItem(dialog, IDC_SMOKE_NAME);
    HWND check = GetDlgItem(dialog, IDC_SMOKE_ENABLED);
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(check, nullptr);
    ASSERT_NE(GetDlgItem(dialog, IDOK), nullptr);
    ASSERT_NE(GetDlgItem(dialog, IDCANCEL), nullptr);
    EXPECT_EQ(_wcsicmp(ClassOf(edit).c_str(), L"Edit"), 0);
    EXPECT_EQ(_wcsicmp(ClassOf(check).c_str(), L"Button"), 0);
    wchar_t caption[32] = {};
    GetWindowTextW(dialog, caption, 32);
    EXPECT_STREQ(caption, L"Smoke test");

    SetWindowTextW(edit, L"Camera 3 \x00e4\x20ac");
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SMOKE_ENABLED), static_cast<UINT>(BST_UNCHECKED));
    Click(dialog, IDC_SMOKE_ENABLED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SMOKE_ENABLED), static_cast<UINT>(BST_CHECKED));
    Click(dialog, IDC_SMOKE_ENABLED);
    Click(dialog, IDC_SMOKE_ENABLED);
    EXPECT_FALSE(result.okRan);

    Click(dialog, IDOK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(result.okRan);
    EXPECT_EQ(result.name, L"Camera 3 \x00e4\x20ac");
    EXPECT_TRUE(result.enabled);
}

// Runs `script` from a timer inside the modal loop of the dialog, and returns
// what DialogBoxParam returned. A watchdog ends the dialog with -2 after 10 s.
std::function<void(HWND)>* gScript = nullptr;
SmokeResult* gModal = nullptr;

void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (gModal && gModal->dialog && gScript)
        (*gScript)(gModal->dialog);
}

void CALLBACK Watchdog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (gModal && gModal->dialog)
        EndDialog(gModal->dialog, -2);
}

INT_PTR RunModal(SmokeResult* result, std::function<void(HWND)> script) {
    result->modal = true;
    gModal = result;
    gScript = &script;
    const UINT_PTR scriptTimer = SetTimer(nullptr, 0, 50, RunScript);
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, Watchdog);
    const INT_PTR answer = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SMOKE), nullptr,
                                           SmokeDialogProc, reinterpret_cast<LPARAM>(result));
    KillTimer(nullptr, scriptTimer);
    KillTimer(nullptr, watchdog);
    gModal = nullptr;
    gScript = nullptr;
    return answer;
}

TEST(DialogSmokeTest, ModalDialogEndsWithOkAndTheEnteredValues) {
    SmokeResult result;
    const INT_PTR answer = RunModal(&result, [](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_SMOKE_NAME, L"Front door");
        Click(dialog, IDC_SMOKE_ENABLED);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(answer, IDOK);
    EXPECT_TRUE(result.okRan);
    EXPECT_EQ(result.name, L"Front door");
    EXPECT_TRUE(result.enabled);
}

TEST(DialogSmokeTest, ModalDialogCancelLeavesTheResultAlone) {
    SmokeResult result;
    const INT_PTR answer = RunModal(&result, [](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_SMOKE_NAME, L"ignored");
        Click(dialog, IDC_SMOKE_ENABLED);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_FALSE(result.okRan);
    EXPECT_TRUE(result.name.empty());
    EXPECT_FALSE(result.enabled);
}

}  // namespace
