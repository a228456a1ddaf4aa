// tests/vekplay/vekplay_bench.h
//
// What the parts of vekplay_bench share: a run of play instances over one file,
// and its figures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vekplay/play_instance.h"

namespace vekplay::bench {

struct PlayRun {
    std::string file;  // a recorder stream file
    int count = 1;     // instances, each playing the whole file
    int32_t mode = 0;  // play mode
    int rate = 1;      // the mode's rate, for the print
    double mediaSeconds = 0;
};

struct PlayFigures {
    bool ok = false;
    double wall = 0;  // seconds from the start until every instance ended
    uint64_t decoded = 0, presented = 0, skipped = 0;
    double slowest = 0;  // seconds the slowest instance took
    double cpu = 0;      // processor seconds the process used meanwhile (all threads)
};

// Processor seconds this process has used so far, all threads together.
double ProcessCpuSeconds();

// Adds the instances' counts to `figures` and shuts them down.
void CountAndShutDown(const std::vector<std::shared_ptr<Instance>>& instances, PlayFigures* figures);

// Prints one line of figures under `title`.
void PrintFigures(const char* title, const PlayRun& run, const PlayFigures& figures);

// Windows only: plays the run into real windows (one each, side by side) with
// the library's own host: GDI drawing and posted notices.
PlayFigures PlayIntoWindows(const PlayRun& run);

}  // namespace vekplay::bench
