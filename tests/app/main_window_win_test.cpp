// The main window under Wine, run modally as the program runs it and driven
// from inside its loop: caption, maximised start with a thick frame, the
// minimum tracking size, the bar and page rectangles, its black background,
// the mode messages and mode bar buttons (one page shown, the others reset),
// the settings and about boxes, Enter and Escape, WM_COORD_RANGE, and a
// device-change notice after the recorder disk's image was removed.
#include <gtest/gtest.h>
#include <windows.h>

#include <dbt.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "app/lumerad_dlg.h"
#include "app/messages.h"
#include "res/settings_ids.h"
#include "tests/gui/harness/pixels.h"
#include "tests/gui/harness/script.h"
#include "tests/gui/harness/test_hooks.h"
#include "tools/image_scenarios.h"
#include "tools/image_sink.h"
#include "vkfs/vkfs_api.h"

namespace {

using vekgui::Do;
using vekgui::Script;
using vekgui::Step;
using vekgui::WaitUntil;

constexpr int kEnded = 77;  // what the last step ends the main window with

// The pictures' colours (res/pictures.txt).
constexpr COLORREF kBarBack = RGB(0x14, 0x14, 0x14);
constexpr COLORREF kButtonNormal = RGB(0x2B, 0x2F, 0x36);
constexpr COLORREF kButtonDisabled = RGB(0x2A, 0x6C, 0xB0);

CRect RectIn(HWND parent, HWND child) {
    CRect r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class MainWindow : public ::testing::Test {
  protected:
    MainWindow() { dlg_.SetConfigAndSkin(&config_, &skin_); }

    // Runs the main window modally with `steps`, then ends it.
    void Run(std::vector<Step> steps) {
        steps.push_back(Do([this] { dlg_.EndDialog(kEnded); }));
        Script script(std::move(steps));
        const INT_PTR result = dlg_.DoModal();
        EXPECT_FALSE(script.TimedOut()) << "stuck at step " << script.StepReached();
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(result, kEnded);
    }

    // A step: post `message` to the main window, and wait until it has run.
    Step Post(UINT message, WPARAM wParam = 0) {
        return Do([this, message, wParam] {
            dlg_.PostMessage(message, wParam, 0);
            MSG msg;
            while (::PeekMessageA(&msg, dlg_.m_hWnd, message, message, PM_REMOVE))
                ::DispatchMessageA(&msg);
        });
    }

    // A file in the file player's play list, which the page's reset clears.
    Step ListAFile() {
        return Do([this] { dlg_.m_filePage.m_playList.AddPath("C:\\videos\\a.avi"); });
    }
    int FilesListed() { return dlg_.m_filePage.m_playList.Model().count(); }

    // Which pages are visible: disk, network, file player.
    std::string Shown() const {
        std::string shown;
        shown += dlg_.m_diskPage.IsWindowVisible() ? "disk " : "";
        shown += dlg_.m_netPage.IsWindowVisible() ? "net " : "";
        shown += dlg_.m_filePage.IsWindowVisible() ? "file " : "";
        return shown;
    }
    // Whether a page's tool bar shows its Download button.
    static bool DownloadShown(CPlaybackPage& page) {
        CWnd* button = page.m_dlgPlayback.m_dlgTool.GetDlgItem(IDC_TOOL_DOWNLOAD);
        return button != nullptr && (button->GetStyle() & WS_VISIBLE) != 0;
    }
    // Which mode bar buttons are enabled.
    std::string Enabled() const {
        std::string enabled;
        for (int id : {IDC_LOCAL_PLAY, IDC_REMOTE_PLAY, IDC_FILE_PLAY, IDC_CONFIG, IDC_HELP_ABOUT})
            if (::IsWindowEnabled(::GetDlgItem(dlg_.m_menuBar.m_hWnd, id)))
                enabled += std::to_string(id) + " ";
        return enabled;
    }

    AppConfig config_;
    CPubSkin skin_;
    CLumeradDlg dlg_;
    vekgui::TestHooks hooks_;
};

TEST_F(MainWindow, StartsMaximisedWithItsCaptionFrameAndMinimumSize) {
    Run({
        WaitUntil([this] { return dlg_.IsZoomed() != FALSE; }),
        Do([this] {
            EXPECT_EQ(vekgui::WindowText(dlg_.m_hWnd), "Corvane Movarel");
            EXPECT_TRUE(dlg_.GetStyle() & WS_THICKFRAME);
            MINMAXINFO info = {};
            dlg_.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
            EXPECT_EQ(info.ptMinTrackSize.x, 1150);
            EXPECT_EQ(info.ptMinTrackSize.y, 750);
            // Restored, it cannot be made smaller.
            dlg_.ShowWindow(SW_RESTORE);
            dlg_.SetWindowPos(nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
            CRect window;
            dlg_.GetWindowRect(&window);
            EXPECT_EQ(window.Size(), CSize(1150, 750));
            EXPECT_EQ(config_.m_modeText, CString("Local"));
            EXPECT_EQ(dlg_.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(dlg_.GetIcon(TRUE)));
        }),
    });
}

TEST_F(MainWindow, LaysOutTheBarOnTopAndThePagesFromY33OnABlackBackground) {
    Run({
        WaitUntil([this] { return dlg_.IsZoomed() != FALSE; }),
        Do([this] {
            CRect client;
            dlg_.GetClientRect(&client);
            EXPECT_EQ(RectIn(dlg_, dlg_.m_menuBar), CRect(0, 0, client.right, 32));
            for (CWnd* page : {static_cast<CWnd*>(&dlg_.m_diskPage), static_cast<CWnd*>(&dlg_.m_netPage),
                               static_cast<CWnd*>(&dlg_.m_filePage)})
                EXPECT_EQ(RectIn(dlg_, *page), CRect(0, 33, client.right, client.bottom));
            EXPECT_EQ(Shown(), "disk ");

            // The buttons, 120 pixels each from x = 1; the local one (the
            // mode shown) disabled.
            const int order[] = {IDC_LOCAL_PLAY, IDC_CONFIG, IDC_HELP_ABOUT, IDC_REMOTE_PLAY, IDC_FILE_PLAY};
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ(RectIn(dlg_.m_menuBar, ::GetDlgItem(dlg_.m_menuBar, order[i])),
                          CRect(1 + 120 * i, 0, 121 + 120 * i, 32))
                    << order[i];
            EXPECT_EQ(Enabled(), "1022 1184 1041 1023 ");
            EXPECT_EQ(dlg_.m_menuBar.m_remotePlay.GetCaption(), CString("Remote Play"));
            EXPECT_EQ(dlg_.m_menuBar.m_filePlay.GetCaption(), CString("File Play"));

            const auto shot = vekgui::Snapshot::Capture(dlg_);
            ASSERT_TRUE(shot.Valid());
            EXPECT_EQ(shot.At(client.right / 2, 32), RGB(0, 0, 0))
                << vekgui::ColorText(shot.At(client.right / 2, 32));
            EXPECT_EQ(shot.At(0, 10), kBarBack);  // left of the first button
            EXPECT_EQ(shot.At(client.right - 5, 10), kBarBack);
            EXPECT_EQ(shot.At(3, 2), kButtonDisabled);
            for (int i = 1; i < 5; ++i)
                EXPECT_EQ(shot.At(3 + 120 * i, 2), kButtonNormal) << i;
        }),
    });
}

// Each mode message shows exactly its page and resets the two others, also
// when that page is shown already; the bar's buttons do the same by posting.
TEST_F(MainWindow, EachModeShowsOnePageAndResetsTheOthers) {
    Run({
        WaitUntil([this] { return dlg_.IsZoomed() != FALSE; }),
        // A word of the disk page's tool bar that the mode change clears.
        Do([this] { dlg_.m_diskPage.m_dlgPlayback.m_dlgTool.Controller().PaneStopped(1); }),
        Do([] { g_diskPaneHasRecords[0] = 1; }),  // cleared when the disk list is reset
        Do([] { g_netPaneHasRecords[0] = 1; }),   // cleared when the network list is reset
        ListAFile(),                              // the file player's reset clears its play list
        Post(WM_MODE_REMOTE_PLAYBACK),
        Do([this] {
            EXPECT_EQ(Shown(), "net ");
            EXPECT_EQ(config_.m_mode, 0);
            EXPECT_EQ(config_.m_modeText, CString(""));
            EXPECT_EQ(std::exchange(g_diskPaneHasRecords[0], 1), 0);
            EXPECT_EQ(FilesListed(), 0);  // the file player was reset
            EXPECT_EQ(std::exchange(g_netPaneHasRecords[0], 1), 1) << "the page shown is not reset";
            EXPECT_TRUE(DownloadShown(dlg_.m_netPage));
            EXPECT_EQ(dlg_.m_diskPage.m_dlgPlayback.m_dlgTool.Controller().PaneMode(1), 0);
        }),
        ListAFile(),
        Post(WM_MODE_FILE_PLAY),
        Do([this] {
            EXPECT_EQ(Shown(), "file ");
            EXPECT_EQ(config_.m_mode, 0);  // left as it was
            EXPECT_EQ(std::exchange(g_diskPaneHasRecords[0], 1), 0);
            EXPECT_EQ(std::exchange(g_netPaneHasRecords[0], 1), 0) << "reset";
            EXPECT_EQ(FilesListed(), 1);  // not reset when it is shown
        }),
        Post(WM_MODE_LOCAL_PLAYBACK, 1037),
        Do([this] {
            EXPECT_EQ(FilesListed(), 0);
            EXPECT_EQ(std::exchange(g_netPaneHasRecords[0], 1), 0) << "reset";
        }),
        ListAFile(),
        Post(WM_MODE_LOCAL_PLAYBACK, 1037),
        Do([this] {
            EXPECT_EQ(Shown(), "disk ");
            EXPECT_EQ(config_.m_mode, 1);
            EXPECT_EQ(config_.m_modeText, CString("Local"));
            EXPECT_EQ(std::exchange(g_netPaneHasRecords[0], 0), 0) << "reset again";
            EXPECT_EQ(FilesListed(), 0);  // reset again, also with the disk page shown already
            EXPECT_EQ(std::exchange(g_diskPaneHasRecords[0], 0), 1);  // not reset
            EXPECT_FALSE(DownloadShown(dlg_.m_diskPage));
            EXPECT_EQ(
                static_cast<BOOL>(dlg_.m_diskPage.m_dlgPlayback.m_dlgType.IsDlgButtonChecked(IDC_SYNC_PLAY)),
                config_.m_syncPlay);
            EXPECT_EQ(static_cast<BOOL>(
                          dlg_.m_diskPage.m_dlgPlayback.m_dlgType.IsDlgButtonChecked(IDC_SHOW_WATERMARK)),
                      config_.m_showWatermark);
        }),
        // The bar: a button posts its mode; Local Play is marked (disabled)
        // while its page shows, Remote Play and File Play stay enabled, so
        // pressing them again resets the other pages again.
        Do([this] { vekgui::Click(dlg_.m_menuBar, IDC_FILE_PLAY); }),
        WaitUntil([this] { return Shown() == "file "; }),
        Do([this] { EXPECT_EQ(Enabled(), "1021 1022 1184 1041 1023 "); }),
        Do([this] { vekgui::Click(dlg_.m_menuBar, IDC_REMOTE_PLAY); }),
        WaitUntil([this] { return Shown() == "net "; }),
        Do([this] { EXPECT_EQ(Enabled(), "1021 1022 1184 1041 1023 "); }),
        ListAFile(),
        Do([this] { vekgui::Click(dlg_.m_menuBar, IDC_REMOTE_PLAY); }),
        WaitUntil([this] { return FilesListed() == 0; }),  // pressed again: the others reset again
        Do([this] { EXPECT_EQ(Shown(), "net "); }),
        Do([this] { vekgui::Click(dlg_.m_menuBar, IDC_LOCAL_PLAY); }),
        WaitUntil([this] { return Shown() == "disk "; }),
        Do([this] { EXPECT_EQ(Enabled(), "1022 1184 1041 1023 "); }),
    });
}

TEST_F(MainWindow, EnterAndEscapeDoNotCloseIt) {
    Run({
        WaitUntil([this] { return dlg_.IsZoomed() != FALSE; }),
        Do([this] {
            for (HWND target :
                 {dlg_.m_hWnd, ::GetDlgItem(dlg_.m_menuBar, IDC_CONFIG), dlg_.m_diskPage.m_hWnd})
                for (WPARAM key : {VK_ESCAPE, VK_RETURN})
                    ::PostMessageA(target, WM_KEYDOWN, key, 0);
        }),
        // Give the loop every one of those keys.
        WaitUntil([] {
            MSG msg;
            return !::PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE);
        }),
        Do([this] {
            EXPECT_TRUE(dlg_.IsWindowVisible());
            EXPECT_EQ(Shown(), "disk ");
        }),
    });
}

TEST_F(MainWindow, SettingsAndAboutOpenModallyWithTheirCaptions) {
    HWND settings = nullptr, about = nullptr;
    Run({
        WaitUntil([this] { return dlg_.IsZoomed() != FALSE; }),
        Do([this] { vekgui::Click(dlg_.m_menuBar, IDC_CONFIG); }),  // blocks in the box's loop
        WaitUntil([&] { return (settings = vekgui::FindOwnWindow("Param Config")) != nullptr; }),
        Do([&] {
            EXPECT_FALSE(dlg_.IsWindowEnabled());
            EXPECT_EQ(vekgui::WindowText(::GetDlgItem(settings, IDC_SETTING_OK)), "OK");
            vekgui::Click(settings, IDC_SETTING_CANCEL);
        }),
        WaitUntil([&] { return !::IsWindow(settings); }),
        Do([this] { vekgui::Click(dlg_.m_menuBar, IDC_HELP_ABOUT); }),
        WaitUntil([&] { return (about = vekgui::FindOwnWindow("About Corvane Movarel")) != nullptr; }),
        Do([&] {
            EXPECT_FALSE(dlg_.IsWindowEnabled());
            vekgui::Click(about, IDOK);
        }),
        WaitUntil([&] { return !::IsWindow(about) && dlg_.IsWindowEnabled(); }),
    });
}

TEST_F(MainWindow, CoordRangeReachesBothPlaybackPagesSensorPanels) {
    const CoordSet ranges = {{0, 180, -2, 2, -40, 90, 9, 36}};
    const auto range = reinterpret_cast<WPARAM>(&ranges);
    const auto reached = [&ranges](const CDlgMimic& panel) {
        return std::equal(std::begin(ranges.range), std::end(ranges.range), panel.Ranges());
    };
    Run({
        Post(WM_COORD_RANGE, range),
        WaitUntil([&] { return reached(dlg_.m_diskPage.m_dlgMimic) && reached(dlg_.m_netPage.m_dlgMimic); }),
        Do([&] {
            // The speed shown takes its new range.
            EXPECT_EQ(dlg_.m_diskPage.m_dlgMimic.m_curve.Model().rangeMax(), 180);
            EXPECT_EQ(dlg_.m_netPage.m_dlgMimic.m_curve.Model().rangeMax(), 180);
        }),
    });
}

// A recorder disk opened through VKFS on a generated image standing in for
// "\\.\PhysicalDrive6"; the image is then removed, as a pulled drive.
class DrivePulled : public MainWindow {
  protected:
    static constexpr int kDrive = 6;

    void SetUp() override {
        const char* dosdevices = std::getenv("VEK_WINE_DOSDEVICES");
        ASSERT_NE(dosdevices, nullptr) << "run under scripts/wine-run, which names the prefix's dosdevices";
        image_ = std::string(dosdevices) + "\\physicaldrive" + std::to_string(kDrive);
        vektools::ImageSpec recipe;
        std::string error;
        ASSERT_TRUE(vektools::MakeScenario("basic", "", 2, &recipe, &error)) << error;
        {
            vektools::FileSink sink(image_);
            ASSERT_TRUE(vektools::BuildImage(recipe, sink, nullptr, &error)) << error;
        }
        disk_ = FSAddDisk(nullptr, 128, kDrive, "\\\\.\\PhysicalDrive6", nullptr);
        ASSERT_NE(disk_, 0u);
        config_.m_diskHandle = disk_;
        config_.m_physicalDrive = kDrive;
    }
    void TearDown() override {
        FSRemoveDisk(disk_);
        if (!image_.empty())
            ::DeleteFileA(image_.c_str());
    }

    LRESULT Notice(UINT event, const void* header = nullptr) {
        return dlg_.SendMessage(WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(header));
    }

    std::string image_;
    FSDiskHandle disk_ = 0;
};

TEST_F(DrivePulled, ANoticeAfterTheImageWentClosesTheDiskAndSaysSoOnce) {
    DEV_BROADCAST_HDR port = {sizeof port, DBT_DEVTYP_PORT, 0};
    DEV_BROADCAST_HDR volume = {sizeof volume, DBT_DEVTYP_VOLUME, 0};
    Run({
        Do([&] {
            // The drive is still there: an unrelated removal says nothing.
            EXPECT_EQ(Notice(DBT_DEVNODES_CHANGED), TRUE);
            EXPECT_EQ(Notice(DBT_DEVICEREMOVECOMPLETE, &volume), TRUE);
            EXPECT_TRUE(hooks_.boxes().empty());
            EXPECT_EQ(config_.m_diskHandle, disk_);
            // Nor does a drive another program holds for itself.
            HANDLE held = ::CreateFileA(image_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
            EXPECT_EQ(Notice(DBT_DEVNODES_CHANGED), TRUE);
            ::CloseHandle(held);
            EXPECT_TRUE(hooks_.boxes().empty());

            ASSERT_TRUE(::DeleteFileA(image_.c_str())) << ::GetLastError();
            EXPECT_EQ(Notice(DBT_DEVICEARRIVAL, &volume), TRUE);  // arrivals do not look
            EXPECT_TRUE(hooks_.boxes().empty());

            // Any other notice does, whatever device it names.
            EXPECT_EQ(Notice(DBT_DEVICEREMOVECOMPLETE, &port), TRUE);
            ASSERT_EQ(hooks_.boxes().size(), 1u);
            EXPECT_EQ(hooks_.boxes()[0].text, "Equipment has been pulled out!");
            EXPECT_EQ(hooks_.boxes()[0].type, static_cast<UINT>(MB_OK));
            EXPECT_EQ(config_.m_diskHandle, 0u);
            EXPECT_EQ(config_.m_physicalDrive, 0);
            EXPECT_EQ(FSRemoveDisk(disk_), 0);  // removed already

            // Later notices find no recorder disk: said once (a removal
            // without its header is harmless).
            EXPECT_EQ(Notice(DBT_DEVNODES_CHANGED), TRUE);
            EXPECT_EQ(Notice(DBT_DEVICEREMOVECOMPLETE), TRUE);
            EXPECT_EQ(hooks_.boxes().size(), 1u);
        }),
    });
}

}  // namespace
