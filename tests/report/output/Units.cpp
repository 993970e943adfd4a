#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();
void RegisterReportOutputUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterUiUnits();
  RegisterScriptUnits();
  RegisterReportEngineUnits();
  RegisterReportOutputUnits();
}
