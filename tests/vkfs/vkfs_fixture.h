// The fixture of the native VKFS tests: a private log file per test (and one
// for the dvrfs reader, whose console lines are dropped), the disks it opened
// removed at its end, and generated images standing in for drives.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/mem_device.h"
#include "tests/vkfs/vkfs_test_support.h"
#include "vkfs/dvrfs/log.h"
#include "vkfs/process_log.h"
#include "vkfs/vkfs_api.h"

namespace vkfs::testing {

class VkfsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        logPath_ = dir_.File("log.txt");
        SetLogPathForTests(logPath_);
        dvrfs::SetLogPath(dir_.File("dvrfs_log.txt"));
        dvrfs::SetConsoleSink([](const char*, void*) {}, nullptr);
    }
    void TearDown() override {
        for (FSDiskHandle h : opened_)
            FSRemoveDisk(h);
        SetLogPathForTests("");
        dvrfs::SetLogPath(dvrfs::kDefaultLogPath);
        dvrfs::SetConsoleSink(nullptr, nullptr);
    }

    // FSAddDisk with this test's window; the disk is removed at the end.
    FSDiskHandle Open(const std::string& path,
                      int channels = 128,
                      FSSearchCallback month = &SearchLog::Month) {
        const FSDiskHandle h = FSAddDisk(&window_, channels, 0, path.c_str(), month);
        if (h)
            opened_.push_back(h);
        return h;
    }
    // Makes `disk` readable as "mem:<name>" for the rest of the test.
    std::string Mount(const std::string& name, std::shared_ptr<platform::MemDisk> disk) {
        mounts_.push_back(std::make_unique<platform::ScopedMemDisk>(name, std::move(disk)));
        return mounts_.back()->Path();
    }
    std::vector<std::string> LogLines() const { return ReadLines(logPath_); }
    // Whether a line of the log ends in `text`.
    bool Logged(const std::string& text) const {
        for (const std::string& line : LogLines())
            if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0)
                return true;
        return false;
    }

    TempDir dir_;
    std::string logPath_;
    int window_ = 0;
    std::vector<FSDiskHandle> opened_;
    std::vector<std::unique_ptr<platform::ScopedMemDisk>> mounts_;
};

}  // namespace vkfs::testing
