#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterOleUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();
void RegisterReportOutputUnits();
void RegisterReportDesignerUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterUiUnits();
  RegisterOleUnits();
  RegisterScriptUnits();
  RegisterReportEngineUnits();
  RegisterReportOutputUnits();
  RegisterReportDesignerUnits();
}
