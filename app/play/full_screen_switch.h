// app/play/full_screen_switch.h
//
// The playback frame's full-screen switch and what it gives back.
//
// On: the frame remembers the page it sits on; its window then posts
// WM_FULL_SCREEN(1) to the page (which hides the main window), makes the
// desktop its parent and puts itself topmost over the monitor nearest the
// pointer. Off: the remembered page becomes the parent again, gets
// WM_FULL_SCREEN(0) (it shows the main window and lays out again, which gives
// the frame back its place and size), and the frame drops topmost.
//
// Switching on twice keeps the first page. Switching off while not in full
// screen gives nothing back: a stray "off" would otherwise make the frame a
// top-level window with no parent. Windows are opaque handle values here.
#pragma once

#include <cstdint>

namespace play {

class FullScreenSwitch {
  public:
    // True when the frame is to go full screen now.
    bool Enter(uintptr_t page) {
        if (active_ || page == 0)
            return false;
        active_ = true;
        savedParent_ = page;
        return true;
    }
    // The parent to give the frame back, or 0 when there is nothing to undo.
    uintptr_t Leave() {
        if (!active_)
            return 0;
        active_ = false;
        return savedParent_;
    }
    bool active() const { return active_; }
    uintptr_t savedParent() const { return savedParent_; }

  private:
    bool active_ = false;
    uintptr_t savedParent_ = 0;
};

}  // namespace play
