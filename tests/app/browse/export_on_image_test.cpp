// The export dialog's model on the real access library, with a generated
// recorder disk (both on-disk formats) open as the recording list opens it and
// a pane playing from it: a day's two rows are exported into two AVI files
// holding their records' video frames from the first key frame, while the pane
// plays on, and a seek of the pane still finds its record through the play
// group's search.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

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
    // Video frames of an event from its first key frame on.
    static uint32_t VideoFromFirstKey(const vektools::EventFact& e) {
        uint32_t count = 0;
        bool keyed = false;
        for (const vektools::FrameRecord& f : e.frames) {
            keyed = keyed || f.type == 'I';
            if (keyed && (f.type == 'I' || f.type == 'P'))
                count++;
        }
        return count;
    }
    // The total frames an AVI file's main header gives; 0 when it is no AVI.
    static uint32_t AviFrames(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<uint8_t> avi((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
        if (avi.size() < 2048 || std::string(avi.begin() + 8, avi.begin() + 12) != "AVI " ||
            platform::GetU32(avi.data() + 4) != avi.size() - 8)
            return 0;
        return platform::GetU32(avi.data() + 48);
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

}  // namespace
}  // namespace browse::testing
