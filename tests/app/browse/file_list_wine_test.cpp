// The recording list page under Wine, inside the disk playback page, on a
// generated recorder disk (both on-disk formats) standing in for the picked
// folder's drive: the image is written where Wine reads "\\.\PhysicalDrive1",
// and the test's environment links the volume "\\.\X:" to it (Wine answers the
// device-number query of a file with 1). The folder picker is answered by the
// harness. The calendar offers exactly the days the access library's own
// month search reports, the earliest is searched by itself, the rows of a day
// come sorted with their texts and type images, the channel chooser changes
// them, a double click plays the row in its pane from its start, and Clear
// leaves only today.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/play/playback_pages.h"
#include "tests/app/play/play_windows_support.h"
#include "tests/common/format_versions.h"
#include "tests/gui/harness/script.h"
#include "tests/gui/harness/test_hooks.h"
#include "tools/image_builder.h"
#include "tools/image_scenarios.h"
#include "tools/image_sink.h"

namespace {

using play_test::Pump;
using play_test::PumpUntil;

constexpr int kDrive = 1;
constexpr const char* kFolder = "X:\\recorder";

// One row of the list as it shows: FILE, ID, SIZE and the type image.
struct Row {
    std::string file, id, size;
    int image = 0;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& r, std::ostream* out) {
    *out << r.file << " " << r.id << " " << r.size << " image " << r.image;
}

std::vector<Row> RowsOf(CListCtrl& list) {
    std::vector<Row> rows;
    for (int i = 0; i < list.GetItemCount(); i++) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        list.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        rows.push_back({list.GetItemText(i, 0).GetString(), list.GetItemText(i, 1).GetString(),
                        list.GetItemText(i, 2).GetString(), item.iImage});
    }
    return rows;
}

// The days the access library's own month search reports.
struct MonthOracle {
    static int VEK_CALL Callback(FSReaderKind, void* record, FSPlayParam* param) {
        auto* self = static_cast<MonthOracle*>(param->user);
        if (const auto* m = static_cast<const FSMonthResult*>(record); m != nullptr && param->monthRunning) {
            for (int d = 0; d < 31; d++)
                if (m->days[d] != 0)
                    self->days.insert(browse::DayString({2000 + m->year, m->month, d + 1}));
        } else {
            self->done = true;
        }
        return 1;
    }
    std::set<std::string> days;
    std::atomic<bool> done{false};
};

class FileListOnDrive : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        const char* dosdevices = std::getenv("VEK_WINE_DOSDEVICES");
        ASSERT_NE(dosdevices, nullptr) << "run under scripts/wine-run, which names the prefix's dosdevices";
        image_ = std::string(dosdevices) + "\\physicaldrive" + std::to_string(kDrive);
        ::DeleteFileA(image_.c_str());  // a link another test left
        vektools::ImageSpec recipe;
        std::string error;
        ASSERT_TRUE(vektools::MakeScenario("basic", "", GetParam(), &recipe, &error)) << error;
        {
            vektools::FileSink sink(image_);
            ASSERT_TRUE(vektools::BuildImage(recipe, sink, &manifest_, &error)) << error;
        }
        config_.m_syncPlay = FALSE;
        ASSERT_TRUE(host_.Make(1200, 800));
        page_.SetConfigAndSkin(&config_, &skin_);
        ASSERT_TRUE(page_.Create(CDlgLocalPlayback::IDD, &host_));
        page_.MoveWindow(0, 0, 1200, 800);
        page_.ShowWindow(SW_SHOW);
        Pump();
    }
    void TearDown() override {
        host_.DestroyWindow();
        Pump();
        ::DeleteFileA(image_.c_str());
    }

    CDlgFileList& List() { return page_.m_dlgFileList; }
    const browse::FileListModel& Model() { return *List().Model(); }
    CDlgCalendar& Calendar() { return List().m_dlgCalendar; }
    std::string Status() { return vekgui::WindowText(List().m_status); }
    bool Enabled(int id) { return ::IsWindowEnabled(::GetDlgItem(List(), id)) != FALSE; }

    std::set<std::string> OracleDays() {
        MonthOracle oracle;
        const FSDiskHandle disk =
            FSAddDisk(nullptr, 128, kDrive, "\\\\.\\PhysicalDrive1", &MonthOracle::Callback);
        EXPECT_NE(disk, 0u);
        const browse::CalendarDate today = LocalToday();
        FSSearchByMon(disk, browse::MonthSearchRange(today.year, today.month), nullptr, &oracle);
        for (int i = 0; i < 3000 && !oracle.done; i++)
            ::Sleep(10);
        EXPECT_TRUE(oracle.done);
        FSStopMonSearch(disk);
        FSRemoveDisk(disk);
        return oracle.days;
    }
    // The calendar's marked days of the month it shows, as day strings.
    std::set<std::string> MarkedDays() {
        std::set<std::string> days;
        const browse::CalendarModel& m = Calendar().Model();
        for (int d = 1; d <= browse::kCalendarDayButtons; d++) {
            const bool enabled = Calendar().m_days[d - 1].IsWindowEnabled() != FALSE;
            EXPECT_EQ(enabled, m.DayMarked(d)) << d;
            if (enabled)
                days.insert(browse::DayString({m.ShownYear(), m.ShownMonth(), d}));
        }
        return days;
    }
    Row Expected(const char* file, int channel, const std::string& start, int image) {
        for (const vektools::EventFact& e : manifest_.events) {
            if (e.channel == channel && vektools::FormatPacked(e.start) == start) {
                char size[32];
                std::snprintf(size, sizeof size, "%.2fM", e.dataLength / 1048576.0);
                return {file, std::to_string(channel + 1), size, image};
            }
        }
        ADD_FAILURE() << "no event of channel " << channel << " at " << start;
        return {};
    }
    // Waits for the day search the page started (the rows of `count`).
    bool RowsArrive(size_t count) {
        return PumpUntil([&] { return List().m_listRows.GetItemCount() == static_cast<int>(count); }, 30000);
    }
    void DoubleClick(int row) {
        List().m_listRows.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        NMITEMACTIVATE activate{};
        activate.hdr = {List().m_listRows.m_hWnd, IDC_FILE_LIST_ROWS, static_cast<UINT>(NM_DBLCLK)};
        activate.iItem = row;
        List().SendMessage(WM_NOTIFY, IDC_FILE_LIST_ROWS, reinterpret_cast<LPARAM>(&activate));
    }

    std::string image_;
    vektools::Manifest manifest_;
    vekgui::TestHooks hooks_;
    AppConfig config_;
    CPubSkin skin_;
    play_test::CTestHost host_;
    CDlgLocalPlayback page_;
};
VEK_INSTANTIATE_FOR_BOTH_FORMATS(FileListOnDrive);

TEST_P(FileListOnDrive, SelectTheDiskListDaysChooseChannelsPlayAndClear) {
    const std::set<std::string> days = OracleDays();
    ASSERT_FALSE(days.empty());
    ASSERT_EQ(*days.begin(), "231201");

    hooks_.AnswerBrowse(kFolder);
    vekgui::Click(List(), IDC_FILE_LIST_SELECT_DISK);
    // The month search runs: Select Disk and the calendar wait for it.
    EXPECT_EQ(Status(), "Searching, Please wait");
    EXPECT_FALSE(Enabled(IDC_FILE_LIST_SELECT_DISK));
    EXPECT_FALSE(Calendar().IsWindowEnabled());
    EXPECT_EQ(hooks_.browseTitles(), std::vector<std::string>{"Select Folder"});
    EXPECT_EQ(config_.m_physicalDrive, kDrive);
    EXPECT_EQ(std::string(config_.m_diskFolder), kFolder);
    EXPECT_NE(config_.m_diskHandle, 0u);

    // The earliest day is searched by itself.
    ASSERT_TRUE(RowsArrive(1)) << "status: " << Status();
    EXPECT_EQ(Status(), "Search Finished");
    EXPECT_TRUE(Enabled(IDC_FILE_LIST_SELECT_DISK));
    EXPECT_TRUE(Calendar().IsWindowEnabled());
    const std::vector<std::string> found = Model().Days();
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), days);
    EXPECT_EQ(found.size(), days.size());  // each once
    std::set<std::string> december;
    for (const std::string& d : days)
        if (d.starts_with("2312"))
            december.insert(d);
    EXPECT_EQ(MarkedDays(), december);
    EXPECT_EQ(vekgui::WindowText(Calendar().m_comboYear), "2023");
    EXPECT_EQ(vekgui::WindowText(Calendar().m_comboMonth), "12");
    EXPECT_EQ(Calendar().Model().SelectedDay(), 1);
    EXPECT_EQ(RowsOf(List().m_listRows),
              std::vector<Row>{Expected("231201-10:15:00-11:05:00", 0, "2023-12-01T10:15:00", 2)});
    CVideoRecordTimeCtrl& timeBar = page_.m_dlgPlayback.m_dlgBar.m_timeBar;
    EXPECT_EQ(timeBar.GetRecordCount(0), 1);
    EXPECT_EQ(std::vector<int>(g_diskPaneHasRecords, g_diskPaneHasRecords + 4),
              std::vector<int>({1, 0, 0, 0}));

    // Another day: channels 1 and 3 of the default four (the skipped
    // recordings of channel 3 are not listed).
    vekgui::Click(Calendar(), IDC_CALENDAR_DAY1 + 14);
    ASSERT_TRUE(RowsArrive(2));
    EXPECT_EQ(RowsOf(List().m_listRows),
              (std::vector<Row>{Expected("231215-08:00:00-08:01:00", 0, "2023-12-15T08:00:00", 1),
                                Expected("231215-09:00:00-09:02:00", 2, "2023-12-15T09:00:00", 1)}));

    // Channels 3 and 6 through the chooser: the two start at the same second,
    // ID "3" before "6".
    vekgui::Script script({
        vekgui::Do(
            [&] { vekgui::Click(List(), IDC_FILE_LIST_SELECT_CHANNEL); }),  // modal: the rest runs inside
        vekgui::WaitUntil([] { return vekgui::FindOwnWindow("Select Channel") != nullptr; }),
        vekgui::Do([] {
            HWND chooser = vekgui::FindOwnWindow("Select Channel");
            for (const int channel : {0, 1, 3})
                ::CheckDlgButton(chooser, IDC_CHANNEL_CH01 + channel, BST_UNCHECKED);
            ::CheckDlgButton(chooser, IDC_CHANNEL_CH01 + 5, BST_CHECKED);
            vekgui::Click(chooser, IDC_CHANNEL_SAVE);
        }),
    });
    ASSERT_TRUE(PumpUntil([&] { return script.Finished(); }, 15000));
    EXPECT_EQ(Model().Channels(), (browse::ChosenChannels{2, 5, -1, -1}));
    ASSERT_TRUE(RowsArrive(2));
    EXPECT_EQ(RowsOf(List().m_listRows),
              (std::vector<Row>{Expected("231215-09:00:00-09:02:00", 2, "2023-12-15T09:00:00", 1),
                                Expected("231215-09:00:00-09:01:30", 5, "2023-12-15T09:00:00", 1)}));
    EXPECT_EQ(std::vector<int>(g_diskPaneHasRecords, g_diskPaneHasRecords + 4),
              std::vector<int>({1, 1, 0, 0}));

    // A double click plays the row's recording in its pane (channel 6: pane 1),
    // from the row's start.
    DoubleClick(1);
    Pump();
    CDlgPlayWnd& pane = page_.m_dlgPlayback.m_dlgVideo.m_panes[1];
    EXPECT_TRUE(pane.HasPlayInstance());
    play::RecfileTime target{};
    EXPECT_EQ(timeBar.FindRecordAt(1, &target), 1);
    EXPECT_EQ(target.hour * 10000 + target.minute * 100 + target.second, 90000);
    EXPECT_EQ(page_.m_dlgPlayback.m_dlgTool.Controller().selectedPane(), 1);

    // Clear: the panes stop, nothing is listed, only today can be clicked.
    vekgui::Click(List(), IDC_FILE_LIST_CLEAR);
    EXPECT_FALSE(pane.HasPlayInstance());
    EXPECT_EQ(List().m_listRows.GetItemCount(), 0);
    EXPECT_EQ(timeBar.GetRecordCount(0) + timeBar.GetRecordCount(1), 0);
    EXPECT_EQ(config_.m_diskHandle, 0u);
    EXPECT_EQ(config_.m_physicalDrive, 0);
    EXPECT_EQ(Status(), "Search State");
    const browse::CalendarDate today = LocalToday();
    EXPECT_EQ(MarkedDays(), std::set<std::string>{browse::DayString(today)});
    EXPECT_EQ(Calendar().Model().SelectedDay(), today.day);
    EXPECT_EQ(std::vector<int>(g_diskPaneHasRecords, g_diskPaneHasRecords + 4),
              std::vector<int>({0, 0, 0, 0}));

    // A search-done message left over from the closed disk changes nothing.
    List().PostMessage(WM_MONTH_SEARCH_DONE);
    List().PostMessage(WM_DAY_SEARCH_DONE);
    Pump();
    EXPECT_EQ(Status(), "Search State");
    EXPECT_EQ(MarkedDays(), std::set<std::string>{browse::DayString(today)});
}

// A cancelled picker and a folder on the system's drive (Wine's C: is drive 0)
// open nothing and say nothing; the page's controls sit where its layout says.
TEST_P(FileListOnDrive, RefusesACancelledPickerAndTheSystemDrive) {
    for (const std::optional<std::string>& answer :
         {std::optional<std::string>(), std::optional<std::string>("C:\\windows")}) {
        hooks_.AnswerBrowse(answer);
        vekgui::Click(List(), IDC_FILE_LIST_SELECT_DISK);
        EXPECT_EQ(config_.m_diskHandle, 0u);
        EXPECT_EQ(config_.m_physicalDrive, 0);
        EXPECT_TRUE(Enabled(IDC_FILE_LIST_SELECT_DISK));
        EXPECT_TRUE(Calendar().IsWindowEnabled());
        EXPECT_EQ(Status(), "Search State");
    }
    EXPECT_TRUE(hooks_.boxes().empty());
    EXPECT_EQ(hooks_.browseTitles().size(), 2u);

    const browse::FileListLayout want = browse::LayoutFileList(play_test::ClientOf(List()));
    EXPECT_EQ(play_test::RectIn(List(), List().m_listRows), want.list);
    EXPECT_EQ(play_test::RectIn(List(), List().m_btnSelectDisk), want.selectDisk);
    EXPECT_EQ(play_test::RectIn(List(), List().m_btnExport), want.exportButton);
    EXPECT_EQ(play_test::RectIn(List(), List().m_dlgCalendar), want.calendar);
    EXPECT_EQ(play_test::RectIn(List(), List().m_status), want.status);
    EXPECT_EQ(List().m_btnSelectDisk.GetCaption(), CString("Select Disk"));
    EXPECT_EQ(List().m_btnSelectChannel.GetCaption(), CString("Select Channel"));
    const int widths[] = {155, 40, 60};
    const char* headings[] = {"FILE", "ID", "SIZE"};
    for (int i = 0; i < 3; i++) {
        char text[32] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        List().m_listRows.SendMessage(LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
        EXPECT_STREQ(text, headings[i]);
        EXPECT_EQ(List().m_listRows.GetColumnWidth(i), widths[i]);
    }
}

}  // namespace
