// tests/platform/temp_image.h
//
// A scratch image file for the operating-system backends: created sparse at the
// size asked for, removed when the test ends. Its bytes are checked through
// plain file streams, independently of the device under test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace platform::testing_support {

class TempImage {
public:
    explicit TempImage(uint64_t size) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::random_device random;
        path_ = (std::filesystem::temp_directory_path() /
                 ("vek_platform_" + std::string(test ? test->name() : "image") + "_" +
                  std::to_string(random()) + ".img"))
                    .string();
        { std::ofstream create(path_, std::ios::binary); }
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
    std::string path_;
};

// Bytes that vary within and across sectors, so a misplaced, missing or
// zeroed sector shows.
inline std::vector<uint8_t> Pattern(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; i++) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 9) * 13 + 1);
    return bytes;
}

}  // namespace platform::testing_support
