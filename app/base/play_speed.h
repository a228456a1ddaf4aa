// app/base/play_speed.h
//
// The play modes the panes and the tool bar give the playback library, the
// speed levels of the Speed Up and Speed Down buttons, and the texts the tool
// bar's state field shows for them.
//
//   level  -4    -3   -2   -1    0    1     2     3     4
//   mode    7     6    5    4    1   0x10  0x11  0x12  0x13
//   text  -16x  -8x  -4x  -2x   1x   2x    4x    8x    16x
//
// Level 0 is normal speed; the buttons never step onto it (Up wraps 4 -> 1,
// Down wraps -4 -> -1), only a play command returns a pane to it.
#pragma once

#include <string>

namespace play {

// The modes with a name; a speed's mode is ModeForSpeedLevel's.
enum PlayMode : int {
    kModeNone = 0,  // the tool bar's word for a pane it applied no mode to yet
    kModeNormal = 1,
    kModeStopped = 2,  // also the reposition before a seek
    kModeReposition = 2,
    kModePause = 3,
    kModeStep = 0x30,
};

inline constexpr int kMinSpeedLevel = -4;
inline constexpr int kMaxSpeedLevel = 4;

// Levels outside -4..4 count as the nearest end.
int ClampSpeedLevel(int level);
// Mode of a level: 7..4 for -4..-1, 1 for 0, 0x10..0x13 for 1..4.
int ModeForSpeedLevel(int level);
// "2x", "-16x"; "1x" for level 0.
std::string SpeedLevelText(int level);
// One press of Speed Up (up) or Speed Down: a level of the other sign starts
// again from 0, then one step, wrapping past the end to the first step.
int StepSpeedLevel(int level, bool up);

}  // namespace play
