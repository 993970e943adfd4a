// The ExtCtrls unit's start-up; its controls live in ExtCtrls<Part>.cpp (Timer, Panel,
// Image, RadioGroup, Notebook, Splitter). ExtCtrls.h describes them.
#include "platform/ui/ExtCtrls.h"

#include "platform/ui/ExtCtrlsPrivate.h"

void RegisterExtCtrlsClasses()
{
  extctrls::RegisterTimerClasses();
  extctrls::RegisterPanelClasses();
  extctrls::RegisterImageClasses();
  extctrls::RegisterRadioGroupClasses();
  extctrls::RegisterNotebookClasses();
  extctrls::RegisterSplitterClasses();
}
