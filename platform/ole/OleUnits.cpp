// The units of the automation library.
#include "platform/ole/ExcelApp.h"
#include "platform/rtl/Units.h"

void RegisterOleUnits()
{
  RegisterUnit("ExcelApp", &RegisterExcelApplication, nullptr);
}
