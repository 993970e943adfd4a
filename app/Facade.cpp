// The program's facade; see Facade.h.
#include "app/Facade.h"

#include "app/Http.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Lists.h"

Tmall* MallFacade = nullptr;

TProgramDialogs& ProgramDialogs()
{
  static TProgramDialogs dialogs;
  return dialogs;
}

void Tmall::ExitReportHook()
{
  CurrentCompany->SetUseCount(CurrentCompany->UseCount + 1);
  if (!CurrentCompany->IsCompanyFilled())
    return;
  THttper http;
  const AnsiString data = ProductTitle + "\t" + ProductVersion + "\t" + ProductBuild + "\r\n" +
                          WideToGbk(CurrentCompany->CompanyText());
  http.Params()->SetValues("Data", data);
  WideString reply;
  http.Post(reply, u"");
}

void Tmall::StartupHook()
{
  if (CurrentOperator->HasRight(RightCompanyInfo) && !CurrentCompany->IsCompanyFilled())
    DoCompanyInfo();
  if (KeyValues->DailyTipPrompt() && ProgramDialogs().Tips)
    ProgramDialogs().Tips();
}

void Tmall::ExitFeedbackHook(bool Force)
{
  if ((Force || KeyValues->FeedbackPrompt()) && ProgramDialogs().Feedback)
    ProgramDialogs().Feedback();
}

void Tmall::DoCompanyInfo()
{
  CurrentOperator->CheckRight(RightCompanyInfo, true);
  if (ProgramDialogs().EditCompany)
    ProgramDialogs().EditCompany(false);
}

void Tmall::DoOperators()
{
  CurrentOperator->CheckRight(RightOperators, true);
  if (ProgramDialogs().Operators)
    ProgramDialogs().Operators();
}

void Tmall::DoClearData()
{
  CurrentOperator->CheckRight(RightClearData, true);
  if (ProgramDialogs().ClearData)
    ProgramDialogs().ClearData();
}

void Tmall::DoBackupSettings()
{
  CurrentOperator->CheckRight(RightBackupSettings, true);
  if (ProgramDialogs().BackupSettings)
    ProgramDialogs().BackupSettings();
}

void Tmall::RunAutoBackup()
{
  if (ProgramDialogs().AutoBackup)
    ProgramDialogs().AutoBackup();
}
