// The units of the preview, printing and export library in the system's unit order.
#include "platform/rtl/Units.h"
#include "report/output/frxBarcod.h"

namespace {

void BarcodInitialization()
{
  RegisterBarcodeEncoderClasses();
}

} // namespace

void RegisterReportOutputUnits()
{
  RegisterUnit("frxBarcod", BarcodInitialization, nullptr);
}
