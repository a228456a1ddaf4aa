// tests/gui/harness/start_mark.h
//
// The sign scripts/wine-run reads to tell a program that ran and failed from
// one that ran no code of its own: the file VEK_WINE_START_MARK names, made
// first thing. A start that ended non-zero without it is reported as one Wine
// did not start or that failed while loading (a DLL missing, a crash in a
// static constructor).
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
