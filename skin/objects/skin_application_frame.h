// skin/objects/skin_application_frame.h
//
// CPlymSkinObjectApplicationFrame: the frame the skin manager attaches to
// every window whose class the class map does not name (dialog boxes and the
// program's own windows among them). Beside the frame's work it lays out,
// draws and hot-tracks the window's menu bar in the skinned non-client area,
// under the caption; with apply option 8 it opens the bar, the system menu and
// the MDI buttons through the skin's menus (skin_popup_menu.h) and shows the
// system menu on a right click on the caption.
//
// A window has a menu bar when it is not a child and GetMenu gives a menu
// with at least one item. The bar popup is made with the frame and kept for
// its life; it holds the window's menu only from one layout to the next.
// Beside the bar the system menu is a one-item bar of its own, at the caption
// icon; a window without a bar lends its bar popup to the system menu for a
// keyboard or mouse run (Alt alone selects the caption icon's item).
#pragma once

#include <windows.h>

#include "skin/objects/skin_frame.h"

class CPlymSkinPopupMenu;

class CPlymSkinObjectApplicationFrame : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectApplicationFrame)

  public:
    CPlymSkinObjectApplicationFrame();
    ~CPlymSkinObjectApplicationFrame() override;

    void RefreshMenuBar() override;
    void PaintNonClient(HDC dc) override;
    BOOL HandleSysCommand(UINT command, LPARAM lParam) override;
    BOOL UpdateHotState(int x, int y) override;
    int HitTest(int x, int y) override;

    BOOL HasMenuBar() const;
    // The bar in window coordinates; empty without one.
    const RECT& GetMenuBarRect() const { return m_menuBarRect; }
    CPlymSkinPopupMenu* GetBarPopup() const { return m_barPopup; }
    // Draws the bar alone (a hot or selected item changed).
    void RedrawMenuBar();

  protected:
    BOOL OnNcCalcSizeMsg(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnContextMenuMsg(WPARAM wParam, LPARAM lParam, LRESULT* result);

  private:
    // Rebuilds the bar's items from the window's menu and places them in the
    // bar rectangle, whose bottom it sets.
    void LayoutMenuBar();
    void ClearMenuBar();
    // Makes `popup` the system menu's one-item bar at the caption icon;
    // FALSE when the window has no system menu.
    BOOL MakeSystemMenuBar(CPlymSkinPopupMenu* popup);
    void PaintMenuBar(HDC dc);

    RECT m_menuBarRect{};
    CPlymSkinPopupMenu* m_barPopup = nullptr;

    DECLARE_MESSAGE_MAP()
};
