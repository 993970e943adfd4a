// Internal state of the Forms unit, shared by its Forms*.cpp files. Not part of the
// library's interface. Forms.h is the public side.
#pragma once

#include "platform/ui/Forms.h"

// What the unit keeps: the program's application and screen objects (from the unit's start
// to its end) and where the next form placed by default goes. TApplication::Restart starts
// the placement afresh.
struct TFormsState {
  TApplication* Application = nullptr;
  TScreen* Screen = nullptr;
  Integer Cascade = 0; // default-placed forms so far in the current cascade
};

TFormsState& FormsState();

// Class registration of each part, called in declaration order by RegisterFormsClasses.
void RegisterScrollingClasses();
void RegisterFormClasses();
void RegisterApplicationClass();
void RegisterScreenClass();
