// The dataset provider, its data link, the data mode controller, the detail filter adapter
// and the dataset value reader (cxDBData.h).
#include <algorithm>

#include "controls/cx/data/cxDBData.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"

namespace {

std::vector<TcxDBDataProvider*>& ProviderList()
{
  static std::vector<TcxDBDataProvider*> list;
  return list;
}

std::unique_ptr<TcxDBAdapterList>& DetailFilterList()
{
  static std::unique_ptr<TcxDBAdapterList> list;
  return list;
}

bool IsEditState(TDataSetState AState)
{
  return AState == dsEdit || AState == dsInsert || AState == dsSetKey;
}

// Runs AProc with AFlag set, restoring its value afterwards.
template <class Proc> void WithFlag(bool& AFlag, Proc AProc)
{
  bool saved = AFlag;
  AFlag = true;
  TScopeExit restore([&] { AFlag = saved; });
  AProc();
}

} // namespace

TcxDBAdapterList* cxDetailFilterControllers()
{
  return DetailFilterList().get();
}

void cxDetailFilterControllersReset(bool ACreate)
{
  DetailFilterList().reset();
  if (!ACreate)
    return;
  DetailFilterList() = std::make_unique<TcxDBAdapterList>();
  DetailFilterList()->RegisterAdapter(ClassInfoOf<TDataSet>(),
                                      ClassInfoOf<TcxDBProviderDetailFilterAdapter>());
}

// ---- TcxDBDataLink ----

TcxDBDataLink::TcxDBDataLink(TcxDBDataProvider* AProvider) : FProvider(AProvider)
{
  SetVisualControl(true);
}

void TcxDBDataLink::ActiveChanged()
{
  bool saved = FProvider->DataChangedLocked();
  FProvider->SetDataChangedLocked(true);
  TScopeExit restore([&] { FProvider->SetDataChangedLocked(saved); });
  FProvider->ActiveChanged(Active());
}

void TcxDBDataLink::DataEvent(TDataEvent Event, NativeInt Info)
{
  TDataLink::DataEvent(Event, Info);
  if (Event == deDisabledStateChange && Info == 0)
    FLayoutChangePending = true;
}

void TcxDBDataLink::DataSetChanged()
{
  if (FLayoutChangePending) {
    LayoutChanged();
    return;
  }
  TcxDBDataProvider* p = FProvider;
  TcxDBDataController* dc = p->DBDataController();
  const bool keyed = dc->HasRecordKeys();
  const bool gridMode = dc->IsGridMode();
  // Another view of the dataset is frozen or locating: the change waits for it.
  for (TcxDBDataProvider* other : p->ProvidersOfDataSet()) {
    if (other == p)
      continue;
    if (other->LockCount() > 0 || (keyed && other->LocateCount() > 0)) {
      if (other->DataController()->LocateCount() == 0)
        other->AddSkippedProvider(p);
      return;
    }
  }
  if (dc->IsMasterKeyChanged())
    return;
  if (gridMode && dc->IsDetailMode() && p->DataSetKeyValuesDiffer())
    return;
  for (TcxDBDataProvider* other : p->ProvidersOfDataSet()) {
    bool blocking = other->LockCount() > 0 || other->Replaying() ||
                    (other->LocateCount() > 0 && (keyed || gridMode));
    if (!blocking)
      continue;
    if (!p->EditCancelled() && (other->Replaying() || !gridMode || dc->LocateCount() == 0)) {
      DataSetScrolled(0);
      return;
    }
    break;
  }
  TDataSet* dataSet = p->DataSet();
  TDataSetState state = dataSet ? dataSet->State() : dsInactive;
  if (gridMode) {
    WithFlag(p->FInGridModeChange, [&] {
      TUpdateScope<TcxCustomDataController> update(*dc);
      p->UpdateGridModeWindow();
      if (dc->MultiSelect())
        dc->DBSelection()->DropInvalidBookmarks();
      dc->CheckBookmarkValid(-1);
      if (state == dsInsert)
        p->InsertFromDataSet();
    });
    return;
  }
  if (!IsEditState(state)) {
    TScopeExit reset([&] { p->ResetPendingRecordUpdate(); });
    if (p->IsSmartRefresh()) {
      p->ApplyPendingRecordUpdate();
      DataSetScrolled(0);
    } else {
      p->DataChanged(dcTotal, -1, -1);
    }
    return;
  }
  if (state == dsInsert) {
    bool detailOk = !dc->IsDetailMode() || p->IsDetailDataSetCurrent();
    if (detailOk && dc->DataModeController()->SyncInsert() && !dc->IsPattern() &&
        !p->InsertingFromProvider())
      p->InsertFromDataSet();
  }
}

void TcxDBDataLink::DataSetScrolled(Integer Distance)
{
  FProvider->FocusedRecordChanged(Distance);
}

void TcxDBDataLink::EditingChanged()
{
  TcxDBDataProvider* p = FProvider;
  TcxDBDataController* dc = p->DBDataController();
  TDataSet* dataSet = p->DataSet();
  TDataSetState state = Active() && dataSet ? dataSet->State() : dsInactive;
  if (state == dsEdit) {
    p->EditRecord();
    return;
  }
  if (state == dsInsert) {
    if (dc->IsGridMode() && !p->InInsertOperation())
      p->InsertFromDataSet();
    return;
  }
  if (state == dsSetKey)
    return;
  if (p->EditingRecordIndex() != cxNullEditingRecordIndex &&
      dc->IsNewItemRecord(p->EditingRecordIndex()) && p->PendingInserted()) {
    Integer appended = dc->AppendRecord();
    p->FUpdatedRecordIndex = appended;
    dc->CopyRecord(p->EditingRecordIndex(), appended);
  }
  p->ResetEditing();
}

void TcxDBDataLink::FocusControl(TField** Field)
{
  if (!Field || !*Field)
    return;
  TcxDBDataController* dc = FProvider->DBDataController();
  for (Integer i = 0; i < dc->GetItemCount(); ++i) {
    auto* field = static_cast<TcxDBDataField*>(dc->GetField(i));
    if (field->IsInternal() || field->Field() != *Field)
      continue;
    bool done = false;
    dc->FocusItemControl(i, done);
    if (done)
      *Field = nullptr;
    return;
  }
}

void TcxDBDataLink::LayoutChanged()
{
  FProvider->LayoutChanged(3);
  FLayoutChangePending = false;
}

void TcxDBDataLink::RecordChanged(TField* Field)
{
  FProvider->DataSetRecordChanged();
}

void TcxDBDataLink::UpdateData()
{
  TcxDBDataProvider* p = FProvider;
  if (p->IsChanging())
    p->DataController()->UpdateEditingValues();
  if (p->IsSmartRefresh())
    RecordChanged(nullptr);
  p->ResetChanging();
}

// ---- TcxDBDataModeController ----

TPersistent* TcxDBDataModeController::GetOwner()
{
  return FDataController;
}

void TcxDBDataModeController::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TcxDBDataModeController*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FDetailInSQLMode = source->FDetailInSQLMode;
  FSyncDetailsFocusWithMaster = source->FSyncDetailsFocusWithMaster;
  SetGridMode(source->FGridMode);
  SetGridModeBufferCount(source->FGridModeBufferCount);
  SetSmartRefresh(source->FSmartRefresh);
  FSyncInsert = source->FSyncInsert;
  SetSyncMode(source->FSyncMode);
  OnDetailFirst = source->OnDetailFirst;
  OnDetailIsCurrentQuery = source->OnDetailIsCurrentQuery;
}

void TcxDBDataModeController::SetGridMode(bool AValue)
{
  if (FGridMode == AValue)
    return;
  bool was = FDataController && FDataController->IsGridMode();
  FGridMode = AValue;
  if (FDataController && was != FDataController->IsGridMode())
    FDataController->RebuildStorage();
}

void TcxDBDataModeController::SetGridModeBufferCount(Integer AValue)
{
  AValue = std::max(AValue, 0);
  if (FGridModeBufferCount == AValue)
    return;
  FGridModeBufferCount = AValue;
  if (FDataController)
    FDataController->UpdateGridModeBufferCount();
}

void TcxDBDataModeController::SetSmartRefresh(bool AValue)
{
  if (FSmartRefresh == AValue)
    return;
  FSmartRefresh = AValue;
  if (FDataController && !FDataController->IsGridMode())
    FDataController->Provider()->FocusedRecordChanged(0);
}

void TcxDBDataModeController::SetSyncMode(bool AValue)
{
  if (FSyncMode == AValue)
    return;
  FSyncMode = AValue;
  if (FDataController && FDataController->Provider()->IsActive())
    FDataController->Provider()->FocusedRecordChanged(0);
}

bool TcxDBDataModeController::DetailIsCurrentQuery(const AnsiString& ADetailKeyFieldNames,
                                                   const Variant& AMasterKeyValues)
{
  TDataSet* dataSet = FDataController->DataSet();
  if (OnDetailIsCurrentQuery)
    return OnDetailIsCurrentQuery(this, dataSet, ADetailKeyFieldNames, AMasterKeyValues);
  return FDataController->GetDetailFilterAdapter()->IsCurrentQuery(dataSet, ADetailKeyFieldNames,
                                                                   AMasterKeyValues);
}

void TcxDBDataModeController::DetailFirst(const AnsiString& ADetailKeyFieldNames,
                                          const Variant& AMasterKeyValues, bool& AReopened)
{
  AReopened = false;
  TDataSet* dataSet = FDataController->DataSet();
  if (OnDetailFirst) {
    OnDetailFirst(this, dataSet, ADetailKeyFieldNames, AMasterKeyValues, AReopened);
    return;
  }
  FDataController->GetDetailFilterAdapter()->DetailFirst(
      dataSet, ADetailKeyFieldNames, AMasterKeyValues, FDetailInSQLMode, AReopened);
}

// ---- TcxDBProviderDetailFilterAdapter ----

TParams* TcxDBProviderDetailFilterAdapter::ParamsOf(TDataSet* ADataSet)
{
  if (!ADataSet)
    return nullptr;
  PPropInfo prop = GetPropInfo(ADataSet, "Params");
  if (!prop || prop->PropType->Kind != tkClass)
    return nullptr;
  return dynamic_cast<TParams*>(GetObjectProp(ADataSet, prop));
}

bool TcxDBProviderDetailFilterAdapter::IsCurrentQuery(TDataSet* ADataSet,
                                                      const AnsiString& AParamNames,
                                                      const Variant& AValues)
{
  TParams* params = ParamsOf(ADataSet);
  return params && VariantCompareEqual(params->ParamValues(AParamNames), AValues);
}

void TcxDBProviderDetailFilterAdapter::ReopenDataSet(TDataSet* ADataSet,
                                                     const AnsiString& AParamNames,
                                                     const Variant& AValues, bool& AReopened)
{
  TParams* params = ParamsOf(ADataSet);
  if (!params)
    return;
  if (ADataSet->Active() && VariantCompareEqual(params->ParamValues(AParamNames), AValues)) {
    ADataSet->First();
    return;
  }
  ADataSet->DisableControls();
  TScopeExit enable([&] { ADataSet->EnableControls(); });
  ADataSet->Close();
  params->SetParamValues(AParamNames, AValues);
  ADataSet->Open();
  AReopened = true;
}

void TcxDBProviderDetailFilterAdapter::DetailFirst(TDataSet* ADataSet,
                                                   const AnsiString& AParamNames,
                                                   const Variant& AValues, bool ASQLMode,
                                                   bool& AReopened)
{
  if (ASQLMode)
    ReopenDataSet(ADataSet, AParamNames, AValues, AReopened);
  else
    ADataSet->Locate(AParamNames, AValues, {});
}

// ---- TcxValueDefDBReader ----

namespace {

TField* TFieldOf(TcxValueDef* ADef)
{
  auto* field = dynamic_cast<TcxDBDataField*>(ADef->LinkedObject());
  return field ? field->Field() : nullptr;
}

} // namespace

void TcxValueDefDBReader::GetDisplayText(TcxValueDef* ADef, AnsiString& S)
{
  if (TField* field = TFieldOf(ADef))
    S = field->DisplayText();
  else
    TcxValueDefReader::GetDisplayText(ADef, S);
}

void TcxValueDefDBReader::GetValue(TcxValueDef* ADef, Variant& V)
{
  if (TField* field = TFieldOf(ADef))
    V = field->IsNull() ? Null() : field->Value();
  else
    TcxValueDefReader::GetValue(ADef, V);
}

bool TcxValueDefDBReader::IsInternalDef(TcxValueDef* ADef)
{
  auto* field = dynamic_cast<TcxCustomDataField*>(ADef->LinkedObject());
  return field && field->IsInternalField();
}

// ---- TcxDBDataProvider ----

TcxDBDataProvider::TcxDBDataProvider(TcxCustomDataController* ADataController)
    : TcxCustomDataProvider(ADataController), FDataLink(std::make_unique<TcxDBDataLink>(this))
{
  ProviderList().push_back(this);
}

TcxDBDataProvider::~TcxDBDataProvider()
{
  FDataLink.reset();
  for (TcxDBDataProvider* other : ProviderList())
    std::erase(other->FSkippedProviders, this);
  std::erase(ProviderList(), this);
}

const std::vector<TcxDBDataProvider*>& TcxDBDataProvider::AllProviders()
{
  return ProviderList();
}

TcxDBDataController* TcxDBDataProvider::DBDataController() const
{
  return static_cast<TcxDBDataController*>(DataController());
}

TDataSet* TcxDBDataProvider::DataSet() const
{
  return FDataLink ? FDataLink->DataSet() : nullptr;
}

void TcxDBDataProvider::SetDataSource(TDataSource* ADataSource)
{
  if (FDataLink->DataSource() != ADataSource)
    FDataLink->SetDataSource(ADataSource);
}

std::vector<TcxDBDataProvider*> TcxDBDataProvider::ProvidersOfDataSet() const
{
  std::vector<TcxDBDataProvider*> out;
  TDataSet* dataSet = DataSet();
  if (!dataSet)
    return out;
  for (TcxDBDataProvider* p : ProviderList())
    if (p->DataSet() == dataSet)
      out.push_back(p);
  return out;
}

void TcxDBDataProvider::AddSkippedProvider(TcxDBDataProvider* AProvider)
{
  if (std::find(FSkippedProviders.begin(), FSkippedProviders.end(), AProvider) ==
      FSkippedProviders.end())
    FSkippedProviders.push_back(AProvider);
}

void TcxDBDataProvider::ReplaySkippedChanges()
{
  if (FReplaying)
    return;
  FReplaying = true;
  TScopeExit end([&] { FReplaying = false; });
  while (!FSkippedProviders.empty()) {
    TcxDBDataProvider* p = FSkippedProviders.back();
    FSkippedProviders.pop_back();
    p->FDataLink->DataSetChanged();
  }
}

// ---- State ----

bool TcxDBDataProvider::IsGridMode()
{
  TcxDBDataController* dc = DBDataController();
  if (!dc->DataModeController() || !dc->DataModeController()->GridMode())
    return false;
  TDataSet* dataSet = DataSet();
  return !(dataSet && dataSet->IsUnidirectional()) && !Grouped() && !dc->IsPattern();
}

bool TcxDBDataProvider::IsActiveDataSet()
{
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->State() != dsInactive;
}

bool TcxDBDataProvider::IsOtherProviderInserting()
{
  for (TcxDBDataProvider* p : ProvidersOfDataSet())
    if (p != this && p->FInInsert)
      return true;
  return false;
}

bool TcxDBDataProvider::IsSyncMode()
{
  TDataSet* dataSet = DataSet();
  if (!dataSet || !dataSet->Active() || dataSet->IsUnidirectional())
    return false;
  TcxDBDataController* dc = DBDataController();
  TcxDBDataModeController* mode = dc->DataModeController();
  bool gridMode = IsGridMode();
  if (!gridMode && !mode->SyncMode())
    return false;
  if (dc->IsDetailMode()) {
    if (!mode->SyncDetailsFocusWithMaster())
      return false;
    if (mode->DetailInSQLMode() && !IsDetailDataSetCurrent())
      return false;
    if (!dc->HasRecordKeys() && !gridMode)
      return false;
  }
  return true;
}

bool TcxDBDataProvider::IsActive()
{
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->Active() && !dataSet->ControlsDisabled();
}

bool TcxDBDataProvider::CanUpdateFields()
{
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->FieldCount() > 0 && (dataSet->Active() || !dataSet->DefaultFields());
}

bool TcxDBDataProvider::IsBOF()
{
  TDataSet* dataSet = DataSet();
  return !dataSet || dataSet->BOF();
}

bool TcxDBDataProvider::IsEOF()
{
  TDataSet* dataSet = DataSet();
  if (!dataSet)
    return true;
  TcxDBDataController* dc = DBDataController();
  if (dc->IsDetailMode() && !IsGridMode()) {
    if (VarIsEmpty(dc->MasterKeyValues()) || dataSet->Eof())
      return true;
    return dataSet->State() == dsBrowse && DataSetKeyValuesDiffer();
  }
  return dataSet->Eof();
}

bool TcxDBDataProvider::DataSetKeyValuesDiffer()
{
  TcxDBDataController* dc = DBDataController();
  return !VariantCompareEqual(dc->GetDataSetDetailKeyValues(), dc->MasterKeyValues());
}

bool TcxDBDataProvider::IsEditing()
{
  TDataSet* dataSet = DataSet();
  return dataSet && IsEditState(dataSet->State());
}

bool TcxDBDataProvider::IsGridModeInserting()
{
  return IsGridMode() && FInGridModeChange;
}

bool TcxDBDataProvider::IsInserting()
{
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->State() == dsInsert;
}

bool TcxDBDataProvider::IsModified()
{
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->Modified();
}

bool TcxDBDataProvider::IsSmartRefresh()
{
  TcxDBDataController* dc = DBDataController();
  return dc->HasRecordKeys() && !IsGridMode() && dc->DataModeController()->SmartRefresh();
}

void TcxDBDataProvider::RecordLoaded(Integer ARecordIndex)
{
  if (DBDataController()->HasRecordKeys())
    return;
  TDataSet* dataSet = DataSet();
  if (!FSavedBookmark.empty() && dataSet && dataSet->BookmarkAvailable() &&
      dataSet->Bookmark() == FSavedBookmark)
    FCurrentRecordIndex = ARecordIndex;
}

// ---- Navigation ----

void TcxDBDataProvider::First()
{
  WithFlag(FInFirst, [&] {
    TcxCustomDataProvider::First();
    TDataSet* dataSet = DataSet();
    if (!dataSet)
      return;
    TcxDBDataController* dc = DBDataController();
    if (dc->IsDetailMode() && !IsGridMode()) {
      if (VarIsEmpty(dc->MasterKeyValues()))
        return;
      bool reopened = false;
      dc->DataModeController()->DetailFirst(dc->GetDetailKeyFieldNames(), dc->MasterKeyValues(),
                                            reopened);
      if (reopened)
        SavePos();
      MakeDetailDataSetCurrent();
      return;
    }
    dataSet->First();
  });
}

void TcxDBDataProvider::MakeDetailDataSetCurrent()
{
  TcxDBDataController* dc = DBDataController();
  TcxCustomDataController* root = dc->GetRootDataController();
  TcxCustomDataRelation* relation = dc->GetMasterRelation();
  auto leave = [&](TcxCustomDataController* ADetail) {
    auto* detail = dynamic_cast<TcxDBDataController*>(ADetail);
    if (!detail || detail == dc)
      return;
    TcxDBDataProvider* p = detail->Provider();
    if (p->FDetailDataSetCurrent) {
      p->FDetailDataSetCurrent = false;
      detail->InsertingChanged(false);
    }
    detail->RemoveFocusQuietly();
  };
  if (root && relation)
    root->ForEachDetail(relation, TEvent<void(TcxCustomDataController*)>(leave));
  FDetailDataSetCurrent = true;
  dc->InsertingChanged(true);
}

bool TcxDBDataProvider::IsDetailDataSetCurrent()
{
  TcxDBDataController* dc = DBDataController();
  TcxDBDataModeController* mode = dc->DataModeController();
  bool syncOutsideSQL = dc->IsDetailMode() && !mode->DetailInSQLMode() &&
                        (IsGridMode() || mode->SyncMode()) && mode->SyncDetailsFocusWithMaster();
  if (!syncOutsideSQL)
    return FDetailDataSetCurrent;
  if (FInCanInitEditing)
    return true;
  for (TcxDBDataProvider* p : ProvidersOfDataSet())
    if (p->FInCanInitEditing)
      return false;
  bool noFocus =
      dc->FocusedRowIndex() == -1 && (!FDetailDataSetCurrent || IsOtherProviderInserting());
  bool viaNewItemRow = dc->NewItemRowVisible() && dc->IsNewItemRowFocused() && IsInserting();
  if (!FInInsert && noFocus && !viaNewItemRow)
    return false;
  return true;
}

void TcxDBDataProvider::LeaveDetailDataSet()
{
  if (IsInserting() && DataSet())
    DataSet()->Cancel();
  if (FDetailDataSetCurrent) {
    FDetailDataSetCurrent = false;
    DBDataController()->InsertingChanged(false);
  }
}

void TcxDBDataProvider::Prior()
{
  if (TDataSet* dataSet = DataSet())
    dataSet->Prior();
}

void TcxDBDataProvider::Next()
{
  if (TDataSet* dataSet = DataSet())
    dataSet->Next();
}

void TcxDBDataProvider::Last()
{
  if (TDataSet* dataSet = DataSet())
    dataSet->Last();
}

void TcxDBDataProvider::MoveBy(Integer ADistance)
{
  if (TDataSet* dataSet = DataSet())
    dataSet->MoveBy(ADistance);
}

void TcxDBDataProvider::Scroll(Integer ADistance)
{
  TDataSet* dataSet = DataSet();
  if (!IsGridMode() || ADistance == 0 || !IsActive() || !dataSet)
    return;
  Integer active = FDataLink->ActiveRecord();
  if (ADistance < 0)
    dataSet->MoveBy(ADistance - active);
  else
    dataSet->MoveBy(ADistance + FDataLink->RecordCount() - active - 1);
  TcxDBDataController* dc = DBDataController();
  dc->RefreshSelectionSnapshot();
  dc->SetFocusedRowSelected(true);
}

void TcxDBDataProvider::SavePos()
{
  TDataSet* dataSet = DataSet();
  if (!dataSet || !dataSet->Active()) {
    FSavedBookmark.clear();
    return;
  }
  FSavedBookmark = dataSet->BookmarkAvailable() ? dataSet->Bookmark() : TBookmarkStr();
  FSavedActiveRecord = dataSet->ActiveRecord();
  FSavedBOF = dataSet->BOF();
  FSavedEOF = dataSet->Eof();
}

void TcxDBDataProvider::RestorePos()
{
  TDataSet* dataSet = DataSet();
  if (!dataSet || FSavedBookmark.empty() || !IsBookmarkValid(FSavedBookmark))
    return;
  try {
    dataSet->SetBookmark(FSavedBookmark);
    Integer r = FSavedActiveRecord;
    Integer count = dataSet->BufferCount();
    if (dataSet->ActiveRecord() > r) {
      dataSet->MoveBy(count - 1 - r);
      dataSet->MoveBy(r - count + 1);
    } else if (dataSet->ActiveRecord() < r) {
      dataSet->MoveBy(-r);
      dataSet->MoveBy(r);
    }
    if (FSavedBOF && !dataSet->BOF())
      dataSet->Prior();
    if (FSavedEOF && !dataSet->Eof())
      dataSet->Next();
  } catch (const EDatabaseError&) {
    // The record can no longer be reached: the dataset stays where it is.
  }
}

bool TcxDBDataProvider::IsBookmarkValid(const TBookmarkStr& ABookmark)
{
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->BookmarkValid(ABookmark);
}

Integer TcxDBDataProvider::CompareBookmarks(const TBookmarkStr& ABookmark1,
                                            const TBookmarkStr& ABookmark2)
{
  TDataSet* dataSet = DataSet();
  if (!FDataLink->Active() || !dataSet)
    return -1;
  return dataSet->CompareBookmarks(ABookmark1, ABookmark2);
}

// ---- Editing ----

bool TcxDBDataProvider::CanDelete()
{
  TDataSet* dataSet = DataSet();
  return CanModify() && dataSet && !dataSet->IsEmpty();
}

bool TcxDBDataProvider::InitEditing(Integer ARecordIndex)
{
  bool result = false;
  WithFlag(FInCanInitEditing, [&] {
    result = FDataLink->Edit();
    if (result)
      SetChanging();
  });
  return result;
}

bool TcxDBDataProvider::CanModify()
{
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->Active() && dataSet->CanModify() && IsSyncMode();
}

void TcxDBDataProvider::RunInsertOperation(void (TDataSet::*AOperation)())
{
  TDataSet* dataSet = DataSet();
  if (!dataSet)
    return;
  WithFlag(FInInsert, [&] {
    if (!IsEditState(dataSet->State())) {
      (dataSet->*AOperation)();
      return;
    }
    if (!IsSmartRefresh())
      dataSet->CheckBrowseMode();
    dataSet->DisableControls();
    TScopeExit enable([&] { dataSet->EnableControls(); });
    if (IsSmartRefresh() && IsEditState(dataSet->State())) {
      FDataLink->UpdateData();
      if (dataSet->Modified())
        dataSet->Post();
      else
        dataSet->Cancel();
      ApplyPendingRecordUpdate();
      ResetPendingRecordUpdate();
    }
    (dataSet->*AOperation)();
  });
}

void TcxDBDataProvider::Append()
{
  RunInsertOperation(&TDataSet::Append);
}

void TcxDBDataProvider::Insert()
{
  RunInsertOperation(&TDataSet::Insert);
}

void TcxDBDataProvider::Cancel()
{
  if (TDataSet* dataSet = DataSet())
    dataSet->Cancel();
}

void TcxDBDataProvider::Post()
{
  if (TDataSet* dataSet = DataSet())
    dataSet->Post();
}

void TcxDBDataProvider::Edit()
{
  if (TDataSet* dataSet = DataSet())
    dataSet->Edit();
}

void TcxDBDataProvider::InsertFromDataSet()
{
  bool saved = InsertingFromProvider();
  SetInsertingFromProvider(true);
  TScopeExit restore([&] { SetInsertingFromProvider(saved); });
  InsertNewRecord(IsEOF());
}

void TcxDBDataProvider::DeleteFocused()
{
  TDataSet* dataSet = DataSet();
  if (!dataSet)
    return;
  TcxDBDataController* dc = DBDataController();
  if (!IsSmartRefresh()) {
    dataSet->Delete();
    return;
  }
  Integer record = dc->FocusedRecordIndex();
  if (record == -1)
    return;
  dataSet->Delete();
  if (IsSmartRefresh()) {
    if (record < dc->RecordCount())
      dc->DeleteRecord(record);
    dc->UpdateFocused();
  }
}

void TcxDBDataProvider::DeleteRecords(const std::vector<Integer>& AList)
{
  TDataSet* dataSet = DataSet();
  if (!dataSet || AList.empty())
    return;
  TcxDBDataController* dc = DBDataController();
  dataSet->DisableControls();
  TScopeExit enable([&] { dataSet->EnableControls(); });
  if (dc->HasRecordKeys()) {
    std::vector<Variant> keys;
    keys.reserve(AList.size());
    for (Integer record : AList)
      keys.push_back(dc->GetRecordKeyValue(record));
    bool smart = IsSmartRefresh();
    for (size_t i = keys.size(); i-- > 0;) {
      if (smart) {
        Integer loaded = dc->FindRecordIndexByKey(keys[i]);
        if (loaded == -1)
          continue;
        if (dataSet->Locate(dc->KeyFieldNames(), keys[i], {})) {
          dataSet->Delete();
          dc->DeleteRecord(loaded);
        }
      } else if (dataSet->Locate(dc->KeyFieldNames(), keys[i], {})) {
        dataSet->Delete();
      }
    }
    if (smart)
      dc->UpdateFocused();
    return;
  }
  if (!dc->CanFocusRecord(AList.back()))
    return;
  Integer remaining = dc->RecordCount();
  Integer current = AList.back();
  for (size_t i = AList.size(); i-- > 0;) {
    Integer target = AList[i];
    if (target != current)
      dataSet->MoveBy(target - current);
    dataSet->Delete();
    bool wasLast = target == remaining - 1;
    --remaining;
    // The dataset stands on the record after the deleted one, or on the one before it when
    // the deleted record was the last.
    current = wasLast ? target - 1 : target;
  }
}

void TcxDBDataProvider::DeleteSelection()
{
  TcxDBDataController* dc = DBDataController();
  TDataSet* dataSet = DataSet();
  if (!IsGridMode() || !dataSet) {
    TcxCustomDataProvider::DeleteSelection();
    return;
  }
  TcxDBDataSelection* selection = dc->DBSelection();
  dataSet->DisableControls();
  TScopeExit enable([&] { dataSet->EnableControls(); });
  while (!selection->Bookmarks().empty()) {
    TBookmarkStr bookmark = selection->Bookmarks().back();
    if (dataSet->BookmarkValid(bookmark)) {
      dataSet->SetBookmark(bookmark);
      dataSet->Delete();
    }
    selection->Delete(selection->Count() - 1);
  }
}

Variant TcxDBDataProvider::GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                        TcxDataEditValueSource AEditValueSource)
{
  Variant value = Null();
  TField* field = static_cast<TcxDBDataField*>(AField)->Field();
  if (!field)
    return value;
  if (AEditValueSource == evsText) {
    value = field->Text();
  } else if (AEditValueSource == evsKey && field->Lookup()) {
    if (TDataSet* dataSet = field->DataSet())
      value = dataSet->FieldValues(field->KeyFields());
  } else if (!field->IsNull()) {
    value = field->Value();
  }
  return value;
}

bool TcxDBDataProvider::SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                     const Variant& AValue, TcxDataEditValueSource AEditValueSource)
{
  TField* field = static_cast<TcxDBDataField*>(AField)->Field();
  if (!field)
    return false;
  if (AEditValueSource == evsText || field->OnSetText)
    field->SetText(VarToStr(AValue));
  else if (AEditValueSource == evsKey && field->Lookup())
    field->DataSet()->SetFieldValues(field->KeyFields(), AValue);
  else
    field->SetValue(AValue);
  return true;
}

void TcxDBDataProvider::SetValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                 const Variant& AValue)
{
  TField* field = static_cast<TcxDBDataField*>(AField)->Field();
  if (!field)
    return;
  if (field->Lookup())
    field->DataSet()->SetFieldValues(field->KeyFields(), AValue);
  else
    field->SetValue(AValue);
}

void TcxDBDataProvider::UpdateData()
{
  FDataLink->UpdateRecord();
}

void TcxDBDataProvider::DoInitInsertingRecord(Integer AInsertingRecordIndex,
                                              const TcxDataSummaryValues& AGroupValues)
{
  TcxDBDataController* dc = DBDataController();
  if (FInInsert || FInCanInitEditing || IsOtherProviderInserting()) {
    TcxCustomDataProvider::DoInitInsertingRecord(AInsertingRecordIndex, AGroupValues);
    if (dc->Options().Contains(dcoAssignMasterDetailKeys) && dc->IsDetailMode()) {
      std::vector<TField*> fields = dc->DetailKeyDataSetFields();
      if (!fields.empty() && !VarIsEmpty(dc->MasterKeyValues()))
        VariantToFieldValues(DataSet(), fields, dc->MasterKeyValues());
    }
    dc->InsertingRecordInitialized(AInsertingRecordIndex);
  }
  dc->UpdateEditingRecord();
}

// ---- Locating and freezing ----

void TcxDBDataProvider::BeginLocate()
{
  TcxCustomDataProvider::BeginLocate();
  TDataSet* dataSet = DataSet();
  if (dataSet && IsEditState(dataSet->State()))
    for (TcxDBDataProvider* p : ProvidersOfDataSet())
      if (!p->DataController()->IsPattern())
        p->FEditCancelled = true;
}

void TcxDBDataProvider::Freeze()
{
  TcxCustomDataProvider::Freeze();
  TDataSet* dataSet = DataSet();
  if (!dataSet)
    return;
  dataSet->DisableControls();
  if (dataSet->Active() && IsEditState(dataSet->State())) {
    for (TcxDBDataProvider* p : ProvidersOfDataSet())
      if (!p->DataController()->IsPattern())
        p->FEditCancelled = true;
    dataSet->Cancel();
  }
}

void TcxDBDataProvider::Unfreeze()
{
  if (TDataSet* dataSet = DataSet())
    dataSet->EnableControls();
  TcxCustomDataProvider::Unfreeze();
}

// ---- Detail children ----

bool TcxDBDataProvider::HasDetailChildren(Integer ARecordIndex, Integer ARelationIndex)
{
  TcxDBDataController* dc = DBDataController();
  TcxCustomDataRelation* relation = dc->Relations()->Items(ARelationIndex);
  auto* detail = dynamic_cast<TcxDBDataController*>(relation->DetailDataController());
  auto* dbRelation = dynamic_cast<TcxDBDataRelation*>(relation);
  if (!detail || !dbRelation)
    return TcxCustomDataProvider::HasDetailChildren(ARecordIndex, ARelationIndex);
  Variant keys;
  dbRelation->GetMasterKeyValues(ARecordIndex, keys);
  if (dc->OnDetailHasChildren) {
    bool hasChildren = true;
    dc->OnDetailHasChildren(dc, ARecordIndex, ARelationIndex, detail->GetDetailKeyFieldNames(),
                            keys, hasChildren);
    return hasChildren;
  }
  if (detail->IsGridMode() || detail->DataModeController()->DetailInSQLMode())
    return true;
  TDataSet* detailSet = detail->DataSet();
  if (!detailSet || !detailSet->Active())
    return false;
  TcxDBDataProvider* p = detail->Provider();
  p->Freeze();
  TScopeExit unfreeze([&] { p->Unfreeze(); });
  p->SavePos();
  TScopeExit restore([&] { p->RestorePos(); });
  return detailSet->Locate(detail->GetDetailKeyFieldNames(), keys, {});
}

// ---- Grid mode ----

Integer TcxDBDataProvider::GridModeBufferCount()
{
  TcxDBDataController* dc = DBDataController();
  Integer count = dc->DataModeController()->GridModeBufferCount();
  return count != 0 ? count : dc->DefaultGridModeBufferCount();
}

namespace {

// Reads buffer row ARow of the link (restoring the active row afterwards).
template <class Proc> bool ReadRow(TcxDBDataLink* ALink, Integer ARow, Proc AProc)
{
  if (!ALink->Active() || ARow < 0 || ARow >= ALink->RecordCount())
    return false;
  Integer saved = ALink->ActiveRecord();
  ALink->SetActiveRecord(ARow);
  TScopeExit restore([&] { ALink->SetActiveRecord(saved); });
  AProc();
  return true;
}

} // namespace

void TcxDBDataProvider::GetGridModeDisplayText(Integer ARowIndex, TcxCustomDataField* AField,
                                               AnsiString& AText)
{
  AText.clear();
  TField* field = static_cast<TcxDBDataField*>(AField)->Field();
  if (!field)
    return;
  if (ReadRow(FDataLink.get(), ARowIndex, [&] { AText = field->DisplayText(); }))
    return;
  if (IsInserting() || FReadingCurrentRecord)
    AText = field->DisplayText();
}

Variant TcxDBDataProvider::GetGridModeValue(Integer ARowIndex, TcxCustomDataField* AField)
{
  Variant value = Null();
  TField* field = static_cast<TcxDBDataField*>(AField)->Field();
  if (!field)
    return value;
  auto read = [&] { value = field->IsNull() ? Null() : field->Value(); };
  if (ReadRow(FDataLink.get(), ARowIndex, read))
    return value;
  if (IsInserting() || FReadingCurrentRecord)
    read();
  return value;
}

Integer TcxDBDataProvider::GetCurrentRecordIndex()
{
  TcxDBDataController* dc = DBDataController();
  if (IsInserting()) {
    if (!FInGridModeChange)
      return EditingRecordIndex();
    if (dc->IsNewItemRowFocused())
      return dc->NewItemRecordIndex();
  }
  return FCurrentRecordIndex;
}

void TcxDBDataProvider::LoadGridModeBuffer()
{
  if (!IsGridMode() || !FDataLink->Active())
    return;
  FDataLink->SetBufferCount(GridModeBufferCount());
  TcxDBDataController* dc = DBDataController();
  dc->DataStorage()->Clear(false);
  dc->DataStorage()->SetRecordCount(FDataLink->RecordCount());
  FCurrentRecordIndex = FDataLink->ActiveRecord();
}

void TcxDBDataProvider::UpdateGridModeWindow()
{
  if (!IsGridMode() || !FDataLink->Active())
    return;
  TcxDBDataController* dc = DBDataController();
  Integer count = dc->RecordCount();
  FDataLink->SetBufferCount(GridModeBufferCount());
  FCurrentRecordIndex = FDataLink->ActiveRecord();
  if (FDataLink->RecordCount() == count) {
    DataChanged(dcRecord, -1, -1);
    dc->UpdateFocused();
  } else {
    DataChanged(dcTotal, -1, -1);
  }
}

bool TcxDBDataProvider::SearchInGridMode(Integer AItemIndex, const AnsiString& AText, bool AForward,
                                         bool ANext)
{
  TDataSet* dataSet = DataSet();
  if (!dataSet || IsEditing() || !dataSet->Active() || (dataSet->BOF() && dataSet->Eof()))
    return false;
  TcxDBDataController* dc = DBDataController();
  const AnsiString& text = AText;
  auto matches = [&] {
    AnsiString shown;
    WithFlag(FReadingCurrentRecord, [&] { dc->GetSearchDisplayText(-1, AItemIndex, shown); });
    return SearchTextMatches(shown, text, true);
  };
  if (!ANext && matches()) {
    dc->UpdateFocused();
    return true;
  }
  bool found = false;
  {
    Freeze();
    TScopeExit unfreeze([&] { Unfreeze(); });
    SavePos();
    TBookmarkStr start;
    // Steps once; false when the search stops at an end.
    auto step = [&]() -> bool {
      if (AForward)
        dataSet->Next();
      else
        dataSet->Prior();
      bool atEnd = AForward ? dataSet->Eof() : dataSet->BOF();
      if (!atEnd)
        return true;
      if (ANext) {
        start = FSavedBookmark;
        return false;
      }
      if (AForward)
        dataSet->First();
      else
        dataSet->Last();
      start = FSavedBookmark;
      return true;
    };
    bool beganAtEnd = dataSet->Eof() && !ANext;
    bool go = true;
    if (ANext)
      go = step();
    bool firstPass = true;
    while (go && (!dataSet->Eof() || ANext || (firstPass && beganAtEnd))) {
      firstPass = false;
      if (!start.empty() && CompareBookmarks(dataSet->Bookmark(), start) == 0)
        break;
      if (matches()) {
        found = true;
        break;
      }
      if (!step())
        break;
    }
    if (!found)
      RestorePos();
  }
  if (found) {
    dc->RefreshSelectionSnapshot();
    dc->NotifyChanges(dccLayout);
  }
  return found;
}

// ---- Events from the dataset ----

void TcxDBDataProvider::ActiveChanged(bool AActive)
{
  TcxCustomDataProvider::ActiveChanged(AActive);
  TDataSet* dataSet = DataSet();
  if (dataSet && !dataSet->Active() && dataSet->DefaultFields())
    DBDataController()->UpdateFieldsUnbound();
}

void TcxDBDataProvider::FocusedRecordChanged(Integer ADistance)
{
  TcxDBDataController* dc = DBDataController();
  bool gridMode = IsGridMode();
  if (gridMode) {
    FCurrentRecordIndex = FDataLink->ActiveRecord();
    if (ADistance != 0)
      dc->MarkDataChanged();
    TcxCustomDataController* pattern = dc->GetPatternDataController();
    if (!pattern || !pattern->HasRelations() || !pattern->Relations()->HasDetailControllers())
      dc->CollapseDetails();
  } else {
    FCurrentRecordIndex += ADistance;
  }
  TcxCustomDataProvider::FocusedRecordChanged(ADistance);
  TDataSet* dataSet = DataSet();
  if (gridMode && dataSet && dataSet->IsSequenced())
    dc->GridModeWindowScrolled();
}

void TcxDBDataProvider::LayoutChanged(Integer AKind)
{
  for (TcxDBDataProvider* p : ProvidersOfDataSet())
    if (p->LockCount() > 0 && p->DataController()->IsDetailMode()) {
      if (IsActive())
        DBDataController()->RebindFields();
      return;
    }
  TcxCustomDataProvider::LayoutChanged(AKind);
}

void TcxDBDataProvider::DataSetRecordChanged()
{
  TcxDBDataController* dc = DBDataController();
  bool detailNotCurrent = dc->IsDetailMode() &&
                          dc->DataModeController()->SyncDetailsFocusWithMaster() &&
                          !IsDetailDataSetCurrent();
  if (IsEditing() && !detailNotCurrent)
    dc->UpdateEditingRecord();
  ResetChanging();
}

// ---- Smart refresh ----

void TcxDBDataProvider::NoteEditingRecord(Integer ARecordIndex, bool AInserted)
{
  FUpdatePrevFocused = ARecordIndex;
  FUpdateInserted = AInserted;
}

void TcxDBDataProvider::ResetPendingRecordUpdate()
{
  FUpdatePrevFocused = cxNullEditingRecordIndex;
  FUpdateInserted = false;
  FUpdatedRecordIndex = -1;
}

void TcxDBDataProvider::DropPendingRecordUpdate(Integer ARecordIndex)
{
  if (ARecordIndex == FUpdatePrevFocused)
    FUpdatePrevFocused = cxNullEditingRecordIndex;
  if (ARecordIndex == FUpdatedRecordIndex)
    FUpdatedRecordIndex = -1;
}

void TcxDBDataProvider::ApplyPendingRecordUpdate()
{
  TcxDBDataController* dc = DBDataController();
  Integer prev = FUpdatePrevFocused;
  Integer upd = FUpdatedRecordIndex;
  if (prev != cxNullEditingRecordIndex) {
    Integer a = dc->FocusedRecordIndex();
    if (a == prev) {
      if (a < 0 && upd != -1)
        a = upd;
      Variant k1 = a >= 0 && a < dc->RecordCount() ? dc->GetRecordKeyValue(a) : Variant(Null());
      Variant k2 = dc->GetDataSetKeyValue();
      std::vector<TcxCustomDataField*> keys;
      dc->GetKeyFields(keys);
      bool autoIncKey = keys.size() == 1 && static_cast<TcxDBDataField*>(keys[0])->Field() &&
                        static_cast<TcxDBDataField*>(keys[0])->Field()->DataType() == ftAutoInc;
      if (VariantCompareEqual(k1, k2)) {
        dc->RefreshRecordFromDataSet(a);
      } else if (FUpdateInserted && VarIsNull(k1) && autoIncKey &&
                 dc->FindRecordIndexByKey(k2) == -1) {
        if (dc->IsNewItemRowFocused()) {
          a = upd;
          if (upd == -1) {
            Integer appended = dc->AppendRecord();
            dc->CopyRecord(dc->NewItemRecordIndex(), appended);
            a = appended;
          }
        }
        if (a >= 0)
          dc->RefreshRecordFromDataSet(a);
      } else {
        Integer b = dc->FindRecordIndexByKey(k2);
        if (b == -1 || b == a) {
          if (a >= 0 && a < dc->RecordCount())
            dc->DeleteRecord(a);
          dc->UpdateFocused();
        }
      }
    }
    if (a >= 0)
      dc->SetPendingChange(dcRecord, dc->PendingChangeItemIndex(), a);
  }
  dc->FilterChanged();
  dc->StructureChanged(false);
  FEditCancelled = false;
}
