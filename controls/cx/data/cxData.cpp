// The in-memory data controller (see cxData.h).
#include "controls/cx/data/cxData.h"

void TcxDataController::AfterConstruction()
{
  bool created = PartsCreated();
  TcxCustomDataController::AfterConstruction();
  if (!created)
    ActiveChanged(true);
}
