// tests/win/physical_drive_test.cpp
//
// The program opens a recorder's disk as "\\.\PhysicalDriveN". Under Wine that
// name is the file dosdevices\physicaldriveN of the prefix, which
// scripts/wine-run names in VEK_WINE_DOSDEVICES: each test writes a generated
// image there, then drives it through our raw device layer exactly as the
// program would drive a real disk.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/raw_device.h"

namespace {

constexpr uint64_t kImageSize = 1 << 20;
constexpr char kDrive[] = "\\\\.\\PhysicalDrive9";

// Byte `offset` of the generated image: a pattern that differs from sector to
// sector, a "Vkfs" tag at 256 and the boot signature at 510.
uint8_t ImageByte(uint64_t offset) {
    if (offset >= 256 && offset < 260)
        return static_cast<uint8_t>("Vkfs"[offset - 256]);
    if (offset == 510)
        return 0x55;
    if (offset == 511)
        return 0xAA;
    return static_cast<uint8_t>((offset * 7) ^ (offset / platform::kSectorSize));
}

std::vector<uint8_t> ImageBytes(uint64_t offset, size_t length) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = ImageByte(offset + i);
    return bytes;
}

// The image standing in for drive 9 for the lifetime of the fixture.
class PhysicalDriveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* dosdevices = std::getenv("VEK_WINE_DOSDEVICES");
        ASSERT_NE(dosdevices, nullptr) << "run under scripts/wine-run, which names the prefix's dosdevices";
        path_ = std::string(dosdevices) + "\\physicaldrive9";
        HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path_ << ": error " << GetLastError();
        const std::vector<uint8_t> bytes = ImageBytes(0, kImageSize);
        DWORD written = 0;
        const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_TRUE(ok && written == bytes.size()) << path_ << ": error " << GetLastError();
    }

    void TearDown() override {
        if (!path_.empty())
            DeleteFileA(path_.c_str());
    }

    // The image as a file, past our device layer.
    std::vector<uint8_t> FileBytes(uint64_t offset, size_t length) const {
        std::vector<uint8_t> bytes(length);
        HANDLE file = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return {};
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        DWORD got = 0;
        const bool ok = SetFilePointerEx(file, position, nullptr, FILE_BEGIN) &&
                        ReadFile(file, bytes.data(), static_cast<DWORD>(length), &got, nullptr) &&
                        got == length;
        CloseHandle(file);
        return ok ? bytes : std::vector<uint8_t>{};
    }

    std::string path_;
};

TEST_F(PhysicalDriveTest, ReadsTheImageThroughTheDriveName) {
    std::string error;
    auto device = platform::OpenRawDevice(kDrive, platform::DeviceAccess::ReadWrite, &error);
    ASSERT_NE(device, nullptr) << error;

    std::vector<uint8_t> sector(platform::kSectorSize);
    ASSERT_TRUE(device->ReadAt(0, sector.data(), sector.size())) << device->LastError();
    EXPECT_EQ(sector[510], 0x55);
    EXPECT_EQ(sector[511], 0xAA);
    EXPECT_EQ(std::memcmp(&sector[256], "Vkfs", 4), 0);
    EXPECT_EQ(sector, ImageBytes(0, sector.size()));
    EXPECT_EQ(device->Position(), platform::kSectorSize);

    // Several sectors in one transfer, from the position the last one left.
    std::vector<uint8_t> run(8 * platform::kSectorSize);
    ASSERT_TRUE(device->Read(run.data(), run.size())) << device->LastError();
    EXPECT_EQ(run, ImageBytes(platform::kSectorSize, run.size()));

    // The last sector, and nothing past it.
    ASSERT_TRUE(device->ReadAt(kImageSize - platform::kSectorSize, sector.data(), sector.size()));
    EXPECT_EQ(sector, ImageBytes(kImageSize - platform::kSectorSize, sector.size()));
    EXPECT_FALSE(device->ReadAt(kImageSize, sector.data(), sector.size()));

    uint64_t size = 0;
    if (device->Size(&size)) {
        EXPECT_EQ(size, kImageSize);
    }
}

// Wine, unlike Windows, lets an unaligned transfer on a raw drive through; our
// layer must refuse it before it reaches the system.
TEST_F(PhysicalDriveTest, RefusesUnalignedRequests) {
    auto device = platform::OpenRawDevice(kDrive, platform::DeviceAccess::ReadWrite);
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> buffer(2 * platform::kSectorSize, 0xEE);

    EXPECT_FALSE(device->Seek(100));
    EXPECT_FALSE(device->LastError().empty());
    ASSERT_TRUE(device->Seek(0)) << device->LastError();
    EXPECT_FALSE(device->Read(buffer.data(), 100));
    EXPECT_FALSE(device->LastError().empty());
    EXPECT_FALSE(device->ReadAt(platform::kSectorSize, buffer.data(), platform::kSectorSize + 1));
    EXPECT_FALSE(device->WriteAt(platform::kSectorSize, buffer.data(), 3));
    EXPECT_FALSE(device->ReadAt(300, buffer.data(), platform::kSectorSize));

    // Nothing was written by the refused write, and the device still reads.
    EXPECT_EQ(FileBytes(platform::kSectorSize, platform::kSectorSize),
              ImageBytes(platform::kSectorSize, platform::kSectorSize));
    ASSERT_TRUE(device->ReadAt(0, buffer.data(), buffer.size())) << device->LastError();
    EXPECT_EQ(buffer, ImageBytes(0, buffer.size()));
}

TEST_F(PhysicalDriveTest, WritesReachTheImage) {
    auto device = platform::OpenRawDevice(kDrive, platform::DeviceAccess::ReadWrite);
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> data(2 * platform::kSectorSize);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(0xA0 + i % 31);

    const uint64_t offset = 40 * platform::kSectorSize;
    ASSERT_TRUE(device->WriteAt(offset, data.data(), data.size())) << device->LastError();
    std::vector<uint8_t> back(data.size());
    ASSERT_TRUE(device->ReadAt(offset, back.data(), back.size())) << device->LastError();
    EXPECT_EQ(back, data);
    device.reset();

    EXPECT_EQ(FileBytes(offset, data.size()), data);
    // Neighbours are untouched.
    EXPECT_EQ(FileBytes(offset - platform::kSectorSize, platform::kSectorSize),
              ImageBytes(offset - platform::kSectorSize, platform::kSectorSize));
    EXPECT_EQ(FileBytes(offset + data.size(), platform::kSectorSize),
              ImageBytes(offset + data.size(), platform::kSectorSize));
}

}  // namespace
