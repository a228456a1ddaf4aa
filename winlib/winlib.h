// winlib/winlib.h
//
// Our small class layer over Win32, in place of the Windows class library the
// program was designed on: application object and WinMain, windows found from
// their handles, message maps, dialogs with our own modal loop, data exchange,
// message reflection, control and GDI wrappers, an ANSI string, thin
// collections, files, and the hooks the GUI tests replace. Include this one
// header. Each header says what it stands in for and what it leaves out.
//
// Everything is ANSI (the *A API), as the program's texts are code-page
// strings. Windows build only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "winlib/app.h"
#include "winlib/collections.h"
#include "winlib/controls.h"
#include "winlib/cstring.h"
#include "winlib/dialog.h"
#include "winlib/file.h"
#include "winlib/gdi.h"
#include "winlib/geometry.h"
#include "winlib/hooks.h"
#include "winlib/msgmap.h"
#include "winlib/wnd.h"
