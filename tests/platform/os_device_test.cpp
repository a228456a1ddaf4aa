// tests/platform/os_device_test.cpp
//
// The operating system's backend (POSIX natively, Win32 under Wine) on a scratch
// image file, through the same OpenRawDevice the readers use. What is written is
// checked with plain file reads, and what is read against bytes put in the file
// the same way.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/raw_device.h"
#include "tests/common/temp_image.h"

namespace platform {
namespace {

using vektest::Pattern;
using vektest::TempImage;

constexpr uint64_t kMiB = uint64_t{1} << 20;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::unique_ptr<RawDevice> OpenOrFail(const std::string& path, DeviceAccess access) {
    std::string error;
    auto device = OpenRawDevice(path, access, &error);
    EXPECT_NE(device, nullptr) << error;
    return device;
}

TEST(OsDeviceTest, SparseImageReportsItsSizeAndReadsZeros) {
    TempImage image(64 * kMiB);
    auto device = OpenOrFail(image.Path(), DeviceAccess::ReadOnly);
    ASSERT_NE(device, nullptr);
    uint64_t size = 0;
    ASSERT_TRUE(device->Size(&size)) << device->LastError();
    EXPECT_EQ(size, 64 * kMiB);
    std::vector<uint8_t> out(4096, 0xEE);
    ASSERT_TRUE(device->ReadAt(32 * kMiB, out.data(), out.size())) << device->LastError();
    EXPECT_EQ(out, std::vector<uint8_t>(4096, 0));
    EXPECT_EQ(device->Position(), 32 * kMiB + 4096);
}

TEST(OsDeviceTest, AlignedWritesLandWhereAskedAndReadBack) {
    TempImage image(4 * kMiB);
    const std::vector<uint8_t> data = Pattern(64 * 512, 11);
    for (DeviceAccess access : {DeviceAccess::ReadWrite, DeviceAccess::ReadWriteThrough}) {
        const uint64_t offset = access == DeviceAccess::ReadWrite ? 1000 * 512 : 3000 * 512;
        {
            auto device = OpenOrFail(image.Path(), access);
            ASSERT_NE(device, nullptr);
            ASSERT_TRUE(device->Seek(offset)) << device->LastError();
            ASSERT_TRUE(device->Write(data.data(), data.size())) << device->LastError();
            EXPECT_EQ(device->Position(), offset + data.size());
        }
        EXPECT_EQ(image.ReadBytes(offset, data.size()), data);
        EXPECT_EQ(image.ReadBytes(offset - 512, 512), std::vector<uint8_t>(512, 0));
        EXPECT_EQ(image.ReadBytes(offset + data.size(), 512), std::vector<uint8_t>(512, 0));
    }
    EXPECT_EQ(image.FileSize(), 4 * kMiB);

    // Read back piecewise: a positioned read, then one continuing from there.
    auto device = OpenOrFail(image.Path(), DeviceAccess::ReadOnly);
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> first(4 * 512), rest(60 * 512);
    ASSERT_TRUE(device->ReadAt(1000 * 512, first.data(), first.size())) << device->LastError();
    ASSERT_TRUE(device->Read(rest.data(), rest.size())) << device->LastError();
    first.insert(first.end(), rest.begin(), rest.end());
    EXPECT_EQ(first, data);
}

TEST(OsDeviceTest, ReadsBytesPutInTheFileByOthers) {
    TempImage image(kMiB);
    const std::vector<uint8_t> data = Pattern(8 * 512, 21);
    image.WriteBytes(512 * 77, data);
    auto device = OpenOrFail(image.Path(), DeviceAccess::ReadOnly);
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> out(data.size());
    ASSERT_TRUE(device->ReadAt(512 * 77, out.data(), out.size())) << device->LastError();
    EXPECT_EQ(out, data);
}

TEST(OsDeviceTest, ReadingPastTheEndOfTheFileFails) {
    TempImage image(10 * 512);
    auto device = OpenOrFail(image.Path(), DeviceAccess::ReadOnly);
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> out(1024);
    EXPECT_TRUE(device->ReadAt(9 * 512, out.data(), 512)) << device->LastError();

    EXPECT_FALSE(device->ReadAt(9 * 512, out.data(), 1024));  // one sector there, one missing
    EXPECT_TRUE(Contains(device->LastError(), image.Path())) << device->LastError();
    EXPECT_TRUE(Contains(device->LastError(), "end of device")) << device->LastError();

    EXPECT_FALSE(device->ReadAt(10 * 512, out.data(), 512));  // nothing there at all
    EXPECT_TRUE(Contains(device->LastError(), "end of device")) << device->LastError();
}

TEST(OsDeviceTest, RefusesMisalignedRequestsBeforeTheSystemSeesThem) {
    TempImage image(kMiB);
    const std::vector<uint8_t> data = Pattern(1024, 3);
    auto device = OpenOrFail(image.Path(), DeviceAccess::ReadWrite);
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> out(1024);

    ASSERT_TRUE(device->Seek(2048));
    EXPECT_FALSE(device->Seek(2048 + 100));
    EXPECT_TRUE(Contains(device->LastError(), "offset")) << device->LastError();
    EXPECT_TRUE(Contains(device->LastError(), image.Path())) << device->LastError();
    EXPECT_EQ(device->Position(), 2048u);

    EXPECT_FALSE(device->Read(out.data(), 100));
    EXPECT_TRUE(Contains(device->LastError(), "length")) << device->LastError();
    EXPECT_FALSE(device->Write(data.data(), 1000));
    EXPECT_TRUE(Contains(device->LastError(), "length")) << device->LastError();
    EXPECT_EQ(device->Position(), 2048u);
    device.reset();
    EXPECT_EQ(image.ReadBytes(0, 4096), std::vector<uint8_t>(4096, 0));
}

TEST(OsDeviceTest, ReadOnlyDeviceRefusesWrites) {
    TempImage image(kMiB);
    auto device = OpenOrFail(image.Path(), DeviceAccess::ReadOnly);
    ASSERT_NE(device, nullptr);
    const std::vector<uint8_t> data = Pattern(512, 5);
    EXPECT_FALSE(device->WriteAt(0, data.data(), data.size()));
    EXPECT_TRUE(Contains(device->LastError(), image.Path())) << device->LastError();
    device.reset();
    EXPECT_EQ(image.ReadBytes(0, 512), std::vector<uint8_t>(512, 0));
}

TEST(OsDeviceTest, HandlesShareTheImage) {
    TempImage image(kMiB);
    auto writer = OpenOrFail(image.Path(), DeviceAccess::ReadWrite);
    auto reader = OpenOrFail(image.Path(), DeviceAccess::ReadOnly);
    ASSERT_NE(writer, nullptr);
    ASSERT_NE(reader, nullptr);
    const std::vector<uint8_t> data = Pattern(2048, 8);
    ASSERT_TRUE(writer->WriteAt(4096, data.data(), data.size())) << writer->LastError();
    std::vector<uint8_t> out(data.size());
    ASSERT_TRUE(reader->ReadAt(4096, out.data(), out.size())) << reader->LastError();
    EXPECT_EQ(out, data);
}

TEST(OsDeviceTest, OpenFailuresNameThePath) {
    const std::string missing =
        (std::filesystem::temp_directory_path() / "vek_platform_no_such_image.img").string();
    std::string error;
    EXPECT_EQ(OpenRawDevice(missing, DeviceAccess::ReadOnly, &error), nullptr);
    EXPECT_TRUE(Contains(error, missing)) << error;

    // A directory is not a device, whatever the access.
    const std::string directory = std::filesystem::temp_directory_path().string();
    for (DeviceAccess access : {DeviceAccess::ReadOnly, DeviceAccess::ReadWrite}) {
        error.clear();
        EXPECT_EQ(OpenRawDevice(directory, access, &error), nullptr);
        EXPECT_TRUE(Contains(error, directory)) << error;
    }

    error.clear();
    EXPECT_EQ(OpenRawDevice("", DeviceAccess::ReadOnly, &error), nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace platform
