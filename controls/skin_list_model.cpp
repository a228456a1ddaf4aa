// controls/skin_list_model.cpp
#include "controls/skin_list_model.h"

#include <algorithm>
#include <cmath>

namespace controls {

std::vector<StripeBand> ListStripes(const StripeLayout& layout) {
    const int rows = std::max(layout.countPerPage, layout.itemCount);
    const int known = std::min<int>(layout.itemCount, static_cast<int>(layout.itemTops.size()));
    const int step = std::max(layout.rowHeight, 1);
    auto top = [&](int row) {
        if (row < known)
            return layout.itemTops[static_cast<size_t>(row)];
        if (known == 0)
            return layout.firstTop + row * step;
        return layout.itemTops[static_cast<size_t>(known - 1)] + (row - known + 1) * step;
    };
    std::vector<StripeBand> bands;
    bands.reserve(static_cast<size_t>(rows) + 1);
    for (int i = 0; i <= rows; ++i)
        bands.push_back({top(i), top(i + 1), i % 2 == 0 ? layout.evenColor : layout.oddColor});
    return bands;
}

ScrollBarModel::ScrollBarModel(BarOrientation orientation) : orientation_(orientation) {
    thumb_ = ThumbStart();
}

int ScrollBarModel::ThumbStart() const {
    return vertical() ? 36 : 25;
}
int ScrollBarModel::Reserve() const {
    return vertical() ? 98 : 75;
}

double ScrollBarModel::PixelsPerUnit(int limit) const {
    const int travel = length_ - Reserve();
    if (limit <= 0 || travel <= 0)
        return 0.0;
    return static_cast<double>(travel) / limit;
}

void ScrollBarModel::Clamp() {
    if (vertical()) {
        if (thumb_ + kThumbLength > length_ - 37)
            thumb_ = length_ - 62;
    } else {
        if (thumb_ + kThumbLength > length_ - 26)
            thumb_ = length_ - 51;
    }
    thumb_ = std::max(thumb_, ThumbStart());
}

void ScrollBarModel::Update(int limit, int pos) {
    limit_ = limit;
    pixelsPerUnit_ = PixelsPerUnit(limit);
    thumb_ = static_cast<int>(std::trunc(pixelsPerUnit_ * pos)) + ThumbStart();
    Clamp();
}

BarRect ScrollBarModel::BackArrowRect() const {
    return vertical() ? BarRect{0, 11, kThickness, 37} : BarRect{0, 0, 26, 20};
}

BarRect ScrollBarModel::ForwardArrowRect() const {
    return vertical() ? BarRect{0, length_ - 37, kThickness, length_ - 11}
                      : BarRect{length_ - 26, 0, length_, 20};
}

BarRect ScrollBarModel::ThumbRect() const {
    return vertical() ? BarRect{0, thumb_, kThickness, thumb_ + kThumbLength}
                      : BarRect{thumb_, 0, thumb_ + kThumbLength, 20};
}

BarPart ScrollBarModel::HitTest(int x, int y) const {
    if (thumbVisible() && ThumbRect().Contains(x, y))
        return BarPart::Thumb;
    if (BackArrowRect().Contains(x, y))
        return BarPart::BackArrow;
    if (ForwardArrowRect().Contains(x, y))
        return BarPart::ForwardArrow;
    return BarPart::None;
}

BarStep ScrollBarModel::ButtonDown(int x, int y) {
    BarStep step;
    step.capture = true;
    switch (HitTest(x, y)) {
        case BarPart::Thumb:
            thumbHeld_ = true;
            break;
        case BarPart::BackArrow:
            backHeld_ = true;
            step.startDelay = true;
            break;
        case BarPart::ForwardArrow:
            forwardHeld_ = true;
            step.startDelay = true;
            break;
        case BarPart::None:
            break;
    }
    return step;
}

BarStep ScrollBarModel::Timer(int id) {
    BarStep step;
    if (id == kDelayTimer && (backHeld_ || forwardHeld_)) {
        step.startRepeat = true;
    } else if (id == kRepeatTimer && (backHeld_ || forwardHeld_)) {
        step.lines = forwardHeld_ ? 1 : -1;
        step.updateThumb = true;
    }
    return step;
}

BarStep ScrollBarModel::MouseMove(int x, int y, int limit, int pos) {
    BarStep step;
    if (!thumbHeld_)
        return step;
    thumb_ = Along(x, y) - kThumbLength / 2;
    const double perUnit = PixelsPerUnit(limit);
    if (perUnit > 0.0) {
        const double target = (thumb_ - ThumbStart()) / perUnit;
        step.dragUnits = static_cast<int>(std::trunc(target)) - pos;
    }
    Clamp();
    step.repaint = true;
    return step;
}

BarStep ScrollBarModel::ButtonUp(int x, int y) {
    BarStep step;
    step.stopTimers = true;
    step.release = true;
    const BarPart part = HitTest(x, y);
    const bool onBack = BackArrowRect().Contains(x, y);
    const bool onForward = ForwardArrowRect().Contains(x, y);
    if (vertical()) {
        if (onBack && backHeld_)
            step.lines = -1;
        else if (onForward && forwardHeld_)
            step.lines = 1;
    } else {
        if (onBack)
            step.lines = -1;
        else if (onForward)
            step.lines = 1;
    }
    if (step.lines == 0 && part != BarPart::Thumb && !thumbHeld_)
        step.pages = Along(x, y) <= thumb_ ? -1 : 1;
    step.updateThumb = true;
    backHeld_ = forwardHeld_ = thumbHeld_ = false;
    return step;
}

BarStep ScrollBarModel::CaptureLost() {
    BarStep step;
    if (!backHeld_ && !forwardHeld_ && !thumbHeld_)
        return step;
    step.stopTimers = true;
    step.updateThumb = true;
    backHeld_ = forwardHeld_ = thumbHeld_ = false;
    return step;
}

}  // namespace controls
