// The fixture of the dvrfs reader's tests: the reader's log in a private
// folder, its console captured, generated disks mounted as "mem:" devices,
// and everything the test left started, open or mounted undone at its end.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/mem_device.h"
#include "tests/vkfs/vkfs_test_support.h"
#include "tools/mkdvrfs/dvrfs_image.h"
#include "vkfs/dvrfs_entry.h"

namespace vkfs::testing {

// A built disk: its facts and its bytes.
struct DvrfsDisk {
    vektools::DvrfsImage facts;
    std::shared_ptr<platform::MemDisk> disk;
};

// A small disk: recordings of channel 1 on 2024-05-06 at the given starts
// (seconds of the day) lasting `seconds`, four to a day_channel link.
vektools::DvrfsRecipe SmallRecipe(std::vector<uint32_t> starts, uint32_t seconds = 10);
DvrfsDisk BuildDisk(const vektools::DvrfsRecipe& recipe);
// The demo disk (BasicDvrfsRecipe), built once per process.
const DvrfsDisk& BasicDisk();

// Six ints from a date and a second of the day.
struct Six {
    int32_t v[6];
};
Six At6(int year, int month, int day, int hour, int minute, int second);
vkfs::dvrfs_find_query RangeQuery(const Six& from, const Six& to, int32_t mask = -1);
vkfs::dvrfs_find_query MonthQuery(int year, int month, int32_t mask = -1);

// Names parametrised cases after their `name` field.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& c) {
    return c.param.name;
}

class DvrfsTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // dvrfs_init with the reader's usual second argument and disk group 0.
    int Start(int channels = 16) { return dvrfs_init(channels, 8, 0); }
    // Makes `disk` readable as "mem:<name>" for the rest of the test.
    std::string Device(const std::string& name, std::shared_ptr<platform::MemDisk> disk);
    // Starts the library and mounts `disk`; the handle of an open on `channel`.
    int StartWith(const DvrfsDisk& disk, int channel = 1);
    int Open(int channel);

    std::vector<std::string> Console() const;
    bool Printed(const std::string& text) const;
    // The log file as records of 256 bytes, each cut at its NUL.
    std::vector<std::string> LogRecords() const;
    size_t LogBytes() const;
    bool Logged(const std::string& text) const;

    TempDir dir_;
    std::string logPath_;
    std::vector<std::string> mounted_;
    std::vector<int> handles_;

  private:
    static void Capture(const char* line, void* user);
    mutable std::mutex lock_;
    std::vector<std::string> console_;
    std::vector<std::unique_ptr<platform::ScopedMemDisk>> devices_;
};

}  // namespace vkfs::testing
