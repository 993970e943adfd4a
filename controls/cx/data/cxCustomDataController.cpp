// The data controller's records, items and values: construction, item fields, record count
// and record access, values and texts, sorting requests (see cxCustomData.h).
#include <algorithm>

#include "controls/cx/data/cxCustomData.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"

const TResStringRec cxSDataRecordIndexError{57100, "RecordIndex out of range"};
const TResStringRec cxSDataItemIndexError{57101, "ItemIndex out of range"};
const TResStringRec cxSDataItemExistError{57102, "Item already exists"};
const TResStringRec cxSDataRowIndexError{57103, "RowIndex out of range"};
const TResStringRec cxSDataCustomDataSourceInvalidCompare{57104,
                                                          "GetInfoForCompare not implemented"};
const TResStringRec cxSDataControllerNotInGridMode{57105, "DataController not in GridMode"};
const TResStringRec cxSDataDetailFilterControllerNotFound{57106,
                                                          "DetailFilterController not found"};

void cxDataControllerError(const TResStringRec& AMessage)
{
  throw EcxInvalidDataControllerOperation(LoadResString(&AMessage));
}

// ---- Small classes ----

TcxSelectionChangedInfo::TcxSelectionChangedInfo(Integer APrevRowIndex, Integer ARowIndex)
{
  if (APrevRowIndex != -1)
    FRowIndexes.push_back(APrevRowIndex);
  if (ARowIndex != -1 && ARowIndex != APrevRowIndex)
    FRowIndexes.push_back(ARowIndex);
}

void TcxDataControllerNotifier::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == this && ComponentState().Contains(csDestroying))
    return;
  if (FDataController)
    FDataController->FreeNotification(AComponent);
}

// ---- Construction ----

TcxCustomDataController::TcxCustomDataController(TComponent* AOwner) : FOwner(AOwner)
{
  FDataStorage = std::make_unique<TcxDataStorage>();
  FGroups = std::make_unique<TcxDataControllerGroups>(this);
  FFields = std::make_unique<TcxCustomDataFieldList>(this);
  FSearch = std::make_unique<TcxDataControllerSearch>(this);
  FNotifier = std::make_unique<TcxDataControllerNotifier>(this);
  FDataStorage->OnClearInternalRecords =
      TNotifyEvent::Bind(this, &TcxCustomDataController::InternalRecordsFreedCallback);
}

void TcxCustomDataController::AfterConstruction()
{
  TPersistent::AfterConstruction();
  if (PartsCreated())
    return;
  // The filter and summary exist before the provider; the engine comes last.
  FFilter.reset(CreateFilterCriteria());
  FSummary.reset(CreateSummary());
  FProvider.reset(CreateDataProvider());
  FDataControllerInfo = std::make_unique<TcxCustomDataControllerInfo>(this);
  ResetDataChangeInfo();
}

void TcxCustomDataController::BeforeDestruction()
{
  FDestroying = true;
  if (FSummary)
    FSummary->BeforeDestruction();
  TPersistent::BeforeDestruction();
}

TcxCustomDataController::~TcxCustomDataController()
{
  FDestroying = true;
  // A pattern that goes before its master's relation leaves no dangling pointer there.
  if (FMasterRelation && FMasterRelation->DetailDataController() == this)
    FMasterRelation->SetDetailDataController(nullptr);
  FNotifier.reset();
  // The detail links (and the clones they own) go while the relations they point to live.
  if (FRelations && FRelations->DetailObjectField())
    for (Integer r = 0; r < RecordCount(); ++r)
      FRelations->ClearDetailLinkObject(r, -1);
  FRelations.reset();
  FDataControllerInfo.reset();
  FSummary.reset();
  FFilter.reset();
  FDataStorage->Clear(false);
  FGroups.reset();
  FFields.reset();
  FDataStorage.reset();
  FProvider.reset();
  FSearch.reset();
  FSaveObject.reset();
  FDataChangedListeners.clear();
  DetachListenerLinks();
}

void TcxCustomDataController::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TcxCustomDataController*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FFilter->Assign(source->Filter());
  FSummary->Assign(source->Summary());
  OnCompare = source->OnCompare;
  OnDataChanged = source->OnDataChanged;
  OnDetailCollapsing = source->OnDetailCollapsing;
  OnDetailCollapsed = source->OnDetailCollapsed;
  OnDetailExpanding = source->OnDetailExpanding;
  OnDetailExpanded = source->OnDetailExpanded;
  OnGroupingChanged = source->OnGroupingChanged;
  OnRecordChanged = source->OnRecordChanged;
  OnSortingChanged = source->OnSortingChanged;
}

void TcxCustomDataController::SetFilter(TcxDataFilterCriteria* AValue)
{
  FFilter->Assign(AValue);
}

void TcxCustomDataController::SetSummary(TcxDataSummary* AValue)
{
  FSummary->Assign(AValue);
}

void TcxCustomDataController::SetOptions(TcxDataControllerOptions AValue)
{
  if (FOptions == AValue)
    return;
  FOptions = AValue;
  Refresh();
}

// ---- Factories ----

TcxDataFilterCriteria* TcxCustomDataController::CreateFilterCriteria()
{
  return new TcxDataFilterCriteria(this);
}

TcxDataSummary* TcxCustomDataController::CreateSummary()
{
  return new TcxDataSummary(this);
}

TCollectionItemClass TcxCustomDataController::GetSummaryItemClass()
{
  return cxCollectionItemClass<TcxDataSummaryItem>();
}

TCollectionItemClass TcxCustomDataController::GetSummaryGroupItemLinkClass()
{
  return cxCollectionItemClass<TcxDataSummaryGroupItemLink>();
}

TcxDataSelection* TcxCustomDataController::CreateDataSelection()
{
  return new TcxDataSelection(this);
}

TcxCustomDataRelation*
TcxCustomDataController::CreateRelation(TcxCustomDataRelationList* ARelationList, TObject* AItem)
{
  return new TcxCustomDataRelation(ARelationList, AItem);
}

TcxCustomDataProvider* TcxCustomDataController::CreateDataProvider()
{
  return new TcxCustomDataProvider(this);
}

TcxCustomDataField* TcxCustomDataController::CreateField()
{
  return new TcxCustomDataField(FFields.get());
}

// ---- Update brackets ----

void TcxCustomDataController::BeginUpdate()
{
  BeginFullUpdate();
}

void TcxCustomDataController::EndUpdate()
{
  EndFullUpdate();
}

void TcxCustomDataController::BeginFullUpdate()
{
  FDataControllerInfo->BeginUpdate();
}

void TcxCustomDataController::EndFullUpdate()
{
  FDataControllerInfo->EndUpdate();
  CheckChanges();
}

bool TcxCustomDataController::LockCountPositive() const
{
  return FDataControllerInfo->IsLocked();
}

// ---- Owner state ----

bool TcxCustomDataController::IsDestroying()
{
  return FDestroying || (FOwner && FOwner->ComponentState().Contains(csDestroying));
}

bool TcxCustomDataController::IsLoading()
{
  return FOwner && FOwner->ComponentState().Contains(csLoading);
}

void TcxCustomDataController::Loaded()
{
  if (FDataChangedFlag)
    DoDataChanged();
  if (FAfterSummaryFlag)
    FSummary->Calculate();
}

// ---- Items ----

void TcxCustomDataController::CheckItemRange(Integer AItemIndex) const
{
  if (!IsItemIndexValid(AItemIndex))
    cxDataControllerError(cxSDataItemIndexError);
}

bool TcxCustomDataController::IsItemIndexValid(Integer AItemIndex) const
{
  return AItemIndex >= 0 && AItemIndex < FFields->ItemCount();
}

TcxCustomDataField* TcxCustomDataController::GetField(Integer AItemIndex) const
{
  CheckItemRange(AItemIndex);
  return FFields->Items(AItemIndex);
}

Integer TcxCustomDataController::GetItemIndexOfField(const TcxCustomDataField* AField) const
{
  if (!AField || AField->IsInternal())
    return -1;
  Integer index = FFields->IndexOf(AField);
  return index < FFields->ItemCount() ? index : -1;
}

void TcxCustomDataController::AddItem(TObject* AItem)
{
  if (AItem && FFields->FindByItem(AItem))
    cxDataControllerError(cxSDataItemExistError);
  TcxCustomDataField* field = AddField();
  field->SetItem(AItem);
}

void TcxCustomDataController::RemoveItem(TObject* AItem)
{
  TcxCustomDataField* field = FFields->FindByItem(AItem);
  if (!field)
    return;
  TUpdateScope<TcxCustomDataController> update(*this);
  FDataControllerInfo->RemoveField(field);
  delete field;
}

void TcxCustomDataController::UpdateItemIndexes()
{
  for (Integer i = 0; i < GetItemCount(); ++i)
    if (TcxCustomDataField* field = FFields->FindByItem(GetItem(i)))
      field->MoveTo(i);
  NotifyChanges(dccLayout);
}

TObject* TcxCustomDataController::GetItem(Integer AIndex)
{
  throw EAbstractError(SAbstractError);
}

Integer TcxCustomDataController::GetItemCount()
{
  return FFields->ItemCount();
}

TObject* TcxCustomDataController::FindItemByID(Integer AID)
{
  for (Integer i = 0; i < GetItemCount(); ++i) {
    TObject* item = GetItem(i);
    if (GetItemID(item) == AID)
      return item;
  }
  return nullptr;
}

TObject* TcxCustomDataController::FindItemByItemID(TObject* AItem)
{
  return FindItemByID(GetItemID(AItem));
}

TcxValueTypeClass TcxCustomDataController::GetItemValueTypeClass(Integer AItemIndex)
{
  return GetField(AItemIndex)->EffectiveValueTypeClass();
}

void TcxCustomDataController::ChangeValueTypeClass(Integer AItemIndex,
                                                   TcxValueTypeClass AValueTypeClass)
{
  TcxCustomDataField* field = GetField(AItemIndex);
  if (field->ValueTypeClass() == AValueTypeClass)
    return;
  field->ChangeValueType(AValueTypeClass);
  if (IsProviderMode())
    RebuildStorage();
  FDataControllerInfo->FieldChanged(field);
  ItemValueTypeClassChanged(AItemIndex);
}

bool TcxCustomDataController::GetItemTextStored(Integer AItemIndex)
{
  return GetField(AItemIndex)->TextStored();
}

void TcxCustomDataController::ChangeTextStored(Integer AItemIndex, bool AValue)
{
  TcxCustomDataField* field = GetField(AItemIndex);
  if (field->TextStored() == AValue)
    return;
  field->ChangeTextStoredFlag(AValue);
  FDataControllerInfo->FieldChanged(field);
}

bool TcxCustomDataController::GetItemValueCompare(Integer AItemIndex)
{
  CheckItemRange(AItemIndex);
  return false;
}

void TcxCustomDataController::ChangeItemValueCompare(Integer AItemIndex, bool AValue)
{
  TcxCustomDataField* field = GetField(AItemIndex);
  if (AValue == GetItemValueCompare(AItemIndex))
    return;
  field->SetValueCompare(AValue);
  FDataControllerInfo->FieldChanged(field);
}

// ---- Records ----

Integer TcxCustomDataController::RecordCount()
{
  return FDataStorage->RecordCount();
}

bool TcxCustomDataController::CheckRecordIndex(Integer ARecordIndex)
{
  if (ARecordIndex >= 0 && ARecordIndex < RecordCount())
    return true;
  // The new-item record is an internal record; asking for it creates it.
  return ARecordIndex < 0 && ARecordIndex == NewItemRecordIndex();
}

void TcxCustomDataController::CheckRecordRange(Integer ARecordIndex)
{
  if (!CheckRecordIndex(ARecordIndex))
    cxDataControllerError(cxSDataRecordIndexError);
}

void TcxCustomDataController::SetRecordCount(Integer ACount)
{
  if (IsGridMode())
    return;
  if (ACount < 0)
    ACount = 0;
  if (ACount == RecordCount())
    return;
  if (IsProviderMode()) {
    FProvider->SetRecordCount(ACount);
    return;
  }
  Integer old = RecordCount();
  FDataStorage->SetRecordCount(ACount);
  RecordsRemoved(-1);
  CheckEditingRecord(-1);
  DataChanged(ACount > old ? dcNewRecord : dcDeleteRecord, -1, -1);
}

Integer TcxCustomDataController::AppendRecord()
{
  if (AppendsByReader())
    return AppendRecordByReader();
  if (IsProviderMode())
    return FProvider->AppendRecord();
  Integer index = FDataStorage->AppendRecord();
  DataChanged(dcNewRecord, -1, -1);
  return index;
}

Integer TcxCustomDataController::InsertRecord(Integer ARecordIndex)
{
  if (ARecordIndex < 0 || ARecordIndex > RecordCount())
    cxDataControllerError(cxSDataRecordIndexError);
  if (AppendsByReader())
    return AppendRecordByReader();
  if (IsProviderMode())
    return FProvider->InsertRecord(ARecordIndex);
  FDataStorage->InsertRecord(ARecordIndex);
  RecordInserted(ARecordIndex);
  DataChanged(dcNewRecord, -1, -1);
  return ARecordIndex;
}

void TcxCustomDataController::DeleteRecord(Integer ARecordIndex)
{
  CheckRecordRange(ARecordIndex);
  if (AppendsByReader() && FInAppending) {
    DeleteStorageRecord(ARecordIndex);
    return;
  }
  if (ARecordIndex == FProvider->EditingRecordIndex())
    FProvider->SetEditingRecordIndex(cxNullEditingRecordIndex);
  if (IsProviderMode() && ARecordIndex >= 0) {
    FProvider->DeleteRecord(ARecordIndex);
    return;
  }
  FDataStorage->DeleteRecord(ARecordIndex);
  RecordDeleted(ARecordIndex);
  RecordsRemoved(ARecordIndex);
  if (FNewItemRecordIndex == ARecordIndex)
    FNewItemRecordIndex = 0;
  DataChanged(dcDeleteRecord, -1, -1);
}

Integer TcxCustomDataController::FilteredRecordCount() const
{
  return FDataControllerInfo->RecordListCount();
}

Integer TcxCustomDataController::GetFilteredRecordIndex(Integer AIndex) const
{
  return FDataControllerInfo->RecordListItem(AIndex);
}

Integer TcxCustomDataController::GetFilteredIndexByRecordIndex(Integer ARecordIndex) const
{
  return FDataControllerInfo->RecordListIndexOf(ARecordIndex);
}

// ---- Values and texts ----

Variant TcxCustomDataController::GetValue(Integer ARecordIndex, Integer AItemIndex)
{
  TcxCustomDataField* field = GetField(AItemIndex);
  CheckRecordRange(ARecordIndex);
  Variant value;
  GetInternalValue(ARecordIndex, field, value);
  return value;
}

void TcxCustomDataController::GetInternalValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                               Variant& AValue)
{
  if (ARecordIndex >= 0 && IsProviderMode() && IsProviderField(AField))
    AValue = FProvider->GetValue(ARecordIndex, AField);
  else
    GetStoredValue(ARecordIndex, AField, AValue);
}

void TcxCustomDataController::GetStoredValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                             Variant& AValue)
{
  if (IsGridMode() && IsProviderField(AField)) {
    AValue = FProvider->GetGridModeValue(ARecordIndex, AField);
    return;
  }
  TcxValueDef* def = AField->ValueDef();
  if (!def) {
    AValue = Null();
    return;
  }
  FDataStorage->GetValue(ARecordIndex, def, AValue);
}

void TcxCustomDataController::GetRecordDisplayText(Integer ARecordIndex, Integer AItemIndex,
                                                   AnsiString& AText)
{
  TcxCustomDataField* field = GetField(AItemIndex);
  CheckRecordRange(ARecordIndex);
  GetInternalDisplayText(ARecordIndex, field, AText);
}

AnsiString TcxCustomDataController::DisplayText(Integer ARecordIndex, Integer AItemIndex)
{
  AnsiString text;
  GetRecordDisplayText(ARecordIndex, AItemIndex, text);
  return text;
}

void TcxCustomDataController::GetInternalDisplayText(Integer ARecordIndex,
                                                     TcxCustomDataField* AField, AnsiString& AText)
{
  if (ARecordIndex >= 0 && IsProviderMode() && IsProviderField(AField))
    FProvider->GetDisplayText(ARecordIndex, AField, AText);
  else
    GetStoredDisplayText(ARecordIndex, AField, AText);
}

void TcxCustomDataController::GetStoredDisplayText(Integer ARecordIndex, TcxCustomDataField* AField,
                                                   AnsiString& AText)
{
  if (IsGridMode() && IsProviderField(AField)) {
    FProvider->GetGridModeDisplayText(ARecordIndex, AField, AText);
    return;
  }
  TcxValueDef* def = AField->ValueDef();
  if (!def) {
    AText.clear();
    return;
  }
  FDataStorage->GetDisplayText(ARecordIndex, def, AText);
}

void TcxCustomDataController::SetValue(Integer ARecordIndex, Integer AItemIndex,
                                       const Variant& AValue)
{
  if (IsGridMode())
    return;
  TcxCustomDataField* field = GetField(AItemIndex);
  CheckRecordRange(ARecordIndex);
  if (ARecordIndex >= 0 && IsProviderMode()) {
    FProvider->SetSourceValue(ARecordIndex, field, AValue);
    DataChanged(dcField, AItemIndex, ARecordIndex);
    return;
  }
  if (!field->ValueDef())
    return;
  SetStoredValue(ARecordIndex, field, AValue);
  DataChanged(dcField, AItemIndex, ARecordIndex);
}

void TcxCustomDataController::SetStoredValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                             const Variant& AValue)
{
  if (TcxValueDef* def = AField->ValueDef())
    FDataStorage->SetValue(ARecordIndex, def, AValue);
}

void TcxCustomDataController::SetDisplayText(Integer ARecordIndex, Integer AItemIndex,
                                             const AnsiString& AText)
{
  if (IsGridMode())
    return;
  TcxCustomDataField* field = GetField(AItemIndex);
  CheckRecordRange(ARecordIndex);
  if (ARecordIndex >= 0 && IsProviderMode()) {
    FProvider->SetDisplayText(ARecordIndex, field, AText);
    DataChanged(dcField, AItemIndex, ARecordIndex);
    return;
  }
  TcxValueDef* def = field->ValueDef();
  if (!def)
    return;
  FDataStorage->SetDisplayText(ARecordIndex, def, AText);
  DataChanged(dcField, AItemIndex, ARecordIndex);
}

void TcxCustomDataController::GetGroupValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                            Variant& AValue)
{
  GetInternalValue(ARecordIndex, AField, AValue);
}

void TcxCustomDataController::GetFilterDataValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                                 Variant& AValue)
{
  GetInternalValue(ARecordIndex, AField, AValue);
}

void TcxCustomDataController::GetSearchDisplayText(Integer ARecordIndex, Integer AItemIndex,
                                                   AnsiString& AText)
{
  GetRecordDisplayText(ARecordIndex, AItemIndex, AText);
}

void TcxCustomDataController::GetFilterDisplayText(Integer ARecordIndex, Integer AItemIndex,
                                                   AnsiString& AText)
{
  GetRecordDisplayText(ARecordIndex, AItemIndex, AText);
}

void TcxCustomDataController::GetGroupingValues(Integer ARecordIndex, TcxDataSummaryValues& AValues)
{
  TcxGroupingFieldList* grouping = FDataControllerInfo->GroupingFieldList();
  AValues.assign(static_cast<size_t>(grouping->Count()), Null());
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount())
    return;
  for (Integer i = 0; i < grouping->Count(); ++i)
    GetGroupValue(ARecordIndex, grouping->Fields(i), AValues[i]);
}

void TcxCustomDataController::GetFilterItemFieldName(TObject* AItem, AnsiString& AName)
{
  GetItemDisplayName(AItem, AName);
}

void TcxCustomDataController::GetKeyValue(Integer ARecordIndex,
                                          const std::vector<TcxCustomDataField*>& AFields,
                                          Variant& AValue)
{
  if (AFields.empty()) {
    if (IsProviderMode())
      FProvider->GetRecordId(ARecordIndex, AValue);
    else
      AValue = Null();
    return;
  }
  if (AFields.size() == 1) {
    GetInternalValue(ARecordIndex, AFields[0], AValue);
    return;
  }
  Variant result = VarArrayCreate({0, static_cast<Integer>(AFields.size()) - 1}, varVariant);
  for (size_t i = 0; i < AFields.size(); ++i) {
    Variant v;
    GetInternalValue(ARecordIndex, AFields[i], v);
    VarArrayPut(result, v, {static_cast<Integer>(i)});
  }
  AValue = result;
}

// ---- Sorting ----

TcxDataSortOrder TcxCustomDataController::GetItemSortOrder(Integer AItemIndex)
{
  TcxCustomDataField* field = GetField(AItemIndex);
  TcxDataSortOrder order = FDataControllerInfo->SortingFieldList()->SortOrderByField(field);
  if (order == soNone)
    order = FDataControllerInfo->GroupingFieldList()->SortOrderByField(field);
  return order;
}

Integer TcxCustomDataController::GetItemSortIndex(Integer AItemIndex)
{
  return FDataControllerInfo->SortingFieldList()->Find(GetField(AItemIndex));
}

void TcxCustomDataController::ChangeSortOrder(Integer AItemIndex, TcxDataSortOrder ASortOrder)
{
  TcxCustomDataField* field = GetField(AItemIndex);
  if (FDataControllerInfo->SortingFieldList()->SortOrderByField(field) == ASortOrder)
    return;
  FSortingChanged = true;
  FDataControllerInfo->ChangeSortOrder(field, ASortOrder);
}

void TcxCustomDataController::MoveSortingItem(Integer AItemIndex, Integer ASortIndex)
{
  TcxCustomDataField* field = GetField(AItemIndex);
  if (ASortIndex == GetItemSortIndex(AItemIndex))
    return;
  FDataControllerInfo->ChangeSortIndex(field, ASortIndex);
}

void TcxCustomDataController::ClearSorting(bool AKeepGroupedItems)
{
  FDataControllerInfo->ClearSorting(AKeepGroupedItems);
}

Integer TcxCustomDataController::GetSortingItemCount() const
{
  return FDataControllerInfo->SortingFieldList()->Count();
}

Integer TcxCustomDataController::GetSortingItemIndex(Integer AIndex) const
{
  return GetItemIndexOfField(FDataControllerInfo->SortingFieldList()->Fields(AIndex));
}

void TcxCustomDataController::ClearUpdateMarks()
{
  FGroupingChanged = false;
  FSortingChanged = false;
  FDataReloaded = false;
}

// ---- Refresh ----

void TcxCustomDataController::Refresh()
{
  TUpdateScope<TcxCustomDataController> update(*this);
  FDataControllerInfo->RefreshRecords();
}

void TcxCustomDataController::FilterChanged()
{
  Cancel();
  Refresh();
  CheckBookmarkValid(-1);
  RefreshSelectionSnapshot();
}

void TcxCustomDataController::StructureChanged(bool AFieldsChanged)
{
  FDataControllerInfo->LayoutOrSummaryChanged(AFieldsChanged);
}

void TcxCustomDataController::BeginLocate()
{
  ++FLocateCount;
  FProvider->BeginLocate();
}

void TcxCustomDataController::EndLocate()
{
  FProvider->EndLocate();
  --FLocateCount;
}
