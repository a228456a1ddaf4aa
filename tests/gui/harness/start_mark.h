// tests/gui/harness/start_mark.h
//
// The sign scripts/wine-run reads to tell a program that ran from a start Wine
// ended before the program ran any code of its own: the file
// VEK_WINE_START_MARK names, made first thing. Without it, a start that ended
// non-zero never ran and is made once more.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace vekgui {

inline void MarkStarted() {
    if (const char* path = std::getenv("VEK_WINE_START_MARK")) {
        if (std::FILE* mark = std::fopen(path, "w"))
            std::fclose(mark);
    }
}

}  // namespace vekgui
