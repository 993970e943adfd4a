// Internal state of the Menus unit, shared by its Menus*.cpp files. Not part of the
// library's interface. Menus.h is the public side.
#pragma once

#include <vector>

#include "platform/ui/Menus.h"

// The visible children of an item, in order (what a menu level or the bar shows).
std::vector<TMenuItem*> VisibleChildren(const TMenuItem* parent);

// Forgets what the menus keep between menus (the menu font; the application's restart
// between tests). Does nothing while a menu is open.
void ResetMenusState();
