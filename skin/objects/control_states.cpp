// skin/objects/control_states.cpp
#include "skin/objects/control_states.h"

namespace plym {

int ButtonKind(uint32_t style, uint8_t kindOverride) {
    return kindOverride != 255 ? kindOverride : static_cast<int>(style & kBsTypeMask);
}

bool IsPushLikeButton(uint32_t style, int kind) {
    if (style & kBsPushLike)
        return true;
    switch (kind) {
        case kBsCheckBox:
        case kBsAutoCheckBox:
        case kBs3State:
        case kBsAuto3State:
        case kBsRadioButton:
        case kBsAutoRadioButton:
        case kBsGroupBox:
            return false;
        default:
            return true;
    }
}

PartState ButtonPartState(const ButtonFacts& f) {
    if (f.kind == kBsGroupBox)
        return {kButtonPartGroup, f.enabled ? 1 : 2};
    int state = !f.enabled ? 4 : f.pushed ? 3 : f.hot ? 2 : 0;
    if (IsPushLikeButton(f.style, f.kind)) {
        if (state == 0)
            state = f.check != 0 ? 3 : f.kind == kBsDefPushButton ? 5 : 1;
        return {kButtonPartPush, state};
    }
    if (state == 0)
        state = 1;
    if (f.check != 0)
        state += 4;
    const bool threeState = f.kind == kBs3State || f.kind == kBsAuto3State;
    if (threeState && f.check == 2)
        state += 4;
    const bool radio = f.kind == kBsRadioButton || f.kind == kBsAutoRadioButton;
    return {radio ? kButtonPartRadio : kButtonPartCheck, state};
}

TextPlacement ButtonTextPlacement(uint32_t style, int kind) {
    TextPlacement placement;
    switch (style & kBsCenter) {
        case kBsLeft:
            placement.horizontal = TextPlacement::kLeft;
            break;
        case kBsRight:
            placement.horizontal = TextPlacement::kRight;
            break;
        case kBsCenter:
            placement.horizontal = TextPlacement::kCenter;
            break;
        default:
            placement.horizontal =
                IsPushLikeButton(style, kind) ? TextPlacement::kCenter : TextPlacement::kLeft;
            break;
    }
    switch (style & kBsVCenter) {
        case kBsTop:
            placement.vertical = TextPlacement::kTop;
            break;
        case kBsBottom:
            placement.vertical = TextPlacement::kBottom;
            break;
        default:
            placement.vertical = TextPlacement::kMiddle;
            break;
    }
    placement.multiline = (style & kBsMultiLine) != 0;
    return placement;
}

int ComboBoxState(bool enabled, bool leftButtonDown, bool dropped, bool hot) {
    if (!enabled)
        return 4;
    if (leftButtonDown && dropped)
        return 3;
    return hot ? 2 : 1;
}

int DatePickerState(bool enabled, bool hot) {
    return !enabled ? 4 : hot ? 2 : 1;
}

int DatePickerCheckState(bool enabled, bool dateSet) {
    return (enabled ? 1 : 4) + (dateSet ? 4 : 0);
}

int HeaderItemState(bool isHotItem, bool pressed) {
    return isHotItem ? (pressed ? 3 : 2) : 1;
}

uint32_t ToolBarItemState(uint8_t tbState, bool isHotItem) {
    uint32_t state = 0;
    if (isHotItem)
        state |= kCdisHot;
    if (tbState & kTbStatePressed)
        state |= kCdisSelected;
    if (tbState & kTbStateChecked)
        state |= kCdisChecked;
    if (!(tbState & kTbStateEnabled))
        state |= kCdisDisabled;
    return state;
}

int ToolBarButtonState(uint32_t itemState) {
    if (itemState & kCdisDisabled)
        return 4;
    if (itemState & kCdisSelected)
        return 3;
    if (itemState & kCdisChecked)
        return 5;
    if (itemState & kCdisHot)
        return 2;
    return 1;
}

ToolBarButtonParts ChooseToolBarButtonParts(uint8_t buttonStyle, uint32_t extendedStyle, int menuCheckWidth) {
    ToolBarButtonParts parts;
    const bool dropDown = (buttonStyle & (kBtnsDropDown | kBtnsWholeDropDown)) != 0;
    if (dropDown && (extendedStyle & kTbStyleExDrawDDArrows)) {
        parts.part = 3;
        parts.arrowPart = 4;
        parts.arrowWidth = (buttonStyle & kBtnsWholeDropDown) ? menuCheckWidth : 5;
    }
    return parts;
}

int TrackBarChannelPart(uint32_t style) {
    return (style & kTbsVert) ? 2 : 1;
}

int TrackBarTicsPart(uint32_t style) {
    return (style & kTbsVert) ? 10 : 9;
}

int TrackBarThumbPart(uint32_t style) {
    const bool vertical = (style & kTbsVert) != 0;
    if (style & kTbsBoth)
        return vertical ? 6 : 3;
    if (vertical)
        return (style & kTbsTop) ? 7 : 8;
    return (style & kTbsTop) ? 5 : 4;
}

int TrackBarThumbState(bool enabled, bool captured, bool focusShown, bool hot) {
    if (!enabled)
        return 5;
    if (captured)
        return 3;
    if (focusShown)
        return 4;
    return hot ? 2 : 1;
}

int SpinHalfAt(bool horizontal, const Rect& client, Point p) {
    if (p.x < client.left || p.x >= client.right || p.y < client.top || p.y >= client.bottom)
        return kSpinNone;
    if (horizontal) {
        const int mid = client.Width() / 2;
        const int x = p.x - client.left;
        return x < mid ? kSpinDecrease : x > mid ? kSpinIncrease : kSpinNone;
    }
    const int mid = client.Height() / 2;
    const int y = p.y - client.top;
    return y > mid ? kSpinDecrease : y < mid ? kSpinIncrease : kSpinNone;
}

int SpinHalfState(int half, bool enabled, int pressedHalf, int hotHalf) {
    if (!enabled)
        return 4;
    if (half == pressedHalf)
        return hotHalf == half ? 3 : 2;
    if (hotHalf == half && pressedHalf == kSpinNone)
        return 2;
    return 1;
}

}  // namespace plym
