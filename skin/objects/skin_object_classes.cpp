// skin/objects/skin_object_classes.cpp
#include "skin/objects/skin_object_classes.h"

#include "skin/core/api_hook.h"

IMPLEMENT_DYNCREATE(CPlymSkinObjectButton, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectComboBox, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectScrollBar, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectUser32Control, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectEdit, CPlymSkinObjectUser32Control)
IMPLEMENT_DYNCREATE(CPlymSkinObjectListBox, CPlymSkinObjectUser32Control)
IMPLEMENT_DYNCREATE(CPlymSkinObjectComCtl32Control, CPlymSkinObjectUser32Control)
IMPLEMENT_DYNCREATE(CPlymSkinObjectTreeView, CPlymSkinObjectComCtl32Control)
IMPLEMENT_DYNCREATE(CPlymSkinObjectListView, CPlymSkinObjectComCtl32Control)
IMPLEMENT_DYNCREATE(CPlymSkinObjectToolBar, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectSpin, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectMDIClient, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectTab, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectTrackBar, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectProgress, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectHeader, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectStatusBar, CPlymSkinObjectFrame)
IMPLEMENT_DYNCREATE(CPlymSkinObjectDateTime, CPlymSkinObjectComboBox)
IMPLEMENT_DYNCREATE(CPlymSkinObjectMonthCal, CPlymSkinObjectFrame)

const CRuntimeClass* PlymSkinObjectClass(const char* objectClassName) {
    const CRuntimeClass* found = CRuntimeClass::FromName(objectClassName);
    return found && found->IsDerivedFrom(RUNTIME_CLASS(CPlymSkinObject)) ? found : nullptr;
}
