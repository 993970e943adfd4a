#include "platform/rtl/Units.h"

void RegisterDataUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterDataUnits();
}
