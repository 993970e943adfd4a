#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();
void RegisterPrintUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterPrintUnits();
}
