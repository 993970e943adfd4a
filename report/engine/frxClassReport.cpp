// The report document, TfrxReport: the root of the object tree and the owner of every
// object in it. frxClass.h describes it.
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxClassPrivate.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxStyles.h"
#include "report/engine/frxVariables.h"

void frxclass::RegisterReportClass()
{
  TClassRegistration<TfrxReport, TfrxComponent>("TfrxReport");
}

TfrxReport::TfrxReport(TComponent* AOwner)
    : TfrxComponent(AOwner), FErrors(std::make_unique<TStringList>()),
      FStyles(std::make_unique<TfrxStyles>(this)), FVariables(std::make_unique<TfrxVariables>())
{
  FErrors->SetSorted(true);
  FErrors->SetDuplicates(dupIgnore);
}

void TfrxReport::ApplyStyles(TfrxStyles* Value)
{
  if (!Value) {
    FStyles->Clear();
    return;
  }
  FStyles->Assign(Value);
  FStyles->SetName(Value->Name());
  FStyles->Apply();
}

Variant TfrxReport::Calc(const AnsiString& Expr)
{
  throw Exception(ReportResources()->Lookup("clExprError") + ": " + Expr);
}

TfrxReport::~TfrxReport()
{
  // The objects go while the report is still whole. Deleting the owned components last
  // first removes children before their parents and each one quietly, instead of telling
  // every remaining object about every removal.
  DestroyComponents();
}
