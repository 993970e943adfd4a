// The data provider, the data fields and how the controller loads its storage from the
// provider (see cxCustomData.h).
#include <algorithm>

#include "controls/cx/data/cxCustomData.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"

// ---- Record source ----

TcxCustomDataController* TcxRecordSource::DataController() const
{
  TcxCustomDataProvider* provider = Provider();
  return provider ? provider->DataController() : nullptr;
}

// ---- Provider ----

TcxCustomDataProvider::TcxCustomDataProvider(TcxCustomDataController* ADataController)
    : FDataController(ADataController)
{
}

TcxCustomDataProvider::~TcxCustomDataProvider()
{
  FreeSavedRecord();
  if (FCustomDataSource) {
    if (FCustomDataSource->FOwnerProvider == this)
      FCustomDataSource->FOwnerProvider = nullptr;
    if (FCustomDataSource->FProvider == this)
      FCustomDataSource->FProvider = nullptr;
    FCustomDataSource = nullptr;
  }
}

bool TcxCustomDataProvider::SupportsRecordIds()
{
  return FCustomDataSource && FCustomDataSource->IsRecordIdSupported();
}

bool TcxCustomDataProvider::CanDelete()
{
  return FDataController->RecordCount() > 0;
}

void TcxCustomDataProvider::SetRecordSource(TcxRecordSource* ASource)
{
  if (!SupportsCustomSource() || ASource == FCustomDataSource)
    return;
  if (FCustomDataSource) {
    if (FCustomDataSource->FOwnerProvider == this)
      FCustomDataSource->FOwnerProvider = nullptr;
    if (FCustomDataSource->FProvider == this)
      FCustomDataSource->FProvider = nullptr;
  }
  FCustomDataSource = ASource;
  if (ASource && !ASource->FOwnerProvider)
    ASource->FOwnerProvider = this;
  if (!FDataController->IsDestroying())
    FDataController->RebuildStorage();
}

NativeInt TcxCustomDataProvider::GetRecordHandle(Integer ARecordIndex)
{
  TcxCustomDataField* field = FDataController->RecordHandleField();
  if (!field)
    return 0;
  Variant v;
  FDataController->GetStoredValue(ARecordIndex, field, v);
  return VarIsNull(v) ? 0 : static_cast<NativeInt>(v.AsInt64());
}

Integer TcxCustomDataProvider::GetRecordIndexByHandle(NativeInt AHandle)
{
  TcxCustomDataField* field = FDataController->RecordHandleField();
  if (!field || !field->ValueDef())
    return -1;
  TcxDataStorage* storage = FDataController->DataStorage();
  for (Integer i = 0; i < storage->RecordCount(); ++i) {
    Variant v;
    storage->GetValue(i, field->ValueDef(), v);
    if (!VarIsNull(v) && static_cast<NativeInt>(v.AsInt64()) == AHandle)
      return i;
  }
  return -1;
}

Integer TcxCustomDataProvider::AddRecordHandle(NativeInt AHandle)
{
  TcxDataStorage* storage = FDataController->DataStorage();
  Integer index = storage->AppendRecord();
  if (TcxCustomDataField* field = FDataController->RecordHandleField())
    FDataController->SetStoredValue(index, field, Variant(static_cast<Int64>(AHandle)));
  return index;
}

void TcxCustomDataProvider::LoadSourceRecords()
{
  if (FCustomDataSource) {
    FCustomDataSource->FProvider = this;
    FCustomDataSource->LoadRecords();
  }
}

NativeInt TcxCustomDataProvider::ItemHandleOf(TcxCustomDataField* AField)
{
  FCustomDataSource->FProvider = this;
  return FCustomDataSource->GetItemHandle(AField->Index());
}

Integer TcxCustomDataProvider::AppendRecord()
{
  if (!FCustomDataSource)
    return -1;
  FCustomDataSource->FProvider = this;
  return GetRecordIndexByHandle(FCustomDataSource->AppendRecord());
}

void TcxCustomDataProvider::DeleteRecord(Integer ARecordIndex)
{
  if (!FCustomDataSource)
    return;
  FCustomDataSource->FProvider = this;
  FCustomDataSource->DeleteRecord(GetRecordHandle(ARecordIndex));
}

bool TcxCustomDataProvider::HasDetailChildren(Integer ARecordIndex, Integer ARelationIndex)
{
  if (!FCustomDataSource)
    return false;
  FCustomDataSource->FProvider = this;
  return FCustomDataSource->HasDetailChildren(ARecordIndex, ARelationIndex);
}

void TcxCustomDataProvider::GetDisplayText(Integer ARecordIndex, TcxCustomDataField* AField,
                                           AnsiString& AText)
{
  AText.clear();
  if (!FCustomDataSource)
    return;
  FCustomDataSource->FProvider = this;
  FCustomDataSource->GetDisplayText(GetRecordHandle(ARecordIndex), ItemHandleOf(AField), AText);
}

void TcxCustomDataProvider::GetRecordId(Integer ARecordIndex, Variant& AValue)
{
  AValue = Null();
  if (!FCustomDataSource)
    return;
  FCustomDataSource->FProvider = this;
  FCustomDataSource->GetRecordId(GetRecordHandle(ARecordIndex), AValue);
}

Variant TcxCustomDataProvider::GetValue(Integer ARecordIndex, TcxCustomDataField* AField)
{
  Variant value = Null();
  if (!FCustomDataSource)
    return value;
  FCustomDataSource->FProvider = this;
  FCustomDataSource->GetValue(GetRecordHandle(ARecordIndex), ItemHandleOf(AField), value);
  return value;
}

Integer TcxCustomDataProvider::InsertRecord(Integer ARecordIndex)
{
  if (!FCustomDataSource)
    return -1;
  FCustomDataSource->FProvider = this;
  if (FCustomDataSource->IsInsertSupported())
    return GetRecordIndexByHandle(FCustomDataSource->InsertRecord(GetRecordHandle(ARecordIndex)));
  return GetRecordIndexByHandle(FCustomDataSource->AppendRecord());
}

Integer TcxCustomDataProvider::CompareValues(Integer ARecordIndex1, Integer ARecordIndex2,
                                             TcxCustomDataField* AField)
{
  TcxValueDef* def = AField->ValueDef();
  TcxDataStorage* storage = FDataController->DataStorage();
  if (!def)
    return 0;
  if (ARecordIndex1 < 0 && ARecordIndex2 < 0)
    return storage->CompareRecords(ARecordIndex1, ARecordIndex2, def);
  auto raw = [&](Integer ARecordIndex, const void*& AData) -> bool {
    if (ARecordIndex < 0)
      return storage->GetValueDataPointer(ARecordIndex, def, AData);
    if (!FCustomDataSource)
      return true;
    FCustomDataSource->FProvider = this;
    return !FCustomDataSource->GetValueBuffer(GetRecordHandle(ARecordIndex), ItemHandleOf(AField),
                                              AData);
  };
  const void* p1 = nullptr;
  const void* p2 = nullptr;
  bool null1 = raw(ARecordIndex1, p1), null2 = raw(ARecordIndex2, p2);
  return def->CompareNullable(null1, null2, p1, p2);
}

Integer TcxCustomDataProvider::CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2,
                                              TcxCustomDataField* AField)
{
  if (!FCustomDataSource)
    return 0;
  FCustomDataSource->FProvider = this;
  return FCustomDataSource->CompareRecords(GetRecordHandle(ARecordIndex1),
                                           GetRecordHandle(ARecordIndex2), ItemHandleOf(AField));
}

void TcxCustomDataProvider::SetRecordCount(Integer ACount)
{
  if (!FCustomDataSource)
    return;
  FCustomDataSource->FProvider = this;
  FCustomDataSource->SetRecordCount(ACount);
}

void TcxCustomDataProvider::SetSourceValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                           const Variant& AValue)
{
  if (!FCustomDataSource)
    return;
  FCustomDataSource->FProvider = this;
  FCustomDataSource->SetValue(GetRecordHandle(ARecordIndex), ItemHandleOf(AField), AValue);
}

void TcxCustomDataProvider::ActiveChanged(bool AActive)
{
  FDataController->ActiveChanged(AActive);
  ResetChanging();
}

void TcxCustomDataProvider::DataChanged(Byte AKind, Integer AItemIndex, Integer ARecordIndex)
{
  if (FLockCount == 0)
    FDataController->DataChanged(AKind, AItemIndex, ARecordIndex);
  if (FDataChangedLocked)
    ResetChanging();
  else
    ResetEditing();
}

void TcxCustomDataProvider::FocusedRecordChanged(Integer ADistance)
{
  FDataController->ProviderFocusChanged();
  ResetChanging();
}

void TcxCustomDataProvider::LayoutChanged(Integer AKind)
{
  FDataController->ReloadData(AKind);
}

// ---- Data fields ----

TcxCustomDataField::TcxCustomDataField(TcxCustomDataFieldList* AFieldList) : FFieldList(AFieldList)
{
}

TcxCustomDataField::~TcxCustomDataField()
{
  if (FFieldList)
    FFieldList->Remove(this);
  delete FValueDef;
  FValueDef = nullptr;
}

TcxCustomDataController* TcxCustomDataField::DataController() const
{
  return FFieldList->DataController();
}

Integer TcxCustomDataField::Index() const
{
  return FFieldList->IndexOf(this);
}

void TcxCustomDataField::AdoptValueDefinition(TcxCustomDataField* ASource)
{
  FReferenceField = nullptr;
  delete FValueDef;
  FValueDef = ASource->FValueDef;
  if (FValueDef)
    FValueDef->SetLinkedObject(this);
  FValueTypeClass = ASource->FValueTypeClass;
  ASource->FValueDef = nullptr;
  ASource->FValueTypeClass = nullptr;
}

bool TcxCustomDataField::CanModify(TcxDataEditValueSource AEditValueSource)
{
  return ValueDef() != nullptr || DataController()->IsProviderMode();
}

TcxValueDef* TcxCustomDataField::ValueDef() const
{
  const TcxCustomDataField* field = this;
  while (field->FReferenceField)
    field = field->FReferenceField;
  return field->FValueDef;
}

TcxValueTypeClass TcxCustomDataField::EffectiveValueTypeClass() const
{
  const TcxCustomDataField* field = this;
  while (field->FReferenceField)
    field = field->FReferenceField;
  return field->FValueTypeClass;
}

bool TcxCustomDataField::EffectiveTextStored() const
{
  const TcxCustomDataField* field = this;
  while (field->FReferenceField)
    field = field->FReferenceField;
  return field->FTextStored;
}

void TcxCustomDataField::ChangeValueType(TcxValueTypeClass AValue)
{
  if (FReferenceField || FValueTypeClass == AValue)
    return;
  BeginValueDefChange();
  TScopeExit end([&] { EndValueDefChange(); });
  FValueTypeClass = AValue;
}

void TcxCustomDataField::ChangeTextStoredFlag(bool AValue)
{
  if (FReferenceField || FTextStored == AValue)
    return;
  BeginValueDefChange();
  TScopeExit end([&] { EndValueDefChange(); });
  FTextStored = AValue;
}

void TcxCustomDataField::BeginValueDefChange()
{
  if (FRecreateLock == 0) {
    delete FValueDef;
    FValueDef = nullptr;
  }
  ++FRecreateLock;
}

void TcxCustomDataField::EndValueDefChange()
{
  if (--FRecreateLock == 0)
    BuildValueDefinition();
}

void TcxCustomDataField::BuildValueDefinition()
{
  if (FReferenceField || !FValueTypeClass)
    return;
  delete FValueDef;
  FValueDef = nullptr;
  FValueDef = DataController()->DataStorage()->ValueDefs()->Add(FValueTypeClass, FInternal, this,
                                                                EffectiveTextStored());
}

void TcxCustomDataField::DropValueDefinition()
{
  if (FReferenceField)
    return;
  delete FValueDef;
  FValueDef = nullptr;
}

void TcxCustomDataField::ReferTo(TcxCustomDataField* AValue)
{
  if (FReferenceField == AValue)
    return;
  TcxCustomDataField* end = AValue;
  while (end && end->FReferenceField)
    end = end->FReferenceField;
  if (end == this)
    return;
  if (!FReferenceField) {
    DropValueDefinition();
    FValueTypeClass = nullptr;
  }
  FReferenceField = end;
}

void TcxCustomDataField::ChangeInternal(bool AValue)
{
  if (FInternal == AValue)
    return;
  FInternal = AValue;
  if (FFieldList)
    FFieldList->RecountInternal();
}

void TcxCustomDataField::MoveTo(Integer AIndex)
{
  FFieldList->Move(Index(), AIndex);
}

void TcxCustomDataField::ChangedNotify()
{
  TcxCustomDataProvider* provider = DataController()->Provider();
  if (provider && provider->LockCount() == 0)
    provider->LayoutChanged(1);
}

// ---- Field list ----

TcxCustomDataFieldList::~TcxCustomDataFieldList()
{
  Clear();
}

void TcxCustomDataFieldList::ComponentRemoved(TComponent* AComponent)
{
  for (Integer i = 0; i < Count(); ++i)
    FItems[i]->ComponentRemoved(AComponent);
}

void TcxCustomDataFieldList::Add(TcxCustomDataField* AField)
{
  if (AField->IsInternal())
    FItems.push_back(AField);
  else
    FItems.insert(FItems.begin() + ItemCount(), AField);
  RecountInternal();
}

void TcxCustomDataFieldList::RedirectReferences(TcxCustomDataField* AField)
{
  TcxCustomDataField* first = nullptr;
  for (TcxCustomDataField* field : FItems) {
    if (field == AField || field->FReferenceField != AField)
      continue;
    if (!first) {
      field->AdoptValueDefinition(AField);
      first = field;
    } else {
      field->FReferenceField = first;
    }
  }
}

void TcxCustomDataFieldList::Remove(TcxCustomDataField* AField)
{
  auto it = std::find(FItems.begin(), FItems.end(), AField);
  if (it == FItems.end())
    return;
  FFieldDestroyed = true;
  FDataController->FieldRemoved(AField);
  RedirectReferences(AField);
  FItems.erase(std::find(FItems.begin(), FItems.end(), AField));
  RecountInternal();
}

void TcxCustomDataFieldList::Clear()
{
  while (!FItems.empty())
    delete FItems.back();
}

TcxCustomDataField* TcxCustomDataFieldList::FindByItem(TObject* AItem) const
{
  for (TcxCustomDataField* field : FItems)
    if (field->Item() == AItem)
      return field;
  return nullptr;
}

TcxCustomDataField* TcxCustomDataFieldList::Items(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= Count())
    throw EListError(Format(SListIndexError, {AIndex}));
  return FItems[AIndex];
}

Integer TcxCustomDataFieldList::IndexOf(const TcxCustomDataField* AField) const
{
  auto it = std::find(FItems.begin(), FItems.end(), AField);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

void TcxCustomDataFieldList::Move(Integer ACurIndex, Integer ANewIndex)
{
  if (ACurIndex < 0 || ACurIndex >= Count() || ANewIndex < 0 || ANewIndex >= Count() ||
      ACurIndex == ANewIndex)
    return;
  TcxCustomDataField* field = FItems[ACurIndex];
  FItems.erase(FItems.begin() + ACurIndex);
  FItems.insert(FItems.begin() + ANewIndex, field);
}

void TcxCustomDataFieldList::RecountInternal()
{
  FInternalCount = 0;
  for (TcxCustomDataField* field : FItems)
    FInternalCount += field->IsInternal() ? 1 : 0;
}

// ---- Readers ----

void TcxValueDefUnboundReader::GetValue(TcxValueDef* ADef, Variant& V)
{
  TcxValueDef* def = ADef;
  if (auto* internal = dynamic_cast<TcxInternalValueDef*>(ADef))
    def = internal->LinkedValueDef();
  auto it = std::find(FDefs.begin(), FDefs.end(), def);
  if (it == FDefs.end()) {
    V = Null();
    return;
  }
  size_t index = static_cast<size_t>(it - FDefs.begin());
  if (index < FValues.size() && FValues[index])
    V = *FValues[index];
  else
    V = Null();
}

bool TcxValueDefUnboundReader::IsInternalDef(TcxValueDef* ADef)
{
  auto* field = dynamic_cast<TcxCustomDataField*>(ADef->LinkedObject());
  return field && field->IsInternalField();
}

void TcxValueDefUnboundReader::SetValue(TcxValueDef* ADef, const Variant& V)
{
  auto it = std::find(FDefs.begin(), FDefs.end(), ADef);
  size_t index = static_cast<size_t>(it - FDefs.begin());
  if (it == FDefs.end())
    FDefs.push_back(ADef);
  if (FValues.size() < FDefs.size())
    FValues.resize(FDefs.size());
  if (!FValues[index])
    FValues[index] = std::make_unique<Variant>();
  *FValues[index] = V;
}

void TcxValueDefUnboundReader::TruncateValues(Integer ACount)
{
  if (ACount < 0)
    ACount = 0;
  if (static_cast<size_t>(ACount) < FValues.size())
    FValues.resize(static_cast<size_t>(ACount));
}

void TcxValueDefRecordReader::GetDisplayText(TcxValueDef* ADef, AnsiString& S)
{
  auto* field = dynamic_cast<TcxCustomDataField*>(ADef->LinkedObject());
  if (!field || field->IsInternalField()) {
    S.clear();
    return;
  }
  FDataController->GetInternalDisplayText(FRecordIndex, field, S);
}

void TcxValueDefRecordReader::GetValue(TcxValueDef* ADef, Variant& V)
{
  auto* field = dynamic_cast<TcxCustomDataField*>(ADef->LinkedObject());
  if (!field) {
    V = Null();
    return;
  }
  FDataController->GetInternalValue(FRecordIndex, field, V);
}

bool TcxValueDefRecordReader::IsInternalDef(TcxValueDef* ADef)
{
  auto* field = dynamic_cast<TcxCustomDataField*>(ADef->LinkedObject());
  return field && field->IsInternalField();
}

// ---- Controller: fields and loading ----

TcxCustomDataField* TcxCustomDataController::AddField()
{
  TcxCustomDataField* field = CreateField();
  FFields->Add(field);
  return field;
}

TcxCustomDataField* TcxCustomDataController::AddInternalField()
{
  TcxCustomDataField* field = CreateField();
  field->FInternal = true;
  FFields->Add(field);
  return field;
}

bool TcxCustomDataController::IsProviderField(TcxCustomDataField* AField)
{
  if (!AField->IsInternalField())
    return true;
  TcxCustomDataField* reference = AField->ReferenceField();
  return reference && !reference->IsInternalField();
}

bool TcxCustomDataController::IsProviderMode()
{
  return FProvider && FProvider->RecordSource() != nullptr;
}

bool TcxCustomDataController::CanReloadData()
{
  return IsProviderMode() || FStructureChanged;
}

bool TcxCustomDataController::IsGridModeUpdatePending()
{
  return IsGridMode() && FReloadPendingWhileLocked;
}

void TcxCustomDataController::SetRecordSource(TcxRecordSource* ASource)
{
  FProvider->SetRecordSource(ASource);
}

TcxRecordSource* TcxCustomDataController::RecordSource() const
{
  return FProvider->RecordSource();
}

void TcxCustomDataController::ActiveChanged(bool AActive)
{
  FActive = AActive;
  RequestReload(FProvider->IsActive());
  if (TcxCustomDataController* master = GetMasterDataController())
    master->ClearHasChildrenCache();
}

void TcxCustomDataController::ReloadData(Integer AKind)
{
  RequestReload(FProvider->IsActive());
}

void TcxCustomDataController::RequestReload(bool AForce)
{
  if (FInRequestReload)
    return;
  FInRequestReload = true;
  TScopeExit end([&] { FInRequestReload = false; });
  if (FDataControllerInfo->IsLocked())
    FReloadPendingWhileLocked = true;
  if (CanReloadData())
    DoReload(AForce);
}

void TcxCustomDataController::DoReload(bool AForce)
{
  TUpdateScope<TcxCustomDataController> update(*this);
  TScopeExit end([&] {
    FDataControllerInfo->RefreshRecords();
    FInRequestReload = false;
    FStructureChanged = false;
  });
  if (!CanReloadData())
    return;
  if ((AForce || FProvider->CanUpdateFields()) &&
      !(FProvider->IsGridModeInserting() && GetEditState().Contains(dceInsert)))
    UpdateFields();
  if (!FReloadPendingWhileLocked)
    LoadStorage();
}

void TcxCustomDataController::UpdateFields()
{
  for (Integer i = 0; i < FFields->Count(); ++i)
    FFields->Items(i)->SetVisited(false);
  bool again = true;
  while (again) {
    again = false;
    FFields->SetFieldDestroyed(false);
    for (Integer i = 0; i < FFields->Count(); ++i) {
      TcxCustomDataField* field = FFields->Items(i);
      if (field->Visited())
        continue;
      field->SetVisited(true);
      UpdateField(field);
      if (FFields->FieldDestroyed()) {
        again = true;
        break;
      }
    }
  }
}

void TcxCustomDataController::LoadStorage()
{
  if (!(AppendsByReader() && FInAppending))
    FDataStorage->Clear(FProvider->DataChangedLocked());
  if (FProvider->IsActive() && !AppendsByReader()) {
    if (!IsPattern())
      LoadRecords();
    FInFocusRefresh = true;
    TScopeExit end([&] { FInFocusRefresh = false; });
    RecordsRemoved(-1);
    UpdateFocused();
  }
  NotifyChanges(dccData);
  DataLoadFinished();
}

void TcxCustomDataController::LoadRecords()
{
  if (IsGridMode()) {
    FDataStorage->BeginLoad();
    FProvider->LoadGridModeBuffer();
    FDataStorage->EndLoad();
    return;
  }
  FProvider->Freeze();
  TScopeExit unfreeze([&] { FProvider->Unfreeze(); });
  FProvider->SavePos();
  FProvider->First();
  if (FProvider->FieldsRecreated())
    UpdateFields();
  FDataStorage->BeginLoad();
  {
    TScopeExit endLoad([&] { FDataStorage->EndLoad(); });
    if (IsProviderMode()) {
      FProvider->LoadSourceRecords();
    } else {
      std::unique_ptr<TcxValueDefReader> reader(FProvider->CreateValueDefReader());
      while (!FProvider->IsEOF()) {
        Integer index = FDataStorage->AppendRecord();
        FDataStorage->ReadRecord(index, reader.get(), true);
        RecordLoaded(index);
        FProvider->Next();
      }
    }
  }
  FDataReloaded = true;
  FProvider->RestorePos();
}

void TcxCustomDataController::RecordLoaded(Integer ARecordIndex)
{
  FProvider->RecordLoaded(ARecordIndex);
}

void TcxCustomDataController::BeginReadRecords()
{
  FProvider->Freeze();
  FProvider->SavePos();
  FDataStorage->BeginLoad();
}

void TcxCustomDataController::EndReadRecords()
{
  FDataStorage->EndLoad();
  FProvider->RestorePos();
  FProvider->Unfreeze();
  UpdateFocused();
  FDataControllerInfo->RefreshRecords();
}

Integer TcxCustomDataController::AddRecordFromReader(TcxValueDefReader* AReader)
{
  Integer index = FDataStorage->AppendRecord();
  FDataStorage->ReadRecord(index, AReader, true);
  RecordLoaded(index);
  return index;
}

Integer TcxCustomDataController::AddRecordFromHandle(NativeInt AHandle)
{
  return FProvider->AddRecordHandle(AHandle);
}

Integer TcxCustomDataController::AppendRecordByReader()
{
  FInAppending = true;
  TScopeExit end([&] { FInAppending = false; });
  if (IsProviderMode()) {
    if (TcxRecordSource* source = FProvider->RecordSource())
      return AddRecordFromHandle(source->AppendRecord());
    return -1;
  }
  std::unique_ptr<TcxValueDefReader> reader(FProvider->CreateValueDefReader());
  Integer index = AddRecordFromReader(reader.get());
  DataChanged(dcNewRecord, -1, -1);
  return index;
}

void TcxCustomDataController::DeleteStorageRecord(Integer ARecordIndex)
{
  if (IsProviderMode())
    FProvider->DeleteRecord(ARecordIndex);
  FDataStorage->DeleteRecord(ARecordIndex);
}

void TcxCustomDataController::RebuildStorage()
{
  TUpdateScope<TcxCustomDataController> update(*this);
  FProvider->ResetEditing();
  FDataStorage->Clear(false);
  ClearBookmarkValue();
  RecordsRemoved(-1);
  FDataStorage->SetStoredValuesOnly(IsProviderMode() || IsGridMode());
  if (!IsProviderMode()) {
    delete FRecordHandleField;
    FRecordHandleField = nullptr;
  } else if (!FRecordHandleField) {
    // Record handles are the source's choice: pointer-sized, so a source may use addresses.
    FRecordHandleField = AddInternalField();
    FRecordHandleField->ChangeValueType(TcxLargeIntValueType::Class());
  }
  FStructureChanged = true;
  ReloadData(2);
}

void TcxCustomDataController::DataLoadFinished()
{
  if (GetDetailMode() == dcdmClone)
    NotifyChanges(dccMaster);
  DataLoaded();
}

void TcxCustomDataController::StoreCopiedValue(TcxValueDef* AValueDef, Integer ASourceRecordIndex,
                                               Integer ADestRecordIndex)
{
  auto* field = dynamic_cast<TcxCustomDataField*>(AValueDef->LinkedObject());
  if (!field || field->IsInternalField())
    return;
  Variant value;
  FDataStorage->GetValue(ASourceRecordIndex, AValueDef, value);
  FProvider->SetSourceValue(ADestRecordIndex, field, value);
  if (AValueDef->TextStoredEffective()) {
    AnsiString text;
    FDataStorage->GetDisplayText(ASourceRecordIndex, AValueDef, text);
    FProvider->SetDisplayText(ADestRecordIndex, field, text);
  }
}

void TcxCustomDataController::FieldRemoved(TcxCustomDataField* AField)
{
  if (AField == FRecordHandleField)
    FRecordHandleField = nullptr;
  if (FDestroying)
    return;
  if (FRelations)
    FRelations->FieldRemoved(AField);
  if (FFilter)
    FFilter->RemoveItemsByItemLink(AField);
  if (FSummary)
    FSummary->FieldRemoved(AField);
  if (AField == FFindFilterField)
    ResetFindFilter();
  if (AField == FSearchField) {
    FSearch->StopSearch();
    FSearchField = nullptr;
  }
}

void TcxCustomDataController::UpdateGroupingState()
{
  bool grouped = FDataControllerInfo->GroupingFieldList()->Count() > 0;
  if (FProvider->Grouped() == grouped)
    return;
  bool gridMode = IsGridMode();
  FProvider->SetGrouped(grouped);
  if (gridMode != IsGridMode())
    RebuildStorage();
}
