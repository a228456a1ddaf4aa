// tests/platform/win32_device_test.cpp
//
// What only the Win32 backend does: the system's error texts and raw-drive
// paths. Runs under Wine, where the size query falls back to the file size (the
// disk length IOCTL fails there); the shared contract on image files is in
// os_device_test.cpp.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/raw_device.h"
#include "tests/common/temp_image.h"

namespace platform {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(Win32DeviceTest, ErrorTextsCarryTheSystemReasonAndCode) {
    std::string error;
    const std::string missing = "C:\\vek-no-such-folder\\disk.img";
    EXPECT_EQ(OpenRawDevice(missing, DeviceAccess::ReadOnly, &error), nullptr);
    EXPECT_TRUE(Contains(error, missing)) << error;
    EXPECT_TRUE(Contains(error, "(error 3)")) << error;  // ERROR_PATH_NOT_FOUND
    EXPECT_NE(error.back(), '\n');

    const std::string drive = "\\\\.\\PhysicalDrive77";
    EXPECT_EQ(OpenRawDevice(drive, DeviceAccess::ReadOnly, &error), nullptr);
    EXPECT_TRUE(Contains(error, drive)) << error;
}

TEST(Win32DeviceTest, ForwardSlashesAndWriteThroughWork) {
    vektest::TempImage image(1 << 20);
    std::string path = image.Path();
    for (char& c : path)
        if (c == '\\')
            c = '/';
    auto device = OpenRawDevice(path, DeviceAccess::ReadWriteThrough);
    ASSERT_NE(device, nullptr);
    uint64_t size = 0;
    ASSERT_TRUE(device->Size(&size)) << device->LastError();
    EXPECT_EQ(size, uint64_t{1} << 20);
    const std::vector<uint8_t> data = vektest::Pattern(1024, 4);
    ASSERT_TRUE(device->WriteAt(8192, data.data(), data.size())) << device->LastError();
    device.reset();
    EXPECT_EQ(image.ReadBytes(8192, data.size()), data);
}

}  // namespace
}  // namespace platform

#endif  // _WIN32
