// skin/core/color_table.h
//
// The colour manager's palette without the system behind it: the system
// colours 1 .. 29, the derived colours 30 .. 62 computed from them by fixed
// blends and contrast corrections, per-index overrides, the ten gradients,
// and the classification of the system's visual style. The Windows colour
// manager (color_manager.h) feeds it from GetSysColor and the visual-style
// functions.
//
// Contrast is measured in a weighted RGB space: a colour (r, g, b) is the
// point (r * 195/255, g * 390/255, b * 65/255), and the threshold of a
// reference colour a grows towards black: (2 - min(|a|, 220) / 220) * d.
// These operations compute in single-precision floating point.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "skin/core/plym_types.h"
#include "winlib/archive.h"

namespace plym {

inline constexpr int kColorTableSize = 63;
inline constexpr int kGradientCount = 10;

struct PaintColor {
    Color color = kNoColor;
    Color defaultColor = kNoColor;

    // The colour, then the default colour, 32 bits each.
    void Serialize(CArchive& ar);
};

struct ColorGradient {
    PaintColor start;
    PaintColor end;
    float factor = 0.5f;

    // The start colour, the end colour, then the factor as a 32-bit float.
    void Serialize(CArchive& ar);
};

// What RefreshColors reads from outside.
struct ColorSources {
    std::function<Color(int)> sysColor;  // GetSysColor, or the program's own source
    bool lowColor = false;               // 1 to 8 bits per pixel
    int detectedTheme = 0;               // DetectSystemTheme
    bool hasTreeViewBorder = false;      // the TREEVIEW class's BORDERCOLOR
    Color treeViewBorder = 0;
};

// What DetectSystemTheme reads from the visual-style functions (names in any
// case; only ASCII matters).
struct ThemeProbe {
    bool themeActive = false;
    bool lowColor = false;
    bool namesOk = false;  // GetCurrentThemeName succeeded
    std::string fileName;
    std::string colorName;
};

// 0 none, 1 .. 3 the XP "luna" colours (normal, homestead, metallic), 4
// royale, 5 aero.
int DetectSystemTheme(const ThemeProbe& probe, bool detectRoyale, bool detectAero);

class ColorTable {
  public:
    ColorTable();

    // n above 62 is a colour given as is and comes back unchanged; else the
    // override of n when set, else entry n.
    Color GetColor(uint32_t n) const;
    void SetOverride(int n, Color color);        // kNoColor clears it
    const ColorGradient& Gradient(int n) const;  // 1 .. 10

    void RefreshColors(const ColorSources& sources);
    void SetGradients(bool lowColor);
    // The theme setting, except that settings 6 and 7 mean the detected theme.
    int GetCurrentTheme() const;

    // Per byte (a * p + b * (base - p) + base / 2) / base, base 100 below
    // p = 100 (percent), else 1000 (per mille).
    static Color BlendColors(Color a, Color b, int p);
    // True when a and b lie further apart than the (adapted) threshold d.
    static bool IsContrastEnough(Color a, Color b, bool adaptive, int d);
    // b moved away from a, from black or from white, to the adapted distance d.
    static Color EnsureContrast(Color a, Color b, int d);
    // b pulled towards a to the adapted distance d (only when further).
    static Color LimitContrast(Color a, Color b, int d);

    bool themeColorsOff = false;
    bool detectRoyale = true;
    bool detectAero = true;
    int themeSetting = 6;
    int detectedTheme = 0;

  private:
    Color Blend(int a, int b, int p) const { return BlendColors(colors_[a], colors_[b], p); }
    void SetGradient(int n, Color start, Color end, float factor);

    Color colors_[kColorTableSize] = {};
    Color overrides_[kColorTableSize];
    ColorGradient gradients_[kGradientCount];
};

}  // namespace plym
