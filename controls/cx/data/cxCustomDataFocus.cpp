// Focus, navigation, the bookmark, the row selection and the selection kept by record keys
// across reloads (see cxCustomData.h).
#include <algorithm>

#include "controls/cx/data/cxCustomData.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/ScopeGuard.h"

// ---- Focus ----

Integer TcxCustomDataController::FocusedRowIndex() const
{
  return FDataControllerInfo->FocusedRowIndex();
}

Integer TcxCustomDataController::FocusedRecordIndex() const
{
  return FDataControllerInfo->FocusedRecordIndex();
}

bool TcxCustomDataController::ChangeFocusedRowIndex(Integer ARowIndex)
{
  if (FProvider->IsSyncMode() && !FProvider->InsertingFromProvider() &&
      ARowIndex != FocusedRowIndex() && !CanChangeFocus())
    return false;
  FDataControllerInfo->FocusRowAndUpdate(ARowIndex);
  CheckChanges();
  return true;
}

void TcxCustomDataController::SetFocusedRecordIndex(Integer ARecordIndex)
{
  ChangeFocusedRowIndex(ARecordIndex == -1 ? -1 : GetRowIndexByRecordIndex(ARecordIndex, true));
}

void TcxCustomDataController::GotoFirst()
{
  if (IsGridMode())
    FProvider->First();
  else
    ChangeFocusedRowIndex(0);
}

void TcxCustomDataController::GotoLast()
{
  if (IsGridMode())
    FProvider->Last();
  else
    ChangeFocusedRowIndex(RowCount() - 1);
}

void TcxCustomDataController::GotoNext()
{
  if (IsGridMode())
    FProvider->Next();
  else
    ChangeFocusedRowIndex(FocusedRowIndex() + 1);
}

void TcxCustomDataController::GotoPrev()
{
  if (IsGridMode())
    FProvider->Prior();
  else
    ChangeFocusedRowIndex(std::max(FocusedRowIndex() - 1, 0));
}

void TcxCustomDataController::MoveBy(Integer ADistance)
{
  if (IsGridMode())
    FProvider->MoveBy(ADistance);
  else
    ChangeFocusedRowIndex(std::max(FocusedRowIndex() + ADistance, 0));
}

void TcxCustomDataController::Scroll(Integer ADistance)
{
  if (IsGridMode())
    FProvider->Scroll(ADistance);
}

bool TcxCustomDataController::IsBOF()
{
  if (IsGridMode() && !FProvider->IsInserting())
    return FProvider->IsBOF();
  return RowCount() == 0 || FocusedRowIndex() == 0;
}

bool TcxCustomDataController::IsEOF()
{
  if (IsGridMode())
    return FProvider->IsEOF();
  return RowCount() == 0 || FocusedRowIndex() == RowCount() - 1;
}

bool TcxCustomDataController::IsGridMode()
{
  return FProvider && FProvider->IsGridMode();
}

Integer TcxCustomDataController::GetActiveRecordIndex()
{
  return FocusedRecordIndex();
}

Integer TcxCustomDataController::GetSyncRecordIndex()
{
  if (FProvider->IsActiveDataSet() && FProvider->IsSyncMode())
    return FProvider->GetCurrentRecordIndex();
  return FocusedRecordIndex();
}

void TcxCustomDataController::UpdateFocused()
{
  if (IsGridMode() && FProvider->LocateCount() > 0 && FDataControllerInfo->InFocusing())
    return;
  FDataControllerInfo->SyncFocusedRecord();
  CheckChanges();
}

// ---- Rows ----

Integer TcxCustomDataController::RowCount() const
{
  return FDataControllerInfo->RowCount();
}

void TcxCustomDataController::CheckRowIndex(Integer ARowIndex) const
{
  FDataControllerInfo->CheckRowIndex(ARowIndex);
}

Integer TcxCustomDataController::GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible)
{
  CheckRecordRange(ARecordIndex);
  return FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex, AMakeVisible);
}

void TcxCustomDataController::GetRowInfo(Integer ARowIndex, TcxDataRowInfo& ARowInfo) const
{
  FDataControllerInfo->GetRowInfo(ARowIndex, ARowInfo);
}

TcxDataRowInfo TcxCustomDataController::GetRowInfo(Integer ARowIndex) const
{
  TcxDataRowInfo info;
  GetRowInfo(ARowIndex, info);
  return info;
}

void TcxCustomDataController::GetRowDisplayText(const TcxDataRowInfo& ARowInfo, Integer& AItemIndex,
                                                AnsiString& AText)
{
  TcxGroupingFieldList* grouping = FDataControllerInfo->GroupingFieldList();
  if (!IsNewItemRecord(ARowInfo.RecordIndex) && ARowInfo.Level < grouping->Count())
    AItemIndex = GetItemIndexOfField(grouping->Fields(ARowInfo.Level));
  GetRecordDisplayText(ARowInfo.RecordIndex, AItemIndex, AText);
}

Variant TcxCustomDataController::GetRowValue(const TcxDataRowInfo& ARowInfo, Integer AItemIndex)
{
  TcxGroupingFieldList* grouping = FDataControllerInfo->GroupingFieldList();
  if (!IsNewItemRecord(ARowInfo.RecordIndex) && ARowInfo.Level < grouping->Count())
    AItemIndex = GetItemIndexOfField(grouping->Fields(ARowInfo.Level));
  return GetValue(ARowInfo.RecordIndex, AItemIndex);
}

void TcxCustomDataController::ForEachRow(bool ASelectedOnly,
                                         const TcxDataControllerEachRowProc& AProc)
{
  if (ASelectedOnly) {
    for (Integer i = 0; i < GetSelectedCount(); ++i) {
      Integer row = GetSelectedRowIndex(i);
      AProc(row, GetRowInfo(row));
    }
  } else {
    for (Integer row = 0; row < RowCount(); ++row)
      AProc(row, GetRowInfo(row));
  }
}

// ---- Bookmark ----

bool TcxCustomDataController::IsBookmarkRow(Integer ARowIndex)
{
  return IsBookmarkAvailable() && GetRowInfo(ARowIndex).RecordIndex == FBookmarkRecordIndex;
}

void TcxCustomDataController::SaveBookmark()
{
  if (SaveBookmarkValue())
    NotifyChanges(dccBookmark);
}

bool TcxCustomDataController::SaveBookmarkValue()
{
  Integer record = FocusedRecordIndex();
  if (record == FBookmarkRecordIndex)
    return false;
  FBookmarkRecordIndex = record;
  return true;
}

void TcxCustomDataController::GotoBookmark()
{
  if (IsBookmarkAvailable())
    GotoBookmarkValue();
}

void TcxCustomDataController::GotoBookmarkValue()
{
  SetFocusedRecordIndex(FBookmarkRecordIndex);
}

void TcxCustomDataController::ClearBookmark()
{
  bool available = IsBookmarkAvailable();
  ClearBookmarkValue();
  if (available != IsBookmarkAvailable())
    NotifyChanges(dccBookmark);
}

void TcxCustomDataController::ClearBookmarkValue()
{
  FBookmarkRecordIndex = -1;
}

void TcxCustomDataController::CheckBookmarkValid(Integer ARecordIndex)
{
  if (IsBookmarkAvailable() && BookmarkAffected(ARecordIndex)) {
    ClearBookmarkValue();
    NotifyChanges(dccBookmark);
  }
}

bool TcxCustomDataController::BookmarkAffected(Integer ARecordIndex)
{
  if (ARecordIndex != -1 && ARecordIndex == FBookmarkRecordIndex)
    return true;
  return FDataControllerInfo->RecordListIndexOf(FBookmarkRecordIndex) == -1;
}

// ---- Selection ----

TcxDataSelection* TcxCustomDataController::Selection() const
{
  return FDataControllerInfo->Selection();
}

void TcxCustomDataController::ChangeMultiSelect(bool AValue)
{
  if (FMultiSelect == AValue)
    return;
  FMultiSelect = AValue;
  FFocusedSelected = true;
  if (!AValue)
    ClearRowSelection();
}

void TcxCustomDataController::SetFocusedRowSelected(bool AValue)
{
  if (!IsSingleSelection() || FFocusedSelected == AValue)
    return;
  FFocusedSelected = AValue;
  if (FocusedRowIndex() != -1) {
    FPrevSelectedCount = 1;
    FPrevSelectedRowIndex = FocusedRowIndex();
    NotifyChanges(dccSelection);
  }
}

Integer TcxCustomDataController::GetSelectedCount()
{
  if (!IsSingleSelection())
    return Selection()->Count();
  return FFocusedSelected && FocusedRowIndex() != -1 ? 1 : 0;
}

Integer TcxCustomDataController::GetSelectedRowIndex(Integer AIndex)
{
  if (!IsSingleSelection())
    return FDataControllerInfo->SelectedRowIndex(AIndex);
  return AIndex == 0 && FFocusedSelected ? FocusedRowIndex() : -1;
}

bool TcxCustomDataController::IsRowSelected(Integer ARowIndex)
{
  if (!IsSingleSelection())
    return FDataControllerInfo->IsRowSelected(ARowIndex);
  return FFocusedSelected && ARowIndex != -1 && ARowIndex == FocusedRowIndex();
}

void TcxCustomDataController::ChangeRowSelection(Integer ARowIndex, bool ASelection)
{
  if (IsSingleSelection())
    return;
  FDataControllerInfo->ChangeRowSelection(ARowIndex, ASelection);
  CheckChanges();
}

void TcxCustomDataController::ClearRowSelection()
{
  Selection()->Clear();
  FDataControllerInfo->CheckUpdate();
  CheckChanges();
}

void TcxCustomDataController::SelectRows(Integer AStartRowIndex, Integer AEndRowIndex)
{
  if (IsSingleSelection())
    return;
  if (AStartRowIndex > AEndRowIndex)
    std::swap(AStartRowIndex, AEndRowIndex);
  TUpdateScope<TcxCustomDataController> update(*this);
  for (Integer row = AStartRowIndex; row <= AEndRowIndex; ++row)
    ChangeRowSelection(row, true);
}

void TcxCustomDataController::SelectAll()
{
  if (RowCount() > 0)
    SelectRows(0, RowCount() - 1);
}

void TcxCustomDataController::SetSelectionAnchor(Integer ARowIndex)
{
  CheckRowIndex(ARowIndex);
  Selection()->SetAnchorRowIndex(ARowIndex);
}

Integer TcxCustomDataController::GetSelectionAnchorRowIndex()
{
  return Selection()->AnchorRowIndex();
}

bool TcxCustomDataController::IsSelectionAnchorExist()
{
  return Selection()->AnchorRowIndex() != -1;
}

void TcxCustomDataController::ClearSelectionAnchor()
{
  Selection()->ClearAnchor();
}

void TcxCustomDataController::SelectFromAnchor(Integer ARowIndex, bool AKeepSelection)
{
  if (!IsSelectionAnchorExist())
    return;
  TUpdateScope<TcxCustomDataController> update(*this);
  if (!AKeepSelection)
    ClearRowSelection();
  SelectRows(GetSelectionAnchorRowIndex(), ARowIndex);
}

void TcxCustomDataController::SelectFocusedRow()
{
  TUpdateScope<TcxCustomDataController> update(*this);
  ClearRowSelection();
  if (FocusedRowIndex() != -1)
    SelectRows(FocusedRowIndex(), FocusedRowIndex());
}

void TcxCustomDataController::CheckFocusedSelected()
{
  if (IsSingleSelection())
    return;
  TUpdateScope<TcxCustomDataController> update(*this);
  ClearRowSelection();
  if (FocusedRowIndex() != -1)
    ChangeRowSelection(FocusedRowIndex(), true);
}

void TcxCustomDataController::GetRowId(Integer ARowIndex, Variant& AValue)
{
  AValue = ARowIndex;
}

// Records went away: ARecordIndex was deleted (later records moved down by one), or -1 for
// any number of them. Selection entries and the bookmark follow the records they name.
void TcxCustomDataController::RecordsRemoved(Integer ARecordIndex)
{
  TcxDataSelection* selection = Selection();
  // In grid mode the entries stand for dataset bookmarks, not for loaded records.
  if (ARecordIndex >= 0 && selection && !IsGridMode()) {
    for (Integer i = selection->Count() - 1; i >= 0; --i) {
      TcxDataSelectionInfo& entry = selection->Items(i);
      if (entry.Level == -1)
        continue;
      if (entry.RecordIndex == ARecordIndex)
        selection->DeleteItem(i);
      else if (entry.RecordIndex > ARecordIndex)
        --entry.RecordIndex;
    }
  }
  if (FDataControllerInfo)
    FDataControllerInfo->CheckSelectionRecords();
  CheckBookmarkValid(ARecordIndex);
  if (ARecordIndex >= 0 && FBookmarkRecordIndex > ARecordIndex)
    --FBookmarkRecordIndex;
}

// ---- TcxDataSelection ----

TcxDataSelection::~TcxDataSelection() = default;

void TcxDataSelection::InsertItem(Integer AIndex, Integer ARowIndex, Integer ALevel,
                                  Integer ARecordIndex)
{
  TcxDataSelectionInfo info{ALevel, ARecordIndex, ARowIndex};
  if (AIndex == -1 || AIndex >= Count())
    FItems.push_back(info);
  else
    FItems.insert(FItems.begin() + std::max(AIndex, 0), info);
}

void TcxDataSelection::ClearItems()
{
  FSelectedItems.clear();
  FItems.clear();
}

void TcxDataSelection::DeleteItem(Integer AIndex)
{
  if (AIndex < 0 || AIndex >= Count())
    return;
  if (FItems[AIndex].RowIndex == FAnchorRowIndex)
    ClearAnchor();
  FItems.erase(FItems.begin() + AIndex);
}

void TcxDataSelection::SetCount(Integer ACount)
{
  if (ACount < 0)
    ACount = 0;
  while (Count() > ACount)
    FItems.pop_back();
  while (Count() < ACount)
    FItems.push_back({0, Count(), Count()});
}

void TcxDataSelection::Add(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex)
{
  InsertItem(AIndex, ARowIndex, ALevel, ARecordIndex);
  Changed();
}

bool TcxDataSelection::FindByRowIndex(Integer ARowIndex, Integer& AIndex)
{
  Integer low = 0, high = Count() - 1;
  while (low <= high) {
    Integer middle = (low + high) / 2;
    Integer row = FItems[middle].RowIndex;
    if (row == ARowIndex) {
      AIndex = middle;
      return true;
    }
    if (row < ARowIndex)
      low = middle + 1;
    else
      high = middle - 1;
  }
  AIndex = low;
  return false;
}

void TcxDataSelection::Clear()
{
  ClearItems();
  Changed();
}

void TcxDataSelection::ClearWithAnchor()
{
  ClearAnchor();
  ClearItems();
  Changed();
}

void TcxDataSelection::Delete(Integer AIndex)
{
  DeleteItem(AIndex);
  Changed();
}

Integer TcxDataSelection::FindByGroupIndex(Integer AGroupIndex) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[i].Level == -1 && FItems[i].RecordIndex == AGroupIndex)
      return i;
  return -1;
}

Integer TcxDataSelection::FindByRecordIndex(Integer ARecordIndex) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[i].Level != -1 && FItems[i].RecordIndex == ARecordIndex)
      return i;
  return -1;
}

bool TcxDataSelection::IsRowSelected(Integer ARowIndex)
{
  Integer index;
  return FindByRowIndex(ARowIndex, index);
}

void TcxDataSelection::Sort()
{
  std::stable_sort(FItems.begin(), FItems.end(),
                   [](const TcxDataSelectionInfo& a, const TcxDataSelectionInfo& b) {
                     return a.RowIndex < b.RowIndex;
                   });
}

void TcxDataSelection::Changed()
{
  if (OnChanged)
    OnChanged();
}

TcxDataSelectionInfo& TcxDataSelection::Items(Integer AIndex)
{
  return FItems.at(static_cast<size_t>(AIndex));
}

// ---- Keys ----

TcxKeys::~TcxKeys()
{
  for (TKey* key : FKeys)
    delete key;
  FKeys.clear();
}

void TcxKeys::Clear()
{
  for (TKey* key : FKeys)
    FreeKey(key);
  FKeys.clear();
}

void TcxKeys::Delete(Integer AIndex)
{
  FreeKey(FKeys[AIndex]);
  FKeys.erase(FKeys.begin() + AIndex);
}

void TcxKeys::Prepare(TcxCustomDataController* AController)
{
  FDataController = AController;
  FKeyFields.clear();
  AController->GetKeyFields(FKeyFields);
}

void TcxKeys::Save(TcxCustomDataController* AController)
{
  Clear();
  Prepare(AController);
  DoSave();
  QuickSortIndexes(
      0, Count() - 1,
      [&](Integer a, Integer b) { return VariantCompare(FKeys[a]->Value, FKeys[b]->Value); },
      [&](Integer a, Integer b) { std::swap(FKeys[a], FKeys[b]); });
}

void TcxKeys::Restore(TcxCustomDataController* AController)
{
  Prepare(AController);
  if (Count() > 0)
    DoRestore();
  Clear();
}

bool TcxKeys::FindKey(Integer ARecordIndex, Integer& AIndex)
{
  Variant value;
  FDataController->GetKeyValue(ARecordIndex, FKeyFields, value);
  // The keys are sorted: the first equal one is found by halving.
  Integer low = 0, high = Count() - 1;
  while (low <= high) {
    Integer middle = (low + high) / 2;
    if (VariantCompare(FKeys[middle]->Value, value) < 0)
      low = middle + 1;
    else
      high = middle - 1;
  }
  if (low < Count() && VariantCompareEqual(FKeys[low]->Value, value)) {
    AIndex = low;
    return true;
  }
  return false;
}

void TcxSelectedKeys::DoSave()
{
  TcxCustomDataController* dc = DataController();
  TcxDataSelection* selection = dc->Selection();
  for (Integer i = 0; i < selection->Count(); ++i) {
    const TcxDataSelectionInfo& entry = selection->Items(i);
    if (entry.Level == -1 || entry.RecordIndex >= dc->RecordCount())
      continue;
    auto* key = new TcxSelectedKeyInfo;
    dc->GetKeyValue(entry.RecordIndex, KeyFields(), key->Value);
    key->SelectionIndex = i;
    AddKey(key);
  }
  dc->DataControllerInfo()->SaveExpanding(3);
}

void TcxSelectedKeys::DoRestore()
{
  TcxCustomDataController* dc = DataController();
  TcxDataSelection* selection = dc->Selection();
  if (selection->Count() == 0)
    return;
  for (Integer r = 0; r < dc->RecordCount() && Count() > 0; ++r) {
    Integer k;
    if (!FindKey(r, k))
      continue;
    auto* key = static_cast<TcxSelectedKeyInfo*>(Keys(k));
    if (key->SelectionIndex < selection->Count())
      selection->Items(key->SelectionIndex).RecordIndex = r;
    Delete(k);
  }
  for (Integer k = 0; k < Count(); ++k) {
    auto* key = static_cast<TcxSelectedKeyInfo*>(Keys(k));
    if (key->SelectionIndex >= 0 && key->SelectionIndex < selection->Count())
      selection->Items(key->SelectionIndex).RecordIndex = -1;
  }
  for (Integer i = selection->Count() - 1; i >= 0; --i)
    if (selection->Items(i).RecordIndex == -1)
      selection->DeleteItem(i);
  dc->DataControllerInfo()->ExpandingChanged();
}
