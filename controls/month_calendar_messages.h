// controls/month_calendar_messages.h
//
// What the month calendar (controls/month_calendar_wnd.h) posts to its
// parent. The program's table of private messages names the same number; the
// control keeps its own so that it does not depend on the program.
#pragma once

namespace controls {

// control id / 0: the calendar's date changed; the parent reads GetDate.
inline constexpr unsigned WM_CALENDAR_DATE_CHANGED = 0x784;

}  // namespace controls
