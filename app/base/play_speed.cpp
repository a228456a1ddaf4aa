// app/base/play_speed.cpp
#include "app/base/play_speed.h"

#include <algorithm>

namespace play {

int ClampSpeedLevel(int level) {
    return std::clamp(level, kMinSpeedLevel, kMaxSpeedLevel);
}

int ModeForSpeedLevel(int level) {
    level = ClampSpeedLevel(level);
    if (level < 0)
        return 3 - level;  // -1 -> 4 ... -4 -> 7
    if (level > 0)
        return 0x10 + level - 1;
    return kModeNormal;
}

std::string SpeedLevelText(int level) {
    level = ClampSpeedLevel(level);
    const int factor = 1 << (level < 0 ? -level : level);
    return (level < 0 ? "-" : "") + std::to_string(factor) + "x";
}

int StepSpeedLevel(int level, bool up) {
    level = ClampSpeedLevel(level);
    if (up) {
        level = std::max(level, 0) + 1;
        return level > kMaxSpeedLevel ? 1 : level;
    }
    level = std::min(level, 0) - 1;
    return level < kMinSpeedLevel ? -1 : level;
}

}  // namespace play
