// Internal state and helpers of the Controls unit, shared by its Controls*.cpp files. Not
// part of the library's interface: only the unit's own files (and the application object,
// which resets it) include it. Controls.h is the public side.
#pragma once

#include "platform/ui/Controls.h"

// What the control layer keeps between messages; one record, so a test can start afresh.
struct TControlsState {
  TWinControl* Creating = nullptr;    // the control whose window is being created
  TDragObject* DragObject = nullptr;  // what is being dragged
  TControl* DragControl = nullptr;    // the control whose drag loop runs
  bool DragCancelled = false;         // CancelDrag was called while the loop ran
  TControl* CaptureControl = nullptr; // a windowless control holding its parent's capture
  TControl* MouseControl = nullptr;   // the control under the mouse (enter/leave)
};

TControlsState& ControlsState();
// Forgets every pointer the record holds (the application's restart between tests).
void ResetControlsState();

// The window procedure of every control's window: hands the message to the control.
LRESULT ControlWindowProc(HWND h, UINT m, WPARAM w, LPARAM l);

// Class registration of each part, called in declaration order by RegisterControlsClasses.
void RegisterControlClass();
void RegisterWinControlClass();
void RegisterGraphicControlClass();
void RegisterCustomControlClasses();
