#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterDataUnits();
void RegisterNetUnits();
void RegisterScriptUnits();
void RegisterOleUnits();
void RegisterReportEngineUnits();
void RegisterReportOutputUnits();
void RegisterReportDesignerUnits();
void RegisterAppUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterUiUnits();
  RegisterDataUnits();
  RegisterNetUnits();
  RegisterOleUnits();
  RegisterScriptUnits();
  RegisterReportEngineUnits();
  RegisterReportOutputUnits();
  RegisterReportDesignerUnits();
  RegisterAppUnits();
}
