// controls/slider_model.cpp
#include "controls/slider_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace controls {

namespace {

// A value already known to lie in [lo, hi] as an int; NaN gives lo.
int ClampToInt(double v, int lo, int hi) {
    if (!(v >= lo))
        return lo;
    if (v > hi)
        return hi;
    return static_cast<int>(v);
}

int ClampToInt(int64_t v, int lo, int hi) {
    return static_cast<int>(std::clamp<int64_t>(v, lo, hi));
}

}  // namespace

int ThumbFrame(ThumbState state) {
    switch (state) {
        case ThumbState::Hovered:
            return 1;
        case ThumbState::Pressed:
            return 2;
        case ThumbState::Fourth:
            return 3;
        case ThumbState::Normal:
        default:
            return 0;
    }
}

// ---- the tool bar's slider --------------------------------------------------------------

void BitmapSliderModel::SetMargin(int left, int right) {
    leftMargin_ = left;
    rightMargin_ = right;
}

void BitmapSliderModel::SetRange(int /*min*/, int max) {
    max_ = max;
    SetPos(pos_);
}

void BitmapSliderModel::SetThumbSize(int frameWidth, int height) {
    frameWidth_ = std::max(0, frameWidth);
    thumbHeight_ = std::max(0, height);
}

void BitmapSliderModel::SetPos(double pos) {
    if (EmptyRange() || !(pos >= min_))
        pos_ = min_;
    else
        pos_ = std::min(pos, static_cast<double>(max_));
}

int BitmapSliderModel::Travel() const {
    return client_.width - rightMargin_ - leftMargin_;
}

PixelRect BitmapSliderModel::ThumbRect() const {
    double along = 0.0;
    if (!EmptyRange() && Travel() > 0)
        along = Travel() * (pos_ / (static_cast<double>(max_) - min_));
    const int x = client_.x + leftMargin_ - frameWidth_ / 2 + static_cast<int>(along);
    const int y = client_.y + (client_.height - thumbHeight_) / 2;
    return {x, y, frameWidth_, thumbHeight_};
}

int BitmapSliderModel::ActiveChannelRight() const {
    if (EmptyRange() || client_.width <= 0)
        return client_.x;
    return client_.x + static_cast<int>(client_.width * (pos_ / (static_cast<double>(max_) - min_)));
}

double BitmapSliderModel::PositionAt(int x) const {
    if (EmptyRange() || Travel() <= 0)
        return min_;
    const double pos = (static_cast<double>(max_) - min_) * (x - leftMargin_ - client_.x) / Travel();
    if (pos <= 0)
        return 0;
    if (pos >= max_)
        return max_;
    return pos;
}

SliderEvent BitmapSliderModel::LeftButtonDown(int x, int /*y*/) {
    if (pressed_)
        return {};
    pressed_ = true;
    state_ = ThumbState::Pressed;
    SetPos(PositionAt(x));
    return {SliderNotice::Moving, static_cast<int>(pos_)};
}

SliderEvent BitmapSliderModel::MouseMove(int x, int y) {
    if (pressed_) {
        SetPos(PositionAt(x));
        return {SliderNotice::Moving, static_cast<int>(pos_)};
    }
    state_ = ThumbRect().Contains(x, y) ? ThumbState::Hovered : ThumbState::Normal;
    return {};
}

SliderEvent BitmapSliderModel::LeftButtonUp(int x, int y) {
    state_ = ThumbRect().Contains(x, y) ? ThumbState::Hovered : ThumbState::Normal;
    pressed_ = false;
    return {SliderNotice::Released, static_cast<int>(pos_)};
}

// ---- the file player's slider -----------------------------------------------------------

void BmpSliderModel::SetSize(int width, int height) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
}

void BmpSliderModel::SetThumbSize(int width, int height) {
    thumbWidth_ = std::max(0, width);
    thumbHeight_ = std::max(0, height);
}

void BmpSliderModel::SetMargins(int left, int top, int right, int bottom) {
    leftMargin_ = left;
    topMargin_ = top;
    rightMargin_ = right;
    bottomMargin_ = bottom;
}

void BmpSliderModel::SetRange(int min, int max) {
    min_ = min;
    max_ = max;
    SetPos(pos_);
}

void BmpSliderModel::SetPos(int pos) {
    pos_ = max_ <= min_ ? min_ : std::clamp(pos, min_, max_);
}

int BmpSliderModel::SetPageSize(int step) {
    const int previous = page_;
    page_ = step;
    return previous;
}

int BmpSliderModel::Travel() const {
    return Length() - ThumbLength() - StartMargin() - EndMargin();
}

int BmpSliderModel::CentreOf(int pos) const {
    const int start = ThumbLength() / 2 + StartMargin();
    if (max_ <= min_ || Travel() <= 0)
        return start;
    const double share = (static_cast<double>(pos) - min_) / (static_cast<double>(max_) - min_);
    return start + static_cast<int>(share * Travel());
}

int BmpSliderModel::PositionAt(int pixel) const {
    if (max_ <= min_ || Travel() <= 0)
        return min_;
    const double share = (static_cast<double>(pixel) - ThumbLength() / 2 - StartMargin()) / Travel();
    return ClampToInt(std::trunc(share * (static_cast<double>(max_) - min_) + min_), min_, max_);
}

PixelRect BmpSliderModel::ThumbRect() const {
    const int centre = CentreOf(pos_);
    if (vertical_)
        return {leftMargin_, centre - thumbHeight_ / 2, thumbWidth_, thumbHeight_};
    return {centre - thumbWidth_ / 2, topMargin_, thumbWidth_, thumbHeight_};
}

SliderEvent BmpSliderModel::LeftButtonDown(int along) {
    if (!enabled_)
        return {};
    dragging_ = true;
    // Grabbed on the thumb: keep where; elsewhere the thumb jumps to the mouse.
    const int centre = CentreOf(pos_);
    grab_ = std::abs(along - centre) <= ThumbLength() / 2 ? along - centre : 0;
    return MouseMove(along);
}

SliderEvent BmpSliderModel::MouseMove(int along) {
    if (!dragging_ || !enabled_)
        return {};
    const int lo = ThumbLength() / 2 + StartMargin();
    const int hi = Length() - EndMargin() - ThumbLength() / 2;
    const int centre = hi < lo ? lo : std::clamp(along - grab_, lo, hi);
    if (centre == CentreOf(pos_))
        return {};
    SetPos(PositionAt(centre));
    return {SliderNotice::Moving, pos_};
}

SliderEvent BmpSliderModel::LeftButtonUp() {
    // A drag ends with its release even while disabled, or the thumb would
    // follow the mouse, button up, once the slider is enabled again.
    dragging_ = false;
    if (!enabled_)
        return {};
    return {SliderNotice::Changed, pos_};
}

SliderEvent BmpSliderModel::KeyDown(SliderKey key, bool* handled) {
    bool taken = enabled_;
    int64_t target = pos_;
    switch (key) {
        case SliderKey::PageUp:
            target -= page_;
            break;
        case SliderKey::PageDown:
            target += page_;
            break;
        case SliderKey::End:
            target = max_;
            break;
        case SliderKey::Home:
            target = min_;
            break;
        case SliderKey::Left:
        case SliderKey::Up:
            target -= 1;
            break;
        case SliderKey::Right:
        case SliderKey::Down:
            target += 1;
            break;
        case SliderKey::Other:
        default:
            taken = false;
            break;
    }
    if (handled)
        *handled = taken;
    if (!taken)
        return {};
    SetPos(ClampToInt(target, std::min(min_, max_), std::max(min_, max_)));
    return {SliderNotice::Changed, pos_};
}

}  // namespace controls
