// The data layer's units in the system's unit order: the value types register first
// (cxDataStorage), the dataset units last (cxDBFilter, cxDBData).
#include "platform/rtl/Units.h"

void RegisterCxDataUnits()
{
}
