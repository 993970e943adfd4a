// The library units that bind the platform's general classes for scripts; ScriptUnits.cpp
// runs them in the system's unit order.
#pragma once

// Objects, components, collections, lists, string lists, streams and the script XML document.
void InitializeScriptClassesUnit();
void FinalizeScriptClassesUnit();
