// tests/gui/harness/script.h
//
// Drives modal loops from inside: a Script runs its steps one by one from a
// thread timer, so each step runs inside whatever message loop is active at
// that moment (a step that opens a modal dialog blocks in it, and the next
// step then runs inside that dialog's loop). A step returns true when done,
// false to be tried again at the next tick (waiting for a window to appear,
// say). A watchdog posts WM_QUIT when the script has not finished `timeoutMs`
// after its first tick, so a stuck dialog ends every loop instead of hanging
// the run.
//
//   vekgui::Script script({
//       vekgui::Do([&] { Click(dialog, IDOK); }),
//   });
//   dlg.DoModal();
//   EXPECT_TRUE(script.Finished());
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vekgui {

using Step = std::function<bool()>;

// A step that always completes.
Step Do(std::function<void()> action);
// A step that waits until `condition` holds.
Step WaitUntil(std::function<bool()> condition);

class Script {
  public:
    explicit Script(std::vector<Step> steps, UINT tickMs = 15, UINT timeoutMs = 15000);
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    bool Finished() const { return next_ >= steps_.size() && active_ == 0; }
    bool TimedOut() const { return timedOut_; }
    // Which step was running or waiting when the watchdog fired.
    size_t StepReached() const { return next_; }

  private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR timer, DWORD);
    void Tick();

    std::vector<Step> steps_;
    size_t next_ = 0;
    int active_ = 0;  // steps running now (nested loops nest them)
    bool timedOut_ = false;
    UINT_PTR timer_ = 0;
    UINT timeoutMs_;
    bool started_ = false;
    DWORD deadline_ = 0;
};

// Removes a WM_QUIT left in this thread's queue; its exit code, or -1 when
// there was none.
int TakeQuitMessage();

// Small helpers for steps.
void Click(HWND dialog, int id);
std::string WindowText(HWND window);
// The first visible top-level window of this process with `caption`.
HWND FindOwnWindow(const char* caption);

}  // namespace vekgui
