// The report wrapper with the program's values, the report table's record set and the
// report catalogue's entry; see qhProj.h.
#include "app/Reporter.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"

TProjRep::TProjRep()
{
  AddVariable("u_Company", GbkToWide(CurrentCompany->CompanyName));
  AddVariable("u_Tel", GbkToWide(CurrentCompany->Tel));
  AddVariable("u_Fax", GbkToWide(CurrentCompany->Fax));
  AddVariable("u_Address", GbkToWide(CurrentCompany->Address));
  AddVariable("u_Zip", GbkToWide(CurrentCompany->Zip));
  AddVariable("u_Operator", GbkToWide(CurrentOperator->LoginId));
}

TRepSet::TRepSet()
{
  FIdField = AddField<TIntegerField>("Id", -1, true, "Id");
  FTitleField = AddField<TWideStringField>("Title", -1, true, "标题");
}

Integer TRepSet::OpenGroup(Integer GroupId)
{
  return Open(u"select Id,Title from report where GrpId=:GroupId order by Title",
              {MakeParam("GroupId", GroupId)});
}

void ShowReports(const std::vector<TDataSet*>& DataSets, Integer GroupId)
{
  CurrentOperator->CheckRight(RightPrint, true);
  TProjRep rep;
  std::unique_ptr<TReporterFrm> form(new TReporterFrm(Application()));
  form->SetCanDesign(CurrentOperator->HasRight(RightPrintDesign));
  rep.AddDataSets(DataSets);
  form->SetGroupId(GroupId);
  form->SetReper(&rep);
  form->ShowModal();
}
