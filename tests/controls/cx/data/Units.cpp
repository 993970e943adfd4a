#include "platform/rtl/Units.h"

void RegisterDataUnits();
void RegisterCxDataUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterDataUnits();
  RegisterCxDataUnits();
}
