// tests/gui/harness/known_desktop.h
//
// The desktop every Windows test starts from, whatever ran before it: no
// mouse button or modifier key held down, the pointer resting on the
// screen's bottom-right pixel (where no test window comes) in the system and
// on the display alike, and, for a test that has the desktop to itself (ctest
// runs it alone and sets VEK_TEST_ALONE=1), no window of another program
// shown. The Windows test programs' main brings each test there before it
// runs; uidriver's known-desktop command does it for the tests that drive a
// program from outside.
//
// Under Wine the pointer has two places: the system's, which decides where
// the windows are told the pointer is, and the display's. GetCursorPos gives
// the system's while it changed within the last 100 ms, else the display's. A
// move sent by one thread is reported back by the display to the threads
// whose windows the pointer left, now and then late and with the place it
// left; handled late, such a report moves the system's pointer back there.
// So the rest counts once both places are at the spot and the desktop's
// thread, which takes the display's reports of the bare desktop, has handled
// what the display sent it since.
//
// The program's own user32 is used: this is linked into every Windows test
// program, and those that never load user32 open no window and need no
// known start. A user32 that lacks a function the known start needs fails
// every start, naming the function.
//
// The pointer's helpers here serve every test that moves it, and hold the one
// rule by which a move is made again (PointerMove).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vekgui {

// The program has user32 loaded: it can open windows.
bool CanOpenWindows();

// The first of the user32 functions the known start needs that `module` does
// not export, or "".
std::string User32Lacks(HMODULE module);

// "x,y".
std::string PointText(POINT p);
bool Same(POINT a, POINT b);

// Waits until `missing` returns "" or `deadlineMs` pass, calling `meanwhile`
// (when given) between looks: "" or the last thing `missing` said.
std::string Await(DWORD deadlineMs,
                  const std::function<std::string()>& missing,
                  const std::function<void()>& meanwhile = nullptr);

// Where the pointer rests between tests: the screen's bottom-right pixel.
POINT RestingSpot();

// Mouse input that moves the pointer to `p` on the screen, with `flags` (a
// button's change comes with the move, so it lands there wherever the pointer
// was).
INPUT MouseAt(DWORD flags, POINT p);

// The system's pointer is at `p`: the newest place of its history. A place
// the system took stays the newest until it takes another.
bool SystemPointerAt(POINT p);

// "" when the system's and the display's pointer are both at `p`, else which
// is not. The display's is read once the system's has kept its place for
// 100 ms. `sendAgain`: a move to `p` was not taken (the system's pointer is
// elsewhere, or the display's was read elsewhere) and is to be made again.
std::string PointerNotAt(POINT p, bool* sendAgain = nullptr);

// A move of the pointer to one point, and the one rule by which every move is
// made again: only while the system or the display has not taken it
// (PointerNotAt says it is to be sent again), looked at no sooner than 500 ms
// after it was last made or looked at; never because a window did not react
// to it. `send` makes it (by default SendInput on the calling thread); it is
// false when the input was not taken.
class PointerMove {
  public:
    using Send = std::function<bool(const INPUT&)>;
    explicit PointerMove(POINT to, Send send = nullptr);

    // Makes the move.
    bool Make();
    // Makes it when the rule says so: true when it was made now. Cheap
    // between looks, so a wait may call it at every poll.
    bool MakeUnlessTaken();

    POINT To() const { return to_; }
    int Made() const { return made_; }

  private:
    POINT to_;
    Send send_;
    DWORD lookedAt_ = 0;  // when it was last made or looked at
    int made_ = 0;
};

// Brings the desktop to the known start, waiting (within `deadlineMs`) for
// each part to take effect. `alone`: the test has the desktop to itself, so
// no window of another program may be shown. "" or what never came.
std::string StartFromKnownDesktop(bool alone, DWORD deadlineMs = 10000);

}  // namespace vekgui
