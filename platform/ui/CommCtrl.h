// The common controls' messages, notification codes and records (ComCtrls.h has the
// controls): the month calendar's messages and hit-test codes, and the up-down and progress
// messages the libraries send.
#pragma once

#include "platform/rtl/DateUtils.h"
#include "platform/ui/Windows.h"

// ---- Month calendar ----

enum : UINT {
  MCM_FIRST = 0x1000,
  MCM_GETCURSEL = MCM_FIRST + 1,
  MCM_SETCURSEL = MCM_FIRST + 2,
  MCM_GETMINREQRECT = MCM_FIRST + 9,
  MCM_SETTODAY = MCM_FIRST + 12,
  MCM_GETTODAY = MCM_FIRST + 13,
  MCM_HITTEST = MCM_FIRST + 14,
  MCM_SETFIRSTDAYOFWEEK = MCM_FIRST + 15,
  MCM_GETFIRSTDAYOFWEEK = MCM_FIRST + 16
};

// What MCM_HITTEST found under a point. The high word names the area (title, calendar,
// today link), the low bits the part; MCHT_NEXT and MCHT_PREV mark the buttons and the grey
// days of the neighbouring months.
enum : UINT {
  MCHT_NOWHERE = 0x00000000,
  MCHT_TITLE = 0x00010000,
  MCHT_CALENDAR = 0x00020000,
  MCHT_TODAYLINK = 0x00030000,
  MCHT_NEXT = 0x01000000,
  MCHT_PREV = 0x02000000,
  MCHT_TITLEBK = MCHT_TITLE,
  MCHT_TITLEMONTH = MCHT_TITLE | 0x0001,
  MCHT_TITLEYEAR = MCHT_TITLE | 0x0002,
  MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 0x0003,
  MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 0x0003,
  MCHT_CALENDARBK = MCHT_CALENDAR,
  MCHT_CALENDARDATE = MCHT_CALENDAR | 0x0001,
  MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT,
  MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV,
  MCHT_CALENDARDAY = MCHT_CALENDAR | 0x0002,
  MCHT_CALENDARWEEKNUM = MCHT_CALENDAR | 0x0003
};

// MCM_HITTEST: pt in client coordinates goes in; uHit and, on a date, st come out.
struct MCHITTESTINFO {
  UINT cbSize = 36;
  TPoint pt;
  UINT uHit = MCHT_NOWHERE;
  TSystemTime st;
};

// ---- Up-down ----

enum : UINT {
  UDM_SETRANGE = WM_USER + 101,
  UDM_GETRANGE = WM_USER + 102,
  UDM_SETPOS = WM_USER + 103,
  UDM_GETPOS = WM_USER + 104,
  UDM_SETBUDDY = WM_USER + 105,
  UDM_GETBUDDY = WM_USER + 106
};

// ---- Progress bar ----

enum : UINT {
  PBM_SETRANGE = WM_USER + 1,
  PBM_SETPOS = WM_USER + 2,
  PBM_DELTAPOS = WM_USER + 3,
  PBM_SETSTEP = WM_USER + 4,
  PBM_STEPIT = WM_USER + 5,
  PBM_GETPOS = WM_USER + 8
};
