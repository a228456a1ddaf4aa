// vekplay/play_modes.h
//
// The play-mode vocabulary the program speaks to the library, and the playing
// rate each mode stands for.
//
//   1        normal speed
//   2        reposition: the caller is about to feed frames from elsewhere.
//            The queue (end marks included) is dropped, decoding restarts at
//            the next key frame and the clock takes its time from the next
//            frame; the rate stays. It is an act, not a state.
//   3        pause
//   0x30     show one more frame, then hold (each call one frame)
//   7 6 5 4  1/16, 1/8, 1/4, 1/2 speed
//   0x10..0x13  x2, x4, x8, x16
#pragma once

#include <cstdint>

namespace vekplay {

enum PlayMode : int32_t {
    kModeNormal = 1,
    kModeReposition = 2,
    kModePause = 3,
    kModeSlow2 = 4,
    kModeSlow4 = 5,
    kModeSlow8 = 6,
    kModeSlow16 = 7,
    kModeFast2 = 0x10,
    kModeFast4 = 0x11,
    kModeFast8 = 0x12,
    kModeFast16 = 0x13,
    kModeStep = 0x30,
};

// A playing rate as a fraction: media microseconds = wall microseconds * num / den.
struct Rate {
    int64_t num = 1;
    int64_t den = 1;
};

inline bool IsRateMode(int32_t mode) {
    return mode == kModeNormal || (mode >= kModeSlow2 && mode <= kModeSlow16) ||
           (mode >= kModeFast2 && mode <= kModeFast16);
}

inline bool IsKnownMode(int32_t mode) {
    return IsRateMode(mode) || mode == kModeReposition || mode == kModePause || mode == kModeStep;
}

// The rate of a rate mode; 1 for any other.
inline Rate RateOf(int32_t mode) {
    if (mode >= kModeSlow2 && mode <= kModeSlow16)
        return Rate{1, int64_t{1} << (mode - kModeSlow2 + 1)};
    if (mode >= kModeFast2 && mode <= kModeFast16)
        return Rate{int64_t{1} << (mode - kModeFast2 + 1), 1};
    return Rate{1, 1};
}

}  // namespace vekplay
