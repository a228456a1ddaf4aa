// The export dialog's model on the real access library, with a generated
// recorder disk (both on-disk formats) open as the recording list opens it and
// a pane playing from it: a day's two rows are exported into two AVI files
// holding their records' video frames from the first key frame, while the pane
// plays on, and a seek of the pane still finds its record through the play
// group's search. A row whose record cannot be read to its end, and a row
// whose drive is pulled while it exports, end as failed, with what reached
// their files, and the run goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <utility>

#include <unistd.h>

#include "media/frame_header.h"
#include "platform/le_bytes.h"
#include "platform/mem_device.h"
#include "tests/app/browse/browse_model_fakes.h"
#include "tests/common/format_versions.h"
#include "tests/common/temp_dir.h"
#include "tests/common/wait_for.h"
#include "tools/image_scenarios.h"
#include "vkfs/process_log.h"

namespace browse::testing {
namespace {

constexpr int kDrive = 4;

// What a pane's play hands over, slowly, as a decoder would take it.
struct PanePlay {
    static int VEK_CALL OnData(uintptr_t user, unsigned char* data, int length) {
        auto* self = reinterpret_cast<PanePlay*>(user);
        if (data != nullptr && length >= static_cast<int>(media::kFrameHeaderSize)) {
            self->lastTimeUs = media::FrameTimeUs(data);
            self->frames++;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return 1;
    }
    std::atomic<int> frames{0};
    std::atomic<uint64_t> lastTimeUs{0};
};

struct DayDone {
    static int VEK_CALL Callback(FSReaderKind, void* record, FSPlayParam* param) {
        if (record == nullptr && !param->dayRunning)
            static_cast<DayDone*>(param->user)->done = true;
        return 1;
    }
    std::atomic<bool> done{false};
};

// Video frames of an event from its first key frame on.
uint32_t VideoFromFirstKey(const vektools::EventFact& e) {
    uint32_t count = 0;
    bool keyed = false;
    for (const vektools::FrameRecord& f : e.frames) {
        keyed = keyed || f.type == 'I';
        if (keyed && (f.type == 'I' || f.type == 'P'))
            count++;
    }
    return count;
}

// The total frames the main header of a finished AVI file gives; 0 when it is
// no AVI or was not closed.
uint32_t AviFrames(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> avi((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (avi.size() < 2048 || std::string(avi.begin() + 8, avi.begin() + 12) != "AVI " ||
        platform::GetU32(avi.data() + 4) != avi.size() - 8)
        return 0;
    return platform::GetU32(avi.data() + 48);
}

class ExportOnImageTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        logPath_ = dir_.File("vkfs.log");
        vkfs::SetLogPathForTests(logPath_);
        std::string error;
        ASSERT_TRUE(vektools::BuildScenario("basic", "", GetParam(), &image_, &error)) << error;
    }
    void TearDown() override { vkfs::SetLogPathForTests(""); }

    const vektools::EventFact& Event(int channel, const std::string& start) const {
        for (const vektools::EventFact& e : image_.manifest.events)
            if (e.channel == channel && vektools::FormatPacked(e.start) == start)
                return e;
        ADD_FAILURE() << "no event of channel " << channel << " at " << start;
        return image_.manifest.events.front();
    }
    vektest::TempDir dir_;
    std::string logPath_;
    vektools::ScenarioImage image_;
};
VEK_INSTANTIATE_FOR_BOTH_FORMATS(ExportOnImageTest);

TEST_P(ExportOnImageTest, TwoRowsGoToTheirFilesWhileAPaneKeepsPlaying) {
    const platform::ScopedMemDisk drive("browse-export", image_.disk->Clone());
    const FSDiskHandle disk = FSAddDisk(nullptr, 128, kDrive, drive.Path().c_str(), nullptr);
    ASSERT_NE(disk, 0u);

    // The recording list's day, and pane 0 playing its record of channel 1.
    const int listChannels[4] = {0, 1, 2, 3};
    DayDone listed;
    FSSearchByDay(disk, At(23, 12, 1, 0, 0, 0), At(23, 12, 1, 23, 59, 59), nullptr, &DayDone::Callback,
                  &listed, 0, listChannels);
    ASSERT_TRUE(vektest::WaitFor([&] { return listed.done.load(); }));
    FSStopDaySearch(disk);
    PanePlay pane;
    FSPlay(disk, At(23, 12, 1, 0, 0, 0), At(23, 12, 1, 23, 59, 59), 0, reinterpret_cast<uintptr_t>(&pane),
           &PanePlay::OnData, nullptr);
    ASSERT_TRUE(vektest::WaitFor([&] { return pane.frames >= 10; }));

    // The export dialog on the same disk: a search of 15 December, both rows.
    VkfsDiskLibrary library;
    VkfsExportStreams exports;
    ExportRig rig(&library, &exports);
    rig.page.disk = disk;
    rig.page.span = ExportSpan{{2023, 12, 15}, {0, 0, 0}, {23, 59, 59}};
    rig.page.folder = dir_.Path();
    rig.model.Init(1);
    rig.model.OnPickDestination();
    rig.model.OnSearch();
    ASSERT_TRUE(rig.page.WaitForPost());
    rig.page.PumpAll();
    ASSERT_EQ(rig.model.Rows().size(), 2u);
    EXPECT_EQ(rig.model.Rows()[0].file, "08:00:00-08:01:00");
    EXPECT_EQ(rig.model.Rows()[1].id, "03-231215");

    const int before = pane.frames;
    rig.page.selected = {0, 1};
    rig.model.OnExport();
    while (rig.model.Exporting()) {
        ASSERT_TRUE(rig.page.WaitForPost());
        rig.page.PumpAll();
    }
    EXPECT_EQ(std::count(rig.page.texts.begin(), rig.page.texts.end(), "100%"), 2);
    rig.model.StopAll();
    EXPECT_EQ(rig.page.disk, disk);  // the list's disk stays open

    // The pane went on through the export and after it, and its record is
    // still reached through the play group's search.
    ASSERT_TRUE(vektest::WaitFor([&] { return pane.frames >= before + 20; }));
    const vektools::EventFact& played = Event(0, "2023-12-01T10:15:00");
    const uint64_t later = played.frames.front().timeUs + 25ull * 60 * 1000000;
    FSSeekPlay(disk, At(23, 12, 1, 10, 40, 0), 0);
    EXPECT_TRUE(vektest::WaitFor([&] { return pane.lastTimeUs >= later; }));
    FSStopPlay(disk, 0);
    EXPECT_EQ(FSRemoveDisk(disk), 1);

    const struct {
        int row;
        const char* start;
        int channel;
    } rows[] = {{0, "2023-12-15T08:00:00", 0}, {1, "2023-12-15T09:00:00", 2}};
    for (const auto& r : rows) {
        const std::string file = ExportFileName(dir_.Path(), rig.model.Rows()[r.row], ".avi");
        const uint32_t want = VideoFromFirstKey(Event(r.channel, r.start));
        EXPECT_GT(want, 0u);
        EXPECT_EQ(AviFrames(file), want) << file;
    }
}

// The "stream" scenario's records of 2024-03-05 (about 1.4 MB each for
// channels 1 and 2 from 12:00:00, several read blocks), exported by the
// dialog from the disk the recording list has open.
class ExportFailureOnImageTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        vkfs::SetLogPathForTests(dir_.File("vkfs.log"));
        std::string error;
        ASSERT_TRUE(vektools::BuildScenario("stream", "", GetParam(), &image_, &error)) << error;
        disk_ = image_.disk->Clone();
        drive_ = std::make_unique<platform::ScopedMemDisk>("browse-export-failure", disk_);
        handle_ = FSAddDisk(nullptr, 128, kDrive, drive_->Path().c_str(), nullptr);
        ASSERT_NE(handle_, 0u);
        rig_.page.disk = handle_;
        rig_.page.span = ExportSpan{{2024, 3, 5}, {0, 0, 0}, {23, 59, 59}};
        rig_.page.folder = dir_.Path();
        rig_.model.Init(1);
        rig_.model.OnPickDestination();
        rig_.model.OnSearch();
        ASSERT_TRUE(rig_.page.WaitForPost());
        rig_.page.PumpAll();
    }
    void TearDown() override {
        rig_.model.StopAll();
        if (rig_.page.disk != 0)
            FSRemoveDisk(rig_.page.disk);
        vkfs::SetLogPathForTests("");
    }
    const vektools::EventFact& Record(int channel) const {
        for (const vektools::EventFact& e : image_.manifest.events)
            if (e.channel == channel && vektools::FormatPacked(e.start) == "2024-03-05T12:00:00")
                return e;
        ADD_FAILURE() << "no record of channel " << channel;
        return image_.manifest.events.front();
    }
    // The row of a channel's record from 12:00:00; -1 when none.
    int RowOf(int channel) const {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", channel + 1);
        const std::string id = std::string(number) + "-240305";
        const std::vector<ExportRow>& rows = rig_.model.Rows();
        for (size_t i = 0; i < rows.size(); i++)
            if (rows[i].id == id && rows[i].file.rfind("12:00:00-", 0) == 0)
                return static_cast<int>(i);
        return -1;
    }
    std::string FileOf(int row) const {
        return ExportFileName(dir_.Path(), rig_.model.Rows()[static_cast<size_t>(row)], ".avi");
    }
    // The texts shown up to the first "Error", and from it on.
    std::pair<std::vector<std::string>, std::vector<std::string>> TextsAroundError() const {
        const std::vector<std::string>& texts = rig_.page.texts;
        const auto error = std::find(texts.begin(), texts.end(), "Error");
        return {{texts.begin(), error}, {error, texts.end()}};
    }

    vektest::TempDir dir_;
    vektools::ScenarioImage image_;
    std::shared_ptr<platform::MemDisk> disk_;
    std::unique_ptr<platform::ScopedMemDisk> drive_;
    FSDiskHandle handle_ = 0;
    VkfsDiskLibrary library_;
    VkfsExportStreams exports_;
    ExportRig rig_{&library_, &exports_};
};
VEK_INSTANTIATE_FOR_BOTH_FORMATS(ExportFailureOnImageTest);

// Sectors in the middle of channel 1's record cannot be read: its row ends
// with the error, never at 100%, its file keeps the frames read before them,
// and the next row is exported whole; the run ends telling of the failure.
TEST_P(ExportFailureOnImageTest, RecordThatCannotBeReadToItsEndShowsTheErrorNot100) {
    const int damaged = RowOf(0), whole = RowOf(1);
    ASSERT_GE(damaged, 0);
    ASSERT_GE(whole, 0);
    const vektools::EventFact& record = Record(0);
    const vektools::FileFact* file = image_.manifest.FindFile(record.partition, record.filePosition);
    ASSERT_NE(file, nullptr);
    ASSERT_GT(record.dataLength, 3u * 0x50000);
    const uint64_t middle = file->base + record.dataStart + record.dataLength / 2;
    disk_->AddFault({platform::IoOp::Read, middle, middle + 4096});

    rig_.page.selected = {damaged, whole};
    rig_.model.OnExport();
    while (rig_.model.Exporting()) {
        ASSERT_TRUE(rig_.page.WaitForPost());
        rig_.page.PumpAll();
    }
    const auto [before, after] = TextsAroundError();
    ASSERT_FALSE(after.empty()) << "no error shown";
    EXPECT_EQ(std::count(before.begin(), before.end(), "100%"), 0);
    EXPECT_EQ(std::count(after.begin(), after.end(), "100%"), 1);
    EXPECT_EQ(rig_.page.texts.back(), "Error");
    EXPECT_TRUE(rig_.page.exportButton);

    const uint32_t cut = AviFrames(FileOf(damaged));
    EXPECT_GT(cut, 0u);
    EXPECT_LT(cut, VideoFromFirstKey(record));
    EXPECT_EQ(AviFrames(FileOf(whole)), VideoFromFirstKey(Record(1)));
}

// The drive goes while channel 1's record is exported, and the main window
// lets the disk go (every job stopped, the disk removed): no end ever comes
// for that row nor for the next, whose export finds no disk. Each row ends by
// itself within its watch ticks, with the error and its file closed, and the
// dialog is ready again.
TEST_P(ExportFailureOnImageTest, PulledDriveEndsTheRowByItself) {
    const int pulled = RowOf(0), next = RowOf(1);
    ASSERT_GE(pulled, 0);
    ASSERT_GE(next, 0);
    std::atomic<bool> gone{false};
    rig_.page.onProgress = [&] {
        if (gone.exchange(true))
            return;
        for (const platform::IoOp op : {platform::IoOp::Open, platform::IoOp::Seek, platform::IoOp::Read})
            disk_->AddFault({op});
    };
    rig_.page.selected = {pulled, next};
    rig_.model.OnExport();
    ASSERT_TRUE(rig_.page.WaitForPost());

    const FSDiskHandle disk = std::exchange(rig_.page.disk, 0);
    FSStopDaySearch(disk);
    FSStopMonSearch(disk);
    for (int slot = 0; slot < 4; slot++) {
        FSStopPlay(disk, slot);
        FSStopExport(disk, slot);
    }
    FSRemoveDisk(disk);

    const int enough = 2 * (kExportSilentTicks + 1);
    int ticks = 0;
    for (; ticks <= enough; ticks++) {
        rig_.page.PumpAll();
        if (!rig_.model.Exporting())
            break;
        EXPECT_TRUE(rig_.page.watchTimer);
        rig_.model.OnWatchTimer();
    }
    EXPECT_FALSE(rig_.model.Exporting()) << "still exporting after " << ticks << " ticks";
    EXPECT_EQ(std::count(rig_.page.texts.begin(), rig_.page.texts.end(), "100%"), 0);
    EXPECT_EQ(rig_.page.texts.back(), "Error");
    EXPECT_TRUE(rig_.page.exportButton);
    EXPECT_TRUE(rig_.page.search);
    EXPECT_FALSE(rig_.page.watchTimer);
    EXPECT_GT(AviFrames(FileOf(pulled)), 0u);  // closed, with what was read
}

}  // namespace
}  // namespace browse::testing
