// skin/objects/skin_object_classes.h
//
// The skin objects the skin manager's class map names (skin/core/
// skin_class_map.h), each with the theme class it draws with. Every one is a
// window frame: CPlymSkinObjectFrame draws a window's non-client area (its
// borders, caption, caption buttons and own scroll bars), and the control
// skins paint the controls' faces.
//
// The frame (skin_frame.h) draws the non-client area of every one of them;
// the control skins (skin_controls.h) paint the controls.
#pragma once

#include <windows.h>

#include "skin/objects/skin_application_frame.h"
#include "skin/objects/skin_controls.h"
#include "skin/objects/skin_frame.h"
#include "skin/objects/skin_object.h"
#include "skin/objects/skin_popup_menu.h"

// The control skins are declared in skin_controls.h.

// The skin object of a window class the class map names, by the name the
// map gives (creation by class name); NULL when no skin object has it.
const CRuntimeClass* PlymSkinObjectClass(const char* objectClassName);
