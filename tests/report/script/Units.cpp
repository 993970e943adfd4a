#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterOleUnits();
void RegisterScriptUnits();
void RegisterScriptUiUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterUiUnits();
  RegisterOleUnits();
  RegisterScriptUnits();
  RegisterScriptUiUnits();
}
