// The base grid, the draw and string grids and the in-place editor. Grids.h describes
// them.
#include "platform/ui/Grids.h"

#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/Forms.h"

namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollInterval = 60;
// How near a grid line the pointer must be to size its column or row.
constexpr Integer kSizingBand = 3;

} // namespace

void RegisterGridsClasses()
{
  RegisterEnumType<TGridOption>("TGridOption",
                                {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine",
                                 "goRangeSelect", "goDrawFocusSelected", "goRowSizing",
                                 "goColSizing", "goRowMoving", "goColMoving", "goEditing", "goTabs",
                                 "goRowSelect", "goAlwaysShowEditor", "goThumbTracking"});
  RegisterSetType<TGridOptions>("TGridOptions");
  RegisterEventType<TDrawCellEvent>("TDrawCellEvent");
  RegisterEventType<TSelectCellEvent>("TSelectCellEvent");
  RegisterEventType<TGetEditEvent>("TGetEditEvent");
  RegisterEventType<TSetEditEvent>("TSetEditEvent");
  RegisterEventType<TMovedEvent>("TMovedEvent");
  TClassRegistration<TDrawGrid, TWinControl>("TDrawGrid")
      .Property("ColCount", &TDrawGrid::ColCount, &TDrawGrid::SetColCount)
      .Default(5)
      .Property("RowCount", &TDrawGrid::RowCount, &TDrawGrid::SetRowCount)
      .Default(5)
      .Property("FixedCols", &TDrawGrid::FixedCols, &TDrawGrid::SetFixedCols)
      .Default(1)
      .Property("FixedRows", &TDrawGrid::FixedRows, &TDrawGrid::SetFixedRows)
      .Default(1)
      .Property("DefaultColWidth", &TDrawGrid::DefaultColWidth, &TDrawGrid::SetDefaultColWidth)
      .Default(64)
      .Property("DefaultRowHeight", &TDrawGrid::DefaultRowHeight, &TDrawGrid::SetDefaultRowHeight)
      .Default(24)
      .Property("GridLineWidth", &TDrawGrid::GridLineWidth, &TDrawGrid::SetGridLineWidth)
      .Default(1)
      .Property("Options", &TDrawGrid::Options, &TDrawGrid::SetOptions)
      .Property("FixedColor", &TDrawGrid::FixedColor, &TDrawGrid::SetFixedColor)
      .Default(clBtnFace)
      .Property("DefaultDrawing", &TDrawGrid::DefaultDrawing, &TDrawGrid::SetDefaultDrawing)
      .Default(true)
      .Property("OnDrawCell", &TDrawGrid::OnDrawCell, &TDrawGrid::OnDrawCell)
      .Property("OnSelectCell", &TDrawGrid::OnSelectCell, &TDrawGrid::OnSelectCell)
      .Property("OnGetEditMask", &TDrawGrid::OnGetEditMask, &TDrawGrid::OnGetEditMask)
      .Property("OnGetEditText", &TDrawGrid::OnGetEditText, &TDrawGrid::OnGetEditText)
      .Property("OnSetEditText", &TDrawGrid::OnSetEditText, &TDrawGrid::OnSetEditText)
      .Property("OnColumnMoved", &TDrawGrid::OnColumnMoved, &TDrawGrid::OnColumnMoved)
      .Property("OnRowMoved", &TDrawGrid::OnRowMoved, &TDrawGrid::OnRowMoved)
      .Property("OnTopLeftChanged", &TDrawGrid::OnTopLeftChanged, &TDrawGrid::OnTopLeftChanged);
  TClassRegistration<TStringGrid, TDrawGrid>("TStringGrid");
}

// ---- TInplaceEdit ----

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner)
{
  SetParentCtl3D(false);
  SetBorderStyle(bsNone);
  FVisible = false;
  FTabStop = false;
}

void TInplaceEdit::BeforeDestruction()
{
  if (FGrid && FGrid->FInplaceEdit == this) {
    FGrid->FInplaceEdit = nullptr;
    FGrid->FEditorMode = false;
  }
  TCustomMaskEdit::BeforeDestruction();
}

void TInplaceEdit::CreateParams(TCreateParams& Params)
{
  TCustomMaskEdit::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_BORDER);
  if (FMultiLine)
    Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
}

void TInplaceEdit::SetWordWrap(bool Value)
{
  if (Value == FMultiLine)
    return;
  FMultiLine = Value;
  FWordWrap = Value;
  FWantReturns = false;
  if (HandleAllocated())
    RecreateWnd();
}

void TInplaceEdit::Move(const TRect& Loc)
{
  UpdateLoc(Loc);
  if (!FVisible)
    SetVisible(true);
  if (FGrid && FGrid->Focused() && CanFocus())
    SetFocus();
}

void TInplaceEdit::UpdateLoc(const TRect& Loc)
{
  FCellRect = Loc;
  SetBounds(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
  BoundsChanged();
}

void TInplaceEdit::BoundsChanged()
{
  // The text sits two pixels in from the cell's left edge, as the grid draws it.
  if (HandleAllocated())
    SendMessage(Handle(), EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(2, 0));
}

void TInplaceEdit::Hide()
{
  if (!FVisible)
    return;
  bool hadFocus = Focused();
  SetVisible(false);
  if (hadFocus && FGrid && FGrid->CanFocus())
    FGrid->SetFocus();
}

void TInplaceEdit::UpdateContents()
{
  if (!FGrid)
    return;
  FUpdating = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FUpdating};
  SetEditMask("");
  SetText("");
  SetEditMask(FGrid->GetEditMask(FGrid->Col(), FGrid->Row()));
  SetText(FGrid->GetEditText(FGrid->Col(), FGrid->Row()));
  SetMaxLength(FGrid->GetEditLimit());
  FOriginal = Text();
  SetModified(false);
}

bool TInplaceEdit::EditCanModify()
{
  return FGrid ? FGrid->CanEditModify() : true;
}

void TInplaceEdit::Change()
{
  TCustomMaskEdit::Change();
  if (!FUpdating && FGrid)
    FGrid->UpdateText();
}

void TInplaceEdit::DblClick()
{
  if (FGrid)
    FGrid->DblClick();
}

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift)
{
  if (!FGrid) {
    TCustomMaskEdit::KeyDown(Key, Shift);
    return;
  }
  Integer length = static_cast<Integer>(FModel.Text().size());
  bool allSelected = FModel.SelStart() == 0 && FModel.SelLength() == length;
  bool atStart = FModel.SelLength() == 0 && FModel.Caret() == 0;
  bool atEnd = FModel.SelLength() == 0 && FModel.Caret() == length;
  bool ctrl = Shift.Contains(ssCtrl);
  auto toGrid = [&] {
    TDestroyWatch watch(this);
    Word key = Key;
    FGrid->KeyDown(key, Shift);
    if (!watch.Destroyed())
      Key = 0;
  };
  switch (Key) {
  case VK_UP:
  case VK_DOWN:
  case VK_PRIOR:
  case VK_NEXT:
    toGrid();
    return;
  case VK_LEFT:
  case VK_HOME:
    if (atStart || allSelected || (ctrl && Key == VK_HOME)) {
      toGrid();
      return;
    }
    break;
  case VK_RIGHT:
  case VK_END:
    if (atEnd || allSelected || (ctrl && Key == VK_END)) {
      toGrid();
      return;
    }
    break;
  case VK_TAB:
    if (FGrid->Options().Contains(goTabs) && !Shift.Contains(ssAlt)) {
      toGrid();
      return;
    }
    break;
  case VK_F2:
    // The caret goes to the end of the text.
    FModel.SetSel(-1, -1);
    SelectionChanged();
    Key = 0;
    return;
  case VK_INSERT:
    if (Shift.Empty()) {
      toGrid();
      return;
    }
    break;
  case VK_ESCAPE: {
    // The cell gets its text back; the editor closes unless it always shows.
    TDestroyWatch watch(this);
    if (Text() != FOriginal) {
      SetText(FOriginal);
      SetModified(true);
      FGrid->UpdateText();
    }
    if (watch.Destroyed())
      return;
    SelectAll();
    if (!FGrid->Options().Contains(goAlwaysShowEditor))
      FGrid->HideEditor();
    Key = 0;
    return;
  }
  case VK_DELETE:
    if (!FGrid->CanEditModify()) {
      Key = 0;
      return;
    }
    break;
  }
  TCustomMaskEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyUp(Word& Key, TShiftState Shift)
{
  if (FGrid)
    FGrid->KeyUp(Key, Shift);
}

void TInplaceEdit::KeyPress(char& Key)
{
  if (!FGrid) {
    TCustomMaskEdit::KeyPress(Key);
    return;
  }
  TDestroyWatch watch(this);
  FGrid->KeyPress(Key);
  if (watch.Destroyed())
    return;
  unsigned char ch = static_cast<unsigned char>(Key);
  if (ch >= 0x20 && !FGrid->CanEditAcceptKey(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  switch (ch) {
  case 9:
  case 27:
  case 13:
    Key = 0;
    break;
  case 8:
  case 22:
  case 24:
    if (!FGrid->CanEditModify())
      Key = 0;
    break;
  default:
    if (ch >= 0x20 && !FGrid->CanEditModify())
      Key = 0;
    break;
  }
  if (Key != 0)
    TCustomMaskEdit::KeyPress(Key);
}

void TInplaceEdit::PasteHook(TMessage& Message)
{
  if (FGrid && !FGrid->CanEditModify())
    return;
  TCustomMaskEdit::Dispatch(Message);
}

void TInplaceEdit::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
    if (FGrid && FGrid->Options().Contains(goTabs))
      Message.Result |= DLGC_WANTTAB;
    return;
  case WM_PASTE:
    PasteHook(Message);
    return;
  case WM_MOUSEWHEEL:
    if (FGrid && FGrid->HandleAllocated()) {
      Message.Result = SendMessage(FGrid->Handle(), Message.Msg, Message.WParam, Message.LParam);
      return;
    }
    break;
  case CM_CANCELMODE:
    // A gesture elsewhere began: a gesture of the grid ends with it.
    if (FGrid && reinterpret_cast<TControl*>(Message.LParam) != FGrid)
      FGrid->Perform(CM_CANCELMODE, Message.WParam, Message.LParam);
    break;
  }
  TCustomMaskEdit::Dispatch(Message);
}

// ---- TCustomGrid: geometry ----

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner)
{
  FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csClickEvents};
  FOptions = TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  FWidth = 320;
  FHeight = 120;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FCurrent = FAnchor = FTopLeft = {1, 1};
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::CreateParams(TCreateParams& Params)
{
  TCustomControl::CreateParams(Params);
  if (FScrollBars == ssVertical || FScrollBars == ssBoth)
    Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
    Params.Style |= WS_HSCROLL;
  if (FBorderStyle == bsSingle)
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::CreateWnd()
{
  TCustomControl::CreateWnd();
  UpdateScrollRange();
}

Integer TCustomGrid::AxisExtent(const std::vector<Integer>& Sizes, Integer Default,
                                Integer Index) const
{
  if (Index < 0)
    return Default;
  return Index < static_cast<Integer>(Sizes.size()) ? Sizes[Index] : Default;
}

Integer TCustomGrid::ColWidths(Integer Index) const
{
  return AxisExtent(FColWidths, FDefaultColWidth, Index);
}

Integer TCustomGrid::RowHeights(Integer Index) const
{
  return AxisExtent(FRowHeights, FDefaultRowHeight, Index);
}

void TCustomGrid::SetColWidths(Integer Index, Integer Value)
{
  if (Index < 0 || Index >= FColCount)
    throw EInvalidGridOperation("Grid index out of range");
  Value = std::max<Integer>(Value, -1);
  if (FColWidths.size() < static_cast<std::size_t>(FColCount))
    FColWidths.resize(FColCount, FDefaultColWidth);
  if (FColWidths[Index] == Value)
    return;
  FColWidths[Index] = Value;
  ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(Integer Index, Integer Value)
{
  if (Index < 0 || Index >= FRowCount)
    throw EInvalidGridOperation("Grid index out of range");
  Value = std::max<Integer>(Value, -1);
  if (FRowHeights.size() < static_cast<std::size_t>(FRowCount))
    FRowHeights.resize(FRowCount, FDefaultRowHeight);
  if (FRowHeights[Index] == Value)
    return;
  FRowHeights[Index] = Value;
  RowHeightsChanged();
}

void TCustomGrid::ColWidthsChanged()
{
  LayoutChanged();
}

void TCustomGrid::RowHeightsChanged()
{
  LayoutChanged();
}

void TCustomGrid::SetDefaultColWidth(Integer Value)
{
  FDefaultColWidth = std::max<Integer>(Value, 0);
  FColWidths.clear();
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(Integer Value)
{
  FDefaultRowHeight = std::max<Integer>(Value, 0);
  FRowHeights.clear();
  RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(Integer Value)
{
  Value = std::max<Integer>(Value, 0);
  if (Value == FGridLineWidth)
    return;
  FGridLineWidth = Value;
  LayoutChanged();
}

bool TCustomGrid::TabStops(Integer Index) const
{
  return Index < 0 || Index >= static_cast<Integer>(FTabStops.size()) || FTabStops[Index];
}

void TCustomGrid::SetTabStops(Integer Index, bool Value)
{
  if (Index < 0 || Index >= FColCount)
    throw EInvalidGridOperation("Grid index out of range");
  if (FTabStops.size() < static_cast<std::size_t>(FColCount))
    FTabStops.resize(FColCount, true);
  FTabStops[Index] = Value;
}

void TCustomGrid::SetOptions(TGridOptions Value)
{
  if (Value == FOptions)
    return;
  if (Value.Contains(goRowSelect))
    Value.Exclude(goAlwaysShowEditor);
  FOptions = Value;
  if (!FOptions.Contains(goEditing))
    HideEditor();
  if (FOptions.Contains(goRowSelect))
    FAnchor.X = FCurrent.X;
  LayoutChanged();
  if (FOptions.Contains(goAlwaysShowEditor))
    ShowEditor();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value)
{
  if (Value == FScrollBars)
    return;
  FScrollBars = Value;
  if (HandleAllocated())
    RecreateWnd();
}

void TCustomGrid::SetFixedColor(TColor Value)
{
  if (Value == FFixedColor)
    return;
  FFixedColor = Value;
  Invalidate();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  if (HandleAllocated())
    RecreateWnd();
}

void TCustomGrid::ChangeSize(Integer NewColCount, Integer NewRowCount)
{
  Integer oldCols = FColCount, oldRows = FRowCount;
  FColCount = std::max<Integer>(NewColCount, 1);
  FRowCount = std::max<Integer>(NewRowCount, 1);
  // Fixed counts shrink with the grid; they never raise it.
  FFixedCols = std::min(FFixedCols, FColCount - 1);
  FFixedRows = std::min(FFixedRows, FRowCount - 1);
  if (!FColWidths.empty())
    FColWidths.resize(FColCount, FDefaultColWidth);
  if (!FRowHeights.empty())
    FRowHeights.resize(FRowCount, FDefaultRowHeight);
  if (!FTabStops.empty())
    FTabStops.resize(FColCount, true);
  SizeChanged(oldCols, oldRows);
  auto clampCoord = [&](TGridCoord& c) {
    c.X = std::clamp(c.X, FFixedCols, FColCount - 1);
    c.Y = std::clamp(c.Y, FFixedRows, FRowCount - 1);
  };
  clampCoord(FCurrent);
  clampCoord(FAnchor);
  clampCoord(FTopLeft);
  LayoutChanged();
  TGridCoord top = CalcMaxTopLeft();
  if (FTopLeft.X > top.X || FTopLeft.Y > top.Y)
    MoveTopLeft(std::min(FTopLeft.X, top.X), std::min(FTopLeft.Y, top.Y));
}

void TCustomGrid::SetColCount(Integer Value)
{
  if (Value != FColCount)
    ChangeSize(Value, FRowCount);
}

void TCustomGrid::SetRowCount(Integer Value)
{
  if (Value != FRowCount)
    ChangeSize(FColCount, Value);
}

void TCustomGrid::SetFixedCols(Integer Value)
{
  Value = std::clamp<Integer>(Value, 0, FColCount - 1);
  if (Value == FFixedCols)
    return;
  FFixedCols = Value;
  FTopLeft.X = std::max(FTopLeft.X, FFixedCols);
  if (FCurrent.X < FFixedCols)
    MoveColRow(FFixedCols, FCurrent.Y, true, true);
  FAnchor.X = std::max(FAnchor.X, FFixedCols);
  FTopLeft.X = FFixedCols;
  LayoutChanged();
}

void TCustomGrid::SetFixedRows(Integer Value)
{
  Value = std::clamp<Integer>(Value, 0, FRowCount - 1);
  if (Value == FFixedRows)
    return;
  FFixedRows = Value;
  if (FCurrent.Y < FFixedRows)
    MoveColRow(FCurrent.X, FFixedRows, true, true);
  FAnchor.Y = std::max(FAnchor.Y, FFixedRows);
  FTopLeft.Y = FFixedRows;
  LayoutChanged();
}

void TCustomGrid::InitAxis(TGridAxisDrawInfo& Axis, Integer Extent, Integer Count, Integer Fixed,
                           Integer First, const std::vector<Integer>& Sizes, Integer Default)
{
  Axis.GridExtent = Extent;
  Axis.FixedCellCount = Fixed;
  Axis.FirstGridCell = First;
  Axis.GridCellCount = Count;
  const std::vector<Integer>* sizes = &Sizes;
  Axis.GetExtent = [sizes, Default](Integer i) {
    return i < static_cast<Integer>(sizes->size()) ? (*sizes)[i] : Default;
  };
  auto span = [&](Integer i) {
    Integer e = Axis.GetExtent(i);
    return e < 0 ? 0 : e + Axis.EffectiveLineWidth;
  };
  Integer pos = 0;
  for (Integer i = 0; i < Fixed; ++i)
    pos += span(i);
  Axis.FixedBoundary = pos;
  Axis.FullVisBoundary = pos;
  Axis.LastFullVisibleCell = First - 1;
  Integer i = First;
  for (; i < Count && pos < Extent; ++i) {
    pos += span(i);
    if (pos <= Extent) {
      Axis.FullVisBoundary = pos;
      Axis.LastFullVisibleCell = i;
    }
  }
  Axis.GridBoundary = std::min(pos, Extent);
}

void TCustomGrid::CalcDrawInfoXY(TGridDrawInfo& DrawInfo, Integer UseWidth, Integer UseHeight)
{
  DrawInfo.Horz.EffectiveLineWidth =
      FOptions.Contains(goVertLine) || FOptions.Contains(goFixedVertLine) ? FGridLineWidth : 0;
  DrawInfo.Vert.EffectiveLineWidth =
      FOptions.Contains(goHorzLine) || FOptions.Contains(goFixedHorzLine) ? FGridLineWidth : 0;
  InitAxis(DrawInfo.Horz, UseWidth, FColCount, FFixedCols, FTopLeft.X, FColWidths,
           FDefaultColWidth);
  InitAxis(DrawInfo.Vert, UseHeight, FRowCount, FFixedRows, FTopLeft.Y, FRowHeights,
           FDefaultRowHeight);
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& DrawInfo)
{
  CalcDrawInfoXY(DrawInfo, ClientWidth(), ClientHeight());
}

void TCustomGrid::CalcFixedInfo(TGridDrawInfo& DrawInfo)
{
  CalcDrawInfo(DrawInfo);
  // Only the fixed cells: the scrolling part is left out.
  DrawInfo.Horz.GridBoundary = DrawInfo.Horz.FixedBoundary;
  DrawInfo.Vert.GridBoundary = DrawInfo.Vert.FixedBoundary;
}

Integer TCustomGrid::LinePos(const TGridAxisDrawInfo& Axis, Integer Index) const
{
  auto span = [&](Integer i) {
    Integer e = Axis.GetExtent(i);
    return e < 0 ? 0 : e + Axis.EffectiveLineWidth;
  };
  Integer pos = 0;
  if (Index < Axis.FixedCellCount) {
    for (Integer i = 0; i < Index; ++i)
      pos += span(i);
    return pos;
  }
  if (Index < Axis.FirstGridCell)
    return -1;
  pos = Axis.FixedBoundary;
  for (Integer i = Axis.FirstGridCell; i < Index; ++i) {
    pos += span(i);
    if (pos >= Axis.GridExtent)
      return -1;
  }
  return pos < Axis.GridExtent ? pos : -1;
}

Integer TCustomGrid::CalcCoord(const TGridAxisDrawInfo& Axis, Integer N) const
{
  if (N < 0 || N >= Axis.GridBoundary)
    return -1;
  auto span = [&](Integer i) {
    Integer e = Axis.GetExtent(i);
    return e < 0 ? 0 : e + Axis.EffectiveLineWidth;
  };
  Integer pos = 0;
  for (Integer i = 0; i < Axis.FixedCellCount; ++i) {
    pos += span(i);
    if (N < pos)
      return i;
  }
  for (Integer i = Axis.FirstGridCell; i < Axis.GridCellCount; ++i) {
    pos += span(i);
    if (N < pos)
      return i;
  }
  return -1;
}

TRect TCustomGrid::CellRect(Integer ACol, Integer ARow)
{
  return BoxRect(ACol, ARow, ACol, ARow);
}

TRect TCustomGrid::BoxRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)
{
  TGridDrawInfo info;
  CalcDrawInfo(info);
  auto axis = [&](const TGridAxisDrawInfo& a, Integer first, Integer last, Integer& from,
                  Integer& to) {
    if (first > last)
      std::swap(first, last);
    if (first < 0 || last >= a.GridCellCount)
      return false;
    // The first of the block that is shown, and the last.
    Integer start = -1;
    for (Integer i = first; i <= last; ++i) {
      start = LinePos(a, i);
      if (start >= 0) {
        first = i;
        break;
      }
    }
    if (start < 0)
      return false;
    Integer end = start;
    for (Integer i = first; i <= last; ++i) {
      Integer p = LinePos(a, i);
      if (p < 0) {
        if (i >= a.FirstGridCell)
          break;
        continue;
      }
      Integer e = a.GetExtent(i);
      end = p + std::max<Integer>(e, 0);
    }
    from = start;
    to = std::min(end, a.GridExtent);
    return true;
  };
  TRect r;
  if (!axis(info.Horz, ALeft, ARight, r.Left, r.Right) ||
      !axis(info.Vert, ATop, ABottom, r.Top, r.Bottom))
    return TRect();
  return r;
}

TGridCoord TCustomGrid::MouseCoord(Integer X, Integer Y)
{
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TGridCoord c{CalcCoord(info.Horz, X), CalcCoord(info.Vert, Y)};
  if (c.X < 0 || c.Y < 0)
    return {-1, -1};
  return c;
}

TGridCoord TCustomGrid::CalcMaxTopLeft()
{
  TGridDrawInfo info;
  CalcDrawInfo(info);
  auto maxFirst = [&](const TGridAxisDrawInfo& a) {
    Integer room = a.GridExtent - a.FixedBoundary;
    Integer first = a.GridCellCount - 1;
    Integer used = 0;
    for (Integer i = a.GridCellCount - 1; i >= a.FixedCellCount; --i) {
      Integer e = a.GetExtent(i);
      used += e < 0 ? 0 : e + a.EffectiveLineWidth;
      if (used > room)
        break;
      first = i;
    }
    return std::max(first, a.FixedCellCount);
  };
  return {maxFirst(info.Horz), maxFirst(info.Vert)};
}

Integer TCustomGrid::VisibleColCount()
{
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return std::max<Integer>(info.Horz.LastFullVisibleCell - FTopLeft.X + 1, 0);
}

Integer TCustomGrid::VisibleRowCount()
{
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return std::max<Integer>(info.Vert.LastFullVisibleCell - FTopLeft.Y + 1, 0);
}

TGridRect TCustomGrid::Selection() const
{
  TGridRect r{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y),
              std::max(FAnchor.X, FCurrent.X), std::max(FAnchor.Y, FCurrent.Y)};
  if (FOptions.Contains(goRowSelect)) {
    r.Left = FFixedCols;
    r.Right = FColCount - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& Value)
{
  FAnchor = {Value.Left, Value.Top};
  MoveColRow(Value.Right, Value.Bottom, false, true);
  FAnchor = {std::clamp(Value.Left, FFixedCols, FColCount - 1),
             std::clamp(Value.Top, FFixedRows, FRowCount - 1)};
  Invalidate();
}

void TCustomGrid::LayoutChanged()
{
  if (!HandleAllocated())
    return;
  UpdateScrollRange();
  Invalidate();
  UpdateEdit();
}

void TCustomGrid::UpdateScrollRange()
{
  if (!HandleAllocated())
    return;
  TGridCoord top = CalcMaxTopLeft();
  auto set = [&](Integer bar, Integer fixed, Integer count, Integer maxTop, Integer pos) {
    SCROLLINFO si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = fixed;
    si.nMax = count - 1;
    si.nPage = static_cast<UINT>(std::max<Integer>(count - maxTop, 1));
    si.nPos = pos;
    SetScrollInfo(Handle(), bar, si, true);
  };
  if (FScrollBars == ssVertical || FScrollBars == ssBoth)
    set(SB_VERT, FFixedRows, FRowCount, top.Y, FTopLeft.Y);
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
    set(SB_HORZ, FFixedCols, FColCount, top.X, FTopLeft.X);
}

// ---- Position ----

void TCustomGrid::MoveTopLeft(Integer ALeft, Integer ATop)
{
  TGridCoord top = CalcMaxTopLeft();
  ALeft = std::clamp(ALeft, FFixedCols, std::max(top.X, FFixedCols));
  ATop = std::clamp(ATop, FFixedRows, std::max(top.Y, FFixedRows));
  if (ALeft == FTopLeft.X && ATop == FTopLeft.Y)
    return;
  FTopLeft = {ALeft, ATop};
  TopLeftChanged();
}

void TCustomGrid::TopLeftChanged()
{
  UpdateScrollRange();
  Invalidate();
  UpdateEdit();
}

void TCustomGrid::SetTopRow(Integer Value)
{
  MoveTopLeft(FTopLeft.X, Value);
}

void TCustomGrid::SetLeftCol(Integer Value)
{
  MoveTopLeft(Value, FTopLeft.Y);
}

void TCustomGrid::SetCol(Integer Value)
{
  if (Value != FCurrent.X)
    MoveColRow(Value, FCurrent.Y, true, true);
}

void TCustomGrid::SetRow(Integer Value)
{
  if (Value != FCurrent.Y)
    MoveColRow(FCurrent.X, Value, true, true);
}

void TCustomGrid::ClampInView(TGridCoord Coord)
{
  if (!HandleAllocated())
    return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  // The first cell that shows `last` fully as the last one (at most `last` itself).
  auto firstFor = [&](const TGridAxisDrawInfo& a, Integer last) {
    Integer room = a.GridExtent - a.FixedBoundary;
    Integer first = last, used = 0;
    for (Integer i = last; i >= a.FixedCellCount; --i) {
      Integer e = a.GetExtent(i);
      used += e < 0 ? 0 : e + a.EffectiveLineWidth;
      if (used > room)
        break;
      first = i;
    }
    return first;
  };
  Integer left = FTopLeft.X, top = FTopLeft.Y;
  if (Coord.X >= FFixedCols) {
    if (Coord.X < left)
      left = Coord.X;
    else if (Coord.X > info.Horz.LastFullVisibleCell)
      left = std::max(firstFor(info.Horz, Coord.X), left);
  }
  if (Coord.Y >= FFixedRows) {
    if (Coord.Y < top)
      top = Coord.Y;
    else if (Coord.Y > info.Vert.LastFullVisibleCell)
      top = std::max(firstFor(info.Vert, Coord.Y), top);
  }
  MoveTopLeft(left, top);
}

void TCustomGrid::MoveColRow(Integer ACol, Integer ARow, bool MoveAnchor, bool Show)
{
  ACol = std::clamp(ACol, FFixedCols, FColCount - 1);
  ARow = std::clamp(ARow, FFixedRows, FRowCount - 1);
  if (ACol == FCurrent.X && ARow == FCurrent.Y) {
    if (MoveAnchor && !(FAnchor == FCurrent)) {
      FAnchor = FCurrent;
      Invalidate();
    }
    if (Show)
      ClampInView(FCurrent);
    return;
  }
  // A masked editor with an incomplete text keeps its cell (the error is raised).
  if (FInplaceEdit && FInplaceEdit->Visible() && FInplaceEdit->IsMasked())
    FInplaceEdit->ValidateEdit();
  if (!SelectCell(ACol, ARow))
    return;
  FocusCell(ACol, ARow, MoveAnchor);
  if (Show)
    ClampInView(FCurrent);
}

void TCustomGrid::FocusCell(Integer ACol, Integer ARow, bool MoveAnchor)
{
  UpdateText();
  FCurrent = {ACol, ARow};
  if (MoveAnchor || !FOptions.Contains(goRangeSelect))
    FAnchor = FCurrent;
  if (FOptions.Contains(goRowSelect))
    FAnchor.X = FCurrent.X;
  Invalidate();
  Click();
  UpdateEdit();
}

void TCustomGrid::InvalidateCell(Integer ACol, Integer ARow)
{
  InvalidateRect({ACol, ARow, ACol, ARow});
}

void TCustomGrid::InvalidateRect(const TGridRect& ARect)
{
  if (!HandleAllocated())
    return;
  TRect r = BoxRect(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
  if (IsRectEmpty(r))
    return;
  r.Right += FGridLineWidth;
  r.Bottom += FGridLineWidth;
  ::InvalidateRect(Handle(), &r, false);
}

void TCustomGrid::InvalidateCol(Integer ACol)
{
  InvalidateRect({ACol, 0, ACol, FRowCount - 1});
}

void TCustomGrid::InvalidateRow(Integer ARow)
{
  InvalidateRect({0, ARow, FColCount - 1, ARow});
}

// ---- Moving columns and rows ----

void TCustomGrid::MoveColumn(Integer FromIndex, Integer ToIndex)
{
  if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= FColCount ||
      ToIndex >= FColCount)
    return;
  auto moveItem = [&](auto& v, auto fill) {
    if (v.empty())
      return;
    v.resize(FColCount, fill);
    auto item = v[FromIndex];
    v.erase(v.begin() + FromIndex);
    v.insert(v.begin() + ToIndex, item);
  };
  moveItem(FColWidths, FDefaultColWidth);
  moveItem(FTabStops, true);
  auto follow = [&](Integer& c) {
    if (c == FromIndex)
      c = ToIndex;
    else if (FromIndex < ToIndex && c > FromIndex && c <= ToIndex)
      --c;
    else if (FromIndex > ToIndex && c >= ToIndex && c < FromIndex)
      ++c;
  };
  UpdateText();
  follow(FCurrent.X);
  follow(FAnchor.X);
  ColumnMoved(FromIndex, ToIndex);
  LayoutChanged();
  if (FInplaceEdit && FInplaceEdit->Visible())
    FInplaceEdit->UpdateContents();
}

void TCustomGrid::MoveRow(Integer FromIndex, Integer ToIndex)
{
  if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= FRowCount ||
      ToIndex >= FRowCount)
    return;
  if (!FRowHeights.empty()) {
    FRowHeights.resize(FRowCount, FDefaultRowHeight);
    Integer item = FRowHeights[FromIndex];
    FRowHeights.erase(FRowHeights.begin() + FromIndex);
    FRowHeights.insert(FRowHeights.begin() + ToIndex, item);
  }
  auto follow = [&](Integer& r) {
    if (r == FromIndex)
      r = ToIndex;
    else if (FromIndex < ToIndex && r > FromIndex && r <= ToIndex)
      --r;
    else if (FromIndex > ToIndex && r >= ToIndex && r < FromIndex)
      ++r;
  };
  UpdateText();
  follow(FCurrent.Y);
  follow(FAnchor.Y);
  RowMoved(FromIndex, ToIndex);
  LayoutChanged();
  if (FInplaceEdit && FInplaceEdit->Visible())
    FInplaceEdit->UpdateContents();
}

// ---- Editor ----

TInplaceEdit* TCustomGrid::CreateEditor()
{
  return new TInplaceEdit(this);
}

bool TCustomGrid::CanEditShow()
{
  return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) &&
         (FEditorMode || FOptions.Contains(goAlwaysShowEditor)) && HandleAllocated() &&
         !ComponentState().Contains(csDesigning) && FColCount > FFixedCols &&
         FRowCount > FFixedRows;
}

void TCustomGrid::SetEditorMode(bool Value)
{
  if (Value)
    ShowEditor();
  else
    HideEditor();
}

void TCustomGrid::ShowEditor()
{
  FEditorMode = true;
  UpdateEdit();
  if (!FInplaceEdit || !FInplaceEdit->Visible())
    FEditorMode = false;
}

void TCustomGrid::HideEditor()
{
  FEditorMode = false;
  if (FInplaceEdit && FInplaceEdit->Visible()) {
    UpdateText();
    FInplaceEdit->Hide();
  }
}

void TCustomGrid::ShowEditorChar(char Ch)
{
  ShowEditor();
  if (FInplaceEdit && FInplaceEdit->Visible()) {
    FInplaceEdit->SelectAll();
    PostMessage(FInplaceEdit->Handle(), WM_CHAR, static_cast<unsigned char>(Ch), 0);
  }
}

void TCustomGrid::UpdateText()
{
  if (FEditUpdate || !FInplaceEdit || FInplaceCol < 0 || !FInplaceEdit->Visible())
    return;
  FEditUpdate = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FEditUpdate};
  if (FInplaceEdit->Modified())
    SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGrid::InvalidateEditor()
{
  FInplaceCol = -1;
  FInplaceRow = -1;
  UpdateEdit();
}

void TCustomGrid::UpdateEdit()
{
  if (!CanEditShow()) {
    if (FInplaceEdit && FInplaceEdit->Visible())
      FInplaceEdit->Hide();
    return;
  }
  if (!FInplaceEdit) {
    FInplaceEdit = CreateEditor();
    FInplaceEdit->SetGrid(this);
    FInplaceEdit->SetParent(this);
    FInplaceCol = FInplaceRow = -1;
  }
  if (FInplaceCol != FCurrent.X || FInplaceRow != FCurrent.Y || !FInplaceEdit->Visible()) {
    FInplaceCol = FCurrent.X;
    FInplaceRow = FCurrent.Y;
    FInplaceEdit->UpdateContents();
    FInplaceEdit->SelectAll();
  }
  TRect r = CellRect(FCurrent.X, FCurrent.Y);
  if (IsRectEmpty(r)) {
    FInplaceEdit->Hide();
    return;
  }
  FInplaceEdit->Move(r);
}

// ---- Painting ----

void TCustomGrid::Paint()
{
  TCanvas* c = Canvas();
  c->SetFont(Font());
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TGridRect sel = Selection();
  bool focused = Focused() || (FInplaceEdit && FInplaceEdit->Focused());
  auto visibleCells = [&](const TGridAxisDrawInfo& a) {
    std::vector<Integer> cells;
    for (Integer i = 0; i < a.FixedCellCount; ++i)
      cells.push_back(i);
    for (Integer i = a.FirstGridCell; i < a.GridCellCount && LinePos(a, i) >= 0; ++i)
      cells.push_back(i);
    return cells;
  };
  std::vector<Integer> cols = visibleCells(info.Horz), rows = visibleCells(info.Vert);
  for (Integer row : rows) {
    Integer top = LinePos(info.Vert, row);
    Integer h = info.Vert.GetExtent(row);
    if (h < 0)
      continue;
    for (Integer col : cols) {
      Integer left = LinePos(info.Horz, col);
      Integer w = info.Horz.GetExtent(col);
      if (w < 0)
        continue;
      TRect r(left, top, left + w, top + h);
      TGridDrawState state;
      bool fixed = col < FFixedCols || row < FFixedRows;
      if (fixed) {
        state.Include(gdFixed);
      } else {
        bool current = col == FCurrent.X && row == FCurrent.Y;
        if (current && focused)
          state.Include(gdFocused);
        bool inSel = col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom;
        if (inSel &&
            (!current || FOptions.Contains(goDrawFocusSelected) || FOptions.Contains(goRowSelect)))
          state.Include(gdSelected);
      }
      if (FDefaultDrawing) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(fixed                        ? FFixedColor
                             : state.Contains(gdSelected) ? clHighlight
                                                          : FColor);
        c->Font()->SetColor(state.Contains(gdSelected) ? clHighlightText : Font()->Color());
        c->FillRect(r);
      }
      DrawCell(col, row, r, state);
      if (FDefaultDrawing && fixed && FGridLineWidth > 0 &&
          (FOptions.Contains(goFixedVertLine) || FOptions.Contains(goFixedHorzLine))) {
        TRect edge = r;
        DrawEdge(c, edge, BDR_RAISEDINNER, BF_RECT);
      }
      if (FDefaultDrawing && state.Contains(gdFocused) && !FOptions.Contains(goRowSelect) &&
          !(FInplaceEdit && FInplaceEdit->Visible())) {
        c->Brush()->SetColor(FColor);
        c->DrawFocusRect(r);
      }
    }
  }
  // The grid lines: one past each cell shown, in the fixed and the scrolling part.
  c->Brush()->SetStyle(bsSolid);
  auto lines = [&](bool vertical) {
    const TGridAxisDrawInfo& a = vertical ? info.Horz : info.Vert;
    const TGridAxisDrawInfo& other = vertical ? info.Vert : info.Horz;
    if (a.EffectiveLineWidth <= 0)
      return;
    for (Integer i : vertical ? cols : rows) {
      Integer e = a.GetExtent(i);
      if (e < 0)
        continue;
      bool fixedCell = i < a.FixedCellCount;
      Integer p = LinePos(a, i) + e;
      // Across the fixed part, then the scrolling part.
      for (int part = 0; part < 2; ++part) {
        Integer from = part == 0 ? 0 : other.FixedBoundary;
        Integer to = part == 0 ? other.FixedBoundary : other.GridBoundary;
        bool fixedPart = fixedCell || part == 0;
        bool want = vertical ? FOptions.Contains(fixedPart ? goFixedVertLine : goVertLine)
                             : FOptions.Contains(fixedPart ? goFixedHorzLine : goHorzLine);
        if (!want || from >= to)
          continue;
        c->Brush()->SetColor(fixedPart ? clBlack : clSilver);
        c->FillRect(vertical ? TRect(p, from, p + a.EffectiveLineWidth, to)
                             : TRect(from, p, to, p + a.EffectiveLineWidth));
      }
    }
  };
  lines(true);
  lines(false);
  // What lies beyond the last cells.
  c->Brush()->SetColor(FColor);
  TRect client = ClientRect();
  if (info.Horz.GridBoundary < client.Right)
    c->FillRect(TRect(info.Horz.GridBoundary, 0, client.Right, client.Bottom));
  if (info.Vert.GridBoundary < client.Bottom)
    c->FillRect(TRect(0, info.Vert.GridBoundary, info.Horz.GridBoundary, client.Bottom));
}

// ---- Keys ----

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift)
{
  TDestroyWatch watch(this);
  TCustomControl::KeyDown(Key, Shift);
  if (watch.Destroyed() || Key == 0 || !CanGridAcceptKey(Key, Shift))
    return;
  bool ctrl = Shift.Contains(ssCtrl);
  bool shift = Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect) &&
               !FOptions.Contains(goRowSelect);
  TGridCoord target = FCurrent;
  Integer pageRows = std::max<Integer>(VisibleRowCount(), 1);
  bool handled = true;
  switch (Key) {
  case VK_UP:
    --target.Y;
    break;
  case VK_DOWN:
    ++target.Y;
    break;
  case VK_LEFT:
    if (FOptions.Contains(goRowSelect)) {
      SetLeftCol(FTopLeft.X - 1);
      Key = 0;
      return;
    }
    --target.X;
    break;
  case VK_RIGHT:
    if (FOptions.Contains(goRowSelect)) {
      SetLeftCol(FTopLeft.X + 1);
      Key = 0;
      return;
    }
    ++target.X;
    break;
  case VK_PRIOR:
    target.Y -= pageRows;
    SetTopRow(FTopLeft.Y - pageRows);
    break;
  case VK_NEXT:
    target.Y += pageRows;
    SetTopRow(FTopLeft.Y + pageRows);
    break;
  case VK_HOME:
    target.X = FFixedCols;
    if (ctrl)
      target.Y = FFixedRows;
    break;
  case VK_END:
    target.X = FColCount - 1;
    if (ctrl)
      target.Y = FRowCount - 1;
    break;
  case VK_TAB:
    if (!FOptions.Contains(goTabs) || Shift.Contains(ssAlt)) {
      handled = false;
      break;
    }
    {
      // The next (previous with Shift) column that is a tab stop, wrapping to the next
      // (previous) row.
      bool back = Shift.Contains(ssShift);
      Integer c = FCurrent.X, r = FCurrent.Y;
      Integer cells = (FColCount - FFixedCols) * (FRowCount - FFixedRows);
      for (Integer n = 0; n < cells; ++n) {
        c += back ? -1 : 1;
        if (c >= FColCount) {
          c = FFixedCols;
          if (++r >= FRowCount)
            r = FFixedRows;
        } else if (c < FFixedCols) {
          c = FColCount - 1;
          if (--r < FFixedRows)
            r = FRowCount - 1;
        }
        if (TabStops(c) && ColWidths(c) > 0)
          break;
      }
      target = {c, r};
      shift = false;
    }
    break;
  case VK_F2:
    // The editor opens with the caret after the text.
    SetEditorMode(true);
    if (FInplaceEdit && FInplaceEdit->Visible())
      FInplaceEdit->SetSelStart(static_cast<Integer>(FInplaceEdit->EditText().size()));
    Key = 0;
    return;
  default:
    handled = false;
  }
  if (!handled)
    return;
  Key = 0;
  // Hidden columns and rows are stepped over in the direction of travel.
  auto skipHidden = [&](Integer& v, Integer from, Integer count, Integer fixed, bool cols) {
    Integer dir = v >= from ? 1 : -1;
    v = std::clamp(v, fixed, count - 1);
    while ((cols ? ColWidths(v) : RowHeights(v)) < 0) {
      Integer next = v + dir;
      if (next < fixed || next >= count)
        break;
      v = next;
    }
  };
  skipHidden(target.X, FCurrent.X, FColCount, FFixedCols, true);
  skipHidden(target.Y, FCurrent.Y, FRowCount, FFixedRows, false);
  MoveColRow(target.X, target.Y, !shift, true);
}

void TCustomGrid::KeyPress(char& Key)
{
  TDestroyWatch watch(this);
  TCustomControl::KeyPress(Key);
  if (watch.Destroyed() || Key == 0)
    return;
  if (!FOptions.Contains(goEditing))
    return;
  if (Key == '\r') {
    if (!FOptions.Contains(goAlwaysShowEditor)) {
      if (FEditorMode)
        HideEditor();
      else
        ShowEditor();
    }
    Key = 0;
    return;
  }
  unsigned char ch = static_cast<unsigned char>(Key);
  if (!FEditorMode && ch >= 0x20 && CanEditAcceptKey(Key) && CanEditModify()) {
    ShowEditorChar(Key);
    Key = 0;
  }
}

// ---- Mouse ----

void TCustomGrid::CalcSizingState(Integer X, Integer Y, TGridState& State, Integer& Index,
                                  Integer& SizingPos, Integer& SizingOfs, TGridDrawInfo& FixedInfo)
{
  State = gsNormal;
  Index = -1;
  CalcDrawInfo(FixedInfo);
  auto nearLine = [&](const TGridAxisDrawInfo& a, Integer n) {
    // The last line within the band wins, so a column sized to nothing can grow again.
    Integer found = -1;
    for (Integer i = 0; i < a.GridCellCount; ++i) {
      if (i >= a.FixedCellCount && i < a.FirstGridCell)
        continue;
      Integer p = LinePos(a, i);
      if (p < 0)
        break;
      Integer e = a.GetExtent(i);
      if (e < 0)
        continue;
      Integer line = p + e;
      if (std::abs(n - line) <= kSizingBand || (n >= line && n < line + a.EffectiveLineWidth)) {
        found = i;
        SizingPos = line;
        SizingOfs = line - n;
      }
    }
    return found;
  };
  if (FOptions.Contains(goColSizing) && Y < FixedInfo.Vert.FixedBoundary &&
      X < FixedInfo.Horz.GridBoundary + kSizingBand) {
    Index = nearLine(FixedInfo.Horz, X);
    if (Index >= 0) {
      State = gsColSizing;
      return;
    }
  }
  if (FOptions.Contains(goRowSizing) && X < FixedInfo.Horz.FixedBoundary &&
      Y < FixedInfo.Vert.GridBoundary + kSizingBand) {
    Index = nearLine(FixedInfo.Vert, Y);
    if (Index >= 0)
      State = gsRowSizing;
  }
}

void TCustomGrid::GestureTick()
{
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TGridScrollDirection dir;
  bool rows = FGridState != gsColMoving, cols = FGridState != gsRowMoving;
  if (cols && FGesturePoint.X < info.Horz.FixedBoundary)
    dir.Include(sdLeft);
  else if (cols && FGesturePoint.X >= ClientWidth())
    dir.Include(sdRight);
  if (rows && FGesturePoint.Y < info.Vert.FixedBoundary)
    dir.Include(sdUp);
  else if (rows && FGesturePoint.Y >= ClientHeight())
    dir.Include(sdDown);
  if ((FGridState == gsSelecting || FGridState == gsColMoving || FGridState == gsRowMoving) &&
      !dir.Empty())
    TimedScroll(dir);
}

void TCustomGrid::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_TIMER:
    if (Message.WParam == kScrollTimer) {
      if (FGridState != gsNormal)
        GestureTick();
      return;
    }
    break;
  case WM_MOUSEMOVE:
    if (FGridState != gsNormal) {
      FGesturePoint = MessagePoint(Message);
      FollowGesture(FGesturePoint.X, FGesturePoint.Y);
    }
    break;
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS;
    if (!FOptions.Contains(goRowSelect))
      Message.Result |= DLGC_WANTCHARS;
    if (FOptions.Contains(goTabs))
      Message.Result |= DLGC_WANTTAB;
    return;
  case WM_HSCROLL:
  case WM_VSCROLL:
    if (Message.LParam == 0) {
      ScrollMessage(Message, Message.Msg == WM_VSCROLL);
      return;
    }
    break;
  case WM_SETCURSOR:
    if (LOWORD(Message.LParam) == HTCLIENT && FGridState == gsNormal) {
      TPoint p = ScreenToClient(Mouse()->CursorPos());
      TGridState state;
      Integer index, pos, ofs;
      TGridDrawInfo info;
      CalcSizingState(p.X, p.Y, state, index, pos, ofs, info);
      if (state == gsColSizing || state == gsRowSizing) {
        SetCursor(Screen()->Cursors(state == gsColSizing ? crHSplit : crVSplit));
        Message.Result = 1;
        return;
      }
    }
    break;
  case WM_SETFOCUS:
    TCustomControl::Dispatch(Message);
    InvalidateCell(FCurrent.X, FCurrent.Y);
    if (CanEditShow() && FInplaceEdit && FInplaceEdit->Visible() && FInplaceEdit->CanFocus())
      FInplaceEdit->SetFocus();
    else if (FOptions.Contains(goAlwaysShowEditor))
      ShowEditor();
    return;
  case WM_KILLFOCUS:
    InvalidateCell(FCurrent.X, FCurrent.Y);
    break;
  case WM_SIZE:
    TCustomControl::Dispatch(Message);
    {
      TGridCoord top = CalcMaxTopLeft();
      if (FTopLeft.X > top.X || FTopLeft.Y > top.Y)
        MoveTopLeft(std::min(FTopLeft.X, top.X), std::min(FTopLeft.Y, top.Y));
    }
    LayoutChanged();
    return;
  case CM_FONTCHANGED:
    TCustomControl::Dispatch(Message);
    Invalidate();
    return;
  }
  TCustomControl::Dispatch(Message);
}

void TCustomGrid::ScrollMessage(TMessage& Message, bool Vertical)
{
  Integer code = LOWORD(Message.WParam);
  Integer current = Vertical ? FTopLeft.Y : FTopLeft.X;
  Integer page = std::max<Integer>(Vertical ? VisibleRowCount() : VisibleColCount(), 1);
  Integer target = current;
  switch (code) {
  case SB_LINEUP:
    --target;
    break;
  case SB_LINEDOWN:
    ++target;
    break;
  case SB_PAGEUP:
    target -= page;
    break;
  case SB_PAGEDOWN:
    target += page;
    break;
  case SB_TOP:
    target = 0;
    break;
  case SB_BOTTOM:
    target = Vertical ? FRowCount : FColCount;
    break;
  case SB_THUMBPOSITION:
  case SB_THUMBTRACK:
    if (code == SB_THUMBTRACK && !FOptions.Contains(goThumbTracking))
      return;
    {
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS | SIF_POS;
      GetScrollInfo(Handle(), Vertical ? SB_VERT : SB_HORZ, si);
      target = code == SB_THUMBTRACK ? si.nTrackPos : si.nTrackPos;
    }
    break;
  default:
    return;
  }
  if (Vertical)
    SetTopRow(target);
  else
    SetLeftCol(target);
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  if (FCurrent.Y < FRowCount - 1)
    MoveColRow(FCurrent.X, FCurrent.Y + 1, true, true);
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  if (FCurrent.Y > FFixedRows)
    MoveColRow(FCurrent.X, FCurrent.Y - 1, true, true);
  return true;
}

bool TCustomGrid::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  return WheelDelta < 0 ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos);
}

void TCustomGrid::DblClick()
{
  TCustomControl::DblClick();
}

void TCustomGrid::DoExit()
{
  TCustomControl::DoExit();
  if (!FOptions.Contains(goAlwaysShowEditor))
    HideEditor();
}

void TCustomGrid::Resize()
{
  TCustomControl::Resize();
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  if (Button != mbLeft || ComponentState().Contains(csDesigning)) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (TakesFocusOnMouseDown() && !Focused() && CanFocus() &&
      !(FInplaceEdit && FInplaceEdit->Focused())) {
    SetFocus();
    if (watch.Destroyed() || !Focused())
      return;
  }
  TGridDrawInfo info;
  TGridState state;
  Integer index = -1, pos = 0, ofs = 0;
  CalcSizingState(X, Y, state, index, pos, ofs, info);
  if (state != gsNormal) {
    FGridState = state;
    FSizingIndex = index;
    FSizingPos = pos;
    FSizingOfs = ofs;
    DrawSizingLine(info);
  } else {
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < 0) {
      TCustomControl::MouseDown(Button, Shift, X, Y);
      return;
    }
    if (FOptions.Contains(goColMoving) && cell.Y < FFixedRows && cell.X >= FFixedCols) {
      FGridState = gsColMoving;
      FMoveIndex = FMovePos = cell.X;
    } else if (FOptions.Contains(goRowMoving) && cell.X < FFixedCols && cell.Y >= FFixedRows) {
      FGridState = gsRowMoving;
      FMoveIndex = FMovePos = cell.Y;
    } else if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
      // A click on the current cell of an editing grid opens the editor.
      bool again = cell == FCurrent && FOptions.Contains(goEditing) && !Shift.Contains(ssShift) &&
                   !Shift.Contains(ssDouble);
      if (again) {
        ShowEditor();
      } else {
        bool extend = Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect);
        MoveColRow(cell.X, cell.Y, !extend, true);
        if (watch.Destroyed())
          return;
        if (FOptions.Contains(goRangeSelect) && !FOptions.Contains(goRowSelect))
          FGridState = gsSelecting;
        else if (FOptions.Contains(goRowSelect))
          FGridState = gsSelecting;
      }
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (watch.Destroyed() || FGridState == gsNormal)
    return;
  TrackGesture(Shift, X, Y);
}

// One loop per gesture: it follows the pointer, scrolls on a timer while the pointer is
// outside the cells, and ends on the release (Esc or a lost capture give the gesture up).
void TCustomGrid::TrackGesture(TShiftState Shift, Integer X, Integer Y)
{
  if (!HandleAllocated())
    return;
  HWND h = Handle();
  TDestroyWatch watch(this);
  bool done = false, cancelled = false;
  FGesturePoint = {X, Y};
  SetTimer(h, kScrollTimer, kScrollInterval);
  struct TStop {
    TCustomGrid* Self;
    TDestroyWatch& Watch;
    HWND Window;
    ~TStop()
    {
      KillTimer(Window, kScrollTimer);
      if (!Watch.Destroyed()) {
        Self->HideSizingLine();
        Self->FGridState = gsNormal;
      }
    }
  } stop{this, watch, h};
  TTrackLoop loop;
  loop.CaptureWindow = h;
  loop.FilterCode = MSGF_USER;
  loop.Name = "the grid";
  loop.Running = [&] { return !done && !watch.Destroyed(); };
  // The grid's own handling follows the moves and the ticks (WM_MOUSEMOVE and WM_TIMER
  // while a gesture runs); the release reaches the control too (OnMouseUp).
  loop.OnMessage = [&](MSG& m) -> TTrackReply {
    switch (m.message) {
    case WM_LBUTTONUP: {
      TPoint p = ScreenToClient(m.pt);
      EndGesture(p.X, p.Y, false);
      done = true;
      return trPass;
    }
    case WM_KEYDOWN:
      if (m.wParam == VK_ESCAPE) {
        cancelled = true;
        done = true;
      }
      return trHandled;
    case WM_CHAR:
    case WM_KEYUP:
      return trHandled;
    }
    return trPass;
  };
  TTrackEnd how = TrackModal(loop);
  if (watch.Destroyed())
    return;
  if (cancelled || how != teEnded)
    EndGesture(FGesturePoint.X, FGesturePoint.Y, true);
}

void TCustomGrid::FollowGesture(Integer X, Integer Y)
{
  TGridDrawInfo info;
  CalcDrawInfo(info);
  switch (FGridState) {
  case gsColSizing:
  case gsRowSizing: {
    const TGridAxisDrawInfo& a = FGridState == gsColSizing ? info.Horz : info.Vert;
    Integer start = LinePos(a, FSizingIndex);
    Integer n = (FGridState == gsColSizing ? X : Y) + FSizingOfs;
    FSizingPos = std::max(n, start < 0 ? 0 : start);
    DrawSizingLine(info);
    return;
  }
  case gsColMoving:
  case gsRowMoving: {
    bool cols = FGridState == gsColMoving;
    const TGridAxisDrawInfo& a = cols ? info.Horz : info.Vert;
    Integer n = cols ? X : Y;
    Integer cell = CalcCoord(a, std::clamp(n, a.FixedBoundary, std::max(a.GridBoundary - 1, 0)));
    Integer fixed = cols ? FFixedCols : FFixedRows;
    if (cell >= fixed && cell != FMovePos) {
      FMovePos = cell;
      DrawMove();
    }
    return;
  }
  case gsSelecting: {
    // Beyond the cells the selection reaches the last cell shown whole.
    TGridCoord cell = MouseCoord(
        std::clamp<Integer>(X, info.Horz.FixedBoundary, std::max(info.Horz.FullVisBoundary - 1, 0)),
        std::clamp<Integer>(Y, info.Vert.FixedBoundary,
                            std::max(info.Vert.FullVisBoundary - 1, 0)));
    if (cell.X >= FFixedCols && cell.Y >= FFixedRows && !(cell == FCurrent))
      MoveColRow(cell.X, cell.Y, !FOptions.Contains(goRangeSelect), false);
    return;
  }
  default:
    return;
  }
}

void TCustomGrid::EndGesture(Integer X, Integer Y, bool Cancelled)
{
  TGridState state = FGridState;
  HideSizingLine();
  FGridState = gsNormal;
  if (Cancelled)
    return;
  switch (state) {
  case gsColSizing:
  case gsRowSizing: {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    bool cols = state == gsColSizing;
    Integer start = LinePos(cols ? info.Horz : info.Vert, FSizingIndex);
    if (start < 0)
      return;
    Integer size = std::max<Integer>(FSizingPos - start, 0);
    if (cols)
      SetColWidths(FSizingIndex, size);
    else
      SetRowHeights(FSizingIndex, size);
    return;
  }
  case gsColMoving:
    if (FMovePos != FMoveIndex)
      MoveColumn(FMoveIndex, FMovePos);
    return;
  case gsRowMoving:
    if (FMovePos != FMoveIndex)
      MoveRow(FMoveIndex, FMovePos);
    return;
  default:
    return;
  }
}

void TCustomGrid::TimedScroll(TGridScrollDirection Direction)
{
  TGridCoord target = FCurrent;
  Integer left = FTopLeft.X, top = FTopLeft.Y;
  if (Direction.Contains(sdLeft))
    left = std::max(left - 1, FFixedCols);
  if (Direction.Contains(sdRight))
    ++left;
  if (Direction.Contains(sdUp))
    top = std::max(top - 1, FFixedRows);
  if (Direction.Contains(sdDown))
    ++top;
  MoveTopLeft(left, top);
  if (FGridState != gsSelecting) {
    // A column or row being moved follows the edge it scrolls to.
    TGridDrawInfo info;
    CalcDrawInfo(info);
    if (FGridState == gsColMoving)
      FMovePos = Direction.Contains(sdLeft) ? FTopLeft.X : info.Horz.LastFullVisibleCell;
    else if (FGridState == gsRowMoving)
      FMovePos = Direction.Contains(sdUp) ? FTopLeft.Y : info.Vert.LastFullVisibleCell;
    return;
  }
  TGridDrawInfo info;
  CalcDrawInfo(info);
  if (Direction.Contains(sdLeft))
    target.X = FTopLeft.X;
  if (Direction.Contains(sdRight))
    target.X = std::max(info.Horz.LastFullVisibleCell, FFixedCols);
  if (Direction.Contains(sdUp))
    target.Y = FTopLeft.Y;
  if (Direction.Contains(sdDown))
    target.Y = std::max(info.Vert.LastFullVisibleCell, FFixedRows);
  MoveColRow(target.X, target.Y, !FOptions.Contains(goRangeSelect), false);
}

void TCustomGrid::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

// The dotted line that shows where a sized column or row will end (an XOR overlay over
// the whole grid).
void TCustomGrid::DrawSizingLine(const TGridDrawInfo& DrawInfo)
{
  if (!HandleAllocated())
    return;
  bool cols = FGridState == gsColSizing;
  TPoint origin = ClientToScreen(cols ? TPoint{FSizingPos, 0} : TPoint{0, FSizingPos});
  TRect screen = cols ? Bounds(origin.X, origin.Y, 1, ClientHeight())
                      : Bounds(origin.X, origin.Y, ClientWidth(), 1);
  if (!FSizingLine) {
    FSizingLine = CreateOverlay(screen, omXor);
    TCanvas* c = OverlayCanvas(FSizingLine);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBlack);
    c->FillRect(Rect(0, 0, screen.Width(), screen.Height()));
    c->Pen()->SetColor(clWhite);
    c->Pen()->SetStyle(psDot);
    c->MoveTo(0, 0);
    c->LineTo(screen.Width() - (cols ? 1 : 0), screen.Height() - (cols ? 0 : 1));
    OverlayChanged(FSizingLine);
    return;
  }
  MoveOverlay(FSizingLine, screen.TopLeft());
}

// The mark of where a moved column or row will land: a line at the target's edge.
void TCustomGrid::DrawMove()
{
  if (!HandleAllocated())
    return;
  bool cols = FGridState == gsColMoving;
  TRect cell = cols ? CellRect(FMovePos, 0) : CellRect(0, FMovePos);
  if (IsRectEmpty(cell)) {
    HideSizingLine();
    return;
  }
  bool after = FMovePos > FMoveIndex;
  Integer edge = cols ? (after ? cell.Right : cell.Left) : (after ? cell.Bottom : cell.Top);
  TPoint origin = ClientToScreen(cols ? TPoint{edge - 1, 0} : TPoint{0, edge - 1});
  TRect screen = cols ? Bounds(origin.X, origin.Y, 2, ClientHeight())
                      : Bounds(origin.X, origin.Y, ClientWidth(), 2);
  if (!FSizingLine) {
    FSizingLine = CreateOverlay(screen, omXor);
    TCanvas* c = OverlayCanvas(FSizingLine);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, screen.Width(), screen.Height()));
    OverlayChanged(FSizingLine);
    return;
  }
  MoveOverlay(FSizingLine, screen.TopLeft());
}

void TCustomGrid::HideSizingLine()
{
  if (FSizingLine) {
    DestroyOverlay(FSizingLine);
    FSizingLine = 0;
  }
}

// ---- TDrawGrid ----

void TDrawGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState)
{
  if (OnDrawCell)
    OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TDrawGrid::SelectCell(Integer ACol, Integer ARow)
{
  bool can = true;
  if (OnSelectCell)
    OnSelectCell(this, ACol, ARow, can);
  return can;
}

AnsiString TDrawGrid::GetEditMask(Integer ACol, Integer ARow)
{
  AnsiString mask;
  if (OnGetEditMask)
    OnGetEditMask(this, ACol, ARow, mask);
  return mask;
}

AnsiString TDrawGrid::GetEditText(Integer ACol, Integer ARow)
{
  AnsiString text;
  if (OnGetEditText)
    OnGetEditText(this, ACol, ARow, text);
  return text;
}

void TDrawGrid::SetEditText(Integer ACol, Integer ARow, const AnsiString& Value)
{
  if (OnSetEditText)
    OnSetEditText(this, ACol, ARow, Value);
}

void TDrawGrid::ColumnMoved(Integer FromIndex, Integer ToIndex)
{
  if (OnColumnMoved)
    OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(Integer FromIndex, Integer ToIndex)
{
  if (OnRowMoved)
    OnRowMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::TopLeftChanged()
{
  TCustomGrid::TopLeftChanged();
  if (OnTopLeftChanged)
    OnTopLeftChanged(this);
}

// ---- TStringGrid ----

TStringGrid::TCell* TStringGrid::Find(Integer ACol, Integer ARow, bool Create)
{
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) {
    if (Create)
      throw EInvalidGridOperation("Grid index out of range");
    return nullptr;
  }
  if (static_cast<Integer>(FCells.size()) <= ARow) {
    if (!Create)
      return nullptr;
    FCells.resize(ARow + 1);
  }
  auto& row = FCells[ARow];
  if (static_cast<Integer>(row.size()) <= ACol) {
    if (!Create)
      return nullptr;
    row.resize(ACol + 1);
  }
  return &row[ACol];
}

const TStringGrid::TCell* TStringGrid::Find(Integer ACol, Integer ARow) const
{
  if (ARow < 0 || ACol < 0 || ARow >= static_cast<Integer>(FCells.size()) ||
      ACol >= static_cast<Integer>(FCells[ARow].size()))
    return nullptr;
  return &FCells[ARow][ACol];
}

AnsiString TStringGrid::Cells(Integer ACol, Integer ARow) const
{
  const TCell* c = Find(ACol, ARow);
  return c ? c->Text : AnsiString();
}

void TStringGrid::SetCells(Integer ACol, Integer ARow, const AnsiString& Value)
{
  TCell* c = Find(ACol, ARow, true);
  if (c->Text == Value)
    return;
  c->Text = Value;
  InvalidateCell(ACol, ARow);
  if (FInplaceEdit && ACol == FInplaceCol && ARow == FInplaceRow && !FInplaceEdit->Focused())
    InvalidateEditor();
}

TObject* TStringGrid::Objects(Integer ACol, Integer ARow) const
{
  const TCell* c = Find(ACol, ARow);
  return c ? c->Object : nullptr;
}

void TStringGrid::SetObjects(Integer ACol, Integer ARow, TObject* Value)
{
  Find(ACol, ARow, true)->Object = Value;
}

void TStringGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState)
{
  if (DefaultDrawing()) {
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, Cells(ACol, ARow));
    Canvas()->Brush()->SetStyle(bsSolid);
  }
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

AnsiString TStringGrid::GetEditText(Integer ACol, Integer ARow)
{
  AnsiString text = Cells(ACol, ARow);
  if (OnGetEditText)
    OnGetEditText(this, ACol, ARow, text);
  return text;
}

void TStringGrid::SetEditText(Integer ACol, Integer ARow, const AnsiString& Value)
{
  TCell* c = Find(ACol, ARow, true);
  if (c->Text != Value) {
    c->Text = Value;
    InvalidateCell(ACol, ARow);
  }
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::ColumnMoved(Integer FromIndex, Integer ToIndex)
{
  for (auto& row : FCells) {
    row.resize(ColCount());
    TCell cell = row[FromIndex];
    row.erase(row.begin() + FromIndex);
    row.insert(row.begin() + ToIndex, cell);
  }
  TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(Integer FromIndex, Integer ToIndex)
{
  FCells.resize(RowCount());
  auto row = std::move(FCells[FromIndex]);
  FCells.erase(FCells.begin() + FromIndex);
  FCells.insert(FCells.begin() + ToIndex, std::move(row));
  TDrawGrid::RowMoved(FromIndex, ToIndex);
}

void TStringGrid::SizeChanged(Integer OldColCount, Integer OldRowCount)
{
  if (static_cast<Integer>(FCells.size()) > RowCount())
    FCells.resize(RowCount());
  for (auto& row : FCells)
    if (static_cast<Integer>(row.size()) > ColCount())
      row.resize(ColCount());
}
