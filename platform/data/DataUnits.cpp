// The data library's units in the system's unit order: DB (the dataset model and its
// classes), then ADODB (the connection classes). Each initialization calls the class
// registrations that sit beside their classes (DataUnitsPrivate.h).
#include "platform/data/DataUnitsPrivate.h"
#include "platform/rtl/Units.h"

namespace {

void DBInitialization()
{
  RegisterParamsClasses();
  RegisterFieldDefsClasses();
  RegisterDataSetClasses();
  RegisterDataLinkClasses();
  RegisterMemDataSetClasses();
  RegisterFieldClasses();
}

} // namespace

void RegisterDataUnits()
{
  RegisterUnit("DB", DBInitialization, nullptr);
  RegisterUnit("ADODB", RegisterADODBClasses, nullptr);
}
