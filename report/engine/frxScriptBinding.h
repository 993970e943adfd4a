// What every script sees of the report library: the report classes with the members the
// binding adds by hand (their published properties come through reflection), the report
// units, enumerations and sets, and DayOf, MonthOf and YearOf. Registered once in
// GlobalScriptUnit at start-up, after the script library. A report adds its own objects,
// Get, Set and the working IIF and aggregate functions when it prepares a build
// (frxClass.h, BindReportScript).
#pragma once

// The unit's start-up and shut-down (EngineUnits.cpp).
void InitializeReportScriptBinding();
void FinalizeReportScriptBinding();
