// tests/common/reader_profiles.h
//
// The reader build and the format codec of an on-disk format version (1 or 2),
// for tests that run once per version.
#pragma once

#include "reader/format.h"
#include "reader/profile.h"

namespace vektest {

inline const vekfs::ReaderProfile& ProfileFor(int version) {
    return version == 1 ? vekfs::kReaderV1 : vekfs::kReaderV2;
}

inline const vekfs::FormatTraits& TraitsFor(int version) {
    return version == 1 ? vekfs::kFormatV1 : vekfs::kFormatV2;
}

}  // namespace vektest
