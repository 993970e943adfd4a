// cxCustomData: the data controller, the heart of the data layer. A controller keeps a
// table of records whose columns are the items of a bound view (one data field and one
// value definition per item) and owns the engine that filters, sorts and groups them into
// rows, the focus and the row selection, the edit state, summaries, incremental search,
// master-detail relations and a data provider saying where records come from. A bound view
// hears of changes only through update-information objects handed to its handler.
//
// The unit is split into cxCustomData<Topic>.cpp files beside this header: Controller
// (records, items, values), Provider (provider, fields, loading), Editing, Notify (change
// flags and delivery), Focus (focus, selection, keys), Relations (master-detail, saved
// state), Compare (record comparison, find filter, searches), Info (the engine), Groups
// (group tree and expansion), Summary, Search (incremental search, locate objects) and
// Filter (the controller's filter criteria and value list). cxData.h holds the in-memory
// controller, cxDBData.h the dataset controller.
#pragma once

#include <memory>
#include <type_traits>
#include <vector>

#include "controls/cx/data/cxDataStorage.h"
#include "controls/cx/data/cxDataUtils.h"
#include "controls/cx/data/cxFilter.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

class TcxCustomDataController;
class TcxCustomDataControllerInfo;
class TcxCustomDataProvider;
class TcxCustomDataField;
class TcxCustomDataFieldList;
class TcxCustomDataRelation;
class TcxCustomDataRelationList;
class TcxDataControllerGroups;
class TcxDataControllerSearch;
class TcxDataFilterCriteria;
class TcxDataGroups;
class TcxDataExpandingInfos;
class TcxDataSelection;
class TcxDataSummary;
class TcxDataSummaryItem;
class TcxDataSummaryGroupItemLink;
class TcxDetailObject;
class TcxRecordSource;
class TcxSaveObject;
class TcxSortingFieldList;
class TcxGroupingFieldList;
class TcxUpdateControlInfo;

// ---- Shared values ----

// The provider's editing record when nothing is being edited.
inline constexpr Integer cxNullEditingRecordIndex = Integer(0x80000001);

enum TcxDataControllerOption {
  dcoAnsiSort,
  dcoCaseInsensitive,
  dcoAssignGroupingValues,
  dcoAssignMasterDetailKeys,
  dcoSaveExpanding,
  dcoSortByDisplayText,
  dcoFocusTopRowAfterSorting,
  dcoGroupsAlwaysExpanded
};
using TcxDataControllerOptions = TSet<TcxDataControllerOption>;
inline constexpr TcxDataControllerOptions cxDataControllerDefaultOptions{
    dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding};

// The item class of the controller's collections. The collection's change report (which
// recalculates summaries, reading the item's kind and field) waits until the new item is
// fully constructed.
template <class Item> TCollectionItemClass cxCollectionItemClass()
{
  static_assert(std::is_base_of_v<TCollectionItem, Item>);
  return {ClassInfoOf(typeid(Item)), [](TCollection* c) -> TCollectionItem* {
            if (!c)
              return new Item(nullptr);
            c->BeginUpdate();
            Item* item;
            try {
              item = new Item(c);
            } catch (...) {
              c->EndUpdate();
              throw;
            }
            c->EndUpdate();
            return item;
          }};
}

enum TcxDataSortOrder { soNone, soAscending, soDescending };

// The controller's change flags (one 16-bit set).
enum : Word {
  dccLayout = 0x0001,
  dccData = 0x0002,
  dccFocus = 0x0004,
  dccSelection = 0x0008,
  dccUpdateDetails = 0x0010,
  dccRefresh = 0x0020,
  dccSearch = 0x0040,
  dccSorting = 0x0080,
  dccGrouping = 0x0100,
  dccMaster = 0x0200,
  dccBookmark = 0x0400,
  dccUpdateRecord = 0x0800
};

// The engine's change bits.
enum : Word {
  dcicLoad = 0x0001,
  dcicGrouping = 0x0002,
  dcicSorting = 0x0004,
  dcicFocusedRow = 0x0008,
  dcicView = 0x0010,
  dcicExpanding = 0x0020,
  dcicFocusedRecord = 0x0040,
  dcicSelection = 0x0080,
  dcicSummary = 0x0100,
  dcicResetFocusedRecord = 0x0200
};

// Kinds of a data change.
enum TcxDataChange : Byte { dcField, dcRecord, dcNewRecord, dcDeleteRecord, dcTotal };

enum TcxDataEditStateItem { dceInsert, dceEdit, dceChanging, dceModified };
using TcxDataEditState = TSet<TcxDataEditStateItem>;

enum TcxDataEditOperation { dceoAppend, dceoDelete, dceoEdit, dceoInsert, dceoShowEdit };
using TcxDataControllerEditOperations = TSet<TcxDataEditOperation>;

// Detail modes of a controller.
enum TcxDataControllerDetailMode { dcdmNone, dcdmPattern, dcdmClone };

struct TcxDataRowInfo {
  bool Expanded = false;
  Integer Level = 0;
  Integer RecordIndex = -1;
};

using TcxDataSummaryValues = std::vector<Variant>;
using TcxDataSummaryCountValues = std::vector<Integer>;

QH_DECLARE_EXCEPTION(EcxInvalidDataControllerOperation, Exception);

// The data layer's messages (string-table ids 57100-57105).
extern const TResStringRec cxSDataRecordIndexError;
extern const TResStringRec cxSDataItemIndexError;
extern const TResStringRec cxSDataItemExistError;
extern const TResStringRec cxSDataRowIndexError;
extern const TResStringRec cxSDataCustomDataSourceInvalidCompare;
extern const TResStringRec cxSDataControllerNotInGridMode;
extern const TResStringRec cxSDataDetailFilterControllerNotFound;
[[noreturn]] void cxDataControllerError(const TResStringRec& AMessage);

// ---- Events ----

using TcxDataControllerCompareEvent = TEvent<void(
    TcxCustomDataController* ADataController, Integer ARecordIndex1, Integer ARecordIndex2,
    Integer AItemIndex, const Variant& V1, const Variant& V2, Integer& Compare)>;
using TcxDataRecordChangedEvent = TEvent<void(TcxCustomDataController* ADataController,
                                              Integer ARecordIndex, Integer AItemIndex)>;
using TcxDataControllerNotifyEvent = TEvent<void(TcxCustomDataController* ADataController)>;
using TcxDataControllerRecordEvent =
    TEvent<void(TcxCustomDataController* ADataController, Integer ARecordIndex)>;
using TcxDataControllerDetailExpandingEvent =
    TEvent<void(TcxCustomDataController* ADataController, Integer ARecordIndex, bool& AAllow)>;
using TcxDataControllerDetailExpandedEvent =
    TEvent<void(TcxCustomDataController* ADataController, Integer ARecordIndex)>;
using TcxUpdateControlEvent = TEvent<void(TcxUpdateControlInfo* AInfo)>;
using TcxDataControllerEachRowProc =
    TEvent<void(Integer ARowIndex, const TcxDataRowInfo& ARowInfo)>;

// ---- Update information (Part of the notification channel) ----

class TcxUpdateControlInfo : public TObject {};

class TcxDataChangedInfo : public TcxUpdateControlInfo {
public:
  TcxDataChangedInfo(Byte AKind, Integer AItemIndex, Integer ARecordIndex)
      : Kind(AKind), ItemIndex(AItemIndex), RecordIndex(ARecordIndex)
  {
  }
  Byte Kind;
  Integer ItemIndex;
  Integer RecordIndex;
};

class TcxLayoutChangedInfo : public TcxUpdateControlInfo {};

class TcxFocusedRowChangedInfo : public TcxUpdateControlInfo {
public:
  TcxFocusedRowChangedInfo(Integer AFocusedRowIndex, Integer APrevFocusedRowIndex)
      : FocusedRowIndex(AFocusedRowIndex), PrevFocusedRowIndex(APrevFocusedRowIndex)
  {
  }
  Integer FocusedRowIndex;
  Integer PrevFocusedRowIndex;
};

class TcxFocusedRecordChangedInfo : public TcxUpdateControlInfo {
public:
  TcxFocusedRecordChangedInfo(Integer APrevFocusedRecordIndex, Integer AFocusedRecordIndex,
                              Integer AFocusedRowIndex, Integer APrevFocusedRowIndex,
                              bool APrevFocusChanged)
      : PrevFocusedRecordIndex(APrevFocusedRecordIndex), FocusedRecordIndex(AFocusedRecordIndex),
        FocusedRowIndex(AFocusedRowIndex), PrevFocusedRowIndex(APrevFocusedRowIndex),
        PrevFocusChanged(APrevFocusChanged)
  {
  }
  Integer PrevFocusedRecordIndex;
  Integer FocusedRecordIndex;
  Integer FocusedRowIndex;
  Integer PrevFocusedRowIndex;
  bool PrevFocusChanged;
};

class TcxUpdateRecordInfo : public TcxUpdateControlInfo {
public:
  explicit TcxUpdateRecordInfo(Integer ARecordIndex) : RecordIndex(ARecordIndex) {}
  Integer RecordIndex;
};

class TcxBookmarkChangedInfo : public TcxUpdateControlInfo {};
class TcxSearchChangedInfo : public TcxUpdateControlInfo {};

// The rows whose selection changed; empty: the whole selection may have changed.
class TcxSelectionChangedInfo : public TcxUpdateControlInfo {
public:
  TcxSelectionChangedInfo() = default;
  // Adds APrevRowIndex unless -1, and ARowIndex unless -1 or equal to it.
  TcxSelectionChangedInfo(Integer APrevRowIndex, Integer ARowIndex);
  Integer Count() const { return static_cast<Integer>(FRowIndexes.size()); }
  Integer RowIndexes(Integer AIndex) const { return FRowIndexes.at(static_cast<size_t>(AIndex)); }

private:
  std::vector<Integer> FRowIndexes;
};

// Watches a controller across a call that may run user code; DataController() becomes null
// when the controller is destroyed meanwhile.
class TcxDataListenerLink : public TObject {
public:
  explicit TcxDataListenerLink(TcxCustomDataController* AController) : FDataController(AController)
  {
  }
  TcxCustomDataController* DataController() const { return FDataController; }

private:
  friend class TcxCustomDataController;
  TcxCustomDataController* FDataController;
};

// Receives free notifications of the components the controller's fields reference.
class TcxDataControllerNotifier : public TComponent {
public:
  explicit TcxDataControllerNotifier(TcxCustomDataController* ADataController)
      : TComponent(nullptr), FDataController(ADataController)
  {
  }
  TcxCustomDataController* DataController() const { return FDataController; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TcxCustomDataController* FDataController;
};

// ---- Data fields ----

// Ties one item of the bound view (or an internal value) to one value definition.
class TcxCustomDataField : public TObject {
public:
  explicit TcxCustomDataField(TcxCustomDataFieldList* AFieldList);
  ~TcxCustomDataField() override;

  // Drops the reference and takes ASource's value definition and value type class.
  virtual void AdoptValueDefinition(TcxCustomDataField* ASource);
  virtual void ComponentRemoved(TComponent* AComponent) {}
  virtual bool CanModify(TcxDataEditValueSource AEditValueSource = evsValue);
  // Whether the field's values are the controller's own rather than the provider's (the
  // dataset field answers True also when unbound or in grid mode).
  virtual bool IsInternalField() const { return FInternal; }
  // An internal field is no item (the record-handle field, detail objects, key fields).
  bool IsInternal() const { return FInternal; }

  void ChangeValueType(TcxValueTypeClass AValue);
  void ChangeTextStoredFlag(bool AValue);
  void BeginValueDefChange();
  void EndValueDefChange();
  void BuildValueDefinition();
  void DropValueDefinition();
  // Shares AValue's values (following AValue's chain to its end); no cycles.
  void ReferTo(TcxCustomDataField* AValue);
  void ChangeInternal(bool AValue);
  void MoveTo(Integer AIndex);
  // Reports a layout change to the provider (unless its notifications are held).
  void ChangedNotify();

  Integer Index() const;
  TcxCustomDataController* DataController() const;
  TcxCustomDataFieldList* FieldList() const { return FFieldList; }
  TObject* Item() const { return FItem; }
  void SetItem(TObject* AValue) { FItem = AValue; }
  TcxCustomDataField* ReferenceField() const { return FReferenceField; }
  TcxValueDef* ValueDef() const;
  TcxValueTypeClass ValueTypeClass() const { return FValueTypeClass; }
  TcxValueTypeClass EffectiveValueTypeClass() const;
  bool TextStored() const { return FTextStored; }
  bool EffectiveTextStored() const;
  bool ValueCompare() const { return FValueCompare; }
  void SetValueCompare(bool AValue) { FValueCompare = AValue; }
  Integer CompareMode() const { return FCompareMode; }
  void SetCompareMode(Integer AValue) { FCompareMode = AValue; }
  bool Visited() const { return FVisited; }
  void SetVisited(bool AValue) { FVisited = AValue; }

private:
  friend class TcxCustomDataFieldList;
  friend class TcxCustomDataController;
  TcxCustomDataFieldList* FFieldList;
  bool FInternal = false;
  TObject* FItem = nullptr;
  Integer FRecreateLock = 0;
  bool FValueCompare = false;
  Integer FCompareMode = 0;
  bool FVisited = false;
  TcxCustomDataField* FReferenceField = nullptr;
  bool FTextStored = false;
  TcxValueDef* FValueDef = nullptr;
  TcxValueTypeClass FValueTypeClass = nullptr;

  // Compared values of one sort or grouping pass, by record index (see GetComparedValue).
  friend class TcxCustomDataControllerInfo;
  std::vector<Variant> FComparedValues;
  std::vector<AnsiString> FComparedTexts;
  std::vector<Byte> FComparedState; // bit 0: value cached, bit 1: upper-cased text cached
};

class TcxCustomDataFieldList : public TObject {
public:
  explicit TcxCustomDataFieldList(TcxCustomDataController* ADataController)
      : FDataController(ADataController)
  {
  }
  ~TcxCustomDataFieldList() override;

  virtual void ComponentRemoved(TComponent* AComponent);
  // Internal fields go last, the others after the last item field.
  void Add(TcxCustomDataField* AField);
  // Every field referring to AField: the first adopts its values, the later ones refer to it.
  void RedirectReferences(TcxCustomDataField* AField);
  void Remove(TcxCustomDataField* AField);
  void Clear();
  TcxCustomDataField* FindByItem(TObject* AItem) const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxCustomDataField* Items(Integer AIndex) const;
  Integer ItemCount() const { return Count() - FInternalCount; }
  Integer IndexOf(const TcxCustomDataField* AField) const;
  void Move(Integer ACurIndex, Integer ANewIndex);
  void RecountInternal();
  TcxCustomDataController* DataController() const { return FDataController; }
  bool FieldDestroyed() const { return FFieldDestroyed; }
  void SetFieldDestroyed(bool AValue) { FFieldDestroyed = AValue; }

private:
  TcxCustomDataController* FDataController;
  bool FFieldDestroyed = false;
  Integer FInternalCount = 0;
  std::vector<TcxCustomDataField*> FItems;
};

// ---- Readers that know controllers ----

// Values set one by one for chosen definitions (locating, restoring expanded groups).
class TcxValueDefUnboundReader : public TcxValueDefReader {
public:
  ~TcxValueDefUnboundReader() override { Clear(); }
  void GetValue(TcxValueDef* ADef, Variant& V) override;
  bool IsInternalDef(TcxValueDef* ADef) override;
  void SetValue(TcxValueDef* ADef, const Variant& V);
  // Drops the values at ACount and above (the definitions stay known).
  void TruncateValues(Integer ACount);
  void Clear() { TruncateValues(0); }

private:
  std::vector<TcxValueDef*> FDefs;
  std::vector<std::unique_ptr<Variant>> FValues;
};

// One record of a controller.
class TcxValueDefRecordReader : public TcxValueDefReader {
public:
  TcxValueDefRecordReader(TcxCustomDataController* ADataController, Integer ARecordIndex)
      : FDataController(ADataController), FRecordIndex(ARecordIndex)
  {
  }
  void GetDisplayText(TcxValueDef* ADef, AnsiString& S) override;
  void GetValue(TcxValueDef* ADef, Variant& V) override;
  bool IsInternalDef(TcxValueDef* ADef) override;

private:
  TcxCustomDataController* FDataController;
  Integer FRecordIndex;
};

// ---- The custom record source ----

// Records that live outside the controller, addressed by record handles the source chooses.
// The application implements it; the provider calls it (Provider() is the caller).
class TcxRecordSource : public TObject {
public:
  virtual NativeInt AppendRecord() { return 0; }
  virtual void DeleteRecord(NativeInt ARecordHandle) {}
  virtual bool HasDetailChildren(Integer ARecordIndex, Integer ARelationIndex) { return false; }
  virtual void GetDisplayText(NativeInt ARecordHandle, NativeInt AItemHandle, AnsiString& AText)
  {
    AText.clear();
  }
  // True when a value is present; ABuffer addresses it in the value type's layout.
  virtual bool GetValueBuffer(NativeInt ARecordHandle, NativeInt AItemHandle, const void*& ABuffer)
  {
    return false;
  }
  virtual NativeInt GetItemHandle(Integer AItemIndex) { return AItemIndex; }
  virtual bool IsInsertSupported() { return false; }
  virtual void GetRecordId(NativeInt ARecordHandle, Variant& AValue) { AValue = Null(); }
  virtual void GetValue(NativeInt ARecordHandle, NativeInt AItemHandle, Variant& AValue)
  {
    AValue = Null();
  }
  virtual NativeInt InsertRecord(NativeInt ARecordHandle) { return 0; }
  virtual bool IsRawValueAccessSupported() { return false; }
  virtual bool IsCompareSupported() { return false; }
  virtual bool IsRecordIdSupported() { return false; }
  // Registers every record, in order, through DataController()->AddRecordFromReader.
  virtual void LoadRecords() {}
  virtual Integer CompareRecords(NativeInt ARecordHandle1, NativeInt ARecordHandle2,
                                 NativeInt AItemHandle)
  {
    return 0;
  }
  virtual void SetRecordCount(Integer ACount) {}
  virtual void SetValue(NativeInt ARecordHandle, NativeInt AItemHandle, const Variant& AValue) {}

  TcxCustomDataProvider* Provider() const { return FProvider ? FProvider : FOwnerProvider; }
  TcxCustomDataController* DataController() const;

private:
  friend class TcxCustomDataProvider;
  TcxCustomDataProvider* FProvider = nullptr;
  TcxCustomDataProvider* FOwnerProvider = nullptr;
};

// ---- The provider ----

class TcxCustomDataProvider : public TObject {
public:
  explicit TcxCustomDataProvider(TcxCustomDataController* ADataController);
  ~TcxCustomDataProvider() override;

  virtual bool SupportsCustomSource() { return true; }
  virtual bool IsGridMode() { return false; }
  virtual bool IsActiveDataSet() { return false; }
  virtual bool IsOtherProviderInserting() { return false; }
  virtual bool SupportsRecordIds();
  virtual bool IsSyncMode() { return false; }
  virtual bool IsActive() { return FCustomDataSource != nullptr; }
  virtual bool CanUpdateFields() { return false; }
  virtual bool IsBOF() { return true; }
  virtual bool IsChanging() { return FChanging; }
  virtual bool IsEditing() { return FEditingRecordIndex != cxNullEditingRecordIndex; }
  virtual bool IsEOF() { return true; }
  virtual bool IsGridModeInserting() { return false; }
  virtual bool IsInserting() { return IsEditing() && FInserting; }
  virtual bool IsModified() { return FModified; }
  virtual void RecordLoaded(Integer ARecordIndex) {}
  virtual void First() { FFieldsRecreated = false; }
  virtual void Prior() {}
  virtual void Next() {}
  virtual void Last() {}
  virtual void MoveBy(Integer ADistance) {}
  virtual void Scroll(Integer ADistance) {}
  virtual void SavePos() {}
  virtual void RestorePos() {}
  virtual bool CanAppend() { return CanModify(); }
  virtual bool CanDelete();
  virtual bool InitEditing(Integer ARecordIndex);
  virtual bool CanInsert() { return CanModify(); }
  virtual bool CanModify() { return true; }
  virtual void Append() { InsertNewRecord(true); }
  virtual void Cancel();
  virtual void DeleteFocused();
  virtual void DeleteRecords(const std::vector<Integer>& AList);
  virtual void DeleteSelection();
  virtual void Edit() { DoEdit(); }
  virtual Variant GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                               TcxDataEditValueSource AEditValueSource);
  virtual void Insert() { InsertNewRecord(false); }
  virtual void Post();
  virtual void UpdateData();
  virtual bool SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& AValue,
                            TcxDataEditValueSource AEditValueSource);
  virtual void SetValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& AValue);
  virtual void DoInitInsertingRecord(Integer AInsertingRecordIndex,
                                     const TcxDataSummaryValues& AGroupValues);
  virtual void EditRecord();
  virtual void InsertNewRecord(bool AAppend);
  virtual void ResetChanging() { FChanging = false; }
  virtual void ResetEditing();
  virtual void ResetModified() { FModified = false; }
  virtual void SetChanging() { FChanging = true; }
  virtual void DoEdit() { EditRecord(); }
  virtual void SetModified() { FModified = true; }
  virtual void BeginLocate() { ++FLocateCount; }
  virtual void EndLocate() { --FLocateCount; }
  virtual void Freeze() { ++FLockCount; }
  virtual void Unfreeze() { --FLockCount; }
  virtual Integer AppendRecord();
  virtual void DeleteRecord(Integer ARecordIndex);
  virtual bool HasDetailChildren(Integer ARecordIndex, Integer ARelationIndex);
  virtual void GetDisplayText(Integer ARecordIndex, TcxCustomDataField* AField, AnsiString& AText);
  virtual void GetGridModeDisplayText(Integer ARowIndex, TcxCustomDataField* AField,
                                      AnsiString& AText)
  {
    AText.clear();
  }
  virtual Variant GetGridModeValue(Integer ARowIndex, TcxCustomDataField* AField) { return Null(); }
  virtual void GetRecordId(Integer ARecordIndex, Variant& AValue);
  virtual Integer GetCurrentRecordIndex() { return -1; }
  virtual Variant GetValue(Integer ARecordIndex, TcxCustomDataField* AField);
  // A new value reader of the provider's reader class (the dataset reader reads the
  // dataset's current record).
  virtual TcxValueDefReader* CreateValueDefReader() { return new TcxValueDefReader(); }
  virtual Integer InsertRecord(Integer ARecordIndex);
  virtual void LoadGridModeBuffer() {}
  virtual Integer CompareValues(Integer ARecordIndex1, Integer ARecordIndex2,
                                TcxCustomDataField* AField);
  virtual Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2,
                                 TcxCustomDataField* AField);
  virtual void SetDisplayText(Integer ARecordIndex, TcxCustomDataField* AField,
                              const AnsiString& AText)
  {
  }
  virtual void SetRecordCount(Integer ACount);
  virtual void SetSourceValue(Integer ARecordIndex, TcxCustomDataField* AField,
                              const Variant& AValue);
  virtual void ActiveChanged(bool AActive);
  virtual void DataChanged(Byte AKind, Integer AItemIndex, Integer ARecordIndex);
  virtual void FocusedRecordChanged(Integer ADistance);
  virtual void LayoutChanged(Integer AKind);

  void SetRecordSource(TcxRecordSource* ASource);
  TcxRecordSource* RecordSource() const { return FCustomDataSource; }
  void FreeSavedRecord();
  void SaveEditingRecord();
  Integer AddRecordHandle(NativeInt AHandle);
  void LoadSourceRecords();
  NativeInt GetRecordHandle(Integer ARecordIndex);
  Integer GetRecordIndexByHandle(NativeInt AHandle);
  NativeInt ItemHandleOf(TcxCustomDataField* AField);

  TcxCustomDataController* DataController() const { return FDataController; }
  Integer EditingRecordIndex() const { return FEditingRecordIndex; }
  void SetEditingRecordIndex(Integer AValue) { FEditingRecordIndex = AValue; }
  Integer PrevEditingRecordIndex() const { return FEditingRecordIndex1; }
  Integer NextEditingRecordIndex() const { return FEditingRecordIndex2; }
  Integer InsertedRecordIndex() const { return FInsertedRecordIndex; }
  void SetInsertedRecordIndex(Integer AValue) { FInsertedRecordIndex = AValue; }
  Integer SavedRecordIndex() const { return FSavedRecordIndex; }
  void ForgetSavedRecord() { FSavedRecordIndex = 0; }
  Integer LockCount() const { return FLockCount; }
  Integer LocateCount() const { return FLocateCount; }
  bool DataChangedLocked() const { return FDataChangedLocked; }
  void SetDataChangedLocked(bool AValue) { FDataChangedLocked = AValue; }
  bool FieldsRecreated() const { return FFieldsRecreated; }
  void SetFieldsRecreated(bool AValue) { FFieldsRecreated = AValue; }
  bool InsertingFromProvider() const { return FInsertingFromProvider; }
  void SetInsertingFromProvider(bool AValue) { FInsertingFromProvider = AValue; }
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool AValue) { FGrouped = AValue; }
  bool Inserting() const { return FInserting; }

protected:
  void SetInserting(bool AValue) { FInserting = AValue; }
  void SetNeighbours(Integer APrev, Integer ANext)
  {
    FEditingRecordIndex1 = APrev;
    FEditingRecordIndex2 = ANext;
  }

private:
  bool FChanging = false;
  TcxRecordSource* FCustomDataSource = nullptr;
  bool FDataChangedLocked = false;
  TcxCustomDataController* FDataController;
  Integer FEditingRecordIndex = cxNullEditingRecordIndex;
  Integer FEditingRecordIndex1 = cxNullEditingRecordIndex; // the row before
  Integer FEditingRecordIndex2 = cxNullEditingRecordIndex; // the row after
  Integer FInsertedRecordIndex = -1;
  bool FInserting = false;
  Integer FLocateCount = 0;
  Integer FLockCount = 0;
  bool FModified = false;
  bool FFieldsRecreated = false;
  Integer FSavedRecordIndex = 0;
  bool FInsertingFromProvider = false;
  bool FGrouped = false;
};

// ---- Selection and keys ----

struct TcxDataSelectionInfo {
  Integer Level = 0;       // -1 for a group row
  Integer RecordIndex = 0; // a data row's record, a group row's data group index
  Integer RowIndex = 0;
};

// The selected rows, as entries kept sorted by row index.
class TcxDataSelection : public TObject {
public:
  explicit TcxDataSelection(TcxCustomDataController* ADataController)
      : FDataController(ADataController)
  {
  }
  ~TcxDataSelection() override;

  virtual void ClearAnchor() { FAnchorRowIndex = -1; }
  virtual void InsertItem(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex);
  virtual void ClearItems();
  virtual void DeleteItem(Integer AIndex);
  virtual void SetCount(Integer ACount);
  void Add(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex);
  virtual bool FindByRowIndex(Integer ARowIndex, Integer& AIndex);

  void Clear();
  void ClearWithAnchor();
  void Delete(Integer AIndex);
  Integer FindByGroupIndex(Integer AGroupIndex) const;
  Integer FindByRecordIndex(Integer ARecordIndex) const;
  bool IsRecordSelected(Integer ARecordIndex) const
  {
    return FindByRecordIndex(ARecordIndex) != -1;
  }
  bool IsRowSelected(Integer ARowIndex);
  void Sort();
  void Changed();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxDataSelectionInfo& Items(Integer AIndex);
  Integer AnchorRowIndex() const { return FAnchorRowIndex; }
  void SetAnchorRowIndex(Integer AValue) { FAnchorRowIndex = AValue; }
  TcxCustomDataController* DataController() const { return FDataController; }
  // The views' list of selected items, cleared with the entries.
  std::vector<TObject*>& SelectedItems() { return FSelectedItems; }

  TEvent<void()> OnChanged;

private:
  Integer FAnchorRowIndex = -1;
  TcxCustomDataController* FDataController;
  std::vector<TcxDataSelectionInfo> FItems;
  std::vector<TObject*> FSelectedItems;
};

// Record keys kept across a reload (selection, expanded details).
class TcxKeys : public TObject {
public:
  struct TKey {
    virtual ~TKey() = default;
    Variant Value;
  };

  ~TcxKeys() override;
  virtual void DoRestore() {}
  virtual void DoSave() {}
  virtual void FreeKey(TKey* AKey) { delete AKey; }
  virtual void Clear();

  void Delete(Integer AIndex);
  void Prepare(TcxCustomDataController* AController);
  void Save(TcxCustomDataController* AController);
  void Restore(TcxCustomDataController* AController);
  // The first key equal to the record's key (keys are sorted by Save).
  bool FindKey(Integer ARecordIndex, Integer& AIndex);
  Integer Count() const { return static_cast<Integer>(FKeys.size()); }
  TKey* Keys(Integer AIndex) const { return FKeys[AIndex]; }
  TcxCustomDataController* DataController() const { return FDataController; }
  const std::vector<TcxCustomDataField*>& KeyFields() const { return FKeyFields; }

protected:
  void AddKey(TKey* AKey) { FKeys.push_back(AKey); }

private:
  TcxCustomDataController* FDataController = nullptr;
  std::vector<TcxCustomDataField*> FKeyFields;
  std::vector<TKey*> FKeys;
};

class TcxSelectedKeys : public TcxKeys {
public:
  struct TcxSelectedKeyInfo : TKey {
    Integer SelectionIndex = 0;
  };
  void DoRestore() override;
  void DoSave() override;
};

class TcxDetailKeys : public TcxKeys {
public:
  struct TcxDetailKeyInfo : TKey {
    ~TcxDetailKeyInfo() override;
    Integer ActiveRelationIndex = -1;
    TcxSaveObject* SaveObject = nullptr; // owned
  };
  void DoRestore() override;
  void DoSave() override;
  void FreeKey(TKey* AKey) override;
};

class TcxSaveObject : public TObject {
public:
  TcxSaveObject();
  ~TcxSaveObject() override;
  void Save(TcxCustomDataController* AController);
  void Restore(TcxCustomDataController* AController);
  TcxDetailKeys* DetailKeys() const { return FDetailKeys.get(); }
  TcxSelectedKeys* SelectedKeys() const { return FSelectedKeys.get(); }

private:
  std::unique_ptr<TcxDetailKeys> FDetailKeys;
  std::unique_ptr<TcxSelectedKeys> FSelectedKeys;
};

// ---- The engine ----

struct TcxDataSortingInfo {
  TcxCustomDataField* Field = nullptr;
  TcxDataSortOrder SortOrder = soNone;
};

class TcxSortingFieldList : public TObject {
public:
  virtual void ApplySortOrder(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder);

  void Add(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder);
  void Insert(Integer AIndex, TcxCustomDataField* AField, TcxDataSortOrder ASortOrder);
  void Delete(Integer AIndex);
  void Clear();
  Integer Find(const TcxCustomDataField* AField) const;
  TcxDataSortOrder SortOrderByField(const TcxCustomDataField* AField) const;
  void Remove(TcxCustomDataField* AField);
  void Move(Integer ACurIndex, Integer ANewIndex);
  void SetSortOrder(Integer AIndex, TcxDataSortOrder ASortOrder);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const TcxDataSortingInfo& GetEntry(Integer AIndex) const;
  TcxCustomDataField* Fields(Integer AIndex) const { return GetEntry(AIndex).Field; }
  void AnnounceField(TcxCustomDataField* AField);
  void AddFrom(const TcxSortingFieldList* AList);
  void MoveTo(TcxCustomDataField* AField, Integer AIndex);

  TEvent<void()> OnChanged;

protected:
  void Changed();

private:
  std::vector<TcxDataSortingInfo> FItems;
};

class TcxGroupingFieldList : public TcxSortingFieldList {
public:
  void ApplySortOrder(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder) override;
  void UpdateSortOrders(const TcxSortingFieldList* ASortingList);
};

class TcxDataFocusingInfo : public TObject {
public:
  void Assign(const TcxDataFocusingInfo& ASource);
  void Clear();
  bool Changed = false;
  Integer Level = -1;
  Integer PrevRecordIndex = -1;
  Integer RecordIndex = -1;
  Integer RowIndex = -1;
};

class TcxCustomDataControllerInfo : public TObject {
public:
  explicit TcxCustomDataControllerInfo(TcxCustomDataController* ADataController);
  ~TcxCustomDataControllerInfo() override;

  virtual void CheckSelectionRecords();
  virtual void Update();

  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  Integer LockCount() const { return FLockCount; }
  bool IsLocked() const { return FLockCount > 0; }
  void CheckUpdate();
  void MarkChanges(Word AChanges) { FChanges |= AChanges; }
  Word Changes() const { return FChanges; }
  void RefreshRecords();
  void SyncFocusedRecord();
  void LayoutOrSummaryChanged(bool ALayout);
  void ExpandingChanged();
  void FocusStateChanged(bool AMark);
  void FieldChanged(TcxCustomDataField* AField);
  void RemoveField(TcxCustomDataField* AField);
  void ChangeSortOrder(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder);
  void ChangeSortIndex(TcxCustomDataField* AField, Integer AIndex);
  void ClearSorting(bool AKeepGrouping);
  void ChangeGrouping(TcxCustomDataField* AField, Integer AGroupIndex);
  void ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive);
  void FullExpand(bool AExpanded);

  // Rows.
  Integer RowCount() const;
  void CheckRowIndex(Integer ARowIndex) const;
  void GetRowInfo(Integer ARowIndex, TcxDataRowInfo& AInfo) const;
  Integer GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible);
  Integer RecordListCount() const { return static_cast<Integer>(FRecordList.size()); }
  Integer RecordListItem(Integer AIndex) const;
  Integer RecordListIndexOf(Integer ARecordIndex) const;
  bool IsGrouped() const;

  // Focus.
  void ChangeFocusedRowIndex(Integer ARowIndex, bool AForce);
  void FocusRowAndUpdate(Integer ARowIndex);
  Integer FocusedRowIndex() const { return FFocusingInfo.RowIndex; }
  Integer FocusedRecordIndex() const;
  Integer FocusedLevel() const { return FFocusingInfo.Level; }
  Integer PreviousFocusRow() const { return FPrevFocusingInfo.RowIndex; }
  Integer PreviousFocusRecord() const { return FPrevFocusingInfo.PrevRecordIndex; }
  bool PreviousFocusChanged() const { return FPrevFocusingInfo.Changed; }
  // The focus state at the last delivery becomes the current one.
  void SavePreviousFocus() { FPrevFocusingInfo.Assign(FFocusingInfo); }
  bool CanFocusRow(Integer ARowIndex);
  bool InFocusing() const { return FInFocusing; }
  void ClearFocus();
  Integer FocusedRowIndexFromRecord(bool AExpanding);

  // Selection.
  void ChangeRowSelection(Integer ARowIndex, bool ASelected);
  void ClearSelection();
  Integer SelectedCount() const { return FSelection->Count(); }
  Integer SelectedRowIndex(Integer AIndex) const;
  bool IsRowSelected(Integer ARowIndex);
  TcxDataSelection* Selection() const { return FSelection.get(); }

  // Compare preparation (modes and value caches of the sorting fields).
  void PrepareCompareModes(const TcxSortingFieldList* AList);
  void ResetCompareModes(const TcxSortingFieldList* AList);
  Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2);
  Integer CompareGroupValue(Integer ARecordIndex1, Integer ARecordIndex2, Integer ALevel);

  // Groups.
  void SaveExpanding(Byte AStates);
  void RestoreExpanding();
  void BuildGroups();

  TcxCustomDataController* DataController() const { return FDataController; }
  TcxDataGroups* DataGroups() const { return FDataGroups.get(); }
  TcxDataExpandingInfos* ExpandingInfos() const { return FExpandingInfos.get(); }
  TcxSortingFieldList* SortingFieldList() const { return FSortingFieldList.get(); }
  TcxGroupingFieldList* GroupingFieldList() const { return FGroupingFieldList.get(); }
  TcxSortingFieldList* TotalSortingFieldList() const { return FTotalSortingFieldList.get(); }
  const std::vector<Integer>& RecordList() const { return FRecordList; }

private:
  void LoadRecordList();
  void FilterRecords();
  void SortRecords();
  void SortRange(Integer L, Integer R);
  void FocusTopRowAfterSorting();
  void UpdateFocusAndExpanding();
  void CheckFocusedRow();
  void SyncFocus(bool AAllowed, Integer APrevRow);
  void RecalcSelectionRowIndexes();
  void RemapSelection();
  void FinishUpdate(Word AChangesAtStart);
  void InvalidateRecordPositions() { FRecordPositionsValid = false; }
  void SortingChanged();
  void GroupingChanged();
  void SelectionChanged();

  Word FChanges = 0;
  TcxCustomDataController* FDataController;
  std::unique_ptr<TcxDataGroups> FDataGroups;
  std::unique_ptr<TcxDataExpandingInfos> FExpandingInfos;
  bool FExpandingFlag = false;
  bool FInFocusing = false;
  TcxDataFocusingInfo FFocusingInfo;
  std::unique_ptr<TcxGroupingFieldList> FGroupingFieldList;
  Integer FLockCount = 0;
  TcxDataFocusingInfo FPrevFocusingInfo;
  std::vector<Integer> FRecordList;
  mutable std::vector<Integer> FRecordPositions; // record index -> record list position
  mutable bool FRecordPositionsValid = false;
  std::unique_ptr<TcxDataSelection> FSelection;
  std::unique_ptr<TcxSortingFieldList> FSortingFieldList;
  std::unique_ptr<TcxSortingFieldList> FTotalSortingFieldList;
  bool FInUpdate = false;
};

// ---- Group tree ----

struct TcxDataGroupInfo {
  Integer RowIndex = 0;
  bool Expanded = false;
  Integer Level = 0;
  Integer FirstIndex = 0;
  Integer LastIndex = 0;
  Integer Reserved = 0;
  Variant SummaryValues;
};

class TcxDataGroups : public TObject {
public:
  explicit TcxDataGroups(TcxCustomDataControllerInfo* AInfo) : FInfo(AInfo) {}
  ~TcxDataGroups() override { Clear(); }

  void Clear();
  void AddField(TcxCustomDataField* AField) { FLevelFields.push_back(AField); }
  TcxDataGroupInfo* AddItem();
  Integer LevelCount() const { return static_cast<Integer>(FLevelFields.size()); }
  TcxCustomDataField* LevelField(Integer ALevel) const;
  Integer ItemCount() const { return static_cast<Integer>(FItems.size()); }
  TcxDataGroupInfo* Items(Integer AIndex) const;
  Integer Level(Integer AIndex) const;
  Integer TopLevelCount() const;
  Integer TopLevelGroupIndex(Integer ANumber) const;
  Integer ChildCount(Integer AIndex) const;
  Integer ChildDataGroupIndex(Integer AIndex, Integer ANumber) const;
  Integer ChildRecordListIndex(Integer AIndex, Integer ANumber) const;
  Integer FindGroupByRowIndex(Integer ARowIndex, TcxDataGroupInfo*& AGroup) const;
  // The last item whose row is before ARowIndex (-1 when none).
  Integer LastItemBeforeRow(Integer ARowIndex) const;
  Integer VisibleGroupOfRow(Integer ARowIndex, Integer AIndex) const;
  bool IsVisibleGroup(Integer AIndex) const;
  Integer DataGroupIndexByRowIndex(Integer ARowIndex, Integer ALevel = -1) const;
  Integer GroupOfListIndexAtLevel(Integer ARecordListIndex, Integer ALevel) const;
  // The deepest group whose record range holds the record list index; -1 when none.
  Integer DeepestGroupOfListIndex(Integer ARecordListIndex) const;
  Integer ParentGroupIndex(Integer AIndex) const;
  Integer RowCount() const;
  void GetRowInfo(Integer ARowIndex, TcxDataRowInfo& AInfo) const;
  bool ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive);
  void SetAllExpanded(bool AExpanded);
  bool MakeVisible(Integer AIndex, bool AExpandSelf);
  void RecalcRowIndexes();

private:
  TcxCustomDataControllerInfo* FInfo;
  std::vector<TcxCustomDataField*> FLevelFields;
  std::vector<std::unique_ptr<TcxDataGroupInfo>> FItems;
  std::vector<Integer> FDeepest; // item indexes of the deepest groups, in order
  mutable bool FDeepestValid = false;
  const std::vector<Integer>& DeepestGroups() const;
};

struct TcxDataExpandingInfo {
  Integer Level = 0;
  Variant Value;
  Byte State = 0; // bit 0 expanded, bit 1 group row selected
};

class TcxDataExpandingInfos : public TObject {
public:
  void AddField(TcxCustomDataField* AField);
  void AddInfo(Integer ALevel, const Variant& AValue, Byte AState);
  void RemoveField(TcxCustomDataField* AField);
  void Clear();
  Integer SavedFieldCount() const { return static_cast<Integer>(FFields.size()); }
  TcxCustomDataField* SavedField(Integer AIndex) const { return FFields[AIndex]; }
  Integer ItemCount() const { return static_cast<Integer>(FItems.size()); }
  const TcxDataExpandingInfo& Items(Integer AIndex) const { return FItems[AIndex]; }
  Byte SaveStates() const { return FSaveStates; }
  void SetSaveStates(Byte AValue) { FSaveStates = AValue; }

private:
  std::vector<TcxCustomDataField*> FFields;
  std::vector<TcxDataExpandingInfo> FItems;
  Byte FSaveStates = 0;
};

// The grouping operations the grid views call.
class TcxDataControllerGroups : public TObject {
public:
  explicit TcxDataControllerGroups(TcxCustomDataController* ADataController)
      : FDataController(ADataController)
  {
  }

  void ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive);
  void FullExpand();
  void FullCollapse();
  void ChangeGrouping(Integer AItemIndex, Integer AGroupIndex);
  void ClearGrouping();
  Integer GroupingItemCount() const;
  Integer GroupingItemIndex(Integer ALevel) const;
  Integer ItemGroupIndex(Integer AItemIndex) const;
  Integer ChildCount(Integer ADataGroupIndex) const;
  Integer ChildDataGroupIndex(Integer ADataGroupIndex, Integer AIndex) const;
  Integer ChildRecordIndex(Integer ADataGroupIndex, Integer AIndex) const;
  Integer Level(Integer ADataGroupIndex) const;
  Integer DataGroupIndexByRowIndex(Integer ARowIndex) const;
  void LoadRecordIndexes(std::vector<Integer>& AList, Integer ADataGroupIndex) const;
  void LoadRecordIndexesByRowIndex(std::vector<Integer>& AList, Integer ARowIndex) const;

private:
  TcxDataGroups* Tree() const;
  TcxCustomDataController* FDataController;
};

// ---- Search and locate ----

class TcxDataControllerSearch : public TObject {
public:
  explicit TcxDataControllerSearch(TcxCustomDataController* ADataController)
      : FDataController(ADataController)
  {
  }

  bool StartSearch(Integer AItemIndex, const AnsiString& AText);
  bool SearchNext(bool AForward);
  void StopSearch();
  bool Searching() const;
  AnsiString SearchText() const;
  Integer ItemIndex() const;
  void Lock() { FLocked = true; }
  void Unlock() { FLocked = false; }
  bool Locked() const { return FLocked; }

private:
  Integer FindMatch(Integer AFrom, Integer ATo, bool AForward);
  void FocusMatch(Integer AFilteredIndex);

  TcxCustomDataController* FDataController;
  bool FLocked = false;
};

class TcxDataControllerLocateObject : public TObject {
public:
  explicit TcxDataControllerLocateObject(TcxCustomDataController* ADataController)
      : FDataController(ADataController)
  {
  }
  ~TcxDataControllerLocateObject() override;
  virtual void ReleaseRecord();
  virtual Integer Locate() = 0;
  void ReadFrom(TcxValueDefReader* AReader);
  TcxCustomDataController* DataController() const { return FDataController; }
  Integer RecordIndex() const { return FRecordIndex; }

private:
  TcxCustomDataController* FDataController;
  Integer FRecordIndex = 0;
};

class TcxDataControllerKeyLocateObject : public TcxDataControllerLocateObject {
public:
  using TcxDataControllerLocateObject::TcxDataControllerLocateObject;
  Integer Locate() override;
  std::vector<TcxCustomDataField*>& KeyFields() { return FKeyFields; }

private:
  std::vector<TcxCustomDataField*> FKeyFields;
};

class TcxDataControllerGroupLocateObject : public TcxDataControllerLocateObject {
public:
  explicit TcxDataControllerGroupLocateObject(TcxCustomDataController* ADataController);
  Integer Locate() override;
  void SetLevel(Integer ALevel);
  Integer Level() const { return FLevel; }
  const std::vector<TcxCustomDataField*>& GroupingFields() const { return FGroupingFields; }

private:
  void UpdateComparedFields();
  std::vector<TcxCustomDataField*> FGroupingFields;
  std::vector<TcxCustomDataField*> FComparedFields;
  Integer FLevel = 0;
  bool FSortedSearch = true;
};

// ---- Master-detail ----

class TcxDetailInfoObject : public TObject {
public:
  ~TcxDetailInfoObject() override;
  TObject* LinkObject = nullptr; // owned
  bool ChildrenExist = false;
  bool ChildrenKnown = false;
};

// One per master record, created on demand; its reference is a value of the record.
class TcxDetailObject : public TObject {
public:
  ~TcxDetailObject() override { Clear(); }
  void Clear();
  void FreeInfo(Integer AIndex);
  void SetRelationCount(Integer ACount);
  TcxDetailInfoObject* GetInfo(Integer AIndex) const;
  Integer Count() const { return static_cast<Integer>(FInfos.size()); }
  TObject* GetLinkObject(Integer AIndex) const;
  bool HasNoLinks() const;
  void SetInfo(Integer AIndex, TcxDetailInfoObject* AInfo);
  void SetLinkObject(Integer AIndex, TObject* ALinkObject);
  TcxDetailInfoObject* EnsureInfo(Integer AIndex);
  bool ClearAssignedMarks();

  Integer ActiveRelationIndex = -1;
  bool Expanded = false;

private:
  std::vector<TcxDetailInfoObject*> FInfos;
};

class TcxCustomDataRelation : public TObject {
public:
  TcxCustomDataRelation(TcxCustomDataRelationList* ARelationList, TObject* AItem);
  ~TcxCustomDataRelation() override;
  virtual void DropField(TcxCustomDataField* AField) {}
  virtual void Assign(TcxCustomDataRelation* ASource) {}

  TcxCustomDataController* MasterDataController() const;
  TcxCustomDataController* DetailDataController() const { return FDetailDataController; }
  void SetDetailDataController(TcxCustomDataController* AValue) { FDetailDataController = AValue; }
  TObject* Item() const { return FItem; }
  TcxCustomDataRelationList* RelationList() const { return FRelationList; }
  Integer Index() const;
  void Changed();

private:
  TcxCustomDataController* FDetailDataController = nullptr;
  TObject* FItem;
  TcxCustomDataRelationList* FRelationList;
};

class TcxCustomDataRelationList : public TObject {
public:
  explicit TcxCustomDataRelationList(TcxCustomDataController* ADataController)
      : FDataController(ADataController)
  {
  }
  ~TcxCustomDataRelationList() override;

  TcxCustomDataRelation* Add(TObject* AItem);
  void Assign(TcxCustomDataRelationList* ASource);
  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxCustomDataRelation* Items(Integer AIndex) const;
  TcxCustomDataRelation* FindByItem(TObject* AItem) const;
  void AddRelation(TcxCustomDataRelation* ARelation);
  void RemoveRelation(TcxCustomDataRelation* ARelation);
  void Update(TcxCustomDataRelation* ARelation);
  void Changed(TcxCustomDataRelation* ARelation);
  TcxDetailObject* GetDetailObject(Integer ARecordIndex);
  TcxDetailObject* GetStoredDetailObject(Integer ARecordIndex) const;
  void ClearDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex);
  bool IsDetailDataControllerExist(Integer ARecordIndex, Integer ARelationIndex) const;
  bool HasDetailControllers() const;
  void FieldRemoved(TcxCustomDataField* AField);
  TcxCustomDataField* DetailObjectField() const { return FItemField; }
  TcxCustomDataController* DataController() const { return FDataController; }

private:
  void SetStoredDetailObject(Integer ARecordIndex, TcxDetailObject* AObject);
  void DismantleDetailObject(Integer ARecordIndex, TcxDetailObject* AObject);
  TcxCustomDataController* FDataController;
  TcxCustomDataField* FItemField = nullptr;
  std::vector<TcxCustomDataRelation*> FItems;
  Integer FLockCount = 0;
};

// ---- Summaries ----

enum TcxSummaryKind { skNone, skSum, skMin, skMax, skCount, skAverage };
enum TcxSummaryPosition { spGroup, spFooter };
enum TcxSummaryOption { soNullIgnore, soSelectedRecords };
using TcxSummaryOptions = TSet<TcxSummaryOption>;

class TcxDataSummaryItems;

struct TcxSummaryEventArguments {
  Integer RecordIndex = -1;
  TcxDataSummaryItem* SummaryItem = nullptr;
};

struct TcxSummaryEventOutArguments {
  Variant Value;
  Variant SummaryValue;
  Integer CountValue = 0;
  bool Done = false;
};

using TcxSummaryEvent =
    TEvent<void(TcxDataSummaryItems* ASender, const TcxSummaryEventArguments& Arguments,
                TcxSummaryEventOutArguments& OutArguments)>;
using TcxDataSummaryItemGetTextEvent = TEvent<void(
    TcxDataSummaryItem* Sender, const Variant& AValue, bool AIsFooter, AnsiString& AText)>;
using TcxAfterSummaryEvent = TEvent<void(TcxDataSummary* ASender)>;

class TcxCustomDataSummaryItem : public TCollectionItem {
public:
  explicit TcxCustomDataSummaryItem(TCollection* ACollection) : TCollectionItem(ACollection) {}
  void Assign(TPersistent* Source) override;
  virtual TcxCustomDataController* GetDataController() const = 0;
  virtual void FieldChanged(TcxCustomDataField* AField) {}

  TcxCustomDataField* Field() const { return FField; }
  // Set directly, with no report (a removed field).
  void ForgetField() { FField = nullptr; }
  TObject* ItemLink() const;
  void SetItemLink(TObject* AItemLink);

protected:
  void SetField(TcxCustomDataField* AField);

private:
  TcxCustomDataField* FField = nullptr;
};

class TcxDataSummaryItem : public TcxCustomDataSummaryItem {
public:
  explicit TcxDataSummaryItem(TCollection* ACollection) : TcxCustomDataSummaryItem(ACollection) {}
  void Assign(TPersistent* Source) override;
  TcxCustomDataController* GetDataController() const override;
  virtual bool IsPositionStored() const;
  // The data field the summary is computed over.
  virtual TcxCustomDataField* GetField() const { return Field(); }
  virtual void FormatValue(const Variant& AValue, bool AIsFooter, AnsiString& AText);
  AnsiString FormatValue(const Variant& AValue, bool AIsFooter);

  const AnsiString& Format() const { return FFormat; }
  void SetFormat(const AnsiString& AValue);
  TcxSummaryKind Kind() const { return FKind; }
  void SetKind(TcxSummaryKind AValue);
  // As the collection reads it (footer items are always spFooter).
  TcxSummaryPosition Position() const;
  void SetPosition(TcxSummaryPosition AValue);
  TcxSummaryPosition StoredPosition() const { return FPosition; }
  TcxDataSummaryItems* SummaryItems() const;

  TcxDataSummaryItemGetTextEvent OnGetText;

private:
  AnsiString FFormat;
  TcxSummaryKind FKind = skNone;
  TcxSummaryPosition FPosition = spGroup;
};

class TcxDataSummaryItems : public TCollection {
public:
  TcxDataSummaryItems(TcxDataSummary* ASummary, TCollectionItemClass AItemClass);
  void Assign(TPersistent* Source) override;
  virtual TcxSummaryPosition GetItemPosition(const TcxDataSummaryItem* AItem) const;
  virtual bool IsItemPositionStored(const TcxDataSummaryItem* AItem) const;
  virtual void AssignEvents(TcxDataSummaryItems* ASource);
  virtual void GetDefaultFormat(TVarType AVarType, TcxSummaryKind AKind, AnsiString& AFormat,
                                bool AIsFooter);
  virtual void GroupRowText(const Variant& AValues, AnsiString& AText) { AText.clear(); }

  TcxDataSummaryItem* Add() { return static_cast<TcxDataSummaryItem*>(TCollection::Add()); }
  TcxDataSummaryItem* Items(Integer AIndex) const
  {
    return static_cast<TcxDataSummaryItem*>(TCollection::Items(AIndex));
  }
  Integer IndexOfItemLink(TObject* AItemLink) const;
  Integer IndexOfField(const TcxCustomDataField* AField) const;
  TcxDataSummaryItem* ItemOfField(const TcxCustomDataField* AField) const;
  TcxDataSummary* Summary() const { return FSummary; }
  TcxCustomDataController* DataController() const;

  TcxSummaryEvent OnSummary;

protected:
  void Update(TCollectionItem* Item) override;
  TPersistent* GetOwner() override;

private:
  TcxDataSummary* FSummary;
};

class TcxDataFooterSummaryItems : public TcxDataSummaryItems {
public:
  using TcxDataSummaryItems::TcxDataSummaryItems;
  TcxSummaryPosition GetItemPosition(const TcxDataSummaryItem* AItem) const override
  {
    return spFooter;
  }
  bool IsItemPositionStored(const TcxDataSummaryItem* AItem) const override { return false; }
};

class TcxDataSummaryGroup;

class TcxDataGroupSummaryItems : public TcxDataSummaryItems {
public:
  TcxDataGroupSummaryItems(TcxDataSummary* ASummary, TcxDataSummaryGroup* AGroup,
                           TCollectionItemClass AItemClass)
      : TcxDataSummaryItems(ASummary, AItemClass), FSummaryGroup(AGroup)
  {
  }
  void Assign(TPersistent* Source) override;
  void GroupRowText(const Variant& AValues, AnsiString& AText) override;

  const AnsiString& BeginText() const { return FBeginText; }
  void SetBeginText(const AnsiString& AValue);
  const AnsiString& EndText() const { return FEndText; }
  void SetEndText(const AnsiString& AValue);
  const AnsiString& Separator() const { return FSeparator; }
  void SetSeparator(const AnsiString& AValue);
  TcxDataSummaryGroup* SummaryGroup() const { return FSummaryGroup; }

protected:
  TPersistent* GetOwner() override;

private:
  void TextChanged();
  TcxDataSummaryGroup* FSummaryGroup;
  AnsiString FBeginText = "(";
  AnsiString FEndText = ")";
  AnsiString FSeparator = ",";
};

class TcxDataSummaryGroupItemLink : public TcxCustomDataSummaryItem {
public:
  explicit TcxDataSummaryGroupItemLink(TCollection* ACollection)
      : TcxCustomDataSummaryItem(ACollection)
  {
  }
  TcxCustomDataController* GetDataController() const override;
  void FieldChanged(TcxCustomDataField* AField) override;
  TcxDataSummaryGroup* SummaryGroup() const;
};

class TcxDataSummaryGroupItemLinks : public TCollection {
public:
  TcxDataSummaryGroupItemLinks(TcxDataSummaryGroup* AGroup, TCollectionItemClass AItemClass)
      : TCollection(AItemClass), FSummaryGroup(AGroup)
  {
  }
  TcxDataSummaryGroupItemLink* Add()
  {
    return static_cast<TcxDataSummaryGroupItemLink*>(TCollection::Add());
  }
  TcxDataSummaryGroupItemLink* Items(Integer AIndex) const
  {
    return static_cast<TcxDataSummaryGroupItemLink*>(TCollection::Items(AIndex));
  }
  Integer IndexOfItemLink(TObject* AItemLink) const;
  Integer IndexOfField(const TcxCustomDataField* AField) const;
  TcxDataSummaryGroupItemLink* ItemOfField(const TcxCustomDataField* AField) const;
  TcxDataSummaryGroup* SummaryGroup() const { return FSummaryGroup; }

protected:
  void Update(TCollectionItem* Item) override;
  TPersistent* GetOwner() override;

private:
  TcxDataSummaryGroup* FSummaryGroup;
};

class TcxDataSummaryGroup : public TCollectionItem {
public:
  explicit TcxDataSummaryGroup(TCollection* ACollection);
  ~TcxDataSummaryGroup() override;
  void Assign(TPersistent* Source) override;
  TcxDataSummaryGroupItemLinks* Links() const { return FLinks.get(); }
  TcxDataGroupSummaryItems* SummaryItems() const { return FSummaryItems.get(); }
  TcxDataSummary* Summary() const;

private:
  std::unique_ptr<TcxDataSummaryGroupItemLinks> FLinks;
  std::unique_ptr<TcxDataGroupSummaryItems> FSummaryItems;
};

class TcxDataSummaryGroups : public TCollection {
public:
  explicit TcxDataSummaryGroups(TcxDataSummary* ASummary);
  TcxDataSummaryGroup* Add() { return static_cast<TcxDataSummaryGroup*>(TCollection::Add()); }
  TcxDataSummaryGroup* Items(Integer AIndex) const
  {
    return static_cast<TcxDataSummaryGroup*>(TCollection::Items(AIndex));
  }
  TcxDataSummaryGroup* FindByItemLink(TObject* AItemLink) const;
  TcxDataSummary* Summary() const { return FSummary; }

protected:
  void Update(TCollectionItem* Item) override;
  TPersistent* GetOwner() override;

private:
  TcxDataSummary* FSummary;
};

class TcxDataSummary : public TPersistent {
public:
  explicit TcxDataSummary(TcxCustomDataController* ADataController);
  ~TcxDataSummary() override;
  void BeforeDestruction() override { FDestroying = true; }
  void Assign(TPersistent* Source) override;

  virtual void InitValues(TcxDataSummaryItems* AItems, TcxDataSummaryCountValues& ACounts,
                          TcxDataSummaryValues& AValues);
  virtual void CalculateRange(TcxDataSummaryItems* AItems, Integer AFrom, Integer ATo,
                              TcxDataSummaryCountValues& ACounts, TcxDataSummaryValues& AValues);
  virtual void Changed(bool ALayout);
  virtual void DoAfterSummary();
  virtual void FinalizeItem(TcxDataSummaryItem* AItem, Variant& AValue, Integer ACount);
  virtual void CalculateItem(TcxDataSummaryItem* AItem, Integer ARecordIndex, Integer& ACount,
                             Variant& AValue);
  virtual void StoreValues(TcxDataSummaryItems* AItems, TcxDataSummaryCountValues& ACounts,
                           Variant& ATarget, TcxDataSummaryValues& AValues);
  virtual Integer RecordIndexForSummary(Integer ARecordListIndex);
  virtual bool HasValueIndex(const Variant& AValues, Integer AIndex) const;
  virtual void DoChanged(bool ALayout);
  virtual void AssignEvents(TcxDataSummary* ASource);
  virtual void Calculate();
  virtual void CalculateFooter();
  virtual void CalculateGroups();

  void BeginUpdate();
  void EndUpdate();
  void CancelUpdate();
  void FieldRemoved(TcxCustomDataField* AField);
  void GetFooterSummaryValue(Integer AIndex, Variant& V) const;
  Variant FooterSummaryValues(Integer AIndex) const;
  void FooterSummaryText(Integer AIndex, AnsiString& AText);
  AnsiString FooterSummaryText(Integer AIndex);
  TcxDataSummaryItems* GroupSummaryItemsOfLevel(Integer ALevel);
  void GroupSummaryText(Integer ARowIndex, AnsiString& AText);
  AnsiString GroupSummaryText(Integer ARowIndex);
  Integer GroupFooterItemIndex(Integer ALevel, TObject* AItemLink);
  void GroupFooterSummaryText(Integer ARowIndex, Integer ALevel, AnsiString& AText,
                              Integer AItemIndex);

  TcxDataSummaryItems* DefaultGroupSummaryItems() const { return FDefaultGroupSummaryItems.get(); }
  TcxDataSummaryItems* FooterSummaryItems() const { return FFooterSummaryItems.get(); }
  TcxDataSummaryGroups* SummaryGroups() const { return FSummaryGroups.get(); }
  TcxSummaryOptions Options() const { return FOptions; }
  void SetOptions(TcxSummaryOptions AValue);
  TcxCustomDataController* DataController() const { return FDataController; }
  const Variant& FooterValues() const { return FFooterValues; }
  bool Destroying() const { return FDestroying; }
  // Stops Calculate while set (never set by the data layer itself).
  bool SuspendCalculation = false;

  TcxAfterSummaryEvent OnAfterSummary;

private:
  TcxCustomDataController* FDataController;
  bool FDestroying = false;
  Variant FFooterValues;
  bool FInAfterSummary = false;
  Integer FLockCount = 0;
  TcxSummaryOptions FOptions;
  std::unique_ptr<TcxDataSummaryItems> FDefaultGroupSummaryItems;
  std::unique_ptr<TcxDataFooterSummaryItems> FFooterSummaryItems;
  std::unique_ptr<TcxDataSummaryGroups> FSummaryGroups;
  std::vector<char>
      FSelectedRecords; // by record index, during a calculation with soSelectedRecords
  bool FSelectedOnly = false;
  friend class TcxDataSummaryItems;
};

// ---- The controller's filter ----

class TcxDataFilterValueList;

using TcxDataFilterGetValueListEvent =
    TEvent<void(TcxFilterCriteria* Sender, Integer AItemIndex, TcxDataFilterValueList* AValueList)>;

class TcxDataFilterCriteria : public TcxFilterCriteria {
public:
  explicit TcxDataFilterCriteria(TcxCustomDataController* ADataController);
  ~TcxDataFilterCriteria() override;
  void Assign(TPersistent* ASource) override;

  Integer ItemLinkToID(TObject* AItemLink) override;
  TObject* IDToItemLink(Integer AID) override;
  TcxFilterCriteriaItem* CreateItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                    TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                    const AnsiString& ADisplayValue) override;
  TcxFilterValueList* CreateValueList() override;
  void DoChanged() override;
  void AssignEvents(TPersistent* ASource) override;
  TcxFilterCriteriaItem* AddItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                 TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                 const AnsiString& ADisplayValue) override;
  TcxFilterCriteriaItem* FindItemByItemLink(TObject* AItemLink) override;
  virtual bool IsFiltering();
  bool DoFilterRecord(Integer ARecordIndex) { return DoFilterData(ARecordIndex); }

  bool Active() const { return FActive; }
  void SetActive(bool AValue);
  TcxCustomDataController* DataController() const { return FDataController; }
  bool Destroying() const { return FDestroying; }

  TcxDataFilterGetValueListEvent OnGetValueList;

protected:
  void DefineProperties(TFiler* Filer) override;
  // The data field of an item (a data field passes through).
  TcxCustomDataField* FieldOf(TObject* AItemLink);

private:
  void ReadCriteria(TStream* AStream) { ReadData(AStream); }
  void WriteCriteria(TStream* AStream) { WriteData(AStream); }
  TcxCustomDataController* FDataController;
  bool FActive = false;
  bool FDestroying = false;
};

class TcxDataFilterCriteriaItem : public TcxFilterCriteriaItem {
public:
  using TcxFilterCriteriaItem::TcxFilterCriteriaItem;
  void GetDataValue(NativeInt AData, Variant& AValue) override;
  void GetFieldCaption(AnsiString& AText) override;
  void GetFieldName(AnsiString& AText) override;
  // Outside the criteria the link is the view's item; inside it is the data field.
  TObject* ItemLink() const override;
  TcxCustomDataField* Field() const
  {
    return static_cast<TcxCustomDataField*>(TcxFilterCriteriaItem::ItemLink());
  }
  TcxCustomDataController* DataController() const;
};

class TcxDataFilterValueList : public TcxFilterValueList {
public:
  using TcxFilterValueList::TcxFilterValueList;
  virtual void Load(Integer AItemIndex);
  TcxDataFilterCriteria* DataCriteria() const
  {
    return static_cast<TcxDataFilterCriteria*>(Criteria());
  }
};

// ---- The controller ----

// Create controllers with Create<T>(AOwner) (or new, then AfterConstruction): the parts a
// class chooses through its virtual factories (provider, filter, summary, selection and
// the engine) are made in AfterConstruction, when the most derived class's factories are
// in place.
class TcxCustomDataController : public TPersistent {
public:
  explicit TcxCustomDataController(TComponent* AOwner);
  template <class T> static T* Create(TComponent* AOwner)
  {
    T* controller = new T(AOwner);
    controller->AfterConstruction();
    return controller;
  }
  void AfterConstruction() override;
  ~TcxCustomDataController() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  // ---- Fields (cxCustomDataProvider.cpp) ----
  virtual TcxCustomDataField* AddInternalField();
  virtual TcxCustomDataField* AddField();
  virtual TcxCustomDataField* CreateField();
  virtual Integer AppendRecordByReader();
  virtual bool IsProviderField(TcxCustomDataField* AField);
  virtual bool CanReloadData();
  virtual bool IsProviderMode();
  virtual bool AppendsByReader() { return false; }
  virtual void LoadStorage();
  virtual bool IsGridModeUpdatePending();
  virtual void DataLoaded() {}
  virtual void UpdateField(TcxCustomDataField* AField) {}
  virtual void StoreCopiedValue(TcxValueDef* AValueDef, Integer ASourceRecordIndex,
                                Integer ADestRecordIndex);
  virtual void RebuildStorage();
  virtual void DataLoadFinished();
  virtual void UpdateFields();
  virtual void FieldRemoved(TcxCustomDataField* AField);
  virtual void ActiveChanged(bool AActive);
  virtual void ReloadData(Integer AKind = 1);
  virtual void RecordLoaded(Integer ARecordIndex);
  virtual void DeleteStorageRecord(Integer ARecordIndex);
  virtual void BeginReadRecords();
  virtual void EndReadRecords();
  virtual Integer AddRecordFromReader(TcxValueDefReader* AReader);
  Integer AddRecordFromHandle(NativeInt AHandle);
  virtual TcxCustomDataProvider* CreateDataProvider();
  void RequestReload(bool AForce);
  void DoReload(bool AForce);
  void LoadRecords();
  void UpdateGroupingState();
  void SetRecordSource(TcxRecordSource* ASource);
  TcxRecordSource* RecordSource() const;

  // ---- Items and records (cxCustomDataController.cpp) ----
  virtual void AddItem(TObject* AItem);
  virtual void RemoveItem(TObject* AItem);
  virtual void UpdateItemIndexes();
  virtual TObject* GetItem(Integer AIndex);
  virtual Integer GetItemCount();
  virtual Integer GetItemID(TObject* AItem) { return -1; }
  virtual TObject* FindItemByID(Integer AID);
  virtual TObject* FindItemByItemID(TObject* AItem);
  virtual void ItemValueTypeClassChanged(Integer AItemIndex) {}
  virtual void ChangeValueTypeClass(Integer AItemIndex, TcxValueTypeClass AValueTypeClass);
  virtual void ChangeTextStored(Integer AItemIndex, bool AValue);
  virtual void ChangeItemValueCompare(Integer AItemIndex, bool AValue);
  virtual bool GetItemValueCompare(Integer AItemIndex);
  virtual bool GetItemTextStored(Integer AItemIndex);
  virtual bool ItemUsesTextForValue(Integer AItemIndex) { return false; }
  virtual Integer RecordCount();
  virtual Integer RecordCountOfStorage() { return RecordCount(); }
  virtual void SetRecordCount(Integer ACount);
  virtual Integer AppendRecord();
  virtual Integer InsertRecord(Integer ARecordIndex);
  virtual void DeleteRecord(Integer ARecordIndex);
  virtual void RecordInserted(Integer ARecordIndex);
  virtual void RecordDeleted(Integer ARecordIndex);
  virtual Variant GetValue(Integer ARecordIndex, Integer AItemIndex);
  virtual void SetValue(Integer ARecordIndex, Integer AItemIndex, const Variant& AValue);
  virtual void GetInternalValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& AValue);
  virtual void GetInternalDisplayText(Integer ARecordIndex, TcxCustomDataField* AField,
                                      AnsiString& AText);
  virtual void GetRecordDisplayText(Integer ARecordIndex, Integer AItemIndex, AnsiString& AText);
  virtual void SetDisplayText(Integer ARecordIndex, Integer AItemIndex, const AnsiString& AText);
  virtual void GetGroupValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& AValue);
  virtual void GetFilterDataValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                  Variant& AValue);
  virtual void GetSearchDisplayText(Integer ARecordIndex, Integer AItemIndex, AnsiString& AText);
  virtual void GetFilterDisplayText(Integer ARecordIndex, Integer AItemIndex, AnsiString& AText);
  virtual void GetGroupingValues(Integer ARecordIndex, TcxDataSummaryValues& AValues);
  virtual void GetItemDisplayName(TObject* AItem, AnsiString& AName) { AName.clear(); }
  virtual void GetFilterItemFieldName(TObject* AItem, AnsiString& AName);
  virtual void GetKeyValue(Integer ARecordIndex, const std::vector<TcxCustomDataField*>& AFields,
                           Variant& AValue);
  virtual void GetKeyFields(std::vector<TcxCustomDataField*>& AList) {}
  virtual bool GetItemSortByDisplayText(Integer AItemIndex, bool ASortByDisplayText)
  {
    return ASortByDisplayText;
  }
  virtual void Refresh();
  virtual void FilterChanged();
  virtual void StructureChanged(bool AFieldsChanged);
  virtual void BeforeFocusedRowChange(Integer ARowIndex) {}
  virtual bool IsDestroying();
  virtual bool IsLoading();
  virtual void Loaded();
  virtual void BeginFullUpdate();
  virtual void EndFullUpdate();
  virtual void ControlFocusGained() {}
  virtual TcxDataFilterCriteria* CreateFilterCriteria();
  virtual TcxDataSummary* CreateSummary();
  virtual TCollectionItemClass GetSummaryItemClass();
  virtual TCollectionItemClass GetSummaryGroupItemLinkClass();
  virtual TcxDataSelection* CreateDataSelection();
  virtual TcxCustomDataRelation* CreateRelation(TcxCustomDataRelationList* ARelationList,
                                                TObject* AItem);

  void BeginUpdate();
  void EndUpdate();
  bool LockCountPositive() const;
  TcxCustomDataField* GetField(Integer AItemIndex) const;
  TcxCustomDataField* GetItemField(Integer AItemIndex) const { return GetField(AItemIndex); }
  Integer GetItemIndexOfField(const TcxCustomDataField* AField) const;
  TcxValueTypeClass GetItemValueTypeClass(Integer AItemIndex);
  void CheckItemRange(Integer AItemIndex) const;
  void CheckRecordRange(Integer ARecordIndex);
  void CheckRowIndex(Integer ARowIndex) const;
  bool IsItemIndexValid(Integer AItemIndex) const;
  Integer ItemCount() { return GetItemCount(); }
  void GetStoredValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& AValue);
  void GetStoredDisplayText(Integer ARecordIndex, TcxCustomDataField* AField, AnsiString& AText);
  void SetStoredValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& AValue);
  Variant GetRecordValue(Integer ARecordIndex, Integer AItemIndex)
  {
    return GetValue(ARecordIndex, AItemIndex);
  }
  AnsiString DisplayText(Integer ARecordIndex, Integer AItemIndex);
  bool IsItemTextStored(Integer AItemIndex) { return GetItemTextStored(AItemIndex); }
  TcxDataSortOrder GetItemSortOrder(Integer AItemIndex);
  Integer GetItemSortIndex(Integer AItemIndex);
  void ChangeSortOrder(Integer AItemIndex, TcxDataSortOrder ASortOrder);
  void MoveSortingItem(Integer AItemIndex, Integer ASortIndex);
  void ClearSorting(bool AKeepGroupedItems);
  Integer GetSortingItemCount() const;
  Integer GetSortingItemIndex(Integer AIndex) const;
  void LockLookup() { ++FLookupLockCount; }
  void UnlockLookup() { --FLookupLockCount; }
  bool LookupLocked() const { return FLookupLockCount > 0; }
  Integer FilteredRecordCount() const;
  Integer GetFilteredRecordIndex(Integer AIndex) const;
  Integer GetFilteredIndexByRecordIndex(Integer ARecordIndex) const;

  // ---- Editing (cxCustomDataEditing.cpp) ----
  virtual Integer GetEditRecordIndexCandidate();
  virtual void CheckBrowseMode() {}
  virtual void CheckEditingRecord(Integer ARecordIndex);
  virtual void CopyRecord(Integer ASourceRecordIndex, Integer ADestRecordIndex);
  virtual void DoAfterCancel();
  virtual void DoAfterDelete();
  virtual void DoAfterInsert();
  virtual void DoAfterPost();
  virtual void DoBeforeCancel();
  virtual void DoBeforeDelete(Integer ARecordIndex);
  virtual void DoBeforeInsert();
  virtual void DoBeforePost();
  virtual void DoNewRecord(Integer ARecordIndex);
  virtual void InternalRecordsFreed();
  virtual TcxDataControllerEditOperations GetEditOperations();
  virtual TcxDataEditState GetEditState();
  virtual void Append();
  virtual void Cancel();
  virtual bool CanInitEditing(Integer AItemIndex);
  virtual void DeleteFocused();
  virtual void DeleteSelection();
  virtual void Edit();
  virtual void FocusItemControl(Integer AItemIndex, bool& ADone) {}
  virtual Variant GetEditValue(Integer AItemIndex, TcxDataEditValueSource AEditValueSource);
  virtual bool CanItemEdit(Integer AItemIndex) { return true; }
  virtual void Insert();
  virtual void Post();
  virtual void UpdateData();
  virtual void RefreshExternalData() {}
  virtual bool SetEditValue(Integer AItemIndex, const Variant& AValue,
                            TcxDataEditValueSource AEditValueSource);
  virtual void UpdateEditingValues() {}
  virtual Integer GetEditingRecordIndex();
  virtual Integer NewItemRecordIndex();
  virtual bool CanFocusRecord(Integer ARecordIndex);
  bool IsEditing();
  Integer EditingRecordIndex() { return GetEditingRecordIndex(); }
  TcxDataControllerEditOperations EditOperations() { return GetEditOperations(); }
  TcxDataEditState EditState() { return GetEditState(); }
  bool StartItemEditing(Integer AItemIndex) { return CanInitEditing(AItemIndex); }
  void SetNewItemRowVisible(bool AValue);
  bool NewItemRowVisible() const { return FNewItemRowVisible; }
  void SetNewItemRowFocused(bool AValue);
  bool NewItemRowFocusedFlag() const { return FNewItemRowFocused; }
  bool IsNewItemRowFocused();
  bool IsNewItemRecord(Integer ARecordIndex);
  void ClearNewItemRowFocus();
  void FocusLastIfNone();
  void DoInitInsertingRecord(Integer AInsertingRecordIndex,
                             const TcxDataSummaryValues& AGroupValues);
  bool AppendingGuard() const { return FInAppending; }
  void SetAppendingGuard(bool AValue) { FInAppending = AValue; }

  // ---- Notification (cxCustomDataNotify.cpp) ----
  virtual void DataChanged(Byte AKind, Integer AItemIndex, Integer ARecordIndex);
  virtual void DoDataChanged();
  virtual void UpdateControl(TcxUpdateControlInfo* AInfo);
  virtual void FreeNotification(TComponent* AComponent);
  void NotifyChanges(Word AChanges);
  void CheckChanges();
  void SendUpdateInfo(TcxUpdateControlInfo* AInfo);
  void RefreshSelectionSnapshot();
  void AddDataChangedListener(const TNotifyEvent& AEvent);
  void RemoveDataChangedListener(const TNotifyEvent& AEvent);
  TcxDataListenerLink* AddListenerLink();
  static void RemoveListenerLink(TcxDataListenerLink*& ALink);
  void ResetDataChangeInfo();
  Byte PendingChangeKind() const { return FDataChangeInfo.Kind; }
  Integer PendingChangeItemIndex() const { return FDataChangeInfo.ItemIndex; }
  Integer PendingChangeRecordIndex() const { return FDataChangeInfo.RecordIndex; }
  void SetPendingChange(Byte AKind, Integer AItemIndex, Integer ARecordIndex);
  Word PendingChanges() const { return FChanges; }
  TcxDataControllerNotifier* Notifier() const { return FNotifier.get(); }

  // ---- Focus and selection (cxCustomDataFocus.cpp) ----
  virtual bool CanSelectRow(Integer ARowIndex) { return true; }
  virtual void CheckBookmarkValid(Integer ARecordIndex);
  virtual bool CanChangeFocus() { return true; }
  virtual Integer GetActiveRecordIndex();
  virtual Integer GetSyncRecordIndex();
  virtual bool BookmarkAffected(Integer ARecordIndex);
  virtual void ClearBookmarkValue();
  virtual void GotoBookmarkValue();
  virtual bool SaveBookmarkValue();
  virtual bool IsSingleSelection() { return !FMultiSelect; }
  virtual void UpdateFocused();
  virtual void ProviderFocusChanged() { UpdateFocused(); }
  virtual void ForEachRow(bool ASelectedOnly, const TcxDataControllerEachRowProc& AProc);
  virtual bool IsBookmarkAvailable() { return FBookmarkRecordIndex != -1; }
  virtual bool IsBookmarkRow(Integer ARowIndex);
  virtual void ChangeRowSelection(Integer ARowIndex, bool ASelection);
  virtual void ClearSelectionAnchor();
  virtual void GetRowId(Integer ARowIndex, Variant& AValue);
  virtual Integer GetSelectedRowIndex(Integer AIndex);
  virtual Integer GetSelectionAnchorRowIndex();
  virtual bool IsSelectionAnchorExist();
  virtual void SelectAll();
  virtual void SelectFromAnchor(Integer ARowIndex, bool AKeepSelection);
  virtual void SetSelectionAnchor(Integer ARowIndex);
  virtual void SelectFocusedRow();
  Integer FocusedRowIndex() const;
  Integer FocusedRecordIndex() const;
  bool ChangeFocusedRowIndex(Integer ARowIndex);
  void SetFocusedRowIndex(Integer ARowIndex) { ChangeFocusedRowIndex(ARowIndex); }
  void SetFocusedRecordIndex(Integer ARecordIndex);
  void GotoFirst();
  void GotoLast();
  void GotoNext();
  void GotoPrev();
  void MoveBy(Integer ADistance);
  void Scroll(Integer ADistance);
  bool IsBOF();
  bool IsEOF();
  bool IsGridMode();
  Integer RowCount() const;
  Integer GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible);
  void GetRowInfo(Integer ARowIndex, TcxDataRowInfo& ARowInfo) const;
  TcxDataRowInfo GetRowInfo(Integer ARowIndex) const;
  void GetRowDisplayText(const TcxDataRowInfo& ARowInfo, Integer& AItemIndex, AnsiString& AText);
  Variant GetRowValue(const TcxDataRowInfo& ARowInfo, Integer AItemIndex);
  void SaveBookmark();
  void GotoBookmark();
  void ClearBookmark();
  Integer BookmarkRecordIndex() const { return FBookmarkRecordIndex; }
  bool HasBookmark() { return IsBookmarkAvailable(); }
  void ChangeMultiSelect(bool AValue);
  bool MultiSelect() const { return FMultiSelect; }
  void SetFocusedRowSelected(bool AValue);
  bool FocusedRowSelected() const { return FFocusedSelected; }
  Integer GetSelectedCount();
  bool IsRowSelected(Integer ARowIndex);
  void ClearRowSelection();
  void SelectRows(Integer AStartRowIndex, Integer AEndRowIndex);
  void CheckFocusedSelected();
  void RecordsRemoved(Integer ARecordIndex);
  Integer SelectedRowIndex(Integer AIndex) { return GetSelectedRowIndex(AIndex); }
  void SelectRange(Integer ARowIndex, bool AKeepSelection)
  {
    SelectFromAnchor(ARowIndex, AKeepSelection);
  }
  void SetAnchor(Integer ARowIndex) { SetSelectionAnchor(ARowIndex); }
  bool HasAnchor() { return IsSelectionAnchorExist(); }
  TcxDataSelection* Selection() const;

  // ---- Master-detail (cxCustomDataRelations.cpp) ----
  virtual bool CanChangeDetailExpanding(Integer ARecordIndex, bool AExpand);
  virtual void DoDetailExpanding(Integer ARecordIndex, bool& AAllow);
  virtual void DoDetailExpanded(Integer ARecordIndex);
  virtual void DoDetailCollapsing(Integer ARecordIndex, bool& AAllow);
  virtual void DoDetailCollapsed(Integer ARecordIndex);
  virtual Integer GetDefaultActiveRelationIndex() { return 0; }
  virtual bool HasRecordKeys();
  virtual void RelationsChanged(TcxCustomDataRelation* ARelation);
  virtual TcxCustomDataController* GetMasterDataController();
  virtual Integer GetMasterRecordIndex() { return FMasterRecordIndex; }
  virtual TcxCustomDataRelation* GetMasterRelation() { return FMasterRelation; }
  virtual bool IsDetailMode() { return FMasterRelation != nullptr; }
  virtual TObject* CreateDetailLinkObject(TcxCustomDataRelation* ARelation, Integer ARecordIndex)
  {
    return nullptr;
  }
  virtual TcxCustomDataController* GetDetailDataController(TObject* ALinkObject) { return nullptr; }
  virtual void ClearDetailsOfItem(TObject* AItem);
  virtual void LinkToMaster(TcxCustomDataRelation* ARelation, Integer AMasterRecordIndex);
  virtual void SyncDetailDataSet() {}
  TcxCustomDataRelationList* Relations();
  bool HasRelations() const { return FRelations != nullptr; }
  void SetMasterRelation(TcxCustomDataRelation* ARelation, bool AIsPattern);
  void SetMasterMode(TcxCustomDataRelation* ARelation, Integer AMasterRecordIndex)
  {
    LinkToMaster(ARelation, AMasterRecordIndex);
  }
  bool HasMasterRelation() { return IsDetailMode(); }
  void SetIsPattern(bool AValue);
  TcxDataControllerDetailMode GetDetailMode() const;
  bool IsPattern() const { return GetDetailMode() == dcdmPattern; }
  TcxCustomDataController* GetRootDataController();
  TcxCustomDataController* GetPatternDataController();
  TObject* GetDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex);
  TcxCustomDataController* GetDetailDataControllerOf(Integer ARecordIndex, Integer ARelationIndex);
  bool IsDetailDataControllerExist(Integer ARecordIndex, Integer ARelationIndex);
  Integer GetActiveRelationIndex(Integer ARecordIndex);
  void SetActiveRelationIndex(Integer ARecordIndex, Integer ARelationIndex);
  bool GetDetailExpanded(Integer ARecordIndex);
  bool ChangeDetailExpanding(Integer ARecordIndex, bool AExpanded);
  bool HasDetailChildren(Integer ARecordIndex, Integer ARelationIndex);
  void ClearDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex);
  void ClearDetailLinkObjects();
  void CollapseDetails();
  void ClearHasChildrenCache();
  void DetachDetailsOfRelation(TcxCustomDataRelation* ARelation);
  void ForEachDetail(TcxCustomDataRelation* ARelation,
                     const TEvent<void(TcxCustomDataController* ADetail)>& AProc);
  void SaveKeys();
  void RestoreKeys();
  bool DetailLinkGuard() const { return FInDetailLink; }

  // ---- Comparison, find filter, searches (cxCustomDataCompare.cpp) ----
  virtual Integer CompareByField(Integer ARecordIndex1, Integer ARecordIndex2,
                                 TcxCustomDataField* AField);
  virtual Integer CompareEqualRecords(Integer ARecordIndex1, Integer ARecordIndex2);
  virtual Integer CompareWithSortOrder(Integer ARecordIndex1, Integer ARecordIndex2,
                                       const TcxDataSortingInfo& ASortingInfo);
  virtual void GetComparedValue(Integer ARecordIndex, TcxCustomDataField* AField, Variant& AValue);
  virtual bool NeedsValueCompare(TcxCustomDataField* AField);
  virtual bool NeedsTextCompare(TcxCustomDataField* AField);
  virtual bool IsSortByDisplayText(TcxCustomDataField* AField);
  virtual bool IsStringSorting(Integer AItemIndex);
  virtual bool DoFindFilterRecord(Integer ARecordIndex);
  virtual Integer FindRecordIndexByText(Integer AStartFilteredIndex, Integer AItemIndex,
                                        const AnsiString& AText, bool APartial, bool ACycle,
                                        bool AForward);
  virtual void GetFindFilterText(AnsiString& AText) { AText = FFindFilterText; }
  virtual bool IsFindFiltering();
  virtual void ResetFindFilter();
  virtual Integer SetFindFilter(Integer AItemIndex, const AnsiString& AText);
  virtual bool SearchInGridMode(Integer AItemIndex, const AnsiString& AText, bool AForward,
                                bool ANext)
  {
    return false;
  }
  Integer CompareStored(Integer ARecordIndex1, Integer ARecordIndex2, TcxCustomDataField* AField);
  Integer CompareStrings(const Variant& V1, const Variant& V2);
  bool ChangeFindFilterText(const AnsiString& AText);
  Integer FindSortedRecord(Integer ARecordIndex, Integer AFieldCount);
  Integer FindEqualRecord(Integer ARecordIndex, const std::vector<TcxCustomDataField*>& AFields);
  Integer SearchRecordByText(Integer AStartFilteredIndex, Integer AItemIndex, bool AForward,
                             bool AWrap, bool APartial, const AnsiString& AText)
  {
    return FindRecordIndexByText(AStartFilteredIndex, AItemIndex, AText, APartial, AWrap, AForward);
  }
  void FindFilterText(AnsiString& AText) { GetFindFilterText(AText); }
  TcxCustomDataField* FindFilterField() const { return FFindFilterField; }
  bool DisplayTextSortingOff() const { return FDisplayTextSortingOff; }
  void SetDisplayTextSortingOff(bool AValue) { FDisplayTextSortingOff = AValue; }

  // ---- Parts ----
  TcxCustomDataControllerInfo* DataControllerInfo() const { return FDataControllerInfo.get(); }
  TcxDataStorage* DataStorage() const { return FDataStorage.get(); }
  TcxCustomDataProvider* Provider() const { return FProvider.get(); }
  TcxCustomDataFieldList* Fields() const { return FFields.get(); }
  TcxDataControllerGroups* Groups() const { return FGroups.get(); }
  TcxDataControllerSearch* Search() const { return FSearch.get(); }
  TcxDataSummary* Summary() const { return FSummary.get(); }
  void SetSummary(TcxDataSummary* AValue);
  TcxDataFilterCriteria* Filter() const { return FFilter.get(); }
  void SetFilter(TcxDataFilterCriteria* AValue);
  TcxDataControllerOptions Options() const { return FOptions; }
  void SetOptions(TcxDataControllerOptions AValue);
  TComponent* Owner() const { return FOwner; }
  TcxCustomDataField* SearchField() const { return FSearchField; }
  void SetSearchField(TcxCustomDataField* AValue) { FSearchField = AValue; }
  bool Searching() const { return FSearching; }
  void SetSearching(bool AValue) { FSearching = AValue; }
  const AnsiString& SearchText() const { return FSearchText; }
  void SetSearchText(const AnsiString& AValue) { FSearchText = AValue; }
  bool ProviderActive() const { return FActive; }
  bool IsDataReloaded() const { return FDataReloaded; }
  void SetGroupingChangedMark() { FGroupingChanged = true; }
  void SetSortingChangedMark() { FSortingChanged = true; }
  bool GroupingChangedMark() const { return FGroupingChanged; }
  bool SortingChangedMark() const { return FSortingChanged; }
  void ClearUpdateMarks();
  void ClearDataReloadedMark() { FDataReloaded = false; }
  Integer LocateCount() const { return FLocateCount; }
  void BeginLocate();
  void EndLocate();
  TcxCustomDataField* RecordHandleField() const { return FRecordHandleField; }
  bool InFocusRefresh() const { return FInFocusRefresh; }

  // Events.
  TcxDataControllerNotifyEvent OnAfterCancel, OnAfterDelete, OnAfterInsert, OnAfterPost,
      OnBeforeCancel;
  TcxDataControllerRecordEvent OnBeforeDelete;
  TcxDataControllerNotifyEvent OnBeforeInsert, OnBeforePost;
  TcxDataControllerRecordEvent OnNewRecord;
  TcxDataControllerCompareEvent OnCompare;
  TNotifyEvent OnDataChanged;
  TcxDataControllerDetailExpandingEvent OnDetailCollapsing;
  TcxDataControllerDetailExpandedEvent OnDetailCollapsed;
  TcxDataControllerDetailExpandingEvent OnDetailExpanding;
  TcxDataControllerDetailExpandedEvent OnDetailExpanded;
  TNotifyEvent OnGroupingChanged;
  TcxDataRecordChangedEvent OnRecordChanged;
  TNotifyEvent OnSortingChanged;
  TcxUpdateControlEvent OnUpdateControl;

protected:
  TPersistent* GetOwner() override { return FOwner; }
  bool PartsCreated() const { return FProvider != nullptr; }

private:
  friend class TcxCustomDataProvider;
  friend class TcxCustomDataControllerInfo;
  friend class TcxDataControllerSearch;
  friend class TcxCustomDataRelationList;
  friend class TcxSaveObject;
  friend class TcxDataSummary;

  struct TDataChangeInfo {
    Byte Kind = dcTotal;
    Integer ItemIndex = -1;
    Integer RecordIndex = -1;
  };

  void DeliverChanges();
  void NotifyDataChanged();
  void NotifyLayoutChanged();
  void NotifyUpdateRecord();
  void NotifyFocusedChanged();
  void NotifySelectionChanged();
  void NotifySearchChanged();
  void NotifyBookmarkChanged();
  void FireDataChanged();
  void InternalRecordsFreedCallback(TObject* Sender) { InternalRecordsFreed(); }
  void DetachListenerLinks();
  bool CheckRecordIndex(Integer ARecordIndex);

  bool FActive = false;
  bool FAfterSummaryFlag = false;
  Integer FBookmarkRecordIndex = -1;
  bool FDataChangedFlag = false;
  Integer FLookupLockCount = 0;
  Word FChanges = 0;
  bool FInDetailLink = false;
  std::vector<TNotifyEvent> FDataChangedListeners;
  std::unique_ptr<TcxCustomDataControllerInfo> FDataControllerInfo;
  std::unique_ptr<TcxDataStorage> FDataStorage;
  bool FDestroying = false;
  bool FGroupingChanged = false;
  bool FDataReloaded = false;
  std::unique_ptr<TcxDataControllerGroups> FGroups;
  std::unique_ptr<TcxCustomDataFieldList> FFields;
  std::unique_ptr<TcxDataFilterCriteria> FFilter;
  bool FFocusedSelected = true;
  TcxCustomDataField* FFindFilterField = nullptr;
  AnsiString FFindFilterText;
  TcxCustomDataField* FSearchField = nullptr;
  bool FSearching = false;
  AnsiString FSearchText;
  bool FInFocusRefresh = false;
  bool FInSortingChangedEvent = false;
  bool FDisplayTextSortingOff = false;
  bool FExplicitPattern = false;
  bool FInAppending = false;
  std::vector<TcxDataListenerLink*> FListenerLinks;
  Integer FLocateCount = 0;
  Integer FNewItemRecordIndex = 0;
  bool FNewItemRowFocused = false;
  Integer FMasterRecordIndex = -1;
  TcxCustomDataRelation* FMasterRelation = nullptr;
  bool FMultiSelect = false;
  std::unique_ptr<TcxDataControllerNotifier> FNotifier;
  TcxDataControllerOptions FOptions = cxDataControllerDefaultOptions;
  TComponent* FOwner;
  Integer FPrevSelectedCount = 0;
  Integer FPrevSelectedRowIndex = -1;
  std::unique_ptr<TcxCustomDataProvider> FProvider;
  TcxCustomDataField* FRecordHandleField = nullptr;
  bool FInDetailLinkRetry = false;
  std::unique_ptr<TcxCustomDataRelationList> FRelations;
  std::unique_ptr<TcxSaveObject> FSaveObject;
  Integer FSaveObjectLockCount = 0;
  std::unique_ptr<TcxDataControllerSearch> FSearch;
  bool FSortingChanged = false;
  bool FReloadPendingWhileLocked = false;
  bool FStructureChanged = false;
  std::unique_ptr<TcxDataSummary> FSummary;
  bool FInRequestReload = false;
  bool FNewItemRowVisible = false;
  TDataChangeInfo FDataChangeInfo;
};

// Unit start-up: the published properties of the controller's parts.
void cxCustomDataInitialization();
void cxCustomDataFinalization();
