#include "platform/rtl/Units.h"

void RegisterDataUnits();
void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterDataUnits();
  RegisterGraphicsUnits();
  RegisterUiUnits();
  RegisterScriptUnits();
  RegisterReportEngineUnits();
}
