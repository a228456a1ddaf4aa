// The simulated recorder serving a recorder disk image through VKFS: what a
// login queries and downloads is what the image holds.
#include <gtest/gtest.h>

#include "platform/mem_device.h"
#include "tests/common/format_versions.h"
#include "tests/veknet/veknet_test_support.h"
#include "tests/vkfs/vkfs_test_support.h"
#include "tools/simrecorder/image_content.h"
#include "vkfs/process_log.h"

namespace veknet::testing {
namespace {

using vkfs::testing::BuiltImage;

class ImageRecorder : public VekNetTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        VekNetTest::SetUp();
        vkfs::SetLogPathForTests(logs_.File("log.txt"));
        image_ = &vkfs::testing::Built(vkfs::testing::PlayDaySpec(GetParam()));
        mount_ = std::make_unique<platform::ScopedMemDisk>("veknet-image", image_->disk);
        std::string error;
        std::shared_ptr<simrecorder::RecorderContent> content =
            simrecorder::ImageContent::Open(mount_->Path(), &error);
        ASSERT_TRUE(content) << error;
        StartRecorder({}, content);
        login_ = LogIn();
    }
    void TearDown() override {
        VekNetTest::TearDown();  // the recorder, and with it the disk, goes first
        mount_.reset();
        vkfs::SetLogPathForTests("");
    }
    std::vector<NetRecordItem> Day(int channel) {
        struct Log {
            std::vector<NetRecordItem> items;
            static void VEK_CALL Add(const NetRecordItem* item, uintptr_t user) {
                reinterpret_cast<Log*>(user)->items.push_back(*item);
            }
        } log;
        NetRecordQuery q{};
        q.command = VEKNET_QUERY_DAY;
        q.channel = channel;
        q.start = Time(2024, 5, 6);
        q.end = Time(2024, 5, 6, 23, 59, 59);
        q.dayCallback = &Log::Add;
        q.user = reinterpret_cast<uintptr_t>(&log);
        const int32_t count = VekNetQueryRecord(login_, &q);
        EXPECT_EQ(count, static_cast<int32_t>(log.items.size()));
        return log.items;
    }

    TempDir logs_;
    const BuiltImage* image_ = nullptr;
    std::unique_ptr<platform::ScopedMemDisk> mount_;
    uint32_t login_ = 0;
};

TEST_P(ImageRecorder, QueriesListWhatTheImageHolds) {
    struct Days {
        std::vector<NetRecordItem> items;
        static void VEK_CALL Add(const NetRecordItem* item, uintptr_t user) {
            reinterpret_cast<Days*>(user)->items.push_back(*item);
        }
    } days;
    NetRecordQuery q{};
    q.command = VEKNET_QUERY_MONTH;
    q.channel = 0xF;
    q.start = Time(2024, 5, 1);
    q.end = Time(2024, 5, 31, 23, 59, 59);
    q.monthCallback = &Days::Add;
    q.user = reinterpret_cast<uintptr_t>(&days);
    ASSERT_EQ(VekNetQueryRecord(login_, &q), 1);
    EXPECT_EQ(days.items[0].start.day, 6);
    EXPECT_EQ(days.items[0].word, (1u << 2) | (1u << 3)) << "channel 5 lies beyond the four served";

    for (int channel : {2, 3}) {
        const auto events = vkfs::testing::EventsOfChannel(image_->manifest, channel);
        const std::vector<NetRecordItem> items = Day(channel);
        ASSERT_EQ(items.size(), events.size()) << "channel " << channel;
        for (size_t i = 0; i < items.size(); i++) {
            const RecTime start = vkfs::testing::FromPacked(events[i]->start);
            const RecTime end = vkfs::testing::FromPacked(events[i]->end);
            EXPECT_EQ(items[i].start.hour, start.hour);
            EXPECT_EQ(items[i].start.minute, start.minute);
            EXPECT_EQ(items[i].start.second, start.second);
            EXPECT_EQ(items[i].end.minute * 60 + items[i].end.second, end.minute * 60 + end.second);
            EXPECT_EQ(items[i].length, events[i]->dataLength);
        }
    }
    EXPECT_TRUE(Day(1).empty());
}

TEST_P(ImageRecorder, DownloadsHoldTheRecordsFrames) {
    TempDir dir;
    const auto events = vkfs::testing::EventsOfChannel(image_->manifest, 3);
    const std::vector<NetRecordItem> items = Day(3);
    ASSERT_EQ(items.size(), events.size());
    for (size_t i = 0; i < items.size(); i++) {
        DownloadEvents got;
        NetDownloadRequest request{};
        request.channel = 3;
        request.record = &items[i];
        const std::string path = dir.File("r" + std::to_string(i) + ".264");
        request.path = path.c_str();
        request.callback = &DownloadEvents::Callback;
        request.user = reinterpret_cast<uintptr_t>(&got);
        uint32_t download = VekNetStartDownloadRecord(login_, &request);
        ASSERT_NE(download, 0u) << i;
        ASSERT_TRUE(got.WaitEnd()) << i;
        EXPECT_EQ(got.Copy().back().second, VEKNET_DOWNLOAD_OK) << i;
        VekNetStopDownloadRecord(&download);

        std::vector<uint8_t> expected;
        for (const auto& frame : vkfs::testing::FramesFrom(*image_, *events[i]))
            expected.insert(expected.end(), frame.begin(), frame.end());
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(ReadFile(path) == expected) << "record " << i;
    }
}

VEK_INSTANTIATE_FOR_BOTH_FORMATS(ImageRecorder);

}  // namespace
}  // namespace veknet::testing
