// skin/core/png_bitmap.h
//
// CPlymGraphicBitmapPng: a bitmap made from PNG data (a file, an open file
// or a "PNG" resource), so that skin images can be stored as PNG. The
// picture becomes a top-down 32-bit DIB section of B, G, R, A pixels
// (skin/core/png_decode.h says which libpng transformations make it); the
// alpha flag tells whether the PNG gave four channels. A three-channel
// picture has alpha 0 in every pixel and must not be blended as alpha.
//
// Every failure (no file, a resource shorter than 10 bytes, bad data, a
// section that cannot be made) leaves no bitmap and returns FALSE. GUI
// thread only.
#pragma once

#include <windows.h>

#include "skin/core/png_decode.h"
#include "winlib/file.h"
#include "winlib/gdi.h"

class CPlymGraphicBitmapPng : public CBitmap {
  public:
    BOOL LoadFromFile(LPCSTR path);
    // The "PNG" resource `resource` of `module` (FindResource's handle).
    BOOL LoadFromResource(HMODULE module, HRSRC resource);
    // The PNG from the file's current position.
    BOOL LoadFromStream(CFile* file);
    BOOL LoadFromStream(plym::PngByteSource& source);

    BOOL HasAlpha() const { return m_alpha; }
    // Gives up the section (the caller deletes it); the alpha flag stays.
    HBITMAP DetachBitmap() { return static_cast<HBITMAP>(Detach()); }

  private:
    BOOL m_alpha = FALSE;
};

// A top-down 32-bit DIB section holding `picture`'s pixels, or NULL.
HBITMAP PlymCreateTopDownSection(const plym::PngPicture& picture);
