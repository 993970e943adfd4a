// Master-detail: relations, the per-record detail objects with their link objects, detail
// modes, and the expanded details and selection saved by record keys across reloads (see
// cxCustomData.h).
#include <algorithm>

#include "controls/cx/data/cxCustomData.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"

// ---- Detail objects ----

TcxDetailInfoObject::~TcxDetailInfoObject()
{
  delete LinkObject;
  LinkObject = nullptr;
}

void TcxDetailObject::Clear()
{
  for (TcxDetailInfoObject*& info : FInfos) {
    delete info;
    info = nullptr;
  }
  FInfos.clear();
}

void TcxDetailObject::FreeInfo(Integer AIndex)
{
  if (AIndex < 0 || AIndex >= Count())
    return;
  delete FInfos[AIndex];
  FInfos[AIndex] = nullptr;
}

void TcxDetailObject::SetRelationCount(Integer ACount)
{
  if (ACount > Count())
    FInfos.resize(static_cast<size_t>(ACount), nullptr);
  if (FInfos.empty())
    ActiveRelationIndex = -1;
  else
    ActiveRelationIndex = std::clamp(ActiveRelationIndex, 0, Count() - 1);
}

TcxDetailInfoObject* TcxDetailObject::GetInfo(Integer AIndex) const
{
  return AIndex >= 0 && AIndex < Count() ? FInfos[AIndex] : nullptr;
}

TObject* TcxDetailObject::GetLinkObject(Integer AIndex) const
{
  TcxDetailInfoObject* info = GetInfo(AIndex);
  return info ? info->LinkObject : nullptr;
}

bool TcxDetailObject::HasNoLinks() const
{
  for (TcxDetailInfoObject* info : FInfos)
    if (info && info->LinkObject)
      return false;
  return true;
}

void TcxDetailObject::SetInfo(Integer AIndex, TcxDetailInfoObject* AInfo)
{
  if (AIndex >= Count())
    FInfos.resize(static_cast<size_t>(AIndex + 1), nullptr);
  FInfos[AIndex] = AInfo;
}

TcxDetailInfoObject* TcxDetailObject::EnsureInfo(Integer AIndex)
{
  TcxDetailInfoObject* info = GetInfo(AIndex);
  if (!info) {
    info = new TcxDetailInfoObject;
    SetInfo(AIndex, info);
  }
  return info;
}

void TcxDetailObject::SetLinkObject(Integer AIndex, TObject* ALinkObject)
{
  EnsureInfo(AIndex)->LinkObject = ALinkObject;
}

bool TcxDetailObject::ClearAssignedMarks()
{
  bool any = false;
  for (TcxDetailInfoObject* info : FInfos)
    if (info && info->ChildrenKnown) {
      info->ChildrenKnown = false;
      any = true;
    }
  return any;
}

// ---- Relations ----

TcxCustomDataRelation::TcxCustomDataRelation(TcxCustomDataRelationList* ARelationList,
                                             TObject* AItem)
    : FItem(AItem), FRelationList(ARelationList)
{
  ARelationList->AddRelation(this);
}

TcxCustomDataRelation::~TcxCustomDataRelation()
{
  if (FDetailDataController)
    FDetailDataController->SetMasterRelation(nullptr, FDetailDataController->IsPattern());
  FRelationList->RemoveRelation(this);
}

TcxCustomDataController* TcxCustomDataRelation::MasterDataController() const
{
  return FRelationList->DataController();
}

Integer TcxCustomDataRelation::Index() const
{
  for (Integer i = 0; i < FRelationList->Count(); ++i)
    if (FRelationList->Items(i) == this)
      return i;
  return -1;
}

void TcxCustomDataRelation::Changed()
{
  FRelationList->Update(this);
}

TcxCustomDataRelationList::~TcxCustomDataRelationList()
{
  ++FLockCount; // no rebuilds while the list goes
  while (!FItems.empty())
    delete FItems.back();
}

TcxCustomDataRelation* TcxCustomDataRelationList::Add(TObject* AItem)
{
  return FDataController->CreateRelation(this, AItem);
}

void TcxCustomDataRelationList::Assign(TcxCustomDataRelationList* ASource)
{
  TUpdateScope<TcxCustomDataRelationList> update(*this);
  Clear();
  for (Integer i = 0; i < ASource->Count(); ++i)
    Add(ASource->Items(i)->Item())->Assign(ASource->Items(i));
}

void TcxCustomDataRelationList::EndUpdate()
{
  if (--FLockCount == 0)
    Changed(nullptr);
}

void TcxCustomDataRelationList::Clear()
{
  TUpdateScope<TcxCustomDataRelationList> update(*this);
  while (!FItems.empty())
    delete FItems.back();
}

TcxCustomDataRelation* TcxCustomDataRelationList::Items(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= Count())
    throw EListError(Format(SListIndexError, {AIndex}));
  return FItems[AIndex];
}

TcxCustomDataRelation* TcxCustomDataRelationList::FindByItem(TObject* AItem) const
{
  for (TcxCustomDataRelation* relation : FItems)
    if (relation->Item() == AItem)
      return relation;
  return nullptr;
}

void TcxCustomDataRelationList::AddRelation(TcxCustomDataRelation* ARelation)
{
  FItems.push_back(ARelation);
  Update(ARelation);
}

void TcxCustomDataRelationList::RemoveRelation(TcxCustomDataRelation* ARelation)
{
  FDataController->DetachDetailsOfRelation(ARelation);
  std::erase(FItems, ARelation);
  Update(nullptr);
}

void TcxCustomDataRelationList::Update(TcxCustomDataRelation* ARelation)
{
  if (FLockCount == 0)
    Changed(ARelation);
}

void TcxCustomDataRelationList::Changed(TcxCustomDataRelation* ARelation)
{
  if (FDataController->IsDestroying())
    return;
  {
    TUpdateScope<TcxCustomDataController> update(*FDataController);
    if (FItems.empty()) {
      delete FItemField; // its removal forgets it here (FieldRemoved)
      FItemField = nullptr;
    } else if (FItemField) {
      FDataController->ClearDetailLinkObjects();
    } else {
      FItemField = FDataController->AddInternalField();
      FItemField->ChangeValueType(TcxObjectValueType::Class());
    }
  }
  FDataController->RelationsChanged(ARelation);
}

TcxDetailObject* TcxCustomDataRelationList::GetStoredDetailObject(Integer ARecordIndex) const
{
  if (!FItemField || !FItemField->ValueDef())
    return nullptr;
  const void* data = nullptr;
  if (FDataController->DataStorage()->GetValueDataPointer(ARecordIndex, FItemField->ValueDef(),
                                                          data))
    return nullptr;
  return static_cast<TcxDetailObject*>(TcxObjectValueType::GetObject(data));
}

void TcxCustomDataRelationList::SetStoredDetailObject(Integer ARecordIndex,
                                                      TcxDetailObject* AObject)
{
  FDataController->SetStoredValue(
      ARecordIndex, FItemField, Variant(static_cast<Int64>(reinterpret_cast<NativeInt>(AObject))));
}

void TcxCustomDataRelationList::DismantleDetailObject(Integer ARecordIndex,
                                                      TcxDetailObject* AObject)
{
  for (Integer i = 0; i < AObject->Count(); ++i)
    if (TObject* link = AObject->GetLinkObject(i))
      if (TcxCustomDataController* detail = FDataController->GetDetailDataController(link))
        detail->FMasterRelation = nullptr;
  SetStoredDetailObject(ARecordIndex, nullptr);
  delete AObject;
}

bool TcxCustomDataRelationList::HasDetailControllers() const
{
  TcxCustomDataController* pattern = FDataController->GetPatternDataController();
  if (!pattern || !pattern->HasRelations())
    return false;
  TcxCustomDataRelationList* relations = pattern->Relations();
  for (Integer i = 0; i < relations->Count(); ++i)
    if (relations->Items(i)->DetailDataController())
      return true;
  return false;
}

TcxDetailObject* TcxCustomDataRelationList::GetDetailObject(Integer ARecordIndex)
{
  FDataController->CheckRecordRange(ARecordIndex);
  if (!FItemField)
    return nullptr;
  TcxDetailObject* detail = GetStoredDetailObject(ARecordIndex);
  if (!HasDetailControllers()) {
    if (detail)
      DismantleDetailObject(ARecordIndex, detail);
    return nullptr;
  }
  if (!detail) {
    detail = new TcxDetailObject;
    detail->ActiveRelationIndex = FDataController->GetDefaultActiveRelationIndex();
    SetStoredDetailObject(ARecordIndex, detail);
  }
  detail->SetRelationCount(Count());
  return detail;
}

void TcxCustomDataRelationList::ClearDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex)
{
  TcxDetailObject* detail = GetStoredDetailObject(ARecordIndex);
  if (!detail)
    return;
  if (ARelationIndex == -1) {
    for (Integer i = 0; i < detail->Count(); ++i)
      detail->FreeInfo(i);
  } else {
    detail->FreeInfo(ARelationIndex);
  }
}

bool TcxCustomDataRelationList::IsDetailDataControllerExist(Integer ARecordIndex,
                                                            Integer ARelationIndex) const
{
  TcxDetailObject* detail = GetStoredDetailObject(ARecordIndex);
  if (!detail)
    return false;
  if (ARelationIndex == -1)
    return !detail->HasNoLinks();
  return detail->GetLinkObject(ARelationIndex) != nullptr;
}

void TcxCustomDataRelationList::FieldRemoved(TcxCustomDataField* AField)
{
  if (AField == FItemField)
    FItemField = nullptr;
  for (TcxCustomDataRelation* relation : FItems)
    relation->DropField(AField);
}

// ---- Controller ----

TcxCustomDataRelationList* TcxCustomDataController::Relations()
{
  if (!FRelations)
    FRelations = std::make_unique<TcxCustomDataRelationList>(this);
  return FRelations.get();
}

void TcxCustomDataController::SetMasterRelation(TcxCustomDataRelation* ARelation, bool AIsPattern)
{
  TUpdateScope<TcxCustomDataController> update(*this);
  LinkToMaster(ARelation, -1);
  SetIsPattern(AIsPattern);
}

void TcxCustomDataController::SetIsPattern(bool AValue)
{
  bool was = IsPattern();
  FExplicitPattern = AValue;
  if (was != IsPattern() && !IsDestroying())
    RebuildStorage();
}

TcxDataControllerDetailMode TcxCustomDataController::GetDetailMode() const
{
  if (FMasterRelation)
    return FMasterRecordIndex == -1 ? dcdmPattern : dcdmClone;
  return FExplicitPattern ? dcdmPattern : dcdmNone;
}

TcxCustomDataController* TcxCustomDataController::GetMasterDataController()
{
  return FMasterRelation ? FMasterRelation->MasterDataController() : nullptr;
}

TcxCustomDataController* TcxCustomDataController::GetRootDataController()
{
  TcxCustomDataController* root = this;
  while (TcxCustomDataController* master = root->GetMasterDataController())
    root = master;
  return root;
}

namespace {

// The pattern registered for AItem in the relation tree below AController.
TcxCustomDataController* FindPattern(TcxCustomDataController* AController, TObject* AItem,
                                     Integer ADepth)
{
  if (!AController || !AController->HasRelations() || ADepth > 64)
    return nullptr;
  TcxCustomDataRelationList* relations = AController->Relations();
  for (Integer i = 0; i < relations->Count(); ++i) {
    TcxCustomDataRelation* relation = relations->Items(i);
    if (relation->Item() == AItem && relation->DetailDataController())
      return relation->DetailDataController();
    if (auto* found = FindPattern(relation->DetailDataController(), AItem, ADepth + 1))
      return found;
  }
  return nullptr;
}

} // namespace

TcxCustomDataController* TcxCustomDataController::GetPatternDataController()
{
  if (!FMasterRelation)
    return this;
  if (TcxCustomDataController* pattern = FMasterRelation->DetailDataController())
    return pattern;
  return FindPattern(GetRootDataController(), FMasterRelation->Item(), 0);
}

void TcxCustomDataController::LinkToMaster(TcxCustomDataRelation* ARelation,
                                           Integer AMasterRecordIndex)
{
  if (!ARelation && !FMasterRelation && AMasterRecordIndex == -1 && FMasterRecordIndex == -1)
    return;
  TUpdateScope<TcxCustomDataController> update(*this);
  bool isPattern = AMasterRecordIndex == -1;
  if (FMasterRelation) {
    if (FMasterRelation->DetailDataController() == this && isPattern)
      FMasterRelation->SetDetailDataController(nullptr);
    else
      SetRecordSource(nullptr);
  }
  FMasterRelation = ARelation;
  if (ARelation && isPattern) {
    ARelation->SetDetailDataController(this);
    ARelation->Changed();
  }
  if (FMasterRelation && !isPattern)
    if (TcxCustomDataController* pattern = GetPatternDataController(); pattern && pattern != this)
      SetRecordSource(pattern->RecordSource());
  FMasterRecordIndex = AMasterRecordIndex;
  ReloadData(2);
}

TObject* TcxCustomDataController::GetDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex)
{
  TcxDetailObject* detail = Relations()->GetDetailObject(ARecordIndex);
  if (!detail)
    return nullptr;
  if (TObject* link = detail->GetLinkObject(ARelationIndex))
    return link;
  if (FInDetailLink)
    return nullptr;
  TObject* link = nullptr;
  {
    TcxCustomDataController* pattern = GetPatternDataController();
    bool patternGuard = pattern ? pattern->FInDetailLink : false;
    FInDetailLink = true;
    if (pattern)
      pattern->FInDetailLink = true;
    TScopeExit clear([&] {
      FInDetailLink = false;
      if (pattern && pattern != this)
        pattern->FInDetailLink = patternGuard;
    });
    link = CreateDetailLinkObject(Relations()->Items(ARelationIndex), ARecordIndex);
    bool stale = ARecordIndex < 0 || ARecordIndex >= RecordCount() ||
                 Relations()->GetStoredDetailObject(ARecordIndex) != detail;
    if (stale) {
      delete link;
      link = nullptr;
    } else if (link) {
      detail->SetLinkObject(ARelationIndex, link);
    }
  }
  if (!link && !FInDetailLinkRetry) {
    FInDetailLinkRetry = true;
    TScopeExit clear([&] { FInDetailLinkRetry = false; });
    return GetDetailLinkObject(ARecordIndex, ARelationIndex);
  }
  return link;
}

TcxCustomDataController* TcxCustomDataController::GetDetailDataControllerOf(Integer ARecordIndex,
                                                                            Integer ARelationIndex)
{
  TObject* link = GetDetailLinkObject(ARecordIndex, ARelationIndex);
  return link ? GetDetailDataController(link) : nullptr;
}

bool TcxCustomDataController::IsDetailDataControllerExist(Integer ARecordIndex,
                                                          Integer ARelationIndex)
{
  return FRelations && FRelations->IsDetailDataControllerExist(ARecordIndex, ARelationIndex);
}

Integer TcxCustomDataController::GetActiveRelationIndex(Integer ARecordIndex)
{
  if (!FRelations || !FRelations->HasDetailControllers())
    return -1;
  TcxDetailObject* detail = FRelations->GetDetailObject(ARecordIndex);
  return detail ? detail->ActiveRelationIndex : -1;
}

void TcxCustomDataController::SetActiveRelationIndex(Integer ARecordIndex, Integer ARelationIndex)
{
  if (GetActiveRelationIndex(ARecordIndex) == ARelationIndex)
    return;
  CheckBrowseMode();
  if (TcxDetailObject* detail = FRelations ? FRelations->GetDetailObject(ARecordIndex) : nullptr) {
    detail->ActiveRelationIndex = ARelationIndex;
    NotifyChanges(dccUpdateDetails);
  }
}

bool TcxCustomDataController::GetDetailExpanded(Integer ARecordIndex)
{
  TcxDetailObject* detail = FRelations ? FRelations->GetStoredDetailObject(ARecordIndex) : nullptr;
  return detail && detail->Expanded;
}

bool TcxCustomDataController::ChangeDetailExpanding(Integer ARecordIndex, bool AExpanded)
{
  if (AExpanded == GetDetailExpanded(ARecordIndex))
    return false;
  CheckBrowseMode();
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount() || !FRelations)
    return false;
  TcxDetailObject* detail = FRelations->GetDetailObject(ARecordIndex);
  if (!detail || !CanChangeDetailExpanding(ARecordIndex, AExpanded))
    return false;
  detail->Expanded = AExpanded;
  NotifyChanges(dccUpdateDetails);
  if (AExpanded)
    DoDetailExpanded(ARecordIndex);
  else
    DoDetailCollapsed(ARecordIndex);
  return true;
}

bool TcxCustomDataController::CanChangeDetailExpanding(Integer ARecordIndex, bool AExpand)
{
  bool allow = true;
  if (AExpand)
    DoDetailExpanding(ARecordIndex, allow);
  else
    DoDetailCollapsing(ARecordIndex, allow);
  return allow;
}

void TcxCustomDataController::DoDetailExpanding(Integer ARecordIndex, bool& AAllow)
{
  if (OnDetailExpanding)
    OnDetailExpanding(this, ARecordIndex, AAllow);
}

void TcxCustomDataController::DoDetailExpanded(Integer ARecordIndex)
{
  if (OnDetailExpanded)
    OnDetailExpanded(this, ARecordIndex);
}

void TcxCustomDataController::DoDetailCollapsing(Integer ARecordIndex, bool& AAllow)
{
  if (OnDetailCollapsing)
    OnDetailCollapsing(this, ARecordIndex, AAllow);
}

void TcxCustomDataController::DoDetailCollapsed(Integer ARecordIndex)
{
  if (OnDetailCollapsed)
    OnDetailCollapsed(this, ARecordIndex);
}

bool TcxCustomDataController::HasDetailChildren(Integer ARecordIndex, Integer ARelationIndex)
{
  if (IsDetailDataControllerExist(ARecordIndex, ARelationIndex)) {
    TcxCustomDataController* detail = GetDetailDataControllerOf(ARecordIndex, ARelationIndex);
    return detail && detail->RecordCount() > 0;
  }
  if (!IsProviderMode() && !FProvider->IsActiveDataSet())
    return false;
  TcxDetailObject* detail = FRelations ? FRelations->GetDetailObject(ARecordIndex) : nullptr;
  if (!detail)
    return true;
  TcxDetailInfoObject* info = detail->EnsureInfo(ARelationIndex);
  if (!info->ChildrenKnown) {
    info->ChildrenExist = FProvider->HasDetailChildren(ARecordIndex, ARelationIndex);
    info->ChildrenKnown = true;
  }
  return info->ChildrenExist;
}

void TcxCustomDataController::ClearDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex)
{
  if (!FRelations)
    return;
  FRelations->ClearDetailLinkObject(ARecordIndex, ARelationIndex);
  NotifyChanges(dccUpdateDetails);
}

void TcxCustomDataController::ClearDetailLinkObjects()
{
  if (!FRelations || !FRelations->DetailObjectField())
    return;
  TUpdateScope<TcxCustomDataController> update(*this);
  for (Integer r = 0; r < RecordCount(); ++r)
    if (FRelations->GetStoredDetailObject(r))
      ClearDetailLinkObject(r, -1);
}

void TcxCustomDataController::CollapseDetails()
{
  CheckBrowseMode();
  if (!FRelations || !FRelations->DetailObjectField())
    return;
  TUpdateScope<TcxCustomDataController> update(*this);
  for (Integer r = 0; r < RecordCount(); ++r)
    if (TcxDetailObject* detail = FRelations->GetStoredDetailObject(r)) {
      FRelations->ClearDetailLinkObject(r, -1);
      detail->Expanded = false;
      NotifyChanges(dccUpdateDetails);
    }
}

void TcxCustomDataController::ClearHasChildrenCache()
{
  if (!FRelations || !FRelations->DetailObjectField())
    return;
  bool any = false;
  for (Integer r = 0; r < RecordCount(); ++r)
    if (TcxDetailObject* detail = FRelations->GetStoredDetailObject(r))
      any = detail->ClearAssignedMarks() || any;
  if (any)
    NotifyChanges(dccLayout);
}

void TcxCustomDataController::ClearDetailsOfItem(TObject* AItem)
{
  if (!FRelations)
    return;
  if (FRelations->FindByItem(AItem)) {
    ClearDetailLinkObjects();
    return;
  }
  for (Integer r = 0; r < RecordCount(); ++r)
    for (Integer i = 0; i < FRelations->Count(); ++i)
      if (IsDetailDataControllerExist(r, i))
        if (TcxCustomDataController* detail = GetDetailDataControllerOf(r, i))
          detail->ClearDetailsOfItem(AItem);
}

void TcxCustomDataController::DetachDetailsOfRelation(TcxCustomDataRelation* ARelation)
{
  if (!FRelations || !FRelations->DetailObjectField() || IsDestroying())
    return;
  Integer index = ARelation->Index();
  for (Integer r = 0; r < RecordCount(); ++r)
    if (TcxDetailObject* detail = FRelations->GetStoredDetailObject(r))
      if (TObject* link = detail->GetLinkObject(index))
        if (TcxCustomDataController* controller = GetDetailDataController(link))
          controller->FMasterRelation = nullptr;
}

void TcxCustomDataController::ForEachDetail(
    TcxCustomDataRelation* ARelation, const TEvent<void(TcxCustomDataController* ADetail)>& AProc)
{
  // The relation indexes from the root master down to ARelation.
  std::vector<Integer> path;
  for (TcxCustomDataRelation* relation = ARelation; relation;) {
    path.insert(path.begin(), relation->Index());
    relation = relation->MasterDataController()->GetMasterRelation();
  }
  TcxCustomDataController* root = ARelation->MasterDataController()->GetRootDataController();
  std::function<void(TcxCustomDataController*, size_t)> walk =
      [&](TcxCustomDataController* AController, size_t ALevel) {
        if (ALevel >= path.size() || !AController->HasRelations())
          return;
        for (Integer r = 0; r < AController->RecordCount(); ++r) {
          if (!AController->IsDetailDataControllerExist(r, path[ALevel]))
            continue;
          TcxCustomDataController* detail = AController->GetDetailDataControllerOf(r, path[ALevel]);
          if (!detail)
            continue;
          if (ALevel + 1 == path.size())
            AProc(detail);
          else
            walk(detail, ALevel + 1);
        }
      };
  walk(root, 0);
}

void TcxCustomDataController::RelationsChanged(TcxCustomDataRelation* ARelation)
{
  if (IsDestroying())
    return;
  if (IsPattern()) {
    if (FMasterRelation)
      GetRootDataController()->ClearDetailsOfItem(FMasterRelation->Item());
  } else {
    NotifyChanges(dccData);
  }
}

namespace {

// Calls AProc with every detail controller linked to a record of AController.
void ForEachLinkedDetail(TcxCustomDataController* AController,
                         const std::function<void(TcxCustomDataController*)>& AProc)
{
  if (!AController->HasRelations() || !AController->Relations()->DetailObjectField())
    return;
  TcxCustomDataRelationList* relations = AController->Relations();
  for (Integer r = 0; r < AController->RecordCount(); ++r)
    if (TcxDetailObject* detail = relations->GetStoredDetailObject(r))
      for (Integer i = 0; i < detail->Count(); ++i)
        if (TObject* link = detail->GetLinkObject(i))
          if (TcxCustomDataController* controller = AController->GetDetailDataController(link))
            AProc(controller);
}

} // namespace

void TcxCustomDataController::RecordInserted(Integer ARecordIndex)
{
  ForEachLinkedDetail(this, [&](TcxCustomDataController* detail) {
    if (detail->FMasterRecordIndex >= ARecordIndex)
      ++detail->FMasterRecordIndex;
  });
  // Selection entries and the bookmark follow the records they name.
  if (TcxDataSelection* selection = Selection())
    for (Integer i = 0; i < selection->Count(); ++i) {
      TcxDataSelectionInfo& entry = selection->Items(i);
      if (entry.Level != -1 && entry.RecordIndex >= ARecordIndex)
        ++entry.RecordIndex;
    }
  if (FBookmarkRecordIndex >= ARecordIndex)
    ++FBookmarkRecordIndex;
}

void TcxCustomDataController::RecordDeleted(Integer ARecordIndex)
{
  CheckEditingRecord(ARecordIndex);
  ForEachLinkedDetail(this, [&](TcxCustomDataController* detail) {
    if (detail->FMasterRecordIndex > ARecordIndex)
      --detail->FMasterRecordIndex;
  });
}

bool TcxCustomDataController::HasRecordKeys()
{
  return IsProviderMode() && FProvider->SupportsRecordIds();
}

// ---- Saved state ----

void TcxCustomDataController::SaveKeys()
{
  if (FSaveObjectLockCount == 0) {
    BeginUpdate();
    FSaveObject = std::make_unique<TcxSaveObject>();
    FSaveObject->Save(this);
  }
  ++FSaveObjectLockCount;
}

void TcxCustomDataController::RestoreKeys()
{
  if (--FSaveObjectLockCount != 0)
    return;
  TScopeExit end([&] {
    FSaveObject.reset();
    EndUpdate();
  });
  FSaveObject->Restore(this);
}

TcxSaveObject::TcxSaveObject()
    : FDetailKeys(std::make_unique<TcxDetailKeys>()),
      FSelectedKeys(std::make_unique<TcxSelectedKeys>())
{
}

TcxSaveObject::~TcxSaveObject() = default;

void TcxSaveObject::Save(TcxCustomDataController* AController)
{
  if (AController->DetailLinkGuard() || AController->IsDestroying() ||
      !AController->HasRecordKeys())
    return;
  FDetailKeys->Save(AController);
  FSelectedKeys->Save(AController);
}

void TcxSaveObject::Restore(TcxCustomDataController* AController)
{
  if (AController->DetailLinkGuard())
    return;
  if (AController->HasRecordKeys()) {
    FDetailKeys->Restore(AController);
    FSelectedKeys->Restore(AController);
  } else {
    AController->RecordsRemoved(-1);
  }
}

void TcxDetailKeys::DoSave()
{
  TcxCustomDataController* dc = DataController();
  for (Integer r = 0; r < dc->RecordCount(); ++r) {
    if (!dc->GetDetailExpanded(r))
      continue;
    auto* key = new TcxDetailKeyInfo;
    dc->GetKeyValue(r, KeyFields(), key->Value);
    key->ActiveRelationIndex = dc->GetActiveRelationIndex(r);
    key->SaveObject = new TcxSaveObject;
    AddKey(key);
    if (key->ActiveRelationIndex >= 0 &&
        dc->IsDetailDataControllerExist(r, key->ActiveRelationIndex)) {
      TcxCustomDataController* detail = dc->GetDetailDataControllerOf(r, key->ActiveRelationIndex);
      if (detail && detail->InheritsFrom(dc->ClassType()))
        key->SaveObject->Save(detail);
    }
  }
}

void TcxDetailKeys::DoRestore()
{
  TcxCustomDataController* dc = DataController();
  for (Integer r = 0; r < dc->RecordCount(); ++r) {
    Integer k;
    if (!FindKey(r, k))
      continue;
    auto* key = static_cast<TcxDetailKeyInfo*>(Keys(k));
    dc->ChangeDetailExpanding(r, true);
    dc->SetActiveRelationIndex(r, key->ActiveRelationIndex);
    if (dc->GetDetailExpanded(r) && dc->GetActiveRelationIndex(r) == key->ActiveRelationIndex &&
        key->ActiveRelationIndex >= 0) {
      TcxCustomDataController* detail = dc->GetDetailDataControllerOf(r, key->ActiveRelationIndex);
      if (detail && detail->InheritsFrom(dc->ClassType()))
        key->SaveObject->Restore(detail);
    }
  }
}

TcxDetailKeys::TcxDetailKeyInfo::~TcxDetailKeyInfo()
{
  delete SaveObject;
}

void TcxDetailKeys::FreeKey(TKey* AKey)
{
  delete AKey;
}
