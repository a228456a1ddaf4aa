// skin/core/unpatched_gdi.cpp
#include "skin/core/unpatched_gdi.h"

namespace {

PlymDeleteObjectFn g_deleteObject = nullptr;

PlymDeleteObjectFn ExportedDeleteObject() {
    const HMODULE gdi32 = GetModuleHandleA("GDI32.DLL");
    return gdi32 ? reinterpret_cast<PlymDeleteObjectFn>(
                       reinterpret_cast<void (*)()>(GetProcAddress(gdi32, "DeleteObject")))
                 : nullptr;
}

}  // namespace

BOOL PlymUnpatchedDeleteObject(HGDIOBJ object) {
    if (!g_deleteObject)
        g_deleteObject = ExportedDeleteObject();
    return g_deleteObject ? g_deleteObject(object) : FALSE;
}

void PlymSetUnpatchedDeleteObject(PlymDeleteObjectFn function) {
    g_deleteObject = function;
}
