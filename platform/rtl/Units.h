// Unit start-up and shut-down. Each library appends its units' initialization and
// finalization to one ordered list (its Register...Units function, called in the system's
// fixed unit order by the program entry or a test binary's RegisterTestUnits); nothing
// relies on the order of C++ static initializers.
#pragma once

#include "platform/rtl/Types.h"

using TUnitProc = void (*)();

// Appends a unit. A name already in the list is ignored, so a library's registration
// may be called by several dependants.
void RegisterUnit(const char* name, TUnitProc initialization, TUnitProc finalization);

// Runs every registered initialization in list order (once; later calls do nothing).
void InitializeUnits();

// Runs the finalizations of the initialized units in reverse order. Afterwards
// UnitsFinalized() is true, so objects destroyed late can skip clean-up.
void FinalizeUnits();
bool UnitsFinalized();

// Finalizes, then initializes every unit again: resets program-wide objects in tests.
void ReinitializeUnits();

// The runtime's own units.
void RegisterRtlUnits();
