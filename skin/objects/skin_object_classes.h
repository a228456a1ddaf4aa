// skin/objects/skin_object_classes.h
//
// The skin objects the skin manager's class map names (skin/core/
// skin_class_map.h), each with the theme class it draws with. Every one is a
// window frame: CPlymSkinObjectFrame draws a window's non-client area (its
// borders, caption, caption buttons and own scroll bars), and the control
// skins paint the controls' faces.
//
// So far these classes are the framework's seams: each is attached to the
// windows of its classes and routes their messages, but none draws yet --
// the frame's non-client drawing and the control skins fill them in. Until
// then IsNonClientSkinned is FALSE, and the replaced scroll-bar and menu-bar
// functions (skin/core/api_hook.h) leave those parts to the system, as do the
// popup menus (TrackSkinnedPopupMenu).
#pragma once

#include <windows.h>

#include "skin/objects/skin_object.h"

class CPlymSkinObjectFrame : public CPlymSkinObject {
    DECLARE_DYNCREATE(CPlymSkinObjectFrame)

  public:
    // Dialog kinds: 1 any window, 2 a dialog box, 6 a dialog on a tab page.
    static constexpr int kNotDialog = 1;
    static constexpr int kDialog = 2;
    static constexpr int kTabPageDialog = 6;

    CPlymSkinObjectFrame() = default;

    int GetDialogKind() const { return m_dialogKind; }
    void SetDialogKind(int kind) { m_dialogKind = kind; }

    // Whether the skin draws this window's non-client area, scroll bars and
    // menu bar itself. FALSE until the frame's drawing is built.
    virtual BOOL IsNonClientSkinned() const { return FALSE; }
    // Redraws the window's own scroll bar (0 horizontal, 1 vertical).
    virtual void RepaintScrollBar(int /*bar*/) {}
    // The thumb position of a drag of that bar under way; FALSE when none.
    virtual BOOL GetScrollTrackPos(int /*bar*/, int* /*position*/) { return FALSE; }
    // Redraws the menu bar.
    virtual void OnDrawMenuBar() {}

    // The timer procedure the window-event hook sets (timer 2765, 1000 ms)
    // on reordered skinned windows with borders or scroll bars.
    static void CALLBACK ScrollStateTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
    static constexpr UINT_PTR kScrollStateTimer = 2765;

  private:
    int m_dialogKind = kNotDialog;
};

// Every window class the class map does not name.
class CPlymSkinObjectApplicationFrame : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectApplicationFrame)
};

class CPlymSkinObjectButton : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectButton)

  public:
    CPlymSkinObjectButton() { m_themeClassName = "BUTTON"; }
};

class CPlymSkinObjectComboBox : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectComboBox)

  public:
    CPlymSkinObjectComboBox() { m_themeClassName = "COMBOBOX"; }
};

class CPlymSkinObjectScrollBar : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectScrollBar)

  public:
    CPlymSkinObjectScrollBar() { m_themeClassName = "SCROLLBAR"; }
};

// The base of the skins of controls that keep their own scroll bars.
class CPlymSkinObjectUser32Control : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectUser32Control)
};

class CPlymSkinObjectEdit : public CPlymSkinObjectUser32Control {
    DECLARE_DYNCREATE(CPlymSkinObjectEdit)

  public:
    CPlymSkinObjectEdit() { m_themeClassName = "EDIT"; }
};

class CPlymSkinObjectListBox : public CPlymSkinObjectUser32Control {
    DECLARE_DYNCREATE(CPlymSkinObjectListBox)

  public:
    CPlymSkinObjectListBox() { m_themeClassName = "LISTBOX"; }
};

class CPlymSkinObjectComCtl32Control : public CPlymSkinObjectUser32Control {
    DECLARE_DYNCREATE(CPlymSkinObjectComCtl32Control)
};

class CPlymSkinObjectTreeView : public CPlymSkinObjectComCtl32Control {
    DECLARE_DYNCREATE(CPlymSkinObjectTreeView)

  public:
    CPlymSkinObjectTreeView() { m_themeClassName = "TREEVIEW"; }
};

class CPlymSkinObjectListView : public CPlymSkinObjectComCtl32Control {
    DECLARE_DYNCREATE(CPlymSkinObjectListView)

  public:
    CPlymSkinObjectListView() { m_themeClassName = "LISTVIEW"; }
};

class CPlymSkinObjectToolBar : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectToolBar)

  public:
    CPlymSkinObjectToolBar() { m_themeClassName = "TOOLBAR"; }
};

class CPlymSkinObjectSpin : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectSpin)

  public:
    CPlymSkinObjectSpin() { m_themeClassName = "SPIN"; }
};

class CPlymSkinObjectMDIClient : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectMDIClient)
};

class CPlymSkinObjectTab : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectTab)

  public:
    CPlymSkinObjectTab() { m_themeClassName = "TAB"; }
};

class CPlymSkinObjectTrackBar : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectTrackBar)

  public:
    CPlymSkinObjectTrackBar() { m_themeClassName = "TRACKBAR"; }
};

class CPlymSkinObjectProgress : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectProgress)

  public:
    CPlymSkinObjectProgress() { m_themeClassName = "PROGRESS"; }
};

class CPlymSkinObjectHeader : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectHeader)

  public:
    CPlymSkinObjectHeader() { m_themeClassName = "HEADER"; }
};

class CPlymSkinObjectStatusBar : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectStatusBar)

  public:
    CPlymSkinObjectStatusBar() { m_themeClassName = "STATUSBAR"; }
};

class CPlymSkinObjectDateTime : public CPlymSkinObjectComboBox {
    DECLARE_DYNCREATE(CPlymSkinObjectDateTime)
};

class CPlymSkinObjectMonthCal : public CPlymSkinObjectFrame {
    DECLARE_DYNCREATE(CPlymSkinObjectMonthCal)
};

// The skin object of a window class the class map names, by the name the
// map gives (creation by class name); NULL when no skin object has it.
const CRuntimeClass* PlymSkinObjectClass(const char* objectClassName);

// A popup menu tracked by the skin (apply option 8): the menu, TPM_ flags,
// screen position, owner window and an area the menu must not cover (NULL:
// none). What TrackPopupMenuEx returns. Until the skin's popup menus are
// built, the system's menu runs.
BOOL TrackSkinnedPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner, const RECT* exclude);
