// controls/my_menu.h
//
// CMyMenu: the owner-drawn popup menu of the play list: dark items with a
// side strip, a check mark, white Arial text and a framed highlight.
//
// Each owner-drawn item's data is the address of a MyMenuItem (which the
// owner keeps while the menu is up). Our class layer has no menu class, so
// CMyMenu holds the menu handle itself, and the owner window passes its
// WM_MEASUREITEM / WM_DRAWITEM for menus (ODT_MENU) to MeasureItem and
// DrawItem.
#pragma once

#include <cstdint>

#include "winlib/winlib.h"

// Item types: separator, text item, and the two hidden kinds.
struct MyMenuItem {
    uintptr_t reserved = 0;
    CString text;
    uint32_t type = 1;  // 0 separator, 1 text, 0xFFFFFFFE / 0xFFFFFFFF hidden
};

class CMyMenu {
  public:
    CMyMenu(int itemWidth, int itemHeight);
    virtual ~CMyMenu();
    CMyMenu(const CMyMenu&) = delete;
    CMyMenu& operator=(const CMyMenu&) = delete;

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }  // NOLINT

    BOOL CreatePopupMenu();
    BOOL DestroyMenu();
    // An owner-drawn item for `item` (kept by the caller); `flags` may add
    // MF_CHECKED, MF_GRAYED.
    BOOL AppendItem(UINT flags, UINT_PTR id, MyMenuItem* item);
    // TPM_* flags; with TPM_RETURNCMD the chosen id, else non-zero on success.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner);

    virtual void MeasureItem(LPMEASUREITEMSTRUCT measure);
    virtual void DrawItem(LPDRAWITEMSTRUCT draw);

  private:
    HBITMAP m_side = nullptr;   // 18x128 strip down the left
    HBITMAP m_check = nullptr;  // 14x14
    int m_itemWidth;
    int m_itemHeight;
};
