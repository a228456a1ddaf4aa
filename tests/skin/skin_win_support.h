// tests/skin/skin_win_support.h
//
// What the skin framework's Wine tests share: a 32-bit canvas to draw on and
// read back byte by byte, a fresh temporary folder, and copies of the test
// resource module with resources added while the test runs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace skintest {

// A top-down 32-bit DIB section in a memory DC, filled with one colour.
class Canvas {
  public:
    Canvas(int width, int height, COLORREF fill);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The colour at (x, y) as a COLORREF, read from the pixels.
    COLORREF At(int x, int y) const;
    uint8_t AlphaAt(int x, int y) const;

  private:
    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint8_t* bits_ = nullptr;
};

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

// UTF-16LE bytes of a text.
std::vector<uint8_t> Utf16Bytes(const std::u16string& text);

}  // namespace skintest
