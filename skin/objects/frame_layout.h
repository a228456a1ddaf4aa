// skin/objects/frame_layout.h
//
// The arithmetic of a skinned window frame that needs no window: which
// caption buttons a window shows and in which state each is drawn, the
// smallest width a captioned frame can be tracked to, and a frame's own
// scroll bars -- the layout of one bar from its range and rectangle, the
// element under a point, the position a thumb pixel stands for and where a
// dragged thumb goes. The frame skin object (skin_frame.h) feeds it from the
// window and the skin metrics.
#pragma once

#include <cstdint>
#include <vector>

#include "skin/core/frame_geometry.h"

namespace plym {

// System commands and hit codes the caption buttons carry.
inline constexpr uint32_t kScClose = 0xF060;
inline constexpr uint32_t kScMaximize = 0xF030;
inline constexpr uint32_t kScMinimize = 0xF020;
inline constexpr uint32_t kScRestore = 0xF120;
inline constexpr uint32_t kScContextHelp = 0xF180;
inline constexpr int kHtMinButton = 8;
inline constexpr int kHtMaxButton = 9;
inline constexpr int kHtClose = 20;
inline constexpr int kHtHelp = 21;

// WINDOW parts of the caption buttons.
inline constexpr int kPartMinButton = 15;
inline constexpr int kPartMaxButton = 17;
inline constexpr int kPartCloseButton = 18;
inline constexpr int kPartSmallCloseButton = 19;
inline constexpr int kPartRestoreButton = 21;
inline constexpr int kPartHelpButton = 23;

inline constexpr uint32_t kWsMinimizeBox = 0x00020000;
inline constexpr uint32_t kWsMaximizeBox = 0x00010000;
inline constexpr uint32_t kWsExContextHelp = 0x00000400;
inline constexpr uint32_t kWsExMdiChild = 0x00000040;

struct CaptionButtonPlan {
    uint32_t command = 0;
    int hitCode = 0;
    int part = 0;
    bool enabled = false;
    bool operator==(const CaptionButtonPlan&) const = default;
};

// The caption buttons of a window with a full caption, rightmost first.
// `closeGrayed`: the system menu's close item is grayed or disabled.
std::vector<CaptionButtonPlan> CaptionButtonsFor(uint32_t style, uint32_t exStyle, bool closeGrayed);

// The state a caption button is drawn in: 4 disabled, 3 pressed and hot, 2
// hot while no other button is pressed, else 1; 4 more for an inactive frame.
int CaptionButtonState(bool enabled, bool isHot, bool isPressed, bool otherPressed, bool active);

// The smallest width a captioned frame can be tracked to.
int MinimumTrackWidth(int buttonCount, int topBorder, int cySize, int cxEdge);

// ---- a frame's own scroll bars ---------------------------------------------------------

struct ScrollBarRange {
    int minimum = 0;
    int maximum = 0;
    int page = 0;
    int position = 0;
};

// Lays out `bar` over `rect` (window coordinates; the bar kind and vertical
// flag are already set): `arrow` is the skin's arrow length along the bar
// (cut to half the bar), the thumb is `arrow` long or, with a page and a
// range, at least half of it and in proportion to page / range.
void SetupScrollBarLayout(ScrollBarPosInfo* bar, const Rect& rect, int arrow, const ScrollBarRange& range);

// The scroll hit code (60 .. 64) of a point, 0 when the bar is not present or
// the point lies outside it.
int ScrollBarHitCode(const ScrollBarPosInfo& bar, int x, int y);

// The position a thumb starting at pixel `p` stands for.
int ScrollPosFromPixel(const ScrollBarPosInfo& bar, int p);

// Where a dragged thumb goes for a cursor at (x, y): inside `tolerance` the
// cursor's pixel along the bar plus `thumbOffset`, held in the travel; outside
// it the pixel where the drag began.
int DragThumbPixel(const ScrollBarPosInfo& bar, const Rect& tolerance, int thumbOffset, int x, int y);

// The rectangle a thumb drag tolerates: the bar grown by `alongSlack` at each
// end and by 8 bar widths on each side across it.
Rect DragToleranceRect(const ScrollBarPosInfo& bar, int alongSlack);

}  // namespace plym
