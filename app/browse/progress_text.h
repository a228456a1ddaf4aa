// app/browse/progress_text.h
//
// The progress the export and converter dialogs show: per mille on the bar,
// at most kProgressMidMax while the work runs and kProgressDone only once it
// is known to be complete; beside the bar the per cent, and the seconds a
// conversion has taken.
#pragma once

#include <cstdint>
#include <string>

namespace browse {

inline constexpr int kProgressDone = 1000;
inline constexpr int kProgressMidMax = 999;

// "%d%%" of a per mille value (whole per cent, rounded down).
std::string PercentText(int perMille);
// Seconds with three decimals ("12.345" for 12,345 ms).
std::string SecondsText(uint64_t ms);

}  // namespace browse
