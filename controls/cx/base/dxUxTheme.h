// The suite's binding of the visual-styles (theme) functions. On this platform they are the
// window layer's own theme service (platform/graphics/Themes.h), so the "library" is always
// there; the version flag is that of the platform the suite was written for (5.1 and up).
// dxThemeManager.h keeps the handles.
#pragma once

#include "platform/graphics/Themes.h"

// True: the theme functions are present.
bool ThemeLibraryLoaded();
// True: the platform reports itself as version 5.1.
bool WindowsXPOrNewer();

void dxUxThemeInitialization();
void dxUxThemeFinalization();
