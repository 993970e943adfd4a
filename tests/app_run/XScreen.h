// The virtual X display as the program-run tests see it: the titles of its windows and a
// picture of the whole screen. Kept apart so that the X headers' macros stay out of the
// tests.
#pragma once

#include <string>
#include <vector>

// False when no display can be opened.
bool OpenXScreen();
void CloseXScreen();
// The titles (UTF-8) of every window on the display.
std::vector<std::string> XWindowTitles();
// Saves the whole screen as a PNG file.
bool SaveXScreen(const std::string& FileName);
