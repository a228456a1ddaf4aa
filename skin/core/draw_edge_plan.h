// skin/core/draw_edge_plan.h
//
// Which lines the skinned DrawEdge draws, and in which colours, without a
// device context: the geometry of the system's rectangular edges (outer
// lines before inner ones; on each ring the left and top lines in the
// top-left colour, then the bottom and right lines in the bottom-right
// colour, which therefore own the bottom-left and top-right corners) with
// the colours taken from the skin instead of the system.
//
// Colours: BDR_RAISEDOUTER light / dark shadow (soft: highlight / dark
// shadow), BDR_SUNKENOUTER shadow / highlight (soft: dark shadow /
// highlight), BDR_RAISEDINNER highlight / shadow (soft: light / shadow),
// BDR_SUNKENINNER dark shadow / light (soft: shadow / light). BF_FLAT draws
// the outer ring in the shadow colour and the inner one in the face colour;
// BF_MONO the outer ring in the window-frame colour and the inner one in the
// window colour.
#pragma once

#include <cstdint>
#include <vector>

#include "skin/core/skin_image_layout.h"

namespace plym {

// The edge and flag bits of DrawEdge, with the system's values.
inline constexpr unsigned kBdrRaisedOuter = 0x1;
inline constexpr unsigned kBdrSunkenOuter = 0x2;
inline constexpr unsigned kBdrRaisedInner = 0x4;
inline constexpr unsigned kBdrSunkenInner = 0x8;
inline constexpr unsigned kBfLeft = 0x1;
inline constexpr unsigned kBfTop = 0x2;
inline constexpr unsigned kBfRight = 0x4;
inline constexpr unsigned kBfBottom = 0x8;
inline constexpr unsigned kBfDiagonal = 0x10;
inline constexpr unsigned kBfMiddle = 0x800;
inline constexpr unsigned kBfSoft = 0x1000;
inline constexpr unsigned kBfAdjust = 0x2000;
inline constexpr unsigned kBfFlat = 0x4000;
inline constexpr unsigned kBfMono = 0x8000;

enum class EdgeColor : uint8_t { Highlight, Light, Shadow, DarkShadow, Face, WindowFrame, Window };

struct EdgeStroke {
    Rect rect;  // one pixel wide or high
    EdgeColor color;
    bool operator==(const EdgeStroke&) const = default;
};

// The colours of one ring.
struct EdgeRing {
    bool present = false;
    EdgeColor topLeft = EdgeColor::Face;
    EdgeColor bottomRight = EdgeColor::Face;
};

// The outer (inner == false) or inner ring's colours for `edge` and `flags`.
EdgeRing EdgeRingOf(unsigned edge, unsigned flags, bool inner);

struct EdgePlan {
    std::vector<EdgeStroke> strokes;  // in drawing order
    Rect inside;                      // the rectangle within the lines drawn
    bool fillMiddle = false;          // BF_MIDDLE: `inside` in the face colour
};

// The rectangular form (BF_DIAGONAL is not planned here).
EdgePlan PlanRectEdge(const Rect& rect, unsigned edge, unsigned flags);

}  // namespace plym
