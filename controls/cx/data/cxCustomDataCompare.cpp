// Record comparison (the order the engine sorts and groups by), the find filter and the
// searches by text, by sorted values and by equal values (see cxCustomData.h).
#include <algorithm>

#include "controls/cx/data/cxCustomData.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

enum : Byte { csValueCached = 1, csTextCached = 2 };

} // namespace

// ---- Comparison ----

Integer TcxCustomDataController::CompareByField(Integer ARecordIndex1, Integer ARecordIndex2,
                                                TcxCustomDataField* AField)
{
  bool byValue = (OnCompare && !AField->IsInternal()) || NeedsValueCompare(AField);
  if (!byValue)
    return CompareStored(ARecordIndex1, ARecordIndex2, AField);
  if (!OnCompare && IsProviderMode() && RecordSource()->IsCompareSupported() &&
      ARecordIndex1 >= 0 && ARecordIndex2 >= 0)
    return FProvider->CompareRecords(ARecordIndex1, ARecordIndex2, AField);
  Variant v1, v2;
  GetComparedValue(ARecordIndex1, AField, v1);
  GetComparedValue(ARecordIndex2, AField, v2);
  if (OnCompare) {
    Integer compare = 0;
    OnCompare(this, ARecordIndex1, ARecordIndex2, GetItemIndexOfField(AField), v1, v2, compare);
    return compare;
  }
  if (!VarIsStr(v1) || !VarIsStr(v2))
    return VariantCompare(v1, v2);
  // Case folding alone: the upper-cased texts of a sort pass are kept per record.
  bool caseOnly = FOptions.Contains(dcoCaseInsensitive) && !FOptions.Contains(dcoAnsiSort);
  auto& state = AField->FComparedState;
  if (caseOnly && ARecordIndex1 >= 0 && ARecordIndex2 >= 0 &&
      ARecordIndex1 < static_cast<Integer>(state.size()) &&
      ARecordIndex2 < static_cast<Integer>(state.size())) {
    auto upper = [&](Integer r, const Variant& v) -> const AnsiString& {
      if (!(state[r] & csTextCached)) {
        AField->FComparedTexts[r] = AnsiUpperCase(v.AsString());
        state[r] |= csTextCached;
      }
      return AField->FComparedTexts[r];
    };
    Integer c = upper(ARecordIndex1, v1).compare(upper(ARecordIndex2, v2));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return CompareStrings(v1, v2);
}

Integer TcxCustomDataController::CompareStrings(const Variant& V1, const Variant& V2)
{
  bool ansi = FOptions.Contains(dcoAnsiSort), caseless = FOptions.Contains(dcoCaseInsensitive);
  if (ansi && caseless)
    return AnsiCompareText(V1.AsString(), V2.AsString());
  if (ansi)
    return AnsiCompareStr(V1.AsString(), V2.AsString());
  if (caseless)
    return CompareStr(AnsiUpperCase(V1.AsString()), AnsiUpperCase(V2.AsString()));
  return VariantCompare(V1, V2);
}

Integer TcxCustomDataController::CompareStored(Integer ARecordIndex1, Integer ARecordIndex2,
                                               TcxCustomDataField* AField)
{
  TcxValueDef* def = AField->ValueDef();
  if (!def)
    return 0;
  if (IsProviderMode())
    return FProvider->CompareValues(ARecordIndex1, ARecordIndex2, AField);
  return FDataStorage->CompareRecords(ARecordIndex1, ARecordIndex2, def);
}

Integer TcxCustomDataController::CompareEqualRecords(Integer ARecordIndex1, Integer ARecordIndex2)
{
  return ARecordIndex1 - ARecordIndex2;
}

Integer TcxCustomDataController::CompareWithSortOrder(Integer ARecordIndex1, Integer ARecordIndex2,
                                                      const TcxDataSortingInfo& ASortingInfo)
{
  Integer c = CompareByField(ARecordIndex1, ARecordIndex2, ASortingInfo.Field);
  return ASortingInfo.SortOrder == soDescending ? -c : c;
}

void TcxCustomDataController::GetComparedValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                               Variant& AValue)
{
  auto& state = AField->FComparedState;
  bool cached = ARecordIndex >= 0 && ARecordIndex < static_cast<Integer>(state.size());
  if (cached && (state[ARecordIndex] & csValueCached)) {
    AValue = AField->FComparedValues[ARecordIndex];
    return;
  }
  if (AField->CompareMode() == 2) {
    AnsiString text;
    Integer item = GetItemIndexOfField(AField);
    if (item != -1)
      GetRecordDisplayText(ARecordIndex, item, text);
    else
      GetInternalDisplayText(ARecordIndex, AField, text);
    AValue = Variant(std::move(text));
  } else {
    GetInternalValue(ARecordIndex, AField, AValue);
  }
  if (cached) {
    AField->FComparedValues[ARecordIndex] = AValue;
    state[ARecordIndex] |= csValueCached;
  }
}

bool TcxCustomDataController::NeedsValueCompare(TcxCustomDataField* AField)
{
  if (AField->CompareMode() != 0)
    return AField->CompareMode() > 0;
  bool result = AField->ValueCompare() || NeedsTextCompare(AField) || IsSortByDisplayText(AField);
  if (!result && IsProviderMode())
    result = !RecordSource()->IsRawValueAccessSupported();
  return result;
}

bool TcxCustomDataController::NeedsTextCompare(TcxCustomDataField* AField)
{
  TcxValueTypeClass type = AField->EffectiveValueTypeClass();
  return (FOptions.Contains(dcoAnsiSort) || FOptions.Contains(dcoCaseInsensitive)) && type &&
         type->IsString();
}

bool TcxCustomDataController::IsSortByDisplayText(TcxCustomDataField* AField)
{
  if (FDisplayTextSortingOff || AField->IsInternal())
    return false;
  Integer item = GetItemIndexOfField(AField);
  return item != -1 && GetItemSortByDisplayText(item, FOptions.Contains(dcoSortByDisplayText));
}

bool TcxCustomDataController::IsStringSorting(Integer AItemIndex)
{
  if (GetItemSortByDisplayText(AItemIndex, true))
    return true;
  TcxValueTypeClass type = GetField(AItemIndex)->EffectiveValueTypeClass();
  return FOptions.Contains(dcoAnsiSort) && type && type->IsString();
}

// ---- Find filter ----

Integer TcxCustomDataController::SetFindFilter(Integer AItemIndex, const AnsiString& AText)
{
  FFindFilterField = GetField(AItemIndex);
  FFindFilterText = AText;
  Refresh();
  return FilteredRecordCount() > 0 ? GetFilteredRecordIndex(0) : -1;
}

void TcxCustomDataController::ResetFindFilter()
{
  bool wasFiltering = IsFindFiltering();
  FFindFilterField = nullptr;
  FFindFilterText.clear();
  if (wasFiltering && !IsDestroying())
    Refresh();
}

bool TcxCustomDataController::IsFindFiltering()
{
  return FFindFilterField && !FFindFilterText.empty();
}

bool TcxCustomDataController::DoFindFilterRecord(Integer ARecordIndex)
{
  AnsiString text;
  Integer item = GetItemIndexOfField(FFindFilterField);
  if (item != -1)
    GetRecordDisplayText(ARecordIndex, item, text);
  else
    GetInternalDisplayText(ARecordIndex, FFindFilterField, text);
  return SearchTextMatches(text, FFindFilterText, true);
}

bool TcxCustomDataController::ChangeFindFilterText(const AnsiString& AText)
{
  if (!FFindFilterField || AText == FFindFilterText)
    return false;
  SetFindFilter(GetItemIndexOfField(FFindFilterField), AText);
  return true;
}

// ---- Searches ----

Integer TcxCustomDataController::FindRecordIndexByText(Integer AStartFilteredIndex,
                                                       Integer AItemIndex, const AnsiString& AText,
                                                       bool APartial, bool ACycle, bool AForward)
{
  CheckItemRange(AItemIndex);
  Integer count = FilteredRecordCount();
  if (AStartFilteredIndex < 0 || AStartFilteredIndex >= count)
    return -1;
  auto matches = [&](Integer AFilteredIndex) {
    AnsiString text;
    GetRecordDisplayText(GetFilteredRecordIndex(AFilteredIndex), AItemIndex, text);
    return SearchTextMatches(text, AText, APartial);
  };
  if (AForward) {
    for (Integer i = AStartFilteredIndex; i < count; ++i)
      if (matches(i))
        return GetFilteredRecordIndex(i);
    if (ACycle && AStartFilteredIndex != 0)
      for (Integer i = 0; i < AStartFilteredIndex; ++i)
        if (matches(i))
          return GetFilteredRecordIndex(i);
  } else {
    for (Integer i = AStartFilteredIndex; i >= 0; --i)
      if (matches(i))
        return GetFilteredRecordIndex(i);
    if (ACycle && AStartFilteredIndex != 0)
      for (Integer i = count - 1; i > AStartFilteredIndex; --i)
        if (matches(i))
          return GetFilteredRecordIndex(i);
  }
  return -1;
}

Integer TcxCustomDataController::FindSortedRecord(Integer ARecordIndex, Integer AFieldCount)
{
  TcxCustomDataControllerInfo* engine = FDataControllerInfo.get();
  TcxSortingFieldList* total = engine->TotalSortingFieldList();
  AFieldCount = std::min(AFieldCount, total->Count());
  engine->PrepareCompareModes(total);
  TScopeExit reset([&] { engine->ResetCompareModes(total); });
  Integer low = 0, high = FilteredRecordCount() - 1;
  while (low <= high) {
    Integer middle = (low + high) / 2;
    Integer record = GetFilteredRecordIndex(middle);
    Integer c = 0;
    for (Integer i = 0; i < AFieldCount && c == 0; ++i)
      c = CompareWithSortOrder(record, ARecordIndex, total->GetEntry(i));
    if (c == 0)
      return record;
    if (c < 0)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return -1;
}

Integer TcxCustomDataController::FindEqualRecord(Integer ARecordIndex,
                                                 const std::vector<TcxCustomDataField*>& AFields)
{
  if (AFields.empty())
    return -1;
  TcxSortingFieldList list;
  for (TcxCustomDataField* field : AFields)
    list.Add(field, soAscending);
  FDataControllerInfo->PrepareCompareModes(&list);
  TScopeExit reset([&] { FDataControllerInfo->ResetCompareModes(&list); });
  for (Integer r = 0; r < RecordCount(); ++r) {
    bool equal = true;
    for (TcxCustomDataField* field : AFields)
      if (CompareByField(r, ARecordIndex, field) != 0) {
        equal = false;
        break;
      }
    if (equal)
      return r;
  }
  return -1;
}

// ---- Incremental search ----

bool TcxDataControllerSearch::Searching() const
{
  return FDataController->Searching();
}

AnsiString TcxDataControllerSearch::SearchText() const
{
  return FDataController->SearchText();
}

Integer TcxDataControllerSearch::ItemIndex() const
{
  return FDataController->SearchField()
             ? FDataController->GetItemIndexOfField(FDataController->SearchField())
             : -1;
}

Integer TcxDataControllerSearch::FindMatch(Integer AFrom, Integer ATo, bool AForward)
{
  TcxCustomDataController* dc = FDataController;
  Integer item = dc->GetItemIndexOfField(dc->SearchField());
  AnsiString search = dc->SearchText();
  for (Integer a = AFrom; AForward ? a <= ATo : a >= ATo; a += AForward ? 1 : -1) {
    AnsiString text;
    dc->GetSearchDisplayText(dc->GetFilteredRecordIndex(a), item, text);
    if (SearchTextMatches(text, search, true))
      return a;
  }
  return -1;
}

void TcxDataControllerSearch::FocusMatch(Integer AFilteredIndex)
{
  Lock();
  TScopeExit unlock([&] { Unlock(); });
  FDataController->SetFocusedRecordIndex(FDataController->GetFilteredRecordIndex(AFilteredIndex));
  FDataController->SelectFocusedRow();
}

bool TcxDataControllerSearch::StartSearch(Integer AItemIndex, const AnsiString& AText)
{
  TcxCustomDataController* dc = FDataController;
  if (AText.empty() || dc->FilteredRecordCount() == 0)
    return false;
  dc->SetSearchField(dc->GetField(AItemIndex));
  bool found = false;
  if (dc->IsGridMode()) {
    AnsiString saved = dc->SearchText();
    dc->SetSearchText(AText);
    found = dc->SearchInGridMode(AItemIndex, AText, true, false);
    if (!found)
      dc->SetSearchText(saved);
  } else {
    AnsiString saved = dc->SearchText();
    dc->SetSearchText(AText); // FindMatch reads the text sought from the controller
    Integer focused = dc->FocusedRecordIndex();
    Integer start = focused == -1 ? 0 : std::max(dc->GetFilteredIndexByRecordIndex(focused), 0);
    Integer match = FindMatch(start, dc->FilteredRecordCount() - 1, true);
    if (match == -1 && start > 0)
      match = FindMatch(0, start - 1, true);
    dc->SetSearchText(saved);
    if (match != -1) {
      FocusMatch(match);
      found = true;
    }
  }
  if (found) {
    dc->SetSearching(true);
    dc->SetSearchText(AText);
    dc->NotifyChanges(dccSearch);
    dc->CheckFocusedSelected();
  }
  return found;
}

bool TcxDataControllerSearch::SearchNext(bool AForward)
{
  TcxCustomDataController* dc = FDataController;
  if (!dc->Searching() || dc->SearchText().empty() || !dc->SearchField() ||
      dc->FilteredRecordCount() == 0)
    return false;
  if (dc->IsGridMode()) {
    bool found = dc->SearchInGridMode(ItemIndex(), dc->SearchText(), AForward, true);
    if (found)
      dc->CheckFocusedSelected();
    return found;
  }
  Integer focused = dc->FocusedRecordIndex();
  if (focused == -1)
    return false;
  Integer index = dc->GetFilteredIndexByRecordIndex(focused);
  if (index == -1)
    return false;
  Integer match = AForward ? FindMatch(index + 1, dc->FilteredRecordCount() - 1, true)
                           : FindMatch(index - 1, 0, false);
  if (match == -1)
    return false;
  FocusMatch(match);
  dc->CheckFocusedSelected();
  return true;
}

void TcxDataControllerSearch::StopSearch()
{
  TcxCustomDataController* dc = FDataController;
  if (FLocked || !dc->Searching())
    return;
  dc->SetSearchText("");
  dc->SetSearching(false);
  dc->NotifyChanges(dccSearch);
}

// ---- Locate objects ----

TcxDataControllerLocateObject::~TcxDataControllerLocateObject()
{
  if (FRecordIndex < 0 && FDataController->DataStorage())
    FDataController->DataStorage()->ReleaseInternalRecord(FRecordIndex);
}

void TcxDataControllerLocateObject::ReleaseRecord()
{
  if (FRecordIndex < 0)
    FDataController->DataStorage()->ReleaseInternalRecord(FRecordIndex);
  FRecordIndex = 0;
}

void TcxDataControllerLocateObject::ReadFrom(TcxValueDefReader* AReader)
{
  TcxDataStorage* storage = FDataController->DataStorage();
  if (FRecordIndex == 0)
    FRecordIndex = storage->AddInternalRecord();
  storage->ReadRecord(FRecordIndex, AReader, true);
}

Integer TcxDataControllerKeyLocateObject::Locate()
{
  if (RecordIndex() == 0)
    return -1;
  return DataController()->FindEqualRecord(RecordIndex(), FKeyFields);
}

TcxDataControllerGroupLocateObject::TcxDataControllerGroupLocateObject(
    TcxCustomDataController* ADataController)
    : TcxDataControllerLocateObject(ADataController)
{
  TcxGroupingFieldList* grouping = ADataController->DataControllerInfo()->GroupingFieldList();
  for (Integer i = 0; i < grouping->Count(); ++i) {
    FGroupingFields.push_back(grouping->Fields(i));
    if (ADataController->IsSortByDisplayText(grouping->Fields(i)))
      FSortedSearch = false;
  }
  UpdateComparedFields();
}

void TcxDataControllerGroupLocateObject::SetLevel(Integer ALevel)
{
  if (FLevel == ALevel)
    return;
  FLevel = ALevel;
  UpdateComparedFields();
}

void TcxDataControllerGroupLocateObject::UpdateComparedFields()
{
  if (FSortedSearch)
    return;
  FComparedFields.assign(FGroupingFields.begin(),
                         FGroupingFields.begin() +
                             std::min<size_t>(FGroupingFields.size(), FLevel + 1));
}

Integer TcxDataControllerGroupLocateObject::Locate()
{
  if (RecordIndex() == 0)
    return -1;
  TcxCustomDataController* dc = DataController();
  if (FSortedSearch)
    return dc->FindSortedRecord(RecordIndex(), FLevel + 1);
  bool saved = dc->DisplayTextSortingOff();
  dc->SetDisplayTextSortingOff(true);
  TScopeExit restore([&] { dc->SetDisplayTextSortingOff(saved); });
  return dc->FindEqualRecord(RecordIndex(), FComparedFields);
}
