// The group tree over the sorted record list, its rows and expansion, expansion kept by
// value across regrouping, and the grouping facade of the grid views (see cxCustomData.h).
//
// The tree is a depth-first list of groups: every group is followed by its descendants.
// A group above the deepest level holds in FirstIndex/LastIndex the item indexes of its
// first child and its last descendant; a deepest group holds the record list indexes of its
// first and last record. Row indexes: a collapsed group takes one row; an expanded group
// is followed by its children's rows (or its records, one row each); a group hidden inside
// a collapsed ancestor carries the ancestor's row.
#include <algorithm>

#include "controls/cx/data/cxCustomData.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"

// ---- TcxDataGroups ----

void TcxDataGroups::Clear()
{
  FLevelFields.clear();
  FItems.clear();
  FDeepestValid = false;
}

TcxDataGroupInfo* TcxDataGroups::AddItem()
{
  FItems.push_back(std::make_unique<TcxDataGroupInfo>());
  FDeepestValid = false;
  return FItems.back().get();
}

TcxCustomDataField* TcxDataGroups::LevelField(Integer ALevel) const
{
  if (ALevel < 0 || ALevel >= LevelCount())
    throw EListError(Format(SListIndexError, {ALevel}));
  return FLevelFields[ALevel];
}

TcxDataGroupInfo* TcxDataGroups::Items(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= ItemCount())
    throw EListError(Format(SListIndexError, {AIndex}));
  return FItems[AIndex].get();
}

Integer TcxDataGroups::Level(Integer AIndex) const
{
  return AIndex < 0 || AIndex >= ItemCount() ? -1 : FItems[AIndex]->Level;
}

const std::vector<Integer>& TcxDataGroups::DeepestGroups() const
{
  if (!FDeepestValid) {
    auto& deepest = const_cast<std::vector<Integer>&>(FDeepest);
    deepest.clear();
    for (Integer i = 0; i < ItemCount(); ++i)
      if (FItems[i]->Level == LevelCount() - 1)
        deepest.push_back(i);
    FDeepestValid = true;
  }
  return FDeepest;
}

Integer TcxDataGroups::TopLevelCount() const
{
  Integer n = 0;
  for (const auto& item : FItems)
    n += item->Level == 0 ? 1 : 0;
  return n;
}

Integer TcxDataGroups::TopLevelGroupIndex(Integer ANumber) const
{
  if (ANumber < 0)
    return -1;
  for (Integer i = 0; i < ItemCount(); ++i)
    if (FItems[i]->Level == 0 && ANumber-- == 0)
      return i;
  return -1;
}

Integer TcxDataGroups::ChildCount(Integer AIndex) const
{
  if (AIndex == -1)
    return TopLevelCount();
  if (AIndex < 0 || AIndex >= ItemCount())
    return 0;
  const TcxDataGroupInfo* group = FItems[AIndex].get();
  if (group->Level == LevelCount() - 1)
    return group->LastIndex - group->FirstIndex + 1;
  Integer n = 0;
  for (Integer i = group->FirstIndex; i <= group->LastIndex && i < ItemCount(); ++i)
    n += FItems[i]->Level == group->Level + 1 ? 1 : 0;
  return n;
}

Integer TcxDataGroups::ChildDataGroupIndex(Integer AIndex, Integer ANumber) const
{
  if (AIndex == -1)
    return TopLevelGroupIndex(ANumber);
  if (AIndex < 0 || AIndex >= ItemCount() || ANumber < 0)
    return -1;
  const TcxDataGroupInfo* group = FItems[AIndex].get();
  if (group->Level == LevelCount() - 1)
    return -1;
  for (Integer i = group->FirstIndex; i <= group->LastIndex && i < ItemCount(); ++i)
    if (FItems[i]->Level == group->Level + 1 && ANumber-- == 0)
      return i;
  return -1;
}

Integer TcxDataGroups::ChildRecordListIndex(Integer AIndex, Integer ANumber) const
{
  if (AIndex < 0 || AIndex >= ItemCount())
    return -1;
  const TcxDataGroupInfo* group = FItems[AIndex].get();
  if (group->Level != LevelCount() - 1 || ANumber < 0 ||
      ANumber > group->LastIndex - group->FirstIndex)
    return -1;
  return group->FirstIndex + ANumber;
}

Integer TcxDataGroups::VisibleGroupOfRow(Integer ARowIndex, Integer AIndex) const
{
  // Among the items sharing this row (the start item and the ancestors before it), the
  // collapsed one of the smallest level is the one shown.
  Integer shown = -1;
  Integer level = FItems[AIndex]->Level + 1;
  for (Integer i = AIndex; i >= 0 && FItems[i]->RowIndex == ARowIndex; --i) {
    if (FItems[i]->Level >= level)
      continue;
    level = FItems[i]->Level;
    if (!FItems[i]->Expanded)
      shown = i;
    if (level == 0)
      break;
  }
  return shown != -1 ? shown : AIndex;
}

Integer TcxDataGroups::LastItemBeforeRow(Integer ARowIndex) const
{
  Integer low = 0, high = ItemCount() - 1;
  while (low <= high) {
    Integer middle = (low + high) / 2;
    if (FItems[middle]->RowIndex < ARowIndex)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return high;
}

Integer TcxDataGroups::FindGroupByRowIndex(Integer ARowIndex, TcxDataGroupInfo*& AGroup) const
{
  Integer low = 0, high = ItemCount() - 1;
  while (low <= high) {
    Integer middle = (low + high) / 2;
    Integer row = FItems[middle]->RowIndex;
    if (row == ARowIndex) {
      // The last item of this row, then the one that is shown there.
      while (middle + 1 < ItemCount() && FItems[middle + 1]->RowIndex == ARowIndex)
        ++middle;
      Integer index = VisibleGroupOfRow(ARowIndex, middle);
      AGroup = FItems[index].get();
      return index;
    }
    if (row < ARowIndex)
      low = middle + 1;
    else
      high = middle - 1;
  }
  AGroup = high >= 0 ? FItems[high].get() : nullptr;
  return -1;
}

bool TcxDataGroups::IsVisibleGroup(Integer AIndex) const
{
  if (AIndex < 0 || AIndex >= ItemCount())
    return false;
  // Shown when no ancestor is collapsed.
  Integer level = FItems[AIndex]->Level;
  for (Integer i = AIndex - 1; i >= 0 && level > 0; --i) {
    if (FItems[i]->Level < level) {
      if (!FItems[i]->Expanded)
        return false;
      level = FItems[i]->Level;
    }
  }
  return true;
}

Integer TcxDataGroups::ParentGroupIndex(Integer AIndex) const
{
  Integer level = Level(AIndex);
  for (Integer i = AIndex - 1; i >= 0; --i)
    if (FItems[i]->Level < level)
      return i;
  return -1;
}

Integer TcxDataGroups::DataGroupIndexByRowIndex(Integer ARowIndex, Integer ALevel) const
{
  TcxDataGroupInfo* group = nullptr;
  Integer index = FindGroupByRowIndex(ARowIndex, group);
  if (index == -1) {
    // A data row: the item just before it owns it.
    index = LastItemBeforeRow(ARowIndex);
    if (index < 0)
      return -1;
  }
  if (ALevel == -1)
    return index;
  if (FItems[index]->Level < ALevel) {
    for (Integer i = index; i < ItemCount(); ++i)
      if (FItems[i]->Level == ALevel)
        return i;
  } else {
    for (Integer i = index; i >= 0; --i)
      if (FItems[i]->Level == ALevel)
        return i;
  }
  return -1;
}

Integer TcxDataGroups::DeepestGroupOfListIndex(Integer ARecordListIndex) const
{
  const std::vector<Integer>& deepest = DeepestGroups();
  // The deepest groups cover the record list in order: halving over their first indexes.
  auto it = std::upper_bound(
      deepest.begin(), deepest.end(), ARecordListIndex,
      [&](Integer value, Integer item) { return value < FItems[item]->FirstIndex; });
  if (it == deepest.begin())
    return -1;
  Integer index = *(it - 1);
  return ARecordListIndex <= FItems[index]->LastIndex ? index : -1;
}

Integer TcxDataGroups::GroupOfListIndexAtLevel(Integer ARecordListIndex, Integer ALevel) const
{
  Integer index = DeepestGroupOfListIndex(ARecordListIndex);
  while (index != -1 && FItems[index]->Level > ALevel)
    index = ParentGroupIndex(index);
  return index;
}

Integer TcxDataGroups::RowCount() const
{
  if (FItems.empty())
    return 0;
  Integer last = ItemCount() - 1;
  Integer shown = VisibleGroupOfRow(FItems[last]->RowIndex, last);
  const TcxDataGroupInfo* group = FItems[shown].get();
  if (group->Expanded && group->Level == LevelCount() - 1)
    return group->RowIndex + (group->LastIndex - group->FirstIndex) + 2;
  return group->RowIndex + 1;
}

void TcxDataGroups::GetRowInfo(Integer ARowIndex, TcxDataRowInfo& AInfo) const
{
  AInfo = TcxDataRowInfo{false, 0, 0};
  if (FItems.empty())
    return;
  TcxDataGroupInfo* group = nullptr;
  Integer index = FindGroupByRowIndex(ARowIndex, group);
  if (index != -1) {
    // A group row: its first deepest descendant's first record.
    Integer first = index;
    while (FItems[first]->Level < LevelCount() - 1)
      first = FItems[first]->FirstIndex;
    AInfo = {group->Expanded, group->Level, FItems[first]->FirstIndex};
    return;
  }
  Integer before = LastItemBeforeRow(ARowIndex);
  if (before < 0)
    return;
  group = FItems[before].get();
  AInfo = {false, LevelCount(), ARowIndex + group->FirstIndex - group->RowIndex - 1};
}

bool TcxDataGroups::ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive)
{
  TcxDataGroupInfo* group = nullptr;
  Integer index = FindGroupByRowIndex(ARowIndex, group);
  if (index == -1)
    return false;
  bool changed = group->Expanded != AExpanded;
  group->Expanded = AExpanded;
  if (ARecursive && group->Level < LevelCount() - 1)
    for (Integer i = index + 1; i < ItemCount() && FItems[i]->Level > group->Level; ++i) {
      changed = changed || FItems[i]->Expanded != AExpanded;
      FItems[i]->Expanded = AExpanded;
    }
  RecalcRowIndexes();
  return changed;
}

void TcxDataGroups::SetAllExpanded(bool AExpanded)
{
  for (auto& item : FItems)
    item->Expanded = AExpanded;
  RecalcRowIndexes();
}

bool TcxDataGroups::MakeVisible(Integer AIndex, bool AExpandSelf)
{
  if (AIndex < 0 || AIndex >= ItemCount())
    return false;
  bool changed = false;
  if (AExpandSelf && !FItems[AIndex]->Expanded) {
    FItems[AIndex]->Expanded = true;
    changed = true;
  }
  for (Integer parent = ParentGroupIndex(AIndex); parent != -1; parent = ParentGroupIndex(parent))
    if (!FItems[parent]->Expanded) {
      FItems[parent]->Expanded = true;
      changed = true;
    }
  if (changed)
    RecalcRowIndexes();
  return changed;
}

// A depth-first walk with a running row counter; the children of a collapsed or hidden
// group carry their ancestor's row.
void TcxDataGroups::RecalcRowIndexes()
{
  Integer row = 0;
  // The level below which groups are hidden (LevelCount(): none hidden).
  Integer hiddenBelow = LevelCount();
  Integer deepest = LevelCount() - 1;
  Integer lastVisibleRow = 0;
  for (Integer i = 0; i < ItemCount(); ++i) {
    TcxDataGroupInfo* group = FItems[i].get();
    if (group->Level <= hiddenBelow)
      hiddenBelow = LevelCount(); // back at or above the collapsed group's level
    if (group->Level > hiddenBelow) {
      group->RowIndex = lastVisibleRow;
      continue;
    }
    group->RowIndex = row;
    lastVisibleRow = row;
    ++row;
    if (!group->Expanded) {
      hiddenBelow = group->Level;
      continue;
    }
    if (group->Level == deepest)
      row += group->LastIndex - group->FirstIndex + 1;
  }
}

// ---- Expanding infos ----

void TcxDataExpandingInfos::AddField(TcxCustomDataField* AField)
{
  if (std::find(FFields.begin(), FFields.end(), AField) != FFields.end())
    cxDataControllerError(cxSDataItemExistError);
  FFields.push_back(AField);
}

void TcxDataExpandingInfos::AddInfo(Integer ALevel, const Variant& AValue, Byte AState)
{
  FItems.push_back({ALevel, AValue, AState});
}

void TcxDataExpandingInfos::RemoveField(TcxCustomDataField* AField)
{
  if (std::find(FFields.begin(), FFields.end(), AField) != FFields.end())
    Clear();
}

void TcxDataExpandingInfos::Clear()
{
  FFields.clear();
  FItems.clear();
  FSaveStates = 0;
}

// ---- Engine: groups ----

void TcxCustomDataControllerInfo::BuildGroups()
{
  TcxDataGroups* tree = FDataGroups.get();
  tree->Clear();
  for (Integer i = 0; i < FGroupingFieldList->Count(); ++i)
    tree->AddField(FGroupingFieldList->Fields(i));
  Integer levels = tree->LevelCount();
  Integer count = RecordListCount();
  if (count == 0 || levels == 0)
    return;
  Integer deepest = levels - 1;
  std::vector<TcxDataGroupInfo*> open(static_cast<size_t>(levels), nullptr);
  std::vector<Integer> opener(static_cast<size_t>(levels),
                              0); // record list index of each open group
  Integer topNumber = 0;

  auto openFrom = [&](Integer ALevel, Integer AListIndex) {
    for (Integer level = ALevel; level <= deepest; ++level) {
      if (level == 0)
        ++topNumber;
      TcxDataGroupInfo* group = tree->AddItem();
      group->RowIndex = topNumber - 1;
      group->Expanded = false;
      group->Level = level;
      group->FirstIndex = level < deepest ? tree->ItemCount() : AListIndex;
      open[level] = group;
      opener[level] = AListIndex;
    }
  };
  openFrom(0, 0);

  PrepareCompareModes(FTotalSortingFieldList.get());
  TScopeExit reset([&] { ResetCompareModes(FTotalSortingFieldList.get()); });
  for (Integer a = 1; a < count; ++a) {
    for (Integer level = 0; level <= deepest; ++level) {
      if (CompareGroupValue(FRecordList[opener[level]], FRecordList[a], level) == 0)
        continue;
      // The groups from this level down close; new ones open.
      for (Integer closing = level; closing <= deepest; ++closing)
        open[closing]->LastIndex = closing < deepest ? tree->ItemCount() - 1 : a - 1;
      openFrom(level, a);
      break;
    }
  }
  open[deepest]->LastIndex = count - 1;
  for (Integer level = 0; level < deepest; ++level)
    open[level]->LastIndex = tree->ItemCount() - 1;
}

void TcxCustomDataControllerInfo::ChangeExpanding(Integer ARowIndex, bool AExpanded,
                                                  bool ARecursive)
{
  CheckRowIndex(ARowIndex);
  if (!IsGrouped() || FDataController->Options().Contains(dcoGroupsAlwaysExpanded))
    return;
  FDataGroups->ChangeExpanding(ARowIndex, AExpanded, ARecursive);
  ExpandingChanged();
  if (!AExpanded) {
    Integer row = FocusedRowIndexFromRecord(false);
    if (row != FFocusingInfo.RowIndex)
      ChangeFocusedRowIndex(row, true);
  }
  CheckUpdate();
}

void TcxCustomDataControllerInfo::FullExpand(bool AExpanded)
{
  if (!IsGrouped() || FDataController->Options().Contains(dcoGroupsAlwaysExpanded))
    return;
  FDataGroups->SetAllExpanded(AExpanded);
  ExpandingChanged();
  if (!AExpanded) {
    Integer row = FocusedRowIndexFromRecord(false);
    if (row != FFocusingInfo.RowIndex)
      ChangeFocusedRowIndex(row, true);
  }
  CheckUpdate();
}

Integer TcxCustomDataControllerInfo::FocusedRowIndexFromRecord(bool AExpanding)
{
  Integer n = RecordListIndexOf(FFocusingInfo.RecordIndex);
  if (n == -1)
    return -1;
  if (!IsGrouped())
    return n;
  TcxDataGroups* tree = FDataGroups.get();
  Integer g = tree->DeepestGroupOfListIndex(n);
  if (g == -1)
    return -1;
  Integer level = FFocusingInfo.Level;
  Integer levels = tree->LevelCount();
  TcxDataGroupInfo* deepestGroup = tree->Items(g);
  if (AExpanding) {
    bool firstRecord = n == deepestGroup->FirstIndex;
    if (firstRecord && (level < levels || level == -1)) {
      // Climb while the group is its parent's first child and not yet at the focus level.
      Integer current = g;
      while (tree->Level(current) != level) {
        Integer parent = tree->ParentGroupIndex(current);
        if (parent == -1 || tree->Items(parent)->FirstIndex != current)
          break;
        current = parent;
      }
      if (tree->MakeVisible(current, false))
        ExpandingChanged();
      return tree->Items(current)->RowIndex;
    }
    if (tree->MakeVisible(g, true))
      ExpandingChanged();
    return deepestGroup->RowIndex + (n - deepestGroup->FirstIndex) + 1;
  }
  TcxDataGroupInfo* shown = nullptr;
  Integer visible = tree->FindGroupByRowIndex(deepestGroup->RowIndex, shown);
  if (level == levels) {
    if (visible == g && deepestGroup->Expanded)
      return deepestGroup->RowIndex + n - deepestGroup->FirstIndex + 1;
    level = levels - 1;
  } else if (level < 0 && visible == g) {
    return deepestGroup->RowIndex;
  }
  // The row that shows the nearest item of the focus level at or before the deepest group.
  for (Integer i = g; i >= 0; --i)
    if (tree->Items(i)->Level == level)
      return tree->Items(i)->RowIndex;
  return -1;
}

void TcxCustomDataControllerInfo::SaveExpanding(Byte AStates)
{
  TcxDataExpandingInfos* infos = FExpandingInfos.get();
  if (AStates == infos->SaveStates())
    return;
  TcxDataGroups* tree = FDataGroups.get();
  bool matches =
      tree->LevelCount() == FGroupingFieldList->Count() && FDataController->RecordCount() > 0;
  for (Integer i = 0; matches && i < tree->LevelCount(); ++i)
    matches = tree->LevelField(i) == FGroupingFieldList->Fields(i);
  if (AStates == 0 || !matches) {
    infos->Clear();
    infos->SetSaveStates(AStates);
    return;
  }
  infos->Clear();
  infos->SetSaveStates(AStates);
  for (Integer i = 0; i < tree->LevelCount(); ++i)
    infos->AddField(tree->LevelField(i));
  bool alwaysExpanded = FDataController->Options().Contains(dcoGroupsAlwaysExpanded);
  bool saveSelection = (AStates & 2) != 0;
  Integer skipBelow = tree->LevelCount(); // items deeper than this are inside a collapsed group
  for (Integer i = 0; i < tree->ItemCount(); ++i) {
    TcxDataGroupInfo* group = tree->Items(i);
    if (group->Level <= skipBelow)
      skipBelow = tree->LevelCount();
    if (group->Level > skipBelow)
      continue;
    if (!group->Expanded && !saveSelection) {
      skipBelow = group->Level;
      continue;
    }
    Byte state = 0;
    if (group->Expanded && !alwaysExpanded && (AStates & 1))
      state |= 1;
    if (saveSelection && FSelection->FindByGroupIndex(i) != -1)
      state |= 2;
    if (!group->Expanded)
      skipBelow = group->Level;
    Integer first = i;
    while (tree->Items(first)->Level < tree->LevelCount() - 1)
      first = tree->Items(first)->FirstIndex;
    Integer listIndex = tree->Items(first)->FirstIndex;
    if (state == 0 || listIndex >= RecordListCount())
      continue;
    Integer record = FRecordList[listIndex];
    if (record >= FDataController->RecordCount())
      continue;
    Variant value;
    FDataController->GetComparedValue(record, tree->LevelField(group->Level), value);
    infos->AddInfo(group->Level, value, state);
  }
}

void TcxCustomDataControllerInfo::RestoreExpanding()
{
  TcxDataGroups* tree = FDataGroups.get();
  TcxDataExpandingInfos* infos = FExpandingInfos.get();
  bool alwaysExpanded = FDataController->Options().Contains(dcoGroupsAlwaysExpanded);
  if (IsGrouped() && alwaysExpanded) {
    tree->SetAllExpanded(true);
    FExpandingFlag = true;
  }
  if (infos->SaveStates() == 0)
    return;
  bool sameFields = infos->SavedFieldCount() == FGroupingFieldList->Count();
  for (Integer i = 0; sameFields && i < infos->SavedFieldCount(); ++i)
    sameFields = infos->SavedField(i) == FGroupingFieldList->Fields(i);
  bool saveSelection = (infos->SaveStates() & 2) != 0;
  if (!sameFields) {
    if (saveSelection)
      FSelection->Clear();
    return;
  }
  // Group rows of the selection are chosen again from the saved states.
  for (Integer i = FSelection->Count() - 1; i >= 0; --i)
    if (FSelection->Items(i).Level == -1)
      FSelection->DeleteItem(i);
  bool expansionRestored = false;
  TScopeExit remap([&] {
    if (expansionRestored && !alwaysExpanded)
      tree->RecalcRowIndexes();
    RemapSelection();
  });
  if (!IsGrouped())
    return;
  TcxDataControllerGroupLocateObject locator(FDataController);
  TcxValueDefUnboundReader reader;
  Integer lastLevel = -1;
  for (Integer i = 0; i < infos->ItemCount(); ++i) {
    const TcxDataExpandingInfo& info = infos->Items(i);
    if (info.Level <= lastLevel)
      reader.TruncateValues(info.Level);
    lastLevel = info.Level;
    TcxCustomDataField* field = FGroupingFieldList->Fields(info.Level);
    if (!field->ValueDef())
      continue;
    locator.SetLevel(info.Level);
    reader.SetValue(field->ValueDef(), info.Value);
    locator.ReadFrom(&reader);
    Integer record = locator.Locate();
    if (record == -1)
      continue;
    Integer group = tree->GroupOfListIndexAtLevel(RecordListIndexOf(record), info.Level);
    if (group == -1)
      continue;
    if ((info.State & 1) && (infos->SaveStates() & 1)) {
      tree->Items(group)->Expanded = true;
      expansionRestored = true;
    }
    if ((info.State & 2) && FSelection->FindByGroupIndex(group) == -1)
      FSelection->InsertItem(-1, tree->Items(group)->RowIndex, -1, group);
  }
}

void TcxCustomDataControllerInfo::RemapSelection()
{
  if (FDataController->IsGridMode())
    return; // the entries stand for dataset bookmarks
  TcxDataGroups* tree = FDataGroups.get();
  for (Integer i = FSelection->Count() - 1; i >= 0; --i) {
    TcxDataSelectionInfo& entry = FSelection->Items(i);
    if (entry.Level == -1) {
      if (entry.RecordIndex >= 0 && entry.RecordIndex < tree->ItemCount())
        entry.RowIndex = tree->Items(entry.RecordIndex)->RowIndex;
      else
        FSelection->DeleteItem(i);
      continue;
    }
    Integer row = GetRowIndexByRecordIndex(entry.RecordIndex, false);
    if (row == -1)
      FSelection->DeleteItem(i);
    else
      entry.RowIndex = row;
  }
  FSelection->Sort();
  Integer anchor = FSelection->AnchorRowIndex();
  if (anchor != -1 && !FSelection->IsRowSelected(anchor))
    FSelection->ClearAnchor();
}

// ---- TcxDataControllerGroups ----

TcxDataGroups* TcxDataControllerGroups::Tree() const
{
  return FDataController->DataControllerInfo()->DataGroups();
}

void TcxDataControllerGroups::ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive)
{
  FDataController->DataControllerInfo()->ChangeExpanding(ARowIndex, AExpanded, ARecursive);
  FDataController->CheckChanges();
}

void TcxDataControllerGroups::FullExpand()
{
  FDataController->DataControllerInfo()->FullExpand(true);
  FDataController->CheckChanges();
}

void TcxDataControllerGroups::FullCollapse()
{
  FDataController->DataControllerInfo()->FullExpand(false);
  FDataController->CheckChanges();
}

void TcxDataControllerGroups::ChangeGrouping(Integer AItemIndex, Integer AGroupIndex)
{
  TcxCustomDataField* field = FDataController->GetField(AItemIndex);
  if (ItemGroupIndex(AItemIndex) == AGroupIndex)
    return;
  FDataController->SetGroupingChangedMark();
  FDataController->DataControllerInfo()->ChangeGrouping(field, AGroupIndex);
  FDataController->CheckChanges();
}

void TcxDataControllerGroups::ClearGrouping()
{
  TUpdateScope<TcxCustomDataController> update(*FDataController);
  while (GroupingItemCount() > 0)
    ChangeGrouping(GroupingItemIndex(0), -1);
}

Integer TcxDataControllerGroups::GroupingItemCount() const
{
  return FDataController->DataControllerInfo()->GroupingFieldList()->Count();
}

Integer TcxDataControllerGroups::GroupingItemIndex(Integer ALevel) const
{
  return FDataController->GetItemIndexOfField(
      FDataController->DataControllerInfo()->GroupingFieldList()->Fields(ALevel));
}

Integer TcxDataControllerGroups::ItemGroupIndex(Integer AItemIndex) const
{
  return FDataController->DataControllerInfo()->GroupingFieldList()->Find(
      FDataController->GetField(AItemIndex));
}

Integer TcxDataControllerGroups::ChildCount(Integer ADataGroupIndex) const
{
  return Tree()->ChildCount(ADataGroupIndex);
}

Integer TcxDataControllerGroups::ChildDataGroupIndex(Integer ADataGroupIndex, Integer AIndex) const
{
  return Tree()->ChildDataGroupIndex(ADataGroupIndex, AIndex);
}

Integer TcxDataControllerGroups::ChildRecordIndex(Integer ADataGroupIndex, Integer AIndex) const
{
  Integer listIndex = Tree()->ChildRecordListIndex(ADataGroupIndex, AIndex);
  return listIndex == -1 ? -1 : FDataController->DataControllerInfo()->RecordListItem(listIndex);
}

Integer TcxDataControllerGroups::Level(Integer ADataGroupIndex) const
{
  return Tree()->Level(ADataGroupIndex);
}

Integer TcxDataControllerGroups::DataGroupIndexByRowIndex(Integer ARowIndex) const
{
  return Tree()->DataGroupIndexByRowIndex(ARowIndex);
}

void TcxDataControllerGroups::LoadRecordIndexes(std::vector<Integer>& AList,
                                                Integer ADataGroupIndex) const
{
  TcxDataGroups* tree = Tree();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= tree->ItemCount())
    return;
  TcxDataGroupInfo* group = tree->Items(ADataGroupIndex);
  if (group->Level == tree->LevelCount() - 1) {
    for (Integer i = group->FirstIndex; i <= group->LastIndex; ++i)
      AList.push_back(FDataController->DataControllerInfo()->RecordListItem(i));
    return;
  }
  for (Integer i = 0; i < ChildCount(ADataGroupIndex); ++i)
    LoadRecordIndexes(AList, ChildDataGroupIndex(ADataGroupIndex, i));
}

void TcxDataControllerGroups::LoadRecordIndexesByRowIndex(std::vector<Integer>& AList,
                                                          Integer ARowIndex) const
{
  LoadRecordIndexes(AList, DataGroupIndexByRowIndex(ARowIndex));
}
