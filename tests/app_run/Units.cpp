#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterDataUnits();
void RegisterNetUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();
void RegisterAppUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterUiUnits();
  RegisterDataUnits();
  RegisterNetUnits();
  RegisterScriptUnits();
  RegisterReportEngineUnits();
  RegisterAppUnits();
}
