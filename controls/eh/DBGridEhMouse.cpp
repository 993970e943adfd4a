// The grid's mouse: a press on a data cell moves the dataset to its record and makes the
// column current (opening the editor on a second click or on the edit button), title
// buttons with sort marking, check-box clicks, and the base grid's sizing and moving of
// columns (DBGridEh.h describes the unit).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Menus.h"

void TCustomDBGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  FClickedCell = {-1, -1};
  FButtonPressedCell = {-1, -1};
  FTrackPoint = {X, Y};
  if (!AcquireFocus() || watch.Destroyed())
    return;
  // The right border of a frozen column's title sizes that column.
  Integer frozenIndex = -1, frozenPos = 0, frozenOfs = 0;
  if (Button == mbLeft && !Shift.Contains(ssDouble) &&
      InFrozenSizingZone(X, Y, frozenIndex, frozenPos, frozenOfs)) {
    if (FDataLink->Active())
      FDataLink->WritePendingEdits();
    FFrozenSizingIndex = frozenIndex;
    FFrozenSizingPos = frozenPos;
    FFrozenSizingOfs = frozenOfs;
    StartTracking(tmFrozenSizeEh);
    if (!FExtOptions.Contains(dgxLiveColSizingEh))
      ShowFrozenSizingLine();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  TGridDrawInfo info;
  TGridState state = gsNormal;
  Integer index = -1, pos = 0, ofs = 0;
  CalcSizingState(X, Y, state, index, pos, ofs, info);
  TGridCoord cell = MouseCoord(X, Y);
  // A double click on a column border fits the column (and the selected ones) to content.
  if (Shift.Contains(ssDouble) && state == gsColSizing &&
      FExtOptions.Contains(dgxDblClickFitColWidthEh) && index >= FIndicatorColCount &&
      index < ColCount()) {
    FitClickedColumnWidths(FColumns->Items(RawToDataColumn(index)));
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (state != gsNormal || cell.X < 0 || cell.Y < 0 || Button != mbLeft ||
      Shift.Contains(ssDouble)) {
    if (state != gsNormal && FDataLink->Active())
      FDataLink->WritePendingEdits();
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    return;
  }
  TCellTypeEh type = GetCellType(cell.X, cell.Y);
  if (SelectByMouse(cell, type, Shift, Y))
    return;
  if (type.Area == caTitleEh && type.HorzPart == 1) {
    bool enabled =
        type.DataCol < FColumns->Count() && FColumns->Items(type.DataCol)->Title()->TitleButton();
    CheckTitleButton(type.DataCol, enabled);
    if (enabled) {
      FPressedTitleCol = cell.X;
      SetCaptureControl(this);
      InvalidateCell(cell.X, cell.Y);
      return;
    }
    if (FDataLink->Active())
      FDataLink->WritePendingEdits();
    TCustomGrid::MouseDown(Button, Shift, X, Y); // moving the column by its title
    return;
  }
  // A click on the memory table's tree expands or collapses a node and nothing else.
  if (type.Area == caDataEh && MemTreeMouseDown(X, Y, false))
    return;
  if (type.Area != caDataEh || !RowHasRecord(type.AreaRow)) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  bool sameCell = cell.X == Col() && cell.Y == Row();
  {
    BeginUpdate();
    TScopeExit done([&] { EndUpdate(); });
    FDataLink->WritePendingEdits();
    if (!sameCell && !FOptions.Contains(dgAlwaysShowEditor))
      HideEditor();
    Integer delta = cell.Y - Row();
    bool multi = FOptions.Contains(dgMultiSelect);
    if (delta != 0) {
      if (Shift.Contains(ssShift) && multi)
        MoveBySelecting(true, delta, !FSelectableKinds.Contains(selRectEh), false);
      else {
        ClearSelectionOnMove();
        FDataLink->DataSet()->MoveBy(delta);
      }
    } else if (!Shift.Contains(ssShift))
      ClearSelectionOnMove();
    if (type.HorzPart == 1)
      SelectColumn(cell.X, 0, Shift.Contains(ssShift) && multi);
    if (Shift.Contains(ssCtrl) && multi && SelectionAllowed(selRowsEh))
      FSelectedRows->SetCurrentSelected(!FSelectedRows->CurrentSelected());
    // A drag from here selects: a rectangle of cells, or records in row mode.
    TDataSet* ds = FDataLink->DataSet();
    bool rowMode = FOptions.Contains(dgFullRowSelect) || !SelectionAllowed(selRectEh);
    if (multi && !ds->IsEmpty() && !rowMode && type.HorzPart == 1) {
      if (!Shift.Contains(ssShift))
        FSelection->Rect()->SelectCell(SelectedIndex(), ds->Bookmark(), false);
      FRowDrag = true;
      StartTracking(tmRectEh);
    } else if (multi && rowMode && SelectionAllowed(selRowsEh)) {
      bool ctrl = Shift.Contains(ssCtrl);
      if (!ctrl && !Shift.Contains(ssShift) && FExtOptions.Contains(dgxClearSelectionEh)) {
        ClearSelectionOnMove();
        FSelectedRows->SetCurrentSelected(true);
      }
      FAnchorBookmark = ds->Bookmark();
      FAnchorSelected = !FSelectedRows->CurrentSelected();
      FAnchorValid = true;
      FToggleMode = ctrl || !FExtOptions.Contains(dgxClearSelectionEh);
      StartTracking(tmRowSelectEh);
    }
  }
  if (watch.Destroyed())
    return;
  Update();
  if (type.HorzPart == 1 && type.DataCol < FColumns->Count()) {
    TColumnEh* c = FColumns->Items(type.DataCol);
    TColumnKindEh kind = c->Kind();
    if (kind == ckCheckboxes || kind == ckImageList)
      FClickedCell = {cell.X, cell.Y};
    else {
      TRect r = CellRect(cell.X, cell.Y);
      bool onButton = c->ColumnEditStyle() != cesPlain && X >= r.Right - EditButtonWidth();
      if ((sameCell || onButton || FOptions.Contains(dgAlwaysShowEditor)) &&
          FOptions.Contains(dgEditing)) {
        ShowEditor();
        if (onButton && CellEditor()) {
          FButtonPressedCell = {cell.X, cell.Y};
          CellEditor()->MainButtonPressed(Y >= (r.Top + r.Bottom) / 2);
        }
      }
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomDBGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  if (FTrackMode == tmFrozenSizeEh) {
    if (!FExtOptions.Contains(dgxLiveColSizingEh))
      SizeFrozenColumn(2);
    EndTracking();
    TCustomControl::MouseUp(Button, Shift, X, Y);
    return;
  }
  // A drag ends here; the release still counts as a click on its cell below.
  if (FTrackMode != tmNoneEh || FRowDrag)
    EndTracking();
  TGridCoord cell = MouseCoord(X, Y);
  if (FPressedTitleCol >= 0) {
    Integer pressed = FPressedTitleCol;
    FPressedTitleCol = -1;
    SetCaptureControl(nullptr);
    InvalidateCell(pressed, 0);
    if (cell.X == pressed && cell.Y == 0) {
      Integer dataCol = RawToDataColumn(pressed);
      TColumnEh* column = FColumns->Items(dataCol);
      TitleButtonClick(dataCol, column);
      if (watch.Destroyed())
        return;
      FSortPending = Shift.Contains(ssCtrl);
      if (FExtOptions.Contains(dgxAutoSortMarkingEh)) {
        column->Title()->CycleSortMarker(FSortPending);
        // With Ctrl the sorting is applied when Ctrl is released.
        if (!FSortPending)
          SortMarkingChanged();
      }
      if (watch.Destroyed())
        return;
      TitleClick(column);
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
    return;
  }
  bool sizing =
      GridState() == gsColSizing || GridState() == gsRowSizing || GridState() == gsColMoving;
  TCustomGrid::MouseUp(Button, Shift, X, Y);
  if (watch.Destroyed() || sizing || Button != mbLeft || cell.X < FIndicatorColCount || cell.Y < 0)
    return;
  TCellTypeEh type = GetCellType(cell.X, cell.Y);
  if (type.DataCol >= FColumns->Count())
    return;
  TColumnEh* column = FColumns->Items(type.DataCol);
  if (type.Area == caTitleEh) {
    TitleClick(column);
    return;
  }
  if (type.Area != caDataEh)
    return;
  // A release on the edit button it was pressed on clicks it.
  TGridCoord pressed = FButtonPressedCell;
  FButtonPressedCell = {-1, -1};
  if (pressed.X == cell.X && pressed.Y == cell.Y && CellEditor() &&
      X >= CellRect(cell.X, cell.Y).Right - EditButtonWidth()) {
    CellEditor()->MainButtonClicked();
    if (watch.Destroyed())
      return;
  }
  CellClick(column);
  if (watch.Destroyed())
    return;
  if (FClickedCell.X == cell.X && FClickedCell.Y == cell.Y && !column->DblClickNextVal() &&
      column->CanEditValue(true))
    column->StepValue(Shift.Contains(ssShift) ? -1 : 1);
  FClickedCell = {-1, -1};
}

void TCustomDBGridEh::DrawSizingLine(const TGridDrawInfo& DrawInfo)
{
  // Live sizing: the column follows the pointer instead of a dotted line.
  if (FExtOptions.Contains(dgxLiveColSizingEh) && GridState() == gsColSizing) {
    Integer index = SizingIndex();
    TRect r = CellRect(index, 0);
    if (!IsRectEmpty(r) || r.Left > 0) {
      Integer width = std::max<Integer>(SizingPos() - r.Left, 1);
      if (width != ColWidths(index))
        SetColWidths(index, width);
      Update();
    }
    return;
  }
  TCustomGrid::DrawSizingLine(DrawInfo);
}

bool TCustomDBGridEh::InColumnSelectZone(TGridCoord Cell, Integer Y)
{
  if (!FOptions.Contains(dgTitles) || !SelectionAllowed(selColumnsEh) || Cell.Y != 0 ||
      Cell.X < FIndicatorColCount)
    return false;
  TRect r = CellRect(Cell.X, 0);
  return Y >= r.Bottom - 7;
}

bool TCustomDBGridEh::SelectByMouse(TGridCoord Cell, const TCellTypeEh& Type, TShiftState Shift,
                                    Integer Y)
{
  bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
  // The lowest pixels of a title select its column.
  if (InColumnSelectZone(Cell, Y) && Type.DataCol < FColumns->Count()) {
    TColumnEh* c = FColumns->Items(Type.DataCol);
    if (shift)
      FSelection->Columns()->ExtendToColumn(c);
    else if (ctrl)
      FSelection->Columns()->ToggleColumn(c);
    else {
      Invalidate();
      FSelection->Columns()->SelectColumn(c, false);
    }
    // Dragging on along the titles extends the selection, scrolling past the edges.
    StartTracking(tmColSelectEh);
    StartAutoScroll(60);
    return true;
  }
  if (Type.HorzPart != 0 || !FDataLink->Active())
    return false;
  TDataSet* ds = FDataLink->DataSet();
  // The indicator cell of the title row selects everything or empties the selection.
  if (Type.Area == caTitleEh) {
    if (!FOptions.Contains(dgMultiSelect) || !FSelectableKinds.Contains(selAllEh))
      return false;
    if (FSelection->Kind() != selNoneEh)
      FSelection->Reset();
    else
      FSelection->SelectEverything();
    InvalidateEditor();
    return true;
  }
  // The indicator of a record selects records.
  if (Type.Area != caDataEh || !SelectionAllowed(selRowsEh) || ds->IsEmpty() ||
      !RowHasRecord(Type.AreaRow))
    return false;
  FDataLink->WritePendingEdits();
  Integer delta = Cell.Y - Row();
  if (shift && delta != 0) {
    FToggleMode = true;
    if (!FAnchorValid) {
      FAnchorBookmark = ds->Bookmark();
      FAnchorSelected = false;
      FAnchorValid = true;
    }
    MoveBySelecting(true, delta, true, false);
    return true;
  }
  if (delta != 0)
    ds->MoveBy(delta);
  if (ctrl || !FExtOptions.Contains(dgxClearSelectionEh))
    FSelectedRows->SetCurrentSelected(!FSelectedRows->CurrentSelected());
  else {
    ClearSelectionOnMove();
    FSelectedRows->SetCurrentSelected(true);
  }
  FAnchorValid = false;
  return true;
}

// ---- Dragging ----

TRect TCustomDBGridEh::DataArea()
{
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TRect r(info.Horz.FixedBoundary, info.Vert.FixedBoundary, info.Horz.GridBoundary,
          info.Vert.GridBoundary);
  if (FFooterRowCount > 0) {
    TRect filler = CellRect(0, RowCount() - FFooterRowCount - 1);
    if (!IsRectEmpty(filler) || filler.Top > 0)
      r.Bottom = std::min(r.Bottom, filler.Top);
  }
  return r;
}

void TCustomDBGridEh::StartTracking(TTrackModeEh Mode)
{
  FTrackMode = Mode;
  if (!FTrackCapture) {
    FTrackCapture = true;
    SetCaptureControl(this);
  }
}

void TCustomDBGridEh::StartAutoScroll(Integer Interval)
{
  FAutoScrollInterval = std::max<Integer>(Interval, 0);
  FAutoScrollRunning = true;
  if (HandleAllocated())
    SetTimer(Handle(), 1, static_cast<UINT>(FAutoScrollInterval), nullptr);
}

void TCustomDBGridEh::StopAutoScroll()
{
  if (FAutoScrollRunning && HandleAllocated())
    KillTimer(Handle(), 1);
  FAutoScrollRunning = false;
}

void TCustomDBGridEh::EndTracking()
{
  StopAutoScroll();
  HideFrozenSizingLine();
  FFrozenSizingIndex = -1;
  bool captured = FTrackCapture;
  FTrackCapture = false;
  FTrackMode = tmNoneEh;
  FRowDrag = false;
  if (FPressedTitleCol >= 0) {
    InvalidateCell(FPressedTitleCol, 0);
    FPressedTitleCol = -1;
  }
  if (captured && GetCaptureControl() == this)
    SetCaptureControl(nullptr);
}

void TCustomDBGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (FTrackMode == tmNoneEh || !FDataLink->Active()) {
    TCustomGrid::MouseMove(Shift, X, Y);
    return;
  }
  bool moved = FTrackPoint.X != X || FTrackPoint.Y != Y;
  FTrackPoint = {X, Y};
  if (FTrackMode == tmFrozenSizeEh) {
    FFrozenSizingPos = X + FFrozenSizingOfs;
    if (FExtOptions.Contains(dgxLiveColSizingEh))
      SizeFrozenColumn(1);
    else
      ShowFrozenSizingLine();
    return;
  }
  TRect area = DataArea();
  if (IsRectEmpty(area))
    return;
  if (FTrackMode == tmColSelectEh) {
    if (X < area.Left || X >= area.Right) {
      DragAutoScroll();
      return;
    }
    TGridCoord cell = MouseCoord(X, std::max<Integer>(Y, 0));
    if (cell.X >= FIndicatorColCount && RawToDataColumn(cell.X) < FColumns->Count())
      FSelection->Columns()->ExtendToColumn(FColumns->Items(RawToDataColumn(cell.X)));
    return;
  }
  // Rows and rectangles: the point clamped into the data area names the row and column.
  Integer cx = std::clamp(X, area.Left, area.Right - 1);
  Integer cy = std::clamp(Y, area.Top, area.Bottom - 1);
  TGridCoord cell = MouseCoord(cx, cy);
  TDestroyWatch watch(this);
  if (cell.Y >= 0 && cell.Y != Row() && RowHasRecord(cell.Y - HeaderRowCount())) {
    bool select = Shift.Contains(ssLeft) && moved;
    MoveBySelecting(select, cell.Y - Row(), FTrackMode != tmRectEh, false);
    if (watch.Destroyed())
      return;
  }
  if (FRowDrag && cell.X >= FIndicatorColCount && cell.X != Col())
    SelectColumn(cell.X, cell.X > Col() ? 1 : -1, FTrackMode == tmRectEh);
  DragAutoScroll();
}

void TCustomDBGridEh::DragAutoScroll()
{
  if (FTrackMode == tmNoneEh || !FDataLink->Active()) {
    StopAutoScroll();
    return;
  }
  TRect area = DataArea();
  TPoint p = FTrackPoint;
  if (FTrackMode == tmColSelectEh) {
    Integer dist = 0;
    TColumnEh* to = nullptr;
    if (p.X >= area.Right) {
      dist = p.X - area.Right;
      TGridDrawInfo info;
      CalcDrawInfo(info);
      Integer last = info.Horz.LastFullVisibleCell;
      if (last + 1 < ColCount()) {
        SetLeftCol(LeftCol() + 1);
        CalcDrawInfo(info);
        last = std::min(info.Horz.LastFullVisibleCell + 1, ColCount() - 1);
      }
      to = FColumns->Items(RawToDataColumn(std::max(last, FIndicatorColCount)));
    } else if (p.X < area.Left) {
      dist = area.Left - p.X;
      Integer target = LeftCol();
      if (LeftCol() > FixedCols()) {
        SetLeftCol(LeftCol() - 1);
        target = LeftCol() > FixedCols() ? LeftCol() - 1 : LeftCol();
      }
      to = FColumns->Items(RawToDataColumn(std::max(target, FIndicatorColCount)));
    } else
      return;
    if (to)
      FSelection->Columns()->ExtendToColumn(to);
    StartAutoScroll(std::max<Integer>(0, 200 - 10 * dist));
    return;
  }
  Integer vdir = 0, vdist = 0, hdir = 0, hdist = 0;
  if (p.Y < area.Top) {
    vdir = -1;
    vdist = area.Top - p.Y;
  } else if (p.Y >= area.Bottom) {
    vdir = 1;
    vdist = p.Y - area.Bottom + 1;
  }
  if (p.X < area.Left) {
    hdir = -1;
    hdist = area.Left - p.X;
  } else if (p.X >= area.Right) {
    hdir = 1;
    hdist = p.X - area.Right + 1;
  }
  Integer d = std::max(vdist, hdist);
  if (vdir == 0 && hdir == 0) {
    StopAutoScroll();
    return;
  }
  TDataSet* ds = FDataLink->DataSet();
  Integer step = std::min<Integer>(d / 6, 8);
  {
    BeginUpdate();
    TScopeExit done([&] { EndUpdate(); });
    if (FTrackMode != tmRectEh && vdir != 0)
      MoveBySelecting(GetKeyState(VK_LBUTTON) < 0, vdir * step, true, false);
    if (hdir != 0 && FRowDrag) {
      TGridDrawInfo info;
      CalcDrawInfo(info);
      if (hdir < 0 && LeftCol() > FixedCols())
        SetLeftCol(LeftCol() - 1);
      else if (hdir > 0 && info.Horz.LastFullVisibleCell + 1 < ColCount())
        SetLeftCol(LeftCol() + 1);
    }
    if (hdir != 0 && FTrackMode != tmRowSelectEh)
      SelectColumn(Col() + hdir, hdir, false);
    if (FTrackMode == tmRectEh && (vdir != 0 || hdir != 0)) {
      if (vdir != 0)
        ds->MoveBy(vdir * step);
      Integer col = SelectedIndex();
      if (hdir < 0 && Col() <= FixedCols())
        col = 0;
      FSelection->Rect()->SelectCell(col, ds->Bookmark(), true);
    }
  }
  if (FUpdateLock == 0)
    Update();
  StartAutoScroll(std::max<Integer>(0, 200 - 15 * d));
}

void TCustomDBGridEh::TimedScroll(TGridScrollDirection Direction)
{
  if (!FDataLink->Active()) {
    TCustomGrid::TimedScroll(Direction);
    return;
  }
  TDataSet* ds = FDataLink->DataSet();
  if (Direction.Contains(sdUp))
    ds->MoveBy(-(FDataLink->ActiveRecord() + 1));
  else if (Direction.Contains(sdDown))
    ds->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
  else
    TCustomGrid::TimedScroll(Direction);
}

bool TCustomDBGridEh::ColumnPopup(Integer X, Integer Y)
{
  TGridCoord cell = MouseCoord(X, Y);
  if (cell.X < FIndicatorColCount || cell.Y < 0 || RawToDataColumn(cell.X) >= FColumns->Count())
    return false;
  TPopupMenu* menu = FColumns->Items(RawToDataColumn(cell.X))->PopupMenu();
  if (!menu || !menu->AutoPopup())
    return false;
  SendCancelMode(nullptr);
  menu->SetPopupComponent(this);
  TPoint at = ClientToScreen({X, Y});
  menu->Popup(at.X, at.Y);
  return true;
}

// ---- Sizing frozen columns ----

bool TCustomDBGridEh::InFrozenSizingZone(Integer X, Integer Y, Integer& Index, Integer& Pos,
                                         Integer& Ofs)
{
  if (FFrozenColCount <= 0 || !TCustomGrid::Options().Contains(goColSizing) || !HandleAllocated())
    return false;
  if ((BiDiMode() == bdRightToLeft))
    X = ClientWidth() - X;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  Integer line = info.Horz.EffectiveLineWidth;
  Integer headerBottom = 0;
  for (Integer r = 0; r < HeaderRowCount(); ++r)
    headerBottom += RowHeights(r) + info.Vert.EffectiveLineWidth;
  if (Y < 0 || Y >= headerBottom)
    return false;
  Integer d = line > 6 ? 0 : (7 - line) / 2;
  Integer w = line > 6 ? line : 7;
  Integer first = std::max<Integer>(FixedCols() - FFrozenColCount, FIndicatorColCount);
  // A column's border: the widths and lines of the columns before it and its own width.
  Integer left = 0, last = -1;
  for (Integer c = 0; c < FixedCols(); ++c) {
    Integer cw = std::max<Integer>(ColWidths(c), 0);
    Integer border = left + cw;
    left += ColWidths(c) < 0 ? 0 : cw + line;
    if (c < first)
      continue;
    if (border > info.Horz.GridBoundary)
      break;
    last = c;
    if (X >= border - d && X < border + w - d) {
      Index = c;
      Pos = border;
      Ofs = border - X;
      return true;
    }
  }
  // A frozen column that ends at the client's right edge is sized at that edge.
  if (last >= 0 && info.Horz.GridBoundary == ClientWidth() && X >= ClientWidth() - d &&
      X < ClientWidth()) {
    Index = last;
    Pos = ClientWidth();
    Ofs = Pos - X;
    return true;
  }
  return false;
}

void TCustomDBGridEh::ShowFrozenSizingLine()
{
  if (!HandleAllocated())
    return;
  Integer x = (BiDiMode() == bdRightToLeft) ? ClientWidth() - FFrozenSizingPos : FFrozenSizingPos;
  TPoint origin = ClientToScreen({x, 0});
  if (FFrozenLine) {
    MoveOverlay(FFrozenLine, origin);
    return;
  }
  TRect screen = Bounds(origin.X, origin.Y, 1, ClientHeight());
  FFrozenLine = CreateOverlay(screen, omXor);
  TCanvas* c = OverlayCanvas(FFrozenLine);
  c->Brush()->SetColor(clBlack);
  c->FillRect(TRect(0, 0, 1, screen.Height()));
  c->Pen()->SetColor(clWhite);
  c->Pen()->SetStyle(psDot);
  c->MoveTo(0, 0);
  c->LineTo(0, screen.Height());
  OverlayChanged(FFrozenLine);
}

void TCustomDBGridEh::HideFrozenSizingLine()
{
  if (FFrozenLine) {
    DestroyOverlay(FFrozenLine);
    FFrozenLine = 0;
  }
}

void TCustomDBGridEh::SizeFrozenColumn(Integer MinWidth)
{
  Integer index = FFrozenSizingIndex;
  if (index < FIndicatorColCount || RawToDataColumn(index) >= FColumns->Count())
    return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  Integer left = 0;
  for (Integer c = 0; c < index; ++c) {
    Integer cw = ColWidths(c);
    left += cw < 0 ? 0 : cw + info.Horz.EffectiveLineWidth;
  }
  Integer width = FFrozenSizingPos - left;
  if (width < MinWidth)
    return;
  TColumnEh* column = FColumns->Items(RawToDataColumn(index));
  if (column->Width() != width)
    column->SetWidth(width);
  Update();
}
