// Runs a parametrised suite once per on-disk format version, with the cases
// named .../V1 and .../V2.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace vektest {

inline std::string FormatVersionName(const ::testing::TestParamInfo<int>& info) {
    return "V" + std::to_string(info.param);
}

}  // namespace vektest

#define VEK_INSTANTIATE_FOR_BOTH_FORMATS(suite) \
    INSTANTIATE_TEST_SUITE_P(Versions, suite, ::testing::Values(1, 2), ::vektest::FormatVersionName)
