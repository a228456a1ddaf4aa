// tests/common/temp_image.h
//
// A scratch image file: created sparse at the size asked for (under the
// system's temporary folder, or at a path the test names, such as a Wine
// prefix's device link), removed when the test ends. Its bytes are checked
// through plain file streams, independently of the device or writer under test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace vektest {

class TempImage {
  public:
    explicit TempImage(uint64_t size) : TempImage(FreshPath(), size) {}
    TempImage(std::string path, uint64_t size) : path_(std::move(path)) {
        { std::ofstream create(path_, std::ios::binary | std::ios::trunc); }
        std::filesystem::resize_file(path_, size);
    }
    ~TempImage() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TempImage(const TempImage&) = delete;
    TempImage& operator=(const TempImage&) = delete;

    const std::string& Path() const { return path_; }
    uint64_t FileSize() const { return std::filesystem::file_size(path_); }

    std::vector<uint8_t> ReadBytes(uint64_t offset, size_t length) const {
        std::vector<uint8_t> bytes(length);
        std::ifstream in(path_, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(offset));
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(length));
        EXPECT_EQ(in.gcount(), static_cast<std::streamsize>(length)) << "image shorter than expected";
        return bytes;
    }

    void WriteBytes(uint64_t offset, const std::vector<uint8_t>& bytes) const {
        std::fstream out(path_, std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(offset));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }

  private:
    // "vek_<test name>_<random>.img" in the temporary folder.
    static std::string FreshPath() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::random_device random;
        return (std::filesystem::temp_directory_path() /
                ("vek_" + std::string(test ? test->name() : "image") + "_" + std::to_string(random()) +
                 ".img"))
            .string();
    }

    std::string path_;
};

// Bytes that vary within and across sectors, so a misplaced, missing or
// zeroed sector shows.
inline std::vector<uint8_t> Pattern(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; i++)
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 9) * 13 + 1);
    return bytes;
}

}  // namespace vektest
