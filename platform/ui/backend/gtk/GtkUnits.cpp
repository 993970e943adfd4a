// The GTK backend's units in the system's unit order.
#include "platform/rtl/Units.h"

void RegisterGtkBackendUnits() {}
