// skin/core/frame_geometry.h
//
// The arithmetic of skinned window frames, without a window: border counts
// and frame border widths, the row of caption buttons, which part and state
// each piece of a scroll bar is drawn in, and the see-through shape of the
// frame images (scanned from pixel arrays, cached per frame kind, turned into
// the rectangles a window region leaves out). The Windows schema
// (skin_schema.h) feeds it from the window and draws what it decides.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "skin/core/plym_types.h"

namespace plym {

// The system and skin sizes frame geometry reads (the skin metrics).
struct FrameMetrics {
    int borderMultiplier = 1;  // SPI_GETBORDER
    int borderWidth = 1;       // SM_CXBORDER
    int borderHeight = 1;      // SM_CYBORDER
    int edgeWidth = 2;         // SM_CXEDGE
    int edgeHeight = 2;        // SM_CYEDGE
    int captionHeight = 0;
    int smallCaptionHeight = 0;
};

// With `frame`: 2 for WS_EX_WINDOWEDGE, else 1 for WS_EX_STATICEDGE; plus 1
// for WS_BORDER, WS_DLGFRAME or WS_EX_DLGMODALFRAME; plus the border
// multiplier for WS_THICKFRAME. With `clientEdge` and WS_EX_CLIENTEDGE: plus 2.
int GetBorderCount(uint32_t style, uint32_t exStyle, bool frame, bool clientEdge, int borderMultiplier);

// A maximized captioned top-level window takes the system's border `b` (minus
// the left side of a rectangle grown by AdjustWindowRectEx) on every side,
// with the caption on top.
bool UsesMaximizedBorders(uint32_t style);
Rect MaximizedFrameBorders(int b, uint32_t exStyle, const FrameMetrics& metrics);
// Every other window: the caption on top when the style has all of
// WS_CAPTION, and border count times the border size (plus the edge size with
// WS_EX_CLIENTEDGE) on every side.
Rect FrameBorders(uint32_t style, uint32_t exStyle, const FrameMetrics& metrics);

// The row of caption buttons of a window `windowWidth` wide with frame
// borders `borders` (caption included in the top) and border count n.
struct CaptionButtonRow {
    int size = 0;    // s: the height the buttons are fitted to
    int offset = 0;  // added to the centred top
};
CaptionButtonRow CaptionButtonGeometry(const Rect& borders,
                                       int n,
                                       uint32_t style,
                                       uint32_t exStyle,
                                       const FrameMetrics& metrics);
// Button `index` (0 = the rightmost) of size `button`.
Rect CaptionButtonRect(int windowWidth, const Rect& borders, int n, Size button, int offset, int index);
// The left edge of a row of `count` buttons; windowWidth - n without any.
int CaptionButtonsLeft(int windowWidth, const Rect& borders, int n, Size button, int count);

// One scroll bar as the frame measured it (24 words, window coordinates
// along the bar's axis and across it).
struct ScrollBarPosInfo {
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t page = 0;
    int32_t position = 0;
    int32_t barStart = 0;
    int32_t barEnd = 0;
    int32_t crossStart = 0;
    int32_t crossEnd = 0;
    int32_t thumbLength = 0;
    int32_t trackStart = 0;  // after the first arrow
    int32_t trackEnd = 0;    // before the second arrow
    int32_t dragOrigin = 0;
    int32_t thumbEnd = 0;
    int32_t thumbStart = 0;
    int32_t thumbTravel = 0;
    int32_t travelStart = 0;
    Rect barRect;
    int32_t hotPart = 0;  // 0 or a scroll hit code
    int32_t vertical = 0;
    int32_t barKind = 0;  // SB_HORZ 0, SB_VERT 1, SB_CTL 2
    int32_t present = 0;
};
static_assert(sizeof(ScrollBarPosInfo) == 96, "24 words");

// Scroll hit codes.
inline constexpr int kHitFirstArrow = 60;
inline constexpr int kHitSecondArrow = 61;
inline constexpr int kHitTrackBefore = 62;
inline constexpr int kHitTrackAfter = 63;
inline constexpr int kHitThumb = 64;

// The frame's scroll tracking as it bears on drawing one bar.
struct ScrollBarTracking {
    bool active = false;     // a tracking loop runs on some bar of the frame
    bool onThisBar = false;  // ... on this one
    bool draggingThumb = false;
    bool overPressed = false;  // the cursor is over the pressed element
};

struct ScrollBarPiece {
    int part = 0;  // SCROLLBAR part
    int state = 0;
    Rect rect;
    bool operator==(const ScrollBarPiece&) const = default;
};

struct ScrollBarPlan {
    bool draw = false;                   // false: nothing at all (no cross extent)
    Rect fill;                           // filled with the frame's client brush first
    std::vector<ScrollBarPiece> pieces;  // in drawing order
};

// `arrowCells`: IMAGECOUNT of ARROWBTN (exactly 20 means hover cells exist).
ScrollBarPlan PlanScrollBar(const ScrollBarPosInfo& bar,
                            const ScrollBarTracking& tracking,
                            bool windowDisabled,
                            int arrowCells);

// A picture as COLORREF pixels, row by row from the top.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<Color> pixels;
    Color At(int x, int y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

// The see-through pieces of one rendered frame image.
struct FrameRegionPart {
    std::vector<Rect> nearRects;  // at the start: in the part's own coordinates
    std::vector<Rect> farRects;   // at the far end: from the far sizing margin on
    Rect margins;                 // sizing margins: left, top, right, bottom
    int seeThroughLines = 0;      // whole see-through rows or columns from the outer edge
};

enum FrameSide : int { kSideLeft = 0, kSideCaption = 1, kSideRight = 2, kSideBottom = 3 };

// Reads the part's pixels over (0, 0, width, height) with the margins already
// in `part`; see-through means exactly `key`.
void ScanFramePart(const PixelImage& image,
                   int side,
                   int width,
                   int height,
                   Color key,
                   FrameRegionPart* part);

// One cache entry: the see-through shape of a frame kind.
struct FrameRegion {
    int topBorder = 0;
    int leftBorder = 0;
    uint32_t toolWindow = 0;   // WS_EX_TOOLWINDOW bit of the extended style
    bool temporary = false;    // made for a window narrower than the caption corners
    FrameRegionPart parts[4];  // left edge, caption, right edge, bottom edge
};
enum FrameRegionPartIndex : int { kRegionLeft = 0, kRegionCaption = 1, kRegionRight = 2, kRegionBottom = 3 };

// Renders WINDOW part `part` in state 1 into `image`: `size` wide with a
// fixed width, else `size` high; gives the margins it used and the key colour.
using RenderFramePartFn =
    std::function<bool(int part, bool fixedWidth, int size, PixelImage* image, Rect* margins, Color* key)>;

class FrameRegionCache {
  public:
    // The entry for a frame with these borders, from the cache or built with
    // `render`; NULL when the caption cannot be rendered. An entry for a
    // window narrower than its caption's corner margins is temporary: it is
    // not cached and is handed over in `temporary`.
    const FrameRegion* Find(int topBorder,
                            int leftBorder,
                            uint32_t toolWindow,
                            int width,
                            const RenderFramePartFn& render,
                            std::unique_ptr<FrameRegion>* temporary);
    void Clear() { entries_.clear(); }
    size_t EntryCount() const { return entries_.size(); }

  private:
    std::vector<std::unique_ptr<FrameRegion>> entries_;
};

// What a window width x height with this frame leaves out of its region.
std::vector<Rect> FrameRegionCutouts(const FrameRegion& region, int width, int height);
// The region of a maximized top-level window with border b.
Rect MaximizedFrameRegion(int b, int width, int height, bool workAreaAsWideAsWindow);

}  // namespace plym
