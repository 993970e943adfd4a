// The ComCtrls unit's start-up; its controls live in ComCtrls<Part>.cpp (ProgressBar,
// StatusBar, ToolBar, Tabs, UpDown, TreeView, ListView, Calendar). ComCtrls.h describes them.
#include "platform/ui/ComCtrls.h"

#include "platform/ui/ComCtrlsPrivate.h"

void RegisterComCtrlsClasses()
{
  comctrls::RegisterProgressBarClasses();
  comctrls::RegisterStatusBarClasses();
  comctrls::RegisterToolBarClasses();
  comctrls::RegisterTabsClasses();
  comctrls::RegisterUpDownClasses();
  comctrls::RegisterTreeViewClasses();
  comctrls::RegisterListViewClasses();
  comctrls::RegisterCalendarClasses();
}
