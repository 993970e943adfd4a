// Running sums over a dataset (see DBSumListProducer.h).
#include "controls/eh/DBSumListProducer.h"

#include "controls/eh/EhWrappers.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"

namespace {

// A field's value as Currency: rounded to 4 decimals, ties to even; 0 for null.
Currency ValueOf(TField* Field)
{
  return Field->IsNull() ? Currency() : Currency(static_cast<long double>(Field->AsFloat()));
}

TCollection* BeginUpdateOf(TCollection* Collection)
{
  if (Collection)
    Collection->BeginUpdate();
  return Collection;
}

} // namespace

// ---- TDBSum ----

// The collection hears of the new sum once it is whole: its update recalculates.
TDBSum::TDBSum(TCollection* Collection)
    : TCollectionItem(BeginUpdateOf(Collection)), FEditStartVariant(Null())
{
  if (Collection)
    Collection->EndUpdate();
}

void TDBSum::SetFieldName(const AnsiString& Value)
{
  if (Value == FFieldName)
    return;
  FFieldName = Value;
  Changed(false);
}

void TDBSum::SetGroupOperation(TGroupOperation Value)
{
  if (Value == FGroupOperation)
    return;
  FGroupOperation = Value;
  Changed(false);
}

void TDBSum::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TDBSum*>(Source);
  if (!source) {
    TCollectionItem::Assign(Source);
    return;
  }
  SetGroupOperation(source->FGroupOperation);
  SetFieldName(source->FFieldName);
  FEditStartValue = source->FEditStartValue;
  FTotal = source->FTotal;
}

// ---- TDBSumCollection ----

TDBSumCollection::TDBSumCollection(TDBSumListProducer* Owner)
    : TCollection(CollectionItemClass<TDBSum>()), FOwner(Owner)
{
}

TPersistent* TDBSumCollection::GetOwner()
{
  return FOwner;
}

void TDBSumCollection::Update(TCollectionItem*)
{
  if (FOwner)
    FOwner->Update();
}

TDBSum* TDBSumCollection::FindSum(TGroupOperation Operation, const AnsiString& FieldName) const
{
  for (Integer i = 0; i < Count(); ++i) {
    TDBSum* sum = Items(i);
    if (sum->GroupOperation() == Operation && CompareTextNoCase(sum->FieldName(), FieldName) == 0)
      return sum;
  }
  return nullptr;
}

// ---- TDBSumListProducer ----

TDBSumListProducer::TDBSumListProducer(TComponent* Owner)
    : FOwner(Owner), FSumCollection(std::make_unique<TDBSumCollection>(this)),
      FBookmarkList(std::make_unique<TStringList>())
{
}

TDBSumListProducer::~TDBSumListProducer()
{
  SwitchOff(false);
}

bool TDBSumListProducer::Suspended() const
{
  if (!FOwner)
    return false;
  TComponentState state = FOwner->ComponentState();
  return state.Contains(csLoading) || (state.Contains(csDesigning) && !FDesignTimeWork);
}

void TDBSumListProducer::SetActive(bool Value)
{
  if (Value)
    SwitchOn(true);
  else
    SwitchOff(true);
}

void TDBSumListProducer::SwitchOn(bool Recalculate)
{
  FActive = true;
  if (Suspended())
    return;
  InstallDataSetEvents();
  if (Recalculate)
    RecalculateAll();
}

void TDBSumListProducer::SwitchOff(bool Zero)
{
  FActive = false;
  if (Suspended())
    return;
  RestoreDataSetEvents();
  if (Zero)
    ZeroSums();
}

void TDBSumListProducer::SetDataSet(TDataSet* Value)
{
  if (Value == FDataSet)
    return;
  if (Suspended()) {
    FDataSet = Value;
    return;
  }
  bool wasActive = FActive;
  SwitchOff(true);
  FDataSet = Value;
  if (wasActive)
    SwitchOn(true);
}

void TDBSumListProducer::DataSetFreed(TDataSet* DataSet)
{
  if (DataSet != FDataSet)
    return;
  bool wasActive = FActive;
  RestoreDataSetEvents();
  FDataSet = nullptr;
  FActive = wasActive;
}

void TDBSumListProducer::Loaded()
{
  if (FDataSet && FActive)
    SwitchOn(true);
}

void TDBSumListProducer::Update()
{
  if (FOwner && FOwner->ComponentState().Contains(csLoading))
    return;
  if (FOwner && FOwner->ComponentState().Contains(csDestroying))
    return;
  RecalculateAll();
}

void TDBSumListProducer::SetExternalRecalc(bool Value)
{
  if (Value == FExternalRecalc)
    return;
  FExternalRecalc = Value;
  RecalculateAll();
}

void TDBSumListProducer::SetVirtualRecords(bool Value)
{
  if (Value == FVirtualRecords)
    return;
  FVirtualRecords = Value;
  if (Value)
    RecalculateAll();
}

void TDBSumListProducer::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TDBSumListProducer*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  SetActive(source->FActive);
  SetDataSet(source->FDataSet);
  SetExternalRecalc(source->FExternalRecalc);
  FSumCollection->Assign(source->FSumCollection.get());
  SumListChanged = source->SumListChanged;
  SetVirtualRecords(source->FVirtualRecords);
  OnAfterRecalcAll = source->OnAfterRecalcAll;
  OnRecalcAll = source->OnRecalcAll;
}

void TDBSumListProducer::NotifySumListChanged()
{
  if (SumListChanged)
    SumListChanged(this);
}

void TDBSumListProducer::ZeroSums()
{
  for (Integer i = 0; i < FSumCollection->Count(); ++i) {
    TDBSum* sum = FSumCollection->Items(i);
    sum->FTotal = Currency();
    sum->FEditStartValue = Currency();
    sum->FAverageBase = Currency();
    sum->FNonNullCount = 0;
  }
  NotifySumListChanged();
}

// ---- Hooks ----

void TDBSumListProducer::InstallDataSetEvents()
{
  if (!FDataSet || FEventsInstalled)
    return;
  FMasterDataSet = DataSetOfSourceProperty(FDataSet, "MasterSource");
  FAfterCancel = FDataSet->AfterCancel;
  FAfterClose = FDataSet->AfterClose;
  FAfterEdit = FDataSet->AfterEdit;
  FAfterInsert = FDataSet->AfterInsert;
  FAfterOpen = FDataSet->AfterOpen;
  FAfterPost = FDataSet->AfterPost;
  FAfterScroll = FDataSet->AfterScroll;
  FBeforeDelete = FDataSet->BeforeDelete;
  using E = TDataSetNotifyEvent;
  FDataSet->AfterEdit = E::Bind(this, &TDBSumListProducer::HandleAfterEdit);
  FDataSet->AfterInsert = E::Bind(this, &TDBSumListProducer::HandleAfterInsert);
  FDataSet->AfterOpen = E::Bind(this, &TDBSumListProducer::HandleAfterOpen);
  FDataSet->AfterPost = E::Bind(this, &TDBSumListProducer::HandleAfterPost);
  FDataSet->AfterScroll = E::Bind(this, &TDBSumListProducer::HandleAfterScroll);
  FDataSet->BeforeDelete = E::Bind(this, &TDBSumListProducer::HandleBeforeDelete);
  FDataSet->AfterClose = E::Bind(this, &TDBSumListProducer::HandleAfterClose);
  FDataSet->AfterCancel = E::Bind(this, &TDBSumListProducer::HandleAfterCancel);
  if (FMasterDataSet) {
    FMasterAfterScroll = FMasterDataSet->AfterScroll;
    FMasterDataSet->AfterScroll = E::Bind(this, &TDBSumListProducer::HandleMasterAfterScroll);
  }
  FEventsInstalled = true;
}

void TDBSumListProducer::RestoreDataSetEvents()
{
  if (!FEventsInstalled)
    return;
  if (FDataSet) {
    FDataSet->AfterCancel = FAfterCancel;
    FDataSet->AfterClose = FAfterClose;
    FDataSet->AfterEdit = FAfterEdit;
    FDataSet->AfterInsert = FAfterInsert;
    FDataSet->AfterOpen = FAfterOpen;
    FDataSet->AfterPost = FAfterPost;
    FDataSet->AfterScroll = FAfterScroll;
    FDataSet->BeforeDelete = FBeforeDelete;
  }
  if (FMasterDataSet)
    FMasterDataSet->AfterScroll = FMasterAfterScroll;
  FAfterCancel = FAfterClose = FAfterEdit = FAfterInsert = FAfterOpen = FAfterPost = FAfterScroll =
      FBeforeDelete = FMasterAfterScroll = nullptr;
  FMasterDataSet = nullptr;
  FBookmarkList->Clear();
  FEventsInstalled = false;
}

bool TDBSumListProducer::Relevant(const TDBSum* Sum) const
{
  return Sum->GroupOperation() == goCount || !Sum->FieldName().empty();
}

TField* TDBSumListProducer::FieldOf(const TDBSum* Sum) const
{
  return Sum->FieldName().empty() ? nullptr : FDataSet->FieldByName(Sum->FieldName());
}

bool TDBSumListProducer::VirtualMode() const
{
  return FDataSet && !FDataSet->IsSequenced() && FVirtualRecords;
}

void TDBSumListProducer::RecomputeAverage(TDBSum* Sum)
{
  Sum->FTotal = Sum->FNonNullCount == 0
                    ? Currency()
                    : Currency(Sum->FAverageBase.ToExtended() / Sum->FNonNullCount);
}

// ---- Full recalculation ----

void TDBSumListProducer::RecalculateAll()
{
  if (Suspended() || !FActive || !FDataSet || !FDataSet->Active() || !FEventsInstalled)
    return;
  ZeroSums();
  FLastFindIndex = -1;
  if (OnRecalcAll)
    OnRecalcAll(this);
  // Whatever happens below, the filter is remembered, the walk ends and listeners hear.
  TScopeExit finish([this] {
    FOldFiltered = FDataSet->Filtered();
    FOldFilter = FDataSet->Filter();
    FWalking = false;
    NotifySumListChanged();
  });
  if (FExternalRecalc)
    return;
  bool walk = VirtualMode();
  for (Integer i = 0; i < FSumCollection->Count() && !walk; ++i)
    walk = Relevant(FSumCollection->Items(i));
  if (walk) {
    FDataSet->DisableControls();
    TScopeExit enable([this] { FDataSet->EnableControls(); });
    FBookmarkList->Clear();
    FWalking = true;
    FDataSet->First();
    while (!FDataSet->Eof()) {
      for (Integer i = 0; i < FSumCollection->Count(); ++i) {
        TDBSum* sum = FSumCollection->Items(i);
        if (!Relevant(sum))
          continue;
        TField* field = FieldOf(sum);
        switch (sum->FGroupOperation) {
        case goSum:
          sum->FTotal += ValueOf(field);
          break;
        case goAvg:
          if (!field->IsNull())
            ++sum->FNonNullCount;
          sum->FAverageBase += ValueOf(field);
          break;
        case goCount:
          if (!field || !field->IsNull())
            sum->FTotal += Currency(1);
          break;
        }
      }
      if (VirtualMode())
        FBookmarkList->Add(FDataSet->Bookmark());
      FDataSet->Next();
    }
    FDataSet->First();
    for (Integer i = 0; i < FSumCollection->Count(); ++i)
      if (FSumCollection->Items(i)->FGroupOperation == goAvg)
        RecomputeAverage(FSumCollection->Items(i));
  }
  if (OnAfterRecalcAll)
    OnAfterRecalcAll(this);
}

// ---- Incremental updates ----

void TDBSumListProducer::HandleAfterEdit(TDataSet* DataSet)
{
  for (Integer i = 0; i < FSumCollection->Count(); ++i) {
    TDBSum* sum = FSumCollection->Items(i);
    if (!Relevant(sum))
      continue;
    TField* field = FieldOf(sum);
    if (sum->FGroupOperation == goCount) {
      sum->FEditStartValue = field && field->IsNull() ? Currency() : Currency(1);
    } else {
      sum->FEditStartValue = ValueOf(field);
      sum->FEditStartVariant = field->Value();
    }
  }
  if (FAfterEdit)
    FAfterEdit(DataSet);
}

void TDBSumListProducer::HandleAfterInsert(TDataSet* DataSet)
{
  // Nothing of the new record is in the totals yet, whatever defaults it was given: its
  // post adds all of it.
  for (Integer i = 0; i < FSumCollection->Count(); ++i) {
    TDBSum* sum = FSumCollection->Items(i);
    if (!Relevant(sum))
      continue;
    sum->FEditStartValue = Currency();
    sum->FEditStartVariant = Null();
  }
  if (VirtualMode()) {
    TBookmarkStr bookmark = FDataSet->Bookmark();
    if (!bookmark.empty())
      FBookmarkList->Add(bookmark);
    else
      FPendingInsert = true;
  }
  if (FAfterInsert)
    FAfterInsert(DataSet);
}

void TDBSumListProducer::HandleAfterPost(TDataSet* DataSet)
{
  for (Integer i = 0; i < FSumCollection->Count(); ++i) {
    TDBSum* sum = FSumCollection->Items(i);
    if (!Relevant(sum))
      continue;
    TField* field = FieldOf(sum);
    bool nowNull = field && field->IsNull();
    switch (sum->FGroupOperation) {
    case goSum:
      sum->FTotal += ValueOf(field) - sum->FEditStartValue;
      break;
    case goAvg:
      if (nowNull) {
        if (!VarIsNull(sum->FEditStartVariant))
          --sum->FNonNullCount;
      } else if (VarIsNull(sum->FEditStartVariant)) {
        ++sum->FNonNullCount;
      }
      sum->FAverageBase += ValueOf(field) - sum->FEditStartValue;
      RecomputeAverage(sum);
      break;
    case goCount:
      sum->FTotal += (nowNull ? Currency() : Currency(1)) - sum->FEditStartValue;
      break;
    }
  }
  if (FPendingInsert && VirtualMode())
    InsertPendingBookmark();
  FPendingInsert = false;
  NotifySumListChanged();
  if (FAfterPost)
    FAfterPost(DataSet);
}

// Puts the posted record's bookmark where the list stays in dataset order, searching from
// the last position found.
void TDBSumListProducer::InsertPendingBookmark()
{
  TBookmarkStr bookmark = FDataSet->Bookmark();
  Integer count = FBookmarkList->Count();
  Integer pos = FLastFindIndex < 0 || FLastFindIndex >= count ? 0 : FLastFindIndex;
  if (pos < count && CompareBookmarkText(FDataSet, FBookmarkList->Strings(pos), bookmark) > 0) {
    while (pos > 0 && CompareBookmarkText(FDataSet, FBookmarkList->Strings(pos - 1), bookmark) > 0)
      --pos;
  } else {
    while (pos < count && CompareBookmarkText(FDataSet, FBookmarkList->Strings(pos), bookmark) < 0)
      ++pos;
  }
  FBookmarkList->Insert(pos, bookmark);
  FLastFindIndex = pos;
}

void TDBSumListProducer::HandleBeforeDelete(TDataSet* DataSet)
{
  if (FBeforeDelete)
    FBeforeDelete(DataSet);
  // A record deleted while being edited is in the totals with the values it had when the
  // edit began, not with the unposted ones in the edit buffer.
  bool editing = FDataSet->State() == dsEdit;
  for (Integer i = 0; i < FSumCollection->Count(); ++i) {
    TDBSum* sum = FSumCollection->Items(i);
    if (!Relevant(sum))
      continue;
    TField* field = FieldOf(sum);
    bool counting = sum->FGroupOperation == goCount;
    Currency value = editing || counting ? sum->FEditStartValue : ValueOf(field);
    bool isNull =
        editing && !counting ? VarIsNull(sum->FEditStartVariant) : field && field->IsNull();
    switch (sum->FGroupOperation) {
    case goSum:
      sum->FTotal -= value;
      break;
    case goAvg:
      sum->FAverageBase -= value;
      if (!isNull)
        --sum->FNonNullCount;
      RecomputeAverage(sum);
      break;
    case goCount:
      if (editing ? sum->FEditStartValue != Currency() : !isNull)
        sum->FTotal -= Currency(1);
      break;
    }
  }
  if (VirtualMode()) {
    Integer index = FindBookmarkIndex(FDataSet->Bookmark());
    if (index >= 0)
      FBookmarkList->Delete(index);
  }
  NotifySumListChanged();
}

void TDBSumListProducer::HandleAfterOpen(TDataSet* DataSet)
{
  RecalculateAll();
  if (FAfterOpen)
    FAfterOpen(DataSet);
}

void TDBSumListProducer::HandleAfterClose(TDataSet* DataSet)
{
  ZeroSums();
  FWalking = false;
  FBookmarkList->Clear();
  if (FAfterClose)
    FAfterClose(DataSet);
}

void TDBSumListProducer::HandleAfterCancel(TDataSet* DataSet)
{
  if (FAfterCancel)
    FAfterCancel(DataSet);
  FPendingInsert = false;
}

void TDBSumListProducer::HandleAfterScroll(TDataSet* DataSet)
{
  if (FAfterScroll)
    FAfterScroll(DataSet);
  if (FWalking)
    return;
  bool filterChanged = FDataSet->Filtered() != FOldFiltered ||
                       (FDataSet->Filtered() && FDataSet->Filter() != FOldFilter);
  if (filterChanged)
    RecalculateAll();
}

void TDBSumListProducer::HandleMasterAfterScroll(TDataSet* DataSet)
{
  if (FMasterAfterScroll)
    FMasterAfterScroll(DataSet);
  if (!FWalking)
    RecalculateAll();
}

// ---- Record numbers ----

Integer TDBSumListProducer::FindBookmarkIndex(const TBookmarkStr& Bookmark)
{
  Integer count = FBookmarkList->Count();
  if (count == 0)
    return -1;
  Integer pos = FLastFindIndex < 0 || FLastFindIndex >= count ? 0 : FLastFindIndex;
  Integer order = CompareBookmarkText(FDataSet, FBookmarkList->Strings(pos), Bookmark);
  Integer step = order > 0 ? -1 : 1;
  while (order != 0) {
    pos += step;
    if (pos < 0 || pos >= count) {
      pos = -1;
      break;
    }
    order = CompareBookmarkText(FDataSet, FBookmarkList->Strings(pos), Bookmark);
  }
  FLastFindIndex = pos;
  return pos;
}

Integer TDBSumListProducer::VirtualRecNo()
{
  if (!VirtualMode() || !FActive)
    return FDataSet ? FDataSet->RecNo() : -1;
  return FindBookmarkIndex(FDataSet->Bookmark()) + 1;
}

void TDBSumListProducer::SetVirtualRecNo(Integer Value)
{
  if (!VirtualMode() || !FActive) {
    if (FDataSet)
      FDataSet->SetRecNo(Value);
    return;
  }
  if (Value >= 1 && Value <= FBookmarkList->Count())
    FDataSet->SetBookmark(FBookmarkList->Strings(Value - 1));
}

Integer TDBSumListProducer::ViewRecordCount()
{
  if (!FDataSet)
    return 0;
  if (!VirtualMode() || !FActive)
    return FDataSet->RecordCount();
  return FBookmarkList->Count();
}

bool TDBSumListProducer::SequencedView()
{
  if (FDataSet && FDataSet->IsSequenced())
    return true;
  if (!FDataSet || !FVirtualRecords || !FDataSet->Active())
    return false;
  return FBookmarkList->Count() > 0 || (FDataSet->Bof() && FDataSet->Eof());
}

void DBSumListProducerInitialization()
{
  RegisterEnumType<TGroupOperation>("TGroupOperation", {"goSum", "goAvg", "goCount"});
  TClassRegistration<TDBSum, TCollectionItem>("TDBSum")
      .Property("FieldName", &TDBSum::FieldName, &TDBSum::SetFieldName)
      .Property("GroupOperation", &TDBSum::GroupOperation, &TDBSum::SetGroupOperation)
      .Default(goSum);
  TClassRegistration<TDBSumCollection, TCollection>("TDBSumCollection").Abstract();
  TClassRegistration<TDBSumListProducer, TPersistent>("TDBSumListProducer").Abstract();
}
