// The grid's settings, construction, lock counters, cell classification, the reactions to
// the data link's notifications and to freed components, scaling and the window messages
// of the layout (DBGridEh.h describes the unit).
#include <algorithm>
#include <cmath>

#include "controls/eh/DBGridEh.h"
#include "controls/eh/EditButtonsEh.h"
#include "controls/eh/IMemTableEh.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

namespace {

constexpr Integer kIndicatorWidth = 11;

// The width of an edit button: the system's vertical scroll-bar width, or the flat width.
Integer DefaultButtonWidth(bool Flat)
{
  if (Flat) {
    // Two thirds of the system font's character height, made odd (as flat buttons are
    // drawn symmetric around their arrow).
    Integer h = 16;
    Integer w = static_cast<Integer>(std::nearbyint(h / 3.0 * 2));
    return w % 2 == 0 ? w + 1 : w;
  }
  return GetSystemMetrics(SM_CXVSCROLL);
}

} // namespace

// ---- Column lists ----

Integer TColumnsEhList::Add(TColumnEh* Column)
{
  FItems.push_back(Column);
  return Count() - 1;
}

void TColumnsEhList::Insert(Integer Index, TColumnEh* Column)
{
  FItems.insert(FItems.begin() + std::clamp<Integer>(Index, 0, Count()), Column);
}

void TColumnsEhList::Delete(Integer Index)
{
  FItems.erase(FItems.begin() + Index);
}

Integer TColumnsEhList::Remove(TColumnEh* Column)
{
  Integer i = IndexOf(Column);
  if (i >= 0)
    Delete(i);
  return i;
}

Integer TColumnsEhList::IndexOf(const TColumnEh* Column) const
{
  auto it = std::find(FItems.begin(), FItems.end(), Column);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

void TColumnsEhList::Exchange(Integer A, Integer B)
{
  std::swap(FItems.at(static_cast<std::size_t>(A)), FItems.at(static_cast<std::size_t>(B)));
}

// ---- Construction ----

TCustomDBGridEh::TCustomDBGridEh(TComponent* AOwner) : TCustomGrid(AOwner)
{
  FSTFilter = std::make_unique<TSTDBGridEhFilter>(this);
  FTitleRoot = std::make_unique<THeadTreeNode>("Root", 0, 10);
  ResetStyle();
  TCustomGrid::SetDefaultDrawing(false);
  FFocusOnMouseDown = true;
  FIndicatorColCount = 1;
  FSyncFieldDisplayWidth = true;
  FOptions = TDBGridEhOptions{dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
                              dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit};
  AcquireDrawBitmap();
  TCustomGrid::SetScrollBars(ssHorizontal);
  TCustomGrid::SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                       goColSizing, goColMoving, goEditing, goTabs});
  FColumnDefValues.reset(CreateColumnDefValues());
  FColumns.reset(CreateColumns());
  FVisibleColumns = std::make_unique<TColumnsEhList>();
  SetRowCount(2);
  SetColCount(2);
  FDataLink = std::make_unique<TGridDataLinkEh>(this);
  SetColor(clWindow);
  FFooterColor = clWindow;
  SetParentColor(false);
  FTitleFont = std::make_unique<TFont>();
  FTitleFont->OnChange = TNotifyEvent::Bind(this, &TCustomDBGridEh::TitleFontChanged);
  FSelectedRows = std::make_unique<TBookmarkListEh>(this);
  FSumList = std::make_unique<TDBGridEhSumList>(this);
  FSumList->SumListChanged = [this](TObject*) { SumsChanged(); };
  FSumList->OnRecalcAll = [this](TObject*) {
    if (OnSumListRecalcAll)
      OnSumListRecalcAll(FSumList.get());
  };
  FSumList->OnAfterRecalcAll = [this](TObject*) {
    if (OnSumListAfterRecalcAll)
      OnSumListAfterRecalcAll(FSumList.get());
  };
  FHorzScrollBar.reset(CreateScrollBar(sbHorizontal));
  FVertScrollBar.reset(static_cast<TVertDBGridEhScrollBar*>(CreateScrollBar(sbVertical)));
  FExtOptions =
      TDBGridEhExtOptions{dgxFixed3DEh, dgxHighlightFocusEh, dgxClearSelectionEh, dgxFindDialogEh};
  FSortMarkedColumns = std::make_unique<TColumnsEhList>();
  FSelection = std::make_unique<TDBGridEhSelection>(this);
  FPermittedEdits = TPermittedEditsEh{peInsertEh, peUpdateEh, peDeleteEh, peAppendEh};
  FFooterFont = std::make_unique<TFont>();
  FFooterFont->OnChange = TNotifyEvent::Bind(this, &TCustomDBGridEh::FooterFontChanged);
  FVertCellSpacing = 4;
  FSelectableKinds = TGridSelectionKindsEh{selRowsEh, selRectEh, selColumnsEh, selAllEh};
  FCellParams = std::make_unique<TColCellParamsEh>();
  FUseMemTableView = true;
  FTitleImagesLink = std::make_unique<TChangeLink>();
  FTitleImagesLink->OnChange = TNotifyEvent::Bind(this, &TCustomDBGridEh::TitleImagesChanged);
}

TCustomDBGridEh::~TCustomDBGridEh()
{
  if (FMemTableDataSet)
    FMemTableDataSet->RemoveFreeNotification(this);
  FMemTable = nullptr;
  FMemTableDataSet = nullptr;
  if (FStyle)
    FStyle->RemoveGrid(this);
  FStyle = nullptr;
  FCellParams.reset();
  // The selection goes with the grid; resetting it would reach the editor, which the
  // window's destruction has already taken down.
  // Columns and the link go before the base grid, so no notification reaches a grid that
  // is half destroyed.
  FColumns.reset();
  FSumList.reset();
  FLeaves.clear();
  FColumnDefValues.reset();
  FVisibleColumns.reset();
  FSortMarkedColumns.reset();
  FDataLink.reset();
  FHorzScrollBar.reset();
  FVertScrollBar.reset();
  FTitleFont.reset();
  FSelectedRows.reset();
  FTitleImagesLink.reset();
  FSelection.reset();
  FFooterFont.reset();
  FSTFilter.reset();
  ReleaseDrawBitmap();
}

TColumnDefValuesEh* TCustomDBGridEh::CreateColumnDefValues()
{
  return new TDBGridEhColumnDefValuesEh(this);
}

TDBGridColumnsEh* TCustomDBGridEh::CreateColumns()
{
  return new TDBGridColumnsEh(this, CollectionItemClass<TDBGridColumnEh>());
}

TDBGridEhScrollBar* TCustomDBGridEh::CreateScrollBar(TScrollBarKind Kind)
{
  if (Kind == sbVertical)
    return new TVertDBGridEhScrollBar(this);
  return new TDBGridEhScrollBar(this, Kind);
}

void TCustomDBGridEh::CreateWnd()
{
  BeginUpdate();
  TScopeExit done([&] { EndUpdate(); });
  TCustomGrid::CreateWnd();
  FEditButtonWidth = DefaultButtonWidth(FFlat);
  if (DefaultRowHeight() <= static_cast<Integer>(std::nearbyint(FEditButtonWidth * 3 / 2.0)))
    FEditButtonHeight = DefaultRowHeight();
  else
    FEditButtonHeight = FEditButtonWidth;
  if (FAutoFitColWidths)
    LayoutChanged();
  else {
    RecalcRowCount();
    SyncCurrentRow();
  }
  UpdateVertScrollBar();
  FSavedImeMode = ImeMode();
  FSavedImeName = ImeName();
}

void TCustomDBGridEh::Loaded()
{
  TCustomGrid::Loaded();
  if (FColumns->Count() > 0) {
    SetColCount(FColumns->Count());
    if (FAutoFitColWidths && !ComponentState().Contains(csDesigning)) {
      FColumns->BeginUpdate();
      TScopeExit done([&] { FColumns->EndUpdate(); });
      for (Integer i = 0; i < FColumns->Count(); ++i)
        FColumns->Items(i)->SetAutoFitBaseWidth(FColumns->Items(i)->Width());
      TCustomGrid::SetScrollBars(ssNone);
    }
  }
  FSortMarkedColumns->Clear();
  for (Integer i = 0; i < FColumns->Count(); ++i) {
    Integer n = FColumns->Items(i)->Title()->SortIndex();
    if (n <= 0)
      continue;
    if (FSortMarkedColumns->Count() < n)
      FSortMarkedColumns->SetCount(n);
    FSortMarkedColumns->SetItems(n - 1, FColumns->Items(i));
  }
  LayoutChanged();
  DeferLayout();
}

// ---- Settings ----

TDataSource* TCustomDBGridEh::DataSource() const
{
  return FDataLink ? FDataLink->DataSource() : nullptr;
}

void TCustomDBGridEh::SetDataSource(TDataSource* Value)
{
  if (Value == DataSource())
    return;
  ClearSelection();
  FDataLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
  DataLinkStateChanged(FDataLink->Active());
  FSumList->SetDataSet(Value ? Value->DataSet() : nullptr);
}

void TCustomDBGridEh::SetOptions(TDBGridEhOptions Value)
{
  if (Value.Contains(dgFullRowSelect)) {
    Value.Exclude(dgEditing);
    Value.Exclude(dgAlwaysShowEditor);
  }
  if (Value == FOptions)
    return;
  TGridOptions go;
  if (Value.Contains(dgColLines))
    go.Include(goFixedVertLine).Include(goVertLine);
  if (Value.Contains(dgRowLines))
    go.Include(goFixedHorzLine).Include(goHorzLine);
  if (Value.Contains(dgColumnResize))
    go.Include(goColSizing).Include(goColMoving);
  if (Value.Contains(dgTabs))
    go.Include(goTabs);
  if (Value.Contains(dgFullRowSelect))
    go.Include(goRowSelect);
  if (Value.Contains(dgEditing))
    go.Include(goEditing);
  if (Value.Contains(dgAlwaysShowEditor))
    go.Include(goAlwaysShowEditor);
  if (FRowSizingEnabled)
    go.Include(goRowSizing);
  TDBGridEhOptions old = FOptions;
  FOptions = Value;
  TCustomGrid::SetOptions(go);
  if (old.Contains(dgMultiSelect) && !Value.Contains(dgMultiSelect))
    FSelectedRows->ClearSelected();
  TDBGridEhOptions layoutFlags{
      dgEditing,  dgAlwaysShowEditor, dgTitles,        dgIndicator,
      dgColLines, dgRowLines,         dgFullRowSelect, dgKeepSelectionVisible};
  if (!(((old - Value) + (Value - old)) * layoutFlags).Empty())
    LayoutChanged();
  if (EditorMode())
    InvalidateEditor();
}

void TCustomDBGridEh::SetExtOptions(TDBGridEhExtOptions Value)
{
  if (Value == FExtOptions)
    return;
  bool multiOff =
      FExtOptions.Contains(dgxMultiSortMarkingEh) && !Value.Contains(dgxMultiSortMarkingEh);
  FExtOptions = Value;
  if (multiOff && FSortMarkedColumns->Count() > 1) {
    // Only the first marked column keeps its marker.
    std::vector<TColumnEh*> others;
    for (Integer i = 1; i < FSortMarkedColumns->Count(); ++i)
      others.push_back(FSortMarkedColumns->Items(i));
    FExtOptions.Include(dgxMultiSortMarkingEh);
    for (auto it = others.rbegin(); it != others.rend(); ++it)
      if (*it)
        (*it)->Title()->SetSortMarker(smNoneEh);
    FExtOptions.Exclude(dgxMultiSortMarkingEh);
  }
  LayoutChanged();
}

void TCustomDBGridEh::SetFlat(bool Value)
{
  if (Value == FFlat)
    return;
  FFlat = Value;
  FVertCellSpacing = Value ? 2 : 4;
  if (HandleAllocated())
    RecreateWnd();
  LayoutChanged();
}

void TCustomDBGridEh::SetTitleImages(TCustomImageList* Value)
{
  if (Value == FTitleImages)
    return;
  if (FTitleImages)
    FTitleImages->UnRegisterChanges(FTitleImagesLink.get());
  FTitleImages = Value;
  if (Value) {
    Value->RegisterChanges(FTitleImagesLink.get());
    Value->FreeNotification(this);
  }
  Invalidate();
}

void TCustomDBGridEh::TitleImagesChanged(TObject*)
{
  Invalidate();
}

void TCustomDBGridEh::SetTitleHeight(Integer Value)
{
  if (Value == FTitleHeight)
    return;
  FTitleHeight = Value;
  LayoutChanged();
}

void TCustomDBGridEh::SetTitleLines(Integer Value)
{
  if (Value == FTitleLines)
    return;
  FTitleLines = Value;
  LayoutChanged();
}

void TCustomDBGridEh::SetTitleTextSpacing(Integer Value)
{
  if (Value == FTitleTextSpacing)
    return;
  FTitleTextSpacing = Value;
  LayoutChanged();
}

void TCustomDBGridEh::SetFooterRowCount(Integer Value)
{
  Value = std::max<Integer>(Value, 0);
  if (Value == FFooterRowCount)
    return;
  FFooterRowCount = Value;
  LayoutChanged();
}

void TCustomDBGridEh::SetFooterColor(TColor Value)
{
  if (Value == FFooterColor)
    return;
  FFooterColor = Value;
  if (!ComponentState().Contains(csLoading))
    SetParentColor(false);
  if (FFooterRowCount > 0)
    InvalidateFooter();
}

void TCustomDBGridEh::SetRowHeight(Integer Value)
{
  Value = std::max<Integer>(Value, 0);
  if (Value == FRowHeight)
    return;
  FRowHeight = Value;
  LayoutChanged();
}

void TCustomDBGridEh::SetRowLines(Integer Value)
{
  Value = std::max<Integer>(Value, 0);
  if (Value == FRowLines)
    return;
  FRowLines = Value;
  LayoutChanged();
}

void TCustomDBGridEh::SetRowSizingEnabled(bool Value)
{
  if (Value == FRowSizingEnabled)
    return;
  FRowSizingEnabled = Value;
  TGridOptions go = TCustomGrid::Options();
  if (Value)
    go.Include(goRowSizing);
  else
    go.Exclude(goRowSizing);
  TCustomGrid::SetOptions(go);
}

void TCustomDBGridEh::SetFrozenColCount(Integer Value)
{
  Value = std::max<Integer>(Value, 0);
  if (Value == FFrozenColCount)
    return;
  FFrozenColCount = Value;
  LayoutChanged();
}

void TCustomDBGridEh::SetAutoFitMinWidth(Integer Value)
{
  if (Value == FAutoFitMinWidth)
    return;
  FAutoFitMinWidth = Value;
  if (FAutoFitColWidths)
    LayoutChanged();
}

void TCustomDBGridEh::SetUseMultiTitle(bool Value)
{
  if (Value == FUseMultiTitle)
    return;
  FUseMultiTitle = Value;
  LayoutChanged();
}

void TCustomDBGridEh::SetMemoAsText(bool Value)
{
  if (Value == FMemoAsText)
    return;
  FMemoAsText = Value;
  Invalidate();
}

void TCustomDBGridEh::SetUseMemTableView(bool Value)
{
  if (Value == FUseMemTableView)
    return;
  FUseMemTableView = Value;
  RefreshMemTableLink();
}

void TCustomDBGridEh::TitleFontChanged(TObject*)
{
  if (!FParentFontTitle && !ComponentState().Contains(csLoading))
    SetParentFont(false);
  if (FOptions.Contains(dgTitles))
    LayoutChanged();
}

void TCustomDBGridEh::FooterFontChanged(TObject*)
{
  if (!FParentFontFooter && !ComponentState().Contains(csLoading))
    SetParentFont(false);
  if (FFooterRowCount > 0)
    LayoutChanged();
}

void TCustomDBGridEh::SumsChanged()
{
  InvalidateFooter();
}

void TCustomDBGridEh::SetStyle(TDBGridEhStyle* Value)
{
  if (Value == FStyle)
    return;
  if (!Value) {
    ResetStyle();
    return;
  }
  if (FStyle)
    FStyle->RemoveGrid(this);
  FStyle = Value;
  FStyle->AddGrid(this);
  Invalidate();
}

void TCustomDBGridEh::ResetStyle()
{
  TDBGridEhStyle* shared = DefaultGridStyle();
  if (FStyle == shared && shared)
    return;
  if (FStyle)
    FStyle->RemoveGrid(this);
  FStyle = shared;
  if (FStyle)
    FStyle->AddGrid(this);
  else if (FColumns)
    LayoutChanged();
}

// ---- Cell classification ----

TCellTypeEh TCustomDBGridEh::GetCellType(Integer ACol, Integer ARow) const
{
  TCellTypeEh t;
  if (ACol < FIndicatorColCount) {
    t.HorzPart = 0;
    t.DataCol = ACol;
  } else {
    t.HorzPart = 1;
    t.DataCol = ACol - FIndicatorColCount;
  }
  if (ARow < 0 || ARow >= RowCount())
    RaiseGridOperationError(SGetCellTypeError);
  Integer titles = TitleRowCount(), headers = HeaderRowCount();
  if (ARow < titles) {
    t.Area = caTitleEh;
    t.AreaRow = ARow;
  } else if (ARow < headers) {
    t.Area = caFilterEh;
    t.AreaRow = ARow - titles;
  } else if (FFooterRowCount > 0) {
    Integer lastData = RowCount() - FFooterRowCount - 2;
    if (ARow <= lastData) {
      t.Area = caDataEh;
      t.AreaRow = ARow - headers;
    } else if (ARow == lastData + 1) {
      t.Area = caFillerEh;
      t.AreaRow = 0;
    } else {
      t.Area = caFooterEh;
      t.AreaRow = ARow - lastData - 2;
    }
  } else {
    t.Area = caDataEh;
    t.AreaRow = ARow - headers;
  }
  return t;
}

TField* TCustomDBGridEh::SelectedField()
{
  Integer i = SelectedIndex();
  if (i < 0 || i >= FColumns->Count())
    return nullptr;
  return FColumns->Items(i)->Field();
}

// ---- Locks ----

void TCustomDBGridEh::BeginUpdate()
{
  ++FUpdateLock;
}

void TCustomDBGridEh::EndUpdate()
{
  if (FUpdateLock > 0)
    --FUpdateLock;
}

void TCustomDBGridEh::BeginLayout()
{
  BeginUpdate();
  if (FLayoutLock == 0)
    FColumns->BeginUpdate();
  ++FLayoutLock;
}

bool TCustomDBGridEh::AcquireLayoutLock()
{
  if (FUpdateLock != 0 || FLayoutLock != 0)
    return false;
  BeginLayout();
  return true;
}

void TCustomDBGridEh::EndLayout()
{
  if (FLayoutLock == 0)
    return;
  // The column update and both locks are released even when the rebuild raises.
  TScopeExit release([&] {
    if (FLayoutLock == 1)
      FColumns->EndUpdate();
    --FLayoutLock;
    EndUpdate();
  });
  if (FLayoutLock == 1)
    InternalLayout();
}

void TCustomDBGridEh::CancelLayout()
{
  if (FLayoutLock == 0)
    return;
  if (FLayoutLock == 1)
    FColumns->EndUpdate();
  --FLayoutLock;
  EndUpdate();
}

void TCustomDBGridEh::DeferLayout()
{
  if (HandleAllocated()) {
    MSG msg;
    if (!PeekMessage(msg, Handle(), CM_DEFERLAYOUT, CM_DEFERLAYOUT, PM_NOREMOVE))
      PostMessage(Handle(), CM_DEFERLAYOUT, 0, 0);
  }
  CancelLayout();
}

void TCustomDBGridEh::LayoutChanged()
{
  if (AcquireLayoutLock())
    EndLayout();
}

void TCustomDBGridEh::CMDeferLayout()
{
  if (AcquireLayoutLock())
    EndLayout();
  else
    DeferLayout();
}

// ---- Data link glue ----

void TCustomDBGridEh::DataLinkStateChanged(bool Value)
{
  if (!Value)
    HideEditor();
  FSelection->DataLinkActiveChanged(Value);
  FSumList->SetDataSet(FDataLink->DataSet());
  if (MemTableViewActive())
    RecalcRowCount();
  LayoutChanged();
  if (Value && EditorAlwaysVisible())
    ShowCellEditor();
  UpdateVertScrollBar();
  RefreshMemTableLink();
  FColumns->ClearValueLists();
}

void TCustomDBGridEh::RefreshMemTableLink()
{
  IMemTableEh* old = FMemTable;
  TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
  IMemTableEh* now = FUseMemTableView && ds ? dynamic_cast<IMemTableEh*>(ds) : nullptr;
  if (now == old)
    return;
  if (FMemTableDataSet && FMemTableDataSet != ds)
    FMemTableDataSet->RemoveFreeNotification(this);
  FMemTable = now;
  FMemTableDataSet = now ? ds : nullptr;
  FMemLastIndex = -2;
  if (now)
    ds->FreeNotification(this);
  LayoutChanged();
}

void TCustomDBGridEh::DataChanged()
{
  if (!HandleAllocated() || FInDataChanged)
    return;
  FInDataChanged = true;
  TScopeExit done([&] { FInDataChanged = false; });
  RecalcRowCount();
  bool wasVisible = (GetWindowLong(Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
  UpdateVertScrollBar();
  bool isVisible = (GetWindowLong(Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
  if (wasVisible != isVisible && FAutoFitColWidths && !ComponentState().Contains(csDesigning)) {
    // The column widths depend on the client width the bar takes away.
    BeginLayout();
    DeferLayout();
  }
  SyncCurrentRow();
  InvalidateEditor();
  ValidateRect(Handle(), nullptr);
  Invalidate();
}

void TCustomDBGridEh::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomGrid::Notification(AComponent, Operation);
  if (Operation != opRemove || !FColumns)
    return;
  if (auto* bar = dynamic_cast<TScrollBar*>(AComponent)) {
    for (TDBGridEhScrollBar* setting :
         {FHorzScrollBar.get(), static_cast<TDBGridEhScrollBar*>(FVertScrollBar.get())})
      if (setting && setting->ExtScrollBar() == bar)
        setting->ExtScrollBarFreed();
    return;
  }
  if (auto* menu = dynamic_cast<TPopupMenu*>(AComponent)) {
    for (Integer i = 0; i < FColumns->Count(); ++i)
      if (FColumns->Items(i)->PopupMenu() == menu)
        FColumns->Items(i)->SetPopupMenu(nullptr);
    return;
  }
  if (auto* images = dynamic_cast<TCustomImageList*>(AComponent)) {
    if (FTitleImages == images)
      SetTitleImages(nullptr);
    for (Integer i = 0; i < FColumns->Count(); ++i)
      if (FColumns->Items(i)->ImageList() == images)
        FColumns->Items(i)->SetImageList(nullptr);
    return;
  }
  if (auto* source = dynamic_cast<TDataSource*>(AComponent)) {
    if (FDataLink && source == DataSource())
      SetDataSource(nullptr);
    return;
  }
  if (auto* field = dynamic_cast<TField*>(AComponent)) {
    bool affected = false;
    BeginLayout();
    {
      // The field is told before it leaves its dataset's field list, so a rebuild now
      // would bind it again: the layout is rebuilt from the queue instead.
      TScopeExit release([&] {
        (void)affected;
        DeferLayout();
      });
      for (Integer i = 0; i < FColumns->Count(); ++i) {
        TColumnEh* c = FColumns->Items(i);
        if (c->FField == field) {
          c->FField = nullptr;
          c->BindField(nullptr);
          affected = true;
        }
      }
    }
    return;
  }
  if (auto* ds = dynamic_cast<TDataSet*>(AComponent)) {
    if (FSumList)
      FSumList->DataSetFreed(ds);
    // The table goes with its dataset: it is never asked anything again.
    if (ds == FMemTableDataSet) {
      FMemTable = nullptr;
      FMemTableDataSet = nullptr;
      FRowReading = false;
      // The rows are rebuilt from the queue, not from inside the dataset's destruction.
      BeginLayout();
      DeferLayout();
    }
  }
}

void TCustomDBGridEh::ChangeScale(Integer M, Integer D)
{
  if (M == D)
    return;
  if (!ParentFont()) {
    // The title and footer fonts scale their own sizes.
    FTitleFont->SetSize(MulDiv(FTitleFont->Size(), M, D));
    FFooterFont->SetSize(MulDiv(FFooterFont->Size(), M, D));
    Font()->SetSize(MulDiv(Font()->Size(), M, D));
  }
  FColumns->BeginUpdate();
  TScopeExit done([&] { FColumns->EndUpdate(); });
  Integer sum = 0;
  for (Integer i = 0; i < FColumns->Count(); ++i) {
    TColumnEh* c = FColumns->Items(i);
    auto scale = [&](TFont* f) { f->SetSize(MulDiv(f->Size(), M, D)); };
    if (c->OwnValues().Contains(cvFont))
      scale(c->Font());
    if (c->OwnValues().Contains(cvTitleFont))
      scale(c->Title()->Font());
    if (c->Footer()->OwnValues().Contains(cfvFont))
      scale(c->Footer()->Font());
    for (Integer k = 0; k < c->Footers()->Count(); ++k)
      if (c->Footers()->Items(k)->OwnValues().Contains(cfvFont))
        scale(c->Footers()->Items(k)->Font());
    // Cumulative scaling keeps the total without drift.
    Integer w = c->Width();
    Integer before = MulDiv(sum, M, D);
    sum += w;
    c->SetWidth(MulDiv(sum, M, D) - before);
  }
  SetDefaultRowHeight(MulDiv(DefaultRowHeight(), M, D));
}

TColor TCustomDBGridEh::BrightenColor(TColor Color, Integer Divisor)
{
  TColor rgb = ColorToRGB(Color);
  auto up = [&](Integer c) { return std::min<Integer>(255, c + c / Divisor); };
  return RGB(up(GetRValue(rgb)), up(GetGValue(rgb)), up(GetBValue(rgb)));
}

void TCustomDBGridEh::CollectDataSetFields(std::vector<TField*>& List)
{
  TDataSet* ds = FDataLink->DataSet();
  if (!ds)
    return;
  for (Integer i = 0; i < ds->FieldCount(); ++i)
    List.push_back(ds->Fields()->Fields(i));
}

// ---- Focus, editor and repaint helpers ----

bool TCustomDBGridEh::EditorAlwaysVisible() const
{
  return FOptions.Contains(dgAlwaysShowEditor);
}

void TCustomDBGridEh::ShowCellEditor()
{
  ShowEditor();
}

bool TCustomDBGridEh::AcquireFocus()
{
  bool result = true;
  if (FFocusOnMouseDown && CanFocus() && !ComponentState().Contains(csDesigning)) {
    SetFocus();
    result = Focused() || (InplaceEditor() && InplaceEditor()->Focused());
  }
  return result;
}

bool TCustomDBGridEh::SelectionActive()
{
  if (!HandleAllocated())
    return false;
  HWND focus = GetFocus();
  return focus == Handle() || (InplaceEditor() && InplaceEditor()->HandleAllocated() &&
                               focus == InplaceEditor()->Handle());
}

void TCustomDBGridEh::SelectionFocusChanged()
{
  if (FSelection->Kind() == selAllEh)
    Invalidate();
  else if (FSelection->Kind() != selNoneEh) {
    TGridRect r = FSelection->BoundingGridRect();
    if (r.Left >= 0)
      InvalidateCellRange(r);
  }
  InvalidateRow(Row());
  FSelectionActive = SelectionActive();
}

bool TCustomDBGridEh::HasActiveFocus()
{
  if (TCustomForm* form = GetParentForm(this))
    return form->ActiveControl() == this;
  if (!HandleAllocated())
    return false;
  HWND focus = GetFocus();
  return focus == Handle() || (focus && IsChild(Handle(), focus));
}

bool TCustomDBGridEh::RowFocusRectNeeded()
{
  return !ComponentState().Contains(csDesigning) && FOptions.Contains(dgFullRowSelect) &&
         FDefaultDrawing && Focused();
}

bool TCustomDBGridEh::EditPermitted()
{
  if (!FDataLink->Active())
    return false;
  TDataSet* ds = FDataLink->DataSet();
  if (FPermittedEdits.Contains(peUpdateEh) || ds->State() == dsInsert)
    return true;
  return ds->IsEmpty() &&
         (FPermittedEdits.Contains(peInsertEh) || FPermittedEdits.Contains(peAppendEh));
}

void TCustomDBGridEh::InvalidateCellRange(const TGridRect& ARect)
{
  if (!HandleAllocated())
    return;
  TRect r = BoxRect(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
  ::InvalidateRect(Handle(), &r, false);
}

void TCustomDBGridEh::InvalidateIndicator()
{
  if (FOptions.Contains(dgIndicator) && HandleAllocated())
    InvalidateCell(0, FIndicatorRow >= 0 ? FIndicatorRow : Row());
}

void TCustomDBGridEh::InvalidateFooter()
{
  if (!HandleAllocated() || FFooterRowCount == 0)
    return;
  for (Integer r = RowCount() - FFooterRowCount; r < RowCount(); ++r)
    InvalidateRow(r);
}

void TCustomDBGridEh::ClearSelection()
{
  if (FSelection->Kind() != selNoneEh)
    FSelection->Reset();
}

void TCustomDBGridEh::InvalidateEditor()
{
  TCustomGrid::InvalidateEditor();
}

void TCustomDBGridEh::SelectFieldColumn(TField* Field)
{
  if (!Field)
    return;
  for (Integer i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Items(i)->Field() == Field && FColumns->Items(i)->Visible()) {
      SelectDataColumn(i);
      return;
    }
}

void TCustomDBGridEh::FieldChanged(TField* Field)
{
  if (!HandleAllocated())
    return;
  if (!Field) {
    Invalidate();
    InvalidateEditor();
    return;
  }
  for (Integer i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Items(i)->Field() == Field)
      InvalidateCell(DataToRawColumn(i), Row());
  if (Field == SelectedField())
    InvalidateEditor();
}

// ---- Event-firing operations ----

void TCustomDBGridEh::CellClick(TColumnEh* Column)
{
  if (OnCellClick)
    OnCellClick(Column);
}

void TCustomDBGridEh::CheckTitleButton(Integer DataCol, bool& Enabled)
{
  if (DataCol < 0 || DataCol >= FColumns->Count()) {
    Enabled = false;
    return;
  }
  if (OnCheckButton)
    OnCheckButton(this, DataCol, FColumns->Items(DataCol), Enabled);
}

void TCustomDBGridEh::ColEnter()
{
  if (OnColEnter)
    OnColEnter(this);
}

void TCustomDBGridEh::ColExit()
{
  if (FInColExit)
    return;
  FInColExit = true;
  TScopeExit done([&] { FInColExit = false; });
  if (OnColExit)
    OnColExit(this);
}

void TCustomDBGridEh::SortMarkingChanged()
{
  if (!FExtOptions.Contains(dgxAutoSortMarkingEh))
    return;
  if (OnSortMarkingChanged)
    OnSortMarkingChanged(this);
  else
    ApplySorting();
}

void TCustomDBGridEh::TitleButtonClick(Integer DataCol, TColumnEh* Column)
{
  if (OnTitleBtnClick)
    OnTitleBtnClick(this, DataCol, Column);
}

void TCustomDBGridEh::DrawColumnCell(const TRect& Rect, Integer DataCol, TColumnEh* Column,
                                     TGridDrawState State)
{
  if (OnDrawColumnCell)
    OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TCustomDBGridEh::DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State)
{
  if (OnDrawDataCell)
    OnDrawDataCell(this, Rect, Field, State);
}

void TCustomDBGridEh::EditButtonClick()
{
  if (OnEditButtonClick)
    OnEditButtonClick(this);
}

void TCustomDBGridEh::GetCellParams(TColumnEh* Column, TFont* AFont, TColor& Background,
                                    TGridDrawState State)
{
  if (OnGetCellParams)
    OnGetCellParams(this, Column, AFont, Background, State);
}

void TCustomDBGridEh::GetFooterParams(Integer DataCol, Integer Row, TColumnEh* Column, TFont* AFont,
                                      TColor& Background, TAlignment& Alignment,
                                      TGridDrawState State, AnsiString& Text)
{
  if (OnGetFooterParams)
    OnGetFooterParams(this, DataCol, Row, Column, AFont, Background, Alignment, State, Text);
}

void TCustomDBGridEh::TitleClick(TColumnEh* Column)
{
  if (OnTitleClick)
    OnTitleClick(Column);
}

// ---- Messages ----

void TCustomDBGridEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  TCustomGrid::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomDBGridEh::DeferredResize()
{
  FDeferredResize = false;
  if (FAutoFitColWidths && !ComponentState().Contains(csDesigning)) {
    LayoutChanged();
    InvalidateEditor();
  } else {
    RecalcRowCount();
    UpdateVertScrollBar();
  }
}

void TCustomDBGridEh::WMSize()
{
  if (FUpdateLock == 0)
    DeferredResize();
  else
    FDeferredResize = true;
}

void TCustomDBGridEh::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_DEFERLAYOUT:
    CMDeferLayout();
    return;
  case WM_VSCROLL:
    WMVScroll(Message);
    return;
  case WM_HSCROLL:
    WMHScroll(Message);
    return;
  case WM_TIMER:
    if (Message.WParam == 2) {
      StopIncrementalSearch();
      return;
    }
    if (Message.WParam == 1 && FAutoScrollRunning) {
      DragAutoScroll();
      return;
    }
    break;
  case WM_RBUTTONUP: {
    TCustomGrid::Dispatch(Message);
    TDestroyWatch watch(this);
    Integer x = static_cast<SmallInt>(LOWORD(Message.LParam));
    Integer y = static_cast<SmallInt>(HIWORD(Message.LParam));
    if (!watch.Destroyed() && ColumnPopup(x, y))
      Message.Result = 1;
    return;
  }
  case WM_CANCELMODE:
    EndTracking();
    break;
  case WM_SETCURSOR:
    if (SetGridCursor(Message)) {
      Message.Result = 1;
      return;
    }
    break;
  case CM_HINTSHOWPAUSE:
    CMHintShowPause(Message);
    return;
  case CM_HINTSHOW:
    CMHintShow(Message);
    return;
  case WM_SIZE:
    TCustomGrid::Dispatch(Message);
    WMSize();
    return;
  case WM_GETDLGCODE:
    TCustomGrid::Dispatch(Message);
    Message.Result |= DLGC_WANTCHARS;
    return;
  case WM_MOUSEWHEEL:
  case CM_MOUSEWHEEL:
    // An open drop-down of the cell editor takes the wheel.
    if (TDBGridInplaceEdit* editor = CellEditor(); editor && editor->ListVisible())
      if (TWinControl* list = editor->ActiveList())
        if (list->Perform(Message.Msg, Message.WParam, Message.LParam) != 0) {
          Message.Result = 1;
          return;
        }
    break;
  case WM_ERASEBKGND:
    Message.Result = 1; // the cells cover the whole client area
    return;
  case CM_CANCELMODE:
    EndTracking();
    break;
  case CM_SYSCOLORCHANGE:
    TCustomGrid::Dispatch(Message);
    FlushButtonBitmaps();
    return;
  case CM_PARENTCOLORCHANGED:
    TCustomGrid::Dispatch(Message);
    if (ParentColor()) {
      SetFooterColor(Color());
      Invalidate();
    }
    return;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
    if (FilterRowMouseDown(Message))
      return;
    break;
  case WM_KILLFOCUS:
    // A sort waiting for the release of Ctrl runs when the focus leaves the grid for
    // anything but its cell editor.
    if (FSortPending && !(InplaceEditor() && InplaceEditor()->HandleAllocated() &&
                          static_cast<HWND>(Message.WParam) == InplaceEditor()->Handle())) {
      FSortPending = false;
      TDestroyWatch watch(this);
      SortMarkingChanged();
      if (watch.Destroyed())
        return;
    }
    [[fallthrough]];
  case WM_SETFOCUS:
    TCustomGrid::Dispatch(Message);
    // While a filter cell is edited the focus belongs to its editor.
    if (Message.Msg == WM_SETFOCUS && FFilterEditing && FFilterEdit &&
        FFilterEdit->HandleAllocated() && IsWindowVisible(FFilterEdit->Handle()) &&
        reinterpret_cast<HWND>(Message.WParam) != FFilterEdit->Handle())
      ::SetFocus(FFilterEdit->Handle());
    if (FSelectionActive != SelectionActive())
      SelectionFocusChanged();
    InvalidateRow(Row());
    return;
  case CM_PARENTFONTCHANGED:
    TCustomGrid::Dispatch(Message);
    if (ParentFont()) {
      // The title and footer fonts follow the parent's font without losing ParentFont.
      FParentFontTitle = FParentFontFooter = true;
      TScopeExit done([&] { FParentFontTitle = FParentFontFooter = false; });
      FTitleFont->Assign(Font());
      FFooterFont->Assign(Font());
    }
    return;
  }
  TCustomGrid::Dispatch(Message);
}

// ---- Unit start-up ----

void RegisterDBGridEhClasses()
{
  TClassRegistration<TCustomDBGridEh, TWinControl>("TCustomDBGridEh");
  TClassRegistration<TDBGridEh, TCustomDBGridEh>("TDBGridEh");
  TClassRegistration<TColumnEh, TCollectionItem>("TColumnEh");
  TClassRegistration<TDBGridColumnEh, TColumnEh>("TDBGridColumnEh");
  TClassRegistration<TColumnFooterEh, TCollectionItem>("TColumnFooterEh");
  TClassRegistration<TDBGridColumnsEh, TCollection>("TDBGridColumnsEh");
  TClassRegistration<TColumnEhPropertyInterceptor, TStoragePropertyInterceptor>(
      "TColumnEhPropertyInterceptor")
      .Property("Width", &TColumnEhPropertyInterceptor::Width,
                &TColumnEhPropertyInterceptor::SetWidth);
  TClassRegistration<TColumnsEhPropertyInterceptor, TStoragePropertyInterceptor>(
      "TColumnsEhPropertyInterceptor")
      .Property("ColumnsIndex", &TColumnsEhPropertyInterceptor::ColumnsIndex,
                &TColumnsEhPropertyInterceptor::SetColumnsIndex);
}

void InitializeGridDataService();
void FinalizeGridDataService();

void InitializeDBGridEhUnit()
{
  RegisterDBGridEhClasses();
  SetDefaultGridStyle(new TDBGridEhStyle());
  InitializeGridDataService();
  AddReadInterceptor(ClassInfoOf(typeid(TColumnEh)),
                     InterceptorClassOf<TColumnEhPropertyInterceptor>());
  AddReadInterceptor(ClassInfoOf(typeid(TDBGridColumnsEh)),
                     InterceptorClassOf<TColumnsEhPropertyInterceptor>());
  LoadGridCursors();
}

void FinalizeDBGridEhUnit()
{
  FreeGridCursors();
  FinalizeGridDataService();
  delete DefaultGridStyle();
}
