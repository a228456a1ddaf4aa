// res/resource.h
//
// Resource ids of Movarel.exe. Language-string ids are plain numbers in
// strings_en.rc and in the language modules.
#pragma once

#define IDR_MAINFRAME 128       // the program's icon
#define IDD_MOVAREL_DIALOG 102  // the main window
