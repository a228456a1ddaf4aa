// tests/common/temp_dir.h
//
// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
#pragma once

#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace vektest {

class TempDir {
  public:
    TempDir() {
        static std::atomic<int> counter{0};
        std::random_device seed;
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && path_.empty(); attempt++) {
            const auto dir = base / ("vek-test-" + std::to_string(seed()) + "-" + std::to_string(counter++));
            std::error_code ec;
            if (std::filesystem::create_directory(dir, ec))
                path_ = dir.string();
        }
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return (std::filesystem::path(path_) / name).string(); }

  private:
    std::string path_;
};

}  // namespace vektest
