#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterScriptUnits();
  RegisterReportEngineUnits();
}
