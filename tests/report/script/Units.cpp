#include "platform/rtl/Units.h"

void RegisterScriptUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterScriptUnits();
}
