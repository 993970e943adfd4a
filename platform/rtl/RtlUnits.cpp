// The runtime's own units, first in the system's unit order.
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Units.h"

namespace {

void SysUtilsInitialization() { GetFormatSettings(); }

void ClassesInitialization() { TClassRegistration<TPersistent>("TPersistent"); }

} // namespace

void RegisterRtlUnits()
{
  RegisterUnit("SysUtils", SysUtilsInitialization, nullptr);
  RegisterUnit("Classes", ClassesInitialization, nullptr);
}
