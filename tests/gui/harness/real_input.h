// tests/gui/harness/real_input.h
//
// A user's hand on the mouse and the keyboard, for tests that drive windows
// through the system's input queue (SendInput). The hand paces the steps from
// a thread of its own, so that the windows' thread stays free to run whatever
// modal loop a press or a key starts (a drag, a menu), and it gives each step
// only once the step before took effect:
//
//   a move     the system's pointer and GetCursorPos are where it was sent,
//              and when a window of the watched thread takes it (under the
//              point, or holding the capture), that thread has taken a mouse
//              message there; a move the system has not taken after a while
//              is made again, never one it took (the rule every move keeps:
//              PointerMove); a move onto a window of the watched thread to
//              where the pointer already is fails at once (the system would
//              tell no window of it);
//   a press    the watched thread has taken the button's down message at the
//              pointer's place; before it is sent, the pointer is still where
//              the last move put it and a window of the watched thread is
//              under it (for the gesture's first press: the gesture's window
//              or one of its children, its top-level window shown and in
//              front);
//   a release  likewise the button's up message;
//   a key      the watched thread has taken its down or up message, and
//              before it is sent, that thread's window is in front;
//   an action  a call the step makes, done when it returns.
//
// "Taken" means the thread read the message from its queue, in whatever loop
// it was in: a hook on the thread (WH_GETMESSAGE) sees every message read.
// After each step the thread answers a message the hand sends it, so it has
// also done what the step starts (a press that starts a drag has taken the
// capture) before the next comes.
//
// The watched thread itself sends each input, at the hand's request. Under
// Wine a thread that moves the pointer ignores what its display still reports
// of the pointer from before the move; sent from another thread, those late
// reports (the pointer where a window was shown under it, or where the last
// move left it) put the pointer back there, and a busy thread handles them
// after the next step. A press or release comes with the move to its place,
// so it lands there in any case.
//
// A step whose effect does not come within its deadline ends the gesture: the
// buttons and keys still down are let go, and Run returns a message that names
// the step, what was missing, and what the thread had taken since the step.
//
//   vekgui::Hand hand;  // on the windows' thread
//   const std::string failed = hand.Run(window, {vekgui::MoveTo(x, y), vekgui::Press(),
//                                                vekgui::MoveTo(x, y + 60), vekgui::Release()}, pump);
//   ASSERT_EQ(failed, "");
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vekgui {

struct InputStep {
    enum Kind { kMove, kPress, kRelease, kKeyDown, kKeyUp, kAction };
    Kind kind = kMove;
    POINT at{};                    // kMove: where to, on the screen
    bool right = false;            // kPress, kRelease: the right button, else the left
    WORD key = 0;                  // kKeyDown, kKeyUp: the virtual key
    std::string what;              // kAction: what it does, for a failure's message
    std::function<void()> action;  // kAction: run on the hand's thread
};

InputStep MoveTo(int x, int y);
InputStep Press();
InputStep Release();
InputStep RightPress();
InputStep RightRelease();
InputStep KeyDown(WORD key);
InputStep KeyUp(WORD key);
InputStep Act(std::string what, std::function<void()> action);

// Input sent at once from the calling thread, for a test that sends it from
// inside a modal loop of the windows' own thread (its timer or idle steps
// wait for the effects themselves). A button's change comes with the move to
// `p`, so it lands there wherever the pointer was.
void SendMoveNow(POINT p);
void SendButtonNow(POINT p, bool right, bool down);

class Hand {
  public:
    // Watches the calling thread: the one whose windows take the input.
    explicit Hand(DWORD stepMs = 10000);
    ~Hand();
    Hand(const Hand&) = delete;
    Hand& operator=(const Hand&) = delete;

    // Sends `steps` as a user gives them, for `window` (the one the first
    // press is on, or whose thread takes the keys), while `pump` runs the
    // watched thread's messages. Returns "" when every step took effect, else
    // why the gesture ended. Call it on the watched thread.
    std::string Run(HWND window, const std::vector<InputStep>& steps, const std::function<void()>& pump);

    // Where the last move put the pointer.
    POINT At() const { return at_; }

    // For input a test sends itself (SendMoveNow): how many mouse and key
    // messages the watched thread has taken so far, and whether it has taken
    // a move at `p` since it had taken `from`.
    size_t TakenCount() const;
    bool TookMoveAt(POINT p, size_t from) const;

  private:
    struct Taken {
        UINT message;
        HWND window;
        POINT pt;
        WPARAM wParam;
    };
    static LRESULT CALLBACK OnMessage(int code, WPARAM wParam, LPARAM lParam);
    // The steps, on the hand's thread: "" or why they ended.
    std::string Send(HWND window, const std::vector<InputStep>& steps);
    std::string SendStep(HWND window, const InputStep& step, bool firstPress);
    // What has to hold before `step` is sent: "" or what does not.
    std::string Before(HWND window, const InputStep& step, bool firstPress) const;
    // The watched thread sends `input`, at the hand's request.
    bool SendFromWatchedThread(INPUT input) const;
    bool TakenSince(size_t from, const std::function<bool(const Taken&)>& match) const;
    std::string TakenSinceText(size_t from) const;
    bool WatchedThreadTakesMouseAt(POINT p) const;
    void LetGo();

    DWORD thread_;
    DWORD stepMs_;
    HHOOK hook_ = nullptr;
    HWND answer_ = nullptr;  // answers the round trips after each step
    mutable std::mutex mutex_;
    std::vector<Taken> taken_;
    POINT at_{};
    bool leftDown_ = false;
    bool rightDown_ = false;
    std::vector<WORD> keysDown_;
};

}  // namespace vekgui
