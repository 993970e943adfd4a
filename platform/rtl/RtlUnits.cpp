// The runtime's own units, first in the system's unit order. Each initialization calls the
// registrations that sit beside their classes (RtlUnitsPrivate.h).
#include "platform/rtl/Classes.h"
#include "platform/rtl/RtlUnitsPrivate.h"
#include "platform/rtl/Units.h"

namespace {

void SysUtilsInitialization()
{
  InitSysUtilsGlobals();
  RegisterExceptionClasses();
}

void ClassesInitialization()
{
  IsMainThread(); // the thread that initializes the units is the main thread
  RegisterPersistentClasses();
  RegisterComponentClasses();
  RegisterCollectionClasses();
  RegisterListsClasses();
  RegisterStreamsClasses();
  RegisterDataModuleClasses();
}

} // namespace

void RegisterRtlUnits()
{
  RegisterUnit("SysUtils", SysUtilsInitialization, nullptr);
  RegisterUnit("Classes", ClassesInitialization, nullptr);
  RegisterUnit("IniFiles", RegisterIniFilesClasses, nullptr);
  RegisterUnit("Registry", RegisterRegistryClasses, nullptr);
}
