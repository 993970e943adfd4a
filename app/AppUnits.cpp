// The program's own units, last in the system's unit order.
#include "platform/rtl/Units.h"

void RegisterAppUnits() {}
