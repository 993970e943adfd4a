// The lookup grid's binding to its master and its list, the key logic, the special row's
// cells and their drawing, and the unit's class registrations (see DBLookupGridsEh.h).
#include "controls/eh/DBLookupGridsEh.h"

#include <algorithm>

#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

namespace {

bool ContainsField(const TFieldsArrEh& Fields, const TField* Field)
{
  return std::find(Fields.begin(), Fields.end(), Field) != Fields.end();
}

AnsiString JoinFieldNames(const TFieldsArrEh& Fields)
{
  AnsiString names;
  for (TField* f : Fields) {
    if (!names.empty())
      names += ';';
    names += f->FieldName();
  }
  return names;
}

void RegisterLookupGridClasses()
{
  TClassRegistration<TGridColumnSpecCellEh, TPersistent>("TGridColumnSpecCellEh")
      .Abstract()
      .Property("Color", &TGridColumnSpecCellEh::Color, &TGridColumnSpecCellEh::SetColor)
      .Type(TColorTypeInfo())
      .Stored(&TGridColumnSpecCellEh::ColorAssigned)
      .Property("Font", &TGridColumnSpecCellEh::Font, &TGridColumnSpecCellEh::SetFont)
      .Stored(&TGridColumnSpecCellEh::FontAssigned)
      .Property("Text", &TGridColumnSpecCellEh::Text, &TGridColumnSpecCellEh::SetText)
      .Stored(&TGridColumnSpecCellEh::TextAssigned);
  TClassRegistration<TDBLookupGridColumnEh, TColumnEh>("TDBLookupGridColumnEh")
      .Property("SpecCell", &TDBLookupGridColumnEh::SpecCell, &TDBLookupGridColumnEh::SetSpecCell);
  TClassRegistration<TDBLookupGridColumnDefValuesEh, TPersistent>("TDBLookupGridColumnDefValuesEh")
      .Abstract();
  TClassRegistration<TDBLookupGridEh, TCustomDBGridEh>("TDBLookupGridEh");
  TClassRegistration<TPopupDataGridEh, TDBLookupGridEh>("TPopupDataGridEh");
}

} // namespace

void DBLookupGridsEhInitialization()
{
  RegisterLookupGridClasses();
}

// ---- TLookupGridDataLinkEh ----

void TLookupGridDataLinkEh::ActiveChanged()
{
  if (FGrid)
    FGrid->DataLinkChanged();
}

void TLookupGridDataLinkEh::LayoutChanged()
{
  if (FGrid)
    FGrid->DataLinkChanged();
}

void TLookupGridDataLinkEh::RecordChanged(TField* Field)
{
  if (FGrid)
    FGrid->MasterRecordChanged(Field);
}

void TLookupGridDataLinkEh::FocusControl(TField** Field)
{
  if (!FGrid || !Field || !*Field)
    return;
  TDataSet* ds = DataSet();
  if (!ds || FGrid->DataField().empty())
    return;
  Integer pos = 1;
  AnsiString first = ExtractFieldName(FGrid->DataField(), pos);
  if (*Field == ds->FindField(first) && FGrid->CanFocus()) {
    *Field = nullptr;
    FGrid->SetFocus();
  }
}

// ---- TGridColumnSpecCellEh ----

TGridColumnSpecCellEh::TGridColumnSpecCellEh(TDBLookupGridColumnEh* Column)
    : FColumn(Column), FFont(std::make_unique<TFont>())
{
  FFont->OnChange = TNotifyEvent::Bind(this, &TGridColumnSpecCellEh::FontChanged);
}

TGridColumnSpecCellEh::~TGridColumnSpecCellEh() = default;

TPersistent* TGridColumnSpecCellEh::GetOwner()
{
  return FColumn;
}

TSpecRowEh* TGridColumnSpecCellEh::SpecRow() const
{
  auto* grid = FColumn ? dynamic_cast<TDBLookupGridEh*>(FColumn->Grid()) : nullptr;
  return grid ? grid->SpecRow() : nullptr;
}

AnsiString TGridColumnSpecCellEh::Text() const
{
  if (FTextAssigned)
    return FText;
  TSpecRowEh* row = SpecRow();
  return row ? row->TextOfCell(FColumn->Index()) : AnsiString();
}

void TGridColumnSpecCellEh::SetText(const AnsiString& Value)
{
  if (FTextAssigned && Value == FText)
    return;
  if (!FTextAssigned && Value == Text())
    return;
  FText = Value;
  FTextAssigned = true;
  Changed();
}

TColor TGridColumnSpecCellEh::Color() const
{
  if (FColorAssigned)
    return FColor;
  TSpecRowEh* row = SpecRow();
  return row ? row->Color() : clWindow;
}

void TGridColumnSpecCellEh::SetColor(TColor Value)
{
  if (Value == Color() && (FColorAssigned || SpecRow()))
    return;
  FColor = Value;
  FColorAssigned = true;
  Changed();
}

TFont* TGridColumnSpecCellEh::Font() const
{
  // Until assigned the cell's font is the special row's, refreshed without assigning it.
  if (!FFontAssigned)
    if (TSpecRowEh* row = SpecRow()) {
      auto* self = const_cast<TGridColumnSpecCellEh*>(this);
      self->FRefreshingFont = true;
      TScopeExit done([self] { self->FRefreshingFont = false; });
      self->FFont->Assign(row->Font());
    }
  return FFont.get();
}

void TGridColumnSpecCellEh::SetFont(TFont* Value)
{
  FFont->Assign(Value);
}

void TGridColumnSpecCellEh::FontChanged(TObject*)
{
  if (FRefreshingFont)
    return;
  FFontAssigned = true;
  Changed();
}

void TGridColumnSpecCellEh::Changed()
{
  if (FColumn)
    if (TCustomDBGridEh* grid = FColumn->Grid())
      grid->Invalidate();
}

void TGridColumnSpecCellEh::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TGridColumnSpecCellEh*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  SetText(source->Text());
  SetColor(source->Color());
  if (source->FFontAssigned)
    SetFont(source->FFont.get());
}

// ---- TDBLookupGridColumnEh ----

TDBLookupGridColumnEh::TDBLookupGridColumnEh(TCollection* Collection)
    : TColumnEh(Collection), FSpecCell(std::make_unique<TGridColumnSpecCellEh>(this))
{
}

TDBLookupGridColumnEh::~TDBLookupGridColumnEh() = default;

void TDBLookupGridColumnEh::Assign(TPersistent* Source)
{
  TColumnEh::Assign(Source);
  if (auto* source = dynamic_cast<TDBLookupGridColumnEh*>(Source))
    FSpecCell->Assign(source->SpecCell());
}

// ---- TDBLookupGridEh: creation ----

TDBLookupGridEh::TDBLookupGridEh(TComponent* AOwner) : TCustomDBGridEh(AOwner)
{
  // The base made its own columns and defaults before this class existed.
  FColumns.reset(CreateColumns());
  FColumnDefValues.reset(CreateColumnDefValues());
  FMasterDataLink = std::make_unique<TLookupGridDataLinkEh>(this);
  FMasterDataLink->SetControl(this);
  FLookupSource = std::make_unique<TDataSource>();
  FSpecRow = std::make_unique<TSpecRowEh>(this);
  FSpecRow->OnChanged = [this](TObject*) { SpecRowSettingsChanged(); };
  SetParentColor(false);
  SetOptions(TDBGridEhOptions{dgColLines, dgFullRowSelect});
  SetExtOptions(ExtOptions() + TDBGridEhExtOptions{dgxLiveColSizingEh});
  HorzScrollBar()->SetTracking(true);
  VertScrollBar()->SetTracking(true);
  SetFlat(true);
  SetMemoAsText(true);
  SetTitleTextSpacing(5);
  SetTabStop(false);
}

TDBLookupGridEh::~TDBLookupGridEh()
{
  if (TDataSource* master = FMasterDataLink->DataSource())
    master->RemoveFreeNotification(this);
  FMasterDataLink->DetachGrid();
  FMasterDataLink->SetDataSource(nullptr);
  // The list lets go while every member is alive: the internal source dies with this class,
  // and the link's notification of it would reach members already destroyed.
  TCustomDBGridEh::SetDataSource(nullptr);
  FListActive = false;
  FListFields.clear();
  FKeyFields.clear();
  FListField = nullptr;
}

TDBGridColumnsEh* TDBLookupGridEh::CreateColumns()
{
  return new TDBGridColumnsEh(this, CollectionItemClass<TDBLookupGridColumnEh>());
}

TColumnDefValuesEh* TDBLookupGridEh::CreateColumnDefValues()
{
  return new TDBLookupGridColumnDefValuesEh(this);
}

void TDBLookupGridEh::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomDBGridEh::Notification(AComponent, Operation);
  if (Operation == opRemove && FMasterDataLink && AComponent == FMasterDataLink->DataSource())
    SetDataSource(nullptr);
}

// ---- Properties ----

TDataSource* TDBLookupGridEh::DataSource() const
{
  return FMasterDataLink->DataSource();
}

void TDBLookupGridEh::SetDataSource(TDataSource* Value)
{
  TDataSource* old = FMasterDataLink->DataSource();
  if (Value == old)
    return;
  if (old)
    old->RemoveFreeNotification(this);
  FMasterDataLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
}

void TDBLookupGridEh::SetDataField(const AnsiString& Value)
{
  if (Value == FDataFieldName)
    return;
  FDataFieldName = Value;
  DataLinkChanged();
}

void TDBLookupGridEh::CheckLookupModeFree()
{
  if (FLookupMode)
    DatabaseError(SPropDefByLookup, this);
  if (FMasterDataLink->DataSourceFixed())
    DatabaseError(SDataSourceFixed, this);
}

void TDBLookupGridEh::SetListSource(TDataSource* Value)
{
  CheckLookupModeFree();
  TCustomDBGridEh::SetDataSource(Value);
}

void TDBLookupGridEh::SetKeyField(const AnsiString& Value)
{
  CheckLookupModeFree();
  if (Value == FKeyFieldName)
    return;
  FKeyFieldName = Value;
  ListLinkChanged();
  LayoutChanged();
  FitToColumns();
}

void TDBLookupGridEh::SetListField(const AnsiString& Value)
{
  if (Value == FListFieldName)
    return;
  FListFieldName = Value;
  ListLinkChanged();
  LayoutChanged();
  FitToColumns();
}

void TDBLookupGridEh::SetListFieldIndex(Integer Value)
{
  if (Value == FListFieldIndex)
    return;
  FListFieldIndex = Value;
  if (!FLookupMode && FListActive && !FListFields.empty())
    FListField = FListFields[Value >= 0 && Value < static_cast<Integer>(FListFields.size())
                                 ? static_cast<std::size_t>(Value)
                                 : 0];
  KeyValueChanged();
}

void TDBLookupGridEh::SetKeyValue(const Variant& Value)
{
  if (SameVariantValues(FKeyValue, Value) && VarType(FKeyValue) == VarType(Value))
    return;
  FKeyValue = Value;
  KeyValueChanged();
}

bool TDBLookupGridEh::ReadOnly() const
{
  return FMasterDataLink->ReadOnly();
}

void TDBLookupGridEh::SetReadOnly(bool Value)
{
  FMasterDataLink->SetReadOnly(Value);
}

void TDBLookupGridEh::SetLookupOptions(TDBLookupGridEhOptions Value)
{
  FLookupOptions = Value;
  auto map = [](TDBGridEhOptions& Set, bool On, TDBGridEhOption Flag) {
    if (On)
      Set.Include(Flag);
    else
      Set.Exclude(Flag);
  };
  TDBGridEhOptions o = Options();
  map(o, Value.Contains(dlgColumnResizeEh), dgColumnResize);
  map(o, Value.Contains(dlgColLinesEh), dgColLines);
  map(o, Value.Contains(dlgRowLinesEh), dgRowLines);
  SetOptions(o);
  TDBGridEhExtOptions x = ExtOptions();
  if (Value.Contains(dlgAutoSortMarkingEh))
    x.Include(dgxAutoSortMarkingEh);
  else
    x.Exclude(dgxAutoSortMarkingEh);
  if (Value.Contains(dlgMultiSortMarkingEh))
    x.Include(dgxMultiSortMarkingEh);
  else
    x.Exclude(dgxMultiSortMarkingEh);
  SetExtOptions(x);
  ApplyRowCount();
}

void TDBLookupGridEh::SpecRowSettingsChanged()
{
  if (ComponentState().Contains(csLoading))
    return;
  // A special row shown or hidden changes the header rows and the height.
  RecalcRowCount();
  ApplyRowCount();
  Invalidate();
}

// ---- Binding to the master ----

TDataSet* TDBLookupGridEh::ListDataSet() const
{
  TGridDataLinkEh* link = DataLink();
  return link && link->Active() ? link->DataSet() : nullptr;
}

void TDBLookupGridEh::CheckNotCircular()
{
  TDataSource* master = FMasterDataLink->DataSource();
  TDataSet* list = ListDataSet();
  if (master && list && master->IsLinkedTo(list))
    DatabaseError(SCircularDataLink, this);
}

void TDBLookupGridEh::DataLinkChanged()
{
  FMasterKeyFieldNames.clear();
  FMasterFields.clear();
  FMasterKeyFields.clear();
  TDataSet* master = FMasterDataLink->Active() ? FMasterDataLink->DataSet() : nullptr;
  if (master && !FDataFieldName.empty()) {
    CheckNotCircular();
    ParseFieldList(&FMasterFields, master, this, FDataFieldName);
    if (FMasterFields.size() == 1 && FMasterFields[0]->FieldKind() == fkLookup)
      ParseFieldList(&FMasterKeyFields, master, this, FMasterFields[0]->KeyFields());
    else
      FMasterKeyFields = FMasterFields;
    FMasterKeyFieldNames = JoinFieldNames(FMasterKeyFields);
  }
  SetLookupMode(FMasterFields.size() == 1 && FMasterFields[0]->FieldKind() == fkLookup);
  MasterRecordChanged(nullptr);
}

void TDBLookupGridEh::SetLookupMode(bool Value)
{
  if (Value) {
    TField* lookup = FMasterFields[0];
    FLookupMode = true;
    FKeyFieldName = lookup->LookupKeyFields();
    FLookupSource->SetDataSet(lookup->LookupDataSet());
    if (TCustomDBGridEh::DataSource() != FLookupSource.get())
      TCustomDBGridEh::SetDataSource(FLookupSource.get());
    else
      ListLinkChanged();
    return;
  }
  if (!FLookupMode)
    return;
  FLookupMode = false;
  TCustomDBGridEh::SetDataSource(nullptr);
  FKeyFieldName.clear();
  FLookupSource->SetDataSet(nullptr);
  FMasterKeyFields = FMasterFields;
  FMasterKeyFieldNames = JoinFieldNames(FMasterKeyFields);
}

void TDBLookupGridEh::MasterRecordChanged(TField* Field)
{
  if (Field && !ContainsField(FMasterKeyFields, Field))
    return;
  TDataSet* master = FMasterDataLink->DataSet();
  if (FMasterKeyFields.empty() || !master)
    SetKeyValue(Null());
  else
    SetKeyValue(master->FieldValues(FMasterKeyFieldNames));
}

// ---- Binding to the list ----

void TDBLookupGridEh::ListLinkChanged()
{
  FListActive = false;
  FListField = nullptr;
  FListFields.clear();
  FKeyFields.clear();
  if (ListDataSet() && !FKeyFieldName.empty())
    BindList();
  if (FListActive)
    KeyValueChanged();
  else
    ListWindowChanged();
}

void TDBLookupGridEh::BindList()
{
  CheckNotCircular();
  TDataSet* list = ListDataSet();
  ParseFieldList(&FKeyFields, list, this, FKeyFieldName);
  try {
    ParseFieldList(&FListFields, list, nullptr, FListFieldName);
  } catch (EDatabaseError&) {
    FKeyFields.clear();
    FListFields.clear();
    DatabaseErrorFmt(SFieldNotFound, FListFieldName, this);
  }
  if (FLookupMode) {
    FListField = list->FieldByName(FMasterFields[0]->LookupResultField());
    if (!ContainsField(FListFields, FListField))
      FListFields.insert(FListFields.begin(), FListField);
  } else {
    if (FListFields.empty())
      FListFields = FKeyFields;
    bool inRange =
        FListFieldIndex >= 0 && FListFieldIndex < static_cast<Integer>(FListFields.size());
    FListField = FListFields[inRange ? static_cast<std::size_t>(FListFieldIndex) : 0];
  }
  FListActive = true;
}

void TDBLookupGridEh::DataLinkStateChanged(bool Value)
{
  ListLinkChanged();
  TCustomDBGridEh::DataLinkStateChanged(Value);
  FitToColumns();
}

void TDBLookupGridEh::DefineFieldMap()
{
  if (Columns()->IsCustomized()) {
    TCustomDBGridEh::DefineFieldMap();
    return;
  }
  DataLink()->SetMapFromColumns(false);
  if (FListActive)
    for (TField* f : FListFields)
      DataLink()->MapField(f->FieldName());
}

// ---- Keys ----

bool TDBLookupGridEh::CanChangeKey()
{
  if (!FListActive || ReadOnly())
    return false;
  if (!FMasterDataLink->DataSource())
    return true;
  return std::all_of(FMasterKeyFields.begin(), FMasterKeyFields.end(),
                     [](TField* f) { return f->CanModify(); });
}

bool TDBLookupGridEh::KeyValueFits(const TFieldsArrEh& Fields, const Variant& Value)
{
  if (Fields.size() == 1)
    return !VarIsArray(Value);
  if (Fields.size() < 2 || !VarIsArray(Value) || VarArrayDimCount(Value) != 1)
    return false;
  return VarArrayHighBound(Value, 1) - VarArrayLowBound(Value, 1) + 1 ==
         static_cast<Integer>(Fields.size());
}

bool TDBLookupGridEh::LocateKey()
{
  TDataSet* list = ListDataSet();
  if (VarIsNull(FKeyValue) || VarIsEmpty(FKeyValue) || !list || !list->Active() ||
      !KeyValueFits(FKeyFields, FKeyValue))
    return false;
  try {
    Variant key = FKeyValue;
    if (!list->Locate(FKeyFieldName, key, {}))
      return false;
    // A handler run by the move may have changed the key.
    FKeyValue = key;
    // The memory-table view puts the key's row in the middle of the visible rows.
    if (MemTableViewActive() && HandleAllocated())
      ClampedSetTopRow(std::max(FixedRows(), Row() - VisibleDataRowCount() / 2));
    return true;
  } catch (Exception&) {
    return false;
  }
}

void TDBLookupGridEh::KeyValueChanged()
{
  // Whether the list stands on the key's record (a choice made in the list always does).
  bool located = FSelectingInternally;
  if (FSpecRow->Visible()) {
    FSpecRow->SetIsCurrent(SameVariantValues(FKeyValue, FSpecRow->Value()));
    if (!FSelectingInternally && !FSpecRow->IsCurrent() && FSpecRow->ShowIfNotInKeyList()) {
      located = LocateKey();
      if (located)
        ListWindowChanged();
      else
        FSpecRow->SetIsCurrent(true);
    }
  } else
    FSpecRow->SetIsCurrent(false);
  if (FListActive && !FSelectingInternally) {
    located = LocateKey();
    if (located || FSpecRow->IsCurrent())
      ListWindowChanged();
    else if (TDataSet* list = ListDataSet())
      list->First();
  }
  // A key that is not in the list has no text: the record the list stands on is another.
  if (!FListField)
    FText.clear();
  else if (FSpecRow->Visible() && FSpecRow->IsCurrent())
    FText = FSpecRow->TextOfCell(FListFieldIndex);
  else if (located && !VarIsNull(FKeyValue))
    FText = FListField->DisplayText();
  else
    FText.clear();
  SyncCurrentRow();
  Invalidate();
}

void TDBLookupGridEh::SelectKey(const Variant& Value)
{
  TDestroyWatch watch(this);
  if (FMasterKeyFields.empty())
    SetKeyValue(Value);
  else if (FMasterDataLink->Edit())
    AssignFieldValues(FMasterDataLink->DataSet(), FMasterKeyFieldNames, Value);
  if (watch.Destroyed())
    return;
  SyncCurrentRow();
  Invalidate();
  FChoosing = true;
  TScopeExit done([this, &watch] {
    if (!watch.Destroyed())
      FChoosing = false;
  });
  Click();
}

void TDBLookupGridEh::Click()
{
  if (FChoosing)
    TCustomDBGridEh::Click();
}

void TDBLookupGridEh::SelectCurrentRecord()
{
  TDataSet* list = ListDataSet();
  if (!list || FKeyFieldName.empty())
    return;
  FSelectingInternally = true;
  TScopeExit done([this] { FSelectingInternally = false; });
  bool wasSpec = FSpecRow->IsCurrent();
  FSpecRow->SetIsCurrent(false);
  Variant value = list->FieldValues(FKeyFieldName);
  if (!SameVariantValues(value, FKeyValue))
    SelectKey(value);
  else if (wasSpec) {
    SyncCurrentRow();
    Invalidate();
  }
}

void TDBLookupGridEh::SelectSpecRow()
{
  FSelectingInternally = true;
  TScopeExit done([this] { FSelectingInternally = false; });
  if (!SameVariantValues(FSpecRow->Value(), FKeyValue))
    SelectKey(FSpecRow->Value());
  FSpecRow->SetIsCurrent(true);
  Invalidate();
}

// ---- The current row and the highlight ----

Integer TDBLookupGridEh::KeyBufferIndex()
{
  TGridDataLinkEh* link = DataLink();
  if (!FListActive || VarIsNull(FKeyValue) || !link->Active())
    return -1;
  Integer saved = link->ActiveRecord();
  TScopeExit restore([&] { link->SetActiveRecord(saved); });
  for (Integer i = 0; i < link->RecordCount(); ++i) {
    link->SetActiveRecord(i);
    if (SameVariantValues(link->DataSet()->FieldValues(FKeyFieldName), FKeyValue))
      return i;
  }
  return -1;
}

void TDBLookupGridEh::SyncCurrentRow()
{
  if (IncSearchActive())
    StopIncrementalSearch();
  FKeyRowIsCurrent = false;
  if (!DataLink()->Active() || !HandleAllocated() || ComponentState().Contains(csLoading))
    return;
  if (MemTableViewActive()) {
    TCustomDBGridEh::SyncCurrentRow();
    TDataSet* list = ListDataSet();
    FKeyRowIsCurrent = FListActive && !VarIsNull(FKeyValue) &&
                       SameVariantValues(list->FieldValues(FKeyFieldName), FKeyValue);
    return;
  }
  Integer index = KeyBufferIndex();
  if (index < 0)
    return;
  Integer row = index + HeaderRowCount();
  if (row >= RowCount())
    return;
  if (row != Row()) {
    if (!Options().Contains(dgAlwaysShowEditor))
      HideEditor();
    MoveColRow(Col(), row, false, false);
  }
  FKeyRowIsCurrent = true;
}

bool TDBLookupGridEh::RowFocusRectNeeded()
{
  return FKeyRowIsCurrent && TCustomDBGridEh::RowFocusRectNeeded();
}

bool TDBLookupGridEh::DataCellHighlightColors(Integer, Integer, Integer, Integer, TGridDrawState&,
                                              TColor& Background, TFont* AFont)
{
  TDataSet* list = ListDataSet();
  if (VarIsNull(FKeyValue) || !FListActive || !list || LayoutLock() != 0)
    return false;
  if (!SameVariantValues(list->FieldValues(FKeyFieldName), FKeyValue))
    return false;
  Background = clHighlight;
  AFont->SetColor(clHighlightText);
  return true;
}

// ---- The special row ----

Integer TDBLookupGridEh::SubTitleRowCount() const
{
  return TCustomDBGridEh::SubTitleRowCount() + (SpecRowShowing() ? 1 : 0);
}

Integer TDBLookupGridEh::SpecRowGridRow() const
{
  return SpecRowShowing() ? HeaderRowCount() - 1 : -1;
}

bool TDBLookupGridEh::CellHas3DFrame(Integer ACol, Integer ARow, TGridDrawState AState,
                                     const TRect& ARect)
{
  if (ARow == SpecRowGridRow())
    return false;
  return TCustomDBGridEh::CellHas3DFrame(ACol, ARow, AState, ARect);
}

void TDBLookupGridEh::DrawCell(Integer ACol, Integer ARow, const TRect& ARect,
                               TGridDrawState AState)
{
  Integer dataCol = RawToDataColumn(ACol);
  if (ARow != SpecRowGridRow() || dataCol < 0 || dataCol >= Columns()->Count() ||
      ComponentState().Contains(csLoading)) {
    TCustomDBGridEh::DrawCell(ACol, ARow, ARect, AState);
    return;
  }
  DrawSpecRowCell(dataCol, ARect);
}

void TDBLookupGridEh::DrawSpecRowCell(Integer DataCol, const TRect& ARect)
{
  TCanvas* canvas = Canvas();
  TColumnEh* column = Columns()->Items(DataCol);
  auto* lookupColumn = dynamic_cast<TDBLookupGridColumnEh*>(column);
  canvas->Font()->Assign(lookupColumn ? lookupColumn->SpecCell()->Font() : FSpecRow->Font());
  TColor bg = lookupColumn ? lookupColumn->SpecCell()->Color() : FSpecRow->Color();
  AnsiString text =
      lookupColumn ? lookupColumn->SpecCell()->Text() : FSpecRow->TextOfCell(column->Index());
  if (FSpecRow->IsCurrent()) {
    bg = clHighlight;
    canvas->Font()->SetColor(clHighlightText);
  }
  // The platform reads left to right only, so the alignment is never mirrored.
  TAlignment align = column->Alignment();
  canvas->Brush()->SetColor(bg);
  Integer m = 2, v = Flat() ? 1 : 2;
  DrawCellText(canvas, ARect, true, m, v, text, align, column->Layout(), false,
               column->EndEllipsis(), 0, 0, false);
}

void TDBLookupGridEh::Paint()
{
  TCustomDBGridEh::Paint();
  if (!FSpecRow->IsCurrent() || SpecRowGridRow() < 0 || LayoutInProgress())
    return;
  // A focus frame around the whole special row while it is the choice.
  Integer row = SpecRowGridRow();
  TRect r = BoxRect(IndicatorColCount(), row, ColCount() - 1, row);
  if (IsRectEmpty(r))
    return;
  TCanvas* canvas = Canvas();
  canvas->Font()->SetColor(clWindowText);
  canvas->Brush()->SetColor(clWindow);
  canvas->DrawFocusRect(r);
}
