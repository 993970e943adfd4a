// Editing in the data controller and its in-memory provider: Edit, Insert, Append, Post,
// Cancel and deletion, the saved copy of an edited record and the new-item row (see
// cxCustomData.h).
#include <algorithm>

#include "controls/cx/data/cxCustomData.h"
#include "platform/rtl/ScopeGuard.h"

// ---- Provider ----

bool TcxCustomDataProvider::InitEditing(Integer ARecordIndex)
{
  FDataController->CheckRecordRange(ARecordIndex);
  if (!IsEditing())
    DoEdit();
  if (IsEditing())
    FChanging = true;
  return true;
}

void TcxCustomDataProvider::SaveEditingRecord()
{
  TcxDataStorage* storage = FDataController->DataStorage();
  if (FSavedRecordIndex == 0)
    FSavedRecordIndex = storage->AddInternalRecord();
  FDataController->CopyRecord(FEditingRecordIndex, FSavedRecordIndex);
}

void TcxCustomDataProvider::FreeSavedRecord()
{
  if (FSavedRecordIndex != 0) {
    if (FDataController && FDataController->DataStorage() &&
        -FSavedRecordIndex - 1 < FDataController->DataStorage()->InternalRecordCount())
      FDataController->DataStorage()->ReleaseInternalRecord(FSavedRecordIndex);
    FSavedRecordIndex = 0;
  }
}

void TcxCustomDataProvider::EditRecord()
{
  TcxCustomDataController* dc = FDataController;
  if (dc->NewItemRowVisible() && dc->IsNewItemRowFocused() && !IsInserting()) {
    Insert();
    return;
  }
  FEditingRecordIndex = dc->GetEditRecordIndexCandidate();
  if (FEditingRecordIndex >= 0) {
    SetNeighbours(cxNullEditingRecordIndex, cxNullEditingRecordIndex);
    Integer row = dc->FocusedRowIndex();
    if (row != -1) {
      if (row < dc->RowCount() - 1)
        FEditingRecordIndex2 = dc->GetRowInfo(row + 1).RecordIndex;
      else
        FEditingRecordIndex1 = dc->GetRowInfo(row - 1 < 0 ? row : row - 1).RecordIndex;
    }
  }
  if (FEditingRecordIndex != cxNullEditingRecordIndex) {
    if (!IsActiveDataSet() && !FInserting)
      SaveEditingRecord();
    dc->NotifyChanges(dccUpdateRecord);
  }
}

void TcxCustomDataProvider::InsertNewRecord(bool AAppend)
{
  TcxCustomDataController* dc = FDataController;
  if (!IsActiveDataSet() && IsInserting() && !FChanging && !FModified)
    return; // an untouched inserted record stays
  if (IsEditing() && (FChanging || FModified) && !IsActiveDataSet()) {
    if (FChanging)
      UpdateData();
    Post();
  }
  dc->DoBeforeInsert();
  {
    TUpdateScope<TcxCustomDataController> update(*dc);
    TcxDataSummaryValues groupValues;
    if (dc->NewItemRowVisible()) {
      Integer anchor = dc->FocusedRecordIndex();
      if (anchor == -1 && dc->RowCount() > 0)
        anchor = dc->GetRowInfo(0).RecordIndex;
      FEditingRecordIndex = dc->NewItemRecordIndex();
      dc->SetNewItemRowFocused(true);
      dc->GetGroupingValues(anchor, groupValues);
    } else {
      if (!AAppend)
        dc->ClearRowSelection();
      if (dc->IsGridMode()) {
        Integer anchor = dc->GetActiveRecordIndex();
        dc->GetGroupingValues(anchor, groupValues);
        FEditingRecordIndex = anchor;
      } else if (AAppend) {
        Integer last = dc->RowCount() > 0 ? dc->GetRowInfo(dc->RowCount() - 1).RecordIndex : -1;
        dc->GetGroupingValues(last, groupValues);
        FEditingRecordIndex = dc->AppendRecord();
        SetNeighbours(last, cxNullEditingRecordIndex);
      } else {
        Integer row = dc->FocusedRowIndex();
        Integer before = row != -1 ? dc->GetRowInfo(row).RecordIndex : 0;
        if (before < 0)
          before = 0;
        dc->GetGroupingValues(before, groupValues);
        FEditingRecordIndex = dc->InsertRecord(std::min(before, dc->RecordCount()));
        SetNeighbours(cxNullEditingRecordIndex, before + 1);
      }
    }
    DoInitInsertingRecord(FEditingRecordIndex, groupValues);
    FChanging = false;
    FInserting = true;
  }
  dc->SetFocusedRecordIndex(FEditingRecordIndex);
  dc->DoAfterInsert();
}

void TcxCustomDataProvider::DoInitInsertingRecord(Integer AInsertingRecordIndex,
                                                  const TcxDataSummaryValues& AGroupValues)
{
  FDataController->DoInitInsertingRecord(AInsertingRecordIndex, AGroupValues);
}

void TcxCustomDataProvider::Post()
{
  TcxCustomDataController* dc = FDataController;
  if (FChanging)
    dc->UpdateEditingValues();
  Integer record = FEditingRecordIndex;
  bool posted = false;
  if (!FInserting || FModified) {
    dc->DoBeforePost();
    record = FEditingRecordIndex;
    if (FInserting && dc->NewItemRowVisible() && FEditingRecordIndex != cxNullEditingRecordIndex &&
        dc->IsNewItemRecord(FEditingRecordIndex)) {
      bool wasLocked = FDataChangedLocked;
      if (dc->IsProviderMode())
        FDataChangedLocked = true;
      Integer appended;
      {
        TScopeExit unlock([&] { FDataChangedLocked = wasLocked; });
        appended = dc->AppendRecord();
      }
      FInsertedRecordIndex = appended;
      record = appended;
      dc->CopyRecord(FEditingRecordIndex, appended);
    }
    ResetEditing();
    posted = true;
  } else {
    Cancel();
    record = -1;
  }
  dc->DataChanged(dcRecord, -1, record);
  if (posted)
    dc->DoAfterPost();
}

void TcxCustomDataProvider::Cancel()
{
  TcxCustomDataController* dc = FDataController;
  dc->DoBeforeCancel();
  {
    TUpdateScope<TcxCustomDataController> update(*dc);
    Integer record = FEditingRecordIndex;
    if (record != cxNullEditingRecordIndex &&
        (record < dc->RecordCount() || dc->IsNewItemRecord(record))) {
      if (FInserting) {
        if (record >= 0) {
          Integer focused = dc->FocusedRecordIndex();
          bool guard = dc->AppendsByReader();
          bool saved = dc->AppendingGuard();
          dc->SetAppendingGuard(guard || saved);
          {
            TScopeExit restore([&] { dc->SetAppendingGuard(saved); });
            dc->DeleteRecord(record);
          }
          if (focused >= dc->RecordCount() && focused > 0)
            dc->SetFocusedRecordIndex(focused - 1);
        }
      } else if (FSavedRecordIndex != 0) {
        dc->CopyRecord(FSavedRecordIndex, record);
      }
    }
    ResetEditing();
  }
  dc->DoAfterCancel();
}

void TcxCustomDataProvider::ResetEditing()
{
  TcxCustomDataController* dc = FDataController;
  if (FEditingRecordIndex < 0 && FEditingRecordIndex != cxNullEditingRecordIndex &&
      dc->DataStorage() && dc->IsNewItemRecord(FEditingRecordIndex)) {
    dc->DataStorage()->ReleaseInternalRecord(FEditingRecordIndex);
  }
  FEditingRecordIndex = cxNullEditingRecordIndex;
  SetNeighbours(cxNullEditingRecordIndex, cxNullEditingRecordIndex);
  FInserting = false;
  FChanging = false;
  FModified = false;
  FreeSavedRecord();
}

void TcxCustomDataProvider::UpdateData()
{
  if (FChanging)
    FDataController->UpdateEditingValues();
  FChanging = false;
}

Variant TcxCustomDataProvider::GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                            TcxDataEditValueSource AEditValueSource)
{
  if (ARecordIndex == cxNullEditingRecordIndex)
    cxDataControllerError(cxSDataRecordIndexError);
  Variant value;
  FDataController->GetInternalValue(ARecordIndex, AField, value);
  return value;
}

bool TcxCustomDataProvider::SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                         const Variant& AValue,
                                         TcxDataEditValueSource AEditValueSource)
{
  if (AEditValueSource == evsText && VarToStr(AValue).empty())
    SetValue(ARecordIndex, AField, Null());
  else
    SetValue(ARecordIndex, AField, AValue);
  FModified = true;
  return true;
}

void TcxCustomDataProvider::SetValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                     const Variant& AValue)
{
  FDataController->SetValue(ARecordIndex, FDataController->GetItemIndexOfField(AField), AValue);
}

void TcxCustomDataProvider::DeleteFocused()
{
  TcxCustomDataController* dc = FDataController;
  Integer record = dc->FocusedRecordIndex();
  if (record == -1)
    return;
  dc->DoBeforeDelete(record);
  bool keyed = dc->IsProviderMode();
  if (keyed)
    dc->SaveKeys();
  {
    TScopeExit restore([&] {
      if (keyed)
        dc->RestoreKeys();
    });
    dc->DeleteRecord(record);
  }
  dc->FocusLastIfNone();
  dc->DoAfterDelete();
}

void TcxCustomDataProvider::DeleteRecords(const std::vector<Integer>& AList)
{
  TcxCustomDataController* dc = FDataController;
  bool keyed = dc->IsProviderMode();
  if (keyed)
    dc->SaveKeys();
  TScopeExit restore([&] {
    if (keyed)
      dc->RestoreKeys();
  });
  {
    dc->BeginFullUpdate();
    TScopeExit end([&] { dc->EndFullUpdate(); });
    for (auto it = AList.rbegin(); it != AList.rend(); ++it) {
      dc->DoBeforeDelete(*it);
      dc->DeleteRecord(*it);
      dc->DoAfterDelete();
    }
  }
  if (!dc->LockCountPositive())
    dc->FocusLastIfNone();
}

void TcxCustomDataProvider::DeleteSelection()
{
  TcxCustomDataController* dc = FDataController;
  std::vector<Integer> records;
  for (Integer i = 0; i < dc->GetSelectedCount(); ++i) {
    Integer row = dc->GetSelectedRowIndex(i);
    if (row < 0 || row >= dc->RowCount())
      continue;
    TcxDataRowInfo info = dc->GetRowInfo(row);
    if (info.Level < dc->Groups()->GroupingItemCount())
      dc->Groups()->LoadRecordIndexesByRowIndex(records, row);
    else
      records.push_back(info.RecordIndex);
  }
  std::sort(records.begin(), records.end());
  records.erase(std::unique(records.begin(), records.end()), records.end());
  DeleteRecords(records);
  dc->ClearRowSelection();
}

// ---- Controller ----

void TcxCustomDataController::Append()
{
  if (FProvider->CanAppend())
    FProvider->Append();
}

void TcxCustomDataController::Insert()
{
  if (FProvider->CanInsert())
    FProvider->Insert();
}

void TcxCustomDataController::Edit()
{
  if (FProvider->CanModify())
    FProvider->Edit();
}

void TcxCustomDataController::Post()
{
  TcxDataListenerLink* link = AddListenerLink();
  TScopeExit remove([&] { RemoveListenerLink(link); });
  if (FProvider->IsEditing())
    FProvider->Post();
  if (link->DataController())
    FProvider->SetInsertedRecordIndex(-1);
}

void TcxCustomDataController::Cancel()
{
  Integer row = FocusedRowIndex();
  if (FProvider->IsEditing())
    FProvider->Cancel();
  if (row < RowCount())
    ChangeFocusedRowIndex(row);
  else
    ChangeFocusedRowIndex(RowCount() - 1);
}

void TcxCustomDataController::DeleteFocused()
{
  Integer row = FocusedRowIndex();
  if (row == -1 || !FProvider->CanDelete())
    return;
  TcxDataRowInfo info = GetRowInfo(row);
  if (info.Level < FGroups->GroupingItemCount()) {
    std::vector<Integer> records;
    FGroups->LoadRecordIndexesByRowIndex(records, row);
    FProvider->DeleteRecords(records);
  } else {
    FProvider->DeleteFocused();
  }
}

void TcxCustomDataController::DeleteSelection()
{
  if (GetSelectedCount() == 0 || !FProvider->CanDelete())
    return;
  if (IsSingleSelection())
    FProvider->DeleteFocused();
  else
    FProvider->DeleteSelection();
}

bool TcxCustomDataController::CanInitEditing(Integer AItemIndex)
{
  TcxCustomDataField* field = GetField(AItemIndex);
  if (!FProvider->CanModify() || !CanItemEdit(AItemIndex) ||
      !(field->ValueDef() || IsProviderMode()))
    return false;
  return FProvider->InitEditing(GetEditingRecordIndex());
}

Variant TcxCustomDataController::GetEditValue(Integer AItemIndex,
                                              TcxDataEditValueSource AEditValueSource)
{
  TcxCustomDataField* field = GetField(AItemIndex);
  if (IsNewItemRowFocused() && !FProvider->IsEditing())
    return Null();
  return FProvider->GetEditValue(GetEditingRecordIndex(), field, AEditValueSource);
}

bool TcxCustomDataController::SetEditValue(Integer AItemIndex, const Variant& AValue,
                                           TcxDataEditValueSource AEditValueSource)
{
  if (!CanInitEditing(AItemIndex))
    return false;
  return FProvider->SetEditValue(GetEditingRecordIndex(), GetField(AItemIndex), AValue,
                                 AEditValueSource);
}

void TcxCustomDataController::UpdateData()
{
  if (FProvider->IsChanging())
    UpdateEditingValues();
  FProvider->ResetChanging();
}

bool TcxCustomDataController::CanFocusRecord(Integer ARecordIndex)
{
  if (!FProvider->IsActiveDataSet() && ARecordIndex != FProvider->EditingRecordIndex())
    Post();
  return true;
}

void TcxCustomDataController::CheckEditingRecord(Integer ARecordIndex)
{
  Integer editing = FProvider->EditingRecordIndex();
  if (editing == cxNullEditingRecordIndex)
    return;
  if ((ARecordIndex >= 0 && editing >= ARecordIndex) || editing >= RecordCount())
    FProvider->ResetEditing();
}

Integer TcxCustomDataController::GetEditRecordIndexCandidate()
{
  if (IsNewItemRowFocused())
    return NewItemRecordIndex();
  if (FocusedRowIndex() == -1)
    return cxNullEditingRecordIndex;
  return FocusedRecordIndex();
}

Integer TcxCustomDataController::GetEditingRecordIndex()
{
  Integer editing = FProvider->EditingRecordIndex();
  return editing != cxNullEditingRecordIndex ? editing : GetEditRecordIndexCandidate();
}

Integer TcxCustomDataController::NewItemRecordIndex()
{
  if (FNewItemRecordIndex == 0)
    FNewItemRecordIndex = FDataStorage->AddInternalRecord();
  return FNewItemRecordIndex;
}

void TcxCustomDataController::InternalRecordsFreed()
{
  if (FProvider)
    FProvider->ForgetSavedRecord();
  FNewItemRecordIndex = 0;
}

TcxDataEditState TcxCustomDataController::GetEditState()
{
  TcxDataEditState state;
  if (!FProvider)
    return state;
  if (FProvider->IsInserting())
    state.Include(dceInsert);
  else if (FProvider->IsEditing())
    state.Include(dceEdit);
  if (!state.Empty()) {
    if (FProvider->IsChanging())
      state.Include(dceChanging);
    if (FProvider->IsModified())
      state.Include(dceModified);
  }
  return state;
}

bool TcxCustomDataController::IsEditing()
{
  TcxDataEditState state = GetEditState();
  return (state.Contains(dceInsert) || state.Contains(dceEdit)) &&
         FProvider->EditingRecordIndex() != cxNullEditingRecordIndex;
}

TcxDataControllerEditOperations TcxCustomDataController::GetEditOperations()
{
  TcxDataControllerEditOperations operations;
  if (FProvider->CanAppend())
    operations.Include(dceoAppend);
  if (FProvider->CanDelete())
    operations.Include(dceoDelete);
  if (FProvider->CanModify())
    operations.Include(dceoEdit);
  if (FProvider->CanInsert())
    operations.Include(dceoInsert);
  if (!FProvider->IsActiveDataSet() || FProvider->IsSyncMode())
    operations.Include(dceoShowEdit);
  return operations;
}

void TcxCustomDataController::SetNewItemRowVisible(bool AValue)
{
  if (FNewItemRowVisible == AValue)
    return;
  Cancel();
  ClearRowSelection();
  FNewItemRowVisible = AValue;
  NotifyChanges(dccData);
}

void TcxCustomDataController::SetNewItemRowFocused(bool AValue)
{
  if (FNewItemRowFocused == AValue)
    return;
  TUpdateScope<TcxCustomDataController> update(*this);
  if (AValue)
    ChangeFocusedRowIndex(-1);
  else if (!IsDestroying())
    Post();
  FDataControllerInfo->FocusStateChanged(true);
  FNewItemRowFocused = AValue;
}

bool TcxCustomDataController::IsNewItemRowFocused()
{
  return FNewItemRowFocused && FNewItemRowVisible && FocusedRecordIndex() == -1;
}

bool TcxCustomDataController::IsNewItemRecord(Integer ARecordIndex)
{
  return FNewItemRowVisible && ARecordIndex < 0 && ARecordIndex == NewItemRecordIndex();
}

void TcxCustomDataController::ClearNewItemRowFocus()
{
  if (FNewItemRowFocused)
    FDataControllerInfo->FocusStateChanged(true);
  FNewItemRowFocused = false;
}

void TcxCustomDataController::FocusLastIfNone()
{
  if (FocusedRecordIndex() == -1 && RowCount() > 0)
    ChangeFocusedRowIndex(RowCount() - 1);
}

void TcxCustomDataController::DoInitInsertingRecord(Integer AInsertingRecordIndex,
                                                    const TcxDataSummaryValues& AGroupValues)
{
  TcxGroupingFieldList* grouping = FDataControllerInfo->GroupingFieldList();
  if (grouping->Count() > 0 && FOptions.Contains(dcoAssignGroupingValues)) {
    for (Integer level = 0;
         level < grouping->Count() && level < static_cast<Integer>(AGroupValues.size()); ++level) {
      Integer item = GetItemIndexOfField(grouping->Fields(level));
      if (item != -1)
        SetValue(AInsertingRecordIndex, item, AGroupValues[level]);
    }
  }
  DoNewRecord(AInsertingRecordIndex);
}

void TcxCustomDataController::CopyRecord(Integer ASourceRecordIndex, Integer ADestRecordIndex)
{
  TcxValueDefs* defs = FDataStorage->ValueDefsFor(ADestRecordIndex);
  for (Integer i = 0; i < defs->Count(); ++i) {
    TcxValueDef* def = defs->Items(i);
    // The storage maps a normal definition to the internal one of an internal record.
    TcxValueDef* sourceDef = def;
    if (auto* internal = dynamic_cast<TcxInternalValueDef*>(def))
      sourceDef = internal->LinkedValueDef();
    if (def->DataSize() > 0) {
      Variant value;
      FDataStorage->GetValue(ASourceRecordIndex, sourceDef, value);
      FDataStorage->SetValue(ADestRecordIndex, sourceDef, value);
      if (def->TextStoredEffective()) {
        AnsiString text;
        FDataStorage->GetDisplayText(ASourceRecordIndex, sourceDef, text);
        FDataStorage->SetDisplayText(ADestRecordIndex, sourceDef, text);
      }
    }
    if (IsProviderMode() && ADestRecordIndex >= 0)
      StoreCopiedValue(sourceDef, ASourceRecordIndex, ADestRecordIndex);
  }
  if (ADestRecordIndex >= 0)
    DataChanged(dcRecord, -1, -1);
}

// ---- Events ----

void TcxCustomDataController::DoAfterCancel()
{
  if (OnAfterCancel)
    OnAfterCancel(this);
}

void TcxCustomDataController::DoAfterDelete()
{
  if (OnAfterDelete)
    OnAfterDelete(this);
}

void TcxCustomDataController::DoAfterInsert()
{
  if (OnAfterInsert)
    OnAfterInsert(this);
}

void TcxCustomDataController::DoAfterPost()
{
  if (OnAfterPost)
    OnAfterPost(this);
}

void TcxCustomDataController::DoBeforeCancel()
{
  if (OnBeforeCancel)
    OnBeforeCancel(this);
}

void TcxCustomDataController::DoBeforeDelete(Integer ARecordIndex)
{
  if (OnBeforeDelete)
    OnBeforeDelete(this, ARecordIndex);
}

void TcxCustomDataController::DoBeforeInsert()
{
  if (OnBeforeInsert)
    OnBeforeInsert(this);
}

void TcxCustomDataController::DoBeforePost()
{
  if (OnBeforePost)
    OnBeforePost(this);
}

void TcxCustomDataController::DoNewRecord(Integer ARecordIndex)
{
  if (OnNewRecord)
    OnNewRecord(this, ARecordIndex);
}
