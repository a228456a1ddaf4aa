// tests/app/download/file_download_wine_test.cpp
//
// Under Wine: the check-box list keeps its header box in step with its items
// and tells its parent, and stripes its rows; a pane's download dialog shows
// the rows of its time-bar row, starts the checked ones through the network
// library one after another from its timer, and takes the library's events
// only as its own messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/download/file_download_dlg.h"
#include "app/messages.h"
#include "app/play/timebar_wnd.h"
#include "res/file_download_ids.h"
#include "tests/app/play/play_windows_support.h"
#include "tests/gui/harness/pixels.h"

namespace {

using play_test::Pump;
using play_test::PumpFor;
using play_test::PumpUntil;

// A parent for the list that logs what it is posted.
class CListHost : public play_test::CTestHost {
  public:
    struct Post {
        WPARAM id;
        LPARAM all;
    };
    std::vector<Post> posts;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CHECKLIST_CHANGED) {
            posts.push_back({wParam, lParam});
            return 0;
        }
        return play_test::CTestHost::WindowProc(message, wParam, lParam);
    }
};

class CheckList : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host_.Make(400, 200));
        HWND list = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 400, 200,
                                      host_.m_hWnd, reinterpret_cast<HMENU>(77), nullptr, nullptr);
        ASSERT_TRUE(list_.SubclassWindow(list));
        list_.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        list_.InsertColumn(0, "", LVCFMT_LEFT, 30);
        list_.InsertColumn(1, "Text", LVCFMT_LEFT, 200);
    }
    void TearDown() override { host_.DestroyWindow(); }
    void AddRows(int count) {
        for (int i = 0; i < count; ++i) {
            list_.InsertItem(i, "");
            list_.SetItemText(i, 1, "row");
        }
        Pump();
        host_.posts.clear();
    }
    // A click on header item 0 as the header gets it from the mouse.
    void ClickHeadBox() {
        HWND header = list_.GetHeaderCtrl();
        RECT r;
        Header_GetItemRect(header, 0, &r);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(header, WM_LBUTTONUP, 0, at);
        Pump();
    }
    std::vector<LPARAM> Posted() {
        std::vector<LPARAM> all;
        for (const auto& p : host_.posts) {
            EXPECT_EQ(p.id, 77u);
            all.push_back(p.all);
        }
        host_.posts.clear();
        return all;
    }

    CListHost host_;
    CCheckListCtrl list_;
};

TEST_F(CheckList, TheHeaderBoxFollowsTheItemsAndTheParentIsTold) {
    AddRows(2);
    list_.SetCheck(0, TRUE);
    Pump();
    EXPECT_TRUE(Posted().empty()) << "nothing before the images are set up";

    list_.InitCheckImages();
    EXPECT_EQ(list_.Header().HeadImage(), kCheckHeadEmpty);
    EXPECT_EQ(Header_GetItemCount(list_.GetHeaderCtrl()), 2);
    list_.SetCheck(1, TRUE);  // the last unchecked one
    Pump();
    EXPECT_EQ(Posted(), (std::vector<LPARAM>{1}));
    EXPECT_EQ(list_.Header().HeadImage(), kCheckHeadTicked);
    list_.SetCheck(0, FALSE);
    Pump();
    EXPECT_EQ(Posted(), (std::vector<LPARAM>{0}));
    EXPECT_EQ(list_.Header().HeadImage(), kCheckHeadEmpty);

    // The header box checks every item, one post per item, then unchecks them.
    ClickHeadBox();
    EXPECT_TRUE(list_.GetCheck(0) && list_.GetCheck(1));
    EXPECT_EQ(list_.Header().HeadImage(), kCheckHeadTicked);
    EXPECT_EQ(Posted().back(), 1);
    ClickHeadBox();
    EXPECT_FALSE(list_.GetCheck(0) || list_.GetCheck(1));
    EXPECT_EQ(list_.Header().HeadImage(), kCheckHeadEmpty);
    EXPECT_EQ(Posted(), (std::vector<LPARAM>{0, 0}));
}

TEST_F(CheckList, AClickOnTheHeaderBoxOfAnEmptyListOnlyTogglesTheBox) {
    list_.InitCheckImages();
    ClickHeadBox();
    EXPECT_EQ(list_.Header().HeadImage(), kCheckHeadTicked);
    EXPECT_EQ(list_.GetItemCount(), 0);
    EXPECT_TRUE(Posted().empty());
}

TEST_F(CheckList, AlternateRowsAreStripedFromAnEvenRowZero) {
    AddRows(3);
    list_.InitCheckImages();
    list_.SetAlternateRowColors(TRUE, 0xB4B4B4, 0xA0A0A0);
    RECT r0, r1;
    ListView_GetSubItemRect(list_.m_hWnd, 0, 1, LVIR_BOUNDS, &r0);
    ListView_GetSubItemRect(list_.m_hWnd, 1, 1, LVIR_BOUNDS, &r1);
    const auto shot = vekgui::Snapshot::Capture(list_.m_hWnd);
    ASSERT_TRUE(shot.Valid());
    // Right of the text "row", inside the sub-item.
    EXPECT_EQ(vekgui::ColorText(shot.At(r0.right - 20, (r0.top + r0.bottom) / 2)), "A0A0A0");
    EXPECT_EQ(vekgui::ColorText(shot.At(r1.right - 20, (r1.top + r1.bottom) / 2)), "B4B4B4");
}

// The network library as the dialog calls it.
struct FakeLibrary final : play::DownloadLibrary {
    uint32_t StartDownloadRecord(uint32_t, const NetDownloadRequest& request) override {
        paths.push_back(request.path);
        users.push_back(request.user);
        EXPECT_EQ(request.callback, &CDlgFileDownload::DownloadEventCallback);
        return static_cast<uint32_t>(100 + paths.size());
    }
    void StopDownloadRecord(uint32_t* download) override {
        stops.push_back(*download);
        *download = 0;
    }
    std::vector<std::string> paths;
    std::vector<uintptr_t> users;
    std::vector<uint32_t> stops;
};

class DownloadDialog : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host_.Make(600, 200));
        ASSERT_TRUE(timeBar_.Create(CRect(0, 0, 600, 120), &host_, 1));
        for (int i = 0; i < 3; ++i) {
            play::_recfile_info_t r;
            r.start = {2024, 3, 5, static_cast<uint8_t>(8 + i), 0, 0, 0};
            r.end = {2024, 3, 5, static_cast<uint8_t>(8 + i), 10, 5, 0};
            r.type = 1;
            r.length = 1572864;
            timeBar_.AddRecord(1, r);
        }
        root_ = std::filesystem::temp_directory_path() / "vek_download_dialog";
        std::filesystem::remove_all(root_);
        std::snprintf(config_.m_recordPath, sizeof config_.m_recordPath, "%s", root_.string().c_str());
        config_.m_modeText = "127.0.0.1";
        config_.m_videoType = 1;
        dialog_.SetPaneIndex(1);
        dialog_.SetLibrary(&library_);
        ASSERT_TRUE(play_wnd::CreateChild(dialog_, CDlgFileDownload::IDD, &host_, &config_, &skin_, FALSE));
        list_ = &dialog_.m_list;
    }
    void TearDown() override {
        if (dialog_.m_hWnd != nullptr)
            dialog_.DestroyWindow();
        host_.DestroyWindow();
        std::filesystem::remove_all(root_);
    }
    std::string State(int row) { return list_->GetItemText(row, play::kColumnState).GetString(); }

    AppConfig config_;
    CPubSkin skin_;
    play_test::CTestHost host_;
    CVideoRecordTimeCtrl timeBar_;
    FakeLibrary library_;
    CDlgFileDownload dialog_;
    CCheckListCtrl* list_ = nullptr;
    std::filesystem::path root_;
};

TEST_F(DownloadDialog, DownloadsTheCheckedRowsOneAfterAnotherAndTakesOnlyItsOwnEvents) {
    dialog_.FillRecordList(&timeBar_);
    dialog_.ShowWindow(SW_SHOW);
    CString caption;
    dialog_.GetWindowText(caption);
    EXPECT_STREQ(caption.GetString(), "File Download Channel02");
    ASSERT_EQ(list_->GetItemCount(), 3);
    EXPECT_STREQ(list_->GetItemText(2, 1).GetString(), "3");
    EXPECT_STREQ(list_->GetItemText(2, 2).GetString(), "2024-03-05 10:00:00");
    EXPECT_STREQ(list_->GetItemText(2, 3).GetString(), "2024-03-05 10:10:05");
    EXPECT_STREQ(list_->GetItemText(2, 5).GetString(), "1.50M");
    EXPECT_EQ(State(0), "Not Download");
    EXPECT_EQ(list_->GetColumnWidth(6), 0);

    list_->SetCheck(0, TRUE);
    list_->SetCheck(2, TRUE);
    dialog_.SendDlgItemMessage(IDC_DOWNLOAD_START, BM_CLICK);
    EXPECT_EQ(State(0), "Downloading");
    EXPECT_EQ(State(2), "Wait Download");
    ASSERT_TRUE(PumpUntil([&] { return library_.paths.size() == 1; }, 2000)) << "the 500 ms timer";
    const std::filesystem::path folder = root_ / "127.0.0.1" / "CH02" / "20240305";
    EXPECT_EQ(library_.paths[0], (folder / "080000-081005.avi").string());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_FALSE(std::filesystem::exists(folder / "080000-081005.avi")) << "no folder of the file's name";
    EXPECT_EQ(timeBar_.GetRecord(1, 0)->downloadState, play::kRowDownloading);
    EXPECT_EQ(timeBar_.GetRecord(1, 0)->downloadHandle, 101u);
    EXPECT_EQ(list_->GetItemData(0), play::kRowDownloading);

    // The library's codes arrive as our messages; the system's 290 and 295
    // (a menu button release, a UI state change) are not download events.
    const uintptr_t user = library_.users[0];
    CDlgFileDownload::DownloadEventCallback(VEKNET_DOWNLOAD_PROGRESS, 40, user);
    ASSERT_TRUE(PumpUntil([&] { return State(0) == "40%"; }));
    dialog_.SendMessage(VEKNET_DOWNLOAD_PROGRESS, 70, 0);
    dialog_.SendMessage(VEKNET_DOWNLOAD_END, 0, 0);
    Pump();
    EXPECT_EQ(State(0), "40%");
    EXPECT_TRUE(library_.stops.empty());

    CDlgFileDownload::DownloadEventCallback(VEKNET_DOWNLOAD_END, VEKNET_DOWNLOAD_OK, user);
    ASSERT_TRUE(PumpUntil([&] { return State(0) == "Complete Download"; }));
    EXPECT_EQ(library_.stops, (std::vector<uint32_t>{101}));
    EXPECT_EQ(timeBar_.GetRecord(1, 0)->downloadState, play::kRowIdle);
    EXPECT_EQ(timeBar_.GetRecord(1, 0)->downloadHandle, 0u);
    ASSERT_TRUE(PumpUntil([&] { return library_.paths.size() == 2; }, 2000));
    EXPECT_EQ(library_.paths[1], (folder / "100000-101005.avi").string());
    EXPECT_EQ(State(2), "Downloading");

    // Closing hides and leaves it running; destroying stops it.
    dialog_.SendMessage(WM_CLOSE);
    EXPECT_FALSE(dialog_.IsWindowVisible());
    EXPECT_EQ(library_.stops.size(), 1u);
    dialog_.DestroyWindow();
    EXPECT_EQ(library_.stops, (std::vector<uint32_t>{101, 102}));
    EXPECT_EQ(timeBar_.GetRecord(1, 2)->downloadState, play::kRowIdle);
}

}  // namespace
