// Each part's class registration in the ComCtrls<Part>.cpp files, called in order by the
// unit's start-up in ComCtrls.cpp, and helpers the parts share. Not part of any interface.
#pragma once

#include "platform/ui/Controls.h"

namespace comctrls {

void RegisterProgressBarClasses();
void RegisterStatusBarClasses();
void RegisterToolBarClasses();
void RegisterTabsClasses();
void RegisterUpDownClasses();
void RegisterTreeViewClasses();
void RegisterListViewClasses();
void RegisterCalendarClasses();

} // namespace comctrls
