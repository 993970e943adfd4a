// Dataset fields, relations and the bookmark selection of grid mode (cxDBData.h).
#include <algorithm>

#include "controls/cx/data/cxDBData.h"
#include "platform/rtl/ScopeGuard.h"

// ---- Value types of TFields ----

TcxValueTypeClass ValueTypeClassOfField(TField* AField)
{
  if (!AField)
    return TcxStringValueType::Class();
  switch (AField->DataType()) {
  case ftString:
    return TcxStringValueType::Class();
  case ftWideString:
    return TcxWideStringValueType::Class();
  case ftSmallint:
    return TcxSmallintValueType::Class();
  case ftInteger:
  case ftAutoInc:
    return TcxIntegerValueType::Class();
  case ftWord:
    return TcxWordValueType::Class();
  case ftBoolean:
    return TcxBooleanValueType::Class();
  case ftFloat:
    return TcxFloatValueType::Class();
  case ftCurrency:
  case ftBCD:
    return TcxCurrencyValueType::Class();
  case ftDate:
  case ftTime:
  case ftDateTime:
    return TcxDateTimeValueType::Class();
  case ftLargeint:
    return TcxLargeIntValueType::Class();
  case ftFMTBcd:
    return TcxFMTBcdValueType::Class();
  default:
    return TcxVariantValueType::Class();
  }
}

// ---- TcxDBDataField ----

TcxDBDataField::~TcxDBDataField()
{
  if (FParentField)
    FParentField->RemoveSubField(this);
  ClearSubFields();
  if (FField && !FField->ComponentState().Contains(csDestroying) && DataController()->Notifier())
    FField->RemoveFreeNotification(DataController()->Notifier());
}

TcxDBDataController* TcxDBDataField::DBDataController() const
{
  return static_cast<TcxDBDataController*>(DataController());
}

const TcxDBDataField* TcxDBDataField::ChainEnd() const
{
  const TcxCustomDataField* field = this;
  while (field->ReferenceField())
    field = field->ReferenceField();
  return static_cast<const TcxDBDataField*>(field);
}

TField* TcxDBDataField::Field() const
{
  return ChainEnd()->FField;
}

void TcxDBDataField::SetField(TField* AValue)
{
  if (ReferenceField())
    return;
  if (AValue && AValue->ComponentState().Contains(csDestroying))
    AValue = nullptr;
  if (FField == AValue)
    return;
  FField = AValue;
  if (FField && DataController()->Notifier())
    FField->FreeNotification(DataController()->Notifier());
  ClearSubFields();
}

TcxDBDataField* TcxDBDataField::SubFields(Integer AIndex) const
{
  return ChainEnd()->FSubFields.at(static_cast<size_t>(AIndex));
}

Integer TcxDBDataField::SubFieldCount() const
{
  return static_cast<Integer>(ChainEnd()->FSubFields.size());
}

void TcxDBDataField::AddSubField(TcxDBDataField* AField)
{
  if (std::find(FSubFields.begin(), FSubFields.end(), AField) != FSubFields.end())
    return;
  if (AField->FParentField)
    throw Exception("ADataField.FParentField <> nil");
  FSubFields.push_back(AField);
  AField->FParentField = this;
}

void TcxDBDataField::RemoveSubField(TcxDBDataField* AField)
{
  auto it = std::find(FSubFields.begin(), FSubFields.end(), AField);
  if (it == FSubFields.end())
    return;
  FSubFields.erase(it);
  AField->FParentField = nullptr;
}

void TcxDBDataField::ClearSubFields()
{
  while (!FSubFields.empty()) {
    TcxDBDataField* sub = FSubFields.back();
    FSubFields.pop_back();
    sub->FParentField = nullptr;
    delete sub;
  }
}

bool TcxDBDataField::IsLookup() const
{
  TField* field = Field();
  return field && field->Lookup();
}

void TcxDBDataField::AddFieldsToList(TcxDBDataField* AField,
                                     std::vector<TcxCustomDataField*>& AList)
{
  if (!AField)
    return;
  if (AField->SubFieldCount() == 0) {
    AList.push_back(AField);
    return;
  }
  for (Integer i = 0; i < AField->SubFieldCount(); ++i)
    AList.push_back(AField->SubFields(i));
}

void TcxDBDataField::AdoptValueDefinition(TcxCustomDataField* ASource)
{
  TcxCustomDataField::AdoptValueDefinition(ASource);
  auto* source = dynamic_cast<TcxDBDataField*>(ASource);
  if (!source)
    return;
  FField = source->FField;
  source->FField = nullptr;
  FSubFields = std::move(source->FSubFields);
  source->FSubFields.clear();
  for (TcxDBDataField* sub : FSubFields)
    sub->FParentField = this;
}

void TcxDBDataField::ComponentRemoved(TComponent* AComponent)
{
  if (ReferenceField())
    return;
  TcxCustomDataField::ComponentRemoved(AComponent);
  if (AComponent != FField)
    return;
  TcxDBDataProvider* p = DBDataController()->Provider();
  TDataSet* dataSet = p->DataSet();
  if (p->InFirst() && p->DataLink()->Active() && dataSet && !dataSet->Active())
    p->SetFieldsRecreated(true);
  FField = nullptr;
  ChangedNotify();
}

bool TcxDBDataField::CanModify(TcxDataEditValueSource AEditValueSource)
{
  TField* field = Field();
  if (!TcxCustomDataField::CanModify(AEditValueSource) || !field)
    return false;
  if (!field->Lookup())
    return CanModifyFieldValue(field, AEditValueSource == evsValue);
  if (AEditValueSource != evsKey || SubFieldCount() == 0)
    return false;
  for (Integer i = 0; i < SubFieldCount(); ++i)
    if (!SubFields(i)->CanModify(evsValue))
      return false;
  return true;
}

bool TcxDBDataField::IsInternalField() const
{
  return Field() == nullptr || DataController()->IsGridMode();
}

void TcxDBDataField::UpdateFromField(TField* AField)
{
  if (ReferenceField() || !AField)
    return;
  TcxDBDataController* dc = DBDataController();
  for (;;) {
    bool canEdit = false;
    if (!IsInternal()) {
      Integer item = dc->GetItemIndexOfField(this);
      canEdit = item != -1 && dc->CanItemEdit(item);
    }
    bool textStored = FieldHasDisplayFormatting(AField, canEdit);
    TcxValueTypeClass type = ValueTypeClassOfField(AField);
    if (type == ValueTypeClass() && textStored == TextStored())
      break;
    bool typeChanged = type != ValueTypeClass();
    BeginValueDefChange();
    {
      TScopeExit end([&] { EndValueDefChange(); });
      ChangeTextStoredFlag(textStored);
      ChangeValueType(type);
    }
    if (!typeChanged)
      continue;
    if (!IsInternal())
      dc->ItemValueTypeClassChanged(dc->GetItemIndexOfField(this));
    for (Integer i = 0; i < dc->Fields()->Count(); ++i) {
      TcxCustomDataField* other = dc->Fields()->Items(i);
      if (other != this && other->ReferenceField() == this && !other->IsInternal())
        dc->ItemValueTypeClassChanged(dc->GetItemIndexOfField(other));
    }
  }
}

// ---- TcxDBDataRelation ----

TcxDBDataRelation::~TcxDBDataRelation()
{
  TcxDBDataField* field = FMasterKeyField;
  FMasterKeyField = nullptr;
  delete field;
}

bool TcxDBDataRelation::HasMasterKeyLink()
{
  return FMasterKeyField && !DetailKeyFieldNames().empty();
}

void TcxDBDataRelation::DropField(TcxCustomDataField* AField)
{
  TcxCustomDataRelation::DropField(AField);
  if (AField == FMasterKeyField)
    FMasterKeyField = nullptr;
}

void TcxDBDataRelation::CollectMasterKeyFields(std::vector<TcxCustomDataField*>& AList)
{
  TcxDBDataField::AddFieldsToList(FMasterKeyField, AList);
}

void TcxDBDataRelation::GetMasterKeyValues(Integer ARecordIndex, Variant& AValues)
{
  TcxCustomDataController* master = MasterDataController();
  master->CheckRecordRange(ARecordIndex);
  AValues = Unassigned();
  if (!HasMasterKeyLink())
    return;
  std::vector<TcxCustomDataField*> fields;
  CollectMasterKeyFields(fields);
  master->GetKeyValue(ARecordIndex, fields, AValues);
}

void TcxDBDataRelation::RefreshKeyFieldNames()
{
  if (MasterDataController()->GetDetailMode() != dcdmClone)
    Changed();
}

AnsiString TcxDBDataRelation::DetailKeyFieldNames() const
{
  auto* detail = dynamic_cast<TcxDBDataController*>(DetailDataController());
  return detail ? detail->GetDetailKeyFieldNames() : AnsiString();
}

AnsiString TcxDBDataRelation::MasterKeyFieldNames() const
{
  auto* detail = dynamic_cast<TcxDBDataController*>(DetailDataController());
  return detail ? detail->MasterKeyFieldNames() : AnsiString();
}

// ---- TcxDBDataSelection ----

TcxDBDataController* TcxDBDataSelection::DBDataController() const
{
  return static_cast<TcxDBDataController*>(DataController());
}

TcxDBDataProvider* TcxDBDataSelection::Provider() const
{
  return DBDataController()->Provider();
}

bool TcxDBDataSelection::InGridMode() const
{
  return DBDataController()->IsGridMode();
}

void TcxDBDataSelection::ClearAnchor()
{
  TcxDataSelection::ClearAnchor();
  FAnchorBookmark.clear();
}

void TcxDBDataSelection::InsertItem(Integer AIndex, Integer ARowIndex, Integer ALevel,
                                    Integer ARecordIndex)
{
  TcxDataSelection::InsertItem(AIndex, ARowIndex, ALevel, ARecordIndex);
  if (!InGridMode() || FSyncingCount)
    return;
  TBookmarkStr bookmark = BookmarkOfRow(ARowIndex);
  if (AIndex < 0 || AIndex > static_cast<Integer>(FBookmarks.size()))
    FBookmarks.push_back(bookmark);
  else
    FBookmarks.insert(FBookmarks.begin() + AIndex, bookmark);
}

void TcxDBDataSelection::ClearItems()
{
  TcxDataSelection::ClearItems();
  if (!FSyncingCount)
    FBookmarks.clear();
}

void TcxDBDataSelection::DeleteItem(Integer AIndex)
{
  TcxDataSelection::DeleteItem(AIndex);
  if (!InGridMode() || FSyncingCount || AIndex < 0 ||
      AIndex >= static_cast<Integer>(FBookmarks.size()))
    return;
  if (FBookmarks[AIndex] == FAnchorBookmark)
    ClearAnchor();
  FBookmarks.erase(FBookmarks.begin() + AIndex);
}

bool TcxDBDataSelection::FindByRowIndex(Integer ARowIndex, Integer& AIndex)
{
  if (!InGridMode())
    return TcxDataSelection::FindByRowIndex(ARowIndex, AIndex);
  return FindBookmark(BookmarkOfRow(ARowIndex), AIndex);
}

TBookmarkStr TcxDBDataSelection::BookmarkOfRow(Integer ARowIndex)
{
  TcxDBDataLink* link = Provider()->DataLink();
  TDataSet* dataSet = Provider()->DataSet();
  if (!dataSet || !link->Active() || ARowIndex < 0 || ARowIndex >= link->RecordCount())
    return TBookmarkStr();
  Integer saved = link->ActiveRecord();
  link->SetActiveRecord(ARowIndex);
  TScopeExit restore([&] { link->SetActiveRecord(saved); });
  return dataSet->Bookmark();
}

bool TcxDBDataSelection::FindBookmark(const TBookmarkStr& ABookmark, Integer& AIndex)
{
  Integer low = 0, high = static_cast<Integer>(FBookmarks.size()) - 1;
  while (low <= high) {
    Integer middle = (low + high) / 2;
    Integer c = Provider()->CompareBookmarks(FBookmarks[middle], ABookmark);
    if (c == 0) {
      AIndex = middle;
      return true;
    }
    if (c < 0)
      low = middle + 1;
    else
      high = middle - 1;
  }
  AIndex = low;
  return false;
}

void TcxDBDataSelection::SyncCount()
{
  bool saved = FSyncingCount;
  FSyncingCount = true;
  TScopeExit restore([&] { FSyncingCount = saved; });
  SetCount(static_cast<Integer>(FBookmarks.size()));
}

bool TcxDBDataSelection::DropInvalidBookmarks()
{
  if (!InGridMode() || !Provider()->DataSet())
    return false;
  bool dropped = false;
  for (Integer i = Count() - 1; i >= 0; --i) {
    if (i >= static_cast<Integer>(FBookmarks.size()))
      continue;
    if (FBookmarks[i].empty() || !Provider()->IsBookmarkValid(FBookmarks[i])) {
      DeleteItem(i);
      dropped = true;
    }
  }
  return dropped;
}

void TcxDBDataSelection::Finish()
{
  Changed();
  DBDataController()->NotifyChanges(dccSelection);
  DBDataController()->Refresh();
}

void TcxDBDataSelection::SelectAllRecords()
{
  TcxDBDataProvider* p = Provider();
  TDataSet* dataSet = p->DataSet();
  if (!InGridMode() || !dataSet)
    return;
  {
    p->Freeze();
    TScopeExit unfreeze([&] { p->Unfreeze(); });
    p->SavePos();
    try {
      dataSet->First();
      TcxDataSelection::ClearItems();
      FBookmarks.clear();
      while (!dataSet->Eof()) {
        FBookmarks.push_back(dataSet->Bookmark());
        dataSet->Next();
      }
    } catch (...) {
      FBookmarks.clear();
      SyncCount();
      throw;
    }
    SyncCount();
    p->RestorePos();
  }
  Finish();
}

bool TcxDBDataSelection::QuickAdjust(const TBookmarkStr& B1, const TBookmarkStr& B2, bool AForward)
{
  TcxDBDataProvider* p = Provider();
  TDataSet* dataSet = p->DataSet();
  auto equal = [&](const TBookmarkStr& A, const TBookmarkStr& B) {
    return p->CompareBookmarks(A, B) == 0;
  };
  if (equal(B1, B2)) {
    FBookmarks.assign(1, B1);
    return true;
  }
  size_t n = FBookmarks.size();
  if (AForward) {
    if (n >= 2 && equal(FBookmarks[n - 2], B2)) {
      if (!equal(FBookmarks.front(), B1))
        return false;
      FBookmarks.pop_back();
      return true;
    }
    dataSet->SetBookmark(B2);
    dataSet->Prior();
    if (equal(FBookmarks.back(), dataSet->Bookmark()) && equal(FBookmarks.front(), B1)) {
      FBookmarks.push_back(B2);
      return true;
    }
    return false;
  }
  if (n >= 2 && equal(FBookmarks[1], B1)) {
    if (!equal(FBookmarks.back(), B2))
      return false;
    FBookmarks.erase(FBookmarks.begin());
    return true;
  }
  dataSet->SetBookmark(B1);
  dataSet->Next();
  if (!dataSet->Eof() && equal(FBookmarks.front(), dataSet->Bookmark()) &&
      equal(FBookmarks.back(), B2)) {
    FBookmarks.insert(FBookmarks.begin(), B1);
    return true;
  }
  return false;
}

void TcxDBDataSelection::WalkRange(const TBookmarkStr& B1, const TBookmarkStr& B2,
                                   bool AKeepSelection)
{
  TcxDBDataProvider* p = Provider();
  TDataSet* dataSet = p->DataSet();
  if (!AKeepSelection)
    FBookmarks.clear();
  // The part of the list the range can merge into.
  Integer from = 0, to = static_cast<Integer>(FBookmarks.size());
  if (!FBookmarks.empty()) {
    Integer i1 = 0, i2 = 0;
    FindBookmark(B1, i1);
    FindBookmark(B2, i2);
    if (i1 < static_cast<Integer>(FBookmarks.size())) {
      from = i1;
      to = std::min(i2 + 1, static_cast<Integer>(FBookmarks.size()));
    }
  }
  dataSet->SetBookmark(B1);
  while (!dataSet->Eof()) {
    TBookmarkStr current = dataSet->Bookmark();
    Integer at = from;
    bool exists = false;
    while (at < to) {
      Integer c = p->CompareBookmarks(FBookmarks[at], current);
      if (c == 0) {
        exists = true;
        break;
      }
      if (c > 0)
        break;
      ++at;
    }
    if (!exists) {
      FBookmarks.insert(FBookmarks.begin() + at, current);
      ++to;
    }
    from = at + 1;
    if (p->CompareBookmarks(current, B2) == 0)
      break;
    dataSet->Next();
  }
}

void TcxDBDataSelection::SelectRange(const TBookmarkStr& ABookmark, bool AKeepSelection)
{
  TcxDBDataProvider* p = Provider();
  TDataSet* dataSet = p->DataSet();
  if (!InGridMode() || !dataSet)
    return;
  if (dataSet->State() == dsInsert && dataSet->Eof())
    return;
  {
    p->Freeze();
    TScopeExit unfreeze([&] { p->Unfreeze(); });
    p->SavePos();
    TBookmarkStr anchor = FAnchorBookmark.empty() ? ABookmark : FAnchorBookmark;
    bool forward = p->CompareBookmarks(anchor, ABookmark) <= 0;
    const TBookmarkStr& b1 = forward ? anchor : ABookmark;
    const TBookmarkStr& b2 = forward ? ABookmark : anchor;
    try {
      bool quick = !AKeepSelection && !FBookmarks.empty() && QuickAdjust(b1, b2, forward);
      if (!quick)
        WalkRange(b1, b2, AKeepSelection);
    } catch (...) {
      FBookmarks.clear();
      SyncCount();
      throw;
    }
    SyncCount();
    p->RestorePos();
  }
  Finish();
}
