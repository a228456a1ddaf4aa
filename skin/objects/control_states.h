// skin/objects/control_states.h
//
// Which skin part and state a control is drawn in, decided from its style and
// what it reports, without a window: buttons, combo boxes and date pickers,
// header items, tool-bar buttons, track-bar thumbs and spin halves. The
// control skins (control_skins.h) ask the window, feed these and draw what
// they answer. Style and message values are the Windows ones.
#pragma once

#include <cstdint>

#include "skin/core/plym_types.h"

namespace plym {

struct PartState {
    int part = 0;
    int state = 0;
    bool operator==(const PartState&) const = default;
};

// ---- buttons ---------------------------------------------------------------------------

inline constexpr uint32_t kBsTypeMask = 0x0F;
inline constexpr int kBsPushButton = 0;
inline constexpr int kBsDefPushButton = 1;
inline constexpr int kBsCheckBox = 2;
inline constexpr int kBsAutoCheckBox = 3;
inline constexpr int kBsRadioButton = 4;
inline constexpr int kBs3State = 5;
inline constexpr int kBsAuto3State = 6;
inline constexpr int kBsGroupBox = 7;
inline constexpr int kBsAutoRadioButton = 9;
inline constexpr int kBsOwnerDraw = 11;
inline constexpr uint32_t kBsLeft = 0x100;
inline constexpr uint32_t kBsRight = 0x200;
inline constexpr uint32_t kBsCenter = 0x300;
inline constexpr uint32_t kBsTop = 0x400;
inline constexpr uint32_t kBsBottom = 0x800;
inline constexpr uint32_t kBsVCenter = 0xC00;
inline constexpr uint32_t kBsPushLike = 0x1000;
inline constexpr uint32_t kBsMultiLine = 0x2000;

// BUTTON parts.
inline constexpr int kButtonPartPush = 1;
inline constexpr int kButtonPartRadio = 2;
inline constexpr int kButtonPartCheck = 3;
inline constexpr int kButtonPartGroup = 4;

// The kind a button is drawn as: `kindOverride` unless it is 255, else the
// type bits of the style.
int ButtonKind(uint32_t style, uint8_t kindOverride);
// Owner-drawn kinds (11 and up) are left to the button itself.
inline bool IsSkinnedButtonKind(int kind) {
    return kind >= 0 && kind < kBsOwnerDraw;
}
// Push buttons, default push buttons and anything with BS_PUSHLIKE (also the
// rare user and push-box kinds, which have no glyph of their own).
bool IsPushLikeButton(uint32_t style, int kind);

struct ButtonFacts {
    uint32_t style = 0;
    int kind = 0;
    bool enabled = true;
    bool pushed = false;  // BM_SETSTATE
    bool hot = false;     // the mouse is over it, or it has the capture
    int check = 0;        // BM_GETCHECK: 0, 1 checked, 2 indeterminate
};

// Push-like: disabled 4, pushed 3, hot 2, checked 3, default 5, else 1.
// Radio and check box: disabled 4, pushed 3, hot 2, else 1; +4 when checked,
// +4 more for the indeterminate state of the 3-state kinds. Group box: 1, 2
// when disabled.
PartState ButtonPartState(const ButtonFacts& facts);

// Where a button's text goes in its rectangle.
struct TextPlacement {
    enum { kLeft, kCenter, kRight } horizontal = kLeft;
    enum { kTop, kMiddle, kBottom } vertical = kMiddle;
    bool multiline = false;
    bool operator==(const TextPlacement&) const = default;
};
// BS_LEFT / BS_RIGHT / BS_CENTER and BS_TOP / BS_BOTTOM / BS_VCENTER; without
// them push-like buttons centre and the others align left, vertically centred.
TextPlacement ButtonTextPlacement(uint32_t style, int kind);

// ---- combo boxes and date pickers -------------------------------------------------------

// COMBOBOX states: disabled 4; pressed 3 only while the list is dropped and
// the left mouse button is down; hot 2; else 1.
int ComboBoxState(bool enabled, bool leftButtonDown, bool dropped, bool hot);
// A date picker: disabled 4, hot 2, else 1.
int DatePickerState(bool enabled, bool hot);
// The check box of a DTS_SHOWNONE picker (BUTTON check-box states):
// unchecked normal 1 or disabled 4, 4 higher once a date is set.
int DatePickerCheckState(bool enabled, bool dateSet);

// ---- headers -------------------------------------------------------------------------------

// An item: part 1, state 1; the hot item 2, 3 while pressed.
int HeaderItemState(bool isHotItem, bool pressed);

// ---- tool bars -----------------------------------------------------------------------------

inline constexpr uint8_t kTbStateChecked = 0x01;
inline constexpr uint8_t kTbStatePressed = 0x02;
inline constexpr uint8_t kTbStateEnabled = 0x04;
inline constexpr uint8_t kTbStateHidden = 0x08;
inline constexpr uint8_t kBtnsSep = 0x01;
inline constexpr uint8_t kBtnsDropDown = 0x08;
inline constexpr uint8_t kBtnsWholeDropDown = 0x80;
inline constexpr uint32_t kTbStyleExDrawDDArrows = 0x01;
inline constexpr uint32_t kCdisSelected = 0x01;
inline constexpr uint32_t kCdisDisabled = 0x04;
inline constexpr uint32_t kCdisChecked = 0x08;
inline constexpr uint32_t kCdisHot = 0x40;

// The custom-draw item state of a button: CDIS_HOT for the hot item,
// CDIS_SELECTED when pressed, CDIS_CHECKED when checked, CDIS_DISABLED
// without TBSTATE_ENABLED.
uint32_t ToolBarItemState(uint8_t tbState, bool isHotItem);
// Background state from the custom-draw item state: disabled 4, pressed 3,
// checked 5, hot 2, else 1.
int ToolBarButtonState(uint32_t itemState);

// A button's background: part 1, or for a drop-down button of a tool bar with
// TBSTYLE_EX_DRAWDDARROWS part 3 with an arrow strip of part 4 at its right,
// `menuCheckWidth` wide for a whole-drop-down button, else 5 pixels.
struct ToolBarButtonParts {
    int part = 1;
    int arrowPart = 0;  // 0: no arrow strip
    int arrowWidth = 0;
    bool operator==(const ToolBarButtonParts&) const = default;
};
ToolBarButtonParts ChooseToolBarButtonParts(uint8_t buttonStyle, uint32_t extendedStyle, int menuCheckWidth);

// ---- track bars --------------------------------------------------------------------------

inline constexpr uint32_t kTbsVert = 0x0002;
inline constexpr uint32_t kTbsTop = 0x0004;  // also TBS_LEFT
inline constexpr uint32_t kTbsBoth = 0x0008;
inline constexpr uint32_t kTbsNoTicks = 0x0010;
inline constexpr uint32_t kTbsEnableSelRange = 0x0020;
inline constexpr uint32_t kTbsFixedLength = 0x0040;
inline constexpr uint32_t kTbsNoThumb = 0x0080;

// TRACKBAR parts: the channel (TRACK 1, TRACKVERT 2), the tick rows (TICS 9,
// TICSVERT 10) and the thumb (THUMB 3 or THUMBVERT 6 with TBS_BOTH; else
// THUMBBOTTOM 4 / THUMBTOP 5, THUMBLEFT 7 / THUMBRIGHT 8 for vertical bars).
int TrackBarChannelPart(uint32_t style);
int TrackBarTicsPart(uint32_t style);
int TrackBarThumbPart(uint32_t style);
// Disabled 5; pressed 3 while it has the capture; focused 4 when it has the
// focus shown; hot 2; else 1.
int TrackBarThumbState(bool enabled, bool captured, bool focusShown, bool hot);

// ---- spins -------------------------------------------------------------------------------

inline constexpr uint32_t kUdsAlignRight = 0x0004;
inline constexpr uint32_t kUdsAlignLeft = 0x0008;
inline constexpr uint32_t kUdsHorz = 0x0040;

// Halves: 0 none, 1 the decreasing (down or left) one, 2 the increasing one.
inline constexpr int kSpinNone = 0;
inline constexpr int kSpinDecrease = 1;
inline constexpr int kSpinIncrease = 2;

// The half under a point (client coordinates): horizontally left of the
// middle is 1 and right of it 2; vertically below the middle is 1 and above it
// 2; the middle line itself (extent / 2) and points outside are 0.
int SpinHalfAt(bool horizontal, const Rect& client, Point point);
// The state of half `half`: disabled 4; the pressed half is pressed 3 while
// the mouse is over it, hot 2 otherwise; the half under the mouse is hot 2
// while nothing is pressed; else 1.
int SpinHalfState(int half, bool enabled, int pressedHalf, int hotHalf);

}  // namespace plym
