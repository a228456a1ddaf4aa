// skin/core/color_manager.h
//
// CPlymColorManager: the palette that drawing outside the skin images uses
// (plym::ColorTable) fed from the system: the system colours (the skin's
// while the skin replaces GetSysColor), the display's colour depth, the
// system's visual style and the TREEVIEW border colour. The skin manager
// refreshes it after every skin change.
#pragma once

#include <windows.h>

#include "skin/core/color_table.h"

class CPlymColorManager : public plym::ColorTable {
  public:
    CPlymColorManager();  // ends with a refresh

    void RefreshColors();
    // 0 none, 1 .. 3 the XP "luna" colours, 4 royale, 5 aero.
    int DetectSystemTheme();
    // 1 to 8 bits per pixel on the DC, or on the desktop window's DC for NULL.
    static BOOL IsLowColorDisplay(HDC dc);

    // Replaces GetSysColor when set; NULL in this program.
    COLORREF(WINAPI* m_sysColorSource)(int) = nullptr;
};

// The program's colour manager, made (and refreshed) on first use.
CPlymColorManager* GetPlymColorManager();
