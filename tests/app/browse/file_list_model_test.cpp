// The recording list model against a scripted access library: opening a disk,
// the month search and its days, the day search and its rows, double clicks,
// closing, and the messages that arrive late.
#include <gtest/gtest.h>

#include "tests/app/browse/browse_model_fakes.h"

namespace browse::testing {
namespace {

constexpr CalendarDate kToday{2019, 3, 20};

std::vector<int> Ints(const SearchMonTime& r) {
    return {r.startYear, r.startMonth, r.endYear, r.endMonth};
}
std::vector<int> Ints(const RecTime& t) {
    return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

class FileListTest : public ::testing::Test {
  protected:
    FileListTest() : rig_(kToday) {}

    // Picks "E:\DVR" on physical drive 3.
    void Open() {
        page_.folder = "E:\\DVR";
        rig_.drives.numbers["\\\\.\\E:"] = 3;
        model_.OnSelectDisk();
    }
    // A disk with days in two years; the calendar then searches 5 January 2018.
    void OpenWithDays() {
        Open();
        disks_.Month(18, 1, {5});
        disks_.Month(18, 3, {12});
        disks_.Month(19, 1, {1});
        disks_.MonthEnd();
        page_.PumpAll();
    }
    // One record of channel 0 on the searched day, listed.
    void ListOneRecord(const RecTime& start) {
        disks_.Record(0, 0, start, start, 10, 1);
        disks_.DayEnd();
        page_.PumpAll();
    }

    FileListRig rig_;
    CallLog& log_ = rig_.log;
    FakeDisks& disks_ = rig_.disks;
    FakePage& page_ = rig_.page;
    FileListModel& model_ = rig_.model;
};

TEST_F(FileListTest, SelectDiskOpensThePhysicalDriveAndSearchesTenYearsOfMonths) {
    Open();
    EXPECT_EQ(log_.Find("AddDisk \\\\.\\PhysicalDrive3"), 0);
    EXPECT_EQ(disks_.addWindow, &rig_.window);
    EXPECT_EQ(disks_.addChannels, 128);
    EXPECT_EQ(disks_.addNumber, 3);
    EXPECT_EQ(page_.storedFolder, "E:\\DVR");
    EXPECT_EQ(page_.storedDrive, 3);
    EXPECT_EQ(page_.storedDisk, 7u);

    EXPECT_EQ(Ints(disks_.range), std::vector<int>({9, 1, 19, 3}));
    EXPECT_EQ(Ints(MonthSearchRange(2026, 12)), std::vector<int>({16, 1, 26, 12}));
    EXPECT_EQ(disks_.windows, &rig_.hwnd);
    EXPECT_EQ(disks_.monthUser, &model_);
    EXPECT_TRUE(page_.timer);
    EXPECT_FALSE(page_.diskControls);  // until the month search ends

    // The status line gains a dot per tick and starts again after eighteen.
    EXPECT_EQ(page_.status, "Searching, Please wait");
    for (int i = 0; i < 18; i++)
        model_.OnStatusTimer();
    EXPECT_EQ(page_.status, "Searching, Please wait" + std::string(18, '.'));
    model_.OnStatusTimer();
    EXPECT_EQ(page_.status, "Searching, Please wait.");
}

TEST_F(FileListTest, SelectDiskGivesUpQuietlyAndEnablesItsControlsAgain) {
    struct Case {
        const char* what;
        std::optional<std::string> folder;
        std::optional<int> drive;
        FSDiskHandle added;
    } const cases[] = {
        {"picker cancelled", std::nullopt, 3, 7},       {"no drive letter", "\\\\server\\share", 3, 7},
        {"drive query fails", "E:\\", std::nullopt, 7}, {"system drive", "E:\\", 0, 7},
        {"no reader accepts it", "E:\\", 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileListRig rig(kToday);
        rig.page.folder = c.folder;
        if (c.drive)
            rig.drives.numbers["\\\\.\\E:"] = *c.drive;
        rig.disks.addResult = c.added;
        rig.model.OnSelectDisk();
        EXPECT_TRUE(rig.page.diskControls);
        EXPECT_EQ(rig.log.Find("SearchByMon"), -1);
        EXPECT_EQ(rig.model.DiskHandle(), 0u);
    }
}

// A stick that no reader accepts is not the recorder's drive: its number is not
// kept, so pulling it out later says nothing.
TEST_F(FileListTest, DriveNumberIsKeptOnlyForADiskThatOpened) {
    disks_.addResult = 0;
    Open();
    EXPECT_EQ(log_.Find("AddDisk \\\\.\\PhysicalDrive3"), 0);
    EXPECT_NE(page_.storedDrive, 3);
    EXPECT_EQ(model_.PhysicalDrive(), 0);

    disks_.addResult = 7;
    Open();
    EXPECT_EQ(page_.storedDrive, 3);
}

TEST_F(FileListTest, MonthSearchKeepsEachDayOnceAndTheCalendarSearchesTheEarliest) {
    Open();
    disks_.Month(18, 3, {12});
    disks_.Month(18, 1, {5});
    disks_.Month(18, 2, {29, 30, 31});  // not days of February 2018
    disks_.Month(19, 1, {1});
    disks_.Month(18, 3, {12});  // the same month reported twice
    disks_.MonthEnd();
    EXPECT_EQ(log_.Find("SearchByDay"), -1);  // nothing before the done message
    page_.PumpAll();

    EXPECT_EQ(model_.Days(), std::vector<std::string>({"180312", "180105", "190101"}));
    EXPECT_EQ(page_.calendarDays, model_.Days());
    EXPECT_LT(log_.Find("StopMonSearch"), log_.Find("SetCalendarDays"));
    EXPECT_FALSE(page_.timer);
    EXPECT_EQ(page_.status, "Search Finished");
    EXPECT_TRUE(page_.diskControls);

    EXPECT_EQ(page_.calendar.Years(), std::vector<int>({2018, 2019}));
    EXPECT_EQ(page_.calendar.Months(), std::vector<int>({1, 3}));
    EXPECT_EQ(model_.SelectedDay(), "180105");
    EXPECT_EQ(Ints(disks_.from), std::vector<int>({18, 1, 5, 0, 0, 0}));
    EXPECT_EQ(Ints(disks_.to), std::vector<int>({18, 1, 5, 23, 59, 59}));
    EXPECT_EQ(disks_.group, 0);
    EXPECT_EQ(disks_.channels, (std::array<int, 4>{0, 1, 2, 3}));
    EXPECT_EQ(disks_.dayUser, &model_);
    EXPECT_LT(log_.Find("StopAllAndClear"), log_.Find("SearchByDay"));
    EXPECT_GT(log_.Find("ClearGpsTable"), log_.Find("SearchByDay"));
}

TEST_F(FileListTest, DaySearchFillsSortedRowsTheTimeBarAndThePaneFlags) {
    OpenWithDays();
    model_.OnChannelsChosen({1, 9, 2, -1});
    disks_.Record(1, 0, At(18, 1, 5, 10, 0, 0), At(18, 1, 5, 10, 30, 0), 0, 1);
    disks_.Record(1, 1, At(18, 1, 5, 10, 0, 0), At(18, 1, 5, 10, 5, 0), 100, 1);  // same key: arrival order
    disks_.Record(9, 0, At(18, 1, 5, 10, 0, 0), At(18, 1, 5, 10, 1, 0), 4096, 4);
    disks_.Record(2, 0, At(18, 1, 5, 9, 0, 0), At(18, 1, 5, 9, 30, 0), 3 * 524288, 2);
    disks_.DayEnd();
    EXPECT_TRUE(model_.Rows().empty());
    page_.PumpAll();

    const std::vector<ListRow>& rows = model_.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (ListRow{"180105-09:00:00-09:30:00", "3", "1.50M", kRowImageOther}));
    EXPECT_EQ(rows[1].id, "10");
    EXPECT_EQ(rows[2], (ListRow{"180105-10:00:00-10:30:00", "2", "0.00M", kRowImageNormal}));
    EXPECT_EQ(rows[3].file, "180105-10:00:00-10:05:00");
    EXPECT_EQ(page_.rows, rows);
    EXPECT_EQ(log_.calls.back(), "StopDaySearch");

    EXPECT_EQ(std::vector<int>(rig_.paneFlags, rig_.paneFlags + 4), std::vector<int>({1, 1, 1, 0}));
    EXPECT_EQ(rig_.paneRecords[0].size(), 2u);
    EXPECT_EQ(rig_.paneRecords[1].at(0).dataLength, 4096);
    ASSERT_EQ(page_.timebar[2].size(), 1u);
    EXPECT_EQ(page_.timebar[2][0].colour, 0x0000FFu);
    EXPECT_EQ(page_.timebar[2][0].start.year, 2018);
    EXPECT_EQ(page_.timebar[2][0].length, 3u * 524288);
}

TEST_F(FileListTest, RecordOfAChannelThatWasNotAskedForIsSkipped) {
    OpenWithDays();
    disks_.Record(5, 0, At(18, 1, 5, 10, 0, 0), At(18, 1, 5, 10, 1, 0), 10, 1);
    disks_.Record(-1, 1, At(18, 1, 5, 11, 0, 0), At(18, 1, 5, 11, 1, 0), 10, 1);
    disks_.DayEnd();
    page_.PumpAll();
    EXPECT_TRUE(model_.Rows().empty());
    for (int pane = 0; pane < 4; pane++) {
        EXPECT_TRUE(rig_.paneRecords[pane].empty());
        EXPECT_TRUE(page_.timebar[pane].empty());
        EXPECT_EQ(rig_.paneFlags[pane], 0);
    }
    model_.OnPlayRow(0, true);
    model_.OnPlayRow(-1, false);
    EXPECT_EQ(log_.Find("PlayPane -1"), -1);
}

struct PlayCase {
    const char* name;
    bool sync;
    bool alreadyPlaying;
    std::vector<std::string> calls;
};

class PlayRowTest : public FileListTest, public ::testing::WithParamInterface<PlayCase> {};

TEST_P(PlayRowTest, DoubleClickSeeksThePaneOrTheSyncGroupToTheRowsStart) {
    OpenWithDays();
    model_.OnChannelsChosen({-1, -1, 0, -1});
    ListOneRecord(At(18, 1, 5, 9, 8, 7));
    page_.syncMaster = page_.panePlaying[2] = GetParam().alreadyPlaying;
    const auto before = static_cast<std::ptrdiff_t>(log_.calls.size());
    model_.OnPlayRow(0, GetParam().sync);
    EXPECT_EQ(std::vector<std::string>(log_.calls.begin() + before, log_.calls.end()), GetParam().calls);
    EXPECT_EQ(page_.seekTime, (RowSeekTime{18, 1, 0, 5, 9, 8, 7, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Modes,
    PlayRowTest,
    ::testing::Values(
        PlayCase{"SyncWithoutMaster",
                 true,
                 false,
                 {"PlayPane -1", "SetCursorTime 2 9:8:7 common", "SyncSeekAll", "SelectPane 2"}},
        PlayCase{"SyncWithMaster",
                 true,
                 true,
                 {"SetCursorTime 2 9:8:7 common", "SyncSeekAll", "SelectPane 2"}},
        PlayCase{"IdlePane",
                 false,
                 false,
                 {"PlayPane 2", "SetCursorTime 2 9:8:7 common", "SeekPane 2", "SelectPane 2"}},
        PlayCase{"PlayingPane", false, true, {"SetCursorTime 2 9:8:7 common", "SeekPane 2", "SelectPane 2"}}),
    [](const ::testing::TestParamInfo<PlayCase>& p) { return std::string(p.param.name); });

TEST_F(FileListTest, CloseDiskStopsTheSearchesFirstAndLeavesOnlyToday) {
    OpenWithDays();
    ListOneRecord(At(18, 1, 5, 10, 0, 0));
    rig_.paneFlags[3] = 1;
    log_.calls.clear();

    model_.CloseDisk();
    for (const char* early : {"StopDaySearch", "StopMonSearch", "timer off", "StopAllAndClear"})
        EXPECT_LT(log_.Find(early), log_.Find("RemoveDisk")) << early;
    EXPECT_LT(log_.Find("RemoveDisk"), log_.Find("SetCalendarDays"));
    EXPECT_EQ(model_.DiskHandle(), 0u);
    EXPECT_EQ(page_.storedDisk, 0u);
    EXPECT_EQ(page_.storedDrive, 0);
    EXPECT_EQ(model_.DayCount(), 0);
    EXPECT_TRUE(page_.rows.empty());
    EXPECT_TRUE(rig_.paneRecords[0].empty());
    EXPECT_EQ(std::vector<int>(rig_.paneFlags, rig_.paneFlags + 4), std::vector<int>(4, 0));
    EXPECT_EQ(page_.status, "Search State");
    EXPECT_TRUE(page_.clear);

    EXPECT_EQ(page_.calendarDays, std::vector<std::string>{"190320"});
    for (int day = 1; day <= 31; day++)
        EXPECT_EQ(page_.calendar.DayMarked(day), day == 20) << day;
    EXPECT_EQ(page_.calendar.SelectedDay(), 20);
    // A day clicked afterwards searches nothing: the page holds no day.
    if (const auto day = page_.calendar.OnDayClicked(19))
        model_.OnSearchDay(*day);
    EXPECT_EQ(log_.Find("SearchByDay"), -1);

    model_.CloseDisk();  // nothing open: nothing done
    model_.Reset();
    EXPECT_EQ(log_.Count("RemoveDisk"), 1);
}

TEST_F(FileListTest, DiskWithoutDaysIsClosedToo) {
    Open();
    disks_.MonthEnd();
    page_.PumpAll();
    EXPECT_EQ(model_.DayCount(), 0);
    EXPECT_EQ(log_.Find("SetCalendarDays"), -1);

    log_.calls.clear();
    Open();  // the next disk: the first is removed before it is added
    EXPECT_LT(log_.Find("RemoveDisk"), log_.Find("AddDisk \\\\.\\PhysicalDrive3"));
    EXPECT_EQ(log_.Count("RemoveDisk"), 1);
}

TEST_F(FileListTest, ClearDuringTheMonthSearchEndsItAndALateDoneMessageIsIgnored) {
    Open();
    disks_.Month(18, 1, {5});
    disks_.MonthEnd();  // posted, not yet delivered
    model_.CloseDisk();
    EXPECT_TRUE(page_.diskControls);
    EXPECT_FALSE(page_.timer);

    Open();
    disks_.Month(19, 2, {3});
    const int stops = log_.Count("StopMonSearch");
    page_.PumpAll();  // the first disk's message
    EXPECT_TRUE(page_.timer);
    EXPECT_FALSE(page_.diskControls);
    EXPECT_EQ(page_.status, "Searching, Please wait");
    EXPECT_EQ(log_.Count("StopMonSearch"), stops);

    disks_.MonthEnd();
    page_.PumpAll();
    EXPECT_EQ(model_.Days(), std::vector<std::string>{"190203"});
    EXPECT_EQ(model_.SelectedDay(), "190203");
}

TEST_F(FileListTest, DoneMessageOfAReplacedDaySearchNeitherStopsNorFillsTheNewOne) {
    OpenWithDays();
    disks_.Record(0, 0, At(18, 1, 5, 10, 0, 0), At(18, 1, 5, 10, 1, 0), 10, 1);
    disks_.DayEnd();                                     // 5 January done, its message still queued
    model_.OnSearchDay(*page_.calendar.SelectMonth(1));  // the user moves on to March
    const int stops = log_.Count("StopDaySearch");
    page_.PumpAll();
    EXPECT_EQ(log_.Count("StopDaySearch"), stops);
    EXPECT_TRUE(model_.Rows().empty());

    ListOneRecord(At(18, 3, 12, 8, 0, 0));
    ASSERT_EQ(model_.Rows().size(), 1u);
    EXPECT_EQ(model_.Rows()[0].file, "180312-08:00:00-08:00:00");
}

TEST_F(FileListTest, ChosenChannelsSearchTheSelectedDayAgain) {
    OpenWithDays();
    ChannelChooserModel chooser;
    ASSERT_TRUE(chooser.OnOK());  // nothing checked
    model_.OnChannelsChosen(chooser.GetChannels());
    EXPECT_EQ(disks_.channels, (std::array<int, 4>{-1, -1, -1, -1}));
    EXPECT_EQ(disks_.from.day, 5);

    model_.OnChannelsChosen({47, 200, -7, 3});
    EXPECT_EQ(disks_.channels, (std::array<int, 4>{47, -1, -1, 3}));
}

}  // namespace
}  // namespace browse::testing
