// TFieldDef and TFieldDefs: the column descriptions of a dataset (DB.h), from which Open
// creates the default fields; an in-memory dataset streams them with its other properties.
#include "platform/data/DB.h"
#include "platform/data/DataUnitsPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterFieldDefsClasses()
{
  TClassRegistration<TFieldDefs, TPersistent>("TFieldDefs");
}

TFieldDef::TFieldDef(TFieldDefs* Owner, const AnsiString& Name, TFieldType DataType, Integer Size,
                     bool Required)
    : FOwner(Owner), FName(Name), FDataType(DataType), FSize(Size), FRequired(Required)
{
}

Integer TFieldDef::Index() const
{
  for (Integer i = 0; i < FOwner->Count(); ++i)
    if (FOwner->Items(i) == this)
      return i;
  return -1;
}

Integer TFieldDef::FieldNo() const
{
  return Index() + 1;
}

TFieldDefs::~TFieldDefs() = default;

TFieldDef* TFieldDefs::AddFieldDef(const AnsiString& Name, TFieldType DataType, Integer Size,
                                   bool Required)
{
  if (IndexOf(Name) >= 0)
    DatabaseErrorFmt(SDuplicateFieldName, Name, FDataSet);
  FItems.push_back(std::make_unique<TFieldDef>(this, Name, DataType, Size, Required));
  return FItems.back().get();
}

void TFieldDefs::Clear()
{
  FItems.clear();
}

TFieldDef* TFieldDefs::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    DatabaseError(SFieldIndexError, FDataSet);
  return FItems[Index].get();
}

Integer TFieldDefs::IndexOf(const AnsiString& Name) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(FItems[i]->Name(), Name))
      return i;
  return -1;
}

TFieldDef* TFieldDefs::Find(const AnsiString& Name) const
{
  Integer i = IndexOf(Name);
  if (i < 0)
    DatabaseErrorFmt(SFieldNotFound, Name, FDataSet);
  return FItems[i].get();
}

void TFieldDefs::Update()
{
  if (FDataSet && !FDataSet->Active())
    FDataSet->InternalInitFieldDefs();
  FUpdated = true;
}

void TFieldDefs::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TFieldDefs*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  Clear();
  for (Integer i = 0; i < src->Count(); ++i) {
    TFieldDef* d = src->Items(i);
    AddFieldDef(d->Name(), d->DataType(), d->Size(), d->Required())->SetPrecision(d->Precision());
  }
}
