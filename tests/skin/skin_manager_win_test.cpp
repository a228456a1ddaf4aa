// tests/skin/skin_manager_win_test.cpp
//
// The skin manager, its skin objects and the import-table hooks under Wine,
// in this test program's own process (one process per test): the skin's
// colours served to this program and to COMCTL32 while the skin is on and
// the system's after a failed open; the visual-style library's pseudo handle;
// messages reaching a skin object on both routes, once; and the mended
// faults -- a window attached twice, the tab-page test on a parent that is no
// dialog, a broadcast while windows and objects go, a thread that cannot
// start, and every object detached while windows go (under a guarded heap,
// whose freed blocks fault).
#include <gtest/gtest.h>

#include <windows.h>

#include <dbghelp.h>

#include <string>
#include <vector>

#include "skin/core/api_hook.h"
#include "skin/core/skin_manager.h"
#include "skin/core/skin_metrics.h"
#include "skin/objects/skin_object_classes.h"
#include "tests/skin/guarded_heap.h"

namespace {

constexpr const char* kSkin = VEK_VISTA_SKIN_MODULE;
constexpr COLORREF kSkinButtonFace = RGB(40, 40, 43);  // res/skin/vista/NormalBlack.ini

// Calls through this module's import table, each in a function of its own:
// a function may load an import once for all its calls.
__attribute__((noinline)) COLORREF CallGetSysColor(int n) {
    return ::GetSysColor(n);
}
__attribute__((noinline)) HBRUSH CallGetSysColorBrush(int n) {
    return ::GetSysColorBrush(n);
}
__attribute__((noinline)) BOOL CallDeleteObject(HGDIOBJ object) {
    return ::DeleteObject(object);
}
__attribute__((noinline)) HMODULE CallGetModuleHandleA(const char* name) {
    return ::GetModuleHandleA(name);
}
__attribute__((noinline)) FARPROC CallGetProcAddress(HMODULE module, const char* name) {
    return ::GetProcAddress(module, name);
}
__attribute__((noinline)) HANDLE CallCreateThread(SIZE_T stack,
                                                  LPTHREAD_START_ROUTINE routine,
                                                  LPVOID parameter) {
    return ::CreateThread(nullptr, stack, routine, parameter, 0, nullptr);
}

COLORREF SystemGetSysColor(int n) {
    using Fn = DWORD(WINAPI*)(int);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(
        GetPlymSkinManagerApiHook()->GetSystemAddress(plym::kHookGetSysColor)))(n);
}

// Whether some import entry of `module` from `library` holds `address`.
bool ImportsHold(HMODULE module, const char* library, FARPROC address) {
    ULONG size = 0;
    auto* imports = static_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        ImageDirectoryEntryToData(module, TRUE, IMAGE_DIRECTORY_ENTRY_IMPORT, &size));
    auto* base = reinterpret_cast<const BYTE*>(module);
    for (; imports && imports->Name; ++imports) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + imports->Name), library) != 0)
            continue;
        for (auto* entry = reinterpret_cast<const ULONG_PTR*>(base + imports->FirstThunk); *entry; ++entry) {
            if (*entry == reinterpret_cast<ULONG_PTR>(address))
                return true;
        }
    }
    return false;
}

TEST(SkinManager, ServesTheSkinsColoursWhileOnAndTheSystemsAfterAFailedOpen) {
    const HMODULE comctl32 = LoadLibraryA("COMCTL32.DLL");
    ASSERT_NE(comctl32, nullptr);
    CPlymSkinManager* manager = GetPlymSkinManager();
    manager->SetHookedGroups(7);
    const COLORREF systemFace = SystemGetSysColor(COLOR_BTNFACE);
    ASSERT_NE(systemFace, kSkinButtonFace);

    ASSERT_TRUE(manager->OpenSkin(kSkin, "NormalBlack.ini"));
    EXPECT_TRUE(manager->IsEnabled());
    const CPlymSkinManagerMetrics* metrics = manager->GetMetrics();
    ASSERT_NE(metrics, nullptr);
    EXPECT_EQ(CallGetSysColor(COLOR_BTNFACE), kSkinButtonFace);
    EXPECT_EQ(CallGetSysColor(COLOR_WINDOWTEXT), RGB(210, 210, 210));
    EXPECT_EQ(CallGetSysColor(-1), SystemGetSysColor(-1));  // outside the skin's colours
    const HBRUSH face = CallGetSysColorBrush(COLOR_BTNFACE);
    EXPECT_EQ(face, metrics->GetColorBrush(COLOR_BTNFACE));
    EXPECT_FALSE(CallDeleteObject(face));  // nobody deletes the skin's brushes
    EXPECT_EQ(GetObjectType(face), static_cast<DWORD>(OBJ_BRUSH));
    // COMCTL32 asks the skin too.
    const FARPROC replacement = PlymHookReplacement(plym::kHookGetSysColor);
    EXPECT_TRUE(ImportsHold(comctl32, "USER32.dll", replacement));
    EXPECT_TRUE(ImportsHold(GetModuleHandleA(nullptr), "USER32.dll", replacement));
    // With options 7 the popup menus stay the system's.
    EXPECT_EQ(GetPlymSkinManagerApiHook()->GetEntry(plym::kHookTrackPopupMenu), nullptr);
    EXPECT_NE(GetPlymSkinManagerApiHook()->GetEntry(plym::kHookDrawMenuBar), nullptr);

    // The visual-style functions come from the skin through a pseudo handle.
    const HMODULE uxtheme = CallGetModuleHandleA("uxtheme.dll");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(uxtheme), plym::kUxThemePseudoHandle);
    EXPECT_EQ(CallGetProcAddress(uxtheme, "OpenThemeData"), PlymHookReplacement(plym::kHookOpenThemeData));
    EXPECT_EQ(CallGetProcAddress(uxtheme, "DrawThemeText"), nullptr);
    using OpenThemeFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
    const auto open = reinterpret_cast<OpenThemeFn>(
        reinterpret_cast<void (*)()>(CallGetProcAddress(uxtheme, "OpenThemeData")));
    EXPECT_EQ(open(nullptr, L"Explorer::Button"), manager->GetThemeClass(nullptr, "BUTTON"));

    // A skin that cannot be opened: the system's colours, nothing patched.
    EXPECT_FALSE(manager->OpenSkin("C:\\nowhere\\Vista.vyrstyles", "NormalBlack.ini"));
    EXPECT_FALSE(manager->IsEnabled());
    EXPECT_EQ(CallGetSysColor(COLOR_BTNFACE), systemFace);
    EXPECT_NE(CallGetSysColorBrush(COLOR_BTNFACE), face);
    EXPECT_FALSE(ImportsHold(comctl32, "USER32.dll", replacement));
    EXPECT_FALSE(ImportsHold(GetModuleHandleA(nullptr), "USER32.dll", replacement));
    EXPECT_NE(reinterpret_cast<uintptr_t>(CallGetModuleHandleA("uxtheme.dll")), plym::kUxThemePseudoHandle);
}

// A skin object that handles WM_SETTEXT: it counts the message, lets the
// window's own processing run (Default), and appends "!" to what it set.
class CTextSkin : public CPlymSkinObject {
  public:
    int seen = 0;
    std::string lastDefault;

  protected:
    LRESULT OnSetText(WPARAM, LPARAM lParam) {
        ++seen;
        const LRESULT result = Default();
        lastDefault = reinterpret_cast<const char*>(lParam);
        return result;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTextSkin, CPlymSkinObject)
ON_MESSAGE(WM_SETTEXT, &CTextSkin::OnSetText)
END_MESSAGE_MAP()

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* className, WNDPROC procedure = nullptr) {
    if (procedure) {
        WNDCLASSA record{};
        record.lpfnWndProc = procedure;
        record.hInstance = GetModuleHandleA(nullptr);
        record.lpszClassName = className;
        RegisterClassA(&record);
    }
    return CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

TEST(SkinManager, EachRouteHandsAMessageToTheSkinObjectOnceAndFallsBackToTheWindow) {
    CPlymSkinManager* manager = GetPlymSkinManager();
    ASSERT_TRUE(manager->OpenSkin(kSkin, "NormalBlack.ini"));
    manager->m_autoSkinNewWindows = FALSE;

    // A system control: the subclass route.
    HWND button = MakeWindow("Button");
    auto* buttonSkin = new CTextSkin;
    manager->AttachObject(button, buttonSkin, nullptr, FALSE);
    EXPECT_TRUE(buttonSkin->IsSubclassed());
    SetWindowTextA(button, "pushed");
    EXPECT_EQ(buttonSkin->seen, 1);
    char text[32] = {};
    GetWindowTextA(button, text, sizeof text);
    EXPECT_STREQ(text, "pushed");  // the button's own procedure ran under Default

    // A window of this program calling DefWindowProc: the default-procedure
    // route; the fall-back reaches the system's DefWindowProc, not the skin.
    HWND plain = MakeWindow("VekPlainWindow", &PlainProc);
    auto* plainSkin = new CTextSkin;
    manager->AttachObject(plain, plainSkin, nullptr, FALSE);
    EXPECT_FALSE(plainSkin->IsSubclassed());
    SetWindowTextA(plain, "plain");
    EXPECT_EQ(plainSkin->seen, 1);
    GetWindowTextA(plain, text, sizeof text);
    EXPECT_STREQ(text, "plain");

    EXPECT_EQ(manager->GetSkinObjectCount(), 2u);
    DestroyWindow(button);
    DestroyWindow(plain);
    EXPECT_EQ(manager->GetSkinObjectCount(), 0u);
}

TEST(SkinManager, AWindowAttachedTwiceLosesItsFirstObjectAndKeepsOneSubclass) {
    CPlymSkinManager* manager = GetPlymSkinManager();
    manager->m_autoSkinNewWindows = FALSE;
    HWND button = MakeWindow("Button");
    const LONG_PTR ownProc = GetWindowLongPtrA(button, GWLP_WNDPROC);

    CPlymSkinObject* first = manager->AttachSkinObject(button, "Button", nullptr, FALSE);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectButton)));
    ASSERT_TRUE(first->IsSubclassed());
    first->AddRef();  // to look at it afterwards
    CPlymSkinObject* second = manager->AttachSkinObject(button, "Button", nullptr, FALSE);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(first->GetReferenceCount(), 1);  // the map's reference is gone
    EXPECT_FALSE(first->IsSubclassed());
    EXPECT_EQ(manager->FindSkinObject(button), second);
    EXPECT_EQ(manager->GetSkinObjectCount(), 1u);
    // The new object took the button's own procedure, not the framework's.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(second->GetPreviousProc()), ownProc);
    EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&CPlymSkinObject::SkinWindowProc));
    // Messages reach the button (no loop through the framework).
    SetWindowTextA(button, "twice");
    char text[32] = {};
    GetWindowTextA(button, text, sizeof text);
    EXPECT_STREQ(text, "twice");
    first->Release();
    DestroyWindow(button);
    EXPECT_EQ(manager->GetSkinObjectCount(), 0u);
}

// A parent that answers the property sheet's tab-control query and keeps a
// word in a dialog's user slot, without being a dialog.
HWND g_tab = nullptr;
LRESULT CALLBACK FakeSheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == 0x474)  // PSM_GETTABCONTROL
        return reinterpret_cast<LRESULT>(g_tab);
    return DefWindowProcA(window, message, wParam, lParam);
}

INT_PTR CALLBACK SheetDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == 0x474) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(g_tab));
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

// An empty dialog from a template in memory.
HWND MakeDialog() {
    struct alignas(4) {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } dialogTemplate{};
    dialogTemplate.header.style = WS_POPUP;
    dialogTemplate.header.cx = 50;
    dialogTemplate.header.cy = 20;
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dialogTemplate.header, nullptr,
                                      &SheetDialogProc, 0);
}

TEST(SkinManager, TheTabPageTestReadsOnlyADialogsRecordAndOnlyWhereItCanBeRead) {
    CPlymSkinManager* manager = GetPlymSkinManager();
    g_tab = MakeWindow("Static");
    CREATESTRUCTA create{};
    create.style = WS_CHILD | DS_CONTROL;

    // Not a dialog, with a word that is no address: never read.
    WNDCLASSA record{};
    record.lpfnWndProc = &FakeSheetProc;
    record.hInstance = GetModuleHandleA(nullptr);
    record.lpszClassName = "VekFakeSheet";
    record.cbWndExtra = DLGWINDOWEXTRA;
    ASSERT_TRUE(RegisterClassA(&record));
    HWND fake = MakeWindow("VekFakeSheet");
    SetWindowLongPtrA(fake, DWLP_USER, 0x10);
    create.hwndParent = fake;
    EXPECT_FALSE(manager->IsTabPageDialog(&create));

    // A property sheet's record: the sheet itself, then flags without a wizard.
    HWND sheet = MakeDialog();
    ASSERT_NE(sheet, nullptr);
    LONG_PTR sheetRecord[3] = {reinterpret_cast<LONG_PTR>(sheet), 0, 0};
    SetWindowLongPtrA(sheet, DWLP_USER, reinterpret_cast<LONG_PTR>(sheetRecord));
    create.hwndParent = sheet;
    EXPECT_TRUE(manager->IsTabPageDialog(&create));
    sheetRecord[2] = 0x20;  // a wizard
    EXPECT_FALSE(manager->IsTabPageDialog(&create));
    SetWindowLongPtrA(sheet, DWLP_USER, 0x10);  // a dialog's word that is no address
    EXPECT_FALSE(manager->IsTabPageDialog(&create));
    create.style = WS_CHILD;  // not a control-style dialog
    SetWindowLongPtrA(sheet, DWLP_USER, reinterpret_cast<LONG_PTR>(sheetRecord));
    sheetRecord[2] = 0;
    EXPECT_FALSE(manager->IsTabPageDialog(&create));

    DestroyWindow(sheet);
    DestroyWindow(fake);
    DestroyWindow(g_tab);
}

// Objects that count themselves; one destroys another window when told of a
// skin change.
int g_probesAlive = 0;
bool g_insideChange = false;
bool g_deletedInsideChange = false;

class CProbeSkin : public CPlymSkinObject {
  public:
    CProbeSkin() { ++g_probesAlive; }
    ~CProbeSkin() override {
        --g_probesAlive;
        g_deletedInsideChange = g_deletedInsideChange || g_insideChange;
    }
    void ApplySkinChange(BOOL, BOOL) override {
        ++changes;
        if (destroyOnChange) {
            g_insideChange = true;
            ::DestroyWindow(destroyOnChange);
            g_insideChange = false;
        }
    }
    int changes = 0;
    HWND destroyOnChange = nullptr;
};

// A window whose WM_NCDESTROY never reaches a default procedure: its skin
// object stays in the map after the window is gone.
LRESULT CALLBACK SilentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(SkinManager, ABroadcastDetachesDeadHandlesAndSurvivesObjectsLeavingDuringIt) {
    CPlymSkinManager* manager = GetPlymSkinManager();
    ASSERT_TRUE(manager->OpenSkin(kSkin, "NormalBlack.ini"));
    manager->m_autoSkinNewWindows = FALSE;
    ASSERT_EQ(manager->GetSkinObjectCount(), 0u);

    for (int i = 0; i < 5; ++i) {
        HWND dying = MakeWindow("VekSilentWindow", i == 0 ? &SilentProc : nullptr);
        manager->AttachObject(dying, new CProbeSkin, nullptr, FALSE);
        DestroyWindow(dying);
    }
    EXPECT_EQ(manager->GetSkinObjectCount(), 5u);  // stale entries

    HWND victim = MakeWindow("VekPlainWindow", &PlainProc);
    auto* victimSkin = new CProbeSkin;
    manager->AttachObject(victim, victimSkin, nullptr, FALSE);
    HWND killer = MakeWindow("VekPlainWindow");
    auto* killerSkin = new CProbeSkin;
    killerSkin->destroyOnChange = victim;
    manager->AttachObject(killer, killerSkin, nullptr, FALSE);
    ASSERT_EQ(g_probesAlive, 7);

    manager->BroadcastSkinChange(TRUE, TRUE);
    EXPECT_EQ(killerSkin->changes, 1);
    EXPECT_FALSE(IsWindow(victim));
    EXPECT_FALSE(g_deletedInsideChange);  // the walk held its own reference
    EXPECT_EQ(manager->GetSkinObjectCount(), 1u);
    EXPECT_EQ(manager->FindSkinObject(killer), killerSkin);
    EXPECT_EQ(g_probesAlive, 1);

    DestroyWindow(killer);
    EXPECT_EQ(manager->GetSkinObjectCount(), 0u);
    EXPECT_EQ(g_probesAlive, 0);
}

DWORD WINAPI MakeWindowInThread(LPVOID skinned) {
    HWND window = MakeWindow("Static");
    *static_cast<bool*>(skinned) = GetPlymSkinManager()->FindSkinObject(window) != nullptr;
    DestroyWindow(window);
    return 0;
}

bool RunThread(SIZE_T stack) {
    bool skinned = false;
    HANDLE thread = CallCreateThread(stack, &MakeWindowInThread, &skinned);
    if (!thread)
        return false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return skinned;
}

TEST(SkinManager, ThreadsStartWithACreationHookAndAThreadThatCannotStartLeavesNothing) {
    CPlymSkinManager* manager = GetPlymSkinManager();
    ASSERT_TRUE(manager->OpenSkin(kSkin, "NormalBlack.ini"));
    EXPECT_TRUE(RunThread(0));
    EXPECT_EQ(PlymPendingThreadStarts(), 0);

    // A stack no machine has: CreateThread fails and its start block is freed.
    bool skinned = false;
    EXPECT_EQ(CallCreateThread(SIZE_T(1) << 62, &MakeWindowInThread, &skinned), nullptr);
    EXPECT_EQ(PlymPendingThreadStarts(), 0);

    manager->m_skinNewThreads = FALSE;
    EXPECT_FALSE(RunThread(0));
}

// A control that destroys itself when the framework tells it that it is left.
WNDPROC g_leavingPrevious = nullptr;

LRESULT CALLBACK LeavingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PLYMHOOK_SINKREMOVED) {
        DestroyWindow(window);
        return 1;
    }
    using Fn = LRESULT(WINAPI*)(WNDPROC, HWND, UINT, WPARAM, LPARAM);
    const auto call = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(
        GetPlymSkinManagerApiHook()->GetSystemAddress(plym::kHookCallWindowProcA)));
    return call(g_leavingPrevious, window, message, wParam, lParam);
}

TEST(SkinManager, EveryObjectDetachedWhileAWindowToldOfItGoesLeavesTheOthersWindowsTheirOwn) {
    skintest::GuardedHeapScope guarded;
    CPlymSkinManager* manager = GetPlymSkinManager();
    ASSERT_TRUE(manager->OpenSkin(kSkin, "NormalBlack.ini"));
    std::vector<HWND> controls;
    for (int i = 0; i < 4; ++i) {
        controls.push_back(MakeWindow("Static"));
        ASSERT_NE(manager->FindSkinObject(controls.back()), nullptr);
        ASSERT_EQ(GetWindowLongPtrA(controls.back(), GWLP_WNDPROC),
                  reinterpret_cast<LONG_PTR>(&CPlymSkinObject::SkinWindowProc));
    }
    const HWND leaving = controls[1];
    g_leavingPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(leaving, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LeavingProc)));

    manager->DetachAllSkinObjects(TRUE);
    EXPECT_FALSE(IsWindow(leaving));
    EXPECT_EQ(manager->GetSkinObjectCount(), 0u);
    for (HWND control : controls) {
        if (control == leaving)
            continue;
        EXPECT_TRUE(IsWindow(control));
        EXPECT_NE(GetWindowLongPtrA(control, GWLP_WNDPROC),
                  reinterpret_cast<LONG_PTR>(&CPlymSkinObject::SkinWindowProc));
        DestroyWindow(control);
    }
}

}  // namespace
