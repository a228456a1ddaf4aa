// skin/core/skin_class.h
//
// CPlymSkinManagerClass: one class of the current skin ("WINDOW", "BUTTON",
// ...), the handle through which everything draws and queries it. It keeps
// its property look-ups (plym::ThemeClassCore) and the images of its parts,
// each loaded once from the skin file.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "skin/core/skin_image.h"
#include "skin/core/skin_interfaces.h"
#include "skin/core/theme_class_core.h"

class CPlymSkinManagerSchema;

class CPlymSkinManagerClass : public plym::ThemeClassCore {
  public:
    // `name` in upper case; `classCode` from the class table (0 for none).
    CPlymSkinManagerClass(CPlymSkinManagerSchema* schema, const std::string& name, int classCode);
    ~CPlymSkinManagerClass() override = default;

    CPlymSkinManagerSchema* GetSchema() const { return m_schema; }

    BOOL DrawThemeBackground(HDC dc, int part, int state, const RECT* rect);
    // The part's text: the rectangle less CAPTIONMARGINS, DT_CENTER for
    // CONTENTALIGNMENT CENTER, TEXTCOLOR (else the DC's), a single shadow in
    // TEXTSHADOWCOLOR moved by TEXTSHADOWOFFSET (1, 1 when the skin gives none).
    BOOL DrawThemeText(HDC dc, int part, int state, LPCWSTR text, int length, DWORD format, const RECT* rect);
    BOOL GetThemePartSize(int part, int state, const RECT* rect, int sizeKind, SIZE* size);

    // The image for an INI path, loaded through the skin file on first use.
    IPlymSkinImage* FetchImage(const std::string& path);
    plym::ImageInfoFn ImageInfo();

  private:
    CPlymSkinManagerSchema* m_schema;
    CPlymSkinImageCache m_images;
};
