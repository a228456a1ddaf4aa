// VKFS.dll as the program uses it, under Wine: loaded with both reader DLLs
// beside it, opening a generated recorder disk as "\\.\PhysicalDrive7" (the
// test writes the image to the prefix's dosdevices\physicaldrive7, which
// scripts/wine-run names in VEK_WINE_DOSDEVICES), searching a month range and
// a day, and playing one record to its end, in both disk formats; and a disk
// in the third format, read by the dvrfs reader inside VKFS.dll.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "tests/common/format_versions.h"
#include "tests/common/temp_image.h"
#include "tests/vkfs/vkfs_test_support.h"
#include "tools/image_builder.h"
#include "tools/image_sink.h"
#include "tools/mkdvrfs/dvrfs_image.h"
#include "vkfs/vkfs_api.h"

namespace vkfs::testing {
namespace {

constexpr int kDrive = 7;  // the readers number their disks 0..7
constexpr char kDrivePath[] = "\\\\.\\PhysicalDrive7";

class VkfsDllTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        const char* dosdevices = std::getenv("VEK_WINE_DOSDEVICES");
        ASSERT_NE(dosdevices, nullptr) << "run under scripts/wine-run, which names the prefix's dosdevices";
        image_ = std::make_unique<vektest::TempImage>(
            std::string(dosdevices) + "\\physicaldrive" + std::to_string(kDrive), 0);
        vektools::FileSink sink(image_->Path());
        std::string error;
        ASSERT_TRUE(vektools::BuildImage(PlayDaySpec(GetParam()), sink, nullptr, &error)) << error;
        // The log goes to the working directory: make that a folder of our own.
        char cwd[MAX_PATH] = {};
        ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, cwd), 0u);
        oldDir_ = cwd;
        ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
    }
    void TearDown() override {
        if (!oldDir_.empty())
            SetCurrentDirectoryA(oldDir_.c_str());
    }

    TempDir dir_;
    std::unique_ptr<vektest::TempImage> image_;
    std::string oldDir_;
};
VEK_INSTANTIATE_FOR_BOTH_FORMATS(VkfsDllTest);

TEST_P(VkfsDllTest, OpensTheDriveSearchesAndPlaysARecordToItsEnd) {
    int window = 0;
    const FSDiskHandle disk = FSAddDisk(&window, 128, kDrive, kDrivePath, &SearchLog::Month);
    ASSERT_NE(disk, 0u);
    const auto log = ReadLines(dir_.File("log.txt"));
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log[0].find(" ------------start-----------"), std::string::npos) << log[0];

    SearchLog months;
    FSSearchByMon(disk, SearchMonTime{kPlayYear, 4, kPlayYear, 6}, nullptr, &months);
    ASSERT_TRUE(months.WaitForFinal());
    FSStopMonSearch(disk);
    const auto monthCalls = months.Calls();
    ASSERT_EQ(monthCalls.size(), 4u);
    EXPECT_EQ(monthCalls[1].month.month, kPlayMonth);
    EXPECT_NE(monthCalls[1].month.days[kPlayDay - 1], 0u);
    EXPECT_EQ(monthCalls[0].month.days[kPlayDay - 1], 0u);
    EXPECT_EQ(monthCalls[1].kind, GetParam() == 1 ? FS_READER_VEKFS : FS_READER_VEKFS2);

    SearchLog day;
    const int channels[4] = {5, -1, -1, -1};
    FSSearchByDay(disk, At(kPlayYear, kPlayMonth, kPlayDay, 0, 0, 0),
                  At(kPlayYear, kPlayMonth, kPlayDay, 23, 59, 59), nullptr, &SearchLog::Day, &day, 0,
                  channels);
    ASSERT_TRUE(day.WaitForFinal());
    FSStopDaySearch(disk);
    const auto dayCalls = day.Calls();
    ASSERT_EQ(dayCalls.size(), 2u);
    EXPECT_EQ(dayCalls[0].record.channel, 5);
    EXPECT_EQ(dayCalls[0].param.window, &window);

    const BuiltImage& image = Built(PlayDaySpec(GetParam()));
    const auto events = EventsOfChannel(image.manifest, 5);
    ASSERT_EQ(events.size(), 1u);
    StreamLog play;
    FSPlay(disk, dayCalls[0].record.start, dayCalls[0].record.end, 0, play.User(), &StreamLog::OnData,
           &StreamLog::OnTime);
    ASSERT_TRUE(play.WaitForEnds(1));
    FSStopPlay(disk, 0);
    const auto frames = play.Frames();
    const auto want = FramesFrom(image, *events[0]);
    ASSERT_EQ(frames.size(), want.size());
    for (size_t i = 0; i < frames.size(); i++)
        ASSERT_EQ(frames[i], want[i]) << "frame " << i;
    EXPECT_EQ(play.TimeCalls(), 1u);

    EXPECT_EQ(FSRemoveDisk(disk), 1);
    EXPECT_EQ(FSRemoveDisk(disk), 0);
}

// The dvrfs reader sizes the image from the file (the drive-geometry request
// fails for one under Wine) and logs to c:\dvrfs_log.txt.
TEST(VkfsDvrfsDllTest, OpensADvrfsDriveSearchesAndPlays) {
    const char* dosdevices = std::getenv("VEK_WINE_DOSDEVICES");
    ASSERT_NE(dosdevices, nullptr) << "run under scripts/wine-run, which names the prefix's dosdevices";
    const vektest::TempImage image(std::string(dosdevices) + "\\physicaldrive" + std::to_string(kDrive), 0);
    vektools::FileSink sink(image.Path());
    vektools::DvrfsImage facts;
    std::string error;
    ASSERT_TRUE(vektools::BuildDvrfsImage(vektools::BasicDvrfsRecipe(), sink, &facts, &error)) << error;
    TempDir dir;
    char cwd[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, cwd), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
    DeleteFileA("c:\\dvrfs_log.txt");

    int window = 0;
    // The program's channel count: dvrfs is given the 16 a dvrfs disk holds.
    const FSDiskHandle disk = FSAddDisk(&window, 128, kDrive, kDrivePath, &SearchLog::Month);
    ASSERT_NE(disk, 0u);
    SearchLog months;
    FSSearchByMon(disk, SearchMonTime{24, 5, 24, 6}, nullptr, &months);
    ASSERT_TRUE(months.WaitForFinal());
    FSStopMonSearch(disk);
    ASSERT_EQ(months.Calls().size(), 6u);
    EXPECT_EQ(months.Calls()[0].kind, FS_READER_DVRFS);

    SearchLog day;
    const int channels[4] = {1, -1, -1, -1};
    FSSearchByDay(disk, At(24, 5, 6, 0, 0, 0), At(24, 5, 6, 23, 59, 59), nullptr, &SearchLog::Day, &day, 0,
                  channels);
    ASSERT_TRUE(day.WaitForFinal());
    FSStopDaySearch(disk);
    ASSERT_EQ(day.Calls().size(), 3u);

    // Recording 12 runs from one data block into the next.
    StreamLog play;
    FSPlay(disk, day.Calls()[0].record.start, At(24, 5, 6, 23, 59, 59), 0, play.User(), &StreamLog::OnData,
           &StreamLog::OnTime);
    ASSERT_TRUE(play.WaitForEnds(1));
    FSStopPlay(disk, 0);
    auto want = facts.recordings[12].frames;
    want.insert(want.end(), facts.recordings[13].frames.begin(), facts.recordings[13].frames.end());
    EXPECT_TRUE(play.Frames() == want);

    EXPECT_EQ(FSRemoveDisk(disk), 1);
    const auto log = ReadLines("c:\\dvrfs_log.txt");
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find("cache memory check finish, 0 failed."), std::string::npos);
    SetCurrentDirectoryA(cwd);
}

}  // namespace
}  // namespace vkfs::testing
