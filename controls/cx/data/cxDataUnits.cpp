// The data layer's units in the system's unit order: the value types register first
// (cxDataStorage), then the filter words and operator classes (cxFilterConsts, cxFilter),
// the dataset units last (cxDBFilter, cxDBData).
#include "controls/cx/data/cxCustomData.h"
#include "controls/cx/data/cxDBData.h"
#include "controls/cx/data/cxDBFilter.h"
#include "controls/cx/data/cxDataStorage.h"
#include "controls/cx/data/cxFilter.h"
#include "controls/cx/data/cxFilterConsts.h"
#include "platform/rtl/Units.h"

void RegisterCxDataUnits()
{
  RegisterUnit("cxDataStorage", cxDataStorageInitialization, cxDataStorageFinalization);
  RegisterUnit("cxFilterConsts", cxFilterConstsInitialization, cxFilterConstsFinalization);
  RegisterUnit("cxFilter", cxFilterInitialization, cxFilterFinalization);
  RegisterUnit("cxCustomData", cxCustomDataInitialization, cxCustomDataFinalization);
  RegisterUnit("cxDBFilter", cxDBFilterInitialization, cxDBFilterFinalization);
  RegisterUnit("cxDBData", cxDBDataInitialization, cxDBDataFinalization);
}
