// skin/core/color_manager.cpp
#include "skin/core/color_manager.h"

#include <string>

#include "skin/core/win_theme_wrapper.h"

namespace {

constexpr int kThemeNameChars = 260;
constexpr int kBorderColorProperty = 3801;

// The ASCII of a wide name; other characters become '?'.
std::string Narrow(const WCHAR* text) {
    std::string out;
    for (; *text; ++text)
        out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return out;
}

}  // namespace

CPlymColorManager::CPlymColorManager() {
    RefreshColors();
}

BOOL CPlymColorManager::IsLowColorDisplay(HDC dc) {
    HWND desktop = nullptr;
    if (!dc) {
        desktop = GetDesktopWindow();
        dc = GetDC(desktop);
        if (!dc)
            return FALSE;
    }
    const int bits = GetDeviceCaps(dc, BITSPIXEL);
    if (desktop)
        ReleaseDC(desktop, dc);
    return bits >= 1 && bits <= 8;
}

int CPlymColorManager::DetectSystemTheme() {
    CPlymWinThemeWrapper themes(1);
    plym::ThemeProbe probe;
    probe.themeActive = themes.IsAppThemed() && themes.IsThemeActive();
    probe.lowColor = IsLowColorDisplay(nullptr) != FALSE;
    if (probe.themeActive && !probe.lowColor) {
        WCHAR file[kThemeNameChars];
        WCHAR color[kThemeNameChars];
        WCHAR size[kThemeNameChars];
        probe.namesOk = SUCCEEDED(
            themes.GetCurrentThemeName(file, kThemeNameChars, color, kThemeNameChars, size, kThemeNameChars));
        probe.fileName = Narrow(file);
        probe.colorName = Narrow(color);
    }
    return plym::DetectSystemTheme(probe, detectRoyale, detectAero);
}

void CPlymColorManager::RefreshColors() {
    plym::ColorSources sources;
    const auto source = m_sysColorSource;
    sources.sysColor = [source](int n) -> plym::Color { return source ? source(n) : GetSysColor(n); };
    sources.detectedTheme = DetectSystemTheme();
    sources.lowColor = IsLowColorDisplay(nullptr) != FALSE;
    if (!sources.lowColor) {
        CPlymWinThemeWrapper tree(1);
        COLORREF border = 0;
        if (tree.OpenThemeData(nullptr, L"TREEVIEW") &&
            SUCCEEDED(tree.GetThemeColor(0, 0, kBorderColorProperty, &border))) {
            sources.hasTreeViewBorder = true;
            sources.treeViewBorder = border;
        }
    }
    plym::ColorTable::RefreshColors(sources);
}

CPlymColorManager* GetPlymColorManager() {
    static CPlymColorManager manager;
    return &manager;
}
