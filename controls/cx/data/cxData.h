// cxData: the in-memory data controller, active from birth: it holds whatever records are
// appended or counted into it (cxCustomData.h has the controller itself).
#pragma once

#include "controls/cx/data/cxCustomData.h"

class TcxDataController : public TcxCustomDataController {
public:
  explicit TcxDataController(TComponent* AOwner) : TcxCustomDataController(AOwner) {}
  // After the parts exist: the controller becomes active.
  void AfterConstruction() override;
};
