// tests/app/win_test_support.h
//
// What the Windows tests of the shell share: a fresh folder per test that
// stands in for the executable's folder (through the layer's exe-path hook),
// the folder of the test program itself, and whole-file reads.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "winlib/hooks.h"

namespace app_test {

namespace fs = std::filesystem;

inline std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteWhole(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The folder of the running test program (where the fixtures are built).
inline fs::path ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

// A fresh, empty folder under the temporary folder, named after the test.
inline fs::path FreshFolder(const char* kind) {
    static std::atomic<int> serial{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir =
        fs::temp_directory_path() / (std::string("vek_") + kind + "_" + info->name() + "_" +
                                     std::to_string(GetCurrentProcessId()) + "_" + std::to_string(serial++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// The program "lives" in a fresh folder for the length of a test.
class ExeFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = FreshFolder("exe");
        winlib::Hooks hooks;
        const std::string exe = (dir_ / "Movarel.exe").string();
        hooks.exePath = [exe] { return exe; };
        winlib::SetHooks(hooks);
    }
    void TearDown() override {
        winlib::ResetHooks();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::string Dir() const { return dir_.string(); }

    fs::path dir_;
};

}  // namespace app_test
