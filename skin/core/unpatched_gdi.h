// skin/core/unpatched_gdi.h
//
// The system's own DeleteObject for the framework's GDI objects. While the
// skin is applied, DeleteObject is replaced in every module, the framework's
// own included, and the replacement refuses to delete the skin's brushes (so
// that no other code can destroy them): the framework must free its old
// brushes through the original function, or every colour refresh leaks them.
// The address comes from GDI32's export table; the import-table hooks, which
// keep the unpatched address, may set it instead.
#pragma once

#include <windows.h>

using PlymDeleteObjectFn = BOOL(WINAPI*)(HGDIOBJ);

BOOL PlymUnpatchedDeleteObject(HGDIOBJ object);
// NULL goes back to GDI32's export.
void PlymSetUnpatchedDeleteObject(PlymDeleteObjectFn function);
