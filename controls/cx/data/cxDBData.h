// cxDBData: the data controller over a TDataSet. TcxDBDataController binds its items to the
// dataset's fields by name; its provider follows the dataset through a data link and either
// loads every record (normal mode) or holds only the link's buffer window (grid mode, where
// navigation, bookmarks and the selection are dataset operations). Several controllers may
// share one dataset; master-detail is done here, with detail datasets re-opened with the
// master's key values (SQL mode) or positioned by Locate.
#pragma once

#include <memory>
#include <vector>

#include "controls/cx/data/cxCustomData.h"
#include "controls/cx/data/cxDB.h"
#include "controls/cx/data/cxDBFilter.h"
#include "platform/data/DB.h"

class TcxDBDataController;
class TcxDBDataFilterCriteria;
class TcxDBDataProvider;
class TcxDBDataModeController;
class TcxDBProviderDetailFilterAdapter;

// ---- Events ----

using TcxDBDataModeControllerDetailFirstEvent =
    TEvent<void(TcxDBDataModeController* Sender, TDataSet* ADataSet,
                const AnsiString& AMasterDetailKeyFieldNames, const Variant& AMasterDetailKeyValues,
                bool& AReopened)>;
using TcxDBDataModeControllerDetailIsCurrentQueryEvent = TEvent<bool(
    TcxDBDataModeController* Sender, TDataSet* ADataSet,
    const AnsiString& AMasterDetailKeyFieldNames, const Variant& AMasterDetailKeyValues)>;
using TcxDBDataDetailHasChildrenEvent =
    TEvent<void(TcxDBDataController* Sender, Integer ARecordIndex, Integer ARelationIndex,
                const AnsiString& AMasterDetailKeyFieldNames, const Variant& AMasterDetailKeyValues,
                bool& HasChildren)>;

// ---- The data link ----

class TcxDBDataLink : public TDataLink {
public:
  explicit TcxDBDataLink(TcxDBDataProvider* AProvider);
  TcxDBDataProvider* Provider() const { return FProvider; }
  bool LayoutChangePending() const { return FLayoutChangePending; }

  // Public: skipped changes are replayed through DataSetChanged, and an insert finishes a
  // pending edit through UpdateData.
  void DataSetChanged() override;
  void UpdateData() override;

protected:
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void DataSetScrolled(Integer Distance) override;
  void EditingChanged() override;
  void FocusControl(TField** Field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;

private:
  TcxDBDataProvider* FProvider;
  bool FLayoutChangePending = false;
};

// ---- The data mode controller ----

class TcxDBDataModeController : public TPersistent {
public:
  explicit TcxDBDataModeController(TcxDBDataController* ADataController)
      : FDataController(ADataController)
  {
  }
  void Assign(TPersistent* Source) override;
  virtual bool DetailIsCurrentQuery(const AnsiString& ADetailKeyFieldNames,
                                    const Variant& AMasterKeyValues);
  virtual void DetailFirst(const AnsiString& ADetailKeyFieldNames, const Variant& AMasterKeyValues,
                           bool& AReopened);

  bool DetailInSQLMode() const { return FDetailInSQLMode; }
  void SetDetailInSQLMode(bool AValue) { FDetailInSQLMode = AValue; }
  bool SyncDetailsFocusWithMaster() const { return FSyncDetailsFocusWithMaster; }
  void SetSyncDetailsFocusWithMaster(bool AValue) { FSyncDetailsFocusWithMaster = AValue; }
  bool GridMode() const { return FGridMode; }
  void SetGridMode(bool AValue);
  Integer GridModeBufferCount() const { return FGridModeBufferCount; }
  void SetGridModeBufferCount(Integer AValue);
  bool SmartRefresh() const { return FSmartRefresh; }
  void SetSmartRefresh(bool AValue);
  bool SyncInsert() const { return FSyncInsert; }
  void SetSyncInsert(bool AValue) { FSyncInsert = AValue; }
  bool SyncMode() const { return FSyncMode; }
  void SetSyncMode(bool AValue);
  TcxDBDataController* DataController() const { return FDataController; }

  TcxDBDataModeControllerDetailFirstEvent OnDetailFirst;
  TcxDBDataModeControllerDetailIsCurrentQueryEvent OnDetailIsCurrentQuery;

protected:
  TPersistent* GetOwner() override;

private:
  TcxDBDataController* FDataController;
  bool FDetailInSQLMode = false;
  bool FSyncDetailsFocusWithMaster = true;
  bool FGridMode = false;
  Integer FGridModeBufferCount = 0;
  bool FSmartRefresh = false;
  bool FSyncInsert = true;
  bool FSyncMode = true;
};

// ---- Detail datasets ----

// Re-opens or positions a detail dataset for its master's key values.
class TcxDBProviderDetailFilterAdapter : public TcxDBAdapterItem {
public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
  // The dataset's published "Params" hold AValues for the parameters named AParamNames.
  virtual bool IsCurrentQuery(TDataSet* ADataSet, const AnsiString& AParamNames,
                              const Variant& AValues);
  virtual void ReopenDataSet(TDataSet* ADataSet, const AnsiString& AParamNames,
                             const Variant& AValues, bool& AReopened);
  virtual void DetailFirst(TDataSet* ADataSet, const AnsiString& AParamNames,
                           const Variant& AValues, bool ASQLMode, bool& AReopened);

protected:
  // The dataset's published "Params", or null.
  static TParams* ParamsOf(TDataSet* ADataSet);
};

// The adapter list of detail datasets (TDataSet: TcxDBProviderDetailFilterAdapter).
TcxDBAdapterList* cxDetailFilterControllers();
// Unit start-up: makes the list with its TDataSet entry (ACreate), or frees it.
void cxDetailFilterControllersReset(bool ACreate);

// ---- The value reader ----

// Reads the dataset's current record.
class TcxValueDefDBReader : public TcxValueDefReader {
public:
  void GetDisplayText(TcxValueDef* ADef, AnsiString& S) override;
  void GetValue(TcxValueDef* ADef, Variant& V) override;
  bool IsInternalDef(TcxValueDef* ADef) override;
};

// ---- The provider ----

class TcxDBDataProvider : public TcxCustomDataProvider {
public:
  explicit TcxDBDataProvider(TcxCustomDataController* ADataController);
  ~TcxDBDataProvider() override;

  bool SupportsCustomSource() override { return false; }
  bool IsGridMode() override;
  bool IsActiveDataSet() override;
  bool IsOtherProviderInserting() override;
  bool IsSyncMode() override;
  bool IsActive() override;
  bool CanUpdateFields() override;
  bool IsBOF() override;
  bool IsEOF() override;
  bool IsEditing() override;
  bool IsGridModeInserting() override;
  bool IsInserting() override;
  bool IsModified() override;
  void RecordLoaded(Integer ARecordIndex) override;
  void First() override;
  void Prior() override;
  void Next() override;
  void Last() override;
  void MoveBy(Integer ADistance) override;
  void Scroll(Integer ADistance) override;
  void SavePos() override;
  void RestorePos() override;
  bool CanDelete() override;
  bool InitEditing(Integer ARecordIndex) override;
  bool CanModify() override;
  void Append() override;
  void Insert() override;
  void Cancel() override;
  void Post() override;
  void Edit() override;
  void DeleteFocused() override;
  void DeleteRecords(const std::vector<Integer>& AList) override;
  void DeleteSelection() override;
  Variant GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                       TcxDataEditValueSource AEditValueSource) override;
  bool SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& AValue,
                    TcxDataEditValueSource AEditValueSource) override;
  void SetValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& AValue) override;
  void UpdateData() override;
  void DoInitInsertingRecord(Integer AInsertingRecordIndex,
                             const TcxDataSummaryValues& AGroupValues) override;
  void BeginLocate() override;
  void Freeze() override;
  void Unfreeze() override;
  bool HasDetailChildren(Integer ARecordIndex, Integer ARelationIndex) override;
  void GetGridModeDisplayText(Integer ARowIndex, TcxCustomDataField* AField,
                              AnsiString& AText) override;
  Variant GetGridModeValue(Integer ARowIndex, TcxCustomDataField* AField) override;
  Integer GetCurrentRecordIndex() override;
  TcxValueDefReader* CreateValueDefReader() override { return new TcxValueDefDBReader(); }
  void LoadGridModeBuffer() override;
  void ActiveChanged(bool AActive) override;
  void FocusedRecordChanged(Integer ADistance) override;
  void LayoutChanged(Integer AKind) override;

  virtual bool IsBookmarkValid(const TBookmarkStr& ABookmark);
  virtual Integer CompareBookmarks(const TBookmarkStr& ABookmark1, const TBookmarkStr& ABookmark2);
  virtual void DataSetRecordChanged();

  TDataSet* DataSet() const;
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* ADataSource);
  TcxDBDataLink* DataLink() const { return FDataLink.get(); }
  Integer GridModeBufferCount();
  void UpdateGridModeWindow();
  bool SearchInGridMode(Integer AItemIndex, const AnsiString& AText, bool AForward, bool ANext);
  TcxDBDataController* DBDataController() const;

  // State the controller and the link read and change.
  Integer CurrentRecordIndex() const { return FCurrentRecordIndex; }
  void SetCurrentRecordIndex(Integer AValue) { FCurrentRecordIndex = AValue; }
  bool InFirst() const { return FInFirst; }
  bool InCanInitEditing() const { return FInCanInitEditing; }
  bool InInsertOperation() const { return FInInsert; }
  bool InGridModeChange() const { return FInGridModeChange; }
  bool Replaying() const { return FReplaying; }
  bool EditCancelled() const { return FEditCancelled; }
  void SetEditCancelled(bool AValue) { FEditCancelled = AValue; }
  bool DetailDataSetCurrentFlag() const { return FDetailDataSetCurrent; }
  bool IsDetailDataSetCurrent();
  bool IsSmartRefresh();
  // The pending record update of smart refresh.
  void NoteEditingRecord(Integer ARecordIndex, bool AInserted);
  void ApplyPendingRecordUpdate();
  void ResetPendingRecordUpdate();
  Integer PendingPrevFocusedRecordIndex() const { return FUpdatePrevFocused; }
  Integer PendingUpdatedRecordIndex() const { return FUpdatedRecordIndex; }
  bool PendingInserted() const { return FUpdateInserted; }
  void DropPendingRecordUpdate(Integer ARecordIndex);
  // Runs the dataset's new record into the controller (an append at the end appends).
  void InsertFromDataSet();
  // Called when the controller finished loading: clears the edit-cancelled mark.
  void AfterLoad() { FEditCancelled = false; }
  // Replays the changes that other providers skipped while this one was frozen.
  void ReplaySkippedChanges();
  void AddSkippedProvider(TcxDBDataProvider* AProvider);
  // Leaves the insert state and the detail-current flag (a sibling detail started inserting).
  void LeaveDetailDataSet();

  // The providers of the same dataset (this one included).
  std::vector<TcxDBDataProvider*> ProvidersOfDataSet() const;
  static const std::vector<TcxDBDataProvider*>& AllProviders();

private:
  friend class TcxDBDataLink;
  void MakeDetailDataSetCurrent();
  void RunInsertOperation(void (TDataSet::*AOperation)());
  bool DataSetKeyValuesDiffer();

  std::unique_ptr<TcxDBDataLink> FDataLink;
  Integer FCurrentRecordIndex = -1;
  TBookmarkStr FSavedBookmark;
  Integer FSavedActiveRecord = 0;
  bool FSavedBOF = false;
  bool FSavedEOF = false;
  bool FInFirst = false;
  bool FInCanInitEditing = false;
  bool FInInsert = false;
  bool FInGridModeChange = false;
  bool FReadingCurrentRecord = false;
  bool FReplaying = false;
  bool FEditCancelled = false;
  bool FDetailDataSetCurrent = false;
  std::vector<TcxDBDataProvider*> FSkippedProviders;
  Integer FUpdatePrevFocused = cxNullEditingRecordIndex;
  bool FUpdateInserted = false;
  Integer FUpdatedRecordIndex = -1;
};

// ---- Fields ----

// A data field bound to a TField (or, with sub-fields, to a ';'-separated list of them).
class TcxDBDataField : public TcxCustomDataField {
public:
  using TcxCustomDataField::TcxCustomDataField;
  ~TcxDBDataField() override;

  void AdoptValueDefinition(TcxCustomDataField* ASource) override;
  void ComponentRemoved(TComponent* AComponent) override;
  bool CanModify(TcxDataEditValueSource AEditValueSource = evsValue) override;
  bool IsInternalField() const override;

  // Along the reference chain.
  TField* Field() const;
  void SetField(TField* AValue);
  TcxDBDataField* SubFields(Integer AIndex) const;
  Integer SubFieldCount() const;
  void AddSubField(TcxDBDataField* AField);
  void RemoveSubField(TcxDBDataField* AField);
  void ClearSubFields();
  bool IsLookup() const;
  // The sub-fields when there are any, else the field itself; nothing for no field.
  static void AddFieldsToList(TcxDBDataField* AField, std::vector<TcxCustomDataField*>& AList);
  void UpdateFromField(TField* AField);
  TcxDBDataField* ParentField() const { return FParentField; }
  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& AValue) { FFieldName = AValue; }
  TcxDBDataController* DBDataController() const;

private:
  const TcxDBDataField* ChainEnd() const;
  TField* FField = nullptr;
  std::vector<TcxDBDataField*> FSubFields;
  TcxDBDataField* FParentField = nullptr;
  AnsiString FFieldName;
};

// The value type of a TField's data type (TcxStringValueType without a TField).
TcxValueTypeClass ValueTypeClassOfField(TField* AField);

// ---- Relations ----

class TcxDBDataRelation : public TcxCustomDataRelation {
public:
  using TcxCustomDataRelation::TcxCustomDataRelation;
  ~TcxDBDataRelation() override;
  void DropField(TcxCustomDataField* AField) override;
  virtual bool HasMasterKeyLink();

  void CollectMasterKeyFields(std::vector<TcxCustomDataField*>& AList);
  void GetMasterKeyValues(Integer ARecordIndex, Variant& AValues);
  void RefreshKeyFieldNames();
  AnsiString DetailKeyFieldNames() const;
  AnsiString MasterKeyFieldNames() const;
  TcxDBDataField* MasterKeyField() const { return FMasterKeyField; }
  void SetMasterKeyField(TcxDBDataField* AValue) { FMasterKeyField = AValue; }

private:
  TcxDBDataField* FMasterKeyField = nullptr; // owned
};

// ---- Selection ----

// In grid mode the selected rows are dataset bookmarks, kept sorted by the dataset's order;
// the base entries are then only a count equal to theirs.
class TcxDBDataSelection : public TcxDataSelection {
public:
  using TcxDataSelection::TcxDataSelection;
  void ClearAnchor() override;
  void InsertItem(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex) override;
  void ClearItems() override;
  void DeleteItem(Integer AIndex) override;
  bool FindByRowIndex(Integer ARowIndex, Integer& AIndex) override;

  TBookmarkStr BookmarkOfRow(Integer ARowIndex);
  bool FindBookmark(const TBookmarkStr& ABookmark, Integer& AIndex);
  void SyncCount();
  bool DropInvalidBookmarks();
  void SelectAllRecords();
  void SelectRange(const TBookmarkStr& ABookmark, bool AKeepSelection);
  const std::vector<TBookmarkStr>& Bookmarks() const { return FBookmarks; }
  const TBookmarkStr& AnchorBookmark() const { return FAnchorBookmark; }
  void SetAnchorBookmark(const TBookmarkStr& AValue) { FAnchorBookmark = AValue; }
  TcxDBDataController* DBDataController() const;

private:
  bool InGridMode() const;
  TcxDBDataProvider* Provider() const;
  void WalkRange(const TBookmarkStr& B1, const TBookmarkStr& B2, bool AKeepSelection);
  bool QuickAdjust(const TBookmarkStr& B1, const TBookmarkStr& B2, bool AForward);
  void Finish();

  std::vector<TBookmarkStr> FBookmarks;
  TBookmarkStr FAnchorBookmark;
  bool FSyncingCount = false;
};

// ---- Filter and summary ----

using TcxDBDataFilterBeforeChangeEvent = TEvent<void(
    TcxDBDataFilterCriteria* Sender, TDataSet* ADataSet, const AnsiString& AFilterText)>;
using TcxDBDataFilterFormatFilterTextValueEvent =
    TEvent<void(TcxDBDataFilterCriteria* Sender, const Variant& AValue, AnsiString& ADisplayValue)>;

class TcxDBDataFilterCriteria : public TcxDataFilterCriteria {
public:
  explicit TcxDBDataFilterCriteria(TcxCustomDataController* ADataController);
  void Assign(TPersistent* ASource) override;
  void AssignEvents(TPersistent* ASource) override;
  void RestoreDefaults() override;
  void FormatFilterTextValue(TcxFilterCriteriaItem* AItem, const Variant& AValue,
                             AnsiString& AText) override;
  TcxFilterCriteriaItem* CreateItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                    TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                    const AnsiString& ADisplayValue) override;
  bool IsFiltering() override;
  void DoChanged() override;

  bool AutoDataSetFilter() const { return FAutoDataSetFilter; }
  void SetAutoDataSetFilter(bool AValue);
  bool IgnoreOrigin() const { return FIgnoreOrigin; }
  void SetIgnoreOrigin(bool AValue);
  // AutoDataSetFilter and no smart refresh: the dataset filters.
  bool IsDataSetFilterInEffect();
  TcxDBDataController* DBDataController() const;

  TcxDBDataFilterBeforeChangeEvent OnBeforeChange;
  TcxDBDataFilterFormatFilterTextValueEvent OnFormatFilterTextValue;

private:
  void ApplyDataSetFilter();
  bool FAutoDataSetFilter = false;
  bool FIgnoreOrigin = true;
};

class TcxDBDataFilterCriteriaItem : public TcxDataFilterCriteriaItem {
public:
  using TcxDataFilterCriteriaItem::TcxDataFilterCriteriaItem;
  TcxFilterOperatorClass GetOperatorClass() override;
};

class TcxDBDataSummaryItem : public TcxDataSummaryItem {
public:
  explicit TcxDBDataSummaryItem(TCollection* ACollection) : TcxDataSummaryItem(ACollection) {}
  ~TcxDBDataSummaryItem() override;
  void Assign(TPersistent* Source) override;
  TcxCustomDataField* GetField() const override;
  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& AValue);
  TcxDBDataController* DBDataController() const;

private:
  AnsiString FFieldName;
  TcxDBDataField* FDataField = nullptr; // owned by the controller's field list
};

// ---- The controller ----

class TcxDBDataController : public TcxCustomDataController {
public:
  explicit TcxDBDataController(TComponent* AOwner);
  ~TcxDBDataController() override;
  void Assign(TPersistent* Source) override;

  // Added virtual operations.
  virtual void InsertingChanged(bool AInserting) {}
  virtual void DataSourceChanged() {}
  virtual void InsertingRecordInitialized(Integer ARecordIndex) {}
  virtual Integer DefaultGridModeBufferCount() { return 100; }
  virtual void MarkDataChanged() { NotifyChanges(dccLayout); }
  virtual Integer
  LocateByKeyFields(const TEvent<void(std::vector<TcxCustomDataField*>& AFields)>& AFieldsProc);
  virtual void GridModeWindowScrolled() {}
  virtual TcxDBProviderDetailFilterAdapter* GetDetailFilterAdapter();

  // Overridden base operations.
  TcxCustomDataField* CreateField() override;
  TcxCustomDataProvider* CreateDataProvider() override;
  TcxDataFilterCriteria* CreateFilterCriteria() override;
  TcxDataSelection* CreateDataSelection() override;
  TCollectionItemClass GetSummaryItemClass() override;
  TcxCustomDataRelation* CreateRelation(TcxCustomDataRelationList* ARelationList,
                                        TObject* AItem) override;
  bool CanChangeDetailExpanding(Integer ARecordIndex, bool AExpand) override;
  bool CanFocusRecord(Integer ARecordIndex) override;
  void CheckBrowseMode() override;
  bool CanChangeFocus() override;
  void RecordDeleted(Integer ARecordIndex) override;
  bool SearchInGridMode(Integer AItemIndex, const AnsiString& AText, bool AForward,
                        bool ANext) override;
  Integer GetActiveRecordIndex() override;
  void GetKeyFields(std::vector<TcxCustomDataField*>& AList) override;
  bool BookmarkAffected(Integer ARecordIndex) override;
  void ClearBookmarkValue() override;
  void GotoBookmarkValue() override;
  bool SaveBookmarkValue() override;
  bool IsProviderField(TcxCustomDataField* AField) override;
  bool HasRecordKeys() override;
  bool CanReloadData() override { return true; }
  void LoadStorage() override;
  bool IsGridModeUpdatePending() override;
  void DataLoaded() override;
  void UpdateField(TcxCustomDataField* AField) override;
  void FreeNotification(TComponent* AComponent) override;
  void RebuildStorage() override;
  void UpdateFields() override;
  void UpdateFocused() override;
  void RelationsChanged(TcxCustomDataRelation* ARelation) override;
  void Loaded() override;
  void ChangeValueTypeClass(Integer AItemIndex, TcxValueTypeClass AValueTypeClass) override;
  void GetGroupValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& AValue) override;
  void RefreshExternalData() override;
  void LinkToMaster(TcxCustomDataRelation* ARelation, Integer AMasterRecordIndex) override;
  void ForEachRow(bool ASelectedOnly, const TcxDataControllerEachRowProc& AProc) override;
  void SyncDetailDataSet() override;
  bool IsBookmarkAvailable() override;
  bool IsBookmarkRow(Integer ARowIndex) override;
  void GetFilterDataValue(Integer ARecordIndex, TcxCustomDataField* AField,
                          Variant& AValue) override;
  void GetFilterItemFieldName(TObject* AItem, AnsiString& AName) override;
  void GetRowId(Integer ARowIndex, Variant& AValue) override;
  Integer GetSelectedRowIndex(Integer AIndex) override;
  Integer GetSelectionAnchorRowIndex() override;
  bool IsSelectionAnchorExist() override;
  void SelectAll() override;
  void SelectFromAnchor(Integer ARowIndex, bool AKeepSelection) override;
  void SetSelectionAnchor(Integer ARowIndex) override;
  void GetKeyValue(Integer ARecordIndex, const std::vector<TcxCustomDataField*>& AFields,
                   Variant& AValue) override;

  // Properties.
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* AValue);
  TcxDBDataModeController* DataModeController() const { return FDataModeController.get(); }
  void SetDataModeController(TcxDBDataModeController* AValue);
  const AnsiString& KeyFieldNames() const { return FKeyFieldNames; }
  void SetKeyFieldNames(const AnsiString& AValue);
  const AnsiString& MasterKeyFieldNames() const { return FMasterKeyFieldNames; }
  void SetMasterKeyFieldNames(const AnsiString& AValue);
  const AnsiString& DetailKeyFieldNames() const { return FDetailKeyFieldNames; }
  void SetDetailKeyFieldNames(const AnsiString& AValue);
  AnsiString GetDetailKeyFieldNames() const;
  TcxDBDataFilterCriteria* Filter() const;
  void SetFilter(TcxDBDataFilterCriteria* AValue) { TcxCustomDataController::SetFilter(AValue); }
  TcxDBDataProvider* Provider() const;
  TcxDBDataField* KeyField() const { return FKeyField; }
  TDataSet* DataSet() const;
  TDataSet* BoundDataSet() const { return DataSet(); }
  Integer BoundDataSetRecordCount() const;
  Integer BoundDataSetRecNo() const;
  void SetBoundDataSetRecNo(Integer ARecNo);
  bool IsDataSetSequenced() const;
  const Variant& MasterKeyValues() const { return FMasterKeyValues; }
  bool DetailReopening() const { return FDetailReopening; }

  // Items and fields.
  TField* GetItemField(Integer AItemIndex);
  void GetItemFieldName(Integer AItemIndex, AnsiString& AFieldName);
  AnsiString GetItemFieldName(Integer AItemIndex);
  void ChangeFieldName(Integer AItemIndex, const AnsiString& AFieldName);
  void ChangeFieldNameInternal(TcxDBDataField* AField, const AnsiString& AFieldNames,
                               bool AIsLookupKey);
  void BindField(TcxDBDataField* AField, bool ALookupOnly);
  void UpdateFieldsUnbound();
  void RebindFields() { UpdateFields(); }
  TcxDBDataField* FindFieldByName(const AnsiString& AFieldName) const;
  // Builds, renames or frees an internal field for a ';'-separated name list.
  void SetKeyField(const AnsiString& AFieldNames, TcxDBDataField*& AField);

  // Keys and locating.
  Variant GetRecordKeyValue(Integer ARecordIndex);
  Integer FindRecordIndexByKey(const Variant& AKeyValue);
  bool LocateByKey(const Variant& AKeyValue);
  Variant GetDataSetKeyValue();

  // Grid mode.
  void UpdateGridModeBufferCount();
  void GetSelectedBookmark(Integer AIndex, TBookmarkStr& ABookmark);
  void GetSelectionAnchorBookmark(TBookmarkStr& ABookmark);
  const TBookmarkStr& GridModeBookmark() const { return FGridModeBookmark; }
  TcxDBDataSelection* DBSelection() const;

  // Detail side.
  void ReopenDetailDataSet();
  bool IsMasterKeyChanged();
  static void UnfocusDetail(TcxDBDataController* ADetail);
  // Takes the focus off without moving or re-opening the dataset (another detail of the
  // same place in the tree took the dataset).
  void RemoveFocusQuietly();
  void RefreshRecordFromDataSet(Integer ARecordIndex);
  void UpdateEditingRecord();
  TcxCustomDataController* SyncMasterFocus();
  // The detail key TFields of the bound dataset (cached).
  const std::vector<TField*>& DetailKeyDataSetFields();
  Variant GetDataSetDetailKeyValues();
  bool FocusSyncGuard() const { return FFocusSyncGuard; }

  TcxDBDataDetailHasChildrenEvent OnDetailHasChildren;

private:
  void SyncFocusWithDataSet();
  TcxDBDataRelation* DBMasterRelation() const;
  bool IsMasterChainInSync();

  TBookmarkStr FGridModeBookmark;
  std::unique_ptr<TcxDBDataModeController> FDataModeController;
  AnsiString FDetailKeyFieldNames;
  bool FInCheckBrowseMode = false;
  bool FDetailReopening = false;
  bool FFocusSyncGuard = false;
  TcxDBDataField* FKeyField = nullptr;
  AnsiString FKeyFieldNames;
  bool FBufferCountGuard = false;
  std::vector<TField*> FDetailKeyFields;
  bool FDetailKeyFieldsValid = false;
  Variant FMasterKeyValues;
  AnsiString FMasterKeyFieldNames;
  bool FUnbinding = false;
  bool FMasterSyncGuard = false;
};

void cxDBDataInitialization();
void cxDBDataFinalization();
