// app/browse/progress_text.cpp
#include "app/browse/progress_text.h"

#include <cstdio>

namespace browse {

std::string PercentText(int perMille) {
    char text[32];
    std::snprintf(text, sizeof text, "%d%%", perMille / 10);
    return text;
}

std::string SecondsText(uint64_t ms) {
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(ms) / 1000.0);
    return text;
}

}  // namespace browse
