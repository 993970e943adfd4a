// The engine of a data controller: the filtered and sorted record list, the sorting and
// grouping lists, the focus and the selection, and the update pipeline that runs once when
// the last update lock is released (see cxCustomData.h).
//
// Update pipeline:
//   1. grouping state; expansion states saved (dcoSaveExpanding)
//   2. 0x0001: load the record list and filter it
//   3. 0x0002 or 0x0004: sort              4. 0x0002: build the group tree
//   5. 0x0002 or 0x0004: focus the top row after sorting (dcoFocusTopRowAfterSorting)
//   6. restore expansion and selection, check the focused row, check the bookmark
//   7. always: drop saved states, re-map selection rows, summaries, convert and hand over
//      the change bits
#include <algorithm>

#include "controls/cx/data/cxCustomData.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"

// ---- Sorting lists ----

void TcxSortingFieldList::Changed()
{
  if (OnChanged)
    OnChanged();
}

void TcxSortingFieldList::ApplySortOrder(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder)
{
  Integer index = Find(AField);
  if (index != -1) {
    if (ASortOrder == soNone)
      Delete(index);
    else
      SetSortOrder(index, ASortOrder);
  } else if (ASortOrder != soNone) {
    Add(AField, ASortOrder);
  }
}

void TcxSortingFieldList::Add(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder)
{
  FItems.push_back({AField, ASortOrder});
  Changed();
}

void TcxSortingFieldList::Insert(Integer AIndex, TcxCustomDataField* AField,
                                 TcxDataSortOrder ASortOrder)
{
  AIndex = std::clamp(AIndex, 0, Count());
  FItems.insert(FItems.begin() + AIndex, {AField, ASortOrder});
  Changed();
}

void TcxSortingFieldList::Delete(Integer AIndex)
{
  if (AIndex < 0 || AIndex >= Count())
    throw EListError(Format(SListIndexError, {AIndex}));
  FItems.erase(FItems.begin() + AIndex);
  Changed();
}

void TcxSortingFieldList::Clear()
{
  while (Count() > 0)
    Delete(0);
}

Integer TcxSortingFieldList::Find(const TcxCustomDataField* AField) const
{
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[i].Field == AField)
      return i;
  return -1;
}

TcxDataSortOrder TcxSortingFieldList::SortOrderByField(const TcxCustomDataField* AField) const
{
  Integer index = Find(AField);
  return index == -1 ? soNone : FItems[index].SortOrder;
}

void TcxSortingFieldList::Remove(TcxCustomDataField* AField)
{
  Integer index = Find(AField);
  if (index != -1)
    Delete(index);
}

void TcxSortingFieldList::Move(Integer ACurIndex, Integer ANewIndex)
{
  if (ACurIndex == ANewIndex)
    return;
  if (ACurIndex < 0 || ACurIndex >= Count())
    throw EListError(Format(SListIndexError, {ACurIndex}));
  if (ANewIndex < 0 || ANewIndex >= Count())
    throw EListError(Format(SListIndexError, {ANewIndex}));
  TcxDataSortingInfo info = FItems[ACurIndex];
  FItems.erase(FItems.begin() + ACurIndex);
  FItems.insert(FItems.begin() + ANewIndex, info);
  Changed();
}

void TcxSortingFieldList::SetSortOrder(Integer AIndex, TcxDataSortOrder ASortOrder)
{
  if (FItems.at(static_cast<size_t>(AIndex)).SortOrder == ASortOrder)
    return;
  FItems[AIndex].SortOrder = ASortOrder;
  Changed();
}

const TcxDataSortingInfo& TcxSortingFieldList::GetEntry(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= Count())
    throw EListError(Format(SListIndexError, {AIndex}));
  return FItems[AIndex];
}

void TcxSortingFieldList::AnnounceField(TcxCustomDataField* AField)
{
  if (Find(AField) != -1)
    Changed();
}

void TcxSortingFieldList::AddFrom(const TcxSortingFieldList* AList)
{
  for (const TcxDataSortingInfo& info : AList->FItems)
    if (Find(info.Field) == -1)
      FItems.push_back(info);
  Changed();
}

void TcxSortingFieldList::MoveTo(TcxCustomDataField* AField, Integer AIndex)
{
  Integer current = Find(AField);
  if (AIndex < 0) {
    if (current != -1)
      Delete(current);
    return;
  }
  if (current == -1)
    Insert(std::min(AIndex, Count()), AField, soAscending);
  else
    Move(current, std::min(AIndex, Count() - 1));
}

void TcxGroupingFieldList::ApplySortOrder(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder)
{
  TcxSortingFieldList::ApplySortOrder(AField, ASortOrder == soNone ? soAscending : ASortOrder);
}

void TcxGroupingFieldList::UpdateSortOrders(const TcxSortingFieldList* ASortingList)
{
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataSortOrder order = ASortingList->SortOrderByField(Fields(i));
    SetSortOrder(i, order == soNone ? soAscending : order);
  }
}

// ---- Focus info ----

void TcxDataFocusingInfo::Assign(const TcxDataFocusingInfo& ASource)
{
  Level = ASource.Level;
  PrevRecordIndex = ASource.PrevRecordIndex;
  RecordIndex = ASource.RecordIndex;
  RowIndex = ASource.RowIndex;
  Changed = false;
}

void TcxDataFocusingInfo::Clear()
{
  Level = -1;
  RecordIndex = -1;
  RowIndex = -1;
}

// ---- Engine ----

TcxCustomDataControllerInfo::TcxCustomDataControllerInfo(TcxCustomDataController* ADataController)
    : FDataController(ADataController)
{
  FDataGroups = std::make_unique<TcxDataGroups>(this);
  FExpandingInfos = std::make_unique<TcxDataExpandingInfos>();
  FGroupingFieldList = std::make_unique<TcxGroupingFieldList>();
  FSortingFieldList = std::make_unique<TcxSortingFieldList>();
  FTotalSortingFieldList = std::make_unique<TcxSortingFieldList>();
  FSelection.reset(ADataController->CreateDataSelection());
  FGroupingFieldList->OnChanged =
      TEvent<void()>::Bind(this, &TcxCustomDataControllerInfo::GroupingChanged);
  FSortingFieldList->OnChanged =
      TEvent<void()>::Bind(this, &TcxCustomDataControllerInfo::SortingChanged);
  FSelection->OnChanged =
      TEvent<void()>::Bind(this, &TcxCustomDataControllerInfo::SelectionChanged);
}

TcxCustomDataControllerInfo::~TcxCustomDataControllerInfo()
{
  FSelection->OnChanged = nullptr;
  FGroupingFieldList->OnChanged = nullptr;
  FSortingFieldList->OnChanged = nullptr;
}

void TcxCustomDataControllerInfo::GroupingChanged()
{
  FChanges |= dcicGrouping | dcicSorting | dcicSummary;
}

void TcxCustomDataControllerInfo::SortingChanged()
{
  FChanges |= dcicSorting;
}

void TcxCustomDataControllerInfo::SelectionChanged()
{
  FChanges |= dcicSelection;
  if (TcxDataSummary* summary = FDataController->Summary())
    if (summary->Options().Contains(soSelectedRecords))
      FChanges |= dcicSummary;
}

void TcxCustomDataControllerInfo::EndUpdate()
{
  --FLockCount;
  CheckUpdate();
}

void TcxCustomDataControllerInfo::CheckUpdate()
{
  if (FChanges != 0 && FLockCount == 0 && !FInUpdate)
    Update();
}

void TcxCustomDataControllerInfo::RefreshRecords()
{
  FChanges |= dcicLoad | dcicSummary;
  if (FSortingFieldList->Count() > 0)
    FChanges |= dcicSorting;
  if (FGroupingFieldList->Count() > 0)
    FChanges |= dcicGrouping;
  CheckUpdate();
}

void TcxCustomDataControllerInfo::SyncFocusedRecord()
{
  FChanges |= dcicFocusedRecord;
  FFocusingInfo.RecordIndex = FDataController->GetSyncRecordIndex();
  FFocusingInfo.Level = -1;
  CheckUpdate();
}

void TcxCustomDataControllerInfo::LayoutOrSummaryChanged(bool ALayout)
{
  FChanges |= ALayout ? dcicView : dcicSummary;
  CheckUpdate();
}

void TcxCustomDataControllerInfo::ExpandingChanged()
{
  FChanges |= dcicExpanding;
  FExpandingFlag = true;
}

void TcxCustomDataControllerInfo::FocusStateChanged(bool AMark)
{
  FChanges |= dcicResetFocusedRecord;
  if (AMark)
    FPrevFocusingInfo.Changed = true;
}

void TcxCustomDataControllerInfo::FieldChanged(TcxCustomDataField* AField)
{
  FChanges |= dcicView;
  FSortingFieldList->AnnounceField(AField);
  if (FGroupingFieldList->Find(AField) != -1) {
    FSelection->Clear();
    FGroupingFieldList->AnnounceField(AField);
  }
  FExpandingInfos->RemoveField(AField);
  CheckUpdate();
}

void TcxCustomDataControllerInfo::RemoveField(TcxCustomDataField* AField)
{
  FSortingFieldList->Remove(AField);
  if (FGroupingFieldList->Find(AField) != -1)
    FSelection->Clear();
  FGroupingFieldList->Remove(AField);
  FGroupingFieldList->UpdateSortOrders(FSortingFieldList.get());
  FTotalSortingFieldList->Remove(AField);
  FExpandingInfos->RemoveField(AField);
  CheckUpdate();
}

void TcxCustomDataControllerInfo::ChangeSortOrder(TcxCustomDataField* AField,
                                                  TcxDataSortOrder ASortOrder)
{
  FSortingFieldList->ApplySortOrder(AField, ASortOrder);
  FGroupingFieldList->UpdateSortOrders(FSortingFieldList.get());
  CheckUpdate();
}

void TcxCustomDataControllerInfo::ChangeSortIndex(TcxCustomDataField* AField, Integer AIndex)
{
  Integer current = FSortingFieldList->Find(AField);
  if (FSortingFieldList->Count() > 0 && current == -1)
    throw EListError(Format(SListIndexError, {current}));
  AIndex = std::clamp(AIndex, 0, std::max(FSortingFieldList->Count() - 1, 0));
  if (current != AIndex && current != -1) {
    FSortingFieldList->Move(current, AIndex);
    FDataController->SetSortingChangedMark();
  }
  CheckUpdate();
}

void TcxCustomDataControllerInfo::ClearSorting(bool AKeepGrouping)
{
  Integer before = FSortingFieldList->Count();
  if (AKeepGrouping) {
    for (Integer i = FSortingFieldList->Count() - 1; i >= 0; --i)
      if (FGroupingFieldList->Find(FSortingFieldList->Fields(i)) == -1)
        FSortingFieldList->Delete(i);
  } else {
    FSortingFieldList->Clear();
    FGroupingFieldList->UpdateSortOrders(FSortingFieldList.get());
  }
  if (FSortingFieldList->Count() != before)
    FDataController->SetSortingChangedMark();
  CheckUpdate();
}

void TcxCustomDataControllerInfo::ChangeGrouping(TcxCustomDataField* AField, Integer AGroupIndex)
{
  FGroupingFieldList->MoveTo(AField, AGroupIndex);
  FGroupingFieldList->UpdateSortOrders(FSortingFieldList.get());
  CheckUpdate();
}

// ---- Rows ----

bool TcxCustomDataControllerInfo::IsGrouped() const
{
  return FDataGroups->LevelCount() > 0;
}

Integer TcxCustomDataControllerInfo::RowCount() const
{
  return IsGrouped() ? FDataGroups->RowCount() : RecordListCount();
}

void TcxCustomDataControllerInfo::CheckRowIndex(Integer ARowIndex) const
{
  if (ARowIndex < 0 || ARowIndex >= RowCount())
    cxDataControllerError(cxSDataRowIndexError);
}

void TcxCustomDataControllerInfo::GetRowInfo(Integer ARowIndex, TcxDataRowInfo& AInfo) const
{
  CheckRowIndex(ARowIndex);
  if (!IsGrouped()) {
    AInfo = {false, 0, RecordListItem(ARowIndex)};
    return;
  }
  TcxDataRowInfo info;
  FDataGroups->GetRowInfo(ARowIndex, info);
  AInfo = {info.Expanded, info.Level, RecordListItem(info.RecordIndex)};
}

Integer TcxCustomDataControllerInfo::RecordListItem(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= RecordListCount())
    throw EListError(Format(SListIndexError, {AIndex}));
  return FRecordList[AIndex];
}

Integer TcxCustomDataControllerInfo::RecordListIndexOf(Integer ARecordIndex) const
{
  if (ARecordIndex < 0)
    return -1;
  if (!FRecordPositionsValid) {
    Integer maxRecord = 0;
    for (Integer r : FRecordList)
      maxRecord = std::max(maxRecord, r + 1);
    FRecordPositions.assign(static_cast<size_t>(maxRecord), -1);
    for (Integer i = 0; i < RecordListCount(); ++i)
      if (FRecordList[i] >= 0 && FRecordPositions[FRecordList[i]] == -1)
        FRecordPositions[FRecordList[i]] = i;
    FRecordPositionsValid = true;
  }
  return ARecordIndex < static_cast<Integer>(FRecordPositions.size())
             ? FRecordPositions[ARecordIndex]
             : -1;
}

Integer TcxCustomDataControllerInfo::GetRowIndexByRecordIndex(Integer ARecordIndex,
                                                              bool AMakeVisible)
{
  Integer listIndex = RecordListIndexOf(ARecordIndex);
  if (listIndex == -1 || !IsGrouped())
    return listIndex;
  Integer group = FDataGroups->DeepestGroupOfListIndex(listIndex);
  if (group == -1)
    return -1;
  if (AMakeVisible) {
    if (FDataGroups->MakeVisible(group, true)) {
      ExpandingChanged();
      CheckUpdate();
    }
  } else if (!FDataGroups->IsVisibleGroup(group) || !FDataGroups->Items(group)->Expanded) {
    return -1;
  }
  TcxDataGroupInfo* info = FDataGroups->Items(group);
  return info->RowIndex + (listIndex - info->FirstIndex) + 1;
}

// ---- Focus ----

Integer TcxCustomDataControllerInfo::FocusedRecordIndex() const
{
  return FFocusingInfo.RowIndex == -1 ? -1 : FFocusingInfo.RecordIndex;
}

bool TcxCustomDataControllerInfo::CanFocusRow(Integer ARowIndex)
{
  Integer record = -1;
  if (ARowIndex != -1) {
    TcxDataRowInfo info;
    GetRowInfo(ARowIndex, info);
    record = info.RecordIndex;
  }
  return FDataController->CanFocusRecord(record);
}

void TcxCustomDataControllerInfo::ClearFocus()
{
  FFocusingInfo.Clear();
}

void TcxCustomDataControllerInfo::ChangeFocusedRowIndex(Integer ARowIndex, bool AForce)
{
  ARowIndex = std::clamp(ARowIndex, -1, RowCount() - 1);
  if (ARowIndex == FFocusingInfo.RowIndex)
    return;
  FInFocusing = true;
  if (!(FChanges & dcicFocusedRow))
    FPrevFocusingInfo.Assign(FFocusingInfo);
  bool allowed = false;
  TScopeExit finish([&] {
    SyncFocus(allowed, FPrevFocusingInfo.RowIndex);
    FInFocusing = false;
  });
  allowed = AForce || CanFocusRow(ARowIndex);
  if (allowed) {
    FDataController->BeforeFocusedRowChange(ARowIndex);
    FFocusingInfo.RowIndex = ARowIndex;
  }
}

// The focus after a move (or an attempt): its level and record are read from its row, the
// controller's sync record takes precedence, and a change of the focus is marked.
void TcxCustomDataControllerInfo::SyncFocus(bool AAllowed, Integer APrevRow)
{
  Integer rowCount = RowCount();
  if (FFocusingInfo.RowIndex > rowCount - 1)
    FFocusingInfo.RowIndex = -1;
  if (FPrevFocusingInfo.RowIndex > rowCount - 1)
    FPrevFocusingInfo.RowIndex = -1;
  if (!AAllowed && FPrevFocusingInfo.RowIndex == -1)
    return;
  Integer rowRecord = -1;
  if (FFocusingInfo.RowIndex != -1) {
    TcxDataRowInfo info;
    GetRowInfo(FFocusingInfo.RowIndex, info);
    FFocusingInfo.Level = info.Level;
    rowRecord = info.RecordIndex;
  } else {
    FFocusingInfo.Level = -1;
  }
  FFocusingInfo.RecordIndex = rowRecord;
  Integer sync = FDataController->GetSyncRecordIndex();
  FFocusingInfo.PrevRecordIndex = sync;
  if (rowRecord != sync) {
    FFocusingInfo.RecordIndex = sync;
    FFocusingInfo.RowIndex = std::clamp(FocusedRowIndexFromRecord(true), -1, RowCount() - 1);
  }
  bool changed = FFocusingInfo.RecordIndex != FPrevFocusingInfo.RecordIndex ||
                 FFocusingInfo.Level != FPrevFocusingInfo.Level ||
                 ((FChanges & dcicSorting) && FFocusingInfo.RowIndex != FPrevFocusingInfo.RowIndex);
  if (changed) {
    FChanges |= dcicResetFocusedRecord | dcicFocusedRow;
    FDataController->ClearNewItemRowFocus();
    FDataController->SetFocusedRowSelected(true);
  }
}

void TcxCustomDataControllerInfo::FocusRowAndUpdate(Integer ARowIndex)
{
  ChangeFocusedRowIndex(ARowIndex, false);
  CheckUpdate();
}

void TcxCustomDataControllerInfo::CheckFocusedRow()
{
  Integer row = FocusedRowIndexFromRecord(true);
  Integer current = FFocusingInfo.RowIndex;
  if (row != current) {
    bool stale = current < 0 || current >= RowCount();
    if (!stale) {
      TcxDataRowInfo info;
      GetRowInfo(current, info);
      stale = info.RecordIndex != FFocusingInfo.RecordIndex;
    }
    if (stale)
      ChangeFocusedRowIndex(row, true);
  }
  if ((FChanges & dcicFocusedRow) && FPrevFocusingInfo.RowIndex >= RowCount())
    FPrevFocusingInfo.RowIndex = -1;
}

// ---- Selection ----

void TcxCustomDataControllerInfo::ChangeRowSelection(Integer ARowIndex, bool ASelected)
{
  CheckRowIndex(ARowIndex);
  Integer index;
  bool selected = FSelection->FindByRowIndex(ARowIndex, index);
  if (selected && !ASelected) {
    FSelection->Delete(index);
  } else if (!selected && ASelected && FDataController->CanSelectRow(ARowIndex)) {
    TcxDataRowInfo info;
    GetRowInfo(ARowIndex, info);
    if (info.Level < FDataGroups->LevelCount())
      FSelection->Add(index, ARowIndex, -1, FDataGroups->DataGroupIndexByRowIndex(ARowIndex));
    else
      FSelection->Add(index, ARowIndex, info.Level, info.RecordIndex);
  }
  CheckUpdate();
}

void TcxCustomDataControllerInfo::ClearSelection()
{
  FSelection->Clear();
  CheckUpdate();
}

Integer TcxCustomDataControllerInfo::SelectedRowIndex(Integer AIndex) const
{
  return FSelection->Items(AIndex).RowIndex;
}

bool TcxCustomDataControllerInfo::IsRowSelected(Integer ARowIndex)
{
  return FSelection->IsRowSelected(ARowIndex);
}

void TcxCustomDataControllerInfo::CheckSelectionRecords()
{
  // In grid mode the entries stand for dataset bookmarks (the dataset selection checks them).
  if (FSelection->Count() == 0 || FDataController->IsGridMode())
    return;
  if (FDataController->RecordCount() == 0) {
    FSelection->Clear();
    return;
  }
  if (FDataController->HasRecordKeys())
    return;
  Integer count = FDataController->RecordCount();
  for (Integer i = FSelection->Count() - 1; i >= 0; --i) {
    const TcxDataSelectionInfo& entry = FSelection->Items(i);
    if (entry.Level != -1 && entry.RecordIndex >= count)
      FSelection->DeleteItem(i);
  }
}

void TcxCustomDataControllerInfo::RecalcSelectionRowIndexes()
{
  for (Integer i = 0; i < FSelection->Count(); ++i) {
    TcxDataSelectionInfo& entry = FSelection->Items(i);
    if (entry.Level == -1) {
      if (entry.RecordIndex >= 0 && entry.RecordIndex < FDataGroups->ItemCount())
        entry.RowIndex = FDataGroups->Items(entry.RecordIndex)->RowIndex;
    } else {
      entry.RowIndex = GetRowIndexByRecordIndex(entry.RecordIndex, false);
    }
  }
  FSelection->Sort();
}

// ---- Pipeline ----

void TcxCustomDataControllerInfo::Update()
{
  FInUpdate = true;
  Word atStart = FChanges;
  TScopeExit finish([&] {
    FinishUpdate(atStart);
    FInUpdate = false;
  });
  FDataController->UpdateGroupingState();
  FExpandingFlag = false;
  if (FDataController->Options().Contains(dcoSaveExpanding)) {
    Byte states = ((FChanges & (dcicLoad | dcicGrouping)) ? 1 : 0) +
                  ((FSelection->Count() > 0 && (FChanges & 0x0027)) ? 2 : 0);
    SaveExpanding(states);
  }
  if (FChanges & dcicLoad) {
    LoadRecordList();
    FilterRecords();
  }
  if (FChanges & (dcicGrouping | dcicSorting))
    SortRecords();
  if (FChanges & dcicGrouping)
    BuildGroups();
  if (FChanges & (dcicGrouping | dcicSorting))
    FocusTopRowAfterSorting();
  UpdateFocusAndExpanding();
}

void TcxCustomDataControllerInfo::FinishUpdate(Word AChangesAtStart)
{
  FExpandingInfos->Clear();
  if (FExpandingFlag && !FDataController->IsGridMode())
    RecalcSelectionRowIndexes();
  if (FChanges & (dcicSorting | dcicExpanding))
    FDataController->RefreshSelectionSnapshot();
  if ((FChanges | AChangesAtStart) & dcicSummary) {
    TComponent* owner = FDataController->Owner();
    bool reading = owner && owner->ComponentState().Contains(csReading);
    if (!reading && !FDataController->IsDestroying())
      FDataController->Summary()->Calculate();
  }
  Word flags = 0;
  if (FChanges & 0x0014)
    flags |= dccLayout;
  if (FChanges & 0x0023)
    flags |= dccData;
  if (FChanges & 0x0248)
    flags |= dccFocus;
  if (FChanges & 0x0080)
    flags |= dccSelection;
  if (FChanges & 0x0100)
    flags |= dccRefresh;
  if (FDataController->GroupingChangedMark())
    flags |= dccGrouping;
  if (FDataController->SortingChangedMark())
    flags |= dccSorting;
  FChanges = 0;
  FInUpdate = false;
  FDataController->NotifyChanges(flags);
  FDataController->ClearUpdateMarks();
}

void TcxCustomDataControllerInfo::LoadRecordList()
{
  Integer count = FDataController->RecordCount();
  FRecordList.resize(static_cast<size_t>(count));
  for (Integer i = 0; i < count; ++i)
    FRecordList[i] = i;
  InvalidateRecordPositions();
}

void TcxCustomDataControllerInfo::FilterRecords()
{
  TcxCustomDataController* dc = FDataController;
  bool findFilter = dc->IsFindFiltering();
  bool filter = dc->Filter() && dc->Filter()->IsFiltering();
  if (!findFilter && !filter)
    return;
  Integer editing = dc->Provider()->EditingRecordIndex();
  // Decided from the last entry to the first, as records are taken out; kept in one pass.
  std::vector<char> keep(FRecordList.size(), 1);
  for (Integer i = RecordListCount() - 1; i >= 0; --i) {
    Integer record = FRecordList[i];
    if (record == editing)
      continue;
    if ((findFilter && !dc->DoFindFilterRecord(record)) ||
        (filter && !dc->Filter()->DoFilterRecord(record)))
      keep[i] = 0;
  }
  size_t kept = 0;
  for (size_t i = 0; i < FRecordList.size(); ++i)
    if (keep[i])
      FRecordList[kept++] = FRecordList[i];
  bool changed = kept != FRecordList.size();
  FRecordList.resize(kept);
  InvalidateRecordPositions();
  if (changed)
    FSelection->Clear();
}

void TcxCustomDataControllerInfo::PrepareCompareModes(const TcxSortingFieldList* AList)
{
  Integer count = FDataController->RecordCount();
  for (Integer i = 0; i < AList->Count(); ++i) {
    TcxCustomDataField* field = AList->Fields(i);
    Integer mode = -1;
    if (FDataController->NeedsValueCompare(field))
      mode = FDataController->IsSortByDisplayText(field) ? 2 : 1;
    field->SetCompareMode(mode);
    if (mode > 0) {
      field->FComparedValues.assign(static_cast<size_t>(count), Variant());
      field->FComparedTexts.assign(static_cast<size_t>(count), AnsiString());
      field->FComparedState.assign(static_cast<size_t>(count), 0);
    }
  }
}

void TcxCustomDataControllerInfo::ResetCompareModes(const TcxSortingFieldList* AList)
{
  for (Integer i = 0; i < AList->Count(); ++i) {
    TcxCustomDataField* field = AList->Fields(i);
    field->SetCompareMode(0);
    std::vector<Variant>().swap(field->FComparedValues);
    std::vector<AnsiString>().swap(field->FComparedTexts);
    std::vector<Byte>().swap(field->FComparedState);
  }
}

void TcxCustomDataControllerInfo::SortRecords()
{
  FTotalSortingFieldList->Clear();
  FTotalSortingFieldList->AddFrom(FGroupingFieldList.get());
  FTotalSortingFieldList->AddFrom(FSortingFieldList.get());
  if (FDataController->IsGridMode() || FRecordList.empty())
    return;
  PrepareCompareModes(FTotalSortingFieldList.get());
  TScopeExit reset([&] { ResetCompareModes(FTotalSortingFieldList.get()); });
  if (RecordListCount() > 1)
    SortRange(0, RecordListCount() - 1);
  InvalidateRecordPositions();
}

// The in-place quicksort with the middle element as pivot. Every order is total (the last
// tie-break is the record index), and the scans never leave [L, R] even for a comparison
// that contradicts itself.
void TcxCustomDataControllerInfo::SortRange(Integer L, Integer R)
{
  std::vector<Integer>& list = FRecordList;
  do {
    Integer I = L, J = R;
    Integer P = list[(L + R) >> 1];
    do {
      while (I < R && CompareRecords(list[I], P) < 0)
        ++I;
      while (J > L && CompareRecords(list[J], P) > 0)
        --J;
      if (I <= J) {
        std::swap(list[I], list[J]);
        ++I;
        --J;
      }
    } while (I <= J);
    // The smaller part recurses, the larger one loops, so the depth stays logarithmic.
    if (J - L < R - I) {
      if (L < J)
        SortRange(L, J);
      L = I;
    } else {
      if (I < R)
        SortRange(I, R);
      R = J;
    }
  } while (L < R);
}

Integer TcxCustomDataControllerInfo::CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2)
{
  if (ARecordIndex1 == ARecordIndex2)
    return 0;
  TcxCustomDataProvider* provider = FDataController->Provider();
  Integer editing = provider->EditingRecordIndex();
  Integer prev = provider->PrevEditingRecordIndex(), next = provider->NextEditingRecordIndex();
  if (prev != cxNullEditingRecordIndex || next != cxNullEditingRecordIndex) {
    // The record in edit keeps its row until it is posted.
    if (ARecordIndex1 == editing) {
      if (prev != cxNullEditingRecordIndex)
        return 1;
      if (ARecordIndex2 == next)
        return -1;
      ARecordIndex1 = next;
    } else if (ARecordIndex2 == editing) {
      if (prev != cxNullEditingRecordIndex)
        return -1;
      if (ARecordIndex1 == next)
        return 1;
      ARecordIndex2 = next;
    }
  }
  for (Integer i = 0; i < FTotalSortingFieldList->Count(); ++i) {
    Integer r = FDataController->CompareWithSortOrder(ARecordIndex1, ARecordIndex2,
                                                      FTotalSortingFieldList->GetEntry(i));
    if (r != 0)
      return r;
  }
  return FDataController->CompareEqualRecords(ARecordIndex1, ARecordIndex2);
}

Integer TcxCustomDataControllerInfo::CompareGroupValue(Integer ARecordIndex1, Integer ARecordIndex2,
                                                       Integer ALevel)
{
  return FDataController->CompareWithSortOrder(ARecordIndex1, ARecordIndex2,
                                               FTotalSortingFieldList->GetEntry(ALevel));
}

void TcxCustomDataControllerInfo::FocusTopRowAfterSorting()
{
  TcxCustomDataController* dc = FDataController;
  if (!dc->Options().Contains(dcoFocusTopRowAfterSorting))
    return;
  if (!dc->GroupingChangedMark() && !dc->SortingChangedMark() && !dc->IsDataReloaded())
    return;
  dc->ClearDataReloadedMark();
  FFocusingInfo.Clear();
  ChangeFocusedRowIndex(0, false);
  if (FSelection->Count() > 0)
    FSelection->Clear();
}

void TcxCustomDataControllerInfo::UpdateFocusAndExpanding()
{
  RestoreExpanding();
  CheckFocusedRow();
  FDataController->CheckBookmarkValid(-1);
}
