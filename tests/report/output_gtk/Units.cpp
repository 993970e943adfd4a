#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterGtkBackendUnits();
void RegisterOleUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();
void RegisterReportOutputUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterUiUnits();
  RegisterGtkBackendUnits();
  RegisterOleUnits();
  RegisterScriptUnits();
  RegisterReportEngineUnits();
  RegisterReportOutputUnits();
}
