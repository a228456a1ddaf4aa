#include "tests/vkfs/dvrfs/dvrfs_fixture.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/log.h"

namespace vkfs::testing {

vektools::DvrfsRecipe SmallRecipe(std::vector<uint32_t> starts, uint32_t seconds) {
    vektools::DvrfsRecipe r;
    r.stream.fps = 5;
    r.stream.gop = 5;
    r.stream.iMin = 2000, r.stream.iMax = 4000;
    r.stream.pMin = 200, r.stream.pMax = 600;
    r.entriesPerLink = 4;
    uint32_t seed = 11;
    for (uint32_t start : starts) {
        vektools::DvrfsRecording rec;
        rec.channel = 1;
        rec.start = start;
        rec.seconds = seconds;
        rec.seed = seed++;
        r.recordings.push_back(rec);
    }
    return r;
}

DvrfsDisk BuildDisk(const vektools::DvrfsRecipe& recipe) {
    DvrfsDisk d;
    std::string error;
    if (!vektools::BuildDvrfsInMemory(recipe, &d.disk, &d.facts, &error)) {
        ADD_FAILURE() << "building a dvrfs disk: " << error;
        d.disk = std::make_shared<platform::MemDisk>(1024 * 1024);
    }
    return d;
}

const DvrfsDisk& BasicDisk() {
    static const DvrfsDisk disk = BuildDisk(vektools::BasicDvrfsRecipe());
    return disk;
}

Six At6(int year, int month, int day, int hour, int minute, int second) {
    return Six{{year, month, day, hour, minute, second}};
}

vkfs::dvrfs_find_query RangeQuery(const Six& from, const Six& to, int32_t mask) {
    vkfs::dvrfs_find_query q;
    q.typeMask = mask;
    q.kind = kDvrfsFindRange;
    std::memcpy(q.start, from.v, sizeof q.start);
    std::memcpy(q.end, to.v, sizeof q.end);
    return q;
}

vkfs::dvrfs_find_query MonthQuery(int year, int month, int32_t mask) {
    vkfs::dvrfs_find_query q =
        RangeQuery(At6(year, month, 1, 0, 0, 0), At6(year, month, 31, 23, 59, 59), mask);
    q.kind = kDvrfsFindMonth;
    return q;
}

void DvrfsTest::Capture(const char* line, void* user) {
    auto* self = static_cast<DvrfsTest*>(user);
    std::lock_guard<std::mutex> hold(self->lock_);
    self->console_.emplace_back(line);
}

void DvrfsTest::SetUp() {
    logPath_ = dir_.File("dvrfs_log.txt");
    dvrfs::SetLogPath(logPath_);
    dvrfs::SetConsoleSink(&DvrfsTest::Capture, this);
}

void DvrfsTest::TearDown() {
    for (int h : handles_)
        dvrfs_close(h, 0);
    for (const std::string& path : mounted_)
        dvrfs_remove_disk(path.c_str(), 0, 0);
    if (dvrfs::LibraryStarted()) {
        EXPECT_EQ(dvrfs_exit(0), 0) << "the test left handles or disks behind";
    }
    dvrfs::SetConsoleSink(nullptr, nullptr);
    dvrfs::SetLogPath(dvrfs::kDefaultLogPath);
    dvrfs::SetManageTiming(1000, 30);
}

std::string DvrfsTest::Device(const std::string& name, std::shared_ptr<platform::MemDisk> disk) {
    devices_.push_back(std::make_unique<platform::ScopedMemDisk>(name, std::move(disk)));
    return devices_.back()->Path();
}

int DvrfsTest::StartWith(const DvrfsDisk& disk, int channel) {
    EXPECT_EQ(Start(), 0);
    const std::string path = Device("dvrfs-" + std::to_string(mounted_.size()), disk.disk);
    EXPECT_EQ(dvrfs_add_disk(path.c_str()), 0);
    mounted_.push_back(path);
    return Open(channel);
}

int DvrfsTest::Open(int channel) {
    const int h = dvrfs_open(channel, 0);
    if (h >= 0)
        handles_.push_back(h);
    return h;
}

std::vector<std::string> DvrfsTest::Console() const {
    std::lock_guard<std::mutex> hold(lock_);
    return console_;
}

bool DvrfsTest::Printed(const std::string& text) const {
    for (const std::string& line : Console())
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

std::vector<std::string> DvrfsTest::LogRecords() const {
    std::string bytes(LogBytes(), '\0');
    std::ifstream in(logPath_, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::vector<std::string> records;
    for (size_t at = 0; at + dvrfs::kLogRecordBytes <= bytes.size(); at += dvrfs::kLogRecordBytes)
        records.emplace_back(bytes.c_str() + at);
    return records;
}

size_t DvrfsTest::LogBytes() const {
    std::ifstream in(logPath_, std::ios::binary | std::ios::ate);
    return in ? static_cast<size_t>(in.tellg()) : 0;
}

bool DvrfsTest::Logged(const std::string& text) const {
    for (const std::string& r : LogRecords())
        if (r == text)
            return true;
    return false;
}

}  // namespace vkfs::testing
