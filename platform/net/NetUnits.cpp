// The network library's units in the system's unit order.
#include "platform/rtl/Units.h"

void RegisterNetUnits() {}
