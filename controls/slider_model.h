// controls/slider_model.h
//
// The two bitmap sliders without their windows: where the thumb is drawn for
// a position, which position a mouse point or a key gives, and what the slider
// tells its parent. The slider windows feed client sizes, mouse and keys in,
// paint what they are told, and post the message an event names with the
// control id and the position.
//
//   BitmapSliderModel  the playback tool bar's slider (CBitmapSlider): a
//                      double position from 0 to a maximum (the minimum is
//                      always 0), a travel between two margins, a four-state
//                      thumb; posts "moving" while pressed and "released"
//   BmpSliderModel     the file player's slider (CBmpSlider): an int position
//                      in [min, max], horizontal or vertical, a page step,
//                      dragging that keeps where the thumb was grabbed, keys;
//                      posts "moving" while dragging and "changed" on release
//                      and after every key
//
// An empty range (maximum not above the minimum) or a travel of no pixels
// (a control narrower than its margins and thumb) divides by nothing: the
// position is the minimum and the thumb sits at the start of the travel.
#pragma once

#include <cstdint>

#include "winlib/pixel_rect.h"

namespace controls {

using winlib::PixelRect;

// What the slider posts to its parent, with the position.
enum class SliderNotice { None, Moving, Released, Changed };

struct SliderEvent {
    SliderNotice notice = SliderNotice::None;
    int position = 0;
    bool operator==(const SliderEvent&) const = default;
};

// Thumb states of the tool bar's slider (frames 0..3 of its strip).
enum class ThumbState { Normal = 1, Hovered = 2, Pressed = 4, Fourth = 8 };
int ThumbFrame(ThumbState state);

class BitmapSliderModel {
  public:
    void SetMargin(int left, int right);
    // Stores only the maximum; the minimum stays 0.
    void SetRange(int min, int max);
    // The thumb strip's frame width (strip width / 4) and height.
    void SetThumbSize(int frameWidth, int height);
    // Clamped to [min, max].
    void SetPos(double pos);
    void SetClient(const PixelRect& client) { client_ = client; }

    double pos() const { return pos_; }
    int min() const { return min_; }
    int max() const { return max_; }
    ThumbState thumbState() const { return state_; }
    bool pressed() const { return pressed_; }

    PixelRect ThumbRect() const;
    // Right edge of the active (filled) part of the channel.
    int ActiveChannelRight() const;
    // The position a client x gives, clamped to [0, max].
    double PositionAt(int x) const;

    // Mouse input; the window captures on a press and releases on the release.
    SliderEvent LeftButtonDown(int x, int y);
    SliderEvent MouseMove(int x, int y);
    SliderEvent LeftButtonUp(int x, int y);

  private:
    bool EmptyRange() const { return max_ <= min_; }
    int Travel() const;  // usable width between the margins

    PixelRect client_;
    int leftMargin_ = 2;
    int rightMargin_ = 2;
    int frameWidth_ = 0;
    int thumbHeight_ = 0;
    double pos_ = 0.0;
    int min_ = 0;
    int max_ = 1000;
    bool pressed_ = false;
    ThumbState state_ = ThumbState::Normal;
};

enum class SliderKey { PageUp, PageDown, End, Home, Left, Up, Right, Down, Other };

class BmpSliderModel {
  public:
    void SetVertical(bool vertical) { vertical_ = vertical; }
    // The control's size (the channel image's, or the client's).
    void SetSize(int width, int height);
    void SetThumbSize(int width, int height);
    void SetMargins(int left, int top, int right, int bottom);
    void SetRange(int min, int max);
    // Clamped to [min, max]; the minimum when the range is empty.
    void SetPos(int pos);
    // Returns the previous step.
    int SetPageSize(int step);
    void SetEnabled(bool enabled) { enabled_ = enabled; }

    int pos() const { return pos_; }
    int min() const { return min_; }
    int max() const { return max_; }
    int pageSize() const { return page_; }
    bool dragging() const { return dragging_; }
    bool enabled() const { return enabled_; }
    int grabOffset() const { return grab_; }

    // The thumb centre's pixel along the travel for a position, and back.
    int CentreOf(int pos) const;
    int PositionAt(int pixel) const;
    PixelRect ThumbRect() const;

    // Mouse points along the travel (x, or y when vertical).
    SliderEvent LeftButtonDown(int along);
    SliderEvent MouseMove(int along);
    SliderEvent LeftButtonUp();
    // Handled is false for keys the slider leaves to default processing.
    SliderEvent KeyDown(SliderKey key, bool* handled);

  private:
    int Length() const { return vertical_ ? height_ : width_; }
    int ThumbLength() const { return vertical_ ? thumbHeight_ : thumbWidth_; }
    int StartMargin() const { return vertical_ ? topMargin_ : leftMargin_; }
    int EndMargin() const { return vertical_ ? bottomMargin_ : rightMargin_; }
    int Travel() const;  // pixels the centre can move over

    bool vertical_ = false;
    int width_ = 0;
    int height_ = 0;
    int thumbWidth_ = 0;
    int thumbHeight_ = 0;
    int leftMargin_ = 0;
    int topMargin_ = 0;
    int rightMargin_ = 0;
    int bottomMargin_ = 0;
    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
    int page_ = 20;
    int grab_ = 0;
    bool dragging_ = false;
    bool enabled_ = true;
};

}  // namespace controls
