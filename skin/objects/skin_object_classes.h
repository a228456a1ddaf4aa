// skin/objects/skin_object_classes.h
//
// The skin objects the skin manager's class map names (skin/core/
// skin_class_map.h), each with the theme class it draws with. Every one is a
// window frame: CPlymSkinObjectFrame draws a window's non-client area (its
// borders, caption, caption buttons and own scroll bars), and the control
// skins paint the controls' faces.
//
// The frame (skin_frame.h) draws the non-client area of every one of them;
// the control classes below are the seams the control skins fill in: each is
// attached to the windows of its classes and routes their messages.
#pragma once

#include <windows.h>

#include "skin/objects/skin_application_frame.h"
#include "skin/objects/skin_frame.h"
#include "skin/objects/skin_object.h"
#include "skin/objects/skin_popup_menu.h"

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
