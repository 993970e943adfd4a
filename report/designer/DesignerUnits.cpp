// The report designer library's units in the system's unit order.
#include "platform/rtl/Units.h"
#include "report/designer/frxDesgn.h"

void RegisterReportDesignerUnits()
{
  RegisterUnit("frxDesgn", RegisterDesignerSettingsClasses, nullptr);
}
