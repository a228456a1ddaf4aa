// skin/core/os_version.h
//
// The operating-system version record and the tests the framework makes on
// it (platform 1: the Windows 9x family, 2: the NT family). Portable; on
// Windows CPlymOSVersionInfo (os_version_info.h) fills one from the system.
#pragma once

#include <cstdint>

namespace plym {

struct OSVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platformId = 0;

    bool OnWin95() const { return platformId == 1 && major == 4 && minor < 10; }
    bool OnWin9xFamily() const { return platformId == 1; }
    bool OnNT4() const { return platformId == 2 && major == 4 && minor == 0; }
    bool OnWin2000OrLater() const { return platformId >= 2 && major >= 5; }
    bool OnXPOrLater() const { return platformId >= 2 && AtLeast(5, 1); }
    bool AtLeast(uint32_t wantMajor, uint32_t wantMinor) const {
        return major > wantMajor || (major == wantMajor && minor >= wantMinor);
    }
    bool Exactly(uint32_t wantMajor, uint32_t wantMinor) const {
        return major == wantMajor && minor == wantMinor;
    }
};

// A library's version word: major << 16 | minor.
inline uint32_t DllVersionWord(uint32_t major, uint32_t minor) {
    return (major << 16) | (minor & 0xFFFF);
}

// Whether a function needing `minimum` (0: any) may be looked up in a library
// of version word `version`.
inline bool VersionAllows(uint32_t version, uint32_t minimum) {
    return minimum == 0 || version >= minimum;
}

}  // namespace plym
