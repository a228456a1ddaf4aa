// The settings dialog and the about box under Wine, opened from the mode bar
// of the main window run modally as the program runs it, driven from inside
// its loops, with the executable's folder in a fresh test folder: OK without
// a change writes the ini file and closes without a question (also with GPS
// on); a language change asks, Cancel puts the page back, OK writes the ini
// file, starts the program anew (the harness's hook) and ends the old one; a
// language the combo cannot show is kept; APPLY without a change stays open,
// APPLY with one closes the dialog and the main window; a new chart range
// read through the settings moves the sensor panel's curve; the about box.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/lumerad_dlg.h"
#include "res/settings_ids.h"
#include "tests/app/win_test_support.h"
#include "tests/gui/harness/pixels.h"
#include "tests/gui/harness/script.h"
#include "tests/gui/harness/test_hooks.h"

namespace {

namespace fs = std::filesystem;
using vekgui::Do;
using vekgui::Script;
using vekgui::Step;
using vekgui::WaitUntil;

constexpr int kEnded = 77;  // what the last step ends the main window with

class Settings : public ::testing::Test {
  protected:
    Settings() {
        folder_ = app_test::FreshFolder("settings");
        hooks_.SetExeFolder(folder_.string());
        dlg_.SetConfigAndSkin(&config_, &skin_);
    }
    ~Settings() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Runs the main window modally with `steps`; the main window ends with
    // kEnded after them, unless they end it. What DoModal returned.
    INT_PTR Run(std::vector<Step> steps, bool endAfter = true) {
        if (endAfter)
            steps.push_back(Do([this] { dlg_.EndDialog(kEnded); }));
        Script script(std::move(steps));
        const INT_PTR result = dlg_.DoModal();
        EXPECT_FALSE(script.TimedOut()) << "stuck at step " << script.StepReached();
        EXPECT_TRUE(script.Finished());
        return result;
    }

    // The steps that open the settings dialog from the mode bar: the click
    // blocks in the dialog's loop, so the steps after them run inside it.
    Step ClickConfig() {
        return Do([this] { vekgui::Click(dlg_.m_menuBar, IDC_CONFIG); });
    }
    Step SettingsShown() {
        return WaitUntil([this] { return (settings_ = vekgui::FindOwnWindow("Param Config")) != nullptr; });
    }

    HWND Item(int id) const { return ::GetDlgItem(settings_, id); }
    HWND SystemPage() const { return FindPage(IDC_SYSTEM_LANGUAGE); }
    // The page holding control `id`.
    HWND FindPage(int id) const {
        for (HWND child = ::GetWindow(settings_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::GetDlgItem(child, id))
                return child;
        return nullptr;
    }
    int Selection(HWND page, int combo) const {
        return static_cast<int>(::SendDlgItemMessageA(page, combo, CB_GETCURSEL, 0, 0));
    }
    // Picks entry `index` of a combo as the user does.
    void Pick(HWND page, int combo, int index) const {
        ::SendDlgItemMessageA(page, combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(::GetDlgItem(page, combo)));
    }
    bool SettingsOpen() const { return settings_ != nullptr && ::IsWindow(settings_); }

    // The ini file as a fresh configuration reads it; false when there is none.
    bool ReadIni(AppConfig& out) const { return out.ReadConfig() == 1; }
    fs::path Ini() const { return folder_ / "Config" / "Lumerad.ini"; }

    fs::path folder_;
    vekgui::TestHooks hooks_;
    AppConfig config_;
    CPubSkin skin_;
    CLumeradDlg dlg_;
    HWND settings_ = nullptr;
};

TEST_F(Settings, OkWithNothingChangedWritesTheIniAndClosesWithoutAQuestion) {
    // GPS on: OK keeps it and does not ask.
    config_.m_gps = 1;
    config_.m_watermark = 1;
    const INT_PTR result = Run({
        ClickConfig(),
        SettingsShown(),
        Do([this] {
            EXPECT_FALSE(dlg_.IsWindowEnabled());
            CRect window;
            ::GetWindowRect(settings_, &window);
            EXPECT_EQ(window.Size(), CSize(600, 400));
            const std::pair<int, const char*> texts[] = {{IDC_SETTING_PATH_SET, "Path Set"},
                                                         {IDC_SETTING_SYSTEM_SET, "System Set"},
                                                         {IDC_SETTING_OK, "OK"},
                                                         {IDC_SETTING_CANCEL, "CANCLE"},
                                                         {IDC_SETTING_APPLY, "APPLY"}};
            for (const auto& [id, text] : texts)
                EXPECT_EQ(vekgui::WindowText(Item(id)), text);
            EXPECT_FALSE(::IsWindowVisible(Item(IDC_SETTING_COORD_SET)));
            // The buttons, right to left from 120 pixels before the right edge.
            CRect client;
            ::GetClientRect(settings_, &client);
            CRect apply;
            ::GetWindowRect(Item(IDC_SETTING_APPLY), &apply);
            ::MapWindowPoints(nullptr, settings_, reinterpret_cast<POINT*>(&apply), 2);
            EXPECT_EQ(apply,
                      CRect(client.right - 120, client.bottom - 30, client.right - 40, client.bottom - 7));

            // The folders page is shown, with the folders the configuration starts with.
            EXPECT_FALSE(::IsWindowEnabled(Item(IDC_SETTING_PATH_SET)));
            EXPECT_TRUE(::IsWindowEnabled(Item(IDC_SETTING_SYSTEM_SET)));
            HWND paths = FindPage(IDC_PATH_CAPTURE);
            ASSERT_NE(paths, nullptr);
            EXPECT_TRUE(::IsWindowVisible(paths));
            EXPECT_FALSE(::IsWindowVisible(SystemPage()));
            EXPECT_EQ(vekgui::WindowText(::GetDlgItem(paths, IDC_PATH_CAPTURE)), "D:\\DVR\\Capture");
            EXPECT_EQ(vekgui::WindowText(::GetDlgItem(paths, IDC_PATH_RECORD)), "D:\\DVR\\Download");
            EXPECT_EQ(vekgui::WindowText(::GetDlgItem(paths, IDC_PATH_CAPTURE_LABEL)), "Capture Path");
            EXPECT_EQ(Selection(paths, IDC_PATH_VIDEO_TYPE), 0);
            EXPECT_EQ(::IsDlgButtonChecked(SystemPage(), IDC_SYSTEM_WATERMARK),
                      static_cast<UINT>(BST_CHECKED));
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(SystemPage(), IDC_SYSTEM_GPS)));
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(SystemPage(), IDC_SYSTEM_MIMIC)));
            EXPECT_FALSE(fs::exists(Ini()));
            vekgui::Click(settings_, IDC_SETTING_OK);
        }),
        WaitUntil([this] { return !SettingsOpen() && dlg_.IsWindowEnabled(); }),
    });
    EXPECT_EQ(result, kEnded);
    EXPECT_TRUE(hooks_.boxes().empty());
    EXPECT_TRUE(hooks_.launches().empty());
    AppConfig written;
    ASSERT_TRUE(ReadIni(written));
    EXPECT_EQ(written.m_gps, 1);
    EXPECT_EQ(written.m_watermark, 1);
    EXPECT_EQ(written.m_language, 256);
    EXPECT_STREQ(written.m_capturePath, "D:\\DVR\\Capture");
}

TEST_F(Settings, ALanguageChangeAsksCancelRestoresThePageAndOkRestartsTheProgram) {
    hooks_.AnswerBoxes({IDCANCEL, IDOK});
    const INT_PTR result = Run(
        {
            ClickConfig(),
            SettingsShown(),
            Do([this] {
                vekgui::Click(settings_, IDC_SETTING_SYSTEM_SET);
                HWND system = SystemPage();
                EXPECT_TRUE(::IsWindowVisible(system));
                EXPECT_FALSE(::IsWindowEnabled(Item(IDC_SETTING_SYSTEM_SET)));
                EXPECT_EQ(vekgui::WindowText(::GetDlgItem(system, IDC_SYSTEM_LANGUAGE_LABEL)), "Language");
                EXPECT_EQ(::SendDlgItemMessageA(system, IDC_SYSTEM_LANGUAGE, CB_GETCOUNT, 0, 0), 2);
                EXPECT_EQ(Selection(system, IDC_SYSTEM_LANGUAGE), 0);  // English

                // Russian, OK, Cancel: the page is back at English, the dialog
                // open, no ini file.
                Pick(system, IDC_SYSTEM_LANGUAGE, 1);
                vekgui::Click(settings_, IDC_SETTING_OK);
                ASSERT_EQ(hooks_.boxes().size(), 1u);
                EXPECT_EQ(hooks_.boxes()[0].text, "The parameters have been changed, restart software?");
                EXPECT_EQ(hooks_.boxes()[0].caption, "Warning");
                EXPECT_EQ(hooks_.boxes()[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION));
                EXPECT_TRUE(SettingsOpen());
                EXPECT_EQ(Selection(system, IDC_SYSTEM_LANGUAGE), 0);
                EXPECT_FALSE(fs::exists(Ini()));
                EXPECT_TRUE(hooks_.launches().empty());

                // Russian again, OK, OK: written, started anew, and this
                // process ends.
                Pick(system, IDC_SYSTEM_LANGUAGE, 1);
                vekgui::Click(settings_, IDC_SETTING_OK);
            }),
        },
        false);
    EXPECT_EQ(result, -1);  // WM_QUIT ended the main window's loop
    EXPECT_EQ(vekgui::TakeQuitMessage(), 0);
    EXPECT_FALSE(SettingsOpen());
    EXPECT_EQ(hooks_.boxes().size(), 2u);
    ASSERT_EQ(hooks_.launches().size(), 1u);
    const vekgui::TestHooks::Launch& launch = hooks_.launches()[0];
    EXPECT_EQ(launch.verb, "open");
    EXPECT_EQ(launch.file, winlib::ExePath());
    EXPECT_EQ(fs::path(launch.file).parent_path(), folder_);
    EXPECT_EQ(launch.parameters, "");
    EXPECT_EQ(launch.show, SW_SHOWNORMAL);
    AppConfig written;
    ASSERT_TRUE(ReadIni(written));
    EXPECT_EQ(written.m_language, 259);
    EXPECT_EQ(config_.m_language, 259);
}

// Traditional Chinese has no entry: the combo shows none, and OK keeps it.
TEST_F(Settings, ALanguageTheComboCannotShowIsKept) {
    config_.m_language = 258;
    Run({
        ClickConfig(),
        SettingsShown(),
        Do([this] {
            EXPECT_EQ(Selection(SystemPage(), IDC_SYSTEM_LANGUAGE), -1);
            vekgui::Click(settings_, IDC_SETTING_OK);
        }),
        WaitUntil([this] { return !SettingsOpen(); }),
    });
    EXPECT_TRUE(hooks_.boxes().empty());
    EXPECT_TRUE(hooks_.launches().empty());
    AppConfig written;
    ASSERT_TRUE(ReadIni(written));
    EXPECT_EQ(written.m_language, 258);
}

// APPLY without a change writes and stays open; a folder changed through the
// browser is stored at once. APPLY with a change that the user agrees to
// restart for closes the dialog as well as the main window.
TEST_F(Settings, ApplyWithoutAChangeStaysOpenAndApplysRestartClosesBoth) {
    hooks_.AnswerBrowse(std::string("C:\\Clips of the day"));
    hooks_.AnswerBoxes({IDOK});
    const INT_PTR result = Run(
        {
            ClickConfig(),
            SettingsShown(),
            Do([this] {
                HWND paths = FindPage(IDC_PATH_CAPTURE);
                vekgui::Click(paths, IDC_PATH_CLIP_BROWSE);
                ASSERT_EQ(hooks_.browseTitles().size(), 1u);
                EXPECT_EQ(hooks_.browseTitles()[0], "Select Folder");
                EXPECT_EQ(vekgui::WindowText(::GetDlgItem(paths, IDC_PATH_CLIP)), "C:\\Clips of the day");
                Pick(paths, IDC_PATH_VIDEO_TYPE, 1);
                vekgui::Click(settings_, IDC_SETTING_APPLY);
                EXPECT_TRUE(SettingsOpen());
                EXPECT_TRUE(hooks_.boxes().empty());
                EXPECT_STREQ(config_.m_clipPath, "C:\\Clips of the day");
                EXPECT_EQ(config_.m_videoType, 1);
                AppConfig written;
                ASSERT_TRUE(ReadIni(written));
                EXPECT_STREQ(written.m_clipPath, "C:\\Clips of the day");

                // The watermark, agreed: the new process starts and both
                // windows go.
                vekgui::Click(settings_, IDC_SETTING_SYSTEM_SET);
                vekgui::Click(SystemPage(), IDC_SYSTEM_WATERMARK);
                vekgui::Click(settings_, IDC_SETTING_APPLY);
                EXPECT_EQ(hooks_.boxes().size(), 1u);
                EXPECT_EQ(hooks_.launches().size(), 1u);
            }),
        },
        false);
    // The main window ended (WM_CLOSE), which it can only once the settings
    // dialog inside its loop has closed too.
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(SettingsOpen());
    EXPECT_EQ(vekgui::TakeQuitMessage(), -1);
    AppConfig written;
    ASSERT_TRUE(ReadIni(written));
    EXPECT_EQ(written.m_watermark, 1);
    EXPECT_EQ(written.m_videoType, 1);
}

// The chart ranges come from the ini file, which the settings dialog reads
// again: OK sends them to the sensor panels, and the speed curve moves.
TEST_F(Settings, ANewRangeThroughTheSettingsMovesTheCurve) {
    config_.m_mimic = 1;
    config_.m_coordSet = {{0, 120, -2, 2, -20, 60, 0, 36}};
    for (int t = 0; t < 86400; t += 60) {
        GpsRecord fix{};
        fix.Hour = static_cast<uint8_t>(t / 3600);
        fix.Minute = static_cast<uint8_t>(t / 60 % 60);
        fix.Speed = static_cast<float>(60 + 50 * std::sin(t * 3.14159265 / 43200));
        config_.m_gpsTable.push_back(fix);
    }
    const double speed = config_.m_gpsTable[300].Speed;  // at 05:00
    CCurveDraw& chart = dlg_.m_diskPage.m_dlgMimic.m_curve;
    // Where the chart puts the fix at 05:00, and what is drawn there.
    const auto curveAt = [&chart, speed] {
        const POINT p{chart.Model().TimeToX(5 * 3600), chart.Model().ValueToY(speed).value_or(-1)};
        return std::pair{p, vekgui::Snapshot::Capture(chart).At(p.x, p.y)};
    };
    POINT before{};
    Run({
        WaitUntil([this] { return dlg_.m_diskPage.m_dlgMimic.IsWindowVisible() != FALSE; }),
        Do([&] {
            const auto [at, colour] = curveAt();
            EXPECT_EQ(colour, RGB(255, 0, 0));
            before = at;
            // Another program (or a hand) puts a wider speed range into the ini file.
            AppConfig other;
            other.m_coordSet = {{0, 240, -2, 2, -20, 60, 0, 36}};
            other.WriteConfig();
        }),
        ClickConfig(),
        SettingsShown(),
        Do([this] { vekgui::Click(settings_, IDC_SETTING_OK); }),
        WaitUntil([&] { return chart.Model().rangeMax() == 240; }),
        Do([&] {
            const auto [at, colour] = curveAt();
            EXPECT_EQ(at.x, before.x);
            EXPECT_GT(at.y, before.y);  // lower: the range is wider
            EXPECT_EQ(colour, RGB(255, 0, 0));
            EXPECT_NE(vekgui::Snapshot::Capture(chart).At(before.x, before.y), RGB(255, 0, 0));
            EXPECT_EQ(dlg_.m_netPage.m_dlgMimic.m_curve.Model().rangeMax(), 240);
        }),
    });
    EXPECT_TRUE(hooks_.boxes().empty());
}

TEST_F(Settings, TheAboutBoxShowsItsCaptionAndText) {
    HWND about = nullptr;
    Run({
        Do([this] { vekgui::Click(dlg_.m_menuBar, IDC_HELP_ABOUT); }),
        WaitUntil([&] { return (about = vekgui::FindOwnWindow("About Corvane Movarel")) != nullptr; }),
        Do([&] {
            EXPECT_FALSE(dlg_.IsWindowEnabled());
            EXPECT_EQ(vekgui::WindowText(::GetDlgItem(about, IDC_ABOUT_NAME)), "Corvane Movarel");
            EXPECT_EQ(vekgui::WindowText(::GetDlgItem(about, IDC_ABOUT_VERSION)), "Version 1.0");
            EXPECT_EQ(vekgui::WindowText(::GetDlgItem(about, IDOK)), "OK");
            vekgui::Click(about, IDOK);
        }),
        WaitUntil([&] { return !::IsWindow(about) && dlg_.IsWindowEnabled(); }),
    });
}

}  // namespace
