// controls/month_calendar_ids.h
//
// Resources of the month calendar (controls/month_calendar_wnd.h), bound in
// controls/month_calendar.rc to the picture made from
// controls/control_pictures.txt.
#pragma once

// The tool bar's navigation images: ten 10 x 9 images, 0-4 normal (year back,
// month back, unused, month forward, year forward), 5-9 hovered; 0xFF00FF is
// left out.
#define IDB_CALENDAR_NAV 194
