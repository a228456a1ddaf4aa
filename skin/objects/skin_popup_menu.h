// skin/objects/skin_popup_menu.h
//
// The skin's own menus (apply option 8): every open menu level is a
// CPlymSkinPopupMenu window of the class "PlymSkinManagerMenu" (the skin
// never attaches to it), and one CPlymSkinMenuTracker per tracking run drives
// a modal loop over them with the mouse, the keyboard, the open and close
// timers, the owner's notifications and the menu sounds. The menu bar of an
// application frame (skin_application_frame.h) is a CPlymSkinPopupMenu too,
// without a window: its items lie in the frame window's coordinates. The
// menus' contents stay the system's (HMENU); only display and tracking are the
// skin's. The system menu beside a bar, or in place of a window's missing
// bar, is a one-item bar of its own at the caption icon; the arrows past the
// bar's ends, a press on it and a drag onto it pass the run between the two.
//
// Everything runs on the owner window's thread inside the loop; a WM_QUIT met
// there is posted again and ends the run, and a press that lands on a menu is
// always taken from the queue.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/objects/menu_layout.h"
#include "winlib/wnd.h"

class CPlymSkinPopupMenu;
class CPlymSkinMenuTracker;
class CPlymSkinManagerSchema;

// One item of a menu; its facts are read from the menu each time.
class CPlymSkinPopupMenuItem {
  public:
    RECT m_rect{};  // popup: client coordinates; bar: the frame window's
    int m_index = 0;
    HMENU m_menu = nullptr;
    CPlymSkinPopupMenu* m_popup = nullptr;

    UINT GetState() const;
    UINT GetId() const;
    UINT GetType() const;
    // A system-menu bar's single item opens the system menu itself.
    HMENU GetSubMenu() const;
    ULONG_PTR GetItemData() const;
    HBITMAP GetBitmap() const;
    // At most 256 characters.
    std::string GetText() const;
    BOOL IsEnabled() const { return !(GetState() & (MF_GRAYED | MF_DISABLED)); }
    BOOL IsSeparator() const { return (GetType() & MF_SEPARATOR) != 0; }
    BOOL IsOwnerDraw() const { return (GetType() & MFT_OWNERDRAW) != 0; }
    BOOL IsDefault() const { return (GetState() & MFS_DEFAULT) != 0; }
    // A maximized MDI child's buttons and icon on a menu bar.
    BOOL IsMdiButton() const;
    BOOL IsMdiIcon() const;
    // The one item of a system-menu bar (the caption icon): it reads none of
    // the system menu's item facts; it is an enabled item without text.
    BOOL IsSystemMenuBarItem() const;

  private:
    BOOL Read(UINT mask, MENUITEMINFOA* info, char* text = nullptr, UINT size = 0) const;
};

class CPlymSkinPopupMenu : public CWnd {
  public:
    CPlymSkinPopupMenu(HMENU menu, HWND owner, BOOL menuBar);
    ~CPlymSkinPopupMenu() override;

    LONG AddRef() { return InternalAddRef(); }
    LONG Release() { return InternalRelease(); }

    // A new menu (NULL clears it); the items are rebuilt.
    void SetMenu(HMENU menu);
    HMENU GetMenuHandle() const { return m_menu; }
    // Rebuilds the item list when the menu's item count differs from it.
    void RefreshItems();
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    CPlymSkinPopupMenuItem* GetItem(int index) const;
    // An item by a valid index.
    CPlymSkinPopupMenuItem& ItemAt(int index) const { return *m_items[static_cast<size_t>(index)]; }

    // The menu window (hidden, 100 x 100 at 0, 0); FALSE when it cannot be made.
    BOOL CreateMenuWindow();
    // Lays the items out (the owner measures owner-drawn ones); the size.
    SIZE Measure();
    // Shown topmost without activation at `origin` (screen).
    void ShowAt(POINT origin, SIZE size);
    // The themed look: the skin gives popups a border and nothing is owner-drawn.
    BOOL IsThemed() const;
    // The item under a screen point, -1 when none.
    int ItemFromPoint(POINT screen) const;
    // An item's rectangle on the screen.
    RECT ItemScreenRect(int index) const;
    void Redraw();
    // Draws the popup (WM_PAINT).
    void PaintMenu(HDC dc);

    std::vector<std::unique_ptr<CPlymSkinPopupMenuItem>> m_items;
    HMENU m_menu = nullptr;
    BOOL m_menuBar = FALSE;
    BOOL m_systemMenu = FALSE;
    BOOL m_clickToggles = FALSE;
    BOOL m_barPopupOpen = FALSE;
    BOOL m_closePending = FALSE;
    BOOL m_initialised = FALSE;
    BOOL m_dropLeft = FALSE;
    HWND m_owner = nullptr;
    CPlymSkinMenuTracker* m_tracker = nullptr;
    UINT_PTR m_closeTimer = 0;
    UINT_PTR m_openTimer = 0;
    CPlymSkinPopupMenu* m_child = nullptr;
    CPlymSkinPopupMenu* m_parent = nullptr;
    int m_selected = -1;
    int m_expanded = -1;

    static constexpr UINT_PTR kOpenTimer = 2764;
    static constexpr UINT_PTR kCloseTimer = 2747;
    static constexpr const char* kClassName = "PlymSkinManagerMenu";

  protected:
    void OnPaint();
    DECLARE_MESSAGE_MAP()

  private:
    CPlymSkinManagerSchema* Schema() const;
    void DrawItem(HDC dc, int index, BOOL themed);
};

// One tracking run.
class CPlymSkinMenuTracker {
  public:
    explicit CPlymSkinMenuTracker(HWND owner);
    ~CPlymSkinMenuTracker();
    CPlymSkinMenuTracker(const CPlymSkinMenuTracker&) = delete;
    CPlymSkinMenuTracker& operator=(const CPlymSkinMenuTracker&) = delete;

    // A context menu tracked to its end (TrackSkinnedPopupMenu).
    UINT_PTR TrackPopup(HMENU menu, UINT flags, int x, int y);
    // A menu bar's run: by the mouse at a screen point (SC_MOUSEMENU) or by
    // the keyboard with a character (SC_KEYMENU; 0 selects the first item).
    // `bar` is the frame's bar popup; `systemMenu` stands beside it.
    void TrackBarByMouse(CPlymSkinPopupMenu* bar, CPlymSkinPopupMenu* systemMenu, POINT point);
    void TrackBarByKey(CPlymSkinPopupMenu* bar, CPlymSkinPopupMenu* systemMenu, UINT character);

    // Popup operations the loop and the handlers use.
    void SelectItem(CPlymSkinPopupMenu* popup, int index);
    void ShowSubPopup(CPlymSkinPopupMenu* popup);
    void HideSubPopups(CPlymSkinPopupMenu* popup);
    void Execute(CPlymSkinPopupMenu* popup, int index);
    void EndTracking();
    CPlymSkinPopupMenu* Innermost() const;

    BOOL m_keyboard = FALSE;
    BOOL m_buttonDown = FALSE;
    BOOL m_inLoop = FALSE;
    BOOL m_exitDone = FALSE;
    HWND m_capture = nullptr;
    CPlymSkinPopupMenu* m_root = nullptr;
    CPlymSkinPopupMenu* m_other = nullptr;
    BOOL m_notifyByPos = FALSE;
    BOOL m_noNotify = FALSE;
    POINT m_lastMouse{-32768, -32768};
    BOOL m_initialised = FALSE;
    BOOL m_rightButton = FALSE;
    BOOL m_hasCommand = FALSE;
    UINT m_commandMessage = 0;
    WPARAM m_commandWParam = 0;
    LPARAM m_commandLParam = 0;
    UINT m_chosenId = 0;
    BOOL m_returnCommand = FALSE;
    BOOL m_buttonDownAtOpen = FALSE;
    BOOL m_mouseStarted = FALSE;
    UINT m_showDelay = 400;
    CPlymSkinManagerSchema* m_schema = nullptr;
    HWND m_owner;

  private:
    void Notify(UINT message, WPARAM wParam, LPARAM lParam);
    void InitTracking(BOOL keyboard);
    // A menu bar's run: `bar` is the bar or the system menu standing for it,
    // `systemMenu` the system menu beside a bar (or NULL).
    void BeginBarRun(CPlymSkinPopupMenu* bar, CPlymSkinPopupMenu* systemMenu);
    // The bar and the system menu beside it change places; a popup open on
    // the one counts as open for the other.
    void SwitchToOther();
    // The arrow keys past the bar's ends.
    void CrossBarEnd(int step);
    // Alt+Space: the system menu's item selected and its menu opened.
    void OpenSystemMenuByKey();
    // A character no bar item matched, tried on the menu beside the bar.
    BOOL TryOtherPopupByKey(UINT character);
    static plym::MenuKeyResult FindItemByKey(const CPlymSkinPopupMenu* popup, UINT character);
    void RunLoop();
    // TRUE when the message was handled (a press may have been taken off the queue).
    BOOL HandleMessage(const MSG& msg, BOOL* removed);
    BOOL OnMouseMove(POINT point);
    BOOL OnButtonDown(const MSG& msg, BOOL right, BOOL* removed);
    BOOL OnButtonUp(POINT point);
    BOOL OnDoubleClick(POINT point);
    void OnKey(UINT key);
    void OnChar(UINT character);
    // The menu and item under a screen point: the innermost popup first.
    CPlymSkinPopupMenu* HitMenu(POINT point, int* index) const;
    void PressItem(CPlymSkinPopupMenu* popup, int index);
    void EnterItem(CPlymSkinPopupMenu* popup, int index);
    void MoveSelection(CPlymSkinPopupMenu* popup, int step);
    void MoveAlongBar(int step);
    void SendMenuSelect(CPlymSkinPopupMenu* popup);
    void FinishTracking();
};

// Shows a popup menu and tracks it to its end: 0 when the owner or menu is
// missing, the menu has no items, or its window cannot be made; with
// TPM_RETURNCMD the chosen id (0 for none); else TRUE. 0x200 in `flags`
// marks a system menu.
BOOL TrackSkinnedPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner, const RECT* exclude);
