// skin/core/skin_manager.h
//
// CPlymSkinManager: the one object through which the program is skinned. The
// start-up drives it with three calls and nothing else in the program calls
// it: SetHookedGroups (which groups of system functions the skin replaces),
// OpenSkin (the skin file and the INI inside it), and the skin-new-threads
// flag.
//
// This is the manager's start-up face only. The skin file is not read yet:
// OpenSkin loads nothing and reports failure, exactly as the manager does
// when the skin file is missing, so the program runs with the system's look.
// The window map, the creation hook, the schema and the replaced system
// functions come with the rest of the framework and fill this class in.
#pragma once

#include <windows.h>

// Apply-option bits: each gates one group of replaced system functions.
inline constexpr DWORD kPlymHookMetrics = 1;     // system metrics
inline constexpr DWORD kPlymHookFrames = 2;      // frames and scroll bars
inline constexpr DWORD kPlymHookColors = 4;      // colours and visual styles
inline constexpr DWORD kPlymHookPopupMenus = 8;  // popup menus

class CPlymSkinManager {
  public:
    CPlymSkinManager() = default;
    virtual ~CPlymSkinManager() = default;
    CPlymSkinManager(const CPlymSkinManager&) = delete;
    CPlymSkinManager& operator=(const CPlymSkinManager&) = delete;

    // Stores the apply options; with no skin enabled that is all it does.
    void SetHookedGroups(DWORD options);
    DWORD GetHookedGroups() const { return m_applyOptions; }

    // TRUE when the skin at `path` (a resource module holding `iniName`) is
    // applied; FALSE leaves the manager not enabled and the system's look.
    BOOL OpenSkin(const char* path, const char* iniName);
    BOOL IsEnabled() const { return m_enabled; }

    // Flags callers write directly: the creation hook attaches new windows;
    // threads started later install the creation hook too.
    BOOL m_autoSkinNewWindows = TRUE;
    BOOL m_skinNewThreads = TRUE;

  private:
    BOOL m_enabled = FALSE;
    DWORD m_applyOptions = kPlymHookMetrics | kPlymHookFrames | kPlymHookColors | kPlymHookPopupMenus;
};

// The manager, made on the first call; never deleted.
CPlymSkinManager* GetPlymSkinManager();
