// The export dialog's model against a scripted access library: the row texts
// and file names, the progress of a row and its end, which times a row exports,
// the disk the dialog opens itself, and messages that arrive late.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/paths.h"
#include "tests/app/browse/browse_model_fakes.h"
#include "tests/common/temp_dir.h"
#include "tools/framestream.h"

namespace browse::testing {
namespace {

// A record's frames as its export hands them over: a few hundred KB of a
// recorder stream with a key frame first.
std::vector<unsigned char> SomeFrames() {
    vektools::StreamSpec recipe;
    recipe.videoFrames = 60;
    return vektools::BuildStream(recipe).bytes;
}

class ExportTest : public ::testing::Test {
  protected:
    ExportTest() {
        page_.disk = 9;  // the recording list's disk
        page_.span = ExportSpan{{2023, 12, 15}, {8, 0, 0}, {10, 0, 0}};
        model_.Init(1);
    }
    // Searches and lists two records: channel 1 from 08:00 and channel 3
    // from 09:00.
    void SearchTwoRows(uint32_t length = 1000000) {
        model_.OnSearch();
        disks_.Record(0, 0, At(23, 12, 15, 8, 0, 0), At(23, 12, 15, 8, 1, 0), static_cast<int>(length), 1);
        disks_.Record(2, 0, At(23, 12, 15, 9, 0, 0), At(23, 12, 15, 9, 2, 0), static_cast<int>(length), 2);
        disks_.DayEnd();
        page_.PumpAll();
        ASSERT_EQ(model_.Rows().size(), 2u);
    }
    void ExportRows(std::vector<int> rows) {
        page_.selected = std::move(rows);
        model_.OnExport();
    }

    vektest::TempDir dir_;
    ExportRig rig_;
    CallLog& log_ = rig_.log;
    FakeDisks& disks_ = rig_.disks;
    FakeStreams& streams_ = rig_.streams;
    FakeExportPage& page_ = rig_.page;
    ExportModel& model_ = rig_.model;
};

TEST(ExportTexts, RowsNameTheirFilesAndTheVideoTypeChoosesFolderAndExtension) {
    struct Case {
        int type;
        const char* typeText;
        int image;
    } const cases[] = {{1, "Normal", 1}, {2, "Motion", 2},        {4, "Alarm", 2},
                       {8, "IO", 2},     {128, "Intelligent", 2}, {16, "", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const ExportRow row = MakeExportRow(
            {At(23, 2, 5, 7, 8, 9), At(23, 2, 5, 17, 0, 59), 10, 3 * 524288, c.type}, EnglishExportTexts());
        EXPECT_EQ(row, (ExportRow{"07:08:09-17:00:59", "10-230205", "1.50M", c.typeText, "10", c.image}));
    }
    const ExportRow row = MakeExportRow({At(23, 12, 15, 8, 0, 0), At(23, 12, 15, 8, 1, 0), 1, 0, 1}, {});
    EXPECT_EQ(row.size, "0.00M");
    const std::string sep(1, platform::kPathSeparator);
    EXPECT_EQ(ExportFileName("X:" + sep + "out", row, ".avi"),
              "X:" + sep + "out" + sep + "ch001-231215-080000-080100.avi");

    EXPECT_EQ(DefaultExportFolder(1), "D:\\avi");
    EXPECT_EQ(ExportExtension(1), ".avi");
    for (const int other : {0, 2, -1}) {
        EXPECT_EQ(DefaultExportFolder(other), "D:\\mp4");
        EXPECT_EQ(ExportExtension(other), ".mp4");
    }
    EXPECT_EQ(PercentText(999), "99%");
    EXPECT_EQ(PercentText(1000), "100%");
    EXPECT_EQ(SecondsText(12345), "12.345");
    EXPECT_EQ(SecondsText(7), "0.007");
}

// The per mille of a row is reckoned against the record's length, but an
// export carries up to 1023 bytes more in front of its first frame: while the
// row runs it shows at most 99%, and only its end finishes it (closes the file
// and goes on to the next row).
TEST_F(ExportTest, ProgressStopsBelowTheEndUntilTheRowEnds) {
    const std::vector<unsigned char> frames = SomeFrames();
    SearchTwoRows(static_cast<uint32_t>(frames.size()) - 500);
    page_.folder = dir_.Path();
    model_.OnPickDestination();
    ExportRows({0, 1});
    EXPECT_EQ(log_.Count("Export 0"), 1);

    streams_.Block({frames.begin(), frames.begin() + 1000});  // leading bytes
    streams_.Block({frames.begin(), frames.end()});
    page_.PumpAll();
    EXPECT_EQ(page_.bar.back(), 999);
    EXPECT_EQ(page_.texts.back(), "99%");
    EXPECT_TRUE(model_.Exporting());
    EXPECT_EQ(log_.Count("Export 2"), 0);  // the first row is not over yet
    EXPECT_FALSE(page_.exportButton);
    EXPECT_FALSE(page_.search);

    log_.calls.clear();
    streams_.End();
    page_.PumpAll();
    EXPECT_EQ(page_.bar.back(), 1000);
    EXPECT_EQ(page_.texts.back(), "100%");
    EXPECT_LT(log_.Find("StopExport 3"), log_.Find("Export 2"));
    const std::string first = ExportFileName(dir_.Path(), model_.Rows()[0], ".avi");
    EXPECT_GT(std::filesystem::file_size(first), frames.size());

    streams_.Block(frames);
    streams_.End();
    page_.PumpAll();
    EXPECT_EQ(std::count(page_.texts.begin(), page_.texts.end(), "100%"), 2);
    EXPECT_FALSE(model_.Exporting());
    EXPECT_TRUE(page_.exportButton);
    EXPECT_TRUE(page_.search);
    EXPECT_TRUE(std::filesystem::exists(ExportFileName(dir_.Path(), model_.Rows()[1], ".avi")));
}

TEST_F(ExportTest, RowOfLengthZeroShowsNoProgressUntilItsEnd) {
    SearchTwoRows(0);
    page_.folder = dir_.Path();
    model_.OnPickDestination();
    ExportRows({1});
    streams_.Block(SomeFrames());
    page_.PumpAll();
    EXPECT_EQ(page_.bar.back(), 0);
    EXPECT_EQ(page_.texts.back(), "0%");
    streams_.End();
    page_.PumpAll();
    EXPECT_EQ(page_.texts.back(), "100%");
}

// Group 1 needs a record's exact start: a date changed after the search must
// not export another day (or nothing).
TEST_F(ExportTest, RowExportsItsOwnRecordWhateverDayThePickerShowsNow) {
    SearchTwoRows();
    EXPECT_EQ(disks_.group, 1);
    EXPECT_EQ(disks_.from.day, 15);
    EXPECT_EQ(disks_.to.hour, 10);
    page_.span = ExportSpan{{2024, 1, 10}, {0, 0, 0}, {23, 59, 59}};
    page_.folder = dir_.Path();
    model_.OnPickDestination();
    ExportRows({1});
    EXPECT_EQ(log_.Count("Export 2"), 1);
    const RecTime& from = streams_.from;
    const RecTime& to = streams_.to;
    EXPECT_EQ((std::vector<int>{from.year, from.month, from.day, from.hour, from.minute, from.second}),
              (std::vector<int>{23, 12, 15, 9, 0, 0}));
    EXPECT_EQ((std::vector<int>{to.year, to.month, to.day, to.hour, to.minute, to.second}),
              (std::vector<int>{23, 12, 15, 9, 2, 0}));
}

// A stopped export's messages may still be queued when the next one starts:
// its late end must not finish the new row.
TEST_F(ExportTest, LateMessagesOfAStoppedExportChangeNothing) {
    SearchTwoRows();
    page_.folder = dir_.Path();
    model_.OnPickDestination();
    ExportRows({0});
    streams_.Block(SomeFrames());
    streams_.End();
    model_.OnStop();
    const auto late = page_.TakePosted();
    ExportRows({1});
    for (const FakeExportPage::Message& m : late)
        model_.OnProgress(m.perMille, m.tag);
    EXPECT_TRUE(model_.Exporting());
    EXPECT_TRUE(page_.texts.empty() || page_.texts.back() != "100%");
    EXPECT_EQ(log_.Count("Export 2"), 1);
}

#ifndef _WIN32
// A row written onto a full disk (its file is /dev/full, where every write
// fails) ends with the error text, never with 100%; the run goes on with the
// next row and ends telling of the failure.
TEST_F(ExportTest, RowThatDidNotReachTheDiskShowsTheErrorNot100) {
    SearchTwoRows();
    page_.folder = dir_.Path();
    model_.OnPickDestination();
    std::filesystem::create_symlink("/dev/full", ExportFileName(dir_.Path(), model_.Rows()[0], ".avi"));
    ExportRows({0, 1});
    streams_.Block(SomeFrames());
    streams_.End();
    page_.PumpAll();
    EXPECT_EQ(page_.texts.back(), "Error");
    EXPECT_EQ(std::count(page_.texts.begin(), page_.texts.end(), "100%"), 0);
    EXPECT_NE(page_.bar.back(), 1000);
    EXPECT_EQ(log_.Count("Export 2"), 1);
    streams_.Block(SomeFrames());
    streams_.End();
    page_.PumpAll();
    EXPECT_EQ(std::count(page_.texts.begin(), page_.texts.end(), "100%"), 1);
    EXPECT_EQ(page_.texts.back(), "Error");
    EXPECT_FALSE(model_.Exporting());
    EXPECT_TRUE(page_.exportButton);
}
#endif

// With no disk open the dialog opens one itself. Its drive number is kept
// only once a reader accepted the disk; its next searches use it, and closing
// the dialog removes it.
TEST_F(ExportTest, OwnDiskKeepsItsDriveNumberOnlyOnceOpenedAndGoesOnClose) {
    page_.disk = 0;
    page_.folder = "F:\\DVR";
    rig_.drives.numbers["\\\\.\\F:"] = 2;
    disks_.addResult = 0;
    model_.OnSearch();
    EXPECT_EQ(log_.Count("AddDisk \\\\.\\PhysicalDrive2"), 1);
    EXPECT_NE(page_.storedDrive, 2);
    EXPECT_FALSE(model_.OwnsDisk());
    EXPECT_EQ(log_.Find("SearchByDay"), -1);
    EXPECT_TRUE(page_.search);

    disks_.addResult = 5;
    model_.OnSearch();
    model_.OnSearch();  // the next search keeps the disk
    EXPECT_EQ(log_.Count("AddDisk \\\\.\\PhysicalDrive2"), 2);
    EXPECT_EQ(log_.Count("RemoveDisk"), 0);
    EXPECT_EQ(page_.disk, 5u);
    EXPECT_EQ(page_.storedDrive, 2);
    EXPECT_EQ(page_.storedFolder, "F:\\DVR");
    EXPECT_TRUE(model_.OwnsDisk());
    EXPECT_EQ(disks_.addWindow, nullptr);
    EXPECT_EQ(disks_.monthCallback, nullptr);
    EXPECT_EQ(log_.Count("SearchByDay"), 2);

    model_.StopAll();
    EXPECT_EQ(log_.Count("RemoveDisk"), 1);
    EXPECT_EQ(page_.disk, 0u);
    EXPECT_EQ(page_.storedDrive, 0);

    // The recording list's disk stays open.
    page_.disk = 9;
    model_.OnSearch();
    model_.StopAll();
    EXPECT_EQ(log_.Count("RemoveDisk"), 1);
    EXPECT_EQ(page_.disk, 9u);
}

}  // namespace
}  // namespace browse::testing
