// skin/core/skin_manager.cpp
#include "skin/core/skin_manager.h"

CPlymSkinManager* GetPlymSkinManager() {
    static CPlymSkinManager* const manager = new CPlymSkinManager();
    return manager;
}

void CPlymSkinManager::SetHookedGroups(DWORD options) {
    m_applyOptions = options;
}

BOOL CPlymSkinManager::OpenSkin(const char* /*path*/, const char* /*iniName*/) {
    // No skin can be read yet: the manager passes through "no schema, no
    // patches" and stays there.
    m_enabled = FALSE;
    return FALSE;
}
