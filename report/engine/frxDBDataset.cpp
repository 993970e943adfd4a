// TfrxDBDataset: a report dataset over a platform database dataset. frxDBDataset.h describes
// it.
#include "report/engine/frxDBDataset.h"

#include "platform/data/DB.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxRes.h"

void RegisterDBDatasetClass()
{
  TClassRegistration<TfrxDBDataset, TfrxCustomDBDataSet>("TfrxDBDataset")
      .Property("DataSet", &TfrxDBDataset::DataSet, &TfrxDBDataset::SetDataSet)
      .Property("DataSource", &TfrxDBDataset::DataSource, &TfrxDBDataset::SetDataSource);
}

TfrxDBDataset::TfrxDBDataset(TComponent* AOwner) : TfrxCustomDBDataSet(AOwner) {}

TfrxDBDataset::~TfrxDBDataset()
{
  if (FHookInstalled && FBound)
    FBound->AfterOpen = FSavedAfterOpen;
  SetDataSet(nullptr);
  SetDataSource(nullptr);
}

void TfrxDBDataset::SetDataSet(TDataSet* Value)
{
  if (FDataSet)
    FDataSet->RemoveFreeNotification(this);
  FDataSet = Value;
  if (Value) {
    Value->FreeNotification(this);
    SetDataSource(nullptr);
  }
  FBound = BoundDataSet();
}

void TfrxDBDataset::SetDataSource(TDataSource* Value)
{
  if (FDataSource)
    FDataSource->RemoveFreeNotification(this);
  FDataSource = Value;
  if (Value) {
    Value->FreeNotification(this);
    if (FDataSet) {
      FDataSet->RemoveFreeNotification(this);
      FDataSet = nullptr;
    }
  }
  FBound = BoundDataSet();
}

TDataSet* TfrxDBDataset::BoundDataSet() const
{
  if (FDataSet)
    return FDataSet;
  return FDataSource ? FDataSource->DataSet() : nullptr;
}

void TfrxDBDataset::Notification(TComponent* AComponent, TOperation Operation)
{
  TfrxCustomDBDataSet::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FDataSet) {
    FDataSet = nullptr;
    FHookInstalled = false;
  }
  if (AComponent == FDataSource)
    FDataSource = nullptr;
  if (AComponent == FDataSet || AComponent == FDataSource || AComponent == FBound) {
    FBound = BoundDataSet();
    Fields()->Clear();
  }
}

// ---- Opening and closing ----

void TfrxDBDataset::OpenForReport()
{
  FBound = BoundDataSet();
  if (!FBound)
    throw Exception(Format(ReportResources()->Lookup("dbNotConn"), {Name()}));
  if (!FHookInstalled) {
    FSavedAfterOpen = FBound->AfterOpen;
    FBound->AfterOpen = TEvent<void(TDataSet*)>::Bind(this, &TfrxDBDataset::AfterOpenHandler);
    FHookInstalled = true;
  }
  FOpened = false;
  FEof = false;
}

void TfrxDBDataset::CloseForReport()
{
  if (!FBound)
    return;
  if (FHasBookmark && FBound->Active())
    FBound->GotoBookmark(FBookmark);
  FHasBookmark = false;
  if (CloseDataSource())
    FBound->Close();
  if (FHookInstalled) {
    FBound->AfterOpen = FSavedAfterOpen;
    FHookInstalled = false;
  }
  FOpened = false;
}

void TfrxDBDataset::AfterOpenHandler(TDataSet* Sender)
{
  FillFields(true);
  if (FSavedAfterOpen)
    FSavedAfterOpen(Sender);
}

void TfrxDBDataset::FillFields(bool RaiseForMissing)
{
  TStringList aliases;
  GetFieldList(&aliases);
  Fields()->Clear();
  for (Integer i = 0; i < aliases.Count(); ++i) {
    const AnsiString alias = aliases.Strings(i);
    const AnsiString name = FieldNameByAlias(alias);
    TField* field = RaiseForMissing ? FBound->FieldByName(name) : FBound->FindField(name);
    Fields()->AddObject(alias, field);
  }
}

void TfrxDBDataset::Open()
{
  if (FOpened || !FBound)
    return;
  FOpened = true;
  FBound->Open();
  if (RangeBegin() == rbCurrent || RangeEnd() == reCurrent) {
    FBookmark = FBound->GetBookmark();
    FHasBookmark = true;
  }
  FillFields(false);
  TfrxCustomDBDataSet::Open();
}

void TfrxDBDataset::Close()
{
  TfrxCustomDBDataSet::Close();
  FHasBookmark = false;
  FOpened = false;
  if (FBound)
    FBound->Close();
}

// Only a dataset prepared for a build is opened on demand; outside one (the designer asking
// for display texts) the platform dataset is left as it is.
void TfrxDBDataset::OpenIfNeeded()
{
  if (!FOpened && FHookInstalled)
    Open();
}

// ---- Navigation ----

void TfrxDBDataset::First()
{
  OpenIfNeeded();
  if (FBound) {
    if (RangeBegin() == rbCurrent && FHasBookmark)
      FBound->GotoBookmark(FBookmark);
    else
      FBound->First();
  }
  FEof = false;
  TfrxCustomDBDataSet::First();
}

void TfrxDBDataset::Next()
{
  OpenIfNeeded();
  FEof = false;
  if (RangeEnd() == reCurrent && FHasBookmark && FBound &&
      FBound->CompareBookmarks(FBound->GetBookmark(), FBookmark) == 0) {
    FEof = true;
    return;
  }
  if (FBound)
    FBound->Next();
  TfrxCustomDBDataSet::Next();
}

void TfrxDBDataset::Prior()
{
  OpenIfNeeded();
  if (FBound)
    FBound->Prior();
  TfrxCustomDBDataSet::Prior();
}

bool TfrxDBDataset::Eof()
{
  OpenIfNeeded();
  return TfrxCustomDBDataSet::Eof() || !FBound || FBound->Eof() || FEof;
}

// ---- Fields ----

void TfrxDBDataset::GetFieldList(TStrings* List)
{
  List->Clear();
  TStrings* aliases = FieldAliases();
  if (aliases->Count() > 0) {
    for (Integer i = 0; i < aliases->Count(); ++i) {
      const AnsiString name = aliases->Names(i);
      if (name.empty() || name[0] == '-')
        continue;
      List->Add(aliases->ValueFromIndex(i));
    }
    return;
  }
  if (!FBound)
    return;
  try {
    FBound->GetFieldNames(List);
  } catch (const Exception&) {
  }
}

AnsiString TfrxDBDataset::MissingText(const AnsiString& Alias) const
{
  return ReportResources()->Lookup("dbFldNotFound") + " " + UserName() + ".\"" + Alias + "\"";
}

bool TfrxDBDataset::FindAlias(const AnsiString& Alias, TField*& Field)
{
  Field = nullptr;
  const Integer index = Fields()->IndexOf(Alias);
  if (index < 0) {
    if (TfrxReport* report = ReportRef())
      report->Errors()->Add(report->CurrentObjectName() + ": " + MissingText(Alias));
    return false;
  }
  Field = static_cast<TField*>(Fields()->Objects(index));
  return true;
}

Variant TfrxDBDataset::Value(const AnsiString& Index)
{
  OpenIfNeeded();
  TField* field;
  if (!FindAlias(Index, field) || !field)
    return Null();
  return field->Value();
}

AnsiString TfrxDBDataset::DisplayText(const AnsiString& Index)
{
  OpenIfNeeded();
  if (!FBound || !FBound->Active())
    return UserName() + ".\"" + Index + "\"";
  if (Fields()->Count() == 0) {
    TField* field = FBound->FindField(Index);
    return field ? field->DisplayText() : AnsiString();
  }
  TField* field;
  if (!FindAlias(Index, field))
    return MissingText(Index);
  return field ? field->DisplayText() : AnsiString();
}

Integer TfrxDBDataset::DisplayWidth(const AnsiString& Index)
{
  if (!FBound)
    return 10;
  const AnsiString name = FieldNameByAlias(Index);
  if (TField* field = FBound->FindField(name))
    return field->DisplayWidth();
  try {
    FBound->FieldDefs()->Update();
    for (Integer i = 0; i < FBound->FieldDefs()->Count(); ++i) {
      TFieldDef* def = FBound->FieldDefs()->Items(i);
      if (!SameText(def->Name(), name))
        continue;
      switch (def->DataType()) {
      case ftString:
      case ftWideString:
        return def->Size();
      case ftDateTime:
        return 20;
      case ftLargeint:
        return 15;
      default:
        return 10;
      }
    }
  } catch (const Exception&) {
  }
  return 10;
}

TfrxFieldType TfrxDBDataset::FieldType(const AnsiString& Index)
{
  TField* field = FBound ? FBound->FindField(FieldNameByAlias(Index)) : nullptr;
  if (!field)
    return fftNumeric;
  switch (field->DataType()) {
  case ftString:
  case ftWideString:
    return fftString;
  case ftBoolean:
    return fftBoolean;
  default:
    return fftNumeric;
  }
}

bool TfrxDBDataset::IsBlobField(const AnsiString& Field)
{
  OpenIfNeeded();
  const Integer index = Fields()->IndexOf(Field);
  if (index < 0)
    return false;
  auto* field = static_cast<TField*>(Fields()->Objects(index));
  return field && field->IsBlob();
}

void TfrxDBDataset::AssignBlobTo(const AnsiString& Field, TObject* Target)
{
  OpenIfNeeded();
  const Integer index = Fields()->IndexOf(Field);
  if (index < 0)
    throw EListError(Format("List index out of bounds (%d)", {index}));
  auto* field = static_cast<TField*>(Fields()->Objects(index));
  if (!field)
    return;
  if (auto* stream = dynamic_cast<TStream*>(Target)) {
    if (auto* blob = dynamic_cast<TBlobField*>(field))
      blob->SaveToStream(stream);
    stream->SetPosition(0);
  } else if (auto* persistent = dynamic_cast<TPersistent*>(Target)) {
    persistent->Assign(field);
  }
}
