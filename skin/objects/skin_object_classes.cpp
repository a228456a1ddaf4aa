// skin/objects/skin_object_classes.cpp
#include "skin/objects/skin_object_classes.h"

#include "skin/core/api_hook.h"

namespace {

// The skin objects the class map names, each in a source of its own: named
// here so that the linker keeps every one of them in the program.
const CRuntimeClass* const kMappedSkinObjects[] = {
    RUNTIME_CLASS(CPlymSkinObjectApplicationFrame),
    RUNTIME_CLASS(CPlymSkinObjectButton),
    RUNTIME_CLASS(CPlymSkinObjectComboBox),
    RUNTIME_CLASS(CPlymSkinObjectScrollBar),
    RUNTIME_CLASS(CPlymSkinObjectEdit),
    RUNTIME_CLASS(CPlymSkinObjectListBox),
    RUNTIME_CLASS(CPlymSkinObjectTreeView),
    RUNTIME_CLASS(CPlymSkinObjectListView),
    RUNTIME_CLASS(CPlymSkinObjectToolBar),
    RUNTIME_CLASS(CPlymSkinObjectSpin),
    RUNTIME_CLASS(CPlymSkinObjectMDIClient),
    RUNTIME_CLASS(CPlymSkinObjectTab),
    RUNTIME_CLASS(CPlymSkinObjectTrackBar),
    RUNTIME_CLASS(CPlymSkinObjectProgress),
    RUNTIME_CLASS(CPlymSkinObjectHeader),
    RUNTIME_CLASS(CPlymSkinObjectStatusBar),
    RUNTIME_CLASS(CPlymSkinObjectDateTime),
    RUNTIME_CLASS(CPlymSkinObjectMonthCal),
};

}  // namespace

const CRuntimeClass* PlymSkinObjectClass(const char* objectClassName) {
    for (const CRuntimeClass* mapped : kMappedSkinObjects) {
        if (objectClassName && lstrcmpA(mapped->m_lpszClassName, objectClassName) == 0)
            return mapped;
    }
    const CRuntimeClass* found = CRuntimeClass::FromName(objectClassName);
    return found && found->IsDerivedFrom(RUNTIME_CLASS(CPlymSkinObject)) ? found : nullptr;
}
