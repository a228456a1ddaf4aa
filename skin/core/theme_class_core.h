// skin/core/theme_class_core.h
//
// One class of a parsed skin ("WINDOW", "BUTTON", ...) as the drawing code
// queries it: property look-ups cached per (part, state, id), getters with
// defaults, and the decisions of part drawing that need no device context --
// which image and cell a part shows and where, the bands of a border fill,
// part sizes and caption-button sizes. The Windows theme class
// (skin_class.h) carries it and does the drawing.
//
// Images are known here only by their size and alpha flag, through an
// ImageInfoFn that the theme class's image cache answers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "skin/core/plym_types.h"
#include "skin/core/schema_store.h"

namespace plym {

struct ImageInfo {
    int width = 0;
    int height = 0;
    bool alpha = false;  // 32-bit image with per-pixel alpha
};

// Looks up a skin image by the path the INI gives; false when there is none.
using ImageInfoFn = std::function<bool(const std::string& path, ImageInfo* info)>;

// One image cell painted into a destination rectangle.
struct ImagePaint {
    std::string path;
    Rect source;  // the cell, in image pixels
    Rect destination;
    Rect margins;          // sizing margins: left, top, right, bottom widths
    Color key = kNoColor;  // pixels of this colour are left out; kNoColor: none
    int sizingType = kSizingStretch;
    bool borderOnly = false;
    bool mirror = true;  // may be mirrored on a right-to-left device context
    int imageCount = 1;  // the image's cells and their layout (solid-cell search)
    bool horizontal = true;
};

// What drawing a part background comes to.
struct BackgroundPlan {
    enum Kind { kFail, kNothing, kBorderFill, kImage };
    Kind kind = kFail;
    ImagePaint image;  // kImage
    bool hasGlyph = false;
    ImagePaint glyph;  // painted over the image, in true size
};

struct SolidFill {
    Rect rect;
    Color color = 0;
    bool operator==(const SolidFill&) const = default;
};

class ThemeClassCore {
  public:
    ThemeClassCore(const SchemaStore* schema, std::string name, int classCode);
    virtual ~ThemeClassCore() = default;
    ThemeClassCore(const ThemeClassCore&) = delete;
    ThemeClassCore& operator=(const ThemeClassCore&) = delete;

    const SchemaStore* Schema() const { return schema_; }
    const std::string& Name() const { return name_; }
    int ClassCode() const { return classCode_; }

    // The property for (part, state, id) when it has `kind`; NULL otherwise.
    // Results are cached per (part, state, id), absences included; a property
    // of another kind counts as absent and is not cached.
    const SchemaProperty* FindProperty(int kind, int part, int state, int id);

    std::string GetThemeString(int part, int state, int id, std::string_view fallback);
    int GetThemeInt(int part, int state, int id, int fallback);
    bool GetThemeBool(int part, int state, int id, bool fallback);
    Color GetThemeColor(int part, int state, int id, Color fallback);  // through the colour filter
    Rect GetThemeRect(int part, int state, int id, Rect fallback);
    int GetThemeEnumValue(int part, int state, int id, int fallback);
    Point GetThemePosition(int part, int state, int id, Point fallback);

    // IMAGEFILE of the part; IMAGEFILE1 instead (IMAGEFILE when that is
    // empty) when IMAGESELECTTYPE is set and GLYPHTYPE is not. Empty: none.
    std::string ChooseImageFile(int part, int state);
    // One cell of an image: its size divided by IMAGECOUNT (at least 1) along
    // IMAGELAYOUT (horizontal unless VERTICAL).
    Size CellSize(const ImageInfo& image, int part, int state);

    // Size kind 1: the cell; 2: the cell for TRUESIZE parts, else the
    // rectangle's size (0 x 0 without one), as wide as UNIFORMSIZING makes it;
    // other kinds leave `size` alone. False unless the part draws an image
    // that exists.
    bool GetThemePartSize(int part,
                          int state,
                          const Rect* rect,
                          int sizeKind,
                          Size* size,
                          const ImageInfoFn& images);

    // Caption buttons (WINDOW class, CLOSEBUTTON): s x s unless the button is
    // an image; for an image cell w x h, MulDiv(w - h, 4, h) + MulDiv(w, s, h)
    // wide and s high (a 25 x 21 cell at 18 gives 22 x 18).
    Size GetCaptionButtonSize(int s, const ImageInfoFn& images);

    // Part backgrounds: BGTYPE decides; an image part gets its cell for the
    // state, its sizing, key colour and glyph.
    BackgroundPlan PlanBackground(int part, int state, const Rect& target, const ImageInfoFn& images);

    // BORDERFILL: BORDERSIZE bands in BORDERCOLOR when both are there, then
    // FILLCOLOR inside them unless BORDERONLY.
    std::vector<SolidFill> PlanBorderFill(int part, int state, const Rect& rect);

  private:
    // The source cell of `state` in an image of `count` cells of `cell` size.
    static Rect CellRect(Size cell, int count, bool horizontal, int state);
    bool PlanGlyph(int part, int state, const Rect& target, const ImageInfoFn& images, ImagePaint* glyph);

    const SchemaStore* schema_;
    std::string name_;
    int classCode_;
    std::unordered_map<uint32_t, const SchemaProperty*> cache_;
};

}  // namespace plym
