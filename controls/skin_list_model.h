// controls/skin_list_model.h
//
// The skinned list without its windows: the row stripes it paints and the
// behaviour of its two bitmap scroll bars. The list and bar windows
// (controls/skin_list_ctrl.h) feed sizes, scroll state and mouse input in and
// carry out what they are told.
//
// Stripes. Rows from 0 alternate the even and the odd colour, and the stripes
// run on below the last item for a page of rows. A list view reports
// rectangles only for items it has, so the rows past the last item are laid
// out from the row height: item 0's height, or one from the font when the
// list is empty (its first row then starts right below the header).
//
// Scroll bars. A bar is a strip 12 pixels across: a vertical one has a cap,
// an up arrow and a channel from the top, a down arrow and a cap at the
// bottom; a horizontal one has its arrows at the two ends. The 26-pixel thumb
// moves along the channel in proportion to the list's scroll position:
//
//   vertical     pixels per unit = (h - 98) / limit, top = that * pos + 36,
//                kept in [36, h - 62] (the minimum wins on a short bar)
//   horizontal   pixels per unit = (w - 75) / limit, left = that * pos + 25,
//                kept in [25, w - 51]
//
// A scroll limit of 0 hides the thumb and a bar too short for any travel
// (no more than 98 or 75 pixels) has none: the thumb then sits at its minimum
// and dragging it scrolls nothing, rather than dividing by zero.
//
// Mouse: pressing an arrow arms a 250 ms delay, after which the arrow repeats
// every 50 ms until the release; the release on the arrow that was held adds
// one more line (so a short click is one line). The horizontal bar steps on a
// release over either arrow, whichever was pressed. Dragging the thumb scrolls
// by whole units (rows, for the vertical bar); releasing elsewhere off the
// thumb pages towards the mouse. A bar that loses the mouse to another window
// while an arrow is held stops repeating.
#pragma once

#include <cstdint>
#include <vector>

namespace controls {

// ---- stripes -------------------------------------------------------------------

struct StripeBand {
    int top = 0;
    int bottom = 0;
    uint32_t color = 0;
    bool operator==(const StripeBand&) const = default;
};

struct StripeLayout {
    int itemCount = 0;          // LVM_GETITEMCOUNT
    int countPerPage = 0;       // LVM_GETCOUNTPERPAGE
    std::vector<int> itemTops;  // tops of items 0.. that the list reported (at most itemCount)
    int rowHeight = 0;          // item 0's height, or the font's for an empty list
    int firstTop = 0;           // where row 0 starts when the list has no items
    uint32_t evenColor = 0xB4B4B4;
    uint32_t oddColor = 0xA0A0A0;
};

// Bands for rows 0 .. max(count per page, item count), each from the top of
// its row to the top of the next.
std::vector<StripeBand> ListStripes(const StripeLayout& layout);

// ---- scroll bars -------------------------------------------------------------------

enum class BarOrientation { Vertical, Horizontal };

// What the bar window does after an input, in this order: capture or release
// the mouse, stop / start its timers, scroll the list, re-read the list's
// position (UpdateThumb), repaint.
struct BarStep {
    bool capture = false;
    bool release = false;
    bool startDelay = false;   // timer 2, 250 ms
    bool startRepeat = false;  // kill timer 2, start timer 1 every 50 ms
    bool stopTimers = false;   // kill timers 1 and 2
    int lines = 0;             // -1 a line back (up/left), +1 a line forward
    int pages = 0;             // -1 a page back, +1 a page forward
    int dragUnits = 0;         // scroll by this many units (LVM_SCROLL)
    bool updateThumb = false;  // after the scrolling: re-read and repaint
    bool repaint = false;
};

enum class BarPart { None, BackArrow, ForwardArrow, Thumb };

struct BarRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const BarRect&) const = default;
};

class ScrollBarModel {
  public:
    static constexpr int kThickness = 12;  // the bar's width (vertical) or height
    static constexpr int kThumbLength = 26;
    static constexpr int kRepeatTimer = 1;
    static constexpr int kDelayTimer = 2;
    static constexpr unsigned kDelayMs = 250;
    static constexpr unsigned kRepeatMs = 50;

    explicit ScrollBarModel(BarOrientation orientation);

    BarOrientation orientation() const { return orientation_; }
    bool vertical() const { return orientation_ == BarOrientation::Vertical; }
    // The client height (vertical) or width (horizontal).
    void SetLength(int length) { length_ = length; }
    int length() const { return length_; }

    // UpdateThumb: places the thumb for the list's scroll limit and position.
    void Update(int limit, int pos);
    int thumb() const { return thumb_; }  // top or left, in bar pixels
    bool thumbVisible() const { return limit_ != 0; }
    double pixelsPerUnit() const { return pixelsPerUnit_; }
    // The smallest thumb position (36 or 25).
    int ThumbStart() const;

    BarRect BackArrowRect() const;
    BarRect ForwardArrowRect() const;
    BarRect ThumbRect() const;
    // The thumb (when shown) before the arrows.
    BarPart HitTest(int x, int y) const;

    bool backHeld() const { return backHeld_; }
    bool forwardHeld() const { return forwardHeld_; }
    bool thumbHeld() const { return thumbHeld_; }

    BarStep ButtonDown(int x, int y);
    BarStep Timer(int id);
    // While the thumb is held; `limit` and `pos` are the list's now.
    BarStep MouseMove(int x, int y, int limit, int pos);
    // The window runs UpdateThumb (Update) before it passes the release.
    BarStep ButtonUp(int x, int y);
    // Another window took the mouse while a part was held: nothing is held
    // any more and the repeat stops, with no step of its own.
    BarStep CaptureLost();

  private:
    int Along(int x, int y) const { return vertical() ? y : x; }
    int Reserve() const;  // pixels of the bar that are not thumb travel
    void Clamp();
    double PixelsPerUnit(int limit) const;

    BarOrientation orientation_;
    int length_ = 0;
    int limit_ = 0;
    int thumb_ = 0;
    double pixelsPerUnit_ = 0.0;
    bool backHeld_ = false;
    bool forwardHeld_ = false;
    bool thumbHeld_ = false;
};

}  // namespace controls
