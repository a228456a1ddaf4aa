// skin/core/hook_table.h
//
// The system functions the skin replaces in every module's import table:
// 46 hook ids, each with its module, its name and the apply-option bit that
// must be set for it to be installed (0: always), and the order in which
// HookAll installs them. And the small rules of the replacements that need
// no system: the visual-style library's pseudo handle and names, the colour
// name of the skin, the theme class a class list names. Portable; the hook
// engine (api_hook.h) does the patching.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plym {

inline constexpr int kHookCount = 46;

enum HookId {
    kHookLoadLibraryA = 0,
    kHookLoadLibraryW = 1,
    kHookLoadLibraryExA = 2,
    kHookLoadLibraryExW = 3,
    kHookGetProcAddress = 4,
    kHookGetModuleHandleA = 5,
    kHookRegisterClassA = 6,
    kHookRegisterClassW = 7,
    kHookGetSysColor = 8,
    kHookGetSysColorBrush = 9,
    kHookDrawEdge = 10,
    kHookDrawFrameControl = 11,
    kHookSetScrollInfo = 12,
    kHookSetScrollPos = 13,
    kHookGetScrollInfo = 14,
    kHookEnableScrollBar = 15,
    kHookOpenThemeData = 16,
    kHookDrawThemeBackground = 17,
    kHookCloseThemeData = 18,
    kHookGetThemeColor = 19,
    kHookGetThemeInt = 20,
    kHookIsAppThemed = 21,
    kHookIsThemeActive = 22,
    kHookGetCurrentThemeName = 23,
    kHookGetThemeSysBool = 24,
    kHookGetThemeSysColor = 25,
    kHookGetThemePartSize = 26,
    kHookSystemParametersInfoA = 27,
    kHookDefWindowProcA = 28,
    kHookDefWindowProcW = 29,
    kHookDefMDIChildProcA = 30,
    kHookDefMDIChildProcW = 31,
    kHookDefFrameProcA = 32,
    kHookDefFrameProcW = 33,
    kHookDefDlgProcA = 34,
    kHookDefDlgProcW = 35,
    kHookCallWindowProcA = 36,
    kHookCallWindowProcW = 37,
    kHookCreateThread = 38,
    kHookFillRect = 39,
    kHookDeleteObject = 40,
    kHookAdjustWindowRectEx = 41,
    kHookGetSystemMetrics = 42,
    kHookTrackPopupMenu = 43,
    kHookTrackPopupMenuEx = 44,
    kHookDrawMenuBar = 45,
};

// Apply-option bits: each gates one group of replaced functions.
inline constexpr uint32_t kApplyMetrics = 1;     // system metrics
inline constexpr uint32_t kApplyFrames = 2;      // frames and scroll bars
inline constexpr uint32_t kApplyColors = 4;      // colours and visual styles
inline constexpr uint32_t kApplyPopupMenus = 8;  // popup menus

struct HookRow {
    int id;
    const char* module;  // upper case, as the import tables are matched
    const char* function;
    uint32_t gate;  // the apply-option bit that must be set; 0: always
};

// The row of a hook id; NULL for an id outside 0 .. 45.
const HookRow* FindHookRow(int id);
bool HookGateOpen(int id, uint32_t options);
// The ids HookAll installs under `options`, in its order: the library and
// thread functions and class registration, then the colour and visual-style
// group, the frame and scroll-bar group, the metrics group, the popup-menu
// group, and the default window procedures last.
std::vector<int> HookAllOrder(uint32_t options);

// The visual-style library's pseudo module handle: GetModuleHandleA hands it
// out while the skin serves colours and visual styles, and GetProcAddress
// answers it from the hook table.
inline constexpr uintptr_t kUxThemePseudoHandle = 0x21FFFF1;
inline constexpr const char* kUxThemeModule = "UXTHEME.DLL";

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// The file part of a module path ("C:\\windows\\system32\\uxtheme.dll" ->
// "uxtheme.dll").
std::string_view ModuleFilePart(std::string_view path);

// The colour-scheme name GetCurrentThemeName reports for the skin's INI name:
// the name upper-cased, except "metallic" when "METALLIC" follows its first
// character, "normalcolor" for a BLUE scheme and "homestead" for a HOMESTEAD
// one (the scheme is the name up to its first '.', so "Blue.ini" is BLUE).
std::string ThemeColorName(std::string_view iniName);

// The theme class a visual-style class list asks for: the list is upper-cased
// and split at ';', a name loses what precedes a "::" in it ("EXPLORER::TREEVIEW"
// is TREEVIEW), and the first name that is a class of the skin schema wins.
// Empty when none is.
std::string ChooseThemeClassName(std::string_view classList);

// System colour indexes the skin answers: GetSysColor 0 .. 30; brushes (and
// FillRect's colour brushes, index + 1) 1 .. 30.
inline bool IsSkinColorIndex(int n) {
    return n >= 0 && n <= 30;
}
inline bool IsSkinBrushIndex(int n) {
    return n >= 1 && n <= 30;
}

}  // namespace plym
