// What a device-change notice does with the recorder's disk: which notices
// look at the drive, and a gone drive let go completely and told once.
#include "app/drive_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shell {
namespace {

TEST(NoticeTestsDrive, EveryNoticeButAnArrival) {
    EXPECT_FALSE(NoticeTestsDrive(kDeviceArrival));
    for (unsigned event : {0x0007u /* device nodes changed */, 0x8001u /* query remove */,
                           0x8004u /* remove complete */, 0x0018u /* configuration changed */})
        EXPECT_TRUE(NoticeTestsDrive(event)) << event;
}

class FakeLink : public RecorderDiskLink {
  public:
    bool driveOpens = false;
    std::vector<std::string> calls;

    bool DriveOpens(int drive) override {
        calls.push_back("open " + std::to_string(drive));
        return driveOpens;
    }
    void ClosePageDisk() override { calls.push_back("page"); }
    void StopMonSearch(FSDiskHandle) override { calls.push_back("month"); }
    void StopDaySearch(FSDiskHandle) override { calls.push_back("day"); }
    void StopPlay(FSDiskHandle, int slot) override { calls.push_back("play " + std::to_string(slot)); }
    void StopExport(FSDiskHandle, int slot) override { calls.push_back("export " + std::to_string(slot)); }
    int RemoveDisk(FSDiskHandle disk) override {
        calls.push_back("remove " + std::to_string(disk));
        return 1;
    }
    void TellDriveGone() override { calls.push_back("tell"); }
};

TEST(ReleaseGoneDrive, NoRecorderDiskOrADriveThatStillOpensChangesNothing) {
    FakeLink link;
    FSDiskHandle handle = 0;
    int drive = 0;
    EXPECT_FALSE(ReleaseGoneDrive({handle, drive}, link));
    EXPECT_TRUE(link.calls.empty());  // drive 0 is not even opened

    handle = 9;
    drive = 3;
    link.driveOpens = true;
    EXPECT_FALSE(ReleaseGoneDrive({handle, drive}, link));
    EXPECT_EQ(link.calls, std::vector<std::string>{"open 3"});
    EXPECT_EQ(handle, 9u);
    EXPECT_EQ(drive, 3);
}

TEST(ReleaseGoneDrive, AGoneDriveEndsEveryJobRemovesTheDiskAndTellsOnce) {
    FakeLink link;
    FSDiskHandle handle = 9;
    int drive = 3;
    EXPECT_TRUE(ReleaseGoneDrive({handle, drive}, link));
    const std::vector<std::string> want = {"open 3",   "page",     "day",      "month",  "play 0",
                                           "export 0", "play 1",   "export 1", "play 2", "export 2",
                                           "play 3",   "export 3", "remove 9", "tell"};
    EXPECT_EQ(link.calls, want);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(drive, 0);

    // The next notice finds no recorder disk: no second message.
    link.calls.clear();
    EXPECT_FALSE(ReleaseGoneDrive({handle, drive}, link));
    EXPECT_TRUE(link.calls.empty());
}

// A page that closed its disk itself (handle already 0) still gets the drive
// forgotten and the user told; a disk that never opened (handle 0, drive set)
// likewise, with nothing to remove.
TEST(ReleaseGoneDrive, NothingLeftOpenOnlyForgetsTheDriveAndTells) {
    FakeLink link;
    FSDiskHandle handle = 0;
    int drive = 5;
    EXPECT_TRUE(ReleaseGoneDrive({handle, drive}, link));
    EXPECT_EQ(link.calls, (std::vector<std::string>{"open 5", "page", "tell"}));
    EXPECT_EQ(drive, 0);
}

}  // namespace
}  // namespace shell
