// skin/objects/control_layout.h
//
// The geometry the control skins draw by, without a window: the track bar's
// band, thumb size, value pixels, tick rows and selection marks; the
// progress bar's chunks, both filled and marquee, and the marquee's steps;
// the spin's button area and its two halves; the combo box's text field and
// drop-down button. All integer maths is the system's (PlymMulDiv, division
// toward zero), so the Windows skins and the native tests agree to the pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "skin/core/plym_types.h"

namespace plym {

// ---- track bars ----------------------------------------------------------------------------

// A track bar is laid out in turned coordinates: for TBS_VERT x and y are
// exchanged, so "along" is always x and "across" always y.
Rect TurnRect(const Rect& r);

struct TrackBarMetrics {
    int cyHScroll = 17;  // SM_CYHSCROLL
    int cxEdge = 2;      // SM_CXEDGE
    int cyEdge = 2;      // SM_CYEDGE
};

// The layout record (turned coordinates).
struct TrackBarLayout {
    int32_t bandLeft = 0;
    int32_t bandTop = 0;
    int32_t bandRight = 0;
    int32_t bandBottom = 0;
    int32_t thumbWidth = 0;
    int32_t thumbHeight = 0;
    int32_t trackLength = 0;
    uint32_t style = 0;
    bool operator==(const TrackBarLayout&) const = default;
};

// `client` in turned coordinates; `fixedThumbLength` is TBM_GETTHUMBLENGTH,
// read only with TBS_FIXEDLENGTH.
TrackBarLayout LayOutTrackBar(uint32_t style,
                              const Rect& client,
                              int fixedThumbLength,
                              const TrackBarMetrics& m);

// The pixel (along) of value `v`: band left + MulDiv(v - min, width - 1,
// max - min) with width the band's, at least 1, and the differences taken in
// 64 bits (a range may span every int); band left when min == max.
int TrackBarValuePixel(const TrackBarLayout& layout, int value, int minimum, int maximum);

// One tick-row line, one pixel wide (turned coordinates): the column `along`
// from `acrossFrom` to `acrossTo` (exclusive).
struct TickLine {
    int32_t along = 0;
    int32_t acrossFrom = 0;
    int32_t acrossTo = 0;
    bool selectionMark = false;  // drawn in the text colour, not the tick colour
    bool operator==(const TickLine&) const = default;
};

struct TrackBarTickFacts {
    int minimum = 0;
    int maximum = 0;
    int frequency = 1;            // TBM_SETTICFREQ; 0 draws only the end ticks
    std::vector<int> tickValues;  // TBM_GETPTICS, in order
    int selectionStart = 0;       // TBM_GETSELSTART
    int selectionEnd = 0;         // TBM_GETSELEND
};

// The tick rows: nothing with TBS_NOTICKS; a row below the band unless
// TBS_TOP without TBS_BOTH, a row above it with TBS_TOP or TBS_BOTH. Each row
// has its end ticks four pixels long, every entry i of the tick values with
// i + 1 a multiple of the frequency three pixels long, and with
// TBS_ENABLESELRANGE (start below end, end not below the minimum) the two
// selection marks, small triangles tapering away from the selection.
std::vector<TickLine> PlanTrackBarTicks(const TrackBarLayout& layout, const TrackBarTickFacts& facts);

// ---- progress bars -------------------------------------------------------------------------

inline constexpr uint32_t kPbsVertical = 0x04;
inline constexpr uint32_t kPbsMarquee = 0x08;

struct ProgressFacts {
    Rect fill;              // the bar less its content margins
    bool vertical = false;  // PBS_VERTICAL: laid from the bottom up
    int chunkSize = -1;     // PROGRESSCHUNKSIZE; below 0: two thirds of the fill's thickness
    int gapSize = -1;       // PROGRESSSPACESIZE; below 0: 2
    int low = 0;            // PBM_GETRANGE
    int high = 100;
    int position = 0;  // PBM_GETPOS
};

// The chunk and gap a bar uses (the skin's, or the defaults).
int ProgressChunkSize(const ProgressFacts& facts);
int ProgressGapSize(const ProgressFacts& facts);

// The chunks of a normal bar: the filled length is MulDiv(extent, position -
// low, high - low) with the differences in 64 bits (nothing for an empty
// range), one block for a chunk of 0
// or 1 without a gap, else whole chunks from the start with the last clipped
// one pixel inside the fill's end.
std::vector<Rect> PlanProgressChunks(const ProgressFacts& facts);
// The five chunks of a marquee bar at `position` pixels from the start, each
// wrapped to the start when it begins past the end and clipped at the end;
// for a chunk of 1 without a gap one 40-pixel block whose overflow is drawn
// again at the start.
std::vector<Rect> PlanProgressMarquee(const ProgressFacts& facts, int position);
// One marquee step: the position advances by chunk + gap (8 for a chunk of 1
// without a gap) and wraps past the fill's end back to its start.
int NextMarqueePosition(const ProgressFacts& facts, int position);
// Steps per timer tick: 2 when the interval is below 51 ms, else 1.
int MarqueeStepsPerTick(int intervalMs);

// ---- spins ---------------------------------------------------------------------------------

// The buttons' area: the client rectangle, or, for a spin attached beside a
// buddy with a client edge (UDS_ALIGNRIGHT / UDS_ALIGNLEFT), less one pixel
// at the top, the bottom and the outer side (its one-pixel frame).
Rect SpinButtonArea(const Rect& client, uint32_t style, bool buddyHasClientEdge);

struct SpinPiece {
    int part = 0;  // SPIN part: UP 1, DOWN 2, UPHORZ 3, DOWNHORZ 4
    int half = 0;  // whose state it shows
    Rect rect;
    bool operator==(const SpinPiece&) const = default;
};
// The two buttons, split at mid = (start + end) / 2; for an odd extent the
// middle line belongs to neither. Horizontal: DOWNHORZ left, UPHORZ right;
// vertical: UP on top, DOWN below.
void PlanSpinPieces(const Rect& area, bool horizontal, SpinPiece* first, SpinPiece* second);

// ---- combo boxes ---------------------------------------------------------------------------

// The drop-down button: the `buttonWidth` pixels on the button side of `r`
// (the left with WS_EX_RIGHT).
Rect ComboButtonRect(const Rect& r, int buttonWidth, bool buttonLeft);
// The strip where the control drew its own button (`systemWidth` + 3 pixels).
Rect ComboSystemButtonStrip(const Rect& r, int systemWidth, bool buttonLeft);
// The text field an image face frames: `r` less 3 pixels on every side and
// less `buttonWidth` more on the button side.
Rect ComboTextField(const Rect& r, int buttonWidth, bool buttonLeft);

}  // namespace plym
