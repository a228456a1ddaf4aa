// skin/core/hook_table.cpp
#include "skin/core/hook_table.h"

#include <array>

#include "skin/core/schema_names.h"
#include "skin/core/skin_class_map.h"

namespace plym {

namespace {

constexpr const char* kKernel = "KERNEL32.DLL";
constexpr const char* kUser = "USER32.DLL";
constexpr const char* kGdi = "GDI32.DLL";

constexpr std::array<HookRow, kHookCount> kRows = {{
    {kHookLoadLibraryA, kKernel, "LoadLibraryA", 0},
    {kHookLoadLibraryW, kKernel, "LoadLibraryW", 0},
    {kHookLoadLibraryExA, kKernel, "LoadLibraryExA", 0},
    {kHookLoadLibraryExW, kKernel, "LoadLibraryExW", 0},
    {kHookGetProcAddress, kKernel, "GetProcAddress", 0},
    {kHookGetModuleHandleA, kKernel, "GetModuleHandleA", 0},
    {kHookRegisterClassA, kUser, "RegisterClassA", 0},
    {kHookRegisterClassW, kUser, "RegisterClassW", 0},
    {kHookGetSysColor, kUser, "GetSysColor", kApplyColors},
    {kHookGetSysColorBrush, kUser, "GetSysColorBrush", kApplyColors},
    {kHookDrawEdge, kUser, "DrawEdge", kApplyColors},
    {kHookDrawFrameControl, kUser, "DrawFrameControl", kApplyColors},
    {kHookSetScrollInfo, kUser, "SetScrollInfo", kApplyFrames},
    {kHookSetScrollPos, kUser, "SetScrollPos", kApplyFrames},
    {kHookGetScrollInfo, kUser, "GetScrollInfo", kApplyFrames},
    {kHookEnableScrollBar, kUser, "EnableScrollBar", kApplyFrames},
    {kHookOpenThemeData, kUxThemeModule, "OpenThemeData", kApplyColors},
    {kHookDrawThemeBackground, kUxThemeModule, "DrawThemeBackground", kApplyColors},
    {kHookCloseThemeData, kUxThemeModule, "CloseThemeData", kApplyColors},
    {kHookGetThemeColor, kUxThemeModule, "GetThemeColor", kApplyColors},
    {kHookGetThemeInt, kUxThemeModule, "GetThemeInt", kApplyColors},
    {kHookIsAppThemed, kUxThemeModule, "IsAppThemed", kApplyColors},
    {kHookIsThemeActive, kUxThemeModule, "IsThemeActive", kApplyColors},
    {kHookGetCurrentThemeName, kUxThemeModule, "GetCurrentThemeName", kApplyColors},
    {kHookGetThemeSysBool, kUxThemeModule, "GetThemeSysBool", kApplyColors},
    {kHookGetThemeSysColor, kUxThemeModule, "GetThemeSysColor", kApplyColors},
    {kHookGetThemePartSize, kUxThemeModule, "GetThemePartSize", kApplyColors},
    {kHookSystemParametersInfoA, kUser, "SystemParametersInfoA", kApplyMetrics},
    {kHookDefWindowProcA, kUser, "DefWindowProcA", 0},
    {kHookDefWindowProcW, kUser, "DefWindowProcW", 0},
    {kHookDefMDIChildProcA, kUser, "DefMDIChildProcA", 0},
    {kHookDefMDIChildProcW, kUser, "DefMDIChildProcW", 0},
    {kHookDefFrameProcA, kUser, "DefFrameProcA", 0},
    {kHookDefFrameProcW, kUser, "DefFrameProcW", 0},
    {kHookDefDlgProcA, kUser, "DefDlgProcA", 0},
    {kHookDefDlgProcW, kUser, "DefDlgProcW", 0},
    {kHookCallWindowProcA, kUser, "CallWindowProcA", 0},
    {kHookCallWindowProcW, kUser, "CallWindowProcW", 0},
    {kHookCreateThread, kKernel, "CreateThread", 0},
    {kHookFillRect, kUser, "FillRect", kApplyColors},
    {kHookDeleteObject, kGdi, "DeleteObject", kApplyColors},
    {kHookAdjustWindowRectEx, kUser, "AdjustWindowRectEx", kApplyMetrics},
    {kHookGetSystemMetrics, kUser, "GetSystemMetrics", kApplyMetrics},
    {kHookTrackPopupMenu, kUser, "TrackPopupMenu", kApplyPopupMenus},
    {kHookTrackPopupMenuEx, kUser, "TrackPopupMenuEx", kApplyPopupMenus},
    {kHookDrawMenuBar, kUser, "DrawMenuBar", kApplyFrames},
}};

// HookAll's order, every id once.
constexpr int kOrder[kHookCount] = {
    0,  1,  2,  3,  4,  5,  38, 6,  7,                                   // always
    8,  9,  10, 39, 40, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 11,  // colours
    12, 13, 14, 15, 45,                                                  // frames
    27, 41, 42,                                                          // metrics
    43, 44,                                                              // popup menus
    28, 29, 32, 33, 34, 35, 30, 31, 36, 37,                              // default procedures
};

}  // namespace

const HookRow* FindHookRow(int id) {
    return id >= 0 && id < kHookCount ? &kRows[static_cast<size_t>(id)] : nullptr;
}

bool HookGateOpen(int id, uint32_t options) {
    const HookRow* row = FindHookRow(id);
    return row && (row->gate == 0 || (options & row->gate) != 0);
}

std::vector<int> HookAllOrder(uint32_t options) {
    std::vector<int> order;
    for (int id : kOrder) {
        if (HookGateOpen(id, options))
            order.push_back(id);
    }
    return order;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpperAscii(a) == UpperAscii(b);
}

std::string_view ModuleFilePart(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string ThemeColorName(std::string_view iniName) {
    const std::string upper = UpperAscii(iniName);
    const std::string scheme = upper.substr(0, upper.find('.'));
    if (upper.size() > 1 && upper.find("METALLIC", 1) != std::string::npos)
        return "metallic";
    if (scheme == "BLUE")
        return "normalcolor";
    if (scheme == "HOMESTEAD")
        return "homestead";
    return upper;
}

std::string ChooseThemeClassName(std::string_view classList) {
    const std::string list = UpperAscii(classList);
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string name = list.substr(start, end - start);
        if (const size_t scope = name.rfind("::"); scope != std::string::npos)
            name.erase(0, scope + 2);
        const size_t first = name.find_first_not_of(' ');
        const size_t last = name.find_last_not_of(' ');
        name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
        if (!name.empty() && GetSchemaClassCode(name) != 0)
            return name;
        start = end + 1;
    }
    return std::string();
}

}  // namespace plym
