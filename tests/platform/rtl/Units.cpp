#include "platform/rtl/Units.h"

void RegisterTestUnits()
{
  RegisterRtlUnits();
}
