#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
}
