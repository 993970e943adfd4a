// TDataSource, TDataLink and TMasterDataLink: how datasets tell controls and detail sets
// what happened (DB.h). A link's window is FBufferCount rows of the dataset's buffered
// records starting at FFirstRecord; scroll events move it by the excess past its edges.
#include <algorithm>
#include <set>

#include "platform/data/DB.h"
#include "platform/data/DBPrivate.h"
#include "platform/data/DataUnitsPrivate.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterDataLinkClasses()
{
  RegisterEventType<TDataChangeEvent>("TDataChangeEvent");
  RegisterClass(
      TClassRegistration<TDataSource, TComponent>("TDataSource")
          .Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit)
          .Default(true)
          .Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
          .Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled)
          .Default(true)
          .Property("OnDataChange", &TDataSource::OnDataChange, &TDataSource::OnDataChange)
          .Property("OnStateChange", &TDataSource::OnStateChange, &TDataSource::OnStateChange)
          .Property("OnUpdateData", &TDataSource::OnUpdateData, &TDataSource::OnUpdateData));
}

// ---- TDataSource ----

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource()
{
  auto links = FLinks;
  for (TDataLink* link : links)
    RemoveDataLink(link);
  if (FDataSet) {
    auto& list = FDataSet->FDataSources;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    FDataSet->RemoveFreeNotification(this);
    FDataSet->UpdateBufferCount();
    FDataSet = nullptr;
  }
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const
{
  std::set<const TDataSet*> seen;
  for (TDataSet* ds = DataSet; ds && seen.insert(ds).second;) {
    TDataSource* src = ds->DataSource();
    if (!src)
      return false;
    if (src == this)
      return true;
    ds = src->DataSet();
  }
  return false;
}

void TDataSource::SetDataSet(TDataSet* Value)
{
  if (Value == FDataSet)
    return;
  if (Value && IsLinkedTo(Value))
    DatabaseError(SCircularDataLink, this);
  if (FDataSet) {
    auto& list = FDataSet->FDataSources;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    FDataSet->RemoveFreeNotification(this);
    FDataSet->UpdateBufferCount();
  }
  FDataSet = Value;
  if (Value) {
    Value->FDataSources.push_back(this);
    Value->FreeNotification(this);
    Value->UpdateBufferCount();
  }
  UpdateState();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet)
    SetDataSet(nullptr);
}

void TDataSource::SetEnabled(bool Value)
{
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  UpdateState();
}

void TDataSource::Edit()
{
  if (FAutoEdit && FState == dsBrowse && FDataSet)
    FDataSet->Edit();
}

void TDataSource::AddDataLink(TDataLink* Link)
{
  FLinks.push_back(Link);
  Link->FDataSource = this;
  if (FDataSet)
    FDataSet->UpdateBufferCount();
  Link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* Link)
{
  FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), Link), FLinks.end());
  Link->FDataSource = nullptr;
  Link->UpdateState();
  if (FDataSet)
    FDataSet->UpdateBufferCount();
}

void TDataSource::SetState(TDataSetState Value)
{
  if (Value == FState)
    return;
  FState = Value;
  NotifyDataLinks(deUpdateState, 0);
  if (OnStateChange)
    OnStateChange(this);
}

void TDataSource::UpdateState()
{
  SetState(FEnabled && FDataSet ? FDataSet->State() : dsInactive);
}

void TDataSource::NotifyDataLinks(TDataEvent Event, NativeInt Info)
{
  auto links = FLinks;
  for (TDataLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
      link->DataEvent(Event, Info);
}

void TDataSource::DataEvent(TDataEvent Event, NativeInt Info)
{
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive)
    return;
  NotifyDataLinks(Event, Info);
  switch (Event) {
  case deFieldChange:
  case deRecordChange:
    if (OnDataChange)
      OnDataChange(this, reinterpret_cast<TField*>(Info));
    break;
  case deDataSetChange:
  case deDataSetScroll:
  case deLayoutChange:
    if (OnDataChange)
      OnDataChange(this, nullptr);
    break;
  case deUpdateRecord:
    if (OnUpdateData)
      OnUpdateData(this);
    break;
  default:
    break;
  }
}

// ---- TDataLink ----

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
  if (FDataSource)
    FDataSource->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* Value)
{
  if (Value == FDataSource)
    return;
  if (FDataSourceFixed)
    DatabaseError(SDataSourceFixed, FControl);
  if (FDataSource)
    FDataSource->RemoveDataLink(this);
  if (Value)
    Value->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const
{
  return FDataSource ? FDataSource->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool Value)
{
  if (Value == FReadOnly)
    return;
  FReadOnly = Value;
  UpdateState();
}

void TDataLink::SetActive(bool Value)
{
  if (Value == FActive)
    return;
  FActive = Value;
  if (Value)
    UpdateRange();
  else
    FFirstRecord = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool Value)
{
  if (Value == FEditing)
    return;
  FEditing = Value;
  EditingChanged();
}

void TDataLink::UpdateState()
{
  TDataSetState state = FDataSource ? FDataSource->State() : dsInactive;
  SetActive(state != dsInactive);
  SetEditing((state == dsEdit || state == dsInsert || state == dsSetKey) && !FReadOnly);
}

void TDataLink::UpdateRange()
{
  TDataSet* ds = DataSet();
  if (!ds)
    return;
  Integer active = ds->FActiveRecord;
  Integer lo = std::max(0, active - FBufferCount + 1);
  Integer hi = std::min(std::max(0, ds->FBufferCount - FBufferCount), active);
  if (FFirstRecord < lo)
    FFirstRecord = lo;
  if (FFirstRecord > hi)
    FFirstRecord = hi;
}

bool TDataLink::Edit()
{
  if (!FReadOnly && FDataSource)
    FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord()
{
  FUpdating = true;
  TScopeExit done([this] { FUpdating = false; });
  UpdateData();
}

void TDataLink::Reset()
{
  RecordChanged(nullptr);
}

void TDataLink::SetBufferCount(Integer Value)
{
  Value = std::max(Value, 1);
  if (Value == FBufferCount)
    return;
  FBufferCount = Value;
  TDataSet* ds = DataSet();
  if (FActive && ds) {
    UpdateRange();
    ds->UpdateBufferCount();
    UpdateRange();
  }
}

Integer TDataLink::ActiveRecord() const
{
  TDataSet* ds = DataSet();
  if (!ds || !FActive || ds->State() == dsSetKey)
    return 0;
  return ds->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(Integer Value)
{
  TDataSet* ds = DataSet();
  if (ds && FActive && ds->State() != dsSetKey)
    ds->SetActiveRecord(Value + FFirstRecord);
}

Integer TDataLink::RecordCount() const
{
  TDataSet* ds = DataSet();
  if (!ds || !FActive)
    return 0;
  return std::clamp(ds->FRecordCount - FFirstRecord, 0, FBufferCount);
}

Integer TDataLink::MoveBy(Integer Distance)
{
  TDataSet* ds = DataSet();
  return ds ? ds->MoveBy(Distance) : 0;
}

bool TDataLink::BOF() const
{
  TDataSet* ds = DataSet();
  return !ds || ds->Bof();
}

bool TDataLink::Eof() const
{
  TDataSet* ds = DataSet();
  return !ds || ds->Eof();
}

TField* TDataLink::GetFieldByName(const AnsiString& FieldName) const
{
  TDataSet* ds = DataSet();
  TField* field = ds ? ds->FindField(FieldName) : nullptr;
  if (!field)
    DatabaseErrorFmt(SFieldNotFound, FieldName, FControl);
  return field;
}

void TDataLink::DataEvent(TDataEvent Event, NativeInt Info)
{
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive)
    return;
  switch (Event) {
  case deFieldChange:
  case deRecordChange:
    if (!FUpdating)
      RecordChanged(reinterpret_cast<TField*>(Info));
    break;
  case deDataSetChange:
  case deDataSetScroll:
  case deLayoutChange: {
    Integer count = 0;
    TDataSet* ds = DataSet();
    if (ds && ds->State() != dsSetKey) {
      Integer active = ds->FActiveRecord;
      Integer first = FFirstRecord + static_cast<Integer>(Info);
      Integer last = first + FBufferCount - 1;
      if (active > last)
        count = active - last;
      else if (active < first)
        count = active - first;
      FFirstRecord = first + count;
    }
    if (Event == deDataSetChange)
      DataSetChanged();
    else if (Event == deDataSetScroll)
      DataSetScrolled(count);
    else
      LayoutChanged();
    break;
  }
  case deUpdateRecord:
    UpdateRecord();
    break;
  case deCheckBrowseMode:
    CheckBrowseMode();
    break;
  case deFocusControl:
    FocusControl(reinterpret_cast<TField**>(Info));
    break;
  case deDisabledStateChange:
    DisabledStateChanged(Info != 0);
    break;
  default:
    break;
  }
}

// ---- TMasterDataLink ----

TMasterDataLink::TMasterDataLink(TDataSet* DataSet) : FDetail(DataSet) {}

void TMasterDataLink::SetFieldNames(const AnsiString& Value)
{
  FFieldNames = Value;
}

std::vector<TField*> TMasterDataLink::Fields() const
{
  std::vector<TField*> fields;
  TDataSet* ds = DataSet();
  if (Active() && ds && !FFieldNames.empty())
    ds->GetFieldList(fields, FFieldNames);
  return fields;
}

void TMasterDataLink::ActiveChanged()
{
  if (!FDetail->Active())
    return;
  if (OnMasterChange)
    OnMasterChange(this);
  else
    FDetail->MasterChanged();
}

void TMasterDataLink::CheckBrowseMode()
{
  if (FDetail->Active())
    FDetail->CheckBrowseMode();
}

void TMasterDataLink::LayoutChanged()
{
  ActiveChanged();
}

void TMasterDataLink::RecordChanged(TField* Field)
{
  if (!FDetail->Active() || !DataSet() || DataSet()->State() == dsSetKey)
    return;
  if (Field) {
    std::vector<TField*> fields = Fields();
    if (std::find(fields.begin(), fields.end(), Field) == fields.end())
      return;
  }
  if (OnMasterChange)
    OnMasterChange(this);
  else
    FDetail->MasterChanged();
}
