// The report engine's units in the system's unit order.
#include "platform/rtl/Units.h"

void RegisterReportEngineUnits() {}
