// The window layer's units in the system's unit order.
#include "platform/rtl/Units.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/CheckLst.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/FileCtrl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Mask.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

void RegisterUiUnits()
{
  // Menus come first: controls and forms publish menu properties.
  RegisterUnit("Menus", &RegisterMenusClasses, nullptr);
  RegisterUnit("Controls", &RegisterControlsClasses, nullptr);
  RegisterUnit("Forms", &InitializeForms, &FinalizeForms);
  RegisterUnit("StdCtrls", &RegisterStdCtrlsClasses, nullptr);
  RegisterUnit("Dialogs", &RegisterDialogsClasses, nullptr);
  RegisterUnit("ExtCtrls", &RegisterExtCtrlsClasses, nullptr);
  RegisterUnit("Buttons", &RegisterButtonsClasses, nullptr);
  RegisterUnit("ComCtrls", &RegisterComCtrlsClasses, nullptr);
  RegisterUnit("CheckLst", &RegisterCheckLstClasses, nullptr);
  RegisterUnit("Mask", &RegisterMaskClasses, nullptr);
  RegisterUnit("Grids", &RegisterGridsClasses, nullptr);
  RegisterUnit("FileCtrl", &RegisterFileCtrlClasses, nullptr);
  RegisterUnit("ActnList", &RegisterActnListClasses, nullptr);
}
