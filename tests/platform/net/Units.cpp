#include "platform/rtl/Units.h"

void RegisterNetUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterNetUnits();
}
