// skin/core/skin_manager.h
//
// CPlymSkinManager: the one object through which the program is skinned. The
// start-up drives it with three calls and nothing else in the program calls
// it: SetHookedGroups (which groups of system functions the skin replaces),
// OpenSkin (the skin file and the INI inside it), and the skin-new-threads
// flag. From then on every window the GUI thread creates is attached to a skin
// object (skin/objects/skin_object.h) by the thread's creation hook, and the
// replaced system functions (api_hook.h) answer from the skin.
//
// It owns the current skin (the skin file and the parsed schema), the apply
// options, the window map (window handle -> skin object, one reference each,
// under the manager lock), the class map (which skin object serves which
// window class, skin_class_map.h), the colour filters, a creation hook
// (WH_CBT) per skinned thread and one process-wide window-event hook.
//
// States: not enabled (no schema, no system function replaced; windows are
// still attached while auto-skin is on) and enabled (a schema, the functions
// replaced for the current options). OpenSkin always passes through "no
// schema, nothing replaced" and ends in one of the two; a failure is FALSE
// only, and the program then runs with the system's look.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "skin/core/hook_table.h"
#include "skin/core/plym_sync.h"
#include "skin/core/read_epochs.h"
#include "skin/core/skin_class_map.h"

class CPlymSkinManagerSchema;
class CPlymSkinManagerMetrics;
class CPlymSkinManagerClass;
class CPlymSkinManagerResourceFile;
class CPlymSkinObject;
class CPlymSkinObjectClassInfo;

// Apply-option bits: each gates one group of replaced system functions.
inline constexpr DWORD kPlymHookMetrics = plym::kApplyMetrics;        // system metrics
inline constexpr DWORD kPlymHookFrames = plym::kApplyFrames;          // frames and scroll bars
inline constexpr DWORD kPlymHookColors = plym::kApplyColors;          // colours and visual styles
inline constexpr DWORD kPlymHookPopupMenus = plym::kApplyPopupMenus;  // popup menus

// A colour filter of the skin: every colour of the skin -- property colours,
// the skin's system colours and the pixels of its images -- passes through
// the manager's filters (the program adds none: colours pass unchanged).
class CPlymSkinManagerColorFilter {
  public:
    virtual ~CPlymSkinManagerColorFilter() = default;
    virtual void FilterColor(COLORREF* color) = 0;
};

class CPlymSkinManager {
  public:
    CPlymSkinManager();
    virtual ~CPlymSkinManager();
    CPlymSkinManager(const CPlymSkinManager&) = delete;
    CPlymSkinManager& operator=(const CPlymSkinManager&) = delete;

    // The theme class that `classList` (a visual-style class list such as
    // "Explorer::TreeView;TreeView") names in the object's schema, or the
    // current one for a NULL object; NULL without a schema or a known name.
    virtual CPlymSkinManagerClass* GetThemeClass(CPlymSkinObject* object, const char* classList);
    // Tells the program's windows and every skin object that the skin changed
    // (enabled before, enabled now): WM_SYSCOLORCHANGE sent to the main window
    // and posted to every top-level window of the process; ApplySkinChange on
    // each object of a live window, and stale entries of dead handles
    // detached. GUI thread only.
    virtual void BroadcastSkinChange(BOOL previous, BOOL now);
    // Attaches a new skin object to `window` as the class map says, NULL when
    // windows of the class are never skinned. An object the window already
    // has leaves it first.
    virtual CPlymSkinObject* AttachSkinObject(HWND window,
                                              const char* className,
                                              const CREATESTRUCTA* create,
                                              BOOL automatic);

    // Enters `object` (taking over the caller's reference) into the window
    // map for `window` and attaches it, after detaching an object the window
    // already has. AttachSkinObject ends here.
    void AttachObject(HWND window, CPlymSkinObject* object, const CREATESTRUCTA* create, BOOL automatic);

    // Stores the apply options; with a skin enabled the replaced functions
    // are replaced again under them and every object told.
    void SetHookedGroups(DWORD options);
    DWORD GetHookedGroups() const { return m_applyOptions; }

    // TRUE when the skin at `path` (a resource module holding `iniName`, or a
    // folder holding it as a file) is applied.
    BOOL OpenSkin(const char* path, const char* iniName);
    // Reads the skin into a new current schema; TRUE when it parsed.
    BOOL ReadSkin(const char* path, const char* iniName);
    void CloseSkinFile();
    BOOL IsEnabled() const { return m_enabled; }

    CPlymSkinManagerSchema* GetSchema() const { return m_schema.load(); }
    // Held by the replaced functions that read the skin's colours and
    // brushes, on any thread, while they use the schema: a skin change frees
    // the schema it replaces only once none of them can hold it any more.
    plym::ReadEpochs& SchemaReaders() { return m_schemaReaders; }
    CPlymSkinManagerResourceFile* GetSkinFile() const { return m_skinFile; }
    // The current schema's metrics, NULL without a schema.
    CPlymSkinManagerMetrics* GetMetrics() const;
    // A [SysMetrics] colour property (1601 .. 1631): the skin's colour, -1
    // for other ids; the system's colour without a skin.
    COLORREF GetThemeSysColor(int propertyId);
    // A [SysMetrics] boolean property of the skin, 0 when absent.
    BOOL GetThemeSysBool(int propertyId);

    BOOL HasColorFilters() const { return !m_colorFilters.empty(); }
    // Adds a filter after the others (the manager owns it). A schema's images
    // are filtered once, when first painted: a new filter reaches them with
    // the next schema.
    void AddColorFilter(std::unique_ptr<CPlymSkinManagerColorFilter> filter) {
        m_colorFilters.push_back(std::move(filter));
    }
    void RemoveColorFilters() { m_colorFilters.clear(); }
    // Through every filter, in order.
    void FilterColor(COLORREF* color);

    // The skin object of `window`, NULL when it has none.
    CPlymSkinObject* FindSkinObject(HWND window);
    // Removes the window's object from the map, lets it leave the window and
    // releases the map's reference: the references left (0: the object is
    // gone, or the window had none).
    LONG DetachSkinObject(HWND window, BOOL destroying);
    // Manager destruction: every object released, leaving its window when
    // `leaveWindows`.
    void DetachAllSkinObjects(BOOL leaveWindows);
    size_t GetSkinObjectCount();

    // Installs this thread's creation hook (once per thread).
    void InstallThreadHook();

    // Whether a dialog about to be created is a property-sheet page: a child
    // control-style dialog whose parent is a tab-page dialog's frame, or a
    // property sheet (a "#32770" with a tab control whose own record names it
    // and is no wizard).
    BOOL IsTabPageDialog(const CREATESTRUCTA* create);

    // The window-event hook's procedure: a reordered skinned window with a
    // border or scroll bars gets the frame's scroll-state timer.
    static void CALLBACK WinEventProc(HWINEVENTHOOK hook,
                                      DWORD event,
                                      HWND window,
                                      LONG objectId,
                                      LONG childId,
                                      DWORD thread,
                                      DWORD time);

    // Flags callers write directly: the creation hook attaches new windows;
    // threads started later install the creation hook too.
    BOOL m_autoSkinNewWindows = TRUE;
    BOOL m_skinNewThreads = TRUE;

    DWORD m_comCtlVersion = 0x40000;  // major << 16 | minor of COMCTL32
    BOOL m_win9x = FALSE;

  private:
    static LRESULT CALLBACK CbtHookProc(int code, WPARAM wParam, LPARAM lParam);
    // The window map's entries, each object with a reference the caller releases.
    std::vector<std::pair<HWND, CPlymSkinObject*>> SnapshotWindows();
    void ReloadAndBroadcast(BOOL previous);
    // The current schema unpublished, then released once no reader holds it.
    void ReleaseSchema();

    BOOL m_enabled = FALSE;
    std::atomic<CPlymSkinManagerSchema*> m_schema{nullptr};
    plym::ReadEpochs m_schemaReaders;
    CPlymSkinManagerResourceFile* m_skinFile = nullptr;
    DWORD m_applyOptions = kPlymHookMetrics | kPlymHookFrames | kPlymHookColors | kPlymHookPopupMenus;
    HWINEVENTHOOK m_winEventHook = nullptr;
    std::unordered_map<HWND, CPlymSkinObject*> m_windows;
    CPlymCritSec m_lock;
    using SetWinEventHookFn =
        HWINEVENTHOOK(WINAPI*)(DWORD, DWORD, HMODULE, WINEVENTPROC, DWORD, DWORD, DWORD);
    using UnhookWinEventFn = BOOL(WINAPI*)(HWINEVENTHOOK);
    SetWinEventHookFn m_setWinEventHook = nullptr;
    UnhookWinEventFn m_unhookWinEvent = nullptr;
    std::vector<std::unique_ptr<CPlymSkinManagerColorFilter>> m_colorFilters;
    plym::SkinClassMap m_classNames;
    std::vector<CPlymSkinObjectClassInfo*> m_classInfos;  // one per class-map entry
};

// The manager, made on the first call; never deleted by the program.
CPlymSkinManager* GetPlymSkinManager();
