// skin/core/skin_image_layout.h
//
// The geometry of painting a skin image, without a device context: which
// cells and nine-grid pieces of an image are one solid colour (so they can
// be filled instead of copied), and how a source cell with sizing margins is
// cut into corners, edges and centre and copied, stretched or tiled into a
// destination. The skin image (skin_image.h) runs these plans with GDI.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/core/plym_types.h"
#include "skin/core/schema_names.h"

namespace plym {

// Whether `outer` holds all of `inner`.
inline bool RectContains(const Rect& outer, const Rect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Sizing margins are a Rect of widths: left, top, right, bottom (the skin's
// SIZINGMARGINS value "left, right, top, bottom" parsed into it).
inline bool MarginsAreZero(const Rect& m) {
    return m.left == 0 && m.top == 0 && m.right == 0 && m.bottom == 0;
}

// A part of an image in which every pixel has one value: the rectangle (in
// image coordinates, top-down) and the colour as a colour value, with the
// alpha byte in the top 8 bits for an image with alpha.
struct SolidRect {
    Rect rect;
    Color color = 0;
    bool operator==(const SolidRect&) const = default;
};

// A 32-bit image as a bottom-up pixel array (the layout of a bottom-up DIB
// section): row 0 of `bits` is the image's bottom row.
struct BottomUpPixels {
    const uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;

    uint32_t At(int x, int y) const;  // y counts from the top
};

// The solid rectangles of an image cut into `imageCount` cells (side by side
// when `horizontal`, else stacked): a cell whose pixels all have one value is
// one rectangle; otherwise, when the margins are not all 0, each of the five
// inner nine-grid pieces of the cell (the left, top, right and bottom bands
// between the corners, and the centre) that is uniform is one.
std::vector<SolidRect> FindSolidRects(const BottomUpPixels& image,
                                      int imageCount,
                                      bool horizontal,
                                      const Rect& margins,
                                      bool alphaImage);

// The solid rectangle that holds all of `source`, or NULL.
const SolidRect* FindSolidRectFor(const std::vector<SolidRect>& rects, const Rect& source);

// One nine-grid piece: where it goes and where it comes from. Corners are
// copied at their size; edges and centre are stretched or tiled.
struct GridPiece {
    Rect destination;
    Rect source;
    bool corner = false;
    bool operator==(const GridPiece&) const = default;
};

// The destination and the source cut by the margins into corners, edges and
// centre (top row left to right, then the middle row, then the bottom row);
// the centre is left out with `borderOnly`, and pieces empty on either side
// are left out.
std::vector<GridPiece> SliceNineGrid(const Rect& destination,
                                     const Rect& source,
                                     const Rect& margins,
                                     bool borderOnly);

// One copy: same sizes copy, different sizes stretch.
struct Blit {
    Rect destination;
    Rect source;
    bool operator==(const Blit&) const = default;
};

// The copies that paint one piece: a corner is one copy; an edge or the
// centre is one stretched copy, or with `tile` (sizing type TILE) copies of
// the source laid from the piece's top left in both directions, the last ones
// cut to the piece. A source one pixel wide or high is stretched, not tiled.
void AppendPieceBlits(const GridPiece& piece, bool tile, std::vector<Blit>& out);

}  // namespace plym
