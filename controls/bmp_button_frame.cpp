// controls/bmp_button_frame.cpp
#include "controls/bmp_button_frame.h"

namespace controls {

ButtonFrame ChooseFrame(const ButtonFaceState& state) {
    if (state.checked)
        return kFramePressed;
    if (state.disabled)
        return kFrameDisabled;
    if (!state.hovered)
        return kFrameNormal;
    if (state.selected)
        return kFramePressed;
    return kFrameHovered;
}

}  // namespace controls
