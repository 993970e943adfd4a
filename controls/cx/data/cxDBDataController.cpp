// The dataset data controller (cxDBData.h): field binding by name, keys and locating, grid
// mode (window, bookmarks, bookmark selection) and the detail side of master-detail.
#include <algorithm>

#include "controls/cx/data/cxDBData.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"

namespace {

// Runs AProc with AFlag set, restoring its value afterwards.
template <class Proc> auto WithFlag(bool& AFlag, Proc AProc)
{
  bool saved = AFlag;
  AFlag = true;
  TScopeExit restore([&] { AFlag = saved; });
  return AProc();
}

std::vector<AnsiString> SplitNames(const AnsiString& ANames)
{
  std::vector<AnsiString> out;
  Integer pos = 1;
  while (pos <= Length(ANames))
    out.push_back(ExtractFieldName(ANames, pos));
  return out;
}

} // namespace

// ---- Construction ----

TcxDBDataController::TcxDBDataController(TComponent* AOwner)
    : TcxCustomDataController(AOwner),
      FDataModeController(std::make_unique<TcxDBDataModeController>(this))
{
}

TcxDBDataController::~TcxDBDataController()
{
  FDataModeController.reset();
  FDetailKeyFields.clear();
  delete FKeyField;
  FKeyField = nullptr;
}

void TcxDBDataController::Assign(TPersistent* Source)
{
  TcxCustomDataController::Assign(Source);
  auto* source = dynamic_cast<TcxDBDataController*>(Source);
  if (!source)
    return;
  FDataModeController->Assign(source->DataModeController());
  SetDataSource(source->DataSource());
  SetKeyFieldNames(source->KeyFieldNames());
  SetDetailKeyFieldNames(source->DetailKeyFieldNames());
  SetMasterKeyFieldNames(source->MasterKeyFieldNames());
  OnDetailHasChildren = source->OnDetailHasChildren;
}

TcxCustomDataField* TcxDBDataController::CreateField()
{
  return new TcxDBDataField(Fields());
}

TcxCustomDataProvider* TcxDBDataController::CreateDataProvider()
{
  return new TcxDBDataProvider(this);
}

TcxDataFilterCriteria* TcxDBDataController::CreateFilterCriteria()
{
  return new TcxDBDataFilterCriteria(this);
}

TcxDataSelection* TcxDBDataController::CreateDataSelection()
{
  return new TcxDBDataSelection(this);
}

TCollectionItemClass TcxDBDataController::GetSummaryItemClass()
{
  return cxCollectionItemClass<TcxDBDataSummaryItem>();
}

TcxCustomDataRelation* TcxDBDataController::CreateRelation(TcxCustomDataRelationList* ARelationList,
                                                           TObject* AItem)
{
  return new TcxDBDataRelation(ARelationList, AItem);
}

// ---- Properties ----

TcxDBDataProvider* TcxDBDataController::Provider() const
{
  return static_cast<TcxDBDataProvider*>(TcxCustomDataController::Provider());
}

TcxDBDataFilterCriteria* TcxDBDataController::Filter() const
{
  return static_cast<TcxDBDataFilterCriteria*>(TcxCustomDataController::Filter());
}

TcxDBDataSelection* TcxDBDataController::DBSelection() const
{
  return static_cast<TcxDBDataSelection*>(Selection());
}

TDataSource* TcxDBDataController::DataSource() const
{
  return Provider() ? Provider()->DataSource() : nullptr;
}

void TcxDBDataController::SetDataSource(TDataSource* AValue)
{
  if (DataSource() == AValue)
    return;
  FDetailKeyFieldsValid = false;
  Provider()->SetDataSource(AValue);
  DataSourceChanged();
}

TDataSet* TcxDBDataController::DataSet() const
{
  return Provider() ? Provider()->DataSet() : nullptr;
}

void TcxDBDataController::SetDataModeController(TcxDBDataModeController* AValue)
{
  FDataModeController->Assign(AValue);
}

Integer TcxDBDataController::BoundDataSetRecordCount() const
{
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->Active() ? dataSet->RecordCount() : 0;
}

Integer TcxDBDataController::BoundDataSetRecNo() const
{
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->Active() ? dataSet->RecNo() : -1;
}

void TcxDBDataController::SetBoundDataSetRecNo(Integer ARecNo)
{
  if (TDataSet* dataSet = DataSet())
    dataSet->SetRecNo(ARecNo);
}

bool TcxDBDataController::IsDataSetSequenced() const
{
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->IsSequenced();
}

void TcxDBDataController::SetKeyFieldNames(const AnsiString& AValue)
{
  if (FKeyFieldNames == AValue)
    return;
  FKeyFieldNames = AValue;
  SetKeyField(FKeyFieldNames, FKeyField);
}

void TcxDBDataController::SetKeyField(const AnsiString& AFieldNames, TcxDBDataField*& AField)
{
  if (!AFieldNames.empty()) {
    if (!AField)
      AField = static_cast<TcxDBDataField*>(AddInternalField());
    ChangeFieldNameInternal(AField, AFieldNames, false);
    return;
  }
  if (AField) {
    delete AField;
    AField = nullptr;
    NotifyChanges(dccData);
  }
}

void TcxDBDataController::SetMasterKeyFieldNames(const AnsiString& AValue)
{
  if (FMasterKeyFieldNames == AValue)
    return;
  FMasterKeyFieldNames = AValue;
  FDetailKeyFieldsValid = false;
  if (TcxDBDataRelation* relation = DBMasterRelation())
    relation->RefreshKeyFieldNames();
}

void TcxDBDataController::SetDetailKeyFieldNames(const AnsiString& AValue)
{
  if (FDetailKeyFieldNames == AValue)
    return;
  FDetailKeyFieldNames = AValue;
  FDetailKeyFieldsValid = false;
  if (TcxDBDataRelation* relation = DBMasterRelation())
    relation->RefreshKeyFieldNames();
}

AnsiString TcxDBDataController::GetDetailKeyFieldNames() const
{
  return FMasterKeyFieldNames.empty() ? AnsiString() : FDetailKeyFieldNames;
}

void TcxDBDataController::RefreshExternalData()
{
  if (TDataSet* dataSet = DataSet())
    dataSet->Refresh();
}

void TcxDBDataController::CheckBrowseMode()
{
  WithFlag(FInCheckBrowseMode, [&] {
    if (TDataSet* dataSet = DataSet())
      dataSet->CheckBrowseMode();
  });
}

// ---- Items and fields ----

TField* TcxDBDataController::GetItemField(Integer AItemIndex)
{
  return static_cast<TcxDBDataField*>(GetField(AItemIndex))->Field();
}

void TcxDBDataController::GetItemFieldName(Integer AItemIndex, AnsiString& AFieldName)
{
  AFieldName = static_cast<TcxDBDataField*>(GetField(AItemIndex))->FieldName();
}

AnsiString TcxDBDataController::GetItemFieldName(Integer AItemIndex)
{
  AnsiString name;
  GetItemFieldName(AItemIndex, name);
  return name;
}

void TcxDBDataController::ChangeFieldName(Integer AItemIndex, const AnsiString& AFieldName)
{
  CheckItemRange(AItemIndex);
  auto* field = static_cast<TcxDBDataField*>(GetField(AItemIndex));
  if (field->FieldName() != AFieldName)
    ChangeFieldNameInternal(field, AFieldName, false);
}

TcxDBDataField* TcxDBDataController::FindFieldByName(const AnsiString& AFieldName) const
{
  for (Integer i = 0; i < Fields()->Count(); ++i) {
    auto* field = static_cast<TcxDBDataField*>(Fields()->Items(i));
    if (field->SubFieldCount() == 0 && !field->FieldName().empty() &&
        AnsiTextsEqualNoCase(field->FieldName(), AFieldName))
      return field;
  }
  return nullptr;
}

void TcxDBDataController::ChangeFieldNameInternal(TcxDBDataField* AField,
                                                  const AnsiString& AFieldNames, bool AIsLookupKey)
{
  AField->ClearSubFields();
  if (!AIsLookupKey && AField->FieldName() != AFieldNames) {
    Fields()->RedirectReferences(AField);
    AField->SetFieldName(AFieldNames);
  }
  if (AIsLookupKey || IsMultiFieldNameList(AFieldNames)) {
    TUpdateScope<TcxCustomDataController> update(*this);
    if (!AIsLookupKey)
      AField->ReferTo(nullptr);
    for (const AnsiString& name : SplitNames(AFieldNames)) {
      auto* sub = static_cast<TcxDBDataField*>(AddInternalField());
      AField->AddSubField(sub);
      ChangeFieldNameInternal(sub, name, false);
    }
    return;
  }
  AField->ReferTo(nullptr);
  TcxDBDataField* same = nullptr;
  for (Integer i = 0; i < Fields()->Count(); ++i) {
    auto* field = static_cast<TcxDBDataField*>(Fields()->Items(i));
    if (field != AField && field->SubFieldCount() == 0 && !field->ReferenceField() &&
        !field->FieldName().empty() && AnsiTextsEqualNoCase(field->FieldName(), AFieldNames)) {
      same = field;
      break;
    }
  }
  if (same) {
    TcxValueTypeClass before = AField->EffectiveValueTypeClass();
    AField->ReferTo(same);
    if (!AField->IsInternal() && before != AField->EffectiveValueTypeClass())
      ItemValueTypeClassChanged(GetItemIndexOfField(AField));
    NotifyChanges(dccData);
  } else {
    ReloadData(1);
  }
}

void TcxDBDataController::UpdateField(TcxCustomDataField* AField)
{
  BindField(static_cast<TcxDBDataField*>(AField), false);
}

void TcxDBDataController::UpdateFields()
{
  TcxCustomDataController::UpdateFields();
  for (Integer i = 0; i < Fields()->Count(); ++i)
    BindField(static_cast<TcxDBDataField*>(Fields()->Items(i)), true);
}

void TcxDBDataController::UpdateFieldsUnbound()
{
  WithFlag(FUnbinding, [&] { UpdateFields(); });
}

void TcxDBDataController::BindField(TcxDBDataField* AField, bool ALookupOnly)
{
  if (AField->ReferenceField())
    return;
  if (ALookupOnly && !(AField->ParentField() && AField->ParentField()->IsLookup()))
    return;
  TDataSet* dataSet = DataSet();
  if (!dataSet)
    return;
  TField* before = AField->Field();
  if (FUnbinding) {
    AField->SetField(nullptr);
  } else {
    TField* field = AField->FieldName().empty() ? nullptr : dataSet->FindField(AField->FieldName());
    if (!field && !AField->FieldName().empty())
      field = dataSet->AggFields()->FindField(AField->FieldName());
    AField->SetField(field);
  }
  TField* field = AField->Field();
  if (!field)
    return;
  if (field == before)
    for (TcxDBDataProvider* p : Provider()->ProvidersOfDataSet())
      if (static_cast<TcxDBDataController*>(p->DataController())->DetailReopening())
        return;
  AField->UpdateFromField(field);
  if (field->Lookup())
    ChangeFieldNameInternal(AField, field->KeyFields(), true);
}

void TcxDBDataController::ChangeValueTypeClass(Integer AItemIndex,
                                               TcxValueTypeClass AValueTypeClass)
{
  if (GetItemField(AItemIndex))
    return;
  TcxCustomDataController::ChangeValueTypeClass(AItemIndex, AValueTypeClass);
}

bool TcxDBDataController::IsProviderField(TcxCustomDataField* AField)
{
  return TcxCustomDataController::IsProviderField(AField) ||
         static_cast<TcxDBDataField*>(AField)->Field() != nullptr;
}

namespace {

// One sub-field: its value; several: their values as one Variant array.
template <class Read> void SubFieldValues(TcxDBDataField* AField, Variant& AValue, Read AReadValue)
{
  Integer count = AField->SubFieldCount();
  if (count == 1) {
    AReadValue(AField->SubFields(0), AValue);
    return;
  }
  AValue = VarArrayCreate({0, count - 1}, varVariant);
  for (Integer i = 0; i < count; ++i) {
    Variant v;
    AReadValue(AField->SubFields(i), v);
    VarArrayPut(AValue, v, {i});
  }
}

} // namespace

void TcxDBDataController::GetGroupValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                        Variant& AValue)
{
  auto* field = static_cast<TcxDBDataField*>(AField);
  if (field->SubFieldCount() == 0) {
    TcxCustomDataController::GetGroupValue(ARecordIndex, AField, AValue);
    return;
  }
  SubFieldValues(field, AValue, [&](TcxDBDataField* ASub, Variant& V) {
    GetInternalValue(ARecordIndex, ASub, V);
  });
}

void TcxDBDataController::GetFilterDataValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                             Variant& AValue)
{
  auto* field = static_cast<TcxDBDataField*>(AField);
  if (field->SubFieldCount() == 0) {
    TcxCustomDataController::GetFilterDataValue(ARecordIndex, AField, AValue);
    return;
  }
  SubFieldValues(field, AValue, [&](TcxDBDataField* ASub, Variant& V) {
    GetInternalValue(ARecordIndex, ASub, V);
  });
}

void TcxDBDataController::GetFilterItemFieldName(TObject* AItem, AnsiString& AName)
{
  AName.clear();
  auto* field = static_cast<TcxDBDataField*>(Fields()->FindByItem(AItem));
  if (!field)
    return;
  bool ignoreOrigin = Filter()->IgnoreOrigin();
  if (field->SubFieldCount() > 0) {
    for (Integer i = 0; i < field->SubFieldCount(); ++i) {
      AnsiString name;
      FieldFilterName(field->SubFields(i)->Field(), ignoreOrigin, name);
      AName += (i ? ";" : "") + name;
    }
    return;
  }
  if (TField* tfield = field->Field())
    FieldFilterName(tfield, ignoreOrigin, AName);
}

void TcxDBDataController::FreeNotification(TComponent* AComponent)
{
  TcxCustomDataController::FreeNotification(AComponent);
  if (std::find(FDetailKeyFields.begin(), FDetailKeyFields.end(), AComponent) !=
      FDetailKeyFields.end()) {
    FDetailKeyFields.clear();
    FDetailKeyFieldsValid = false;
  }
}

// ---- Keys and locating ----

void TcxDBDataController::GetKeyFields(std::vector<TcxCustomDataField*>& AList)
{
  TcxDBDataField::AddFieldsToList(FKeyField, AList);
}

bool TcxDBDataController::HasRecordKeys()
{
  return FKeyField && !IsGridMode();
}

void TcxDBDataController::GetKeyValue(Integer ARecordIndex,
                                      const std::vector<TcxCustomDataField*>& AFields,
                                      Variant& AValue)
{
  CheckRecordRange(ARecordIndex);
  TcxCustomDataController::GetKeyValue(ARecordIndex, AFields, AValue);
}

Variant TcxDBDataController::GetRecordKeyValue(Integer ARecordIndex)
{
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  Variant value;
  GetKeyValue(ARecordIndex, keys, value);
  return value;
}

Variant TcxDBDataController::GetDataSetKeyValue()
{
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  std::vector<TField*> fields;
  for (TcxCustomDataField* key : keys)
    fields.push_back(static_cast<TcxDBDataField*>(key)->Field());
  if (std::find(fields.begin(), fields.end(), nullptr) != fields.end())
    return Null();
  Variant value;
  FieldValuesToVariant(DataSet(), fields, value);
  return value;
}

Integer TcxDBDataController::FindRecordIndexByKey(const Variant& AKeyValue)
{
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  if (keys.empty())
    return -1;
  if (keys.size() > 1 && !VarIsArray(AKeyValue))
    return -1;
  TcxDataControllerKeyLocateObject locate(this);
  locate.KeyFields() = keys;
  TcxValueDefUnboundReader reader;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (!keys[i]->ValueDef())
      return -1;
    reader.SetValue(keys[i]->ValueDef(), keys.size() == 1
                                             ? AKeyValue
                                             : VarArrayGet(AKeyValue, {static_cast<Integer>(i)}));
  }
  locate.ReadFrom(&reader);
  return locate.Locate();
}

bool TcxDBDataController::LocateByKey(const Variant& AKeyValue)
{
  Integer record = FindRecordIndexByKey(AKeyValue);
  if (record == -1 && IsGridMode()) {
    TDataSet* dataSet = DataSet();
    if (!dataSet)
      return false;
    Provider()->BeginLocate();
    bool found;
    {
      TScopeExit end([&] { Provider()->EndLocate(); });
      found = dataSet->Locate(FKeyFieldNames, AKeyValue, {});
    }
    if (found)
      SetFocusedRowSelected(true);
    return found;
  }
  Integer row = -1;
  if (record != -1 && GetFilteredIndexByRecordIndex(record) != -1)
    row = GetRowIndexByRecordIndex(record, true);
  ChangeFocusedRowIndex(row);
  return row != -1;
}

Integer TcxDBDataController::LocateByKeyFields(
    const TEvent<void(std::vector<TcxCustomDataField*>& AFields)>& AFieldsProc)
{
  TcxDataControllerKeyLocateObject locate(this);
  AFieldsProc(locate.KeyFields());
  if (locate.KeyFields().empty())
    return -1;
  TcxValueDefDBReader reader;
  locate.ReadFrom(&reader);
  return locate.Locate();
}

// ---- Loading and focus ----

void TcxDBDataController::Loaded()
{
  if (Provider()->CanUpdateFields())
    ReloadData(1);
  TcxCustomDataController::Loaded();
}

void TcxDBDataController::LoadStorage()
{
  SaveKeys();
  TScopeExit restore([&] { RestoreKeys(); });
  TcxCustomDataController::LoadStorage();
  Provider()->AfterLoad();
}

void TcxDBDataController::DataLoaded()
{
  TcxCustomDataController::DataLoaded();
  Provider()->ReplaySkippedChanges();
}

void TcxDBDataController::RebuildStorage()
{
  if (!IsGridMode() && Provider())
    Provider()->DataLink()->SetBufferCount(1);
  TcxCustomDataController::RebuildStorage();
}

bool TcxDBDataController::IsGridModeUpdatePending()
{
  if (TcxCustomDataController::IsGridModeUpdatePending() || FBufferCountGuard)
    return true;
  return IsGridMode() && IsDetailMode() && !IsPattern() &&
         !VariantCompareEqual(GetDataSetDetailKeyValues(), FMasterKeyValues);
}

void TcxDBDataController::UpdateFocused()
{
  {
    TUpdateScope<TcxCustomDataController> update(*this);
    TcxCustomDataController::UpdateFocused();
  }
  if (Provider()->IsSyncMode())
    SyncFocusWithDataSet();
}

void TcxDBDataController::SyncFocusWithDataSet()
{
  if (IsPattern()) {
    if (!FDetailReopening && !FMasterSyncGuard && !FInCheckBrowseMode)
      SyncMasterFocus();
    return;
  }
  if (!HasRecordKeys())
    return;
  Integer record = LocateByKeyFields(
      [this](std::vector<TcxCustomDataField*>& AFields) { GetKeyFields(AFields); });
  if (record != Provider()->CurrentRecordIndex()) {
    Provider()->SetCurrentRecordIndex(record);
    TcxCustomDataController::UpdateFocused();
  }
}

Integer TcxDBDataController::GetActiveRecordIndex()
{
  if (IsGridMode())
    return Provider()->DataLink()->ActiveRecord();
  return TcxCustomDataController::GetActiveRecordIndex();
}

bool TcxDBDataController::CanFocusRecord(Integer ARecordIndex)
{
  TcxDBDataProvider* p = Provider();
  bool toPost = (p->IsInserting() && ARecordIndex == p->EditingRecordIndex()) ||
                (NewItemRowVisible() && ARecordIndex < 0);
  if (!toPost) {
    bool result = true;
    p->BeginLocate();
    {
      TScopeExit end([&] { p->EndLocate(); });
      bool inherited = false;
      if (IsDetailMode() && FDataModeController->SyncDetailsFocusWithMaster()) {
        if (FFocusSyncGuard)
          inherited = true;
        else
          ReopenDetailDataSet();
      }
      TDataSet* dataSet = DataSet();
      if (inherited || !p->IsSyncMode() || !dataSet) {
        result = TcxCustomDataController::CanFocusRecord(ARecordIndex);
      } else if (ARecordIndex < 0) {
        result = false;
      } else if (HasRecordKeys()) {
        Variant key = GetRecordKeyValue(ARecordIndex);
        result = VariantCompareEqual(key, GetDataSetKeyValue()) ||
                 dataSet->Locate(FKeyFieldNames, key, {});
      } else {
        Integer distance = ARecordIndex - p->CurrentRecordIndex();
        if (distance != 0)
          dataSet->MoveBy(distance);
        result = true;
      }
    }
    DataLoadFinished();
    return result;
  }
  if (!p->IsInserting() && ARecordIndex < 0)
    Post();
  return true;
}

bool TcxDBDataController::CanChangeFocus()
{
  TcxDBDataRelation* relation = DBMasterRelation();
  if (FFocusSyncGuard || !relation)
    return true;
  auto* master = dynamic_cast<TcxDBDataController*>(GetMasterDataController());
  if (!master)
    return true;
  if (!master->CanChangeFocus())
    return false;
  TcxDataListenerLink* self = AddListenerLink();
  TcxDataListenerLink* other = master->AddListenerLink();
  TScopeExit remove([&] {
    RemoveListenerLink(other);
    RemoveListenerLink(self);
  });
  master->CheckBrowseMode();
  if (self->DataController())
    CheckBrowseMode();
  return self->DataController() && other->DataController();
}

bool TcxDBDataController::CanChangeDetailExpanding(Integer ARecordIndex, bool AExpand)
{
  if (IsGridMode() && AExpand) {
    SetFocusedRecordIndex(ARecordIndex);
    if (FocusedRecordIndex() != ARecordIndex)
      SetFocusedRecordIndex(ARecordIndex);
    if (FocusedRecordIndex() != ARecordIndex)
      return false;
  }
  return TcxCustomDataController::CanChangeDetailExpanding(ARecordIndex, AExpand);
}

void TcxDBDataController::RecordDeleted(Integer ARecordIndex)
{
  TcxCustomDataController::RecordDeleted(ARecordIndex);
  Provider()->DropPendingRecordUpdate(ARecordIndex);
}

void TcxDBDataController::RefreshRecordFromDataSet(Integer ARecordIndex)
{
  if (ARecordIndex == cxNullEditingRecordIndex)
    return;
  TcxValueDefDBReader reader;
  DataStorage()->ReadRecord(ARecordIndex, &reader, true);
  RecordLoaded(ARecordIndex);
  if (!Provider()->InCanInitEditing())
    NotifyChanges(dccUpdateRecord);
}

void TcxDBDataController::UpdateEditingRecord()
{
  TcxDBDataProvider* p = Provider();
  if (!p->IsEditing())
    return;
  Integer record = p->EditingRecordIndex();
  p->NoteEditingRecord(record, p->IsInserting());
  if (record == cxNullEditingRecordIndex)
    return;
  if ((record >= 0 && record < RecordCount()) || IsNewItemRecord(record))
    RefreshRecordFromDataSet(record);
}

// ---- Grid mode ----

void TcxDBDataController::UpdateGridModeBufferCount()
{
  if (!IsGridMode())
    return;
  WithFlag(FBufferCountGuard, [&] {
    Provider()->DataLink()->SetBufferCount(Provider()->GridModeBufferCount());
    Provider()->UpdateGridModeWindow();
  });
}

bool TcxDBDataController::SearchInGridMode(Integer AItemIndex, const AnsiString& AText,
                                           bool AForward, bool ANext)
{
  Search()->Lock();
  TScopeExit unlock([&] { Search()->Unlock(); });
  return Provider()->SearchInGridMode(AItemIndex, AText, AForward, ANext);
}

bool TcxDBDataController::IsBookmarkAvailable()
{
  if (IsGridMode())
    return !FGridModeBookmark.empty();
  return TcxCustomDataController::IsBookmarkAvailable();
}

void TcxDBDataController::ClearBookmarkValue()
{
  TcxCustomDataController::ClearBookmarkValue();
  FGridModeBookmark.clear();
}

bool TcxDBDataController::SaveBookmarkValue()
{
  if (!IsGridMode())
    return TcxCustomDataController::SaveBookmarkValue();
  TDataSet* dataSet = DataSet();
  if (!dataSet || !dataSet->BookmarkAvailable())
    return false;
  TBookmarkStr bookmark = dataSet->Bookmark();
  if (!FGridModeBookmark.empty() && Provider()->CompareBookmarks(bookmark, FGridModeBookmark) == 0)
    return false;
  FGridModeBookmark = bookmark;
  return true;
}

void TcxDBDataController::GotoBookmarkValue()
{
  if (!IsGridMode()) {
    TcxCustomDataController::GotoBookmarkValue();
    return;
  }
  if (TDataSet* dataSet = DataSet())
    dataSet->SetBookmark(FGridModeBookmark);
  RefreshSelectionSnapshot();
}

bool TcxDBDataController::BookmarkAffected(Integer ARecordIndex)
{
  if (!IsGridMode())
    return TcxCustomDataController::BookmarkAffected(ARecordIndex);
  return !DataSet() || !Provider()->IsBookmarkValid(FGridModeBookmark);
}

bool TcxDBDataController::IsBookmarkRow(Integer ARowIndex)
{
  if (!IsGridMode())
    return TcxCustomDataController::IsBookmarkRow(ARowIndex);
  return IsBookmarkAvailable() && DataSet() &&
         DBSelection()->BookmarkOfRow(ARowIndex) == FGridModeBookmark;
}

void TcxDBDataController::GetRowId(Integer ARowIndex, Variant& AValue)
{
  if (!IsGridMode()) {
    TcxCustomDataController::GetRowId(ARowIndex, AValue);
    return;
  }
  AValue = DBSelection()->BookmarkOfRow(ARowIndex);
}

void TcxDBDataController::GetSelectedBookmark(Integer AIndex, TBookmarkStr& ABookmark)
{
  if (!IsGridMode())
    cxDataControllerError(cxSDataControllerNotInGridMode);
  if (IsSingleSelection()) {
    ABookmark =
        FocusedRowIndex() == -1 ? TBookmarkStr() : DBSelection()->BookmarkOfRow(FocusedRowIndex());
    return;
  }
  const auto& bookmarks = DBSelection()->Bookmarks();
  if (AIndex < 0 || AIndex >= static_cast<Integer>(bookmarks.size()))
    throw EListError(Format(SListIndexError, {AIndex}));
  ABookmark = bookmarks[AIndex];
}

void TcxDBDataController::GetSelectionAnchorBookmark(TBookmarkStr& ABookmark)
{
  if (!IsGridMode())
    cxDataControllerError(cxSDataControllerNotInGridMode);
  ABookmark = DBSelection()->AnchorBookmark();
}

Integer TcxDBDataController::GetSelectedRowIndex(Integer AIndex)
{
  if (!IsGridMode() || IsSingleSelection())
    return TcxCustomDataController::GetSelectedRowIndex(AIndex);
  const auto& bookmarks = DBSelection()->Bookmarks();
  if (AIndex < 0 || AIndex >= static_cast<Integer>(bookmarks.size()) || RowCount() == 0)
    return -1;
  const TBookmarkStr& bookmark = bookmarks[AIndex];
  TcxDBDataSelection* selection = DBSelection();
  TcxDBDataProvider* p = Provider();
  if (p->CompareBookmarks(bookmark, selection->BookmarkOfRow(0)) < 0 ||
      p->CompareBookmarks(bookmark, selection->BookmarkOfRow(RowCount() - 1)) > 0)
    return -1;
  for (Integer row = 0; row < RowCount(); ++row)
    if (selection->BookmarkOfRow(row) == bookmark)
      return row;
  return -1;
}

Integer TcxDBDataController::GetSelectionAnchorRowIndex()
{
  return IsGridMode() ? -1 : TcxCustomDataController::GetSelectionAnchorRowIndex();
}

bool TcxDBDataController::IsSelectionAnchorExist()
{
  if (IsGridMode())
    return !DBSelection()->AnchorBookmark().empty();
  return TcxCustomDataController::IsSelectionAnchorExist();
}

void TcxDBDataController::SelectAll()
{
  if (IsGridMode())
    DBSelection()->SelectAllRecords();
  else
    TcxCustomDataController::SelectAll();
}

void TcxDBDataController::SelectFromAnchor(Integer ARowIndex, bool AKeepSelection)
{
  if (!IsGridMode()) {
    TcxCustomDataController::SelectFromAnchor(ARowIndex, AKeepSelection);
    return;
  }
  CheckRowIndex(ARowIndex);
  DBSelection()->SelectRange(DBSelection()->BookmarkOfRow(ARowIndex), AKeepSelection);
}

void TcxDBDataController::SetSelectionAnchor(Integer ARowIndex)
{
  if (!IsGridMode()) {
    TcxCustomDataController::SetSelectionAnchor(ARowIndex);
    return;
  }
  CheckRowIndex(ARowIndex);
  DBSelection()->SetAnchorBookmark(DBSelection()->BookmarkOfRow(ARowIndex));
}

void TcxDBDataController::ForEachRow(bool ASelectedOnly, const TcxDataControllerEachRowProc& AProc)
{
  TDataSet* dataSet = DataSet();
  if (!IsGridMode() || !dataSet) {
    TcxCustomDataController::ForEachRow(ASelectedOnly, AProc);
    return;
  }
  auto visitFocused = [&] {
    Integer row = FocusedRowIndex();
    if (row != -1)
      AProc(row, GetRowInfo(row));
  };
  if (ASelectedOnly) {
    if (IsSingleSelection()) {
      visitFocused();
      return;
    }
    std::vector<TBookmarkStr> bookmarks = DBSelection()->Bookmarks();
    for (const TBookmarkStr& bookmark : bookmarks) {
      dataSet->SetBookmark(bookmark);
      visitFocused();
    }
    return;
  }
  dataSet->First();
  while (!dataSet->Eof()) {
    visitFocused();
    dataSet->Next();
  }
}

// ---- Detail side ----

TcxDBDataRelation* TcxDBDataController::DBMasterRelation() const
{
  return dynamic_cast<TcxDBDataRelation*>(
      const_cast<TcxDBDataController*>(this)->GetMasterRelation());
}

TcxDBProviderDetailFilterAdapter* TcxDBDataController::GetDetailFilterAdapter()
{
  TcxDBAdapterList* list = cxDetailFilterControllers();
  TDataSet* dataSet = DataSet();
  Integer index = -1;
  if (!list ||
      !list->FindAdapterIndex(dataSet ? dataSet->ClassType() : ClassInfoOf<TDataSet>(), index))
    cxDataControllerError(cxSDataDetailFilterControllerNotFound);
  auto* adapter = dynamic_cast<TcxDBProviderDetailFilterAdapter*>(list->Items(index));
  if (!adapter)
    cxDataControllerError(cxSDataDetailFilterControllerNotFound);
  return adapter;
}

void TcxDBDataController::LinkToMaster(TcxCustomDataRelation* ARelation, Integer AMasterRecordIndex)
{
  TUpdateScope<TcxCustomDataController> update(*this);
  TcxCustomDataController::LinkToMaster(ARelation, AMasterRecordIndex);
  auto* relation = dynamic_cast<TcxDBDataRelation*>(ARelation);
  if (relation && AMasterRecordIndex != -1) {
    relation->GetMasterKeyValues(AMasterRecordIndex, FMasterKeyValues);
    ReloadData(2);
  }
}

void TcxDBDataController::SyncDetailDataSet()
{
  ReopenDetailDataSet();
}

void TcxDBDataController::ReopenDetailDataSet()
{
  if (!IsDetailMode() || !FDataModeController->SyncDetailsFocusWithMaster() ||
      !FDataModeController->DetailInSQLMode() || !DataSet())
    return;
  if (FDataModeController->DetailIsCurrentQuery(GetDetailKeyFieldNames(), FMasterKeyValues))
    return;
  TcxDBDataProvider* p = Provider();
  p->Freeze();
  TScopeExit unfreeze([&] { p->Unfreeze(); });
  WithFlag(FDetailReopening, [&] {
    p->First();
    p->SavePos();
    p->RestorePos();
    p->SetCurrentRecordIndex(-1);
  });
}

bool TcxDBDataController::IsMasterKeyChanged()
{
  if (!IsDetailMode() || !FDataModeController->DetailInSQLMode())
    return false;
  if (!FDataModeController->SyncDetailsFocusWithMaster())
    return true;
  if (FDetailReopening || VarIsEmpty(FMasterKeyValues))
    return false;
  return !VariantCompareEqual(GetDataSetDetailKeyValues(), FMasterKeyValues);
}

void TcxDBDataController::UnfocusDetail(TcxDBDataController* ADetail)
{
  WithFlag(ADetail->FFocusSyncGuard, [&] {
    ADetail->Provider()->ResetEditing();
    ADetail->SetFocusedRecordIndex(-1);
  });
}

void TcxDBDataController::RemoveFocusQuietly()
{
  WithFlag(FFocusSyncGuard, [&] { SetFocusedRecordIndex(-1); });
}

void TcxDBDataController::RelationsChanged(TcxCustomDataRelation* ARelation)
{
  TcxCustomDataController::RelationsChanged(ARelation);
  if (IsDestroying() || !HasRelations())
    return;
  for (Integer i = 0; i < Relations()->Count(); ++i)
    if (auto* relation = dynamic_cast<TcxDBDataRelation*>(Relations()->Items(i))) {
      TcxDBDataField* field = relation->MasterKeyField();
      SetKeyField(relation->MasterKeyFieldNames(), field);
      relation->SetMasterKeyField(field);
    }
}

const std::vector<TField*>& TcxDBDataController::DetailKeyDataSetFields()
{
  if (FDetailKeyFieldsValid)
    return FDetailKeyFields;
  FDetailKeyFields.clear();
  TDataSet* dataSet = DataSet();
  AnsiString names = GetDetailKeyFieldNames();
  if (dataSet && !names.empty()) {
    try {
      dataSet->GetFieldList(FDetailKeyFields, names);
    } catch (const EDatabaseError&) {
      FDetailKeyFields.clear();
    }
    for (TField* field : FDetailKeyFields)
      field->FreeNotification(Notifier());
  }
  FDetailKeyFieldsValid = !FDetailKeyFields.empty();
  return FDetailKeyFields;
}

Variant TcxDBDataController::GetDataSetDetailKeyValues()
{
  const std::vector<TField*>& fields = DetailKeyDataSetFields();
  Variant value;
  FieldValuesToVariant(DataSet(), fields, value);
  return value;
}

bool TcxDBDataController::IsMasterChainInSync()
{
  if (!Provider()->IsSyncMode() || !HasRecordKeys() || Provider()->IsEditing())
    return false;
  if (auto* master = dynamic_cast<TcxDBDataController*>(GetMasterDataController()))
    return master->IsMasterChainInSync();
  return true;
}

TcxCustomDataController* TcxDBDataController::SyncMasterFocus()
{
  TcxDBDataRelation* relation = DBMasterRelation();
  if (!relation || GetDetailKeyFieldNames().empty())
    return this;
  if (!Provider()->IsSyncMode())
    return nullptr;
  auto* master = dynamic_cast<TcxDBDataController*>(GetMasterDataController());
  if (!master || !master->IsMasterChainInSync() || master->DetailLinkGuard())
    return nullptr;
  bool located = WithFlag(master->FMasterSyncGuard, [&] {
    TDataSet* masterSet = master->DataSet();
    if (!masterSet)
      return false;
    Variant detailValues = GetDataSetDetailKeyValues();
    std::vector<TField*> masterFields;
    masterSet->GetFieldList(masterFields, relation->MasterKeyFieldNames());
    Variant masterValues;
    FieldValuesToVariant(masterSet, masterFields, masterValues);
    if (VariantCompareEqual(detailValues, masterValues))
      return true;
    master->Provider()->BeginLocate();
    TScopeExit end([&] { master->Provider()->EndLocate(); });
    return masterSet->Locate(relation->MasterKeyFieldNames(), detailValues, {});
  });
  if (!located)
    return nullptr;
  TcxCustomDataController* level = master->SyncMasterFocus();
  if (!level)
    return nullptr;
  Integer row = level->FocusedRowIndex();
  if (row == -1)
    return nullptr;
  Integer record = level->GetRowInfo(row).RecordIndex;
  if (record < 0)
    return nullptr;
  level->ChangeDetailExpanding(record, true);
  if (!level->GetDetailExpanded(record))
    return nullptr;
  level->SetActiveRelationIndex(record, relation->Index());
  return level->GetDetailDataControllerOf(record, relation->Index());
}
