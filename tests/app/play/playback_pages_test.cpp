// The playback pages under Wine, in a host that stands in for the main
// window: where the list, the frame, the sensor panel, the selector, the grids,
// the tool bar, the strip and the panes land (against the pure layouts) for the
// three view types, one and four panes, GPS on and off; full screen and back;
// the strip's seek routing; and screenshots of a page with four rows of
// recordings at two zoom levels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <string>

#include "app/base/play_layouts.h"
#include "app/map/map_view_win32.h"
#include "app/play/playback_pages.h"
#include "tests/app/play/play_windows_support.h"
#include "tests/common/temp_dir.h"
#include "tests/gui/harness/pixels.h"
#include "tests/gui/harness/script.h"

namespace {

using play::PixelRect;
using play::ViewType;
using play_test::ClientOf;
using play_test::Pump;
using play_test::PumpUntil;
using play_test::RectIn;

constexpr int kWidth = 1200;
constexpr int kHeight = 800;

template <class Page>
class PageTest : public ::testing::Test {
  protected:
    void Open(bool gps, bool mimic = false) {
        config_.m_gps = gps ? 1 : 0;
        config_.m_mimic = mimic ? 1 : 0;
        ASSERT_TRUE(play_test::MakePageIn(host_, page_, &config_, &skin_, kWidth, kHeight));
    }
    void TearDown() override {
        host_.DestroyWindow();
        Pump();
    }
    CDlgPlayback& Frame() { return page_.m_dlgPlayback; }
    void PostToFrame(UINT message, WPARAM wParam) {
        Frame().PostMessage(message, wParam, 0);
        Pump();
    }

    // The frame's children sit where the frame layout puts them.
    void ExpectFrameLaidOut(ViewType type) {
        const play::FrameRects want = play::LayOutFrame(ClientOf(Frame()), type, config_.m_gps != 0);
        EXPECT_EQ(RectIn(Frame(), Frame().m_dlgType), want.typeSelector);
        EXPECT_EQ(RectIn(Frame(), Frame().m_dlgVideo), want.videoGrid.rect);
        EXPECT_EQ(Frame().m_dlgVideo.IsWindowVisible() != FALSE, want.videoGrid.shown);
        EXPECT_EQ(RectIn(Frame(), Frame().m_dlgTool), want.toolBar);
        EXPECT_EQ(RectIn(Frame(), Frame().m_dlgBar), want.strip);
        EXPECT_EQ(RectIn(Frame().m_dlgBar, Frame().m_dlgBar.m_timeBar), ClientOf(Frame().m_dlgBar));
        if (Frame().HasMapGrid()) {
            EXPECT_EQ(RectIn(Frame(), Frame().m_dlgTrack), want.mapGrid.rect);
            EXPECT_EQ(Frame().m_dlgTrack.IsWindowVisible() != FALSE, want.mapGrid.shown);
        }
    }

    // Each pane of a grid sits where the grid's layout puts it.
    template <class Grid>
    void ExpectPanes(Grid& grid) {
        const PixelRect client = ClientOf(grid);
        const auto want = grid.Grid().LayOut(client.width, client.height);
        for (int i = 0; i < play::kPaneCount; ++i) {
            EXPECT_EQ(grid.m_panes[i].IsWindowVisible() != FALSE, want[i].shown) << i;
            if (want[i].shown) {
                EXPECT_EQ(RectIn(grid, grid.m_panes[i]), want[i].rect) << i;
            }
        }
    }

    AppConfig config_;
    CPubSkin skin_;
    play_test::CTestHost host_;
    Page page_;
};

using DiskPage = PageTest<CDlgLocalPlayback>;
using NetworkPage = PageTest<CDlgRemotePlayback>;

TEST_F(DiskPage, ListFrameAndSensorPanelFollowThePageLayout) {
    Open(true, true);
    const PixelRect client = ClientOf(page_);
    play::PageRects want = play::LayOutPage(play::PageKind::Disk, client, false);
    EXPECT_EQ(RectIn(page_, page_.m_dlgFileList), want.list);
    EXPECT_EQ(RectIn(page_, Frame()), want.frame);
    EXPECT_EQ(RectIn(page_, page_.m_dlgMimic), want.sensorPanel.rect);
    EXPECT_TRUE(page_.m_dlgMimic.IsWindowVisible());
    EXPECT_EQ(page_.SensorPanel(), &page_.m_dlgMimic);

    // The tool bar's sensor-panel button goes through the frame to the page.
    PostToFrame(WM_BAR_POSITION, 1);
    Pump();
    want = play::LayOutPage(play::PageKind::Disk, client, true);
    EXPECT_EQ(RectIn(page_, Frame()), want.frame);
    EXPECT_FALSE(page_.m_dlgMimic.IsWindowVisible());
    ExpectFrameLaidOut(ViewType::Video);
}

TEST_F(DiskPage, ViewTypesPlaceTheGridsWithGps) {
    Open(true);
    EXPECT_TRUE(Frame().HasMapGrid());
    ExpectFrameLaidOut(ViewType::Video);
    for (auto [command, type] : {std::pair{1046, ViewType::Map}, std::pair{1047, ViewType::VideoMap},
                                 std::pair{1045, ViewType::Video}}) {
        PostToFrame(WM_VIEW_TYPE, command);
        EXPECT_EQ(Frame().m_viewType, static_cast<int>(type));
        ExpectFrameLaidOut(type);
    }
    // The selector's buttons post the same: the chosen one is disabled.
    CDlgPlaybackType& selector = Frame().m_dlgType;
    EXPECT_TRUE(selector.m_btnTrack.IsWindowVisible());
    ::SendMessageA(selector.m_btnVideoTrack, BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(Frame().m_viewType, 3);
    EXPECT_FALSE(selector.m_btnVideoTrack.IsWindowEnabled());
    EXPECT_TRUE(selector.m_btnVideo.IsWindowEnabled());
    ExpectFrameLaidOut(ViewType::VideoMap);
}

TEST_F(DiskPage, WithoutGpsThereIsNoMapGridAndNoTrackButtons) {
    Open(false);
    EXPECT_FALSE(Frame().HasMapGrid());
    EXPECT_FALSE(Frame().m_dlgType.m_btnTrack.IsWindowVisible());
    EXPECT_FALSE(Frame().m_dlgType.m_btnVideoTrack.IsWindowVisible());
    EXPECT_TRUE(Frame().m_dlgType.m_btnVideo.IsWindowVisible());
    for (int command : {1047, 1046}) {
        PostToFrame(WM_VIEW_TYPE, command);
        ExpectFrameLaidOut(static_cast<ViewType>(command - 1044));
    }
    PostToFrame(WM_PANE_LAYOUT, 1055);  // the map grid's share is skipped
    PostToFrame(WM_SYNC_PLAY, 0);
    Pump();
    EXPECT_TRUE(Frame().m_dlgVideo.Grid().onePane());
}

TEST_F(DiskPage, OneAndFourPanesInTheVideoGridTheMapGridHoldsPaneZeroInSync) {
    config_.m_syncPlay = TRUE;
    Open(true);
    PostToFrame(WM_VIEW_TYPE, 1047);
    ExpectPanes(Frame().m_dlgVideo);
    ExpectPanes(Frame().m_dlgTrack);
    EXPECT_TRUE(Frame().m_dlgTrack.Grid().syncMode());

    PostToFrame(WM_PANE_LAYOUT, 1055);
    Pump();
    EXPECT_TRUE(Frame().m_dlgVideo.Grid().onePane());
    EXPECT_FALSE(Frame().m_dlgTrack.Grid().onePane()) << "sync mode ignores one/four";
    ExpectPanes(Frame().m_dlgVideo);
    ExpectPanes(Frame().m_dlgTrack);

    // A pane double click toggles its grid back to four panes with it selected.
    Frame().m_dlgVideo.PostMessage(WM_PANE_TOGGLE_LAYOUT, 3, 0);
    Pump();
    EXPECT_FALSE(Frame().m_dlgVideo.Grid().onePane());
    EXPECT_EQ(Frame().m_dlgVideo.Grid().selectedPane(), 3);
    ExpectPanes(Frame().m_dlgVideo);

    // Sync off: the map grid follows one/four again.
    ::SendMessageA(Frame().m_dlgType.GetDlgItem(IDC_SYNC_PLAY)->m_hWnd, BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(config_.m_syncPlay);
    EXPECT_FALSE(Frame().m_dlgTrack.Grid().syncMode());
    PostToFrame(WM_PANE_LAYOUT, 1055);
    Pump();
    EXPECT_TRUE(Frame().m_dlgTrack.Grid().onePane());
    ExpectPanes(Frame().m_dlgTrack);
}

TEST_F(DiskPage, SelectingAPaneFramesItAndTellsTheToolBar) {
    Open(false);
    CDlgVideoPlayback& grid = Frame().m_dlgVideo;
    grid.PostMessage(WM_PANE_SELECTED, 2, 0);
    Pump();
    EXPECT_EQ(Frame().m_dlgTool.Controller().selectedPane(), 2);
    EXPECT_EQ(vekgui::WindowText(Frame().m_dlgTool.m_stateText), "0x") << "a pane without records";
    Frame().m_dlgTool.SetSpeedText("mark");
    grid.PostMessage(WM_PANE_SELECTED, 2, 0);  // no change: nothing sent on
    Pump();
    EXPECT_EQ(vekgui::WindowText(Frame().m_dlgTool.m_stateText), "mark");

    const vekgui::Snapshot shot = vekgui::Snapshot::Capture(grid);
    const PixelRect pane = RectIn(grid, grid.m_panes[2]);
    EXPECT_EQ(shot.At(pane.x - 2, pane.y + pane.height / 2), RGB(0x33, 0xFF, 0x4B))
        << vekgui::ColorText(shot.At(pane.x - 2, pane.y + pane.height / 2));
    const PixelRect other = RectIn(grid, grid.m_panes[0]);
    EXPECT_EQ(shot.At(other.x - 2, other.y + other.height / 2), RGB(0x2E, 0x2E, 0x2E));
}

// Each map pane holds its page bridge under the title strip; without an HTML
// engine (Wine here) the bridge shows the statements it would run, and the
// page counts as loaded at once. The title is white at the left, the time in
// 0xFFFF00 at the right; a click selects the pane, a double click toggles the
// grid's one/four layout.
TEST_F(DiskPage, MapPanesHoldTheirPageBridgeUnderTheTitleAndAnswerClicks) {
    config_.m_syncPlay = FALSE;
    Open(true);
    PostToFrame(WM_VIEW_TYPE, 1046);
    CDlgTrackPlayback& grid = Frame().m_dlgTrack;
    for (int i = 0; i < play::kPaneCount; ++i) {
        CDlgMapWnd& map = grid.m_panes[i];
        EXPECT_EQ(map.PaneIndex(), i);
        ASSERT_NE(map.BridgeWindow(), nullptr) << i;
        EXPECT_EQ(RectIn(map, map.m_dlgMap), play::LayOutPlayPane(ClientOf(map)).video) << i;
        const auto* view = dynamic_cast<const track::CStatementMapView*>(map.m_dlgMap.View());
        ASSERT_NE(view, nullptr) << i;
        EXPECT_EQ(RectIn(map.m_dlgMap, view->ViewWindow()), ClientOf(map.m_dlgMap)) << i;
        EXPECT_TRUE(map.m_dlgMap.PageLoaded()) << i;
        EXPECT_EQ(view->Statements(), std::deque<std::string>{"SetLanguage(\"256\")"}) << i;
        // The label starts as the local time.
        const std::string time = map.TimeText().GetString();
        EXPECT_EQ(time.size(), 19u) << time;
        EXPECT_NE(time.rfind("20", 0), std::string::npos) << time;
    }

    CDlgMapWnd& map = grid.m_panes[2];
    map.SetTimeText("2024-05-06 00:10:07");
    const vekgui::Snapshot shot = vekgui::Snapshot::Capture(map);
    const PixelRect client = ClientOf(map);
    const play::PaneRects rects = play::LayOutPlayPane(client);
    const CRect timeArea(rects.timeText.x, 0, rects.timeText.right(), play::kPaneTitleHeight);
    const CRect titleArea(10, 0, rects.timeText.x, play::kPaneTitleHeight);
    EXPECT_GT(shot.Count(timeArea, RGB(0, 255, 255)), 20);
    EXPECT_GT(shot.Count(titleArea, RGB(255, 255, 255)), 20);
    EXPECT_EQ(shot.Count(timeArea, RGB(255, 255, 255)), 0);

    map.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 5));
    map.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 5));
    Pump();
    EXPECT_EQ(grid.Grid().selectedPane(), 2);
    map.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 5));
    Pump();
    EXPECT_TRUE(grid.Grid().onePane());
    ExpectPanes(grid);
    EXPECT_TRUE(map.IsWindowVisible());
    EXPECT_EQ(RectIn(map, map.m_dlgMap), play::LayOutPlayPane(ClientOf(map)).video);
}

// A part with the dialog's face is erased in its own colour; the calendar's
// labels fill their own background with the colour behind them.
TEST_F(DiskPage, PartsShowTheirFaces) {
    Open(true, true);
    // The sensor panel's face shows where its chart, labels and buttons leave
    // it: its left edge, its label column above the labels, the bottom strip
    // after the buttons.
    CDlgMimic& panel = page_.m_dlgMimic;
    const PixelRect area = ClientOf(panel);
    const play::SensorPanelRects parts = play::LayOutSensorPanel(area);
    const vekgui::Snapshot panelShot = vekgui::Snapshot::Capture(panel);
    for (const POINT p : {POINT{0, area.height / 2}, POINT{area.width - 45, 2},
                          POINT{parts.buttons[4].right() + 10, area.height - 5}})
        EXPECT_EQ(panelShot.At(p.x, p.y), CDlgMimic::kFace)
            << p.x << "," << p.y << " " << vekgui::ColorText(panelShot.At(p.x, p.y));

    CDlgCalendar& calendar = page_.m_dlgFileList.m_dlgCalendar;
    const vekgui::Snapshot shot = vekgui::Snapshot::Capture(calendar);
    const PixelRect year = RectIn(calendar, calendar.m_labelYear);
    const PixelRect sunday = RectIn(calendar, calendar.m_weekdays[0]);
    EXPECT_EQ(shot.At(year.right() - 1, year.bottom() - 1), browse::kCalendarBackground)
        << vekgui::ColorText(shot.At(year.right() - 1, year.bottom() - 1));
    EXPECT_EQ(shot.At(sunday.right() - 1, sunday.bottom() - 1), browse::kCalendarWeekdayStrip)
        << vekgui::ColorText(shot.At(sunday.right() - 1, sunday.bottom() - 1));
}

TEST_F(DiskPage, FullScreenCoversTheMonitorAndBackRestoresParentAndPlace) {
    Open(false);
    const PixelRect before = RectIn(page_, Frame());
    PostToFrame(WM_FULL_SCREEN, 1);
    ASSERT_TRUE(PumpUntil([&] { return !host_.IsWindowVisible(); })) << "the main window hides";
    EXPECT_EQ(::GetAncestor(Frame(), GA_PARENT), ::GetDesktopWindow());
    EXPECT_TRUE(Frame().IsFullScreen());
    EXPECT_TRUE(Frame().GetExStyle() & WS_EX_TOPMOST);
    RECT onScreen;
    Frame().GetWindowRect(&onScreen);
    POINT pointer;
    ::GetCursorPos(&pointer);
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    ::GetMonitorInfoA(::MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_TRUE(::EqualRect(&onScreen, &monitor.rcMonitor));
    ExpectFrameLaidOut(ViewType::Video);

    PostToFrame(WM_FULL_SCREEN, 1);  // again: still the first page to go back to
    PostToFrame(WM_FULL_SCREEN, 0);
    ASSERT_TRUE(PumpUntil([&] { return host_.IsWindowVisible() != FALSE; }));
    Pump();
    EXPECT_EQ(::GetParent(Frame()), page_.m_hWnd);
    EXPECT_FALSE(Frame().GetExStyle() & WS_EX_TOPMOST);
    EXPECT_EQ(RectIn(page_, Frame()), before);
    ExpectFrameLaidOut(ViewType::Video);
    PostToFrame(WM_FULL_SCREEN, 0);  // a stray "back" changes nothing
    EXPECT_EQ(::GetParent(Frame()), page_.m_hWnd);
}

// Counts the WM_TIMEBAR_SEEK messages each window of this thread takes from its queue.
class SeekCounter {
  public:
    SeekCounter()
        : hook_(::SetWindowsHookExA(WH_GETMESSAGE, &SeekCounter::Hook, nullptr, ::GetCurrentThreadId())) {
        current_ = this;
    }
    ~SeekCounter() {
        ::UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    int To(HWND window) const {
        const auto it = counts_.find(window);
        return it == counts_.end() ? 0 : it->second;
    }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_TIMEBAR_SEEK &&
            current_ != nullptr)
            ++current_->counts_[msg->hwnd];
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline SeekCounter* current_ = nullptr;
    HHOOK hook_;
    std::map<HWND, int> counts_;
};

TEST_F(DiskPage, TheStripRoutesSeeksToThePaneOfTheRowOrTheToolBar) {
    Open(false);
    CDlgPlaybackBar& strip = Frame().m_dlgBar;
    EXPECT_EQ(strip.m_timeBar.Model().RowName(3), "Window04");
    SeekCounter seeks;
    for (LPARAM row : {1, 3, 3, -1, 4, -2})
        strip.PostMessage(WM_TIMEBAR_SEEK, IDC_TIMEBAR, row);
    strip.PostMessage(WM_TIMEBAR_SEEK, 99, 0);  // not from its own time bar
    Pump();
    const int want[] = {0, 1, 0, 2};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(seeks.To(Frame().m_dlgVideo.m_panes[i]), want[i]) << i;
    EXPECT_EQ(seeks.To(Frame().m_dlgTool), 1);
}

TEST_F(DiskPage, WhatTheMainWindowCallsReachesTheParts) {
    Open(false);
    g_diskPaneHasRecords[2] = 1;
    page_.ResetPage();
    EXPECT_EQ(g_diskPaneHasRecords[2], 0);  // the list let go of its records
    page_.CloseDisk();                      // no disk open: nothing to do
    page_.SetViewChecks(FALSE, TRUE);
    EXPECT_EQ(Frame().m_dlgType.IsDlgButtonChecked(IDC_SYNC_PLAY), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(Frame().m_dlgType.IsDlgButtonChecked(IDC_SHOW_WATERMARK), static_cast<UINT>(BST_CHECKED));
    CWnd* download = Frame().m_dlgTool.GetDlgItem(IDC_TOOL_DOWNLOAD);
    page_.ShowDownloadButton(TRUE);
    EXPECT_TRUE(download->IsWindowVisible());
    page_.ShowDownloadButton(FALSE);
    EXPECT_FALSE(download->IsWindowVisible());
    Frame().m_dlgTool.Controller().PaneStopped(3);
    page_.ClearPaneFlags();
    EXPECT_EQ(Frame().m_dlgTool.Controller().PaneMode(3), 0);
    EXPECT_EQ(vekgui::WindowText(Frame().m_dlgType.m_syncLabel), "Sync Playback");
    EXPECT_FALSE(Frame().m_dlgType.GetDlgItem(IDC_SHOW_WATERMARK)->IsWindowVisible()) << "[Watermark] is off";
    for (int i = 0; i < play::kPaneCount; ++i) {
        EXPECT_EQ(Frame().m_dlgDownload[i].m_paneIndex, i);
        EXPECT_FALSE(Frame().m_dlgDownload[i].IsWindowVisible());
        EXPECT_EQ(Frame().m_dlgVideo.m_panes[i].PaneIndex(), i);
    }
}

TEST_F(NetworkPage, KeepsTheVideoViewWithoutViewButtonsOrSensorPanel) {
    Open(true);
    const play::PageRects want = play::LayOutPage(play::PageKind::Network, ClientOf(page_), true);
    EXPECT_EQ(RectIn(page_, page_.m_dlgDeviceList), want.list);
    EXPECT_EQ(RectIn(page_, Frame()), want.frame);
    EXPECT_FALSE(page_.m_dlgMimic.IsWindowVisible());
    EXPECT_EQ(Frame().m_viewType, 1);
    EXPECT_FALSE(Frame().m_dlgType.m_btnVideo.IsWindowVisible());
    EXPECT_FALSE(Frame().m_dlgType.m_btnTrack.IsWindowVisible());
    ExpectFrameLaidOut(ViewType::Video);
    g_netPaneHasRecords[1] = 1;
    page_.ResetPage();
    EXPECT_EQ(g_netPaneHasRecords[1], 0);  // the list let go of its records
}

// A page with four rows of recordings, saved at zoom 0 and zoom 3 (BMP) into
// the folder VEK_SCREENSHOT_DIR names, else the temporary folder.
TEST_F(DiskPage, ScreenshotsOfFourRowsAtTwoZoomLevels) {
    Open(false);
    CVideoRecordTimeCtrl& bar = Frame().m_dlgBar.m_timeBar;
    const uint32_t colours[] = {0xFFAA00, 0x0000FF, 0x00FFFF, 0x00FF00};
    for (int row = 0; row < 4; ++row) {
        for (int k = 0; k < 5; ++k) {
            play::_recfile_info_t r;
            r.colour = colours[(row + k) % 4];
            const int from = row * 40 + k * 250;  // minutes
            const int to = from + 90 + row * 20;
            r.start = {2024, 3, 5, static_cast<uint8_t>(from / 60), static_cast<uint8_t>(from % 60), 0, 0};
            r.end = {2024, 3, 5, static_cast<uint8_t>(to / 60), static_cast<uint8_t>(to % 60), 0, 0};
            r.type = k == 2 ? 2 : 1;
            bar.AddRecord(row, r);
        }
        bar.ShowCursor(row, 1, 0);
        bar.SetCursorTime(row, 1 + row * 3, 20, 0, 0);
    }
    const char* dir = std::getenv("VEK_SCREENSHOT_DIR");
    const vektest::TempDir temp;
    const std::filesystem::path out =
        dir != nullptr ? std::filesystem::path(dir) : std::filesystem::path(temp.Path());
    std::filesystem::create_directories(out);
    for (int zoom : {0, 3}) {
        while (bar.Model().view().zoom < zoom)
            bar.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
        const vekgui::Snapshot page = vekgui::Snapshot::Capture(page_);
        ASSERT_TRUE(page.Valid());
        EXPECT_TRUE(page.SaveBmp((out / ("timebar_zoom" + std::to_string(zoom) + ".bmp")).string()));
        const vekgui::Snapshot strip = vekgui::Snapshot::Capture(bar);
        int painted = 0;
        for (uint32_t c : colours)
            painted += strip.Count(RECT{80, 25, strip.Width() - 10, 97},
                                   RGB(c & 0xFF, (c >> 8) & 0xFF, c >> 16)) > 0;
        EXPECT_GE(painted, zoom == 0 ? 4 : 2) << "zoom " << zoom;
    }
}

}  // namespace
