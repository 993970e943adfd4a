// The virtual X display as the program-run tests see it: the titles of its windows, where a
// window is, a click of the pointer as a user makes it, and a picture of the whole screen.
// Kept apart so that the X headers' macros stay out of the tests.
#pragma once

#include <string>
#include <vector>

// False when no display can be opened.
bool OpenXScreen();
void CloseXScreen();
// The size of the screen in pixels.
void XScreenSize(int& Width, int& Height);
// The titles (UTF-8) of every window on the display.
std::vector<std::string> XWindowTitles();
// The screen position of the top left corner of the window titled Title (UTF-8); false when
// no such window shows.
bool XWindowOrigin(const std::string& Title, int& X, int& Y);
// Moves the pointer to (X, Y) on the screen and clicks the left button there (through the
// XTEST extension, so the program receives real input events); false without XTEST.
bool XClick(int X, int Y);
// The colour of a screen pixel as 0xRRGGBB; -1 when it cannot be read.
long XScreenPixel(int X, int Y);
// Saves the whole screen as a PNG file.
bool SaveXScreen(const std::string& FileName);
