// Helpers private to the drop-downs' units (DropDownsEhList.cpp, DropDownsEhCalendar.cpp,
// CalculatorEh.cpp): the 2-pixel frame a Ctl3D drop-down keeps in its non-client area.
#pragma once

#include "platform/ui/Controls.h"

enum class TDropDownFrameEh {
  Raised,    // a raised outer edge with a raised inner edge inside it
  DarkShadow // a dark-shadow rectangle with a raised inner edge inside it
};

// Finishes WM_NCCALCSIZE and WM_NCPAINT of a drop-down after its window's own handling:
// takes the frame off the client rectangle, or paints the frame. Other messages are left
// alone (false).
bool DropDownFrameMessage(TWinControl* Control, TMessage& Message, TDropDownFrameEh Kind);
