// controls/bmp_button_frame.h
//
// Which frame of a bitmap button's four-frame strip the face shows. The strip
// is four equal frames side by side (normal, hovered, pressed or checked,
// disabled); a strip whose width is not a multiple of four keeps the frame
// width rounded down and leaves the rest unused.
#pragma once

namespace controls {

enum ButtonFrame { kFrameNormal = 0, kFrameHovered = 1, kFramePressed = 2, kFrameDisabled = 3 };

struct ButtonFaceState {
    bool checked = false;   // latched toggle
    bool disabled = false;  // ODS_DISABLED of the draw request
    bool hovered = false;   // between WM_MOUSEHOVER and WM_MOUSELEAVE
    bool selected = false;  // ODS_SELECTED: the mouse button is down on it
};

// First match wins: checked, disabled, not hovered (so a press that came
// without a hover shows the normal frame), pressed, hovered.
ButtonFrame ChooseFrame(const ButtonFaceState& state);

// Left edge of `frame` in a strip `stripWidth` pixels wide.
inline int FrameOffset(int stripWidth, ButtonFrame frame) {
    return frame * (stripWidth / 4);
}

}  // namespace controls
