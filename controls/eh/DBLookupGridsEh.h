// The lookup grid: a data grid (TCustomDBGridEh, DBGridEh.h) turned into a list for choosing
// a key. It shows the records of a list dataset (ListSource, the grid's own data source); the
// current choice is KeyValue, whose row is highlighted; choosing a row writes its key into
// the master field(s) DataField of the master data source (DataSource), or only into KeyValue
// when no master field is bound. A single lookup field as DataField brings the list dataset,
// key and display fields with it. An optional special row (TSpecRowEh, DropDownsEh.h) above
// the data offers one extra value. TPopupDataGridEh is the same grid as a drop-down window
// that never takes the focus. DBLookupGridsEh.cpp holds binding and key logic,
// DBLookupGridsEhInput.cpp keys, search, mouse, scrolling and sizing, DBLookupGridsEhPopup.cpp
// the popup.
#pragma once

#include <memory>
#include <vector>

#include "controls/eh/DBGridEh.h"
#include "controls/eh/DropDownsEh.h"
#include "controls/eh/EhHelpers.h"

class TDBLookupGridEh;

enum TDBLookupGridEhOption {
  dlgColumnResizeEh,
  dlgColLinesEh,
  dlgRowLinesEh,
  dlgAutoSortMarkingEh,
  dlgMultiSortMarkingEh
};
using TDBLookupGridEhOptions = TSet<TDBLookupGridEhOption>;

// Refused property settings of the lookup grid.
inline constexpr const char* SPropDefByLookup = "Property already defined by lookup field";

// The link to the master data source: activation and layout changes re-bind the grid to the
// master, record changes re-read the key, and a request to focus the grid's first master
// field focuses the grid.
class TLookupGridDataLinkEh : public TDataLink {
public:
  explicit TLookupGridDataLinkEh(TDBLookupGridEh* Grid) : FGrid(Grid) {}
  void DetachGrid() { FGrid = nullptr; }

protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void FocusControl(TField** Field) override;

private:
  TDBLookupGridEh* FGrid;
};

class TDBLookupGridColumnEh;

// A column's cell in the special row: Text, Color and Font follow the grid's special row
// until assigned (its cell text for the column's index, its colour, its font).
class TGridColumnSpecCellEh : public TPersistent {
public:
  explicit TGridColumnSpecCellEh(TDBLookupGridColumnEh* Column);
  ~TGridColumnSpecCellEh() override;

  AnsiString Text() const;
  void SetText(const AnsiString& Value);
  TColor Color() const;
  void SetColor(TColor Value);
  TFont* Font() const;
  void SetFont(TFont* Value);
  bool TextAssigned() const { return FTextAssigned; }
  bool ColorAssigned() const { return FColorAssigned; }
  bool FontAssigned() const { return FFontAssigned; }
  // Copies the other cell's effective Text and Color, and its Font only when assigned there.
  void Assign(TPersistent* Source) override;

protected:
  TPersistent* GetOwner() override;

private:
  TSpecRowEh* SpecRow() const;
  void FontChanged(TObject* Sender);
  void Changed();

  TDBLookupGridColumnEh* FColumn;
  AnsiString FText;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  bool FTextAssigned = false;
  bool FColorAssigned = false;
  bool FFontAssigned = false;
  bool FRefreshingFont = false;
};

// The lookup grid's column: a grid column with its cell in the special row.
class TDBLookupGridColumnEh : public TColumnEh {
public:
  explicit TDBLookupGridColumnEh(TCollection* Collection = nullptr);
  ~TDBLookupGridColumnEh() override;

  TGridColumnSpecCellEh* SpecCell() const { return FSpecCell.get(); }
  void SetSpecCell(TGridColumnSpecCellEh* Value) { FSpecCell->Assign(Value); }
  void Assign(TPersistent* Source) override;

private:
  std::unique_ptr<TGridColumnSpecCellEh> FSpecCell;
};

// The lookup grid's column defaults.
class TDBLookupGridColumnDefValuesEh : public TColumnDefValuesEh {
public:
  using TColumnDefValuesEh::TColumnDefValuesEh;
};

class TDBLookupGridEh : public TCustomDBGridEh {
public:
  explicit TDBLookupGridEh(TComponent* AOwner);
  ~TDBLookupGridEh() override;

  // ---- Binding ----
  // The master data source (not the grid's own data source, which is ListSource).
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* Value);
  const AnsiString& DataField() const { return FDataFieldName; }
  void SetDataField(const AnsiString& Value);
  TDataSource* ListSource() const { return TCustomDBGridEh::DataSource(); }
  void SetListSource(TDataSource* Value);
  // Reads '' in lookup mode (the key fields are the lookup field's).
  AnsiString KeyField() const { return FLookupMode ? AnsiString() : FKeyFieldName; }
  void SetKeyField(const AnsiString& Value);
  const AnsiString& ListField() const { return FListFieldName; }
  void SetListField(const AnsiString& Value);
  Integer ListFieldIndex() const { return FListFieldIndex; }
  void SetListFieldIndex(Integer Value);
  // The chosen key: Null at first, an array for several key fields.
  const Variant& KeyValue() const { return FKeyValue; }
  void SetKeyValue(const Variant& Value);
  // The display text of the chosen key.
  const AnsiString& Text() const { return FText; }
  TSpecRowEh* SpecRow() const { return FSpecRow.get(); }
  void SetSpecRow(TSpecRowEh* Value) { FSpecRow->Assign(Value); }
  TDBLookupGridEhOptions LookupOptions() const { return FLookupOptions; }
  void SetLookupOptions(TDBLookupGridEhOptions Value);
  Integer ListRowCount() const { return FRowCount; }
  void SetListRowCount(Integer Value);
  bool ShowTitles() const { return Options().Contains(dgTitles); }
  void SetShowTitles(bool Value);
  // The lookup grid's own fit flag: columns share the client width, no horizontal bar.
  bool AutoFitColWidths() const { return FAutoFitColWidths; }
  void SetAutoFitColWidths(bool Value);
  // The master link's read-only flag.
  bool ReadOnly() const;
  void SetReadOnly(bool Value);
  // Multi-level titles change the title height: the rows are fitted again.
  void SetUseMultiTitle(bool Value);
  bool PopupMode() const { return FPopupMode; }
  void SetPopupMode(bool Value) { FPopupMode = Value; }

  // ---- State ----
  bool ListActive() const { return FListActive; }
  bool LookupMode() const { return FLookupMode; }
  const AnsiString& SearchText() const { return FSearchText; }
  TField* ListFieldObject() const { return FListField; }
  const TFieldsArrEh& ListFields() const { return FListFields; }
  const TFieldsArrEh& KeyFields() const { return FKeyFields; }
  const AnsiString& MasterKeyFieldNames() const { return FMasterKeyFieldNames; }
  TLookupGridDataLinkEh* MasterDataLink() const { return FMasterDataLink.get(); }
  // The list window: the records the grid's link buffers and the current one among them.
  Integer ListRecordCount() const { return FRecordCount; }
  Integer ListRecordIndex() const { return FRecordIndex; }
  bool KeyRowIsCurrent() const { return FKeyRowIsCurrent; }
  // The columns' total width (the width a drop-down needs to show them all).
  Integer TotalColumnsWidth();
  // The raw grid row of the special row (-1 when it is hidden).
  Integer SpecRowGridRow() const;
  bool SpecRowShowing() const { return FSpecRow && FSpecRow->Visible(); }

  // ---- Operations ----
  virtual bool CanChangeKey();
  virtual bool KeyValueFits(const TFieldsArrEh& Fields, const Variant& Value);
  virtual Integer BorderHeight();
  virtual Integer SpecRowHeight();
  virtual Integer DataRowHeight();
  virtual void KeyValueChanged();
  virtual void ListWindowChanged();
  virtual void SearchKey(char Key);
  virtual void SelectKey(const Variant& Value);
  virtual void SpecRowSettingsChanged();
  virtual void FitToColumns();
  virtual void DataLinkChanged();
  virtual void ListLinkChanged();
  virtual bool LocateKey();
  // The master record changed (Field, or null for all fields): KeyValue follows the master
  // key fields.
  void MasterRecordChanged(TField* Field);
  // Chooses the list record the list dataset stands on, or the special row.
  void SelectCurrentRecord();
  void SelectSpecRow();
  // Chooses what lies at a client Y: the special row, or the record of the data row (a Y
  // below the client area counts as its last pixel row).
  void SelectAtPoint(Integer Y);

  // ---- Grid overrides ----
  Integer SubTitleRowCount() const override;
  bool RowFocusRectNeeded() override;
  void DataChanged() override;
  void DefineFieldMap() override;
  void LayoutChanged() override;
  void DataLinkStateChanged(bool Value) override;
  void Scroll(Integer Distance) override;
  void DragAutoScroll() override;
  void SyncCurrentRow() override;
  void RecalcRowCount() override;
  void UpdateVertScrollBar() override;
  bool AcquireFocus() override;
  // OnClick fires once per choice (SelectKey), not for row moves or mouse releases.
  void Click() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

protected:
  bool CellHas3DFrame(Integer ACol, Integer ARow, TGridDrawState AState,
                      const TRect& ARect) override;
  bool DataCellHighlightColors(Integer ACol, Integer ARow, Integer DataCol, Integer DataRow,
                               TGridDrawState& State, TColor& Background, TFont* AFont) override;
  TDBGridColumnsEh* CreateColumns() override;
  TColumnDefValuesEh* CreateColumnDefValues() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateWnd() override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void ColWidthsChanged() override;
  void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
  bool TakesFocusOnMouseDown() override { return !FPopupMode; }

  // Whether a client point lies on the special row's band.
  bool InSpecRow(Integer Y);
  // Whether a client point lies on a data cell showing a record.
  bool InDataCells(Integer X, Integer Y);
  // The list dataset (null without an active list link).
  TDataSet* ListDataSet() const;
  bool ListAtBeginning();
  bool Tracking() const { return FTracking; }

private:
  void CheckNotCircular();
  void CheckLookupModeFree();
  void SetLookupMode(bool Value);
  void BindList();
  void DrawSpecRowCell(Integer DataCol, const TRect& ARect);
  // The buffered index of the key's record (-1 when not buffered or KeyValue is Null).
  Integer KeyBufferIndex();
  // Height for Rows data rows with the present titles, border and special row.
  Integer HeightForRows(Integer Rows);
  Integer TitleHeightNow();
  void ApplyRowCount();
  void VertScrollList(TMessage& Message);
  void StartListAutoScroll(Integer Interval);
  void StopListAutoScroll();
  void ReorderSpecCells(Integer From, Integer To);

  std::unique_ptr<TLookupGridDataLinkEh> FMasterDataLink;
  std::unique_ptr<TSpecRowEh> FSpecRow;
  std::unique_ptr<TDataSource> FLookupSource;
  AnsiString FDataFieldName;
  AnsiString FKeyFieldName;
  AnsiString FListFieldName;
  Integer FListFieldIndex = 0;
  Variant FKeyValue = Null();
  AnsiString FText;
  TDBLookupGridEhOptions FLookupOptions{dlgColLinesEh};
  Integer FRowCount = 7;
  bool FAutoFitColWidths = false;
  bool FPopupMode = false;

  TFieldsArrEh FMasterFields;
  TFieldsArrEh FMasterKeyFields;
  AnsiString FMasterKeyFieldNames;
  TFieldsArrEh FKeyFields;
  TFieldsArrEh FListFields;
  TField* FListField = nullptr;
  bool FLookupMode = false;
  bool FListActive = false;
  Integer FRecordCount = 0;
  Integer FRecordIndex = 0;
  Integer FSpecRowHeight = 0;
  AnsiString FSearchText;
  bool FSelectingInternally = false;
  bool FKeyRowIsCurrent = false;
  bool FFocused = false;
  bool FTracking = false;
  bool FListAutoScrollRunning = false;
  Integer FMouseY = 0;
  bool FSizing = false;
  bool FRowCounting = false;
  bool FFitting = false;
  bool FChoosing = false;
};

// The lookup grid as the drop-down of a grid cell: a popup window that never takes the
// focus (its owner hands it the keys), with a size grip; the choice follows the pointer and
// a click inside closes it through OnMouseCloseUp.
class TPopupDataGridEh : public TDBLookupGridEh {
public:
  explicit TPopupDataGridEh(TComponent* AOwner);
  ~TPopupDataGridEh() override;

  TSizeGripEh* SizeGrip() const { return FSizeGrip; }
  // Set by every resize of the window; the owner reads it to keep a user's size.
  bool SizeGripResized() const { return FSizeGripResized; }
  void SetSizeGripResized(bool Value) { FSizeGripResized = Value; }
  bool UserAction() const { return FUserAction; }

  void KeyValueChanged() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetFocus() override {}
  // Runs a key of the owner's (which keeps the focus) as the popup's own key.
  void HandleOwnerKey(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }

  // A mouse release ended the choice (Accept: over a row inside the window).
  TCloseUpEventEh OnMouseCloseUp;
  TNotifyEvent OnUserKeyValueChanged;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  TSizeGripEh* FSizeGrip;
  bool FSizeGripResized = false;
  bool FUserAction = false;
  bool FClickStartedInside = false;
};

void DBLookupGridsEhInitialization();
