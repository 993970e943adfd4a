#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();

void RegisterTestUnits()
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  RegisterUiUnits();
}
