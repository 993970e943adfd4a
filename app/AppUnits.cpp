// The program's own units, last in the system's unit order.
#include "app/BackupFrm.h"
#include "app/Database.h"
#include "app/qhProj.h"
#include "app/qhRep.h"
#include "platform/rtl/Units.h"

void RegisterAppUnits()
{
  RegisterUnit("Database", DatabaseInitialization, DatabaseFinalization);
  RegisterUnit("qhProj", qhProjInitialization, qhProjFinalization);
  RegisterUnit("qhRep", qhRepInitialization, nullptr);
  RegisterUnit("BackupFrm", BackupFrmInitialization, nullptr);
}
