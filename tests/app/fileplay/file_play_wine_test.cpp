// The File Play page under Wine, in a host that stands in for the main
// window, with the real VekPlay.dll: where the video, the play list, the
// control bar and the open popup land (against the pure layout) with the list
// shown and hidden; a drop of a folder and of loose files (the system's drop
// record, as the shell makes it) lists every video below them in any case and
// plays the current row, which here does not open, so the bar keeps no
// playback instance and the next Play opens again; the bar's converter and
// export commands reach the installed opener.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/fileplay/file_play_layout.h"
#include "app/fileplay/file_play_wnd.h"
#include "tests/app/play/play_windows_support.h"
#include "tests/common/temp_dir.h"
#include "tests/gui/harness/pixels.h"
#include "tests/gui/harness/test_hooks.h"
#include "vekplay/vekplay_api.h"

namespace {

using play::PixelRect;
using play_test::ClientOf;
using play_test::Pump;
using play_test::RectIn;

constexpr int kWidth = 1200;
constexpr int kHeight = 800;

// A drop record of `paths` (ANSI), as the shell hands one to WM_DROPFILES.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths)
        bytes += p.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    char* at = reinterpret_cast<char*>(files) + sizeof(DROPFILES);
    for (const std::string& p : paths) {
        std::memcpy(at, p.c_str(), p.size() + 1);
        at += p.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::string Windows(const std::filesystem::path& path) {
    std::string text = path.string();
    for (char& c : text) {
        if (c == '/')
            c = '\\';
    }
    return text;
}

UINT g_openedCommand = 0;
CWnd* g_openedOver = nullptr;

void RecordOpener(UINT command, CWnd* owner, AppConfig*, CPubSkin*) {
    g_openedCommand = command;
    g_openedOver = owner;
}

class FilePlayPage : public ::testing::Test {
  protected:
    void SetUp() override {
        VekPlayInitPlayLib(0, 0, 0);
        ASSERT_TRUE(play_test::MakePageIn(host_, page_, &config_, &skin_, kWidth, kHeight));
    }
    void TearDown() override {
        host_.DestroyWindow();
        Pump();
    }

    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int i = 0; i < page_.m_playList.m_list.GetItemCount(); ++i)
            rows.push_back(page_.m_playList.m_list.GetItemText(i, 0).GetString());
        return rows;
    }
    void ExpectLaidOut(bool listShown) {
        const play::FilePageRects want = play::LayOutFilePage(ClientOf(page_), listShown);
        EXPECT_EQ(RectIn(page_, page_.m_video), want.video);
        EXPECT_EQ(RectIn(page_, page_.m_ctrl), want.bar);
        EXPECT_EQ(RectIn(page_, page_.m_openPopup), want.popup);
        EXPECT_EQ(page_.m_playList.IsWindowVisible() != FALSE, listShown);
        if (listShown) {
            EXPECT_EQ(RectIn(page_, page_.m_playList), want.list);
        }
    }

    AppConfig config_;
    CPubSkin skin_;
    play_test::CTestHost host_;
    CDlgFilePlay page_;
    vekgui::TestHooks hooks_;
};

TEST_F(FilePlayPage, VideoListBarAndPopupFollowTheLayoutAndTheListButton) {
    ExpectLaidOut(true);
    EXPECT_TRUE(page_.m_openPopup.IsWindowVisible());
    EXPECT_EQ(page_.m_ctrl.m_stateText.GetWindowTextString(), CString("x0"));

    page_.m_ctrl.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FP_LIST_SHOW, BN_CLICKED),
                             reinterpret_cast<LPARAM>(page_.m_ctrl.GetDlgItem(IDC_FP_LIST_SHOW)->m_hWnd));
    Pump();
    EXPECT_FALSE(page_.PlayListShown());
    ExpectLaidOut(false);
    page_.m_ctrl.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FP_LIST_SHOW, BN_CLICKED),
                             reinterpret_cast<LPARAM>(page_.m_ctrl.GetDlgItem(IDC_FP_LIST_SHOW)->m_hWnd));
    Pump();
    ExpectLaidOut(true);

    // The volume slider, laid out anew with the list, shows the bar's black
    // through its channel's and its thumb's key-colour frames.
    const vekgui::Snapshot volume = vekgui::Snapshot::Capture(page_.m_ctrl.m_volume.m_hWnd);
    ASSERT_TRUE(volume.Valid());
    EXPECT_EQ(volume.Count(CRect(0, 0, volume.Width(), 1), RGB(0, 0, 0)), volume.Width());
    EXPECT_EQ(volume.At(volume.Width() - 2, volume.Height() / 2), RGB(0x40, 0x40, 0x48));

    // The tool menu's commands go to the opener the program installs.
    page_.m_ctrl.SendMessage(WM_COMMAND, ID_FP_CONVERT, 0);  // none installed: nothing
    CDlgFilePlayCtrl::SetExportDialogOpener(&RecordOpener);
    page_.m_ctrl.SendMessage(WM_COMMAND, ID_FP_EXPORT, 0);
    CDlgFilePlayCtrl::SetExportDialogOpener(nullptr);
    EXPECT_EQ(g_openedCommand, static_cast<UINT>(ID_FP_EXPORT));
    EXPECT_EQ(g_openedOver, &page_.m_ctrl);
}

TEST_F(FilePlayPage, ADropListsEveryVideoBelowItAndAFileThatDoesNotOpenLeavesNoInstance) {
    const vektest::TempDir temp;
    const std::filesystem::path folder = std::filesystem::path(temp.Path()) / "dropped";
    std::filesystem::create_directories(folder / "sub" / "deeper");
    for (const char* name :
         {"A.AVI", "b.h264", "c.NVR", "notes.txt", "noext", "sub/e.264", "sub/deeper/f.Avi"})
        std::ofstream(folder / name) << "not a recording";
    const std::filesystem::path loose = std::filesystem::path(temp.Path()) / "g.H264";
    const std::filesystem::path other = std::filesystem::path(temp.Path()) / "h.mp4";
    std::ofstream(loose) << "not a recording";
    std::ofstream(other) << "not a recording";

    page_.SendMessage(WM_DROPFILES,
                      reinterpret_cast<WPARAM>(MakeDrop({Windows(folder), Windows(loose), Windows(other)})),
                      0);
    Pump();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A.AVI", "b.h264", "c.NVR", "e.264", "f.Avi", "g.H264"}));
    EXPECT_EQ(page_.m_playList.Model().PathAt(3), Windows(folder / "sub" / "e.264"));

    // The current row (the last added) was played: it is no recording, so it
    // failed to open, said so, and left nothing open.
    ASSERT_EQ(hooks_.boxes().size(), 1u);
    EXPECT_EQ(hooks_.boxes()[0].text, "Play failed");
    EXPECT_EQ(hooks_.boxes()[0].caption, "Error");
    EXPECT_EQ(page_.m_ctrl.Controller().playHandle(), 0u);
    EXPECT_EQ(page_.m_ctrl.m_stateText.GetWindowTextString(), CString("x0"));
    EXPECT_TRUE(page_.m_openPopup.IsWindowVisible());

    // Play tries to open the file again rather than resume nothing.
    page_.m_ctrl.OpenAndPlayFile();
    EXPECT_EQ(hooks_.boxes().size(), 2u);
    EXPECT_EQ(page_.m_ctrl.Controller().playHandle(), 0u);
    EXPECT_EQ(page_.m_ctrl.m_stateText.GetWindowTextString(), CString("x0"));
}

}  // namespace
