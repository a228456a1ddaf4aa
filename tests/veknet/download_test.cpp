// Downloads from the simulated recorder: the .264 file holds exactly the
// served frames, the .avi file passes the AVI checker, progress rises to one
// end event that tells success from failure, and a stop ends the events.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/veknet/veknet_test_support.h"

namespace veknet::testing {
namespace {

class DownloadTest : public VekNetTest {
  protected:
    void SetUp() override {
        VekNetTest::SetUp();
        StartRecorder();
        login_ = LogIn();
    }
    // The day query's item of record `index` of a channel.
    NetRecordItem Item(uint32_t channel, size_t index) {
        const simrecorder::RecordEntry r = table_->Records(channel)[index];
        NetRecordItem item{};
        item.word = channel;
        item.start =
            Time(r.start.year, r.start.month, r.start.day, r.start.hour, r.start.minute, r.start.second);
        item.end = Time(r.end.year, r.end.month, r.end.day, r.end.hour, r.end.minute, r.end.second);
        item.type = r.type;
        item.length = table_->Length(channel, index);
        return item;
    }
    uint32_t Download(uint32_t channel,
                      const NetRecordItem& item,
                      const std::string& path,
                      DownloadEvents* events) {
        NetDownloadRequest request{};
        request.channel = static_cast<int32_t>(channel);
        request.record = &item;
        request.path = path.c_str();
        request.callback = &DownloadEvents::Callback;
        request.user = reinterpret_cast<uintptr_t>(events);
        return VekNetStartDownloadRecord(login_, &request);
    }
    std::vector<uint8_t> Served(uint32_t channel, size_t index) {
        return table_->Frames(channel, index)->bytes;
    }

    TempDir dir_;
    uint32_t login_ = 0;
};

// Progress rises strictly to 100, then exactly one end event comes, last.
void ExpectFinished(const std::vector<std::pair<int32_t, int32_t>>& events, int32_t result) {
    ASSERT_FALSE(events.empty());
    int32_t last = -1;
    for (size_t i = 0; i + 1 < events.size(); i++) {
        EXPECT_EQ(events[i].first, VEKNET_DOWNLOAD_PROGRESS);
        EXPECT_GT(events[i].second, last);
        EXPECT_LE(events[i].second, 100);
        last = events[i].second;
    }
    EXPECT_EQ(events.back(), std::make_pair(int32_t{VEKNET_DOWNLOAD_END}, result));
    if (result == VEKNET_DOWNLOAD_OK)
        EXPECT_EQ(last, 100);
    else
        EXPECT_LT(last, 100);
}

TEST_F(DownloadTest, Raw264IsTheServedStreamByteForByte) {
    DownloadEvents events;
    const std::string path = dir_.File("ch03.264");
    uint32_t download = Download(2, Item(2, 4), path, &events);
    ASSERT_NE(download, 0u);
    ASSERT_TRUE(events.WaitEnd());
    platform::SleepMs(100);
    ExpectFinished(events.Copy(), VEKNET_DOWNLOAD_OK);
    const std::vector<uint8_t> file = ReadFile(path);
    EXPECT_EQ(file.size(), Item(2, 4).length);
    EXPECT_TRUE(file == Served(2, 4));
    EXPECT_EQ(VekNetStopDownloadRecord(&download), 0)
        << "stopping an ended download is how the dialog finishes";
    EXPECT_EQ(download, 0u);
}

TEST_F(DownloadTest, AviPassesTheWritersChecker) {
    DownloadEvents events;
    const std::string path = dir_.File("ch01.avi");
    uint32_t download = Download(0, Item(0, 1), path, &events);
    ASSERT_NE(download, 0u);
    ASSERT_TRUE(events.WaitEnd());
    ExpectFinished(events.Copy(), VEKNET_DOWNLOAD_OK);
    VekNetStopDownloadRecord(&download);

    const std::string stream = dir_.File("served.264");
    WriteFile(stream, Served(0, 1));
    const std::string command = std::string(VEKNET_PYTHON) + " " + VEKNET_AVICHECK + " " + path + " " +
                                stream + " --video 250 --audio 500";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

TEST_F(DownloadTest, NoEventAfterStopReturns) {
    // Stopped at once, and stopped from inside its first progress event.
    DownloadEvents early;
    uint32_t download = Download(1, Item(1, 0), dir_.File("early.264"), &early);
    ASSERT_NE(download, 0u);
    EXPECT_EQ(VekNetStopDownloadRecord(&download), 0);
    const size_t count = early.Copy().size();
    platform::SleepMs(200);
    EXPECT_EQ(early.Copy().size(), count);

    struct Inside {
        DownloadEvents events;
        std::atomic<uint32_t> handle{0};
        std::atomic<bool> stopped{false};
        static void VEK_CALL Callback(int32_t code, int32_t value, uintptr_t user) {
            auto* self = reinterpret_cast<Inside*>(user);
            DownloadEvents::Callback(code, value, reinterpret_cast<uintptr_t>(&self->events));
            if (self->stopped.load())
                return;
            // The first event may come before the start call has returned.
            WaitFor([&] { return self->handle.load() != 0; });
            uint32_t h = self->handle.load();
            VekNetStopDownloadRecord(&h);
            self->stopped = true;
        }
    } inside;
    const NetRecordItem item = Item(1, 1);
    NetDownloadRequest request{};
    request.channel = 1;
    request.record = &item;
    const std::string path = dir_.File("inside.avi");
    request.path = path.c_str();
    request.callback = &Inside::Callback;
    request.user = reinterpret_cast<uintptr_t>(&inside);
    inside.handle = VekNetStartDownloadRecord(login_, &request);
    ASSERT_NE(inside.handle.load(), 0u);
    ASSERT_TRUE(WaitFor([&] { return inside.stopped.load(); }));
    platform::SleepMs(200);
    const auto events = inside.events.Copy();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].first, VEKNET_DOWNLOAD_PROGRESS);
}

TEST_F(DownloadTest, DroppedLinkEndsInFailureNotSuccess) {
    simrecorder::SimOptions options;
    options.dropAfterBytes = 100000;
    StartRecorder(options);
    login_ = LogIn();
    DownloadEvents events;
    uint32_t download = Download(3, Item(3, 2), dir_.File("dropped.264"), &events);
    ASSERT_NE(download, 0u);
    ASSERT_TRUE(events.WaitEnd());
    platform::SleepMs(100);
    ExpectFinished(events.Copy(), VEKNET_DOWNLOAD_LINK_LOST);
    VekNetStopDownloadRecord(&download);
}

TEST_F(DownloadTest, UnusableRequestsGetNoHandleAndLeaveNoFile) {
    DownloadEvents events;
    NetRecordItem missing = Item(0, 0);
    missing.start.second = 1;  // no record starts there
    const std::string path = dir_.File("missing.264");
    EXPECT_EQ(Download(0, missing, path, &events), 0u);
    EXPECT_FALSE(std::filesystem::exists(path));

    const std::string climbing = dir_.File("..") + "/escaped.264";
    EXPECT_EQ(Download(0, Item(0, 0), climbing, &events), 0u);
    EXPECT_EQ(Download(0, Item(0, 0), dir_.File("no/such/folder/x.264"), &events), 0u);
    EXPECT_EQ(Download(9, Item(0, 0), dir_.File("channel.264"), &events), 0u);
    NetRecordItem noDate = Item(0, 0);
    noDate.start = Time(65535, 255, 255);
    EXPECT_EQ(Download(0, noDate, dir_.File("nodate.264"), &events), 0u);
    const std::string tooLong(VEKNET_MAX_PATH, 'x');
    EXPECT_EQ(Download(0, Item(0, 0), tooLong, &events), 0u);
    uint32_t stale = 0;
    EXPECT_EQ(VekNetStopDownloadRecord(&stale), -1);
    EXPECT_TRUE(events.Copy().empty());
}

TEST_F(DownloadTest, TwoDownloadsAtOnceKeepTheirOwnEvents) {
    DownloadEvents a, b;
    const std::string pa = dir_.File("a.264"), pb = dir_.File("b.264");
    uint32_t da = Download(0, Item(0, 3), pa, &a);
    uint32_t db = Download(1, Item(1, 3), pb, &b);
    ASSERT_NE(da, 0u);
    ASSERT_NE(db, 0u);
    EXPECT_NE(da, db);
    ASSERT_TRUE(a.WaitEnd());
    ASSERT_TRUE(b.WaitEnd());
    ExpectFinished(a.Copy(), VEKNET_DOWNLOAD_OK);
    ExpectFinished(b.Copy(), VEKNET_DOWNLOAD_OK);
    EXPECT_TRUE(ReadFile(pa) == Served(0, 3));
    EXPECT_TRUE(ReadFile(pb) == Served(1, 3));
}

}  // namespace
}  // namespace veknet::testing
