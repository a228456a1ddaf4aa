// tests/platform/posix_device_test.cpp
//
// What only the POSIX backend does: the system's error texts, and devices that
// are not regular files.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/raw_device.h"

namespace platform {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(PosixDeviceTest, ErrorTextsCarryTheSystemReason) {
    std::string error;
    EXPECT_EQ(OpenRawDevice("/nonexistent-dir/disk.img", DeviceAccess::ReadOnly, &error), nullptr);
    EXPECT_TRUE(Contains(error, "/nonexistent-dir/disk.img")) << error;
    EXPECT_TRUE(Contains(error, "No such file or directory")) << error;

    EXPECT_EQ(OpenRawDevice("/tmp", DeviceAccess::ReadOnly, &error), nullptr);
    EXPECT_TRUE(Contains(error, "Is a directory")) << error;
}

// /dev/null opens, has no size and ends at once: a read from it is a failure,
// not a success with nothing read.
TEST(PosixDeviceTest, CharacterDeviceHasNoSizeAndEndsAtOnce) {
    auto device = OpenRawDevice("/dev/null", DeviceAccess::ReadOnly);
    ASSERT_NE(device, nullptr);
    uint64_t size = 0;
    EXPECT_FALSE(device->Size(&size));
    EXPECT_TRUE(Contains(device->LastError(), "/dev/null")) << device->LastError();
    std::vector<uint8_t> out(512);
    EXPECT_FALSE(device->ReadAt(0, out.data(), out.size()));
    EXPECT_TRUE(Contains(device->LastError(), "end of device")) << device->LastError();
}

}  // namespace
}  // namespace platform

#endif  // !_WIN32
