// The recording list model on the real access library, with a generated
// recorder disk (both on-disk formats) standing in for the picked folder's
// physical drive: the calendar offers exactly the days the library's month
// search reports, the earliest is searched by itself, and the rows of a day are
// those of the image, sorted, for the chosen channels.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <set>
#include <thread>

#include <unistd.h>

#include "platform/mem_device.h"
#include "tests/app/browse/browse_model_fakes.h"
#include "tests/common/format_versions.h"
#include "tools/image_scenarios.h"
#include "vkfs/process_log.h"

namespace browse::testing {
namespace {

constexpr int kDrive = 4;

// The real library, reading the drive the model asks for from an image.
class ImageOnDrive : public VkfsDiskLibrary {
  public:
    explicit ImageOnDrive(std::string image) : image_(std::move(image)) {}
    FSDiskHandle AddDisk(void* window,
                         int count,
                         int number,
                         const char* path,
                         FSSearchCallback cb) override {
        EXPECT_EQ(std::string(path), "\\\\.\\PhysicalDrive" + std::to_string(kDrive));
        return VkfsDiskLibrary::AddDisk(window, count, number, image_.c_str(), cb);
    }

  private:
    std::string image_;
};

// The days the library's own month search reports, straight from the exports.
struct MonthOracle {
    static int VEK_CALL Callback(FSReaderKind, void* record, FSPlayParam* param) {
        auto* self = static_cast<MonthOracle*>(param->user);
        if (const auto* m = static_cast<const FSMonthResult*>(record); m && param->monthRunning) {
            for (int d = 0; d < 31; d++)
                if (m->days[d])
                    self->days.insert(DayString({2000 + m->year, m->month, d + 1}));
        } else {
            self->done = true;
        }
        return 1;
    }
    std::set<std::string> days;
    std::atomic<bool> done{false};
};

class FileListOnImageTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        logPath_ =
            (std::filesystem::temp_directory_path() / ("browse-vkfs-" + std::to_string(::getpid()) + ".log"))
                .string();
        vkfs::SetLogPathForTests(logPath_);
        std::string error;
        ASSERT_TRUE(vektools::BuildScenario("basic", "", GetParam(), &image_, &error)) << error;
    }
    void TearDown() override {
        vkfs::SetLogPathForTests("");
        std::filesystem::remove(logPath_);
    }
    uint32_t LengthOf(int channel, const std::string& start) const {
        for (const vektools::EventFact& e : image_.manifest.events)
            if (e.channel == channel && vektools::FormatPacked(e.start) == start)
                return e.dataLength;
        ADD_FAILURE() << "no event of channel " << channel << " at " << start;
        return 0;
    }
    ListRow Row(const char* file, int channel, const std::string& start, int image) const {
        char size[32];
        std::snprintf(size, sizeof size, "%.2fM", LengthOf(channel, start) / 1048576.0);
        return ListRow{file, std::to_string(channel + 1), size, image};
    }

    vektools::ScenarioImage image_;
    std::string logPath_;
};
VEK_INSTANTIATE_FOR_BOTH_FORMATS(FileListOnImageTest);

TEST_P(FileListOnImageTest, SelectTheDiskListADayAndClose) {
    MonthOracle oracle;
    {
        const platform::ScopedMemDisk drive("browse-oracle", image_.disk->Clone());
        const FSDiskHandle h = FSAddDisk(nullptr, 128, kDrive, drive.Path().c_str(), &MonthOracle::Callback);
        ASSERT_NE(h, 0u);
        FSSearchByMon(h, MonthSearchRange(2024, 1), nullptr, &oracle);
        for (int i = 0; i < 3000 && !oracle.done; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(oracle.done);
        FSStopMonSearch(h);
        FSRemoveDisk(h);
    }
    ASSERT_EQ(*oracle.days.begin(), "231201");

    const platform::ScopedMemDisk drive("browse-model", image_.disk->Clone());
    ImageOnDrive library(drive.Path());
    FileListRig rig({2024, 1, 31}, &library);
    rig.page.folder = "F:\\recorder";
    rig.drives.numbers["\\\\.\\F:"] = kDrive;
    FileListModel& model = rig.model;
    FakePage& page = rig.page;

    model.OnSelectDisk();
    ASSERT_NE(model.DiskHandle(), 0u);
    ASSERT_TRUE(page.DeliverThrough("month done"));
    const std::vector<std::string> days = model.Days();
    EXPECT_EQ(std::set<std::string>(days.begin(), days.end()), oracle.days);
    EXPECT_EQ(days.size(), oracle.days.size());  // each once
    EXPECT_EQ(page.calendar.ShownYear(), 2023);
    EXPECT_EQ(page.calendar.ShownMonth(), 12);
    EXPECT_EQ(model.SelectedDay(), "231201");

    ASSERT_TRUE(page.DeliverThrough("day done"));
    EXPECT_EQ(model.Rows(),
              std::vector<ListRow>{Row("231201-10:15:00-11:05:00", 0, "2023-12-01T10:15:00", 2)});
    EXPECT_EQ(rig.paneRecords[0].size(), 1u);

    // Another day of the month; the skipped events of channel 2 are not listed.
    model.OnSearchDay(*page.calendar.OnDayClicked(15));
    ASSERT_TRUE(page.DeliverThrough("day done"));
    EXPECT_EQ(model.Rows(),
              (std::vector<ListRow>{Row("231215-08:00:00-08:01:00", 0, "2023-12-15T08:00:00", 1),
                                    Row("231215-09:00:00-09:02:00", 2, "2023-12-15T09:00:00", 1)}));

    // Channels 5 and 2 start at the same second: ID "3" before "6".
    model.OnChannelsChosen({5, 2, -1, -1});
    ASSERT_TRUE(page.DeliverThrough("day done"));
    EXPECT_EQ(model.Rows(),
              (std::vector<ListRow>{Row("231215-09:00:00-09:02:00", 2, "2023-12-15T09:00:00", 1),
                                    Row("231215-09:00:00-09:01:30", 5, "2023-12-15T09:00:00", 1)}));
    EXPECT_EQ(std::vector<int>(rig.paneFlags, rig.paneFlags + 4), std::vector<int>({1, 1, 0, 0}));
    ASSERT_EQ(page.timebar[0].size(), 1u);
    EXPECT_EQ(page.timebar[0][0].end.second, 30);

    model.CloseDisk();
    EXPECT_EQ(model.DiskHandle(), 0u);
    EXPECT_TRUE(model.Rows().empty());
}

}  // namespace
}  // namespace browse::testing
