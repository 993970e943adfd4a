// The data layer's units in the system's unit order: the value types register first
// (cxDataStorage), the dataset units last (cxDBFilter, cxDBData).
#include "controls/cx/data/cxDataStorage.h"
#include "platform/rtl/Units.h"

void RegisterCxDataUnits()
{
  RegisterUnit("cxDataStorage", cxDataStorageInitialization, cxDataStorageFinalization);
}
