// TMemDataSet (MemDataSet.h): records in memory, master-detail by field values.
#include "platform/data/MemDataSet.h"

#include <set>

#include "platform/data/DBPrivate.h"
#include "platform/data/DataUnitsPrivate.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterMemDataSetClasses()
{
  RegisterClass(
      TClassRegistration<TMemDataSet, TDataSet>("TMemDataSet")
          .Property("FieldDefs", &TMemDataSet::FieldDefs)
          .Property("MasterSource", &TMemDataSet::MasterSource, &TMemDataSet::SetMasterSource)
          .Property("MasterFields", &TMemDataSet::MasterFields, &TMemDataSet::SetMasterFields)
          .Property("DetailFields", &TMemDataSet::DetailFields, &TMemDataSet::SetDetailFields));
}

TMemDataSet::TMemDataSet(TComponent* AOwner)
    : TDataSet(AOwner), FMasterLink(std::make_unique<TMasterDataLink>(this))
{
}

TMemDataSet::~TMemDataSet()
{
  if (TDataSource* src = FMasterLink->DataSource())
    src->RemoveFreeNotification(this);
  FMasterLink->SetDataSource(nullptr);
}

void TMemDataSet::InternalOpen()
{
  if (FieldDefs()->Count() > 0)
    return;
  for (Integer i = 0; i < FieldCount(); ++i) {
    TField* f = Fields()->Fields(i);
    if (f->FieldKind() == fkData)
      FieldDefs()->Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
  }
  if (FieldDefs()->Count() == 0)
    DatabaseError(SNoFieldDefs, this);
}

void TMemDataSet::EmptyDataSet()
{
  CheckBrowseMode();
  ClearStoredRecords();
  ApplyRange();
}

TDataSource* TMemDataSet::MasterSource() const
{
  return FMasterLink->DataSource();
}

void TMemDataSet::SetMasterSource(TDataSource* Value)
{
  if (Value == FMasterLink->DataSource())
    return;
  // The master chain starting at the new source must not come back to this dataset.
  std::set<const TDataSet*> seen;
  for (TDataSet* ds = Value ? Value->DataSet() : nullptr; ds && seen.insert(ds).second;) {
    if (ds == this)
      DatabaseError(SCircularDataLink, this);
    TDataSource* src = ds->DataSource();
    ds = src ? src->DataSet() : nullptr;
  }
  if (TDataSource* old = FMasterLink->DataSource())
    old->RemoveFreeNotification(this);
  FMasterLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
  MasterChanged();
}

AnsiString TMemDataSet::MasterFields() const
{
  return FMasterLink->FieldNames();
}

void TMemDataSet::SetMasterFields(const AnsiString& Value)
{
  FMasterLink->SetFieldNames(Value);
  MasterChanged();
}

void TMemDataSet::SetDetailFields(const AnsiString& Value)
{
  FDetailFields = Value;
  MasterChanged();
}

void TMemDataSet::Notification(TComponent* AComponent, TOperation Operation)
{
  TDataSet::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMasterLink->DataSource())
    FMasterLink->SetDataSource(nullptr);
}

std::vector<Integer> TMemDataSet::DetailSlots() const
{
  std::vector<Integer> slots;
  AnsiString names = FDetailFields.empty() ? FMasterLink->FieldNames() : FDetailFields;
  for (const AnsiString& name : data_detail::SplitFieldNames(names)) {
    Integer i = FieldDefs()->IndexOf(name);
    if (i < 0)
      DatabaseErrorFmt(SFieldNotFound, name, const_cast<TMemDataSet*>(this));
    slots.push_back(i);
  }
  return slots;
}

bool TMemDataSet::RecordInRange(const std::vector<Variant>& Data)
{
  if (!FMasterLink->Active() || FMasterLink->FieldNames().empty())
    return true;
  std::vector<TField*> masters = FMasterLink->Fields();
  std::vector<Integer> slots = DetailSlots();
  if (masters.size() != slots.size())
    return false;
  for (size_t i = 0; i < slots.size(); ++i) {
    const Variant& mine = Data[slots[i]];
    Variant theirs = masters[i]->AsVariant();
    if (VarIsNull(mine) || VarIsNull(theirs) || VarIsEmpty(theirs))
      return false;
    try {
      if (VarCompareValue(mine, theirs) != vrEqual)
        return false;
    } catch (const Exception&) {
      return false;
    }
  }
  return true;
}

void TMemDataSet::InternalInitRecord()
{
  // A new detail record belongs to the current master record.
  if (!FMasterLink->Active() || FMasterLink->FieldNames().empty())
    return;
  std::vector<TField*> masters = FMasterLink->Fields();
  AnsiString names = FDetailFields.empty() ? FMasterLink->FieldNames() : FDetailFields;
  std::vector<AnsiString> details = data_detail::SplitFieldNames(names);
  for (size_t i = 0; i < details.size() && i < masters.size(); ++i)
    FieldByName(details[i])->SetAsVariant(masters[i]->AsVariant());
}
