// The report document, TfrxReport: the root of the object tree and the owner of every
// object in it. frxClass.h describes it.
#include <unordered_map>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
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

// The names of the components the report owns, keyed in upper case (component names are
// identifiers, so upper-casing them is the comparison ignoring case).
struct TfrxReport::TNameIndex {
  std::unordered_map<AnsiString, TComponent*> Names;

  TComponent* Find(const AnsiString& Name) const
  {
    auto it = Names.find(UpperCase(Name));
    return it == Names.end() ? nullptr : it->second;
  }
  void Add(TComponent* Component, const AnsiString& Name)
  {
    if (!Name.empty())
      Names[UpperCase(Name)] = Component;
  }
  void Remove(TComponent* Component, const AnsiString& Name)
  {
    auto it = Names.find(UpperCase(Name));
    if (it != Names.end() && it->second == Component)
      Names.erase(it);
  }
};

TfrxReport::TfrxReport(TComponent* AOwner)
    : TfrxComponent(AOwner), FNameIndex(std::make_unique<TNameIndex>()),
      FErrors(std::make_unique<TStringList>()), FStyles(std::make_unique<TfrxStyles>(this)),
      FVariables(std::make_unique<TfrxVariables>())
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
  // every remaining object about every removal. Quiet removals bypass the name index, so
  // it goes first.
  FNameIndex.reset();
  DestroyComponents();
}

TComponent* TfrxReport::FindOwnedComponent(const AnsiString& AName) const
{
  return FNameIndex && !AName.empty() ? FNameIndex->Find(AName) : nullptr;
}

void TfrxReport::Notification(TComponent* AComponent, TOperation Operation)
{
  if (!AComponent)
    return;
  if (Operation == opRemove)
    RemoveFreeNotification(AComponent);
  if (!FNameIndex || AComponent->Owner() != this)
    return;
  if (Operation == opInsert)
    FNameIndex->Add(AComponent, AComponent->Name());
  else
    FNameIndex->Remove(AComponent, AComponent->Name());
}

void TfrxReport::ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                                const AnsiString& NewName)
{
  if (!AComponent || AComponent->Owner() != this || !FNameIndex)
    return;
  if (!NewName.empty() && !SameText(CurName, NewName))
    if (TComponent* other = FNameIndex->Find(NewName); other && other != AComponent)
      throw EComponentError(Format(SDuplicateName, {NewName}));
  FNameIndex->Remove(AComponent, CurName);
  FNameIndex->Add(AComponent, NewName);
}
