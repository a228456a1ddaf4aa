// The .264-to-AVI converter under Wine, in process, on a stream file that
// mkstream made (source.264 in the folder the environment names,
// VEK_CONVERT_DIR, where the AVI files go too; tests/media's avicheck.py
// checks them afterwards). The file dialogs are answered by the harness.
//
// Convert sets its dialog up on the GUI thread before the worker starts and a
// second Convert while one runs starts nothing; a whole conversion ends at
// 100% with the time taken, one that cannot write its file with the error; Stop mid-way ends the conversion
// with the button enabled again; closing the dialog mid-way returns within a second.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <regex>
#include <string>

#include "app/browse/convert_dlg.h"
#include "app/messages.h"
#include "tests/gui/harness/script.h"
#include "tests/gui/harness/test_hooks.h"

namespace {

using vekgui::Do;
using vekgui::WaitUntil;

// A path of the Unix side as Windows programs under Wine name it.
std::string FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::string();
    std::string path = std::string("Z:") + value;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

class ConverterDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        out_ = FromEnvironment("VEK_CONVERT_DIR");
        ASSERT_FALSE(out_.empty()) << "VEK_CONVERT_DIR names the folder of the stream and the AVI files";
        source_ = out_ + "\\source.264";
        dlg_.SetConfigAndSkin(&config_, &skin_);
    }

    // The source and out_\avi through the file dialogs.
    void PickFiles(const std::string& avi) {
        hooks_.AnswerFiles({source_, out_ + "\\" + avi});
        vekgui::Click(dlg_, IDC_CONVERT_BROWSE_SOURCE);
        vekgui::Click(dlg_, IDC_CONVERT_BROWSE_DESTINATION);
    }
    int Position() { return static_cast<int>(dlg_.m_progress.GetPos()); }
    bool Enabled(int id) { return ::IsWindowEnabled(::GetDlgItem(dlg_, id)) != FALSE; }
    std::string Text(int id) { return vekgui::WindowText(::GetDlgItem(dlg_, id)); }

    vekgui::TestHooks hooks_;
    AppConfig config_;
    CPubSkin skin_;
    CDlg264ToAvi dlg_;
    std::string source_, out_;
};

TEST_F(ConverterDialog, ConvertSetsUpBeforeItsWorkerStartsAndASecondConvertStartsNothing) {
    bool disabledAtOnce = false, runningAtOnce = false;
    int positionAtOnce = -1;
    std::string percentAtOnce, percent, seconds, failedText;
    int position = -1;
    vekgui::Script script(
        {
            Do([&] {
                PickFiles("whole.avi");
                dlg_.m_progress.SetPos(500);  // as a conversion before left it
                vekgui::Click(dlg_, IDC_CONVERT_START);
                // Nothing of the worker has been handled yet: this thread did it.
                disabledAtOnce = !Enabled(IDC_CONVERT_START);
                positionAtOnce = Position();
                percentAtOnce = Text(IDC_CONVERT_PERCENT);
                runningAtOnce = dlg_.Converting();
                // A second click that was queued behind the first.
                dlg_.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERT_START, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(::GetDlgItem(dlg_, IDC_CONVERT_START)));
            }),
            WaitUntil([&] { return Enabled(IDC_CONVERT_START); }),
            Do([&] {
                percent = Text(IDC_CONVERT_PERCENT);
                seconds = Text(IDC_CONVERT_SECONDS);
                position = Position();
                // An AVI file that cannot be written is a failure, not 100%.
                PickFiles("no such folder\\failed.avi");
                vekgui::Click(dlg_, IDC_CONVERT_START);
            }),
            WaitUntil([&] { return Enabled(IDC_CONVERT_START); }),
            Do([&] {
                failedText = Text(IDC_CONVERT_PERCENT);
                dlg_.SendMessage(WM_CLOSE);
            }),
        },
        15, 120000);
    dlg_.DoModal();
    ASSERT_TRUE(script.Finished()) << "step " << script.StepReached();
    EXPECT_TRUE(disabledAtOnce);
    EXPECT_EQ(positionAtOnce, 0);
    EXPECT_EQ(percentAtOnce, "0%");
    EXPECT_TRUE(runningAtOnce);
    EXPECT_EQ(percent, "100%");
    EXPECT_EQ(position, 1000);
    EXPECT_TRUE(std::regex_match(seconds, std::regex(R"(\d+\.\d{3})"))) << seconds;
    EXPECT_EQ(failedText, "Error");
    ASSERT_EQ(hooks_.fileRequests().size(), 4u);
    EXPECT_FALSE(hooks_.fileRequests()[0].save);
    EXPECT_EQ(hooks_.fileRequests()[0].title, "Open File");
    EXPECT_EQ(hooks_.fileRequests()[1].filter, "avi file(*.avi)|*.avi||");
    EXPECT_EQ(hooks_.fileRequests()[1].defaultExtension, "avi");
}

// Runs an action on this thread as the first progress message of a
// conversion is taken from the queue, that is as soon as the worker has
// written one block: mid-way however fast the conversion runs.
class OnFirstProgress {
  public:
    OnFirstProgress() : hook_(::SetWindowsHookExA(WH_GETMESSAGE, &Proc, nullptr, ::GetCurrentThreadId())) {}
    ~OnFirstProgress() {
        ::UnhookWindowsHookEx(hook_);
        action_ = nullptr;
    }
    OnFirstProgress(const OnFirstProgress&) = delete;
    OnFirstProgress& operator=(const OnFirstProgress&) = delete;
    void Arm(std::function<void()> action) { action_ = std::move(action); }

  private:
    static LRESULT CALLBACK Proc(int code, WPARAM removal, LPARAM data) {
        const MSG* m = reinterpret_cast<const MSG*>(data);
        if (code == HC_ACTION && removal == PM_REMOVE && m->message == WM_CONVERT_PROGRESS && action_) {
            const std::function<void()> action = std::move(action_);
            action_ = nullptr;
            action();
        }
        return ::CallNextHookEx(nullptr, code, removal, data);
    }
    static inline std::function<void()> action_;
    HHOOK hook_;
};

TEST_F(ConverterDialog, StopAndCloseMidwayEndTheConversion) {
    int stoppedAt = -1;
    std::string stoppedText;
    DWORD closeMs = 0;
    bool runningAfterClose = true;
    OnFirstProgress midway;
    vekgui::Script script(
        {
            Do([&] {
                PickFiles("stopped.avi");
                midway.Arm([&] { vekgui::Click(dlg_, IDC_CONVERT_STOP); });
                vekgui::Click(dlg_, IDC_CONVERT_START);
            }),
            WaitUntil([&] { return Enabled(IDC_CONVERT_START); }),
            Do([&] {
                stoppedAt = Position();
                stoppedText = Text(IDC_CONVERT_PERCENT);
                PickFiles("closed.avi");
                midway.Arm([&] {
                    const DWORD start = ::GetTickCount();
                    dlg_.SendMessage(WM_CLOSE);
                    closeMs = ::GetTickCount() - start;
                    runningAfterClose = dlg_.Converting();
                });
                vekgui::Click(dlg_, IDC_CONVERT_START);
            }),
        },
        15, 120000);
    dlg_.DoModal();
    ASSERT_TRUE(script.Finished()) << "step " << script.StepReached();
    EXPECT_GT(stoppedAt, 0);
    EXPECT_LT(stoppedAt, 1000);
    EXPECT_NE(stoppedText, "100%");
    EXPECT_LT(closeMs, 1000u);
    EXPECT_FALSE(runningAfterClose);
}

}  // namespace
