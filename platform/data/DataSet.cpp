// TDataSet: the state machine, the buffer window, navigation, editing, bookmarks,
// searching, filters and calculated fields (DB.h has the overview).
//
// The records of a dataset are held here: FRecords in dataset order, FView the records
// that pass the range and the filter. The window is BufferCount consecutive records of
// the view starting at FWindowStart; FActiveRecord is the current record's row in it.
// While a record is inserted, the new record occupies row FEditRow and the view records
// below it move down one row (the last one drops out of a full window).
#include <algorithm>

#include "platform/data/DB.h"
#include "platform/data/DBPrivate.h"
#include "platform/data/DataUnitsPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"

using data_detail::SplitFieldNames;
using data_detail::TRecord;

// ---- Class registration ----

void RegisterDataSetClasses()
{
  RegisterEnumType<TFilterOption>("TFilterOption", {"foCaseInsensitive", "foNoPartialCompare"});
  RegisterSetType<TFilterOptions>("TFilterOptions");
  RegisterEnumType<TDataAction>("TDataAction", {"daFail", "daAbort", "daRetry"});
  RegisterEventType<TDataSetNotifyEvent>("TDataSetNotifyEvent");
  RegisterEventType<TFilterRecordEvent>("TFilterRecordEvent");
  RegisterEventType<TDataSetErrorEvent>("TDataSetErrorEvent");
  using D = TDataSet;
  TClassRegistration<TDataSet, TComponent>("TDataSet")
      .Property("Active", &D::Active, &D::SetActive)
      .Default(false)
      .Property("Filter", &D::Filter, &D::SetFilter)
      .Property("Filtered", &D::Filtered, &D::SetFiltered)
      .Default(false)
      .Property("FilterOptions", &D::FilterOptions, &D::SetFilterOptions)
      .Property("BeforeOpen", &D::BeforeOpen, &D::BeforeOpen)
      .Property("AfterOpen", &D::AfterOpen, &D::AfterOpen)
      .Property("BeforeClose", &D::BeforeClose, &D::BeforeClose)
      .Property("AfterClose", &D::AfterClose, &D::AfterClose)
      .Property("BeforeInsert", &D::BeforeInsert, &D::BeforeInsert)
      .Property("AfterInsert", &D::AfterInsert, &D::AfterInsert)
      .Property("BeforeEdit", &D::BeforeEdit, &D::BeforeEdit)
      .Property("AfterEdit", &D::AfterEdit, &D::AfterEdit)
      .Property("BeforePost", &D::BeforePost, &D::BeforePost)
      .Property("AfterPost", &D::AfterPost, &D::AfterPost)
      .Property("BeforeCancel", &D::BeforeCancel, &D::BeforeCancel)
      .Property("AfterCancel", &D::AfterCancel, &D::AfterCancel)
      .Property("BeforeDelete", &D::BeforeDelete, &D::BeforeDelete)
      .Property("AfterDelete", &D::AfterDelete, &D::AfterDelete)
      .Property("BeforeScroll", &D::BeforeScroll, &D::BeforeScroll)
      .Property("AfterScroll", &D::AfterScroll, &D::AfterScroll)
      .Property("BeforeRefresh", &D::BeforeRefresh, &D::BeforeRefresh)
      .Property("AfterRefresh", &D::AfterRefresh, &D::AfterRefresh)
      .Property("OnCalcFields", &D::OnCalcFields, &D::OnCalcFields)
      .Property("OnDeleteError", &D::OnDeleteError, &D::OnDeleteError)
      .Property("OnEditError", &D::OnEditError, &D::OnEditError)
      .Property("OnFilterRecord", &D::OnFilterRecord, &D::OnFilterRecord)
      .Property("OnNewRecord", &D::OnNewRecord, &D::OnNewRecord)
      .Property("OnPostError", &D::OnPostError, &D::OnPostError);
}

namespace {

const Variant& NullValue()
{
  static const Variant null = ::Null();
  return null;
}

bool IsEditState(TDataSetState s)
{
  return s == dsEdit || s == dsInsert;
}

// Restores the state and the record seen by field reads after an internal evaluation.
class TStateSaver {
public:
  TStateSaver(TDataSetState& State, TRecord*& Rec)
      : FState(State), FRec(Rec), FOldState(State), FOldRec(Rec)
  {
  }
  ~TStateSaver()
  {
    FState = FOldState;
    FRec = FOldRec;
  }

private:
  TDataSetState& FState;
  TRecord*& FRec;
  TDataSetState FOldState;
  TRecord* FOldRec;
};

} // namespace

TDataSet::TDataSet(TComponent* AOwner)
    : TComponent(AOwner), FFields(std::make_unique<TFields>(this)),
      FAggFields(std::make_unique<TFields>(this)), FFieldDefs(std::make_unique<TFieldDefs>(this))
{
}

TDataSet::~TDataSet()
{
  FState = dsInactive;
  FEditRecord.reset();
  auto sources = FDataSources;
  for (TDataSource* src : sources) {
    src->FDataSet = nullptr;
    src->UpdateState();
  }
  FDataSources.clear();
  // Fields owned elsewhere (or by this component, deleted after this destructor) must not
  // reach back into a dataset that is gone.
  DestroyFields();
  FFields->Clear();
  FAggFields->Clear();
}

// ---- State ----

void TDataSet::CheckActive() const
{
  if (FState == dsInactive)
    DatabaseError(SDataSetClosed, const_cast<TDataSet*>(this));
}

void TDataSet::CheckInactive() const
{
  if (FState != dsInactive)
    DatabaseError(SDataSetOpen, const_cast<TDataSet*>(this));
}

void TDataSet::CheckCanModify()
{
  if (!CanModify())
    DatabaseError(SDataSetReadOnly, this);
}

void TDataSet::SetState(TDataSetState Value)
{
  if (FState == Value)
    return;
  FState = Value;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

void TDataSet::SetActive(bool Value)
{
  // While a stream is read, the connection and other references are not resolved yet.
  if (ComponentState().Contains(csReading)) {
    FStreamedActive = Value;
    return;
  }
  if (Value)
    Open();
  else
    Close();
}

void TDataSet::Open()
{
  if (Active())
    return;
  if (BeforeOpen)
    BeforeOpen(this);
  FState = dsOpening;
  {
    // A failed open leaves the dataset closed, with no fields, records or filter of its own.
    TUndoOnError closeAgain([this] {
      FState = dsInactive;
      FFilterExpr.reset();
      BindFields(false);
      if (FDefaultFields)
        DestroyFields();
      ClearStoredRecords();
      InternalClose();
    });
    ClearStoredRecords();
    InternalOpen();
    FFieldDefs->SetUpdated(true);
    CreateFields();
    BindFields(true);
    for (auto& rec : FRecords)
      rec->Values.resize(FDataSlots + FCalcSlots, ::Null());
    if (FFiltered && !FFilterText.empty())
      FFilterExpr = std::make_unique<data_detail::TFilterExpr>(this, FFilterText, FFilterOptions);
    FState = dsBrowse; // filters and ranges read fields through the browse path
    RebuildView();
  }
  FState = dsOpening;
  UpdateBufferCount();
  FWindowStart = 0;
  FActiveRecord = 0;
  FRecordCount = std::min<Integer>(FBufferCount, static_cast<Integer>(FView.size()));
  FBOF = true;
  FEOF = FView.empty();
  ++FCalcStamp;
  SetState(dsBrowse);
  DoAfterOpen();
}

void TDataSet::Loaded()
{
  TComponent::Loaded();
  if (FStreamedActive) {
    FStreamedActive = false;
    Open();
  }
}

void TDataSet::CheckOperation(void (TDataSet::*Operation)(), const TDataSetErrorEvent& ErrorEvent)
{
  for (;;) {
    try {
      (this->*Operation)();
      return;
    } catch (EDatabaseError& E) {
      TDataSetErrorEvent handler = ErrorEvent; // the handler may replace itself
      if (!handler)
        throw;
      TDataAction action = daFail;
      handler(this, &E, action);
      if (action == daFail)
        throw;
      if (action == daAbort)
        Abort();
    }
  }
}

void TDataSet::DoAfterOpen()
{
  if (AfterOpen)
    AfterOpen(this);
  if (!IsEmpty() && AfterScroll)
    AfterScroll(this);
}

void TDataSet::Close()
{
  if (!Active())
    return;
  if (BeforeClose)
    BeforeClose(this);
  FEditRecord.reset();
  FEditOriginal = nullptr;
  FInstantRead = false;
  FInstantRecord = nullptr;
  FState = dsInactive;
  FModified = false;
  FFilterExpr.reset();
  FView.clear();
  FViewIndex.Valid = false;
  ClearStoredRecords();
  InternalClose();
  BindFields(false);
  if (FDefaultFields)
    DestroyFields();
  FRecordCount = 0;
  FActiveRecord = 0;
  FWindowStart = 0;
  FBOF = FEOF = true;
  FState = dsOpening; // makes SetState below announce the change
  SetState(dsInactive);
  if (AfterClose)
    AfterClose(this);
}

void TDataSet::CreateFields()
{
  FDefaultFields = FFields->Count() == 0;
  if (!FDefaultFields)
    return;
  for (Integer i = 0; i < FFieldDefs->Count(); ++i) {
    TFieldDef* def = FFieldDefs->Items(i);
    TFieldClassFactory factory = DefaultFieldClass(def->DataType());
    if (!factory)
      continue;
    TField* field = factory(this);
    field->FFieldName = def->Name();
    if (def->Size() > 0 || def->DataType() == ftString || def->DataType() == ftWideString)
      field->FSize = def->Size();
    field->FRequired = def->Required();
    FFields->Add(field);
  }
}

namespace {

bool IsTextType(TFieldType t)
{
  return t == ftString || t == ftFixedChar || t == ftWideString || t == ftMemo || t == ftFmtMemo ||
         t == ftWideMemo || t == ftGuid;
}

bool IsIntegerType(TFieldType t)
{
  return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}

bool IsFloatType(TFieldType t)
{
  return t == ftFloat || t == ftCurrency || t == ftBCD || t == ftFMTBcd;
}

bool IsDateType(TFieldType t)
{
  return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp;
}

bool IsBlobType(TFieldType t)
{
  return t == ftBlob || t == ftGraphic || t == ftBytes || t == ftVarBytes || t == ftTypedBinary ||
         t == ftOraBlob;
}

// Whether a persistent field of kind FieldType can hold a column of kind DefType.
bool CompatibleTypes(TFieldType FieldType, TFieldType DefType)
{
  if (FieldType == DefType)
    return true;
  if (IsTextType(FieldType) && IsTextType(DefType))
    return true;
  if (IsIntegerType(FieldType) && IsIntegerType(DefType))
    return true;
  if (IsFloatType(FieldType) && (IsFloatType(DefType) || IsIntegerType(DefType)))
    return true;
  if (IsDateType(FieldType) && IsDateType(DefType))
    return true;
  if (IsBlobType(FieldType) && (IsBlobType(DefType) || DefType == ftMemo))
    return true;
  return FieldType == ftMemo && IsBlobType(DefType);
}

} // namespace

void TDataSet::BindFields(bool Binding)
{
  FDataSlots = FFieldDefs->Count();
  FCalcSlots = 0;
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* field = FFields->Fields(i);
    field->FSlot = -1;
    field->FFieldNo = 0;
    if (!Binding)
      continue;
    if (field->FFieldKind == fkData) {
      Integer def = FFieldDefs->IndexOf(field->FFieldName);
      if (def < 0)
        DatabaseErrorFmt(SFieldNotFound, field->FFieldName, this);
      TFieldType defType = FFieldDefs->Items(def)->DataType();
      if (!CompatibleTypes(field->DataType(), defType))
        throw EDatabaseError(
            (Name().empty() ? AnsiString() : Name() + ": ") +
            Format(SFieldTypeMismatch,
                   {field->FFieldName, FieldTypeName(field->DataType()), FieldTypeName(defType)}));
      field->FSlot = def;
      field->FFieldNo = def + 1;
    } else {
      field->FSlot = FDataSlots + FCalcSlots++;
    }
  }
}

void TDataSet::DestroyFields()
{
  std::vector<TField*> owned;
  for (Integer i = 0; i < FFields->Count(); ++i)
    if (FFields->Fields(i)->Owner() == this)
      owned.push_back(FFields->Fields(i));
  for (TField* f : owned)
    delete f; // leaves the list in its destructor
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
}

// ---- Stored records and the view ----

void TDataSet::AddStoredRecord(std::vector<Variant> Values)
{
  auto rec = std::make_unique<TRecord>();
  rec->Serial = FNextSerial++;
  rec->Values = std::move(Values);
  rec->Values.resize(std::max<size_t>(rec->Values.size(), FFieldDefs->Count()), ::Null());
  if (FState != dsOpening && FState != dsInactive)
    rec->Values.resize(FDataSlots + FCalcSlots, ::Null());
  FRecords.push_back(std::move(rec));
  FRecordIndex.Valid = false;
}

void TDataSet::ClearStoredRecords()
{
  FView.clear();
  FRecords.clear();
  FViewIndex.Valid = false;
  FRecordIndex.Valid = false;
}

Integer TDataSet::StoredRecordCount() const
{
  return static_cast<Integer>(FRecords.size());
}

bool TDataSet::RecordVisible(TRecord* Rec)
{
  if (!RecordInRange(Rec->Values))
    return false;
  if (!FFiltered)
    return true;
  TStateSaver saver(FState, FCalcRecord);
  FState = dsFilter;
  FCalcRecord = Rec;
  if (FFilterExpr && !FFilterExpr->Evaluate())
    return false;
  bool accept = true;
  if (OnFilterRecord)
    OnFilterRecord(this, accept);
  return accept;
}

void TDataSet::RebuildView()
{
  FView.clear();
  FView.reserve(FRecords.size());
  for (auto& rec : FRecords)
    if (RecordVisible(rec.get()))
      FView.push_back(rec.get());
  FViewIndex.Valid = false;
}

Integer TDataSet::ViewIndexOf(const TRecord* Rec) const
{
  return Rec ? ViewIndexOfSerial(Rec->Serial) : -1;
}

template <class List>
Integer TDataSet::SerialPosition(TSerialIndex& Index, const List& Records, Int64 Serial) const
{
  if (!Index.Valid) {
    Index.Pos.assign(static_cast<size_t>(FNextSerial), -1);
    for (size_t i = 0; i < Records.size(); ++i)
      Index.Pos[static_cast<size_t>(Records[i]->Serial)] = static_cast<Integer>(i);
    Index.Valid = true;
  }
  if (Serial <= 0 || Serial >= static_cast<Int64>(Index.Pos.size()))
    return -1;
  return Index.Pos[static_cast<size_t>(Serial)];
}

Integer TDataSet::ViewIndexOfSerial(Int64 Serial) const
{
  return SerialPosition(FViewIndex, FView, Serial);
}

Integer TDataSet::StoredIndexOfSerial(Int64 Serial) const
{
  return SerialPosition(FRecordIndex, FRecords, Serial);
}

void TDataSet::ApplyRange()
{
  CheckBrowseMode();
  RebuildView();
  ++FCalcStamp;
  FWindowStart = 0;
  FActiveRecord = 0;
  FRecordCount = std::min<Integer>(FBufferCount, static_cast<Integer>(FView.size()));
  FBOF = true;
  FEOF = FView.empty();
  DataEvent(deDataSetChange, 0);
}

void TDataSet::MasterChanged()
{
  if (Active())
    ApplyRange();
}

// ---- The window ----

TRecord* TDataSet::BufferRecord(Integer Index) const
{
  if (Index < 0 || Index >= FRecordCount)
    return nullptr;
  if (FEditRecord && Index == FEditRow)
    return FEditRecord.get();
  Integer v = FWindowStart + Index;
  if (FState == dsInsert && FEditRecord && Index > FEditRow)
    --v;
  if (v < 0 || v >= static_cast<Integer>(FView.size()))
    return nullptr;
  return FView[v];
}

TRecord* TDataSet::ActiveRecordData() const
{
  return BufferRecord(FActiveRecord);
}

// ---- Instant reads ----

Integer TDataSet::InsertViewIndex() const
{
  if (FState != dsInsert || !FEditRecord)
    return -1;
  Integer n = static_cast<Integer>(FView.size());
  return FInsertAtEnd ? n : std::clamp(FInsertPos, 0, n);
}

Integer TDataSet::OrderedRecordCount() const
{
  if (!Active())
    return 0;
  return static_cast<Integer>(FView.size()) + (InsertViewIndex() >= 0 ? 1 : 0);
}

Integer TDataSet::CurrentRecordIndex() const
{
  if (!Active())
    return -1;
  Integer ins = InsertViewIndex();
  return ins >= 0 ? ins : CurrentViewIndex();
}

Integer TDataSet::RecordIndexOfBookmark(const TBookmarkStr& Value) const
{
  if (!Active())
    return -1;
  Int64 serial = 0;
  if (Value.empty() || !TryStrToInt64(Value, serial) || serial <= 0)
    return -1;
  Integer i = ViewIndexOfSerial(serial);
  Integer ins = InsertViewIndex();
  return i >= 0 && ins >= 0 && i >= ins ? i + 1 : i;
}

void TDataSet::BeginInstantRead(Integer Index)
{
  TRecord* rec = nullptr;
  if (Active()) {
    Integer ins = InsertViewIndex();
    if (Index == CurrentRecordIndex())
      rec = ActiveRecordData();
    else {
      Integer v = ins >= 0 && Index > ins ? Index - 1 : Index;
      if (v >= 0 && v < static_cast<Integer>(FView.size()))
        rec = FView[v];
    }
  }
  FInstantRecord = rec;
  FInstantRead = true;
}

void TDataSet::EndInstantRead()
{
  FInstantRead = false;
  FInstantRecord = nullptr;
}

Integer TDataSet::CurrentViewIndex() const
{
  if (FRecordCount == 0 || FView.empty())
    return -1;
  if (FEditOriginal)
    return ViewIndexOf(FEditOriginal);
  return std::min<Integer>(FWindowStart + FActiveRecord, static_cast<Integer>(FView.size()) - 1);
}

void TDataSet::ClearWindow()
{
  FWindowStart = 0;
  FRecordCount = 0;
  FActiveRecord = 0;
}

void TDataSet::ResyncAt(Integer ViewIndex, TResyncMode Mode)
{
  Integer n = static_cast<Integer>(FView.size());
  ++FCalcStamp;
  if (n == 0) {
    ClearWindow();
    FBOF = FEOF = true;
  } else {
    Integer p = std::clamp(ViewIndex, 0, n - 1);
    Integer want = Mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
    want = std::clamp(want, 0, FBufferCount - 1);
    Integer start = p - want;
    if (start + FBufferCount > n)
      start = n - FBufferCount; // fill the window with earlier records
    start = std::max(start, 0);
    FWindowStart = start;
    FActiveRecord = p - start;
    FRecordCount = std::min(FBufferCount, n - start);
    FBOF = FEOF = false;
  }
  DataEvent(deDataSetChange, 0);
}

void TDataSet::Resync(TResyncMode Mode)
{
  ResyncAt(CurrentViewIndex(), Mode);
}

void TDataSet::SetActiveRecord(Integer Value)
{
  if (Value >= 0 && Value < std::max(FRecordCount, 1))
    FActiveRecord = Value;
}

void TDataSet::SetBufferCount(Integer Value)
{
  Value = std::max(Value, 1);
  if (Value == FBufferCount)
    return;
  FBufferCount = Value;
  if (!Active() || FRecordCount == 0)
    return;
  Integer total = static_cast<Integer>(FView.size()) + (FState == dsInsert && FEditRecord ? 1 : 0);
  if (FActiveRecord >= Value) {
    Integer shift = FActiveRecord - (Value - 1);
    FWindowStart += shift;
    FActiveRecord -= shift;
    FEditRow -= shift;
  }
  FRecordCount = std::min(Value, total - FWindowStart);
  // A larger window at the end of the records shows earlier records above the current one.
  Integer more = std::min(FWindowStart, Value - FRecordCount);
  if (more > 0) {
    FWindowStart -= more;
    FActiveRecord += more;
    FEditRow += more;
    FRecordCount += more;
  }
}

void TDataSet::UpdateBufferCount()
{
  Integer count = 1;
  for (TDataSource* src : FDataSources)
    for (TDataLink* link : src->FLinks)
      count = std::max(count, link->FBufferCount);
  SetBufferCount(count);
}

void TDataSet::UpdateLinkBufferCounts()
{
  UpdateBufferCount();
  for (TDataSource* src : FDataSources)
    for (TDataLink* link : src->FLinks)
      if (link->FActive)
        link->UpdateRange();
}

// ---- Navigation ----

void TDataSet::First()
{
  CheckBrowseMode();
  if (BeforeScroll)
    BeforeScroll(this);
  FWindowStart = 0;
  FActiveRecord = 0;
  FRecordCount = std::min<Integer>(FBufferCount, static_cast<Integer>(FView.size()));
  FBOF = true;
  FEOF = FView.empty();
  ++FCalcStamp;
  DataEvent(deDataSetChange, 0);
  if (AfterScroll)
    AfterScroll(this);
}

void TDataSet::Last()
{
  CheckBrowseMode();
  if (BeforeScroll)
    BeforeScroll(this);
  Integer n = static_cast<Integer>(FView.size());
  FWindowStart = std::max(0, n - FBufferCount);
  FRecordCount = n - FWindowStart;
  FActiveRecord = std::max(0, FRecordCount - 1);
  FEOF = true;
  FBOF = n == 0;
  ++FCalcStamp;
  DataEvent(deDataSetChange, 0);
  if (AfterScroll)
    AfterScroll(this);
}

Integer TDataSet::MoveBy(Integer Distance)
{
  CheckBrowseMode();
  Integer result = 0;
  if (BeforeScroll)
    BeforeScroll(this);
  if ((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF)) {
    FBOF = false;
    FEOF = false;
    Integer n = static_cast<Integer>(FView.size());
    Integer scroll = 0; // how far the buffered records moved (negative: towards row 0)
    while (Distance > 0) {
      if (FActiveRecord < FRecordCount - 1) {
        ++FActiveRecord;
      } else if (FWindowStart + FRecordCount < n) {
        if (FRecordCount < FBufferCount) {
          ++FRecordCount;
          ++FActiveRecord;
        } else {
          ++FWindowStart;
          --scroll;
        }
      } else {
        FEOF = true;
        break;
      }
      --Distance;
      ++result;
    }
    while (Distance < 0) {
      if (FActiveRecord > 0) {
        --FActiveRecord;
      } else if (FWindowStart > 0) {
        --FWindowStart;
        if (FRecordCount < FBufferCount)
          ++FRecordCount;
        ++scroll;
      } else {
        FBOF = true;
        break;
      }
      ++Distance;
      --result;
    }
    DataEvent(deDataSetScroll, scroll);
    if (AfterScroll)
      AfterScroll(this);
  }
  return result;
}

bool TDataSet::IsEmpty()
{
  return FRecordCount == 0;
}

Integer TDataSet::RecNo()
{
  if (!Active() || !IsSequenced() || FState == dsInsert)
    return -1;
  Integer v = CurrentViewIndex();
  return v < 0 ? -1 : v + 1;
}

void TDataSet::SetRecNo(Integer Value)
{
  CheckBrowseMode();
  if (!IsSequenced() || Value < 1 || Value > static_cast<Integer>(FView.size()) || Value == RecNo())
    return;
  if (BeforeScroll)
    BeforeScroll(this);
  ResyncAt(Value - 1, {rmCenter});
  if (AfterScroll)
    AfterScroll(this);
}

Integer TDataSet::RecordCount()
{
  CheckActive();
  return static_cast<Integer>(FView.size());
}

void TDataSet::Refresh()
{
  CheckBrowseMode();
  if (BeforeRefresh)
    BeforeRefresh(this);
  TRecord* current = ActiveRecordData();
  Int64 serial = current ? current->Serial : 0;
  Integer pos = CurrentViewIndex();
  InternalRefresh();
  RebuildView();
  if (serial) {
    for (size_t i = 0; i < FView.size(); ++i)
      if (FView[i]->Serial == serial) {
        pos = static_cast<Integer>(i);
        break;
      }
  }
  ResyncAt(pos, {});
  if (AfterRefresh)
    AfterRefresh(this);
}

// ---- Editing ----

void TDataSet::Edit()
{
  if (IsEditState(FState))
    return;
  CheckActive();
  if (FRecordCount == 0) {
    Append();
    return;
  }
  CheckCanModify();
  if (BeforeEdit)
    BeforeEdit(this);
  CheckOperation(&TDataSet::InternalEdit, OnEditError);
  TRecord* rec = ActiveRecordData();
  FEditOriginal = rec;
  FEditRecord = std::make_unique<TRecord>(*rec);
  FEditRow = FActiveRecord;
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  if (AfterEdit)
    AfterEdit(this);
}

void TDataSet::BeginInsertAppend()
{
  CheckBrowseMode();
  CheckCanModify();
  if (BeforeInsert)
    BeforeInsert(this);
  if (BeforeScroll)
    BeforeScroll(this);
  FEditRecord = std::make_unique<TRecord>();
  FEditRecord->Values.assign(FDataSlots + FCalcSlots, ::Null());
  FEditOriginal = nullptr;
}

void TDataSet::EndInsertAppend()
{
  SetState(dsInsert);
  {
    // A new record whose defaults fail is dropped again.
    TUndoOnError dropRecord([this] {
      FEditRecord.reset();
      SetState(dsBrowse);
      Resync({});
    });
    InternalInitRecord();
    if (OnNewRecord)
      OnNewRecord(this);
  }
  FModified = false;
  DataEvent(deDataSetChange, 0);
  if (AfterInsert)
    AfterInsert(this);
  if (AfterScroll)
    AfterScroll(this);
}

void TDataSet::Insert()
{
  BeginInsertAppend();
  if (FRecordCount == 0) {
    FWindowStart = std::min<Integer>(FWindowStart, static_cast<Integer>(FView.size()));
    FActiveRecord = 0;
    FRecordCount = 1;
  } else if (FRecordCount < FBufferCount) {
    ++FRecordCount;
  }
  FEditRow = FActiveRecord;
  FInsertAtEnd = FView.empty();
  FInsertPos = FWindowStart + FActiveRecord;
  EndInsertAppend();
}

void TDataSet::Append()
{
  BeginInsertAppend();
  Integer n = static_cast<Integer>(FView.size());
  FWindowStart = std::max(0, n - (FBufferCount - 1));
  FRecordCount = n - FWindowStart + 1;
  FActiveRecord = FRecordCount - 1;
  FEditRow = FActiveRecord;
  FInsertAtEnd = true;
  FInsertPos = n;
  FEOF = true;
  EndInsertAppend();
}

void TDataSet::CheckRequiredFields()
{
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull()) {
      f->FocusControl();
      DatabaseErrorFmt(SFieldRequired, f->DisplayName());
    }
  }
}

// What Post checks and runs before the record is stored; an error here may be retried.
void TDataSet::PostRecordChecks()
{
  CheckRequiredFields();
  InternalPost();
}

void TDataSet::Post()
{
  UpdateRecord();
  DataEvent(deCheckBrowseMode, 0);
  if (BeforePost)
    BeforePost(this);
  CheckOperation(&TDataSet::PostRecordChecks, OnPostError);
  Integer pos;
  if (FState == dsEdit) {
    FEditRecord->Values.resize(FEditOriginal->Values.size());
    FEditOriginal->Values = FEditRecord->Values;
    pos = ViewIndexOf(FEditOriginal);
  } else {
    auto rec = std::make_unique<TRecord>(*FEditRecord);
    rec->Serial = FNextSerial++;
    TRecord* added = rec.get();
    Integer n = static_cast<Integer>(FView.size());
    pos = FInsertAtEnd ? n : std::clamp(FInsertPos, 0, n);
    if (pos < n) {
      Integer at = StoredIndexOfSerial(FView[pos]->Serial);
      FRecords.insert(FRecords.begin() + at, std::move(rec));
    } else {
      FRecords.push_back(std::move(rec));
    }
    FView.insert(FView.begin() + pos, added);
    FViewIndex.Valid = false;
    FRecordIndex.Valid = false;
  }
  FEditRecord.reset();
  FEditOriginal = nullptr;
  SetState(dsBrowse);
  ResyncAt(pos, {});
  if (AfterPost)
    AfterPost(this);
}

void TDataSet::Cancel()
{
  if (!IsEditState(FState))
    return;
  DataEvent(deCheckBrowseMode, 0);
  if (BeforeCancel)
    BeforeCancel(this);
  bool wasInsert = FState == dsInsert;
  Integer pos = wasInsert ? FInsertPos : CurrentViewIndex();
  if (wasInsert && FInsertAtEnd)
    pos = static_cast<Integer>(FView.size()) - 1;
  FEditRecord.reset();
  FEditOriginal = nullptr;
  SetState(dsBrowse);
  ResyncAt(pos, {});
  if (AfterCancel)
    AfterCancel(this);
}

void TDataSet::Delete()
{
  CheckActive();
  if (FState == dsInsert) {
    Cancel();
    return;
  }
  if (FRecordCount == 0)
    DatabaseError(SDataSetEmpty, this);
  CheckCanModify();
  DataEvent(deCheckBrowseMode, 0);
  if (BeforeDelete)
    BeforeDelete(this);
  if (BeforeScroll)
    BeforeScroll(this);
  CheckOperation(&TDataSet::InternalDelete, OnDeleteError);
  TRecord* rec = FEditOriginal ? FEditOriginal : ActiveRecordData();
  Integer pos = ViewIndexOf(rec);
  FEditRecord.reset();
  FEditOriginal = nullptr;
  if (pos >= 0)
    FView.erase(FView.begin() + pos);
  FRecords.erase(FRecords.begin() + StoredIndexOfSerial(rec->Serial));
  FViewIndex.Valid = false;
  FRecordIndex.Valid = false;
  SetState(dsBrowse);
  ResyncAt(pos, {});
  if (AfterDelete)
    AfterDelete(this);
  if (AfterScroll)
    AfterScroll(this);
}

void TDataSet::CheckBrowseMode()
{
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  if (!IsEditState(FState))
    return;
  UpdateRecord();
  if (FModified)
    Post();
  else
    Cancel();
}

void TDataSet::UpdateRecord()
{
  if (!IsEditState(FState))
    DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::ClearFields()
{
  if (!IsEditState(FState))
    DatabaseError(SNotEditing, this);
  for (Integer i = 0; i < FDataSlots; ++i)
    FEditRecord->Values[i] = ::Null();
  FEditRecord->CalcStamp = 0;
  DataEvent(deRecordChange, 0);
}

void TDataSet::InsertRecord(const std::vector<Variant>& Values)
{
  Insert();
  for (size_t i = 0; i < Values.size() && i < static_cast<size_t>(FFields->Count()); ++i)
    if (!VarIsEmpty(Values[i]))
      FFields->Fields(static_cast<Integer>(i))->SetAsVariant(Values[i]);
  Post();
}

void TDataSet::AppendRecord(const std::vector<Variant>& Values)
{
  Append();
  for (size_t i = 0; i < Values.size() && i < static_cast<size_t>(FFields->Count()); ++i)
    if (!VarIsEmpty(Values[i]))
      FFields->Fields(static_cast<Integer>(i))->SetAsVariant(Values[i]);
  Post();
}

// ---- Field values ----

const Variant& TDataSet::GetFieldValue(TField* Field)
{
  TRecord* rec = (FState == dsCalcFields || FState == dsFilter) ? FCalcRecord : ReadRecordData();
  if (!rec || Field->FSlot < 0 || Field->FSlot >= static_cast<Integer>(rec->Values.size()))
    return NullValue();
  if (Field->FFieldKind != fkData && rec->CalcStamp != FCalcStamp && FState != dsCalcFields)
    CalculateFields(rec);
  return rec->Values[Field->FSlot];
}

void TDataSet::CalculateFields(TRecord* Rec)
{
  Rec->CalcStamp = FCalcStamp;
  if (FCalcSlots == 0)
    return;
  TStateSaver saver(FState, FCalcRecord);
  FState = dsCalcFields;
  FCalcRecord = Rec;
  for (Integer i = FDataSlots; i < FDataSlots + FCalcSlots; ++i)
    Rec->Values[i] = ::Null();
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (f->FFieldKind != fkLookup || !f->FLookupDataSet || !f->FLookupDataSet->Active())
      continue;
    Variant keys = FieldValues(f->FKeyFields);
    Rec->Values[f->FSlot] =
        f->FLookupDataSet->Lookup(f->FLookupKeyFields, keys, f->FLookupResultField);
  }
  if (OnCalcFields)
    OnCalcFields(this);
}

void TDataSet::SetFieldValue(TField* Field, const Variant& Value)
{
  if (FState == dsCalcFields) {
    if (Field->FFieldKind == fkData)
      DatabaseError(SNotEditing, this);
    FCalcRecord->Values[Field->FSlot] = Value;
    return;
  }
  if (FState == dsFilter)
    DatabaseError(SNotEditing, this);
  if (!IsEditState(FState))
    DatabaseError(SNotEditing, this);
  if (Field->FFieldKind == fkAggregate)
    DatabaseErrorFmt(SFieldReadOnly, Field->DisplayName(), this);
  if (Field->FSlot < 0)
    DatabaseErrorFmt(SFieldNotFound, Field->FieldName(), this);
  if (Field->FFieldKind == fkLookup) {
    // Choosing a lookup value writes the key of the looked-up record to the key fields.
    if (!Field->FLookupDataSet)
      DatabaseErrorFmt(SFieldReadOnly, Field->DisplayName(), this);
    Variant keys =
        Field->FLookupDataSet->Lookup(Field->FLookupResultField, Value, Field->FLookupKeyFields);
    SetFieldValues(Field->FKeyFields, keys);
    return;
  }
  if (Field->FFieldKind != fkData || Field->ReadOnly())
    DatabaseErrorFmt(SFieldReadOnly, Field->DisplayName(), this);
  Variant& slot = FEditRecord->Values[Field->FSlot];
  Variant old = slot;
  slot = Value;
  if (Field->OnValidate) {
    TUndoOnError restore([&slot, &old] { slot = old; }); // a refused value is taken back
    Field->OnValidate(Field);
  }
  FEditRecord->CalcStamp = 0;
  DoFieldChange(Field);
}

void TDataSet::DoFieldChange(TField* Field)
{
  DataEvent(deFieldChange, reinterpret_cast<NativeInt>(Field));
  if (Field->OnChange)
    Field->OnChange(Field);
}

void TDataSet::GetFieldList(std::vector<TField*>& List, const AnsiString& FieldNames) const
{
  for (const AnsiString& name : SplitFieldNames(FieldNames))
    List.push_back(FieldByName(name));
}

Variant TDataSet::FieldValues(const AnsiString& FieldNames)
{
  std::vector<TField*> fields;
  GetFieldList(fields, FieldNames);
  if (fields.size() == 1)
    return fields[0]->AsVariant();
  std::vector<Variant> values;
  for (TField* f : fields)
    values.push_back(f->AsVariant());
  return VarArrayOf(values);
}

void TDataSet::SetFieldValues(const AnsiString& FieldNames, const Variant& Value)
{
  std::vector<TField*> fields;
  GetFieldList(fields, FieldNames);
  if (fields.size() == 1 && !VarIsArray(Value)) {
    fields[0]->SetAsVariant(Value);
    return;
  }
  for (size_t i = 0; i < fields.size(); ++i)
    fields[i]->SetAsVariant(VarIsArray(Value) ? VarArrayGet(Value, {static_cast<Integer>(i)})
                                              : Value);
}

TBlobFieldStream* TDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode)
{
  return new TBlobFieldStream(Field, Mode);
}

// ---- Bookmarks ----

TBookmarkStr TDataSet::Bookmark()
{
  if (FInstantRead && Active()) {
    // The record being inserted has no bookmark yet; an edited one keeps its own.
    TRecord* rec = FInstantRecord;
    if (rec && rec == FEditRecord.get())
      rec = FState == dsInsert ? nullptr : FEditOriginal;
    return rec ? IntToStr(rec->Serial) : TBookmarkStr();
  }
  if (!Active() || FState == dsInsert)
    return TBookmarkStr();
  TRecord* rec = FEditOriginal ? FEditOriginal : ActiveRecordData();
  return rec ? IntToStr(rec->Serial) : TBookmarkStr();
}

namespace {

Int64 BookmarkSerial(const TBookmarkStr& Value)
{
  Int64 serial = 0;
  if (Value.empty() || !TryStrToInt64(Value, serial) || serial <= 0)
    return 0;
  return serial;
}

} // namespace

void TDataSet::SetBookmark(const TBookmarkStr& Value)
{
  CheckBrowseMode();
  Integer pos = ViewIndexOfSerial(BookmarkSerial(Value));
  if (pos < 0)
    DatabaseError(SRecordNotFound, this);
  if (BeforeScroll)
    BeforeScroll(this);
  ResyncAt(pos, {rmExact, rmCenter});
  if (AfterScroll)
    AfterScroll(this);
}

Integer TDataSet::CompareBookmarks(const TBookmark& A, const TBookmark& B)
{
  Int64 a = BookmarkSerial(A);
  Int64 b = BookmarkSerial(B);
  if (a == b)
    return 0;
  if (!a || !b)
    return a ? 1 : -1;
  Integer x = StoredIndexOfSerial(a);
  Integer y = StoredIndexOfSerial(b);
  if (x < 0 || y < 0) // a deleted record: serials still give a stable order
    return a < b ? -1 : 1;
  return x < y ? -1 : 1;
}

bool TDataSet::BookmarkValid(const TBookmark& Value)
{
  Int64 serial = BookmarkSerial(Value);
  return serial && Active() && ViewIndexOfSerial(serial) >= 0;
}

bool TDataSet::BookmarkAvailable()
{
  return Active() && FState != dsInsert && FRecordCount > 0;
}

// ---- Searching ----

Integer TDataSet::LocateRecord(const AnsiString& KeyFields, const Variant& KeyValues,
                               TLocateOptions Options)
{
  std::vector<TField*> fields;
  GetFieldList(fields, KeyFields);
  std::vector<Variant> keys;
  if (fields.size() == 1 && !VarIsArray(KeyValues))
    keys.push_back(KeyValues);
  else
    for (size_t i = 0; i < fields.size(); ++i)
      keys.push_back(VarArrayGet(KeyValues, {static_cast<Integer>(i)}));
  bool caseless = Options.Contains(loCaseInsensitive);
  bool partial = Options.Contains(loPartialKey);
  std::vector<AnsiString> keyTexts(keys.size());
  for (size_t i = 0; i < keys.size(); ++i)
    if (VarIsStr(keys[i]))
      keyTexts[i] = caseless ? AnsiUpperCase(VarToStr(keys[i])) : VarToStr(keys[i]);

  TStateSaver saver(FState, FCalcRecord);
  FState = dsFilter;
  for (size_t r = 0; r < FView.size(); ++r) {
    FCalcRecord = FView[r];
    bool match = true;
    for (size_t i = 0; i < fields.size() && match; ++i) {
      TField* f = fields[i];
      const Variant& key = keys[i];
      if (VarIsNull(key) || VarIsEmpty(key)) {
        match = f->IsNull();
        continue;
      }
      if (f->IsNull()) {
        match = false;
        continue;
      }
      if (VarIsStr(key) || IsTextType(f->DataType())) {
        AnsiString value = f->AsString();
        AnsiString key8 = VarIsStr(key) ? keyTexts[i] : VarToStr(key);
        if (caseless)
          value = AnsiUpperCase(value);
        if (partial && Length(value) >= Length(key8))
          value = value.substr(0, key8.size());
        match = value == key8;
        continue;
      }
      try {
        match = VarCompareValue(f->AsVariant(), key) == vrEqual;
      } catch (const Exception&) {
        match = false;
      }
    }
    if (match)
      return static_cast<Integer>(r);
  }
  return -1;
}

void TDataSet::ForEachVisibleRecord(const std::function<void()>& Visit)
{
  TStateSaver saver(FState, FCalcRecord);
  FState = dsFilter;
  for (TRecord* rec : FView) {
    FCalcRecord = rec;
    Visit();
  }
}

bool TDataSet::Locate(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
  CheckBrowseMode();
  Integer pos = LocateRecord(KeyFields, KeyValues, Options);
  if (pos < 0)
    return false;
  if (BeforeScroll)
    BeforeScroll(this);
  ResyncAt(pos, {rmExact, rmCenter});
  if (AfterScroll)
    AfterScroll(this);
  return true;
}

Variant TDataSet::Lookup(const AnsiString& KeyFields, const Variant& KeyValues,
                         const AnsiString& ResultFields)
{
  CheckActive();
  Integer pos = LocateRecord(KeyFields, KeyValues, {});
  if (pos < 0)
    return ::Null();
  TStateSaver saver(FState, FCalcRecord);
  FState = dsFilter;
  FCalcRecord = FView[pos];
  return FieldValues(ResultFields);
}

// ---- Filters ----

void TDataSet::SetFilter(const AnsiString& Value)
{
  if (Value == FFilterText)
    return;
  FFilterText = Value;
  if (Active() && FFiltered) {
    CheckBrowseMode();
    FFilterExpr.reset();
    if (!FFilterText.empty())
      FFilterExpr = std::make_unique<data_detail::TFilterExpr>(this, FFilterText, FFilterOptions);
    ApplyRange();
  }
}

void TDataSet::SetFiltered(bool Value)
{
  if (Value == FFiltered)
    return;
  if (Active()) {
    CheckBrowseMode();
    std::unique_ptr<data_detail::TFilterExpr> expr;
    if (Value && !FFilterText.empty())
      expr = std::make_unique<data_detail::TFilterExpr>(this, FFilterText, FFilterOptions);
    FFiltered = Value;
    FFilterExpr = std::move(expr);
    ApplyRange();
    return;
  }
  FFiltered = Value;
}

void TDataSet::SetFilterOptions(TFilterOptions Value)
{
  if (Value == FFilterOptions)
    return;
  FFilterOptions = Value;
  if (Active() && FFiltered && !FFilterText.empty()) {
    CheckBrowseMode();
    FFilterExpr = std::make_unique<data_detail::TFilterExpr>(this, FFilterText, FFilterOptions);
    ApplyRange();
  }
}

// ---- Controls and events ----

void TDataSet::DisableControls()
{
  if (FDisableCount == 0) {
    FDisableState = FState;
    FEnableEvent = false;
    FEnableLayout = false;
    DataEvent(deDisabledStateChange, 1);
  }
  ++FDisableCount;
}

void TDataSet::EnableControls()
{
  if (FDisableCount == 0)
    return;
  if (--FDisableCount > 0)
    return;
  DataEvent(deDisabledStateChange, 0);
  if (FDisableState != FState)
    DataEvent(deUpdateState, 0);
  if (FDisableState != dsInactive && FState != dsInactive && (FEnableEvent || FEnableLayout))
    DataEvent(FEnableLayout ? deLayoutChange : deDataSetChange, 0);
}

TDataSource* TDataSet::DataSource() const
{
  TMasterDataLink* link = MasterLink();
  return link ? link->DataSource() : nullptr;
}

void TDataSet::DataEvent(TDataEvent Event, NativeInt Info)
{
  if (Event == deFieldChange) {
    auto* field = reinterpret_cast<TField*>(Info);
    if (field && (field->FFieldKind == fkData || field->FFieldKind == fkInternalCalc))
      FModified = true;
  }
  if (FDisableCount > 0 && Event != deDisabledStateChange) {
    if (Event == deLayoutChange || (Event == deUpdateState && FState == dsInactive))
      FEnableLayout = true;
    else if (Event != deCheckBrowseMode && Event != deUpdateRecord)
      FEnableEvent = true;
    if (Event != deUpdateRecord && Event != deCheckBrowseMode)
      return;
  }
  auto sources = FDataSources;
  for (TDataSource* src : sources)
    src->DataEvent(Event, Info);
}
