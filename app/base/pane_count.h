// app/base/pane_count.h
//
// The play panes (and map panes) of a frame, one time-bar row each.
#pragma once

namespace play {

inline constexpr int kPaneCount = 4;

// `pane` is the index of one of them.
constexpr bool ValidPane(int pane) {
    return pane >= 0 && pane < kPaneCount;
}

}  // namespace play
