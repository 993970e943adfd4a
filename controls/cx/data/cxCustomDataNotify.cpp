// Change notification of the data controller: the pending data change, the change flags
// and their delivery to the bound control, events, listeners and listener links (see
// cxCustomData.h).
//
// Delivery order (DeliverChanges, the set is copied and cleared first):
//   1. 0x0002 data changed (info + DoDataChanged), else 0x0001/0x0010/0x0020 layout, else
//      0x0800 record
//   2. 0x0004 focus        3. 0x0008 selection    4. 0x0040 search     5. 0x0400 bookmark
//   6. 0x0100 OnGroupingChanged    7. 0x0080 OnSortingChanged    8. 0x0200 the pattern's focus
#include <algorithm>

#include "controls/cx/data/cxCustomData.h"
#include "platform/rtl/ScopeGuard.h"

void TcxCustomDataController::ResetDataChangeInfo()
{
  FDataChangeInfo = TDataChangeInfo();
}

void TcxCustomDataController::SetPendingChange(Byte AKind, Integer AItemIndex, Integer ARecordIndex)
{
  FDataChangeInfo.Kind = AKind;
  FDataChangeInfo.ItemIndex = AItemIndex;
  FDataChangeInfo.RecordIndex = ARecordIndex;
}

void TcxCustomDataController::DataChanged(Byte AKind, Integer AItemIndex, Integer ARecordIndex)
{
  // Merge with the change already pending.
  TDataChangeInfo& info = FDataChangeInfo;
  bool pendingRecord = info.RecordIndex != -1 || IsNewItemRecord(info.RecordIndex);
  Integer item = AItemIndex;
  if (pendingRecord && ARecordIndex != info.RecordIndex) {
    info.Kind = dcTotal;
  } else if (AKind != dcField || info.ItemIndex == -1 || AItemIndex == info.ItemIndex) {
    info.Kind = AKind;
  } else {
    info.Kind = dcRecord;
    item = -1;
  }
  info.ItemIndex = item;
  info.RecordIndex = ARecordIndex;

  if (AKind == dcTotal) {
    DoReload(false);
  } else {
    if (AKind == dcNewRecord || AKind == dcDeleteRecord)
      FDataControllerInfo->FocusStateChanged(false);
    FDataControllerInfo->RefreshRecords();
  }
  if (TcxCustomDataController* master = GetMasterDataController()) {
    TcxDataEditState state = GetEditState();
    if (!state.Contains(dceEdit) && !state.Contains(dceInsert))
      master->ClearHasChildrenCache();
  }
}

void TcxCustomDataController::NotifyChanges(Word AChanges)
{
  FChanges |= AChanges;
  CheckChanges();
}

void TcxCustomDataController::CheckChanges()
{
  if (FChanges == 0 || !FDataControllerInfo || FDataControllerInfo->IsLocked())
    return;
  if (FReloadPendingWhileLocked) {
    FReloadPendingWhileLocked = false;
    ReloadData(1);
  }
  DeliverChanges();
}

void TcxCustomDataController::DeliverChanges()
{
  Word changes = FChanges;
  FChanges = 0;
  if (changes & dccData)
    NotifyDataChanged();
  else if (changes & (dccLayout | dccUpdateDetails | dccRefresh))
    NotifyLayoutChanged();
  else if (changes & dccUpdateRecord)
    NotifyUpdateRecord();
  if (changes & dccFocus)
    NotifyFocusedChanged();
  if (changes & dccSelection)
    NotifySelectionChanged();
  if (changes & dccSearch)
    NotifySearchChanged();
  if (changes & dccBookmark)
    NotifyBookmarkChanged();
  bool reading = FOwner && FOwner->ComponentState().Contains(csReading);
  if ((changes & dccGrouping) && !reading && OnGroupingChanged)
    OnGroupingChanged(this);
  if ((changes & dccSorting) && !reading && !FInSortingChangedEvent && OnSortingChanged) {
    FInSortingChangedEvent = true;
    TScopeExit end([&] { FInSortingChangedEvent = false; });
    OnSortingChanged(this);
  }
  if ((changes & dccMaster) && GetDetailMode() == dcdmClone)
    if (TcxCustomDataController* pattern = GetPatternDataController())
      pattern->UpdateFocused();
}

void TcxCustomDataController::SendUpdateInfo(TcxUpdateControlInfo* AInfo)
{
  std::unique_ptr<TcxUpdateControlInfo> owned(AInfo);
  UpdateControl(AInfo);
}

void TcxCustomDataController::UpdateControl(TcxUpdateControlInfo* AInfo)
{
  if (OnUpdateControl)
    OnUpdateControl(AInfo);
}

void TcxCustomDataController::NotifyDataChanged()
{
  TScopeExit reset([&] { ResetDataChangeInfo(); });
  TDataChangeInfo info = FDataChangeInfo;
  if (info.Kind == dcField && info.ItemIndex == -1)
    info.Kind = dcRecord;
  if (info.Kind < dcNewRecord && info.RecordIndex == -1 && !IsNewItemRecord(info.RecordIndex))
    info.Kind = dcTotal;
  SendUpdateInfo(new TcxDataChangedInfo(info.Kind, info.ItemIndex, info.RecordIndex));
  DoDataChanged();
}

void TcxCustomDataController::NotifyLayoutChanged()
{
  SendUpdateInfo(new TcxLayoutChangedInfo());
}

void TcxCustomDataController::NotifyUpdateRecord()
{
  SendUpdateInfo(new TcxUpdateRecordInfo(FocusedRecordIndex()));
}

void TcxCustomDataController::NotifyFocusedChanged()
{
  TcxCustomDataControllerInfo* engine = FDataControllerInfo.get();
  TScopeExit save([&] { engine->SavePreviousFocus(); });
  if (engine->PreviousFocusRow() != engine->FocusedRowIndex())
    SendUpdateInfo(
        new TcxFocusedRowChangedInfo(engine->FocusedRowIndex(), engine->PreviousFocusRow()));
  if (engine->PreviousFocusRecord() >= 0 || engine->FocusedRecordIndex() >= 0 ||
      engine->PreviousFocusChanged()) {
    SendUpdateInfo(new TcxFocusedRecordChangedInfo(
        engine->PreviousFocusRecord(), engine->FocusedRecordIndex(), engine->FocusedRowIndex(),
        engine->PreviousFocusRow(), engine->PreviousFocusChanged()));
    FSearch->StopSearch();
  }
}

void TcxCustomDataController::NotifySelectionChanged()
{
  Integer count = GetSelectedCount();
  Integer single = FPrevSelectedRowIndex;
  if (count <= 1)
    single = count == 1 ? GetSelectedRowIndex(0) : -1;
  if (count > 1 || FPrevSelectedCount > 1)
    SendUpdateInfo(new TcxSelectionChangedInfo());
  else
    SendUpdateInfo(
        new TcxSelectionChangedInfo(FPrevSelectedCount == 1 ? FPrevSelectedRowIndex : -1, single));
  FPrevSelectedCount = count;
  FPrevSelectedRowIndex = single;
}

void TcxCustomDataController::NotifySearchChanged()
{
  SendUpdateInfo(new TcxSearchChangedInfo());
}

void TcxCustomDataController::NotifyBookmarkChanged()
{
  SendUpdateInfo(new TcxBookmarkChangedInfo());
}

void TcxCustomDataController::RefreshSelectionSnapshot()
{
  if (FPrevSelectedCount != 1)
    return;
  FPrevSelectedCount = GetSelectedCount();
  FPrevSelectedRowIndex = FPrevSelectedCount == 1 ? GetSelectedRowIndex(0) : -1;
}

void TcxCustomDataController::DoDataChanged()
{
  if (IsDestroying())
    return;
  if (!OnDataChanged && !OnRecordChanged && FDataChangedListeners.empty())
    return;
  if (IsLoading()) {
    FDataChangedFlag = true;
    return;
  }
  FDataChangedFlag = false;
  FireDataChanged();
}

void TcxCustomDataController::FireDataChanged()
{
  if (!IsPattern()) {
    const TDataChangeInfo& info = FDataChangeInfo;
    if (info.Kind < dcNewRecord && (info.RecordIndex != -1 || IsNewItemRecord(info.RecordIndex)) &&
        OnRecordChanged)
      OnRecordChanged(this, info.RecordIndex, info.ItemIndex);
    if (OnDataChanged)
      OnDataChanged(this);
  }
  if (IsGridMode() && FProvider->LocateCount() > 0)
    return;
  // A listener may remove itself (or others) while being called: walk a copy.
  std::vector<TNotifyEvent> listeners = FDataChangedListeners;
  for (const TNotifyEvent& listener : listeners)
    listener(this);
}

void TcxCustomDataController::AddDataChangedListener(const TNotifyEvent& AEvent)
{
  FDataChangedListeners.push_back(AEvent);
}

void TcxCustomDataController::RemoveDataChangedListener(const TNotifyEvent& AEvent)
{
  // The object and the method together identify a handler.
  auto it = std::find(FDataChangedListeners.begin(), FDataChangedListeners.end(), AEvent);
  if (it != FDataChangedListeners.end())
    FDataChangedListeners.erase(it);
}

TcxDataListenerLink* TcxCustomDataController::AddListenerLink()
{
  auto* link = new TcxDataListenerLink(this);
  FListenerLinks.push_back(link);
  return link;
}

void TcxCustomDataController::RemoveListenerLink(TcxDataListenerLink*& ALink)
{
  if (!ALink)
    return;
  if (TcxCustomDataController* controller = ALink->FDataController)
    std::erase(controller->FListenerLinks, ALink);
  delete ALink;
  ALink = nullptr;
}

void TcxCustomDataController::DetachListenerLinks()
{
  for (auto it = FListenerLinks.rbegin(); it != FListenerLinks.rend(); ++it)
    (*it)->FDataController = nullptr;
  FListenerLinks.clear();
}

void TcxCustomDataController::FreeNotification(TComponent* AComponent)
{
  FFields->ComponentRemoved(AComponent);
}
