// controls/slider_messages.h
//
// What the bitmap sliders post to their parent: wParam is the control id,
// lParam the position. The program's table of private messages names the same
// numbers; the controls keep their own so that they do not depend on the
// program.
#pragma once

namespace controls {

// The tool bar's slider (CBitmapSlider): while pressed, and on release.
inline constexpr unsigned WM_SLIDER_RELEASED = 0x464;
inline constexpr unsigned WM_SLIDER_MOVING = 0x465;
// The static-based slider (CBmpSlider): while dragging; on release and after
// every key step.
inline constexpr unsigned WM_BMPSLIDER_MOVING = 0x28D1;
inline constexpr unsigned WM_BMPSLIDER_CHANGED = 0x28D2;

}  // namespace controls
