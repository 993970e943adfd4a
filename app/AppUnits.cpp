// The program's own units, last in the system's unit order, and the installation of the
// program's windows into the facade's table.
#include "app/BackupFrm.h"
#include "app/ClearData.h"
#include "app/CompanyInfo.h"
#include "app/Database.h"
#include "app/Facade.h"
#include "app/Feedback.h"
#include "app/OperatorList.h"
#include "app/PasswordChanger.h"
#include "app/Tips.h"
#include "app/about.h"
#include "app/qhProj.h"
#include "app/qhRep.h"
#include "platform/rtl/Units.h"

void InstallProgramWindows()
{
  BackupFrmInitialization();
  qhRepInitialization();
  TProgramDialogs& d = ProgramDialogs();
  d.EditCompany = [](bool ReadOnly) { EditCompany(ReadOnly); };
  d.Operators = [] { ShowOperators(); };
  d.ClearData = [] { ShowClearData(); };
  d.ChangePassword = [] { ChangePassword(); };
  d.Tips = [] { ShowTips(); };
  d.Feedback = [] { ShowFeedback(); };
  d.About = [] { ShowAbout(); };
}

void RegisterAppUnits()
{
  RegisterUnit("Database", DatabaseInitialization, DatabaseFinalization);
  RegisterUnit("qhProj", qhProjInitialization, qhProjFinalization);
  RegisterUnit("AppWindows", InstallProgramWindows, nullptr);
}
