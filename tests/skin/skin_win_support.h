// tests/skin/skin_win_support.h
//
// What the Wine tests of the skin's images and resources share (beside
// win_skin_support.h): a bitmap's pixels, a fresh temporary folder, and
// copies of the test resource module with resources added while the test
// runs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace skintest {

// Top-down B, G, R, A bytes of any bitmap (as 32 bits).
std::vector<uint8_t> BitmapPixels(HBITMAP bitmap, int* width, int* height);

// The folder of the test program, with a trailing '\'.
std::string ProgramFolder();
// An empty folder under the temporary folder, with a trailing '\'.
std::string FreshFolder(const std::string& name);

// Names and types in upper case, as resource compilers store them.
struct AddedResource {
    std::string type;  // a type name, or empty for `typeId`
    WORD typeId = 0;
    std::string name;
    std::vector<uint8_t> bytes;
    WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
};

// Copies skin_test_module.dll to `path` and adds `resources` to the copy.
bool MakeModuleCopy(const std::string& path, const std::vector<AddedResource>& resources);

}  // namespace skintest
