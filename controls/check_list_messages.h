// controls/check_list_messages.h
//
// What the check-box list (controls/check_list_ctrl.h) posts to its parent.
#pragma once

namespace controls {

// control id / 1 when every item is checked, else 0
inline constexpr unsigned WM_CHECKLIST_CHANGED = 0x52C;

}  // namespace controls
