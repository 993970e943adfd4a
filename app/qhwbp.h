// The program's entry: start-up in its fixed order (identity texts, facade, splash,
// database connection with the configuration dialog after each failure, company record,
// main window, login, designer), the message loop, and the end of the program.
#pragma once

#include "platform/rtl/Types.h"

// Connects the program's connection with the stored settings, showing the configuration
// dialog after each failure; false when the user cancels it.
bool ConnectDatabase();

// Runs the program from start-up to its end on the installed window backend (the units
// are started and the command line is set). Returns the process's exit code.
int ProgramEntry();
