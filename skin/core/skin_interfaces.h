// skin/core/skin_interfaces.h
//
// What the schema draws with and for, as interfaces: the skin file it reads
// (the INI lines, the images), one skin image (painting any cell into any
// rectangle) and the skinned window frame whose non-client area it draws.
// The skin file and image classes and the frame skin object implement them.
#pragma once

#include <windows.h>

#include "skin/core/frame_geometry.h"
#include "skin/core/plym_sync.h"
#include "skin/core/schema_store.h"

// One decoded skin bitmap.
class IPlymSkinImage {
  public:
    virtual ~IPlymSkinImage() = default;
    virtual int PixelWidth() const = 0;
    virtual int PixelHeight() const = 0;
    // A 32-bit image with per-pixel alpha (never colour-keyed).
    virtual BOOL HasAlpha() const = 0;
    // Whether the image may be mirrored on a right-to-left device context.
    virtual void SetMirrorAllowed(BOOL allowed) = 0;
    // Finds the cells (or nine-grid pieces) of one colour, once.
    virtual void PrepareSolidRects(int imageCount, BOOL horizontal, const RECT& sizingMargins) = 0;
    // Paints `source` into `destination` with the sizing margins (left, top,
    // right, bottom), leaving out `key` (CLR_INVALID: nothing), stretched or
    // tiled by `sizingType`, without the centre when `borderOnly`.
    virtual BOOL PaintPart(HDC dc,
                           const RECT& destination,
                           const RECT& source,
                           const RECT& sizingMargins,
                           COLORREF key,
                           int sizingType,
                           BOOL borderOnly) = 0;
};

// The skin a schema is read from: its INI text line by line and its images.
class IPlymSkinFile : public CPlymRefCounted, public plym::LineSource {
  public:
    // A new image for the path the INI gives, owned by the caller; NULL when
    // there is none. `schema` (may be NULL) is the schema asking: its
    // premultiply flag and colour filters apply to the image.
    virtual IPlymSkinImage* LoadSkinImage(const char* imagePath, const plym::SchemaStore* schema) = 0;
};

// A skinned window frame as the schema draws its non-client area.
class IPlymSkinFrame {
  public:
    virtual ~IPlymSkinFrame() = default;
    virtual HWND GetFrameWindow() const = 0;
    // The border widths (caption included in the top) of the last
    // WM_NCCALCSIZE.
    virtual RECT GetStoredFrameBorders() const = 0;
    virtual BOOL IsFrameActive() const = 0;
    // The caption buttons, rightmost first: each gets its rectangle (window
    // coordinates) and draws itself.
    virtual int GetCaptionButtonCount() const = 0;
    virtual void DrawCaptionButton(int index, HDC dc, const RECT& rect, BOOL active) = 0;
    virtual HBRUSH GetClientBrush(HDC dc) = 0;
    // The colour of the inner line of a bordered client edge.
    virtual COLORREF GetClientEdgeColor() = 0;
    // The theme class name of the window's skin object ("WINDOW", "EDIT", ...).
    virtual const char* GetThemeClassName() const = 0;
    // How the frame's scroll tracking stands with respect to `bar`.
    virtual plym::ScrollBarTracking GetScrollTracking(const plym::ScrollBarPosInfo& bar) const = 0;
};
