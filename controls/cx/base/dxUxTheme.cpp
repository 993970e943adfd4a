// The suite's binding of the theme functions (see dxUxTheme.h).
#include "controls/cx/base/dxUxTheme.h"

namespace {

bool VersionFlag = false;

} // namespace

bool ThemeLibraryLoaded()
{
  return true;
}

bool WindowsXPOrNewer()
{
  return VersionFlag;
}

void dxUxThemeInitialization()
{
  // The platform reports itself as NT 5.1 (decisions §13): 5 with a minor version above 0.
  constexpr Integer major = 5;
  constexpr Integer minor = 1;
  VersionFlag = major > 5 || (major == 5 && minor > 0);
}

void dxUxThemeFinalization() {}
