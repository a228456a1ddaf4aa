// tests/gui/harness_test.cpp
//
// The in-process harness itself: its hook replacements as product code sees
// them through the layer, scripts inside modal loops (retried steps, the
// watchdog), and the known start's look-up of the program's user32.
#include <gtest/gtest.h>

#include <string>

#include "tests/gui/harness/known_desktop.h"
#include "tests/gui/harness/script.h"
#include "tests/gui/harness/test_hooks.h"
#include "tests/winlib/winlib_test_res.h"
#include "winlib/winlib.h"

namespace {

TEST(HarnessTest, MessageBoxesAreAnsweredFromTheScriptAndLogged) {
    CWinApp app("Harness");
    vekgui::TestHooks hooks;
    hooks.AnswerBoxes({IDOK, IDNO});
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "w", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(wnd.MessageBox("restart?", "Warning", MB_OKCANCEL | MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(AfxMessageBox("second", MB_YESNO), IDNO);
    EXPECT_EQ(AfxMessageBox("third"), IDCANCEL);  // nothing scripted left
    ASSERT_EQ(hooks.boxes().size(), 3u);
    EXPECT_EQ(hooks.boxes()[0].owner, wnd.m_hWnd);
    EXPECT_EQ(hooks.boxes()[0].text, "restart?");
    EXPECT_EQ(hooks.boxes()[0].caption, "Warning");
    EXPECT_EQ(hooks.boxes()[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(hooks.boxes()[1].caption, "Harness");  // the application's name
    EXPECT_EQ(hooks.boxes()[2].answer, IDCANCEL);
}

TEST(HarnessTest, StartsBrowsingFoldersAndDrivesAreReplaced) {
    const std::string realExe = winlib::ExePath();
    {
        vekgui::TestHooks hooks;
        EXPECT_GT(reinterpret_cast<INT_PTR>(winlib::ShellExecuteProgram(nullptr, "open", "C:\\x\\Movarel.exe",
                                                                        nullptr, nullptr, SW_SHOWNORMAL)),
                  32);
        ASSERT_EQ(hooks.launches().size(), 1u);
        EXPECT_EQ(hooks.launches()[0].verb, "open");
        EXPECT_EQ(hooks.launches()[0].file, "C:\\x\\Movarel.exe");

        std::string folder = "unchanged";
        EXPECT_FALSE(winlib::BrowseForFolder(nullptr, "Select Folder", folder));  // cancelled
        EXPECT_EQ(folder, "unchanged");
        hooks.AnswerBrowse("D:\\DVR\\Clip");
        EXPECT_TRUE(winlib::BrowseForFolder(nullptr, "Select Folder", folder));
        EXPECT_EQ(folder, "D:\\DVR\\Clip");
        EXPECT_EQ(hooks.browseTitles(), (std::vector<std::string>{"Select Folder", "Select Folder"}));

        hooks.SetExeFolder("C:\\test\\run");
        EXPECT_EQ(winlib::ExeFolder(), "C:\\test\\run");
        EXPECT_EQ(winlib::ExePath(), "C:\\test\\run\\" + realExe.substr(realExe.find_last_of('\\') + 1));

        hooks.MapDrive(3, "C:\\test\\drive3.img");
        EXPECT_EQ(winlib::PhysicalDrivePath(3), "C:\\test\\drive3.img");
        EXPECT_EQ(winlib::PhysicalDrivePath(4), "\\\\.\\PhysicalDrive4");
    }
    // Gone with the object: the real calls again.
    EXPECT_EQ(winlib::ExePath(), realExe);
    EXPECT_EQ(winlib::PhysicalDrivePath(3), "\\\\.\\PhysicalDrive3");
}

TEST(HarnessTest, WaitingStepsAreRetriedAndTheWatchdogEndsAStuckDialog) {
    int polls = 0;
    CDialog dialog(IDD_INNER);
    vekgui::Script script(
        {
            vekgui::WaitUntil([&] { return ++polls == 3; }),
            vekgui::WaitUntil([] { return false; }),  // never: the watchdog must end it
        },
        10, 400);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_TRUE(script.TimedOut());
    EXPECT_EQ(script.StepReached(), 1u);
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(vekgui::TakeQuitMessage(), 99);
}

// A user32 without a function the known start needs makes every start fail
// naming it (an empty answer would let every test start from any desktop).
TEST(HarnessTest, TheKnownStartNamesTheUser32FunctionItCannotFind) {
    EXPECT_TRUE(vekgui::CanOpenWindows());
    EXPECT_EQ(vekgui::User32Lacks(GetModuleHandleA("user32.dll")), "");
    EXPECT_EQ(vekgui::User32Lacks(GetModuleHandleA("kernel32.dll")), "EnumWindows");
}

}  // namespace
